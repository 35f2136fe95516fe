#pragma once
// A monomial: an exact coefficient times up to eleven variables and family constants, each to an
// exact exponent. Terms live in the ASNodePool; a quotient always holds clones of its own.

#include "engine/ASRational.h"
#include "engine/ASTokenNode.h"

class ASTerm : public ASTokenNode
{
public:
    static constexpr ASNodeKind NodeKind = ASNodeKind::Term;
    /// Exponent slots, indexed by variable kind 1..11; slot 0 stays 0.
    static constexpr int Slots = 12;
    /// Coefficients and exponents within this of 1 count as 1.
    static constexpr double UnitTolerance = 1e-8;

    ASTerm();
    /// All fields copied; the token list shares its node pointers.
    ASTerm(const ASTerm& other) = default;
    ASTerm& operator=(const ASTerm&) = delete;

    /// The coefficient's tokens unless it is 1 (for a term with variables), then for each
    /// variable "*" when something came before, the variable and "^" exponent unless it is 1.
    void AppendTokens(ASTokenList& out) const override;

    /// Appends a node token for the factor (not copied) and marks the term unfinished.
    bool AppendNode(ASRoot* node);
    /// Copies the factor tokens in (nodes cloned), collects them and rebuilds; false when a
    /// token is not a rational or variable power node.
    bool SetFromTokens(const ASTokenList& tokens);
    /// The term of a short text such as "y", "x" or "1"; false when the text is not one term.
    bool SetFromText(const CString& text);
    /// coefficient := value, every exponent 0.
    void SetCoefficient(const ASRational& value);
    void Assign(const ASTerm& other);

    // Value forms: a copy with the operation applied.
    ASTerm Plus(const ASTerm& other) const;
    ASTerm Negated() const;
    ASTerm Minus(const ASTerm& other) const;
    ASTerm Times(const ASTerm& other) const;
    ASTerm Over(const ASTerm& other) const;

    /// Adds a like term (others are ignored); a zero sum becomes the zero term.
    void Add(const ASTerm& other);
    void Subtract(const ASTerm& other);
    void Multiply(const ASTerm& other);
    /// Divides coefficients and subtracts exponents; dividing by a zero coefficient leaves an
    /// undefined coefficient (denominator 0), which callers must avoid.
    void DivideBy(const ASTerm& other);
    /// Common factor of the whole parts of the coefficients, smaller exponent of each variable.
    ASTerm CommonFactor(const ASTerm& other) const;

    void SetZero();
    void SetConstant(int value);
    void SetExponent(int slot, const ASRational& exponent);

    bool Equals(const ASTerm& other) const;
    bool EqualsText(const CString& text) const;
    /// Every exponent equal.
    bool IsLike(const ASTerm& other) const;
    bool IsZero() const { return m_coefficient.IsZero(); }
    /// No exponent is non-zero.
    bool IsConstant() const;

    const ASRational& Coefficient() const { return m_coefficient; }
    const ASRational& Exponent(int slot) const { return m_exponents[slot]; }
    double ExponentValue(int slot) const { return m_exponents[slot].Value(); }

    /// Coefficient and exponents from the factor tokens; false when a token is no factor.
    bool Collect();
    /// Rebuilds the token form from coefficient and exponents.
    void RebuildTokens();

    ASRational m_exponents[Slots];
    ASRational m_coefficient;
    BYTE m_finished = 0;
    BYTE m_hasVariables = 0;

private:
    void EnsureFinished() const;
};
