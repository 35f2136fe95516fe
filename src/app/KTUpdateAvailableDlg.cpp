#include "app/KTUpdateAvailableDlg.h"

#include "foundation/KTUtilities.h"
#include "ui/KTLinkStatic.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The texts' single "%s" (or none) filled with the name; the name itself is never read as a format.
CString WithName(const char* text, const CString& name)
{
    CString result(text);
    result.Replace("%s", name);
    return result;
}

} // namespace

KTUpdateAvailableDlg::KTUpdateAvailableDlg(int templateId, const CString& displayName, std::int32_t major,
                                           std::int32_t minor, const CString& downloadPage,
                                           const CString& whatsNewPage, std::int32_t ownMajor,
                                           std::int32_t ownMinor, QWidget* parent)
    : QDialog(parent), m_templateId(templateId), m_displayName(displayName), m_major(major), m_minor(minor),
      m_downloadPage(downloadPage), m_whatsNewPage(whatsNewPage), m_ownMajor(ownMajor), m_ownMinor(ownMinor)
{
    setObjectName(QStringLiteral("KTUpdateAvailableDlg"));
    setWindowTitle(QStringLiteral("Update Available"));
    m_title = new KTLinkStatic(QStringLiteral("Update Available"), this, 1099);
    m_notice =
        new KTLinkStatic(templateId == MajorTemplate
                             ? QStringLiteral("A MAJOR version upgrade of %s is available for download.")
                             : QStringLiteral("A new version of %s is available for download."),
                         this, 1103);
    m_download = new QPushButton(QStringLiteral("Download %s"), this);
    m_download->setObjectName(QStringLiteral("Download"));
    m_whatsNew = new QPushButton(QStringLiteral("What's New?"), this);
    m_whatsNew->setObjectName(QStringLiteral("WhatsNew"));
    m_closeFirst =
        new KTLinkStatic(QStringLiteral("Close %s BEFORE installing downloaded updates."), this, 1102);
    m_versions =
        new KTLinkStatic(QStringLiteral("Current Version %d.%03d   -  New Version  %d.%03d"), this, 1104);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_download, &QPushButton::clicked, this, &KTUpdateAvailableDlg::OnDownload);
    connect(m_whatsNew, &QPushButton::clicked, this, &KTUpdateAvailableDlg::OnWhatsNew);
    auto* row = new QHBoxLayout;
    row->addWidget(m_download);
    row->addWidget(m_whatsNew);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_title);
    layout->addWidget(m_notice);
    layout->addLayout(row);
    layout->addWidget(m_closeFirst);
    layout->addWidget(m_versions);
    layout->addWidget(buttons);
}

KTUpdateAvailableDlg::~KTUpdateAvailableDlg() = default;

bool KTUpdateAvailableDlg::OnInitDialog()
{
    CString versions;
    versions.Format("Current Version %d.%03d   -  New Version  %d.%03d", m_ownMajor, m_ownMinor, m_major,
                    m_minor);
    // The two versions are read side by side: one line, as wide as it needs.
    m_versions->SetStaticStyle(KTLinkStatic::SS_LEFTNOWORDWRAP);
    m_versions->SetFontSize(12).SetTextColor(RGB(0, 0, 255)).SetText(versions);
    m_notice->SetFontSize(12).SetText(
        WithName(m_templateId == MajorTemplate ? "A MAJOR version upgrade of %s is available for download."
                                               : "A new version of %s is available for download.",
                 m_displayName));
    m_title->SetFontSize(16).SetFontBold(true).SetTextColor(RGB(0, 0, 255));
    m_closeFirst->SetFontSize(10).SetFontBold(true).SetTextColor(RGB(255, 0, 0));
    m_closeFirst->SetText(WithName("Close %s BEFORE installing downloaded updates.", m_displayName));
    m_download->setText(WithName("Download %s", m_displayName).ToQString());
    const bool whatsNew = !m_whatsNewPage.IsEmpty();
    m_whatsNew->setEnabled(whatsNew);
    m_whatsNew->setVisible(whatsNew);
    return true;
}

int KTUpdateAvailableDlg::DoModal()
{
    OnInitDialog();
    return ModalHook::Run(*this);
}

void KTUpdateAvailableDlg::OnDownload()
{
    ShellOpenMaximized(m_downloadPage);
}

void KTUpdateAvailableDlg::OnWhatsNew()
{
    ShellOpenMaximized(m_whatsNewPage);
}
