#pragma once
// Turns a short expression text (variable letters, numbers, operators, brackets) into algebra
// tokens; the algebra reads the texts of its constant terms ("x", "y", "1") through it.

#include "engine/ASTokenKind.h"
#include "platform/CString.h"

class ASTokenList;

class ASExpressionText
{
public:
    virtual ~ASExpressionText() = default;

    void SetText(const CString& text) { m_text = text; }

    /// Clears the list and appends the tokens of the text. Throws KTUnrecognisedException (its
    /// position the index of the offending token's last character) for a token text it does not
    /// know; the list then keeps the tokens appended before. Returns false when the list could
    /// not hold every token (the tokens that fit stay).
    bool Tokenize(ASTokenList& list) const;

    /// The kind of one token text, compared upper-cased; throws KTUnrecognisedException with the
    /// text " " + the upper-cased token when none matches.
    static ASTokenKind TokenKind(const CString& text);

    CString m_text;
};
