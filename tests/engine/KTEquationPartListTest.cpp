#include "engine/KTEquationPartList.h"

#include <gtest/gtest.h>

namespace {

KTEquationPartList SampleList()
{
    KTEquationPartList list;
    list.AddPart("y=x", "y = x", KTPartOther);
    list.AddPart("[0,1]", "[0, 1]", KTPartDomain);
    list.AddPart("y=2*x", "y = 2x", KTPartOther);
    list.AddPart("y=-1*x", "y = -x", KTPartExecute1);
    list.AddPart("(1,2)", "(1, 2)", KTPartDomain);
    return list;
}

} // namespace

TEST(KTEquationPartKind, LabelsAreTheDescriptionPrefixes)
{
    const char* expected[] = {"Unclassified: ", "Operation: ", "Domain: ", "Vector: ",   "Domain OR Point: ",
                              "Confused: ",     "Other: ",     "Point: ",  "Execute1: ", "Execute2: "};
    for (int kind = 0; kind < KTEquationPartKindCount; ++kind)
        EXPECT_STREQ(KTEquationPartKindLabel(kind), expected[kind]) << kind;
    EXPECT_STREQ(KTEquationPartKindLabel(-1), "Unclassified: ");
    EXPECT_STREQ(KTEquationPartKindLabel(10), "Unclassified: ");
}

TEST(KTEquationPart, NewPartIsEmptyAndCopiesKeepAllFields)
{
    const KTEquationPart empty;
    EXPECT_EQ(empty.Kind(), 0);
    EXPECT_TRUE(empty.Text().IsEmpty());
    EXPECT_TRUE(empty.SecondText().IsEmpty());
    EXPECT_TRUE(empty.IsEmpty());

    KTEquationPart part;
    part.Set("y=x", "y = x", KTPartExecute1);
    KTEquationPart copy(part);
    EXPECT_EQ(copy, part);
    KTEquationPart assigned;
    assigned = part;
    EXPECT_EQ(assigned.Kind(), 8);
    EXPECT_EQ(assigned.Text(), "y=x");
    EXPECT_EQ(assigned.SecondText(), "y = x");
}

TEST(KTEquationPartList, StartsEmptyWithErrorStatus)
{
    const KTEquationPartList list;
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetStatus(), KTStatusError);
    EXPECT_TRUE(list.GetMessage().IsEmpty());
    EXPECT_TRUE(list.GetDescription().IsEmpty());
    EXPECT_EQ(list.m_polar + list.m_inverse + list.m_parametricX + list.m_parametricY, 0);
}

TEST(KTEquationPartList, FindPartCountsFromOneWithinTheKind)
{
    const KTEquationPartList list = SampleList();
    struct Row
    {
        int kind;
        int n;
        const char* text; // nullptr: the empty part
    };
    const Row rows[] = {
        {KTPartOther, 1, "y=x"},
        {KTPartOther, 2, "y=2*x"},
        {KTPartOther, 3, nullptr},
        {KTPartDomain, 1, "[0,1]"},
        {KTPartDomain, 2, "(1,2)"},
        {KTPartExecute1, 1, "y=-1*x"},
        {KTPartExecute1, 0, nullptr},
        {KTPartExecute1, -1, nullptr},
        {KTPartExecute2, 1, nullptr},
        {99, 1, nullptr},
        {-1, 1, nullptr},
    };
    for (const Row& row : rows) {
        const KTEquationPart part = list.FindPart(row.kind, row.n);
        if (row.text) {
            EXPECT_EQ(part.Kind(), row.kind) << row.kind << "/" << row.n;
            EXPECT_EQ(part.Text(), row.text) << row.kind << "/" << row.n;
        } else {
            EXPECT_TRUE(part.IsEmpty()) << row.kind << "/" << row.n;
        }
    }
    EXPECT_EQ(list.FindPart(KTPartExecute1, 1).SecondText(), "y = -x");

    EXPECT_EQ(list.CountParts(KTPartOther), 2);
    EXPECT_EQ(list.CountParts(KTPartDomain), 2);
    EXPECT_EQ(list.CountParts(KTPartExecute1), 1);
    EXPECT_EQ(list.CountParts(KTPartVector), 0);
    // Invariant: every counted part is found, and the next one is not.
    for (int kind = 0; kind < KTEquationPartKindCount; ++kind) {
        const int count = list.CountParts(kind);
        for (int n = 1; n <= count; ++n)
            EXPECT_EQ(list.FindPart(kind, n).Kind(), kind);
        EXPECT_TRUE(list.FindPart(kind, count + 1).IsEmpty());
    }
}

TEST(KTEquationPartList, AtIsBoundsChecked)
{
    KTEquationPartList list = SampleList();
    EXPECT_EQ(list.At(0).Text(), "y=x");
    EXPECT_EQ(list.At(4).Text(), "(1,2)");
    EXPECT_TRUE(list.At(5).IsEmpty());
    EXPECT_TRUE(list.At(-1).IsEmpty());
    EXPECT_TRUE(list.SetKindAt(4, KTPartPoint));
    EXPECT_EQ(list.At(4).Kind(), KTPartPoint);
    EXPECT_FALSE(list.SetKindAt(5, KTPartPoint));
    EXPECT_FALSE(list.SetKindAt(-1, KTPartPoint));
}

TEST(KTEquationPartList, DescriptionListsEveryPart)
{
    KTEquationPartList list;
    list.AddPart("y=x^2", "y = x^2", KTPartExecute1);
    list.AddPart("[0,2]", "[0, 2]", KTPartDomain);
    EXPECT_EQ(list.GetDescription(), "Execute1: y=x^2 & Domain: [0,2] & ");
    EXPECT_TRUE(list.SetKindAt(1, KTPartDomainOrPoint));
    EXPECT_EQ(list.GetDescription(), "Execute1: y=x^2 & Domain OR Point: [0,2] & ");
}

TEST(KTEquationPartList, EmptyTextAddsNothingButRebuildsTheDescription)
{
    KTEquationPartList list;
    list.AddPart("y=x", "y = x", KTPartOther);
    list.SetKindAt(0, KTPartExecute1);
    list.AddPart(KTEquationPart("[1,2]", "", KTPartDomain)); // the part form adds whatever it gets
    EXPECT_EQ(list.GetCount(), 2);

    list.AddPart("", "typed", KTPartDomain);
    EXPECT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.GetDescription(), "Execute1: y=x & Domain: [1,2] & ");

    list.AddPart(KTEquationPart());
    EXPECT_EQ(list.GetCount(), 3);
    EXPECT_EQ(list.GetDescription(), "Execute1: y=x & Domain: [1,2] & Unclassified:  & ");
}

TEST(KTEquationPartList, AssignmentDropsEmptyPartsAndCopiesTheOutcome)
{
    KTEquationPartList source;
    source.AddPart("y=x", "y = x", KTPartExecute1);
    source.AddPart(KTEquationPart("", "lost", KTPartDomain));
    source.AddPart("(0,1)", "(0, 1)", KTPartDomain);
    source.SetStatus(KTStatusParametric);
    source.SetMessage("a message");
    source.m_polar = 1;
    source.m_inverse = 1;
    source.m_parametricX = 1;
    source.m_parametricY = 0;

    KTEquationPartList target = SampleList();
    target.m_parametricY = 1;
    target = source;
    ASSERT_EQ(target.GetCount(), 2);
    EXPECT_EQ(target.At(0).Text(), "y=x");
    EXPECT_EQ(target.At(1).Text(), "(0,1)");
    EXPECT_EQ(target.GetStatus(), KTStatusParametric);
    EXPECT_EQ(target.GetMessage(), "a message");
    // The description is copied, not rebuilt: it still names the dropped part.
    EXPECT_EQ(target.GetDescription(), source.GetDescription());
    EXPECT_EQ(target.m_polar, 1);
    EXPECT_EQ(target.m_inverse, 1);
    EXPECT_EQ(target.m_parametricX, 1);
    EXPECT_EQ(target.m_parametricY, 0);

    const KTEquationPartList constructed(source);
    EXPECT_EQ(constructed.GetCount(), 2);
    EXPECT_EQ(constructed.GetStatus(), KTStatusParametric);

    target = target; // self-assignment keeps everything
    EXPECT_EQ(target.GetCount(), 2);
}

TEST(KTEquationPartList, LatchedErrorKeepsStatusAndFirstMessage)
{
    KTEquationPartList list;
    list.SetStatus(KTStatusRearrange);
    list.LatchError("Too many domains");
    EXPECT_EQ(list.GetStatus(), KTStatusError);
    list.SetStatus(KTStatusExplicit); // a later step of the same run
    EXPECT_EQ(list.GetStatus(), KTStatusError);
    list.LatchError("Not a valid domain");
    EXPECT_EQ(list.GetMessage(), "Too many domains");
    EXPECT_TRUE(list.IsErrorLatched());

    // A copy carries the latch with the outcome.
    KTEquationPartList copy;
    copy = list;
    copy.SetStatus(KTStatusExplicit);
    EXPECT_EQ(copy.GetStatus(), KTStatusError);

    list.Reset();
    EXPECT_FALSE(list.IsErrorLatched());
    EXPECT_TRUE(list.GetMessage().IsEmpty());
    EXPECT_EQ(list.GetStatus(), KTStatusError);
    list.SetStatus(KTStatusExplicit);
    EXPECT_EQ(list.GetStatus(), KTStatusExplicit);
}

TEST(KTEquationPartList, UnlatchedErrorIsResetByALaterStep)
{
    // One-variable equations are marked as errors by the variable check and reset afterwards
    // when the leading relation is read; that flow must keep working.
    KTEquationPartList list;
    list.SetStatus(KTStatusError);
    list.SetMessage("Invalid combination of variables");
    list.SetStatus(KTStatusExplicit);
    EXPECT_EQ(list.GetStatus(), KTStatusExplicit);
}

TEST(KTEquationPartList, RemoveAllKeepsTheOutcomeResetClearsIt)
{
    KTEquationPartList list = SampleList();
    list.SetStatus(KTStatusImplicit);
    list.SetMessage("m");
    list.m_polar = 1;
    list.RemoveAll();
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_TRUE(list.GetDescription().IsEmpty());
    EXPECT_EQ(list.GetStatus(), KTStatusImplicit);
    EXPECT_EQ(list.GetMessage(), "m");
    EXPECT_EQ(list.m_polar, 1);

    list.Reset();
    EXPECT_EQ(list.GetStatus(), KTStatusError);
    EXPECT_TRUE(list.GetMessage().IsEmpty());
    EXPECT_EQ(list.m_polar, 0);
}
