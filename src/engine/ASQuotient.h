#pragma once
// A rational function of the algebra system: a sum of terms over a sum of terms. Both sides of
// a relation are quotients, and every rearranging step is done with the operations below.
// Quotients and the terms they hold live in the ASNodePool; a quotient holds clones of its own.
//
// Operations may throw ASLimitException (a full list, an exact fraction out of range, a division
// by zero); the relation catches it and fails the rearrangement.

#include "engine/ASTerm.h"
#include "engine/ASTokenNode.h"

class ASQuotient : public ASTokenNode
{
public:
    static constexpr ASNodeKind NodeKind = ASNodeKind::Quotient;

    /// What IsolateVariable had to do, for the relation's inequality rules.
    struct Isolation
    {
        int divisorSign = 1;   ///< sign of the constant divided by; 0 when it was not a constant
        bool evenRoot = false; ///< an even root (with its plus-or-minus) was taken
    };

    /// 0 over 1.
    ASQuotient();
    /// Shares the node pointers of both lists; use Assign for a copy with its own terms.
    ASQuotient(const ASQuotient& other) = default;
    ASQuotient& operator=(const ASQuotient&) = delete;

    /// "(" N ")/(" D ")" with blanks removed, or "(" + the numerator text + ")" over 1.
    CString ToString() const override;
    /// The numerator's tokens, bracketed when more than one, terms joined by "+"; then "\" and
    /// the bracketed denominator unless it is 1.
    void AppendTokens(ASTokenList& out) const override;

    /// Numerator empty, denominator the constant term 1.
    void Clear();
    /// Appends the structured form of a flat token list to the numerator: term and quotient
    /// nodes (cloned), runs of plain factors made into terms, and "+", "-", "*", "\" between
    /// them, which Flatten combines. false when a run is no term or a token has no meaning here.
    bool SetFromTokens(const ASTokenList& flat);
    /// Appends a pool clone of the term; returns the clone.
    ASTerm* AddTerm(const ASTerm& term, bool toDenominator = false);
    /// Deep copy: both lists with cloned nodes.
    void Assign(const ASQuotient& other);

    // In-place arithmetic; no common denominator is sought: a/b + c/d is (ad + bc)/(bd).
    void Add(const ASQuotient& other);
    void Subtract(const ASQuotient& other);
    void Multiply(const ASQuotient& other);
    /// Throws ASLimitException (DivisionByZero) when the divisor's numerator is zero.
    void Divide(const ASQuotient& other);
    // Value forms: a deep copy of this with the operation applied.
    ASQuotient Plus(const ASQuotient& other) const;
    ASQuotient Minus(const ASQuotient& other) const;
    ASQuotient Times(const ASQuotient& other) const;
    ASQuotient Over(const ASQuotient& other) const;

    /// Like terms summed in each list (unless a list holds quotient nodes); zero terms dropped
    /// from a list of more than one.
    void CollectLikeTerms();
    /// Common factor of the numerator terms; the zero term when the denominator is not 1, a
    /// numerator token is no term, or the numerator is empty.
    ASTerm CommonFactor() const;
    /// The largest exponent of each variable over the numerator terms.
    ASTerm HighestPowers() const;
    double DegreeInX() const;
    double DegreeInY() const;
    /// No exponent of the nameless variable, r, t or theta.
    bool OnlyXAndY() const;
    /// The numerator evaluated into one term-form quotient (pooled; a copy is returned). A token
    /// that cannot be combined sets m_unresolved and the result is a copy of this quotient.
    ASQuotient Flatten();
    /// acc op= operand (13 "*", 14 "\", 15 "+", 16 "-"; anything else loads or adds the operand);
    /// an empty operand changes nothing; the operand is cleared.
    static bool ApplyOperator(ASQuotient& acc, ASQuotient& operand, ASTokenKind op);
    /// The numerator (denominator) over 1.
    ASQuotient Numerator() const;
    ASQuotient Denominator() const;
    void SetNumeratorTokens(const ASTokenList& tokens) { m_tokens.Assign(tokens); }
    void SetDenominatorTokens(const ASTokenList& tokens) { m_denominator.Assign(tokens); }
    bool HasUnitDenominator() const;
    /// Every token of both lists is a term node.
    bool IsTermForm() const;
    /// Divides numerator and denominator by their monomial common factor.
    void CancelCommonFactor();
    static ASQuotient Zero();
    /// Divides each numerator term; throws ASRequireFailureException unless in term form.
    bool DivideByTerm(const ASTerm& term);
    /// For a y^2 + b y: A = a, H = -(b/a)/2, C = a ((b/a)/2)^2; false for any other shape.
    /// Throws ASRequireFailureException unless in term form.
    bool CompleteSquare(ASTerm& a, ASTerm& h, ASTerm& c) const;
    /// Second degree in x and in y, with x^2 and y^2 terms and no xy term.
    bool IsConic() const;
    /// Solves this (= 0 on the other side) for y (forX 0) or x (forX 1) into left and right;
    /// false when the variable does not come out as one power.
    bool IsolateVariable(ASQuotient& left, ASQuotient& right, BYTE forX,
                         Isolation* isolation = nullptr) const;
    /// this := the t-th root of this (t >= 2) in token form: "± sqrt ( q )" for 2, else
    /// "( q ) ^ ( 1 \\ t )", with "±" in front for an even t. The old value becomes the pooled q.
    void TakeRoot(int t);
    /// 6 linear in y, 5 linear in x, 7 second degree in both, else 1.
    int Classify() const;

    /// Is the quotient zero as it stands (no numerator term, or only zero terms)?
    bool IsZero() const;

    ASTokenList& NumeratorTokens() { return m_tokens; }
    const ASTokenList& NumeratorTokens() const { return m_tokens; }
    ASTokenList& DenominatorTokens() { return m_denominator; }
    const ASTokenList& DenominatorTokens() const { return m_denominator; }

    int m_unresolved = 0;
    ASTokenList m_denominator{ASTokenList::AlgebraCapacity};

private:
    void Combine(const ASQuotient& other, bool multiply, bool divide, bool negate);
};
