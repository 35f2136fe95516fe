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
    // The room of a dense plot's lines goes: kept, it would stand beside the next trace's
    // lattice and cells, which take the most memory before the lines are made.
    if (m_points.capacity() * sizeof(KTPoint) > KeptBytes) {
        std::vector<KTPoint>().swap(m_points);
        std::vector<double>().swap(m_lattice);
        std::vector<std::uint8_t>().swap(m_used);
    }
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
        m_points.push_back(crossings.PointOf(c));
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
    // Each line takes a point per segment and one more: open lines start at two of their ends,
    // and a closed loop takes three segments at least. Room reserved for as many grows no
    // further, where doubling it would take as much again while both are held.
    std::size_t ends = 0;
    crossings.ForEach([&ends](std::int32_t, const KTImplicitCrossings::Crossing& c) {
        ends += (c.segments[0] >= 0) != (c.segments[1] >= 0) ? 1 : 0;
    });
    const std::size_t most = segments + ends / 2 + segments / 3 + 1;
    if (m_points.capacity() < most) {
        m_points.reserve(most);
        m_lattice.reserve(2 * most);
    }
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
    // In place: the points kept of each line move down to follow those kept of the lines before
    // it, never past one still to be read. A second list as long as the lines would double the
    // memory the densest plots take at their peak.
    std::vector<std::uint8_t>& keep = m_used;
    std::vector<std::pair<int, int>> stack;
    std::size_t kept = 0;
    int begin = 0;
    for (int& end : m_ends) {
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
        const int lineEnd = end;
        for (int k = begin; k < lineEnd; ++k) {
            if (!keep[static_cast<std::size_t>(k - begin)])
                continue;
            m_points[kept] = m_points[static_cast<std::size_t>(k)];
            m_lattice[2 * kept] = m_lattice[2 * static_cast<std::size_t>(k)];
            m_lattice[2 * kept + 1] = m_lattice[2 * static_cast<std::size_t>(k) + 1];
            ++kept;
        }
        end = static_cast<int>(kept);
        begin = lineEnd;
    }
    m_points.resize(kept);
    m_lattice.resize(2 * kept);
}
