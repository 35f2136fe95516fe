#include "engine/KTFunctionConstantRange.h"

#include "platform/KTArchive.h"

#include <algorithm>
#include <cmath>

namespace {
KTRegisterRuntimeClass<KTFunctionConstantRange> s_registration("KTFunctionConstantRange", 0);

// A quotient such as 0.3 / 0.1 reads 2.9999999999999996; the allowance makes it 3, so the
// member that lands on "to" is not lost. Relative to the quotient, and never near a whole step.
constexpr double kStepAllowance = 1e-9;
constexpr double kMaxAllowance = 1e-6;
} // namespace

bool KTFunctionConstantRange::IsFamily() const
{
    if (!std::isfinite(m_from) || !std::isfinite(m_to) || !std::isfinite(m_step))
        return false;
    if (!(m_from < m_to) || !(m_step > 0.0))
        return false;
    const double quotient = (m_to - m_from) / m_step;
    return std::isfinite(quotient) && quotient > 1.0;
}

double KTFunctionConstantRange::StepsToEnd() const
{
    if (!IsFamily())
        return -1.0;
    const double quotient = (m_to - m_from) / m_step;
    return std::floor(quotient + std::min(kMaxAllowance, kStepAllowance * std::max(1.0, quotient)));
}

int KTFunctionConstantRange::MemberCount() const
{
    const double steps = StepsToEnd();
    if (steps < 0.0)
        return 0;
    return static_cast<int>(std::min(steps + 1.0, static_cast<double>(MaxMembers)));
}

double KTFunctionConstantRange::MemberValue(int k) const
{
    const int count = MemberCount();
    if (count == 0)
        return m_from;
    k = std::clamp(k, 0, count - 1);
    // Each member from its index, never by adding steps up, so rounding does not accumulate.
    const double value = m_from + static_cast<double>(k) * m_step;
    return std::min(value, m_to);
}

double KTFunctionConstantRange::ValueAfterFamily() const
{
    const double steps = StepsToEnd();
    if (steps < 0.0)
        return m_from;
    return m_from + (steps + 1.0) * m_step;
}

void KTFunctionConstantRange::CopyFrom(const KTFunctionConstantRange& other)
{
    m_from = other.m_from;
    m_to = other.m_to;
    m_step = other.m_step;
    m_current = other.m_current;
}

void KTFunctionConstantRange::Serialize(KTArchive& ar)
{
    if (ar.IsStoring()) {
        ar << m_from << m_to << m_step << m_current;
        return;
    }
    double from = 0.0, to = 0.0, step = 0.0, current = 0.0;
    ar >> from >> to >> step >> current;
    m_from = from;
    m_to = to;
    m_step = step;
    m_current = current;
}
