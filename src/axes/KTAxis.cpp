#include "axes/KTAxis.h"

#include "axes/KTCurvePointBuffer.h"
#include "foundation/RoundHalfUp.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int kMaxSampleCount = 1600;

/// Rounds a device position half up. A wild value (an overflowing range, a degenerate log
/// scale) is held within the device limit before it becomes an int; a NaN has no pixel.
std::int32_t ToDeviceCoordinate(double t)
{
    if (std::isnan(t))
        return KTNoPixel;
    return RoundHalfUp(std::clamp(t, -KTDeviceCoordinateLimit, KTDeviceCoordinateLimit));
}

} // namespace

std::int32_t KTAxis::ValueToPixel(double v)
{
    const double lo = PixelLow();
    const double hi = PixelHigh();

    if (m_logScale && m_min == 0.0 && v != 0.0) {
        m_logMax = std::log(m_max);
        m_logBound = m_lowerDataBound == 0.0 ? -4.0 : std::log(m_lowerDataBound) - 0.4;
        if (m_logBound > 0.0)
            m_logBound = 0.0;
        const double g = std::log(v);
        if (std::isnan(g) || g < m_logBound || v > m_max)
            return KTNoPixel;
        const double t = (g - m_logBound) / (m_logMax - m_logBound) * 0.95 + 0.05;
        return ToDeviceCoordinate(t * (hi - lo) + lo);
    }

    if (m_min <= v && v <= m_max && m_max - m_min != 0.0)
        return ToDeviceCoordinate((v - m_min) / (m_max - m_min) * (hi - lo) + lo);
    if (v < m_min)
        return m_isX ? m_edge.left : m_edge.top;
    if (v > m_max)
        return m_isX ? m_edge.right : m_edge.bottom;
    return KTNoPixel;
}

double KTAxis::PixelsPerUnit(double v) const
{
    const double extent = static_cast<double>(PixelHigh()) - PixelLow();
    if (m_logScale && m_min == 0.0) {
        // The mapping of ValueToPixel: 0.95 of the extent over ln v from the lower bound to ln max.
        const double span = m_logMax - m_logBound;
        return v > 0.0 && span != 0.0 ? extent * 0.95 / (span * v) : 0.0;
    }
    return m_max - m_min != 0.0 ? extent / (m_max - m_min) : 0.0;
}

double KTAxis::PixelToValue(std::int32_t p) const
{
    const double lo = PixelLow();
    const double hi = PixelHigh();
    // The extent may run either way (a y axis grows downwards on some devices); a pixel between
    // its ends is inside it. An extent of one pixel maps onto its start.
    const bool inside = (lo <= p && p <= hi) || (hi <= p && p <= lo);
    const double t = inside && hi != lo ? (p - lo) / (hi - lo) : 0.0;

    if (m_logScale) {
        if (!inside)
            return -1.0;
        return std::exp(m_logBound + (t - 0.05) * (m_logMax - m_logBound) * 1.052631579);
    }
    return m_min + t * (m_max - m_min);
}

double KTAxis::SnapValue(double v, int n) const
{
    if (n <= 0)
        return v;
    const double s = m_minorStep / n;
    if (s == 0.0 || !std::isfinite(s))
        return v;
    return s * RoundHalfUpValue(v / s);
}

int KTAxis::SampleCount() const
{
    const long long extent =
        m_isX ? std::llabs(static_cast<long long>(m_devicePixel.right) - m_devicePixel.left)
              : std::llabs(static_cast<long long>(m_devicePixel.bottom) - m_devicePixel.top);
    return static_cast<int>(std::min<long long>(extent + 1, kMaxSampleCount));
}

void KTAxis::SamplePositions(KTCurvePointBuffer& out, double from, double to) const
{
    out.m_count = 0;
    if (std::isnan(from) || std::isnan(to))
        return;

    const int count = SampleCount();
    const double step = (m_max - m_min) / count;
    const double start = from > m_min ? from : m_min;
    const double end = to < m_max ? to : m_max;

    // Positions are start + k x step rather than a running sum, so rounding cannot drop the last
    // one; a position that overshoots the end by rounding alone is the end itself.
    for (int k = 0; k <= count && out.m_count < KTCurvePointBuffer::Capacity; ++k) {
        double c = k == 0 ? start : start + k * step;
        if (!(c <= end)) {
            if (k > 0 && c - end <= 1e-9 * std::fabs(step))
                c = end;
            else
                break;
        }
        KTCurvePoint& point = out.m_points[static_cast<std::size_t>(out.m_count)];
        if (m_isX)
            point.m_point.m_x = c;
        else
            point.m_point.m_y = c;
        ++out.m_count;
    }
}
