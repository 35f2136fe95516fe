// The mouse modes driven as a user drives them: the events go through the window system's path
// into the whole main window (the widget under the pointer gets the press and keeps the held
// button's moves and release), not into the view's handlers directly.

// QTest's mouse events for widgets then enter through the window, as the platform's do.
#define QTEST_QPA_MOUSE_HANDLING

#include "KTAppTestSupport.h"
#include "app/CChildFrame.h"
#include "app/CMainFrame.h"
#include "app/KTCommandIds.h"
#include "app/KTG300App.h"
#include "app/KTG300Doc.h"
#include "app/KTG300View.h"
#include "app/KTTipWnd.h"
#include "engine/KTFunction3.h"
#include "graph/KTDerivativeFunction.h"
#include "graph/KTGAnnotationList.h"
#include "graph/KTGraph3.h"
#include "graph/KTIntegralFunction.h"
#include "graph/KTOptionsAnnotation.h"
#include "platform/KTDC.h"
#include "support/KTTestSupport.h"
#include "ui/KTIntegralDlg.h"
#include "ui/KTQuickEntry.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QCursor>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const KTG300App::StartOptions kLocal{false, false};

// A main window with one document of the equations, painted, in integral mode chosen from the
// toolbar.
struct MainWindow
{
    explicit MainWindow(const std::vector<const char*>& equations, QSize size = QSize(780, 580))
    {
        QSettings(QString::fromLatin1(KTG300App::RegistryKey), QString::fromLatin1(KTG300App::ProfileName))
            .clear();
        EXPECT_TRUE(app.InitInstance({}, kLocal));
        frame = app.GetMainWnd();
        frame->move(0, 0);
        frame->resize(size);
        child = frame->ActiveChild();
        int slot = 0;
        for (const char* equation : equations)
            Document().Graph().Data().Function(slot++).Data().m_equationText = equation;
        Document().Graph().SetDirty();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(frame));
        View().repaint();
        QTest::qWait(50);
    }

    KTG300Doc& Document() { return child->Document(); }
    KTG300View& View() { return child->View(); }

    void ClickToolButton(int id)
    {
        QWidget* button = frame->ToolBar()->widgetForAction(frame->Action(id));
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(button->isEnabled()) << id;
        QTest::mouseClick(button, Qt::LeftButton);
    }

    // Where a graph point lies in the main window.
    QPoint At(double x, double y)
    {
        CPoint logical = Document().Graph().Axes().GraphToDevice(x, y, 0, 0);
        KTDC dc(View().logicalDpiX(), View().logicalDpiY());
        dc.SetMapMode(MM_HIMETRIC);
        dc.LPtoDP(&logical);
        return View().mapTo(frame, QPoint(logical.x, logical.y));
    }

    // The pointer moves there as a mouse moves it, with whatever buttons are held.
    void MoveTo(const QPoint& inFrame)
    {
        QCursor::setPos(frame->mapToGlobal(inFrame));
        QApplication::processEvents();
    }

    // Rests on the point until its tip shows.
    void HoverUntilTip(const QPoint& inFrame)
    {
        MoveTo(inFrame + QPoint(-2, 1));
        MoveTo(inFrame);
        QTest::qWait(2 * View().TipWindow().GetDelay() + 100);
    }

    // Moves in small steps, as a hand does, from one point to another.
    void DragTo(const QPoint& from, const QPoint& to)
    {
        const int steps = 12;
        for (int i = 1; i <= steps; ++i)
            MoveTo(from + (to - from) * i / steps);
        QTest::qWait(20);
    }

    // Pixels of the colour in the part of the main window between the two x positions, as the
    // screen shows it (the preview is an overlay of one paint, which a fresh rendering leaves out).
    int PixelsOfColour(QRgb colour, int fromX, int toX, const char* name)
    {
        QApplication::processEvents();
        const QImage image = frame->screen()->grabWindow(frame->winId()).toImage();
        const QByteArray folder = qgetenv("KT_TEST_IMAGES");
        if (!folder.isEmpty())
            image.save(QString::fromLocal8Bit(folder) + QLatin1Char('/') + QLatin1String(name));
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = std::min(fromX, toX); x <= std::max(fromX, toX); ++x)
                count += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
        return count;
    }

    KTG300App app;
    CMainFrame* frame = nullptr;
    CChildFrame* child = nullptr;
};

QRgb ShadeOf(const KTG300Doc& document)
{
    const COLORREF c = document.Defaults() ? document.Defaults()->m_integral.m_brush.m_value.m_color
                                           : KTOptionGraph3().m_integral.m_brush.m_value.m_color;
    return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

} // namespace

TEST(KTG300ViewMouse, IntegralModeDragFromACurveShowsThePreviewAndAddsTheIntegral)
{
    MainWindow w({"y=x^2"});
    w.ClickToolButton(KTCommand::IntegralMode);
    ASSERT_EQ(w.View().GetMode(), KTViewIntegral);

    const QPoint press = w.At(-1.0, 1.0);
    w.HoverUntilTip(press);
    ASSERT_TRUE(w.View().TipWindow().IsTipVisible());
    const int beeps = KTG300View::BeepCount();
    QTest::mousePress(w.frame, Qt::LeftButton, {}, press);
    const QPoint release = w.At(2.0, 4.0);
    w.DragTo(press, release);
    // While the button is held the area under the curve is shaded up to the pointer.
    const QRgb shade = ShadeOf(w.Document());
    EXPECT_GT(w.PixelsOfColour(shade, press.x() + 3, release.x() - 3, "integral-drag.png"), 500);
    QTest::mouseRelease(w.frame, Qt::LeftButton, {}, release);
    QApplication::processEvents();

    EXPECT_EQ(KTG300View::BeepCount(), beeps);
    const KTIntegralList& integrals = w.Document().Graph().Data().m_integrals;
    ASSERT_EQ(integrals.GetCount(), 1);
    EXPECT_EQ(integrals.GetAt(0).m_first, 0);
    EXPECT_EQ(integrals.GetAt(0).m_second, KTIntegralFunction::kXAxis);
    EXPECT_STREQ(integrals.GetAt(0).m_lowerText, "-1");
    EXPECT_STREQ(integrals.GetAt(0).m_upperText, "2");
    EXPECT_TRUE(w.Document().IsModified());
    // After the next paint the integral of x^2 from -1 to 2 is 3, and it stays shaded.
    w.View().repaint();
    EXPECT_NEAR(integrals.GetAt(0).m_integral, 3.0, 1e-3);
    EXPECT_GT(w.PixelsOfColour(shade, press.x() + 3, release.x() - 3, "integral-added.png"), 500);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
}

TEST(KTG300ViewMouse, IntegralModePressOnAnIntersectionTakesTheAreaBetweenTheCurves)
{
    // y = x^2 and y = x + 2 cross at x = -1 and x = 2.
    MainWindow w({"y=x^2", "y=x+2"});
    w.ClickToolButton(KTCommand::IntegralMode);
    const QPoint press = w.At(-1.0, 1.0);
    w.HoverUntilTip(press);
    ASSERT_TRUE(w.View().TipWindow().IsTipVisible());
    ASSERT_EQ(w.View().TipWindow().Content().m_item, KTTipContent::ItemNone);
    ASSERT_EQ(w.View().TipWindow().Content().m_marker.m_kind, KTMarkerIntersection);
    const int beeps = KTG300View::BeepCount();
    QTest::mousePress(w.frame, Qt::LeftButton, {}, press);
    const QPoint release = w.At(1.0, 1.0);
    w.DragTo(press, release);
    QTest::mouseRelease(w.frame, Qt::LeftButton, {}, release);
    QApplication::processEvents();

    EXPECT_EQ(KTG300View::BeepCount(), beeps);
    const KTIntegralList& integrals = w.Document().Graph().Data().m_integrals;
    ASSERT_EQ(integrals.GetCount(), 1);
    EXPECT_EQ(integrals.GetAt(0).m_first, 0);
    EXPECT_EQ(integrals.GetAt(0).m_second, 1);
    EXPECT_STREQ(integrals.GetAt(0).m_lowerText, "-1");
    EXPECT_STREQ(integrals.GetAt(0).m_upperText, "1");
    // The area between them from -1 to 1: the integral of x + 2 - x^2 is 10/3.
    w.View().repaint();
    EXPECT_NEAR(integrals.GetAt(0).m_area, 10.0 / 3.0, 1e-3);
    EXPECT_NEAR(std::fabs(integrals.GetAt(0).m_integral), 10.0 / 3.0, 1e-3);
}

TEST(KTG300ViewMouse, APressOnACurveWorksWithoutWaitingForTheTip)
{
    // y = x^2 and y = x + 2 cross at x = -1 and x = 2.
    const struct
    {
        const char* name;
        int mode;
        std::vector<const char*> equations;
        KTPoint press, release;
        int first, second; ///< the functions the new integral takes (first: the tangent's)
        const char* from;
        const char* to;
    } rows[] = {
        {"integral under a curve",
         KTCommand::IntegralMode,
         {"y=x^2"},
         {-1, 1},
         {2, 4},
         0,
         KTIntegralFunction::kXAxis,
         "-1",
         "2"},
        {"area between two curves",
         KTCommand::IntegralMode,
         {"y=x^2", "y=x+2"},
         {-1, 1},
         {1, 1},
         0,
         1,
         "-1",
         "1"},
        {"integral under the second",
         KTCommand::IntegralMode,
         {"y=x^2", "y=-x"},
         {1, -1},
         {3, -3},
         1,
         KTIntegralFunction::kXAxis,
         "1",
         "3"},
        {"tangent", KTCommand::DerivativeMode, {"y=x^2"}, {1, 1}, {1, 1}, 0, -1, "1", ""},
    };
    for (const QSize size : {QSize(500, 400), QSize(780, 580), QSize(1200, 900)}) {
        for (const auto& row : rows) {
            SCOPED_TRACE(std::string(row.name) + " at " + std::to_string(size.width()));
            MainWindow w(row.equations, size);
            w.ClickToolButton(row.mode);
            const QPoint press = w.At(row.press.m_x, row.press.m_y);
            const QPoint release = w.At(row.release.m_x, row.release.m_y);
            // Straight onto the curve and down at once: the tip has no time to appear.
            w.MoveTo(press);
            ASSERT_FALSE(w.View().TipWindow().IsTipVisible());
            const int beeps = KTG300View::BeepCount();
            QTest::mousePress(w.frame, Qt::LeftButton, {}, press);
            if (release != press)
                w.DragTo(press, release);
            QTest::mouseRelease(w.frame, Qt::LeftButton, {}, release);
            QApplication::processEvents();
            EXPECT_EQ(KTG300View::BeepCount(), beeps);
            const KTGraphData3& data = w.Document().Graph().Data();
            if (row.mode == KTCommand::DerivativeMode) {
                ASSERT_EQ(data.m_derivatives.GetCount(), 1);
                EXPECT_EQ(data.m_derivatives.GetAt(0).m_function, row.first);
                EXPECT_STREQ(data.m_derivatives.GetAt(0).m_xText, row.from);
            } else {
                ASSERT_EQ(data.m_integrals.GetCount(), 1);
                EXPECT_EQ(data.m_integrals.GetAt(0).m_first, row.first);
                EXPECT_EQ(data.m_integrals.GetAt(0).m_second, row.second);
                EXPECT_STREQ(data.m_integrals.GetAt(0).m_lowerText, row.from);
                EXPECT_STREQ(data.m_integrals.GetAt(0).m_upperText, row.to);
            }
            EXPECT_TRUE(w.Document().IsModified());
            w.Document().SetModifiedFlag(false);
        }
    }
}

TEST(KTG300ViewMouse, IntegralModePressAwayFromTheCurvesBeepsAndAddsNothing)
{
    MainWindow w({"y=x^2"});
    w.ClickToolButton(KTCommand::IntegralMode);
    const QPoint press = w.At(3.0, -3.0);
    w.HoverUntilTip(press);
    EXPECT_FALSE(w.View().TipWindow().IsTipVisible());
    const int beeps = KTG300View::BeepCount();
    QTest::mousePress(w.frame, Qt::LeftButton, {}, press);
    const QPoint release = w.At(4.0, -3.0);
    w.DragTo(press, release);
    QTest::mouseRelease(w.frame, Qt::LeftButton, {}, release);
    EXPECT_EQ(KTG300View::BeepCount(), beeps + 1);
    EXPECT_EQ(w.Document().Graph().Data().m_integrals.GetCount(), 0);
}

namespace {

/// The lines of the tip the tip window shows, "|" after each.
std::string ShownLines(KTTipWnd& tip)
{
    std::string lines;
    const KTTipInfo shown = tip.CurrentTip();
    for (int i = 0; i < shown.GetLineCount(); ++i)
        lines += std::string(shown.LineText(i).str()) + "|";
    return lines;
}

/// An annotation of one line, its box's first corner at the graph point, anchored (or not) at
/// another.
KTGAnnotation Note(KTG300Doc& document, const char* text, KTPoint corner, int anchorType, KTPoint anchor)
{
    KTGAnnotation note;
    note.m_text.AddText(text);
    note.m_textPosition = corner;
    const CPoint at = document.Graph().Axes().GraphToDevice(corner, 0, 0);
    note.m_textRect = CRect(at.x, at.y, at.x, at.y);
    note.m_anchorType = anchorType;
    note.m_anchorPosition = anchorType == KTAnchorNone ? corner : anchor;
    note.m_anchor = document.Graph().Axes().GraphToDevice(note.m_anchorPosition, 0, 0);
    note.m_lineStart = note.m_anchor;
    return note;
}

bool Within(const CRect& box, const CRect& area)
{
    CRect b = box;
    b.NormalizeRect();
    return b.left >= area.left && b.right <= area.right && b.top >= area.top && b.bottom <= area.bottom;
}

} // namespace

// Resting the pointer a pixel or two beside a point of interest names the point (every one that
// lies there), never the asymptote y = 0 running through it; a pointer sliding along a curve
// onto its vertex is followed by the tip, which names the vertex as soon as the pointer is there.
// In windows from small to large, with the pointer moved as a mouse moves it.
TEST(KTG300ViewMouse, TipsNamePointsBeforeAsymptotesAndFollowThePointer)
{
    const double root = std::sqrt(3.0);
    const struct
    {
        double x, y;
        const char* names;
    } points[] = {
        {root, 0, "x Intercept|( 1.732051 , 0 )|"},
        {-root, 0, "x Intercept|( -1.732051 , 0 )|"},
        {0, 0, "y Intercept|x Intercept|Point of Inflection|( 0 , 0 )|"},
        {0, -4, "y Intercept|Local Minimum|( 0 , -4 )|"},
    };
    // Within the hit distance (0.707 mm, 2.67 pixels at 96 dots an inch).
    const QPoint offsets[] = {{0, 0}, {1, 0}, {0, 1}, {-1, -1}, {2, 0}, {0, -2}, {-1, 1}};
    for (const QSize size : {QSize(500, 400), QSize(780, 580), QSize(1280, 1024), QSize(2560, 1600)}) {
        SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height());
        MainWindow w({"y=x^2-4", "y=1/(x-2)", "y=x^3-3x", "x=cos(t); y=sin(t)"}, size);
        KTTipWnd& tip = w.View().TipWindow();
        // What is shown, not how long the pointer rests first, is under test here.
        tip.SetDelay(10);
        for (const auto& point : points) {
            for (const QPoint& offset : offsets) {
                SCOPED_TRACE(testing::Message()
                             << point.x << "," << point.y << " + " << offset.x() << "," << offset.y());
                w.MoveTo(w.At(point.x, point.y + 3.0));
                w.MoveTo(w.At(point.x, point.y) + offset);
                ASSERT_TRUE(QTest::qWaitFor([&] { return tip.IsTipVisible(); }, 2000));
                // The nearest place first; in a small window another point may lie within reach
                // too (the cubic meets y = 1/(x - 2) at (-1.774623, -0.264927)) and follows.
                const std::string lines = ShownLines(tip);
                EXPECT_EQ(lines.rfind(point.names, 0), 0u) << lines;
                EXPECT_EQ(lines.find("Asymptote"), std::string::npos) << lines;
            }
        }
        // On an asymptote with no point and no curve within reach: the asymptote.
        w.MoveTo(w.At(3.0, -7.0));
        w.MoveTo(w.At(2.0, -7.0) + QPoint(-1, 0));
        ASSERT_TRUE(QTest::qWaitFor([&] { return tip.IsTipVisible(); }, 2000));
        EXPECT_EQ(ShownLines(tip), "Vertical Asymptote|x = 2|");

        // Sliding along the parabola onto its vertex, a pixel at a time, from a shown tip: the tip
        // stays up beside the pointer and names the vertex on arriving, with no rest there.
        const QPoint start = w.At(-1.0, -3.0);
        w.MoveTo(start);
        ASSERT_TRUE(QTest::qWaitFor([&] { return tip.IsTipVisible(); }, 2000));
        EXPECT_EQ(ShownLines(tip), "y=x^2-4|");
        const QPoint vertex = w.At(0, -4);
        for (int x = start.x() + 1; x <= vertex.x(); ++x) {
            const double gx = -1.0 + (x - start.x()) / double(vertex.x() - start.x());
            const QPoint onCurve(x, w.At(gx, gx * gx - 4).y());
            w.MoveTo(onCurve);
            ASSERT_TRUE(tip.IsTipVisible()) << x;
            ASSERT_FALSE(tip.IsArmed()) << x;
            // The tip's window starts at the pointer.
            const QPoint corner = tip.mapTo(w.frame, QPoint(0, 0));
            EXPECT_LE((corner - onCurve).manhattanLength(), 2) << x;
        }
        EXPECT_EQ(ShownLines(tip), "y Intercept|Local Minimum|( 0 , -4 )|");
    }
}

// Zoomed in with the keys as a user zooms, in windows of several sizes: an annotation whose
// point left the view is hidden with it (neither drawn nor hit), one whose point stays shows its
// whole box inside the plot, with its line to the point; the shading of an integral and the
// circle of a tangent stay inside the plot. A box kept inside the plot is dragged from where it
// shows. The main window is grabbed at each step (KT_TEST_IMAGES) to be looked at.
TEST(KTG300ViewMouse, ZoomingKeepsAnnotationsWithTheirPointsAndMarksInsideThePlot)
{
    MainWindow w({"y=x^2-4", "y=x^2"});
    KTG300Doc& document = w.Document();
    KTGraph3& graph = document.Graph();
    KTOptionAxes2& axes = graph.Data().m_options.m_axes;
    for (KTOptionString* end : {&axes.m_xMinShowS, &axes.m_yMinShowS})
        end->SetValue("-5");
    for (KTOptionString* end : {&axes.m_xMaxShowS, &axes.m_yMaxShowS})
        end->SetValue("5");
    KTIntegralFunction integral;
    integral.m_first = 0;
    integral.m_second = KTIntegralFunction::kXAxis;
    integral.m_lowerText = "0";
    integral.m_upperText = "3";
    graph.Data().m_integrals.Add(integral, true);
    KTDerivativeFunction tangent;
    tangent.m_function = 1;
    tangent.m_xText = "3"; // (3, 9): above the view
    graph.Data().m_derivatives.Add(tangent, true);
    graph.SetDirty();
    w.View().repaint();

    KTGAnnotationList& notes = document.m_annotations;
    notes.Add(Note(document, "Root at 2", KTPoint(3, 3.5), KTAnchorArrow, KTPoint(2, 0)));
    notes.Add(Note(document, "A note near the corner, long enough to run out", KTPoint(4.2, 4.8),
                   KTAnchorNone, KTPoint()));
    notes.Add(Note(document, "(-3, 5)", KTPoint(-4.5, 3), KTAnchorPoint, KTPoint(-3, 5)));
    const QByteArray folder = qgetenv("KT_TEST_IMAGES");
    const auto look = [&](const QString& name) {
        w.View().repaint();
        QApplication::processEvents();
        if (!folder.isEmpty())
            w.frame->grab().save(QString::fromLocal8Bit(folder) + QLatin1Char('/') + name);
    };

    // The document too, to be opened in the program itself and zoomed there.
    if (!folder.isEmpty()) {
        EXPECT_TRUE(document.OnSaveDocument(QString::fromLocal8Bit(folder) + QStringLiteral("/zoom.kt3")));
    }

    const QSize sizes[] = {{640, 480}, {1024, 768}, {1600, 1200}};
    for (const QSize& size : sizes) {
        w.frame->resize(size);
        graph.SetDirty();
        look(QStringLiteral("zoom-%1x%2-before.png").arg(size.width()).arg(size.height()));
        const CRect plot = graph.Axes().PlotRect();
        for (int i = 0; i < notes.GetCount(); ++i) {
            EXPECT_EQ(notes.GetAt(i).m_hidden, 0) << i;
            EXPECT_TRUE(Within(notes.GetAt(i).m_textRect, plot)) << i << " at " << size.width();
        }
    }

    // Twice in with the keys: about 2.8 either way of the middle.
    w.View().setFocus();
    QTest::keyClick(&w.View(), Qt::Key_PageDown);
    QTest::keyClick(&w.View(), Qt::Key_PageDown);
    look(QStringLiteral("zoom-1600x1200-after.png"));
    const KTAxes& zoomed = graph.Axes();
    ASSERT_LT(zoomed.m_xAxis.m_max, 3.5);
    ASSERT_GT(zoomed.m_xAxis.m_max, 2.2);
    const CRect plot = zoomed.PlotRect();
    // The root is still in view: its box (placed at (3, 3.5), now beyond the plot) shows whole.
    EXPECT_EQ(notes.GetAt(0).m_hidden, 0);
    EXPECT_TRUE(Within(notes.GetAt(0).m_textRect, plot));
    EXPECT_EQ(notes.GetAt(0).m_anchor, graph.Axes().GraphToDevice(2.0, 0.0, 0, 0));
    // The corner note and the point (-3, 5) left the view, and their annotations with them.
    EXPECT_EQ(notes.GetAt(1).m_hidden, 1);
    EXPECT_EQ(notes.GetAt(2).m_hidden, 1);
    const CPoint hiddenCorner = notes.GetAt(2).m_textRect.TopLeft();
    EXPECT_EQ(notes.HitTestText(hiddenCorner.x + 10, hiddenCorner.y - 10, KTPoint()), -1);

    // The kept box is taken where it shows and moved a little way left and down.
    CRect box = notes.GetAt(0).m_textRect;
    box.NormalizeRect();
    KTDC dc(w.View().logicalDpiX(), w.View().logicalDpiY());
    dc.SetMapMode(MM_HIMETRIC);
    const auto inFrame = [&](CPoint logical) {
        dc.LPtoDP(&logical);
        return w.View().mapTo(w.frame, QPoint(logical.x, logical.y));
    };
    const QPoint grab = inFrame(CPoint(box.left + 200, box.bottom - 200));
    w.MoveTo(grab);
    QTest::mousePress(w.frame, Qt::LeftButton, {}, grab);
    w.DragTo(grab, grab + QPoint(-60, 40));
    QTest::mouseRelease(w.frame, Qt::LeftButton, {}, grab + QPoint(-60, 40));
    look(QStringLiteral("zoom-1600x1200-dragged.png"));
    const KTGAnnotation& moved = notes.GetAt(0);
    EXPECT_TRUE(Within(moved.m_textRect, plot));
    // Its text position is now where its box shows: a zoom back out leaves it there.
    const KTPoint corner = graph.Axes().DeviceToGraph(moved.m_textRect.TopLeft(), 0);
    EXPECT_NEAR(moved.m_textPosition.m_x, corner.m_x, 0.02);
    EXPECT_NEAR(moved.m_textPosition.m_y, corner.m_y, 0.02);
    EXPECT_LT(moved.m_textPosition.m_x, zoomed.m_xAxis.m_max);
}

namespace {

/// The lines of an annotation, "|" after each; blank lines left out.
std::string NoteLines(const KTGAnnotation& note)
{
    std::string lines;
    for (int i = 0; i < note.m_text.GetLineCount(); ++i) {
        CString line = note.m_text.LineText(i);
        line.Trim();
        if (!line.IsEmpty())
            lines += std::string(line.str()) + "|";
    }
    return lines;
}

/// Rests on the point until its tip shows, then clicks there in annotation mode: the annotation
/// the user makes of what the tip shows.
const KTGAnnotation& AnnotateThere(MainWindow& w, const QPoint& at)
{
    w.ClickToolButton(KTCommand::AnnotationMode);
    EXPECT_EQ(w.View().GetMode(), KTViewAnnotation);
    w.HoverUntilTip(at);
    EXPECT_TRUE(w.View().TipWindow().IsTipVisible());
    const int before = w.Document().m_annotations.GetCount();
    QTest::mousePress(w.frame, Qt::LeftButton, {}, at);
    QTest::mouseRelease(w.frame, Qt::LeftButton, {}, at);
    QApplication::processEvents();
    EXPECT_EQ(w.Document().m_annotations.GetCount(), before + 1);
    return w.Document().m_annotations.GetAt(w.Document().m_annotations.GetCount() - 1);
}

/// The Functions command, answered by retyping every line.
void RetypeFunctions(MainWindow& w, std::vector<const char*> lines)
{
    const auto previous = KTQuickEntry::SetModalHook([lines](KTQuickEntry& dialog) {
        dialog.EquationEdit()->selectAll();
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (i > 0)
                QTest::keyClick(dialog.EquationEdit(), Qt::Key_Return);
            QTest::keyClicks(dialog.EquationEdit(), lines[i]);
        }
        dialog.OnOK();
        return dialog.result();
    });
    w.frame->Action(KTCommand::EditFunctions)->trigger();
    KTQuickEntry::SetModalHook(previous);
    // The main window is active again after the dialog, as the window system makes it.
    w.frame->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(w.frame));
    w.View().repaint();
    QApplication::processEvents();
}

} // namespace

// The report: an annotation made on the x-intercept of y = x^2 - 1 read "x Intercept ( 1 , 0 )"
// and kept saying so, pointing at the old place, after the function was typed anew as
// y = x^2 - 4. Made the user's way (annotation mode, rest until the tip shows, click), an
// annotation on a marked point follows it through the Functions command, in windows small and
// large; a point that is gone leaves it as it was until the point comes back.
TEST(KTG300ViewMouse, AnAnnotationMadeOnAMarkedPointFollowsItWhenTheFunctionsChange)
{
    const struct
    {
        std::vector<const char*> before;
        KTPoint point;
        const char* linesBefore;
        std::vector<const char*> after;
        KTPoint pointAfter;
        const char* linesAfter;
        const char* gone; // an equation without the point
    } rows[] = {
        {{"y=x^2-1"},
         {1, 0},
         "x Intercept|( 1 , 0 )|",
         {"y=x^2-4"},
         {2, 0},
         "x Intercept|( 2 , 0 )|",
         "y=x^2+5"},
        {{"y=x^2-1"},
         {0, -1},
         "y Intercept|Local Minimum|( 0 , -1 )|",
         {"y=x^2-3"},
         {0, -3},
         "y Intercept|Local Minimum|( 0 , -3 )|",
         "y=1/x"},
        {{"y=x^2", "y=x+2"},
         {2, 4},
         "Point of Intersection|( 2 , 4 )|",
         {"y=x^2", "y=x+6"},
         {3, 9},
         "Point of Intersection|( 3 , 9 )|",
         "y=x^2"},
        {{"y=1/(x-2)"},
         {2, -3},
         "Vertical Asymptote|x = 2|",
         {"y=1/(x+1)"},
         {-1, 0},
         "Vertical Asymptote|x = -1|",
         "y=x"},
    };
    for (const QSize size : {QSize(640, 480), QSize(1280, 1024)}) {
        for (const auto& row : rows) {
            SCOPED_TRACE(testing::Message() << row.before.back() << " at " << size.width());
            MainWindow w({}, size);
            RetypeFunctions(w, row.before);
            const KTGAnnotation& made = AnnotateThere(w, w.At(row.point.m_x, row.point.m_y));
            EXPECT_EQ(NoteLines(made), row.linesBefore);
            EXPECT_EQ(made.m_anchorLocked, 1);
            KTAxes& axes = w.Document().Graph().Axes();

            RetypeFunctions(w, row.after);
            const KTGAnnotation& moved = w.Document().m_annotations.GetAt(0);
            EXPECT_EQ(NoteLines(moved), row.linesAfter);
            EXPECT_NEAR(moved.GetGraphPoint().m_x, row.pointAfter.m_x, 1e-6);
            if (row.linesAfter[0] != 'V') { // an asymptote's point is wherever the pointer was
                EXPECT_NEAR(moved.GetGraphPoint().m_y, row.pointAfter.m_y, 1e-6);
            }
            EXPECT_EQ(moved.m_anchor, axes.GraphToDevice(moved.GetGraphPoint(), 0, 0));

            // Typed so that the point is gone, it stays as it was; typed back, it follows again.
            RetypeFunctions(w, {row.gone});
            EXPECT_EQ(NoteLines(w.Document().m_annotations.GetAt(0)), row.linesAfter);
            RetypeFunctions(w, row.before);
            EXPECT_EQ(NoteLines(w.Document().m_annotations.GetAt(0)), row.linesBefore);
        }
    }
}

// The report: an annotation made on an integral kept the old value after the integral's upper
// bound changed. Made the user's way on an integral and on a tangent, it follows the integral
// through the Integral command and the tangent through the arrow keys; when its tangent is
// deleted it stays where it was with what it said, and its anchor can be moved again.
TEST(KTG300ViewMouse, AnAnnotationMadeOnAnIntegralOrATangentFollowsIt)
{
    MainWindow w({"y=x^2"});
    KTGraphData3& data = w.Document().Graph().Data();
    // The integral from -1 to 2, by the mouse; and the tangent at x = 1, y = 2x - 1.
    w.ClickToolButton(KTCommand::IntegralMode);
    const QPoint press = w.At(-1.0, 1.0);
    w.HoverUntilTip(press);
    QTest::mousePress(w.frame, Qt::LeftButton, {}, press);
    w.DragTo(press, w.At(2.0, 4.0));
    QTest::mouseRelease(w.frame, Qt::LeftButton, {}, w.At(2.0, 4.0));
    ASSERT_EQ(data.m_integrals.GetCount(), 1);
    w.ClickToolButton(KTCommand::DerivativeMode);
    w.HoverUntilTip(w.At(1.0, 1.0));
    QTest::mousePress(w.frame, Qt::LeftButton, {}, w.At(1.0, 1.0));
    QTest::mouseRelease(w.frame, Qt::LeftButton, {}, w.At(1.0, 1.0));
    ASSERT_EQ(data.m_derivatives.GetCount(), 1);
    w.View().repaint();

    const QPoint inArea = w.At(1.2, 0.4);
    const QPoint onTangent = w.At(-1.5, -4.0);
    const KTGAnnotation& onIntegral = AnnotateThere(w, inArea);
    EXPECT_EQ(onIntegral.m_boundCode, KTGAnnotation::BoundIntegral);
    const std::string integralBefore = data.m_integrals.GetAt(0).m_integralText.str();
    EXPECT_NE(NoteLines(onIntegral).find(integralBefore), std::string::npos);
    const KTGAnnotation& onLine = AnnotateThere(w, onTangent);
    EXPECT_EQ(onLine.m_boundCode, KTGAnnotation::BoundTangent);
    const std::string lineBefore = NoteLines(onLine);
    const auto notes = [&w] {
        return std::pair(w.Document().m_annotations.GetAt(0), w.Document().m_annotations.GetAt(1));
    };

    // The integral taken in select mode and given the upper bound 3 in the Integral dialog.
    w.ClickToolButton(KTCommand::SelectMode);
    w.HoverUntilTip(inArea);
    QTest::mouseClick(w.frame, Qt::LeftButton, {}, inArea);
    {
        const auto previous = KTIntegralDlg::SetModalHook([](KTIntegralDlg& d) {
            d.UpperEdit()->setText(QStringLiteral("3"));
            d.OkButton()->click();
            return d.result();
        });
        // From the Edit menu, which enables its commands as it opens.
        QMenu* edit = nullptr;
        for (QAction* entry : w.frame->menuBar()->actions())
            if (entry->text() == QStringLiteral("&Edit"))
                edit = entry->menu();
        ASSERT_NE(edit, nullptr);
        emit edit->aboutToShow();
        ASSERT_TRUE(w.frame->Action(KTCommand::Integral)->isEnabled());
        w.frame->Action(KTCommand::Integral)->trigger();
        KTIntegralDlg::SetModalHook(previous);
    }
    w.frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.frame));
    w.View().repaint();
    ASSERT_STREQ(data.m_integrals.GetAt(0).m_upperText, "3");
    EXPECT_NEAR(data.m_integrals.GetAt(0).m_integral, 28.0 / 3.0, 1e-3); // (27 + 1) / 3
    const std::string integralNow = data.m_integrals.GetAt(0).m_integralText.str();
    ASSERT_NE(integralNow, integralBefore);
    EXPECT_NE(NoteLines(notes().first).find(integralNow), std::string::npos) << NoteLines(notes().first);
    EXPECT_EQ(NoteLines(notes().second), lineBefore);

    // The tangent taken and moved right with the key: its point and line go with it.
    w.HoverUntilTip(onTangent);
    QTest::mouseClick(w.frame, Qt::LeftButton, {}, onTangent);
    ASSERT_TRUE(data.m_derivatives.GetAt(0).m_selected);
    const double xBefore = data.m_derivatives.GetAt(0).m_point.m_x;
    QTest::keyClick(&w.View(), Qt::Key_Right);
    w.View().repaint();
    const KTDerivativeFunction& tangent = data.m_derivatives.GetAt(0);
    ASSERT_GT(tangent.m_point.m_x, xBefore);
    const std::string lineAfter = NoteLines(notes().second);
    EXPECT_NE(lineAfter, lineBefore);
    EXPECT_NE(lineAfter.find(data.m_derivatives.SelectedLineText().str()), std::string::npos) << lineAfter;
    EXPECT_NEAR(notes().second.GetGraphPoint().m_x, tangent.m_point.m_x, 1e-9);
    EXPECT_NEAR(notes().second.GetGraphPoint().m_y, tangent.m_point.m_x * tangent.m_point.m_x, 1e-9);

    // Deleted, the tangent leaves its annotation free where it was.
    const KTPoint anchor = notes().second.GetGraphPoint();
    QTest::keyClick(&w.View(), Qt::Key_Delete);
    w.View().repaint();
    ASSERT_EQ(data.m_derivatives.GetCount(), 0);
    ASSERT_EQ(w.Document().m_annotations.GetCount(), 2);
    EXPECT_EQ(notes().second.m_bound, 0);
    EXPECT_EQ(notes().second.m_anchorLocked, 0);
    EXPECT_EQ(NoteLines(notes().second), lineAfter);
    EXPECT_EQ(notes().second.GetGraphPoint(), anchor);
    EXPECT_EQ(notes().first.m_bound, 1);
}

// An annotation made on a marked point and one made on an integral, saved with the document and
// opened again, still follow their point and their integral when the function is retyped
// through the Functions command: what binds them is part of the file.
TEST(KTG300ViewMouse, AnnotationsFollowTheirPointAndIntegralAfterTheDocumentIsOpenedAgain)
{
    kttest::TempDir dir;
    const auto path = dir.File("notes.kt3");
    MainWindow w({"y=x^2-1"});
    KTGraphData3& data = w.Document().Graph().Data();
    w.ClickToolButton(KTCommand::IntegralMode);
    const QPoint press = w.At(-1.0, 0.0);
    w.HoverUntilTip(press);
    QTest::mousePress(w.frame, Qt::LeftButton, {}, press);
    w.DragTo(press, w.At(2.0, 3.0));
    QTest::mouseRelease(w.frame, Qt::LeftButton, {}, w.At(2.0, 3.0));
    ASSERT_EQ(data.m_integrals.GetCount(), 1);
    // Of x^2 - 1 from -1 to 2: (8 + 1) / 3 - 3 = 0.
    EXPECT_NEAR(data.m_integrals.GetAt(0).m_integral, 0.0, 1e-6);
    w.View().repaint();
    EXPECT_EQ(NoteLines(AnnotateThere(w, w.At(1.0, 0.0))), "x Intercept|( 1 , 0 )|");
    const KTGAnnotation& onIntegral = AnnotateThere(w, w.At(0.0, -0.5));
    ASSERT_EQ(onIntegral.m_boundCode, KTGAnnotation::BoundIntegral);
    const std::string integralBefore = data.m_integrals.GetAt(0).m_integralText.str();
    EXPECT_NE(NoteLines(onIntegral).find(integralBefore), std::string::npos) << NoteLines(onIntegral);
    ASSERT_TRUE(w.Document().OnSaveDocument(kttest::ToQ(path)));

    // A copy, so that the file is read into a document of its own.
    const auto copy = dir.File("copy.kt3");
    std::filesystem::copy_file(path, copy);
    const KTG300Doc* made = &w.Document();
    KTG300Doc* opened = w.frame->OpenDocumentFile(kttest::ToQ(copy));
    ASSERT_NE(opened, nullptr);
    ASSERT_NE(opened, made);
    w.child = w.frame->ActiveChild();
    ASSERT_EQ(&w.Document(), opened);
    ASSERT_EQ(w.Document().m_annotations.GetCount(), 2);
    w.View().repaint();
    QApplication::processEvents();
    RetypeFunctions(w, {"y=x^2-4"});
    KTGraphData3& reopened = w.Document().Graph().Data();
    ASSERT_EQ(reopened.m_integrals.GetCount(), 1);
    // Of x^2 - 4 from -1 to 2: 3 - 12 = -9.
    EXPECT_NEAR(reopened.m_integrals.GetAt(0).m_integral, -9.0, 1e-6);
    const KTGAnnotation& point = w.Document().m_annotations.GetAt(0);
    EXPECT_EQ(NoteLines(point), "x Intercept|( 2 , 0 )|");
    EXPECT_NEAR(point.GetGraphPoint().m_x, 2.0, 1e-6);
    const std::string integralNow = reopened.m_integrals.GetAt(0).m_integralText.str();
    ASSERT_NE(integralNow, integralBefore);
    EXPECT_NE(NoteLines(w.Document().m_annotations.GetAt(1)).find(integralNow), std::string::npos)
        << NoteLines(w.Document().m_annotations.GetAt(1));
    for (CChildFrame* child : w.frame->Children())
        child->Document().SetModifiedFlag(false);
}
