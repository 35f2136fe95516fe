#include "ui/KTSpinButtonCtrl.h"

#include "foundation/KTSentinelValues.h"
#include "platform/KTLocale.h"
#include "ui/KTParameterBar.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class SpinTest : public ::testing::Test
{
protected:
    SpinTest()
    {
        KTLocale::Override('.', ',', 1);
        spin.SetBuddy(&edit);
    }
    ~SpinTest() override { KTLocale::ClearOverride(); }

    CString Press(int delta)
    {
        spin.OnDeltaPos(delta);
        return CString::FromQString(edit.text());
    }

    QLineEdit edit;
    KTSpinButtonCtrl spin;
};

TEST_F(SpinTest, TenthsAddUpExactly)
{
    spin.SetRange("-1000", "1000", "0.1");
    spin.SetText("0");
    const char* expected[] = {"0.1", "0.2", "0.3", "0.4", "0.5", "0.6", "0.7", "0.8", "0.9", "1"};
    for (const char* text : expected)
        EXPECT_EQ(Press(1), text);
    for (int i = 0; i < 10; ++i)
        Press(-1);
    EXPECT_EQ(spin.GetText(), "0");
}

TEST_F(SpinTest, ExactTextsStayExact)
{
    struct Row
    {
        const char* start;
        const char* step;
        int presses;
        const char* expected;
    };
    const Row rows[] = {
        {"0", "pi/6", 3, "pi/2"},
        {"0", "1/3", 3, "1"},
        {"-1", "1/4", 2, "-1/2"},
        {"5", "2.5", -4, "-5"},
        // A power of ten is a decimal, never 1e: "1e2" stepped by one is 101, not 2e + 1.
        {"1e2", "1", 1, "101"},
        {"0", "2.5e-1", 2, "0.5"},
        {"2e", "e", 1, "3e"},
        // A tiny step moves the value: 1e-7 three times is 3e-7, not 0.
        {"0", "1e-7", 3, "0.0000003"},
    };
    for (const Row& row : rows) {
        spin.SetRange("-1000", "1000", row.step);
        spin.SetText(row.start);
        for (int i = 0; i < std::abs(row.presses); ++i)
            Press(row.presses > 0 ? 1 : -1);
        EXPECT_EQ(spin.GetText(), row.expected) << row.start << " by " << row.step;
    }
}

TEST_F(SpinTest, UpThenDownReturnsToTheSameText)
{
    spin.SetRange("-1000", "1000", "0.25");
    const char* starts[] = {"0", "-3.5", "12", "999.5", "-999.75", "0.125"};
    for (const char* start : starts) {
        spin.SetText(start);
        Press(1);
        Press(-1);
        EXPECT_EQ(spin.GetText(), start);
    }
}

TEST_F(SpinTest, EndsStopOrWrap)
{
    struct Row
    {
        bool wrap;
        const char* start;
        int delta;
        const char* expected;
    };
    const Row rows[] = {
        {false, "100", 1, "100"}, {true, "100", 1, "0"},   {false, "0", -1, "0"},
        {true, "0", -1, "100"},   {false, "99", 1, "100"}, {false, "150", -1, "149"},
    };
    for (const Row& row : rows) {
        spin.SetWrap(row.wrap);
        spin.SetRange("0", "100", "1");
        spin.SetText(row.start);
        EXPECT_EQ(Press(row.delta), row.expected) << row.start << (row.wrap ? " wrapping" : "");
    }
}

TEST_F(SpinTest, RoundingNoiseAtAnEndDoesNotWrap)
{
    // 0.2 + 0.1 and 0.3 - 0.2 miss the ends by a few units in the last place.
    spin.SetWrap(true);
    spin.SetRange("0", "0.3", "0.1");
    spin.SetText("0.2");
    EXPECT_EQ(Press(1), "0.3");
    spin.SetRange("0.1", "0.5", "0.2");
    spin.SetText("0.3");
    EXPECT_EQ(Press(-1), "0.1");
}

TEST_F(SpinTest, TextThatIsNotANumberReadsAboveTheRange)
{
    spin.SetRange("0", "100", "1");
    spin.SetText("x?");
    EXPECT_EQ(Press(1), "100");
    spin.SetText("x?");
    EXPECT_EQ(Press(-1), "100"); // not an emptied edit
    spin.SetWrap(true);
    spin.SetText("x?");
    EXPECT_EQ(Press(1), "0");
}

TEST_F(SpinTest, PositionsFollowRangeAndStep)
{
    spin.SetRange("-1000", "1000", "0.1");
    EXPECT_EQ(spin.GetPositions(), 20000);
    spin.SetRange("0", "100", "-4");
    EXPECT_EQ(spin.GetPositions(), 25);
    spin.SetRange("0", "100", "0");
    EXPECT_EQ(spin.GetPositions(), 25); // a zero step keeps them
    EXPECT_EQ(spin.GetStep(), "0");
    spin.SetRange("0", "1000000", "1");
    EXPECT_EQ(spin.GetPositions(), 32767);
    spin.SetRange("abc", "1", "1");
    EXPECT_EQ(spin.GetPositions(), 32767);
}

TEST_F(SpinTest, PositionTracksTheValue)
{
    spin.SetRange("0", "100", "1");
    struct Row
    {
        const char* text;
        int position;
    };
    const Row rows[] = {{"0", 0},  {"50", 50},   {"49.6", 50}, {"49.4", 49},
                        {"-5", 0}, {"500", 100}, {"abc", 100}};
    for (const Row& row : rows) {
        spin.SetText(row.text);
        EXPECT_EQ(spin.GetPos(), row.position) << row.text;
    }
    // Equal ends give a single position, which no value moves.
    spin.SetRange("5", "5", "1");
    EXPECT_EQ(spin.GetPositions(), 0);
    spin.SetText("9");
    EXPECT_EQ(spin.GetPos(), 0);
}

TEST_F(SpinTest, PressesMoveThePositionByTheirDelta)
{
    spin.SetRange("0", "10", "1");
    spin.SetText("9");
    EXPECT_EQ(spin.GetPos(), 9);
    Press(1);
    EXPECT_EQ(spin.GetPos(), 10);
    Press(1);
    EXPECT_EQ(spin.GetPos(), 10);
    spin.SetWrap(true);
    Press(1);
    EXPECT_EQ(spin.GetPos(), 0);
}

TEST_F(SpinTest, StepListMovesOneEntryAndStopsAtTheEnds)
{
    KTParameterBar::FillStepList(spin, 13);
    EXPECT_TRUE(spin.IsListMode());
    EXPECT_EQ(spin.GetCount(), 30);
    EXPECT_EQ(spin.GetText(), "0.25");
    struct Row
    {
        const char* start;
        int delta;
        const char* expected;
    };
    const Row rows[] = {
        {"0.25", -1, "0.1"},        {"0.25", 1, "0.5"},
        {"50000", 1, "50000"},      {"50000", -1, "25000"},
        {"0.00001", -1, "0.00001"}, {"0.00001", 1, "0.000025"},
        {"0.3", -1, "0.25"},        {"0.3", 1, "1"},
        {"99999", -1, "25000"},     {"-2000000000000", 1, "0.00001"},
        {"abc", 1, "50000"},
    };
    for (const Row& row : rows) {
        spin.SetText(row.start);
        EXPECT_EQ(Press(row.delta), row.expected) << row.start << " by " << row.delta;
    }
}

TEST(SpinWithoutBuddy, ReadsEmptyAndWritesNothing)
{
    KTSpinButtonCtrl spin;
    EXPECT_EQ(spin.GetText(), "");
    EXPECT_EQ(spin.GetValue(), KTUndefinedValue);
    spin.SetText("5");
    EXPECT_EQ(spin.GetPos(), 5);
    spin.OnDeltaPos(1);
    EXPECT_EQ(spin.GetText(), "");
}

TEST_F(SpinTest, SetValueFormatsSixDecimalsWithoutTrailingZeros)
{
    spin.SetRange("-1000", "1000", "1");
    const std::pair<double, const char*> rows[] = {
        {1.0, "1"}, {-0.5, "-0.5"}, {1.0 / 3.0, "0.333333"}, {-1e-9, "0"}};
    for (const auto& [value, text] : rows) {
        spin.SetValue(value);
        EXPECT_EQ(spin.GetText(), text);
    }
}

TEST_F(SpinTest, ArrowKeysAndArrowClicksStepAndSignal)
{
    spin.SetRange("0", "10", "1");
    spin.SetText("5");
    spin.resize(16, 20);
    QSignalSpy deltas(&spin, &KTSpinButtonCtrl::deltaPos);
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(spin.GetText(), "6");
    QTest::keyClick(&edit, Qt::Key_Down);
    QTest::keyClick(&edit, Qt::Key_Down);
    EXPECT_EQ(spin.GetText(), "4");
    QTest::mouseClick(&spin, Qt::LeftButton, {}, QPoint(8, 3));
    EXPECT_EQ(spin.GetText(), "5");
    QTest::mouseClick(&spin, Qt::LeftButton, {}, QPoint(8, 17));
    EXPECT_EQ(spin.GetText(), "4");
    ASSERT_EQ(deltas.count(), 5);
    const int expected[] = {1, -1, -1, 1, -1};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(deltas.at(i).at(0).toInt(), expected[i]);
}

} // namespace
