#include "foundation/KTLineEndPainter.h"

#include "foundation/KTPoint.h"
#include "platform/KTDC.h"

#include "KTPainterTestSupport.h"

#include <gtest/gtest.h>

#include <limits>

using kttest::paint::Describe;
using kttest::paint::IsInk;

namespace {

using Calls = std::vector<std::string>;

/// A 1:1 metafile-like context: sizes are taken as given and y grows downwards.
void UnitAnisotropic(KTDC& dc)
{
    dc.SetMapMode(MM_ANISOTROPIC);
    dc.SetWindowExt(1, 1);
    dc.SetViewportExt(1, 1);
}

Calls DrawnCalls(KTLineEndStyle style, KTPoint end, KTPoint other, int size = 100, bool offset = false)
{
    KTDC dc(96, 96);
    UnitAnisotropic(dc);
    dc.SetRecording(true);
    KTLineEndPainter().Draw(dc, end, other, style, size, offset, RGB(0, 0, 255));
    return Describe(dc.GetRecords());
}

} // namespace

TEST(KTLineEndPainter, EveryStyleAlongTheXAxis)
{
    // The line comes from the left to (1000, 1000); size 100: heads 100 long and wide, the
    // doubled elements 50 apart, circles of radius 100.
    struct Row
    {
        KTLineEndStyle style;
        Calls calls;
    };
    const Row rows[] = {
        {KTLineEndNone, {}},
        {KTLineEndOpenArrow, {"Polyline 900,1050 1000,1000 900,950"}},
        {KTLineEndFilledArrow, {"Polygon 1000,1000 900,1050 900,950"}},
        {KTLineEndNotchedArrow, {"Polygon 1000,1000 900,1050 950,1000 900,950"}},
        {KTLineEndPie, {"Pie 900,900 1100,1100 900,950 900,1050"}},
        {KTLineEndBar, {"Line 1000,1100 1000,900"}},
        {KTLineEndBrushCircle, {"Ellipse 901,901 1100,1100"}},
        {KTLineEndWhiteCircle, {"Ellipse 901,901 1100,1100"}},
        {KTLineEndHollowCircle, {"Ellipse 901,901 1100,1100"}},
        {KTLineEndSlash, {"Line 950,900 1050,1100"}},
        {KTLineEndDoubleSlash, {"Line 900,900 1000,1100", "Line 1000,900 1100,1100"}},
        {KTLineEndTripleSlash,
         {"Line 900,900 1000,1100", "Line 950,900 1050,1100", "Line 1000,900 1100,1100"}},
        {KTLineEndDoubleOpenArrow,
         {"Polyline 850,1050 950,1000 850,950", "Polyline 900,1050 1000,1000 900,950"}},
        {KTLineEndDoubleFilledArrow,
         {"Polygon 950,1000 850,1050 850,950", "Polygon 1000,1000 900,1050 900,950"}},
        {KTLineEndDoubleNotchedArrow,
         {"Polygon 950,1000 850,1050 900,1000 850,950", "Polygon 1000,1000 900,1050 950,1000 900,950"}},
        {KTLineEndColourCircle, {"Ellipse 901,901 1100,1100"}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(DrawnCalls(row.style, KTPoint(1000, 1000), KTPoint(0, 1000)), row.calls)
            << "style " << row.style;
}

TEST(KTLineEndPainter, HeadsFollowASlantedLine)
{
    // Direction (0.6, 0.8) and its quarter turn (-0.8, 0.6): exact in integers for size 100.
    EXPECT_EQ(DrawnCalls(KTLineEndFilledArrow, KTPoint(300, 400), KTPoint(0, 0)),
              (Calls{"Polygon 300,400 200,350 280,290"}));
    EXPECT_EQ(DrawnCalls(KTLineEndBar, KTPoint(300, 400), KTPoint(0, 0)), (Calls{"Line 220,460 380,340"}));
    // Only the direction counts, not the distance to the other point.
    EXPECT_EQ(DrawnCalls(KTLineEndFilledArrow, KTPoint(300, 400), KTPoint(297, 396)),
              DrawnCalls(KTLineEndFilledArrow, KTPoint(300, 400), KTPoint(-3000, -4000)));
}

TEST(KTLineEndPainter, OffsetMovesTheSymbolOnByHalfItsSize)
{
    EXPECT_EQ(DrawnCalls(KTLineEndFilledArrow, KTPoint(1000, 1000), KTPoint(0, 1000), 100, true),
              (Calls{"Polygon 1050,1000 950,1050 950,950"}));
    EXPECT_EQ(DrawnCalls(KTLineEndColourCircle, KTPoint(1000, 1000), KTPoint(1000, 0), 100, true),
              (Calls{"Ellipse 901,951 1100,1150"}));
}

TEST(KTLineEndPainter, SizeIsInHundredthsOfAMillimetre)
{
    struct Row
    {
        int mode;
        int dpi;
        int size;
        int length; ///< the head's length in logical units
    };
    const Row rows[] = {
        {MM_HIMETRIC, 96, 300, 300}, {MM_ANISOTROPIC, 96, 300, 300},
        {MM_TEXT, 96, 300, 11},    // a pixel is 26 hundredths of a millimetre: 300 / 26
        {MM_TEXT, 254, 300, 30},   // 10 hundredths
        {MM_TEXT, 5000, 300, 300}, // a device unit under one hundredth counts as one
    };
    for (const Row& row : rows) {
        KTDC dc(row.dpi, row.dpi);
        dc.SetMapMode(row.mode);
        dc.SetRecording(true);
        KTLineEndPainter().Draw(dc, KTPoint(0, 0), KTPoint(-10, 0), KTLineEndBar, row.size, false, 0);
        ASSERT_EQ(dc.GetRecords().size(), 1u);
        const std::vector<CPoint>& points = dc.GetRecords()[0].points;
        EXPECT_EQ(points[0].y - points[1].y, 2 * row.length) << "mode " << row.mode << " dpi " << row.dpi;
    }
}

TEST(KTLineEndPainter, PenAndBrushOfEachFill)
{
    const KTBrush red(RGB(255, 0, 0));
    const KTBrush hollow = KTBrush::Stock(KTStockObject::NullBrush);
    struct Row
    {
        KTLineEndStyle style;
        KTBrush current;
        int brushStyle;
        COLORREF brushColour;
    };
    const Row rows[] = {
        {KTLineEndFilledArrow, red, BS_SOLID, RGB(255, 0, 0)},
        {KTLineEndFilledArrow, hollow, BS_SOLID, RGB(0, 0, 0)}, // a hollow brush is made solid
        {KTLineEndBrushCircle, red, BS_SOLID, RGB(255, 0, 0)},
        {KTLineEndColourCircle, red, BS_SOLID, RGB(0, 0, 255)},
        {KTLineEndColourCircle, hollow, BS_SOLID, RGB(0, 0, 255)},
        {KTLineEndWhiteCircle, red, BS_SOLID, RGB(255, 255, 255)},
        {KTLineEndHollowCircle, red, BS_NULL, 0},
    };
    for (const Row& row : rows) {
        KTDC dc(96, 96);
        dc.SetMapMode(MM_HIMETRIC);
        dc.SetRecording(true);
        const KTPen pen(PS_DOT, 0, RGB(9, 9, 9));
        dc.SelectObject(pen);
        dc.SelectObject(row.current);
        KTLineEndPainter().Draw(dc, KTPoint(0, 0), KTPoint(-10, 0), row.style, 200, false, RGB(0, 0, 255));
        const auto where = ::testing::Message() << "style " << row.style;
        ASSERT_EQ(dc.GetRecords().size(), 1u) << where;
        const KTDCRecord& record = dc.GetRecords()[0];
        EXPECT_EQ(record.pen.GetColor(), RGB(0, 0, 255)) << where;
        EXPECT_EQ(record.pen.GetDashStyle(), PS_INSIDEFRAME) << where;
        EXPECT_EQ(record.brush.GetStyle(), row.brushStyle) << where;
        if (row.brushStyle != BS_NULL) {
            EXPECT_EQ(record.brush.GetColor(), row.brushColour) << where;
        }
        EXPECT_EQ(dc.GetCurrentPen(), pen) << where;
        EXPECT_EQ(dc.GetCurrentBrush(), row.current) << where;
    }
}

TEST(KTLineEndPainter, NothingWithoutUsablePoints)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const KTPoint bad[] = {KTPoint(nan, 0), KTPoint(0, inf), KTPoint(-inf, 0), KTPoint(3e9, 0)};
    for (const KTPoint& p : bad) {
        EXPECT_TRUE(DrawnCalls(KTLineEndFilledArrow, p, KTPoint(0, 0)).empty());
        EXPECT_TRUE(DrawnCalls(KTLineEndColourCircle, KTPoint(0, 0), p).empty());
    }
    for (const int style : {0, 9, 26, -12})
        EXPECT_TRUE(DrawnCalls(static_cast<KTLineEndStyle>(style), KTPoint(10, 0), KTPoint(0, 0)).empty())
            << style;
    // The pie needs a direction; the circles do not.
    EXPECT_TRUE(DrawnCalls(KTLineEndPie, KTPoint(10, 10), KTPoint(10, 10)).empty());
    EXPECT_EQ(DrawnCalls(KTLineEndWhiteCircle, KTPoint(10, 10), KTPoint(10, 10)).size(), 1u);
}

TEST(KTLineEndPainter, HugeSizesAreHeldInRange)
{
    // A damaged size must not overflow the corners of the symbol.
    const Calls calls =
        DrawnCalls(KTLineEndColourCircle, KTPoint(0, 0), KTPoint(-1, 0), std::numeric_limits<int>::max());
    EXPECT_EQ(calls, (Calls{"Ellipse -999999,-999999 1000000,1000000"}));
}

TEST(KTLineEndPainter, DrawAtIsDrawWithIntegerPoints)
{
    KTDC a(96, 96), b(96, 96);
    UnitAnisotropic(a);
    UnitAnisotropic(b);
    a.SetRecording(true);
    b.SetRecording(true);
    for (int style = KTLineEndOpenArrow; style <= KTLineEndColourCircle; ++style) {
        KTLineEndPainter().DrawAt(a, 40, 70, 10, 30, style, 150, style % 2 == 0, RGB(1, 2, 3));
        KTLineEndPainter().Draw(b, KTPoint(40, 70), KTPoint(10, 30), static_cast<KTLineEndStyle>(style), 150,
                                style % 2 == 0, RGB(1, 2, 3));
    }
    EXPECT_EQ(Describe(a.GetRecords()), Describe(b.GetRecords()));
}

TEST(KTLineEndPainter, ArrowInkPointsAlongTheLine)
{
    // On the screen at 96 dpi 520 hundredths of a millimetre are 20 pixels.
    QImage image = kttest::paint::Canvas(100, 100);
    {
        KTDC dc(&image);
        dc.SelectObject(KTBrush(RGB(255, 0, 0)));
        KTLineEndPainter().Draw(dc, KTPoint(80, 50), KTPoint(10, 50), KTLineEndFilledArrow, 520, false, 0);
    }
    EXPECT_TRUE(IsInk(image, 75, 50));
    EXPECT_TRUE(IsInk(image, 62, 50));
    EXPECT_TRUE(IsInk(image, 62, 58));
    EXPECT_FALSE(IsInk(image, 84, 50)); // beyond the tip
    EXPECT_FALSE(IsInk(image, 75, 40)); // beside the narrow part of the head
    EXPECT_FALSE(IsInk(image, 55, 50)); // behind the base
}

TEST(KTLineEndPainter, PieIsTheNarrowSectorBehindTheEndInBothAxisDirections)
{
    // The same device picture from a y-down (MM_TEXT) and a y-up (MM_HIMETRIC) mapping: the
    // sector opens back along the line, towards the other point.
    for (const int mode : {MM_TEXT, MM_HIMETRIC}) {
        QImage image = kttest::paint::Canvas(100, 100);
        {
            KTDC dc(&image);
            dc.SetMapMode(mode);
            dc.SelectObject(KTBrush(RGB(0, 0, 0)));
            KTPoint end(50, 50), other(10, 50);
            int size = 520;
            if (mode == MM_HIMETRIC) {
                // 2540 / 96 hundredths of a millimetre per pixel, y up.
                end = KTPoint(1323, -1323);
                other = KTPoint(265, -1323);
                size = 529;
            }
            KTLineEndPainter().Draw(dc, end, other, KTLineEndPie, size, false, RGB(0, 0, 0));
        }
        const auto where = ::testing::Message() << "mode " << mode;
        EXPECT_TRUE(IsInk(image, 40, 50)) << where;
        EXPECT_TRUE(IsInk(image, 34, 50)) << where;
        EXPECT_FALSE(IsInk(image, 60, 50)) << where;
        EXPECT_FALSE(IsInk(image, 50, 38)) << where;
        EXPECT_FALSE(IsInk(image, 50, 62)) << where;
    }
}
