#include "foundation/KTOptionMarks.h"

#include "foundation/KTIniFile.h"
#include "platform/KTArchive.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

std::vector<std::uint8_t> Bytes(const std::string& text)
{
    return {text.begin(), text.end()};
}

std::vector<std::uint8_t> Int32(std::int32_t v)
{
    std::vector<std::uint8_t> out(4);
    for (int i = 0; i < 4; ++i)
        out[static_cast<std::size_t>(i)] =
            static_cast<std::uint8_t>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF);
    return out;
}

void Append(std::vector<std::uint8_t>& to, const std::vector<std::uint8_t>& more)
{
    to.insert(to.end(), more.begin(), more.end());
}

} // namespace

TEST(KTOptionMarks, DefinesFourOptionsWithSharedKeys)
{
    const KTOptionMarks marks;
    const char* keys[] = {"Mark1", "Mark2", "Mark2", "Mark2"};
    for (int i = 0; i < KTOptionMarks::Count; ++i) {
        const KTOptionInt& mark = marks.m_mark[static_cast<std::size_t>(i)];
        EXPECT_EQ(mark.m_value, -1) << i;
        EXPECT_EQ(mark.GetDefault(), -1) << i;
        EXPECT_EQ(mark.GetMinimum(), -32768) << i;
        EXPECT_EQ(mark.GetMaximum(), 32767) << i;
        EXPECT_EQ(mark.GetFlag(), 0) << i;
        EXPECT_EQ(mark.GetSection(), "KTOptionMarks") << i;
        EXPECT_EQ(mark.GetKey(), keys[i]) << i;
    }
}

TEST(KTOptionMarks, ArchiveBytesAreTheTaggedForm)
{
    KTOptionMarks marks;
    for (int i = 0; i < KTOptionMarks::Count; ++i)
        marks.m_mark[static_cast<std::size_t>(i)].m_value = 10 * (i + 1);
    marks.m_mark[3].m_value = -2;
    KTArchive out;
    marks.Serialize(out);

    std::vector<std::uint8_t> expected{13};
    Append(expected, Bytes("KTOptionMarks"));
    Append(expected, {1, 0});
    Append(expected, Int32(10));
    Append(expected, Int32(20));
    Append(expected, Int32(30));
    Append(expected, Int32(-2));
    Append(expected, {15});
    Append(expected, Bytes("/KTOptionMarks/"));
    EXPECT_EQ(out.Data(), expected);

    KTOptionMarks back;
    KTArchive in(out.Data());
    back.Serialize(in);
    EXPECT_TRUE(in.AtEnd());
    for (std::size_t i = 0; i < KTOptionMarks::Count; ++i)
        EXPECT_EQ(back.m_mark[i].m_value, marks.m_mark[i].m_value) << i;
}

TEST(KTOptionMarks, LoadingNeedsTheTagAndVersionOne)
{
    struct Row
    {
        const char* tag;
        WORD version;
        bool read;
    };
    const Row rows[] = {{"KTOptionMarks", 1, true},
                        {"KTOptionMarks", 3, true},
                        {"KTOptionMarks", 0, false},
                        {"KTOptionMark", 1, false}};
    for (const Row& row : rows) {
        KTArchive out;
        out.WriteBeginTag(row.tag, row.version);
        for (int i = 0; i < 4; ++i)
            out << std::int32_t{7};
        out.WriteEndTag(row.tag);

        KTOptionMarks marks;
        KTArchive in(out.Data());
        marks.Serialize(in);
        EXPECT_EQ(marks.m_mark[0].m_value, row.read ? 7 : -1) << row.tag << " " << row.version;
        EXPECT_EQ(marks.m_mark[3].m_value, row.read ? 7 : -1) << row.tag << " " << row.version;
    }
}

TEST(KTOptionMarks, SettingsAlwaysHoldTheDefaults)
{
    KTOptionMarks marks;
    marks.m_mark[0].m_value = 4;
    marks.m_mark[1].m_value = 5;
    marks.m_mark[2].m_value = 6;
    marks.m_mark[3].m_value = 7;
    KTIniFile store;
    marks.SaveSettings(store, false);
    ASSERT_EQ(store.GetSectionCount(), 1);
    EXPECT_EQ(store.GetSectionName(0), "KTOptionMarks");
    EXPECT_EQ(store.GetSection(0).GetCount(), 2); // "Mark1" and the shared "Mark2"
    EXPECT_EQ(store.GetValue("KTOptionMarks", "Mark1"), "-1");
    EXPECT_EQ(store.GetValue("KTOptionMarks", "Mark2"), "-1");
    EXPECT_EQ(marks.m_mark[0].m_value, 4); // writing does not change the cached sizes

    KTOptionMarks loaded = marks;
    loaded.LoadSettings(store);
    for (std::size_t i = 0; i < KTOptionMarks::Count; ++i)
        EXPECT_EQ(loaded.m_mark[i].m_value, -1) << i;
}

TEST(KTOptionMarks, ThreeMembersShareOneStoredEntry)
{
    KTIniFile store;
    store.SetValue("KTOptionMarks", "Mark1", "12", true);
    store.SetValue("KTOptionMarks", "Mark2", "40000", true); // out of range: the midpoint
    KTOptionMarks marks;
    marks.LoadSettings(store);
    EXPECT_EQ(marks.m_mark[0].m_value, 12);
    EXPECT_EQ(marks.m_mark[1].m_value, 0);
    EXPECT_EQ(marks.m_mark[2].m_value, marks.m_mark[1].m_value);
    EXPECT_EQ(marks.m_mark[3].m_value, marks.m_mark[1].m_value);
}
