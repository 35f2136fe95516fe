#include "graph/KTIntegralFunction.h"
#include "graph/KTIntegralList.h"
#include "graph/KTOptionIntegral.h"

#include "engine/KTExceptionBase.h"
#include "foundation/KTOptionStore.h"
#include "platform/KTArchive.h"

#include "support/KTArchiveBytes.h"
#include "support/KTTestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace kttest::bytes;

namespace {

KTAxes* FakeAxes(int n)
{
    // Only compared, never followed.
    return reinterpret_cast<KTAxes*>(static_cast<std::uintptr_t>(0x1000 * n));
}

KTFunction3* FakeFunction(int n)
{
    return reinterpret_cast<KTFunction3*>(static_cast<std::uintptr_t>(0x2000 * n));
}

/// A record with every stored field away from its default.
KTIntegralFunction Filled(int seed = 1)
{
    KTIntegralFunction r;
    r.m_reserved = 7 * seed;
    r.m_hasSecond = true;
    r.m_lowerText = "-pi";
    r.m_upperText = "2a";
    r.m_first = 3;
    r.m_second = seed % 10;
    r.m_integralText = "integral";
    r.m_areaText = "Area  =  2.5";
    r.m_integral = 1.25 * seed;
    r.m_area = 2.5 * seed;
    r.m_areaDiffers = true;
    r.m_showArea = false;
    r.m_colour = RGB(10, 20, static_cast<BYTE>(seed));
    r.m_yAxis = true;
    r.m_selected = true;
    return r;
}

/// The stored fields as bytes: equal records store equal bytes.
Bytes Fields(KTIntegralFunction r)
{
    return Stored(r);
}

KTIntegralList ListOf(std::initializer_list<KTIntegralFunction> records)
{
    KTIntegralList list;
    for (const KTIntegralFunction& r : records)
        list.Add(r, true);
    return list;
}

} // namespace

// ---- KTOptionIntegral ----------------------------------------------------------------------

TEST(KTOptionIntegral, Defaults)
{
    const KTOptionIntegral options;
    EXPECT_EQ(options.m_brush.GetSection(), "Integral");
    EXPECT_EQ(options.m_brush.GetKey(), "Brush");
    EXPECT_EQ(options.m_brush.GetFlag(), 0);
    EXPECT_EQ(options.m_brush.m_value, KTLogBrush(0, 1, 0xC8C8C8, 0));
    EXPECT_EQ(options.m_brush.GetDefault(), KTLogBrush(0, 1, 0xC8C8C8, 0));
    EXPECT_EQ(options.m_showArea.GetSection(), "Integral");
    EXPECT_EQ(options.m_showArea.GetKey(), "ShowArea");
    EXPECT_EQ(options.m_showArea.m_value, 1);
    EXPECT_EQ(options.m_showArea.GetDefault(), 1);
    EXPECT_EQ(options.m_modified, 0);
}

TEST(KTOptionIntegral, SettingsRoundTripAndTexts)
{
    const kttest::TempDir dir;
    KTOptionIntegral changed;
    changed.m_brush.m_value = KTLogBrush(1, 2, RGB(1, 2, 3), 4);
    changed.m_showArea.m_value = 0;
    KTOptionStore writer;
    writer.m_location = 4; // keeps the path set here
    writer.SetPath(dir.Folder() + "i.ini");
    changed.SaveSettings(writer, false);
    writer.Write();
    EXPECT_EQ(writer.GetValue("Integral", "Brush"), "1,2,3,2,1,4");
    EXPECT_EQ(writer.GetValue("Integral", "ShowArea"), "0");

    KTOptionStore reader;
    reader.m_location = 4;
    reader.SetPath(dir.Folder() + "i.ini");
    KTOptionIntegral loaded;
    loaded.LoadSettings(reader); // reloads the file itself
    EXPECT_EQ(loaded.m_brush.m_value, changed.m_brush.m_value);
    EXPECT_EQ(loaded.m_showArea.m_value, 0);

    KTIniFile defaults;
    changed.SaveSettings(defaults, true);
    EXPECT_EQ(defaults.GetValue("Integral", "Brush"), "200,200,200,1,0,0");
    EXPECT_EQ(defaults.GetValue("Integral", "ShowArea"), "1");
}

TEST(KTOptionIntegral, ArchiveBytesAndRoundTrip)
{
    KTOptionIntegral options;
    EXPECT_EQ(Stored(options), Join({Str("KTOptionIntegral"), U16(1), Brush(0, 1, 0xC8C8C8, 0), B(1),
                                     Str("/KTOptionIntegral/")}));
    options.m_brush.m_value.m_color = RGB(9, 9, 9);
    options.m_showArea.m_value = 0;
    options.m_modified = 1;
    KTOptionIntegral loaded;
    EXPECT_EQ(Load(loaded, Stored(options)), 0u);
    EXPECT_EQ(loaded.m_brush.m_value.m_color, RGB(9, 9, 9));
    EXPECT_EQ(loaded.m_showArea.m_value, 0);
    EXPECT_EQ(loaded.m_modified, 0); // not archived
    EXPECT_EQ(loaded.m_brush.GetKey(), "Brush");
}

TEST(KTOptionIntegral, WrongTagOrVersionThrowsAndChangesNothing)
{
    KTOptionIntegral options;
    options.m_showArea.m_value = 0;
    const Bytes good = Stored(options);
    Bytes wrongTag = good;
    wrongTag[3] = 'x';
    Bytes version0 = good;
    version0[17] = 0;
    for (const Bytes& bytes : {wrongTag, version0}) {
        KTOptionIntegral target;
        EXPECT_THROW(Load(target, bytes), KTExceptionBase);
        EXPECT_EQ(target.m_showArea.m_value, 1);
    }
    KTOptionIntegral target;
    EXPECT_THROW(Load(target, Bytes(good.begin(), good.end() - 3)), KTArchiveException);
    EXPECT_EQ(target.m_showArea.m_value, 1);
}

// ---- KTIntegralFunction --------------------------------------------------------------------

TEST(KTIntegralFunction, Defaults)
{
    const KTIntegralFunction r;
    EXPECT_EQ(r.m_reserved, 0);
    EXPECT_FALSE(r.m_hasSecond);
    EXPECT_EQ(r.m_lowerText, "-1");
    EXPECT_EQ(r.m_upperText, "1");
    EXPECT_EQ(r.m_first, -1);
    EXPECT_EQ(r.m_second, -2);
    EXPECT_EQ(r.m_integralText, "");
    EXPECT_EQ(r.m_areaText, "");
    EXPECT_EQ(r.m_axes, nullptr);
    EXPECT_TRUE(r.m_showArea);
    EXPECT_EQ(r.m_colour, 0xC8C8C8u);
    EXPECT_FALSE(r.m_yAxis);
    EXPECT_EQ(r.m_labelPoint, KTPoint(0, 0));
    ASSERT_EQ(r.m_region.size(), 2000u);
    for (const CPoint& p : r.m_region)
        ASSERT_EQ(p, CPoint(0, 0));
    EXPECT_FALSE(r.m_regionValid);
    EXPECT_FALSE(r.m_selected);
    EXPECT_EQ(r.m_firstFunction, nullptr);
    EXPECT_EQ(r.m_secondFunction, nullptr);
}

TEST(KTIntegralFunction, FromOptions)
{
    KTOptionIntegral options;
    options.m_showArea.m_value = 0;
    options.m_brush.m_value.m_color = RGB(1, 2, 3);
    const KTIntegralFunction r(options);
    EXPECT_FALSE(r.m_showArea);
    EXPECT_EQ(r.m_colour, RGB(1, 2, 3));
    EXPECT_EQ(r.m_lowerText, "-1");
    EXPECT_EQ(r.m_second, -2);
    EXPECT_EQ(r.m_region.size(), 2000u);
}

TEST(KTIntegralFunction, AssignmentKeepsTheTargetsMappingLabelPointAndRegionFlag)
{
    KTIntegralFunction source = Filled();
    source.m_axes = FakeAxes(1);
    source.m_labelPoint = KTPoint(5, 6);
    source.m_regionValid = true;
    source.m_region[0] = CPoint(1, 2);
    source.m_region[1999] = CPoint(3, 4);
    source.m_firstFunction = FakeFunction(1);
    source.m_secondFunction = FakeFunction(2);

    KTIntegralFunction target;
    target.m_axes = FakeAxes(2);
    target.m_labelPoint = KTPoint(-1, -1);
    target = source;
    EXPECT_EQ(Fields(target), Fields(source));
    EXPECT_EQ(target.m_region, source.m_region);
    EXPECT_EQ(target.m_firstFunction, FakeFunction(1));
    EXPECT_EQ(target.m_secondFunction, FakeFunction(2));
    EXPECT_EQ(target.m_axes, FakeAxes(2));
    EXPECT_EQ(target.m_labelPoint, KTPoint(-1, -1));
    EXPECT_FALSE(target.m_regionValid);

    // The copy constructor is the storage's: a whole copy.
    const KTIntegralFunction copy(source);
    EXPECT_EQ(copy.m_axes, FakeAxes(1));
    EXPECT_EQ(copy.m_labelPoint, KTPoint(5, 6));
    EXPECT_TRUE(copy.m_regionValid);
}

TEST(KTIntegralFunction, UsesName)
{
    struct Row
    {
        const char* name;
        const char* lower;
        const char* upper;
        bool uses;
    };
    const Row rows[] = {
        {"", "-1", "1", false},  {"", "-1", "2a", true},  {"", "m", "1", true},     {"", "pi", "e", false},
        {"", "-d/2", "1", true}, {"a", "-1", "2a", true}, {"b", "-1", "2a", false}, {"k1", "k1+1", "3", true},
        {"k1", "k", "1", false}, {"c", "c", "", true},    {"x", "", "", false},
    };
    for (const Row& row : rows) {
        KTIntegralFunction r;
        r.m_lowerText = row.lower;
        r.m_upperText = row.upper;
        EXPECT_EQ(r.UsesName(row.name), row.uses) << row.name << " in " << row.lower << " " << row.upper;
    }
}

TEST(KTIntegralFunction, ArchiveBytesOfAFreshRecord)
{
    KTIntegralFunction r;
    const Bytes expected = Join({Str("KTIntegralFunction"), U16(1), I32(0), B(0), Str("-1"), Str("1"),
                                 I32(-1), I32(-2), Str(""), Str(""), F64(0.0), F64(0.0), B(0), B(0), B(0),
                                 I32(0xC8C8C8), B(1), Str("/KTIntegralFunction/")});
    EXPECT_EQ(Stored(r), expected);
    EXPECT_EQ(KTIntegralFunction::MinimumArchiveSize(), 83u);
}

TEST(KTIntegralFunction, ArchiveRoundTripKeepsTheRegionFlag)
{
    const KTIntegralFunction source = Filled(3);
    KTIntegralFunction loaded;
    loaded.m_regionValid = true;
    loaded.m_axes = FakeAxes(4);
    KTIntegralFunction copy = source;
    EXPECT_EQ(Load(loaded, Stored(copy)), 0u);
    EXPECT_EQ(Fields(loaded), Fields(source));
    EXPECT_TRUE(loaded.m_regionValid);
    EXPECT_EQ(loaded.m_axes, FakeAxes(4));
}

TEST(KTIntegralFunction, StoredBytesReadAsBool)
{
    KTIntegralFunction r;
    Bytes bytes = Stored(r);
    bytes[25] = 7; // m_hasSecond
    KTIntegralFunction loaded;
    Load(loaded, bytes);
    EXPECT_TRUE(loaded.m_hasSecond);
}

TEST(KTIntegralFunction, DamagedRecordsAreLoadErrors)
{
    KTIntegralFunction source = Filled();
    const Bytes good = Stored(source);
    Bytes wrongTag = good;
    wrongTag[1] = 'k';
    Bytes version0 = good;
    version0[19] = 0;
    Bytes wrongEnd = good;
    wrongEnd[wrongEnd.size() - 1] = '\\';
    for (const Bytes& bytes : {wrongTag, version0, wrongEnd}) {
        KTIntegralFunction target;
        EXPECT_THROW(Load(target, bytes), KTExceptionBase);
        EXPECT_EQ(Fields(target), Fields(KTIntegralFunction()));
    }
    // A later version is read by the fields this one knows, when its end tag follows them.
    Bytes version2 = good;
    version2[19] = 2;
    KTIntegralFunction target;
    EXPECT_EQ(Load(target, version2), 0u);
    EXPECT_EQ(Fields(target), Fields(source));
}

// ---- KTIntegralList ------------------------------------------------------------------------

TEST(KTIntegralList, AddKeepsOrReplacesTheOthers)
{
    KTIntegralList list;
    EXPECT_EQ(list.Add(Filled(1), true), 0);
    EXPECT_EQ(list.Add(Filled(2), true), 1);
    EXPECT_EQ(list.GetCount(), 2);
    EXPECT_EQ(Fields(list.GetAt(1)), Fields(Filled(2)));
    EXPECT_EQ(list.Add(Filled(3), false), 0);
    EXPECT_EQ(list.GetCount(), 1);
    EXPECT_EQ(Fields(list.GetAt(0)), Fields(Filled(3)));

    // Appended by assignment: the new element has no mapping and no valid region.
    KTIntegralFunction valid = Filled(4);
    valid.m_regionValid = true;
    valid.m_axes = FakeAxes(1);
    const int index = list.Add(valid, true);
    EXPECT_FALSE(list.GetAt(index).m_regionValid);
    EXPECT_EQ(list.GetAt(index).m_axes, nullptr);
}

TEST(KTIntegralList, SetGraphSelectionAndNames)
{
    KTIntegralList list = ListOf({Filled(1), Filled(2), KTIntegralFunction()});
    list.SetGraph(FakeAxes(3));
    for (int i = 0; i < list.GetCount(); ++i)
        EXPECT_EQ(list.GetAt(i).m_axes, FakeAxes(3));

    // Survives the list's own growth.
    list.Add(KTIntegralFunction(), true);
    EXPECT_EQ(list.GetAt(0).m_axes, FakeAxes(3));

    list.SetSelected(2, true);
    EXPECT_TRUE(list.GetAt(2).m_selected);
    list.SetSelected(0, false);
    EXPECT_FALSE(list.GetAt(0).m_selected);
    EXPECT_EQ(list.DeselectAll(), 4);
    for (int i = 0; i < list.GetCount(); ++i)
        EXPECT_FALSE(list.GetAt(i).m_selected);

    EXPECT_TRUE(list.UsesName("a")); // "2a"
    EXPECT_TRUE(list.UsesName(""));
    EXPECT_FALSE(list.UsesName("q"));
    EXPECT_FALSE(ListOf({KTIntegralFunction()}).UsesName(""));
}

TEST(KTIntegralList, IndicesOutsideTheListThrow)
{
    KTIntegralList list = ListOf({Filled()});
    EXPECT_THROW(list.SetSelected(1, true), std::out_of_range);
    EXPECT_THROW(list.SetSelected(-1, true), std::out_of_range);
    EXPECT_THROW(list.GetAt(5), std::out_of_range);
}

TEST(KTIntegralList, SelectedAccessors)
{
    KTIntegralList list;
    EXPECT_EQ(list.SelectedLabel(), "");
    EXPECT_EQ(list.SelectedAreaLabel(), "");
    EXPECT_FALSE(list.SelectedShowsArea());
    EXPECT_EQ(list.SelectedLabelPoint(), KTPoint(0, 0));

    KTIntegralFunction r = Filled();
    r.m_labelPoint = KTPoint(1.5, -2);
    list.Add(KTIntegralFunction(), true);
    list.Add(r, true);
    list.GetAt(1).m_labelPoint = KTPoint(1.5, -2); // not copied by Add
    list.m_selectedIndex = 1;
    EXPECT_EQ(list.SelectedLabel(), "integral");
    EXPECT_EQ(list.SelectedAreaLabel(), "Area  =  2.5");
    EXPECT_EQ(list.SelectedLabelPoint(), KTPoint(1.5, -2));

    struct Row
    {
        bool differs;
        bool show;
        bool shows;
    };
    for (const Row row : {Row{true, true, true}, Row{true, false, false}, Row{false, true, false}}) {
        list.GetAt(1).m_areaDiffers = row.differs;
        list.GetAt(1).m_showArea = row.show;
        EXPECT_EQ(list.SelectedShowsArea(), row.shows);
    }

    // A selection that outlived its record reads as none rather than failing.
    list.Add(KTIntegralFunction(), false);
    EXPECT_EQ(list.SelectedLabel(), "");
    EXPECT_FALSE(list.SelectedShowsArea());
}

TEST(KTIntegralList, ArchiveBytesOfAnEmptyList)
{
    KTIntegralList list;
    EXPECT_EQ(Stored(list), Join({Str("KTIntegralList"), U16(1), U32(0), Str("/KTIntegralList/")}));
}

TEST(KTIntegralList, ArchiveRoundTrip)
{
    KTIntegralList source = ListOf({Filled(1), Filled(2), Filled(3)});
    source.GetAt(1).m_selected = false;
    for (int i = 0; i < source.GetCount(); ++i)
        source.GetAt(i).m_regionValid = true;
    source.m_selectedIndex = 2;

    KTIntegralList loaded = ListOf({Filled(9)});
    loaded.m_selectedIndex = 0;
    EXPECT_EQ(Load(loaded, Stored(source)), 0u);
    ASSERT_EQ(loaded.GetCount(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Fields(loaded.GetAt(i)), Fields(source.GetAt(i))) << i;
        EXPECT_FALSE(loaded.GetAt(i).m_regionValid);
    }
    EXPECT_TRUE(loaded.GetAt(0).m_selected); // as stored
    EXPECT_FALSE(loaded.GetAt(1).m_selected);
    EXPECT_EQ(loaded.m_selectedIndex, -1);
    EXPECT_EQ(Stored(loaded), Stored(source));
}

TEST(KTIntegralList, DamagedCountsFailBeforeAnythingIsAllocated)
{
    KTIntegralList source = ListOf({Filled(1), Filled(2)});
    const Bytes good = Stored(source);
    const std::size_t countAt = 15 + 2; // after the tag and the version

    // A huge count, and one record more than the data holds.
    for (const std::uint32_t count : {0xFFFFFFFFu, 0x7FFFFFFFu, 3u}) {
        Bytes bytes = good;
        const Bytes raw = U32(count);
        std::copy(raw.begin(), raw.end(), bytes.begin() + static_cast<std::ptrdiff_t>(countAt));
        KTIntegralList target = ListOf({Filled(7)});
        EXPECT_THROW(Load(target, bytes), KTArchiveException) << count;
        ASSERT_EQ(target.GetCount(), 1);
        EXPECT_EQ(Fields(target.GetAt(0)), Fields(Filled(7)));
    }
}

TEST(KTIntegralList, DamagedArchivesThrowAndLeaveTheListAlone)
{
    KTIntegralList source = ListOf({Filled(1), Filled(2)});
    const Bytes good = Stored(source);

    // Every cut is an error, never a silent partial list.
    for (std::size_t length = 0; length < good.size(); ++length) {
        KTIntegralList target = ListOf({Filled(5)});
        EXPECT_ANY_THROW(
            Load(target, Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length))))
            << length;
        ASSERT_EQ(target.GetCount(), 1) << length;
    }

    // A record's tag damaged inside the list.
    Bytes nested = good;
    nested[15 + 2 + 4 + 3] ^= 0x20;
    KTIntegralList target;
    EXPECT_THROW(Load(target, nested), KTExceptionBase);

    // Any single byte changed: loads or throws, never anything else.
    for (std::size_t i = 0; i < good.size(); ++i) {
        Bytes bytes = good;
        bytes[i] ^= 0xA5;
        KTIntegralList any;
        try {
            Load(any, bytes);
        } catch (const KTExceptionBase&) {
        } catch (const KTArchiveException&) {
        }
    }
}
