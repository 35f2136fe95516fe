// The normalisation passes of ASTokenList: numbers become exact rationals, variables become
// variable powers, products of these become terms, signs go into the terms and redundant
// brackets disappear. Consumed tokens are marked deleted and removed at the end of each pass.

#include "engine/ASLimitException.h"
#include "engine/ASNodePool.h"
#include "engine/ASRational.h"
#include "engine/ASTerm.h"
#include "engine/ASTokenList.h"
#include "engine/ASVariablePower.h"

#include <cmath>
#include <limits>

namespace {

bool IsFactorNode(const ASRoot* node)
{
    return node && (node->Kind() == ASNodeKind::Rational || node->Kind() == ASNodeKind::VariablePower);
}

std::int32_t TruncatedInt32(double value)
{
    const double truncated = std::trunc(value);
    if (!std::isfinite(truncated) || truncated > std::numeric_limits<std::int32_t>::max() ||
        truncated < std::numeric_limits<std::int32_t>::min())
        throw ASLimitException(ASLimitException::Reason::IntegerRange);
    return static_cast<std::int32_t>(truncated);
}

} // namespace

bool ASTokenList::ContainsFunction() const
{
    for (int i = 0; i < m_count; ++i) {
        if (ASIsFunctionKind(At(i).m_kind))
            return true;
    }
    return false;
}

bool ASTokenList::Normalise()
{
    if (ContainsFunction())
        return true;
    RunNormalisationPasses();
    return false;
}

void ASTokenList::RunNormalisationPasses()
{
    MakeRationals();
    NumbersToRationals();
    VariablesToPowers();
    GroupTerms();
    AbsorbSigns();
    RemoveRedundantBrackets();
}

void ASTokenList::RemoveAmpersands()
{
    // Compacted in place: the surviving tokens keep their nodes, nothing needs cloning.
    int kept = 0;
    for (int i = 0; i < m_count; ++i) {
        if (m_tokens[static_cast<std::size_t>(i)].m_kind == ASKind::Deleted)
            continue;
        if (kept != i)
            m_tokens[static_cast<std::size_t>(kept)] = m_tokens[static_cast<std::size_t>(i)];
        ++kept;
    }
    m_count = kept;
}

void ASTokenList::MakeRationals()
{
    for (int i = 0; i + 6 < m_count; ++i) {
        if (KindAt(i) != ASKind::Open || KindAt(i + 1) != ASKind::Number || KindAt(i + 2) != ASKind::Divide ||
            KindAt(i + 3) != ASKind::Open || KindAt(i + 4) != ASKind::Number ||
            KindAt(i + 5) != ASKind::Close || KindAt(i + 6) != ASKind::Close)
            continue;
        auto* rational = ASNew<ASRational>();
        rational->Set(TruncatedInt32(ValueAt(i + 1)), TruncatedInt32(ValueAt(i + 4)));
        (*this)[i] = ASToken(ASKind::Node, 0.0, rational);
        for (int k = 1; k <= 6; ++k)
            MarkDeleted(i + k);
        i += 6;
    }
    RemoveAmpersands();
}

void ASTokenList::NumbersToRationals()
{
    for (int i = 0; i < m_count; ++i) {
        if (KindAt(i) != ASKind::Number)
            continue;
        auto* rational = ASNew<ASRational>();
        rational->SetFromDouble(ValueAt(i));
        (*this)[i] = ASToken(ASKind::Node, 0.0, rational);
    }
}

void ASTokenList::VariablesToPowers()
{
    for (int i = 0; i < m_count; ++i) {
        const ASTokenKind kind = KindAt(i);
        if (!ASIsVariableKind(kind))
            continue;
        auto* power = ASNew<ASVariablePower>();
        power->m_variable = kind;
        power->m_exponent.Set(1, 1);
        const auto* exponent = ASNodeAs<ASRational>(NodeAt(i + 2));
        // x^2^3 is x^(2^3), as the evaluator reads it: a power with a power after it stays.
        if (KindAt(i + 1) == ASKind::Power && exponent && KindAt(i + 3) != ASKind::Power) {
            power->SetExponent(*exponent);
            MarkDeleted(i + 1);
            MarkDeleted(i + 2);
        }
        (*this)[i] = ASToken(ASKind::Node, 0.0, power);
    }
    RemoveAmpersands();
}

void ASTokenList::GroupTerms()
{
    // A factor followed by a power that was not absorbed (x^(10), x^y) keeps the power to
    // itself: it is not taken into the product before it, or 2x^(10) would read (2x)^10.
    auto carriesPower = [this](int index) { return KindAt(index + 1) == ASKind::Power; };

    for (int i = 0; i < m_count; ++i) {
        ASRoot* first = NodeAt(i);
        if (!IsFactorNode(first))
            continue;
        auto* term = ASNew<ASTerm>();
        term->AppendNode(first);
        // After a division only the first factor is divided by: x/2*a is (x/2)*a, as the
        // evaluator reads it, and the "*" stays between the two. Likewise only the first factor
        // after a "^" is the exponent: in (x+1)^2*3 the 3 is no part of it.
        const bool single = KindAt(i - 1) == ASKind::Divide || KindAt(i - 1) == ASKind::Power;
        int j = i + 1;
        if (single && IsFactorNode(NodeAt(j)))
            ASRequireRoom(InsertKindAt(ASKind::Multiply, j)); // x/2 a is (x/2)*a as well
        while (j < m_count && !single) {
            if (KindAt(j) == ASKind::Multiply) {
                // A "*" before a bracket stays and ends the run; so does one before a factor that
                // carries its own power, or one that is followed by no factor at all.
                if (!IsFactorNode(NodeAt(j + 1)) || carriesPower(j + 1))
                    break;
                MarkDeleted(j);
                term->AppendNode(NodeAt(j + 1));
                MarkDeleted(j + 1);
                j += 2;
                continue;
            }
            if (IsFactorNode(NodeAt(j))) {
                if (carriesPower(j)) {
                    // Adjacent factors multiply; keep that meaning with an explicit "*".
                    ASRequireRoom(InsertKindAt(ASKind::Multiply, j));
                    break;
                }
                term->AppendNode(NodeAt(j));
                MarkDeleted(j);
                ++j;
                continue;
            }
            break;
        }
        term->Collect();
        term->RebuildTokens();
        term->m_finished = 1;
        (*this)[i] = ASToken(ASKind::Node, 0.0, term);
        i = j - 1;
    }
    RemoveAmpersands();
}

void ASTokenList::AbsorbSigns()
{
    for (int i = 0; i + 1 < m_count; ++i) {
        const ASTokenKind kind = KindAt(i);
        if (kind != ASKind::Plus && kind != ASKind::Minus)
            continue;
        auto* term = ASNodeAs<ASTerm>(NodeAt(i + 1));
        // A term that carries a power of its own keeps its sign outside: -y^(2) is -(y^2).
        if (!term || KindAt(i + 2) == ASKind::Power)
            continue;
        if (kind == ASKind::Minus) {
            term->m_coefficient.Assign(term->m_coefficient.Multiply(-1.0));
            term->RebuildTokens();
        }
        MarkDeleted(i);
    }
    RemoveAmpersands();
}

bool ASTokenList::RemoveRedundantBrackets()
{
    bool marked = true;
    while (marked) {
        marked = false;
        for (int i = 1; i + 1 < m_count; ++i) {
            if (KindAt(i - 1) == ASKind::Open && KindAt(i + 1) == ASKind::Close &&
                ASNodeAs<ASTerm>(NodeAt(i))) {
                MarkDeleted(i - 1);
                MarkDeleted(i + 1);
                marked = true;
                ++i;
            }
        }
        RemoveAmpersands();
    }
    return false;
}

void ASTokenList::RemoveZeroTerms()
{
    for (int i = 0; i < m_count; ++i) {
        const auto* term = ASNodeAs<ASTerm>(NodeAt(i));
        if (term && term->IsZero() && term->IsConstant())
            MarkDeleted(i);
    }
    RemoveAmpersands();
}

bool ASTokenList::ExtractDivisors()
{
    ASTokenList divisors(m_capacity);
    int groups = 0;
    for (int i = 0; i < m_count; ++i) {
        if (KindAt(i) != ASKind::Divide || i + 1 >= m_count)
            continue;
        if (groups++ > 0)
            ASRequireRoom(divisors.Append(ASKind::Multiply));
        int depth = 1;
        int j = i + 1;
        ASRequireRoom(divisors.AppendCopy(At(j)));
        for (++j; j < m_count && depth >= 1; ++j) {
            if (KindAt(j) == ASKind::Open)
                ++depth;
            else if (KindAt(j) == ASKind::Close)
                --depth;
            ASRequireRoom(divisors.AppendCopy(At(j)));
        }
        i = j - 1;
    }
    Assign(divisors);
    return m_count > 0;
}
