// What lies under a point of the graph: curves, intersections and stored points, and the hover
// tip that describes it.

#include "graph/KTGraph3.h"

#include "engine/KTCurveRefiner.h"
#include "engine/KTFunction3.h"
#include "foundation/KTUtilities.h"
#include "graph/KTDerivativeCalculation.h"
#include "graph/KTIntegralCalculation.h"
#include "axes/KTOptionPOI.h"
#include "graph/KTTipContent.h"

#include <algorithm>
#include <cstdint>

namespace {

/// Slots that hit tests look at: the user's and the first frame inequality.
constexpr int kHitSlots = KTGraphData3::FirstFrameSlot + 1;
constexpr int kTipHalfSize = 150;
constexpr COLORREF kToolTipBackground = RGB(255, 255, 200);
constexpr double kLightenFactor = 0.9;

/// Squared distance between two device points; a coordinate without a pixel is far away.
std::int64_t Distance2(const CPoint& a, int x, int y)
{
    if (a.x == KTNoPixel || a.y == KTNoPixel)
        return INT64_MAX;
    const std::int64_t dx = static_cast<std::int64_t>(a.x) - x;
    const std::int64_t dy = static_cast<std::int64_t>(a.y) - y;
    return dx * dx + dy * dy;
}

COLORREF PenColour(const KTFunction3& function)
{
    return function.Data().m_options.m_pen.m_value.m_color;
}

} // namespace

int KTGraph3::HitTestFunction(int x, int y)
{
    for (int slot = 0; slot < kHitSlots; ++slot) {
        KTFunction3* function = m_data.FindFunction(slot);
        if (function && SlotValid(slot) && KTCurveRefiner(*function).PointAtPixel(x, y))
            return slot;
    }
    return -1;
}

bool KTGraph3::FindMarkersNear(int x, int y)
{
    m_nearMarkers.Clear();
    for (int slot = 0; slot < kHitSlots; ++slot) {
        KTFunction3* function = m_data.FindFunction(slot);
        if (function && SlotValid(slot))
            function->FindMarkersNear(x, y, m_nearMarkers, slot);
    }
    return m_nearMarkers.m_count > 0;
}

int KTGraph3::HitTestMarker(int x, int y)
{
    const int count = std::clamp<int>(m_intersections->m_count, 0, KTMarkerList::Capacity);
    for (int k = 0; k < count; ++k) {
        const CPoint d =
            m_axes.GraphToDevice(m_intersections->m_markers[static_cast<std::size_t>(k)].m_point, 0, 0);
        if (Distance2(d, x, y) < MarkerHitDistance2)
            return k;
    }
    return -1;
}

KTMarker KTGraph3::FindMarker(int slot, int identifier, int secondSlot) const
{
    KTMarker found;
    found.Init();
    found.m_kind = static_cast<KTMarkerKind>(-1);
    if (secondSlot != -1) {
        const int count = std::clamp<int>(m_intersections->m_count, 0, KTMarkerList::Capacity);
        for (int k = 0; k < count; ++k) {
            const KTMarker& m = m_intersections->m_markers[static_cast<std::size_t>(k)];
            if (m.m_tag == slot && m.m_position == identifier && m.m_secondId == secondSlot)
                found = m;
        }
        return found;
    }
    if (slot < 0 || slot >= KTGraphData3::UserFunctionCount)
        return found;
    const KTMarkerList& stored = m_data.Function(slot).m_markers;
    const int count = std::clamp<int>(stored.m_count, 0, KTMarkerList::Capacity);
    for (int k = 0; k < count; ++k) {
        const KTMarker& m = stored.m_markers[static_cast<std::size_t>(k)];
        if (m.m_position == identifier && m.m_secondId == -1)
            found = m;
    }
    return found;
}

int KTGraph3::BuildTips(int x, int y, KTTipContent& tips)
{
    const int marker = HitTestMarker(x, y);
    const int slot = HitTestFunction(x, y);
    const KTOptionGraph3& options = m_data.m_options;

    KTTipInfo tip;
    const auto start = [&]() {
        tips.Clear();
        tip = KTTipInfo();
        tip.SetHotRect(x - kTipHalfSize, y - kTipHalfSize, x + kTipHalfSize, y + kTipHalfSize);
        tips.m_spot.m_rect = tip.GetHotRect();
    };
    const auto finish = [&](COLORREF background, int item) {
        tips.m_background = background;
        tips.m_item = item;
        tips.m_tips.Add(tip);
    };

    if (marker >= 0) {
        start();
        const KTMarker& m = m_intersections->m_markers[static_cast<std::size_t>(marker)];
        tip.AddText(options.m_poi.LabelForKind(m));
        tip.AddText(m.LabelText(options.m_poi));
        tips.m_markerPoint = m_axes.GraphToDevice(m.m_point, 0, 0);
        tips.m_marker = m;
        tips.m_spot.m_point = m.m_point;
        finish(kToolTipBackground, KTTipContent::ItemNone);
        return TipIntersectionBase + marker;
    }
    if (FindMarkersNear(x, y)) {
        start();
        const KTMarker& m = m_nearMarkers.m_markers[0];
        tip.AddText(options.m_poi.LabelForKind(m));
        tip.AddText(m.LabelText(options.m_poi));
        const int owner = m.m_tag;
        const KTFunction3* function = m_data.FindFunction(owner);
        tips.m_markerFlag = 1;
        tips.m_markerPoint = m_axes.GraphToDevice(m.m_point, 0, 0);
        tips.m_marker = m;
        tips.m_spot.m_point = m.m_point;
        finish(function ? LightenColor(PenColour(*function), kLightenFactor) : kToolTipBackground, owner);
        return owner * 100 + m.m_position;
    }
    if (slot >= 0) {
        start();
        KTFunction3& function = m_data.Function(slot);
        if (function.m_nearFirstDerivative)
            tip.AddText(options.m_msgDeriv1.m_value);
        if (function.m_nearSecondDerivative)
            tip.AddText(options.m_msgDeriv2.m_value);
        tip.AddMarkedText(function.EquationForBranch(options.m_msgPositiveArm.m_value,
                                                     options.m_msgNegativeArm.m_value, true,
                                                     options.m_replacePlusMinusOnDisplay.m_value != 0));
        tips.m_spot.m_point = m_axes.DeviceToGraph(CPoint(x, y), 0);
        finish(LightenColor(PenColour(function), kLightenFactor), slot);
        return slot;
    }
    KTIntegralList& integrals = m_data.m_integrals;
    if (const int index = KTIntegralCalculation::HitTest(integrals, x, y); index >= 0) {
        start();
        integrals.m_selectedIndex = index;
        tip.AddMarkedText(integrals.SelectedLabel());
        if (integrals.SelectedShowsArea())
            tip.AddMarkedText(integrals.SelectedAreaLabel());
        tips.m_spot.m_point = m_axes.DeviceToGraph(CPoint(x, y), 0);
        tips.m_listIndex = index;
        finish(kToolTipBackground, KTTipContent::ItemIntegral);
        return TipIntegral;
    }
    KTDerivativeList& tangents = m_data.m_derivatives;
    if (const int index = KTDerivativeCalculation::HitTest(tangents, x, y); index >= 0) {
        start();
        tangents.m_selectedIndex = index;
        tip.AddMarkedText(tangents.SelectedLabel());
        tip.AddText("  ");
        tip.AddMarkedText(tangents.SelectedLineText());
        tips.m_spot.m_point = m_axes.DeviceToGraph(CPoint(x, y), 0);
        tips.m_listIndex = index;
        finish(kToolTipBackground, KTTipContent::ItemTangent);
        return TipTangent;
    }
    tips.Clear();
    return -1;
}
