// Quick Entry's "Axes" and "Grid" buttons on the working axes options.

#include "ui/KTQuickEntry.h"

#include "graph/KTOptionGraph3.h"
#include "ui/KTAxesDlg.h"
#include "ui/KTGridDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <memory>

namespace {

/// Installs a hook for one dialog class and puts the previous one back.
template <typename Dialog> class HookScope
{
public:
    explicit HookScope(typename Dialog::ModalHook hook) : m_previous(Dialog::SetModalHook(std::move(hook))) {}
    ~HookScope() { Dialog::SetModalHook(std::move(m_previous)); }
    HookScope(const HookScope&) = delete;
    HookScope& operator=(const HookScope&) = delete;

private:
    typename Dialog::ModalHook m_previous;
};

std::unique_ptr<KTQuickEntry> OpenQuickEntry()
{
    auto dialog = std::make_unique<KTQuickEntry>(nullptr, nullptr);
    dialog->OnInitDialog();
    return dialog;
}

TEST(KTQuickEntryAxes, AxesTakesOnlyTheRangeAndStepTexts)
{
    auto entry = OpenQuickEntry();
    entry->XAxisEdit()->setText("time");
    entry->ShowGridCheck()->setChecked(true);
    entry->AngleList()->setCurrentIndex(1);
    entry->m_data.m_dirty = 0;

    int opened = 0;
    HookScope<KTAxesDlg> hook([&](KTAxesDlg& axes) {
        ++opened;
        // The dialog opens on the working copy.
        EXPECT_EQ(axes.XMaxEdit()->text(), "10");
        axes.m_options.m_xNotate.SetValue("ignored");
        axes.XMaxEdit()->setText("40");
        axes.XMinEdit()->setText("-40");
        axes.StepEdit(0)->setText("2");
        axes.StepEdit(1)->setText("10");
        axes.AutoStepCheck(0)->setChecked(false);
        axes.ShowCheck(2)->setChecked(false);
        axes.OnOK();
        return axes.result();
    });
    entry->AxesButton()->click();
    ASSERT_EQ(opened, 1);

    EXPECT_EQ(entry->XMaxEdit()->text(), "40");
    EXPECT_EQ(entry->XMinText(), "-40");
    EXPECT_EQ(entry->XMinorText(), "2");
    EXPECT_EQ(entry->XMajorText(), "10");
    // What this dialog shows stays.
    EXPECT_EQ(entry->XAxisEdit()->text(), "time");
    EXPECT_TRUE(entry->ShowGridCheck()->isChecked());
    EXPECT_EQ(entry->AngleList()->currentIndex(), 1);
    // The bars count minor steps of the new range: 80 / 2 across, the origin in the middle.
    EXPECT_EQ(entry->XScrollBar()->maximum(), 40);
    EXPECT_EQ(entry->XScrollBar()->value(), 20);
    EXPECT_EQ(entry->m_data.m_dirty, KTGraphData3::Dirty);
    // The rest of Axes Properties is in the working options at once.
    EXPECT_EQ(entry->m_data.m_options.m_axes.m_showxAxis.m_value, 0);
    EXPECT_EQ(entry->m_data.m_options.m_axes.m_autoxMinor.m_value, 0);

    entry->OnOK();
    const KTOptionAxes2& axes = entry->m_data.m_options.m_axes;
    EXPECT_EQ(axes.m_xNotate.m_value, "time");
    EXPECT_EQ(axes.m_xMaxShowS.m_value, "40");
    EXPECT_EQ(axes.m_showGrid.m_value, 1);
    EXPECT_EQ(axes.m_angleSystem.m_value, 1);
}

TEST(KTQuickEntryAxes, CancelledAxesChangesNothing)
{
    auto entry = OpenQuickEntry();
    entry->m_data.m_dirty = 0;
    HookScope<KTAxesDlg> hook([](KTAxesDlg& axes) {
        axes.XMaxEdit()->setText("40");
        axes.OnOK();
        return int(QDialog::Rejected);
    });
    entry->OnAxes();
    EXPECT_EQ(entry->XMaxEdit()->text(), "10");
    EXPECT_EQ(entry->m_data.m_options.m_axes.m_xMaxShowS.m_value, "10");
    EXPECT_EQ(entry->m_data.m_dirty, 0);
}

TEST(KTQuickEntryAxes, GridWritesTheWorkingOptionsOnOkOnly)
{
    auto entry = OpenQuickEntry();
    {
        HookScope<KTGridDlg> hook([](KTGridDlg& grid) {
            grid.PointsRadio()->click();
            grid.OnOK();
            return int(QDialog::Rejected);
        });
        entry->GridButton()->click();
        EXPECT_EQ(entry->m_data.m_options.m_axes.m_showGridDots.m_value, 0);
    }
    HookScope<KTGridDlg> hook([](KTGridDlg& grid) {
        grid.PointsRadio()->click();
        grid.PolarGridCheck()->setChecked(true);
        grid.OnOK();
        return grid.result();
    });
    entry->GridButton()->click();
    EXPECT_EQ(entry->m_data.m_options.m_axes.m_showGridDots.m_value, 1);
    EXPECT_EQ(entry->m_data.m_options.m_axes.m_usePolarGrid.m_value, 1);
    // The Quick Entry's own controls are not refreshed, and its OK keeps the grid style.
    entry->OnOK();
    EXPECT_EQ(entry->m_data.m_options.m_axes.m_showGridDots.m_value, 1);
}

} // namespace
