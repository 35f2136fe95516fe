#include "engine/ASTokenExpression.h"

#include "engine/ASLimitException.h"
#include "engine/ASNodePool.h"
#include "engine/ASVariablePower.h"

#include <cmath>
#include <optional>

namespace {

constexpr double kWholeTolerance = 0.00001;

bool IsOpen(ASTokenKind kind)
{
    return kind == ASKind::Open || kind == ASKind::OpenGuillemet;
}

bool IsClose(ASTokenKind kind)
{
    return kind == ASKind::Close || kind == ASKind::CloseGuillemet;
}

// The plain factor tokens a product run may take in: x, y, the nameless variable, a-d, numbers,
// "*", "^" and sqrt.
bool IsRunKind(ASTokenKind kind)
{
    return kind == ASKind::X || kind == ASKind::Y || kind == ASKind::NoName ||
           (kind >= ASKind::A && kind <= ASKind::D) || kind == ASKind::Number || kind == ASKind::Multiply ||
           kind == ASKind::Power || kind == ASKind::Sqrt;
}

// The value of a constant exponent: a number token, a rational, a constant term, or a
// quotient that is one constant term over 1.
std::optional<double> ConstantValue(const ASToken& token)
{
    if (token.m_kind == ASKind::Number)
        return token.m_value;
    ASRoot* node = token.Node();
    if (const auto* rational = ASNodeAs<ASRational>(node))
        return rational->m_denominator != 0 ? std::optional<double>(rational->Value()) : std::nullopt;
    if (const auto* term = ASNodeAs<ASTerm>(node))
        return term->IsConstant() ? std::optional<double>(term->Coefficient().Value()) : std::nullopt;
    if (auto* quotient = ASNodeAs<ASQuotient>(node)) {
        const ASQuotient flat = quotient->Flatten();
        const ASTokenList& numerator = flat.NumeratorTokens();
        if (quotient->m_unresolved || !flat.HasUnitDenominator())
            return std::nullopt;
        if (numerator.IsEmpty())
            return 0.0;
        if (numerator.GetCount() == 1) {
            if (const auto* term = ASNodeAs<ASTerm>(numerator.NodeAt(0)))
                return term->IsConstant() ? std::optional<double>(term->Coefficient().Value()) : std::nullopt;
        }
    }
    return std::nullopt;
}

// Replaces the tokens first..last of the list by one node token.
void ReplaceRange(ASTokenList& list, int first, int last, ASRoot* node)
{
    list[first] = ASToken(ASKind::Node, 0.0, node);
    for (int i = first + 1; i <= last; ++i)
        list.MarkDeleted(i);
    list.RemoveAmpersands();
}

ASQuotient* QuotientOf(const ASTokenList& flat, bool& ok)
{
    auto* quotient = ASNew<ASQuotient>();
    if (!quotient->SetFromTokens(flat))
        ok = false;
    return quotient;
}

// -(...) reads -1*(...).
void InsertMinusOnes(ASTokenList& work)
{
    for (int i = 0; i + 1 < work.GetCount(); ++i) {
        if (work.KindAt(i) == ASKind::Minus && IsOpen(work.KindAt(i + 1))) {
            ASRequireRoom(work.InsertAt(ASToken(ASKind::Number, 1.0), i + 1));
            ASRequireRoom(work.InsertKindAt(ASKind::Multiply, i + 2));
            i += 2;
        }
    }
}

// 1 over a term or a term-form quotient, as a new pooled node; null for zero or anything else.
ASRoot* Reciprocal(ASRoot* node)
{
    if (const auto* term = ASNodeAs<ASTerm>(node)) {
        if (term->IsZero())
            return nullptr;
        ASTerm one;
        one.SetConstant(1);
        auto* reciprocal = ASNew<ASTerm>();
        reciprocal->Assign(one.Over(*term));
        return reciprocal;
    }
    auto* quotient = ASNodeAs<ASQuotient>(node);
    if (!quotient)
        return nullptr;
    ASQuotient flat = quotient->Flatten();
    if (quotient->m_unresolved || !flat.IsTermForm() || flat.IsZero())
        return nullptr;
    auto* reciprocal = ASNew<ASQuotient>();
    reciprocal->SetNumeratorTokens(flat.DenominatorTokens());
    reciprocal->SetDenominatorTokens(flat.NumeratorTokens());
    return reciprocal;
}

// Whole powers of nodes: node^3 becomes one node for the product node * clone * clone. Kept
// together, so that a division before it divides by the whole power: 1/2^3 is 1/8, where the
// loose product 1/2*2*2 would read 2.
void ExpandWholePowers(ASTokenList& work, bool& ok)
{
    // From the right, as powers group: in x^2^3 the 2^3 becomes 8 before x is raised.
    for (int i = work.GetCount() - 3; i >= 0; --i) {
        ASRoot* node = work.NodeAt(i);
        if (!node || work.KindAt(i + 1) != ASKind::Power)
            continue;
        const std::optional<double> power = ConstantValue(work.At(i + 2));
        if (!power || std::fabs(*power - std::round(*power)) > kWholeTolerance)
            continue;
        double whole = std::round(*power);
        // x^0 is not expanded; the "^" then makes the side fail.
        if (whole == 0.0)
            continue;
        // A negative power is the positive power of the reciprocal: x^-1 is the term x^-1,
        // (x+1)^-2 is 1/(x+1) times itself. Zero has no reciprocal; the side then fails.
        ASRoot* base = node;
        if (whole < 0.0) {
            base = Reciprocal(node);
            if (!base)
                continue;
            whole = -whole;
        }
        if (whole > ASTokenList::AlgebraCapacity)
            throw ASLimitException(ASLimitException::Reason::TokenCapacity);
        ASRoot* product = base;
        if (whole > 1.0) {
            ASTokenList factors(ASTokenList::AlgebraCapacity);
            ASRequireRoom(factors.Append(ASKind::Node, 0.0, base));
            for (int k = 1; k < static_cast<int>(whole); ++k) {
                ASRequireRoom(factors.Append(ASKind::Multiply));
                ASRequireRoom(factors.Append(ASKind::Node, 0.0, ASNodePool::Global().Clone(base)));
            }
            product = QuotientOf(factors, ok);
        }
        ReplaceRange(work, i, i + 2, product);
    }
}

// The "*" or "\" at index with its operands, made one quotient node; false when the operator
// has no node beside it (or only an empty run of plain factors).
bool CombineAt(ASTokenList& work, int i, bool& ok)
{
    const ASTokenKind op = work.KindAt(i);
    ASRoot* before = work.NodeAt(i - 1);
    ASRoot* after = work.NodeAt(i + 1);
    ASTokenList group(ASTokenList::AlgebraCapacity);
    int first = i - 1;
    int last = i + 1;
    if (before && after) {
        ASRequireRoom(group.Append(ASKind::Node, 0.0, before));
        ASRequireRoom(group.Append(op));
        ASRequireRoom(group.Append(ASKind::Node, 0.0, after));
    } else if (before) {
        // The run after the operator ends at a "-".
        ASTokenList run(ASTokenList::AlgebraCapacity);
        for (last = i + 1; last < work.GetCount() && IsRunKind(work.KindAt(last)); ++last)
            ASRequireRoom(run.Append(work.KindAt(last), work.ValueAt(last)));
        --last;
        if (run.IsEmpty())
            return false;
        ASRequireRoom(group.Append(ASKind::Node, 0.0, before));
        ASRequireRoom(group.Append(op));
        ASRequireRoom(group.Append(ASKind::Node, 0.0, QuotientOf(run, ok)));
    } else if (after) {
        // The run before the operator takes in a "-", which ends it: a - 2x * q reads a + (-2x * q).
        first = i;
        while (first - 1 >= 0 && IsRunKind(work.KindAt(first - 1)))
            --first;
        const bool minus = first - 1 >= 0 && work.KindAt(first - 1) == ASKind::Minus;
        if (first == i && !minus)
            return false;
        ASTokenList run(ASTokenList::AlgebraCapacity);
        if (minus)
            ASRequireRoom(run.Append(ASKind::Minus));
        for (int k = first; k < i; ++k)
            ASRequireRoom(run.Append(work.KindAt(k), work.ValueAt(k)));
        if (minus)
            work[first - 1] = ASToken(ASKind::Plus);
        ASRequireRoom(group.Append(ASKind::Node, 0.0, QuotientOf(run, ok)));
        ASRequireRoom(group.Append(op));
        ASRequireRoom(group.Append(ASKind::Node, 0.0, after));
    } else {
        return false;
    }
    ReplaceRange(work, first, last, QuotientOf(group, ok));
    return true;
}

// Products and quotients of nodes, leftmost first; every replacement restarts the scan.
void CombineProducts(ASTokenList& work, bool& ok)
{
    bool replaced = true;
    while (replaced) {
        replaced = false;
        for (int i = 0; i < work.GetCount() && !replaced; ++i) {
            const ASTokenKind op = work.KindAt(i);
            if (op == ASKind::Multiply || op == ASKind::Divide)
                replaced = CombineAt(work, i, ok);
        }
    }
}

} // namespace

bool ASTokenExpression::Structure(const ASTokenList& side)
{
    ASDepthGuard guard;
    m_tokens.Clear();
    ASTokenList work(ASTokenList::WorkingCapacity);
    work.ShareFrom(side);
    bool ok = true;
    InsertMinusOnes(work);
    if (!ReduceBrackets(work))
        ok = false;
    ExpandWholePowers(work, ok);
    CombineProducts(work, ok);

    auto* quotient = ASNew<ASQuotient>();
    if (!quotient->SetFromTokens(work))
        ok = false;
    ASRequireRoom(m_tokens.Append(ASKind::Node, 0.0, quotient));
    return ok;
}

bool ASTokenExpression::ReduceBrackets(ASTokenList& work)
{
    // Innermost first: the pair found holds no further bracket.
    bool ok = true;
    for (;;) {
        int lastOpen = -1;
        int close = -1;
        for (int i = 0; i < work.GetCount() && close < 0; ++i) {
            if (IsOpen(work.KindAt(i)))
                lastOpen = i;
            else if (IsClose(work.KindAt(i)))
                close = i;
        }
        if (close < 0 && lastOpen < 0)
            return ok;
        if (close < 0 || lastOpen < 0) {
            // An unmatched bracket: no quotient form, but the rest is still converted.
            ok = false;
            work.RemoveAt(close < 0 ? lastOpen : close);
            continue;
        }
        ASTokenList sub(ASTokenList::AlgebraCapacity);
        for (int i = lastOpen + 1; i < close; ++i)
            ASRequireRoom(sub.Append(work.KindAt(i), work.ValueAt(i), work.At(i).m_node));
        ASTokenExpression inner;
        if (!inner.Structure(sub))
            ok = false;
        auto* quotient = ASNew<ASQuotient>();
        quotient->Assign(inner.ToQuotient());
        ReplaceRange(work, lastOpen, close, quotient);
    }
}

ASQuotient ASTokenExpression::ToQuotient() const
{
    auto* result = ASNew<ASQuotient>();
    if (auto* node = ASNodeAs<ASQuotient>(m_tokens.NodeAt(0))) {
        result->Assign(node->Flatten());
        result->m_unresolved = node->m_unresolved;
    }
    return *result;
}
