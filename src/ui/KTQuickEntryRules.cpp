// The Quick Entry dialog's arithmetic: splitting the typed text into the ten functions, the
// automatic range and step rule, and the scroll bars' set-up. None of it touches a window.

#include "ui/KTQuickEntry.h"

#include "foundation/KTNumberFormat.h"
#include "foundation/KTNumberTexts.h"
#include "axes/KTScaleTables.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

double Value(const CString& text)
{
    return EvaluateNumberText(text, nullptr);
}

// A count for a scroll bar: truncated toward zero, held well inside the int range (a range of
// 1e20 or a step of 1e-300 must not overflow the conversion), 0 for a NaN.
int BarCount(double value)
{
    constexpr double kLimit = 1.0e9;
    if (std::isnan(value))
        return 0;
    if (value > kLimit)
        return static_cast<int>(kLimit);
    if (value < -kLimit)
        return -static_cast<int>(kLimit);
    return static_cast<int>(std::trunc(value));
}

// The maxima that choose degree steps.
bool IsDegreeMaximum(double max)
{
    static constexpr double kDegreeMaxima[] = {90, 135, 180, 270, 360, 450, 540, 720, 1080};
    for (double degrees : kDegreeMaxima) {
        if (max == degrees)
            return true;
    }
    return false;
}

} // namespace

namespace {

/// The position of the first line break of the text and its length ("\r\n" 2, a lone "\r" or
/// "\n" 1); -1 when there is none.
int LineBreak(const CString& text, int& length)
{
    const int cr = text.Find('\r');
    const int lf = text.Find('\n');
    int p = cr;
    if (p < 0 || (lf >= 0 && lf < p))
        p = lf;
    length =
        (p >= 0 && text.GetAt(p) == '\r' && p + 1 < text.GetLength() && text.GetAt(p + 1) == '\n') ? 2 : 1;
    return p;
}

bool IsBlank(CString text)
{
    return text.Trim().IsEmpty();
}

} // namespace

KTQuickEntry::LinePlacement KTQuickEntry::PlaceLines(const CString& typed)
{
    LinePlacement placement;
    CString rest = typed;
    rest.MakeLower();
    // The edit ends its lines with "\r\n"; a pasted text may bring a lone "\r" or "\n".
    for (;;) {
        int breakLength = 0;
        const int p = LineBreak(rest, breakLength);
        if (p < 0) {
            placement.lines.push_back(rest);
            break;
        }
        placement.lines.push_back(rest.Left(p));
        rest = rest.Mid(p + breakLength);
    }
    const int count = static_cast<int>(placement.lines.size());
    placement.functionOf.assign(placement.lines.size(), -1);
    for (int line = 0; line < std::min(count, static_cast<int>(FunctionCount)); ++line) {
        placement.texts[static_cast<std::size_t>(line)] = placement.lines[static_cast<std::size_t>(line)];
        placement.functionOf[static_cast<std::size_t>(line)] = line;
    }
    // A line past the tenth takes the first function whose own line is blank: typed text is
    // never dropped while a function is free, and the lines above keep their functions (and
    // with them their pens and flags).
    int free = 0;
    for (int line = FunctionCount; line < count; ++line) {
        const CString& text = placement.lines[static_cast<std::size_t>(line)];
        if (IsBlank(text))
            continue;
        while (free < FunctionCount && !IsBlank(placement.texts[static_cast<std::size_t>(free)]))
            ++free;
        if (free == FunctionCount) {
            placement.leftOut.push_back(line);
            continue;
        }
        placement.texts[static_cast<std::size_t>(free)] = text;
        placement.functionOf[static_cast<std::size_t>(line)] = free;
        placement.functionOf[static_cast<std::size_t>(free)] = -1; // its blank line is given up
    }
    return placement;
}

std::array<CString, KTQuickEntry::FunctionCount> KTQuickEntry::SplitText(const CString& typed)
{
    return PlaceLines(typed).texts;
}

CString KTQuickEntry::JoinTexts(const std::array<CString, FunctionCount>& texts)
{
    CString joined = texts[0];
    for (int i = 1; i < FunctionCount; ++i)
        joined += "\r\n" + texts[static_cast<std::size_t>(i)];
    return joined;
}

CString KTQuickEntry::SnapMinimum(double min, const CString& stepText)
{
    const double step = Value(stepText);
    if (!(step > 0.0) || !(min <= -step))
        return "0";
    // Counting the steps down one by one takes |min| / step rounds: a min of -1e20 would never
    // finish. The count comes at once; the two corrections give exactly the multiple that the
    // comparison min <= -n * step selects, whatever the rounding of the division.
    const double quotient = std::floor(-min / step);
    if (!std::isfinite(quotient))
        return "0";
    double n = quotient;
    while (n > 0.0 && !(min <= -n * step))
        n -= 1.0;
    while (min <= -(n + 1.0) * step && n + 1.0 != n)
        n += 1.0;
    if (n <= 0.0)
        return "0";
    if (n <= static_cast<double>(std::numeric_limits<int>::max())) {
        CString text = stepText;
        if (MultiplyNumberText(text, -static_cast<int>(n)))
            return text;
    }
    return KTNumberFormat().Format(-n * step);
}

KTQuickEntry::RangeRule KTQuickEntry::ApplyRangeRule(const CString& maxText, const CString& minText,
                                                     double fraction, bool fromScrollBar)
{
    RangeRule rule;
    const double max = Value(maxText);
    double min = Value(minText);
    if (max == 0.0)
        return rule;
    // The origin keeps its relative place in the thumbnail, unless the bar itself moved the max.
    if (fraction != 0.0 && !fromScrollBar)
        min = max - max / fraction;
    const double target = (max - min) / 8.0;

    const KTStepTable* table = &KTScaleStepTable;
    if (maxText.Find("pi") >= 0)
        table = &KTPiStepTable;
    else if (IsDegreeMaximum(max))
        table = &KTDegreeStepTable;

    int chosen = table->Last();
    for (int i = 2; i < table->Last(); ++i) {
        if (EvaluateNumberText((*table)[i], nullptr) > target) {
            chosen = i;
            break;
        }
    }
    rule.changed = true;
    rule.majorText = (*table)[chosen];
    rule.minorText = (*table)[chosen - 2];
    rule.minText = SnapMinimum(min, rule.minorText);
    return rule;
}

KTQuickEntry::BarSetup KTQuickEntry::ComputeBar(const CString& maxText, const CString& minText,
                                                const CString& minorText, const CString& majorText,
                                                bool horizontal)
{
    BarSetup bar;
    const double max = Value(maxText);
    bar.span = max - Value(minText);
    double step = Value(minorText);
    if (step == 0.0)
        step = Value(majorText);
    if (step == 0.0)
        step = 10.0;
    bar.maximum = BarCount(bar.span / step);
    bar.position = horizontal ? BarCount(bar.maximum - max / step) : BarCount(max / step);
    return bar;
}

double KTQuickEntry::OriginFraction(int position, int minimum, int maximum, bool horizontal)
{
    // A bar without span (a range shorter than one step) has the origin nowhere in particular.
    const int span = maximum - minimum;
    if (span == 0)
        return 0.5;
    const double ratio = static_cast<double>(position) / span;
    return horizontal ? 1.0 - ratio : ratio;
}
