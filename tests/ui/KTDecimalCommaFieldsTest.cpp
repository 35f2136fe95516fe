// Every number field of the dialogs under a decimal comma: a number typed with the user's comma
// is taken on OK without a message, and what the dialog hands on reads as that number where it
// is used. (Preferences and the millimetre fields of Axes Properties have tables of their own.)

#include "ui/KTAnimationDlg.h"
#include "ui/KTAxesDlg.h"
#include "ui/KTDerivativeDlg.h"
#include "ui/KTFamilyDlg.h"
#include "ui/KTFunctionDlg.h"
#include "ui/KTIntegralDlg.h"
#include "ui/KTQuickEntry.h"

#include "engine/KTFunction3.h"
#include "foundation/KTNumberFormat.h"
#include "foundation/KTNumberTexts.h"
#include "foundation/KTSentinelValues.h"
#include "graph/KTGraph3.h"
#include "support/KTTestSupport.h"
#include "ui/KTDialogTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

constexpr double kHimetricPerPoint = 35.2777755;

void Type(QLineEdit* edit, const char* text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, QString::fromLatin1(text));
}

void TypeInCombo(QComboBox* combo, const char* text)
{
    Type(combo->lineEdit(), text);
}

/// The dialog's OK button, as its own or in its button box.
template <class Dialog> QPushButton* OkButtonOf(Dialog& dialog)
{
    if constexpr (requires { dialog.OkButton(); })
        return dialog.OkButton();
    else
        return dialog.template findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
}

/// Runs the dialog through its hook: `type` types, then OK is clicked; Accepted or not.
template <class Dialog> bool RunAndClickOk(Dialog& dialog, const std::function<void(Dialog&)>& type)
{
    const auto previous = Dialog::SetModalHook([&](Dialog& d) {
        type(d);
        QTest::mouseClick(OkButtonOf(d), Qt::LeftButton);
        return d.result();
    });
    const bool accepted = dialog.DoModal() == QDialog::Accepted;
    Dialog::SetModalHook(previous);
    return accepted;
}

struct Field
{
    const char* name;
    const char* typed;
    double expected;
    /// Opens the dialog, types, clicks OK; the value handed on, KTUndefinedValue when refused.
    std::function<double(const char* typed)> run;
};

double Text(const CString& text)
{
    return EvaluateNumberText(text, nullptr);
}

std::vector<Field> Fields()
{
    return {
        {"Quick Entry x Max", "2,5", 2.5,
         [](const char* typed) {
             KTQuickEntry dialog(nullptr, nullptr);
             const bool ok =
                 RunAndClickOk<KTQuickEntry>(dialog, [&](KTQuickEntry& d) { Type(d.XMaxEdit(), typed); });
             return ok ? Text(dialog.m_data.m_options.m_axes.m_xMaxShowS.m_value) : KTUndefinedValue;
         }},
        {"Axes Properties y Min", "-7,5", -7.5,
         [](const char* typed) {
             KTAxesDlg dialog(nullptr, nullptr);
             dialog.m_options.SetDefaults();
             const bool ok =
                 RunAndClickOk<KTAxesDlg>(dialog, [&](KTAxesDlg& d) { Type(d.YMinEdit(), typed); });
             return ok ? Text(dialog.m_options.m_yMinShowS.m_value) : KTUndefinedValue;
         }},
        {"Axes Properties x minor step", "0,5", 0.5,
         [](const char* typed) {
             KTAxesDlg dialog(nullptr, nullptr);
             dialog.m_options.SetDefaults();
             dialog.m_options.m_autoxMinor.m_value = 0;
             const bool ok =
                 RunAndClickOk<KTAxesDlg>(dialog, [&](KTAxesDlg& d) { Type(d.StepEdit(0), typed); });
             return ok ? Text(dialog.m_options.m_xMinorS.m_value) : KTUndefinedValue;
         }},
        {"Axes Properties x weight", "1,5pt", 1.5,
         [](const char* typed) {
             KTAxesDlg dialog(nullptr, nullptr);
             dialog.m_options.SetDefaults();
             const bool ok = RunAndClickOk<KTAxesDlg>(
                 dialog, [&](KTAxesDlg& d) { TypeInCombo(d.XWeightCombo(), typed); });
             return ok ? dialog.m_options.m_xAxisPen.m_value.m_width / kHimetricPerPoint : KTUndefinedValue;
         }},
        {"Function Properties weight", "2,25pt", 2.25,
         [](const char* typed) {
             KTFunctionDlg dialog;
             dialog.m_functionNumber = 1;
             const bool ok = RunAndClickOk<KTFunctionDlg>(
                 dialog, [&](KTFunctionDlg& d) { TypeInCombo(d.WeightCombo(), typed); });
             return ok ? dialog.m_data.Function(0).Data().m_options.m_pen.m_value.m_width / kHimetricPerPoint
                       : KTUndefinedValue;
         }},
        {"Family step", "0,25", 0.25,
         [](const char* typed) {
             KTFamilyDlg dialog;
             const bool ok =
                 RunAndClickOk<KTFamilyDlg>(dialog, [&](KTFamilyDlg& d) { Type(d.StepEdit(), typed); });
             return ok ? KTNumberText().ToDouble(dialog.m_step) : KTUndefinedValue;
         }},
        {"Animation from", "-1,5", -1.5,
         [](const char* typed) {
             KTAnimationDlg dialog;
             const bool ok = RunAndClickOk<KTAnimationDlg>(
                 dialog, [&](KTAnimationDlg& d) { Type(&d.FromEdit(), typed); });
             return ok ? KTNumberText().ToDouble(dialog.m_from) : KTUndefinedValue;
         }},
        {"Tangent Line x", "0,5", 0.5,
         [](const char* typed) {
             KTGraph3 graph;
             kttest::Interpret(graph, {{0, "y=x^2"}});
             KTDerivativeDlg dialog;
             dialog.m_graph = &graph;
             dialog.m_weightText = "0.25pt";
             const bool ok =
                 RunAndClickOk<KTDerivativeDlg>(dialog, [&](KTDerivativeDlg& d) { Type(d.XEdit(), typed); });
             return ok ? KTFunction3::EvaluateConstantText(dialog.m_xText, &graph.Axes(), nullptr)
                       : KTUndefinedValue;
         }},
        {"Tangent Line weight", "0,75pt", 0.75,
         [](const char* typed) {
             KTGraph3 graph;
             kttest::Interpret(graph, {{0, "y=x^2"}});
             KTDerivativeDlg dialog;
             dialog.m_graph = &graph;
             dialog.m_weightText = "0.25pt";
             const bool ok = RunAndClickOk<KTDerivativeDlg>(dialog, [&](KTDerivativeDlg& d) {
                 Type(d.XEdit(), "1");
                 TypeInCombo(d.WeightCombo(), typed);
             });
             return ok ? KTDerivativeDlg::ReadWeight(dialog.m_weightText) : KTUndefinedValue;
         }},
        {"Calculate Integral upper bound", "1,25", 1.25,
         [](const char* typed) {
             KTGraph3 graph;
             kttest::Interpret(graph, {{0, "y=x^2"}});
             KTIntegralDlg dialog;
             dialog.m_graph = &graph;
             const bool ok = RunAndClickOk<KTIntegralDlg>(dialog, [&](KTIntegralDlg& d) {
                 Type(d.LowerEdit(), "0");
                 Type(d.UpperEdit(), typed);
             });
             return ok ? KTFunction3::EvaluateConstantText(dialog.m_upperText, &graph.Axes(), nullptr)
                       : KTUndefinedValue;
         }},
    };
}

} // namespace

TEST(KTDecimalCommaFields, EveryNumberFieldTakesTheUsersComma)
{
    kttest::LocaleScope comma(',', ';');
    for (const Field& field : Fields()) {
        kttest::MessageBoxRecorder boxes;
        const double value = field.run(field.typed);
        EXPECT_TRUE(boxes.Boxes().empty()) << field.name;
        EXPECT_DOUBLE_EQ(value, field.expected) << field.name;
    }
}

TEST(KTDecimalCommaFields, EveryNumberFieldTakesTheCFormUnderAComma)
{
    kttest::LocaleScope comma(',', ';');
    for (const Field& field : Fields()) {
        CString point = field.typed;
        point.Replace(",", ".");
        kttest::MessageBoxRecorder boxes;
        const double value = field.run(point);
        EXPECT_TRUE(boxes.Boxes().empty()) << field.name;
        EXPECT_DOUBLE_EQ(value, field.expected) << field.name;
    }
}
