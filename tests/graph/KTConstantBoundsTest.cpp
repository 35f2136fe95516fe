// Integral bounds and tangent points typed as constant expressions: "sqrt(2)", "2^3", "pi/2" are
// read as the numbers they are; "q" or "x" leave the record undefined and undrawn, never at 0.

#include "graph/KTDerivativeCalculation.h"
#include "graph/KTDerivativeFunction.h"
#include "graph/KTIntegralCalculation.h"
#include "graph/KTIntegralFunction.h"

#include "KTGraphCalculationSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using kttest::CalculationGraph;
using kttest::EnglishNumbers;

TEST(KTConstantBounds, IntegralBoundsAreConstantExpressions)
{
    const EnglishNumbers numbers;
    const struct
    {
        const char* function;
        const char* lower;
        const char* upper;
        double integral; ///< closed form, python3
    } rows[] = {
        {"y=x^2", "0", "sqrt(2)", 0.9428090415820635}, // 2 sqrt(2) / 3
        {"y=3x+1", "0", "sqrt(2)", 4.414213562373095}, // 3 + sqrt(2)
        {"y=x", "0", "2^3", 32},                       // 8^2 / 2
        {"y=2", "-pi/2", "pi/2", 6.283185307179586},   // 2 pi
        {"y=x", "1/2/2", "sqrt(4)", 1.96875},          // (4 - 1/16) / 2
        {"y=1", "log2(8)", "2^3-1", 4},                // 7 - 3
        {"y=2x+3", "-1", "|-1|", 6},
        {"y=x^2", "-1", "|-1|", 0.6666666666666666},     // 2/3
        {"y=sin(x)", "0", "2^2*45", 114.59155902616465}, // degrees: 360 / pi
        {"y=e^x", "0", "ln(2)", 1},                      // 2 - 1
    };
    for (const auto& row : rows) {
        CalculationGraph graph;
        ASSERT_TRUE(graph.SetFunction(0, row.function));
        KTIntegralFunction integral;
        integral.m_first = 0;
        integral.m_second = KTIntegralFunction::kXAxis;
        integral.m_lowerText = row.lower;
        integral.m_upperText = row.upper;
        integral.m_axes = &graph.Axes();
        KTIntegralCalculation::Calculate(integral, graph.Data(), nullptr);
        EXPECT_TRUE(integral.m_regionValid) << row.upper;
        EXPECT_NEAR(integral.m_integral, row.integral, 5e-7)
            << row.function << " on " << row.lower << ".." << row.upper;
        // The texts stay as typed.
        EXPECT_EQ(integral.m_lowerText, CString(row.lower));
        EXPECT_EQ(integral.m_upperText, CString(row.upper));
    }
    for (const char* refused : {"q", "x", "", "foo", "2+"}) {
        CalculationGraph graph;
        ASSERT_TRUE(graph.SetFunction(0, "y=x^2"));
        KTIntegralFunction integral;
        integral.m_first = 0;
        integral.m_second = KTIntegralFunction::kXAxis;
        integral.m_lowerText = "0";
        integral.m_upperText = refused;
        integral.m_axes = &graph.Axes();
        KTIntegralCalculation::Calculate(integral, graph.Data(), nullptr);
        EXPECT_FALSE(integral.m_regionValid) << refused;
        EXPECT_EQ(integral.m_integral, 0.0) << refused;
    }
}

TEST(KTConstantBounds, TangentPointsAreConstantExpressions)
{
    const EnglishNumbers numbers;
    const struct
    {
        const char* x;
        double at; ///< closed form, python3
    } rows[] = {
        {"sqrt(2)", 1.4142135623730951},
        {"2^3/4", 2},
        {"-pi/4", -0.7853981633974483},
        {"1/2/2", 0.25},
    };
    for (const auto& row : rows) {
        CalculationGraph graph;
        ASSERT_TRUE(graph.SetFunction(0, "y=x^2"));
        KTDerivativeFunction tangent;
        tangent.m_function = 0;
        tangent.m_xText = row.x;
        tangent.m_axes = &graph.Axes();
        KTDerivativeCalculation::Calculate(tangent, graph.Data(), nullptr);
        ASSERT_TRUE(tangent.m_valid) << row.x;
        EXPECT_NEAR(tangent.m_point.m_x, row.at, 1e-9) << row.x;
        EXPECT_NEAR(tangent.m_point.m_y, row.at * row.at, 1e-8) << row.x;
        EXPECT_NEAR(tangent.m_slope, 2 * row.at, 1e-6) << row.x;
        EXPECT_EQ(tangent.m_xText, CString(row.x));
    }
    for (const char* refused : {"q", "x", "", "sqrt(-1)"}) {
        CalculationGraph graph;
        ASSERT_TRUE(graph.SetFunction(0, "y=x^2"));
        KTDerivativeFunction tangent;
        tangent.m_function = 0;
        tangent.m_xText = refused;
        tangent.m_axes = &graph.Axes();
        KTDerivativeCalculation::Calculate(tangent, graph.Data(), nullptr);
        EXPECT_FALSE(tangent.m_valid) << refused;
    }
}
