#include "engine/KTOptionFunction3.h"

#include "foundation/KTOptionStore.h"
#include "platform/KTArchive.h"
#include "support/KTArchiveBytes.h"
#include "support/KTTestSupport.h"

#include <gtest/gtest.h>

using namespace kttest::bytes;

namespace {

CString SlotSection(int index)
{
    CString section;
    section.Format("KTFunction3-%d", index);
    return section;
}

/// The values of every member, in member order, as one comparable text.
std::string Values(KTOptionFunction3& o)
{
    CString text;
    text.Format("%d %d %d %d %d %u %d %d %s %d %d %d %d %d %d", o.m_vAsym.m_value, o.m_hAsym.m_value,
                o.m_showFunctionArrows.m_value, o.m_showLow.m_value, o.m_showHigh.m_value,
                static_cast<unsigned>(o.m_shadeColor.m_value), o.m_shadeStyle.m_value, o.m_hatchType.m_value,
                o.m_pen.m_value.ToProfileText().c_str(), o.m_endCircleSize.m_value,
                o.m_marks.m_mark[0].m_value, o.m_marks.m_mark[1].m_value, o.m_marks.m_mark[2].m_value,
                o.m_marks.m_mark[3].m_value, o.m_pointDiscontinuitySize.m_value);
    return text.str();
}

void SetNonDefaultValues(KTOptionFunction3& o)
{
    o.m_vAsym.m_value = 0;
    o.m_hAsym.m_value = 1;
    o.m_showFunctionArrows.m_value = 0;
    o.m_showLow.m_value = 0;
    o.m_showHigh.m_value = 0;
    o.m_shadeColor.m_value = 0x123456;
    o.m_shadeStyle.m_value = -7;
    o.m_hatchType.m_value = 4;
    o.m_pen.m_value = KTLogPen(3, 2, 0x00ABCDEF, 52.5);
    o.m_endCircleSize.m_value = 200;
    o.m_pointDiscontinuitySize.m_value = 33;
}

Bytes MarksDefaultBytes()
{
    return Join({Str("KTOptionMarks"), U16(1), I32(-1), I32(-1), I32(-1), I32(-1), Str("/KTOptionMarks/")});
}

Bytes DefaultBytesOfSlot0()
{
    return Join({Str("KTOptionFunction3"),
                 U16(3),
                 {1, 0, 1, 1, 1},
                 I32(0xFFD2D2),
                 I32(0),
                 I32(2),
                 // the untagged pen: kind, style, colour, four bytes of alignment, width
                 I32(1),
                 I32(0x10006),
                 I32(0xFF0000),
                 I32(0),
                 F64(26.458331625),
                 I32(150),
                 MarksDefaultBytes(),
                 I32(100),
                 Str("/KTOptionFunction3/")});
}

} // namespace

TEST(KTOptionFunction3, DefaultsOfEverySlot)
{
    struct Row
    {
        COLORREF pen;
        COLORREF shade;
        int hatch;
    };
    const Row rows[KTOptionFunction3::SlotCount] = {
        {0xFF0000, 0xFFD2D2, 2}, {0x0000FF, 0xD2DCFF, 3}, {0xFF00FF, 0xE6B4E6, 1}, {0xFFFF00, 0xE6DCB4, 0},
        {0x7F7F7F, 0xF0F0F0, 4}, {0x00FF00, 0xF0AAF0, 2}, {0x00007F, 0xAAAA7F, 3}, {0x007F00, 0xAA7FAA, 1},
        {0xF7CBA5, 0xE6AA91, 0}, {0xC3C3C3, 0x646464, 4},
    };
    for (int index = 0; index < KTOptionFunction3::SlotCount; ++index) {
        SCOPED_TRACE(index);
        KTOptionFunction3 o;
        o.SetDefaults(index);
        const Row& row = rows[index];
        EXPECT_EQ(o.m_pen.m_value, KTLogPen(1, 0x10006, row.pen, 26.458331625));
        EXPECT_EQ(o.m_pen.GetDefault(), o.m_pen.m_value);
        EXPECT_EQ(o.m_shadeColor.m_value, row.shade);
        EXPECT_EQ(o.m_shadeColor.GetDefault(), row.shade);
        EXPECT_EQ(o.m_hatchType.m_value, row.hatch);
        EXPECT_EQ(o.m_hatchType.GetDefault(), row.hatch);
        // The per-slot options name the slot; the rest share one section.
        EXPECT_EQ(o.m_shadeColor.GetSection(), SlotSection(index));
        EXPECT_EQ(o.m_shadeStyle.GetSection(), SlotSection(index));
        EXPECT_EQ(o.m_hatchType.GetSection(), SlotSection(index));
        EXPECT_EQ(o.m_pen.GetSection(), SlotSection(index));
        for (const KTOptionBool* b :
             {&o.m_vAsym, &o.m_hAsym, &o.m_showFunctionArrows, &o.m_showLow, &o.m_showHigh})
            EXPECT_EQ(b->GetSection(), "KTFunction3");
        EXPECT_EQ(o.m_endCircleSize.GetSection(), "KTFunction3");
        EXPECT_EQ(o.m_pointDiscontinuitySize.GetSection(), "KTFunction3");
        EXPECT_EQ(o.m_marks.m_mark[0].GetSection(), "KTOptionMarks");
    }
}

TEST(KTOptionFunction3, KeysRangesAndSharedDefaults)
{
    const KTOptionFunction3 o; // construction gives the defaults of slot 0
    struct BoolRow
    {
        const KTOptionBool* option;
        const char* key;
        BYTE value;
    };
    const BoolRow bools[] = {{&o.m_vAsym, "VAsym", 1},
                             {&o.m_hAsym, "HAsym", 0},
                             {&o.m_showFunctionArrows, "ShowFunctionArrows", 1},
                             {&o.m_showLow, "ShowLow", 1},
                             {&o.m_showHigh, "ShowHigh", 1}};
    for (const BoolRow& row : bools) {
        EXPECT_EQ(row.option->GetKey(), row.key);
        EXPECT_EQ(row.option->m_value, row.value) << row.key;
        EXPECT_EQ(row.option->GetDefault(), row.value) << row.key;
        EXPECT_EQ(row.option->GetFlag(), 0) << row.key;
    }
    struct IntRow
    {
        const KTOptionInt* option;
        const char* key;
        int value, minimum, maximum;
    };
    const IntRow ints[] = {{&o.m_shadeStyle, "ShadeStyle", 0, -32768, 32767},
                           {&o.m_hatchType, "HatchType", 2, 0, 4},
                           {&o.m_endCircleSize, "EndCircleSize", 150, 0, 300},
                           {&o.m_pointDiscontinuitySize, "PointDiscontinuitySize", 100, 0, 300}};
    for (const IntRow& row : ints) {
        EXPECT_EQ(row.option->GetKey(), row.key);
        EXPECT_EQ(row.option->m_value, row.value) << row.key;
        EXPECT_EQ(row.option->GetMinimum(), row.minimum) << row.key;
        EXPECT_EQ(row.option->GetMaximum(), row.maximum) << row.key;
        EXPECT_EQ(row.option->GetFlag(), 0) << row.key;
    }
    EXPECT_EQ(o.m_shadeColor.GetKey(), "ShadeColor");
    EXPECT_EQ(o.m_pen.GetKey(), "Pen");
    EXPECT_EQ(o.m_pen.GetFlag(), 0);
    EXPECT_EQ(o.m_shadeColor.GetFlag(), 0);
}

TEST(KTOptionFunction3, IndexOutsideTheSlotsTakesSlotZeroDefaults)
{
    KTOptionFunction3 o;
    o.SetDefaults(12);
    EXPECT_EQ(o.m_pen.m_value.m_color, 0xFF0000u);
    EXPECT_EQ(o.m_shadeColor.m_value, 0xFFD2D2u);
    EXPECT_EQ(o.m_hatchType.m_value, 2);
    EXPECT_EQ(o.m_pen.GetSection(), "KTFunction3-12");
}

TEST(KTOptionFunction3, AssignmentCopiesDefinitionsAndValues)
{
    KTOptionFunction3 source;
    source.SetDefaults(7);
    SetNonDefaultValues(source);
    source.m_marks.m_mark[2].m_value = 9;
    KTOptionFunction3 target;
    target = source;
    EXPECT_EQ(Values(target), Values(source));
    EXPECT_EQ(target.m_pen.GetSection(), "KTFunction3-7");
    EXPECT_EQ(target.m_hatchType.GetDefault(), 1);
    EXPECT_EQ(target.m_shadeColor.GetDefault(), 0xAA7FAAu);
}

TEST(KTOptionFunction3, SettingsRoundTripThroughAStoreFile)
{
    kttest::TempDir dir;
    const CString path = CString(dir.File("graph.ini").string());
    for (int index : {0, 5, 9}) {
        SCOPED_TRACE(index);
        KTOptionFunction3 written;
        written.SetDefaults(index);
        SetNonDefaultValues(written);
        {
            KTOptionStore store;
            store.m_location = 4; // keep the path set here
            store.SetPath(path);
            written.WriteProfile(store, false);
            store.Write();
            EXPECT_EQ(store.GetValue(SlotSection(index), "HatchType"), "4");
            EXPECT_EQ(store.GetValue("KTFunction3", "EndCircleSize"), "200");
            EXPECT_EQ(store.GetValue("KTFunction3", "HAsym"), "1");
            EXPECT_EQ(store.GetValue(SlotSection(index), "ShadeColor"), "1193046");
        }
        KTOptionStore store;
        store.m_location = 4;
        store.SetPath(path);
        KTOptionFunction3 read;
        read.SetDefaults(index);
        read.ReadProfile(store); // reloads the file itself
        // The marker-size cache is never written but its defaults.
        written.m_marks = KTOptionMarks();
        EXPECT_EQ(Values(read), Values(written));
    }
}

TEST(KTOptionFunction3, WritingDefaultsIgnoresTheValues)
{
    KTOptionFunction3 o;
    o.SetDefaults(5);
    SetNonDefaultValues(o);
    KTOptionStore store;
    store.m_location = 4;
    o.WriteProfile(store, true);
    EXPECT_EQ(store.GetValue("KTFunction3", "EndCircleSize"), "150");
    EXPECT_EQ(store.GetValue("KTFunction3", "PointDiscontinuitySize"), "100");
    EXPECT_EQ(store.GetValue("KTFunction3", "VAsym"), "1");
    EXPECT_EQ(store.GetValue("KTFunction3-5", "HatchType"), "2");
    EXPECT_EQ(store.GetValue("KTFunction3-5", "ShadeColor"), "15772400"); // 0xF0AAF0
    EXPECT_EQ(store.GetValue("KTFunction3-5", "Pen"), KTOptionFunction3::DefaultPen(5).ToProfileText());
    EXPECT_EQ(store.GetValue("KTOptionMarks", "Mark1"), "-1");
}

TEST(KTOptionFunction3, ReadingForcesIntegersIntoRangeAndKeepsDefaultsForMissingKeys)
{
    kttest::TempDir dir;
    kttest::WriteFileBytes(dir.File("f.ini"), "[KTFunction3-3]\r\nHatchType=9\r\n[KTFunction3]\r\n"
                                              "EndCircleSize=-5\r\nHAsym=1\r\n");
    KTOptionStore store;
    store.m_location = 4;
    store.SetPath(CString(dir.File("f.ini").string()));
    KTOptionFunction3 o;
    o.SetDefaults(3);
    o.ReadProfile(store);
    EXPECT_EQ(o.m_hatchType.m_value, 2);       // midpoint of 0..4
    EXPECT_EQ(o.m_endCircleSize.m_value, 150); // midpoint of 0..300
    EXPECT_EQ(o.m_hAsym.m_value, 1);
    EXPECT_EQ(o.m_vAsym.m_value, 1);
    EXPECT_EQ(o.m_shadeColor.m_value, 0xE6DCB4u);
    EXPECT_EQ(o.m_pen.m_value, KTOptionFunction3::DefaultPen(3));
}

TEST(KTOptionFunction3, ArchiveBytesOfTheDefaults)
{
    KTOptionFunction3 o;
    KTArchive out;
    o.Serialize(out);
    EXPECT_EQ(out.Data(), DefaultBytesOfSlot0());
}

TEST(KTOptionFunction3, ArchiveWritesSwitchesAsZeroOrOne)
{
    KTOptionFunction3 o;
    o.m_vAsym.m_value = 7;
    o.m_hAsym.m_value = 0;
    KTArchive out;
    o.Serialize(out);
    const std::size_t body = 1 + 17 + 2;
    EXPECT_EQ(out.Data()[body], 1);
    EXPECT_EQ(out.Data()[body + 1], 0);
}

TEST(KTOptionFunction3, ArchiveRoundTrip)
{
    KTOptionFunction3 source;
    source.SetDefaults(4);
    SetNonDefaultValues(source);
    source.m_marks.m_mark[1].m_value = 12;
    KTArchive out;
    source.Serialize(out);

    KTOptionFunction3 back;
    KTArchive in(out.Data());
    back.Serialize(in);
    EXPECT_TRUE(in.AtEnd());
    EXPECT_EQ(Values(back), Values(source));
    // Only values travel: the definitions stay those of the reader.
    EXPECT_EQ(back.m_pen.GetSection(), "KTFunction3-0");
}

TEST(KTOptionFunction3, LoadingAForeignTagOrAnOldVersionReadsNoBody)
{
    KTOptionFunction3 source;
    SetNonDefaultValues(source);
    KTArchive out;
    source.Serialize(out);
    const Bytes body(out.Data().begin() + 1 + 17 + 2, out.Data().end());

    struct Row
    {
        const char* tag;
        std::uint16_t version;
        bool readsBody;
        std::size_t consumed; // bytes read when the body is not
    };
    const Row rows[] = {
        {"KTOptionFunction2", 3, false, 1 + 17},     // a foreign name: not even the version
        {"KTOptionFunction3", 2, false, 1 + 17 + 2}, // an old version: name and version only
        {"KTOptionFunction3", 0, false, 1 + 17 + 2}, {"KTOptionFunction3", 3, true, 0},
        {"KTOptionFunction3", 4, true, 0}, // a newer version reads the same body
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.tag << " v" << row.version);
        const Bytes data = Join({Str(row.tag), U16(row.version), body});
        KTOptionFunction3 o;
        KTArchive in(data);
        o.Serialize(in);
        if (row.readsBody) {
            EXPECT_TRUE(in.AtEnd());
            EXPECT_EQ(Values(o), Values(source));
        } else {
            EXPECT_EQ(in.Position(), row.consumed);
            KTOptionFunction3 fresh;
            EXPECT_EQ(Values(o), Values(fresh));
        }
    }
}

TEST(KTOptionFunction3, TruncatedArchiveThrowsAndChangesNothing)
{
    KTOptionFunction3 source;
    SetNonDefaultValues(source);
    KTArchive out;
    source.Serialize(out);
    // Every cut inside the body or the end tag.
    for (std::size_t length = 1 + 17 + 2 + 1; length < out.Data().size(); length += 7) {
        const Bytes data(out.Data().begin(), out.Data().begin() + static_cast<std::ptrdiff_t>(length));
        KTOptionFunction3 o;
        KTArchive in(data);
        EXPECT_THROW(o.Serialize(in), KTArchiveException) << length;
        KTOptionFunction3 fresh;
        EXPECT_EQ(Values(o), Values(fresh)) << length;
    }
}
