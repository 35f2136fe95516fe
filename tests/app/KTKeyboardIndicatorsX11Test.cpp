// The lock indicators of a real X server (run under xvfb-run): the locks are set through the
// keyboard extension, as pressing the keys sets them, and the main window's panes follow.

#include "app/KTKeyboardIndicators.h"

#include "app/CMainFrame.h"

#include <QGuiApplication>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

// Xlib's macros (None, Bool, Status, ...) collide with other headers' names: it comes last.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace {

Display* X11Display()
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->display() : nullptr;
}

void LockModifier(Display* display, unsigned mask, bool on)
{
    XkbLockModifiers(display, XkbUseCoreKbd, mask, on ? mask : 0);
    XSync(display, False);
}

struct SourceScope
{
    explicit SourceScope(KTKeyboardIndicators::Source source)
        : previous(KTKeyboardIndicators::SetSource(std::move(source)))
    {
    }
    ~SourceScope() { KTKeyboardIndicators::SetSource(std::move(previous)); }
    KTKeyboardIndicators::Source previous;
};

// Presses and releases a key as the user does, through the X server (xdotool); false where
// xdotool is missing.
bool PressKey(const char* key)
{
    const QString xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
    if (xdotool.isEmpty())
        return false;
    QProcess process;
    process.start(xdotool, {QStringLiteral("key"), QString::fromLatin1(key)});
    return process.waitForFinished(5000) && process.exitCode() == 0;
}

} // namespace

TEST(KTKeyboardIndicatorsX11, ThePanesFollowTheLocksOfTheXServer)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs an X server";
    Display* display = X11Display();
    ASSERT_NE(display, nullptr);
    const unsigned numMask = XkbKeysymToModifiers(display, XK_Num_Lock);
    ASSERT_NE(numMask, 0u);
    LockModifier(display, LockMask, false);
    LockModifier(display, numMask, false);

    CMainFrame frame(nullptr);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    EXPECT_TRUE(KTKeyboardIndicators::IsWatchingPlatform());
    QTest::qWait(400);
    ASSERT_TRUE(KTKeyboardIndicators::Read().has_value());
    EXPECT_TRUE(frame.IndicatorPane(0)->isVisible());
    EXPECT_EQ(frame.IndicatorPane(0)->text(), QString());
    EXPECT_EQ(frame.IndicatorPane(1)->text(), QString());

    LockModifier(display, LockMask, true);
    QTest::qWait(400);
    EXPECT_TRUE(KTKeyboardIndicators::Read()->caps);
    EXPECT_EQ(frame.IndicatorPane(0)->text(), QStringLiteral("CAP"));
    EXPECT_EQ(frame.IndicatorPane(1)->text(), QString());

    LockModifier(display, numMask, true);
    QTest::qWait(400);
    EXPECT_EQ(frame.IndicatorPane(1)->text(), QStringLiteral("NUM"));

    LockModifier(display, LockMask, false);
    LockModifier(display, numMask, false);
    QTest::qWait(400);
    EXPECT_EQ(frame.IndicatorPane(0)->text(), QString());
    EXPECT_EQ(frame.IndicatorPane(1)->text(), QString());
    EXPECT_FALSE(KTKeyboardIndicators::Read()->caps);
}

TEST(KTKeyboardIndicatorsX11, AnIdleWindowReadsNothingUntilALockChanges)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs an X server";
    Display* display = X11Display();
    ASSERT_NE(display, nullptr);
    LockModifier(display, LockMask, false);
    CMainFrame frame(nullptr);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    QTest::qWait(300);

    // The panes show what the source says; the source counts how often it is asked.
    int reads = 0;
    const SourceScope scope([&] {
        ++reads;
        return std::optional<KTKeyboardIndicators::State>(KTKeyboardIndicators::State{true, false, false});
    });
    QTest::qWait(1000);
    EXPECT_EQ(reads, 0) << "no look while nothing changes";
    EXPECT_EQ(frame.IndicatorPane(0)->text(), QString());
    LockModifier(display, LockMask, true);
    QTRY_COMPARE_WITH_TIMEOUT(frame.IndicatorPane(0)->text(), QStringLiteral("CAP"), 2000);
    EXPECT_GE(reads, 1);
    LockModifier(display, LockMask, false);
}

TEST(KTKeyboardIndicatorsX11, PressingCapsLockShowsAndClearsCap)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs an X server";
    Display* display = X11Display();
    ASSERT_NE(display, nullptr);
    LockModifier(display, LockMask, false);
    CMainFrame frame(nullptr);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    QTest::qWait(300);
    EXPECT_EQ(frame.IndicatorPane(0)->text(), QString());
    const QString num = frame.IndicatorPane(1)->text();
    if (!PressKey("Caps_Lock"))
        GTEST_SKIP() << "xdotool is not installed";
    QTRY_COMPARE_WITH_TIMEOUT(frame.IndicatorPane(0)->text(), QStringLiteral("CAP"), 2000);
    ASSERT_TRUE(PressKey("Caps_Lock"));
    QTRY_COMPARE_WITH_TIMEOUT(frame.IndicatorPane(0)->text(), QString(), 2000);
    EXPECT_EQ(frame.IndicatorPane(1)->text(), num) << "Num Lock untouched";
}
