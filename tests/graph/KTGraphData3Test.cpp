#include "graph/KTGraphData3.h"

#include "engine/KTExceptionBase.h"
#include "engine/KTFunction3.h"
#include "axes/KTAxes.h"
#include "platform/KTArchive.h"

#include "support/KTArchiveBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <string>

using namespace kttest::bytes;

namespace {

std::unique_ptr<KTGraphData3> NewData()
{
    return std::make_unique<KTGraphData3>();
}

/// Graph data with something in every stored part, and in the parts that are not stored.
std::unique_ptr<KTGraphData3> Filled(KTAxes* axes)
{
    auto data = NewData();
    data->Reset(axes, nullptr);
    for (int slot = 0; slot < KTGraphData3::SlotCount; ++slot)
        data->Function(slot).Data().m_equationText = CString("y=x+") + CString(std::to_string(slot));
    data->Function(4).Data().m_showFirstDerivative = 1;
    data->m_options.m_autoScale.m_value = 1;
    data->m_options.m_msgArea.SetValue("A = ");
    data->m_options.m_functions[2].m_pen.m_value.m_color = RGB(1, 2, 3);
    data->m_showFlagOverride = 1;
    data->m_family = 1;
    data->m_dirty = 1;
    data->m_extents.m_top = 9.0;

    KTIntegralFunction integral;
    integral.m_first = 3;
    integral.m_upperText = "2a";
    integral.m_selected = true;
    data->m_integrals.Add(integral, true);
    data->m_integrals.m_selectedIndex = 0;
    KTDerivativeFunction tangent;
    tangent.m_function = 5;
    tangent.m_xText = "1/2";
    tangent.m_valid = true;
    data->m_derivatives.Add(tangent, true);
    data->m_derivatives.Add(tangent, true);
    return data;
}

/// Loads the bytes into fresh graph data; "" when it loads, else what it threw.
std::string LoadFailure(const Bytes& bytes)
{
    auto data = NewData();
    try {
        Load(*data, bytes);
    } catch (const KTArchiveException&) {
        return "archive";
    } catch (const KTExceptionBase&) {
        return "record";
    }
    return "";
}

Bytes Replaced(Bytes bytes, const std::string& from, const std::string& to, int occurrence = 0)
{
    auto at = bytes.begin();
    for (int i = 0; i <= occurrence; ++i) {
        at = std::search(i == 0 ? bytes.begin() : at + 1, bytes.end(), from.begin(), from.end());
        if (at == bytes.end())
            return {};
    }
    std::copy(to.begin(), to.end(), at);
    return bytes;
}

} // namespace

TEST(KTGraphData3, ANewRecord)
{
    const auto data = NewData();
    for (int slot = 0; slot < KTGraphData3::SlotCount; ++slot) {
        EXPECT_EQ(data->Function(slot).Data().m_owner, nullptr);
        EXPECT_TRUE(data->Function(slot).Data().m_equationText.IsEmpty());
    }
    EXPECT_THROW(data->Function(14), std::out_of_range);
    EXPECT_THROW(data->Function(-1), std::out_of_range);
    EXPECT_EQ(data->FindFunction(14), nullptr);
    EXPECT_EQ(data->m_integrals.GetCount(), 0);
    EXPECT_EQ(data->m_derivatives.GetCount(), 0);
    EXPECT_EQ(data->m_integrals.m_selectedIndex, -1);
    EXPECT_EQ(data->m_derivatives.m_selectedIndex, -1);
    EXPECT_EQ(data->m_dirty, 0);
    EXPECT_EQ(data->m_showFlagOverride, 0);
    EXPECT_EQ(data->m_family, 0);
    EXPECT_EQ(data->m_extents.m_top, 0.0);
    EXPECT_EQ(data->m_extents.m_right, 0.0);
    KTOptionGraph3 defaults;
    EXPECT_EQ(Stored(data->m_options), Stored(defaults));
}

TEST(KTGraphData3, ResetTakesTheOptionsAndKeepsTheLists)
{
    KTAxes axes;
    auto data = Filled(nullptr);
    KTOptionGraph3 options;
    options.m_functions[6].m_pen.m_value.m_color = RGB(6, 6, 6);
    options.m_frDivisions.m_value = 321;
    data->Reset(&axes, &options);

    EXPECT_EQ(Stored(data->m_options), Stored(options));
    for (int slot = 0; slot < KTGraphData3::SlotCount; ++slot) {
        const KTFunctionData3& function = data->Function(slot).Data();
        EXPECT_EQ(function.m_owner, &axes) << slot;
        EXPECT_TRUE(function.m_equationText.IsEmpty()) << slot;
        EXPECT_EQ(function.m_showFirstDerivative, 0) << slot;
        KTOptionFunction3 expected;
        if (slot < KTGraphData3::UserFunctionCount)
            expected = options.m_functions[static_cast<std::size_t>(slot)];
        KTOptionFunction3 copy = function.m_options;
        EXPECT_EQ(Stored(copy), Stored(expected)) << slot;
    }
    EXPECT_EQ(data->m_showFlagOverride, 0);
    EXPECT_EQ(data->m_dirty, 0);
    EXPECT_EQ(data->m_family, 0);
    EXPECT_EQ(data->m_integrals.GetCount(), 1);
    EXPECT_EQ(data->m_derivatives.GetCount(), 2);

    // Without options the graph options go back to their defaults.
    data->Reset(&axes, nullptr);
    KTOptionGraph3 defaults;
    EXPECT_EQ(Stored(data->m_options), Stored(defaults));
}

TEST(KTGraphData3, AssignCopiesTheFunctionsOptionsAndFlagsOnly)
{
    KTAxes axes;
    const auto source = Filled(&axes);
    auto target = NewData();
    target->Reset(&axes, nullptr);
    KTDerivativeFunction own;
    own.m_function = 9;
    target->m_derivatives.Add(own, true);
    target->m_extents.m_top = -1.0;

    target->Assign(*source);
    EXPECT_EQ(Stored(target->m_options), Stored(source->m_options));
    for (int slot = 0; slot < KTGraphData3::UserFunctionCount; ++slot)
        EXPECT_EQ(target->Function(slot).Data().m_equationText, source->Function(slot).Data().m_equationText);
    EXPECT_EQ(target->Function(4).Data().m_showFirstDerivative, 1);
    for (int slot = KTGraphData3::FirstFrameSlot; slot < KTGraphData3::SlotCount; ++slot)
        EXPECT_TRUE(target->Function(slot).Data().m_equationText.IsEmpty()) << slot;
    EXPECT_EQ(target->m_showFlagOverride, 1);
    EXPECT_EQ(target->m_family, 1);
    EXPECT_EQ(target->m_dirty, 1);
    EXPECT_EQ(target->m_integrals.GetCount(), 0);
    ASSERT_EQ(target->m_derivatives.GetCount(), 1);
    EXPECT_EQ(target->m_derivatives.GetAt(0).m_function, 9);
    EXPECT_EQ(target->m_extents.m_top, -1.0);
}

TEST(KTGraphData3, ArchiveOfAFreshRecord)
{
    auto data = NewData();
    Bytes functions;
    for (int slot = 0; slot < KTGraphData3::UserFunctionCount; ++slot) {
        const Bytes one = Stored(data->Function(slot));
        functions.insert(functions.end(), one.begin(), one.end());
    }
    const Bytes expected =
        Join({Str("KTGraphData3"), U16(4), B(0), Stored(data->m_options), functions,
              Join({Str("KTDerivativeList"), U16(1), U32(0), Str("/KTDerivativeList/")}),
              Join({Str("KTIntegralList"), U16(1), U32(0), Str("/KTIntegralList/")}), Str("/KTGraphData3/")});
    EXPECT_EQ(Stored(*data), expected);
}

TEST(KTGraphData3, ArchiveRoundTrip)
{
    KTAxes axes;
    auto source = Filled(&axes);
    const Bytes bytes = Stored(*source);
    auto loaded = NewData();
    loaded->Reset(&axes, nullptr);
    EXPECT_EQ(Load(*loaded, bytes), 0u);
    EXPECT_EQ(Stored(*loaded), bytes);

    for (int slot = 0; slot < KTGraphData3::UserFunctionCount; ++slot)
        EXPECT_EQ(loaded->Function(slot).Data().m_equationText, source->Function(slot).Data().m_equationText);
    // The frame slots are not stored: the first recalculation fills them.
    for (int slot = KTGraphData3::FirstFrameSlot; slot < KTGraphData3::SlotCount; ++slot)
        EXPECT_TRUE(loaded->Function(slot).Data().m_equationText.IsEmpty()) << slot;
    EXPECT_EQ(loaded->m_showFlagOverride, 1);
    EXPECT_EQ(loaded->m_family, 0); // not stored
    EXPECT_EQ(loaded->m_dirty, KTGraphData3::Dirty);
    ASSERT_EQ(loaded->m_integrals.GetCount(), 1);
    EXPECT_EQ(loaded->m_integrals.GetAt(0).m_upperText, "2a");
    EXPECT_TRUE(loaded->m_integrals.GetAt(0).m_selected);
    EXPECT_FALSE(loaded->m_integrals.GetAt(0).m_regionValid);
    EXPECT_EQ(loaded->m_integrals.m_selectedIndex, -1);
    ASSERT_EQ(loaded->m_derivatives.GetCount(), 2);
    EXPECT_EQ(loaded->m_derivatives.GetAt(1).m_xText, "1/2");
    EXPECT_FALSE(loaded->m_derivatives.GetAt(1).m_valid);
    EXPECT_EQ(loaded->m_options.m_msgArea.m_value, "A = ");
    EXPECT_EQ(loaded->m_options.m_functions[2].m_pen.m_value.m_color, RGB(1, 2, 3));
}

TEST(KTGraphData3, AWrongFirstTagThrowsBeforeReadingFurther)
{
    auto data = NewData();
    const Bytes good = Stored(*data);
    struct Row
    {
        const char* what;
        Bytes bytes;
    };
    Bytes version3 = good;
    version3[13] = 3; // the version after "KTGraphData3"
    const Row rows[] = {
        {"another class", Replaced(good, "KTGraphData3", "KTGraphData2")},
        {"version 3", version3},
    };
    for (const Row& row : rows) {
        KTArchive ar(row.bytes);
        auto target = NewData();
        EXPECT_THROW(target->Serialize(ar), KTExceptionBase) << row.what;
        EXPECT_EQ(ar.Position(), 15u) << row.what;
        EXPECT_EQ(target->m_dirty, 0) << row.what;
    }
}

TEST(KTGraphData3, AFaultInsideARecordIsALoadError)
{
    KTAxes axes;
    auto source = Filled(&axes);
    const Bytes good = Stored(*source);
    ASSERT_EQ(LoadFailure(good), "");
    struct Row
    {
        const char* what;
        Bytes bytes;
        const char* failure;
    };
    const Row rows[] = {
        {"function data tag", Replaced(good, "KTFunctionData3", "KTFunctionDataX", 4), "record"},
        {"function options tag", Replaced(good, "KTOptionFunction3", "KTOptionFunctionX", 12), "record"},
        {"marks tag in a function", Replaced(good, "KTOptionMarks", "KTOptionMarkX", 12), "archive"},
        {"function data end tag", Replaced(good, "/KTFunctionData3/", "/KTFunctionData4/", 9), "record"},
        {"options tag", Replaced(good, "KTOptionGraph3", "KTOptionGraphX"), "record"},
        {"axes options tag", Replaced(good, "KTOptionAxes2", "KTOptionAxesX"), "record"},
        {"tangent tag", Replaced(good, "KTDerivativeFunction", "KTDerivativeFunctioX", 1), "record"},
        {"integral list end tag", Replaced(good, "/KTIntegralList/", "/KTIntegralLisX/"), "record"},
        {"end tag", Replaced(good, "/KTGraphData3/", "/KTGraphDataX/"), "record"},
    };
    for (const Row& row : rows) {
        ASSERT_FALSE(row.bytes.empty()) << row.what;
        EXPECT_EQ(LoadFailure(row.bytes), row.failure) << row.what;
    }

    // A tangent count that the bytes left cannot hold is refused before anything is read.
    Bytes counted = good;
    const std::string list = "KTDerivativeList";
    auto at = std::search(counted.begin(), counted.end(), list.begin(), list.end());
    ASSERT_NE(at, counted.end());
    const std::size_t countAt = static_cast<std::size_t>(at - counted.begin()) + list.size() + 2;
    counted[countAt + 3] = 0x7F;
    EXPECT_EQ(LoadFailure(counted), "archive");
}

TEST(KTGraphData3, DamagedArchivesFailWithoutHarm)
{
    KTAxes axes;
    auto source = Filled(&axes);
    const Bytes good = Stored(*source);
    for (std::size_t length = 0; length < good.size(); length += 13) {
        const Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_NE(LoadFailure(cut), "") << length;
    }
    // Flipped bytes either load or fail by a load error; none may crash or hang.
    std::mt19937 random(20261208);
    std::uniform_int_distribution<std::size_t> position(0, good.size() - 1);
    std::uniform_int_distribution<int> value(0, 255);
    for (int round = 0; round < 300; ++round) {
        Bytes bytes = good;
        for (int flip = 0; flip < 3; ++flip)
            bytes[position(random)] = static_cast<std::uint8_t>(value(random));
        (void)LoadFailure(bytes);
    }
}

namespace {

Bytes StoredRanges(KTGraphData3& data)
{
    KTArchive ar;
    data.SerializeConstantRanges(ar);
    return ar.Data();
}

/// Loads the ranges into the data; "" when they load, else what was thrown.
std::string LoadRangesFailure(KTGraphData3& data, const Bytes& bytes)
{
    try {
        KTArchive ar(bytes);
        data.SerializeConstantRanges(ar);
    } catch (const KTArchiveException&) {
        return "archive";
    } catch (const KTExceptionBase&) {
        return "record";
    }
    return "";
}

/// A different family in every slot, so that a slot read into another is seen.
void SetFamilies(KTGraphData3& data)
{
    for (int slot = 0; slot < KTGraphData3::UserFunctionCount; ++slot)
        for (int i = 0; i < KTFunctionConstantRanges::Count; ++i)
            *data.Function(slot).Data().m_constants.At(i) =
                KTFunctionConstantRange(-2.0 - slot, 2.0 + i, 0.5 * (i + 1), -1.0 + 0.25 * slot);
    data.m_family = 1;
}

} // namespace

TEST(KTGraphData3, TheConstantRangesRecordHasItsFixedLayout)
{
    auto data = NewData();
    SetFamilies(*data);
    Bytes body = B(1);
    for (int slot = 0; slot < KTGraphData3::UserFunctionCount; ++slot)
        for (int i = 0; i < KTFunctionConstantRanges::Count; ++i)
            Append(body, Join({F64(-2.0 - slot), F64(2.0 + i), F64(0.5 * (i + 1)), F64(-1.0 + 0.25 * slot)}));
    const Bytes expected =
        Join({Str("KTFunctionConstantRanges"), U16(1), body, Str("/KTFunctionConstantRanges/")});
    const Bytes stored = StoredRanges(*data);
    EXPECT_EQ(stored, expected);
    EXPECT_EQ(stored.size(), 1655u);
    // The archive proper is not touched by the ranges: its bytes are those of a graph without them.
    auto plain = NewData();
    EXPECT_EQ(Stored(*data), Stored(*plain));
}

TEST(KTGraphData3, TheConstantRangesRoundTripAndADamagedRecordChangesNothing)
{
    auto source = NewData();
    SetFamilies(*source);
    const Bytes good = StoredRanges(*source);
    auto loaded = NewData();
    ASSERT_EQ(LoadRangesFailure(*loaded, good), "");
    EXPECT_EQ(StoredRanges(*loaded), good);
    for (int slot = 0; slot < KTGraphData3::UserFunctionCount; ++slot)
        EXPECT_EQ(loaded->Function(slot).Data().m_constants, source->Function(slot).Data().m_constants)
            << slot;
    EXPECT_EQ(loaded->m_family, 1);
    EXPECT_EQ(loaded->m_dirty, KTGraphData3::Dirty);

    Bytes version0 = good;
    version0[25] = 0;
    const struct
    {
        const char* what;
        Bytes bytes;
        const char* failure;
    } rows[] = {
        {"tag", Replaced(good, "KTFunctionConstantRanges", "KTFunctionConstantRangeX"), "record"},
        {"version 0", version0, "record"},
        {"end tag", Replaced(good, "/KTFunctionConstantRanges/", "/KTFunctionConstantRangeX/"), "record"},
        {"cut in the last range", Bytes(good.begin(), good.begin() + 1620), "archive"},
        {"cut in the end tag", Bytes(good.begin(), good.end() - 1), "archive"},
        {"empty", Bytes(), "archive"},
    };
    for (const auto& row : rows) {
        auto target = NewData();
        const Bytes before = StoredRanges(*target);
        EXPECT_EQ(LoadRangesFailure(*target, row.bytes), row.failure) << row.what;
        EXPECT_EQ(StoredRanges(*target), before) << row.what;
        EXPECT_EQ(target->m_family, 0) << row.what;
    }
}

TEST(KTGraphData3, ANumberThatIsNotFiniteLoadsAsItsFieldsDefault)
{
    auto source = NewData();
    SetFamilies(*source);
    Bytes bytes = StoredRanges(*source);
    // Slot 3, constant b (index 1): from, to, step and current at 28 + (3*5 + 1) * 32.
    const std::size_t at = 28 + (3 * 5 + 1) * 32;
    const double values[] = {
        std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
        -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()};
    for (std::size_t i = 0; i < 4; ++i)
        std::memcpy(bytes.data() + at + 8 * i, &values[i], 8);
    auto loaded = NewData();
    ASSERT_EQ(LoadRangesFailure(*loaded, bytes), "");
    EXPECT_EQ(*loaded->Function(3).Data().m_constants.At(1), KTFunctionConstantRange());
    EXPECT_EQ(*loaded->Function(3).Data().m_constants.At(0), *source->Function(3).Data().m_constants.At(0));
    EXPECT_EQ(*loaded->Function(3).Data().m_constants.At(2), *source->Function(3).Data().m_constants.At(2));
}
