// The evaluator: functions in the three angle units, the power rule, the sentinels, the postfix
// conversion, numeric derivatives and the agreement of the compiled and the plain walk.

#include "KTFunction3TestHelpers.h"

#include "engine/KTEvaluationProgram.h"
#include "foundation/KTSentinelValues.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using kttest::Num;
using kttest::SetPostfix;
using kttest::Tok;

namespace {

constexpr double U = KTUndefinedValue;
constexpr double N = KTNoSecondValue;

TEST(KTEvaluation, SentinelsAreTheSystemsValues)
{
    EXPECT_EQ(1000000000001.2, KTUndefinedValue);
    EXPECT_EQ(1000000000001.5, KTNoSecondValue);
    EXPECT_EQ(1000000000001.1, KTNoYValue);
}

struct FunctionRow
{
    int kind;
    double argument;
    double degrees; ///< expected in degrees, radians and grads
    double radians;
    double grads;
};

TEST(KTEvaluation, FunctionTableInEveryAngleUnit)
{
    const double g = 63.66197724;
    const FunctionRow rows[] = {
        {ASKind::Sin, 30, 0.5, std::sin(30.0), std::sin(30 / g)},
        {ASKind::Cos, 60, 0.5, std::cos(60.0), std::cos(60 / g)},
        {ASKind::Tan, 45, 1.0, std::tan(45.0), std::tan(45 / g)},
        {ASKind::ArcSin, 0.5, 30, std::asin(0.5), std::asin(0.5) * g},
        {ASKind::ArcCos, 0.5, 60, std::acos(0.5), std::acos(0.5) * g},
        {ASKind::ArcTan, 1, 45, std::atan(1.0), 50},
        {ASKind::Sec, 60, 2.0, 1 / std::cos(60.0), 1 / std::cos(60 / g)},
        {ASKind::Cosec, 30, 2.0, 1 / std::sin(30.0), 1 / std::sin(30 / g)},
        {ASKind::Cot, 45, 1.0, 1 / std::tan(45.0), 1 / std::tan(45 / g)},
        {ASKind::Abs, -2.5, 2.5, 2.5, 2.5},
        {ASKind::Gint, -1.5, -2, -2, -2},
        {ASKind::Exp, 1, std::exp(1.0), std::exp(1.0), std::exp(1.0)},
        {ASKind::Ln, std::exp(2.0), 2, 2, 2},
        {ASKind::Log, 1000, 3, 3, 3},
        {ASKind::Sqrt, 2.25, 1.5, 1.5, 1.5},
        {ASKind::Cosh, 1, std::cosh(1.0), std::cosh(1.0), std::cosh(1.0)},
        {ASKind::Sinh, 1, std::sinh(1.0), std::sinh(1.0), std::sinh(1.0)},
        {ASKind::Tanh, 0.5, std::tanh(0.5), std::tanh(0.5), std::tanh(0.5)},
        {ASKind::Normal, 0, 0.3989422804, 0.3989422804, 0.3989422804},
    };
    KTAxes axes;
    KTFunction3 f(&axes);
    for (int system = 0; system < 3; ++system) {
        kttest::SetAngleSystem(axes, system);
        for (const FunctionRow& row : rows) {
            SetPostfix(f, {Num(row.argument), {row.kind}});
            const double expected = system == 0 ? row.degrees : system == 1 ? row.radians : row.grads;
            EXPECT_NEAR(expected, f.Evaluate(0, N).m_y, 1e-8 * std::max(1.0, std::fabs(expected)))
                << "kind " << row.kind << " system " << system;
        }
    }
}

struct ValueRow
{
    const char* what;
    std::initializer_list<Tok> postfix;
    double expected; ///< sentinels compared exactly
};

TEST(KTEvaluation, DomainsSentinelsAndEdges)
{
    KTAxes axes;
    kttest::SetAngleSystem(axes, 0);
    KTFunction3 f(&axes);
    const ValueRow rows[] = {
        {"GINT(2.7)", {Num(2.7), {ASKind::Gint}}, 2},
        {"GINT(-1.5) is the greatest integer below", {Num(-1.5), {ASKind::Gint}}, -2},
        {"GINT(-2)", {Num(-2), {ASKind::Gint}}, -2},
        {"ASIN(1) is 90 degrees", {Num(1), {ASKind::ArcSin}}, std::asin(1.0) * 57.29577951},
        {"ACOS(1) is 0", {Num(1), {ASKind::ArcCos}}, 0},
        {"ACOS(-1) is 180 degrees", {Num(-1), {ASKind::ArcCos}}, std::acos(-1.0) * 57.29577951},
        {"ASIN beyond 1", {Num(1.5), {ASKind::ArcSin}}, N},
        {"ACOS beyond -1", {Num(-1.5), {ASKind::ArcCos}}, N},
        {"ASIN beyond 1, then + 1", {Num(1.5), {ASKind::ArcSin}, Num(1), {ASKind::Plus}}, U},
        {"1 / 0", {Num(1), Num(0), {ASKind::Divide}}, U},
        {"1 / 0 + 5", {Num(1), Num(0), {ASKind::Divide}, Num(5), {ASKind::Plus}}, U},
        {"LN(0)", {Num(0), {ASKind::Ln}}, U},
        {"LOG(-1)", {Num(-1), {ASKind::Log}}, U},
        {"SQRT(-1)", {Num(-1), {ASKind::Sqrt}}, U},
        {"COSH(201)", {Num(201), {ASKind::Cosh}}, U},
        {"SINH(-201)", {Num(-201), {ASKind::Sinh}}, U},
        {"TANH(201)", {Num(201), {ASKind::Tanh}}, N},
        {"SEC(60)", {Num(60), {ASKind::Sec}}, 1 / std::cos(60 / 57.29577951)},
        {"COSEC(0)", {Num(0), {ASKind::Cosec}}, U},
        {"COT(0)", {Num(0), {ASKind::Cot}}, U},
        {"SIN(y) without y", {{ASKind::Y}, {ASKind::Sin}}, N},
        {"COS(y) without y", {{ASKind::Y}, {ASKind::Cos}}, N},
        {"SIN(y) + 1 without y", {{ASKind::Y}, {ASKind::Sin}, Num(1), {ASKind::Plus}}, U},
        {"y * 2 without y", {{ASKind::Y}, Num(2), {ASKind::Multiply}}, U},
        {"LN(y) without y", {{ASKind::Y}, {ASKind::Ln}}, U},
        {"P", {{ASKind::Pi}}, 3.141592654},
        {"E", {{ASKind::E}}, 2.718281828},
        {"EXP(1000) overflows", {Num(1000), {ASKind::Exp}}, U},
        {"10 ^ 400 overflows", {Num(10), Num(400), {ASKind::Power}}, U},
        {"overflow minus overflow",
         {Num(1e308), Num(10), {ASKind::Multiply}, Num(1e308), Num(10), {ASKind::Multiply}, {ASKind::Minus}},
         U},
        {"skipped kinds",
         {Num(2), {ASKind::Open}, {ASKind::Equals}, Num(3), {ASKind::Close}, {ASKind::Plus}},
         5},
        {"empty list", {}, 0},
        {"an operator without operands pops zeros", {{ASKind::Plus}}, 0},
    };
    for (const ValueRow& row : rows) {
        SetPostfix(f, row.postfix);
        const double value = f.Evaluate(1, N).m_y;
        if (row.expected == U || row.expected == N)
            EXPECT_EQ(row.expected, value) << row.what;
        else
            EXPECT_NEAR(row.expected, value, 1e-12 * std::max(1.0, std::fabs(row.expected))) << row.what;
    }
    // TAN(90) in degrees is evaluated without a check of the cosine: a very large value.
    SetPostfix(f, {Num(90), {ASKind::Tan}});
    EXPECT_GT(std::fabs(f.Evaluate(0, N).m_y), 1e9);
}

// A small argument keeps its digits: sinh v and tanh v are v there, not the 0 of e^v - e^-v.
TEST(KTEvaluation, HyperbolicFunctionsOfSmallArguments)
{
    KTFunction3 f(nullptr);
    for (const double v : {1e-10, -2e-9, 2.5e-32}) {
        for (const int kind : {ASKind::Sinh, ASKind::Tanh}) {
            SetPostfix(f, {Num(v), {kind}});
            EXPECT_NEAR(v, f.Evaluate(0, N).m_y, 1e-15 * std::fabs(v)) << "kind " << kind << " of " << v;
        }
    }
}

struct PowerRow
{
    double base;
    double exponent;
    double expected;
};

TEST(KTEvaluation, PowerRule)
{
    const PowerRow rows[] = {
        {-8, 1.0 / 3, -2},  {-8, 2.0 / 3, 4},  {-8, 0.5, N},      {-2, 3, -8},       {0, 5, 0},
        {0, -1, N},         {-3, 2, 9},        {2, -2, 0.25},     {-2, -3, -0.125},  {9, 0.5, 3},
        {4, -0.5, 0.5},     {-32, 0.2, -2},    {-32, 0.4, 4},     {-32, -0.2, -0.5}, {2, 10, 1024},
        {-1, 1.0 / 31, -1}, {-1, 1.0 / 33, N}, {-100000, 2.2, -1e11}, {5, N, N},        {2, 0, 1},
        {-2, 0, 1},
        // A negative power is as large near 0 as the quotient 1 / x^p is; only 0 itself, and a
        // power beyond the doubles, has none.
        {1e-10, -1, 1e10}, {-1e-10, -1, -1e10}, {1e-10, -0.9, 1e9}, {1e-20, -0.9, 1e18},
        {-1e-10, -3, -1e30}, {1e-12, -0.5, 1e6}, {-1e-30, -1.0 / 3, -1e10}, {0, -0.9, N},
        {1e-300, -2, N}, {1e-250, -1.5, N},
        // An odd root of a negative base has a value however large the base, as a positive
        // base's power has.
        {-6000, 7.0 / 3, -654163413.419570277}, {-300, 11.0 / 3, -1209979281.57043447},
        {-10000, 11.0 / 3, -464158883361277.889}, {-1e100, 1.0 / 3, -2.15443469003188372e33},
    };
    for (const PowerRow& row : rows) {
        const double r = KTEvaluationRules::Power(row.base, row.exponent);
        EXPECT_NEAR(row.expected, r, 1e-12 * std::max(1.0, std::fabs(row.expected)))
            << row.base << " ^ " << row.exponent;
    }
    // x ^ 2 is x * x for negative x too, through the exact-2 rule.
    EXPECT_EQ(2.25, KTEvaluationRules::Power(-1.5, 2));
    EXPECT_EQ(-2.0, KTEvaluationRules::Power(-8, 1.0 / 3));
    // A power below the normal doubles is one still: 10^-310 and (-10)^-311 are no 0.
    EXPECT_NEAR(1e-310, KTEvaluationRules::Power(10, -310), 1e-320);
    EXPECT_NEAR(-1e-311, KTEvaluationRules::Power(-10, -311), 1e-320);
}

TEST(KTEvaluation, PostfixConversion)
{
    struct Row
    {
        std::initializer_list<Tok> infix;
        const char* postfix;
    };
    const Row rows[] = {
        {{Num(2), {ASKind::Multiply}, {ASKind::X}, {ASKind::Plus}, Num(1)}, "2 X * 1 +"},
        {{{ASKind::X}, {ASKind::Power}, Num(2), {ASKind::Power}, Num(3)}, "X 2 3 ^ ^"},
        {{{ASKind::Sin}, {ASKind::Open}, {ASKind::X}, {ASKind::Plus}, Num(1), {ASKind::Close}}, "X 1 + SIN"},
        {{{ASKind::X}, {ASKind::Minus}, Num(1), {ASKind::Minus}, Num(2)}, "X 1 - 2 -"},
        {{Num(8), {ASKind::Divide}, Num(4), {ASKind::Divide}, Num(2)}, "8 4 / 2 /"},
        {{{ASKind::X}, {ASKind::Multiply}, {ASKind::X}, {ASKind::Power}, Num(2)}, "X X 2 ^ *"},
        {{Num(2), {ASKind::Power}, Num(3), {ASKind::Multiply}, Num(4)}, "2 3 ^ 4 *"},
        {{{ASKind::Y}, {ASKind::Equals}, {ASKind::Theta}, {ASKind::Plus}, {ASKind::T}}, "X T +"},
        {{{ASKind::Open}, {ASKind::X}, {ASKind::Plus}, Num(1), {ASKind::Close}, {ASKind::Multiply}, Num(3)},
         "X 1 + 3 *"},
    };
    KTFunction3 f;
    for (const Row& row : rows) {
        ASTokenList list;
        for (const Tok& t : row.infix)
            list.Append(t.kind, t.value);
        f.ToPostfix(list, false);
        EXPECT_EQ(row.postfix, kttest::Describe(list));
    }
}

TEST(KTEvaluation, LeadingRelation)
{
    KTFunction3 f;
    ASTokenList list;
    for (int kind : {ASKind::X, ASKind::GreaterEqual, ASKind::Y, ASKind::Plus})
        list.Append(kind);
    list.Append(ASKind::Number, 1);
    f.Parts().SetStatus(KTStatusError);
    f.ToPostfix(list, false);
    EXPECT_EQ(KTStatusExplicit, f.Status());
    EXPECT_EQ(ASKind::GreaterEqual, f.m_data.m_relation);
    EXPECT_EQ(1, f.Parts().m_inverse);
    EXPECT_EQ("X 1 +", kttest::Describe(list)); // y of a swapped form is the sample position

    ASTokenList recurring;
    for (int kind : {ASKind::Y, ASKind::Equals, ASKind::X, ASKind::Plus, ASKind::Y})
        recurring.Append(kind);
    KTFunction3 g;
    g.ToPostfix(recurring, false);
    EXPECT_EQ(KTStatusRearrange, g.Status());
}

TEST(KTEvaluation, Derivatives)
{
    KTFunction3 f;
    SetPostfix(f, {{ASKind::X}, Num(2), {ASKind::Power}});
    EXPECT_NEAR(4.0, f.Derivative(2), 4e-10);
    EXPECT_NEAR(2e6, f.Derivative(1e6), 2e6 * 1e-9); // the step never vanishes for large x
    EXPECT_NEAR(2e12, f.Derivative(1e12), 2e12 * 1e-6);
    EXPECT_NEAR(2.0, f.SecondDerivative(5), 1e-4);
    SetPostfix(f, {{ASKind::X}, Num(3), {ASKind::Power}});
    EXPECT_NEAR(12.0, f.SecondDerivative(2), 1e-4);
    SetPostfix(f, {{ASKind::X}, {ASKind::Ln}});
    EXPECT_EQ(U, f.Derivative(0)); // undefined on one side
}

TEST(KTEvaluation, YAtXAndRanges)
{
    KTAxes axes;
    axes.m_xAxis.m_min = -10;
    axes.m_xAxis.m_max = 10;
    axes.m_yAxis.m_min = -5;
    axes.m_yAxis.m_max = 5;
    KTFunction3 f(&axes);
    EXPECT_EQ(KTNoYValue, f.YAtX(1)); // not interpreted
    kttest::InterpretText(f, "y = 2x + 1");
    EXPECT_EQ(7.0, f.YAtX(3));
    kttest::InterpretText(f, "x = 2y + 1");
    EXPECT_NEAR(2.0, f.YAtX(5), 1e-6);
    kttest::InterpretText(f, "r = 2");
    EXPECT_EQ(KTNoYValue, f.YAtX(1));
    kttest::InterpretText(f, "y = ln(x)");
    EXPECT_EQ(KTNoYValue, f.YAtX(-1));

    EXPECT_TRUE(f.InGraphRange(10, -5));
    EXPECT_FALSE(f.InGraphRangeStrict(10, -5));
    EXPECT_TRUE(f.InGraphRangeStrict(9.9, 4.9));
    EXPECT_FALSE(f.InGraphRange(10.01, 0));
    EXPECT_FALSE(f.InGraphRange(std::nan(""), 0));
}

// Random well-formed postfix lists: the compiled program and the plain walk on the value stack
// agree bit for bit, sentinels included.
TEST(KTEvaluation, CompiledAndPlainWalkAgree)
{
    std::mt19937 rng(20261208);
    const std::vector<int> operands = {ASKind::X,      ASKind::Y,  ASKind::A, ASKind::Number,
                                       ASKind::Number, ASKind::Pi, ASKind::E};
    const std::vector<double> numbers = {0, 1, -1, 2, 0.5, -0.5, 3, 1.0 / 3, -8, 1e6, 0.25, 2.5, 90};
    KTAxes axes;
    int compared = 0;
    for (int trial = 0; trial < 3000; ++trial) {
        const int length = 1 + static_cast<int>(rng() % 20);
        const ASTokenList list = kttest::RandomPostfixList(rng, length, 90, operands, numbers);
        if (!KTEvaluationProgram::IsWellFormed(list))
            continue;
        KTEvaluationProgram program;
        program.Compile(list);
        ASSERT_TRUE(program.IsCompiled());
        const double constants[5] = {1.5, -2, 0, 0, 3};
        for (int system = 0; system < 3; ++system) {
            const double scale = system == 0 ? 1 / 57.29577951 : system == 1 ? 1.0 : 1 / 63.66197724;
            for (double x : {-2.5, -1.0, 0.0, 0.5, 1.0, 3.0, 100.0}) {
                for (double y : {N, 0.75}) {
                    const KTEvaluationInputs in{x, y, constants, scale};
                    const double compiled = program.Run(in);
                    const double plain = KTEvaluateTokens(list, in);
                    ASSERT_EQ(plain, compiled) << kttest::Describe(list) << " at x = " << x;
                    ++compared;
                }
            }
        }
    }
    EXPECT_GT(compared, 10000);
}

TEST(KTEvaluation, CompiledFormsAreShort)
{
    struct Row
    {
        std::initializer_list<Tok> postfix;
        int operations;
    };
    const Row rows[] = {
        {{Num(2), {ASKind::X}, {ASKind::Multiply}, Num(1), {ASKind::Plus}}, 1},  // 2x + 1
        {{{ASKind::X}, Num(2), {ASKind::Power}}, 1},                             // x^2
        {{Num(1), Num(3), {ASKind::Divide}, Num(2), {ASKind::Multiply}}, 1},     // folded
        {{Num(3), {ASKind::X}, Num(3), {ASKind::Power}, {ASKind::Multiply}}, 2}, // 3 x^3
        {{Num(2), {ASKind::Sin}}, 2},                                            // angle unit: kept
        {{Num(2), {ASKind::Sqrt}, Num(1), {ASKind::Plus}}, 1},
    };
    for (const Row& row : rows) {
        ASTokenList list;
        for (const Tok& t : row.postfix)
            list.Append(t.kind, t.value);
        KTEvaluationProgram program;
        program.Compile(list);
        EXPECT_EQ(row.operations, program.OperationCount()) << kttest::Describe(list);
    }
}

TEST(KTEvaluation, ChangedListsAreRecompiled)
{
    KTFunction3 f;
    SetPostfix(f, {{ASKind::X}, Num(1), {ASKind::Plus}});
    EXPECT_EQ(3.0, f.Evaluate(2, N).m_y);
    SetPostfix(f, {{ASKind::X}, Num(5), {ASKind::Plus}});
    EXPECT_EQ(7.0, f.Evaluate(2, N).m_y);
    f.m_data.m_constants.m_range[0].m_current = 4;
    SetPostfix(f, {{ASKind::X}, {ASKind::A}, {ASKind::Multiply}});
    EXPECT_EQ(8.0, f.Evaluate(2, N).m_y);
    f.m_data.m_constants.m_range[0].m_current = -1; // read at every evaluation
    EXPECT_EQ(-2.0, f.Evaluate(2, N).m_y);
    f.m_data.SelectList(KTFunctionData3::SecondBranchList);
    EXPECT_EQ(0.0, f.Evaluate(2, N).m_y); // an empty list
}

} // namespace
