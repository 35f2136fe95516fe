#include "app/KTBrowserWnd.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QLayout>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace {

bool OpenInDesktopBrowser(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

KTBrowserWnd::Opener g_opener = OpenInDesktopBrowser;

} // namespace

KTBrowserWnd::Opener KTBrowserWnd::SetOpener(Opener opener)
{
    const Opener previous = g_opener;
    g_opener = opener ? opener : OpenInDesktopBrowser;
    return previous;
}

bool KTBrowserWnd::OpenInBrowser(const QUrl& url)
{
    return g_opener(url);
}

KTBrowserWnd::KTBrowserWnd(QWidget* parent, int controlId) : QWidget(parent), m_controlId(controlId)
{
    setObjectName(QStringLiteral("BrowserWindow"));
    m_view = new QTextBrowser(this);
    m_view->setOpenLinks(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
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
    // The page keeps the room the dialog gave its placeholder.
    setMinimumSize(placeholder->minimumSize());
    setSizePolicy(placeholder->sizePolicy());
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

void KTBrowserWnd::ShowMessage(const QString& text)
{
    m_view->setHtml(QStringLiteral("<p>%1</p>").arg(text.toHtmlEscaped()));
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
    // A path, or a file address, names a page of this computer: it is shown here or not at all.
    const bool local = text.startsWith(QLatin1Char('/')) || url.isLocalFile() || QFileInfo::exists(text);
    if (local) {
        const QString path = QFileInfo::exists(text) ? text : url.toLocalFile();
        const QFileInfo page(path);
        if (page.isFile() && page.isReadable()) {
            m_view->setSource(QUrl::fromLocalFile(page.absoluteFilePath()));
            m_outcome = Outcome::Shown;
        } else {
            ShowMessage(QStringLiteral("The page %1 could not be found.").arg(path));
            m_outcome = Outcome::Failed;
        }
    } else if (g_opener(url)) {
        ShowMessage(QStringLiteral("The page %1 has been opened in your web browser.").arg(text));
        m_outcome = Outcome::Opened;
    } else {
        ShowMessage(QStringLiteral("The page %1 could not be opened: no web browser took it.").arg(text));
        m_outcome = Outcome::Failed;
    }
    KTBrowserNotify complete;
    complete.code = KTBrowserNotify::NavigateComplete;
    complete.address = address;
    Send(complete);
    KTBrowserNotify title;
    title.code = KTBrowserNotify::TitleChange;
    title.text = ShownHere() ? CString::FromQString(m_view->documentTitle()) : address;
    Send(title);
    KTBrowserNotify document;
    document.code = KTBrowserNotify::DocumentComplete;
    document.address = address;
    Send(document);
}
