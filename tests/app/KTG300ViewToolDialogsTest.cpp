// The view's Integral, Tangent Line and annotation-edit commands: what each dialog's answer
// does to the document.

#include "app/KTG300View.h"

#include "app/KTG300App.h"
#include "app/KTG300Doc.h"
#include "engine/KTFunction3.h"
#include "foundation/KTLogBrush.h"
#include "foundation/KTLogPen.h"
#include "graph/KTGraph3.h"
#include "ui/CColorButton.h"
#include "ui/KTAnnotateEditDlg.h"
#include "ui/KTDerivativeDlg.h"
#include "ui/KTIntegralDlg.h"
#include "ui/KTLineStyleComboBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <functional>

namespace {

/// A new document with y = x^2 in slot 0 and y = 2x in slot 1, interpreted.
void Prepare(KTG300Doc& document)
{
    document.OnNewDocument();
    document.Graph().Data().Function(0).Data().m_equationText = "y=x^2";
    document.Graph().Data().Function(1).Data().m_equationText = "y=2x";
    document.Graph().SetDirty();
    document.Graph().ComputeDataExtents();
}

/// Sets a modal hook for the length of a test.
template <typename Dialog> struct Answer
{
    explicit Answer(std::function<int(Dialog&)> hook) : previous(Dialog::SetModalHook(std::move(hook))) {}
    ~Answer() { Dialog::SetModalHook(std::move(previous)); }
    typename Dialog::ModalHook previous;
};

template <typename Dialog> int PressOk(Dialog& dialog)
{
    dialog.OkButton()->click();
    return dialog.result();
}

KTIntegralFunction& AddSelectedIntegral(KTG300Doc& document, int first, int second)
{
    KTIntegralFunction integral;
    integral.m_first = first;
    integral.m_second = second;
    integral.m_lowerText = "0";
    integral.m_upperText = "1";
    document.Graph().AddIntegral(integral, true);
    KTIntegralList& list = document.Graph().Data().m_integrals;
    list.m_selectedIndex = list.GetCount() - 1;
    return list.GetAt(list.m_selectedIndex);
}

} // namespace

TEST(KTG300ViewToolDialogs, IntegralCommandAddsTheIntegral)
{
    KTG300Doc document;
    Prepare(document);
    KTG300View view(document);
    const Answer<KTIntegralDlg> answer([](KTIntegralDlg& d) {
        d.LowerEdit()->setText(QStringLiteral("0"));
        d.UpperEdit()->setText(QStringLiteral("2"));
        d.SecondList()->setCurrentIndex(3);
        d.ShadeButton()->SetColor(0x00FFFF);
        return PressOk(d);
    });
    view.OnIntegral();
    const KTIntegralList& list = document.Graph().Data().m_integrals;
    ASSERT_EQ(list.GetCount(), 1);
    const KTIntegralFunction& integral = list.GetAt(0);
    EXPECT_EQ(integral.m_first, 0);
    EXPECT_EQ(integral.m_second, 1);
    EXPECT_TRUE(integral.m_hasSecond);
    EXPECT_FALSE(integral.m_yAxis);
    EXPECT_EQ(integral.m_lowerText, CString("0"));
    EXPECT_EQ(integral.m_upperText, CString("2"));
    EXPECT_EQ(integral.m_colour, 0x00FFFFu);
    EXPECT_TRUE(document.IsModified());
    EXPECT_TRUE(document.Graph().IsDirty());
}

TEST(KTG300ViewToolDialogs, IntegralCommandReplacesTheSelectedOneInTheYAxisMode)
{
    KTG300Doc document;
    Prepare(document);
    AddSelectedIntegral(document, 0, 1);
    KTG300View view(document);
    const Answer<KTIntegralDlg> answer([](KTIntegralDlg& d) {
        EXPECT_EQ(d.m_second, 1);
        d.SecondList()->setCurrentIndex(1);
        d.FirstList()->setCurrentIndex(1);
        return PressOk(d);
    });
    view.OnIntegral();
    const KTIntegralList& list = document.Graph().Data().m_integrals;
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.GetAt(0).m_first, 1);
    EXPECT_EQ(list.GetAt(0).m_second, KTIntegralFunction::kYAxis);
    EXPECT_TRUE(list.GetAt(0).m_yAxis);
    EXPECT_FALSE(list.GetAt(0).m_hasSecond);
}

TEST(KTG300ViewToolDialogs, ChoosingTheXAxisKeepsTheSelectedIntegral)
{
    KTG300Doc document;
    Prepare(document);
    AddSelectedIntegral(document, 0, 1);
    KTG300View view(document);
    const Answer<KTIntegralDlg> answer([](KTIntegralDlg& d) {
        d.SecondList()->setCurrentIndex(0);
        return PressOk(d);
    });
    view.OnIntegral();
    const KTIntegralList& list = document.Graph().Data().m_integrals;
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.GetAt(0).m_first, 0);
    EXPECT_EQ(list.GetAt(0).m_second, KTIntegralFunction::kXAxis);
    EXPECT_FALSE(list.GetAt(0).m_hasSecond);
    EXPECT_FALSE(list.GetAt(0).m_yAxis);
}

TEST(KTG300ViewToolDialogs, DeleteRemovesTheSelectedIntegralCancelChangesNothing)
{
    KTG300Doc document;
    Prepare(document);
    AddSelectedIntegral(document, 0, KTIntegralFunction::kXAxis);
    AddSelectedIntegral(document, 1, KTIntegralFunction::kXAxis);
    document.m_integralIndex = 1;
    KTG300View view(document);
    {
        const Answer<KTIntegralDlg> answer([](KTIntegralDlg& d) {
            d.LowerEdit()->setText(QStringLiteral("5"));
            d.CancelButton()->click();
            return d.result();
        });
        view.OnIntegral();
    }
    EXPECT_EQ(document.Graph().Data().m_integrals.GetCount(), 2);
    EXPECT_EQ(document.Graph().Data().m_integrals.GetAt(1).m_lowerText, CString("0"));
    EXPECT_FALSE(document.IsModified());

    const Answer<KTIntegralDlg> answer([](KTIntegralDlg& d) {
        d.DeleteButton()->click();
        return d.result();
    });
    view.OnIntegral();
    const KTIntegralList& list = document.Graph().Data().m_integrals;
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.GetAt(0).m_first, 0);
    EXPECT_EQ(list.m_selectedIndex, -1);
    EXPECT_EQ(document.m_integralIndex, -1);
    EXPECT_TRUE(document.IsModified());
}

TEST(KTG300ViewToolDialogs, TangentCommandAddsATangentWithThePen)
{
    const KTG300App app; // its default tangent pen
    KTG300Doc document;
    Prepare(document);
    KTG300View view(document);
    const Answer<KTDerivativeDlg> answer([](KTDerivativeDlg& d) {
        // A new tangent shows the default pen: 0.25 pt, solid.
        EXPECT_EQ(d.WeightCombo()->currentText(), QString("0.25pt"));
        d.FunctionList()->setCurrentIndex(1);
        d.XEdit()->setText(QStringLiteral("1.5"));
        d.StylePicker()->SelectItemData(KTLineStyleSolid);
        d.WeightCombo()->setEditText(QStringLiteral("2pt"));
        d.ColourButton()->SetColor(0x0000FF);
        return PressOk(d);
    });
    view.OnTangentLine();
    const KTDerivativeList& list = document.Graph().Data().m_derivatives;
    ASSERT_EQ(list.GetCount(), 1);
    const KTDerivativeFunction& tangent = list.GetAt(0);
    EXPECT_EQ(tangent.m_function, 1);
    EXPECT_EQ(tangent.m_xText, CString("1.5"));
    EXPECT_DOUBLE_EQ(tangent.m_point.m_x, 1.5);
    KTLogPen pen;
    pen.Set(2.0, KTLineStyleSolid, 0x0000FF);
    EXPECT_EQ(tangent.m_pen, pen);
    EXPECT_TRUE(document.IsModified());
}

TEST(KTG300ViewToolDialogs, TangentCommandEditsAndDeletesTheSelectedTangent)
{
    KTG300Doc document;
    Prepare(document);
    KTDerivativeFunction tangent;
    tangent.m_function = 0;
    tangent.m_xText = "1";
    tangent.m_pen.Set(1.5, KTLineStyleDash, 0x00FF00);
    document.Graph().AddDerivative(tangent, true);
    KTDerivativeList& list = document.Graph().Data().m_derivatives;
    list.m_selectedIndex = 0;
    KTG300View view(document);
    {
        const Answer<KTDerivativeDlg> answer([](KTDerivativeDlg& d) {
            EXPECT_EQ(d.WeightCombo()->currentText(), QString("1.5pt"));
            EXPECT_EQ(d.StylePicker()->GetSelectedData(), KTLineStyleDash);
            EXPECT_EQ(d.ColourButton()->GetColor(), 0x00FF00u);
            EXPECT_EQ(d.XEdit()->text(), QString("1"));
            d.XEdit()->setText(QStringLiteral("-2"));
            return PressOk(d);
        });
        view.OnTangentLine();
    }
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.GetAt(0).m_xText, CString("-2"));
    EXPECT_EQ(list.GetAt(0).m_pen.StyleNumber(), KTLineStyleDash);

    const Answer<KTDerivativeDlg> answer([](KTDerivativeDlg& d) {
        d.DeleteButton()->click();
        return d.result();
    });
    view.OnTangentLine();
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(document.m_tangentIndex, -1);
}

TEST(KTG300ViewToolDialogs, SetAsDefaultReachesTheApplicationsDefaultsOnOk)
{
    KTG300App app;
    KTG300Doc document;
    Prepare(document);
    KTG300View view(document);
    const Answer<KTIntegralDlg> answer([](KTIntegralDlg& d) {
        d.ShadeButton()->SetColor(0x654321);
        d.SetAsDefaultButton()->click();
        return PressOk(d);
    });
    view.OnIntegral();
    const KTOptionIntegral& defaults = app.m_defaultOptions.m_integral;
    EXPECT_EQ(defaults.m_brush.m_value, KTLogBrush(KTBrushKindNumber, 1, 0x654321, 0));
    // Saved after OK, so no longer pending.
    EXPECT_EQ(defaults.m_modified, 0);
    ASSERT_EQ(document.Graph().Data().m_integrals.GetCount(), 1);
    EXPECT_EQ(document.Graph().Data().m_integrals.GetAt(0).m_colour, 0x654321u);
}

TEST(KTG300ViewToolDialogs, EditAnnotationRunsTheEditDialog)
{
    KTG300Doc document;
    Prepare(document);
    KTGAnnotation annotation;
    annotation.m_text.AddText("Right Click To Edit");
    document.m_annotations.Add(annotation);
    KTG300View view(document);
    EXPECT_FALSE(view.EditAnnotationAt(1));
    EXPECT_FALSE(view.EditAnnotationAt(-1));
    EXPECT_FALSE(document.IsModified());

    const Answer<KTAnnotateEditDlg> answer([](KTAnnotateEditDlg& d) {
        d.TextEdit()->setPlainText(QStringLiteral("Vertex"));
        return PressOk(d);
    });
    EXPECT_TRUE(view.EditAnnotationAt(0));
    EXPECT_EQ(document.m_annotations.GetAt(0).m_text.LineText(0), CString("Vertex"));
    EXPECT_TRUE(document.IsModified());
}
