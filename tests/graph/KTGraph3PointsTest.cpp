// Points of interest and intersections as the graph finds them in an 800 by 600 window, laid out
// as the view lays it out, at the sample positions that layout gives: checked against closed
// forms. Each window is chosen so that no sample falls on an answer; a guard says so.

#include "engine/KTFunction3.h"
#include "foundation/KTSentinelValues.h"
#include "graph/KTGraph3.h"
#include "platform/KTDC.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
const double kRoot2 = std::sqrt(2.0);
const double kRoot3 = std::sqrt(3.0);

/// A graph in an 800 by 600 pixel window at 96 dots per inch, over the ranges typed into its
/// axes options (the layout widens them to round scales), angles in radians.
class WindowGraph
{
public:
    WindowGraph(const char* xmin, const char* xmax, const char* ymin, const char* ymax)
        : m_dc(96, 96, CSize(800, 600))
    {
        m_dc.SetMapMode(MM_HIMETRIC);
        KTOptionGraph3& options = m_graph.Data().m_options;
        options.m_autoScale.m_value = 0;
        KTOptionAxes2& axes = options.m_axes;
        axes.m_angleSystem.m_value = 1;
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
        CPoint corner(800, 600);
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
        // x^4 touches the axis without a sign change: its minimum is the point.
        {"y=x^4", {"-2.7", "7.3", "-5", "5"}, {{1, {{0, 0}}}, {7, {{0, 0}}}}},
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
