#include "axes/KTAxes.h"

#include "foundation/KTMarkerPainter.h"

#include "foundation/KTNumberTexts.h"
#include "foundation/KTPenSelector.h"
#include "foundation/RoundHalfUp.h"
#include "axes/KTAxisScale.h"
#include "platform/KTDC.h"

#include <algorithm>
#include <cmath>
#include <exception>

namespace {

constexpr double kTwoPi = 6.283185308;
/// Grid points of one kind drawn at most; a dense grid of points is a grey fill long before.
constexpr int kMaxGridPoints = 40000;

/// The linear pixel of a value, not held to the axis's range: circles and rays of the polar grid
/// run past the range of the shorter axis and are clipped, not flattened onto its edges.
double UnclampedPixel(const KTAxis& axis, double v)
{
    const double span = axis.m_max - axis.m_min;
    if (span == 0.0)
        return axis.PixelLow();
    return axis.PixelLow() + (v - axis.m_min) / span * (axis.PixelHigh() - axis.PixelLow());
}

int ToLogical(double p)
{
    if (std::isnan(p))
        return 0;
    return RoundHalfUp(std::clamp(p, -KTDeviceCoordinateLimit, KTDeviceCoordinateLimit));
}

/// The multiples k x step inside the axis's range, without 0, at most KTMaxAxisSteps.
std::vector<double> Multiples(const KTAxis& axis, double step)
{
    std::vector<double> values;
    if (!(step > 0.0))
        return values;
    const double first = std::ceil(axis.m_min / step);
    if (!std::isfinite(first))
        return values;
    double k = first;
    for (int n = 0; n < KTMaxAxisSteps; ++n, k += 1.0) {
        const double v = k * step;
        if (!(v <= axis.m_max))
            break;
        if (k != 0.0)
            values.push_back(v);
    }
    return values;
}

} // namespace

void KTAxes::Draw(KTDC& dc)
{
    const int saved = dc.SaveDC();
    try {
        DrawGrid(dc);
        m_xAxis.Draw(dc);
        m_yAxis.Draw(dc);

        if (m_options.m_showOrigin.m_value) {
            KTPenSelector pen(m_options.m_showOriginPen.m_value, 1.0);
            pen.Select(dc);
            dc.SelectStockObject(KTStockObject::NullBrush);
            const int r = m_options.m_showOriginRadius.GetValue();
            const std::int32_t cx = m_xAxis.ValueToPixel(0.0);
            const std::int32_t cy = m_yAxis.ValueToPixel(0.0);
            if (cx != KTNoPixel && cy != KTNoPixel)
                dc.Ellipse(cx - r, cy - r, cx + r, cy + r);
            pen.Restore(dc);
        }
    } catch (const std::exception&) {
        // Drawing runs inside a paint: a failed allocation leaves the picture incomplete.
    }
    dc.RestoreDC(saved);
}

void KTAxes::DrawGrid(KTDC& dc)
{
    if (!m_options.m_showGrid.m_value)
        return;
    const bool polar = m_options.m_usePolarGrid.m_value != 0;
    const bool dots = m_options.m_showGridDots.m_value != 0;
    if (!polar && !dots) {
        m_xAxis.DrawGridLines(dc);
        m_yAxis.DrawGridLines(dc);
        return;
    }

    const double xMinor =
        KTTypedStepHides(m_options.m_xMinorS.GetValue()) ? 0.0 : KTStepValue(m_xAxis.m_minorText);
    const double xMajor =
        KTTypedStepHides(m_options.m_xMajorS.GetValue()) ? 0.0 : KTStepValue(m_xAxis.m_majorText);
    const double clearance = 1.5 * m_options.m_arrowSize.GetValue();
    const int minorShape = m_options.m_minorDot.GetValue();
    const int majorShape = m_options.m_majorDot.GetValue();
    const COLORREF minorColour = m_options.m_minorDotColor.m_value;
    const COLORREF majorColour = m_options.m_majorDotColor.m_value;

    const double cx = UnclampedPixel(m_xAxis, 0.0);
    const double cy = UnclampedPixel(m_yAxis, 0.0);
    const double ppuX = UnclampedPixel(m_xAxis, 1.0) - cx;
    const double ppuY = UnclampedPixel(m_yAxis, 1.0) - cy;
    auto pixelOf = [&](double x, double y) {
        return CPoint(ToLogical(cx + x * ppuX), ToLogical(cy + y * ppuY));
    };

    if (!polar) {
        // Point marks at the crossings of the square grid, minor ones first.
        const double yMinor =
            KTTypedStepHides(m_options.m_yMinorS.GetValue()) ? 0.0 : KTStepValue(m_yAxis.m_minorText);
        const double yMajor =
            KTTypedStepHides(m_options.m_yMajorS.GetValue()) ? 0.0 : KTStepValue(m_yAxis.m_majorText);
        auto marks = [&](double xStep, double yStep, bool skipMajor, int shape, COLORREF colour) {
            int drawn = 0;
            for (double x : Multiples(m_xAxis, xStep)) {
                const std::int32_t px = m_xAxis.ValueToPixel(x);
                if (px == KTNoPixel || KTNearArrowHead(m_xAxis, px, clearance))
                    continue;
                for (double y : Multiples(m_yAxis, yStep)) {
                    if (skipMajor && KTIsStepMultiple(x, xMajor) && KTIsStepMultiple(y, yMajor))
                        continue;
                    const std::int32_t py = m_yAxis.ValueToPixel(y);
                    if (py == KTNoPixel || KTNearArrowHead(m_yAxis, py, clearance))
                        continue;
                    if (++drawn > kMaxGridPoints)
                        return;
                    KTMarkerPainter().DrawAt(dc, px, py, static_cast<KTMarkerShape>(shape),
                                             &m_options.m_marks, colour);
                }
            }
        };
        marks(xMinor, yMinor, true, minorShape, minorColour);
        marks(xMajor, yMajor, false, majorShape, majorColour);
        return;
    }

    // The polar grid reaches the tick farthest from the origin along either axis.
    const double reach =
        std::max({-m_xAxis.m_tickMin, m_xAxis.m_tickMax, -m_yAxis.m_tickMin, m_yAxis.m_tickMax});
    const int rays = m_options.m_polarRays.GetValue();
    const int saved = dc.SaveDC();
    dc.IntersectClipRect(
        std::min(m_xAxis.PixelLow(), m_xAxis.PixelHigh()), std::max(m_yAxis.PixelLow(), m_yAxis.PixelHigh()),
        std::max(m_xAxis.PixelLow(), m_xAxis.PixelHigh()), std::min(m_yAxis.PixelLow(), m_yAxis.PixelHigh()));
    auto radii = [&](double step) {
        std::vector<double> values;
        for (int k = 1; step > 0.0 && k <= KTMaxAxisSteps && k * step <= reach; ++k)
            values.push_back(k * step);
        return values;
    };

    if (dots) {
        int drawn = 0;
        for (int i = 0; i < rays; ++i) {
            const double angle = i * kTwoPi / rays;
            for (double r : radii(xMinor)) {
                const bool major = KTIsStepMultiple(r, xMajor);
                if (++drawn > kMaxGridPoints)
                    break;
                const CPoint p = pixelOf(r * std::cos(angle), r * std::sin(angle));
                KTMarkerPainter().DrawAt(dc, p.x, p.y,
                                         static_cast<KTMarkerShape>(major ? majorShape : minorShape),
                                         &m_options.m_marks, major ? majorColour : minorColour);
            }
        }
    } else {
        dc.SelectStockObject(KTStockObject::NullBrush);
        auto circles = [&](double step, bool skipMajor, const KTLogPen& record) {
            KTPenSelector pen(record, 1.0);
            pen.Select(dc);
            for (double r : radii(step)) {
                if (skipMajor && KTIsStepMultiple(r, xMajor))
                    continue;
                const CPoint low = pixelOf(-r, -r);
                const CPoint high = pixelOf(r, r);
                dc.Ellipse(low.x, high.y, high.x, low.y);
            }
            pen.Restore(dc);
        };
        circles(xMinor, true, m_options.m_xGridMinorPen.m_value);
        circles(xMajor, false, m_options.m_xGridMajorPen.m_value);

        KTPenSelector pen(m_options.m_xGridMajorPen.m_value, 1.0);
        pen.Select(dc);
        const CPoint origin = pixelOf(0.0, 0.0);
        for (int i = 0; i < rays; ++i) {
            const double angle = i * kTwoPi / rays;
            dc.MoveTo(origin);
            dc.LineTo(pixelOf(reach * std::cos(angle), reach * std::sin(angle)));
        }
        pen.Restore(dc);
    }
    dc.RestoreDC(saved);
}
