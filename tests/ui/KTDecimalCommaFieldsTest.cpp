// Every number field of the dialogs under a decimal comma: a number typed with the user's comma
// is taken on OK without a message, and what the dialog hands on reads as that number where it
// is used. The C form is read too, under either locale.

#include "ui/KTAnimationDlg.h"
#include "ui/KTAnnotateEditDlg.h"
#include "ui/KTAxesDlg.h"
#include "ui/KTDerivativeDlg.h"
#include "ui/KTFamilyDlg.h"
#include "ui/KTFunctionDlg.h"
#include "ui/KTGridDlg.h"
#include "ui/KTIntegralDlg.h"
#include "ui/KTParameterBar.h"
#include "ui/KTPreferenceDlg.h"
#include "ui/KTQuickEntry.h"

#include "engine/KTFunction3.h"
#include "foundation/KTNumberFormat.h"
#include "foundation/KTNumberTexts.h"
#include "foundation/KTSentinelValues.h"
#include "graph/KTAnnotationEditFields.h"
#include "graph/KTGraph3.h"
#include "graph/KTOptionGraph3.h"
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
/// 12.5 points of a font are 12.5 * 2540 / 72 = 440.97 hundredths of a millimetre, kept whole.
constexpr double kTwelveAndAHalfPoints = 440.0;

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

Field AxesRange(const char* name, const char* typed, double expected, int which,
                KTOptionString KTOptionAxes2::*stored)
{
    return {name, typed, expected, [which, stored](const char* text) {
                KTAxesDlg dialog(nullptr, nullptr);
                dialog.m_options.SetDefaults();
                const bool ok = RunAndClickOk<KTAxesDlg>(dialog, [&](KTAxesDlg& d) {
                    QLineEdit* edits[] = {d.XMinEdit(), d.XMaxEdit(), d.YMinEdit(), d.YMaxEdit()};
                    Type(edits[which], text);
                });
                return ok ? Text((dialog.m_options.*stored).m_value) : KTUndefinedValue;
            }};
}

Field AxesStep(const char* name, const char* typed, double expected, int which,
               KTOptionBool KTOptionAxes2::*automatic, KTOptionString KTOptionAxes2::*stored)
{
    return {name, typed, expected, [which, automatic, stored](const char* text) {
                KTAxesDlg dialog(nullptr, nullptr);
                dialog.m_options.SetDefaults();
                (dialog.m_options.*automatic).m_value = 0;
                const bool ok =
                    RunAndClickOk<KTAxesDlg>(dialog, [&](KTAxesDlg& d) { Type(d.StepEdit(which), text); });
                return ok ? Text((dialog.m_options.*stored).m_value) : KTUndefinedValue;
            }};
}

/// A millimetre field behind "More>>", with the scale fixed; hundredths of a millimetre.
Field AxesMillimetres(const char* name, const char* typed, double expected, bool y)
{
    return {name, typed, expected, [y](const char* text) {
                KTAxesDlg dialog(nullptr, nullptr);
                dialog.m_options.SetDefaults();
                dialog.m_options.m_scaleRestriction.m_value = 2;
                const bool ok = RunAndClickOk<KTAxesDlg>(dialog, [&](KTAxesDlg& d) {
                    d.OnMoreLess();
                    Type(y ? d.YMillimetreEdit() : d.XMillimetreEdit(), text);
                });
                return ok ? (y ? dialog.m_options.m_yScaleMeasurement.m_value
                               : dialog.m_options.m_xScaleMeasurement.m_value)
                          : KTUndefinedValue;
            }};
}

/// A field behind Axes Properties' "More>>": typed by `type`, read back by `read` after OK.
template <typename TypeInto, typename Read>
Field AxesMore(const char* name, const char* typed, double expected, TypeInto type, Read read)
{
    return {name, typed, expected, [type, read](const char* text) {
                KTAxesDlg dialog(nullptr, nullptr);
                dialog.m_options.SetDefaults();
                const bool ok = RunAndClickOk<KTAxesDlg>(dialog, [&](KTAxesDlg& d) {
                    d.OnMoreLess();
                    type(d, text);
                });
                return ok ? read(dialog.m_options) : KTUndefinedValue;
            }};
}

Field FamilyField(const char* name, const char* typed, double expected,
                  QLineEdit* (KTFamilyDlg::*edit)() const, CString KTFamilyDlg::*stored)
{
    return {name, typed, expected, [edit, stored](const char* text) {
                KTFamilyDlg dialog;
                const bool ok =
                    RunAndClickOk<KTFamilyDlg>(dialog, [&](KTFamilyDlg& d) { Type((d.*edit)(), text); });
                return ok ? KTNumberText().ToDouble(dialog.*stored) : KTUndefinedValue;
            }};
}

Field AnimationField(const char* name, const char* typed, double expected,
                     QLineEdit& (KTAnimationDlg::*edit)() const, CString KTAnimationDlg::*stored)
{
    return {name, typed, expected, [edit, stored](const char* text) {
                KTAnimationDlg dialog;
                const bool ok = RunAndClickOk<KTAnimationDlg>(
                    dialog, [&](KTAnimationDlg& d) { Type(&(d.*edit)(), text); });
                return ok ? KTNumberText().ToDouble(dialog.*stored) : KTUndefinedValue;
            }};
}

Field AnnotationWeight(const char* name, const char* typed, double expected,
                       QComboBox* (KTAnnotateEditDlg::*combo)() const,
                       CString KTAnnotationEditFields::*stored)
{
    return {name, typed, expected, [combo, stored](const char* text) {
                KTAnnotateEditDlg dialog(nullptr);
                dialog.m_fields.m_sizeText = "10";
                const bool ok = RunAndClickOk<KTAnnotateEditDlg>(
                    dialog, [&](KTAnnotateEditDlg& d) { TypeInCombo((d.*combo)(), text); });
                return ok ? KTAnnotationEditFields::ReadWeight(dialog.m_fields.*stored) : KTUndefinedValue;
            }};
}

Field GridWeight(const char* name, const char* typed, double expected, KTGridDlg::Pen pen,
                 KTOptionKTLogPen KTOptionAxes2::*stored)
{
    return {name, typed, expected, [pen, stored](const char* text) {
                KTGridDlg dialog(nullptr, nullptr);
                dialog.m_options.SetDefaults();
                const bool ok = RunAndClickOk<KTGridDlg>(
                    dialog, [&](KTGridDlg& d) { TypeInCombo(d.WeightCombo(pen), text); });
                return ok ? (dialog.m_options.*stored).m_value.m_width / kHimetricPerPoint : KTUndefinedValue;
            }};
}

std::vector<Field> Fields()
{
    std::vector<Field> fields{
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
        {"Quick Entry y Max", "-2,5", -2.5,
         [](const char* typed) {
             KTQuickEntry dialog(nullptr, nullptr);
             const bool ok =
                 RunAndClickOk<KTQuickEntry>(dialog, [&](KTQuickEntry& d) { Type(d.YMaxEdit(), typed); });
             return ok ? Text(dialog.m_data.m_options.m_axes.m_yMaxShowS.m_value) : KTUndefinedValue;
         }},
        AxesRange("Axes Properties x Min", "-12,5", -12.5, 0, &KTOptionAxes2::m_xMinShowS),
        AxesRange("Axes Properties x Max", "12,5", 12.5, 1, &KTOptionAxes2::m_xMaxShowS),
        AxesRange("Axes Properties y Max", "7,5", 7.5, 3, &KTOptionAxes2::m_yMaxShowS),
        AxesStep("Axes Properties x major step", "2,5", 2.5, 1, &KTOptionAxes2::m_autoxMajor,
                 &KTOptionAxes2::m_xMajorS),
        AxesStep("Axes Properties y minor step", "0,25", 0.25, 2, &KTOptionAxes2::m_autoyMinor,
                 &KTOptionAxes2::m_yMinorS),
        AxesStep("Axes Properties y major step", "1,5", 1.5, 3, &KTOptionAxes2::m_autoyMajor,
                 &KTOptionAxes2::m_yMajorS),
        // Behind "More>>".
        AxesMore("Axes Properties y weight", "2,75pt", 2.75,
                 [](KTAxesDlg& d, const char* text) { TypeInCombo(d.YWeightCombo(), text); },
                 [](const KTOptionAxes2& o) { return o.m_yAxisPen.m_value.m_width / kHimetricPerPoint; }),
        AxesMore("Axes Properties axis font size", "12,5", kTwelveAndAHalfPoints,
                 [](KTAxesDlg& d, const char* text) { TypeInCombo(d.AxisSizeCombo(), text); },
                 [](const KTOptionAxes2& o) { return double(o.m_axisFont.m_value.m_size); }),
        AxesMore("Axes Properties scale font size", "12,5", kTwelveAndAHalfPoints,
                 [](KTAxesDlg& d, const char* text) { TypeInCombo(d.ScaleSizeCombo(), text); },
                 [](const KTOptionAxes2& o) { return double(o.m_scaleFont.m_value.m_size); }),
        AxesMillimetres("Axes Properties x millimetres", "12,5", 1250.0, false),
        AxesMillimetres("Axes Properties y millimetres", "7,25", 725.0, true),
        {"Function Properties domain", "-1,5<x<2", -1.5,
         [](const char* typed) {
             KTFunctionDlg dialog;
             dialog.m_functionNumber = 1;
             const bool ok = RunAndClickOk<KTFunctionDlg>(dialog, [&](KTFunctionDlg& d) {
                 Type(d.EquationEdit(), "y=x");
                 Type(d.DomainEdit(), typed);
             });
             const KTFunctionDomain& domain = dialog.m_data.Function(0).Data().m_domain;
             return ok && domain.m_valid && domain.m_high == 2.0 ? domain.m_low : KTUndefinedValue;
         }},
        FamilyField("Family from", "-2,5", -2.5, &KTFamilyDlg::FromEdit, &KTFamilyDlg::m_from),
        FamilyField("Family to", "3,5", 3.5, &KTFamilyDlg::ToEdit, &KTFamilyDlg::m_to),
        AnimationField("Animation to", "4,5", 4.5, &KTAnimationDlg::ToEdit, &KTAnimationDlg::m_to),
        AnimationField("Animation step", "0,125", 0.125, &KTAnimationDlg::StepEdit, &KTAnimationDlg::m_step),
        {"Calculate Integral lower bound", "-0,75", -0.75,
         [](const char* typed) {
             KTGraph3 graph;
             kttest::Interpret(graph, {{0, "y=x^2"}});
             KTIntegralDlg dialog;
             dialog.m_graph = &graph;
             const bool ok = RunAndClickOk<KTIntegralDlg>(dialog, [&](KTIntegralDlg& d) {
                 Type(d.LowerEdit(), typed);
                 Type(d.UpperEdit(), "1");
             });
             return ok ? KTFunction3::EvaluateConstantText(dialog.m_lowerText, &graph.Axes(), nullptr)
                       : KTUndefinedValue;
         }},
        {"Edit Annotation font size", "12,5", kTwelveAndAHalfPoints,
         [](const char* typed) {
             KTAnnotateEditDlg dialog(nullptr);
             dialog.m_fields.m_sizeText = "10";
             const bool ok = RunAndClickOk<KTAnnotateEditDlg>(
                 dialog, [&](KTAnnotateEditDlg& d) { TypeInCombo(d.SizeCombo(), typed); });
             return ok ? double(KTAnnotationEditFields::ReadSize(dialog.m_fields.m_sizeText))
                       : KTUndefinedValue;
         }},
        AnnotationWeight("Edit Annotation anchor weight", "1,75pt", 1.75,
                         &KTAnnotateEditDlg::AnchorWeightCombo, &KTAnnotationEditFields::m_anchorWeightText),
        AnnotationWeight("Edit Annotation border weight", "0,75pt", 0.75,
                         &KTAnnotateEditDlg::BorderWeightCombo, &KTAnnotationEditFields::m_borderWeightText),
        GridWeight("Grid x major weight", "1,25pt", 1.25, KTGridDlg::XMajor, &KTOptionAxes2::m_xGridMajorPen),
        GridWeight("Grid x minor weight", "0,5pt", 0.5, KTGridDlg::XMinor, &KTOptionAxes2::m_xGridMinorPen),
        GridWeight("Grid y major weight", "1,75pt", 1.75, KTGridDlg::YMajor, &KTOptionAxes2::m_yGridMajorPen),
        GridWeight("Grid y minor weight", "0,25pt", 0.25, KTGridDlg::YMinor, &KTOptionAxes2::m_yGridMinorPen),
        {"constant panel value", "2,5", 2.5,
         [](const char* typed) {
             QWidget parent;
             KTParameterBar bar;
             bar.Create(&parent);
             Type(&bar.ValueEdit(), typed);
             return bar.GetValue();
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
    // Preferences stores each of its sizes in hundredths, and the zoom ratio as it is.
    const struct
    {
        const char* name;
        int id;
        const char* typed;
        double (*stored)(const KTOptionGraph3&);
    } preferences[] = {
        {"Preferences origin radius", KTPreferenceDlg::IdShowOriginRadius, "2,5",
         [](const KTOptionGraph3& o) { return o.m_axes.m_showOriginRadius.m_value / 100.0; }},
        {"Preferences break width", KTPreferenceDlg::IdBreakWidth, "0,25",
         [](const KTOptionGraph3& o) { return o.m_axes.m_breakWidth.m_value / 100.0; }},
        {"Preferences break height", KTPreferenceDlg::IdBreakHeight, "0,75",
         [](const KTOptionGraph3& o) { return o.m_axes.m_breakHeight.m_value / 100.0; }},
        {"Preferences tick size", KTPreferenceDlg::IdAxisPipSize, "1,25",
         [](const KTOptionGraph3& o) { return o.m_axes.m_axisPipSize.m_value / 100.0; }},
        {"Preferences axes arrow size", KTPreferenceDlg::IdAxesArrowSize, "0,5",
         [](const KTOptionGraph3& o) { return o.m_axes.m_arrowSize.m_value / 100.0; }},
        {"Preferences zoom ratio", KTPreferenceDlg::IdKeyZoomRatio, "1,25",
         [](const KTOptionGraph3& o) { return o.m_axes.m_keyZoomRatio.m_value; }},
        {"Preferences end circle size", KTPreferenceDlg::IdEndCircleSize, "0,75",
         [](const KTOptionGraph3& o) { return o.m_functions[9].m_endCircleSize.m_value / 100.0; }},
        {"Preferences discontinuity size", KTPreferenceDlg::IdPointDiscontinuitySize, "0,25",
         [](const KTOptionGraph3& o) { return o.m_functions[0].m_pointDiscontinuitySize.m_value / 100.0; }},
        {"Preferences anchor gap", KTPreferenceDlg::IdAnchorGap, "1,5",
         [](const KTOptionGraph3& o) { return o.m_annotation.m_anchorGap.m_value / 100.0; }},
        {"Preferences corner offset", KTPreferenceDlg::IdRectCornerOffset, "0,5",
         [](const KTOptionGraph3& o) { return o.m_annotation.m_rectCornerOffset.m_value / 100.0; }},
        {"Preferences annotation arrow size", KTPreferenceDlg::IdAnnotationArrowSize, "2,25",
         [](const KTOptionGraph3& o) { return o.m_annotation.m_arrowSize.m_value / 100.0; }},
        {"Preferences point size", KTPreferenceDlg::IdPointSize, "0,75",
         [](const KTOptionGraph3& o) { return o.m_annotation.m_pointSize.m_value / 100.0; }},
        {"Preferences border gap", KTPreferenceDlg::IdBorderGap, "1,75",
         [](const KTOptionGraph3& o) { return o.m_annotation.m_borderGap.m_value / 100.0; }},
    };
    for (const auto& row : preferences) {
        CString point = row.typed;
        point.Replace(",", ".");
        fields.push_back({row.name, row.typed, std::stod(point.c_str()), [row](const char* typed) {
                              KTOptionGraph3 defaults;
                              KTOptionGraph3 document;
                              KTPreferenceDlg dialog(&document, &defaults, nullptr);
                              const bool ok = RunAndClickOk<KTPreferenceDlg>(dialog, [&](KTPreferenceDlg& d) {
                                  Type(qobject_cast<QLineEdit*>(d.Control(row.id)), typed);
                              });
                              return ok ? row.stored(document) : KTUndefinedValue;
                          }});
    }
    return fields;
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
