// A function that cannot be drawn says why where it is typed: Quick Entry and Function
// Properties show interpretation's message beside the preview while the user types, and no
// box. The whole dialog is grabbed as the user sees it and written under the build folder.

#include "ui/KTFunctionDlg.h"
#include "ui/KTQuickEntry.h"

#include "engine/KTFunction3.h"
#include "support/KTTestSupport.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <string>

namespace {

struct MessageRow
{
    const char* typed;
    const char* message; ///< "" when the line reads without a word
};

const char* const kFourierSum =
    "y=sin(x)+sin(2x)/2+sin(3x)/3+sin(4x)/4+sin(5x)/5+sin(6x)/6+sin(7x)/7+sin(8x)/8+sin(9x)/9";
// 256 typed characters, "y=x+x+...+xx": one more than an equation may have.
std::string TooLongSum()
{
    std::string text = "y=";
    for (int i = 0; i < 126; ++i)
        text += "x+";
    return text + "xx";
}
const std::string kTooLong = TooLongSum();

// Messages of interpretation for what a user types; the texts are the system's own.
const MessageRow kRows[] = {
    {kFourierSum, ""},
    {kTooLong.c_str(), "Equation too long (more than 255 characters)"},
    {"y=2x+", "Can not interpret equation"},
    {"y=foo(x)", "Can not interpret equation"},
    {"y=x; [3, 1]", "Not a valid domain"},
    {"y=x; x>1; x<2", "Too many domains"},
    {"y=+-x+-1", "More than one +- in equation"},
    {"y=x+t", "Invalid combination of variables"},
    {"r=sin(r th)", "Please rearrange equation to r = or th ="},
    {"y=1/(0)", "Function undefined - Division by 0"},
    {"y=x^2", ""},
    {"y=log10(x)", ""},
    {"x*y=0", ""},
    // Sides equal everywhere in the view draw nothing, and say why; curves that only look alike
    // say nothing.
    {"sin(x+y)=sin(x)cos(y)+cos(x)sin(y)", "The two sides are equal everywhere in view"},
    {"(x+y)^2=x^2+2xy+y^2", "The two sides are equal everywhere in view"},
    {"x^2=y^2", ""},
    {"sin(x)=sin(y)", ""},
    {"x^y=y^x", ""},
    {"", ""},
};

void SavePicture(QWidget& dialog, const char* name)
{
    QDir().mkpath(QStringLiteral(KT_UI_PICTURE_DIR));
    dialog.grab().save(QStringLiteral(KT_UI_PICTURE_DIR "/") + QString::fromLatin1(name));
}

/// Counts the pixels of the message's dark red in the grabbed top-level dialog.
int RedPixels(QWidget& dialog)
{
    const QImage image = dialog.window()->grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            count += qRed(p) > 120 && qGreen(p) < 60 && qBlue(p) < 60 ? 1 : 0;
        }
    return count;
}

/// Types the text key by key over what the edit holds.
void Retype(QWidget* edit, const char* text)
{
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, QString::fromLatin1(text));
}

/// Types every row into the edit and checks the message the dialog shows, in its text and in
/// the dialog's picture.
template <class Dialog> void ExpectMessagesWhileTyping(Dialog& dialog, QWidget* edit)
{
    for (const MessageRow& row : kRows) {
        Retype(edit, row.typed);
        EXPECT_EQ(dialog.MessageLabel()->text(), QString::fromLatin1(row.message)) << row.typed;
        EXPECT_EQ(RedPixels(dialog) > 0, *row.message != 0) << row.typed;
    }
}

} // namespace

TEST(KTInterpretMessage, QuickEntrySaysWhyTheCaretsLineCannotBeDrawn)
{
    kttest::LocaleScope locale;
    kttest::MessageBoxRecorder boxes;
    KTQuickEntry dialog(nullptr, nullptr);
    dialog.OnInitDialog();
    dialog.show();
    QPlainTextEdit* edit = dialog.EquationEdit();
    ExpectMessagesWhileTyping(dialog, edit);
    Retype(edit, "y=2x+");
    SavePicture(dialog, "quick-entry-message.png");
    // The message follows the caret from line to line.
    edit->setPlainText(QStringLiteral("y=x^2\ny=foo(x)\ny=x; [3, 1]"));
    const char* expected[] = {"", "Can not interpret equation", "Not a valid domain"};
    for (int line = 0; line < 3; ++line) {
        QTextCursor cursor = edit->textCursor();
        cursor.setPosition(edit->document()->findBlockByNumber(line).position());
        edit->setTextCursor(cursor);
        dialog.OnTimer();
        EXPECT_EQ(dialog.MessageLabel()->text(), QString::fromLatin1(expected[line])) << line;
    }
    EXPECT_TRUE(boxes.Boxes().empty()); // never a box while typing

    // A long sum is typeset and read; the preview shrinks it to fit.
    edit->setPlainText(QString::fromLatin1(kFourierSum));
    dialog.OnTimer();
    EXPECT_EQ(dialog.MessageLabel()->text(), QString());
    SavePicture(dialog, "quick-entry-long-equation.png");
    // An eleventh line takes the first empty line's function, and says so.
    edit->setPlainText(QStringLiteral("y=x\n\n\n\n\n\n\n\n\ny=x^2\ny=x^3"));
    edit->moveCursor(QTextCursor::End);
    dialog.OnTimer();
    EXPECT_EQ(dialog.MessageLabel()->text(),
              QStringLiteral("This line becomes function 2: its own line is empty"));
    SavePicture(dialog, "quick-entry-eleven-lines.png");
    // With every line taken there is no place for it: the dialog says the graph holds ten.
    edit->setPlainText(QStringLiteral("y=x\ny=2\ny=3\ny=4\ny=5\ny=6\ny=7\ny=8\ny=9\ny=x^2\ny=x^3"));
    edit->moveCursor(QTextCursor::End);
    dialog.OnTimer();
    EXPECT_EQ(dialog.MessageLabel()->text(), QString::fromLatin1(KTQuickEntry::TenFunctionsMessage));
    SavePicture(dialog, "quick-entry-no-room.png");
}

TEST(KTInterpretMessage, FunctionPropertiesSaysWhyTheFunctionCannotBeDrawn)
{
    kttest::LocaleScope locale;
    kttest::MessageBoxRecorder boxes;
    KTFunctionDlg dialog;
    dialog.m_functionNumber = 1;
    dialog.OnInitDialog();
    dialog.show();
    ExpectMessagesWhileTyping(dialog, dialog.EquationEdit());
    // The domain typed in its own edit is read with the equation.
    dialog.EquationEdit()->setText(QStringLiteral("y=x"));
    QTest::keyClicks(dialog.DomainEdit(), QStringLiteral("[3, 1]"));
    EXPECT_EQ(dialog.MessageLabel()->text(), QStringLiteral("Not a valid domain"));
    SavePicture(dialog, "function-properties-message.png");
    dialog.DomainEdit()->setText(QStringLiteral("[1, 3]"));
    EXPECT_EQ(dialog.MessageLabel()->text(), QString());
    dialog.EquationEdit()->setText(QString::fromStdString(kTooLong));
    dialog.DomainEdit()->setText(QString());
    EXPECT_EQ(dialog.MessageLabel()->text(), QStringLiteral("Equation too long (more than 255 characters)"));
    SavePicture(dialog, "function-properties-too-long.png");
    dialog.EquationEdit()->setText(QStringLiteral("(x+y)^2=x^2+2xy+y^2"));
    EXPECT_EQ(dialog.MessageLabel()->text(), QStringLiteral("The two sides are equal everywhere in view"));
    SavePicture(dialog, "function-properties-equal-everywhere.png");
    EXPECT_TRUE(boxes.Boxes().empty());
}
