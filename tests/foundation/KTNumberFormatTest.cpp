#include "foundation/KTLocaleChars.h"
#include "foundation/KTNumberFormat.h"
#include "foundation/KTSentinelValues.h"
#include "foundation/RoundHalfUp.h"
#include "support/KTTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace {

constexpr double kPi = 3.141592654;
constexpr double kE = 2.718281828;
constexpr double kInf = std::numeric_limits<double>::infinity();
const char kEnDash = static_cast<char>(150);

using kttest::LocaleScope;

struct FormatRow
{
    double value;
    int digits;
    bool showSign;
    bool stripZeros;
    bool replaceMinus;
    CString expected;
};

void CheckFormatRows(const FormatRow* rows, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        const FormatRow& row = rows[i];
        KTNumberFormat format;
        format.m_bShowSign = row.showSign;
        format.m_bStripZeros = row.stripZeros;
        format.m_bReplaceMinus = row.replaceMinus;
        EXPECT_EQ(format.Format(row.value, row.digits), row.expected)
            << "row " << i << " value " << row.value;
        EXPECT_EQ(format.FormatValue(row.value, row.digits), row.expected) << "row " << i;
    }
}

} // namespace

TEST(KTNumberFormatTest, DefaultsAreTheDocumentedSix)
{
    const KTNumberText record;
    EXPECT_FALSE(record.m_bShowSign);
    EXPECT_TRUE(record.m_bStripZeros);
    EXPECT_FALSE(record.m_bReplaceMinus);
    EXPECT_EQ(record.m_chMinus, kEnDash);
    EXPECT_EQ(record.m_nDigits, 6);
    EXPECT_FALSE(record.m_bErrorValue);
}

TEST(KTNumberFormatTest, FormatsUnderDecimalPoint)
{
    const LocaleScope locale('.', ',');
    const FormatRow rows[] = {
        {2.5, -1, false, true, false, "2.5"},
        {1.0 / 3.0, -1, false, true, false, "0.333333"},
        {-1e-9, -1, false, true, false, "0"},
        {-0.0, -1, false, true, false, "0"},
        {1234567.0, -1, false, true, false, "1234567"},
        {3.0, -1, false, true, false, "3"},
        {-1234.5, -1, false, true, false, "-1234.5"},
        {100.0, 0, false, true, false, "100"},
        {1e20, 0, false, true, false, "100000000000000000000"},
        {2.5, 2, false, false, false, "2.50"},
        {3.0, 6, false, false, false, "3.000000"},
        {0.125, 2, false, true, false, "0.12"}, // the C library rounds an exact half to even
        {2.0 / 3.0, 3, false, true, false, "0.667"},
        {0.0, -1, true, true, false, "+0"},
        {12.5, -1, true, true, false, "+12.5"},
        {-0.0000001, 6, true, true, false, "0"},
        {-3.25, -1, true, true, false, "-3.25"},
        {-0.001, 2, false, false, false, "-0.00"},
        {-2.5, -1, false, true, true, CString(kEnDash) + "2.5"},
        {-0.001, 2, false, false, true, CString(kEnDash) + "0.00"},
        {2.5, -1, false, true, true, "2.5"},
        // A tiny negative value is a plain zero, with or without the dash replacement.
        {-1e-9, -1, false, true, true, "0"},
        {2.4, -5, false, true, false, "2"},
    };
    CheckFormatRows(rows, std::size(rows));
}

TEST(KTNumberFormatTest, FormatsUnderDecimalComma)
{
    const LocaleScope locale(',', ';');
    const FormatRow rows[] = {
        {2.5, -1, false, true, false, "2,5"}, {-1234.75, -1, false, true, false, "-1234,75"},
        {3.0, -1, false, true, false, "3"},   {2.5, 3, false, false, false, "2,500"},
        {0.5, -1, true, true, false, "+0,5"},
    };
    CheckFormatRows(rows, std::size(rows));
}

TEST(KTNumberFormatTest, DigitsMinusOneTakesTheRecordsCount)
{
    const LocaleScope locale('.', ',');
    KTNumberFormat format;
    format.m_nDigits = 2;
    EXPECT_EQ(format.Format(3.14159), "3.14");
    EXPECT_EQ(format.Format(3.14159, 4), "3.1416");
    format.m_bStripZeros = false;
    EXPECT_EQ(format.Format(1.0), "1.00");
}

TEST(KTNumberFormatTest, ReadsTypedNumbers)
{
    struct Row
    {
        const char* text;
        bool errorValue;
        double expected;
    };
    const double U = KTUndefinedValue;
    const Row rows[] = {
        {"2,5", false, 2.5},
        {"1,5", false, 1.5},
        {"-pi", false, -kPi},
        {"2pi/3", false, 2.0 * kPi / 3.0},
        {"pi/2", false, 1.570796327},
        {"e", false, kE},
        {"-", false, -1.0},
        {"3/4", false, 0.75},
        {"1/2,5", false, 0.5},
        {"2pi", false, 6.283185308},
        {"1E5", false, 100000.0},
        // A lower-case "e" between a digit and an integer is a power of ten, as "E" is.
        {"1e5", false, 100000.0},
        {"1e3", false, 1000.0},
        {"-1e3", false, -1000.0},
        {"2.5e-4", false, 0.00025},
        {"2,5e-4", false, 0.00025},
        {"1e+2", false, 100.0},
        {"-1e-9", false, -1e-9},
        {"1.e3", false, 1000.0},
        {"3e2pi", false, 300.0 * kPi},
        {"1e5/4", false, 25000.0},
        {"1/2e3", false, 0.0005},
        // Without a digit before it, or an integer after it, "e" stays Euler's number.
        {"2e", false, 2.0 * kE},
        {"e/2", false, kE / 2.0},
        {"3e/4", false, 3.0 * kE / 4.0},
        {"-e", false, -kE},
        {"e5", false, 5.0 * kE},
        {"2e-", true, U},
        {"2e+", true, U},
        {"1e3x", true, U},
        {"1e3", true, 1000.0},
        {"2.5e-4", true, 0.00025},
        {"-1e-9", true, -1e-9},
        {"2e", true, 2.0 * kE},
        {"5 ", false, 5.0},
        {" 5", false, 5.0},
        {"", false, 1.0},
        {"abc", false, 0.0},
        {"garbage", false, 0.0},
        {",", false, 0.0},
        {"/", false, 1.0},
        {"p2", false, kPi},
        {"pi2", false, 2.0 * kPi},
        {"-2.5e", false, -2.5 * kE},
        // With the error value every kind of bad text is recognisable.
        {"", true, U},
        {"5 ", true, U},
        {"abc", true, U},
        {"garbage", true, U},
        {",", true, U},
        {"1/0", true, U},
        {"0/0", true, U},
        {"1/x", true, U},
        {"1/-", true, U},
        {"1E400", true, U},
        {"inf", true, U},
        {"1,5", true, 1.5},
        {"2pi", true, 6.283185308},
        {"3/4", true, 0.75},
        {"1/2,5", true, 0.5},
        {"1/", true, 1.0},
        {"/", true, 1.0},
        {"-", true, -1.0},
        {" 5", true, 5.0},
        {"-pi/2", true, -kPi / 2.0},
    };
    for (const Row& row : rows) {
        KTNumberText reader;
        reader.m_bErrorValue = row.errorValue;
        EXPECT_DOUBLE_EQ(reader.ToDouble(row.text), row.expected)
            << '"' << row.text << "\" flag " << row.errorValue;
        EXPECT_DOUBLE_EQ(reader.ToDoubleFromString(CString(row.text)), row.expected) << row.text;
    }
}

TEST(KTNumberFormatTest, ZeroDenominatorWithoutErrorValueDividesAsDoublesDo)
{
    const KTNumberText reader;
    EXPECT_EQ(reader.ToDouble("1/0"), kInf);
    EXPECT_EQ(reader.ToDouble("-1/0"), -kInf);
    EXPECT_TRUE(std::isnan(reader.ToDouble("0/0")));
}

TEST(KTNumberFormatTest, ReadingIgnoresTheUsersDecimalSeparator)
{
    // Typed numbers accept both "," and "." whatever the locale says.
    for (const char decimal : {'.', ','}) {
        const LocaleScope locale(decimal, decimal == ',' ? ';' : ',');
        const KTNumberText reader;
        EXPECT_DOUBLE_EQ(reader.ToDouble("2,25"), 2.25);
        EXPECT_DOUBLE_EQ(reader.ToDouble("2.25"), 2.25);
    }
}

TEST(KTNumberFormatTest, FormattedValuesReadBack)
{
    // Whatever the user's separator, a formatted value reads back to itself within its places.
    const double values[] = {0.0, 1.0, -1.0, 2.5, -1234.567891, 1e-3, 98765.4321, -0.000123};
    for (const char decimal : {'.', ','}) {
        const LocaleScope locale(decimal, decimal == ',' ? ';' : ',');
        KTNumberFormat format;
        format.m_bErrorValue = true;
        for (const double v : values)
            EXPECT_NEAR(format.ToDouble(format.Format(v)), v, 5e-7) << v << " with " << decimal;
    }
}

TEST(KTNumberFormatTest, LocaleCharsFollowTheUsersSettingsAtEachUse)
{
    {
        const LocaleScope locale(',', ';');
        const KTLocaleChars chars;
        EXPECT_EQ(chars.m_chDecimal, ',');
        EXPECT_EQ(chars.m_chList, ';');
    }
    const LocaleScope locale('.', ',');
    KTLocaleChars chars;
    EXPECT_EQ(chars.m_chDecimal, '.');
    EXPECT_EQ(chars.m_chList, ',');
}

TEST(KTNumberFormatTest, RoundHalfUp)
{
    struct Row
    {
        double x;
        std::int32_t expected;
    };
    const std::int32_t lowest = std::numeric_limits<std::int32_t>::min();
    const std::int32_t highest = std::numeric_limits<std::int32_t>::max();
    const Row rows[] = {
        {0.0, 0},
        {2.5, 3},
        {2.4999, 2},
        {-2.5, -2},
        {-2.51, -3},
        {-0.5, 0},
        {-0.2, 0},
        {7.0, 7},
        {-7.0, -7},
        {2147483646.5, highest},
        {-2147483648.4, lowest},
        {1e12, highest},
        {-1e12, lowest},
        {kInf, highest},
        {-kInf, lowest},
        {std::nan(""), lowest},
    };
    for (const Row& row : rows)
        EXPECT_EQ(RoundHalfUp(row.x), row.expected) << row.x;
    // The truncation that stands for floor() agrees with it on both sides of zero, at halves,
    // just inside and outside the 32-bit range and about 2^52, where it stops being used.
    const auto byFloor = [&](double x) {
        const double rounded = std::floor(x) + (x - std::floor(x) >= 0.5 ? 1.0 : 0.0);
        return rounded >= highest ? highest : rounded <= lowest ? lowest : static_cast<std::int32_t>(rounded);
    };
    std::mt19937_64 random(20261210);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-30, 60);
    for (int k = 0; k < 200000; ++k) {
        double x = std::ldexp(unit(random), exponent(random));
        if (k % 4 == 0)
            x = std::round(x * 2.0) / 2.0; // halves
        if (k % 97 == 0)
            x = std::nextafter(4503599627370496.0 * (k % 2 ? 1.0 : -1.0), 0.0) + (k % 3) - 1.0;
        ASSERT_EQ(RoundHalfUp(x), byFloor(x)) << x;
    }
}
