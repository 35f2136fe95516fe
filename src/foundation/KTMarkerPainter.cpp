#include "foundation/KTMarkerPainter.h"

#include "foundation/KTOptionMarks.h"
#include "foundation/KTPoint.h"
#include "foundation/RoundHalfUp.h"
#include "platform/KTDC.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

/// Size of one unit of a half-size factor, hundredths of a millimetre.
constexpr int kMarkerUnit = 25;
/// Beyond this a marker could not be seen, and its corners could overflow the int range.
constexpr double kCoordinateLimit = 1e9;

// Which cached size each shape uses: shapes of the same half-size factor share one.
constexpr int kSlotSmallDot = 0; // factor 1
constexpr int kSlotTwo = 1;      // dot, square, ex: factor 2
constexpr int kSlotThree = 2;    // circle, diamond: factor 3
constexpr int kSlotCross = 3;    // the cross: 3.5, cached as 4

bool Usable(double v)
{
    return std::isfinite(v) && std::fabs(v) <= kCoordinateLimit;
}

bool SnapsToPixels(int mode)
{
    return mode == MM_TEXT || mode == MM_HIMETRIC;
}

/// The half-size unit (sx, sy) in logical units.
CSize MarkerUnit(const KTDC& dc)
{
    CSize unit(kMarkerUnit, kMarkerUnit);
    const int mode = dc.GetMapMode();
    if (mode != MM_HIMETRIC && mode != MM_ANISOTROPIC)
        dc.HIMETRICtoDP(&unit);
    return unit;
}

/// The half-size in whole device pixels: the cached value, or the device length of the logical
/// length, cached when the record still holds -1. At least 1, at most the option's maximum.
int PixelHalfSize(const KTDC& dc, double logicalLength, KTOptionMarks* marks, int slot)
{
    KTOptionInt* option = marks ? &marks->m_mark[static_cast<std::size_t>(slot)] : nullptr;
    if (option && option->m_value != -1)
        return std::max(1, option->GetValue());
    const double device = std::fabs(logicalLength) * std::abs(dc.ScaleX());
    const int maximum = option ? option->GetMaximum() : 32767;
    const int pixels = std::clamp(RoundHalfUp(device), 1, std::max(1, maximum));
    if (option)
        option->m_value = pixels;
    return pixels;
}

/// Places the points of one marker: on the screen in whole pixels about the centre's device
/// point, elsewhere in logical units about the centre.
class MarkerFrame
{
public:
    MarkerFrame(KTDC& dc, double x, double y)
        : m_dc(dc), m_x(x), m_y(y), m_pixels(SnapsToPixels(dc.GetMapMode()))
    {
        m_centre = CPoint(RoundHalfUp(x), RoundHalfUp(y));
        if (m_pixels)
            m_dc.LPtoDP(&m_centre);
    }

    bool InPixels() const { return m_pixels; }

    /// The logical point at (ux, uy) half-sizes from the centre: `n` pixels each on the screen,
    /// hx and hy logical units elsewhere. Pixel offsets follow the device's axes.
    CPoint At(int ux, int uy, int n, double hx, double hy) const
    {
        if (m_pixels)
            return Device(ux * n, uy * n);
        return CPoint(RoundHalfUp(m_x + ux * hx), RoundHalfUp(m_y + uy * hy));
    }
    /// The logical point of a device offset from the centre's device point.
    CPoint Device(int dx, int dy) const
    {
        CPoint point(m_centre.x + dx, m_centre.y + dy);
        m_dc.DPtoLP(&point);
        return point;
    }

private:
    KTDC& m_dc;
    double m_x;
    double m_y;
    bool m_pixels;
    CPoint m_centre;
};

struct ShapeSize
{
    double factor;      ///< logical half-size in marker units
    double cacheFactor; ///< the same for the pixel cache
    int slot;
};

ShapeSize SizeOf(KTMarkerShape shape)
{
    switch (shape) {
    case KTMarkerShapeCross: return {3.5, 4.0, kSlotCross};
    case KTMarkerShapeCircle:
    case KTMarkerShapeDiamond: return {3.0, 3.0, kSlotThree};
    case KTMarkerShapeSmallDot: return {1.0, 1.0, kSlotSmallDot};
    default: return {2.0, 2.0, kSlotTwo};
    }
}

void DrawLine(KTDC& dc, CPoint from, CPoint to)
{
    dc.MoveTo(from);
    dc.LineTo(to);
}

void DrawCross(KTDC& dc, const MarkerFrame& frame, CSize unit, KTOptionMarks* marks)
{
    const ShapeSize size = SizeOf(KTMarkerShapeCross);
    const double hx = size.factor * unit.cx;
    const double hy = size.factor * unit.cy;
    if (frame.InPixels()) {
        // From centre - n + 1 to centre + n: the line's last pixel is not drawn, so each arm
        // shows n pixels counting the centre.
        const int n = PixelHalfSize(dc, size.cacheFactor * unit.cx, marks, size.slot);
        DrawLine(dc, frame.Device(-n + 1, 0), frame.Device(n, 0));
        DrawLine(dc, frame.Device(0, -n + 1), frame.Device(0, n));
        return;
    }
    DrawLine(dc, frame.At(-1, 0, 0, hx, hy), frame.At(1, 0, 0, hx, hy));
    DrawLine(dc, frame.At(0, -1, 0, hx, hy), frame.At(0, 1, 0, hx, hy));
}

void DrawEx(KTDC& dc, const MarkerFrame& frame, CSize unit, KTOptionMarks* marks)
{
    const ShapeSize size = SizeOf(KTMarkerShapeEx);
    const double hx = size.factor * unit.cx;
    const double hy = size.factor * unit.cy;
    const int n = frame.InPixels() ? PixelHalfSize(dc, size.cacheFactor * unit.cx, marks, size.slot) : 0;
    DrawLine(dc, frame.At(-1, -1, n, hx, hy), frame.At(1, 1, n, hx, hy));
    DrawLine(dc, frame.At(-1, 1, n, hx, hy), frame.At(1, -1, n, hx, hy));
}

/// The dot, small dot, square and diamond: filled shapes of one half-size.
void DrawFilled(KTDC& dc, const MarkerFrame& frame, KTMarkerShape shape, CSize unit, KTOptionMarks* marks)
{
    const ShapeSize size = SizeOf(shape);
    const double hx = size.factor * unit.cx;
    const double hy = size.factor * unit.cy;
    const int n = frame.InPixels() ? PixelHalfSize(dc, size.cacheFactor * unit.cx, marks, size.slot) : 0;
    const CPoint first = frame.At(-1, -1, n, hx, hy);
    const CPoint second = frame.At(1, 1, n, hx, hy);
    switch (shape) {
    case KTMarkerShapeSquare: dc.Rectangle(first.x, first.y, second.x, second.y); break;
    case KTMarkerShapeDiamond: {
        const CPoint points[4] = {frame.At(0, -1, n, hx, hy), frame.At(1, 0, n, hx, hy),
                                  frame.At(0, 1, n, hx, hy), frame.At(-1, 0, n, hx, hy)};
        dc.Polygon(points, 4);
        break;
    }
    default: dc.Ellipse(first.x, first.y, second.x, second.y); break;
    }
}

} // namespace

void KTMarkerPainter::Draw(KTDC& dc, double x, double y, KTMarkerShape shape, KTOptionMarks* marks,
                           COLORREF colour) const
{
    if (!Usable(x) || !Usable(y) || shape < KTMarkerShapeCross || shape > KTMarkerShapeSmallDot ||
        shape == KTMarkerShapeNone)
        return;
    if (shape == KTMarkerShapePixel) {
        dc.SetPixel(RoundHalfUp(x), RoundHalfUp(y), RGB(0, 0, 0));
        return;
    }

    const CSize unit = MarkerUnit(dc);
    const KTPen previousPen = dc.SelectObject(KTPen(PS_INSIDEFRAME, 1, colour));
    const KTBrush previousBrush = dc.SelectObject(KTBrush(colour));
    const MarkerFrame frame(dc, x, y);
    switch (shape) {
    case KTMarkerShapeCross: DrawCross(dc, frame, unit, marks); break;
    case KTMarkerShapeEx: DrawEx(dc, frame, unit, marks); break;
    case KTMarkerShapeAsterisk:
        DrawCross(dc, frame, unit, marks);
        DrawEx(dc, frame, unit, marks);
        break;
    case KTMarkerShapeCircle: DrawCircle(dc, x, y, unit.cx, unit.cy, marks); break;
    default: DrawFilled(dc, frame, shape, unit, marks); break;
    }
    dc.SelectObject(previousBrush);
    dc.SelectObject(previousPen);
}

void KTMarkerPainter::Draw(KTDC& dc, const KTPoint& point, int shape, KTOptionMarks* marks,
                           COLORREF colour) const
{
    Draw(dc, point.m_x, point.m_y, static_cast<KTMarkerShape>(shape), marks, colour);
}

void KTMarkerPainter::DrawAt(KTDC& dc, int x, int y, KTMarkerShape shape, KTOptionMarks* marks,
                             COLORREF colour) const
{
    Draw(dc, static_cast<double>(x), static_cast<double>(y), shape, marks, colour);
}

void KTMarkerPainter::DrawCircle(KTDC& dc, double x, double y, double width, double height,
                                 KTOptionMarks* marks) const
{
    if (!Usable(x) || !Usable(y) || !Usable(width) || !Usable(height))
        return;
    const double hx = 3.0 * width;
    const double hy = 3.0 * height;
    const MarkerFrame frame(dc, x, y);
    const int n = frame.InPixels() ? PixelHalfSize(dc, hx, marks, kSlotThree) : 0;
    const CPoint first = frame.At(-1, -1, n, hx, hy);
    const CPoint second = frame.At(1, 1, n, hx, hy);
    dc.Ellipse(first.x, first.y, second.x, second.y);
}
