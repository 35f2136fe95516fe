#include "app/KTG300View.h"

#include "app/CMainFrame.h"
#include "app/KTG300Doc.h"
#include "app/KTTipWnd.h"
#include "engine/KTFunction3.h"
#include "foundation/KTNumberFormat.h"
#include "graph/KTGraph3.h"
#include "platform/KTDC.h"
#include "support/KTTestSupport.h"
#include "ui/KTAnimationDlg.h"
#include "ui/KTAnnotateEditDlg.h"
#include "ui/KTAxesDlg.h"
#include "ui/KTFamilyDlg.h"
#include "ui/KTImageButton.h"
#include "ui/KTMessagesDlg.h"
#include "ui/KTParameterBar.h"
#include "ui/KTPreferenceDlg.h"
#include "ui/KTQuickEntry.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

#include <charconv>
#include <functional>
#include <string>

namespace {

template <typename Dialog> struct HookScope
{
    explicit HookScope(typename Dialog::ModalHook hook) : previous(Dialog::SetModalHook(std::move(hook))) {}
    ~HookScope() { Dialog::SetModalHook(std::move(previous)); }
    typename Dialog::ModalHook previous;
};

struct MenuHookScope
{
    explicit MenuHookScope(KTG300View::ContextMenuHook hook)
        : previous(KTG300View::SetContextMenuHook(std::move(hook)))
    {
    }
    ~MenuHookScope() { KTG300View::SetContextMenuHook(std::move(previous)); }
    KTG300View::ContextMenuHook previous;
};

// A document with its view painted once into an image, so that the axes are laid out.
struct Fixture
{
    explicit Fixture(std::initializer_list<const char*> equations = {})
    {
        document.OnNewDocument();
        int slot = 0;
        for (const char* equation : equations)
            document.Graph().Data().Function(slot++).Data().m_equationText = equation;
        document.Graph().SetDirty();
        view = std::make_unique<KTG300View>(document);
        view->resize(600, 450);
        Paint();
        document.SetModifiedFlag(false);
    }

    void Paint()
    {
        QImage image(600, 450, QImage::Format_ARGB32);
        image.fill(Qt::white);
        KTDC dc(&image);
        view->OnDraw(dc);
    }

    KTOptionAxes2& Axes() { return document.Graph().Data().m_options.m_axes; }
    CString Range(int which)
    {
        KTOptionString* options[] = {&Axes().m_xMinShowS, &Axes().m_xMaxShowS, &Axes().m_yMinShowS,
                                     &Axes().m_yMaxShowS};
        return options[which]->GetValue();
    }
    void ExpectRanges(const char* xMin, const char* xMax, const char* yMin, const char* yMax)
    {
        EXPECT_STREQ(Range(0), xMin);
        EXPECT_STREQ(Range(1), xMax);
        EXPECT_STREQ(Range(2), yMin);
        EXPECT_STREQ(Range(3), yMax);
    }
    // The device pixel of a graph point of the last layout.
    CPoint DeviceOf(double x, double y)
    {
        CPoint logical = document.Graph().Axes().GraphToDevice(x, y, 0, 0);
        KTDC dc(view->logicalDpiX(), view->logicalDpiY());
        dc.SetMapMode(MM_HIMETRIC);
        dc.LPtoDP(&logical);
        return logical;
    }

    KTG300Doc document;
    std::unique_ptr<KTG300View> view;
};

CString Format6(double value)
{
    KTNumberFormat format;
    return format.Format(value, 6);
}

/// The shortest plain decimal that reads back as exactly this double, as the standard library's
/// own shortest form gives it: what a limit of the view written by a zoom or a key must be.
CString Exact(double value)
{
    char text[128];
    const std::to_chars_result r = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    std::string s(text, r.ptr);
    if (s == "-0")
        s = "0";
    return CString(s.c_str());
}

} // namespace

TEST(KTG300ViewModes, AnimationPeriodBySpeed)
{
    const struct
    {
        int speed;
        int period;
    } rows[] = {{0, 1500}, {1, 750}, {2, 500}, {5, 250}, {9, 150}, {10, 136}};
    for (const auto& row : rows)
        EXPECT_EQ(KTG300View::AnimationPeriod(row.speed), row.period) << row.speed;
}

TEST(KTG300ViewModes, KeysMoveAndCentreTheRange)
{
    const struct
    {
        int key;
        const char* xMin;
        const char* xMax;
        const char* yMin;
        const char* yMax;
    } rows[] = {
        {Qt::Key_Left, "-12.5", "7.5", "-10", "10"},
        {Qt::Key_Right, "-7.5", "12.5", "-10", "10"},
        {Qt::Key_Up, "-10", "10", "-7.5", "12.5"},
        {Qt::Key_Down, "-10", "10", "-12.5", "7.5"},
    };
    for (const auto& row : rows) {
        Fixture f;
        f.view->OnKeyDown(row.key);
        f.ExpectRanges(row.xMin, row.xMax, row.yMin, row.yMax);
        EXPECT_TRUE(f.document.IsModified());
        EXPECT_TRUE(f.document.Graph().IsDirty());
    }
    // Home keeps the size and centres the origin.
    Fixture f;
    f.Axes().m_xMinShowS.SetValue("2");
    f.Axes().m_xMaxShowS.SetValue("6");
    f.Axes().m_yMinShowS.SetValue("-1");
    f.Axes().m_yMaxShowS.SetValue("7");
    f.view->OnKeyDown(Qt::Key_Home);
    f.ExpectRanges("-2", "2", "-4", "4");
    // Other keys change nothing.
    Fixture g;
    g.view->OnKeyDown(Qt::Key_A);
    g.ExpectRanges("-10", "10", "-10", "10");
    EXPECT_FALSE(g.document.IsModified());
}

TEST(KTG300ViewModes, KeyZoomUsesTheRatioAboutTheCentre)
{
    Fixture f;
    f.Axes().m_keyZoomRatio.m_value = 2.0;
    f.view->OnKeyDown(Qt::Key_PageDown);
    f.ExpectRanges("-5", "5", "-5", "5");
    EXPECT_EQ(f.view->ZoomHistory().size(), 4u);
    f.view->OnKeyDown(Qt::Key_PageUp);
    // Page Up multiplies by the ratio rather than going back through the history.
    f.ExpectRanges("-10", "10", "-10", "10");
    // A ratio outside its range is read as the midpoint (1.01 + 10) / 2.
    Fixture g;
    g.Axes().m_keyZoomRatio.m_value = 50.0;
    g.view->ZoomToRect(true);
    g.ExpectRanges(Exact(-10 / 5.505), Exact(10 / 5.505), Exact(-10 / 5.505), Exact(10 / 5.505));
}

TEST(KTG300ViewModes, ClickZoomHalvesTheRangeAboutThePoint)
{
    Fixture f;
    const CPoint logical = f.document.Graph().Axes().GraphToDevice(2.0, -4.0, 0, 0);
    const KTPoint p = f.document.Graph().Axes().DeviceToGraph(logical, 0);
    f.view->SetRubberBand(CRect(logical.x, logical.y, logical.x, logical.y));
    f.view->ZoomToRect(false);
    f.ExpectRanges(Exact(p.m_x + (-10 - p.m_x) * 0.5), Exact(p.m_x + (10 - p.m_x) * 0.5),
                   Exact(p.m_y + (-10 - p.m_y) * 0.5), Exact(p.m_y + (10 - p.m_y) * 0.5));
    EXPECT_NEAR(KTNumberFormat().ToDouble(f.Range(1)) - KTNumberFormat().ToDouble(f.Range(0)), 10.0, 1e-3);
}

TEST(KTG300ViewModes, RectangleZoomAndZoomOutRestoreInReverseOrder)
{
    Fixture f;
    KTAxes& axes = f.document.Graph().Axes();
    const CPoint a = axes.GraphToDevice(-5.0, -5.0, 0, 0);
    const CPoint b = axes.GraphToDevice(5.0, 5.0, 0, 0);
    f.view->SetRubberBand(CRect(b.x, b.y, a.x, a.y));
    f.view->ZoomToRect(false);
    const KTPoint pa = axes.DeviceToGraph(a, 0), pb = axes.DeviceToGraph(b, 0);
    f.ExpectRanges(Exact(pa.m_x), Exact(pb.m_x), Exact(pa.m_y), Exact(pb.m_y));
    const CString first[] = {f.Range(0), f.Range(1), f.Range(2), f.Range(3)};
    f.Paint();
    f.view->ZoomToRect(true);
    EXPECT_EQ(f.view->ZoomHistory().size(), 8u);
    f.view->ZoomOut(false);
    f.ExpectRanges(first[0], first[1], first[2], first[3]);
    f.view->ZoomOut(false);
    f.ExpectRanges("-10", "10", "-10", "10");
    EXPECT_TRUE(f.view->ZoomHistory().empty());
    // With no history left a zoom out doubles every limit.
    f.view->ZoomOut(false);
    f.ExpectRanges("-20", "20", "-20", "20");
}

TEST(KTG300ViewModes, TooNarrowZoomAndTooFarZoomOutBeep)
{
    Fixture f;
    const CPoint a = f.document.Graph().Axes().GraphToDevice(1.0, 1.0, 0, 0);
    f.view->SetRubberBand(CRect(a.x, a.y, a.x + 1, a.y + 3000)); // one unit wide: 1e-10 is not reached
    const int beeps = KTG300View::BeepCount();
    // A band one logical unit wide is about 0.001 graph units: shrink the axes so it is tiny.
    f.Axes().m_xMinShowS.SetValue("0");
    f.Axes().m_xMaxShowS.SetValue("0.00000001");
    f.document.Graph().SetDirty();
    f.Paint();
    f.view->ZoomToRect(false);
    EXPECT_EQ(KTG300View::BeepCount(), beeps + 1);
    EXPECT_STREQ(f.Range(0), "0");
    EXPECT_TRUE(f.view->ZoomHistory().empty());

    // Doubled about its middle (4e10 - 5) the view would reach 1.2e11.
    Fixture g;
    g.Axes().m_xMaxShowS.SetValue("80000000000");
    const int before = KTG300View::BeepCount();
    g.view->ZoomOut(false);
    EXPECT_EQ(KTG300View::BeepCount(), before + 1);
    g.ExpectRanges("-10", "80000000000", "-10", "10");
}

TEST(KTG300ViewModes, IntegralModePressAlwaysBeeps)
{
    Fixture f({"y=x^2"});
    f.view->OnIntegralMode();
    EXPECT_EQ(f.view->GetMode(), KTViewIntegral);
    const int beeps = KTG300View::BeepCount();
    f.view->OnLButtonDown(CPoint(300, 200), false);
    EXPECT_EQ(KTG300View::BeepCount(), beeps + 1);
    f.view->OnLButtonUp(CPoint(300, 200), false);
    EXPECT_EQ(f.document.Graph().Data().m_integrals.GetCount(), 0);
}

TEST(KTG300ViewModes, DraggingAnAxisPansTheRange)
{
    Fixture f;
    const CPoint start = f.DeviceOf(0.0, 0.0);
    const CPoint end = f.DeviceOf(2.0, 1.0);
    f.view->OnLButtonDown(start, false);
    f.view->OnMouseMoveAt(end);
    f.view->OnLButtonUp(end, false);
    KTAxes& axes = f.document.Graph().Axes();
    const KTVector moved = axes.DeviceToGraph(f.view->DeviceToLogical(end), 0)
                               .Difference(axes.DeviceToGraph(f.view->DeviceToLogical(start), 0));
    f.ExpectRanges(Exact(-10 - moved.m_dx), Exact(10 - moved.m_dx), Exact(-10 - moved.m_dy),
                   Exact(10 - moved.m_dy));
    EXPECT_NEAR(moved.m_dx, 2.0, 0.1);
    EXPECT_TRUE(f.document.IsModified());
    // A press away from both axes does not pan.
    Fixture g;
    const CPoint away = g.DeviceOf(3.3, 4.4);
    g.view->OnLButtonDown(away, false);
    g.view->OnMouseMoveAt(g.DeviceOf(5.0, 5.0));
    g.view->OnLButtonUp(g.DeviceOf(5.0, 5.0), false);
    g.ExpectRanges("-10", "10", "-10", "10");
}

TEST(KTG300ViewModes, ExplicitEquationsCarryIntegralsAndTangents)
{
    Fixture f({"y=x^2", "y>x", "x^2+y^2=4", "y=sin(x)"});
    EXPECT_TRUE(f.view->CanCarryTools(0));
    EXPECT_FALSE(f.view->CanCarryTools(1));
    EXPECT_TRUE(f.view->CanCarryTools(3));
    EXPECT_FALSE(f.view->CanCarryTools(4)); // empty
    EXPECT_FALSE(f.view->CanCarryTools(-2));
    EXPECT_EQ(f.view->CountActiveItems(), 2 + (f.view->CanCarryTools(2) ? 1 : 0));
    Fixture empty;
    EXPECT_EQ(empty.view->CountActiveItems(), 0);
}

TEST(KTG300ViewModes, CurveCommandsToggleTheFunctionUnderTheCursor)
{
    Fixture f({"y=x^2"});
    KTFunctionData3& data = f.document.Graph().Data().Function(0).Data();
    KTOptionFunction3& options = data.m_options;
    // Nothing under the cursor: nothing changes.
    f.view->OnFirstDerivative();
    EXPECT_EQ(data.m_showFirstDerivative, 0);
    EXPECT_FALSE(f.document.IsModified());

    f.view->SetFunctionUnderCursor(0);
    f.view->OnFirstDerivative();
    f.view->OnSecondDerivative();
    EXPECT_EQ(data.m_showFirstDerivative, 1);
    EXPECT_EQ(data.m_showSecondDerivative, 1);
    EXPECT_TRUE(f.document.IsModified());
    EXPECT_TRUE(f.document.Graph().IsDirty());

    const BYTE arrows = options.m_showFunctionArrows.m_value;
    f.view->OnArrows();
    EXPECT_EQ(options.m_showFunctionArrows.m_value, arrows ? 0 : 1);
    const BYTE asymptotes = options.m_vAsym.m_value;
    f.view->OnVerticalAsymptotes();
    EXPECT_EQ(options.m_vAsym.m_value, asymptotes ? 0 : 1);

    // Domain marks: both on unless both were on; the second mark alone toggles ShowHigh.
    const struct
    {
        BYTE low, high, lowAfter, highAfter;
    } rows[] = {{0, 0, 1, 1}, {1, 0, 1, 1}, {0, 1, 1, 1}, {1, 1, 0, 0}};
    for (const auto& row : rows) {
        options.m_showLow.m_value = row.low;
        options.m_showHigh.m_value = row.high;
        f.view->OnDomainMarks();
        EXPECT_EQ(options.m_showLow.m_value, row.lowAfter);
        EXPECT_EQ(options.m_showHigh.m_value, row.highAfter);
    }
    f.view->OnSecondDomainMark();
    EXPECT_EQ(options.m_showLow.m_value, 0);
    EXPECT_EQ(options.m_showHigh.m_value, 1);
}

TEST(KTG300ViewModes, CurveContextMenuIsCheckedFromTheFunction)
{
    Fixture f({"y=x^2"});
    KTFunctionData3& data = f.document.Graph().Data().Function(0).Data();
    data.m_showSecondDerivative = 1;
    data.m_options.m_showLow.m_value = 1;
    data.m_options.m_showHigh.m_value = 1;
    data.m_options.m_vAsym.m_value = 0;
    data.m_options.m_showFunctionArrows.m_value = 0;
    QStringList checked;
    MenuHookScope scope([&](QMenu& menu, const QPoint&) {
        for (QAction* action : menu.actions())
            if (action->isChecked())
                checked << action->text();
        menu.actions().at(0)->trigger(); // "&1st Derivative"
    });
    f.view->OnTipMessage(WM_TIP_RBUTTONUP, 0);
    EXPECT_EQ(checked, (QStringList{QStringLiteral("&2nd Derivative"), QStringLiteral("Domain Marks")}));
    EXPECT_EQ(data.m_showFirstDerivative, 1);
    EXPECT_EQ(f.view->GetFunctionUnderCursor(), 0);
}

TEST(KTG300ViewModes, CurveMenuOpensAtTheMouse)
{
    // A real right click on the tip over the curve, in views placed at different spots of the
    // screen: the menu's corner is where the mouse is.
    for (const QPoint place : {QPoint(0, 0), QPoint(300, 200), QPoint(700, 40)}) {
        Fixture f({"y=x"});
        f.view->move(place);
        f.view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(f.view.get()));
        QApplication::processEvents();
        const CPoint onCurve = f.DeviceOf(1.0, 1.0);
        const QPoint mouse(onCurve.x, onCurve.y);
        QTest::mouseMove(f.view.get(), mouse);
        KTTipWnd& tip = f.view->TipWindow();
        ASSERT_TRUE(QTest::qWaitFor([&] { return tip.IsTipVisible(); }, 2000)) << place.x();
        QPoint opened(-1, -1);
        MenuHookScope scope([&](QMenu&, const QPoint& position) { opened = position; });
        QTest::mouseClick(&tip, Qt::RightButton, {}, tip.mapFrom(f.view.get(), mouse));
        const QPoint expected = f.view->mapToGlobal(mouse);
        EXPECT_LE((opened - expected).manhattanLength(), 2)
            << place.x() << ": " << opened.x() << "," << opened.y() << " for " << expected.x() << ","
            << expected.y();
        EXPECT_EQ(f.view->GetFunctionUnderCursor(), 0);
    }
}

TEST(KTG300ViewModes, AnimationRunsFromTheDialogUntilTheNextRelease)
{
    Fixture f({"y=a*x"});
    f.Paint();
    const int index = 1; // "a"
    KTParameterBar& panel = f.view->Panel(index);
    HookScope<KTAnimationDlg> scope([](KTAnimationDlg& d) {
        EXPECT_EQ(d.FromEdit().text(), QStringLiteral("-5"));
        EXPECT_EQ(d.ToEdit().text(), QStringLiteral("5"));
        EXPECT_EQ(d.StepEdit().text(), QStringLiteral("1"));
        d.FromEdit().setText(QStringLiteral("0"));
        d.ToEdit().setText(QStringLiteral("-2"));
        d.StepEdit().setText(QStringLiteral("0.5"));
        d.SpeedSlider().setValue(2);
        return int(QDialog::Accepted);
    });
    panel.ValueEdit().setText(QStringLiteral("0"));
    QApplication::processEvents();
    f.view->OnParamAnimate(index);
    EXPECT_TRUE(f.view->IsAnimationRunning());
    EXPECT_EQ(f.view->CurrentPanel(), index);
    EXPECT_EQ(f.view->AnimationInterval(), 500);
    EXPECT_STREQ(panel.GetFrom(), "0");
    EXPECT_STREQ(panel.GetTo(), "-2");
    EXPECT_STREQ(panel.GetStep(), "-0.5"); // negated: to lies below from
    EXPECT_TRUE(panel.IsAnimating());

    f.document.SetModifiedFlag(false);
    f.view->OnAnimationTimer();
    EXPECT_EQ(panel.ValueEdit().text(), QStringLiteral("-0.5"));
    EXPECT_DOUBLE_EQ(f.document.Graph().Data().Function(0).Data().m_constants.Current(KTConstantA), -0.5);
    EXPECT_TRUE(f.document.Graph().IsDirty());
    EXPECT_TRUE(f.document.IsModified());

    f.view->OnLButtonUp(CPoint(10, 10), false);
    EXPECT_FALSE(f.view->IsAnimationRunning());
    EXPECT_FALSE(panel.IsAnimating());
    EXPECT_EQ(panel.GetBackground(), KTParameterBar::kBackground);
}

TEST(KTG300ViewModes, CancelledAnimationDialogStartsNothing)
{
    Fixture f({"y=a*x"});
    HookScope<KTAnimationDlg> scope([](KTAnimationDlg&) { return int(QDialog::Rejected); });
    f.view->OnParamAnimate(1);
    EXPECT_FALSE(f.view->IsAnimationRunning());
    EXPECT_STREQ(f.view->Panel(1).GetFrom(), "-5");
    // A panel index outside 0-4 is ignored.
    f.view->OnParamAnimate(7);
    EXPECT_EQ(f.view->CurrentPanel(), 1);
}

// The running animation's own button stops it and opens nothing; the panel's Step, the step of
// its value spinner, stays what the user set while the animation runs.
TEST(KTG300ViewModes, TheAnimateButtonStopsItsRunningAnimation)
{
    Fixture f({"y=a*x+b"});
    f.view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.view.get()));
    const int index = 1;
    KTParameterBar& panel = f.view->Panel(index);
    panel.StepEdit().setText(QStringLiteral("0.25"));
    int opened = 0;
    HookScope<KTAnimationDlg> scope([&opened](KTAnimationDlg&) {
        ++opened;
        return int(QDialog::Accepted);
    });
    QWidget* button = &panel.AnimateButton();
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.view->IsAnimationRunning(); }, 2000));
    EXPECT_EQ(opened, 1);
    for (int tick = 0; tick < 3; ++tick)
        f.view->OnAnimationTimer();
    EXPECT_EQ(panel.StepEdit().text(), QStringLiteral("0.25"));

    QTest::mouseClick(button, Qt::LeftButton);
    QTest::qWait(50);
    EXPECT_FALSE(f.view->IsAnimationRunning());
    EXPECT_FALSE(panel.IsAnimating());
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(panel.StepEdit().text(), QStringLiteral("0.25"));

    // Stopped, the button asks again.
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return opened == 2; }, 2000));
    EXPECT_TRUE(f.view->IsAnimationRunning());
    // Another panel's button stops this animation and asks for its own.
    QTest::mouseClick(&f.view->Panel(2).AnimateButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return opened == 3; }, 2000));
    EXPECT_EQ(f.view->CurrentPanel(), 2);
    EXPECT_FALSE(panel.IsAnimating());
}

TEST(KTG300ViewModes, FamilyDialogSetsTheRangeAndTheFamilyFlag)
{
    Fixture f({"y=a*x"});
    HookScope<KTFamilyDlg> scope([](KTFamilyDlg& d) {
        d.FromEdit()->setText(QStringLiteral("-2"));
        d.ToEdit()->setText(QStringLiteral("2"));
        d.StepEdit()->setText(QStringLiteral("1"));
        d.UpdateData(true);
        return int(QDialog::Accepted);
    });
    f.view->OnParamFamily(1);
    EXPECT_EQ(f.document.Graph().Data().m_family, 1);
    EXPECT_TRUE(f.document.Graph().IsDirty());
    EXPECT_TRUE(f.document.IsModified());
    EXPECT_STREQ(f.view->Panel(1).GetFrom(), "-2");
    EXPECT_STREQ(f.view->Panel(1).GetTo(), "2");
    // The next release ends the family display and takes the panels' values again.
    f.view->OnLButtonUp(CPoint(5, 5), false);
    EXPECT_EQ(f.document.Graph().Data().m_family, 0);
}

TEST(KTG300ViewModes, TangentModeAddsATangentWhereTheCurveWasClicked)
{
    Fixture f({"y=x^2"});
    f.view->OnDerivativeMode();
    KTTipWnd::SharedSpot().m_point = KTPoint(1.5, 2.25);
    f.view->OnTipMessage(WM_TIP_LBUTTONDOWN, 0);
    f.view->OnTipMessage(WM_TIP_LBUTTONUP, 0);
    KTDerivativeList& tangents = f.document.Graph().Data().m_derivatives;
    ASSERT_EQ(tangents.GetCount(), 1);
    const KTPoint snapped = f.document.Graph().Axes().SnapPoint(KTPoint(1.5, 2.25), 5);
    EXPECT_STREQ(tangents.GetAt(0).m_xText, Format6(snapped.m_x));
    EXPECT_EQ(tangents.GetAt(0).m_function, 0);
    EXPECT_TRUE(f.document.IsModified());
    // A second tangent on the same function is refused without Ctrl or Shift, with a beep.
    const int beeps = KTG300View::BeepCount();
    f.view->OnTipMessage(WM_TIP_LBUTTONDOWN, 0);
    f.view->OnTipMessage(WM_TIP_LBUTTONUP, 0);
    EXPECT_EQ(tangents.GetCount(), 1);
    EXPECT_EQ(KTG300View::BeepCount(), beeps + 1);
}

TEST(KTG300ViewModes, IntegralModeRunsFromTheCurvePressToTheRelease)
{
    Fixture f({"y=x^2", "y>x"});
    f.view->OnIntegralMode();
    KTTipWnd::SharedSpot().m_point = KTPoint(-1.0, 1.0);
    f.view->OnTipMessage(WM_TIP_LBUTTONDOWN, 0);
    KTTipWnd::SharedSpot().m_point = KTPoint(2.0, 4.0);
    f.view->OnTipMessage(WM_TIP_LBUTTONUP, 0);
    KTIntegralList& integrals = f.document.Graph().Data().m_integrals;
    ASSERT_EQ(integrals.GetCount(), 1);
    KTAxes& axes = f.document.Graph().Axes();
    EXPECT_STREQ(integrals.GetAt(0).m_lowerText, Format6(axes.SnapPoint(KTPoint(-1.0, 1.0), 5).m_x));
    EXPECT_STREQ(integrals.GetAt(0).m_upperText, Format6(axes.SnapPoint(KTPoint(2.0, 4.0), 5).m_x));
    EXPECT_EQ(integrals.GetAt(0).m_first, 0);
    // An inequality carries no integral: the press beeps and nothing is added.
    const int beeps = KTG300View::BeepCount();
    f.view->OnTipMessage(WM_TIP_LBUTTONDOWN, 1);
    f.view->OnTipMessage(WM_TIP_LBUTTONUP, 1);
    EXPECT_EQ(KTG300View::BeepCount(), beeps + 1);
    EXPECT_EQ(integrals.GetCount(), 1);
}

TEST(KTG300ViewModes, AnnotationModeClickPlacesAnAnnotationAndDeleteRemovesIt)
{
    Fixture f;
    f.view->OnAnnotationMode();
    const CPoint at = f.DeviceOf(2.0, 3.0);
    f.view->OnLButtonDown(at, false);
    f.view->OnLButtonUp(at, false);
    KTGAnnotationList& annotations = f.document.m_annotations;
    ASSERT_EQ(annotations.GetCount(), 1);
    const KTGAnnotation& placed = annotations.GetAt(0);
    EXPECT_STREQ(placed.m_text.LineText(0), f.document.Graph().Data().m_options.m_msgRightClick.GetValue());
    EXPECT_EQ(placed.m_selected, 1);
    EXPECT_EQ(placed.m_anchorType, 0); // no drag: no anchor
    EXPECT_TRUE(f.document.IsModified());

    // A drag gives the new annotation an anchor where the button rose.
    const CPoint from = f.DeviceOf(-5.0, -5.0), to = f.DeviceOf(-2.0, -6.0);
    f.view->OnLButtonDown(from, false);
    f.view->OnMouseMoveAt(to);
    f.view->OnLButtonUp(to, false);
    ASSERT_EQ(annotations.GetCount(), 2);
    EXPECT_EQ(annotations.GetAt(1).m_anchor, f.view->DeviceToLogical(to));

    f.view->OnKeyDown(Qt::Key_Delete);
    EXPECT_EQ(annotations.GetCount(), 1);
    EXPECT_EQ(f.document.m_annotationIndex, -1);
}

TEST(KTG300ViewModes, ANewAnnotationsPlaceholderShowsAsAnEmptyRowInEveryLanguage)
{
    // The view writes the placeholder of the user's language; the editor opened on the new
    // annotation shows its first row empty, so what the user types replaces it.
    for (int country : {1, 44, 46, 39, 358, 31, 32}) {
        const kttest::LocaleScope locale('.', ',', country);
        Fixture f;
        f.view->OnAnnotationMode();
        const CPoint at = f.DeviceOf(1.0, 2.0);
        f.view->OnLButtonDown(at, false);
        f.view->OnLButtonUp(at, false);
        ASSERT_EQ(f.document.m_annotations.GetCount(), 1) << country;
        const CString placeholder = f.document.m_annotations.GetAt(0).m_text.LineText(0);
        EXPECT_FALSE(placeholder.IsEmpty()) << country;
        QString shown = QStringLiteral("not opened");
        HookScope<KTAnnotateEditDlg> scope([&](KTAnnotateEditDlg& d) {
            shown = d.TextEdit()->toPlainText();
            // What the user types goes where the caret stands: the start of the first row.
            d.TextEdit()->textCursor().insertText(QStringLiteral("Vertex"));
            d.OkButton()->click();
            return d.result();
        });
        ASSERT_TRUE(f.view->EditAnnotationAt(0)) << country;
        EXPECT_TRUE(shown.trimmed().isEmpty()) << country << " " << shown.toStdString();
        const KTTipInfo& text = f.document.m_annotations.GetAt(0).m_text;
        ASSERT_EQ(text.GetLineCount(), 1) << country;
        EXPECT_EQ(text.LineText(0), CString("Vertex")) << country;
    }
}

TEST(KTG300ViewModes, AnnotationsKeepTheirGraphPointsWhenTheGraphIsLaidOutAnew)
{
    Fixture f;
    f.view->OnAnnotationMode();
    const CPoint from = f.DeviceOf(-5.0, -5.0), to = f.DeviceOf(0.0, -9.0);
    f.view->OnLButtonDown(from, false);
    f.view->OnMouseMoveAt(to);
    f.view->OnLButtonUp(to, false);
    f.Paint();
    // The anchor dragged elsewhere in select mode.
    f.view->OnSelectMode();
    const CPoint dragged = f.DeviceOf(3.0, -1.0);
    f.view->OnLButtonDown(to, false);
    f.view->OnMouseMoveAt(dragged);
    f.view->OnLButtonUp(dragged, false);
    f.Paint();
    KTGAnnotation& note = f.document.m_annotations.GetAt(0);
    EXPECT_EQ(note.m_anchor, f.view->DeviceToLogical(dragged));
    EXPECT_NEAR(note.m_anchorPosition.m_x, 3.0, 0.1);
    EXPECT_NEAR(note.m_anchorPosition.m_y, -1.0, 0.1);
    const KTPoint box = note.m_textPosition;
    const KTPoint spot = note.m_anchorPosition;

    const struct
    {
        const char* change;
        std::function<void()> apply;
    } rows[] = {
        {"a smaller window", [&] { f.view->resize(420, 300); }},
        {"the range moved right", [&] { f.view->OnKeyDown(Qt::Key_Right); }},
        {"zoomed in", [&] { f.view->OnKeyDown(Qt::Key_PageDown); }},
    };
    for (const auto& row : rows) {
        row.apply();
        f.Paint();
        KTAxes& axes = f.document.Graph().Axes();
        EXPECT_EQ(CPoint(note.m_textRect.left, note.m_textRect.top), axes.GraphToDevice(box, 0, 0))
            << row.change;
        EXPECT_EQ(note.m_anchor, axes.GraphToDevice(spot, 0, 0)) << row.change;
        EXPECT_EQ(note.m_textPosition, box) << row.change;
        EXPECT_EQ(note.m_anchorPosition, spot) << row.change;
    }
}

TEST(KTG300ViewModes, ZoomModeRightClickZoomsOut)
{
    Fixture f;
    f.view->OnZoomMode();
    EXPECT_EQ(f.view->GetMode(), KTViewZoom);
    f.view->OnRButtonUp(CPoint(100, 100));
    f.ExpectRanges("-20", "20", "-20", "20");
    // A click without a drag in zoom mode halves the range about the point.
    const CPoint at = f.DeviceOf(0.0, 0.0);
    f.Paint();
    f.view->OnLButtonDown(at, false);
    f.view->OnLButtonUp(at, false);
    EXPECT_NEAR(KTNumberFormat().ToDouble(f.Range(1)) - KTNumberFormat().ToDouble(f.Range(0)), 20.0, 0.01);
}

TEST(KTG300ViewModes, CommandsAreEnabledAndCheckedByTheViewsState)
{
    CMainFrame frame(nullptr);
    Fixture f({"y=x^2"});
    KTG300View::UpdateCommandUI(frame, f.view.get());
    const int modes[] = {32787, 32791, 32785, 32786, 32801};
    for (int id : modes)
        EXPECT_TRUE(frame.Action(id)->isEnabled()) << id;
    EXPECT_TRUE(frame.Action(32787)->isChecked());
    f.view->OnZoomMode();
    KTG300View::UpdateCommandUI(frame, f.view.get());
    for (int id : modes)
        EXPECT_EQ(frame.Action(id)->isChecked(), id == 32786) << id;

    // No function that can carry an integral or a tangent: those two modes are disabled; a
    // fixed scale (restriction 2) disables zooming.
    Fixture g({"y>x"});
    g.Axes().m_scaleRestriction.m_value = 2;
    KTG300View::UpdateCommandUI(frame, g.view.get());
    EXPECT_FALSE(frame.Action(32791)->isEnabled());
    EXPECT_FALSE(frame.Action(32801)->isEnabled());
    EXPECT_FALSE(frame.Action(32786)->isEnabled());
    EXPECT_TRUE(frame.Action(32787)->isEnabled());
    KTG300View::UpdateCommandUI(frame, nullptr);
    for (int id : modes)
        EXPECT_FALSE(frame.Action(id)->isEnabled()) << id;
}

TEST(KTG300ViewModes, CancellingPreferencesOrMessagesLeavesTheDocumentUnmodified)
{
    Fixture f;
    int opened = 0;
    HookScope<KTPreferenceDlg> preferences([&](KTPreferenceDlg&) {
        ++opened;
        return int(QDialog::Rejected);
    });
    HookScope<KTMessagesDlg> messages([&](KTMessagesDlg&) {
        ++opened;
        return int(QDialog::Rejected);
    });
    f.view->OnPreferences();
    EXPECT_FALSE(f.document.IsModified());
    f.view->OnMessages();
    EXPECT_FALSE(f.document.IsModified());
    EXPECT_EQ(opened, 2);

    CMainFrame frame(nullptr);
    f.document.Graph().Data().m_options.m_allowPreferenceChanges.m_value = 1;
    KTG300View::UpdateCommandUI(frame, f.view.get());
    EXPECT_EQ(frame.Action(32812)->isEnabled(), f.view->PreferencesAllowed());
    EXPECT_EQ(frame.Action(32839)->isEnabled(), f.view->PreferencesAllowed());
}

TEST(KTG300ViewModes, ALimitWithoutAFiniteValueTakesTheRangeOnTheScreen)
{
    Fixture f;
    const double shownMax = f.document.Graph().Axes().m_xAxis.m_max;
    f.Axes().m_xMaxShowS.SetValue("1/0");
    f.view->OnKeyDown(Qt::Key_Right);
    const double dx = (shownMax + 10) / 8;
    f.ExpectRanges(Exact(-10 + dx), Exact(shownMax + dx), "-10", "10");
}

TEST(KTG300ViewModes, RightClickOnAnAxisOpensTheAxesDialogWhenAllowed)
{
    Fixture f;
    f.document.Graph().Data().m_options.m_rightClickOnAxes.m_value = 1;
    int opened = 0;
    HookScope<KTAxesDlg> scope([&](KTAxesDlg& d) {
        ++opened;
        d.m_options.m_xMaxShowS.SetValue("7");
        return int(QDialog::Accepted);
    });
    f.view->OnRButtonUp(f.DeviceOf(0.0, 0.0));
    EXPECT_EQ(opened, 1);
    EXPECT_STREQ(f.Range(1), "7");
    EXPECT_TRUE(f.document.IsModified());
    EXPECT_TRUE(f.document.Graph().IsDirty());
}

// Axes Properties, opened on a drawn graph, shows in each automatic step's (disabled) edit the
// step the graph labels with; a step that is not automatic shows what was typed.
TEST(KTG300ViewModes, AxesDialogShowsTheAutomaticStepsInUse)
{
    const struct
    {
        const char* xMin;
        const char* xMax;
        const char* minor;
        const char* major; ///< the eighth of the range rounded up the 1-2-5 (or pi) steps
    } rows[] = {
        {"-10", "10", "1", "5"},
        {"-1", "1", "0.1", "0.5"},
        {"-40", "40", "5", "20"},
        {"-2pi", "2pi", "pi/3", "pi"},
    };
    for (const auto& row : rows) {
        Fixture f;
        KTOptionAxes2& axes = f.Axes();
        axes.m_xMinShowS.SetValue(row.xMin);
        axes.m_xMaxShowS.SetValue(row.xMax);
        axes.m_yMajorS.SetValue("3");
        axes.m_autoyMajor.m_value = false;
        f.document.Graph().SetDirty();
        f.Paint();
        f.document.Graph().Data().m_options.m_rightClickOnAxes.m_value = 1;
        ASSERT_STREQ(f.document.Graph().Axes().m_xAxis.m_majorText, row.major) << row.xMax;
        int shown = 0;
        HookScope<KTAxesDlg> scope([&](KTAxesDlg& d) {
            ++shown;
            EXPECT_EQ(d.StepEdit(0)->text().toStdString(), row.minor) << row.xMax;
            EXPECT_EQ(d.StepEdit(1)->text().toStdString(), row.major) << row.xMax;
            EXPECT_FALSE(d.StepEdit(1)->isEnabled());
            EXPECT_EQ(d.StepEdit(2)->text().toStdString(), "1") << row.xMax;
            EXPECT_EQ(d.StepEdit(3)->text().toStdString(), "3") << row.xMax;
            EXPECT_TRUE(d.StepEdit(3)->isEnabled());
            return int(QDialog::Rejected);
        });
        // Opened by a right click on an axis, and by the Functions command's "Axes" button.
        f.view->OnRButtonUp(f.DeviceOf(0.0, 0.0));
        HookScope<KTQuickEntry> quick([](KTQuickEntry& d) {
            d.AxesButton()->click();
            return int(QDialog::Rejected);
        });
        f.document.EditFunctions(f.view.get());
        EXPECT_EQ(shown, 2) << row.xMax;
    }
}
