#pragma once
// A position of two doubles in graph coordinates (or device units where a caller works in them).
// Archived untagged as x then y, 16 bytes.

#include "foundation/KTVector.h"
#include "platform/KTObject.h"

class KTPoint : public KTObject
{
public:
    KTPoint() = default;
    KTPoint(double x, double y) : m_x(x), m_y(y) {}
    KTPoint(const KTPoint&) = default;
    KTPoint& operator=(const KTPoint&) = default;

    friend bool operator==(const KTPoint& a, const KTPoint& b) { return a.m_x == b.m_x && a.m_y == b.m_y; }

    void Serialize(KTArchive& ar) override;

    KTPoint operator+(const KTVector& v) const { return {m_x + v.m_dx, m_y + v.m_dy}; }
    KTPoint operator-(const KTVector& v) const { return {m_x - v.m_dx, m_y - v.m_dy}; }
    /// The vector from q to this point.
    KTVector Difference(const KTPoint& q) const { return {m_x - q.m_x, m_y - q.m_y}; }

    double m_x = 0.0;
    double m_y = 0.0;
};

/// True when the segment p1-p2 crosses the segment p3-p4 by strict orientation tests: a point on
/// the other segment's line counts on the side at or above the reference, so collinear segments
/// never cross.
bool SegmentsCross(const KTPoint& p1, const KTPoint& p2, const KTPoint& p3, const KTPoint& p4);
