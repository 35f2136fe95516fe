#pragma once
// One axis of a graph: the value range and the pixel extent it is mapped onto, linearly or
// logarithmically. The scale fitting fills the members; the mapping here reads them.

#include "axes/KTOptionAxes2.h"
#include "platform/CString.h"
#include "platform/KTGdiTypes.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

struct KTCurvePointBuffer;
struct KTPlacedLabel;
class KTDC;

/// A value that has no pixel (the smallest 32-bit integer). Callers that draw through the
/// mapping test for it.
inline constexpr std::int32_t KTNoPixel = std::numeric_limits<std::int32_t>::min();

/// Device coordinates that the mapping hands out stay within +-2^30, so that sums and
/// differences of two of them still fit an int and never meet KTNoPixel.
inline constexpr double KTDeviceCoordinateLimit = 1073741824.0;

/// RoundHalfUp kept in double arithmetic (halves upward, -2.5 gives -2), for snapping values
/// that may lie far beyond the int range.
inline double RoundHalfUpValue(double x)
{
    const double below = std::floor(x);
    return x - below >= 0.5 ? below + 1.0 : below;
}

class KTAxis
{
public:
    KTAxis() = default;
    virtual ~KTAxis() = default;
    KTAxis(const KTAxis&) = default;
    KTAxis& operator=(const KTAxis&) = default;

    /// Pixel of a value, rounded half up. Linear: values below min land on the edge rectangle's
    /// left (x) or top (y), values above max on its right or bottom; KTNoPixel when min = max = v
    /// or v is not a number. Logarithmic (logScale set and min exactly 0, v not 0): the first
    /// 5 % of the extent stands for 0; values below the log bound or above max give KTNoPixel.
    /// Caches logMax and logBound for PixelToValue.
    std::int32_t ValueToPixel(double v);
    /// Value of a pixel. Linear: a pixel outside the extent gives min. Logarithmic: uses the
    /// bounds cached by the last ValueToPixel; a pixel outside the extent gives -1.0.
    double PixelToValue(std::int32_t p) const;
    /// v to the nearest multiple of minorStep / n (halves upward); v itself when n <= 0 or the
    /// step is zero or not finite.
    double SnapValue(double v, int n) const;
    /// Writes sample positions into the x slots (x axis) or the y slots (y axis) of the buffer
    /// and sets its count: one position per device pixel of the axis (at most 1600), over the
    /// whole axis range, from max(from, min) while not above min(to, max); at most count + 1.
    void SamplePositions(KTCurvePointBuffer& out, double from, double to) const;

    /// Number of sample intervals: the device pixel extent + 1, at most 1600.
    int SampleCount() const;

    // Scale fitting (KTAxisScale.cpp).
    /// Fits range, steps and pixel extent to the line (left, top)-(right, bottom): an x axis when
    /// left != right, else a y axis whose pixel top receives the minimum. Returns the room, in
    /// logical units, that the labels need across the axis.
    int Fit(int left, int top, int right, int bottom, double dataMin, double dataMax, BYTE measuring,
            BYTE logScale, KTDC& dc, const KTOptionAxes2& options);
    /// Sets majorText and minorText from the step tables, or from the typed steps when the
    /// automatic flags are off and the typed step is usable for the range.
    void ChooseSteps();
    /// Brings the pixels per unit to wanted, by growing the value range (rectBias, or too few
    /// pixels per unit) or by shrinking the pixel extent about its centre. The shifts tell how far
    /// the near end and the pixel of 0 moved.
    void MatchScale(double wanted, BYTE rectBias, int& shiftLow, int& shiftZero);

    // Drawing (KTAxisDraw.cpp); the options are the private copy made by Fit.
    /// The axis line with its break mark, arrowheads, name, middle text, ticks and labels.
    void Draw(KTDC& dc);
    /// The square grid lines of this axis across the other axis's extent.
    void DrawGridLines(KTDC& dc);
    /// The break mark at breakAt.
    void DrawEnds(KTDC& dc);
    /// The tick labels Draw shows, measured in dc, in the order of their values, each with the
    /// box it is drawn in. A label that would reach beside an arrowhead, or past the end of the
    /// axis towards its name, is moved clear when a third of its size does it, else left out;
    /// where neighbouring labels would touch, only every 2nd, 5th, 10th, 20th... multiple of the
    /// step keeps its label (the ticks stay). Empty when the scale is not shown.
    std::vector<KTPlacedLabel> PlaceLabels(KTDC& dc);

    /// Device units per unit of the axis at v, signed as the device runs (a direction along a
    /// curve in device units, however far the curve goes on beyond the view); 0 for an axis
    /// without extent, or at a v the logarithmic mapping has no place for.
    double PixelsPerUnit(double v) const;
    /// Ends of the pixel extent: left and right for the x axis, top and bottom for y.
    std::int32_t PixelLow() const { return m_isX ? m_pixel.left : m_pixel.top; }
    std::int32_t PixelHigh() const { return m_isX ? m_pixel.right : m_pixel.bottom; }

    KTOptionAxes2 m_options;
    double m_logBound = 1.0;       ///< ln of the lower data bound - 0.4, at most 0; -4 for bound 0
    double m_logMax = 1.0;         ///< ln(max) of the last logarithmic mapping
    double m_lowerDataBound = 0.0; ///< the minimum before fitting moved it to 0
    int m_decadeHigh = 0;
    int m_decadeLow = 0;
    BYTE m_logScale = 0;
    double m_fittedMin = 0.0;
    double m_fittedMax = 0.0;
    std::array<std::int32_t, 2> m_crossExtent{}; ///< pixel extent of the other axis
    int m_breakType = 0;
    BYTE m_measuring = 0;
    CString m_majorText;
    CString m_minorText;
    CString m_maxText;
    double m_minorStep = 0.0;
    double m_min = 0.0;
    double m_max = 0.0;
    double m_tickMin = 0.0;
    double m_tickMax = 0.0;
    CRect m_edge;  ///< the drawing area given at fitting
    CRect m_pixel; ///< the extent onto which [min, max] is mapped
    CPoint m_breakAt;
    CRect m_devicePixel; ///< m_pixel in device pixels; counts the samples
    BYTE m_hasBreak = 0;
    BYTE m_isX = 0;
    BYTE m_atFarSide = 0;
    BYTE m_otherAtFarSide = 0;
    BYTE m_mapModeMetric = 0;
    double m_yDirection = 1.0;
    CSize m_nameSize;
    CSize m_midTextSize;
};
