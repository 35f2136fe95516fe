#include "foundation/KTLineEndPainter.h"

#include "foundation/KTLogPen.h"
#include "foundation/KTPenSelector.h"
#include "foundation/KTPoint.h"
#include "foundation/RoundHalfUp.h"
#include "platform/KTDC.h"

#include <algorithm>
#include <cmath>

namespace {

/// Beyond this an end could not be seen, and its symbol's points could overflow the int range.
constexpr double kCoordinateLimit = 1e9;
/// Ten metres: a larger symbol is a damaged setting, and would overflow the int range.
constexpr int kSizeLimit = 1000000;

bool Usable(const KTPoint& p)
{
    return std::isfinite(p.m_x) && std::isfinite(p.m_y) && std::fabs(p.m_x) <= kCoordinateLimit &&
           std::fabs(p.m_y) <= kCoordinateLimit;
}

CPoint ToCPoint(const KTPoint& p)
{
    return CPoint(RoundHalfUp(p.m_x), RoundHalfUp(p.m_y));
}

/// The size in logical units: unchanged where logical units are hundredths of a millimetre
/// (or free, for metafiles), else whole device units.
int LogicalSize(const KTDC& dc, int size)
{
    size = std::clamp(size, -kSizeLimit, kSizeLimit);
    const int mode = dc.GetMapMode();
    if (mode == MM_HIMETRIC || mode == MM_ANISOTROPIC)
        return size;
    CSize unit(1, 1);
    dc.DPtoHIMETRIC(&unit);
    // Above 2540 dots per inch a device unit rounds to 0 hundredths of a millimetre.
    return size / std::max(1, unit.cx);
}

/// The geometry of one end: u along the line towards the end, w a quarter turn from it.
class EndGeometry
{
public:
    EndGeometry(KTDC& dc, const KTVector& u, int length)
        : m_dc(dc), m_u(u), m_w(u.Perpendicular()), m_length(length)
    {
    }

    /// base - a u + b w.
    CPoint Back(const KTPoint& base, double a, double b) const
    {
        return ToCPoint(base - m_u.Scaled(a) + m_w.Scaled(b));
    }

    void OpenArrow(const KTPoint& tip) const
    {
        const CPoint points[3] = {Back(tip, m_length, Half()), ToCPoint(tip), Back(tip, m_length, -Half())};
        m_dc.Polyline(points, 3);
    }
    void FilledArrow(const KTPoint& tip) const
    {
        const CPoint points[3] = {ToCPoint(tip), Back(tip, m_length, Half()), Back(tip, m_length, -Half())};
        m_dc.Polygon(points, 3);
    }
    void NotchedArrow(const KTPoint& tip) const
    {
        const CPoint points[4] = {ToCPoint(tip), Back(tip, m_length, Half()), Back(tip, Half(), 0),
                                  Back(tip, m_length, -Half())};
        m_dc.Polygon(points, 4);
    }
    /// The sector between the directions of the filled arrow's base corners, about the tip.
    void Pie(const KTPoint& tip) const
    {
        const CPoint centre = ToCPoint(tip);
        const CRect box(centre.x - m_length, centre.y - m_length, centre.x + m_length, centre.y + m_length);
        CPoint start = Back(tip, m_length, Half());
        CPoint end = Back(tip, m_length, -Half());
        // The device turns the sector anticlockwise as seen; when the mapping keeps the
        // orientation of the logical axes that is the other way round from the narrow sector.
        if (m_dc.ScaleX() * m_dc.ScaleY() > 0)
            std::swap(start, end);
        m_dc.Pie(box, start, end);
    }
    void Bar(const KTPoint& at) const
    {
        m_dc.MoveTo(Back(at, 0, m_length));
        m_dc.LineTo(Back(at, 0, -m_length));
    }
    /// A bar leaning forward by half the size.
    void Slash(const KTPoint& at) const
    {
        m_dc.MoveTo(Back(at, Half(), -m_length));
        m_dc.LineTo(Back(at, -Half(), m_length));
    }
    void Circle(const KTPoint& at, int radius) const
    {
        const CPoint c = ToCPoint(at);
        m_dc.Ellipse(c.x - radius + 1, c.y - radius + 1, c.x + radius, c.y + radius);
    }

private:
    int Half() const { return m_length / 2; }

    KTDC& m_dc;
    KTVector m_u;
    KTVector m_w;
    int m_length;
};

/// The fill: the context's brush, a hollow one made solid; style 25 in the given colour.
KTBrush EndBrush(const KTDC& dc, KTLineEndStyle style, COLORREF colour)
{
    LOGBRUSH brush{static_cast<std::uint32_t>(BS_SOLID), colour, 0};
    if (dc.GetCurrentBrush().GetLogBrush(&brush) && brush.lbStyle == static_cast<std::uint32_t>(BS_NULL))
        brush.lbStyle = static_cast<std::uint32_t>(BS_SOLID);
    if (style == KTLineEndColourCircle) {
        brush.lbStyle = static_cast<std::uint32_t>(BS_SOLID);
        brush.lbColor = colour;
    }
    KTBrush made;
    made.CreateBrushIndirect(brush);
    return made;
}

} // namespace

void KTLineEndPainter::Draw(KTDC& dc, const KTPoint& end, const KTPoint& other, KTLineEndStyle style,
                            int size, bool offset, COLORREF colour) const
{
    if (style < KTLineEndOpenArrow || style > KTLineEndColourCircle || !Usable(end) || !Usable(other))
        return;

    const int length = LogicalSize(dc, size);
    const KTVector line = end.Difference(other);
    KTVector v = line;
    v.SetLength(length / 2);
    KTVector u = line;
    u.SetLength(1.0);
    const KTPoint p = offset ? end + v : end;

    KTPenSelector pen(KTLogPen(KTPenKindNumber, 6, colour, 0.0), 1.0);
    pen.Select(dc);
    const KTBrush previousBrush = dc.SelectObject(EndBrush(dc, style, colour));

    const EndGeometry geometry(dc, u, length);
    switch (style) {
    case KTLineEndOpenArrow: geometry.OpenArrow(p); break;
    case KTLineEndFilledArrow: geometry.FilledArrow(p); break;
    case KTLineEndNotchedArrow: geometry.NotchedArrow(p); break;
    case KTLineEndPie:
        // Without a direction there is no sector to draw.
        if (line.Differs(KTVector(0.0, 0.0)))
            geometry.Pie(p);
        break;
    case KTLineEndBar: geometry.Bar(p); break;
    case KTLineEndSlash: geometry.Slash(p); break;
    case KTLineEndDoubleSlash:
        geometry.Slash(p - v);
        geometry.Slash(p + v);
        break;
    case KTLineEndTripleSlash:
        geometry.Slash(p - v);
        geometry.Slash(p);
        geometry.Slash(p + v);
        break;
    case KTLineEndDoubleOpenArrow:
        geometry.OpenArrow(p - v);
        geometry.OpenArrow(p);
        break;
    case KTLineEndDoubleFilledArrow:
        geometry.FilledArrow(p - v);
        geometry.FilledArrow(p);
        break;
    case KTLineEndDoubleNotchedArrow:
        geometry.NotchedArrow(p - v);
        geometry.NotchedArrow(p);
        break;
    case KTLineEndWhiteCircle:
        dc.SelectStockObject(KTStockObject::WhiteBrush);
        geometry.Circle(p, length);
        break;
    case KTLineEndHollowCircle:
        dc.SelectStockObject(KTStockObject::NullBrush);
        geometry.Circle(p, length);
        break;
    case KTLineEndBrushCircle:
    case KTLineEndColourCircle: geometry.Circle(p, length); break;
    default: break;
    }

    dc.SelectObject(previousBrush);
    pen.Restore(dc);
}

void KTLineEndPainter::DrawAt(KTDC& dc, int x, int y, int fromX, int fromY, int style, int size, bool offset,
                              COLORREF colour) const
{
    Draw(dc, KTPoint(x, y), KTPoint(fromX, fromY), static_cast<KTLineEndStyle>(style), size, offset, colour);
}
