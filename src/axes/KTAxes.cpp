#include "axes/KTAxes.h"

#include "foundation/KTNumberTexts.h"
#include "foundation/KTSentinelValues.h"

#include <cmath>

namespace {

/// The program's ten-digit constants, so that angles agree with the evaluator's.
constexpr double kPi = 3.141592654;
constexpr double kTwoPi = 6.283185308;

/// A usable grid step: finite, not zero and not the undefined sentinel of an unreadable text.
bool IsGridStep(double step)
{
    return std::isfinite(step) && step != 0.0 && step != KTUndefinedValue;
}

/// v to the nearest multiple of the step that the text gives, or v itself without a step.
double SnapToStepText(double v, const CString& stepText)
{
    const double step = EvaluateNumberText(stepText, nullptr);
    if (!IsGridStep(step))
        return v;
    const double snapped = step * RoundHalfUpValue(v / step);
    return std::isfinite(snapped) ? snapped : v;
}

} // namespace

KTAxes::KTAxes()
{
    m_xAxis.m_isX = 1;
    m_yAxis.m_isX = 0;
}

CRect KTAxes::PlotRect() const
{
    CRect plot(m_xAxis.PixelLow(), m_yAxis.PixelLow(), m_xAxis.PixelHigh(), m_yAxis.PixelHigh());
    plot.NormalizeRect();
    return plot;
}

bool KTAxes::InView(const KTPoint& p) const
{
    return m_xAxis.m_min <= p.m_x && p.m_x <= m_xAxis.m_max && m_yAxis.m_min <= p.m_y &&
           p.m_y <= m_yAxis.m_max;
}

double KTAxes::AngleFactor()
{
    switch (m_options.m_angleSystem.GetValue()) {
    case 0: return KTDegreesPerRadian;
    case 2: return KTGradsPerRadian;
    default: return 1.0;
    }
}

CPoint KTAxes::GraphToDevice(const KTPoint& p, BYTE polar, BYTE swap)
{
    double x = p.m_x;
    double y = p.m_y;
    if (polar) {
        const double radius = swap ? p.m_y : p.m_x;
        const double angle = (swap ? p.m_x : p.m_y) / AngleFactor();
        x = radius * std::cos(angle);
        y = radius * std::sin(angle);
    } else if (swap) {
        x = p.m_y;
        y = p.m_x;
    }
    return CPoint(m_xAxis.ValueToPixel(x), m_yAxis.ValueToPixel(y));
}

KTPoint KTAxes::DeviceToGraph(const CPoint& p, BYTE polar, BYTE /*swap*/)
{
    const double x = m_xAxis.PixelToValue(p.x);
    const double y = m_yAxis.PixelToValue(p.y);
    if (!polar)
        return KTPoint(x, y);

    const double radius = std::sqrt(x * x + y * y);
    double angle = 0.0;
    if (y != 0.0)
        angle = std::atan2(y, x) * AngleFactor();
    else if (x < 0.0)
        angle = -kPi * AngleFactor();
    return KTPoint(radius, angle);
}

KTPoint KTAxes::SnapPoint(const KTPoint& p, int n) const
{
    return KTPoint(m_xAxis.SnapValue(p.m_x, n), m_yAxis.SnapValue(p.m_y, n));
}

KTPoint KTAxes::SnapToGrid(const KTPoint& p, bool forceSquare)
{
    if (!m_options.m_usePolarGrid.m_value || forceSquare)
        return KTPoint(SnapToStepText(p.m_x, m_xAxis.m_minorText),
                       SnapToStepText(p.m_y, m_yAxis.m_minorText));

    const double radius = SnapToStepText(p.m_x, m_xAxis.m_minorText);
    const int rays = m_options.m_polarRays.GetValue();
    if (rays <= 0)
        return KTPoint(radius, p.m_y);
    const double factor = AngleFactor();
    const double ray = kTwoPi / rays;
    const double angle = ray * RoundHalfUpValue(p.m_y / (factor * ray)) * factor;
    return KTPoint(radius, std::isfinite(angle) ? angle : p.m_y);
}
