#pragma once
// A polynomial in one variable with exact coefficients, read from a list of terms. The
// rearrangement asks it whether the two sides of v^k * divisor = rest share a zero, where
// dividing would lose the line on which every v satisfies the relation.

#include "engine/ASRational.h"
#include "engine/ASTokenList.h"

#include <optional>
#include <vector>

class ASPolynomial
{
public:
    /// The sum of the term nodes of the list as a polynomial in the variable of the given slot.
    /// nullopt when a token is no term, a term holds any other variable or family constant, or
    /// a power is not a whole number from 0 to MaxDegree.
    static std::optional<ASPolynomial> FromTerms(const ASTokenList& terms, int slot);

    /// The degree of the greatest common divisor of the two; -1 when both are zero, 0 when they
    /// share no factor. nullopt when the exact arithmetic leaves the 32-bit fractions.
    static std::optional<int> CommonDegree(ASPolynomial a, ASPolynomial b);

    /// -1 for the zero polynomial.
    int Degree() const { return static_cast<int>(m_coefficients.size()) - 1; }

    static constexpr int MaxDegree = 64;

private:
    void Trim();
    /// this := this mod divisor (divisor not zero).
    void Reduce(const ASPolynomial& divisor);
    void MakeMonic();

    std::vector<ASRational> m_coefficients; ///< by power, no zero leading coefficient
};
