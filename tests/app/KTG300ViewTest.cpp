#include "app/KTG300View.h"

#include "KTAppTestSupport.h"
#include "app/KTG300Doc.h"
#include "engine/KTFunction3.h"
#include "graph/KTGraph3.h"
#include "platform/KTDC.h"
#include "support/KTTestSupport.h"
#include "ui/KTParameterBar.h"
#include "ui/KTSpinButtonCtrl.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>

#include <gtest/gtest.h>

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
