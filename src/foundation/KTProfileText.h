#pragma once
// Field reader of the one-line texts in which pens, brushes and fonts are stored in the settings
// file: comma-separated numbers whose last member takes the whole remaining text.

#include "platform/CString.h"
#include "platform/KTGdiTypes.h"

#include <cstdint>

class KTProfileTextReader
{
public:
    explicit KTProfileTextReader(const CString& text) : m_rest(text) {}

    /// The next field converted as atol does (leading blanks, optional sign, digits; 0 when
    /// there are none), saturated to 32 bits. Without a comma left the field is empty (0) and
    /// the remaining text stays as it is.
    std::int32_t NextInt();
    /// The next three fields as red, green and blue (pens and brushes store colours so).
    COLORREF NextColor();
    /// Everything not yet taken.
    const CString& Rest() const { return m_rest; }
    /// The remaining text converted as atol does.
    std::int32_t RestAsInt() const;
    /// The remaining text converted as atof does in the C locale (0 when it is not a number).
    double RestAsDouble() const;

private:
    CString m_rest;
};
