#include "KTGraph3TestSupport.h"

#include "graph/KTIntegralFunction.h"
#include "graph/KTDerivativeFunction.h"
#include "platform/KTArchive.h"

#include <gtest/gtest.h>

#include <algorithm>

using kttest::GraphRig;

namespace {

/// Index of the first record the predicate accepts, or -1.
template <typename Predicate> int FirstRecord(const std::vector<KTDCRecord>& records, Predicate accept)
{
    const auto it = std::find_if(records.begin(), records.end(), accept);
    return it == records.end() ? -1 : static_cast<int>(it - records.begin());
}

} // namespace

TEST(KTGraph3, ConstructionDefaults)
{
    KTGraph3 graph;
    EXPECT_EQ(graph.GetArea(), CRect(0, 0, 13450, -11000));
    EXPECT_EQ(graph.Data().m_dirty, 0);
    EXPECT_EQ(graph.Intersections().m_count, 0);
    EXPECT_EQ(graph.RegionCount(), 0);
    for (int slot = 0; slot < 14; ++slot)
        EXPECT_EQ(graph.Data().Function(slot).Data().m_owner, &graph.Axes()) << slot;
    graph.SetArea(1, 2, 3, 4);
    graph.SetDirty();
    EXPECT_EQ(graph.Data().m_dirty, 2);
    graph.Reset();
    EXPECT_EQ(graph.GetArea(), CRect(0, 0, 13450, -11000));
    EXPECT_EQ(graph.Data().m_dirty, 0);
}

TEST(KTGraph3, DrawsRegionsIntegralsTangentsAxesThenFunctions)
{
    GraphRig rig;
    rig.Set(0, "y>x^2");
    rig.Set(1, "y<4");
    rig.Set(2, "y=x/2");
    KTIntegralFunction integral;
    integral.m_first = 2;
    integral.m_second = KTIntegralFunction::kXAxis;
    integral.m_lowerText = "-8";
    integral.m_upperText = "-6";
    integral.m_colour = RGB(0, 200, 0);
    rig.m_graph.AddIntegral(integral, true);
    KTDerivativeFunction tangent;
    tangent.m_function = 2;
    tangent.m_xText = "5";
    tangent.m_pen = KTLogPen(KTPenKindNumber, 6, RGB(250, 0, 250), 25.0);
    EXPECT_EQ(rig.m_graph.AddDerivative(tangent, true), 0);
    ASSERT_EQ(rig.m_graph.Data().m_dirty, 2);

    rig.m_dc.SetRecording(true);
    rig.Cycle();
    const std::vector<KTDCRecord>& records = rig.m_dc.GetRecords();
    const int region = FirstRecord(records, [](const KTDCRecord& r) {
        return r.kind == KTDCRecordKind::Polygon && r.brush.GetColor() == RGB(200, 200, 200);
    });
    const int shaded = FirstRecord(records, [](const KTDCRecord& r) {
        return r.kind == KTDCRecordKind::Polygon && r.brush.GetColor() == RGB(0, 200, 0);
    });
    const int tangentLine =
        FirstRecord(records, [](const KTDCRecord& r) { return r.pen.GetColor() == RGB(250, 0, 250); });
    const COLORREF axisColour = rig.m_graph.Data().m_options.m_axes.m_xAxisPen.m_value.m_color;
    const COLORREF firstColour = rig.Function(0).Data().m_options.m_pen.m_value.m_color;
    const COLORREF lastColour = rig.Function(2).Data().m_options.m_pen.m_value.m_color;
    const int axes = FirstRecord(records, [&](const KTDCRecord& r) {
        return (r.kind == KTDCRecordKind::Line || r.kind == KTDCRecordKind::Polyline) &&
               r.pen.GetColor() == axisColour;
    });
    const int functions =
        FirstRecord(records, [&](const KTDCRecord& r) { return r.pen.GetColor() == firstColour; });
    const int lastFunction =
        FirstRecord(records, [&](const KTDCRecord& r) { return r.pen.GetColor() == lastColour; });
    EXPECT_EQ(region, 0);
    EXPECT_LT(region, shaded);
    EXPECT_LT(shaded, tangentLine);
    EXPECT_LT(tangentLine, axes);
    EXPECT_LT(axes, functions);
    EXPECT_LT(functions, lastFunction);
    // The region is filled without an outline.
    EXPECT_TRUE(records[static_cast<std::size_t>(region)].pen.IsNullPen());
    EXPECT_EQ(rig.m_graph.Data().m_dirty, 0);
}

TEST(KTGraph3, RecalculatesOnlyWhileDirty)
{
    GraphRig rig;
    rig.Set(0, "y>x");
    rig.Cycle();
    EXPECT_EQ(rig.m_graph.Data().m_dirty, 0);
    ASSERT_TRUE(rig.Function(0).IsDrawable());
    const int intersections = rig.m_graph.Intersections().m_count;
    ASSERT_GT(intersections, 0);

    // A change without marking the graph: neither interpreted nor recalculated.
    rig.Set(0, "y=x");
    rig.Set(1, "y=-x");
    rig.Cycle();
    EXPECT_EQ(rig.Function(0).Data().m_relation, 43);
    EXPECT_FALSE(rig.Function(1).IsDrawable());
    EXPECT_EQ(rig.m_graph.Intersections().m_count, intersections);
    EXPECT_EQ(rig.Function(10).Data().m_equationText, "x>-9.999980000");

    rig.Redo();
    EXPECT_EQ(rig.Function(0).Data().m_relation, 38);
    EXPECT_TRUE(rig.Function(1).IsDrawable());
    EXPECT_EQ(rig.Function(10).Data().m_equationText, "");
    EXPECT_EQ(rig.m_graph.RegionCount(), 0);
    EXPECT_EQ(rig.m_graph.Intersections().m_count, 1);
    EXPECT_EQ(rig.m_graph.Data().m_dirty, 0);

    // A load marks the graph, so the first drawing recalculates.
    KTArchive out;
    rig.m_graph.Serialize(out);
    GraphRig loaded;
    KTArchive in(out.Data());
    loaded.m_graph.Serialize(in);
    EXPECT_EQ(loaded.m_graph.Data().m_dirty, 2);
    loaded.Cycle();
    EXPECT_EQ(loaded.m_graph.Intersections().m_count, 1);
}

TEST(KTGraph3, AutoScaleCases)
{
    const struct
    {
        const char* text;
        int angleSystem;
        double left, right, bottom, top;
    } rows[] = {
        // The function and the x axis tie at 0; the axis lies below it at every positive sample.
        {"y=x", 1, -6.3, 1100, -6.3, 1100},
        // The order changes from x = 55 on.
        {"y=x-50", 1, -6.3, 1100, -50, 1050},
        // No order change at all: only the value at 0 widens the extents.
        {"y=x^2+20", 1, -6.3, 6.3, -6.3, 20},
        // Undefined left of 0: the undefined value never becomes an extent.
        {"y=sqrt(x)", 1, -1100, 1100, -6.3, std::sqrt(1100.0)},
        // Degrees: a full turn each way; the sine changes sign at every half turn.
        {"y=sin(x)", 0, -1000, 1100, -6.3, 6.3},
        {"y=cos(x)", 2, -1100, 1100, -6.3, 6.3},
    };
    for (const auto& row : rows) {
        GraphRig rig;
        rig.m_graph.Data().m_options.m_autoScale.m_value = 1;
        rig.m_graph.Data().m_options.m_axes.m_angleSystem.m_value = row.angleSystem;
        rig.Set(0, row.text);
        rig.m_graph.SetDirty();
        rig.m_graph.ComputeDataExtents();
        const KTDataExtents& e = rig.m_graph.Data().m_extents;
        EXPECT_DOUBLE_EQ(e.m_left, row.left) << row.text;
        EXPECT_DOUBLE_EQ(e.m_right, row.right) << row.text;
        EXPECT_DOUBLE_EQ(e.m_bottom, row.bottom) << row.text;
        EXPECT_NEAR(e.m_top, row.top, 1e-9) << row.text;
    }
}

TEST(KTGraph3, AutoScaleNotesTrigonometryAndLaysOutTheExtents)
{
    GraphRig rig;
    rig.m_graph.Data().m_options.m_autoScale.m_value = 1;
    rig.Set(3, "y=x-50");
    rig.Redo(0.0);
    EXPECT_EQ(rig.m_graph.Data().m_options.m_axes.m_fullTurn, 0);
    EXPECT_GE(rig.m_graph.Axes().m_xAxis.m_max, 1100.0);
    EXPECT_LE(rig.m_graph.Axes().m_yAxis.m_min, -50.0);
    EXPECT_GE(rig.m_graph.Axes().m_yAxis.m_max, 1050.0);
    // The user's own setting is kept.
    EXPECT_EQ(rig.m_graph.Data().m_options.m_axes.m_adjustScaleToIncludeData.m_value,
              KTOptionAxes2().m_adjustScaleToIncludeData.m_value);

    rig.Set(4, "y=tan(x)");
    rig.Redo(0.0);
    EXPECT_EQ(rig.m_graph.Data().m_options.m_axes.m_fullTurn, 1);
}

TEST(KTGraph3, ValuesAtXOrdersTiesAndEmptySlots)
{
    GraphRig rig;
    KTValueOrder empty = rig.m_graph.ValuesAtX(1.0);
    EXPECT_EQ(empty.m_items[0], 10);
    for (int p = 1; p < 11; ++p) {
        EXPECT_EQ(empty.m_items[static_cast<std::size_t>(p)], 11);
        EXPECT_EQ(empty.m_ties[static_cast<std::size_t>(p)], 0);
    }

    rig.Set(1, "y=x");
    rig.Set(4, "y=2x");
    rig.Set(6, "y=-x");
    rig.Redo();
    const struct
    {
        double x;
        std::vector<int> items;
        std::vector<int> ties;
    } rows[] = {
        {1.0, {6, 10, 1, 4, 11, 11, 11, 11, 11, 11, 11}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {-1.0, {4, 1, 10, 6, 11, 11, 11, 11, 11, 11, 11}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        // Through the same point: slot order, all tied.
        {0.0, {1, 4, 6, 10, 11, 11, 11, 11, 11, 11, 11}, {1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const auto& row : rows) {
        const KTValueOrder order = rig.m_graph.ValuesAtX(row.x);
        for (int p = 0; p < 11; ++p) {
            EXPECT_EQ(order.m_items[static_cast<std::size_t>(p)], row.items[static_cast<std::size_t>(p)])
                << row.x << " @" << p;
            EXPECT_EQ(order.m_ties[static_cast<std::size_t>(p)], row.ties[static_cast<std::size_t>(p)])
                << row.x << " @" << p;
        }
        // The values ascend along the order.
        for (int p = 1; p < 4; ++p)
            EXPECT_LE(order.m_values[static_cast<std::size_t>(p - 1)],
                      order.m_values[static_cast<std::size_t>(p)]);
    }
}

TEST(KTGraph3, FamilyConstantsAndTheirUse)
{
    GraphRig rig;
    rig.Set(0, "y=a*x");
    rig.Set(1, "y=x+m");
    rig.Redo();
    EXPECT_TRUE(rig.m_graph.FunctionsUseConstant(7));
    EXPECT_TRUE(rig.m_graph.FunctionsUseConstant(11));
    EXPECT_FALSE(rig.m_graph.FunctionsUseConstant(8));
    EXPECT_FALSE(rig.m_graph.FunctionsUseConstant(12));

    rig.m_graph.SetConstant("a", 3.0);
    rig.m_graph.SetConstant("q", 9.0);
    rig.m_graph.SetConstantRange("m", -1.0, 1.0, 0.5);
    for (int slot = 0; slot < 10; ++slot) {
        const KTFunctionConstantRanges& ranges = rig.Function(slot).Data().m_constants;
        EXPECT_EQ(ranges.m_range[0].m_current, 3.0);
        EXPECT_EQ(ranges.m_range[4].m_from, -1.0);
        EXPECT_EQ(ranges.m_range[4].m_to, 1.0);
        EXPECT_EQ(ranges.m_range[4].m_step, 0.5);
    }
    EXPECT_EQ(rig.m_graph.Data().m_dirty, 0);
    EXPECT_DOUBLE_EQ(rig.Function(0).YAtX(2.0), 6.0);
}

// While a family is shown, each function is drawn once per member when it reads the family's
// constant and once in all when it does not.
TEST(KTGraph3, AFamilyStepsOnlyTheFunctionsThatReadItsConstant)
{
    GraphRig rig;
    rig.Set(0, "y=a*x");
    rig.Set(1, "y=8");
    rig.Set(2, "y=x^2/4+a");
    rig.Set(3, "y=x/b");
    // Each function in a colour of its own, without arrowheads: one polyline per curve drawn.
    for (int slot = 0; slot < 4; ++slot) {
        rig.Function(slot).Data().m_options.m_showFunctionArrows.m_value = 0;
        rig.Function(slot).Data().m_options.m_pen.m_value.m_color = RGB(10 + slot, 20, 30);
    }
    rig.Redo();
    rig.m_graph.SetConstantRange("a", -2.0, 2.0, 1.0);
    rig.m_graph.Data().m_family = 1;
    rig.m_dc.SetRecording(true);
    rig.Redo();
    const int expected[] = {5, 1, 5, 1};
    for (int slot = 0; slot < 4; ++slot) {
        const COLORREF colour = RGB(10 + slot, 20, 30);
        const auto curves = std::count_if(
            rig.m_dc.GetRecords().begin(), rig.m_dc.GetRecords().end(), [colour](const KTDCRecord& r) {
                return r.kind == KTDCRecordKind::Polyline && r.pen.GetColor() == colour;
            });
        EXPECT_EQ(curves, expected[slot]) << slot;
    }
}

TEST(KTGraph3, AddingIntegralsAndTangents)
{
    KTGraph3 graph;
    KTIntegralFunction none;
    graph.AddIntegral(none, true);
    EXPECT_EQ(graph.Data().m_integrals.GetCount(), 0);
    EXPECT_EQ(graph.Data().m_dirty, 0);

    KTIntegralFunction between;
    between.m_first = 1;
    between.m_second = 3;
    graph.AddIntegral(between, true);
    ASSERT_EQ(graph.Data().m_integrals.GetCount(), 1);
    EXPECT_TRUE(graph.Data().m_integrals.GetAt(0).m_hasSecond);
    EXPECT_EQ(graph.Data().m_dirty, 2);

    KTDerivativeFunction tangent;
    EXPECT_EQ(graph.AddDerivative(tangent, false), 0);
    EXPECT_EQ(graph.Data().m_derivatives.GetCount(), 0);
    tangent.m_function = 4;
    EXPECT_EQ(graph.AddDerivative(tangent, false), 0);
    EXPECT_EQ(graph.AddDerivative(tangent, false), -1);
    EXPECT_EQ(graph.AddDerivative(tangent, true), 1);
}

TEST(KTGraph3, TangentsOfVanishedFunctionsAreRemoved)
{
    GraphRig rig;
    rig.Set(0, "y=x^2");
    KTDerivativeFunction tangent;
    tangent.m_function = 0;
    tangent.m_xText = "1";
    rig.m_graph.AddDerivative(tangent, true);
    tangent.m_function = 5;
    rig.m_graph.AddDerivative(tangent, true);
    rig.Cycle();
    ASSERT_EQ(rig.m_graph.Data().m_derivatives.GetCount(), 1);
    const KTDerivativeFunction& kept = rig.m_graph.Data().m_derivatives.GetAt(0);
    EXPECT_EQ(kept.m_function, 0);
    EXPECT_TRUE(kept.m_valid);
    EXPECT_NEAR(kept.m_slope, 2.0, 1e-4);
}

TEST(KTGraph3, HatchLinesAreDrawnFromEndToEnd)
{
    GraphRig rig;
    rig.m_graph.Data().m_options.m_frSolid.m_value = 0;
    rig.Set(0, "y>x^2");
    rig.Set(1, "y<4");
    rig.m_dc.SetRecording(true);
    rig.Cycle();
    ASSERT_FALSE(rig.m_graph.RegionIsPolygon());
    const COLORREF dot = rig.m_graph.Data().m_options.m_frPixel.m_value;
    std::vector<int> columns;
    for (const KTDCRecord& r : rig.m_dc.GetRecords()) {
        if (r.kind != KTDCRecordKind::Line || r.pen.GetColor() != dot)
            continue;
        ASSERT_EQ(r.points.size(), 2u);
        EXPECT_EQ(r.points[0].x, r.points[1].x);
        columns.push_back(r.points[0].x);
        // From the parabola to the line, to the logical unit.
        const KTPoint low = rig.m_graph.Axes().DeviceToGraph(r.points[0], 0);
        EXPECT_NEAR(r.points[0].y, rig.Device(low.m_x, low.m_x * low.m_x).y, 1);
        EXPECT_NEAR(r.points[1].y, rig.Device(0, 4).y, 1);
    }
    // 4 pixels apart at 96 dpi: 105.83 HIMETRIC units.
    ASSERT_GT(columns.size(), 20u);
    for (std::size_t k = 1; k < columns.size(); ++k)
        EXPECT_NEAR(columns[k] - columns[k - 1], 4 * 2540.0 / 96, 1.0);
}
