#include "engine/ASQuotient.h"

#include "engine/ASLimitException.h"
#include "engine/ASNodePool.h"
#include "engine/ASPolynomial.h"
#include "engine/ASVariablePower.h"
#include "engine/KTEntryErrorException.h"

#include <cmath>
#include <optional>
#include <vector>

namespace {

constexpr double kWholeTolerance = 0.00001;

const ASTerm* TermAt(const ASTokenList& list, int index)
{
    return ASNodeAs<ASTerm>(list.NodeAt(index));
}

std::vector<const ASTerm*> TermsOf(const ASTokenList& list)
{
    std::vector<const ASTerm*> terms;
    for (int i = 0; i < list.GetCount(); ++i) {
        if (const ASTerm* term = TermAt(list, i))
            terms.push_back(term);
    }
    return terms;
}

void AppendTermClone(ASTokenList& list, const ASTerm& term)
{
    ASRequireRoom(list.Append(ASKind::Node, 0.0, ASCloneNode(&term)));
}

bool IsUnitTerm(const ASTerm& term)
{
    return term.IsConstant() && term.Coefficient().Equals(ASRational(1, 1));
}

// Common factor folded over the terms of one list; the zero term for an empty list or one
// holding anything but terms.
ASTerm FoldCommonFactor(const ASTokenList& list)
{
    ASTerm result;
    result.SetZero();
    if (list.IsEmpty())
        return result;
    for (int i = 0; i < list.GetCount(); ++i) {
        const ASTerm* term = TermAt(list, i);
        if (!term) {
            result.SetZero();
            return result;
        }
        if (i == 0)
            result.Assign(*term);
        else
            result.Assign(result.CommonFactor(*term));
    }
    return result;
}

void NegateTerms(ASTokenList& list)
{
    for (int i = 0; i < list.GetCount(); ++i) {
        if (auto* term = ASNodeAs<ASTerm>(list.NodeAt(i))) {
            term->m_coefficient.Assign(term->m_coefficient.Multiply(-1.0));
            term->RebuildTokens();
        }
    }
}

// Reads a numerator or denominator list of term nodes, quotient nodes and the operators
// "+", "-", "*", "\" with the usual precedence: products bind tighter than sums, adjacent
// operands are added, a sign in front of an operand applies to it alone.
class FlatReader
{
public:
    explicit FlatReader(const ASTokenList& list) : m_list(list) {}

    bool Read(ASQuotient& result)
    {
        result.Clear();
        if (m_list.IsEmpty())
            return true;
        if (!Product(result))
            return false;
        while (m_pos < m_list.GetCount()) {
            ASQuotient next;
            if (!Product(next))
                return false;
            result.Add(next);
        }
        return true;
    }

private:
    bool Operand(ASQuotient& out)
    {
        bool negative = false;
        while (m_pos < m_list.GetCount() &&
               (m_list.KindAt(m_pos) == ASKind::Plus || m_list.KindAt(m_pos) == ASKind::Minus)) {
            negative = negative != (m_list.KindAt(m_pos) == ASKind::Minus);
            ++m_pos;
        }
        ASRoot* node = m_list.NodeAt(m_pos);
        if (const auto* term = ASNodeAs<ASTerm>(node)) {
            out.Clear();
            out.AddTerm(*term);
        } else if (auto* quotient = ASNodeAs<ASQuotient>(node)) {
            ASQuotient flat = quotient->Flatten();
            if (quotient->m_unresolved)
                return false;
            out.Assign(flat);
        } else {
            return false;
        }
        ++m_pos;
        if (negative)
            NegateTerms(out.NumeratorTokens());
        return true;
    }

    bool Product(ASQuotient& out)
    {
        if (!Operand(out))
            return false;
        while (m_pos < m_list.GetCount() &&
               (m_list.KindAt(m_pos) == ASKind::Multiply || m_list.KindAt(m_pos) == ASKind::Divide)) {
            const ASTokenKind op = m_list.KindAt(m_pos++);
            ASQuotient operand;
            if (!Operand(operand))
                return false;
            if (op == ASKind::Multiply)
                out.Multiply(operand);
            else
                out.Divide(operand);
        }
        return true;
    }

    const ASTokenList& m_list;
    int m_pos = 0;
};

// Solving v^k * divisor = rest by dividing loses the lines where the divisor and the rest vanish
// together: there every v satisfies the relation ("x*y = 0" is also the line x = 0,
// "(x-2)(y-3) = 0" the line x = 2). Such a relation is left to the implicit plot. A divisor of
// constants alone is taken as not zero.
bool DividingLosesSolutions(const ASQuotient& divisor, const ASQuotient& rest, int other)
{
    bool readsOther = false;
    for (const ASTerm* term : TermsOf(divisor.NumeratorTokens()))
        readsOther = readsOther || !term->Exponent(other).IsZero();
    if (!readsOther)
        return false;
    if (rest.IsZero())
        return true;
    if (!rest.HasUnitDenominator())
        return false;
    // Polynomials in the other variable alone: a common factor means common zeros (or none
    // that are real, where the implicit plot is just as right).
    const std::optional<ASPolynomial> p = ASPolynomial::FromTerms(divisor.NumeratorTokens(), other);
    const std::optional<ASPolynomial> q = ASPolynomial::FromTerms(rest.NumeratorTokens(), other);
    if (p && q) {
        if (const std::optional<int> common = ASPolynomial::CommonDegree(*p, *q))
            return *common >= 1;
    }
    // Otherwise only a power of the other variable that divides both sides is recognised.
    const ASTerm divisorFactor = FoldCommonFactor(divisor.NumeratorTokens());
    const ASTerm restFactor = FoldCommonFactor(rest.NumeratorTokens());
    return divisorFactor.ExponentValue(other) > 0.0 && restFactor.ExponentValue(other) > 0.0;
}

bool IsPlainFactorKind(ASTokenKind kind)
{
    return ASIsVariableKind(kind) || kind == ASKind::Number || kind == ASKind::Power;
}

} // namespace

ASQuotient::ASQuotient() : ASTokenNode(NodeKind)
{
    Clear();
}

CString ASQuotient::ToString() const
{
    CString numerator = m_tokens.ToString(CString());
    CString compact = numerator;
    compact.Remove(' ');
    CString denominator = m_denominator.ToString(CString());
    denominator.Remove(' ');
    if (denominator != "+1")
        return "(" + compact + ")/(" + denominator + ")";
    return "(" + numerator + ")";
}

void ASQuotient::AppendTokens(ASTokenList& out) const
{
    auto appendList = [&out](const ASTokenList& list) {
        // An empty numerator is zero; writing nothing would leave "\ (...)" for the evaluator.
        if (list.IsEmpty()) {
            out.Append(ASKind::Number, 0.0);
            return;
        }
        const bool bracket = list.GetCount() > 1;
        if (bracket)
            out.Append(ASKind::Open);
        for (int i = 0; i < list.GetCount(); ++i) {
            list.At(i).AppendTo(out);
            if (TermAt(list, i + 1))
                out.Append(ASKind::Plus);
        }
        if (bracket)
            out.Append(ASKind::Close);
    };
    appendList(m_tokens);
    if (HasUnitDenominator())
        return;
    out.Append(ASKind::Divide);
    out.Append(ASKind::Open);
    appendList(m_denominator);
    out.Append(ASKind::Close);
}

void ASQuotient::Clear()
{
    m_tokens.Clear();
    m_denominator.Clear();
    ASTerm one;
    one.SetConstant(1);
    AddTerm(one, true);
    m_kind = NodeKind;
    m_unresolved = 0;
}

bool ASQuotient::SetFromTokens(const ASTokenList& flat)
{
    ASDepthGuard guard;
    m_unresolved = 0;
    bool ok = true;
    ASTokenList buffer(ASTokenList::AlgebraCapacity);

    // A run of plain factors (x, 2, ^, *) becomes one term through the normalisation passes.
    auto closeBuffer = [&]() {
        if (buffer.IsEmpty())
            return;
        ASTokenList run(ASTokenList::AlgebraCapacity);
        run.Assign(buffer);
        buffer.Clear();
        run.RunNormalisationPasses();
        const ASTerm* term = TermAt(run, 0);
        if (!term || run.GetCount() != 1) {
            // Kept as they are: a dropped "^" would turn y^(3/10) into the sum y + 3/10.
            ok = false;
            for (int k = 0; k < run.GetCount(); ++k)
                ASRequireRoom(m_tokens.AppendCopy(run.At(k)));
            return;
        }
        AppendTermClone(m_tokens, *term);
    };

    for (int i = 0; i < flat.GetCount(); ++i) {
        const ASToken& token = flat.At(i);
        const ASTokenKind kind = token.m_kind;
        if (kind == ASKind::Node) {
            closeBuffer();
            ASRoot* node = token.m_node;
            if (ASNodeAs<ASTerm>(node) || ASNodeAs<ASQuotient>(node)) {
                ASRequireRoom(m_tokens.AppendCopy(token));
            } else if (ASNodeAs<ASRational>(node) || ASNodeAs<ASVariablePower>(node)) {
                ASTerm term;
                term.AppendNode(node);
                term.Collect();
                term.RebuildTokens();
                term.m_finished = 1;
                AppendTermClone(m_tokens, term);
            } else {
                ok = false;
                ASRequireRoom(m_tokens.AppendCopy(token));
            }
        } else if (kind == ASKind::Plus || kind == ASKind::Minus || kind == ASKind::Divide) {
            closeBuffer();
            ASRequireRoom(m_tokens.Append(kind));
        } else if (kind == ASKind::Multiply) {
            // Inside a run of plain factors "*" is part of the term; between nodes an operator.
            if (!buffer.IsEmpty() && IsPlainFactorKind(flat.KindAt(i + 1))) {
                ASRequireRoom(buffer.Append(kind));
            } else {
                closeBuffer();
                ASRequireRoom(m_tokens.Append(kind));
            }
        } else if (IsPlainFactorKind(kind)) {
            ASRequireRoom(buffer.Append(kind, token.m_value));
        } else {
            // A function, bracket or relation sign has no quotient form; it stays in the list,
            // which then is not in term form, so no arithmetic can skip over it.
            ok = false;
            closeBuffer();
            ASRequireRoom(m_tokens.AppendCopy(token));
        }
    }
    closeBuffer();
    return ok;
}

ASTerm* ASQuotient::AddTerm(const ASTerm& term, bool toDenominator)
{
    auto* clone = ASCloneNode(&term);
    ASRequireRoom((toDenominator ? m_denominator : m_tokens).Append(ASKind::Node, 0.0, clone));
    return clone;
}

void ASQuotient::Assign(const ASQuotient& other)
{
    m_tokens.Assign(other.m_tokens);
    m_denominator.Assign(other.m_denominator);
    m_unresolved = other.m_unresolved;
    m_flag = other.m_flag;
    m_text = other.m_text;
}

void ASQuotient::Combine(const ASQuotient& other, bool multiply, bool divide, bool negate)
{
    const std::vector<const ASTerm*> n = TermsOf(m_tokens);
    const std::vector<const ASTerm*> d = TermsOf(m_denominator);
    const std::vector<const ASTerm*> on = TermsOf(other.m_tokens);
    const std::vector<const ASTerm*> od = TermsOf(other.m_denominator);
    ASTokenList numerator(m_tokens.Capacity());
    ASTokenList denominator(m_denominator.Capacity());

    auto products = [](ASTokenList& out, const std::vector<const ASTerm*>& a,
                       const std::vector<const ASTerm*>& b, bool negated) {
        for (const ASTerm* x : a) {
            for (const ASTerm* y : b)
                AppendTermClone(out, negated ? x->Times(*y).Negated() : x->Times(*y));
        }
    };
    if (multiply) {
        products(numerator, n, on, false);
        products(denominator, d, od, false);
    } else if (divide) {
        products(numerator, n, od, false);
        products(denominator, d, on, false);
    } else {
        products(numerator, n, od, false);
        products(numerator, d, on, negate);
        products(denominator, d, od, false);
    }
    m_tokens.ShareFrom(numerator);
    m_denominator.ShareFrom(denominator);
}

void ASQuotient::Add(const ASQuotient& other)
{
    Combine(other, false, false, false);
    CollectLikeTerms();
}

void ASQuotient::Subtract(const ASQuotient& other)
{
    Combine(other, false, false, true);
    CollectLikeTerms();
}

void ASQuotient::Multiply(const ASQuotient& other)
{
    Combine(other, true, false, false);
    CancelCommonFactor();
}

void ASQuotient::Divide(const ASQuotient& other)
{
    if (other.IsZero())
        throw ASLimitException(ASLimitException::Reason::DivisionByZero);
    Combine(other, false, true, false);
    CollectLikeTerms();
}

ASQuotient ASQuotient::Plus(const ASQuotient& other) const
{
    ASQuotient result;
    result.Assign(*this);
    result.Add(other);
    return result;
}

ASQuotient ASQuotient::Minus(const ASQuotient& other) const
{
    ASQuotient result;
    result.Assign(*this);
    result.Subtract(other);
    return result;
}

ASQuotient ASQuotient::Times(const ASQuotient& other) const
{
    ASQuotient result;
    result.Assign(*this);
    result.Multiply(other);
    return result;
}

ASQuotient ASQuotient::Over(const ASQuotient& other) const
{
    ASQuotient result;
    result.Assign(*this);
    result.Divide(other);
    return result;
}

void ASQuotient::CollectLikeTerms()
{
    auto holdsQuotient = [](const ASTokenList& list) {
        for (int i = 0; i < list.GetCount(); ++i) {
            if (ASNodeAs<ASQuotient>(list.NodeAt(i)))
                return true;
        }
        return false;
    };
    if (holdsQuotient(m_tokens) || holdsQuotient(m_denominator))
        return;

    auto collect = [](ASTokenList& list) {
        // Repeated until nothing changes: a pair that cancels becomes a constant zero, which
        // may then meet the constants further on.
        bool changed = true;
        while (changed) {
            changed = false;
            for (int i = 0; i < list.GetCount(); ++i) {
                auto* earlier = ASNodeAs<ASTerm>(list.NodeAt(i));
                if (!earlier)
                    continue;
                for (int j = i + 1; j < list.GetCount(); ++j) {
                    const ASTerm* later = TermAt(list, j);
                    if (!later)
                        break; // the end of this run of node tokens
                    if (earlier->IsLike(*later)) {
                        earlier->Add(*later);
                        list.MarkDeleted(j);
                        changed = true;
                    }
                }
            }
            list.RemoveAmpersands();
        }
        if (list.GetCount() > 1)
            list.RemoveZeroTerms();
    };
    collect(m_tokens);
    collect(m_denominator);
}

ASTerm ASQuotient::CommonFactor() const
{
    if (!HasUnitDenominator()) {
        ASTerm zero;
        zero.SetZero();
        return zero;
    }
    return FoldCommonFactor(m_tokens);
}

ASTerm ASQuotient::HighestPowers() const
{
    ASTerm result;
    result.SetZero();
    bool first = true;
    for (const ASTerm* term : TermsOf(m_tokens)) {
        for (int slot = 0; slot < ASTerm::Slots; ++slot) {
            const ASRational& exponent = term->Exponent(slot);
            if (first || exponent.Value() > result.m_exponents[slot].Value())
                result.m_exponents[slot].Assign(exponent);
        }
        first = false;
    }
    result.m_coefficient.Set(1, 1);
    result.RebuildTokens();
    return result;
}

double ASQuotient::DegreeInX() const
{
    return HighestPowers().ExponentValue(ASKind::X);
}

double ASQuotient::DegreeInY() const
{
    return HighestPowers().ExponentValue(ASKind::Y);
}

bool ASQuotient::OnlyXAndY() const
{
    const ASTerm highest = HighestPowers();
    return highest.ExponentValue(ASKind::NoName) == 0.0 && highest.ExponentValue(ASKind::R) == 0.0 &&
           highest.ExponentValue(ASKind::T) == 0.0 && highest.ExponentValue(ASKind::Theta) == 0.0;
}

ASQuotient ASQuotient::Flatten()
{
    ASDepthGuard guard;
    ASQuotient result;
    ASQuotient denominator;
    bool ok = FlatReader(m_tokens).Read(result);
    if (ok && !HasUnitDenominator()) {
        ok = FlatReader(m_denominator).Read(denominator);
        if (ok)
            result.Divide(denominator);
    }
    if (!ok) {
        m_unresolved = 1;
        result.Assign(*this);
    }
    return result;
}

bool ASQuotient::ApplyOperator(ASQuotient& acc, ASQuotient& operand, ASTokenKind op)
{
    if (operand.NumeratorTokens().IsEmpty())
        return true;
    switch (op) {
    case ASKind::Multiply: acc.Multiply(operand); break;
    case ASKind::Divide: acc.Divide(operand); break;
    case ASKind::Plus: acc.Add(operand); break;
    case ASKind::Minus: acc.Subtract(operand); break;
    default:
        // No operator yet: the first operand is loaded as it is.
        if (acc.NumeratorTokens().IsEmpty() && acc.HasUnitDenominator())
            acc.Assign(operand);
        else
            acc.Add(operand);
        break;
    }
    operand.Clear();
    return true;
}

ASQuotient ASQuotient::Numerator() const
{
    ASQuotient result;
    result.m_tokens.Clear();
    result.SetFromTokens(m_tokens);
    return result;
}

ASQuotient ASQuotient::Denominator() const
{
    ASQuotient result;
    result.m_tokens.Clear();
    result.SetFromTokens(m_denominator);
    return result;
}

bool ASQuotient::HasUnitDenominator() const
{
    if (m_denominator.GetCount() != 1)
        return false;
    const ASTerm* term = TermAt(m_denominator, 0);
    return term && IsUnitTerm(*term);
}

bool ASQuotient::IsTermForm() const
{
    for (const ASTokenList* list : {&m_tokens, &m_denominator}) {
        for (int i = 0; i < list->GetCount(); ++i) {
            if (!TermAt(*list, i))
                return false;
        }
    }
    return true;
}

void ASQuotient::CancelCommonFactor()
{
    const ASTerm g1 = FoldCommonFactor(m_tokens);
    const ASTerm g2 = FoldCommonFactor(m_denominator);
    ASTerm g = g1.CommonFactor(g2);
    // Only a positive power is a factor both lists share. Taking out min(-1, 0) would move the
    // x^-1 of "x^-1 = y" into a denominator after the denominators were cleared, and the side
    // could then not be solved.
    for (ASRational& exponent : g.m_exponents) {
        if (exponent.Value() < 0.0)
            exponent.Set(0, 1);
    }
    g.RebuildTokens();
    for (ASTokenList* list : {&m_tokens, &m_denominator}) {
        for (int i = 0; i < list->GetCount(); ++i) {
            if (auto* term = ASNodeAs<ASTerm>(list->NodeAt(i)))
                term->DivideBy(g);
        }
    }
}

ASQuotient ASQuotient::Zero()
{
    return ASQuotient();
}

bool ASQuotient::DivideByTerm(const ASTerm& term)
{
    if (!IsTermForm())
        throw ASRequireFailureException();
    for (int i = 0; i < m_tokens.GetCount(); ++i) {
        auto* own = ASNodeAs<ASTerm>(m_tokens.NodeAt(i));
        if (!own)
            throw ASRequireFailureException();
        own->DivideBy(term);
    }
    return true;
}

bool ASQuotient::CompleteSquare(ASTerm& a, ASTerm& h, ASTerm& c) const
{
    if (!IsTermForm())
        throw ASRequireFailureException();
    const std::vector<const ASTerm*> terms = TermsOf(m_tokens);
    ASTerm zero;
    zero.SetZero();
    const ASTerm* q1 = nullptr;
    const ASTerm* q2 = &zero;
    if (terms.size() == 2) {
        q1 = terms[0];
        q2 = terms[1];
        if (q2->ExponentValue(ASKind::Y) == 2.0 && q1->ExponentValue(ASKind::Y) == 1.0)
            std::swap(q1, q2);
    } else if (terms.size() == 1) {
        q1 = terms[0];
    } else {
        return false;
    }
    const double q2Power = q2->ExponentValue(ASKind::Y);
    if (q1->ExponentValue(ASKind::Y) != 2.0 || (q2Power != 1.0 && q2Power != 0.0))
        return false;

    ASTerm aTerm(*q1);
    aTerm.SetExponent(ASKind::Y, ASRational(0, 1));
    ASTerm bTerm(*q2);
    bTerm.SetExponent(ASKind::Y, ASRational(0, 1));

    ASTerm halfRatio = bTerm.Over(aTerm); // (b / a) / 2
    halfRatio.m_coefficient.Assign(halfRatio.m_coefficient.Divide(2.0));
    halfRatio.RebuildTokens();

    a.Assign(aTerm);
    h.Assign(halfRatio.Negated());
    c.Assign(aTerm.Times(halfRatio.Times(halfRatio)));
    return true;
}

bool ASQuotient::IsConic() const
{
    if (!IsTermForm())
        return false;
    const ASTerm highest = HighestPowers();
    for (int slot : {static_cast<int>(ASKind::NoName), static_cast<int>(ASKind::R),
                     static_cast<int>(ASKind::T), static_cast<int>(ASKind::Theta)}) {
        if (highest.ExponentValue(slot) != 0.0)
            return false;
    }
    bool squareX = false;
    bool squareY = false;
    for (const ASTerm* term : TermsOf(m_tokens)) {
        const double px = term->ExponentValue(ASKind::X);
        const double py = term->ExponentValue(ASKind::Y);
        if (px > 0.0 && py > 0.0)
            return false;
        squareX = squareX || (px == 2.0 && py == 0.0);
        squareY = squareY || (py == 2.0 && px == 0.0);
    }
    return highest.ExponentValue(ASKind::X) == 2.0 && highest.ExponentValue(ASKind::Y) == 2.0 && squareX &&
           squareY;
}

bool ASQuotient::IsolateVariable(ASQuotient& left, ASQuotient& right, BYTE forX, Isolation* isolation) const
{
    const int v = forX ? ASKind::X : ASKind::Y;
    left.Assign(*this);
    right.Clear();
    // Moving terms across only keeps the relation when nothing divides them.
    if (!left.HasUnitDenominator())
        return false;

    ASTokenList& tokens = left.NumeratorTokens();
    for (int i = 0; i < tokens.GetCount(); ++i) {
        const ASTerm* term = TermAt(tokens, i);
        if (!term)
            return false;
        if (term->Exponent(v).IsZero()) {
            right.AddTerm(term->Negated());
            tokens.MarkDeleted(i);
        }
    }
    tokens.RemoveAmpersands();
    left.CollectLikeTerms();

    // The factor taken out holds the solved variable alone: family constants and the other
    // variable stay in the remaining factor, by which the other side is then divided.
    const ASTerm common = left.CommonFactor();
    ASTerm factor;
    factor.m_coefficient.Set(1, 1);
    factor.m_exponents[v].Assign(common.Exponent(v));
    factor.RebuildTokens();
    factor.m_finished = 1;

    const double k = factor.ExponentValue(v);
    if (k <= 0.0)
        return false;
    // Only a whole power can be undone by a root; y^(3/10) = x is left to the implicit plot.
    const double whole = std::round(k);
    if (std::fabs(k - whole) > kWholeTolerance || whole < 1.0)
        return false;
    const int t = static_cast<int>(whole);

    left.DivideByTerm(factor);
    const double remaining = forX ? left.DegreeInX() : left.DegreeInY();
    if (remaining != 0.0)
        return false;
    if (DividingLosesSolutions(left, right, forX ? ASKind::Y : ASKind::X))
        return false;

    if (isolation) {
        const std::vector<const ASTerm*> rest = TermsOf(left.NumeratorTokens());
        const bool constant = rest.size() == 1 && rest[0]->IsConstant() && left.HasUnitDenominator();
        isolation->divisorSign = constant ? (rest[0]->Coefficient().m_numerator < 0 ? -1 : 1) : 0;
        isolation->evenRoot = t % 2 == 0;
    }

    right.Divide(left);
    left.Clear();
    ASTerm variable;
    variable.SetFromText(forX ? "x" : "y");
    left.AddTerm(variable);

    if (t >= 2)
        right.TakeRoot(t);
    return true;
}

void ASQuotient::TakeRoot(int t)
{
    auto* radicand = ASNew<ASQuotient>();
    radicand->Assign(*this);
    Clear();
    ASTokenList& out = m_tokens;
    if (t == 2) {
        for (ASTokenKind kind : {ASKind::PlusMinus, ASKind::Sqrt, ASKind::Open})
            ASRequireRoom(out.Append(kind));
        ASRequireRoom(out.Append(ASKind::Node, 0.0, radicand));
        ASRequireRoom(out.Append(ASKind::Close));
        return;
    }
    if (t % 2 == 0)
        ASRequireRoom(out.Append(ASKind::PlusMinus));
    ASRequireRoom(out.Append(ASKind::Open));
    ASRequireRoom(out.Append(ASKind::Node, 0.0, radicand));
    for (ASTokenKind kind : {ASKind::Close, ASKind::Power, ASKind::Open})
        ASRequireRoom(out.Append(kind));
    ASRequireRoom(out.Append(ASKind::Number, 1.0));
    ASRequireRoom(out.Append(ASKind::Divide));
    ASRequireRoom(out.Append(ASKind::Number, t));
    ASRequireRoom(out.Append(ASKind::Close));
}

int ASQuotient::Classify() const
{
    if (!IsTermForm() || !OnlyXAndY())
        return 1;
    const std::vector<const ASTerm*> terms = TermsOf(m_tokens);
    auto linearIn = [&terms](int slot) {
        bool some = false;
        for (const ASTerm* term : terms) {
            const double power = term->ExponentValue(slot);
            if (power != 0.0 && power != 1.0)
                return false;
            some = some || power == 1.0;
        }
        return some;
    };
    if (linearIn(ASKind::Y))
        return 6;
    if (linearIn(ASKind::X))
        return 5;
    if (DegreeInX() == 2.0 && DegreeInY() == 2.0)
        return 7;
    return 1;
}

bool ASQuotient::IsZero() const
{
    for (int i = 0; i < m_tokens.GetCount(); ++i) {
        const ASTerm* term = TermAt(m_tokens, i);
        if (!term || !term->IsZero())
            return false;
    }
    return true;
}
