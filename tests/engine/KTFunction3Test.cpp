// The function object: construction and reset, copying, the pixel mappings, the search for
// markers near a device point and the lists prepared for many evaluations.

#include "KTFunction3TestHelpers.h"

#include "foundation/KTSentinelValues.h"
#include "platform/KTArchive.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

KTAxes MakeAxes()
{
    KTAxes axes;
    axes.m_xAxis.m_min = 0;
    axes.m_xAxis.m_max = 100;
    axes.m_yAxis.m_min = -50;
    axes.m_yAxis.m_max = 50;
    axes.m_rect = CRect(10, 20, 210, 220);
    return axes;
}

TEST(KTFunction3, ConstructionAndReset)
{
    KTAxes axes;
    KTFunction3 f(&axes);
    EXPECT_EQ(&axes, f.m_data.m_owner);
    EXPECT_EQ(1, f.m_data.m_hasOwner);
    EXPECT_EQ(KTStatusError, f.Status());
    EXPECT_EQ(-1, f.m_data.m_index);
    EXPECT_EQ(-1, f.m_data.m_relation);
    EXPECT_EQ(0.0001, f.m_tolerance);
    EXPECT_EQ(0, f.m_buffer1->m_count);
    EXPECT_EQ(0, f.m_buffer2->m_count);
    EXPECT_EQ(f.m_buffer1.get(), f.m_currentBuffer);

    kttest::InterpretText(f, "y = 2x");
    f.SetIndex(3);
    f.m_tolerance = 0.5;
    f.m_markers.m_count = 4;
    f.Reset(&axes);
    EXPECT_TRUE(f.m_data.m_equationText.IsEmpty());
    EXPECT_EQ(-1, f.m_data.m_index);
    EXPECT_EQ(0, f.m_markers.m_count);
    EXPECT_TRUE(f.m_data.List(0)->IsEmpty());
    EXPECT_EQ(0.0001, f.m_tolerance);
    EXPECT_EQ(0.0, f.Evaluate(1, KTNoSecondValue).m_y); // nothing left of the old list
}

TEST(KTFunction3, CopyFromTakesDataAndParts)
{
    KTAxes axes;
    KTFunction3 a(&axes);
    kttest::InterpretText(a, "y = 3x; [0, 1]");
    KTFunction3 b(&axes);
    kttest::InterpretText(b, "y = x");
    EXPECT_EQ(2.0, b.Evaluate(2, KTNoSecondValue).m_y);
    b.CopyFrom(a);
    EXPECT_EQ(CString("y = 3x; [0, 1]"), b.m_data.m_equationText);
    EXPECT_EQ(2, b.Parts().GetCount());
    EXPECT_EQ(a.Status(), b.Status());
    EXPECT_EQ(6.0, b.Evaluate(2, KTNoSecondValue).m_y); // the copied list, not the old compiled one
}

TEST(KTFunction3, SerializeForwardsToTheData)
{
    KTFunction3 a;
    a.m_data.m_equationText = "y = x^2";
    a.SetIndex(2);
    KTArchive out;
    a.Serialize(out);
    KTFunction3 b;
    KTArchive in(out.Data());
    b.Serialize(in);
    EXPECT_EQ(CString("y = x^2"), b.m_data.m_equationText);
    EXPECT_EQ(2, b.m_data.m_index);
}

TEST(KTFunction3, PixelMappings)
{
    KTAxes axes = MakeAxes();
    KTFunction3 f(&axes);
    struct Row
    {
        double value;
        double x;
        double y;
    };
    const Row rows[] = {
        {0, 10, 120},   // x: left edge; y: middle
        {50, 110, 20},  // y = 50 is the top edge
        {100, 210, 5},  // beyond the top: held 15 pixels above the edge
        {107, 224, 5},  // within 15 pixels of the right edge
        {108, 10, 5},   // beyond it by more: the left edge
        {-1, 10, 122},  // left of the area: the left edge
        {-50, 10, 220}, // ymin at the bottom edge
        {-80, 10, 220}, // below: held at the bottom
    };
    for (const Row& row : rows) {
        EXPECT_DOUBLE_EQ(row.x, f.XToPixel(row.value)) << row.value;
        EXPECT_DOUBLE_EQ(row.y, f.YToPixel(row.value)) << row.value;
    }
    axes.m_yAxis.m_max = axes.m_yAxis.m_min; // an empty range: the bottom edge
    EXPECT_DOUBLE_EQ(220, f.YToPixel(3));
}

TEST(KTFunction3, FindMarkersNear)
{
    KTAxes axes = MakeAxes();
    axes.m_xAxis.m_isX = 1;
    axes.m_xAxis.m_pixel = CRect(10, 20, 210, 220);
    axes.m_yAxis.m_pixel = CRect(10, 20, 210, 220);
    KTFunction3 f(&axes);
    const auto add = [&f](KTMarkerKind kind, double x, double y) {
        KTMarker m;
        m.m_kind = kind;
        m.m_point = KTPoint(x, y);
        f.m_markers.Add(m);
    };
    add(KTMarkerLocalMaximum, 50, 0);
    add(KTMarkerVerticalAsymptote, 50, 40);
    add(KTMarkerHorizontalAsymptote, 90, 0);
    add(KTMarkerNoneFound, 50, 0);
    const CPoint p = axes.GraphToDevice(KTPoint(50, 0), 0, 0);
    const CPoint q = axes.GraphToDevice(KTPoint(90, 0), 0, 0);

    KTMarkerList result;
    f.FindMarkersNear(p.x + 70, p.y + 500, result, 7); // 70 pixels across: the vertical asymptote
    ASSERT_EQ(1, result.m_count);
    EXPECT_EQ(KTMarkerVerticalAsymptote, result.At(0)->m_kind);
    EXPECT_EQ(7, result.At(0)->m_tag);

    result.Clear();
    f.FindMarkersNear(p.x + 71, p.y + 500, result, 7);
    EXPECT_EQ(0, result.m_count);

    result.Clear();
    f.FindMarkersNear(q.x - 500, q.y + 70, result, 1); // 70 pixels up or down: the horizontal one
    ASSERT_EQ(1, result.m_count);
    EXPECT_EQ(KTMarkerHorizontalAsymptote, result.At(0)->m_kind);

    result.Clear();
    f.FindMarkersNear(p.x + 3, p.y + 4, result, 2); // kind 5 is never found
    EXPECT_EQ(3, result.m_count);

    result.Clear();
    result.m_count = KTFunction3::NearMarkerLimit; // a full result takes nothing more
    f.FindMarkersNear(p.x, p.y, result, 2);
    EXPECT_EQ(KTFunction3::NearMarkerLimit, result.m_count);
}

TEST(KTFunction3, MarkersOutsideTheViewAreNotFound)
{
    // The view is x 0..100, y -50..50; each marker lies just outside it on one side, and the
    // mouse is on its device point (where the plot's margin is).
    KTAxes axes = MakeAxes();
    axes.m_xAxis.m_isX = 1;
    axes.m_xAxis.m_pixel = CRect(10, 20, 210, 220);
    axes.m_yAxis.m_pixel = CRect(10, 20, 210, 220);
    struct Row
    {
        KTMarkerKind kind;
        KTPoint point;
        bool found;
    };
    const Row rows[] = {
        {KTMarkerXIntercept, {100.5, 0}, false},
        {KTMarkerXIntercept, {100, 0}, true}, // on the edge is in view
        {KTMarkerLocalMinimum, {50, -50.5}, false},
        {KTMarkerYIntercept, {-0.5, 10}, false},
        {KTMarkerVerticalAsymptote, {-1, 70}, false},
        {KTMarkerVerticalAsymptote, {1, 70}, true}, // an upright line: only its x counts
        {KTMarkerHorizontalAsymptote, {150, 51}, false},
        {KTMarkerHorizontalAsymptote, {150, 49}, true},
    };
    for (const Row& row : rows) {
        KTFunction3 f(&axes);
        KTMarker m;
        m.m_kind = row.kind;
        m.m_point = row.point;
        f.m_markers.Add(m);
        const CPoint p = axes.GraphToDevice(row.point, 0, 0);
        KTMarkerList result;
        f.FindMarkersNear(p.x, p.y, result, 0);
        EXPECT_EQ(result.m_count, row.found ? 1 : 0)
            << row.kind << " at " << row.point.m_x << ", " << row.point.m_y;
    }
}

} // namespace

TEST(KTFunction3, APreparedListGivesWhatEvaluationGives)
{
    // Two paths to one value: a list prepared once for a lattice, and the evaluation that
    // selects it per point. They agree to the bit, with constants and in each angle system,
    // where a side has no value too.
    struct Row
    {
        const char* text;
        int angleSystem;
    };
    const Row rows[] = {
        {"sin(x^2+y^2)=cos(xy)", 1},
        {"sin(x^2+y^2)=cos(xy)", 0},
        {"tan(35.6x)=0", 2},
        {"a*x^3+y^3=b*c*x*y", 1},
        {"sqrt(x)+sqrt(y)=1", 1},
        {"ln(x*y)=1/(x-y)", 1},
    };
    for (const Row& row : rows) {
        KTAxes axes;
        kttest::SetAngleSystem(axes, row.angleSystem);
        KTFunction3 f(&axes);
        f.Data().m_constants.m_range[0] = KTFunctionConstantRange(-2, 2, 1, 1.5);
        f.Data().m_constants.m_range[1] = KTFunctionConstantRange(-2, 2, 1, -0.5);
        f.Data().m_constants.m_range[2] = KTFunctionConstantRange(-2, 2, 1, 2);
        kttest::InterpretText(f, row.text);
        ASSERT_EQ(f.Status(), KTStatusImplicit) << row.text;
        for (const int list : {KTFunctionData3::FirstBranchList, KTFunctionData3::SecondBranchList}) {
            KTFunction3::PreparedList prepared;
            ASSERT_TRUE(f.PrepareList(list, prepared)) << row.text;
            EXPECT_EQ(f.Data().CurrentListIndex(), KTFunctionData3::FirstBranchList) << row.text;
            for (double x = -3.0; x <= 3.0; x += 0.37) {
                for (double y = -3.0; y <= 3.0; y += 0.41) {
                    const double ready = prepared.Run(x, y);
                    f.Data().SelectList(list);
                    const double evaluated = f.EvaluateValue(x, y);
                    f.Data().SelectList(KTFunctionData3::FirstBranchList);
                    // Bit for bit: the undefined value is a number here, never NaN.
                    EXPECT_EQ(std::memcmp(&ready, &evaluated, sizeof ready), 0)
                        << row.text << " list " << list << " at (" << x << ", " << y << "): " << ready
                        << " / " << evaluated;
                }
            }
        }
    }
}
