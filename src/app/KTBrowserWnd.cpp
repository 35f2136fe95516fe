#include "app/KTBrowserWnd.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

KTBrowserWnd::KTBrowserWnd(QWidget* parent, int controlId) : QWidget(parent), m_controlId(controlId)
{
    setObjectName(QStringLiteral("BrowserWindow"));
    m_view = new QTextBrowser(this);
    m_view->setOpenLinks(false);
    m_note = new QLabel(this);
    m_note->setWordWrap(true);
    m_note->hide();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    layout->addWidget(m_note);
    // Links inside a shown page go through Navigate like any other address.
    connect(m_view, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
        Navigate(CString::FromQString(url.isLocalFile() ? url.toLocalFile() : url.toString()));
    });
}

KTBrowserWnd::~KTBrowserWnd() = default;

bool KTBrowserWnd::CreateOver(QWidget* placeholder)
{
    if (!placeholder || !placeholder->parentWidget())
        return false;
    QWidget* dialog = placeholder->parentWidget();
    setParent(dialog);
    QLayout* layout = dialog->layout();
    // The layout hands back the placeholder's item, which is ours to free.
    if (QLayoutItem* old =
            layout ? layout->replaceWidget(placeholder, this, Qt::FindChildrenRecursively) : nullptr)
        delete old;
    else
        setGeometry(placeholder->geometry());
    delete placeholder;
    show();
    return true;
}

void KTBrowserWnd::Send(KTBrowserNotify& record)
{
    record.controlId = m_controlId;
    emit notify(record);
}

void KTBrowserWnd::Navigate(const CString& address)
{
    KTBrowserNotify before;
    before.code = KTBrowserNotify::BeforeNavigate;
    before.address = address;
    Send(before);
    if (before.cancel)
        return;
    m_address = address;
    const QString text = address.ToQString();
    const QUrl url = QUrl::fromUserInput(text);
    m_shownHere = QFileInfo::exists(text) || (url.isLocalFile() && QFileInfo::exists(url.toLocalFile()));
    if (m_shownHere) {
        const QString path = QFileInfo::exists(text) ? text : url.toLocalFile();
        m_view->setSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
        m_view->show();
        m_note->hide();
    } else {
        QDesktopServices::openUrl(url);
        m_view->clear();
        m_note->setText(QStringLiteral("The page %1 has been opened in your web browser.").arg(text));
        m_note->show();
    }
    KTBrowserNotify complete;
    complete.code = KTBrowserNotify::NavigateComplete;
    complete.address = address;
    Send(complete);
    KTBrowserNotify title;
    title.code = KTBrowserNotify::TitleChange;
    title.text = m_shownHere ? CString::FromQString(m_view->documentTitle()) : address;
    Send(title);
    KTBrowserNotify document;
    document.code = KTBrowserNotify::DocumentComplete;
    document.address = address;
    Send(document);
}
