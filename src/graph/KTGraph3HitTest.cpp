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
#include <utility>
#include <vector>

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

/// A point marker under the mouse: an intersection of the graph's list or a stored point of the
/// near-marker list.
struct PointHit
{
    std::int64_t distance2;
    bool intersection;
    int index;
};

/// Asymptotes are lines across the whole graph, hit by one coordinate alone.
bool IsLineMarker(const KTMarker& marker)
{
    return marker.m_kind == KTMarkerVerticalAsymptote || marker.m_kind == KTMarkerHorizontalAsymptote;
}

/// The names of the markers, then their coordinates: one coordinates line for every place
/// where markers lie, so that a vertex that is also an intercept reads as both. The places
/// nearest first, the names of one place in the order of the lists. A place whose lines would
/// not all fit the tip is left out.
void AddMarkerLines(KTTipInfo& tip, const std::vector<std::pair<const KTMarker*, std::int64_t>>& markers,
                    const KTOptionPOI& poi)
{
    struct Place
    {
        CString text;
        std::int64_t distance2;
        std::vector<CString> names;
    };
    std::vector<Place> places;
    for (const auto& [marker, distance2] : markers) {
        const CString text = marker->LabelText(poi);
        auto place =
            std::find_if(places.begin(), places.end(), [&](const Place& p) { return p.text == text; });
        if (place == places.end()) {
            places.push_back({text, distance2, {}});
            place = places.end() - 1;
        }
        place->distance2 = std::min(place->distance2, distance2);
        const CString name = poi.LabelForKind(*marker);
        if (!name.IsEmpty() &&
            std::find(place->names.begin(), place->names.end(), name) == place->names.end())
            place->names.push_back(name);
    }
    std::stable_sort(places.begin(), places.end(),
                     [](const Place& a, const Place& b) { return a.distance2 < b.distance2; });
    for (const Place& place : places) {
        const int lines = static_cast<int>(place.names.size()) + (place.text.IsEmpty() ? 0 : 1);
        if (tip.GetLineCount() + lines > KTTipInfo::MaxLines)
            break;
        for (const CString& name : place.names)
            tip.AddText(name);
        tip.AddText(place.text);
    }
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

int KTGraph3::HitTestHoldsEverywhere(int x, int y)
{
    const CRect plot = m_axes.PlotRect();
    if (x < plot.left || x > plot.right || y < plot.top || y > plot.bottom)
        return -1;
    for (int slot = 0; slot < kHitSlots; ++slot) {
        const KTFunction3* function = m_data.FindFunction(slot);
        if (function && SlotValid(slot) && function->HoldsEverywhereInView())
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
    const int count = std::clamp<int>(m_intersections->m_count, 0, m_intersections->Held());
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
        const int count = std::clamp<int>(m_intersections->m_count, 0, m_intersections->Held());
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
    const int count = std::clamp<int>(stored.m_count, 0, stored.Held());
    for (int k = 0; k < count; ++k) {
        const KTMarker& m = stored.m_markers[static_cast<std::size_t>(k)];
        if (m.m_position == identifier && m.m_secondId == -1)
            found = m;
    }
    return found;
}

int KTGraph3::BuildTips(int x, int y, KTTipContent& tips)
{
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
    // A curve's tip names its equation as the options spell its branches.
    const auto addEquation = [&](const KTFunction3& function) {
        tip.AddMarkedText(function.EquationForBranch(options.m_msgPositiveArm.m_value,
                                                     options.m_msgNegativeArm.m_value, true,
                                                     options.m_replacePlusMinusOnDisplay.m_value != 0));
    };

    // Every point within reach: the intersections, then the stored points in slot order. An
    // asymptote near the mouse waits until no point and no curve is.
    std::vector<PointHit> points;
    const int intersections = std::clamp<int>(m_intersections->m_count, 0, m_intersections->Held());
    for (int k = 0; k < intersections; ++k) {
        const KTMarker& m = m_intersections->m_markers[static_cast<std::size_t>(k)];
        const std::int64_t d2 = Distance2(m_axes.GraphToDevice(m.m_point, 0, 0), x, y);
        if (d2 < MarkerHitDistance2)
            points.push_back({d2, true, k});
    }
    int lineMarker = -1;
    if (FindMarkersNear(x, y)) {
        const int near = std::clamp<int>(m_nearMarkers.m_count, 0, m_nearMarkers.Held());
        for (int k = 0; k < near; ++k) {
            const KTMarker& m = m_nearMarkers.m_markers[static_cast<std::size_t>(k)];
            if (IsLineMarker(m)) {
                if (lineMarker < 0)
                    lineMarker = k;
                continue;
            }
            points.push_back({Distance2(m_axes.GraphToDevice(m.m_point, 0, 0), x, y), false, k});
        }
    }
    const auto markerOf = [&](const PointHit& hit) -> const KTMarker& {
        return hit.intersection ? m_intersections->m_markers[static_cast<std::size_t>(hit.index)]
                                : m_nearMarkers.m_markers[static_cast<std::size_t>(hit.index)];
    };
    // A stored point's tip: the point's owner, its colour and the view's marker overlay.
    const auto finishStoredPoint = [&](const KTMarker& m) {
        const int owner = m.m_tag;
        const KTFunction3* function = m_data.FindFunction(owner);
        tips.m_markerFlag = 1;
        tips.m_markerPoint = m_axes.GraphToDevice(m.m_point, 0, 0);
        tips.m_marker = m;
        tips.m_spot.m_point = m.m_point;
        finish(function ? LightenColor(PenColour(*function), kLightenFactor) : kToolTipBackground, owner);
        return owner * 100 + m.m_position;
    };

    if (!points.empty()) {
        start();
        std::vector<std::pair<const KTMarker*, std::int64_t>> named;
        for (const PointHit& hit : points)
            named.emplace_back(&markerOf(hit), hit.distance2);
        AddMarkerLines(tip, named, options.m_poi);
        // The nearest decides; of equally near ones the first listed, an intersection first.
        const PointHit& nearest =
            *std::min_element(points.begin(), points.end(),
                              [](const PointHit& a, const PointHit& b) { return a.distance2 < b.distance2; });
        const KTMarker& m = markerOf(nearest);
        if (!nearest.intersection)
            return finishStoredPoint(m);
        tips.m_markerPoint = m_axes.GraphToDevice(m.m_point, 0, 0);
        tips.m_marker = m;
        tips.m_spot.m_point = m.m_point;
        finish(kToolTipBackground, KTTipContent::ItemNone);
        return TipIntersectionBase + nearest.index;
    }
    const int slot = HitTestFunction(x, y);
    if (slot >= 0) {
        start();
        KTFunction3& function = m_data.Function(slot);
        if (function.m_nearFirstDerivative)
            tip.AddText(options.m_msgDeriv1.m_value);
        if (function.m_nearSecondDerivative)
            tip.AddText(options.m_msgDeriv2.m_value);
        addEquation(function);
        tips.m_spot.m_point = m_axes.DeviceToGraph(CPoint(x, y), 0);
        finish(LightenColor(PenColour(function), kLightenFactor), slot);
        return slot;
    }
    if (lineMarker >= 0) {
        start();
        const KTMarker& m = m_nearMarkers.m_markers[static_cast<std::size_t>(lineMarker)];
        tip.AddText(options.m_poi.LabelForKind(m));
        tip.AddText(m.LabelText(options.m_poi));
        return finishStoredPoint(m);
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
    // A relation that holds everywhere in view has no curve to hover over: every point of the
    // graph lies on it.
    if (const int slot = HitTestHoldsEverywhere(x, y); slot >= 0) {
        start();
        const KTFunction3& function = m_data.Function(slot);
        addEquation(function);
        tip.AddText(KTFunction3::HoldsEverywhereMessage);
        tips.m_spot.m_point = m_axes.DeviceToGraph(CPoint(x, y), 0);
        finish(LightenColor(PenColour(function), kLightenFactor), slot);
        return slot;
    }
    tips.Clear();
    return -1;
}
