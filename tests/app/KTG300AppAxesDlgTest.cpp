// What the application object sets up for the Axes Properties dialog.

#include "app/KTG300App.h"
#include "ui/KTAxesDlg.h"

#include <gtest/gtest.h>

namespace {

TEST(KTG300AppAxesDlg, EveryRunOpensAxesPropertiesCollapsedFirst)
{
    KTAxesDlg::SetRememberedExpanded(true);
    {
        KTG300App app;
        EXPECT_FALSE(KTAxesDlg::RememberedExpanded());
        KTAxesDlg::SetRememberedExpanded(true);
    }
    // Nothing is stored: the next program starts collapsed again.
    KTG300App next;
    EXPECT_FALSE(KTAxesDlg::RememberedExpanded());
}

} // namespace
