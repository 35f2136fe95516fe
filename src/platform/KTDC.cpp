#include "platform/KTDC.h"

#include "platform/KTLineRaster.h"
#include "platform/KTPartTaker.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPaintEngine>
#include <QPen>
#include <QPolygonF>
#include <QRegion>
#include <QSemaphore>
#include <QThreadPool>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

struct KTDC::FontCache
{
    KTFont font;
    double scaleX;
    double scaleY;
    QFont qfont;
};

struct KTDC::Saved
{
    int mapMode;
    CPoint windowOrg;
    CPoint viewportOrg;
    CSize windowExt;
    CSize viewportExt;
    State state;
};

namespace {

/// part(p) for every p < parts, taken in turn by the caller and by as many of the pool's threads
/// as are free; the first exception of a part is thrown again on the caller once all are done.
void RunParts(int parts, const std::function<void(int)>& part)
{
    KTPartTaker taker(parts, part);
    QThreadPool* pool = QThreadPool::globalInstance();
    QSemaphore done;
    int started = 0;
    const int helpers = std::min(parts, pool->maxThreadCount()) - 1;
    for (int k = 0; k < helpers; ++k) {
        if (!pool->tryStart([&taker, &done] {
                taker.Work();
                done.release();
            }))
            break;
        ++started;
    }
    taker.Work();
    done.acquire(started);
    taker.RethrowFailure();
}

// Device units; about 85 cm at 300 dpi, more than any page needs.
constexpr double kMaxFontEm = 10000.0;

int RoundToInt(double v)
{
    if (std::isnan(v))
        return 0;
    v = std::clamp(v, -2147483648.0, 2147483647.0);
    return static_cast<int>(std::lround(v));
}

QColor ToQColor(COLORREF c)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

// Units per inch of the fixed metric modes.
int MetricUnitsPerInch(int mode)
{
    switch (mode) {
    case MM_LOMETRIC: return 254;
    case MM_HIMETRIC: return HIMETRIC_INCH;
    case MM_LOENGLISH: return 100;
    case MM_HIENGLISH: return 1000;
    case MM_TWIPS: return 1440;
    default: return 0;
    }
}

bool IsScalableMode(int mode)
{
    return mode == MM_ISOTROPIC || mode == MM_ANISOTROPIC;
}

Qt::BrushStyle HatchStyle(int hatch)
{
    switch (hatch) {
    case HS_HORIZONTAL: return Qt::HorPattern;
    case HS_VERTICAL: return Qt::VerPattern;
    case HS_FDIAGONAL: return Qt::FDiagPattern;
    case HS_BDIAGONAL: return Qt::BDiagPattern;
    case HS_CROSS: return Qt::CrossPattern;
    case HS_DIAGCROSS: return Qt::DiagCrossPattern;
    default: return Qt::SolidPattern;
    }
}

// Device units a dropped polyline point may lie off the line that replaces it: far below what
// antialiasing shows.
constexpr double kPolylineTolerance = 0.1;
// Points dropped in a row at most, which bounds the cost of the test.
constexpr int kMaxDroppedRun = 16;
// Device units from the origin within which a polyline's points are tested by the cheaper
// arithmetic of AllWithinTolerance, and the relative margin that arithmetic decides by.
constexpr double kNearDevice = 1.0e5;
constexpr double kDecisionMargin = 1.0e-6;

/// The squared distance of p from the segment from a to a + d, of squared length length2.
double SquaredDistanceToSegment(QPointF p, QPointF a, QPointF d, double length2)
{
    double t = length2 > 0 ? QPointF::dotProduct(p - a, d) / length2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    const QPointF off = p - (a + d * t);
    return QPointF::dotProduct(off, off);
}

/// Whether every one of points[from..to) lies within the tolerance of the segment from a to
/// a + d (of squared length length2). Two points at a time where the processor has the vector
/// operations, each lane doing SquaredDistanceToSegment's arithmetic in its order, so to the last
/// bit the same. With `near` (every coordinate within kNearDevice of the origin) most points are
/// decided without that arithmetic's division, by their distance from the line through the
/// segment, only where the division's answer cannot differ.
bool AllWithinTolerance(const QPointF* points, std::size_t from, std::size_t to, QPointF a, QPointF d,
                        double length2, bool near)
{
    constexpr double limit = kPolylineTolerance * kPolylineTolerance;
    std::size_t k = from;
#if defined(__SSE2__)
    static_assert(sizeof(QPointF) == 2 * sizeof(double));
    if (length2 > 0 && near) {
        // A point whose projection falls within the segment lies off it by |cross| / |d|, whose
        // square against the limit needs no division: cross^2 against limit x length2. Inside by
        // a relative margin the point is within the tolerance; outside by it, beyond (the
        // segment is no nearer than its line). The arithmetic above and this one differ by far
        // less than the margin on a device's coordinates (about 1e-10 of the limit), so they
        // decide alike; a point between the margins is left to the arithmetic above.
        const __m128d ax = _mm_set1_pd(a.x());
        const __m128d ay = _mm_set1_pd(a.y());
        const __m128d dx = _mm_set1_pd(d.x());
        const __m128d dy = _mm_set1_pd(d.y());
        const __m128d zero = _mm_setzero_pd();
        const __m128d squared = _mm_set1_pd(length2);
        const __m128d surelyIn = _mm_set1_pd(limit * length2 * (1.0 - kDecisionMargin));
        const __m128d surelyOut = _mm_set1_pd(limit * length2 * (1.0 + kDecisionMargin));
        for (; k + 1 < to; k += 2) {
            const auto* pair = reinterpret_cast<const double*>(points + k);
            const __m128d first = _mm_loadu_pd(pair);
            const __m128d second = _mm_loadu_pd(pair + 2);
            const __m128d ox = _mm_sub_pd(_mm_unpacklo_pd(first, second), ax);
            const __m128d oy = _mm_sub_pd(_mm_unpackhi_pd(first, second), ay);
            const __m128d dot = _mm_add_pd(_mm_mul_pd(ox, dx), _mm_mul_pd(oy, dy));
            const __m128d cross = _mm_sub_pd(_mm_mul_pd(ox, dy), _mm_mul_pd(oy, dx));
            const __m128d cross2 = _mm_mul_pd(cross, cross);
            if (_mm_movemask_pd(_mm_cmpgt_pd(cross2, surelyOut)) != 0)
                return false;
            const __m128d in = _mm_and_pd(_mm_and_pd(_mm_cmpge_pd(dot, zero), _mm_cmple_pd(dot, squared)),
                                          _mm_cmple_pd(cross2, surelyIn));
            const int decided = _mm_movemask_pd(in);
            if (decided == 3)
                continue;
            for (int lane = 0; lane < 2; ++lane)
                if (!(decided & (1 << lane)) && !(SquaredDistanceToSegment(points[k + static_cast<std::size_t>(lane)],
                                                                            a, d, length2) <= limit))
                    return false;
        }
    } else if (length2 > 0) {
        const __m128d ax = _mm_set1_pd(a.x());
        const __m128d ay = _mm_set1_pd(a.y());
        const __m128d dx = _mm_set1_pd(d.x());
        const __m128d dy = _mm_set1_pd(d.y());
        const __m128d squared = _mm_set1_pd(length2);
        const __m128d zero = _mm_setzero_pd();
        const __m128d one = _mm_set1_pd(1.0);
        const __m128d within = _mm_set1_pd(limit);
        for (; k + 1 < to; k += 2) {
            const auto* pair = reinterpret_cast<const double*>(points + k);
            const __m128d first = _mm_loadu_pd(pair);
            const __m128d second = _mm_loadu_pd(pair + 2);
            const __m128d px = _mm_unpacklo_pd(first, second);
            const __m128d py = _mm_unpackhi_pd(first, second);
            const __m128d dot =
                _mm_add_pd(_mm_mul_pd(_mm_sub_pd(px, ax), dx), _mm_mul_pd(_mm_sub_pd(py, ay), dy));
            const __m128d t = _mm_min_pd(_mm_max_pd(_mm_div_pd(dot, squared), zero), one);
            const __m128d offX = _mm_sub_pd(px, _mm_add_pd(ax, _mm_mul_pd(dx, t)));
            const __m128d offY = _mm_sub_pd(py, _mm_add_pd(ay, _mm_mul_pd(dy, t)));
            const __m128d distance = _mm_add_pd(_mm_mul_pd(offX, offX), _mm_mul_pd(offY, offY));
            if (_mm_movemask_pd(_mm_cmple_pd(distance, within)) != 3)
                return false;
        }
    }
#endif
    for (; k < to; ++k)
        if (!(SquaredDistanceToSegment(points[k], a, d, length2) <= limit))
            return false;
    return true;
}

// A small device with a chosen resolution, so that contexts without a painter resolve point
// sizes exactly as a painter on a device of that resolution would.
std::unique_ptr<QImage> MakeMeasureDevice(int dpiX, int dpiY)
{
    auto image = std::make_unique<QImage>(1, 1, QImage::Format_ARGB32_Premultiplied);
    image->setDotsPerMeterX(RoundToInt(dpiX / 0.0254));
    image->setDotsPerMeterY(RoundToInt(dpiY / 0.0254));
    return image;
}

} // namespace

// ---- construction ------------------------------------------------------------------------------

KTDC::KTDC(int dpiX, int dpiY, CSize deviceSize)
    : m_dpiX(std::max(1, dpiX)), m_dpiY(std::max(1, dpiY)), m_deviceSize(deviceSize)
{
    InitDefaults();
}

KTDC::KTDC(QPainter* painter)
{
    if (painter && painter->isActive() && painter->device()) {
        m_painter = painter;
        AttachPainter();
    }
    InitDefaults();
}

KTDC::KTDC(QPaintDevice* device)
{
    if (device) {
        m_ownedPainter = std::make_unique<QPainter>();
        if (m_ownedPainter->begin(device)) {
            m_painter = m_ownedPainter.get();
            AttachPainter();
        } else {
            m_ownedPainter.reset();
            m_dpiX = std::max(1, device->logicalDpiX());
            m_dpiY = std::max(1, device->logicalDpiY());
            m_deviceSize = CSize(device->width(), device->height());
        }
    }
    InitDefaults();
}

KTDC::~KTDC()
{
    if (m_painter && m_painterSaved)
        m_painter->restore();
    if (m_ownedPainter)
        m_ownedPainter->end();
}

void KTDC::AttachPainter()
{
    QPaintDevice* device = m_painter->device();
    m_dpiX = std::max(1, device->logicalDpiX());
    m_dpiY = std::max(1, device->logicalDpiY());
    m_deviceSize = CSize(device->width(), device->height());
    m_painter->save();
    m_painterSaved = true;
    m_initialClip = m_painter->hasClipping();
    if (m_initialClip)
        m_initialClipPath = std::make_unique<QPainterPath>(m_painter->clipPath());
    m_painter->setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                              QPainter::SmoothPixmapTransform);
}

void KTDC::InitDefaults()
{
    m_state = State();
    m_state.pen = KTPen::Stock(KTStockObject::BlackPen);
    m_state.brush = KTBrush::Stock(KTStockObject::WhiteBrush);
    m_state.font = KTFont::Stock(KTStockObject::SystemFont);
    m_mapMode = MM_TEXT;
    SetMetricExtents();
}

void KTDC::SetResolution(int dpiX, int dpiY)
{
    m_dpiX = std::max(1, dpiX);
    m_dpiY = std::max(1, dpiY);
    m_measureDevice.reset();
    m_fontCache.reset();
    if (!IsScalableMode(m_mapMode))
        SetMetricExtents();
}

int KTDC::GetDeviceCaps(int index) const
{
    switch (index) {
    case LOGPIXELSX: return m_dpiX;
    case LOGPIXELSY: return m_dpiY;
    case HORZRES:
    case PHYSICALWIDTH: return m_deviceSize.cx;
    case VERTRES:
    case PHYSICALHEIGHT: return m_deviceSize.cy;
    case HORZSIZE: return RoundToInt(m_deviceSize.cx * 25.4 / m_dpiX);
    case VERTSIZE: return RoundToInt(m_deviceSize.cy * 25.4 / m_dpiY);
    default: return 0;
    }
}

// ---- mapping -----------------------------------------------------------------------------------

void KTDC::SetMetricExtents()
{
    const int perInch = MetricUnitsPerInch(m_mapMode);
    if (perInch == 0) {
        m_windowExt = CSize(1, 1);
        m_viewportExt = CSize(1, 1);
        return;
    }
    // The metric modes count y upwards.
    m_windowExt = CSize(perInch, perInch);
    m_viewportExt = CSize(m_dpiX, -m_dpiY);
}

int KTDC::SetMapMode(int mode)
{
    if (mode < MM_TEXT || mode > MM_ANISOTROPIC)
        return 0;
    const int previous = m_mapMode;
    m_mapMode = mode;
    // The scalable modes start from the scale in force, as the platform's do.
    if (!IsScalableMode(mode))
        SetMetricExtents();
    else if (mode == MM_ISOTROPIC)
        AdjustIsotropic();
    return previous;
}

CPoint KTDC::SetWindowOrg(int x, int y)
{
    const CPoint previous = m_windowOrg;
    m_windowOrg = CPoint(x, y);
    return previous;
}

CPoint KTDC::OffsetWindowOrg(int dx, int dy)
{
    return SetWindowOrg(m_windowOrg.x + dx, m_windowOrg.y + dy);
}

CPoint KTDC::SetViewportOrg(int x, int y)
{
    const CPoint previous = m_viewportOrg;
    m_viewportOrg = CPoint(x, y);
    return previous;
}

CPoint KTDC::OffsetViewportOrg(int dx, int dy)
{
    return SetViewportOrg(m_viewportOrg.x + dx, m_viewportOrg.y + dy);
}

CSize KTDC::SetWindowExt(int cx, int cy)
{
    const CSize previous = m_windowExt;
    if (!IsScalableMode(m_mapMode) || cx == 0 || cy == 0)
        return previous;
    m_windowExt = CSize(cx, cy);
    AdjustIsotropic();
    return previous;
}

CSize KTDC::SetViewportExt(int cx, int cy)
{
    const CSize previous = m_viewportExt;
    if (!IsScalableMode(m_mapMode) || cx == 0 || cy == 0)
        return previous;
    m_viewportExt = CSize(cx, cy);
    AdjustIsotropic();
    return previous;
}

void KTDC::AdjustIsotropic()
{
    if (m_mapMode != MM_ISOTROPIC)
        return;
    const double ax = std::abs(static_cast<double>(m_viewportExt.cx) / m_windowExt.cx);
    const double ay = std::abs(static_cast<double>(m_viewportExt.cy) / m_windowExt.cy);
    // Shrink the larger scale to the smaller one, keeping the directions.
    if (ax < ay) {
        const int cy = std::max(1, RoundToInt(std::abs(static_cast<double>(m_windowExt.cy)) * ax));
        m_viewportExt.cy = m_viewportExt.cy < 0 ? -cy : cy;
    } else if (ay < ax) {
        const int cx = std::max(1, RoundToInt(std::abs(static_cast<double>(m_windowExt.cx)) * ay));
        m_viewportExt.cx = m_viewportExt.cx < 0 ? -cx : cx;
    }
}

double KTDC::ScaleX() const
{
    return static_cast<double>(m_viewportExt.cx) / m_windowExt.cx;
}

double KTDC::ScaleY() const
{
    return static_cast<double>(m_viewportExt.cy) / m_windowExt.cy;
}

QPointF KTDC::ToDevice(double x, double y) const
{
    return QPointF((x - m_windowOrg.x) * ScaleX() + m_viewportOrg.x,
                   (y - m_windowOrg.y) * ScaleY() + m_viewportOrg.y);
}

QPointF KTDC::ToLogical(double x, double y) const
{
    return QPointF((x - m_viewportOrg.x) / ScaleX() + m_windowOrg.x,
                   (y - m_viewportOrg.y) / ScaleY() + m_windowOrg.y);
}

void KTDC::LPtoDP(CPoint* points, int count) const
{
    if (!points)
        return;
    for (int i = 0; i < count; ++i) {
        const QPointF d = ToDevice(points[i].x, points[i].y);
        points[i] = CPoint(RoundToInt(d.x()), RoundToInt(d.y()));
    }
}

void KTDC::LPtoDP(CRect* rect) const
{
    if (!rect)
        return;
    CPoint corners[2] = {rect->TopLeft(), rect->BottomRight()};
    LPtoDP(corners, 2);
    *rect = CRect(corners[0].x, corners[0].y, corners[1].x, corners[1].y);
}

void KTDC::LPtoDP(CSize* size) const
{
    if (!size)
        return;
    size->cx = RoundToInt(size->cx * std::abs(ScaleX()));
    size->cy = RoundToInt(size->cy * std::abs(ScaleY()));
}

void KTDC::DPtoLP(CPoint* points, int count) const
{
    if (!points)
        return;
    for (int i = 0; i < count; ++i) {
        const QPointF l = ToLogical(points[i].x, points[i].y);
        points[i] = CPoint(RoundToInt(l.x()), RoundToInt(l.y()));
    }
}

void KTDC::DPtoLP(CRect* rect) const
{
    if (!rect)
        return;
    CPoint corners[2] = {rect->TopLeft(), rect->BottomRight()};
    DPtoLP(corners, 2);
    *rect = CRect(corners[0].x, corners[0].y, corners[1].x, corners[1].y);
}

void KTDC::DPtoLP(CSize* size) const
{
    if (!size)
        return;
    size->cx = RoundToInt(size->cx / std::abs(ScaleX()));
    size->cy = RoundToInt(size->cy / std::abs(ScaleY()));
}

void KTDC::HIMETRICtoDP(CSize* size) const
{
    if (!size)
        return;
    size->cx = RoundToInt(static_cast<double>(size->cx) * m_dpiX / HIMETRIC_INCH);
    size->cy = RoundToInt(static_cast<double>(size->cy) * m_dpiY / HIMETRIC_INCH);
}

void KTDC::HIMETRICtoDP(CPoint* point) const
{
    if (!point)
        return;
    CSize size(point->x, point->y);
    HIMETRICtoDP(&size);
    *point = CPoint(size.cx, size.cy);
}

void KTDC::DPtoHIMETRIC(CSize* size) const
{
    if (!size)
        return;
    size->cx = RoundToInt(static_cast<double>(size->cx) * HIMETRIC_INCH / m_dpiX);
    size->cy = RoundToInt(static_cast<double>(size->cy) * HIMETRIC_INCH / m_dpiY);
}

void KTDC::DPtoHIMETRIC(CPoint* point) const
{
    if (!point)
        return;
    CSize size(point->x, point->y);
    DPtoHIMETRIC(&size);
    *point = CPoint(size.cx, size.cy);
}

void KTDC::HIMETRICtoLP(CSize* size) const
{
    if (!size)
        return;
    size->cx = RoundToInt(static_cast<double>(size->cx) * m_dpiX / HIMETRIC_INCH / std::abs(ScaleX()));
    size->cy = RoundToInt(static_cast<double>(size->cy) * m_dpiY / HIMETRIC_INCH / std::abs(ScaleY()));
}

void KTDC::LPtoHIMETRIC(CSize* size) const
{
    if (!size)
        return;
    size->cx = RoundToInt(size->cx * std::abs(ScaleX()) * HIMETRIC_INCH / m_dpiX);
    size->cy = RoundToInt(size->cy * std::abs(ScaleY()) * HIMETRIC_INCH / m_dpiY);
}

// ---- objects and attributes --------------------------------------------------------------------

KTPen KTDC::SelectObject(const KTPen& pen)
{
    if (!pen.IsCreated())
        return KTPen();
    return std::exchange(m_state.pen, pen);
}

KTBrush KTDC::SelectObject(const KTBrush& brush)
{
    if (!brush.IsCreated())
        return KTBrush();
    return std::exchange(m_state.brush, brush);
}

KTFont KTDC::SelectObject(const KTFont& font)
{
    if (!font.IsCreated())
        return KTFont();
    return std::exchange(m_state.font, font);
}

void KTDC::SelectStockObject(KTStockObject kind)
{
    SelectObject(KTPen::Stock(kind));
    SelectObject(KTBrush::Stock(kind));
    SelectObject(KTFont::Stock(kind));
}

COLORREF KTDC::SetTextColor(COLORREF colour)
{
    return std::exchange(m_state.textColour, colour & 0xFFFFFF);
}

COLORREF KTDC::SetBkColor(COLORREF colour)
{
    return std::exchange(m_state.bkColour, colour & 0xFFFFFF);
}

int KTDC::SetBkMode(int mode)
{
    if (mode != OPAQUE && mode != TRANSPARENT)
        return 0;
    return std::exchange(m_state.bkMode, mode);
}

unsigned KTDC::SetTextAlign(unsigned align)
{
    return std::exchange(m_state.textAlign, align);
}

int KTDC::SetPolyFillMode(int mode)
{
    if (mode != ALTERNATE && mode != WINDING)
        return 0;
    return std::exchange(m_state.polyFillMode, mode);
}

// ---- pens and brushes on the painter -----------------------------------------------------------

double KTDC::PenDeviceWidth() const
{
    const KTPen& pen = m_state.pen;
    if (pen.IsExtended() && !pen.IsGeometric())
        return 1.0;
    // A width of 0 is the thinnest line the device draws; nothing is drawn thinner than that.
    return std::max(1.0, pen.GetWidth() * std::abs(ScaleX()));
}

bool KTDC::PenDraws() const
{
    return m_state.pen.IsCreated() && !m_state.pen.IsNullPen();
}

QPen KTDC::MakeQPen() const
{
    const KTPen& pen = m_state.pen;
    if (!PenDraws())
        return QPen(Qt::NoPen);
    const double width = PenDeviceWidth();
    QPen qpen(ToQColor(pen.GetColor()), width);
    if (pen.IsGeometric()) {
        switch (pen.GetStyle() & PS_ENDCAP_MASK) {
        case PS_ENDCAP_FLAT: qpen.setCapStyle(Qt::FlatCap); break;
        case PS_ENDCAP_SQUARE: qpen.setCapStyle(Qt::SquareCap); break;
        default: qpen.setCapStyle(Qt::RoundCap); break;
        }
        switch (pen.GetStyle() & PS_JOIN_MASK) {
        case PS_JOIN_BEVEL: qpen.setJoinStyle(Qt::BevelJoin); break;
        case PS_JOIN_MITER: qpen.setJoinStyle(Qt::MiterJoin); break;
        default: qpen.setJoinStyle(Qt::RoundJoin); break;
        }
    } else {
        qpen.setCapStyle(Qt::RoundCap);
        qpen.setJoinStyle(Qt::RoundJoin);
    }

    // Dash lengths in device units: the thin-line pattern (scaled up on fine devices so a
    // dotted line stays visibly dotted on paper) or the pattern in multiples of the width,
    // whichever is longer.
    static const std::vector<double> kDash[] = {{18, 6}, {3, 3}, {9, 6, 3, 6}, {9, 3, 3, 3, 3, 3}};
    static const std::vector<double> kDashUnits[] = {{3, 1}, {1, 1}, {3, 1, 1, 1}, {3, 1, 1, 1, 1, 1}};
    const int dash = pen.GetDashStyle();
    if (dash >= PS_DASH && dash <= PS_DASHDOTDOT) {
        const double fine = std::max(1.0, m_dpiX / 96.0);
        const std::vector<double>& thin = kDash[dash - PS_DASH];
        const std::vector<double>& units = kDashUnits[dash - PS_DASH];
        QList<qreal> pattern;
        for (std::size_t i = 0; i < thin.size(); ++i)
            pattern.append(std::max(thin[i] * fine, units[i] * width) / width);
        if (!pen.IsGeometric())
            qpen.setCapStyle(Qt::FlatCap);
        qpen.setDashPattern(pattern);
    }
    return qpen;
}

void KTDC::StrokePath(const QPainterPath& path)
{
    if (!m_painter || !PenDraws())
        return;
    const QPen qpen = MakeQPen();
    // Styled lines fill their gaps with the background colour in OPAQUE mode.
    if (qpen.style() != Qt::SolidLine && m_state.bkMode == OPAQUE) {
        QPen gaps(ToQColor(m_state.bkColour), qpen.widthF());
        gaps.setCapStyle(Qt::FlatCap);
        gaps.setJoinStyle(qpen.joinStyle());
        m_painter->strokePath(path, gaps);
    }
    m_painter->strokePath(path, qpen);
}

bool KTDC::StrokeFast(const QPolygonF& points, bool closed)
{
    if (!m_painter || !PenDraws() || points.isEmpty())
        return false;
    const QPaintEngine* engine = m_painter->paintEngine();
    if (!engine || engine->type() != QPaintEngine::Raster || m_painter->opacity() != 1.0 ||
        m_painter->compositionMode() != QPainter::CompositionMode_SourceOver)
        return false;
    // The tiles are blended unscaled, so the painter may at most move them by whole units.
    const QTransform transform = m_painter->deviceTransform();
    if (transform.type() > QTransform::TxTranslate || transform.dx() != std::round(transform.dx()) ||
        transform.dy() != std::round(transform.dy()))
        return false;
    const QPen qpen = MakeQPen();
    const double width = qpen.widthF();
    // Lines of one unit are drawn by Qt's own thin-line stroker, which is faster still.
    if (width <= 1.0 || qpen.joinStyle() != Qt::RoundJoin ||
        (qpen.capStyle() != Qt::RoundCap && qpen.capStyle() != Qt::FlatCap))
        return false;

    QRect bounds = PaintableArea(transform);
    if (m_state.clipped)
        bounds &= m_state.clip.toAlignedRect();
    // One rasteriser per thread for every context: its tile buffers, grown to the largest stroke
    // once, are not allocated and faulted in again by each paint's new context. A stroke is
    // begun, laid and painted within this call, so contexts painting in turn never share one.
    static thread_local KTLineRaster raster;
    // An image painted as it is, with no clip of the painter's own, takes the pixels directly.
    QImage* image = nullptr;
    if (!m_initialClip && transform.type() == QTransform::TxNone && m_painter->device() &&
        m_painter->device()->devType() == QInternal::Image)
        image = static_cast<QImage*>(m_painter->device());
    const bool flat = qpen.capStyle() == Qt::FlatCap;
    if (qpen.style() == Qt::SolidLine) {
        raster.Begin(bounds, width);
        if (image)
            raster.BlendsInto(*image);
        raster.AddPolyline(points, closed, flat);
        raster.Paint(*m_painter, ToQColor(m_state.pen.GetColor()), image);
        return true;
    }
    // Styled lines fill their gaps with the background colour in OPAQUE mode.
    if (m_state.bkMode == OPAQUE) {
        raster.Begin(bounds, width);
        if (image)
            raster.SkipWhereAlready(*image, ToQColor(m_state.bkColour).rgb());
        raster.AddPolyline(points, closed, true);
        raster.Paint(*m_painter, ToQColor(m_state.bkColour), image);
    }
    std::vector<double> pattern;
    for (qreal length : qpen.dashPattern())
        pattern.push_back(length * width);
    raster.Begin(bounds, width);
    if (image)
        raster.BlendsInto(*image);
    raster.AddDashed(points, closed, pattern, flat);
    raster.Paint(*m_painter, ToQColor(m_state.pen.GetColor()), image);
    return true;
}

QRect KTDC::PaintableArea(const QTransform& transform) const
{
    // A widget's painter is redirected: its device is the widget, but the pixels go to the
    // window's backing store (or a grab of the whole window) at the widget's offset, which the
    // transform holds, and the system clip keeps the painting to the widget's part of it.
    const QPaintEngine* engine = m_painter->paintEngine();
    const QPaintDevice* target = engine ? engine->paintDevice() : nullptr;
    QRect area = target ? QRect(0, 0, target->width(), target->height())
                        : QRect(0, 0, m_deviceSize.cx, m_deviceSize.cy);
    const QRegion system = engine ? engine->systemClip() : QRegion();
    if (!system.isEmpty())
        area &= system.boundingRect();
    return area.translated(-static_cast<int>(transform.dx()), -static_cast<int>(transform.dy()));
}

QPolygonF KTDC::DevicePolyline(const CPoint* points, int count) const
{
    QPolygonF out;
    if (!points || count <= 0)
        return out;
    // ToPixelCentre's arithmetic, with the scales divided out once for all the points. The
    // working list outlives the call: a curve's points are converted a polyline at a time.
    const double scaleX = ScaleX();
    const double scaleY = ScaleY();
    static thread_local std::vector<QPointF> device;
    device.resize(static_cast<std::size_t>(count));
    double reach = 0; // the largest coordinate's size (NaN, were there one, leaves it so)
    for (int i = 0; i < count; ++i) {
        const double x = (points[i].x - static_cast<double>(m_windowOrg.x)) * scaleX + m_viewportOrg.x;
        const double y = (points[i].y - static_cast<double>(m_windowOrg.y)) * scaleY + m_viewportOrg.y;
        device[static_cast<std::size_t>(i)] = QPointF(x + 0.5, y + 0.5);
        reach = std::max({reach, std::abs(x + 0.5), std::abs(y + 0.5)});
    }
    const bool near = reach <= kNearDevice && !s_referencePolylinePath;
    out.reserve(count);
    out.append(device[0]);
    // A point goes when the line from the last kept point to the one after it passes within
    // the tolerance of it and of every point dropped since.
    std::size_t anchor = 0;
    for (std::size_t i = 2; i < device.size(); ++i) {
        bool fits = i - anchor <= kMaxDroppedRun;
        if (fits) {
            const QPointF a = device[anchor];
            const QPointF d = device[i] - a;
            fits = AllWithinTolerance(device.data(), anchor + 1, i, a, d, QPointF::dotProduct(d, d), near);
        }
        if (!fits) {
            anchor = i - 1;
            out.append(device[anchor]);
        }
    }
    if (count > 1)
        out.append(device.back());
    return out;
}

void KTDC::FillPath(const QPainterPath& path, const KTBrush& brush)
{
    if (!m_painter || !brush.IsCreated() || brush.IsNullBrush())
        return;
    const QColor colour = ToQColor(brush.GetColor());
    if (brush.GetStyle() != BS_HATCHED) {
        m_painter->fillPath(path, colour);
        return;
    }
    if (m_state.bkMode == OPAQUE)
        m_painter->fillPath(path, ToQColor(m_state.bkColour));
    QBrush hatch(colour, HatchStyle(brush.GetHatch()));
    // Hatch lines keep their spacing in inches on fine devices.
    const double fine = std::max(1.0, m_dpiX / 96.0);
    hatch.setTransform(QTransform::fromScale(fine, fine));
    m_painter->fillPath(path, hatch);
}

// ---- lines and shapes --------------------------------------------------------------------------

KTDCRecord KTDC::MakeRecord(KTDCRecordKind kind) const
{
    KTDCRecord record;
    record.kind = kind;
    record.pen = m_state.pen;
    record.brush = m_state.brush;
    record.font = m_state.font;
    record.textAlign = m_state.textAlign;
    record.colour = m_state.textColour;
    record.bkMode = m_state.bkMode;
    record.polyFillMode = m_state.polyFillMode;
    return record;
}

void KTDC::Record(KTDCRecord record)
{
    if (m_recording)
        m_records.push_back(std::move(record));
}

QPointF KTDC::ToPixelCentre(CPoint p) const
{
    // The platform addresses pixels by their corner, Qt by their edges: half a unit over puts a
    // one-unit line exactly on its pixels.
    return ToDevice(p.x, p.y) + QPointF(0.5, 0.5);
}

CPoint KTDC::MoveTo(int x, int y)
{
    return std::exchange(m_state.position, CPoint(x, y));
}

bool KTDC::LineTo(int x, int y)
{
    const CPoint from = m_state.position;
    const CPoint to(x, y);
    m_state.position = to;
    if (m_recording) {
        KTDCRecord record = MakeRecord(KTDCRecordKind::Line);
        record.points = {from, to};
        Record(std::move(record));
    }
    if (!m_painter)
        return true;
    const QPolygonF line{ToPixelCentre(from), ToPixelCentre(to)};
    if (StrokeFast(line, false))
        return true;
    QPainterPath path(line[0]);
    path.lineTo(line[1]);
    StrokePath(path);
    return true;
}

bool KTDC::Polyline(const CPoint* points, int count)
{
    if (!points || count < 2)
        return false;
    if (m_recording) {
        KTDCRecord record = MakeRecord(KTDCRecordKind::Polyline);
        record.points.assign(points, points + count);
        Record(std::move(record));
    }
    DrawPolyline(points, count);
    return true;
}

bool KTDC::ThinRasterPen(QPen& pen) const
{
    // A thin solid line on an image goes to Qt's thin-line stroker as the polyline it is, the
    // pixels of the path without the path: a dense implicit plot draws hundreds of thousands
    // of short lines, each of which would otherwise make a path and set the pen twice.
    const QPaintEngine* engine = m_painter ? m_painter->paintEngine() : nullptr;
    if (!engine || engine->type() != QPaintEngine::Raster)
        return false;
    pen = MakeQPen();
    return pen.style() == Qt::SolidLine && pen.widthF() <= 1.0;
}

void KTDC::DrawPolyline(const CPoint* points, int count)
{
    if (!m_painter || !PenDraws())
        return;
    const QPolygonF line = DevicePolyline(points, count);
    // Thin pens first: the lines of a curve then make their pen once.
    QPen thin;
    if (ThinRasterPen(thin)) {
        m_painter->setPen(thin);
        m_painter->drawPolyline(line);
        return;
    }
    if (StrokeFast(line, false))
        return;
    QPainterPath path;
    path.addPolygon(line);
    StrokePath(path);
}

bool KTDC::PolyPolyline(const CPoint* points, const int* counts, int polylines)
{
    if (!points || !counts || polylines <= 0)
        return false;
    QPen thin;
    // One path of every polyline goes to the thin-line stroker in one call, which strokes each
    // of its pieces as drawPolyline would: the cost of a call is that of a short line's pixels.
    const bool atOnce = !m_recording && m_painter && PenDraws() && ThinRasterPen(thin);
    if (atOnce && ThinPolylinesInRows(points, counts, polylines, thin))
        return true;
    QPainterPath path;
    const CPoint* at = points;
    for (int k = 0; k < polylines; ++k) {
        if (atOnce && counts[k] >= 2) {
            const QPolygonF line = DevicePolyline(at, counts[k]);
            path.moveTo(line[0]);
            for (qsizetype i = 1; i < line.size(); ++i)
                path.lineTo(line[i]);
        } else {
            Polyline(at, counts[k]);
        }
        at += counts[k];
    }
    if (atOnce && !path.isEmpty()) {
        m_painter->setPen(thin);
        m_painter->setBrush(Qt::NoBrush);
        m_painter->drawPath(path);
    }
    return true;
}

bool KTDC::ThinPolylinesInRows(const CPoint* points, const int* counts, int polylines, const QPen& thin)
{
    // Qt's thin-line stroker clips a line to the device before it steps along it, and keeps to
    // the clip pixel by pixel. Painters on images over the same pixels, each clipped to rows of
    // its own, therefore lay in those rows the pixels one painter lays, each pixel's lines in
    // their order: the picture is the same, to the bit, and drawn on all the processors.
    QPaintDevice* device = m_painter->device();
    if (!device || device->devType() != QInternal::Image || m_initialClip ||
        m_painter->deviceTransform().type() != QTransform::TxNone || m_painter->opacity() != 1.0 ||
        m_painter->compositionMode() != QPainter::CompositionMode_SourceOver)
        return false;
    QImage& image = *static_cast<QImage*>(device);
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32_Premultiplied)
        return false;
    long long total = 0;
    for (int k = 0; k < polylines; ++k)
        total += counts[k] >= 2 ? counts[k] : 0;
    const int threads = std::min(8, QThreadPool::globalInstance()->maxThreadCount());
    if (total < s_threadedPolylinePoints || threads < 2 || image.height() < 2)
        return false;
    if (m_state.clipped && m_state.clip.isEmpty())
        return true;

    // The lines in device units, a run of them at a time, with the rows they may touch (a thin
    // antialiased line reaches the pixels beside its own).
    struct Line
    {
        int begin, end; ///< its points in the run's list
        int top, bottom;
    };
    struct Run
    {
        int first, last; ///< its lines
        std::vector<QPointF> points;
        std::vector<Line> lines;
    };
    const int runs = std::min(polylines, 4 * threads);
    std::vector<Run> lineRuns(static_cast<std::size_t>(runs));
    std::vector<const CPoint*> starts(static_cast<std::size_t>(polylines));
    const CPoint* at = points;
    for (int k = 0; k < polylines; ++k) {
        starts[static_cast<std::size_t>(k)] = at;
        at += counts[k];
    }
    for (int r = 0; r < runs; ++r) {
        lineRuns[static_cast<std::size_t>(r)].first = static_cast<int>(static_cast<long long>(polylines) * r / runs);
        lineRuns[static_cast<std::size_t>(r)].last =
            static_cast<int>(static_cast<long long>(polylines) * (r + 1) / runs);
    }
    RunParts(runs, [&](int r) {
        Run& run = lineRuns[static_cast<std::size_t>(r)];
        for (int k = run.first; k < run.last; ++k) {
            if (counts[k] < 2)
                continue;
            const QPolygonF line = DevicePolyline(starts[static_cast<std::size_t>(k)], counts[k]);
            double low = line[0].y(), high = low;
            for (const QPointF& p : line) {
                low = std::min(low, p.y());
                high = std::max(high, p.y());
            }
            const int begin = static_cast<int>(run.points.size());
            run.points.insert(run.points.end(), line.begin(), line.end());
            run.lines.push_back({begin, static_cast<int>(run.points.size()),
                                 static_cast<int>(std::clamp(std::floor(low) - 2.0, -1e9, 1e9)),
                                 static_cast<int>(std::clamp(std::ceil(high) + 2.0, -1e9, 1e9))});
        }
    });

    // Bands of rows, more than the threads, taken as each is done.
    const int bands = std::min(image.height(), 4 * threads);
    uchar* bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    RunParts(bands, [&](int b) {
        const int top = static_cast<int>(static_cast<long long>(image.height()) * b / bands);
        const int bottom = static_cast<int>(static_cast<long long>(image.height()) * (b + 1) / bands);
        QPainterPath path;
        for (const Run& run : lineRuns)
            for (const Line& line : run.lines) {
                if (line.bottom < top || line.top >= bottom)
                    continue;
                path.moveTo(run.points[static_cast<std::size_t>(line.begin)]);
                for (int i = line.begin + 1; i < line.end; ++i)
                    path.lineTo(run.points[static_cast<std::size_t>(i)]);
            }
        if (path.isEmpty())
            return;
        QImage rows(bits, image.width(), image.height(), stride, image.format());
        QPainter painter(&rows);
        painter.setRenderHints(m_painter->renderHints());
        // The painter's own clip as it was set, then the band's rows.
        if (m_state.clipped)
            painter.setClipRect(m_state.clip, Qt::ReplaceClip);
        painter.setClipRect(QRect(0, top, image.width(), bottom - top),
                            m_state.clipped ? Qt::IntersectClip : Qt::ReplaceClip);
        painter.setPen(thin);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
    });
    return true;
}

bool KTDC::Polygon(const CPoint* points, int count)
{
    if (!points || count < 2)
        return false;
    if (m_recording) {
        KTDCRecord record = MakeRecord(KTDCRecordKind::Polygon);
        record.points.assign(points, points + count);
        Record(std::move(record));
    }
    QPainterPath path(ToPixelCentre(points[0]));
    for (int i = 1; i < count; ++i)
        path.lineTo(ToPixelCentre(points[i]));
    path.closeSubpath();
    path.setFillRule(m_state.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    FillPath(path, m_state.brush);
    if (m_painter && PenDraws() && !StrokeFast(DevicePolyline(points, count), true))
        StrokePath(path);
    return true;
}

QRectF KTDC::DeviceBox(int left, int top, int right, int bottom) const
{
    // Boxes snap to whole device units, as the platform's do: fills that meet leave no seam and
    // one-unit outlines stay sharp.
    const QPointF a = ToDevice(left, top);
    const QPointF b = ToDevice(right, bottom);
    return QRectF(QPointF(std::round(a.x()), std::round(a.y())),
                  QPointF(std::round(b.x()), std::round(b.y())))
        .normalized();
}

QRectF KTDC::OutlineBox(const QRectF& box) const
{
    // The outline runs inside the box: half a unit in for ordinary pens (so a one-unit pen covers
    // the box's edge pixels, the right and bottom ones excluded), half the width in for an
    // inside-frame pen; a box with no pen is filled one unit smaller.
    if (!PenDraws())
        return box.adjusted(0, 0, -1, -1);
    double inset = 0.5;
    if (m_state.pen.GetDashStyle() == PS_INSIDEFRAME)
        inset = std::max(0.5, PenDeviceWidth() / 2);
    inset = std::min({inset, box.width() / 2, box.height() / 2});
    return box.adjusted(inset, inset, -inset, -inset);
}

bool KTDC::Rectangle(int left, int top, int right, int bottom)
{
    if (m_recording) {
        KTDCRecord record = MakeRecord(KTDCRecordKind::Rectangle);
        record.points = {CPoint(left, top), CPoint(right, bottom)};
        Record(std::move(record));
    }
    if (!m_painter)
        return true;
    QPainterPath path;
    path.addRect(OutlineBox(DeviceBox(left, top, right, bottom)));
    FillPath(path, m_state.brush);
    StrokePath(path);
    return true;
}

bool KTDC::Ellipse(int left, int top, int right, int bottom)
{
    if (m_recording) {
        KTDCRecord record = MakeRecord(KTDCRecordKind::Ellipse);
        record.points = {CPoint(left, top), CPoint(right, bottom)};
        Record(std::move(record));
    }
    if (!m_painter)
        return true;
    const QRectF box = OutlineBox(DeviceBox(left, top, right, bottom));
    QPainterPath path;
    path.addEllipse(box);
    FillPath(path, m_state.brush);
    if (!PenDraws())
        return true;
    // The outline as a polygon of chords about two units long, which stray from the ellipse by
    // far less than a unit; dotted grid circles come out at a fraction of a dashed path's cost.
    const double rx = box.width() / 2;
    const double ry = box.height() / 2;
    const int corners = std::clamp(static_cast<int>(std::ceil(std::numbers::pi * (rx + ry) / 2)), 12, 8192);
    QPolygonF outline;
    outline.reserve(corners);
    // From the rightmost point, anticlockwise on the device, as the path runs; the unit vector
    // is turned by a fixed rotation rather than by a sine and cosine per corner.
    const double step = 2 * std::numbers::pi / corners;
    const double turnCos = std::cos(step);
    const double turnSin = std::sin(step);
    double c = 1.0;
    double sn = 0.0;
    for (int i = 0; i < corners; ++i) {
        outline.append(QPointF(box.center().x() + rx * c, box.center().y() - ry * sn));
        const double next = c * turnCos - sn * turnSin;
        sn = sn * turnCos + c * turnSin;
        c = next;
    }
    if (!StrokeFast(outline, true))
        StrokePath(path);
    return true;
}

bool KTDC::Pie(const CRect& rect, CPoint start, CPoint end)
{
    if (m_recording) {
        KTDCRecord record = MakeRecord(KTDCRecordKind::Pie);
        record.points = {rect.TopLeft(), rect.BottomRight(), start, end};
        Record(std::move(record));
    }
    if (!m_painter)
        return true;
    const QRectF box = OutlineBox(DeviceBox(rect.left, rect.top, rect.right, rect.bottom));
    if (box.width() <= 0 || box.height() <= 0)
        return true;
    const QPointF centre = box.center();
    // Angles on the ellipse's own parameter, anticlockwise on the device (y grows downwards).
    auto angleOf = [&](CPoint p) {
        const QPointF d = ToDevice(p.x, p.y);
        return std::atan2(-(d.y() - centre.y()) / box.height(), (d.x() - centre.x()) / box.width()) * 180.0 /
               std::numbers::pi;
    };
    const double from = angleOf(start);
    double sweep = angleOf(end) - from;
    while (sweep <= 0)
        sweep += 360.0;
    QPainterPath path(centre);
    path.arcTo(box, from, sweep);
    path.closeSubpath();
    FillPath(path, m_state.brush);
    StrokePath(path);
    return true;
}

COLORREF KTDC::SetPixel(int x, int y, COLORREF colour)
{
    colour &= 0xFFFFFF;
    if (m_recording) {
        KTDCRecord record = MakeRecord(KTDCRecordKind::Pixel);
        record.points = {CPoint(x, y)};
        record.colour = colour;
        Record(std::move(record));
    }
    if (m_painter) {
        const QPointF d = ToDevice(x, y);
        m_painter->save();
        m_painter->setRenderHint(QPainter::Antialiasing, false);
        m_painter->fillRect(QRectF(std::floor(d.x() + 0.5), std::floor(d.y() + 0.5), 1, 1), ToQColor(colour));
        m_painter->restore();
    }
    return colour;
}

void KTDC::FillSolidRect(const CRect& rect, COLORREF colour)
{
    colour &= 0xFFFFFF;
    if (m_recording) {
        KTDCRecord record = MakeRecord(KTDCRecordKind::FillRect);
        record.points = {rect.TopLeft(), rect.BottomRight()};
        record.colour = colour;
        record.brush = KTBrush(colour);
        Record(std::move(record));
    }
    if (m_painter)
        m_painter->fillRect(DeviceBox(rect.left, rect.top, rect.right, rect.bottom), ToQColor(colour));
}

void KTDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF colour)
{
    FillSolidRect(CRect(x, y, x + cx, y + cy), colour);
}

void KTDC::FillRect(const CRect& rect, const KTBrush& brush)
{
    if (m_recording) {
        KTDCRecord record = MakeRecord(KTDCRecordKind::FillRect);
        record.points = {rect.TopLeft(), rect.BottomRight()};
        record.colour = brush.GetColor();
        record.brush = brush;
        Record(std::move(record));
    }
    QPainterPath path;
    path.addRect(DeviceBox(rect.left, rect.top, rect.right, rect.bottom));
    FillPath(path, brush);
}

// ---- text --------------------------------------------------------------------------------------

QString KTDC::DecodeText(const CString& text, const KTFont& font)
{
    if (!font.IsSymbolFont())
        return text.ToQString();
    // The Symbol face's single-byte codes go to Qt as Latin-1 characters; Qt finds them in the
    // face's own encoding ('a' is alpha, 0xF2 the integral sign).
    QString out;
    out.reserve(text.GetLength());
    for (char c : text.str())
        out.append(QChar(static_cast<unsigned char>(c)));
    return out;
}

QPaintDevice* KTDC::MeasureDevice() const
{
    if (m_painter)
        return m_painter->device();
    if (!m_measureDevice)
        m_measureDevice = MakeMeasureDevice(m_dpiX, m_dpiY);
    return m_measureDevice.get();
}

QFont KTDC::DeviceFont() const
{
    // Measuring asks for the same font many times in a row (every token of an equation).
    if (m_fontCache && m_fontCache->font == m_state.font && m_fontCache->scaleX == ScaleX() &&
        m_fontCache->scaleY == ScaleY())
        return m_fontCache->qfont;
    const LOGFONT& lf = m_state.font.GetLogFont();
    QPaintDevice* device = MeasureDevice();
    const int deviceDpi = std::max(1, device->logicalDpiY());
    double em;
    if (lf.lfHeight == 0) {
        em = 12.0 * m_dpiY / 72.0; // a default size: 12 points
    } else {
        const double height = std::abs(static_cast<double>(lf.lfHeight)) * std::abs(ScaleY());
        if (lf.lfHeight < 0) {
            em = height;
        } else {
            // A positive height is the cell (ascent + descent), not the em.
            const QFontMetricsF reference(m_state.font.ToQFont(100.0, deviceDpi), device);
            const double cell = reference.ascent() + reference.descent();
            em = cell > 0 ? height * 100.0 / cell : height;
        }
    }
    // A height from a damaged file must not ask the font engine for a glyph the size of a house.
    em = std::min(em, kMaxFontEm);
    QFont font = m_state.font.ToQFont(em, deviceDpi);
    if (lf.lfWidth != 0) {
        const QFontMetricsF natural(font, device);
        const double wanted = std::abs(static_cast<double>(lf.lfWidth)) * std::abs(ScaleX());
        if (natural.averageCharWidth() > 0)
            font.setStretch(std::clamp(RoundToInt(100.0 * wanted / natural.averageCharWidth()), 1, 4000));
    }
    m_fontCache = std::make_unique<FontCache>(FontCache{m_state.font, ScaleX(), ScaleY(), font});
    return font;
}

CSize KTDC::GetTextExtent(const CString& text) const
{
    const QFont font = DeviceFont();
    const QFontMetricsF metrics(font, MeasureDevice());
    const double width = metrics.horizontalAdvance(DecodeText(text, m_state.font));
    const double height = metrics.ascent() + metrics.descent();
    return CSize(RoundToInt(width / std::abs(ScaleX())), RoundToInt(height / std::abs(ScaleY())));
}

CSize KTDC::GetTextExtent(const char* text, int count) const
{
    if (!text || count <= 0)
        return GetTextExtent(CString());
    return GetTextExtent(CString(text, count));
}

bool KTDC::GetTextMetrics(TEXTMETRIC* tm) const
{
    if (!tm)
        return false;
    const QFont font = DeviceFont();
    const QFontMetricsF metrics(font, MeasureDevice());
    const double sy = std::abs(ScaleY());
    const double sx = std::abs(ScaleX());
    const int height = RoundToInt((metrics.ascent() + metrics.descent()) / sy);
    tm->tmHeight = height;
    tm->tmAscent = RoundToInt(metrics.ascent() / sy);
    tm->tmDescent = height - tm->tmAscent;
    const double emDevice = font.pointSizeF() * MeasureDevice()->logicalDpiY() / 72.0;
    tm->tmInternalLeading = std::max(0, height - RoundToInt(emDevice / sy));
    tm->tmExternalLeading = std::max(0, RoundToInt(metrics.leading() / sy));
    tm->tmAveCharWidth = RoundToInt(metrics.averageCharWidth() / sx);
    tm->tmMaxCharWidth = RoundToInt(metrics.maxWidth() / sx);
    const int weight = m_state.font.GetLogFont().lfWeight;
    tm->tmWeight = weight <= 0 ? FW_NORMAL : weight;
    return true;
}

bool KTDC::GetGlyphMetrics(char character, GLYPHMETRICS* metrics) const
{
    if (!metrics)
        return false;
    // The outline is read at a large size and scaled down: at a few pixels the font engine's
    // boxes are rounded out to whole pixels, which would move tall glyphs built from pieces.
    constexpr int kReferencePixels = 1000;
    const QFont font = DeviceFont();
    QFont reference(font);
    reference.setPixelSize(kReferencePixels);
    const QString text = DecodeText(CString(character), m_state.font);
    QPainterPath outline;
    outline.addText(QPointF(0, 0), reference, text);
    const QRectF box = outline.boundingRect();
    const double em = font.pointSizeF() * MeasureDevice()->logicalDpiY() / 72.0 / kReferencePixels;
    const double sx = em / std::abs(ScaleX());
    const double sy = em / std::abs(ScaleY());
    *metrics = GLYPHMETRICS();
    if (!box.isEmpty()) {
        const int left = RoundToInt(box.left() * sx);
        const int top = RoundToInt(-box.top() * sy);
        metrics->gmBlackBoxX = RoundToInt(box.right() * sx) - left;
        metrics->gmBlackBoxY = top + RoundToInt(box.bottom() * sy);
        metrics->gmptGlyphOrigin = CPoint(left, top);
    }
    metrics->gmCellIncX = RoundToInt(QFontMetricsF(reference).horizontalAdvance(text) * sx);
    return true;
}

bool KTDC::TextOut(int x, int y, const CString& text)
{
    return DrawText(x, y, 0, nullptr, text);
}

bool KTDC::ExtTextOut(int x, int y, unsigned options, const CRect* rect, const CString& text)
{
    return DrawText(x, y, options, rect, text);
}

bool KTDC::DrawText(int x, int y, unsigned options, const CRect* rect, const CString& text)
{
    const bool updateCp = (m_state.textAlign & TA_UPDATECP) != 0;
    const CPoint at = updateCp ? m_state.position : CPoint(x, y);
    if (m_recording) {
        KTDCRecord record = MakeRecord(KTDCRecordKind::Text);
        record.points = {at};
        if (rect)
            record.points.push_back(rect->TopLeft()), record.points.push_back(rect->BottomRight());
        record.text = text;
        record.textOptions = options;
        Record(std::move(record));
    }

    const QFont font = DeviceFont();
    const QFontMetricsF metrics(font, MeasureDevice());
    const QString unicode = DecodeText(text, m_state.font);
    const double width = metrics.horizontalAdvance(unicode);
    const double angle = m_state.font.GetLogFont().lfEscapement / 10.0;

    if (updateCp) {
        // The current position moves along the text's direction by its advance.
        const double radians = angle * std::numbers::pi / 180.0;
        const QPointF start = ToDevice(at.x, at.y);
        const QPointF next = start + QPointF(width * std::cos(radians), -width * std::sin(radians));
        const QPointF logical = ToLogical(next.x(), next.y());
        m_state.position = CPoint(RoundToInt(logical.x()), RoundToInt(logical.y()));
    }
    if (!m_painter)
        return true;

    m_painter->save();
    if (rect && (options & (ETO_OPAQUE | ETO_CLIPPED))) {
        const QRectF box = DeviceBox(rect->left, rect->top, rect->right, rect->bottom);
        if (options & ETO_OPAQUE)
            m_painter->fillRect(box, ToQColor(m_state.bkColour));
        if (options & ETO_CLIPPED)
            m_painter->setClipRect(box, Qt::IntersectClip);
    }

    double dx = 0;
    switch (m_state.textAlign & TA_HORZ_MASK) {
    case TA_CENTER: dx = -width / 2; break;
    case TA_RIGHT: dx = -width; break;
    default: break;
    }
    double baseline = 0;
    switch (m_state.textAlign & TA_VERT_MASK) {
    case TA_BASELINE: baseline = 0; break;
    case TA_BOTTOM: baseline = -metrics.descent(); break;
    default: baseline = metrics.ascent(); break;
    }

    // Text stands upright on the device whatever the mapping does to y; only the escapement,
    // anticlockwise in tenths of a degree, turns it about its reference point.
    m_painter->translate(ToDevice(at.x, at.y));
    if (angle != 0)
        m_painter->rotate(-angle);
    if (m_state.bkMode == OPAQUE)
        m_painter->fillRect(
            QRectF(dx, baseline - metrics.ascent(), width, metrics.ascent() + metrics.descent()),
            ToQColor(m_state.bkColour));
    m_painter->setFont(font);
    m_painter->setPen(ToQColor(m_state.textColour));
    m_painter->drawText(QPointF(dx, baseline), unicode);
    m_painter->restore();
    return true;
}

// ---- clipping and state ------------------------------------------------------------------------

void KTDC::ApplyClip()
{
    if (!m_painter)
        return;
    if (m_initialClip && m_initialClipPath) {
        m_painter->setClipPath(*m_initialClipPath, Qt::ReplaceClip);
        if (m_state.clipped)
            m_painter->setClipRect(m_state.clip, Qt::IntersectClip);
    } else if (m_state.clipped) {
        m_painter->setClipRect(m_state.clip, Qt::ReplaceClip);
    } else {
        m_painter->setClipping(false);
    }
}

int KTDC::IntersectClipRect(int left, int top, int right, int bottom)
{
    QRectF box = DeviceBox(left, top, right, bottom);
    if (m_state.clipped)
        box = box.intersected(m_state.clip);
    m_state.clipped = true;
    m_state.clip = box.isValid() ? box : QRectF();
    ApplyClip();
    return m_state.clip.isEmpty() ? NULLREGION : SIMPLEREGION;
}

int KTDC::SelectClipRect(const CRect* rect)
{
    if (!rect) {
        m_state.clipped = false;
        m_state.clip = QRectF();
        ApplyClip();
        return SIMPLEREGION;
    }
    m_state.clipped = false;
    return IntersectClipRect(*rect);
}

int KTDC::GetClipBox(CRect* rect) const
{
    if (!rect)
        return KT_REGION_ERROR;
    const QRectF box = m_state.clipped ? m_state.clip : QRectF(0, 0, m_deviceSize.cx, m_deviceSize.cy);
    const QPointF a = ToLogical(box.left(), box.top());
    const QPointF b = ToLogical(box.right(), box.bottom());
    *rect = CRect(RoundToInt(a.x()), RoundToInt(a.y()), RoundToInt(b.x()), RoundToInt(b.y()));
    return box.isEmpty() ? NULLREGION : SIMPLEREGION;
}

int KTDC::SaveDC()
{
    m_saved.push_back(Saved{m_mapMode, m_windowOrg, m_viewportOrg, m_windowExt, m_viewportExt, m_state});
    return static_cast<int>(m_saved.size());
}

bool KTDC::RestoreDC(int level)
{
    const int count = static_cast<int>(m_saved.size());
    const int index = level < 0 ? count + level : level - 1;
    if (level == 0 || index < 0 || index >= count)
        return false;
    const Saved& saved = m_saved[static_cast<std::size_t>(index)];
    m_mapMode = saved.mapMode;
    m_windowOrg = saved.windowOrg;
    m_viewportOrg = saved.viewportOrg;
    m_windowExt = saved.windowExt;
    m_viewportExt = saved.viewportExt;
    m_state = saved.state;
    m_saved.resize(static_cast<std::size_t>(index));
    ApplyClip();
    return true;
}
