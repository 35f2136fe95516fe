#include "graph/KTTipInfo.h"
#include "graph/KTTipInfoArray.h"
#include "support/KTArchiveBytes.h"

#include <gtest/gtest.h>

using namespace kttest::bytes;

namespace {

/// The bytes of a tip with the given rectangle, lines (text, mark) and stored count.
Bytes TipBytes(const CRect& rect, const std::vector<std::pair<std::string, std::int32_t>>& lines,
               std::int32_t count, std::uint16_t schema = 1)
{
    Bytes out = Join(
        {Str("KTTipInfo"), U16(schema), I32(rect.left), I32(rect.top), I32(rect.right), I32(rect.bottom)});
    for (std::size_t i = 0; i < 10; ++i) {
        const auto line = i < lines.size() ? lines[i] : std::pair<std::string, std::int32_t>{"", -1};
        out = Join({out, Str(line.first), I32(line.second)});
    }
    return Join({out, I32(count), Str("/KTTipInfo/")});
}

} // namespace

TEST(KTTipInfo, DefaultsAndLines)
{
    KTTipInfo tip;
    EXPECT_EQ(tip.GetHotRect(), CRect(0, 0, 1, 1));
    EXPECT_EQ(tip.GetLineCount(), 0);
    EXPECT_EQ(tip.LineValue(0), -1);

    tip.AddText("Point of Intersection");
    tip.AddText("");
    tip.AddMarkedText("y=x^2");
    EXPECT_EQ(tip.GetLineCount(), 2);
    EXPECT_EQ(tip.LineText(0), "Point of Intersection");
    EXPECT_EQ(tip.LineValue(0), 0);
    EXPECT_EQ(tip.LineText(1), "y=x^2");
    EXPECT_EQ(tip.LineValue(1), 1);
    EXPECT_EQ(tip.LineValue(2), -1);
    EXPECT_EQ(tip.LineValue(10), -1);
    EXPECT_EQ(tip.LineValue(-1), -1);
    EXPECT_EQ(tip.LineText(12), "");
}

TEST(KTTipInfo, EleventhLineIsIgnored)
{
    KTTipInfo tip;
    for (int i = 0; i < 11; ++i)
        tip.AddText(KTFormatC("line %d", i).c_str());
    EXPECT_EQ(tip.GetLineCount(), 10);
    EXPECT_EQ(tip.LineText(9), "line 9");
}

TEST(KTTipInfo, HotRectangleIsStrict)
{
    KTTipInfo tip;
    tip.SetHotRect(-150, -150, 150, 150);
    const struct
    {
        CPoint point;
        bool inside;
    } rows[] = {{{0, 0}, true},     {{-149, 149}, true}, {{-150, 0}, false}, {{150, 0}, false},
                {{0, -150}, false}, {{0, 150}, false},   {{151, 151}, false}};
    for (const auto& row : rows)
        EXPECT_EQ(tip.HotRectContains(row.point), row.inside) << row.point.x << "," << row.point.y;
}

TEST(KTTipInfo, ArchiveBytesAndRoundTrip)
{
    KTTipInfo tip;
    tip.SetHotRect(10, -20, 310, 280);
    tip.AddText("Local Maximum");
    tip.AddMarkedText("y=sin(x)");
    const Bytes expected = TipBytes(CRect(10, -20, 310, 280), {{"Local Maximum", 0}, {"y=sin(x)", 1}}, 2);
    EXPECT_EQ(Stored(tip), expected);

    KTTipInfo read;
    EXPECT_EQ(Load(read, expected), 0u);
    EXPECT_EQ(read, tip);
    EXPECT_EQ(Stored(read), expected);
}

TEST(KTTipInfo, LineCountFromAFileIsClamped)
{
    const struct
    {
        std::int32_t stored;
        int read;
    } rows[] = {{-5, 0}, {0, 0}, {3, 3}, {10, 10}, {11, 10}, {0x7FFFFFFF, 10}};
    for (const auto& row : rows) {
        KTTipInfo tip;
        EXPECT_EQ(Load(tip, TipBytes(CRect(0, 0, 5, 5), {{"a", 0}}, row.stored)), 0u);
        EXPECT_EQ(tip.GetLineCount(), row.read) << row.stored;
        // A clamped count still lets lines be added without leaving the ten.
        tip.AddText("more");
        EXPECT_LE(tip.GetLineCount(), 10);
    }
}

TEST(KTTipInfo, SchemaZeroOrAnotherTagKeepsDefaults)
{
    for (const Bytes& bytes :
         {TipBytes(CRect(1, 2, 3, 4), {{"x", 0}}, 1, 0), Join({Str("KTOther"), U16(1)})}) {
        KTTipInfo tip;
        Load(tip, bytes);
        EXPECT_EQ(tip, KTTipInfo());
    }
}

TEST(KTTipInfo, ShortArchiveThrowsAndChangesNothing)
{
    Bytes bytes = TipBytes(CRect(1, 2, 3, 4), {{"x", 0}}, 1);
    ASSERT_GT(bytes.size(), 20u);
    bytes.erase(bytes.end() - 20, bytes.end());
    KTTipInfo tip;
    tip.AddText("kept");
    const KTTipInfo before = tip;
    KTArchive ar(bytes);
    EXPECT_THROW(tip.Serialize(ar), KTArchiveException);
    EXPECT_EQ(tip, before);
}

TEST(KTTipInfoArray, AddCopiesAndSetAllTextReplacesEveryLine)
{
    KTTipInfoArray tips;
    KTTipInfo tip;
    tip.AddText("y=x+-1");
    tip.AddMarkedText("+-2");
    tips.Add(tip);
    tips.Add(tip);
    tip.AddText("not in the array");
    ASSERT_EQ(tips.GetCount(), 2);
    EXPECT_EQ(tips.At(0)->GetLineCount(), 2);
    EXPECT_EQ(tips.At(2), nullptr);

    tips.SetAllText("+-", "-");
    for (const KTTipInfo& t : tips) {
        EXPECT_EQ(t.LineText(0), "y=x-1");
        EXPECT_EQ(t.LineText(1), "-2");
    }
}

TEST(KTTipInfo, RegisteredForTheDocumentReader)
{
    const KTRuntimeClass* tipClass = KTFindClass("KTTipInfo");
    ASSERT_NE(tipClass, nullptr);
    EXPECT_EQ(tipClass->schema, 1u);
    EXPECT_NE(dynamic_cast<KTTipInfo*>(tipClass->factory().get()), nullptr);
    EXPECT_NE(KTFindClass("KTGraph3"), nullptr);
}
