#include "graph/KTDerivativeCalculation.h"

#include "engine/KTFunction3.h"
#include "foundation/KTMarkerPainter.h"
#include "foundation/KTNumberFormat.h"
#include "foundation/KTNumberTexts.h"
#include "foundation/KTPenSelector.h"
#include "foundation/KTSentinelValues.h"
#include "foundation/KTVariableSubstitutions.h"
#include "axes/KTAxes.h"
#include "graph/KTDerivativeFunction.h"
#include "graph/KTDerivativeList.h"
#include "graph/KTGraphData3.h"
#include "axes/KTUndefined.h"
#include "platform/KTDC.h"
#include "typeset/KTEEquation.h"

#include <cmath>

namespace {

/// Squared device distance within which a click takes a tangent (200 units).
constexpr double kNearDistance2 = 40000.0;
/// The smallest width of a selected tangent on the screen, in points.
constexpr double kSelectedMinimumPoints = 1.5;
/// Size of the circle at the point of tangency (a radius of three times it).
constexpr double kCircleSize = 25.0;

CString FormatNumber(double value)
{
    KTNumberFormat format;
    format.m_bStripZeros = true;
    format.m_bReplaceMinus = false;
    return format.Format(value, 6);
}

/// The visible ranges: those of the tangent's mapping, else of the function's owner.
const KTAxes* RangesOf(const KTDerivativeFunction& tangent)
{
    if (tangent.m_axes)
        return tangent.m_axes;
    return tangent.m_functionPtr ? tangent.m_functionPtr->Data().m_owner : nullptr;
}

bool InRanges(const KTAxes& axes, double x, double y)
{
    return axes.m_xAxis.m_min <= x && x <= axes.m_xAxis.m_max && axes.m_yAxis.m_min <= y &&
           y <= axes.m_yAxis.m_max;
}

/// The ends of the line where it meets the visible area: the x edges first, then, for a line
/// that is not horizontal, the top and the bottom. True when exactly two were found.
bool ClipLine(const KTAxes& axes, double slope, double intercept, KTPoint& start, KTPoint& end)
{
    KTPoint found[2];
    int count = 0;
    auto accept = [&](double x, double y) {
        if (count < 2 && InRanges(axes, x, y))
            found[count++] = KTPoint(x, y);
    };
    const double xmin = axes.m_xAxis.m_min;
    const double xmax = axes.m_xAxis.m_max;
    accept(xmin, slope * xmin + intercept);
    accept(xmax, slope * xmax + intercept);
    if (count < 2 && slope != 0.0)
        accept((axes.m_yAxis.m_max - intercept) / slope, axes.m_yAxis.m_max);
    if (count < 2 && slope != 0.0)
        accept((axes.m_yAxis.m_min - intercept) / slope, axes.m_yAxis.m_min);
    if (count != 2)
        return false;
    start = found[0];
    end = found[1];
    return true;
}

bool HasPixel(const CPoint& p)
{
    return p.x != KTNoPixel && p.y != KTNoPixel;
}

} // namespace

void KTDerivativeCalculation::CalculateValue(KTDerivativeFunction& tangent,
                                             const KTVariableSubstitutions* substitutions)
{
    KTFunction3* function = tangent.m_functionPtr;
    if (!function)
        return;
    // The x is a constant expression ("sqrt(2)", "pi/2"); one that is not leaves the tangent
    // undefined, never at x = 0.
    const double x = KTFunction3::EvaluateConstantText(tangent.m_xText, tangent.m_axes, substitutions);
    tangent.m_point.m_x = x;
    tangent.m_point.m_y = function->Evaluate(x, KTNoSecondValue).m_y;
    tangent.m_slope = function->Derivative(x);

    const CString shownX = substitutions && substitutions->GetCount() > 0 ? FormatNumber(x) : tangent.m_xText;
    const CString slope = FormatNumber(tangent.m_slope);
    tangent.m_label = "d/dx " +
                      KTEEquation::AsOperand(KTFunction3::TypedRightHandSide(function->TypedEquation())) +
                      " (x =" + shownX + ") = " + slope;

    tangent.m_intercept = tangent.m_point.m_y - tangent.m_slope * x;
    const CString intercept = FormatNumber(tangent.m_intercept);
    tangent.m_lineText = "y = " + slope + "x" + (tangent.m_intercept >= 0.0 ? "+ " : " ") + intercept;
}

void KTDerivativeCalculation::Calculate(KTDerivativeFunction& tangent, KTGraphData3& graphData,
                                        const KTVariableSubstitutions* substitutions)
{
    tangent.m_valid = false;
    const int slot = tangent.m_function;
    tangent.m_functionPtr =
        slot >= 0 && slot < KTGraphData3::UserFunctionCount ? graphData.FindFunction(slot) : nullptr;
    if (!tangent.m_functionPtr)
        return;

    CalculateValue(tangent, substitutions);
    // A tangent at a point where the function has no value (or no slope) would draw a line
    // through a sentinel: it stays invalid and is not drawn.
    if (KTIsUndefined(tangent.m_point.m_x) || KTIsUndefined(tangent.m_point.m_y) ||
        KTIsUndefined(tangent.m_slope) || KTIsUndefined(tangent.m_intercept)) {
        tangent.m_label.Empty();
        tangent.m_lineText.Empty();
        return;
    }
    tangent.m_valid = true;

    // A line that misses the ranges keeps its old ends, which lie along the edge it left by:
    // it is hidden until it comes back into view.
    const KTAxes* axes = RangesOf(tangent);
    tangent.m_inView =
        axes && ClipLine(*axes, tangent.m_slope, tangent.m_intercept, tangent.m_start, tangent.m_end);
}

void KTDerivativeCalculation::Draw(const KTDerivativeFunction& tangent, KTDC& dc)
{
    if (!tangent.m_valid || !tangent.m_inView || !tangent.m_axes)
        return;
    KTAxes& axes = *tangent.m_axes;

    KTPenSelector pen(tangent.m_pen, 1.0);
    if (tangent.m_selected && !dc.IsPrinting()) {
        const double doubled = 2.0 * tangent.m_pen.WidthInPoints();
        pen.m_pen.m_width =
            (doubled > kSelectedMinimumPoints ? doubled : kSelectedMinimumPoints) * KTLogPen::kUnitsPerPoint;
    }
    // The line and the circle stay inside the plot: a wide pen at its edge, or the circle of a
    // point near it, would reach past it.
    const int saved = dc.SaveDC();
    dc.IntersectClipRect(axes.PlotRect());
    pen.Select(dc);
    const CPoint start = axes.GraphToDevice(tangent.m_start, 0, 0);
    const CPoint end = axes.GraphToDevice(tangent.m_end, 0, 0);
    if (HasPixel(start) && HasPixel(end)) {
        dc.MoveTo(start);
        dc.LineTo(end);
    }
    // A point outside the view has no place on it: the mapping would put it on the edge.
    const CPoint point = axes.GraphToDevice(tangent.m_point, 0, 0);
    if (HasPixel(point) && axes.InView(tangent.m_point))
        KTMarkerPainter().DrawCircle(dc, point.x, point.y, kCircleSize, kCircleSize, nullptr);
    pen.Restore(dc);
    dc.RestoreDC(saved);
}

bool KTDerivativeCalculation::IsNear(const KTDerivativeFunction& tangent, int x, int y)
{
    // A tangent hidden because its line misses the view is not there to be clicked.
    if (!tangent.m_axes || (tangent.m_valid && !tangent.m_inView))
        return false;
    const CPoint p1 = tangent.m_axes->GraphToDevice(tangent.m_start, 0, 0);
    const CPoint p2 = tangent.m_axes->GraphToDevice(tangent.m_end, 0, 0);
    if (!HasPixel(p1) || !HasPixel(p2))
        return false;
    // The squared distance from the point to the line through p1 and p2: the cross product of
    // (p2 - p1) and (q - p1), squared, over the squared length.
    const double dx = static_cast<double>(p2.x) - p1.x;
    const double dy = static_cast<double>(p2.y) - p1.y;
    const double length2 = dx * dx + dy * dy;
    if (length2 == 0.0)
        return false;
    const double cross = dx * (static_cast<double>(y) - p1.y) - dy * (static_cast<double>(x) - p1.x);
    return cross * cross / length2 < kNearDistance2;
}

void KTDerivativeCalculation::CalculateAll(KTDerivativeList& list, KTGraphData3& graphData,
                                           const KTVariableSubstitutions* substitutions)
{
    for (KTDerivativeFunction& tangent : list.m_records)
        Calculate(tangent, graphData, substitutions);
}

void KTDerivativeCalculation::DrawAll(const KTDerivativeList& list, KTDC& dc)
{
    for (const KTDerivativeFunction& tangent : list.m_records)
        Draw(tangent, dc);
}

int KTDerivativeCalculation::HitTest(const KTDerivativeList& list, int x, int y)
{
    for (int index = list.GetCount() - 1; index >= 0; --index) {
        if (IsNear(list.GetAt(index), x, y))
            return index;
    }
    return -1;
}
