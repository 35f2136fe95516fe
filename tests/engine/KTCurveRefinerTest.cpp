#include "KTCurveTestSupport.h"

#include "engine/KTCurveAnalyser.h"
#include "engine/KTCurveRefiner.h"
#include "engine/KTCurveValues.h"
#include "foundation/KTSentinelValues.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

using kttest::Form;

namespace {

constexpr double kPi = 3.14159265358979323846;

class CurvePoints : public ::testing::Test
{
protected:
    CurvePoints() : f(&axes) { kttest::SetAxes(axes, -10, 10, -10, 10); }

    /// The markers of a kind, sorted by x.
    std::vector<KTMarker> Markers(int kind) const
    {
        std::vector<KTMarker> found;
        for (int i = 0; i < f.m_markers.m_count; ++i)
            if (f.m_markers.m_markers[static_cast<std::size_t>(i)].m_kind == kind)
                found.push_back(f.m_markers.m_markers[static_cast<std::size_t>(i)]);
        std::sort(found.begin(), found.end(),
                  [](const KTMarker& a, const KTMarker& b) { return a.m_point.m_x < b.m_point.m_x; });
        return found;
    }

    /// x of the markers of a kind with duplicates (within 1e-6) merged.
    std::vector<double> Xs(int kind) const
    {
        std::vector<double> xs;
        for (const KTMarker& m : Markers(kind))
            if (xs.empty() || std::fabs(xs.back() - m.m_point.m_x) > 1e-6)
                xs.push_back(m.m_point.m_x);
        return xs;
    }

    int Add(double x, double y, int kind)
    {
        KTMarker marker;
        marker.Init();
        marker.m_point = KTPoint(x, y);
        marker.m_kind = static_cast<KTMarkerKind>(kind);
        return KTCurveValues::AddMarker(f.m_markers, marker);
    }

    KTAxes axes;
    KTFunction3 f;
};

} // namespace

TEST_F(CurvePoints, RootsMatchClosedForms)
{
    struct Row
    {
        const char* postfix;
        int angleSystem;
        double xmin, xmax;
        std::vector<double> roots;
        double tolerance = 1e-8;
    };
    const Row rows[] = {
        {"x 2 ^ 4 -", 1, -10, 10, {-2, 2}},
        {"x 3 ^ x -", 1, -10, 10, {-1, 0, 1}},
        {"x SIN", 1, -10, 10, {-3 * kPi, -2 * kPi, -kPi, 0, kPi, 2 * kPi, 3 * kPi}},
        // Degrees: |sin| stays below 1e-8 within 6e-7 degrees of a root, and the ten-digit degree
        // factor puts the evaluator's own zeros 2e-8 short of k * 180.
        {"x SIN", 0, -400, 400, {-360, -180, 0, 180, 360}, 1e-6},
    };
    for (const Row& row : rows) {
        kttest::SetAxes(axes, row.xmin, row.xmax, -10, 10, 1599, 1199, row.angleSystem);
        kttest::Prepare(f, Form::Explicit, row.postfix);
        kttest::Recalculate(f);
        const std::vector<double> xs = Xs(KTMarkerXIntercept);
        ASSERT_EQ(xs.size(), row.roots.size()) << row.postfix;
        for (std::size_t i = 0; i < xs.size(); ++i)
            EXPECT_NEAR(xs[i], row.roots[i], row.tolerance) << row.postfix << " root " << i;
        for (const KTMarker& m : Markers(KTMarkerXIntercept)) {
            EXPECT_EQ(m.m_refined, 1);
            EXPECT_NEAR(m.m_point.m_y, 0.0, 1e-8);
        }
    }
}

TEST_F(CurvePoints, TurningPointsAndInflections)
{
    kttest::Prepare(f, Form::Explicit, "x 2 ^ 4 -");
    kttest::Recalculate(f);
    ASSERT_EQ(Markers(KTMarkerLocalMinimum).size(), 1u);
    EXPECT_NEAR(Markers(KTMarkerLocalMinimum)[0].m_point.m_x, 0.0, 1e-8);
    EXPECT_NEAR(Markers(KTMarkerLocalMinimum)[0].m_point.m_y, -4.0, 1e-8);
    EXPECT_EQ(Markers(KTMarkerLocalMinimum)[0].m_refined, 1);

    // x^3 - x: maximum at -1/sqrt(3), minimum at 1/sqrt(3), inflection at 0.
    kttest::Prepare(f, Form::Explicit, "x 3 ^ x -");
    kttest::Recalculate(f);
    const double t = 1 / std::sqrt(3.0);
    ASSERT_EQ(Markers(KTMarkerLocalMaximum).size(), 1u);
    ASSERT_EQ(Markers(KTMarkerLocalMinimum).size(), 1u);
    EXPECT_NEAR(Markers(KTMarkerLocalMaximum)[0].m_point.m_x, -t, 1e-8);
    EXPECT_NEAR(Markers(KTMarkerLocalMaximum)[0].m_point.m_y, t - t * t * t, 1e-8);
    EXPECT_NEAR(Markers(KTMarkerLocalMinimum)[0].m_point.m_x, t, 1e-8);
    ASSERT_EQ(Xs(KTMarkerInflection).size(), 1u);
    EXPECT_NEAR(Xs(KTMarkerInflection)[0], 0.0, 1e-8);

    // x^3: the horizontal tangent at 0 has f' of one sign on both sides.
    kttest::Prepare(f, Form::Explicit, "x 3 ^");
    kttest::Recalculate(f);
    ASSERT_EQ(Markers(KTMarkerHorizontalInflection).size(), 1u);
    EXPECT_NEAR(Markers(KTMarkerHorizontalInflection)[0].m_point.m_x, 0.0, 1e-8);
    EXPECT_TRUE(Markers(KTMarkerLocalMinimum).empty());
    EXPECT_TRUE(Markers(KTMarkerLocalMaximum).empty());
}

TEST_F(CurvePoints, IntersectionsOfLinesAndParabolas)
{
    KTFunction3 g(&axes);
    struct Row
    {
        const char* first;
        const char* second;
        KTPoint start;
        KTPoint meet;
    };
    const Row rows[] = {
        {"2 x * 1 +", "-1 x * 4 +", {0.7, 2.5}, {1, 3}},
        {"x 2 ^", "x 2 +", {1.8, 3.5}, {2, 4}},
        {"x 2 ^", "x 2 +", {-0.8, 0.9}, {-1, 1}},
    };
    for (const Row& row : rows) {
        kttest::Prepare(f, Form::Explicit, row.first);
        kttest::Prepare(g, Form::Explicit, row.second);
        const KTPoint p = KTCurveRefiner(f).Intersect(g, row.start.m_x, row.start.m_y);
        EXPECT_NEAR(p.m_x, row.meet.m_x, 1e-8) << row.first << " / " << row.second;
        EXPECT_NEAR(p.m_y, row.meet.m_y, 1e-8) << row.first << " / " << row.second;
    }
    // Parallel lines never meet.
    kttest::Prepare(f, Form::Explicit, "x");
    kttest::Prepare(g, Form::Explicit, "x 1 +");
    EXPECT_EQ(KTCurveRefiner(f).Intersect(g, 0, 0), KTPoint(KTNoSecondValue, KTNoSecondValue));
    // y = x against x = y^2 - 2 (a swapped parabola): they meet at (2, 2) and (-1, -1).
    kttest::Prepare(f, Form::Explicit, "x");
    kttest::Prepare(g, Form::Swapped, "x 2 ^ 2 -");
    const KTPoint p = KTCurveRefiner(f).Intersect(g, 1.9, 1.9);
    EXPECT_NEAR(p.m_x, 2.0, 1e-7);
    EXPECT_NEAR(p.m_y, 2.0, 1e-7);
}

TEST_F(CurvePoints, DiscontinuitiesAreClassified)
{
    // A divisor's zero is an asymptote where |f| grows without bound on a side, a hole where f
    // has one limit there, and neither at a jump or an oscillation.
    struct Row
    {
        const char* postfix;
        const char* divisors;
        std::vector<double> asymptotes;
        std::vector<KTPoint> holes;
    };
    const Row rows[] = {
        {"1 x /", "x", {0.0}, {}},
        {"x 2 ^ 1 - x 1 - /", "x 1 -", {}, {{1.0, 2.0}}},
        {"1 x 2 ^ /", "x", {0.0}, {}},
        {"1 x / EXP", "x", {0.0}, {}}, // grows on the right only
        {"x x ABS /", "x", {}, {}},    // jumps from -1 to 1
        {"1 x / SIN", "x", {}, {}},    // bounded however fast it turns
        {"x 1 x / SIN *", "x", {}, {{0.0, 0.0}}},
        {"x 3 - SIN x 3 - /", "x 3 -", {}, {{3.0, 1.0}}},
    };
    for (const Row& row : rows) {
        kttest::Prepare(f, Form::Explicit, row.postfix);
        kttest::SetPostfix(f, KTFunctionData3::DiscontinuityList, row.divisors);
        kttest::Recalculate(f);
        const std::vector<KTMarker> asymptotes = Markers(KTMarkerVerticalAsymptote);
        ASSERT_EQ(asymptotes.size(), row.asymptotes.size()) << row.postfix;
        for (std::size_t i = 0; i < asymptotes.size(); ++i)
            EXPECT_NEAR(asymptotes[i].m_point.m_x, row.asymptotes[i], 1e-8) << row.postfix;
        const std::vector<KTMarker> holes = Markers(KTMarkerPointDiscontinuity);
        ASSERT_EQ(holes.size(), row.holes.size()) << row.postfix;
        for (std::size_t i = 0; i < holes.size(); ++i) {
            EXPECT_NEAR(holes[i].m_point.m_x, row.holes[i].m_x, 1e-8) << row.postfix;
            EXPECT_NEAR(holes[i].m_point.m_y, row.holes[i].m_y, 1e-8) << row.postfix;
        }
    }
    // 1/x tends to 0 at both ends: one horizontal asymptote y = 0.
    kttest::Prepare(f, Form::Explicit, "1 x /");
    kttest::SetPostfix(f, KTFunctionData3::DiscontinuityList, "x");
    kttest::Recalculate(f);
    ASSERT_EQ(Markers(KTMarkerHorizontalAsymptote).size(), 1u);
    EXPECT_NEAR(Markers(KTMarkerHorizontalAsymptote)[0].m_point.m_y, 0.0, 1e-9);
}

TEST_F(CurvePoints, LevelAsymptotesLieAtTheLimitsWhereTheFunctionConverges)
{
    const double pi = 3.14159265358979323846;
    const struct
    {
        const char* postfix;
        std::vector<double> limits; ///< sorted
    } rows[] = {
        {"x ATAN", {-pi / 2, pi / 2}},
        {"100 x 70 - /", {0}},
        {"x SIN x /", {0}},
        {"x LN x /", {0}},
        {"x 2 ^ x 2 ^ 1 + /", {1}},
        {"x EXP", {0}},
        {"x -2 ^ EXP", {1}},
        {"x x ABS /", {-1, 1}},
        {"3", {3}},
        // No limit: bounded but turning, growing, or too slow to tell from its rounding.
        {"x SIN", {}},
        {"2 x * 1 +", {}},
        {"1 x LN /", {}},
        // (1 + 1/x)^x tends to e, but 1 + 1/x rounds to 1 long before it gets there: it lands on
        // 1 without coming nearer to it, which is no limit.
        {"1 1 x / + x ^", {}},
    };
    for (const auto& row : rows) {
        kttest::SetAxes(axes, -10, 10, -5, 5);
        kttest::Prepare(f, Form::Explicit, row.postfix);
        kttest::Recalculate(f);
        std::vector<double> found;
        for (const KTMarker& m : Markers(KTMarkerHorizontalAsymptote)) {
            EXPECT_EQ(m.m_point.m_x, 0.0) << row.postfix;
            found.push_back(m.m_point.m_y);
        }
        std::sort(found.begin(), found.end());
        ASSERT_EQ(found.size(), row.limits.size()) << row.postfix;
        for (std::size_t i = 0; i < found.size(); ++i)
            EXPECT_DOUBLE_EQ(found[i], row.limits[i]) << row.postfix;
    }
}

TEST_F(CurvePoints, DomainEndsAndIntercepts)
{
    kttest::Prepare(f, Form::Explicit, "x 2 ^");
    f.Data().m_domain.m_low = 0.0;
    f.Data().m_domain.m_high = 2.0;
    f.Data().m_domain.m_lowEnd = f.Data().m_domain.m_highEnd = KTFunctionDomain::EndClosed;
    kttest::Recalculate(f);
    const std::vector<KTMarker> low = Markers(KTCurveAnalyser::LowEndMarker);
    const std::vector<KTMarker> high = Markers(KTCurveAnalyser::HighEndMarker);
    ASSERT_EQ(low.size(), 1u);
    ASSERT_EQ(high.size(), 1u);
    EXPECT_EQ(low[0].m_point, KTPoint(0, 0));
    EXPECT_EQ(high[0].m_point, KTPoint(2, 4));
    ASSERT_EQ(Markers(KTMarkerYIntercept).size(), 1u);
    EXPECT_EQ(Markers(KTMarkerYIntercept)[0].m_point, KTPoint(0, 0));
    EXPECT_EQ(Markers(KTMarkerYIntercept)[0].m_refined, 1);

    // An open-ended domain adds no end markers.
    kttest::Prepare(f, Form::Explicit, "x 2 ^");
    kttest::Recalculate(f);
    EXPECT_TRUE(Markers(KTCurveAnalyser::LowEndMarker).empty());
    EXPECT_TRUE(Markers(KTCurveAnalyser::HighEndMarker).empty());
}

TEST_F(CurvePoints, SentinelsNeverBecomeMarkerCoordinatesOrExtents)
{
    // ln(x) is undefined at 0: no y-intercept is shown and no sentinel reaches the box.
    kttest::Prepare(f, Form::Explicit, "x LN");
    kttest::Recalculate(f);
    EXPECT_TRUE(Markers(KTMarkerYIntercept).empty());
    for (int i = 0; i < f.m_markers.m_count; ++i) {
        const KTMarker& m = f.m_markers.m_markers[static_cast<std::size_t>(i)];
        EXPECT_FALSE(KTCurveValues::IsNoValue(m.m_point.m_x)) << i;
        EXPECT_FALSE(KTCurveValues::IsNoValue(m.m_point.m_y)) << i;
    }
    EXPECT_LT(std::fabs(f.m_markers.m_maxY), 100.0);
    EXPECT_LT(std::fabs(f.m_markers.m_minY), 100.0);
    // The root of ln at 1 is found.
    ASSERT_FALSE(Xs(KTMarkerXIntercept).empty());
    EXPECT_NEAR(Xs(KTMarkerXIntercept).back(), 1.0, 1e-8);
}

TEST_F(CurvePoints, ExtentsCoverTheShownMarkers)
{
    kttest::Prepare(f, Form::Explicit, "x 3 ^ x -");
    kttest::Recalculate(f);
    const double t = 1 / std::sqrt(3.0);
    EXPECT_NEAR(f.m_markers.m_minX, -1.0, 1e-8);
    EXPECT_NEAR(f.m_markers.m_maxX, 1.0, 1e-8);
    EXPECT_NEAR(f.m_markers.m_maxY, t - t * t * t, 1e-8);
    EXPECT_NEAR(f.m_markers.m_minY, -(t - t * t * t), 1e-8);
}

TEST_F(CurvePoints, RefinementsWithoutAUsableSlopeFindNothing)
{
    struct Row
    {
        const char* postfix;
        int kind;
    };
    // A constant has a zero derivative everywhere; 0^x has no real value left of 0.
    const Row rows[] = {
        {"3", KTMarkerXIntercept}, {"3", KTMarkerHorizontalCandidate}, {"3", KTMarkerInflection}};
    for (const Row& row : rows) {
        kttest::Prepare(f, Form::Explicit, row.postfix);
        f.m_markers.Clear();
        const int i = Add(0.5, 3, row.kind);
        KTCurveRefiner refiner(f);
        if (row.kind == KTMarkerXIntercept)
            refiner.RefineRoot(i, 0.0);
        else if (row.kind == KTMarkerHorizontalCandidate)
            refiner.RefineTurningPoint(i, 0.0);
        else
            refiner.RefineInflection(i, 0.0);
        const KTMarker& m = f.m_markers.m_markers[static_cast<std::size_t>(i)];
        EXPECT_EQ(m.m_kind, KTMarkerNoneFound) << row.kind;
        EXPECT_TRUE(std::isfinite(m.m_point.m_x)) << row.kind;
        EXPECT_TRUE(std::isfinite(m.m_point.m_y)) << row.kind;
    }
    // Newton meeting an undefined value stops without a point.
    kttest::Prepare(f, Form::Explicit, "x SQRT 1 +");
    f.m_markers.Clear();
    const int i = Add(0.01, 1.1, KTMarkerXIntercept);
    KTCurveRefiner(f).RefineRoot(i, 0.0);
    EXPECT_EQ(f.m_markers.m_markers[static_cast<std::size_t>(i)].m_kind, KTMarkerNoneFound);
    EXPECT_FALSE(KTCurveValues::IsNoValue(f.m_markers.m_markers[static_cast<std::size_t>(i)].m_point.m_x));
}

TEST_F(CurvePoints, SolveForValue)
{
    kttest::Prepare(f, Form::Explicit, "x 3 ^");
    KTCurveRefiner refiner(f);
    EXPECT_NEAR(refiner.SolveForValue(1.9, 8.0), 2.0, 1e-8);
    // Thirty halvings of a wide first bracket stop short of 1e-8.
    EXPECT_EQ(refiner.SolveForValue(1.5, 8.0), KTNoSecondValue);
    EXPECT_NEAR(refiner.SolveForValue(-1.0, -1.0), -1.0, 1e-8);
    kttest::Prepare(f, Form::Explicit, "x 2 ^");
    EXPECT_EQ(refiner.SolveForValue(1.0, -4.0), KTNoSecondValue);
}

TEST_F(CurvePoints, EveryRootInTheViewIsKeptAndTheListSaysWhenItIsFull)
{
    // sin(x) over [-400, 400] radians crosses 0 at k pi for |k| <= 127: 255 roots.
    kttest::SetAxes(axes, -400, 400, -2, 2);
    kttest::Prepare(f, Form::Explicit, "x SIN");
    kttest::Recalculate(f);
    int roots = 0;
    for (int i = 0; i < f.m_markers.m_count; ++i) {
        const KTMarker& m = *f.m_markers.At(i);
        if (m.m_kind != KTMarkerXIntercept)
            continue;
        const double k = std::round(m.m_point.m_x / 3.14159265358979323846);
        EXPECT_NEAR(m.m_point.m_x, k * 3.14159265358979323846, 1e-9);
        ++roots;
    }
    EXPECT_EQ(roots, 255);
    EXPECT_FALSE(f.m_markers.m_full);
    // Past the limit each further marker overwrites the uncounted last entry.
    for (int k = f.m_markers.m_count; k < KTMarkerList::Capacity + 20; ++k)
        Add(k, k, KTMarkerIntersection);
    EXPECT_EQ(f.m_markers.m_count, KTCurveValues::MarkerCountLimit);
    EXPECT_TRUE(f.m_markers.m_full);
    const double last = KTMarkerList::Capacity + 19;
    EXPECT_EQ(f.m_markers.At(KTCurveValues::MarkerCountLimit)->m_point, KTPoint(last, last));
}

TEST_F(CurvePoints, ToPolarConvertsCountedSamplesAndMarkers)
{
    kttest::SetAxes(axes, -10, 10, -10, 10, 1599, 1199, 0);
    kttest::Prepare(f, Form::Polar, "2 q 2 * COS 3 * +"); // r = 2 + 3 cos(2 theta)
    f.Calculate();
    f.CalculatePoints();
    f.m_buffer1->m_points[1600].m_point = KTPoint(KTUndefinedValue, 7);
    const KTPoint before = f.m_buffer1->m_points[400].m_point;
    KTCurveRefiner(f).ToPolar();
    const double a = before.m_x / 57.29577951;
    EXPECT_NEAR(f.m_buffer1->m_points[400].m_point.m_x, before.m_y * std::cos(a), 1e-12);
    EXPECT_NEAR(f.m_buffer1->m_points[400].m_point.m_y, before.m_y * std::sin(a), 1e-12);
    // The record past the count is left alone.
    EXPECT_EQ(f.m_buffer1->m_points[1600].m_point, KTPoint(KTUndefinedValue, 7));
    // Intercepts of a polar curve are not shown; its turning points become kind 14.
    EXPECT_TRUE(Markers(KTMarkerXIntercept).empty());
    EXPECT_TRUE(Markers(KTMarkerYIntercept).empty());
    EXPECT_FALSE(Markers(KTMarkerPolarTurningPoint).empty());
    for (const KTMarker& m : Markers(KTMarkerPolarTurningPoint))
        EXPECT_LE(std::hypot(m.m_point.m_x, m.m_point.m_y), 5.0 + 1e-6);
}

TEST_F(CurvePoints, SwappedMarkersChangeKind)
{
    kttest::Prepare(f, Form::Swapped, "x 2 ^ 4 -"); // x = y^2 - 4
    kttest::Recalculate(f);
    // The turning point (-4, 0) of the swapped parabola.
    const std::vector<KTMarker> turning = Markers(KTMarkerSwappedTurningPoint);
    ASSERT_EQ(turning.size(), 1u);
    EXPECT_NEAR(turning[0].m_point.m_x, -4.0, 1e-8);
    EXPECT_NEAR(turning[0].m_point.m_y, 0.0, 1e-8);
    // Its crossing of the x axis at (-4, 0) is the swapped x intercept.
    ASSERT_EQ(Markers(KTMarkerSwappedXIntercept).size(), 1u);
    EXPECT_EQ(Markers(KTMarkerSwappedXIntercept)[0].m_point, KTPoint(-4, 0));
}

TEST_F(CurvePoints, NoAsymptoteUpTo)
{
    f.m_markers.Clear();
    Add(3.0, 0.0, KTMarkerVerticalAsymptote);
    KTCurveRefiner refiner(f);
    EXPECT_FALSE(refiner.NoAsymptoteUpTo(2.0, 1.0));
    EXPECT_TRUE(refiner.NoAsymptoteUpTo(1.0, 1.0));
}

TEST_F(CurvePoints, PointAtPixelFindsTheCurve)
{
    kttest::Prepare(f, Form::Explicit, "x 2 ^");
    kttest::Recalculate(f);
    KTCurveRefiner refiner(f);
    const CPoint on = axes.GraphToDevice(1.0, 1.0, 0, 0);
    EXPECT_TRUE(refiner.PointAtPixel(on.x, on.y));
    EXPECT_TRUE(refiner.PointAtPixel(on.x, on.y + 150));  // 150 pixels: below 200
    EXPECT_FALSE(refiner.PointAtPixel(on.x, on.y + 250)); // beyond 200
    EXPECT_DOUBLE_EQ(refiner.PixelDistance(on.x, on.y + 30, 1.0, 0.0), 900.0);
}

TEST_F(CurvePoints, PointAtPixelFindsADerivativeCurveBetweenItsSamples)
{
    // y = 500x^2 - 8 stays 480 pixels below the origin, while y' = 1000x crosses the view
    // between two samples through it: the drawn segment is hit, off it nothing.
    kttest::Prepare(f, Form::Explicit, "x 2 ^ 500 * 8 -");
    f.Data().m_showFirstDerivative = 1;
    kttest::Recalculate(f);
    KTCurveRefiner refiner(f);
    const CPoint origin = axes.GraphToDevice(0.0, 0.0, 0, 0);
    EXPECT_TRUE(refiner.PointAtPixel(origin.x, origin.y));
    EXPECT_EQ(f.m_nearFirstDerivative, 1);
    EXPECT_FALSE(refiner.PointAtPixel(origin.x + 300, origin.y));
    f.Data().m_showFirstDerivative = 0;
    EXPECT_FALSE(refiner.PointAtPixel(origin.x, origin.y));
}

TEST_F(CurvePoints, PointAtPixelFindsAnImplicitCurveBetweenItsPoints)
{
    // y = x + 1 traced as a relation is one straight piece from (-10, -9) to (9, 10): a point
    // on it far from both ends is on the curve, one 250 pixels off it is not.
    kttest::Prepare(f, Form::Implicit, "x 1 +", "y");
    kttest::Recalculate(f);
    ASSERT_EQ(f.m_buffer1->m_count, 2);
    KTCurveRefiner refiner(f);
    const CPoint on = axes.GraphToDevice(0.0, 1.0, 0, 0);
    EXPECT_TRUE(refiner.PointAtPixel(on.x, on.y));
    EXPECT_TRUE(refiner.PointAtPixel(on.x + 100, on.y));
    EXPECT_FALSE(refiner.PointAtPixel(on.x + 400, on.y));
}

TEST_F(CurvePoints, PointsAndVectors)
{
    struct Row
    {
        const char* operation;
        KTPoint second;
    };
    // (1, 2) + <3, 4> files (1, 2) and (4, 6); (1, 2) - <3, 4> files (1, 2) and (-2, -2).
    const Row rows[] = {{"+", {4, 6}}, {"-", {-2, -2}}};
    for (const Row& row : rows) {
        kttest::Prepare(f, Form::Points, nullptr);
        f.Parts().AddPart("(1, 2)", "(1, 2)", KTPartDomainOrPoint);
        f.Parts().AddPart(row.operation, row.operation, KTPartOperation);
        f.Parts().AddPart("<3, 4>", "<3, 4>", KTPartVector);
        const KTFunctionDomain domain = f.Data().m_domain;
        f.m_markers.Clear();
        KTCurveAnalyser(f).AnalyseCurve();
        const std::vector<KTMarker> points = Markers(KTCurveAnalyser::PointMarker);
        ASSERT_EQ(points.size(), 2u) << row.operation;
        EXPECT_EQ(f.m_markers.m_markers[0].m_point, KTPoint(1, 2)) << row.operation;
        EXPECT_EQ(f.m_markers.m_markers[1].m_point, row.second) << row.operation;
        EXPECT_EQ(f.Data().m_domain, domain);
    }
}

TEST_F(CurvePoints, InterpretedTextsAgreeWithTheirPostfixForms)
{
    // Two roads to the same curve: interpretation of the typed text, and the postfix list
    // written by hand. Samples and markers must agree.
    struct Row
    {
        const char* typed;
        Form form;
        const char* postfix;
    };
    const Row rows[] = {
        {"y = x^2 - 4", Form::Explicit, "x 2 ^ 4 -"},
        {"y = x^3 - x", Form::Explicit, "x 3 ^ x -"},
        {"x = y^2 - 4", Form::Swapped, "x 2 ^ 4 -"},
        {"y = sin(x)", Form::Explicit, "x SIN"},
    };
    for (const Row& row : rows) {
        KTFunction3 typed(&axes);
        typed.Data().m_equationText = row.typed;
        typed.Interpret();
        if (typed.Status() != KTStatusExplicit || !typed.Data().m_interpreted) {
            ADD_FAILURE() << row.typed << " was not interpreted";
            continue;
        }
        kttest::Recalculate(typed);
        kttest::Prepare(f, row.form, row.postfix);
        kttest::Recalculate(f);
        ASSERT_EQ(typed.m_buffer1->m_count, f.m_buffer1->m_count) << row.typed;
        for (int i = 0; i < f.m_buffer1->m_count; i += 97) {
            const KTCurvePoint& a = typed.m_buffer1->m_points[static_cast<std::size_t>(i)];
            const KTCurvePoint& b = f.m_buffer1->m_points[static_cast<std::size_t>(i)];
            EXPECT_NEAR(a.m_point.m_x, b.m_point.m_x, 1e-12) << row.typed << " " << i;
            EXPECT_NEAR(a.m_point.m_y, b.m_point.m_y, 1e-9) << row.typed << " " << i;
            EXPECT_EQ(a.m_draw, b.m_draw) << row.typed << " " << i;
        }
        for (int kind : {KTMarkerXIntercept, KTMarkerLocalMinimum, KTMarkerLocalMaximum, KTMarkerInflection,
                         KTMarkerSwappedTurningPoint, KTMarkerSwappedXIntercept}) {
            std::vector<double> expected = Xs(kind);
            std::vector<double> found;
            for (int i = 0; i < typed.m_markers.m_count; ++i) {
                const KTMarker& m = typed.m_markers.m_markers[static_cast<std::size_t>(i)];
                if (m.m_kind == kind && (found.empty() || std::fabs(found.back() - m.m_point.m_x) > 1e-6))
                    found.push_back(m.m_point.m_x);
            }
            std::sort(found.begin(), found.end());
            found.erase(std::unique(found.begin(), found.end(),
                                    [](double a, double b) { return std::fabs(a - b) <= 1e-6; }),
                        found.end());
            ASSERT_EQ(found.size(), expected.size()) << row.typed << " kind " << kind;
            for (std::size_t i = 0; i < found.size(); ++i)
                EXPECT_NEAR(found[i], expected[i], 1e-8) << row.typed << " kind " << kind;
        }
    }
}

TEST_F(CurvePoints, HorizontalInflectionNeedsAHorizontalTangent)
{
    // Far out on -sqrt(x) the slope barely changes, so the sampled walk offers a horizontal
    // tangent candidate; f'' is small there but f' is not 0: no horizontal inflection.
    kttest::Prepare(f, Form::Explicit, "-1 x SQRT *");
    kttest::Recalculate(f);
    EXPECT_TRUE(Markers(KTMarkerHorizontalInflection).empty());
    EXPECT_LT(f.m_markers.m_maxX, 10.0 + 1e-9);
}

// The three sentinels, the infinities and NaN carry no value; every other double does, the
// sentinels' negatives and their neighbours included.
TEST(KTCurveValues, NoValueIsTheSentinelsAndWhatIsNotFinite)
{
    const double inf = std::numeric_limits<double>::infinity();
    const struct
    {
        double v;
        bool none;
    } rows[] = {
        {KTUndefinedValue, true},
        {KTNoSecondValue, true},
        {KTNoYValue, true},
        {inf, true},
        {-inf, true},
        {std::numeric_limits<double>::quiet_NaN(), true},
        {-KTUndefinedValue, false},
        {-KTNoSecondValue, false},
        {std::nextafter(KTUndefinedValue, inf), false},
        {std::nextafter(KTNoYValue, 0.0), false},
        {1.0e12, false},
        {-1.0e12, false},
        {1.0e13, false},
        {std::numeric_limits<double>::max(), false},
        {0.0, false},
        {-0.0, false},
        {std::numeric_limits<double>::denorm_min(), false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(KTCurveValues::IsNoValue(row.v), row.none) << row.v;
}
