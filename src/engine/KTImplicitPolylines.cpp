#include "engine/KTImplicitPolylines.h"

#include <cmath>
#include <utility>

namespace {

/// The length of (x, y); no guard against overflow is needed for these small values.
double Length(double x, double y)
{
    return std::sqrt(x * x + y * y);
}

} // namespace

void KTImplicitPolylines::Reset()
{
    m_points.clear();
    m_lattice.clear();
    m_ends.clear();
}

void KTImplicitPolylines::Join(KTImplicitCrossings& crossings, const std::vector<std::int32_t>& segmentEnds)
{
    const std::size_t segments = segmentEnds.size() / 2;
    m_used.assign(segments, 0);
    const auto other = [&](std::int32_t segment, std::int32_t crossing) {
        const std::int32_t a = segmentEnds[2 * static_cast<std::size_t>(segment)];
        return a == crossing ? segmentEnds[2 * static_cast<std::size_t>(segment) + 1] : a;
    };
    const auto emit = [&](std::int32_t crossing) {
        const KTImplicitCrossings::Crossing& c = crossings[crossing];
        m_points.push_back(c.at);
        m_lattice.push_back(c.u);
        m_lattice.push_back(c.v);
    };
    // From a crossing along its unused segments until the line ends or closes.
    const auto walk = [&](std::int32_t start, std::int32_t segment) {
        emit(start);
        std::int32_t at = start;
        while (segment >= 0 && !m_used[static_cast<std::size_t>(segment)]) {
            m_used[static_cast<std::size_t>(segment)] = 1;
            at = other(segment, at);
            emit(at);
            const KTImplicitCrossings::Crossing& c = crossings[at];
            segment = c.segments[0] >= 0 && !m_used[static_cast<std::size_t>(c.segments[0])] ? c.segments[0]
                                                                                             : c.segments[1];
        }
        m_ends.push_back(static_cast<int>(m_points.size()));
    };
    // Open lines first, from an end; what is left are closed loops.
    crossings.ForEach([&](std::int32_t id, const KTImplicitCrossings::Crossing& c) {
        const bool end = (c.segments[0] >= 0) != (c.segments[1] >= 0);
        const std::int32_t segment = c.segments[0] >= 0 ? c.segments[0] : c.segments[1];
        if (end && !m_used[static_cast<std::size_t>(segment)])
            walk(id, segment);
    });
    for (std::size_t s = 0; s < segments; ++s)
        if (!m_used[s])
            walk(segmentEnds[2 * s], static_cast<std::int32_t>(s));
}

void KTImplicitPolylines::Simplify(double tolerance)
{
    // Into the spare lists, which then change places with the lines' own.
    std::vector<KTPoint>& points = m_sparePoints;
    std::vector<double>& lattice = m_spareLattice;
    points.clear();
    lattice.clear();
    std::vector<int> ends;
    std::vector<std::uint8_t> keep;
    std::vector<std::pair<int, int>> stack;
    points.reserve(m_points.size());
    lattice.reserve(m_lattice.size());
    int begin = 0;
    for (int end : m_ends) {
        keep.assign(static_cast<std::size_t>(end - begin), 0);
        keep.front() = keep.back() = 1;
        // Douglas-Peucker on the lattice coordinates, with a stack instead of recursion.
        stack.clear();
        stack.emplace_back(begin, end - 1);
        while (!stack.empty()) {
            const auto [a, b] = stack.back();
            stack.pop_back();
            if (b - a < 2)
                continue;
            const double ax = m_lattice[2 * static_cast<std::size_t>(a)];
            const double ay = m_lattice[2 * static_cast<std::size_t>(a) + 1];
            const double dx = m_lattice[2 * static_cast<std::size_t>(b)] - ax;
            const double dy = m_lattice[2 * static_cast<std::size_t>(b) + 1] - ay;
            const double length = Length(dx, dy);
            double farthest = -1.0;
            int at = -1;
            for (int k = a + 1; k < b; ++k) {
                const double px = m_lattice[2 * static_cast<std::size_t>(k)] - ax;
                const double py = m_lattice[2 * static_cast<std::size_t>(k) + 1] - ay;
                const double d = length > 0.0 ? std::fabs(px * dy - py * dx) / length : Length(px, py);
                if (d > farthest) {
                    farthest = d;
                    at = k;
                }
            }
            if (farthest > tolerance) {
                keep[static_cast<std::size_t>(at - begin)] = 1;
                stack.emplace_back(a, at);
                stack.emplace_back(at, b);
            }
        }
        for (int k = begin; k < end; ++k) {
            if (!keep[static_cast<std::size_t>(k - begin)])
                continue;
            points.push_back(m_points[static_cast<std::size_t>(k)]);
            lattice.push_back(m_lattice[2 * static_cast<std::size_t>(k)]);
            lattice.push_back(m_lattice[2 * static_cast<std::size_t>(k) + 1]);
        }
        ends.push_back(static_cast<int>(points.size()));
        begin = end;
    }
    m_points.swap(points);
    m_lattice.swap(lattice);
    m_ends = std::move(ends);
}
