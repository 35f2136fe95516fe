#include "app/KTTipWnd.h"

#include "app/CChildFrame.h"
#include "app/CMainFrame.h"
#include "app/KTG300App.h"
#include "app/KTG300Doc.h"
#include "app/KTG300View.h"
#include "engine/KTFunction3.h"
#include "foundation/KTOptionStore.h"
#include "graph/KTGraph3.h"
#include "platform/KTDC.h"
#include "ui/KTParameterBar.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QSettings>
#include <QTest>
#include <QToolBar>
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

TEST(KTTipWndPlace, EachAxisOnItsOwnRoom)
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
        // Too near the right edge: left of the point, still below it.
        {{9000, -1000}, 2000, 500, {6400, -1000, 9300, -2100}, {6400, -1300, 8700, -2100}},
        // Too near the bottom edge: above the point, still right of it.
        {{1000, -7800}, 2000, 500, {1000, -6700, 3600, -8100}, {1300, -6700, 3600, -7500}},
        // Near the bottom-right corner: left of and above it.
        {{9000, -7800}, 2000, 500, {6400, -6700, 9300, -8100}, {6400, -6700, 8700, -7500}},
        // Exactly touching the right edge still fits.
        {{7400, -1000}, 2000, 500, {7400, -1000, 10000, -2100}, {7700, -1300, 10000, -2100}},
        // Exactly touching the left edge on the other side.
        {{7600, -1000}, 7000, 500, {0, -1000, 7900, -2100}, {0, -1300, 7300, -2100}},
        // Wider than either side allows: on the side with more room, moved back in.
        {{4000, -1000}, 8000, 500, {1400, -1000, 10000, -2100}, {1700, -1300, 10000, -2100}},
        {{6000, -1000}, 8000, 500, {0, -1000, 8900, -2100}, {0, -1300, 8300, -2100}},
        // Wider than the graph: its left edge on the graph's.
        {{5000, -1000}, 12000, 500, {0, -1000, 12600, -2100}, {300, -1300, 12600, -2100}},
    };
    for (const auto& row : rows) {
        const KTTipWnd::Placement p = KTTipWnd::Place(row.point, row.w, row.h, graph);
        EXPECT_EQ(p.window, row.window) << row.point.x << "," << row.point.y;
        EXPECT_EQ(p.box, row.box) << row.point.x << "," << row.point.y;
        // The box is always the text plus 300 units each way, inside the window.
        EXPECT_EQ(p.box.right - p.box.left, row.w + 300);
        EXPECT_EQ(p.box.top - p.box.bottom, row.h + 300);
        EXPECT_GE(p.box.left, p.window.left);
        EXPECT_LE(p.box.right, p.window.right);
        EXPECT_LE(p.box.top, p.window.top);
        EXPECT_GE(p.box.bottom, p.window.bottom);
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

namespace {

// The program's main window on a new document whose graph shows the equation, painted once.
class TipInMainWindowTest : public ::testing::Test
{
protected:
    void Open(const char* equation)
    {
        QSettings(QString::fromLatin1(KTG300App::RegistryKey), QString::fromLatin1(KTG300App::ProfileName))
            .clear();
        QFile::remove(QString::fromLocal8Bit(KTOptionStore::UserIniPath("Norwyn", "KTG300").c_str()));
        ASSERT_TRUE(m_app.InitInstance({}, KTG300App::StartOptions{false, false}));
        m_frame = m_app.GetMainWnd();
        ASSERT_FALSE(m_frame->Children().isEmpty());
        m_frame->resize(1000, 800);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_frame));
        m_view = &m_frame->Children().front()->View();
        KTGraph3& graph = m_view->GetDocument().Graph();
        graph.Data().Function(0).Data().m_equationText = equation;
        graph.SetDirty();
        m_view->repaint();
        QApplication::processEvents();
    }

    /// The view's pixel of a graph point of the last layout.
    QPoint ViewPixel(double x, double y) const
    {
        CPoint logical = m_view->GetDocument().Graph().Axes().GraphToDevice(x, y, 0, 0);
        KTDC dc(m_view->logicalDpiX(), m_view->logicalDpiY());
        dc.SetMapMode(MM_HIMETRIC);
        dc.LPtoDP(&logical);
        return QPoint(logical.x, logical.y);
    }

    /// Rests the mouse on the point and waits for the tip.
    bool HoverUntilShown(QPoint at)
    {
        QTest::mouseMove(m_view, at);
        const KTTipWnd& tip = m_view->TipWindow();
        return QTest::qWaitFor([&] { return tip.IsTipVisible() && tip.isVisible(); }, 3000);
    }

    KTG300App m_app;
    CMainFrame* m_frame = nullptr;
    KTG300View* m_view = nullptr;
};

bool Dark(const QImage& image, int x, int y)
{
    return qGray(image.pixel(x, y)) < 100;
}

int DarkInRow(const QImage& image, int y, int x0, int x1)
{
    int dark = 0;
    for (int x = x0; x <= x1; ++x)
        dark += Dark(image, x, y) ? 1 : 0;
    return dark;
}

int DarkInColumn(const QImage& image, int x, int y0, int y1)
{
    int dark = 0;
    for (int y = y0; y <= y1; ++y)
        dark += Dark(image, x, y) ? 1 : 0;
    return dark;
}

} // namespace

// A one-line tip, grabbed with its main window, has its box drawn all round: the bottom and
// right edges fall on the window's last pixels, whatever the tip's size rounds to.
TEST_F(TipInMainWindowTest, OneLineTipsHaveAllFourBorders)
{
    Open("y=-x");
    const struct
    {
        const char* equation;
        double x, y; ///< a point on the curve, up and left, so that the tip goes right and below
    } rows[] = {
        {"y=-x", -5, 5},
        {"y=-x/2", -6, 3},
        {"y=sqrt(x+10)", -9, 1},
        {"y=-x^3/100", -4, 0.64},
        {"y=2-(x+6)/(x+9)", -7, 2.5},
    };
    for (const auto& row : rows) {
        KTGraph3& graph = m_view->GetDocument().Graph();
        graph.Data().Function(0).Data().m_equationText = row.equation;
        graph.SetDirty();
        m_view->repaint();
        QTest::mouseMove(m_view, QPoint(5, 5));
        ASSERT_TRUE(HoverUntilShown(ViewPixel(row.x, row.y))) << row.equation;
        const KTTipWnd& tip = m_view->TipWindow();
        ASSERT_EQ(tip.CurrentTip().GetLineCount(), 1) << row.equation;
        const QImage image = m_frame->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRect window(tip.mapTo(m_frame, QPoint(0, 0)), tip.size());
        ASSERT_TRUE(image.rect().contains(window)) << row.equation;
        // The box starts 300 hundredths of a millimetre in from the window's top-left corner.
        const int inset = (300 * tip.logicalDpiX() + 1270) / 2540;
        const QRect box(window.topLeft() + QPoint(inset, inset), window.bottomRight());
        const int wide = box.width() - 2;
        const int high = box.height() - 2;
        EXPECT_GE(DarkInRow(image, box.top(), box.left() + 1, box.right() - 1), wide) << row.equation;
        EXPECT_GE(DarkInRow(image, box.bottom(), box.left() + 1, box.right() - 1), wide) << row.equation;
        EXPECT_GE(DarkInColumn(image, box.left(), box.top() + 1, box.bottom() - 1), high) << row.equation;
        EXPECT_GE(DarkInColumn(image, box.right(), box.top() + 1, box.bottom() - 1), high) << row.equation;
    }
}

// The radical of a typeset tip keeps its bar over the radicand.
TEST_F(TipInMainWindowTest, TipsTypesetRadicalBars)
{
    Open("y=sqrt(x+10)");
    ASSERT_TRUE(HoverUntilShown(ViewPixel(-9, 1)));
    const KTTipWnd& tip = m_view->TipWindow();
    const QImage image = m_frame->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect window(tip.mapTo(m_frame, QPoint(0, 0)), tip.size());
    // Inside the box, clear of its outline: the longest run of ink is the radical's bar.
    const QRect inside = window.adjusted(window.width() / 8, 3, -2, -2);
    int longest = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        int run = 0;
        for (int x = inside.left(); x <= inside.right(); ++x) {
            run = Dark(image, x, y) ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    }
    EXPECT_GT(longest, inside.width() / 4);
}

// A tip goes when the mouse leaves the graph for the toolbar or a parameter panel, when it was
// only armed, and when an animation moves the curves.
TEST_F(TipInMainWindowTest, TipsGoWhenTheMouseLeavesTheGraph)
{
    Open("y=a*x");
    KTTipWnd& tip = m_view->TipWindow();
    KTGraph3& graph = m_view->GetDocument().Graph();
    const double a = graph.Data().Function(0).Data().m_constants.Current(KTConstantA);
    const QPoint curve = ViewPixel(-4, -4 * a);

    // Onto the toolbar.
    ASSERT_TRUE(HoverUntilShown(curve));
    QToolBar* toolbar = m_frame->ToolBar();
    ASSERT_NE(toolbar, nullptr);
    QTest::mouseMove(toolbar, toolbar->rect().center());
    EXPECT_FALSE(tip.IsTipVisible());
    EXPECT_FALSE(tip.isVisible());
    EXPECT_FALSE(tip.IsArmed());

    // Onto the parameter panel of the constant.
    KTParameterBar& panel = m_view->Panel(1);
    ASSERT_TRUE(panel.isVisible());
    QTest::mouseMove(m_view, QPoint(5, 5));
    ASSERT_TRUE(HoverUntilShown(curve));
    QTest::mouseMove(&panel, QPoint(panel.width() / 2, panel.height() / 2));
    EXPECT_FALSE(tip.isVisible());
    EXPECT_FALSE(tip.IsArmed());

    // Armed, then the mouse leaves before the delay: nothing shows later.
    QTest::mouseMove(m_view, QPoint(5, 5));
    QTest::mouseMove(m_view, curve);
    EXPECT_TRUE(tip.IsArmed());
    QTest::mouseMove(toolbar, toolbar->rect().center());
    EXPECT_FALSE(tip.IsArmed());
    QTest::qWait(tip.GetDelay() + 100);
    EXPECT_FALSE(tip.isVisible());

    // A step of an animation.
    ASSERT_TRUE(HoverUntilShown(curve));
    m_view->OnAnimationTimer();
    EXPECT_FALSE(tip.isVisible());
    EXPECT_FALSE(tip.IsArmed());
}
