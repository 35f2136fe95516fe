#include "graph/KTIntegralCalculation.h"

#include "foundation/KTVariableSubstitutions.h"
#include "graph/KTIntegralFunction.h"
#include "graph/KTIntegralList.h"

#include "KTGraphCalculationSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using kttest::CalculationGraph;
using kttest::EnglishNumbers;

namespace {

/// An integral of slot 0 (against slot 1 when `withSecond`) between the typed bounds.
KTIntegralFunction Integral(CalculationGraph& graph, const char* lower, const char* upper,
                            bool withSecond = false, bool yAxis = false)
{
    KTIntegralFunction integral;
    integral.m_lowerText = lower;
    integral.m_upperText = upper;
    integral.m_first = 0;
    integral.m_second = withSecond ? 1 : (yAxis ? KTIntegralFunction::kYAxis : KTIntegralFunction::kXAxis);
    integral.m_hasSecond = withSecond;
    integral.m_yAxis = yAxis;
    integral.m_axes = &graph.Axes();
    return integral;
}

KTIntegralFunction Calculated(CalculationGraph& graph, const char* f, const char* g, const char* lower,
                              const char* upper, bool yAxis = false,
                              const KTVariableSubstitutions* substitutions = nullptr)
{
    EXPECT_TRUE(graph.SetFunction(0, f)) << f;
    if (g) {
        EXPECT_TRUE(graph.SetFunction(1, g)) << g;
    }
    KTIntegralFunction integral = Integral(graph, lower, upper, g != nullptr, yAxis);
    KTIntegralCalculation::Calculate(integral, graph.Data(), substitutions);
    return integral;
}

} // namespace

TEST(KTIntegralCalculation, ValuesMatchClosedForms)
{
    const EnglishNumbers numbers;
    constexpr double kPi = 3.14159265358979323846;
    struct Row
    {
        const char* f;
        const char* g;
        const char* lower;
        const char* upper;
        bool yAxis;
        double integral;
        double area;
        bool differs;
        double tolerance = 1e-12;
    };
    const Row rows[] = {
        {"y=x^2", nullptr, "-1", "1", false, 2.0 / 3.0, 2.0 / 3.0, false},
        // In degrees, as the graph's angles are here, with the program's ten-digit factor:
        // sin takes x / 57.29577951 radians, so its half-turn is 57.29577951 pi degrees long.
        {"y=sin(x)", nullptr, "0", "180", false, 57.29577951 * (1 - std::cos(180 / 57.29577951)),
         57.29577951 * (1 - std::cos(180 / 57.29577951)), false},
        {"y=sin(x)", nullptr, "0", "360", false, 57.29577951 * (1 - std::cos(360 / 57.29577951)),
         57.29577951 * (2 + (1 - std::cos(360 / 57.29577951 - kPi))), true},
        {"y=2", nullptr, "0", "5", false, 10.0, 10.0, false},
        {"y=x", nullptr, "-1", "1", false, 0.0, 1.0, true},
        {"y=exp(x)", nullptr, "0", "1", false, std::exp(1.0) - 1.0, std::exp(1.0) - 1.0, false},
        {"y=1/(1+x^2)", nullptr, "-1", "1", false, kPi / 2, kPi / 2, false},
        {"y=x^3-x", nullptr, "-2", "1.5", false, -1.859375, 3.140625, true, 1e-10},
        {"y=x^2", nullptr, "1", "1", false, 0.0, 0.0, false},
        {"y=x", "y=x^2", "0", "1", false, 1.0 / 6.0, 1.0 / 6.0, false},
        // x^2 - 1 against x + 1: they meet at -1 and 2; the area counts 11/6, 9/2 and 11/6.
        {"y=x^2-1", "y=x+1", "-2", "3", false, -5.0 / 6.0, 49.0 / 6.0, true, 1e-10},
        // Where a function has no value nothing is added: sqrt on its domain only.
        {"y=sqrt(x)", nullptr, "-1", "1", false, 2.0 / 3.0, 2.0 / 3.0, false},
        // Integrable singularities at an end.
        {"y=ln(x)", nullptr, "0", "1", false, -1.0, 1.0, true, 1e-9},
        {"y=1/sqrt(x)", nullptr, "0", "1", false, 2.0, 2.0, false, 1e-9},
        // Large values are values: how fast they grow near a pole decides whether it has an
        // integral, so they are never cut off.
        {"y=10000000000000", nullptr, "0", "1", false, 1e13, 1e13, false, 1e-2},
        {"y=exp(x)", nullptr, "0", "40", false, std::exp(40.0) - 1.0, std::exp(40.0) - 1.0, false, 1e3},
        // Along the y axis the integral is that of x dy; the area stays that of |f| along x.
        {"y=x", nullptr, "0", "1", true, 0.5, 0.5, false},
        {"y=x^2", nullptr, "0", "1", true, 2.0 / 3.0, 1.0 / 3.0, true},
        // (Within 1e-5 of its end x f' has no value: its difference step reaches past it.)
        {"y=sqrt(x)", nullptr, "-1", "1", true, 1.0 / 3.0, 2.0 / 3.0, true, 2e-8},
    };
    for (const Row& row : rows) {
        CalculationGraph graph;
        const KTIntegralFunction integral = Calculated(graph, row.f, row.g, row.lower, row.upper, row.yAxis);
        const std::string where = std::string(row.f) + (row.g ? std::string(" - ") + row.g : std::string()) +
                                  " on " + row.lower + ".." + row.upper + (row.yAxis ? " along y" : "");
        EXPECT_NEAR(integral.m_integral, row.integral, row.tolerance) << where;
        EXPECT_NEAR(integral.m_area, row.area, row.tolerance) << where;
        EXPECT_EQ(integral.m_areaDiffers, row.differs) << where;
        EXPECT_TRUE(integral.m_regionValid) << where;
    }
}

// A pole within the bounds or at one of them: where |f| grows like 1/|x - c| or faster there is
// no integral, and the label says so; slower, the integral is the number its closed form gives.
TEST(KTIntegralCalculation, ImproperIntegralsDivergeOrMatchTheirClosedForms)
{
    const EnglishNumbers numbers;
    const double diverges = std::nan("");
    struct Row
    {
        const char* f;
        const char* g;
        const char* lower;
        const char* upper;
        bool yAxis;
        double integral; // NaN: diverges
        double area;     // NaN: infinite
        double tolerance = 1e-8;
    };
    const Row rows[] = {
        {"y=1/x", nullptr, "-1", "1", false, diverges, diverges},
        {"y=1/x", nullptr, "1", "-1", false, diverges, diverges},
        // (Once the trapezoids of the samples, 4927.87.)
        {"y=1/x^2", nullptr, "-1", "1", false, diverges, diverges},
        {"y=1/x", nullptr, "0", "1", false, diverges, diverges},
        {"y=1/(x-2)", nullptr, "0", "2", false, diverges, diverges},
        {"y=1/(x-0.3)^2", nullptr, "0", "1", false, diverges, diverges},
        // In degrees here: a pole at 90.
        {"y=tan(x)", nullptr, "0", "180", false, diverges, diverges},
        {"y=x^2", "y=1/x", "-1", "2", false, diverges, diverges},
        // The poles of f and g cancel in f - g = -1.
        {"y=1/x", "y=1/x+1", "-1", "1", false, -2.0, 2.0},
        // x^(1-p)/(1-p): 2 for p = 1/2, 10 for p = 0.9.
        {"y=1/sqrt(x)", nullptr, "0", "1", false, 2.0, 2.0},
        // Written as a power or as a quotient: the 1 of it that lies below x = 1e-10, where the
        // values pass 1e9, counts as well.
        {"y=1/x^0.9", nullptr, "0", "1", false, 10.0, 10.0},
        {"y=x^(-0.9)", nullptr, "0", "1", false, 10.0, 10.0},
        {"y=x^(-1/2)", nullptr, "0", "4", false, 4.0, 4.0},
        {"y=1/sqrt(abs(x))", nullptr, "-1", "4", false, 6.0, 6.0},
        // x ln|x| - x from -1 to 1.
        {"y=ln(abs(x))", nullptr, "-1", "1", false, -2.0, 2.0},
        {"y=1/x", nullptr, "1", "2", false, std::log(2.0), std::log(2.0)},
        // Along the y axis the integral is that of x f'(x): -x^(-1/2)/2 for 1/sqrt(x), which
        // has the integral -1; a pole away from 0 makes x f' grow too fast.
        {"y=1/sqrt(x)", nullptr, "0", "1", true, -1.0, 2.0},
        // (Doubles reach no closer to 1 than 2.2e-16: the 3e-8 of the area below that is lost.)
        {"y=1/sqrt(x-1)", nullptr, "1", "2", true, diverges, 2.0, 1e-7},
        {"y=1/x", nullptr, "0", "1", true, diverges, diverges},
    };
    for (const Row& row : rows) {
        CalculationGraph graph;
        const KTIntegralFunction integral = Calculated(graph, row.f, row.g, row.lower, row.upper, row.yAxis);
        const std::string where = std::string(row.f) + (row.g ? std::string(" - ") + row.g : std::string()) +
                                  " on " + row.lower + ".." + row.upper + (row.yAxis ? " along y" : "");
        const std::string text = integral.m_integralText.str();
        const std::string area = integral.m_areaText.str();
        if (std::isnan(row.integral)) {
            EXPECT_EQ(integral.m_integral, KTUndefinedValue) << where;
            // In words where the number stood: "... dx diverges".
            EXPECT_EQ(text.substr(text.size() - 11), " \"diverges\"") << where << ": " << text;
            EXPECT_EQ(text.find('='), std::string::npos) << where << ": " << text;
        } else {
            EXPECT_NEAR(integral.m_integral, row.integral, row.tolerance) << where;
            EXPECT_EQ(text.find("diverges"), std::string::npos) << where;
        }
        if (std::isnan(row.area)) {
            EXPECT_EQ(integral.m_area, KTUndefinedValue) << where;
            EXPECT_NE(area.find("infinite"), std::string::npos) << where << ": " << area;
        } else {
            EXPECT_NEAR(integral.m_area, row.area, row.tolerance) << where;
        }
        // The area is shown beside a divergent integral only when it is finite.
        EXPECT_EQ(integral.m_areaDiffers,
                  std::isnan(row.integral) != std::isnan(row.area) ||
                      (!std::isnan(row.area) && std::fabs(row.integral - row.area) > 1e-8))
            << where;
        EXPECT_TRUE(integral.m_regionValid) << where;
    }
}

TEST(KTIntegralCalculation, ReversedBoundsChangeTheSign)
{
    CalculationGraph graph;
    const KTIntegralFunction forward = Calculated(graph, "y=x^2", nullptr, "-1", "1");
    const KTIntegralFunction backward = Calculated(graph, "y=x^2", nullptr, "1", "-1");
    EXPECT_NEAR(backward.m_integral, -forward.m_integral, 1e-15);
}

TEST(KTIntegralCalculation, TheDifferenceOfTwoFunctionsIsTheDifferenceOfTheirIntegrals)
{
    CalculationGraph graph;
    const KTIntegralFunction between = Calculated(graph, "y=sin(x)+2", "y=x^2/3", "-1.5", "2");
    const KTIntegralFunction upper = Calculated(graph, "y=sin(x)+2", nullptr, "-1.5", "2");
    const KTIntegralFunction lower = Calculated(graph, "y=x^2/3", nullptr, "-1.5", "2");
    EXPECT_NEAR(between.m_integral, upper.m_integral - lower.m_integral, 1e-12);
    // Both curves stay above the axis and apart: every area is its integral.
    for (const KTIntegralFunction* integral : {&between, &upper, &lower}) {
        EXPECT_NEAR(integral->m_area, integral->m_integral, 1e-12);
        EXPECT_FALSE(integral->m_areaDiffers);
    }
}

TEST(KTIntegralCalculation, LabelTexts)
{
    struct Row
    {
        const char* f;
        const char* g;
        const char* lower;
        const char* upper;
        bool yAxis;
        char decimal;
        char list;
        const char* integralText;
        const char* areaText;
    };
    const Row rows[] = {
        {"y=x^2", nullptr, "-1", "1", false, '.', ',', "int(-1,1) x^2 \"d\"x  =  0.666667",
         "\"Area  =  0.6667\""},
        {"y=x^2", nullptr, "-1", "1", false, ',', ';', "int(-1;1) x^2 \"d\"x  =  0,666667",
         "\"Area  =  0,6667\""},
        {"y=x", "y=x^2", "0", "1", false, '.', ',', "int(0,1) x - [x^2] \"d\"x  =  0.166667",
         "\"Area  =  0.1667\""},
        {"y=x", nullptr, "0", "1", true, '.', ',', "int(0,1) x \"d\"x \" (y Axis)\"=  0.5", "Area  =  0.5"},
        // Along the y axis the separator is always "," and the bounds stay as typed.
        {"y=x", "y=x^2", "0", "1/2", true, ',', ';', "int(0,1/2) x - [x^2] \"d\"x  =  0,125",
         "Area  =  0,0833"},
    };
    for (const Row& row : rows) {
        KTLocale::Override(row.decimal, row.list, 1);
        CalculationGraph graph;
        const KTIntegralFunction integral = Calculated(graph, row.f, row.g, row.lower, row.upper, row.yAxis);
        EXPECT_EQ(integral.m_integralText, row.integralText);
        EXPECT_EQ(integral.m_areaText, row.areaText);
        KTLocale::ClearOverride();
    }
}

TEST(KTIntegralCalculation, LabelsNameTheFunctionsAsTyped)
{
    const EnglishNumbers numbers;
    struct Row
    {
        const char* f;
        const char* g;
        const char* lower;
        const char* upper;
        const char* shown; // the label up to its value
        double value;      // the closed form
    };
    const Row rows[] = {
        // x^3/3 - 3x from -1 to 1
        {"y=x^2-3", nullptr, "-1", "1", "int(-1,1) (x^2-3) \"d\"x  =  ", 2.0 / 3.0 - 6.0},
        // (x^3/3 - 3x) - ln|x - 2| from 0 to 1
        {"y = x^2 - 3", "y=1/(x-2)", "0", "1",
         "int(0,1) (x^2 - 3) - [1/(x-2)] \"d\"x  =  ", 1.0 / 3.0 - 3.0 + std::log(2.0)},
        // x^2/4 - x from 0 to 2
        {"f(x)=x/2-1", nullptr, "0", "2", "int(0,2) (x/2-1) \"d\"x  =  ", -1.0},
    };
    for (const Row& row : rows) {
        CalculationGraph graph;
        const KTIntegralFunction integral = Calculated(graph, row.f, row.g, row.lower, row.upper);
        const CString shown(row.shown);
        EXPECT_EQ(integral.m_integralText.Left(shown.GetLength()), shown) << row.f;
        EXPECT_NEAR(std::stod(std::string(integral.m_integralText.Mid(shown.GetLength()))), row.value, 1e-4)
            << row.f;
    }
}

TEST(KTIntegralCalculation, BoundsWithConstantsShowTheirValuesAlongTheXAxis)
{
    const EnglishNumbers numbers;
    CalculationGraph graph;
    KTVariableSubstitutions constants;
    constants.Add("a", 1.5);
    const KTIntegralFunction shown = Calculated(graph, "y=2", nullptr, "-a", "2a", false, &constants);
    EXPECT_EQ(shown.m_integralText, "int(-1.5,3) 2 \"d\"x  =  9");
    // Without a table a letter counts as 1.
    const KTIntegralFunction plain = Calculated(graph, "y=2", nullptr, "-a", "2a");
    EXPECT_EQ(plain.m_integralText, "int(-1,2) 2 \"d\"x  =  6");
    const KTIntegralFunction alongY = Calculated(graph, "y=x", nullptr, "0", "2a", true, &constants);
    EXPECT_EQ(alongY.m_integralText.Left(9), "int(0,2a)");
}

TEST(KTIntegralCalculation, AreaDecimalsOutOfRangeAreReplacedByTheMidpoint)
{
    const EnglishNumbers numbers;
    CalculationGraph graph;
    graph.Data().m_options.m_dpArea.m_value = 99;
    const KTIntegralFunction integral = Calculated(graph, "y=x^2", nullptr, "-1", "1");
    EXPECT_EQ(graph.Data().m_options.m_dpArea.m_value, 5);
    EXPECT_EQ(integral.m_areaText, "\"Area  =  0.66667\"");
}

TEST(KTIntegralCalculation, LabelAnchorIsTheMiddleOfTheBoundsAndTheExtremes)
{
    CalculationGraph graph;
    const KTIntegralFunction integral = Calculated(graph, "y=x^2+1", nullptr, "0", "2");
    EXPECT_DOUBLE_EQ(integral.m_labelPoint.m_x, 1.0);
    // The extremes take the x axis (0) too; the maximum is f at the last sample.
    EXPECT_NEAR(integral.m_labelPoint.m_y, 2.5, 1e-12);
    // Along the y axis the anchor keeps what it had.
    KTIntegralFunction alongY = Integral(graph, "0", "2", false, true);
    alongY.m_labelPoint = KTPoint(7, 8);
    KTIntegralCalculation::Calculate(alongY, graph.Data(), nullptr);
    EXPECT_EQ(alongY.m_labelPoint, KTPoint(7, 8));
}

TEST(KTIntegralCalculation, WithoutAFunctionNothingChanges)
{
    CalculationGraph graph;
    for (int first : {-1, 10, 13, 14, 1000}) {
        KTIntegralFunction integral = Integral(graph, "-1", "1");
        integral.m_first = first;
        integral.m_integral = 7.0;
        integral.m_integralText = "kept";
        integral.m_regionValid = true;
        KTIntegralCalculation::Calculate(integral, graph.Data(), nullptr);
        EXPECT_EQ(integral.m_firstFunction, nullptr) << first;
        EXPECT_FALSE(integral.m_regionValid) << first;
        EXPECT_EQ(integral.m_integral, 7.0) << first;
        EXPECT_EQ(integral.m_integralText, "kept") << first;
        EXPECT_FALSE(KTIntegralCalculation::Contains(integral, 0, 0)) << first;
    }
}

TEST(KTIntegralCalculation, AnUndefinedBoundMakesTheIntegralInvalid)
{
    const EnglishNumbers numbers;
    KTVariableSubstitutions constants;
    constants.Add("a", 1.0);
    struct Row
    {
        const char* lower;
        const char* upper;
    };
    const Row rows[] = {{"1/0", "1"}, {"0", "-1/0"}, {"b", "1"}, {"0", "2b"}};
    for (const Row& row : rows) {
        CalculationGraph graph;
        KTIntegralFunction integral = Calculated(graph, "y=2", nullptr, "0", "1");
        ASSERT_TRUE(integral.m_regionValid);
        integral.m_lowerText = row.lower;
        integral.m_upperText = row.upper;
        KTIntegralCalculation::Calculate(integral, graph.Data(), &constants);
        EXPECT_FALSE(integral.m_regionValid) << row.lower << ".." << row.upper;
        EXPECT_EQ(integral.m_integral, 0.0);
        EXPECT_EQ(integral.m_area, 0.0);
        EXPECT_TRUE(integral.m_integralText.IsEmpty());
        EXPECT_TRUE(integral.m_areaText.IsEmpty());
        EXPECT_FALSE(
            KTIntegralCalculation::Contains(integral, graph.Device(0.5, 1).x, graph.Device(0.5, 1).y));
        KTDC dc(96, 96, CSize(800, 600));
        dc.SetRecording(true);
        KTIntegralCalculation::Draw(integral, dc, false);
        EXPECT_TRUE(dc.GetRecords().empty());
    }
}

TEST(KTIntegralCalculation, UndefinedSamplesTakeNoPartAndCloseTheRegion)
{
    CalculationGraph graph;
    const KTIntegralFunction integral = Calculated(graph, "y=sqrt(x)", nullptr, "-1", "1");
    ASSERT_TRUE(integral.m_regionValid);
    // Only the trapezoids on [0, 1] count: close to 2/3, and the area is the integral.
    EXPECT_NEAR(integral.m_integral, 2.0 / 3.0, 2e-3);
    EXPECT_NEAR(integral.m_area, integral.m_integral, 1e-12);
    EXPECT_NEAR(integral.m_labelPoint.m_y, 0.5, 1e-3);
    // Left of 0 the polygon runs along the axis both ways; every point is on the plot.
    const int last = KTIntegralFunction::kRegionPoints - 1;
    const CRect& plot = graph.Axes().m_rect;
    for (int k = 0; k < 500; ++k)
        EXPECT_EQ(integral.m_region[static_cast<std::size_t>(k)],
                  integral.m_region[static_cast<std::size_t>(last - k)])
            << k;
    for (const CPoint& p : integral.m_region) {
        EXPECT_GE(p.x, std::min(plot.left, plot.right));
        EXPECT_LE(p.x, std::max(plot.left, plot.right));
        EXPECT_GE(p.y, std::min(plot.top, plot.bottom));
        EXPECT_LE(p.y, std::max(plot.top, plot.bottom));
    }
}

TEST(KTIntegralCalculation, ThePolygonRunsAlongTheCurveAndBackAlongTheOtherBoundary)
{
    CalculationGraph graph;
    const KTIntegralFunction integral = Calculated(graph, "y=x^2", "y=x-2", "-1", "1");
    const std::vector<CPoint>& region = integral.m_region;
    ASSERT_EQ(region.size(), 2000u);
    EXPECT_EQ(region[0], graph.Device(-1, 1));
    EXPECT_EQ(region[1999], graph.Device(-1, -3));
    EXPECT_EQ(region[999], graph.Device(1, 1));
    EXPECT_EQ(region[1000], graph.Device(1, -1));
    const double x500 = -1.0 + 500 * (2.0 / 999.0);
    EXPECT_EQ(region[500], graph.Device(x500, x500 * x500));
    EXPECT_EQ(region[1499], graph.Device(x500, x500 - 2));
}

TEST(KTIntegralCalculation, DrawsOneFilledPolygonWithoutOutline)
{
    CalculationGraph graph;
    KTIntegralFunction integral = Calculated(graph, "y=2", nullptr, "0", "5");
    integral.m_colour = RGB(10, 200, 30);
    KTDC dc(96, 96, CSize(800, 600));
    dc.SetMapMode(MM_HIMETRIC);
    dc.SetRecording(true);
    const KTPen pen = dc.GetCurrentPen();
    const KTBrush brush = dc.GetCurrentBrush();
    const int fillMode = dc.GetPolyFillMode();

    KTIntegralCalculation::Draw(integral, dc, false);
    ASSERT_EQ(dc.GetRecords().size(), 1u);
    const KTDCRecord& plain = dc.GetRecords()[0];
    EXPECT_EQ(plain.kind, KTDCRecordKind::Polygon);
    EXPECT_EQ(plain.points, integral.m_region);
    EXPECT_EQ(plain.polyFillMode, WINDING);
    EXPECT_EQ(plain.brush.GetStyle(), BS_SOLID);
    EXPECT_EQ(plain.brush.GetColor(), RGB(10, 200, 30));
    EXPECT_TRUE(plain.pen.IsNullPen());

    dc.ClearRecords();
    KTIntegralCalculation::Draw(integral, dc, true);
    ASSERT_EQ(dc.GetRecords().size(), 1u);
    const KTDCRecord& highlighted = dc.GetRecords()[0];
    EXPECT_EQ(highlighted.brush.GetStyle(), BS_HATCHED);
    EXPECT_EQ(highlighted.brush.GetColor(), 0x969696u);
    EXPECT_FALSE(highlighted.pen.IsNullPen());
    EXPECT_EQ(highlighted.pen.GetDashStyle(), PS_DASH);
    EXPECT_EQ(highlighted.pen.GetColor(), 0x969696u);

    EXPECT_EQ(dc.GetCurrentPen(), pen);
    EXPECT_EQ(dc.GetCurrentBrush(), brush);
    EXPECT_EQ(dc.GetPolyFillMode(), fillMode);
}

TEST(KTIntegralCalculation, HitTestFindsTheLatestRegionUnderThePoint)
{
    CalculationGraph graph;
    ASSERT_TRUE(graph.SetFunction(0, "y=2"));
    KTIntegralList list;
    list.Add(Integral(graph, "0", "5"), true);
    list.Add(Integral(graph, "1", "2"), true);
    list.SetGraph(&graph.Axes());
    KTIntegralCalculation::CalculateAll(list, graph.Data(), nullptr);
    struct Row
    {
        double x;
        double y;
        int index;
    };
    const Row rows[] = {
        {1.5, 1.0, 1}, {4.0, 1.0, 0}, {0.5, 1.9, 0}, {4.0, 2.5, -1}, {-1.0, 1.0, -1}, {2.5, -0.5, -1},
    };
    for (const Row& row : rows) {
        const CPoint p = graph.Device(row.x, row.y);
        EXPECT_EQ(KTIntegralCalculation::HitTest(list, p.x, p.y), row.index) << row.x << ", " << row.y;
    }
}

TEST(KTIntegralCalculation, DrawAllDrawsEveryValidRegionInOrder)
{
    CalculationGraph graph;
    ASSERT_TRUE(graph.SetFunction(0, "y=2"));
    KTIntegralList list;
    KTIntegralFunction first = Integral(graph, "0", "1");
    first.m_colour = 1;
    KTIntegralFunction unbound = Integral(graph, "0", "1");
    unbound.m_first = -1;
    KTIntegralFunction third = Integral(graph, "1", "2");
    third.m_colour = 3;
    list.Add(first, true);
    list.Add(unbound, true);
    list.Add(third, true);
    list.SetGraph(&graph.Axes());
    KTIntegralCalculation::CalculateAll(list, graph.Data(), nullptr);
    KTDC dc(96, 96, CSize(800, 600));
    dc.SetRecording(true);
    KTIntegralCalculation::DrawAll(list, dc);
    ASSERT_EQ(dc.GetRecords().size(), 2u);
    EXPECT_EQ(dc.GetRecords()[0].brush.GetColor(), 1u);
    EXPECT_EQ(dc.GetRecords()[1].brush.GetColor(), 3u);
}
