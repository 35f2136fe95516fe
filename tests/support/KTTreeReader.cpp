#include "support/KTTreeReader.h"

#include "typeset/KTEToken.h"
#include "typeset/KTETokenList.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace kttest {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr int kDeepest = 200; // a tree deeper than this is not read

bool IsTrigonometric(const CString& name)
{
    return name == "sin" || name == "cos" || name == "tan" || name == "sec" || name == "cosec" ||
           name == "cot";
}

/// A value beyond the doubles is none: what follows from it has none either.
double Finite(double v)
{
    return std::isfinite(v) ? v : kNaN;
}

/// One walk of a tree. Every list is read as a sum of terms; a term is a product of factors
/// side by side or joined by "*"; a factor is an operand with the powers typeset after it.
class Reader
{
public:
    Reader(double x, double angleFactor) : m_x(x), m_factor(angleFactor) {}

    double Sum(const KTETokenList& list, int first);
    bool Known() const { return m_known; }
    double Scale() const { return m_scale; }

private:
    double Unknown()
    {
        m_known = false;
        return kNaN;
    }
    KTETokenKind KindAt(const KTETokenList& list, int& i) const
    {
        while (list.KindAt(i) == TK_SPACE)
            ++i;
        return list.KindAt(i);
    }
    double Term(const KTETokenList& list, int& i);
    double Factor(const KTETokenList& list, int& i);
    double Operand(const KTETokenList& list, int& i);
    double Application(const KTETokenList& list, int& i);
    double Function(const CString& name, double v);
    double Value(const CString& name, double v);
    double Group(const KTEToken& token);

    double m_x;
    double m_factor;
    double Noted(double v)
    {
        if (std::isfinite(v))
            m_scale = std::max(m_scale, std::fabs(v));
        return v;
    }

    bool m_known = true;
    int m_depth = 0;
    double m_scale = 0.0;
};

double Reader::Sum(const KTETokenList& list, int first)
{
    if (++m_depth > kDeepest)
        return Unknown();
    int i = first;
    double total = 0.0;
    bool any = false;
    while (m_known && KindAt(list, i) != TK_ERROR) {
        double sign = 1.0;
        const KTETokenKind kind = KindAt(list, i);
        if (kind == TK_ADD || kind == TK_SUBTRACT) {
            sign = kind == TK_SUBTRACT ? -1.0 : 1.0;
            ++i;
        } else if (any) {
            return Unknown(); // a term ends only at a sign
        }
        total = Finite(total + sign * Noted(Term(list, i)));
        any = true;
    }
    --m_depth;
    return any ? total : Unknown();
}

double Reader::Term(const KTETokenList& list, int& i)
{
    double product = 1.0;
    bool any = false;
    for (;;) {
        KTETokenKind kind = KindAt(list, i);
        if (kind == TK_MULTIPLY) {
            if (!any)
                return Unknown();
            ++i;
            kind = KindAt(list, i);
            double sign = 1.0;
            if (kind == TK_SUBTRACT) { // "3*-x"
                sign = -1.0;
                ++i;
            }
            product = Finite(product * sign * Factor(list, i));
        } else if (kind == TK_ERROR || kind == TK_ADD || kind == TK_SUBTRACT || !m_known) {
            return any ? product : Unknown();
        } else {
            product = Finite(product * Factor(list, i));
        }
        any = true;
    }
}

double Reader::Factor(const KTETokenList& list, int& i)
{
    // A number typed with its minus is drawn as a sign before the power: "-2^x" is -(2^x).
    const KTEToken* first = list.At(i);
    const bool negative = first && first->m_kind == TK_NUMBER && first->m_text.GetAt(0) == '-';
    const double base = Operand(list, i);
    // Powers in a row each stand above the one before: x^2^3 reads x^(2^3).
    double exponents[kDeepest];
    int count = 0;
    while (list.KindAt(i) == TK_POWER && count < kDeepest)
        exponents[count++] = Sum(list.At(i++)->m_list, 0);
    if (count == kDeepest)
        return Unknown();
    double exponent = count > 0 ? exponents[count - 1] : 1.0;
    for (int k = count - 2; k >= 0; --k)
        exponent = RealPower(exponents[k], exponent);
    const double value = Noted(count > 0 ? RealPower(Noted(base), exponent) : base);
    return negative ? -value : value;
}

double Reader::Operand(const KTETokenList& list, int& i)
{
    const KTEToken* token = list.At(i);
    if (!token)
        return Unknown();
    switch (token->m_kind) {
    case TK_NUMBER: {
        ++i;
        const char* text = token->m_text.c_str();
        char* end = nullptr;
        const double value = std::strtod(text[0] == '-' ? text + 1 : text, &end);
        return end && *end == 0 && end != text ? value : Unknown();
    }
    case TK_VARIABLE:
        ++i;
        if (token->m_text == "x")
            return m_x;
        return token->m_text == "e" ? kProgramE : Unknown();
    case TK_GREEK: ++i; return token->m_text == "p" ? kProgramPi : Unknown();
    case TK_BRACKETS: ++i; return Group(*token);
    case TK_FRACTION: {
        ++i;
        const double numerator = Sum(token->m_list, 0);
        const double denominator = Sum(token->m_list2, 0);
        return denominator != 0.0 ? Finite(numerator / denominator) : kNaN;
    }
    case TK_SQRT: {
        ++i;
        const double v = Sum(token->m_list, 0);
        return v >= 0.0 ? std::sqrt(v) : kNaN;
    }
    case TK_ROOT: {
        ++i;
        const double radicand = Sum(token->m_list, 0);
        // No index, or an empty group for one (a root after "/"), is a square root.
        const KTEToken* first = token->m_list2.At(0);
        const bool none = !first || (token->m_list2.GetCount() == 1 && first->m_kind == TK_BRACKETS &&
                                     first->m_list.GetCount() == 1 && first->m_list.KindAt(0) == TK_SPACE);
        const double index = none ? 2.0 : Sum(token->m_list2, 0);
        return index != 0.0 ? RealPower(radicand, 1.0 / index) : kNaN;
    }
    case TK_FUNCTION:
    case TK_ARCSINCOSTAN: return Application(list, i);
    default: return Unknown();
    }
}

double Reader::Group(const KTEToken& token)
{
    const double v = Sum(token.m_list, 0);
    const bool bars = token.m_text == "|,|" || token.m_text == "|[,]|";
    return bars ? std::fabs(v) : v;
}

// A function's name, the power typeset on it ("sin^2 x"), and its argument group.
double Reader::Application(const KTETokenList& list, int& i)
{
    const KTEToken* name = list.At(i++);
    double power = 1.0;
    double base = 10.0; // of a logarithm, typed as its subscript: "log2 x"
    if (list.KindAt(i) == TK_POWER)
        power = Sum(list.At(i++)->m_list, 0);
    else if (list.KindAt(i) == TK_SUBSCRIPT && name->m_text == "log")
        base = Sum(list.At(i++)->m_list, 0);
    if (KindAt(list, i) != TK_BRACKETS)
        return Unknown();
    const double argument = Group(*list.At(i++));
    CString function = name->m_text;
    if (name->m_kind == TK_ARCSINCOSTAN)
        function = "a" + function.Left(3);
    double value = Function(function, argument);
    if (base != 10.0)
        value = base > 0.0 && base != 1.0 ? value / std::log10(base) : kNaN;
    return power == 1.0 ? value : RealPower(value, power);
}

double Reader::Function(const CString& name, double v)
{
    return Finite(Value(name, v));
}

double Reader::Value(const CString& name, double v)
{
    const double a = v * (1.0 / m_factor); // an angle in radians
    // Beyond a million radians an angle's last bits decide its sine: that is rounding, not
    // reading, and is left unread.
    if (IsTrigonometric(name) && !(std::fabs(a) <= 1e6))
        return Unknown();
    const auto inverse = [this](double radians) { return radians * m_factor; };
    const auto nonZero = [](double d, double n) { return d != 0.0 ? n / d : kNaN; };
    if (name == "sin")
        return std::sin(a);
    if (name == "cos")
        return std::cos(a);
    if (name == "tan")
        return nonZero(std::cos(a), std::sin(a));
    if (name == "sec")
        return nonZero(std::cos(a), 1.0);
    if (name == "cosec")
        return nonZero(std::sin(a), 1.0);
    if (name == "cot")
        return nonZero(std::sin(a), std::cos(a));
    if (name == "asin")
        return std::fabs(v) <= 1.0 ? inverse(std::asin(v)) : kNaN;
    if (name == "acos")
        return std::fabs(v) <= 1.0 ? inverse(std::acos(v)) : kNaN;
    if (name == "atan")
        return inverse(std::atan(v));
    if (name == "sinh")
        return std::fabs(v) <= 200.0 ? std::sinh(v) : kNaN;
    if (name == "cosh")
        return std::fabs(v) <= 200.0 ? std::cosh(v) : kNaN;
    if (name == "tanh")
        return std::fabs(v) <= 200.0 ? std::tanh(v) : kNaN;
    if (name == "ln")
        return v > 0.0 ? std::log(v) : kNaN;
    if (name == "log")
        return v > 0.0 ? std::log10(v) : kNaN;
    if (name == "exp")
        return std::exp(v);
    if (name == "abs")
        return std::fabs(v);
    if (name == "gint")
        return std::floor(v);
    if (name == "normal")
        return std::exp(-v * v / 2.0) / std::sqrt(2.0 * kProgramPi);
    return Unknown();
}

} // namespace

double RealPower(double a, double p)
{
    if (!std::isfinite(a) || !std::isfinite(p))
        return kNaN;
    if (a > 0.0)
        return Finite(std::pow(a, p));
    if (a == 0.0) // 0 ^ 0 is 0, as the program's power rule has it
        return p >= 0.0 ? 0.0 : kNaN;
    if (p == std::floor(p))
        return Finite(std::pow(a, p));
    for (int j = 3; j <= 31; j += 2) {
        const double k = std::round(p * j);
        if (std::fabs(p * j - k) <= 1e-8) {
            const double magnitude = Finite(std::pow(-a, p));
            return std::fmod(std::fabs(k), 2.0) == 1.0 ? -magnitude : magnitude;
        }
    }
    return kNaN;
}

TreeReading ReadTree(const KTETokenList& top, double x, double angleFactor)
{
    TreeReading reading;
    int i = 0;
    while (top.KindAt(i) == TK_SPACE)
        ++i;
    if (top.KindAt(i) != TK_VARIABLE || top.GetText(i) != "y")
        return reading;
    do
        ++i;
    while (top.KindAt(i) == TK_SPACE);
    if (top.KindAt(i) != TK_EQUAL)
        return reading;
    Reader reader(x, angleFactor);
    const double value = reader.Sum(top, i + 1);
    reading.known = reader.Known();
    reading.scale = reader.Scale();
    reading.value = std::isfinite(value) ? value : kNaN;
    return reading;
}

} // namespace kttest
