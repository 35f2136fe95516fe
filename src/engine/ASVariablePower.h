#pragma once
// One variable or family constant raised to an exact exponent.

#include "engine/ASRational.h"
#include "engine/ASTokenKind.h"

class ASVariablePower : public ASRoot
{
public:
    static constexpr ASNodeKind NodeKind = ASNodeKind::VariablePower;

    ASVariablePower() : ASRoot(NodeKind) {}
    ASVariablePower(const ASVariablePower&) = default;
    ASVariablePower& operator=(const ASVariablePower&) = default;

    /// The name ("x", "y", "a".."d", "m"; "othervar" for the rest), then "^" and the plain
    /// exponent text unless the exponent's value is 1.
    CString ToString() const override;
    /// The variable token, "^", then the exponent's tokens (also for the exponent 1).
    void AppendTokens(ASTokenList& out) const override;

    void SetExponent(const ASRational& exponent) { m_exponent.Assign(exponent); }

    ASTokenKind m_variable = ASKind::X; ///< one of the kinds 1..11
    ASRational m_exponent{0, 1};
};
