#include "app/KTLegacyFileReader.h"

#include "KTAppTestSupport.h"
#include "app/KTG300Doc.h"
#include "engine/KTFunction3.h"
#include "graph/KTGraph3.h"
#include "graph/KTGraphData3.h"
#include "platform/KTLocale.h"

#include <gtest/gtest.h>

namespace {

struct LocaleGuard
{
    LocaleGuard(char decimal, char list) { KTLocale::Override(decimal, list, 44); }
    ~LocaleGuard() { KTLocale::ClearOverride(); }
};

kttest::LegacyDocument SampleDocument()
{
    kttest::LegacyDocument d;
    d.functions[0].equation = "y=x^2";
    d.functions[0].flags[0] = 1;
    d.functions[0].flags[4] = 1;
    d.functions[1].equation = "y=sin(x)";
    d.functions[1].domain = "[0"
                            "\x2c"
                            "5]";
    d.functions[1].firstDerivative = 1;
    d.functions[9].equation = "y=9";
    return d;
}

} // namespace

TEST(KTLegacyFileReader, ReadsEveryFieldOfTheMarkedLayout)
{
    LocaleGuard locale('.', ',');
    const auto bytes = kttest::WriteLegacyFile(SampleDocument());
    KTGraphData3 data;
    KTOptionGraph3 defaults;
    defaults.m_integral.m_showArea.m_value = 0;
    const KTLegacyFileResult result = KTLegacyFileReader().ReadLegacyFile(bytes, data, defaults);

    EXPECT_TRUE(result.rectRead);
    EXPECT_EQ(result.windowRect, CRect(10, 20, 700, 500));
    EXPECT_TRUE(result.marked);
    KTOptionAxes2& axes = data.m_options.m_axes;
    const struct
    {
        KTOptionString& option;
        const char* expected;
    } texts[] = {{axes.m_xMaxShowS, "8"},  {axes.m_yMaxShowS, "6"},  {axes.m_xMinShowS, "-8"},
                 {axes.m_yMinShowS, "-6"}, {axes.m_xMajorS, "2"},    {axes.m_yMajorS, "1.5"},
                 {axes.m_xMinorS, "0.5"},  {axes.m_yMinorS, "0.25"}, {axes.m_xNotate, "time"},
                 {axes.m_yNotate, "speed"}};
    for (const auto& row : texts)
        EXPECT_EQ(row.option.m_value, CString(row.expected)) << row.expected;
    EXPECT_EQ(axes.m_angleSystem.m_value, 1);
    const BYTE flags[] = {axes.m_showGrid.m_value,   data.m_options.m_autoScale.m_value,
                          axes.m_showyAxis.m_value,  axes.m_showxAxis.m_value,
                          axes.m_showxTicks.m_value, axes.m_showyTicks.m_value,
                          axes.m_showxScale.m_value, axes.m_showyScale.m_value};
    const BYTE expectedFlags[] = {1, 0, 1, 1, 0, 1, 0, 1};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(flags[i], expectedFlags[i]) << i;
    const KTLogFont font = axes.m_axisFont.GetValue();
    EXPECT_EQ(font.GetFaceName(), CString("Courier New"));
    EXPECT_EQ(font.m_logFont.lfHeight, -20);
    EXPECT_EQ(font.m_logFont.lfWeight, 700);
    EXPECT_EQ(font.m_logFont.lfItalic, 1);
    EXPECT_EQ(font.m_size, KTLogFont().m_size);
    EXPECT_EQ(font.m_color, KTLogFont().m_color);

    EXPECT_EQ(data.Function(0).Data().m_equationText, CString("y=x^2"));
    EXPECT_EQ(data.Function(1).Data().m_equationText, CString("y=sin(x); [0,5]"));
    EXPECT_EQ(data.Function(9).Data().m_equationText, CString("y=9"));
    EXPECT_EQ(data.Function(0).Data().m_options.m_vAsym.m_value, 1);
    EXPECT_EQ(data.Function(0).Data().m_options.m_hAsym.m_value, 0);
    EXPECT_EQ(data.Function(0).Data().m_options.m_showHigh.m_value, 1);
    EXPECT_EQ(data.Function(1).Data().m_showFirstDerivative, 1);
    EXPECT_EQ(data.Function(0).Data().m_showFirstDerivative, 0);

    ASSERT_TRUE(result.integral.has_value());
    EXPECT_EQ(result.integral->m_lowerText, CString("0"));
    EXPECT_EQ(result.integral->m_upperText, CString("2"));
    EXPECT_EQ(result.integral->m_first, 0);
    EXPECT_EQ(result.integral->m_second, -2);
    EXPECT_FALSE(result.integral->m_showArea);
    EXPECT_EQ(result.integral->m_colour, defaults.m_integral.m_brush.GetValue().m_color);
    ASSERT_TRUE(result.tangent.has_value());
    EXPECT_EQ(result.tangent->m_function, 1);
    EXPECT_EQ(result.tangent->m_xText, CString("1.5"));
    EXPECT_DOUBLE_EQ(result.tangent->m_point.m_x, 1.5);
}

// The report: every function with a domain was lost, joined to its domain with the list
// separator ("y=x^2,x>-2"), which interpretation refuses under both locales. An older file built
// field by field from the layout table, opened as a document and drawn: each domain is the
// function's, joined with the part separator under either locale.
TEST(KTLegacyFileReader, EveryFunctionWithADomainOpensWithIt)
{
    constexpr int open = KTFunctionDomain::EndOpen, closed = KTFunctionDomain::EndClosed;
    constexpr int none = KTFunctionDomain::EndUnbounded;
    constexpr int unmarked = KTFunctionDomain::EndNone; // a parameter's range has no end marks
    const struct
    {
        char decimal, list;
        const char *equation, *domain, *joined;
        double low, high;
        int lowEnd, highEnd;
        int status = KTStatusExplicit;
    } rows[] = {
        {'.', ',', "y=x^2", "x>-2", "y=x^2; x>-2", -2, 0, open, none},
        {'.', ',', "y=sin(x)", "[0,5]", "y=sin(x); [0,5]", 0, 5, closed, closed},
        {'.', ',', "y=2x", "-1.5<x<=2", "y=2x; -1.5<x<=2", -1.5, 2, open, closed},
        {'.', ',', "y=x+1", "", "y=x+1", -100000, 100000, none, none},
        {'.', ',', "r=2", "[0,90]", "r=2; [0,90]", 0, 90, unmarked, unmarked},
        {'.', ',', "x=cos(t); y=sin(t)", "0.5<t<3", "x=cos(t); y=sin(t); 0.5<t<3", 0.5, 3, unmarked, unmarked,
         KTStatusParametric},
        {'.', ',', "y<x^2", "x>-1.5", "y<x^2; x>-1.5", -1.5, 0, open, none},
        {'.', ',', "x^2+y^2<=4", "x>0.5", "x^2+y^2<=4; x>0.5", 0.5, 0, open, none, KTStatusImplicit},
        {',', ';', "y=x^2", "x>-2", "y=x^2: x>-2", -2, 0, open, none},
        {',', ';', "y=sin(x)", "[0;5]", "y=sin(x): [0;5]", 0, 5, closed, closed},
        {',', ';', "y=2x", "-1,5<x<=2", "y=2x: -1,5<x<=2", -1.5, 2, open, closed},
        {',', ';', "y=x+1", "", "y=x+1", -100000, 100000, none, none},
        {',', ';', "r=2", "[0;90]", "r=2: [0;90]", 0, 90, unmarked, unmarked},
        {',', ';', "x=cos(t): y=sin(t)", "0,5<t<3", "x=cos(t): y=sin(t): 0,5<t<3", 0.5, 3, unmarked, unmarked,
         KTStatusParametric},
        {',', ';', "y<x^2", "x>-1,5", "y<x^2: x>-1,5", -1.5, 0, open, none},
        {',', ';', "x^2+y^2<=4", "x>0,5", "x^2+y^2<=4: x>0,5", 0.5, 0, open, none, KTStatusImplicit},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.joined);
        LocaleGuard locale(row.decimal, row.list);
        kttest::LegacyDocument file = SampleDocument();
        file.functions[3].equation = row.equation;
        file.functions[3].domain = row.domain;
        KTG300Doc document;
        ASSERT_EQ(document.LoadContents(kttest::WriteLegacyFile(file)), KTG300Doc::LoadResult::Legacy);
        document.Graph().ComputeDataExtents();
        const KTFunction3& function = document.Graph().Data().Function(3);
        EXPECT_EQ(function.Data().m_equationText, CString(row.joined));
        EXPECT_EQ(function.Parts().GetStatus(), row.status) << function.Parts().GetMessage().c_str();
        const KTFunctionDomain& domain = function.Data().m_domain;
        EXPECT_EQ(domain.m_valid, 1);
        EXPECT_EQ(domain.m_lowEnd, row.lowEnd);
        EXPECT_EQ(domain.m_highEnd, row.highEnd);
        EXPECT_EQ(domain.m_low, row.low);
        if (row.highEnd != none || row.lowEnd == none) {
            EXPECT_EQ(domain.m_high, row.high);
        }
        // The sample's second function, with its domain [0,5], too; its first has none.
        EXPECT_EQ(document.Graph().Data().Function(0).Data().m_equationText, CString("y=x^2"));
    }
    // Steps are written with the user's decimal separator.
    LocaleGuard locale(',', ';');
    KTGraphData3 data;
    KTLegacyFileReader().ReadLegacyFile(kttest::WriteLegacyFile(SampleDocument()), data, KTOptionGraph3());
    EXPECT_EQ(data.m_options.m_axes.m_yMajorS.m_value, CString("1,5"));
}

TEST(KTLegacyFileReader, IndicesOutsideTheirRangesDropTheRecord)
{
    const struct
    {
        std::int32_t first, second, tangent;
        bool integral, tangentKept;
    } rows[] = {
        {0, -2, 1, true, true},
        {9, 9, 9, true, true},
        {-1, 0, -1, false, false},
        {10, 0, 10, false, false},
        {0, -3, -2, false, false},
        {0, 10, 123456, false, false},
        {-7, -1, 0x7FFFFFFF, false, false},
        {3, -1, 0, true, true},
    };
    for (const auto& row : rows) {
        kttest::LegacyDocument d = SampleDocument();
        d.integralFirst = row.first;
        d.integralSecond = row.second;
        d.tangentFunction = row.tangent;
        KTGraphData3 data;
        const auto result =
            KTLegacyFileReader().ReadLegacyFile(kttest::WriteLegacyFile(d), data, KTOptionGraph3());
        EXPECT_EQ(result.integral.has_value(), row.integral) << row.first << " " << row.second;
        EXPECT_EQ(result.tangent.has_value(), row.tangentKept) << row.tangent;
    }
}

TEST(KTLegacyFileReader, AnAngleSystemOutsideItsRangeReadsAsTheMiddle)
{
    for (std::int32_t stored : {3, -1, 1000}) {
        kttest::LegacyDocument d = SampleDocument();
        d.angleSystem = stored;
        KTGraphData3 data;
        // The stored value's first byte ends the text before it, so it is written as the
        // older program did whatever it is.
        KTLegacyFileReader().ReadLegacyFile(kttest::WriteLegacyFile(d), data, KTOptionGraph3());
        EXPECT_EQ(data.m_options.m_axes.m_angleSystem.m_value, 1) << stored;
    }
}

TEST(KTLegacyFileReader, AnUnmarkedFileGivesOnlyTheRectangle)
{
    kttest::LegacyDocument d = SampleDocument();
    d.marked = false;
    KTGraphData3 data;
    KTOptionGraph3 reference;
    const auto result =
        KTLegacyFileReader().ReadLegacyFile(kttest::WriteLegacyFile(d), data, KTOptionGraph3());
    EXPECT_TRUE(result.rectRead);
    EXPECT_FALSE(result.marked);
    EXPECT_EQ(result.windowRect, CRect(10, 20, 700, 500));
    EXPECT_FALSE(result.integral.has_value());
    EXPECT_EQ(data.Function(0).Data().m_equationText, CString(""));
    EXPECT_EQ(data.m_options.m_axes.m_xMaxShowS.m_value, reference.m_axes.m_xMaxShowS.m_value);
}

TEST(KTLegacyFileReader, TextsEndAtControlBytesAndHighBytes)
{
    const struct
    {
        std::string bytes;
        const char* text;
        std::size_t next;
    } rows[] = {
        {std::string("abc\0def", 7), "abc", 4},
        {"abc\x1e"
         "d",
         "abc", 4},
        {"abc\x1f"
         "d",
         "abc\x1f"
         "d",
         5},
        {"ab\x80"
         "cd",
         "ab", 3},
        {"\xff", "", 1},
        {"", "", 0},
        {"open-ended", "open-ended", 10},
    };
    for (const auto& row : rows) {
        const std::vector<std::uint8_t> bytes(row.bytes.begin(), row.bytes.end());
        std::size_t pos = 0;
        EXPECT_EQ(KTLegacyFileReader::ReadTextField(bytes, pos), CString(row.text));
        EXPECT_EQ(pos, row.next);
    }
}

TEST(KTLegacyFileReader, EveryTruncationReadsWithoutFailing)
{
    LocaleGuard locale('.', ',');
    const kttest::LegacyDocument sample = SampleDocument();
    const auto full = kttest::WriteLegacyFile(sample);
    KTGraphData3 whole;
    KTLegacyFileReader().ReadLegacyFile(full, whole, KTOptionGraph3());
    const KTGraphData3 fresh;
    // A text field of a cut file holds either its whole text or what it held before: a text cut
    // short by the end of the file is no text (an empty range would show the graph at 0..1).
    auto texts = [](const KTGraphData3& data) {
        const KTOptionAxes2& axes = data.m_options.m_axes;
        std::vector<CString> out{axes.m_xMaxShowS.m_value, axes.m_yMaxShowS.m_value, axes.m_xMinShowS.m_value,
                                 axes.m_yMinShowS.m_value, axes.m_xNotate.m_value,   axes.m_yNotate.m_value};
        for (int slot = 0; slot < KTGraphData3::UserFunctionCount; ++slot)
            out.push_back(data.Function(slot).Data().m_equationText);
        return out;
    };
    const std::vector<CString> complete = texts(whole);
    const std::vector<CString> before = texts(fresh);
    ASSERT_EQ(complete[0], CString("8"));
    ASSERT_EQ(complete[7], CString("y=sin(x); [0,5]"));
    int partial = 0;
    for (std::size_t cut = 0; cut <= full.size(); ++cut) {
        std::vector<std::uint8_t> bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut));
        KTGraphData3 data;
        const auto result = KTLegacyFileReader().ReadLegacyFile(bytes, data, KTOptionGraph3());
        EXPECT_EQ(result.rectRead, cut >= 16);
        EXPECT_EQ(result.marked, cut >= 72) << cut;
        const std::vector<CString> read = texts(data);
        for (std::size_t i = 0; i < read.size(); ++i) {
            EXPECT_TRUE(read[i] == complete[i] || read[i] == before[i])
                << "cut " << cut << " field " << i << ": '" << read[i].c_str() << "'";
            partial += read[i] != complete[i] && read[i] != before[i];
        }
        // The tangent's x text is whole or there is no tangent.
        if (result.tangent) {
            EXPECT_EQ(result.tangent->m_xText, CString(sample.tangentX.c_str())) << cut;
        }
    }
    EXPECT_EQ(partial, 0);
}

TEST(KTLegacyFileReader, AShortFileKeepsTheRangesItDidNotReach)
{
    const kttest::LegacyDocument sample = SampleDocument();
    const auto full = kttest::WriteLegacyFile(sample);
    const KTOptionGraph3 factory;
    const KTOptionAxes2& fresh = factory.m_axes;
    // Offsets: 72 + 4 + 32 + 1 = 109 is the start of the xMax text "8\0", then "6\0", "-8\0".
    const struct
    {
        std::size_t cut;
        CString xMax, yMax, xMin, yMin;
    } rows[] = {
        {72, fresh.m_xMaxShowS.m_value, fresh.m_yMaxShowS.m_value, fresh.m_xMinShowS.m_value,
         fresh.m_yMinShowS.m_value},
        {110, fresh.m_xMaxShowS.m_value, fresh.m_yMaxShowS.m_value, fresh.m_xMinShowS.m_value,
         fresh.m_yMinShowS.m_value},
        {111, "8", fresh.m_yMaxShowS.m_value, fresh.m_xMinShowS.m_value, fresh.m_yMinShowS.m_value},
        {113, "8", "6", fresh.m_xMinShowS.m_value, fresh.m_yMinShowS.m_value},
        {115, "8", "6", fresh.m_xMinShowS.m_value, fresh.m_yMinShowS.m_value},
        {116, "8", "6", "-8", fresh.m_yMinShowS.m_value},
    };
    for (const auto& row : rows) {
        ASSERT_LT(row.cut, full.size());
        KTGraphData3 data;
        data.m_options = factory;
        KTLegacyFileReader().ReadLegacyFile(
            std::vector<std::uint8_t>(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(row.cut)),
            data, factory);
        const KTOptionAxes2& axes = data.m_options.m_axes;
        EXPECT_EQ(axes.m_xMaxShowS.m_value, row.xMax) << row.cut;
        EXPECT_EQ(axes.m_yMaxShowS.m_value, row.yMax) << row.cut;
        EXPECT_EQ(axes.m_xMinShowS.m_value, row.xMin) << row.cut;
        EXPECT_EQ(axes.m_yMinShowS.m_value, row.yMin) << row.cut;
    }
}
