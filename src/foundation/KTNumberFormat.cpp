#include "foundation/KTNumberFormat.h"

#include "foundation/KTLocaleChars.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

constexpr double kPi = 3.141592654;
constexpr double kE = 2.718281828;

// More places than a double carries would only print noise; the bound also keeps a wild count
// from asking the C library for an enormous text.
constexpr int kMostPlaces = 99;

} // namespace

CString KTNumberFormat::Format(double value, int digits) const
{
    const int places = std::clamp(digits == -1 ? m_nDigits : digits, 0, kMostPlaces);
    std::string text = KTFormatC(m_bShowSign ? "%+.*f" : "%.*f", places, value);

    if (m_bStripZeros && !text.empty() && text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        text.erase(text.find_last_not_of('.') + 1);
    }
    // A value that rounds to nothing shows as a plain zero. This is settled before the minus is
    // replaced, or a tiny negative value would show as a dash and a zero.
    if (text == "-0")
        text = "0";
    if (m_bReplaceMinus && !text.empty() && text[0] == '-')
        text[0] = m_chMinus;

    const KTLocaleChars separators;
    if (separators.m_chDecimal != 0)
        std::replace(text.begin(), text.end(), '.', separators.m_chDecimal);
    return CString(std::move(text));
}

CString KTNumberFormat::FormatValue(double value, int digits) const
{
    return Format(value, digits);
}

double KTNumberFormat::ToDouble(const CString& text) const
{
    const std::string& source = text.str();
    const std::size_t slash = source.find('/');
    const std::size_t numeratorEnd = slash == std::string::npos ? source.size() : slash;

    bool bad = source.empty();
    bool pi = false;
    bool e = false;
    std::string working;
    for (std::size_t i = 0; i < numeratorEnd; ++i) {
        const char ch = source[i];
        if (ch == ',') {
            working += '.';
        } else if (const std::size_t exponent = KTDecimalExponentLength(source, i); exponent > 0) {
            // strtod reads the power of ten with the digits before it.
            working.append(source, i, exponent);
            i += exponent - 1;
        } else if (ch == 'e') {
            e = true;
        } else if (ch == 'p') {
            pi = true;
            ++i; // "pi" is one marker, and so is "p" with whatever follows it
        } else {
            working += ch;
        }
    }

    double numerator = 1.0;
    if (working == "-") {
        numerator = -1.0;
    } else if (!working.empty()) {
        int read = 0;
        numerator = KTStrToDoubleC(working.c_str(), &read);
        if (read != static_cast<int>(working.size()))
            bad = true;
    }

    double denominator = 1.0;
    if (slash != std::string::npos) {
        // The denominator is read as far as it goes; only a denominator with nothing readable
        // at all counts against the text.
        const std::string below = source.substr(slash + 1);
        if (!below.empty()) {
            int read = 0;
            denominator = KTStrToDoubleC(below.c_str(), &read);
            if (read == 0 || denominator == 0.0)
                bad = true;
        }
    }

    double factor = pi ? kPi : 1.0;
    if (e)
        factor *= kE;
    const double result = numerator * factor / denominator;
    if (m_bErrorValue && (bad || !std::isfinite(result)))
        return KTUndefinedValue;
    return result;
}

std::size_t KTDecimalExponentLength(const std::string& text, std::size_t at)
{
    const auto digit = [&text](std::size_t i) { return i < text.size() && text[i] >= '0' && text[i] <= '9'; };
    if (at >= text.size() || (text[at] != 'e' && text[at] != 'E') || at == 0)
        return 0;
    const char before = text[at - 1];
    const bool afterNumber = digit(at - 1) || ((before == '.' || before == ',') && at >= 2 && digit(at - 2));
    if (!afterNumber)
        return 0;
    std::size_t end = at + 1;
    if (end < text.size() && (text[end] == '+' || text[end] == '-'))
        ++end;
    if (!digit(end))
        return 0;
    while (digit(end))
        ++end;
    return end - at;
}

double KTNumberFormat::ToDoubleFromString(const CString& text) const
{
    return ToDouble(text);
}
