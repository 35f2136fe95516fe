#include "foundation/KTVariableSubstitutions.h"
#include "platform/KTLocale.h"
#include "typeset/KTEEquation.h"
#include "typeset/KTEOptions.h"
#include "typeset/KTEToken.h"
#include "typeset/KTETokenList.h"
#include "typeset/KTETokenPool.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace {

class TokenTreeTest : public ::testing::Test
{
protected:
    void SetUp() override { KTLocale::Override('.', ',', 1); }
    void TearDown() override { KTLocale::ClearOverride(); }

    KTETokenList Make(std::initializer_list<KTETokenKind> kinds)
    {
        KTETokenList list;
        for (KTETokenKind kind : kinds)
            list.Add(m_pool.Create(kind));
        return list;
    }

    static std::string Kinds(const KTETokenList& list)
    {
        std::string out;
        for (const KTEToken* token : list.m_tokens) {
            out += out.empty() ? "" : " ";
            out += KTETokenKindName(token->m_kind);
        }
        return out;
    }

    static std::string Tree(const char* text, int preset = KTEPresetGraphing)
    {
        const KTEOptions options(preset);
        KTEEquation equation;
        equation.SetText(text, options);
        return equation.GetTokens().Dump().str();
    }

    KTETokenPool m_pool;
};

TEST_F(TokenTreeTest, BracketMatching)
{
    KTETokenList list = Make({TK_OPEN, TK_OPEN, TK_VARIABLE, TK_CLOSE, TK_CLOSE, TK_CLOSE});
    EXPECT_EQ(list.FindClose(0), 4);
    EXPECT_EQ(list.FindClose(1), 3);
    EXPECT_EQ(list.FindClose(2), 2); // no opening bracket: the index itself
    EXPECT_EQ(list.FindClose(6), -1);
    EXPECT_EQ(list.FindClose(-1), -1);
    EXPECT_EQ(list.FindOpen(4), 0);
    EXPECT_EQ(list.FindOpen(3), 1);
    EXPECT_EQ(list.FindOpen(5), -1);
    EXPECT_EQ(list.FindOpen(2), -1);
    EXPECT_EQ(list.FindOpen(-1), -1);
    EXPECT_EQ(list.FindInnermostPair(0), std::make_pair(1, 3));
    KTETokenList closeFirst = Make({TK_CLOSE, TK_OPEN});
    EXPECT_EQ(closeFirst.FindInnermostPair(0), std::make_pair(-1, -1));
    KTETokenList twoOpen = Make({TK_OPEN, TK_OPEN});
    EXPECT_EQ(twoOpen.FindInnermostPair(0), std::make_pair(1, -1));
}

TEST_F(TokenTreeTest, CheckedAccessorsAnswerOutOfRange)
{
    KTETokenList list = Make({TK_NUMBER});
    list.At(0)->SetText("7");
    EXPECT_EQ(list.GetText(0), CString("7"));
    EXPECT_EQ(list.GetText(1), CString());
    EXPECT_EQ(list.GetText(-5), CString());
    EXPECT_EQ(list.KindAt(3), TK_ERROR);
    EXPECT_EQ(list.At(1), nullptr);
    list.ReplaceByThree(4, nullptr, nullptr, nullptr); // past the end: nothing
    EXPECT_EQ(list.GetCount(), 1);
    EXPECT_STREQ(KTETokenKindName(44), "TK_CONFUSED");
    EXPECT_STREQ(KTETokenKindName(-1), "TK_CONFUSED");
    EXPECT_STREQ(KTETokenKindName(TK_ABS), "TK_ABS");
}

TEST_F(TokenTreeTest, ColumnsDepthAndRows)
{
    // a over (b over c): a column whose second list starts with a column
    KTEToken* inner = m_pool.Create(TK_COLUMN);
    KTEToken* b = m_pool.Create(TK_VARIABLE);
    KTEToken* c = m_pool.Create(TK_VARIABLE);
    inner->m_list.Add(b);
    inner->m_list2.Add(c);
    KTEToken* outer = m_pool.Create(TK_COLUMN);
    KTEToken* a = m_pool.Create(TK_VARIABLE);
    outer->m_list.Add(a);
    outer->m_list2.Add(inner);
    EXPECT_EQ(outer->ColumnDepth(), 3);
    EXPECT_EQ(inner->ColumnDepth(), 2);
    EXPECT_EQ(outer->ColumnRow(0), a);
    EXPECT_EQ(outer->ColumnRow(1), b);
    EXPECT_EQ(outer->ColumnRow(2), c);
    EXPECT_EQ(inner->ColumnRow(5), c); // past the last row: the last row
    EXPECT_EQ(a->ColumnDepth(), 0);
    EXPECT_EQ(a->ColumnRow(0), nullptr);
    KTEToken* empty = m_pool.Create(TK_COLUMN); // an empty column list must not throw
    EXPECT_EQ(empty->ColumnDepth(), 2);
    EXPECT_EQ(empty->ColumnRow(0), nullptr);
    EXPECT_EQ(empty->ColumnRow(3), nullptr);
}

TEST_F(TokenTreeTest, AllNumeric)
{
    EXPECT_TRUE(Make({}).IsAllNumeric());
    EXPECT_TRUE(Make({TK_NUMBER, TK_BRACKETS}).IsAllNumeric());
    EXPECT_FALSE(Make({TK_NUMBER, TK_VARIABLE}).IsAllNumeric());
    KTETokenList nested = Make({TK_BRACKETS});
    nested.At(0)->m_list.Add(m_pool.Create(TK_VARIABLE));
    EXPECT_FALSE(nested.IsAllNumeric());
}

TEST_F(TokenTreeTest, PoolFreesEverything)
{
    KTETokenPool pool;
    pool.Create(TK_NUMBER);
    pool.Create(TK_VARIABLE);
    EXPECT_EQ(pool.GetSize(), 2);
    pool.DeleteAll();
    EXPECT_EQ(pool.GetSize(), 0);
    pool.Create(TK_ADD);
    EXPECT_EQ(pool.GetSize(), 1);
}

TEST_F(TokenTreeTest, AbsoluteBarsPair)
{
    const struct
    {
        const char* text;
        const char* kinds;
    } rows[] = {
        {"|x|", "TK_BRACKETS"},
        {"|a|b|c|", "TK_BRACKETS TK_VARIABLE TK_BRACKETS"},
        {"||x||", "TK_BRACKETS"},
    };
    for (const auto& row : rows) {
        const KTEOptions options(KTEPresetGraphing);
        KTEEquation equation;
        equation.SetText(row.text, options);
        EXPECT_EQ(Kinds(equation.GetTokens()), row.kinds) << row.text;
        EXPECT_EQ(equation.GetTokens().GetText(0), CString("|,|")) << row.text;
    }
    // Before grouping: the bar pass itself.
    KTETokenList bars = Make({TK_ABS, TK_ABS, TK_VARIABLE, TK_ABS, TK_ABS});
    bars.PairAbsBars();
    EXPECT_EQ(Kinds(bars), "TK_OPEN TK_OPEN TK_VARIABLE TK_CLOSE TK_CLOSE");
}

TEST_F(TokenTreeTest, VectorsFromLetters)
{
    const struct
    {
        const char* text;
        const char* kinds;
    } rows[] = {
        {"AB", "TK_ABVECTOR"},
        {"ABC", "TK_VARIABLE TK_VARIABLE TK_VARIABLE"},
        {"xAB", "TK_VARIABLE TK_ABVECTOR"},
        {"A", "TK_VARIABLE"},
        // Spaces beside operators stand for nothing and leave the tree.
        {"v = 2i - 3k", "TK_LCVECTOR TK_EQUAL TK_NUMBER TK_LCVECTOR TK_SUBTRACT TK_NUMBER TK_LCVECTOR"},
        {"y = 2i", "TK_VARIABLE TK_EQUAL TK_NUMBER TK_VARIABLE"},
    };
    for (const auto& row : rows) {
        const KTEOptions options(KTEPresetGeneral);
        KTEEquation equation;
        equation.SetText(row.text, options);
        EXPECT_EQ(Kinds(equation.GetTokens()), row.kinds) << row.text;
    }
    const KTEOptions general(KTEPresetGeneral);
    KTEEquation ab;
    ab.SetText("AB", general);
    EXPECT_EQ(ab.GetTokens().GetText(0), CString("AB"));
}

TEST_F(TokenTreeTest, UnaryMinusJoinsNumbers)
{
    const struct
    {
        const char* text;
        const char* kinds;
        const char* numberText;
    } rows[] = {
        {"3*-2", "TK_NUMBER TK_MULTIPLY TK_NUMBER", "-2"},
        {"5-2", "TK_NUMBER TK_SUBTRACT TK_NUMBER", "2"},
        {"-2", "TK_NUMBER", "-2"},
        {"x = -2", "TK_VARIABLE TK_EQUAL TK_NUMBER", "-2"},
        {"x = - 2", "TK_VARIABLE TK_EQUAL TK_NUMBER", "-2"},
    };
    for (const auto& row : rows) {
        const KTEOptions options(KTEPresetGraphing);
        KTEEquation equation;
        equation.SetText(row.text, options);
        const KTETokenList& tokens = equation.GetTokens();
        EXPECT_EQ(Kinds(tokens), row.kinds) << row.text;
        EXPECT_EQ(tokens.GetText(tokens.GetCount() - 1), CString(row.numberText)) << row.text;
    }
}

TEST_F(TokenTreeTest, RepresentativeTrees)
{
    EXPECT_EQ(Tree("y = (x^2 - 1)/(x + 1)"),
              "TK_VARIABLE \"y\"\nTK_EQUAL \"=\"\nTK_FRACTION \"\"\n"
              " 1:\n  TK_BRACKETS \",\"\n   1:\n    TK_VARIABLE \"x\"\n    TK_POWER \"\"\n     1:\n"
              "      TK_BRACKETS \",\"\n       1:\n        TK_NUMBER \"2\"\n"
              "    TK_SUBTRACT \"-\"\n    TK_NUMBER \"1\"\n"
              " 2:\n  TK_BRACKETS \",\"\n   1:\n    TK_VARIABLE \"x\"\n"
              "    TK_ADD \"+\"\n    TK_NUMBER \"1\"\n");
    EXPECT_EQ(Tree("3root(x)"), "TK_BRACKETS \",\"\n 1:\n  TK_ROOT \"\"\n   1:\n    TK_BRACKETS \",\"\n"
                                "     1:\n      TK_VARIABLE \"x\"\n   2:\n    TK_BRACKETS \",\"\n     1:\n"
                                "      TK_NUMBER \"3\"\n");
    EXPECT_EQ(Tree("int(0,1) x^2 dx"),
              "TK_CODEDRAW2 \"int\"\n 1:\n  TK_NUMBER \"0\"\n 2:\n  TK_NUMBER \"1\"\nTK_SPACE \" \"\n"
              "TK_VARIABLE \"x\"\nTK_POWER \"\"\n 1:\n  TK_BRACKETS \",\"\n   1:\n    TK_NUMBER \"2\"\n"
              "TK_SPACE \" \"\nTK_VARIABLE \"d\"\nTK_VARIABLE \"x\"\n");
    // "log10" is log with the subscript 10 where subscripts are built
    EXPECT_EQ(
        Tree("log10", KTEPresetGeneral),
        "TK_BRACKETS \",\"\n 1:\n  TK_FUNCTION \"log\"\n  TK_SUBSCRIPT \"\"\n   1:\n    TK_BRACKETS \",\"\n"
        "     1:\n      TK_NUMBER \"10\"\n  TK_BRACKETS \",\"\n   1:\n    TK_SPACE \" \"\n");
    // A stray closing bracket stops the grouping of its list.
    EXPECT_EQ(Tree(") (x)"),
              "TK_CLOSE \")\"\nTK_SPACE \" \"\nTK_OPEN \"(\"\nTK_VARIABLE \"x\"\nTK_CLOSE \")\"\n");
    EXPECT_EQ(Tree(""), "");
}

TEST_F(TokenTreeTest, PassRulesOfTheParser)
{
    const struct
    {
        const char* text;
        int preset;
        const char* kinds;
    } rows[] = {
        {"x2", KTEPresetGraphing, "TK_VARIABLE TK_POWER"},
        {"sin2x", KTEPresetGraphing, "TK_BRACKETS"},
        {"a/b/c", KTEPresetGraphing, "TK_FRACTION"},
        {"2/3", KTEPresetPlain, "TK_FRACTION"},
        {"x y", KTEPresetPlain, "TK_RAW TK_SPACE TK_RAW"},
        {"\"ab\" x \"cd", KTEPresetGeneral, "TK_QUOTED TK_SPACE TK_VARIABLE TK_SPACE TK_QUOTED"},
        {"x^2", KTEPresetGraphing, "TK_VARIABLE TK_POWER"},
        {"1.5E-3", KTEPresetGraphing, "TK_BRACKETS"}, // a scientific number is one operand
        {"2+root(x)", KTEPresetGraphing, "TK_NUMBER TK_ADD TK_BRACKETS"},
        {"(1,2) (3,4)", KTEPresetGeneral, "TK_BRACKETS TK_SPACE TK_BRACKETS"},
        {"a,b", KTEPresetGeneral, "TK_MATRIX"},
        {"x --> y", KTEPresetScience, "TK_VARIABLE TK_SPACE TK_IVRIGHT TK_SPACE TK_VARIABLE"},
        {"-->x", KTEPresetScience, "TK_IVRIGHT"},
        {"-->AB", KTEPresetScience, "TK_IVRIGHT TK_ABVECTOR"}, // the vector pass ran first
        {"x::", KTEPresetGeneral, "TK_MODIFIER"},
        {"|x|", KTEPresetPlain, "TK_RAW"},
        // A bracketed sum after "d/dx" or an integral's limits stays one group beside it.
        {"d/dx (x^2-4)", KTEPresetGraphing, "TK_FRACTION TK_SPACE TK_BRACKETS"},
        {"int(-1,1) (x^2-4) dx", KTEPresetGraphing,
         "TK_CODEDRAW2 TK_SPACE TK_BRACKETS TK_SPACE TK_VARIABLE TK_VARIABLE"},
        {"d/dx x^2-4", KTEPresetGraphing, "TK_FRACTION TK_SPACE TK_VARIABLE TK_POWER TK_SUBTRACT TK_NUMBER"},
    };
    for (const auto& row : rows) {
        const KTEOptions options(row.preset);
        KTEEquation equation;
        equation.SetText(row.text, options);
        EXPECT_EQ(Kinds(equation.GetTokens()), row.kinds) << row.text;
    }
}

// A sum after an operator such as "d/dx" or an integral sign is bracketed, so that the operator
// takes it whole; what already reads as one operand is left as typed.
TEST_F(TokenTreeTest, SumsAreBracketedAsOperands)
{
    const struct
    {
        const char* text;
        const char* operand;
    } rows[] = {
        {"x^2-4", "(x^2-4)"},
        {"x^2 + 1", "(x^2 + 1)"},
        {"3x+1", "(3x+1)"},
        {"x/2-1", "(x/2-1)"},
        {"sin(x)+2", "(sin(x)+2)"},
        {"-x+1", "(-x+1)"},
        {"x - -1", "(x - -1)"},
        {"x^2", "x^2"},
        {"-x^2", "-x^2"},
        {"-3", "-3"},
        {"(x-1)^2", "(x-1)^2"},
        {"(x^2-4)", "(x^2-4)"},
        {"2(x+1)", "2(x+1)"},
        {"1/(x-2)", "1/(x-2)"},
        {"(x+1)/(x-1)", "(x+1)/(x-1)"},
        {"x*-1", "x*-1"},
        {"e^(-x)", "e^(-x)"},
        {"sqrt(x+1)", "sqrt(x+1)"},
        {"x^2+y^2=9", "x^2+y^2=9"},
        {"y>x^2-3", "y>x^2-3"},
        {"", ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(KTEEquation::AsOperand(row.text), CString(row.operand)) << row.text;
    // The brackets added are drawn: the group keeps its visible pair.
    EXPECT_EQ(Tree("d/dx (x-4)").rfind("TK_FRACTION \"\"\n", 0), 0u);
    EXPECT_NE(Tree("d/dx (x-4)").find("TK_BRACKETS \"(,)\"\n 1:\n  TK_VARIABLE \"x\""), std::string::npos);
}

TEST_F(TokenTreeTest, ScientificNotationOnlyWhenAsked)
{
    KTEOptions options(KTEPresetGraphing);
    options.m_bScientificNotation = 0;
    KTEEquation equation;
    equation.SetText("1.5E3", options);
    EXPECT_EQ(Kinds(equation.GetTokens()), "TK_NUMBER TK_VARIABLE TK_POWER");
    EXPECT_EQ(equation.GetTokens().GetText(1), CString("E"));
}

TEST_F(TokenTreeTest, EmptySeparatorSplitsNothing)
{
    KTEOptions options(KTEPresetGraphing);
    options.m_separator.m_value = CString();
    KTEEquation equation;
    equation.SetText("[0,4]", options);
    EXPECT_EQ(equation.GetCalculationText(false), CString("(0,4)")); // "," stays raw text
    EXPECT_EQ(equation.GetTokens().At(0)->m_list.KindAt(1), TK_RAW);
}

TEST_F(TokenTreeTest, LevelsOfNesting)
{
    const KTEOptions graphing(KTEPresetGraphing); // does not shrink numeric fractions
    const KTEOptions general(KTEPresetGeneral);   // does
    KTEEquation a;
    a.SetText("1/2", general);
    const KTEToken* fraction = a.GetTokens().At(0);
    ASSERT_EQ(fraction->m_kind, TK_FRACTION);
    EXPECT_EQ(fraction->m_fractionLevel, 0);
    EXPECT_EQ(fraction->m_list.At(0)->m_fractionLevel, 1);
    KTEEquation b;
    b.SetText("1/2", graphing);
    EXPECT_EQ(b.GetTokens().At(0)->m_list.At(0)->m_fractionLevel, 0);
    KTEEquation c;
    c.SetText("x/2", general);
    EXPECT_EQ(c.GetTokens().At(0)->m_list.At(0)->m_fractionLevel, 0);

    KTEEquation power;
    power.SetText("x^(y^2)", graphing);
    const KTEToken* outer = power.GetTokens().At(1);
    ASSERT_EQ(outer->m_kind, TK_POWER);
    EXPECT_DOUBLE_EQ(outer->m_powerLevel, 0.0);
    const KTEToken* group = outer->m_list.At(0);
    EXPECT_DOUBLE_EQ(group->m_powerLevel, 1.0);
    const KTEToken* inner = group->m_list.At(1);
    ASSERT_EQ(inner->m_kind, TK_POWER);
    EXPECT_DOUBLE_EQ(inner->m_list.At(0)->m_powerLevel, 2.0);

    KTEEquation subscript;
    subscript.SetText("x\\2", general);
    const KTEToken* script = subscript.GetTokens().At(1);
    ASSERT_EQ(script->m_kind, TK_SUBSCRIPT);
    EXPECT_DOUBLE_EQ(script->m_list.At(0)->m_powerLevel, 1.5);
}

TEST_F(TokenTreeTest, SetTextWithTheSameTextDoesNotParseAgain)
{
    const KTEOptions graphing(KTEPresetGraphing);
    const KTEOptions plain(KTEPresetPlain);
    KTEEquation equation;
    equation.SetText("x2", graphing);
    const KTEToken* first = equation.GetTokens().At(0);
    equation.SetText("x2", plain);
    EXPECT_EQ(equation.GetTokens().At(0), first);
    EXPECT_EQ(equation.GetCalculationText(false), CString("x^2"));
    equation.MarkTextChanged();
    equation.SetText("x2", plain);
    EXPECT_EQ(equation.GetCalculationText(false), CString("x2"));
    equation.SetText("y", graphing);
    EXPECT_EQ(equation.GetCalculationText(false), CString("y"));
}

TEST_F(TokenTreeTest, SubstituteVariablesAtAnyDepth)
{
    KTVariableSubstitutions table;
    table.Add("a", 2.5);
    table.Add("b", -3);
    const KTEOptions options(KTEPresetGraphing);
    KTEEquation equation;
    equation.SetText("y = a x^b + c/(a+1) + sqrt(b)", options);
    equation.SubstituteVariables(table);
    EXPECT_EQ(equation.GetCalculationText(false), CString("y=2.5*x^(-3)+((c)/(2.5+1))+(sqrt(-3))"));
    // A negative value is bracketed where its sign could read as a subtraction.
    const struct
    {
        const char* text;
        const char* calculation;
    } rows[] = {
        {"3b^2", "3*(-3)^2"}, {"2b x", "2*(-3)*x"},  {"x-b", "x-(-3)"},   {"y=b x", "y=-3*x"},
        {"y = b", "y=-3"},    {"b^2", "(-3)^2"},     {"3a^2", "3*2.5^2"}, {"x^b", "x^(-3)"},
        {"y>b", "y>-3"},      {"1/b", "((1)/(-3))"},
    };
    for (const auto& row : rows) {
        KTEEquation substituted;
        substituted.SetText(row.text, options);
        substituted.SubstituteVariables(table);
        EXPECT_EQ(substituted.GetCalculationText(false), CString(row.calculation)) << row.text;
    }
    KTEEquation none;
    none.SetText("A", options);
    none.SubstituteVariables(table); // names are case-sensitive
    EXPECT_EQ(none.GetCalculationText(false), CString("A"));
}

TEST_F(TokenTreeTest, BracketColumnsGiveLimits)
{
    const KTEOptions general(KTEPresetGeneral);
    KTEEquation equation;
    equation.SetText("[x^2]3,1", general); // the column right after the group
    const KTETokenList& tokens = equation.GetTokens();
    ASSERT_GE(tokens.GetCount(), 1);
    const KTEToken* group = tokens.At(0);
    ASSERT_EQ(group->m_kind, TK_BRACKETS);
    EXPECT_EQ(group->m_text, CString("[,]"));
    ASSERT_EQ(group->m_list2.GetCount(), 2);
    EXPECT_EQ(group->m_list2.At(0)->m_list.GetText(0), CString("1")); // lower: the column's last row
    EXPECT_EQ(group->m_list2.At(1)->m_list.GetText(0), CString("3"));
    EXPECT_EQ(tokens.GetCount(), 1);
}

} // namespace
