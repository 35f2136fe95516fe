// The pictures a teacher puts on a worksheet, through the view's own paint and real mouse
// events at the window sizes of the sweep: hover tips that stay inside the window and go when
// the view changes, the shading of inequalities, derivative curves and arrowheads.

#include "app/KTG300View.h"

#include "app/KTG300Doc.h"
#include "app/KTTipWnd.h"
#include "engine/KTFunction3.h"
#include "graph/KTGraph3.h"
#include "platform/KTDC.h"
#include "support/KTPictureChecks.h"
#include "support/KTTestSupport.h"
#include "ui/KTAnnotateEditDlg.h"

#include <QApplication>
#include <QImage>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

void Settle()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

/// Writes the picture into the folder "worksheet" beside the test program, for a person to look at.
void SavePicture(const QImage& picture, const char* name)
{
    picture.save(kttest::PictureFolder("worksheet") + QLatin1Char('/') + QLatin1String(name) +
                 QStringLiteral(".png"));
}

/// Window sizes of the sweep, the issue's own among them.
const QSize kWindowSizes[] = {{320, 240}, {500, 400}, {640, 480}, {1024, 768}, {1600, 1200}, {2560, 1600}};

/// A new document's view shown at a size, its functions typed, painted once.
struct ShownView
{
    ShownView(std::initializer_list<const char*> equations, QSize size)
    {
        document.OnNewDocument();
        int slot = 0;
        for (const char* equation : equations)
            document.Graph().Data().Function(slot++).Data().m_equationText = equation;
        document.Graph().SetDirty();
        view = std::make_unique<KTG300View>(document);
        view->resize(size);
        view->show();
        Settle();
        view->repaint();
        Settle();
    }

    /// The view's pixel of a graph point of the last layout.
    QPoint Pixel(double x, double y)
    {
        CPoint logical = document.Graph().Axes().GraphToDevice(x, y, 0, 0);
        KTDC dc(view->logicalDpiX(), view->logicalDpiY());
        dc.SetMapMode(MM_HIMETRIC);
        dc.LPtoDP(&logical);
        return QPoint(logical.x, logical.y);
    }

    /// Rests the mouse on the point (coming from elsewhere) and waits for the tip.
    bool HoverUntilShown(QPoint at)
    {
        QTest::mouseMove(view.get(), at + QPoint(7, 7));
        QTest::mouseMove(view.get(), at);
        const KTTipWnd& tip = view->TipWindow();
        return QTest::qWaitFor([&] { return tip.IsTipVisible() && tip.isVisible(); }, 3000);
    }

    KTG300Doc document;
    std::unique_ptr<KTG300View> view;
};

} // namespace

// Near each corner of the window, at every size of the sweep, the tip lies wholly inside it:
// whether it goes left or right of the mouse, above or below, is decided for each axis alone.
TEST(KTG300ViewWorksheet, TipsStayInsideTheWindowNearEveryCorner)
{
    for (const QSize size : kWindowSizes) {
        ShownView shown({"y=x", "y=-x"}, size);
        const KTAxes& axes = shown.document.Graph().Axes();
        const double x = 0.93 * axes.m_xAxis.m_max;
        const double y = 0.93 * axes.m_yAxis.m_max;
        // The diagonals run into the corners: points on them near each corner.
        const QPoint corners[] = {shown.Pixel(-x, -y), shown.Pixel(x, -y), shown.Pixel(-x, y),
                                  shown.Pixel(x, y)};
        for (const QPoint at : corners) {
            ASSERT_TRUE(shown.HoverUntilShown(at))
                << size.width() << "x" << size.height() << " at " << at.x() << "," << at.y();
            const QRect tip = shown.view->TipWindow().geometry();
            EXPECT_TRUE(shown.view->rect().contains(tip))
                << size.width() << "x" << size.height() << " at " << at.x() << "," << at.y() << ": tip "
                << tip.x() << "," << tip.y() << " " << tip.width() << "x" << tip.height();
            if (size == QSize(640, 480) && at == corners[0])
                SavePicture(shown.view->grab().toImage(), "tip-bottom-left-640x480");
        }
    }
}

// A shown tip goes when the view changes under it: a zoom by the keys or by a click in zoom
// mode, a move by the arrow keys, a resize. The next rest of the mouse brings a new one.
TEST(KTG300ViewWorksheet, TipsGoWhenTheViewChanges)
{
    ShownView shown({"y=x^2/4"}, QSize(640, 480));
    KTG300View& view = *shown.view;
    const KTTipWnd& tip = view.TipWindow();
    const std::vector<std::pair<const char*, std::function<void()>>> changes = {
        {"Page Down", [&] { QTest::keyClick(&view, Qt::Key_PageDown); }},
        {"Page Up", [&] { QTest::keyClick(&view, Qt::Key_PageUp); }},
        {"arrow", [&] { QTest::keyClick(&view, Qt::Key_Left); }},
        {"zoom click",
         [&] {
             view.OnZoomMode();
             QTest::mouseClick(&view, Qt::LeftButton, Qt::NoModifier, shown.Pixel(1, 0.25));
             view.OnSelectMode();
         }},
        {"resize", [&] { view.resize(700, 520); }},
    };
    for (const auto& [name, change] : changes) {
        ASSERT_TRUE(shown.HoverUntilShown(shown.Pixel(2, 1))) << name;
        change();
        Settle();
        QTest::qWait(50);
        Settle();
        EXPECT_FALSE(tip.isVisible()) << name;
        EXPECT_FALSE(tip.IsTipVisible()) << name;
    }
}

// A new annotation, placed with a click in annotation mode, opens in its editor as one empty
// line: Ctrl+End stays on it, a click anywhere in the edit puts the caret on it, and what is
// typed there makes a one-line box.
TEST(KTG300ViewWorksheet, ANewAnnotationStartsWithOneEmptyLine)
{
    ShownView shown({"y=x"}, QSize(640, 480));
    KTG300View& view = *shown.view;
    view.OnAnnotationMode();
    QTest::mouseClick(&view, Qt::LeftButton, Qt::NoModifier, shown.Pixel(2, 3));
    Settle();
    ASSERT_EQ(shown.document.m_annotations.GetCount(), 1);

    int opened = 0;
    const auto previous = KTAnnotateEditDlg::SetModalHook([&](KTAnnotateEditDlg& d) {
        ++opened;
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&d));
        QTextEdit* edit = d.TextEdit();
        EXPECT_EQ(edit->toPlainText(), QString());
        EXPECT_EQ(edit->document()->blockCount(), 1);
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_End, Qt::ControlModifier);
        EXPECT_EQ(edit->textCursor().blockNumber(), 0);
        QTest::mouseClick(edit->viewport(), Qt::LeftButton, Qt::NoModifier,
                          edit->viewport()->rect().center());
        EXPECT_EQ(edit->textCursor().blockNumber(), 0);
        QTest::keyClicks(edit, "A");
        d.OkButton()->click();
        return d.result();
    });
    EXPECT_TRUE(view.EditAnnotationAt(0));
    KTAnnotateEditDlg::SetModalHook(previous);
    EXPECT_EQ(opened, 1);
    const KTTipInfo& text = shown.document.m_annotations.GetAt(0).m_text;
    ASSERT_EQ(text.GetLineCount(), 1);
    EXPECT_EQ(text.LineText(0), CString("A"));
    view.OnSelectMode();
    view.repaint();
    SavePicture(view.grab().toImage(), "annotation-typed-one-letter");
}
