#pragma once
// The working object that turns one normalised side of an equation into a single quotient:
// brackets innermost first, whole powers of nodes expanded, products and divisions of nodes
// combined, and what remains handed to the quotient's own structuring.

#include "engine/ASQuotient.h"
#include "engine/ASTokenNode.h"

class ASTokenExpression : public ASTokenNode
{
public:
    static constexpr ASNodeKind NodeKind = ASNodeKind::TokenExpression;

    ASTokenExpression() : ASTokenNode(NodeKind) {}
    ASTokenExpression(const ASTokenExpression&) = default;
    ASTokenExpression& operator=(const ASTokenExpression&) = delete;

    /// Replaces the own tokens by one node token for the quotient form of the side; false when
    /// some part has no quotient form (the node is still there, but not to be used). Throws
    /// ASLimitException when the working list (250 tokens) or the nesting limit is exceeded.
    bool Structure(const ASTokenList& side);
    /// A new pooled quotient: the flattened form of the first token's quotient, or 0 over 1.
    /// Its m_unresolved is set when the flattening met something it could not combine.
    ASQuotient ToQuotient() const;

private:
    /// Each innermost bracket pair is structured by an inner expression and replaced by a node
    /// for its quotient; false when a part failed or a bracket was unmatched.
    static bool ReduceBrackets(ASTokenList& work);
};
