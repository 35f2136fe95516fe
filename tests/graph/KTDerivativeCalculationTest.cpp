#include "graph/KTDerivativeCalculation.h"

#include "foundation/KTNumberFormat.h"
#include "foundation/KTPenSelector.h"
#include "foundation/KTSentinelValues.h"
#include "foundation/KTVariableSubstitutions.h"
#include "graph/KTDerivativeFunction.h"
#include "graph/KTDerivativeList.h"
#include "graph/KTIntegralCalculation.h"
#include "graph/KTIntegralFunction.h"

#include "KTGraphCalculationSupport.h"
#include "support/KTTestSupport.h"

#include <QImage>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using kttest::CalculationGraph;
using kttest::EnglishNumbers;

namespace {

KTDerivativeFunction Tangent(CalculationGraph& graph, const char* x)
{
    KTDerivativeFunction tangent;
    tangent.m_function = 0;
    tangent.m_xText = x;
    tangent.m_axes = &graph.Axes();
    tangent.m_pen = KTLogPen(KTPenKindGeometric, 0x10006, RGB(255, 0, 0), 8.819443875);
    return tangent;
}

KTDerivativeFunction Calculated(CalculationGraph& graph, const char* f, const char* x,
                                const KTVariableSubstitutions* substitutions = nullptr)
{
    EXPECT_TRUE(graph.SetFunction(0, f)) << f;
    KTDerivativeFunction tangent = Tangent(graph, x);
    KTDerivativeCalculation::Calculate(tangent, graph.Data(), substitutions);
    return tangent;
}

/// Axes on which a graph point's device point has the same coordinates, over +-20000.
void IdentityMapping(KTAxes& axes)
{
    for (KTAxis* axis : {&axes.m_xAxis, &axes.m_yAxis}) {
        axis->m_min = -20000.0;
        axis->m_max = 20000.0;
        axis->m_edge = CRect(-20000, -20000, 20000, 20000);
    }
    axes.m_xAxis.m_pixel = CRect(-20000, 0, 20000, 0);
    axes.m_yAxis.m_pixel = CRect(0, -20000, 0, 20000);
}

} // namespace

TEST(KTDerivativeCalculation, SlopeInterceptAndTexts)
{
    const EnglishNumbers numbers;
    struct Row
    {
        const char* f;
        const char* x;
        double slope;
        double intercept;
        const char* label;
        const char* lineText;
    };
    const Row rows[] = {
        {"y=x^2", "1", 2.0, -1.0, "d/dx x^2 (x =1) = 2", "y = 2x -1"},
        // A zero intercept is written after "+ ".
        {"y=x^2", "0", 0.0, 0.0, "d/dx x^2 (x =0) = 0", "y = 0x+ 0"},
        {"y=x^3", "2", 12.0, -16.0, "d/dx x^3 (x =2) = 12", "y = 12x -16"},
        {"y=3x+1", "5", 3.0, 1.0, "d/dx (3x+1) (x =5) = 3", "y = 3x+ 1"},
        // The function as typed, never its calculation text.
        {"f(x) = x^2/2-1", "1", 1.0, -1.5, "d/dx (x^2/2-1) (x =1) = 1", "y = 1x -1.5"},
        {"y=x^2-3", "2", 4.0, -7.0, "d/dx (x^2-3) (x =2) = 4", "y = 4x -7"},
        {"y=x^2", "-1/2", -1.0, -0.25, "d/dx x^2 (x =-1/2) = -1", "y = -1x -0.25"},
    };
    for (const Row& row : rows) {
        CalculationGraph graph;
        const KTDerivativeFunction tangent = Calculated(graph, row.f, row.x);
        EXPECT_TRUE(tangent.m_valid) << row.f;
        EXPECT_NEAR(tangent.m_slope, row.slope, 1e-6) << row.f;
        EXPECT_NEAR(tangent.m_intercept, row.intercept, 1e-6) << row.f;
        EXPECT_EQ(tangent.m_point.m_x, KTNumberText().ToDouble(row.x)) << row.f;
        EXPECT_EQ(tangent.m_label, row.label);
        EXPECT_EQ(tangent.m_lineText, row.lineText);
    }
}

TEST(KTDerivativeCalculation, TheLabelShowsTheEvaluatedXWhenTheTableHoldsConstants)
{
    const EnglishNumbers numbers;
    CalculationGraph graph;
    const KTDerivativeFunction typed = Calculated(graph, "y=x^2", "a");
    EXPECT_EQ(typed.m_label, "d/dx x^2 (x =a) = 2");
    KTVariableSubstitutions constants;
    constants.Add("a", 1.5);
    const KTDerivativeFunction evaluated = Calculated(graph, "y=x^2", "a", &constants);
    EXPECT_EQ(evaluated.m_label, "d/dx x^2 (x =1.5) = 3");
    EXPECT_EQ(evaluated.m_lineText, "y = 3x -2.25");
}

TEST(KTDerivativeCalculation, EndsAreWhereTheLineLeavesTheVisibleArea)
{
    CalculationGraph graph;
    const KTAxes& axes = graph.Axes();
    ASSERT_EQ(axes.m_xAxis.m_min, -5.0);
    ASSERT_EQ(axes.m_xAxis.m_max, 5.0);
    ASSERT_EQ(axes.m_yAxis.m_min, -5.0);
    ASSERT_EQ(axes.m_yAxis.m_max, 5.0);
    struct Row
    {
        const char* f;
        const char* x;
        KTPoint start;
        KTPoint end;
    };
    const KTPoint kept1(1, 2), kept2(3, 4);
    const Row rows[] = {
        // Steep: through the top, then the bottom.
        {"y=x^2", "1", KTPoint(3, 5), KTPoint(-2, -5)},
        // Gentle: through both x edges.
        {"y=x^2", "0.1", KTPoint(-5, -1.01), KTPoint(5, 0.99)},
        {"y=x^2", "0", KTPoint(-5, 0), KTPoint(5, 0)},
        // One x edge, then the top.
        {"y=x", "0", KTPoint(-5, -5), KTPoint(5, 5)},
        {"y=x^2", "2", KTPoint(2.25, 5), KTPoint(-0.25, -5)},
        // Horizontal above the visible area: no end is accepted and the old ends stay.
        {"y=10", "0", kept1, kept2},
        // Crossing the area at one corner only.
        {"y=-x+10", "0", kept1, kept2},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(graph.SetFunction(0, row.f));
        KTDerivativeFunction tangent = Tangent(graph, row.x);
        tangent.m_start = kept1;
        tangent.m_end = kept2;
        KTDerivativeCalculation::Calculate(tangent, graph.Data(), nullptr);
        EXPECT_TRUE(tangent.m_valid) << row.f << " at " << row.x;
        EXPECT_NEAR(tangent.m_start.m_x, row.start.m_x, 1e-6) << row.f << " at " << row.x;
        EXPECT_NEAR(tangent.m_start.m_y, row.start.m_y, 1e-6) << row.f << " at " << row.x;
        EXPECT_NEAR(tangent.m_end.m_x, row.end.m_x, 1e-6) << row.f << " at " << row.x;
        EXPECT_NEAR(tangent.m_end.m_y, row.end.m_y, 1e-6) << row.f << " at " << row.x;
    }
}

TEST(KTDerivativeCalculation, AnUndefinedPointLeavesTheTangentInvalid)
{
    const EnglishNumbers numbers;
    struct Row
    {
        const char* f;
        const char* x;
    };
    const Row rows[] = {
        {"y=sqrt(x)", "-1"},
        {"y=x^2", "1/0"},
        {"y=x^2", "10000000000000"},
        {"y=10000000000000", "1"},
    };
    for (const Row& row : rows) {
        CalculationGraph graph;
        KTDerivativeFunction tangent = Calculated(graph, "y=x^2", "1");
        ASSERT_TRUE(tangent.m_valid) << row.f;
        const KTPoint start = tangent.m_start;
        ASSERT_TRUE(graph.SetFunction(0, row.f));
        tangent.m_xText = row.x;
        KTDerivativeCalculation::Calculate(tangent, graph.Data(), nullptr);
        EXPECT_FALSE(tangent.m_valid) << row.f << " at " << row.x;
        EXPECT_TRUE(tangent.m_label.IsEmpty()) << row.f << " at " << row.x;
        EXPECT_TRUE(tangent.m_lineText.IsEmpty()) << row.f << " at " << row.x;
        EXPECT_EQ(tangent.m_start, start);
        KTDC dc(96, 96, CSize(800, 600));
        dc.SetRecording(true);
        KTDerivativeCalculation::Draw(tangent, dc);
        EXPECT_TRUE(dc.GetRecords().empty());
    }
}

TEST(KTDerivativeCalculation, WithoutAUserFunctionTheTangentIsInvalid)
{
    CalculationGraph graph;
    ASSERT_TRUE(graph.SetFunction(0, "y=x^2"));
    for (int slot : {-1, 10, 13, 14, 99}) {
        KTDerivativeFunction tangent = Tangent(graph, "1");
        tangent.m_function = slot;
        tangent.m_valid = true;
        tangent.m_label = "kept";
        KTDerivativeCalculation::Calculate(tangent, graph.Data(), nullptr);
        EXPECT_FALSE(tangent.m_valid) << slot;
        EXPECT_EQ(tangent.m_functionPtr, nullptr) << slot;
        EXPECT_EQ(tangent.m_label, "kept") << slot;
    }
}

TEST(KTDerivativeCalculation, DrawsTheLineAndACircleAtThePoint)
{
    CalculationGraph graph;
    const KTDerivativeFunction tangent = Calculated(graph, "y=x^2", "1");
    KTDC dc(96, 96, CSize(800, 600));
    dc.SetMapMode(MM_HIMETRIC);
    dc.SetRecording(true);
    const KTPen before = dc.GetCurrentPen();
    KTDerivativeCalculation::Draw(tangent, dc);
    const std::vector<KTDCRecord>& records = dc.GetRecords();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].kind, KTDCRecordKind::Line);
    EXPECT_EQ(records[0].points, (std::vector<CPoint>{graph.Device(3, 5), graph.Device(-2, -5)}));
    EXPECT_EQ(records[0].pen.GetColor(), RGB(255, 0, 0));
    EXPECT_EQ(records[1].kind, KTDCRecordKind::Ellipse);
    const CPoint centre = graph.Device(1, 1);
    // On the screen the circle snaps to whole pixels (26.46 hundredths of a millimetre here).
    EXPECT_NEAR(records[1].points[0].x + records[1].points[1].x, 2 * centre.x, 54);
    EXPECT_NEAR(records[1].points[0].y + records[1].points[1].y, 2 * centre.y, 54);
    EXPECT_EQ(records[1].pen, records[0].pen);
    EXPECT_EQ(dc.GetCurrentPen(), before);
}

TEST(KTDerivativeCalculation, ASelectedTangentIsWiderOnTheScreenOnly)
{
    constexpr double quarterPoint = 8.819443875;
    constexpr double onePoint = 35.2777755;
    struct Row
    {
        double width;
        bool selected;
        bool printing;
        double drawnWidth;
    };
    const Row rows[] = {
        {quarterPoint, false, false, quarterPoint}, {quarterPoint, true, false, 1.5 * onePoint},
        {onePoint, true, false, 2.0 * onePoint},    {3.0 * onePoint, true, false, 6.0 * onePoint},
        {quarterPoint, true, true, quarterPoint},
    };
    for (const Row& row : rows) {
        CalculationGraph graph;
        KTDerivativeFunction tangent = Calculated(graph, "y=x^2", "1");
        tangent.m_pen.m_width = row.width;
        tangent.m_selected = row.selected;
        KTDC dc(96, 96, CSize(800, 600));
        dc.SetMapMode(MM_HIMETRIC);
        dc.SetPrinting(row.printing);
        dc.SetRecording(true);
        KTDerivativeCalculation::Draw(tangent, dc);
        ASSERT_FALSE(dc.GetRecords().empty());

        KTLogPen expected = tangent.m_pen;
        expected.m_width = row.drawnWidth;
        KTDC other(96, 96, CSize(800, 600));
        other.SetMapMode(MM_HIMETRIC);
        KTPenSelector selector(expected, 1.0);
        selector.Select(other);
        EXPECT_EQ(dc.GetRecords()[0].pen, selector.GetCreated()) << row.width << " " << row.selected;
        selector.Restore(other);
    }
}

TEST(KTDerivativeCalculation, HitTestMeasuresTheDistanceToTheWholeLine)
{
    KTAxes axes;
    IdentityMapping(axes);
    KTDerivativeList list;
    KTDerivativeFunction along;
    along.m_start = KTPoint(0, 0);
    along.m_end = KTPoint(10000, 0);
    list.Add(along, true);
    list.m_records[0].m_start = along.m_start;
    list.m_records[0].m_end = along.m_end;
    list.SetGraph(&axes);
    struct Row
    {
        int x;
        int y;
        int index;
    };
    const Row rows[] = {
        {5000, 150, 0},
        {5000, -150, 0},
        {5000, 199, 0},
        {5000, 200, -1},
        {5000, 250, -1},
        // Beyond the ends, still near the line.
        {15000, 150, 0},
        {-3000, -100, 0},
    };
    for (const Row& row : rows)
        EXPECT_EQ(KTDerivativeCalculation::HitTest(list, row.x, row.y), row.index) << row.x << ", " << row.y;

    // A slanted line: (3000, 4000) is 5000 away from the origin along the line's normal.
    KTDerivativeFunction slanted;
    list.Add(slanted, true);
    list.m_records[1].m_start = KTPoint(0, 0);
    list.m_records[1].m_end = KTPoint(-4000, 3000);
    list.SetGraph(&axes);
    EXPECT_EQ(KTDerivativeCalculation::HitTest(list, 3000 + 120, 4000 + 160), -1);
    EXPECT_EQ(KTDerivativeCalculation::HitTest(list, -4000 + 90, 3000 + 120), 1);
    // Both lines pass within reach of the origin: the later one wins.
    EXPECT_EQ(KTDerivativeCalculation::HitTest(list, 10, 10), 1);

    // Coinciding ends are never hit; an invalid tangent is tested with the ends it holds.
    list.m_records[1].m_end = KTPoint(0, 0);
    EXPECT_EQ(KTDerivativeCalculation::HitTest(list, 0, 0), 0);
    EXPECT_FALSE(list.m_records[0].m_valid);
}

TEST(KTDerivativeCalculation, ATangentWhoseLineLeavesTheViewIsNeitherDrawnNorHit)
{
    CalculationGraph graph;
    ASSERT_TRUE(graph.SetFunction(0, "y=x^2"));
    KTDerivativeList list;
    list.Add(Tangent(graph, "1"), true); // y = 2x - 1
    list.SetGraph(&graph.Axes());
    KTDC dc(96, 96, CSize(800, 600));
    dc.SetMapMode(MM_HIMETRIC);
    dc.SetRecording(true);
    struct Row
    {
        double ymin, ymax;
        bool shown;
    };
    // Over x -5..5 the line runs from y -11 to 9.
    const Row rows[] = {
        {-5, 5, true}, {20, 30, false}, {9.5, 12, false}, {-30, -11.5, false}, {8, 12, true}, {-5, 5, true},
    };
    for (const Row& row : rows) {
        graph.Axes().m_yAxis.m_min = row.ymin;
        graph.Axes().m_yAxis.m_max = row.ymax;
        const KTPoint start = list.GetAt(0).m_start;
        const KTPoint end = list.GetAt(0).m_end;
        KTDerivativeCalculation::CalculateAll(list, graph.Data(), nullptr);
        const KTDerivativeFunction& tangent = list.GetAt(0);
        EXPECT_TRUE(tangent.m_valid) << row.ymin;
        EXPECT_EQ(tangent.m_inView, row.shown) << row.ymin;
        dc.ClearRecords();
        KTDerivativeCalculation::DrawAll(list, dc);
        EXPECT_EQ(dc.GetRecords().empty(), !row.shown) << row.ymin;
        // Hidden, the line keeps the ends it had, and a click on them finds nothing.
        const CPoint middle = graph.Device((tangent.m_start.m_x + tangent.m_end.m_x) / 2,
                                           (tangent.m_start.m_y + tangent.m_end.m_y) / 2);
        EXPECT_EQ(KTDerivativeCalculation::HitTest(list, middle.x, middle.y), row.shown ? 0 : -1) << row.ymin;
        if (!row.shown) {
            EXPECT_EQ(tangent.m_start, start) << row.ymin;
            EXPECT_EQ(tangent.m_end, end) << row.ymin;
        }
    }
}

TEST(KTDerivativeCalculation, CalculateAllAndDrawAllGoInIndexOrder)
{
    CalculationGraph graph;
    ASSERT_TRUE(graph.SetFunction(0, "y=x^2"));
    ASSERT_TRUE(graph.SetFunction(1, "y=x"));
    KTDerivativeList list;
    KTDerivativeFunction first = Tangent(graph, "1");
    KTDerivativeFunction none = Tangent(graph, "1");
    none.m_function = -1;
    KTDerivativeFunction second = Tangent(graph, "0");
    second.m_function = 1;
    second.m_pen.m_color = RGB(0, 0, 255);
    list.Add(first, true);
    list.Add(none, true);
    list.Add(second, true);
    list.SetGraph(&graph.Axes());
    KTDerivativeCalculation::CalculateAll(list, graph.Data(), nullptr);
    EXPECT_TRUE(list.GetAt(0).m_valid);
    EXPECT_FALSE(list.GetAt(1).m_valid);
    EXPECT_TRUE(list.GetAt(2).m_valid);
    KTDC dc(96, 96, CSize(800, 600));
    dc.SetMapMode(MM_HIMETRIC);
    dc.SetRecording(true);
    KTDerivativeCalculation::DrawAll(list, dc);
    ASSERT_EQ(dc.GetRecords().size(), 4u);
    EXPECT_EQ(dc.GetRecords()[0].pen.GetColor(), RGB(255, 0, 0));
    EXPECT_EQ(dc.GetRecords()[2].pen.GetColor(), RGB(0, 0, 255));
}

namespace {

/// Lays out axes from -5 to 5 on a white image at 200 dots per inch in the graph's mapping and
/// draws what `draw` adds, the function's curve as a polyline and the axes over it.
QImage Picture(const char* function, const std::function<void(CalculationGraph&, KTDC&)>& draw)
{
    QImage image = kttest::WhiteImage(1060, 867, 7874);
    {
        KTDC dc(&image);
        dc.SetMapMode(MM_HIMETRIC);
        CalculationGraph graph;
        graph.LayOutPicture(dc);
        EXPECT_TRUE(graph.SetFunction(0, function));
        draw(graph, dc);
        graph.Axes().Draw(dc);
        kttest::DrawCurve(dc, graph.CurvePoints());
    }
    return image;
}

} // namespace

TEST(KTGraphCalculationPictures, ShadedIntegralAndTangent)
{
    const EnglishNumbers numbers;
    const QImage integral = Picture("y=x^2/2-1", [](CalculationGraph& graph, KTDC& dc) {
        KTIntegralFunction record;
        record.m_first = 0;
        record.m_second = KTIntegralFunction::kXAxis;
        record.m_lowerText = "-2";
        record.m_upperText = "3";
        record.m_colour = RGB(120, 200, 120);
        record.m_axes = &graph.Axes();
        KTIntegralCalculation::Calculate(record, graph.Data(), nullptr);
        EXPECT_NEAR(record.m_integral, 5.0 / 6.0, 1e-4);
        KTIntegralCalculation::Draw(record, dc, false);
    });
    ASSERT_TRUE(integral.save(kttest::PictureFolder("graph_pictures") + "/integral.png"));
    // The region between -2 and 3 covers roughly a tenth of the plot.
    EXPECT_GT(kttest::CountPixelsOfColour(integral, qRgb(120, 200, 120)), 8000);

    const QImage tangent = Picture("y=x^2/2-1", [](CalculationGraph& graph, KTDC& dc) {
        KTDerivativeFunction record;
        record.m_function = 0;
        record.m_xText = "1";
        record.m_pen = KTLogPen(KTPenKindGeometric, 0x10006, RGB(255, 0, 0), 35.2777755);
        record.m_axes = &graph.Axes();
        KTDerivativeCalculation::Calculate(record, graph.Data(), nullptr);
        EXPECT_EQ(record.m_lineText, "y = 1x -1.5");
        KTDerivativeCalculation::Draw(record, dc);
    });
    ASSERT_TRUE(tangent.save(kttest::PictureFolder("graph_pictures") + "/tangent.png"));
    EXPECT_GT(kttest::CountPixelsOfColour(tangent, qRgb(255, 0, 0)), 500);
}

// Shading and tangent marks belong to the plot: a region whose curve leaves the view is cut at
// the plot's edges, and a point of tangency outside the view has no circle (the mapping would put
// it on the edge). Looked at as pictures in graph_pictures.
TEST(KTGraphCalculationPictures, ShadingAndTangentMarksStayInsideThePlot)
{
    const EnglishNumbers numbers;
    const QRgb shade = qRgb(120, 200, 120);
    const struct
    {
        const char* function;
        const char* lower;
        const char* upper;
        const char* tangentX;
        bool circle; ///< the point of tangency lies in the view
        const char* picture;
    } rows[] = {
        {"y=x^2-4", "0", "4", "3.5", false, "clip_parabola.png"},   // up to 12, and 8.25 at 3.5
        {"y=x^2-4", "-8", "8", "-1", true, "clip_wide_bounds.png"}, // bounds beyond the view
        {"y=1/x", "0.05", "3", "0.1", false, "clip_pole.png"},      // 1/x up to 20, 1/0.1 = 10
        {"y=-x^3", "-4", "4", "1.5", true, "clip_cubic.png"},       // both ways out
    };
    for (const auto& row : rows) {
        CRect plot;
        QImage image = Picture(row.function, [&](CalculationGraph& graph, KTDC& dc) {
            KTIntegralFunction integral;
            integral.m_first = 0;
            integral.m_second = KTIntegralFunction::kXAxis;
            integral.m_lowerText = row.lower;
            integral.m_upperText = row.upper;
            integral.m_colour = RGB(120, 200, 120);
            integral.m_axes = &graph.Axes();
            KTIntegralCalculation::Calculate(integral, graph.Data(), nullptr);
            plot = graph.Axes().PlotRect();
            for (const CPoint& p : integral.m_region)
                EXPECT_TRUE(p.x >= plot.left && p.x <= plot.right && p.y >= plot.top && p.y <= plot.bottom)
                    << row.function << " " << p.x << "," << p.y;
            KTIntegralCalculation::Draw(integral, dc, false);

            KTDerivativeFunction tangent = Tangent(graph, row.tangentX);
            tangent.m_pen = KTLogPen(KTPenKindGeometric, 0x10006, RGB(255, 0, 0), 35.2777755);
            KTDerivativeCalculation::Calculate(tangent, graph.Data(), nullptr);
            ASSERT_TRUE(tangent.m_valid) << row.function;
            dc.SetRecording(true);
            KTDerivativeCalculation::Draw(tangent, dc);
            dc.SetRecording(false);
            std::size_t circles = 0;
            for (const KTDCRecord& r : dc.GetRecords())
                circles += r.kind == KTDCRecordKind::Ellipse;
            EXPECT_EQ(circles, row.circle ? 1u : 0u) << row.function << " at " << row.tangentX;
            dc.LPtoDP(&plot);
            plot.NormalizeRect();
        });
        ASSERT_TRUE(image.save(kttest::PictureFolder("graph_pictures") + "/" + row.picture));
        // Shading and red ink within the plot, none outside it (a pixel's rounding aside).
        int inside = 0;
        int outside = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = image.pixel(x, y) | 0xFF000000u;
                const bool red = qRed(pixel) > 200 && qGreen(pixel) < 80 && qBlue(pixel) < 80;
                if (pixel != shade && !red)
                    continue;
                const bool in =
                    x >= plot.left - 1 && x <= plot.right + 1 && y >= plot.top - 1 && y <= plot.bottom + 1;
                (in ? inside : outside) += 1;
            }
        EXPECT_GT(inside, 1000) << row.function;
        EXPECT_EQ(outside, 0) << row.function;
    }
}
