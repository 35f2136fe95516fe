#include "ASTestHelpers.h"

#include "engine/ASLimitException.h"
#include "engine/ASNodePool.h"
#include "engine/ASRelation.h"
#include "engine/KTEntryErrorException.h"

#include <gtest/gtest.h>

namespace {

class ASRelationTest : public testing::Test
{
protected:
    void SetUp() override { ASNodePool::Global().DeleteAll(); }
    void TearDown() override { ASNodePool::Global().DeleteAll(); }
};

CString Compact(CString text)
{
    text.Remove(' ');
    return text;
}

struct Outcome
{
    bool set = false;
    bool solved = false;
    CString text;         // the relation's text, blanks removed
    CString tokens;       // the token form the interpretation takes
    CString restrictions; // each restriction's text, blanks removed, ";" after each
};

Outcome Rearrange(const char* text)
{
    Outcome outcome;
    ASRelation relation;
    ASRestrictionList restrictions;
    outcome.set = relation.SetFromTokens(astest::Tokens(text));
    outcome.solved = outcome.set && relation.RearrangeForY(restrictions);
    outcome.text = Compact(relation.Text());
    ASTokenList out;
    relation.AppendTokens(out);
    if (outcome.solved) {
        EXPECT_FALSE(out.Overflowed()) << text; // a solution always fits the interpretation's list
    }
    outcome.tokens = out.ToString("");
    for (const ASRestriction& restriction : restrictions) {
        EXPECT_EQ(restriction.code, 3);
        outcome.restrictions += Compact(restriction.node->ToString()) + ";";
    }
    return outcome;
}

} // namespace

// Relation text -> the rearranged relation; a plus-or-minus (byte 177) marks two branches.
TEST_F(ASRelationTest, GoldenRearrangements)
{
    struct Row
    {
        const char* text;
        const char* relation;
        const char* tokens;
        const char* restrictions;
    };
    const Row rows[] = {
        // Lines and products.
        {"2Y-3=X", "(+1y)=(+3+1x)/(+2)", " y=(+3+x)\\(+2) ", ""},
        {"2Y=X", "(+1y)=(+1x)/(+2)", " y=x\\(+2) ", ""},
        {"X*Y=1", "(+1y)=(+1)/(+1x)", " y=+1\\(x) ", ""},
        {"A*Y=X", "(+1y)=(+1x)/(+1a)", " y=x\\(a) ", ""},
        // A divisor that shares no zero with the other side.
        {"X*Y=X+1", "(+1y)=(+1x+1)/(+1x)", " y=(x++1)\\(x) ", ""},
        {"(X-1)*Y=X+1", "(+1y)=(+1x+1)/(+1x-1)", " y=(x++1)\\((x+-1)) ", ""},
        {"(X^2+1)*Y=X", "(+1y)=(+1x)/(+1x^2+1)", " y=x\\((x^+2++1)) ", ""},
        // Negative powers: terms with negative exponents, or the reciprocal of a sum.
        {"X^(-1)=Y", "(+1y)=(-1x^-1)/(-1)", " y=-1*x^-1\\(-1) ", ""},
        {"Y*X^(-1)=2", "(+1y)=(+2)/(+1x^-1)", " y=+2\\(x^-1) ", ""},
        {"(X+1)^(-2)*Y=1", "(+1y)=(+1x^2+2x+1)", " y=(x^+2++2*x++1) ", "(+1x^2+1x+1x+1);"},
        // A product of 64 terms before collecting; the zero side is not doubled by right - right.
        {"Y+1=(X+1)*(X+2)*(X+3)*(X+4)*(X+5)*(X+6)", "(+1y)=(+719+1x^6+21x^5+175x^4+735x^3+1624x^2+1764x)",
         " y=(+719+x^+6++21*x^+5++175*x^+4++735*x^+3++1624*x^+2++1764*x) ", ""},
        // Denominators multiplied out and recorded.
        {"1/X=Y", "(+1y)=(-1)/(-1x)", " y=-1\\(-1*x) ", "(+1x);"},
        {"Y/(X+1)=X", "(+1y)=(+1x^2+1x)", " y=(x^+2+x) ", "(+1x+1);"},
        {"(X+1)/(Y-1)=2", "(+1y)=(-1x-3)/(-2)", " y=(-1*x+-3)\\(-2) ", "(+1y-1);"},
        // Roots of one power: odd without, even with plus-or-minus.
        {"Y^2=X", "(+1y)=(\xB1sqrt((+1x)))", " y=(\xB1sqrt(x)) ", ""},
        {"Y^3=X", "(+1y)=(((+1x))^(+1\\+3))", " y=((x)^(+1\\+3)) ", ""},
        {"Y^4=X", "(+1y)=(\xB1((+1x))^(+1\\+4))", " y=(\xB1(x)^(+1\\+4)) ", ""},
        {"Y^5=X", "(+1y)=(((+1x))^(+1\\+5))", " y=((x)^(+1\\+5)) ", ""},
        {"2Y=1/(X+1)^2", "(+1y)=(+1)/(+2x^2+4x+2)", " y=+1\\((+2*x^+2++4*x++2)) ", "(+1x^2+2x+1);"},
        // Conics by completing the square.
        {"X^2+Y^2=4", "(+1y)=(\xB1sqrt((-1x^2+4+0))+0)", " y=(\xB1sqrt((-1*x^+2++4+0))+0) ", ""},
        {"Y^2+X^2+2Y=3", "(+1y)=(\xB1sqrt((-1x^2+3+1))-1)", " y=(\xB1sqrt((-1*x^+2++3++1))+-1) ", ""},
        {"X^2/4+Y^2/9=1", "(+1y)=(\xB1sqrt((-9/4x^2+9+0))+0)", " y=(\xB1sqrt(((-9\\+4)*x^+2++9+0))+0) ",
         "(+36);"},
        {"X^2-Y^2=1", "(+1y)=(\xB1sqrt((+1x^2-1+0))+0)", " y=(\xB1sqrt((x^+2+-1+0))+0) ", ""},
        // Not solvable for y, solved for x.
        {"Y^2+Y=X", "(+1x)=(-1y^2-1y)/(-1)", " x=(-1*y^+2+-1*y)\\(-1) ", ""},
        {"(Y+X)^2=X^2+1", "(+1x)=(-1y^2+1)/(+2y)", " x=(-1*y^+2++1)\\(+2*y) ", ""},
        // Inequalities both ways: a negative divisor mirrors the sign.
        {"X<Y", "(+1y)>(-1x)/(-1)", " y>-1*x\\(-1) ", ""},
        {"-2Y<X", "(+1y)>(+1x)/(-2)", " y>x\\(-2) ", ""},
        {"Y/(-2)>X", "(+1y)<(-2x)", " y<-2*x ", "(-2);"},
        {"3-Y\xB3X", "(+1y)<=(-3+1x)/(-1)", " y<=(-3+x)\\(-1) ", ""},
        {"Y^3<X", "(+1y)<(((+1x))^(+1\\+3))", " y<((x)^(+1\\+3)) ", ""},
        {"Y^2<X", "(+1x)>(-1y^2)/(-1)", " x>-1*y^+2\\(-1) ", ""},
        {"Y^2<X+Y", "(+1x)>(-1y^2+1y)/(-1)", " x>(-1*y^+2+y)\\(-1) ", ""},
        {"A*Y<X", "(+1x)>(-1ya)/(-1)", " x>-1*y*a\\(-1) ", ""},
    };
    for (const Row& row : rows) {
        ASNodePool::Global().DeleteAll();
        const Outcome outcome = Rearrange(row.text);
        SCOPED_TRACE(row.text);
        EXPECT_TRUE(outcome.solved);
        EXPECT_EQ(outcome.text, row.relation);
        EXPECT_EQ(outcome.tokens, row.tokens);
        EXPECT_EQ(outcome.restrictions, row.restrictions);
    }
}

TEST_F(ASRelationTest, TheCircleKeepsItsExactText)
{
    ASRelation relation;
    ASRestrictionList restrictions;
    ASSERT_TRUE(relation.SetFromTokens(astest::Tokens("X^2+Y^2=4")));
    EXPECT_EQ(relation.Text(), " (  +1x^2  +1y^2  )=(  +4  ) ");
    ASSERT_TRUE(relation.RearrangeForY(restrictions));
    EXPECT_EQ(relation.Text(), " (  +1y  )=( \xB1sqrt((  -1x^2  +4  +0  )) +0  ) ");
    EXPECT_EQ(relation.ToString(), relation.Text());
    EXPECT_TRUE(restrictions.empty());
}

// Relations that rearrangement must leave to the implicit plotter.
TEST_F(ASRelationTest, RelationsThatFail)
{
    struct Row
    {
        const char* text;
        bool set; // whether SetFromTokens already refuses
    };
    const Row rows[] = {
        {"SIN(Y)=X", false},  // a function on the left
        {"Y^(0.3)=X", false}, // a power that is not whole: no root taken
        {"2Y=(X+1)^(2.5)", false},
        {"Y^2+Y=X^2+X+X*Y", true}, // neither variable comes out as one power
        {"X*Y>1", true},           // dividing by x: direction unknown
        {"Y/X>1", true},           // multiplying out x: direction unknown
        {"Y^2<X^2+Y", true},       // even roots of an inequality either way
        {"X^2+Y^2<4", true},       // completing the square under an inequality
        {"A*Y<A*X", true},         // the sign of a family constant is not known
        {"(X-X)*Y=1", true},       // 0 = 1
        // Dividing would lose a line on which every y (or x) satisfies the relation.
        {"X*Y=0", true},           // also x = 0
        {"X*Y=X", true},           // also x = 0
        {"X^2*Y=X", true},         // also x = 0
        {"(X-2)*(Y-3)=0", true},   // also x = 2
        {"(X-1)*Y=X-1", true},     // also x = 1
        {"(X^2-1)*Y=X+1", true},   // also x = -1
        {"(X^2+1)*Y=X^3+X", true}, // a common factor without real zero
        {"A*X*Y=0", true},         // x = 0, family constant beside it
        {"Y=)X(", false},
        {"Y=(X", false},
    };
    for (const Row& row : rows) {
        ASNodePool::Global().DeleteAll();
        SCOPED_TRACE(row.text);
        const Outcome outcome = Rearrange(row.text);
        EXPECT_EQ(outcome.set, row.set);
        EXPECT_FALSE(outcome.solved);
    }
}

TEST_F(ASRelationTest, SolvedExponentsMustBeWhole)
{
    // A power within 0.00001 of a whole number counts as whole; further off it does not.
    EXPECT_EQ(Rearrange("Y^(2.000001)=X").tokens, " y=(\xB1sqrt(x)) ");
    ASNodePool::Global().DeleteAll();
    EXPECT_FALSE(Rearrange("Y^(3/10)=X").solved);
    ASNodePool::Global().DeleteAll();
    EXPECT_FALSE(Rearrange("Y^(2.01)=X").solved);
}

TEST_F(ASRelationTest, LimitsFailCleanly)
{
    const char* texts[] = {
        "2Y=(X+1)*(X+1)*(X+1)*(X+1)*(X+1)*(X+1)*(X+1)", // 128 product terms: more than a list holds
        "2Y=(X+1)^7",
        "2Y=(X+1)^300",
        "Y=3000000000X",  // a coefficient beyond 32 bits
        "46341Y*46341=X", // a product beyond 32 bits
        "Y^3000000000=X",
        "X^2000000000*X^2000000000*Y=1", // an exponent sum beyond 32 bits
        "2147483647Y+2147483647Y=X",
    };
    for (const char* text : texts) {
        ASNodePool::Global().DeleteAll();
        SCOPED_TRACE(text);
        EXPECT_FALSE(Rearrange(text).solved);
    }
    // Fifteen terms with coefficient 3/10 read as 92 tokens but would be written as 139.
    CString tenths = "Y=0.3X";
    for (int power = 2; power <= 15; ++power)
        tenths.AppendFormat("+0.3X^%d", power);
    ASNodePool::Global().DeleteAll();
    ASSERT_LE(astest::Tokens(tenths).GetCount(), ASTokenList::DefaultCapacity);
    EXPECT_FALSE(Rearrange(tenths).solved);

    ASNodePool::Global().DeleteAll();
    EXPECT_TRUE(Rearrange("Y*2000000000=X*3").solved);
    ASNodePool::Global().DeleteAll();
    EXPECT_TRUE(Rearrange("2Y=(X+1)^3").solved);
}

TEST_F(ASRelationTest, DeepNestingStaysWithinTheGuard)
{
    CString text = "Y";
    for (int i = 0; i < 20; ++i)
        text = "(" + text + "+1)";
    text += "=X";
    const Outcome outcome = Rearrange(text);
    EXPECT_TRUE(outcome.solved);
    EXPECT_EQ(outcome.tokens, " y=(-20+x) ");

    int opened = 0;
    try {
        std::vector<std::unique_ptr<ASDepthGuard>> guards;
        for (int i = 0; i < ASDepthGuard::Limit + 1; ++i) {
            guards.push_back(std::make_unique<ASDepthGuard>());
            ++opened;
        }
        ADD_FAILURE() << "no limit";
    } catch (const ASLimitException& error) {
        EXPECT_EQ(error.GetReason(), ASLimitException::Reason::Depth);
    }
    EXPECT_EQ(opened, ASDepthGuard::Limit);
    EXPECT_EQ(ASDepthGuard::Depth(), 0);
}

TEST_F(ASRelationTest, SettingUpTheRelation)
{
    ASRelation relation;
    // Two tokens: false without an exception.
    ASTokenList two;
    two.Append(ASKind::Y);
    two.Append(ASKind::Equals);
    EXPECT_FALSE(relation.SetFromTokens(two));
    EXPECT_EQ(relation.m_tokens.GetCount(), 0);
    // No relation sign.
    EXPECT_THROW(relation.SetFromTokens(astest::Tokens("X+Y+1")), ASNoRelationException);
    try {
        relation.SetFromTokens(astest::Tokens("X+Y+1"));
    } catch (const ASNoRelationException& error) {
        EXPECT_EQ(error.m_position, -1);
        EXPECT_TRUE(error.m_text.IsEmpty());
    }
    // A function on the left keeps no tokens.
    EXPECT_FALSE(relation.SetFromTokens(astest::Tokens("SIN(Y)=X")));
    EXPECT_EQ(relation.m_tokens.GetCount(), 0);

    // The three-token form.
    ASSERT_TRUE(relation.SetFromTokens(astest::Tokens("X+1=Y-X")));
    ASSERT_EQ(relation.m_tokens.GetCount(), 3);
    EXPECT_EQ(relation.RelationKind(), ASKind::Equals);
    ASSERT_NE(relation.Left(), nullptr);
    EXPECT_EQ(Compact(relation.Left()->ToString()), "(+1x+1)");
    EXPECT_EQ(Compact(relation.Right()->ToString()), "(+1y-1x)");
    // A second relation sign ends up on the right, which then has no quotient form; such a
    // relation is never rearranged, even when asked.
    EXPECT_FALSE(relation.SetFromTokens(astest::Tokens("X=Y=1")));
    ASRestrictionList restrictions;
    EXPECT_FALSE(relation.RearrangeForY(restrictions));
    EXPECT_FALSE(relation.SetFromTokens(astest::Tokens("Y^(0.3)=X")));
    EXPECT_FALSE(relation.RearrangeForY(restrictions));
    EXPECT_TRUE(restrictions.empty());

    // Difference leaves the relation alone.
    ASSERT_TRUE(relation.SetFromTokens(astest::Tokens("X+1=Y-X")));
    EXPECT_EQ(Compact(relation.Difference().ToString()), "(+2x+1-1y)");
    EXPECT_EQ(Compact(relation.Text()), "(+1x+1)=(+1y-1x)");
}

TEST_F(ASRelationTest, ClearingDenominatorsRecordsThem)
{
    ASRelation relation;
    ASSERT_TRUE(relation.SetFromTokens(astest::Tokens("1/X=Y/(X-1)")));
    ASRestrictionList restrictions;
    EXPECT_TRUE(relation.ClearDenominators(restrictions));
    ASSERT_EQ(restrictions.size(), 2u);
    EXPECT_EQ(Compact(restrictions.front().node->ToString()), "(+1x)");
    EXPECT_EQ(Compact(restrictions.back().node->ToString()), "(+1x-1)");
    EXPECT_EQ(Compact(relation.Text()), "(+1x-1)=(+1xy)");
}

TEST_F(ASRelationTest, Mirroring)
{
    struct Row
    {
        const char* text;
        int mirrored;
    };
    const Row rows[] = {{"X<Y", ASKind::Greater},
                        {"X>Y", ASKind::Less},
                        {"X\xA3Y", ASKind::GreaterEqual},
                        {"X\xB3Y", ASKind::LessEqual}};
    for (const Row& row : rows) {
        ASRelation relation;
        ASSERT_TRUE(relation.SetFromTokens(astest::Tokens(row.text)));
        EXPECT_EQ(relation.MirrorRelation(), row.mirrored);
        EXPECT_EQ(relation.RelationKind(), row.mirrored);
    }
    ASRelation equation;
    ASSERT_TRUE(equation.SetFromTokens(astest::Tokens("X=Y")));
    EXPECT_THROW(equation.MirrorRelation(), ASUnclassifiedException);
    ASRelation less;
    ASSERT_TRUE(less.SetFromTokens(astest::Tokens("X<Y")));
    less.MirrorRelation();
    EXPECT_EQ(Compact(less.Text()), "(+1x)>(+1y)");
}
