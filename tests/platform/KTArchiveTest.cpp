#include "platform/KTArchive.h"

#include <gtest/gtest.h>

#include <random>

namespace {

std::vector<std::uint8_t> Bytes(std::initializer_list<int> values)
{
    std::vector<std::uint8_t> out;
    for (int v : values)
        out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

} // namespace

TEST(KTArchiveTest, StringLengthPrefixForms)
{
    struct Row { int length; std::vector<std::uint8_t> prefix; };
    const Row rows[] = {
        {0, Bytes({0})},
        {254, Bytes({0xFE})},
        {255, Bytes({0xFF, 0xFF, 0x00})},
        {0xFFFD, Bytes({0xFF, 0xFD, 0xFF})},
        {0xFFFE, Bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00})},
    };
    for (const auto& row : rows) {
        KTArchive out;
        const CString text(std::string(static_cast<size_t>(row.length), 'k'));
        out << text;
        const auto& data = out.Data();
        ASSERT_EQ(data.size(), row.prefix.size() + static_cast<size_t>(row.length)) << row.length;
        EXPECT_TRUE(std::equal(row.prefix.begin(), row.prefix.end(), data.begin())) << row.length;
        KTArchive in(data);
        CString back;
        in >> back;
        EXPECT_EQ(back, text);
        EXPECT_TRUE(in.AtEnd());
    }
}

TEST(KTArchiveTest, WideStringMarkerIsReadIntoSingleBytes)
{
    KTArchive in(Bytes({0xFF, 0xFE, 0xFF, 0x03, 'a', 0, 0xAC, 0x20, 'z', 0}));
    CString text;
    in >> text;
    EXPECT_EQ(text, "a\x80z");
}

TEST(KTArchiveTest, NumbersAreLittleEndian)
{
    KTArchive out;
    out << static_cast<BYTE>(1) << static_cast<WORD>(0x0203) << static_cast<std::int32_t>(-2) << 1.0;
    const auto expected = Bytes({1, 3, 2, 0xFE, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F});
    EXPECT_EQ(out.Data(), expected);
    KTArchive in(out.Data());
    BYTE b;
    WORD w;
    std::int32_t i;
    double d;
    in >> b >> w >> i >> d;
    EXPECT_EQ(b, 1);
    EXPECT_EQ(w, 0x0203);
    EXPECT_EQ(i, -2);
    EXPECT_EQ(d, 1.0);
}

TEST(KTArchiveTest, TagsRoundTripAndMismatchIsReported)
{
    KTArchive out;
    out.WriteBeginTag("KTOptionMarks", 1);
    out << static_cast<std::int32_t>(5);
    out.WriteEndTag("KTOptionMarks");
    KTArchive in(out.Data());
    WORD version = 0;
    EXPECT_TRUE(in.ReadBeginTag("KTOptionMarks", version));
    EXPECT_EQ(version, 1);
    std::int32_t v;
    in >> v;
    EXPECT_TRUE(in.ReadEndTag("KTOptionMarks"));
    KTArchive again(out.Data());
    EXPECT_FALSE(again.ReadBeginTag("KTOptionAxes2", version));
}

TEST(KTArchiveTest, BeginTagAtLeastReadsTheVersionOnlyAfterTheRightName)
{
    KTArchive out;
    out.WriteBeginTag("KTOptionMarks", 2);
    const std::size_t nameBytes = 1 + 13;
    const struct
    {
        const char* name;
        WORD minimumVersion;
        bool matches;
        std::size_t consumed;
    } rows[] = {
        {"KTOptionMarks", 1, true, nameBytes + 2},
        {"KTOptionMarks", 2, true, nameBytes + 2},
        {"KTOptionMarks", 3, false, nameBytes + 2},
        {"KTOptionAxes2", 1, false, nameBytes},
    };
    for (const auto& row : rows) {
        KTArchive in(out.Data());
        EXPECT_EQ(in.ReadBeginTagAtLeast(row.name, row.minimumVersion), row.matches) << row.name;
        EXPECT_EQ(out.Data().size() - in.Remaining(), row.consumed) << row.name;
    }
}

TEST(KTArchiveTest, ShortInputThrowsInsteadOfReadingPastTheEnd)
{
    const std::vector<std::vector<std::uint8_t>> inputs = {
        {}, Bytes({5, 'a'}), Bytes({0xFF, 0x00}), Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}),
        Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}), Bytes({0xFF, 0xFE, 0xFF, 0xFE})};
    for (const auto& input : inputs) {
        KTArchive in(input);
        CString text;
        EXPECT_THROW(in >> text, KTArchiveException);
    }
    KTArchive in(Bytes({1, 2, 3}));
    double d;
    EXPECT_THROW(in >> d, KTArchiveException);
}

TEST(KTArchiveTest, RandomBytesNeverCrashTheReader)
{
    std::mt19937 rng(12345);
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::uint8_t> data(rng() % 64);
        for (auto& b : data)
            b = static_cast<std::uint8_t>(rng());
        KTArchive in(data);
        try {
            for (;;) {
                CString text;
                WORD version;
                double d;
                in >> text >> version >> d;
                (void)in.ReadCount();
            }
        } catch (const KTArchiveException&) {
        }
    }
}
