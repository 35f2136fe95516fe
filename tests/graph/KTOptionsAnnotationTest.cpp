#include "graph/KTOptionsAnnotation.h"

#include "engine/KTExceptionBase.h"
#include "foundation/KTOptionStore.h"
#include "platform/KTArchive.h"

#include "support/KTArchiveBytes.h"
#include "support/KTTestSupport.h"

#include <gtest/gtest.h>

using namespace kttest::bytes;

namespace {

const KTLogPen kQuarterPointBlack(1, 0x10006, 0, 8.819443875);

KTOptionsAnnotation Changed()
{
    KTOptionsAnnotation options;
    options.m_annotateFont.m_value.m_size = 600;
    options.m_rectPen.m_value = KTLogPen(1, 0x10001, RGB(1, 2, 3), 35.25);
    options.m_anchorPen.m_value.m_color = RGB(9, 8, 7);
    options.m_rectBrush.m_value = KTLogBrush(1, 2, RGB(4, 5, 6), 3);
    options.m_anchorType.m_value = KTAnchorLine;
    options.m_justify.m_value = KTJustifyRight;
    options.m_anchorGap.m_value = 11;
    options.m_rectCornerOffset.m_value = 22;
    options.m_arrowSize.m_value = 33;
    options.m_pointSize.m_value = 44;
    options.m_borderGap.m_value = 55;
    return options;
}

/// The archive of the values, which covers every value of the record.
Bytes Values(KTOptionsAnnotation options)
{
    return Stored(options);
}

} // namespace

TEST(KTOptionsAnnotation, Defaults)
{
    const KTOptionsAnnotation options;
    struct Row
    {
        const KTOptionInt& option;
        const char* key;
        int value;
        int minimum;
        int maximum;
    };
    const Row rows[] = {
        {options.m_anchorType, "AnchorType", 0, 0, 3},
        {options.m_justify, "Justify", 0, 0, 2},
        {options.m_anchorGap, "AnchorGap", 150, 0, 500},
        {options.m_rectCornerOffset, "RectCornerOffset", 150, 0, 500},
        {options.m_arrowSize, "ArrowSize", 150, 0, 500},
        {options.m_pointSize, "PointSize", 30, 0, 100},
        {options.m_borderGap, "BorderGap", 150, 0, 500},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.option.GetSection(), "Annotation") << row.key;
        EXPECT_EQ(row.option.GetKey(), row.key);
        EXPECT_EQ(row.option.m_value, row.value) << row.key;
        EXPECT_EQ(row.option.GetDefault(), row.value) << row.key;
        EXPECT_EQ(row.option.GetMinimum(), row.minimum) << row.key;
        EXPECT_EQ(row.option.GetMaximum(), row.maximum) << row.key;
        EXPECT_EQ(row.option.GetFlag(), 0) << row.key;
    }
    EXPECT_EQ(options.m_annotateFont.GetKey(), "AnnotateFont");
    EXPECT_EQ(options.m_annotateFont.m_value, KTLogFont());
    EXPECT_EQ(options.m_rectPen.GetKey(), "RectPen");
    EXPECT_EQ(options.m_rectPen.m_value, kQuarterPointBlack);
    EXPECT_EQ(options.m_anchorPen.GetKey(), "AnchorPen");
    EXPECT_EQ(options.m_anchorPen.GetDefault(), kQuarterPointBlack);
    EXPECT_EQ(options.m_rectBrush.GetKey(), "RectBrush");
    EXPECT_EQ(options.m_rectBrush.m_value, KTLogBrush(0, 1, 0xFFFFFF, 0));
    for (const CString& section : {options.m_annotateFont.GetSection(), options.m_rectPen.GetSection(),
                                   options.m_anchorPen.GetSection(), options.m_rectBrush.GetSection()})
        EXPECT_EQ(section, "Annotation");
    EXPECT_EQ(options.m_bDefaultsChanged, 0);
}

TEST(KTOptionsAnnotation, AssignmentKeepsTheDefaultsChangedByte)
{
    KTOptionsAnnotation target;
    target.m_bDefaultsChanged = 1;
    KTOptionsAnnotation source = Changed();
    source.m_bDefaultsChanged = 0;
    target = source;
    EXPECT_EQ(target.m_bDefaultsChanged, 1);
    EXPECT_EQ(Values(target), Values(source));

    source.m_bDefaultsChanged = 1;
    target.m_bDefaultsChanged = 0;
    target = source;
    EXPECT_EQ(target.m_bDefaultsChanged, 0);

    const KTOptionsAnnotation copy(source);
    EXPECT_EQ(copy.m_bDefaultsChanged, 0);
    EXPECT_EQ(Values(copy), Values(source));
    EXPECT_EQ(copy.m_pointSize.GetMaximum(), 100);
    EXPECT_EQ(copy.m_pointSize.GetKey(), "PointSize");
}

TEST(KTOptionsAnnotation, SetDefaultsRestoresEverything)
{
    KTOptionsAnnotation options = Changed();
    options.m_bDefaultsChanged = 1;
    options.SetDefaults();
    EXPECT_EQ(Values(options), Values(KTOptionsAnnotation()));
    EXPECT_EQ(options.m_bDefaultsChanged, 0);
}

TEST(KTOptionsAnnotation, MissingSectionGivesTheDefaults)
{
    const kttest::TempDir dir;
    kttest::WriteFileBytes(dir.File("a.ini"), "[Graph]\r\nAutoScale=1\r\n");
    KTOptionStore store;
    store.m_location = 4; // keeps the path set here
    store.SetPath(dir.Folder() + "a.ini");
    KTOptionsAnnotation options = Changed();
    options.LoadSettings(store);
    EXPECT_EQ(Values(options), Values(KTOptionsAnnotation()));
}

TEST(KTOptionsAnnotation, OutOfRangeSettingsReadAsTheMidpoint)
{
    const kttest::TempDir dir;
    kttest::WriteFileBytes(dir.File("a.ini"),
                           "[Annotation]\r\nAnchorType=7\r\nPointSize=500\r\nJustify=2\r\nBorderGap=-1\r\n");
    KTOptionStore store;
    store.m_location = 4;
    store.SetPath(dir.Folder() + "a.ini");
    KTOptionsAnnotation options;
    options.LoadSettings(store); // reloads the file itself
    EXPECT_EQ(options.m_anchorType.m_value, 1);
    EXPECT_EQ(options.m_pointSize.m_value, 50);
    EXPECT_EQ(options.m_justify.m_value, 2);
    EXPECT_EQ(options.m_borderGap.m_value, 150); // -1: not stored
}

TEST(KTOptionsAnnotation, SettingsRoundTrip)
{
    const kttest::TempDir dir;
    KTOptionStore writer;
    writer.m_location = 4;
    writer.SetPath(dir.Folder() + "a.ini");
    Changed().SaveSettings(writer, false);
    writer.Write();
    EXPECT_EQ(writer.GetValue("Annotation", "AnchorType"), "3");
    EXPECT_EQ(writer.GetValue("Annotation", "RectBrush"), "4,5,6,2,1,3");
    EXPECT_EQ(writer.GetValue("Annotation", "RectPen"), "1,2,3,65537,1,35.250000");

    KTOptionStore reader;
    reader.m_location = 4;
    reader.SetPath(dir.Folder() + "a.ini");
    KTOptionsAnnotation loaded;
    loaded.LoadSettings(reader);
    // The file keeps six decimals of a pen width.
    KTOptionsAnnotation expected = Changed();
    expected.m_anchorPen.m_value.m_width = 8.819444;
    EXPECT_EQ(Values(loaded), Values(expected));

    // With writeDefaults the defaults go to the file whatever the values.
    KTOptionStore defaults;
    defaults.m_location = 4;
    defaults.SetPath(dir.Folder() + "d.ini");
    Changed().SaveSettings(defaults, true);
    defaults.Write();
    KTOptionsAnnotation fromDefaults = Changed();
    fromDefaults.LoadSettings(defaults);
    KTOptionsAnnotation factory;
    factory.m_rectPen.m_value.m_width = 8.819444;
    factory.m_anchorPen.m_value.m_width = 8.819444;
    EXPECT_EQ(Values(fromDefaults), Values(factory));
}

TEST(KTOptionsAnnotation, ArchiveBytesOfAFreshRecord)
{
    KTLogFont font;
    const Bytes expected =
        Join({Str("KTOptionsAnnotation"), U16(1), Stored(font), Pen(1, 0x10006, 0, 8.819443875),
              Pen(1, 0x10006, 0, 8.819443875), Brush(0, 1, 0xFFFFFF, 0), I32(0), I32(0), I32(150), I32(150),
              I32(150), I32(30), I32(150), Str("/KTOptionsAnnotation/")});
    KTOptionsAnnotation options;
    EXPECT_EQ(Stored(options), expected);
}

TEST(KTOptionsAnnotation, ArchiveRoundTripTakesKeysFromTheDefaults)
{
    KTOptionsAnnotation source = Changed();
    source.m_bDefaultsChanged = 1;
    KTOptionsAnnotation loaded;
    EXPECT_EQ(Load(loaded, Stored(source)), 0u);
    EXPECT_EQ(Values(loaded), Values(source));
    EXPECT_EQ(loaded.m_bDefaultsChanged, 0);
    EXPECT_EQ(loaded.m_arrowSize.GetKey(), "ArrowSize");
    EXPECT_EQ(loaded.m_arrowSize.GetDefault(), 150);
}

TEST(KTOptionsAnnotation, DamagedArchivesAreLoadErrorsAndChangeNothing)
{
    KTOptionsAnnotation source = Changed();
    const Bytes good = Stored(source);

    Bytes wrongTag = good;
    wrongTag[1] = 'X';
    Bytes oldVersion = good;
    oldVersion[20] = 0; // version 0
    Bytes wrongEnd = good;
    wrongEnd[wrongEnd.size() - 2] = 'x';
    for (const Bytes& bytes : {wrongTag, oldVersion, wrongEnd}) {
        KTOptionsAnnotation target;
        EXPECT_THROW(Load(target, bytes), KTExceptionBase);
        EXPECT_EQ(Values(target), Values(KTOptionsAnnotation()));
    }
    for (std::size_t length = 0; length < good.size(); ++length) {
        KTOptionsAnnotation target;
        const Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_ANY_THROW(Load(target, cut)) << length;
        EXPECT_EQ(Values(target), Values(KTOptionsAnnotation())) << length;
    }
}
