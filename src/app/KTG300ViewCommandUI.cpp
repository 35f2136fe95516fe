// The enabling and checking of the view's commands in the main window, and their connection.

#include "app/KTG300View.h"

#include "app/CChildFrame.h"
#include "app/CMainFrame.h"
#include "app/KTCommandIds.h"
#include "app/KTG300App.h"
#include "app/KTG300Doc.h"
#include "graph/KTGraph3.h"

#include <QAction>

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
