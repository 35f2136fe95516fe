// The application's own commands: their enable rules, the help documents, the default-
// configuration file, the about boxes and the update-check switch.

#include "app/KTG300App.h"

#include "app/CChildFrame.h"
#include "app/CMainFrame.h"
#include "app/KTAboutDlg.h"
#include "app/KTBrowserWnd.h"
#include "app/KTCommandIds.h"
#include "app/KTG300Doc.h"
#include "foundation/KTOptionStore.h"
#include "platform/KTMessageBox.h"
#include "support/KTTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

const KTG300App::StartOptions kLocal{false, false, false};

void ClearSettings()
{
    QSettings(QString::fromLatin1(KTG300App::RegistryKey), QString::fromLatin1(KTG300App::ProfileName))
        .clear();
    QFile::remove(QString::fromLocal8Bit(KTOptionStore::UserIniPath("Norwyn", "KTG300").c_str()));
}

QString DefaultConfigurationPath()
{
    KTOptionStore store;
    KTG300App::DefaultConfigurationStore(store);
    return store.GetPath().ToQString();
}

class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

} // namespace

TEST(KTG300AppCommands, EnableRules)
{
    ClearSettings();
    KTG300App app;
    ASSERT_TRUE(app.InitInstance({}, kLocal));
    CMainFrame& frame = *app.GetMainWnd();
    using namespace KTCommand;
    EXPECT_FALSE(frame.Action(CloseAllUpdate)->isEnabled());
    EXPECT_FALSE(frame.Action(CloseAll)->isEnabled());
    for (int id :
         {ToolsWriteDefaultConfig, ToolsResetAllOptions, HelpReadHelpFile, HelpReadManual, HelpReadQuickref,
          HelpNewsletter, HelpEmailTutorials, HelpCheckForUpdates, AppAbout, HelpAboutMaker})
        EXPECT_TRUE(frame.Action(id)->isEnabled()) << id;
    EXPECT_TRUE(frame.Action(HelpCheckForUpdates)->isCheckable());
    EXPECT_FALSE(frame.Action(HelpCheckForUpdates)->isChecked());

    app.m_defaultOptions.m_allowPreferenceChanges.m_value = 0;
    app.UpdateCommandUI(frame);
    EXPECT_FALSE(frame.Action(ToolsWriteDefaultConfig)->isEnabled());
    EXPECT_FALSE(frame.Action(ToolsResetAllOptions)->isEnabled());
    app.m_bEmbedded = 1;
    app.UpdateCommandUI(frame);
    EXPECT_TRUE(frame.Action(CloseAllUpdate)->isEnabled());
    EXPECT_TRUE(frame.Action(CloseAll)->isEnabled());
}

TEST(KTG300AppCommands, MissingHelpDocumentsAreReported)
{
    ClearSettings();
    KTG300App app;
    kttest::MessageBoxRecorder boxes;
    app.OnHelpFile();
    app.OnManual();
    app.OnQuickrefCard();
    ASSERT_EQ(boxes.Boxes().size(), 3u);
    // Each message names its file and the program's folder, where it was looked for.
    const CString folder = CString::FromQString(QCoreApplication::applicationDirPath());
    const char* names[] = {"ktg3.chm", "kt3_manl.pdf", "kt3_card.pdf"};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(boxes.Boxes()[i].caption, "File Error");
        EXPECT_EQ(boxes.Boxes()[i].text, CString("I cannot locate that file: ") + names[i] +
                                             "\n\nIt was looked for in the folder\n" + folder);
    }
    EXPECT_EQ(
        KTG300App::ReaderMissingText(),
        "Adobe Acrobat is required to read these documents.  Acrobat is a commonly used format and you will "
        "find it to be generally useful.  Our CD contains version 4.0 of the reader.  A later version may be "
        "available from the Adobe web site at www.adobe.com\n\nWe strongly recommend that you install the "
        "reader.");
}

TEST(KTG300AppCommands, SignUpPagesOpenOnTheMakersSite)
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    KTG300App app;
    app.OnNewsletter();
    app.OnEmailTutorials();
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    ASSERT_EQ(catcher.urls.size(), 2);
    EXPECT_EQ(catcher.urls[0].toString(), QStringLiteral("https://www.norwyn.com/newsletter.php"));
    EXPECT_EQ(catcher.urls[1].toString(), QStringLiteral("https://www.norwyn.com/emailtutes.php"));
}

// With no web browser to start, the sign-up commands say so and name the page.
TEST(KTG300AppCommands, SignUpPagesWithoutABrowserAreReported)
{
    const KTBrowserWnd::Opener previous = KTBrowserWnd::SetOpener([](const QUrl&) { return false; });
    KTG300App app;
    kttest::MessageBoxRecorder boxes;
    app.OnNewsletter();
    app.OnEmailTutorials();
    KTBrowserWnd::SetOpener(previous);
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].caption, "KT Graph 3");
    EXPECT_EQ(boxes.Boxes()[0].text,
              "No web browser could be started to open the page\nhttps://www.norwyn.com/newsletter.php");
    EXPECT_EQ(boxes.Boxes()[1].text,
              "No web browser could be started to open the page\nhttps://www.norwyn.com/emailtutes.php");
}

// A message box stands in the middle of the main window, wherever that is on the screen, and in
// the middle of a dialog the user is answering; never in the middle of the screen by default.
TEST(KTG300AppCommands, MessageBoxesAreCentredOnTheirWindow)
{
    ClearSettings();
    KTG300App app;
    ASSERT_TRUE(app.InitInstance({}, kLocal));
    CMainFrame* frame = app.GetMainWnd();
    // Not shown yet (a document of the command line that cannot be opened is told before the
    // window comes), the main window has no place on the screen to stand in the middle of.
    frame->hide();
    EXPECT_NE(app.MessageBoxOwner(), frame);
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));
    const QRect places[] = {QRect(20, 20, 560, 420), QRect(180, 120, 600, 450), QRect(0, 0, 500, 400)};
    for (const QRect& place : places) {
        frame->setGeometry(place);
        QApplication::processEvents();
        ASSERT_EQ(app.MessageBoxOwner(), frame);
        QRect shown;
        QImage picture;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            shown = box->frameGeometry();
            picture = box->grab().toImage();
            box->accept();
        });
        poll.start(10);
        EXPECT_EQ(app.ShowMessageBox("File Error",
                                     KTG300App::MissingDocumentText("ktg3.chm", "/opt/ktgraph3/bin"), MB_OK),
                  IDOK);
        poll.stop();
        ASSERT_FALSE(shown.isEmpty());
        const QPoint centre = frame->frameGeometry().center();
        EXPECT_LE((shown.center() - centre).manhattanLength(), 2)
            << place.x() << "," << place.y() << ": " << shown.center().x() << "," << shown.center().y();
        const QByteArray folder = qgetenv("KT_TEST_IMAGES");
        if (!folder.isEmpty())
            picture.save(QString::fromLocal8Bit(folder) + QStringLiteral("/messagebox.png"));
    }

    // Over a dialog the user is answering, in the middle of the dialog.
    QDialog dialog(frame);
    dialog.setGeometry(frame->geometry().left() + 30, frame->geometry().top() + 40, 420, 300);
    QWidget* owner = nullptr;
    QTimer::singleShot(50, &dialog, [&] {
        owner = app.MessageBoxOwner();
        dialog.accept();
    });
    dialog.exec();
    EXPECT_EQ(owner, &dialog);
}

TEST(KTG300AppCommands, DefaultConfigurationFileIsWrittenAndImportedOnce)
{
    ClearSettings();
    const QString path = DefaultConfigurationPath();
    QFile::remove(path);
    KTG300App app;
    ASSERT_TRUE(app.InitInstance({}, kLocal));
    app.m_defaultOptions.m_axes.m_xMaxShowS.m_value = "42";
    kttest::MessageBoxRecorder boxes;
    app.OnWriteDefaultConfiguration();
    ASSERT_TRUE(QFile::exists(path));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, "KT Graph 3");
    EXPECT_EQ(boxes.Boxes()[0].text,
              CString("A default configuration file has been written to\n") + CString::FromQString(path) +
                  "\n\nRead the installation instructions for details\non how to use this "
                  "feature.");

    // Reset writes the factory defaults into the same file; the running options stay.
    app.OnResetAllOptions();
    EXPECT_EQ(boxes.Boxes()[1].text, "All options have been reset to factory defaults.\n\nKT Graph must be "
                                     "restarted to load new options.");
    EXPECT_EQ(app.m_defaultOptions.m_axes.m_xMaxShowS.m_value, "42");
    KTOptionStore file;
    KTG300App::DefaultConfigurationStore(file);
    ASSERT_TRUE(file.Load());
    KTOptionGraph3 written;
    written.m_axes.m_xMaxShowS.m_value = "7";
    written.LoadSettings(file);
    EXPECT_EQ(written.m_axes.m_xMaxShowS.m_value, KTOptionGraph3().m_axes.m_xMaxShowS.m_value);

    // The next start imports it and removes it.
    KTG300App next;
    EXPECT_TRUE(next.ImportDefaultConfiguration());
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(next.ImportDefaultConfiguration());
}

TEST(KTG300AppCommands, AConfigurationFileThatCannotBeWrittenIsReportedAsAFailure)
{
    ClearSettings();
    const QString path = DefaultConfigurationPath();
    QFile::remove(path);
    // Where the file would go stands something that no write can replace (as a folder that is
    // not the user's to write, whoever runs the test).
    ASSERT_TRUE(QDir().mkdir(path));
    KTG300App app;
    ASSERT_TRUE(app.InitInstance({}, kLocal));
    const struct
    {
        void (KTG300App::*command)();
        const char* name;
    } commands[] = {{&KTG300App::OnWriteDefaultConfiguration, "Write Default Configuration File"},
                    {&KTG300App::OnResetAllOptions, "Reset All Options"}};
    for (const auto& command : commands) {
        kttest::MessageBoxRecorder boxes;
        (app.*command.command)();
        ASSERT_EQ(boxes.Boxes().size(), 1u) << command.name;
        EXPECT_EQ(boxes.Boxes()[0].caption, "File Save Error") << command.name;
        EXPECT_EQ(boxes.Boxes()[0].text, CString("Unable to write file ") + CString::FromQString(path) +
                                             ".\r\n\r\nAdministrator privileges are probably needed to save "
                                             "this file.  Please contact your IT staff.")
            << command.name;
        EXPECT_TRUE(QFileInfo(path).isDir()) << command.name;
    }
    QDir().rmdir(path);
    EXPECT_FALSE(app.ImportDefaultConfiguration());
}

TEST(KTG300AppCommands, AboutBoxShowsTheProgramsVersion)
{
    EXPECT_EQ(KTAboutDlg::VersionLine(3, 209, 2), "KT Graph V3.209.2");
    EXPECT_EQ(KTAboutDlg::VersionLine(3, 5, 0), "KT Graph V3.005.0");
    int shown = 0;
    const auto previous = KTAboutDlg::ModalHook::Set([&](KTAboutDlg& dialog) {
        ++shown;
        EXPECT_EQ(dialog.windowTitle(), "About KT Graph");
        EXPECT_EQ(dialog.VersionLabel()->text(), "KT Graph V3.209.2");
        return 1;
    });
    KTG300App app;
    app.OnAppAbout();
    KTAboutDlg::ModalHook::Set(previous);
    EXPECT_EQ(shown, 1);
}

TEST(KTG300AppCommands, CloseWithoutUpdateDiscardsAndEnds)
{
    ClearSettings();
    KTG300App app;
    ASSERT_TRUE(app.InitInstance({}, kLocal));
    ASSERT_EQ(app.GetMainWnd()->Children().size(), 1);
    app.GetMainWnd()->Children().front()->Document().SetModifiedFlag(true);
    kttest::MessageBoxRecorder boxes;
    app.OnCloseWithoutUpdate();
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_FALSE(app.GetMainWnd()->isVisible());
}

TEST(KTG300AppCommands, CloseAndUpdateAsksToSaveAModifiedDocument)
{
    ClearSettings();
    KTG300App app;
    ASSERT_TRUE(app.InitInstance({}, kLocal));
    app.GetMainWnd()->Children().front()->Document().SetModifiedFlag(true);
    kttest::MessageBoxRecorder boxes(IDCANCEL);
    app.OnCloseAllAndExit();
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_TRUE(app.GetMainWnd()->isVisible()) << "cancel keeps the program running";
}

#include "KTG300AppCommandsTest.moc"
