// The layout helpers of tokens and the font each kind takes.

#include "foundation/KTLogFont.h"
#include "platform/KTDC.h"
#include "platform/KTLocale.h"
#include "typeset/KTEEquation.h"
#include "typeset/KTEMetricsSource.h"
#include "typeset/KTEOptions.h"
#include "typeset/KTESymbolGlyphs.h"
#include "typeset/KTEToken.h"
#include "typeset/KTETokenPool.h"

#include "KTEHalfEmMetrics.h"

#include <gtest/gtest.h>

namespace {

class TokenHelpersTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        KTLocale::Override('.', ',', 1);
        m_dc.SetMapMode(MM_HIMETRIC);
    }
    void TearDown() override { KTLocale::ClearOverride(); }

    kttest::HalfEmMetrics m_metrics;
    KTEMetricsSource::Scope m_scope{m_metrics};
    KTDC m_dc{96, 96};
    KTETokenPool m_pool;
};

TEST_F(TokenHelpersTest, RadicalMeasure)
{
    const KTEOptions options(KTEPresetGraphing);
    EXPECT_EQ(KTEToken::MeasureRadical(100, 300, options), CSize(100 + 100 + 140, 400));
    KTEOptions wide(KTEPresetGraphing);
    wide.m_sqrtGap.m_value = 9999; // out of range: the midpoint 250
    EXPECT_EQ(KTEToken::MeasureRadical(0, 1000, wide), CSize(250 + 467, 1250));
}

TEST_F(TokenHelpersTest, RadicalDrawing)
{
    m_dc.SetRecording(true);
    EXPECT_EQ(KTEToken::DrawRadical(&m_dc, 0, 0, 50, 1200), 561);
    const auto& records = m_dc.GetRecords();
    ASSERT_GE(records.size(), 3u);
    EXPECT_EQ(records[0].kind, KTDCRecordKind::Polygon);
    EXPECT_EQ(records[0].points.at(0), CPoint(0, 300));
    EXPECT_EQ(records[0].points.at(2), CPoint(350, 50));
    EXPECT_EQ(records[2].points.at(1), CPoint(561 + 50, 1200)); // the bar over the radicand
}

TEST_F(TokenHelpersTest, DecorationRoom)
{
    KTEToken token;
    token.m_tm.tmAscent = 240;
    token.m_tm.tmDescent = 60;
    token.m_tm.tmAveCharWidth = 150;
    const KTEOptions general(KTEPresetGeneral); // DoubleCaps 1, DisplayVect 0
    const struct
    {
        const char* name;
        int width, height;
    } rows[] = {
        {"^", 100, 300 + 60 + 120}, {"AB", 400, 300 + 150}, {"IVLEFT", 400, 300 + 150},
        {"LC", 100, 300},           {"_", 100, 300 + 60},
    };
    for (const auto& row : rows) {
        const CSize size = token.MeasureDecoration(&m_dc, row.name, row.width, 300, general);
        EXPECT_EQ(size.cx, std::max(row.width, 150)) << row.name;
        EXPECT_EQ(size.cy, row.height) << row.name;
    }
    KTEOptions flat(KTEPresetGraphing); // DoubleCaps 0: no room for an arrow over capitals
    EXPECT_EQ(token.MeasureDecoration(&m_dc, "AB", 400, 300, flat).cy, 300);
}

TEST_F(TokenHelpersTest, MatrixLayoutTables)
{
    KTEOptions options(KTEPresetGeneral);
    options.m_font.m_value.m_size = 300;
    KTEEquation equation;
    equation.SetText("1,2 3,4", options);
    const KTEExtent extent = equation.GetExtent(&m_dc, options);
    ASSERT_EQ(equation.GetTokens().GetCount(), 1);
    const KTEToken* matrix = equation.GetTokens().At(0);
    ASSERT_EQ(matrix->m_kind, TK_MATRIX);
    // two rows of 300 with 400 between; two columns of 150 sharing one 600 gap
    EXPECT_EQ(extent.height, 1000);
    EXPECT_EQ(extent.descent, 500);
    EXPECT_EQ(extent.width, 900 + 100);
    EXPECT_EQ(matrix->m_matrixRows[0], 1000);
    EXPECT_EQ(matrix->m_matrixRows[1], 700);
    EXPECT_EQ(matrix->m_matrixCols[0], 450);
    EXPECT_EQ(matrix->m_matrixPos[1], 450);
    EXPECT_EQ(equation.GetCalculationText(false), CString());
}

TEST_F(TokenHelpersTest, FontByKind)
{
    KTEOptions options(KTEPresetGeneral);
    options.m_useOneFont.m_value = 0;
    options.m_functionFont.m_value = "Courier";
    options.m_greekColor.m_value = RGB(0, 0, 255);
    KTEToken token;
    const struct
    {
        KTETokenKind kind;
        const char* text;
        const char* face;
        int weight;
        int italic;
        int size;
    } rows[] = {
        {TK_FUNCTION, "sin", "Courier", 400, 0, 388},
        {TK_VARIABLE, "x", "Arial", 400, 1, 388},
        {TK_GREEK, "p", "Symbol", 400, 0, 388},
        {TK_SYMBOL, "\xB3", "Symbol", 700, 0, 388},
        {TK_CODEDRAW2, "sigma", "Symbol", 400, 0, 3 * 388},
        {TK_CODEDRAW2, "lim", "Arial", 400, 0, 388},
        {TK_CODEDRAW2, "int", "Symbol", 400, 0, 388},
        {TK_MULTIPLY, "*", "Symbol", 400, 0, 388},
        {TK_SUBSCRIPT, "", "Arial", 700, 0, 388},
        {TK_LCVECTOR, "a", "Arial", 900, 0, 388},
        {TK_NUMBER, "1", "Arial", 400, 0, 388},
    };
    for (const auto& row : rows) {
        token.Set(row.kind, row.text);
        const KTLogFont font = token.ChooseFont(options);
        EXPECT_EQ(font.GetFaceName(), CString(row.face)) << KTETokenKindName(row.kind);
        EXPECT_EQ(font.m_logFont.lfWeight, row.weight) << KTETokenKindName(row.kind);
        EXPECT_EQ(font.m_logFont.lfItalic, row.italic) << KTETokenKindName(row.kind);
        EXPECT_EQ(font.m_size, row.size) << KTETokenKindName(row.kind);
    }
    token.Set(TK_GREEK, "p");
    EXPECT_EQ(token.ChooseFont(options).m_color, RGB(0, 0, 255));
    options.m_useOneFont.m_value = 1; // one font: no face or colour changes, styles still apply
    token.Set(TK_FUNCTION, "sin");
    EXPECT_EQ(token.ChooseFont(options).GetFaceName(), CString("Arial"));
    token.Set(TK_GREEK, "p");
    EXPECT_EQ(token.ChooseFont(options).m_color, 0u);
    token.Set(TK_VARIABLE, "x");
    EXPECT_EQ(token.ChooseFont(options).m_logFont.lfItalic, 1);
}

TEST_F(TokenHelpersTest, FontShrinksWithNestingLevels)
{
    const KTEOptions options(KTEPresetGeneral); // 388; ratios 0.3; at most 4 and 2 levels
    KTEToken token;
    token.Set(TK_NUMBER, "1");
    const struct
    {
        int fraction;
        double power;
        int size;
    } rows[] = {{0, 0.0, 388}, {1, 0.0, 271}, {0, 1.0, 271}, {0, 1.5, 213},
                {0, 5.0, 155}, {1, 1.0, 189}, {9, 0.0, 1}};
    for (const auto& row : rows) {
        token.m_fractionLevel = row.fraction;
        token.m_powerLevel = row.power;
        EXPECT_EQ(token.ChooseFont(options).m_size, row.size) << row.fraction << " " << row.power;
    }
}

TEST_F(TokenHelpersTest, BracketGlyphsOneCharacterOrPieces)
{
    const struct
    {
        const char* text;
        int height;
        int width, glyphHeight;
    } rows[] = {
        {"(", 300, 150, 300},   // up to 1.3 font sizes: one Symbol character of size 300
        {"(", 390, 150, 300},   // still one character
        {"]|", 300, 150, 300},  // measured as the single bar
        {"(", 600, 199, 630},   // pieces of size 266
        {"[|", 300, 66, 315},   // double bars are always built, as wide as the average character
        {"(", 1500, 213, 1575}, // six steps of pieces of size 285
    };
    for (const auto& row : rows) {
        const CSize size = MeasureBracketGlyph(&m_dc, row.text, row.height, 300);
        EXPECT_EQ(size.cx, row.width) << row.text << " " << row.height;
        EXPECT_EQ(size.cy, row.glyphHeight) << row.text << " " << row.height;
    }
    CString bar = "|[";
    EXPECT_FALSE(DrawBracketGlyph(&m_dc, 0, 0, bar, 315, 300));
    EXPECT_EQ(bar, CString("|"));
    m_dc.SetRecording(true);
    CString paren = "(";
    EXPECT_TRUE(DrawBracketGlyph(&m_dc, 0, 1000, paren, 630, 300));
    // top, middle and bottom pieces, top to bottom
    ASSERT_EQ(m_dc.GetRecords().size(), 3u);
    EXPECT_EQ(m_dc.GetRecords()[0].text, CString('\xE6'));
    EXPECT_EQ(m_dc.GetRecords()[1].text, CString('\xE7'));
    EXPECT_EQ(m_dc.GetRecords()[2].text, CString('\xE8'));
    EXPECT_GT(m_dc.GetRecords()[0].points[0].y, m_dc.GetRecords()[2].points[0].y);
}

// Ink that reaches above and below the cell, as the Symbol face's pieces do: from 0.3 em below
// the baseline to 0.9 em above it.
class TallInkMetrics : public kttest::HalfEmMetrics
{
public:
    GLYPHMETRICS GlyphMetrics(KTDC& dc, char) const override
    {
        GLYPHMETRICS metrics{};
        const int em = Em(dc);
        metrics.gmBlackBoxX = em / 2;
        metrics.gmBlackBoxY = static_cast<int>(1.2 * em);
        metrics.gmptGlyphOrigin = CPoint(0, static_cast<int>(0.9 * em));
        metrics.gmCellIncX = em / 2;
        return metrics;
    }
};

// The pieces stand on baselines that put the top piece's ink at y and the bottom piece's ink
// h lower, h being the height the glyph was measured for (the measured glyph is 1.05 h).
TEST_F(TokenHelpersTest, BracketPiecesArePlacedByTheirInk)
{
    const TallInkMetrics tall;
    const struct
    {
        const KTEMetricsSource* metrics;
        const char* text;
        int height; ///< measured glyph height
        std::vector<int> baselines;
    } rows[] = {
        // h 600: two steps of pieces of size 266; ink 212 above the baseline and 266 high
        // (centres 133 below the ink's top): 1000 - 212, 700 - 79, 400 + 133 - 79.
        {&m_metrics, "(", 630, {788, 621, 454}},
        // ink 239 above the baseline and 319 high: 1000 - 239, 700 - 79.5, 400 + 80
        {&tall, "(", 630, {761, 621, 480}},
        {&tall, "]", 630, {761, 621, 480}},
        // h 1000: four steps of pieces of size 266, the centres every 170.25 from 840.5 down to
        // 159.5, each baseline 79.5 below its centre (halves rounded away from zero)
        {&tall, "{", 1050, {761, 591, 421, 250, 80}},
    };
    for (const auto& row : rows) {
        const KTEMetricsSource::Scope scope(*row.metrics);
        m_dc.SetRecording(true);
        m_dc.ClearRecords();
        CString text = row.text;
        EXPECT_TRUE(DrawBracketGlyph(&m_dc, 0, 1000, text, row.height, 300)) << row.text;
        std::vector<int> baselines;
        for (const KTDCRecord& record : m_dc.GetRecords()) {
            baselines.push_back(record.points[0].y);
            EXPECT_EQ(record.textAlign, static_cast<unsigned>(TA_LEFT | TA_BASELINE)) << row.text;
        }
        EXPECT_EQ(baselines, row.baselines) << row.text << " " << row.height;
        m_dc.SetRecording(false);
    }
}

// Whatever the height and the face's ink, the pieces cover the glyph's height from y down with
// no gap between neighbours and no ink beyond either end.
TEST_F(TokenHelpersTest, BracketPiecesJoinAndSpanTheirHeight)
{
    const TallInkMetrics tall;
    for (const KTEMetricsSource* metrics :
         {static_cast<const KTEMetricsSource*>(&m_metrics), static_cast<const KTEMetricsSource*>(&tall)}) {
        const KTEMetricsSource::Scope scope(*metrics);
        for (const char* text : {"(", "]", "{", "|", "\xF2"}) {
            for (int height : {400, 630, 1000, 1575, 2400, 4999, 9000}) {
                m_dc.SetRecording(true);
                m_dc.ClearRecords();
                CString glyph = text;
                ASSERT_TRUE(DrawBracketGlyph(&m_dc, 50, 1000, glyph, height, 300)) << text << " " << height;
                const int h = (20 * height + 20) / 21;
                int reached = 1000; // the lowest ink so far
                bool first = true;
                for (const KTDCRecord& record : m_dc.GetRecords()) {
                    m_dc.SelectObject(record.font);
                    const GLYPHMETRICS ink = metrics->GlyphMetrics(m_dc, record.text.GetAt(0));
                    const int top = record.points[0].y + ink.gmptGlyphOrigin.y;
                    const int bottom = top - ink.gmBlackBoxY;
                    if (first) {
                        EXPECT_EQ(top, 1000) << text << " " << height;
                    }
                    EXPECT_GE(top, reached) << text << " " << height << ": a gap above a piece";
                    EXPECT_LE(top, 1000) << text << " " << height;
                    reached = std::min(reached, bottom);
                    first = false;
                }
                EXPECT_NEAR(reached, 1000 - h, 1) << text << " " << height;
                m_dc.SetRecording(false);
            }
        }
    }
}

TEST_F(TokenHelpersTest, ListOperations)
{
    KTETokenList list;
    KTEToken* raw = m_pool.Create(TK_RAW);
    raw->SetText("ab12cd");
    list.Add(raw);
    list.SplitToken(0, 2, 3, TK_NUMBER, m_pool);
    ASSERT_EQ(list.GetCount(), 3);
    EXPECT_EQ(list.GetText(0), CString("ab"));
    EXPECT_EQ(list.GetText(1), CString("12"));
    EXPECT_EQ(list.KindAt(1), TK_NUMBER);
    EXPECT_EQ(list.GetText(2), CString("cd"));
    list.SplitToken(0, 0, 1, TK_GREEK, m_pool, "a", "ab");
    EXPECT_EQ(list.GetCount(), 5);
    EXPECT_EQ(list.GetText(1), CString("a"));
    EXPECT_EQ(list.At(1)->m_text2, CString("ab"));
    EXPECT_EQ(list.RemoveEmptyRaw(), 3);         // the two empty remainders of "ab"
    list.SplitToken(9, 0, 0, TK_NUMBER, m_pool); // out of range: nothing
    EXPECT_EQ(list.GetCount(), 3);

    for (KTEToken* token : list.m_tokens)
        token->m_changed = false;
    list.m_changed = false;
    list.At(0)->m_list.Add(m_pool.Create(TK_NUMBER));
    list.At(0)->m_list.At(0)->m_changed = false;
    list.MarkChanged();
    EXPECT_TRUE(list.m_changed);
    EXPECT_TRUE(list.At(2)->m_changed);
    EXPECT_TRUE(list.At(0)->m_list.At(0)->m_changed);
}

TEST_F(TokenHelpersTest, LowerCaseVectorsByLetterOption)
{
    KTEOptions options(KTEPresetGeneral);
    options.m_lowerCase.m_value = 2; // each letter whose "Letters" option is set
    KTEEquation equation;
    equation.SetText("r + s", options);
    EXPECT_EQ(equation.GetTokens().KindAt(0), TK_LCVECTOR); // "LettersR" is set
    EXPECT_EQ(equation.GetTokens().KindAt(2), TK_VARIABLE);
}

TEST_F(TokenHelpersTest, IndicatedVectorTakesItsGroup)
{
    const KTEOptions science(KTEPresetScience);
    KTEEquation equation;
    equation.SetText("-->(AB + c)", science);
    ASSERT_EQ(equation.GetTokens().GetCount(), 1);
    const KTEToken* arrow = equation.GetTokens().At(0);
    EXPECT_EQ(arrow->m_kind, TK_IVRIGHT);
    ASSERT_EQ(arrow->m_list.GetCount(), 1);
    EXPECT_EQ(arrow->m_list.At(0)->m_kind, TK_BRACKETS);
    EXPECT_EQ(arrow->m_list.At(0)->m_text, CString(",")); // its brackets are not drawn
}

} // namespace
