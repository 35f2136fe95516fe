#pragma once
// "Update Available": the notice of a newer version found by the update check, with buttons that
// open the download page and the what's-new page (the dialog stays open) and OK. The addresses
// come from the downloaded versions file: only web pages are opened; of anything else the notice
// says that it is not a web page.

#include "app/KTModalHook.h"

#ifndef Q_MOC_RUN
#include "platform/CString.h"

#include <cstdint>
#endif

#include <QDialog>

class KTLinkStatic;
class QLabel;
class QPushButton;

class KTUpdateAvailableDlg : public QDialog
{
    Q_OBJECT

public:
    /// A new minor version of the same major one, and a new major version.
    static constexpr int MinorTemplate = 202;
    static constexpr int MajorTemplate = 204;
    using ModalHook = KTModalHook<KTUpdateAvailableDlg>;

    KTUpdateAvailableDlg(int templateId, const CString& displayName, std::int32_t major, std::int32_t minor,
                         const CString& downloadPage, const CString& whatsNewPage, std::int32_t ownMajor,
                         std::int32_t ownMinor, QWidget* parent = nullptr);
    ~KTUpdateAvailableDlg() override;

    bool OnInitDialog();
    int DoModal();
    void OnDownload();
    void OnWhatsNew();

    int TemplateId() const { return m_templateId; }
    KTLinkStatic* TitleLabel() const { return m_title; }
    KTLinkStatic* NoticeLabel() const { return m_notice; }
    KTLinkStatic* CloseFirstLabel() const { return m_closeFirst; }
    KTLinkStatic* VersionLabel() const { return m_versions; }
    QPushButton* DownloadButton() const { return m_download; }
    QPushButton* WhatsNewButton() const { return m_whatsNew; }
    /// Hidden until a button's address could not be opened; then says why.
    QLabel* RefusalLabel() const { return m_refusal; }

    /// What the notice says of an address that is not a web page.
    static CString NotAWebPageText(const CString& address);
    /// What it says when the desktop started no browser for a web page.
    static constexpr const char* NoBrowserText = "No web browser could be started to show the page.";

private:
    /// Opens the address with the desktop's browser when it is a web page; else says why not.
    void OpenPage(const CString& address);

    int m_templateId;
    CString m_displayName;
    std::int32_t m_major;
    std::int32_t m_minor;
    CString m_downloadPage;
    CString m_whatsNewPage;
    std::int32_t m_ownMajor;
    std::int32_t m_ownMinor;
    KTLinkStatic* m_title;
    KTLinkStatic* m_notice;
    KTLinkStatic* m_closeFirst;
    KTLinkStatic* m_versions;
    QPushButton* m_download;
    QPushButton* m_whatsNew;
    QLabel* m_refusal;
};
