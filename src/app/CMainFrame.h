#pragma once
// The main window: the document windows in an MDI area, the menus, the toolbar and the status
// bar. Commands whose work belongs to parts of the program not yet present stay disabled.

#include <QDeadlineTimer>
#include <QMainWindow>

#include <array>
#include <map>
#include <memory>

class CChildFrame;
class KTG300App;
class KTG300Doc;
class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;

class CMainFrame : public QMainWindow
{
    Q_OBJECT

public:
    explicit CMainFrame(KTG300App* app, QWidget* parent = nullptr);
    ~CMainFrame() override;

    /// A new document with the application's default options in a new window (maximised).
    KTG300Doc* OnFileNew();
    /// Opens the file in a new window, or activates the window that already shows it. Null when
    /// it cannot be opened (the user has been told why).
    KTG300Doc* OpenDocumentFile(const QString& path);
    /// The active document window, or null.
    CChildFrame* ActiveChild() const;
    QList<CChildFrame*> Children() const;
    /// Closes every document window, asking to save modified documents; false when the user
    /// cancelled one.
    bool CloseAllDocuments();

    /// Moves and sizes the window for a document's stored rectangle; the resizes that follow
    /// (also the window system's answer) are the program's, not the user's.
    void PlaceWindow(const QPoint& topLeft, const QSize& size);
    /// True while a resize of the main window that the program did not ask for is handled (the
    /// document windows are laid out anew before the main window's own resize event).
    bool IsResizingByUser() const;

    /// Window > Cascade: the document windows overlap from the area's top left corner, each one
    /// title bar below and right of the last, all of one size that leaves room for the stagger;
    /// the active window ends on top.
    void CascadeWindows();

    QMdiArea* MdiArea() const { return m_mdiArea; }
    /// The status bar's indicator panes: CAP, NUM, SCRL (hidden where the keyboard's state is
    /// not known).
    QLabel* IndicatorPane(int index) const { return m_indicators.at(static_cast<std::size_t>(index)); }
    /// Shows the keyboard's lock indicators in the panes; run when the keyboard reports a change.
    void UpdateIndicators();
    QToolBar* ToolBar() const { return m_toolBar; }
    /// The action of a command id (57600 File New, 32837 Copy to Clipboard, ...), or null.
    QAction* Action(int id) const;
    /// The Window menu: the arranging commands, then the open documents numbered from 1, the
    /// active one checked; choosing one activates it.
    QMenu* WindowMenu() const { return m_windowMenu; }
    /// How many documents the Window menu lists; the rest are reached with Next and Previous.
    static constexpr int WindowListLength = 9;
    /// The status bar's message when no command or menu item is described there.
    static constexpr const char* IdleText = "Ready";
    /// Puts the idle text back in the status bar's message pane.
    void ShowIdleText();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createActions();
    void createMenus();
    void createToolBars();
    void createStatusBar();
    QAction* AddAction(int id, const QString& text, const QString& statusTip);
    CChildFrame* AddChild(std::unique_ptr<KTG300Doc> document);
    CChildFrame* FindChild(const QString& path) const;
    void UpdateActions();
    /// The main window's modified marker from the active document.
    void UpdateModifiedMarker();
    void UpdateRecentFileActions();
    void UpdateWindowList();

    void OnFileOpen();
    void OnFileClose();
    void OnFileSave();
    void OnFileSaveAs();
    void OnFilePrint();
    void OnFilePrintPreview();
    void OnFilePrintSetup();
    void OnAppExit();
    void OnCopyToClipboard();
    void OnOpenRecentFile();

    KTG300App* m_app;
    QMdiArea* m_mdiArea = nullptr;
    QToolBar* m_toolBar = nullptr;
    QMenu* m_windowMenu = nullptr;
    QAction* m_windowListSeparator = nullptr;
    std::array<QAction*, WindowListLength> m_windowListActions{};
    std::map<int, QAction*> m_actions;
    std::array<QAction*, 4> m_recentActions{};
    QAction* m_recentSeparator = nullptr;
    std::array<QLabel*, 3> m_indicators{};
    /// The size at the end of the last resize.
    QSize m_settledSize;
    /// Until when resizes answer the last PlaceWindow.
    QDeadlineTimer m_placing;
};
