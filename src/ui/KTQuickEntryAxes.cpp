// Quick Entry's "Axes" and "Grid" buttons: the property dialogs on the working axes options.

#include "ui/KTQuickEntry.h"

#include "graph/KTOptionGraph3.h"
#include "ui/KTAxesDlg.h"
#include "ui/KTGridDlg.h"

#include <QFrame>

void KTQuickEntry::OnAxes()
{
    // What is typed here counts: the names, the grid switch and the angle unit shown in this
    // dialog outlive whatever Axes Properties does to them.
    UpdateData(true);
    KTAxesDlg dialog(m_defaults, m_store, this);
    KTOptionAxes2& axes = m_data.m_options.m_axes;
    dialog.m_options = axes;
    dialog.m_stepsInUse = m_stepsInUse;
    if (dialog.DoModal() != QDialog::Accepted)
        return;
    axes = dialog.m_options;
    // The graph has not been drawn with these options yet.
    m_stepsInUse = {};
    m_xMax = axes.m_xMaxShowS.m_value;
    m_xMin = axes.m_xMinShowS.m_value;
    m_yMax = axes.m_yMaxShowS.m_value;
    m_yMin = axes.m_yMinShowS.m_value;
    m_xMajor = axes.m_xMajorS.m_value;
    m_xMinor = axes.m_xMinorS.m_value;
    m_yMajor = axes.m_yMajorS.m_value;
    m_yMinor = axes.m_yMinorS.m_value;
    m_scrollFlag = 0;
    UpdateData(false);
    SetUpScrollBars();
    ComputeOriginFractions();
    m_thumbnail->update();
    MarkChanged();
}

void KTQuickEntry::OnGrid()
{
    KTGridDlg dialog(m_defaults, m_store, this);
    dialog.m_options = m_data.m_options.m_axes;
    if (dialog.DoModal() == QDialog::Accepted)
        m_data.m_options.m_axes = dialog.m_options;
}
