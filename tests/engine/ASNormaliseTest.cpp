#include "ASTestHelpers.h"

#include "engine/ASNodePool.h"
#include "engine/ASRational.h"
#include "engine/ASTerm.h"
#include "engine/ASTokenList.h"
#include "engine/ASVariablePower.h"

#include <gtest/gtest.h>

namespace {

class ASNormaliseTest : public testing::Test
{
protected:
    void SetUp() override { ASNodePool::Global().DeleteAll(); }
    void TearDown() override { ASNodePool::Global().DeleteAll(); }
};

ASTokenList List(std::initializer_list<ASToken> tokens)
{
    ASTokenList list;
    for (const ASToken& token : tokens)
        list.Append(token.m_kind, token.m_value, token.m_node);
    return list;
}

ASToken Num(double value)
{
    return ASToken(ASKind::Number, value);
}

} // namespace

TEST_F(ASNormaliseTest, NormalisedSidesTable)
{
    // The text of a side after the six passes; terms print as coefficient and powers.
    struct Row
    {
        const char* text;
        const char* normalised;
    };
    const Row rows[] = {
        {"3X^2", "  +3x^2  "},
        {"2XY^2", "  +2xy^2  "},
        {"X-3Y", "  +1x  -3y  "},
        {"((X))", "  +1x  "},
        {"X^(1)", "  +1x ^ +1  "},         // the power before a bracket is not absorbed
        {"2X^(10)", "  +2 * +1x ^ +10  "}, // and keeps to x alone
        {"X-Y^(3)", "  +1x - +1y ^ +3  "}, // the sign stays outside the power
        {"-(X+1)", "  -1 *( +1x  +1 ) "},
        {"2(X-1)", "  +2 *( +1x  -1 ) "},
        {"X/2", "  +1x \\ +2  "},
        {"X-", "  +1x - "}, // a minus at the end stays
        {"A*B*X^-1", "  +1x^-1ab  "},
        {"X/2*A", "  +1x \\ +2 * +1a  "},          // only the 2 is divided by
        {"X^2^3", "  +1x ^ +2 ^ +3  "},            // powers group from the right
        {"(X+1)^2*3", " ( +1x  +1 )^ +2 * +3  "}, // the exponent is the 2 alone
    };
    for (const Row& row : rows) {
        ASTokenList list = astest::Tokens(row.text);
        EXPECT_FALSE(list.Normalise());
        EXPECT_EQ(list.ToString(""), row.normalised) << row.text;
    }
}

TEST_F(ASNormaliseTest, ListsWithFunctionsAreLeftAlone)
{
    for (const char* text : {"SIN(X)+1", "SQRT(X)"}) {
        ASTokenList list = astest::Tokens(text);
        const CString before = list.ToString("");
        EXPECT_TRUE(list.Normalise());
        EXPECT_EQ(list.ToString(""), before);
    }
    ASTokenList withSign = List({ASToken(ASKind::PlusMinus), ASToken(ASKind::X)});
    EXPECT_TRUE(withSign.ContainsFunction());
    EXPECT_TRUE(withSign.Normalise());
    EXPECT_EQ(withSign.GetCount(), 2);
}

TEST_F(ASNormaliseTest, FractionPatternBecomesOneUnreducedRational)
{
    ASTokenList list = List({ASToken(ASKind::Open), Num(2), ASToken(ASKind::Divide), ASToken(ASKind::Open),
                             Num(4), ASToken(ASKind::Close), ASToken(ASKind::Close)});
    list.MakeRationals();
    ASSERT_EQ(list.GetCount(), 1);
    const auto* rational = ASNodeAs<ASRational>(list.NodeAt(0));
    ASSERT_NE(rational, nullptr);
    EXPECT_EQ(rational->m_numerator, 2);
    EXPECT_EQ(rational->m_denominator, 4);

    ASTokenList half = List({ASToken(ASKind::Open), Num(1), ASToken(ASKind::Divide), ASToken(ASKind::Open),
                             Num(2), ASToken(ASKind::Close), ASToken(ASKind::Close)});
    half.Normalise();
    ASSERT_EQ(half.GetCount(), 1);
    const auto* term = ASNodeAs<ASTerm>(half.NodeAt(0));
    ASSERT_NE(term, nullptr);
    EXPECT_EQ(term->Coefficient(), ASRational(1, 2));
    EXPECT_TRUE(term->IsConstant());

    // Too short at the end of the list: left as it is.
    ASTokenList shortList = List({ASToken(ASKind::Open), Num(1), ASToken(ASKind::Divide),
                                  ASToken(ASKind::Open), Num(2), ASToken(ASKind::Close)});
    shortList.MakeRationals();
    EXPECT_EQ(shortList.GetCount(), 6);
}

TEST_F(ASNormaliseTest, SinglePasses)
{
    ASTokenList list = astest::Tokens("X^2+Y");
    list.NumbersToRationals();
    EXPECT_EQ(list.ToString(""), " x^+2+y ");
    list.VariablesToPowers();
    ASSERT_EQ(list.GetCount(), 3);
    const auto* power = ASNodeAs<ASVariablePower>(list.NodeAt(0));
    ASSERT_NE(power, nullptr);
    EXPECT_EQ(power->m_exponent, ASRational(2, 1));
    EXPECT_EQ(list.ToString(""), " x^2+y ");
    list.GroupTerms();
    list.AbsorbSigns();
    EXPECT_EQ(list.ToString(""), "  +1x^2  +1y  ");

    // Adjacent factors after a division: only the first is divided by.
    ASRational two(2, 1);
    ASRational three(3, 1);
    ASTokenList adjacent = List({ASToken(ASKind::X), ASToken(ASKind::Divide), ASToken(ASKind::Node, 0, &two),
                                 ASToken(ASKind::Node, 0, &three)});
    adjacent.Normalise();
    EXPECT_EQ(adjacent.ToString(""), "  +1x \\ +2 * +3  ");

    ASTokenList marked = astest::Tokens("X+Y");
    marked.MarkDeleted(1);
    marked.RemoveAmpersands();
    EXPECT_EQ(marked.ToString(""), " xy ");
}

TEST_F(ASNormaliseTest, ZeroTermsAreRemoved)
{
    ASTerm zero;
    zero.SetZero();
    ASTerm x;
    x.SetFromText("x");
    ASTokenList list =
        List({ASToken(ASKind::Node, 0, &zero), ASToken(ASKind::Plus), ASToken(ASKind::Node, 0, &x)});
    list.RemoveZeroTerms();
    EXPECT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.NodeAt(1), &x);
}

TEST_F(ASNormaliseTest, ExtractDivisorsTable)
{
    struct Row
    {
        const char* text;
        const char* divisors;
        bool any;
    };
    const Row rows[] = {
        {"X+1", "  ", false},
        {"1/(X+1)", " (x++1) ", true},
        {"1/(X+1)+2/(X-(1))", " (x++1)*(x-(+1)) ", true},
        {"Y/X", " x ", true},
    };
    for (const Row& row : rows) {
        ASTokenList list = astest::Tokens(row.text);
        EXPECT_EQ(list.ExtractDivisors(), row.any) << row.text;
        EXPECT_EQ(list.ToString(""), row.divisors) << row.text;
    }
}
