#include "engine/KTImplicitPolylines.h"

#include "engine/KTImplicitThreads.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
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
    if (m_points.capacity() * sizeof(Point) > KeptBytes) {
        PointList().swap(m_points);
        std::vector<std::uint8_t>().swap(m_used);
        decltype(m_importance)().swap(m_importance);
    }
    m_points.clear();
    m_ends.clear();
}

void KTImplicitPolylines::Join(KTImplicitCrossings& crossings, const KTImplicitSegments::EndList& segmentEnds,
                               bool threads)
{
    // The lines are simplified in lattice cells, which the points' graph coordinates give back.
    const KTImplicitLattice& lattice = crossings.Lattice();
    m_xLow = lattice.X(0);
    m_yLow = lattice.Y(0);
    m_xScale = 1.0 / lattice.CellWidth();
    m_yScale = 1.0 / lattice.CellHeight();
    const std::size_t segments = segmentEnds.size() / 2;
    m_used.assign(segments, 0);
    if (threads && KTImplicitThreads::Count() > 1) {
        JoinOnThreads(crossings, segmentEnds);
        return;
    }
    const auto other = [&](std::int32_t segment, std::int32_t crossing) {
        const std::int32_t a = segmentEnds[2 * static_cast<std::size_t>(segment)];
        return a == crossing ? segmentEnds[2 * static_cast<std::size_t>(segment) + 1] : a;
    };
    const auto emit = [&](std::int32_t crossing) {
        const KTImplicitCrossings::Crossing& c = crossings[crossing];
        const KTPoint p = crossings.PointOf(c);
        m_points.push_back({p.m_x, p.m_y});
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
    if (m_points.capacity() < most)
        m_points.reserve(most);
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

void KTImplicitPolylines::JoinOnThreads(KTImplicitCrossings& crossings, const KTImplicitSegments::EndList& segmentEnds)
{
    // A line is walked from where the walk on one thread would begin it: an open line from its
    // end of the lower id (crossings are taken in the order of their ids), a closed loop from
    // its segment of the lowest index (segments are taken in order after the open lines). The
    // threads take parts in turn and walk from every start in a part, keeping the lines walked
    // from their beginning; each part's lines (their crossings) then go in the order of the
    // parts. A segment's mark is written by one part only: the one whose open line takes it,
    // or, of a loop, the one the segment lies in.
    const std::size_t segments = segmentEnds.size() / 2;
    const auto other = [&segmentEnds](std::int32_t segment, std::int32_t crossing) {
        const std::int32_t a = segmentEnds[2 * static_cast<std::size_t>(segment)];
        return a == crossing ? segmentEnds[2 * static_cast<std::size_t>(segment) + 1] : a;
    };
    // The walks go from crossing to crossing in the order of the lines, not in the order they
    // were found: read from their records, a band's crossings (where most of its lines lie)
    // take a megabyte, which the processor's nearer caches do not hold. Their segments, copied
    // out in the order of the lists first, take a fifth of it.
    const int lists = crossings.Lists();
    std::vector<std::int32_t> base(static_cast<std::size_t>(lists) + 1, 0);
    for (int list = 0; list < lists; ++list)
        base[static_cast<std::size_t>(list) + 1] =
            base[static_cast<std::size_t>(list)] + crossings.ListSize(list);
    struct Ends
    {
        std::int32_t segments[2];
    };
    std::vector<Ends, KTDefaultInitAllocator<Ends>> ends(static_cast<std::size_t>(base.back()));
    KTImplicitThreads::RunParts(lists, [&](int list) {
        const std::size_t first = static_cast<std::size_t>(base[static_cast<std::size_t>(list)]);
        for (std::int32_t k = 0; k < crossings.ListSize(list); ++k) {
            const KTImplicitCrossings::Crossing& c = crossings[KTImplicitCrossings::IdOf(list, k)];
            ends[first + static_cast<std::size_t>(k)] = {{c.segments[0], c.segments[1]}};
        }
    });
    const auto dense = [&base](std::int32_t id) {
        return static_cast<std::size_t>(base[static_cast<std::size_t>(KTImplicitCrossings::ListOfId(id))] +
                                        KTImplicitCrossings::PlaceOfId(id));
    };
    struct Part
    {
        std::vector<std::int32_t> crossings; ///< of its lines in turn
        std::vector<int> lengths;             ///< points of each of its lines
    };
    // The walk from a crossing along a segment to the line's end, or round to the segment it
    // began with; `visit` sees each segment. The number of steps is bounded by the segments'.
    const auto walk = [&](std::int32_t start, std::int32_t segment, std::vector<std::int32_t>& out,
                          const auto& visit) {
        out.clear();
        out.push_back(start);
        const std::int32_t first = segment;
        std::int32_t at = start;
        for (std::size_t steps = 0; segment >= 0 && steps < segments; ++steps) {
            visit(segment);
            at = other(segment, at);
            out.push_back(at);
            const Ends& c = ends[dense(at)];
            const std::int32_t next = c.segments[0] == segment ? c.segments[1] : c.segments[0];
            if (next == first)
                break;
            segment = next;
        }
        return at;
    };
    const auto keep = [](Part& part, const std::vector<std::int32_t>& line) {
        part.crossings.insert(part.crossings.end(), line.begin(), line.end());
        part.lengths.push_back(static_cast<int>(line.size()));
    };

    constexpr int loopParts = 256;
    std::vector<Part> parts(static_cast<std::size_t>(lists + loopParts));
    // Open lines, each list of crossings a part.
    KTImplicitThreads::RunParts(lists, [&](int list) {
        Part& part = parts[static_cast<std::size_t>(list)];
        std::vector<std::int32_t> line, walked;
        for (std::int32_t k = 0; k < crossings.ListSize(list); ++k) {
            const std::int32_t id = KTImplicitCrossings::IdOf(list, k);
            const Ends& c = ends[static_cast<std::size_t>(base[static_cast<std::size_t>(list)] + k)];
            if ((c.segments[0] >= 0) == (c.segments[1] >= 0))
                continue;
            walked.clear();
            const std::int32_t segment = c.segments[0] >= 0 ? c.segments[0] : c.segments[1];
            if (walk(id, segment, line, [&walked](std::int32_t s) { walked.push_back(s); }) < id)
                continue;
            for (const std::int32_t s : walked)
                m_used[static_cast<std::size_t>(s)] = 1;
            keep(part, line);
        }
    });
    // Closed loops, segments in parts of consecutive indices.
    const std::size_t size = (segments + loopParts - 1) / loopParts;
    KTImplicitThreads::RunParts(loopParts, [&](int p) {
        Part& part = parts[static_cast<std::size_t>(lists + p)];
        std::vector<std::int32_t> line;
        const std::size_t low = static_cast<std::size_t>(p) * size;
        const std::size_t high = std::min(segments, low + size);
        for (std::size_t s = low; s < high; ++s) {
            if (m_used[s])
                continue;
            std::size_t lowest = s;
            walk(segmentEnds[2 * s], static_cast<std::int32_t>(s), line, [&](std::int32_t visited) {
                const std::size_t v = static_cast<std::size_t>(visited);
                lowest = std::min(lowest, v);
                if (v >= low && v < high)
                    m_used[v] = 1;
            });
            if (lowest == s)
                keep(part, line);
        }
    });
    // The points, each part's from its own place on.
    std::vector<std::size_t> first(parts.size() + 1, 0);
    std::size_t lines = 0;
    for (std::size_t p = 0; p < parts.size(); ++p) {
        first[p + 1] = first[p] + parts[p].crossings.size();
        lines += parts[p].lengths.size();
    }
    m_points.resize(first.back());
    m_ends.reserve(lines);
    for (std::size_t p = 0; p < parts.size(); ++p) {
        int end = static_cast<int>(first[p]);
        for (const int length : parts[p].lengths)
            m_ends.push_back(end += length);
    }
    KTImplicitThreads::RunParts(static_cast<int>(parts.size()), [&](int p) {
        Point* out = m_points.data() + first[static_cast<std::size_t>(p)];
        // The crossings lie scattered over their lists: each is asked for a few ahead.
        const std::vector<std::int32_t>& ids = parts[static_cast<std::size_t>(p)].crossings;
        constexpr std::size_t ahead = 8;
        for (std::size_t k = 0; k < ids.size(); ++k) {
            if (k + ahead < ids.size())
                __builtin_prefetch(&crossings[ids[k + ahead]]);
            const KTPoint point = crossings.PointOf(crossings[ids[k]]);
            *out++ = {point.m_x, point.m_y};
        }
    });
}

void KTImplicitPolylines::Rank(int begin, int end, double tolerance, std::vector<Range>& stack)
{
    const auto u = [this](int k) { return (m_points[static_cast<std::size_t>(k)].m_x - m_xLow) * m_xScale; };
    const auto v = [this](int k) { return (m_points[static_cast<std::size_t>(k)].m_y - m_yLow) * m_yScale; };
    float* const importance = m_importance.data();
    // No point of a line lies farther from a chord of it than its farthest point from its
    // first: a tolerance beyond that leaves nothing of it but its ends, which then go too.
    double reach = 0.0;
    for (int k = begin + 1; k < end; ++k) {
        reach = std::max(reach, Length(u(k) - u(begin), v(k) - v(begin)));
        importance[k] = -1.0f;
    }
    const float whole = static_cast<float>(reach);
    importance[begin] = importance[end - 1] = whole;
    // Douglas-Peucker on the lattice coordinates, with a stack instead of recursion. A point
    // stays for a tolerance only while every point that split off its range does: its
    // importance is the least of theirs and its own distance.
    stack.clear();
    stack.push_back({begin, end - 1, whole});
    while (!stack.empty()) {
        const Range r = stack.back();
        stack.pop_back();
        if (r.b - r.a < 2)
            continue;
        const double dx = u(r.b) - u(r.a);
        const double dy = v(r.b) - v(r.a);
        const double length = Length(dx, dy);
        double farthest = -1.0;
        int at = -1;
        for (int k = r.a + 1; k < r.b; ++k) {
            const double px = u(k) - u(r.a);
            const double py = v(k) - v(r.a);
            const double d = length > 0.0 ? std::fabs(px * dy - py * dx) / length : Length(px, py);
            if (d > farthest) {
                farthest = d;
                at = k;
            }
        }
        if (farthest > tolerance) {
            const float value = std::min(r.cap, static_cast<float>(farthest));
            importance[at] = value;
            stack.push_back({r.a, at, value});
            stack.push_back({at, r.b, value});
        }
    }
}

void KTImplicitPolylines::RankAll(double tolerance)
{
    m_importance.resize(m_points.size());
    const auto rank = [this, tolerance](std::size_t first, std::size_t last) {
        std::vector<Range> stack;
        for (std::size_t l = first; l < last; ++l)
            Rank(l == 0 ? 0 : m_ends[l - 1], m_ends[l], tolerance, stack);
    };
    if (m_points.size() < ThreadedPoints) {
        rank(0, m_ends.size());
        return;
    }
    const std::vector<std::size_t> cuts = LineParts();
    KTImplicitThreads::RunParts(static_cast<int>(cuts.size()) - 1, [&](int p) {
        rank(cuts[static_cast<std::size_t>(p)], cuts[static_cast<std::size_t>(p) + 1]);
    });
}

std::vector<std::size_t> KTImplicitPolylines::LineParts() const
{
    // Parts of about as many points each, taken in turn by the threads.
    const std::size_t lines = m_ends.size();
    const int parts = KTImplicitThreads::Count() * 8;
    std::vector<std::size_t> cuts(static_cast<std::size_t>(parts) + 1, lines);
    cuts[0] = 0;
    for (int p = 1; p < parts; ++p) {
        const int point = static_cast<int>(m_points.size() * static_cast<std::size_t>(p) / static_cast<std::size_t>(parts));
        cuts[static_cast<std::size_t>(p)] =
            static_cast<std::size_t>(std::upper_bound(m_ends.begin(), m_ends.end(), point) - m_ends.begin());
    }
    return cuts;
}

template <class Keep> void KTImplicitPolylines::KeepPoints(const Keep& keep, bool importance)
{
    // In place, a second list as long as the lines would double the memory the densest plots
    // take at their peak. The points kept of each line move down to follow those kept of the
    // lines before it, never past one still to be read: over a dense plot's lines, each part on
    // a thread of its own within its own stretch first, then the parts' stretches down in turn.
    const std::vector<std::size_t> cuts = m_points.size() < ThreadedPoints
                                              ? std::vector<std::size_t>{0, m_ends.size()}
                                              : LineParts();
    const std::size_t parts = cuts.size() - 1;
    std::vector<std::size_t> kept(parts), lines(parts), from(parts);
    // Where each part's stretch begins, read before the part before it rewrites its ends.
    for (std::size_t p = 0; p < parts; ++p)
        from[p] = cuts[p] == 0 ? 0 : static_cast<std::size_t>(m_ends[cuts[p] - 1]);
    const auto compact = [&](std::size_t p) {
        std::size_t at = from[p];
        std::size_t line = cuts[p];
        int begin = static_cast<int>(at);
        for (std::size_t l = cuts[p]; l < cuts[p + 1]; ++l) {
            const int end = m_ends[l];
            const std::size_t first = at;
            for (int k = begin; k < end; ++k) {
                if (!keep(k))
                    continue;
                m_points[at] = m_points[static_cast<std::size_t>(k)];
                if (importance)
                    m_importance[at] = m_importance[static_cast<std::size_t>(k)];
                ++at;
            }
            // A line none of whose points are kept is gone whole.
            if (at > first)
                m_ends[line++] = static_cast<int>(at);
            begin = end;
        }
        kept[p] = at - from[p];
        lines[p] = line - cuts[p];
    };
    if (parts == 1)
        compact(0);
    else
        KTImplicitThreads::RunParts(static_cast<int>(parts), [&](int p) { compact(static_cast<std::size_t>(p)); });
    std::size_t points = 0;
    std::size_t ends = 0;
    for (std::size_t p = 0; p < parts; ++p) {
        if (points != from[p]) {
            std::memmove(m_points.data() + points, m_points.data() + from[p], kept[p] * sizeof(Point));
            if (importance)
                std::memmove(m_importance.data() + points, m_importance.data() + from[p], kept[p] * sizeof(float));
        }
        const int shift = static_cast<int>(from[p]) - static_cast<int>(points);
        for (std::size_t l = 0; l < lines[p]; ++l)
            m_ends[ends + l] = m_ends[cuts[p] + l] - shift;
        points += kept[p];
        ends += lines[p];
    }
    m_points.resize(points);
    m_importance.resize(importance ? points : 0);
    m_ends.resize(ends);
}

double KTImplicitPolylines::Simplify(double tolerance, std::size_t most)
{
    RankAll(tolerance);
    // The points the first tolerance keeps, with their importance. (Every line keeps its ends.)
    KeepPoints([this](int k) { return m_importance[static_cast<std::size_t>(k)] >= 0.0f; }, true);
    const std::size_t kept = m_points.size();
    if (kept <= most)
        return tolerance;

    // Too many: the least tolerance, in steps of a sixteenth of an octave, at which no more
    // are left, from how many points each step would drop. The steps are read off the bits of
    // the importance relative to the first tolerance: its exponent and the first four bits of
    // its mantissa.
    constexpr int buckets = 1024;
    constexpr std::uint32_t one = 127u << 4; // 1.0's exponent, in sixteenths of an octave
    const float first = static_cast<float>(tolerance);
    const auto bucket = [first](float value) {
        if (!(value > first))
            return 0;
        return static_cast<int>(std::min<std::uint32_t>(buckets - 1, 1 + (std::bit_cast<std::uint32_t>(value / first) >> 19) - one));
    };
    std::vector<std::size_t> count(buckets, 0);
    if (kept < ThreadedPoints) {
        for (const float value : m_importance)
            ++count[static_cast<std::size_t>(bucket(value))];
    } else {
        // Each part counts into its own buckets, which are then added up.
        const int parts = KTImplicitThreads::Count() * 4;
        std::vector<std::size_t> counts(static_cast<std::size_t>(parts) * buckets, 0);
        KTImplicitThreads::RunParts(parts, [&](int p) {
            std::size_t* mine = counts.data() + static_cast<std::size_t>(p) * buckets;
            const std::size_t from = kept * static_cast<std::size_t>(p) / static_cast<std::size_t>(parts);
            const std::size_t to = kept * (static_cast<std::size_t>(p) + 1) / static_cast<std::size_t>(parts);
            for (std::size_t k = from; k < to; ++k)
                ++mine[bucket(m_importance[k])];
        });
        for (int p = 0; p < parts; ++p)
            for (int b = 0; b < buckets; ++b)
                count[static_cast<std::size_t>(b)] += counts[static_cast<std::size_t>(p) * buckets + static_cast<std::size_t>(b)];
    }
    // Keeping the points of the buckets above `last` leaves `left` of them.
    int last = 0;
    std::size_t left = kept - count[0];
    while (left > most && last + 1 < buckets - 1) {
        ++last;
        left -= count[static_cast<std::size_t>(last)];
    }
    // A line whose ends go is gone whole: its points lie within the tolerance of them.
    KeepPoints([&](int k) { return bucket(m_importance[static_cast<std::size_t>(k)]) > last; }, false);
    return tolerance * static_cast<double>(std::bit_cast<float>((one + static_cast<std::uint32_t>(last)) << 19));
}
