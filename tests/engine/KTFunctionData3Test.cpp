#include "engine/KTFunctionData3.h"

#include "axes/KTAxes.h"
#include "platform/KTArchive.h"
#include "support/KTArchiveBytes.h"

#include <gtest/gtest.h>

using namespace kttest::bytes;

namespace {

void FillStoredFields(KTFunctionData3& data)
{
    data.m_equationText = "y=x^2; [0, 2]";
    data.m_secondText = "note";
    data.m_options.SetDefaults(2);
    data.m_options.m_endCircleSize.m_value = 75;
    data.m_showFirstDerivative = 1;
    data.m_showSecondDerivative = 0;
    data.m_extraSwitch = 1;
    data.m_index = 2;
    data.m_familyDrawn = 1;
}

Bytes OptionsBytes(KTOptionFunction3& options)
{
    KTArchive out;
    options.Serialize(out);
    return out.Data();
}

/// The stored fields as one comparable text.
std::string Stored(KTFunctionData3& d)
{
    KTArchive out;
    d.Serialize(out);
    return std::string(out.Data().begin(), out.Data().end());
}

} // namespace

TEST(KTFunctionData3, ConstructionDefaults)
{
    const KTFunctionData3 data;
    EXPECT_TRUE(data.m_equationText.IsEmpty());
    EXPECT_TRUE(data.m_secondText.IsEmpty());
    EXPECT_EQ(data.m_owner, nullptr);
    EXPECT_EQ(data.m_hasOwner, 0);
    EXPECT_EQ(data.m_index, -1);
    EXPECT_EQ(data.m_relation, -1);
    EXPECT_EQ(data.m_familyDrawn, 0);
    EXPECT_EQ(data.m_interpreted, 0);
    EXPECT_EQ(data.CurrentListIndex(), KTFunctionData3::FirstBranchList);
    EXPECT_EQ(data.m_domain.m_valid, 1);
    EXPECT_EQ(data.m_domain.m_low, -100000000.0);
    EXPECT_EQ(data.m_domain.m_high, 10000000.0);
    EXPECT_EQ(data.m_domain.m_lowEnd, 11);
    EXPECT_EQ(data.m_domain.m_highEnd, 11);
    EXPECT_EQ(data.m_constants, KTFunctionConstantRanges());
    EXPECT_EQ(data.m_options.m_pen.m_value.m_color, 0xFF0000u);
    for (int i = 0; i < KTFunctionData3::ListCount; ++i)
        EXPECT_TRUE(data.List(i)->IsEmpty()) << i;
}

TEST(KTFunctionData3, ListsAreBoundsChecked)
{
    KTFunctionData3 data;
    EXPECT_EQ(data.List(-1), nullptr);
    EXPECT_EQ(data.List(KTFunctionData3::ListCount), nullptr);
    EXPECT_TRUE(data.SelectList(KTFunctionData3::SecondBranchList));
    EXPECT_EQ(&data.CurrentList(), data.List(1));
    EXPECT_FALSE(data.SelectList(5));
    EXPECT_FALSE(data.SelectList(-1));
    EXPECT_EQ(data.CurrentListIndex(), 1);
}

TEST(KTFunctionData3, ResetWithAndWithoutOwnerAndOptions)
{
    KTAxes axes;
    KTOptionFunction3 slot6;
    slot6.SetDefaults(6);

    KTFunctionData3 data;
    FillStoredFields(data);
    data.m_interpreted = 1;
    data.m_usesConstant = 1;
    data.m_usesA = 1;
    data.m_relation = 38;
    data.SelectList(4);
    data.Reset(&axes, &slot6);
    EXPECT_EQ(data.m_owner, &axes);
    EXPECT_EQ(data.m_hasOwner, 1);
    EXPECT_EQ(data.m_options.m_pen.GetSection(), "KTFunction3-6");
    EXPECT_TRUE(data.m_equationText.IsEmpty());
    EXPECT_TRUE(data.m_secondText.IsEmpty());
    EXPECT_EQ(data.m_familyDrawn + data.m_showFirstDerivative + data.m_showSecondDerivative +
                  data.m_extraSwitch + data.m_interpreted + data.m_usesConstant,
              0);
    EXPECT_EQ(data.m_usesA, 1); // the per-constant flags are interpretation's to clear
    EXPECT_EQ(data.m_index, -1);
    EXPECT_EQ(data.m_relation, -1);
    EXPECT_EQ(data.CurrentListIndex(), 0);

    // Without axes the owner pointer stays but is no longer claimed; options fall to slot 0.
    data.Reset(nullptr, nullptr);
    EXPECT_EQ(data.m_hasOwner, 0);
    EXPECT_EQ(data.m_owner, &axes);
    EXPECT_EQ(data.m_options.m_pen.GetSection(), "KTFunction3-0");
}

TEST(KTFunctionData3, ArchiveBytes)
{
    KTFunctionData3 data;
    FillStoredFields(data);
    KTArchive out;
    data.Serialize(out);
    const Bytes expected = Join({Str("KTFunctionData3"),
                                 U16(3),
                                 Str("y=x^2; [0, 2]"),
                                 Str("note"),
                                 OptionsBytes(data.m_options),
                                 {1, 0, 1},
                                 I32(2),
                                 {1},
                                 Str("/KTFunctionData3/")});
    EXPECT_EQ(out.Data(), expected);

    // Switches are written as 0 or 1 whatever the byte holds.
    data.m_showFirstDerivative = 5;
    data.m_familyDrawn = 200;
    KTArchive again;
    data.Serialize(again);
    EXPECT_EQ(again.Data(), expected);
}

TEST(KTFunctionData3, ArchiveRoundTripKeepsRunTimeState)
{
    KTFunctionData3 source;
    FillStoredFields(source);
    KTArchive out;
    source.Serialize(out);

    KTAxes axes;
    KTFunctionData3 back;
    back.Reset(&axes, nullptr);
    back.m_relation = 45;
    back.m_constants.At(0)->m_current = 4.5;
    KTArchive in(out.Data());
    back.Serialize(in);
    EXPECT_TRUE(in.AtEnd());
    EXPECT_EQ(Stored(back), Stored(source));
    EXPECT_EQ(back.m_options.m_endCircleSize.m_value, 75);
    // What is not stored stays as it was.
    EXPECT_EQ(back.m_owner, &axes);
    EXPECT_EQ(back.m_relation, 45);
    EXPECT_EQ(back.m_constants.Current(0), 4.5);
}

TEST(KTFunctionData3, LoadingAForeignTagOrOldVersionKeepsTheRecord)
{
    KTFunctionData3 source;
    FillStoredFields(source);
    KTArchive out;
    source.Serialize(out);
    const Bytes body(out.Data().begin() + 1 + 15 + 2, out.Data().end());

    struct Row
    {
        const char* tag;
        std::uint16_t version;
        bool readsBody;
    };
    const Row rows[] = {{"KTFunctionData2", 3, false},
                        {"KTFunctionData3", 2, false},
                        {"KTFunctionData3", 3, true},
                        {"KTFunctionData3", 9, true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.tag << " v" << row.version);
        KTFunctionData3 target;
        target.m_equationText = "y=1";
        target.m_options.SetDefaults(8);
        target.m_options.m_hatchType.m_value = 3;
        KTArchive in(Join({Str(row.tag), U16(row.version), body}));
        target.Serialize(in);
        if (row.readsBody) {
            EXPECT_EQ(Stored(target), Stored(source));
        } else {
            EXPECT_EQ(target.m_equationText, "y=1");
            EXPECT_EQ(target.m_options.m_hatchType.m_value, 3);
            EXPECT_EQ(target.m_index, -1);
        }
    }
}

TEST(KTFunctionData3, TruncatedArchiveThrowsAndChangesNothing)
{
    KTFunctionData3 source;
    FillStoredFields(source);
    KTArchive out;
    source.Serialize(out);
    for (std::size_t length = 1 + 15 + 2; length < out.Data().size(); length += 5) {
        KTFunctionData3 target;
        target.m_equationText = "y=1";
        const std::string before = Stored(target);
        KTArchive in(Bytes(out.Data().begin(), out.Data().begin() + static_cast<std::ptrdiff_t>(length)));
        EXPECT_THROW(target.Serialize(in), KTArchiveException) << length;
        EXPECT_EQ(Stored(target), before) << length;
    }
}

TEST(KTFunctionData3, CopyFromTakesTheStoredAndEvaluationStateButNotTheUseFlags)
{
    KTAxes axes;
    KTFunctionData3 source;
    source.Reset(&axes, nullptr);
    FillStoredFields(source);
    source.m_expressionText = "x^2";
    source.m_relation = 43;
    source.m_domain.m_low = -3;
    source.m_domain.m_highEnd = KTFunctionDomain::EndClosed;
    source.m_plottedLow = -3;
    source.m_plottedHigh = 4;
    *source.m_constants.At(KTConstantC) = KTFunctionConstantRange(0, 4, 1, 2);
    source.m_usesConstant = source.m_usesC = source.m_usesTrig = 1;
    source.m_interpreted = 1;
    source.List(0)->Append(ASKind::X);
    source.List(0)->Append(ASKind::Number, 2.0);
    source.List(0)->Append(ASKind::Power);
    source.List(1)->Append(ASKind::Number, -1.0);
    source.List(2)->Append(ASKind::Y);
    source.List(4)->Append(ASKind::X);

    KTFunctionData3 target;
    target.CopyFrom(source);
    EXPECT_EQ(Stored(target), Stored(source));
    EXPECT_EQ(target.m_expressionText, "x^2");
    EXPECT_EQ(target.m_relation, 43);
    EXPECT_EQ(target.m_domain, source.m_domain);
    EXPECT_EQ(target.m_plottedLow, -3.0);
    EXPECT_EQ(target.m_plottedHigh, 4.0);
    EXPECT_EQ(target.m_owner, &axes);
    EXPECT_EQ(target.m_constants, source.m_constants);
    ASSERT_EQ(target.List(0)->GetCount(), 3);
    EXPECT_EQ(target.List(0)->KindAt(2), ASKind::Power);
    EXPECT_EQ(target.List(0)->ValueAt(1), 2.0);
    ASSERT_EQ(target.List(1)->GetCount(), 1);
    EXPECT_EQ(target.List(1)->ValueAt(0), -1.0);
    // Not copied: use flags, has owner, interpreted, lists 3 to 5.
    EXPECT_EQ(target.m_hasOwner, 0);
    EXPECT_EQ(target.m_interpreted, 0);
    EXPECT_EQ(target.m_usesConstant + target.m_usesC + target.m_usesTrig, 0);
    EXPECT_TRUE(target.List(2)->IsEmpty());
    EXPECT_TRUE(target.List(4)->IsEmpty());

    target.CopyFrom(target); // copying onto itself changes nothing
    EXPECT_EQ(target.List(0)->GetCount(), 3);
}

TEST(KTFunctionData3, ClearUseFlags)
{
    KTFunctionData3 data;
    data.m_usesConstant = data.m_usesA = data.m_usesB = data.m_usesC = data.m_usesD = data.m_usesM = 1;
    data.m_usesTrig = 1;
    data.ClearUseFlags();
    EXPECT_EQ(data.m_usesConstant + data.m_usesA + data.m_usesB + data.m_usesC + data.m_usesD + data.m_usesM +
                  data.m_usesTrig,
              0);
}

TEST(KTFunctionData3, DamagedArchivesLoadOrThrowButNeverMisbehave)
{
    KTFunctionData3 source;
    FillStoredFields(source);
    KTArchive out;
    source.Serialize(out);
    const Bytes good = out.Data();

    std::uint32_t seed = 12345;
    auto next = [&seed]() {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (int round = 0; round < 2000; ++round) {
        Bytes data = good;
        const int flips = 1 + static_cast<int>(next() % 4);
        for (int f = 0; f < flips; ++f)
            data[next() % data.size()] = static_cast<std::uint8_t>(next());
        if (round % 3 == 0)
            data.resize(next() % data.size());
        KTFunctionData3 target;
        KTArchive in(data);
        try {
            target.Serialize(in);
        } catch (const KTArchiveException&) {
            // a damaged document is reported by the reader; the record stays whole
        }
        EXPECT_LE(in.Position(), data.size());
        // Whatever was read must store again.
        KTArchive again;
        target.Serialize(again);
        EXPECT_FALSE(again.Data().empty());
    }
}
