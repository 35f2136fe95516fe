// The Family dialog: its default texts, OK and Cancel.

#include "ui/KTFamilyDlg.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "support/KTTestSupport.h"

#include <gtest/gtest.h>

namespace {

// Runs the dialog through the hook with the given answer after typing into the edits.
int RunFamily(KTFamilyDlg& dialog, bool ok, const char* from = nullptr)
{
    const KTFamilyDlg::ModalHook previous = KTFamilyDlg::SetModalHook([&](KTFamilyDlg& shown) {
        if (from) {
            shown.FromEdit()->selectAll();
            QTest::keyClicks(shown.FromEdit(), from);
        }
        QTest::mouseClick(ok ? shown.OkButton() : shown.CancelButton(), Qt::LeftButton);
        return shown.result();
    });
    const int result = dialog.DoModal();
    KTFamilyDlg::SetModalHook(previous);
    return result;
}

} // namespace

TEST(KTFamilyDlg, ShowsItsDefaultsUnlessTheOpenerSetsTexts)
{
    KTFamilyDlg dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Family"));
    EXPECT_EQ(RunFamily(dialog, true), QDialog::Accepted);
    EXPECT_EQ(dialog.FromEdit()->text(), QStringLiteral("-10"));
    EXPECT_EQ(dialog.ToEdit()->text(), QStringLiteral("10"));
    EXPECT_EQ(dialog.StepEdit()->text(), QStringLiteral("0.25"));
    EXPECT_EQ(dialog.m_from, "-10");
    EXPECT_EQ(dialog.m_to, "10");
    EXPECT_EQ(dialog.m_step, "0.25");
}

TEST(KTFamilyDlg, OkReturnsTheTypedTextsAndCancelKeepsTheMembers)
{
    KTFamilyDlg dialog;
    dialog.m_from = "1";
    dialog.m_to = "pi";
    dialog.m_step = "pi/4";
    EXPECT_EQ(RunFamily(dialog, false, "abc"), QDialog::Rejected);
    EXPECT_EQ(dialog.m_from, "1");
    EXPECT_EQ(dialog.m_to, "pi");
    // A text that is no number is refused with the framework's message; the members stay.
    for (const char* refused : {"abc", "1e3x", "2e-", "1/x"}) {
        kttest::MessageBoxRecorder boxes;
        EXPECT_EQ(RunFamily(dialog, true, refused), QDialog::Rejected) << refused;
        ASSERT_EQ(boxes.Boxes().size(), 1u) << refused;
        EXPECT_EQ(boxes.Boxes()[0].text, "Please enter a number.");
        EXPECT_EQ(dialog.m_from, "1");
    }
    // Numbers come back as typed, without the blanks around them.
    EXPECT_EQ(RunFamily(dialog, true, " 1e-3 "), QDialog::Accepted);
    EXPECT_EQ(dialog.m_from, "1e-3");
    EXPECT_EQ(dialog.m_to, "pi");
    EXPECT_EQ(dialog.m_step, "pi/4");
}
