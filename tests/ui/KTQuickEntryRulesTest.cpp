// The Quick Entry dialog's arithmetic: splitting the typed text, the automatic range and step
// rule, the min snapping and the scroll bars' set-up.

#include "ui/KTQuickEntry.h"

#include "foundation/KTNumberTexts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <vector>

namespace {

using Texts = std::array<CString, KTQuickEntry::FunctionCount>;

Texts Make(std::initializer_list<const char*> first)
{
    Texts texts;
    std::size_t i = 0;
    for (const char* text : first)
        texts[i++] = text;
    return texts;
}

TEST(KTQuickEntryRules, SplitText)
{
    const struct
    {
        const char* typed;
        Texts expected;
        std::vector<int> leftOut;
    } rows[] = {
        {"", Texts{}, {}},
        {"y = x^2", Make({"y = x^2"}), {}},
        {"y=x\r\nx^2+y^2=9", Make({"y=x", "x^2+y^2=9"}), {}},
        {"Y = Sin(X)\r\nR = 2TH", Make({"y = sin(x)", "r = 2th"}), {}},
        {"a\r\n\r\nb\r\n", Make({"a", "", "b", ""}), {}},
        {"a\nb\rc", Make({"a", "b", "c"}), {}},
        // Twelve lines with text: the graph holds ten, and no line is free for the last two.
        {"1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n12",
         Make({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}),
         {10, 11}},
        {"1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n",
         Make({"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}),
         {}},
        {"\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n", Texts{}, {}},
        // Lines past the tenth take the free functions in order; the others keep their places.
        {"y=x\n\n\n\n\n\n\n\n\n\ny=2x", Make({"y=x", "y=2x"}), {}},
        {"a\n\nb\n\n\n\n\n\n\n\nc\n\nd", Make({"a", "c", "b", "d"}), {}},
        {"a\n  \nb\n\n\n\n\n\n\n\n \nc", Make({"a", "c", "b"}), {}},
        {"1\n2\n3\n4\n5\n6\n7\n8\n9\n\n11\n12\n13",
         Make({"1", "2", "3", "4", "5", "6", "7", "8", "9", "11"}),
         {11, 12}},
    };
    for (const auto& row : rows) {
        const KTQuickEntry::LinePlacement placement = KTQuickEntry::PlaceLines(row.typed);
        EXPECT_EQ(placement.texts, row.expected) << row.typed;
        EXPECT_EQ(KTQuickEntry::SplitText(row.typed), row.expected) << row.typed;
        EXPECT_EQ(placement.leftOut, row.leftOut) << row.typed;
        // Every line with text is in its function or left out, never both, never lost.
        ASSERT_EQ(placement.lines.size(), placement.functionOf.size());
        for (std::size_t line = 0; line < placement.lines.size(); ++line) {
            const int function = placement.functionOf[line];
            const bool left = std::find(placement.leftOut.begin(), placement.leftOut.end(),
                                        static_cast<int>(line)) != placement.leftOut.end();
            if (CString(placement.lines[line]).Trim().IsEmpty()) {
                EXPECT_FALSE(left);
                continue;
            }
            EXPECT_NE(function >= 0, left) << row.typed << " line " << line;
            if (function >= 0) {
                EXPECT_EQ(placement.texts[static_cast<std::size_t>(function)], placement.lines[line]);
            }
        }
    }
}

TEST(KTQuickEntryRules, JoinAlwaysGivesTenLinesAndSplitsBack)
{
    EXPECT_EQ(KTQuickEntry::JoinTexts(Texts{}), "\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n");
    const Texts samples[] = {
        Texts{},
        Make({"y = x^2", "", "x^2 + y^2 = 9"}),
        Make({"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"}),
        Make({"", "", "", "", "", "", "", "", "", "y > 2x; [0, 1]"}),
    };
    for (const Texts& texts : samples) {
        const CString joined = KTQuickEntry::JoinTexts(texts);
        EXPECT_EQ(KTQuickEntry::SplitText(joined), texts) << joined.c_str();
        EXPECT_EQ(KTQuickEntry::JoinTexts(KTQuickEntry::SplitText(joined)), joined);
    }
}

TEST(KTQuickEntryRules, RangeRule)
{
    const struct
    {
        const char* max;
        const char* min;
        double fraction;
        bool fromBar;
        const char* newMin;
        const char* major;
        const char* minor;
    } rows[] = {
        // The origin keeps its place: min = max - max / fraction.
        {"10", "-10", 0.5, false, "-10", "5", "1"},
        {"360", "-10", 0.5, false, "-360", "180", "60"},
        {"90", "-10", 0.5, false, "-90", "30", "10"},
        {"100", "-10", 1.0, false, "0", "20", "5"},
        {"3pi", "-10", 0.5, false, "-3pi", "pi", "pi/3"},
        {"2pi", "-2pi", 0.5, false, "-2pi", "pi", "pi/3"},
        {"20", "-20", 0.75, false, "-6", "5", "1"},
        // A max set by a scroll bar keeps the min as it is, snapped to the new minor step.
        {"9", "-11", 0.5, true, "-11", "5", "1"},
        {"11", "-9", 0.5, true, "-9", "5", "1"},
        // A fraction of 0 keeps the min too; a min above 0 snaps to "0".
        {"10", "5", 0.0, false, "0", "1", "0.2"},
        {"100", "-3", 0.0, false, "0", "20", "5"},
        // 1-2-5 steps also for a maximum that is no degree maximum.
        {"100", "-100", 0.5, false, "-100", "50", "10"},
        {"1", "-1", 0.5, false, "-1", "0.5", "0.1"},
    };
    for (const auto& row : rows) {
        const KTQuickEntry::RangeRule rule =
            KTQuickEntry::ApplyRangeRule(row.max, row.min, row.fraction, row.fromBar);
        EXPECT_TRUE(rule.changed) << row.max;
        EXPECT_EQ(rule.minText, row.newMin) << row.max << " " << row.min;
        EXPECT_EQ(rule.majorText, row.major) << row.max << " " << row.min;
        EXPECT_EQ(rule.minorText, row.minor) << row.max << " " << row.min;
    }
}

TEST(KTQuickEntryRules, MaxOfZeroChangesNothing)
{
    for (const char* max : {"0", "-0", "0/5", "0pi"}) {
        const KTQuickEntry::RangeRule rule = KTQuickEntry::ApplyRangeRule(max, "-10", 0.5, false);
        EXPECT_FALSE(rule.changed) << max;
    }
}

// A max of 1e20 once counted its min down one step at a time: it must come back at once.
TEST(KTQuickEntryRules, HugeMaxFinishesAtOnce)
{
    const auto start = std::chrono::steady_clock::now();
    const KTQuickEntry::RangeRule rule =
        KTQuickEntry::ApplyRangeRule("100000000000000000000", "-10", 0.5, false);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    ASSERT_TRUE(rule.changed);
    EXPECT_EQ(rule.majorText, "10000000000000000000000000000000000000000000");
    EXPECT_EQ(rule.minorText, "5000000000");
    EXPECT_DOUBLE_EQ(EvaluateNumberText(rule.minText, nullptr), -1e20);
}

TEST(KTQuickEntryRules, SnapMinimum)
{
    const struct
    {
        double min;
        const char* step;
        const char* expected;
    } rows[] = {
        {-360, "60", "-360"},
        {-365, "60", "-360"},
        {-359, "60", "-300"},
        {-1, "1", "-1"},
        {-0.5, "1", "0"},
        {5, "1", "0"},
        {0, "1", "0"},
        {-10, "0", "0"},
        {-10, "-1", "0"},
        {-7, "pi/3", "-2pi"},
        {-3 * 3.141592654, "pi/3", "-3pi"},
        {-1.25, "0.5", "-1"},
        {-11, "1", "-11"},
        {std::numeric_limits<double>::quiet_NaN(), "1", "0"},
        {-std::numeric_limits<double>::infinity(), "1", "0"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(KTQuickEntry::SnapMinimum(row.min, row.step), row.expected) << row.min << " " << row.step;
}

// The one multiplication gives what counting the steps down one by one gives.
TEST(KTQuickEntryRules, SnapMinimumAgreesWithCountingDown)
{
    for (const char* step : {"1", "2", "5", "0.5", "pi/6", "pi/3", "60", "45"}) {
        const double s = EvaluateNumberText(step, nullptr);
        for (double min = -200.0; min <= 3.0; min += 0.37) {
            CString counted = "0";
            for (int k = -1; min <= k * s; --k)
                SubtractNumberText(counted, step);
            const CString snapped = KTQuickEntry::SnapMinimum(min, step);
            EXPECT_EQ(snapped, counted) << min << " " << step;
            const double value = EvaluateNumberText(snapped, nullptr);
            EXPECT_LE(value, 0.0);
            EXPECT_GE(value, std::min(min, 0.0) - 1e-9);
        }
    }
}

TEST(KTQuickEntryRules, ScrollBarSetUp)
{
    const struct
    {
        const char* max;
        const char* min;
        const char* minor;
        const char* major;
        bool horizontal;
        int maximum;
        int position;
    } rows[] = {
        {"10", "-10", "1", "2", true, 20, 10},
        {"10", "-10", "1", "2", false, 20, 10},
        {"10", "0", "1", "2", true, 10, 0},
        {"10", "0", "1", "2", false, 10, 10},
        {"0", "-10", "1", "2", true, 10, 10},
        {"10", "-10", "0", "5", true, 4, 2},
        {"10", "-10", "0", "0", true, 2, 1},
        {"2pi", "-2pi", "pi/6", "pi/2", true, 24, 12},
        // Counts beyond any bar are held, never overflowed.
        {"100000000000000000000", "-100000000000000000000", "1", "2", true, 1000000000, -1000000000},
        {"100000000000000000000", "-10", "1", "2", false, 1000000000, 1000000000},
    };
    for (const auto& row : rows) {
        const KTQuickEntry::BarSetup bar =
            KTQuickEntry::ComputeBar(row.max, row.min, row.minor, row.major, row.horizontal);
        EXPECT_EQ(bar.maximum, row.maximum) << row.max << " " << row.min;
        EXPECT_EQ(bar.position, row.position) << row.max << " " << row.min;
    }
}

TEST(KTQuickEntryRules, OriginFraction)
{
    EXPECT_DOUBLE_EQ(KTQuickEntry::OriginFraction(10, 0, 20, true), 0.5);
    EXPECT_DOUBLE_EQ(KTQuickEntry::OriginFraction(0, 0, 10, true), 1.0);
    EXPECT_DOUBLE_EQ(KTQuickEntry::OriginFraction(10, 0, 10, true), 0.0);
    EXPECT_DOUBLE_EQ(KTQuickEntry::OriginFraction(5, 0, 20, false), 0.25);
    // A bar without span divides by nothing.
    EXPECT_DOUBLE_EQ(KTQuickEntry::OriginFraction(0, 0, 0, true), 0.5);
    EXPECT_DOUBLE_EQ(KTQuickEntry::OriginFraction(0, 0, 0, false), 0.5);
    // Set up from the texts, the fraction is max / (max - min).
    for (const auto& [max, min] : {std::pair{"10", "-10"}, std::pair{"6", "-2"}, std::pair{"3", "-9"}}) {
        const KTQuickEntry::BarSetup bar = KTQuickEntry::ComputeBar(max, min, "1", "2", true);
        const double expected = EvaluateNumberText(max, nullptr) /
                                (EvaluateNumberText(max, nullptr) - EvaluateNumberText(min, nullptr));
        EXPECT_DOUBLE_EQ(KTQuickEntry::OriginFraction(bar.position, 0, bar.maximum, true), expected) << max;
    }
}

} // namespace
