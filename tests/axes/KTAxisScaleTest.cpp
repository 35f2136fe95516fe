#include "axes/KTAxes.h"
#include "axes/KTAxis.h"
#include "axes/KTAxisScale.h"
#include "axes/KTScaleTables.h"
#include "axes/KTUndefined.h"

#include "foundation/KTNumberTexts.h"
#include "foundation/KTSentinelValues.h"
#include "platform/KTDC.h"
#include "typeset/KTEEquation.h"
#include "typeset/KTEOptions.h"
#include "support/KTTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.141592654;

/// A measuring context in the graph's mapping: hundredths of a millimetre, y upwards.
struct MetricDC
{
    MetricDC() { dc.SetMapMode(MM_HIMETRIC); }
    KTDC dc{96, 96, CSize(800, 600)};
};

/// Decimal points for the duration of a test, whatever the machine's locale.
using PointDecimals = kttest::LocaleScope;

KTOptionAxes2 RangeOptions(const char* min, const char* max)
{
    KTOptionAxes2 options;
    options.m_xMinShowS.SetValue(min);
    options.m_xMaxShowS.SetValue(max);
    options.m_yMinShowS.SetValue(min);
    options.m_yMaxShowS.SetValue(max);
    return options;
}

/// An x axis fitted on a 10000-unit line.
KTAxis FitX(const KTOptionAxes2& options, double dataMin = 0.0, double dataMax = 0.0, BYTE log = 0)
{
    MetricDC m;
    KTAxis axis;
    axis.Fit(0, 0, 10000, 0, dataMin, dataMax, 0, log, m.dc, options);
    return axis;
}

std::vector<std::string> Texts(const std::vector<KTAxisLabel>& labels)
{
    std::vector<std::string> texts;
    for (const KTAxisLabel& label : labels)
        texts.push_back(label.text.str());
    return texts;
}

} // namespace

TEST(KTScaleTables, EntriesAndSentinels)
{
    EXPECT_STREQ(KTScaleSteps[0], "0.0000000001");
    EXPECT_STREQ(KTScaleSteps[30], "1");
    EXPECT_STREQ(KTScaleSteps[60], "10000000000");
    EXPECT_EQ(std::string(KTScaleSteps[61]), "1" + std::string(43, '0'));
    EXPECT_EQ(std::string(KTPowerSteps[11]), "1" + std::string(41, '0'));
    EXPECT_EQ(std::string(KTDegreeSteps[9]), "1" + std::string(41, '0'));
    EXPECT_EQ(std::string(KTPiSteps[9]), "1" + std::string(41, '0'));
    EXPECT_STREQ(KTDegreeList, " 90, 135, 180, 270, 360, 450, 540, 720, 1080,");

    // Every table rises strictly, so the first entry above a target is well defined.
    for (const KTStepTable& table : {KTScaleStepTable, KTPowerStepTable, KTDegreeStepTable, KTPiStepTable}) {
        for (int i = 1; i < table.count; ++i)
            EXPECT_LT(EvaluateNumberText(table[i - 1], nullptr), EvaluateNumberText(table[i], nullptr))
                << table[i];
    }
    // 1-2-5 in plain decimals: each entry is 2, 2.5 or 2 times the one before.
    for (int i = 1; i < 61; ++i) {
        const double ratio =
            EvaluateNumberText(KTScaleSteps[i], nullptr) / EvaluateNumberText(KTScaleSteps[i - 1], nullptr);
        EXPECT_NEAR(ratio, i % 3 == 2 ? 2.5 : 2.0, 1e-9) << i;
        EXPECT_EQ(std::string(KTScaleSteps[i]).find('e'), std::string::npos);
    }
}

TEST(KTAxisScale, FittingTable)
{
    struct Row
    {
        const char* min;
        const char* max;
        BYTE allowBreak;
        const char* major;
        const char* minor;
        double tickMin;
        double tickMax;
        double fittedMin; // the mapped range
        double fittedMax;
        BYTE hasBreak;
    };
    const double twoPi = 2 * kPi;
    const Row rows[] = {
        {"-10", "10", 1, "5", "1", -10, 10, -11.25, 11.25, 0},
        {"-2pi", "2pi", 1, "pi", "pi/3", -twoPi, twoPi, -twoPi - 4 * kPi / 16, twoPi + 4 * kPi / 16, 0},
        {"0", "360", 1, "60", "30", 0, 360, 0, 382.5, 0},
        {"-360", "360", 1, "180", "60", -360, 360, -405, 405, 0},
        {"0", "100", 1, "20", "5", 0, 100, 0, 106.25, 0},
        {"5", "10", 1, "1", "0.2", 5, 10, 5, 10.3125, 1},
        {"5", "10", 0, "2", "0.5", 0, 10, 0, 10.625, 0},
        {"-10", "-5", 1, "1", "0.2", -10, -5, -10.3125, -5, 1},
        {"-10", "-5", 0, "2", "0.5", -10, 0, -10.625, 0, 0},
        {"0", "1", 1, "0.2", "0.05", 0, 1, 0, 1.0625, 0},
    };
    for (const Row& row : rows) {
        KTOptionAxes2 options = RangeOptions(row.min, row.max);
        options.m_allowBreakScales.m_value = row.allowBreak;
        const KTAxis axis = FitX(options);
        const std::string where = std::string(row.min) + ".." + row.max;
        EXPECT_EQ(axis.m_majorText, CString(row.major)) << where;
        EXPECT_EQ(axis.m_minorText, CString(row.minor)) << where;
        EXPECT_NEAR(axis.m_tickMin, row.tickMin, 1e-9) << where;
        EXPECT_NEAR(axis.m_tickMax, row.tickMax, 1e-9) << where;
        EXPECT_NEAR(axis.m_min, row.fittedMin, 1e-9) << where;
        EXPECT_NEAR(axis.m_max, row.fittedMax, 1e-9) << where;
        EXPECT_EQ(axis.m_hasBreak, row.hasBreak) << where;
        EXPECT_EQ(axis.m_minorStep, EvaluateNumberText(axis.m_minorText, nullptr)) << where;
    }
}

TEST(KTAxisScale, StepTableFollowsTheTypedMaximum)
{
    struct Row
    {
        const char* max;
        const char* major;
    };
    // 0..max: the pi table for any text with "pi", degrees for the maxima of the degree list,
    // else 1-2-5 (100 is not in the list).
    // The search starts at the third entry.
    const Row rows[] = {{"90", "30"},    {"180", "30"}, {"270", "45"},  {"720", "180"},
                        {"1080", "180"}, {"100", "20"}, {"200", "50"},  {"2000", "500"},
                        {"pi", "pi/6"},  {"4pi", "pi"}, {"8pi", "2pi"}, {"pi/2", "pi/6"}};
    for (const Row& row : rows) {
        const KTAxis axis = FitX(RangeOptions("0", row.max));
        EXPECT_EQ(axis.m_majorText, CString(row.major)) << row.max;
    }
}

TEST(KTAxisScale, EqualEndsWiden)
{
    // min = max = 3: max becomes 4.4 before snapping; the break keeps 3 as the near end.
    const KTAxis axis = FitX(RangeOptions("3", "3"));
    EXPECT_EQ(axis.m_fittedMin, 3.0);
    EXPECT_EQ(axis.m_lowerDataBound, 3.0);
    EXPECT_EQ(axis.m_hasBreak, 1);
    EXPECT_EQ(axis.m_majorText, CString("0.2")); // (4.4 - 3) / 8 = 0.175
    EXPECT_GE(axis.m_tickMax, 4.4 - 1e-12);
    EXPECT_LE(axis.m_tickMax, 4.45 + 1e-12);

    // Ends equal below -11 used to give max <= min: every range has a positive span.
    for (const char* end : {"-11", "-20", "-1000000", "0", "-1"}) {
        const KTAxis equal = FitX(RangeOptions(end, end));
        EXPECT_LT(equal.m_min, equal.m_max) << end;
        EXPECT_GT(equal.m_lowerDataBound, -1e7) << end;
    }
    // A reversed range takes the minimum as both ends first.
    const KTAxis reversed = FitX(RangeOptions("10", "5"));
    EXPECT_EQ(reversed.m_lowerDataBound, 10.0);
    EXPECT_GT(reversed.m_max, 12.0);
}

// Past either end of the 1-2-5 table the steps go on as the table would (it once gave the
// sentinel, and with it no labels at all): an eighth of 2e11 is 2.5e10, so 5e10, and 1e10 two
// places below; an eighth of 2e-12 is 2.5e-13, so 5e-13 and 1e-13.
TEST(KTAxisScale, StepsGoOnPastTheEndsOfTheTable)
{
    const struct
    {
        const char* min;
        const char* max;
        const char* major;
        const char* minor;
    } rows[] = {
        {"-100000000000", "100000000000", "50000000000", "10000000000"},
        {"0", "160000000000", "50000000000", "10000000000"}, // 2e10 is no more than the eighth
        {"-0.000000000001", "0.000000000001", "0.0000000000005", "0.0000000000001"},
        {"0", "0.0000000008", "0.0000000002", "0.00000000005"},
        {"0", "pi/100", "0.005", "0.001"}, // pi/18 is wider than half the range
        {"0", "1000pi", "500", "100"},     // 4pi is the last pi step
    };
    for (const auto& row : rows) {
        const KTAxis axis = FitX(RangeOptions(row.min, row.max));
        EXPECT_EQ(axis.m_majorText, CString(row.major)) << row.max;
        EXPECT_EQ(axis.m_minorText, CString(row.minor)) << row.max;
    }
}

TEST(KTAxisScale, TypedSteps)
{
    struct Row
    {
        const char* major;
        const char* minor;
        const char* wantMajor;
        const char* wantMinor;
    };
    // -10..10; the automatic steps are "5" and "1". A step that is 0, negative, not a number,
    // not finite or so fine that the range holds more than KTMaxAxisSteps of it is not used.
    const Row rows[] = {
        {"4", "0.5", "4", "0.5"},
        {"pi", "pi/4", "pi", "pi/4"},
        {"0", "0", "5", "1"},
        {"-2", "-1", "5", "1"},
        {"xyz", "x", "5", "1"},
        {"1/0", "2/0", "5", "1"},
        {"0.00001", "0.000001", "5", "1"},
        {"0.01", "0.01", "0.01", "0.01"},
    };
    for (const Row& row : rows) {
        KTOptionAxes2 options = RangeOptions("-10", "10");
        options.m_autoxMajor.m_value = 0;
        options.m_autoxMinor.m_value = 0;
        options.m_xMajorS.SetValue(row.major);
        options.m_xMinorS.SetValue(row.minor);
        const KTAxis axis = FitX(options);
        EXPECT_EQ(axis.m_majorText, CString(row.wantMajor)) << row.major;
        EXPECT_EQ(axis.m_minorText, CString(row.wantMinor)) << row.minor;
    }
    // Typed steps apply only while their automatic flag is off.
    KTOptionAxes2 options = RangeOptions("-10", "10");
    options.m_xMajorS.SetValue("4");
    options.m_xMinorS.SetValue("0.5");
    options.m_autoxMinor.m_value = 0;
    const KTAxis axis = FitX(options);
    EXPECT_EQ(axis.m_majorText, CString("5"));
    EXPECT_EQ(axis.m_minorText, CString("0.5"));
}

TEST(KTAxisScale, RangeFromTextsAndData)
{
    struct Row
    {
        const char* min;
        const char* max;
        BYTE autoMin;
        BYTE autoMax;
        BYTE adjust;
        double dataMin;
        double dataMax;
        double wantMin;
        double wantMax;
    };
    const double undefined = KTUndefinedValue;
    const double inf = std::numeric_limits<double>::infinity();
    const Row rows[] = {
        {"-10", "10", 0, 0, 0, -3, 30, -10, 10},
        {"-10", "10", 1, 1, 0, -3, 30, -3, 30},
        {"-10", "10", 0, 0, 1, -3, 30, -10, 30},
        {"-10", "10", 0, 0, 1, -30, 3, -30, 10},
        {"2pi/3", "1/2", 0, 0, 0, 0, 0, 2 * kPi / 3, 0.5},
        // A power of ten typed as a range is one: -1e3..1e3 is a view of 2000, not of about 80.
        {"-1e3", "1e3", 0, 0, 0, 0, 0, -1000, 1000},
        {"-2.5e-3", "1e-2", 0, 0, 0, 0, 0, -0.0025, 0.01},
        {"-2e", "3e/4", 0, 0, 0, 0, 0, -2 * 2.718281828, 3 * 2.718281828 / 4},
        // An undefined typed end takes the data extent; undefined data the typed end.
        {"abc", "10", 0, 0, 0, -4, 4, -4, 10},
        {"-10", "10", 1, 1, 0, undefined, inf, -10, 10},
        {"-10", "10", 0, 0, 1, KTNoYValue, 1e13, -10, 10},
        {"abc", "1/0", 0, 0, 0, undefined, undefined, -10, 10},
    };
    for (const Row& row : rows) {
        KTOptionAxes2 options = RangeOptions(row.min, row.max);
        options.m_autoMinx.m_value = row.autoMin;
        options.m_autoMaxx.m_value = row.autoMax;
        options.m_adjustScaleToIncludeData.m_value = row.adjust;
        double min = 0.0;
        double max = 0.0;
        KTAxisRange(options, true, row.dataMin, row.dataMax, min, max);
        EXPECT_NEAR(min, row.wantMin, 1e-9) << row.min << " " << row.dataMin;
        EXPECT_NEAR(max, row.wantMax, 1e-9) << row.max << " " << row.dataMax;
    }
}

TEST(KTAxisScale, UndefinedValues)
{
    for (double v : {KTUndefinedValue, KTNoSecondValue, KTNoYValue, 1e12, -1e12, 5e300,
                     std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()})
        EXPECT_TRUE(KTIsUndefined(v)) << v;
    for (double v : {0.0, -10.0, 999999999999.9, -999999999999.9, 1e-300})
        EXPECT_FALSE(KTIsUndefined(v)) << v;
}

TEST(KTAxisScale, DecadesOfALogAxis)
{
    KTOptionAxes2 options = RangeOptions("1", "100");
    const KTAxis axis = FitX(options, 0, 0, 1);
    EXPECT_EQ(axis.m_hasBreak, 0); // a log axis never breaks: its minimum becomes 0
    EXPECT_EQ(axis.m_lowerDataBound, 1.0);
    EXPECT_EQ(axis.m_decadeLow, 3);  // "1": the first power above 0.1
    EXPECT_EQ(axis.m_decadeHigh, 5); // "100"
    EXPECT_EQ(axis.m_tickMin, 0.0);
    EXPECT_DOUBLE_EQ(axis.m_max, (100.0 + 100.0 / 16) * 1.5);
    EXPECT_EQ(Texts(KTLogAxisLabels(axis)), (std::vector<std::string>{"1", "10", "100"}));
}

TEST(KTAxisScale, LabelTexts)
{
    struct Row
    {
        const char* min;
        const char* max;
        const char* major;
        std::vector<std::string> labels;
    };
    const Row rows[] = {
        {"-2pi", "2pi", "pi/2", {"-2pi", "-3pi/2", "-pi", "-pi/2", "pi/2", "pi", "3pi/2", "2pi"}},
        {"0", "pi", "pi/6", {"pi/6", "pi/3", "pi/2", "2pi/3", "5pi/6", "pi"}},
        {"-10", "10", "5", {"-10", "-5", "5", "10"}},
        {"0", "1", "1/4", {"1/4", "1/2", "3/4", "1"}},
        {"0", "1", "0.25", {"0.25", "0.5", "0.75", "1"}},
    };
    const PointDecimals decimals;
    for (const Row& row : rows) {
        KTOptionAxes2 options = RangeOptions(row.min, row.max);
        options.m_autoxMajor.m_value = 0;
        options.m_xMajorS.SetValue(row.major);
        const KTAxis axis = FitX(options);
        const std::vector<KTAxisLabel> labels = KTLinearAxisLabels(axis, false);
        EXPECT_EQ(Texts(labels), row.labels) << row.major;
        // Each text is worth the value it stands at.
        for (const KTAxisLabel& label : labels)
            EXPECT_NEAR(EvaluateNumberText(label.text, nullptr), label.value, 1e-6) << label.text.str();
        // Multiple 0 only when asked for (a measuring fit draws it).
        const std::vector<KTAxisLabel> withZero = KTLinearAxisLabels(axis, true);
        EXPECT_EQ(withZero.size(), labels.size() + (axis.m_min <= 0.0 ? 1 : 0)) << row.major;
    }
}

TEST(KTAxisScale, AtMostTwoHundredLabels)
{
    KTOptionAxes2 options = RangeOptions("0", "1000");
    options.m_autoxMajor.m_value = 0;
    options.m_xMajorS.SetValue("1");
    const KTAxis axis = FitX(options);
    ASSERT_EQ(axis.m_majorText, CString("1"));
    const std::vector<KTAxisLabel> labels = KTLinearAxisLabels(axis, false);
    ASSERT_EQ(labels.size(), static_cast<std::size_t>(KTMaxAxisLabels));
    EXPECT_EQ(labels.front().text, CString("1"));
    EXPECT_EQ(labels.back().text, CString("200"));
}

TEST(KTAxisScale, MultiplesWithinTheToleranceFromEitherSide)
{
    EXPECT_TRUE(KTIsStepMultiple(3 * (kPi / 3), kPi));
    EXPECT_TRUE(KTIsStepMultiple(-0.9999999999999998, 1.0));
    EXPECT_FALSE(KTIsStepMultiple(0.99998, 1.0));
}

// A label measures as it does under options made for its own font and the decimal separator
// in force, whatever fonts and separators the labels before it asked for.
TEST(KTAxisScale, ScaleLabelsTakeTheirOwnFontAndSeparator)
{
    struct Row
    {
        std::int32_t size;
        BYTE italic;
        char decimal;
        const char* text;
    };
    const Row rows[] = {{388, 0, '.', "-2.5"}, {600, 0, '.', "-2.5"}, {388, 1, '.', "-2.5"},
                        {388, 0, ',', "-2,5"}, {388, 0, '.', "-2.5"}, {200, 0, ',', "10^3"},
                        {200, 0, ',', "-2,5"}, {388, 0, '.', "pi/2"}};
    MetricDC m;
    for (const Row& row : rows) {
        const kttest::LocaleScope locale(row.decimal, row.decimal == ',' ? ';' : ',');
        KTLogFont font;
        font.m_size = row.size;
        font.m_logFont.lfItalic = row.italic;
        KTEOptions own(KTEPresetGraphing);
        own.m_font.SetValue(font);
        own.m_negativeNumberStyle.m_value = 1;
        KTEEquation equation;
        equation.SetText(row.text, own);
        equation.SignLeadingMinus();
        const KTEExtent extent = equation.GetExtent(&m.dc, own);
        const CSize expected(extent.width, extent.height);
        EXPECT_EQ(KTMeasureScaleLabel(m.dc, row.text, font), expected) << row.size << row.text;
        CSize typeset;
        KTTypesetScaleLabel(m.dc, row.text, font, typeset);
        EXPECT_EQ(typeset, expected) << row.size << row.text;
    }
}

TEST(KTAxes, LayoutWithDefaults)
{
    MetricDC m;
    KTAxes axes;
    const KTOptionAxes2 options;
    EXPECT_EQ(axes.Layout(0, 0, 13450, -11000, 0, 0, 0, 0, options, m.dc), 0);
    KTAxis& x = axes.m_xAxis;
    KTAxis& y = axes.m_yAxis;
    EXPECT_EQ(x.m_isX, 1);
    EXPECT_EQ(y.m_isX, 0);
    EXPECT_NEAR(x.m_min, -11.25, 1e-12);
    EXPECT_NEAR(y.m_max, 11.25, 1e-12);
    // The x axis runs through the y axis's 0 and the y axis through the x axis's 0.
    EXPECT_EQ(x.m_pixel.top, y.ValueToPixel(0.0));
    EXPECT_EQ(x.m_pixel.bottom, x.m_pixel.top);
    EXPECT_EQ(y.m_pixel.left, x.ValueToPixel(0.0));
    // Inside the drawing rectangle, y growing upwards.
    EXPECT_GT(x.m_pixel.left, 0);
    EXPECT_LT(x.m_pixel.right, 13450);
    EXPECT_GT(y.m_pixel.top, -11000);
    EXPECT_LT(y.m_pixel.bottom, 0);
    EXPECT_LT(y.m_pixel.top, y.m_pixel.bottom);
    EXPECT_EQ(x.m_crossExtent[0], y.m_pixel.top);
    EXPECT_EQ(x.m_crossExtent[1], y.m_pixel.bottom);
    EXPECT_EQ(y.m_crossExtent[0], x.m_pixel.left);
    EXPECT_EQ(y.m_crossExtent[1], x.m_pixel.right);
    EXPECT_EQ(axes.m_xAxisAtTop, 0);
    EXPECT_EQ(axes.m_yAxisAtRight, 0);
    EXPECT_EQ(axes.m_mapModeMetric, 1);
    EXPECT_EQ(axes.m_yDirection, -1.0);
    // Samples count the device pixels of the extent.
    CRect device = x.m_pixel;
    m.dc.LPtoDP(&device);
    EXPECT_EQ(x.m_devicePixel, device);
}

TEST(KTAxes, LayoutOfNegativeRangesPutsTheAxesAtTheFarSides)
{
    MetricDC m;
    KTAxes axes;
    KTOptionAxes2 options = RangeOptions("-10", "-2");
    options.m_allowBreakScales.m_value = 0;
    axes.Layout(0, 0, 13450, -11000, 0, 0, 0, 0, options, m.dc);
    EXPECT_EQ(axes.m_xAxisAtTop, 1);
    EXPECT_EQ(axes.m_yAxisAtRight, 1);
    EXPECT_EQ(axes.m_xAxis.m_atFarSide, 1);
    EXPECT_EQ(axes.m_yAxis.m_otherAtFarSide, 1);
    EXPECT_EQ(axes.m_xAxis.m_max, 0.0);
    EXPECT_EQ(axes.m_xAxis.ValueToPixel(0.0), axes.m_xAxis.m_pixel.right);
    EXPECT_EQ(axes.m_yAxis.ValueToPixel(0.0), axes.m_yAxis.m_pixel.bottom);
}

TEST(KTAxes, EqualScales)
{
    for (BYTE rectBias : {0, 1}) {
        MetricDC m;
        KTAxes axes;
        KTOptionAxes2 options;
        options.m_scaleRestriction.m_value = 1;
        options.m_rectBias.m_value = rectBias;
        axes.Layout(0, 0, 13450, -11000, 0, 0, 0, 0, options, m.dc);
        const KTAxis& x = axes.m_xAxis;
        const KTAxis& y = axes.m_yAxis;
        const double ppuX = (x.PixelHigh() - x.PixelLow()) / (x.m_max - x.m_min);
        const double ppuY = (y.PixelHigh() - y.PixelLow()) / (y.m_max - y.m_min);
        EXPECT_NEAR(ppuX / ppuY, 1.0, 0.002) << int(rectBias);
        // The y axis still stands at the x axis's 0.
        EXPECT_NEAR(y.m_pixel.left, axes.m_xAxis.ValueToPixel(0.0), 1) << int(rectBias);
        EXPECT_EQ(y.m_pixel.left, y.m_pixel.right);
        if (rectBias) {
            EXPECT_GT(x.m_max, 11.25); // the wider axis shows more of the range
        } else {
            EXPECT_NEAR(x.m_max, 11.25, 1e-9); // the wider axis is drawn shorter
        }
    }
    // A full turn in degrees would be squeezed flat: no equal scales then.
    MetricDC m;
    KTAxes turn;
    KTAxes plain;
    KTOptionAxes2 options;
    plain.Layout(0, 0, 13450, -11000, 0, 0, 0, 0, options, m.dc);
    options.m_scaleRestriction.m_value = 1;
    options.m_fullTurn = 1;
    turn.Layout(0, 0, 13450, -11000, 0, 0, 0, 0, options, m.dc);
    EXPECT_EQ(turn.m_xAxis.m_pixel, plain.m_xAxis.m_pixel);
}

TEST(KTAxes, MeasuredScales)
{
    MetricDC m;
    KTAxes axes;
    KTOptionAxes2 options;
    options.m_scaleRestriction.m_value = 2;
    options.m_xScaleMeasurement.m_value = 1000.0; // 1 cm per unit
    options.m_yScaleMeasurement.m_value = 500.0;
    axes.Layout(0, 0, 13450, -11000, 0, 0, 0, 0, options, m.dc);
    const KTAxis& x = axes.m_xAxis;
    const KTAxis& y = axes.m_yAxis;
    EXPECT_NEAR((x.PixelHigh() - x.PixelLow()) / (x.m_max - x.m_min), 1000.0, 1e-6);
    EXPECT_NEAR((y.PixelHigh() - y.PixelLow()) / (y.m_max - y.m_min), 500.0, 1e-6);
}

TEST(KTAxes, LayoutAndDrawingSurviveWildInputs)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Row
    {
        CRect area;
        double data[4];
        const char* texts[4]; // x min, x max, y min, y max
        int restriction;
        BYTE autoRange;
    };
    const Row rows[] = {
        {CRect(0, 0, 13450, -11000), {nan, nan, inf, -inf}, {"-10", "10", "-10", "10"}, 0, 1},
        {CRect(0, 0, 13450, -11000), {KTUndefinedValue, 1e300, -1e300, 0}, {"-10", "10", "-10", "10"}, 1, 1},
        {CRect(0, 0, 13450, -11000), {0, 0, 0, 0}, {"xyz", "1/0", "-1/0", "-"}, 1, 0},
        {CRect(0, 0, 13450, -11000),
         {0, 0, 0, 0},
         {"-99999999999", "99999999999", "0.000001", "0.000002"},
         2,
         0},
        {CRect(0, 0, 13450, -11000), {0, 0, 0, 0}, {"-11", "-11", "3", "3"}, 1, 0},
        {CRect(0, 0, 1000, -800), {0, 0, 0, 0}, {"-10", "10", "-10", "10"}, 1, 0},
        {CRect(0, 0, 0, 0), {0, 0, 0, 0}, {"-10", "10", "-10", "10"}, 1, 0},
        {CRect(5000, -5000, 0, 0), {0, 0, 0, 0}, {"-10", "10", "-10", "10"}, 1, 0},
    };
    for (const Row& row : rows) {
        KTOptionAxes2 options;
        options.m_xMinShowS.SetValue(row.texts[0]);
        options.m_xMaxShowS.SetValue(row.texts[1]);
        options.m_yMinShowS.SetValue(row.texts[2]);
        options.m_yMaxShowS.SetValue(row.texts[3]);
        options.m_autoMinx.m_value = options.m_autoMaxx.m_value = row.autoRange;
        options.m_autoMiny.m_value = options.m_autoMaxy.m_value = row.autoRange;
        options.m_scaleRestriction.m_value = row.restriction;
        options.m_showGrid.m_value = 1;
        options.m_showOrigin.m_value = 1;
        MetricDC m;
        m.dc.SetRecording(true);
        KTAxes axes;
        axes.Layout(row.area.left, row.area.top, row.area.right, row.area.bottom, row.data[0], row.data[1],
                    row.data[2], row.data[3], options, m.dc);
        const std::string where = std::string(row.texts[0]) + " " + std::to_string(row.data[0]);
        EXPECT_EQ(axes.m_xAxis.m_isX, 1) << where;
        EXPECT_EQ(axes.m_yAxis.m_isX, 0) << where;
        for (const KTAxis* axis : {&axes.m_xAxis, &axes.m_yAxis}) {
            EXPECT_TRUE(std::isfinite(axis->m_min) && std::isfinite(axis->m_max)) << where;
            EXPECT_LT(axis->m_min, axis->m_max) << where;
        }
        axes.Draw(m.dc);
        EXPECT_LT(m.dc.GetRecords().size(), 20000u) << where;
    }
}

TEST(KTAxes, DrawingAxesNeverLaidOut)
{
    MetricDC m;
    m.dc.SetRecording(true);
    KTAxes axes;
    axes.m_options.m_showGrid.m_value = 1;
    axes.m_options.m_showOrigin.m_value = 1;
    axes.Draw(m.dc);
    for (const KTDCRecord& record : m.dc.GetRecords())
        EXPECT_NE(record.kind, KTDCRecordKind::Ellipse);
}
