// The view's mode commands, the curve context menu's commands, the family-constant panels with
// their animation, and the enabling and checking of the view's commands in the main window.

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
#include "ui/KTAnimationDlg.h"
#include "ui/KTAxesDlg.h"
#include "ui/KTFamilyDlg.h"
#include "ui/KTImageButton.h"
#include "ui/KTMessagesDlg.h"
#include "ui/KTPreferenceDlg.h"
#include "ui/KTParameterBar.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QTimerEvent>

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
    update();
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
    update();
}

template <typename Dialog> void KTG300View::RunPreferencesDialog()
{
    KTOptionGraph3& document = m_document.Graph().Data().m_options;
    // Without the application the document's own options stand in for the defaults.
    KTOptionGraph3 standIn;
    standIn = document;
    KTOptionGraph3* defaults = AppDefaults();
    Dialog dialog(&document, defaults ? defaults : &standIn, AppStore(), this);
    if (dialog.DoModal() == QDialog::Accepted)
        m_document.Graph().SetDirty();
    // Whatever the dialog returned, as the program always has.
    m_document.SetModifiedFlag(true);
    update();
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
    if (const ContextMenuHook& hook = MenuHook()) {
        hook(menu);
        return;
    }
    const CRect& hot = KTTipWnd::SharedSpot().m_rect;
    menu.exec(mapToGlobal(QPoint(hot.left, hot.top)));
}

// ---- Parameter panels and animation -----------------------------------------------------------

void KTG300View::SetAllConstantsFromPanels()
{
    KTGraph3& graph = m_document.Graph();
    for (int i = 0; i < PanelCount; ++i)
        graph.SetConstant(PanelNames[i], Panel(i).GetValue());
}

int KTG300View::AnimationInterval() const
{
    return AnimationPeriod(Panel(m_currentPanel).GetSpeed());
}

void KTG300View::StopAnimation()
{
    if (m_animationTimer) {
        killTimer(m_animationTimer);
        m_animationTimer = 0;
    }
    m_animating = 0;
    KTParameterBar& panel = Panel(m_currentPanel);
    panel.SetAnimating(false);
    panel.SetBackground(KTParameterBar::kBackground);
    KTGraph3& graph = m_document.Graph();
    if (graph.Data().m_family == 1) {
        graph.Data().m_family = 0;
        graph.SetDirty();
        SetAllConstantsFromPanels();
        m_document.SetModifiedFlag(true);
    }
    update();
}

void KTG300View::OnParamAnimate(int index)
{
    if (index < 0 || index >= PanelCount)
        return;
    StopAnimation();
    m_currentPanel = index;
    KTParameterBar& panel = Panel(index);
    UpdateSubstitutions();

    KTAnimationDlg dialog(this);
    dialog.m_from = panel.GetFrom();
    dialog.m_to = panel.GetTo();
    dialog.m_step = panel.GetStep();
    dialog.m_reverse = panel.GetReverse() ? 1 : 0;
    dialog.m_speedToShow = panel.GetSpeed();
    if (dialog.DoModal() != QDialog::Accepted)
        return;
    panel.SetAnimation(dialog.m_from, dialog.m_to, dialog.m_step, dialog.m_reverse != 0, dialog.m_speed);
    m_animating = 1;
    m_animationTimer = startTimer(AnimationPeriod(dialog.m_speed));
}

void KTG300View::OnParamFamily(int index)
{
    if (index < 0 || index >= PanelCount)
        return;
    if (m_animationTimer) {
        killTimer(m_animationTimer);
        m_animationTimer = 0;
    }
    m_animating = 0;
    Panel(m_currentPanel).SetAnimating(false);
    m_currentPanel = index;
    KTParameterBar& panel = Panel(index);

    KTFamilyDlg dialog(this);
    dialog.m_from = panel.GetFrom();
    dialog.m_to = panel.GetTo();
    dialog.m_step = panel.GetStep();
    if (dialog.DoModal() != QDialog::Accepted)
        return;
    panel.SetFamilyRange(dialog.m_from, dialog.m_to, dialog.m_step);
    KTGraph3& graph = m_document.Graph();
    graph.Data().m_family = 1;
    graph.SetDirty();
    const KTNumberText reader;
    graph.SetConstantRange(PanelNames[index], reader.ToDouble(dialog.m_from), reader.ToDouble(dialog.m_to),
                           reader.ToDouble(dialog.m_step));
    m_document.SetModifiedFlag(true);
    update();
}

void KTG300View::OnAnimationTimer()
{
    KTParameterBar& panel = Panel(m_currentPanel);
    // The view's own change of the value is no change of the user's to be echoed back.
    const bool suppressed = panel.GetNotificationsSuppressed();
    panel.SetNotificationsSuppressed(true);
    panel.StepValue();
    panel.SetNotificationsSuppressed(suppressed);
    KTGraph3& graph = m_document.Graph();
    graph.SetDirty();
    graph.SetConstant(PanelNames[m_currentPanel], panel.GetValue());
    UpdateSubstitutions();
    panel.update();
    update();
    m_document.SetModifiedFlag(true);
}

void KTG300View::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_animationTimer || !m_animationTimer) {
        QWidget::timerEvent(event);
        return;
    }
    try {
        OnAnimationTimer();
    } catch (...) {
    }
}

// ---- The commands in the main window ----------------------------------------------------------

void KTG300View::UpdateCommandUI(CMainFrame& frame, KTG300View* view)
{
    using namespace KTCommand;
    const struct
    {
        int id;
        KTViewMode mode;
    } modes[] = {{SelectMode, KTViewSelect},
                 {IntegralMode, KTViewIntegral},
                 {AnnotationMode, KTViewAnnotation},
                 {ZoomMode, KTViewZoom},
                 {DerivativeMode, KTViewDerivative}};
    const int active = view ? view->CountActiveItems() : 0;
    for (const auto& mode : modes) {
        QAction* action = frame.Action(mode.id);
        if (!action)
            continue;
        action->setCheckable(true);
        action->setChecked(view && view->m_mode == mode.mode);
        bool enabled = view != nullptr;
        if (view && (mode.mode == KTViewIntegral || mode.mode == KTViewDerivative))
            enabled = active > 0;
        if (view && mode.mode == KTViewZoom)
            enabled = view->m_document.Graph().Data().m_options.m_axes.m_scaleRestriction.GetValue() != 2;
        action->setEnabled(enabled);
    }
    for (int id : {Preferences, Messages})
        if (QAction* action = frame.Action(id))
            action->setEnabled(view && view->PreferencesAllowed());
}

void KTG300View::RefreshCommandUI()
{
    KTG300App* app = KTGetApp();
    CMainFrame* frame = app ? app->GetMainWnd() : nullptr;
    if (!frame)
        return;
    CChildFrame* child = frame->ActiveChild();
    if (child && &child->View() == this)
        UpdateCommandUI(*frame, this);
}

void KTG300View::ConnectCommands(CMainFrame& frame)
{
    using namespace KTCommand;
    const struct
    {
        int id;
        void (KTG300View::*handler)();
    } commands[] = {{SelectMode, &KTG300View::OnSelectMode},
                    {IntegralMode, &KTG300View::OnIntegralMode},
                    {AnnotationMode, &KTG300View::OnAnnotationMode},
                    {ZoomMode, &KTG300View::OnZoomMode},
                    {DerivativeMode, &KTG300View::OnDerivativeMode},
                    {Preferences, &KTG300View::OnPreferences},
                    {Messages, &KTG300View::OnMessages}};
    CMainFrame* target = &frame;
    for (const auto& command : commands) {
        QAction* action = frame.Action(command.id);
        if (!action)
            continue;
        const auto handler = command.handler;
        QObject::connect(action, &QAction::triggered, &frame, [target, handler] {
            if (CChildFrame* child = target->ActiveChild())
                (child->View().*handler)();
        });
    }
}
