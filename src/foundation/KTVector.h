#pragma once
// A displacement in graph (or, where the caller works in them, device) coordinates.

#include "platform/KTObject.h"

class KTVector : public KTObject
{
public:
    KTVector() = default;
    KTVector(double dx, double dy) : m_dx(dx), m_dy(dy) {}
    KTVector(const KTVector&) = default;
    KTVector& operator=(const KTVector&) = default;

    friend bool operator==(const KTVector& a, const KTVector& b)
    {
        return a.m_dx == b.m_dx && a.m_dy == b.m_dy;
    }

    /// Scales in place to the given length; a zero vector stays (0, 0).
    void SetLength(double length);
    KTVector Scaled(double factor) const { return {m_dx * factor, m_dy * factor}; }
    /// A quarter turn counter-clockwise in y-up coordinates: (-dy, dx).
    KTVector Perpendicular() const { return {-m_dy, m_dx}; }
    /// True when a component differs from the other vector's by more than 1e-8.
    bool Differs(const KTVector& v) const;
    /// Rotates in place by the angle whose cosine and sine are given; a sine of exactly 100
    /// stands for the non-negative root sqrt(1 - cosine^2).
    void Rotate(double cosine, double sine);

    double m_dx = 0.0;
    double m_dy = 0.0;
};
