// The Edit Annotation dialog driven as the user drives it: the rows and their ticks, the
// radio groups, the pickers, the fold, "Set As Default", and the whole road from the annotation
// list's EditAt through the installed editor.

#include "ui/KTAnnotateEditDlg.h"

#include "foundation/KTLogPen.h"
#include "graph/KTGAnnotation.h"
#include "graph/KTGAnnotationList.h"
#include "graph/KTOptionsAnnotation.h"
#include "ui/CColorButton.h"
#include "ui/KTFontCombo.h"
#include "ui/KTLineStyleComboBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace {

/// Runs the dialog on the fields, answering with the hook.
std::unique_ptr<KTAnnotateEditDlg> RunDialog(const KTAnnotationEditFields& fields,
                                             KTOptionsAnnotation* defaults,
                                             const std::function<int(KTAnnotateEditDlg&)>& answer,
                                             int* result = nullptr)
{
    auto dialog = std::make_unique<KTAnnotateEditDlg>(defaults);
    dialog->m_fields = fields;
    const auto previous = KTAnnotateEditDlg::SetModalHook(answer);
    const int code = dialog->DoModal();
    KTAnnotateEditDlg::SetModalHook(previous);
    if (result)
        *result = code;
    return dialog;
}

int PressOk(KTAnnotateEditDlg& dialog)
{
    dialog.OkButton()->click();
    return dialog.result();
}

KTAnnotationEditFields SomeFields()
{
    KTAnnotationEditFields f;
    f.m_lines = {"Maximum", "", "y=x^2"};
    f.m_equation[2] = 1;
    f.m_anchorType = 2;
    f.m_justify = 1;
    f.m_faceName = "";
    f.m_sizeText = "14";
    f.m_fontColour = 0x112233;
    f.m_anchorWeightText = "1.5pt";
    f.m_borderWeightText = "0.25pt";
    f.m_anchorStyle = KTLineStyleDash;
    f.m_borderStyle = KTLineStyleNone;
    f.m_anchorColour = 0x00FF00;
    f.m_borderColour = 0x0000FF;
    f.m_shadingColour = 0xEEEEEE;
    return f;
}

} // namespace

TEST(KTAnnotateEditDlg, JoinAndSplitLines)
{
    const std::array<CString, 10> lines{"a", "", "c", "d", "e", "f", "g", "h", "i", "j"};
    const CString joined = KTAnnotateEditDlg::JoinLines(lines);
    EXPECT_EQ(joined, CString("a\r\n\r\nc\r\nd\r\ne\r\nf\r\ng\r\nh\r\ni\r\nj"));
    EXPECT_EQ(KTAnnotateEditDlg::SplitLines(joined), lines);
    // Empty lines after the last text are no rows of the edit; ten empty lines are one.
    const struct
    {
        std::array<CString, 10> lines;
        const char* joined;
    } shorter[] = {
        {{"a", "", "c"}, "a\r\n\r\nc"},
        {{"", "", "", "", "d"}, "\r\n\r\n\r\n\r\nd"},
        {{"x"}, "x"},
        {{}, ""},
    };
    for (const auto& row : shorter) {
        EXPECT_EQ(KTAnnotateEditDlg::JoinLines(row.lines), CString(row.joined)) << row.joined;
        EXPECT_EQ(KTAnnotateEditDlg::SplitLines(KTAnnotateEditDlg::JoinLines(row.lines)), row.lines);
    }

    // More than ten lines: the tenth keeps the rest with its line breaks.
    const auto long_ =
        KTAnnotateEditDlg::SplitLines("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n12");
    EXPECT_EQ(long_[8], CString("9"));
    EXPECT_EQ(long_[9], CString("10\r\n11\r\n12"));

    // Fewer lines leave the rest empty; an empty text gives ten empty lines.
    const auto shortLines = KTAnnotateEditDlg::SplitLines("x\r\ny");
    EXPECT_EQ(shortLines[0], CString("x"));
    EXPECT_EQ(shortLines[1], CString("y"));
    for (std::size_t n = 2; n < 10; ++n)
        EXPECT_EQ(shortLines[n], CString(""));
    for (const CString& line : KTAnnotateEditDlg::SplitLines(""))
        EXPECT_EQ(line, CString(""));
    // A break is two characters: a text ending in "\r" leaves nothing behind it.
    EXPECT_EQ(KTAnnotateEditDlg::SplitLines("end\r")[1], CString(""));
}

TEST(KTAnnotateEditDlg, ShowsTheFields)
{
    auto dialog = RunDialog(SomeFields(), nullptr, [](KTAnnotateEditDlg& d) {
        EXPECT_EQ(d.TextEdit()->toPlainText(), QString("Maximum\n\ny=x^2"));
        EXPECT_EQ(d.TextEdit()->textCursor().position(), 0);
        for (int row = 0; row < 10; ++row)
            EXPECT_EQ(d.EquationCheck(row)->isChecked(), row == 2) << row;
        EXPECT_TRUE(d.AnchorRadio(2)->isChecked());
        EXPECT_TRUE(d.JustifyRadio(1)->isChecked());
        EXPECT_EQ(d.SizeCombo()->currentText(), QString("14"));
        EXPECT_EQ(d.AnchorWeightCombo()->currentText(), QString("1.5pt"));
        EXPECT_EQ(d.BorderWeightCombo()->currentText(), QString("0.25pt"));
        EXPECT_EQ(d.AnchorStylePicker()->GetSelectedData(), KTLineStyleDash);
        EXPECT_EQ(d.BorderStylePicker()->GetSelectedData(), KTLineStyleNone);
        EXPECT_EQ(d.AnchorStylePicker()->count(), 5);
        EXPECT_EQ(d.BorderStylePicker()->count(), 6);
        EXPECT_EQ(d.BorderStylePicker()->itemText(0), QString("None"));
        EXPECT_EQ(d.FontColourButton()->GetColor(), 0x112233u);
        EXPECT_EQ(d.ShadingColourButton()->GetColor(), 0xEEEEEEu);
        EXPECT_EQ(d.SizeCombo()->count(), 16);
        EXPECT_EQ(d.AnchorWeightCombo()->count(), 16);
        // Collapsed: the lower part is out of sight.
        EXPECT_FALSE(d.Expander().IsExpanded());
        EXPECT_FALSE(d.BorderStylePicker()->isVisible());
        return PressOk(d);
    });
    // OK with nothing changed gives the same fields back (the face from the font list).
    KTAnnotationEditFields expected = SomeFields();
    expected.m_faceName = dialog->m_fields.m_faceName;
    EXPECT_EQ(dialog->m_fields.m_lines, expected.m_lines);
    EXPECT_EQ(dialog->m_fields.m_equation, expected.m_equation);
    EXPECT_EQ(dialog->m_fields.m_anchorStyle, expected.m_anchorStyle);
    EXPECT_EQ(dialog->m_fields.m_borderStyle, expected.m_borderStyle);
    EXPECT_EQ(dialog->m_fields.m_anchorWeightText, expected.m_anchorWeightText);
    EXPECT_EQ(dialog->m_fields.m_sizeText, expected.m_sizeText);
    EXPECT_EQ(dialog->m_fields.m_anchorType, 2);
    EXPECT_EQ(dialog->m_fields.m_justify, 1);
}

TEST(KTAnnotateEditDlg, OkTakesWhatWasTyped)
{
    int result = 0;
    auto dialog = RunDialog(
        SomeFields(), nullptr,
        [](KTAnnotateEditDlg& d) {
            d.TextEdit()->setPlainText(QStringLiteral("one\n\nthree\n4\n5\n6\n7\n8\n9\nten\neleven"));
            d.EquationCheck(0)->setChecked(true);
            d.EquationCheck(2)->setChecked(false);
            d.AnchorRadio(1)->click();
            d.JustifyRadio(2)->click();
            d.AnchorStylePicker()->SelectItemData(KTLineStyleDot);
            d.BorderStylePicker()->SelectItemData(KTLineStyleSolid);
            d.BorderWeightCombo()->setEditText(QStringLiteral("2pt"));
            d.SizeCombo()->setEditText(QStringLiteral("20"));
            return PressOk(d);
        },
        &result);
    EXPECT_EQ(result, QDialog::Accepted);
    const KTAnnotationEditFields& f = dialog->m_fields;
    EXPECT_EQ(f.m_lines[0], CString("one"));
    EXPECT_EQ(f.m_lines[1], CString(""));
    EXPECT_EQ(f.m_lines[2], CString("three"));
    EXPECT_EQ(f.m_lines[9], CString("ten\r\neleven"));
    const std::array<int, 10> ticks{1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(f.m_equation, ticks);
    EXPECT_EQ(f.m_anchorType, 1);
    EXPECT_EQ(f.m_justify, 2);
    EXPECT_EQ(f.m_anchorStyle, KTLineStyleDot);
    EXPECT_EQ(f.m_borderStyle, KTLineStyleSolid);
    EXPECT_EQ(f.m_borderWeightText, CString("2pt"));
    EXPECT_EQ(f.m_sizeText, CString("20"));
}

TEST(KTAnnotateEditDlg, MoreLessFlipsTheExpandedState)
{
    auto dialog = RunDialog(SomeFields(), nullptr, [](KTAnnotateEditDlg& d) {
        EXPECT_EQ(d.MoreLessButton()->text(), QString("More >>"));
        d.MoreLessButton()->click();
        EXPECT_TRUE(d.Expander().IsExpanded());
        EXPECT_EQ(d.MoreLessButton()->text(), QString("<< Less"));
        EXPECT_TRUE(d.BorderStylePicker()->isVisible());
        return PressOk(d);
    });
    EXPECT_EQ(dialog->m_fields.m_expanded, 1);

    KTAnnotationEditFields expanded = SomeFields();
    expanded.m_expanded = 1;
    auto second = RunDialog(expanded, nullptr, [](KTAnnotateEditDlg& d) {
        EXPECT_TRUE(d.Expander().IsExpanded());
        d.MoreLessButton()->click();
        return PressOk(d);
    });
    EXPECT_EQ(second->m_fields.m_expanded, 0);
}

TEST(KTAnnotateEditDlg, SetAsDefaultWritesAtOnceAndStaysOpen)
{
    KTOptionsAnnotation defaults;
    int result = 0;
    RunDialog(
        SomeFields(), &defaults,
        [](KTAnnotateEditDlg& d) {
            d.BorderStylePicker()->SelectItemData(KTLineStyleDashDot);
            d.SetAsDefaultButton()->click();
            EXPECT_TRUE(d.isVisible());
            d.CancelButton()->click();
            return d.result();
        },
        &result);
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(defaults.m_bDefaultsChanged, 1);
    KTLogPen border;
    border.Set(0.25, KTLineStyleDashDot, 0x0000FF);
    EXPECT_EQ(defaults.m_rectPen.m_value, border);
    EXPECT_EQ(defaults.m_annotateFont.m_value.m_size, 493);
    EXPECT_EQ(defaults.m_annotateFont.m_value.m_color, 0x112233u);
}

TEST(KTAnnotateEditDlg, EditAtRunsTheInstalledEditor)
{
    KTAnnotateEditDlg::InstallAsEditor();
    KTGAnnotationList list;
    KTGAnnotation annotation;
    annotation.m_text.AddText("Right Click To Edit");
    list.Add(annotation);
    KTOptionsAnnotation defaults;

    const auto previous = KTAnnotateEditDlg::SetModalHook([](KTAnnotateEditDlg& d) {
        EXPECT_EQ(d.TextEdit()->toPlainText(), QString());
        d.TextEdit()->setPlainText(QStringLiteral("first\n\nthird"));
        d.EquationCheck(2)->setChecked(true);
        return PressOk(d);
    });
    EXPECT_TRUE(list.EditAt(0, defaults));
    const KTTipInfo& text = list.GetAt(0).m_text;
    EXPECT_EQ(text.GetLineCount(), 3);
    EXPECT_EQ(text.LineText(0), CString("first"));
    EXPECT_EQ(text.LineText(1), CString(" "));
    EXPECT_EQ(text.LineText(2), CString("third"));
    EXPECT_EQ(text.LineValue(2), KTTipInfo::MarkEquation);
    EXPECT_EQ(text.LineValue(0), KTTipInfo::MarkText);

    // Cancel after "Set As Default": the annotation stays, the defaults are changed.
    KTAnnotateEditDlg::SetModalHook([](KTAnnotateEditDlg& d) {
        d.TextEdit()->setPlainText(QStringLiteral("gone"));
        d.SetAsDefaultButton()->click();
        d.CancelButton()->click();
        return d.result();
    });
    EXPECT_FALSE(list.EditAt(0, defaults));
    EXPECT_EQ(list.GetAt(0).m_text.LineText(0), CString("first"));
    EXPECT_EQ(defaults.m_bDefaultsChanged, 1);
    KTAnnotateEditDlg::SetModalHook(previous);
    KTGAnnotationList::SetEditHook(nullptr);
}

TEST(KTAnnotateEditDlg, OkWithoutTouchingTheFontKeepsIt)
{
    struct Row
    {
        const char* face;
        int size; // hundredths of a millimetre
        BYTE italic;
    };
    const Row rows[] = {
        {"Arial", 388, 0},       // the factory face, not installed here
        {"DejaVu Sans", 400, 1}, // a size between whole points
        {"C059", 423, 0},        // a face the font system lists with its foundry
        {"Gone Sans", 1000, 0},  // installed nowhere
    };
    KTAnnotateEditDlg::InstallAsEditor();
    for (const Row& row : rows) {
        KTGAnnotationList list;
        KTGAnnotation annotation;
        annotation.m_text.AddText("Peak");
        annotation.m_font.SetFaceName(row.face);
        annotation.m_font.m_size = row.size;
        annotation.m_font.m_logFont.lfItalic = row.italic;
        list.Add(annotation);
        KTOptionsAnnotation defaults;
        const auto previous = KTAnnotateEditDlg::SetModalHook([&](KTAnnotateEditDlg& d) {
            d.show();
            d.grab(); // the whole dialog, as the user sees it
            EXPECT_EQ(d.FontCombo()->currentText(), QString::fromLatin1(row.face));
            return PressOk(d);
        });
        EXPECT_TRUE(list.EditAt(0, defaults));
        KTAnnotateEditDlg::SetModalHook(previous);
        EXPECT_EQ(list.GetAt(0).m_font, annotation.m_font) << row.face;
    }
    KTGAnnotationList::SetEditHook(nullptr);
}

TEST(KTAnnotateEditDlg, EachEquationTickSitsBesideItsRow)
{
    // Ten rows of capitals: each row's ink is a band of its own in the grabbed dialog.
    KTAnnotationEditFields fields = SomeFields();
    for (std::size_t row = 0; row < 10; ++row)
        fields.m_lines[row] = "XXXX";
    for (const int expanded : {0, 1}) {
        SCOPED_TRACE(expanded ? "expanded" : "collapsed");
        fields.m_expanded = static_cast<BYTE>(expanded);
        RunDialog(fields, nullptr, [](KTAnnotateEditDlg& d) {
            d.show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(&d));
            const QImage shown = d.grab().toImage().convertToFormat(QImage::Format_RGB32);
            const QWidget* viewport = d.TextEdit()->viewport();
            const QRect text(viewport->mapTo(&d, QPoint(0, 0)), viewport->size());
            // The rows of the edit that hold dark ink, in bands.
            std::vector<std::pair<int, int>> bands;
            for (int y = text.top(); y <= text.bottom(); ++y) {
                bool dark = false;
                for (int x = text.left(); x < text.left() + 60 && !dark; ++x)
                    dark = qGray(shown.pixel(x, y)) < 128;
                if (dark && (bands.empty() || bands.back().second != y - 1))
                    bands.emplace_back(y, y);
                else if (dark)
                    bands.back().second = y;
            }
            EXPECT_EQ(bands.size(), 10u);
            const QRgb face = shown.pixel(text.right() + 3, text.top() - 2);
            int previousBottom = -1000;
            for (int row = 0; row < std::min<int>(10, static_cast<int>(bands.size())); ++row) {
                const QCheckBox* check = d.EquationCheck(row);
                EXPECT_TRUE(check->isVisible()) << row;
                // The tick's box as drawn: what differs from the dialog's face around it.
                const QRect area(check->mapTo(&d, QPoint(0, 0)), check->size());
                int top = -1, bottom = -1;
                for (int y = area.top(); y <= area.bottom(); ++y)
                    for (int x = area.left(); x <= area.right(); ++x)
                        if (shown.valid(x, y) && shown.pixel(x, y) != face) {
                            top = top < 0 ? y : top;
                            bottom = y;
                        }
                EXPECT_GE(top, 0) << row;
                const double tick = (top + bottom) / 2.0;
                const double line = (bands[static_cast<std::size_t>(row)].first +
                                     bands[static_cast<std::size_t>(row)].second) /
                                    2.0;
                EXPECT_LE(std::abs(tick - line), 3.0)
                    << "row " << row << ": tick " << tick << ", text " << line;
                // The ticks stand apart, a row's pitch from each other, as the rows do.
                EXPECT_GE(top - previousBottom, 4) << "row " << row;
                previousBottom = bottom;
                if (row > 0) {
                    const auto centre = [&](int r) {
                        return (bands[static_cast<std::size_t>(r)].first +
                                bands[static_cast<std::size_t>(r)].second) /
                               2.0;
                    };
                    EXPECT_NEAR(centre(row) - centre(row - 1), d.RowPitch(), 1.0) << "row " << row;
                }
            }
            return static_cast<int>(QDialog::Rejected);
        });
    }
}

// Rows typed keep the pitch of the ticks: Enter always starts a new row, also after an empty one
// and with Shift held, and every row's line stands a pitch below the last.
TEST(KTAnnotateEditDlg, TypedRowsKeepThePitchOfTheTicks)
{
    KTAnnotationEditFields fields = SomeFields();
    RunDialog(fields, nullptr, [](KTAnnotateEditDlg& d) {
        d.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&d));
        QTextEdit* edit = d.TextEdit();
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, "Vertex");
        QTest::keyClick(edit, Qt::Key_Return);
        QTest::keyClick(edit, Qt::Key_Return);
        QTest::keyClicks(edit, "y=x^2-4");
        QTest::keyClick(edit, Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClick(edit, Qt::Key_Enter, Qt::KeypadModifier);
        QTest::keyClicks(edit, "z");
        EXPECT_EQ(edit->toPlainText(), QStringLiteral("Vertex\n\ny=x^2-4\n\nz"));
        EXPECT_TRUE(d.isVisible()); // Enter in the edit is no OK
        const QTextDocument* document = edit->document();
        EXPECT_EQ(document->blockCount(), 5);
        const auto top = [&](int row) {
            return edit->cursorRect(QTextCursor(document->findBlockByNumber(row))).top();
        };
        for (int row = 1; row < 5; ++row)
            EXPECT_EQ(top(row) - top(row - 1), d.RowPitch()) << row;
        // Each tick stands level with its row.
        const auto expectTicksLevel = [&](int rows) {
            for (int row = 0; row < rows; ++row) {
                const QCheckBox* check = d.EquationCheck(row);
                const int tick = check->mapTo(&d, QPoint(0, check->height() / 2)).y();
                const QRect line = edit->cursorRect(QTextCursor(document->findBlockByNumber(row)));
                const int centre = edit->viewport()->mapTo(&d, line.center()).y();
                EXPECT_LE(std::abs(tick - centre), 2) << row;
            }
        };
        expectTicksLevel(5);
        // Apart, as the rows are.
        EXPECT_GE(d.RowPitch(), d.EquationCheck(0)->height() + 4);
        // Rows typed past the tenth scroll the edit; the ticks go with their rows.
        for (int row = 5; row < 13; ++row) {
            QTest::keyClicks(edit, "w");
            QTest::keyClick(edit, Qt::Key_Return);
        }
        EXPECT_GT(edit->verticalScrollBar()->value(), 0);
        expectTicksLevel(10);
        return PressOk(d);
    });
}
