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
    const char* expected[] = {"x>-9.300000", "x<9.400000", "y>-9.400000", "y<9.300000"};
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
    // The frame inequalities keep it inside the view.
    EXPECT_FALSE(PolygonContains(outline, KTPoint(-9.5, 0)));
    EXPECT_FALSE(PolygonContains(outline, KTPoint(0, 9.5)));
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

TEST(KTGraph3Regions, FeasibleDotsWithoutSolidFill)
{
    GraphRig rig;
    rig.m_graph.Data().m_options.m_frSolid.m_value = 0;
    rig.Set(0, "y>x^2");
    rig.Set(1, "y<4");
    rig.Cycle();
    EXPECT_FALSE(rig.m_graph.RegionIsPolygon());
    ASSERT_EQ(rig.m_graph.RegionCount(), 1);
    const KTRegionList& dots = rig.m_graph.Region(0);
    EXPECT_EQ(dots.m_owner, -1);
    ASSERT_FALSE(dots.m_points.empty());
    for (const KTPoint& p : dots.m_points) {
        EXPECT_GE(p.m_y, p.m_x * p.m_x - 1e-4);
        EXPECT_LE(p.m_y, 4.0 + 1e-4);
    }
    // The grid is square: 200 steps across the larger range (20 units here), x outer.
    for (const KTPoint& p : dots.m_points) {
        EXPECT_NEAR((p.m_x + 10) * 10, std::round((p.m_x + 10) * 10), 1e-6);
        EXPECT_NEAR((p.m_y + 10) * 10, std::round((p.m_y + 10) * 10), 1e-6);
    }
    EXPECT_TRUE(std::is_sorted(dots.m_points.begin(), dots.m_points.end(),
                               [](const KTPoint& a, const KTPoint& b) { return a.m_x < b.m_x - 1e-9; }));
    // Columns of 0.1 from x = -2 to 2: 41 columns of 1 to 41 dots.
    EXPECT_GT(dots.m_points.size(), 41u * 10u);
}

TEST(KTGraph3Regions, InequalityDotOffsetsInterleave)
{
    // Inequalities that hold on the whole view, so each list starts at its grid's first point.
    const char* always[] = {"y>-100", "y<100", "x>-100", "x<100", "y>-200"};
    const struct
    {
        int n;
        std::vector<std::pair<double, double>> offsets;
    } rows[] = {
        {1, {{0, 0}}},
        {2, {{0, 0}, {0.5, 0.5}}},
        {3, {{0, 0}, {0, 0.5}, {0.5, 0.5}}},
        {4, {{0, 0}, {0.5, 0.5}, {0.5, 0}, {0, 0.5}}},
        {5, {{0, 0}, {0.5, 0.5}, {0.5, 0}, {0, 0.5}, {0.25, 0.25}}},
    };
    for (const auto& row : rows) {
        GraphRig rig;
        rig.m_graph.Data().m_options.m_frOnly.m_value = 0;
        for (int k = 0; k < row.n; ++k)
            rig.Set(k, always[k]);
        rig.Cycle();
        ASSERT_EQ(rig.m_graph.RegionCount(), row.n);
        const double step = 20.0 / 200.0;
        for (int k = 0; k < row.n; ++k) {
            const KTRegionList& list = rig.m_graph.Region(k);
            EXPECT_EQ(list.m_owner, k);
            ASSERT_FALSE(list.m_points.empty());
            EXPECT_NEAR(list.m_points[0].m_x, -10 + row.offsets[k].first * step, 1e-9) << row.n << "/" << k;
            EXPECT_NEAR(list.m_points[0].m_y, -10 + row.offsets[k].second * step, 1e-9) << row.n << "/" << k;
        }
    }
}

TEST(KTGraph3Regions, AgreementAndDisagreementSplitTheGrid)
{
    GraphRig rig;
    rig.m_graph.Data().m_options.m_frOnly.m_value = 0;
    rig.m_graph.Data().m_options.m_frAgree.m_value = 1;
    rig.Set(0, "y>x");
    rig.Set(1, "y=x^2");
    rig.Cycle();
    ASSERT_EQ(rig.m_graph.RegionCount(), 2);
    EXPECT_TRUE(rig.m_graph.Region(1).m_points.empty()); // an equation's list stays empty
    const std::vector<KTPoint> agree = rig.m_graph.Region(0).m_points;

    rig.m_graph.Data().m_options.m_frAgree.m_value = 0;
    rig.Redo();
    const std::vector<KTPoint> disagree = rig.m_graph.Region(0).m_points;
    for (const KTPoint& p : agree)
        EXPECT_GE(p.m_y, p.m_x - 1e-4);
    for (const KTPoint& p : disagree)
        EXPECT_LT(p.m_y, p.m_x);
    // Together they are the whole 200 x 200 grid, each point once.
    EXPECT_EQ(agree.size() + disagree.size(), 200u * 200u);
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
