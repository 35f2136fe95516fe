#pragma once
// "Norwyn Software": one web page in a browser window, with a Close button. The welcome page
// opens it on the sign-up pages.

#include "app/KTModalHook.h"

#ifndef Q_MOC_RUN
#include "platform/CString.h"
#endif

#include <QDialog>

class KTBrowserWnd;
struct KTBrowserNotify;

class KTBrowserDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int BrowserId = 1090;
    using ModalHook = KTModalHook<KTBrowserDlg>;

    explicit KTBrowserDlg(const CString& address, QWidget* parent = nullptr);
    ~KTBrowserDlg() override;

    /// Puts the browser window over its placeholder and navigates to the address.
    bool OnInitDialog();
    int DoModal();

    KTBrowserWnd* Browser() const { return m_browser; }
    /// How many times a page asked the dialog to close (and it beeped and stayed open).
    int CloseRequests() const { return m_closeRequests; }

    CString m_address;

private:
    void OnNotify(KTBrowserNotify& record);

    KTBrowserWnd* m_browser = nullptr;
    QWidget* m_placeholder = nullptr;
    int m_closeRequests = 0;
};
