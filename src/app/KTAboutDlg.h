#pragma once
// "About KT Graph": the program's icon, its version line and a notice line. Also the maker's
// "Contact Details" box (KTAboutMakerDlg).

#include "app/KTModalHook.h"

#ifndef Q_MOC_RUN
#include "platform/CString.h"
#endif

#include <QDialog>

class QLabel;

class KTAboutDlg : public QDialog
{
    Q_OBJECT

public:
    using ModalHook = KTModalHook<KTAboutDlg>;

    explicit KTAboutDlg(QWidget* parent = nullptr);
    ~KTAboutDlg() override;

    /// Reads the program's version into the version line, then fills the two lines.
    bool OnInitDialog();
    int DoModal();

    /// "KT Graph V%d.%03d.%d": product major and minor, file build (3.209.2 for 3.209.2.0).
    static CString VersionLine(int productMajor, int productMinor, int fileBuild);

    QLabel* VersionLabel() const { return m_versionLabel; }
    QLabel* NoticeLabel() const { return m_noticeLabel; }

    CString m_version;
    CString m_notice;

private:
    QLabel* m_versionLabel;
    QLabel* m_noticeLabel;
};

class KTAboutMakerDlg : public QDialog
{
    Q_OBJECT

public:
    using ModalHook = KTModalHook<KTAboutMakerDlg>;
    static constexpr const char* EmailAddress = "support@norwyn.com";
    static constexpr const char* WebHost = "www.norwyn.com";

    explicit KTAboutMakerDlg(QWidget* parent = nullptr);
    int DoModal() { return ModalHook::Run(*this); }
};
