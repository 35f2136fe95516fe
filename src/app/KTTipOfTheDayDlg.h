#pragma once
// "Tip of the Day": the numbered tip pages "tipNNN.html" below the program folder's
// "TipOfTheDay/", shown one at a time with Next and Previous (both wrap around), and the
// "Show tips at startup " check box.

#include "app/KTModalHook.h"

#ifndef Q_MOC_RUN
#include "platform/CString.h"

#include <vector>
#endif

#include <QDialog>

class KTBrowserWnd;
class QCheckBox;
class QPushButton;
struct KTBrowserNotify;

class KTTipOfTheDayDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int BrowserId = 1090;
    using ModalHook = KTModalHook<KTTipOfTheDayDlg>;

    /// `tipFiles` (names relative to the tip folder, in number order) is not owned.
    KTTipOfTheDayDlg(const std::vector<CString>* tipFiles, const CString& programFolder,
                     QWidget* parent = nullptr);
    ~KTTipOfTheDayDlg() override;

    /// Puts the browser window over its placeholder and shows the tip after the current one.
    bool OnInitDialog();
    int DoModal();
    /// The first tip numbered above the current one, or the first tip after the last.
    void ShowNextTip();
    /// The last tip numbered below the current one, or the last tip before the first.
    void ShowPreviousTip();

    KTBrowserWnd* Browser() const { return m_browser; }
    QCheckBox* ShowTipsCheck() const { return m_check; }
    QPushButton* NextButton() const { return m_next; }
    QPushButton* PreviousButton() const { return m_previous; }
    int CloseRequests() const { return m_closeRequests; }

    CString m_address;
    int m_showTips = 0;
    int m_currentTip = -1;

private:
    void Navigate(const CString& relativeName);
    void ShowNoTips();
    void OnNotify(KTBrowserNotify& record);

    const std::vector<CString>* m_tipFiles;
    CString m_programFolder;
    KTBrowserWnd* m_browser = nullptr;
    QWidget* m_placeholder;
    QCheckBox* m_check;
    QPushButton* m_next;
    QPushButton* m_previous;
    int m_closeRequests = 0;
};
