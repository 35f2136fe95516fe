#include "app/KTFirstRunDlg.h"

#include "app/KTBrowserDlg.h"
#include "app/KTCallHomeManager.h"
#include "ui/KTIconButton.h"
#include "ui/KTLinkStatic.h"
#include "ui/KTResources.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

QString Q(const char* text)
{
    return QString::fromLatin1(text);
}

QLabel* Paragraph(const char* text, QWidget* parent)
{
    auto* label = new QLabel(Q(text), parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

KTFirstRunDlg::KTFirstRunDlg(const CString& productName, QWidget* parent)
    : QDialog(parent), m_productName(productName)
{
    setObjectName(Q("KTFirstRunDlg"));
    setWindowTitle(Q("Norwyn Software"));
    m_welcome = new KTLinkStatic(Q("Welcome to ..."), this, 1096);
    m_welcome->setObjectName(Q("Welcome"));
    m_newsletter = new KTIconButton(Q("Register for the Norwyn\n Email Newsletter"), this);
    m_newsletter->setObjectName(Q("Newsletter"));
    m_tutorials = new KTIconButton(Q("Register for Quick/Easy Email Tutorials"), this);
    m_tutorials->setObjectName(Q("Tutorials"));
    m_internet = new KTLinkStatic(Q("Internet Access Required"), this, 1091);
    m_check = new QCheckBox(this);
    m_check->setObjectName(Q("CheckForUpdates"));
    m_checkLabel = new KTLinkStatic(Q("Check for Updates"), this, 1095);
    m_later = new KTLinkStatic(Q("You can access these features through the Help menu at a later date"), this,
                               1097);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(Q("OK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &KTFirstRunDlg::OnOK);
    connect(m_newsletter, &QPushButton::clicked, this, &KTFirstRunDlg::OnNewsletter);
    connect(m_tutorials, &QPushButton::clicked, this, &KTFirstRunDlg::OnTutorials);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_welcome);
    layout->addWidget(
        Paragraph("Learning how to use new software and keeping up-to-date with changes and new "
                  "versions are probably the hardest part of starting with new software "
                  "programs.  Norwyn provides two great sources of information that can make "
                  "things easier.",
                  this));
    layout->addWidget(Paragraph("Our email tutorials are simply the BEST way for busy teachers to learn new "
                                "software and our newsletter is a great source of information that will NOT "
                                "overwhelm your inbox.  You can register for both here.",
                                this));
    auto* signUp = new QGridLayout;
    signUp->addWidget(m_newsletter, 0, 0);
    signUp->addWidget(m_tutorials, 0, 1);
    signUp->addWidget(m_internet, 1, 0, 1, 2);
    layout->addLayout(signUp);
    layout->addWidget(
        Paragraph("This product can also automatically check for new versions.  These checks are "
                  "INFREQUENT (about once per week) and NO identifying information is sent to "
                  "Norwyn.",
                  this));
    auto* checkRow = new QHBoxLayout;
    checkRow->addWidget(m_check);
    checkRow->addWidget(m_checkLabel, 1);
    layout->addLayout(checkRow);
    layout->addWidget(m_later);
    layout->addWidget(buttons);
    setTabOrder(buttons->button(QDialogButtonBox::Ok), m_newsletter);
    setTabOrder(m_newsletter, m_tutorials);
    setTabOrder(m_tutorials, m_check);
}

KTFirstRunDlg::~KTFirstRunDlg() = default;

CString KTFirstRunDlg::NewsletterPage()
{
    return CString(KTCallHomeManager::WebSite) + "newslettermini.php";
}

CString KTFirstRunDlg::TutorialsPage()
{
    return CString(KTCallHomeManager::WebSite) + "emailtutesmini.php";
}

bool KTFirstRunDlg::OnInitDialog()
{
    m_newsletter->SetImages(KTResources::Icon(Q("newsletter")).pixmap(32, 32).toImage());
    m_tutorials->SetImages(KTResources::Icon(Q("tutorials")).pixmap(32, 32).toImage());
    m_newsletter->OffsetColor(KTIconButton::BkColorIn, 30);
    m_tutorials->OffsetColor(KTIconButton::BkColorIn, 30);
    m_newsletter->SetStandardSounds();
    m_tutorials->SetStandardSounds();
    m_checkLabel->SetFontSize(14).SetTextColor(RGB(255, 0, 0));
    m_internet->SetFontSize(14).SetTextColor(RGB(255, 0, 0));
    {
        const QSignalBlocker blocker(m_check);
        m_check->setChecked(m_checkState);
    }
    m_check->setEnabled(m_checkEnabled);
    m_welcome->SetFontSize(16).SetFontBold(true).SetTextColor(RGB(0, 0, 255));
    m_welcome->SetText(CString("Welcome to ") + m_productName);
    m_later->SetFontSize(9).SetFontBold(true).SetTextColor(RGB(0, 0, 255));
    return true;
}

int KTFirstRunDlg::DoModal()
{
    OnInitDialog();
    return ModalHook::Run(*this);
}

void KTFirstRunDlg::OnNewsletter()
{
    KTBrowserDlg browser(NewsletterPage(), this);
    browser.DoModal();
}

void KTFirstRunDlg::OnTutorials()
{
    KTBrowserDlg browser(TutorialsPage(), this);
    browser.DoModal();
}

void KTFirstRunDlg::OnOK()
{
    m_checkState = m_check->isChecked();
    QDialog::done(Accepted);
}
