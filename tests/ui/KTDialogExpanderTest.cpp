#include "ui/KTDialogExpander.h"

#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

// A dialog placed by hand: the toggle, the marker ending at y = 110 and a group below it.
struct PlacedDialog
{
    PlacedDialog()
    {
        dialog.resize(300, 200);
        toggle.setGeometry(200, 10, 80, 24);
        marker.setGeometry(10, 100, 50, 10);
        caption.setGeometry(200, 40, 80, 24);
        upper.setGeometry(10, 10, 180, 80);
        lower.setGeometry(10, 120, 280, 70);
    }
    QDialog dialog;
    QPushButton toggle{"More >>", &dialog};
    QLabel marker{"Collapse", &dialog};
    QLabel caption{"<< Less", &dialog};
    QGroupBox upper{"Functions", &dialog};
    QGroupBox lower{"Feasible Region Shading", &dialog};
};

TEST(KTDialogExpander, StartsCollapsedAtTheMarker)
{
    PlacedDialog d;
    KTDialogExpander expander;
    ASSERT_TRUE(expander.Init(&d.dialog, false, &d.toggle, &d.marker, &d.caption));
    EXPECT_FALSE(expander.IsExpanded());
    EXPECT_EQ(expander.GetCollapsedCaption(), "More >>");
    EXPECT_EQ(expander.GetExpandedCaption(), "<< Less");
    EXPECT_EQ(expander.GetFullSize(), QSize(300, 200));
    EXPECT_EQ(d.dialog.size(), QSize(300, 110));
    EXPECT_EQ(d.toggle.text(), "More >>");
    EXPECT_TRUE(d.marker.isHidden());
    EXPECT_TRUE(d.caption.isHidden());
    EXPECT_TRUE(d.lower.isHidden());
    EXPECT_FALSE(d.upper.isHidden());

    expander.Toggle();
    EXPECT_TRUE(expander.IsExpanded());
    EXPECT_EQ(d.dialog.size(), QSize(300, 200));
    EXPECT_EQ(d.toggle.text(), "<< Less");
    EXPECT_FALSE(d.lower.isHidden());
    EXPECT_TRUE(d.marker.isHidden());

    expander.Toggle();
    EXPECT_EQ(d.dialog.size(), QSize(300, 110));
    EXPECT_EQ(d.toggle.text(), "More >>");
}

TEST(KTDialogExpander, StartsExpandedWithTheSecondCaption)
{
    PlacedDialog d;
    KTDialogExpander expander;
    ASSERT_TRUE(expander.Init(&d.dialog, true, &d.toggle, &d.marker, &d.caption));
    EXPECT_TRUE(expander.IsExpanded());
    EXPECT_EQ(d.dialog.size(), QSize(300, 200));
    EXPECT_EQ(d.toggle.text(), "<< Less");
    EXPECT_FALSE(d.lower.isHidden());
    EXPECT_TRUE(d.caption.isHidden());
}

TEST(KTDialogExpander, MovedWhileCollapsedExpandsWhereItIs)
{
    PlacedDialog d;
    KTDialogExpander expander;
    expander.Init(&d.dialog, false, &d.toggle, &d.marker, &d.caption);
    d.dialog.show();
    d.dialog.move(50, 60);
    d.dialog.resize(340, d.dialog.height()); // a wider collapsed dialog keeps its width
    EXPECT_EQ(d.dialog.size(), QSize(340, 110));
    expander.Toggle();
    EXPECT_EQ(d.dialog.pos(), QPoint(50, 60));
    EXPECT_EQ(d.dialog.size(), QSize(300, 200));
}

TEST(KTDialogExpander, LaidOutDialogHidesWhatLiesBelowTheMarker)
{
    QDialog dialog;
    auto* layout = new QVBoxLayout(&dialog);
    auto* functions = new QPlainTextEdit(&dialog);
    auto* toggle = new QPushButton("More >>", &dialog);
    auto* caption = new QLabel("<< Less", &dialog);
    auto* marker = new QLabel("Collapse", &dialog);
    auto* shading = new QGroupBox("Feasible Region Shading", &dialog);
    auto* shadingLayout = new QVBoxLayout(shading);
    shadingLayout->addWidget(new QPushButton("Half Planes", shading));
    shadingLayout->addWidget(new QPushButton("ONLY Feasible Region", shading));
    layout->addWidget(functions);
    layout->addWidget(toggle);
    layout->addWidget(caption);
    layout->addWidget(marker);
    layout->addWidget(shading);

    KTDialogExpander expander;
    ASSERT_TRUE(expander.Init(&dialog, false, toggle, marker, caption));
    const QSize full = expander.GetFullSize();
    EXPECT_TRUE(shading->isHidden());
    EXPECT_FALSE(functions->isHidden());
    EXPECT_LT(dialog.height(), full.height());
    EXPECT_GE(dialog.height(), expander.GetCollapsedHeight());
    EXPECT_EQ(dialog.width(), full.width());

    dialog.show();
    EXPECT_TRUE(functions->isVisible());
    EXPECT_FALSE(shading->isVisible());
    expander.Toggle();
    EXPECT_TRUE(shading->isVisible());
    EXPECT_EQ(dialog.size(), full);
    EXPECT_EQ(toggle->text(), "<< Less");
}

TEST(KTDialogExpander, MissingWidgetsAreRefused)
{
    PlacedDialog d;
    QLabel stranger("elsewhere");
    KTDialogExpander expander;
    EXPECT_FALSE(expander.Init(nullptr, false, &d.toggle, &d.marker, &d.caption));
    EXPECT_FALSE(expander.Init(&d.dialog, false, nullptr, &d.marker, &d.caption));
    EXPECT_FALSE(expander.Init(&d.dialog, false, &d.toggle, &stranger, &d.caption));
    EXPECT_EQ(d.dialog.size(), QSize(300, 200));
    expander.Toggle(); // nothing to toggle
    EXPECT_EQ(d.dialog.size(), QSize(300, 200));
}

} // namespace
