#pragma once
// The coordinate system of one graph: an x and a y axis and the mapping between graph and
// device coordinates through them, in linear, logarithmic and polar form. Every drawing and
// every hit test passes through it.

#include "foundation/KTPoint.h"
#include "axes/KTAxis.h"
#include "axes/KTOptionAxes2.h"
#include "platform/KTGdiTypes.h"

#include <array>

struct KTCurvePointBuffer;
class KTDC;

/// Units per radian of each angle system ("AngleSystem" 0, 1, 2).
inline constexpr double KTDegreesPerRadian = 57.29577951;
inline constexpr double KTGradsPerRadian = 63.66197724;

class KTAxes
{
public:
    /// Options with their defaults; both axes with min = max = 0 and zero rectangles.
    KTAxes();
    virtual ~KTAxes() = default;
    KTAxes(const KTAxes&) = default;
    KTAxes& operator=(const KTAxes&) = default;

    /// Device point of a graph point. Polar: the pair is (radius, angle) in the angle unit, or
    /// (angle, radius) with swap; otherwise swap exchanges x and y. Either coordinate may be
    /// KTNoPixel (log axes) or an edge of the drawing area.
    CPoint GraphToDevice(const KTPoint& p, BYTE polar, BYTE swap);
    CPoint GraphToDevice(double x, double y, BYTE polar, BYTE swap)
    {
        return GraphToDevice(KTPoint(x, y), polar, swap);
    }
    /// Graph point of a device point; polar gives (radius, angle in the angle unit), the angle
    /// being 0 on the positive x axis and -180 degrees (or its equivalent) on the negative x
    /// axis. The swap flag has no effect.
    KTPoint DeviceToGraph(const CPoint& p, BYTE polar, BYTE swap = 0);

    /// The plot area: the x axis's pixel extent across the y axis's, in the logical units of the
    /// last layout, its corners put in order (left <= right, top <= bottom as numbers). Whatever
    /// is drawn in graph coordinates belongs inside it.
    CRect PlotRect() const;
    /// The point lies within both axes' ranges, ends included (false for NaN).
    bool InView(const KTPoint& p) const;

    /// Units of the angle system per radian: 57.29577951 (degrees), 1 (radians), 63.66197724
    /// (grads). A stored system outside 0..2 becomes 1 and is written back into the option.
    double AngleFactor();

    /// x snapped by the x axis's SnapValue, y by the y axis's.
    KTPoint SnapPoint(const KTPoint& p, int n) const;
    /// The nearest grid point: each coordinate to a multiple of its axis's minor step text, or,
    /// on a polar grid (unless forceSquare), the radius to the x step and the angle to a
    /// multiple of one ray. A minor step that is zero, not finite or not a number keeps that
    /// coordinate; a polar grid of no rays keeps the angle.
    KTPoint SnapToGrid(const KTPoint& p, bool forceSquare);

    /// Sample positions along x (or y) for the engine's explicit functions of x (or of y).
    void SampleX(KTCurvePointBuffer& out, double from, double to) const
    {
        m_xAxis.SamplePositions(out, from, to);
    }
    void SampleY(KTCurvePointBuffer& out, double from, double to) const
    {
        m_yAxis.SamplePositions(out, from, to);
    }

    // Layout (KTAxesLayout.cpp).
    /// Lays out both axes inside the drawing rectangle (logical units of dc, made for
    /// MM_HIMETRIC): ranges from the typed texts or the data extents, steps, pixel extents and
    /// the scale restriction. Keeps a copy of the options. Returns 0.
    int Layout(int left, int top, int right, int bottom, double dataXMin, double dataXMax, double dataYMin,
               double dataYMax, const KTOptionAxes2& options, KTDC& dc);
    /// Room that the labels of an x (or y) axis over min..max need, from a measuring fit.
    int MeasureXAxis(double min, double max, KTDC& dc, const KTOptionAxes2& options);
    int MeasureYAxis(double min, double max, KTDC& dc, const KTOptionAxes2& options);

    // Drawing (KTAxesDraw.cpp).
    /// Grid, x axis, y axis, then the circle round the origin. The context's state is as before
    /// when it returns.
    void Draw(KTDC& dc);
    /// The grid in the style the options ask for: lines, point marks or polar.
    void DrawGrid(KTDC& dc);

    /// The steps of the last layout, x minor, x major, y minor, y major (empty before one).
    std::array<CString, 4> StepTexts() const
    {
        return {m_xAxis.m_minorText, m_xAxis.m_majorText, m_yAxis.m_minorText, m_yAxis.m_majorText};
    }

    KTOptionAxes2 m_options;
    KTAxis m_xAxis;
    KTAxis m_yAxis;
    CRect m_rect;              ///< the drawing rectangle
    BYTE m_xAxisAtTop = 0;     ///< the y range ends at or below 0: the x axis runs along the top
    BYTE m_yAxisAtRight = 0;   ///< the x range ends at or below 0: the y axis runs along the right
    BYTE m_mapModeMetric = 0;  ///< the layout's device context was in MM_HIMETRIC
    double m_yDirection = 1.0; ///< -1.0 in MM_HIMETRIC
};
