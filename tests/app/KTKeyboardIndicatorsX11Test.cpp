// The lock indicators of a real X server (run under xvfb-run): the locks are set through the
// keyboard extension, as pressing the keys sets them, and the main window's panes follow.

#include "app/KTKeyboardIndicators.h"

#include "app/CMainFrame.h"

#include <QGuiApplication>
#include <QLabel>
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
