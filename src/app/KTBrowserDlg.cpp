#include "app/KTBrowserDlg.h"

#include "app/KTBrowserWnd.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFrame>
#include <QPushButton>
#include <QVBoxLayout>

KTBrowserDlg::KTBrowserDlg(const CString& address, QWidget* parent) : QDialog(parent), m_address(address)
{
    setObjectName(QStringLiteral("KTBrowserDlg"));
    setWindowTitle(QStringLiteral("Norwyn Software"));
    m_placeholder = new QFrame(this);
    m_placeholder->setObjectName(QStringLiteral("Browser Window"));
    m_placeholder->setMinimumSize(480, 360);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close = buttons->addButton(QStringLiteral("Close"), QDialogButtonBox::AcceptRole);
    close->setObjectName(QStringLiteral("Close"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_placeholder);
    layout->addWidget(buttons);
}

KTBrowserDlg::~KTBrowserDlg() = default;

bool KTBrowserDlg::OnInitDialog()
{
    if (m_browser)
        return true;
    m_browser = new KTBrowserWnd(this, BrowserId);
    connect(m_browser, &KTBrowserWnd::notify, this, &KTBrowserDlg::OnNotify);
    m_browser->CreateOver(m_placeholder);
    m_placeholder = nullptr;
    m_browser->Navigate(m_address);
    return true;
}

int KTBrowserDlg::DoModal()
{
    OnInitDialog();
    return ModalHook::Run(*this);
}

void KTBrowserDlg::OnNotify(KTBrowserNotify& record)
{
    // A page that asks to be closed gets a beep; the dialog stays open.
    if (record.controlId == BrowserId && record.code == KTBrowserNotify::TitleChange &&
        record.text == "Close Now") {
        QApplication::beep();
        ++m_closeRequests;
    }
}
