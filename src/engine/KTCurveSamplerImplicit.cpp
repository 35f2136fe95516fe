// Implicit relations and inequalities: the zero line of the difference of their two sides
// traced on a lattice of device pixels over the view (KTImplicitGrid) into both curve buffers.

#include "engine/KTCurveSampler.h"

#include "engine/KTCurveValues.h"
#include "engine/KTFunction3.h"
#include "engine/KTImplicitAhead.h"
#include "engine/KTImplicitGrid.h"
#include "engine/KTImplicitIdentity.h"
#include "engine/KTImplicitThreads.h"
#include "engine/KTIntervalRules.h"
#include "axes/KTAxes.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

/// right - left of a relation's two sides; NaN where either has no value, which the implicit
/// lattice reads as undefined.
double SidesDifference(double left, double right)
{
    if (KTCurveValues::IsNoValue(left) || KTCurveValues::IsNoValue(right))
        return std::numeric_limits<double>::quiet_NaN();
    return right - left;
}

/// Both sides of the relation at a point, NaN for one without a value.
KTImplicitIdentity::Sides PreparedSides(const KTFunction3::PreparedList& first, const KTFunction3::PreparedList& second)
{
    return [&first, &second](double x, double y, double& left, double& right) {
        left = first.Run(x, y);
        right = second.Run(x, y);
        if (KTCurveValues::IsNoValue(left) || KTCurveValues::IsNoValue(right))
            left = right = std::numeric_limits<double>::quiet_NaN();
    };
}

/// The sum of the widths of the ranges of the two sides over a box.
KTImplicitIdentity::Widths PreparedWidths(const KTFunction3::PreparedList& first, const KTFunction3::PreparedList& second)
{
    return [&first, &second](double xLow, double xHigh, double yLow, double yHigh) {
        const KTInterval a = first.Bound(xLow, xHigh, yLow, yHigh);
        const KTInterval b = second.Bound(xLow, xHigh, yLow, yHigh);
        if (!a.IsBounded() || !b.IsBounded())
            return std::numeric_limits<double>::infinity();
        return (a.m_hi - a.m_lo) + (b.m_hi - b.m_lo);
    };
}

/// b - a of the two sides' ranges, with the flags of both.
KTInterval Difference(const KTInterval& b, const KTInterval& a)
{
    KTInterval d = KTIntervalRules::Binary(ASKind::Minus, b, a);
    d.m_jumps = a.m_jumps || b.m_jumps;
    d.m_scattered = a.m_scattered || b.m_scattered;
    return d;
}

KTIntervalGradient Difference(const KTIntervalGradient& b, const KTIntervalGradient& a)
{
    return {Difference(b.value, a.value), KTIntervalRules::Binary(ASKind::Minus, b.dx, a.dx),
            KTIntervalRules::Binary(ASKind::Minus, b.dy, a.dy)};
}

/// The difference's ranges over a box: the second side's less the first's.
KTImplicitLattice::Bound PreparedBound(const KTFunction3::PreparedList& first, const KTFunction3::PreparedList& second)
{
    // Most relations have a number on one side, whose ranges no box changes: taken once.
    const bool number = second.program && second.program->IsNumber();
    const KTIntervalGradient fixed =
        number ? second.BoundWithGradient(0.0, 0.0, 0.0, 0.0) : KTIntervalGradient{};
    return [&first, &second, number, fixed](double xLow, double xHigh, double yLow, double yHigh, bool gradient,
                                            bool gaps) {
        if (gradient)
            return Difference(number ? fixed : second.BoundWithGradient(xLow, xHigh, yLow, yHigh, gaps),
                              first.BoundWithGradient(xLow, xHigh, yLow, yHigh, gaps));
        return KTIntervalGradient{Difference(number ? fixed.value : second.Bound(xLow, xHigh, yLow, yHigh, gaps),
                                             first.Bound(xLow, xHigh, yLow, yHigh, gaps)),
                                  KTInterval::Entire(), KTInterval::Entire()};
    };
}

/// Whether the prepared sides are equal to their rounding everywhere over the lattice.
bool PreparedHoldEverywhere(const KTFunction3::PreparedList& first, const KTFunction3::PreparedList& second,
                            double xLow, double xHigh, double yLow, double yHigh, int columns, int rows)
{
    return KTImplicitIdentity::HoldsEverywhere(PreparedSides(first, second), PreparedWidths(first, second),
                                               PreparedBound(first, second), xLow, xHigh, yLow, yHigh, columns,
                                               rows);
}

} // namespace

void KTCurveSampler::ImplicitSides(double x, double y, double& left, double& right)
{
    KTFunctionData3& data = m_f.Data();
    const int list = data.CurrentListIndex();
    data.SelectList(KTFunctionData3::SecondBranchList);
    right = m_f.EvaluateValue(x, y);
    data.SelectList(KTFunctionData3::FirstBranchList);
    left = m_f.EvaluateValue(x, y);
    data.SelectList(list);
}

double KTCurveSampler::ImplicitDifference(double x, double y)
{
    double left = 0.0, right = 0.0;
    ImplicitSides(x, y, left, right);
    return SidesDifference(left, right);
}

bool KTCurveSampler::ImplicitRange(const KTAxes& axes, double& xLow, double& xHigh, double& yLow,
                                   double& yHigh) const
{
    // As an explicit curve, a relation without a typed domain is traced over the whole view,
    // however far from the origin.
    const KTFunctionDomain domain = SampledDomain();
    xLow = std::max(axes.m_xAxis.m_min, domain.m_low);
    xHigh = std::min(axes.m_xAxis.m_max, domain.m_high);
    // A domain on y bounds the lattice's rows as one on x bounds its columns.
    const KTFunctionDomain& rows = m_f.Data().m_valueDomain;
    const bool yDomain = rows.m_variable == ASKind::Y;
    yLow = yDomain && rows.LowBounded() ? std::max(axes.m_yAxis.m_min, rows.m_low) : axes.m_yAxis.m_min;
    yHigh = yDomain && rows.HighBounded() ? std::min(axes.m_yAxis.m_max, rows.m_high) : axes.m_yAxis.m_max;
    return xHigh > xLow && yHigh > yLow && std::isfinite(xHigh - xLow) && std::isfinite(yHigh - yLow);
}

void KTCurveSampler::SampleImplicit(KTAxes& axes)
{
    double xLow = 0.0, xHigh = 0.0, yLow = 0.0, yHigh = 0.0;
    ImplicitRange(axes, xLow, xHigh, yLow, yHigh);
    int count = 0;
    m_f.m_buffer1->m_count = 0;
    // The points of the last plot go before the next is traced, not after: a dense plot's
    // would stand beside its lattice.
    m_f.m_buffer2->Release();
    m_f.m_holdsEverywhere = 0;
    PlotImplicit(count, xLow, xHigh, yLow, yHigh);
    if (m_f.m_implicitOverflow) {
        m_f.m_buffer1->m_count = BranchSamples;
        m_f.m_buffer2->m_count = std::max(0, count - (BranchSamples + 1));
    } else {
        m_f.m_currentBuffer->m_count = count;
    }
}

bool KTCurveSampler::ImplicitHoldsEverywhere()
{
    const KTAxes* axes = m_f.Data().m_owner;
    if (!axes || !m_f.Data().m_interpreted || m_f.Status() != KTStatusImplicit)
        return false;
    double xLow = 0.0, xHigh = 0.0, yLow = 0.0, yHigh = 0.0;
    if (!ImplicitRange(*axes, xLow, xHigh, yLow, yHigh))
        return false;
    int columns = 0, rows = 0;
    ImplicitLattice(xLow, xHigh, yLow, yHigh, columns, rows);
    KTFunction3::PreparedList first;
    KTFunction3::PreparedList second;
    return m_f.PrepareList(KTFunctionData3::FirstBranchList, first) &&
           m_f.PrepareList(KTFunctionData3::SecondBranchList, second) &&
           PreparedHoldEverywhere(first, second, xLow, xHigh, yLow, yHigh, columns, rows);
}

void KTCurveSampler::ImplicitLattice(double xLow, double xHigh, double yLow, double yHigh, int& columns,
                                     int& rows) const
{
    // One lattice cell per device pixel of the view (the part of it the domain leaves).
    columns = BranchSamples;
    rows = BranchSamples;
    if (const KTAxes* axes = m_f.Data().m_owner) {
        const KTAxis& x = axes->m_xAxis;
        const KTAxis& y = axes->m_yAxis;
        const double width = std::fabs(double(x.m_devicePixel.right) - x.m_devicePixel.left);
        const double height = std::fabs(double(y.m_devicePixel.bottom) - y.m_devicePixel.top);
        const double xPart = x.m_max > x.m_min ? std::min(1.0, (xHigh - xLow) / (x.m_max - x.m_min)) : 1.0;
        const double yPart = y.m_max > y.m_min ? std::min(1.0, (yHigh - yLow) / (y.m_max - y.m_min)) : 1.0;
        if (width >= 1.0)
            columns = static_cast<int>(std::ceil(width * xPart));
        if (height >= 1.0)
            rows = static_cast<int>(std::ceil(height * yPart));
    }
    columns = std::clamp(columns, 1, ImplicitCells);
    rows = std::clamp(rows, 1, ImplicitCells);
}

namespace {
/// Room of the second buffer from which its pages are faulted in on the threads.
constexpr std::size_t kFaultInBytes = std::size_t{8} << 20;
} // namespace

void KTCurveSampler::StoreImplicit(const KTImplicitGrid& grid, int& count)
{
    const KTImplicitPolylines::PointList& points = grid.Points();
    // Points 0 to 1600 go to the first buffer (which counts 1600 of them), later ones follow the
    // second's, each written once as it comes: a dense plot's half million, made first and
    // written after, would be gone over twice.
    KTCurvePointBuffer& first = *m_f.m_buffer1;
    std::vector<KTCurvePoint>& second = m_f.m_buffer2->m_points;
    const std::size_t held = count > BranchSamples + 1 ? static_cast<std::size_t>(count - (BranchSamples + 1)) : 0;
    if (second.size() > held)
        second.erase(second.begin() + static_cast<std::ptrdiff_t>(held), second.end());
    // Room for what passes the first buffer, and two more where a line passes its end, at
    // once: grown as they come, it would hold twice their room while it moves them.
    const long long total = count + static_cast<long long>(points.size()) + 2;
    if (total > BranchSamples + 1 && second.capacity() < static_cast<std::size_t>(total - (BranchSamples + 1))) {
        second.reserve(static_cast<std::size_t>(std::min<long long>(total - (BranchSamples + 1), m_pointBudget)));
        // A dense plot's room (tens of megabytes) is faulted in on the threads first.
        const std::size_t room = (second.capacity() - second.size()) * sizeof(KTCurvePoint);
        if (room >= kFaultInBytes)
            KTImplicitThreads::FaultIn(second.data() + second.size(), room);
    }
    const auto store = [&](const KTCurvePoint& point) {
        if (count >= m_pointBudget)
            return false;
        if (count <= BranchSamples)
            first.m_points[static_cast<std::size_t>(count)] = point;
        else
            second.push_back(point);
        ++count;
        return true;
    };
    int begin = 0;
    for (int end : grid.Ends()) {
        for (int k = begin; k < end && count < m_pointBudget; ++k) {
            KTCurvePoint point;
            point.m_point = points[static_cast<std::size_t>(k)];
            point.m_draw = 1;
            point.m_break = k == begin || k == end - 1 ? 1 : 0;
            if (count == BranchSamples) {
                // The first buffer counts 1600 points and keeps one more that is never drawn;
                // a line that goes on past them starts again in the second buffer from the last
                // point drawn, so that no piece of it is lost between the buffers.
                KTCurvePoint previous = first.m_points[static_cast<std::size_t>(count - 1)];
                previous.m_break = 1;
                store(previous);
                if (k != begin)
                    store(previous);
            }
            store(point);
        }
        begin = end;
    }
    if (count > BranchSamples)
        m_f.m_implicitOverflow = 1;
    // Every buffer holds at least its capacity of points.
    if (second.size() < static_cast<std::size_t>(KTCurvePointBuffer::Capacity))
        second.resize(KTCurvePointBuffer::Capacity);
}

int KTCurveSampler::ImplicitPointBudget(long long cells)
{
    return static_cast<int>(std::clamp(cells / 8, 1LL << 16, static_cast<long long>(ImplicitCapacity)));
}

bool KTCurveSampler::TraceLattice(KTImplicitGrid& grid, const KTFunction3::PreparedList& first,
                                  const KTFunction3::PreparedList& second)
{
    // Rows of lattice points go through the programs' block form where that runs whole blocks
    // at once; a program that applies its rules lane by lane gains nothing by it and takes its
    // rows point by point. With rows the lattice calls both forms from its threads: the
    // prepared programs are only read.
    const auto difference = [&first, &second](double x, double y) {
        const double right = second.Run(x, y);
        return SidesDifference(first.Run(x, y), right);
    };
    KTImplicitGrid::RowDifference rows;
    if (!first.program->RunsInBlocks() || !second.program->RunsInBlocks())
        rows = [&difference](const double* xs, double y, double* out, int count) {
            for (int k = 0; k < count; ++k)
                out[k] = difference(xs[k], y);
        };
    else
        rows = [&first, &second](const double* xs, double y, double* out, int count) {
            // The grid hands at most a few hundred points of a row at once.
            constexpr int block = 256;
            double left[block];
            for (int k = 0; k < count; k += block) {
                const int n = std::min(block, count - k);
                second.RunRow(xs + k, y, out + k, n);
                first.RunRow(xs + k, y, left, n);
                for (int m = 0; m < n; ++m)
                    out[k + m] = SidesDifference(left[m], out[k + m]);
            }
        };
    return grid.Trace(difference, rows, PreparedBound(first, second));
}

bool KTCurveSampler::PlanAhead(KTImplicitAhead& ahead)
{
    ahead.planned = ahead.traced = ahead.holdsEverywhere = false;
    const KTAxes* axes = m_f.Data().m_owner;
    if (!axes || !ImplicitRange(*axes, ahead.xLow, ahead.xHigh, ahead.yLow, ahead.yHigh))
        return false;
    ImplicitLattice(ahead.xLow, ahead.xHigh, ahead.yLow, ahead.yHigh, ahead.columns, ahead.rows);
    ahead.planned = m_f.PrepareList(KTFunctionData3::FirstBranchList, ahead.first) &&
                    m_f.PrepareList(KTFunctionData3::SecondBranchList, ahead.second);
    return ahead.planned;
}

void KTCurveSampler::TraceAhead(KTImplicitAhead& ahead) noexcept
{
    if (!ahead.planned)
        return;
    try {
        // A member whose sides are equal everywhere has nothing to trace; traced, it would fill
        // its leaf budget on every thread at once ((x+a)^2=x^2+2ax+a^2 for each a).
        if (PreparedHoldEverywhere(ahead.first, ahead.second, ahead.xLow, ahead.xHigh, ahead.yLow, ahead.yHigh,
                                   ahead.columns, ahead.rows)) {
            ahead.holdsEverywhere = ahead.traced = true;
            return;
        }
        KTImplicitGrid grid(ahead.xLow, ahead.xHigh, ahead.yLow, ahead.yHigh, ahead.columns, ahead.rows);
        // The family's members share the threads among themselves: each traces on one.
        grid.SetConcurrent(false);
        // A trace past its budget is done again on the caller's thread, coarser.
        grid.SetLeafBudget(ImplicitLeafBudget(static_cast<long long>(ahead.columns) * ahead.rows));
        if (!TraceLattice(grid, ahead.first, ahead.second)) {
            ahead.traced = false;
            return;
        }
        grid.SwapLines(ahead.lines);
        ahead.traced = true;
    } catch (...) {
        // A failed evaluation fails the member's own trace again, on the caller's thread, where
        // it is reported as for any relation.
        ahead.traced = false;
    }
}

void KTCurveSampler::PlotImplicit(int& count, double xLow, double xHigh, double yLow, double yHigh)
{
    if (count > ImplicitCapacity)
        return;
    if (!(xHigh > xLow) || !(yHigh > yLow) || !std::isfinite(xHigh - xLow) || !std::isfinite(yHigh - yLow))
        return;

    int columns = 0;
    int rows = 0;
    ImplicitLattice(xLow, xHigh, yLow, yHigh, columns, rows);
    m_f.m_implicitOverflow = 0;
    const long long cells = static_cast<long long>(columns) * rows;
    const int capacity = ImplicitPointBudget(cells);
    m_pointBudget = capacity;
    KTImplicitGrid grid(xLow, xHigh, yLow, yHigh, columns, rows);
    // Within its budget, or over a lattice half as fine on both axes, as often as it takes:
    // coarser over the whole view, not cut part way.
    const auto traceWithin = [&](const auto& trace) {
        grid.SetLeafBudget(ImplicitLeafBudget(cells));
        while (!trace()) {
            columns = (columns + 1) / 2;
            rows = (rows + 1) / 2;
            if (columns <= KTImplicitIdentity::Step || rows <= KTImplicitIdentity::Step)
                grid.SetLeafBudget(0);
            grid.Reset(xLow, xHigh, yLow, yHigh, columns, rows);
        }
    };
    // The lattice evaluates both sides hundreds of thousands of times: their programs are
    // taken once, not looked up and selected for every point.
    KTFunction3::PreparedList first;
    KTFunction3::PreparedList second;
    if (m_f.PrepareList(KTFunctionData3::FirstBranchList, first) &&
        m_f.PrepareList(KTFunctionData3::SecondBranchList, second)) {
        KTImplicitAhead* ahead = m_f.ImplicitTracedAhead();
        const bool tracedAhead = ahead && ahead->Fits(xLow, xHigh, yLow, yHigh, columns, rows, first, second);
        // Sides equal to their rounding everywhere in view have no curve: a trace would draw
        // their rounding, at every pixel.
        if (tracedAhead ? ahead->holdsEverywhere
                        : PreparedHoldEverywhere(first, second, xLow, xHigh, yLow, yHigh, columns, rows)) {
            m_f.m_holdsEverywhere = 1;
            return;
        }
        if (tracedAhead)
            grid.SwapLines(ahead->lines);
        else
            traceWithin([&] { return TraceLattice(grid, first, second); });
    } else {
        const auto sides = [this](double x, double y, double& left, double& right) {
            ImplicitSides(x, y, left, right);
            if (KTCurveValues::IsNoValue(left) || KTCurveValues::IsNoValue(right))
                left = right = std::numeric_limits<double>::quiet_NaN();
        };
        if (KTImplicitIdentity::HoldsEverywhere(sides, nullptr, nullptr, xLow, xHigh, yLow, yHigh, columns, rows)) {
            m_f.m_holdsEverywhere = 1;
            return;
        }
        traceWithin([&] { return grid.Trace([this](double x, double y) { return ImplicitDifference(x, y); }); });
    }
    // The polylines are simplified until they fit what is left of the buffers: coarser
    // everywhere rather than complete on one side of the view only. The line that passes the
    // end of the first buffer takes two points more.
    const long long room = std::max(0LL, static_cast<long long>(capacity) - count - 2);
    grid.Simplify(ImplicitSimplification, static_cast<std::size_t>(room));
    StoreImplicit(grid, count);
}
