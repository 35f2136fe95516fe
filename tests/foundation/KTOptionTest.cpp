#include "foundation/KTIniFile.h"
#include "foundation/KTOptionBool.h"
#include "foundation/KTOptionColor.h"
#include "foundation/KTOptionDouble.h"
#include "foundation/KTOptionInt.h"
#include "foundation/KTOptionString.h"
#include "platform/KTArchive.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <limits>

TEST(KTOptionTest, ReadAndWriteBackThroughTheStore)
{
    KTOptionInt i;
    KTOptionDouble d;
    KTOptionBool b;
    KTOptionColor c;
    KTOptionString s;
    struct Row
    {
        const char* name;
        const char* stored; // nullptr: no key at all
        std::function<CString(KTIniFile&)> run;
        const char* readAs;
        const char* writtenBack;
    };
    auto runInt = [&](int def, int lo, int hi) {
        return [&, def, lo, hi](KTIniFile& ini) {
            i.Set("S", "k", 0, def, lo, hi);
            i.ReadProfile(ini);
            CString v;
            v.Format("%d", i.m_value);
            EXPECT_EQ(i.GetStored(), i.m_value);
            i.WriteProfile(ini, false);
            return v;
        };
    };
    auto runDouble = [&](double def, double lo, double hi) {
        return [&, def, lo, hi](KTIniFile& ini) {
            d.Set("S", "k", 0, def, lo, hi);
            d.ReadProfile(ini);
            CString v;
            v.Format("%g", d.m_value);
            d.WriteProfile(ini, false);
            return v;
        };
    };
    auto runBool = [&](BYTE def) {
        return [&, def](KTIniFile& ini) {
            b.Set("S", "k", 1, def);
            b.ReadProfile(ini);
            CString v;
            v.Format("%d", b.m_value);
            b.WriteProfile(ini, false);
            return v;
        };
    };
    auto runColor = [&](COLORREF def) {
        return [&, def](KTIniFile& ini) {
            c.Set("S", "k", 0, def);
            c.ReadProfile(ini);
            CString v;
            v.Format("%u", c.m_value);
            c.WriteProfile(ini, false);
            return v;
        };
    };
    auto runString = [&](const char* def, int maxLength) {
        return [&, def, maxLength](KTIniFile& ini) {
            s.Set("S", "k", 0, def, maxLength);
            s.ReadProfile(ini);
            const CString v = s.m_value;
            s.WriteProfile(ini, false);
            return v;
        };
    };

    const Row rows[] = {
        // Out of range reads as the midpoint and is written back so.
        {"int above range", "400", runInt(150, 0, 300), "150", "150"},
        {"int below range", "-7", runInt(150, 0, 300), "150", "150"},
        {"int midpoint truncates toward zero", "3", runInt(-1, -5, 0), "-2", "-2"},
        {"int -1 reads the default", "-1", runInt(150, 0, 300), "150", "150"},
        {"int out-of-range default is forced on read", "-1", runInt(500, 0, 300), "150", "150"},
        {"int empty value", "", runInt(42, 0, 300), "42", "42"},
        {"int missing key", nullptr, runInt(42, 0, 300), "42", "42"},
        {"int text", "abc", runInt(150, 0, 300), "0", "0"},
        {"int bounds stay", "300", runInt(150, 0, 300), "300", "300"},
        {"int wide range midpoint", "0", runInt(5, 1, INT_MAX), "1073741824", "1073741824"},
        {"double in range", "2.5", runDouble(1, 0, 10), "2.5", "2.500000"},
        {"double above range", "20", runDouble(1, 0, 10), "5", "5.000000"},
        {"double below range", "-0.5", runDouble(1, 0, 10), "5", "5.000000"},
        {"double empty reads default", "", runDouble(1.25, 0, 10), "1.25", "1.250000"},
        {"double missing", nullptr, runDouble(1.25, 0, 10), "1.25", "1.250000"},
        {"double text is zero", "x", runDouble(3, -1, 10), "0", "0.000000"},
        {"double decimal comma stops", "2,5", runDouble(3, -1, 10), "2", "2.000000"},
        {"double 0.1", "0.1", runDouble(3, -1, 10), "0.1", "0.100000"},
        {"bool 1", "1", runBool(0), "1", "1"},
        {"bool 2 is false", "2", runBool(1), "0", "0"},
        {"bool 0", "0", runBool(1), "0", "0"},
        {"bool missing", nullptr, runBool(1), "1", "1"},
        {"bool -1", "-1", runBool(1), "1", "1"},
        {"color taken unchanged", "255", runColor(7), "255", "255"},
        {"color negative", "-16777216", runColor(7), "4278190080", "-16777216"},
        {"color -1 is the default", "-1", runColor(7), "7", "7"},
        {"color missing", nullptr, runColor(0x00FF00), "65280", "65280"},
        {"string cut", "abcdef", runString("xy", 3), "abc", "abc"},
        {"string unlimited", "abcdef", runString("xy", -1), "abcdef", "abcdef"},
        {"string empty reads default", "", runString("xy", 3), "xy", "xy"},
        {"string default is cut too on read", nullptr, runString("wxyz", 3), "wxy", "wxy"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        KTIniFile ini;
        if (row.stored)
            ini.SetValue("S", "k", row.stored, true);
        EXPECT_EQ(row.run(ini), row.readAs);
        EXPECT_EQ(ini.GetValue("S", "k"), row.writtenBack);
    }
}

TEST(KTOptionTest, GetValueForcesAndKeeps)
{
    KTOptionInt i;
    i.Set("S", "k", 0, 1, 0, 7);
    i.m_value = 9;
    EXPECT_EQ(i.GetValue(), 3);
    EXPECT_EQ(i.m_value, 3);
    i.m_value = 7;
    EXPECT_EQ(i.GetValue(), 7);

    KTOptionDouble d;
    d.Set("S", "k", 0, 1, -1, 2);
    d.m_value = 10;
    EXPECT_EQ(d.GetValue(), 0.5);
    EXPECT_EQ(d.m_value, 0.5);
    d.m_value = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(std::isnan(d.GetValue()));

    KTOptionString s;
    s.Set("S", "k", 0, "default", 3);
    s.SetValue("abcdef");
    EXPECT_EQ(s.m_value, "abc");
    s.m_value = "uvwxyz";
    EXPECT_EQ(s.GetValue(), "uvw");
    EXPECT_EQ(s.GetDefault(), "default");
    s.Set("S", "k", 0, "d", -2);
    s.m_value = "abc";
    EXPECT_EQ(s.GetValue(), "");
}

TEST(KTOptionTest, UseDefaultWritesTheDefaultAsItIs)
{
    KTIniFile ini;
    KTOptionInt i;
    i.Set("S", "i", 0, 500, 0, 300); // a default outside the range is written unforced
    i.m_value = 10;
    i.WriteProfile(ini, true);
    EXPECT_EQ(ini.GetValue("S", "i"), "500");
    EXPECT_EQ(i.GetStored(), 10);

    KTOptionString s;
    s.Set("S", "s", 0, "abcdef", 2);
    s.m_value = "zz";
    s.WriteProfile(ini, true);
    EXPECT_EQ(ini.GetValue("S", "s"), "abcdef");
    EXPECT_EQ(s.GetStored(), "zz");

    KTOptionBool b;
    b.Set("S", "b", 0, 1);
    b.m_value = 2;
    b.WriteProfile(ini, false);
    EXPECT_EQ(ini.GetValue("S", "b"), "0");
    b.WriteProfile(ini, true);
    EXPECT_EQ(ini.GetValue("S", "b"), "1");

    KTOptionColor c;
    c.Set("S", "c", 0, 0x123456);
    c.m_value = 0xFFFFFFFF;
    c.WriteProfile(ini, false);
    EXPECT_EQ(ini.GetValue("S", "c"), "-1");
    c.ReadProfile(ini);
    EXPECT_EQ(c.m_value, 0x123456u);

    KTOptionDouble d;
    d.Set("S", "d", 0, 99.0, 0, 1);
    d.WriteProfile(ini, true);
    EXPECT_EQ(ini.GetValue("S", "d"), "99.000000");
}

TEST(KTOptionTest, SerializeArchivesTheValueAlone)
{
    KTOptionInt i;
    i.Set("S", "k", 0, 1, 0, 10);
    i.m_value = 0x01020304;
    KTOptionDouble d;
    d.Set("S", "k", 0, 1, 0, 10);
    d.m_value = 1.5;
    KTOptionBool b;
    b.Set("S", "k", 0, 0);
    b.m_value = 2;
    KTOptionColor c;
    c.Set("S", "k", 0, 0);
    c.m_value = 0xFF00FF00;
    KTOptionString s;
    s.Set("S", "k", 0, "d", -1);
    s.m_value = "abc";

    const struct
    {
        const char* name;
        std::function<void(KTArchive&)> serialize;
        std::vector<std::uint8_t> bytes;
    } rows[] = {
        {"int", [&](KTArchive& ar) { i.Serialize(ar); }, {4, 3, 2, 1}},
        {"double", [&](KTArchive& ar) { d.Serialize(ar); }, {0, 0, 0, 0, 0, 0, 0xF8, 0x3F}},
        {"bool", [&](KTArchive& ar) { b.Serialize(ar); }, {2}},
        {"color", [&](KTArchive& ar) { c.Serialize(ar); }, {0, 0xFF, 0, 0xFF}},
        {"string", [&](KTArchive& ar) { s.Serialize(ar); }, {3, 'a', 'b', 'c'}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        KTArchive out;
        row.serialize(out);
        EXPECT_EQ(out.Data(), row.bytes);
    }

    // Loading restores the values and nothing else.
    KTArchive all;
    for (const auto& row : rows)
        row.serialize(all);
    i.m_value = 0;
    d.m_value = 0;
    b.m_value = 0;
    c.m_value = 0;
    s.m_value = "";
    KTArchive in(all.Data());
    for (const auto& row : rows)
        row.serialize(in);
    EXPECT_TRUE(in.AtEnd());
    EXPECT_EQ(i.m_value, 0x01020304);
    EXPECT_EQ(i.GetDefault(), 1);
    EXPECT_EQ(d.m_value, 1.5);
    EXPECT_EQ(b.m_value, 2);
    EXPECT_EQ(c.m_value, 0xFF00FF00u);
    EXPECT_EQ(s.m_value, "abc");
    EXPECT_EQ(s.GetDefault(), "d");

    // A short archive throws rather than reading past its end.
    KTArchive shortArchive(std::vector<std::uint8_t>{1, 2});
    EXPECT_THROW(i.Serialize(shortArchive), KTArchiveException);
}
