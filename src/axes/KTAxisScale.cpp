#include "axes/KTAxisScale.h"

#include "foundation/KTFontSelector.h"
#include "foundation/KTNumberFormat.h"
#include "foundation/KTNumberTexts.h"
#include "axes/KTAxis.h"
#include "axes/KTScaleTables.h"
#include "axes/KTUndefined.h"
#include "platform/KTDC.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

namespace {

/// Label texts up to this many characters (sign left out) stay plain decimals.
constexpr int kPlainLabelLength = 7;
/// A range on one side of 0 keeps its near end (with a break) while its distance from 0 is less
/// than this many times its span: a view zoomed to 1e-10 around 2 is that view, not 0 to 2.
/// Beyond it the range is a few thousand doubles wide and no view of its own.
constexpr double kBreakRatio = 1e12;

/// The values of a step table's entries, evaluated once per table.
double EntryValue(const KTStepTable& table, int i)
{
    return EvaluateNumberText(CString(table[i]), nullptr);
}

/// A typed end when it is defined, else the fallback when that is, else the last resort.
double DefinedOr(double value, double fallback, double lastResort)
{
    if (!KTIsUndefined(value))
        return value;
    return KTIsUndefined(fallback) ? lastResort : fallback;
}

/// A typed step is used only when it is a step at all and the range holds a bounded number of
/// them; otherwise a line loop over the range could run for ever.
bool UsableTypedStep(const CString& text, double span)
{
    const double step = KTStepValue(text);
    return step > 0.0 && span / step <= KTMaxAxisSteps;
}

/// The 1-2-5 step of sequence number n: 1, 2 or 5 times 10^floor(n / 3), written in plain
/// decimals as the step table writes its entries ("0.0000000000005", "20000000000000").
CString OneTwoFiveText(int n)
{
    const int decade = n >= 0 ? n / 3 : -((-n + 2) / 3);
    const char digit = "125"[n - 3 * decade];
    std::string text;
    if (decade >= 0) {
        text = std::string(1, digit) + std::string(static_cast<std::size_t>(decade), '0');
    } else {
        text = "0." + std::string(static_cast<std::size_t>(-decade - 1), '0') + digit;
    }
    return CString(text.c_str());
}

/// The 1-2-5 steps beyond the table: the first one above target and the one two places below,
/// as the table would give them were it long enough. False for a target that is not a positive
/// number between 1e-300 and 1e300.
bool OneTwoFiveSteps(double target, CString& major, CString& minor)
{
    if (!(target >= 1e-300 && target <= 1e300))
        return false;
    // Sequence number 3 d + i stands for (1, 2, 5)[i] x 10^d; start a little below the target's
    // decade and walk up, comparing with the texts' own values as the table search does.
    int n = 3 * static_cast<int>(std::floor(std::log10(target))) - 3;
    while (!(EvaluateNumberText(OneTwoFiveText(n), nullptr) > target))
        ++n;
    major = OneTwoFiveText(n);
    minor = OneTwoFiveText(n - 2);
    return true;
}

/// The power of ten of the last significant digit that the multiples of a step need: -2 for
/// 0.25, 0 for 5, 11 for 200000000000. Steps with more than 17 significant digits are taken as
/// far as a double holds them.
int LastDigitPower(double step)
{
    const int top = static_cast<int>(std::floor(std::log10(step)));
    for (int power = top; power > top - 17; --power) {
        const double scaled = step / std::pow(10.0, power);
        if (std::fabs(scaled - std::round(scaled)) <= 1e-9 * scaled)
            return power;
    }
    return top - 17;
}

/// A label in plain decimals with the given places (trailing zeros dropped, plain minus).
CString PlainLabel(double value, int places)
{
    return KTNumberFormat().Format(value, std::max(0, places));
}

/// A label as mantissa times a power of ten, the mantissa carrying the digits down to
/// 10^lastDigit: "5*10^-7", "1.0002*10^6". The typesetter raises the power.
CString PowerLabel(double value, int lastDigit)
{
    if (value == 0.0)
        return "0";
    int power = static_cast<int>(std::floor(std::log10(std::fabs(value))));
    int places = std::max(0, power - lastDigit);
    CString mantissa = PlainLabel(value / std::pow(10.0, power), places);
    // Rounding may carry the mantissa to 10 ("9.99..." of a value just below a power).
    const double scale = std::pow(10.0, places);
    if (std::round(std::fabs(value) / std::pow(10.0, power) * scale) / scale >= 10.0) {
        ++power;
        places = std::max(0, power - lastDigit);
        mantissa = PlainLabel(value / std::pow(10.0, power), places);
    }
    return mantissa + "*10^" + CString(std::to_string(power).c_str());
}

/// Characters a label takes when read, the sign left out; "*10^" counts as the three of "x10".
int LabelLength(const CString& text)
{
    int length = text.GetLength();
    if (text.GetAt(0) == '-')
        --length;
    if (text.Find('^') >= 0)
        --length;
    return length;
}

CString FormatLabel(double value, double step)
{
    return KTNumberLabelTexts({value}, step > 0.0 ? step : 1.0).front();
}

/// A step text that stands for an ordinary number (a decimal or a whole number), whose labels are
/// written from their values; fractions and multiples of pi or e keep their exact texts.
bool IsPlainNumberText(const CString& text)
{
    const int kind = ClassifyNumberText(text);
    if (kind == KTDecimalNumberText)
        return true;
    if (kind != KTExactNumberText)
        return false;
    const std::string& s = text.str();
    return !s.empty() && s.find_first_not_of("-0123456789") == std::string::npos;
}

/// The box of a text in a font, measured as plain text.
CSize MeasureText(KTDC& dc, const CString& text, const KTLogFont& font)
{
    KTFontSelector selector(font, 1.0);
    selector.Select(dc, true);
    const CSize size = dc.GetTextExtent(text);
    selector.Restore(dc);
    return size;
}

} // namespace

void KTAxisRange(KTOptionAxes2& options, bool isX, double dataMin, double dataMax, double& min, double& max)
{
    KTNumberText reader;
    reader.m_bErrorValue = true;
    const double typedMin = reader.ToDouble((isX ? options.m_xMinShowS : options.m_yMinShowS).GetValue());
    const double typedMax = reader.ToDouble((isX ? options.m_xMaxShowS : options.m_yMaxShowS).GetValue());
    const bool autoMin = (isX ? options.m_autoMinx : options.m_autoMiny).m_value != 0;
    const bool autoMax = (isX ? options.m_autoMaxx : options.m_autoMaxy).m_value != 0;
    const bool adjust = options.m_adjustScaleToIncludeData.m_value != 0;

    if (autoMin || (adjust && typedMin > dataMin && !KTIsUndefined(dataMin)))
        min = DefinedOr(dataMin, typedMin, -10.0);
    else
        min = DefinedOr(typedMin, dataMin, -10.0);
    if (autoMax || (adjust && typedMax < dataMax && !KTIsUndefined(dataMax)))
        max = DefinedOr(dataMax, typedMax, 10.0);
    else
        max = DefinedOr(typedMax, dataMax, 10.0);
}

double KTStepValue(const CString& text)
{
    if (ClassifyNumberText(text) == KTNotANumberText)
        return 0.0;
    const double step = EvaluateNumberText(text, nullptr);
    return step > 0.0 && !KTIsUndefined(step) ? step : 0.0;
}

bool KTIsStepMultiple(double v, double step)
{
    return step > 0.0 && std::fabs(v - step * std::round(v / step)) <= 0.00001;
}

bool KTTypedStepHides(const CString& typedStep)
{
    return EvaluateNumberText(typedStep, nullptr) == 0.0;
}

bool KTNearArrowHead(const KTAxis& axis, int pixel, double clearance)
{
    if (axis.m_hasBreak)
        return false;
    const double low = axis.PixelLow();
    const double high = axis.PixelHigh();
    const double direction = high >= low ? 1.0 : -1.0;
    if (axis.m_min < 0.0 && (pixel - low) * direction < clearance)
        return true;
    return axis.m_max > 0.0 && (high - pixel) * direction < clearance;
}

std::vector<CString> KTNumberLabelTexts(const std::vector<double>& values, double step)
{
    const int lastDigit = step > 0.0 && std::isfinite(step) ? LastDigitPower(step) : 0;
    std::vector<CString> plain;
    std::vector<CString> powers;
    int plainLength = 0;
    int powerLength = 0;
    for (double value : values) {
        plain.push_back(PlainLabel(value, -lastDigit));
        powers.push_back(PowerLabel(value, lastDigit));
        plainLength = std::max(plainLength, LabelLength(plain.back()));
        powerLength = std::max(powerLength, LabelLength(powers.back()));
    }
    // Seven characters read at a glance ("0.00001", "1000000"); beyond them the power of ten
    // is taken where it is shorter, which it is for very large and very small numbers but not
    // for the many digits of a narrow view far from 0 ("1000000.0002").
    return plainLength <= kPlainLabelLength || plainLength <= powerLength ? plain : powers;
}

std::vector<KTAxisLabel> KTLinearAxisLabels(const KTAxis& axis, bool includeZero)
{
    std::vector<KTAxisLabel> labels;
    const double major = KTStepValue(axis.m_majorText);
    if (major <= 0.0)
        return labels;
    const double first = std::ceil(axis.m_min / major);
    if (!std::isfinite(first))
        return labels;

    // Ordinary numbers are written from their values, with the digits the step needs. Other
    // texts are built exactly from the step text while the multiples fit the exact form; a
    // multiple far from 0 is shown as a decimal.
    const bool fromValues = IsPlainNumberText(axis.m_majorText);
    const bool exact = !fromValues && std::fabs(first) < std::numeric_limits<int>::max() / 2;
    CString text = axis.m_majorText;
    if (!exact || !MultiplyNumberText(text, static_cast<int>(first)))
        text.Empty();

    double k = first;
    int shown = 0;
    for (int n = 0; n < KTMaxAxisSteps && shown < KTMaxAxisLabels; ++n, k += 1.0) {
        const double value = k * major;
        if (!(value <= axis.m_max))
            break;
        if (k != 0.0 || includeZero) {
            // Number labels get their texts below, all in one form.
            const CString written = fromValues       ? CString()
                                    : text.IsEmpty() ? FormatLabel(value, major)
                                                     : text;
            labels.push_back({k == 0.0 ? 0.0 : value, written});
            if (k != 0.0)
                ++shown;
        }
        if (text.IsEmpty() || !AddNumberText(text, axis.m_majorText))
            text.Empty();
    }
    if (fromValues) {
        std::vector<double> values;
        for (const KTAxisLabel& label : labels)
            values.push_back(label.value);
        const std::vector<CString> texts = KTNumberLabelTexts(values, major);
        for (std::size_t i = 0; i < labels.size(); ++i)
            labels[i].text = texts[i];
    }
    return labels;
}

std::vector<KTAxisLabel> KTLogAxisLabels(const KTAxis& axis)
{
    std::vector<KTAxisLabel> labels;
    const int high = std::min(axis.m_decadeHigh, KTPowerStepTable.Last() - 1);
    for (int d = std::max(axis.m_decadeLow, 1); d <= high; ++d)
        labels.push_back({EntryValue(KTPowerStepTable, d), CString(KTPowerSteps[d])});
    return labels;
}

void KTAxis::ChooseSteps()
{
    const double target = (m_max - m_min) * 0.125;

    KTStepTable table = KTScaleStepTable;
    if (m_maxText.Find("pi") >= 0)
        table = KTPiStepTable;
    else if (CString(KTDegreeList).Find((" " + m_maxText + ",").c_str()) >= 0)
        table = KTDegreeStepTable;

    // The sentinel ends the search: a range too wide for the table (or not a number) gets it.
    int i = 2;
    while (i < table.Last() && !(EntryValue(table, i) > target))
        ++i;
    m_majorText = table[i];
    m_minorText = table[i - 2];
    // Past the ends of a table (a view of +-1e12, or of +-1e-12) the 1-2-5 steps go on, so that
    // every view has ticks and labels: past the last entry, below the first ones of the 1-2-5
    // table, and where the first usable pi or degree step is wider than half the range.
    const bool pastTop = i == table.Last();
    const bool pastBottom = table.entries == KTScaleStepTable.entries ? target < EntryValue(table, 1)
                                                                      : EntryValue(table, 2) > 4.0 * target;
    if (pastTop || pastBottom)
        OneTwoFiveSteps(target, m_majorText, m_minorText);

    const double span = std::fabs(m_max - m_min);
    const bool autoMajor = (m_isX ? m_options.m_autoxMajor : m_options.m_autoyMajor).m_value != 0;
    const bool autoMinor = (m_isX ? m_options.m_autoxMinor : m_options.m_autoyMinor).m_value != 0;
    const CString typedMajor = (m_isX ? m_options.m_xMajorS : m_options.m_yMajorS).GetValue();
    const CString typedMinor = (m_isX ? m_options.m_xMinorS : m_options.m_yMinorS).GetValue();
    if (!autoMajor && UsableTypedStep(typedMajor, span))
        m_majorText = typedMajor;
    if (!autoMinor && UsableTypedStep(typedMinor, span))
        m_minorText = typedMinor;
}

int KTAxis::Fit(int left, int top, int right, int bottom, double dataMin, double dataMax, BYTE measuring,
                BYTE logScale, KTDC& dc, const KTOptionAxes2& options)
{
    m_options = options;
    m_breakType = m_options.m_breakType.GetValue();
    const int pip = m_options.m_axisPipSize.GetValue();
    m_options.m_arrowSize.GetValue();
    m_options.m_arrowRatio.GetValue();
    const int gap = m_options.m_standardGap.GetValue();
    const int breakWidth = m_options.m_breakWidth.GetValue();
    const int breakHeight = m_options.m_breakHeight.GetValue();
    m_measuring = measuring;

    m_mapModeMetric = dc.GetMapMode() == MM_HIMETRIC ? 1 : 0;
    m_yDirection = m_mapModeMetric ? -1.0 : 1.0;

    m_isX = left != right ? 1 : 0;
    m_edge = CRect(left, top, right, bottom);

    double min = 0.0;
    double max = 0.0;
    KTAxisRange(m_options, m_isX != 0, dataMin, dataMax, min, max);
    m_maxText = (m_isX ? m_options.m_xMaxShowS : m_options.m_yMaxShowS).GetValue();
    m_pixel = m_edge;

    if (m_options.m_scaleRestriction.GetValue() == 2) {
        min *= 1000.0;
        max *= 1000.0;
    }
    m_fittedMin = min;
    m_fittedMax = max;
    m_logScale = logScale;

    if (max < min)
        max = min;
    if (max == min) {
        max = (max + 1.0) * 1.1;
        // Below -11 the rule above lands at or under min; an empty or reversed range has no scale.
        if (!(max > min))
            max = min + std::fabs(min) * 0.1 + 1.0;
    }

    // Break decision: a range on one side of 0 keeps its near end and shows a break mark.
    m_hasBreak = 0;
    const bool positive = min > 0.0 && max > 0.0;
    const bool negative = min < 0.0 && max < 0.0;
    if ((positive || negative) && m_options.m_allowBreakScales.m_value && !logScale) {
        const double span = max - min;
        const double nearEnd = positive ? min : -max;
        const double farEnd = positive ? max : -min;
        const bool autoMin = (m_isX ? m_options.m_autoMinx : m_options.m_autoMiny).m_value != 0;
        if (nearEnd / span < kBreakRatio && (span < farEnd * 0.5 || !autoMin)) {
            m_hasBreak = 1;
            m_breakAt = positive ? CPoint(left, top) : CPoint(right, bottom);
        }
    }

    // Room for the name at the end the arrow points to.
    m_nameSize = MeasureText(dc, (m_isX ? m_options.m_xNotate : m_options.m_yNotate).GetValue(),
                             m_options.m_axisFont.m_value);
    m_midTextSize = CSize(0, 0);
    const CString midText = (m_isX ? m_options.m_xNotateMid : m_options.m_yNotateMid).GetValue();
    if (m_mapModeMetric && !midText.IsEmpty())
        m_midTextSize = MeasureText(dc, midText, m_options.m_midAxisFont.m_value);
    const int nameRoom = (m_isX ? m_nameSize.cx : m_nameSize.cy) + gap;
    if (max > 0.0)
        (m_isX ? m_pixel.right : m_pixel.bottom) -= nameRoom;
    else
        (m_isX ? m_pixel.left : m_pixel.top) += nameRoom;

    if (m_hasBreak) {
        const int breakRoom = 9 * breakWidth;
        if (max > 0.0)
            (m_isX ? m_pixel.left : m_pixel.top) += breakRoom;
        else
            (m_isX ? m_pixel.right : m_pixel.bottom) -= breakRoom;
    }

    m_lowerDataBound = min;
    if (!m_hasBreak) {
        if (min > 0.0)
            min = 0.0;
        else if (max < 0.0)
            max = 0.0;
    }
    m_min = min;
    m_max = max;

    ChooseSteps();

    // Decades of the logarithmic scale; the sentinel and the table's end bound both searches.
    const int lastPower = KTPowerStepTable.Last() - 1;
    int high = 1;
    while (high <= lastPower && EntryValue(KTPowerStepTable, high) <= m_max)
        ++high;
    m_decadeHigh = high - 1;
    int low = 0;
    while (low < lastPower && EntryValue(KTPowerStepTable, low) <= m_lowerDataBound * 0.1)
        ++low;
    m_decadeLow = low;

    // Snap outward to the minor step, then leave a sixteenth of the range beyond the ticks.
    m_minorStep = EvaluateNumberText(m_minorText, nullptr);
    const double m = KTStepValue(m_minorText);
    if (m > 0.0) {
        m_min = m * std::floor(m_min / m);
        m_max = m * std::ceil(m_max / m);
    }
    m_tickMin = m_min;
    m_tickMax = m_max;
    const double margin = (m_max - m_tickMin) / 16.0;
    if (m_min < 0.0)
        m_min -= margin;
    if (m_max > 0.0)
        m_max += margin;
    if (logScale)
        m_max *= 1.5;

    // Room across the axis for the labels of the extreme ticks.
    // The ends, and the longest text: with powers of ten an inner label may be the widest. Each
    // text is typeset once (the ends' texts are often the extreme ticks' own).
    std::vector<CString> texts = {FormatLabel(m_tickMax, m), FormatLabel(m_tickMin, m)};
    const std::vector<KTAxisLabel> labels = KTLinearAxisLabels(*this, false);
    if (!labels.empty() && !m_logScale) {
        const KTAxisLabel* longest = &labels.front();
        for (const KTAxisLabel& label : labels)
            if (label.text.GetLength() > longest->text.GetLength())
                longest = &label;
        for (const KTAxisLabel* label : {&labels.front(), &labels.back(), longest})
            if (std::find(texts.begin(), texts.end(), label->text) == texts.end())
                texts.push_back(label->text);
    }
    CSize widest(0, 0);
    for (const CString& text : texts) {
        const CSize size = KTMeasureScaleLabel(dc, text, m_options.m_scaleFont.m_value);
        widest = CSize(std::max(widest.cx, size.cx), std::max(widest.cy, size.cy));
    }
    const int across = std::max(breakHeight, pip);
    int room = 0;
    if (m_isX) {
        room = static_cast<int>(1.3 * widest.cy) + across + m_midTextSize.cy;
    } else {
        room = std::max(static_cast<int>(widest.cx), gap) + across;
        if (m_midTextSize.cy > 0)
            room += m_midTextSize.cy + gap;
    }

    m_devicePixel = m_pixel;
    dc.LPtoDP(&m_devicePixel);
    return room;
}

void KTAxis::MatchScale(double wanted, BYTE rectBias, int& shiftLow, int& shiftZero)
{
    shiftLow = 0;
    shiftZero = 0;
    const double extent = std::fabs(static_cast<double>(PixelHigh()) - PixelLow());
    const double span = std::fabs(m_max - m_min);
    const double ppu = span > 0.0 ? extent / span : 0.0;
    if (ppu == 0.0 || !std::isfinite(ppu) || !(wanted > 0.0) || !std::isfinite(wanted)) {
        ChooseSteps();
        return;
    }

    const double e = ppu / wanted;
    if (rectBias || e < 1.0) {
        if (m_min <= 0.0 && 0.0 <= m_max) {
            m_min *= e;
            m_max *= e;
            m_tickMin *= e;
            m_tickMax *= e;
        } else if (m_min > 0.0) {
            const double offset = m_min * e - m_min;
            m_max = m_max * e - offset;
            m_tickMax = m_tickMax * e - offset;
        } else {
            const double offset = m_max * e - m_max;
            m_min = m_min * e - offset;
            m_tickMin = m_tickMin * e - offset;
        }
    } else {
        const int oldLow = PixelLow();
        const int oldHigh = PixelHigh();
        const std::int32_t oldZero = ValueToPixel(0.0);
        const double centre = (static_cast<double>(oldLow) + oldHigh) / 2.0;
        const int newLow = static_cast<int>(centre + (oldLow - centre) / e);
        const int newHigh = static_cast<int>(centre + (oldHigh - centre) / e);
        (m_isX ? m_pixel.left : m_pixel.top) = newLow;
        (m_isX ? m_pixel.right : m_pixel.bottom) = newHigh;
        shiftLow = newLow - oldLow;
        if (m_tickMin <= 0.0 && 0.0 <= m_tickMax) {
            const std::int32_t newZero = ValueToPixel(0.0);
            if (newZero != KTNoPixel && oldZero != KTNoPixel)
                shiftZero = newZero - oldZero;
        } else {
            shiftZero = m_tickMin > 0.0 ? newLow - oldLow : newHigh - oldHigh;
            shiftLow = shiftZero;
        }
        // The break mark stays at the end of the axis line it interrupts.
        if (m_hasBreak) {
            const int moved = m_max > 0.0 ? newLow - oldLow : newHigh - oldHigh;
            (m_isX ? m_breakAt.x : m_breakAt.y) += moved;
        }
    }
    ChooseSteps();
}
