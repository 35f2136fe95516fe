#include "KTCurveTestSupport.h"

#include "engine/KTCurveSampler.h"
#include "foundation/KTSentinelValues.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using kttest::Form;

namespace {

class CurveSampling : public ::testing::Test
{
protected:
    CurveSampling() : f(&axes) { kttest::SetAxes(axes, -10, 10, -10, 10); }

    const KTCurvePoint& P(int i) const { return f.m_buffer1->m_points[static_cast<std::size_t>(i)]; }

    KTAxes axes;
    KTFunction3 f;
};

/// |f(x)| - r for points of an implicit trace: the crossing is found by six halvings of a cell
/// edge, so a point lies within a 64th of a cell of the curve.
double Radius(const KTPoint& p)
{
    return std::sqrt(p.m_x * p.m_x + p.m_y * p.m_y);
}

} // namespace

TEST_F(CurveSampling, ExplicitSamplesOnePositionPerPixelOverTheRange)
{
    kttest::Prepare(f, Form::Explicit, "x 2 ^ 4 -");
    f.Calculate();
    // 1599 pixels: 1600 steps of 20 / 1600, both ends included.
    ASSERT_EQ(f.m_buffer1->m_count, 1601);
    for (int k : {0, 1, 800, 1234, 1600}) {
        EXPECT_DOUBLE_EQ(P(k).m_point.m_x, -10.0 + k * 0.0125) << k;
        const double x = P(k).m_point.m_x;
        EXPECT_DOUBLE_EQ(P(k).m_point.m_y, x * x - 4) << k;
    }
    EXPECT_NEAR(f.m_tolerance, 0.0125, 1e-12);
    // x^2 - 4 leaves the view above 10 where |x| > sqrt(14).
    EXPECT_EQ(P(0).m_draw, 0);
    EXPECT_EQ(P(0).m_break, 1);
    EXPECT_EQ(P(800).m_draw, 1);
    EXPECT_EQ(P(800).m_break, 0);
}

TEST_F(CurveSampling, PositionsNeverExceedTheLimitOf1601)
{
    kttest::SetAxes(axes, -10, 10, -10, 10, 5000, 1199);
    kttest::Prepare(f, Form::Explicit, "x");
    f.Calculate();
    EXPECT_EQ(f.m_buffer1->m_count, 1601);
}

TEST_F(CurveSampling, EdgeRefinementMovesBoundaryPointsToTheEdge)
{
    kttest::Prepare(f, Form::Explicit, "x 2 ^");
    f.Calculate();
    const double edge = std::sqrt(10.0);
    int entering = -1;
    int leaving = -1;
    for (int i = 0; i + 1 < f.m_buffer1->m_count; ++i) {
        if (!P(i).m_draw && P(i + 1).m_draw)
            entering = i + 1;
        if (P(i).m_draw && !P(i + 1).m_draw)
            leaving = i;
    }
    ASSERT_GE(entering, 0);
    ASSERT_GE(leaving, 0);
    // Within one hundredth of a sample step (0.000125) of the edge, still inside the view.
    EXPECT_NEAR(P(entering).m_point.m_x, -edge, 0.000125);
    EXPECT_LE(P(entering).m_point.m_y, 10.0);
    EXPECT_NEAR(P(leaving).m_point.m_x, edge, 0.000125);
    EXPECT_LE(P(leaving).m_point.m_y, 10.0);
    EXPECT_DOUBLE_EQ(P(leaving).m_point.m_y, P(leaving).m_point.m_x * P(leaving).m_point.m_x);
}

TEST_F(CurveSampling, JumpAcrossTheViewKeepsBothNeighboursOff)
{
    // 1/x jumps from far below to far above between two samples on either side of 0 only
    // when both are off the view; with y in [-10, 10] the neighbours at +-0.0125 are.
    kttest::Prepare(f, Form::Explicit, "1 x /");
    f.Calculate();
    EXPECT_EQ(P(799).m_draw, 0);
    EXPECT_EQ(P(801).m_draw, 0);
    EXPECT_NEAR(P(801).m_point.m_x, 0.0125, 1e-12);
}

TEST_F(CurveSampling, DomainLimitsTheSamplesAndSettlesThePlottedEnds)
{
    kttest::Prepare(f, Form::Explicit, "x 2 ^");
    f.Data().m_domain.m_low = 0.0;
    f.Data().m_domain.m_high = 2.0;
    f.Data().m_domain.m_lowEnd = f.Data().m_domain.m_highEnd = KTFunctionDomain::EndClosed;
    f.Calculate();
    ASSERT_EQ(f.m_buffer1->m_count, 161);
    EXPECT_DOUBLE_EQ(P(0).m_point.m_x, 0.0);
    EXPECT_DOUBLE_EQ(P(160).m_point.m_x, 2.0);
    EXPECT_DOUBLE_EQ(f.Data().m_plottedLow, 0.0);
    EXPECT_DOUBLE_EQ(f.Data().m_plottedHigh, 2.0);
    EXPECT_EQ(f.Data().m_domain.m_lowEnd, KTFunctionDomain::EndClosed);
    EXPECT_EQ(f.Data().m_domain.m_highEnd, KTFunctionDomain::EndClosed);
}

TEST_F(CurveSampling, DomainEndsBeyondTheViewBecomeUnbounded)
{
    struct Row
    {
        double low, high;
        int lowEnd, highEnd;
        double plottedLow, plottedHigh;
        int wantLowEnd, wantHighEnd;
    };
    const Row rows[] = {
        // default domain: clamped to the x range, both unbounded
        {-1e8, 1e7, 11, 11, -10, 10, 11, 11},
        // "none" stays none when clamped
        {-20, 20, 10, 10, -10, 10, 10, 10},
        // closed ends whose values lie above the y range become unbounded (x^2 at 4 is 16)
        {-4, 1, 25, 25, -4, 1, 11, 25},
        // a high end not above the low end plots low to low + 0.01
        {1, 1, 17, 17, 1, 1.01, 17, 17},
    };
    for (const Row& row : rows) {
        kttest::Prepare(f, Form::Explicit, "x 2 ^");
        f.Data().m_domain.m_low = row.low;
        f.Data().m_domain.m_high = row.high;
        f.Data().m_domain.m_lowEnd = row.lowEnd;
        f.Data().m_domain.m_highEnd = row.highEnd;
        KTCurveSampler(f).SetDomainEnds();
        EXPECT_DOUBLE_EQ(f.Data().m_plottedLow, row.plottedLow) << row.low;
        EXPECT_DOUBLE_EQ(f.Data().m_plottedHigh, row.plottedHigh) << row.low;
        EXPECT_EQ(f.Data().m_domain.m_lowEnd, row.wantLowEnd) << row.low;
        EXPECT_EQ(f.Data().m_domain.m_highEnd, row.wantHighEnd) << row.low;
    }
}

TEST_F(CurveSampling, PolarSamplesBothEndsOfTheAngle)
{
    kttest::SetAxes(axes, -10, 10, -10, 10, 1599, 1199, 0); // degrees
    kttest::Prepare(f, Form::Polar, "2");
    f.Calculate();
    ASSERT_EQ(f.m_buffer1->m_count, 1600);
    EXPECT_DOUBLE_EQ(P(0).m_point.m_x, 0.0);
    EXPECT_NEAR(P(1599).m_point.m_x, 360.0, 1e-9);
    EXPECT_NEAR(P(1).m_point.m_x, 360.0 / 1599, 1e-12);
    EXPECT_DOUBLE_EQ(P(700).m_point.m_y, 2.0);
    EXPECT_EQ(P(700).m_draw, 1);
    // A radius that takes the point outside the view is off.
    kttest::Prepare(f, Form::Polar, "20");
    f.Calculate();
    EXPECT_EQ(P(0).m_draw, 0);
    EXPECT_EQ(P(0).m_break, 1);
}

TEST_F(CurveSampling, ParametricSamplesWithoutTheHighEnd)
{
    kttest::Prepare(f, Form::Parametric, "t 2 /", "t 3 /");
    f.Calculate();
    ASSERT_EQ(f.m_buffer1->m_count, 1600);
    for (int k : {0, 1, 999, 1599}) {
        const double t = k * 16.0 / 1600;
        EXPECT_NEAR(P(k).m_point.m_x, t / 2, 1e-12) << k;
        EXPECT_NEAR(P(k).m_point.m_y, t / 3, 1e-12) << k;
        EXPECT_EQ(P(k).m_draw, 1) << k;
    }
    EXPECT_LT(P(1599).m_point.m_x, 8.0);
    EXPECT_EQ(f.Data().CurrentListIndex(), KTFunctionData3::FirstBranchList);
}

TEST_F(CurveSampling, SwappedFormSamplesAlongY)
{
    kttest::Prepare(f, Form::Swapped, "x 2 ^"); // x = y^2 (the list's variable is the position)
    f.Calculate();
    // 1199 pixels of y: 1200 steps.
    ASSERT_EQ(f.m_buffer1->m_count, 1201);
    EXPECT_DOUBLE_EQ(P(1200).m_point.m_x, 10.0);  // position
    EXPECT_DOUBLE_EQ(P(1200).m_point.m_y, 100.0); // value, off the x range
    EXPECT_EQ(P(1200).m_draw, 0);
    EXPECT_EQ(P(600).m_draw, 1);
    KTCurveRefiner(f).ToPolar();
    EXPECT_DOUBLE_EQ(P(1200).m_point.m_x, 100.0);
    EXPECT_DOUBLE_EQ(P(1200).m_point.m_y, 10.0);
}

TEST_F(CurveSampling, AxisWithoutExtentGivesNoSamplesAndKeepsTheTolerance)
{
    kttest::SetAxes(axes, 3, 3, -10, 10);
    kttest::Prepare(f, Form::Explicit, "x");
    f.m_tolerance = 0.5;
    f.Calculate();
    EXPECT_EQ(f.m_buffer1->m_count, 0);
    EXPECT_DOUBLE_EQ(f.m_tolerance, 0.5);
}

TEST_F(CurveSampling, NothingWithoutInterpretation)
{
    kttest::Prepare(f, Form::Explicit, "x");
    f.Data().m_interpreted = 0;
    f.Calculate();
    EXPECT_EQ(f.m_buffer1->m_count, 0);
    EXPECT_EQ(f.m_buffer2->m_count, 0);
}

TEST(CurveSamplerSides, OppositeSides)
{
    const int rows[][2] = {{1, 2}, {2, 1}, {3, 4}, {4, 3}, {0, -1}, {5, -1}, {-1, -1}};
    for (const auto& row : rows)
        EXPECT_EQ(KTCurveSampler::OppositeSide(row[0]), row[1]) << row[0];
}

// ---- Implicit relations ---------------------------------------------------------------------------

TEST_F(CurveSampling, CircleClosesAndRepeatsItsFirstPoint)
{
    kttest::SetAxes(axes, -5, 5, -5, 5);
    kttest::Prepare(f, Form::Implicit, "4", "x 2 ^ y 2 ^ +");
    f.Calculate();
    const int count = f.m_buffer1->m_count;
    ASSERT_GT(count, 100);
    EXPECT_EQ(f.m_implicitOverflow, 0);
    const double cell = 10.0 / 150;
    for (int i = 0; i < count; ++i) {
        EXPECT_NEAR(Radius(P(i).m_point), 2.0, cell / 32) << i;
        EXPECT_EQ(P(i).m_draw, 1);
    }
    EXPECT_EQ(P(0).m_point, P(count - 1).m_point);
    EXPECT_EQ(P(0).m_break, 1);
    EXPECT_EQ(P(count - 1).m_break, 1);
    for (int i = 1; i + 1 < count; ++i)
        EXPECT_EQ(P(i).m_break, 0) << i;
    // One loop: neighbouring points lie in neighbouring cells.
    for (int i = 1; i < count; ++i) {
        const KTVector step = P(i).m_point.Difference(P(i - 1).m_point);
        EXPECT_LE(std::hypot(step.m_dx, step.m_dy), 1.5 * cell) << i;
    }
}

TEST_F(CurveSampling, TinyLoopsAreDiscarded)
{
    // Circles about the corner of the view: one of radius 0.05 crosses one cell only (two
    // points, discarded); one of radius 0.1 crosses three cells (four points, kept).
    kttest::SetAxes(axes, -5, 5, -5, 5);
    kttest::Prepare(f, Form::Implicit, "0.0025", "x 5 + 2 ^ y 5 + 2 ^ +");
    f.Calculate();
    EXPECT_EQ(f.m_buffer1->m_count, 0);
    kttest::Prepare(f, Form::Implicit, "0.01", "x 5 + 2 ^ y 5 + 2 ^ +");
    f.Calculate();
    EXPECT_EQ(f.m_buffer1->m_count, 4);
}

TEST_F(CurveSampling, LongTracesContinueInTheSecondBuffer)
{
    struct Row
    {
        const char* curve;
        bool capped;
    };
    // y = sin(5x) crosses about 2150 cells; y = sin(12x) more than 3200.
    const Row rows[] = {{"x 5 * SIN", false}, {"x 12 * SIN", true}};
    kttest::SetAxes(axes, -5, 5, -1.2, 1.2);
    for (const Row& row : rows) {
        kttest::Prepare(f, Form::Implicit, row.curve, "y");
        f.Calculate();
        EXPECT_EQ(f.m_implicitOverflow, 1) << row.curve;
        EXPECT_EQ(f.m_buffer1->m_count, 1600) << row.curve;
        EXPECT_GT(f.m_buffer2->m_count, 0) << row.curve;
        EXPECT_LE(f.m_buffer2->m_count, 3200 - 1601) << row.curve;
        if (row.capped)
            EXPECT_EQ(f.m_buffer2->m_count, 3200 - 1601) << row.curve;
        else
            EXPECT_LT(f.m_buffer2->m_count, 3200 - 1601) << row.curve;
        for (KTCurvePointBuffer* buffer : {f.m_buffer1.get(), f.m_buffer2.get()}) {
            for (int i = 0; i < buffer->m_count; ++i) {
                const KTPoint& p = buffer->m_points[static_cast<std::size_t>(i)].m_point;
                EXPECT_NEAR(p.m_y, std::sin((row.capped ? 12 : 5) * p.m_x), 0.02) << i;
            }
        }
    }
}

TEST_F(CurveSampling, InequalityTracesItsBoundary)
{
    kttest::SetAxes(axes, -5, 5, -5, 5);
    kttest::Prepare(f, Form::Implicit, "x 1 +", "y"); // y < x + 1
    f.Data().m_relation = ASKind::Less;
    f.Calculate();
    ASSERT_GT(f.m_buffer1->m_count, 100);
    for (int i = 0; i < f.m_buffer1->m_count; ++i)
        EXPECT_NEAR(P(i).m_point.m_y, P(i).m_point.m_x + 1, 10.0 / 150 / 32) << i;
}

TEST_F(CurveSampling, ImplicitTraceStaysWithinTheDomain)
{
    kttest::SetAxes(axes, -5, 5, -5, 5);
    kttest::Prepare(f, Form::Implicit, "4", "x 2 ^ y 2 ^ +");
    f.Data().m_domain.m_low = 0.0;
    f.Calculate();
    ASSERT_GT(f.m_buffer1->m_count, 10);
    for (int i = 0; i < f.m_buffer1->m_count; ++i)
        EXPECT_GE(P(i).m_point.m_x, 0.0) << i;
}

TEST_F(CurveSampling, TracesReachEveryEdgeOfTheView)
{
    // y = x/2 + 1 crosses the left and right edges; x = y/2 - 1 the bottom and top edges.
    kttest::SetAxes(axes, -5, 5, -5, 5);
    struct Row
    {
        const char* first;
        const char* second;
        bool alongX;
    };
    const Row rows[] = {{"x 2 / 1 +", "y", true}, {"y 2 / 1 -", "x", false}};
    for (const Row& row : rows) {
        kttest::Prepare(f, Form::Implicit, row.first, row.second);
        f.Calculate();
        double low = 1e9;
        double high = -1e9;
        for (int i = 0; i < f.m_buffer1->m_count; ++i) {
            const double v = row.alongX ? P(i).m_point.m_x : P(i).m_point.m_y;
            low = std::min(low, v);
            high = std::max(high, v);
        }
        EXPECT_NEAR(low, -5.0, 1e-9) << row.first;
        EXPECT_NEAR(high, 5.0, 1e-9) << row.first;
    }
}
