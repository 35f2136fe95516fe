#pragma once
// The program's application object: it owns the user's settings store, the graph options every
// new document starts from, the recent-file list and the main window, and brings the program up
// (InitInstance) from its command line. There is one, reached through KTGetApp().

#include "app/KTCommandLineInfo.h"
#include "foundation/KTOptionStore.h"
#include "graph/KTOptionGraph3.h"
#include "platform/KTGdiTypes.h"

#include <QObject>
#include <QStringList>

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
        bool singleInstance = true; ///< hand documents to a running program, listen for others
        bool registerShell = true;  ///< write the desktop entry and MIME type when missing
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

    /// The printer the print and print-setup commands share.
    QPrinter& Printer();

    CMainFrame* GetMainWnd() const { return m_mainWnd.get(); }
    const KTCommandLineInfo& CommandLine() const { return m_commandLine; }

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

    KTCommandLineInfo m_commandLine;
    QStringList m_recentFiles;
    std::unique_ptr<CMainFrame> m_mainWnd;
    std::unique_ptr<KTInstanceChannel> m_channel;
    std::unique_ptr<QPrinter> m_printer;
};

/// The application object, or null before it is made and after it is gone.
KTG300App* KTGetApp();
/// The application's default graph options, or null when there is no application.
const KTOptionGraph3* KTGetDefaultOptions();
