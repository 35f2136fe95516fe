// The Functions command end to end: Quick Entry on a copy of the graph data, OK, and the view's
// next paint shows the typed equations.

#include "app/CChildFrame.h"
#include "app/CMainFrame.h"
#include "app/KTCommandIds.h"
#include "app/KTG300Doc.h"
#include "app/KTG300View.h"
#include "engine/KTFunction3.h"
#include "graph/KTGraph3.h"
#include "platform/KTDC.h"
#include "platform/KTMessageBox.h"
#include "support/KTTestSupport.h"
#include "ui/KTQuickEntry.h"

#include <QAction>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Answers the dialog by typing the equations (one per line) and pressing OK or Cancel.
class TypingHook
{
public:
    TypingHook(std::vector<const char*> lines, bool ok)
    {
        m_previous = KTQuickEntry::SetModalHook([lines, ok, this](KTQuickEntry& dialog) {
            ++m_calls;
            dialog.EquationEdit()->selectAll();
            for (std::size_t i = 0; i < lines.size(); ++i) {
                if (i > 0)
                    QTest::keyClick(dialog.EquationEdit(), Qt::Key_Return);
                QTest::keyClicks(dialog.EquationEdit(), lines[i]);
            }
            if (ok)
                dialog.OnOK();
            else
                dialog.reject();
            return dialog.result();
        });
    }
    ~TypingHook() { KTQuickEntry::SetModalHook(m_previous); }
    int Calls() const { return m_calls; }

private:
    KTQuickEntry::ModalHook m_previous;
    int m_calls = 0;
};

CString FunctionText(const KTG300Doc& document, int slot)
{
    return document.Graph().Data().Function(slot).Data().m_equationText;
}

// Dark pixels within `radius` of the pixel of a graph point of the last paint.
int InkNear(const QImage& image, KTG300Doc& document, const QWidget& view, double x, double y, int radius = 3)
{
    CPoint point = document.Graph().Axes().GraphToDevice(x, y, 0, 0);
    KTDC measure(view.logicalDpiX(), view.logicalDpiY(), CSize(view.width(), view.height()));
    measure.SetMapMode(MM_HIMETRIC);
    measure.LPtoDP(&point);
    int ink = 0;
    for (int py = point.y - radius; py <= point.y + radius; ++py)
        for (int px = point.x - radius; px <= point.x + radius; ++px)
            if (image.valid(px, py) && qGray(image.pixel(px, py)) < 160)
                ++ink;
    return ink;
}

TEST(KTG300DocEditFunctions, TypedEquationsArePlottedAtTheNextPaint)
{
    KTG300Doc document;
    document.OnNewDocument();
    KTG300View view(document);
    view.resize(600, 450);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QTest::qWait(50);
    ASSERT_FALSE(document.IsModified());

    TypingHook hook({"y = x^2", "x^2 + y^2 = 9"}, true);
    view.OnEditFunctions();
    ASSERT_EQ(hook.Calls(), 1);
    EXPECT_EQ(FunctionText(document, 0), "y = x^2");
    EXPECT_EQ(FunctionText(document, 1), "x^2 + y^2 = 9");
    EXPECT_EQ(FunctionText(document, 2), "");
    EXPECT_TRUE(document.IsModified());
    EXPECT_EQ(document.Graph().Data().m_dirty, 2);

    const QImage image = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (const QByteArray folder = qgetenv("KT_TEST_IMAGES"); !folder.isEmpty())
        image.save(QString::fromLocal8Bit(folder) + QStringLiteral("/quick-entry-plot.png"));
    EXPECT_EQ(document.Graph().Data().m_dirty, 0);
    // On the parabola and on the circle of radius 3, away from the axes.
    for (double x : {1.5, -2.5, 2.8})
        EXPECT_GT(InkNear(image, document, view, x, x * x), 0) << "parabola at " << x;
    for (double angle : {0.7, 2.5, 4.0, 5.5})
        EXPECT_GT(InkNear(image, document, view, 3 * std::cos(angle), 3 * std::sin(angle)), 0)
            << "circle at " << angle;
    // Nothing where no curve passes.
    for (auto [x, y] : {std::pair{-6.0, 7.0}, std::pair{6.0, -7.0}, std::pair{-6.5, -6.5}})
        EXPECT_EQ(InkNear(image, document, view, x, y), 0) << x << ", " << y;
}

TEST(KTG300DocEditFunctions, CancelChangesNothing)
{
    KTG300Doc document;
    document.OnNewDocument();
    document.Graph().Data().Function(0).Data().m_equationText = "y = 3";
    document.Graph().Data().m_dirty = 0;
    TypingHook hook({"y = x^2"}, false);
    EXPECT_FALSE(document.EditFunctions());
    EXPECT_EQ(hook.Calls(), 1);
    EXPECT_EQ(FunctionText(document, 0), "y = 3");
    EXPECT_FALSE(document.IsModified());
    EXPECT_EQ(document.Graph().Data().m_dirty, 0);
}

TEST(KTG300DocEditFunctions, DialogOpensOnTheDocumentsData)
{
    KTG300Doc document;
    document.OnNewDocument();
    document.Graph().Data().Function(0).Data().m_equationText = "y = 3";
    document.Graph().Data().Function(4).Data().m_equationText = "r = 2";
    document.Graph().Data().m_options.m_axes.m_xMaxShowS.SetValue("5");
    QString shown;
    QString xMax;
    auto previous = KTQuickEntry::SetModalHook([&](KTQuickEntry& dialog) {
        shown = dialog.EquationEdit()->toPlainText();
        xMax = dialog.XMaxEdit()->text();
        dialog.OnOK();
        return dialog.result();
    });
    EXPECT_TRUE(document.EditFunctions());
    KTQuickEntry::SetModalHook(previous);
    EXPECT_EQ(shown, "y = 3\n\n\n\nr = 2\n\n\n\n\n");
    EXPECT_EQ(xMax, "5");
    // OK with nothing changed keeps the texts and the range.
    EXPECT_EQ(FunctionText(document, 4), "r = 2");
    EXPECT_EQ(document.Graph().Data().m_options.m_axes.m_xMaxShowS.m_value, "5");
    EXPECT_TRUE(document.IsModified());
}

// Types the lines one after another, each Return making a new line, as the user types them.
void TypeLines(QPlainTextEdit* edit, const std::vector<const char*>& lines)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            QTest::keyClick(edit, Qt::Key_Return);
        QTest::keyClicks(edit, lines[i]);
    }
}

// Clears the text of one line with the keyboard: Home, then Shift+End and Delete.
void ClearLine(QPlainTextEdit* edit, int line)
{
    QTextCursor cursor(edit->document()->findBlockByNumber(line));
    edit->setTextCursor(cursor);
    QTest::keyClick(edit, Qt::Key_End, Qt::ShiftModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
}

TEST(KTG300DocEditFunctions, TwelveTypedLinesAreNeverDroppedWithoutTheUsersSay)
{
    KTG300Doc document;
    document.OnNewDocument();
    const std::vector<const char*> twelve = {"y=1", "y=2", "y=3", "y=4",  "y=5",   "y=6",
                                             "y=7", "y=8", "y=9", "y=10", "y=x^2", "y=x^3"};
    int asked = 0;
    auto previous = KTQuickEntry::SetModalHook([&](KTQuickEntry& dialog) {
        QPlainTextEdit* edit = dialog.EquationEdit();
        edit->selectAll();
        TypeLines(edit, twelve);
        {
            // No: the dialog stays open on the first line that has no place.
            kttest::MessageBoxRecorder boxes(IDNO);
            QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
            EXPECT_EQ(boxes.Boxes().size(), 1u);
            if (!boxes.Boxes().empty()) {
                EXPECT_EQ(boxes.Boxes()[0].type, MB_YESNO | MB_ICONQUESTION);
                EXPECT_EQ(boxes.Boxes()[0].text,
                          "KT Graph holds ten functions, and no empty line is left for 2 more:\n\n"
                          "y=x^2\ny=x^3\n\nLeave them out?");
            }
            asked += static_cast<int>(boxes.Boxes().size());
            EXPECT_EQ(dialog.result(), 0);
            EXPECT_EQ(edit->textCursor().blockNumber(), 10);
        }
        // Room made for both: OK asks nothing and every typed line is kept.
        ClearLine(edit, 2);
        ClearLine(edit, 6);
        kttest::MessageBoxRecorder none;
        QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
        EXPECT_TRUE(none.Boxes().empty());
        return dialog.result();
    });
    EXPECT_TRUE(document.EditFunctions());
    EXPECT_EQ(asked, 1);
    const char* expected[] = {"y=1", "y=2", "y=x^2", "y=4", "y=5", "y=6", "y=x^3", "y=8", "y=9", "y=10"};
    for (int slot = 0; slot < 10; ++slot)
        EXPECT_EQ(FunctionText(document, slot), expected[slot]) << slot;

    // Yes: the user lets the further lines go, and only then are they left out.
    document.SetModifiedFlag(false);
    KTQuickEntry::SetModalHook([&](KTQuickEntry& dialog) {
        dialog.EquationEdit()->selectAll();
        TypeLines(dialog.EquationEdit(), twelve);
        kttest::MessageBoxRecorder boxes(IDYES);
        QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
        EXPECT_EQ(boxes.Boxes().size(), 1u);
        return dialog.result();
    });
    EXPECT_TRUE(document.EditFunctions());
    KTQuickEntry::SetModalHook(previous);
    for (int slot = 0; slot < 10; ++slot)
        EXPECT_EQ(FunctionText(document, slot), twelve[static_cast<std::size_t>(slot)]) << slot;
    EXPECT_TRUE(document.IsModified());
}

TEST(KTG300DocEditFunctions, ALineAppendedBelowTheTenTakesTheFirstUnusedFunction)
{
    KTG300Doc document;
    document.OnNewDocument();
    document.Graph().Data().Function(0).Data().m_equationText = "y = x";
    document.Graph().Data().Function(1).Data().m_equationText = "y = -x";
    auto previous = KTQuickEntry::SetModalHook([&](KTQuickEntry& dialog) {
        // Ctrl+End: after the tenth line, then a new line of its own.
        QTest::keyClick(dialog.EquationEdit(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(dialog.EquationEdit(), Qt::Key_Return);
        QTest::keyClicks(dialog.EquationEdit(), "y = x^3");
        EXPECT_EQ(dialog.EquationEdit()->textCursor().blockNumber(), 10);
        kttest::MessageBoxRecorder none;
        dialog.OnOK();
        EXPECT_TRUE(none.Boxes().empty());
        return dialog.result();
    });
    EXPECT_TRUE(document.EditFunctions());
    KTQuickEntry::SetModalHook(previous);
    EXPECT_EQ(FunctionText(document, 0), "y = x");
    EXPECT_EQ(FunctionText(document, 1), "y = -x");
    EXPECT_EQ(FunctionText(document, 2), "y = x^3");
    for (int slot = 3; slot < 10; ++slot)
        EXPECT_EQ(FunctionText(document, slot), "") << slot;
}

TEST(KTG300DocEditFunctions, MenuAndToolbarCommand)
{
    CMainFrame frame(nullptr);
    QAction* action = frame.Action(KTCommand::EditFunctions);
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->text(), "&Functions");
    EXPECT_TRUE(frame.ToolBar()->actions().contains(action));
    EXPECT_FALSE(action->isEnabled());

    KTG300Doc* document = frame.OnFileNew();
    ASSERT_NE(document, nullptr);
    EXPECT_TRUE(action->isEnabled());
    TypingHook hook({"y = 2x + 1"}, true);
    action->trigger();
    EXPECT_EQ(hook.Calls(), 1);
    EXPECT_EQ(FunctionText(*document, 0), "y = 2x + 1");
    EXPECT_TRUE(document->IsModified());
    // Leave without the question a modified document asks.
    document->SetModifiedFlag(false);
}

} // namespace
