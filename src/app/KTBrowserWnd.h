#pragma once
// The page window of the tip of the day and the sign-up pages. There is no embedded web engine
// here: pages on this computer (the tips) are shown in the window itself, as rich text; any
// other address is opened in the user's web browser, and the window says so. A page of this
// computer that is missing, or an address no browser would take, is shown as the failure it is.
// Navigation events reach the parent as the signal `notify` with the record the parent always
// received.

#ifndef Q_MOC_RUN
#include "platform/CString.h"
#endif

#include <QWidget>

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
    /// What became of the last navigation.
    enum class Outcome {
        None,   ///< nothing navigated yet
        Shown,  ///< the page is shown in the window
        Opened, ///< the address was handed to the user's web browser
        Failed, ///< a page of this computer that is not there, or an address no browser took
    };
    /// The address last navigated to, and whether it was shown here.
    const CString& CurrentAddress() const { return m_address; }
    bool ShownHere() const { return m_outcome == Outcome::Shown; }
    Outcome LastOutcome() const { return m_outcome; }
    /// Shows a message of the program's own in the window in place of a page.
    void ShowMessage(const QString& text);
    QTextBrowser* View() const { return m_view; }

    /// Hands an address to the user's web browser; true when one took it. Tests replace it.
    using Opener = bool (*)(const QUrl& url);
    static Opener SetOpener(Opener opener);
    /// Hands the address to the user's web browser through the opener; true when one took it.
    static bool OpenInBrowser(const QUrl& url);

signals:
    void notify(KTBrowserNotify& record);

private:
    void Send(KTBrowserNotify& record);

    int m_controlId;
    QTextBrowser* m_view;
    CString m_address;
    Outcome m_outcome = Outcome::None;
};
