#pragma once
// The page window of the tip of the day and the sign-up pages. There is no embedded web engine
// here: pages on this computer (the tips) are shown in the window itself, as rich text; any
// other address is opened in the user's web browser, and the window says so. Navigation events
// reach the parent as the signal `notify` with the record the parent always received.

#ifndef Q_MOC_RUN
#include "platform/CString.h"
#endif

#include <QWidget>

class QLabel;
class QTextBrowser;
class QUrl;

/// What one navigation event tells the parent; fields an event does not fill are empty or 0.
struct KTBrowserNotify
{
    enum Code {
        BeforeNavigate = 0,
        DocumentComplete = 1,
        DownloadBegin = 2,
        ProgressChange = 3,
        DownloadComplete = 4,
        NavigateComplete = 5,
        StatusTextChange = 6,
        TitleChange = 7,
    };
    int controlId = 0;
    int code = 0;
    CString address;
    CString targetFrame;
    CString headers;
    int first = 0;
    int second = 0;
    CString text;
    /// Set by the parent for BeforeNavigate to cancel the navigation.
    bool cancel = false;
};

class KTBrowserWnd : public QWidget
{
    Q_OBJECT

public:
    explicit KTBrowserWnd(QWidget* parent = nullptr, int controlId = 0);
    ~KTBrowserWnd() override;

    /// Takes the place of the placeholder in its parent's layout (or geometry) with the same id;
    /// the placeholder is destroyed. False when there is none.
    bool CreateOver(QWidget* placeholder);
    /// Shows a page of this computer, or opens any other address in the user's browser.
    void Navigate(const CString& address);

    int ControlId() const { return m_controlId; }
    /// The address last navigated to, and whether it was shown here (else handed to the browser).
    const CString& CurrentAddress() const { return m_address; }
    bool ShownHere() const { return m_shownHere; }
    QTextBrowser* View() const { return m_view; }

signals:
    void notify(KTBrowserNotify& record);

private:
    void Send(KTBrowserNotify& record);

    int m_controlId;
    QTextBrowser* m_view;
    QLabel* m_note;
    CString m_address;
    bool m_shownHere = false;
};
