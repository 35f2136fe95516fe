#include "KTCurveTestSupport.h"

#include "engine/KTCurvePainter.h"
#include "platform/KTDC.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cmath>

using kttest::Form;

namespace {

class CurveDrawing : public ::testing::Test
{
protected:
    CurveDrawing() : f(&axes)
    {
        kttest::SetAxes(axes, -10, 10, -10, 10);
        dc.SetRecording(true);
    }

    int Count(KTDCRecordKind kind) const
    {
        int n = 0;
        for (const KTDCRecord& r : dc.GetRecords())
            n += r.kind == kind;
        return n;
    }

    /// Ellipses whose box holds the device point.
    int EllipsesAt(const CPoint& p) const
    {
        int n = 0;
        for (const KTDCRecord& r : dc.GetRecords()) {
            if (r.kind != KTDCRecordKind::Ellipse)
                continue;
            const CPoint a = r.points[0];
            const CPoint b = r.points[1];
            n += std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= p.y &&
                 p.y <= std::max(a.y, b.y);
        }
        return n;
    }

    KTAxes axes;
    KTFunction3 f;
    KTDC dc;
};

} // namespace

TEST_F(CurveDrawing, NothingWithoutTheDrawFlag)
{
    kttest::Prepare(f, Form::Explicit, "x");
    kttest::Recalculate(f);
    f.Data().m_interpreted = 0;
    f.Draw(dc);
    f.Data().m_constants.m_range[0] = KTFunctionConstantRange(-2, 2, 1, 1);
    f.DrawFamily(dc);
    EXPECT_TRUE(dc.GetRecords().empty());
    EXPECT_EQ(f.Data().m_familyDrawn, 0);
}

TEST_F(CurveDrawing, CurveIsOnePolylineThroughTheMappedSamples)
{
    kttest::Prepare(f, Form::Explicit, "x 2 /");
    kttest::Recalculate(f);
    f.Draw(dc);
    ASSERT_EQ(Count(KTDCRecordKind::Polyline), 1);
    const KTDCRecord& line = dc.GetRecords()[0];
    ASSERT_EQ(line.kind, KTDCRecordKind::Polyline);
    ASSERT_EQ(line.points.size(), 1601u);
    for (int k : {0, 400, 1600}) {
        const KTCurvePoint& p = f.m_buffer1->m_points[static_cast<std::size_t>(k)];
        EXPECT_EQ(line.points[static_cast<std::size_t>(k)], axes.GraphToDevice(p.m_point, 0, 0)) << k;
    }
    EXPECT_EQ(line.points.front(), CPoint(0, 899));
    EXPECT_EQ(line.points.back(), CPoint(1599, 300));
    EXPECT_EQ(line.pen.GetColor(), 0xFF0000u);
}

TEST_F(CurveDrawing, GapsSplitThePolyline)
{
    // tan(x) in radians over [-10, 10] leaves and re-enters the view near every pole.
    kttest::Prepare(f, Form::Explicit, "x TAN");
    f.Data().m_options.m_showFunctionArrows.m_value = 0;
    kttest::Recalculate(f);
    f.Draw(dc);
    // Poles at +-pi/2, +-3pi/2, +-5pi/2: seven pieces.
    EXPECT_EQ(Count(KTDCRecordKind::Polyline), 7);
    EXPECT_EQ(Count(KTDCRecordKind::Polygon), 0);
}

TEST_F(CurveDrawing, StrictInequalityBoundaryIsDashed)
{
    struct Row
    {
        int relation;
        bool dashed;
    };
    const Row rows[] = {{ASKind::Less, true},
                        {ASKind::Greater, true},
                        {ASKind::LessEqual, false},
                        {ASKind::GreaterEqual, false},
                        {ASKind::Equals, false}};
    for (const Row& row : rows) {
        kttest::Prepare(f, Form::Implicit, "x", "y");
        f.Data().m_relation = row.relation;
        kttest::Recalculate(f);
        dc.ClearRecords();
        f.Draw(dc);
        ASSERT_GE(Count(KTDCRecordKind::Polyline), 1) << row.relation;
        for (const KTDCRecord& r : dc.GetRecords()) {
            if (r.kind != KTDCRecordKind::Polyline)
                continue;
            EXPECT_EQ(r.pen.GetDashStyle() == PS_DASH, row.dashed) << row.relation;
        }
    }
}

TEST_F(CurveDrawing, ClosedCurveIsDrawnWithoutAGap)
{
    kttest::SetAxes(axes, -5, 5, -5, 5);
    kttest::Prepare(f, Form::Implicit, "4", "x 2 ^ y 2 ^ +");
    kttest::Recalculate(f);
    f.Draw(dc);
    ASSERT_EQ(Count(KTDCRecordKind::Polyline), 1);
    const KTDCRecord& line = dc.GetRecords()[0];
    EXPECT_EQ(static_cast<int>(line.points.size()), f.m_buffer1->m_count);
    EXPECT_EQ(line.points.front(), line.points.back());
}

TEST_F(CurveDrawing, DomainEndMarks)
{
    struct Row
    {
        double xmin;
        int lowEnd, highEnd;
        int marksAtLow, marksAtHigh;
    };
    const Row rows[] = {
        {0, 25, 25, 0, 1},  // the x axis starting exactly at 0 shows no low mark
        {-1, 25, 25, 1, 1}, // closed ends: filled circles
        {-1, 17, 17, 1, 1}, // open ends: white circles
        {-1, 10, 10, 0, 0}, // none
    };
    for (const Row& row : rows) {
        kttest::SetAxes(axes, row.xmin, 4, -1, 5);
        kttest::Prepare(f, Form::Explicit, "x 2 ^");
        f.Data().m_domain.m_low = 0.0;
        f.Data().m_domain.m_high = 2.0;
        f.Data().m_domain.m_lowEnd = row.lowEnd;
        f.Data().m_domain.m_highEnd = row.highEnd;
        kttest::Recalculate(f);
        dc.ClearRecords();
        f.Draw(dc);
        EXPECT_EQ(EllipsesAt(axes.GraphToDevice(0, 0, 0, 0)), row.marksAtLow)
            << row.xmin << " " << row.lowEnd;
        EXPECT_EQ(EllipsesAt(axes.GraphToDevice(2, 4, 0, 0)), row.marksAtHigh)
            << row.xmin << " " << row.highEnd;
    }
    // "ShowHigh" off hides the high mark.
    f.Data().m_domain.m_highEnd = 25;
    f.Data().m_options.m_showHigh.m_value = 0;
    dc.ClearRecords();
    f.Draw(dc);
    EXPECT_EQ(EllipsesAt(axes.GraphToDevice(2, 4, 0, 0)), 0);
}

TEST_F(CurveDrawing, FamilyOfFiveMembers)
{
    kttest::Prepare(f, Form::Explicit, "x a +");
    f.Data().m_options.m_showFunctionArrows.m_value = 0;
    f.Data().m_constants.m_range[0] = KTFunctionConstantRange(-2, 2, 1, 1);
    f.Data().m_constants.m_range[2] = KTFunctionConstantRange(0, 10, 1, 1); // only the first is stepped
    f.DrawFamily(dc);
    ASSERT_EQ(Count(KTDCRecordKind::Polyline), 5);
    EXPECT_DOUBLE_EQ(f.Data().m_constants.m_range[0].m_current, 3.0);
    EXPECT_DOUBLE_EQ(f.Data().m_constants.m_range[2].m_current, 1.0);
    EXPECT_EQ(f.Data().m_familyDrawn, 1);
    // Member k passes through (0, -2 + k).
    int k = 0;
    for (const KTDCRecord& r : dc.GetRecords()) {
        if (r.kind != KTDCRecordKind::Polyline)
            continue;
        const CPoint zero = axes.GraphToDevice(0, -2 + k, 0, 0);
        bool through = false;
        for (const CPoint& p : r.points)
            through = through || (p.x == zero.x && std::abs(p.y - zero.y) <= 1);
        EXPECT_TRUE(through) << k;
        ++k;
    }
}

TEST_F(CurveDrawing, NoFamilyDrawsOnce)
{
    const KTFunctionConstantRange ranges[] = {{1, 1, 0, 1}, {1, 2, 1, 1}, {1, 3, 2, 1}, {1, 3, 0, 1}};
    for (const KTFunctionConstantRange& range : ranges) {
        kttest::Prepare(f, Form::Explicit, "x a +");
        f.Data().m_options.m_showFunctionArrows.m_value = 0;
        f.Data().m_constants.m_range[0] = range;
        kttest::Recalculate(f);
        dc.ClearRecords();
        f.DrawFamily(dc);
        EXPECT_EQ(Count(KTDCRecordKind::Polyline), 1) << range.m_to << " " << range.m_step;
    }
}

// The same curve for every member is drawn once, not once per member on top of itself.
TEST_F(CurveDrawing, AFunctionWithoutTheFamilyConstantIsDrawnOnce)
{
    const struct
    {
        const char* postfix;
        int polylines;
    } rows[] = {{"x a +", 5}, {"x b +", 1}, {"x 2 /", 1}, {"x m *", 1}, {"a x *", 5}};
    for (const auto& row : rows) {
        kttest::Prepare(f, Form::Explicit, row.postfix);
        f.Data().m_options.m_showFunctionArrows.m_value = 0;
        f.Data().m_constants.m_range[KTConstantA] = KTFunctionConstantRange(-2, 2, 1, 1);
        kttest::Recalculate(f);
        dc.ClearRecords();
        f.DrawFamily(dc);
        EXPECT_EQ(Count(KTDCRecordKind::Polyline), row.polylines) << row.postfix;
        // Only a family that was stepped leaves its range past its end.
        EXPECT_DOUBLE_EQ(f.Data().m_constants.m_range[KTConstantA].m_current, row.polylines == 5 ? 3.0 : 1.0)
            << row.postfix;
    }
}

TEST_F(CurveDrawing, BothBranchesAreDrawn)
{
    kttest::Prepare(f, Form::Explicit, "x SQRT", "-1 x SQRT *"); // y = +-sqrt(x)
    f.m_twoBranches = 1;
    f.Data().m_options.m_showFunctionArrows.m_value = 0;
    kttest::Recalculate(f);
    f.Draw(dc);
    ASSERT_EQ(Count(KTDCRecordKind::Polyline), 2);
    EXPECT_EQ(f.m_currentBuffer, f.m_buffer1.get());
    EXPECT_EQ(f.Data().CurrentListIndex(), KTFunctionData3::FirstBranchList);
    const CPoint upper = axes.GraphToDevice(4, 2, 0, 0);
    const CPoint lower = axes.GraphToDevice(4, -2, 0, 0);
    int hits = 0;
    for (const KTDCRecord& r : dc.GetRecords())
        for (const CPoint& p : r.points)
            hits += (p == upper) + (p == lower);
    EXPECT_EQ(hits, 2);
}

TEST_F(CurveDrawing, DerivativeCurveIsDrawnAsACurve)
{
    kttest::Prepare(f, Form::Explicit, "x 2 ^");
    f.Data().m_showFirstDerivative = 1;
    f.Data().m_options.m_showFunctionArrows.m_value = 0;
    kttest::Recalculate(f);
    KTCurvePainter(f).DrawPointPairs(dc);
    // f' = 2x: one solid polyline in the function's pen from the bottom edge at x = -5 to the
    // top edge at x = 5, every point on the line.
    ASSERT_EQ(dc.GetRecords().size(), 1u);
    const KTDCRecord& line = dc.GetRecords()[0];
    ASSERT_EQ(line.kind, KTDCRecordKind::Polyline);
    EXPECT_EQ(line.pen.GetColor(), f.Data().m_options.m_pen.m_value.m_color);
    const KTPoint first = axes.DeviceToGraph(line.points.front(), 0, 0);
    const KTPoint last = axes.DeviceToGraph(line.points.back(), 0, 0);
    EXPECT_NEAR(first.m_x, -5.0, 0.02);
    EXPECT_NEAR(first.m_y, -10.0, 0.02);
    EXPECT_NEAR(last.m_x, 5.0, 0.02);
    EXPECT_NEAR(last.m_y, 10.0, 0.02);
    for (const CPoint& p : line.points) {
        const KTPoint g = axes.DeviceToGraph(p, 0, 0);
        EXPECT_NEAR(g.m_y, 2 * g.m_x, 0.05);
    }
    // f'' = 2 likewise, across the whole view; off: nothing.
    dc.ClearRecords();
    f.Data().m_showSecondDerivative = 1;
    KTCurvePainter(f).DrawSecondDerivativePairs(dc);
    ASSERT_EQ(dc.GetRecords().size(), 1u);
    EXPECT_NEAR(axes.DeviceToGraph(dc.GetRecords()[0].points.front(), 0, 0).m_x, -10.0, 0.02);
    EXPECT_NEAR(axes.DeviceToGraph(dc.GetRecords()[0].points.back(), 0, 0).m_x, 10.0, 0.02);
    EXPECT_NEAR(axes.DeviceToGraph(dc.GetRecords()[0].points.back(), 0, 0).m_y, 2.0, 0.02);
    dc.ClearRecords();
    f.Data().m_showFirstDerivative = 0;
    f.Data().m_showSecondDerivative = 0;
    KTCurvePainter(f).DrawPointPairs(dc);
    KTCurvePainter(f).DrawSecondDerivativePairs(dc);
    EXPECT_TRUE(dc.GetRecords().empty());
}

TEST_F(CurveDrawing, EndArrowUnderTextMapping)
{
    kttest::Prepare(f, Form::Explicit, "x");
    KTCurvePainter painter(f);
    // In the middle of the view: no arrow.
    painter.DrawEndArrow(dc, 1, 1, 0, 0, false);
    EXPECT_TRUE(dc.GetRecords().empty());
    // Near the top right corner, the curve coming from below left.
    painter.DrawEndArrow(dc, 9, 9, 0, 0, false);
    ASSERT_EQ(Count(KTDCRecordKind::Polygon), 1);
    const std::vector<CPoint>& head = dc.GetRecords()[0].points;
    ASSERT_EQ(head.size(), 4u);
    const CPoint tip = axes.GraphToDevice(9, 9, 0, 0);
    EXPECT_EQ(head[0], tip);
    EXPECT_EQ(head[3], tip);
    // Three units back along the curve, one to either side.
    const double length =
        std::hypot((head[1].x + head[2].x) / 2.0 - tip.x, (head[1].y + head[2].y) / 2.0 - tip.y);
    EXPECT_NEAR(length, 3.0, 0.75);
    EXPECT_NEAR(std::hypot(head[1].x - head[2].x, head[1].y - head[2].y), 2.0, 0.75);
    EXPECT_LT((head[1].x + head[2].x) / 2.0, tip.x); // the base lies towards the curve
}

TEST_F(CurveDrawing, EdgeArrowsWhereTheCurveLeavesTheView)
{
    kttest::Prepare(f, Form::Explicit, "x 2 ^ 5 -");
    kttest::Recalculate(f);
    f.Draw(dc);
    // Enters at the top left, leaves at the top right.
    ASSERT_EQ(Count(KTDCRecordKind::Polygon), 2);
    // Arrows off: none; a curve leaving its domain (undefined) gets none either.
    dc.ClearRecords();
    f.Data().m_options.m_showFunctionArrows.m_value = 0;
    f.Draw(dc);
    EXPECT_EQ(Count(KTDCRecordKind::Polygon), 0);
}

TEST_F(CurveDrawing, MarkerDecorations)
{
    kttest::Prepare(f, Form::Explicit, "x 2 ^ 1 - x 1 - /");
    kttest::SetPostfix(f, KTFunctionData3::DiscontinuityList, "x 1 -");
    kttest::Recalculate(f);
    f.Draw(dc);
    EXPECT_EQ(EllipsesAt(axes.GraphToDevice(1, 2, 0, 0)), 1); // the hole at (1, 2)

    kttest::SetAxes(axes, 2, 10, -10, 10); // the hole outside the view: nothing
    kttest::Recalculate(f);
    dc.ClearRecords();
    f.Draw(dc);
    EXPECT_EQ(Count(KTDCRecordKind::Ellipse), 0);

    kttest::SetAxes(axes, -10, 10, -10, 10);
    kttest::Prepare(f, Form::Explicit, "1 x /");
    kttest::SetPostfix(f, KTFunctionData3::DiscontinuityList, "x");
    kttest::Recalculate(f);
    for (int on : {1, 0}) {
        f.Data().m_options.m_vAsym.m_value = static_cast<BYTE>(on);
        dc.ClearRecords();
        f.Draw(dc);
        const CPoint top = axes.GraphToDevice(0, 10, 0, 0);
        const CPoint bottom = axes.GraphToDevice(0, -10, 0, 0);
        int lines = 0;
        for (const KTDCRecord& r : dc.GetRecords())
            lines += r.kind == KTDCRecordKind::Line && r.points[0] == top && r.points[1] == bottom;
        EXPECT_EQ(lines, on) << on;
    }
}

TEST_F(CurveDrawing, InkWhereTheCurveMustBe)
{
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(Qt::white);
    kttest::SetAxes(axes, -4, 4, -3, 3, 399, 299);
    kttest::Prepare(f, Form::Explicit, "x 2 ^ 2 -");
    kttest::Recalculate(f);
    {
        KTDC painterDc(&image);
        f.Draw(painterDc);
    }
    const auto inked = [&](double x, double y) {
        const CPoint p = axes.GraphToDevice(x, y, 0, 0);
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                if (image.pixel(p.x + dx, p.y + dy) != qRgb(255, 255, 255))
                    return true;
        return false;
    };
    for (double x : {-2.0, -1.0, 0.0, 0.5, 1.5, 2.0})
        EXPECT_TRUE(inked(x, x * x - 2)) << x;
    EXPECT_FALSE(inked(0, 1));
    EXPECT_FALSE(inked(-3, -2));
}

TEST_F(CurveDrawing, PointsAndVectors)
{
    kttest::Prepare(f, Form::Points, nullptr);
    f.Parts().AddPart("(1, 2)", "(1, 2)", KTPartDomainOrPoint);
    f.Parts().AddPart("+", "+", KTPartOperation);
    f.Parts().AddPart("<3, 4>", "<3, 4>", KTPartVector);
    f.Draw(dc);
    const CPoint point = axes.GraphToDevice(1, 2, 0, 0);
    const CPoint tip = axes.GraphToDevice(4, 6, 0, 0);
    EXPECT_GE(EllipsesAt(point), 1); // the point's marker
    int shafts = 0;
    for (const KTDCRecord& r : dc.GetRecords())
        shafts += r.kind == KTDCRecordKind::Line && r.points[0] == point && r.points[1] == tip;
    EXPECT_EQ(shafts, 1);
    EXPECT_GE(Count(KTDCRecordKind::Polygon), 1); // its head
}
