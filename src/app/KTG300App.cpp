#include "app/KTG300App.h"

#include "app/CMainFrame.h"
#include "app/KTG300Doc.h"
#include "app/KTG300View.h"
#include "app/KTInstanceChannel.h"
#include "app/KTShellRegistration.h"
#include "ui/KTAxesDlg.h"
#include "ui/KTResources.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSettings>

namespace {

KTG300App* g_app = nullptr;

constexpr const char* kCompanyFolder = "Norwyn";
constexpr const char* kDefaultConfigurationBase = "KTG3_Default";
constexpr const char* kImportedKey = "Default Configuration/Imported";
/// How often documents held back by a modal dialog look for its end, ms.
constexpr int kPendingRecheckMs = 200;

QSettings ProgramSettings()
{
    return QSettings(QString::fromLatin1(KTG300App::RegistryKey),
                     QString::fromLatin1(KTG300App::ProfileName));
}

QString FileKey(int index)
{
    return QStringLiteral("Recent File List/File%1").arg(index + 1);
}

} // namespace

KTG300App* KTGetApp()
{
    return g_app;
}

const KTOptionGraph3* KTGetDefaultOptions()
{
    return g_app ? &g_app->m_defaultOptions : nullptr;
}

KTG300App::KTG300App()
{
    g_app = this;
    m_pendingTimer.setSingleShot(true);
    m_pendingTimer.setInterval(kPendingRecheckMs);
    connect(&m_pendingTimer, &QTimer::timeout, this, &KTG300App::OpenPendingDocuments);
    // Axes Properties opens collapsed the first time in every run of the program.
    KTAxesDlg::SetRememberedExpanded(false);
}

KTG300App::~KTG300App()
{
    m_mainWnd.reset();
    if (g_app == this)
        g_app = nullptr;
}

bool KTG300App::InitInstance(const QStringList& arguments, const StartOptions& options)
{
    m_commandLine = KTCommandLineInfo();
    m_commandLine.ParseCommandLine(arguments);
    m_bEmbedded = 0;

    // A document for the program already running goes there, and this start ends.
    if (options.singleInstance && m_commandLine.m_shellCommand == KTCommandLineInfo::FileOpen) {
        QStringList paths{QFileInfo(m_commandLine.m_fileName).absoluteFilePath()};
        for (const QString& more : m_commandLine.m_moreFiles)
            paths.append(QFileInfo(more).absoluteFilePath());
        if (KTInstanceChannel::SendToRunningInstance(paths))
            return false;
    }

    m_optionStore.SetCompanyName(kCompanyFolder);
    m_optionStore.SetFileBaseName(ProfileName);
    m_optionStore.m_location = KTStorePerUser;
    m_optionStore.Load();
    m_callHome.m_product = 4;
    m_callHome.SetOptionStore(&m_optionStore);

    m_defaultOptions.SetDefaults();
    m_defaultOptions.LoadSettings(m_optionStore);
    LoadStdProfileSettings();
    ImportDefaultConfiguration();

    // Every window of the program, the About box among them, shows the program's own icon; the
    // desktop matches the windows to the desktop entry by its name.
    QApplication::setWindowIcon(KTResources::ApplicationIcon());
    QGuiApplication::setDesktopFileName(QString::fromLatin1(KTResources::ApplicationIconName));
    m_mainWnd = std::make_unique<CMainFrame>(this);
    m_mainWnd->setAcceptDrops(true);
    if (options.registerShell)
        KTShellRegistration::RegisterShellFileTypes(QCoreApplication::applicationFilePath());

    if (m_commandLine.m_runEmbedded || m_commandLine.m_runAutomated) {
        // No container can reach the program on this system; it runs as an ordinary start.
        m_bEmbedded = 1;
        m_mainWnd->show();
        if (options.startupServices)
            m_callHome.OnStartup();
        return true;
    }
    if (m_commandLine.m_shellCommand == KTCommandLineInfo::AppUnregister) {
        KTShellRegistration::UnregisterShellFileTypes();
        return false;
    }
    if (m_commandLine.m_shellCommand == KTCommandLineInfo::AppRegister) {
        KTShellRegistration::UnregisterShellFileTypes();
        KTShellRegistration::RegisterShellFileTypes(QCoreApplication::applicationFilePath());
        return false;
    }

    if (options.singleInstance) {
        m_channel = std::make_unique<KTInstanceChannel>();
        if (m_channel->Listen()) {
            connect(m_channel.get(), &KTInstanceChannel::openRequested, this, &KTG300App::OnOpenRequested);
        }
    }

    if (!ProcessShellCommand())
        return false;
    m_mainWnd->show();
    if (options.startupServices)
        m_callHome.OnStartup();
    return true;
}

bool KTG300App::ProcessShellCommand()
{
    switch (m_commandLine.m_shellCommand) {
    case KTCommandLineInfo::FileNew: return m_mainWnd->OnFileNew() != nullptr;
    case KTCommandLineInfo::FileOpen: {
        if (!m_mainWnd->OpenDocumentFile(m_commandLine.m_fileName))
            return false;
        for (const QString& more : m_commandLine.m_moreFiles)
            m_mainWnd->OpenDocumentFile(more);
        return true;
    }
    case KTCommandLineInfo::FilePrint:
    case KTCommandLineInfo::FilePrintTo: PrintFromCommandLine(); return false;
    case KTCommandLineInfo::FileDDE:
    case KTCommandLineInfo::FileNothing: return true;
    case KTCommandLineInfo::AppRegister:
    case KTCommandLineInfo::AppUnregister: return false;
    }
    return false;
}

bool KTG300App::PrintFromCommandLine()
{
    KTG300Doc document(&m_defaultOptions);
    if (!document.OnOpenDocument(m_commandLine.m_fileName))
        return false;
    QPrinter& printer = Printer();
    if (m_commandLine.m_shellCommand == KTCommandLineInfo::FilePrintTo &&
        !m_commandLine.m_printerName.isEmpty())
        printer.setPrinterName(m_commandLine.m_printerName);
    return KTG300View::PrintDocument(document, printer);
}

void KTG300App::OnOpenRequested(const QStringList& paths)
{
    m_pendingOpen.append(paths);
    OpenPendingDocuments();
}

void KTG300App::OpenPendingDocuments()
{
    if (!m_mainWnd || m_openingPending)
        return;
    // A document opened behind a modal dialog would be out of the user's reach, and the dialog
    // may be about to change the documents; the request waits for it.
    if (QApplication::activeModalWidget()) {
        m_pendingTimer.start();
        return;
    }
    m_openingPending = true;
    bool opened = false;
    while (!m_pendingOpen.isEmpty() && !QApplication::activeModalWidget()) {
        m_mainWnd->OpenDocumentFile(m_pendingOpen.takeFirst());
        opened = true;
    }
    m_openingPending = false;
    if (!m_pendingOpen.isEmpty())
        m_pendingTimer.start();
    if (opened) {
        m_mainWnd->raise();
        m_mainWnd->activateWindow();
    }
}

void KTG300App::ExitInstance()
{
    SaveStdProfileSettings();
}

bool KTG300App::ImportDefaultConfiguration()
{
    KTOptionStore source;
    source.SetCompanyName(kCompanyFolder);
    source.SetFileBaseName(kDefaultConfigurationBase);
    source.m_location = KTStoreProgram;
    return ImportDefaultConfigurationFrom(source);
}

bool KTG300App::ImportDefaultConfigurationFrom(KTOptionStore& source)
{
    if (!source.Load())
        return false;
    const QString path = QString::fromLocal8Bit(source.GetFilePath().c_str());
    const QFileInfo info(path);
    const qint64 modified = info.exists() ? info.lastModified().toSecsSinceEpoch() : 0;
    QSettings settings = ProgramSettings();
    const QVariant imported = settings.value(QString::fromLatin1(kImportedKey));
    if (imported.isValid() && imported.toLongLong() == modified)
        return false; // this very file was imported before and could not be deleted

    m_defaultOptions.LoadSettings(source);
    m_defaultOptions.SaveSettings(m_optionStore, false);
    m_optionStore.Save();
    // The file it was read from (for the program folder, the store's own path).
    QFile::remove(path);
    if (QFileInfo::exists(path))
        settings.setValue(QString::fromLatin1(kImportedKey), modified);
    else
        settings.remove(QString::fromLatin1(kImportedKey));
    return true;
}

void KTG300App::LoadStdProfileSettings()
{
    m_recentFiles.clear();
    QSettings settings = ProgramSettings();
    for (int i = 0; i < RecentFileCount; ++i) {
        const QString path = settings.value(FileKey(i)).toString();
        if (!path.isEmpty() && !m_recentFiles.contains(path))
            m_recentFiles.append(path);
    }
    emit recentFilesChanged();
}

void KTG300App::SaveStdProfileSettings() const
{
    QSettings settings = ProgramSettings();
    for (int i = 0; i < RecentFileCount; ++i) {
        if (i < m_recentFiles.size())
            settings.setValue(FileKey(i), m_recentFiles.at(i));
        else
            settings.remove(FileKey(i));
    }
}

void KTG300App::AddToRecentFileList(const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    m_recentFiles.removeAll(absolute);
    m_recentFiles.prepend(absolute);
    while (m_recentFiles.size() > RecentFileCount)
        m_recentFiles.removeLast();
    emit recentFilesChanged();
}

void KTG300App::RemoveFromRecentFileList(const QString& path)
{
    if (m_recentFiles.removeAll(path) > 0)
        emit recentFilesChanged();
}

QPrinter& KTG300App::Printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}
