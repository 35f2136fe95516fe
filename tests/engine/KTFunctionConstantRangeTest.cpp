#include "engine/KTFunctionConstantRanges.h"

#include "platform/KTArchive.h"
#include "support/KTArchiveBytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace kttest::bytes;

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
} // namespace

TEST(KTFunctionConstantRange, DefaultsAreNoFamily)
{
    const KTFunctionConstantRange range;
    EXPECT_EQ(range.m_from, 1.0);
    EXPECT_EQ(range.m_to, 1.0);
    EXPECT_EQ(range.m_step, 0.0);
    EXPECT_EQ(range.m_current, 1.0);
    EXPECT_FALSE(range.IsFamily());
    EXPECT_EQ(range.MemberCount(), 0);
    EXPECT_EQ(range.MemberValue(0), 1.0);
    EXPECT_EQ(range.ValueAfterFamily(), 1.0);
}

TEST(KTFunctionConstantRange, FamilyTest)
{
    struct Row
    {
        double from, to, step;
        bool family;
    };
    const Row rows[] = {
        {1, 1, 0, false},                       // the defaults
        {1, 3, 1, true},                        // two steps
        {1, 2, 1, false},                       // (to - from) / step must exceed 1
        {1, 2, 0.5, true},    {3, 1, 1, false}, // from above to
        {1, 3, 0, false},                       // a zero step would never reach the end
        {1, 3, -1, false},                      // nor would a negative one
        {1, 3, -0.0, false},  {1, 3, kNaN, false},   {1, 3, kInf, false},
        {kNaN, 3, 1, false},  {1, kNaN, 1, false},   {1, kInf, 1, false},
        {-kInf, 1, 1, false}, {0, 1, 1e-320, false}, // the quotient overflows
        {-2, 2, 1, true},
    };
    for (const Row& row : rows) {
        const KTFunctionConstantRange range(row.from, row.to, row.step, 0.0);
        EXPECT_EQ(range.IsFamily(), row.family) << row.from << " " << row.to << " " << row.step;
        if (!row.family) {
            EXPECT_EQ(range.MemberCount(), 0);
            // Stepping a non-family leaves nothing to loop over; the value stays usable.
            EXPECT_FALSE(std::isnan(range.ValueAfterFamily()) && !std::isnan(row.from));
        }
    }
}

TEST(KTFunctionConstantRange, MembersAreCountedAndValuedByIndex)
{
    struct Row
    {
        double from, to, step;
        int count;
        double last;
        double after;
    };
    const Row rows[] = {
        {-2, 2, 1, 5, 2, 3},
        {1, 3, 1, 3, 3, 4},
        {0, 0.3, 0.1, 4, 0.3, 0.4}, // 0.3 / 0.1 reads 2.9999999999999996
        {0, 1, 0.1, 11, 1.0, 1.1},
        {0.1, 0.7, 0.2, 4, 0.7, 0.9}, // 0.6 / 0.2 reads 2.9999999999999996
        {-1, 1, 0.05, 41, 1.0, 1.05},
        {0, 2.5, 1, 3, 2, 3},          // "to" between members: the last member lies below it
        {0, 999, 1, 1000, 999, 1000},  // exactly the largest family
        {0, 1000, 1, 1000, 999, 1001}, // 1001 members are cut to 1000
        {0, 1e6, 1e-3, 1000, 0.999, 1e6 + 1e-3},
    };
    for (const Row& row : rows) {
        const KTFunctionConstantRange range(row.from, row.to, row.step, 7.0);
        SCOPED_TRACE(testing::Message() << row.from << ".." << row.to << " by " << row.step);
        ASSERT_TRUE(range.IsFamily());
        ASSERT_EQ(range.MemberCount(), row.count);
        EXPECT_EQ(range.MemberValue(0), row.from);
        EXPECT_NEAR(range.MemberValue(row.count - 1), row.last, 1e-12 * std::max(1.0, std::fabs(row.last)));
        EXPECT_NEAR(range.ValueAfterFamily(), row.after, 1e-9 * std::max(1.0, std::fabs(row.after)));
        // After the loop the value is the first step above "to", as drawing leaves it.
        EXPECT_GT(range.ValueAfterFamily(), row.to);
    }
}

TEST(KTFunctionConstantRange, LastMemberLandingOnToIsExactlyTo)
{
    // from + 3 * 0.1 is 0.30000000000000004: the member is "to" itself, not past it.
    const KTFunctionConstantRange range(0, 0.3, 0.1, 0);
    EXPECT_EQ(range.MemberValue(3), 0.3);
    const KTFunctionConstantRange tenths(0, 1, 0.1, 0);
    EXPECT_EQ(tenths.MemberValue(10), 1.0);
    EXPECT_EQ(tenths.MemberValue(3), 0.1 * 3); // members come from their index, not a running sum
}

TEST(KTFunctionConstantRange, MemberIndexIsClamped)
{
    const KTFunctionConstantRange range(-2, 2, 1, 0);
    EXPECT_EQ(range.MemberValue(-5), -2.0);
    EXPECT_EQ(range.MemberValue(4), 2.0);
    EXPECT_EQ(range.MemberValue(100), 2.0);
}

TEST(KTFunctionConstantRange, MembersRiseAndStayWithinTheRange)
{
    const double steps[] = {0.1, 0.2, 0.3, 0.25, 0.7, 1.0 / 3.0, 0.01, 1e-3};
    const double ends[][2] = {{-1, 1}, {0, 0.9}, {-3.3, 4.7}, {0.5, 0.8}, {100, 101}};
    for (double step : steps)
        for (const auto& end : ends) {
            const KTFunctionConstantRange range(end[0], end[1], step, 0);
            if (!range.IsFamily())
                continue;
            const int count = range.MemberCount();
            for (int k = 1; k < count; ++k) {
                EXPECT_GT(range.MemberValue(k), range.MemberValue(k - 1));
                EXPECT_LE(range.MemberValue(k), end[1]);
            }
            // No member is lost at the top: one more step would pass "to" (beyond rounding).
            if (count < KTFunctionConstantRange::MaxMembers) {
                EXPECT_GT(range.MemberValue(count - 1) + step, end[1] - 1e-9 * step)
                    << end[0] << ".." << end[1] << " by " << step;
            }
        }
}

TEST(KTFunctionConstantRange, SteppingLikeTheFamilyDrawLeavesFirstStepAboveTo)
{
    KTFunctionConstantRange range(-2, 2, 1, 0);
    std::vector<double> drawn;
    for (int k = 0; k < range.MemberCount(); ++k) {
        range.m_current = range.MemberValue(k);
        drawn.push_back(range.m_current);
    }
    range.m_current = range.ValueAfterFamily();
    EXPECT_EQ(drawn, (std::vector<double>{-2, -1, 0, 1, 2}));
    EXPECT_EQ(range.m_current, 3.0);
}

TEST(KTFunctionConstantRange, ArchiveFormIsFourRawDoubles)
{
    KTFunctionConstantRange range(-2.5, 4.0, 0.5, 1.25);
    KTArchive out;
    range.Serialize(out);
    EXPECT_EQ(out.Data(), Join({F64(-2.5), F64(4.0), F64(0.5), F64(1.25)}));

    KTFunctionConstantRange back;
    KTArchive in(out.Data());
    back.Serialize(in);
    EXPECT_TRUE(in.AtEnd());
    EXPECT_EQ(back, range);

    // A short archive throws and changes nothing.
    Bytes shortData = out.Data();
    shortData.resize(31);
    KTFunctionConstantRange kept;
    KTArchive truncated(shortData);
    EXPECT_THROW(kept.Serialize(truncated), KTArchiveException);
    EXPECT_EQ(kept, KTFunctionConstantRange());
}

TEST(KTFunctionConstantRanges, FiveRangesInOrder)
{
    KTFunctionConstantRanges ranges;
    for (int i = 0; i < KTFunctionConstantRanges::Count; ++i)
        *ranges.At(i) = KTFunctionConstantRange(i, i + 10, 0.5 * (i + 1), 100 + i);
    KTArchive out;
    ranges.Serialize(out);
    ASSERT_EQ(out.Data().size(), 160u);
    Bytes expected;
    for (int i = 0; i < 5; ++i)
        Append(expected, Join({F64(i), F64(i + 10), F64(0.5 * (i + 1)), F64(100 + i)}));
    EXPECT_EQ(out.Data(), expected);

    KTFunctionConstantRanges back;
    KTArchive in(out.Data());
    back.Serialize(in);
    EXPECT_EQ(back, ranges);

    Bytes shortData = out.Data();
    shortData.resize(159);
    KTFunctionConstantRanges kept;
    KTArchive truncated(shortData);
    EXPECT_THROW(kept.Serialize(truncated), KTArchiveException);
    EXPECT_EQ(kept, KTFunctionConstantRanges());
}

TEST(KTFunctionConstantRanges, AccessIsBoundsCheckedAndFirstFamilyWins)
{
    KTFunctionConstantRanges ranges;
    EXPECT_EQ(ranges.At(-1), nullptr);
    EXPECT_EQ(ranges.At(5), nullptr);
    EXPECT_EQ(ranges.Current(5), 0.0);
    EXPECT_EQ(ranges.Current(KTConstantM), 1.0);
    EXPECT_EQ(ranges.FirstFamily(), -1);

    *ranges.At(KTConstantD) = KTFunctionConstantRange(0, 5, 1, 0);
    *ranges.At(KTConstantB) = KTFunctionConstantRange(0, 5, 1, 0);
    EXPECT_EQ(ranges.FirstFamily(), KTConstantB);
    ranges.At(KTConstantB)->m_step = 0; // a zero step is no family
    EXPECT_EQ(ranges.FirstFamily(), KTConstantD);

    KTFunctionConstantRanges copy;
    copy.CopyFrom(ranges);
    EXPECT_EQ(copy, ranges);
}
