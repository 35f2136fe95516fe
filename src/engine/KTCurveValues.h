#pragma once
// Small rules shared by the sampler, the point-of-interest searches, the curve analysis and the
// curve drawing: what counts as "no value", and how a marker is appended to a function's list.

#include "axes/KTMarkerList.h"
#include "foundation/KTSentinelValues.h"

#include <cmath>

namespace KTCurveValues {

/// Both sentinels, an infinity and a NaN carry no value: they never become a coordinate of a
/// marker, a refinement step or an extent.
inline bool IsNoValue(double v)
{
    // The sentinels lie just above 1e12: most values are told by one comparison.
    static_assert(KTUndefinedValue > 1.0e12 && KTNoSecondValue > 1.0e12 && KTNoYValue > 1.0e12);
    return !(std::fabs(v) <= 1.0e12) &&
           (!std::isfinite(v) || v == KTUndefinedValue || v == KTNoSecondValue || v == KTNoYValue);
}

/// Markers past this count overwrite the entry at this index, which is not counted: the list's
/// limit, far above what a view shows.
inline constexpr int MarkerCountLimit = KTMarkerList::Capacity - 1;

/// Writes the marker at the list's count and advances the count while it is below the limit
/// (past it the list says it is full); returns the index written. A point with no value is kept
/// as kind 5 (not shown) at a finite place.
inline int AddMarker(KTMarkerList& list, KTMarker marker)
{
    int index = list.m_count;
    if (index < 0)
        index = 0;
    if (index >= MarkerCountLimit) {
        index = MarkerCountLimit;
        list.m_full = true;
    }
    if (IsNoValue(marker.m_point.m_x) || IsNoValue(marker.m_point.m_y)) {
        marker.m_kind = KTMarkerNoneFound;
        if (IsNoValue(marker.m_point.m_x))
            marker.m_point.m_x = 0.0;
        if (IsNoValue(marker.m_point.m_y))
            marker.m_point.m_y = 0.0;
    }
    marker.m_position = static_cast<std::int16_t>(index);
    list.Slot(index) = marker;
    if (list.m_count < MarkerCountLimit)
        list.m_count = index + 1;
    return index;
}

/// Moves a marker to (x, y); a point with no value leaves it where it was, as kind 5.
inline void PlaceMarker(KTMarker& marker, double x, double y)
{
    if (IsNoValue(x) || IsNoValue(y)) {
        marker.m_kind = KTMarkerNoneFound;
        return;
    }
    marker.m_point.m_x = x;
    marker.m_point.m_y = y;
}

} // namespace KTCurveValues
