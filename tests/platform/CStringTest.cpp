#include "platform/CString.h"

#include <QString>

#include <gtest/gtest.h>

#include <clocale>

TEST(CStringTest, SubstringsClampTheirArguments)
{
    const CString s("abcdef");
    struct Row { CString got; const char* expected; };
    const Row rows[] = {
        {s.Mid(2), "cdef"},   {s.Mid(2, 2), "cd"}, {s.Mid(10), ""},   {s.Mid(-3, 2), "ab"},
        {s.Mid(4, 99), "ef"}, {s.Left(3), "abc"},  {s.Left(-1), ""},  {s.Left(99), "abcdef"},
        {s.Right(2), "ef"},   {s.Right(99), "abcdef"}, {s.Right(0), ""},
        {s.SpanIncluding("abx"), "ab"}, {s.SpanExcluding("dz"), "abc"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.got, row.expected);
}

TEST(CStringTest, FindingReturnsMinusOneWhenAbsent)
{
    const CString s("x^2+y^2=4");
    EXPECT_EQ(s.Find('^'), 1);
    EXPECT_EQ(s.Find('^', 2), 5);
    EXPECT_EQ(s.Find('q'), -1);
    EXPECT_EQ(s.Find('^', 50), -1);
    EXPECT_EQ(s.Find("y^"), 4);
    EXPECT_EQ(s.Find("=4", 8), -1);
    EXPECT_EQ(s.ReverseFind('^'), 5);
    EXPECT_EQ(s.FindOneOf("=+"), 3);
    EXPECT_EQ(s.GetAt(100), 0);
}

TEST(CStringTest, EditingOperationsReportCounts)
{
    CString s("a-b-c");
    EXPECT_EQ(s.Replace('-', '+'), 2);
    EXPECT_EQ(s, "a+b+c");
    EXPECT_EQ(s.Replace("+", "-1*"), 2);
    EXPECT_EQ(s, "a-1*b-1*c");
    EXPECT_EQ(s.Remove('*'), 2);
    EXPECT_EQ(s, "a-1b-1c");
    EXPECT_EQ(s.Insert(0, '('), 8);
    EXPECT_EQ(s.Insert(99, ")"), 9);
    EXPECT_EQ(s, "(a-1b-1c)");
    EXPECT_EQ(s.Delete(1, 3), 6);
    EXPECT_EQ(s, "(b-1c)");
    EXPECT_EQ(s.Replace("", "x"), 0);
}

TEST(CStringTest, TrimmingAndCase)
{
    CString s("  \tMixed Case \xC4\xE4\r\n");
    s.Trim();
    EXPECT_EQ(s, "Mixed Case \xC4\xE4");
    CString upper = s;
    upper.MakeUpper();
    EXPECT_EQ(upper, "MIXED CASE \xC4\xC4");
    CString lower = s;
    lower.MakeLower();
    EXPECT_EQ(lower, "mixed case \xE4\xE4");
    EXPECT_EQ(CString("xxabcxx").Trim('x'), "abc");
    EXPECT_EQ(CString("0.500").TrimRight('0'), "0.5");
    EXPECT_EQ(CString("Abc").CompareNoCase("aBC"), 0);
    EXPECT_LT(CString("abc").Compare("abd"), 0);
}

TEST(CStringTest, FormatUsesTheCLocaleWhateverTheProcessLocale)
{
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    // A locale with a decimal comma, where the machine has one; the check stands either way.
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    CString s;
    s.Format("%.3f|%g|%d", 1.5, 0.25, -7);
    EXPECT_EQ(s, "1.500|0.25|-7");
    int end = 0;
    EXPECT_DOUBLE_EQ(KTStrToDoubleC("2.75xyz", &end), 2.75);
    EXPECT_EQ(end, 4);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(CStringTest, TokenizeWalksEveryToken)
{
    const CString s("1,2,,3");
    int pos = 0;
    std::vector<CString> tokens;
    for (CString t = s.Tokenize(",", pos); pos != -1; t = s.Tokenize(",", pos))
        tokens.push_back(t);
    ASSERT_EQ(tokens.size(), 3u);
    EXPECT_EQ(tokens[2], "3");
}

TEST(CStringTest, QStringRoundTripKeepsWindows1252)
{
    std::string all;
    for (int c = 1; c < 256; ++c)
        all += static_cast<char>(c);
    const CString bytes(all);
    const QString text = bytes.ToQString();
    EXPECT_EQ(text.at(0x80 - 1), QChar(0x20AC)); // euro sign
    EXPECT_EQ(text.at(0x99 - 1), QChar(0x2122)); // trade mark
    EXPECT_EQ(CString::FromQString(text), bytes);
    EXPECT_EQ(CString::FromQString(QStringLiteral("\u03B1")), "?");
}
