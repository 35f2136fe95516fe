// The document's road of the Edit Properties command: Function Properties on a copy of the
// graph data.

#include "app/KTG300Doc.h"

#include "app/KTG300App.h"
#include "graph/KTGraph3.h"
#include "ui/KTFunctionDlg.h"

#include <QDialog>

bool KTG300Doc::EditFunctionProperties(int functionNumber, QWidget* parent)
{
    KTG300App* app = KTGetApp();
    KTOptionGraph3* defaults = app ? &app->m_defaultOptions : nullptr;
    KTFunctionDlg dialog(parent);
    dialog.m_data.Assign(m_graph->Data());
    dialog.m_defaults = defaults;
    // Without a function under the cursor the dialog starts at the first.
    dialog.m_functionNumber =
        functionNumber >= 1 && functionNumber <= KTFunctionDlg::FunctionCount ? functionNumber : 1;
    if (defaults)
        defaults->m_annotation.m_bDefaultsChanged = 0;
    const bool accepted = dialog.DoModal() == QDialog::Accepted;
    // Cancel (or Escape) is cancel: Delete worked on the copy, and "Set As Default" on the
    // application's defaults, not on the document.
    if (accepted) {
        m_graph->Data().Assign(dialog.m_data);
        m_graph->SetDirty();
        if (defaults && defaults->m_annotation.m_bDefaultsChanged) {
            defaults->SaveSettings(app->m_optionStore, false);
            app->m_optionStore.Write();
        }
        SetModifiedFlag(true);
    }
    UpdateAllViews();
    return accepted;
}
