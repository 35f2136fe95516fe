// Quick Entry's "Functions" button: Function Properties on the working copy.

#include "ui/KTQuickEntry.h"

#include "engine/KTFunction3.h"
#include "foundation/KTOptionStore.h"
#include "graph/KTOptionGraph3.h"
#include "ui/KTFunctionDlg.h"

#include <QFrame>

void KTQuickEntry::OnFunctions()
{
    const LinePlacement placement = SplitFunctions();
    // The properties dialog shows each function as interpretation splits it.
    for (int i = 0; i < FunctionCount; ++i)
        m_data.Function(i).Interpret();
    KTFunctionDlg dialog(this);
    dialog.m_data.Assign(m_data);
    dialog.m_defaults = m_defaults;
    dialog.m_functionNumber = 1;
    if (m_defaults)
        m_defaults->m_annotation.m_bDefaultsChanged = 0;
    if (dialog.DoModal() != QDialog::Accepted)
        return;
    m_data.Assign(dialog.m_data);
    m_stepsInUse = {}; // new functions may scale the axes anew
    // Lines that found no function stay in the edit below the ten, as typed.
    std::vector<CString> furtherLines;
    for (int line : placement.leftOut)
        furtherLines.push_back(placement.lines[static_cast<std::size_t>(line)]);
    RebuildEdit(furtherLines);
    m_previewFlag = 1;
    m_preview->update();
    UpdateMessage();
    MarkChanged();
    if (m_defaults && m_defaults->m_annotation.m_bDefaultsChanged && m_store) {
        m_defaults->SaveSettings(*m_store, false);
        m_store->Write();
    }
    UpdateData(true);
}
