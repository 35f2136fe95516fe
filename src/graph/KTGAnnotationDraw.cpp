#include "graph/KTGAnnotation.h"

#include "foundation/KTBrushSelector.h"
#include "foundation/KTFontSelector.h"
#include "foundation/KTLineEndPainter.h"
#include "foundation/KTMarkerPainter.h"
#include "foundation/KTPenSelector.h"
#include "graph/KTOptionsAnnotation.h"
#include "platform/KTDC.h"
#include "typeset/KTEEquation.h"
#include "typeset/KTEOptions.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

int Saturate(std::int64_t value)
{
    return static_cast<int>(
        std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

int SaturateDouble(double value)
{
    if (std::isnan(value))
        return 0;
    return static_cast<int>(std::clamp(value, static_cast<double>(std::numeric_limits<int>::min()),
                                       static_cast<double>(std::numeric_limits<int>::max())));
}

/// Drawing calls get coordinates within +-2^28 (about 2.7 km in hundredths of a millimetre): a
/// damaged file may place a box anywhere in the int range, and what draws there adds widths
/// and offsets to the coordinates it is given.
constexpr int kDrawLimit = 1 << 28;

int ToDraw(int value)
{
    return std::clamp(value, -kDrawLimit, kDrawLimit);
}

CPoint ToDraw(const CPoint& point)
{
    return CPoint(ToDraw(point.x), ToDraw(point.y));
}

std::int64_t Abs64(std::int64_t value)
{
    return value < 0 ? -value : value;
}

/// Lines are measured under the graphing preset but drawn under the general one, so a line's
/// measured and drawn sizes may differ slightly; both read quoted text literally.
KTEOptions TypesetOptions(int preset, const KTLogFont& font)
{
    KTEOptions options(preset);
    options.m_font.SetValue(font);
    options.m_bParseQuotes = 1;
    return options;
}

/// The horizontal alignment and reference x of a line in the box (L, R) by justification.
void LineAnchor(int justify, const CRect& box, int borderGap, unsigned& align, int& x)
{
    switch (justify) {
    case KTJustifyCentre:
        align = TA_CENTER;
        x = Saturate((std::int64_t{box.left} + box.right) / 2);
        break;
    case KTJustifyRight:
        align = TA_RIGHT;
        x = Saturate(std::int64_t{box.right} - borderGap);
        break;
    default: // a stored value outside 0..2 reads as left
        align = TA_LEFT;
        x = Saturate(std::int64_t{box.left} + borderGap);
        break;
    }
}

/// A border pen drawn 2n points wide for a pen of n quarter points: a 0.25 pt border shows 2 pt.
KTLogPen SelectedBorderPen(KTLogPen pen)
{
    const double quarterPoints = std::floor(pen.m_width * 0.11338583409262867 + 0.5);
    pen.m_width = 2.0 * quarterPoints * KTLogPen::kUnitsPerPoint;
    return pen;
}

/// The offset that moves [low, high] inside [from, to]; its low end stays inside when it is
/// longer.
std::int64_t Inside(std::int64_t low, std::int64_t high, std::int64_t from, std::int64_t to)
{
    std::int64_t shift = 0;
    if (high > to)
        shift = to - high;
    if (low + shift < from)
        shift = from - low;
    return shift;
}

/// Moves the box (either corner order) into the area, keeping its size: an annotation whose
/// box would reach past the plot stays readable at its edge.
void KeepWithin(CRect& box, const CRect& area)
{
    const std::int64_t dx =
        Inside(std::min(box.left, box.right), std::max(box.left, box.right), area.left, area.right);
    // The first corner is the box's top: in a mapping with y upwards, the larger y.
    const bool upwards = box.top > box.bottom;
    const std::int64_t low = std::min(box.top, box.bottom);
    const std::int64_t high = std::max(box.top, box.bottom);
    std::int64_t dy = Inside(low, high, area.top, area.bottom);
    // A box taller than the area keeps its top (its first lines) inside.
    if (high - low > std::int64_t{area.bottom} - area.top)
        dy = upwards ? std::int64_t{area.bottom} - high : std::int64_t{area.top} - low;
    box.left = Saturate(box.left + dx);
    box.right = Saturate(box.right + dx);
    box.top = Saturate(box.top + dy);
    box.bottom = Saturate(box.bottom + dy);
}

} // namespace

CSize KTGAnnotation::MeasureLine(KTDC& dc, int n, const KTVariableSubstitutions& substitutions)
{
    const CString text = m_text.LineText(n);
    const int mark = m_text.LineValue(n);
    const KTEOptions options = TypesetOptions(KTEPresetGraphing, m_font);
    if (mark == KTTipInfo::MarkText)
        return dc.GetTextExtent(text);
    if (mark == KTTipInfo::MarkEquation) {
        KTEEquation equation;
        equation.SetText(text, options);
        equation.SubstituteVariables(substitutions);
        const KTEExtent extent = equation.GetExtent(&dc, options);
        return CSize(extent.width, extent.height);
    }
    return CSize(0, 0);
}

CSize KTGAnnotation::MeasureText(KTDC& dc, const KTVariableSubstitutions& substitutions)
{
    std::int64_t width = 0;
    std::int64_t height = 0;
    const int count = std::clamp(m_text.GetLineCount(), 0, static_cast<int>(KTTipInfo::MaxLines));
    for (int n = 0; n < count; ++n) {
        dc.SetTextAlign(0);
        const CSize size = MeasureLine(dc, n, substitutions);
        width = std::max<std::int64_t>(width, size.cx);
        height += Abs64(size.cy);
    }
    return CSize(Saturate(width), Saturate(height));
}

void KTGAnnotation::Draw(KTDC& dc, const KTVariableSubstitutions& substitutions, const CRect* keepWithin)
{
    if (m_hidden)
        return;
    const KTEOptions drawOptions = TypesetOptions(KTEPresetGeneral, m_font);
    m_yDirection = -1.0;
    const auto below = [this](int y, std::int64_t distance) {
        return SaturateDouble(static_cast<double>(y) + static_cast<double>(distance) * m_yDirection);
    };
    const std::int64_t borderGap = m_borderGap;

    KTFontSelector font(m_font, 1.0);
    font.Select(dc, true);
    const CSize textSize = MeasureText(dc, substitutions);
    font.Restore(dc);

    // The box grows right and down from its fixed first corner.
    m_textRect.right = Saturate(std::int64_t{m_textRect.left} + textSize.cx + 2 * borderGap);
    m_textRect.bottom = below(m_textRect.top, std::int64_t{textSize.cy} + 2 * borderGap);
    if (keepWithin)
        KeepWithin(m_textRect, *keepWithin);
    const int top = m_textRect.top;
    m_text.SetHotRect(m_textRect.left, m_textRect.top, m_textRect.right, m_textRect.bottom);

    {
        KTPenSelector pen(m_anchorPen, 1.0);
        KTBrushSelector brush(KTLogBrush(KTBrushKindNumber, 1, m_anchorPen.m_color));
        pen.Select(dc);
        brush.Select(dc);
        switch (m_anchorType) {
        case KTAnchorArrow:
            // The head is filled with the anchor-coloured brush selected above, outlined in black.
            DrawAnchorLine(dc);
            KTLineEndPainter().DrawAt(dc, ToDraw(m_anchor.x), ToDraw(m_anchor.y), ToDraw(m_lineStart.x),
                                      ToDraw(m_lineStart.y), KTLineEndFilledArrow, ToDraw(m_arrowSize), false,
                                      0);
            break;
        case KTAnchorPoint:
            DrawAnchorLine(dc);
            KTMarkerPainter().DrawCircle(dc, ToDraw(m_anchor.x), ToDraw(m_anchor.y), ToDraw(m_pointSize),
                                         ToDraw(m_pointSize), nullptr);
            break;
        case KTAnchorLine: DrawAnchorLine(dc); break;
        default: break;
        }
        brush.Restore(dc);
        pen.Restore(dc);
    }

    {
        const KTLogPen borderPen =
            m_selected && !dc.IsPrinting() ? SelectedBorderPen(m_borderPen) : m_borderPen;
        KTPenSelector pen(borderPen, 1.0);
        KTBrushSelector brush(m_boxBrush);
        pen.Select(dc);
        brush.Select(dc);
        dc.Rectangle(ToDraw(m_textRect.left), ToDraw(m_textRect.top), ToDraw(m_textRect.right),
                     ToDraw(m_textRect.bottom));
        brush.Restore(dc);
        pen.Restore(dc);
    }

    unsigned align = TA_LEFT;
    int x = 0;
    LineAnchor(m_justify, m_textRect, m_borderGap, align, x);
    std::int64_t drawnHeight = 0;
    const int count = std::clamp(m_text.GetLineCount(), 0, static_cast<int>(KTTipInfo::MaxLines));
    for (int n = 0; n < count; ++n) {
        font.Select(dc, true);
        const CSize size = MeasureLine(dc, n, substitutions);
        const std::int64_t height = Abs64(size.cy);
        const int mark = m_text.LineValue(n);
        if (mark == KTTipInfo::MarkText) {
            dc.SetTextAlign(align | TA_TOP);
            dc.ExtTextOut(ToDraw(x), ToDraw(below(top, drawnHeight + borderGap)), 0, nullptr,
                          m_text.LineText(n));
        } else if (mark == KTTipInfo::MarkEquation) {
            dc.SetTextAlign(align | TA_BOTTOM);
            KTEEquation equation;
            equation.SetText(m_text.LineText(n), drawOptions);
            equation.SubstituteVariables(substitutions);
            dc.SetBkMode(TRANSPARENT);
            equation.Draw(&dc, ToDraw(x), ToDraw(below(top, height + borderGap + drawnHeight)), drawOptions);
        }
        drawnHeight += height;
        font.Restore(dc);
    }
}

void KTGAnnotation::DrawAnchorLine(KTDC& dc)
{
    LayoutAnchorLine();
    dc.MoveTo(ToDraw(m_lineStart));
    dc.LineTo(ToDraw(m_anchor));
}

void KTGAnnotation::LayoutAnchorLine()
{
    const std::int64_t ax = m_anchor.x;
    const std::int64_t ay = m_anchor.y;
    const std::int64_t c = m_cornerOffset;
    const std::int64_t g = m_anchorGap;

    // The corner nearest to the anchor; an equally near later corner does not replace it.
    struct Corner
    {
        std::int64_t x, y;
        int h, v; ///< outward directions: h -1 left, +1 right; v +1 top, -1 bottom
    };
    const Corner corners[4] = {{m_textRect.left, m_textRect.top, -1, 1},
                               {m_textRect.left, m_textRect.bottom, -1, -1},
                               {m_textRect.right, m_textRect.top, 1, 1},
                               {m_textRect.right, m_textRect.bottom, 1, -1}};
    const auto squaredDistance = [&](const Corner& k) {
        const double dx = static_cast<double>(ax - k.x);
        const double dy = static_cast<double>(ay - k.y);
        return dx * dx + dy * dy;
    };
    const Corner* k = &corners[0];
    for (const Corner& corner : corners)
        if (squaredDistance(corner) < squaredDistance(*k))
            k = &corner;

    const std::int64_t u = k->h * (ax - k->x); // how far the anchor lies outside the vertical side
    const std::int64_t w = k->v * (ay - k->y); // and outside the horizontal side
    if (u >= 0 && w <= -c) {
        m_lineStart = CPoint(Saturate(k->x + k->h * g), Saturate(k->y - k->v * c));
    } else if (u >= 0 && w <= 0) {
        m_lineStart = CPoint(Saturate(k->x + k->h * g), Saturate(ay));
    } else if (u >= 0) {
        const double dx = static_cast<double>(ax - k->x);
        const double dy = static_cast<double>(ay - k->y);
        double length = std::sqrt(dx * dx + dy * dy);
        if (length == 0.0)
            length = 1.0;
        m_lineStart = CPoint(SaturateDouble(std::trunc(static_cast<double>(k->x) + dx * g / length)),
                             SaturateDouble(std::trunc(static_cast<double>(k->y) + dy * g / length)));
    } else if (u >= -c) {
        m_lineStart = CPoint(Saturate(ax), Saturate(k->y + k->v * g));
    }
    if (u <= -c && w >= 0)
        m_lineStart = CPoint(Saturate(k->x - k->h * c), Saturate(k->y + k->v * g));
    // Otherwise (the anchor inside the box, away from the corner's vertical side) the line
    // start keeps its previous value.
}
