#pragma once
// The orientation test of SegmentsCross for one segment, made once and asked of many points:
// a search for crossings between two polylines tests each segment against every point of the
// other, and the segment's own part of the arithmetic need not be done again for each.

#include "foundation/KTPoint.h"

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

private:
    static double Cross(const KTVector& u, const KTPoint& p) { return u.m_dx * p.m_y - u.m_dy * p.m_x; }

    KTVector m_along;
    double m_reference;
};
