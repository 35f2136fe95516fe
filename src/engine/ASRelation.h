#pragma once
// The equation or inequality of one plotted function, as two quotients around a relation sign,
// and its rearrangement into y = ... (or x = ...): denominators cleared, polynomials in one power
// of the solved variable undone by a root, second-degree curves solved by completing the square.
//
// Inequalities keep their meaning: dividing by a negative constant mirrors the sign, and where
// the direction cannot be known (a divisor that is not a constant, an even root) the
// rearrangement fails and the caller plots the relation implicitly. A fixed limit reached on
// the way (ASLimitException) also makes the operations fail instead of escaping.

#include "engine/ASQuotient.h"
#include "engine/ASRestriction.h"
#include "engine/ASTokenNode.h"

class ASRelation : public ASTokenNode
{
public:
    ASRelation() : ASTokenNode(ASNodeKind::Relation) {}
    ASRelation(const ASRelation&) = default;
    ASRelation& operator=(const ASRelation&) = delete;

    /// " " + left, sign and right printed without separators + " ".
    CString ToString() const override;
    /// Left tokens, the relation sign, right tokens, each quotient expanded into its tokens.
    /// A target that cannot hold them is marked overflowed (never after a successful
    /// RearrangeForY into a list of 100 tokens).
    void AppendTokens(ASTokenList& out) const override;
    CString Text() const { return ToString(); }

    /// Builds left quotient, relation token, right quotient from a linear token list. false
    /// (no exception) for 2 tokens or fewer, a function or plus-or-minus on the left, or a side
    /// without quotient form. Throws ASNoRelationException when no relation sign is present.
    bool SetFromTokens(const ASTokenList& tokens);
    /// Multiplies both sides by each other's denominator; each non-unit denominator is
    /// appended to the list with code 3. false only when a limit was reached.
    bool ClearDenominators(ASRestrictionList& restrictions);
    /// Left minus right as a new pooled quotient (a copy is returned); the relation is unchanged.
    ASQuotient Difference() const;
    /// true when the left side is now the term y (or x) alone. May let ASRequireFailureException
    /// through.
    bool RearrangeForY(ASRestrictionList& restrictions);
    /// ">" <-> "<", ">=" <-> "<="; throws ASUnclassifiedException for any other kind.
    ASTokenKind MirrorRelation();

    /// The sides and the sign; null / -1 before a successful SetFromTokens.
    ASQuotient* Left() const;
    ASQuotient* Right() const;
    ASTokenKind RelationKind() const;

private:
    bool IsInequality() const;
    bool DenominatorSigns(int& sign) const;
    bool SolveConic(ASQuotient& left, ASQuotient& right);
    bool FitsTokenList() const;
};
