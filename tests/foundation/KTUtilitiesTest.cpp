#include "foundation/KTIntStack.h"
#include "foundation/KTRealStack.h"
#include "foundation/KTUtilities.h"

#include "foundation/KTUrlCatcher.h"

#include <QDesktopServices>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(KTStackTest, PushPopOrderAndEmptyPop)
{
    KTIntStack ints;
    EXPECT_EQ(ints.Pop(), 0);
    EXPECT_EQ(ints.m_count, 0);
    for (int v : {1, 2, 3})
        EXPECT_TRUE(ints.Push(v));
    for (int expected : {3, 2, 1, 0})
        EXPECT_EQ(ints.Pop(), expected);
    EXPECT_EQ(ints.m_count, 0);

    KTRealStack reals;
    EXPECT_EQ(reals.Pop(), 0.0);
    for (double v : {1.5, -2.5, 3.25})
        EXPECT_TRUE(reals.Push(v));
    EXPECT_EQ(reals.m_entries[3].m_tag, -1);
    for (double expected : {3.25, -2.5, 1.5, 0.0})
        EXPECT_EQ(reals.Pop(), expected);
    EXPECT_EQ(reals.m_count, 0);
}

TEST(KTStackTest, PushesBeyondCapacityAreRefused)
{
    KTIntStack ints;
    KTRealStack reals;
    for (int i = 1; i <= 199; ++i)
        ASSERT_TRUE(reals.Push(i));
    for (int i = 1; i < KTIntStack::kSlots; ++i)
        ASSERT_TRUE(ints.Push(i));
    EXPECT_TRUE(ints.IsFull());
    EXPECT_TRUE(reals.IsFull());
    EXPECT_FALSE(ints.Push(1000));
    EXPECT_FALSE(reals.Push(1000));
    EXPECT_EQ(ints.m_count, 1280);
    EXPECT_EQ(reals.m_count, 199);
    EXPECT_EQ(ints.Pop(), 1280);
    EXPECT_EQ(reals.Pop(), 199.0);

    // Emptied the way the evaluator does it, the stack takes values again.
    ints.m_count = 0;
    EXPECT_TRUE(ints.Push(5));
    EXPECT_EQ(ints.Pop(), 5);

    // A count a caller broke is refused, not written through.
    ints.m_count = -3;
    reals.m_count = 5000;
    EXPECT_FALSE(ints.Push(1));
    EXPECT_FALSE(reals.Push(1));
    EXPECT_EQ(ints.Pop(), 0);
    EXPECT_EQ(reals.Pop(), 0.0);
}

TEST(KTUtilitiesTest, MembershipInTerminatedLists)
{
    EXPECT_TRUE(CharInSet('3', "0123456789"));
    EXPECT_FALSE(CharInSet('a', "0123456789"));
    EXPECT_FALSE(CharInSet('\0', "0123456789"));
    EXPECT_FALSE(CharInSet('\0', ""));
    EXPECT_FALSE(CharInSet('x', nullptr));

    const std::int32_t kinds[] = {7, -2, 40, 0, 99};
    EXPECT_TRUE(IntInList(-2, kinds));
    EXPECT_TRUE(IntInList(40, kinds));
    EXPECT_FALSE(IntInList(99, kinds)); // after the terminator
    EXPECT_FALSE(IntInList(0, kinds));

    const double steps[] = {90, 135, 180, 270, 360, 450, 540, 720, 1080, 0.0};
    EXPECT_TRUE(DoubleInList(450, steps));
    EXPECT_FALSE(DoubleInList(450.0000001, steps));
    EXPECT_FALSE(DoubleInList(0.0, steps));
}

TEST(KTUtilitiesTest, LightenColorTable)
{
    struct Row
    {
        COLORREF in;
        double factor;
        COLORREF out;
    };
    const Row rows[] = {
        {RGB(255, 0, 0), 0.9, RGB(255, 229, 229)},
        {RGB(255, 0, 0), 0.0, RGB(255, 0, 0)},
        {RGB(0, 255, 0), 0.5, RGB(127, 255, 127)},
        {RGB(0, 0, 255), 0.5, RGB(127, 127, 255)},
        {RGB(255, 255, 0), 0.5, RGB(255, 255, 127)},
        {RGB(255, 128, 0), 0.9, RGB(255, 242, 229)},
        {RGB(0, 0, 0), 0.5, RGB(127, 127, 127)},
        {RGB(255, 255, 255), 0.5, RGB(127, 127, 127)},
        {RGB(0, 0, 0), 1.5, RGB(229, 229, 229)},
        {RGB(80, 80, 80), -0.1, RGB(229, 229, 229)},
        {RGB(255, 0, 0), std::numeric_limits<double>::quiet_NaN(), RGB(255, 229, 229)},
        {RGB(255, 0, 0), 1.0, RGB(255, 255, 255)},
    };
    for (const auto& row : rows)
        EXPECT_EQ(LightenColor(row.in, row.factor), row.out) << std::hex << row.in << " " << row.factor;
}

TEST(KTUtilitiesTest, LightenColorKeepsTheHueSector)
{
    // The strongest channel of a saturated colour stays at full strength and the weakest becomes
    // the whiteness, whatever the colour.
    for (int r = 0; r < 256; r += 15)
        for (int g = 0; g < 256; g += 17)
            for (int b = 0; b < 256; b += 51) {
                if (r == g && g == b)
                    continue;
                const COLORREF out = LightenColor(RGB(r, g, b), 0.6);
                const int channels[] = {GetRValue(out), GetGValue(out), GetBValue(out)};
                EXPECT_EQ(std::max({channels[0], channels[1], channels[2]}), 255);
                EXPECT_EQ(std::min({channels[0], channels[1], channels[2]}), static_cast<int>(0.6 * 255.0));
            }
}

TEST(KTUtilitiesTest, ShellOpenHandsFilesAndAddressesToTheDesktop)
{
    KTUrlCatcher catcher;
    QDesktopServices::setUrlHandler("https", &catcher, "open");
    QDesktopServices::setUrlHandler("http", &catcher, "open");
    QDesktopServices::setUrlHandler("file", &catcher, "open");
    ShellOpenMaximized("https://example.org/signup.html");
    ShellOpenMaximized("www.example.org");
    ShellOpenMaximized("/");
    ShellOpenMaximized("");
    QDesktopServices::unsetUrlHandler("https");
    QDesktopServices::unsetUrlHandler("http");
    QDesktopServices::unsetUrlHandler("file");
    ASSERT_EQ(catcher.urls.size(), 3);
    EXPECT_EQ(catcher.urls[0], QUrl("https://example.org/signup.html"));
    EXPECT_EQ(catcher.urls[1].host(), "www.example.org");
    EXPECT_TRUE(catcher.urls[2].isLocalFile());
}
