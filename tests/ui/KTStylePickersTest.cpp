// The owner-drawn pickers: their tables, filling and selection by item data, the drop-down
// height, the item heights and the pictures they draw.

#include "ui/KTBreakTypeComboBox.h"
#include "ui/KTLineStyleComboBox.h"
#include "ui/KTPointStyleComboBox.h"
#include "ui/KTStyleComboBox.h"

#include "foundation/KTLogPen.h"
#include "foundation/KTOptionMarks.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::pair<CString, int>> Entries(const KTStyleTableEntry* table)
{
    std::vector<std::pair<CString, int>> entries;
    for (int i = 0; !(table[i].text.IsEmpty() && table[i].data == -1); ++i)
        entries.emplace_back(table[i].text, table[i].data);
    return entries;
}

// Dark pixels of a picture drawn by the picker into an item of the given size.
QImage Picture(const KTStyleComboBox& picker, int data, QSize size = QSize(120, 22))
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    picker.DrawItem(painter, QRect(QPoint(0, 0), size), data, false, false);
    return image;
}

int Ink(const QImage& image, QRect area = QRect())
{
    if (area.isNull())
        area = image.rect();
    int ink = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ink += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
    return ink;
}

} // namespace

TEST(KTStyleTables, HoldTheTextsAndNumbersInOrder)
{
    using Entry = std::pair<CString, int>;
    EXPECT_EQ(
        Entries(KTLineStyleTable),
        (std::vector<Entry>{{"Solid0", 13}, {"Dot", 1}, {"Dash", 2}, {"Dash Dot", 3}, {"Dash Dot Dot", 4}}));
    EXPECT_EQ(
        Entries(KTLineStyleNoneTable),
        (std::vector<Entry>{
            {"None", 12}, {"Solid0", 13}, {"Dot", 1}, {"Dash", 2}, {"Dash Dot", 3}, {"Dash Dot Dot", 4}}));
    EXPECT_EQ(Entries(KTPointTypeTable), (std::vector<Entry>{{"PT_NONE", 0},
                                                             {"PT_CROSS", 1},
                                                             {"PT_DOT", 2},
                                                             {"PT_CIRCLE", 3},
                                                             {"PT_EX", 6},
                                                             {"PT_SQUARE", 5},
                                                             {"PT_DIAMOND", 4},
                                                             {"PT_ASTERISK", 8},
                                                             {"PT_TINYDOT", 10}}));
    EXPECT_EQ(Entries(KTBreakTypeTable), (std::vector<Entry>{{"KTBREAKTYPE_ZED", 0},
                                                             {"KTBREAKTYPE_PARALLELS", 1},
                                                             {"KTBREAKTYPE_JOINED", 2},
                                                             {"KTBREAKTYPE_BIGGAP", 3},
                                                             {"KTBREAKTYPE_GAP", 4}}));
    ASSERT_NE(KTFindStyleByData(KTPointTypeTable, 6), nullptr);
    EXPECT_EQ(KTFindStyleByData(KTPointTypeTable, 6)->text, "PT_EX");
    EXPECT_EQ(KTFindStyleByData(KTLineStyleTable, 12), nullptr);
    ASSERT_NE(KTFindStyleByText(KTLineStyleNoneTable, "Dash Dot"), nullptr);
    EXPECT_EQ(KTFindStyleByText(KTLineStyleNoneTable, "Dash Dot")->data, 3);
    EXPECT_EQ(KTFindStyleByText(KTLineStyleNoneTable, "dash dot"), nullptr);
}

TEST(KTStyleComboBox, FillsAndSelectsByItemData)
{
    KTLineStyleComboBox picker;
    EXPECT_EQ(picker.FillFromTextTable(KTLineStyleNoneTable, "Dash"), 3);
    EXPECT_EQ(picker.count(), 6);
    // Nothing is selected by filling.
    EXPECT_EQ(picker.currentIndex(), -1);
    EXPECT_EQ(picker.GetSelectedData(), 0);
    EXPECT_EQ(picker.SelectItemData(4), 5);
    EXPECT_EQ(picker.GetSelectedData(), 4);
    // A style not in the list clears the selection.
    EXPECT_EQ(picker.SelectItemData(7), -1);
    EXPECT_EQ(picker.currentIndex(), -1);
    EXPECT_EQ(picker.GetSelectedData(), 0);
    // Filling twice without emptying doubles the entries; the match is the first one.
    EXPECT_EQ(picker.FillFromTextTable(KTLineStyleNoneTable, "Dot"), 2);
    EXPECT_EQ(picker.count(), 12);
    EXPECT_EQ(picker.FillFromTextTable(KTLineStyleTable, ""), -1);
    EXPECT_EQ(picker.FillFromTextTable(KTLineStyleTable, "Wavy"), -1);
}

TEST(KTStyleComboBox, GetSelectedDataOfNothingIsAValidBreakType)
{
    KTBreakTypeComboBox picker;
    picker.FillFromTextTable(KTBreakTypeTable, "");
    picker.setCurrentIndex(-1);
    EXPECT_EQ(picker.GetSelectedData(), 0);
    picker.SelectItemData(0);
    EXPECT_EQ(picker.GetSelectedData(), 0);
    EXPECT_EQ(picker.currentIndex(), 0);
}

TEST(KTStyleComboBox, AddsTextsByStringId)
{
    KTStyleComboBox::SetString(61001, "Thin");
    KTStyleComboBox::SetString(61002, "Thick");
    const KTStyleIdEntry table[] = {{5, 61001}, {9, 61002}, {0, 0}};
    KTStyleComboBox picker;
    EXPECT_EQ(picker.AddItemById(61999, 1), -1);
    EXPECT_EQ(picker.FillFromIdTable(table, 9), 1);
    EXPECT_EQ(picker.itemText(1), QStringLiteral("Thick"));
    EXPECT_EQ(picker.SelectItemData(5), 0);
}

TEST(KTStyleComboBox, DropDownHeight)
{
    const struct
    {
        int itemHeight, preset, count, above, below, expected;
    } rows[] = {
        {22, 0, 5, 1000, 1000, 22 * 8},   // as many rows as items
        {22, 0, 1, 1000, 1000, 22 * 5},   // at least two rows
        {22, 3, 9, 1000, 1000, 22 * 6},   // the preset
        {20, -1, 9, 1000, 1000, 20 * 12}, // fits both ways
        {20, -1, 9, 100, 150, 20 * 7},    // held to the larger space, in whole rows
        {20, -1, 9, 239, 1000, 20 * 50},  // fits below only: the larger space
    };
    for (const auto& row : rows)
        EXPECT_EQ(
            KTStyleComboBox::DropDownHeight(row.itemHeight, row.preset, row.count, row.above, row.below),
            row.expected)
            << row.preset << " " << row.count << " " << row.above << " " << row.below;
}

TEST(KTStyleComboBox, ItemHeights)
{
    EXPECT_EQ(KTLineStyleComboBox().MeasureItem(), 22);
    EXPECT_EQ(KTBreakTypeComboBox().MeasureItem(), 18);
    EXPECT_EQ(KTPointStyleComboBox().MeasureItem(), 20);
}

TEST(KTLineStyleComboBox, DrawsTheLineAcrossTheMiddle)
{
    KTLineStyleComboBox picker;
    const QImage solid = Picture(picker, KTLineStyleSolid);
    // Along the centre row from left + 2 to right - 2, nothing above or below the line.
    EXPECT_GT(Ink(solid, QRect(2, 10, 116, 2)), 100);
    EXPECT_EQ(Ink(solid, QRect(0, 0, 120, 6)), 0);
    EXPECT_EQ(Ink(solid, QRect(0, 16, 120, 6)), 0);
    // A dotted line has gaps: less ink than the solid one.
    const QImage dotted = Picture(picker, KTLineStyleDot);
    EXPECT_GT(Ink(dotted), 10);
    EXPECT_LT(Ink(dotted), Ink(solid));
    // "None" is written, not drawn as a line; the end marker draws nothing.
    const QImage none = Picture(picker, KTLineStyleNone);
    EXPECT_GT(Ink(none, QRect(5, 5, 40, 15)), 5);
    EXPECT_EQ(Ink(none, QRect(60, 0, 60, 22)), 0);
    EXPECT_EQ(Ink(Picture(picker, -1)), 0);
}

TEST(KTBreakTypeComboBox, StrokesOfTheSketches)
{
    const QRect rect(0, 0, 94, 18); // a = 10, b = 9, c = 2, d = 1, e = 17, f = 22, g = 42
    using Stroke = std::vector<QPoint>;
    const Stroke axis{{2, 1}, {2, 17}};
    const struct
    {
        int data;
        std::vector<Stroke> strokes;
    } rows[] = {
        {0, {axis, {{2, 9}, {22, 9}, {32, 1}, {52, 17}, {62, 9}, {91, 9}}}},
        {1, {axis, {{2, 9}, {32, 9}}, {{22, 17}, {42, 1}}, {{42, 17}, {62, 1}}, {{52, 9}, {91, 9}}}},
        {2, {axis, {{2, 9}, {91, 9}}}},
        {3, {axis, {{82, 9}, {91, 9}}}},
        {4, {axis, {{2, 9}, {32, 9}}, {{52, 9}, {91, 9}}}},
        {7, {axis}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(KTBreakTypeComboBox::Strokes(rect, row.data), row.strokes) << row.data;
    KTBreakTypeComboBox picker;
    const QImage joined = Picture(picker, 2, QSize(94, 18));
    EXPECT_GT(Ink(joined, QRect(10, 8, 70, 3)), 60);
    const QImage bigGap = Picture(picker, 3, QSize(94, 18));
    EXPECT_EQ(Ink(bigGap, QRect(10, 0, 60, 18)), 0);
}

TEST(KTPointStyleComboBox, DrawsTheMarkerHalfwayAcross)
{
    KTPointStyleComboBox picker;
    KTOptionMarks marks;
    marks.SetDefaults();
    picker.m_marks = &marks;
    for (int data : {1, 2, 3, 4, 5, 6, 8, 10}) {
        const QImage image = Picture(picker, data, QSize(120, 20));
        EXPECT_GT(Ink(image, QRect(50, 4, 20, 12)), 0) << data;
        EXPECT_EQ(Ink(image, QRect(0, 0, 30, 20)), 0) << data;
        EXPECT_EQ(Ink(image, QRect(90, 0, 30, 20)), 0) << data;
    }
    const QImage none = Picture(picker, 0, QSize(120, 20));
    EXPECT_GT(Ink(none, QRect(5, 5, 40, 15)), 5);
}
