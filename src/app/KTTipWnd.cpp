#include "app/KTTipWnd.h"

#include "foundation/KTFontSelector.h"
#include "platform/KTBrush.h"
#include "platform/KTDC.h"
#include "platform/KTPen.h"
#include "typeset/KTEEquation.h"
#include "typeset/KTEOptions.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPaintEvent>

#include <algorithm>
#include <cstdlib>
#include <exception>

namespace {
/// Room around the lines: the box is this much larger than the text, and the window larger
/// again by the same so that the box keeps clear of the mouse.
constexpr int kMargin = 300;
constexpr int kLineInset = 150;
constexpr double kFontFactor = 0.7;

} // namespace

KTTipWnd::KTTipWnd(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ITS ME"));
    setWindowTitle(QStringLiteral("ITS ME"));
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &KTTipWnd::OnTimer);
    hide();
}

KTTipWnd::~KTTipWnd() = default;

void KTTipWnd::Create(QWidget* view)
{
    setParent(view);
    setGeometry(0, 0, 10, 10);
    hide();
}

KTTipSpot& KTTipWnd::SharedSpot()
{
    static KTTipSpot spot;
    return spot;
}

void KTTipWnd::Hide()
{
    m_visible = 0;
    hide();
}

void KTTipWnd::Dismiss()
{
    m_timer.stop();
    m_current = -1;
    m_lastDevice = CPoint(-1000000, -1000000);
    Hide();
}

const KTTipInfo* KTTipWnd::Current() const
{
    return m_content.m_tips.At(m_current);
}

KTTipInfo KTTipWnd::CurrentTip() const
{
    const KTTipInfo* tip = Current();
    return tip ? *tip : KTTipInfo();
}

void KTTipWnd::OnHover(const CPoint& devicePoint, const CPoint& logicalPoint, const KTPoint& graphPoint)
{
    if (devicePoint == m_lastDevice && Current() != nullptr)
        return;
    m_timer.stop();
    const bool shown = m_visible != 0;
    m_current = -1;
    const int count = m_content.m_tips.GetCount();
    for (int i = 0; i < count; ++i) {
        const KTTipInfo* tip = m_content.m_tips.At(i);
        if (!tip->HotRectContains(logicalPoint))
            continue;
        m_current = static_cast<std::int16_t>(std::min(i, 0x7FFF));
        m_lastDevice = devicePoint;
        m_lastLogical = logicalPoint;
        m_spot.m_rect = tip->GetHotRect();
        m_spot.m_point = graphPoint;
        if (shown && QGuiApplication::mouseButtons() == Qt::NoButton) {
            // A shown tip follows the pointer along what it describes and changes as soon as
            // the pointer reaches something else: waiting again at every step would leave the
            // old text up while the pointer passes a point of interest.
            LayoutWindow();
            update();
            return;
        }
        // Under a held button (a drag) the tip goes and comes back where the pointer rests.
        if (m_visible)
            Hide();
        m_timer.start(std::max(0, m_delay));
        return;
    }
    if (m_visible)
        Hide();
}

void KTTipWnd::OnTimer()
{
    m_timer.stop();
    m_visible = 1;
    LayoutWindow();
    show();
    raise();
    update();
}

namespace {

/// One axis of a tip's placement: the window and the box along it, low end first.
struct Span
{
    int windowLow, windowHigh, boxLow, boxHigh;
    void Shift(int by)
    {
        windowLow += by;
        windowHigh += by;
        boxLow += by;
        boxHigh += by;
    }
};

/// Along one axis, with the mouse at `at` and the rectangle from `low` to `high`: the tip goes
/// after the mouse (towards `high`) where it fits there, before it where it fits there, and
/// where it fits on neither side, on the side with more room, moved back inside as far as its
/// size allows. The box keeps `kMargin` clear of the mouse on the side it is on.
Span PlaceAlong(int at, int size, int low, int high)
{
    const int extent = size + 2 * kMargin;
    const Span after{at, at + extent, at + kMargin, at + extent};
    const Span before{at - extent, at + kMargin, at - extent, at - kMargin};
    if (after.windowHigh <= high)
        return after;
    if (before.windowLow >= low)
        return before;
    Span span = high - at >= at - low ? after : before;
    if (span.windowHigh > high)
        span.Shift(high - span.windowHigh);
    if (span.windowLow < low)
        span.Shift(low - span.windowLow);
    return span;
}

} // namespace

KTTipWnd::Placement KTTipWnd::Place(const CPoint& point, int w, int h, const CRect& graphRect)
{
    // Each axis is decided on its own room: a point near the bottom-left corner puts the tip
    // right of it and above it, not left of it off the graph.
    const Span x = PlaceAlong(point.x, w, std::min(graphRect.left, graphRect.right),
                              std::max(graphRect.left, graphRect.right));
    // y grows upwards: "after" the mouse along -y is below it.
    const Span y = PlaceAlong(-point.y, h, -std::max(graphRect.top, graphRect.bottom),
                              -std::min(graphRect.top, graphRect.bottom));
    Placement placement;
    placement.window = CRect(x.windowLow, -y.windowLow, x.windowHigh, -y.windowHigh);
    placement.box = CRect(x.boxLow, -y.boxLow, x.boxHigh, -y.boxHigh);
    return placement;
}

CSize KTTipWnd::MeasureTip(KTDC& dc) const
{
    const KTTipInfo* tip = Current();
    if (!tip)
        return CSize();
    KTFontSelector font(m_font, kFontFactor);
    font.Select(dc, true);
    KTEOptions options(KTEPresetGraphing);
    options.m_bParseQuotes = 1;
    CSize size;
    for (int i = 0; i < tip->GetLineCount(); ++i) {
        CSize line;
        if (tip->LineValue(i) == KTTipInfo::MarkText) {
            line = dc.GetTextExtent(tip->LineText(i));
        } else if (tip->LineValue(i) == KTTipInfo::MarkEquation) {
            KTEEquation equation;
            equation.SetText(tip->LineText(i), options);
            const KTEExtent extent = equation.GetExtent(&dc, options);
            line = CSize(extent.width, extent.height);
        }
        size.cx = std::max(size.cx, line.cx);
        size.cy += std::abs(line.cy);
    }
    font.Restore(dc);
    return size;
}

void KTTipWnd::LayoutWindow()
{
    if (!m_visible || !Current())
        return;
    const int dpiX = std::max(1, logicalDpiX());
    const int dpiY = std::max(1, logicalDpiY());
    KTDC measure(dpiX, dpiY);
    measure.SetMapMode(MM_HIMETRIC);
    const CSize size = MeasureTip(measure);
    m_placement = Place(m_lastLogical, size.cx, size.cy, m_graphRect);
    // The window goes where its logical corner lies relative to the mouse, in the view's pixels.
    const CRect& window = m_placement.window;
    CPoint corner(window.left, window.top);
    measure.SetWindowOrg(m_lastLogical.x, m_lastLogical.y);
    measure.SetViewportOrg(m_lastDevice.x, m_lastDevice.y);
    measure.LPtoDP(&corner);
    // Its size is what the paint maps the far corner to from the window's own corner: a box
    // that ends there has its right and bottom edges on the window's last pixels, not past them.
    CPoint far(window.right, window.bottom);
    measure.SetWindowOrg(window.left, window.top);
    measure.SetViewportOrg(0, 0);
    measure.LPtoDP(&far);
    setGeometry(corner.x, corner.y, std::max(1, far.x), std::max(1, far.y));
}

void KTTipWnd::DrawTip(KTDC& dc)
{
    const KTTipInfo* tip = Current();
    if (!m_visible || !tip)
        return;
    dc.SetMapMode(MM_HIMETRIC);
    dc.SetWindowOrg(m_placement.window.left, m_placement.window.top);
    dc.SetBkMode(TRANSPARENT);
    KTFontSelector font(m_font, kFontFactor);
    font.Select(dc, true);
    const KTPen previousPen = dc.SelectObject(KTPen(PS_INSIDEFRAME, 0, RGB(0, 0, 0)));
    const KTBrush previousBrush = dc.SelectObject(KTBrush(m_content.m_background));
    dc.Rectangle(m_placement.box);

    KTEOptions options(KTEPresetGraphing);
    options.m_bParseQuotes = 1;
    const unsigned previousAlign = dc.SetTextAlign(TA_LEFT | TA_TOP);
    const int x = m_placement.box.left + kLineInset;
    int y = m_placement.box.top - kLineInset;
    for (int i = 0; i < tip->GetLineCount(); ++i) {
        const CString text = tip->LineText(i);
        if (tip->LineValue(i) == KTTipInfo::MarkText) {
            dc.ExtTextOut(x, y, 0, nullptr, text);
            y -= std::abs(dc.GetTextExtent(text).cy);
        } else if (tip->LineValue(i) == KTTipInfo::MarkEquation) {
            KTEEquation equation;
            equation.SetText(text, options);
            const KTEExtent extent = equation.GetExtent(&dc, options);
            equation.Draw(&dc, x, y, options);
            y -= extent.height;
        }
    }
    dc.SetTextAlign(previousAlign);
    dc.SelectObject(previousBrush);
    dc.SelectObject(previousPen);
    font.Restore(dc);
}

void KTTipWnd::paintEvent(QPaintEvent*)
{
    try {
        KTDC dc(static_cast<QPaintDevice*>(this));
        DrawTip(dc);
    } catch (const std::exception&) {
        // A tip that cannot be drawn is left blank rather than taking the view down.
    }
}

void KTTipWnd::Relay(unsigned message)
{
    SharedSpot() = m_spot;
    const KTTipInfo* tip = Current();
    emit relayed(message, tip ? m_content.m_item : KTTipContent::ItemNone);
}

QPoint KTTipWnd::ViewPoint(const QMouseEvent* event) const
{
    const QPoint p = event->position().toPoint();
    return parentWidget() ? mapTo(parentWidget(), p) : p;
}

void KTTipWnd::mousePressEvent(QMouseEvent* event)
{
    const QPoint p = ViewPoint(event);
    m_lastRelayed = CPoint(p.x(), p.y());
    if (event->button() == Qt::LeftButton)
        Relay(WM_TIP_LBUTTONDOWN);
}

void KTTipWnd::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint p = ViewPoint(event);
    m_lastRelayed = CPoint(p.x(), p.y());
    if (event->button() == Qt::LeftButton)
        Relay(WM_TIP_LBUTTONUP);
    else if (event->button() == Qt::RightButton)
        Relay(WM_TIP_RBUTTONUP);
}

void KTTipWnd::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QPoint p = ViewPoint(event);
    m_lastRelayed = CPoint(p.x(), p.y());
    if (event->button() == Qt::LeftButton)
        Relay(WM_TIP_LBUTTONDBLCLK);
}

void KTTipWnd::mouseMoveEvent(QMouseEvent* event)
{
    // Measured in the view: the window itself moves with the pointer.
    const QPoint p = ViewPoint(event);
    if (std::abs(p.x() - m_lastRelayed.x) + std::abs(p.y() - m_lastRelayed.y) >= MoveThreshold) {
        m_lastRelayed = CPoint(p.x(), p.y());
        Relay(WM_TIP_MOUSEMOVE);
        return;
    }
    // The tip lies under the pointer, so the view sees none of the smaller moves itself; its
    // hover tips follow them all the same.
    emit hovered(p);
}
