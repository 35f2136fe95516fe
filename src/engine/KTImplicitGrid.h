#pragma once
// The zero line of an implicit relation's difference, traced over the view on a lattice of one
// cell per device pixel that is sampled only where a curve may pass. The trace runs in stages,
// each a class of its own:
//
// 1. KTImplicitLattice: the lattice points, the difference at them (evaluated on first use or a
//    row at a time) and its ranges over boxes (the interval form of the evaluator).
// 2. KTImplicitLevels and KTImplicitCells: the cells, judged level by level from cells of 16
//    lattice cells down to single ones. A cell whose range excludes zero is passed over; one
//    whose derivatives' ranges show at most one arc is a leaf; every other cell is split, down to
//    single lattice cells. Levels run on threads of their own (KTImplicitThreads) where
//    many curves cross the view.
// 3. KTImplicitCrossings: where the curve crosses lattice intervals, each found once by a
//    bracketing search and shared by the cells on both sides; no crossing across a pole.
// 4. KTImplicitSegments: one segment per arc through each leaf; none through a cell holding a
//    pole.
// 5. KTImplicitPolylines: the segments joined into polylines, and simplified.
//
// Lives for one plot. Its storage (the lattice, the lists of cells and crossings, the lines) is
// kept by the thread for its next plot: a plot redrawn as the view moves or a family animates
// would otherwise fault the same pages in again and grow the same lists anew.

#include "engine/KTImplicitLattice.h"
#include "engine/KTImplicitPolylines.h"
#include "foundation/KTPoint.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class KTImplicitGrid
{
public:
    using Difference = KTImplicitLattice::Difference;
    using RowDifference = KTImplicitLattice::RowDifference;
    using Bound = KTImplicitLattice::Bound;

    /// A lattice of `columns` x `rows` cells (each at least 1, one per device pixel) over the
    /// graph rectangle [xLow, xHigh] x [yLow, yHigh].
    KTImplicitGrid(double xLow, double xHigh, double yLow, double yHigh, int columns, int rows);
    ~KTImplicitGrid();
    /// Makes the lattice anew over the rectangle, `columns` x `rows` cells, for the next trace.
    void Reset(double xLow, double xHigh, double yLow, double yHigh, int columns, int rows);
    KTImplicitGrid(const KTImplicitGrid&) = delete;
    KTImplicitGrid& operator=(const KTImplicitGrid&) = delete;

    /// Traces the zero line of the difference; the polylines are then in Points() and Ends().
    /// A closed loop repeats its first point at its end. With a row form, the lattice points
    /// each level of cells needs are evaluated a row at a time, the points of searches along a
    /// cell's edges always one by one; both forms (and the bound) may then be called from
    /// several threads at once. The bound (KTEvaluationProgram::BoundWithGradient of the
    /// difference) passes over cells the curve does not reach and finds the poles; without one
    /// every cell is divided down to single lattice cells.
    /// False (and no polylines) when the trace would make more leaves than its budget.
    bool Trace(const Difference& difference, const RowDifference& rows = nullptr,
               const Bound& bound = nullptr);
    /// Most leaves (cells taken whole) a trace may make, about what its lattice's storage and
    /// its segments grow with; 0 (the default): no bound.
    void SetLeafBudget(long long leaves) { m_leafBudget = leaves; }
    /// Drops the points of every polyline that lie within `tolerance` lattice cells of the line
    /// through the points kept on either side of them (the ends of each polyline stay); where
    /// more than `most` are left, does so for the least larger tolerance that leaves no more,
    /// at which polylines within it of their first point go whole. Returns the tolerance used.
    double Simplify(double tolerance, std::size_t most = SIZE_MAX);
    /// Exchanges the polylines of the trace with `lines`: those of a trace made elsewhere (on
    /// another thread, ahead of time) take the place of a trace of this grid, or a trace's are
    /// taken out before the grid is let go.
    void SwapLines(KTImplicitPolylines& lines);

    /// Points of all polylines in turn, in graph coordinates.
    const KTImplicitPolylines::PointList& Points() const;
    /// Index one past the last point of each polyline in Points().
    const std::vector<int>& Ends() const;
    /// Differences evaluated by the last trace.
    long long Evaluations() const { return m_evaluations; }
    /// Ranges over boxes taken by the last trace.
    long long Bounds() const { return m_bounds; }
    int Columns() const;
    int Rows() const;
    /// First cells crossed by curves (seen at their corners) from which a trace uses threads: a
    /// few curves are traced sooner than the threads would wait on each other.
    static constexpr int ThreadedCells = 1000;
    /// Whether a trace with a row form may use threads (the default), and from how many crossed
    /// first cells; the polylines are the same either way.
    void SetConcurrent(bool concurrent, int fromCrossedCells = ThreadedCells)
    {
        m_concurrent = concurrent;
        m_threadedCells = fromCrossedCells;
    }

private:
    /// Most memory of lattice tiles, and of crossings and of segments, kept for the next plot:
    /// ordinary plots touch a few megabytes of them, which are faulted in again at a cost; the
    /// densest touch most of the view's pixels.
    static constexpr std::size_t KeptBytes = std::size_t{16} << 20;
    /// The stages' storage, kept from plot to plot.
    struct Parts;
    /// What the last plot of this thread left; empty while a plot holds it (a second grid
    /// alive at once makes its own).
    static thread_local std::unique_ptr<Parts> t_kept;

    std::unique_ptr<Parts> m_parts;
    bool m_concurrent = true;
    int m_threadedCells = ThreadedCells;
    long long m_leafBudget = 0;
    long long m_evaluations = 0;
    long long m_bounds = 0;
};
