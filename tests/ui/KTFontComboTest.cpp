// The font combo box: sorted faces without symbol fonts, the face-name exchange, item heights
// and the drop-down width by display mode.

#include "ui/KTFontCombo.h"

#include <QFontDatabase>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

void AddFaces(KTFontCombo& combo)
{
    combo.AddFace(QStringLiteral("Verdana"), TRUETYPE_FONTTYPE, true);
    combo.AddFace(QStringLiteral("arial"), TRUETYPE_FONTTYPE, true);
    combo.AddFace(QStringLiteral("Courier"), RASTER_FONTTYPE, true);
    combo.AddFace(QStringLiteral("Symbol"), TRUETYPE_FONTTYPE, false);
    combo.AddFace(QStringLiteral("Arial Black"), TRUETYPE_FONTTYPE, true);
}

} // namespace

TEST(KTFontCombo, KeepsTheFacesSortedAndLeavesOutNonLatinOnes)
{
    KTFontCombo combo;
    AddFaces(combo);
    ASSERT_EQ(combo.count(), 4);
    const QStringList expected{QStringLiteral("arial"), QStringLiteral("Arial Black"),
                               QStringLiteral("Courier"), QStringLiteral("Verdana")};
    for (int i = 0; i < combo.count(); ++i)
        EXPECT_EQ(combo.itemText(i), expected.at(i));
    EXPECT_EQ(combo.itemData(2).toInt(), RASTER_FONTTYPE);
    EXPECT_EQ(combo.itemData(3).toInt(), TRUETYPE_FONTTYPE);
}

TEST(KTFontCombo, FillListsInstalledLatinFacesAndSelectsTheFirst)
{
    KTFontCombo combo;
    combo.Fill();
    const QStringList families = QFontDatabase::families();
    if (families.isEmpty())
        GTEST_SKIP() << "no fonts installed";
    for (int i = 0; i < combo.count(); ++i) {
        const QString face = combo.itemText(i);
        EXPECT_FALSE(QFontDatabase::writingSystems(face).contains(QFontDatabase::Symbol))
            << face.toStdString();
        if (i > 0) {
            EXPECT_LE(QString::compare(combo.itemText(i - 1), face, Qt::CaseInsensitive), 0);
        }
    }
    if (combo.count() > 0) {
        EXPECT_EQ(combo.currentIndex(), 0);
    }
    // A second fill starts again.
    const int count = combo.count();
    combo.Fill();
    EXPECT_EQ(combo.count(), count);
}

TEST(KTFontCombo, ExchangesTheFaceName)
{
    KTFontCombo combo;
    CString face;
    combo.setCurrentIndex(-1);
    DDX_FontCombo(true, combo, face);
    EXPECT_EQ(face, "");
    AddFaces(combo);
    const struct
    {
        const char* stored;
        int selected;
        const char* saved;
    } rows[] = {
        {"Courier", 2, "Courier"},
        {"Arial Black", 1, "Arial Black"},
        {"Arial", 0, "arial"}, // the entry of the face, case aside
        // Not installed: an entry of its own keeps the face, in its place in the order; a
        // beginning of a name is no other face.
        {"Gone Sans", 3, "Gone Sans"},
        {"verd", 4, "verd"},
        {"Gone Sans", 3, "Gone Sans"}, // listed once
    };
    for (const auto& row : rows) {
        face = row.stored;
        DDX_FontCombo(false, combo, face);
        EXPECT_EQ(combo.currentIndex(), row.selected) << row.stored;
        DDX_FontCombo(true, combo, face);
        EXPECT_EQ(face, row.saved) << row.stored;
    }
    EXPECT_EQ(combo.count(), 6);
    combo.setCurrentIndex(-1);
    DDX_FontCombo(true, combo, face);
    EXPECT_EQ(face, "");
    // An empty face selects nothing, and so stays empty.
    DDX_FontCombo(false, combo, face);
    EXPECT_EQ(combo.currentIndex(), -1);
}

TEST(KTFontCombo, FamilyNamesLeaveOutTheFoundry)
{
    const struct
    {
        const char* database;
        const char* family;
    } rows[] = {
        {"C059 [UKWN]", "C059"},        {"Nimbus Sans [URW ]", "Nimbus Sans"},
        {"DejaVu Sans", "DejaVu Sans"}, {"Odd [Name] Sans", "Odd [Name] Sans"},
        {"[Bracketed]", "[Bracketed]"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(KTFontCombo::FamilyName(QString::fromLatin1(row.database)), QString::fromLatin1(row.family))
            << row.database;
}

TEST(KTFontCombo, ListsEachInstalledFamilyOnceByItsName)
{
    KTFontCombo combo;
    combo.Fill();
    QStringList expected;
    for (const QString& family : QFontDatabase::families()) {
        const QList<QFontDatabase::WritingSystem> systems = QFontDatabase::writingSystems(family);
        const QString name = KTFontCombo::FamilyName(family);
        if (systems.contains(QFontDatabase::Latin) && !systems.contains(QFontDatabase::Symbol) &&
            !expected.contains(name, Qt::CaseInsensitive))
            expected << name;
    }
    if (expected.isEmpty())
        GTEST_SKIP() << "no fonts installed";
    QStringList listed;
    for (int i = 0; i < combo.count(); ++i) {
        EXPECT_FALSE(combo.itemText(i).endsWith(QLatin1Char(']'))) << combo.itemText(i).toStdString();
        listed << combo.itemText(i);
    }
    listed.sort(Qt::CaseInsensitive);
    expected.sort(Qt::CaseInsensitive);
    EXPECT_EQ(listed, expected);
}

TEST(KTFontCombo, ItemHeightAndDropDownWidthByMode)
{
    KTFontCombo combo;
    AddFaces(combo);
    EXPECT_EQ(combo.FontHeight(), 18);
    EXPECT_EQ(combo.MeasureItem(0), 22);
    // Mode 0 measures no widths: the list is no wider than the scroll bar and margin.
    const int base = combo.DropDownWidth();
    EXPECT_EQ(combo.WidestName(), 0);
    combo.SetDisplayMode(KTFontCombo::ModeFaceThenSample);
    for (int i = 0; i < combo.count(); ++i)
        combo.MeasureItem(i);
    EXPECT_GT(combo.WidestName(), 0);
    EXPECT_GT(combo.WidestSample(), 0);
    EXPECT_EQ(combo.DropDownWidth(), base + combo.WidestName() + combo.WidestSample() + 20);
    combo.SetDisplayMode(KTFontCombo::ModeSampleOnly);
    EXPECT_EQ(combo.DropDownWidth(), base + combo.WidestSample());
    combo.SetDisplayMode(KTFontCombo::ModeFaceInFace);
    EXPECT_EQ(combo.DropDownWidth(), base + combo.WidestName());

    combo.SetFontHeight(24, false);
    EXPECT_EQ(combo.MeasureItem(0), 28);
    EXPECT_EQ(combo.count(), 4);
}

TEST(KTFontCombo, DrawsTheFaceNameAndTheTrueTypeMark)
{
    KTFontCombo combo;
    AddFaces(combo);
    for (int mode = 0; mode <= 4; ++mode) {
        combo.SetDisplayMode(mode);
        QImage image(200, 22, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        combo.DrawItem(painter, image.rect(), 3, false, false, false);
        painter.end();
        int ink = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 25; x < image.width(); ++x)
                ink += qGray(image.pixel(x, y)) < 160 ? 1 : 0;
        EXPECT_GT(ink, 10) << mode;
    }
}
