// The view's mode commands and the commands that edit the graph: Edit Functions, the curve
// context menu's function flags, the preference dialogs and the axes on a right click.

#include "app/KTG300View.h"

#include "app/CChildFrame.h"
#include "app/CMainFrame.h"
#include "app/KTCommandIds.h"
#include "app/KTG300App.h"
#include "app/KTG300Doc.h"
#include "app/KTTipWnd.h"
#include "engine/KTFunction3.h"
#include "foundation/KTNumberFormat.h"
#include "graph/KTGraph3.h"
#include "ui/KTAxesDlg.h"
#include "ui/KTMessagesDlg.h"
#include "ui/KTPreferenceDlg.h"

#include <QAction>
#include <QCursor>
#include <QMenu>

namespace {

/// The interpretation status of an explicit function.
constexpr int kExplicitFunction = 1;

/// Commands of the curve context menu.
enum CurveCommand : int {
    FirstDerivative = 32771,
    SecondDerivative = 32800,
    Arrows = 32775,
    DomainMarks = 32806,
    SecondDomainMark = 32807,
    VerticalAsymptotes = 32809,
};

KTG300View::ContextMenuHook& MenuHook()
{
    static KTG300View::ContextMenuHook hook;
    return hook;
}

KTOptionGraph3* AppDefaults()
{
    KTG300App* app = KTGetApp();
    return app ? &app->m_defaultOptions : nullptr;
}

KTOptionStore* AppStore()
{
    KTG300App* app = KTGetApp();
    return app ? &app->m_optionStore : nullptr;
}

} // namespace

KTG300View::ContextMenuHook KTG300View::SetContextMenuHook(ContextMenuHook hook)
{
    ContextMenuHook previous = std::move(MenuHook());
    MenuHook() = std::move(hook);
    return previous;
}

void KTG300View::OnEditFunctions()
{
    m_document.EditFunctions(this);
    Redraw();
}

// ---- Modes ------------------------------------------------------------------------------------

void KTG300View::SetMode(KTViewMode mode)
{
    m_mode = mode;
    SetCursorOfMode();
    RefreshCommandUI();
}

void KTG300View::OnSelectMode()
{
    SetMode(KTViewSelect);
}

void KTG300View::OnIntegralMode()
{
    SetMode(KTViewIntegral);
}

void KTG300View::OnAnnotationMode()
{
    SetMode(KTViewAnnotation);
}

void KTG300View::OnZoomMode()
{
    SetMode(KTViewZoom);
}

void KTG300View::OnDerivativeMode()
{
    SetMode(KTViewDerivative);
}

bool KTG300View::CanCarryTools(int slot) const
{
    if (slot < 0 || slot >= KTGraphData3::UserFunctionCount)
        return false;
    const KTFunction3& function = m_document.Graph().Data().Function(slot);
    // Only an interpreted explicit equation y = f(x) has an area under it and a slope; an
    // inequality bounds a region instead.
    const std::int32_t relation = function.Data().m_relation;
    return function.Data().m_interpreted != 0 && function.Status() == kExplicitFunction &&
           (relation == -1 || relation == 38);
}

int KTG300View::CountActiveItems() const
{
    int count = 0;
    for (int slot = 0; slot < KTGraphData3::UserFunctionCount; ++slot)
        count += CanCarryTools(slot) ? 1 : 0;
    return count;
}

// ---- Commands of the function under the cursor -----------------------------------------------

void KTG300View::AfterEdit()
{
    m_document.Graph().SetDirty();
    m_document.SetModifiedFlag(true);
    Redraw();
}

void KTG300View::ToggleFunctionFlag(int which)
{
    const int slot = m_functionUnderCursor;
    if (slot < 0 || slot >= KTGraphData3::UserFunctionCount)
        return;
    KTFunctionData3& data = m_document.Graph().Data().Function(slot).Data();
    KTOptionFunction3& options = data.m_options;
    switch (which) {
    case FirstDerivative: data.m_showFirstDerivative = data.m_showFirstDerivative ? 0 : 1; break;
    case SecondDerivative: data.m_showSecondDerivative = data.m_showSecondDerivative ? 0 : 1; break;
    case Arrows: options.m_showFunctionArrows.m_value = options.m_showFunctionArrows.m_value ? 0 : 1; break;
    case DomainMarks: {
        const BYTE both = options.m_showLow.m_value && options.m_showHigh.m_value;
        options.m_showLow.m_value = both ? 0 : 1;
        options.m_showHigh.m_value = both ? 0 : 1;
        break;
    }
    case SecondDomainMark: options.m_showHigh.m_value = options.m_showHigh.m_value ? 0 : 1; break;
    case VerticalAsymptotes: options.m_vAsym.m_value = options.m_vAsym.m_value ? 0 : 1; break;
    default: return;
    }
    AfterEdit();
}

void KTG300View::OnFirstDerivative()
{
    ToggleFunctionFlag(FirstDerivative);
}

void KTG300View::OnSecondDerivative()
{
    ToggleFunctionFlag(SecondDerivative);
}

void KTG300View::OnArrows()
{
    ToggleFunctionFlag(Arrows);
}

void KTG300View::OnDomainMarks()
{
    ToggleFunctionFlag(DomainMarks);
}

void KTG300View::OnSecondDomainMark()
{
    ToggleFunctionFlag(SecondDomainMark);
}

void KTG300View::OnVerticalAsymptotes()
{
    ToggleFunctionFlag(VerticalAsymptotes);
}

void KTG300View::OnEditProperties()
{
    m_document.EditFunctionProperties(m_functionUnderCursor + 1, this);
    Redraw();
}

template <typename Dialog> void KTG300View::RunPreferencesDialog()
{
    KTOptionGraph3& document = m_document.Graph().Data().m_options;
    // Without the application the document's own options stand in for the defaults.
    KTOptionGraph3 standIn;
    standIn = document;
    KTOptionGraph3* defaults = AppDefaults();
    Dialog dialog(&document, defaults ? defaults : &standIn, AppStore(), this);
    // Cancel writes nothing, so it changes nothing of the document.
    if (dialog.DoModal() == QDialog::Accepted) {
        m_document.Graph().SetDirty();
        m_document.SetModifiedFlag(true);
    }
    Redraw();
}

void KTG300View::OnPreferences()
{
    RunPreferencesDialog<KTPreferenceDlg>();
}

void KTG300View::OnMessages()
{
    RunPreferencesDialog<KTMessagesDlg>();
}

bool KTG300View::PreferencesAllowed() const
{
    const KTOptionGraph3* defaults = AppDefaults();
    if (!defaults)
        defaults = m_document.Defaults();
    const KTOptionGraph3& options = defaults ? *defaults : m_document.Graph().Data().m_options;
    return options.m_allowPreferenceChanges.m_value != 0;
}

void KTG300View::EditAxesOnRightClick()
{
    KTAxesDlg dialog(AppDefaults(), AppStore(), this);
    dialog.m_options = m_document.Graph().Data().m_options.m_axes;
    dialog.m_stepsInUse = m_document.Graph().Axes().StepTexts();
    if (dialog.DoModal() == QDialog::Accepted) {
        m_document.Graph().Data().m_options.m_axes = dialog.m_options;
        AfterEdit();
    }
}

void KTG300View::RunCurveContextMenu()
{
    const int slot = m_functionUnderCursor;
    if (slot < 0 || slot >= KTGraphData3::UserFunctionCount)
        return;
    const KTFunctionData3& data = m_document.Graph().Data().Function(slot).Data();
    const KTOptionFunction3& options = data.m_options;
    QMenu menu(this);
    const auto add = [&](const char* text, bool checked, void (KTG300View::*handler)()) {
        QAction* action = menu.addAction(QString::fromLatin1(text));
        action->setCheckable(true);
        action->setChecked(checked);
        connect(action, &QAction::triggered, this, handler);
    };
    add("&1st Derivative", data.m_showFirstDerivative != 0, &KTG300View::OnFirstDerivative);
    add("&2nd Derivative", data.m_showSecondDerivative != 0, &KTG300View::OnSecondDerivative);
    add("&Arrows", options.m_showFunctionArrows.m_value != 0, &KTG300View::OnArrows);
    add("Domain Marks", options.m_showLow.m_value && options.m_showHigh.m_value, &KTG300View::OnDomainMarks);
    add("&Vertical Asymptotes", options.m_vAsym.m_value != 0, &KTG300View::OnVerticalAsymptotes);
    const QPoint position = CurveMenuPosition();
    if (const ContextMenuHook& hook = MenuHook()) {
        hook(menu, position);
        return;
    }
    menu.exec(position);
}

QPoint KTG300View::CurveMenuPosition() const
{
    // The hot rectangle is in the view's logical units, centred on the mouse when the tip was
    // armed; the menu wants screen pixels.
    const CRect& hot = KTTipWnd::SharedSpot().m_rect;
    const CPoint centre((hot.left + hot.right) / 2, (hot.top + hot.bottom) / 2);
    const CPoint device = LogicalToDevice(centre);
    return mapToGlobal(QPoint(device.x, device.y));
}
