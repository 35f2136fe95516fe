#include "app/CMainFrame.h"

#include "app/CChildFrame.h"
#include "app/KTCommandIds.h"
#include "app/KTFileDialog.h"
#include "app/KTG300App.h"
#include "app/KTG300Doc.h"
#include "app/KTG300View.h"
#include "app/KTKeyboardIndicators.h"
#include "ui/KTResources.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QResizeEvent>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QTimer>
#include <QToolBar>

namespace {

// The desktop's own picture of a standard command where its icon theme has one, else ours.
QIcon StandardIcon(const char* theme, const char* ours)
{
    return KTResources::ThemeIcon(QString::fromLatin1(theme), QString::fromLatin1(ours));
}

/// How long the window system may take to answer a placement of the main window, ms.
constexpr qint64 kPlacementAnswerMs = 500;

QIcon OwnIcon(const char* name)
{
    return KTResources::Icon(QString::fromLatin1(name));
}

} // namespace

CMainFrame::CMainFrame(KTG300App* app, QWidget* parent) : QMainWindow(parent), m_app(app)
{
    setWindowTitle(QStringLiteral("KT Graph 3"));
    m_mdiArea = new QMdiArea(this);
    m_mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdiArea);
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, &CMainFrame::UpdateActions);
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, &CMainFrame::UpdateModifiedMarker);

    createActions();
    KTG300View::ConnectCommands(*this);
    if (m_app)
        m_app->ConnectCommands(*this);
    createMenus();
    createToolBars();
    createStatusBar();
    UpdateActions();
    if (m_app)
        connect(m_app, &KTG300App::recentFilesChanged, this, &CMainFrame::UpdateRecentFileActions);
    UpdateRecentFileActions();
    resize(800, 600);
}

CMainFrame::~CMainFrame()
{
    // Documents go before the frame's own members.
    for (QMdiSubWindow* window : m_mdiArea->subWindowList())
        delete window;
}

QAction* CMainFrame::AddAction(int id, const QString& text, const QString& statusTip)
{
    auto* action = new QAction(text, this);
    action->setStatusTip(statusTip);
    action->setData(id);
    m_actions[id] = action;
    return action;
}

QAction* CMainFrame::Action(int id) const
{
    const auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

void CMainFrame::createActions()
{
    using namespace KTCommand;
    QAction* a = AddAction(FileNew, QStringLiteral("&New"), QStringLiteral("Create a new graph"));
    a->setShortcut(QKeySequence::New);
    a->setIcon(StandardIcon("document-new", "file-new"));
    connect(a, &QAction::triggered, this, [this] { OnFileNew(); });

    a = AddAction(FileOpen, QStringLiteral("&Open..."), QStringLiteral("Open an existing graph"));
    a->setShortcut(QKeySequence::Open);
    a->setIcon(StandardIcon("document-open", "file-open"));
    connect(a, &QAction::triggered, this, &CMainFrame::OnFileOpen);

    a = AddAction(FileClose, QStringLiteral("&Close"), QStringLiteral("Close the active graph"));
    connect(a, &QAction::triggered, this, &CMainFrame::OnFileClose);

    a = AddAction(FileSave, QStringLiteral("&Save"), QStringLiteral("Save the active graph"));
    a->setShortcut(QKeySequence::Save);
    a->setIcon(StandardIcon("document-save", "file-save"));
    connect(a, &QAction::triggered, this, &CMainFrame::OnFileSave);

    a = AddAction(FileSaveAs, QStringLiteral("Save &As..."),
                  QStringLiteral("Save the active graph under a new name"));
    connect(a, &QAction::triggered, this, &CMainFrame::OnFileSaveAs);

    a = AddAction(FilePrint, QStringLiteral("&Print..."), QStringLiteral("Print the active graph"));
    a->setShortcut(QKeySequence::Print);
    a->setIcon(StandardIcon("document-print", "file-print"));
    connect(a, &QAction::triggered, this, &CMainFrame::OnFilePrint);

    a = AddAction(FilePrintPreview, QStringLiteral("Print Pre&view"),
                  QStringLiteral("Show the page as it will print"));
    connect(a, &QAction::triggered, this, &CMainFrame::OnFilePrintPreview);

    a = AddAction(FilePrintSetup, QStringLiteral("P&rint Setup..."),
                  QStringLiteral("Choose the printer and the page"));
    connect(a, &QAction::triggered, this, &CMainFrame::OnFilePrintSetup);

    a = AddAction(AppExit, QStringLiteral("E&xit"), QStringLiteral("Quit the program"));
    a->setShortcut(QKeySequence::Quit);
    connect(a, &QAction::triggered, this, &CMainFrame::OnAppExit);

    // The two close commands of an embedded start; no container reaches the program here.
    a = AddAction(CloseAllUpdate, QStringLiteral("Close and Update"),
                  QStringLiteral("Close and update the container"));
    a->setIcon(OwnIcon("close-update"));
    a = AddAction(CloseAll, QStringLiteral("Close"), QStringLiteral("Close without updating the container"));
    a->setIcon(OwnIcon("close"));

    a = AddAction(CopyToClipboard, QStringLiteral("Copy to &Clipboard"),
                  QStringLiteral("Copy the graph as a picture"));
    connect(a, &QAction::triggered, this, &CMainFrame::OnCopyToClipboard);

    // The commands of the view, the dialogs and the start-up services come with their parts.
    a = AddAction(EditFunctions, QStringLiteral("&Functions"), QStringLiteral("Edit the functions"));
    a->setIcon(OwnIcon("edit-functions"));
    connect(a, &QAction::triggered, this, [this] {
        if (CChildFrame* child = ActiveChild())
            child->View().OnEditFunctions();
    });
    a = AddAction(EditProperties, QStringLiteral("&Edit Properties ..."),
                  QStringLiteral("Edit a function's properties"));
    connect(a, &QAction::triggered, this, [this] {
        if (CChildFrame* child = ActiveChild())
            child->View().OnEditProperties();
    });
    a = AddAction(Integral, QStringLiteral("Integral..."), QStringLiteral("Calculate an integral"));
    connect(a, &QAction::triggered, this, [this] {
        if (CChildFrame* child = ActiveChild())
            child->View().OnIntegral();
    });
    a = AddAction(TangentLine, QStringLiteral("Tangent Line..."), QStringLiteral("Draw a tangent line"));
    connect(a, &QAction::triggered, this, [this] {
        if (CChildFrame* child = ActiveChild())
            child->View().OnTangentLine();
    });
    AddAction(Preferences, QStringLiteral("Preferences..."),
              QStringLiteral("Change the graph's preferences"));
    AddAction(Messages, QStringLiteral("Messages..."), QStringLiteral("Change the graph's messages"));
    const struct
    {
        int id;
        const char* text;
        const char* icon;
    } modes[] = {{SelectMode, "Select Mode", "mode-select"},
                 {IntegralMode, "Integral Mode", "mode-integral"},
                 {DerivativeMode, "Derivative Mode", "mode-tangent"},
                 {AnnotationMode, "Annotation Mode", "mode-annotation"},
                 {ZoomMode, "Zoom Mode", "mode-zoom"}};
    for (const auto& mode : modes) {
        a = AddAction(mode.id, QString::fromLatin1(mode.text), QString::fromLatin1(mode.text));
        a->setCheckable(true);
        a->setIcon(OwnIcon(mode.icon));
    }
    AddAction(ToolsWriteDefaultConfig, QStringLiteral("Write Default Configuration File"), QString());
    AddAction(ToolsResetAllOptions, QStringLiteral("Reset All Options"), QString());
    AddAction(HelpReadHelpFile, QStringLiteral("Read &Help File"), QString());
    AddAction(HelpReadManual, QStringLiteral("Read &Manual (PDF)"), QString());
    AddAction(HelpReadQuickref, QStringLiteral("Read &Quickref Card"), QString());
    AddAction(HelpNewsletter, QStringLiteral("Register for Norwyn Newsletter..."), QString());
    AddAction(HelpEmailTutorials, QStringLiteral("Register for Email Tutorials..."), QString());
    AddAction(HelpCheckForUpdates, QStringLiteral("Check for Updates"), QString())->setCheckable(true);
    AddAction(AppAbout, QStringLiteral("&About KT Graph 3..."), QString());
    AddAction(HelpAboutMaker, QStringLiteral("About &Norwyn ..."), QString());

    a = AddAction(WindowCascade, QStringLiteral("&Cascade"),
                  QStringLiteral("Arrange the windows overlapped"));
    connect(a, &QAction::triggered, this, &CMainFrame::CascadeWindows);
    a = AddAction(WindowTile, QStringLiteral("&Tile"), QStringLiteral("Arrange the windows side by side"));
    connect(a, &QAction::triggered, m_mdiArea, &QMdiArea::tileSubWindows);
    // The menu shows the first key of each; Ctrl+F6 is what multiple-document programs name,
    // the desktop's own keys (Ctrl+Shift+Tab arrives as "Backtab") work as well.
    const auto windowKeys = [](QKeySequence::StandardKey standard, const QKeySequence& shown) {
        QList<QKeySequence> keys{shown};
        for (const QKeySequence& key : QKeySequence::keyBindings(standard))
            if (key != shown)
                keys.append(key);
        return keys;
    };
    a = AddAction(WindowNext, QStringLiteral("Ne&xt"), QStringLiteral("Activate the next window"));
    a->setShortcuts(windowKeys(QKeySequence::NextChild, QKeySequence(Qt::CTRL | Qt::Key_F6)));
    connect(a, &QAction::triggered, m_mdiArea, &QMdiArea::activateNextSubWindow);
    a = AddAction(WindowPrevious, QStringLiteral("Pre&vious"),
                  QStringLiteral("Activate the previous window"));
    a->setShortcuts(windowKeys(QKeySequence::PreviousChild, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6)));
    connect(a, &QAction::triggered, m_mdiArea, &QMdiArea::activatePreviousSubWindow);

    for (auto& recent : m_recentActions) {
        recent = new QAction(this);
        recent->setVisible(false);
        connect(recent, &QAction::triggered, this, &CMainFrame::OnOpenRecentFile);
    }
}

void CMainFrame::createMenus()
{
    using namespace KTCommand;
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    for (int id : {FileNew, FileOpen, FileClose, FileSave, FileSaveAs})
        file->addAction(Action(id));
    file->addSeparator();
    for (int id : {FilePrint, FilePrintPreview, FilePrintSetup})
        file->addAction(Action(id));
    m_recentSeparator = file->addSeparator();
    for (QAction* recent : m_recentActions)
        file->addAction(recent);
    file->addSeparator();
    file->addAction(Action(AppExit));

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    // Whether a function can carry an integral or a tangent changes with every edit.
    connect(edit, &QMenu::aboutToShow, this, [this] {
        CChildFrame* child = ActiveChild();
        KTG300View::UpdateToolCommandUI(*this, child ? &child->View() : nullptr);
    });
    edit->addAction(Action(CopyToClipboard));
    edit->addSeparator();
    for (int id : {EditFunctions, EditProperties, Integral, TangentLine})
        edit->addAction(Action(id));
    edit->addSeparator();
    for (int id : {Preferences, Messages})
        edit->addAction(Action(id));

    QMenu* mode = menuBar()->addMenu(QStringLiteral("&Mode"));
    for (int id : {SelectMode, IntegralMode, DerivativeMode, AnnotationMode, ZoomMode})
        mode->addAction(Action(id));

    QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    tools->addAction(Action(ToolsWriteDefaultConfig));
    tools->addAction(Action(ToolsResetAllOptions));

    m_windowMenu = menuBar()->addMenu(QStringLiteral("&Window"));
    for (int id : {WindowCascade, WindowTile, WindowNext, WindowPrevious})
        m_windowMenu->addAction(Action(id));
    m_windowListSeparator = m_windowMenu->addSeparator();
    for (std::size_t i = 0; i < m_windowListActions.size(); ++i) {
        QAction* entry = m_windowMenu->addAction(QString());
        entry->setCheckable(true);
        entry->setVisible(false);
        connect(entry, &QAction::triggered, this, [this, i] {
            const QList<CChildFrame*> children = Children();
            if (static_cast<qsizetype>(i) < children.size())
                m_mdiArea->setActiveSubWindow(children.at(static_cast<qsizetype>(i)));
            UpdateWindowList();
        });
        m_windowListActions[i] = entry;
    }
    connect(m_windowMenu, &QMenu::aboutToShow, this, &CMainFrame::UpdateWindowList);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    for (int id : {HelpReadHelpFile, HelpReadManual, HelpReadQuickref})
        help->addAction(Action(id));
    help->addSeparator();
    for (int id : {HelpNewsletter, HelpEmailTutorials, HelpCheckForUpdates})
        help->addAction(Action(id));
    help->addSeparator();
    help->addAction(Action(AppAbout));
    help->addAction(Action(HelpAboutMaker));

    // A menu closed by a choice leaves the chosen item's description behind; it goes once the
    // menu's own last words have arrived.
    for (QMenu* menu : {file, edit, mode, tools, m_windowMenu, help})
        connect(menu, &QMenu::aboutToHide, this,
                [this] { QTimer::singleShot(0, this, &CMainFrame::ShowIdleText); });
}

void CMainFrame::createToolBars()
{
    using namespace KTCommand;
    m_toolBar = addToolBar(QStringLiteral("Standard"));
    m_toolBar->setObjectName(QStringLiteral("toolbar128"));
    m_toolBar->setIconSize(QSize(16, 15));
    for (int id : {FileNew, FileOpen, FileSave, FilePrint})
        m_toolBar->addAction(Action(id));
    m_toolBar->addSeparator();
    m_toolBar->addAction(Action(CloseAllUpdate));
    m_toolBar->addAction(Action(CloseAll));
    m_toolBar->addSeparator();
    m_toolBar->addAction(Action(EditFunctions));
    m_toolBar->addSeparator();
    for (int id : {SelectMode, IntegralMode, DerivativeMode, AnnotationMode, ZoomMode})
        m_toolBar->addAction(Action(id));
}

void CMainFrame::createStatusBar()
{
    // A command's description goes when the pointer leaves it, and a menu's when the menu
    // closes; the pane then says "Ready" again rather than standing blank or stale.
    connect(statusBar(), &QStatusBar::messageChanged, this, [this](const QString& message) {
        if (message.isEmpty())
            ShowIdleText();
    });
    ShowIdleText();
    // The panes keep their width whether the lock is on (its name shown) or off (blank).
    const char* names[] = {"CAP", "NUM", "SCRL"};
    const char* objectNames[] = {"indicatorCaps", "indicatorNum", "indicatorScroll"};
    for (int i = 0; i < 3; ++i) {
        auto* pane = new QLabel(this);
        pane->setObjectName(QLatin1String(objectNames[i]));
        pane->setAlignment(Qt::AlignCenter);
        pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(QLatin1String(names[i])) + 12);
        pane->setFrameShape(QFrame::Panel);
        pane->setFrameShadow(QFrame::Sunken);
        pane->setProperty("indicatorText", QLatin1String(names[i]));
        statusBar()->addPermanentWidget(pane);
        m_indicators[static_cast<std::size_t>(i)] = pane;
    }
    // The panes look again only when the keyboard reports a changed lock: an idle program sleeps.
    connect(KTKeyboardIndicators::Watcher(), &KTKeyboardIndicators::changed, this,
            &CMainFrame::UpdateIndicators);
    UpdateIndicators();
}

void CMainFrame::ShowIdleText()
{
    statusBar()->showMessage(QString::fromLatin1(IdleText));
}

void CMainFrame::UpdateIndicators()
{
    const std::optional<KTKeyboardIndicators::State> state = KTKeyboardIndicators::Read();
    const bool on[3] = {state && state->caps, state && state->num, state && state->scroll};
    for (int i = 0; i < 3; ++i) {
        QLabel* pane = m_indicators[static_cast<std::size_t>(i)];
        pane->setVisible(state.has_value());
        const QString text = on[i] ? pane->property("indicatorText").toString() : QString();
        if (pane->text() != text)
            pane->setText(text);
    }
}

void CMainFrame::UpdateModifiedMarker()
{
    // A maximised document window lends the main window its title with the "[*]" marker, but
    // the framework passes the modified state on only when it changes, not when another window
    // becomes the active one (one closed, one made or activated), and a window that closes
    // maximised clears it after the next one became active: the active document's state is
    // set here whenever the title or the state changes. A title without the marker (no
    // document, or windows side by side) has no state to show.
    // The title is set before the document area exists.
    const CChildFrame* active = m_mdiArea ? ActiveChild() : nullptr;
    const bool modified =
        active && active->Document().IsModified() && windowTitle().contains(QLatin1String("[*]"));
    if (isWindowModified() != modified)
        setWindowModified(modified);
}

void CMainFrame::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ModifiedChange || event->type() == QEvent::WindowTitleChange)
        UpdateModifiedMarker();
}

void CMainFrame::UpdateActions()
{
    using namespace KTCommand;
    const bool hasDocument = ActiveChild() != nullptr;
    for (int id : {FileClose, FileSave, FileSaveAs, FilePrint, FilePrintPreview, CopyToClipboard,
                   EditFunctions, EditProperties, WindowCascade, WindowTile, WindowNext, WindowPrevious})
        Action(id)->setEnabled(hasDocument);
    // Work that comes with later parts of the program: shown, never pretended.
    for (int id : {Preferences, Messages, SelectMode, IntegralMode, DerivativeMode, AnnotationMode, ZoomMode})
        Action(id)->setEnabled(false);
    KTG300View::UpdateToolCommandUI(*this, hasDocument ? &ActiveChild()->View() : nullptr);
    KTG300View::UpdateCommandUI(*this, hasDocument ? &ActiveChild()->View() : nullptr);
    if (m_app)
        m_app->UpdateCommandUI(*this);
    m_windowMenu->menuAction()->setVisible(hasDocument);
    UpdateWindowList();
}

void CMainFrame::UpdateWindowList()
{
    const QList<CChildFrame*> children = Children();
    const CChildFrame* active = ActiveChild();
    for (std::size_t i = 0; i < m_windowListActions.size(); ++i) {
        QAction* entry = m_windowListActions[i];
        const auto index = static_cast<qsizetype>(i);
        if (index < children.size()) {
            CChildFrame* child = children.at(index);
            entry->setText(QStringLiteral("&%1 %2").arg(index + 1).arg(child->Document().GetTitle()));
            entry->setChecked(child == active);
            entry->setVisible(true);
        } else {
            entry->setVisible(false);
        }
    }
    m_windowListSeparator->setVisible(!children.isEmpty());
}

void CMainFrame::UpdateRecentFileActions()
{
    const QStringList files = m_app ? m_app->GetRecentFiles() : QStringList();
    for (int i = 0; i < static_cast<int>(m_recentActions.size()); ++i) {
        QAction* action = m_recentActions[static_cast<std::size_t>(i)];
        if (i < files.size()) {
            action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(files.at(i)).fileName()));
            action->setData(files.at(i));
            action->setStatusTip(files.at(i));
            action->setVisible(true);
        } else {
            action->setVisible(false);
        }
    }
    m_recentSeparator->setVisible(!files.isEmpty());
}

CChildFrame* CMainFrame::AddChild(std::unique_ptr<KTG300Doc> document)
{
    auto* child = new CChildFrame(std::move(document));
    connect(&child->Document(), &KTG300Doc::modifiedChanged, this, &CMainFrame::UpdateModifiedMarker);
    connect(&child->Document(), &KTG300Doc::titleChanged, this, &CMainFrame::UpdateModifiedMarker);
    m_mdiArea->addSubWindow(child);
    child->showMaximized();
    m_mdiArea->setActiveSubWindow(child);
    UpdateActions();
    return child;
}

KTG300Doc* CMainFrame::OnFileNew()
{
    auto document = std::make_unique<KTG300Doc>(m_app ? &m_app->m_defaultOptions : nullptr);
    document->OnNewDocument();
    return &AddChild(std::move(document))->Document();
}

CChildFrame* CMainFrame::FindChild(const QString& path) const
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonical.isEmpty())
        return nullptr;
    for (CChildFrame* child : Children())
        if (QFileInfo(child->Document().GetPathName()).canonicalFilePath() == canonical)
            return child;
    return nullptr;
}

KTG300Doc* CMainFrame::OpenDocumentFile(const QString& path)
{
    if (CChildFrame* existing = FindChild(path)) {
        m_mdiArea->setActiveSubWindow(existing);
        return &existing->Document();
    }
    auto document = std::make_unique<KTG300Doc>(m_app ? &m_app->m_defaultOptions : nullptr);
    if (!document->OnOpenDocument(path)) {
        if (m_app)
            m_app->RemoveFromRecentFileList(QFileInfo(path).absoluteFilePath());
        return nullptr;
    }
    if (m_app)
        m_app->AddToRecentFileList(path);
    CChildFrame* child = AddChild(std::move(document));
    child->Document().UpdateAllViews();
    return &child->Document();
}

CChildFrame* CMainFrame::ActiveChild() const
{
    return qobject_cast<CChildFrame*>(m_mdiArea->activeSubWindow());
}

QList<CChildFrame*> CMainFrame::Children() const
{
    QList<CChildFrame*> children;
    for (QMdiSubWindow* window : m_mdiArea->subWindowList())
        if (auto* child = qobject_cast<CChildFrame*>(window))
            children.append(child);
    return children;
}

void CMainFrame::CascadeWindows()
{
    // Bottom first: the window on top takes the last step of the stagger and stays on top.
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* window : m_mdiArea->subWindowList(QMdiArea::StackingOrder))
        if (!window->isHidden() && !window->isMinimized())
            windows.append(window);
    if (windows.isEmpty())
        return;
    QMdiSubWindow* active = m_mdiArea->activeSubWindow();
    for (QMdiSubWindow* window : windows)
        if (window->isMaximized())
            window->showNormal();
    // One step is one title bar with its border (where a window's contents begin), so that
    // every title stays readable.
    int step = windows.front()->contentsMargins().top();
    if (step <= 0) {
        QStyleOptionTitleBar title;
        title.initFrom(windows.front());
        step = std::max(
            1, windows.front()->style()->pixelMetric(QStyle::PM_TitleBarHeight, &title, windows.front()));
    }
    // The whole area: scroll bars that the old places needed go once the windows fit.
    const QRect area(QPoint(0, 0), m_mdiArea->contentsRect().size());
    // A third of the height goes to the stagger; past its last step the next window starts
    // again at the corner.
    const int steps = area.height() / (3 * step);
    const QSize size(std::max(1, area.width() - steps * step), std::max(1, area.height() - steps * step));
    int index = 0;
    for (QMdiSubWindow* window : windows) {
        const int offset = step * (index++ % (steps + 1));
        window->setGeometry(QRect(area.topLeft() + QPoint(offset, offset), size));
        window->raise();
    }
    if (active)
        m_mdiArea->setActiveSubWindow(active);
}

bool CMainFrame::CloseAllDocuments()
{
    for (CChildFrame* child : Children()) {
        m_mdiArea->setActiveSubWindow(child);
        if (!child->close())
            return false;
    }
    return true;
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (!CloseAllDocuments()) {
        event->ignore();
        return;
    }
    if (m_app)
        m_app->ExitInstance();
    event->accept();
}

void CMainFrame::PlaceWindow(const QPoint& topLeft, const QSize& size)
{
    // The window system may answer a while later, and may adjust the size.
    m_placing = QDeadlineTimer(kPlacementAnswerMs);
    move(topLeft);
    resize(size);
}

bool CMainFrame::IsResizingByUser() const
{
    return size() != m_settledSize && m_placing.hasExpired();
}

void CMainFrame::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    m_settledSize = event->size();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            OpenDocumentFile(url.toLocalFile());
    event->acceptProposedAction();
}

void CMainFrame::OnFileOpen()
{
    const QString path = KTFileDialog::GetOpenFileName(this);
    if (!path.isEmpty())
        OpenDocumentFile(path);
}

void CMainFrame::OnOpenRecentFile()
{
    if (auto* action = qobject_cast<QAction*>(sender()))
        OpenDocumentFile(action->data().toString());
}

void CMainFrame::OnFileClose()
{
    if (CChildFrame* child = ActiveChild())
        child->close();
}

void CMainFrame::OnFileSave()
{
    if (CChildFrame* child = ActiveChild())
        child->Save();
}

void CMainFrame::OnFileSaveAs()
{
    if (CChildFrame* child = ActiveChild())
        child->SaveAs();
}

void CMainFrame::OnFilePrint()
{
    if (CChildFrame* child = ActiveChild())
        child->View().OnFilePrint();
}

void CMainFrame::OnFilePrintPreview()
{
    if (CChildFrame* child = ActiveChild())
        child->View().OnFilePrintPreview();
}

void CMainFrame::OnFilePrintSetup()
{
    if (!m_app)
        return;
    QPageSetupDialog dialog(&m_app->Printer(), this);
    dialog.exec();
}

void CMainFrame::OnAppExit()
{
    close();
}

void CMainFrame::OnCopyToClipboard()
{
    if (CChildFrame* child = ActiveChild())
        child->Document().CopyToClipboard();
}
