#include "app/KTTipWnd.h"

#include "platform/KTDC.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Relayed
{
    unsigned message;
    int item;
};

/// A view with a tip window whose single tip is hot around the logical point (1000, -1000).
class TipWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_view.resize(800, 600);
        m_view.show();
        m_tip.Create(&m_view);
        m_tip.SetDelay(30);
        m_tip.SetGraphRect(CRect(0, 0, 20000, -15000));
        KTTipInfo info;
        info.SetHotRect(850, -1150, 1150, -850);
        info.AddText("Point of Intersection");
        info.AddMarkedText("y=x^2");
        m_tip.Content().m_tips.Add(info);
        m_tip.Content().m_item = 3;
        QObject::connect(&m_tip, &KTTipWnd::relayed, [this](unsigned message, int item) {
            m_relayed.push_back({message, item});
        });
    }

    /// Runs the event loop until the condition holds or the time is up.
    template <typename Condition> bool WaitFor(Condition condition, int ms = 2000)
    {
        QElapsedTimer timer;
        timer.start();
        while (!condition() && timer.elapsed() < ms)
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        return condition();
    }

    void SendMouse(QEvent::Type type, QPoint at, Qt::MouseButton button)
    {
        QMouseEvent event(type, QPointF(at), m_tip.mapToGlobal(QPointF(at)), button,
                          type == QEvent::MouseMove ? Qt::NoButton : button, Qt::NoModifier);
        QApplication::sendEvent(&m_tip, &event);
    }

    QWidget m_view;
    KTTipWnd m_tip;
    std::vector<Relayed> m_relayed;
};

} // namespace

TEST_F(TipWindowTest, AppearsAfterItsDelay)
{
    EXPECT_EQ(KTTipWnd().GetDelay(), 1000);
    EXPECT_EQ(m_tip.objectName(), QStringLiteral("ITS ME"));
    QElapsedTimer clock;
    clock.start();
    m_tip.OnHover(CPoint(100, 100), CPoint(1000, -1000), KTPoint(1.5, 2.5));
    EXPECT_TRUE(m_tip.IsArmed());
    EXPECT_FALSE(m_tip.IsTipVisible());
    EXPECT_EQ(m_tip.CurrentIndex(), 0);
    EXPECT_EQ(m_tip.CurrentTip().LineText(1), "y=x^2");
    ASSERT_TRUE(WaitFor([&] { return m_tip.IsTipVisible(); }));
    EXPECT_GE(clock.elapsed(), 25);
    EXPECT_TRUE(m_tip.isVisible());
    EXPECT_FALSE(m_tip.IsArmed());
    // The window sits right of and below the mouse and is wider than it is tall.
    EXPECT_GE(m_tip.x(), 100);
    EXPECT_GE(m_tip.y(), 100);
    EXPECT_GT(m_tip.width(), m_tip.height());
    EXPECT_EQ(m_tip.Spot().m_point, KTPoint(1.5, 2.5));
    EXPECT_EQ(m_tip.Spot().m_rect, CRect(850, -1150, 1150, -850));

    // Hovering the same device point again keeps the shown tip.
    m_tip.OnHover(CPoint(100, 100), CPoint(1000, -1000), KTPoint(1.5, 2.5));
    EXPECT_TRUE(m_tip.IsTipVisible());
    // Moving off every hot rectangle hides it and arms nothing.
    m_tip.OnHover(CPoint(300, 300), CPoint(5000, -5000), KTPoint());
    EXPECT_FALSE(m_tip.IsTipVisible());
    EXPECT_FALSE(m_tip.IsArmed());
    EXPECT_EQ(m_tip.CurrentIndex(), -1);
}

TEST_F(TipWindowTest, PointOnTheEdgeDoesNotArm)
{
    for (const CPoint logical :
         {CPoint(850, -1000), CPoint(1150, -1000), CPoint(1000, -850), CPoint(1000, -1150)}) {
        m_tip.OnHover(CPoint(logical.x / 10, -logical.y / 10), logical, KTPoint());
        EXPECT_FALSE(m_tip.IsArmed()) << logical.x << "," << logical.y;
    }
    m_tip.OnHover(CPoint(1, 1), CPoint(851, -1149), KTPoint());
    EXPECT_TRUE(m_tip.IsArmed());
}

TEST_F(TipWindowTest, RelaysMouseMessagesWithTheItemAndSpot)
{
    m_tip.OnHover(CPoint(100, 100), CPoint(1000, -1000), KTPoint(4, 5));
    ASSERT_TRUE(WaitFor([&] { return m_tip.IsTipVisible(); }));
    KTTipWnd::SharedSpot() = KTTipSpot();

    SendMouse(QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton);
    SendMouse(QEvent::MouseButtonRelease, QPoint(5, 5), Qt::LeftButton);
    SendMouse(QEvent::MouseButtonRelease, QPoint(5, 5), Qt::RightButton);
    SendMouse(QEvent::MouseButtonDblClick, QPoint(5, 5), Qt::LeftButton);
    // Moves of less than 5 pixels (|dx| + |dy|) from the last relayed point relay nothing.
    SendMouse(QEvent::MouseMove, QPoint(7, 7), Qt::NoButton);
    SendMouse(QEvent::MouseMove, QPoint(8, 6), Qt::NoButton);
    SendMouse(QEvent::MouseMove, QPoint(8, 7), Qt::NoButton);

    const std::vector<unsigned> expected = {WM_TIP_LBUTTONDOWN, WM_TIP_LBUTTONUP, WM_TIP_RBUTTONUP,
                                            WM_TIP_LBUTTONDBLCLK, WM_TIP_MOUSEMOVE};
    ASSERT_EQ(m_relayed.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(m_relayed[i].message, expected[i]);
        EXPECT_EQ(m_relayed[i].item, 3);
    }
    EXPECT_EQ(WM_TIP_LBUTTONDOWN, 0x0400u + 1210u);
    EXPECT_EQ(WM_TIP_MOUSEMOVE, 0x0400u + 1214u);
    EXPECT_EQ(KTTipWnd::SharedSpot().m_point, KTPoint(4, 5));
}

TEST(KTTipWndPlace, RightBelowOrLeftAbove)
{
    const CRect graph(0, 0, 10000, -8000);
    const struct
    {
        CPoint point;
        int w, h;
        CRect window, box;
    } rows[] = {
        // Room right and below: the box keeps 300 units clear of the point.
        {{1000, -1000}, 2000, 500, {1000, -1000, 3600, -2100}, {1300, -1300, 3600, -2100}},
        // Too near the right edge: left of and above the point.
        {{9000, -1000}, 2000, 500, {6400, 100, 9300, -1300}, {6400, 100, 8700, -700}},
        // Too near the bottom edge.
        {{1000, -7800}, 2000, 500, {-1600, -6700, 1300, -8100}, {-1600, -6700, 700, -7500}},
        // Exactly touching the right edge still fits.
        {{7400, -1000}, 2000, 500, {7400, -1000, 10000, -2100}, {7700, -1300, 10000, -2100}},
    };
    for (const auto& row : rows) {
        const KTTipWnd::Placement p = KTTipWnd::Place(row.point, row.w, row.h, graph);
        EXPECT_EQ(p.window, row.window) << row.point.x << "," << row.point.y;
        EXPECT_EQ(p.box, row.box) << row.point.x << "," << row.point.y;
        // The box is always the text plus 300 units each way, inside the window.
        EXPECT_EQ(p.box.right - p.box.left, row.w + 300);
        EXPECT_EQ(p.box.top - p.box.bottom, row.h + 300);
    }
}

TEST_F(TipWindowTest, MeasuresPlainAndTypesetLines)
{
    m_tip.OnHover(CPoint(100, 100), CPoint(1000, -1000), KTPoint());
    KTDC dc(96, 96);
    dc.SetMapMode(MM_HIMETRIC);
    const CSize size = m_tip.MeasureTip(dc);
    EXPECT_GT(size.cx, 1000);
    EXPECT_GT(size.cy, 300);
}
