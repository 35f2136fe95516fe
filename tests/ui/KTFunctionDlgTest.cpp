// The Function Properties dialog driven as the user drives it: the fields of a function, moving
// between functions, Delete, "Set As Default", OK, the number's range and the previews.

#include "ui/KTFunctionDlg.h"

#include "engine/KTFunction3.h"
#include "foundation/KTLogPen.h"
#include "graph/KTOptionGraph3.h"
#include "support/KTTestSupport.h"
#include "ui/CColorButton.h"
#include "ui/KTLineStyleComboBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

CString TextOf(const KTFunctionDlg& dialog, int slot)
{
    return dialog.m_data.Function(slot).Data().m_equationText;
}

// A dialog on data whose functions hold the texts, interpreted as the openers leave them.
std::unique_ptr<KTFunctionDlg> OpenDialog(const std::vector<const char*>& texts, int number,
                                          KTOptionGraph3* defaults = nullptr)
{
    auto dialog = std::make_unique<KTFunctionDlg>();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        KTFunction3& function = dialog->m_data.Function(static_cast<int>(i));
        function.Data().m_equationText = texts[i];
        function.Interpret();
        function.TakePendingMessages();
    }
    dialog->m_defaults = defaults;
    dialog->m_functionNumber = number;
    dialog->OnInitDialog();
    return dialog;
}

void TypeNumber(KTFunctionDlg& dialog, const char* text)
{
    dialog.NumberEdit()->selectAll();
    if (*text == '\0')
        QTest::keyClick(dialog.NumberEdit(), Qt::Key_Delete);
    else
        QTest::keyClicks(dialog.NumberEdit(), text);
}

} // namespace

TEST(KTFunctionDlg, WeightsAreShownToTheQuarterPoint)
{
    const struct
    {
        double width;
        const char* shown;
    } rows[] = {{35.2777755, "1pt"}, {35.0, "1pt"},   {26.458331625, "0.75pt"}, {17.63888775, "0.5pt"},
                {0.0, "0pt"},        {88.2, "2.5pt"}, {141.111102, "4pt"},      {40.0, "1.25pt"}};
    for (const auto& row : rows)
        EXPECT_EQ(KTFunctionDlg::WeightText(row.width), row.shown) << row.width;
}

TEST(KTFunctionDlg, TypedWeightsAreReadAsPoints)
{
    const struct
    {
        const char* text;
        bool read;
        double points;
    } rows[] = {{"1.25pt", true, 1.25}, {"2", true, 2.0},     {"0.50pt", true, 0.5},
                {"3 pt", true, 3.0},    {"1,5pt", true, 1.5}, {"-2pt", false, 0.0}};
    for (const auto& row : rows) {
        double points = 0.0;
        EXPECT_EQ(KTFunctionDlg::ReadWeight(row.text, points), row.read) << row.text;
        if (row.read) {
            EXPECT_DOUBLE_EQ(points, row.points) << row.text;
        }
    }
    // Every listed weight reads back as the width it shows.
    for (double quarter = 1; quarter <= 16; ++quarter) {
        double points = 0.0;
        const CString shown = KTFunctionDlg::WeightText(quarter * 0.25 * KTLogPen::kUnitsPerPoint);
        ASSERT_TRUE(KTFunctionDlg::ReadWeight(shown, points)) << static_cast<const char*>(shown);
        EXPECT_DOUBLE_EQ(points, quarter * 0.25);
    }
}

TEST(KTFunctionDlg, DomainJoinsTheEquationBySeparator)
{
    {
        kttest::LocaleScope locale('.', ',');
        EXPECT_EQ(KTFunctionDlg::JoinedText("y=x", "[0, 1]"), "y=x; [0, 1]");
        // A domain of one character is dropped.
        EXPECT_EQ(KTFunctionDlg::JoinedText("y=x", "x"), "y=x");
        EXPECT_EQ(KTFunctionDlg::JoinedText("y=x", ""), "y=x");
    }
    kttest::LocaleScope comma(',', ';');
    EXPECT_EQ(KTFunctionDlg::JoinedText("y=x", "[0; 1]"), "y=x: [0; 1]");
}

TEST(KTFunctionDlg, OpensOnTheFunctionOfItsNumber)
{
    kttest::LocaleScope locale;
    auto dialog = OpenDialog({"y = x^2", "y = 2x + 1; [0, 5]"}, 2);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Function Properties"));
    EXPECT_EQ(dialog->EquationEdit()->text(), QStringLiteral("y = 2x + 1"));
    EXPECT_EQ(dialog->DomainEdit()->text(), QStringLiteral("[0, 5]"));
    EXPECT_TRUE(dialog->DomainEdit()->isEnabled());
    EXPECT_EQ(dialog->NumberEdit()->text(), QStringLiteral("2"));
    EXPECT_EQ(dialog->NumberSpin()->value(), 9);
    // The pen of a new function: one pixel wide, solid.
    EXPECT_EQ(dialog->WeightCombo()->currentText(), QStringLiteral("0.75pt"));
    EXPECT_EQ(dialog->StylePicker()->count(), 5);
    EXPECT_EQ(dialog->StylePicker()->GetSelectedData(), KTLineStyleSolid);
    EXPECT_EQ(dialog->ColorButton()->GetColor(),
              dialog->m_data.Function(1).Data().m_options.m_pen.m_value.m_color);
    EXPECT_FALSE(dialog->SetAsDefaultButton()->isEnabled());
    EXPECT_EQ(dialog->WeightCombo()->count(), 16);
    EXPECT_EQ(dialog->WeightCombo()->itemText(0), QStringLiteral("0.25pt"));
    EXPECT_EQ(dialog->WeightCombo()->itemText(15), QStringLiteral("4pt"));
}

TEST(KTFunctionDlg, EquationTextByInterpretation)
{
    kttest::LocaleScope locale;
    const struct
    {
        const char* typed;
        const char* equation;
        const char* domain;
    } rows[] = {
        {"y = x^2", "y = x^2", ""},
        {"y = sin(x); [-1, 1]", "y = sin(x)", "[-1, 1]"},
        {"x^2 + y^2 = 9", "x^2 + y^2 = 9", ""},
        {"(1, 2)", "(1, 2)", ""},
        // Nothing interpretation could classify is lost: the typed text comes back.
        {"y = = 3 )(", "y = = 3 )(", ""},
        // The equation is the typed text without the domain's piece, as typed.
        {"x = cos(t);y = sin(t); 0 < t < 3", "x = cos(t);y = sin(t)", "0 < t < 3"},
        {"y = x; x > 0; ", "y = x;", "x > 0"},
        // A domain on the dependent variable is a domain all the same.
        {"x^2 + y^2 = 4; y > 0", "x^2 + y^2 = 4", "y > 0"},
        {"x = y^2; x < 4", "x = y^2", "x < 4"},
        // A piece that reads no way keeps the domain inside it.
        {"y = x [0, 1]", "y = x [0, 1]", ""},
    };
    for (const auto& row : rows) {
        KTFunction3 function;
        function.Data().m_equationText = row.typed;
        function.Interpret();
        EXPECT_EQ(KTFunctionDlg::EquationTextWithoutDomain(function), row.equation) << row.typed;
        EXPECT_EQ(KTFunctionDlg::DomainText(function), row.domain) << row.typed;
    }
}

// Under a decimal comma the part separator is ":"; a text that uses ";" (made under another
// locale) reads as it reads, and a dialog only confirmed stores it byte for byte. A changed field
// is joined with the separator of the locale.
TEST(KTFunctionDlg, ADialogOnlyConfirmedStoresWhatItLoaded)
{
    kttest::LocaleScope comma(',', ';');
    const struct
    {
        const char* stored;
        const char* equation;
        const char* domain;
    } rows[] = {
        {"y=sqrt(x); x>1: x<2", "y=sqrt(x); x>1: x<2", ""},
        {"y=sqrt(x): x>1", "y=sqrt(x)", "x>1"},
        {"y = x^2 :  [0; 2]  ", "y = x^2", "[0; 2]"},
        {"x=cos(t): y=sin(t): 0<t<3", "x=cos(t): y=sin(t)", "0<t<3"},
        {"y=x; x>0", "y=x; x>0", ""},
    };
    for (const auto& row : rows) {
        auto dialog = OpenDialog({"y = 1", row.stored}, 2);
        EXPECT_EQ(dialog->EquationEdit()->text(), QString::fromLatin1(row.equation)) << row.stored;
        EXPECT_EQ(dialog->DomainEdit()->text(), QString::fromLatin1(row.domain)) << row.stored;
        // Moving to another function and back applies the fields; OK applies them again.
        TypeNumber(*dialog, "1");
        TypeNumber(*dialog, "2");
        dialog->OnOK();
        EXPECT_EQ(dialog->result(), QDialog::Accepted);
        EXPECT_EQ(TextOf(*dialog, 1), row.stored);
        EXPECT_EQ(TextOf(*dialog, 0), "y = 1");
    }
    auto dialog = OpenDialog({"x=cos(t): y=sin(t): 0<t<3"}, 1);
    dialog->DomainEdit()->setText(QStringLiteral("0<t<2"));
    dialog->OnOK();
    EXPECT_EQ(TextOf(*dialog, 0), "x=cos(t): y=sin(t): 0<t<2");
    EXPECT_EQ(dialog->m_data.Function(0).Status(), KTStatusParametric);
}

TEST(KTFunctionDlg, FieldsGoToTheFunctionOnOK)
{
    kttest::LocaleScope locale;
    auto dialog = OpenDialog({"y = x"}, 1);
    dialog->EquationEdit()->setText(QStringLiteral("y = x^3"));
    dialog->DomainEdit()->setText(QStringLiteral("[-2, 2]"));
    dialog->VerticalAsymptotesCheck()->setChecked(true);
    dialog->ShowArrowsCheck()->setChecked(true);
    dialog->SecondDerivativeCheck()->setChecked(true);
    dialog->StylePicker()->SelectItemData(KTLineStyleDash);
    dialog->WeightCombo()->setEditText(QStringLiteral("2pt"));
    dialog->ColorButton()->SetColor(RGB(10, 20, 30));
    dialog->OnOK();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);

    const KTFunction3& function = dialog->m_data.Function(0);
    const KTFunctionData3& data = function.Data();
    EXPECT_EQ(data.m_equationText, "y = x^3; [-2, 2]");
    // Applied text is interpreted at once.
    EXPECT_EQ(function.Status(), KTStatusExplicit);
    EXPECT_EQ(data.m_options.m_vAsym.m_value, 1);
    EXPECT_EQ(data.m_options.m_hAsym.m_value, 0);
    EXPECT_EQ(data.m_options.m_showFunctionArrows.m_value, 1);
    EXPECT_EQ(data.m_showFirstDerivative, 0);
    EXPECT_EQ(data.m_showSecondDerivative, 1);
    KTLogPen expected;
    expected.Set(2.0, KTLineStyleDash, RGB(10, 20, 30));
    EXPECT_EQ(data.m_options.m_pen.m_value, expected);
    EXPECT_EQ(dialog->m_data.m_dirty, KTGraphData3::Dirty);
}

TEST(KTFunctionDlg, AWeightWithoutANumberKeepsTheWidth)
{
    auto dialog = OpenDialog({"y = x"}, 1);
    const double width = dialog->m_data.Function(0).Data().m_options.m_pen.m_value.m_width;
    dialog->WeightCombo()->setEditText(QStringLiteral("#?"));
    dialog->OnOK();
    EXPECT_DOUBLE_EQ(dialog->m_data.Function(0).Data().m_options.m_pen.m_value.m_width, width);
}

TEST(KTFunctionDlg, MovingBetweenFunctionsWritesTheOneLeft)
{
    kttest::LocaleScope locale;
    auto dialog = OpenDialog({"y = x", "y = 2x"}, 1);
    dialog->EquationEdit()->setText(QStringLiteral("y = 5x"));
    dialog->HorizontalAsymptotesCheck()->setChecked(true);
    TypeNumber(*dialog, "2");
    EXPECT_EQ(dialog->m_functionNumber, 2);
    EXPECT_EQ(TextOf(*dialog, 0), "y = 5x");
    EXPECT_EQ(dialog->m_data.Function(0).Data().m_options.m_hAsym.m_value, 1);
    EXPECT_EQ(dialog->EquationEdit()->text(), QStringLiteral("y = 2x"));
    EXPECT_FALSE(dialog->HorizontalAsymptotesCheck()->isChecked());
    EXPECT_EQ(dialog->NumberSpin()->value(), 9);
    EXPECT_TRUE(dialog->EquationPreviewPending());
    EXPECT_TRUE(dialog->DomainPreviewPending());

    // The spin: up raises the number, down lowers it; it stops at 1 and 10.
    const struct
    {
        int code;
        int expected;
    } steps[] = {{KTFunctionDlg::SB_LINEUP, 3},    {KTFunctionDlg::SB_PAGEUP, 4},
                 {KTFunctionDlg::SB_LINEDOWN, 3},  {KTFunctionDlg::SB_PAGEDOWN, 2},
                 {KTFunctionDlg::SB_LINEDOWN, 1},  {KTFunctionDlg::SB_LINEDOWN, 1},
                 {KTFunctionDlg::SB_THUMBTRACK, 1}};
    for (const auto& step : steps) {
        dialog->OnFunctionSpin(step.code, 5);
        EXPECT_EQ(dialog->m_functionNumber, step.expected) << step.code;
        EXPECT_EQ(dialog->NumberEdit()->text(), QString::number(step.expected));
    }
    dialog->OnFunctionSpin(KTFunctionDlg::SB_THUMBPOSITION, 1);
    EXPECT_EQ(dialog->m_functionNumber, 10);
    dialog->OnFunctionSpin(KTFunctionDlg::SB_LINEUP, 0);
    EXPECT_EQ(dialog->m_functionNumber, 10);
    EXPECT_EQ(dialog->NumberSpin()->value(), 1);
    // Nothing typed elsewhere changed on the way.
    EXPECT_EQ(TextOf(*dialog, 1), "y = 2x");
    EXPECT_EQ(TextOf(*dialog, 9), "");
}

TEST(KTFunctionDlg, ANumberOutsideTheRangeIsRefused)
{
    auto dialog = OpenDialog({"y = x", "y = 2x"}, 1);
    kttest::MessageBoxRecorder boxes;
    const struct
    {
        const char* typed;
        const char* message;
    } rows[] = {{"11", "Please enter an integer between 1 and 10."},
                {"0", "Please enter an integer between 1 and 10."},
                {"x", "Please enter an integer."},
                {"", "Please enter an integer."}};
    for (const auto& row : rows) {
        const std::size_t before = boxes.Boxes().size();
        TypeNumber(*dialog, row.typed);
        ASSERT_GT(boxes.Boxes().size(), before) << row.typed;
        EXPECT_EQ(boxes.Boxes().back().text, row.message) << row.typed;
        EXPECT_EQ(dialog->m_functionNumber, 1) << row.typed;
        EXPECT_EQ(dialog->EquationEdit()->text(), QStringLiteral("y = x"));
    }
    // OK with the number still wrong keeps the dialog open.
    dialog->show();
    dialog->OnOK();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_NE(dialog->result(), QDialog::Accepted);
}

TEST(KTFunctionDlg, DeleteEmptiesTheFunctionAndStaysOpen)
{
    auto dialog = OpenDialog({"y = x; [0, 1]"}, 1);
    dialog->show();
    dialog->OnDelete();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->EquationEdit()->text().isEmpty());
    EXPECT_TRUE(dialog->DomainEdit()->text().isEmpty());
    EXPECT_EQ(TextOf(*dialog, 0), "");
    EXPECT_FALSE(dialog->m_data.Function(0).IsDrawable());
}

TEST(KTFunctionDlg, SetAsDefaultTakesTheFlagsEverywhereAndThePenForOneFunction)
{
    KTOptionGraph3 defaults;
    defaults.m_annotation.m_bDefaultsChanged = 0;
    const KTLogPen otherPen = defaults.m_functions[0].m_pen.m_value;
    auto dialog = OpenDialog({"y = x", "y = 2x", "y = 3x"}, 3, &defaults);
    EXPECT_TRUE(dialog->SetAsDefaultButton()->isEnabled());
    dialog->VerticalAsymptotesCheck()->setChecked(true);
    dialog->ShowDomainLowCheck()->setChecked(true);
    dialog->FirstDerivativeCheck()->setChecked(true);
    dialog->StylePicker()->SelectItemData(KTLineStyleDot);
    dialog->WeightCombo()->setEditText(QStringLiteral("1.5pt"));
    dialog->ColorButton()->SetColor(RGB(200, 0, 0));
    dialog->OnSetAsDefault();

    EXPECT_EQ(defaults.m_annotation.m_bDefaultsChanged, 1);
    KTLogPen expected;
    expected.Set(1.5, KTLineStyleDot, RGB(200, 0, 0));
    EXPECT_EQ(defaults.m_functions[2].m_pen.m_value, expected);
    EXPECT_EQ(defaults.m_functions[0].m_pen.m_value, otherPen);
    for (int i = 0; i < 10; ++i) {
        for (const KTOptionFunction3* options : {&defaults.m_functions[static_cast<std::size_t>(i)],
                                                 &dialog->m_data.Function(i).Data().m_options}) {
            EXPECT_EQ(options->m_vAsym.m_value, 1) << i;
            EXPECT_EQ(options->m_hAsym.m_value, 0) << i;
            EXPECT_EQ(options->m_showLow.m_value, 1) << i;
        }
        // The derivative switches are the function's own, never defaults.
        EXPECT_EQ(dialog->m_data.Function(i).Data().m_showFirstDerivative, 0) << i;
    }
    // The working copy's pens stay until the fields are applied.
    EXPECT_NE(dialog->m_data.Function(2).Data().m_options.m_pen.m_value, expected);
}

TEST(KTFunctionDlg, PreviewsTypesetTheTwoTexts)
{
    auto dialog = OpenDialog({"y = x^2; [0, 3]"}, 1);
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    dialog->EquationPreview()->repaint();
    dialog->DomainPreview()->repaint();
    EXPECT_EQ(dialog->EquationPreviewText(), "y = x^2");
    EXPECT_EQ(dialog->DomainPreviewText(), "[0, 3]");
    EXPECT_FALSE(dialog->EquationPreviewPending());
    QTest::keyClicks(dialog->EquationEdit(), "+1");
    EXPECT_TRUE(dialog->EquationPreviewPending());
    EXPECT_FALSE(dialog->DomainPreviewPending());
    dialog->EquationPreview()->repaint();
    EXPECT_EQ(dialog->EquationPreviewText(), "y = x^2+1");
    // Ink where the equation is drawn.
    const QImage image = dialog->EquationPreview()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ink += qGray(image.pixel(x, y)) < 160 ? 1 : 0;
    EXPECT_GT(ink, 20);
}

TEST(KTFunctionDlg, AModalHookAnswersDoModal)
{
    int calls = 0;
    const KTFunctionDlg::ModalHook previous = KTFunctionDlg::SetModalHook([&](KTFunctionDlg& dialog) {
        ++calls;
        EXPECT_TRUE(dialog.isVisible());
        dialog.EquationEdit()->setText(QStringLiteral("y = 7"));
        dialog.OnOK();
        return dialog.result();
    });
    KTFunctionDlg dialog;
    dialog.m_functionNumber = 4;
    EXPECT_EQ(dialog.DoModal(), QDialog::Accepted);
    KTFunctionDlg::SetModalHook(previous);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(TextOf(dialog, 3), "y = 7");
}

TEST(KTFunctionDlg, InterpretationMessagesAreShownWhenTheTextIsApplied)
{
    auto dialog = OpenDialog({"y = x"}, 1);
    kttest::MessageBoxRecorder boxes;
    dialog->EquationEdit()->setText(QStringLiteral("y = 1/(0)"));
    dialog->OnOK();
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, "Function Error");
    // The text is stored as typed all the same.
    EXPECT_EQ(TextOf(*dialog, 0), "y = 1/(0)");
}
