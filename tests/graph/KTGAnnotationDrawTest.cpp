#include "graph/KTGAnnotation.h"
#include "graph/KTGAnnotationList.h"
#include "graph/KTOptionsAnnotation.h"

#include "foundation/KTFontSelector.h"
#include "foundation/KTSentinelValues.h"
#include "foundation/KTVariableSubstitutions.h"
#include "graph/KTDerivativeCalculation.h"
#include "graph/KTDerivativeFunction.h"
#include "platform/KTDC.h"
#include "typeset/KTEEquation.h"
#include "typeset/KTEOptions.h"

#include "KTGraphCalculationSupport.h"
#include "support/KTRecordingDC.h"
#include "support/KTTestSupport.h"

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

using PointDecimals = kttest::LocaleScope;

using kttest::RecordingDC;

/// Width and height of a plain line in the annotation's font on the context.
CSize PlainSize(KTDC& dc, const KTLogFont& font, const CString& text)
{
    KTFontSelector selector(font, 1.0);
    selector.Select(dc, true);
    const CSize size = dc.GetTextExtent(text);
    selector.Restore(dc);
    return CSize(size.cx, std::abs(size.cy));
}

KTEOptions Options(int preset, const KTLogFont& font)
{
    KTEOptions options(preset);
    options.m_font.SetValue(font);
    options.m_bParseQuotes = 1;
    return options;
}

/// The extent an equation line is measured with (graphing preset).
KTEExtent EquationExtent(KTDC& dc, const KTLogFont& font, const CString& text,
                         const KTVariableSubstitutions& substitutions)
{
    const KTEOptions options = Options(KTEPresetGraphing, font);
    KTFontSelector selector(font, 1.0);
    selector.Select(dc, true);
    KTEEquation equation;
    equation.SetText(text, options);
    equation.SubstituteVariables(substitutions);
    const KTEExtent extent = equation.GetExtent(&dc, options);
    selector.Restore(dc);
    return extent;
}

std::vector<KTDCRecord> OfKind(const std::vector<KTDCRecord>& records, KTDCRecordKind kind)
{
    std::vector<KTDCRecord> out;
    std::copy_if(records.begin(), records.end(), std::back_inserter(out),
                 [kind](const KTDCRecord& r) { return r.kind == kind; });
    return out;
}

std::size_t IndexOfFirst(const std::vector<KTDCRecord>& records, KTDCRecordKind kind)
{
    for (std::size_t i = 0; i < records.size(); ++i)
        if (records[i].kind == kind)
            return i;
    return records.size();
}

KTGAnnotation PlainAnnotation(int justify)
{
    KTGAnnotation a;
    a.m_text.AddText("First line");
    a.m_text.AddText("Second, longer line");
    a.m_justify = justify;
    a.m_textRect = CRect(1001, -1000, 0, 0);
    return a;
}

} // namespace

TEST(KTGAnnotationDraw, PlainLinesBoxAndJustification)
{
    struct Case
    {
        int justify;
        unsigned align;
    };
    const Case cases[] = {{KTJustifyLeft, TA_LEFT}, {KTJustifyCentre, TA_CENTER}, {KTJustifyRight, TA_RIGHT}};
    const KTVariableSubstitutions none;
    for (const Case& c : cases) {
        RecordingDC r;
        KTGAnnotation a = PlainAnnotation(c.justify);
        const CSize first = PlainSize(r.dc, a.m_font, "First line");
        const CSize second = PlainSize(r.dc, a.m_font, "Second, longer line");
        r.dc.ClearRecords();
        a.Draw(r.dc, none);

        const int bg = a.m_borderGap;
        const int width = std::max(first.cx, second.cx);
        const CRect box(1001, -1000, 1001 + width + 2 * bg, -1000 - (first.cy + second.cy + 2 * bg));
        EXPECT_EQ(a.m_textRect, box) << c.justify;
        EXPECT_EQ(a.m_text.GetHotRect(), box);
        EXPECT_EQ(a.m_yDirection, -1.0);

        const std::vector<KTDCRecord>& records = r.dc.GetRecords();
        ASSERT_EQ(records.size(), 3u) << "no anchor: the box, then the two lines";
        EXPECT_EQ(records[0].kind, KTDCRecordKind::Rectangle);
        EXPECT_EQ(records[0].points, (std::vector<CPoint>{box.TopLeft(), box.BottomRight()}));
        EXPECT_EQ(records[0].brush.GetColor(), 0xFFFFFFu);

        const int x = c.justify == KTJustifyLeft     ? box.left + bg
                      : c.justify == KTJustifyCentre ? (box.left + box.right) / 2
                                                     : box.right - bg;
        ASSERT_EQ(records[1].kind, KTDCRecordKind::Text);
        ASSERT_EQ(records[2].kind, KTDCRecordKind::Text);
        EXPECT_EQ(records[1].text, "First line");
        EXPECT_EQ(records[2].text, "Second, longer line");
        EXPECT_EQ(records[1].points[0], CPoint(x, box.top - bg));
        EXPECT_EQ(records[2].points[0], CPoint(x, box.top - (first.cy + bg)));
        EXPECT_EQ(records[1].textAlign, c.align | TA_TOP);
        EXPECT_EQ(records[2].textAlign, c.align | TA_TOP);
        EXPECT_EQ(records[1].textOptions, 0u);
        EXPECT_EQ(CString(records[1].font.GetLogFont().lfFaceName), a.m_font.GetFaceName());
    }
}

TEST(KTGAnnotationDraw, BoxWithoutLinesIsTwiceTheBorderGapAndOtherMarksTakeNoSpace)
{
    const KTVariableSubstitutions none;
    RecordingDC r;
    KTGAnnotation empty;
    empty.m_textRect = CRect(500, 700, 9999, 9999);
    empty.Draw(r.dc, none);
    EXPECT_EQ(empty.m_textRect, CRect(500, 700, 800, 400));

    KTGAnnotation odd;
    odd.m_textRect = CRect(500, 700, 0, 0);
    odd.m_text.AddLine("ignored", 5);
    r.dc.ClearRecords();
    odd.Draw(r.dc, none);
    EXPECT_EQ(odd.m_textRect, CRect(500, 700, 800, 400));
    EXPECT_TRUE(OfKind(r.dc.GetRecords(), KTDCRecordKind::Text).empty());
}

TEST(KTGAnnotationDraw, EquationLineIsDrawnBottomAlignedUnderTheGeneralPreset)
{
    const PointDecimals decimals;
    const KTVariableSubstitutions none;
    RecordingDC r;
    KTGAnnotation a;
    a.m_text.AddText("Top");
    a.m_text.AddMarkedText("y=x^2/4");
    a.m_textRect = CRect(2000, -500, 0, 0);
    const CSize top = PlainSize(r.dc, a.m_font, "Top");
    const KTEExtent measured = EquationExtent(r.dc, a.m_font, "y=x^2/4", none);
    r.dc.ClearRecords();
    a.Draw(r.dc, none);
    const int bg = a.m_borderGap;
    EXPECT_EQ(a.m_textRect.right, 2000 + std::max(top.cx, measured.width) + 2 * bg);
    EXPECT_EQ(a.m_textRect.bottom, -500 - (top.cy + std::abs(measured.height) + 2 * bg));
    std::vector<KTDCRecord> drawn = r.dc.GetRecords();
    ASSERT_GE(drawn.size(), 3u);
    ASSERT_EQ(drawn[0].kind, KTDCRecordKind::Rectangle);
    ASSERT_EQ(drawn[1].kind, KTDCRecordKind::Text);
    EXPECT_EQ(drawn[1].text, "Top");

    // The equation's records are those of the same equation drawn on its own at the line's
    // place, under the general preset, bottom-left aligned.
    RecordingDC alone;
    KTFontSelector selector(a.m_font, 1.0);
    selector.Select(alone.dc, true);
    alone.dc.SetTextAlign(TA_LEFT | TA_BOTTOM);
    alone.dc.SetBkMode(TRANSPARENT);
    const KTEOptions options = Options(KTEPresetGeneral, a.m_font);
    KTEEquation equation;
    equation.SetText("y=x^2/4", options);
    equation.SubstituteVariables(none);
    alone.dc.ClearRecords();
    equation.Draw(&alone.dc, 2000 + bg, -500 - (std::abs(measured.height) + bg + top.cy), options);
    const std::vector<KTDCRecord>& expected = alone.dc.GetRecords();
    ASSERT_FALSE(expected.empty());
    ASSERT_EQ(drawn.size(), 2 + expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(drawn[2 + i].kind, expected[i].kind) << i;
        EXPECT_EQ(drawn[2 + i].points, expected[i].points) << i;
        EXPECT_EQ(drawn[2 + i].text, expected[i].text) << i;
    }
}

TEST(KTGAnnotationDraw, EquationLinesShowTheSubstitutedValues)
{
    const PointDecimals decimals;
    KTVariableSubstitutions values;
    values.Add("a", 7);
    RecordingDC r;
    KTGAnnotation a;
    a.m_text.AddMarkedText("y=a*x");
    a.Draw(r.dc, values);
    CString shown;
    for (const KTDCRecord& record : OfKind(r.dc.GetRecords(), KTDCRecordKind::Text))
        shown += record.text;
    EXPECT_GE(shown.Find("7"), 0) << shown;
    EXPECT_LT(shown.Find("a"), 0) << shown;
}

TEST(KTGAnnotationDraw, AnchorKindsDrawLineThenHeadOrPointBeforeTheBox)
{
    const KTVariableSubstitutions none;
    struct Case
    {
        int type;
        std::size_t lines;
        bool polygon;
        bool ellipse;
    };
    const Case cases[] = {{KTAnchorNone, 0, false, false},
                          {KTAnchorArrow, 1, true, false},
                          {KTAnchorPoint, 1, false, true},
                          {KTAnchorLine, 1, false, false}};
    for (const Case& c : cases) {
        RecordingDC r;
        KTGAnnotation a;
        a.m_text.AddText("Box");
        a.m_textRect = CRect(3000, -1000, 0, 0);
        a.m_anchor = CPoint(1000, -3000);
        a.m_anchorType = c.type;
        a.m_anchorPen = KTLogPen(KTPenKindGeometric, 0x10006, RGB(200, 0, 0), 17.6388877);
        a.Draw(r.dc, none);
        const std::vector<KTDCRecord>& records = r.dc.GetRecords();
        const std::size_t box = IndexOfFirst(records, KTDCRecordKind::Rectangle);
        ASSERT_LT(box, records.size());
        const std::vector<KTDCRecord> before(records.begin(), records.begin() + static_cast<long>(box));

        const std::vector<KTDCRecord> lines = OfKind(before, KTDCRecordKind::Line);
        ASSERT_EQ(lines.size(), c.lines) << c.type;
        if (c.lines) {
            // Bottom-left corner is nearest; the anchor lies left of and far below it: the
            // diagonal, anchor gap 200 from the corner toward the anchor.
            EXPECT_EQ(lines[0].points[1], a.m_anchor);
            EXPECT_EQ(lines[0].points[0], a.m_lineStart);
            EXPECT_EQ(lines[0].pen.GetColor(), RGB(200, 0, 0));
            const double dx = lines[0].points[0].x - a.m_textRect.left;
            const double dy = lines[0].points[0].y - a.m_textRect.bottom;
            EXPECT_NEAR(std::hypot(dx, dy), 200.0, 1.5);
        }
        EXPECT_EQ(!OfKind(before, KTDCRecordKind::Polygon).empty(), c.polygon) << c.type;
        const std::vector<KTDCRecord> ellipses = OfKind(before, KTDCRecordKind::Ellipse);
        EXPECT_EQ(!ellipses.empty(), c.ellipse) << c.type;
        if (c.ellipse) {
            EXPECT_EQ(ellipses[0].brush.GetColor(), RGB(200, 0, 0));
            const CPoint centre((ellipses[0].points[0].x + ellipses[0].points[1].x) / 2,
                                (ellipses[0].points[0].y + ellipses[0].points[1].y) / 2);
            EXPECT_LE(std::abs(centre.x - 1000), 30);
            EXPECT_LE(std::abs(centre.y + 3000), 30);
        }
        if (c.polygon) {
            EXPECT_EQ(OfKind(before, KTDCRecordKind::Polygon)[0].brush.GetColor(), RGB(200, 0, 0));
        }
    }
}

TEST(KTGAnnotationDraw, SelectedBorderIsHeavierOnScreenOnly)
{
    const KTVariableSubstitutions none;
    struct Case
    {
        bool selected;
        bool printing;
        double width; ///< hundredths of a millimetre
    };
    const Case cases[] = {{false, false, 8.819443875}, {true, false, 70.555551}, {true, true, 8.819443875}};
    for (const Case& c : cases) {
        RecordingDC r;
        r.dc.SetPrinting(c.printing);
        KTGAnnotation a;
        a.m_selected = c.selected ? 1 : 0;
        a.Draw(r.dc, none);
        const std::vector<KTDCRecord> boxes = OfKind(r.dc.GetRecords(), KTDCRecordKind::Rectangle);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_NEAR(boxes[0].pen.GetWidth(), c.width, 1.0) << c.selected << c.printing;
    }
}

TEST(KTGAnnotationDraw, BoxIsRecomputedAtEveryDrawing)
{
    const KTVariableSubstitutions none;
    RecordingDC r;
    KTGAnnotation a;
    a.m_text.AddText("Grows with its font");
    a.Draw(r.dc, none);
    const CRect small = a.m_textRect;
    a.m_font.m_size *= 2;
    a.Draw(r.dc, none);
    EXPECT_GT(a.m_textRect.Width(), small.Width());
    EXPECT_LT(a.m_textRect.bottom, small.bottom);
    EXPECT_EQ(a.m_textRect.TopLeft(), small.TopLeft());
}

TEST(KTGAnnotationDraw, ListDrawsInOrderSoTheLastIsOnTop)
{
    const KTVariableSubstitutions none;
    RecordingDC r;
    KTGAnnotationList list;
    KTGAnnotation a;
    a.m_text.AddText("under");
    list.Add(a);
    a.m_text = KTTipInfo();
    a.m_text.AddText("over");
    list.Add(a);
    list.Draw(r.dc, none);
    std::vector<CString> order;
    for (const KTDCRecord& record : r.dc.GetRecords())
        if (record.kind == KTDCRecordKind::Text || record.kind == KTDCRecordKind::Rectangle)
            order.push_back(record.kind == KTDCRecordKind::Text ? record.text : CString("[box]"));
    EXPECT_EQ(order, (std::vector<CString>{"[box]", "under", "[box]", "over"}));
}

TEST(KTGAnnotationDraw, ExtremeSizesAndCoordinatesFromAFileDrawWithoutOverflow)
{
    const KTVariableSubstitutions none;
    const std::int32_t extremes[] = {2147483647, -2147483647, -1, 0};
    for (const std::int32_t v : extremes) {
        for (int type = 0; type <= 4; ++type) {
            KTGAnnotation a;
            a.m_text.AddText("x");
            a.m_text.AddMarkedText("y=2");
            a.m_anchorType = type;
            a.m_justify = type;
            const std::int32_t size = v < 0 ? INT32_MIN : v;
            a.m_anchorGap = a.m_cornerOffset = a.m_borderGap = a.m_arrowSize = a.m_pointSize = size;
            a.m_textRect = CRect(v, v, -v / 2, v / 3);
            a.m_anchor = CPoint(-v / 2, v);
            a.m_selected = 1;
            a.m_borderPen.m_width = 1e300;
            RecordingDC r;
            a.Draw(r.dc, none);
            a.HitTestText(-v, v, KTPoint());
            a.MoveText(v, -v, KTPoint());
            a.HitTestAnchor(-v, -v, KTGAnnotationList::kAnchorHitLimit);
            a.Draw(r.dc, none);
            // Whatever the file held, nothing reaches the device beyond the clamp of 2^28.
            for (const KTDCRecord& record : r.dc.GetRecords())
                for (const CPoint& p : record.points) {
                    EXPECT_LE(std::abs(std::int64_t{p.x}), std::int64_t{1} << 29) << v << " type " << type;
                    EXPECT_LE(std::abs(std::int64_t{p.y}), std::int64_t{1} << 29) << v << " type " << type;
                }
        }
    }
}

// ---- a graph with its annotations ------------------------------------------------------------------

namespace {

/// An annotation whose box's first corner stands at a graph point.
KTGAnnotation PlacedAt(kttest::CalculationGraph& graph, const KTPoint& corner)
{
    KTGAnnotation a(KTOptionsAnnotation{});
    a.m_textPosition = corner;
    const CPoint device = graph.Axes().GraphToDevice(corner, 0, 0);
    a.m_textRect = CRect(device.x, device.y, device.x, device.y);
    return a;
}

} // namespace

// Given an area, a box that would reach past it is moved in, keeping its size; a box larger than
// the area keeps its first corner (its first lines) in it. The anchor line leaves the box where
// it is shown, and the hit test finds it there.
TEST(KTGAnnotationDraw, BoxIsKeptInsideTheAreaGiven)
{
    const KTVariableSubstitutions none;
    const CRect area(0, -8000, 12000, 0); // y upwards: top 0, bottom -8000
    const struct
    {
        CPoint corner; // first corner as placed (y upwards)
        int dx;        // where the box is shown, relative to its size w x h: -1 flush left,
        int dy;        //   +1 flush right (or top), 0 as placed
    } rows[] = {
        {{1000, -1000}, 0, 0},  {{11500, -1000}, 1, 0}, {{-3000, -1000}, -1, 0},  {{1000, 900}, 0, 1},
        {{1000, -7900}, 0, -1}, {{20000, 5000}, 1, 1},  {{-9000, -9000}, -1, -1},
    };
    for (const auto& row : rows) {
        RecordingDC r;
        KTGAnnotation a = PlainAnnotation(KTJustifyLeft);
        a.m_textRect = CRect(row.corner.x, row.corner.y, row.corner.x, row.corner.y);
        a.m_anchorType = KTAnchorLine;
        a.m_anchor = CPoint(6000, -4000);
        a.Draw(r.dc, none, &area);
        const int w = a.m_textRect.Width();
        const int h = a.m_textRect.top - a.m_textRect.bottom;
        ASSERT_GT(w, 0);
        ASSERT_GT(h, 0);
        const int left = row.dx < 0 ? area.left : row.dx > 0 ? area.right - w : row.corner.x;
        const int top = row.dy > 0 ? area.bottom : row.dy < 0 ? area.top + h : row.corner.y;
        EXPECT_EQ(a.m_textRect, CRect(left, top, left + w, top - h)) << row.corner.x << "," << row.corner.y;
        // The box drawn is the one kept, and the line starts at it.
        const std::vector<KTDCRecord> boxes = OfKind(r.dc.GetRecords(), KTDCRecordKind::Rectangle);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].points, (std::vector<CPoint>{CPoint(left, top), CPoint(left + w, top - h)}));
        EXPECT_GE(a.m_lineStart.x, left - a.m_anchorGap);
        EXPECT_LE(a.m_lineStart.x, left + w + a.m_anchorGap);
        EXPECT_TRUE(a.HitTestText(left + 10, top - 10, KTPoint()));
    }

    // Taller and wider than the area: its first corner is kept at the area's top left.
    RecordingDC r;
    KTGAnnotation big = PlainAnnotation(KTJustifyLeft);
    big.m_textRect = CRect(5000, -5000, 5000, -5000);
    const CRect small(0, -300, 400, 0);
    big.Draw(r.dc, none, &small);
    EXPECT_EQ(big.m_textRect.left, 0);
    EXPECT_EQ(big.m_textRect.top, 0);

    // Hidden (its point out of view): nothing is drawn, and neither hit test finds it.
    RecordingDC hiddenDC;
    KTGAnnotation hidden = PlainAnnotation(KTJustifyLeft);
    hidden.m_anchorType = KTAnchorArrow;
    hidden.m_anchor = CPoint(2000, -2000);
    hidden.m_hidden = 1;
    hidden.Draw(hiddenDC.dc, none, &area);
    EXPECT_TRUE(hiddenDC.dc.GetRecords().empty());
    EXPECT_FALSE(hidden.HitTestText(500, -500, KTPoint()));
    EXPECT_FALSE(hidden.HitTestAnchor(2000, -2000, 40000.0));
    hidden.m_hidden = 0;
    EXPECT_TRUE(hidden.HitTestAnchor(2000, -2000, 40000.0));
}

TEST(KTGAnnotationPicture, GraphWithFreeEquationAndTangentAnnotations)
{
    const kttest::EnglishNumbers numbers;
    QImage image = kttest::WhiteImage(1060, 867, 7874);
    KTGAnnotationList list;
    const KTVariableSubstitutions none;
    {
        KTDC dc(&image);
        dc.SetMapMode(MM_HIMETRIC);
        kttest::CalculationGraph graph;
        graph.LayOutPicture(dc);
        ASSERT_TRUE(graph.SetFunction(0, "y=x^2/2-1"));

        // The curve, sampled through the function's evaluation.
        const std::vector<CPoint> curve = graph.CurvePoints();
        graph.Axes().Draw(dc);
        kttest::DrawCurve(dc, curve);

        // The tangent at x = 1.
        KTDerivativeFunction tangent;
        tangent.m_function = 0;
        tangent.m_xText = "1";
        tangent.m_pen = KTLogPen(KTPenKindGeometric, 0x10006, RGB(255, 0, 0), 35.2777755);
        tangent.m_axes = &graph.Axes();
        KTDerivativeCalculation::Calculate(tangent, graph.Data(), nullptr);
        ASSERT_TRUE(tangent.m_valid);
        KTDerivativeCalculation::Draw(tangent, dc);

        // A free text annotation.
        KTGAnnotation free = PlacedAt(graph, KTPoint(-4.6, 4.6));
        free.m_text.AddText("Free annotation");
        free.m_text.AddText("\"quoted\" and plain");
        free.m_boxBrush = KTLogBrush(KTBrushKindNumber, 1, RGB(255, 250, 205));
        list.Add(free);

        // An equation with an arrow to the curve at x = -2.
        KTGAnnotation equation = PlacedAt(graph, KTPoint(-4.2, -1.5));
        equation.m_text.AddMarkedText("y=x^2/2-1");
        equation.m_anchorType = KTAnchorArrow;
        equation.m_anchorPen = KTLogPen(KTPenKindGeometric, 0x10006, RGB(0, 128, 0), 17.6388877);
        equation.m_anchorPosition = KTPoint(-2, 1);
        equation.m_anchor = graph.Axes().GraphToDevice(equation.m_anchorPosition, 0, 0);
        equation.m_lineStart = equation.m_anchor;
        equation.m_boxBrush = KTLogBrush(KTBrushKindNumber, 1, RGB(224, 255, 224));
        list.Add(equation);

        // Bound to the tangent: the anchor at the point of tangency, locked, the tangent's texts.
        KTGAnnotation bound = PlacedAt(graph, KTPoint(1.3, -2.2));
        bound.m_text.AddText(tangent.m_label);
        bound.m_text.AddMarkedText(tangent.m_lineText);
        bound.m_bound = 1;
        bound.m_boundCode = 3;
        bound.m_anchorLocked = 1;
        bound.m_bindingText = tangent.m_xText;
        bound.m_anchorType = KTAnchorPoint;
        bound.m_anchorPen = KTLogPen(KTPenKindGeometric, 0x10006, RGB(255, 0, 0), 17.6388877);
        bound.m_anchorPosition = tangent.m_point;
        bound.m_anchor = graph.Axes().GraphToDevice(bound.GetGraphPoint(), 0, 0);
        bound.m_lineStart = bound.m_anchor;
        bound.m_justify = KTJustifyCentre;
        bound.m_boxBrush = KTLogBrush(KTBrushKindNumber, 1, RGB(255, 228, 225));
        list.Add(bound);
        list.SetSelected(2, true);

        dc.SetBkMode(TRANSPARENT);
        list.Draw(dc, none);
    }
    const QString folder = kttest::PictureFolder("graph_pictures");
    ASSERT_TRUE(image.save(folder + "/annotations.png"));

    // Each box is filled, and lies where its first corner was placed.
    for (int i = 0; i < list.GetCount(); ++i) {
        const KTGAnnotation& a = list.GetAt(i);
        const QRgb fill = qRgb(GetRValue(a.m_boxBrush.m_color), GetGValue(a.m_boxBrush.m_color),
                               GetBValue(a.m_boxBrush.m_color));
        EXPECT_GT(kttest::CountPixelsOfColour(image, fill), 1000) << i;
        EXPECT_GT(a.m_textRect.Width(), 2 * a.m_borderGap) << i;
        EXPECT_LT(a.m_textRect.bottom, a.m_textRect.top - 2 * a.m_borderGap) << i;
    }
    // The arrow's head and the anchor point are drawn in their colours.
    EXPECT_GT(kttest::CountPixelsOfColour(image, qRgb(0, 128, 0)), 40);
    EXPECT_EQ(list.GetAt(2).m_text.LineText(1), "y = 1x -1.5");
}
