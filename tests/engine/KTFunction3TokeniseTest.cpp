// The equation tokeniser: runs, implied products, the three readings of a minus, the division
// warning and the user's separators.

#include "KTFunction3TestHelpers.h"

#include "platform/KTLocale.h"

#include <gtest/gtest.h>

namespace {

struct TokeniseRow
{
    const char* text;
    const char* tokens;
};

TEST(KTFunction3Tokenise, TokenTable)
{
    const TokeniseRow rows[] = {
        {"", ""},
        {"2x", "2 * X"},
        {"x y", "X * Y"},
        {"XY", "X * Y"},
        {"3(x+1)", "3 * ( X + 1 )"},
        {"(x)(x)", "( X ) * ( X )"},
        {"(x)2", "( X ) 2"},
        {"-x", "-1 * X"},
        {"2-x", "2 - X"},
        {"(-3)", "( -3 )"},
        {"x-1*3", "X - 1 * 3"},
        {"y=-1*x", "Y = -1 * X"},
        {"P-1*x", "P - 1 * X"}, // a minus after a name subtracts: pi - x
        {"a-x", "A - X"},
        {"2sin(x)", "2 * SIN ( X )"},
        {"tan(t)", "TAN ( T )"},
        {"sqrt(x)^2", "SQRT ( X ) ^ 2"},
        {"y\xB3x", "Y >= X"},
        {"y\xA3x", "Y <= X"},
        {"y>=x", "Y >= X"},
        {"r=2*(sin(3*q))", "R = 2 * ( SIN ( 3 * Q ) )"},
        {"y=\xB1(x)", "Y = +- ( X )"},
        {"y=+(x)", "Y = ( X )"}, // a sign, not an addition
        {"(1,2)", "( 1 , 2 )"},
        {"y=\xCD*x", "Y = P * X"},
        {"12.5x", "12.5 * X"},
        {"f*(x)=x^2", "F * ( X ) = X ^ 2"},
        {"e^(x)", "E ^ ( X )"},
        {"-(x)", "-1 * ( X )"},
        {"x^-2", "X ^ -2"},
    };
    for (const TokeniseRow& row : rows) {
        KTFunction3 f;
        ASTokenList list;
        f.Tokenise(row.text, list);
        EXPECT_EQ(row.tokens, kttest::Describe(list)) << row.text;
        EXPECT_FALSE(f.Parts().IsErrorLatched()) << row.text;
    }
}

TEST(KTFunction3Tokenise, CaseDoesNotMatter)
{
    KTFunction3 f;
    ASTokenList lower;
    ASTokenList upper;
    f.Tokenise("y=2*(sin(x))+cosh(x)", lower);
    f.Tokenise("Y=2*(SIN(X))+COSH(X)", upper);
    EXPECT_EQ(kttest::Describe(upper), kttest::Describe(lower));
}

TEST(KTFunction3Tokenise, RefusedTexts)
{
    for (const char* text : {"xsin(x)", "foo(x)", "x-", "x-)", "2*/3", "y=x-=3"}) {
        KTFunction3 f;
        ASTokenList list;
        f.Tokenise(text, list);
        EXPECT_TRUE(f.Parts().IsErrorLatched()) << text;
        EXPECT_EQ(KTStatusError, f.Status()) << text;
        EXPECT_EQ(CString("Can not interpret equation"), f.Parts().GetMessage()) << text;
    }
}

TEST(KTFunction3Tokenise, TooManyTokensIsAnErrorNotATruncation)
{
    CString text = "y=x";
    for (int i = 0; i < 80; ++i)
        text += "+x";
    KTFunction3 f;
    ASTokenList list;
    f.Tokenise(text, list);
    EXPECT_LE(list.GetCount(), ASTokenList::DefaultCapacity);
    EXPECT_EQ(KTStatusError, f.Status());
}

TEST(KTFunction3Tokenise, DivisionByBracketedZeroWarnsOnce)
{
    KTFunction3 f;
    ASTokenList list;
    f.Tokenise("1/(0)+1/(0)", list);
    ASSERT_EQ(1u, f.PendingMessages().size());
    EXPECT_EQ(CString("Function Error"), f.PendingMessages()[0].caption);
    EXPECT_EQ(CString("Function undefined - Division by 0"), f.PendingMessages()[0].text);
    EXPECT_EQ("1 / ( 0 ) + 1 / ( 0 )", kttest::Describe(list)); // the tokens stay

    KTFunction3 g;
    g.Tokenise("1/0", list);
    EXPECT_TRUE(g.PendingMessages().empty());
}

TEST(KTFunction3Tokenise, UserSeparators)
{
    KTLocale::Override(',', ';', 31);
    KTFunction3 f;
    ASTokenList list;
    f.Tokenise("1,5x", list);
    EXPECT_EQ("1.5 * X", kttest::Describe(list));
    f.Tokenise("(1;2,5)", list);
    EXPECT_EQ("( 1 , 2.5 )", kttest::Describe(list));
    KTLocale::ClearOverride();
}

TEST(KTFunction3Tokenise, UseFlags)
{
    KTFunction3 f;
    ASTokenList list;
    f.Tokenise("a*sin(x)+m", list);
    EXPECT_EQ(1, f.m_data.m_usesConstant);
    EXPECT_EQ(1, f.m_data.m_usesA);
    EXPECT_EQ(0, f.m_data.m_usesB);
    EXPECT_EQ(1, f.m_data.m_usesM);
    EXPECT_EQ(1, f.m_data.m_usesTrig);
    KTFunction3 g;
    g.Tokenise("asin(x)", list);
    EXPECT_EQ(0, g.m_data.m_usesTrig);
}

} // namespace
