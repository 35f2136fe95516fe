#include "engine/KTCurveSampler.h"

#include "engine/KTCurveValues.h"
#include "engine/KTFunction3.h"
#include "foundation/KTSentinelValues.h"
#include "axes/KTAxes.h"

#include <cmath>
#include <memory>

namespace {

constexpr double kPolarStep = 0.0006253908692933083; // 1 / 1599: both ends of the range sampled
constexpr double kParametricStep = 0.000625;         // 1 / 1600: the high end is not sampled
constexpr int kSideBottom = 1;
constexpr int kSideTop = 2;
constexpr int kSideLeft = 3;
constexpr int kSideRight = 4;
constexpr int kLastInnerCell = KTImplicitGrid::Cells - 2;
// Traces work the last row and column too: stopping short of them would leave the piece of a
// curve between the last inner cell and the edge of the view undrawn.
constexpr int kLastCell = KTImplicitGrid::Cells - 1;

void MarkOff(KTCurvePoint& point)
{
    point.m_draw = 0;
    point.m_break = 1;
}

bool SamePoint(const KTPoint& a, const KTPoint& b)
{
    return std::fabs(a.m_x - b.m_x) <= 1e-8 && std::fabs(a.m_y - b.m_y) <= 1e-8;
}

} // namespace

double KTCurveSampler::Value(double x)
{
    return m_f.Evaluate(x, KTNoSecondValue).m_y;
}

int KTCurveSampler::OppositeSide(int side)
{
    switch (side) {
    case kSideBottom: return kSideTop;
    case kSideTop: return kSideBottom;
    case kSideLeft: return kSideRight;
    case kSideRight: return kSideLeft;
    default: return -1;
    }
}

void KTCurveSampler::SetDomainEnds()
{
    KTAxes* axes = m_f.Data().m_owner;
    if (!m_f.Data().m_interpreted || !axes)
        return;
    KTFunctionData3& data = m_f.Data();
    KTFunctionDomain& domain = data.m_domain;
    const KTEquationPartList& parts = m_f.Parts();
    const bool polar = parts.m_polar != 0;
    const bool swapped = parts.m_inverse != 0 && !polar;

    // The domain of a swapped form lies along y, so its ends are compared with the y range, and
    // its values with the x range.
    const KTAxis& along = swapped ? axes->m_yAxis : axes->m_xAxis;
    const KTAxis& across = swapped ? axes->m_xAxis : axes->m_yAxis;
    const auto valueOffView = [&](double at) {
        const double v = Value(at);
        return v > across.m_max || v < across.m_min;
    };

    if (domain.m_low < along.m_min && !polar) {
        data.m_plottedLow = along.m_min;
        if (domain.m_lowEnd != KTFunctionDomain::EndNone)
            domain.m_lowEnd = KTFunctionDomain::EndUnbounded;
    } else {
        data.m_plottedLow = domain.m_low;
        if (domain.m_lowEnd != KTFunctionDomain::EndNone && valueOffView(domain.m_low))
            domain.m_lowEnd = KTFunctionDomain::EndUnbounded;
    }

    if (!(domain.m_high > domain.m_low))
        domain.m_high = domain.m_low + 0.01;

    if (domain.m_high > along.m_max && !polar) {
        data.m_plottedHigh = along.m_max;
        if (domain.m_highEnd != KTFunctionDomain::EndNone)
            domain.m_highEnd = KTFunctionDomain::EndUnbounded;
    } else {
        data.m_plottedHigh = domain.m_high;
        if (domain.m_highEnd != KTFunctionDomain::EndNone && valueOffView(domain.m_high))
            domain.m_highEnd = KTFunctionDomain::EndUnbounded;
    }
}

void KTCurveSampler::SampleBranch()
{
    KTFunctionData3& data = m_f.Data();
    KTAxes* axes = data.m_owner;
    KTCurvePointBuffer* buffer = m_f.m_currentBuffer;
    if (!data.m_interpreted || data.CurrentList().IsEmpty() || !axes || !buffer)
        return;

    const int status = m_f.Status();
    if (status == KTStatusNoEquation || status == KTStatusNoEquationP) {
        buffer->m_count = 0;
        return;
    }
    if (status == KTStatusImplicit) {
        SampleImplicit(*axes);
        return;
    }

    const KTEquationPartList& parts = m_f.Parts();
    const bool polar = parts.m_polar != 0;
    const bool swapped = parts.m_inverse != 0;
    const bool parametric = parts.m_parametricX != 0;
    if (!polar && !swapped && !parametric)
        SampleExplicit(*axes, false);
    else if (swapped && !polar && !parametric)
        SampleExplicit(*axes, true);
    else if (polar && !parametric)
        SamplePolar();
    else if (parametric && !polar)
        SampleParametric();
    else
        return;

    // The discontinuity list is searched for sign changes only: where it meets the view's edge
    // does not matter.
    if (status == KTStatusExplicit && !polar && !parametric &&
        data.CurrentListIndex() != KTFunctionData3::DiscontinuityList)
        RefineEdges(swapped);

    if (buffer->m_count >= 2) {
        // A spacing that is not positive (a degenerate range) keeps the previous tolerance.
        const double spacing = buffer->m_points[1].m_point.m_x - buffer->m_points[0].m_point.m_x;
        if (spacing > 0.0 && std::isfinite(spacing))
            m_f.m_tolerance = spacing;
    }
}

void KTCurveSampler::SampleExplicit(KTAxes& axes, bool swapped)
{
    KTCurvePointBuffer& buffer = *m_f.m_currentBuffer;
    const KTFunctionDomain& domain = m_f.Data().m_domain;
    const KTAxis& along = swapped ? axes.m_yAxis : axes.m_xAxis;
    const KTAxis& across = swapped ? axes.m_xAxis : axes.m_yAxis;

    buffer.m_count = 0;
    // An axis without extent has no pixel to sample at.
    if (!(along.m_max > along.m_min))
        return;
    if (swapped)
        axes.SampleY(buffer, domain.m_low, domain.m_high);
    else
        axes.SampleX(buffer, domain.m_low, domain.m_high);
    if (buffer.m_count < 0 || buffer.m_count > KTCurvePointBuffer::Capacity)
        buffer.m_count = 0;

    for (int i = 0; i < buffer.m_count; ++i) {
        KTCurvePoint& point = buffer.m_points[static_cast<std::size_t>(i)];
        const double position = swapped ? point.m_point.m_y : point.m_point.m_x;
        const double value = Value(position);
        point.m_point.m_x = position;
        point.m_point.m_y = value;
        point.m_firstDerivative = 0.0;
        point.m_draw = 1;
        point.m_break = 0;
        if (value > across.m_max || value < across.m_min || position < domain.m_low ||
            position > domain.m_high)
            MarkOff(point);
    }
}

void KTCurveSampler::SamplePolar()
{
    KTCurvePointBuffer& buffer = *m_f.m_currentBuffer;
    const KTFunctionDomain& domain = m_f.Data().m_domain;
    const bool swapped = m_f.Parts().m_inverse != 0;
    const double factor = m_f.Data().m_owner->AngleFactor();
    const double scale = factor != 0.0 ? 1.0 / factor : 1.0;
    const double step = (domain.m_high - domain.m_low) * kPolarStep;

    for (int k = 0; k < BranchSamples; ++k) {
        KTCurvePoint& point = buffer.m_points[static_cast<std::size_t>(k)];
        const double parameter = domain.m_low + k * step;
        const double value = Value(parameter);
        point.m_point = KTPoint(parameter, value);
        point.m_firstDerivative = 0.0;
        point.m_draw = 1;
        point.m_break = 0;
        // r = f(angle) holds (angle, radius); angle = f(r) holds (radius, angle).
        const double radius = swapped ? parameter : value;
        const double angle = (swapped ? value : parameter) * scale;
        if (KTCurveValues::IsNoValue(value) ||
            !m_f.InGraphRangeStrict(radius * std::cos(angle), radius * std::sin(angle)))
            MarkOff(point);
    }
    buffer.m_count = BranchSamples;
}

void KTCurveSampler::SampleParametric()
{
    KTCurvePointBuffer& buffer = *m_f.m_currentBuffer;
    KTFunctionData3& data = m_f.Data();
    const KTFunctionDomain& domain = data.m_domain;
    const double step = (domain.m_high - domain.m_low) * kParametricStep;
    const int list = data.CurrentListIndex();

    for (int k = 0; k < BranchSamples; ++k) {
        KTCurvePoint& point = buffer.m_points[static_cast<std::size_t>(k)];
        point.m_point.m_x = Value(domain.m_low + k * step);
        point.m_firstDerivative = 0.0;
        point.m_break = 0;
    }
    data.SelectList(KTFunctionData3::SecondBranchList);
    for (int k = 0; k < BranchSamples; ++k) {
        KTCurvePoint& point = buffer.m_points[static_cast<std::size_t>(k)];
        point.m_point.m_y = Value(domain.m_low + k * step);
        point.m_draw = m_f.InGraphRange(point.m_point.m_x, point.m_point.m_y) ? 1 : 0;
    }
    data.SelectList(list);
    buffer.m_count = BranchSamples;
}

void KTCurveSampler::RefineEdges(bool swapped)
{
    KTCurvePointBuffer& buffer = *m_f.m_currentBuffer;
    const KTAxes& axes = *m_f.Data().m_owner;
    const KTAxis& across = swapped ? axes.m_xAxis : axes.m_yAxis;
    const auto inside = [&](double v) { return v <= across.m_max && v >= across.m_min; };

    for (int i = 0; i + 1 < buffer.m_count; ++i) {
        KTCurvePoint& first = buffer.m_points[static_cast<std::size_t>(i)];
        KTCurvePoint& second = buffer.m_points[static_cast<std::size_t>(i + 1)];
        if (first.m_draw == second.m_draw)
            continue;
        const double start = first.m_point.m_x;
        const double tolerance = (second.m_point.m_x - start) * 0.01;
        if (!(tolerance > 0.0))
            continue;
        for (int k = 1; k <= 100; ++k) {
            const double position = start + k * tolerance;
            const double value = Value(position);
            if (second.m_draw) {
                // The curve enters the view: the first position inside replaces the later point.
                if (inside(value)) {
                    second.m_point = KTPoint(position, value);
                    break;
                }
            } else if (!inside(value)) {
                // The curve leaves: the earlier point moves to one step before the first outside.
                const double before = position - tolerance;
                first.m_point = KTPoint(before, Value(before));
                break;
            }
        }
    }
}

// ---- Implicit relations -------------------------------------------------------------------------

double KTCurveSampler::ImplicitDifference(double x, double y)
{
    KTFunctionData3& data = m_f.Data();
    const int list = data.CurrentListIndex();
    data.SelectList(KTFunctionData3::SecondBranchList);
    const double second = m_f.Evaluate(x, y).m_y;
    data.SelectList(KTFunctionData3::FirstBranchList);
    const double first = m_f.Evaluate(x, y).m_y;
    data.SelectList(list);
    return second - first;
}

void KTCurveSampler::SampleImplicit(KTAxes& axes)
{
    const KTFunctionDomain& domain = m_f.Data().m_domain;
    const double xLow = std::max(axes.m_xAxis.m_min, domain.m_low);
    const double xHigh = std::min(axes.m_xAxis.m_max, domain.m_high);
    int count = 0;
    m_f.m_buffer1->m_count = 0;
    PlotImplicit(count, xLow, xHigh, axes.m_yAxis.m_min, axes.m_yAxis.m_max);
    if (m_f.m_implicitOverflow) {
        m_f.m_buffer1->m_count = BranchSamples;
        m_f.m_buffer2->m_count = std::max(0, count - (BranchSamples + 1));
    } else {
        m_f.m_currentBuffer->m_count = count;
    }
}

KTCurvePoint* KTCurveSampler::ImplicitSlot(int index)
{
    // Points 0 to 1600 go to the first buffer (which counts 1600 of them), later ones to the start
    // of the second.
    if (index <= BranchSamples)
        return m_f.m_buffer1->At(index);
    return m_f.m_buffer2->At(index - (BranchSamples + 1));
}

bool KTCurveSampler::StoreImplicitPoint(const KTPoint& p, BYTE draw, BYTE brk, int& count)
{
    if (count >= ImplicitCapacity)
        return false;
    KTCurvePoint* slot = ImplicitSlot(count);
    if (!slot)
        return false;
    slot->m_point = p;
    slot->m_firstDerivative = 0.0;
    slot->m_draw = draw;
    slot->m_break = brk;
    ++count;
    if (count > BranchSamples)
        m_f.m_implicitOverflow = 1;
    return true;
}

void KTCurveSampler::PlotImplicit(int& count, double xLow, double xHigh, double yLow, double yHigh)
{
    if (count > ImplicitCapacity)
        return;
    const double width = (xHigh - xLow) / KTImplicitGrid::Cells;
    const double height = (yHigh - yLow) / KTImplicitGrid::Cells;
    if (!(width > 0.0) || !(height > 0.0) || !std::isfinite(width) || !std::isfinite(height))
        return;

    auto grid = std::make_unique<KTImplicitGrid>();
    m_grid = grid.get();
    grid->m_cellWidth = width;
    grid->m_cellHeight = height;
    grid->m_xOrigin = xLow;
    grid->m_yOrigin = yLow;
    grid->m_xEnd = xHigh;
    grid->m_yEnd = yHigh;
    grid->Clear();
    m_f.m_implicitOverflow = 0;

    constexpr int last = KTImplicitGrid::Cells - 1;
    for (int column = 0; column <= last; ++column)
        TraceImplicit(column, 0, kSideBottom, count, false);
    for (int column = 0; column <= last; ++column)
        TraceImplicit(column, last, kSideTop, count, false);
    for (int row = 0; row <= last; ++row)
        TraceImplicit(0, row, kSideLeft, count, false);
    for (int row = 0; row <= last; ++row)
        TraceImplicit(last, row, kSideRight, count, false);

    for (int row = 1; row <= kLastInnerCell; ++row) {
        for (int column = 1; column <= kLastInnerCell; ++column) {
            const int before = count;
            TraceImplicit(column, row, 0, count, false);
            if (count > before) {
                *grid->Visited(column, row) = 0;
                TraceImplicit(column, row, 0, count, true);
            }
        }
    }
    m_grid = nullptr;
}

double KTCurveSampler::CornerDifference(int column, int row)
{
    KTImplicitGrid& grid = *m_grid;
    const std::size_t index = static_cast<std::size_t>(row + KTImplicitGrid::Corners * column);
    if (!grid.m_cornerKnown[index]) {
        grid.m_corner[index] = ImplicitDifference(grid.XAt(column), grid.YAt(row));
        grid.m_cornerKnown[index] = 1;
    }
    return grid.m_corner[index];
}

bool KTCurveSampler::ImplicitCorners(int column, int row)
{
    if (!m_grid)
        return false;
    KTImplicitGrid& grid = *m_grid;
    BYTE* visited = grid.Visited(column, row);
    if (!visited || *visited)
        return false;
    grid.m_column = column;
    grid.m_row = row;
    grid.m_bottomLeft = CornerDifference(column, row);
    grid.m_topLeft = CornerDifference(column, row + 1);
    grid.m_bottomRight = CornerDifference(column + 1, row);
    grid.m_topRight = CornerDifference(column + 1, row + 1);
    grid.m_signBottomLeft = grid.m_bottomLeft >= 0.0;
    grid.m_signTopLeft = grid.m_topLeft >= 0.0;
    grid.m_signBottomRight = grid.m_bottomRight >= 0.0;
    grid.m_signTopRight = grid.m_topRight >= 0.0;
    return true;
}

double KTCurveSampler::BisectAlongX(double xLeft, double xRight, double y)
{
    double a = xLeft;
    double b = xRight;
    const bool signA = ImplicitDifference(a, y) >= 0.0;
    double mid = (a + b) / 2;
    for (int i = 0; i < 6; ++i) {
        mid = (a + b) / 2;
        if ((ImplicitDifference(mid, y) >= 0.0) == signA)
            a = mid;
        else
            b = mid;
    }
    return mid;
}

double KTCurveSampler::BisectAlongY(double x, double yBottom, double yTop)
{
    double a = yBottom;
    double b = yTop;
    const bool signA = ImplicitDifference(x, a) >= 0.0;
    double mid = (a + b) / 2;
    for (int i = 0; i < 6; ++i) {
        mid = (a + b) / 2;
        if ((ImplicitDifference(x, mid) >= 0.0) == signA)
            a = mid;
        else
            b = mid;
    }
    return mid;
}

bool KTCurveSampler::ImplicitCrossings(int entrySide)
{
    KTImplicitGrid& grid = *m_grid;
    const double left = grid.XAt(grid.m_column);
    const double right = grid.XAt(grid.m_column + 1);
    const double bottom = grid.YAt(grid.m_row);
    const double top = grid.YAt(grid.m_row + 1);
    // A sign change with a jump of 1000 or more is a pole, not a crossing.
    const auto crosses = [](BYTE s1, BYTE s2, double d1, double d2) {
        return s1 != s2 && std::fabs(d1 - d2) < 1000.0;
    };

    struct Crossing
    {
        int side;
        KTPoint point;
    };
    Crossing crossings[4];
    int found = 0;
    if (crosses(grid.m_signBottomLeft, grid.m_signBottomRight, grid.m_bottomLeft, grid.m_bottomRight))
        crossings[found++] = {kSideBottom, KTPoint(BisectAlongX(left, right, bottom), bottom)};
    if (crosses(grid.m_signTopLeft, grid.m_signTopRight, grid.m_topLeft, grid.m_topRight))
        crossings[found++] = {kSideTop, KTPoint(BisectAlongX(left, right, top), top)};
    if (crosses(grid.m_signBottomLeft, grid.m_signTopLeft, grid.m_bottomLeft, grid.m_topLeft))
        crossings[found++] = {kSideLeft, KTPoint(left, BisectAlongY(left, bottom, top))};
    if (crosses(grid.m_signBottomRight, grid.m_signTopRight, grid.m_bottomRight, grid.m_topRight))
        crossings[found++] = {kSideRight, KTPoint(right, BisectAlongY(right, bottom, top))};

    int entry = -1;
    for (int i = 0; i < found && entry < 0; ++i)
        if (entrySide == 0 || crossings[i].side == entrySide)
            entry = i;
    grid.m_entrySide = grid.m_exitSide = 0;
    grid.m_entry = grid.m_exit = KTPoint(KTNoSecondValue, KTNoSecondValue);
    // A cell whose requested side is not crossed stays free for a trace that reaches it
    // another way; marking it would lose that piece of the curve.
    if (entry < 0)
        return false;
    grid.m_entrySide = crossings[entry].side;
    grid.m_entry = crossings[entry].point;
    for (int i = 0; i < found; ++i) {
        if (i != entry) {
            grid.m_exitSide = crossings[i].side;
            grid.m_exit = crossings[i].point;
            break;
        }
    }
    *grid.Visited(grid.m_column, grid.m_row) = 1;
    return true;
}

void KTCurveSampler::TraceImplicit(int column, int row, int entrySide, int& count, bool otherCrossing)
{
    if (!m_grid)
        return;
    KTImplicitGrid& grid = *m_grid;
    if (otherCrossing)
        entrySide = grid.m_startExitSide;
    if (!ImplicitCorners(column, row) || !ImplicitCrossings(entrySide) || grid.m_exitSide == 0)
        return;

    const int before = count;
    const BYTE overflowBefore = m_f.m_implicitOverflow;
    const KTPoint firstEntry = grid.m_entry;
    grid.m_startExitSide = grid.m_exitSide;
    StoreImplicitPoint(grid.m_entry, 1, 1, count);
    StoreImplicitPoint(grid.m_exit, 1, 0, count);
    KTPoint lastExit = grid.m_exit;

    const auto step = [&](int side) {
        switch (side) {
        case kSideBottom: --row; break;
        case kSideTop: ++row; break;
        case kSideLeft: --column; break;
        case kSideRight: ++column; break;
        default: break;
        }
    };
    step(grid.m_exitSide);
    int nextEntry = OppositeSide(grid.m_exitSide);
    while (column >= 0 && column <= kLastCell && row >= 0 && row <= kLastCell) {
        if (!ImplicitCorners(column, row) || !ImplicitCrossings(nextEntry) || grid.m_exitSide == 0)
            break;
        StoreImplicitPoint(grid.m_exit, 1, 0, count);
        lastExit = grid.m_exit;
        step(grid.m_exitSide);
        nextEntry = OppositeSide(grid.m_exitSide);
    }

    if (SamePoint(lastExit, firstEntry))
        StoreImplicitPoint(firstEntry, 1, 0, count);

    if (count - before > 3) {
        if (KTCurvePoint* lastPoint = ImplicitSlot(count - 1))
            lastPoint->m_break = 1;
    } else {
        count = before;
        m_f.m_implicitOverflow = overflowBefore;
    }
}
