// Printing as the user prints: a document in a main window of a given size goes through the
// program's printer into a PDF file, which poppler's pdftoppm turns into the page as paper shows
// it. The page must hold the whole graph the window shows, axis arrows included.

#include "app/CChildFrame.h"

#include "KTAppTestSupport.h"
#include "app/CMainFrame.h"
#include "app/KTG300App.h"
#include "app/KTG300Doc.h"
#include "app/KTG300View.h"
#include "engine/KTFunction3.h"
#include "graph/KTGraph3.h"
#include "support/KTTestSupport.h"

#include <QApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using kttest::ToQ;

namespace {

const KTG300App::StartOptions kLocal{false, false};
/// The resolution the printed pages are looked at.
constexpr int kPageDpi = 100;

bool IsInk(QRgb pixel)
{
    return qGray(pixel) < 215;
}

// The smallest rectangle holding every inked pixel of the image; null when there is none.
QRect InkBox(const QImage& image, const QRect& within)
{
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    for (int y = within.top(); y <= within.bottom(); ++y)
        for (int x = within.left(); x <= within.right(); ++x)
            if (IsInk(image.pixel(x, y))) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    return left == INT_MAX ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

bool InkNear(const QImage& image, QPointF at, int radius)
{
    for (int y = int(at.y()) - radius; y <= int(at.y()) + radius; ++y)
        for (int x = int(at.x()) - radius; x <= int(at.x()) + radius; ++x)
            if (image.rect().contains(x, y) && IsInk(image.pixel(x, y)))
                return true;
    return false;
}

void SaveForInspection(const QImage& image, const QString& name)
{
    const QByteArray folder = qgetenv("KT_TEST_IMAGES");
    if (!folder.isEmpty())
        image.save(QString::fromLocal8Bit(folder) + QLatin1Char('/') + name);
}

// The PDF's first page as pixels.
QImage Rasterise(const QString& pdf, const QString& stem, int dpi = kPageDpi)
{
    QProcess tool;
    tool.start(QStringLiteral("pdftoppm"),
               {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"),
                QStringLiteral("-singlefile"), pdf, stem});
    if (!tool.waitForFinished(30000) || tool.exitCode() != 0)
        return QImage();
    return QImage(stem + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

// A main window whose document view is the given size, showing a parabola, a line and their
// axes with the arrows at the ends.
struct PrintedWindow
{
    PrintedWindow(int viewWidth, int viewHeight)
    {
        QSettings(QString::fromLatin1(KTG300App::RegistryKey), QString::fromLatin1(KTG300App::ProfileName))
            .clear();
        EXPECT_TRUE(app.InitInstance({}, kLocal));
        frame = app.GetMainWnd();
        child = frame->ActiveChild();
        KTGraphData3& data = child->Document().Graph().Data();
        data.Function(0).Data().m_equationText = "y=x^2-2";
        data.Function(1).Data().m_equationText = "y=x+1";
        child->Document().Graph().SetDirty();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(frame));
        const QSize around = frame->size() - child->View().size();
        frame->resize(QSize(viewWidth, viewHeight) + around);
        QTest::qWait(50);
        EXPECT_EQ(child->View().size(), QSize(viewWidth, viewHeight));
        child->View().repaint();
    }

    // The view as the screen shows it, from a grab of the whole main window.
    QImage Screen()
    {
        const QImage whole = frame->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRect view(child->View().mapTo(frame, QPoint(0, 0)), child->View().size());
        return whole.copy(view);
    }

    KTG300App app;
    CMainFrame* frame = nullptr;
    CChildFrame* child = nullptr;
};

} // namespace

TEST(KTG300ViewPrint, TheWholeGraphOfAWindowFitsTheA4PageInBothOrientations)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
    kttest::TempDir dir;
    const struct
    {
        int width, height;
        QPageLayout::Orientation orientation;
        const char* name;
    } rows[] = {
        {1200, 900, QPageLayout::Portrait, "print-1200x900-portrait"},
        {1200, 900, QPageLayout::Landscape, "print-1200x900-landscape"},
        {800, 600, QPageLayout::Portrait, "print-800x600-portrait"},
        // Small enough for the page: printed at its size on the screen.
        {400, 300, QPageLayout::Portrait, "print-400x300-portrait"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        PrintedWindow window(row.width, row.height);
        KTG300View& view = window.child->View();
        const QImage screen = window.Screen();
        SaveForInspection(screen, QString::fromLatin1(row.name) + QStringLiteral("-screen.png"));
        const QRect screenInk = InkBox(screen, screen.rect());
        ASSERT_FALSE(screenInk.isNull());
        // Where the ends of the two axes lie in the view, as fractions of its size.
        KTGraph3& graph = window.child->Document().Graph();
        const CRect area = graph.GetArea();
        auto fraction = [&](double x, double y) {
            const CPoint p = graph.Axes().GraphToDevice(x, y, 0, 0);
            return QPointF(double(p.x - area.left) / area.Width(),
                           double(p.y - area.top) / (area.bottom - area.top));
        };
        const QPointF xEnd = fraction(graph.Axes().m_xAxis.m_max, 0.0);
        const QPointF yEnd = fraction(0.0, graph.Axes().m_yAxis.m_max);

        QPrinter& printer = window.app.Printer();
        const QString pdf = ToQ(dir.File((std::string(row.name) + ".pdf").c_str()));
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(row.orientation);
        ASSERT_TRUE(KTG300View::PrintDocument(window.child->Document(), printer));
        const QImage page = Rasterise(pdf, ToQ(dir.File(row.name)));
        ASSERT_FALSE(page.isNull());
        SaveForInspection(page, QString::fromLatin1(row.name) + QStringLiteral(".png"));
        const QRectF paper = printer.pageLayout().fullRectPoints();
        ASSERT_NEAR(page.width(), paper.width() * kPageDpi / 72.0, 2);
        const QRectF printable = printer.pageLayout().paintRectPoints();
        const QRectF inPixels(printable.topLeft() * kPageDpi / 72.0, printable.size() * kPageDpi / 72.0);

        // The graph's area at its physical size on the screen (millimetres), scaled down only
        // when it is larger than the printable part of the page, and then centred in it.
        const double widthMm = view.width() * 25.4 / view.logicalDpiX();
        const double heightMm = view.height() * 25.4 / view.logicalDpiY();
        const double printableWidthMm = printable.width() * 25.4 / 72.0;
        const double printableHeightMm = printable.height() * 25.4 / 72.0;
        const double scale = std::min({1.0, printableWidthMm / widthMm, printableHeightMm / heightMm});
        const QSizeF placed(widthMm * scale * kPageDpi / 25.4, heightMm * scale * kPageDpi / 25.4);
        const QPointF origin = scale < 1.0 ? inPixels.center() - QPointF(placed.width(), placed.height()) / 2
                                           : inPixels.topLeft();
        if (row.width >= 800) {
            EXPECT_LT(scale, 1.0);
        } else {
            EXPECT_EQ(scale, 1.0);
        }

        // All ink lies on the printable part of the page, and it is the screen's picture:
        // the box around the ink sits at the same place relative to the graph's area.
        const QRect ink = InkBox(page, page.rect());
        ASSERT_FALSE(ink.isNull());
        EXPECT_TRUE(inPixels.adjusted(-1, -1, 1, 1).contains(QRectF(ink)))
            << ink.x() << "," << ink.y() << " " << ink.width() << "x" << ink.height();
        const double tolerance = 0.015;
        EXPECT_NEAR((ink.left() - origin.x()) / placed.width(), double(screenInk.left()) / screen.width(),
                    tolerance);
        EXPECT_NEAR((ink.right() - origin.x()) / placed.width(), double(screenInk.right()) / screen.width(),
                    tolerance);
        EXPECT_NEAR((ink.top() - origin.y()) / placed.height(), double(screenInk.top()) / screen.height(),
                    tolerance);
        EXPECT_NEAR((ink.bottom() - origin.y()) / placed.height(),
                    double(screenInk.bottom()) / screen.height(), tolerance);
        // Both arrows are on the paper where the axes end.
        auto onPage = [&](QPointF f) {
            return origin + QPointF(f.x() * placed.width(), f.y() * placed.height());
        };
        EXPECT_TRUE(InkNear(page, onPage(xEnd), 3)) << "x-axis arrow";
        EXPECT_TRUE(InkNear(page, onPage(yEnd), 3)) << "y-axis arrow";
    }
}

// The hatching of an inequality prints at the screen's physical pitch: lines 4 pixels apart on a
// 96 dpi screen are 12.5 dots apart on a 300 dpi page, 1.06 mm on both.
TEST(KTG300ViewPrint, HatchingKeepsItsPhysicalPitchOnThePage)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
    constexpr int kDpi = 300;
    kttest::TempDir dir;
    PrintedWindow window(500, 400);
    KTGraph3& graph = window.child->Document().Graph();
    graph.Data().Function(0).Data().m_equationText = "y>x^2-3";
    graph.Data().Function(1).Data().m_equationText = "";
    graph.Data().m_options.m_frSolid.m_value = 0;
    graph.SetDirty();
    KTG300View& view = window.child->View();
    view.repaint();
    QApplication::processEvents();
    const QImage screen = window.Screen();
    SaveForInspection(screen, QStringLiteral("print-hatching-screen.png"));

    // A row across the region, clear of the axes, in screen pixels from the graph's area.
    const CRect area = graph.GetArea();
    const auto screenPoint = [&](double x, double y) {
        const CPoint p = graph.Axes().GraphToDevice(x, y, 0, 0);
        return QPointF(double(p.x - area.left) / area.Width() * view.width(),
                       double(p.y - area.top) / (area.bottom - area.top) * view.height());
    };
    const QPointF from = screenPoint(0.3, 9.5), to = screenPoint(3.4, 9.5);

    QPrinter& printer = window.app.Printer();
    const QString pdf = ToQ(dir.File("hatching.pdf"));
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setResolution(kDpi);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    ASSERT_TRUE(KTG300View::PrintDocument(window.child->Document(), printer));
    const QImage page = Rasterise(pdf, ToQ(dir.File("hatching")), kDpi);
    ASSERT_FALSE(page.isNull());
    SaveForInspection(page, QStringLiteral("print-hatching-300dpi.png"));

    // The window fits the page: printed at its size from the printable area's corner.
    const QRectF printable = printer.pageLayout().paintRectPoints();
    const QPointF origin = printable.topLeft() * kDpi / 72.0;
    const double toPage = double(kDpi) / view.logicalDpiX();
    const int row = static_cast<int>(std::lround(origin.y() + from.y() * toPage));
    const int left = static_cast<int>(std::lround(origin.x() + from.x() * toPage));
    const int right = static_cast<int>(std::lround(origin.x() + to.x() * toPage));
    // The centres of the lines crossing the row, weighted by their darkness.
    std::vector<double> centres;
    double weight = 0.0, moment = 0.0;
    for (int x = left; x <= right; ++x) {
        const double ink = x < right ? (255.0 - qGray(page.pixel(x, row))) / 255.0 : 0.0;
        if (ink > 0.05) {
            weight += ink;
            moment += ink * (x + 0.5);
        } else if (weight > 0.0) {
            centres.push_back(moment / weight);
            weight = moment = 0.0;
        }
    }
    ASSERT_GE(centres.size(), 8u);
    // The first and last may be cut by the ends of the row.
    const double pitch = (centres[centres.size() - 2] - centres[1]) / double(centres.size() - 3);
    const double screenPitchMm = 4 * 25.4 / view.logicalDpiX();
    EXPECT_NEAR(pitch, screenPitchMm / 25.4 * kDpi, 0.1);
    for (std::size_t k = 2; k + 1 < centres.size(); ++k)
        EXPECT_NEAR(centres[k] - centres[k - 1], pitch, 1.0) << "at " << centres[k];
}
