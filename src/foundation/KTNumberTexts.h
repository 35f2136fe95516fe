#pragma once
// Number texts: numbers the user types for ranges and steps that stay text and are computed
// with exactly where they can be ("pi/6" stepped three times gives "pi/2", not 1.570796).
// A number text is an optional "-", an optional integer coefficient, the markers "pi" (or "p")
// and "e" and the letters a, b, c, d, m in any order, then optionally "/" and an integer
// denominator. A marker or letter counts once however often it occurs. An "e" between a digit
// and an integer with an optional sign is a power of ten, not the marker: "1e3" is the decimal
// 1000, while "2e" and "3e/4" are exact multiples of e.

#include "platform/CString.h"
#include "platform/KTGdiTypes.h"

#include <cstdint>

class KTVariableSubstitutions;

/// The exact form of a number text: coefficient x pi? x e? x letters / denominator.
struct KTExactNumber
{
    std::int32_t m_coefficient = 1;
    std::int32_t m_denominator = 1;
    std::int32_t m_pi = 0;
    std::int32_t m_e = 0;
    BYTE m_a = 0;
    BYTE m_b = 0;
    BYTE m_c = 0;
    BYTE m_d = 0;
    BYTE m_m = 0;
};

/// Classification results of ClassifyNumberText.
enum KTNumberTextKind { KTNotANumberText = 0, KTDecimalNumberText = 1, KTExactNumberText = 2 };

/// 0 for a text that is not a number text, 1 for one with a decimal separator, 2 for an exact
/// one (integers, fractions, multiples of pi and e, letters; "" and "0" included).
int ClassifyNumberText(const CString& text);

/// The value of a number text; case is ignored and "," is a decimal point. Letters take their
/// values from the table, or count as 1 when there is none; a letter the table does not hold
/// gives KTUndefinedValue. Text that cannot be read gives the part that could (0.0 for none);
/// a zero denominator gives an infinity.
double EvaluateNumberText(const CString& text, const KTVariableSubstitutions* table);

/// Replaces text by text + addend, exactly when both are exact texts with the same markers and
/// letters (or one is "0") and the result fits 32 bits, else as a formatted decimal (six places,
/// more for a value below 1e-5, so that it keeps two significant digits). False, and text empty,
/// when either is not a number text.
bool AddNumberText(CString& text, CString addend);
/// AddNumberText of the negated subtrahend (its one leading "-" removed, or "-" put in front).
bool SubtractNumberText(CString& text, CString subtrahend);
/// Replaces text by text x factor, exactly when the text is exact and the result fits 32 bits,
/// else as a formatted decimal. False, and text empty, when it is not a number text.
bool MultiplyNumberText(CString& text, int factor);

/// The text with every power of ten written out for readers that take "e" for Euler's number
/// wherever it stands (the typesetter, the equation reader): "2.5e-4" becomes "(2.5*10^(-4))",
/// "1E3" "(1*10^(3))". Everything else is left as it is.
CString WritePowersOfTen(const CString& text);

/// Divides out the common factors that the primes below 1000 find, in ascending order, stopping
/// once the denominator is 1 or a prime of 10 or more squared exceeds both numbers: "6/4" gives
/// "3/2", "11/22" stays. The coefficient keeps its sign; a zero denominator is left alone.
void ReduceFraction(std::int32_t& coefficient, std::int32_t& denominator);
/// The same on 64-bit numbers, for sums and products that may outgrow 32 bits on the way.
void ReduceFraction(std::int64_t& coefficient, std::int64_t& denominator);
/// The text of an exact number: "pi/2", "-pi", "3/4", "2a", "1a".
CString ComposeNumberText(KTExactNumber number);
/// The text of a stored number as the user would type it, one that the number reader
/// (KTNumberText::ToDouble) reads back as exactly the value: its decimal of at most six places
/// (with the user's separator) when that reads back so, else an exact multiple of pi or e or a
/// fraction ("-pi", "3pi/4", "e/2", "1/3") with a denominator up to 360, else the decimal with as
/// many places as it takes.
CString NumberTextFor(double value);
