#include "graph/KTOptionGraph3.h"

#include "engine/KTExceptionBase.h"
#include "foundation/KTOptionStore.h"
#include "axes/KTOptionPOI.h"
#include "platform/KTArchive.h"
#include "platform/KTLocale.h"

#include "support/KTArchiveBytes.h"
#include "support/KTTestSupport.h"

#include <QByteArray>
#include <QLocale>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>

using namespace kttest::bytes;

namespace {

using kttest::LocaleScope;

/// A record with a different value in every kind of member, nested records included.
KTOptionGraph3 Changed()
{
    KTOptionGraph3 options;
    options.m_autoScale.m_value = 1;
    options.m_functions[3].m_pen.m_value = KTLogPen(1, 0x10001, RGB(1, 2, 3), 35.25);
    options.m_functions[9].m_vAsym.m_value = 0;
    options.m_axes.m_showGrid.m_value = 1;
    options.m_axes.m_xMinShowS.SetValue("-2pi");
    options.m_annotation.m_anchorGap.m_value = 77;
    options.m_derivative.m_pen.m_value.m_color = RGB(0, 128, 0);
    options.m_integral.m_showArea.m_value = 0;
    options.m_integral.m_brush.m_value = KTLogBrush(1, 2, RGB(7, 8, 9), 3);
    options.m_frOnly.m_value = 0;
    options.m_frAgree.m_value = 0;
    options.m_frBrush.m_value = KTLogBrush(0, 3, RGB(4, 5, 6), 0);
    options.m_frDivisions.m_value = 123;
    options.m_frSolid.m_value = 0;
    options.m_frPixel.m_value = RGB(9, 9, 9);
    options.m_replacePlusMinusOnDisplay.m_value = 0;
    options.m_allowPreferenceChanges.m_value = 0;
    options.m_rightClickOnAxes.m_value = 1;
    options.m_poi.m_name[2].SetValue("Flat");
    options.m_msgArea.SetValue("Fl\xE4"
                               "che = ");
    options.m_dpArea.m_value = 7;
    options.m_msgyAxis.SetValue(" (Y)");
    options.m_msgDeriv1.SetValue("d1");
    options.m_msgDeriv2.SetValue("d2");
    options.m_msgRightClick.SetValue("right");
    options.m_msgNegativeArm.SetValue(" (-)");
    options.m_msgPositiveArm.SetValue(" (+)");
    return options;
}

KTOptionStore StoreAt(const kttest::TempDir& dir, const char* name)
{
    KTOptionStore store;
    store.m_location = 4; // keeps the path set here
    store.SetPath(dir.Folder() + name);
    return store;
}

/// The settings text the record writes into an empty store.
std::string SettingsText(KTOptionGraph3 options, bool writeDefaults)
{
    KTOptionStore store;
    store.m_location = 4;
    options.SaveSettings(store, writeDefaults);
    return store.ToText();
}

} // namespace

TEST(KTOptionGraph3, GraphEntryDefaults)
{
    const KTOptionGraph3 options;
    struct BoolRow
    {
        const KTOptionBool& option;
        const char* key;
        BYTE value;
    };
    const BoolRow bools[] = {
        {options.m_autoScale, "AutoScale", 0},
        {options.m_frOnly, "FROnly", 1},
        {options.m_frAgree, "FRAgree", 1},
        {options.m_frSolid, "FRSolid", 1},
        {options.m_replacePlusMinusOnDisplay, "ReplacePlusMinusOnDisplay", 1},
        {options.m_allowPreferenceChanges, "AllowPreferenceChanges", 1},
        {options.m_rightClickOnAxes, "RightClickOnAxes", 1},
    };
    for (const BoolRow& row : bools) {
        EXPECT_EQ(row.option.GetSection(), "Graph") << row.key;
        EXPECT_EQ(row.option.GetKey(), row.key);
        EXPECT_EQ(row.option.m_value, row.value) << row.key;
        EXPECT_EQ(row.option.GetDefault(), row.value) << row.key;
        EXPECT_EQ(row.option.GetStored(), row.value) << row.key;
        EXPECT_EQ(row.option.GetFlag(), 0) << row.key;
    }
    EXPECT_EQ(options.m_frDivisions.GetKey(), "FRDivisions");
    EXPECT_EQ(options.m_frDivisions.m_value, 200);
    EXPECT_EQ(options.m_frDivisions.GetMinimum(), 50);
    EXPECT_EQ(options.m_frDivisions.GetMaximum(), 500);
    EXPECT_EQ(options.m_frPixel.GetKey(), "FRPixel");
    EXPECT_EQ(options.m_frPixel.m_value, RGB(50, 50, 50));
    EXPECT_EQ(options.m_frBrush.GetKey(), "FRBrush");
    EXPECT_EQ(options.m_frBrush.GetSection(), "Graph");
    EXPECT_EQ(options.m_frBrush.m_value, KTLogBrush(0, 1, RGB(200, 200, 200), 0));
    EXPECT_EQ(options.m_frBrush.GetDefault(), options.m_frBrush.m_value);

    EXPECT_EQ(options.m_dpArea.GetSection(), "Message");
    EXPECT_EQ(options.m_dpArea.GetKey(), "DPArea");
    EXPECT_EQ(options.m_dpArea.m_value, 4);
    EXPECT_EQ(options.m_dpArea.GetMinimum(), 0);
    EXPECT_EQ(options.m_dpArea.GetMaximum(), 10);
    EXPECT_EQ(options.m_dpArea.GetFlag(), 1);
}

TEST(KTOptionGraph3, NestedRecordsHaveTheirOwnDefaults)
{
    KTOptionGraph3 options;
    for (int i = 0; i < KTOptionGraph3::FunctionCount; ++i) {
        KTOptionFunction3 expected;
        expected.SetDefaults(i);
        EXPECT_EQ(Stored(options.m_functions[static_cast<std::size_t>(i)]), Stored(expected)) << i;
        EXPECT_EQ(options.m_functions[static_cast<std::size_t>(i)].m_pen.GetSection(),
                  expected.m_pen.GetSection());
    }
    KTOptionAxes2 axes;
    KTOptionsAnnotation annotation;
    KTOptionDerivative derivative;
    KTOptionIntegral integral;
    KTOptionPOI poi;
    EXPECT_EQ(Stored(options.m_axes), Stored(axes));
    EXPECT_EQ(Stored(options.m_annotation), Stored(annotation));
    EXPECT_EQ(Stored(options.m_derivative), Stored(derivative));
    EXPECT_EQ(Stored(options.m_integral), Stored(integral));
    EXPECT_EQ(Stored(options.m_poi), Stored(poi));
}

TEST(KTOptionGraph3, MessageTextsFollowTheCountry)
{
    struct Row
    {
        int country;
        const char* locale; ///< a locale whose territory has the country code
        const char* yAxis;
        const char* area;
        const char* deriv1;
        const char* deriv2;
        const char* rightClick;
        const char* negativeArm;
        const char* positiveArm;
    };
    const Row rows[] = {
        {46, "sv_SE", " (y-axeln)", "Area  =  ", "Derivatan av", "Andraderivatan av",
         "H\xF6gerklicka f\xF6r att redigera", " (Negativ Arm)", " (Positiv Arm)"},
        {39, "it_IT", "(Asse y)", "Area  =  ", "Derivata prima di", "Derivata seconda di",
         "Click col tasto destro per modificare", " (ramo negativo)", " (ramo positivo)"},
        {358, "fi_FI", " (y-akseli)", "Ala = ", "1. derivaatta funktiolle", "2. derivaatta funktiolle",
         "Editointiin hiiren oikealla painikkeella", " (Miinusmerkill\xE4)", " (Plusmerkill\xE4)"},
        {31, "nl_NL", " (Y-as)", "Oppervlakte = ", "1ste Afgeleide van", "2de Afgeleide van",
         "Opmaak met Rechtermuisknop", " (Negatief Deel)", " (Positief Deel)"},
        {32, "nl_BE", " (Y-as)", "Oppervlakte = ", "1ste Afgeleide van", "2de Afgeleide van",
         "Opmaak met Rechtermuisknop", " (Negatief Deel)", " (Positief Deel)"},
        {1, "en_US", " (y Axis)", "Area  =  ", "1st Derivative of", "2nd Derivative of",
         "Right Click to Edit", " (Negative Arm)", " (Positive Arm)"},
        {44, "en_GB", " (y Axis)", "Area  =  ", "1st Derivative of", "2nd Derivative of",
         "Right Click to Edit", " (Negative Arm)", " (Positive Arm)"},
        {49, "de_DE", " (y Axis)", "Area  =  ", "1st Derivative of", "2nd Derivative of",
         "Right Click to Edit", " (Negative Arm)", " (Positive Arm)"},
    };
    auto expectTexts = [](const Row& row) {
        const KTOptionGraph3 options;
        EXPECT_EQ(options.m_msgyAxis.m_value, row.yAxis) << row.country;
        EXPECT_EQ(options.m_msgArea.m_value, row.area) << row.country;
        EXPECT_EQ(options.m_msgDeriv1.m_value, row.deriv1) << row.country;
        EXPECT_EQ(options.m_msgDeriv2.m_value, row.deriv2) << row.country;
        EXPECT_EQ(options.m_msgRightClick.m_value, row.rightClick) << row.country;
        EXPECT_EQ(options.m_msgNegativeArm.m_value, row.negativeArm) << row.country;
        EXPECT_EQ(options.m_msgPositiveArm.m_value, row.positiveArm) << row.country;
        for (const KTOptionString* text :
             {&options.m_msgyAxis, &options.m_msgArea, &options.m_msgDeriv1, &options.m_msgDeriv2,
              &options.m_msgRightClick, &options.m_msgNegativeArm, &options.m_msgPositiveArm}) {
            EXPECT_EQ(text->GetSection(), "Message");
            EXPECT_EQ(text->GetFlag(), 1);
            EXPECT_EQ(text->GetMaxLength(), -1);
            EXPECT_EQ(text->GetDefault(), text->m_value);
        }
    };
    for (const Row& row : rows) {
        const LocaleScope country('.', ',', row.country);
        expectTexts(row);
    }
    // From the locale itself, as a user's system gives it: its territory names the country.
    const QLocale previous;
    for (const Row& row : rows) {
        QLocale::setDefault(QLocale(QString::fromLatin1(row.locale)));
        EXPECT_EQ(KTLocale::CountryCode(), row.country) << row.locale;
        expectTexts(row);
        const KTOptionPOI poi;
        EXPECT_EQ(poi.m_name[KTPOIIntersect].m_value, row.country == 358  ? "Leikkauspiste"
                                                      : row.country == 46 ? "Sk\xE4rningspunkt"
                                                      : row.country == 39 ? "Punto di intersezione"
                                                      : row.country == 31 || row.country == 32
                                                          ? "Snijpunt"
                                                          : "Point of Intersection")
            << row.locale;
    }
    // The same countries in their other languages, and a territory without texts of its own.
    const struct
    {
        const char* locale;
        int country;
    } others[] = {{"sv_FI", 358}, {"fr_BE", 32}, {"it_CH", 41}, {"de_AT", 43}, {"fr_FR", 33}, {"es_MX", 1}};
    for (const auto& other : others) {
        QLocale::setDefault(QLocale(QString::fromLatin1(other.locale)));
        EXPECT_EQ(KTLocale::CountryCode(), other.country) << other.locale;
    }
    QLocale::setDefault(previous);
}

TEST(KTOptionGraph3, SettingsRoundTrip)
{
    const LocaleScope english;
    const kttest::TempDir dir;
    KTOptionStore writer = StoreAt(dir, "g.ini");
    KTOptionGraph3 changed = Changed();
    changed.SaveSettings(writer, false);
    writer.Write();
    EXPECT_EQ(writer.GetValue("Graph", "FRDivisions"), "123");
    EXPECT_EQ(writer.GetValue("Message", "DPArea"), "7");
    EXPECT_EQ(writer.GetValue("Integral", "ShowArea"), "0");

    KTOptionStore reader = StoreAt(dir, "g.ini");
    KTOptionGraph3 loaded;
    loaded.LoadSettings(reader);
    EXPECT_EQ(loaded.m_autoScale.m_value, 1);
    EXPECT_EQ(loaded.m_functions[3].m_pen.m_value, KTLogPen(1, 0x10001, RGB(1, 2, 3), 35.25));
    EXPECT_EQ(loaded.m_axes.m_xMinShowS.m_value, "-2pi");
    EXPECT_EQ(loaded.m_derivative.m_pen.m_value.m_color, RGB(0, 128, 0));
    EXPECT_EQ(loaded.m_integral.m_brush.m_value, KTLogBrush(1, 2, RGB(7, 8, 9), 3));
    EXPECT_EQ(loaded.m_frBrush.m_value, KTLogBrush(0, 3, RGB(4, 5, 6), 0));
    EXPECT_EQ(loaded.m_frPixel.m_value, RGB(9, 9, 9));
    EXPECT_EQ(loaded.m_rightClickOnAxes.m_value, 1);
    EXPECT_EQ(loaded.m_allowPreferenceChanges.m_value, 0);
    EXPECT_EQ(loaded.m_msgArea.m_value, "Fl\xE4"
                                        "che = ");
    EXPECT_EQ(loaded.m_poi.m_name[2].m_value, "Flat");
    // Whatever the file rounds (six decimals of a pen width), a loaded record writes the same
    // settings again.
    EXPECT_EQ(SettingsText(loaded, false), SettingsText(changed, false));
}

TEST(KTOptionGraph3, WritingDefaultsThenLoadingGivesEveryDefault)
{
    const LocaleScope english;
    const kttest::TempDir dir;
    KTOptionStore store = StoreAt(dir, "d.ini");
    Changed().SaveSettings(store, true);
    store.Write();
    EXPECT_EQ(SettingsText(Changed(), true), SettingsText(KTOptionGraph3(), false));

    KTOptionStore reader = StoreAt(dir, "d.ini");
    KTOptionGraph3 loaded = Changed();
    loaded.LoadSettings(reader);
    EXPECT_EQ(SettingsText(loaded, false), SettingsText(KTOptionGraph3(), false));
    EXPECT_EQ(loaded.m_msgArea.m_value, "Area  =  ");
    EXPECT_EQ(loaded.m_msgyAxis.m_value, " (y Axis)");
    EXPECT_EQ(loaded.m_frDivisions.m_value, 200);
    EXPECT_EQ(loaded.m_dpArea.m_value, 4);
    EXPECT_EQ(loaded.m_autoScale.m_value, 0);
}

TEST(KTOptionGraph3, StoredValuesOutOfRangeReadAsTheMidpoint)
{
    const kttest::TempDir dir;
    KTOptionStore store = StoreAt(dir, "r.ini");
    store.SetValue("Graph", "FRDivisions", "9999", true);
    store.SetValue("Message", "DPArea", "-3", true);
    store.Write();
    KTOptionStore reader = StoreAt(dir, "r.ini");
    KTOptionGraph3 loaded;
    loaded.LoadSettings(reader);
    EXPECT_EQ(loaded.m_frDivisions.m_value, 275);
    EXPECT_EQ(loaded.m_dpArea.m_value, 5);
}

TEST(KTOptionGraph3, ArchiveOfAFreshRecord)
{
    const LocaleScope english;
    KTOptionGraph3 options;
    Bytes functions;
    for (KTOptionFunction3& function : options.m_functions) {
        const Bytes one = Stored(function);
        functions.insert(functions.end(), one.begin(), one.end());
    }
    const Bytes expected = Join({
        Str("KTOptionGraph3"),
        U16(3),
        B(0), // AutoScale
        Stored(options.m_axes),
        functions,
        Stored(options.m_annotation),
        Stored(options.m_derivative),
        Stored(options.m_integral),
        B(1),
        B(1), // FROnly, FRAgree
        Brush(0, 1, RGB(200, 200, 200), 0),
        I32(200),
        B(1), // FRBrush, FRDivisions, FRSolid
        U32(RGB(50, 50, 50)),
        B(1),
        B(1),
        B(1), // FRPixel, ReplacePlusMinus, RightClick, AllowPreference
        Stored(options.m_poi),
        Str(" (y Axis)"),
        Str("Area  =  "),
        Str("1st Derivative of"),
        Str("2nd Derivative of"),
        Str("Right Click to Edit"),
        Str(" (Negative Arm)"),
        Str(" (Positive Arm)"),
        I32(4), // DPArea
        Str("/KTOptionGraph3/"),
    });
    EXPECT_EQ(Stored(options), expected);
    EXPECT_EQ(Stored(options.m_axes).size() > 100u, true);
}

TEST(KTOptionGraph3, ArchiveOrderOfTheSwitchesDiffersFromTheSettingsOrder)
{
    KTOptionGraph3 options;
    options.m_frPixel.m_value = 0x0A0B0C;
    options.m_replacePlusMinusOnDisplay.m_value = 0;
    options.m_rightClickOnAxes.m_value = 1;
    options.m_allowPreferenceChanges.m_value = 0;
    const Bytes bytes = Stored(options);
    // FRSolid, FRPixel, ReplacePlusMinusOnDisplay, RightClickOnAxes, AllowPreferenceChanges.
    const Bytes run = Join({B(1), U32(0x0A0B0C), B(0), B(1), B(0)});
    EXPECT_NE(std::search(bytes.begin(), bytes.end(), run.begin(), run.end()), bytes.end());
}

TEST(KTOptionGraph3, ArchiveRoundTripAndAssignment)
{
    KTOptionGraph3 changed = Changed();
    const Bytes bytes = Stored(changed);
    KTOptionGraph3 loaded;
    EXPECT_EQ(Load(loaded, bytes), 0u);
    EXPECT_EQ(Stored(loaded), bytes);

    KTOptionGraph3 assigned;
    assigned = changed;
    EXPECT_EQ(Stored(assigned), bytes);
    EXPECT_EQ(assigned.m_msgArea.GetKey(), "MsgArea");
    EXPECT_EQ(assigned.m_frDivisions.GetMaximum(), 500);
    EXPECT_EQ(SettingsText(assigned, true), SettingsText(changed, true));
}

TEST(KTOptionGraph3, AFaultyArchiveIsALoadErrorAndChangesNothing)
{
    const Bytes good = Stored(*std::make_unique<KTOptionGraph3>(Changed()));
    auto replaced = [&](const std::string& from, const std::string& to) {
        Bytes bytes = good;
        const auto at = std::search(bytes.begin(), bytes.end(), from.begin(), from.end());
        EXPECT_NE(at, bytes.end()) << from;
        std::copy(to.begin(), to.end(), at);
        return bytes;
    };
    struct Row
    {
        const char* what;
        Bytes bytes;
    };
    Bytes oldVersion = good;
    oldVersion[15] = 2; // the version after "KTOptionGraph3"
    const Row rows[] = {
        {"wrong tag", replaced("KTOptionGraph3", "KTOptionGraph4")},
        {"old version", oldVersion},
        {"wrong nested tag", replaced("KTOptionFunction3", "KTOptionFunctionX")},
        {"wrong nested end tag", replaced("/KTOptionPOI/", "/KTOptionPOX/")},
        {"wrong end tag", replaced("/KTOptionGraph3/", "/KTOptionGraphX/")},
    };
    for (const Row& row : rows) {
        KTOptionGraph3 options;
        const Bytes before = Stored(options);
        EXPECT_THROW(Load(options, row.bytes), KTExceptionBase) << row.what;
        EXPECT_EQ(Stored(options), before) << row.what;
    }
    // Every cut of the archive fails, and leaves the record as it was.
    for (std::size_t length = 0; length < good.size(); length += 7) {
        KTOptionGraph3 options;
        const Bytes before = Stored(options);
        const Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length));
        bool failed = false;
        try {
            Load(options, cut);
        } catch (const KTArchiveException&) {
            failed = true;
        } catch (const KTExceptionBase&) {
            failed = true;
        }
        EXPECT_TRUE(failed) << length;
        EXPECT_EQ(Stored(options), before) << length;
    }
}

TEST(KTOptionGraph3, WritesTheSettingsSeedsWhenAsked)
{
    // The settings-file fuzzer's seeds: files the program writes, and files a person or another
    // program may have left in their place.
    const QByteArray root = qgetenv("KT_WRITE_SAMPLES");
    if (root.isEmpty())
        GTEST_SKIP() << "set KT_WRITE_SAMPLES to the repository's folder to write them";
    const std::filesystem::path folder =
        std::filesystem::path(root.constData()) / "tests/data/graph/settings";
    std::filesystem::create_directories(folder);
    KTOptionGraph3 factory;
    factory.SetDefaults();
    const std::string defaults = SettingsText(factory, true);
    kttest::WriteFileBytes(folder / "factory-defaults.ini", defaults);
    kttest::WriteFileBytes(folder / "changed.ini", SettingsText(Changed(), false));
    kttest::WriteFileBytes(folder / "cut-in-a-line.ini", defaults.substr(0, defaults.size() / 2 + 7));
    kttest::WriteFileBytes(folder / "empty.ini", "");
    kttest::WriteFileBytes(folder / "odd-lines.ini",
                           "no equals sign\n[Axes]\r\nxMaxShowS=\r\nxMaxShowS=1e400\n[Axes\n=no key\n"
                           "[]\nShowGrid=-7\r\r\n[Axes]x]\nAxisFont=1,2,3\nAngleSystem=99999999999999\n"
                           "[Integral]\nBrush=,,,\n[Derivative]\nPen=1;2;3;4\n\n\r\n[Graph]\nAutoScale=yes");
}
