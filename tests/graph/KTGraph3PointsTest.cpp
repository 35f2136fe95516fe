// Points of interest and intersections as the graph finds them in a window, laid out as the view
// lays it out, at the sample positions that layout gives: checked against closed forms. The
// tables of an 800 by 600 window choose their views so that no sample falls on an answer (a
// guard says so); the sweep runs over window sizes, views and angle units, and also checks the
// drawn curve.

#include "engine/KTFunction3.h"
#include "engine/ASTokenList.h"
#include "foundation/KTSentinelValues.h"
#include "graph/KTGraph3.h"
#include "platform/KTDC.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
const double kRoot2 = std::sqrt(2.0);
const double kRoot3 = std::sqrt(3.0);

/// A graph in a window of the given pixels (800 by 600 unless told) at 96 dots per inch, over the
/// ranges typed into its axes options (the layout widens them to round scales), angles in
/// radians unless told (0 degrees, 1 radians, 2 grads).
class WindowGraph
{
public:
    WindowGraph(const char* xmin, const char* xmax, const char* ymin, const char* ymax, int width = 800,
                int height = 600, int angleSystem = 1)
        : m_dc(96, 96, CSize(width, height)), m_width(width), m_height(height)
    {
        m_dc.SetMapMode(MM_HIMETRIC);
        KTOptionGraph3& options = m_graph.Data().m_options;
        options.m_autoScale.m_value = 0;
        KTOptionAxes2& axes = options.m_axes;
        axes.m_angleSystem.m_value = angleSystem;
        axes.m_autoMinx.m_value = axes.m_autoMaxx.m_value = axes.m_autoMiny.m_value =
            axes.m_autoMaxy.m_value = 0;
        axes.m_xMinShowS.SetValue(xmin);
        axes.m_xMaxShowS.SetValue(xmax);
        axes.m_yMinShowS.SetValue(ymin);
        axes.m_yMaxShowS.SetValue(ymax);
    }

    void Set(int slot, const char* text) { m_graph.Data().Function(slot).Data().m_equationText = text; }

    /// What the view does on a paint: extents, the window's area, layout, recalculation.
    void Cycle()
    {
        m_graph.SetDirty();
        m_graph.ComputeDataExtents();
        CPoint corner(m_width, m_height);
        m_dc.DPtoLP(&corner);
        m_graph.SetArea(0, 0, corner.x, corner.y);
        m_graph.Layout(m_dc);
        m_graph.Recalculate(nullptr);
    }

    /// The markers of a kind, sorted by x, those at one point (within 1e-9) merged: a polar
    /// curve passes its points twice.
    std::vector<KTPoint> Points(int slot, int kind)
    {
        const KTMarkerList& markers = m_graph.Data().Function(slot).m_markers;
        std::vector<KTPoint> points;
        for (int i = 0; i < markers.m_count; ++i)
            if (markers.m_markers[static_cast<std::size_t>(i)].m_kind == kind)
                points.push_back(markers.m_markers[static_cast<std::size_t>(i)].m_point);
        std::sort(points.begin(), points.end(), [](const KTPoint& a, const KTPoint& b) {
            return a.m_x < b.m_x - 1e-9 || (a.m_x <= b.m_x + 1e-9 && a.m_y < b.m_y);
        });
        points.erase(std::unique(points.begin(), points.end(),
                                 [](const KTPoint& a, const KTPoint& b) {
                                     return std::fabs(a.m_x - b.m_x) <= 1e-9 &&
                                            std::fabs(a.m_y - b.m_y) <= 1e-9;
                                 }),
                     points.end());
        return points;
    }

    /// Distance from t to the nearest sample position of the slot's first branch, in samples:
    /// the positions of the axis's pixels, not the points the sampler adds between them (the
    /// ends of a domain, the sides of a pole).
    double SamplesAway(int slot, double t)
    {
        const KTFunction3& f = m_graph.Data().Function(slot);
        const bool swapped = f.Parts().m_inverse && !f.Parts().m_polar;
        const KTAxis& along = swapped ? m_graph.Axes().m_yAxis : m_graph.Axes().m_xAxis;
        const double steps = (t - along.m_min) / ((along.m_max - along.m_min) / along.SampleCount());
        return std::fabs(steps - std::round(steps));
    }

    bool InView(const KTPoint& p)
    {
        const KTAxes& axes = m_graph.Axes();
        return axes.m_xAxis.m_min <= p.m_x && p.m_x <= axes.m_xAxis.m_max && axes.m_yAxis.m_min <= p.m_y &&
               p.m_y <= axes.m_yAxis.m_max;
    }

    KTGraph3 m_graph;
    KTDC m_dc;
    int m_width;
    int m_height;
};

/// Every kind the graph labels.
const int kLabelledKinds[] = {1, 2, 4, 6, 7, 9, 10, 11, 12, 14, 16, 17, 18, 21, 22};

struct Expected
{
    int kind;
    std::vector<KTPoint> points;
    bool xOnly = false; ///< an upright asymptote: its x is its place
};

/// The points k * step + offset within [low, high] at height y.
std::vector<KTPoint> Every(double step, double offset, double low, double high, double y)
{
    std::vector<KTPoint> points;
    for (int k = static_cast<int>(std::ceil((low - offset) / step)); offset + k * step <= high; ++k)
        points.emplace_back(offset + k * step, y);
    return points;
}

} // namespace

TEST(WindowPoints, MarkersMatchClosedFormsAtTheSamplesOfA800By600Window)
{
    const double e = std::exp(-0.5);
    // The dimpled limaçon r = 3 + 2 cos(th) bends the other way where 17 + 18 cos(th) = 0.
    const double bendR = 3.0 - 2.0 * 17.0 / 18.0;
    const KTPoint bend(bendR * -17.0 / 18.0, bendR * std::sqrt(35.0) / 18.0);
    struct Row
    {
        const char* text;
        const char* range[4];
        std::vector<Expected> expected; ///< every labelled kind not listed is absent
    };
    const std::vector<Row> rows = {
        {"y=x^3", {"-2.7", "7.3", "-5", "5"}, {{1, {{0, 0}}}, {2, {{0, 0}}}, {4, {{0, 0}}}}},
        {"y=x^5", {"-2.7", "7.3", "-5", "5"}, {{1, {{0, 0}}}, {2, {{0, 0}}}, {4, {{0, 0}}}}},
        // x^4 touches the axis without a sign change: its minimum is a root as well.
        {"y=x^4", {"-2.7", "7.3", "-5", "5"}, {{1, {{0, 0}}}, {2, {{0, 0}}}, {7, {{0, 0}}}}},
        // The cube root passes 0 upright and bends the other way there.
        {"y=x^(1/3)", {"-2.7", "7.3", "-5", "5"}, {{1, {{0, 0}}}, {2, {{0, 0}}}, {12, {{0, 0}}}}},
        {"y=x^2-4", {"-2.7", "7.3", "-5", "5"}, {{1, {{0, -4}}}, {2, {{-2, 0}, {2, 0}}}, {7, {{0, -4}}}}},
        // x^3 + x bends the other way where its slope is least, not steepest.
        {"y=x^3+x", {"-2.7", "7.3", "-5", "5"}, {{1, {{0, 0}}}, {2, {{0, 0}}}, {12, {{0, 0}}}}},
        {"y=x^3-3x",
         {"-2.7", "7.3", "-5", "5"},
         {{1, {{0, 0}}},
          {2, {{-kRoot3, 0}, {0, 0}, {kRoot3, 0}}},
          {6, {{-1, 2}}},
          {7, {{1, -2}}},
          {12, {{0, 0}}}}},
        {"y=exp(-x^2)",
         {"-2.7", "7.3", "-5", "5"},
         {{1, {{0, 1}}}, {6, {{0, 1}}}, {12, {{-1 / kRoot2, e}, {1 / kRoot2, e}}}, {17, {{0, 0}}}}},
        // A tall view: each pole is crossed within a few samples and gets its asymptote.
        {"y=tan(x)",
         {"-3.3", "5.9", "-30", "30"},
         {{1, {{0, 0}}},
          {2, {{-kPi, 0}, {0, 0}, {kPi, 0}, {2 * kPi, 0}}},
          {12, {{-kPi, 0}, {0, 0}, {kPi, 0}, {2 * kPi, 0}}},
          {16, {}, true}}},
        // The sign change beside the pole at 3 pi / 2, near the right edge, is no root: nothing
        // at 2 pi, outside the view. In this short view each pole leaves it for some 25 samples
        // and still gets its asymptote.
        {"y=tan(x)",
         {"-4.3", "5.2", "-5", "5"},
         {{1, {{0, 0}}}, {2, {{-kPi, 0}, {0, 0}, {kPi, 0}}}, {12, {{-kPi, 0}, {0, 0}, {kPi, 0}}}, {16, {}, true}}},
        {"y=ln(abs(x-1))",
         {"-2.7", "7.3", "-5", "5"},
         {{1, {{0, 0}}}, {2, {{0, 0}, {2, 0}}}, {16, {{1, 0}}, true}}},
        // x = f(y) meets the y axis where f has its roots, and the x axis at f(0).
        {"x=y^2-1", {"-2.7", "7.3", "-5", "5"}, {{1, {{0, -1}, {0, 1}}}, {11, {{-1, 0}}}, {9, {{-1, 0}}}}},
        // The rose turns at its petals' tips and never bends the other way.
        {"r=2sin(3th)", {"-2.7", "7.3", "-5", "5"}, {{14, {{-kRoot3, 1}, {0, -2}, {kRoot3, 1}}}}},
        {"r=3+2cos(th)", {"-2.7", "7.3", "-5", "5"}, {{14, {{-1, 0}}}, {12, {{bend.m_x, -bend.m_y}, bend}}}},
    };
    for (const Row& row : rows) {
        WindowGraph graph(row.range[0], row.range[1], row.range[2], row.range[3]);
        graph.Set(0, row.text);
        graph.Cycle();
        const KTAxes& axes = graph.m_graph.Axes();
        const std::string where = std::string(row.text) + " in x " + std::to_string(axes.m_xAxis.m_min) +
                                  ".." + std::to_string(axes.m_xAxis.m_max);
        ASSERT_TRUE(graph.m_graph.Data().Function(0).IsDrawable()) << where;
        for (const int kind : kLabelledKinds) {
            const auto it = std::find_if(row.expected.begin(), row.expected.end(),
                                         [kind](const Expected& x) { return x.kind == kind; });
            const std::vector<KTPoint> found = graph.Points(0, kind);
            if (it == row.expected.end()) {
                EXPECT_TRUE(found.empty()) << where << ": unexpected kind " << kind << " at (" << found[0].m_x
                                           << ", " << found[0].m_y << ")";
                continue;
            }
            std::vector<KTPoint> expected = it->points;
            if (kind == 16 && expected.empty())
                expected = Every(kPi, kPi / 2, axes.m_xAxis.m_min, axes.m_xAxis.m_max, 0.0);
            if (found.size() != expected.size()) {
                ADD_FAILURE() << where << " kind " << kind << ": " << found.size() << " markers, not "
                              << expected.size();
                continue;
            }
            for (std::size_t i = 0; i < found.size(); ++i) {
                EXPECT_NEAR(found[i].m_x, expected[i].m_x, 1e-8) << where << " kind " << kind;
                if (!it->xOnly) {
                    EXPECT_NEAR(found[i].m_y, expected[i].m_y, 1e-8) << where << " kind " << kind;
                }
                EXPECT_TRUE(it->xOnly || graph.InView(found[i])) << where << " kind " << kind;
            }
        }
        // The guard: the layout put no sample on a point that the samples find.
        const KTFunction3& f = graph.m_graph.Data().Function(0);
        for (const Expected& x : row.expected) {
            if (f.Parts().m_polar || x.kind == 1 || x.kind == 11 || x.kind == 17)
                continue;
            for (const KTPoint& p : x.points) {
                EXPECT_GT(graph.SamplesAway(0, f.Parts().m_inverse ? p.m_y : p.m_x), 0.01)
                    << where << ": a sample lies on the answer " << p.m_x;
            }
        }
    }
}

TEST(WindowPoints, IntersectionsMatchClosedFormsOnceEach)
{
    struct Row
    {
        const char* first;
        const char* second;
        std::vector<KTPoint> meet; ///< sorted by x, then y
    };
    const double r2 = 2 * kRoot2;
    const std::vector<Row> rows = {
        {"y=x^2", "y=x+2", {{-1, 1}, {2, 4}}},
        // The curves meet at a shallow angle: a gap below 1e-8 is still 0.002 away from 0.
        {"y=x^3", "y=0", {{0, 0}}},
        {"y=x^3", "y=x", {{-1, -1}, {0, 0}, {1, 1}}},
        {"y=sin(x)",
         "y=cos(x)",
         {{-3 * kPi / 4, -kRoot2 / 2},
          {kPi / 4, kRoot2 / 2},
          {5 * kPi / 4, -kRoot2 / 2},
          {9 * kPi / 4, kRoot2 / 2}}},
        // Steep at 0, where the tangent-line search runs off to the crossing at -2 sqrt(2).
        {"y=x^(1/3)", "y=x/2", {{-r2, -kRoot2}, {0, 0}, {r2, kRoot2}}},
        {"y=x", "x=y^2-2", {{-1, -1}, {2, 2}}},
        {"x=y^2", "x=2-y^2", {{1, -1}, {1, 1}}},
        // One curve written two ways: their rounding crosses all along it, at no point of theirs.
        {"y=x^2", "y=(x+1)^2-2x-1", {}},
        {"x=y^3", "x=(y+1)^3-3y^2-3y-1", {}},
        // The same curve to the bit: nothing to cross.
        {"y=x^2+0*sin(x)", "y=x^2", {}},
        // a = 1: the same curve, with no isolated crossing anywhere along it.
        {"y=x^2", "y=ax^2", {}},
        {"y=x^2", "y=a x^2", {}},
    };
    for (const Row& row : rows) {
        WindowGraph graph("-2.7", "7.3", "-5", "5");
        graph.Set(0, row.first);
        graph.Set(1, row.second);
        graph.Cycle();
        const std::string where = std::string(row.first) + " with " + row.second;
        const KTMarkerList& list = graph.m_graph.Intersections();
        std::vector<KTPoint> found;
        for (int i = 0; i < list.m_count; ++i)
            found.push_back(list.m_markers[static_cast<std::size_t>(i)].m_point);
        std::sort(found.begin(), found.end(), [](const KTPoint& a, const KTPoint& b) {
            return a.m_x < b.m_x - 1e-6 || (a.m_x <= b.m_x + 1e-6 && a.m_y < b.m_y);
        });
        if (found.size() != row.meet.size()) {
            ADD_FAILURE() << where << ": " << found.size() << " points, not " << row.meet.size();
            continue;
        }
        for (std::size_t i = 0; i < found.size(); ++i) {
            EXPECT_NEAR(found[i].m_x, row.meet[i].m_x, 1e-8) << where << " point " << i;
            EXPECT_NEAR(found[i].m_y, row.meet[i].m_y, 1e-8) << where << " point " << i;
        }
        // Each slot keeps the same crossings.
        EXPECT_EQ(graph.m_graph.SlotIntersections(0).m_count, static_cast<int>(row.meet.size())) << where;
        EXPECT_EQ(graph.m_graph.SlotIntersections(1).m_count, static_cast<int>(row.meet.size())) << where;
    }
}

namespace {

/// Units of each angle system per radian, as the evaluator scales its angles.
const double kUnitsPerRadian[] = {57.29577951, 1.0, 63.66197724};

/// A typed number in plain decimals (a typed range is read without an exponent).
std::string Typed(double v)
{
    const int decimals =
        std::clamp(14 - static_cast<int>(std::floor(std::log10(std::max(std::fabs(v), 1e-300)))), 0, 40);
    char text[96];
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
    std::string typed = text;
    if (typed.find('.') != std::string::npos) {
        typed.erase(typed.find_last_not_of('0') + 1);
        if (typed.back() == '.')
            typed.pop_back();
    }
    return typed;
}

/// The points of one kind a curve has within [lo, hi] of x, for an angle system of u units per
/// radian.
using Family = std::function<std::vector<KTPoint>(double lo, double hi, double u)>;

Family Fixed(std::vector<KTPoint> points)
{
    return [points](double, double, double) { return points; };
}

/// x = (offset + k period) u for every whole k with x near [lo, hi], at height y.
Family Periodic(double period, double offset, double y = 0.0)
{
    return [=](double lo, double hi, double u) {
        std::vector<KTPoint> points;
        const int first = static_cast<int>(std::ceil((lo / u - offset) / period)) - 1;
        const int last = static_cast<int>(std::floor((hi / u - offset) / period)) + 1;
        for (int k = first; k <= last; ++k)
            points.emplace_back((offset + k * period) * u, y);
        return points;
    };
}

/// The points of both families.
Family Joined(Family a, Family b)
{
    return [a, b](double lo, double hi, double u) {
        std::vector<KTPoint> points = a(lo, hi, u);
        const std::vector<KTPoint> more = b(lo, hi, u);
        points.insert(points.end(), more.begin(), more.end());
        return points;
    };
}

struct SweepKind
{
    int kind;
    Family points;
    /// Points of the kind that may be marked but need not be: poles that crowd closer than the
    /// samples can tell apart (tan(tan x) towards pi/2).
    Family crowded = {};
};

/// The centre of a row's views and the half-widths of the first one (x in radians for a
/// function of an angle); the y half-width follows the x half-width to the power `order` (2
/// about the bottom of a parabola, -1 about a simple pole, 0 where the view keeps its height).
struct SweepView
{
    double cx, cy, hx, hy, order;
};

/// What a row checks beside its points.
enum SweepChecks {
    kEdges = 1,          ///< every piece of the drawn curve ends at the view's edge
    kAsymptotesOnly = 2, ///< too many points to check: only the asymptotes are (upright and level)
    kAlongY = 4,         ///< x = f(y): the zoom is of the y half-width, x follows it
};

/// A curve of a parameter has no asymptotes marked: the lines it runs off along (x = c upright,
/// y = c level) are listed, and no drawn segment may cross one. Its pieces may also end where
/// its parameter's range does: at its low end and at its last sample, 1/1600 of the range
/// short of the high end.
struct SweepCurve
{
    Family upright; ///< the x of each upright line (as points)
    std::vector<double> level;
    std::function<KTPoint(double)> at; ///< the curve's point at t
    double low = 0, high = 0;
};

struct SweepRow
{
    const char* text;
    std::vector<int> angleSystems; ///< 0 degrees, 1 radians, 2 grads
    SweepView view;
    std::vector<int> zooms; ///< powers of ten of the first half-width
    std::vector<SweepKind> kinds;
    int checks = 0;
    SweepCurve curve = {};
    int narrowest = 0; ///< the least window width the row's widest zoom is checked in
};

/// Kinds the sweep checks: every one of them in the view is found, and none is marked that is not.
const int kSweptKinds[] = {1, 2, 4, 6, 7, 9, 10, 11, 12, 14, 16, 17, 18};

/// Checks one view of the sweep; false (with the failures reported) when something is wrong.
bool SweepCheck(WindowGraph& graph, const SweepRow& row, double u, const std::string& where)
{
    KTGraph3& g = graph.m_graph;
    const KTAxis& xAxis = g.Axes().m_xAxis;
    const KTAxis& yAxis = g.Axes().m_yAxis;
    const double xmin = xAxis.m_min, xmax = xAxis.m_max, ymin = yAxis.m_min, ymax = yAxis.m_max;
    const double xPixel = (xmax - xmin) / xAxis.SampleCount();
    const double yPixel = (ymax - ymin) / yAxis.SampleCount();
    const std::string view =
        where + " in " + Typed(xmin) + ".." + Typed(xmax) + " x " + Typed(ymin) + ".." + Typed(ymax);
    bool ok = true;
    const auto fail = [&](const std::string& what) {
        ADD_FAILURE() << view << ": " << what;
        ok = false;
    };
    if (!g.Data().Function(0).IsDrawable()) {
        fail("not drawn");
        return false;
    }

    std::vector<double> poles;
    for (const int kind : kSweptKinds) {
        const bool upright = kind == 16;
        const bool level = kind == 17; // a level asymptote: its y is its place
        if ((row.checks & kAsymptotesOnly) && !upright && !level)
            continue;
        const auto it = std::find_if(row.kinds.begin(), row.kinds.end(),
                                     [kind](const SweepKind& k) { return k.kind == kind; });
        const auto inView = [&](const KTPoint& p) {
            return (level || (xmin <= p.m_x && p.m_x <= xmax)) && (upright || (ymin <= p.m_y && p.m_y <= ymax));
        };
        std::vector<KTPoint> expected;
        std::size_t needed = 0;
        if (it != row.kinds.end()) {
            for (const KTPoint& p : it->points(xmin, xmax, u))
                if (inView(p))
                    expected.push_back(p);
            needed = expected.size();
            if (it->crowded)
                for (const KTPoint& p : it->crowded(xmin, xmax, u))
                    if (inView(p))
                        expected.push_back(p);
        }
        if (upright)
            for (std::size_t i = 0; i < needed; ++i)
                poles.push_back(expected[i].m_x);
        // Within a few samples of the view's side the samples need not show a point; beside its
        // top or bottom the point may lie just outside.
        const auto required = [&](const KTPoint& p) {
            return (level || (p.m_x - xmin > 4 * xPixel && xmax - p.m_x > 4 * xPixel)) &&
                   (upright || (p.m_y - ymin > 2 * yPixel && ymax - p.m_y > 2 * yPixel));
        };
        const auto matches = [&](const KTPoint& found, const KTPoint& p) {
            return (level || std::fabs(found.m_x - p.m_x) <= 1e-8 * (xmax - xmin)) &&
                   (upright || std::fabs(found.m_y - p.m_y) <= 1e-8 * (ymax - ymin));
        };
        std::vector<int> matched(expected.size(), 0);
        for (const KTPoint& found : graph.Points(0, kind)) {
            const std::string at =
                "kind " + std::to_string(kind) + " at (" + Typed(found.m_x) + ", " + Typed(found.m_y) + ")";
            if (!inView(found)) {
                fail(at + " outside the view");
                continue;
            }
            bool any = false;
            for (std::size_t i = 0; i < expected.size(); ++i) {
                if (matches(found, expected[i])) {
                    any = true;
                    if (++matched[i] == 2)
                        fail(at + " marked twice");
                }
            }
            if (!any)
                fail(at + " is no such point");
        }
        for (std::size_t i = 0; i < needed; ++i)
            if (!matched[i] && required(expected[i]))
                fail("kind " + std::to_string(kind) + " at (" + Typed(expected[i].m_x) + ", " +
                     Typed(expected[i].m_y) + ") not found");
    }

    // The drawn curve: no segment across a pole, and with `edges` every piece ends at the
    // view's edge (or at an end of a parameter's range).
    KTDC dc(96, 96, CSize(graph.m_width, graph.m_height));
    dc.SetMapMode(MM_HIMETRIC);
    dc.SetRecording(true);
    g.Data().Function(0).Draw(dc);
    if (row.curve.upright)
        for (const KTPoint& p : row.curve.upright(xmin, xmax, u))
            poles.push_back(p.m_x);
    std::vector<int> poleDevice;
    for (const double x : poles)
        poleDevice.push_back(g.Axes().GraphToDevice(KTPoint(x, 0), 0, 0).x);
    std::vector<int> levelDevice;
    for (const double y : row.curve.level)
        levelDevice.push_back(g.Axes().GraphToDevice(KTPoint(0, y), 0, 0).y);
    std::vector<CPoint> endDevice;
    if (row.curve.at)
        for (const double t : {row.curve.low, row.curve.high - (row.curve.high - row.curve.low) / 1600})
            if (graph.InView(row.curve.at(t)))
                endDevice.push_back(g.Axes().GraphToDevice(row.curve.at(t), 0, 0));
    const auto across = [](int a, int b, int line) {
        return std::min(a, b) < line - 1 && std::max(a, b) > line + 1;
    };
    for (const KTDCRecord& r : dc.GetRecords()) {
        if (r.kind != KTDCRecordKind::Polyline || r.points.empty())
            continue;
        for (std::size_t k = 1; k < r.points.size(); ++k) {
            const CPoint& a = r.points[k - 1];
            const CPoint& b = r.points[k];
            for (std::size_t i = 0; i < poles.size(); ++i)
                if (across(a.x, b.x, poleDevice[i]))
                    fail("drawn across the pole at x = " + Typed(poles[i]));
            for (std::size_t i = 0; i < levelDevice.size(); ++i)
                if (across(a.y, b.y, levelDevice[i]))
                    fail("drawn across the pole along y = " + Typed(row.curve.level[i]));
        }
        if (!(row.checks & kEdges))
            continue;
        for (const CPoint& end : {r.points.front(), r.points.back()}) {
            const KTPoint p = g.Axes().DeviceToGraph(end, 0, 0);
            const bool atEdge = p.m_x - xmin <= 2 * xPixel || xmax - p.m_x <= 2 * xPixel ||
                                p.m_y - ymin <= 2 * yPixel || ymax - p.m_y <= 2 * yPixel;
            const bool atEnd = std::any_of(endDevice.begin(), endDevice.end(), [&](const CPoint& e) {
                return std::abs(e.x - end.x) <= 2 && std::abs(e.y - end.y) <= 2;
            });
            if (!atEdge && !atEnd)
                fail("a piece of the curve ends at (" + Typed(p.m_x) + ", " + Typed(p.m_y) +
                     "), short of the edge");
        }
    }
    return ok;
}

/// The poles of tan(tan x) where tan x = pi/2 + k pi for k in [first, last], in every turn of pi.
Family TanTanPoles(int first, int last)
{
    return [=](double lo, double hi, double u) {
        std::vector<KTPoint> points;
        for (int k = first; k <= last; ++k)
            for (const KTPoint& p : Periodic(kPi, std::atan(kPi / 2 + k * kPi))(lo, hi, u))
                points.push_back(p);
        return points;
    };
}

/// The points of (x/s)^3 - 3(x/s).
std::vector<SweepKind> ScaledCubic(double s)
{
    const double r = std::sqrt(3.0) * s;
    return {{1, Fixed({{0, 0}})},
            {2, Fixed({{-r, 0}, {0, 0}, {r, 0}})},
            {6, Fixed({{-s, 2}})},
            {7, Fixed({{s, -2}})},
            {12, Fixed({{0, 0}})}};
}

/// The points of sin x + cos 2x = sin x + 1 - 2 sin^2 x, each once in every turn of 2 pi.
std::vector<SweepKind> BumpsOfSinePlusCosine()
{
    // Both x in a turn where sin x = s, at the curve's height there.
    const auto whereSine = [](double s) {
        const double y = s + 1.0 - 2.0 * s * s;
        return Joined(Periodic(2 * kPi, std::asin(s), y), Periodic(2 * kPi, kPi - std::asin(s), y));
    };
    const Family touching = Periodic(2 * kPi, kPi / 2);
    return {{1, Fixed({{0, 1}})},
            {2, Joined(whereSine(-0.5), touching)},
            {6, whereSine(0.25)},
            {7, Joined(touching, Periodic(2 * kPi, -kPi / 2, -2.0))},
            {12, Joined(whereSine((1.0 + std::sqrt(129.0)) / 16.0), whereSine((1.0 - std::sqrt(129.0)) / 16.0))}};
}

} // namespace

TEST(WindowPoints, EveryPointOfInterestInEveryWindowViewAndAngleUnit)
{
    const double root2 = std::sqrt(2.0);
    const double root3 = std::sqrt(3.0);
    const double bend = std::exp(-0.5);
    const auto atOrigin = [] { return Fixed({{0, 0}}); };
    // tan x: its roots are where it bends the other way.
    const std::vector<SweepKind> tangent = {
        {1, atOrigin()}, {2, Periodic(kPi, 0)}, {12, Periodic(kPi, 0)}, {16, Periodic(kPi, kPi / 2)}};
    const std::vector<SweepRow> rows = {
        // Zoomed in a hundredfold, the bottom of the parabola is a few ulps of its value high.
        {"y=x^2-4x+5", {1}, {2, 1, 1, 1, 2}, {-2, -1, 0, 1, 2}, {{1, Fixed({{0, 5}})}, {7, Fixed({{2, 1}})}}},
        {"y=x^3-3x",
         {1},
         {0, 0, 3, 3, 1},
         {-1, 0, 1},
         {{1, Fixed({{0, 0}})},
          {2, Fixed({{-root3, 0}, {0, 0}, {root3, 0}})},
          {6, Fixed({{-1, 2}})},
          {7, Fixed({{1, -2}})},
          {12, Fixed({{0, 0}})}}},
        // At the thousandth the view is 2e-9 high.
        {"y=x^3",
         {1},
         {0, 0, 1, 1, 3},
         {-3, -2, -1, 0, 1},
         {{1, atOrigin()}, {2, atOrigin()}, {4, atOrigin()}}},
        // Curves that touch the axis have a root at their turning point, without a sign change.
        {"y=x^4", {1}, {0, 0, 1, 1, 4}, {-2, -1, 0, 1}, {{1, atOrigin()}, {2, atOrigin()}, {7, atOrigin()}}},
        // Views down to a millionth wide, narrower than the usual difference steps.
        {"y=x^2",
         {1},
         {0, 0, 0.5, 0.5, 2},
         {-6, -5, -4, -3},
         {{1, atOrigin()}, {2, atOrigin()}, {7, atOrigin()}}},
        // Zoomed in on both axes alike: across the view the slope changes by less than its step.
        {"y=x^2",
         {1},
         {0, 0, 1, 1, 1},
         {-7, -6, -5, -4},
         {{1, atOrigin()}, {2, atOrigin()}, {7, atOrigin()}}},
        {"y=(x-2)^2(x+3)",
         {1},
         {0, 0, 5, 20, 1},
         {0},
         {{1, Fixed({{0, 12}})},
          {2, Fixed({{-3, 0}, {2, 0}})},
          {6, Fixed({{-4.0 / 3, 500.0 / 27}})},
          {7, Fixed({{2, 0}})},
          {12, Fixed({{1.0 / 3, 250.0 / 27}})}}},
        {"y=(x-2)^2(x+3)", {1}, {2, 0, 1, 1, 2}, {-4, -2, 0}, {{2, Fixed({{2, 0}})}, {7, Fixed({{2, 0}})}}},
        {"y=cos(x)^2",
         {0, 1, 2},
         {0, 0, 3, 2, 0},
         {-1, 0, 1},
         {{1, Fixed({{0, 1}})},
          {2, Periodic(kPi, kPi / 2)},
          {6, Periodic(kPi, 0, 1.0)},
          {7, Periodic(kPi, kPi / 2)},
          {12, Periodic(kPi / 2, kPi / 4, 0.5)}}},
        {"y=ln(x^2+1)",
         {1},
         {0, 0, 2, 2, 1},
         {-2, -1, 0, 1},
         {{1, atOrigin()}, {2, atOrigin()}, {7, atOrigin()}, {12, Fixed({{-1, std::log(2.0)}, {1, std::log(2.0)}})}}},
        // Turning points where tan x = -x, bends where 2 cos x = x sin x (mpmath).
        {"y=xsin(x)",
         {1},
         {0, 0, 3, 3, 2},
         {-3, -2, -1, 0},
         {{1, atOrigin()},
          {2, Fixed({{-kPi, 0}, {0, 0}, {kPi, 0}})},
          {6, Fixed({{-2.028757838110434, 1.819705741159653}, {2.028757838110434, 1.819705741159653}})},
          {7, Fixed({{-4.913180439434884, -4.814469889712269}, {0, 0}, {4.913180439434884, -4.814469889712269}})},
          {12,
           Fixed({{-3.643597167425401, -1.753239568625337},
                  {-1.076873986311804, 0.948166137921565},
                  {1.076873986311804, 0.948166137921565},
                  {3.643597167425401, -1.753239568625337}})}}},
        // sin x + 1 - 2 sin^2 x: a double root at pi/2 (a minimum), simple ones where sin x = -1/2,
        // maxima where sin x = 1/4, bends where 8 sin^2 x - sin x - 4 = 0.
        {"y=sin(x)+cos(2x)", {0, 1, 2}, {0, 0, 4, 2.5, 0}, {0}, BumpsOfSinePlusCosine()},
        {"y=sin(x)+cos(2x)",
         {0, 1, 2},
         {kPi / 2, 0, 1, 1, 2},
         {-3, -2, -1},
         {{2, Periodic(2 * kPi, kPi / 2)}, {7, Periodic(2 * kPi, kPi / 2)}}},
        {"y=x^3", {1}, {0, 0, 1, 1, 1}, {-4, -3, -2}, {{1, atOrigin()}, {2, atOrigin()}, {4, atOrigin()}}},
        {"y=sin(x)",
         {0, 1, 2},
         {0, 0, 1, 1, 1},
         {-2},
         {{1, atOrigin()}, {2, Periodic(kPi, 0)}, {12, Periodic(kPi, 0)}}},
        {"y=x^3-3x", {1}, {1, -2, 1, 3, 2}, {-3, -2}, {{7, Fixed({{1, -2}})}}},
        // 1 made of terms that do not cancel exactly: its slopes are rounding, with no turn.
        {"y=(x+1)^2-x^2-2x", {1}, {0, 1, 5, 1, 0}, {-3, 0, 2}, {{1, Fixed({{0, 1}})}}},
        {"y=e^(-x^2)",
         {1},
         {0, 1, 3, 1, 2},
         {-1, 0, 1},
         {{1, Fixed({{0, 1}})},
          {6, Fixed({{0, 1}})},
          {12, Fixed({{-1 / root2, bend}, {1 / root2, bend}})},
          {17, atOrigin()}}},
        // Zoomed out a hundredfold the view (widened to round scales) holds some seven hundred
        // points: the list keeps them all.
        {"y=sin(x)",
         {0, 1, 2},
         {0, 0, 3, 2, 1},
         {-1, 0, 1, 2},
         {{1, atOrigin()},
          {2, Periodic(kPi, 0)},
          {6, Periodic(2 * kPi, kPi / 2, 1.0)},
          {7, Periodic(2 * kPi, -kPi / 2, -1.0)},
          {12, Periodic(kPi, 0)}}},
        // A million radians out, the slope's usual step (a millionth of x) spans a turn and more.
        {"y=sin(x)",
         {0, 1, 2},
         {kPi / 2 + 2 * kPi * 159155, 1, 1, 1, 2},
         {-1, 0},
         {{2, Periodic(kPi, 0)},
          {6, Periodic(2 * kPi, kPi / 2, 1.0)},
          {7, Periodic(2 * kPi, -kPi / 2, -1.0)},
          {12, Periodic(kPi, 0)}}},
        {"y=tan(x)", {0, 1, 2}, {0, 0, 3, 5, 1}, {-1, 0, 1}, tangent, kEdges},
        // A tall view: the samples either side of each pole lie inside it.
        {"y=tan(x)", {0, 1, 2}, {0, 0, 5, 1000, 0}, {0}, tangent, kEdges},
        {"y=sec(x)",
         {0, 1, 2},
         {0, 0, 3, 4, 1},
         {0, 1},
         {{1, Fixed({{0, 1}})},
          {6, Periodic(2 * kPi, kPi, -1.0)},
          {7, Periodic(2 * kPi, 0, 1.0)},
          {16, Periodic(kPi, kPi / 2)}},
         kEdges},
        // No value at 0: no y-intercept.
        {"y=cot(x)",
         {0, 1, 2},
         {0.2, 0, 3, 5, 1},
         {0},
         {{2, Periodic(kPi, kPi / 2)}, {12, Periodic(kPi, kPi / 2)}, {16, Periodic(kPi, 0)}},
         kEdges},
        {"y=1/(x-1)",
         {1},
         {1, 0, 4, 4, -1},
         {-2, -1, 0, 1, 2},
         {{1, Fixed({{0, -1}})}, {16, Fixed({{1, 0}})}, {17, atOrigin()}},
         kEdges},
        {"y=1/(x^2-4)",
         {1},
         {0, 0, 4, 2, 1},
         {0, 1},
         {{1, Fixed({{0, -0.25}})}, {6, Fixed({{0, -0.25}})}, {16, Fixed({{-2, 0}, {2, 0}})}, {17, atOrigin()}},
         kEdges},
        {"y=1/x^2", {1}, {0, 0, 4, 4, -2}, {-2, -1, 0, 1, 2}, {{16, atOrigin()}, {17, atOrigin()}}, kEdges},
        {"y=ln(x)",
         {1},
         {0, 0, 5, 5, 0},
         {-2, -1, 0, 1, 2},
         {{2, Fixed({{1, 0}})}, {16, atOrigin()}},
         kEdges},
        {"y=ln(abs(x))",
         {1},
         {0, 0, 5, 5, 0},
         {-2, -1, 0, 1, 2},
         {{2, Fixed({{-1, 0}, {1, 0}})}, {16, atOrigin()}},
         kEdges},
        // A line over views up to a billion wide: drawn across the whole of each.
        {"y=2x+1",
         {1},
         {0, 0, 5, 5, 1},
         {0, 3, 6, 9},
         {{1, Fixed({{0, 1}})}, {2, Fixed({{-0.5, 0}})}},
         kEdges},
        // x = f(y) turns where f' = 0 and meets the y axis at the roots of f.
        {"x=y^3-3y",
         {1},
         {0, 0, 3, 3, 1},
         {-1, 0, 1},
         {{1, Fixed({{0, -root3}, {0, 0}, {0, root3}})},
          {9, Fixed({{-2, 1}, {2, -1}})},
          {11, atOrigin()},
          {12, atOrigin()}},
         kAlongY},
        // The rose turns at the tips of its petals, each passed twice, in every angle unit.
        {"r=2sin(3th)", {0, 1, 2}, {0, 0, 3, 3, 1}, {0}, {{14, Fixed({{-root3, 1}, {0, -2}, {root3, 1}})}}},
        // Level asymptotes at the limits themselves, not at f(+-100000).
        {"y=atan(x)",
         {1},
         {0, 0, 5, 2, 0},
         {0, 1, 2},
         {{1, atOrigin()}, {2, atOrigin()}, {12, atOrigin()}, {17, Fixed({{0, -kPi / 2}, {0, kPi / 2}})}}},
        {"y=100/(x-70)",
         {1},
         {0, 0, 5, 5, 0},
         {-1, 0, 1, 2},
         {{1, Fixed({{0, -10.0 / 7}})}, {16, Fixed({{70, 0}})}, {17, atOrigin()}}},
        {"y=sin(x)/x", {1}, {0, 0, 5, 2, 0}, {0, 1}, {{17, atOrigin()}}, kAsymptotesOnly},
        {"y=ln(x)/x",
         {1},
         {0, 0, 5, 2, 0},
         {0, 1},
         {{2, Fixed({{1, 0}})},
          {6, Fixed({{std::exp(1.0), std::exp(-1.0)}})},
          {12, Fixed({{std::exp(1.5), 1.5 * std::exp(-1.5)}})},
          {16, atOrigin()},
          {17, atOrigin()}}},
        // Wide views: near 0 the difference steps must still move f by more than its rounding.
        {"y=x^2/1000000-1000000",
         {1},
         {0, 0, 2e6, 2e6, 1},
         {0, 1, 2},
         {{1, Fixed({{0, -1e6}})}, {2, Fixed({{-1e6, 0}, {1e6, 0}})}, {7, Fixed({{0, -1e6}})}}},
        {"y=(x-1)^2/1000000-1000000",
         {1},
         {0, 0, 2e6, 2e6, 1},
         {0, 1},
         {{1, Fixed({{0, 1e-6 - 1e6}})}, {2, Fixed({{1 - 1e6, 0}, {1 + 1e6, 0}})}, {7, Fixed({{1, -1e6}})}}},
        {"y=(x/100000)^3-3(x/100000)", {1}, {0, 0, 5e5, 5, 0}, {0, 1}, ScaledCubic(1e5)},
        {"y=(x/100000000)^3-3(x/100000000)", {1}, {0, 0, 5e8, 5, 0}, {0}, ScaledCubic(1e8)},
        // Poles where |f| grows faster than any power, and beyond the largest double; on views up
        // to thousands wide the samples nearest the pole lie in the view.
        {"y=exp(x^(-2))", {1}, {0, 0, 3, 5, 0}, {-1, 0, 1, 2, 3}, {{16, atOrigin()}, {17, Fixed({{0, 1}})}}},
        {"y=sinh((1.1x)^(-1))", {1}, {0, 0, 3, 5, 0}, {-1, 0, 1, 2, 3}, {{16, atOrigin()}, {17, atOrigin()}}},
        // e^(cosec(pi x)) is 0 on one side of each pole and runs past the doubles on the other; the
        // program's own pi (3.141592654) places them. Up to a hundred wide: a thousand poles hold
        // more than the 1600 samples of the widest window can tell apart.
        {"y=exp(cosec(x*pi))",
         {1},
         {0, 0, 5, 5, 0},
         {-1, 0, 1},
         {{16, Periodic(kPi / 3.141592654, 0)}},
         kAsymptotesOnly},
        // e^(1/x) has no value past the doubles just right of 0 and is 0 just left of it; level at
        // 1 either way, bending the other way where 2x + 1 = 0.
        {"y=e^(1/x)",
         {1},
         {0, 0, 3, 5, 0},
         {-1, 0, 1},
         {{12, Fixed({{-0.5, std::exp(-2.0)}})}, {16, atOrigin()}, {17, Fixed({{0, 1}})}}},
        // Wider, the bend lies within a sample of the pole, where the samples cannot show it.
        {"y=e^(1/x)", {1}, {0, 0, 3, 5, 0}, {2, 3}, {{16, atOrigin()}, {17, Fixed({{0, 1}})}}, kAsymptotesOnly},
        // Poles where tan x = pi/2 + k pi, crowding towards each pole of tan x: those with
        // |tan x| < 2 pi stand apart by several samples, the others may be marked. Sixty wide,
        // those at |tan x| = 3 pi / 2 lie within two samples of the next ones.
        {"y=tan(tan(x))",
         {1},
         {0, 0, 3, 5, 0},
         {-1, 0},
         {{16, TanTanPoles(-2, 1), Joined(TanTanPoles(-2000, -3), TanTanPoles(2, 2000))}},
         kAsymptotesOnly},
        {"y=tan(tan(x))",
         {1},
         {0, 0, 3, 5, 0},
         {1},
         {{16, TanTanPoles(-1, 0), Joined(TanTanPoles(-2000, -2), TanTanPoles(1, 2000))}},
         kAsymptotesOnly},
        // Some 40 roots, extrema and bends each in a view ten wide: the list keeps them all. A
        // hundred wide, a window 800 wide has some four samples a turn, between which the
        // extrema and bends lie; narrower ones have too few to tell them.
        {"y=sin(12x)",
         {0, 1, 2},
         {0, 0, 5, 2, 0},
         {-1, 0, 1},
         {{1, atOrigin()},
          {2, Periodic(kPi / 12, 0)},
          {6, Periodic(kPi / 6, kPi / 24, 1.0)},
          {7, Periodic(kPi / 6, -kPi / 24, -1.0)},
          {12, Periodic(kPi / 12, 0)}},
         0,
         {},
         800},
        // Holes in a line and in a constant, where f has no value at one point only.
        {"y=x^-1*x*pi*x", {1}, {0, 0, 3, 3, 1}, {-2, 0, 2}, {{18, atOrigin()}}},
        {"y=x/x", {1}, {0, 1, 3, 3, 1}, {-1, 0}, {{17, Fixed({{0, 1}})}, {18, Fixed({{0, 1}})}}},
        // A jump is no upright asymptote, and no root; each side is level at its limit.
        {"y=x/abs(x)", {1}, {0, 0, 4, 4, 0}, {-2, -1, 0, 1, 2}, {{17, Fixed({{0, -1}, {0, 1}})}}},
        // Bounded however fast it turns: no upright asymptote; level at sin 0 far off.
        {"y=sin(1/x)", {1}, {0, 0, 1, 2, 0}, {-1, 0, 1}, {{17, atOrigin()}}, kAsymptotesOnly},
        // r = tan(angle) runs off along x = 1 and x = -1 and meets y = 0 only at the origin,
        // without crossing it: a segment across y = 0 would join its branches across a pole.
        {"r=tan(th)", {0, 1, 2}, {0, 0, 2, 2, 1}, {0, 1, 2, 3}, {}, kAsymptotesOnly, {{}, {0}, {}, 0, 0}},
        // Curves of a parameter run off along their asymptotes at the poles of x(t) or y(t), and
        // are never joined across one. tan(t) about its pole at pi/2, and in a view so tall that
        // the samples beside each pole lie inside it.
        {"x=t; y=tan(t); -10<t<10",
         {1},
         {kPi / 2, 0, 3, 5, -1},
         {-1, 0, 1},
         {},
         kEdges,
         {Periodic(kPi, kPi / 2), {}, [](double t) { return KTPoint(t, std::tan(t)); }, -10, 10}},
        {"x=t; y=tan(t); -10<t<10",
         {1},
         {0, 0, 5, 1000, 0},
         {0},
         {},
         kEdges,
         {Periodic(kPi, kPi / 2), {}, [](double t) { return KTPoint(t, std::tan(t)); }, -10, 10}},
        // A hole is no pole: sin(t)/t is drawn whole through t = 0, which no sample falls on.
        {"x=t; y=sin(t)/t; -10<t<10.3",
         {1},
         {0, 0.5, 3, 1, 0},
         {-1, 0, 1},
         {},
         kEdges,
         {{}, {}, [](double t) { return KTPoint(t, std::sin(t) / t); }, -10, 10.3}},
        // y = 1/x traced through its pole at t = 0, along y = 0; zoomed out, the samples beside
        // it lie inside the view (none falls on it).
        {"x=1/t; y=t; -20<t<21",
         {1},
         {0, 0, 4, 4, -1},
         {-1, 0, 1, 2},
         {},
         kEdges,
         {{}, {0}, [](double t) { return KTPoint(1 / t, t); }, -20, 21}},
        // y = x/(2x + 1): the pole of y at t = -1 is upright at x = -1/2, that of x at t = 1
        // level at y = 1/2; both ends of t lie near the origin.
        {"x=1/(t-1); y=1/(t+1); -20<t<21",
         {1},
         {-0.5, 0.5, 2, 2, 1},
         {-1, 0, 1, 2},
         {},
         kEdges,
         {Fixed({{-0.5, 0}}), {0.5}, [](double t) { return KTPoint(1 / (t - 1), 1 / (t + 1)); }, -20, 21}},
    };
    const std::vector<std::pair<int, int>> windows = {{500, 400},  {640, 480},  {800, 600},   {836, 565},
                                                      {1024, 768}, {1366, 768}, {1600, 1200}, {2560, 1600}};
    // Each view centred on the row's point, and moved off it by a part of its width.
    const double offsets[][2] = {{0.0, 0.0}, {0.37, 0.23}};

    int views = 0;
    int failed = 0;
    for (const SweepRow& row : rows) {
        for (const int angle : row.angleSystems) {
            // A polar curve's view is of lengths whatever the unit of its angle.
            const double u = row.text[0] == 'r' ? 1.0 : kUnitsPerRadian[angle];
            for (const int zoom : row.zooms) {
                const SweepView& v = row.view;
                const bool alongY = (row.checks & kAlongY) != 0;
                const double hx = v.hx * u * std::pow(10.0, alongY ? zoom * v.order : zoom);
                const double hy = v.hy * std::pow(10.0, alongY ? zoom : zoom * v.order);
                for (const auto& offset : offsets) {
                    const double cx = v.cx * u + offset[0] * hx;
                    const double cy = v.cy + offset[1] * hy;
                    for (const auto& [width, height] : windows) {
                        if (zoom == row.zooms.back() && width < row.narrowest)
                            continue;
                        ++views;
                        WindowGraph graph(Typed(cx - hx).c_str(), Typed(cx + hx).c_str(),
                                          Typed(cy - hy).c_str(), Typed(cy + hy).c_str(), width, height,
                                          angle);
                        graph.Set(0, row.text);
                        graph.Cycle();
                        const std::string where = std::string(row.text) + " at " + std::to_string(width) +
                                                  "x" + std::to_string(height) + " angle " +
                                                  std::to_string(angle) + " zoom " + std::to_string(zoom) +
                                                  " off " + std::to_string(offset[0]);
                        if (!SweepCheck(graph, row, u, where) && ++failed >= 20)
                            FAIL() << "more views fail";
                    }
                }
            }
        }
    }
    EXPECT_GT(views, 1000);
}

TEST(WindowPoints, AListOfMarkersThatReachesItsLimitIsToldOnceEachTimeItFills)
{
    // Twenty branches that cross each other about every other pixel: more than the list holds.
    WindowGraph graph("-10", "10", "-2", "2", 2560, 1600);
    for (int k = 0; k < 10; ++k)
        graph.Set(k, ("y=+-sin(3000x^2+" + std::to_string(k + 1) + ")").c_str());
    const auto told = [&graph] {
        int intersections = 0;
        for (const KTInputMessage& message : graph.m_graph.TakePendingMessages()) {
            EXPECT_EQ(CString("KT Graph 3"), message.caption);
            EXPECT_EQ(CString("There are more points of intersection in view than can be marked; only 32000 of "
                              "them are marked. Zoom in to see the others."),
                      message.text);
            ++intersections;
        }
        return intersections;
    };
    graph.Cycle();
    EXPECT_EQ(KTMarkerList::Capacity, graph.m_graph.Intersections().m_count);
    EXPECT_TRUE(graph.m_graph.Intersections().m_full);
    EXPECT_EQ(1, told());
    // Every function's own points fit: none of them is told.
    for (int k = 0; k < 10; ++k)
        EXPECT_FALSE(graph.m_graph.Data().Function(k).m_markers.m_full) << k;
    graph.Cycle(); // full again: already told
    EXPECT_EQ(0, told());
    graph.m_graph.Draw(graph.m_dc, nullptr); // a paint without recalculation tells nothing
    EXPECT_EQ(0, told());

    // Zoomed in, the list has room; zoomed out again, it fills again and says so again.
    KTOptionAxes2& axes = graph.m_graph.Data().m_options.m_axes;
    axes.m_xMinShowS.SetValue("-0.01");
    axes.m_xMaxShowS.SetValue("0.01");
    graph.Cycle();
    EXPECT_FALSE(graph.m_graph.Intersections().m_full);
    EXPECT_LT(graph.m_graph.Intersections().m_count, KTMarkerList::Capacity);
    EXPECT_EQ(0, told());
    axes.m_xMinShowS.SetValue("-10");
    axes.m_xMaxShowS.SetValue("10");
    graph.Cycle();
    EXPECT_EQ(1, told());
}
