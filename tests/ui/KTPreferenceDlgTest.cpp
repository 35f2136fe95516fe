// The Preferences and Messages dialogs: they open on the application's defaults, OK writes the
// document's options and the defaults and saves the settings file, Cancel writes nothing.

#include "ui/KTMessagesDlg.h"
#include "ui/KTPreferenceDlg.h"

#include "foundation/KTOptionStore.h"
#include "graph/KTOptionGraph3.h"
#include "support/KTTestSupport.h"

#include <QCheckBox>
#include <QDir>
#include <QImage>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

QLineEdit* Edit(const QDialog& dialog, int id)
{
    if (auto* preferences = qobject_cast<const KTPreferenceDlg*>(&dialog))
        return qobject_cast<QLineEdit*>(preferences->Control(id));
    return qobject_cast<QLineEdit*>(static_cast<const KTMessagesDlg&>(dialog).Control(id));
}

struct StoreInTemp
{
    kttest::TempDir folder;
    KTOptionStore store;
    StoreInTemp()
    {
        store.m_location = -1;
        store.SetPath(folder.File("KTG300.ini").string().c_str());
    }
    KTOptionGraph3 Reread()
    {
        KTOptionStore again;
        again.m_location = -1;
        again.SetPath(folder.File("KTG300.ini").string().c_str());
        KTOptionGraph3 options;
        options.LoadSettings(again);
        return options;
    }
};

} // namespace

TEST(KTPreferenceDlg, HundredthsAreShownAsDecimalsAndTypedValuesTruncate)
{
    kttest::LocaleScope locale;
    const struct
    {
        int stored;
        const char* shown;
    } shown[] = {{150, "1.5"}, {0, "0"}, {29, "0.29"}, {1000, "10"}, {5, "0.05"}};
    for (const auto& row : shown)
        EXPECT_EQ(KTPreferenceDlg::HundredthsText(row.stored), row.shown) << row.stored;
    const struct
    {
        double typed;
        int stored;
    } typed[] = {{0.29, 28}, {1.5, 150}, {0.1, 10}, {2.999, 299}, {-0.015, -1}, {20, 2000}};
    for (const auto& row : typed)
        EXPECT_EQ(KTPreferenceDlg::ToHundredths(row.typed), row.stored) << row.typed;
}

TEST(KTPreferenceDlg, OpensOnTheDefaultsNotOnTheDocument)
{
    KTOptionGraph3 defaults;
    KTOptionGraph3 document;
    defaults.m_axes.m_showOriginRadius.m_value = 150;
    document.m_axes.m_showOriginRadius.m_value = 300;
    defaults.m_axes.m_tickStyle.m_value = 3;
    defaults.m_frDivisions.m_value = 250;
    defaults.m_axes.m_showOrigin.m_value = 1;
    KTPreferenceDlg dialog(&document, &defaults, nullptr);
    dialog.OnInitDialog();
    EXPECT_EQ(Edit(dialog, KTPreferenceDlg::IdShowOriginRadius)->text(), "1.5");
    EXPECT_EQ(Edit(dialog, KTPreferenceDlg::IdFRDivisions)->text(), "250");
    EXPECT_EQ(Edit(dialog, KTPreferenceDlg::IdKeyZoomRatio)->text(), "1.3333333");
    EXPECT_TRUE(qobject_cast<QRadioButton*>(dialog.Control(KTPreferenceDlg::IdTickBelowRight))->isChecked());
    EXPECT_TRUE(qobject_cast<QCheckBox*>(dialog.Control(KTPreferenceDlg::IdShowOrigin))->isChecked());
    EXPECT_EQ(dialog.windowTitle(), "Preferences");
}

TEST(KTPreferenceDlg, OutOfRangeDefaultsShowTheMidpointAndAreMendedAtOnce)
{
    KTOptionGraph3 defaults;
    defaults.m_axes.m_breakWidth.m_value = 5000;   // range 10..1000
    defaults.m_frDivisions.m_value = 20;           // range 50..500
    defaults.m_axes.m_keyZoomRatio.m_value = 50.0; // range 1.01..10
    KTPreferenceDlg dialog(nullptr, &defaults, nullptr);
    dialog.OnInitDialog();
    EXPECT_EQ(Edit(dialog, KTPreferenceDlg::IdBreakWidth)->text(), "5.05");
    EXPECT_EQ(defaults.m_axes.m_breakWidth.m_value, 505);
    EXPECT_EQ(Edit(dialog, KTPreferenceDlg::IdFRDivisions)->text(), "275");
    EXPECT_EQ(defaults.m_frDivisions.m_value, 275);
    EXPECT_DOUBLE_EQ(defaults.m_axes.m_keyZoomRatio.m_value, 5.505);
}

TEST(KTPreferenceDlg, OkWritesDocumentDefaultsAndTheSettingsFile)
{
    StoreInTemp settings;
    KTOptionGraph3 defaults;
    KTOptionGraph3 document;
    KTPreferenceDlg dialog(&document, &defaults, &settings.store);
    dialog.OnInitDialog();
    Edit(dialog, KTPreferenceDlg::IdShowOriginRadius)->setText("0.29");
    Edit(dialog, KTPreferenceDlg::IdEndCircleSize)->setText("2.5");
    Edit(dialog, KTPreferenceDlg::IdPointDiscontinuitySize)->setText("0.5");
    Edit(dialog, KTPreferenceDlg::IdFRDivisions)->setText("400");
    Edit(dialog, KTPreferenceDlg::IdKeyZoomRatio)->setText("2");
    Edit(dialog, KTPreferenceDlg::IdPointSize)->setText("4"); // not checked: 400 is beyond 0..100
    qobject_cast<QRadioButton*>(dialog.Control(KTPreferenceDlg::IdTickBelowLeft))->setChecked(true);
    qobject_cast<QCheckBox*>(dialog.Control(KTPreferenceDlg::IdRightClickOnAxes))->setChecked(false);
    kttest::MessageBoxRecorder boxes;
    dialog.accept();
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);

    for (KTOptionGraph3* options : {&document, &defaults}) {
        EXPECT_EQ(options->m_axes.m_showOriginRadius.m_value, 28);
        EXPECT_EQ(options->m_axes.m_tickStyle.m_value, 4);
        EXPECT_EQ(options->m_frDivisions.m_value, 400);
        EXPECT_DOUBLE_EQ(options->m_axes.m_keyZoomRatio.m_value, 2.0);
        EXPECT_EQ(options->m_rightClickOnAxes.m_value, 0);
        EXPECT_EQ(options->m_annotation.m_pointSize.m_value, 50);
        for (const KTOptionFunction3& function : options->m_functions) {
            EXPECT_EQ(function.m_endCircleSize.m_value, 250);
            EXPECT_EQ(function.m_pointDiscontinuitySize.m_value, 50);
        }
    }
    const KTOptionGraph3 reread = settings.Reread();
    EXPECT_EQ(reread.m_axes.m_showOriginRadius.m_value, 28);
    EXPECT_EQ(reread.m_frDivisions.m_value, 400);
    EXPECT_EQ(reread.m_functions[7].m_endCircleSize.m_value, 250);
}

TEST(KTPreferenceDlg, AnInvalidFieldKeepsTheDialogOpenAndWritesNothing)
{
    kttest::LocaleScope locale;
    const struct
    {
        int id;
        const char* typed;
        const char* message;
    } rows[] = {
        {KTPreferenceDlg::IdShowOriginRadius, "21", "Please enter a number between 0 and 20."},
        {KTPreferenceDlg::IdBreakWidth, "0.05", "Please enter a number between 0.1 and 10."},
        {KTPreferenceDlg::IdAxesArrowSize, "5.5", "Please enter a number between 0.1 and 5."},
        {KTPreferenceDlg::IdKeyZoomRatio, "1", "Please enter a number between 1.01 and 10."},
        {KTPreferenceDlg::IdFRDivisions, "501", "Please enter an integer between 50 and 500."},
        {KTPreferenceDlg::IdFRDivisions, "60.5", "Please enter an integer."},
        {KTPreferenceDlg::IdBorderGap, "abc", "Please enter a number."},
        {KTPreferenceDlg::IdAnchorGap, "1,5", "Please enter a number."},
        {KTPreferenceDlg::IdKeyZoomRatio, "nan", "Please enter a number."},
        {KTPreferenceDlg::IdPointSize, "inf", "Please enter a number."},
    };
    for (const auto& row : rows) {
        StoreInTemp settings;
        KTOptionGraph3 defaults;
        KTOptionGraph3 document;
        KTPreferenceDlg dialog(&document, &defaults, &settings.store);
        dialog.OnInitDialog();
        dialog.setResult(-1);
        Edit(dialog, KTPreferenceDlg::IdShowOriginRadius)->setText("3"); // valid, before the bad one
        Edit(dialog, row.id)->setText(row.typed);
        if (row.id == KTPreferenceDlg::IdShowOriginRadius)
            Edit(dialog, row.id)->setText(row.typed);
        kttest::MessageBoxRecorder boxes;
        dialog.accept();
        ASSERT_EQ(boxes.Boxes().size(), 1u) << row.typed;
        EXPECT_EQ(boxes.Boxes()[0].text, row.message);
        EXPECT_EQ(dialog.result(), -1) << "the dialog stays open";
        EXPECT_EQ(defaults.m_axes.m_showOriginRadius.m_value, 150);
        EXPECT_EQ(document.m_axes.m_showOriginRadius.m_value, 150);
        EXPECT_FALSE(std::filesystem::exists(settings.folder.File("KTG300.ini")));
    }
}

TEST(KTPreferenceDlg, EveryDecimalFieldReadsTheUsersSeparatorAndTheCForm)
{
    // Each decimal field with a value inside its range; the stored value is the typed one times
    // 100 (exact for these quarters), or the ratio itself.
    const struct
    {
        int id;
        const char* comma;
        const char* point;
        int (*stored)(const KTOptionGraph3&);
    } rows[] = {
        {KTPreferenceDlg::IdShowOriginRadius, "2,5", "2.5",
         [](const KTOptionGraph3& o) { return o.m_axes.m_showOriginRadius.m_value; }},
        {KTPreferenceDlg::IdBreakWidth, "0,25", "0.25",
         [](const KTOptionGraph3& o) { return o.m_axes.m_breakWidth.m_value; }},
        {KTPreferenceDlg::IdBreakHeight, "0,75", "0.75",
         [](const KTOptionGraph3& o) { return o.m_axes.m_breakHeight.m_value; }},
        {KTPreferenceDlg::IdAxisPipSize, "1,25", "1.25",
         [](const KTOptionGraph3& o) { return o.m_axes.m_axisPipSize.m_value; }},
        {KTPreferenceDlg::IdAxesArrowSize, "0,5", "0.5",
         [](const KTOptionGraph3& o) { return o.m_axes.m_arrowSize.m_value; }},
        {KTPreferenceDlg::IdKeyZoomRatio, "1,25", "1.25",
         [](const KTOptionGraph3& o) { return static_cast<int>(o.m_axes.m_keyZoomRatio.m_value * 100); }},
        {KTPreferenceDlg::IdEndCircleSize, "0,75", "0.75",
         [](const KTOptionGraph3& o) { return o.m_functions[9].m_endCircleSize.m_value; }},
        {KTPreferenceDlg::IdPointDiscontinuitySize, "0,25", "0.25",
         [](const KTOptionGraph3& o) { return o.m_functions[0].m_pointDiscontinuitySize.m_value; }},
        {KTPreferenceDlg::IdAnchorGap, "1,5", "1.5",
         [](const KTOptionGraph3& o) { return o.m_annotation.m_anchorGap.m_value; }},
        {KTPreferenceDlg::IdRectCornerOffset, "0,5", "0.5",
         [](const KTOptionGraph3& o) { return o.m_annotation.m_rectCornerOffset.m_value; }},
        {KTPreferenceDlg::IdAnnotationArrowSize, "2,25", "2.25",
         [](const KTOptionGraph3& o) { return o.m_annotation.m_arrowSize.m_value; }},
        {KTPreferenceDlg::IdPointSize, "0,75", "0.75",
         [](const KTOptionGraph3& o) { return o.m_annotation.m_pointSize.m_value; }},
        {KTPreferenceDlg::IdBorderGap, "1,75", "1.75",
         [](const KTOptionGraph3& o) { return o.m_annotation.m_borderGap.m_value; }},
    };
    for (char decimal : {',', '.'}) {
        kttest::LocaleScope locale(decimal, decimal == ',' ? ';' : ',');
        for (const auto& row : rows) {
            // The user's own form, then the C form, which every locale reads.
            for (const char* typed : {decimal == ',' ? row.comma : row.point, row.point}) {
                KTOptionGraph3 defaults;
                KTOptionGraph3 document;
                KTPreferenceDlg dialog(&document, &defaults, nullptr);
                dialog.OnInitDialog();
                dialog.setResult(-1);
                Edit(dialog, row.id)->setText(QString::fromLatin1(typed));
                kttest::MessageBoxRecorder boxes;
                dialog.accept();
                EXPECT_TRUE(boxes.Boxes().empty()) << typed;
                EXPECT_EQ(dialog.result(), QDialog::Accepted) << typed;
                const double value = std::stod(row.point);
                EXPECT_EQ(row.stored(document), static_cast<int>(value * 100)) << typed;
                EXPECT_EQ(row.stored(defaults), static_cast<int>(value * 100)) << typed;
            }
        }
    }
    // The dialog shows its numbers in the user's form, and its range messages too.
    kttest::LocaleScope comma(',', ';');
    KTOptionGraph3 defaults;
    KTPreferenceDlg dialog(nullptr, &defaults, nullptr);
    dialog.OnInitDialog();
    EXPECT_EQ(Edit(dialog, KTPreferenceDlg::IdShowOriginRadius)->text(), "1,5");
    QDir().mkpath(QStringLiteral(KT_UI_PICTURE_DIR));
    dialog.grab().save(QStringLiteral(KT_UI_PICTURE_DIR "/preferences-decimal-comma.png"));
    Edit(dialog, KTPreferenceDlg::IdBreakWidth)->setText("0,05");
    kttest::MessageBoxRecorder boxes;
    dialog.accept();
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Please enter a number between 0,1 and 10.");
    // Grouped thousands are no decimal.
    Edit(dialog, KTPreferenceDlg::IdBreakWidth)->setText("1.000,5");
    dialog.accept();
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[1].text, "Please enter a number.");
}

TEST(KTPreferenceDlg, RangeEndsAreAccepted)
{
    KTOptionGraph3 defaults;
    KTPreferenceDlg dialog(nullptr, &defaults, nullptr);
    dialog.OnInitDialog();
    Edit(dialog, KTPreferenceDlg::IdBreakWidth)->setText("0.1");
    Edit(dialog, KTPreferenceDlg::IdBreakHeight)->setText(" 10 ");
    Edit(dialog, KTPreferenceDlg::IdFRDivisions)->setText("50");
    kttest::MessageBoxRecorder boxes;
    dialog.accept();
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(defaults.m_axes.m_breakWidth.m_value, 10);
    EXPECT_EQ(defaults.m_axes.m_breakHeight.m_value, 1000);
    EXPECT_EQ(defaults.m_frDivisions.m_value, 50);
}

TEST(KTPreferenceDlg, CancelWritesNothing)
{
    StoreInTemp settings;
    KTOptionGraph3 defaults;
    KTOptionGraph3 document;
    KTPreferenceDlg dialog(&document, &defaults, &settings.store);
    dialog.OnInitDialog();
    Edit(dialog, KTPreferenceDlg::IdShowOriginRadius)->setText("3");
    dialog.reject();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(defaults.m_axes.m_showOriginRadius.m_value, 150);
    EXPECT_EQ(document.m_axes.m_showOriginRadius.m_value, 150);
    EXPECT_FALSE(std::filesystem::exists(settings.folder.File("KTG300.ini")));
}

TEST(KTPreferenceDlg, ModalHookAnswersDoModal)
{
    KTOptionGraph3 defaults;
    const auto previous = KTPreferenceDlg::SetModalHook([](KTPreferenceDlg& dialog) {
        Edit(dialog, KTPreferenceDlg::IdBorderGap)->setText("1");
        dialog.accept();
        return dialog.result();
    });
    KTPreferenceDlg dialog(nullptr, &defaults, nullptr);
    EXPECT_EQ(dialog.DoModal(), QDialog::Accepted);
    EXPECT_EQ(defaults.m_annotation.m_borderGap.m_value, 100);
    KTPreferenceDlg::SetModalHook(previous);
}

TEST(KTMessagesDlg, OpensOnTheDefaultsAndOkGivesTheDocumentTheSameTexts)
{
    StoreInTemp settings;
    KTOptionGraph3 defaults;
    KTOptionGraph3 document;
    defaults.m_poi.m_name[KTPOILocalMax].m_value = "Peak";
    document.m_poi.m_name[KTPOILocalMax].m_value = "Something else";
    defaults.m_msgRightClick.m_value = "Right";
    KTMessagesDlg dialog(&document, &defaults, &settings.store);
    dialog.OnInitDialog();
    EXPECT_EQ(dialog.windowTitle(), "Messages");
    EXPECT_EQ(Edit(dialog, 1021)->text(), "Peak");
    EXPECT_EQ(Edit(dialog, 1060)->text(), "Right");
    auto* areaDecimals = qobject_cast<QComboBox*>(dialog.Control(1115));
    ASSERT_NE(areaDecimals, nullptr);
    EXPECT_EQ(areaDecimals->count(), 11);
    EXPECT_EQ(areaDecimals->itemText(10), "10");
    EXPECT_EQ(areaDecimals->currentIndex(), 4);

    Edit(dialog, 1094)->setText("");
    Edit(dialog, 1062)->setText("plus arm");
    qobject_cast<QComboBox*>(dialog.Control(1114))->setCurrentIndex(10);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    for (KTOptionGraph3* options : {&document, &defaults}) {
        EXPECT_EQ(options->m_poi.m_name[KTPOILocalMax].m_value, "Peak");
        EXPECT_EQ(options->m_poi.m_name[KTPOIyInt].m_value, "");
        EXPECT_EQ(options->m_poi.m_decimals[KTPOIVAsym].m_value, 10);
        EXPECT_EQ(options->m_msgPositiveArm.m_value, "plus arm");
        EXPECT_EQ(options->m_msgRightClick.m_value, "Right");
    }
    const KTOptionGraph3 reread = settings.Reread();
    EXPECT_EQ(reread.m_poi.m_decimals[KTPOIVAsym].m_value, 10);
    EXPECT_EQ(reread.m_msgPositiveArm.m_value, "plus arm");
}

TEST(KTMessagesDlg, OutOfRangeDecimalsShowTheMidpointAndCancelWritesNothing)
{
    StoreInTemp settings;
    KTOptionGraph3 defaults;
    KTOptionGraph3 document;
    defaults.m_poi.m_decimals[KTPOIxInt].m_value = 40;
    defaults.m_dpArea.m_value = -3;
    KTMessagesDlg dialog(&document, &defaults, &settings.store);
    dialog.OnInitDialog();
    EXPECT_EQ(qobject_cast<QComboBox*>(dialog.Control(1096))->currentIndex(), 5);
    EXPECT_EQ(qobject_cast<QComboBox*>(dialog.Control(1115))->currentIndex(), 5);
    EXPECT_EQ(defaults.m_poi.m_decimals[KTPOIxInt].m_value, 5);
    Edit(dialog, 1019)->setText("changed");
    dialog.reject();
    EXPECT_NE(defaults.m_poi.m_name[KTPOIxInt].m_value, "changed");
    EXPECT_NE(document.m_poi.m_name[KTPOIxInt].m_value, "changed");
    EXPECT_FALSE(std::filesystem::exists(settings.folder.File("KTG300.ini")));
}

TEST(KTMessagesDlg, EditsShowTheirTextsFromTheStartAndTheDefaultsWhole)
{
    KTOptionGraph3 defaults; // the texts the program starts with
    const CString longer = "A message much longer than any of the texts the program starts with";
    for (const bool typedLonger : {false, true}) {
        if (typedLonger)
            defaults.m_poi.m_name[KTPOIHInflect].m_value = longer;
        KTMessagesDlg dialog(nullptr, &defaults, nullptr);
        dialog.OnInitDialog();
        dialog.show();
        const QImage shown = dialog.grab().toImage(); // laid out as the user sees it
        EXPECT_FALSE(shown.isNull());
        std::vector<int> ids(KTMessagesDlg::TextIds.begin(), KTMessagesDlg::TextIds.end());
        ids.insert(ids.end(), KTMessagesDlg::PlainTextIds.begin(), KTMessagesDlg::PlainTextIds.end());
        ASSERT_EQ(ids.size(), 19u);
        int widest = 0;
        for (int id : ids) {
            QLineEdit* edit = Edit(dialog, id);
            ASSERT_NE(edit, nullptr) << id;
            EXPECT_EQ(edit->cursorPosition(), 0) << id;
            const QMargins margins = edit->textMargins();
            // Two pixels each side between the frame and the text, as the edit keeps them.
            const int room = edit->contentsRect().width() - margins.left() - margins.right() - 4;
            const int needed = edit->fontMetrics().horizontalAdvance(edit->text());
            if (edit->text() != longer.ToQString()) {
                EXPECT_GE(room, needed) << id << " " << edit->text().toStdString();
            }
            widest = std::max(widest, needed);
            EXPECT_EQ(edit->width(), Edit(dialog, ids.front())->width()) << id;
        }
        // The longest default, "Point of Horizontal Inflection", sets the width.
        EXPECT_EQ(Edit(dialog, 1020)->text(),
                  typedLonger ? longer.ToQString() : QStringLiteral("Point of Horizontal Inflection"));
        EXPECT_GT(widest, 0);
    }
}
