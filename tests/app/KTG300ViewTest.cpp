#include "app/KTG300View.h"

#include "KTAppTestSupport.h"
#include "app/KTG300Doc.h"
#include "engine/KTFunction3.h"
#include "graph/KTDerivativeFunction.h"
#include "graph/KTGraph3.h"
#include "graph/KTIntegralFunction.h"
#include "platform/KTDC.h"
#include "support/KTTestSupport.h"
#include "ui/KTParameterBar.h"
#include "ui/KTSpinButtonCtrl.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QLineEdit>
#include <QPixmap>

#include <gtest/gtest.h>

#include <algorithm>

#include <functional>

namespace {

void SetFunctions(KTG300Doc& document, std::initializer_list<const char*> equations)
{
    int slot = 0;
    for (const char* equation : equations)
        document.Graph().Data().Function(slot++).Data().m_equationText = equation;
    document.Graph().SetDirty();
}

// Dark pixels in the rectangle, sampled every other pixel.
int DarkPixels(const QImage& image, const QRect& rect)
{
    int dark = 0;
    for (int y = rect.top(); y <= rect.bottom(); y += 2)
        for (int x = rect.left(); x <= rect.right(); x += 2)
            dark += qGray(image.pixel(x, y)) < 160;
    return dark;
}

void SaveForInspection(const QImage& image, const char* name)
{
    const QByteArray folder = qgetenv("KT_TEST_IMAGES");
    if (!folder.isEmpty())
        image.save(QString::fromLocal8Bit(folder) + QLatin1Char('/') + QLatin1String(name));
}

void Settle()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

} // namespace

TEST(KTG300View, PaintsTheGraphIntoAnImage)
{
    KTG300Doc document;
    document.OnNewDocument();
    SetFunctions(document, {"y=x^2-3", "y=sin(x)"});
    KTG300View view(document);
    view.resize(600, 450);
    QImage image(600, 450, QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
        KTDC dc(&image);
        view.OnDraw(dc);
    }
    SaveForInspection(image, "view-image.png");
    EXPECT_GT(DarkPixels(image, image.rect()), 300);
    EXPECT_EQ(document.Graph().Data().m_dirty, 0);
    // No constant in use: the graph fills the client area.
    EXPECT_EQ(view.GraphRect().left, 0);
    EXPECT_EQ(view.GraphRect().top, 0);
    EXPECT_GT(view.GraphRect().right, 15000);
    EXPECT_LT(view.GraphRect().bottom, -11000);
}

TEST(KTG300View, PaintsAnOffscreenWidget)
{
    KTG300Doc document;
    document.OnNewDocument();
    SetFunctions(document, {"y=x"});
    KTG300View view(document);
    view.resize(500, 400);
    view.show();
    Settle();
    const QImage image = view.grab().toImage();
    SaveForInspection(image, "view-widget.png");
    EXPECT_GT(DarkPixels(image, image.rect()), 200);
    EXPECT_FALSE(document.IsModified()); // showing the window is no change of the user's
    view.resize(520, 420);
    Settle();
    EXPECT_TRUE(document.IsModified()); // a resize afterwards is
}

TEST(KTG300View, PanelsAppearOnlyForConstantsInUse)
{
    const struct
    {
        std::initializer_list<const char*> equations;
        std::vector<int> shown; // panel indices of m, a, b, c, d
        std::vector<int> x;
    } rows[] = {
        {{"y=x"}, {}, {}},
        {{"y=b x", "y=d"}, {2, 4}, {10, 110}},
        {{"y=m x+a", "y=c"}, {0, 1, 3}, {10, 110, 210}},
    };
    for (const auto& row : rows) {
        KTG300Doc document;
        document.OnNewDocument();
        SetFunctions(document, row.equations);
        KTG300View view(document);
        view.resize(640, 480);
        view.show();
        Settle();
        // Only the panels shown have been made.
        EXPECT_EQ(view.findChildren<KTParameterBar*>().size(), static_cast<qsizetype>(row.shown.size()));
        std::vector<int> shown, x;
        for (int i = 0; i < KTG300View::PanelCount; ++i) {
            if (view.Panel(i).isVisible()) {
                shown.push_back(i);
                x.push_back(view.Panel(i).GetPosition().x);
                EXPECT_EQ(view.Panel(i).GetPosition().y, 480 - KTG300View::PanelStripHeight + 1);
            }
        }
        EXPECT_EQ(shown, row.shown);
        EXPECT_EQ(x, row.x);
        // With a panel the graph leaves the strip free: its bottom lies a strip higher.
        const int fullBottom = -480 * 2540 / 96;
        if (row.shown.empty()) {
            EXPECT_NEAR(view.GraphRect().bottom, fullBottom, 30);
        } else {
            EXPECT_NEAR(view.GraphRect().bottom, fullBottom + KTG300View::PanelStripHeight * 2540 / 96, 60);
        }
    }
}

TEST(KTG300View, SavingKeepsTheValuesOfConstantsWhosePanelsWereNeverShown)
{
    KTG300Doc document;
    document.OnNewDocument();
    SetFunctions(document, {"y=a x"});
    document.Graph().SetConstant("b", 3.25);
    document.Graph().SetConstant("d", -7);
    KTG300View view(document);
    view.resize(640, 480);
    view.show();
    Settle();
    view.Panel(1).ValueEdit().setText(QStringLiteral("2.5"));
    Settle();
    emit document.aboutToSave();
    const KTFunctionConstantRanges& constants = document.Graph().Data().Function(0).Data().m_constants;
    EXPECT_DOUBLE_EQ(constants.Current(KTConstantA), 2.5);
    EXPECT_DOUBLE_EQ(constants.Current(KTConstantB), 3.25);
    EXPECT_DOUBLE_EQ(constants.Current(KTConstantD), -7.0);
    // A panel made after the change starts at the document's value.
    EXPECT_DOUBLE_EQ(view.Panel(2).GetValue(), 3.25);
}

TEST(KTG300View, APanelValueSetsTheConstant)
{
    KTG300Doc document;
    document.OnNewDocument();
    SetFunctions(document, {"y=a x"});
    KTG300View view(document);
    view.resize(640, 480);
    view.show();
    Settle();
    KTParameterBar& panel = view.Panel(1);
    ASSERT_EQ(panel.GetName(), CString("a"));
    // The spinner steps number texts exactly: "0.1" up ten times from "0" is "1".
    panel.ValueSpinner().SetRange("-1000", "1000", "0.1");
    panel.ValueSpinner().SetText("0");
    for (int i = 0; i < 10; ++i)
        panel.ValueSpinner().OnDeltaPos(1);
    EXPECT_EQ(panel.ValueSpinner().GetText(), CString("1"));
    panel.ValueEdit().setText(QStringLiteral("2.5"));
    Settle();
    EXPECT_TRUE(document.IsModified());
    EXPECT_DOUBLE_EQ(document.Graph().Data().Function(0).Data().m_constants.Current(KTConstantA), 2.5);
    EXPECT_DOUBLE_EQ(document.m_substitutions.GetValue("a"), 2.5);
}

TEST(KTG300View, InterpretationMessagesAreShownAfterThePaintOnce)
{
    KTG300Doc document;
    document.OnNewDocument();
    SetFunctions(document, {"y=1/(0)", "y=x"});
    kttest::MessageBoxRecorder boxes;
    KTG300View view(document);
    view.resize(400, 300);
    view.show();
    Settle();
    const std::size_t shown = boxes.Boxes().size();
    ASSERT_GE(shown, 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, CString("Function Error"));
    document.Graph().SetDirty();
    view.update();
    Settle();
    EXPECT_EQ(boxes.Boxes().size(), shown); // the same text asks nothing again
}

TEST(KTG300View, AFullListOfIntersectionsIsToldAfterThePaintOnce)
{
    KTG300Doc document;
    document.OnNewDocument();
    SetFunctions(document, {"y=+-sin(3000x^2+1)", "y=+-sin(3000x^2+2)", "y=+-sin(3000x^2+3)", "y=+-sin(3000x^2+4)",
                            "y=+-sin(3000x^2+5)", "y=+-sin(3000x^2+6)", "y=+-sin(3000x^2+7)", "y=+-sin(3000x^2+8)",
                            "y=+-sin(3000x^2+9)", "y=+-sin(3000x^2+10)"});
    // Twenty branches that cross each other about every other pixel: more than the list holds.
    KTOptionAxes2& axes = document.Graph().Data().m_options.m_axes;
    document.Graph().Data().m_options.m_autoScale.m_value = 0;
    axes.m_autoMinx.m_value = axes.m_autoMaxx.m_value = axes.m_autoMiny.m_value = axes.m_autoMaxy.m_value = 0;
    axes.m_xMinShowS.SetValue("-10");
    axes.m_xMaxShowS.SetValue("10");
    axes.m_yMinShowS.SetValue("-2");
    axes.m_yMaxShowS.SetValue("2");
    kttest::MessageBoxRecorder boxes;
    KTG300View view(document);
    view.resize(2400, 1500);
    view.show();
    Settle();
    const auto full = [&boxes] {
        return std::count_if(boxes.Boxes().begin(), boxes.Boxes().end(), [](const kttest::RecordedMessageBox& box) {
            return box.text.Find("more points of intersection in view than can be marked") >= 0;
        });
    };
    ASSERT_EQ(1, full());
    document.Graph().SetDirty();
    view.update();
    Settle();
    EXPECT_EQ(1, full()); // the next paints recalculate a list as full: told already
}

TEST(KTG300View, PrintingDrawsTheDocumentOnAPrintingContext)
{
    KTG300Doc document;
    document.OnNewDocument();
    SetFunctions(document, {"y=x^2"});
    QImage page(800, 1000, QImage::Format_ARGB32);
    page.fill(Qt::white);
    {
        KTDC dc(&page);
        dc.SetPrinting(true);
        KTG300View::OnPrint(document, dc);
        EXPECT_EQ(dc.GetMapMode(), MM_HIMETRIC);
    }
    SaveForInspection(page, "view-print.png");
    EXPECT_GT(DarkPixels(page, page.rect()), 200);
}

namespace {

/// Pixels where the two pictures differ (both as 32-bit colours), above the strip of the
/// constants' panels (child widgets, which only a grab of the window shows).
int CountDiffering(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return a.width() * a.height() + 1;
    int count = 0;
    for (int y = 0; y < a.height() - KTG300View::PanelStripHeight; ++y)
        for (int x = 0; x < a.width(); ++x)
            count += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
    return count;
}

/// What OnDraw paints: the picture a kept frame must reproduce.
QImage PaintedByOnDraw(KTG300View& view)
{
    QImage image(view.size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    KTDC dc(&image);
    view.OnDraw(dc);
    return image;
}

/// A shown view of a document with curves, a tangent, an integral and family constants in use.
struct ShownView
{
    ShownView()
    {
        document.OnNewDocument();
        SetFunctions(document, {"y=x^2/4-3", "y=a sin(x)", "r=2+cos(3th)"});
        KTDerivativeFunction tangent;
        tangent.m_function = 0;
        tangent.m_xText = "1";
        document.Graph().AddDerivative(tangent, true);
        KTIntegralFunction integral;
        integral.m_first = 0;
        integral.m_second = KTIntegralFunction::kXAxis;
        integral.m_lowerText = "-2";
        integral.m_upperText = "2";
        document.Graph().AddIntegral(integral, true);
        view.resize(700, 500);
        view.show();
        Settle();
    }
    KTG300Doc document;
    KTG300View view{document};
};

} // namespace

TEST(KTG300View, ARepaintWithNothingChangedDrawsTheKeptFrame)
{
    ShownView shown;
    const QImage first = shown.view.grab().toImage();
    ASSERT_TRUE(shown.view.HasCurrentFrame());
    const QImage again = shown.view.grab().toImage();
    EXPECT_TRUE(shown.view.HasCurrentFrame());
    const QImage reference = PaintedByOnDraw(shown.view);
    SaveForInspection(first, "view-kept-frame.png");
    EXPECT_GT(DarkPixels(first, first.rect()), 300);
    EXPECT_EQ(CountDiffering(first, reference), 0);
    EXPECT_EQ(CountDiffering(again, reference), 0);

    // A cursor moved over empty paper and a part of the window exposed keep the frame.
    QMouseEvent move(QEvent::MouseMove, QPointF(20, 20), QPointF(20, 20), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&shown.view, &move);
    shown.view.repaint(QRect(100, 100, 50, 40));
    EXPECT_TRUE(shown.view.HasCurrentFrame());
    EXPECT_EQ(CountDiffering(shown.view.grab().toImage(), reference), 0);
}

TEST(KTG300View, EveryChangeOfThePictureDropsTheKeptFrame)
{
    const struct
    {
        const char* change;
        std::function<void(KTG300View&, KTG300Doc&)> make;
    } rows[] = {
        {"graph changed",
         [](KTG300View&, KTG300Doc& d) {
             d.Graph().Data().Function(0).Data().m_equationText = "y=x";
             d.Graph().SetDirty();
         }},
        {"view resized", [](KTG300View& v, KTG300Doc&) { v.resize(640, 520); }},
        {"constant's value",
         [](KTG300View&, KTG300Doc& d) {
             d.m_substitutions.Clear();
             d.m_substitutions.Add("a", 2.5);
         }},
        {"tangent selected",
         [](KTG300View&, KTG300Doc& d) { d.Graph().Data().m_derivatives.SetSelected(0, true); }},
        {"integral selected",
         [](KTG300View&, KTG300Doc& d) { d.Graph().Data().m_integrals.SetSelected(0, true); }},
        {"redraw asked", [](KTG300View& v, KTG300Doc&) { v.Redraw(); }},
    };
    for (const auto& row : rows) {
        ShownView shown;
        shown.view.grab();
        ASSERT_TRUE(shown.view.HasCurrentFrame()) << row.change;
        row.make(shown.view, shown.document);
        EXPECT_FALSE(shown.view.HasCurrentFrame()) << row.change;
        Settle(); // the panels follow a resize after the paint
        const QImage painted = shown.view.grab().toImage();
        EXPECT_TRUE(shown.view.HasCurrentFrame()) << row.change;
        EXPECT_EQ(CountDiffering(painted, PaintedByOnDraw(shown.view)), 0) << row.change;
    }
}

TEST(KTG300View, ModeOverlaysAreDrawnOverTheKeptFrame)
{
    // A zoom rectangle dragged with the mouse shows on the next paint only, over the frame.
    ShownView shown;
    shown.view.OnZoomMode();
    const QImage plain = shown.view.grab().toImage();
    const auto drag = [&](QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, at, Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(&shown.view, &event);
    };
    drag(QEvent::MouseButtonPress, QPointF(100, 100), Qt::LeftButton);
    drag(QEvent::MouseMove, QPointF(300, 250), Qt::LeftButton);
    const QImage withBand = shown.view.grab().toImage();
    EXPECT_TRUE(shown.view.HasCurrentFrame());
    EXPECT_GT(CountDiffering(withBand, plain), 100);
    drag(QEvent::MouseMove, QPointF(300, 250), Qt::LeftButton);
    SaveForInspection(withBand, "view-zoom-band.png");
    EXPECT_EQ(CountDiffering(withBand, PaintedByOnDraw(shown.view)), 0);
    // The band was drawn once: the next paint is the frame alone.
    EXPECT_EQ(CountDiffering(shown.view.grab().toImage(), plain), 0);
}
