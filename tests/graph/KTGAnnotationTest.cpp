#include "graph/KTGAnnotation.h"
#include "graph/KTGAnnotationList.h"
#include "graph/KTOptionsAnnotation.h"

#include "engine/KTExceptionBase.h"
#include "foundation/KTVariableSubstitutions.h"
#include "axes/KTAxes.h"
#include "platform/KTArchive.h"
#include "platform/KTDC.h"

#include "support/KTArchiveBytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

using namespace kttest::bytes;

namespace {

/// Every archived field of an annotation as bytes: equal annotations store equal bytes.
Bytes Fields(KTGAnnotation a)
{
    return Stored(a);
}

/// A free annotation of two plain lines.
KTGAnnotation TextAnnotation()
{
    KTGAnnotation a;
    a.m_text.AddText("Minimum");
    a.m_text.AddText("\"x\" = 2");
    a.m_textRect = CRect(1000, -1000, 3000, -2000);
    a.m_textPosition = KTPoint(-1.5, 2.25);
    a.m_anchor = CPoint(500, -500);
    a.m_justify = KTJustifyCentre;
    return a;
}

/// An equation line with an arrow to its anchor.
KTGAnnotation EquationAnnotation()
{
    KTGAnnotation a;
    a.m_text.AddMarkedText("y=x^2/4");
    a.m_text.AddText("parabola");
    a.m_anchorType = KTAnchorArrow;
    a.m_anchorPen = KTLogPen(KTPenKindGeometric, 0x10006, RGB(200, 0, 0), 17.6388877);
    a.m_boxBrush = KTLogBrush(KTBrushKindNumber, 1, RGB(255, 255, 200));
    a.m_textRect = CRect(5000, -3000, 7000, -4000);
    a.m_textPosition = KTPoint(4, 1);
    a.m_anchor = CPoint(4000, -6000);
    a.m_lineStart = CPoint(4800, -3150);
    return a;
}

/// Bound to a tangent: locked anchor, binding fields, anchor position in graph units.
KTGAnnotation BoundAnnotation()
{
    KTGAnnotation a;
    a.m_text.AddMarkedText("y=x-1");
    a.m_text.AddText("slope 1");
    a.m_bound = 1;
    a.m_boundCode = 5;
    a.m_boundFunction = 0;
    a.m_boundId1 = -3;
    a.m_boundId2 = 2;
    a.m_anchorLocked = 1;
    a.m_bindingText = "tangent";
    a.m_sourceValue = 42;
    a.m_anchorType = KTAnchorPoint;
    a.m_justify = KTJustifyRight;
    a.m_anchorPosition = KTPoint(2, 1);
    a.m_anchor = CPoint(8000, -5000);
    a.m_textRect = CRect(9000, -2000, 11000, -2800);
    a.m_textPosition = KTPoint(3.5, 4.75);
    a.m_grabOffset = CSize(12, -7);
    a.m_font.SetFaceName("Times New Roman");
    a.m_font.m_size = 494;
    return a;
}

Bytes TipBytes(const CRect& hot, std::initializer_list<std::pair<const char*, std::int32_t>> lines)
{
    Bytes out =
        Join({Str("KTTipInfo"), U16(1), I32(hot.left), I32(hot.top), I32(hot.right), I32(hot.bottom)});
    int n = 0;
    for (const auto& [text, mark] : lines) {
        out = Join({out, Str(text), I32(mark)});
        ++n;
    }
    for (int i = n; i < 10; ++i)
        out = Join({out, Str(""), I32(-1)});
    return Join({out, I32(n), Str("/KTTipInfo/")});
}

} // namespace

// ---- construction ------------------------------------------------------------------------------

TEST(KTGAnnotation, DefaultLookDiffersFromTheOptionDefaultsInItsFiveSizes)
{
    const KTGAnnotation a;
    const KTLogPen quarterPoint(KTPenKindGeometric, 0x10006, 0, 8.819443875);
    EXPECT_EQ(a.m_borderPen, quarterPoint);
    EXPECT_EQ(a.m_anchorPen, quarterPoint);
    EXPECT_EQ(a.m_boxBrush, KTLogBrush(KTBrushKindNumber, 1, 0xFFFFFF, 0));
    EXPECT_EQ(a.m_font, KTLogFont());
    EXPECT_EQ(a.m_text.GetLineCount(), 0);
    const std::int32_t sizes[] = {a.m_anchorGap, a.m_cornerOffset, a.m_arrowSize, a.m_borderGap,
                                  a.m_pointSize};
    const std::int32_t expected[] = {200, 200, 200, 150, 20};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(sizes[i], expected[i]) << i;
    EXPECT_EQ(a.m_anchorType, KTAnchorNone);
    EXPECT_EQ(a.m_justify, KTJustifyLeft);
    EXPECT_EQ(a.m_anchor, CPoint());
    EXPECT_EQ(a.m_textRect, CRect());
    EXPECT_EQ(a.m_lineStart, CPoint());
    EXPECT_EQ(a.m_grabOffset, CSize());
    EXPECT_EQ(a.m_selected, 0);
    EXPECT_EQ(a.m_anchorLocked, 0);
    EXPECT_EQ(a.m_bound, 0);
}

TEST(KTGAnnotation, FromOptionsTakesTheLookAndForcesNumbersIntoRange)
{
    KTOptionsAnnotation options;
    options.m_annotateFont.m_value.SetFaceName("Courier New");
    options.m_rectPen.m_value = KTLogPen(KTPenKindGeometric, 0x10002, RGB(1, 2, 3), 35.2777755);
    options.m_anchorPen.m_value = KTLogPen(KTPenKindGeometric, 0x10001, RGB(4, 5, 6), 70.555551);
    options.m_rectBrush.m_value = KTLogBrush(KTBrushKindNumber, 1, RGB(7, 8, 9));
    options.m_anchorType.m_value = 7; // outside 0..3: the midpoint 1
    options.m_justify.m_value = 2;
    options.m_anchorGap.m_value = 501; // outside 0..500: 250
    options.m_rectCornerOffset.m_value = 120;
    options.m_arrowSize.m_value = -1;  // 250
    options.m_pointSize.m_value = 500; // outside 0..100: 50
    options.m_borderGap.m_value = 90;

    const KTGAnnotation a(options);
    EXPECT_EQ(a.m_font.GetFaceName(), "Courier New");
    EXPECT_EQ(a.m_borderPen, options.m_rectPen.m_value);
    EXPECT_EQ(a.m_anchorPen, options.m_anchorPen.m_value);
    EXPECT_EQ(a.m_boxBrush, options.m_rectBrush.m_value);
    EXPECT_EQ(a.m_anchorType, 1);
    EXPECT_EQ(a.m_justify, 2);
    EXPECT_EQ(a.m_anchorGap, 250);
    EXPECT_EQ(a.m_cornerOffset, 120);
    EXPECT_EQ(a.m_arrowSize, 250);
    EXPECT_EQ(a.m_pointSize, 50);
    EXPECT_EQ(a.m_borderGap, 90);
    // The options themselves are not changed by being read.
    EXPECT_EQ(options.m_anchorType.m_value, 7);
}

// ---- archive -------------------------------------------------------------------------------------

TEST(KTGAnnotationArchive, EmptyListIsTagVersionZeroCountAndEndTag)
{
    KTGAnnotationList list;
    const Bytes expected = Join({Str("KTGAnnotationList"), U16(1), U32(0), Str("/KTGAnnotationList/")});
    EXPECT_EQ(Stored(list), expected);

    KTGAnnotationList loaded;
    loaded.Add(TextAnnotation());
    EXPECT_EQ(Load(loaded, expected), 0u);
    EXPECT_EQ(loaded.GetCount(), 0);
}

TEST(KTGAnnotationArchive, AnnotationBytesFollowTheRecordOrderWithTextPositionLast)
{
    KTGAnnotation a = BoundAnnotation();
    a.m_text.SetHotRect(1, 2, 3, 4);
    a.m_lineStart = CPoint(-11, 22);
    a.m_grabVector = KTVector(9, 9); // has no archive form
    a.m_selected = 1;                // not archived
    a.m_yDirection = 1.0;            // not archived
    a.m_anchorGap = 101;
    a.m_cornerOffset = 102;
    a.m_borderGap = 103;
    a.m_arrowSize = 104;
    a.m_pointSize = 105;

    const Bytes expected = Join({
        Str("KTGAnnotation"),
        U16(1),
        TipBytes(CRect(1, 2, 3, 4), {{"y=x-1", 1}, {"slope 1", 0}}),
        B(1),
        B(1),
        I32(5),
        I32(0),
        I32(-3),
        I32(2),
        Str("tangent"),
        I32(42),
        Stored(a.m_font),
        Pen(1, 0x10006, 0, 8.819443875),
        Pen(1, 0x10006, 0, 8.819443875),
        Brush(0, 1, 0xFFFFFF, 0),
        I32(KTAnchorPoint),
        I32(KTJustifyRight),
        I32(8000),
        I32(-5000),
        I32(9000),
        I32(-2000),
        I32(11000),
        I32(-2800),
        F64(2),
        F64(1),
        I32(-11),
        I32(22),
        I32(12),
        I32(-7),
        I32(101),
        I32(102),
        I32(103),
        I32(104),
        I32(105),
        F64(3.5),
        F64(4.75),
        Str("/KTGAnnotation/"),
    });
    EXPECT_EQ(Stored(a), expected);
    EXPECT_EQ(Stored(a.m_font).size(), 52u);
}

TEST(KTGAnnotationArchive, ListRoundTripKeepsOrderAndEveryField)
{
    KTGAnnotationList list;
    list.Add(TextAnnotation());
    list.Add(EquationAnnotation());
    list.Add(BoundAnnotation());
    list.SetSelected(1, true);
    list.m_bEditExpanded = 1;
    const Bytes bytes = Stored(list);

    KTGAnnotationList loaded;
    loaded.m_bEditExpanded = 0;
    EXPECT_EQ(Load(loaded, bytes), 0u);
    ASSERT_EQ(loaded.GetCount(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Fields(loaded.GetAt(i)), Fields(list.GetAt(i))) << i;
        EXPECT_EQ(loaded.GetAt(i).m_selected, 0) << "loaded annotations are never selected";
    }
    EXPECT_EQ(loaded.GetAt(0).m_text.LineText(1), "\"x\" = 2");
    EXPECT_EQ(loaded.GetAt(1).m_text.LineValue(0), 1);
    EXPECT_EQ(loaded.GetAt(2).m_bindingText, "tangent");
    EXPECT_EQ(loaded.GetAt(2).GetGraphPoint(), KTPoint(2, 1));
    // Stored again, the loaded list gives the same bytes.
    EXPECT_EQ(Stored(loaded), bytes);
}

TEST(KTGAnnotationArchive, DamagedInputIsALoadErrorAndLeavesTheListAsItWas)
{
    KTGAnnotationList source;
    source.Add(TextAnnotation());
    source.Add(BoundAnnotation());
    const Bytes good = Stored(source);

    struct Case
    {
        const char* name;
        Bytes bytes;
        bool tagError; ///< KTExceptionBase, else KTArchiveException
    };
    Bytes wrongListTag = good;
    wrongListTag[1] = 'X';
    Bytes oldVersion = good;
    oldVersion[1 + 17] = 0; // version 0
    Bytes wrongTipTag = good;
    const std::size_t tip = 1 + 17 + 2 + 4 + 1 + 13 + 2; // list header, annotation header
    ASSERT_EQ(wrongTipTag[tip + 1], 'K');
    wrongTipTag[tip + 2] = 'X';
    Bytes wrongAnnotationEnd = good;
    KTGAnnotation first = TextAnnotation();
    const std::size_t firstEnd = 1 + 17 + 2 + 4 + Stored(first).size() - 15;
    ASSERT_EQ(wrongAnnotationEnd[firstEnd], '/');
    wrongAnnotationEnd[firstEnd + 1] = 'x';
    Bytes hugeCount = good;
    hugeCount[1 + 17 + 2] = 0xFF;
    hugeCount[1 + 17 + 2 + 1] = 0xFF;
    Bytes truncated(good.begin(), good.end() - 30);
    Bytes wrongListEnd = good;
    wrongListEnd[wrongListEnd.size() - 3] = 'x';

    const Case cases[] = {
        {"wrong list tag", wrongListTag, true},
        {"version 0", oldVersion, true},
        {"wrong tip tag", wrongTipTag, true},
        {"wrong annotation end tag", wrongAnnotationEnd, true},
        {"wrong list end tag", wrongListEnd, true},
        {"count beyond the data", hugeCount, false},
        {"truncated", truncated, false},
    };
    for (const Case& c : cases) {
        KTGAnnotationList list;
        list.Add(EquationAnnotation());
        const Bytes before = Stored(list);
        if (c.tagError)
            EXPECT_THROW(Load(list, c.bytes), KTExceptionBase) << c.name;
        else
            EXPECT_THROW(Load(list, c.bytes), KTArchiveException) << c.name;
        EXPECT_EQ(Stored(list), before) << c.name;
    }
}

// ---- hit testing and moving ------------------------------------------------------------------------

TEST(KTGAnnotationHitTest, TextBoxExcludesRightAndBottomEdgesInEitherCornerOrder)
{
    struct Case
    {
        CRect rect;
        CPoint point;
        bool hit;
    };
    const Case cases[] = {
        {CRect(0, 0, 100, 50), CPoint(0, 0), true},
        {CRect(0, 0, 100, 50), CPoint(99, 49), true},
        {CRect(0, 0, 100, 50), CPoint(100, 10), false}, // right edge
        {CRect(0, 0, 100, 50), CPoint(10, 50), false},  // bottom edge
        {CRect(0, 0, 100, 50), CPoint(-1, 10), false},
        // Stored as the drawing leaves it in the metric mapping: top above bottom.
        {CRect(1000, -1000, 3000, -2000), CPoint(1500, -1500), true},
        {CRect(1000, -1000, 3000, -2000), CPoint(1000, -2000), true},
        {CRect(1000, -1000, 3000, -2000), CPoint(1500, -1000), false},
        {CRect(3000, -2000, 1000, -1000), CPoint(2999, -1001), true},
        {CRect(3000, -2000, 1000, -1000), CPoint(3000, -1500), false},
    };
    for (const Case& c : cases) {
        KTGAnnotation a;
        a.m_textRect = c.rect;
        a.m_textPosition = KTPoint(1, 1);
        EXPECT_EQ(a.HitTestText(c.point.x, c.point.y, KTPoint(3, 0.5)), c.hit)
            << c.point.x << "," << c.point.y;
        // Recorded whether or not it hits.
        EXPECT_EQ(a.m_grabOffset, CSize(c.point.x - c.rect.left, c.point.y - c.rect.top));
        EXPECT_EQ(a.m_grabVector, KTVector(2, -0.5));
    }
}

TEST(KTGAnnotationHitTest, AnchorWithin200UnitsHits)
{
    struct Case
    {
        int dx, dy;
        bool hit;
    };
    const Case cases[] = {{0, 0, true},     {199, 0, true},   {200, 0, false},  {0, -199, true},
                          {0, -200, false}, {141, 141, true}, {142, 142, false}};
    for (const Case& c : cases) {
        KTGAnnotation a;
        a.m_anchor = CPoint(500, -700);
        EXPECT_EQ(a.HitTestAnchor(500 + c.dx, -700 + c.dy, KTGAnnotationList::kAnchorHitLimit), c.hit)
            << c.dx << "," << c.dy;
        EXPECT_EQ(a.m_grabOffset, CSize(c.dx, c.dy));
    }
    // Far apart coordinates neither overflow nor hit.
    KTGAnnotation far;
    far.m_anchor = CPoint(-2000000000, -2000000000);
    EXPECT_FALSE(far.HitTestAnchor(2000000000, 2000000000, KTGAnnotationList::kAnchorHitLimit));
}

TEST(KTGAnnotationList, HitTestsPickTheAnnotationDrawnLast)
{
    KTGAnnotationList list;
    KTGAnnotation lower;
    lower.m_textRect = CRect(0, 0, 1000, 1000);
    lower.m_anchor = CPoint(2000, 2000);
    KTGAnnotation upper = lower;
    upper.m_textRect = CRect(500, 500, 1500, 1500);
    upper.m_anchor = CPoint(2100, 2000);
    EXPECT_EQ(list.Add(lower), 0);
    EXPECT_EQ(list.Add(upper), 1);

    EXPECT_EQ(list.HitTestText(700, 700, KTPoint()), 1);
    EXPECT_EQ(list.HitTestText(100, 100, KTPoint()), 0);
    EXPECT_EQ(list.HitTestText(1600, 1600, KTPoint()), -1);
    EXPECT_EQ(list.HitTestAnchor(2050, 2000), 1);
    EXPECT_EQ(list.HitTestAnchor(1850, 2000), 0);
    EXPECT_EQ(list.HitTestAnchor(5000, 5000), -1);

    list.RemoveAt(-1);
    EXPECT_EQ(list.GetCount(), 2);
    list.RemoveAt(1);
    EXPECT_EQ(list.HitTestText(700, 700, KTPoint()), 0);
}

TEST(KTGAnnotationList, IndicesOutsideTheListThrow)
{
    KTGAnnotationList list;
    list.Add(TextAnnotation());
    EXPECT_THROW(list.MoveText(1, 0, 0, KTPoint()), std::out_of_range);
    EXPECT_THROW(list.MoveAnchor(-1, 0, 0), std::out_of_range);
    EXPECT_THROW(list.SetSelected(2, true), std::out_of_range);
    EXPECT_THROW(list.RemoveAt(1), std::out_of_range);
    EXPECT_THROW(list.RemoveAt(-2), std::out_of_range);
    EXPECT_EQ(list.GetCount(), 1);
}

TEST(KTGAnnotationList, MovingTheAnchorHonoursTheLock)
{
    KTGAnnotationList list;
    KTGAnnotation free = TextAnnotation();   // anchor (500, -500)
    KTGAnnotation bound = BoundAnnotation(); // anchor (8000, -5000), locked
    list.Add(free);
    list.Add(bound);

    ASSERT_EQ(list.HitTestAnchor(530, -480), 0);
    list.MoveAnchor(0, 1530, -1480);
    EXPECT_EQ(list.GetAt(0).m_anchor, CPoint(1500, -1500));
    EXPECT_EQ(list.GetAt(0).m_anchorPosition, free.m_anchorPosition) << "graph position unchanged";

    ASSERT_EQ(list.HitTestAnchor(8010, -5000), 1);
    list.MoveAnchor(1, 9000, -6000);
    EXPECT_EQ(list.GetAt(1).m_anchor, CPoint(8000, -5000));
}

TEST(KTGAnnotationList, MovingTheBoxByADeviceOffsetFollowsTheAxesMapping)
{
    // A graph of -10..10 on both axes in hundredths of a millimetre, y upwards.
    KTDC dc(96, 96, CSize(800, 600));
    dc.SetMapMode(MM_HIMETRIC);
    KTAxes axes;
    KTOptionAxes2 options;
    axes.Layout(0, 0, 13450, -11000, 0, 0, 0, 0, options, dc);

    const CPoint cornerDevice = axes.GraphToDevice(KTPoint(-4, 6), 0, 0);
    const KTPoint corner = axes.DeviceToGraph(cornerDevice, 0);
    KTGAnnotation a;
    a.m_textPosition = corner;
    a.m_textRect = CRect(cornerDevice.x, cornerDevice.y, cornerDevice.x + 2000, cornerDevice.y - 800);
    KTGAnnotationList list;
    list.Add(a);

    // Grab inside the box, drag by (1500, -900) device units.
    const CPoint grab(cornerDevice.x + 300, cornerDevice.y - 200);
    ASSERT_EQ(list.HitTestText(grab.x, grab.y, axes.DeviceToGraph(grab, 0)), 0);
    const CPoint drop(grab.x + 1500, grab.y - 900);
    list.MoveText(0, drop.x, drop.y, axes.DeviceToGraph(drop, 0));

    const KTGAnnotation& moved = list.GetAt(0);
    EXPECT_EQ(moved.m_textRect, CRect(cornerDevice.x + 1500, cornerDevice.y - 900, cornerDevice.x + 3500,
                                      cornerDevice.y - 1700));
    // The text position is the moved corner in graph coordinates, as the mapping gives it back.
    const KTPoint expected = axes.DeviceToGraph(moved.m_textRect.TopLeft(), 0);
    EXPECT_NEAR(moved.m_textPosition.m_x, expected.m_x, 1e-9);
    EXPECT_NEAR(moved.m_textPosition.m_y, expected.m_y, 1e-9);
    // And it maps back onto the moved corner within the rounding of one unit.
    const CPoint back = axes.GraphToDevice(moved.m_textPosition, 0, 0);
    EXPECT_LE(std::abs(back.x - moved.m_textRect.left), 1);
    EXPECT_LE(std::abs(back.y - moved.m_textRect.top), 1);

    // Dragging back returns box and position to where they were.
    ASSERT_EQ(list.HitTestText(drop.x, drop.y, axes.DeviceToGraph(drop, 0)), 0);
    list.MoveText(0, grab.x, grab.y, axes.DeviceToGraph(grab, 0));
    EXPECT_EQ(list.GetAt(0).m_textRect, a.m_textRect);
    EXPECT_NEAR(list.GetAt(0).m_textPosition.m_x, corner.m_x, 1e-9);
    EXPECT_NEAR(list.GetAt(0).m_textPosition.m_y, corner.m_y, 1e-9);
}

// ---- anchor line ---------------------------------------------------------------------------------

TEST(KTGAnnotationLayout, AnchorLineStartByCornerAndSide)
{
    // Box L 1000, T 0, R 3000, B -1000; gap g 100, corner offset c 200.
    struct Case
    {
        const char* name;
        CPoint anchor;
        CPoint start;
    };
    const Case cases[] = {
        // Top-left corner (h -1, v +1).
        {"left, at least c below the top", CPoint(500, -300), CPoint(900, -200)},
        {"left, exactly c below the top", CPoint(500, -200), CPoint(900, -200)},
        {"left, within c below the top", CPoint(500, -150), CPoint(900, -150)},
        {"on the corner", CPoint(1000, 0), CPoint(900, 0)},
        {"left and above: along the diagonal", CPoint(700, 400), CPoint(940, 80)},
        {"above, within c right of L", CPoint(1150, 500), CPoint(1150, 100)},
        {"above, at least c right of L", CPoint(1300, 500), CPoint(1200, 100)},
        // Bottom-left corner (h -1, v -1).
        {"left, near the bottom", CPoint(500, -900), CPoint(900, -900)},
        {"below, far right of L", CPoint(1800, -1500), CPoint(1200, -1100)},
        // Top-right corner (h +1, v +1).
        {"right of the box", CPoint(3500, -250), CPoint(3100, -200)},
        {"right, level with the top", CPoint(3500, 0), CPoint(3100, 0)},
        {"right and above: diagonal", CPoint(3300, 400), CPoint(3060, 80)},
        {"above, within c left of R", CPoint(2900, 500), CPoint(2900, 100)},
        // Bottom-right corner (h +1, v -1).
        {"below, within c left of R", CPoint(2850, -1400), CPoint(2850, -1100)},
        {"right and below: diagonal", CPoint(3000, -1500), CPoint(3000, -1100)},
    };
    for (const Case& c : cases) {
        KTGAnnotation a;
        a.m_textRect = CRect(1000, 0, 3000, -1000);
        a.m_anchorGap = 100;
        a.m_cornerOffset = 200;
        a.m_anchor = c.anchor;
        a.m_lineStart = CPoint(-1, -1);
        a.LayoutAnchorLine();
        EXPECT_EQ(a.m_lineStart, c.start) << c.name;
    }
}

TEST(KTGAnnotationLayout, EquidistantCornersPreferTheEarlierAndInsideKeepsThePreviousStart)
{
    KTGAnnotation a;
    a.m_textRect = CRect(1000, 0, 3000, -1000);
    a.m_anchorGap = 100;
    a.m_cornerOffset = 200;
    // Equally far from top-left and bottom-left: the top-left corner, anchor c or more below.
    a.m_anchor = CPoint(500, -500);
    a.LayoutAnchorLine();
    EXPECT_EQ(a.m_lineStart, CPoint(900, -200));

    // Inside the box, more than c from the corner's vertical side: the start stays.
    a.m_anchor = CPoint(1500, -300);
    a.m_lineStart = CPoint(77, 88);
    a.LayoutAnchorLine();
    EXPECT_EQ(a.m_lineStart, CPoint(77, 88));

    // With no corner offset an anchor on the box's first corner also meets the last rule,
    // which is applied after the others: the line leaves the top side upwards.
    a.m_cornerOffset = 0;
    a.m_anchor = CPoint(1000, 0);
    a.LayoutAnchorLine();
    EXPECT_EQ(a.m_lineStart, CPoint(1000, 100));
}

TEST(KTGAnnotationArchive, MutatedArchivesLoadOrFailCleanlyAndWhatLoadsCanBeDrawn)
{
    KTGAnnotationList source;
    source.Add(TextAnnotation());
    source.Add(EquationAnnotation());
    source.Add(BoundAnnotation());
    const Bytes good = Stored(source);
    const KTVariableSubstitutions none;
    std::uint32_t seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    int loadedCount = 0;
    for (int round = 0; round < 400; ++round) {
        Bytes bytes = good;
        const int flips = 1 + static_cast<int>(next() % 4);
        for (int i = 0; i < flips; ++i)
            bytes[next() % bytes.size()] = static_cast<std::uint8_t>(next());
        if (next() % 5 == 0)
            bytes.resize(next() % bytes.size());
        KTGAnnotationList list;
        try {
            KTArchive ar(bytes);
            list.Serialize(ar);
        } catch (const KTExceptionBase&) {
            continue;
        } catch (const KTArchiveException&) {
            continue;
        }
        ++loadedCount;
        KTDC dc(96, 96, CSize(800, 600));
        dc.SetMapMode(MM_HIMETRIC);
        dc.SetRecording(true);
        list.Draw(dc, none);
        for (int i = 0; i < list.GetCount(); ++i) {
            list.HitTestText(0, 0, KTPoint());
            list.HitTestAnchor(0, 0);
            list.MoveAnchor(i, 100, -100);
            list.MoveText(i, -100, 100, KTPoint());
        }
    }
    EXPECT_GT(loadedCount, 0);
}
