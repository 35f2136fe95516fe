#pragma once
// The one formatter of every number shown to the user and the one reader of every number the
// user types. Callers build a record on the stack, change single fields and format or read.

#include "foundation/KTSentinelValues.h"
#include "foundation/RoundHalfUp.h"
#include "platform/CString.h"

#include <cstddef>
#include <string>

class KTNumberFormat
{
public:
    /// Fixed notation with the given decimal places (-1: m_nDigits; negative counts are read as
    /// 0 and counts above 99 as 99), trailing zeros stripped when m_bStripZeros is set, "-0"
    /// shown as "0", the user's decimal separator in place of ".". Never fails.
    CString Format(double value, int digits = -1) const;
    /// Exactly the result of Format.
    CString FormatValue(double value, int digits) const;

    /// The value of a typed number: "," as the decimal point, lower-case "p" (pi) and "e" as
    /// factors, one "/" before a denominator, "" reads 1 and "-" reads -1. An "e" between a digit
    /// and an integer with an optional sign is a power of ten ("1e3" is 1000, "2.5e-4" 0.00025),
    /// as "E" always is; "e", "2e", "3e/4" and "-e" stay multiples of e. With m_bErrorValue set,
    /// a numerator that is not wholly a number, a zero or unreadable denominator and a result
    /// that is not finite give KTUndefinedValue. Keeps no state between calls (thread-safe).
    double ToDouble(const CString& text) const;
    /// Forwards to ToDouble.
    double ToDoubleFromString(const CString& text) const;

    bool m_bShowSign = false;
    bool m_bStripZeros = true;
    bool m_bReplaceMinus = false;
    /// Replacement for a leading minus: the en dash of Windows-1252.
    char m_chMinus = static_cast<char>(150);
    int m_nDigits = 6;
    bool m_bErrorValue = false;
};

/// The length of the power of ten that starts at text[at]: an "e" or "E" right after a digit (or
/// after a decimal point that follows one) and followed by an integer with an optional sign
/// ("e3", "e-4", "E+05"); 0 when the letter there is no exponent ("2e", "3e/4", "e5").
std::size_t KTDecimalExponentLength(const std::string& text, std::size_t at);

/// The reader's name of the same record.
using KTNumberText = KTNumberFormat;
