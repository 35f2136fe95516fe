// Typed forms that must plot their closed forms: chained divisions grouped from the left,
// logarithms to a subscript base, negative powers and long products through rearrangement, and
// relations whose solution is more than one explicit branch.

#include "KTFunction3TestHelpers.h"

#include "foundation/KTSentinelValues.h"
#include "foundation/KTVariableSubstitutions.h"
#include "platform/KTLocale.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double N = KTNoSecondValue;

class FunctionForms : public ::testing::Test
{
protected:
    void SetUp() override
    {
        KTLocale::Override('.', ',', 1);
        kttest::SetAngleSystem(m_axes, 1);
    }
    void TearDown() override { KTLocale::ClearOverride(); }

    KTAxes m_axes;
};

struct ValueRow
{
    const char* text;
    double x;
    double expected; ///< computed independently (python3)
};

// Every row is drawn as an explicit function with the value of its closed form.
TEST_F(FunctionForms, TypedFormsTakeTheirClosedFormValues)
{
    const ValueRow rows[] = {
        // a/b/c is (a/b)/c
        {"y=x/2/2", 3, 0.75},
        {"y=x/2/2", -2, -0.5},
        {"y=6/x/3", 4, 0.5},
        {"y=6/x/3", -0.5, -4.0},
        {"y=x/2/2/2", 8, 1},
        {"y=1/2/x", 4, 0.125},
        {"y=(x+1)/2/(x-1)", 3, 1.0},
        {"y=2^x/4/x", 3, 0.6666666666666666},
        // logarithms to the subscript base
        {"y=log10(x)", 1000, 3},
        {"y=log10(x)", 0.02, -1.6989700043360187},
        {"y=log2(x)", 8, 3},
        {"y=log2(x)", 0.5, -1},
        {"y=log2 x", 3, 1.584962500721156},
        {"y=log3(x)", 7, 1.7712437491614221},
        {"y=log10(x)^2", 2, 0.09061905828945654},
        {"y=2log10(x^2)", 2, 1.2041199826559248},
        {"y=log2(x)+log10(x)", 4, 2.6020599913279625},
        {"y=log2(8)x", 2, 6},
        {"y=x log2(4)", 3, 6},
        // negative powers through rearrangement
        {"x^-1=y", 4, 0.25},
        {"y*x^-1=2", 3, 6},
        {"y*x^-2=x", 1.5, 3.375},
        {"(x+1)^-2*y=1", 2, 9},
        // 64 product terms before they are collected
        {"y+1=(x+1)(x+2)(x+3)(x+4)(x+5)(x+6)", 0.5, 2110.484375},
        {"y+1=(x+1)(x+2)(x+3)(x+4)(x+5)(x+6)", -3.5, -4.515625},
        // a divisor that shares no zero with the other side is divided by
        {"x*y=x+1", 4, 1.25},
    };
    for (const ValueRow& row : rows) {
        KTFunction3 f(&m_axes);
        kttest::InterpretText(f, row.text);
        ASSERT_EQ(KTStatusExplicit, f.Status()) << row.text << ": " << f.Parts().GetMessage().c_str();
        EXPECT_EQ(CString(), f.Parts().GetMessage()) << row.text;
        EXPECT_NEAR(row.expected, f.Evaluate(row.x, N).m_y, 1e-12 * std::max(1.0, std::fabs(row.expected)))
            << row.text << " at " << row.x;
    }
}

// Two typed forms of one function agree everywhere: the chained form and the plain one.
TEST_F(FunctionForms, ChainedAndPlainFormsAgree)
{
    const struct
    {
        const char* chained;
        const char* plain;
    } pairs[] = {
        {"y=x/2/2", "y=x/4"},
        {"y=6/x/3", "y=2/x"},
        {"y=x/3/x/2", "y=1/6"},
        {"y=(x^2+1)/x/(x-3)", "y=(x^2+1)/(x(x-3))"},
        {"y=log2(x)", "y=ln(x)/ln(2)"},
        {"y=log10(x)", "y=log(x)"},
        {"x^-1=y", "y=1/x"},
        {"y*x^-1=2", "y=2x"},
    };
    for (const auto& pair : pairs) {
        KTFunction3 chained(&m_axes);
        KTFunction3 plain(&m_axes);
        kttest::InterpretText(chained, pair.chained);
        kttest::InterpretText(plain, pair.plain);
        for (double x = -4.95; x < 5; x += 0.1) {
            const double a = chained.Evaluate(x, N).m_y;
            const double b = plain.Evaluate(x, N).m_y;
            if (a == KTUndefinedValue || b == KTUndefinedValue) {
                EXPECT_EQ(a, b) << pair.chained << " at " << x;
                continue;
            }
            EXPECT_NEAR(a, b, 1e-12 * std::max(1.0, std::fabs(b))) << pair.chained << " at " << x;
        }
    }
}

// Dividing by a side that vanishes with the other would lose whole lines: "x*y=0" is the two
// axes, not y = 0 alone. Such relations are plotted implicitly, and both sides keep the typed
// relation, so every point of every line satisfies what the implicit plot evaluates.
TEST_F(FunctionForms, ProductsEqualToZeroKeepEveryLine)
{
    const struct
    {
        const char* text;
        double lineX; ///< the vertical line that dividing would lose
        double lineY; ///< the horizontal line of the relation
    } rows[] = {
        {"x*y=0", 0, 0},
        {"x*y=x", 0, 1},
        {"(x-2)(y-3)=0", 2, 3},
        {"(x-1)y=x-1", 1, 1},
    };
    for (const auto& row : rows) {
        KTFunction3 f(&m_axes);
        kttest::InterpretText(f, row.text);
        ASSERT_EQ(KTStatusImplicit, f.Status()) << row.text;
        EXPECT_EQ(1, f.m_data.m_interpreted) << row.text;
        const auto difference = [&f](double x, double y) {
            f.m_data.SelectList(KTFunctionData3::FirstBranchList);
            const double left = f.Evaluate(x, y).m_y;
            f.m_data.SelectList(KTFunctionData3::SecondBranchList);
            const double right = f.Evaluate(x, y).m_y;
            return left - right;
        };
        for (double t = -4.75; t < 5; t += 0.5) {
            EXPECT_NEAR(0.0, difference(row.lineX, t), 1e-12) << row.text << " on x = " << row.lineX;
            EXPECT_NEAR(0.0, difference(t, row.lineY), 1e-12) << row.text << " on y = " << row.lineY;
        }
        EXPECT_GT(std::fabs(difference(row.lineX + 0.5, row.lineY + 0.5)), 0.1) << row.text;
    }
}

// Bounds and tangent points are typed constant expressions; what is none is refused, never 0.
TEST_F(FunctionForms, ConstantTextsAreEvaluatedOrRefused)
{
    KTVariableSubstitutions table;
    table.Add("a", 3);
    table.Add("m", -0.5);
    KTAxes degrees;
    kttest::SetAngleSystem(degrees, 0);
    const struct
    {
        const char* text;
        double expected; ///< python3; the program's pi and e have ten digits (within 5e-9)
        bool inDegrees;
        bool withTable;
    } rows[] = {
        {"sqrt(2)", 1.4142135623730951, false, false},
        {"2^3", 8, false, false},
        {"pi/2", 1.5707963267948966, false, false},
        {"3pi/4", 2.356194490192345, false, false},
        {"-3e", -8.154845485377136, false, false},
        {"1/2/3", 0.16666666666666666, false, false},
        {"1.5", 1.5, false, false},
        {"-2", -2, false, false},
        {" 7 ", 7, false, false},
        {"ln(e)", 1, false, false},
        {"|-2|", 2, false, false},
        {"sin(30)", 0.5, true, false},
        {"sin(pi/6)", 0.5, false, false},
        {"2a", 6, false, true},
        {"2a", 2, false, false}, // without a table the constants count as 1
        {"a m", -1.5, false, true},
        {"log2(8)", 3, false, false},
        {"log10(1000)", 3, false, false},
        // A bound is a number text: "e" between a digit and an integer is a power of ten.
        {"1e3", 1000, false, false},
        {"2.5e-4", 0.00025, false, false},
        {"-1e-9", -1e-9, false, false},
        {"1E5", 100000, false, false},
        {"1e+2", 100, false, false},
        {"1e3+1", 1001, false, false},
        {"2/1e3", 0.002, false, false},
        {"2e", 5.43656365691809, false, false},
        {"e/2", 1.3591409142295225, false, false},
        {"3e/4", 2.0387113713442838, false, false},
        {"-e", -2.718281828459045, false, false},
    };
    for (const auto& row : rows) {
        const double value = KTFunction3::EvaluateConstantText(row.text, row.inDegrees ? &degrees : &m_axes,
                                                               row.withTable ? &table : nullptr);
        EXPECT_NEAR(row.expected, value, 5e-9) << row.text;
    }
    KTVariableSubstitutions onlyA;
    onlyA.Add("a", 3);
    for (const char* refused : {"q", "x", "y", "t", "r", "th", "", " ", "foo", "foo(2)", "2+", "(", "y=2",
                                "1,2", "1/(0)", "sqrt(-1)", "ln(0)", "+-1", "x^2"}) {
        EXPECT_EQ(KTUndefinedValue, KTFunction3::EvaluateConstantText(refused, &m_axes, nullptr)) << refused;
    }
    // A constant the table does not hold has no value.
    EXPECT_EQ(KTUndefinedValue, KTFunction3::EvaluateConstantText("2b", &m_axes, &onlyA));
    EXPECT_EQ(6.0, KTFunction3::EvaluateConstantText("2a", &m_axes, &onlyA));
}

// Numbers that the view writes into a bound or an x carry the user's decimal separator.
TEST_F(FunctionForms, ConstantTextsTakeTheUsersDecimalSeparator)
{
    KTLocale::Override(',', ';', 49);
    EXPECT_NEAR(1.5, KTFunction3::EvaluateConstantText("1,5", &m_axes, nullptr), 1e-12);
    EXPECT_NEAR(-1.25, KTFunction3::EvaluateConstantText("-1,25", &m_axes, nullptr), 1e-12);
    EXPECT_NEAR(0.00025, KTFunction3::EvaluateConstantText("2,5e-4", &m_axes, nullptr), 1e-18);
    EXPECT_NEAR(2.25, KTFunction3::EvaluateConstantText("1,5^2", &m_axes, nullptr), 1e-12);
    EXPECT_EQ(KTUndefinedValue, KTFunction3::EvaluateConstantText("1;5", &m_axes, nullptr));
    KTLocale::Override('.', ',', 1);
    EXPECT_EQ(KTUndefinedValue, KTFunction3::EvaluateConstantText("1,5", &m_axes, nullptr));
}

} // namespace
