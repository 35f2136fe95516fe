#include "axes/KTOptionPOI.h"

#include "axes/KTMarker.h"
#include "foundation/KTOptionStore.h"
#include "platform/KTArchive.h"

#include "support/KTTestSupport.h"

#include <QString>

#include <gtest/gtest.h>

namespace {

using kttest::LocaleScope;

KTMarker Marker(int kind, double x, double y)
{
    KTMarker marker;
    marker.Init();
    marker.m_kind = static_cast<KTMarkerKind>(kind);
    marker.m_point = KTPoint(x, y);
    return marker;
}

} // namespace

TEST(KTOptionPOI, KeysAndDecimalsOfTheTwelveEntries)
{
    const LocaleScope english('.', ',', 44);
    const KTOptionPOI poi;
    struct Row
    {
        const char* name;
        const char* decimals;
        int places;
        const char* english;
    };
    const Row rows[KTOptionPOI::EntryCount] = {
        {"yInt", "DPyInt", 8, "y Intercept"},
        {"xInt", "DPxInt", 6, "x Intercept"},
        {"HInflect", "DPHInflect", 4, "Point of Horizontal Inflection"},
        {"LocalMax", "DPLocalMax", 4, "Local Maximum"},
        {"LocalMin", "DPLocalMin", 4, "Local Minimum"},
        {"Intersect", "DPInterSect", 6, "Point of Intersection"},
        {"VInflect", "DPVInflect", 4, "Point of Vertical Inflection"},
        {"PInflect", "DPPInflect", 3, "Point of Inflection"},
        {"PolarTurn", "DPPolarTurn", 3, "Polar Turning Point"},
        {"PointDiscont", "DPPointDiscont", 4, "Point Discontinuity"},
        {"HAsym", "DPHAsym", 4, "Horizontal Asymptote"},
        {"VAsym", "DPVAsym", 4, "Vertical Asymptote"},
    };
    for (std::size_t i = 0; i < KTOptionPOI::EntryCount; ++i) {
        const KTOptionString& name = poi.m_name[i];
        const KTOptionInt& decimals = poi.m_decimals[i];
        EXPECT_EQ(name.GetKey(), rows[i].name);
        EXPECT_EQ(name.GetSection(), "Point Of Interest");
        EXPECT_EQ(name.GetFlag(), 1);
        EXPECT_EQ(name.GetMaxLength(), -1);
        EXPECT_EQ(name.m_value, rows[i].english);
        EXPECT_EQ(decimals.GetKey(), rows[i].decimals);
        EXPECT_EQ(decimals.GetSection(), "Point Of Interest");
        EXPECT_EQ(decimals.GetFlag(), 1);
        EXPECT_EQ(decimals.m_value, rows[i].places);
        EXPECT_EQ(decimals.GetMinimum(), 0);
        EXPECT_EQ(decimals.GetMaximum(), 10);
    }
}

TEST(KTOptionPOI, DefaultNamesFollowTheCountry)
{
    struct Row
    {
        int country;
        KTPOIEntry entry;
        const char* name;
    };
    const Row rows[] = {
        {46, KTPOIyInt, "Sk\344rning med y-axeln"},
        {46, KTPOIPolarTurn, "Pol\344r v\344ndpunkt"},
        {46, KTPOIHInflect, "Terasspunkt"},
        {39, KTPOIPointDiscont, "Punto di discontinuit\340"},
        {39, KTPOIxInt, "Intercetta x"},
        {358, KTPOIHInflect, "K\344\344nnepiste ja derivaatan nollakohta"},
        {358, KTPOIPointDiscont, "Ep\344jatkuvuuskohta"},
        {31, KTPOIyInt, "Snijpunt Y-as"},
        {32, KTPOIPointDiscont, "Discontinu\357teit"},
        {32, KTPOIVAsym, "Vertikale Asymptoot"},
        {1, KTPOIIntersect, "Point of Intersection"},
        {49, KTPOILocalMin, "Local Minimum"},
    };
    for (const Row& row : rows) {
        const LocaleScope locale('.', ',', row.country);
        const KTOptionPOI poi;
        EXPECT_EQ(poi.m_name[static_cast<std::size_t>(row.entry)].m_value, row.name) << row.country;
    }
}

TEST(KTOptionPOI, AccentedNamesAreWindows1252)
{
    struct Row
    {
        int country;
        KTPOIEntry entry;
        const char* utf8;
    };
    const Row rows[] = {
        {46, KTPOIyInt, "Sk\u00e4rning med y-axeln"},
        {46, KTPOIPolarTurn, "Pol\u00e4r v\u00e4ndpunkt"},
        {39, KTPOIPointDiscont, "Punto di discontinuit\u00e0"},
        {358, KTPOIPolarTurn, "Polaarinen k\u00e4\u00e4nnepiste"},
        {31, KTPOIPointDiscont, "Discontinu\u00efteit"},
    };
    for (const Row& row : rows) {
        const LocaleScope locale('.', ',', row.country);
        const KTOptionPOI poi;
        const CString& name = poi.m_name[static_cast<std::size_t>(row.entry)].m_value;
        EXPECT_EQ(name.ToQString(), QString::fromUtf8(row.utf8));
        EXPECT_EQ(name.GetLength(), QString::fromUtf8(row.utf8).size()); // one byte per letter
    }
}

TEST(KTOptionPOI, FinnishUsesOneNameForBothInflections)
{
    const LocaleScope finnish(',', ';', 358);
    const KTOptionPOI poi;
    EXPECT_EQ(poi.LabelForKind(Marker(KTMarkerVerticalInflection, 0, 0)), "K\344\344nnepiste");
    EXPECT_EQ(poi.LabelForKind(Marker(KTMarkerInflection, 0, 0)), "K\344\344nnepiste");
}

TEST(KTOptionPOI, NameLineOfEveryKind)
{
    const LocaleScope english('.', ',', 44);
    const KTOptionPOI poi;
    const char* expected[] = {
        "",                               // 0
        "y Intercept",                    // 1
        "x Intercept",                    // 2
        "Horizontal",                     // 3
        "Point of Horizontal Inflection", // 4
        "POI_NONEFOUND",                  // 5
        "Local Maximum",                  // 6
        "Local Minimum",                  // 7
        "Point of Intersection",          // 8
        "Turning Point",                  // 9
        "Point of Vertical Inflection",   // 10
        "x Intercept",                    // 11
        "Point of Inflection",            // 12
        "",                               // 13
        "Polar Turning Point",            // 14
        "",                               // 15
        "Vertical Asymptote",             // 16
        "Horizontal Asymptote",           // 17
        "Point Discontinuity",            // 18
        "",
        "",
        "",
        "",
        "", // 19-23
    };
    for (int kind = 0; kind < static_cast<int>(std::size(expected)); ++kind)
        EXPECT_EQ(poi.LabelForKind(Marker(kind, 1, 2)), expected[kind]) << kind;
    EXPECT_EQ(poi.LabelForKind(Marker(-3, 1, 2)), "");
}

TEST(KTOptionPOI, NameLineUsesTheConfiguredName)
{
    const LocaleScope english('.', ',', 44);
    KTOptionPOI poi;
    poi.m_name[KTPOILocalMax].m_value = "Top";
    EXPECT_EQ(poi.LabelForKind(Marker(KTMarkerLocalMaximum, 0, 0)), "Top");
}

TEST(KTOptionPOI, CoordinatesLineOfEveryKind)
{
    const LocaleScope english('.', ',', 44);
    const KTOptionPOI poi;
    const double third = 1.0 / 3.0;
    struct Row
    {
        int kind;
        const char* text;
    };
    const Row rows[] = {
        {0, ""},
        {1, "( 0.33333333 , -0.33333333 )"}, // DPyInt 8
        {2, "( 0.333333 , -0.333333 )"},     // DPxInt 6
        {3, "( 0.333333 , -0.333333 )"},     // fixed 6
        {4, "( 0.3333 , -0.3333 )"},
        {5, "( 0.333333 , -0.333333 )"},
        {6, "( 0.3333 , -0.3333 )"},
        {7, "( 0.3333 , -0.3333 )"},
        {8, "( 0.333333 , -0.333333 )"},
        {9, ""},
        {10, "( 0.3333 , -0.3333 )"},
        {11, "( 0.333333 , -0.333333 )"},
        {12, "( 0.333 , -0.333 )"},
        {13, "( 0.33333333 , -0.33333333 )"}, // fixed 8
        {14, "( 0.333 , -0.333 )"},
        {15, ""},
        {16, "x = 0.3333"},
        {17, "y = -0.3333"},
        {18, "( 0.3333 , -0.3333 )"},
        {19, ""},
        {20, ""},
        {21, "( 0.333333 , -0.333333 )"},
        {22, "( 0.333333 , -0.333333 )"},
        {23, ""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(Marker(row.kind, third, -third).LabelText(poi), row.text) << row.kind;
}

TEST(KTOptionPOI, CoordinatesLineTakesTheUserSeparators)
{
    struct Row
    {
        char decimal;
        char list;
        int country;
        int kind;
        double x;
        double y;
        const char* text;
    };
    const Row rows[] = {
        {'.', ',', 44, KTMarkerIntersection, 1.5, -2, "( 1.5 , -2 )"}, // English
        {',', ';', 31, KTMarkerIntersection, 1.5, -2, "( 1,5 ; -2 )"}, // Dutch
        {',', ';', 46, KTMarkerIntersection, 1.5, -2, "( 1,5 ; -2 )"}, // Swedish
        {',', ';', 46, KTMarkerHorizontalAsymptote, 7.25, 3, "y = 3"},
        {',', ';', 32, KTMarkerVerticalAsymptote, -0.125, 9, "x = -0,125"},
        {',', ';', 31, KTMarkerXIntercept, -0.0000001, 0, "( 0 ; 0 )"}, // "-0" shows as 0
    };
    for (const Row& row : rows) {
        const LocaleScope locale(row.decimal, row.list, row.country);
        const KTOptionPOI poi;
        EXPECT_EQ(Marker(row.kind, row.x, row.y).LabelText(poi), row.text) << row.country << " " << row.kind;
    }
}

TEST(KTOptionPOI, DecimalsOutsideTheirRangeReadAsTheMidpoint)
{
    const LocaleScope english('.', ',', 44);
    KTOptionPOI poi;
    poi.m_decimals[KTPOIIntersect].m_value = 99;
    EXPECT_EQ(poi.Decimals(KTPOIIntersect), 5);
    EXPECT_EQ(Marker(KTMarkerIntersection, 1.0 / 3.0, 2).LabelText(poi), "( 0.33333 , 2 )");
    poi.m_decimals[KTPOIIntersect].m_value = 0;
    EXPECT_EQ(Marker(KTMarkerIntersection, 2.6, 2).LabelText(poi), "( 3 , 2 )");
}

TEST(KTOptionPOI, ArchiveRoundTripAndForm)
{
    const LocaleScope english('.', ',', 44);
    KTOptionPOI poi;
    poi.m_name[KTPOIxInt].m_value = "Root";
    poi.m_decimals[KTPOIVAsym].m_value = 2;
    KTArchive out;
    poi.Serialize(out);

    // Tag, version, 12 x (name, int32), end tag.
    std::size_t expectedSize = 1 + 11 + 2 + 1 + 13;
    for (std::size_t i = 0; i < KTOptionPOI::EntryCount; ++i)
        expectedSize += 1 + static_cast<std::size_t>(poi.m_name[i].m_value.GetLength()) + 4;
    ASSERT_EQ(out.Data().size(), expectedSize);
    KTArchive header(out.Data());
    WORD version = 0;
    EXPECT_TRUE(header.ReadBeginTag("KTOptionPOI", version));
    EXPECT_EQ(version, 1);
    CString first;
    std::int32_t firstDecimals = 0;
    header >> first >> firstDecimals;
    EXPECT_EQ(first, "y Intercept");
    EXPECT_EQ(firstDecimals, 8);

    const LocaleScope swedish(',', ';', 46);
    KTOptionPOI back;
    KTArchive in(out.Data());
    back.Serialize(in);
    EXPECT_TRUE(in.AtEnd());
    for (std::size_t i = 0; i < KTOptionPOI::EntryCount; ++i) {
        EXPECT_EQ(back.m_name[i].m_value, poi.m_name[i].m_value) << i;
        EXPECT_EQ(back.m_decimals[i].m_value, poi.m_decimals[i].m_value) << i;
    }
}

TEST(KTOptionPOI, WrongTagLeavesTheRecord)
{
    KTArchive out;
    out.WriteBeginTag("KTOptionPOX", 1);
    out << CString("Nope") << std::int32_t{1};
    KTOptionPOI poi;
    const CString before = poi.m_name[0].m_value;
    KTArchive in(out.Data());
    poi.Serialize(in);
    EXPECT_EQ(poi.m_name[0].m_value, before);
}

TEST(KTOptionPOI, SettingsRoundTripThroughTheFile)
{
    const LocaleScope english('.', ',', 44);
    const kttest::TempDir dir;
    const CString path = dir.Folder() + "poi.ini";

    KTOptionStore writer;
    writer.m_location = 4; // keeps the path set here
    writer.SetPath(path);
    KTOptionPOI poi;
    poi.m_name[KTPOIHAsym].m_value = "Level";
    poi.m_decimals[KTPOIPInflect].m_value = 9;
    poi.SaveSettings(writer, false);
    EXPECT_EQ(writer.GetValue("Point Of Interest", "HAsym"), "Level");
    EXPECT_EQ(writer.GetValue("Point Of Interest", "DPInterSect"), "6");
    EXPECT_EQ(writer.GetValue("Point Of Interest", "DPPInflect"), "9");
    writer.Write();

    KTOptionStore reader;
    reader.m_location = 4;
    reader.SetPath(path);
    KTOptionPOI loaded;
    loaded.LoadSettings(reader); // reloads the file itself
    EXPECT_EQ(loaded.m_name[KTPOIHAsym].m_value, "Level");
    EXPECT_EQ(loaded.m_decimals[KTPOIPInflect].m_value, 9);
    EXPECT_EQ(loaded.m_name[KTPOIyInt].m_value, "y Intercept");

    KTOptionStore defaults;
    poi.SaveSettings(defaults, true);
    EXPECT_EQ(defaults.GetValue("Point Of Interest", "HAsym"), "Horizontal Asymptote");
    EXPECT_EQ(defaults.GetValue("Point Of Interest", "DPPInflect"), "3");
}
