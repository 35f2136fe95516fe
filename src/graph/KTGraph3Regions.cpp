// Feasible regions of the user's inequalities: which points satisfy them, the hatching that
// shows each inequality's region or the common one, and the solid outline of the common region
// traced along the curves from crossing to crossing.

#include "graph/KTGraph3.h"

#include "engine/KTFunction3.h"
#include "engine/KTInterpretStatus.h"
#include "foundation/KTSentinelValues.h"
#include "foundation/RoundHalfUp.h"
#include "axes/KTUndefined.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kBoundaryTolerance = 0.0001;
/// Share of the view's range within which a point is on the boundary of a frame inequality, or
/// of any inequality for the outline.
constexpr double kExactTolerance = 1e-9;

/// Value of the function's list at (x, y), whatever a domain on the dependent variable holds it
/// to (the region applies that bound itself); the current list is restored afterwards.
double ValueOfList(KTFunction3& function, int list, double x, double y)
{
    KTFunctionData3& data = function.Data();
    const int previous = data.CurrentListIndex();
    data.SelectList(list);
    const double value = function.EvaluateListValue(x, y);
    data.SelectList(previous);
    return value;
}

} // namespace

void KTSlotIntersections::Sort(const KTPoint* curve, int curveCount)
{
    const int count = std::clamp<int>(m_count, 0, Capacity);
    for (int k = 0; k < count; ++k)
        if (m_markers[static_cast<std::size_t>(k)].m_equation)
            m_markers[static_cast<std::size_t>(k)].m_pointIndex = KTSlotIntersection::EquationIndex;
    // How far along its segment a crossing lies: 0 without the curve.
    const auto along = [&](const KTSlotIntersection& m) {
        const int i = m.m_pointIndex;
        if (!curve || i < 0 || i + 1 >= curveCount)
            return 0.0;
        const KTPoint& a = curve[i];
        const KTPoint& b = curve[i + 1];
        const double t = (m.m_point.m_x - a.m_x) * (b.m_x - a.m_x) + (m.m_point.m_y - a.m_y) * (b.m_y - a.m_y);
        return std::isfinite(t) ? t : 0.0;
    };
    std::stable_sort(m_markers.begin(), m_markers.begin() + count,
                     [&](const KTSlotIntersection& a, const KTSlotIntersection& b) {
                         if (a.m_pointIndex != b.m_pointIndex)
                             return a.m_pointIndex < b.m_pointIndex;
                         return along(a) < along(b);
                     });
}

void KTGraph3::ClearRegions()
{
    for (KTRegionList& region : m_regions)
        region.Clear();
    m_regionCount = 0;
}

// ---- Which points satisfy ---------------------------------------------------------------------------

bool KTGraph3::PointSatisfies(KTFunction3& function, const KTPoint& point, bool exact)
{
    const std::int32_t relation = function.Data().m_relation;
    if (relation < 43 || relation > 46)
        return false;
    const KTEquationPartList& parts = function.Parts();
    double left = KTUndefinedValue;
    double right = KTUndefinedValue;
    if (function.Status() == KTStatusImplicit) {
        // The two sides of the relation are the two lists.
        left = ValueOfList(function, KTFunctionData3::FirstBranchList, point.m_x, point.m_y);
        right = ValueOfList(function, KTFunctionData3::SecondBranchList, point.m_x, point.m_y);
    } else if (parts.m_polar) {
        const double radius = std::sqrt(point.m_x * point.m_x + point.m_y * point.m_y);
        // The negative x axis is the angle -pi, whatever the sign of a zero y.
        const double radians =
            point.m_y == 0.0 && point.m_x < 0.0 ? -std::numbers::pi : std::atan2(point.m_y, point.m_x);
        const double angle = radians * m_axes.AngleFactor();
        const bool angleOfRadius = parts.m_inverse != 0;
        left = angleOfRadius ? angle : radius;
        right = ValueOfList(function, KTFunctionData3::FirstBranchList, angleOfRadius ? radius : angle,
                            KTNoSecondValue);
    } else if (parts.m_inverse) {
        left = point.m_x;
        right = ValueOfList(function, KTFunctionData3::FirstBranchList, point.m_y, KTNoSecondValue);
    } else {
        left = point.m_y;
        right = ValueOfList(function, KTFunctionData3::FirstBranchList, point.m_x, KTNoSecondValue);
    }
    if (KTIsUndefined(left) || KTIsUndefined(right))
        return false;
    // A domain on the dependent variable bounds the region as it bounds the curve: "y > x^2; y < 4"
    // lies above the parabola and below 4, and "y < x^2; y < 4" also where the parabola is above 4.
    const KTFunctionDomain& bound = function.Data().m_valueDomain;
    if (bound.m_variable != KTFunctionDomain::VariableNone &&
        !bound.Holds(function.Status() == KTStatusImplicit ? point.m_y : left))
        return false;
    const bool greater = relation == 43 || relation == 44;
    if (greater ? right <= left : right >= left)
        return true;
    // Strict and non-strict signs alike: the boundary belongs to the region. The frame lies a
    // millionth of the range inside the view: its own tolerance is far smaller than that.
    double tolerance = exact ? std::max(std::fabs(m_axes.m_xAxis.m_max - m_axes.m_xAxis.m_min),
                                            std::fabs(m_axes.m_yAxis.m_max - m_axes.m_yAxis.m_min)) *
                                       kExactTolerance
                                 : kBoundaryTolerance;
    for (int k = 0; k < 4; ++k)
        if (&function == &m_data.Function(KTGraphData3::FirstFrameSlot + k)) {
            const KTAxis& axis = k < 2 ? m_axes.m_xAxis : m_axes.m_yAxis;
            tolerance = std::fabs(axis.m_max - axis.m_min) * kExactTolerance;
        }
    return std::fabs(left - right) <= tolerance;
}

bool KTGraph3::PointIsFeasible(const KTPoint& point, bool exact)
{
    for (int slot = 0; slot < KTGraphData3::SlotCount; ++slot) {
        if (!SlotValid(slot) || SlotIsEquation(slot))
            continue;
        if (!PointSatisfies(m_data.Function(slot), point, exact))
            return false;
    }
    return true;
}

// ---- Hatching ---------------------------------------------------------------------------------------

namespace {

/// Halvings that put a run's end on the boundary between two rows: far below a pixel.
constexpr int kBoundaryHalvings = 30;
/// Hatch lines or rows never exceed this, whatever the device's resolution.
constexpr int kMaximumLattice = 20000;

/// Vertical hatch lines across the plot at a fixed pitch in logical units, each sampled in rows
/// of the same pitch and cut where the region begins and ends, so that the lines' ends lie on
/// the region's boundary and on the view's edges.
class HatchLattice
{
public:
    HatchLattice(KTAxes& axes, double pitch) : m_axes(axes), m_pitch(pitch)
    {
        const CRect plot = axes.PlotRect();
        m_left = plot.left;
        m_right = plot.right;
        if (!(std::isfinite(pitch) && pitch > 0.0) || plot.Width() <= 0 || plot.Height() <= 0)
            return;
        const KTAxis& y = axes.m_yAxis;
        const int rows = std::clamp(static_cast<int>(std::ceil(plot.Height() / pitch)), 1, kMaximumLattice);
        m_rows.reserve(static_cast<std::size_t>(rows) + 1);
        // The ends are the range's own values; the rows between follow the axis's mapping.
        m_rows.push_back(y.m_min);
        for (int k = 1; k < rows; ++k)
            m_rows.push_back(y.PixelToValue(RoundHalfUp(y.PixelLow() + (y.PixelHigh() - y.PixelLow()) *
                                                                          static_cast<double>(k) / rows)));
        m_rows.push_back(y.m_max);
        std::sort(m_rows.begin(), m_rows.end());
        m_rows.erase(std::remove_if(m_rows.begin(), m_rows.end(), [](double v) { return !std::isfinite(v); }),
                     m_rows.end());
    }

    /// The runs of one region on the lines at the offset (a share of the pitch) as point pairs,
    /// lower end first.
    template <typename Inside> void Runs(double offset, Inside&& inside, std::vector<KTPoint>& out) const
    {
        if (m_rows.size() < 2)
            return;
        int lines = 0;
        for (double at = m_left + offset * m_pitch; at <= m_right && lines < kMaximumLattice;
             at = m_left + (offset + ++lines) * m_pitch) {
            const double x = m_axes.m_xAxis.PixelToValue(RoundHalfUp(at));
            if (std::isfinite(x))
                Column(x, inside, out);
        }
    }

private:
    template <typename Inside> void Column(double x, Inside& inside, std::vector<KTPoint>& out) const
    {
        const auto boundary = [&](double in, double off) {
            for (int k = 0; k < kBoundaryHalvings; ++k) {
                const double middle = 0.5 * (in + off);
                (inside(KTPoint(x, middle)) ? in : off) = middle;
            }
            return in;
        };
        double previousY = m_rows.front();
        bool previous = inside(KTPoint(x, previousY));
        double runStart = previousY;
        for (std::size_t k = 1; k < m_rows.size(); ++k) {
            const double y = m_rows[k];
            const bool now = inside(KTPoint(x, y));
            if (now && !previous)
                runStart = boundary(y, previousY);
            else if (!now && previous) {
                out.emplace_back(x, runStart);
                out.emplace_back(x, boundary(previousY, y));
            }
            previous = now;
            previousY = y;
        }
        if (previous) {
            out.emplace_back(x, runStart);
            out.emplace_back(x, previousY);
        }
    }

    KTAxes& m_axes;
    double m_pitch = 0.0;
    double m_left = 0.0;
    double m_right = 0.0;
    std::vector<double> m_rows;
};

} // namespace

double KTGraph3::HatchPitch()
{
    const double density = m_data.m_options.m_frDivisions.GetValue();
    return HatchPitchMillimetres * HatchReferenceDensity / density * m_unitsPerMillimetre;
}

void KTGraph3::BuildFeasibleDots()
{
    ClearRegions();
    m_regionPolygon = 0;
    KTRegionList& region = m_regions[0];
    region.m_owner = -1;
    HatchLattice(m_axes, HatchPitch()).Runs(0.0, [&](const KTPoint& p) { return PointIsFeasible(p, true); },
                                            region.m_points);
    m_regionCount = 1;
}

void KTGraph3::BuildInequalityDots(bool agreement)
{
    ClearRegions();
    m_regionPolygon = 0;
    const HatchLattice lattice(m_axes, HatchPitch());
    const int inequalities = CountInequalities();
    int k = 0;
    int shown = 0;
    for (int slot = 0; slot < KTGraphData3::UserFunctionCount && k < RegionListCount; ++slot) {
        if (!SlotValid(slot))
            continue;
        KTRegionList& region = m_regions[static_cast<std::size_t>(k)];
        region.m_owner = slot;
        KTFunction3& function = m_data.Function(slot);
        const std::int32_t relation = function.Data().m_relation;
        if (relation >= 43 && relation <= 46) {
            // Each inequality's lines lie between the others', so that all of them show.
            const double offset = static_cast<double>(shown++) / std::max(1, inequalities);
            lattice.Runs(offset, [&](const KTPoint& p) { return PointSatisfies(function, p, true) == agreement; },
                         region.m_points);
        }
        ++k;
    }
    m_regionCount = k;
}

// ---- The solid outline ----------------------------------------------------------------------------

bool KTGraph3::CurvePointFeasible(int slot, int pointIndex)
{
    const KTCurvePointBuffer* buffer = m_data.Function(slot).m_buffer1.get();
    if (!buffer || pointIndex < 0 || pointIndex >= std::min<int>(buffer->m_count, buffer->Size()))
        return false;
    const KTPoint& p = buffer->m_points[static_cast<std::size_t>(pointIndex)].m_point;
    return !KTIsUndefined(p.m_x) && !KTIsUndefined(p.m_y) && PointIsFeasible(p, true);
}

int KTGraph3::TwinOf(int slot, int marker) const
{
    const KTSlotIntersections& list = m_slotIntersections[static_cast<std::size_t>(slot)];
    const KTSlotIntersection& m = list.m_markers[static_cast<std::size_t>(marker)];
    if (m.m_otherSlot < 0 || m.m_otherSlot >= KTGraphData3::SlotCount)
        return -1;
    const KTSlotIntersections& other = m_slotIntersections[static_cast<std::size_t>(m.m_otherSlot)];
    for (int k = 0; k < other.m_count; ++k)
        if (other.m_markers[static_cast<std::size_t>(k)].m_identifier == m.m_identifier)
            return k;
    return -1;
}

bool KTGraph3::TraceOutline(int startSlot, int startMarker, bool& validStart)
{
    KTRegionList& outline = m_regions[static_cast<std::size_t>(m_regionCount)];
    outline.Clear();
    const int startId = m_slotIntersections[static_cast<std::size_t>(startSlot)]
                            .m_markers[static_cast<std::size_t>(startMarker)]
                            .m_identifier;
    validStart = validStart || startId >= 0;

    // Every step closes the marker it stands on, so a closed outline takes at most one step per
    // marker; more means the crossings do not form one.
    int steps = 0;
    for (const KTSlotIntersections& list : m_slotIntersections)
        steps += list.m_count;
    steps += 2;

    int s = startSlot;
    int m = startMarker;
    while (steps-- > 0) {
        KTSlotIntersections& list = m_slotIntersections[static_cast<std::size_t>(s)];
        KTSlotIntersection& current = list.m_markers[static_cast<std::size_t>(m)];
        outline.m_points.push_back(current.m_point);

        const auto usable = [&](int k) {
            const KTSlotIntersection* n = list.At(k);
            return n && (n->m_open || n->m_identifier == startId);
        };
        // The way on is feasible just past the marker: at the curve's next point, or halfway to
        // the neighbour when both crossings lie on one segment (near a corner of the view).
        const auto wayFeasible = [&](int k, int curvePoint) {
            const KTSlotIntersection& n = list.m_markers[static_cast<std::size_t>(k)];
            if (n.m_pointIndex == current.m_pointIndex)
                return PointIsFeasible(KTPoint(0.5 * (current.m_point.m_x + n.m_point.m_x),
                                               0.5 * (current.m_point.m_y + n.m_point.m_y)),
                                       true);
            return CurvePointFeasible(s, curvePoint);
        };
        int next = -1;
        if (usable(m + 1) && wayFeasible(m + 1, current.m_pointIndex + 1))
            next = m + 1;
        else if (usable(m - 1) && wayFeasible(m - 1, current.m_pointIndex))
            next = m - 1;
        if (next < 0)
            return false;

        current.m_open = 0;
        const int twin = TwinOf(s, m);
        if (twin >= 0)
            m_slotIntersections[static_cast<std::size_t>(current.m_otherSlot)]
                .m_markers[static_cast<std::size_t>(twin)]
                .m_open = 0;

        const KTSlotIntersection& neighbour = list.m_markers[static_cast<std::size_t>(next)];
        if (s < KTGraphData3::UserFunctionCount) {
            const KTCurvePointBuffer& buffer = *m_data.Function(s).m_buffer1;
            const int count = std::min<int>(buffer.m_count, buffer.Size());
            const auto append = [&](int k) {
                if (k < 0 || k >= count)
                    return;
                const KTCurvePoint& p = buffer.m_points[static_cast<std::size_t>(k)];
                if (p.m_draw && !KTIsUndefined(p.m_point.m_x) && !KTIsUndefined(p.m_point.m_y))
                    outline.m_points.push_back(p.m_point);
            };
            if (next > m)
                for (int k = current.m_pointIndex + 1; k <= neighbour.m_pointIndex; ++k)
                    append(k);
            else
                for (int k = current.m_pointIndex; k > neighbour.m_pointIndex; --k)
                    append(k);
        }

        if (neighbour.m_identifier == startId)
            return true;
        const int neighbourTwin = TwinOf(s, next);
        if (neighbourTwin < 0)
            return false;
        s = neighbour.m_otherSlot;
        m = neighbourTwin;
    }
    return false;
}

bool KTGraph3::BuildRegionPolygon()
{
    m_regionPolygon = 1;
    std::vector<KTPoint> curve;
    for (int slot = 0; slot < KTGraphData3::SlotCount; ++slot) {
        curve.clear();
        if (const KTCurvePointBuffer* buffer = m_data.Function(slot).m_currentBuffer) {
            const int count = std::clamp<int>(buffer->m_count, 0, buffer->Size());
            for (int k = 0; k < count; ++k)
                curve.push_back(buffer->m_points[static_cast<std::size_t>(k)].m_point);
        }
        m_slotIntersections[static_cast<std::size_t>(slot)].Sort(curve.data(), static_cast<int>(curve.size()));
    }

    int startSlot = -1;
    int startMarker = -1;
    for (int slot = 0; slot < KTGraphData3::SlotCount; ++slot) {
        KTSlotIntersections& list = m_slotIntersections[static_cast<std::size_t>(slot)];
        for (int k = 0; k < list.m_count; ++k) {
            KTSlotIntersection& marker = list.m_markers[static_cast<std::size_t>(k)];
            const bool feasible = !SlotIsEquation(slot) && !SlotIsEquation(marker.m_otherSlot) &&
                                  PointIsFeasible(marker.m_point, true);
            marker.m_feasible = marker.m_open = feasible ? 1 : 0;
            if (feasible) {
                startSlot = slot;
                startMarker = k;
            }
        }
    }
    ClearRegions();
    if (startSlot < 0)
        return false;

    bool validStart = false;
    while (true) {
        if (!TraceOutline(startSlot, startMarker, validStart))
            return false;
        ++m_regionCount;
        startSlot = -1;
        for (int slot = 0; slot < KTGraphData3::SlotCount; ++slot) {
            const KTSlotIntersections& list = m_slotIntersections[static_cast<std::size_t>(slot)];
            for (int k = 0; k < list.m_count; ++k) {
                if (list.m_markers[static_cast<std::size_t>(k)].m_open) {
                    startSlot = slot;
                    startMarker = k;
                }
            }
        }
        if (startSlot < 0)
            return validStart;
        // Only ten outlines can be kept: a region of more pieces is shown as dots.
        if (m_regionCount >= RegionListCount)
            return false;
    }
}
