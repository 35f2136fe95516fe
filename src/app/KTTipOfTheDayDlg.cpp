#include "app/KTTipOfTheDayDlg.h"

#include "app/KTBrowserWnd.h"
#include "app/KTCallHomeManager.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

KTTipOfTheDayDlg::KTTipOfTheDayDlg(const std::vector<CString>* tipFiles, const CString& programFolder,
                                   QWidget* parent)
    : QDialog(parent), m_tipFiles(tipFiles), m_programFolder(programFolder)
{
    setObjectName(QStringLiteral("KTTipOfTheDayDlg"));
    setWindowTitle(QStringLiteral("Tip of the Day"));
    m_placeholder = new QFrame(this);
    m_placeholder->setObjectName(QStringLiteral("Browser Window"));
    m_placeholder->setMinimumSize(420, 280);
    m_check = new QCheckBox(QStringLiteral("Show tips at startup "), this);
    m_check->setObjectName(QStringLiteral("ShowTips"));
    m_previous = new QPushButton(QStringLiteral("Previous"), this);
    m_previous->setObjectName(QStringLiteral("Previous"));
    m_next = new QPushButton(QStringLiteral("Next"), this);
    m_next->setObjectName(QStringLiteral("Next"));
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("Close"));
    close->setDefault(true);
    connect(m_check, &QCheckBox::clicked, this, [this](bool checked) { m_showTips = checked ? 1 : 0; });
    connect(m_previous, &QPushButton::clicked, this, &KTTipOfTheDayDlg::ShowPreviousTip);
    connect(m_next, &QPushButton::clicked, this, &KTTipOfTheDayDlg::ShowNextTip);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addWidget(m_check);
    row->addStretch(1);
    row->addWidget(m_previous);
    row->addWidget(m_next);
    row->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_placeholder);
    layout->addLayout(row);
}

KTTipOfTheDayDlg::~KTTipOfTheDayDlg() = default;

bool KTTipOfTheDayDlg::OnInitDialog()
{
    {
        const QSignalBlocker blocker(m_check);
        m_check->setChecked(m_showTips != 0);
    }
    if (!m_browser) {
        m_browser = new KTBrowserWnd(this, BrowserId);
        connect(m_browser, &KTBrowserWnd::notify, this, &KTTipOfTheDayDlg::OnNotify);
        m_browser->CreateOver(m_placeholder);
        m_placeholder = nullptr;
    }
    ShowNextTip();
    return true;
}

int KTTipOfTheDayDlg::DoModal()
{
    OnInitDialog();
    return ModalHook::Run(*this);
}

void KTTipOfTheDayDlg::ShowNextTip()
{
    if (!m_tipFiles || m_tipFiles->empty()) {
        ShowNoTips();
        return;
    }
    const int last = KTCallHomeManager::TipNumber(m_tipFiles->back());
    if (m_currentTip >= last)
        m_currentTip = 0;
    for (const CString& file : *m_tipFiles) {
        const int number = KTCallHomeManager::TipNumber(file);
        if (number > m_currentTip) {
            m_currentTip = number;
            Navigate(file);
            return;
        }
    }
}

void KTTipOfTheDayDlg::ShowPreviousTip()
{
    if (!m_tipFiles || m_tipFiles->empty()) {
        ShowNoTips();
        return;
    }
    int first = KTCallHomeManager::TipNumber(m_tipFiles->front());
    if (first == 0 && m_tipFiles->size() > 1)
        first = KTCallHomeManager::TipNumber((*m_tipFiles)[1]);
    if (m_currentTip <= first)
        m_currentTip = 1000;
    for (auto it = m_tipFiles->rbegin(); it != m_tipFiles->rend(); ++it) {
        const int number = KTCallHomeManager::TipNumber(*it);
        if (number < m_currentTip) {
            m_currentTip = number;
            Navigate(*it);
            return;
        }
    }
}

void KTTipOfTheDayDlg::ShowNoTips()
{
    // No page to show: the window says why instead of staying blank.
    if (m_browser)
        m_browser->ShowMessage(QStringLiteral("No tips were found in the folder %1.")
                                   .arg((m_programFolder + "TipOfTheDay").ToQString()));
}

void KTTipOfTheDayDlg::Navigate(const CString& relativeName)
{
    m_address = m_programFolder + "TipOfTheDay/" + relativeName;
    if (m_browser)
        m_browser->Navigate(m_address);
}

void KTTipOfTheDayDlg::OnNotify(KTBrowserNotify& record)
{
    if (record.controlId == BrowserId && record.code == KTBrowserNotify::TitleChange &&
        record.text == "Close Now") {
        QApplication::beep();
        ++m_closeRequests;
    }
}
