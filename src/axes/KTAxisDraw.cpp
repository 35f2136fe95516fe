#include "axes/KTAxis.h"

#include "foundation/KTFontSelector.h"
#include "foundation/KTNumberTexts.h"
#include "foundation/KTPenSelector.h"
#include "foundation/RoundHalfUp.h"
#include "axes/KTAxisScale.h"
#include "axes/KTScaleTables.h"
#include "platform/KTDC.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

/// Open arrowhead at end, pointing along (dx, dy) (a unit step along one axis).
void DrawArrowHead(KTDC& dc, CPoint end, int dx, int dy, int length, int width)
{
    const CPoint back(end.x - dx * length, end.y - dy * length);
    dc.MoveTo(back.x + dy * width, back.y + dx * width);
    dc.LineTo(end);
    dc.MoveTo(back.x - dy * width, back.y - dx * width);
    dc.LineTo(end);
}

/// A tick label as the axis weighs it: the box it would be drawn in, its extent along the axis
/// from the axis's low end, and the multiple of the step (or the decade) it stands at.
struct LabelCandidate
{
    KTPlacedLabel label;
    double from = 0.0;
    double to = 0.0;
    double multiple = 0.0;
};

/// The labels kept within lowLimit..highLimit along the axis. One that reaches a little way past
/// a limit is moved clear, while its tick stays under it (a third of its size); one that reaches
/// further is left out. In order along the axis.
std::vector<LabelCandidate> ClearOfTheEnds(const std::vector<LabelCandidate>& candidates, double lowLimit,
                                           double highLimit, bool isX, double direction)
{
    std::vector<LabelCandidate> clear;
    for (LabelCandidate c : candidates) {
        double shift = 0.0;
        if (c.to > highLimit)
            shift = highLimit - c.to;
        else if (c.from < lowLimit)
            shift = lowLimit - c.from;
        if (std::fabs(shift) > (c.to - c.from) / 3.0 || c.from + shift < lowLimit || c.to + shift > highLimit)
            continue;
        const int moved = static_cast<int>(std::lround(shift * direction));
        c.label.box.OffsetRect(isX ? moved : 0, isX ? 0 : moved);
        c.from += shift;
        c.to += shift;
        clear.push_back(c);
    }
    std::sort(clear.begin(), clear.end(),
              [](const LabelCandidate& x, const LabelCandidate& y) { return x.from < y.from; });
    return clear;
}

/// The labels at the multiples of the smallest stride of 1, 2, 5, 10, 20, 50... that leaves
/// `space` between neighbours (at least one label stays), in the order of their values.
std::vector<KTPlacedLabel> Thinned(const std::vector<LabelCandidate>& clear, double space)
{
    std::vector<KTPlacedLabel> kept;
    double stride = 1.0;
    for (int round = 0; round < 60; ++round) {
        kept.clear();
        double lastEnd = -std::numeric_limits<double>::infinity();
        bool fits = true;
        for (const LabelCandidate& c : clear) {
            if (std::fmod(c.multiple, stride) != 0.0)
                continue;
            fits = fits && c.from >= lastEnd + space;
            lastEnd = c.to;
            kept.push_back(c.label);
        }
        if (fits || kept.size() <= 1)
            break;
        const double decade = std::pow(10.0, std::floor(std::log10(stride) + 1e-9));
        const double digit = stride / decade;
        stride = digit < 1.5 ? 2.0 * decade : digit < 3.5 ? 5.0 * decade : 10.0 * decade;
    }
    std::sort(kept.begin(), kept.end(),
              [](const KTPlacedLabel& x, const KTPlacedLabel& y) { return x.value < y.value; });
    return kept;
}

} // namespace

void KTAxis::DrawGridLines(KTDC& dc)
{
    m_options.m_axisPipSize.GetValue();
    const double clearance = 1.5 * m_options.m_arrowSize.GetValue();
    m_options.m_arrowRatio.GetValue();
    const bool minorHidden = KTTypedStepHides((m_isX ? m_options.m_xMinorS : m_options.m_yMinorS).GetValue());
    const bool majorHidden = KTTypedStepHides((m_isX ? m_options.m_xMajorS : m_options.m_yMajorS).GetValue());

    auto line = [&](int p) {
        if (p == KTNoPixel || KTNearArrowHead(*this, p, clearance))
            return;
        if (m_isX) {
            dc.MoveTo(p, m_crossExtent[0]);
            dc.LineTo(p, m_crossExtent[1]);
        } else {
            dc.MoveTo(m_crossExtent[0], p);
            dc.LineTo(m_crossExtent[1], p);
        }
    };

    KTPenSelector minorPen((m_isX ? m_options.m_xGridMinorPen : m_options.m_yGridMinorPen).m_value, 1.0);
    KTPenSelector majorPen((m_isX ? m_options.m_xGridMajorPen : m_options.m_yGridMajorPen).m_value, 1.0);

    if (m_logScale) {
        const int first = std::max(m_decadeLow, 0);
        const int last = std::min(m_decadeHigh, KTPowerStepTable.Last() - 1);
        const int firstMajor = std::max(m_decadeLow, 1);
        if (!minorHidden) {
            minorPen.Select(dc);
            for (int d = first; d <= last; ++d) {
                const double power = EvaluateNumberText(CString(KTPowerSteps[d]), nullptr);
                const double next = EvaluateNumberText(CString(KTPowerSteps[d + 1]), nullptr);
                for (int k = d >= firstMajor ? 2 : 1; k * power < next && k * power <= m_max; ++k)
                    line(ValueToPixel(k * power));
            }
            minorPen.Restore(dc);
        }
        if (!majorHidden) {
            majorPen.Select(dc);
            for (int d = firstMajor; d <= last; ++d)
                line(ValueToPixel(EvaluateNumberText(CString(KTPowerSteps[d]), nullptr)));
            majorPen.Restore(dc);
        }
        return;
    }

    const double major = KTStepValue(m_majorText);
    const double minor = KTStepValue(m_minorText);
    auto pass = [&](double step, bool skipMajor) {
        const double first = std::ceil(m_min / step);
        if (!std::isfinite(first))
            return;
        double k = first;
        for (int n = 0; n < KTMaxAxisSteps; ++n, k += 1.0) {
            const double v = k * step;
            if (!(v <= m_max))
                break;
            if (k == 0.0 || (skipMajor && KTIsStepMultiple(v, major)))
                continue;
            line(ValueToPixel(v));
        }
    };
    if (!minorHidden && minor > 0.0) {
        minorPen.Select(dc);
        pass(minor, true);
        minorPen.Restore(dc);
    }
    if (!majorHidden && major > 0.0) {
        majorPen.Select(dc);
        pass(major, false);
        majorPen.Restore(dc);
    }
}

void KTAxis::DrawEnds(KTDC& dc)
{
    m_breakType = m_options.m_breakType.GetValue();
    const int w = m_max < 0.0 ? -m_options.m_breakWidth.GetValue() : m_options.m_breakWidth.GetValue();
    const int h = m_options.m_breakHeight.GetValue();
    const int t = m_options.m_axisPipSize.GetValue();

    // Offsets along the axis in units of w, across it (turned over) in h or t.
    auto at = [&](int along, int across) {
        across = -across;
        return m_isX ? CPoint(m_breakAt.x + along, m_breakAt.y + across)
                     : CPoint(m_breakAt.x + across, m_breakAt.y + along);
    };
    auto segment = [&](CPoint from, CPoint to) {
        dc.MoveTo(from);
        dc.LineTo(to);
    };

    switch (m_breakType) {
    case KTBREAKTYPE_ZED:
        segment(at(0, -t), at(0, t));
        segment(at(0, 0), at(2 * w, 0));
        dc.MoveTo(at(2 * w, 0));
        dc.LineTo(at(3 * w, -h));
        dc.LineTo(at(5 * w, h));
        dc.LineTo(at(6 * w, 0));
        dc.LineTo(at(9 * w, 0));
        break;
    case KTBREAKTYPE_PARALLELS:
        segment(at(0, -t), at(0, t));
        segment(at(0, 0), at(3 * w, 0));
        segment(at(2 * w, h), at(4 * w, -h));
        segment(at(4 * w, h), at(6 * w, -h));
        segment(at(5 * w, 0), at(9 * w, 0));
        break;
    case KTBREAKTYPE_JOINED: segment(at(0, 0), at(9 * w, 0)); break;
    case KTBREAKTYPE_BIGGAP: break;
    case KTBREAKTYPE_GAP:
    default:
        segment(at(0, -t), at(0, t));
        segment(at(0, 0), at(3 * w, 0));
        segment(at(5 * w, 0), at(9 * w, 0));
        break;
    }
}

std::vector<KTPlacedLabel> KTAxis::PlaceLabels(KTDC& dc)
{
    if (!(m_isX ? m_options.m_showxScale : m_options.m_showyScale).m_value)
        return {};
    const int up = dc.GetMapMode() == MM_HIMETRIC ? 1 : -1;
    const int t = m_options.m_axisPipSize.GetValue();
    const int arrow = m_options.m_arrowSize.GetValue();
    const double ratio = m_options.m_arrowRatio.GetValue();
    const KTLogFont& font = m_options.m_scaleFont.m_value;
    const int axisY = m_pixel.top;
    const int axisX = m_pixel.left;
    const double low = PixelLow();
    const double direction = PixelHigh() >= PixelLow() ? 1.0 : -1.0;

    // Each label in the box Draw puts it in: centred under (or over) its tick on the x axis,
    // level with it left of the y axis.
    std::vector<LabelCandidate> candidates;
    const double major = KTStepValue(m_majorText);
    const std::vector<KTAxisLabel> labels =
        m_logScale ? KTLogAxisLabels(*this) : KTLinearAxisLabels(*this, true);
    int tallest = 0;
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const KTAxisLabel& label = labels[i];
        const std::int32_t p = ValueToPixel(label.value);
        if ((label.value == 0.0 && !m_measuring) || p == KTNoPixel ||
            (m_logScale && KTNearArrowHead(*this, p, 1.5 * arrow)))
            continue;
        CSize size;
        std::shared_ptr<KTEEquation> typeset = KTTypesetScaleLabel(dc, label.text, font, size);
        const int width = size.cx;
        const int height = size.cy;
        CRect box;
        if (m_isX) {
            const int near = m_atFarSide ? axisY + up * t : axisY - up * t;
            box = CRect(p - width / 2, near, p - width / 2 + width,
                        m_atFarSide ? near + up * height : near - up * height);
        } else {
            const int top = p + up * (height / 2);
            box = CRect(axisX - t - width, top, axisX - t, top - up * height);
        }
        box.NormalizeRect();
        LabelCandidate c;
        c.label = {label.value, label.text, box, std::move(typeset)};
        const double a = ((m_isX ? box.left : box.top) - low) * direction;
        const double b = ((m_isX ? box.right : box.bottom) - low) * direction;
        c.from = std::min(a, b);
        c.to = std::max(a, b);
        c.multiple =
            m_logScale ? static_cast<double>(i) : (major > 0.0 ? std::round(label.value / major) : 0.0);
        tallest = std::max(tallest, height);
        candidates.push_back(c);
    }

    // The ends: a label reaches neither beside an arrowhead nor past the end of the axis, where
    // the name stands (the x axis's name beside the line, in the labels' own band).
    const BYTE showLine = (m_isX ? m_options.m_showxAxis : m_options.m_showyAxis).m_value;
    const double length = static_cast<int>(arrow * ratio);
    const bool arrowHigh = showLine && m_max > 0.0 && m_options.m_showPositiveArrows.m_value;
    const bool arrowLow = showLine && m_min < 0.0 && m_options.m_showNegativeArrows.m_value;
    const double highLimit = (PixelHigh() - low) * direction - (arrowHigh ? length : 0.0);
    const double lowLimit = arrowLow ? length : -std::numeric_limits<double>::infinity();
    const std::vector<LabelCandidate> clear =
        ClearOfTheEnds(candidates, lowLimit, highLimit, m_isX != 0, direction);

    // Neighbours keep a space between them: half a label's height along x, a quarter along y.
    return Thinned(clear, m_isX ? tallest / 2.0 : tallest / 4.0);
}

void KTAxis::Draw(KTDC& dc)
{
    // "Up" is towards larger y in MM_HIMETRIC and towards smaller y on a device.
    const int up = dc.GetMapMode() == MM_HIMETRIC ? 1 : -1;
    m_breakType = m_options.m_breakType.GetValue();
    const int t = m_options.m_axisPipSize.GetValue();
    const int arrow = m_options.m_arrowSize.GetValue();
    const double ratio = m_options.m_arrowRatio.GetValue();
    const int gap = m_options.m_standardGap.GetValue();
    const double clearance = 1.5 * arrow;

    // Tick halves: above and below the x axis, right and left of the y axis.
    int above = t, below = t, rightOf = t, leftOf = t;
    switch (m_options.m_tickStyle.GetValue()) {
    case 1: below = leftOf = 0; break;
    case 2: below = rightOf = 0; break;
    case 3: above = leftOf = 0; break;
    case 4: above = rightOf = 0; break;
    default: break;
    }

    const int axisY = m_pixel.top;  // x axis: the line's height
    const int axisX = m_pixel.left; // y axis: the line's position
    const BYTE showLine = (m_isX ? m_options.m_showxAxis : m_options.m_showyAxis).m_value;
    const BYTE showTicks = (m_isX ? m_options.m_showxTicks : m_options.m_showyTicks).m_value;
    const BYTE showScale = (m_isX ? m_options.m_showxScale : m_options.m_showyScale).m_value;
    const KTLogFont& scaleFont = m_options.m_scaleFont.m_value;

    KTPenSelector axisPen((m_isX ? m_options.m_xAxisPen : m_options.m_yAxisPen).m_value, 1.0);
    axisPen.Select(dc);
    const int oldBkMode = dc.SetBkMode(TRANSPARENT);
    const unsigned oldAlign = dc.GetTextAlign();

    if (showLine) {
        if (m_hasBreak)
            DrawEnds(dc);
        dc.MoveTo(m_pixel.left, m_pixel.top);
        dc.LineTo(m_pixel.right, m_pixel.bottom);
        const int length = static_cast<int>(arrow * ratio);
        const int direction = PixelHigh() >= PixelLow() ? 1 : -1;
        const int dx = m_isX ? direction : 0;
        const int dy = m_isX ? 0 : direction;
        if (m_max > 0.0 && m_options.m_showPositiveArrows.m_value)
            DrawArrowHead(dc, CPoint(m_pixel.right, m_pixel.bottom), dx, dy, length, arrow);
        if (m_min < 0.0 && m_options.m_showNegativeArrows.m_value)
            DrawArrowHead(dc, CPoint(m_pixel.left, m_pixel.top), -dx, -dy, length, arrow);
    }

    // The name at the end the arrow points to, the middle text beside the axis.
    {
        KTFontSelector nameFont(m_options.m_axisFont.m_value, 1.0);
        nameFont.Select(dc, true);
        const CString name = (m_isX ? m_options.m_xNotate : m_options.m_yNotate).GetValue();
        if (m_isX && m_tickMax > 0.0) {
            dc.SetTextAlign(TA_LEFT | TA_TOP);
            dc.TextOut(m_pixel.right + gap, axisY, name);
        } else if (m_isX) {
            dc.SetTextAlign(TA_RIGHT | TA_TOP);
            dc.TextOut(m_pixel.left - gap, axisY, name);
        } else if (m_tickMax > 0.0) {
            dc.SetTextAlign(TA_CENTER | TA_BOTTOM);
            dc.TextOut(axisX, PixelHigh() + up * gap, name);
        } else {
            dc.SetTextAlign(TA_CENTER | TA_TOP);
            dc.TextOut(axisX, PixelLow() - up * gap, name);
        }
        nameFont.Restore(dc);
    }

    const std::vector<KTAxisLabel> labels =
        m_logScale ? KTLogAxisLabels(*this) : KTLinearAxisLabels(*this, true);
    const CString midText = (m_isX ? m_options.m_xNotateMid : m_options.m_yNotateMid).GetValue();
    // Label boxes: the y labels are centred on their ticks by them, the middle texts kept clear.
    const std::vector<KTPlacedLabel> placed = PlaceLabels(dc);
    int widestLabel = 0;
    int tallestLabel = 0;
    for (const KTPlacedLabel& label : placed) {
        widestLabel = std::max(widestLabel, static_cast<int>(label.box.Width()));
        tallestLabel = std::max(tallestLabel, static_cast<int>(label.box.Height()));
    }

    if (m_midTextSize.cy > 0 && !midText.IsEmpty()) {
        KTLogFont font = m_options.m_midAxisFont.m_value;
        const int middle = (PixelLow() + PixelHigh()) / 2;
        if (m_isX) {
            // Below the labels, in the room the fitting kept for it.
            const int labelRoom = showScale ? std::max(t, m_options.m_breakHeight.GetValue()) +
                                                  static_cast<int>(1.3 * tallestLabel)
                                            : gap;
            KTFontSelector midFont(font, 1.0);
            midFont.Select(dc, true);
            dc.SetTextAlign(TA_CENTER | TA_TOP);
            dc.TextOut(middle, axisY - up * labelRoom, midText);
            midFont.Restore(dc);
        } else {
            font.m_logFont.lfEscapement = 2700;
            font.m_logFont.lfOrientation = 2700;
            KTFontSelector midFont(font, 1.0);
            midFont.Select(dc, true);
            dc.SetTextAlign(TA_CENTER | TA_TOP);
            dc.TextOut(axisX - leftOf - (showScale ? widestLabel : 0) - gap, middle, midText);
            midFont.Restore(dc);
        }
    }

    // Ticks at the major steps (every k x 10^d on a log axis), labels beside them.
    if (showTicks) {
        auto tick = [&](int p) {
            if (m_isX) {
                dc.MoveTo(p, axisY + up * above);
                dc.LineTo(p, axisY - up * below);
            } else {
                dc.MoveTo(axisX + rightOf, p);
                dc.LineTo(axisX - leftOf, p);
            }
        };
        if (m_logScale) {
            const int last = std::min(m_decadeHigh, KTPowerStepTable.Last() - 1);
            for (int d = std::max(m_decadeLow, 0); d <= last; ++d) {
                const double power = EvaluateNumberText(CString(KTPowerSteps[d]), nullptr);
                for (int k = 1; k < 10 && k * power <= m_max; ++k) {
                    const std::int32_t p = ValueToPixel(k * power);
                    if (p != KTNoPixel && !KTNearArrowHead(*this, p, clearance))
                        tick(p);
                }
            }
        } else {
            for (const KTAxisLabel& label : labels) {
                const std::int32_t p = ValueToPixel(label.value);
                if (p != KTNoPixel)
                    tick(p);
            }
        }
    }

    // Each label in the box placed for it: centred on its tick, or moved clear of an end.
    if (showScale) {
        dc.SetBkMode(m_options.m_blankUnderScale.m_value ? OPAQUE : TRANSPARENT);
        for (const KTPlacedLabel& label : placed) {
            const int centre = label.box.left + label.box.Width() / 2;
            if (m_isX && m_atFarSide) {
                dc.SetTextAlign(TA_CENTER | TA_BOTTOM);
                KTDrawScaleLabel(dc, centre, axisY + up * t, *label.typeset, scaleFont);
            } else if (m_isX) {
                dc.SetTextAlign(TA_CENTER | TA_TOP);
                KTDrawScaleLabel(dc, centre, axisY - up * t, *label.typeset, scaleFont);
            } else {
                dc.SetTextAlign(TA_RIGHT | TA_TOP);
                KTDrawScaleLabel(dc, axisX - t, up > 0 ? label.box.bottom : label.box.top, *label.typeset,
                                 scaleFont);
            }
        }
    }

    dc.SetTextAlign(oldAlign);
    dc.SetBkMode(oldBkMode);
    axisPen.Restore(dc);
}
