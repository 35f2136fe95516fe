// The hyperlink label and the icon button: what a click opens or tells, flashing, gradient
// bands, colour offsets and the derived images.

#include "ui/KTIconButton.h"
#include "ui/KTLinkStatic.h"

#include <QDesktopServices>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

// Catches what the desktop would have opened while it lives.
struct CatchUrls
{
    UrlCatcher catcher;
    CatchUrls()
    {
        for (const char* scheme : {"http", "https", "mailto", "file"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &catcher, "open");
    }
    ~CatchUrls()
    {
        for (const char* scheme : {"http", "https", "mailto", "file"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }
};

} // namespace

TEST(KTLinkStatic, ClickTargets)
{
    KTLinkStatic label(QStringLiteral("https://www.example.org/page"), nullptr, 1091);
    EXPECT_EQ(label.ClickTarget(), "");
    label.SetLink(true, false);
    EXPECT_EQ(label.ClickTarget(), "https://www.example.org/page");
    label.SetLinkTarget("https://other.example.org/");
    EXPECT_EQ(label.ClickTarget(), "https://other.example.org/");
    KTLinkStatic mail(QStringLiteral("someone@example.org"));
    mail.SetMailLink(true, false);
    EXPECT_EQ(mail.ClickTarget(), "mailto:someone@example.org");
}

TEST(KTLinkStatic, ClickOpensTheLinkOrOnlyNotifies)
{
    CatchUrls urls;
    KTLinkStatic label(QStringLiteral("https://www.example.org/"), nullptr, 1095);
    label.resize(200, 20);
    label.SetLink(true, false);
    QTest::mouseClick(&label, Qt::LeftButton);
    ASSERT_EQ(urls.catcher.urls.size(), 1);
    EXPECT_EQ(urls.catcher.urls[0], QUrl(QStringLiteral("https://www.example.org/")));

    KTLinkStatic notifying(QStringLiteral("https://www.example.org/"), nullptr, 1097);
    notifying.resize(200, 20);
    notifying.SetLink(true, true);
    QSignalSpy spy(&notifying, &KTLinkStatic::linkClicked);
    QTest::mouseClick(&notifying, Qt::LeftButton);
    EXPECT_EQ(urls.catcher.urls.size(), 1) << "notify-only opens nothing";
    ASSERT_EQ(spy.size(), 1);
    EXPECT_EQ(spy[0][0].toInt(), 1097);
    EXPECT_EQ(spy[0][1].toUInt(), 0x8200u);
}

TEST(KTLinkStatic, FlashingTextHidesInTheBackgroundColourEveryOtherStep)
{
    KTLinkStatic label(QStringLiteral("Check for Updates"));
    label.SetTextColor(RGB(255, 0, 0));
    label.FlashText(true);
    EXPECT_TRUE(label.IsFlashing());
    EXPECT_EQ(label.CurrentTextColor(), RGB(0, 0, 0)) << "no background brush: black";
    label.OnTimer();
    EXPECT_EQ(label.CurrentTextColor(), RGB(255, 0, 0));
    label.SetBkColor(RGB(10, 20, 30));
    label.OnTimer();
    EXPECT_EQ(label.CurrentTextColor(), RGB(10, 20, 30));
    label.FlashText(false);
    EXPECT_FALSE(label.IsFlashing());
    EXPECT_EQ(label.CurrentTextColor(), RGB(255, 0, 0));
}

TEST(KTLinkStatic, GradientBands)
{
    const auto narrow = KTLinkStatic::GradientBands(QRect(0, 0, 50, 10), RGB(0, 0, 0), RGB(255, 100, 50));
    ASSERT_EQ(narrow.size(), 50u);
    for (std::size_t i = 0; i < narrow.size(); ++i)
        EXPECT_EQ(narrow[i].rect, QRect(static_cast<int>(i), 0, 1, 10));
    EXPECT_EQ(narrow[0].colour, RGB(0, 0, 0));
    EXPECT_EQ(narrow[1].colour, RGB(5, 2, 1)); // steps of 255*256/50, 100*256/50, 50*256/50
    const auto wide = KTLinkStatic::GradientBands(QRect(0, 0, 250, 10), RGB(0, 0, 0), RGB(200, 0, 0));
    ASSERT_EQ(wide.size(), 100u);
    EXPECT_EQ(wide.back().rect.right(), 249);
    EXPECT_EQ(wide.back().colour, RGB(198, 0, 0));
}

TEST(KTLinkStatic, TextFlagsFollowTheStaticStyle)
{
    EXPECT_EQ(KTLinkStatic::TextFlags(KTLinkStatic::SS_CENTER, "a"),
              int(Qt::AlignHCenter | Qt::TextWordWrap | Qt::AlignTop));
    EXPECT_EQ(KTLinkStatic::TextFlags(KTLinkStatic::SS_RIGHT, "a\tb"),
              int(Qt::AlignRight | Qt::TextWordWrap | Qt::TextExpandTabs | Qt::AlignTop));
    EXPECT_EQ(KTLinkStatic::TextFlags(KTLinkStatic::SS_LEFTNOWORDWRAP, "a"),
              int(Qt::AlignLeft | Qt::AlignTop));
    EXPECT_EQ(KTLinkStatic::TextFlags(KTLinkStatic::SS_CENTERIMAGE, "a"),
              int(Qt::AlignHCenter | Qt::AlignVCenter));
    EXPECT_EQ(KTLinkStatic::TextFlags(KTLinkStatic::SS_CENTERIMAGE, "a\r\nb"), int(Qt::AlignHCenter));
}

TEST(KTIconButton, OffsetColorKeepsEveryChannelInRange)
{
    KTIconButton button;
    button.SetColor(KTIconButton::BkColorIn, RGB(200, 100, 50));
    EXPECT_EQ(button.OffsetColor(KTIconButton::BkColorIn, 100), KTIconButton::Ok);
    EXPECT_EQ(button.GetColor(KTIconButton::BkColorIn), RGB(255, 155, 105));
    button.SetColor(KTIconButton::BkColorOut, RGB(30, 100, 50));
    button.OffsetColor(KTIconButton::BkColorOut, -40);
    EXPECT_EQ(button.GetColor(KTIconButton::BkColorOut), RGB(0, 70, 20));
    EXPECT_EQ(button.OffsetColor(6, 10), KTIconButton::InvalidIndex);
    EXPECT_EQ(button.OffsetColor(-1, 10), KTIconButton::InvalidIndex);
    EXPECT_EQ(button.OffsetColor(0, 256), KTIconButton::BadParam);
    EXPECT_EQ(button.OffsetColor(0, -256), KTIconButton::BadParam);
}

TEST(KTIconButton, CheckBoxModeTogglesAndStillNotifies)
{
    KTIconButton button(QStringLiteral("Option"));
    button.resize(80, 30);
    button.SetCheckBoxMode(true);
    QSignalSpy clicks(&button, &QPushButton::clicked);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(button.GetCheck(), 1);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(button.GetCheck(), 0);
    EXPECT_EQ(clicks.size(), 2);
    button.SetCheck(2);
    EXPECT_EQ(button.GetCheck(), 1);
    button.SetCheck(3);
    EXPECT_EQ(button.GetCheck(), 0);
}

TEST(KTIconButton, AddressOpensOnClickUnlessThereIsAMenu)
{
    CatchUrls urls;
    KTIconButton button(QStringLiteral("Register"));
    button.resize(80, 30);
    button.SetURL("https://www.example.org/newsletter");
    QTest::mouseClick(&button, Qt::LeftButton);
    ASSERT_EQ(urls.catcher.urls.size(), 1);
    EXPECT_EQ(urls.catcher.urls[0], QUrl(QStringLiteral("https://www.example.org/newsletter")));

    QMenu menu;
    menu.addAction(QStringLiteral("One"));
    button.SetMenu(&menu);
    QTimer::singleShot(50, &menu, &QMenu::close);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(urls.catcher.urls.size(), 1) << "the menu wins over the address";
}

TEST(KTIconButton, DerivedImages)
{
    QImage image(2, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(200, 100, 50, 255));
    image.setPixel(1, 0, qRgba(0, 0, 0, 0));
    const QImage grey = KTIconButton::GreyScale(image);
    const int level = static_cast<int>(0.299 * 200 + 0.587 * 100 + 0.114 * 50);
    EXPECT_EQ(grey.pixel(0, 0), qRgba(level, level, level, 255));
    EXPECT_EQ(qAlpha(grey.pixel(1, 0)), 0);
    const QImage dark = KTIconButton::Darker(image);
    EXPECT_EQ(dark.pixel(0, 0), qRgba(150, 75, 37, 255));

    KTIconButton button;
    button.SetImages(image, KTIconButton::SecondGreyScale);
    EXPECT_EQ(button.CurrentImage().pixel(0, 0), grey.pixel(0, 0)) << "idle: the grey copy";
}

#include "KTLinkStaticTest.moc"
