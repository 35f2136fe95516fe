#include "KTGraph3TestSupport.h"

#include "axes/KTUndefined.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

using kttest::GraphRig;
using kttest::PolygonContains;

TEST(KTGraph3Regions, FrameTextsFollowTheViewOnlyWithInequalities)
{
    GraphRig rig;
    rig.Set(0, "y=x");
    rig.Cycle();
    EXPECT_EQ(rig.m_graph.CountInequalities(), 0);
    for (int slot = 10; slot < 14; ++slot)
        EXPECT_EQ(rig.Function(slot).Data().m_equationText, "") << slot;
    EXPECT_EQ(rig.m_graph.RegionCount(), 0);

    rig.Set(1, "y>x^2");
    rig.Redo();
    EXPECT_EQ(rig.m_graph.CountInequalities(), 1);
    // Just inside the view's edges, by a millionth of the range across x and two across y.
    const char* expected[] = {"x>-9.999980000", "x<9.999980000", "y>-9.999960000", "y<9.999960000"};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(rig.Function(10 + k).Data().m_equationText, expected[k]);
        EXPECT_TRUE(rig.Function(10 + k).IsDrawable()) << k;
    }
}

TEST(KTGraph3Regions, PointSatisfiesIncludesTheBoundaryWithinTolerance)
{
    GraphRig rig;
    const char* texts[] = {"y>x^2",     "y>=x^2", "y<x^2",  "y<=x^2",     "x>y^2",
                           "x^2+y^2<4", "y=x^2",  "r<th+4", "y>x^2; y<4", "y<x^2; y<4"};
    for (int slot = 0; slot < 10; ++slot)
        rig.Set(slot, texts[slot]);
    rig.Cycle();
    const struct
    {
        int slot;
        KTPoint point;
        bool satisfies;
    } rows[] = {
        {0, {1, 2}, true},
        {0, {1, 0}, false},
        {0, {1, 1}, true},
        {0, {1, 0.99995}, true},
        {0, {1, 0.9998}, false},
        {1, {1, 1}, true},
        {1, {1, 0.5}, false},
        {2, {1, 0}, true},
        {2, {1, 1.00005}, true},
        {2, {1, 1.001}, false},
        {3, {1, 1}, true},
        {4, {4, 1}, true},
        {4, {0.5, 1}, false},
        {5, {0.5, 0.5}, true},
        {5, {3, 0}, false},
        {5, {2, 0}, true},
        {6, {1, 1}, false},
        // Polar, in degrees: the negative x axis is -180 degrees, the positive y axis 90.
        {7, {-3, 0}, false},
        {7, {0, 3}, true},
        {7, {3, 0}, true},
        // A domain on y bounds the region too: above the parabola and below 4, not above 4.
        {8, {1, 2}, true},
        {8, {1, 5}, false},
        {8, {0.5, 4.5}, false},
        {8, {3, 3.5}, false},
        // Below the parabola and below 4: also where the parabola itself is above 4.
        {9, {3, 2}, true},
        {9, {3, 5}, false},
        {9, {1, 2}, false},
        {9, {0, -2}, true},
    };
    for (const auto& row : rows)
        EXPECT_EQ(rig.m_graph.PointSatisfies(rig.Function(row.slot), row.point), row.satisfies)
            << texts[row.slot] << " at (" << row.point.m_x << ", " << row.point.m_y << ")";
}

TEST(KTGraph3Regions, PolygonOfParabolaAndLine)
{
    GraphRig rig;
    rig.Set(0, "y>x^2");
    rig.Set(1, "y<4");
    rig.Cycle();
    ASSERT_TRUE(rig.m_graph.RegionIsPolygon());
    ASSERT_EQ(rig.m_graph.RegionCount(), 1);
    const std::vector<KTPoint>& outline = rig.m_graph.Region(0).m_points;
    ASSERT_GT(outline.size(), 50u);
    EXPECT_TRUE(PolygonContains(outline, KTPoint(0, 1)));
    EXPECT_TRUE(PolygonContains(outline, KTPoint(1.9, 3.9)));
    EXPECT_FALSE(PolygonContains(outline, KTPoint(3, 0)));
    EXPECT_FALSE(PolygonContains(outline, KTPoint(0, 5)));
    EXPECT_FALSE(PolygonContains(outline, KTPoint(0, -0.1)));
    // Every vertex lies in the closed region.
    for (const KTPoint& p : outline) {
        EXPECT_GE(p.m_y, p.m_x * p.m_x - 1e-3);
        EXPECT_LE(p.m_y, 4.0 + 1e-6);
    }
}

TEST(KTGraph3Regions, PolygonBoundedByTheFrame)
{
    GraphRig rig;
    rig.Set(0, "y>x");
    rig.Cycle();
    ASSERT_TRUE(rig.m_graph.RegionIsPolygon());
    ASSERT_EQ(rig.m_graph.RegionCount(), 1);
    const std::vector<KTPoint>& outline = rig.m_graph.Region(0).m_points;
    EXPECT_TRUE(PolygonContains(outline, KTPoint(-5, 5)));
    EXPECT_TRUE(PolygonContains(outline, KTPoint(-9, 9.2)));
    EXPECT_FALSE(PolygonContains(outline, KTPoint(5, -5)));
    // The frame inequalities keep it inside the view and take it up to the view's edges.
    EXPECT_TRUE(PolygonContains(outline, KTPoint(-9.9999, 9.9999)));
    EXPECT_TRUE(PolygonContains(outline, KTPoint(-9.9999, 0)));
    EXPECT_TRUE(PolygonContains(outline, KTPoint(0, 9.9999)));
    EXPECT_FALSE(PolygonContains(outline, KTPoint(-10.0001, 0)));
    EXPECT_FALSE(PolygonContains(outline, KTPoint(0, 10.0001)));
    for (const KTPoint& p : outline) {
        EXPECT_TRUE(std::fabs(p.m_x) <= 10.0 && std::fabs(p.m_y) <= 10.0) << p.m_x << ", " << p.m_y;
        EXPECT_GE(p.m_y, p.m_x - 1e-4);
    }
}

TEST(KTGraph3Regions, AtMostTenOutlinesElseDots)
{
    GraphRig rig;
    rig.m_graph.Data().m_options.m_axes.m_angleSystem.m_value = 1; // radians
    rig.Set(0, "y<sin(2x)");
    rig.Set(1, "y>0.5");
    rig.Cycle();
    // sin(2x) rises above 0.5 on six or seven arches between -9.3 and 9.4.
    ASSERT_TRUE(rig.m_graph.RegionIsPolygon());
    EXPECT_GE(rig.m_graph.RegionCount(), 6);
    EXPECT_LE(rig.m_graph.RegionCount(), 7);
    for (int k = 0; k < rig.m_graph.RegionCount(); ++k)
        for (const KTPoint& p : rig.m_graph.Region(k).m_points)
            EXPECT_GE(p.m_y, 0.5 - 1e-4);

    // sin(5x) has sixteen such arches: too many outlines, so the region is shown as dots.
    rig.Set(0, "y<sin(5x)");
    rig.Redo();
    EXPECT_FALSE(rig.m_graph.RegionIsPolygon());
    ASSERT_EQ(rig.m_graph.RegionCount(), 1);
    EXPECT_EQ(rig.m_graph.Region(0).m_owner, -1);
    EXPECT_FALSE(rig.m_graph.Region(0).m_points.empty());
}

namespace {

/// The hatch lines of a region list: x, lower end, upper end.
struct HatchLine
{
    double x, low, high;
};

std::vector<HatchLine> LinesOf(const KTRegionList& list)
{
    std::vector<HatchLine> lines;
    EXPECT_EQ(list.m_points.size() % 2, 0u);
    for (std::size_t k = 0; k + 1 < list.m_points.size(); k += 2) {
        EXPECT_EQ(list.m_points[k].m_x, list.m_points[k + 1].m_x);
        EXPECT_LE(list.m_points[k].m_y, list.m_points[k + 1].m_y);
        lines.push_back({list.m_points[k].m_x, list.m_points[k].m_y, list.m_points[k + 1].m_y});
    }
    return lines;
}

/// Graph units of x per logical unit of the rig's layout.
double XPerUnit(GraphRig& rig)
{
    return 20.0 / (rig.Device(10, 0).x - rig.Device(-10, 0).x);
}

} // namespace

// Without the solid fill the common region is hatched: vertical lines 4 pixels apart (at 96 dpi,
// in HIMETRIC units here), each running from the parabola to the line y = 4 exactly.
TEST(KTGraph3Regions, FeasibleHatchingWithoutSolidFill)
{
    GraphRig rig;
    rig.m_graph.Data().m_options.m_frSolid.m_value = 0;
    rig.Set(0, "y>x^2");
    rig.Set(1, "y<4");
    rig.Cycle();
    EXPECT_FALSE(rig.m_graph.RegionIsPolygon());
    ASSERT_EQ(rig.m_graph.RegionCount(), 1);
    EXPECT_EQ(rig.m_graph.Region(0).m_owner, -1);
    EXPECT_NEAR(rig.m_graph.HatchPitch(), 4 * 2540.0 / 96, 1e-9);
    const std::vector<HatchLine> lines = LinesOf(rig.m_graph.Region(0));
    // -2..2 across 4 / (pitch in graph units) lines.
    const double pitch = rig.m_graph.HatchPitch() * XPerUnit(rig);
    ASSERT_NEAR(static_cast<double>(lines.size()), 4.0 / pitch, 1.5);
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const HatchLine& line = lines[k];
        EXPECT_NEAR(line.low, line.x * line.x, 1e-6) << line.x;
        EXPECT_NEAR(line.high, 4.0, 1e-6) << line.x;
        if (k > 0) {
            EXPECT_NEAR(line.x - lines[k - 1].x, pitch, 1.01 * XPerUnit(rig));
        }
    }
}

// Each inequality's lines lie k/n of the pitch to the right of the first's; inequalities that
// hold everywhere give lines from the bottom of the view to its top.
TEST(KTGraph3Regions, InequalityHatchingInterleaves)
{
    const char* always[] = {"y>-100", "y<100", "x>-100", "x<100", "y>-200"};
    for (int n = 1; n <= 5; ++n) {
        GraphRig rig;
        rig.m_graph.Data().m_options.m_frOnly.m_value = 0;
        for (int k = 0; k < n; ++k)
            rig.Set(k, always[k]);
        rig.Cycle();
        ASSERT_EQ(rig.m_graph.RegionCount(), n);
        const double pitch = rig.m_graph.HatchPitch() * XPerUnit(rig);
        std::size_t count = 0;
        for (int k = 0; k < n; ++k) {
            const KTRegionList& list = rig.m_graph.Region(k);
            EXPECT_EQ(list.m_owner, k);
            const std::vector<HatchLine> lines = LinesOf(list);
            ASSERT_FALSE(lines.empty());
            EXPECT_NEAR(lines[0].x, -10 + pitch * k / n, 1.01 * XPerUnit(rig)) << n << "/" << k;
            for (const HatchLine& line : lines) {
                EXPECT_EQ(line.low, -10.0);
                EXPECT_EQ(line.high, 10.0);
            }
            if (k == 0)
                count = lines.size();
            EXPECT_NEAR(static_cast<double>(lines.size()), static_cast<double>(count), 1.0);
        }
    }
}

TEST(KTGraph3Regions, AgreementAndDisagreementSplitEachLine)
{
    GraphRig rig;
    rig.m_graph.Data().m_options.m_frOnly.m_value = 0;
    rig.m_graph.Data().m_options.m_frAgree.m_value = 1;
    rig.Set(0, "y>x");
    rig.Set(1, "y=x^2");
    rig.Cycle();
    ASSERT_EQ(rig.m_graph.RegionCount(), 2);
    EXPECT_TRUE(rig.m_graph.Region(1).m_points.empty()); // an equation's list stays empty
    const std::vector<HatchLine> agree = LinesOf(rig.m_graph.Region(0));

    rig.m_graph.Data().m_options.m_frAgree.m_value = 0;
    rig.Redo();
    const std::vector<HatchLine> disagree = LinesOf(rig.m_graph.Region(0));
    // On every line the two meet on y = x and together cover the view's height once; at the
    // view's corner (-10, -10) the line is all agreement.
    ASSERT_GT(agree.size(), 100u);
    std::size_t matched = 0;
    for (const HatchLine& a : agree) {
        EXPECT_NEAR(a.low, std::max(a.x, -10.0), 1e-6);
        EXPECT_EQ(a.high, 10.0);
        const auto d = std::find_if(disagree.begin(), disagree.end(), [&](const HatchLine& l) { return l.x == a.x; });
        if (d == disagree.end()) {
            EXPECT_NEAR(a.x, -10.0, 1e-6);
            continue;
        }
        ++matched;
        EXPECT_EQ(d->low, -10.0);
        EXPECT_NEAR(d->high, a.x, 1e-6);
    }
    EXPECT_EQ(matched, disagree.size());
}

TEST(KTGraph3Regions, IntersectionsAreRefinedAndInsideTheView)
{
    GraphRig rig;
    rig.Set(0, "y=x^2-4");
    rig.Set(1, "y=x");
    rig.Set(2, "y=sqrt(x)");
    rig.Set(3, "y=1/x");
    rig.Cycle();
    const KTMarkerList& list = rig.m_graph.Intersections();
    ASSERT_GT(list.m_count, 3);
    std::set<int> identifiers;
    for (int k = 0; k < list.m_count; ++k) {
        const KTMarker& m = list.m_markers[static_cast<std::size_t>(k)];
        EXPECT_EQ(m.m_kind, KTMarkerIntersection);
        EXPECT_EQ(m.m_position, k);
        EXPECT_EQ(m.m_refined, 1);
        EXPECT_EQ(m.m_equation, 1);
        EXPECT_LT(m.m_tag, m.m_secondId);
        EXPECT_FALSE(KTIsUndefined(m.m_point.m_x) || KTIsUndefined(m.m_point.m_y));
        EXPECT_GE(m.m_point.m_x, -10.0);
        EXPECT_LE(m.m_point.m_x, 10.0);
        // Both curves pass through it.
        EXPECT_NEAR(rig.Function(m.m_tag).YAtX(m.m_point.m_x), m.m_point.m_y, 1e-6);
        EXPECT_NEAR(rig.Function(m.m_secondId).YAtX(m.m_point.m_x), m.m_point.m_y, 1e-6);
        identifiers.insert(m.m_position);
        // Each slot keeps its twin of the entry.
        for (const int slot : {int(m.m_tag), int(m.m_secondId)}) {
            const KTSlotIntersections& own = rig.m_graph.SlotIntersections(slot);
            EXPECT_EQ(std::count_if(own.m_markers.begin(), own.m_markers.begin() + own.m_count,
                                    [&](const KTSlotIntersection& s) { return s.m_identifier == k; }),
                      1);
        }
    }
    // x^2 - 4 = x at (1 ± sqrt(17)) / 2.
    const double root = (1 + std::sqrt(17.0)) / 2;
    EXPECT_TRUE(std::any_of(list.m_markers.begin(), list.m_markers.begin() + list.m_count,
                            [&](const KTMarker& m) { return std::fabs(m.m_point.m_x - root) < 1e-7; }));
}
