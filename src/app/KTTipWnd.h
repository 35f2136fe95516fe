#pragma once
// The hover-tip window of a graph view: a small child window that watches the mouse against the
// hot rectangles of the tips the graph built, shows the tip under the mouse after a delay, and
// relays the mouse clicks it receives to the view (the tip covers the curve the user clicks).

// moc cannot parse the standard library's concepts that CString brings in; it needs none of
// these headers to read the signals.
#ifndef Q_MOC_RUN
#include "foundation/KTLogFont.h"
#include "graph/KTTipContent.h"
#include "graph/KTTipInfo.h"
#include "graph/KTTipSpot.h"
#include "platform/KTGdiTypes.h"
#endif

#include <QTimer>
#include <QWidget>

class KTDC;

/// Messages relayed to the view (counted from WM_USER as the view's own messages are).
constexpr unsigned KTWmUser = 0x0400;
constexpr unsigned WM_TIP_LBUTTONDOWN = KTWmUser + 1210;
constexpr unsigned WM_TIP_LBUTTONUP = KTWmUser + 1211;
constexpr unsigned WM_TIP_RBUTTONUP = KTWmUser + 1212;
constexpr unsigned WM_TIP_LBUTTONDBLCLK = KTWmUser + 1213;
constexpr unsigned WM_TIP_MOUSEMOVE = KTWmUser + 1214;

class KTTipWnd : public QWidget
{
    Q_OBJECT

public:
    static constexpr int TimerId = 10101;
    static constexpr int DefaultDelay = 1000;
    /// A mouse move is relayed when it has gone this far (|dx| + |dy|, pixels) from the last.
    static constexpr int MoveThreshold = 5;

    /// Where the window and its box go, in the view's logical units (HIMETRIC, y up).
    struct Placement
    {
        CRect window; ///< left, top (the higher y), right, bottom
        CRect box;
    };

    explicit KTTipWnd(QWidget* parent = nullptr);
    ~KTTipWnd() override;

    /// Makes the window a hidden 10 x 10 child of the view at (0, 0).
    void Create(QWidget* view);
    void SetDelay(int ms) { m_delay = ms; }
    int GetDelay() const { return m_delay; }
    /// The parent's graph rectangle in its logical units; the tip stays inside it when it can.
    void SetGraphRect(const CRect& rect) { m_graphRect = rect; }
    /// Visible := 0 and the window hidden.
    void Hide();
    /// The mouse has left the graph, or the graph changes under it: no tip stays armed or
    /// current, and the window is hidden.
    void Dismiss();
    /// After the tips were rebuilt for a mouse move: arms the tip whose hot rectangle strictly
    /// holds the logical point; a tip already shown moves to the point and shows the new tip at
    /// once, and goes when no tip holds the point.
    void OnHover(const CPoint& devicePoint, const CPoint& logicalPoint, const KTPoint& graphPoint);
    /// The tip under the mouse; an empty tip when none is current.
    KTTipInfo CurrentTip() const;

    /// What the graph fills (KTGraph3::BuildTips) and the window shows.
    KTTipContent& Content() { return m_content; }
    const KTTipContent& Content() const { return m_content; }
    int CurrentIndex() const { return m_current; }
    bool IsTipVisible() const { return m_visible != 0; }
    bool IsArmed() const { return m_timer.isActive(); }
    const KTTipSpot& Spot() const { return m_spot; }
    KTLogFont& Font() { return m_font; }

    /// The spot of the last relayed message, read by the view.
    static KTTipSpot& SharedSpot();

    /// Window and box of a tip of width w and height h (logical units) shown at the point: right
    /// of it, or left where only that keeps it in the graph rectangle; below it, or above where
    /// only that does, each axis on its own. A tip that fits on neither side of an axis goes
    /// where there is more room, moved back into the rectangle as far as its size allows.
    static Placement Place(const CPoint& point, int w, int h, const CRect& graphRect);
    /// Width and height of the current tip's lines measured on dc (HIMETRIC).
    CSize MeasureTip(KTDC& dc) const;

signals:
    /// A mouse message relayed to the view with the current tip's item.
    void relayed(unsigned message, int item);
    /// Every move of the pointer over the tip, in the view's pixels, for the view's hover tips.
    void hovered(QPoint viewPoint);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void OnTimer();
    void LayoutWindow();
    void DrawTip(KTDC& dc);
    void Relay(unsigned message);
    /// The event's point in the view's pixels.
    QPoint ViewPoint(const QMouseEvent* event) const;
    const KTTipInfo* Current() const;

    BYTE m_visible = 0;
    CRect m_graphRect;
    KTTipContent m_content;
    int m_delay = DefaultDelay;
    std::int16_t m_current = -1;
    CPoint m_lastDevice{-1000000, -1000000};
    CPoint m_lastLogical;
    KTTipSpot m_spot;
    KTLogFont m_font;
    QTimer m_timer;
    CPoint m_lastRelayed{-1000000, -1000000};
    Placement m_placement;
};
