#pragma once
// The three characters with which typed texts (equations, domains, bounds, number texts) are
// written under the user's locale: the decimal separator, the list separator (between the two
// numbers of an interval or a point) and the part separator (between the parts of a typed
// equation: ";", or ":" where ";" is the list separator). A document records the ones its texts
// were written with, so that another machine can read them in its own.

#include "platform/CString.h"

struct KTTextSeparators
{
    /// The user's separators now (KTLocaleChars), with the part separator that goes with them.
    static KTTextSeparators User();
    /// ";", or ":" when the list separator is ";".
    static char PartSeparatorFor(char list);

    /// Three different characters, each one of ".", ",", ";" and ":": what a text can be read
    /// and rewritten with. A record from a file that is not is no record.
    bool IsUsable() const;
    /// The text written with `from` as `to` writes it: each separator of `from` becomes the one
    /// of the same role in `to`; every other character stays. Unchanged when either is not
    /// usable or both are the same.
    static CString Translate(const CString& text, const KTTextSeparators& from, const KTTextSeparators& to);

    friend bool operator==(const KTTextSeparators&, const KTTextSeparators&) = default;

    char m_decimal = '.';
    char m_list = ',';
    char m_part = ';';
};
