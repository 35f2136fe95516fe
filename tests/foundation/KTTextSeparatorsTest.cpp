#include "foundation/KTTextSeparators.h"

#include "support/KTTestSupport.h"

#include <gtest/gtest.h>

namespace {

constexpr KTTextSeparators kPoint{'.', ',', ';'};
constexpr KTTextSeparators kComma{',', ';', ':'};

} // namespace

TEST(KTTextSeparators, TheUsersSeparatorsAndThePartSeparatorThatGoesWithThem)
{
    for (const KTTextSeparators& expected : {kPoint, kComma}) {
        kttest::LocaleScope locale(expected.m_decimal, expected.m_list);
        EXPECT_EQ(KTTextSeparators::User(), expected);
    }
}

// Each separator becomes the one of its role, all at once; what is no separator stays; a
// record that names letters, or one character twice, rewrites nothing.
TEST(KTTextSeparators, TranslateRewritesEachSeparatorByItsRole)
{
    const struct
    {
        KTTextSeparators from, to;
        const char *text, *expected;
    } rows[] = {
        {kPoint, kComma, "y=x^2; [-1.5, 2]", "y=x^2: [-1,5; 2]"},
        {kComma, kPoint, "y=x^2: [-1,5; 2]", "y=x^2; [-1.5, 2]"},
        {kComma, kPoint, "y=1.5x: x>0", "y=1.5x; x>0"}, // a point typed under a comma locale reads alike
        {kPoint, kPoint, "y=x; x>0.5", "y=x; x>0.5"},
        {kPoint, kComma, "Sin(x) = 2 + x/3", "Sin(x) = 2 + x/3"},
        {kPoint, KTTextSeparators{'x', ';', ':'}, "y=0.5x", "y=0.5x"},
        {KTTextSeparators{',', ',', ';'}, kPoint, "y=0,5x", "y=0,5x"},
        {kPoint, KTTextSeparators{'.', ',', 0}, "a;b", "a;b"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(KTTextSeparators::Translate(row.text, row.from, row.to), CString(row.expected)) << row.text;
    // A round trip gives the text back.
    const CString typed = "x=2cos(t); y=sin(t); [0, 3.1]";
    EXPECT_EQ(KTTextSeparators::Translate(KTTextSeparators::Translate(typed, kPoint, kComma), kComma, kPoint),
              typed);
}
