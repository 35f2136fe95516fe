#include "engine/KTCurvePainter.h"

#include "engine/KTCurveValues.h"
#include "engine/KTFunction3.h"
#include "engine/KTImplicitThreads.h"
#include "foundation/KTBrushSelector.h"
#include "foundation/KTLineEndPainter.h"
#include "foundation/KTLogBrush.h"
#include "foundation/KTLogPen.h"
#include "foundation/KTMarkerPainter.h"
#include "foundation/KTPenSelector.h"
#include "foundation/KTSentinelValues.h"
#include "foundation/RoundHalfUp.h"
#include "axes/KTAxes.h"
#include "platform/KTDC.h"

#include <algorithm>
#include <cmath>

using KTCurveValues::IsNoValue;

namespace {

constexpr double kArrowWidthToQuarterPoints = 0.11338583409262867; // hundredths of a mm to 1/4 pt
constexpr double kOnePixel = 26.458331625; // one screen pixel in hundredths of a millimetre
constexpr int kVectorHeadSize = 150;
constexpr int kStateStart = 1;
constexpr int kStateAdd = 15;
constexpr int kStateSubtract = 16;

KTLogBrush SolidBrush(COLORREF colour)
{
    return KTLogBrush(KTBrushKindNumber, 1, colour);
}

/// A size option's value, or the middle of its range (integer division) when it lies outside.
int ForcedSize(const KTOptionInt& option)
{
    const int value = option.m_value;
    if (value < option.GetMinimum() || value > option.GetMaximum())
        return (option.GetMinimum() + option.GetMaximum()) / 2;
    return value;
}

bool HasPixel(const CPoint& p)
{
    return p.x != KTNoPixel && p.y != KTNoPixel;
}

KTPoint ToKTPoint(const CPoint& p)
{
    return KTPoint(p.x, p.y);
}

} // namespace

double KTCurvePainter::F(double x)
{
    return m_f.ValueOfOrder(x, m_order);
}

// ---- Derivative curves ---------------------------------------------------------------------------

void KTCurvePainter::DrawPointPairs(KTDC& dc)
{
    if (m_f.Data().m_interpreted && m_f.Data().m_showFirstDerivative)
        DrawDerivative(dc, 1);
}

void KTCurvePainter::DrawSecondDerivativePairs(KTDC& dc)
{
    if (m_f.Data().m_interpreted && m_f.Data().m_showSecondDerivative)
        DrawDerivative(dc, 2);
}

void KTCurvePainter::DrawDerivative(KTDC& dc, int order)
{
    if (!m_f.Data().m_owner || !m_f.m_currentBuffer)
        return;
    KTCurvePointBuffer* curve = m_f.DerivativeCurve(order);
    if (!curve)
        return;
    // The derivative is a curve like any other: its own samples drawn by the curve's steps.
    KTCurvePointBuffer* const branch = m_f.m_currentBuffer;
    m_f.m_currentBuffer = curve;
    m_order = order;
    if (m_f.Data().m_options.m_showFunctionArrows.m_value)
        DrawEdgeArrows(dc);
    DrawPolylines(dc);
    DrawDomainEnds(dc);
    m_order = 0;
    m_f.m_currentBuffer = branch;
}

// ---- End arrows -----------------------------------------------------------------------------------

void KTCurvePainter::DrawEndArrow(KTDC& dc, double x, double y, double otherX, double otherY, bool forward)
{
    KTAxes* axes = m_f.Data().m_owner;
    const KTEquationPartList& parts = m_f.Parts();
    if (!axes || parts.m_polar || parts.m_parametricX || IsNoValue(x) || IsNoValue(y))
        return;
    KTAxis& xAxis = axes->m_xAxis;
    KTAxis& yAxis = axes->m_yAxis;
    if (!m_f.InGraphRange(x, y))
        return;
    // Near an edge in the view's own measure: a tenth of the range from it, wherever the range
    // lies (a multiple of its ends would be no edge at all for a range such as 5..8).
    const double nearX = 0.1 * (xAxis.m_max - xAxis.m_min);
    const double nearY = 0.1 * (yAxis.m_max - yAxis.m_min);
    if (!(xAxis.m_max - x <= nearX || x - xAxis.m_min <= nearX || yAxis.m_max - y <= nearY ||
          y - yAxis.m_min <= nearY))
        return;

    // The direction the curve goes on in from the end, a hundredth of a pixel along it: a point
    // further along may lie far outside the view (y = 1000x) or past a pole (tan x).
    KTPoint other(otherX, otherY);
    if (m_f.Status() != KTStatusImplicit) {
        const KTAxis& along = parts.m_inverse ? yAxis : xAxis;
        const double extent = std::fabs(static_cast<double>(along.PixelHigh()) - along.PixelLow());
        const double step = 0.01 * (along.m_max - along.m_min) / std::max(extent, 1.0);
        const double from = parts.m_inverse ? y : x;
        const double t = forward ? from + step : from - step;
        const double value = F(t);
        if (!IsNoValue(value))
            other = parts.m_inverse ? KTPoint(value, t) : KTPoint(t, value);
    }
    if (IsNoValue(other.m_x) || IsNoValue(other.m_y))
        return;

    const CPoint end = axes->GraphToDevice(x, y, 0, 0);
    if (!HasPixel(end))
        return;
    const double unit = dc.GetMapMode() == MM_TEXT ? 1.0 : 100.0;
    double dx = (other.m_x - x) * xAxis.PixelsPerUnit(x);
    double dy = (other.m_y - y) * yAxis.PixelsPerUnit(y);
    const double length = std::hypot(dx, dy);
    if (!(length > 0.0) || !std::isfinite(length))
        return;
    dx = dx / length * unit;
    dy = dy / length * unit;
    // The tip on the end, the base three units back along the curve and one to either side.
    const CPoint head[4] = {
        end,
        CPoint(RoundHalfUp(end.x + 3 * dx - dy), RoundHalfUp(end.y + 3 * dy + dx)),
        CPoint(RoundHalfUp(end.x + 3 * dx + dy), RoundHalfUp(end.y + 3 * dy - dx)),
        end,
    };

    KTLogPen pen = m_f.Data().m_options.m_pen.m_value;
    pen.m_kind = KTPenKindGeometric;
    pen.m_style = 0x10006;
    pen.m_width = RoundHalfUp(pen.m_width * kArrowWidthToQuarterPoints) * 0.25 * KTLogPen::kUnitsPerPoint;
    KTPenSelector penSelector(pen, 1.0);
    KTBrushSelector brushSelector(SolidBrush(pen.m_color));
    penSelector.Select(dc);
    brushSelector.Select(dc);
    dc.Polygon(head, 4);
    brushSelector.Restore(dc);
    penSelector.Restore(dc);
}

// ---- The curve ------------------------------------------------------------------------------------

void KTCurvePainter::DrawCurve(KTDC& dc)
{
    if (!m_f.Data().m_interpreted || !m_f.Data().m_owner || !m_f.m_currentBuffer)
        return;
    const int status = m_f.Status();
    const KTOptionFunction3& options = m_f.Data().m_options;
    if (options.m_showFunctionArrows.m_value && !(status == KTStatusImplicit && m_f.m_implicitOverflow))
        DrawEdgeArrows(dc);
    if (status == KTStatusExplicit || status == KTStatusParametric || status == KTStatusImplicit)
        DrawPolylines(dc);
    if (status == KTStatusExplicit || status == KTStatusParametric)
        DrawDomainEnds(dc);
    if (status == KTStatusNoEquation)
        DrawPointsAndVectors(dc);
    DrawMarkerDecorations(dc);
}

void KTCurvePainter::DrawEdgeArrows(KTDC& dc)
{
    const KTCurvePointBuffer& buffer = *m_f.m_currentBuffer;
    const int count = std::clamp<int>(buffer.m_count, 0, buffer.Size());
    const auto point = [&](int i) -> const KTCurvePoint& {
        return buffer.m_points[static_cast<std::size_t>(i)];
    };
    // Only where the curve leaves the view, not its domain: the point off the view has values.
    const auto leavesView = [](const KTCurvePoint& off) {
        return std::fabs(off.m_point.m_x - KTUndefinedValue) > 1e-8 &&
               std::fabs(off.m_point.m_y - KTUndefinedValue) > 1e-8;
    };
    for (int i = 1; i < count; ++i) {
        const KTCurvePoint& before = point(i - 1);
        const KTCurvePoint& here = point(i);
        if (before.m_draw && !here.m_draw && leavesView(here)) {
            const KTPoint& from = i >= 2 ? point(i - 2).m_point : before.m_point;
            DrawEndArrow(dc, before.m_point.m_x, before.m_point.m_y, from.m_x, from.m_y, false);
        } else if (!before.m_draw && here.m_draw && leavesView(before)) {
            const KTPoint& from = i + 1 < count ? point(i + 1).m_point : here.m_point;
            DrawEndArrow(dc, here.m_point.m_x, here.m_point.m_y, from.m_x, from.m_y, true);
        }
    }
}

void KTCurvePainter::FlushPolyline(KTDC& dc)
{
    if (m_f.m_devicePointCount >= 2) {
        m_batch.insert(m_batch.end(), m_f.m_devicePoints.begin(),
                       m_f.m_devicePoints.begin() + m_f.m_devicePointCount);
        m_batchCounts.push_back(m_f.m_devicePointCount);
        if (m_batch.size() >= BatchPoints)
            FlushBatch(dc);
    } else if (m_f.m_devicePointCount == 1) {
        FlushBatch(dc);
        const CPoint p = m_f.m_devicePoints[0];
        dc.MoveTo(p);
        dc.LineTo(p);
    }
    m_f.m_devicePointCount = 0;
}

void KTCurvePainter::FlushBatch(KTDC& dc)
{
    if (!m_batchCounts.empty())
        dc.PolyPolyline(m_batch.data(), m_batchCounts.data(), static_cast<int>(m_batchCounts.size()));
    m_batch.clear();
    m_batchCounts.clear();
}

void KTCurvePainter::DrawPolylines(KTDC& dc)
{
    KTAxes& axes = *m_f.Data().m_owner;
    const KTCurvePointBuffer& buffer = *m_f.m_currentBuffer;
    KTLogPen pen = m_f.Data().m_options.m_pen.m_value;
    const int relation = m_f.Data().m_relation;
    if (m_order == 0 && (relation == ASKind::Greater || relation == ASKind::Less)) {
        // The boundary of a strict inequality is not part of its region: drawn dashed. Its
        // derivative curves bound nothing.
        pen = KTLogPen(KTPenKindGeometric, PS_DASH, pen.m_color, KTLogPen::kUnitsPerPoint);
    }
    KTPenSelector penSelector(pen, 1.0);
    penSelector.Select(dc);

    const int count = std::clamp<int>(buffer.m_count, 0, buffer.Size());
    m_f.m_devicePointCount = 0;
    // A dense plot's hundreds of thousands of points go to device units on the threads first
    // (linear axes only map without writing to them).
    std::vector<CPoint> device;
    if (count >= s_threadedPoints && !axes.m_xAxis.m_logScale && !axes.m_yAxis.m_logScale) {
        device.resize(static_cast<std::size_t>(count));
        constexpr int part = 1 << 14;
        KTImplicitThreads::RunParts((count + part - 1) / part, [&](int p) {
            const int end = std::min(count, (p + 1) * part);
            for (int i = p * part; i < end; ++i) {
                const KTCurvePoint& point = buffer.m_points[static_cast<std::size_t>(i)];
                if (point.m_draw)
                    device[static_cast<std::size_t>(i)] = axes.GraphToDevice(point.m_point, 0, 0);
            }
        });
    }
    const auto append = [&](const KTCurvePoint& point) {
        const CPoint p = device.empty() ? axes.GraphToDevice(point.m_point, 0, 0)
                                        : device[static_cast<std::size_t>(&point - buffer.m_points.data())];
        if (!HasPixel(p)) {
            FlushPolyline(dc);
            return;
        }
        if (m_f.m_devicePointCount >= KTFunction3::DevicePointCapacity) {
            // A full polyline is drawn and the next one starts where it ended.
            const CPoint last = m_f.m_devicePoints[KTFunction3::DevicePointCapacity - 1];
            FlushPolyline(dc);
            m_f.m_devicePoints[0] = last;
            m_f.m_devicePointCount = 1;
        }
        m_f.m_devicePoints[static_cast<std::size_t>(m_f.m_devicePointCount++)] = p;
    };
    // A point off the view (draw flag clear) ends a polyline. A drawn point with the break flag
    // (the start or end of a traced piece) belongs to its piece: it starts a new polyline, or
    // closes the one being gathered.
    for (int i = 0; i < count; ++i) {
        const KTCurvePoint& point = buffer.m_points[static_cast<std::size_t>(i)];
        if (!point.m_draw) {
            FlushPolyline(dc);
            continue;
        }
        if (point.m_break && m_f.m_devicePointCount > 0) {
            append(point);
            FlushPolyline(dc);
            continue;
        }
        append(point);
    }
    FlushPolyline(dc);
    FlushBatch(dc);
    penSelector.Restore(dc);
}

void KTCurvePainter::DrawDomainEnds(KTDC& dc)
{
    const KTAxes& axes = *m_f.Data().m_owner;
    if (axes.m_xAxis.m_min != 0.0)
        DrawEndMark(dc, true);
    DrawEndMark(dc, false);
}

void KTCurvePainter::DrawEndMark(KTDC& dc, bool low)
{
    KTAxes& axes = *m_f.Data().m_owner;
    const KTFunctionData3& data = m_f.Data();
    const KTOptionFunction3& options = data.m_options;
    const int code = low ? data.m_domain.m_lowEnd : data.m_domain.m_highEnd;
    const double at = low ? data.m_plottedLow : data.m_plottedHigh;
    const bool show = low ? options.m_showLow.m_value != 0 : options.m_showHigh.m_value != 0;
    const bool inverse = m_f.Parts().m_inverse != 0;
    const double value = F(at);
    if (IsNoValue(value) || IsNoValue(at))
        return;
    const KTPoint end = inverse ? KTPoint(value, at) : KTPoint(at, value);

    if (code == KTFunctionDomain::EndUnbounded) {
        if (options.m_showFunctionArrows.m_value)
            DrawEndArrow(dc, end.m_x, end.m_y, end.m_x, end.m_y, low);
        return;
    }
    if ((code != KTFunctionDomain::EndOpen && code != KTFunctionDomain::EndClosed) || !show)
        return;
    const double near = low ? at + 1e-8 : at - 1e-8;
    const double nearValue = F(near);
    const KTPoint toward =
        IsNoValue(nearValue) ? end : (inverse ? KTPoint(nearValue, near) : KTPoint(near, nearValue));
    const CPoint endDevice = axes.GraphToDevice(end, 0, 0);
    const CPoint towardDevice = axes.GraphToDevice(toward, 0, 0);
    if (!HasPixel(endDevice) || !HasPixel(towardDevice))
        return;
    KTLineEndPainter().Draw(dc, ToKTPoint(endDevice), ToKTPoint(towardDevice),
                            static_cast<KTLineEndStyle>(code), ForcedSize(options.m_endCircleSize), false,
                            options.m_pen.m_value.m_color);
}

void KTCurvePainter::DrawPointsAndVectors(KTDC& dc)
{
    KTAxes& axes = *m_f.Data().m_owner;
    KTFunctionData3& data = m_f.Data();
    const KTEquationPartList& parts = m_f.Parts();
    const COLORREF colour = data.m_options.m_pen.m_value.m_color;
    KTPenSelector penSelector(data.m_options.m_pen.m_value, 1.0);
    penSelector.Select(dc);
    const KTFunctionDomain kept = data.m_domain;

    const auto drawVector = [&](const KTPoint& from, const KTPoint& to) {
        const CPoint a = axes.GraphToDevice(from, 0, 0);
        const CPoint b = axes.GraphToDevice(to, 0, 0);
        if (!HasPixel(a) || !HasPixel(b))
            return;
        dc.MoveTo(a);
        dc.LineTo(b);
        KTLineEndPainter().Draw(dc, ToKTPoint(b), ToKTPoint(a), KTLineEndFilledArrow, kVectorHeadSize, false,
                                colour);
    };
    const auto drawPoint = [&](const KTPoint& p) {
        const CPoint d = axes.GraphToDevice(p, 0, 0);
        if (HasPixel(d))
            KTMarkerPainter().DrawAt(dc, d.x, d.y, KTMarkerShapeCircle, &data.m_options.m_marks, colour);
    };

    int state = kStateStart;
    KTPoint current(0.0, 0.0);
    for (int i = 0; i < parts.GetCount(); ++i) {
        const KTEquationPart part = parts.At(i);
        if (part.Kind() == KTPartOperation) {
            CString text = part.Text();
            text.Trim();
            if (text == "+")
                state = kStateAdd;
            else if (text == "-")
                state = kStateSubtract;
        } else if (part.Kind() == KTPartVector) {
            const KTFunctionDomain d = m_f.InterpretDomain(part);
            const KTPoint start = state == kStateStart ? KTPoint(0.0, 0.0) : current;
            KTPoint tip(d.m_low, d.m_high);
            if (state == kStateAdd)
                tip = KTPoint(current.m_x + d.m_low, current.m_y + d.m_high);
            else if (state == kStateSubtract)
                tip = KTPoint(current.m_x - d.m_low, current.m_y - d.m_high);
            if (!IsNoValue(tip.m_x) && !IsNoValue(tip.m_y))
                drawVector(start, tip);
            current = tip;
            state = kStateStart;
        } else if (part.Kind() == KTPartDomain || part.Kind() == KTPartDomainOrPoint) {
            const KTFunctionDomain d = m_f.InterpretDomain(part);
            const KTPoint p(d.m_low, d.m_high);
            if (IsNoValue(p.m_x) || IsNoValue(p.m_y))
                continue;
            if (state == kStateAdd) {
                const CPoint a = axes.GraphToDevice(current, 0, 0);
                const CPoint b = axes.GraphToDevice(p, 0, 0);
                if (HasPixel(a) && HasPixel(b)) {
                    dc.MoveTo(a);
                    dc.LineTo(b);
                }
            }
            drawPoint(p);
            current = p;
            if (state == kStateAdd)
                state = kStateStart;
        }
    }
    data.m_domain = kept;
    penSelector.Restore(dc);
}

void KTCurvePainter::DrawMarkerDecorations(KTDC& dc)
{
    KTAxes& axes = *m_f.Data().m_owner;
    const KTOptionFunction3& options = m_f.Data().m_options;
    const COLORREF colour = options.m_pen.m_value.m_color;
    const KTMarkerList& markers = m_f.m_markers;
    const double xmin = axes.m_xAxis.m_min;
    const double xmax = axes.m_xAxis.m_max;
    const double ymin = axes.m_yAxis.m_min;
    const double ymax = axes.m_yAxis.m_max;
    KTPenSelector penSelector(KTLogPen(KTPenKindGeometric, PS_DASH, colour, kOnePixel), 1.0);
    penSelector.Select(dc);

    for (int i = 0; i < markers.m_count && i < KTMarkerList::Capacity; ++i) {
        const KTMarker& marker = markers.m_markers[static_cast<std::size_t>(i)];
        const KTPoint& p = marker.m_point;
        if (IsNoValue(p.m_x) || IsNoValue(p.m_y))
            continue;
        if (marker.m_kind == KTMarkerPointDiscontinuity) {
            if (!(xmin < p.m_x && p.m_x < xmax && ymin < p.m_y && p.m_y < ymax))
                continue;
            const CPoint d = axes.GraphToDevice(p, 0, 0);
            if (HasPixel(d))
                KTLineEndPainter().Draw(dc, ToKTPoint(d), ToKTPoint(d), KTLineEndWhiteCircle,
                                        ForcedSize(options.m_pointDiscontinuitySize), false, colour);
        } else if (marker.m_kind == KTMarkerVerticalAsymptote && options.m_vAsym.m_value && xmin <= p.m_x &&
                   p.m_x <= xmax) {
            const CPoint top = axes.GraphToDevice(p.m_x, ymax, 0, 0);
            const CPoint bottom = axes.GraphToDevice(p.m_x, ymin, 0, 0);
            if (HasPixel(top) && HasPixel(bottom)) {
                dc.MoveTo(top);
                dc.LineTo(bottom);
            }
        } else if (marker.m_kind == KTMarkerHorizontalAsymptote && options.m_hAsym.m_value && ymin <= p.m_y &&
                   p.m_y <= ymax) {
            const CPoint left = axes.GraphToDevice(xmin, p.m_y, 0, 0);
            const CPoint right = axes.GraphToDevice(xmax, p.m_y, 0, 0);
            if (HasPixel(left) && HasPixel(right)) {
                dc.MoveTo(left);
                dc.LineTo(right);
            }
        }
    }
    penSelector.Restore(dc);
}
