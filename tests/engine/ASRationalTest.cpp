#include "engine/ASLimitException.h"
#include "engine/ASNodePool.h"
#include "engine/ASRational.h"
#include "engine/ASTokenList.h"
#include "engine/ASVariablePower.h"
#include "foundation/KTSentinelValues.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct Fraction
{
    std::int32_t numerator;
    std::int32_t denominator;
};

void ExpectFraction(const ASRational& value, Fraction expected)
{
    EXPECT_EQ(value.m_numerator, expected.numerator);
    EXPECT_EQ(value.m_denominator, expected.denominator);
}

} // namespace

TEST(ASRationalTest, ReduceTable)
{
    struct Row
    {
        Fraction in;
        Fraction out;
    };
    const Row rows[] = {
        {{6, 4}, {3, 2}},
        {{-6, 4}, {-3, 2}},
        {{6, -4}, {-3, 2}},
        {{0, 5}, {0, 1}},
        {{7, 0}, {7, 0}},                       // undefined stays as stored
        {{0, 0}, {0, 0}},                       // and never loops
        {{2 * 7927, 3 * 7927}, {15854, 23781}}, // a prime beyond the table in both
        {{7927, 15854}, {1, 2}},                // caught by the final divisibility test
        {{15854, 7927}, {2, 1}},
        {{6, -3}, {-2, 1}}, // the sign survives a denominator that divides the numerator
        {{-6, -3}, {2, 1}},
        {{1000000000, 999999999}, {1000000000, 999999999}},
        {{std::numeric_limits<std::int32_t>::max(), 1}, {std::numeric_limits<std::int32_t>::max(), 1}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.in.numerator << "/" << row.in.denominator);
        ASRational value(row.in.numerator, row.in.denominator);
        value.Reduce();
        ExpectFraction(value, row.out);
    }
}

TEST(ASRationalTest, ReducingTheSmallestIntegerOverMinusOneFails)
{
    ASRational value(std::numeric_limits<std::int32_t>::min(), -1);
    EXPECT_THROW(value.Reduce(), ASLimitException);
}

TEST(ASRationalTest, SetFromDoubleTable)
{
    struct Row
    {
        double in;
        Fraction out;
    };
    const Row rows[] = {
        {0.5, {1, 2}},
        {1.0 / 3.0, {1, 3}},
        {2.0 / 3.0, {2, 3}},
        {5.0 / 9.0, {5, 9}},
        {-1.0 / 3.0, {-1, 3}},
        {0.25, {1, 4}},
        {2.0, {2, 1}},
        {0.1, {1, 10}},
        {-0.75, {-3, 4}},
        {1e-12, {0, 1}},
        {0.0, {0, 1}},
        {0.123457, {123457, 1000000}}, // rounded, not truncated to 123456999/1000000000
        {-2.5, {-5, 2}},
        {123456789.0, {123456789, 1}},
        {987654321.0, {987654321, 1}}, // beyond the scaling bound: taken whole
        {214748364.4, {214748364, 1}},
        {2147483647.0, {2147483647, 1}},
        {-2147483648.0, {-2147483647 - 1, 1}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.in);
        ExpectFraction(ASRational(row.in), row.out);
    }
}

TEST(ASRationalTest, SetFromDoubleRefusesWhatHasNo32BitForm)
{
    for (double value : {2147483648.0, -2147483649.0, 3e9, 1e300, std::numeric_limits<double>::infinity(),
                         -std::numeric_limits<double>::infinity(), std::nan("")}) {
        SCOPED_TRACE(value);
        ASRational rational;
        EXPECT_THROW(rational.SetFromDouble(value), ASLimitException);
    }
}

TEST(ASRationalTest, ArithmeticTable)
{
    enum Op { Add, Subtract, Multiply, Divide };
    struct Row
    {
        Fraction a;
        Op op;
        Fraction b;
        Fraction out;
    };
    const Row rows[] = {
        {{1, 2}, Add, {1, 3}, {5, 6}},      {{1, 2}, Subtract, {1, 3}, {1, 6}},
        {{2, 3}, Multiply, {3, 4}, {1, 2}}, {{2, 3}, Divide, {4, 9}, {3, 2}},
        {{1, 2}, Add, {-1, 2}, {0, 1}},     {{-3, 1}, Multiply, {-1, 1}, {3, 1}},
        {{1, 2}, Divide, {-1, 4}, {-2, 1}}, {{5, 1}, Divide, {0, 1}, {5, 0}}, // undefined, not an error
        {{0, 1}, Divide, {0, 1}, {0, 0}},   {{65536, 1}, Multiply, {32767, 1}, {2147418112, 1}},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const Row& row = rows[i];
        SCOPED_TRACE(i);
        const ASRational a(row.a.numerator, row.a.denominator);
        const ASRational b(row.b.numerator, row.b.denominator);
        const ASRational result = row.op == Add        ? a.Add(b)
                                  : row.op == Subtract ? a.Subtract(b)
                                  : row.op == Multiply ? a.Multiply(b)
                                                       : a.Divide(b);
        ExpectFraction(result, row.out);
    }
    // Products leave 32 bits only in the intermediate: 40000/3 * 3/40000 is 1.
    ExpectFraction(ASRational(40000, 3).Multiply(ASRational(3, 40000)), {1, 1});
    ExpectFraction(ASRational(2147483647, 2).Subtract(ASRational(2147483645, 2)), {1, 1});
    // The double forms read the operand exactly first.
    ExpectFraction(ASRational(1, 3).Add(0.5), {5, 6});
    ExpectFraction(ASRational(3, 4).Multiply(-1.0), {-3, 4});
}

TEST(ASRationalTest, ResultsOutside32BitsFailInsteadOfWrapping)
{
    const ASRational big(2147483647, 1);
    EXPECT_THROW(big.Add(ASRational(1, 1)), ASLimitException);
    EXPECT_THROW(big.Multiply(ASRational(2, 1)), ASLimitException);
    EXPECT_THROW(ASRational(46341, 1).Multiply(ASRational(46341, 1)), ASLimitException);
    EXPECT_THROW(ASRational(1, 65536).Multiply(ASRational(1, 65536)), ASLimitException);
    EXPECT_THROW(ASRational(-2147483647 - 1, 1).Multiply(-1.0), ASLimitException);
    // The full reduction rescues what the prime table alone would not.
    ExpectFraction(ASRational(1, 7927 * 7933).Multiply(ASRational(7927 * 7933, 1)), {1, 1});
}

TEST(ASRationalTest, TextsAndValue)
{
    struct Row
    {
        Fraction value;
        const char* text;
        const char* plain;
    };
    const Row rows[] = {
        {{3, 1}, "+3", "3"},
        {{-1, 2}, "-1/2", "-1/2"},
        {{0, 1}, "+0", "0"},
        {{7, 0}, "+7/0", "7/0"},
    };
    for (const Row& row : rows) {
        const ASRational value(row.value.numerator, row.value.denominator);
        EXPECT_EQ(value.ToString(), row.text);
        EXPECT_EQ(value.PlainText(), row.plain);
    }
    EXPECT_DOUBLE_EQ(ASRational(-3, 4).Value(), -0.75);
    EXPECT_EQ(ASRational(7, 0).Value(), KTUndefinedValue);
}

TEST(ASRationalTest, EqualityIsFieldByField)
{
    EXPECT_FALSE(ASRational(1, 2).Equals(ASRational(2, 4)));
    EXPECT_TRUE(ASRational(1, 2) == ASRational(1, 2));
    EXPECT_TRUE(ASRational(1, 3).EqualsDouble(1.0 / 3.0));
    EXPECT_FALSE(ASRational(2, 4).EqualsDouble(0.5)); // the double is read reduced
    EXPECT_TRUE(ASRational(0, 1).IsZero());
    EXPECT_FALSE(ASRational(7, 0).IsZero());
}

TEST(ASRationalTest, TokenForms)
{
    ASTokenList whole;
    ASRational(-4, 1).AppendTokens(whole);
    ASSERT_EQ(whole.GetCount(), 1);
    EXPECT_EQ(whole.KindAt(0), ASKind::Number);
    EXPECT_EQ(whole.ValueAt(0), -4.0);

    ASTokenList fraction;
    ASRational(3, 7).AppendTokens(fraction);
    EXPECT_EQ(fraction.ToString(""), " (+3\\+7) ");
    const int kinds[] = {ASKind::Open, ASKind::Number, ASKind::Divide, ASKind::Number, ASKind::Close};
    ASSERT_EQ(fraction.GetCount(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(fraction.KindAt(i), kinds[i]);
}

TEST(ASRationalTest, CommonFactorAndAlmostEqual)
{
    struct Row
    {
        std::int32_t a, b, factor;
    };
    const Row rows[] = {{12, 18, 6}, {-12, 18, 6},
                        {7, 13, 1},  {0, 0, 1},
                        {0, 6, 2},   {7927, 7927 * 2, 1}, // beyond the table, no final test here
                        {1, 1, 1},   {2 * 3 * 5 * 7, 3 * 7 * 11, 21}};
    for (const Row& row : rows)
        EXPECT_EQ(CommonFactor(row.a, row.b), row.factor) << row.a << " " << row.b;

    EXPECT_TRUE(AlmostEqual(1.0, 1.0 + 1e-9, 1e-8));
    EXPECT_FALSE(AlmostEqual(1.0, 1.0 + 1e-7, 1e-8));
    EXPECT_TRUE(AlmostEqual(2.0, 2.5, 0.5)); // equality counts
    EXPECT_TRUE(AlmostEqual(3.0, 3.0, 0.0));
    EXPECT_FALSE(AlmostEqual(3.0, std::nextafter(3.0, 4.0), 0.0));
}

TEST(ASVariablePowerTest, TextsAndTokens)
{
    struct Row
    {
        int variable;
        Fraction exponent;
        const char* text;
    };
    const Row rows[] = {
        {ASKind::X, {2, 1}, "x^2"},           {ASKind::X, {1, 2}, "x^1/2"}, {ASKind::Y, {1, 1}, "y"},
        {ASKind::A, {-1, 1}, "a^-1"},         {ASKind::M, {3, 1}, "m^3"},   {ASKind::T, {1, 1}, "othervar"},
        {ASKind::Theta, {2, 1}, "othervar^2"}};
    for (const Row& row : rows) {
        ASVariablePower power;
        power.m_variable = row.variable;
        power.SetExponent(ASRational(row.exponent.numerator, row.exponent.denominator));
        EXPECT_EQ(power.ToString(), row.text);
    }
    ASVariablePower x;
    x.m_variable = ASKind::X;
    x.SetExponent(ASRational(1, 1));
    ASTokenList tokens;
    x.AppendTokens(tokens); // the power is written also for the exponent 1
    EXPECT_EQ(tokens.ToString(""), " x^+1 ");
}
