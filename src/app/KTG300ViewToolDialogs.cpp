// The view's commands that open the Calculate Integral, Tangent Line and Edit Annotation dialogs
// and apply what they return to the document.

#include "app/KTG300View.h"

#include "app/CMainFrame.h"
#include "app/KTCommandIds.h"
#include "app/KTG300App.h"
#include "app/KTG300Doc.h"
#include "app/KTTipWnd.h"
#include "engine/KTFunction3.h"
#include "graph/KTAnnotationEditFields.h"
#include "graph/KTGraph3.h"
#include "ui/KTAnnotateEditDlg.h"
#include "ui/KTDerivativeDlg.h"
#include "ui/KTIntegralDlg.h"

#include <QAction>

namespace {

/// The record selected in a list, or -1 when none (or a stale index) is selected.
template <typename List> int SelectedIndexOf(const List& list)
{
    const int index = list.m_selectedIndex;
    return index >= 0 && index < list.GetCount() ? index : -1;
}

/// Writes the application's default graph options to the settings file.
void SaveDefaults(KTG300App& app)
{
    app.m_defaultOptions.SaveSettings(app.m_optionStore, false);
    app.m_optionStore.Save();
}

} // namespace

void KTG300View::OnIntegral()
{
    KTG300App* app = KTGetApp();
    KTOptionIntegral* defaults = app ? &app->m_defaultOptions.m_integral : nullptr;
    KTGraph3& graph = m_document.Graph();
    KTIntegralList& integrals = graph.Data().m_integrals;

    KTIntegralDlg dialog(this);
    dialog.m_graph = &graph;
    dialog.m_defaults = defaults;
    if (defaults)
        defaults->m_modified = 0;
    if (dialog.DoModal() != QDialog::Accepted) {
        Redraw();
        return;
    }

    const int selected = SelectedIndexOf(integrals);
    KTIntegralFunction record = defaults ? KTIntegralFunction(*defaults) : KTIntegralFunction();
    if (selected >= 0)
        record = integrals.GetAt(selected);
    record.m_lowerText = dialog.m_lowerText;
    record.m_upperText = dialog.m_upperText;
    record.m_first = dialog.m_first;
    record.m_second = dialog.m_second;
    record.m_hasSecond = dialog.m_second >= 0;
    record.m_yAxis = dialog.m_second == KTIntegralFunction::kYAxis;
    record.m_colour = dialog.m_colour;
    record.m_showArea = dialog.m_showArea != 0;

    if (selected < 0) {
        graph.AddIntegral(record, true);
    } else if (dialog.m_first < 0) {
        // "Delete" (no function to integrate): an x-axis boundary alone must not remove it.
        integrals.m_records.erase(integrals.m_records.begin() + selected);
        m_document.m_annotations.ForgetBoundObject(KTGAnnotation::BoundIntegral, selected);
        integrals.m_selectedIndex = -1;
        m_document.m_integralIndex = -1;
    } else {
        integrals.GetAt(selected) = record;
    }
    graph.SetDirty();
    if (app && defaults && defaults->m_modified) {
        SaveDefaults(*app);
        defaults->m_modified = 0;
    }
    m_tip->Hide();
    UpdateSubstitutions();
    m_document.SetModifiedFlag(true);
    Redraw();
}

void KTG300View::OnTangentLine()
{
    KTG300App* app = KTGetApp();
    KTOptionDerivative* defaults = app ? &app->m_defaultOptions.m_derivative : nullptr;
    KTGraph3& graph = m_document.Graph();
    KTDerivativeList& tangents = graph.Data().m_derivatives;

    const int selected = SelectedIndexOf(tangents);
    KTDerivativeFunction tangent = defaults ? KTDerivativeFunction(*defaults) : KTDerivativeFunction();
    if (selected >= 0)
        tangent = tangents.GetAt(selected);

    KTDerivativeDlg dialog(this);
    dialog.m_graph = &graph;
    dialog.m_defaults = defaults;
    dialog.m_colour = tangent.m_pen.m_color;
    dialog.m_weightText = KTAnnotationEditFields::WeightText(tangent.m_pen.m_width);
    dialog.m_style = tangent.m_pen.StyleNumber();
    if (defaults)
        defaults->m_modified = 0;
    if (dialog.DoModal() != QDialog::Accepted) {
        Redraw();
        return;
    }

    if (dialog.m_function < 0) {
        if (selected >= 0) {
            tangents.RemoveAt(selected);
            m_document.m_annotations.ForgetBoundObject(KTGAnnotation::BoundTangent, selected);
            tangents.m_selectedIndex = -1;
            m_document.m_tangentIndex = -1;
        }
    } else {
        // The tangent keeps the x as typed; its value now is that constant expression with the
        // constants' present values.
        tangent.m_point.m_x =
            KTFunction3::EvaluateConstantText(dialog.m_xText, &graph.Axes(), &m_document.m_substitutions);
        tangent.m_xText = dialog.m_xText;
        tangent.m_function = dialog.m_function;
        tangent.m_pen.Set(KTDerivativeDlg::ReadWeight(dialog.m_weightText), dialog.m_style, dialog.m_colour);
        if (selected < 0)
            graph.AddDerivative(tangent, true);
        else
            tangents.GetAt(selected) = tangent;
    }
    graph.SetDirty();
    if (app && defaults && defaults->m_modified) {
        SaveDefaults(*app);
        defaults->m_modified = 0;
    }
    m_tip->Hide();
    m_document.SetModifiedFlag(true);
    Redraw();
}

bool KTG300View::EditAnnotationAt(int index)
{
    KTGAnnotationList& annotations = m_document.m_annotations;
    if (index < 0 || index >= annotations.GetCount())
        return false;
    KTAnnotateEditDlg::InstallAsEditor();
    KTG300App* app = KTGetApp();
    KTOptionsAnnotation unsaved;
    KTOptionsAnnotation& defaults = app ? app->m_defaultOptions.m_annotation : unsaved;
    // The placeholder a new annotation was given comes from where PlaceNewAnnotation took it.
    KTOptionGraph3& messages = app ? app->m_defaultOptions : m_document.Graph().Data().m_options;
    if (annotations.EditAt(index, defaults, messages.m_msgRightClick.GetValue()))
        m_document.SetModifiedFlag(true);
    if (app && defaults.m_bDefaultsChanged) {
        SaveDefaults(*app);
        defaults.m_bDefaultsChanged = 0;
    }
    Redraw();
    return true;
}

void KTG300View::UpdateToolCommandUI(CMainFrame& frame, KTG300View* view)
{
    const bool enabled = view && view->CountActiveItems() > 0;
    for (int id : {KTCommand::Integral, KTCommand::TangentLine})
        if (QAction* action = frame.Action(id))
            action->setEnabled(enabled);
}
