#include "foundation/KTLogBrush.h"
#include "platform/KTArchive.h"

#include <gtest/gtest.h>

TEST(KTLogBrushTest, DefaultAndFactoryBrush)
{
    const KTLogBrush brush;
    EXPECT_EQ(brush, KTLogBrush(0, 1, 0, 0));
    const KTRuntimeClass* rc = KTFindClass("KTLogBrush");
    ASSERT_NE(rc, nullptr);
    EXPECT_EQ(rc->schema, 1u);
    auto made = rc->factory();
    EXPECT_EQ(*dynamic_cast<KTLogBrush*>(made.get()), brush);
}

TEST(KTLogBrushTest, ToLogBrushTable)
{
    struct Row
    {
        int kind;
        int style;
        int hatch;
        std::uint32_t gdiStyle;
        int gdiHatch;
    };
    const Row rows[] = {
        {0, 0, 9, BS_NULL, 0},
        {0, 1, 9, BS_SOLID, 0},
        {0, 2, 9, BS_HATCHED, HS_FDIAGONAL},
        {0, 3, 9, BS_HATCHED, HS_BDIAGONAL},
        {0, 4, 9, BS_HATCHED, HS_HORIZONTAL},
        {0, 5, 9, BS_HATCHED, HS_VERTICAL},
        {0, 6, 9, BS_HATCHED, HS_CROSS},
        {0, 7, 9, BS_HATCHED, HS_DIAGCROSS},
        {1, BS_HATCHED, HS_CROSS, BS_HATCHED, HS_CROSS},
        {1, BS_NULL, 0, BS_NULL, 0},
        {1, 77, 33, 77, 33}, // passed on as stored; the selector decides what it draws
        // No conversion is defined for these: they fill solid in their colour.
        {0, 8, 3, BS_SOLID, 0},
        {0, -1, 3, BS_SOLID, 0},
        {2, 2, 3, BS_SOLID, 0},
        {-7, 0, 0, BS_SOLID, 0},
    };
    for (const auto& row : rows) {
        const LOGBRUSH gdi = KTLogBrush(row.kind, row.style, RGB(4, 5, 6), row.hatch).ToLogBrush();
        EXPECT_EQ(gdi.lbStyle, row.gdiStyle) << row.kind << "/" << row.style;
        EXPECT_EQ(gdi.lbHatch, row.gdiHatch) << row.kind << "/" << row.style;
        EXPECT_EQ(gdi.lbColor, RGB(4, 5, 6));
    }
}

TEST(KTLogBrushTest, ArchiveFormIs16Bytes)
{
    KTLogBrush brush(1, 2, RGB(0x11, 0x22, 0x33), -1);
    KTArchive out;
    brush.Serialize(out);
    const std::vector<std::uint8_t> expected = {1,    0,    0,    0, 2,    0,    0,    0,
                                                0x11, 0x22, 0x33, 0, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(out.Data(), expected);

    KTArchive in(out.Data());
    KTLogBrush back;
    back.Serialize(in);
    EXPECT_EQ(back, brush);
    EXPECT_TRUE(in.AtEnd());
}

TEST(KTLogBrushTest, ProfileTextTable)
{
    struct Row
    {
        const char* text;
        KTLogBrush brush;
        const char* written;
    };
    const Row rows[] = {
        {"0,128,255,2,0,5", {0, 2, RGB(0, 128, 255), 5}, "0,128,255,2,0,5"},
        {"200,200,200,1,0,0", {0, 1, RGB(200, 200, 200), 0}, "200,200,200,1,0,0"},
        {"", {0, 0, 0, 0}, "0,0,0,0,0,0"},
        {"1,2,3", {0, 0, RGB(1, 2, 0), 3}, "1,2,0,0,0,3"},
        {"256,257,-1,2,1,4,9", {1, 2, RGB(0, 1, 255), 4}, "0,1,255,2,1,4"},
    };
    for (const auto& row : rows) {
        KTLogBrush brush(9, 9, 9, 9);
        brush.FromProfileText(row.text);
        EXPECT_EQ(brush, row.brush) << row.text;
        EXPECT_EQ(brush.ToProfileText(), row.written);
        KTLogBrush again;
        again.FromProfileText(brush.ToProfileText());
        EXPECT_EQ(again, brush);
    }
}
