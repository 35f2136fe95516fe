#include "graph/KTDerivativeFunction.h"
#include "graph/KTDerivativeList.h"
#include "graph/KTOptionDerivative.h"

#include "engine/KTExceptionBase.h"
#include "foundation/KTOptionStore.h"
#include "platform/KTArchive.h"

#include "support/KTArchiveBytes.h"
#include "support/KTTestSupport.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

using namespace kttest::bytes;

namespace {

KTAxes* FakeAxes(int n)
{
    // Only compared, never followed.
    return reinterpret_cast<KTAxes*>(static_cast<std::uintptr_t>(0x1000 * n));
}

KTDerivativeFunction Tangent(int function, double x = 1.0)
{
    KTDerivativeFunction r;
    r.m_function = function;
    r.m_point = KTPoint(x, x * x);
    r.m_start = KTPoint(-10, -1);
    r.m_end = KTPoint(10, 3);
    r.m_slope = 2 * x;
    r.m_intercept = -x * x;
    r.m_label = "f'(1) = 2";
    r.m_lineText = "y = 2x -1";
    r.m_xText = "1";
    r.m_pen = KTLogPen(1, 0x10006, RGB(0, 0, 255), 17.5);
    return r;
}

/// The stored fields as bytes: equal records store equal bytes.
Bytes Fields(KTDerivativeFunction r)
{
    return Stored(r);
}

KTDerivativeList ListOf(std::initializer_list<KTDerivativeFunction> records)
{
    KTDerivativeList list;
    for (const KTDerivativeFunction& r : records)
        list.Add(r, true);
    return list;
}

std::vector<int> Functions(const KTDerivativeList& list)
{
    std::vector<int> out;
    for (int i = 0; i < list.GetCount(); ++i)
        out.push_back(list.GetAt(i).m_function);
    return out;
}

using kttest::LocaleScope;

} // namespace

// ---- KTOptionDerivative --------------------------------------------------------------------

TEST(KTOptionDerivative, Defaults)
{
    const KTOptionDerivative options;
    const KTLogPen pen(1, 0x10006, 0x0000FF, 8.819443875);
    EXPECT_EQ(options.m_pen.GetSection(), "Derivative");
    EXPECT_EQ(options.m_pen.GetKey(), "Pen");
    EXPECT_EQ(options.m_pen.GetFlag(), 0);
    EXPECT_EQ(options.m_pen.m_value, pen);
    EXPECT_EQ(options.m_pen.GetDefault(), pen);
    EXPECT_EQ(options.m_modified, 0);
}

TEST(KTOptionDerivative, SettingsRoundTripAndTexts)
{
    const kttest::TempDir dir;
    KTOptionDerivative changed;
    changed.m_pen.m_value = KTLogPen(1, 0x10001, RGB(1, 2, 3), 70.5);
    KTOptionStore writer;
    writer.m_location = 4; // keeps the path set here
    writer.SetPath(dir.Folder() + "d.ini");
    changed.SaveSettings(writer, false);
    writer.Write();
    EXPECT_EQ(writer.GetValue("Derivative", "Pen"), "1,2,3,65537,1,70.500000");

    KTOptionStore reader;
    reader.m_location = 4;
    reader.SetPath(dir.Folder() + "d.ini");
    KTOptionDerivative loaded;
    loaded.LoadSettings(reader); // reloads the file itself
    EXPECT_EQ(loaded.m_pen.m_value, changed.m_pen.m_value);

    KTIniFile defaults;
    changed.SaveSettings(defaults, true);
    EXPECT_EQ(defaults.GetValue("Derivative", "Pen"), "255,0,0,65542,1,8.819444");
}

TEST(KTOptionDerivative, ArchiveBytesAndDamage)
{
    KTOptionDerivative options;
    const Bytes good = Stored(options);
    EXPECT_EQ(good, Join({Str("KTOptionDerivative"), U16(1), Pen(1, 0x10006, 0xFF, 8.819443875),
                          Str("/KTOptionDerivative/")}));

    Bytes wrongTag = good;
    wrongTag[2] = 't';
    Bytes wrongEnd = good;
    wrongEnd[good.size() - 3] = '_';
    for (const Bytes& bytes : {wrongTag, wrongEnd}) {
        KTOptionDerivative target;
        target.m_pen.m_value.m_width = 1.0;
        EXPECT_THROW(Load(target, bytes), KTExceptionBase);
        EXPECT_EQ(target.m_pen.m_value.m_width, 1.0);
    }
}

// ---- KTDerivativeFunction ------------------------------------------------------------------

TEST(KTDerivativeFunction, DefaultsAndFromOptions)
{
    const KTDerivativeFunction r;
    EXPECT_EQ(r.m_point, KTPoint(0, 0));
    EXPECT_EQ(r.m_start, KTPoint(0, 0));
    EXPECT_EQ(r.m_end, KTPoint(0, 0));
    EXPECT_EQ(r.m_function, -1);
    EXPECT_EQ(r.m_label, "");
    EXPECT_EQ(r.m_lineText, "");
    EXPECT_EQ(r.m_xText, "");
    EXPECT_EQ(r.m_axes, nullptr);
    EXPECT_EQ(r.m_pen.m_kind, 0);
    EXPECT_EQ(r.m_pen.m_style, 6);
    EXPECT_EQ(r.m_pen.m_color, 0u);
    EXPECT_FALSE(r.m_valid);
    EXPECT_FALSE(r.m_selected);
    EXPECT_EQ(r.m_functionPtr, nullptr);

    KTOptionDerivative options;
    options.m_pen.m_value.m_width = 44.0;
    const KTDerivativeFunction fromOptions(options);
    EXPECT_EQ(fromOptions.m_pen, options.m_pen.m_value);
    EXPECT_EQ(fromOptions.m_function, -1);
}

TEST(KTDerivativeFunction, AssignmentLeavesTheLineToTheNextCalculation)
{
    KTDerivativeFunction source = Tangent(3);
    source.m_valid = true;
    source.m_selected = true;
    source.m_axes = FakeAxes(1);
    source.m_functionPtr = reinterpret_cast<KTFunction3*>(std::uintptr_t{0x4000});

    KTDerivativeFunction target;
    target.m_start = KTPoint(1, 1);
    target.m_end = KTPoint(2, 2);
    target = source;
    EXPECT_EQ(target.m_function, 3);
    EXPECT_EQ(target.m_point, source.m_point);
    EXPECT_EQ(target.m_slope, source.m_slope);
    EXPECT_EQ(target.m_intercept, source.m_intercept);
    EXPECT_EQ(target.m_label, source.m_label);
    EXPECT_EQ(target.m_lineText, source.m_lineText);
    EXPECT_EQ(target.m_xText, source.m_xText);
    EXPECT_EQ(target.m_pen, source.m_pen);
    EXPECT_TRUE(target.m_selected);
    EXPECT_EQ(target.m_functionPtr, source.m_functionPtr);
    EXPECT_EQ(target.m_start, KTPoint(1, 1));
    EXPECT_EQ(target.m_end, KTPoint(2, 2));
    EXPECT_EQ(target.m_axes, nullptr);
    EXPECT_FALSE(target.m_valid);

    const KTDerivativeFunction copy(source);
    EXPECT_TRUE(copy.m_valid);
    EXPECT_EQ(copy.m_end, source.m_end);
    EXPECT_EQ(copy.m_axes, FakeAxes(1));
}

TEST(KTDerivativeFunction, UsesName)
{
    struct Row
    {
        const char* name;
        const char* x;
        bool uses;
    };
    const Row rows[] = {{"", "1", false},  {"", "2b", true},   {"", "pi/2", false}, {"", "m", true},
                        {"b", "2b", true}, {"a", "2b", false}, {"k", "", false}};
    for (const Row& row : rows) {
        KTDerivativeFunction r;
        r.m_xText = row.x;
        EXPECT_EQ(r.UsesName(row.name), row.uses) << row.name << " in " << row.x;
    }
}

TEST(KTDerivativeFunction, ArchiveBytesOfAFreshRecord)
{
    KTDerivativeFunction r;
    const Bytes expected =
        Join({Str("KTDerivativeFunction"), U16(1), F64(0), F64(0), F64(0), F64(0), F64(0), F64(0), I32(-1),
              F64(0), F64(0), Str(""), Str(""), Str(""), Pen(0, 6, 0, 0.0), Str("/KTDerivativeFunction/")});
    EXPECT_EQ(Stored(r), expected);
    EXPECT_EQ(KTDerivativeFunction::MinimumArchiveSize(), 141u);
}

TEST(KTDerivativeFunction, LoadingClearsValidAndSelected)
{
    KTDerivativeFunction source = Tangent(2, 1.5);
    source.m_selected = true;
    KTDerivativeFunction loaded;
    loaded.m_valid = true;
    loaded.m_selected = true;
    EXPECT_EQ(Load(loaded, Stored(source)), 0u);
    EXPECT_FALSE(loaded.m_valid);
    EXPECT_FALSE(loaded.m_selected);
    EXPECT_EQ(loaded.m_start, source.m_start); // the record itself reads its ends
    source.m_selected = false;
    EXPECT_EQ(Fields(loaded), Fields(source));
}

// ---- KTDerivativeList ----------------------------------------------------------------------

TEST(KTDerivativeList, AddWithoutForceKeepsOneTangentPerFunction)
{
    KTDerivativeList list;
    EXPECT_EQ(list.Add(Tangent(0), false), 0);
    EXPECT_EQ(list.Add(Tangent(4), false), 1);
    EXPECT_EQ(list.Add(Tangent(0, 2.0), false), -1);
    EXPECT_EQ(Functions(list), (std::vector<int>{0, 4}));
    EXPECT_EQ(list.GetAt(0).m_point, KTPoint(1, 1));
    EXPECT_EQ(list.Add(Tangent(0, 2.0), true), 2);
    EXPECT_EQ(Functions(list), (std::vector<int>{0, 4, 0}));

    // Appended by assignment: ends (0, 0), not valid, until calculated.
    KTDerivativeFunction valid = Tangent(5);
    valid.m_valid = true;
    const int index = list.Add(valid, true);
    EXPECT_FALSE(list.GetAt(index).m_valid);
    EXPECT_EQ(list.GetAt(index).m_start, KTPoint(0, 0));
}

TEST(KTDerivativeList, Removing)
{
    KTDerivativeList list = ListOf({Tangent(1), Tangent(2), Tangent(2), Tangent(3), Tangent(2)});
    list.RemoveForFunction(2);
    EXPECT_EQ(Functions(list), (std::vector<int>{1, 3}));
    list.RemoveAt(-1);
    EXPECT_EQ(list.GetCount(), 2);
    list.RemoveAt(0);
    EXPECT_EQ(Functions(list), (std::vector<int>{3}));
    EXPECT_THROW(list.RemoveAt(1), std::out_of_range);
    EXPECT_THROW(list.RemoveAt(-2), std::out_of_range);
    EXPECT_THROW(list.SetSelected(3, true), std::out_of_range);
    EXPECT_EQ(list.GetCount(), 1);
    list.RemoveAll();
    EXPECT_EQ(list.GetCount(), 0);
}

TEST(KTDerivativeList, SetGraphSelectionAndNames)
{
    KTDerivativeList list = ListOf({Tangent(1), Tangent(2)});
    list.SetGraph(FakeAxes(2));
    EXPECT_EQ(list.GetAt(0).m_axes, FakeAxes(2));
    EXPECT_EQ(list.GetAt(1).m_axes, FakeAxes(2));
    list.SetSelected(1, true);
    EXPECT_TRUE(list.GetAt(1).m_selected);
    EXPECT_EQ(list.DeselectAll(), 2);
    EXPECT_FALSE(list.GetAt(1).m_selected);

    EXPECT_FALSE(list.UsesName(""));
    list.GetAt(1).m_xText = "a/2";
    EXPECT_TRUE(list.UsesName(""));
    EXPECT_TRUE(list.UsesName("a"));
    EXPECT_FALSE(list.UsesName("b"));
}

TEST(KTDerivativeList, SelectedAccessors)
{
    KTDerivativeList list = ListOf({Tangent(1, 1.0), Tangent(2, 3.0)});
    EXPECT_EQ(list.SelectedLabel(), "");
    EXPECT_EQ(list.SelectedLineText(), "");
    EXPECT_EQ(list.TangentPointAt(KTPoint(4, 9)), KTPoint(0, 0));

    list.m_selectedIndex = 1;
    list.GetAt(1).m_label = "second";
    EXPECT_EQ(list.SelectedLabel(), "second");
    EXPECT_EQ(list.SelectedLineText(), "y = 2x -1");
    // y = 6x - 9 at x = 4.
    EXPECT_EQ(list.TangentPointAt(KTPoint(4, 100)), KTPoint(4, 15));

    // A selection that outlived its record reads as none rather than failing.
    list.RemoveAt(1);
    EXPECT_EQ(list.SelectedLabel(), "");
    EXPECT_EQ(list.TangentPointAt(KTPoint(4, 9)), KTPoint(0, 0));
}

TEST(KTDerivativeList, MoveXRewritesTheText)
{
    struct Row
    {
        double x;
        double dx;
        const char* text;
    };
    const Row rows[] = {
        {1.0, 0.75, "1.75"},          {-0.1, 0.1, "0"},  {2.0, -4.5, "-2.5"},
        {0.0, 1.0 / 3.0, "0.333333"}, {10.0, 0.0, "10"},
    };
    const LocaleScope english('.', ',', 44);
    for (const Row& row : rows) {
        KTDerivativeList list = ListOf({Tangent(0, row.x)});
        list.GetAt(0).m_valid = true;
        list.MoveX(0, row.dx);
        EXPECT_EQ(list.GetAt(0).m_xText, row.text) << row.x << " + " << row.dx;
        EXPECT_DOUBLE_EQ(list.GetAt(0).m_point.m_x, row.x + row.dx);
        EXPECT_EQ(list.GetAt(0).m_slope, 2 * row.x); // waits for the next calculation
    }
    KTDerivativeList list = ListOf({Tangent(0, 1.0)});
    list.MoveX(0, std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(list.GetAt(0).m_xText, "1");
    EXPECT_THROW(list.MoveX(1, 1.0), std::out_of_range);
}

TEST(KTDerivativeList, MoveXWritesTheUsersDecimalSeparator)
{
    const LocaleScope german(',', ';', 49);
    KTDerivativeList list = ListOf({Tangent(0, 1.0)});
    list.MoveX(0, 0.5);
    EXPECT_EQ(list.GetAt(0).m_xText, "1,5");
}

TEST(KTDerivativeList, ArchiveRoundTrip)
{
    KTDerivativeList source = ListOf({Tangent(0, 1.0), Tangent(3, -2.0), Tangent(9, 0.5)});
    source.GetAt(0).m_selected = true;
    source.m_selectedIndex = 0;
    KTDerivativeList empty;
    EXPECT_EQ(Stored(empty), Join({Str("KTDerivativeList"), U16(1), U32(0), Str("/KTDerivativeList/")}));

    KTDerivativeList loaded = ListOf({Tangent(5)});
    loaded.m_selectedIndex = 0;
    EXPECT_EQ(Load(loaded, Stored(source)), 0u);
    ASSERT_EQ(loaded.GetCount(), 3);
    for (int i = 0; i < 3; ++i) {
        const KTDerivativeFunction& r = loaded.GetAt(i);
        const KTDerivativeFunction& s = source.GetAt(i);
        EXPECT_EQ(r.m_function, s.m_function);
        EXPECT_EQ(r.m_point, s.m_point);
        EXPECT_EQ(r.m_slope, s.m_slope);
        EXPECT_EQ(r.m_intercept, s.m_intercept);
        EXPECT_EQ(r.m_xText, s.m_xText);
        EXPECT_EQ(r.m_pen, s.m_pen);
        EXPECT_FALSE(r.m_valid);
        EXPECT_FALSE(r.m_selected);
        EXPECT_EQ(r.m_start, KTPoint(0, 0)); // appended by assignment
        EXPECT_EQ(r.m_end, KTPoint(0, 0));
    }
    EXPECT_EQ(loaded.m_selectedIndex, -1);
}

TEST(KTDerivativeList, DamagedArchivesThrowAndLeaveTheListAlone)
{
    KTDerivativeList source = ListOf({Tangent(0), Tangent(1)});
    const Bytes good = Stored(source);
    const std::size_t countAt = 17 + 2;

    for (const std::uint32_t count : {0xFFFFFFFFu, 1000u, 3u}) {
        Bytes bytes = good;
        const Bytes raw = U32(count);
        std::copy(raw.begin(), raw.end(), bytes.begin() + static_cast<std::ptrdiff_t>(countAt));
        KTDerivativeList target = ListOf({Tangent(7)});
        EXPECT_THROW(Load(target, bytes), KTArchiveException) << count;
        EXPECT_EQ(Functions(target), (std::vector<int>{7}));
    }
    for (std::size_t length = 0; length < good.size(); ++length) {
        KTDerivativeList target = ListOf({Tangent(7)});
        EXPECT_ANY_THROW(
            Load(target, Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length))))
            << length;
        EXPECT_EQ(Functions(target), (std::vector<int>{7})) << length;
    }
    Bytes wrongTag = good;
    wrongTag[1] = 'k';
    KTDerivativeList target;
    EXPECT_THROW(Load(target, wrongTag), KTExceptionBase);
}
