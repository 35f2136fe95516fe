#pragma once
// Sampled points of one branch of a curve. A plain value record kept header-only, so that the
// axes (which hand out the sample positions) can fill it without linking the engine.

#include "foundation/KTPoint.h"
#include "platform/KTGdiTypes.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

/// One sample. For explicit forms m_point.m_x is the sample position and m_point.m_y the value;
/// swapped and polar forms keep (position, value) or (angle, radius) there until the function
/// converts them for drawing.
struct KTCurvePoint
{
    KTPoint m_point;
    double m_firstDerivative = 0.0;
    double m_secondDerivative = 0.0;
    BYTE m_draw = 0;  ///< 1 when the point is to be drawn
    BYTE m_break = 0; ///< the polyline is broken here (off the graph, or a traced piece starts or ends)
};

/// A count and an array of points. Every buffer holds Capacity points (one sample per pixel of
/// the widest axis and spare); a buffer grows beyond that only for what one picture needs more
/// (the ends of a branch's domain, the points of a long implicit curve). Writers keep m_count
/// within [0, Size()].
struct KTCurvePointBuffer
{
    static constexpr int Capacity = 1604;

    /// The point at index, or nullptr when the index lies outside the array.
    KTCurvePoint* At(int index)
    {
        return index >= 0 && index < Size() ? &m_points[static_cast<std::size_t>(index)] : nullptr;
    }
    const KTCurvePoint* At(int index) const
    {
        return index >= 0 && index < Size() ? &m_points[static_cast<std::size_t>(index)] : nullptr;
    }
    /// Points the array holds: Capacity or more.
    int Size() const { return static_cast<int>(m_points.size()); }
    /// Makes room for at least `size` points; never shrinks.
    void Reserve(int size)
    {
        if (size > Size())
            m_points.resize(static_cast<std::size_t>(size));
    }
    /// Empties it and gives back the room it grew to beyond Capacity.
    void Release()
    {
        m_count = 0;
        if (Size() > Capacity)
            std::vector<KTCurvePoint>(Capacity).swap(m_points);
    }
    /// Puts each of `added` after the point of its index among the first m_count (the list in
    /// the order of the indices).
    void InsertAfter(const std::vector<std::pair<std::int32_t, KTCurvePoint>>& added)
    {
        if (added.empty())
            return;
        const int count = m_count < 0 ? 0 : (m_count > Size() ? Size() : m_count);
        std::vector<KTCurvePoint> points;
        points.reserve(static_cast<std::size_t>(count) + added.size());
        auto next = added.begin();
        for (int i = 0; i < count; ++i) {
            points.push_back(m_points[static_cast<std::size_t>(i)]);
            for (; next != added.end() && next->first == i; ++next)
                points.push_back(next->second);
        }
        Reserve(static_cast<int>(points.size()));
        std::copy(points.begin(), points.end(), m_points.begin());
        m_count = static_cast<std::int32_t>(points.size());
    }

    std::int32_t m_count = 0;
    std::vector<KTCurvePoint> m_points = std::vector<KTCurvePoint>(Capacity);
    /// Points of a polar curve to add after the sample of their index once the samples are
    /// turned into x and y (where a piece beside a pole leaves the view): added before, they would
    /// move the samples from the places their directions are kept for.
    std::vector<std::pair<std::int32_t, KTCurvePoint>> m_afterConversion;
};
