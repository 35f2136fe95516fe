#include "platform/KTLocale.h"
#include "typeset/KTEEquation.h"
#include "typeset/KTEOptions.h"
#include "typeset/KTESymbolDictionary.h"

#include <gtest/gtest.h>

namespace {

TEST(SymbolDictionaryTest, PairsAndNames)
{
    const struct
    {
        const char* list;
        bool pairs;
        int count;
        const char* firstName;
        const char* firstCode;
    } rows[] = {
        {"pi,112", true, 1, "pi", "p"},
        {"pi,112,", true, 1, "pi", "p"},
        {"a,b,c", true, 1, "a", "b"},
        {"cm,km", false, 2, "cm", ""},
        {"", false, 1, "", ""},
        {"tri,D", true, 1, "tri", "D"},
        {"zero,0", true, 1, "zero", "0"},
        {"half,2.5", true, 1, "half", "2.5"},
        {"big,300", true, 1, "big", "300"},
        {"a,65", true, 1, "a", "A"},
        {"xx,x2", true, 1, "xx", "x2"},
        {"ge,179", true, 1, "ge", "\xB3"},
    };
    for (const auto& row : rows) {
        KTESymbolDictionary dictionary;
        EXPECT_EQ(dictionary.Set(row.list, TK_GREEK, row.pairs, ','), row.count - 1) << row.list;
        ASSERT_EQ(dictionary.GetCount(), row.count) << row.list;
        EXPECT_EQ(dictionary.GetEntry(0).name, CString(row.firstName)) << row.list;
        EXPECT_EQ(dictionary.GetEntry(0).code, CString(row.firstCode)) << row.list;
        EXPECT_EQ(dictionary.GetEntry(0).kind, TK_GREEK);
    }
}

TEST(SymbolDictionaryTest, EmptyNameNeverMatches)
{
    KTESymbolDictionary dictionary;
    dictionary.Set("", TK_UNIT, false, ',');
    EXPECT_EQ(dictionary.MatchLength("anything"), -1);
}

TEST(SymbolDictionaryTest, LongestNameFirst)
{
    KTESymbolDictionary dictionary;
    dictionary.Set("sin,sinh,s", TK_FUNCTION, false, ',');
    dictionary.SortByLength();
    EXPECT_EQ(dictionary.MatchLength("sinhx"), 3);
    EXPECT_EQ(dictionary.MatchLength("sinx"), 2);
    EXPECT_EQ(dictionary.MatchLength("sx"), 0);
    EXPECT_EQ(dictionary.MatchLength("x"), -1);
    for (int i = 1; i < dictionary.GetCount(); ++i)
        EXPECT_GE(dictionary.GetEntry(i - 1).name.GetLength(), dictionary.GetEntry(i).name.GetLength());
    CString text = "sinhx";
    const KTESymbolEntry entry = dictionary.TakeMatch(text);
    EXPECT_EQ(entry.name, CString("sinh"));
    EXPECT_EQ(text, CString("sinh"));
    CString none = "q";
    EXPECT_EQ(dictionary.TakeMatch(none).kind, TK_ERROR);
    EXPECT_EQ(none, CString("q"));
}

TEST(SymbolDictionaryTest, LaterListWinsAmongEqualNames)
{
    KTESymbolDictionary dictionary;
    dictionary.Set("^^,173", TK_SYMBOL, true, ',');
    dictionary.Add("::,:,^^,_", TK_MODIFIER, false, ',');
    dictionary.SortByLength();
    CString text = "^^x";
    EXPECT_EQ(dictionary.TakeMatch(text).kind, TK_MODIFIER);
}

TEST(SymbolDictionaryTest, SortsLongestFirstAndNewestFirstAmongEqualLengths)
{
    // The order decides which of two words of one length that both match wins: the later added.
    KTESymbolDictionary dictionary;
    dictionary.Set("ab,c,de,f,ghi,j,kl", TK_UNIT, false, ',');
    dictionary.SortByLength();
    const char* const expected[] = {"ghi", "kl", "de", "ab", "j", "f", "c"};
    ASSERT_EQ(dictionary.GetCount(), 7);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(dictionary.GetEntry(i).name, CString(expected[i])) << i;
}

TEST(SymbolDictionaryTest, EquationsShareDictionariesThatFollowTheirOptions)
{
    KTEOptions options(KTEPresetGraphing);
    options.m_macroList.m_value = "aa%1%bb%2";
    KTEEquation first;
    first.BuildDictionaries(options);
    KTEEquation second;
    second.BuildDictionaries(options);
    EXPECT_EQ(&first.GetDictionary(0), &second.GetDictionary(0)); // one set for equal lists
    EXPECT_EQ(first.GetDictionary(0).GetCount(), 2);

    // Other lists give another set; an equation asked to rebuild takes it, the others keep theirs.
    KTEOptions changed = options;
    changed.m_macroList.m_value = "aa%1%bb%2%cc%3";
    changed.m_bRebuildDictionaries = 1;
    second.BuildDictionaries(changed);
    EXPECT_EQ(second.GetDictionary(0).GetCount(), 3);
    EXPECT_EQ(first.GetDictionary(0).GetCount(), 2);
    KTEEquation third;
    third.BuildDictionaries(options);
    EXPECT_EQ(&third.GetDictionary(0), &first.GetDictionary(0));
}

TEST(SymbolDictionaryTest, HoldsAtMost149Entries)
{
    KTESymbolDictionary dictionary;
    CString list;
    for (int i = 0; i < 160; ++i)
        list += CString("w") + KTFormatC("%03d", i).c_str() + (i + 1 < 160 ? "," : "");
    EXPECT_EQ(dictionary.Set(list, TK_UNIT, false, ','), 148);
    EXPECT_EQ(dictionary.GetCount(), 149);
    EXPECT_EQ(dictionary.MatchLength("w148"), 3);
    EXPECT_EQ(dictionary.MatchLength("w149"), -1);
    EXPECT_EQ(dictionary.MatchLength("w159"), -1);
}

TEST(SymbolDictionaryTest, EquationDictionariesByPreset)
{
    KTLocale::Override('.', ',', 1);
    const struct
    {
        int preset;
        int counts[4];
    } rows[] = {
        // first: an empty pairs list adds nothing; third: the three arrows; fourth: lists plus built-in names
        // (an empty list adds one empty name)
        {KTEPresetGraphing, {0, 10, 3, 5 + 1 + 2 + 1 + 19 + 3 + 2 + 1 + 1 + 1 + 1 + 2 + 2 + 1}},
        {KTEPresetPlain, {0, 0, 0, 1}},
    };
    for (const auto& row : rows) {
        const KTEOptions options(row.preset);
        KTEEquation equation;
        equation.BuildDictionaries(options);
        for (int d = 0; d < 4; ++d)
            EXPECT_EQ(equation.GetDictionary(d).GetCount(), row.counts[d])
                << row.preset << " dictionary " << d;
    }
    const KTEOptions statistics(KTEPresetStatistics);
    KTEEquation equation;
    equation.BuildDictionaries(statistics);
    EXPECT_LE(equation.GetDictionary(3).GetCount(), 149);
    KTLocale::ClearOverride();
}

TEST(SymbolDictionaryTest, PlainModeKeepsTheFirstFill)
{
    const KTEOptions plain(KTEPresetPlain);
    KTEEquation equation;
    equation.BuildDictionaries(plain);
    equation.BuildDictionaries(plain); // not rebuilt: the flag is set and the preset does not ask
    EXPECT_EQ(equation.GetDictionary(3).GetCount(), 1);
    const KTEOptions general(KTEPresetGeneral);
    KTEEquation rebuilt;
    rebuilt.BuildDictionaries(general);
    const int count = rebuilt.GetDictionary(3).GetCount();
    rebuilt.BuildDictionaries(general);
    EXPECT_EQ(rebuilt.GetDictionary(3).GetCount(), count);
}

} // namespace
