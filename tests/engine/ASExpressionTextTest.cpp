#include "engine/ASExpressionText.h"
#include "engine/ASTokenList.h"
#include "engine/KTEntryErrorException.h"
#include "platform/KTLocale.h"

#include <gtest/gtest.h>

namespace {

// The printed tokens of a text, separated by blanks so that neighbours stay apart.
CString Spelled(const CString& text)
{
    ASExpressionText expression;
    expression.SetText(text);
    ASTokenList list;
    EXPECT_TRUE(expression.Tokenize(list));
    CString out;
    for (int i = 0; i < list.GetCount(); ++i) {
        if (i > 0)
            out += ' ';
        out += list.At(i).ToString();
    }
    return out;
}

class ASExpressionTextTest : public testing::Test
{
protected:
    void SetUp() override { KTLocale::Override('.', ',', 44); }
    void TearDown() override { KTLocale::ClearOverride(); }
};

} // namespace

TEST_F(ASExpressionTextTest, TokenTable)
{
    struct Row
    {
        const char* text;
        const char* tokens;
    };
    const Row rows[] = {
        {"2X^2", "+2 * x ^ +2"},
        {"-X", "-1 * x"},
        {"X-3", "x - +3"},
        {"(X+1)(X-1)", "( x + +1 ) * ( x - +1 )"},
        {"XY", "x * y"},
        {"2.5X", "+2.5 * x"},
        {"SIN(X)", "sin ( x )"},
        {"ACOS", "a * cos"},
        {"", ""},
        {"X--1", "x"},
        {"x^-2", "x ^ -2"},
        {"y=-x", "y = -1 * x"},
        {"-(X)", "-1 * ( x )"},
        {"(-2)", "( -2 )"},
        {"2(X)", "+2 * ( x )"},
        {"(X)2", "( x ) +2"},
        {"X-", "x -"},
        {"3-", "+3 -"},
        {"((X))", "( ( x ) )"},
        {"X\xB3Y", "x >= y"},
        {"X\xA3Y", "x <= y"},
        {"\xABX\xBB", "\xAB x \xBB"},
        {"SQRT(X)+SR(Y)", "sqrt ( x ) + sqrt ( y )"},
        {"P*E", "pi * e"},
        {"Q+T+R", "th + t + r"},
        {"ABCD", "a * b * c * d"},
        {"12X", "+12 * x"},
        {"X;Y", "x ; y"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(Spelled(row.text), row.tokens) << row.text;
}

TEST_F(ASExpressionTextTest, UnknownTokensThrowWithTheirPosition)
{
    struct Row
    {
        const char* text;
        const char* message;
        int position;
        int tokensBefore;
    };
    const Row rows[] = {
        {"TAN", " AN", 2, 2}, // T ends at the A, then "AN" is no token
        {"ABS", " BS", 2, 2},  {"M", " M", 0, 0},
        {"X>=Y", " >=", 2, 1},                              // ">=" typed as two characters
        {"2+AN", " AN", 3, 2}, {"X\xB1Y", " X\xB1Y", 2, 0}, // a letter after x makes it a name
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        ASExpressionText expression;
        expression.SetText(row.text);
        ASTokenList list;
        try {
            expression.Tokenize(list);
            ADD_FAILURE() << "no exception";
        } catch (const KTUnrecognisedException& error) {
            EXPECT_EQ(error.m_text, row.message);
            EXPECT_EQ(error.m_position, row.position);
            EXPECT_EQ(list.GetCount(), row.tokensBefore);
        }
    }
    EXPECT_THROW(ASExpressionText::TokenKind("GINTX"), KTUnrecognisedException);
    EXPECT_EQ(ASExpressionText::TokenKind("normal"), ASKind::Normal);
    EXPECT_EQ(ASExpressionText::TokenKind("cosec"), ASKind::Cosec);
}

TEST_F(ASExpressionTextTest, DecimalCommaLocale)
{
    KTLocale::Override(',', ';', 49);
    EXPECT_EQ(Spelled("2,5X"), "+2.5 * x");
    ASExpressionText expression;
    expression.SetText("2.5X");
    ASTokenList list;
    EXPECT_THROW(expression.Tokenize(list), KTUnrecognisedException); // "." is a name letter here
}

TEST_F(ASExpressionTextTest, ALongTextFailsInsteadOfDroppingTokens)
{
    CString text = "X";
    for (int i = 0; i < 60; ++i)
        text += "+X";
    ASExpressionText expression;
    expression.SetText(text);
    ASTokenList list(ASTokenList::AlgebraCapacity);
    EXPECT_FALSE(expression.Tokenize(list));
    EXPECT_EQ(list.GetCount(), ASTokenList::AlgebraCapacity);
    EXPECT_TRUE(list.Overflowed());
}
