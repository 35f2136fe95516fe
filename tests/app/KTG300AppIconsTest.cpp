// The program's pictures where the user sees them: the toolbar's buttons in the main window, the
// window icon, the About box, and the icons installed with the desktop entry; and the menus as
// the tips of the day name them.

#include "app/CMainFrame.h"
#include "app/KTAboutDlg.h"
#include "app/KTCommandIds.h"
#include "app/KTG300App.h"
#include "app/KTShellRegistration.h"
#include "ui/KTResources.h"

#include "support/KTPictureChecks.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

const KTG300App::StartOptions kLocal{false, false, false};

QImage Picture(const QIcon& icon, QSize size)
{
    return icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
}

TEST(KTG300AppIcons, EveryToolbarButtonShowsItsPicture)
{
    using namespace KTCommand;
    KTG300App app;
    ASSERT_TRUE(app.InitInstance({}, kLocal));
    CMainFrame& frame = *app.GetMainWnd();
    QApplication::processEvents();
    const struct
    {
        int id;
        const char* picture;
        const char* theme; // the desktop's standard icon, where its theme has one
    } buttons[] = {
        {FileNew, "file-new", "document-new"},        {FileOpen, "file-open", "document-open"},
        {FileSave, "file-save", "document-save"},     {FilePrint, "file-print", "document-print"},
        {CloseAllUpdate, "close-update", nullptr},    {CloseAll, "close", nullptr},
        {EditFunctions, "edit-functions", nullptr},   {SelectMode, "mode-select", nullptr},
        {IntegralMode, "mode-integral", nullptr},     {DerivativeMode, "mode-tangent", nullptr},
        {AnnotationMode, "mode-annotation", nullptr}, {ZoomMode, "mode-zoom", nullptr},
    };
    const QImage window = frame.grab().toImage();
    QToolBar* toolBar = frame.ToolBar();
    ASSERT_EQ(toolBar->iconSize(), QSize(16, 15));
    for (const auto& button : buttons) {
        SCOPED_TRACE(button.picture);
        QAction* action = frame.Action(button.id);
        ASSERT_NE(action, nullptr);
        ASSERT_TRUE(toolBar->actions().contains(action));
        const bool themed = button.theme && KTResources::HasDesktopIconTheme() &&
                            QIcon::hasThemeIcon(QString::fromLatin1(button.theme));
        if (!themed) {
            // Ours, at the toolbar's size and at twice it for a dense screen.
            const QIcon ours = KTResources::Icon(QString::fromLatin1(button.picture));
            for (const QSize size : {QSize(16, 15), QSize(32, 30)})
                EXPECT_EQ(Picture(action->icon(), size), Picture(ours, size)) << size.width();
        }
        // In place: the button in the grabbed window holds a picture of several colours.
        QWidget* widget = toolBar->widgetForAction(action);
        ASSERT_NE(widget, nullptr);
        const QRect area(widget->mapTo(&frame, QPoint(0, 0)) * window.devicePixelRatio(),
                         widget->size() * window.devicePixelRatio());
        const kttest::InkFacts ink = kttest::InkIn(window, area, kttest::CommonColour(window, area));
        EXPECT_GE(ink.pixels, 16 * 15 / 5);
        EXPECT_GE(ink.colours, 4) << "a picture, not a letter";
    }
}

TEST(KTG300AppIcons, TheWindowsAndTheAboutBoxShowTheProgramsIcon)
{
    KTG300App app;
    ASSERT_TRUE(app.InitInstance({}, kLocal));
    const QImage expected = Picture(KTResources::ApplicationIcon(), QSize(32, 32));
    EXPECT_EQ(Picture(QApplication::windowIcon(), QSize(32, 32)), expected);
    EXPECT_EQ(Picture(app.GetMainWnd()->windowIcon(), QSize(32, 32)), expected);
    EXPECT_EQ(QGuiApplication::desktopFileName(), QStringLiteral("ktgraph3"));

    int shown = 0;
    const auto previous = KTAboutDlg::ModalHook::Set([&](KTAboutDlg& dialog) {
        ++shown;
        const auto* icon = dialog.findChild<QLabel*>(QStringLiteral("Icon"));
        EXPECT_NE(icon, nullptr);
        if (!icon)
            return 0;
        EXPECT_EQ(Picture(dialog.windowIcon(), QSize(32, 32)), expected);
        const QImage grab = dialog.grab().toImage();
        const QRect area(icon->mapTo(&dialog, QPoint(0, 0)) * grab.devicePixelRatio(),
                         icon->size() * grab.devicePixelRatio());
        const kttest::InkFacts ink = kttest::InkIn(grab, area, kttest::CommonColour(grab, area));
        EXPECT_GE(ink.pixels, 48 * 48 / 2);
        EXPECT_GE(ink.colours, 8);
        return 0;
    });
    app.GetMainWnd()->Action(KTCommand::AppAbout)->trigger();
    KTAboutDlg::ModalHook::Set(previous);
    EXPECT_EQ(shown, 1);
}

TEST(KTG300AppIcons, RegistrationInstallsTheIconAtEverySizeAndRemovesIt)
{
    KTShellRegistration::UnregisterShellFileTypes();
    ASSERT_TRUE(KTShellRegistration::RegisterShellFileTypes(QStringLiteral("/opt/kt/ktgraph3")));
    QFile entry(KTShellRegistration::DesktopEntryPath());
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    EXPECT_TRUE(entry.readAll().contains("\nIcon=ktgraph3\n"));

    for (int size : KTShellRegistration::IconSizes) {
        SCOPED_TRACE(size);
        const QString path = KTShellRegistration::IconPath(size);
        EXPECT_TRUE(path.endsWith(QStringLiteral("/icons/hicolor/%1x%1/apps/ktgraph3.png").arg(size)));
        QImage icon;
        ASSERT_TRUE(icon.load(path, "PNG"));
        EXPECT_EQ(icon.size(), QSize(size, size));
        EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0) << "rounded corners";
        const kttest::InkFacts ink = kttest::InkIn(icon, icon.rect(), qRgb(255, 0, 255));
        EXPECT_GE(ink.pixels, size * size / 2);
        EXPECT_GE(ink.colours, 6);
    }
    // The drawing itself for sizes the desktop asks for beyond those.
    QFile scalable(KTShellRegistration::IconPath(0));
    ASSERT_TRUE(scalable.open(QIODevice::ReadOnly));
    QFile drawing(KTResources::IconPath(QStringLiteral("ktgraph3")));
    ASSERT_TRUE(drawing.open(QIODevice::ReadOnly));
    EXPECT_EQ(scalable.readAll(), drawing.readAll());

    // A lost icon comes back at the next start; the others are left as they are.
    ASSERT_TRUE(QFile::remove(KTShellRegistration::IconPath(48)));
    EXPECT_TRUE(KTShellRegistration::RegisterShellFileTypes(QStringLiteral("/opt/kt/ktgraph3")));
    EXPECT_TRUE(QFile::exists(KTShellRegistration::IconPath(48)));

    EXPECT_TRUE(KTShellRegistration::UnregisterShellFileTypes());
    EXPECT_FALSE(QFile::exists(KTShellRegistration::IconPath(0)));
    for (int size : KTShellRegistration::IconSizes)
        EXPECT_FALSE(QFile::exists(KTShellRegistration::IconPath(size))) << size;
}

} // namespace

TEST(KTG300AppIcons, EveryMenuPathATipNamesIsInTheMenus)
{
    // A tip that says "Edit > Functions" must name a menu and an item of it as the main window
    // shows them, captions without their accelerators and dots.
    KTG300App app;
    ASSERT_TRUE(app.InitInstance({}, kLocal));
    CMainFrame& frame = *app.GetMainWnd();
    QStringList paths;
    for (QAction* menuAction : frame.menuBar()->actions()) {
        const QMenu* menu = menuAction->menu();
        if (!menu)
            continue;
        const QString title = menuAction->text().remove(QLatin1Char('&'));
        for (const QAction* item : menu->actions())
            if (!item->isSeparator())
                paths << title + QStringLiteral(" &rsaquo; ") +
                             item->text().remove(QLatin1Char('&')).remove(QStringLiteral("...")).trimmed();
    }
    ASSERT_TRUE(paths.contains(QStringLiteral("Edit &rsaquo; Functions"))) << paths.join(u'|').toStdString();
    const QDir folder(QStringLiteral(KT_RES_DIR "/TipOfTheDay"));
    const QStringList pages = folder.entryList({QStringLiteral("tip*.html")});
    ASSERT_GE(pages.size(), 5);
    for (const QString& page : pages) {
        QFile file(folder.filePath(page));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        int named = 0;
        for (const QString& path : paths)
            named += static_cast<int>(text.count(path));
        EXPECT_EQ(named, static_cast<int>(text.count(QStringLiteral("&rsaquo;")))) << page.toStdString();
    }
}
