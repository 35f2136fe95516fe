// The icon button's sounds, its default-button frame and its embossed disabled look, seen in the
// dialog that holds it.

#include "ui/KTIconButton.h"

#include "platform/KTSoundPlayer.h"

#include <QApplication>
#include <QDialog>
#include <QEnterEvent>
#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <vector>

namespace {

/// Every warning or error printed while it lives.
class MessageCatcher
{
public:
    MessageCatcher() { m_previous = qInstallMessageHandler(&MessageCatcher::Catch); }
    ~MessageCatcher() { qInstallMessageHandler(m_previous); }
    static std::vector<QString>& Messages()
    {
        static std::vector<QString> messages;
        return messages;
    }

private:
    static void Catch(QtMsgType type, const QMessageLogContext&, const QString& text)
    {
        if (type != QtDebugMsg && type != QtInfoMsg)
            Messages().push_back(text);
    }
    QtMessageHandler m_previous = nullptr;
};

void Enter(QWidget& widget)
{
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), widget.mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(&widget, &enter);
}

void Leave(QWidget& widget)
{
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&widget, &leave);
}

TEST(KTIconButtonSounds, HoverAndClickPlayTheirSoundsSilentlyWithoutAnOutput)
{
    const struct
    {
        const char* name;
        bool flat;
        bool enabled;
        bool sounds;
        int hoverSounds; // after enter, enter again, leave, enter
        int clickSounds; // after one click
    } rows[] = {
        {"flat", true, true, true, 2, 1},
        {"raised: no hover look, no hover sound", false, true, true, 0, 1},
        {"disabled", true, false, true, 0, 0},
        {"no sounds chosen, as after construction", true, true, false, 0, 0},
    };
    MessageCatcher::Messages().clear();
    const MessageCatcher catcher;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        KTIconButton button(QStringLiteral("Register"));
        button.resize(120, 40);
        button.SetFlat(row.flat);
        button.setEnabled(row.enabled);
        if (row.sounds)
            button.SetStandardSounds();
        QSignalSpy sounds(&button, &KTIconButton::soundStarted);
        Enter(button);
        EXPECT_EQ(button.IsHovered(), row.flat && row.enabled);
        Enter(button);
        Leave(button);
        EXPECT_FALSE(button.IsHovered());
        Enter(button);
        int hovers = 0;
        for (const auto& arguments : sounds)
            hovers += arguments.at(0).toInt() == KTIconButton::HoverSound;
        EXPECT_EQ(hovers, row.hoverSounds);
        sounds.clear();
        QTest::mouseClick(&button, Qt::LeftButton);
        ASSERT_EQ(sounds.size(), row.clickSounds);
        if (row.clickSounds) {
            EXPECT_EQ(sounds.at(0).at(0).toInt(), KTIconButton::ClickSound);
        }
    }
    EXPECT_TRUE(MessageCatcher::Messages().empty()) << MessageCatcher::Messages().front().toStdString();
}

TEST(KTIconButtonSounds, TheProgramsSoundsAreItsOwnResources)
{
    KTIconButton button;
    EXPECT_TRUE(button.GetSound(KTIconButton::HoverSound).isEmpty());
    EXPECT_TRUE(button.GetSound(KTIconButton::ClickSound).isEmpty());
    for (auto slot : {KTIconButton::HoverSound, KTIconButton::ClickSound}) {
        const QUrl sound = KTIconButton::StandardSound(slot);
        EXPECT_TRUE(QFile::exists(QLatin1Char(':') + sound.path())) << sound.toString().toStdString();
        button.SetSound(slot, sound);
        EXPECT_EQ(button.GetSound(slot), sound);
    }
    EXPECT_NE(KTIconButton::StandardSound(KTIconButton::HoverSound),
              KTIconButton::StandardSound(KTIconButton::ClickSound));
}

// The libraries mapped into this process whose file names hold `part`.
int MappedLibraries(const char* part)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return -1;
    return static_cast<int>(maps.readAll().count(part));
}

TEST(KTIconButtonSounds, TheMediaLibraryIsLoadedForTheFirstSoundOnly)
{
    // Where a sound server let an earlier test play, the library is in already.
    if (!KTSoundPlayer::IsModuleLoaded()) {
        EXPECT_EQ(MappedLibraries("libQt6Multimedia"), 0);
        EXPECT_EQ(MappedLibraries("libpulse"), 0);
    }
    ASSERT_TRUE(KTSoundPlayer::LoadModule()) << "the module is built beside the program";
    EXPECT_TRUE(KTSoundPlayer::IsModuleLoaded());
    EXPECT_GT(MappedLibraries("libQt6Multimedia"), 0);
    EXPECT_GT(MappedLibraries(KTSoundPlayer::ModuleName), 0);
}

TEST(KTIconButton, ADoubleClickCountsAsTwoClicks)
{
    KTIconButton button(QStringLiteral("Go"));
    button.resize(80, 30);
    QSignalSpy clicks(&button, &QPushButton::clicked);
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseDClick(&button, Qt::LeftButton);
    QTest::mouseRelease(&button, Qt::LeftButton);
    EXPECT_EQ(clicks.size(), 2);
}

/// A dialog with an edit and two raised icon buttons, the first the default one.
struct ButtonDialog
{
    ButtonDialog()
    {
        auto* layout = new QVBoxLayout(&dialog);
        edit = new QLineEdit(&dialog);
        first = new KTIconButton(QStringLiteral("First"), &dialog);
        second = new KTIconButton(QStringLiteral("Second"), &dialog);
        for (KTIconButton* button : {first, second}) {
            button->SetFlat(false);
            button->setMinimumSize(100, 36);
        }
        layout->addWidget(edit);
        layout->addWidget(first);
        layout->addWidget(second);
        first->setDefault(true);
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        edit->setFocus();
        QApplication::processEvents();
    }
    /// The colour of the button's top-left corner in the grabbed dialog.
    QRgb Corner(const QImage& grab, const QWidget* button) const
    {
        const QPoint at = button->mapTo(&dialog, QPoint(0, 0)) * grab.devicePixelRatio();
        return grab.pixel(at) & 0xFFFFFFu;
    }
    QDialog dialog;
    QLineEdit* edit;
    KTIconButton* first;
    KTIconButton* second;
};

TEST(KTIconButton, TheDefaultButtonIsFramedAndTakesEnter)
{
    ButtonDialog d;
    QSignalSpy firstClicks(d.first, &QPushButton::clicked);
    QSignalSpy secondClicks(d.second, &QPushButton::clicked);
    QImage grab = d.dialog.grab().toImage();
    EXPECT_EQ(d.Corner(grab, d.first), 0x000000u) << "the default button's frame";
    EXPECT_NE(d.Corner(grab, d.second), 0x000000u);

    QTest::keyClick(d.edit, Qt::Key_Return);
    EXPECT_EQ(firstClicks.size(), 1);
    EXPECT_EQ(secondClicks.size(), 0);

    // A focused button takes the default role while it has the focus.
    d.second->setFocus();
    QApplication::processEvents();
    grab = d.dialog.grab().toImage();
    EXPECT_EQ(d.Corner(grab, d.second), 0x000000u);
    QTest::keyClick(d.second, Qt::Key_Return);
    EXPECT_EQ(secondClicks.size(), 1);
}

TEST(KTIconButton, EmbossedShapeHasItsHighlightBelowRightOfItsShadow)
{
    const QColor highlight(255, 255, 255), shadow(128, 128, 128);
    QImage image(3, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(200, 0, 0, 255));     // grey level 59: dark
    image.setPixel(1, 0, qRgba(250, 250, 250, 255)); // light: left out
    image.setPixel(2, 0, qRgba(0, 0, 0, 100));       // mostly transparent: left out
    const QImage embossed = KTIconButton::Embossed(image, highlight, shadow);
    ASSERT_EQ(embossed.size(), QSize(4, 2));
    const std::vector<std::vector<QRgb>> expected{
        {shadow.rgba(), 0, 0, 0},
        {0, highlight.rgba(), 0, 0},
    };
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(embossed.pixel(x, y), expected[y][x]) << x << "," << y;

    // A picture with no dark part is embossed by its whole shape.
    QImage light(2, 1, QImage::Format_ARGB32);
    light.fill(qRgba(250, 250, 0, 255));
    const QImage shape = KTIconButton::Embossed(light, highlight, shadow);
    EXPECT_EQ(shape.pixel(0, 0), shadow.rgba());
    EXPECT_EQ(shape.pixel(1, 0), shadow.rgba());
    EXPECT_EQ(shape.pixel(2, 1), highlight.rgba());
}

int CountColour(const QImage& image, QRgb colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += (image.pixel(x, y) & 0xFFFFFFu) == (colour & 0xFFFFFFu);
    return count;
}

TEST(KTIconButton, ADisabledButtonShowsItsPictureAndTextEmbossed)
{
    QImage picture(12, 12, QImage::Format_ARGB32);
    picture.fill(qRgba(200, 0, 0, 255));
    const int grey = static_cast<int>(0.299 * 200);
    const struct
    {
        const char* name;
        bool enabled;
        bool embossed;
        bool red, shadow, grey;
    } rows[] = {
        {"enabled", true, true, true, false, false},
        {"disabled, embossed", false, true, false, true, false},
        {"disabled, grey", false, false, false, false, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QDialog dialog;
        auto* layout = new QVBoxLayout(&dialog);
        auto* button = new KTIconButton(QStringLiteral("Newsletter"), &dialog);
        button->setMinimumSize(140, 40);
        button->SetImages(picture);
        button->SetDrawDisabledEmbossed(row.embossed);
        layout->addWidget(button);
        button->setEnabled(row.enabled);
        dialog.show();
        QApplication::processEvents();
        const QImage grab = dialog.grab().toImage();
        const QPalette palette = button->palette();
        EXPECT_EQ(CountColour(grab, qRgb(200, 0, 0)) >= 100, row.red);
        EXPECT_EQ(CountColour(grab, palette.color(QPalette::Active, QPalette::Dark).rgb()) >= 100,
                  row.shadow);
        EXPECT_EQ(CountColour(grab, qRgb(grey, grey, grey)) >= 100, row.grey);
        // Disabled text: highlight ink, lighter than the button's face, beside the shadow ink.
        const int face = qGray(palette.color(QPalette::Active, QPalette::Button).rgb());
        int lighter = 0;
        for (int y = 0; y < grab.height(); ++y)
            for (int x = 0; x < grab.width(); ++x)
                lighter += qGray(grab.pixel(x, y)) > face + 6;
        EXPECT_EQ(lighter > 20, !row.enabled) << lighter;
    }
}

} // namespace
