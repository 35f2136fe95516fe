// Points of interest of typed functions: the whole road from the text through interpretation,
// sampling, the discontinuity search and the curve analysis, checked against closed forms.

#include "KTCurveTestSupport.h"

#include "engine/KTCurveAnalyser.h"
#include "engine/KTCurveRefiner.h"
#include "engine/KTCurveValues.h"
#include "foundation/KTSentinelValues.h"
#include "platform/KTDC.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

/// A typed function on its own axes, calculated as the graph calculates it.
class TypedCurve
{
public:
    TypedCurve(const char* text, double xmin, double xmax, double ymin, double ymax, int angleSystem = 1)
        : m_f(&m_axes)
    {
        kttest::SetAxes(m_axes, xmin, xmax, ymin, ymax, 1599, 1199, angleSystem);
        m_f.Data().m_equationText = text;
        m_f.Interpret();
        kttest::Recalculate(m_f);
    }

    KTFunction3& Function() { return m_f; }
    KTAxes& Axes() { return m_axes; }

    /// The markers of a kind, sorted by x.
    std::vector<KTMarker> Markers(int kind) const
    {
        std::vector<KTMarker> found;
        for (int i = 0; i < m_f.m_markers.m_count; ++i)
            if (m_f.m_markers.m_markers[static_cast<std::size_t>(i)].m_kind == kind)
                found.push_back(m_f.m_markers.m_markers[static_cast<std::size_t>(i)]);
        std::sort(found.begin(), found.end(),
                  [](const KTMarker& a, const KTMarker& b) { return a.m_point.m_x < b.m_point.m_x; });
        return found;
    }

    /// The points of the markers of a kind, those at one x (within 1e-6) merged: neighbouring
    /// candidates may refine to the same point.
    std::vector<KTPoint> Points(int kind) const
    {
        std::vector<KTPoint> points;
        // Level asymptotes all lie at x = 0: told apart by their y.
        for (const KTMarker& m : Markers(kind))
            if (points.empty() || std::fabs(points.back().m_x - m.m_point.m_x) > 1e-6 ||
                (kind == KTMarkerHorizontalAsymptote && std::fabs(points.back().m_y - m.m_point.m_y) > 1e-6))
                points.push_back(m.m_point);
        return points;
    }

private:
    KTAxes m_axes;
    KTFunction3 m_f;
};

/// Kinds that the graph shows and labels.
const int kShownKinds[] = {KTMarkerYIntercept,
                           KTMarkerXIntercept,
                           KTMarkerHorizontalInflection,
                           KTMarkerLocalMaximum,
                           KTMarkerLocalMinimum,
                           KTMarkerInflection,
                           KTMarkerVerticalAsymptote,
                           KTMarkerHorizontalAsymptote,
                           KTMarkerPointDiscontinuity,
                           KTCurveAnalyser::LowEndMarker,
                           KTCurveAnalyser::HighEndMarker};

struct Expected
{
    int kind;
    std::vector<KTPoint> points;
    double tolerance = 1e-8;
    bool some = false; ///< the markers found are some of the points, each found once at most
};

std::vector<KTPoint> Multiples(double step, int from, int to, double offset, double y)
{
    std::vector<KTPoint> points;
    for (int k = from; k <= to; ++k)
        points.emplace_back(offset + k * step, y);
    return points;
}

std::vector<KTPoint> SineExtremes(double halfTurn, int from, int to, bool maxima)
{
    std::vector<KTPoint> points;
    for (int k = from; k <= to; ++k)
        if ((k % 2 == 0) == maxima)
            points.emplace_back(halfTurn / 2 + k * halfTurn, maxima ? 1.0 : -1.0);
    return points;
}

} // namespace

TEST(TypedPoints, MarkersMatchClosedForms)
{
    const double t = 1 / std::sqrt(3.0);
    struct Row
    {
        const char* text;
        int angleSystem;
        double xmin, xmax, ymin, ymax;
        std::vector<Expected> expected; ///< every shown kind not listed must be absent
    };
    const Row rows[] = {
        {"y = x^2 - 4",
         1,
         -10,
         10,
         -10,
         10,
         {{KTMarkerYIntercept, {{0, -4}}},
          {KTMarkerXIntercept, {{-2, 0}, {2, 0}}},
          {KTMarkerLocalMinimum, {{0, -4}}}}},
        // An uneven window: no sample falls on a root.
        {"y = x^2 - 4",
         1,
         -7.3,
         12.1,
         -6,
         9,
         {{KTMarkerYIntercept, {{0, -4}}},
          {KTMarkerXIntercept, {{-2, 0}, {2, 0}}},
          {KTMarkerLocalMinimum, {{0, -4}}}}},
        {"y = x^3 - x",
         1,
         -10,
         10,
         -10,
         10,
         {{KTMarkerYIntercept, {{0, 0}}},
          {KTMarkerXIntercept, {{-1, 0}, {0, 0}, {1, 0}}},
          {KTMarkerLocalMaximum, {{-t, t - t * t * t}}},
          {KTMarkerLocalMinimum, {{t, t * t * t - t}}},
          {KTMarkerInflection, {{0, 0}}}}},
        {"y = sin(x)",
         1,
         -10,
         10,
         -10,
         10,
         {{KTMarkerYIntercept, {{0, 0}}},
          {KTMarkerXIntercept, Multiples(kPi, -3, 3, 0, 0)},
          {KTMarkerLocalMaximum, SineExtremes(kPi, -3, 2, true)},
          {KTMarkerLocalMinimum, SineExtremes(kPi, -3, 2, false)},
          {KTMarkerInflection, Multiples(kPi, -3, 3, 0, 0)}}},
        // Degrees: the ten-digit degree factor puts the evaluator's zeros 1e-8 per half-turn
        // short of k * 180, and a sample within |sin| < 1e-8 of a root is taken as it is. In
        // degrees the slopes stay below 0.0175, under the slope walk's fixed step of 0.0001,
        // so it offers some inflections only; those it offers stop where |f''| < 0.01.
        {"y = sin(x)",
         0,
         -400,
         400,
         -10,
         10,
         {{KTMarkerYIntercept, {{0, 0}}},
          {KTMarkerXIntercept, Multiples(180, -2, 2, 0, 0), 3e-8},
          {KTMarkerLocalMaximum, SineExtremes(180, -2, 1, true), 3e-8},
          {KTMarkerLocalMinimum, SineExtremes(180, -2, 1, false), 3e-8},
          {KTMarkerInflection, Multiples(180, -2, 2, 0, 0), 1e-6, true}}},
        {"y = x^3",
         1,
         -10,
         10,
         -10,
         10,
         {{KTMarkerYIntercept, {{0, 0}}},
          {KTMarkerXIntercept, {{0, 0}}},
          {KTMarkerHorizontalInflection, {{0, 0}}}}},
        // A sample on 0, where the five-point slope of x^5 is below 0 between two above it.
        {"y = x^5",
         1,
         -20,
         20,
         -11.25,
         11.25,
         {{KTMarkerYIntercept, {{0, 0}}},
          {KTMarkerXIntercept, {{0, 0}}},
          {KTMarkerHorizontalInflection, {{0, 0}}}}},
        // So flat that |f'| changes by less than the walk's threshold five samples before the
        // turn, where the candidate is marked.
        {"y = x^4",
         1,
         -3.65625,
         8.15625,
         -5.625,
         5.625,
         {{KTMarkerYIntercept, {{0, 0}}}, {KTMarkerXIntercept, {{0, 0}}}, {KTMarkerLocalMinimum, {{0, 0}}}}},
        // Both ends tend to 0: one horizontal asymptote from the both-ends test.
        {"y = 1/x",
         1,
         -10,
         10,
         -10,
         10,
         {{KTMarkerVerticalAsymptote, {{0, 0}}}, {KTMarkerHorizontalAsymptote, {{0, 0}}}}},
        {"y = 1/x",
         1,
         -7.3,
         12.1,
         -6,
         9,
         {{KTMarkerVerticalAsymptote, {{0, 0}}, 1e-8}, {KTMarkerHorizontalAsymptote, {{0, 0}}}}},
        {"y = (x^2 - 1)/(x - 1)",
         1,
         -10,
         10,
         -10,
         10,
         {{KTMarkerYIntercept, {{0, 1}}},
          {KTMarkerXIntercept, {{-1, 0}}},
          {KTMarkerPointDiscontinuity, {{1, 2}}}}},
        // x^2 keeps one sign at its zero: the pole is found at the zero of x.
        {"y = 1/x^2",
         1,
         -10,
         10,
         -10,
         10,
         {{KTMarkerVerticalAsymptote, {{0, 0}}}, {KTMarkerHorizontalAsymptote, {{0, 1e-10}}}}},
        // The sign changes at the poles offer root candidates too; the tails beyond them only
        // tend to 0 and give no root.
        {"y = 1/(x^2 - 4)",
         1,
         -10,
         10,
         -10,
         10,
         {{KTMarkerYIntercept, {{0, -0.25}}},
          {KTMarkerLocalMaximum, {{0, -0.25}}},
          {KTMarkerVerticalAsymptote, {{-2, 0}, {2, 0}}},
          {KTMarkerHorizontalAsymptote, {{0, 1 / (1e10 - 4)}}}}},
        // No value at 0: no y-intercept; |f| grows without bound towards the end of its domain.
        {"y = ln(x)",
         1,
         -10,
         10,
         -10,
         10,
         {{KTMarkerXIntercept, {{1, 0}}}, {KTMarkerVerticalAsymptote, {{0, 0}}}}},
        {"y = ln(abs(x))",
         1,
         -10,
         10,
         -10,
         10,
         {{KTMarkerXIntercept, {{-1, 0}, {1, 0}}}, {KTMarkerVerticalAsymptote, {{0, 0}}}}},
        // A jump is no asymptote and no root; each end is level at its own limit.
        {"y = x/abs(x)", 1, -10, 10, -10, 10, {{KTMarkerHorizontalAsymptote, {{0, -1}, {0, 1}}}}},
        // Degrees: each pole found however gently the curve leaves the view, at the evaluator's
        // (k + 1/2) pi 57.29577951.
        {"y = tan(x)",
         0,
         -400,
         400,
         -10,
         10,
         {{KTMarkerYIntercept, {{0, 0}}},
          {KTMarkerXIntercept, Multiples(kPi * 57.29577951, -2, 2, 0, 0)},
          {KTMarkerInflection, Multiples(kPi * 57.29577951, -2, 2, 0, 0)},
          {KTMarkerVerticalAsymptote, Multiples(kPi * 57.29577951, -2, 1, kPi * 57.29577951 / 2, 0)}}},
        // The two limits differ: an asymptote at each.
        {"y = atan(x)",
         1,
         -10,
         10,
         -5,
         5,
         {{KTMarkerYIntercept, {{0, 0}}},
          {KTMarkerXIntercept, {{0, 0}}},
          {KTMarkerInflection, {{0, 0}}},
          {KTMarkerHorizontalAsymptote, {{0, -kPi / 2}, {0, kPi / 2}}}}},
        {"y = x^2; [0, 2]",
         1,
         -10,
         10,
         -10,
         10,
         {{KTMarkerYIntercept, {{0, 0}}},
          {KTCurveAnalyser::LowEndMarker, {{0, 0}}},
          {KTCurveAnalyser::HighEndMarker, {{2, 4}}}}},
    };
    for (const Row& row : rows) {
        TypedCurve curve(row.text, row.xmin, row.xmax, row.ymin, row.ymax, row.angleSystem);
        const std::string where = std::string(row.text) + " angle " + std::to_string(row.angleSystem) +
                                  " x from " + std::to_string(row.xmin);
        ASSERT_EQ(curve.Function().Status(), KTStatusExplicit) << where;
        for (const int kind : kShownKinds) {
            const auto it = std::find_if(row.expected.begin(), row.expected.end(),
                                         [kind](const Expected& e) { return e.kind == kind; });
            const std::vector<KTPoint> found = curve.Points(kind);
            if (it == row.expected.end()) {
                EXPECT_TRUE(found.empty())
                    << where << ": unexpected kind " << kind << " at x " << found[0].m_x;
                continue;
            }
            if (it->some) {
                EXPECT_FALSE(found.empty()) << where << " kind " << kind;
                for (const KTPoint& p : found) {
                    const bool listed =
                        std::any_of(it->points.begin(), it->points.end(), [&](const KTPoint& q) {
                            return std::fabs(p.m_x - q.m_x) <= it->tolerance &&
                                   std::fabs(p.m_y - q.m_y) <= it->tolerance;
                        });
                    EXPECT_TRUE(listed) << where << " kind " << kind << " at x " << p.m_x;
                }
                continue;
            }
            ASSERT_EQ(found.size(), it->points.size()) << where << " kind " << kind;
            for (std::size_t i = 0; i < found.size(); ++i) {
                EXPECT_NEAR(found[i].m_x, it->points[i].m_x, it->tolerance) << where << " kind " << kind;
                EXPECT_NEAR(found[i].m_y, it->points[i].m_y, it->tolerance) << where << " kind " << kind;
            }
            for (const KTMarker& m : curve.Markers(kind))
                EXPECT_EQ(m.m_refined, 1) << where << " kind " << kind;
        }
    }
}

TEST(TypedPoints, IntersectionsOfTypedCurves)
{
    struct Row
    {
        const char* first;
        const char* second;
        KTPoint start;
        KTPoint meet;
    };
    const Row rows[] = {
        {"y = 2x + 1", "y = -x + 4", {0.7, 2.5}, {1, 3}},
        {"y = 0.5x - 3", "y = -3x + 4", {1.5, -2}, {2, -2}},
        {"y = x^2", "y = x + 2", {1.8, 3.5}, {2, 4}},
        {"y = x^2", "y = x + 2", {-0.8, 0.9}, {-1, 1}},
        {"y = x^2 - 4", "y = 2x - 1", {3.2, 5.5}, {1 + std::sqrt(4.0), 2 * (1 + std::sqrt(4.0)) - 1}},
        {"y = x^2 - 4", "y = 2x - 1", {-0.8, -2.8}, {1 - std::sqrt(4.0), 2 * (1 - std::sqrt(4.0)) - 1}},
    };
    for (const Row& row : rows) {
        TypedCurve f(row.first, -10, 10, -10, 10);
        TypedCurve g(row.second, -10, 10, -10, 10);
        for (int order = 0; order < 2; ++order) {
            KTFunction3& a = order == 0 ? f.Function() : g.Function();
            KTFunction3& b = order == 0 ? g.Function() : f.Function();
            const KTPoint p = KTCurveRefiner(a).Intersect(b, row.start.m_x, row.start.m_y);
            EXPECT_NEAR(p.m_x, row.meet.m_x, 1e-8) << row.first << " / " << row.second << " order " << order;
            EXPECT_NEAR(p.m_y, row.meet.m_y, 1e-8) << row.first << " / " << row.second << " order " << order;
        }
    }
    // Parallel lines never meet.
    TypedCurve f("y = 2x", -10, 10, -10, 10);
    TypedCurve g("y = 2x + 1", -10, 10, -10, 10);
    EXPECT_EQ(KTCurveRefiner(f.Function()).Intersect(g.Function(), 0, 0),
              KTPoint(KTNoSecondValue, KTNoSecondValue));
}

TEST(TypedPoints, DiscontinuityListIsTheProductOfTheDivisors)
{
    // Each row: the typed text and the product of its x-dependent divisors, each distinct one
    // once (null: no list).
    using Product = std::function<double(double)>;
    struct Row
    {
        const char* text;
        Product product;
    };
    const Row rows[] = {
        {"y = 1/x", [](double x) { return x; }},
        {"y = (x^2 - 1)/(x - 1)", [](double x) { return x - 1; }},
        {"y = 1/(x^2 - 4) + 3/(x + 1)", [](double x) { return (x * x - 4) * (x + 1); }},
        {"y = 1/x + 2/x", [](double x) { return x; }},
        {"y = sin(x)/x", [](double x) { return x; }},
        {"y = 1/(x - a)", [](double x) { return x - 1; }}, // a is 1 until a family steps it
        // A power, root or modulus of a divisor keeps one sign at its zero: its base is taken.
        {"y = x/(2 - x)^2", [](double x) { return 2 - x; }},
        {"y = 1/x^2", [](double x) { return x; }},
        {"y = 1/sqrt(x + 3)", [](double x) { return x + 3; }},
        {"y = 1/abs(x - 1)", [](double x) { return x - 1; }},
        {"y = 1/(x^2 + 1)^3", [](double x) { return x * x + 1; }},
        {"y = 1/x^(1/3)", [](double x) { return x < 0 ? -std::cbrt(-x) : std::cbrt(x); }},
        {"y = 1/x; [1, 5]", [](double x) { return x; }},
        {"x y = 1", [](double x) { return x; }}, // rearranged to y = 1/x
        {"y = x/3", nullptr},                    // a constant divisor is no discontinuity
        {"y = x^2", nullptr},
        {"x = 1/y", nullptr}, // a swapped form: its markers are not drawn upright
        {"r = 1/th", nullptr},
        {"x = 1/t; y = t", nullptr},
        {"y < 1/x", [](double x) { return x; }}, // sampled like y = 1/x, drawn dashed
        {"x^2 + y^2 < 1/x", nullptr},            // traced on the grid
        {"y = 1/x; (1, 2)", [](double x) { return x; }},
        {"y = 1/", nullptr}, // not interpreted
    };
    for (const Row& row : rows) {
        KTAxes axes;
        kttest::SetAxes(axes, -10, 10, -10, 10);
        KTFunction3 f(&axes);
        f.Data().m_equationText = row.text;
        f.Interpret();
        const ASTokenList& list = *f.Data().List(KTFunctionData3::DiscontinuityList);
        if (!row.product) {
            EXPECT_TRUE(list.IsEmpty()) << row.text;
            continue;
        }
        ASSERT_FALSE(list.IsEmpty()) << row.text << " status " << f.Status();
        EXPECT_TRUE(KTEvaluationProgram::IsWellFormed(list)) << row.text;
        f.Data().SelectList(KTFunctionData3::DiscontinuityList);
        for (const double x : {-7.25, -2.5, -1.0, 0.0, 0.5, 1.0, 3.75}) {
            const double expected = row.product(x);
            EXPECT_NEAR(f.Evaluate(x, KTNoSecondValue).m_y, expected,
                        1e-12 * std::max(1.0, std::fabs(expected)))
                << row.text << " at " << x;
        }
        f.Data().SelectList(KTFunctionData3::FirstBranchList);
    }
}

TEST(TypedPoints, DeeplyNestedDivisorsStayWithinTheList)
{
    // Each divisor holds all the inner ones: together they are far longer than a list.
    std::string text = "y = x";
    for (int i = 0; i < 12; ++i)
        text = "y = 1/(" + text.substr(4) + ")";
    TypedCurve curve(text.c_str(), -10, 10, -10, 10);
    KTFunction3& f = curve.Function();
    ASSERT_EQ(f.Status(), KTStatusExplicit) << f.Parts().GetMessage().c_str();
    const ASTokenList& list = *f.Data().List(KTFunctionData3::DiscontinuityList);
    EXPECT_FALSE(list.IsEmpty());
    EXPECT_LE(list.GetCount(), list.Capacity());
    EXPECT_FALSE(list.Overflowed());
    EXPECT_TRUE(KTEvaluationProgram::IsWellFormed(list));
}

TEST(TypedPoints, FamilyMembersHaveTheirOwnAsymptote)
{
    KTAxes axes;
    kttest::SetAxes(axes, -10, 10, -10, 10);
    KTFunction3 f(&axes);
    f.Data().m_equationText = "y = 1/(x - a)";
    f.Interpret();
    KTFunctionConstantRange& a = f.Data().m_constants.m_range[0];
    for (const double value : {-3.0, 0.5, 2.0}) {
        a.m_current = value;
        kttest::Recalculate(f);
        int found = 0;
        for (int i = 0; i < f.m_markers.m_count; ++i) {
            const KTMarker& m = f.m_markers.m_markers[static_cast<std::size_t>(i)];
            if (m.m_kind == KTMarkerVerticalAsymptote) {
                ++found;
                EXPECT_NEAR(m.m_point.m_x, value, 1e-8);
            }
        }
        EXPECT_EQ(found, 1) << value;
    }
}

TEST(TypedPoints, AsymptoteAndHoleAreDrawn)
{
    KTDC dc;
    dc.SetRecording(true);

    TypedCurve pole("y = 1/x", -10, 10, -10, 10);
    pole.Function().Data().m_options.m_vAsym.m_value = 1;
    pole.Function().Draw(dc);
    const CPoint top = pole.Axes().GraphToDevice(0, 10, 0, 0);
    const CPoint bottom = pole.Axes().GraphToDevice(0, -10, 0, 0);
    int lines = 0;
    for (const KTDCRecord& r : dc.GetRecords())
        lines += r.kind == KTDCRecordKind::Line && r.points[0] == top && r.points[1] == bottom;
    EXPECT_EQ(lines, 1);

    dc.ClearRecords();
    TypedCurve hole("y = (x^2 - 1)/(x - 1)", -10, 10, -10, 10);
    hole.Function().Draw(dc);
    const CPoint at = hole.Axes().GraphToDevice(1, 2, 0, 0);
    int circles = 0;
    for (const KTDCRecord& r : dc.GetRecords()) {
        if (r.kind != KTDCRecordKind::Ellipse)
            continue;
        const CPoint a = r.points[0];
        const CPoint b = r.points[1];
        circles += std::min(a.x, b.x) <= at.x && at.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= at.y &&
                   at.y <= std::max(a.y, b.y);
    }
    EXPECT_EQ(circles, 1);
}

TEST(TypedPoints, CalculatePointsReportsTheSecondBranch)
{
    TypedCurve single("y = 1/x", -10, 10, -10, 10);
    EXPECT_FALSE(single.Function().CalculatePoints());
    TypedCurve both("y = +-sqrt(x)", -10, 10, -10, 10);
    ASSERT_EQ(both.Function().m_twoBranches, 1);
    EXPECT_TRUE(both.Function().CalculatePoints());
    // Each pass ends with the first branch selected.
    EXPECT_EQ(both.Function().Data().CurrentListIndex(), KTFunctionData3::FirstBranchList);
    EXPECT_EQ(both.Function().m_currentBuffer, both.Function().m_buffer1.get());
}

TEST(TypedPoints, EachRootIsMarkedOnce)
{
    // The sign changes at the poles of tan x are no roots.
    TypedCurve curve("y = tan(x)", -10, 10, -10, 10);
    const std::vector<KTMarker> roots = curve.Markers(KTMarkerXIntercept);
    ASSERT_EQ(roots.size(), 7u);
    for (std::size_t i = 0; i < roots.size(); ++i) {
        EXPECT_NEAR(roots[i].m_point.m_x, (static_cast<int>(i) - 3) * kPi, 1e-12);
        EXPECT_NEAR(roots[i].m_point.m_y, 0.0, 1e-12);
    }
    // Its asymptotes: the poles where the samples leave the view and come back, at (k + 1/2) pi.
    const std::vector<KTMarker> poles = curve.Markers(KTMarkerVerticalAsymptote);
    ASSERT_EQ(poles.size(), 6u);
    for (std::size_t i = 0; i < poles.size(); ++i) {
        EXPECT_NEAR(poles[i].m_point.m_x, (static_cast<int>(i) - 2.5) * kPi, 1e-12);
        EXPECT_EQ(poles[i].m_refined, 1);
    }
}

TEST(TypedPoints, ShownMarkersHoldWhatTheirKindSays)
{
    const char* const texts[] = {
        "y = x^2 - 4",           "y = x^3 - 3x + 1",      "y = sin(2x) + 0.5",   "y = tan(x)",
        "y = 1/(x^2 - 4)",       "y = (x + 2)/(x - 3)",   "y = x + 1/x",         "y = sin(x)/x",
        "y = 1/sin(x)",          "y = x e^(-x^2)",        "y = ln(x^2 + 1) - 1", "y = 1/x^2 - 1",
        "y = (x^2 - 9)/(x + 3)", "y = sqrt(9 - x^2) - 1", "y = 0.01x^3 - x",    "y = x/abs(x)",
        "y = ln(abs(x))",        "y = e^(1/x)",           "y = ln(x)"};
    for (const char* text : texts) {
        TypedCurve curve(text, -10, 10, -10, 10);
        KTFunction3& f = curve.Function();
        ASSERT_EQ(f.Status(), KTStatusExplicit) << text;
        const KTMarkerList& markers = f.m_markers;
        const auto value = [&f](double x) { return f.Evaluate(x, KTNoSecondValue).m_y; };
        for (int i = 0; i < markers.m_count; ++i) {
            const KTMarker& m = markers.m_markers[static_cast<std::size_t>(i)];
            const double x = m.m_point.m_x;
            const double y = m.m_point.m_y;
            if (m.m_kind == KTMarkerNoneFound)
                continue;
            EXPECT_TRUE(std::isfinite(x) && std::isfinite(y) && std::fabs(x) < 1e9 && std::fabs(y) < 1e9)
                << text << " kind " << m.m_kind;
            // The box is the curve analysis's: the discontinuities found before it are not in it.
            const bool analysed =
                m.m_kind != KTMarkerVerticalAsymptote && m.m_kind != KTMarkerPointDiscontinuity;
            EXPECT_TRUE(!analysed || (markers.m_minX <= x && x <= markers.m_maxX && markers.m_minY <= y &&
                                      y <= markers.m_maxY))
                << text << " kind " << m.m_kind << " outside the extents";
            switch (m.m_kind) {
            case KTMarkerXIntercept:
                EXPECT_LT(std::fabs(value(x)), 1e-8) << text << " root at " << x;
                EXPECT_NE(value(x - 1e-3) >= 0.0, value(x + 1e-3) >= 0.0) << text << " root at " << x;
                break;
            case KTMarkerLocalMaximum:
            case KTMarkerLocalMinimum:
                EXPECT_LT(std::fabs(f.Derivative(x)), 1e-4) << text << " turning point at " << x;
                EXPECT_EQ(y, value(x)) << text;
                EXPECT_EQ(m.m_kind == KTMarkerLocalMaximum, value(x - 1e-3) < y && value(x + 1e-3) < y)
                    << text << " turning point at " << x;
                break;
            case KTMarkerVerticalAsymptote: {
                const double a = value(x - 1e-5);
                const double b = value(x + 1e-5);
                EXPECT_TRUE(KTCurveValues::IsNoValue(a) || KTCurveValues::IsNoValue(b) || std::fabs(a) > 10 ||
                            std::fabs(b) > 10)
                    << text << " asymptote at " << x;
                break;
            }
            case KTMarkerPointDiscontinuity:
                EXPECT_NEAR(value(x - 1e-4), y, 1e-3) << text;
                EXPECT_NEAR(value(x + 1e-4), y, 1e-3) << text;
                break;
            default: break;
            }
        }
    }
}

TEST(TypedEvaluation, LineDivisorsAreFusedAndAgreeWithTheWalk)
{
    struct Row
    {
        const char* text;
        int operations;
    };
    const Row rows[] = {
        {"y = (x^2 + 1)/(x - 3)", 3}, // x^2, + 1, / (x - 3)
        {"y = 1/(x + 2)", 2},         // x + 2, then 1 / it
        {"y = x/(2x - 1)", 2},        {"y = sin(x)/(0.5x + 4)", 3}, {"y = (x - 1)/(x - 1)", 2},
    };
    for (const Row& row : rows) {
        KTAxes axes;
        kttest::SetAxes(axes, -10, 10, -10, 10);
        KTFunction3 f(&axes);
        f.Data().m_equationText = row.text;
        f.Interpret();
        ASSERT_EQ(f.Status(), KTStatusExplicit) << row.text;
        const ASTokenList& list = *f.Data().List(KTFunctionData3::FirstBranchList);
        KTEvaluationProgram program;
        program.Compile(list);
        ASSERT_TRUE(program.IsCompiled()) << row.text;
        EXPECT_EQ(program.OperationCount(), row.operations) << row.text;
        // The divisor's zeros, sentinels as x and ordinary points: bit for bit the same.
        for (const double x : {-4.0, -2.0, 0.0, 0.5, 1.0, 2.5, 3.0, -8.0, 1e12, KTUndefinedValue,
                               KTNoSecondValue, 1e300, -1e300}) {
            const KTEvaluationInputs in{x, KTNoSecondValue, nullptr, 1.0};
            EXPECT_EQ(program.Run(in), KTEvaluateTokens(list, in)) << row.text << " at " << x;
            EXPECT_EQ(f.Evaluate(x, KTNoSecondValue).m_y, KTEvaluateTokens(list, in))
                << row.text << " at " << x;
        }
    }
}

TEST(TypedEvaluation, SubtractingANegatedSentinelStaysASubtraction)
{
    // x - c becomes x + (-c) only where -c is no sentinel: added, it would make every value
    // undefined, while subtracted it is an ordinary large number.
    for (const double c : {-1000000000001.2, -1000000000001.5}) {
        for (const int form : {0, 1, 2, 3}) {
            const bool scaled = (form & 1) != 0;
            const bool reciprocal = (form & 2) != 0; // not a straight line: the full program runs
            ASTokenList list;
            if (reciprocal)
                list.Append(ASKind::Number, 1.0);
            if (scaled) {
                list.Append(ASKind::Number, 2.0);
                list.Append(ASKind::X);
                list.Append(ASKind::Multiply);
            } else {
                list.Append(ASKind::X);
            }
            list.Append(ASKind::Number, c);
            list.Append(ASKind::Minus);
            if (reciprocal)
                list.Append(ASKind::Divide);
            KTEvaluationProgram program;
            program.Compile(list);
            ASSERT_TRUE(program.IsCompiled());
            for (const double x : {-5.0, 0.0, 3.0}) {
                const KTEvaluationInputs in{x, KTNoSecondValue, nullptr, 1.0};
                EXPECT_EQ(program.Run(in), KTEvaluateTokens(list, in)) << c << " at " << x;
            }
            const double line = (scaled ? -10.0 : -5.0) - c;
            EXPECT_EQ(program.Run({-5.0, KTNoSecondValue, nullptr, 1.0}), reciprocal ? 1.0 / line : line);
        }
    }
}
