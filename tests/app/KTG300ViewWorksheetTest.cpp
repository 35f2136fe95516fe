// The pictures a teacher puts on a worksheet, through the view's own paint and real mouse
// events at the window sizes of the sweep: hover tips that stay inside the window and go when
// the view changes, the shading of inequalities, derivative curves and arrowheads.

#include "app/KTG300View.h"

#include "app/KTG300Doc.h"
#include "app/KTTipWnd.h"
#include "engine/KTFunction3.h"
#include "graph/KTGraph3.h"
#include "graph/KTOptionGraph3.h"
#include "axes/KTOptionAxes2.h"
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

#include <climits>
#include <cmath>
#include <functional>
#include <string>
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


namespace {

/// Ink of the hatching: the lines are grey (the curve is blue), smoothed over one or two pixels.
bool HatchInk(QRgb pixel)
{
    return std::abs(qRed(pixel) - qBlue(pixel)) < 8 && qGray(pixel) < 230;
}

/// How much of a pixel the hatch colour covers, 0..1, from its darkness.
double HatchCover(QRgb pixel, QRgb colour)
{
    if (std::abs(qRed(pixel) - qBlue(pixel)) >= 8)
        return 0.0;
    return std::clamp((255.0 - qGray(pixel)) / (255.0 - qGray(colour)), 0.0, 1.0);
}

/// The x positions of the hatch lines crossing row y between x0 and x1: the centre of each,
/// weighted by how much of each pixel it covers.
std::vector<double> HatchLinesOnRow(const QImage& picture, int y, int x0, int x1, QRgb colour)
{
    std::vector<double> lines;
    double weight = 0.0, moment = 0.0;
    for (int x = x0; x <= x1 + 1; ++x) {
        const double cover = x <= x1 ? HatchCover(picture.pixel(x, y), colour) : 0.0;
        if (cover > 0.1) {
            weight += cover;
            moment += cover * (x + 0.5);
        } else if (weight > 0.0) {
            // A line cut by the rectangle's edge would be off centre.
            if (moment / weight - x0 > 1.5)
                lines.push_back(moment / weight);
            weight = moment = 0.0;
        }
    }
    if (!lines.empty() && x1 - lines.back() < 1.5)
        lines.pop_back();
    return lines;
}

/// The highest and lowest hatch pixel in the columns x0..x1, leaving out the rows within 2 of
/// `axisRow` (the x axis is ink of the same kind).
std::pair<int, int> InkRows(const QImage& picture, int x0, int x1, int axisRow = INT_MIN)
{
    int top = INT_MAX, bottom = INT_MIN;
    for (int x = x0; x <= x1; ++x)
        for (int y = 0; y < picture.height(); ++y)
            if ((axisRow == INT_MIN || std::abs(y - axisRow) > 2) && HatchInk(picture.pixel(x, y))) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    return {top, bottom};
}

} // namespace

// The hatching of y > x^2 - 3 (solid shading off) at the ranges of the worksheet and every window
// size of the sweep: lines 4 pixels apart (the factory's density at 96 dpi) covering a quarter of
// a rectangle inside the region, running up to the view's top edge and down to the parabola.
TEST(KTG300ViewWorksheet, HatchingKeepsItsPitchAndReachesTheEdges)
{
    const struct
    {
        const char *xMin, *xMax, *yMin, *yMax, *name;
        QRectF inside; ///< graph rectangle within the region, clear of the axes and their labels
        double boundaryX; ///< where the parabola is in the view, or NaN
    } ranges[] = {
        {"-10", "10", "-10", "10", "default", {0.3, 2, 1.4, 7}, 2.5},
        {"-1", "1", "-2", "100", "tall", {0.15, 20, 0.7, 60}, 0.7},
        {"0.265", "0.283", "3.47", "4.35", "narrow", {0.27, 3.7, 0.01, 0.5}, NAN},
        {"-10", "10", "5", "8", "y5to8", {0.3, 5.5, 1.4, 2.2}, NAN},
    };
    const QSize sizes[] = {{500, 400}, {640, 480}, {1024, 768}, {2560, 1600}};
    for (const auto& range : ranges) {
        for (const QSize size : sizes) {
            const std::string label =
                std::string(range.name) + " " + std::to_string(size.width()) + "x" + std::to_string(size.height());
            SCOPED_TRACE(label);
            KTG300Doc document;
            document.OnNewDocument();
            KTOptionGraph3& options = document.Graph().Data().m_options;
            options.m_axes.m_xMinShowS.SetValue(range.xMin);
            options.m_axes.m_xMaxShowS.SetValue(range.xMax);
            options.m_axes.m_yMinShowS.SetValue(range.yMin);
            options.m_axes.m_yMaxShowS.SetValue(range.yMax);
            options.m_frSolid.m_value = 0;
            document.Graph().Data().Function(0).Data().m_equationText = "y>x^2-3";
            document.Graph().SetDirty();
            KTG300View view(document);
            view.resize(size);
            view.show();
            Settle();
            view.repaint();
            Settle();
            const QImage picture = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
            if (size == QSize(640, 480))
                SavePicture(picture, ("hatching-" + std::string(range.name) + "-640x480").c_str());
            const QRgb dot = options.m_frPixel.m_value; // grey: the same in both byte orders
            const KTAxes& axes = document.Graph().Axes();
            const auto pixel = [&](double x, double y) {
                CPoint logical = document.Graph().Axes().GraphToDevice(x, y, 0, 0);
                KTDC dc(view.logicalDpiX(), view.logicalDpiY());
                dc.SetMapMode(MM_HIMETRIC);
                dc.LPtoDP(&logical);
                return QPoint(logical.x, logical.y);
            };
            const QPoint topLeft = pixel(range.inside.left(), range.inside.bottom());
            const QPoint bottomRight = pixel(range.inside.right(), range.inside.top());
            const QRect rectangle(topLeft, bottomRight);
            ASSERT_GT(rectangle.width(), 20);
            ASSERT_GT(rectangle.height(), 20);

            // The pitch: 4 pixels between neighbouring lines, on three rows of the rectangle.
            for (const int y : {rectangle.top(), rectangle.center().y(), rectangle.bottom()}) {
                const std::vector<double> lines = HatchLinesOnRow(picture, y, rectangle.left(), rectangle.right(), dot);
                ASSERT_GE(lines.size(), 5u);
                const double pitch = (lines.back() - lines.front()) / double(lines.size() - 1);
                EXPECT_NEAR(pitch, 4.0, 0.05);
                for (std::size_t k = 1; k < lines.size(); ++k)
                    EXPECT_NEAR(lines[k] - lines[k - 1], 4.0, 0.5) << "at " << lines[k];
            }
            // The shaded share of the rectangle: the line's width (0.25 mm, 0.945 pixels) in 4 pixels.
            double shaded = 0;
            for (int y = rectangle.top(); y <= rectangle.bottom(); ++y)
                for (int x = rectangle.left(); x <= rectangle.right(); ++x)
                    shaded += HatchCover(picture.pixel(x, y), dot);
            EXPECT_NEAR(shaded / (rectangle.width() * rectangle.height()), 0.25 * 96 / 101.6, 0.02);

            // Up to the view's top edge; down to the parabola where it is in the view (in the
            // other views the x axis lies on the bottom edge).
            const QPoint atTop = pixel(range.inside.center().x(), axes.m_yAxis.m_max);
            const auto [top, bottom] = InkRows(picture, atTop.x() - 4, atTop.x() + 4);
            EXPECT_LE(std::abs(top - atTop.y()), 1) << top << " " << atTop.y();
            (void)bottom;
            if (!std::isnan(range.boundaryX)) {
                // Each line ends on the parabola: between its heights at the line's pixel edges.
                const QPoint onCurve = pixel(range.boundaryX, 0);
                const double left = axes.m_xAxis.m_min, right = axes.m_xAxis.m_max;
                const int x0 = pixel(left, 0).x(), x1 = pixel(right, 0).x();
                const int xAxisRow = pixel(0, 0).y();
                int checked = 0;
                for (int column = onCurve.x() - 6; column <= onCurve.x() + 6; ++column) {
                    const int end = InkRows(picture, column, column, xAxisRow).second;
                    if (end == INT_MIN)
                        continue;
                    ++checked;
                    const auto curveRow = [&](double c) {
                        const double x = left + (c - x0) / double(x1 - x0) * (right - left);
                        return pixel(x, x * x - 3).y();
                    };
                    const int a = curveRow(column), b = curveRow(column + 1);
                    EXPECT_GE(end, std::min(a, b) - 2) << "column " << column;
                    EXPECT_LE(end, std::max(a, b) + 2) << "column " << column;
                }
                EXPECT_GE(checked, 3);
            }
        }
    }
}
