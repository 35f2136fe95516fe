#include "ui/KTMemDC.h"

#include "platform/KTBrush.h"
#include "platform/KTPen.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <functional>

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

QImage BlankImage(int width = 200, int height = 150)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    image.setDotsPerMeterX(3780); // 96 dots per inch
    image.setDotsPerMeterY(3780);
    return image;
}

void Scene(KTDC& dc)
{
    const KTBrush previousBrush = dc.SelectObject(KTBrush(kRed));
    const KTPen previousPen = dc.SelectObject(KTPen(PS_SOLID, 0, kBlue));
    dc.Rectangle(20, 30, 120, 90);
    dc.Ellipse(60, 10, 150, 70);
    dc.MoveTo(0, 0);
    dc.LineTo(190, 140);
    dc.SelectObject(previousPen);
    dc.SelectObject(previousBrush);
}

// Paints the scene on a fresh image, with the mapping set up by `prepare`, either straight
// onto the target or through a memory DC over `area` (null for the whole clip box).
QImage Paint(bool throughMemory, const CRect* area, const std::function<void(KTDC&)>& prepare = {})
{
    QImage image = BlankImage();
    QPainter painter(&image);
    KTDC dc(&painter);
    if (prepare)
        prepare(dc);
    if (throughMemory) {
        KTMemDC mem(dc, area);
        Scene(mem);
    } else {
        Scene(dc);
    }
    return image;
}

TEST(KTMemDC, AgreesWithPaintingStraightOntoTheTarget)
{
    const QImage direct = Paint(false, nullptr);
    EXPECT_EQ(Paint(true, nullptr), direct);
    const CRect whole(0, 0, 200, 150);
    EXPECT_EQ(Paint(true, &whole), direct);
}

TEST(KTMemDC, AgreesInAMetricModeWithAMovedOrigin)
{
    const auto himetric = [](KTDC& dc) {
        dc.SetMapMode(MM_HIMETRIC);
        dc.SetViewportOrg(13, 140);
    };
    const QImage direct = Paint(false, nullptr, himetric);
    const QImage buffered = Paint(true, nullptr, himetric);
    // Logical coordinates may map through an origin rounded to a whole logical unit
    // (a 26th of a pixel here): compare with a small allowance for antialiased edges.
    int differing = 0;
    for (int y = 0; y < direct.height(); ++y) {
        for (int x = 0; x < direct.width(); ++x)
            differing += direct.pixel(x, y) != buffered.pixel(x, y);
    }
    EXPECT_LT(differing, 60);
}

TEST(KTMemDC, NothingReachesTheTargetUntilItEnds)
{
    QImage image = BlankImage();
    QPainter painter(&image);
    KTDC dc(&painter);
    dc.SetBkColor(RGB(0, 255, 0));
    const CRect area(10, 10, 110, 60);
    {
        KTMemDC mem(dc, &area);
        EXPECT_TRUE(mem.IsOffScreen());
        ASSERT_NE(mem.GetImage(), nullptr);
        EXPECT_EQ(mem.GetImage()->size(), QSize(100, 50));
        mem.FillSolidRect(CRect(20, 20, 40, 40), kRed);
        EXPECT_EQ(image.pixelColor(30, 30), QColor(Qt::white));
        EXPECT_EQ(mem.GetImage()->pixelColor(20, 20), QColor(Qt::red));
    }
    EXPECT_EQ(image.pixelColor(30, 30), QColor(Qt::red));
    // The rest of the area took the target's background colour; outside it nothing changed.
    EXPECT_EQ(image.pixelColor(100, 50), QColor(Qt::green));
    EXPECT_EQ(image.pixelColor(5, 5), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(115, 30), QColor(Qt::white));
}

TEST(KTMemDC, KeepsTheTargetsLogicalCoordinates)
{
    QImage image = BlankImage();
    QPainter painter(&image);
    KTDC dc(&painter);
    dc.SetMapMode(MM_ANISOTROPIC);
    dc.SetWindowExt(1000, 1000);
    dc.SetViewportExt(200, -150);
    dc.SetViewportOrg(0, 150);
    const CRect area(100, 600, 600, 200); // device (20, 60) to (120, 120)
    KTMemDC mem(dc, &area);
    EXPECT_EQ(mem.GetMapMode(), MM_ANISOTROPIC);
    EXPECT_EQ(mem.GetWindowExt(), CSize(1000, 1000));
    EXPECT_EQ(mem.GetViewportExt(), CSize(200, -150));
    ASSERT_NE(mem.GetImage(), nullptr);
    EXPECT_EQ(mem.GetImage()->size(), QSize(100, 60));
    const CPoint logical[] = {CPoint(100, 600), CPoint(350, 400), CPoint(600, 200)};
    for (CPoint point : logical) {
        CPoint onTarget = point;
        dc.LPtoDP(&onTarget);
        CPoint onPicture = point;
        mem.LPtoDP(&onPicture);
        EXPECT_EQ(onPicture, CPoint(onTarget.x - 20, onTarget.y - 60));
    }
}

TEST(KTMemDC, PrintingDrawsStraightOntoThePage)
{
    QImage image = BlankImage();
    QPainter painter(&image);
    KTDC dc(&painter);
    dc.SetPrinting(true);
    dc.SetMapMode(MM_LOMETRIC);
    {
        KTMemDC mem(dc);
        EXPECT_FALSE(mem.IsOffScreen());
        EXPECT_TRUE(mem.IsPrinting());
        EXPECT_EQ(mem.GetImage(), nullptr);
        EXPECT_EQ(mem.GetMapMode(), MM_LOMETRIC);
        mem.FillSolidRect(CRect(0, 0, 100, -100), kRed); // 10 mm square at the top left
        EXPECT_EQ(image.pixelColor(20, 20), QColor(Qt::red));
    }
    EXPECT_EQ(image.pixelColor(20, 20), QColor(Qt::red));
}

TEST(KTMemDC, EmptyOrHugeAreasOnlyMeasure)
{
    QImage image = BlankImage();
    QPainter painter(&image);
    KTDC dc(&painter);
    const CRect areas[] = {CRect(10, 10, 10, 50), CRect(0, 0, 100000, 10)};
    for (const CRect& area : areas) {
        KTMemDC mem(dc, &area);
        EXPECT_EQ(mem.GetImage(), nullptr);
        Scene(mem);
        EXPECT_GT(mem.GetTextExtent("x").cx, 0);
    }
    EXPECT_EQ(image.pixelColor(30, 40), QColor(Qt::white));
}

TEST(KTMemDC, OnAMeasuringTargetNothingIsCopied)
{
    KTDC dc(96, 96, CSize(300, 200));
    const CRect area(0, 0, 50, 50);
    KTMemDC mem(dc, &area);
    ASSERT_NE(mem.GetImage(), nullptr);
    Scene(mem);
}

} // namespace
