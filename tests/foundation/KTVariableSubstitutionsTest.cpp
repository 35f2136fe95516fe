#include "foundation/KTSentinelValues.h"
#include "foundation/KTVariableSubstitutions.h"
#include "platform/KTArchive.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::vector<std::uint8_t> Stored(KTVariableSubstitutions& table)
{
    KTArchive out;
    table.Serialize(out);
    return out.Data();
}

void Append(std::vector<std::uint8_t>& bytes, const void* data, std::size_t count)
{
    const auto* p = static_cast<const std::uint8_t*>(data);
    bytes.insert(bytes.end(), p, p + count);
}

} // namespace

TEST(KTVariableSubstitutionsTest, NewTableHoldsNothing)
{
    const KTVariableSubstitutions table;
    for (const char* name : {"a", "b", "c", "d", "m", ""}) {
        EXPECT_FALSE(table.HasName(name)) << name;
        EXPECT_EQ(table.GetValue(name), KTUndefinedValue) << name;
    }
    EXPECT_EQ(table.GetCount(), 0);
}

TEST(KTVariableSubstitutionsTest, LooksNamesUpExactlyAndTheFirstEntryWins)
{
    KTVariableSubstitutions table;
    table.Add("a", 2.0);
    table.Add("a", 3.0);
    table.Add("m", -1.5);
    struct Row
    {
        const char* name;
        bool has;
        double value;
    };
    const Row rows[] = {
        {"a", true, 2.0},
        {"m", true, -1.5},
        {"A", false, KTUndefinedValue},
        {"b", false, KTUndefinedValue},
        {"a ", false, KTUndefinedValue},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(table.HasName(row.name), row.has) << row.name;
        EXPECT_EQ(table.GetValue(row.name), row.value) << row.name;
    }
    EXPECT_EQ(table.GetCount(), 3);
}

TEST(KTVariableSubstitutionsTest, ASixthEntryIsIgnored)
{
    KTVariableSubstitutions table;
    const char* names[] = {"m", "a", "b", "c", "d", "e"};
    for (int i = 0; i < 6; ++i)
        table.Add(names[i], i + 1.0);
    EXPECT_EQ(table.GetCount(), 5);
    EXPECT_EQ(table.GetValue("d"), 5.0);
    EXPECT_FALSE(table.HasName("e"));
    EXPECT_EQ(table.GetName(4), "d");
    EXPECT_EQ(table.GetName(5), "");
    EXPECT_EQ(table.GetValueAt(5), KTUndefinedValue);
}

TEST(KTVariableSubstitutionsTest, ClearingEmptiesTheTable)
{
    KTVariableSubstitutions table;
    table.Add("a", 1.0);
    table.m_nMode = 3;
    table.m_bFlag1 = table.m_bFlag2 = true;
    table.Clear();
    EXPECT_EQ(table.GetCount(), 0);
    EXPECT_EQ(table.m_nMode, 0);
    EXPECT_FALSE(table.m_bFlag1);
    EXPECT_FALSE(table.m_bFlag2);
    EXPECT_FALSE(table.HasName("a"));
    table.Add("b", 4.0);
    EXPECT_EQ(table.GetValue("b"), 4.0);
}

TEST(KTVariableSubstitutionsTest, ArchiveFormIsByteExact)
{
    KTVariableSubstitutions table;
    table.Add("m", 0.5);
    table.Add("a", -2.0);
    table.m_bFlag2 = true;

    std::vector<std::uint8_t> expected = {1, 0, 2, 0, 0, 0, 0, 1};
    const char* names[] = {"m", "a", "", "", ""};
    const double values[] = {0.5, -2.0, 0.0, 0.0, 0.0};
    for (int i = 0; i < 5; ++i) {
        const auto length = static_cast<std::uint8_t>(std::strlen(names[i]));
        expected.push_back(length);
        Append(expected, names[i], length);
        Append(expected, &values[i], sizeof(double));
        expected.push_back(0);
    }
    EXPECT_EQ(Stored(table), expected);
}

TEST(KTVariableSubstitutionsTest, ArchiveRoundTrip)
{
    KTVariableSubstitutions table;
    table.Add("m", 0.25);
    table.Add("a", 3.0);
    table.Add("b", -7.5);
    table.m_bFlag1 = true;
    const std::vector<std::uint8_t> bytes = Stored(table);

    KTArchive in(bytes);
    KTVariableSubstitutions loaded;
    loaded.Serialize(in);
    EXPECT_TRUE(in.AtEnd());
    EXPECT_EQ(loaded.GetCount(), 3);
    EXPECT_TRUE(loaded.m_bFlag1);
    EXPECT_FALSE(loaded.m_bFlag2);
    for (const char* name : {"m", "a", "b", "c"})
        EXPECT_EQ(loaded.GetValue(name), table.GetValue(name)) << name;
    EXPECT_EQ(Stored(loaded), bytes);
}

TEST(KTVariableSubstitutionsTest, SchemaZeroLoadsNothing)
{
    KTVariableSubstitutions table;
    table.Add("a", 9.0);
    KTArchive in(std::vector<std::uint8_t>{0, 0, 5, 0, 0, 0});
    table.Serialize(in);
    EXPECT_EQ(in.Position(), 2u);
    EXPECT_EQ(table.GetCount(), 1);
    EXPECT_EQ(table.GetValue("a"), 9.0);
}

TEST(KTVariableSubstitutionsTest, DamagedArchivesNeverReachPastTheEntries)
{
    KTVariableSubstitutions source;
    source.Add("a", 1.0);
    std::vector<std::uint8_t> bytes = Stored(source);

    // A count far beyond five is held to five.
    std::vector<std::uint8_t> wide = bytes;
    wide[2] = 0x40;
    KTArchive in(wide);
    KTVariableSubstitutions loaded;
    loaded.Serialize(in);
    EXPECT_EQ(loaded.GetCount(), 5);
    EXPECT_FALSE(loaded.HasName("zz"));

    // A negative count is an empty table.
    std::vector<std::uint8_t> negative = bytes;
    negative[5] = 0x80;
    KTArchive in2(negative);
    loaded.Serialize(in2);
    EXPECT_EQ(loaded.GetCount(), 0);

    // A short archive throws and leaves the table as it was.
    KTVariableSubstitutions kept;
    kept.Add("m", 2.0);
    for (std::size_t cut = 2; cut < bytes.size(); cut += 3) {
        KTArchive shortIn(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(cut)));
        EXPECT_THROW(kept.Serialize(shortIn), KTArchiveException) << cut;
        EXPECT_EQ(kept.GetCount(), 1);
        EXPECT_EQ(kept.GetValue("m"), 2.0);
    }
}

TEST(KTVariableSubstitutionsTest, IsARegisteredRuntimeClass)
{
    const KTRuntimeClass* runtimeClass = KTFindClass("KTVariableSubstitutions");
    ASSERT_NE(runtimeClass, nullptr);
    EXPECT_EQ(runtimeClass->schema, 1u);
    EXPECT_NE(dynamic_cast<KTVariableSubstitutions*>(runtimeClass->factory().get()), nullptr);
}
