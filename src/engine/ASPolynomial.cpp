#include "engine/ASPolynomial.h"

#include "engine/ASLimitException.h"
#include "engine/ASNodePool.h"
#include "engine/ASTerm.h"

#include <cmath>
#include <utility>

std::optional<ASPolynomial> ASPolynomial::FromTerms(const ASTokenList& terms, int slot)
{
    ASPolynomial result;
    try {
        for (int i = 0; i < terms.GetCount(); ++i) {
            const auto* term = ASNodeAs<ASTerm>(terms.NodeAt(i));
            if (!term)
                return std::nullopt;
            for (int other = 0; other < ASTerm::Slots; ++other) {
                if (other != slot && !term->Exponent(other).IsZero())
                    return std::nullopt;
            }
            const ASRational& exponent = term->Exponent(slot);
            if (exponent.m_denominator != 1 || exponent.m_numerator < 0 || exponent.m_numerator > MaxDegree)
                return std::nullopt;
            const auto power = static_cast<std::size_t>(exponent.m_numerator);
            if (result.m_coefficients.size() <= power)
                result.m_coefficients.resize(power + 1, ASRational(0, 1));
            result.m_coefficients[power] = result.m_coefficients[power].Add(term->Coefficient());
        }
    } catch (const ASLimitException&) {
        return std::nullopt;
    }
    result.Trim();
    return result;
}

std::optional<int> ASPolynomial::CommonDegree(ASPolynomial a, ASPolynomial b)
{
    try {
        // Euclid's algorithm; monic remainders keep the fractions small.
        while (b.Degree() >= 0) {
            a.Reduce(b);
            std::swap(a, b);
            b.MakeMonic();
        }
    } catch (const ASLimitException&) {
        return std::nullopt;
    }
    return a.Degree();
}

void ASPolynomial::Trim()
{
    while (!m_coefficients.empty() && m_coefficients.back().IsZero())
        m_coefficients.pop_back();
}

void ASPolynomial::Reduce(const ASPolynomial& divisor)
{
    const int d = divisor.Degree();
    const ASRational& lead = divisor.m_coefficients.back();
    while (Degree() >= d) {
        const int shift = Degree() - d;
        const ASRational factor = m_coefficients.back().Divide(lead);
        for (int i = 0; i < d; ++i) {
            ASRational& c = m_coefficients[static_cast<std::size_t>(i + shift)];
            c = c.Subtract(factor.Multiply(divisor.m_coefficients[static_cast<std::size_t>(i)]));
        }
        m_coefficients.pop_back(); // the leading coefficient cancels exactly
        Trim();
    }
}

void ASPolynomial::MakeMonic()
{
    if (m_coefficients.empty())
        return;
    const ASRational lead = m_coefficients.back();
    for (ASRational& c : m_coefficients)
        c = c.Divide(lead);
}
