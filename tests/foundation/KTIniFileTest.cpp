#include "foundation/KTIniFile.h"

#include "support/KTTestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <random>
#include <sys/resource.h>

namespace {

std::string ReadThrough(const std::string& bytes, int times = 1)
{
    kttest::TempDir dir;
    kttest::WriteFileBytes(dir.File("s.ini"), bytes);
    KTIniFile ini;
    ini.SetPath(CString(dir.File("s.ini").string()));
    for (int i = 0; i < times; ++i)
        EXPECT_TRUE(ini.Read());
    return ini.ToText();
}

} // namespace

struct IniReadCase
{
    const char* name;
    std::string file;
    std::string written;
};

TEST(KTIniFileTest, ReadsFileFormsAndWritesThemBack)
{
    const std::string bom = "\xEF\xBB\xBF";
    const IniReadCase cases[] = {
        {"repeated header continues, empty section vanishes", "[A]\r\nx=1\r\n[B]\r\n[A]\r\ny=2\r\n",
         "[A]\r\nx=1\r\ny=2\r\n\r\n"},
        {"further = belong to the value", "[S]\nkey=a=b\n", "[S]\r\nkey=a=b\r\n\r\n"},
        {"blanks kept", "[S]\n key = v \n", "[S]\r\n key = v \r\n\r\n"},
        {"a line without = stays as it is", "[S]\nabc\n", "[S]\r\nabc\r\n\r\n"},
        {"lines without = keep their places, repeated ones too",
         "[S]\n; the axes\nx=1\n; the axes\nnote\ny=2\n",
         "[S]\r\n; the axes\r\nx=1\r\n; the axes\r\nnote\r\ny=2\r\n\r\n"},
        {"a section of lines without = alone", "[A]\nhello\n[B]\nk=v\n",
         "[A]\r\nhello\r\n\r\n[B]\r\nk=v\r\n\r\n"},
        {"leading =", "[S]\n=abc\n", "[S]\r\n=abc\r\n\r\n"},
        {"keys before any header", "k=1\n[S]\nm=2\n", "[]\r\nk=1\r\n\r\n[S]\r\nm=2\r\n\r\n"},
        {"empty header name joins the leading keys", "k=1\n[]\nm=2\n", "[]\r\nk=1\r\nm=2\r\n\r\n"},
        {"trailing blank is no header", "[Graph] \nx=1\n", "[]\r\n[Graph] \r\nx=1\r\n\r\n"},
        {"name ends at first ]", "[a]b]\nk=v\n", "[a]\r\nk=v\r\n\r\n"},
        {"duplicate key takes later value", "[S]\na=1\nb=2\na=3\n", "[S]\r\na=3\r\nb=2\r\n\r\n"},
        {"comment marks are keys", "[S]\n;c=1\n#d=2\n", "[S]\r\n;c=1\r\n#d=2\r\n\r\n"},
        {"empty lines skipped", "\n\r\n[S]\n\nk=v\n\n", "[S]\r\nk=v\r\n\r\n"},
        {"last line without line end", "[S]\r\nk=v", "[S]\r\nk=v\r\n\r\n"},
        {"lone CR is an ordinary byte", "[S]\na=1\rb=2\n", "[S]\r\na=1\rb=2\r\n\r\n"},
        {"a UTF-8 file keeps its first section", bom + "[Graph]\r\nx=1\r\n", "[Graph]\r\nx=1\r\n\r\n"},
        {"UTF-8 is read into Windows-1252", bom + "[Graph]\nname=M\xC3\xBCller \xE2\x82\xAC\n",
         "[Graph]\r\nname=M\xFCller \x80\r\n\r\n"},
        {"UTF-16 little-endian", std::string("\xFF\xFE[\0G\0]\0\r\0\n\0k\0=\0\xFC\0", 18),
         "[G]\r\nk=\xFC\r\n\r\n"},
        {"UTF-16 big-endian", std::string("\xFE\xFF\0[\0G\0]\0\n\0k\0=\x20\xAC", 16),
         "[G]\r\nk=\x80\r\n\r\n"},
        {"a mark elsewhere is bytes", "[S]\nk=" + bom + "\n", "[S]\r\nk=" + bom + "\r\n\r\n"},
        {"empty file", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReadThrough(c.file), c.written);
        // What was written reads back to the same document, and reading again changes nothing.
        EXPECT_EQ(ReadThrough(c.written), c.written);
        EXPECT_EQ(ReadThrough(c.file, 2), c.written);
    }
}

TEST(KTIniFileTest, LinesOfAnyLengthAreReadWhole)
{
    for (size_t length : {2047u, 2048u, 5000u, 200000u}) {
        SCOPED_TRACE(length);
        const std::string value(length - 2, 'v');
        KTIniFile ini;
        kttest::TempDir dir;
        kttest::WriteFileBytes(dir.File("s.ini"), "[S]\r\nk=" + value + "\r\nafter=1\r\n");
        ini.SetPath(CString(dir.File("s.ini").string()));
        ASSERT_TRUE(ini.Read());
        EXPECT_EQ(ini.GetValue("S", "k").str(), value);
        // The keys after the long line survive, so the next save keeps them.
        EXPECT_EQ(ini.GetValue("S", "after"), "1");
    }
}

TEST(KTIniFileTest, GetIntFollowsAtoiAndMissingIsMinusOne)
{
    KTIniFile ini;
    const struct
    {
        const char* value;
        int expected;
    } rows[] = {
        {"-1", -1},
        {"", -1},
        {"12abc", 12},
        {"abc", 0},
        {" \t7", 7},
        {"+5", 5},
        {"-0", 0},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"99999999999999999999", INT_MAX},
        {"-99999999999999999999", INT_MIN},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.value);
        ini.SetValue("S", "k", r.value, true);
        EXPECT_EQ(ini.GetInt("S", "k"), r.expected);
    }
    EXPECT_EQ(ini.GetInt("S", "missing"), -1);
    EXPECT_EQ(ini.GetInt("Missing", "k"), -1);
}

TEST(KTIniFileTest, LookupsAndLastError)
{
    KTIniFile ini;
    EXPECT_EQ(ini.GetLastError(), "");
    EXPECT_EQ(ini.FindSection("S"), -1);
    EXPECT_EQ(ini.FindKey(-1, "k"), -1);
    EXPECT_EQ(ini.FindKey(5, "k"), -1);

    EXPECT_EQ(ini.GetValue("S", "k"), "");
    EXPECT_EQ(ini.GetLastError(), "Unable to locate specified key.");
    ini.SetValue("S", "k", "v", true);
    EXPECT_EQ(ini.GetValue("S", "other"), "");
    EXPECT_EQ(ini.GetLastError(), "Unable to locate specified value.");
    // A success does not clear the last error.
    EXPECT_EQ(ini.GetValue("S", "k"), "v");
    EXPECT_EQ(ini.GetLastError(), "Unable to locate specified value.");
    // Names are case-sensitive.
    EXPECT_EQ(ini.FindSection("s"), -1);
    EXPECT_EQ(ini.FindKey(0, "K"), -1);
}

TEST(KTIniFileTest, SetValueCreatesOnlyWhenAsked)
{
    KTIniFile ini;
    EXPECT_FALSE(ini.SetValue("S", "a", "1", false));
    EXPECT_EQ(ini.GetSectionCount(), 0);
    EXPECT_TRUE(ini.SetValue("S", "a", "1", true));
    EXPECT_FALSE(ini.SetValue("S", "b", "0", false));
    EXPECT_TRUE(ini.SetInt("S", "b", 0, true));
    EXPECT_TRUE(ini.SetValue("T", "c", "x", true));
    EXPECT_TRUE(ini.SetValue("S", "a", "2", false));
    EXPECT_TRUE(ini.SetInt("S", "n", -17, true));
    EXPECT_EQ(ini.GetSectionName(0), "S");
    EXPECT_EQ(ini.GetSectionName(1), "T");
    EXPECT_EQ(ini.ToText(), "[S]\r\na=2\r\nb=0\r\nn=-17\r\n\r\n[T]\r\nc=x\r\n\r\n");
}

TEST(KTIniFileTest, ReadMergesIntoMemory)
{
    kttest::TempDir dir;
    const auto path = dir.File("s.ini");
    kttest::WriteFileBytes(path, "[S]\r\na=1\r\nb=2\r\n");
    KTIniFile ini;
    ini.SetPath(CString(path.string()));
    ini.SetValue("S", "b", "memory", true);
    ini.SetValue("S", "only", "kept", true);
    ini.SetValue("M", "m", "kept", true);
    ASSERT_TRUE(ini.Read());
    EXPECT_EQ(ini.ToText(), "[S]\r\nb=2\r\nonly=kept\r\na=1\r\n\r\n[M]\r\nm=kept\r\n\r\n");
    const std::string once = ini.ToText();
    ASSERT_TRUE(ini.Read());
    EXPECT_EQ(ini.ToText(), once);
}

TEST(KTIniFileTest, MissingOrUnopenableFile)
{
    kttest::TempDir dir;
    KTIniFile ini;
    ini.SetValue("S", "k", "v", true);
    ini.SetPath(CString(dir.File("absent.ini").string()));
    EXPECT_FALSE(ini.Read());
    EXPECT_EQ(ini.GetLastError(), "");
    EXPECT_EQ(ini.GetValue("S", "k"), "v");

    ini.SetPath(dir.Folder());
    EXPECT_FALSE(ini.Read());
    EXPECT_EQ(ini.GetLastError(), "Unable to open ini file.");

    KTIniFile unnamed;
    EXPECT_FALSE(unnamed.Read());
}

TEST(KTIniFileTest, WriteGivesExactBytesAndNoBox)
{
    kttest::MessageBoxRecorder boxes;
    kttest::TempDir dir;
    const auto path = dir.File("s.ini");
    KTIniFile ini;
    ini.SetPath(CString(path.string()));
    ini.SetValue("S", "a", "1", true);
    ini.SetValue("S", "b", "0", true);
    ini.Write();
    EXPECT_EQ(kttest::ReadFileBytes(path), "[S]\r\na=1\r\nb=0\r\n\r\n");

    KTIniFile again;
    again.SetPath(CString(path.string()));
    ASSERT_TRUE(again.Read());
    EXPECT_EQ(again.ToText(), ini.ToText());
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(KTIniFileTest, EmptyDocumentWritesEmptyFileSilently)
{
    kttest::MessageBoxRecorder boxes;
    kttest::TempDir dir;
    KTIniFile ini;
    ini.SetPath(CString(dir.File("e.ini").string()));
    ini.Write();
    EXPECT_EQ(kttest::ReadFileBytes(dir.File("e.ini")), "");
    ini.SetPath(CString(dir.File("no/such/folder/e.ini").string()));
    ini.Write();
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(KTIniFileTest, UnwritablePathShowsTheSaveErrorBox)
{
    kttest::MessageBoxRecorder boxes;
    kttest::TempDir dir;
    kttest::WriteFileBytes(dir.File("plain"), "x");
    const CString path = CString(dir.File("plain").string()) + "/s.ini";
    KTIniFile ini;
    ini.SetPath(path);
    ini.SetValue("S", "k", "v", true);
    ini.Write();
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, "File Save Error");
    EXPECT_EQ(boxes.Boxes()[0].text,
              "Unable to write file " + path +
                  ".\r\n\r\nAdministrator privileges are probably needed to save this file.  Please "
                  "contact your IT staff.");
    EXPECT_EQ(boxes.Boxes()[0].type, 0u);
    // The document in memory is untouched.
    EXPECT_EQ(ini.GetValue("S", "k"), "v");
}

TEST(KTIniFileTest, FailedWriteKeepsTheOldFile)
{
    kttest::MessageBoxRecorder boxes;
    kttest::TempDir dir;
    const auto path = dir.File("s.ini");
    const std::string old = "[Old]\r\nk=1\r\n\r\n";
    kttest::WriteFileBytes(path, old);

    KTIniFile ini;
    ini.SetPath(CString(path.string()));
    ini.SetValue("Big", "k", CString(std::string(64 * 1024, 'x')), true);

    // Make the write itself fail part-way, as a full disk would; this binds root as well.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = ini.Write();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_FALSE(written);
    EXPECT_EQ(kttest::ReadFileBytes(path), old);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, "File Save Error");
    // The cause, not a guess at permissions: a full disk says "No space left on device".
    EXPECT_EQ(boxes.Boxes()[0].text,
              "Unable to write file " + CString(path.string()) + ".\r\n\r\nFile too large");
    // The same document is written where nothing stands in the way.
    EXPECT_TRUE(ini.Write());
    // No temporary file is left behind.
    size_t files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path()))
        ++files;
    EXPECT_EQ(files, 1u);
}

TEST(KTIniFileTest, RandomBytesNeverCrashAndRoundTrip)
{
    std::mt19937 random(20261208);
    const char alphabet[] = "[]=\r\n;#ab \xEF\xBB\xBF\x00\xFF";
    for (int round = 0; round < 400; ++round) {
        std::string bytes(random() % 600, '\0');
        const bool biased = round % 2 == 0;
        for (char& ch : bytes)
            ch = biased ? alphabet[random() % (sizeof alphabet - 1)] : static_cast<char>(random() & 0xFF);
        if (round % 50 == 0)
            bytes += std::string(3000 + random() % 3000, 'z');

        KTIniFile first;
        first.MergeText(bytes);
        for (int s = 0; s < first.GetSectionCount(); ++s) {
            const KTIniSection& section = first.GetSection(s);
            ASSERT_EQ(section.m_keys.size(), section.m_values.size());
            for (const CString& key : section.m_keys)
                first.GetInt(first.GetSectionName(s), key);
        }
        const std::string text = first.ToText();
        KTIniFile second;
        second.MergeText(text);
        ASSERT_EQ(second.ToText(), text) << "round " << round;
    }
}
