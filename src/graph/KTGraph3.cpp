// Construction, layout, drawing and the small commands of the graph. Recalculation, the
// feasible regions and the hit tests live in files of their own.

#include "graph/KTGraph3.h"

#include "engine/KTFunction3.h"
#include "foundation/KTBrushSelector.h"
#include "foundation/KTLogBrush.h"
#include "foundation/KTLogPen.h"
#include "foundation/KTPenSelector.h"
#include "graph/KTDerivativeCalculation.h"
#include "graph/KTIntegralCalculation.h"
#include "platform/KTArchive.h"
#include "platform/KTDC.h"

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <vector>

namespace {

const KTRegisterRuntimeClass<KTGraph3> registration("KTGraph3", 0);

constexpr int kDefaultLeft = 0;
constexpr int kDefaultTop = 0;
constexpr int kDefaultRight = 13450;
constexpr int kDefaultBottom = -11000;

/// Program pen styles of the region drawing: no outline, and a solid 0.25 mm line.
constexpr std::int32_t kNullPenStyle = 5;
constexpr std::int32_t kDotPenStyle = 6;
constexpr double kDotPenWidth = 25.0;

/// Index of a family constant's range by its name; -1 for any other name.
int ConstantIndex(const CString& name)
{
    static const char* const kNames[] = {"a", "b", "c", "d", "m"};
    for (int i = 0; i < 5; ++i)
        if (name == kNames[i])
            return i;
    return -1;
}

} // namespace

KTGraph3::KTGraph3() : m_intersections(std::make_unique<KTMarkerList>())
{
    for (int slot = 0; slot < KTGraphData3::SlotCount; ++slot)
        m_data.Function(slot).Reset(&m_axes);
    SetArea(kDefaultLeft, kDefaultTop, kDefaultRight, kDefaultBottom);
    m_data.Reset(&m_axes, nullptr);
}

KTGraph3::~KTGraph3() = default;

void KTGraph3::Reset(const KTOptionGraph3* options)
{
    SetArea(kDefaultLeft, kDefaultTop, kDefaultRight, kDefaultBottom);
    m_data.Reset(&m_axes, options);
}

void KTGraph3::SetArea(int left, int top, int right, int bottom)
{
    m_left = left;
    m_top = top;
    m_right = right;
    m_bottom = bottom;
}

void KTGraph3::Serialize(KTArchive& ar)
{
    m_data.Serialize(ar);
    if (ar.IsLoading()) {
        m_data.m_derivatives.SetGraph(&m_axes);
        m_data.m_integrals.SetGraph(&m_axes);
    }
}

const KTSlotIntersections& KTGraph3::SlotIntersections(int slot) const
{
    return m_slotIntersections.at(static_cast<std::size_t>(std::clamp(slot, 0, KTGraphData3::SlotCount - 1)));
}

const KTRegionList& KTGraph3::Region(int index) const
{
    return m_regions.at(static_cast<std::size_t>(std::clamp(index, 0, RegionListCount - 1)));
}

KTFunction3* KTGraph3::UserFunction(int slot)
{
    return slot >= 0 && slot < KTGraphData3::UserFunctionCount ? m_data.FindFunction(slot) : nullptr;
}

// ---- Layout and drawing ---------------------------------------------------------------------

int KTGraph3::Layout(KTDC& dc)
{
    // The hatching keeps its pitch on the device whatever the ranges: it needs the units.
    switch (dc.GetMapMode()) {
    case MM_TEXT:
        m_unitsPerMillimetre = std::max(1, dc.GetDeviceCaps(LOGPIXELSX)) / 25.4;
        break;
    case MM_LOMETRIC:
        m_unitsPerMillimetre = 10.0;
        break;
    default:
        m_unitsPerMillimetre = 100.0;
        break;
    }
    if (!m_data.m_options.m_autoScale.m_value)
        return m_axes.Layout(m_left, m_top, m_right, m_bottom, 0.0, 0.0, 0.0, 0.0, m_data.m_options.m_axes,
                             dc);
    // Fitting to the data always lets the scale grow to take the extents in, whatever the
    // user's own setting, which stays as it was.
    KTOptionAxes2& options = m_data.m_options.m_axes;
    const BYTE adjust = options.m_adjustScaleToIncludeData.m_value;
    options.m_adjustScaleToIncludeData.m_value = 1;
    const KTDataExtents& e = m_data.m_extents;
    const int result = m_axes.Layout(m_left, m_top, m_right, m_bottom, e.m_left, e.m_right, e.m_bottom,
                                     e.m_top, options, dc);
    options.m_adjustScaleToIncludeData.m_value = adjust;
    return result;
}

void KTGraph3::Draw(KTDC& dc, const KTVariableSubstitutions* substitutions)
{
    (void)substitutions; // the integrals and tangents were calculated with them
    try {
        DrawRegions(dc);
        KTIntegralCalculation::DrawAll(m_data.m_integrals, dc);
        KTDerivativeCalculation::DrawAll(m_data.m_derivatives, dc);
        m_axes.Draw(dc);
        DrawFunctions(dc);
    } catch (const std::exception&) {
        // A paint must not throw: what could not be drawn stays undrawn until the next one.
    }
}

void KTGraph3::DrawFunctions(KTDC& dc)
{
    for (int slot = 0; slot < KTGraphData3::UserFunctionCount; ++slot) {
        KTFunction3& function = m_data.Function(slot);
        KTFunctionData3& data = function.Data();
        const BYTE shown = data.m_showFirstDerivative;
        if (m_data.m_showFlagOverride)
            data.m_showFirstDerivative = 1;
        if (m_data.m_family)
            function.DrawFamily(dc);
        else
            function.Draw(dc);
        data.m_showFirstDerivative = shown;
    }
}

void KTGraph3::DrawRegions(KTDC& dc)
{
    std::vector<CPoint> devicePoints;
    for (int index = 0; index < m_regionCount && index < RegionListCount; ++index) {
        const KTRegionList& region = m_regions[static_cast<std::size_t>(index)];
        if (region.m_points.empty())
            continue;
        if (m_regionPolygon) {
            // The outline may be longer than any fixed buffer: the device points grow with it.
            devicePoints.clear();
            devicePoints.reserve(region.m_points.size());
            for (const KTPoint& p : region.m_points) {
                const CPoint d = m_axes.GraphToDevice(p, 0, 0);
                if (d.x != KTNoPixel && d.y != KTNoPixel)
                    devicePoints.push_back(d);
            }
            const KTLogBrush brush = m_data.m_options.m_frBrush.m_value;
            KTBrushSelector brushSelector(brush);
            KTPenSelector penSelector(KTLogPen(KTPenKindNumber, kNullPenStyle, brush.m_color, 0.0), 1.0);
            brushSelector.Select(dc);
            penSelector.Select(dc);
            dc.Polygon(devicePoints.data(), static_cast<int>(devicePoints.size()));
            penSelector.Restore(dc);
            brushSelector.Restore(dc);
            continue;
        }
        COLORREF colour = m_data.m_options.m_frPixel.m_value;
        if (KTFunction3* owner = UserFunction(region.m_owner))
            colour = owner->Data().m_options.m_pen.m_value.m_color;
        KTPenSelector penSelector(KTLogPen(KTPenKindNumber, kDotPenStyle, colour, kDotPenWidth), 1.0);
        KTBrushSelector brushSelector(KTLogBrush(KTBrushKindNumber, 1, colour));
        penSelector.Select(dc);
        brushSelector.Select(dc);
        // A hatch line from each pair of points, lower end first.
        for (std::size_t k = 0; k + 1 < region.m_points.size(); k += 2) {
            const CPoint from = m_axes.GraphToDevice(region.m_points[k], 0, 0);
            const CPoint to = m_axes.GraphToDevice(region.m_points[k + 1], 0, 0);
            if (from.x == KTNoPixel || from.y == KTNoPixel || to.x == KTNoPixel || to.y == KTNoPixel)
                continue;
            dc.MoveTo(from);
            dc.LineTo(to);
        }
        brushSelector.Restore(dc);
        penSelector.Restore(dc);
    }
}

// ---- Family constants, integrals and tangents -------------------------------------------------

void KTGraph3::SetConstant(const CString& name, double value)
{
    const int index = ConstantIndex(name);
    if (index < 0)
        return;
    for (int slot = 0; slot < KTGraphData3::UserFunctionCount; ++slot)
        if (KTFunctionConstantRange* range = m_data.Function(slot).Data().m_constants.At(index))
            range->m_current = value;
}

void KTGraph3::SetConstantRange(const CString& name, double from, double to, double step)
{
    const int index = ConstantIndex(name);
    if (index < 0)
        return;
    for (int slot = 0; slot < KTGraphData3::UserFunctionCount; ++slot) {
        if (KTFunctionConstantRange* range = m_data.Function(slot).Data().m_constants.At(index)) {
            range->m_from = from;
            range->m_to = to;
            range->m_step = step;
        }
    }
}

bool KTGraph3::FunctionsUseConstant(int code) const
{
    for (int slot = 0; slot < KTGraphData3::UserFunctionCount; ++slot) {
        const KTFunctionData3& data = m_data.Function(slot).Data();
        BYTE uses = 0;
        switch (code) {
        case 7: uses = data.m_usesA; break;
        case 8: uses = data.m_usesB; break;
        case 9: uses = data.m_usesC; break;
        case 10: uses = data.m_usesD; break;
        case 11: uses = data.m_usesM; break;
        default: return false;
        }
        if (uses)
            return true;
    }
    return false;
}

void KTGraph3::AddIntegral(const KTIntegralFunction& integral, bool keepOthers)
{
    KTIntegralFunction copy = integral;
    if (copy.m_first < 0)
        return;
    if (copy.m_second >= 0)
        copy.m_hasSecond = true;
    m_data.m_integrals.Add(copy, keepOthers);
    SetDirty();
}

int KTGraph3::AddDerivative(const KTDerivativeFunction& tangent, bool force)
{
    if (tangent.m_function <= -1)
        return 0;
    SetDirty();
    return m_data.m_derivatives.Add(tangent, force);
}
