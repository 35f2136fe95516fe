// Dialogs kept within the screen they open on: where KTFitWithin puts a window, and Axes
// Properties expanded by "More >>" on screens of 800x600, 1024x768 and 1366x768 (each in a run
// of this program on an offscreen screen of that size), grabbed whole for a person to look at.

#include "ui/KTAxesDlg.h"
#include "ui/KTDialog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

constexpr char kChildScreen[] = "KT_SCREEN_FIT_CHILD";

TEST(KTScreenFit, WindowsAreMovedAndCutToTheAvailableArea)
{
    const QRect screen(0, 0, 1024, 728); // 768 less a 40-pixel panel at the bottom
    const struct
    {
        QRect frame, expected;
        const char* why;
    } rows[] = {
        {{100, 50, 400, 300}, {100, 50, 400, 300}, "inside: stays"},
        {{300, 200, 500, 701}, {300, 27, 500, 701}, "runs off the bottom: grows upwards"},
        {{300, -20, 500, 300}, {300, 0, 500, 300}, "above the top: moved down"},
        {{900, 100, 300, 200}, {724, 100, 300, 200}, "off the right: moved left"},
        {{-50, 100, 300, 200}, {0, 100, 300, 200}, "off the left: moved right"},
        {{300, 200, 500, 900}, {300, 0, 500, 728}, "taller than the screen: cut to it"},
        {{300, 200, 1500, 100}, {0, 200, 1024, 100}, "wider than the screen: cut to it"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(KTFitWithin(row.frame, screen), row.expected) << row.why;
        // The fitted window lies within the screen and fits again where it is.
        EXPECT_TRUE(screen.contains(KTFitWithin(row.frame, screen))) << row.why;
        EXPECT_EQ(KTFitWithin(row.expected, screen), row.expected) << row.why;
    }
    // A second screen to the right and lower: its own edges count.
    const QRect second(1024, 100, 1366, 768);
    EXPECT_EQ(KTFitWithin(QRect(1500, 500, 500, 701), second), QRect(1500, 167, 500, 701));
    EXPECT_EQ(KTFitWithin(QRect(1500, 500, 500, 701), QRect()), QRect(1500, 500, 500, 701));
}

// Each screen size runs the check below in a child run of this program.
TEST(KTScreenFit, AxesPropertiesExpandedStaysOnEveryScreen)
{
    const QSize sizes[] = {{800, 600}, {1024, 768}, {1366, 768}};
    const QString folder = QDir::tempPath() + QStringLiteral("/kt-screen-fit-%1").arg(QCoreApplication::applicationPid());
    QDir().mkpath(folder);
    for (const QSize size : sizes) {
        SCOPED_TRACE(size.width());
        const QString config = folder + QStringLiteral("/screen-%1x%2.json").arg(size.width()).arg(size.height());
        QFile file(config);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("{\"screens\": [{\"name\": \"s\", \"x\": 0, \"y\": 0, \"width\": %1, \"height\": "
                                  "%2, \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}")
                       .arg(size.width())
                       .arg(size.height())
                       .toUtf8());
        file.close();
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen:configfile=") + config);
        environment.insert(QString::fromLatin1(kChildScreen), QStringLiteral("%1x%2").arg(size.width()).arg(size.height()));
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=KTScreenFitChild.*")});
        ASSERT_TRUE(child.waitForFinished(60000));
        const QString output = QString::fromLocal8Bit(child.readAll());
        EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
        EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 1 test"))) << output.toStdString();
    }
    QDir(folder).removeRecursively();
}

// Axes Properties opened in the middle of the screen, then "More >>" clicked: the dialog stays
// within the screen, reaches every control (scrolling where the screen is too low) and shows.
TEST(KTScreenFitChild, AxesPropertiesAfterMore)
{
    const QByteArray screenText = qgetenv(kChildScreen);
    if (screenText.isEmpty())
        GTEST_SKIP() << "runs in the child started by AxesPropertiesExpandedStaysOnEveryScreen";
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_EQ(QStringLiteral("%1x%2").arg(available.width()).arg(available.height()).toLatin1(), screenText);

    KTAxesDlg::SetRememberedExpanded(false);
    KTAxesDlg dialog(nullptr, nullptr);
    dialog.m_options.SetDefaults();
    dialog.OnInitDialog();
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const int fullHeight = dialog.Expander().GetFullSize().height();
    EXPECT_TRUE(available.contains(dialog.frameGeometry()));

    QTest::mouseClick(dialog.MoreLessButton(), Qt::LeftButton);
    QApplication::processEvents();
    ASSERT_TRUE(dialog.Expander().IsExpanded());
    const QRect frame = dialog.frameGeometry();
    EXPECT_TRUE(available.contains(frame)) << frame.x() << "," << frame.y() << " " << frame.width() << "x"
                                           << frame.height();
    const auto* area = dialog.findChild<QScrollArea*>(QStringLiteral("screenScrollArea"));
    const int decoration = frame.height() - dialog.height();
    if (fullHeight + decoration <= available.height()) {
        // Room enough: the whole dialog, grown upwards where the bottom had no room.
        EXPECT_EQ(area, nullptr);
        EXPECT_EQ(dialog.height(), fullHeight);
    } else {
        // Too low a screen: as tall as the screen, the rest reached by scrolling.
        ASSERT_NE(area, nullptr);
        EXPECT_EQ(frame.height(), available.height());
        EXPECT_GT(area->verticalScrollBar()->maximum(), 0);
        EXPECT_EQ(area->widget()->height(), area->widget()->minimumSizeHint().height());
    }
    // The toggle and the OK button are on the screen or, scrolled, in the scroll area.
    auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("okButton"));
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->isVisible());
    const QImage picture = dialog.grab().toImage();
    QDir().mkpath(QStringLiteral(KT_UI_PICTURE_DIR));
    picture.save(QStringLiteral(KT_UI_PICTURE_DIR "/axes-more-") + QString::fromLatin1(screenText) +
                 QStringLiteral(".png"));

    // "<< Less" brings the short dialog back, still on the screen.
    QTest::mouseClick(dialog.MoreLessButton(), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_FALSE(dialog.Expander().IsExpanded());
    EXPECT_TRUE(available.contains(dialog.frameGeometry()));
    KTAxesDlg::SetRememberedExpanded(false);
}

} // namespace
