// Which variable a function's domain bounds. A domain part is read before the form of its
// equation is known; once it is, "x^2+y^2=4; y>0" must keep the upper half of the circle, not the
// right half: a domain on the dependent variable bounds the function's values, not its range.

#include "engine/KTFunction3.h"

#include "foundation/KTSentinelValues.h"

namespace {

/// The roles the variables of a domain play in one form of equation.
struct DomainRoles
{
    int independent = ASKind::X; ///< the sampled variable: the domain stays its range
    int dependent = ASKind::Y;   ///< bounds the values of the lists in `lists`
    BYTE lists = 0;
    int second = ASKind::Unset; ///< a pair's other dependent variable, with `secondLists`
    BYTE secondLists = 0;
    bool lattice = false; ///< an implicit relation: the dependent domain bounds the lattice rows
};

constexpr BYTE kBothBranches =
    (1 << KTFunctionData3::FirstBranchList) | (1 << KTFunctionData3::SecondBranchList);

} // namespace

void KTFunction3::ApplyDomainVariable(const KTFunctionDomain& read)
{
    m_data.m_valueDomain = KTFunctionDomain();
    m_data.m_valueLists = 0;
    KTFunctionDomain& domain = m_data.m_domain;
    const int variable = domain.m_variable;
    const int status = m_parts.GetStatus();
    // A nameless variable is produced by no tokeniser; it keeps the range it always had.
    if (!domain.m_valid || !m_data.m_interpreted || variable == KTFunctionDomain::VariableNone ||
        variable == KTFunctionDomain::VariableSeveral || variable == ASKind::NoName ||
        status == KTStatusError || status == KTStatusNoEquation || status == KTStatusNoEquationP)
        return;

    DomainRoles roles;
    if (m_parts.m_polar && !m_parts.m_parametricX) {
        roles.independent = m_parts.m_inverse ? ASKind::R : ASKind::Theta;
        roles.dependent = m_parts.m_inverse ? ASKind::Theta : ASKind::R;
        roles.lists = kBothBranches;
    } else if (m_parts.m_parametricX) {
        // x(t) is the first list, y(t) the second.
        roles.independent = ASKind::T;
        roles.dependent = ASKind::X;
        roles.lists = 1 << KTFunctionData3::FirstBranchList;
        roles.second = ASKind::Y;
        roles.secondLists = 1 << KTFunctionData3::SecondBranchList;
    } else if (m_parts.m_parametricY) {
        roles.independent = ASKind::T;
        roles.dependent = ASKind::Y;
        roles.lists = kBothBranches;
    } else if (status == KTStatusImplicit) {
        roles.lattice = true;
    } else {
        roles.independent = m_parts.m_inverse ? ASKind::Y : ASKind::X;
        roles.dependent = m_parts.m_inverse ? ASKind::X : ASKind::Y;
        roles.lists = kBothBranches;
    }

    if (variable == roles.independent)
        return;
    if (variable != roles.dependent && variable != roles.second) {
        domain.m_valid = 0; // "y=x^2; t<1": the equation has no t
        return;
    }
    m_data.m_valueDomain = read; // the typed ends say which sides are bounds
    m_data.m_valueLists = roles.lattice ? 0 : variable == roles.dependent ? roles.lists : roles.secondLists;
    // The curve is sampled over the whole range the form gives it and ends where its values
    // leave the domain.
    DefaultDomain(domain);
    domain.m_variable = variable;
}

double KTFunction3::HoldToValueDomain(double value) const
{
    if (!((m_data.m_valueLists >> m_data.CurrentListIndex()) & 1))
        return value;
    return m_data.m_valueDomain.Holds(value) ? value : KTUndefinedValue;
}
