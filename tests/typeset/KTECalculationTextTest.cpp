// The calculation text is the only form in which the equation engine sees an equation: this
// table is the contract between the typesetter and the engine's tokeniser.

#include "platform/KTLocale.h"
#include "typeset/KTEEquation.h"
#include "typeset/KTEOptions.h"

#include <gtest/gtest.h>

namespace {

struct CalcRow
{
    const char* typed;
    const char* expected;
    const char* negated; ///< null: the same as expected
};

class CalculationTextTest : public ::testing::Test
{
protected:
    void SetUp() override { KTLocale::Override('.', ',', 1); }
    void TearDown() override { KTLocale::ClearOverride(); }

    static CString Calc(const char* typed, bool negate = false, int preset = KTEPresetGraphing)
    {
        const KTEOptions options(preset);
        KTEEquation equation;
        equation.SetText(typed, options);
        return equation.GetCalculationText(negate);
    }
};

// Typed with the graphing preset, as function interpretation does.
const CalcRow GraphingRows[] = {
    {"", "", nullptr},
    {"y = x", "y=x", nullptr},
    // implicit multiplication
    {"y=2x", "y=2*x", nullptr},
    {"y = 2x + 1", "y=2*x+1", nullptr},
    {"y = 2xy", "y=2*x*y", nullptr},
    {"y=ab", "y=a*b", nullptr},
    {"y = x(x+1)", "y=x*(x+1)", nullptr},
    {"y = (x+1)(x-1)", "y=(x+1)*(x-1)", "y=(x+1)*(x-1*1)"},
    {"y = (x)(x)", "y=(x)*(x)", nullptr},
    {"2(x+1)", "2*(x+1)", nullptr},
    {"y = 2.5x", "y=2.5*x", nullptr},
    {"y = .5x", "y=.5*x", nullptr},
    {"y = 2|x|", "y=2*(abs(x))", nullptr},
    {"y=3x^2", "y=3*x^2", nullptr},
    // powers
    {"x2", "x^2", nullptr},
    {"y=x3", "y=x^3", nullptr},
    {"y=xx", "y=x^2", nullptr},
    {"y = x^2 - 4x + 3", "y=x^2-4*x+3", "y=x^2-1*4*x+3"},
    {"y=(x+1)2", "y=((x+1)^2)", nullptr},
    {"y = 2(x+1)^2", "y=2*((x+1)^2)", nullptr},
    {"y = x^(1/2)", "y=x^(((1)/2))", nullptr},
    {"y = x^-2", "y=x^(-2)", "y=x^(-1*2)"},
    {"y=e^x", "y=e^(x)", nullptr},
    {"y = e^-x", "y=e^(-x)", "y=e^(-1*x)"},
    {"y = e^(x/2)", "y=e^(((x)/2))", nullptr},
    {"y = x^(2x)", "y=x^(2*x)", nullptr},
    {"y=x^2^3", "y=x^(2^3)", nullptr},
    {"y = 2^-x", "y=2^(-x)", "y=2^(-1*x)"},
    {"y=10^(x-1)", "y=10^(x-1)", "y=10^(x-1*1)"},
    {"y = (1/2)^x", "y=((((1)/2))^(x))", nullptr},
    // roots
    {"y = sqrt(x)", "y=(sqrt(x))", nullptr},
    {"y=sqrt x", "y=(sqrt(x))", nullptr},
    {"y=sr(x)", "y=(sqrt(x))", nullptr},
    {"y = sqrt(x^2+1)", "y=(sqrt(x^2+1))", nullptr},
    {"y = sqrt(1 - x^2)", "y=(sqrt(1-x^2))", "y=(sqrt(1-1*x^2))"},
    {"y = 3root(x)", "y=((x)^((1)/3))", nullptr},
    {"y=root(x)", "y=((x)^((1)/2))", nullptr},
    {"2+root(x)", "2+((x)^((1)/2))", nullptr},
    {"y=root(root(x))", "y=((((x)^((1)/2)))^((1)/2))", nullptr},
    {"y=3root(1+3root(x))", "y=((1+((x)^((1)/3)))^((1)/3))", nullptr},
    // functions and powers of trigonometric functions
    {"y = sin(x)", "y=(sin(x))", nullptr},
    {"y = sin x", "y=(sin(x))", nullptr},
    {"y = 2sin(3x)", "y=2*(sin(3*x))", nullptr},
    {"sin^2 x", "((sin(x))^2)", nullptr},
    {"y = sin^2(x)", "y=((sin(x))^2)", nullptr},
    {"y = tan^3(2x)", "y=((tan(2*x))^3)", nullptr},
    {"y=cosec^2 x", "y=((cosec(x))^2)", nullptr},
    {"y=sin2x", "y=((sin(x))^2)", nullptr},
    {"y = sin(x)^2", "y=((sin(x))^2)", nullptr},
    {"y=ln^2 x", "y=((ln(x))^2)", nullptr},
    {"y=abs2(x)", "y=((abs(x))^2)", nullptr},
    {"y = ln(x)", "y=(ln(x))", nullptr},
    {"y = log(x)", "y=(log(x))", nullptr},
    {"y = log3 x", "y=(log\\3*(x))", nullptr}, // a base, drawn as its subscript
    {"y=log2(9)", "y=(log\\2*9)", nullptr},
    {"y=sin-1(x)", "y=(asin(x))", nullptr},
    {"y = asin(x)", "y=(asin(x))", nullptr},
    {"y=exp(x)", "y=(exp(x))", nullptr},
    {"y = gint(x)", "y=(gint(x))", nullptr},
    {"y = normal(x)", "y=(normal(x))", nullptr},
    {"y = sin(x)/x", "y=((sin(x))/(x))", nullptr},
    {"y = 1/sin(x)", "y=((1)/(sin(x)))", nullptr},
    // absolute bars
    {"y = abs(x)", "y=(abs(x))", nullptr},
    {"y = |x|", "y=(abs(x))", nullptr},
    {"|x - 3| < 2", "(abs(x-3))<2", "(abs(x-1*3))<2"},
    {"y = |x - 1| + |x + 1|", "y=(abs(x-1))+(abs(x+1))", "y=(abs(x-1*1))+(abs(x+1))"},
    {"1/|x|", "((1)/(abs(x)))", nullptr},
    // fractions, grouped as the passes group them
    {"2x/3", "((2*x)/3)", nullptr},
    {"y = 1/x", "y=((1)/(x))", nullptr},
    {"y = 2/(x-1)", "y=(2/(x-1))", "y=(2/(x-1*1))"},
    {"y = (x^2 - 1)/(x + 1)", "y=((x^2-1)/(x+1))", "y=((x^2-1*1)/(x+1))"},
    {"y=x/2+1", "y=((x)/2)+1", nullptr},
    {"y=1/2x", "y=((1)/(2*x))", nullptr},
    // division groups from the left: (a over b) over c
    {"a/b/c", "(((a)/(b))/(c))", nullptr},
    {"a/b/c/d", "((((a)/(b))/(c))/(d))", nullptr},
    {"y = x / 2 / 3", "y=(((x)/2)/3)", nullptr},
    {"y=x/2/2", "y=(((x)/2)/2)", nullptr},
    {"y=6/x/3", "y=((6/(x))/3)", nullptr},
    {"y=(x+1)/2/(x-1)", "y=(((x+1)/2)/(x-1))", "y=(((x+1)/2)/(x-1*1))"},
    {"y=1/x/-2", "y=(((1)/(x))/(-2))", "y=(((1)/(x))/(-1*2))"},
    {"y=x/(2/3)", "y=((x)/((2/3)))", nullptr},
    {"y=x/2/3+1/4/5", "y=(((x)/2)/3)+(((1)/4)/5)", nullptr},
    {"y = 1/(x/2)", "y=((1)/(((x)/2)))", nullptr},
    {"y=(x+1)^2/3", "y=(((x+1)^2)/3)", nullptr},
    {"y = (x+1) / 2", "y=((x+1)/2)", nullptr},
    {"1-x/2", "1-((x)/2)", "1-1*((x)/2)"},
    {"y=x/-2", "y=((x)/(-2))", "y=((x)/(-1*2))"},
    {"sqrt(1/x)", "(sqrt(((1)/(x))))", nullptr},
    // every structure keeps its operands, whatever follows it
    {"y=(6/x^2)/3", "y=(((6/(x^2)))/3)", nullptr},
    {"y=sin(x/2^2)/3", "y=((sin(((x)/(2^2))))/3)", nullptr},
    {"y=x/1E2", "y=((x)/(1*10^2))", nullptr},
    {"y=x^2/1E6-1E6", "y=((x^2)/(1*10^6))-(1*10^6)", "y=((x^2)/(1*10^6))-1*(1*10^6)"},
    {"y=2^|x|", "y=2^(abs(x))", nullptr},
    {"y=sqrt|x|", "y=(sqrt(abs(x)))", nullptr},
    {"y=e^-|x|", "y=e^(-(abs(x)))", "y=e^(-1*(abs(x)))"},
    {"y=|x|^2", "y=((abs(x))^2)", nullptr},
    {"y=2^2^(x)", "y=2^(2^(x))", nullptr},
    {"y=x^2^-x", "y=x^(2^(-x))", "y=x^(2^(-1*x))"},
    {"y=e^-(x/2)", "y=e^(-(((x)/2)))", "y=e^(-1*(((x)/2)))"},
    // spaces: none beside an operator or inside a bracket; between operands, the product
    {"y=x ^ 2 - 1", "y=x^2-1", "y=x^2-1*1"},
    {"y=e^ (x/2)", "y=e^(((x)/2))", nullptr},
    {"y=root (x)", "y=((x)^((1)/2))", nullptr},
    {"y=pi x/2", "y=\xCD*((x)/2)", nullptr},
    {"y=x^2 y", "y=x^2*y", nullptr},
    {"y=1/2 x", "y=((1)/2)*x", nullptr},
    {"y = sin 2x", "y=(sin(2*x))", nullptr},
    // signs
    {"y = -x", "y=-x", "y=-1*x"},
    {"y = -x^2", "y=-x^2", "y=-1*x^2"},
    {"y = -2x + 3", "y=-2*x+3", "y=-1*2*x+3"},
    {"y=3*-x", "y=3*-x", "y=3*-1*x"},
    {"3*-2", "3*-2", "3*-1*2"},
    {"y = 3 - -2", "y=3--2", "y=3-1*-1*2"},
    // scientific notation
    {"1.5E-3", "(1.5*10^(-3))", "(1.5*10^(-1*3))"},
    {"y = 1.5E3", "y=(1.5*10^3)", nullptr},
    {"y = 2.5E-2x", "y=(2.5*10^(-2))*x", "y=(2.5*10^(-1*2))*x"},
    // Greek letters: pi is the character 205, theta the Symbol letter "q"
    {"y = pi", "y=\xCD", nullptr},
    {"y=2pi", "y=2*\xCD", nullptr},
    {"y = sin(pi x)", "y=(sin(\xCD*x))", nullptr},
    {"r = th", "r=q", nullptr},
    {"r = 2sin(3th)", "r=2*(sin(3*q))", nullptr},
    {"r = 1 + cos(th)", "r=1+(cos(q))", nullptr},
    // relations: spaced symbols give their Symbol codes at the top level
    {"x = 3", "x=3", nullptr},
    {"y > x", "y>x", nullptr},
    {"y < x", "y<x", nullptr},
    {"y >= x^2", "y\xB3x^2", nullptr},
    {"x^2 + y^2 <= 4",
     "x^2+y^2\xA3"
     "4",
     nullptr},
    {"y <> 0",
     "y\xB9"
     "0",
     nullptr},
    {"y != 1",
     "y\xB9"
     "1",
     nullptr},
    {"y = x +- 1",
     "y=x\xB1"
     "1",
     nullptr},
    // brackets of every shape become parentheses; separators follow the locale
    {"y=[x+1]", "y=(x+1)", nullptr},
    {"y = {x}", "y=(x)", nullptr},
    {"[0, 4]", "(0,4)", nullptr},
    {"y = x; (0, 4)", "y=x;(0,4)", nullptr},
    {"y = sqrt(x); [0, 4]", "y=(sqrt(x));(0,4)", nullptr},
    // large operators
    {"int(0,1) x^2 dx", "int(0,1)x^2*d*x", nullptr},
};

TEST_F(CalculationTextTest, GraphingPresetGoldenTable)
{
    for (const CalcRow& row : GraphingRows) {
        EXPECT_EQ(Calc(row.typed), CString(row.expected)) << "typed: " << row.typed;
        const char* negated = row.negated ? row.negated : row.expected;
        EXPECT_EQ(Calc(row.typed, true), CString(negated)) << "typed (negated): " << row.typed;
    }
}

// Typed with the general preset: macros, replacements, modifiers, vectors and columns.
const CalcRow GeneralRows[] = {
    {"qf", "x=((-b\xB1(sqrt(b^2-4*a*c)))/(2*a))", "x=((-1*b\xB1(sqrt(b^2-1*4*a*c)))/(2*a))"},
    {"pv7", "3.1415927", nullptr},
    {"xx + yyy", "x^2+y^3", nullptr},
    {"|a|b|c|", "(abs(a))*b*(abs(c))", nullptr},
    {"||x||", "(abs((abs(x))))", nullptr},
    {"5-2", "5-2", "5-1*2"},
    {"y = 2i", "y=2*i", nullptr},
    {"v = 2i - 3k", "v=2i-3k", "v=2i-1*3k"},
    {"AB", "AB", nullptr},
    {"x^^", "TK_MODIFIER", nullptr},
};

TEST_F(CalculationTextTest, GeneralPresetRows)
{
    for (const CalcRow& row : GeneralRows) {
        EXPECT_EQ(Calc(row.typed, false, KTEPresetGeneral), CString(row.expected)) << "typed: " << row.typed;
        const char* negated = row.negated ? row.negated : row.expected;
        EXPECT_EQ(Calc(row.typed, true, KTEPresetGeneral), CString(negated)) << "typed: " << row.typed;
    }
}

TEST_F(CalculationTextTest, ScienceMacrosUseScientificNotation)
{
    EXPECT_EQ(Calc("#G", false, KTEPresetScience), CString("(6.67*10^(-11))"));
}

TEST_F(CalculationTextTest, PlainPresetStillBuildsFractions)
{
    EXPECT_EQ(Calc("2/3", false, KTEPresetPlain), CString("(2/3)"));
    EXPECT_EQ(Calc("pi x", false, KTEPresetPlain), CString("\xCDx"));
}

TEST_F(CalculationTextTest, SeparatorFollowsTheLocale)
{
    // A decimal comma locale: "," is the decimal point, so the typed separator is ";" and the
    // calculation text writes the locale's list separator ";".
    KTLocale::Override(',', ';', 49);
    EXPECT_EQ(Calc("[0; 4]"), CString("(0;4)"));
    EXPECT_EQ(Calc("y = 1,5x"), CString("y=1,5*x"));
    // In a point locale the typed "," is the separator, written as the locale's ",".
    KTLocale::Override('.', ',', 1);
    EXPECT_EQ(Calc("[0, 4]"), CString("(0,4)"));
}

TEST_F(CalculationTextTest, SeparatorTokenWritesTheLocaleCharacterWhateverWasTyped)
{
    const KTEOptions options(KTEPresetGraphing); // built in a point locale: "," separates
    KTEEquation equation;
    equation.SetText("[0, 4]", options);
    KTLocale::Override(',', ';', 49);
    EXPECT_EQ(equation.GetCalculationText(false), CString("(0;4)"));
}

TEST_F(CalculationTextTest, NegateReplacesEveryMinusOnce)
{
    for (const CalcRow& row : GraphingRows) {
        const CString plain = Calc(row.typed);
        CString expected;
        for (int i = 0; i < plain.GetLength(); ++i) {
            expected += plain[i];
            if (plain[i] == '-')
                expected += "1*";
        }
        EXPECT_EQ(Calc(row.typed, true), expected) << row.typed;
    }
}

TEST_F(CalculationTextTest, BracketsBalanceInEveryRow)
{
    for (const CalcRow& row : GraphingRows) {
        const CString text = Calc(row.typed);
        int depth = 0;
        for (int i = 0; i < text.GetLength(); ++i) {
            depth += text[i] == '(' ? 1 : text[i] == ')' ? -1 : 0;
            ASSERT_GE(depth, 0) << row.typed;
        }
        EXPECT_EQ(depth, 0) << row.typed;
    }
}

TEST(FindMatchingParenthesisTest, Table)
{
    const struct
    {
        const char* text;
        int at;
        int expected;
    } rows[] = {
        {"(a)", 0, 2}, {"((a)(b))", 0, 7}, {"((a)(b))", 1, 3}, {"x(a)", 0, 0},
        {"(a", 0, -1}, {"()", 2, -1},      {"()", -1, -1},
    };
    for (const auto& row : rows)
        EXPECT_EQ(FindMatchingParenthesis(row.text, row.at), row.expected) << row.text << " at " << row.at;
}

} // namespace
