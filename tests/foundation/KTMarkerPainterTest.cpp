#include "foundation/KTMarkerPainter.h"

#include "foundation/KTOptionMarks.h"
#include "foundation/KTPoint.h"
#include "platform/KTDC.h"

#include "KTPainterTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using kttest::paint::Describe;

namespace {

using Calls = std::vector<std::string>;

/// The calls of one marker drawn on a fresh recording context.
Calls DrawnCalls(int mode, double x, double y, KTMarkerShape shape, KTOptionMarks* marks = nullptr)
{
    KTDC dc(96, 96);
    dc.SetMapMode(mode);
    dc.SetRecording(true);
    KTMarkerPainter().Draw(dc, x, y, shape, marks, RGB(200, 0, 0));
    return Describe(dc.GetRecords());
}

/// Half-size in device pixels each shape takes on the screen at 96 dpi (25 hundredths of a
/// millimetre are one pixel there).
int ScreenHalfSize(KTMarkerShape shape)
{
    switch (shape) {
    case KTMarkerShapeCross: return 4;
    case KTMarkerShapeCircle:
    case KTMarkerShapeDiamond: return 3;
    case KTMarkerShapeSmallDot: return 1;
    default: return 2;
    }
}

} // namespace

TEST(KTMarkerPainter, EveryShapeOnTheScreenInWholePixels)
{
    // MM_TEXT: logical units are pixels, so the calls show the pixel layout directly.
    struct Row
    {
        KTMarkerShape shape;
        Calls calls;
    };
    const Row rows[] = {
        {KTMarkerShapeCross, {"Line 47,60 54,60", "Line 50,57 50,64"}},
        {KTMarkerShapeDot, {"Ellipse 48,58 52,62"}},
        {KTMarkerShapeCircle, {"Ellipse 47,57 53,63"}},
        {KTMarkerShapeDiamond, {"Polygon 50,57 53,60 50,63 47,60"}},
        {KTMarkerShapeSquare, {"Rectangle 48,58 52,62"}},
        {KTMarkerShapeEx, {"Line 48,58 52,62", "Line 48,62 52,58"}},
        {KTMarkerShapeNone, {}},
        {KTMarkerShapeAsterisk,
         {"Line 47,60 54,60", "Line 50,57 50,64", "Line 48,58 52,62", "Line 48,62 52,58"}},
        {KTMarkerShapePixel, {"Pixel 50,60"}},
        {KTMarkerShapeSmallDot, {"Ellipse 49,59 51,61"}},
    };
    for (const Row& row : rows) {
        KTOptionMarks marks;
        EXPECT_EQ(DrawnCalls(MM_TEXT, 50, 60, row.shape, &marks), row.calls) << "shape " << row.shape;
    }
}

TEST(KTMarkerPainter, PrintingKeepsTheMetricSizes)
{
    // MM_ANISOTROPIC (metafiles, printing): 25 logical units per unit of the half-size factor,
    // unsnapped, and the pixel cache is left alone.
    struct Row
    {
        KTMarkerShape shape;
        Calls calls;
    };
    const Row rows[] = {
        {KTMarkerShapeCross, {"Line 913,1000 1088,1000", "Line 1000,913 1000,1088"}},
        {KTMarkerShapeDot, {"Ellipse 950,950 1050,1050"}},
        {KTMarkerShapeCircle, {"Ellipse 925,925 1075,1075"}},
        {KTMarkerShapeDiamond, {"Polygon 1000,925 1075,1000 1000,1075 925,1000"}},
        {KTMarkerShapeSquare, {"Rectangle 950,950 1050,1050"}},
        {KTMarkerShapeEx, {"Line 950,950 1050,1050", "Line 950,1050 1050,950"}},
        {KTMarkerShapeSmallDot, {"Ellipse 975,975 1025,1025"}},
    };
    for (const Row& row : rows) {
        KTOptionMarks marks;
        EXPECT_EQ(DrawnCalls(MM_ANISOTROPIC, 1000, 1000, row.shape, &marks), row.calls)
            << "shape " << row.shape;
        for (const KTOptionInt& mark : marks.m_mark)
            EXPECT_EQ(mark.m_value, -1);
    }
}

TEST(KTMarkerPainter, MetricScreenSnapsToPixelsAboutTheCentre)
{
    // MM_HIMETRIC with y up: whatever the position, the device points are the centre's device
    // point plus or minus whole pixels.
    const KTMarkerShape shapes[] = {KTMarkerShapeDot, KTMarkerShapeCircle, KTMarkerShapeSquare,
                                    KTMarkerShapeSmallDot};
    const double positions[][2] = {{1000, -1000}, {1013.4, -987.7}, {-2500.5, 3000.25}, {0, 0}};
    for (const KTMarkerShape shape : shapes) {
        for (const auto& at : positions) {
            KTDC dc(96, 96);
            dc.SetMapMode(MM_HIMETRIC);
            dc.SetRecording(true);
            KTMarkerPainter().Draw(dc, at[0], at[1], shape, nullptr, 0);
            ASSERT_EQ(dc.GetRecords().size(), 1u);
            std::vector<CPoint> points = dc.GetRecords()[0].points;
            dc.LPtoDP(points.data(), 2);
            CPoint centre(static_cast<int>(std::floor(at[0] + 0.5)),
                          static_cast<int>(std::floor(at[1] + 0.5)));
            dc.LPtoDP(&centre);
            const int n = ScreenHalfSize(shape);
            const auto where = ::testing::Message() << "shape " << shape << " at " << at[0] << "," << at[1];
            EXPECT_EQ(points[0], CPoint(centre.x - n, centre.y - n)) << where;
            EXPECT_EQ(points[1], CPoint(centre.x + n, centre.y + n)) << where;
        }
    }
}

TEST(KTMarkerPainter, FirstDrawingFillsThePixelCache)
{
    // Slot by shape: small dot 0; dot, square and ex 1; circle and diamond 2; the cross 3.
    struct Row
    {
        int dpi;
        KTMarkerShape shape;
        int slot;
        int pixels;
    };
    const Row rows[] = {
        {96, KTMarkerShapeSmallDot, 0, 1}, {96, KTMarkerShapeDot, 1, 2},
        {96, KTMarkerShapeSquare, 1, 2},   {96, KTMarkerShapeEx, 1, 2},
        {96, KTMarkerShapeCircle, 2, 3},   {96, KTMarkerShapeDiamond, 2, 3},
        {96, KTMarkerShapeCross, 3, 4},    {192, KTMarkerShapeSmallDot, 0, 2},
        {192, KTMarkerShapeDot, 1, 4},     {192, KTMarkerShapeCircle, 2, 6},
        {192, KTMarkerShapeCross, 3, 8},   {300, KTMarkerShapeCross, 3, 12},
    };
    for (const Row& row : rows) {
        for (const int mode : {MM_HIMETRIC, MM_TEXT}) {
            KTDC dc(row.dpi, row.dpi);
            dc.SetMapMode(mode);
            KTOptionMarks marks;
            KTMarkerPainter().Draw(dc, 0, 0, row.shape, &marks, 0);
            for (int slot = 0; slot < KTOptionMarks::Count; ++slot)
                EXPECT_EQ(marks.m_mark[static_cast<std::size_t>(slot)].m_value,
                          slot == row.slot ? row.pixels : -1)
                    << "dpi " << row.dpi << " mode " << mode << " shape " << row.shape << " slot " << slot;
        }
    }
}

TEST(KTMarkerPainter, CachedSizeWinsWhateverTheResolution)
{
    // A cross on the screen has arms of exactly n pixels on each side, whatever the zoom.
    for (const int dpi : {72, 96, 150, 300}) {
        KTDC dc(dpi, dpi);
        dc.SetMapMode(MM_TEXT);
        dc.SetRecording(true);
        KTOptionMarks marks;
        marks.m_mark[3].m_value = 6;
        KTMarkerPainter().Draw(dc, 100, 100, KTMarkerShapeCross, &marks, 0);
        EXPECT_EQ(Describe(dc.GetRecords()), (Calls{"Line 95,100 106,100", "Line 100,95 100,106"})) << dpi;
        EXPECT_EQ(marks.m_mark[3].m_value, 6);
    }
}

TEST(KTMarkerPainter, CachedSizesBelowOneOrOutOfRangeDrawOnePixel)
{
    for (const int cached : {0, -5, 40000}) {
        KTOptionMarks marks;
        marks.m_mark[1].m_value = cached;
        EXPECT_EQ(DrawnCalls(MM_TEXT, 10, 10, KTMarkerShapeDot, &marks), (Calls{"Ellipse 9,9 11,11"}))
            << cached;
    }
}

TEST(KTMarkerPainter, PenBrushAndRestoredContext)
{
    KTDC dc(96, 96);
    dc.SetMapMode(MM_TEXT);
    dc.SetRecording(true);
    const KTPen pen(PS_DASH, 3, RGB(1, 2, 3));
    const KTBrush brush(RGB(4, 5, 6));
    dc.SelectObject(pen);
    dc.SelectObject(brush);
    KTMarkerPainter().Draw(dc, KTPoint(20, 20), KTMarkerShapeSquare, nullptr, RGB(0, 128, 255));
    ASSERT_EQ(dc.GetRecords().size(), 1u);
    const KTDCRecord& square = dc.GetRecords()[0];
    EXPECT_EQ(square.pen.GetDashStyle(), PS_INSIDEFRAME);
    EXPECT_EQ(square.pen.GetWidth(), 1);
    EXPECT_EQ(square.pen.GetColor(), RGB(0, 128, 255));
    EXPECT_EQ(square.brush.GetStyle(), BS_SOLID);
    EXPECT_EQ(square.brush.GetColor(), RGB(0, 128, 255));
    EXPECT_EQ(dc.GetCurrentPen(), pen);
    EXPECT_EQ(dc.GetCurrentBrush(), brush);
}

TEST(KTMarkerPainter, PixelIsAlwaysBlack)
{
    KTDC dc(96, 96);
    dc.SetRecording(true);
    KTMarkerPainter().DrawAt(dc, 7, 9, KTMarkerShapePixel, nullptr, RGB(255, 0, 0));
    ASSERT_EQ(dc.GetRecords().size(), 1u);
    EXPECT_EQ(dc.GetRecords()[0].colour, RGB(0, 0, 0));

    QImage image = kttest::paint::Canvas(20, 20);
    {
        KTDC painter(&image);
        KTMarkerPainter().DrawAt(painter, 7, 9, KTMarkerShapePixel, nullptr, RGB(255, 0, 0));
    }
    EXPECT_EQ(kttest::paint::InkCount(image), 1);
    EXPECT_EQ(image.pixel(7, 9) | 0xFF000000, 0xFF000000u);
}

TEST(KTMarkerPainter, UnknownShapesAndUnusablePointsDrawNothing)
{
    // A NaN or infinite point (an undefined value that slipped through) never reaches the
    // integer conversions, and leaves the cache alone.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double points[][2] = {{nan, 0}, {0, nan}, {inf, 0}, {0, -inf}, {1e10, 0}, {0, -2e9}};
    for (const auto& p : points) {
        KTOptionMarks marks;
        EXPECT_TRUE(DrawnCalls(MM_HIMETRIC, p[0], p[1], KTMarkerShapeCross, &marks).empty());
        EXPECT_TRUE(DrawnCalls(MM_TEXT, p[0], p[1], KTMarkerShapePixel, &marks).empty());
        EXPECT_EQ(marks.m_mark[3].m_value, -1);
        KTDC dc;
        dc.SetRecording(true);
        KTMarkerPainter().DrawCircle(dc, p[0], p[1], 25, 25, &marks);
        EXPECT_TRUE(dc.GetRecords().empty());
    }
    for (const int shape : {0, -1, 11, 1000})
        EXPECT_TRUE(DrawnCalls(MM_TEXT, 5, 5, static_cast<KTMarkerShape>(shape)).empty()) << shape;
}

TEST(KTMarkerPainter, CircleAloneUsesTheSelectedObjects)
{
    KTDC dc(96, 96);
    dc.SetMapMode(MM_ANISOTROPIC);
    dc.SetRecording(true);
    const KTBrush blue(RGB(0, 0, 255));
    dc.SelectObject(blue);
    KTOptionMarks marks;
    KTMarkerPainter().DrawCircle(dc, 100, 200, 10, 20, &marks);
    ASSERT_EQ(dc.GetRecords().size(), 1u);
    EXPECT_EQ(Describe(dc.GetRecords()[0]), "Ellipse 70,140 130,260");
    EXPECT_EQ(dc.GetRecords()[0].brush, blue);
    EXPECT_EQ(marks.m_mark[2].m_value, -1);

    // On the screen: 3 x 25 hundredths of a millimetre, 3 pixels at 96 dpi, cached in slot 2.
    KTDC screen(96, 96);
    screen.SetMapMode(MM_HIMETRIC);
    KTMarkerPainter().DrawCircle(screen, 0, 0, 25, 25, &marks);
    EXPECT_EQ(marks.m_mark[2].m_value, 3);
}

TEST(KTMarkerPainter, InkStaysWithinTheMarker)
{
    const KTMarkerShape shapes[] = {KTMarkerShapeCross,    KTMarkerShapeDot,     KTMarkerShapeCircle,
                                    KTMarkerShapeDiamond,  KTMarkerShapeSquare,  KTMarkerShapeEx,
                                    KTMarkerShapeAsterisk, KTMarkerShapeSmallDot};
    for (const KTMarkerShape shape : shapes) {
        QImage image = kttest::paint::Canvas(40, 40);
        {
            KTDC dc(&image);
            KTMarkerPainter().Draw(dc, 20, 20, shape, nullptr, RGB(255, 0, 0));
        }
        // Antialiased edges may tint one pixel more.
        const int n = (shape == KTMarkerShapeAsterisk ? 4 : ScreenHalfSize(shape)) + 1;
        const CRect box = kttest::paint::InkBox(image);
        const auto where = ::testing::Message() << "shape " << shape;
        ASSERT_LE(box.left, box.right) << where;
        EXPECT_GE(box.left, 20 - n) << where;
        EXPECT_LE(box.right, 20 + n) << where;
        EXPECT_GE(box.top, 20 - n) << where;
        EXPECT_LE(box.bottom, 20 + n) << where;
        if (shape != KTMarkerShapeEx && shape != KTMarkerShapeSmallDot) {
            EXPECT_TRUE(kttest::paint::IsInk(image, 20, 20)) << where;
        }
    }
    QImage empty = kttest::paint::Canvas(40, 40);
    {
        KTDC dc(&empty);
        KTMarkerPainter().Draw(dc, 20, 20, KTMarkerShapeNone, nullptr, RGB(255, 0, 0));
    }
    EXPECT_EQ(kttest::paint::InkCount(empty), 0);
}

TEST(KTMarkerPainter, CrossArmsOnAnImage)
{
    // Arms of n = 4 pixels: the horizontal line covers x = 17 .. 23 around 20 (the last pixel of
    // a line is not drawn), the vertical one y = 17 .. 23.
    QImage image = kttest::paint::Canvas(40, 40);
    {
        KTDC dc(&image);
        KTMarkerPainter().Draw(dc, 20, 20, KTMarkerShapeCross, nullptr, RGB(0, 0, 0));
    }
    EXPECT_TRUE(kttest::paint::IsInk(image, 17, 20));
    EXPECT_TRUE(kttest::paint::IsInk(image, 23, 20));
    EXPECT_TRUE(kttest::paint::IsInk(image, 20, 17));
    EXPECT_TRUE(kttest::paint::IsInk(image, 20, 23));
    EXPECT_FALSE(kttest::paint::IsInk(image, 15, 20));
    EXPECT_FALSE(kttest::paint::IsInk(image, 25, 20));
    EXPECT_FALSE(kttest::paint::IsInk(image, 17, 17));
}
