// The application's own commands: leaving the program, the about boxes, the help file and the
// manuals, the sign-up pages, the update-check switch and the two commands that write the
// default-configuration file.

#include "app/KTG300App.h"

#include "app/CChildFrame.h"
#include "app/CMainFrame.h"
#include "app/KTAboutDlg.h"
#include "app/KTBrowserWnd.h"
#include "app/KTCommandIds.h"
#include "app/KTG300Doc.h"
#include "foundation/KTUtilities.h"
#include "platform/KTMessageBox.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

namespace {

constexpr const char* kCompanyFolder = "Norwyn";
constexpr const char* kDefaultConfigurationBase = "KTG3_Default";
constexpr const char* kCaption = "KT Graph 3";
constexpr const char* kReaderHost = "www.adobe.com";

// The shell's results that the help commands tell apart.
constexpr int kFileNotFound = 2;
constexpr int kNoAssociation = 31;
constexpr int kOpened = 42;

CString ProgramFolder()
{
    CString folder = CString::FromQString(QCoreApplication::applicationDirPath());
    return folder + "/";
}

// The help documents have always been named with a separator of their own in front; the doubled
// separator is harmless.
CString BesideProgram(const char* name)
{
    return ProgramFolder() + "/" + name;
}

} // namespace

KTCallHomeManager& KTG300App::CallHome()
{
    return m_callHome;
}

int KTG300App::ShellOpenDocument(const CString& path)
{
    const QString file = path.ToQString();
    if (!QFileInfo::exists(file))
        return kFileNotFound;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()))
               ? kOpened
               : kNoAssociation;
}

CString KTG300App::ReaderMissingText()
{
    return CString("Adobe Acrobat is required to read these documents.  ") +
           "Acrobat is a commonly used format and you will find it to be generally useful.  " +
           "Our CD contains version 4.0 of the reader.  A later version may be available from the Adobe web "
           "site at " +
           kReaderHost + "\n\n" + "We strongly recommend that you install the reader.";
}

QWidget* KTG300App::MessageBoxOwner() const
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    // A main window not shown yet (a document of the command line that cannot be opened) has
    // no place on the screen to stand in the middle of.
    if (m_mainWnd && m_mainWnd->isVisible())
        return m_mainWnd.get();
    return QApplication::activeWindow();
}

int KTG300App::ShowMessageBox(const CString& caption, const CString& text, unsigned type) const
{
    const unsigned buttons = type & 0xF;
    QMessageBox::Icon icon = QMessageBox::Warning;
    switch (type & 0xF0) {
    case MB_ICONERROR: icon = QMessageBox::Critical; break;
    case MB_ICONQUESTION: icon = QMessageBox::Question; break;
    case MB_ICONINFORMATION: icon = QMessageBox::Information; break;
    default: break;
    }
    QMessageBox::StandardButtons standard = QMessageBox::Ok;
    if (buttons == MB_YESNO)
        standard = QMessageBox::Yes | QMessageBox::No;
    else if (buttons == MB_YESNOCANCEL)
        standard = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    else if (buttons == MB_OKCANCEL)
        standard = QMessageBox::Ok | QMessageBox::Cancel;
    QMessageBox box(icon, caption.ToQString(), text.ToQString(), standard, MessageBoxOwner());
    box.setObjectName(QStringLiteral("messageBox"));
    switch (box.exec()) {
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    case QMessageBox::Cancel: return IDCANCEL;
    default: return IDOK;
    }
}

void KTG300App::OpenHelpDocument(const char* name, bool needsReader)
{
    const int result = ShellOpenDocument(BesideProgram(name));
    if (result == kFileNotFound)
        KTMessageBox("File Error",
                     MissingDocumentText(name, CString::FromQString(QCoreApplication::applicationDirPath())),
                     MB_OK);
    else if (result == kNoAssociation && needsReader)
        KTMessageBox("Cannot find Adobe Acrobat", ReaderMissingText(), MB_OK);
}

void KTG300App::OnHelpFile()
{
    OpenHelpDocument("ktg3.chm", false);
}

void KTG300App::OnManual()
{
    OpenHelpDocument("kt3_manl.pdf", true);
}

void KTG300App::OnQuickrefCard()
{
    OpenHelpDocument("kt3_card.pdf", true);
}

CString KTG300App::MissingDocumentText(const CString& name, const CString& folder)
{
    return "I cannot locate that file: " + name + "\n\nIt was looked for in the folder\n" + folder;
}

CString KTG300App::NoBrowserText(const CString& address)
{
    return "No web browser could be started to open the page\n" + address;
}

void KTG300App::OpenWebPage(const CString& address)
{
    // The sign-up pages are the maker's own web addresses, so they go straight to the browser.
    if (!KTBrowserWnd::OpenInBrowser(QUrl(address.ToQString())))
        KTMessageBox(kCaption, NoBrowserText(address), MB_OK | MB_ICONWARNING);
}

void KTG300App::OnNewsletter()
{
    OpenWebPage(CString(KTCallHomeManager::WebSite) + "newsletter.php");
}

void KTG300App::OnEmailTutorials()
{
    OpenWebPage(CString(KTCallHomeManager::WebSite) + "emailtutes.php");
}

void KTG300App::OnCheckForUpdates()
{
    m_callHome.ToggleCheckForUpdates();
}

void KTG300App::OnAppAbout()
{
    KTAboutDlg dialog(m_mainWnd.get());
    dialog.DoModal();
}

void KTG300App::OnAboutMaker()
{
    KTAboutMakerDlg dialog(m_mainWnd.get());
    dialog.DoModal();
}

bool KTG300App::EmbeddedCommandsEnabled() const
{
    return m_bEmbedded != 0;
}

bool KTG300App::ToolsCommandsEnabled() const
{
    return m_defaultOptions.m_allowPreferenceChanges.m_value != 0;
}

void KTG300App::DefaultConfigurationStore(KTOptionStore& store)
{
    store.SetCompanyName(kCompanyFolder);
    store.SetFileBaseName(kDefaultConfigurationBase);
    store.m_location = KTStoreProgram;
}

void KTG300App::OnWriteDefaultConfiguration()
{
    KTOptionStore store;
    DefaultConfigurationStore(store);
    m_defaultOptions.SaveSettings(store, false);
    // The program's folder of an installed program is not the user's to write: the failure has
    // been reported, and nothing was written that the next start could take.
    if (!store.Save())
        return;
    KTMessageBox(kCaption,
                 CString("A default configuration file has been written to\n") + store.GetPath() + "\n\n" +
                     "Read the installation instructions for details\n" + "on how to use this feature.",
                 MB_OK);
}

void KTG300App::OnResetAllOptions()
{
    KTOptionStore store;
    DefaultConfigurationStore(store);
    m_defaultOptions.SaveSettings(store, true);
    if (!store.Save())
        return;
    KTMessageBox(kCaption,
                 CString("All options have been reset to factory defaults.") + "\n\n" +
                     "KT Graph must be restarted to load new options.",
                 MB_OK);
}

void KTG300App::CloseAllDocumentsWithoutAsking()
{
    if (!m_mainWnd)
        return;
    for (CChildFrame* child : m_mainWnd->Children()) {
        child->Document().SetModifiedFlag(false);
        child->close();
    }
}

void KTG300App::OnCloseAllAndExit()
{
    // No container holds a copy of a graph on this system, so nothing is updated first, and a
    // modified document is offered for saving rather than dropped.
    if (m_mainWnd)
        m_mainWnd->close();
}

void KTG300App::OnCloseWithoutUpdate()
{
    // Discards the documents, as the command says; the program then ends instead of lingering
    // hidden, since no container will release it.
    CloseAllDocumentsWithoutAsking();
    if (m_mainWnd)
        m_mainWnd->close();
}

void KTG300App::ConnectCommands(CMainFrame& frame)
{
    using namespace KTCommand;
    const struct
    {
        int id;
        void (KTG300App::*handler)();
    } commands[] = {{CloseAllUpdate, &KTG300App::OnCloseAllAndExit},
                    {CloseAll, &KTG300App::OnCloseWithoutUpdate},
                    {ToolsWriteDefaultConfig, &KTG300App::OnWriteDefaultConfiguration},
                    {ToolsResetAllOptions, &KTG300App::OnResetAllOptions},
                    {HelpReadHelpFile, &KTG300App::OnHelpFile},
                    {HelpReadManual, &KTG300App::OnManual},
                    {HelpReadQuickref, &KTG300App::OnQuickrefCard},
                    {HelpNewsletter, &KTG300App::OnNewsletter},
                    {HelpEmailTutorials, &KTG300App::OnEmailTutorials},
                    {HelpCheckForUpdates, &KTG300App::OnCheckForUpdates},
                    {AppAbout, &KTG300App::OnAppAbout},
                    {HelpAboutMaker, &KTG300App::OnAboutMaker}};
    for (const auto& command : commands)
        if (QAction* action = frame.Action(command.id))
            connect(action, &QAction::triggered, this, [this, handler = command.handler, &frame] {
                (this->*handler)();
                if (m_mainWnd.get() == &frame)
                    UpdateCommandUI(frame);
            });
    // File > Exit stays the main window's close, which asks to save every modified document:
    // closing them unasked would lose the user's work with no container holding a copy.
}

void KTG300App::UpdateCommandUI(CMainFrame& frame)
{
    using namespace KTCommand;
    auto enable = [&frame](int id, bool on) {
        if (QAction* action = frame.Action(id))
            action->setEnabled(on);
    };
    for (int id : {CloseAllUpdate, CloseAll})
        enable(id, EmbeddedCommandsEnabled());
    for (int id : {ToolsWriteDefaultConfig, ToolsResetAllOptions})
        enable(id, ToolsCommandsEnabled());
    for (int id : {HelpReadHelpFile, HelpReadManual, HelpReadQuickref, HelpNewsletter, HelpEmailTutorials,
                   HelpCheckForUpdates, AppAbout, HelpAboutMaker})
        enable(id, true);
    m_callHome.UpdateCheckForUpdatesUI(frame.Action(HelpCheckForUpdates));
}
