#include "ASTestHelpers.h"

#include "engine/ASExpressionText.h"
#include "engine/ASTokenKind.h"

#include <algorithm>
#include <cmath>

namespace astest {

ASTokenList Tokens(const char* text)
{
    ASExpressionText expression;
    expression.SetText(text);
    ASTokenList list;
    expression.Tokenize(list);
    return list;
}

namespace {

// Real powers as the evaluator takes them: a negative base only with an exponent that is a
// fraction of odd denominator.
std::optional<double> Power(double base, double exponent)
{
    if (base >= 0.0) {
        if (base == 0.0 && exponent < 0.0)
            return std::nullopt;
        return std::pow(base, exponent);
    }
    if (exponent == std::floor(exponent))
        return std::pow(base, exponent);
    for (int j = 3; j <= 31; j += 2) {
        const double k = exponent * j;
        if (std::fabs(k - std::round(k)) < 1e-8) {
            const double magnitude = std::pow(-base, exponent);
            return static_cast<long long>(std::round(k)) % 2 != 0 ? -magnitude : magnitude;
        }
    }
    return std::nullopt;
}

class Reader
{
public:
    Reader(const ASTokenList& tokens, int first, int last, const Point& at)
        : m_tokens(tokens), m_pos(first), m_end(last + 1), m_at(at)
    {
    }

    std::optional<double> Run()
    {
        std::optional<double> value = Sum();
        if (m_pos != m_end)
            return std::nullopt;
        return value;
    }

    double Peak() const { return m_peak; }

private:
    int Kind() const { return m_pos < m_end ? m_tokens.KindAt(m_pos) : 0; }

    std::optional<double> Note(std::optional<double> value)
    {
        if (value)
            m_peak = std::max(m_peak, std::fabs(*value));
        return value;
    }

    std::optional<double> Sum()
    {
        std::optional<double> value = Product();
        while (value && (Kind() == ASKind::Plus || Kind() == ASKind::Minus)) {
            const bool minus = Kind() == ASKind::Minus;
            ++m_pos;
            const std::optional<double> next = Product();
            if (!next)
                return std::nullopt;
            value = minus ? *value - *next : *value + *next;
            Note(value);
        }
        return value;
    }

    std::optional<double> Product()
    {
        std::optional<double> value = Unary();
        while (value && (Kind() == ASKind::Multiply || Kind() == ASKind::Divide)) {
            const bool divide = Kind() == ASKind::Divide;
            ++m_pos;
            const std::optional<double> next = Unary();
            if (!next || (divide && *next == 0.0))
                return std::nullopt;
            value = divide ? *value / *next : *value * *next;
            Note(value);
        }
        return value;
    }

    std::optional<double> Unary()
    {
        if (Kind() == ASKind::Minus) {
            ++m_pos;
            const std::optional<double> value = Unary();
            return value ? std::optional<double>(-*value) : std::nullopt;
        }
        if (Kind() == ASKind::Plus) {
            ++m_pos;
            return Unary();
        }
        return PowerOf();
    }

    std::optional<double> PowerOf()
    {
        const std::optional<double> base = Atom();
        if (!base || Kind() != ASKind::Power)
            return base;
        ++m_pos;
        const std::optional<double> exponent = Unary(); // right-associative
        if (!exponent)
            return std::nullopt;
        return Note(Power(*base, *exponent));
    }

    std::optional<double> Atom()
    {
        const int kind = Kind();
        const double value = m_tokens.ValueAt(m_pos);
        ++m_pos;
        switch (kind) {
        case ASKind::Number: return value;
        case ASKind::X: return m_at.x;
        case ASKind::Y: return m_at.y;
        case ASKind::A: return m_at.a;
        case ASKind::B: return m_at.b;
        case ASKind::Open: {
            const std::optional<double> inner = Sum();
            if (Kind() != ASKind::Close)
                return std::nullopt;
            ++m_pos;
            return inner;
        }
        case ASKind::Sqrt: {
            const std::optional<double> argument = Atom();
            if (!argument || *argument < 0.0)
                return std::nullopt;
            return std::sqrt(*argument);
        }
        default: return std::nullopt;
        }
    }

    const ASTokenList& m_tokens;
    int m_pos;
    int m_end;
    Point m_at;
    double m_peak = 0.0;
};

} // namespace

std::optional<double> Evaluate(const ASTokenList& tokens, int first, int last, const Point& at, double* peak)
{
    if (last < first)
        return std::nullopt;
    Reader reader(tokens, first, last, at);
    const std::optional<double> value = reader.Run();
    if (peak)
        *peak = std::max(reader.Peak(), value ? std::fabs(*value) : 0.0);
    if (value && !std::isfinite(*value))
        return std::nullopt;
    return value;
}

std::optional<double> Evaluate(const ASTokenList& tokens, const Point& at, double* peak)
{
    return Evaluate(tokens, 0, tokens.GetCount() - 1, at, peak);
}

std::vector<ASTokenList> Branches(const ASTokenList& tokens)
{
    const int sign = tokens.FindKind(ASKind::PlusMinus);
    if (sign < 0)
        return {tokens};
    ASTokenList plus(tokens.Capacity() + 2);
    ASTokenList minus(tokens.Capacity() + 2);
    for (int i = 0; i < tokens.GetCount(); ++i) {
        const ASToken& token = tokens.At(i);
        if (i == sign) {
            minus.Append(ASKind::Number, -1.0);
            minus.Append(ASKind::Multiply);
            continue;
        }
        plus.Append(token.m_kind, token.m_value, token.m_node);
        minus.Append(token.m_kind, token.m_value, token.m_node);
    }
    return {plus, minus};
}

bool Holds(double left, int kind, double right)
{
    switch (kind) {
    case ASKind::Greater: return left > right;
    case ASKind::GreaterEqual: return left >= right;
    case ASKind::Less: return left < right;
    case ASKind::LessEqual: return left <= right;
    default: return left == right;
    }
}

} // namespace astest
