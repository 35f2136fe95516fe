#include "engine/ASRelation.h"

#include "engine/ASLimitException.h"
#include "engine/ASNodePool.h"
#include "engine/ASTokenExpression.h"
#include "engine/KTEntryErrorException.h"

#include <vector>

namespace {

bool HasFunctionToken(const ASTokenList& list)
{
    return list.ContainsFunction();
}

// The sign of a denominator that is one constant term; 0 for anything else.
int ConstantSign(const ASTokenList& denominator)
{
    if (denominator.GetCount() != 1)
        return 0;
    const auto* term = ASNodeAs<ASTerm>(denominator.NodeAt(0));
    if (!term || !term->IsConstant() || term->IsZero())
        return 0;
    return term->Coefficient().m_numerator < 0 ? -1 : 1;
}

} // namespace

CString ASRelation::ToString() const
{
    return m_tokens.ToString(CString());
}

void ASRelation::AppendTokens(ASTokenList& out) const
{
    m_tokens.AppendTo(out);
}

ASQuotient* ASRelation::Left() const
{
    return m_tokens.GetCount() >= 3 ? ASNodeAs<ASQuotient>(m_tokens.NodeAt(0)) : nullptr;
}

ASQuotient* ASRelation::Right() const
{
    return m_tokens.GetCount() >= 3 ? ASNodeAs<ASQuotient>(m_tokens.NodeAt(2)) : nullptr;
}

ASTokenKind ASRelation::RelationKind() const
{
    return m_tokens.GetCount() >= 3 ? m_tokens.KindAt(1) : ASKind::Unset;
}

bool ASRelation::IsInequality() const
{
    const ASTokenKind kind = RelationKind();
    return kind >= ASKind::Greater && kind <= ASKind::LessEqual;
}

bool ASRelation::SetFromTokens(const ASTokenList& tokens)
{
    m_tokens.Clear();
    if (tokens.GetCount() <= 2)
        return false;
    int sign = -1;
    for (int i = 0; i < tokens.GetCount() && sign < 0; ++i) {
        if (ASIsRelationKind(tokens.KindAt(i)))
            sign = i;
    }
    if (sign < 0)
        throw ASNoRelationException();

    try {
        ASTokenList left(ASTokenList::AlgebraCapacity);
        for (int i = 0; i < sign; ++i)
            ASRequireRoom(left.AppendCopy(tokens.At(i)));
        if (HasFunctionToken(left))
            return false;
        left.RunNormalisationPasses();
        ASTokenExpression expression;
        const bool leftOk = expression.Structure(left);
        auto* leftSide = ASNew<ASQuotient>();
        leftSide->Assign(expression.ToQuotient());
        ASRequireRoom(m_tokens.Append(ASKind::Node, 0.0, leftSide));
        ASRequireRoom(m_tokens.Append(tokens.KindAt(sign)));

        ASTokenList right(ASTokenList::AlgebraCapacity);
        for (int i = sign + 1; i < tokens.GetCount(); ++i)
            ASRequireRoom(right.AppendCopy(tokens.At(i)));
        if (!HasFunctionToken(right))
            right.RunNormalisationPasses();
        const bool rightOk = expression.Structure(right);
        auto* rightSide = ASNew<ASQuotient>();
        rightSide->Assign(expression.ToQuotient());
        ASRequireRoom(m_tokens.Append(ASKind::Node, 0.0, rightSide));

        // A side that flattening could not combine still holds operators or brackets; the
        // quotient arithmetic would skip those tokens and give a wrong result.
        return leftOk && rightOk && leftSide->IsTermForm() && rightSide->IsTermForm();
    } catch (const ASLimitException&) {
        m_tokens.Clear();
        return false;
    }
}

bool ASRelation::ClearDenominators(ASRestrictionList& restrictions)
{
    ASQuotient* left = Left();
    ASQuotient* right = Right();
    if (!left || !right)
        return false;
    try {
        const ASQuotient leftNumerator = left->Numerator();
        const ASQuotient leftDenominator = left->Denominator();
        const ASQuotient rightNumerator = right->Numerator();
        const ASQuotient rightDenominator = right->Denominator();
        if (!left->HasUnitDenominator()) {
            auto* node = ASNew<ASQuotient>();
            node->Assign(leftDenominator);
            restrictions.push_back({node, ASRestriction::ClearedDenominator});
        }
        if (!right->HasUnitDenominator()) {
            auto* node = ASNew<ASQuotient>();
            node->Assign(rightDenominator);
            restrictions.push_back({node, ASRestriction::ClearedDenominator});
        }
        left->Assign(leftNumerator.Times(rightDenominator));
        right->Assign(rightNumerator.Times(leftDenominator));
        return true;
    } catch (const ASLimitException&) {
        return false;
    }
}

ASQuotient ASRelation::Difference() const
{
    auto* difference = ASNew<ASQuotient>();
    if (Left() && Right())
        difference->Assign(Left()->Minus(*Right()));
    return *difference;
}

ASTokenKind ASRelation::MirrorRelation()
{
    ASTokenKind mirrored = ASKind::Unset;
    switch (RelationKind()) {
    case ASKind::Greater: mirrored = ASKind::Less; break;
    case ASKind::GreaterEqual: mirrored = ASKind::LessEqual; break;
    case ASKind::Less: mirrored = ASKind::Greater; break;
    case ASKind::LessEqual: mirrored = ASKind::GreaterEqual; break;
    default: throw ASUnclassifiedException();
    }
    m_tokens[1] = ASToken(mirrored);
    return mirrored;
}

bool ASRelation::DenominatorSigns(int& sign) const
{
    sign = 1;
    for (const ASQuotient* side : {Left(), Right()}) {
        if (side->HasUnitDenominator())
            continue;
        const int s = ConstantSign(side->DenominatorTokens());
        if (s == 0)
            return false;
        sign *= s;
    }
    return true;
}

bool ASRelation::SolveConic(ASQuotient& left, ASQuotient& right)
{
    ASTokenList& tokens = left.NumeratorTokens();
    for (int i = 0; i < tokens.GetCount(); ++i) {
        const auto* term = ASNodeAs<ASTerm>(tokens.NodeAt(i));
        if (term && term->Exponent(ASKind::Y).IsZero()) {
            right.AddTerm(term->Negated());
            tokens.MarkDeleted(i);
        }
    }
    tokens.RemoveAmpersands();

    ASTerm a;
    ASTerm h;
    ASTerm c;
    if (!left.CompleteSquare(a, h, c))
        return false;
    right.AddTerm(c);
    right.DivideByTerm(a);
    right.TakeRoot(2);
    right.AddTerm(h);
    left.Clear();
    ASTerm y;
    y.SetFromText("y");
    left.AddTerm(y);
    return true;
}

bool ASRelation::FitsTokenList() const
{
    ASTokenList trial(ASTokenList::AlgebraCapacity);
    AppendTokens(trial);
    return !trial.Overflowed();
}

bool ASRelation::RearrangeForY(ASRestrictionList& restrictions)
{
    ASQuotient* left = Left();
    ASQuotient* right = Right();
    // Sides that did not structure still hold operators, which the arithmetic would skip.
    if (!left || !right || !left->IsTermForm() || !right->IsTermForm())
        return false;
    const bool inequality = IsInequality();
    try {
        // Multiplying out a denominator of unknown sign could turn an inequality round.
        int denominatorSign = 1;
        if (inequality && !DenominatorSigns(denominatorSign))
            return false;
        if (!ClearDenominators(restrictions))
            return false;
        if (denominatorSign < 0)
            MirrorRelation();

        left->Assign(left->Minus(*right));
        // The other side is zero now. Cleared rather than subtracted from itself: right - right
        // doubles its terms, and a product of 64 terms would no longer fit its list.
        right->Clear();

        bool tryY = true;
        if (left->IsConic()) {
            // Completing the square ends in a plus-or-minus root: no direction for an inequality.
            if (inequality)
                return false;
            ASQuotient saved;
            saved.Assign(*left);
            if (SolveConic(*left, *right))
                return FitsTokenList();
            left->Assign(saved);
            right->Clear();
            tryY = false;
        }

        for (BYTE forX : {BYTE(0), BYTE(1)}) {
            if (forX == 0 && !tryY)
                continue;
            ASQuotient solvedLeft;
            ASQuotient solvedRight;
            ASQuotient::Isolation isolation;
            if (!left->IsolateVariable(solvedLeft, solvedRight, forX, &isolation))
                continue;
            if (inequality && (isolation.evenRoot || isolation.divisorSign == 0))
                continue;
            left->Assign(solvedLeft);
            right->Assign(solvedRight);
            if (inequality && isolation.divisorSign < 0)
                MirrorRelation();
            return FitsTokenList();
        }
        return false;
    } catch (const ASLimitException&) {
        return false;
    }
}
