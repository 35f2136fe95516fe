#include "platform/KTArchive.h"
#include "platform/KTLocale.h"
#include "typeset/KTEOptions.h"

#include <gtest/gtest.h>

namespace {

class OptionsTest : public ::testing::Test
{
protected:
    void SetUp() override { KTLocale::Override('.', ',', 1); }
    void TearDown() override { KTLocale::ClearOverride(); }
};

struct FlagRow
{
    int preset;
    BYTE plain, macros, wide, scientific, backslash, matrices, quotes, plusMinus, letterO, backquote, tabs,
        rebuild;
    bool indicated, automatic, columns, oneFont;
    int lowerCase, doubleCaps;
};

const FlagRow PresetRows[] = {
    {0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, false, true, true, true, 1, 1},
    {1, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, true, true, true, false, 0, 1},
    {2, 0, 0, 1, 1, 0, 0, 0, 1, 1, 1, 1, 0, false, false, false, false, 0, 0},
    {3, 0, 0, 1, 1, 0, 0, 0, 1, 0, 0, 0, 0, false, false, false, true, 0, 0},
    {4, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, false, false, false, true, 0, 0},
};

TEST_F(OptionsTest, PresetFlagsAndSwitches)
{
    for (const FlagRow& row : PresetRows) {
        const KTEOptions o(row.preset);
        SCOPED_TRACE(row.preset);
        EXPECT_EQ(o.m_preset, row.preset);
        EXPECT_EQ(o.m_bPlain, row.plain);
        EXPECT_EQ(o.m_bExpandMacros, row.macros);
        EXPECT_EQ(o.m_bWideOperatorSpacing, row.wide);
        EXPECT_EQ(o.m_bScientificNotation, row.scientific);
        EXPECT_EQ(o.m_bBackslashSubscripts, row.backslash);
        EXPECT_EQ(o.m_bMatrices, row.matrices);
        EXPECT_EQ(o.m_bParseQuotes, row.quotes);
        EXPECT_EQ(o.m_bPlusMinusSign, row.plusMinus);
        EXPECT_EQ(o.m_bLetterODegree, row.letterO);
        EXPECT_EQ(o.m_bBackquoteDegree, row.backquote);
        EXPECT_EQ(o.m_bTabs, row.tabs);
        EXPECT_EQ(o.m_bRebuildDictionaries, row.rebuild);
        EXPECT_EQ(o.m_bBracketColumns, row.preset == 0 ? 1 : 0);
        EXPECT_EQ(o.Get(o.m_useIndicatedVectors), row.indicated);
        EXPECT_EQ(o.Get(o.m_useAutomaticVectors), row.automatic);
        EXPECT_EQ(o.Get(o.m_detectColumnVectors), row.columns);
        EXPECT_EQ(o.Get(o.m_useOneFont), row.oneFont);
        EXPECT_EQ(o.Get(o.m_lowerCase), row.lowerCase);
        EXPECT_EQ(o.Get(o.m_doubleCaps), row.doubleCaps);
        EXPECT_TRUE(o.Get(o.m_useVoredovovEntry));
        EXPECT_EQ(o.Get(o.m_displayVect), 0);
        EXPECT_DOUBLE_EQ(o.m_scale, 1.0);
    }
}

TEST_F(OptionsTest, CommonDefaults)
{
    const KTEOptions o(KTEPresetGraphing);
    EXPECT_DOUBLE_EQ(o.Get(o.m_powerRaise), 0.7);
    EXPECT_EQ(o.Get(o.m_fractionGap), 0);
    EXPECT_EQ(o.Get(o.m_sqrtGap), 100);
    EXPECT_EQ(o.Get(o.m_sqrtThickness1), 30);
    EXPECT_EQ(o.Get(o.m_sqrtThickness2), 90);
    EXPECT_EQ(o.Get(o.m_fracLevelMax), 4);
    EXPECT_EQ(o.Get(o.m_powerLevelMax), 2);
    EXPECT_DOUBLE_EQ(o.Get(o.m_fracLevelRatio), 0.3);
    EXPECT_EQ(o.Get(o.m_vectorArrowSize), 150);
    EXPECT_EQ(o.Get(o.m_tabWidth), 1000);
    EXPECT_EQ(o.Get(o.m_matrixVerticalSpacing), 400);
    EXPECT_EQ(o.Get(o.m_matrixHorizontalSpacing), 600);
    EXPECT_EQ(o.Get(o.m_matrixAlign), 1);
    EXPECT_TRUE(o.Get(o.m_variablesItalic));
    EXPECT_FALSE(o.Get(o.m_functionsItalic));
    EXPECT_TRUE(o.Get(o.m_unitsBold));
    EXPECT_TRUE(o.Get(o.m_quoteItalic));
    EXPECT_EQ(o.m_unitsFont.m_value, CString("Arial"));
    EXPECT_EQ(o.m_generalPen.m_value.m_kind, 2);
    EXPECT_EQ(o.m_generalPen.m_value.m_style, 65542);
    EXPECT_DOUBLE_EQ(o.m_generalPen.m_value.m_width, 30.0);
    for (int i = 0; i < 26; ++i) {
        const char letter = static_cast<char>('A' + i);
        EXPECT_EQ(o.Get(o.m_letters[i]), letter == 'I' || letter == 'J' || letter == 'K' || letter == 'R')
            << letter;
        EXPECT_EQ(o.m_letters[i].GetKey(), CString("Letters") + letter);
        EXPECT_EQ(o.m_letters[i].GetSection(), CString("Options"));
    }
    EXPECT_EQ(o.m_fractionGap.GetKey(), CString("FractionGap"));
    EXPECT_EQ(o.m_fractionGap.GetMaximum(), 200);
}

TEST_F(OptionsTest, GraphingFontAndFractionShrinkDifferFromTheirDefaults)
{
    const KTEOptions graphing(KTEPresetGraphing);
    EXPECT_EQ(graphing.m_font.m_value.m_size, 300);
    EXPECT_EQ(graphing.m_font.GetDefault().m_size, 388);
    EXPECT_EQ(graphing.m_shrinkNonAlgebraicFractions.m_value, 0);
    EXPECT_EQ(graphing.m_shrinkNonAlgebraicFractions.GetDefault(), 1);
    const KTEOptions general(KTEPresetGeneral);
    EXPECT_EQ(general.m_font.m_value.m_size, 388);
    EXPECT_EQ(general.m_shrinkNonAlgebraicFractions.m_value, 1);
    EXPECT_EQ(general.m_font.m_value.GetFaceName(), CString("Arial"));
}

TEST_F(OptionsTest, WordListsByPreset)
{
    const KTEOptions graphing(KTEPresetGraphing);
    EXPECT_EQ(graphing.GreekList, CString("pi,112,th,113"));
    EXPECT_EQ(graphing.SpacedSymbolList, CString(">=,179,<=,163,<>,185,!=,185,=/,185"));
    EXPECT_EQ(graphing.LargeOperatorList, CString("int"));
    EXPECT_EQ(graphing.m_macroList.m_value, CString(""));
    const KTEOptions plain(KTEPresetPlain);
    EXPECT_EQ(plain.GreekList, CString("pi,112"));
    EXPECT_TRUE(plain.FunctionList.IsEmpty());
    EXPECT_TRUE(plain.ReplacementList.IsEmpty());
    EXPECT_TRUE(plain.m_unitsList.m_value.IsEmpty());
    const KTEOptions science(KTEPresetScience);
    EXPECT_EQ(science.ReplacementList.Right(8), CString(",ang,197"));
    EXPECT_EQ(science.m_unitsList.m_value, CString("m,cm,km,mm,L,mL,cL,kL,ML,s,h,g,mg,kg"));
    const KTEOptions general(KTEPresetGeneral);
    EXPECT_EQ(general.m_macroList.m_value,
              CString("qf%x=(-b+-sr(b2-4ac))/2a%pv7%3.1415927%pv20%3.14159265358979323846%"));
}

TEST_F(OptionsTest, DefaultConstructorIsPresetZero)
{
    const KTEOptions a;
    const KTEOptions b(KTEPresetGeneral);
    KTArchive sa;
    KTArchive sb;
    const_cast<KTEOptions&>(a).Serialize(sa);
    const_cast<KTEOptions&>(b).Serialize(sb);
    EXPECT_EQ(sa.Data(), sb.Data());
    EXPECT_EQ(a.SpacedSymbolList, b.SpacedSymbolList);
    EXPECT_EQ(a.m_bBracketColumns, b.m_bBracketColumns);
}

TEST_F(OptionsTest, PresetOutsideTheRangeIsPresetZero)
{
    for (int preset : {-1, 5, 1000}) {
        const KTEOptions odd(preset);
        const KTEOptions general(KTEPresetGeneral);
        EXPECT_EQ(odd.m_preset, KTEPresetGeneral);
        EXPECT_EQ(odd.FunctionList, general.FunctionList);
        EXPECT_EQ(odd.m_bExpandMacros, general.m_bExpandMacros);
        EXPECT_EQ(odd.Get(odd.m_lowerCase), 1);
    }
}

TEST_F(OptionsTest, SeparatorsFollowTheLocale)
{
    const struct
    {
        char decimal;
        const char* point;
        const char* separator;
    } rows[] = {{'.', ".", ","}, {',', ",", ";"}, {0, "", ";"}};
    for (const auto& row : rows) {
        KTLocale::Override(row.decimal, ';', 1);
        const KTEOptions o(KTEPresetGraphing);
        EXPECT_EQ(o.m_decimalPoint.m_value, CString(row.point));
        EXPECT_EQ(o.m_separator.m_value, CString(row.separator));
        EXPECT_EQ(o.m_separator.GetKey(), CString("Separator"));
    }
}

TEST_F(OptionsTest, SetPresetAgainKeepsWhatTheNewPresetDoesNotSet)
{
    KTEOptions o(KTEPresetGeneral);
    o.SetPreset(KTEPresetGraphing);
    EXPECT_EQ(o.m_bBracketColumns, 1); // only preset 0 sets it
    EXPECT_EQ(o.m_bExpandMacros, 0);
    EXPECT_EQ(o.m_font.m_value.m_size, 300);
}

TEST_F(OptionsTest, OutOfRangeValuesReadAsTheMidpoint)
{
    KTEOptions o(KTEPresetGraphing);
    o.m_fractionGap.m_value = 999;
    o.m_powerRaise.m_value = 3.0;
    EXPECT_EQ(o.Get(o.m_fractionGap), 100);
    EXPECT_DOUBLE_EQ(o.Get(o.m_powerRaise), 0.5);
    EXPECT_EQ(o.m_fractionGap.m_value, 999); // reading does not change the option
}

TEST_F(OptionsTest, ArchiveRoundTrip)
{
    KTEOptions original(KTEPresetScience);
    original.m_fractionGap.m_value = 42;
    original.m_font.m_value.m_size = 512;
    original.m_quoteFont.m_value = "Courier";
    KTArchive out;
    original.Serialize(out);
    KTArchive in(out.Data());
    KTEOptions copy(KTEPresetGraphing);
    copy.Serialize(in);
    EXPECT_EQ(copy.m_fractionGap.m_value, 42);
    EXPECT_EQ(copy.m_font.m_value.m_size, 512);
    EXPECT_EQ(copy.m_quoteFont.m_value, CString("Courier"));
    EXPECT_EQ(copy.Get(copy.m_useIndicatedVectors), true);
}

} // namespace
