// Feasible regions of the user's inequalities: which points satisfy them, the dot fields that
// show each inequality's region or the common one, and the solid outline of the common region
// traced along the curves from crossing to crossing.

#include "graph/KTGraph3.h"

#include "engine/KTFunction3.h"
#include "engine/KTInterpretStatus.h"
#include "foundation/KTSentinelValues.h"
#include "axes/KTUndefined.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kBoundaryTolerance = 0.0001;
/// Grid columns or rows of a dot field never exceed this, whatever the ranges say.
constexpr int kMaximumGridSteps = 1000;

/// Grid offsets (in steps) of the k-th inequality's dots, so that several interleave.
struct DotOffset
{
    double fx;
    double fy;
};

DotOffset OffsetFor(int k, int inequalities)
{
    static constexpr DotOffset kTwo[] = {{0, 0}, {0.5, 0.5}};
    static constexpr DotOffset kThree[] = {{0, 0}, {0, 0.5}, {0.5, 0.5}};
    static constexpr DotOffset kMany[] = {{0, 0},       {0.5, 0.5},  {0.5, 0},    {0, 0.5},    {0.25, 0.25},
                                          {0.75, 0.75}, {0.25, 0.5}, {0.5, 0.25}, {0.75, 0.5}, {0.5, 0.75}};
    if (inequalities == 2 && k < 2)
        return kTwo[k];
    if (inequalities == 3 && k < 3)
        return kThree[k];
    if (inequalities >= 4 && k < inequalities && k < 10)
        return kMany[k];
    return {0, 0};
}

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

void KTSlotIntersections::Sort()
{
    const int count = std::clamp<int>(m_count, 0, Capacity);
    for (int k = 0; k < count; ++k)
        if (m_markers[static_cast<std::size_t>(k)].m_equation)
            m_markers[static_cast<std::size_t>(k)].m_pointIndex = KTSlotIntersection::EquationIndex;
    std::stable_sort(m_markers.begin(), m_markers.begin() + count,
                     [](const KTSlotIntersection& a, const KTSlotIntersection& b) {
                         return a.m_pointIndex < b.m_pointIndex;
                     });
}

void KTGraph3::ClearRegions()
{
    for (KTRegionList& region : m_regions)
        region.Clear();
    m_regionCount = 0;
}

// ---- Which points satisfy ---------------------------------------------------------------------------

bool KTGraph3::PointSatisfies(KTFunction3& function, const KTPoint& point)
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
    // Strict and non-strict signs alike: the boundary belongs to the region.
    return std::fabs(left - right) <= kBoundaryTolerance;
}

bool KTGraph3::PointIsFeasible(const KTPoint& point)
{
    for (int slot = 0; slot < KTGraphData3::SlotCount; ++slot) {
        if (!SlotValid(slot) || SlotIsEquation(slot))
            continue;
        if (!PointSatisfies(m_data.Function(slot), point))
            return false;
    }
    return true;
}

// ---- Dot fields -------------------------------------------------------------------------------------

namespace {

/// The square grid of dot fields: its step and the view it covers.
struct DotGrid
{
    double step = 0.0;
    double xMin = 0.0, xMax = 0.0, yMin = 0.0, yMax = 0.0;

    bool Usable() const
    {
        return std::isfinite(step) && step > 0.0 && std::isfinite(xMin + xMax + yMin + yMax);
    }

    template <typename Visit> void ForEach(double fx, double fy, Visit&& visit) const
    {
        if (!Usable())
            return;
        int columns = 0;
        for (double x = xMin + fx * step; x < xMax && columns < kMaximumGridSteps;
             x = xMin + (fx + ++columns) * step) {
            int rows = 0;
            for (double y = yMin + fy * step; y < yMax && rows < kMaximumGridSteps;
                 y = yMin + (fy + ++rows) * step)
                visit(KTPoint(x, y));
        }
    }
};

} // namespace

static DotGrid MakeGrid(KTOptionInt& divisions, const KTAxes& axes)
{
    DotGrid grid;
    grid.xMin = axes.m_xAxis.m_min;
    grid.xMax = axes.m_xAxis.m_max;
    grid.yMin = axes.m_yAxis.m_min;
    grid.yMax = axes.m_yAxis.m_max;
    const double n = divisions.GetValue();
    grid.step = std::max((grid.xMax - grid.xMin) / n, (grid.yMax - grid.yMin) / n);
    return grid;
}

void KTGraph3::BuildFeasibleDots()
{
    ClearRegions();
    m_regionPolygon = 0;
    const DotGrid grid = MakeGrid(m_data.m_options.m_frDivisions, m_axes);
    KTRegionList& region = m_regions[0];
    region.m_owner = -1;
    grid.ForEach(0.0, 0.0, [&](const KTPoint& p) {
        if (PointIsFeasible(p))
            region.m_points.push_back(p);
    });
    m_regionCount = 1;
}

void KTGraph3::BuildInequalityDots(bool agreement)
{
    ClearRegions();
    m_regionPolygon = 0;
    const DotGrid grid = MakeGrid(m_data.m_options.m_frDivisions, m_axes);
    const int inequalities = CountInequalities();
    int k = 0;
    for (int slot = 0; slot < KTGraphData3::UserFunctionCount && k < RegionListCount; ++slot) {
        if (!SlotValid(slot))
            continue;
        KTRegionList& region = m_regions[static_cast<std::size_t>(k)];
        region.m_owner = slot;
        KTFunction3& function = m_data.Function(slot);
        const std::int32_t relation = function.Data().m_relation;
        if (relation >= 43 && relation <= 46) {
            const DotOffset offset = OffsetFor(k, inequalities);
            grid.ForEach(offset.fx, offset.fy, [&](const KTPoint& p) {
                if (PointSatisfies(function, p) == agreement)
                    region.m_points.push_back(p);
            });
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
    return !KTIsUndefined(p.m_x) && !KTIsUndefined(p.m_y) && PointIsFeasible(p);
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
        int next = -1;
        if (usable(m + 1) && CurvePointFeasible(s, current.m_pointIndex + 1))
            next = m + 1;
        else if (usable(m - 1) && CurvePointFeasible(s, current.m_pointIndex))
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
    for (KTSlotIntersections& list : m_slotIntersections)
        list.Sort();

    int startSlot = -1;
    int startMarker = -1;
    for (int slot = 0; slot < KTGraphData3::SlotCount; ++slot) {
        KTSlotIntersections& list = m_slotIntersections[static_cast<std::size_t>(slot)];
        for (int k = 0; k < list.m_count; ++k) {
            KTSlotIntersection& marker = list.m_markers[static_cast<std::size_t>(k)];
            const bool feasible = !SlotIsEquation(slot) && !SlotIsEquation(marker.m_otherSlot) &&
                                  PointIsFeasible(marker.m_point);
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
