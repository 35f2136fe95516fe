#include "KTCurveTestSupport.h"
#include "KTFunction3TestHelpers.h"

#include "engine/KTCurveSampler.h"
#include "foundation/KTSentinelValues.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

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

TEST_F(CurveSampling, ABranchThatRunsOffReachesTheEdge)
{
    // ln x leaves the view at its foot, x = e^-10, not at the first sample past 0; 1/x does at
    // -1/1000 in a tall view.
    struct Row
    {
        const char* postfix;
        double ymin, ymax;
        double end;          ///< where the branch runs off
        double side;         ///< the side of it the branch lies on
        double edgeX, edgeY; ///< where it meets the view's edge
    };
    const Row rows[] = {
        {"x LN", -10, 10, 0.0, 1.0, std::exp(-10.0), -10},
        {"1 x /", -1000, 1000, 0.0, -1.0, -0.001, -1000},
        {"1 x /", -1000, 1000, 0.0, 1.0, 0.001, 1000},
    };
    for (const Row& row : rows) {
        kttest::SetAxes(axes, -10, 10, row.ymin, row.ymax);
        kttest::Prepare(f, Form::Explicit, row.postfix);
        f.Calculate();
        int nearest = -1;
        for (int k = 0; k < f.m_buffer1->m_count; ++k) {
            const double distance = (P(k).m_point.m_x - row.end) * row.side;
            if (P(k).m_draw && distance > 0.0 &&
                (nearest < 0 || distance < (P(nearest).m_point.m_x - row.end) * row.side))
                nearest = k;
        }
        ASSERT_GE(nearest, 0) << row.postfix;
        const double pixel = (row.ymax - row.ymin) / 1199;
        EXPECT_NEAR(P(nearest).m_point.m_y, row.edgeY, 1e-3 * pixel) << row.postfix;
        EXPECT_NEAR(P(nearest).m_point.m_x, row.edgeX, 1e-3 * std::fabs(row.edgeX)) << row.postfix;
    }
}

TEST_F(CurveSampling, WithoutATypedDomainTheSamplesSpanTheViewHoweverWide)
{
    for (const double half : {10.0, 1e5, 1e6, 1e9}) {
        kttest::SetAxes(axes, -half, half, -half, half);
        kttest::Prepare(f, Form::Explicit, "x");
        f.Data().m_domain.m_low = KTFunctionDomain::ExplicitDefaultLow;
        f.Data().m_domain.m_high = KTFunctionDomain::ExplicitDefaultHigh;
        f.Calculate();
        ASSERT_EQ(f.m_buffer1->m_count, 1601) << half;
        EXPECT_DOUBLE_EQ(P(0).m_point.m_x, -half);
        EXPECT_DOUBLE_EQ(P(1600).m_point.m_x, half);
        for (int k = 0; k <= 1600; ++k)
            ASSERT_EQ(P(k).m_draw, 1) << half << " sample " << k;
        // The stored default stays; the plotted ends are the view's.
        EXPECT_EQ(f.Data().m_domain.m_low, -100000.0);
        EXPECT_EQ(f.Data().m_domain.m_high, 100000.0);
        EXPECT_DOUBLE_EQ(f.Data().m_plottedLow, -half);
        EXPECT_DOUBLE_EQ(f.Data().m_plottedHigh, half);
    }
    // Any other domain is kept, however far beyond the default it reaches.
    kttest::SetAxes(axes, -1e6, 1e6, -1e6, 1e6);
    kttest::Prepare(f, Form::Explicit, "x");
    f.Data().m_domain.m_low = -2e5;
    f.Data().m_domain.m_high = 3e5;
    f.Data().m_domain.m_lowEnd = f.Data().m_domain.m_highEnd = KTFunctionDomain::EndClosed;
    f.Calculate();
    ASSERT_EQ(f.m_buffer1->m_count, 401);
    EXPECT_DOUBLE_EQ(P(0).m_point.m_x, -2e5);
    EXPECT_DOUBLE_EQ(P(400).m_point.m_x, 3e5);
}

TEST_F(CurveSampling, PolesBreakTheCurveAndEachSideReachesTheEdge)
{
    const double pi = 3.14159265358979323846;
    const double degree = 57.29577951; // the evaluator's units per radian
    struct Row
    {
        const char* postfix;
        double xmin, xmax, ymin, ymax;
        int angleSystem;
        std::vector<double> poles;
    };
    const Row rows[] = {
        // Both samples beside each pole lie inside so tall a view.
        {"x TAN", -5, 5, -1000, 1000, 1, {-1.5 * pi, -0.5 * pi, 0.5 * pi, 1.5 * pi}},
        {"x TAN",
         -300,
         300,
         -1000,
         1000,
         0,
         {-1.5 * pi * degree, -0.5 * pi * degree, 0.5 * pi * degree, 1.5 * pi * degree}},
        {"1 x 0.3 - /", -5.1, 4.7, -1000, 1000, 1, {0.3}},
        {"1 x 2 ^ /", -5.1, 4.7, -1, 1000, 1, {0.0}},
        {"x ABS LN", -5.1, 4.7, -20, 5, 1, {0.0}},
        {"x ABS LN", -5, 5, -20, 5, 1, {0.0}}, // a sample on the pole itself
    };
    for (const Row& row : rows) {
        kttest::SetAxes(axes, row.xmin, row.xmax, row.ymin, row.ymax, 1599, 1199, row.angleSystem);
        kttest::Prepare(f, Form::Explicit, row.postfix);
        f.Calculate();
        const double pixel = (row.ymax - row.ymin) / 1199;
        for (const double pole : row.poles) {
            int before = -1;
            int after = -1;
            for (int k = 0; k < f.m_buffer1->m_count; ++k) {
                if (!P(k).m_draw)
                    continue;
                if (P(k).m_point.m_x < pole)
                    before = k;
                else if (after < 0)
                    after = k;
            }
            ASSERT_TRUE(before >= 0 && after >= 0) << row.postfix << " at " << pole;
            // Never joined across the pole: a point that is not drawn lies between.
            EXPECT_LT(before + 1, after) << row.postfix << " at " << pole;
            for (const int k : {before, after}) {
                const double y = P(k).m_point.m_y;
                EXPECT_LE(std::min(std::fabs(y - row.ymax), std::fabs(y - row.ymin)), 1e-3 * pixel)
                    << row.postfix << " at " << pole << " x " << P(k).m_point.m_x;
            }
        }
    }
}

TEST_F(CurveSampling, PolesDenserThanTheSamplesBreakEveryStepThatHoldsOne)
{
    // tan(1000 x) has some four poles a sample: no piece of the curve joins two branches.
    const double pi = 3.14159265358979323846;
    kttest::Prepare(f, Form::Explicit, "1000 x * TAN");
    f.Calculate();
    const auto branch = [&](double x) { return std::floor(1000.0 * x / pi + 0.5); };
    int joined = 0;
    for (int k = 0; k + 1 < f.m_buffer1->m_count; ++k)
        if (P(k).m_draw && P(k + 1).m_draw && !P(k).m_break)
            joined += branch(P(k).m_point.m_x) != branch(P(k + 1).m_point.m_x) ? 1 : 0;
    EXPECT_EQ(joined, 0);
}

TEST_F(CurveSampling, AJumpBreaksTheCurveAndAHoleDoesNot)
{
    // No sample falls on 0: the step across it holds the jump or the hole.
    kttest::SetAxes(axes, -5.1, 4.7, -6, 6);
    kttest::Prepare(f, Form::Explicit, "x x ABS /");
    f.Calculate();
    int gaps = 0;
    for (int k = 1; k + 1 < f.m_buffer1->m_count; ++k) {
        if (P(k).m_draw)
            continue;
        ++gaps;
        // The curve is drawn up to the jump on both sides.
        EXPECT_NEAR(P(k - 1).m_point.m_x, 0.0, 1e-12);
        EXPECT_EQ(P(k - 1).m_point.m_y, -1.0);
        EXPECT_NEAR(P(k + 1).m_point.m_x, 0.0, 1e-12);
        EXPECT_EQ(P(k + 1).m_point.m_y, 1.0);
    }
    EXPECT_EQ(gaps, 1);

    for (const char* hole : {"x SIN x /", "x 2 ^ x /"}) {
        kttest::Prepare(f, Form::Explicit, hole);
        f.Calculate();
        EXPECT_EQ(f.m_buffer1->m_count, 1601) << hole;
        for (int k = 0; k < f.m_buffer1->m_count; ++k)
            ASSERT_EQ(P(k).m_draw, 1) << hole << " sample " << k;
    }
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

TEST_F(CurveSampling, PolarCurvesBreakAtThePolesOfTheirRadius)
{
    // r = tan(angle) in degrees runs off at the evaluator's (k + 1/2) pi 57.29577951; in so
    // tall a view the samples beside the poles are drawn. The polyline ends at the sample
    // before each pole, and nowhere else.
    const double pole = 3.14159265358979323846 * 57.29577951;
    kttest::SetAxes(axes, -10, 10, -1e6, 1e6, 1599, 1199, 0);
    kttest::Prepare(f, Form::Polar, "x TAN");
    f.Calculate();
    std::vector<double> ends;
    for (int k = 0; k + 1 < f.m_buffer1->m_count; ++k) {
        ASSERT_TRUE(P(k).m_draw) << k;
        if (P(k).m_break)
            ends.push_back(P(k).m_point.m_x);
    }
    ASSERT_EQ(ends.size(), 2u);
    const double step = 360.0 / 1599;
    for (int i = 0; i < 2; ++i) {
        EXPECT_LT(ends[static_cast<std::size_t>(i)], (i + 0.5) * pole);
        EXPECT_GT(ends[static_cast<std::size_t>(i)] + step, (i + 0.5) * pole);
    }
}

TEST_F(CurveSampling, PolarPiecesBesideAPoleReachTheEdgeOfTheView)
{
    // r = 1/cos(angle) is the line x = 1, r = 1/sin(angle) the line y = 1, r = 1/(1 - cos(angle))
    // the parabola y^2 = 2x + 1 from (-1/2, 0) to the right: beside their poles they run off the
    // view, whatever its size and the unit of the angle. The drawn points reach the view's edges.
    struct Row
    {
        const char* postfix;
        bool alongY;    ///< the ends lie on the bottom and top edges (else the left and right)
        bool bothEdges; ///< on both (else on the top or the right only)
    };
    const Row rows[] = {{"1 x COS /", true, true}, {"1 x SIN /", false, true}, {"1 1 x COS - /", false, false}};
    // Views centred on the origin and moved off it by half their size (the lines still cross them
    // from edge to edge; the parabola's vertex then lies beside a corner, and it is left out).
    for (const Row& row : rows)
        for (const double half : {10.0, 1000.0, 1e5})
            for (const double shift : {0.0, 0.5})
                for (const int unit : {0, 1, 2})
                    for (const auto& size : {std::pair{1599, 1199}, {499, 399}}) {
                        if (shift != 0.0 && !row.bothEdges)
                            continue;
                        const double lowEdge = -half + shift * half;
                        const double highEdge = half + shift * half;
                        kttest::SetAxes(axes, lowEdge, highEdge, lowEdge, highEdge, size.first, size.second, unit);
                        kttest::Prepare(f, Form::Polar, row.postfix);
                        f.Calculate();
                        KTCurveRefiner(f).ToPolar();
                        double low = highEdge, high = lowEdge;
                        for (int k = 0; k < f.m_buffer1->m_count; ++k)
                            if (P(k).m_draw) {
                                const double v = row.alongY ? P(k).m_point.m_y : P(k).m_point.m_x;
                                low = std::min(low, v);
                                high = std::max(high, v);
                            }
                        const double pixel = 2 * half / (row.alongY ? size.second : size.first);
                        SCOPED_TRACE(std::string(row.postfix) + " on +-" + std::to_string(half) + " moved " +
                                     std::to_string(shift) + " unit " + std::to_string(unit) + " " +
                                     std::to_string(size.first));
                        EXPECT_NEAR(low, row.bothEdges ? lowEdge : -0.5, 0.01 * pixel);
                        EXPECT_NEAR(high, highEdge, 0.01 * pixel);
                    }
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
    ASSERT_GT(count, 8);
    EXPECT_EQ(f.m_implicitOverflow, 0);
    // A pixel is 10 / 1599 wide and 10 / 1199 high; the circle's radius is 2.
    const double pixel = 10.0 / 1599;
    for (int i = 0; i < count; ++i) {
        EXPECT_NEAR(Radius(P(i).m_point), 2.0, 0.5 * pixel) << i;
        EXPECT_EQ(P(i).m_draw, 1);
    }
    EXPECT_EQ(P(0).m_point, P(count - 1).m_point);
    EXPECT_EQ(P(0).m_break, 1);
    EXPECT_EQ(P(count - 1).m_break, 1);
    for (int i = 1; i + 1 < count; ++i)
        EXPECT_EQ(P(i).m_break, 0) << i;
    // Smooth: the middle of every chord lies within half a pixel of the circle too.
    for (int i = 1; i < count; ++i) {
        const KTPoint middle((P(i).m_point.m_x + P(i - 1).m_point.m_x) / 2,
                             (P(i).m_point.m_y + P(i - 1).m_point.m_y) / 2);
        EXPECT_NEAR(Radius(middle), 2.0, 0.5 * pixel) << i;
    }
}

TEST_F(CurveSampling, SmallLoopsAreKept)
{
    // Circles about the corner of the view, of radius 8 and 16 pixels: the quarter inside the
    // view runs from its bottom edge to its left edge. A circle of 3.2 pixels' radius inside
    // the view closes.
    kttest::SetAxes(axes, -5, 5, -5, 5, 1600, 1600);
    const double pixel = 10.0 / 1600;
    struct Row
    {
        const char* square;
        const char* curve;
        double cx, cy, r;
        bool closed;
    };
    const Row rows[] = {
        {"0.0025", "x 5 + 2 ^ y 5 + 2 ^ +", -5, -5, 0.05, false},
        {"0.01", "x 5 + 2 ^ y 5 + 2 ^ +", -5, -5, 0.1, false},
        {"0.0004", "x 1 - 2 ^ y 1 - 2 ^ +", 1, 1, 0.02, true},
    };
    for (const Row& row : rows) {
        kttest::Prepare(f, Form::Implicit, row.square, row.curve);
        f.Calculate();
        const int count = f.m_buffer1->m_count;
        ASSERT_GE(count, 4) << row.r;
        for (int i = 0; i < count; ++i)
            EXPECT_NEAR(std::hypot(P(i).m_point.m_x - row.cx, P(i).m_point.m_y - row.cy), row.r, 0.5 * pixel)
                << row.r << " " << i;
        const KTPoint& first = P(0).m_point;
        const KTPoint& last = P(count - 1).m_point;
        if (row.closed) {
            EXPECT_EQ(first, last) << row.r;
        } else {
            // One end on each edge through the corner.
            const KTPoint& onBottom = first.m_y < last.m_y ? first : last;
            const KTPoint& onLeft = first.m_y < last.m_y ? last : first;
            EXPECT_DOUBLE_EQ(onBottom.m_y, -5.0) << row.r;
            EXPECT_NEAR(onBottom.m_x, -5.0 + row.r, 0.5 * pixel) << row.r;
            EXPECT_DOUBLE_EQ(onLeft.m_x, -5.0) << row.r;
            EXPECT_NEAR(onLeft.m_y, -5.0 + row.r, 0.5 * pixel) << row.r;
        }
    }
}

TEST_F(CurveSampling, LongTracesContinueInTheSecondBuffer)
{
    // y = sin(100x) over 159 periods takes more than 1600 points: the first buffer counts 1600,
    // the second holds the rest, and the line goes on from the last point of the first.
    kttest::SetAxes(axes, -5, 5, -1.2, 1.2);
    kttest::Prepare(f, Form::Implicit, "x 100 * SIN", "y");
    f.Calculate();
    ASSERT_EQ(f.m_implicitOverflow, 1);
    EXPECT_EQ(f.m_buffer1->m_count, 1600);
    ASSERT_GT(f.m_buffer2->m_count, 0);
    for (KTCurvePointBuffer* buffer : {f.m_buffer1.get(), f.m_buffer2.get()}) {
        for (int i = 0; i < buffer->m_count; ++i) {
            const KTPoint& p = buffer->m_points[static_cast<std::size_t>(i)].m_point;
            // Half a pixel across the curve: its slope reaches 100, a pixel is 1 / 160 wide.
            const double slope = 100 * std::cos(100 * p.m_x);
            const double across =
                std::fabs(p.m_y - std::sin(100 * p.m_x)) / std::hypot(slope * 10.0 / 1599, 2.4 / 1199);
            EXPECT_LE(across, 0.5) << i;
        }
    }
    const KTCurvePoint& last = f.m_buffer1->m_points[1599];
    const KTCurvePoint& next = f.m_buffer2->m_points[0];
    if (!last.m_break) {
        EXPECT_EQ(next.m_point, last.m_point);
    }
    // Every x of the view is covered: the line crosses the view once from left to right.
    double low = 1e9;
    double high = -1e9;
    for (KTCurvePointBuffer* buffer : {f.m_buffer1.get(), f.m_buffer2.get()})
        for (int i = 0; i < buffer->m_count; ++i) {
            low = std::min(low, buffer->m_points[static_cast<std::size_t>(i)].m_point.m_x);
            high = std::max(high, buffer->m_points[static_cast<std::size_t>(i)].m_point.m_x);
        }
    EXPECT_DOUBLE_EQ(low, -5.0);
    EXPECT_DOUBLE_EQ(high, 5.0);
}

TEST_F(CurveSampling, InequalityTracesItsBoundary)
{
    kttest::SetAxes(axes, -5, 5, -5, 5);
    kttest::Prepare(f, Form::Implicit, "x 1 +", "y"); // y < x + 1
    f.Data().m_relation = ASKind::Less;
    f.Calculate();
    // A straight line needs its two ends only: (-5, -4) on the left edge, (4, 5) on the top.
    ASSERT_GE(f.m_buffer1->m_count, 2);
    for (int i = 0; i < f.m_buffer1->m_count; ++i)
        EXPECT_NEAR(P(i).m_point.m_y, P(i).m_point.m_x + 1, 0.5 * 10.0 / 1199) << i;
    const int last = f.m_buffer1->m_count - 1;
    EXPECT_DOUBLE_EQ(std::min(P(0).m_point.m_x, P(last).m_point.m_x), -5.0);
    EXPECT_DOUBLE_EQ(std::max(P(0).m_point.m_y, P(last).m_point.m_y), 5.0);
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

// A domain on the dependent variable: the curve is drawn where its values lie inside and ends
// exactly where it meets the bound; the bisection finds the end to the last bits.
TEST_F(CurveSampling, ADomainOnTheDependentVariableBoundsTheValues)
{
    kttest::SetAxes(axes, -5, 5, -5, 5);
    const struct
    {
        const char* text;
        double endLow, endHigh; ///< the ends along the sampled variable (closed forms)
        bool swapped;           ///< x = f(y): the sampled variable is y
        bool (*inside)(double x, double y);
    } rows[] = {
        {"y = x^2; y < 4", -2, 2, false, [](double, double y) { return y < 4; }},
        {"y = x^2 - 3; y <= 1", -2, 2, false, [](double, double y) { return y <= 1; }},
        {"x^2 + y^2 = 4; y > 0", -2, 2, false, [](double, double y) { return y > 0; }},
        {"x = y^2; x < 4", -2, 2, true, [](double x, double) { return x < 4; }},
        {"y = x^3; -1 <= y <= 4", -1, 1.5874010519681994, false,
         [](double, double y) { return y >= -1 && y <= 4; }},
    };
    for (const auto& row : rows) {
        kttest::InterpretText(f, row.text);
        ASSERT_EQ(KTStatusExplicit, f.Status()) << row.text;
        f.Calculate();
        double low = 1e9;
        double high = -1e9;
        int drawn = 0;
        for (KTCurvePointBuffer* buffer : {f.m_buffer1.get(), f.m_buffer2.get()}) {
            const int count = buffer == f.m_buffer2.get() && !f.m_twoBranches ? 0 : buffer->m_count;
            for (int i = 0; i < count; ++i) {
                const KTCurvePoint& p = buffer->m_points[static_cast<std::size_t>(i)];
                if (!p.m_draw)
                    continue;
                ++drawn;
                // A swapped form keeps (y, x) in its points.
                const double x = row.swapped ? p.m_point.m_y : p.m_point.m_x;
                const double y = row.swapped ? p.m_point.m_x : p.m_point.m_y;
                EXPECT_TRUE(row.inside(x, y)) << row.text << " at " << x << ", " << y;
                const double along = p.m_point.m_x;
                low = std::min(low, along);
                high = std::max(high, along);
            }
        }
        EXPECT_GT(drawn, 100) << row.text;
        EXPECT_NEAR(low, row.endLow, 1e-9) << row.text;
        EXPECT_NEAR(high, row.endHigh, 1e-9) << row.text;
    }
    // A pair holds (x, y), a polar form (angle, r): the drawn values reach the bound as well.
    const struct
    {
        const char* text;
        bool polar;
        double low, high; ///< the drawn y of a pair, or r, from end to end (closed forms)
        bool x;           ///< a pair's x instead of its y
    } ends[] = {
        {"x = 3cos(t); y = 3sin(t); y > 1", false, 1, 3, false},
        {"x = 3cos(t); y = 3sin(t); x < 1", false, -3, 1, true},
        {"r = th; r < 3", true, 0, 3, false},
        {"r = 1 + th/2; 2 < r < 3", true, 2, 3, false},
    };
    for (const auto& row : ends) {
        kttest::InterpretText(f, row.text);
        f.Calculate();
        double low = 1e9;
        double high = -1e9;
        for (int i = 0; i < f.m_buffer1->m_count; ++i) {
            const KTCurvePoint& p = P(i);
            if (!p.m_draw)
                continue;
            const double v = row.x ? p.m_point.m_x : p.m_point.m_y;
            low = std::min(low, v);
            high = std::max(high, v);
        }
        EXPECT_NEAR(low, row.low, 1e-9) << row.text;
        EXPECT_NEAR(high, row.high, 1e-9) << row.text;
    }

    // Only the upper half of the circle: the lower branch has no value anywhere.
    kttest::InterpretText(f, "x^2 + y^2 = 4; y > 0");
    f.Calculate();
    for (int i = 0; i < f.m_buffer2->m_count; ++i)
        EXPECT_FALSE(f.m_buffer2->m_points[static_cast<std::size_t>(i)].m_draw) << i;

    // An implicit relation: the lattice's rows stop at the bound.
    kttest::InterpretText(f, "sin(y) = x; y > 0");
    ASSERT_EQ(KTStatusImplicit, f.Status());
    f.Calculate();
    ASSERT_GT(f.m_buffer1->m_count, 10);
    for (int i = 0; i < f.m_buffer1->m_count; ++i)
        EXPECT_GE(P(i).m_point.m_y, 0.0) << i;
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

TEST_F(CurveSampling, PolarPointsAreTheirAnglesDirectionsToTheLastBit)
{
    // One function calculated again and again, as a family and changes of the view calculate
    // it: each time its points are r (cos, sin) of their own angle, however the angle unit or
    // the range of angles changed since the directions were last made.
    struct Row
    {
        int angleSystem;
        double low;
        double high;
        double scale; // radians per unit of angle
    };
    const Row rows[] = {
        {1, 0.0, 2 * M_PI, 1.0},     {1, 0.0, 2 * M_PI, 1.0},     {0, 0.0, 360.0, M_PI / 180},
        {2, 0.0, 400.0, M_PI / 200}, {1, -M_PI, 3 * M_PI, 1.0},   {0, 0.0, 360.0, M_PI / 180},
        {1, 0.0, 360.0, 1.0},        {2, 0.0, 360.0, M_PI / 200}, // the same angles in other units
    };
    kttest::Prepare(f, Form::Polar, "2 q 2 * COS 3 * +"); // r = 2 + 3 cos(2 theta)
    for (const Row& row : rows) {
        kttest::SetAxes(axes, -4, 4, -4, 4, 1599, 1199, row.angleSystem);
        f.Data().m_domain.m_low = row.low;
        f.Data().m_domain.m_high = row.high;
        f.Calculate();
        ASSERT_EQ(f.m_buffer1->m_count, 1600);
        std::vector<KTPoint> sampled;
        for (int k = 0; k < 1600; ++k)
            sampled.push_back(P(k).m_point);
        // Where the rose leaves the view and comes back, a point on the edge is added after the
        // sample before.
        EXPECT_FALSE(f.m_buffer1->m_afterConversion.empty());
        std::vector<int> at(1600);
        std::vector<bool> added(1600 + f.m_buffer1->m_afterConversion.size(), false);
        for (int k = 0, shift = 0; k < 1600; ++k) {
            at[static_cast<std::size_t>(k)] = k + shift;
            for (const auto& extra : f.m_buffer1->m_afterConversion)
                if (extra.first == k)
                    added[static_cast<std::size_t>(k + ++shift)] = true;
        }
        KTCurveRefiner(f).ToPolar();
        ASSERT_EQ(f.m_buffer1->m_count, static_cast<int>(added.size()));
        for (std::size_t j = 0; j < added.size(); ++j)
            if (added[j]) {
                const KTPoint& p = P(static_cast<int>(j)).m_point;
                EXPECT_NEAR(std::max(std::fabs(p.m_x), std::fabs(p.m_y)), 4.0, 1e-3 * 8 / 1199) << j;
            }
        int inside = 0;
        for (int k = 0; k < 1600; ++k) {
            const int j = at[static_cast<std::size_t>(k)];
            const double a = sampled[static_cast<std::size_t>(k)].m_x;
            const double r = sampled[static_cast<std::size_t>(k)].m_y;
            // The units per radian are fixed to ten digits.
            EXPECT_NEAR(r, 2 + 3 * std::cos(2 * a * row.scale), 1e-7) << k;
            const double s = 1.0 / axes.AngleFactor();
            const double x = r * std::cos(s * a);
            const double y = r * std::sin(s * a);
            EXPECT_EQ(P(j).m_point.m_x, x) << row.angleSystem << " " << k;
            EXPECT_EQ(P(j).m_point.m_y, y) << row.angleSystem << " " << k;
            const bool in = -4 < x && x < 4 && -4 < y && y < 4;
            EXPECT_EQ(P(j).m_draw, in ? 1 : 0) << row.angleSystem << " " << k;
            inside += in ? 1 : 0;
        }
        // The rose of radius up to 5 leaves the view of +-4 and comes back.
        EXPECT_GT(inside, 400);
        EXPECT_LT(inside, 1600);
    }
}
