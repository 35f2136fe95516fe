#pragma once
// Samples the current branch of a function into its current curve buffer: explicit and swapped
// forms at one position per device pixel of the axis, with the ends of their domain found
// between samples; polar and parametric forms at 1600 steps of the parameter; implicit
// relations and inequalities by tracing the zero line of the difference of their two sides on a
// lattice of device pixels (KTImplicitGrid). Also settles the plotted ends of the domain and
// moves the points where the curve crosses the edge of the view close to that edge. Works on the
// function it is made for; make one per pass.

class KTFunction3;
class KTAxes;
class KTImplicitGrid;
struct KTCurvePoint;

class KTCurveSampler
{
public:
    /// Most points an implicit plot stores over both buffers: the first buffer counts 1600 of
    /// them, the second (grown as far as needed) holds the rest.
    static constexpr int ImplicitCapacity = 1 << 19;
    static constexpr int BranchSamples = 1600;
    /// Largest side of the implicit lattice, in cells: at most one per device pixel.
    static constexpr int ImplicitCells = 2560;
    /// Most distance, in device pixels, between the polyline of an implicit curve and the line
    /// through its points before a point is dropped.
    static constexpr double ImplicitSimplification = 0.1;

    explicit KTCurveSampler(KTFunction3& function) : m_f(function) {}

    /// The plotted ends of the domain and their end styles for the current view; only for an
    /// interpreted function with owner axes.
    void SetDomainEnds();
    /// Fills the current buffer from the current evaluation list.
    void SampleBranch();
    /// Traces the implicit curve over the given ranges into both buffers; `count` is the total
    /// stored. Nothing when it already exceeds ImplicitCapacity or a range is empty.
    void PlotImplicit(int& count, double xLow, double xHigh, double yLow, double yHigh);
    /// 1 <-> 2, 3 <-> 4; anything else -1.
    static int OppositeSide(int side);

    /// The implicit difference at (x, y): the second list's value minus the first list's; NaN
    /// where either side has no value.
    double ImplicitDifference(double x, double y);

private:
    double Value(double x);
    void SampleExplicit(KTAxes& axes, bool swapped);
    void SamplePolar();
    void SampleParametric();
    void SampleImplicit(KTAxes& axes);
    /// Adds a point at each end of the domain that lies between two samples, found by halving.
    void AddDomainEnds(bool swapped);
    void RefineEdges(bool swapped);
    void StoreImplicit(const KTImplicitGrid& grid, int& count);
    KTCurvePoint* ImplicitSlot(int index);
    bool StoreImplicitPoint(const KTCurvePoint& point, int& count);

    KTFunction3& m_f;
};
