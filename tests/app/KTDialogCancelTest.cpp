// Cancel is cancel: every dialog a document's view opens, changed by the user and then closed
// with Escape or its Cancel button, leaves the document's saved bytes and its modified flag as
// they were.

#include "app/KTG300View.h"

#include "KTAppTestSupport.h"
#include "app/KTG300Doc.h"
#include "engine/KTFunction3.h"
#include "graph/KTGraph3.h"
#include "platform/KTDC.h"
#include "support/KTTestSupport.h"
#include "ui/KTAnimationDlg.h"
#include "ui/KTAnnotateEditDlg.h"
#include "ui/KTAxesDlg.h"
#include "ui/KTDerivativeDlg.h"
#include "ui/KTFamilyDlg.h"
#include "ui/KTFunctionDlg.h"
#include "ui/KTGridDlg.h"
#include "ui/KTIntegralDlg.h"
#include "ui/KTMessagesDlg.h"
#include "ui/KTPreferenceDlg.h"
#include "ui/KTQuickEntry.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <memory>

using kttest::ToQ;

namespace {

std::vector<char> FileBytes(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void Type(QLineEdit* edit, const char* text)
{
    edit->selectAll();
    QTest::keyClicks(edit, QString::fromLatin1(text));
}

enum class CloseBy { Escape, CancelButton };

/// The dialog's button that reads "Cancel", or null.
QPushButton* CancelButtonOf(QDialog& dialog)
{
    for (QPushButton* button : dialog.findChildren<QPushButton*>())
        if (button->text().remove(QLatin1Char('&')) == QLatin1String("Cancel"))
            return button;
    return nullptr;
}

/// Answers the dialog's next DoModal: `change` as the user would, then Escape or a click on
/// Cancel.
template <typename Dialog> struct EscapeAfter
{
    EscapeAfter(CloseBy close, std::function<void(Dialog&)> change)
        : previous(Dialog::SetModalHook([this, close, change](Dialog& d) {
              ++shown;
              change(d);
              // Neither answer yet: only the closing below may reject.
              d.setResult(-1);
              if (close == CloseBy::Escape) {
                  QTest::keyClick(&d, Qt::Key_Escape);
              } else {
                  QPushButton* cancel = CancelButtonOf(d);
                  EXPECT_NE(cancel, nullptr);
                  if (cancel)
                      QTest::mouseClick(cancel, Qt::LeftButton);
              }
              EXPECT_EQ(d.result(), QDialog::Rejected);
              return d.result();
          }))
    {
    }
    ~EscapeAfter() { Dialog::SetModalHook(std::move(previous)); }
    typename Dialog::ModalHook previous;
    int shown = 0;
};

/// Answers the dialog's next DoModal: `change` as the user would, then a click on OK.
template <typename Dialog> struct OkAfter
{
    explicit OkAfter(std::function<void(Dialog&)> change)
        : previous(Dialog::SetModalHook([this, change](Dialog& d) {
              ++shown;
              change(d);
              QTest::mouseClick(d.OkButton(), Qt::LeftButton);
              EXPECT_EQ(d.result(), QDialog::Accepted);
              return d.result();
          }))
    {
    }
    ~OkAfter() { Dialog::SetModalHook(std::move(previous)); }
    typename Dialog::ModalHook previous;
    int shown = 0;
};

/// A saved document with functions (one a family in "a", shown as a family), an annotation
/// unless told otherwise, and right clicks on the axes allowed, in a painted view.
struct SavedDocument
{
    explicit SavedDocument(bool withAnnotation)
    {
        document.OnNewDocument();
        KTGraph3& graph = document.Graph();
        graph.Data().Function(0).Data().m_equationText = "y=x^2";
        graph.Data().Function(1).Data().m_equationText = "y=a x";
        graph.Data().m_options.m_rightClickOnAxes.m_value = 1;
        if (withAnnotation) {
            KTGAnnotation annotation;
            annotation.m_text.AddText("Right Click To Edit");
            document.m_annotations.Add(annotation);
        }
        view = std::make_unique<KTG300View>(document);
        view->resize(600, 450);
        // On the screen, as the user's window is: a hidden widget is sent a resize with every
        // grab, which the view takes for the user's.
        view->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        graph.SetDirty();
        Paint();
        graph.Data().m_family = 1;
        graph.SetConstantRange("a", -2, 2, 1);
        graph.SetDirty();
        view->Redraw();
        EXPECT_TRUE(document.OnSaveDocument(ToQ(dir.File("before.kt3"))));
    }

    /// The view as a paint shows it; the constants' panels are placed after the paint, as they
    /// are on the screen.
    QImage Paint()
    {
        const QImage image = view->grab().toImage();
        QCoreApplication::processEvents();
        return image;
    }

    CPoint DeviceOf(double x, double y)
    {
        CPoint logical = document.Graph().Axes().GraphToDevice(x, y, 0, 0);
        KTDC dc(view->logicalDpiX(), view->logicalDpiY());
        dc.SetMapMode(MM_HIMETRIC);
        dc.LPtoDP(&logical);
        return logical;
    }

    kttest::TempDir dir;
    KTG300Doc document;
    std::unique_ptr<KTG300View> view;
    CloseBy closeBy = CloseBy::Escape;
};

} // namespace

TEST(KTDialogCancel, EscapeOrCancelFromEveryDialogLeavesTheDocumentAsItWas)
{
    const struct
    {
        const char* dialog;
        std::function<int(SavedDocument&)> run; ///< opens the dialog the user's way; how often it showed
        /// Every click records where it hit in each annotation, a field of the file's fixed form:
        /// a dialog opened by a click is checked on a graph without annotations.
        bool byClick = false;
    } rows[] = {
        {"Quick Entry",
         [](SavedDocument& s) {
             EscapeAfter<KTQuickEntry> escape(s.closeBy, [](KTQuickEntry& d) {
                 d.EquationEdit()->selectAll();
                 QTest::keyClicks(d.EquationEdit(), "y=9");
                 Type(d.XMaxEdit(), "7");
             });
             s.view->OnEditFunctions();
             return escape.shown;
         }},
        // What a dialog opened from Quick Entry's buttons took on OK is dropped with Quick Entry.
        {"Function Properties from Quick Entry",
         [](SavedDocument& s) {
             OkAfter<KTFunctionDlg> inner([](KTFunctionDlg& d) {
                 Type(d.EquationEdit(), "y=9");
                 d.WeightCombo()->setCurrentText(QStringLiteral("3pt"));
             });
             EscapeAfter<KTQuickEntry> escape(
                 s.closeBy, [](KTQuickEntry& d) { QTest::mouseClick(d.FunctionsButton(), Qt::LeftButton); });
             s.view->OnEditFunctions();
             return escape.shown * inner.shown;
         }},
        {"Axes Properties from Quick Entry",
         [](SavedDocument& s) {
             OkAfter<KTAxesDlg> inner([](KTAxesDlg& d) {
                 Type(d.XMaxEdit(), "7");
                 d.XWeightCombo()->setCurrentText(QStringLiteral("3pt"));
             });
             EscapeAfter<KTQuickEntry> escape(
                 s.closeBy, [](KTQuickEntry& d) { QTest::mouseClick(d.AxesButton(), Qt::LeftButton); });
             s.view->OnEditFunctions();
             return escape.shown * inner.shown;
         }},
        {"Grid Properties from Quick Entry",
         [](SavedDocument& s) {
             OkAfter<KTGridDlg> inner([](KTGridDlg& d) {
                 d.WeightCombo(KTGridDlg::XMajor)->setCurrentText(QStringLiteral("3pt"));
             });
             EscapeAfter<KTQuickEntry> escape(
                 s.closeBy, [](KTQuickEntry& d) { QTest::mouseClick(d.GridButton(), Qt::LeftButton); });
             s.view->OnEditFunctions();
             return escape.shown * inner.shown;
         }},
        {"Function Properties",
         [](SavedDocument& s) {
             EscapeAfter<KTFunctionDlg> escape(s.closeBy, [](KTFunctionDlg& d) {
                 Type(d.EquationEdit(), "y=9");
                 d.WeightCombo()->setCurrentText(QStringLiteral("3pt"));
                 d.DeleteButton()->click();
             });
             s.view->SetFunctionUnderCursor(0);
             s.view->OnEditProperties();
             return escape.shown;
         }},
        {"Axes Properties",
         [](SavedDocument& s) {
             EscapeAfter<KTAxesDlg> escape(s.closeBy, [](KTAxesDlg& d) {
                 Type(d.XMaxEdit(), "7");
                 QTest::mouseClick(d.MoreLessButton(), Qt::LeftButton);
                 d.RestrictionRadio(2)->click();
                 Type(d.XMillimetreEdit(), "12");
                 d.XWeightCombo()->setCurrentText(QStringLiteral("3pt"));
             });
             s.view->OnRButtonUp(s.DeviceOf(6.0, 0.0)); // on the x axis
             return escape.shown;
         },
         true},
        {"Preferences",
         [](SavedDocument& s) {
             EscapeAfter<KTPreferenceDlg> escape(s.closeBy, [](KTPreferenceDlg& d) {
                 Type(static_cast<QLineEdit*>(d.Control(KTPreferenceDlg::IdBreakWidth)), "2");
             });
             s.view->OnPreferences();
             return escape.shown;
         }},
        {"Messages",
         [](SavedDocument& s) {
             EscapeAfter<KTMessagesDlg> escape(s.closeBy, [](KTMessagesDlg& d) {
                 Type(static_cast<QLineEdit*>(d.Control(KTMessagesDlg::PlainTextIds[0])), "Here");
             });
             s.view->OnMessages();
             return escape.shown;
         }},
        {"Calculate Integral",
         [](SavedDocument& s) {
             EscapeAfter<KTIntegralDlg> escape(s.closeBy, [](KTIntegralDlg& d) { Type(d.UpperEdit(), "3"); });
             s.view->OnIntegral();
             return escape.shown;
         }},
        {"Tangent Line",
         [](SavedDocument& s) {
             EscapeAfter<KTDerivativeDlg> escape(s.closeBy, [](KTDerivativeDlg& d) { Type(d.XEdit(), "1"); });
             s.view->OnTangentLine();
             return escape.shown;
         }},
        {"Family",
         [](SavedDocument& s) {
             EscapeAfter<KTFamilyDlg> escape(s.closeBy, [](KTFamilyDlg& d) { Type(d.FromEdit(), "-3"); });
             s.view->OnParamFamily(1);
             return escape.shown;
         }},
        {"Animation",
         [](SavedDocument& s) {
             EscapeAfter<KTAnimationDlg> escape(s.closeBy,
                                                [](KTAnimationDlg& d) { Type(&d.StepEdit(), "0.5"); });
             s.view->OnParamAnimate(1);
             return escape.shown;
         }},
        {"Edit Annotation",
         [](SavedDocument& s) {
             KTAnnotateEditDlg::InstallAsEditor();
             EscapeAfter<KTAnnotateEditDlg> escape(s.closeBy, [](KTAnnotateEditDlg& d) {
                 d.TextEdit()->setPlainText(QStringLiteral("Vertex"));
             });
             s.view->EditAnnotationAt(0);
             return escape.shown;
         }},
    };
    for (const CloseBy close : {CloseBy::Escape, CloseBy::CancelButton}) {
        for (const auto& row : rows) {
            SCOPED_TRACE(close == CloseBy::Escape ? "Escape" : "Cancel");
            SavedDocument saved(!row.byClick);
            saved.closeBy = close;
            // Drawn as a family, then saved as drawn (drawing steps the constant past its range).
            saved.Paint(); // the panels of the constants are placed after the first paint
            const QImage shown = saved.Paint();
            ASSERT_TRUE(saved.document.OnSaveDocument(ToQ(saved.dir.File("before.kt3")))) << row.dialog;
            ASSERT_FALSE(saved.document.IsModified()) << row.dialog;
            EXPECT_EQ(row.run(saved), 1) << row.dialog;
            // The graph looks as it did, the family drawn as before.
            EXPECT_TRUE(saved.Paint() == shown) << row.dialog;
            EXPECT_FALSE(saved.document.IsModified()) << row.dialog;
            // The family display the Animation dialog switches off while it runs is back.
            EXPECT_EQ(saved.document.Graph().Data().m_family, 1) << row.dialog;
            ASSERT_TRUE(saved.document.OnSaveDocument(ToQ(saved.dir.File("after.kt3")))) << row.dialog;
            EXPECT_EQ(FileBytes(saved.dir.File("after.kt3")), FileBytes(saved.dir.File("before.kt3")))
                << row.dialog;
        }
    }
}
