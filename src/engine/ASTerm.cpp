#include "engine/ASTerm.h"

#include "engine/ASExpressionText.h"
#include "engine/ASLimitException.h"
#include "engine/ASNodePool.h"
#include "engine/ASVariablePower.h"

#include <algorithm>
#include <cmath>

namespace {

// The whole part of a coefficient, truncated toward zero; 0 for an undefined one.
std::int32_t WholePart(const ASRational& value)
{
    return value.m_denominator == 0 ? 0 : value.m_numerator / value.m_denominator;
}

bool IsUnit(const ASRational& value)
{
    return std::fabs(value.Value() - 1.0) <= ASTerm::UnitTolerance;
}

} // namespace

ASTerm::ASTerm() : ASTokenNode(NodeKind) {}

void ASTerm::EnsureFinished() const
{
    if (m_finished)
        return;
    // Finishing only turns the factor tokens into their collected form; the term's value does
    // not change, so readers may do it on a const term.
    auto* self = const_cast<ASTerm*>(this);
    self->Collect();
    self->RebuildTokens();
    self->m_finished = 1;
}

void ASTerm::AppendTokens(ASTokenList& out) const
{
    EnsureFinished();
    if (!m_hasVariables) {
        m_coefficient.AppendTokens(out);
        return;
    }
    bool anything = false;
    if (!IsUnit(m_coefficient)) {
        m_coefficient.AppendTokens(out);
        anything = true;
    }
    for (int slot = 1; slot < Slots; ++slot) {
        if (m_exponents[slot].IsZero())
            continue;
        if (anything)
            out.Append(ASKind::Multiply);
        out.Append(slot);
        if (!IsUnit(m_exponents[slot])) {
            out.Append(ASKind::Power);
            m_exponents[slot].AppendTokens(out);
        }
        anything = true;
    }
}

bool ASTerm::AppendNode(ASRoot* node)
{
    ASRequireRoom(m_tokens.Append(ASKind::Node, 0.0, node));
    m_finished = 0;
    return true;
}

bool ASTerm::SetFromTokens(const ASTokenList& tokens)
{
    m_tokens.Assign(tokens);
    const bool collected = Collect();
    RebuildTokens();
    m_finished = 1;
    return collected;
}

bool ASTerm::SetFromText(const CString& text)
{
    try {
        ASExpressionText expression;
        expression.SetText(text);
        ASTokenList list(ASTokenList::AlgebraCapacity);
        if (!expression.Tokenize(list))
            return false;
        if (!list.ContainsFunction())
            list.RunNormalisationPasses();
        const auto* term = ASNodeAs<ASTerm>(list.NodeAt(0));
        if (term)
            Assign(*term);
        Collect();
        RebuildTokens();
        m_finished = 1;
        return term && list.GetCount() == 1;
    } catch (const ASLimitException&) {
        return false;
    }
}

void ASTerm::SetCoefficient(const ASRational& value)
{
    m_coefficient.Assign(value);
    for (ASRational& exponent : m_exponents)
        exponent.Set(0, 1);
    RebuildTokens();
    m_finished = 1;
}

void ASTerm::Assign(const ASTerm& other)
{
    other.EnsureFinished();
    m_coefficient.Assign(other.m_coefficient);
    for (int slot = 0; slot < Slots; ++slot)
        m_exponents[slot].Assign(other.m_exponents[slot]);
    RebuildTokens();
    m_finished = 1;
}

ASTerm ASTerm::Plus(const ASTerm& other) const
{
    ASTerm result(*this);
    result.Add(other);
    return result;
}

ASTerm ASTerm::Negated() const
{
    EnsureFinished();
    ASTerm result(*this);
    result.m_coefficient.Assign(m_coefficient.Multiply(-1.0));
    result.RebuildTokens();
    return result;
}

ASTerm ASTerm::Minus(const ASTerm& other) const
{
    ASTerm result(*this);
    result.Subtract(other);
    return result;
}

ASTerm ASTerm::Times(const ASTerm& other) const
{
    ASTerm result(*this);
    result.Multiply(other);
    return result;
}

ASTerm ASTerm::Over(const ASTerm& other) const
{
    ASTerm result(*this);
    result.DivideBy(other);
    return result;
}

void ASTerm::Add(const ASTerm& other)
{
    EnsureFinished();
    if (!IsLike(other))
        return;
    m_coefficient.Assign(m_coefficient.Add(other.m_coefficient));
    if (m_coefficient.IsZero())
        SetZero();
    else
        RebuildTokens();
}

void ASTerm::Subtract(const ASTerm& other)
{
    EnsureFinished();
    if (!IsLike(other))
        return;
    m_coefficient.Assign(m_coefficient.Subtract(other.m_coefficient));
    if (m_coefficient.IsZero())
        SetZero();
    else
        RebuildTokens();
}

void ASTerm::Multiply(const ASTerm& other)
{
    EnsureFinished();
    other.EnsureFinished();
    m_coefficient.Assign(m_coefficient.Multiply(other.m_coefficient));
    if (m_coefficient.IsZero()) {
        SetZero();
        return;
    }
    for (int slot = 0; slot < Slots; ++slot)
        m_exponents[slot].Assign(m_exponents[slot].Add(other.m_exponents[slot]));
    RebuildTokens();
}

void ASTerm::DivideBy(const ASTerm& other)
{
    EnsureFinished();
    other.EnsureFinished();
    // An undefined coefficient would travel on into printed results; stop here instead.
    if (other.m_coefficient.IsZero())
        throw ASLimitException(ASLimitException::Reason::DivisionByZero);
    m_coefficient.Assign(m_coefficient.Divide(other.m_coefficient));
    if (m_coefficient.IsZero()) {
        SetZero();
        return;
    }
    for (int slot = 0; slot < Slots; ++slot)
        m_exponents[slot].Assign(m_exponents[slot].Subtract(other.m_exponents[slot]));
    RebuildTokens();
}

ASTerm ASTerm::CommonFactor(const ASTerm& other) const
{
    EnsureFinished();
    other.EnsureFinished();
    ASTerm result;
    result.m_coefficient.Set(::CommonFactor(WholePart(m_coefficient), WholePart(other.m_coefficient)), 1);
    for (int slot = 0; slot < Slots; ++slot) {
        const bool mine = m_exponents[slot].Value() <= other.m_exponents[slot].Value();
        result.m_exponents[slot].Assign(mine ? m_exponents[slot] : other.m_exponents[slot]);
    }
    result.RebuildTokens();
    result.m_finished = 1;
    return result;
}

void ASTerm::SetZero()
{
    m_coefficient.Set(0, 1);
    for (ASRational& exponent : m_exponents)
        exponent.Set(0, 1);
    RebuildTokens();
    m_finished = 1;
}

void ASTerm::SetConstant(int value)
{
    m_coefficient.Set(value, 1);
    for (ASRational& exponent : m_exponents)
        exponent.Set(0, 1);
    RebuildTokens();
    m_finished = 1;
}

void ASTerm::SetExponent(int slot, const ASRational& exponent)
{
    EnsureFinished();
    if (slot <= 0 || slot >= Slots)
        return;
    m_exponents[slot].Assign(exponent);
    RebuildTokens();
}

bool ASTerm::Equals(const ASTerm& other) const
{
    return IsLike(other) && m_coefficient.Equals(other.m_coefficient);
}

bool ASTerm::EqualsText(const CString& text) const
{
    ASTerm other;
    other.SetFromText(text);
    return Equals(other);
}

bool ASTerm::IsLike(const ASTerm& other) const
{
    EnsureFinished();
    other.EnsureFinished();
    for (int slot = 0; slot < Slots; ++slot) {
        if (!m_exponents[slot].Equals(other.m_exponents[slot]))
            return false;
    }
    return true;
}

bool ASTerm::IsConstant() const
{
    EnsureFinished();
    return std::all_of(std::begin(m_exponents), std::end(m_exponents),
                       [](const ASRational& exponent) { return exponent.IsZero(); });
}

bool ASTerm::Collect()
{
    ASRational coefficient(1, 1);
    ASRational exponents[Slots];
    bool ok = true;
    for (int i = 0; i < m_tokens.GetCount(); ++i) {
        const ASRoot* node = m_tokens.NodeAt(i);
        if (const auto* rational = ASNodeAs<ASRational>(node)) {
            coefficient.Assign(coefficient.Multiply(*rational));
        } else if (const auto* power = ASNodeAs<ASVariablePower>(node)) {
            if (power->m_variable < 1 || power->m_variable >= Slots) {
                ok = false;
                continue;
            }
            ASRational& slot = exponents[power->m_variable];
            slot.Assign(slot.Add(power->m_exponent));
        } else if (const auto* term = ASNodeAs<ASTerm>(node)) {
            // A term among the factors multiplies in whole, as a product of its factors would.
            term->EnsureFinished();
            coefficient.Assign(coefficient.Multiply(term->m_coefficient));
            for (int slot = 0; slot < Slots; ++slot)
                exponents[slot].Assign(exponents[slot].Add(term->m_exponents[slot]));
        } else {
            // No node, or a node that is no factor (a quotient): skipping it would drop a factor.
            ok = false;
        }
    }
    m_coefficient.Assign(coefficient);
    for (int slot = 0; slot < Slots; ++slot)
        m_exponents[slot].Assign(exponents[slot]);
    if (m_coefficient.IsZero()) {
        for (ASRational& exponent : m_exponents)
            exponent.Set(0, 1);
    }
    return ok;
}

void ASTerm::RebuildTokens()
{
    m_tokens.Clear();
    ASRequireRoom(m_tokens.Append(ASKind::Node, 0.0, ASCloneNode(&m_coefficient)));
    m_hasVariables = 0;
    for (int slot = 0; slot < Slots; ++slot) {
        if (m_exponents[slot].IsZero())
            continue;
        auto* power = ASNew<ASVariablePower>();
        power->m_variable = slot;
        power->SetExponent(m_exponents[slot]);
        ASRequireRoom(m_tokens.Append(ASKind::Node, 0.0, power));
        m_hasVariables = 1;
    }
}
