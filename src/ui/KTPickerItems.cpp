// The pictures of the three pickers.

#include "ui/KTBreakTypeComboBox.h"
#include "ui/KTLineStyleComboBox.h"
#include "ui/KTPointStyleComboBox.h"

#include "foundation/KTLogPen.h"
#include "foundation/KTMarkerPainter.h"
#include "foundation/KTPenSelector.h"
#include "platform/KTDC.h"

#include <QPainter>

namespace {

// "None" at (5, 5) of the item, in the box's own font.
void DrawNone(QPainter& painter, const QRect& rect, const QPalette& colours, bool selected)
{
    painter.setPen(colours.color(selected ? QPalette::HighlightedText : QPalette::Text));
    const QFontMetrics metrics(painter.font());
    painter.drawText(rect.left() + 5, rect.top() + 5 + metrics.ascent(), QStringLiteral("None"));
}

} // namespace

void KTLineStyleComboBox::DrawItem(QPainter& painter, const QRect& rect, int data, bool selected,
                                   bool focused) const
{
    DrawBackground(painter, rect, selected, focused);
    if (data == -1)
        return;
    if (data == KTLineStyleNone) {
        DrawNone(painter, rect, palette(), selected);
        return;
    }
    KTDC dc(&painter);
    dc.SetBkMode(TRANSPARENT);
    KTLogPen pen;
    pen.Set(1.0, data, 0);
    KTPenSelector selector(pen, 1.0);
    selector.Select(dc);
    const int y = rect.top() + rect.height() / 2;
    dc.MoveTo(rect.left() + 2, y);
    dc.LineTo(rect.right() - 2, y);
    selector.Restore(dc);
}

std::vector<std::vector<QPoint>> KTBreakTypeComboBox::Strokes(const QRect& rect, int data)
{
    const int b = rect.top() + rect.height() / 2;
    const int c = rect.left() + 2;
    const int d = b - 8;
    const int e = b + 8;
    const int a = (rect.width() - 4) / 9;
    const int f = c + 2 * a;
    const int g = c + 4 * a;
    const int end = rect.right() - 2;
    std::vector<std::vector<QPoint>> strokes{{QPoint(c, d), QPoint(c, e)}};
    switch (data) {
    case 0:
        strokes.push_back({QPoint(c, b), QPoint(f, b), QPoint(f + a, d), QPoint(g + a, e),
                           QPoint(c + 6 * a, b), QPoint(end, b)});
        break;
    case 1:
        strokes.push_back({QPoint(c, b), QPoint(f + a, b)});
        strokes.push_back({QPoint(f, e), QPoint(g, d)});
        strokes.push_back({QPoint(g, e), QPoint(c + 6 * a, d)});
        strokes.push_back({QPoint(g + a, b), QPoint(end, b)});
        break;
    case 2: strokes.push_back({QPoint(c, b), QPoint(end, b)}); break;
    case 3: strokes.push_back({QPoint(c + 8 * a, b), QPoint(end, b)}); break;
    case 4:
        strokes.push_back({QPoint(c, b), QPoint(f + a, b)});
        strokes.push_back({QPoint(g + a, b), QPoint(end, b)});
        break;
    default: break;
    }
    return strokes;
}

void KTBreakTypeComboBox::DrawItem(QPainter& painter, const QRect& rect, int data, bool selected,
                                   bool focused) const
{
    DrawBackground(painter, rect, selected, focused);
    if (data == -1)
        return;
    KTDC dc(&painter);
    // Half a point, inside the frame.
    const KTLogPen pen(KTPenKindGeometric, PS_GEOMETRIC | PS_INSIDEFRAME, 0, 17.63888775);
    KTPenSelector selector(pen, 1.0);
    selector.Select(dc);
    for (const std::vector<QPoint>& stroke : Strokes(rect, data)) {
        std::vector<CPoint> points;
        for (const QPoint& p : stroke)
            points.emplace_back(p.x(), p.y());
        dc.Polyline(points.data(), static_cast<int>(points.size()));
    }
    selector.Restore(dc);
}

void KTPointStyleComboBox::DrawItem(QPainter& painter, const QRect& rect, int data, bool selected,
                                    bool focused) const
{
    DrawBackground(painter, rect, selected, focused);
    if (data == -1)
        return;
    if (data == 0) {
        DrawNone(painter, rect, palette(), selected);
        return;
    }
    KTDC dc(&painter);
    const QRect inner = rect.adjusted(2, 2, -2, -2);
    const int x = ((inner.left() + 6) + (inner.right() - 6)) / 2;
    const int y = inner.top() + inner.height() / 2;
    KTMarkerPainter().DrawAt(dc, x, y, static_cast<KTMarkerShape>(data), m_marks, RGB(0, 0, 0));
}
