#include "foundation/KTNumberTexts.h"

#include "foundation/KTNumberFormat.h"
#include "foundation/KTSentinelValues.h"
#include "foundation/KTVariableSubstitutions.h"
#include "support/KTTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <limits>
#include <random>

namespace {

constexpr double kPi = 3.141592654;
constexpr double kE = 2.718281828;

using kttest::LocaleScope;

struct BinaryRow
{
    const char* text;
    const char* other;
    const char* expected;
    bool result;
};

/// Applies the operation to each row's text and checks both the result and the text left.
template <std::size_t N>
void CheckBinaryRows(const BinaryRow (&rows)[N], bool (*operation)(CString&, CString), const char* sign)
{
    for (const BinaryRow& row : rows) {
        CString text = row.text;
        EXPECT_EQ(operation(text, row.other), row.result) << row.text << sign << row.other;
        EXPECT_EQ(text, row.expected) << row.text << sign << row.other;
    }
}

struct MultiplyRow
{
    const char* text;
    int factor;
    const char* expected;
    bool result;
};

} // namespace

TEST(KTNumberTextsTest, Classifies)
{
    const LocaleScope locale('.', ',');
    struct Row
    {
        const char* text;
        int expected;
    };
    const Row rows[] = {
        {"3pi/4", 2},
        {"-e", 2},
        {"2a", 2},
        {"0", 2},
        {"", 2},
        {"-2pi/3", 2},
        {"abcdm", 2},
        {"pie", 2},
        {"12/5", 2},
        {"\x96"
         "5",
         2},
        {"\xAF"
         "5",
         2},
        {"2.5", 1},
        {"-0.5/2", 1},
        // A power of ten makes a decimal; "e" after no digit or before no integer is exact.
        {"1e3", 1},
        {"2.5e-4", 1},
        {"1E5", 1},
        {"1e+2", 1},
        {"2e", 2},
        {"3e/4", 2},
        {"e5", 2},
        {"1e3x", 0},
        {"1/2/3", 0},
        {"x", 0},
        {"p", 0},
        {"PI", 0},
        {"2,5", 0},
        {"1 ", 0},
        {"\xB7"
         "5",
         0},
        {"2.5x", 0},
        {"//", 0},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ClassifyNumberText(row.text), row.expected) << '"' << row.text << '"';
}

TEST(KTNumberTextsTest, ClassifiesTheUsersDecimalSeparator)
{
    const LocaleScope locale(',', ';');
    EXPECT_EQ(ClassifyNumberText("2,5"), 1);
    EXPECT_EQ(ClassifyNumberText("2.5"), 1);
    EXPECT_EQ(ClassifyNumberText("2;5"), 0);
}

TEST(KTNumberTextsTest, Evaluates)
{
    KTVariableSubstitutions table;
    table.Add("a", 3.0);
    table.Add("b", 0.5);
    table.Add("m", 5.0);
    const double U = KTUndefinedValue;
    struct Row
    {
        const char* text;
        const KTVariableSubstitutions* table;
        double expected;
    };
    const Row rows[] = {
        {"2PI/3", nullptr, 2.094395102},
        {"2pi/3", nullptr, kPi * 2.0 / 3.0},
        {"2a", &table, 6.0},
        {"2a", nullptr, 2.0},
        {"ab", &table, 1.5},
        {"-m/2", &table, -2.5},
        {"pia/3", &table, kPi * 3.0 / 3.0},
        {"c", &table, U},
        {"2ac", &table, U},
        {"1,5", nullptr, 1.5},
        {"3/4", nullptr, 0.75},
        {"e/2", nullptr, kE / 2.0},
        {"-", nullptr, -1.0},
        {"", nullptr, 1.0},
        {"x", nullptr, 0.0},
        {"12x", nullptr, 12.0},
        {"pie", nullptr, kPi * kE},
        {"3/0,5", nullptr, 6.0}, // unlike the reader, the comma of a denominator is a point here
        {"1e3", nullptr, 1000.0},
        {"-1e-9", nullptr, -1e-9},
        {"2,5e-4", nullptr, 0.00025},
        {"1E5", nullptr, 100000.0},
        {"2e", nullptr, 2.0 * kE},
        {"-e", nullptr, -kE},
        {"3e/4", nullptr, 3.0 * kE / 4.0},
        {"2e3a", &table, 6000.0},
    };
    for (const Row& row : rows)
        EXPECT_NEAR(EvaluateNumberText(row.text, row.table), row.expected, 1e-9) << '"' << row.text << '"';
    EXPECT_EQ(EvaluateNumberText("1/0", nullptr), std::numeric_limits<double>::infinity());
}

TEST(KTNumberTextsTest, AddsExactlyOrAsDecimals)
{
    const LocaleScope locale('.', ',');
    const BinaryRow rows[] = {
        {"pi/2", "pi/4", "3pi/4", true},
        {"pi", "-pi/2", "pi/2", true},
        {"1/3", "1/6", "1/2", true},
        {"2", "3", "5", true},
        {"-1", "1", "0", true},
        {"1/2", "1/2", "1", true},
        {"e", "e", "2e", true},
        {"-pi", "-pi", "-2pi", true},
        {"pi", "-pi", "0pi", true},
        {"a", "a", "2a", true},
        {"a/2", "3a/2", "2a", true},
        {"0", "pi/6", "pi/6", true},
        {"pi/6", "0", "pi/6", true},
        {"11/22", "0", "11/22", true},
        {"", "", "2", true},
        // Different markers take the decimal path.
        {"pi", "1", "4.141593", true},
        {"2.5", "pi", "5.641593", true},
        {"0.1", "0.2", "0.3", true},
        {"a", "b", "2", true},
        // A power of ten is a decimal; "2e" and "e" stay exact multiples of e.
        {"1e3", "1", "1001", true},
        {"-1e3", "1e3", "0", true},
        {"2.5e-4", "0.00025", "0.0005", true},
        {"2e", "e", "3e", true},
        {"1E5", "1", "100001", true},
        // A sum below the sixth place keeps two significant digits instead of reading 0.
        {"0", "1e-7", "0.0000001", true},
        {"5e-7", "1e-7", "0.0000006", true},
        {"-1e-9", "1e-10", "-0.0000000009", true},
        {"1.234567e-8", "0", "0.000000012", true},
        {"0.00001", "0.000002", "0.000012", true},
        // Sums that do not fit 32 bits take the decimal path instead of wrapping round.
        {"1/65536", "1/65537", "0.000031", true},
        {"2147483647", "1", "2147483648", true},
        {"-2147483648", "-1", "-2147483649", true},
        {"99999999999", "1", "100000000000", true},
        {"1/46341", "1/46343", "0.000043", true},
        // A zero denominator stays as typed (reducing it would never end).
        {"0/0", "0/0", "0/0", true},
        {"1/0", "1", "1/0", true},
        // Not number texts.
        {"x", "1", "", false},
        {"1", "x", "", false},
        {"1/2/3", "1", "", false},
    };
    CheckBinaryRows(rows, AddNumberText, " + ");
}

TEST(KTNumberTextsTest, AddsUnderDecimalComma)
{
    const LocaleScope locale(',', ';');
    const BinaryRow rows[] = {
        {"2,5", "1", "3,5", true},
        {"1", "0.5", "1,5", true},
        {"1", "0,25", "1,25", true},
        {"pi/4", "pi/4", "pi/2", true},
    };
    CheckBinaryRows(rows, AddNumberText, " + ");
}

TEST(KTNumberTextsTest, Subtracts)
{
    const LocaleScope locale('.', ',');
    const BinaryRow rows[] = {
        {"-pi", "-pi/2", "-pi/2", true}, {"1", "1/3", "2/3", true}, {"pi/2", "pi/6", "pi/3", true},
        {"5", "7", "-2", true},          {"2.5", "0.5", "2", true}, {"pi", "1", "2.141593", true},
        {"3", "x", "", false},
    };
    CheckBinaryRows(rows, SubtractNumberText, " - ");
}

TEST(KTNumberTextsTest, Multiplies)
{
    const LocaleScope locale('.', ',');
    const MultiplyRow rows[] = {
        {"pi/6", 3, "pi/2", true},
        {"-pi/4", -2, "pi/2", true},
        {"2/3", 0, "0", true},
        {"pi/3", 1, "pi/3", true},
        {"a/2", 2, "1a", true},
        {"11/22", 1, "11/22", true},
        {"2147483647", -1, "-2147483647", true},
        {"0.25", 2, "0.5", true},
        {"1.5", -3, "-4.5", true},
        {"1e-3", 2, "0.002", true},
        {"3e/4", 2, "3e/2", true},
        {"x", 2, "", false},
        // Products beyond 32 bits are decimals, unless reducing brings them back in range.
        {"1000000", 10000, "10000000000", true},
        {"65536", 65536, "4294967296", true},
        {"-2147483648", -1, "2147483648", true},
        {"1073741824/8", 4, "536870912", true},
        {"1073741824/3", 4, "1431655765.333333", true},
    };
    for (const MultiplyRow& row : rows) {
        CString text = row.text;
        EXPECT_EQ(MultiplyNumberText(text, row.factor), row.result) << row.text << " * " << row.factor;
        EXPECT_EQ(text, row.expected) << row.text << " * " << row.factor;
    }
}

TEST(KTNumberTextsTest, ReducesFractions)
{
    struct Row
    {
        std::int32_t coefficient, denominator, reducedCoefficient, reducedDenominator;
    };
    const Row rows[] = {
        {6, 4, 3, 2},
        {11, 22, 11, 22},         // the scan stops before 11: 121 exceeds both
        {1994, 2991, 1994, 2991}, // 997 is never reached
        {-6, 4, -3, 2},
        {12, 18, 2, 3},
        {0, 5, 0, 1},
        {0, 1024, 0, 1},
        {4, 2, 2, 1},
        {7, 1, 7, 1},
        {1, 0, 1, 0},
        {0, 0, 0, 0},
        {-2147483647 - 1, 2, -1073741824, 1},
        {-2147483647 - 1, 3, -2147483647 - 1, 3},
        {6, -4, 3, -2},
    };
    for (const Row& row : rows) {
        std::int32_t c = row.coefficient, d = row.denominator;
        ReduceFraction(c, d);
        EXPECT_EQ(c, row.reducedCoefficient) << row.coefficient << "/" << row.denominator;
        EXPECT_EQ(d, row.reducedDenominator) << row.coefficient << "/" << row.denominator;
    }
    std::int64_t c = std::int64_t{1} << 32, d = 8;
    ReduceFraction(c, d);
    EXPECT_EQ(c, std::int64_t{1} << 29);
    EXPECT_EQ(d, 1);
}

TEST(KTNumberTextsTest, WritesPowersOfTenOut)
{
    const struct
    {
        const char* text;
        const char* expected;
    } rows[] = {
        {"1e3", "(1*10^(3))"},
        {"-2.5e-4", "-(2.5*10^(-4))"},
        {"1E+05", "(1*10^(05))"},
        {"2,5e3", "(2,5*10^(3))"},
        {"2/1e3+x", "2/(1*10^(3))+x"},
        {"1e3-1e-3", "(1*10^(3))-(1*10^(-3))"},
        {"2e", "2e"},
        {"3e/4", "3e/4"},
        {"e5", "e5"},
        {"sqrt(2)", "sqrt(2)"},
        {"", ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(WritePowersOfTen(row.text), CString(row.expected)) << row.text;
}

TEST(KTNumberTextsTest, ComposesTexts)
{
    struct Row
    {
        KTExactNumber number;
        const char* expected;
    };
    auto make = [](std::int32_t c, std::int32_t d, int pi, int e, const char* letters) {
        KTExactNumber n;
        n.m_coefficient = c;
        n.m_denominator = d;
        n.m_pi = pi;
        n.m_e = e;
        for (const char* l = letters; *l; ++l) {
            BYTE* flags[] = {&n.m_a, &n.m_b, &n.m_c, &n.m_d, &n.m_m};
            flags[CString("abcdm").Find(*l)][0] = 1;
        }
        return n;
    };
    const Row rows[] = {
        {make(1, 2, 1, 0, ""), "pi/2"},        {make(-1, 1, 1, 0, ""), "-pi"},
        {make(3, 4, 0, 0, ""), "3/4"},         {make(2, 1, 0, 0, "a"), "2a"},
        {make(1, 1, 0, 0, "a"), "1a"},         {make(-1, 1, 0, 0, "m"), "-1m"},
        {make(1, 1, 0, 0, ""), "1"},           {make(-1, 1, 0, 0, ""), "-1"},
        {make(0, 1, 1, 0, ""), "0pi"},         {make(1, 1, 1, 1, ""), "pie"},
        {make(-1, 3, 0, 1, ""), "-e/3"},       {make(5, 7, 0, 0, "mdcba"), "5abcdm/7"},
        {make(-12, 5, 1, 0, "b"), "-12pib/5"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ComposeNumberText(row.number), row.expected) << row.expected;
}

TEST(KTNumberTextsTest, ExactAndDecimalPathsAgree)
{
    // The exact sum, difference and product evaluate to what the values give as doubles.
    const LocaleScope locale('.', ',');
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> numerator(-40, 40);
    std::uniform_int_distribution<int> denominator(1, 36);
    std::uniform_int_distribution<int> factor(-12, 12);
    const char* markers[] = {"", "pi", "e"};
    for (int i = 0; i < 400; ++i) {
        const char* marker = markers[i % 3];
        const int n1 = numerator(random), d1 = denominator(random);
        const int n2 = numerator(random), d2 = denominator(random);
        const CString x = CString(KTFormatC("%d%s/%d", n1, marker, d1));
        const CString y = CString(KTFormatC("%d%s/%d", n2, marker, d2));
        const double vx = EvaluateNumberText(x, nullptr), vy = EvaluateNumberText(y, nullptr);

        CString sum = x;
        ASSERT_TRUE(AddNumberText(sum, y)) << x << " + " << y;
        EXPECT_EQ(ClassifyNumberText(sum), 2) << x << " + " << y << " = " << sum;
        EXPECT_NEAR(EvaluateNumberText(sum, nullptr), vx + vy, 1e-9) << x << " + " << y << " = " << sum;

        CString back = sum;
        ASSERT_TRUE(SubtractNumberText(back, y));
        EXPECT_NEAR(EvaluateNumberText(back, nullptr), vx, 1e-9) << sum << " - " << y << " = " << back;

        const int k = factor(random);
        CString product = x;
        ASSERT_TRUE(MultiplyNumberText(product, k));
        EXPECT_EQ(ClassifyNumberText(product), 2) << x << " * " << k << " = " << product;
        EXPECT_NEAR(EvaluateNumberText(product, nullptr), vx * k, 1e-9)
            << x << " * " << k << " = " << product;
    }
}

TEST(KTNumberTextsTest, SteppingByAFractionOfPiKeepsExactLabels)
{
    const LocaleScope locale('.', ',');
    CString value = "0";
    const char* expected[] = {"pi/6", "pi/3", "pi/2", "2pi/3", "5pi/6", "pi", "7pi/6"};
    for (const char* label : expected) {
        ASSERT_TRUE(AddNumberText(value, "pi/6"));
        EXPECT_EQ(value, label);
    }
    for (int i = 0; i < 7; ++i)
        ASSERT_TRUE(SubtractNumberText(value, "pi/6"));
    EXPECT_EQ(value, "0pi");
    EXPECT_EQ(EvaluateNumberText(value, nullptr), 0.0);
}

// A stored number as the user would type it, which reads back as exactly the number: a short
// decimal, else a multiple of pi or e or a fraction, else as many places as it takes.
TEST(KTNumberTexts, NumberTextForGivesTheTypedFormThatReadsBackExactly)
{
    const KTNumberText reader;
    const struct
    {
        char decimal;
        double value;
        const char* text;
    } rows[] = {
        {'.', 0.0, "0"},
        {'.', -2.5, "-2.5"},
        {',', 0.25, "0,25"},
        {'.', reader.ToDouble("pi"), "pi"},
        {'.', reader.ToDouble("-pi"), "-pi"},
        {'.', reader.ToDouble("pi/4"), "pi/4"},
        {',', reader.ToDouble("-3pi/2"), "-3pi/2"},
        {'.', reader.ToDouble("2pi/8"), "pi/4"},
        {'.', reader.ToDouble("e"), "e"},
        {'.', reader.ToDouble("-e/2"), "-e/2"},
        {'.', 1.0 / 3.0, "1/3"},
        {',', -7.0 / 360.0, "-7/360"},
        {'.', 0.785398, "0.785398"},
        {'.', 1e-7, "0.0000001"},
        {',', 3.14159265358979, "3,14159265358979"}, // no typed pi reads as this one
        {'.', 1.0 / 361.0, nullptr},
    };
    for (const auto& row : rows) {
        kttest::LocaleScope locale(row.decimal, row.decimal == ',' ? ';' : ',');
        const CString text = NumberTextFor(row.value);
        EXPECT_EQ(reader.ToDouble(text), row.value) << text.c_str();
        if (row.text) {
            EXPECT_STREQ(text, row.text);
        }
    }
}
