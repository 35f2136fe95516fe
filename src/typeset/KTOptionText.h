#pragma once
// A typed option whose value is a text of one character (the decimal point and the list
// separator of the typesetting options). Archived like a string option.

#include "foundation/KTOptionKey.h"
#include "platform/CString.h"
#include "platform/KTGdiTypes.h"

class KTArchive;

class KTOptionText : public KTOptionKey
{
public:
    KTOptionText() = default;
    virtual ~KTOptionText() = default;

    /// Defines the option: value, default and stored copy become the one-character text
    /// (the empty text when ch is 0).
    void Set(const CString& section, const CString& key, BYTE flag, char ch);
    /// The value alone in the length-prefixed string form.
    virtual void Serialize(KTArchive& ar);

    const CString& GetDefault() const { return m_default; }

    CString m_value;

private:
    CString m_default;
    CString m_stored;
};
