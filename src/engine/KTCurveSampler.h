#pragma once
// Samples the current branch of a function into its current curve buffer: explicit and swapped
// forms at one position per device pixel of the axis, polar and parametric forms at 1600 steps
// of the parameter, implicit relations and inequalities by tracing the zero line of the
// difference of their two sides through a 150 x 150 grid of cells. Also settles the plotted
// ends of the domain and moves the points where the curve crosses the edge of the view close
// to that edge. Works on the function it is made for; make one per pass.

#include "engine/KTImplicitGrid.h"

class KTFunction3;
class KTAxes;
struct KTCurvePoint;

class KTCurveSampler
{
public:
    /// Most points an implicit plot stores over both buffers; the first buffer counts 1600.
    static constexpr int ImplicitCapacity = 3200;
    static constexpr int BranchSamples = 1600;

    explicit KTCurveSampler(KTFunction3& function) : m_f(function) {}

    /// The plotted ends of the domain and their end styles for the current view; only for an
    /// interpreted function with owner axes.
    void SetDomainEnds();
    /// Fills the current buffer from the current evaluation list.
    void SampleBranch();
    /// Traces the implicit curve over the given ranges into both buffers; `count` is the total
    /// stored (at most 3200). Nothing when it already exceeds 3200 or a range is empty.
    void PlotImplicit(int& count, double xLow, double xHigh, double yLow, double yHigh);
    /// 1 <-> 2, 3 <-> 4; anything else -1.
    static int OppositeSide(int side);

    // The steps of an implicit plot, public for tests; they work on the grid of the running plot.
    /// Corner differences and signs of the cell at (column, row); false when it is visited.
    bool ImplicitCorners(int column, int row);
    /// Entry and exit crossing of the current cell; the entry on the requested side (0: any).
    /// Marks the cell visited when it has an entry. Returns whether it has one.
    bool ImplicitCrossings(int entrySide);
    /// The crossing along a horizontal edge at y between xLeft and xRight (six halvings).
    double BisectAlongX(double xLeft, double xRight, double y);
    /// The crossing along a vertical edge at x between yBottom and yTop.
    double BisectAlongY(double x, double yBottom, double yTop);
    /// One trace from the cell at (column, row); otherCrossing enters through the exit of the
    /// previous trace's start cell, so the trace runs the other way. A trace of 3 points or
    /// fewer is discarded.
    void TraceImplicit(int column, int row, int entrySide, int& count, bool otherCrossing);

    /// The implicit difference at (x, y): the second list's value minus the first list's.
    double ImplicitDifference(double x, double y);
    KTImplicitGrid* Grid() { return m_grid; }

private:
    double Value(double x);
    void SampleExplicit(KTAxes& axes, bool swapped);
    void SamplePolar();
    void SampleParametric();
    void SampleImplicit(KTAxes& axes);
    void RefineEdges(bool swapped);
    double CornerDifference(int column, int row);
    bool StoreImplicitPoint(const KTPoint& p, BYTE draw, BYTE brk, int& count);
    KTCurvePoint* ImplicitSlot(int index);

    KTFunction3& m_f;
    KTImplicitGrid* m_grid = nullptr;
};
