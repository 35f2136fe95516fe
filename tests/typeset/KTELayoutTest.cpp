// Layout with fixed font metrics: every font is em units high (its logical height), with
// ascent 4/5 em, descent 1/5 em and every character em/2 wide, so extents are exact everywhere.

#include "foundation/KTVariableSubstitutions.h"
#include "platform/KTDC.h"
#include "platform/KTLocale.h"
#include "typeset/KTEEquation.h"
#include "typeset/KTEMetricsSource.h"
#include "typeset/KTEOptions.h"
#include "typeset/KTEToken.h"
#include "typeset/KTETokenPool.h"

#include "KTEHalfEmMetrics.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

class LayoutTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        KTLocale::Override('.', ',', 1);
        m_dc.SetMapMode(MM_HIMETRIC);
    }
    void TearDown() override { KTLocale::ClearOverride(); }

    KTEExtent Extent(const char* text, const KTEOptions& options)
    {
        KTEEquation equation;
        equation.SetText(text, options);
        return equation.GetExtent(&m_dc, options);
    }

    kttest::HalfEmMetrics m_metrics;
    KTEMetricsSource::Scope m_scope{m_metrics};
    KTDC m_dc{96, 96};
    KTEOptions m_options{KTEPresetGraphing}; // font size 300: em 300, ascent 240, descent 60
};

TEST_F(LayoutTest, ExactExtents)
{
    const struct
    {
        const char* text;
        int width, height, descent;
    } rows[] = {
        {"", 0, 0, 0},
        {"x", 150 + 100, 300, 60},
        // the exponent (em 210) stands 0.7 x 240 above the baseline; the list rises by its
        // height less 0.3 of the raise: 60 + (168 + 210 - 50)
        {"x^2", 150 + 105 + 100, 387, 60},
        // bar at the denominator's top, baseline at 0.8 of the denominator's height
        {"1/2", 150 + 100, 600, 240},
        // radical: width w + gap + 0.468 h, height h + gap
        {"sqrt(x)", 390 + 100, 400, 60},
        // brackets no taller than 1.3 font sizes are one Symbol character each
        {"(x)", 450 + 100, 300, 60},
        // taller: three pieces of size 266 (bottom piece 133 wide, glyph 1.5 x that), 1.05 x high
        {"(1/2)", 199 + 150 + 199 + 100, 630, 255},
        // wide operator spacing doubles the "+"
        {"x+1", 150 + 300 + 150 + 100, 300, 60},
        // the subtraction sign is the en dash, always doubled
        {"x-1", 150 + 300 + 150 + 100, 300, 60},
    };
    for (const auto& row : rows) {
        const KTEExtent extent = Extent(row.text, m_options);
        EXPECT_EQ(extent.width, row.width) << row.text;
        EXPECT_EQ(extent.height, row.height) << row.text;
        EXPECT_EQ(extent.descent, row.descent) << row.text;
    }
}

TEST_F(LayoutTest, PowerIsHigherThanItsBaseBySumOfRaiseAndExponentLessTheOverlap)
{
    const KTEExtent base = Extent("x", m_options);
    const KTEExtent power = Extent("x^2", m_options);
    // exponent top: baseline + 0.7 x raise + exponent height; base top: baseline + ascent
    EXPECT_EQ(power.height - base.height, static_cast<int>(168 + 210 - 0.3 * 168) - 240);
    EXPECT_EQ(power.descent, base.descent);
}

TEST_F(LayoutTest, EmptyDenominatorStillHasOneCharacterBelowTheBar)
{
    const KTEExtent extent = Extent("1/", m_options);
    EXPECT_EQ(extent.height, 300 + 300);
}

TEST_F(LayoutTest, BracketsGrowOnlyAboveOneAndAThirdFontSizes)
{
    const KTEExtent small = Extent("(x)", m_options);
    const KTEExtent tall = Extent("(1/2)", m_options);
    EXPECT_EQ(small.height, 300);
    EXPECT_GT(tall.height, Extent("1/2", m_options).height);
}

TEST_F(LayoutTest, TabsReachTheNextStop)
{
    KTETokenPool pool;
    KTEToken* tab = pool.Create(TK_TAB);
    const struct
    {
        int x, width;
    } rows[] = {{0, 1000}, {999, 1}, {1000, 1000}, {250, 750}};
    for (const auto& row : rows) {
        tab->m_changed = true;
        EXPECT_EQ(tab->Measure(&m_dc, row.x, m_options, pool).width, row.width) << row.x;
    }
    KTEOptions zero(KTEPresetGraphing);
    zero.m_tabWidth.m_value = 0;
    tab->m_changed = true;
    EXPECT_EQ(tab->Measure(&m_dc, 17, zero, pool).width, 0);
}

TEST_F(LayoutTest, MultiplyStyleChoosesTheSign)
{
    const struct
    {
        int style;
        const char* sign;
    } rows[] = {{0, "\xB4"}, {1, "\xD7"}, {2, "*"}};
    for (const auto& row : rows) {
        KTEOptions options(KTEPresetGraphing);
        options.m_multiplyStyle.m_value = row.style;
        KTEEquation equation;
        equation.SetText("2*x", options);
        equation.GetExtent(&m_dc, options);
        EXPECT_EQ(equation.GetTokens().GetText(1), CString(row.sign)) << row.style;
        EXPECT_EQ(equation.GetCalculationText(false), CString("2*x"));
    }
}

TEST_F(LayoutTest, IntegralsOfOneListShareTheirSize)
{
    KTEEquation equation;
    equation.SetText("int(0,1) x + int(0,x^(2^2)) x", m_options);
    equation.GetExtent(&m_dc, m_options);
    const KTETokenList& tokens = equation.GetTokens();
    const KTEToken* first = tokens.At(0);
    const KTEToken* second = nullptr;
    for (const KTEToken* token : tokens.m_tokens)
        if (token != first && token->m_kind == TK_CODEDRAW2)
            second = token;
    ASSERT_EQ(first->m_kind, TK_CODEDRAW2);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->m_size, second->m_size);
    EXPECT_EQ(first->m_extent, second->m_extent);
}

TEST_F(LayoutTest, InverseFunctionExponentIsAddedOnce)
{
    KTEEquation equation;
    equation.SetText("sin-1(x)", m_options);
    KTEOptions bigger(KTEPresetGraphing);
    bigger.m_font.m_value.m_size = 600;
    const KTEExtent small = equation.GetExtent(&m_dc, m_options);
    const KTEExtent large = equation.GetExtent(&m_dc, bigger);
    equation.GetExtent(&m_dc, m_options);
    const KTEToken* function = equation.GetTokens().At(0)->m_list.At(0);
    ASSERT_EQ(function->m_kind, TK_ARCSINCOSTAN);
    EXPECT_EQ(function->m_list.GetCount(), 1);
    EXPECT_EQ(function->m_list.GetText(0), CString("-1"));
    EXPECT_GT(large.width, small.width);
    EXPECT_EQ(equation.GetExtent(&m_dc, m_options), small);
}

TEST_F(LayoutTest, OtherOptionsOrDeviceMeasureAgain)
{
    KTEEquation equation;
    equation.SetText("y = x^2", m_options);
    const KTEExtent himetric = equation.GetExtent(&m_dc, m_options);
    KTEOptions larger(KTEPresetGraphing);
    larger.m_font.m_value.m_size = 600;
    const KTEExtent doubled = equation.GetExtent(&m_dc, larger);
    EXPECT_NEAR(doubled.height, 2 * himetric.height, 1); // sizes are truncated at each level
    KTDC pixels(96, 96);                                 // MM_TEXT: the same size numbers, but another device
    pixels.SetMapMode(MM_TEXT);
    const KTEExtent text = equation.GetExtent(&pixels, m_options);
    EXPECT_EQ(text, himetric); // fixed metrics: logical sizes do not depend on the mapping
    EXPECT_EQ(equation.GetExtent(&m_dc, m_options), himetric);
}

// Each option a layout reads, changed, makes the tree measure again: it then measures as a
// tree laid out under the changed options from the start, not as it did before.
TEST_F(LayoutTest, EachLayoutOptionMeasuresAgain)
{
    const struct
    {
        const char* option;
        const char* text;
        void (*change)(KTEOptions&);
    } rows[] = {
        {"font size", "x^2", [](KTEOptions& o) { o.m_font.m_value.m_size = 600; }},
        {"scale", "x", [](KTEOptions& o) { o.m_scale = 2.0; }},
        {"power raise", "x^2", [](KTEOptions& o) { o.m_powerRaise.m_value = 0.2; }},
        {"power level ratio", "x^(2^2)", [](KTEOptions& o) { o.m_powerLevelRatio.m_value = 0.9; }},
        {"fraction gap", "1/2", [](KTEOptions& o) { o.m_fractionGap.m_value = 150; }},
        {"root gap", "sqrt(x)", [](KTEOptions& o) { o.m_sqrtGap.m_value = 400; }},
    };
    for (const auto& row : rows) {
        KTEOptions changed(KTEPresetGraphing);
        row.change(changed);
        KTEEquation equation;
        equation.SetText(row.text, m_options);
        const KTEExtent before = equation.GetExtent(&m_dc, m_options);
        const KTEExtent after = equation.GetExtent(&m_dc, changed);
        EXPECT_NE(before, after) << row.option;
        EXPECT_EQ(Extent(row.text, changed), after) << row.option;
        EXPECT_EQ(equation.GetExtent(&m_dc, m_options), before) << row.option;
    }
}

struct TextAt
{
    CString text;
    CPoint point;
};

std::vector<TextAt> Texts(const KTDC& dc)
{
    std::vector<TextAt> texts;
    for (const KTDCRecord& record : dc.GetRecords())
        if (record.kind == KTDCRecordKind::Text)
            texts.push_back({record.text, record.points.at(0)});
    return texts;
}

TEST_F(LayoutTest, AlignmentPlacesTheBox)
{
    // "x": box 150 wide, 300 high, baseline 60 above its bottom.
    const struct
    {
        unsigned align;
        int x, y;
    } rows[] = {
        {TA_LEFT | TA_TOP, 1000, 2000 - 300},
        {TA_LEFT | TA_BOTTOM, 1000, 2000},
        {TA_CENTER | TA_BASELINE, 1000 - 75, 2000 + 60},
        {TA_RIGHT | TA_TOP, 1000 - 150, 2000 - 300},
        {TA_RIGHT | TA_BASELINE, 1000 - 150, 2000 + 60},
    };
    for (const auto& row : rows) {
        KTDC dc(96, 96);
        dc.SetMapMode(MM_HIMETRIC);
        dc.SetRecording(true);
        dc.SetTextAlign(row.align);
        dc.SetBkMode(TRANSPARENT);
        KTEEquation equation;
        equation.SetText("x", m_options);
        equation.Draw(&dc, 1000, 2000, m_options);
        const auto texts = Texts(dc);
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(texts[0].text, CString("x"));
        EXPECT_EQ(texts[0].point.x, row.x) << row.align;
        EXPECT_EQ(texts[0].point.y, row.y) << row.align;
        EXPECT_EQ(dc.GetRecords().back().textAlign & TA_VERT_MASK, TA_BOTTOM);
        EXPECT_EQ(dc.GetTextAlign(), row.align);
        EXPECT_EQ(dc.GetBkMode(), TRANSPARENT);
        for (const KTDCRecord& record : dc.GetRecords())
            EXPECT_NE(record.kind, KTDCRecordKind::Rectangle); // transparent: no background box
    }
}

TEST_F(LayoutTest, OpaqueBackgroundComesFirstAndTheContextIsRestored)
{
    KTDC dc(96, 96);
    dc.SetMapMode(MM_HIMETRIC);
    dc.SetRecording(true);
    dc.SetTextAlign(TA_LEFT | TA_BOTTOM);
    dc.SetBkMode(OPAQUE);
    dc.SetBkColor(RGB(255, 255, 0));
    const KTFont font = dc.GetCurrentFont();
    const KTPen pen = dc.GetCurrentPen();
    KTEEquation equation;
    equation.SetText("x+1", m_options);
    equation.Draw(&dc, 0, 0, m_options);
    const auto& records = dc.GetRecords();
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.front().kind, KTDCRecordKind::Rectangle);
    EXPECT_EQ(records.front().points.at(0), CPoint(0, 0));
    EXPECT_EQ(records.front().points.at(1), CPoint(150 + 300 + 150, 300));
    for (size_t i = 1; i < records.size(); ++i)
        EXPECT_EQ(records[i].bkMode, TRANSPARENT); // text itself is drawn without a background
    EXPECT_EQ(dc.GetBkMode(), OPAQUE);
    EXPECT_EQ(dc.GetTextAlign(), TA_LEFT | TA_BOTTOM);
    EXPECT_TRUE(dc.GetCurrentFont() == font);
    EXPECT_TRUE(dc.GetCurrentPen() == pen);
}

TEST_F(LayoutTest, FractionBarSpansTheFractionAndBothPartsAreCentred)
{
    KTDC dc(96, 96);
    dc.SetMapMode(MM_HIMETRIC);
    dc.SetRecording(true);
    dc.SetTextAlign(TA_LEFT | TA_BOTTOM);
    dc.SetBkMode(TRANSPARENT);
    KTEEquation equation;
    equation.SetText("1/(x+1)", m_options);
    equation.Draw(&dc, 0, 0, m_options);
    const KTDCRecord* bar = nullptr;
    for (const KTDCRecord& record : dc.GetRecords())
        if (record.kind == KTDCRecordKind::Line)
            bar = &record;
    ASSERT_NE(bar, nullptr);
    // denominator "x+1": 150 + 300 + 150 wide; numerator "1" 150 wide, centred over it
    EXPECT_EQ(bar->points.at(0), CPoint(0, 300));
    EXPECT_EQ(bar->points.at(1), CPoint(600, 300));
    const auto texts = Texts(dc);
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, CString("1"));
    EXPECT_EQ(texts[0].point, CPoint(225, 300));
    EXPECT_EQ(texts[1].text, CString("x"));
    EXPECT_EQ(texts[1].point, CPoint(0, 0));
}

TEST_F(LayoutTest, NothingIsDrawnForAnEmptyEquationButAnOpaqueBox)
{
    KTDC dc(96, 96);
    dc.SetMapMode(MM_HIMETRIC);
    dc.SetRecording(true);
    dc.SetBkMode(OPAQUE);
    KTEEquation equation;
    equation.SetText("", m_options);
    equation.Draw(&dc, 10, 10, m_options);
    ASSERT_EQ(dc.GetRecords().size(), 1u);
    EXPECT_EQ(dc.GetRecords()[0].kind, KTDCRecordKind::Rectangle);
    EXPECT_EQ(equation.GetExtent(&dc, m_options), KTEExtent());
}

} // namespace

// "x/22/333" is (x over 22) over 333: the main bar, lowest on the page, spans the widest
// part 333; the bar above it spans 22 alone. Grouped from the right both bars would span 333.
TEST_F(LayoutTest, ChainedDivisionStacksFromTheLeft)
{
    KTDC dc(96, 96);
    dc.SetMapMode(MM_HIMETRIC);
    dc.SetRecording(true);
    dc.SetTextAlign(TA_LEFT | TA_BOTTOM);
    dc.SetBkMode(TRANSPARENT);
    for (const char* text : {"x/22/333", "(x)/(22)/(333)"}) {
        dc.ClearRecords();
        KTEEquation equation;
        equation.SetText(text, m_options);
        equation.Draw(&dc, 0, 0, m_options);
        std::vector<const KTDCRecord*> bars;
        for (const KTDCRecord& record : dc.GetRecords())
            if (record.kind == KTDCRecordKind::Line)
                bars.push_back(&record);
        ASSERT_EQ(bars.size(), 2u) << text;
        if (bars[0]->points.at(0).y > bars[1]->points.at(0).y)
            std::swap(bars[0], bars[1]);
        const auto width = [](const KTDCRecord* bar) { return bar->points.at(1).x - bar->points.at(0).x; };
        EXPECT_EQ(width(bars[0]), 450) << text; // the main bar, over 333
        EXPECT_EQ(width(bars[1]), 300) << text; // over 22, inside the numerator
        const auto texts = Texts(dc);
        ASSERT_EQ(texts.size(), 3u) << text;
        EXPECT_EQ(texts[0].text, CString("x")) << text;
        EXPECT_EQ(texts[1].text, CString("22")) << text;
        EXPECT_EQ(texts[2].text, CString("333")) << text;
        // top to bottom: x, the upper bar, 22, the main bar, 333 (texts stand on their baseline)
        EXPECT_GE(texts[0].point.y, bars[1]->points.at(0).y) << text;
        EXPECT_GT(bars[1]->points.at(0).y, texts[1].point.y) << text;
        EXPECT_GE(texts[1].point.y, bars[0]->points.at(0).y) << text;
        EXPECT_GT(bars[0]->points.at(0).y, texts[2].point.y) << text;
    }
}

// A fraction of fractions shows its grouping: where a part that is itself a fraction is as wide
// as the whole, the main bar reaches half a character (75) past the inner bar on each side, so
// that "x/2/2" reads as (x/2)/2. Where the other part is wider the bars differ already.
TEST_F(LayoutTest, NestedFractionBarsShowTheirGrouping)
{
    const struct
    {
        const char* text;
        int main, inner;
        bool centred; ///< the inner fraction is the whole of its part
    } rows[] = {
        {"x/2/2", 150 + 150, 150, true},   {"(x/2)/2", 150 + 150, 150, true},
        {"1/(1/x)", 150 + 150, 150, true}, {"x/222/22", 450 + 150, 450, true},
        {"x/22/333", 450, 300, true},      {"(x/2+1)/2", 600, 150, false},
    };
    KTDC dc(96, 96);
    dc.SetMapMode(MM_HIMETRIC);
    dc.SetRecording(true);
    dc.SetTextAlign(TA_LEFT | TA_BOTTOM);
    dc.SetBkMode(TRANSPARENT);
    for (const auto& row : rows) {
        dc.ClearRecords();
        KTEEquation equation;
        equation.SetText(row.text, m_options);
        equation.Draw(&dc, 0, 0, m_options);
        std::vector<std::pair<int, int>> bars;
        for (const KTDCRecord& record : dc.GetRecords())
            if (record.kind == KTDCRecordKind::Line)
                bars.emplace_back(record.points.at(0).x, record.points.at(1).x);
        ASSERT_EQ(bars.size(), 2u) << row.text;
        const auto width = [](const std::pair<int, int>& bar) { return bar.second - bar.first; };
        if (width(bars[0]) < width(bars[1]))
            std::swap(bars[0], bars[1]);
        EXPECT_EQ(width(bars[0]), row.main) << row.text;
        EXPECT_EQ(width(bars[1]), row.inner) << row.text;
        // An inner fraction that is a whole part stands in the middle of the main bar.
        if (row.centred) {
            EXPECT_EQ(bars[1].first - bars[0].first, bars[0].second - bars[1].second) << row.text;
        }
        EXPECT_EQ(equation.GetExtent(&dc, m_options).width, row.main + 100) << row.text;
    }
}

// A substituted value is drawn as the same number typed in its place: at the name's size in a
// script, and a negative value in brackets wherever its sign could be read as a subtraction.
TEST_F(LayoutTest, SubstitutedValuesDrawAsTypedNumbers)
{
    const auto records = [this](const char* text, const KTVariableSubstitutions* table) {
        KTDC dc(96, 96);
        dc.SetMapMode(MM_HIMETRIC);
        dc.SetRecording(true);
        dc.SetTextAlign(TA_LEFT | TA_BOTTOM);
        dc.SetBkMode(TRANSPARENT);
        KTEEquation equation;
        equation.SetText(text, m_options);
        if (table)
            equation.SubstituteVariables(*table);
        const KTEExtent extent = equation.GetExtent(&dc, m_options);
        equation.Draw(&dc, 0, 0, m_options);
        CString out;
        out.AppendFormat("%d x %d:", extent.width, extent.height);
        for (const KTDCRecord& record : dc.GetRecords()) {
            if (record.kind != KTDCRecordKind::Text)
                continue;
            out.AppendFormat(" \"%s\"@%d,%d/%d", record.text.c_str(), record.points.at(0).x,
                             record.points.at(0).y, record.font.GetLogFont().lfHeight);
        }
        return out;
    };
    KTVariableSubstitutions negative;
    negative.Add("m", -3);
    negative.Add("a", 2);
    const struct
    {
        const char* withName;
        const char* typed;
    } rows[] = {
        {"3m^2", "3(-3)^2"}, {"2m x", "2(-3) x"}, {"x - m", "x - (-3)"},   {"y = m x", "y = -3 x"},
        {"y = m", "y = -3"}, {"x^a", "x^2"},      {"x^(m+a)", "x^(-3+2)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.withName);
        EXPECT_EQ(records(row.withName, &negative), records(row.typed, nullptr));
    }
}
