#pragma once
// One piece of a function's typed text, as interpretation classified it.

#include "engine/KTEquationPartKind.h"
#include "platform/CString.h"

class KTEquationPart
{
public:
    /// Kind 0 with two empty texts.
    KTEquationPart() = default;
    KTEquationPart(const CString& text, const CString& secondText, int kind)
        : m_kind(kind), m_text(text), m_secondText(secondText)
    {
    }

    void Set(const CString& text, const CString& secondText, int kind)
    {
        m_text = text;
        m_secondText = secondText;
        m_kind = kind;
    }
    void SetKind(int kind) { m_kind = kind; }

    int Kind() const { return m_kind; }
    /// The piece of typed text; for the equation parts (kinds 8 and 9) its calculation text.
    CString Text() const { return m_text; }
    /// The piece as typed; what the function dialog shows.
    CString SecondText() const { return m_secondText; }
    /// A part nobody filled: kind 0 and both texts empty.
    bool IsEmpty() const
    {
        return m_kind == KTPartUnclassified && m_text.IsEmpty() && m_secondText.IsEmpty();
    }

    friend bool operator==(const KTEquationPart&, const KTEquationPart&) = default;

private:
    int m_kind = KTPartUnclassified;
    CString m_text;
    CString m_secondText;
};
