#include "ui/KTParameterBar.h"

#include "platform/KTLocale.h"
#include "ui/KTImageButton.h"
#include "ui/KTSpinButtonCtrl.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

class BarTest : public ::testing::Test
{
protected:
    BarTest()
    {
        KTLocale::Override('.', ',', 1);
        view.resize(400, 200);
        bar.Create(&view);
    }
    ~BarTest() override { KTLocale::ClearOverride(); }

    std::vector<std::string> Run(int ticks)
    {
        std::vector<std::string> values;
        for (int i = 0; i < ticks; ++i) {
            bar.StepValue();
            values.push_back(bar.GetCurrentValue().str());
        }
        return values;
    }

    QWidget view;
    KTParameterBar bar;
};

TEST_F(BarTest, CreateLeavesTheDocumentedState)
{
    EXPECT_EQ(bar.parentWidget(), &view);
    EXPECT_TRUE(bar.isHidden());
    EXPECT_EQ(bar.size(), QSize(93, 70));
    EXPECT_EQ(bar.windowTitle(), "CC");
    EXPECT_EQ(bar.StepEdit().text(), "0.25");
    EXPECT_EQ(bar.ValueEdit().text(), "1");
    EXPECT_TRUE(bar.StepSpinner().IsListMode());
    EXPECT_EQ(bar.StepSpinner().GetCount(), 30);
    EXPECT_EQ(bar.ValueSpinner().GetStep(), "0.1");
    for (const char* name : {"valueEdit", "stepEdit", "valueSpinner", "stepSpinner"})
        EXPECT_TRUE(bar.findChild<QWidget*>(name)->isHidden()) << name;
    EXPECT_FALSE(bar.AnimateButton().isHidden());
    EXPECT_FALSE(bar.FamilyButton().isHidden());
}

TEST_F(BarTest, ChildrenShowWithThePanel)
{
    view.show();
    bar.SetPosition(110, 130);
    bar.show();
    EXPECT_EQ(bar.pos(), QPoint(110, 130));
    EXPECT_TRUE(bar.ValueEdit().isVisible());
    EXPECT_TRUE(bar.StepSpinner().isVisible());
}

TEST_F(BarTest, ValueStepsByTheTenthUntilTheStepEditChanges)
{
    bar.ValueSpinner().OnDeltaPos(1);
    EXPECT_EQ(bar.ValueEdit().text(), "1.1");
    bar.StepSpinner().OnDeltaPos(1); // "0.25" -> "0.5"
    EXPECT_EQ(bar.StepEdit().text(), "0.5");
    EXPECT_EQ(bar.ValueSpinner().GetStep(), "0.5");
    bar.ValueSpinner().OnDeltaPos(1);
    EXPECT_EQ(bar.ValueEdit().text(), "1.6");
}

TEST_F(BarTest, AnimationRestartsAtTheStartWithoutReverse)
{
    bar.SetAnimation("-5", "5", "2.5", false, 5);
    bar.SetCurrentValue("-5");
    const std::vector<std::string> expected = {"-2.5", "0", "2.5", "5", "-5", "-2.5"};
    EXPECT_EQ(Run(6), expected);
}

TEST_F(BarTest, AnimationTurnsAtBothEndsInReverse)
{
    bar.SetAnimation("-5", "5", "2.5", true, 5);
    bar.SetCurrentValue("-5");
    const std::vector<std::string> expected = {"-2.5", "0", "2.5", "5", "2.5", "0", "-2.5", "-5", "-2.5"};
    EXPECT_EQ(Run(9), expected);
}

TEST_F(BarTest, OvershootingStepsClampAndTurn)
{
    bar.SetAnimation("0", "1", "0.3", true, 5);
    bar.SetCurrentValue("0");
    const std::vector<std::string> expected = {"0.3", "0.6", "0.9", "1", "0.7", "0.4", "0.1", "0", "0.3"};
    EXPECT_EQ(Run(9), expected);
}

TEST_F(BarTest, DownwardRangeRunsWithANegatedStep)
{
    bar.SetAnimation("3", "0", "1", false, 5);
    EXPECT_EQ(bar.GetStep(), "-1");
    bar.SetCurrentValue("3");
    const std::vector<std::string> expected = {"2", "1", "0", "3"};
    EXPECT_EQ(Run(4), expected);
}

TEST_F(BarTest, StepValueShowsTheValueKeepsTheUsersStepAndReturnsTheValue)
{
    bar.SetAnimation("0", "10", "pi/4", false, 5);
    bar.SetCurrentValue("0");
    const double value = bar.StepValue();
    EXPECT_NEAR(value, 0.785398163, 1e-9);
    EXPECT_EQ(bar.ValueEdit().text(), "pi/4");
    // The user's step of the value spinner stays, and the spinner keeps stepping by it.
    EXPECT_EQ(bar.StepEdit().text(), "0.25");
    bar.StepSpinner().OnDeltaPos(1);
    bar.StepValue();
    EXPECT_EQ(bar.StepEdit().text(), "0.5");
    EXPECT_EQ(bar.ValueSpinner().GetStep(), "0.5");
}

TEST_F(BarTest, ValueThatIsNotANumberStartsAgainAtTheStart)
{
    bar.SetAnimation("-2", "2", "1", true, 5);
    bar.SetCurrentValue("x?");
    EXPECT_EQ(bar.StepValue(), -2.0);
    EXPECT_FALSE(bar.IsBackward());
    bar.SetBackward(true);
    bar.SetCurrentValue("2x");
    EXPECT_EQ(bar.StepValue(), -2.0);
    EXPECT_FALSE(bar.IsBackward());
}

TEST_F(BarTest, SetAnimationNormalisesStepSpeedAndState)
{
    struct Row
    {
        const char* from;
        const char* to;
        const char* step;
        int speed;
        const char* storedStep;
        int storedSpeed;
    };
    const Row rows[] = {
        {"-5", "5", "-2.5", 3, "2.5", 3},    {"5", "-5", "2.5", 0, "-2.5", 0},
        {"5", "-5", "-2.5", 10, "-2.5", 10}, {"0", "1", "0.1", -4, "0.1", 0},
        {"0", "1", "0.1", 99, "0.1", 10},
    };
    for (const Row& row : rows) {
        bar.SetBackward(true);
        bar.SetAnimation(row.from, row.to, row.step, true, row.speed);
        EXPECT_EQ(bar.GetStep(), row.storedStep) << row.from << ".." << row.to;
        EXPECT_EQ(bar.GetSpeed(), row.storedSpeed);
        EXPECT_FALSE(bar.IsBackward());
        EXPECT_TRUE(bar.IsAnimating());
        EXPECT_EQ(bar.GetBackground(), KTParameterBar::kAnimatingBackground);
    }
    bar.ValueEdit().setText("7");
    bar.SetAnimation("0", "1", "1", false, 1);
    EXPECT_EQ(bar.GetCurrentValue(), "7");
    bar.SetAnimating(false);
    EXPECT_EQ(bar.GetBackground(), 0xC8FFFFu);
    bar.SetFamilyRange("1", "3", "0.5");
    EXPECT_EQ(bar.GetFrom(), "1");
    EXPECT_EQ(bar.GetTo(), "3");
    EXPECT_EQ(bar.GetStep(), "0.5");
}

TEST_F(BarTest, ValueChangesArePostedWithThePanelIndex)
{
    QApplication::processEvents(); // what Create posted
    bar.SetIndex(3);
    QSignalSpy changes(&bar, &KTParameterBar::valueChanged);
    bar.ValueEdit().setText("2");
    EXPECT_EQ(changes.count(), 0); // posted, not sent
    bar.SetIndex(4);
    QApplication::processEvents();
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes.at(0).at(0).toInt(), 3);

    bar.SetNotificationsSuppressed(true);
    bar.ValueEdit().setText("3");
    bar.StepValue();
    QApplication::processEvents();
    EXPECT_EQ(changes.count(), 1);
}

TEST_F(BarTest, ButtonsPostAnimateAndFamily)
{
    bar.SetIndex(2);
    QApplication::processEvents();
    QSignalSpy animate(&bar, &KTParameterBar::animateRequested);
    QSignalSpy family(&bar, &KTParameterBar::familyRequested);
    view.show();
    bar.show();
    QTest::mouseClick(&bar.AnimateButton(), Qt::LeftButton);
    QTest::mouseClick(&bar.FamilyButton(), Qt::LeftButton);
    QTest::mouseClick(&bar.FamilyButton(), Qt::LeftButton);
    EXPECT_EQ(animate.count() + family.count(), 0);
    QApplication::processEvents();
    ASSERT_EQ(animate.count(), 1);
    ASSERT_EQ(family.count(), 2);
    EXPECT_EQ(animate.at(0).at(0).toInt(), 2);
}

TEST_F(BarTest, PanelPaintsItsBackgroundAndLabels)
{
    bar.SetName("m");
    const QImage rest = bar.grab().toImage();
    const int edge = bar.frameWidth();
    // Between the step row and the buttons the panel shows its own background.
    EXPECT_EQ(rest.pixelColor(edge + 50, edge + 41), QColor(255, 255, 200));
    int ink = 0;
    for (int y = edge + 2; y < edge + 14; ++y) {
        for (int x = edge + 2; x < edge + 28; ++x)
            ink += rest.pixelColor(x, y).lightness() < 100;
    }
    EXPECT_GT(ink, 10) << "the name and \" = \" are written";

    bar.SetAnimating(true);
    const QImage animating = bar.grab().toImage();
    EXPECT_EQ(animating.pixelColor(edge + 50, edge + 41), QColor(200, 255, 200));
}

TEST(StepList, ShownEntryBeyondTheEndIsTheLast)
{
    KTSpinButtonCtrl spin;
    QLineEdit edit;
    spin.SetBuddy(&edit);
    KTParameterBar::FillStepList(spin, 99);
    EXPECT_EQ(edit.text(), "50000");
    KTParameterBar::FillStepList(spin, 0);
    EXPECT_EQ(edit.text(), "0.00001");
    EXPECT_EQ(spin.GetCount(), 30);
}

} // namespace

TEST_F(BarTest, SpinArrowsAreSolidTrianglesPointingTheirWay)
{
    bar.SetName("a");
    view.show();
    bar.SetPosition(20, 30);
    bar.show();
    // The window the panel sits in, as the user sees it.
    const QImage shown = view.grab().toImage();
    for (KTSpinButtonCtrl* spin : {&bar.ValueSpinner(), &bar.StepSpinner()}) {
        ASSERT_TRUE(spin->isVisible());
        const QRect area(spin->mapTo(&view, QPoint(0, 0)), spin->size());
        const int half = area.height() / 2;
        // The dark pixels of each row of each half: an up arrow widens downwards, a down arrow
        // narrows, and each is at least five pixels wide at its base.
        for (int which = 0; which < 2; ++which) {
            const QRect part(area.left(), area.top() + which * half, area.width(), which ? area.height() - half : half);
            std::vector<int> runs;
            for (int y = part.top(); y <= part.bottom(); ++y) {
                int dark = 0;
                for (int x = part.left(); x <= part.right(); ++x)
                    dark += shown.pixelColor(x, y).lightness() < 80;
                if (dark > 0)
                    runs.push_back(dark);
            }
            ASSERT_GE(runs.size(), 3u) << (which ? "down" : "up");
            const std::vector<int> sorted = [&] {
                std::vector<int> copy = runs;
                if (which == 0)
                    std::sort(copy.begin(), copy.end());
                else
                    std::sort(copy.rbegin(), copy.rend());
                return copy;
            }();
            EXPECT_EQ(runs, sorted) << (which ? "down" : "up");
            EXPECT_EQ(which == 0 ? runs.front() : runs.back(), 1) << "a pointed tip";
            EXPECT_GE(which == 0 ? runs.back() : runs.front(), 5) << "a base to see";
        }
    }
}
