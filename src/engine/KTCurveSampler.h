#pragma once
// Samples the current branch of a function into its current curve buffer: explicit and swapped
// forms at one position per device pixel of the axis, with the ends of their domain found
// between samples; polar and parametric forms at 1600 steps of the parameter; implicit
// relations and inequalities by tracing the zero line of the difference of their two sides on a
// lattice of device pixels (KTImplicitGrid). Also settles the plotted ends of the domain and
// moves the points where the curve crosses the edge of the view close to that edge. Works on the
// function it is made for; make one per pass.

#include "engine/KTFunction3.h"
#include "engine/KTFunctionDomain.h"
#include "engine/KTInterval.h"

#include <algorithm>
#include <functional>
#include <vector>

class KTAxes;
class KTAxis;
class KTPointPolisher;
class KTImplicitAhead;
class KTImplicitGrid;
struct KTCurvePoint;

class KTCurveSampler
{
public:
    /// Most points an implicit plot stores over both buffers: the first buffer counts 1600 of
    /// them, the second (grown as far as needed) holds the rest. A plot's own share of it grows
    /// with the pixels of its view (ImplicitPointBudget).
    static constexpr int ImplicitCapacity = 1 << 21;
    /// The points a plot over a lattice of that many cells stores at most: an eighth of its
    /// cells (a curve through every pixel draws a point every few pixels), at least 1 << 16.
    static int ImplicitPointBudget(long long cells);
    /// The leaves (cells taken whole) a trace over that many lattice cells makes at most, the
    /// most of its memory: two for each cell, which curves a pixel or more apart never reach
    /// (a lattice interval between every pair of them, and their poles). A trace that would make
    /// more is traced again over a lattice of half as many columns and rows, coarser over the
    /// whole view.
    static long long ImplicitLeafBudget(long long cells) { return std::max(4096LL, 2 * cells); }
    static constexpr int BranchSamples = 1600;
    /// The step of a parametric form's parameter, as a part of its domain: the high end is not
    /// sampled.
    static constexpr double ParametricStep = 0.000625;
    /// Largest side of the implicit lattice, in cells: at most one per device pixel.
    static constexpr int ImplicitCells = 2560;
    /// Most distance, in device pixels, between the polyline of an implicit curve and the line
    /// through its points before a point is dropped.
    static constexpr double ImplicitSimplification = 0.1;
    /// Halvings that narrow the end of a domain, a pole or an edge crossing between two samples
    /// to neighbouring doubles.
    static constexpr int NarrowingHalvings = 200;
    /// Most steps with a pole between samples that are searched one by one; beyond this many the
    /// samples cannot show the curve between its poles anyway.
    static constexpr int DensePoles = 200;
    /// Part of a pixel to which a crossing of the view's edge is placed.
    static constexpr double EdgePrecision = 1e-3;

    /// `order` 1 or 2 samples f' or f'' of y = f(x) in place of f, by the same steps: the poles
    /// of f are searched as poles of its derivatives.
    explicit KTCurveSampler(KTFunction3& function, int order = 0) : m_f(function), m_order(order) {}

    /// The plotted ends of the domain and their end styles for the current view; only for an
    /// interpreted function with owner axes.
    void SetDomainEnds();
    /// Fills the current buffer from the current evaluation list.
    void SampleBranch();
    /// Traces the implicit curve over the given ranges into both buffers; `count` is the total
    /// stored. Nothing when it already exceeds ImplicitCapacity or a range is empty.
    void PlotImplicit(int& count, double xLow, double xHigh, double yLow, double yHigh);
    /// What PlotImplicit would trace for the relation as it now stands (its constants
    /// included): false where it cannot be traced ahead (no compiled programs, an empty range).
    bool PlanAhead(KTImplicitAhead& ahead);
    /// Traces what was planned, on any thread: the programs are only read. A trace that fails
    /// leaves it untraced.
    static void TraceAhead(KTImplicitAhead& ahead) noexcept;
    /// 1 <-> 2, 3 <-> 4; anything else -1.
    static int OppositeSide(int side);

    /// An interpreted implicit relation whose two sides are equal, to their rounding, everywhere
    /// in the owner's view (KTImplicitIdentity), found without tracing it.
    bool ImplicitHoldsEverywhere();

    /// Both sides of the relation at a point, through the function's own evaluation.
    void ImplicitSides(double x, double y, double& left, double& right);
    /// The implicit difference at (x, y): the second list's value minus the first list's; NaN
    /// where either side has no value.
    double ImplicitDifference(double x, double y);

    /// The stretch along the axis that an explicit or swapped form is sampled over (along x for
    /// an implicit relation): its domain, or, where none was typed (the stored default of its
    /// form), the whole view however wide.
    KTFunctionDomain SampledDomain() const;

private:
    /// The size of one device pixel of the axis in its own units (its whole range when it has
    /// no pixels).
    static double PixelSize(const KTAxis& axis);

    double Value(double x);
    void SampleExplicit(KTAxes& axes, bool swapped);
    void SamplePolar();
    void SampleParametric();
    /// Breaks a parametric curve where a step of its parameter holds a pole of x(t) or y(t) (or
    /// a jump), and takes each piece that leaves the view on to its edge: points are added
    /// between the samples, which keep their places.
    void FollowParametric();
    void SampleImplicit(KTAxes& axes);
    /// The graph rectangle an implicit relation is traced over: the view, less what its domains
    /// leave out; false where it is empty.
    bool ImplicitRange(const KTAxes& axes, double& xLow, double& xHigh, double& yLow, double& yHigh) const;
    /// Lattice cells across and down for that rectangle: one per device pixel.
    void ImplicitLattice(double xLow, double xHigh, double yLow, double yHigh, int& columns, int& rows) const;
    /// Traces the lattice; false where the trace passed its leaf budget.
    static bool TraceLattice(KTImplicitGrid& grid, const KTFunction3::PreparedList& first,
                             const KTFunction3::PreparedList& second);
    /// Adds a point at each end of the domain that lies between two samples, found by halving.
    void AddDomainEnds(bool swapped);
    /// Takes each piece that leaves or enters the view between two samples to the edge: a
    /// sample is moved onto the crossing, or, where it is the piece's only sample in view and
    /// already holds the other crossing, the crossing is added beside it. A piece that crosses
    /// the whole view between two samples (y = 1000x on a wide view) is added as its two
    /// crossings.
    void RefineEdges(bool swapped);
    /// Breaks the curve where a step between two samples holds a pole (or a jump where f is
    /// unbounded): the points either side of it are added, with a point without a value between.
    void BreakAtPoles(bool swapped);
    /// The same for a polar form, whose samples stay as they are: the polyline ends at the
    /// sample before each pole.
    void BreakPolarAtPoles();
    /// Keeps the points where a polar curve leaves or enters the view between two samples, or
    /// between a sample and one side of a pole (`poles`: the step of each, and its two sides),
    /// for after the samples are turned into x and y.
    void ReachPolarEdges(const std::vector<std::pair<int, std::pair<double, double>>>& poles);
    /// The step after sample `i` holds a pole or a jump, narrowed to [u, v] (the nearest points
    /// with values either side of it); `pixel` is the least jump that shows.
    bool StepBreaks(int i, const KTFunction3::PreparedList* bounds, KTPointPolisher& polisher, double pixel,
                    double& u, double& v);
    /// The compiled form of the current list with its bounds, or null for a list without one.
    KTFunction3::PreparedList* Bounds(KTFunction3::PreparedList& prepared);
    /// The steps (by the index of their first sample) that may hold a pole: those whose bound is
    /// not finite, or without bounds those the samples suggest.
    std::vector<int> PoleSteps(const KTFunction3::PreparedList* bounds);
    /// |f| rises ever more steeply towards the step after sample `i` from both sides.
    bool SamplesSuggestPole(int i);
    /// The pole of the step from a to b narrowed to [u, v], by the bounds of its halves (false
    /// when neither half's is infinite: there is none), or without bounds by f's sign change or
    /// where |f| peaks.
    bool NarrowPole(const KTFunction3::PreparedList* bounds, const KTCurvePoint& a, const KTCurvePoint& b,
                    double& u, double& v);
    static KTInterval BoundOver(const KTFunction3::PreparedList& bounds, double low, double high);
    /// The steps (by the index of their first sample) of `count` samples that `mayHold(first,
    /// last)` cannot clear: a stretch it clears holds none, the others are halved down to single
    /// steps, so a curve without poles costs one call and one with poles a few dozen.
    static std::vector<int> StepsNotCleared(int count, const std::function<bool(int, int)>& mayHold);
    /// Values somewhere in the bound's stretch, not all of them finite.
    static bool MayHoldPole(const KTInterval& bound);
    /// The last position inside the view of the across axis between `inside` and `outside`
    /// (f inside the view at the first, outside or without a value at the second), to a small
    /// part of a pixel.
    double EdgeBetween(double inside, double outside, const KTAxis& across);
    void StoreImplicit(const KTImplicitGrid& grid, int& count);

    KTFunction3& m_f;
    int m_order = 0;
    int m_pointBudget = ImplicitCapacity; ///< of the implicit plot being stored
};
