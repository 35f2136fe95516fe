#include "app/KTUpdateAvailableDlg.h"

#include "app/KTVersionRecord.h"
#include "ui/KTLinkStatic.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
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
    m_refusal = new QLabel(this);
    m_refusal->setObjectName(QStringLiteral("Refusal"));
    // The address is the file's, not ours: shown as it is, never read as markup.
    m_refusal->setTextFormat(Qt::PlainText);
    m_refusal->setWordWrap(true);
    m_refusal->hide();
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
    layout->addWidget(m_refusal);
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
    OpenPage(m_downloadPage);
}

void KTUpdateAvailableDlg::OnWhatsNew()
{
    OpenPage(m_whatsNewPage);
}

CString KTUpdateAvailableDlg::NotAWebPageText(const CString& address)
{
    // Shown in one piece of reasonable length, with anything unprintable made visible.
    constexpr int kShown = 60;
    CString shown;
    for (int i = 0; i < address.GetLength() && i < kShown; ++i) {
        const auto c = static_cast<unsigned char>(address.GetAt(i));
        shown += c < 0x20 || c == 0x7F ? '?' : static_cast<char>(c);
    }
    if (address.GetLength() > kShown)
        shown += "...";
    return "The address \"" + shown + "\" is not a web page; it was not opened.";
}

void KTUpdateAvailableDlg::OpenPage(const CString& address)
{
    const QUrl page = KTVersionRecord::WebPage(address);
    CString problem;
    if (!page.isValid())
        problem = NotAWebPageText(address);
    else if (!QDesktopServices::openUrl(page))
        problem = NoBrowserText;
    m_refusal->setText(problem.ToQString());
    m_refusal->setVisible(!problem.IsEmpty());
    // Taller by the lines of the text, as wide as it was: no other line is squeezed.
    layout()->activate();
    const int needed = layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width())
                                                     : layout()->totalSizeHint().height();
    if (needed > height())
        resize(width(), needed);
}
