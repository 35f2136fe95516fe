#pragma once
// Value stack of the evaluator; the process keeps one and empties it before every evaluation.
// Slot 0 is never used, so it holds at most 199 values; the top lives at m_entries[m_count].

#include "platform/CString.h"
#include "platform/KTObject.h"

#include <cstdint>

struct KTRealStackEntry
{
    std::int32_t m_tag = 0; ///< -1 once pushed; nothing reads it
    double m_value = 0.0;
    CString m_text; ///< never read
};

class KTRealStack : public KTObject
{
public:
    static constexpr int kSlots = 200;

    KTRealStack() = default;
    ~KTRealStack() override = default;

    /// False, and nothing changes, when the stack is full: the caller's evaluation then fails.
    bool Push(double value);
    /// The top value, or 0.0 when the stack is empty.
    double Pop();
    bool IsFull() const { return m_count >= kSlots - 1; }

    /// Callers empty the stack by setting the count to 0.
    std::int32_t m_count = 0;
    KTRealStackEntry m_entries[kSlots];
};
