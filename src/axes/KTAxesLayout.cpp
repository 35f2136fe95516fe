#include "axes/KTAxes.h"

#include "axes/KTAxisScale.h"
#include "platform/KTDC.h"

#include <algorithm>
#include <cmath>

namespace {

/// Pixels per unit of an axis as fitted.
double PixelsPerUnit(const KTAxis& axis)
{
    const double span = std::fabs(axis.m_max - axis.m_min);
    return span > 0.0 ? std::fabs(static_cast<double>(axis.PixelHigh()) - axis.PixelLow()) / span : 0.0;
}

/// The pixel of 0, or the near end of the extent when 0 has none.
int ZeroPixel(KTAxis& axis)
{
    const std::int32_t zero = axis.ValueToPixel(0.0);
    return zero == KTNoPixel ? axis.PixelLow() : zero;
}

/// Moves everything of an axis that lies across the other axis by shift: the y axis sideways,
/// the x axis up or down.
void MoveAcross(KTAxis& axis, int shift)
{
    if (axis.m_isX) {
        axis.m_edge.top += shift;
        axis.m_edge.bottom += shift;
        axis.m_pixel.top += shift;
        axis.m_pixel.bottom += shift;
        axis.m_breakAt.y += shift;
    } else {
        axis.m_edge.left += shift;
        axis.m_edge.right += shift;
        axis.m_pixel.left += shift;
        axis.m_pixel.right += shift;
        axis.m_breakAt.x += shift;
    }
}

} // namespace

int KTAxes::MeasureXAxis(double min, double max, KTDC& dc, const KTOptionAxes2& options)
{
    KTAxis axis;
    return axis.Fit(10, 10, 100, 10, min, max, 1, 0, dc, options);
}

int KTAxes::MeasureYAxis(double min, double max, KTDC& dc, const KTOptionAxes2& options)
{
    KTAxis axis;
    return axis.Fit(10, 100, 10, 10, min, max, 1, 0, dc, options);
}

int KTAxes::Layout(int left, int top, int right, int bottom, double dataXMin, double dataXMax,
                   double dataYMin, double dataYMax, const KTOptionAxes2& options, KTDC& dc)
{
    m_mapModeMetric = dc.GetMapMode() == MM_HIMETRIC ? 1 : 0;
    m_yDirection = m_mapModeMetric ? -1.0 : 1.0;
    m_options = options;

    double xMin = 0.0;
    double xMax = 0.0;
    double yMin = 0.0;
    double yMax = 0.0;
    KTAxisRange(m_options, true, dataXMin, dataXMax, xMin, xMax);
    KTAxisRange(m_options, false, dataYMin, dataYMax, yMin, yMax);

    m_rect = CRect(left, top, right, bottom);
    m_xAxisAtTop = 0;
    m_yAxisAtRight = 0;
    const int gap = m_options.m_standardGap.GetValue();
    const int across = std::max(m_options.m_breakHeight.GetValue(), m_options.m_axisPipSize.GetValue());

    // Room below the plot for the x labels when the x axis sits at the bottom, above it when the
    // whole y range is negative and the x axis runs along the top.
    const int yLow = bottom + (yMin >= 0.0 ? MeasureXAxis(xMin, xMax, dc, m_options) : gap);
    int yHigh = top - gap;
    if (yMax <= 0.0) {
        m_xAxisAtTop = 1;
        yHigh = top - MeasureXAxis(xMin, xMax, dc, m_options);
    }

    const int yRoom = MeasureYAxis(yMin, yMax, dc, m_options);
    const int x0 = left + gap + yRoom;
    m_yAxis.Fit(x0, yLow, x0, yHigh, yMin, yMax, 0, m_options.m_yLogScale.m_value, dc, m_options);
    const int zeroY = ZeroPixel(m_yAxis);

    const int xLeft = left + gap + (xMin >= 0.0 ? yRoom : 0);
    int xRight = right - gap;
    if (xMax <= 0.0) {
        m_yAxisAtRight = 1;
        xRight -= across;
    }
    // Fit tells the axes apart by the line's ends: a plot too narrow for its labels still gets an
    // x axis, one unit long.
    if (xRight == xLeft)
        ++xRight;
    m_xAxis.Fit(xLeft, zeroY, xRight, zeroY, xMin, xMax, 0, m_options.m_xLogScale.m_value, dc, m_options);
    const int zeroX = ZeroPixel(m_xAxis);

    m_yAxis.Fit(zeroX, yLow, zeroX, yHigh, yMin, yMax, 0, m_options.m_yLogScale.m_value, dc, m_options);
    m_yAxis.ValueToPixel(0.0);
    const double ratioX = PixelsPerUnit(m_xAxis);
    const double ratioY = PixelsPerUnit(m_yAxis);

    const BYTE rectBias = m_options.m_rectBias.m_value;
    int shiftLow = 0;
    int shiftZero = 0;
    switch (m_options.m_scaleRestriction.GetValue()) {
    case 1:
        // A graph of angles in degrees or grads would be squeezed flat by equal scales.
        if (m_options.m_fullTurn && m_options.m_angleSystem.GetValue() != 1)
            break;
        if (ratioX > ratioY) {
            m_xAxis.MatchScale(ratioY, rectBias, shiftLow, shiftZero);
            MoveAcross(m_yAxis, shiftZero);
        } else {
            m_yAxis.MatchScale(ratioX, rectBias, shiftLow, shiftZero);
            MoveAcross(m_xAxis, shiftZero);
        }
        break;
    case 2:
        m_xAxis.MatchScale(m_options.m_xScaleMeasurement.GetValue(), rectBias, shiftLow, shiftZero);
        m_yAxis.MatchScale(m_options.m_yScaleMeasurement.GetValue(), rectBias, shiftLow, shiftZero);
        break;
    default: break;
    }
    // Both extents may have moved or shrunk: the sample counts follow the pixels drawn.
    m_xAxis.m_devicePixel = m_xAxis.m_pixel;
    dc.LPtoDP(&m_xAxis.m_devicePixel);
    m_yAxis.m_devicePixel = m_yAxis.m_pixel;
    dc.LPtoDP(&m_yAxis.m_devicePixel);

    m_xAxis.m_crossExtent = {m_yAxis.m_pixel.top, m_yAxis.m_pixel.bottom};
    m_yAxis.m_crossExtent = {m_xAxis.m_pixel.left, m_xAxis.m_pixel.right};

    m_xAxis.m_atFarSide = m_xAxisAtTop;
    m_yAxis.m_otherAtFarSide = m_xAxisAtTop;
    m_yAxis.m_atFarSide = m_yAxisAtRight;
    m_xAxis.m_otherAtFarSide = m_yAxisAtRight;
    // A logarithmic axis maps pixels back through the bounds its last mapping cached.
    for (KTAxis* axis : {&m_xAxis, &m_yAxis})
        if (axis->m_logScale)
            axis->ValueToPixel(axis->m_max);
    return 0;
}
