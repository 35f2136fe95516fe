#include "app/KTG300App.h"

#include "KTAppTestSupport.h"
#include "app/CChildFrame.h"
#include "app/CMainFrame.h"
#include "app/KTCommandLineInfo.h"
#include "app/KTFileDialog.h"
#include "app/KTG300Doc.h"
#include "app/KTG300View.h"
#include "app/KTInstanceChannel.h"
#include "app/KTShellRegistration.h"
#include "engine/KTFunction3.h"
#include "graph/KTGraph3.h"
#include "platform/KTDC.h"
#include "axes/KTAxes.h"
#include "graph/KTGAnnotation.h"
#include "platform/KTMessageBox.h"
#include "support/KTTestSupport.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QTest>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMdiArea>
#include <QMenu>
#include <QTest>
#include <QMimeData>
#include <QUrl>
#include <QDropEvent>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QMenuBar>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <tuple>

using kttest::ToQ;

namespace {

const KTG300App::StartOptions kLocal{false, false};

void Settle()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

// Each test starts from an empty settings folder.
void ClearSettings()
{
    QSettings(QString::fromLatin1(KTG300App::RegistryKey), QString::fromLatin1(KTG300App::ProfileName))
        .clear();
    QFile::remove(QString::fromLocal8Bit(KTOptionStore::UserIniPath("Norwyn", "KTG300").c_str()));
}

std::filesystem::path SaveSample(const kttest::TempDir& dir, const char* name, int variant)
{
    KTG300Doc document;
    document.OnNewDocument();
    kttest::FillDocument(document, variant);
    const auto path = dir.File(name);
    EXPECT_TRUE(document.OnSaveDocument(ToQ(path)));
    return path;
}

} // namespace

TEST(KTCommandLineInfo, ReadsTheFormsOfAStart)
{
    using Info = KTCommandLineInfo;
    const struct
    {
        QStringList arguments;
        Info::ShellCommand command;
        const char* file;
        bool embedded;
        bool automated;
    } rows[] = {
        {{}, Info::FileNew, "", false, false},
        {{"graph.kt3"}, Info::FileOpen, "graph.kt3", false, false},
        {{"/home/me/graph.kt3"}, Info::FileOpen, "/home/me/graph.kt3", false, false},
        {{"/p", "graph.kt3"}, Info::FilePrint, "graph.kt3", false, false},
        {{"-P", "graph.kt3"}, Info::FilePrint, "graph.kt3", false, false},
        {{"/pt", "graph.kt3", "Laser", "drv", "port"}, Info::FilePrintTo, "graph.kt3", false, false},
        {{"/Embedding"}, Info::FileNothing, "", true, false},
        {{"-embedding", "x.kt3"}, Info::FileNothing, "x.kt3", true, false},
        {{"/Automation"}, Info::FileNothing, "", false, true},
        {{"--automation"}, Info::FileNothing, "", false, true},
        {{"/Register"}, Info::AppRegister, "", false, false},
        {{"/regserver"}, Info::AppRegister, "", false, false},
        {{"/Unregister"}, Info::AppUnregister, "", false, false},
        {{"-unregserver"}, Info::AppUnregister, "", false, false},
        {{"/dde"}, Info::FileDDE, "", false, false},
    };
    for (const auto& row : rows) {
        Info info;
        info.ParseCommandLine(row.arguments);
        EXPECT_EQ(info.m_shellCommand, row.command) << row.arguments.join(' ').toStdString();
        EXPECT_EQ(info.m_fileName, QString::fromLatin1(row.file));
        EXPECT_EQ(info.m_runEmbedded, row.embedded);
        EXPECT_EQ(info.m_runAutomated, row.automated);
    }
    Info printTo;
    printTo.ParseCommandLine({"/pt", "graph.kt3", "Laser", "drv", "port"});
    EXPECT_EQ(printTo.m_printerName, QStringLiteral("Laser"));
    Info several;
    several.ParseCommandLine({"a.kt3", "b.kt3"});
    EXPECT_EQ(several.m_moreFiles, QStringList{QStringLiteral("b.kt3")});
}

TEST(KTG300App, StartsWithFactoryDefaultsAndANewDocument)
{
    ClearSettings();
    KTG300App app;
    EXPECT_EQ(app.m_lastGraphSize, CSize(10000, 10000));
    ASSERT_TRUE(app.InitInstance({}, kLocal));
    ASSERT_NE(app.GetMainWnd(), nullptr);
    EXPECT_TRUE(app.GetMainWnd()->isVisible());
    EXPECT_EQ(app.m_bEmbedded, 0);
    EXPECT_TRUE(app.GetRecentFiles().isEmpty());
    ASSERT_EQ(app.GetMainWnd()->Children().size(), 1);
    CChildFrame* child = app.GetMainWnd()->Children().front();
    EXPECT_TRUE(child->isMaximized());
    KTOptionGraph3 factory;
    EXPECT_EQ(child->Document().Graph().Data().m_options.m_axes.m_xMaxShowS.m_value,
              factory.m_axes.m_xMaxShowS.m_value);
    Settle();
    // After a paint the last graph size is the view's graph area.
    EXPECT_NE(app.m_lastGraphSize, CSize(10000, 10000));
    EXPECT_EQ(app.m_lastGraphSize.cx, std::abs(child->View().GraphRect().Width()));
}

TEST(KTG300App, OpensACommandLineDocumentSavesItAndQuits)
{
    ClearSettings();
    kttest::TempDir dir;
    const auto path = SaveSample(dir, "start.kt3", 1);
    KTG300App app;
    ASSERT_TRUE(app.InitInstance({ToQ(path)}, kLocal));
    ASSERT_EQ(app.GetMainWnd()->Children().size(), 1);
    CChildFrame* child = app.GetMainWnd()->Children().front();
    KTG300Doc& document = child->Document();
    EXPECT_EQ(document.GetTitle(), QStringLiteral("start.kt3"));
    EXPECT_EQ(document.Graph().Data().Function(1).Data().m_equationText, CString("x^2+y^2=9"));
    EXPECT_EQ(app.GetRecentFiles(), QStringList{ToQ(path)});
    Settle();

    document.Graph().Data().Function(3).Data().m_equationText = "y=3";
    document.SetModifiedFlag(true);
    EXPECT_TRUE(child->windowTitle().contains(QStringLiteral("start.kt3")));
    EXPECT_TRUE(child->isWindowModified());
    ASSERT_TRUE(child->Save());
    EXPECT_FALSE(document.IsModified());
    EXPECT_TRUE(app.GetMainWnd()->close());
    Settle();

    KTG300Doc reopened;
    ASSERT_TRUE(reopened.OnOpenDocument(ToQ(path)));
    EXPECT_EQ(reopened.Graph().Data().Function(3).Data().m_equationText, CString("y=3"));
    // The recent-file list is kept for the next start.
    KTG300App next;
    next.LoadStdProfileSettings();
    EXPECT_EQ(next.GetRecentFiles(), QStringList{ToQ(path)});
}

TEST(KTG300App, AFileThatCannotBeOpenedEndsTheStart)
{
    ClearSettings();
    kttest::TempDir dir;
    kttest::MessageBoxRecorder boxes;
    KTG300App app;
    EXPECT_FALSE(app.InitInstance({ToQ(dir.File("missing.kt3"))}, kLocal));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_NE(boxes.Boxes()[0].text.Find("missing.kt3"), -1);
}

TEST(KTG300App, ClosingAModifiedDocumentAsksToSaveIt)
{
    ClearSettings();
    kttest::TempDir dir;
    KTG300App app;
    ASSERT_TRUE(app.InitInstance({}, kLocal));
    CMainFrame& frame = *app.GetMainWnd();
    frame.Children().front()->Document().SetModifiedFlag(true);
    {
        kttest::MessageBoxRecorder cancel(IDCANCEL);
        EXPECT_FALSE(frame.close());
        ASSERT_EQ(cancel.Boxes().size(), 1u);
        EXPECT_EQ(cancel.Boxes()[0].text,
                  CString("Save changes to KTGraph") +
                      CString::FromQString(frame.Children().front()->Document().GetTitle().mid(7)) + "?");
        EXPECT_EQ(frame.Children().size(), 1);
    }
    {
        // Yes with a file dialog answered: the document is saved and closed.
        const auto target = dir.File("asked.kt3");
        KTFileDialog::SetHandler([&](bool save, const QString&) { return save ? ToQ(target) : QString(); });
        kttest::MessageBoxRecorder yes(IDYES);
        frame.Children().front()->close();
        KTFileDialog::SetHandler(nullptr);
        EXPECT_TRUE(std::filesystem::exists(target));
        Settle();
        EXPECT_TRUE(frame.Children().isEmpty());
    }
    KTG300Doc* second = frame.OnFileNew();
    second->SetModifiedFlag(true);
    kttest::MessageBoxRecorder no(IDNO);
    EXPECT_TRUE(frame.CloseAllDocuments());
    Settle();
    EXPECT_TRUE(frame.Children().isEmpty());
}

TEST(KTG300App, OpeningAnOpenFileActivatesItsWindow)
{
    ClearSettings();
    kttest::TempDir dir;
    const auto first = SaveSample(dir, "first.kt3", 0);
    const auto second = SaveSample(dir, "second.kt3", 2);
    KTG300App app;
    ASSERT_TRUE(app.InitInstance({ToQ(first)}, kLocal));
    CMainFrame& frame = *app.GetMainWnd();
    ASSERT_NE(frame.OpenDocumentFile(ToQ(second)), nullptr);
    EXPECT_EQ(frame.Children().size(), 2);
    EXPECT_EQ(frame.OpenDocumentFile(ToQ(first)), &frame.Children().front()->Document());
    EXPECT_EQ(frame.Children().size(), 2);
    EXPECT_EQ(frame.ActiveChild(), frame.Children().front());
}

TEST(KTG300App, AFileThatIsNoGraphOpensNoWindowAndLeavesTheOpenOne)
{
    ClearSettings();
    kttest::TempDir dir;
    const auto mine = SaveSample(dir, "mine.kt3", 1);
    const auto picture = dir.File("picture.kt3");
    {
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(Qt::blue);
        ASSERT_TRUE(image.save(ToQ(picture), "PNG"));
    }
    KTG300App app;
    ASSERT_TRUE(app.InitInstance({ToQ(mine)}, kLocal));
    CMainFrame& frame = *app.GetMainWnd();
    Settle();
    KTG300Doc& open = frame.Children().front()->Document();
    const auto before = open.StoreContents();
    kttest::MessageBoxRecorder boxes;
    EXPECT_EQ(frame.OpenDocumentFile(ToQ(picture)), nullptr);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_NE(boxes.Boxes()[0].text.Find("is damaged and cannot be opened"), -1);
    EXPECT_EQ(frame.Children().size(), 1);
    EXPECT_EQ(frame.ActiveChild(), frame.Children().front());
    EXPECT_EQ(open.StoreContents(), before);
    EXPECT_FALSE(app.GetRecentFiles().contains(ToQ(picture)));
}

TEST(KTG300App, TheWindowMenuListsTheOpenDocumentsAndActivatesTheOneChosen)
{
    ClearSettings();
    KTG300App app;
    ASSERT_TRUE(app.InitInstance({}, kLocal));
    CMainFrame& frame = *app.GetMainWnd();
    frame.OnFileNew();
    frame.OnFileNew();
    const QList<CChildFrame*> children = frame.Children();
    ASSERT_EQ(children.size(), 3);
    frame.show();
    Settle();

    QMenu* menu = frame.WindowMenu();
    // Opened as the user opens it, then read off what it shows.
    const auto open = [&] {
        menu->popup(frame.mapToGlobal(QPoint(40, 40)));
        Settle();
        EXPECT_FALSE(menu->grab().isNull());
        QStringList shown;
        QStringList keys;
        QString checked;
        for (QAction* action : menu->actions()) {
            if (!action->isVisible())
                continue;
            shown << action->text();
            keys << action->shortcut().toString(QKeySequence::NativeText);
            if (action->isChecked())
                checked = action->text();
        }
        return std::tuple{shown, keys, checked};
    };
    const QString titles[] = {children[0]->Document().GetTitle(), children[1]->Document().GetTitle(),
                              children[2]->Document().GetTitle()};
    const QStringList expected{"&Cascade", "&Tile",           "Ne&xt",           "Pre&vious",
                               "",         "&1 " + titles[0], "&2 " + titles[1], "&3 " + titles[2]};
    auto [shown, keys, checked] = open();
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(checked, "&3 " + titles[2]); // the newest window is the active one
    EXPECT_EQ(keys.at(2), QStringLiteral("Ctrl+F6"));
    EXPECT_EQ(keys.at(3), QStringLiteral("Ctrl+Shift+F6"));
    for (const QString& key : keys)
        EXPECT_FALSE(key.contains(QStringLiteral("Backtab"))) << key.toStdString();

    // Choosing the first entry with its number activates its window.
    QTest::keyClick(menu, Qt::Key_1);
    Settle();
    EXPECT_FALSE(menu->isVisible());
    EXPECT_EQ(frame.ActiveChild(), children[0]);
    std::tie(shown, keys, checked) = open();
    EXPECT_EQ(checked, "&1 " + titles[0]);
    menu->hide();

    // The window keys go round the documents.
    QTest::keyClick(&frame, Qt::Key_F6, Qt::ControlModifier);
    Settle();
    EXPECT_EQ(frame.ActiveChild(), children[1]);
    QTest::keyClick(&frame, Qt::Key_F6, Qt::ControlModifier | Qt::ShiftModifier);
    Settle();
    EXPECT_EQ(frame.ActiveChild(), children[0]);
}

namespace {

/// Whether the picture has dark ink within two pixels of the point.
bool InkNear(const QImage& picture, const QPoint& point)
{
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) {
            const QPoint at = point + QPoint(dx, dy);
            if (picture.rect().contains(at) && qGray(picture.pixel(at)) < 100)
                return true;
        }
    return false;
}

} // namespace

// The status bar's message pane says "Ready" whenever no command or menu item is described
// there: after the pointer leaves a command, and after a menu closes by a choice (which leaves
// the chosen item's description standing).
TEST(CMainFrame, TheStatusBarSaysReadyWhenNothingElseIsDescribed)
{
    CMainFrame frame(nullptr);
    frame.resize(700, 400);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    QStatusBar* bar = frame.statusBar();
    EXPECT_EQ(bar->currentMessage(), QStringLiteral("Ready"));

    QStatusTipEvent described(QStringLiteral("Select Mode"));
    QApplication::sendEvent(&frame, &described);
    EXPECT_EQ(bar->currentMessage(), QStringLiteral("Select Mode"));
    QStatusTipEvent left{QString()};
    QApplication::sendEvent(&frame, &left);
    EXPECT_EQ(bar->currentMessage(), QStringLiteral("Ready"));

    for (QAction* entry : frame.menuBar()->actions()) {
        QMenu* menu = entry->menu();
        ASSERT_NE(menu, nullptr);
        SCOPED_TRACE(menu->title().toStdString());
        menu->popup(frame.mapToGlobal(QPoint(40, 40)));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
        bar->showMessage(QStringLiteral("Integral Mode"));
        menu->hide();
        EXPECT_TRUE(QTest::qWaitFor([&] { return bar->currentMessage() == QStringLiteral("Ready"); }, 1000))
            << bar->currentMessage().toStdString();
    }
}

TEST(KTG300App, AnAnnotationStaysOnItsGraphPointWhenTheWindowChanges)
{
    ClearSettings();
    kttest::TempDir dir;
    const auto path = dir.File("parabola-and-line.kt3");
    std::filesystem::copy_file(
        kttest::DataDir().parent_path().parent_path() / "examples/parabola-and-line.kt3", path);
    KTG300App app;
    ASSERT_TRUE(app.InitInstance({ToQ(path)}, kLocal));
    CMainFrame& frame = *app.GetMainWnd();
    frame.show();
    CChildFrame* child = frame.ActiveChild();
    ASSERT_NE(child, nullptr);
    KTG300View& view = child->View();
    KTG300Doc& document = child->Document();
    ASSERT_EQ(document.m_annotations.GetCount(), 1);

    // The box's corner is at the device point of its graph point, inside the graph, and the main
    // window shows its border there.
    const auto check = [&](const char* when) {
        Settle();
        const QImage shown = frame.grab().toImage();
        const KTGAnnotation& note = document.m_annotations.GetAt(0);
        KTAxes& axes = document.Graph().Axes();
        const CRect& box = note.m_textRect;
        EXPECT_EQ(CPoint(box.left, box.top), axes.GraphToDevice(note.m_textPosition, 0, 0)) << when;
        EXPECT_EQ(note.m_anchor, axes.GraphToDevice(note.m_anchorPosition, 0, 0)) << when;
        const CRect& graph = view.GraphRect(); // y grows upwards: top 0, bottom below it
        EXPECT_GE(box.left, graph.left) << when;
        EXPECT_LE(box.right, graph.right) << when;
        EXPECT_LE(box.top, graph.top) << when;
        EXPECT_GE(box.bottom, graph.bottom) << when;
        const CPoint corner = view.LogicalToDevice(CPoint(box.left, box.top));
        EXPECT_TRUE(InkNear(shown, view.mapTo(&frame, QPoint(corner.x, corner.y)))) << when;
    };
    check("opened");
    frame.resize(frame.width() * 2 / 3, frame.height() * 2 / 3);
    check("shrunk");
    frame.OnFileNew();
    frame.MdiArea()->tileSubWindows();
    check("tiled");

    // The print takes the graph as the screen last laid it out: the box is on the page.
    const CRect& graph = view.GraphRect();
    constexpr int kDotsPerMetre = 7874; // 200 dots per inch
    const auto toDots = [](int himetric) {
        return static_cast<int>(std::abs(himetric) * 200.0 / 2540.0 + 0.5);
    };
    QImage page = kttest::WhiteImage(toDots(graph.Width()) + 10, toDots(graph.Height()) + 10, kDotsPerMetre);
    {
        KTDC dc(&page);
        dc.SetPrinting(true);
        KTG300View::OnPrint(document, dc);
    }
    const CRect& box = document.m_annotations.GetAt(0).m_textRect;
    EXPECT_TRUE(InkNear(page, QPoint(toDots(box.left), toDots(box.top))));
    EXPECT_TRUE(InkNear(page, QPoint(toDots(box.right), toDots(box.bottom))));

    kttest::MessageBoxRecorder no(IDNO);
    EXPECT_TRUE(frame.CloseAllDocuments());
}

TEST(KTG300App, TheRecentFileListKeepsFourEntriesNewestFirst)
{
    ClearSettings();
    KTG300App app;
    for (const char* name :
         {"/tmp/a.kt3", "/tmp/b.kt3", "/tmp/c.kt3", "/tmp/d.kt3", "/tmp/e.kt3", "/tmp/c.kt3"})
        app.AddToRecentFileList(QString::fromLatin1(name));
    const QStringList expected{"/tmp/c.kt3", "/tmp/e.kt3", "/tmp/d.kt3", "/tmp/b.kt3"};
    EXPECT_EQ(app.GetRecentFiles(), expected);
    app.SaveStdProfileSettings();
    KTG300App other;
    other.LoadStdProfileSettings();
    EXPECT_EQ(other.GetRecentFiles(), expected);
}

TEST(KTG300App, TheDefaultConfigurationIsImportedOnce)
{
    ClearSettings();
    kttest::TempDir dir;
    const auto path = dir.File("KTG3_Default.ini");
    KTOptionGraph3 configured;
    configured.m_axes.m_xNotate.SetValue("distance");
    {
        KTOptionStore writer;
        writer.SetCompanyName("Norwyn");
        writer.SetFileBaseName("KTG3_Default");
        writer.m_location = -1;
        writer.SetPath(path.string().c_str());
        configured.SaveSettings(writer, false);
        writer.Write();
    }
    KTG300App app;
    app.m_optionStore.SetCompanyName("Norwyn");
    app.m_optionStore.SetFileBaseName("KTG300");
    KTOptionStore source;
    source.m_location = -1;
    source.SetPath(path.string().c_str());
    ASSERT_TRUE(app.ImportDefaultConfigurationFrom(source));
    EXPECT_EQ(app.m_defaultOptions.m_axes.m_xNotate.m_value, CString("distance"));
    EXPECT_FALSE(std::filesystem::exists(path));
    // The user's settings hold it now.
    KTOptionStore user;
    user.SetCompanyName("Norwyn");
    user.SetFileBaseName("KTG300");
    KTOptionGraph3 read;
    read.LoadSettings(user);
    EXPECT_EQ(read.m_axes.m_xNotate.m_value, CString("distance"));
    KTOptionStore again;
    again.m_location = -1;
    again.SetPath(path.string().c_str());
    EXPECT_FALSE(app.ImportDefaultConfigurationFrom(again));
}

TEST(KTG300App, AReadOnlyDefaultConfigurationIsImportedAgainOnlyWhenItChanges)
{
    ClearSettings();
    kttest::TempDir dir;
    const auto folder = dir.Path() / "program";
    std::filesystem::create_directories(folder);
    const auto path = folder / "KTG3_Default.ini";
    kttest::WriteFileBytes(path, "[Axes]\r\nxNotate=first\r\n");
    QFile::setPermissions(ToQ(folder), QFile::ReadOwner | QFile::ExeOwner);
    auto import = [&] {
        KTG300App app;
        app.m_optionStore.SetCompanyName("Norwyn");
        app.m_optionStore.SetFileBaseName("KTG300");
        KTOptionStore source;
        source.m_location = -1;
        source.SetPath(path.string().c_str());
        return app.ImportDefaultConfigurationFrom(source);
    };
    const bool deletable = [&] {
        // Running as root, the folder's permissions do not stop a delete: nothing to test then.
        QFile probe(ToQ(folder / "probe"));
        return probe.open(QIODevice::WriteOnly);
    }();
    if (deletable) {
        QFile::setPermissions(ToQ(folder), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        GTEST_SKIP() << "the folder stays writable for this user";
    }
    EXPECT_TRUE(import());
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_FALSE(import());
    QFile file(ToQ(path));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly));
    file.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime);
    file.close();
    EXPECT_TRUE(import());
    QFile::setPermissions(ToQ(folder), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(KTShellRegistration, AnEntryThatRunsAnotherProgramIsWrittenAnew)
{
    KTShellRegistration::UnregisterShellFileTypes();
    const QString program = QStringLiteral("/opt/kt graph/bin/ktgraph3");
    const QString mine = KTShellRegistration::DesktopEntryText(program);
    const struct
    {
        QString entry;
        bool rewritten;
        const char* what;
    } rows[] = {
        {KTShellRegistration::DesktopEntryText(QStringLiteral("/home/me/old/ktgraph3")), true,
         "the program moved"},
        {QStringLiteral("[Desktop Entry]\nType=Application\nName=KT Graph 3\n"), true, "no command"},
        {QStringLiteral("[Desktop Entry]\nExec=/usr/bin/other %f\n[Desktop Action New]\nExec=") +
             KTShellRegistration::DesktopEntryText(program)
                 .section(QStringLiteral("Exec="), 1)
                 .section('\n', 0, 0) +
             QStringLiteral("\n"),
         true, "the command of another group only"},
        {QString(mine).remove(QStringLiteral("Icon=ktgraph3\n")), true, "an older copy's, without the icon"},
        {mine + QStringLiteral("Keywords=graph;plot;\n"), false, "this program's, with a line of the user's"},
    };
    for (const auto& row : rows) {
        QFile file(KTShellRegistration::DesktopEntryPath());
        ASSERT_TRUE(QDir().mkpath(QFileInfo(file).absolutePath()));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(row.entry.toUtf8());
        file.close();
        EXPECT_TRUE(KTShellRegistration::RegisterShellFileTypes(program)) << row.what;
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString now = QString::fromUtf8(file.readAll());
        file.close();
        EXPECT_EQ(now, row.rewritten ? mine : row.entry) << row.what;
    }
    EXPECT_TRUE(mine.contains(QStringLiteral("Exec=\"/opt/kt graph/bin/ktgraph3\" %f\n")));
    KTShellRegistration::UnregisterShellFileTypes();
}

TEST(KTShellRegistration, TheInstalledDesktopFilesAreTheOnesTheProgramWrites)
{
    const auto read = [](const char* name) {
        QFile file(QStringLiteral(KT_RES_DIR "/desktop/") + QLatin1String(name));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        return QString::fromUtf8(file.readAll());
    };
    EXPECT_EQ(read("ktgraph3.xml"), KTShellRegistration::MimeTypeText());
    // The installed entry runs the program found on the path; the one the program writes for
    // the user runs its own file.
    QString written = KTShellRegistration::DesktopEntryText(QStringLiteral("/usr/bin/ktgraph3"));
    written.replace(QStringLiteral("Exec=\"/usr/bin/ktgraph3\" %f"), QStringLiteral("Exec=ktgraph3 %f"));
    EXPECT_EQ(read("ktgraph3.desktop"), written);
}

TEST(KTG300App, RegisterAndUnregisterRequestsEndTheStart)
{
    ClearSettings();
    KTG300App app;
    EXPECT_FALSE(app.InitInstance({QStringLiteral("/Register")}, KTG300App::StartOptions{false, true}));
    EXPECT_TRUE(QFileInfo::exists(KTShellRegistration::DesktopEntryPath()));
    EXPECT_TRUE(QFileInfo::exists(KTShellRegistration::MimeTypePath()));
    QFile entry(KTShellRegistration::DesktopEntryPath());
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    const QByteArray text = entry.readAll();
    EXPECT_TRUE(text.contains("MimeType=application/x-ktgraph3;"));
    EXPECT_TRUE(text.contains("Exec=\""));
    EXPECT_FALSE(app.GetMainWnd()->isVisible());

    KTG300App other;
    EXPECT_FALSE(other.InitInstance({QStringLiteral("-Unregister")}, KTG300App::StartOptions{false, true}));
    EXPECT_FALSE(QFileInfo::exists(KTShellRegistration::DesktopEntryPath()));
    EXPECT_FALSE(QFileInfo::exists(KTShellRegistration::MimeTypePath()));
}

TEST(KTG300App, AnEmbeddingStartShowsTheMainWindowWithoutADocument)
{
    ClearSettings();
    for (const char* flag : {"/Embedding", "-Automation"}) {
        KTG300App app;
        ASSERT_TRUE(app.InitInstance({QString::fromLatin1(flag)}, kLocal));
        EXPECT_EQ(app.m_bEmbedded, 1);
        EXPECT_TRUE(app.GetMainWnd()->isVisible());
        EXPECT_TRUE(app.GetMainWnd()->Children().isEmpty());
    }
}

TEST(KTG300App, TheMainWindowMovesToTheDocumentsRectangleHeldToTheScreen)
{
    ClearSettings();
    KTG300App app;
    ASSERT_TRUE(app.InitInstance({}, kLocal));
    CMainFrame& frame = *app.GetMainWnd();
    KTG300Doc& document = frame.Children().front()->Document();
    const QRect available = frame.screen()->availableGeometry();

    document.m_windowRect = CRect(40, 50, 640, 500);
    document.UpdateAllViews();
    EXPECT_EQ(frame.frameGeometry().topLeft(), QPoint(40, 50));

    document.m_windowRect = CRect(-50000, -40000, 90000, 80000);
    document.UpdateAllViews();
    EXPECT_TRUE(available.contains(frame.frameGeometry().topLeft()));
    EXPECT_LE(frame.frameGeometry().width(), available.width());

    const QRect before = frame.frameGeometry();
    for (CRect degenerate : {CRect(10, 10, 10, 500), CRect(500, 500, 100, 100), CRect(0, 0, 20, 20)}) {
        document.m_windowRect = degenerate;
        document.UpdateAllViews();
        EXPECT_EQ(frame.frameGeometry(), before);
    }
}

TEST(KTG300App, MenusOfLaterWorkAreDisabledNotFaked)
{
    ClearSettings();
    KTG300App app;
    ASSERT_TRUE(app.InitInstance({}, kLocal));
    CMainFrame& frame = *app.GetMainWnd();
    // The select, annotation and zoom modes need a document only; the integral and tangent
    // modes also a function that can carry them.
    for (int id : {57600, 57601, 57603, 57607, 32837, 32787, 32785, 32786})
        EXPECT_TRUE(frame.Action(id)->isEnabled()) << id;
    EXPECT_TRUE(frame.Action(32787)->isChecked());
    for (int id : {32791, 32801, 32804, 32805})
        EXPECT_FALSE(frame.Action(id)->isEnabled()) << id;
}

TEST(KTInstanceChannel, ASecondStartHandsItsDocumentsToTheFirst)
{
    KTInstanceChannel channel;
    ASSERT_TRUE(channel.Listen());
    QStringList received;
    QObject::connect(&channel, &KTInstanceChannel::openRequested,
                     [&](const QStringList& paths) { received = paths; });
    bool sent = false;
    std::thread second([&] {
        sent = KTInstanceChannel::SendToRunningInstance({"/tmp/one.kt3", "/tmp/two words.kt3"}, 3000);
    });
    for (int i = 0; i < 300 && received.isEmpty(); ++i) {
        QApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    second.join();
    EXPECT_TRUE(sent);
    EXPECT_EQ(received, (QStringList{"/tmp/one.kt3", "/tmp/two words.kt3"}));
}

TEST(KTG300App, ADocumentAskedForWhileADialogIsOpenOpensWhenItCloses)
{
    ClearSettings();
    kttest::TempDir dir;
    const auto first = SaveSample(dir, "first.kt3", 0);
    const auto second = SaveSample(dir, "second.kt3", 2);
    KTG300App app;
    ASSERT_TRUE(app.InitInstance({}, KTG300App::StartOptions{true, false}));
    CMainFrame& frame = *app.GetMainWnd();
    Settle();
    ASSERT_EQ(frame.Children().size(), 1);
    // A second start asks for documents, as opening them from the desktop does.
    auto secondStart = [&](const QStringList& paths) {
        bool sent = false;
        std::atomic<bool> done{false};
        std::thread start([&] {
            sent = KTInstanceChannel::SendToRunningInstance(paths, 3000);
            done = true;
        });
        while (!done) {
            QApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        start.join();
        Settle();
        return sent;
    };

    QDialog dialog(&frame);
    dialog.setModal(true);
    dialog.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &dialog);
    ASSERT_TRUE(secondStart({ToQ(first), ToQ(second)}));
    QTest::qWait(300);
    EXPECT_EQ(frame.Children().size(), 1); // nothing opens behind the dialog
    EXPECT_EQ(app.PendingDocuments(), (QStringList{ToQ(first), ToQ(second)}));
    EXPECT_TRUE(dialog.isVisible());

    dialog.accept();
    QTest::qWait(500);
    ASSERT_EQ(frame.Children().size(), 3);
    EXPECT_EQ(frame.Children().at(1)->Document().GetTitle(), QStringLiteral("first.kt3"));
    EXPECT_EQ(frame.Children().at(2)->Document().GetTitle(), QStringLiteral("second.kt3"));
    EXPECT_EQ(frame.ActiveChild(), frame.Children().at(2));
    EXPECT_TRUE(app.PendingDocuments().isEmpty());

    // With no dialog open a request opens at once.
    const auto third = SaveSample(dir, "third.kt3", 1);
    ASSERT_TRUE(secondStart({ToQ(third)}));
    EXPECT_EQ(frame.Children().size(), 4);
}

TEST(KTInstanceChannel, NoRunningProgramTakesNothing)
{
    EXPECT_FALSE(KTInstanceChannel::SendToRunningInstance({"/tmp/x.kt3"}, 200));
}

TEST(KTInstanceChannel, TheSocketIsTheUsersAndOnlyOneProgramListens)
{
    const QByteArray path = QFile::encodeName(KTInstanceChannel::SocketPath());
    ::unlink(path.constData());
    // A socket file left by a program that crashed: bound once, nobody listening.
    {
        const int stale = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        ASSERT_LT(static_cast<std::size_t>(path.size()), sizeof address.sun_path);
        std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
        ASSERT_EQ(::bind(stale, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        ::close(stale);
    }
    {
        KTInstanceChannel first;
        ASSERT_TRUE(first.Listen()) << "the stale socket is replaced";
        struct stat status{};
        ASSERT_EQ(::stat(path.constData(), &status), 0);
        EXPECT_TRUE(S_ISSOCK(status.st_mode));
        EXPECT_EQ(status.st_mode & 0777, 0600u) << "only the user may hand documents over";
        KTInstanceChannel second;
        EXPECT_FALSE(second.Listen()) << "a second program finds the first listening";
        EXPECT_FALSE(second.IsListening());
        EXPECT_TRUE(first.IsListening());

        // An oversized request is refused, and the channel still takes the next one.
        QStringList received;
        int requests = 0;
        QObject::connect(&first, &KTInstanceChannel::openRequested, [&](const QStringList& paths) {
            received = paths;
            ++requests;
        });
        auto handOver = [&](const QStringList& paths) {
            std::atomic<bool> done{false};
            bool sent = false;
            std::thread start([&] {
                sent = KTInstanceChannel::SendToRunningInstance(paths, 3000);
                done = true;
            });
            while (!done) {
                QApplication::processEvents();
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
            start.join();
            QApplication::processEvents();
            return sent;
        };
        EXPECT_FALSE(handOver(QStringList(1100, QString(1000, QLatin1Char('a')))));
        EXPECT_EQ(requests, 0);
        EXPECT_TRUE(handOver({QStringLiteral("/tmp/\u00e9t\u00e9.kt3")}));
        EXPECT_EQ(requests, 1);
        EXPECT_EQ(received, QStringList{QStringLiteral("/tmp/\u00e9t\u00e9.kt3")});
    }
    // The socket file goes with the program that listened on it.
    EXPECT_NE(::access(path.constData(), F_OK), 0);
}

TEST(KTG300App, APaintStoresTheMainWindowsRectangleForTheFile)
{
    ClearSettings();
    kttest::TempDir dir;
    KTG300App app;
    ASSERT_TRUE(app.InitInstance({}, kLocal));
    CMainFrame& frame = *app.GetMainWnd();
    CChildFrame* child = frame.Children().front();
    frame.move(70, 80);
    child->View().repaint();
    Settle();
    const QRect outer = frame.frameGeometry();
    const CRect expected(outer.left(), outer.top(), outer.left() + outer.width(),
                         outer.top() + outer.height());
    EXPECT_EQ(child->Document().m_windowRect, expected);
    const auto path = dir.File("moved.kt3");
    ASSERT_TRUE(child->Document().OnSaveDocument(ToQ(path)));
    KTG300Doc reopened;
    ASSERT_TRUE(reopened.OnOpenDocument(ToQ(path)));
    EXPECT_EQ(reopened.m_windowRect, expected);
}

TEST(KTG300App, FilesDroppedOnTheMainWindowOpen)
{
    ClearSettings();
    kttest::TempDir dir;
    const auto path = SaveSample(dir, "dropped.kt3", 2);
    KTG300App app;
    ASSERT_TRUE(app.InitInstance({QStringLiteral("/Embedding")}, kLocal));
    CMainFrame& frame = *app.GetMainWnd();
    EXPECT_TRUE(frame.acceptDrops());
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(ToQ(path))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&frame, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&frame, &drop);
    ASSERT_EQ(frame.Children().size(), 1);
    EXPECT_EQ(frame.Children().front()->Document().GetTitle(), QStringLiteral("dropped.kt3"));
}
