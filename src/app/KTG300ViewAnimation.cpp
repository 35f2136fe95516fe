// The family-constant panels of the view and the animation of a constant.

#include "app/KTG300View.h"

#include "app/KTG300Doc.h"
#include "foundation/KTNumberFormat.h"
#include "graph/KTGraph3.h"
#include "ui/KTAnimationDlg.h"
#include "ui/KTFamilyDlg.h"
#include "ui/KTParameterBar.h"

#include <QTimerEvent>

#include <cstdint>
#include <vector>

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
    Redraw();
}

void KTG300View::OnParamAnimate(int index)
{
    if (index < 0 || index >= PanelCount)
        return;
    // The animating panel's button stops its animation, and that is all it does.
    const bool stopping = m_animationTimer != 0 && index == m_currentPanel;
    // The dialog opens on the single curves of the panels' values; Cancel brings the family
    // display back as it was, with the document's modified flag.
    const std::vector<std::uint8_t> constantsBefore = m_document.StoreConstantRanges();
    const bool familyBefore = m_document.Graph().Data().m_family == 1;
    const bool modifiedBefore = m_document.IsModified();
    StopAnimation();
    DismissHover();
    if (stopping)
        return;
    m_currentPanel = index;
    KTParameterBar& panel = Panel(index);
    UpdateSubstitutions();

    KTAnimationDlg dialog(this);
    dialog.m_from = panel.GetFrom();
    dialog.m_to = panel.GetTo();
    dialog.m_step = panel.GetStep();
    dialog.m_reverse = panel.GetReverse() ? 1 : 0;
    dialog.m_speedToShow = panel.GetSpeed();
    if (dialog.DoModal() != QDialog::Accepted) {
        if (familyBefore) {
            m_document.LoadConstantRanges(constantsBefore);
            m_document.Graph().SetDirty();
            UpdateSubstitutions();
            m_document.SetModifiedFlag(modifiedBefore);
            Redraw();
        }
        return;
    }
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
    DismissHover();
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
    Redraw();
}

void KTG300View::OnAnimationTimer()
{
    // The curves move away from under the mouse: a tip about where they were would be wrong.
    DismissHover();
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
    Redraw();
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
