// Axes Properties driven as the user drives it: opening on a record, the enabling rules, OK,
// "Set As Default", the range checks of the millimetre edits and the remembered expander.

#include "ui/KTAxesDlg.h"

#include "foundation/KTLogPen.h"
#include "foundation/KTOptionStore.h"
#include "graph/KTOptionGraph3.h"
#include "support/KTTestSupport.h"
#include "ui/CColorButton.h"
#include "ui/KTBreakTypeComboBox.h"
#include "ui/KTFontCombo.h"
#include "ui/KTLineStyleComboBox.h"

#include <QCheckBox>
#include <QDir>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>

namespace {

std::unique_ptr<KTAxesDlg> OpenDialog(const KTOptionAxes2& options, KTOptionGraph3* defaults = nullptr,
                                      KTOptionStore* store = nullptr)
{
    auto dialog = std::make_unique<KTAxesDlg>(defaults, store);
    dialog->m_options = options;
    dialog->OnInitDialog();
    return dialog;
}

KTOptionAxes2 Defaults()
{
    KTOptionAxes2 options;
    options.SetDefaults();
    return options;
}

/// The remembered expanded state is process-wide: every test starts from the program's start.
class KTAxesDlgTest : public ::testing::Test
{
protected:
    void SetUp() override { KTAxesDlg::SetRememberedExpanded(false); }
    void TearDown() override { KTAxesDlg::SetRememberedExpanded(false); }
};

TEST_F(KTAxesDlgTest, OpensOnTheWorkingOptions)
{
    KTOptionAxes2 options = Defaults();
    options.m_xMinShowS.SetValue("-2pi");
    options.m_yMaxShowS.SetValue("7");
    options.m_xMajorS.SetValue("pi/2");
    options.m_autoxMajor.m_value = 1;
    options.m_showyTicks.m_value = 0;
    options.m_xLogScale.m_value = 1;
    options.m_xScaleMeasurement.m_value = 2500.0;
    auto dialog = OpenDialog(options);

    EXPECT_EQ(dialog->windowTitle(), "Axes Properties");
    EXPECT_EQ(dialog->XMinEdit()->text(), "-2pi");
    EXPECT_EQ(dialog->XMaxEdit()->text(), "10");
    EXPECT_EQ(dialog->YMaxEdit()->text(), "7");
    EXPECT_EQ(dialog->StepEdit(1)->text(), "pi/2");
    // An automatic step's edit is disabled; the others stay open.
    EXPECT_TRUE(dialog->AutoStepCheck(1)->isChecked());
    EXPECT_FALSE(dialog->StepEdit(1)->isEnabled());
    EXPECT_TRUE(dialog->StepEdit(0)->isEnabled() == !options.m_autoxMinor.m_value);
    EXPECT_FALSE(dialog->ShowCheck(4)->isChecked());
    EXPECT_TRUE(dialog->ShowCheck(0)->isChecked());
    // The logarithmic checks are carried although not offered.
    EXPECT_TRUE(dialog->XLogCheck()->isChecked());
    EXPECT_FALSE(dialog->XLogCheck()->isVisibleTo(dialog.get()));
    // Free scaling: ranges open, millimetres closed; millimetres shown as hundredths.
    EXPECT_TRUE(dialog->RestrictionRadio(0)->isChecked());
    EXPECT_TRUE(dialog->XMinEdit()->isEnabled());
    EXPECT_FALSE(dialog->XMillimetreEdit()->isEnabled());
    EXPECT_EQ(dialog->XMillimetreEdit()->text(), "25");
    EXPECT_EQ(dialog->YMillimetreEdit()->text(), "10");
    // The factory pens: half a point, solid, black; the fonts 11 points.
    EXPECT_EQ(dialog->XWeightCombo()->currentText(), "0.5pt");
    EXPECT_EQ(dialog->XStylePicker()->GetSelectedData(), 13);
    EXPECT_TRUE(dialog->XWeightCombo()->isEnabled());
    EXPECT_EQ(dialog->AxisSizeCombo()->currentText(), "11");
    EXPECT_EQ(dialog->ScaleSizeCombo()->currentText(), "11");
    // Break type 1, offered because broken scales are allowed.
    EXPECT_EQ(dialog->BreakTypePicker()->GetSelectedData(), 1);
    EXPECT_TRUE(dialog->BreakTypePicker()->isEnabled());
    EXPECT_EQ(dialog->XWeightCombo()->count(), 16);
    EXPECT_EQ(dialog->XWeightCombo()->itemText(1), "0.50pt");
    EXPECT_EQ(dialog->AxisSizeCombo()->count(), 16);
    EXPECT_EQ(dialog->AxisSizeCombo()->itemText(15), "72");
    EXPECT_EQ(dialog->SetAsDefaultButton()->isEnabled(), false);
}

TEST_F(KTAxesDlgTest, WeightAndSizeTexts)
{
    kttest::LocaleScope locale;
    const struct
    {
        double width;
        const char* text;
    } weights[] = {{35.2777755, "1pt"}, {17.63888775, "0.5pt"}, {0.0, "0pt"},    {26.4583, "0.75pt"},
                   {30.0, "0.75pt"},    {141.111102, "4pt"},    {40.0, "1.25pt"}};
    for (const auto& row : weights)
        EXPECT_EQ(KTAxesDlg::WeightText(row.width), row.text) << row.width;

    const struct
    {
        const char* text;
        double points;
    } typed[] = {{"1.5pt", 1.5}, {"1.5", 1.5}, {"2PT", 2.0}, {"0,75pt", 0.75}, {"3 pt", 3.0}};
    for (const auto& row : typed)
        EXPECT_DOUBLE_EQ(KTAxesDlg::WeightPoints(row.text), row.points) << row.text;

    EXPECT_EQ(KTAxesDlg::SizeText(388), "11");
    EXPECT_EQ(KTAxesDlg::SizeHimetric("10.6"), 373);
    EXPECT_EQ(KTAxesDlg::SizeText(373), "11");
    EXPECT_EQ(KTAxesDlg::SizeHimetric("11"), 388);
    EXPECT_EQ(KTAxesDlg::SizeText(KTAxesDlg::SizeHimetric("72")), "72");
    // A size no integer holds is refused instead of being truncated into nonsense.
    EXPECT_EQ(KTAxesDlg::SizeHimetric("99999999999999999999"), -1);

    // The user's decimal comma shows in the weights.
    kttest::LocaleScope comma(',', ';');
    EXPECT_EQ(KTAxesDlg::WeightText(17.63888775), "0,5pt");
}

TEST_F(KTAxesDlgTest, FixedScaleSwapsRangesForMillimetres)
{
    auto dialog = OpenDialog(Defaults());
    dialog->RestrictionRadio(2)->click();
    for (QLineEdit* edit : {dialog->XMinEdit(), dialog->XMaxEdit(), dialog->YMinEdit(), dialog->YMaxEdit()})
        EXPECT_FALSE(edit->isEnabled());
    EXPECT_TRUE(dialog->XMillimetreEdit()->isEnabled());
    EXPECT_TRUE(dialog->YMillimetreEdit()->isEnabled());

    for (int free : {0, 1}) {
        dialog->RestrictionRadio(2)->click();
        dialog->RestrictionRadio(free)->click();
        for (QLineEdit* edit :
             {dialog->XMinEdit(), dialog->XMaxEdit(), dialog->YMinEdit(), dialog->YMaxEdit()})
            EXPECT_TRUE(edit->isEnabled()) << free;
        EXPECT_FALSE(dialog->XMillimetreEdit()->isEnabled()) << free;
        EXPECT_FALSE(dialog->YMillimetreEdit()->isEnabled()) << free;
    }
}

TEST_F(KTAxesDlgTest, OpensFixedWithRangesClosed)
{
    KTOptionAxes2 options = Defaults();
    options.m_scaleRestriction.m_value = 2;
    auto dialog = OpenDialog(options);
    EXPECT_TRUE(dialog->RestrictionRadio(2)->isChecked());
    EXPECT_FALSE(dialog->YMaxEdit()->isEnabled());
    EXPECT_TRUE(dialog->YMillimetreEdit()->isEnabled());
}

TEST_F(KTAxesDlgTest, OnlyASolidLineHasAWeight)
{
    auto dialog = OpenDialog(Defaults());
    dialog->XStylePicker()->SelectItemData(KTLineStyleDot);
    dialog->OnXStyleChange();
    EXPECT_FALSE(dialog->XWeightCombo()->isEnabled());
    EXPECT_TRUE(dialog->YWeightCombo()->isEnabled());
    dialog->XStylePicker()->SelectItemData(KTLineStyleSolid);
    dialog->OnXStyleChange();
    EXPECT_TRUE(dialog->XWeightCombo()->isEnabled());

    // A dashed pen opens with its weight closed.
    KTOptionAxes2 options = Defaults();
    KTLogPen dashed;
    dashed.Set(1.0, KTLineStyleDash, RGB(1, 2, 3));
    options.m_yAxisPen.m_value = dashed;
    auto second = OpenDialog(options);
    EXPECT_EQ(second->YStylePicker()->GetSelectedData(), KTLineStyleDash);
    EXPECT_FALSE(second->YWeightCombo()->isEnabled());
}

TEST_F(KTAxesDlgTest, AutomaticStepsAndBrokenScalesEnableTheirControls)
{
    auto dialog = OpenDialog(Defaults());
    for (int i = 0; i < 4; ++i) {
        dialog->AutoStepCheck(i)->setChecked(false);
        dialog->OnAutoStep(i);
        EXPECT_TRUE(dialog->StepEdit(i)->isEnabled()) << i;
        dialog->AutoStepCheck(i)->click();
        EXPECT_FALSE(dialog->StepEdit(i)->isEnabled()) << i;
    }
    dialog->ShowCheck(6)->click();
    EXPECT_FALSE(dialog->BreakTypePicker()->isEnabled());
    dialog->ShowCheck(6)->click();
    EXPECT_TRUE(dialog->BreakTypePicker()->isEnabled());
}

TEST_F(KTAxesDlgTest, BreakTypeOutsideItsRangeOpensAtTheMidpoint)
{
    KTOptionAxes2 options = Defaults();
    options.m_breakType.m_value = 9;
    auto dialog = OpenDialog(options);
    EXPECT_EQ(dialog->BreakTypePicker()->GetSelectedData(), 2);
    EXPECT_EQ(dialog->m_options.m_breakType.m_value, 2);
}

TEST_F(KTAxesDlgTest, OkWritesTheControlsIntoTheWorkingCopy)
{
    kttest::LocaleScope locale;
    KTOptionAxes2 options = Defaults();
    options.m_axisFont.m_value.m_logFont.lfItalic = 1;
    auto dialog = OpenDialog(options);
    ASSERT_GT(dialog->AxisFacePicker()->count(), 0);

    dialog->XMinEdit()->setText("-2pi");
    dialog->YMaxEdit()->setText("1e3");
    dialog->StepEdit(3)->setText("1/2");
    dialog->AutoStepCheck(3)->setChecked(false);
    dialog->ShowCheck(2)->setChecked(false);
    dialog->ShowCheck(6)->setChecked(false);
    dialog->BreakTypePicker()->SelectItemData(4);
    dialog->YLogCheck()->setChecked(true);
    dialog->RestrictionRadio(2)->setChecked(true);
    dialog->XMillimetreEdit()->setText("25");
    dialog->YMillimetreEdit()->setText("0.5");
    dialog->XStylePicker()->SelectItemData(KTLineStyleDash);
    dialog->XWeightCombo()->setCurrentText("2pt");
    dialog->XAxisColorButton()->SetColor(RGB(10, 20, 30));
    dialog->YWeightCombo()->setCurrentText("1.25");
    const QString face = dialog->AxisFacePicker()->itemText(dialog->AxisFacePicker()->count() - 1);
    dialog->AxisFacePicker()->setCurrentIndex(dialog->AxisFacePicker()->count() - 1);
    dialog->AxisSizeCombo()->setCurrentText("10.6");
    dialog->AxisFontColorButton()->SetColor(RGB(200, 0, 0));
    QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);

    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    const KTOptionAxes2& out = dialog->m_options;
    // Texts are stored as typed, never evaluated.
    EXPECT_EQ(out.m_xMinShowS.m_value, "-2pi");
    EXPECT_EQ(out.m_yMaxShowS.m_value, "1e3");
    EXPECT_EQ(out.m_yMajorS.m_value, "1/2");
    EXPECT_EQ(out.m_autoyMajor.m_value, 0);
    EXPECT_EQ(out.m_showxAxis.m_value, 0);
    EXPECT_EQ(out.m_allowBreakScales.m_value, 0);
    EXPECT_EQ(out.m_breakType.m_value, 4);
    EXPECT_EQ(out.m_yLogScale.m_value, 1);
    EXPECT_EQ(out.m_scaleRestriction.m_value, 2);
    EXPECT_DOUBLE_EQ(out.m_xScaleMeasurement.m_value, 2500.0);
    EXPECT_DOUBLE_EQ(out.m_yScaleMeasurement.m_value, 50.0);
    KTLogPen xPen;
    xPen.Set(2.0, KTLineStyleDash, RGB(10, 20, 30));
    EXPECT_EQ(out.m_xAxisPen.m_value, xPen);
    KTLogPen yPen;
    yPen.Set(1.25, KTLineStyleSolid, 0);
    EXPECT_EQ(out.m_yAxisPen.m_value, yPen);
    EXPECT_EQ(out.m_axisFont.m_value.GetFaceName(), CString::FromQString(face).Left(31));
    EXPECT_EQ(out.m_axisFont.m_value.m_size, 373);
    EXPECT_EQ(out.m_axisFont.m_value.m_color, RGB(200, 0, 0));
    // Every other attribute of the font comes back to the record's defaults.
    EXPECT_EQ(out.m_axisFont.m_value.m_logFont.lfItalic, 0);
}

TEST_F(KTAxesDlgTest, OkWithoutChangesKeepsTheRecord)
{
    kttest::LocaleScope locale;
    KTOptionAxes2 options = Defaults();
    KTLogPen pen;
    pen.Set(2.75, KTLineStyleDashDot, RGB(1, 2, 3));
    options.m_xAxisPen.m_value = pen;
    options.m_scaleRestriction.m_value = 1;
    options.m_yScaleMeasurement.m_value = 1234.5;
    auto dialog = OpenDialog(options);
    EXPECT_EQ(dialog->ScaleFacePicker()->currentText(), QStringLiteral("Arial"));
    dialog->OnOK();
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    const KTOptionAxes2& out = dialog->m_options;
    EXPECT_EQ(out.m_xAxisPen.m_value, pen);
    EXPECT_EQ(out.m_yAxisPen.m_value, options.m_yAxisPen.m_value);
    EXPECT_EQ(out.m_scaleRestriction.m_value, 1);
    EXPECT_DOUBLE_EQ(out.m_yScaleMeasurement.m_value, 1234.5);
    EXPECT_EQ(out.m_scaleFont.m_value, options.m_scaleFont.m_value);
    EXPECT_EQ(out.m_axisFont.m_value, options.m_axisFont.m_value);
    for (const KTOptionString* text : {&out.m_xMinShowS, &out.m_xMaxShowS, &out.m_yMinShowS, &out.m_yMaxShowS,
                                       &out.m_xMinorS, &out.m_xMajorS, &out.m_yMinorS, &out.m_yMajorS})
        EXPECT_FALSE(text->m_value.IsEmpty());
    EXPECT_EQ(out.m_xMaxShowS.m_value, options.m_xMaxShowS.m_value);
    EXPECT_EQ(out.m_showxScale.m_value, options.m_showxScale.m_value);
    EXPECT_EQ(out.m_breakType.m_value, options.m_breakType.m_value);
}

TEST_F(KTAxesDlgTest, OkWithoutTouchingTheFontsKeepsEveryFont)
{
    kttest::LocaleScope locale;
    struct Row
    {
        const char* face;
        int size; // hundredths of a millimetre
        int weight;
        BYTE italic;
    };
    const Row rows[] = {
        {"Arial", 388, 400, 1},       // the factory axis font: not installed here, italic
        {"DejaVu Sans", 400, 700, 0}, // installed; a size between whole points, bold
        {"C059", 423, 400, 0},        // a face the font system lists with its foundry
        {"Gone Sans", 1000, 400, 1},  // installed nowhere
    };
    for (const Row& row : rows) {
        KTOptionAxes2 options = Defaults();
        for (KTOptionKTLogFont* font : {&options.m_axisFont, &options.m_scaleFont}) {
            font->m_value.SetFaceName(row.face);
            font->m_value.m_size = row.size;
            font->m_value.m_logFont.lfWeight = row.weight;
            font->m_value.m_logFont.lfItalic = row.italic;
            font->m_value.m_color = RGB(10, 20, 30);
        }
        auto dialog = OpenDialog(options);
        dialog->show();
        dialog->grab(); // the whole dialog, as the user sees it
        EXPECT_EQ(dialog->AxisFacePicker()->currentText(), QString::fromLatin1(row.face));
        EXPECT_EQ(dialog->ScaleFacePicker()->currentText(), QString::fromLatin1(row.face));
        QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
        ASSERT_EQ(dialog->result(), QDialog::Accepted) << row.face;
        EXPECT_EQ(dialog->m_options.m_axisFont.m_value, options.m_axisFont.m_value) << row.face;
        EXPECT_EQ(dialog->m_options.m_scaleFont.m_value, options.m_scaleFont.m_value) << row.face;
    }
}

TEST_F(KTAxesDlgTest, UnusableWeightsAndSizesKeepTheOldValues)
{
    KTOptionAxes2 options = Defaults();
    auto dialog = OpenDialog(options);
    dialog->XWeightCombo()->setCurrentText("99999999999999999999pt");
    dialog->ScaleSizeCombo()->setCurrentText("99999999999999999999");
    dialog->OnOK();
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_DOUBLE_EQ(dialog->m_options.m_xAxisPen.m_value.m_width, options.m_xAxisPen.m_value.m_width);
    EXPECT_EQ(dialog->m_options.m_scaleFont.m_value.m_size, 388);
}

TEST_F(KTAxesDlgTest, RefusedMillimetresKeepTheDialogOpen)
{
    const struct
    {
        const char* typed;
        const char* message;
    } rows[] = {
        {"abc", "Please enter a number."},
        {"", "Please enter a number."},
        {"-1", "Please enter a number between 0 and 1000000000."},
        {"2e9", "Please enter a number between 0 and 1000000000."},
    };
    for (const auto& row : rows) {
        kttest::MessageBoxRecorder boxes;
        auto dialog = OpenDialog(Defaults());
        dialog->YMillimetreEdit()->setText(row.typed);
        dialog->OnOK();
        EXPECT_NE(dialog->result(), QDialog::Accepted) << row.typed;
        // One message for one refused value.
        ASSERT_EQ(boxes.Boxes().size(), 1u) << row.typed;
        EXPECT_EQ(boxes.Boxes()[0].text, row.message) << row.typed;
    }
    // The ends of the range pass.
    for (const char* typed : {"0", "1000000000", " 12.5 "}) {
        kttest::MessageBoxRecorder boxes;
        auto dialog = OpenDialog(Defaults());
        dialog->XMillimetreEdit()->setText(typed);
        dialog->OnOK();
        EXPECT_EQ(dialog->result(), QDialog::Accepted) << typed;
        EXPECT_TRUE(boxes.Boxes().empty()) << typed;
    }
}

TEST_F(KTAxesDlgTest, MillimetresAreShownAndReadInTheUsersFormAndTheCForm)
{
    const struct
    {
        char decimal;
        const char* typed;
        double stored; ///< hundredths of a millimetre; 0 for a refused text
    } rows[] = {
        {',', "12,5", 1250.0}, {',', "12.5", 1250.0}, {',', " 0,25 ", 25.0}, {',', "1,5e2", 15000.0},
        {',', "1.000,5", 0.0}, {',', "12,5,", 0.0},   {'.', "12.5", 1250.0}, {'.', "12,5", 0.0},
    };
    for (const auto& row : rows) {
        kttest::LocaleScope locale(row.decimal, row.decimal == ',' ? ';' : ',');
        KTOptionAxes2 options = Defaults();
        options.m_scaleRestriction.m_value = 2;
        options.m_yScaleMeasurement.m_value = 750.0;
        auto dialog = OpenDialog(options);
        EXPECT_EQ(dialog->YMillimetreEdit()->text(), row.decimal == ',' ? "7,5" : "7.5");
        if (&row == &rows[0]) {
            dialog->OnMoreLess();
            QDir().mkpath(QStringLiteral(KT_UI_PICTURE_DIR));
            dialog->grab().save(QStringLiteral(KT_UI_PICTURE_DIR "/axes-decimal-comma.png"));
        }
        QLineEdit* edit = dialog->XMillimetreEdit();
        edit->selectAll();
        QTest::keyClicks(edit, QString::fromLatin1(row.typed));
        kttest::MessageBoxRecorder boxes;
        QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
        if (row.stored == 0.0) {
            EXPECT_NE(dialog->result(), QDialog::Accepted) << row.typed;
            ASSERT_EQ(boxes.Boxes().size(), 1u) << row.typed;
            EXPECT_EQ(boxes.Boxes()[0].text, "Please enter a number.") << row.typed;
            continue;
        }
        EXPECT_EQ(dialog->result(), QDialog::Accepted) << row.typed;
        EXPECT_TRUE(boxes.Boxes().empty()) << row.typed;
        EXPECT_DOUBLE_EQ(dialog->m_options.m_xScaleMeasurement.m_value, row.stored) << row.typed;
        EXPECT_DOUBLE_EQ(dialog->m_options.m_yScaleMeasurement.m_value, 750.0) << row.typed;
    }
}

TEST_F(KTAxesDlgTest, RangesAndStepsThatAreNoNumbersAreRefused)
{
    const struct
    {
        int edit; ///< 0..3 the ranges (x min, x max, y min, y max), 4..7 the steps
        const char* typed;
        bool refused;
    } rows[] = {
        {1, "abc", true},
        {0, "", true},
        {3, "1e3x", true},
        {2, "2e-", true},
        {1, "1,5,", true},
        {5, "x", true},
        {4, "", true},
        {7, "1/2/3", true},
        // Past the doubles, or over a zero: a number text with no value.
        {4, "1e400", true},
        {5, "3/1e-400", true},
        {6, "1/0", true},
        {1, "1e400", true},
        {1, "1e3", false},
        {0, "-2.5e-4", false},
        {3, " 5 ", false},
        {2, "-e", false},
        {1, "3e/4", false},
        {5, "pi/6", false},
        {4, "1e-3", false},
        {6, "2.5", false},
        // A step is counted in the user's decimals: "2,5" would count no steps at all here.
        {6, "2,5", true},
    };
    for (const auto& row : rows) {
        kttest::MessageBoxRecorder boxes;
        auto dialog = OpenDialog(Defaults());
        QLineEdit* edit = row.edit < 4 ? (row.edit == 0   ? dialog->XMinEdit()
                                          : row.edit == 1 ? dialog->XMaxEdit()
                                          : row.edit == 2 ? dialog->YMinEdit()
                                                          : dialog->YMaxEdit())
                                       : dialog->StepEdit(row.edit - 4);
        dialog->AutoStepCheck(std::max(0, row.edit - 4))->setChecked(false);
        edit->setEnabled(true);
        edit->setText(row.typed);
        dialog->OnOK();
        EXPECT_EQ(dialog->result() != QDialog::Accepted, row.refused) << row.typed;
        EXPECT_EQ(boxes.Boxes().size(), row.refused ? 1u : 0u) << row.typed;
        if (row.refused) {
            EXPECT_EQ(boxes.Boxes()[0].text, "Please enter a number.") << row.typed;
            EXPECT_TRUE(edit->hasFocus() || !dialog->isVisible()) << row.typed;
        }
    }
    // A step the dialog fills itself (an automatic step, its edit disabled) is not checked.
    kttest::MessageBoxRecorder boxes;
    auto dialog = OpenDialog(Defaults());
    dialog->StepEdit(0)->setEnabled(false);
    dialog->StepEdit(0)->setText("automatic");
    dialog->OnOK();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(KTAxesDlgTest, SetAsDefaultWritesTheDefaultsAndTheFile)
{
    kttest::TempDir folder;
    KTOptionStore store;
    store.m_location = -1;
    store.SetPath(folder.File("KTG300.ini").string().c_str());
    KTOptionGraph3 defaults;
    auto dialog = OpenDialog(Defaults(), &defaults, &store);
    ASSERT_TRUE(dialog->SetAsDefaultButton()->isEnabled());
    dialog->XMaxEdit()->setText("25");
    dialog->ShowCheck(0)->setChecked(false);
    dialog->YWeightCombo()->setCurrentText("3pt");
    QTest::mouseClick(dialog->SetAsDefaultButton(), Qt::LeftButton);

    EXPECT_EQ(defaults.m_axes.m_xMaxShowS.m_value, "25");
    EXPECT_EQ(defaults.m_axes.m_showxScale.m_value, 0);
    EXPECT_DOUBLE_EQ(defaults.m_axes.m_yAxisPen.m_value.m_width, 3.0 * KTLogPen::kUnitsPerPoint);
    // The working copy is untouched and the dialog stays open.
    EXPECT_EQ(dialog->m_options.m_xMaxShowS.m_value, "10");
    EXPECT_NE(dialog->result(), QDialog::Accepted);

    KTOptionStore reread;
    reread.m_location = -1;
    reread.SetPath(folder.File("KTG300.ini").string().c_str());
    KTOptionGraph3 loaded;
    loaded.LoadSettings(reread);
    EXPECT_EQ(loaded.m_axes.m_xMaxShowS.m_value, "25");
    EXPECT_EQ(loaded.m_axes.m_showxScale.m_value, 0);
    // The settings file keeps six decimals of the width.
    EXPECT_EQ(loaded.m_axes.m_yAxisPen.m_value.m_style, defaults.m_axes.m_yAxisPen.m_value.m_style);
    EXPECT_EQ(loaded.m_axes.m_yAxisPen.m_value.m_color, defaults.m_axes.m_yAxisPen.m_value.m_color);
    EXPECT_NEAR(loaded.m_axes.m_yAxisPen.m_value.m_width, defaults.m_axes.m_yAxisPen.m_value.m_width, 1e-6);

    // After a refused value nothing is written.
    kttest::MessageBoxRecorder boxes;
    dialog->XMaxEdit()->setText("99");
    dialog->XMillimetreEdit()->setText("x");
    dialog->OnSetAsDefault();
    EXPECT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(defaults.m_axes.m_xMaxShowS.m_value, "25");
}

TEST_F(KTAxesDlgTest, ExpandedStateIsRememberedBetweenOpenings)
{
    {
        auto dialog = OpenDialog(Defaults());
        EXPECT_FALSE(dialog->Expander().IsExpanded());
        EXPECT_EQ(dialog->MoreLessButton()->text(), "More >>");
        EXPECT_FALSE(dialog->RestrictionRadio(0)->isVisibleTo(dialog.get()));
        QTest::mouseClick(dialog->MoreLessButton(), Qt::LeftButton);
        EXPECT_TRUE(dialog->Expander().IsExpanded());
        EXPECT_EQ(dialog->MoreLessButton()->text(), "<< Less");
        EXPECT_TRUE(dialog->RestrictionRadio(0)->isVisibleTo(dialog.get()));
        dialog->OnOK();
    }
    EXPECT_TRUE(KTAxesDlg::RememberedExpanded());
    auto again = OpenDialog(Defaults());
    EXPECT_TRUE(again->Expander().IsExpanded());
    EXPECT_EQ(again->MoreLessButton()->text(), "<< Less");
}

TEST_F(KTAxesDlgTest, AutomaticColourStandsForTheFactoryColour)
{
    KTOptionAxes2 options = Defaults();
    auto dialog = OpenDialog(options);
    dialog->YAxisColorButton()->SetColor(COLORPICK_AUTOMATIC);
    dialog->OnOK();
    EXPECT_EQ(dialog->m_options.m_yAxisPen.m_value.m_color, options.m_yAxisPen.GetDefault().m_color);
}

TEST_F(KTAxesDlgTest, ModalHookAnswersDoModal)
{
    const auto previous = KTAxesDlg::SetModalHook([](KTAxesDlg& dialog) {
        dialog.XMaxEdit()->setText("3");
        dialog.OnOK();
        return dialog.result();
    });
    KTAxesDlg dialog(nullptr, nullptr);
    dialog.m_options = Defaults();
    EXPECT_EQ(dialog.DoModal(), QDialog::Accepted);
    EXPECT_EQ(dialog.m_options.m_xMaxShowS.m_value, "3");
    KTAxesDlg::SetModalHook(previous);
}

} // namespace
