#include "engine/ASLimitException.h"
#include "engine/ASNodePool.h"
#include "engine/ASTerm.h"
#include "engine/ASTokenList.h"

#include <gtest/gtest.h>

namespace {

class ASTermTest : public testing::Test
{
protected:
    void SetUp() override { ASNodePool::Global().DeleteAll(); }
    void TearDown() override { ASNodePool::Global().DeleteAll(); }
};

ASTerm Term(const char* text)
{
    ASTerm term;
    EXPECT_TRUE(term.SetFromText(text)) << text;
    return term;
}

CString Tokens(const ASTerm& term)
{
    ASTokenList out;
    term.AppendTokens(out);
    return out.ToString("");
}

} // namespace

TEST_F(ASTermTest, TextsGiveCollectedTerms)
{
    struct Row
    {
        const char* text;
        const char* printed;
        const char* tokens;
    };
    const Row rows[] = {
        {"1", " +1 ", " +1 "},
        {"Y", " +1y ", " y "},
        {"-X", " -1x ", " -1*x "},
        {"2XY^2", " +2xy^2 ", " +2*x*y^+2 "},
        {"X^-1*X^3", " +1x^2 ", " x^+2 "},
        {"0.5A", " +1/2a ", " (+1\\+2)*a "},
        {"X*2*X", " +2x^2 ", " +2*x^+2 "},
        {"0X", " +0 ", " 0 "},
    };
    for (const Row& row : rows) {
        const ASTerm term = Term(row.text);
        EXPECT_EQ(term.ToString(), row.printed) << row.text;
        EXPECT_EQ(Tokens(term), row.tokens) << row.text;
    }
    ASTerm notOne;
    EXPECT_FALSE(notOne.SetFromText("X+1"));
}

TEST_F(ASTermTest, ArithmeticTable)
{
    enum Op { Plus, Minus, Times, Over, Factor };
    struct Row
    {
        const char* a;
        Op op;
        const char* b;
        const char* result;
    };
    const Row rows[] = {
        {"2X", Plus, "3X", " +5x "},  {"2X", Minus, "2X", " +0 "}, // the zero term: no variables
        {"XY", Plus, "X", " +1xy "},                               // not like terms: unchanged
        {"X^2", Over, "X", " +1x "},  {"2X", Times, "3Y", " +6xy "},
        {"X", Over, "X", " +1 "},     {"6X^2Y", Factor, "4XY^3", " +2xy "},
        {"-6X", Factor, "9", " +3 "}, {"0.5X", Factor, "X^2", " +1x "}, // whole parts 0 and 1 share no prime
        {"0X", Times, "Y", " +0 "},
    };
    for (const Row& row : rows) {
        const ASTerm a = Term(row.a);
        const ASTerm b = Term(row.b);
        const ASTerm result = row.op == Plus    ? a.Plus(b)
                              : row.op == Minus ? a.Minus(b)
                              : row.op == Times ? a.Times(b)
                              : row.op == Over  ? a.Over(b)
                                                : a.CommonFactor(b);
        EXPECT_EQ(result.ToString(), row.result) << row.a << " " << row.b;
        // The value forms leave the operands alone.
        EXPECT_TRUE(a.Equals(Term(row.a)));
    }
    const ASTerm zero = Term("2X").Minus(Term("2X"));
    EXPECT_TRUE(zero.IsZero());
    EXPECT_TRUE(zero.IsConstant());
    EXPECT_EQ(Term("X").Negated().ToString(), " -1x ");
}

TEST_F(ASTermTest, EqualityAndLikeness)
{
    EXPECT_TRUE(Term("2X").IsLike(Term("-X")));
    EXPECT_FALSE(Term("2X").Equals(Term("-X")));
    EXPECT_FALSE(Term("XY").IsLike(Term("X")));
    EXPECT_TRUE(Term("X*Y").EqualsText("YX"));
    ASTerm one;
    one.SetConstant(1);
    EXPECT_TRUE(one.EqualsText("1"));
    ASTerm half;
    half.SetCoefficient(ASRational(1, 2));
    EXPECT_EQ(half.ToString(), " +1/2 ");
}

TEST_F(ASTermTest, DivisionByAZeroTermIsRefused)
{
    ASTerm x = Term("X");
    ASTerm zero;
    zero.SetZero();
    EXPECT_THROW(x.DivideBy(zero), ASLimitException);
    EXPECT_EQ(x.ToString(), " +1x ");
}

TEST_F(ASTermTest, FactorsCollectFromTokens)
{
    ASTokenList factors;
    ASRational three(3, 1);
    factors.Append(ASKind::Node, 0.0, &three);
    factors.Append(ASKind::Node, 0.0, &three);
    ASTerm term;
    EXPECT_TRUE(term.SetFromTokens(factors));
    EXPECT_EQ(term.ToString(), " +9 ");

    ASTokenList notFactors;
    notFactors.Append(ASKind::X);
    EXPECT_FALSE(term.SetFromTokens(notFactors));
}
