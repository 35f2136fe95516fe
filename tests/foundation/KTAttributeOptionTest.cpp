#include "foundation/KTIniFile.h"
#include "foundation/KTOptionKTLogBrush.h"
#include "foundation/KTOptionKTLogFont.h"
#include "foundation/KTOptionKTLogPen.h"
#include "platform/KTArchive.h"

#include <gtest/gtest.h>

TEST(KTAttributeOptionTest, ConstructedOptionsHoldTheFactoryRecords)
{
    const KTOptionKTLogPen pen;
    EXPECT_EQ(pen.m_value, KTLogPen(0, 6, 0, 0.0));
    EXPECT_EQ(pen.GetDefault(), KTLogPen(0, 6, 0, 0.0));
    EXPECT_TRUE(pen.GetKey().IsEmpty());
    EXPECT_TRUE(pen.GetSection().IsEmpty());

    const KTOptionKTLogBrush brush;
    EXPECT_EQ(brush.m_value, KTLogBrush(0, 1, 0, 0));
    EXPECT_EQ(brush.GetDefault(), KTLogBrush(0, 1, 0, 0));

    const KTOptionKTLogFont font;
    EXPECT_EQ(font.m_value, KTLogFont());
    EXPECT_EQ(font.GetDefault(), KTLogFont());

    for (const char* name : {"KTOptionKTLogPen", "KTOptionKTLogBrush", "KTOptionKTLogFont"}) {
        const KTRuntimeClass* rc = KTFindClass(name);
        ASSERT_NE(rc, nullptr) << name;
        EXPECT_EQ(rc->schema, 1u);
        EXPECT_NE(rc->factory(), nullptr);
    }
}

TEST(KTAttributeOptionTest, PenProfileReadTable)
{
    const KTLogPen defaultPen(1, 0x10006, RGB(255, 0, 0), 8.819443875);
    struct Row
    {
        const char* stored;
        KTLogPen expected;
    };
    const Row rows[] = {
        {nullptr, defaultPen},
        {"", defaultPen},
        {"0,0,255,65537,1,35.277776", {1, 0x10001, RGB(0, 0, 255), 35.277776}},
        {"1,2,3,4", {0, 0, RGB(1, 2, 3), 4.0}},
        {"x", {0, 0, 0, 0.0}},
    };
    for (const auto& row : rows) {
        KTIniFile store;
        if (row.stored)
            store.SetValue("Derivative", "Pen", row.stored, true);
        KTOptionKTLogPen option;
        option.Set("Derivative", "Pen", 0, defaultPen);
        option.m_value = KTLogPen(3, 3, 3, 3);
        EXPECT_TRUE(option.ReadProfile(store));
        EXPECT_EQ(option.m_value, row.expected) << (row.stored ? row.stored : "(missing)");
        EXPECT_EQ(option.GetDefault(), defaultPen);
    }
}

TEST(KTAttributeOptionTest, BrushAndFontProfileRead)
{
    KTIniFile store;
    store.SetValue("Integral", "Brush", "0,128,255,2,0,5", true);
    store.SetValue("Annotation", "Font", "-20,0,0,0,700,1,0,0,0,7,48,2,2,255,500,Times, New", true);

    KTOptionKTLogBrush brush;
    brush.Set("Integral", "Brush", 0, KTLogBrush(0, 1, RGB(200, 200, 200), 0));
    brush.ReadProfile(store);
    EXPECT_EQ(brush.GetValue(), KTLogBrush(0, 2, RGB(0, 128, 255), 5));

    KTOptionKTLogFont font;
    font.Set("Annotation", "Font", 1, KTLogFont());
    font.ReadProfile(store);
    EXPECT_EQ(font.GetValue().GetFaceName(), "Times, New");
    EXPECT_EQ(font.GetValue().m_logFont.lfWeight, 700);
    EXPECT_EQ(font.GetValue().m_size, 500);
    EXPECT_EQ(font.GetFlag(), 1);

    // A missing key gives the default back, whatever the value held.
    KTOptionKTLogFont missing;
    KTLogFont big;
    big.m_size = 999;
    missing.Set("Annotation", "Other", 0, big);
    missing.SetValue(KTLogFont());
    missing.ReadProfile(store);
    EXPECT_EQ(missing.GetValue(), big);
}

TEST(KTAttributeOptionTest, WriteProfileWritesValueOrDefault)
{
    KTIniFile store;
    KTOptionKTLogPen pen;
    pen.Set("KTFunction3-0", "Pen", 0, KTLogPen(1, 0x10006, RGB(255, 0, 0), 52.9166632));
    pen.m_value = KTLogPen(1, 0x10001, RGB(0, 0, 255), 35.277776);
    EXPECT_TRUE(pen.WriteProfile(store, true));
    EXPECT_EQ(store.GetValue("KTFunction3-0", "Pen"), "255,0,0,65542,1,52.916663");
    EXPECT_EQ(pen.m_value, KTLogPen(1, 0x10001, RGB(0, 0, 255), 35.277776));
    EXPECT_TRUE(pen.WriteProfile(store, false));
    EXPECT_EQ(store.GetValue("KTFunction3-0", "Pen"), "0,0,255,65537,1,35.277776");

    KTOptionKTLogBrush brush;
    brush.Set("Graph", "FRBrush", 0, KTLogBrush(0, 1, RGB(200, 200, 200), 0));
    brush.WriteProfile(store, false);
    EXPECT_EQ(store.GetValue("Graph", "FRBrush"), "200,200,200,1,0,0");

    KTOptionKTLogFont font;
    font.Set("Axes", "Font", 0, KTLogFont());
    font.WriteProfile(store, false);
    EXPECT_EQ(store.GetValue("Axes", "Font"), "-14,0,0,0,400,0,0,0,0,7,48,2,2,0,388,Arial");

    // Through the file form and back: every option reads what it wrote.
    KTIniFile reread;
    reread.MergeText(store.ToText());
    KTOptionKTLogPen penBack;
    penBack.Set("KTFunction3-0", "Pen", 0, KTLogPen());
    penBack.ReadProfile(reread);
    EXPECT_EQ(penBack.m_value, pen.m_value);
    KTOptionKTLogBrush brushBack;
    brushBack.Set("Graph", "FRBrush", 0, KTLogBrush());
    brushBack.ReadProfile(reread);
    EXPECT_EQ(brushBack.m_value, brush.m_value);
    KTOptionKTLogFont fontBack;
    KTLogFont other;
    other.SetFaceName("Symbol");
    fontBack.Set("Axes", "Font", 0, other);
    fontBack.ReadProfile(reread);
    EXPECT_EQ(fontBack.m_value, font.m_value);
}

TEST(KTAttributeOptionTest, SerializeArchivesTheValueAlone)
{
    KTOptionKTLogPen pen;
    pen.Set("S", "P", 0, KTLogPen(1, 0x10006, 5, 1.0));
    pen.m_value = KTLogPen(1, 0x10002, 7, 2.0);
    KTOptionKTLogBrush brush;
    brush.Set("S", "B", 0, KTLogBrush(0, 1, 5, 0));
    brush.m_value = KTLogBrush(1, 2, 7, 3);
    KTOptionKTLogFont font;
    font.Set("S", "F", 0, KTLogFont());
    KTLogFont symbol;
    symbol.SetFaceName("Symbol");
    font.SetValue(symbol);

    struct Row
    {
        KTObject* option;
        size_t bytes;
    };
    const Row rows[] = {{&pen, 24}, {&brush, 16}, {&font, 52}};
    KTArchive all;
    for (const auto& row : rows) {
        KTArchive out;
        row.option->Serialize(out);
        EXPECT_EQ(out.Data().size(), row.bytes);
        row.option->Serialize(all);
    }

    KTOptionKTLogPen penBack;
    penBack.Set("S", "P", 0, KTLogPen(0, 6, 9, 9.0));
    KTOptionKTLogBrush brushBack;
    KTOptionKTLogFont fontBack;
    KTArchive in(all.Data());
    penBack.Serialize(in);
    brushBack.Serialize(in);
    fontBack.Serialize(in);
    EXPECT_TRUE(in.AtEnd());
    EXPECT_EQ(penBack.m_value, pen.m_value);
    EXPECT_EQ(penBack.GetDefault(), KTLogPen(0, 6, 9, 9.0));
    EXPECT_EQ(penBack.GetKey(), "P");
    EXPECT_EQ(brushBack.m_value, brush.m_value);
    EXPECT_EQ(fontBack.m_value.GetFaceName(), "Symbol");
    EXPECT_EQ(fontBack.GetDefault(), KTLogFont());
}
