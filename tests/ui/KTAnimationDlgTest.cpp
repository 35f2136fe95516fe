#include "ui/KTAnimationDlg.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSlider>

#include "support/KTTestSupport.h"

#include <gtest/gtest.h>

namespace {

// Installs a hook for one test and restores the previous one.
struct HookScope
{
    explicit HookScope(KTAnimationDlg::ModalHook hook)
        : previous(KTAnimationDlg::SetModalHook(std::move(hook)))
    {
    }
    ~HookScope() { KTAnimationDlg::SetModalHook(std::move(previous)); }
    KTAnimationDlg::ModalHook previous;
};

} // namespace

TEST(KTAnimationDlg, ConstructionDefaultsShowInTheControls)
{
    KTAnimationDlg dialog;
    EXPECT_EQ(dialog.m_reverse, 0);
    EXPECT_EQ(dialog.m_speed, 0);
    EXPECT_EQ(dialog.m_speedToShow, 0);
    CString from, to, step;
    HookScope scope([&](KTAnimationDlg& d) {
        from = CString::FromQString(d.FromEdit().text());
        to = CString::FromQString(d.ToEdit().text());
        step = CString::FromQString(d.StepEdit().text());
        return int(QDialog::Rejected);
    });
    EXPECT_EQ(dialog.DoModal(), QDialog::Rejected);
    EXPECT_STREQ(from, "-10");
    EXPECT_STREQ(to, "10");
    EXPECT_STREQ(step, "0.25");
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Animation"));
}

TEST(KTAnimationDlg, SliderOffersElevenPositions)
{
    KTAnimationDlg dialog;
    EXPECT_EQ(dialog.SpeedSlider().minimum(), 0);
    EXPECT_EQ(dialog.SpeedSlider().maximum(), 10);
    // The speed to show is held to the slider.
    const struct
    {
        int shown;
        int expected;
    } rows[] = {{0, 0}, {5, 5}, {10, 10}, {11, 10}, {-3, 0}};
    for (const auto& row : rows) {
        dialog.m_speedToShow = row.shown;
        dialog.OnInitDialog();
        EXPECT_EQ(dialog.SpeedSlider().value(), row.expected) << row.shown;
    }
}

TEST(KTAnimationDlg, OkTakesTheControlsAsTyped)
{
    KTAnimationDlg dialog;
    dialog.m_from = "-5";
    dialog.m_to = "5";
    dialog.m_step = "1";
    dialog.m_speedToShow = 7;
    dialog.m_reverse = 1;
    HookScope scope([](KTAnimationDlg& d) -> int {
        EXPECT_TRUE(d.ReverseCheck().isChecked());
        EXPECT_EQ(d.SpeedSlider().value(), 7);
        EXPECT_EQ(d.FromEdit().text(), QStringLiteral("-5"));
        d.FromEdit().setText(QStringLiteral("pi/2"));
        d.StepEdit().setText(QStringLiteral("0,5"));
        d.SpeedSlider().setValue(3);
        d.ReverseCheck().setChecked(false);
        // A text that is no number is refused with the framework's message; the dialog stays.
        for (const char* refused : {"abc", "", "1e3x", "2 5"}) {
            kttest::MessageBoxRecorder boxes;
            d.ToEdit().setText(QString::fromLatin1(refused));
            d.OnOK();
            EXPECT_NE(d.result(), QDialog::Accepted) << refused;
            EXPECT_EQ(boxes.Boxes().size(), 1u) << refused;
            if (!boxes.Boxes().empty()) {
                EXPECT_EQ(boxes.Boxes()[0].text, "Please enter a number.");
            }
        }
        kttest::MessageBoxRecorder none;
        d.ToEdit().setText(QStringLiteral(" 1e3 "));
        d.OnOK();
        EXPECT_TRUE(none.Boxes().empty());
        return d.result();
    });
    EXPECT_EQ(dialog.DoModal(), QDialog::Accepted);
    // Numbers pass as typed, without the blanks around them.
    EXPECT_STREQ(dialog.m_from, "pi/2");
    EXPECT_STREQ(dialog.m_to, "1e3");
    EXPECT_STREQ(dialog.m_step, "0,5");
    EXPECT_EQ(dialog.m_speed, 3);
    EXPECT_EQ(dialog.m_reverse, 0);
}

TEST(KTAnimationDlg, CancelLeavesTheMembers)
{
    KTAnimationDlg dialog;
    dialog.m_speedToShow = 4;
    HookScope scope([](KTAnimationDlg& d) {
        d.FromEdit().setText(QStringLiteral("99"));
        d.SpeedSlider().setValue(9);
        return int(QDialog::Rejected);
    });
    EXPECT_EQ(dialog.DoModal(), QDialog::Rejected);
    EXPECT_STREQ(dialog.m_from, "-10");
    EXPECT_EQ(dialog.m_speed, 0);
}
