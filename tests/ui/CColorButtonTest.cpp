#include "ui/CColorButton.h"

#include "ui/CColorPopup.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// Every signal of a button, in the order it came, as "name colour".
class SignalLog
{
public:
    explicit SignalLog(CColorButton& button)
    {
        Watch(button, &CColorButton::colorPickSelChange, "selchange");
        Watch(button, &CColorButton::colorPickDropDown, "dropdown");
        Watch(button, &CColorButton::colorPickCloseUp, "closeup");
        Watch(button, &CColorButton::colorPickOk, "ok");
        Watch(button, &CColorButton::colorPickCancel, "cancel");
    }
    std::vector<std::string> entries;

private:
    void Watch(CColorButton& button, void (CColorButton::*signal)(COLORREF), const char* name)
    {
        QObject::connect(&button, signal, [this, name](COLORREF colour) {
            char text[40];
            std::snprintf(text, sizeof text, "%s %06X", name, static_cast<unsigned>(colour));
            entries.push_back(text);
        });
    }
};

class ColorButtonTest : public ::testing::Test
{
protected:
    ColorButtonTest()
    {
        window.resize(300, 200);
        button.setGeometry(20, 20, 60, 24);
        window.show();
        previousHook = CColorPopup::SetColorDialogHook([this](COLORREF& colour, QWidget*) {
            ++dialogs;
            dialogStart = colour;
            if (!dialogAnswer)
                return false;
            colour = dialogColour;
            return true;
        });
    }
    ~ColorButtonTest() override
    {
        CColorPopup::SetColorDialogHook(previousHook);
        QApplication::processEvents();
    }

    CColorPopup& Open(COLORREF colour)
    {
        button.SetColor(colour);
        QTest::mouseClick(&button, Qt::LeftButton);
        CColorPopup* popup = button.GetPopup();
        EXPECT_NE(popup, nullptr);
        return *popup;
    }
    static QPoint Centre(const QRect& rect) { return rect.center(); }

    QWidget window;
    CColorButton button{&window};
    CColorPopup::ColorDialogHook previousHook;
    int dialogs = 0;
    COLORREF dialogStart = 0;
    bool dialogAnswer = true;
    COLORREF dialogColour = RGB(1, 2, 3);
};

TEST(ColorTable, HoldsTheFortyNamedColours)
{
    struct Row
    {
        int index;
        const char* name;
        COLORREF colour;
    };
    const Row rows[] = {
        {1, "Brown", RGB(165, 42, 0)},
        {15, "Grey - 40", RGB(102, 102, 102)},
        {35, "Pale green ", RGB(152, 251, 152)},
        {39, "White", RGB(255, 255, 255)},
    };
    for (const Row& row : rows) {
        EXPECT_STREQ(CColorPopup::GetColorName(row.index), row.name);
        EXPECT_EQ(CColorPopup::GetColor(row.index), row.colour) << row.name;
    }
    for (int i = 0; i < CColorPopup::kColorCount; ++i)
        EXPECT_EQ(CColorPopup::FindCell(CColorPopup::GetColor(i)), i) << "colours are distinct";
    EXPECT_EQ(CColorPopup::FindCell(RGB(1, 2, 3)), CColorPopup::kNone);
    EXPECT_STREQ(CColorPopup::GetColorName(40), "");
}

TEST_F(ColorButtonTest, NewButtonHoldsAutomatic)
{
    CColorButton fresh;
    EXPECT_EQ(fresh.GetColor(), COLORPICK_AUTOMATIC);
    EXPECT_EQ(fresh.GetDefaultText(), "Automatic");
    EXPECT_EQ(fresh.GetCustomText(), "More Colors...");
    EXPECT_FALSE(fresh.IsPopupOpen());
    EXPECT_FALSE(fresh.GetTrackSelection());
    EXPECT_EQ(fresh.GetShownColor(), fresh.GetDefaultColor());
}

TEST_F(ColorButtonTest, ClickOpensThePopupBelowTheButton)
{
    SignalLog log(button);
    CColorPopup& popup = Open(RGB(0, 0, 255));
    EXPECT_TRUE(button.IsPopupOpen());
    EXPECT_TRUE(popup.isVisible());
    EXPECT_EQ(QApplication::activePopupWidget(), &popup);
    EXPECT_EQ(popup.pos(), button.mapToGlobal(QPoint(0, button.height())));
    EXPECT_EQ(popup.GetChosenIndex(), 13);
    EXPECT_EQ(popup.GetHotIndex(), CColorPopup::kNone);
    EXPECT_EQ(log.entries, std::vector<std::string>{"dropdown FF0000"});
}

TEST_F(ColorButtonTest, PopupLayoutFollowsTheBoxSizeAndTexts)
{
    const int margin = 2;
    const int box = 18;
    {
        CColorPopup& bare = *new CColorPopup(QPoint(10, 10), 0, &button, "", "");
        EXPECT_EQ(bare.size(), QSize(2 * margin + 8 * box, 2 * margin + 5 * box));
        EXPECT_EQ(bare.GetCellRect(0), QRect(margin, margin, box, box));
        EXPECT_EQ(bare.GetCellRect(13), QRect(5 * box + margin, box + margin, box, box));
        EXPECT_TRUE(bare.GetAutomaticRect().isNull());
        EXPECT_TRUE(bare.GetCustomRect().isNull());
        bare.close();
    }
    CColorPopup& full = *new CColorPopup(QPoint(10, 10), 0, &button, "Automatic", "More Colors...");
    const QFontMetrics metrics(QApplication::font("QMessageBox"));
    const int textHeight = metrics.height() + 4 * margin + 2;
    const int width = std::max(2 * margin + 8 * box, std::max(metrics.horizontalAdvance("Automatic"),
                                                              metrics.horizontalAdvance("More Colors...")) +
                                                         2 * margin);
    const QRect automatic(margin, margin, width - 2 * margin, textHeight + margin);
    EXPECT_EQ(full.GetAutomaticRect(), automatic);
    EXPECT_EQ(full.GetCellRect(0), QRect(margin, margin + automatic.height() + margin, box, box));
    const int heightBeforeCustom = 2 * margin + 5 * box + automatic.height() + 2 * margin;
    EXPECT_EQ(full.GetCustomRect(),
              QRect(margin, heightBeforeCustom, width - 2 * margin, margin + textHeight));
    EXPECT_EQ(full.size(), QSize(width, heightBeforeCustom + margin + textHeight + 2 * margin));
    // Every cell and box answers to its own centre.
    for (int i = 0; i < CColorPopup::kColorCount; ++i)
        EXPECT_EQ(full.IndexAt(Centre(full.GetCellRect(i))), i);
    EXPECT_EQ(full.IndexAt(Centre(automatic)), CColorPopup::kAutomaticBox);
    EXPECT_EQ(full.IndexAt(Centre(full.GetCustomRect())), CColorPopup::kCustomBox);
    EXPECT_EQ(full.IndexAt(QPoint(0, 0)), CColorPopup::kNone);
    full.close();
}

TEST_F(ColorButtonTest, ChoosingACellWithTheMouse)
{
    SignalLog log(button);
    CColorPopup& popup = Open(RGB(0, 0, 0));
    const QPoint blue = Centre(popup.GetCellRect(13));
    QTest::mouseMove(&popup, QPoint(1, 1)); // a move to where the pointer already is goes unseen
    QTest::mouseMove(&popup, blue);
    EXPECT_EQ(popup.GetHotIndex(), 13);
    QTest::mouseClick(&popup, Qt::LeftButton, {}, blue);
    QApplication::processEvents();
    EXPECT_EQ(button.GetColor(), RGB(0, 0, 255));
    EXPECT_FALSE(button.IsPopupOpen());
    EXPECT_EQ(button.GetPopup(), nullptr);
    const std::vector<std::string> expected = {"dropdown 000000", "selchange FF0000", "closeup FF0000",
                                               "ok FF0000", "selchange FF0000"};
    EXPECT_EQ(log.entries, expected);
}

TEST_F(ColorButtonTest, ClickOutsideCancels)
{
    SignalLog log(button);
    CColorPopup& popup = Open(RGB(255, 0, 0));
    popup.ChangeSelection(5);
    QTest::mouseClick(&popup, Qt::LeftButton, {}, QPoint(-5, -5));
    QApplication::processEvents();
    EXPECT_EQ(button.GetColor(), RGB(255, 0, 0));
    const std::vector<std::string> expected = {"dropdown 0000FF", "selchange 8B0000", "closeup 0000FF",
                                               "cancel 0000FF"};
    EXPECT_EQ(log.entries, expected);
}

TEST_F(ColorButtonTest, KeyboardWalksTheGridAndTheBoxes)
{
    struct Row
    {
        int from;
        int key;
        int to;
    };
    const int A = CColorPopup::kAutomaticBox;
    const int M = CColorPopup::kCustomBox;
    const Row rows[] = {
        {CColorPopup::kNone, Qt::Key_Left, 0},
        {9, Qt::Key_Left, 8},
        {8, Qt::Key_Left, 7},
        {0, Qt::Key_Left, A},
        {M, Qt::Key_Left, 39},
        {A, Qt::Key_Left, M},
        {12, Qt::Key_Up, 4},
        {4, Qt::Key_Up, A},
        {M, Qt::Key_Up, 39},
        {A, Qt::Key_Up, M},
        {7, Qt::Key_Right, 8},
        {38, Qt::Key_Right, 39},
        {39, Qt::Key_Right, M},
        {A, Qt::Key_Right, 0},
        {M, Qt::Key_Right, A},
        {4, Qt::Key_Down, 12},
        {35, Qt::Key_Down, M},
        {A, Qt::Key_Down, 0},
        {M, Qt::Key_Down, A},
    };
    CColorPopup& popup = Open(RGB(0, 0, 0));
    for (const Row& row : rows) {
        if (row.from != CColorPopup::kNone)
            popup.ChangeSelection(row.from);
        QTest::keyClick(&popup, static_cast<Qt::Key>(row.key));
        EXPECT_EQ(popup.GetHotIndex(), row.to) << "from " << row.from << " key " << row.key;
    }
    QTest::keyClick(&popup, Qt::Key_Escape);
}

TEST_F(ColorButtonTest, KeyboardWithoutBoxesStaysInTheGrid)
{
    button.SetDefaultText("");
    button.SetCustomText("");
    CColorPopup& popup = Open(RGB(0, 0, 0));
    const std::pair<int, int> moves[] = {
        {Qt::Key_Left, 39}, {Qt::Key_Right, 0}, {Qt::Key_Up, 39}, {Qt::Key_Down, 0}};
    for (const auto& [key, to] : moves) {
        popup.ChangeSelection(key == Qt::Key_Left || key == Qt::Key_Up ? 0 : 39);
        if (key == Qt::Key_Up)
            popup.ChangeSelection(3);
        if (key == Qt::Key_Down)
            popup.ChangeSelection(35);
        QTest::keyClick(&popup, static_cast<Qt::Key>(key));
        EXPECT_EQ(popup.GetHotIndex(), to) << key;
    }
    QTest::keyClick(&popup, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(button.GetColor(), RGB(0, 0, 0)); // cell 0 was hot
}

TEST_F(ColorButtonTest, ReturnTakesTheHotColourAndEscapeKeepsTheOld)
{
    CColorPopup& first = Open(RGB(255, 255, 255));
    first.ChangeSelection(16);
    QTest::keyClick(&first, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(button.GetColor(), RGB(255, 0, 0));

    CColorPopup& second = Open(RGB(255, 255, 255));
    second.ChangeSelection(18);
    QTest::keyClick(&second, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(button.GetColor(), RGB(255, 255, 255));
}

TEST_F(ColorButtonTest, AutomaticIsChosenAndPaintsTheDefaultColour)
{
    button.SetDefaultColor(RGB(10, 200, 30));
    CColorPopup& popup = Open(COLORPICK_AUTOMATIC);
    EXPECT_EQ(popup.GetChosenIndex(), CColorPopup::kAutomaticBox);
    popup.ChangeSelection(22);
    popup.ChangeSelection(CColorPopup::kAutomaticBox);
    EXPECT_EQ(popup.GetSelectedColor(), COLORPICK_AUTOMATIC);
    QTest::keyClick(&popup, Qt::Key_Space);
    QApplication::processEvents();
    EXPECT_EQ(button.GetColor(), COLORPICK_AUTOMATIC);
    EXPECT_EQ(button.GetShownColor(), RGB(10, 200, 30));
    const QImage face = button.grab().toImage();
    EXPECT_EQ(face.pixelColor(12, 12), QColor(10, 200, 30));
}

TEST_F(ColorButtonTest, ChosenIndexOfColoursOutsideTheTable)
{
    struct Row
    {
        const char* defaultText;
        const char* customText;
        COLORREF colour;
        int chosen;
    };
    const Row rows[] = {
        {"Automatic", "More Colors...", RGB(1, 2, 3), CColorPopup::kCustomBox},
        {"Automatic", "", RGB(1, 2, 3), CColorPopup::kNone},
        {"", "More Colors...", COLORPICK_AUTOMATIC, CColorPopup::kCustomBox},
        {"", "", COLORPICK_AUTOMATIC, CColorPopup::kNone},
        {"", "", RGB(255, 215, 0), 25},
    };
    for (const Row& row : rows) {
        auto* popup = new CColorPopup(QPoint(10, 10), row.colour, &button, row.defaultText, row.customText);
        EXPECT_EQ(popup->GetChosenIndex(), row.chosen);
        popup->close();
    }
}

TEST_F(ColorButtonTest, MoreColorsAsksTheDialog)
{
    SignalLog log(button);
    CColorPopup& popup = Open(RGB(0, 0, 139));
    popup.ChangeSelection(CColorPopup::kCustomBox);
    EXPECT_EQ(popup.GetSelectedColor(), RGB(0, 0, 139));
    QTest::keyClick(&popup, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(dialogStart, RGB(0, 0, 139));
    EXPECT_EQ(button.GetColor(), RGB(1, 2, 3));
    const std::vector<std::string> expected = {"dropdown 8B0000", "selchange 8B0000", "closeup 030201",
                                               "ok 030201", "selchange 030201"};
    EXPECT_EQ(log.entries, expected);
}

TEST_F(ColorButtonTest, CancellingTheDialogCancelsTheChoice)
{
    dialogAnswer = false;
    SignalLog log(button);
    CColorPopup& popup = Open(RGB(0, 0, 139));
    popup.ChangeSelection(CColorPopup::kCustomBox);
    popup.EndSelection(true);
    QApplication::processEvents();
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(button.GetColor(), RGB(0, 0, 139));
    EXPECT_EQ(log.entries.back(), "cancel 8B0000");
}

TEST_F(ColorButtonTest, LeavingTheApplicationOrClosingCancels)
{
    CColorPopup& first = Open(RGB(0, 0, 255));
    first.ChangeSelection(0);
    first.OnActivateApp(false);
    QApplication::processEvents();
    EXPECT_FALSE(button.IsPopupOpen());
    EXPECT_EQ(button.GetColor(), RGB(0, 0, 255));

    CColorPopup& second = Open(RGB(0, 0, 255));
    second.ChangeSelection(0);
    second.close();
    QApplication::processEvents();
    EXPECT_FALSE(button.IsPopupOpen());
    EXPECT_EQ(button.GetColor(), RGB(0, 0, 255));
}

TEST_F(ColorButtonTest, TrackingFollowsThePointerUntilCancel)
{
    button.SetTrackSelection(true);
    CColorPopup& popup = Open(RGB(0, 0, 255));
    popup.ChangeSelection(26);
    EXPECT_EQ(button.GetColor(), RGB(255, 255, 0));
    popup.EndSelection(false);
    QApplication::processEvents();
    EXPECT_EQ(button.GetColor(), RGB(0, 0, 255));
}

TEST_F(ColorButtonTest, PopupStaysOnTheScreen)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const int buttonTop = button.mapToGlobal(QPoint(0, 0)).y();
    CColorPopup& low = *new CColorPopup(QPoint(screen.right() - 5, screen.bottom() - 5), 0, &button,
                                        "Automatic", "More Colors...");
    EXPECT_EQ(low.geometry().right(), screen.right());
    EXPECT_EQ(low.geometry().bottom() + 1, buttonTop);
    low.close();
    CColorPopup& left = *new CColorPopup(QPoint(screen.left() - 40, screen.top() + 5), 0, &button, "", "");
    EXPECT_EQ(left.x(), screen.left());
    left.close();
}

TEST_F(ColorButtonTest, ButtonPaintsTheSwatch)
{
    button.SetColor(RGB(255, 104, 32));
    const QImage face = button.grab().toImage();
    EXPECT_EQ(face.pixelColor(12, 12), QColor(255, 104, 32));
    button.setEnabled(false);
    const QImage disabled = button.grab().toImage();
    EXPECT_NE(disabled.pixelColor(12, 12), QColor(255, 104, 32));
}

TEST(DDXColorButton, MovesTheColourBothWays)
{
    CColorButton button;
    COLORREF value = RGB(50, 205, 50);
    DDX_ColorButton(false, button, value);
    EXPECT_EQ(button.GetColor(), RGB(50, 205, 50));
    button.SetColor(COLORPICK_AUTOMATIC);
    DDX_ColorButton(true, button, value);
    EXPECT_EQ(value, COLORPICK_AUTOMATIC);
}

} // namespace
