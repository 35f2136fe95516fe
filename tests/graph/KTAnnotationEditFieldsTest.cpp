// What the annotation edit dialog is given of an annotation and what comes back after OK: the
// rows, the sizes and weights as texts, the picker numbers, "Set As Default", and the list's
// EditAt road through its hook.

#include "graph/KTAnnotationEditFields.h"

#include "foundation/KTLogBrush.h"
#include "foundation/KTLogFont.h"
#include "foundation/KTLogPen.h"
#include "foundation/KTNumberFormat.h"
#include "graph/KTGAnnotation.h"
#include "graph/KTGAnnotationList.h"
#include "graph/KTOptionsAnnotation.h"
#include "graph/KTTipInfo.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

constexpr double kPoint = KTLogPen::kUnitsPerPoint;

/// Removes the list's hook when a test ends.
struct HookGuard
{
    explicit HookGuard(KTGAnnotationList::EditHook hook)
        : previous(KTGAnnotationList::SetEditHook(std::move(hook)))
    {
    }
    ~HookGuard() { KTGAnnotationList::SetEditHook(std::move(previous)); }
    KTGAnnotationList::EditHook previous;
};

KTGAnnotation ThreeLines()
{
    KTGAnnotation a;
    a.m_text.AddText("Right Click To Edit");
    a.m_text.AddText(" ");
    a.m_text.AddMarkedText("y=x^2");
    a.m_borderPen.Set(2.0, KTLineStyleDash, 0x0000FF);
    a.m_anchorPen = KTLogPen(KTPenKindGeometric, 0x10006, 0x00FF00, 1.5 * kPoint);
    a.m_boxBrush = KTLogBrush(KTBrushKindNumber, 1, 0xEEEEEE, 0);
    a.m_font.SetFaceName("Courier New");
    a.m_font.m_color = 0x112233;
    a.m_anchorType = KTAnchorPoint;
    a.m_justify = KTJustifyRight;
    return a;
}

} // namespace

TEST(KTAnnotationEditFields, WeightTextsRoundToAQuarterPoint)
{
    const struct
    {
        double width;
        const char* text;
    } rows[] = {
        {8.819443875, "0.25pt"},   {kPoint, "1pt"}, {1.5 * kPoint, "1.5pt"}, {2.6 * kPoint, "2.5pt"},
        {2.63 * kPoint, "2.75pt"}, {0.0, "0pt"},    {4 * kPoint, "4pt"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(KTAnnotationEditFields::WeightText(row.width), CString(row.text)) << row.width;
}

TEST(KTAnnotationEditFields, WeightAndSizeTextsAreRead)
{
    EXPECT_DOUBLE_EQ(KTAnnotationEditFields::ReadWeight("1.5pt"), 1.5);
    EXPECT_DOUBLE_EQ(KTAnnotationEditFields::ReadWeight("0.25pt"), 0.25);
    EXPECT_DOUBLE_EQ(KTAnnotationEditFields::ReadWeight("3"), 3.0);
    // A weight no pen can take reads as 0.
    EXPECT_DOUBLE_EQ(KTAnnotationEditFields::ReadWeight("1/0pt"), 0.0);
    EXPECT_DOUBLE_EQ(KTAnnotationEditFields::ReadWeight("-2pt"), 0.0);
    // Only trailing letters go: a space before them reaches the number reader.
    EXPECT_DOUBLE_EQ(KTAnnotationEditFields::ReadWeight("1.5 pt"), KTNumberText().ToDouble("1.5 "));

    const struct
    {
        const char* text;
        int size;
    } sizes[] = {{"11", 388},   {"14", 493}, {"8", 282}, {"72", 2539},
                 {"10,5", 370}, {"0", -1},   {"-3", -1}, {"5000", -1}};
    for (const auto& row : sizes)
        EXPECT_EQ(KTAnnotationEditFields::ReadSize(row.text), row.size) << row.text;
    EXPECT_EQ(KTAnnotationEditFields::SizeText(388), CString("11"));
    EXPECT_EQ(KTAnnotationEditFields::SizeText(493), CString("14"));
}

TEST(KTAnnotationEditFields, FieldsOfAnAnnotation)
{
    const KTAnnotationEditFields f = KTAnnotationEditFields::FromAnnotation(ThreeLines(), true);
    // The placeholder and a kept blank row show empty.
    EXPECT_EQ(f.m_lines[0], CString(""));
    EXPECT_EQ(f.m_lines[1], CString(""));
    EXPECT_EQ(f.m_lines[2], CString("y=x^2"));
    for (int n = 3; n < KTAnnotationEditFields::LineCount; ++n)
        EXPECT_EQ(f.m_lines[static_cast<std::size_t>(n)], CString(""));
    const std::array<int, 10> ticks{0, 0, 1, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(f.m_equation, ticks);
    EXPECT_EQ(f.m_faceName, CString("Courier New"));
    EXPECT_EQ(f.m_sizeText, CString("11"));
    EXPECT_EQ(f.m_fontColour, 0x112233u);
    EXPECT_EQ(f.m_borderWeightText, CString("2pt"));
    EXPECT_EQ(f.m_borderStyle, KTLineStyleDash);
    EXPECT_EQ(f.m_borderColour, 0x0000FFu);
    EXPECT_EQ(f.m_anchorWeightText, CString("1.5pt"));
    // The default solid platform style shows as "Solid0".
    EXPECT_EQ(f.m_anchorStyle, KTLineStyleSolid);
    EXPECT_EQ(f.m_anchorColour, 0x00FF00u);
    EXPECT_EQ(f.m_shadingColour, 0xEEEEEEu);
    EXPECT_EQ(f.m_anchorType, KTAnchorPoint);
    EXPECT_EQ(f.m_justify, KTJustifyRight);
    EXPECT_EQ(f.m_expanded, 1);
}

TEST(KTAnnotationEditFields, ThePlaceholderShowsEmptyOnlyOnTheFirstRow)
{
    KTGAnnotation a;
    a.m_text.AddText("first");
    a.m_text.AddText("Right Click To Edit");
    const KTAnnotationEditFields f = KTAnnotationEditFields::FromAnnotation(a, false);
    EXPECT_EQ(f.m_lines[1], CString("Right Click To Edit"));
    EXPECT_EQ(f.m_expanded, 0);
}

TEST(KTAnnotationEditFields, ThePlaceholderOfEveryLanguageShowsEmpty)
{
    // A first line that the view wrote: the placeholder it writes now (the user may have changed
    // it), or the default one of any language, since a note travels in its document to users
    // of other languages. Anything else, or the same text on a later row, is the user's.
    const struct
    {
        const char* first;
        const char* placeholder; ///< what the view writes now
        bool blank;
    } rows[] = {
        {"Right Click to Edit", "Right Click to Edit", true},
        {"H\366gerklicka f\366r att redigera", "H\366gerklicka f\366r att redigera", true},
        {"Click col tasto destro per modificare", "Click col tasto destro per modificare", true},
        {"Editointiin hiiren oikealla painikkeella", "Editointiin hiiren oikealla painikkeella", true},
        {"Opmaak met Rechtermuisknop", "Opmaak met Rechtermuisknop", true},
        {"Editointiin hiiren oikealla painikkeella", "Right Click to Edit", true},
        {"Right Click to Edit", "Opmaak met Rechtermuisknop", true},
        {"Right Click To Edit", "Right Click to Edit", true},
        {"Double click me", "Double click me", true},
        {"Right Click to Edit", "", true},
        {"Double click me", "Right Click to Edit", false},
        {"right click to edit", "Right Click to Edit", false},
        {"Right Click to Edit ", "Right Click to Edit", false},
        {"Vertex", "Right Click to Edit", false},
    };
    for (const auto& row : rows) {
        KTGAnnotation a;
        a.m_text.AddText(row.first);
        a.m_text.AddText(row.first);
        const KTAnnotationEditFields f = KTAnnotationEditFields::FromAnnotation(a, false, row.placeholder);
        EXPECT_EQ(f.m_lines[0], row.blank ? CString() : CString(row.first)) << row.first;
        EXPECT_EQ(f.m_lines[1], CString(row.first)) << row.first;
    }
}

TEST(KTAnnotationEditFields, BlankRowsKeepTheirPlaceTrailingOnesGo)
{
    const struct
    {
        std::array<const char*, 10> typed;
        std::array<const char*, 10> kept;
        int count;
    } rows[] = {
        {{"a", "", "c"}, {"a", " ", "c", "", "", "", "", "", "", ""}, 3},
        {{"", "", "c"}, {" ", " ", "c", "", "", "", "", "", "", ""}, 3},
        {{"a", "b", "", ""}, {"a", "b", "", "", "", "", "", "", "", ""}, 2},
        {{"", "", "", "", "", "", "", "", "", "j"}, {" ", " ", " ", " ", " ", " ", " ", " ", " ", "j"}, 10},
        {{}, {"", "", "", "", "", "", "", "", "", ""}, 0},
    };
    for (const auto& row : rows) {
        KTAnnotationEditFields f;
        for (std::size_t n = 0; n < 10; ++n)
            f.m_lines[n] = row.typed[n] ? row.typed[n] : "";
        const auto kept = f.KeptLines();
        for (std::size_t n = 0; n < 10; ++n)
            EXPECT_EQ(kept[n], CString(row.kept[n])) << n;
        KTGAnnotation a;
        f.ApplyTo(a);
        EXPECT_EQ(a.m_text.GetLineCount(), row.count);
        for (int n = 0; n < row.count; ++n)
            EXPECT_EQ(a.m_text.LineText(n), CString(row.kept[n]));
    }
}

TEST(KTAnnotationEditFields, ApplyingTheFieldsOfAnAnnotationChangesNothing)
{
    KTGAnnotation original = ThreeLines();
    original.m_text = KTTipInfo();
    original.m_text.AddText("Top");
    original.m_text.AddText(" ");
    original.m_text.AddMarkedText("y=x^2");
    original.m_text.m_hotRect = CRect(10, 20, 30, 40);
    // Sizes and widths that the texts carry exactly.
    original.m_font.m_size = KTAnnotationEditFields::ReadSize("11");
    original.m_borderPen.Set(2.0, KTLineStyleDash, 0x0000FF);
    original.m_anchorPen.Set(1.5, KTLineStyleSolid, 0x00FF00);
    KTGAnnotation copy = original;
    KTAnnotationEditFields::FromAnnotation(copy, false).ApplyTo(copy);
    EXPECT_EQ(copy.m_text, original.m_text);
    EXPECT_EQ(copy.m_font, original.m_font);
    EXPECT_EQ(copy.m_borderPen, original.m_borderPen);
    EXPECT_EQ(copy.m_anchorPen, original.m_anchorPen);
    EXPECT_EQ(copy.m_boxBrush, original.m_boxBrush);
    EXPECT_EQ(copy.m_anchorType, original.m_anchorType);
    EXPECT_EQ(copy.m_justify, original.m_justify);
}

TEST(KTAnnotationEditFields, ApplyWritesFontPensAndShading)
{
    KTGAnnotation a = ThreeLines();
    a.m_font.m_logFont.lfWeight = 700;
    KTAnnotationEditFields f = KTAnnotationEditFields::FromAnnotation(a, false);
    f.m_faceName = "Times New Roman";
    f.m_sizeText = "14";
    f.m_fontColour = 0x010203;
    f.m_borderStyle = KTLineStyleNone;
    f.m_anchorWeightText = "3pt";
    f.m_anchorStyle = KTLineStyleDot;
    f.m_shadingColour = 0xABCDEF;
    f.m_anchorType = KTAnchorArrow;
    f.m_justify = KTJustifyCentre;
    f.ApplyTo(a);
    EXPECT_EQ(a.m_font.GetFaceName(), CString("Times New Roman"));
    EXPECT_EQ(a.m_font.m_size, 493);
    EXPECT_EQ(a.m_font.m_color, 0x010203u);
    EXPECT_EQ(a.m_font.m_logFont.lfWeight, 700); // the other font fields stay
    EXPECT_EQ(a.m_borderPen.m_kind, KTPenKindNone);
    KTLogPen anchor;
    anchor.Set(3.0, KTLineStyleDot, 0x00FF00);
    EXPECT_EQ(a.m_anchorPen, anchor);
    EXPECT_EQ(a.m_boxBrush, KTLogBrush(KTBrushKindNumber, 1, 0xABCDEF, 0));
    EXPECT_EQ(a.m_anchorType, KTAnchorArrow);
    EXPECT_EQ(a.m_justify, KTJustifyCentre);
}

TEST(KTAnnotationEditFields, ASizeThatIsNoSizeKeepsTheFont)
{
    for (const char* text : {"0", "-12", "99999"}) {
        KTGAnnotation a;
        a.m_font.m_size = 600;
        KTAnnotationEditFields f = KTAnnotationEditFields::FromAnnotation(a, false);
        f.m_sizeText = text;
        f.ApplyTo(a);
        EXPECT_EQ(a.m_font.m_size, 600) << text;
    }
}

TEST(KTAnnotationEditFields, SetAsDefaultWritesFontPensAndBrushOnly)
{
    KTOptionsAnnotation defaults;
    const int anchorType = defaults.m_anchorType.m_value;
    const int gap = defaults.m_anchorGap.m_value;
    KTAnnotationEditFields f = KTAnnotationEditFields::FromAnnotation(ThreeLines(), false);
    f.m_sizeText = "20";
    f.m_anchorType = KTAnchorLine;
    f.ApplyToDefaults(defaults);

    KTLogFont font;
    font.SetFaceName("Courier New");
    font.m_size = 705;
    font.m_color = 0x112233;
    EXPECT_EQ(defaults.m_annotateFont.m_value, font);
    KTLogPen anchor;
    anchor.Set(1.5, KTLineStyleSolid, 0x00FF00);
    KTLogPen border;
    border.Set(2.0, KTLineStyleDash, 0x0000FF);
    EXPECT_EQ(defaults.m_anchorPen.m_value, anchor);
    EXPECT_EQ(defaults.m_rectPen.m_value, border);
    EXPECT_EQ(defaults.m_rectBrush.m_value, KTLogBrush(KTBrushKindNumber, 1, 0xEEEEEE, 0));
    EXPECT_EQ(defaults.m_bDefaultsChanged, 1);
    EXPECT_EQ(defaults.m_anchorType.m_value, anchorType);
    EXPECT_EQ(defaults.m_anchorGap.m_value, gap);
}

TEST(KTGAnnotationListEdit, WithoutAHookNothingIsEdited)
{
    const HookGuard guard(nullptr);
    KTGAnnotationList list;
    list.Add(ThreeLines());
    KTOptionsAnnotation defaults;
    defaults.m_bDefaultsChanged = 1;
    EXPECT_FALSE(list.EditAt(0, defaults));
    EXPECT_EQ(list.GetAt(0).m_text, ThreeLines().m_text);
    EXPECT_EQ(defaults.m_bDefaultsChanged, 0);
}

TEST(KTGAnnotationListEdit, OkReplacesTheAnnotationCancelKeepsIt)
{
    KTGAnnotationList list;
    list.Add(KTGAnnotation());
    list.Add(ThreeLines());
    KTOptionsAnnotation defaults;
    bool accept = false;
    KTAnnotationEditFields seen;
    const HookGuard guard([&](KTAnnotationEditFields& fields, KTOptionsAnnotation& d) {
        seen = fields;
        EXPECT_EQ(&d, &defaults);
        fields.m_lines = {"one", "", "three"};
        fields.m_expanded = 1;
        d.m_bDefaultsChanged = 1;
        return accept;
    });

    EXPECT_FALSE(list.EditAt(1, defaults));
    EXPECT_EQ(seen.m_lines[2], CString("y=x^2"));
    EXPECT_EQ(list.GetAt(1).m_text, ThreeLines().m_text);
    EXPECT_EQ(list.m_bEditExpanded, 0);
    // Defaults changed before a cancel stay changed.
    EXPECT_EQ(defaults.m_bDefaultsChanged, 1);

    accept = true;
    EXPECT_TRUE(list.EditAt(1, defaults));
    const KTTipInfo& text = list.GetAt(1).m_text;
    EXPECT_EQ(text.GetLineCount(), 3);
    EXPECT_EQ(text.LineText(1), CString(" "));
    EXPECT_EQ(text.LineText(2), CString("three"));
    EXPECT_EQ(list.m_bEditExpanded, 1);
    EXPECT_EQ(list.GetAt(0).m_text.GetLineCount(), 0);

    // The expanded state reaches the next edit; the blank row shows empty again.
    EXPECT_TRUE(list.EditAt(1, defaults));
    EXPECT_EQ(seen.m_expanded, 1);
    EXPECT_EQ(seen.m_lines[1], CString(""));
}

TEST(KTGAnnotationListEdit, AnIndexOutsideTheListThrows)
{
    const HookGuard guard([](KTAnnotationEditFields&, KTOptionsAnnotation&) { return true; });
    KTGAnnotationList list;
    list.Add(KTGAnnotation());
    KTOptionsAnnotation defaults;
    EXPECT_THROW(list.EditAt(1, defaults), std::out_of_range);
    EXPECT_THROW(list.EditAt(-1, defaults), std::out_of_range);
}
