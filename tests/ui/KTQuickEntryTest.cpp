// The Quick Entry dialog driven as the user drives it: typing, the bars, the centre buttons,
// OK, "Set As Default", the expander and the live preview.

#include "ui/KTQuickEntry.h"

#include "engine/KTFunction3.h"
#include "foundation/KTOptionStore.h"
#include "graph/KTOptionGraph3.h"
#include "support/KTTestSupport.h"
#include "ui/CColorButton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <sstream>

namespace {

CString FunctionText(const KTQuickEntry& dialog, int slot)
{
    return dialog.m_data.Function(slot).Data().m_equationText;
}

std::unique_ptr<KTQuickEntry> OpenDialog(KTOptionGraph3* defaults = nullptr, KTOptionStore* store = nullptr)
{
    auto dialog = std::make_unique<KTQuickEntry>(defaults, store);
    dialog->OnInitDialog();
    return dialog;
}

// Pixels clearly darker than the dialog's face: drawn ink.
int InkPixels(QWidget* widget)
{
    const QImage image = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 160)
                ++ink;
    return ink;
}

void MoveCaretToLine(QPlainTextEdit* edit, int line)
{
    QTextCursor cursor(edit->document()->findBlockByNumber(line));
    edit->setTextCursor(cursor);
}

TEST(KTQuickEntry, OpensOnTheWorkingData)
{
    auto dialog = std::make_unique<KTQuickEntry>(nullptr, nullptr);
    dialog->m_data.Function(0).Data().m_equationText = "y = x^2";
    dialog->m_data.Function(2).Data().m_equationText = "x^2 + y^2 = 9";
    dialog->m_data.m_options.m_axes.m_xNotate.SetValue("time");
    dialog->m_data.m_options.m_axes.m_showGrid.m_value = 1;
    dialog->m_data.m_options.m_frOnly.m_value = 0;
    dialog->OnInitDialog();

    EXPECT_EQ(dialog->windowTitle(), "KT Graph - Quick Entry");
    EXPECT_EQ(dialog->EquationEdit()->toPlainText(), "y = x^2\n\nx^2 + y^2 = 9\n\n\n\n\n\n\n");
    EXPECT_EQ(dialog->EquationEdit()->textCursor().position(), 0);
    EXPECT_EQ(dialog->XAxisEdit()->text(), "time");
    EXPECT_EQ(dialog->YAxisEdit()->text(), "y");
    EXPECT_EQ(dialog->XMaxEdit()->text(), "10");
    EXPECT_EQ(dialog->YMaxEdit()->text(), "10");
    EXPECT_EQ(dialog->XAxisEdit()->maxLength(), 35);
    EXPECT_EQ(dialog->YAxisEdit()->maxLength(), 35);
    EXPECT_TRUE(dialog->ShowGridCheck()->isChecked());
    EXPECT_FALSE(dialog->AutoScaleCheck()->isChecked());
    EXPECT_EQ(dialog->AngleList()->currentIndex(), 0);
    EXPECT_EQ(dialog->AngleList()->itemText(2), "Grads");
    // The bars count minor steps: 20 across, the origin in the middle.
    EXPECT_EQ(dialog->XScrollBar()->maximum(), 20);
    EXPECT_EQ(dialog->XScrollBar()->value(), 10);
    EXPECT_EQ(dialog->YScrollBar()->maximum(), 20);
    EXPECT_EQ(dialog->YScrollBar()->value(), 10);
    EXPECT_DOUBLE_EQ(dialog->HorizontalFraction(), 0.5);
    EXPECT_DOUBLE_EQ(dialog->VerticalFraction(), 0.5);
    // Half planes: no colour and no solid shading to choose.
    EXPECT_TRUE(dialog->HalfPlanesRadio()->isChecked());
    EXPECT_FALSE(dialog->RegionColorButton()->isEnabled());
    EXPECT_FALSE(dialog->SolidShadingCheck()->isEnabled());
    // The dialogs of these buttons come later; without defaults nothing can be stored.
    EXPECT_TRUE(dialog->FunctionsButton()->isEnabled());
    EXPECT_TRUE(dialog->AxesButton()->isEnabled());
    EXPECT_TRUE(dialog->GridButton()->isEnabled());
    EXPECT_FALSE(dialog->SetAsDefaultButton()->isEnabled());
    // Collapsed: the shading group is hidden until "More >>".
    EXPECT_FALSE(dialog->Expander().IsExpanded());
    EXPECT_FALSE(dialog->HalfPlanesRadio()->isVisibleTo(dialog.get()));
    EXPECT_EQ(dialog->MoreLessButton()->text(), "More >>");
}

TEST(KTQuickEntry, AngleUnitOutOfRangeTakesTheMidpoint)
{
    auto dialog = std::make_unique<KTQuickEntry>(nullptr, nullptr);
    dialog->m_data.m_options.m_axes.m_angleSystem.m_value = 5;
    dialog->OnInitDialog();
    EXPECT_EQ(dialog->AngleList()->currentIndex(), 1);
    EXPECT_EQ(dialog->m_data.m_options.m_axes.m_angleSystem.m_value, 1);
}

TEST(KTQuickEntry, TypingAMaxAppliesTheAutomaticRule)
{
    auto dialog = OpenDialog();
    dialog->XMaxEdit()->selectAll();
    QTest::keyClicks(dialog->XMaxEdit(), "360");
    EXPECT_EQ(dialog->XMinText(), "-360");
    EXPECT_EQ(dialog->XMajorText(), "180");
    EXPECT_EQ(dialog->XMinorText(), "60");
    EXPECT_EQ(dialog->m_data.m_dirty, 2);

    // A power of ten is a number: x runs -1000..1000, a span of 2000 in 1-2-5 steps over 250.
    auto scientific = OpenDialog();
    scientific->XMaxEdit()->selectAll();
    QTest::keyClicks(scientific->XMaxEdit(), "1e3");
    EXPECT_EQ(scientific->XMinText(), "-1000");
    EXPECT_EQ(scientific->XMajorText(), "500");
    EXPECT_EQ(scientific->XMinorText(), "100");

    // Typing "0" as a max changes nothing else.
    auto other = OpenDialog();
    other->YMaxEdit()->setText("0");
    EXPECT_EQ(other->YMinText(), "-10");
    EXPECT_EQ(other->YMajorText(), "2");
    EXPECT_EQ(other->YMinorText(), "1");
}

TEST(KTQuickEntry, PanningMovesBothLimitsByOneMinorStep)
{
    auto dialog = OpenDialog();
    dialog->OnHScroll(KTQuickEntry::SB_LINEDOWN, 0);
    EXPECT_EQ(dialog->XScrollBar()->value(), 11);
    EXPECT_EQ(dialog->XMaxEdit()->text(), "9");
    EXPECT_EQ(dialog->XMinText(), "-11");
    EXPECT_EQ(dialog->XMajorText(), "5");
    EXPECT_EQ(dialog->XMinorText(), "1");
    EXPECT_DOUBLE_EQ(dialog->HorizontalFraction(), 1.0 - 11.0 / 20.0);

    // The bar's own arrows: the vertical thumb down raises both y limits.
    dialog->YScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(dialog->YScrollBar()->value(), 11);
    EXPECT_EQ(dialog->YMaxEdit()->text(), "11");
    EXPECT_EQ(dialog->YMinText(), "-9");
    dialog->XScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    dialog->XScrollBar()->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(dialog->XScrollBar()->value(), 9);
    EXPECT_EQ(dialog->XMaxEdit()->text(), "11");
    EXPECT_EQ(dialog->XMinText(), "-9");

    // The thumb goes where it is put; at the end of the range nothing moves.
    dialog->OnHScroll(KTQuickEntry::SB_THUMBPOSITION, 20);
    EXPECT_EQ(dialog->XMaxEdit()->text(), "0");
    EXPECT_EQ(dialog->XMinText(), "-20");
    dialog->OnHScroll(KTQuickEntry::SB_LINEDOWN, 0);
    EXPECT_EQ(dialog->XScrollBar()->value(), 20);
    EXPECT_EQ(dialog->XMinText(), "-20");
    dialog->OnHScroll(KTQuickEntry::SB_ENDSCROLL, 3);
    EXPECT_EQ(dialog->XScrollBar()->value(), 20);
}

TEST(KTQuickEntry, CentreButtonsCentreTheRangeOnZero)
{
    auto dialog = std::make_unique<KTQuickEntry>(nullptr, nullptr);
    dialog->m_data.m_options.m_axes.m_xMinShowS.SetValue("0");
    dialog->m_data.m_options.m_axes.m_yMaxShowS.SetValue("3");
    dialog->m_data.m_options.m_axes.m_yMinShowS.SetValue("-2");
    dialog->OnInitDialog();
    EXPECT_EQ(dialog->XScrollBar()->value(), 0);
    EXPECT_DOUBLE_EQ(dialog->HorizontalFraction(), 1.0);
    EXPECT_DOUBLE_EQ(dialog->VerticalFraction(), 0.6);

    QTest::mouseClick(dialog->CentreXButton(), Qt::LeftButton);
    EXPECT_EQ(dialog->XMaxEdit()->text(), "5");
    EXPECT_EQ(dialog->XMinText(), "-5");
    EXPECT_EQ(dialog->XScrollBar()->maximum(), 10);
    EXPECT_EQ(dialog->XScrollBar()->value(), 5);
    EXPECT_DOUBLE_EQ(dialog->HorizontalFraction(), 0.5);

    dialog->OnCentreY();
    EXPECT_EQ(dialog->YMaxEdit()->text(), "2.5");
    EXPECT_EQ(dialog->YMinText(), "-2.5");
    EXPECT_DOUBLE_EQ(dialog->VerticalFraction(), 0.4);
}

// A span typed after the bars were set up is the span the button centres.
TEST(KTQuickEntry, CentreUsesTheRangeShownNow)
{
    auto dialog = OpenDialog();
    dialog->XMaxEdit()->setText("360");
    ASSERT_EQ(dialog->XMinText(), "-360");
    dialog->OnCentreX();
    EXPECT_EQ(dialog->XMaxEdit()->text(), "360");
    EXPECT_EQ(dialog->XMinText(), "-360");
}

TEST(KTQuickEntry, AutoScaleDisablesTheMaximaAndTheBars)
{
    auto dialog = OpenDialog();
    dialog->AutoScaleCheck()->click();
    ASSERT_TRUE(dialog->AutoScaleCheck()->isChecked());
    for (QWidget* widget :
         {static_cast<QWidget*>(dialog->XMaxEdit()), static_cast<QWidget*>(dialog->YMaxEdit()),
          static_cast<QWidget*>(dialog->XScrollBar()), static_cast<QWidget*>(dialog->YScrollBar())})
        EXPECT_FALSE(widget->isEnabled()) << widget->objectName().toStdString();
    dialog->AutoScaleCheck()->click();
    EXPECT_TRUE(dialog->XMaxEdit()->isEnabled());
    EXPECT_TRUE(dialog->YScrollBar()->isEnabled());
}

TEST(KTQuickEntry, ExpanderAndShadingMode)
{
    auto dialog = OpenDialog();
    dialog->show();
    EXPECT_FALSE(dialog->FeasibleOnlyRadio()->isVisible());
    QTest::mouseClick(dialog->MoreLessButton(), Qt::LeftButton);
    EXPECT_TRUE(dialog->FeasibleOnlyRadio()->isVisible());
    EXPECT_EQ(dialog->MoreLessButton()->text(), "<< Less");
    EXPECT_TRUE(dialog->FeasibleOnlyRadio()->isChecked());
    EXPECT_TRUE(dialog->RegionColorButton()->isEnabled());

    dialog->HalfPlanesRadio()->click();
    EXPECT_FALSE(dialog->RegionColorButton()->isEnabled());
    EXPECT_FALSE(dialog->SolidShadingCheck()->isEnabled());
    dialog->FeasibleOnlyRadio()->click();
    EXPECT_TRUE(dialog->RegionColorButton()->isEnabled());
    EXPECT_TRUE(dialog->SolidShadingCheck()->isEnabled());
    dialog->OnMoreLess();
    EXPECT_EQ(dialog->MoreLessButton()->text(), "More >>");
}

TEST(KTQuickEntry, OkWritesTheDialogIntoTheWorkingOptions)
{
    auto dialog = OpenDialog();
    dialog->EquationEdit()->selectAll();
    QTest::keyClicks(dialog->EquationEdit(), "Y = X^2");
    QTest::keyClick(dialog->EquationEdit(), Qt::Key_Return);
    QTest::keyClicks(dialog->EquationEdit(), "x^2 + y^2 = 9");
    dialog->XAxisEdit()->setText("Time");
    dialog->YAxisEdit()->setText("Speed");
    dialog->YMaxEdit()->setText("20");
    dialog->ShowGridCheck()->setChecked(true);
    dialog->AngleList()->setCurrentIndex(2);
    dialog->HalfPlanesRadio()->setChecked(true);
    dialog->SolidShadingCheck()->setChecked(false);
    dialog->RegionColorButton()->SetColor(RGB(10, 20, 30));

    dialog->OnOK();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(FunctionText(*dialog, 0), "y = x^2");
    EXPECT_EQ(FunctionText(*dialog, 1), "x^2 + y^2 = 9");
    for (int i = 2; i < 10; ++i)
        EXPECT_EQ(FunctionText(*dialog, i), "") << i;
    const KTOptionGraph3& options = dialog->m_data.m_options;
    EXPECT_EQ(options.m_axes.m_xNotate.m_value, "Time");
    EXPECT_EQ(options.m_axes.m_yNotate.m_value, "Speed");
    EXPECT_EQ(options.m_axes.m_xMaxShowS.m_value, "10");
    EXPECT_EQ(options.m_axes.m_xMinShowS.m_value, "-10");
    EXPECT_EQ(options.m_axes.m_yMaxShowS.m_value, "20");
    EXPECT_EQ(options.m_axes.m_yMinShowS.m_value, "-20");
    EXPECT_EQ(options.m_axes.m_yMajorS.m_value, "10");
    EXPECT_EQ(options.m_axes.m_yMinorS.m_value, "2");
    EXPECT_EQ(options.m_axes.m_xMajorS.m_value, "2");
    EXPECT_EQ(options.m_axes.m_xMinorS.m_value, "1");
    EXPECT_EQ(options.m_axes.m_showGrid.m_value, 1);
    EXPECT_EQ(options.m_axes.m_angleSystem.m_value, 2);
    EXPECT_EQ(options.m_autoScale.m_value, 0);
    EXPECT_EQ(options.m_frOnly.m_value, 0);
    EXPECT_EQ(options.m_frSolid.m_value, 0);
    EXPECT_EQ(options.m_frBrush.m_value, KTLogBrush(0, 1, RGB(10, 20, 30), 0));
    EXPECT_EQ(options.m_frPixel.m_value, RGB(10, 20, 30));
    EXPECT_EQ(dialog->m_data.m_dirty, 2);
}

TEST(KTQuickEntry, AMaxThatIsNoNumberIsRefusedOnOk)
{
    for (const char* refused : {"abc", "", "1e3x", "2e-"}) {
        kttest::MessageBoxRecorder boxes;
        auto dialog = OpenDialog();
        dialog->YMaxEdit()->setText(QString::fromLatin1(refused));
        dialog->OnOK();
        EXPECT_NE(dialog->result(), QDialog::Accepted) << refused;
        ASSERT_EQ(boxes.Boxes().size(), 1u) << refused;
        EXPECT_EQ(boxes.Boxes()[0].text, "Please enter a number.");
    }
    // With Auto Scale the maxima are the graph's to choose: nothing typed is read.
    kttest::MessageBoxRecorder boxes;
    auto dialog = OpenDialog();
    dialog->XMaxEdit()->setText("abc");
    dialog->AutoScaleCheck()->click();
    dialog->OnOK();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(KTQuickEntry, AutomaticColourStoresTheColourShown)
{
    auto dialog = OpenDialog();
    dialog->RegionColorButton()->SetColor(COLORPICK_AUTOMATIC);
    dialog->OnOK();
    EXPECT_EQ(dialog->m_data.m_options.m_frPixel.m_value, RGB(200, 200, 200));
    EXPECT_EQ(dialog->m_data.m_options.m_frBrush.m_value.m_color, RGB(200, 200, 200));
}

TEST(KTQuickEntry, SetAsDefaultStoresOnlyUnitGridScalingAndShading)
{
    kttest::TempDir folder;
    KTOptionStore store;
    store.m_location = -1; // keeps the path set here
    store.SetPath(folder.File("KTG300.ini").string().c_str());
    KTOptionGraph3 defaults;
    auto dialog = OpenDialog(&defaults, &store);
    ASSERT_TRUE(dialog->SetAsDefaultButton()->isEnabled());

    dialog->XMaxEdit()->setText("50");
    dialog->XAxisEdit()->setText("t");
    dialog->AngleList()->setCurrentIndex(1);
    dialog->ShowGridCheck()->setChecked(true);
    dialog->AutoScaleCheck()->setChecked(true);
    dialog->HalfPlanesRadio()->setChecked(true);
    dialog->SolidShadingCheck()->setChecked(false);
    dialog->RegionColorButton()->SetColor(RGB(1, 2, 3));
    QTest::mouseClick(dialog->SetAsDefaultButton(), Qt::LeftButton);

    EXPECT_EQ(defaults.m_axes.m_angleSystem.m_value, 1);
    EXPECT_EQ(defaults.m_axes.m_showGrid.m_value, 1);
    EXPECT_EQ(defaults.m_autoScale.m_value, 1);
    EXPECT_EQ(defaults.m_frOnly.m_value, 0);
    EXPECT_EQ(defaults.m_frSolid.m_value, 0);
    EXPECT_EQ(defaults.m_frBrush.m_value, KTLogBrush(0, 1, RGB(1, 2, 3), 0));
    EXPECT_EQ(defaults.m_frPixel.m_value, RGB(1, 2, 3));
    EXPECT_EQ(defaults.m_axes.m_xMaxShowS.m_value, "10");
    EXPECT_EQ(defaults.m_axes.m_xNotate.m_value, "x");

    // The file is written at once and reads back as the defaults.
    std::ifstream file(folder.File("KTG300.ini"));
    ASSERT_TRUE(file.good());
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_NE(text.str().find("AngleSystem=1"), std::string::npos);
    EXPECT_NE(text.str().find("xMaxShowS=10"), std::string::npos);
    KTOptionStore reread;
    reread.m_location = -1;
    reread.SetPath(folder.File("KTG300.ini").string().c_str());
    KTOptionGraph3 loaded;
    loaded.LoadSettings(reread);
    EXPECT_EQ(loaded.m_axes.m_angleSystem.m_value, 1);
    EXPECT_EQ(loaded.m_autoScale.m_value, 1);
    EXPECT_EQ(loaded.m_frPixel.m_value, RGB(1, 2, 3));
    EXPECT_EQ(loaded.m_axes.m_xNotate.m_value, "x");
    // The working copy is not touched by storing defaults.
    EXPECT_EQ(dialog->m_data.m_options.m_axes.m_angleSystem.m_value, 0);
}

TEST(KTQuickEntry, PreviewTypesetsTheCaretsLine)
{
    auto dialog = std::make_unique<KTQuickEntry>(nullptr, nullptr);
    dialog->m_data.Function(0).Data().m_equationText = "y = x^2";
    dialog->m_data.Function(2).Data().m_equationText = CString('x', 200);
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));

    EXPECT_GT(InkPixels(dialog->PreviewFrame()), 20);
    EXPECT_EQ(dialog->PreviewedLine(), 0);
    EXPECT_EQ(dialog->PreviewText(), "y = x^2");
    EXPECT_EQ(dialog->PreviewSize(), KTQuickEntry::PreviewFontSize);
    EXPECT_FALSE(dialog->PreviewPending());

    // An empty line shows nothing.
    MoveCaretToLine(dialog->EquationEdit(), 1);
    dialog->OnTimer();
    EXPECT_TRUE(dialog->PreviewPending());
    EXPECT_EQ(InkPixels(dialog->PreviewFrame()), 0);
    EXPECT_EQ(dialog->PreviewedLine(), 1);
    EXPECT_EQ(dialog->PreviewSize(), 0);

    // A long line shrinks to fit; the timer notices the caret by itself.
    MoveCaretToLine(dialog->EquationEdit(), 2);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return dialog->PreviewPending() || dialog->PreviewedLine() == 2; }, 5000));
    EXPECT_GT(InkPixels(dialog->PreviewFrame()), 0);
    EXPECT_EQ(dialog->PreviewedLine(), 2);
    EXPECT_GT(dialog->PreviewSize(), 0);
    EXPECT_LT(dialog->PreviewSize(), 200);

    // A line past the tenth goes to the first free function: it is previewed as any other.
    dialog->EquationEdit()->moveCursor(QTextCursor::End);
    dialog->EquationEdit()->insertPlainText("\ny=x\ny=x^3");
    dialog->OnTimer();
    EXPECT_GT(InkPixels(dialog->PreviewFrame()), 0);
    EXPECT_EQ(dialog->PreviewedLine(), 11);
    EXPECT_EQ(dialog->PreviewText(), "y=x^3");
    EXPECT_EQ(dialog->MessageLabel()->text(),
              QStringLiteral("This line becomes function 4: its own line is empty"));
    // With no function free, a further line shows nothing, and every line says so.
    dialog->EquationEdit()->setPlainText("y=1\ny=2\ny=3\ny=4\ny=5\ny=6\ny=7\ny=8\ny=9\ny=10\nmore");
    dialog->EquationEdit()->moveCursor(QTextCursor::End);
    dialog->OnTimer();
    EXPECT_EQ(InkPixels(dialog->PreviewFrame()), 0);
    EXPECT_EQ(dialog->PreviewedLine(), 10);
    EXPECT_EQ(dialog->MessageLabel()->text(), QString::fromLatin1(KTQuickEntry::TenFunctionsMessage));
    MoveCaretToLine(dialog->EquationEdit(), 9);
    dialog->OnTimer();
    InkPixels(dialog->PreviewFrame());
    EXPECT_EQ(dialog->PreviewedLine(), 9);
    EXPECT_EQ(dialog->PreviewText(), "y=10");
    EXPECT_EQ(dialog->MessageLabel()->text(), QString::fromLatin1(KTQuickEntry::TenFunctionsMessage));
    dialog->EquationEdit()->setPlainText("y = x^2\n\n" + QString(200, QLatin1Char('x')));

    // Typing marks the preview for typesetting.
    MoveCaretToLine(dialog->EquationEdit(), 0);
    InkPixels(dialog->PreviewFrame());
    QTest::keyClicks(dialog->EquationEdit(), "2");
    EXPECT_TRUE(dialog->PreviewPending());
    InkPixels(dialog->PreviewFrame());
    EXPECT_EQ(dialog->PreviewText(), "2y = x^2");
}

TEST(KTQuickEntry, ThumbnailDrawsTheAxes)
{
    auto dialog = OpenDialog();
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    EXPECT_GT(InkPixels(dialog->ThumbnailFrame()), 50);
    // An odd range still draws and keeps the fractions sane.
    dialog->XMaxEdit()->setText("abc");
    dialog->YMaxEdit()->setText("1/0");
    InkPixels(dialog->ThumbnailFrame());
    EXPECT_TRUE(std::isfinite(dialog->HorizontalFraction()));
    EXPECT_TRUE(std::isfinite(dialog->VerticalFraction()));
}

TEST(KTQuickEntry, ModalHookAnswersDoModal)
{
    auto previous = KTQuickEntry::SetModalHook([](KTQuickEntry& dialog) {
        EXPECT_TRUE(dialog.isVisible());
        dialog.EquationEdit()->setPlainText("y = 2x");
        dialog.OnOK();
        return dialog.result();
    });
    KTQuickEntry dialog(nullptr, nullptr);
    EXPECT_EQ(dialog.DoModal(), QDialog::Accepted);
    EXPECT_EQ(FunctionText(dialog, 0), "y = 2x");
    KTQuickEntry::SetModalHook(previous);
}

} // namespace
