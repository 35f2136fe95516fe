#pragma once
// The program's application object: it owns the user's settings store, the graph options every
// new document starts from, the recent-file list and the main window, and brings the program up
// (InitInstance) from its command line. There is one, reached through KTGetApp().

#include "app/KTCallHomeManager.h"
#include "app/KTCommandLineInfo.h"
#include "foundation/KTOptionStore.h"
#include "graph/KTOptionGraph3.h"
#include "platform/KTGdiTypes.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <memory>

class CMainFrame;
class KTInstanceChannel;
class QPrinter;

class KTG300App : public QObject
{
    Q_OBJECT

public:
    /// Entries of the recent-file list.
    static constexpr int RecentFileCount = 4;
    /// Where the framework kept the recent-file list, and the settings of the program's own
    /// that are not options of a graph.
    static constexpr const char* RegistryKey = "Norwyn Software";
    static constexpr const char* ProfileName = "KTG300";

    /// What a start may leave out; tests leave out what reaches beyond the process.
    struct StartOptions
    {
        bool singleInstance = true;   ///< hand documents to a running program, listen for others
        bool registerShell = true;    ///< write the desktop entry and MIME type when missing
        bool startupServices = false; ///< welcome page or tip of the day, then the update check
    };

    /// Both halves of the last graph size 10000; becomes the one application object.
    KTG300App();
    ~KTG300App() override;
    KTG300App(const KTG300App&) = delete;
    KTG300App& operator=(const KTG300App&) = delete;

    /// Brings the program up from the arguments after the program's name. True when the event
    /// loop is to run, false when the program is to end at once (a request handled, a document
    /// handed to the running program, a print from the command line done, a failure).
    bool InitInstance(const QStringList& arguments, const StartOptions& options);
    bool InitInstance(const QStringList& arguments) { return InitInstance(arguments, StartOptions()); }
    /// Saves the recent-file list; the framework's part of ending the program.
    void ExitInstance();

    /// Imports the default-configuration file "KTG3_Default.ini" of the program's folder into
    /// the user's settings once: it is deleted after the import, and when it cannot be deleted
    /// (a read-only folder) its modification time is remembered and it is imported again only
    /// once it changes. True when it was imported.
    bool ImportDefaultConfiguration();
    /// The same from a given store (its location mode and path already set).
    bool ImportDefaultConfigurationFrom(KTOptionStore& source);

    // ---- recent files -------------------------------------------------------------------------
    /// Reads the list (up to RecentFileCount paths).
    void LoadStdProfileSettings();
    /// Writes the list.
    void SaveStdProfileSettings() const;
    /// Moves or adds the path to the top of the list.
    void AddToRecentFileList(const QString& path);
    void RemoveFromRecentFileList(const QString& path);
    const QStringList& GetRecentFiles() const { return m_recentFiles; }

    /// Opens the documents a second start of the program asked for. While a modal dialog is open
    /// they wait, and open once it has closed: nothing goes behind the dialog, nothing is lost.
    void OnOpenRequested(const QStringList& paths);
    /// Documents asked for and not yet opened.
    const QStringList& PendingDocuments() const { return m_pendingOpen; }

    /// The printer the print and print-setup commands share.
    QPrinter& Printer();

    CMainFrame* GetMainWnd() const { return m_mainWnd.get(); }
    const KTCommandLineInfo& CommandLine() const { return m_commandLine; }

    // ---- the application's own commands (KTG300AppCommands.cpp) ------------------------------
    /// The embedded start's "close and update": closes the main window, which asks to save every
    /// modified document, and so ends the program.
    void OnCloseAllAndExit();
    /// The embedded start's "close": closes every document without asking and ends the program.
    void OnCloseWithoutUpdate();
    void OnAppAbout();
    void OnAboutMaker();
    /// "ktg3.chm", "kt3_manl.pdf", "kt3_card.pdf" beside the program, with the desktop's handler.
    void OnHelpFile();
    void OnManual();
    void OnQuickrefCard();
    void OnNewsletter();
    void OnEmailTutorials();
    /// Switches the weekly update check on or off (the menu item's check mark follows it).
    void OnCheckForUpdates();
    /// Writes the current defaults (or, for Reset, the factory defaults) into the default-
    /// configuration file of the program's folder, which the next start imports, and confirms
    /// it; a file that cannot be written is reported as the failure it is, with no confirmation.
    void OnWriteDefaultConfiguration();
    void OnResetAllOptions();
    /// The two close commands: only in an embedded start.
    bool EmbeddedCommandsEnabled() const;
    /// The configuration commands (and Preferences, Messages): AllowPreferenceChanges is set.
    bool ToolsCommandsEnabled() const;
    /// The store of the default-configuration file: company "Norwyn", "KTG3_Default", program folder.
    static void DefaultConfigurationStore(KTOptionStore& store);
    /// Opens a file with the desktop's handler: 2 when it does not exist, 31 when nothing could
    /// open it, 42 when it was handed over.
    static int ShellOpenDocument(const CString& path);
    /// The message shown when no PDF reader opens a manual.
    static CString ReaderMissingText();
    /// The message of a help document that is not there: its name and the folder looked in.
    static CString MissingDocumentText(const CString& name, const CString& folder);
    /// The message of a web page no browser could be started for.
    static CString NoBrowserText(const CString& address);
    /// The window a message box is centred on: the modal dialog the user is answering, else the
    /// main window once it is shown (the desktop's active window may be none while a menu
    /// closes); before it is shown, the active window, if any.
    QWidget* MessageBoxOwner() const;
    /// Shows a message box over MessageBoxOwner and waits for the answer: the program's handler
    /// of KTMessageBox.
    int ShowMessageBox(const CString& caption, const CString& text, unsigned type) const;
    /// The start-up services.
    KTCallHomeManager& CallHome();
    /// Connects the commands above to the main window's actions, and sets their enabled and
    /// checked states.
    void ConnectCommands(CMainFrame& frame);
    void UpdateCommandUI(CMainFrame& frame);

    KTOptionStore m_optionStore;
    KTOptionGraph3 m_defaultOptions;
    /// Started for embedding or automation.
    BYTE m_bEmbedded = 0;
    /// Width and height (hundredths of a millimetre) of the graph area a view last drew; read by
    /// the clipboard picture and the server item.
    CSize m_lastGraphSize{10000, 10000};

signals:
    void recentFilesChanged();

private:
    bool ProcessShellCommand();
    bool PrintFromCommandLine();
    void OpenHelpDocument(const char* name, bool needsReader);
    /// Opens a page of the maker's web site in the desktop's browser, saying so when none starts.
    void OpenWebPage(const CString& address);
    void CloseAllDocumentsWithoutAsking();
    void OpenPendingDocuments();

    KTCommandLineInfo m_commandLine;
    QStringList m_recentFiles;
    std::unique_ptr<CMainFrame> m_mainWnd;
    std::unique_ptr<KTInstanceChannel> m_channel;
    std::unique_ptr<QPrinter> m_printer;
    KTCallHomeManager m_callHome;
    QStringList m_pendingOpen;
    /// Looks again for the end of the modal dialog that holds m_pendingOpen back.
    QTimer m_pendingTimer;
    bool m_openingPending = false;
};

/// The application object, or null before it is made and after it is gone.
KTG300App* KTGetApp();
/// The application's default graph options, or null when there is no application.
const KTOptionGraph3* KTGetDefaultOptions();
