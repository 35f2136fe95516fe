#include "foundation/KTVector.h"

#include <cmath>

namespace {

// Callers pass this sine when they only know the cosine and want the upper half-turn.
constexpr double kSineFromCosine = 100.0;
constexpr double kDiffersTolerance = 1e-8;

const KTRegisterRuntimeClass<KTVector> registerVector("KTVector", 1);

} // namespace

void KTVector::SetLength(double length)
{
    const double n = std::sqrt(m_dx * m_dx + m_dy * m_dy);
    if (n == 0.0) {
        m_dx = 0.0;
        m_dy = 0.0;
        return;
    }
    const double factor = (1.0 / n) * length;
    m_dx *= factor;
    m_dy *= factor;
}

bool KTVector::Differs(const KTVector& v) const
{
    return std::fabs(m_dx - v.m_dx) > kDiffersTolerance || std::fabs(m_dy - v.m_dy) > kDiffersTolerance;
}

void KTVector::Rotate(double cosine, double sine)
{
    if (sine == kSineFromCosine) {
        // A cosine a hair outside [-1, 1] from rounding must not turn the root into a NaN.
        const double rest = 1.0 - cosine * cosine;
        sine = rest > 0.0 ? std::sqrt(rest) : 0.0;
    }
    const double dx = cosine * m_dx - sine * m_dy;
    const double dy = cosine * m_dy + sine * m_dx;
    m_dx = dx;
    m_dy = dy;
}
