#pragma once
// The polylines of an implicit trace: its segments joined through their shared crossings, open
// lines walked from an end first, closed loops after them (a loop repeats its first point at its
// end), and simplified to a tolerance in lattice cells.

#include "engine/KTImplicitCrossings.h"
#include "engine/KTImplicitSegments.h"
#include "foundation/KTDefaultInitAllocator.h"
#include "foundation/KTPoint.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class KTImplicitPolylines
{
public:
    /// Points from which the lines are ranked and simplified on threads.
    static constexpr std::size_t ThreadedPoints = std::size_t{1} << 16;
    /// A point of a line in graph coordinates: the coordinates alone, so that a dense plot's
    /// millions of them take no more room than their values and are written once, by the
    /// threads that find them.
    struct Point
    {
        double m_x, m_y;
        friend bool operator==(const Point&, const Point&) = default;
        operator KTPoint() const { return {m_x, m_y}; }
    };
    using PointList = std::vector<Point, KTDefaultInitAllocator<Point>>;

    /// Empties the lines; their room stays.
    void Reset();
    /// Joins the segments (two crossings each, KTImplicitSegments::Ends) into lines, with
    /// `threads` on the trace's threads where they are free (the lines are the same).
    void Join(KTImplicitCrossings& crossings, const KTImplicitSegments::EndList& segmentEnds, bool threads = false);
    /// Drops the points of every line that lie within `tolerance` lattice cells of the line
    /// through the points kept on either side of them (the ends of each line stay); then, where
    /// more than `most` points are left, does the same for the least larger tolerance at which
    /// they fit, and lets go the lines that lie within it of their first point. Returns the
    /// tolerance used.
    double Simplify(double tolerance, std::size_t most = SIZE_MAX);

    /// Points of all lines in turn, in graph coordinates.
    const PointList& Points() const { return m_points; }
    /// Index one past the last point of each line in Points().
    const std::vector<int>& Ends() const { return m_ends; }

private:
    /// The importance of the points of the line [begin, end) for the tolerance, written to
    /// m_importance (negative where it drops them); only that line's entries are written.
    struct Range
    {
        int a, b;
        float cap; ///< the importance of the point that split it off
    };
    void Rank(int begin, int end, double tolerance, std::vector<Range>& stack);
    /// Rank for every line, the lines of a dense plot on the trace's threads side by side.
    void RankAll(double tolerance);
    /// Line indices that cut the lines into parts of about as many points each, for threads.
    std::vector<std::size_t> LineParts() const;
    /// Keeps the points k for which keep(k) holds, with their importance when `importance`, in
    /// their order; a line left with none goes. A dense plot's lines on the threads.
    template <class Keep> void KeepPoints(const Keep& keep, bool importance);

    /// Join on the trace's threads: the lines and their order are those of the walk on one
    /// thread.
    void JoinOnThreads(KTImplicitCrossings& crossings, const KTImplicitSegments::EndList& segmentEnds);
    /// Most room for points kept for the next plot.
    static constexpr std::size_t KeptBytes = std::size_t{8} << 20;
    PointList m_points;
    /// Lattice coordinates of a graph point: (x - m_xLow) * m_xScale and (y - m_yLow) * m_yScale.
    double m_xLow = 0.0, m_yLow = 0.0, m_xScale = 1.0, m_yScale = 1.0;
    std::vector<int> m_ends;
    /// Scratch kept with the lines (which segments are walked, which points are kept): one of a
    /// few hundred kilobytes would otherwise be mapped afresh, and faulted in, for every plot.
    std::vector<std::uint8_t> m_used;
    /// Of each point kept by the first tolerance, the least tolerance that would drop it (of a
    /// line's ends, how far its points reach from its first one): one pass of the points finds
    /// the tolerance that fits them, not one pass for each tolerance tried.
    std::vector<float, KTDefaultInitAllocator<float>> m_importance;
};
