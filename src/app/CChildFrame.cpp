#include "app/CChildFrame.h"

#include "app/KTFileDialog.h"
#include "app/KTG300App.h"
#include "app/KTG300Doc.h"
#include "app/KTG300View.h"
#include "platform/KTMessageBox.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QFileInfo>

CChildFrame::CChildFrame(std::unique_ptr<KTG300Doc> document, QWidget* parent)
    : QMdiSubWindow(parent), m_document(std::move(document))
{
    setAttribute(Qt::WA_DeleteOnClose);
    m_view = new KTG300View(*m_document, this);
    setWidget(m_view);
    connect(m_document.get(), &KTG300Doc::modifiedChanged, this, &CChildFrame::UpdateTitle);
    connect(m_document.get(), &KTG300Doc::titleChanged, this, &CChildFrame::UpdateTitle);
    UpdateTitle();
}

CChildFrame::~CChildFrame()
{
    // The view refers to the document: it goes first.
    delete m_view;
    m_view = nullptr;
}

void CChildFrame::UpdateTitle()
{
    setWindowTitle(m_document->GetTitle() + QStringLiteral("[*]"));
    setWindowModified(m_document->IsModified());
}

bool CChildFrame::Save()
{
    if (m_document->GetPathName().isEmpty())
        return SaveAs();
    if (!m_document->OnSaveDocument(m_document->GetPathName()))
        return false;
    if (KTG300App* app = KTGetApp())
        app->AddToRecentFileList(m_document->GetPathName());
    return true;
}

bool CChildFrame::SaveAs()
{
    QString suggested = m_document->GetPathName();
    if (suggested.isEmpty())
        suggested = m_document->GetTitle() + QStringLiteral(".kt3");
    const QString path = KTFileDialog::GetSaveFileName(this, suggested);
    if (path.isEmpty())
        return false;
    if (!m_document->OnSaveDocument(path))
        return false;
    if (KTG300App* app = KTGetApp())
        app->AddToRecentFileList(path);
    return true;
}

void CChildFrame::closeEvent(QCloseEvent* event)
{
    if (m_document->IsModified()) {
        const CString text =
            CString::FromQString(QStringLiteral("Save changes to %1?").arg(m_document->GetTitle()));
        const int answer = KTMessageBox("KT Graph 3", text, MB_YESNOCANCEL | MB_ICONWARNING);
        if (answer == IDCANCEL || (answer == IDYES && !Save())) {
            event->ignore();
            return;
        }
    }
    m_view->OnClose();
    event->accept();
    QMdiSubWindow::closeEvent(event);
}

// The frame's own handlers are where the user drags its border or sizes it from its system
// menu's keys; what they do to the window's size is the user's change.
void CChildFrame::mouseMoveEvent(QMouseEvent* event)
{
    const bool previous = m_userSizing;
    m_userSizing = true;
    QMdiSubWindow::mouseMoveEvent(event);
    m_userSizing = previous;
}

void CChildFrame::keyPressEvent(QKeyEvent* event)
{
    const bool previous = m_userSizing;
    m_userSizing = true;
    QMdiSubWindow::keyPressEvent(event);
    m_userSizing = previous;
}
