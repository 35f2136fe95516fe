#include "foundation/KTTextReader.h"

#include "support/KTTestSupport.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

std::vector<std::string> ReadAll(const std::string& bytes, KTTextEncoding* encoding = nullptr,
                                 bool* defaultUsed = nullptr)
{
    kttest::TempDir dir;
    kttest::WriteFileBytes(dir.File("t.txt"), bytes);
    KTTextReader reader(dir.File("t.txt").c_str());
    std::vector<std::string> lines;
    CString line;
    while (reader.ReadLine(line)) {
        lines.push_back(line.str());
        if (lines.size() > 100000)
            break;
    }
    EXPECT_FALSE(reader.ReadLine(line));
    if (encoding)
        *encoding = reader.GetEncoding();
    if (defaultUsed)
        *defaultUsed = reader.DefaultUsed();
    return lines;
}

std::string Utf16(const std::u16string& text, bool bigEndian)
{
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t ch : text) {
        const char hi = static_cast<char>(ch >> 8), lo = static_cast<char>(ch & 0xFF);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    }
    return out;
}

using Lines = std::vector<std::string>;

} // namespace

TEST(KTTextReaderTest, EncodingsAndLineEnds)
{
    const struct
    {
        const char* name;
        std::string bytes;
        KTTextEncoding encoding;
        Lines lines;
        bool defaultUsed;
    } rows[] = {
        {"CR LF, final end gives an empty line", "a\r\nb\r\n", KTTextAnsi, {"a", "b", ""}, false},
        {"LF without final end", "a\nb", KTTextAnsi, {"a", "b"}, false},
        {"CR alone", "a\rb\r", KTTextAnsi, {"a", "b", ""}, false},
        {"starts with a line end", "\r\nx", KTTextAnsi, {"", "x"}, false},
        {"blank lines", "a\n\nb\r\n\r\nc\r\rd", KTTextAnsi, {"a", "", "b", "", "c", "", "d"}, false},
        {"empty file gives no line at all", "", KTTextAnsi, {}, false},
        {"one byte", "x", KTTextAnsi, {"x"}, false},
        {"ANSI bytes as they are", "caf\xE9\x80", KTTextAnsi, {"caf\xE9\x80"}, false},
        {"EF BB without BF is ANSI", "\xEF\xBBx\r\ny", KTTextAnsi, {"\xEF\xBBx", "y"}, false},
        {"UTF-16 LE", Utf16(u"x", false), KTTextUtf16LittleEndian, {"x"}, false},
        {"UTF-16 BE with ends", Utf16(u"x\r\ny\nz", true), KTTextUtf16BigEndian, {"x", "y", "z"}, false},
        {"UTF-16 LE to Windows-1252",
         Utf16(u"\u00e9\u20ac\u4e2d\r\n", false),
         KTTextUtf16LittleEndian,
         {"\xE9\x80?", ""},
         true},
        {"UTF-16 surrogate pair is one character",
         Utf16(u"a\U0001F600b", false),
         KTTextUtf16LittleEndian,
         {"a?b"},
         true},
        {"UTF-8", "\xEF\xBB\xBFh\xC3\xA9llo\r\n\xE2\x82\xAC", KTTextUtf8, {"h\xE9llo", "\x80"}, false},
        {"UTF-8 four-byte sequence", "\xEF\xBB\xBF\xF0\x9F\x98\x80!", KTTextUtf8, {"?\?\?\?!"}, true},
        {"UTF-8 stray continuation",
         "\xEF\xBB\xBF"
         "a\x80z",
         KTTextUtf8,
         {"a?z"},
         true},
        {"UTF-8 mark only", "\xEF\xBB\xBF", KTTextUtf8, {}, false},
        {"UTF-16 odd final byte", std::string("\xFF\xFEx\0y", 5), KTTextUtf16LittleEndian, {"x"}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        KTTextEncoding encoding{};
        bool defaultUsed = false;
        EXPECT_EQ(ReadAll(row.bytes, &encoding, &defaultUsed), row.lines);
        EXPECT_EQ(encoding, row.encoding);
        EXPECT_EQ(defaultUsed, row.defaultUsed);
    }
}

TEST(KTTextReaderTest, LongLinesAndBlockBoundaries)
{
    const std::string longLine(3000, 'q');
    EXPECT_EQ(ReadAll(longLine), Lines{longLine});

    // A CR LF pair split across two 1024-byte blocks is still one line end.
    const std::string first(1023, 'a');
    EXPECT_EQ(ReadAll(first + "\r\nb"), (Lines{first, "b"}));
    const std::string exact(1024, 'c');
    EXPECT_EQ(ReadAll(exact), Lines{exact});
    EXPECT_EQ(ReadAll(exact + "\n"), (Lines{exact, ""}));
}

TEST(KTTextReaderTest, RandomLinesComeBackWithAnyLineEnds)
{
    std::mt19937 random(1208);
    const char* ends[] = {"\r", "\n", "\r\n"};
    for (int round = 0; round < 60; ++round) {
        Lines expected;
        std::string bytes;
        const int count = 1 + static_cast<int>(random() % 40);
        for (int i = 0; i < count; ++i) {
            std::string line(1 + random() % 300, ' ');
            for (char& ch : line) {
                do
                    ch = static_cast<char>(random() & 0xFF);
                while (ch == '\r' || ch == '\n');
            }
            // Keep the first bytes clear of a byte-order mark.
            if (i == 0)
                line[0] = 'L';
            expected.push_back(line);
            bytes += line;
            if (i + 1 < count)
                bytes += ends[random() % 3];
        }
        ASSERT_EQ(ReadAll(bytes), expected) << "round " << round;
    }
}

TEST(KTTextReaderTest, MissingFileIsEmpty)
{
    KTTextReader reader("/no/such/folder/file.txt");
    CString line = "untouched";
    EXPECT_FALSE(reader.ReadLine(line));
    KTTextReader none(nullptr);
    EXPECT_FALSE(none.ReadLine(line));

    kttest::TempDir dir;
    kttest::WriteFileBytes(dir.File("t.txt"), "a\nb\n");
    KTTextReader closed(dir.File("t.txt").c_str());
    ASSERT_TRUE(closed.ReadLine(line));
    closed.Close();
    EXPECT_FALSE(closed.ReadLine(line));
}
