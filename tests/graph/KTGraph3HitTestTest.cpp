#include "KTGraph3TestSupport.h"
#include "KTGraphCalculationSupport.h"

#include "foundation/KTUtilities.h"
#include "graph/KTDerivativeFunction.h"
#include "graph/KTIntegralFunction.h"
#include "graph/KTTipContent.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using kttest::GraphRig;

TEST(KTGraph3HitTest, FunctionsInSlotOrderAndTheFirstFrameSlot)
{
    GraphRig rig;
    rig.Cycle();
    EXPECT_EQ(rig.m_graph.HitTestFunction(rig.Device(1, 1).x, rig.Device(1, 1).y), -1);

    rig.Set(5, "y=x");
    rig.Set(2, "y=x");
    rig.Set(7, "y=x^2+50");
    rig.Redo();
    const CPoint onLine = rig.Device(3, 3);
    EXPECT_EQ(rig.m_graph.HitTestFunction(onLine.x, onLine.y), 2);
    const CPoint away = rig.Device(3, -5);
    EXPECT_EQ(rig.m_graph.HitTestFunction(away.x, away.y), -1);

    // The frame line at the view's left edge counts as slot 10 while there is an inequality.
    const CPoint frame = rig.Device(-9.99998, -5);
    EXPECT_EQ(rig.m_graph.HitTestFunction(frame.x, frame.y), -1);
    rig.Set(7, "y>x^2+50");
    rig.Redo();
    EXPECT_EQ(rig.m_graph.HitTestFunction(frame.x, frame.y), 10);
    // Its stored points are searched too, without indexing past the ten user slots.
    rig.m_graph.FindMarkersNear(frame.x, frame.y);
    KTTipContent tips;
    EXPECT_EQ(rig.m_graph.BuildTips(frame.x, frame.y, tips), 10);
    EXPECT_EQ(tips.m_item, 10);
    EXPECT_EQ(rig.m_graph.FindMarker(10, 0, -1).m_kind, -1);
}

TEST(KTGraph3HitTest, IntersectionTipWinsOverTheCurve)
{
    kttest::EnglishNumbers english;
    GraphRig rig;
    rig.Set(0, "y=x+1");
    rig.Set(1, "y=3-x");
    rig.Cycle();
    ASSERT_EQ(rig.m_graph.Intersections().m_count, 1);
    const CPoint at = rig.Device(1, 2);
    EXPECT_EQ(rig.m_graph.HitTestMarker(at.x, at.y), 0);
    EXPECT_EQ(rig.m_graph.HitTestMarker(at.x + 80, at.y), -1); // 6400 >= 5000
    EXPECT_EQ(rig.m_graph.HitTestMarker(at.x + 70, at.y), 0);  // 4900 < 5000

    KTTipContent tips;
    EXPECT_EQ(rig.m_graph.BuildTips(at.x, at.y, tips), 10000);
    ASSERT_EQ(tips.m_tips.GetCount(), 1);
    const KTTipInfo& tip = *tips.m_tips.At(0);
    EXPECT_EQ(tip.GetHotRect(), CRect(at.x - 150, at.y - 150, at.x + 150, at.y + 150));
    EXPECT_EQ(tip.LineText(0), "Point of Intersection");
    EXPECT_EQ(tip.LineText(1), "( 1 , 2 )");
    EXPECT_EQ(tip.LineValue(1), 0);
    EXPECT_EQ(tips.m_item, -1);
    EXPECT_EQ(tips.m_background, RGB(255, 255, 200));
    EXPECT_EQ(tips.m_markerFlag, 0);
    EXPECT_EQ(tips.m_marker.m_kind, KTMarkerIntersection);
    EXPECT_EQ(tips.m_markerPoint, at);

    const KTMarker found = rig.m_graph.FindMarker(0, 0, 1);
    EXPECT_EQ(found.m_kind, KTMarkerIntersection);
    EXPECT_NEAR(found.m_point.m_x, 1.0, 1e-9);
    EXPECT_EQ(rig.m_graph.FindMarker(0, 0, 2).m_kind, -1);
    EXPECT_EQ(rig.m_graph.FindMarker(1, 0, 0).m_kind, -1);
}

TEST(KTGraph3HitTest, StoredPointCurveAndNothing)
{
    kttest::EnglishNumbers english;
    GraphRig rig;
    rig.Set(3, "y=x^2+1");
    rig.Cycle();

    // The minimum at (0, 1) is a stored point of slot 3.
    const CPoint minimum = rig.Device(0, 1);
    KTTipContent tips;
    const int code = rig.m_graph.BuildTips(minimum.x, minimum.y, tips);
    ASSERT_GE(code, 300);
    ASSERT_LT(code, 400);
    const KTMarker& near = rig.m_graph.NearMarkers().m_markers[0];
    EXPECT_EQ(code, 300 + near.m_position);
    EXPECT_EQ(tips.m_item, 3);
    EXPECT_EQ(tips.m_markerFlag, 1);
    const COLORREF pen = rig.Function(3).Data().m_options.m_pen.m_value.m_color;
    EXPECT_EQ(tips.m_background, LightenColor(pen, 0.9));
    EXPECT_EQ(rig.m_graph.FindMarker(3, near.m_position, -1).m_point, near.m_point);
    EXPECT_EQ(rig.m_graph.FindMarker(3, 99, -1).m_kind, -1);
    EXPECT_EQ(rig.m_graph.FindMarker(12, near.m_position, -1).m_kind, -1);

    // On the curve away from its points: the equation as a typeset line.
    const CPoint onCurve = rig.Device(2.5, 7.25);
    EXPECT_EQ(rig.m_graph.BuildTips(onCurve.x, onCurve.y, tips), 3);
    ASSERT_EQ(tips.m_tips.GetCount(), 1);
    EXPECT_EQ(tips.m_tips.At(0)->LineText(0), "y=x^2+1");
    EXPECT_EQ(tips.m_tips.At(0)->LineValue(0), 1);
    EXPECT_EQ(tips.m_markerFlag, 0);
    EXPECT_NEAR(tips.m_spot.m_point.m_x, 2.5, 0.05);

    // Nowhere: no tip.
    const CPoint empty = rig.Device(-6, -6);
    EXPECT_EQ(rig.m_graph.BuildTips(empty.x, empty.y, tips), -1);
    EXPECT_EQ(tips.m_tips.GetCount(), 0);
}

// A relation that holds everywhere in view draws nothing; hovering anywhere over the graph shows
// its equation and says why. A curve near the mouse comes first, and a relation that only looks
// like one draws and says nothing of the kind.
TEST(KTGraph3HitTest, RelationEqualEverywhereSaysSoAnywhereInTheGraph)
{
    GraphRig rig;
    rig.Set(4, "sin(x+y)=sin(x)cos(y)+cos(x)sin(y)");
    rig.Set(6, "sin(x)=sin(y)");
    rig.Set(1, "y=x^2+1");
    rig.Cycle();
    EXPECT_TRUE(rig.Function(4).HoldsEverywhereInView());
    EXPECT_FALSE(rig.Function(6).HoldsEverywhereInView());
    EXPECT_EQ(rig.Function(4).m_buffer1->m_count + rig.Function(4).m_buffer2->m_count, 0);
    KTTipContent tips;
    const CPoint somewhere = rig.Device(-6.3, 7.1);
    EXPECT_EQ(rig.m_graph.BuildTips(somewhere.x, somewhere.y, tips), 4);
    ASSERT_EQ(tips.m_tips.GetCount(), 1);
    EXPECT_EQ(tips.m_tips.At(0)->GetLineCount(), 2);
    EXPECT_EQ(tips.m_tips.At(0)->LineValue(0), KTTipInfo::MarkEquation);
    EXPECT_EQ(tips.m_tips.At(0)->LineText(1), "The two sides are equal everywhere in view");
    EXPECT_EQ(tips.m_item, 4);
    const CPoint onParabola = rig.Device(2.5, 7.25);
    EXPECT_EQ(rig.m_graph.BuildTips(onParabola.x, onParabola.y, tips), 1);
    // Outside the graph's rectangle nothing holds.
    const CRect plot = rig.m_graph.Axes().PlotRect();
    EXPECT_NE(rig.m_graph.BuildTips(plot.left - 40, plot.top - 40, tips), 4);
}

TEST(KTGraph3HitTest, IntegralAndTangentTips)
{
    GraphRig rig;
    rig.Set(0, "y=x^2");
    rig.Set(1, "y=x/2");
    KTIntegralFunction integral;
    integral.m_first = 1;
    integral.m_second = KTIntegralFunction::kXAxis;
    integral.m_lowerText = "-8";
    integral.m_upperText = "-6";
    rig.m_graph.AddIntegral(integral, true);
    KTDerivativeFunction tangent;
    tangent.m_function = 0;
    tangent.m_xText = "1";
    rig.m_graph.AddDerivative(tangent, true);
    rig.Cycle();

    KTTipContent tips;
    const CPoint inArea = rig.Device(-7, -1);
    EXPECT_EQ(rig.m_graph.BuildTips(inArea.x, inArea.y, tips), 9999);
    EXPECT_EQ(tips.m_item, -2);
    EXPECT_EQ(tips.m_listIndex, 0);
    EXPECT_EQ(rig.m_graph.Data().m_integrals.m_selectedIndex, 0);
    ASSERT_EQ(tips.m_tips.GetCount(), 1);
    EXPECT_EQ(tips.m_tips.At(0)->LineValue(0), 1);
    EXPECT_EQ(tips.m_tips.At(0)->LineText(0), rig.m_graph.Data().m_integrals.SelectedLabel());

    // The tangent y = 2x - 1, away from the parabola.
    const CPoint onTangent = rig.Device(4, 7);
    EXPECT_EQ(rig.m_graph.BuildTips(onTangent.x, onTangent.y, tips), 19999);
    EXPECT_EQ(tips.m_item, -3);
    ASSERT_EQ(tips.m_tips.GetCount(), 1);
    const KTTipInfo& tip = *tips.m_tips.At(0);
    EXPECT_EQ(tip.GetLineCount(), 3);
    EXPECT_EQ(tip.LineText(1), "  ");
    EXPECT_EQ(tip.LineValue(1), 0);
    EXPECT_EQ(tip.LineText(2), rig.m_graph.Data().m_derivatives.SelectedLineText());
    EXPECT_EQ(tips.m_background, RGB(255, 255, 200));
}

namespace {

/// The plain lines of the tip, one string.
std::string TipLines(const KTTipContent& tips)
{
    std::string lines;
    if (tips.m_tips.GetCount() == 0)
        return lines;
    const KTTipInfo& tip = *tips.m_tips.At(0);
    for (int i = 0; i < tip.GetLineCount(); ++i)
        lines += std::string(tip.LineText(i).str()) + "|";
    return lines;
}

} // namespace

// A point of interest or an intersection within reach is named, every one at that place, before
// the curve and before an asymptote that runs through it; an asymptote is named where no point
// and no curve is, and a curve crossing it elsewhere keeps its own tip. The circle
// x = cos(t), y = sin(t) crosses y = 0 at (1, 0) with no point of interest there.
TEST(KTGraph3HitTest, PointsComeBeforeCurvesAndAsymptotes)
{
    kttest::EnglishNumbers english;
    const auto build = [](GraphRig& rig) {
        rig.Set(0, "y=x^2-4");
        rig.Set(1, "y=1/(x-2)");
        rig.Set(2, "y=x^3-3x");
        rig.Set(3, "x=cos(t); y=sin(t)");
        rig.Set(4, "y=(x-4)^2");
    };
    const double root = std::sqrt(3.0);
    const struct
    {
        double x, y;
        const char* names; ///< the lines the tip must hold, in order
    } rows[] = {
        {root, 0, "x Intercept|( 1.732051 , 0 )|"},
        {-root, 0, "x Intercept|( -1.732051 , 0 )|"},
        {0, -4, "y Intercept|Local Minimum|( 0 , -4 )|"},
        {-1, 2, "Local Maximum|( -1 , 2 )|"},
        // The parabola touches the axis at its vertex: both are named.
        {4, 0, "Local Minimum|x Intercept|( 4 , 0 )|"},
    };
    // Offsets within the hit distance (squared 5000 units): on the point, and up to 70 units off
    // in each direction; in windows from the smallest to the largest, where the curves crowd
    // the points or leave them alone.
    const CPoint offsets[] = {{0, 0}, {25, 0}, {-40, 10}, {0, 50}, {-49, -49}, {0, -69}, {69, 0}};
    const CSize windows[] = {{500, 400}, {800, 600}, {1366, 768}, {1600, 1200}, {2560, 1600}};
    for (const CSize& window : windows) {
        GraphRig sized;
        sized.SetWindow(window.cx, window.cy);
        build(sized);
        sized.Cycle();
        for (const auto& row : rows) {
            for (const CPoint& offset : offsets) {
                const CPoint at = sized.Device(row.x, row.y) + offset;
                KTTipContent tips;
                const int code = sized.m_graph.BuildTips(at.x, at.y, tips);
                SCOPED_TRACE(testing::Message() << window.cx << "x" << window.cy << " at " << row.x << ","
                                                << row.y << " + " << offset.x << "," << offset.y);
                const std::string lines = TipLines(tips);
                EXPECT_EQ(lines.find("Asymptote"), std::string::npos) << lines;
                EXPECT_NE(lines.find(row.names), std::string::npos) << lines;
                // A point's tip: plain lines, not the curve's typeset equation.
                EXPECT_NE(code, -1);
                ASSERT_EQ(tips.m_tips.GetCount(), 1);
                EXPECT_EQ(tips.m_tips.At(0)->LineValue(0), KTTipInfo::MarkText);
            }
        }
    }

    GraphRig rig;
    build(rig);
    rig.Cycle();
    // The stored point nearest the mouse decides the item and the marker.
    const CPoint vertex = rig.Device(0, -4);
    KTTipContent tips;
    const int code = rig.m_graph.BuildTips(vertex.x, vertex.y, tips);
    EXPECT_EQ(code / 100, 0);
    EXPECT_EQ(tips.m_item, 0);
    EXPECT_EQ(tips.m_markerFlag, 1);
    EXPECT_EQ(tips.m_markerPoint, vertex);

    // Beyond the hit distance, on the cubic: its equation, not the asymptote y = 0 nor x = 2.
    // The circle's point (1, 0) on y = 0 is no point of interest of the circle: its equation.
    const CPoint onCircle = rig.Device(1, 0) + CPoint(0, 20);
    EXPECT_EQ(rig.m_graph.BuildTips(onCircle.x, onCircle.y, tips), 3);
    EXPECT_EQ(tips.m_tips.At(0)->LineText(0), "x=cos(t); y=sin(t)");
    const CPoint crossing = rig.Device(2, 2);
    EXPECT_EQ(rig.m_graph.BuildTips(crossing.x, crossing.y, tips), 2);
    EXPECT_EQ(tips.m_tips.At(0)->LineText(0), "y=x^3-3x");
    // On the asymptotes away from every point and curve: the asymptote.
    const CPoint onHorizontal = rig.Device(0.5, 0) + CPoint(0, 30);
    EXPECT_EQ(rig.m_graph.BuildTips(onHorizontal.x, onHorizontal.y, tips) / 100, 1);
    EXPECT_EQ(TipLines(tips), "Horizontal Asymptote|y = 0|");
    const CPoint onVertical = rig.Device(2, -7) + CPoint(-30, 0);
    EXPECT_EQ(rig.m_graph.BuildTips(onVertical.x, onVertical.y, tips) / 100, 1);
    EXPECT_EQ(TipLines(tips), "Vertical Asymptote|x = 2|");
}
