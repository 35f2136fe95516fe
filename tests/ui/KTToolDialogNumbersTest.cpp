// The Calculate Integral and Tangent Line dialogs take bounds and an x typed as constant
// expressions, and refuse what is none with a message beside the preview, typed and clicked as
// the user does; the whole dialog is grabbed and written under the build folder.

#include "ui/KTDerivativeDlg.h"
#include "ui/KTIntegralDlg.h"

#include "engine/KTFunction3.h"
#include "graph/KTGraph3.h"
#include "support/KTTestSupport.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "ui/KTDialogTestSupport.h"

#include <gtest/gtest.h>

namespace {

void Type(QLineEdit* edit, const char* text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, QString::fromLatin1(text));
}

void SavePicture(QWidget& dialog, const char* name)
{
    QDir().mkpath(QStringLiteral(KT_UI_PICTURE_DIR));
    dialog.grab().save(QStringLiteral(KT_UI_PICTURE_DIR "/") + QString::fromLatin1(name));
}

/// Is there dark red text (the message's colour) anywhere in the grabbed dialog?
bool ShowsRedText(QWidget& dialog)
{
    const QImage image = dialog.grab().toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qRed(p) > 120 && qGreen(p) < 60 && qBlue(p) < 60)
                return true;
        }
    return false;
}

} // namespace

TEST(KTToolDialogNumbers, IntegralBoundsMustBeConstantExpressions)
{
    KTGraph3 graph;
    kttest::Interpret(graph, {{0, "y=x^2"}});
    KTIntegralDlg dialog;
    dialog.m_graph = &graph;
    const auto previous = KTIntegralDlg::SetModalHook([](KTIntegralDlg& d) {
        const struct
        {
            const char* lower;
            const char* upper;
            const char* message; ///< "" when OK is taken
        } rows[] = {
            {"q", "1", "The lower bound is not a number"},
            {"0", "x", "The upper bound is not a number"},
            {"", "1", "The lower bound is not a number"},
            {"foo(2)", "1", "The lower bound is not a number"},
            {"1/(0)", "1", "The lower bound is not a number"},
            {"sqrt(-1)", "1", "The lower bound is not a number"},
            {"0", "sqrt(2)", ""},
        };
        for (const auto& row : rows) {
            Type(d.LowerEdit(), row.lower);
            Type(d.UpperEdit(), row.upper);
            EXPECT_TRUE(d.MessageLabel()->text().isEmpty()) << row.lower; // typing clears it
            QTest::mouseClick(d.OkButton(), Qt::LeftButton);
            EXPECT_EQ(d.MessageLabel()->text(), QString::fromLatin1(row.message)) << row.lower;
            if (*row.message) {
                EXPECT_TRUE(d.isVisible()) << row.lower;
                EXPECT_NE(d.result(), QDialog::Accepted) << row.lower;
                EXPECT_TRUE(ShowsRedText(d)) << row.lower;
                if (std::string(row.lower) == "q")
                    SavePicture(d, "integral-refused-bound.png");
            }
        }
        return d.result();
    });
    EXPECT_EQ(dialog.DoModal(), QDialog::Accepted);
    KTIntegralDlg::SetModalHook(previous);
    // The bounds stay as typed.
    EXPECT_EQ(dialog.m_lowerText, CString("0"));
    EXPECT_EQ(dialog.m_upperText, CString("sqrt(2)"));
}

TEST(KTToolDialogNumbers, TangentXMustBeAConstantExpression)
{
    kttest::LocaleScope locale; // "1,2" is a list under a decimal point
    KTGraph3 graph;
    kttest::Interpret(graph, {{0, "y=x^2"}});
    KTDerivativeDlg dialog;
    dialog.m_graph = &graph;
    dialog.m_weightText = "0.25pt";
    const auto previous = KTDerivativeDlg::SetModalHook([](KTDerivativeDlg& d) {
        for (const char* refused : {"q", "", "2x", "y=1", "1,2"}) {
            Type(d.XEdit(), refused);
            QTest::mouseClick(d.OkButton(), Qt::LeftButton);
            EXPECT_EQ(d.MessageLabel()->text(), QStringLiteral("The x value is not a number")) << refused;
            EXPECT_TRUE(d.isVisible()) << refused;
            EXPECT_TRUE(ShowsRedText(d)) << refused;
        }
        SavePicture(d, "tangent-refused-x.png");
        Type(d.XEdit(), "pi/2");
        EXPECT_TRUE(d.MessageLabel()->text().isEmpty());
        EXPECT_FALSE(ShowsRedText(d));
        QTest::mouseClick(d.OkButton(), Qt::LeftButton);
        return d.result();
    });
    EXPECT_EQ(dialog.DoModal(), QDialog::Accepted);
    KTDerivativeDlg::SetModalHook(previous);
    EXPECT_EQ(dialog.m_xText, CString("pi/2"));
}

TEST(KTToolDialogNumbers, DeletingATangentNeedsNoX)
{
    KTGraph3 graph;
    kttest::Interpret(graph, {{0, "y=x^2"}});
    KTDerivativeDlg dialog;
    dialog.m_graph = &graph;
    const auto previous = KTDerivativeDlg::SetModalHook([](KTDerivativeDlg& d) {
        Type(d.XEdit(), "q");
        QTest::mouseClick(d.DeleteButton(), Qt::LeftButton);
        return d.result();
    });
    EXPECT_EQ(dialog.DoModal(), QDialog::Accepted);
    KTDerivativeDlg::SetModalHook(previous);
    EXPECT_EQ(dialog.m_function, -1);
}
