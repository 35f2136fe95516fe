#include "foundation/KTBrushSelector.h"
#include "foundation/KTFontSelector.h"
#include "foundation/KTPenSelector.h"
#include "platform/KTDC.h"
#include "support/KTTestSupport.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

const KTLogPen kSolid100(1, 0x10006, RGB(0, 0, 0), 100.0);

KTPen SelectedPen(KTDC& dc, const KTLogPen& pen, double factor)
{
    KTPenSelector selector(pen, factor);
    selector.Select(dc);
    KTPen made = dc.GetCurrentPen();
    selector.Restore(dc);
    return made;
}

} // namespace

TEST(KTSelectorTest, PenWidthsUnderEachMappingMode)
{
    struct Row
    {
        int mode;
        int dpi;
        KTLogPen pen;
        double factor;
        int width;
        int dash;
        bool extended;
    };
    const Row rows[] = {
        {MM_HIMETRIC, 96, kSolid100, 1.0, 100, PS_INSIDEFRAME, true},
        {MM_HIMETRIC, 96, kSolid100, 2.0, 200, PS_INSIDEFRAME, true},
        {MM_HIMETRIC, 96, {1, 0x10006, 0, 51.0}, 0.5, 25, PS_INSIDEFRAME, true}, // truncated
        {MM_HIMETRIC, 96, {0, 9, 0, 3.0}, 1.0, 100, PS_INSIDEFRAME, true},       // the number's width
        {MM_HIMETRIC, 96, {0, 2, 0, 300.0}, 1.0, 1, PS_DASH, true},
        // 250 hundredths of a millimetre are 10 pixels at 100 dpi: 100 x 10 / 150 = 6.67.
        {MM_TEXT, 100, kSolid100, 1.0, 6, PS_INSIDEFRAME, true},
        {MM_TEXT, 254, kSolid100, 1.0, 16, PS_INSIDEFRAME, true},           // 25 pixels
        {MM_TEXT, 100, {1, 0x10006, 0, 1.0}, 1.0, 1, PS_INSIDEFRAME, true}, // never 0 wide
        {MM_TEXT, 100, {1, 0x10006, 0, -50.0}, 1.0, 1, PS_INSIDEFRAME, true},
        {MM_LOMETRIC, 254, kSolid100, 1.0, 16, PS_INSIDEFRAME, true},
        // Metafile drawing: simple pens, dashes one unit wide.
        {MM_ANISOTROPIC, 96, {1, 0x10001, 0, 100.0}, 1.0, 1, PS_DASH, false},
        {MM_ANISOTROPIC, 96, kSolid100, 1.0, 100, PS_INSIDEFRAME, false},
        {MM_ANISOTROPIC, 96, {0, 5, 0, 100.0}, 1.0, 1, PS_NULL, false},
        {MM_ANISOTROPIC, 96, {12, 0x10005, 0, 100.0}, 1.0, 100, PS_NULL, false},
    };
    for (const auto& row : rows) {
        KTDC dc(row.dpi, row.dpi);
        dc.SetMapMode(row.mode);
        const KTPen made = SelectedPen(dc, row.pen, row.factor);
        const auto where = ::testing::Message() << "mode " << row.mode << " dpi " << row.dpi << " style "
                                                << row.pen.m_style << " factor " << row.factor;
        EXPECT_EQ(made.GetWidth(), row.width) << where;
        EXPECT_EQ(made.GetDashStyle(), row.dash) << where;
        EXPECT_EQ(made.IsExtended(), row.extended) << where;
    }
}

TEST(KTSelectorTest, ExtendedPensAreGeometricWithFlatEnds)
{
    KTDC dc;
    dc.SetMapMode(MM_HIMETRIC);
    const KTPen made = SelectedPen(dc, KTLogPen(0, 3, RGB(1, 2, 3), 0.0), 1.0);
    EXPECT_TRUE(made.IsGeometric());
    EXPECT_EQ(made.GetStyle() & PS_ENDCAP_MASK, PS_ENDCAP_FLAT);
    EXPECT_EQ(made.GetColor(), RGB(1, 2, 3));
}

TEST(KTSelectorTest, PenSelectAndRestorePairs)
{
    KTDC dc;
    dc.SetMapMode(MM_HIMETRIC);
    const KTPen original(PS_SOLID, 7, RGB(9, 9, 9));
    dc.SelectObject(original);
    {
        KTPenSelector selector;
        EXPECT_TRUE(selector.SetPen(kSolid100, 1.0));
        selector.Select(dc);
        EXPECT_TRUE(selector.IsSelected());
        EXPECT_EQ(dc.GetCurrentPen().GetWidth(), 100);
        // Selected again (a new factor) without Restore: the pair still restores the original.
        selector.m_widthFactor = 3.0;
        selector.Select(dc);
        EXPECT_EQ(dc.GetCurrentPen().GetWidth(), 300);
        selector.Restore(dc);
        EXPECT_EQ(dc.GetCurrentPen(), original);
        EXPECT_FALSE(selector.GetCreated().IsCreated());

        dc.SelectObject(KTPen(PS_DOT, 2, 0));
        selector.Restore(dc); // a second Restore selects nothing
        EXPECT_EQ(dc.GetCurrentPen().GetDashStyle(), PS_DOT);
        dc.SelectObject(original);
    }
    {
        KTPenSelector forgotten(kSolid100, 1.0);
        forgotten.Select(dc);
    }
    EXPECT_EQ(dc.GetCurrentPen(), KTPen::Stock(KTStockObject::BlackPen));
}

TEST(KTSelectorTest, BrushSelectorTable)
{
    struct Row
    {
        KTLogBrush brush;
        int style;
        int hatch;
    };
    const Row rows[] = {
        {{0, 1, RGB(1, 2, 3), 0}, BS_SOLID, 0},
        {{0, 0, RGB(1, 2, 3), 0}, BS_NULL, 0},
        {{0, 6, RGB(1, 2, 3), 0}, BS_HATCHED, HS_CROSS},
        {{1, BS_HATCHED, RGB(1, 2, 3), HS_VERTICAL}, BS_HATCHED, HS_VERTICAL},
        // Unknown kinds, numbers, platform styles and hatches fill solid in their colour.
        {{4, 2, RGB(1, 2, 3), 0}, BS_SOLID, 0},
        {{0, 99, RGB(1, 2, 3), 0}, BS_SOLID, 0},
        {{1, 42, RGB(1, 2, 3), 0}, BS_SOLID, 0},
        {{1, BS_HATCHED, RGB(1, 2, 3), 17}, BS_SOLID, 0},
    };
    for (const auto& row : rows) {
        KTDC dc;
        const KTBrush before = dc.GetCurrentBrush();
        KTBrushSelector selector(row.brush);
        EXPECT_EQ(selector.Select(dc), before);
        EXPECT_EQ(dc.GetCurrentBrush().GetStyle(), row.style) << row.brush.m_kind << "/" << row.brush.m_style;
        EXPECT_EQ(dc.GetCurrentBrush().GetHatch(), row.hatch) << row.brush.m_kind << "/" << row.brush.m_style;
        EXPECT_EQ(dc.GetCurrentBrush().GetColor(), RGB(1, 2, 3));
        selector.Restore(dc);
        EXPECT_EQ(dc.GetCurrentBrush(), before);
    }

    KTDC dc;
    {
        KTBrushSelector forgotten(KTLogBrush(0, 1, RGB(5, 5, 5), 0));
        forgotten.Select(dc);
    }
    EXPECT_TRUE(dc.GetCurrentBrush().IsNullBrush());
}

TEST(KTSelectorTest, FontSelectorHeightsAndTextColour)
{
    struct Row
    {
        bool useSize;
        double factor;
        int height;
    };
    const Row rows[] = {
        {true, 1.0, -388}, {false, 1.0, -14}, {true, 2.0, -776}, {false, 0.5, -7}, {true, 0.001, 0}};
    for (const auto& row : rows) {
        KTDC dc;
        dc.SetTextColor(RGB(7, 7, 7));
        const KTFont before = dc.GetCurrentFont();
        KTLogFont font;
        font.m_color = RGB(0, 0, 255);
        KTFontSelector selector(font, row.factor);
        EXPECT_EQ(selector.Select(dc, row.useSize), std::abs(row.height));
        EXPECT_EQ(dc.GetCurrentFont().GetLogFont().lfHeight, row.height);
        EXPECT_STREQ(dc.GetCurrentFont().GetLogFont().lfFaceName, "Arial");
        EXPECT_EQ(dc.GetTextColor(), RGB(0, 0, 255));
        selector.Restore(dc);
        EXPECT_EQ(dc.GetCurrentFont(), before);
        EXPECT_EQ(dc.GetTextColor(), RGB(7, 7, 7));
    }
}

TEST(KTSelectorTest, FontSelectorSecondRestoreAndDestruction)
{
    KTDC dc;
    dc.SetTextColor(RGB(1, 1, 1));
    KTFontSelector selector(KTLogFont(), 1.0);
    selector.Select(dc, true);
    selector.Restore(dc);
    dc.SetTextColor(RGB(2, 2, 2));
    selector.Restore(dc); // sets the remembered colour once more, selects nothing
    EXPECT_EQ(dc.GetTextColor(), RGB(1, 1, 1));

    {
        KTFontSelector forgotten(KTLogFont(), 1.0);
        forgotten.Select(dc, false);
    }
    // Destroying a font selector restores nothing.
    EXPECT_EQ(dc.GetCurrentFont().GetLogFont().lfHeight, -14);
}

namespace {

// Rows of the image's middle column that carry ink.
int InkRows(const QImage& image)
{
    int rows = 0;
    for (int y = 0; y < image.height(); ++y)
        if (qGray(image.pixel(image.width() / 2, y)) < 128)
            ++rows;
    return rows;
}

int DrawLineWithPen(int mode, const KTLogPen& pen)
{
    QImage image = kttest::WhiteImage(200, 200, 3780); // 96 dpi
    {
        KTDC dc(&image);
        dc.SetMapMode(mode);
        KTPenSelector selector(pen, 1.0);
        selector.Select(dc);
        // The middle of the image in either mapping.
        CPoint ends[2] = {CPoint(10, 100), CPoint(190, 100)};
        dc.DPtoLP(ends, 2);
        dc.MoveTo(ends[0]);
        dc.LineTo(ends[1]);
        selector.Restore(dc);
    }
    return InkRows(image);
}

} // namespace

TEST(KTSelectorTest, DrawnPenWidthsFollowTheMappingMode)
{
    // One millimetre in HIMETRIC is 3.78 pixels at 96 dpi.
    const int metric = DrawLineWithPen(MM_HIMETRIC, kSolid100);
    EXPECT_GE(metric, 3);
    EXPECT_LE(metric, 5);
    // In pixels: 250 HIMETRIC are 9 pixels at 96 dpi, so 100 x 9 / 150 = 6.
    const int pixels = DrawLineWithPen(MM_TEXT, kSolid100);
    EXPECT_GE(pixels, 5);
    EXPECT_LE(pixels, 7);
    // A no-line pen leaves the image white.
    EXPECT_EQ(DrawLineWithPen(MM_HIMETRIC, KTLogPen(12, 0x10005, 0, 100.0)), 0);
}
