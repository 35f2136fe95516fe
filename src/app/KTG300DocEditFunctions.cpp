// The document's road of the Functions command: the Quick Entry dialog on a copy of the graph
// data.

#include "app/KTG300Doc.h"

#include "app/KTG300App.h"
#include "graph/KTGraph3.h"
#include "ui/KTQuickEntry.h"

#include <QDialog>

bool KTG300Doc::EditFunctions(QWidget* parent)
{
    KTG300App* app = KTGetApp();
    KTQuickEntry dialog(app ? &app->m_defaultOptions : nullptr, app ? &app->m_optionStore : nullptr, parent);
    dialog.m_data.Assign(m_graph->Data());
    dialog.m_stepsInUse = m_graph->Axes().StepTexts();
    if (dialog.DoModal() != QDialog::Accepted)
        return false;
    m_graph->Data().Assign(dialog.m_data);
    m_graph->SetDirty();
    SetModifiedFlag(true);
    UpdateAllViews();
    return true;
}
