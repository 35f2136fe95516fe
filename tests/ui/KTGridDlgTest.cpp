// Grid Properties driven as the user drives it: the two modes and their colours, the polar
// grid's enabling, OK, "Set As Default" and the ray count's range check.

#include "ui/KTGridDlg.h"

#include "foundation/KTLogPen.h"
#include "foundation/KTOptionStore.h"
#include "graph/KTOptionGraph3.h"
#include "support/KTTestSupport.h"
#include "ui/CColorButton.h"
#include "ui/KTLineStyleComboBox.h"
#include "ui/KTPointStyleComboBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QTest>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <memory>

namespace {

using Pen = KTGridDlg::Pen;

KTOptionAxes2 Defaults()
{
    KTOptionAxes2 options;
    options.SetDefaults();
    return options;
}

std::unique_ptr<KTGridDlg> OpenDialog(const KTOptionAxes2& options, KTOptionGraph3* defaults = nullptr,
                                      KTOptionStore* store = nullptr)
{
    auto dialog = std::make_unique<KTGridDlg>(defaults, store);
    dialog->m_options = options;
    dialog->OnInitDialog();
    return dialog;
}

bool Shown(const KTGridDlg& dialog, const QWidget* widget)
{
    return widget->isVisibleTo(&dialog);
}

TEST(KTGridDlg, OpensInLinesModeOnThePens)
{
    kttest::LocaleScope locale;
    KTOptionAxes2 options = Defaults();
    KTLogPen pen;
    pen.Set(1.5, KTLineStyleDash, RGB(1, 2, 3));
    options.m_yGridMinorPen.m_value = pen;
    auto dialog = OpenDialog(options);

    EXPECT_EQ(dialog->windowTitle(), "Grid Properties");
    EXPECT_TRUE(dialog->LinesRadio()->isChecked());
    EXPECT_EQ(dialog->Group(Pen::XMajor)->title(), "x Major Line");
    EXPECT_EQ(dialog->Group(Pen::YMajor)->title(), "y Major Line");
    EXPECT_EQ(dialog->Group(Pen::XMinor)->title(), "x Minor");
    EXPECT_EQ(dialog->WeightCombo(Pen::XMajor)->currentText(), "0.5pt");
    EXPECT_EQ(dialog->StylePicker(Pen::XMajor)->GetSelectedData(), KTLineStyleSolid);
    EXPECT_EQ(dialog->StylePicker(Pen::XMinor)->GetSelectedData(), KTLineStyleDot);
    EXPECT_EQ(dialog->WeightCombo(Pen::YMinor)->currentText(), "1.5pt");
    EXPECT_EQ(dialog->StylePicker(Pen::YMinor)->GetSelectedData(), KTLineStyleDash);
    EXPECT_EQ(dialog->ColorButton(Pen::YMinor)->GetColor(), RGB(1, 2, 3));
    EXPECT_EQ(dialog->ColorButton(Pen::XMajor)->GetColor(), RGB(100, 100, 100));
    // The line pickers offer "None" first.
    EXPECT_EQ(dialog->StylePicker(Pen::XMajor)->count(), 6);
    EXPECT_EQ(dialog->StylePicker(Pen::XMajor)->itemData(0).toInt(), KTLineStyleNone);
    EXPECT_EQ(dialog->MajorPointPicker()->count(), 9);
    for (int pen = 0; pen < 4; ++pen) {
        EXPECT_TRUE(Shown(*dialog, dialog->StylePicker(Pen(pen)))) << pen;
        EXPECT_TRUE(Shown(*dialog, dialog->ColorButton(Pen(pen)))) << pen;
        EXPECT_TRUE(Shown(*dialog, dialog->Label(Pen(pen), true))) << pen;
    }
    EXPECT_FALSE(Shown(*dialog, dialog->MajorPointPicker()));
    EXPECT_FALSE(Shown(*dialog, dialog->MinorPointPicker()));
    // No polar grid: the rays are closed.
    EXPECT_EQ(dialog->RaysEdit()->text(), "24");
    EXPECT_FALSE(dialog->RaysEdit()->isEnabled());
    EXPECT_FALSE(dialog->SetAsDefaultButton()->isEnabled());
}

TEST(KTGridDlg, OpensInPointsModeWithTwoColoursAndTwoPickers)
{
    KTOptionAxes2 options = Defaults();
    options.m_showGridDots.m_value = 1;
    options.m_majorDot.m_value = 3;
    options.m_minorDot.m_value = 10;
    auto dialog = OpenDialog(options);

    EXPECT_TRUE(dialog->PointsRadio()->isChecked());
    EXPECT_EQ(dialog->Group(Pen::XMajor)->title(), "Major Point");
    EXPECT_EQ(dialog->Group(Pen::YMajor)->title(), "Minor Point");
    EXPECT_TRUE(Shown(*dialog, dialog->ColorButton(Pen::XMajor)));
    EXPECT_TRUE(Shown(*dialog, dialog->ColorButton(Pen::YMajor)));
    EXPECT_FALSE(Shown(*dialog, dialog->ColorButton(Pen::XMinor)));
    EXPECT_FALSE(Shown(*dialog, dialog->ColorButton(Pen::YMinor)));
    EXPECT_FALSE(Shown(*dialog, dialog->Group(Pen::XMinor)));
    EXPECT_FALSE(Shown(*dialog, dialog->Group(Pen::YMinor)));
    for (int pen = 0; pen < 4; ++pen) {
        EXPECT_FALSE(Shown(*dialog, dialog->StylePicker(Pen(pen)))) << pen;
        EXPECT_FALSE(Shown(*dialog, dialog->WeightCombo(Pen(pen)))) << pen;
        EXPECT_FALSE(Shown(*dialog, dialog->Label(Pen(pen), false))) << pen;
    }
    EXPECT_TRUE(Shown(*dialog, dialog->MajorPointPicker()));
    EXPECT_TRUE(Shown(*dialog, dialog->MinorPointPicker()));
    EXPECT_EQ(dialog->MajorPointPicker()->GetSelectedData(), 3);
    EXPECT_EQ(dialog->MinorPointPicker()->GetSelectedData(), 10);
    // The two buttons show the point colours.
    EXPECT_EQ(dialog->ColorButton(Pen::XMajor)->GetColor(), RGB(100, 100, 100));
    EXPECT_EQ(dialog->ColorButton(Pen::YMajor)->GetColor(), RGB(200, 200, 200));
}

TEST(KTGridDlg, SwitchingModesKeepsTheColoursOfEach)
{
    auto dialog = OpenDialog(Defaults());
    dialog->ColorButton(Pen::XMajor)->SetColor(RGB(1, 0, 0));
    dialog->ColorButton(Pen::YMajor)->SetColor(RGB(2, 0, 0));
    dialog->PointsRadio()->click();
    EXPECT_EQ(dialog->Mode(), 1);
    dialog->ColorButton(Pen::XMajor)->SetColor(RGB(3, 0, 0));
    dialog->ColorButton(Pen::YMajor)->SetColor(RGB(4, 0, 0));
    dialog->LinesRadio()->click();
    EXPECT_EQ(dialog->Mode(), 0);
    EXPECT_EQ(dialog->ColorButton(Pen::XMajor)->GetColor(), RGB(1, 0, 0));
    EXPECT_EQ(dialog->ColorButton(Pen::YMajor)->GetColor(), RGB(2, 0, 0));
    dialog->PointsRadio()->click();
    EXPECT_EQ(dialog->ColorButton(Pen::XMajor)->GetColor(), RGB(3, 0, 0));
    EXPECT_EQ(dialog->ColorButton(Pen::YMajor)->GetColor(), RGB(4, 0, 0));

    // OK in points mode still writes the four pens with their line colours.
    dialog->OnOK();
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    const KTOptionAxes2& out = dialog->m_options;
    EXPECT_EQ(out.m_showGridDots.m_value, 1);
    EXPECT_EQ(out.m_majorDotColor.m_value, RGB(3, 0, 0));
    EXPECT_EQ(out.m_minorDotColor.m_value, RGB(4, 0, 0));
    EXPECT_EQ(out.m_xGridMajorPen.m_value.m_color, RGB(1, 0, 0));
    EXPECT_EQ(out.m_yGridMajorPen.m_value.m_color, RGB(2, 0, 0));
    EXPECT_EQ(out.m_xGridMinorPen.m_value.m_color, RGB(100, 100, 100));
}

TEST(KTGridDlg, OkWritesPensPointsAndPolarGrid)
{
    kttest::LocaleScope locale;
    auto dialog = OpenDialog(Defaults());
    dialog->StylePicker(Pen::XMinor)->SelectItemData(KTLineStyleNone);
    dialog->WeightCombo(Pen::YMajor)->setCurrentText("0.75pt");
    dialog->StylePicker(Pen::YMajor)->SelectItemData(KTLineStyleDashDotDot);
    dialog->WeightCombo(Pen::XMajor)->setCurrentText("2");
    dialog->MajorPointPicker()->SelectItemData(8);
    dialog->PolarGridCheck()->setChecked(true);
    dialog->RaysEdit()->setText("36");
    dialog->OnOK();
    ASSERT_EQ(dialog->result(), QDialog::Accepted);

    const KTOptionAxes2& out = dialog->m_options;
    KTLogPen expected;
    expected.Set(0.75, KTLineStyleDashDotDot, RGB(100, 100, 100));
    EXPECT_EQ(out.m_yGridMajorPen.m_value, expected);
    expected.Set(2.0, KTLineStyleSolid, RGB(100, 100, 100));
    EXPECT_EQ(out.m_xGridMajorPen.m_value, expected);
    EXPECT_EQ(out.m_xGridMinorPen.m_value.StyleNumber(), KTLineStyleNone);
    EXPECT_EQ(out.m_majorDot.m_value, 8);
    EXPECT_EQ(out.m_usePolarGrid.m_value, 1);
    EXPECT_EQ(out.m_polarRays.m_value, 36);
    EXPECT_EQ(out.m_showGridDots.m_value, 0);
}

TEST(KTGridDlg, OkWithoutChangesKeepsThePens)
{
    kttest::LocaleScope locale;
    KTOptionAxes2 options = Defaults();
    auto dialog = OpenDialog(options);
    dialog->OnOK();
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    const KTOptionAxes2& out = dialog->m_options;
    for (auto member : {&KTOptionAxes2::m_xGridMajorPen, &KTOptionAxes2::m_xGridMinorPen,
                        &KTOptionAxes2::m_yGridMajorPen, &KTOptionAxes2::m_yGridMinorPen}) {
        const KTLogPen& before = (options.*member).m_value;
        const KTLogPen& after = (out.*member).m_value;
        EXPECT_EQ(after.StyleNumber(), before.StyleNumber());
        EXPECT_EQ(after.m_color, before.m_color);
        EXPECT_NEAR(after.m_width, before.m_width, 1e-6);
    }
    EXPECT_EQ(out.m_majorDot.m_value, options.m_majorDot.m_value);
    EXPECT_EQ(out.m_minorDot.m_value, options.m_minorDot.m_value);
    EXPECT_EQ(out.m_majorDotColor.m_value, options.m_majorDotColor.m_value);
    EXPECT_EQ(out.m_polarRays.m_value, options.m_polarRays.m_value);
}

TEST(KTGridDlg, PolarGridClosesTheYLines)
{
    auto dialog = OpenDialog(Defaults());
    dialog->PolarGridCheck()->click();
    EXPECT_TRUE(dialog->RaysEdit()->isEnabled());
    for (Pen pen : {Pen::YMajor, Pen::YMinor}) {
        EXPECT_FALSE(dialog->StylePicker(pen)->isEnabled());
        EXPECT_FALSE(dialog->WeightCombo(pen)->isEnabled());
        EXPECT_FALSE(dialog->ColorButton(pen)->isEnabled());
    }
    for (Pen pen : {Pen::XMajor, Pen::XMinor}) {
        EXPECT_TRUE(dialog->StylePicker(pen)->isEnabled());
        EXPECT_TRUE(dialog->WeightCombo(pen)->isEnabled());
        EXPECT_TRUE(dialog->ColorButton(pen)->isEnabled());
    }
    // In points mode the second button holds the minor-point colour, which stays editable.
    dialog->PointsRadio()->click();
    EXPECT_TRUE(dialog->ColorButton(Pen::YMajor)->isEnabled());
    dialog->LinesRadio()->click();
    EXPECT_FALSE(dialog->ColorButton(Pen::YMajor)->isEnabled());

    dialog->PolarGridCheck()->click();
    EXPECT_FALSE(dialog->RaysEdit()->isEnabled());
    EXPECT_TRUE(dialog->StylePicker(Pen::YMinor)->isEnabled());
    EXPECT_TRUE(dialog->ColorButton(Pen::YMajor)->isEnabled());
}

TEST(KTGridDlg, RayCountOutsideItsRangeKeepsTheDialogOpen)
{
    const struct
    {
        const char* typed;
        const char* message;
    } rows[] = {
        {"0", "Please enter an integer between 1 and 72."},
        {"73", "Please enter an integer between 1 and 72."},
        {"-5", "Please enter an integer between 1 and 72."},
        {"12.5", "Please enter an integer."},
        {"", "Please enter an integer."},
    };
    for (const auto& row : rows) {
        kttest::MessageBoxRecorder boxes;
        auto dialog = OpenDialog(Defaults());
        dialog->RaysEdit()->setText(row.typed);
        dialog->OnOK();
        EXPECT_NE(dialog->result(), QDialog::Accepted) << row.typed;
        ASSERT_EQ(boxes.Boxes().size(), 1u) << row.typed;
        EXPECT_EQ(boxes.Boxes()[0].text, row.message) << row.typed;
    }
    for (const char* typed : {"1", "72"}) {
        kttest::MessageBoxRecorder boxes;
        auto dialog = OpenDialog(Defaults());
        dialog->RaysEdit()->setText(typed);
        dialog->OnOK();
        EXPECT_EQ(dialog->result(), QDialog::Accepted) << typed;
        EXPECT_TRUE(boxes.Boxes().empty()) << typed;
    }
}

TEST(KTGridDlg, PointShapesOutsideTheirRangeOpenAtTheMidpoint)
{
    KTOptionAxes2 options = Defaults();
    options.m_majorDot.m_value = 40;
    options.m_polarRays.m_value = 500;
    auto dialog = OpenDialog(options);
    EXPECT_EQ(dialog->m_options.m_majorDot.m_value, 5);
    EXPECT_EQ(dialog->MajorPointPicker()->GetSelectedData(), 5);
    EXPECT_EQ(dialog->m_options.m_polarRays.m_value, 36);
    EXPECT_EQ(dialog->RaysEdit()->text(), "36");
}

TEST(KTGridDlg, SetAsDefaultStoresPensAndPointsButNotThePolarGrid)
{
    kttest::LocaleScope locale;
    kttest::TempDir folder;
    KTOptionStore store;
    store.m_location = -1;
    store.SetPath(folder.File("KTG300.ini").string().c_str());
    KTOptionGraph3 defaults;
    const KTOptionAxes2 before = defaults.m_axes;
    auto dialog = OpenDialog(Defaults(), &defaults, &store);
    ASSERT_TRUE(dialog->SetAsDefaultButton()->isEnabled());
    dialog->WeightCombo(Pen::XMinor)->setCurrentText("3pt");
    dialog->PointsRadio()->click();
    dialog->ColorButton(Pen::XMajor)->SetColor(RGB(9, 8, 7));
    dialog->MinorPointPicker()->SelectItemData(6);
    dialog->PolarGridCheck()->setChecked(true);
    dialog->RaysEdit()->setText("12");
    dialog->SetAsDefaultButton()->click();

    EXPECT_DOUBLE_EQ(defaults.m_axes.m_xGridMinorPen.m_value.m_width, 3.0 * KTLogPen::kUnitsPerPoint);
    EXPECT_EQ(defaults.m_axes.m_majorDotColor.m_value, RGB(9, 8, 7));
    EXPECT_EQ(defaults.m_axes.m_minorDot.m_value, 6);
    EXPECT_EQ(defaults.m_axes.m_showGridDots.m_value, 1);
    EXPECT_EQ(defaults.m_axes.m_usePolarGrid.m_value, before.m_usePolarGrid.m_value);
    EXPECT_EQ(defaults.m_axes.m_polarRays.m_value, before.m_polarRays.m_value);
    // The working copy is not changed by this button.
    EXPECT_EQ(dialog->m_options.m_showGridDots.m_value, 0);

    KTOptionStore reread;
    reread.m_location = -1;
    reread.SetPath(folder.File("KTG300.ini").string().c_str());
    KTOptionGraph3 loaded;
    loaded.LoadSettings(reread);
    EXPECT_EQ(loaded.m_axes.m_majorDotColor.m_value, RGB(9, 8, 7));
    EXPECT_EQ(loaded.m_axes.m_minorDot.m_value, 6);
    // The settings file keeps six decimals of the width.
    EXPECT_EQ(loaded.m_axes.m_xGridMinorPen.m_value.m_style, defaults.m_axes.m_xGridMinorPen.m_value.m_style);
    EXPECT_EQ(loaded.m_axes.m_xGridMinorPen.m_value.m_color, defaults.m_axes.m_xGridMinorPen.m_value.m_color);
    EXPECT_NEAR(loaded.m_axes.m_xGridMinorPen.m_value.m_width,
                defaults.m_axes.m_xGridMinorPen.m_value.m_width, 1e-6);
}

TEST(KTGridDlg, ModalHookAnswersDoModal)
{
    const auto previous = KTGridDlg::SetModalHook([](KTGridDlg& dialog) {
        dialog.PointsRadio()->click();
        dialog.OnOK();
        return dialog.result();
    });
    KTGridDlg dialog(nullptr, nullptr);
    dialog.m_options = Defaults();
    EXPECT_EQ(dialog.DoModal(), QDialog::Accepted);
    EXPECT_EQ(dialog.m_options.m_showGridDots.m_value, 1);
    KTGridDlg::SetModalHook(previous);
}

} // namespace

TEST(KTGridDlg, TheWindowFollowsTheModeItShows)
{
    // Grabbed whole, as the user sees it: the heights of the window and its first group.
    struct Look
    {
        int window;
        int group;
        int groupHint;
    };
    const auto look = [](KTGridDlg& dialog) {
        QApplication::processEvents();
        const QImage shown = dialog.grab().toImage();
        EXPECT_EQ(shown.height(), dialog.height());
        QGroupBox* group = dialog.Group(Pen::XMajor);
        return Look{dialog.height(), group->height(), group->sizeHint().height()};
    };
    // A click on the radio's round mark.
    const auto click = [](QRadioButton* radio) {
        QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(6, radio->height() / 2));
    };
    KTOptionAxes2 options = Defaults();
    auto dialog = OpenDialog(options);
    dialog->show();
    const Look lines = look(*dialog);
    click(dialog->PointsRadio());
    ASSERT_TRUE(dialog->PointsRadio()->isChecked());
    const Look points = look(*dialog);
    click(dialog->LinesRadio());
    const Look linesAgain = look(*dialog);

    options.m_showGridDots.m_value = 1;
    auto opened = OpenDialog(options);
    opened->show();
    const Look openedInPoints = look(*opened);

    // Points mode has one row of two small groups: no tall empty group, a shorter window.
    EXPECT_LT(points.window, lines.window);
    EXPECT_LT(points.group, lines.group);
    for (const Look& shown : {lines, points, linesAgain, openedInPoints})
        EXPECT_EQ(shown.group, shown.groupHint);
    EXPECT_EQ(linesAgain.window, lines.window);
    EXPECT_EQ(openedInPoints.window, points.window);
}
