#include "foundation/KTNumberTexts.h"

#include "foundation/KTLocaleChars.h"
#include "foundation/KTNumberFormat.h"
#include "foundation/KTSentinelValues.h"
#include "foundation/KTVariableSubstitutions.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

constexpr double kPi = 3.141592654;
constexpr double kE = 2.718281828;

constexpr std::array<int, 168> MakePrimesBelow1000()
{
    std::array<bool, 1000> composite{};
    std::array<int, 168> primes{};
    std::size_t count = 0;
    for (int n = 2; n < 1000; ++n) {
        if (composite[static_cast<std::size_t>(n)])
            continue;
        primes[count++] = n;
        for (int k = n * n; k < 1000; k += n)
            composite[static_cast<std::size_t>(k)] = true;
    }
    return primes;
}

constexpr std::array<int, 168> kPrimes = MakePrimesBelow1000();
static_assert(kPrimes.front() == 2 && kPrimes.back() == 997);

/// What the left-to-right scan of a number text finds: the markers and letters as flags, the
/// rest of the part before the first "/" and everything after it.
struct NumberTextScan
{
    std::string numerator;
    std::string denominator;
    bool pi = false;
    bool e = false;
    bool a = false;
    bool b = false;
    bool c = false;
    bool d = false;
    bool m = false;
};

NumberTextScan ScanNumberText(const std::string& text)
{
    NumberTextScan scan;
    const std::size_t slash = text.find('/');
    const std::size_t numeratorEnd = slash == std::string::npos ? text.size() : slash;
    for (std::size_t i = 0; i < numeratorEnd; ++i) {
        switch (text[i]) {
        case 'a': scan.a = true; break;
        case 'b': scan.b = true; break;
        case 'c': scan.c = true; break;
        case 'd': scan.d = true; break;
        case 'm': scan.m = true; break;
        case 'e':
            if (const std::size_t exponent = KTDecimalExponentLength(text, i); exponent > 0) {
                scan.numerator.append(text, i, exponent); // a power of ten, read with the digits
                i += exponent - 1;
            } else {
                scan.e = true;
            }
            break;
        case 'p':
            scan.pi = true;
            ++i; // the "i" of "pi", or whatever follows a lone "p"
            break;
        default: scan.numerator += text[i]; break;
        }
    }
    if (slash != std::string::npos)
        scan.denominator = text.substr(slash + 1);
    return scan;
}

/// An exact number while it is being computed with: wide enough for the sums and products of
/// two 32-bit fractions.
struct WideExact
{
    std::int64_t coefficient = 1;
    std::int64_t denominator = 1;
    NumberTextScan flags;
};

bool FitsInt32(std::int64_t v)
{
    return v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max();
}

WideExact ParseExact(const CString& text)
{
    WideExact number;
    number.flags = ScanNumberText(text.str());
    const std::string& top = number.flags.numerator;
    if (top == "-")
        number.coefficient = -1;
    else if (!top.empty())
        number.coefficient = std::strtoll(top.c_str(), nullptr, 10);
    const std::string& bottom = number.flags.denominator;
    if (!bottom.empty())
        number.denominator = std::strtoll(bottom.c_str(), nullptr, 10);
    return number;
}

bool SameMarkers(const NumberTextScan& x, const NumberTextScan& y)
{
    return x.pi == y.pi && x.e == y.e && x.a == y.a && x.b == y.b && x.c == y.c && x.d == y.d && x.m == y.m;
}

/// Reduces the number and composes it into text; false, with text untouched, when the reduced
/// fraction does not fit the 32-bit exact form.
bool ComposeReduced(WideExact number, CString& text)
{
    ReduceFraction(number.coefficient, number.denominator);
    if (!FitsInt32(number.coefficient) || !FitsInt32(number.denominator))
        return false;
    KTExactNumber exact;
    exact.m_coefficient = static_cast<std::int32_t>(number.coefficient);
    exact.m_denominator = static_cast<std::int32_t>(number.denominator);
    exact.m_pi = number.flags.pi ? 1 : 0;
    exact.m_e = number.flags.e ? 1 : 0;
    exact.m_a = number.flags.a ? 1 : 0;
    exact.m_b = number.flags.b ? 1 : 0;
    exact.m_c = number.flags.c ? 1 : 0;
    exact.m_d = number.flags.d ? 1 : 0;
    exact.m_m = number.flags.m ? 1 : 0;
    text = ComposeNumberText(exact);
    return true;
}

bool AddExact(CString& text, const CString& addend)
{
    WideExact x = ParseExact(text);
    const WideExact y = ParseExact(addend);
    if (!FitsInt32(x.coefficient) || !FitsInt32(x.denominator) || !FitsInt32(y.coefficient) ||
        !FitsInt32(y.denominator))
        return false;
    // Texts with different markers or letters have no exact sum in this form, except that a
    // plain zero adds to anything. (Letters are held to the same rule as pi and e: "a" + "b"
    // is not "2ab".)
    if (!SameMarkers(x.flags, y.flags) && text != "0" && addend != "0")
        return false;
    WideExact sum;
    sum.coefficient = x.coefficient * y.denominator + y.coefficient * x.denominator;
    sum.denominator = x.denominator * y.denominator;
    sum.flags = x.flags;
    sum.flags.pi = x.flags.pi || y.flags.pi;
    sum.flags.e = x.flags.e || y.flags.e;
    sum.flags.a = x.flags.a || y.flags.a;
    sum.flags.b = x.flags.b || y.flags.b;
    sum.flags.c = x.flags.c || y.flags.c;
    sum.flags.d = x.flags.d || y.flags.d;
    sum.flags.m = x.flags.m || y.flags.m;
    return ComposeReduced(sum, text);
}

bool MultiplyExact(CString& text, int factor)
{
    WideExact number = ParseExact(text);
    if (!FitsInt32(number.coefficient) || !FitsInt32(number.denominator))
        return false;
    number.coefficient *= factor;
    return ComposeReduced(number, text);
}

CString DecimalText(double value)
{
    // Six places, but never fewer than two significant digits: a step of 1e-7 would otherwise
    // add nothing ("0" + "1e-7" written "0"), and a value stepped from would never move.
    int places = 6;
    if (value != 0.0 && std::isfinite(value))
        places = std::max(places, 1 - static_cast<int>(std::floor(std::log10(std::fabs(value)))));
    return KTNumberFormat().FormatValue(value, places);
}

} // namespace

int ClassifyNumberText(const CString& text)
{
    const KTLocaleChars separators;
    const std::string& s = text.str();
    int result = KTExactNumberText;
    int slashes = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char ch = s[i];
        const unsigned char code = static_cast<unsigned char>(ch);
        if (const std::size_t exponent = KTDecimalExponentLength(s, i); exponent > 0) {
            // A power of ten makes a decimal: it has no exact form of its own.
            if (result == KTExactNumberText)
                result = KTDecimalNumberText;
            i += exponent - 1;
            continue;
        }
        const bool startsPi = ch == 'p' && i + 1 < s.size() && s[i + 1] == 'i';
        const bool valid = (ch >= '0' && ch <= '9') || ch == '.' || ch == '/' || startsPi || ch == 'e' ||
                           ch == 'a' || ch == 'b' || ch == 'c' || ch == 'd' || ch == 'm' || ch == '-' ||
                           code == 150 || code == 175 || (ch != 0 && ch == separators.m_chDecimal);
        if (!valid)
            result = KTNotANumberText;
        if (startsPi)
            ++i;
        const char now = s[i];
        if (now == '/')
            ++slashes;
        if ((now == ',' || now == '.' || static_cast<unsigned char>(now) == 183) &&
            result == KTExactNumberText)
            result = KTDecimalNumberText;
    }
    if (slashes > 1)
        result = KTNotANumberText;
    if (s.empty() || s == "0")
        result = KTExactNumberText;
    return result;
}

double EvaluateNumberText(const CString& text, const KTVariableSubstitutions* table)
{
    CString lower = text;
    lower.MakeLower();
    lower.Replace(',', '.');
    const NumberTextScan scan = ScanNumberText(lower.str());

    double numerator = 1.0;
    if (scan.numerator == "-")
        numerator = -1.0;
    else if (!scan.numerator.empty())
        numerator = KTStrToDoubleC(scan.numerator.c_str());
    const double denominator = scan.denominator.empty() ? 1.0 : KTStrToDoubleC(scan.denominator.c_str());

    double factor = scan.pi ? kPi : 1.0;
    if (scan.e)
        factor *= kE;
    if (table) {
        const std::pair<bool, const char*> letters[] = {
            {scan.a, "a"}, {scan.b, "b"}, {scan.c, "c"}, {scan.d, "d"}, {scan.m, "m"}};
        for (const auto& [used, name] : letters) {
            if (!used)
                continue;
            // A letter the table does not hold has no value; multiplying by the sentinel would
            // give a plausible-looking huge number that no caller could recognise.
            const double value = table->GetValue(name);
            if (value == KTUndefinedValue)
                return KTUndefinedValue;
            factor *= value;
        }
    }
    return factor * numerator / denominator;
}

bool AddNumberText(CString& text, CString addend)
{
    const KTLocaleChars separators;
    if (separators.m_chDecimal != 0) {
        addend.Replace(',', separators.m_chDecimal);
        addend.Replace('.', separators.m_chDecimal);
    }
    const int kind = ClassifyNumberText(text);
    const int addendKind = ClassifyNumberText(addend);
    if (kind == KTNotANumberText || addendKind == KTNotANumberText) {
        text.Empty();
        return false;
    }
    if (kind == KTExactNumberText && addendKind == KTExactNumberText && AddExact(text, addend))
        return true;
    text = DecimalText(EvaluateNumberText(text, nullptr) + EvaluateNumberText(addend, nullptr));
    return true;
}

bool SubtractNumberText(CString& text, CString subtrahend)
{
    if (subtrahend.GetAt(0) == '-')
        subtrahend.Delete(0);
    else
        subtrahend.Insert(0, '-');
    return AddNumberText(text, subtrahend);
}

bool MultiplyNumberText(CString& text, int factor)
{
    switch (ClassifyNumberText(text)) {
    case KTExactNumberText:
        if (MultiplyExact(text, factor))
            return true;
        [[fallthrough]];
    case KTDecimalNumberText: text = DecimalText(EvaluateNumberText(text, nullptr) * factor); return true;
    default: text.Empty(); return false;
    }
}

CString WritePowersOfTen(const CString& text)
{
    const std::string& s = text.str();
    std::string out;
    std::size_t copied = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const std::size_t exponent = KTDecimalExponentLength(s, i);
        if (exponent == 0)
            continue;
        std::size_t first = i;
        while (first > copied &&
               ((s[first - 1] >= '0' && s[first - 1] <= '9') || s[first - 1] == '.' || s[first - 1] == ','))
            --first;
        std::string power = s.substr(i + 1, exponent - 1);
        if (power[0] == '+')
            power.erase(0, 1);
        out.append(s, copied, first - copied);
        out += "(" + s.substr(first, i - first) + "*10^(" + power + "))";
        i += exponent - 1;
        copied = i + 1;
    }
    out.append(s, copied, std::string::npos);
    return CString(std::move(out));
}

void ReduceFraction(std::int64_t& coefficient, std::int64_t& denominator)
{
    // Every prime divides zero: a zero denominator would never leave the loop below. The lowest
    // 64-bit value has no magnitude to take; no fraction built from 32-bit parts comes near it.
    if (denominator == 0 || coefficient == std::numeric_limits<std::int64_t>::min())
        return;
    const bool negative = coefficient < 0;
    std::int64_t magnitude = negative ? -coefficient : coefficient;
    for (const int p : kPrimes) {
        if (denominator == 1)
            break;
        const std::int64_t square = static_cast<std::int64_t>(p) * p;
        if (p >= 10 && square > magnitude && square > denominator)
            break;
        while (magnitude % p == 0 && denominator % p == 0) {
            magnitude /= p;
            denominator /= p;
        }
    }
    coefficient = negative ? -magnitude : magnitude;
}

void ReduceFraction(std::int32_t& coefficient, std::int32_t& denominator)
{
    std::int64_t wideCoefficient = coefficient;
    std::int64_t wideDenominator = denominator;
    ReduceFraction(wideCoefficient, wideDenominator);
    // Reducing never makes a magnitude larger, so both numbers still fit.
    coefficient = static_cast<std::int32_t>(wideCoefficient);
    denominator = static_cast<std::int32_t>(wideDenominator);
}

CString ComposeNumberText(KTExactNumber number)
{
    const bool marked = number.m_pi != 0 || number.m_e != 0;
    std::string text;
    if (number.m_coefficient == 1)
        text = marked ? "" : "1";
    else if (number.m_coefficient == -1)
        text = marked ? "-" : "-1";
    else
        text = KTFormatC("%d", number.m_coefficient);
    if (number.m_pi)
        text += "pi";
    if (number.m_e)
        text += "e";
    if (number.m_a)
        text += 'a';
    if (number.m_b)
        text += 'b';
    if (number.m_c)
        text += 'c';
    if (number.m_d)
        text += 'd';
    if (number.m_m)
        text += 'm';
    if (number.m_denominator != 1)
        text += KTFormatC("/%d", number.m_denominator);
    return CString(std::move(text));
}

namespace {

/// The exact text of the value as a multiple of the marker (pi, e or neither) over a denominator
/// up to 360 that reads back as exactly the value; "" when there is none.
CString ExactTextFor(double value, const KTNumberText& reader)
{
    constexpr std::int32_t kLargestDenominator = 360;
    constexpr double kLargestCoefficient = 1e6;
    const struct
    {
        std::int32_t pi, e;
    } markers[] = {{1, 0}, {0, 1}, {0, 0}};
    for (const auto& marker : markers) {
        const double unit = reader.ToDouble(ComposeNumberText(KTExactNumber{1, 1, marker.pi, marker.e}));
        for (std::int32_t denominator = 1; denominator <= kLargestDenominator; ++denominator) {
            const double coefficient = std::round(value * denominator / unit);
            if (coefficient == 0.0 || std::fabs(coefficient) > kLargestCoefficient)
                continue;
            std::int32_t k = static_cast<std::int32_t>(coefficient);
            std::int32_t d = denominator;
            ReduceFraction(k, d);
            if (d != denominator)
                continue; // the smaller denominator was tried
            const CString text = ComposeNumberText(KTExactNumber{k, d, marker.pi, marker.e});
            if (reader.ToDouble(text) == value)
                return text;
        }
    }
    return CString();
}

} // namespace

CString NumberTextFor(double value)
{
    KTNumberFormat format;
    format.m_bShowSign = false;
    format.m_bStripZeros = true;
    format.m_bReplaceMinus = false;
    const KTNumberText reader;
    CString text = format.Format(value, 6);
    if (reader.ToDouble(text) == value || !std::isfinite(value))
        return text;
    if (CString exact = ExactTextFor(value, reader); !exact.IsEmpty())
        return exact;
    for (int digits = 7; digits <= 99 && reader.ToDouble(text) != value; ++digits)
        text = format.Format(value, digits);
    return text;
}
