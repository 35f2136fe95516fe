#pragma once
// Integer stack of the postfix conversion. Slot 0 is never used, so it holds at most 1280 values,
// as many as the longest token list of an equation (every token of it an operator or bracket);
// the top value lives at m_entries[m_count].

#include "platform/KTObject.h"

#include <cstdint>

class KTIntStack : public KTObject
{
public:
    static constexpr int kSlots = 1281;

    KTIntStack() = default;
    ~KTIntStack() override = default;

    /// False, and nothing changes, when the stack is full: the caller's evaluation then fails.
    bool Push(std::int32_t value);
    /// The top value, or 0 when the stack is empty.
    std::int32_t Pop();
    bool IsFull() const { return m_count >= kSlots - 1; }

    /// Callers empty the stack by setting the count to 0.
    std::int32_t m_count = 0;
    std::int32_t m_entries[kSlots] = {};
};
