#pragma once
// The orientation test of SegmentsCross for one segment, made once and asked of many points:
// a search for crossings between two polylines tests each segment against every point of the
// other, and the segment's own part of the arithmetic need not be done again for each.

#include "foundation/KTPoint.h"

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

class KTSegmentSide
{
public:
    KTSegmentSide(const KTPoint& from, const KTPoint& to)
        : m_along(to.Difference(from)), m_reference(Cross(m_along, from))
    {
    }

    /// The point lies below the line through the segment (strictly: a point on it is not).
    bool Below(const KTPoint& p) const { return Cross(m_along, p) < m_reference; }
    /// Exactly one of the two points lies below the line.
    bool Separates(const KTPoint& a, const KTPoint& b) const { return Below(a) != Below(b); }
    /// Bit k set where Below gives true for the point (xs[k], ys[k]), for count <= 64 points: the
    /// same arithmetic, two points at a time.
    std::uint64_t BelowMask(const double* xs, const double* ys, int count) const
    {
        std::uint64_t mask = 0;
        int k = 0;
#if defined(__SSE2__)
        const __m128d dx = _mm_set1_pd(m_along.m_dx);
        const __m128d dy = _mm_set1_pd(m_along.m_dy);
        const __m128d reference = _mm_set1_pd(m_reference);
        for (; k + 1 < count; k += 2) {
            const __m128d cross =
                _mm_sub_pd(_mm_mul_pd(dx, _mm_loadu_pd(ys + k)), _mm_mul_pd(dy, _mm_loadu_pd(xs + k)));
            mask |= static_cast<std::uint64_t>(_mm_movemask_pd(_mm_cmplt_pd(cross, reference))) << k;
        }
#endif
        for (; k < count; ++k)
            if (m_along.m_dx * ys[k] - m_along.m_dy * xs[k] < m_reference)
                mask |= std::uint64_t{1} << k;
        return mask;
    }

private:
    static double Cross(const KTVector& u, const KTPoint& p) { return u.m_dx * p.m_y - u.m_dy * p.m_x; }

    KTVector m_along;
    double m_reference;
};
