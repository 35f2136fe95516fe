#pragma once
// The classified parts of one function's typed text, in typed order, with the outcome of the
// last interpretation: its status, the input-error message and the four form flags. Rebuilt by
// every interpretation; it has no archive form.

#include "engine/KTEquationPart.h"
#include "engine/KTInterpretStatus.h"
#include "platform/CString.h"

#include <vector>

class KTEquationPartList
{
public:
    /// No parts, status 5 (error), empty texts, flags clear.
    KTEquationPartList() = default;
    /// As assignment: parts with an empty text are not copied.
    KTEquationPartList(const KTEquationPartList& other);
    /// Empties this list, re-adds each part of the other through AddPart(text, second text, kind)
    /// (so parts with an empty text are dropped), then copies status, description, message, the
    /// error latch and the four flags.
    KTEquationPartList& operator=(const KTEquationPartList& other);

    /// Appends a part only when the text is not empty; rebuilds the description either way.
    void AddPart(const CString& text, const CString& secondText, int kind);
    /// Appends a copy of the part, also an empty one, and rebuilds the description.
    void AddPart(const KTEquationPart& part);

    int GetCount() const { return static_cast<int>(m_parts.size()); }
    /// A copy of the part at index (0-based, in list order); an empty part outside the list.
    KTEquationPart At(int index) const;
    /// Number of parts of the kind.
    int CountParts(int kind) const;
    /// A copy of the n-th part of the kind (n from 1, in list order), or an empty part (kind 0)
    /// when there are fewer than n or n < 1.
    KTEquationPart FindPart(int kind, int n) const;
    /// Gives the part at index a new kind; false when the index lies outside the list.
    bool SetKindAt(int index, int kind);

    /// Removes every part and empties the description; status, message and flags stay.
    void RemoveAll();
    /// Back to the state after construction: no parts, status 5, texts empty, flags and the
    /// error latch clear. Interpretation starts each run with it.
    void Reset();

    /// For every part its kind's label, its text and " & ". A trace text; nothing parses it.
    void Describe();
    const CString& GetDescription() const { return m_description; }

    int GetStatus() const { return m_status; }
    /// Sets the status unless an error is latched (then the status stays 5).
    void SetStatus(int status);
    const CString& GetMessage() const { return m_message; }
    void SetMessage(const CString& message) { m_message = message; }

    /// An input error that decides the outcome of this interpretation: status 5 and, when no
    /// error is latched yet, the message. Later SetStatus calls leave the status at 5 and later
    /// errors keep the first message, until Reset.
    void LatchError(const CString& message);
    bool IsErrorLatched() const { return m_errorLatched; }

    // Form flags (bytes 0 or 1), written by interpretation.
    unsigned char m_polar = 0;       ///< the equation uses only r and theta
    unsigned char m_inverse = 0;     ///< solved for the independent variable: x = f(y), th = f(r)
    unsigned char m_parametricY = 0; ///< the equation uses only y and t
    unsigned char m_parametricX = 0; ///< the equation uses only x and t

private:
    std::vector<KTEquationPart> m_parts;
    int m_status = KTStatusError;
    CString m_description;
    CString m_message;
    bool m_errorLatched = false;
};
