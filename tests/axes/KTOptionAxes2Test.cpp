#include "axes/KTOptionAxes2.h"

#include "foundation/KTIniFile.h"
#include "foundation/KTOptionStore.h"
#include "platform/KTArchive.h"

#include "support/KTTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

std::vector<std::string> KeysOf(const KTIniFile& store, const char* section)
{
    std::vector<std::string> keys;
    for (int i = 0; i < store.GetSectionCount(); ++i) {
        if (store.GetSectionName(i) == section) {
            for (const CString& key : store.GetSection(i).m_keys)
                keys.push_back(key.str());
        }
    }
    return keys;
}

std::vector<std::uint8_t> Archived(KTOptionAxes2& options)
{
    KTArchive out;
    options.Serialize(out);
    return out.Data();
}

/// A record with a changed value in every kind of member.
KTOptionAxes2 ChangedRecord()
{
    KTOptionAxes2 options;
    options.m_xNotate.m_value = "time";
    options.m_yNotateMid.m_value = "speed";
    options.m_scaleFont.m_value.m_size = 500;
    options.m_showGrid.m_value = 1;
    options.m_polarRays.m_value = 12;
    options.m_yGridMinorPen.m_value.m_color = RGB(1, 2, 3);
    options.m_marks.m_mark[2].m_value = 9;
    options.m_majorDotColor.m_value = RGB(9, 8, 7);
    options.m_xMinShowS.m_value = "-2pi";
    options.m_yMajorS.m_value = "1/3";
    options.m_breakType.m_value = KTBREAKTYPE_GAP;
    options.m_arrowRatio.m_value = 3.5;
    options.m_angleSystem.m_value = 2;
    options.m_xAxisPen.m_value.m_width = 99.5;
    options.m_yScaleMeasurement.m_value = 250.0;
    options.m_keyZoomRatio.m_value = 2.0;
    return options;
}

} // namespace

TEST(KTOptionAxes2, SettingsKeysInMemberOrder)
{
    KTOptionAxes2 options;
    KTIniFile store;
    options.SaveSettings(store, false);

    const std::vector<std::string> axes = {
        "xNotate",       "yNotate",       "xNotateMid",    "yNotateMid",   "MidAxisFont", "ScaleFont",
        "AxisFont",      "ShowGrid",      "ShowGridDots",  "UsePolarGrid", "PolarRays",   "xGridMajorPen",
        "xGridMinorPen", "yGridMajorPen", "yGridMinorPen", "MinorDot",     "MajorDot",    "MinorDotColor",
        "MajorDotColor", "AutoMaxx",      "AutoMaxy",      "AutoMinx",     "AutoMiny",    "xMaxShowS",
        "yMaxShowS",     "xMinShowS",     "yMinShowS",     "AutoxMajor",   "AutoxMinor",  "AutoyMajor",
        "AutoyMinor",    "xMajorS",       "yMajorS",       "xMinorS",      "yMinorS",     "AngleSystem"};
    const std::vector<std::string> axesOptions = {
        "ShowOrigin",         "ShowOriginRadius",   "ShowOriginPen",
        "ShowNegativeArrows", "ShowPositiveArrows", "AllowBreakScales",
        "BreakType",          "BreakWidth",         "BreakHeight",
        "TickStyle",          "AxisPipSize",        "ArrowSize",
        "ArrowRatio",         "StandardGap",        "AdjustScaleToIncludeData",
        "xLogScale",          "yLogScale",          "ShowxAxis",
        "ShowyAxis",          "ShowxTicks",         "ShowyTicks",
        "ShowxScale",         "ShowyScale",         "xAxisPen",
        "yAxisPen",           "ScaleRestriction",   "RectBias",
        "xScaleMeasurement",  "yScaleMeasurement",  "BlankUnderScale",
        "KeyZoomRatio"};
    EXPECT_EQ(KeysOf(store, "Axes"), axes);
    EXPECT_EQ(KeysOf(store, "Axes Options"), axesOptions);
    EXPECT_EQ(KeysOf(store, "KTOptionMarks"), (std::vector<std::string>{"Mark1", "Mark2"}));
    ASSERT_EQ(store.GetSectionCount(), 3);
    EXPECT_EQ(store.GetSectionName(0), "Axes");
    EXPECT_EQ(store.GetSectionName(1), "KTOptionMarks");
    EXPECT_EQ(store.GetSectionName(2), "Axes Options");
}

TEST(KTOptionAxes2, DefaultTextsInTheSettingsFile)
{
    KTOptionAxes2 options;
    KTIniFile store;
    options.SaveSettings(store, false);
    struct Row
    {
        const char* section;
        const char* key;
        const char* text;
    };
    const Row rows[] = {
        {"Axes", "xNotate", "x"},
        {"Axes", "yNotate", "y"},
        {"Axes", "xNotateMid", ""},
        {"Axes", "MidAxisFont", "-14,0,0,0,400,0,0,0,0,7,48,2,2,0,388,Arial"},
        {"Axes", "AxisFont", "-14,0,0,0,400,1,0,0,0,7,48,2,2,0,388,Arial"},
        {"Axes", "ShowGrid", "0"},
        {"Axes", "PolarRays", "24"},
        {"Axes", "xGridMajorPen", "100,100,100,65542,1,17.638888"},
        {"Axes", "xGridMinorPen", "100,100,100,65538,1,17.638888"},
        {"Axes", "yGridMajorPen", "100,100,100,65542,1,17.638888"},
        {"Axes", "yGridMinorPen", "100,100,100,65538,1,17.638888"},
        {"Axes", "MinorDot", "10"},
        {"Axes", "MajorDot", "1"},
        {"Axes", "MinorDotColor", "13158600"},
        {"Axes", "MajorDotColor", "6579300"},
        {"Axes", "AutoMaxx", "0"},
        {"Axes", "xMaxShowS", "10"},
        {"Axes", "yMinShowS", "-10"},
        {"Axes", "AutoyMinor", "1"},
        {"Axes", "xMajorS", "2"},
        {"Axes", "yMinorS", "1"},
        {"Axes", "AngleSystem", "0"},
        {"Axes Options", "ShowOrigin", "0"},
        {"Axes Options", "ShowOriginRadius", "150"},
        {"Axes Options", "ShowOriginPen", "0,0,0,65542,1,17.638888"},
        {"Axes Options", "ShowNegativeArrows", "1"},
        {"Axes Options", "AllowBreakScales", "1"},
        {"Axes Options", "BreakType", "1"},
        {"Axes Options", "BreakWidth", "100"},
        {"Axes Options", "BreakHeight", "150"},
        {"Axes Options", "TickStyle", "0"},
        {"Axes Options", "AxisPipSize", "150"},
        {"Axes Options", "ArrowSize", "150"},
        {"Axes Options", "ArrowRatio", "2.000000"},
        {"Axes Options", "StandardGap", "150"},
        {"Axes Options", "AdjustScaleToIncludeData", "0"},
        {"Axes Options", "xLogScale", "0"},
        {"Axes Options", "ShowyScale", "1"},
        {"Axes Options", "xAxisPen", "0,0,0,65542,1,17.638888"},
        {"Axes Options", "yAxisPen", "0,0,0,65542,1,17.638888"},
        {"Axes Options", "ScaleRestriction", "0"},
        {"Axes Options", "RectBias", "0"},
        {"Axes Options", "xScaleMeasurement", "1000.000000"},
        {"Axes Options", "yScaleMeasurement", "1000.000000"},
        {"Axes Options", "BlankUnderScale", "0"},
        {"Axes Options", "KeyZoomRatio", "1.333333"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(store.GetValue(row.section, row.key), row.text) << row.key;
}

TEST(KTOptionAxes2, OutOfRangeStoredValuesReadAsTheMidpoint)
{
    const kttest::TempDir dir;
    const CString path = dir.Folder() + "axes.ini";
    kttest::WriteFileBytes(path.str(),
                           "[Axes]\r\nPolarRays=100\r\nAngleSystem=5\r\nxNotate=t\r\n"
                           "[Axes Options]\r\nArrowRatio=9\r\nBreakWidth=5\r\nKeyZoomRatio=1.5\r\n");
    KTOptionStore store;
    store.m_location = 4; // keeps the path set here
    store.SetPath(path);
    KTOptionAxes2 options;
    options.LoadSettings(store); // reloads the file itself
    EXPECT_EQ(options.m_polarRays.m_value, 36);
    EXPECT_EQ(options.m_angleSystem.m_value, 1);
    EXPECT_EQ(options.m_xNotate.m_value, "t");
    EXPECT_EQ(options.m_yNotate.m_value, "y");
    EXPECT_EQ(options.m_arrowRatio.m_value, 2.5);
    EXPECT_EQ(options.m_breakWidth.m_value, 505);
    EXPECT_EQ(options.m_keyZoomRatio.m_value, 1.5);
}

TEST(KTOptionAxes2, SettingsRoundTrip)
{
    const kttest::TempDir dir;
    KTOptionAxes2 changed = ChangedRecord();
    KTOptionStore store;
    store.m_location = 4; // keeps the path set here
    store.SetPath(dir.Folder() + "axes.ini");
    changed.SaveSettings(store, false);
    store.Write();

    KTOptionStore reader;
    reader.m_location = 4;
    reader.SetPath(dir.Folder() + "axes.ini");
    KTOptionAxes2 loaded;
    loaded.LoadSettings(reader);
    EXPECT_EQ(loaded.m_xNotate.m_value, "time");
    EXPECT_EQ(loaded.m_polarRays.m_value, 12);
    EXPECT_EQ(loaded.m_yGridMinorPen.m_value.m_color, RGB(1, 2, 3));
    EXPECT_EQ(loaded.m_marks.m_mark[2].m_value, -1); // the marks store only their defaults
    EXPECT_EQ(loaded.m_yMajorS.m_value, "1/3");
    EXPECT_EQ(loaded.m_arrowRatio.m_value, 3.5);
    EXPECT_EQ(loaded.m_angleSystem.m_value, 2);
    EXPECT_EQ(loaded.m_xAxisPen.m_value.m_width, 99.5);
    EXPECT_EQ(loaded.m_scaleFont.m_value.m_size, 500);

    // Pen widths keep six decimals in the file, so the second trip changes nothing more.
    KTOptionStore again;
    again.m_location = 4;
    again.SetPath(dir.Folder() + "again.ini");
    loaded.SaveSettings(again, false);
    again.Write();
    KTOptionAxes2 reloaded;
    reloaded.LoadSettings(again);
    EXPECT_EQ(Archived(reloaded), Archived(loaded));

    KTIniFile defaults;
    changed.SaveSettings(defaults, true);
    EXPECT_EQ(defaults.GetValue("Axes", "xNotate"), "x");
    EXPECT_EQ(defaults.GetValue("Axes", "AngleSystem"), "0");
    EXPECT_EQ(changed.m_xNotate.m_value, "time");
}

TEST(KTOptionAxes2, ArchiveOfAFreshRecord)
{
    KTOptionAxes2 options;
    const std::vector<std::uint8_t> bytes = Archived(options);
    KTArchive penForm;
    options.m_xAxisPen.Serialize(penForm);
    const std::size_t penBytes = penForm.Data().size();
    // Header 16, end tag 16, seven pens, and 350 bytes of the other members.
    ASSERT_EQ(bytes.size(), 16 + 350 + 7 * penBytes + 16);

    KTArchive in(bytes);
    WORD schema = 0;
    ASSERT_TRUE(in.ReadBeginTag("KTOptionAxes2", schema));
    EXPECT_EQ(schema, 2);
    CString text[4];
    in >> text[0] >> text[1] >> text[2] >> text[3];
    EXPECT_EQ(text[0], "x");
    EXPECT_EQ(text[1], "y");
    EXPECT_EQ(text[2], "");
    EXPECT_EQ(text[3], "");
    std::int32_t height = 0;
    std::int32_t weight = 0;
    in >> height >> weight;
    EXPECT_EQ(height, -14);
    EXPECT_EQ(weight, 400);
    std::vector<std::uint8_t> skip(52 - 8 + 52 + 52 + 3);
    in.Read(skip.data(), skip.size()); // rest of the fonts, three bools
    std::int32_t rays = 0;
    in >> rays;
    EXPECT_EQ(rays, 24);
    skip.assign(4 * penBytes, 0);
    in.Read(skip.data(), skip.size()); // four grid pens
    WORD marksVersion = 0;
    ASSERT_TRUE(in.ReadBeginTag("KTOptionMarks", marksVersion));
    skip.assign(16, 0);
    in.Read(skip.data(), skip.size());
    ASSERT_TRUE(in.ReadEndTag("KTOptionMarks"));
    skip.assign(4 + 4 + 4 + 4 + 4, 0);
    in.Read(skip.data(), skip.size()); // two dots, two colours, four Auto flags
    CString ranges[4];
    in >> ranges[0] >> ranges[1] >> ranges[2] >> ranges[3];
    EXPECT_EQ(ranges[0], "10");
    EXPECT_EQ(ranges[1], "10");
    EXPECT_EQ(ranges[2], "-10");
    EXPECT_EQ(ranges[3], "-10");
    skip.assign(4, 0);
    in.Read(skip.data(), skip.size());
    CString steps[4];
    in >> steps[0] >> steps[1] >> steps[2] >> steps[3];
    EXPECT_EQ(steps[0], "2");
    EXPECT_EQ(steps[1], "2");
    EXPECT_EQ(steps[2], "1");
    EXPECT_EQ(steps[3], "1");
    // The end tag closes the form.
    const std::string tail(bytes.end() - 15, bytes.end());
    EXPECT_EQ(tail, "/KTOptionAxes2/");
}

TEST(KTOptionAxes2, ArchiveOfAFreshRecordMatchesTheGoldenBytes)
{
    KTOptionAxes2 options;
    const std::vector<std::uint8_t> bytes = Archived(options);
    std::string hex;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%02x", bytes[i]);
        hex += pair;
        hex += i % 16 == 15 || i + 1 == bytes.size() ? '\n' : ' ';
    }
    EXPECT_EQ(hex, kttest::ReadFileBytes(kttest::DataDir() / "graph" / "KTOptionAxes2-default.hex"));
}

TEST(KTOptionAxes2, ArchiveRoundTripKeepsEveryValue)
{
    KTOptionAxes2 changed = ChangedRecord();
    const std::vector<std::uint8_t> bytes = Archived(changed);
    KTOptionAxes2 loaded;
    KTArchive in(bytes);
    loaded.Serialize(in);
    EXPECT_TRUE(in.AtEnd());
    EXPECT_EQ(Archived(loaded), bytes);
    EXPECT_EQ(loaded.m_xMinShowS.m_value, "-2pi");
    EXPECT_EQ(loaded.m_marks.m_mark[2].m_value, 9);
    EXPECT_EQ(loaded.m_arrowRatio.m_value, 3.5);
}

TEST(KTOptionAxes2, FullTurnFlagIsAssignedButNotArchived)
{
    KTOptionAxes2 a;
    a.m_fullTurn = 1;
    KTOptionAxes2 b;
    b = a;
    EXPECT_EQ(b.m_fullTurn, 1);

    KTOptionAxes2 c;
    const std::vector<std::uint8_t> bytes = Archived(a);
    KTArchive in(bytes);
    c.Serialize(in);
    EXPECT_EQ(c.m_fullTurn, 0);
    KTOptionAxes2 d;
    d.m_fullTurn = 1;
    KTArchive again(bytes);
    d.Serialize(again);
    EXPECT_EQ(d.m_fullTurn, 1); // loading leaves the flag as it was
}

TEST(KTOptionAxes2, OlderSchemaOrOtherTagLeavesTheRecord)
{
    struct Row
    {
        const char* tag;
        WORD schema;
    };
    const Row rows[] = {{"KTOptionAxes2", 1}, {"KTOptionAxes", 2}};
    for (const Row& row : rows) {
        KTOptionAxes2 changed = ChangedRecord();
        KTArchive out;
        out.WriteBeginTag(row.tag, row.schema);
        KTArchive body;
        changed.Serialize(body);
        // Reuse the body of a current archive after the replaced header.
        const std::vector<std::uint8_t>& full = body.Data();
        out.Write(full.data() + 16, full.size() - 16);

        KTOptionAxes2 options;
        const std::vector<std::uint8_t> before = Archived(options);
        KTArchive in(out.Data());
        options.Serialize(in);
        EXPECT_EQ(Archived(options), before) << row.tag << " " << row.schema;
    }
}

TEST(KTOptionAxes2, TruncatedArchiveThrowsAndLeavesTheRecord)
{
    KTOptionAxes2 changed = ChangedRecord();
    std::vector<std::uint8_t> bytes = Archived(changed);
    bytes.resize(bytes.size() - 40);
    KTOptionAxes2 options;
    const std::vector<std::uint8_t> before = Archived(options);
    KTArchive in(bytes);
    EXPECT_THROW(options.Serialize(in), KTArchiveException);
    EXPECT_EQ(Archived(options), before);
}
