#include "engine/ASNodePool.h"
#include "engine/ASQuotient.h"
#include "engine/ASRational.h"
#include "engine/ASTerm.h"
#include "engine/ASTokenList.h"

#include <gtest/gtest.h>

namespace {

class ASTokenListTest : public testing::Test
{
protected:
    void SetUp() override { ASNodePool::Global().DeleteAll(); }
    void TearDown() override { ASNodePool::Global().DeleteAll(); }
};

} // namespace

TEST_F(ASTokenListTest, PrintedForms)
{
    struct Row
    {
        ASToken token;
        const char* text;
    };
    const Row rows[] = {
        {ASToken(ASKind::Number, 2.0), "+2"},
        {ASToken(ASKind::Number, 0.0), "0"},
        {ASToken(ASKind::Number, -0.5), "-0.5"},
        {ASToken(ASKind::Number, 123456789.0), "+1.2345679e+08"},
        {ASToken(ASKind::X), "x"},
        {ASToken(ASKind::Theta), "th"},
        {ASToken(ASKind::NoName), ""},
        {ASToken(ASKind::M), ""},
        {ASToken(ASKind::Divide), "\\"},
        {ASToken(ASKind::ArcTan), "tan-1"},
        {ASToken(ASKind::GreaterEqual), ">="},
        {ASToken(ASKind::Deleted), "&"},
        {ASToken(ASKind::OpenGuillemet), "\xAB"},
        {ASToken(ASKind::PlusMinus), "\xB1"},
        {ASToken(ASKind::NotEqual), ""},
        {ASToken(ASKind::Node), ""}, // no node
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.token.ToString(), row.text) << row.token.m_kind;

    ASRational half(1, 2);
    EXPECT_EQ(ASToken(ASKind::Node, 0.0, &half).ToString(), "+1/2");
}

TEST_F(ASTokenListTest, ListTextIsFramedByBlanks)
{
    ASTokenList list;
    list.Append(ASKind::X);
    list.Append(ASKind::Plus);
    list.Append(ASKind::Number, 3.0);
    EXPECT_EQ(list.ToString(""), " x++3 ");
    EXPECT_EQ(list.ToString("|"), " |x++3| ");
    list.RefreshText();
    EXPECT_EQ(list.m_text, " x++3 ");
}

TEST_F(ASTokenListTest, AssignClonesEveryNodeReference)
{
    auto* half = ASNew<ASRational>();
    half->Set(1, 2);
    ASTokenList list;
    list.Append(ASKind::Node, 0.0, half);
    list.Append(ASKind::Plus);
    list.Append(ASKind::Node, 0.0, half);

    ASTokenList copy;
    copy.Assign(list);
    ASSERT_EQ(copy.GetCount(), 3);
    EXPECT_NE(copy.NodeAt(0), half);
    EXPECT_NE(copy.NodeAt(2), half);
    EXPECT_NE(copy.NodeAt(0), copy.NodeAt(2));
    EXPECT_EQ(copy.ToString(""), list.ToString(""));

    // The copy constructor shares instead.
    ASTokenList shared(list);
    EXPECT_EQ(shared.NodeAt(0), half);
}

TEST_F(ASTokenListTest, AppendsAndInsertionsStopAtTheCapacity)
{
    // A list of a typed equation holds the tokens of 255 characters, five to a character.
    EXPECT_EQ(ASTokenList().Capacity(), 1280);
    ASTokenList list(ASTokenList::AlgebraCapacity);
    for (int i = 0; i < ASTokenList::AlgebraCapacity; ++i)
        ASSERT_TRUE(list.Append(ASKind::Number, i));
    EXPECT_FALSE(list.Overflowed());
    EXPECT_FALSE(list.Append(ASKind::X));
    EXPECT_FALSE(list.AppendCopy(ASToken(ASKind::Y)));
    EXPECT_FALSE(list.InsertKindAt(ASKind::Plus, 0));
    EXPECT_TRUE(list.Overflowed());
    // Nothing was written or shifted out: the last token is still the 99th number.
    ASSERT_EQ(list.GetCount(), 100);
    EXPECT_EQ(list.ValueAt(0), 0.0);
    EXPECT_EQ(list.ValueAt(99), 99.0);
    list.Clear();
    EXPECT_FALSE(list.Overflowed());
    EXPECT_EQ(list.GetCount(), 0);

    ASTokenList working(ASTokenList::WorkingCapacity);
    for (int i = 0; i < 250; ++i)
        ASSERT_TRUE(working.Append(ASKind::X));
    EXPECT_FALSE(working.Append(ASKind::X));
    ASTokenList small(ASTokenList::AlgebraCapacity);
    EXPECT_ANY_THROW(small.Assign(working)); // 250 tokens do not fit 100
}

TEST_F(ASTokenListTest, InsertShiftsTheRestUp)
{
    ASTokenList list;
    list.Append(ASKind::X);
    list.Append(ASKind::Y);
    EXPECT_TRUE(list.InsertKindAt(ASKind::Plus, 1));
    EXPECT_TRUE(list.InsertAt(ASToken(ASKind::Number, 4.0), 3));
    EXPECT_FALSE(list.InsertKindAt(ASKind::Plus, 9)); // beyond the count
    EXPECT_EQ(list.ToString(""), " x+y+4 ");
}

TEST_F(ASTokenListTest, AppendToExpandsNodes)
{
    ASTerm term;
    term.SetFromText("2x");
    ASTokenList list;
    list.Append(ASKind::Open);
    list.Append(ASKind::Node, 0.0, &term);
    list.Append(ASKind::Close);
    ASTokenList out;
    EXPECT_EQ(list.AppendTo(out), 3);
    EXPECT_EQ(out.ToString(""), " (+2*x) ");
}

TEST_F(ASTokenListTest, EvaluatorHelpers)
{
    ASTokenList list;
    for (int kind :
         {ASKind::Y, ASKind::Greater, ASKind::X, ASKind::Plus, ASKind::X, ASKind::LessEqual, ASKind::Equals})
        list.Append(kind);
    list.Append(ASKind::Number, 2.5);
    EXPECT_EQ(list.ValueAt(7), 2.5);
    EXPECT_EQ(list.ValueAt(8), 0.0);
    EXPECT_EQ(list.ValueAt(-1), 0.0);
    EXPECT_EQ(list.FindKind(ASKind::X), 2);
    EXPECT_EQ(list.FindKind(ASKind::Sin), -1);
    EXPECT_EQ(list.FirstInequality(), 1);
    EXPECT_EQ(list.CountInequalities(), 2);
    EXPECT_EQ(list.CountRelations(), 3);
    EXPECT_EQ(list.VariableForm(), -1);

    const ASTokenList sub = list.SubList(2, 4);
    EXPECT_EQ(sub.ToString(""), " x+x ");
    EXPECT_EQ(list.SubList(3, 2).GetCount(), 0);
    EXPECT_EQ(list.SubList(-1, 2).GetCount(), 0);
    EXPECT_EQ(list.SubList(0, 9).GetCount(), 0);
    EXPECT_EQ(list.SubList(6, 8).GetCount(), 2); // the end index may equal the count

    EXPECT_EQ(list.ReplaceKind(ASKind::X, ASKind::Y), 2);
    EXPECT_EQ(list.FindKind(ASKind::X), -1);

    struct FormRow
    {
        std::initializer_list<int> kinds;
        int form;
    };
    const FormRow forms[] = {{{ASKind::X, ASKind::Plus, ASKind::X}, 1},
                             {{ASKind::Y}, 2},
                             {{ASKind::NoName}, 3},
                             {{ASKind::T, ASKind::A}, 5},
                             {{ASKind::Theta}, 6},
                             {{ASKind::Number, ASKind::R}, 0},
                             {{ASKind::X, ASKind::T}, -1}};
    for (const FormRow& row : forms) {
        ASTokenList kinds;
        for (int kind : row.kinds)
            kinds.Append(kind);
        EXPECT_EQ(kinds.VariableForm(), row.form);
    }
}

TEST_F(ASTokenListTest, PoolRecordsEachNodeOnceAndEmptiesTwiceSafely)
{
    ASNodePool& pool = ASNodePool::Global();
    EXPECT_EQ(pool.GetCount(), 0);
    pool.DeleteAll();
    EXPECT_EQ(pool.GetCount(), 0);

    ASRoot* rational = pool.Create(ASNodeKind::Rational);
    EXPECT_EQ(pool.GetCount(), 1);
    ASRoot* clone = pool.Clone(rational);
    EXPECT_EQ(pool.GetCount(), 2);
    EXPECT_NE(clone, rational);
    EXPECT_EQ(pool.Create(static_cast<ASNodeKind>(3)), nullptr);
    EXPECT_EQ(pool.Clone(nullptr), nullptr);
    EXPECT_EQ(pool.GetCount(), 2);

    // A cloned quotient is deep: its terms are new nodes too.
    auto* quotient = ASNew<ASQuotient>();
    for (const char* text : {"x", "2y", "3"}) {
        ASTerm term;
        term.SetFromText(text);
        quotient->AddTerm(term);
    }
    auto* copy = ASCloneNode(quotient);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NE(copy->NumeratorTokens().NodeAt(i), quotient->NumeratorTokens().NodeAt(i));
        EXPECT_TRUE(ASNodeAs<ASTerm>(copy->NumeratorTokens().NodeAt(i))
                        ->Equals(*ASNodeAs<ASTerm>(quotient->NumeratorTokens().NodeAt(i))));
    }
    EXPECT_EQ(copy->ToString(), quotient->ToString());
    pool.DeleteAll();
    pool.DeleteAll();
    EXPECT_EQ(pool.GetCount(), 0);
}
