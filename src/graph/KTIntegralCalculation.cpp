#include "graph/KTIntegralCalculation.h"

#include "engine/KTFunction3.h"
#include "foundation/KTBrushSelector.h"
#include "foundation/KTLocaleChars.h"
#include "foundation/KTNumberFormat.h"
#include "foundation/KTNumberTexts.h"
#include "foundation/KTPenSelector.h"
#include "foundation/KTQuadrature.h"
#include "foundation/KTSentinelValues.h"
#include "axes/KTAxes.h"
#include "graph/KTGraphData3.h"
#include "graph/KTIntegralFunction.h"
#include "graph/KTIntegralList.h"
#include "axes/KTUndefined.h"
#include "platform/KTDC.h"
#include "typeset/KTEEquation.h"

#include <algorithm>
#include <cmath>

namespace {

/// 1/999: 1000 samples run from the lower bound to the upper one inclusive.
constexpr double kStepFactor = 0.001001001001001001;
constexpr int kSamples = 1000;
constexpr double kAreaTolerance = 1e-8;
constexpr COLORREF kHighlightGrey = 0x969696;
constexpr double kOnePoint = 35.2777755;

/// A user function slot (0-9) of the graph data, or null.
KTFunction3* UserFunction(KTGraphData3& graphData, int slot)
{
    if (slot < 0 || slot >= KTGraphData3::UserFunctionCount)
        return nullptr;
    return graphData.FindFunction(slot);
}

double ValueAt(KTFunction3* function, double x)
{
    if (!function)
        return 0.0;
    return function->Evaluate(x, KTNoSecondValue).m_y;
}

CString FormatNumber(double value, int digits)
{
    KTNumberFormat format;
    format.m_bStripZeros = true;
    format.m_bReplaceMinus = false;
    return format.Format(value, digits);
}

/// The device point of a graph point. A coordinate that has no pixel (a value at or below 0 on
/// a logarithmic axis) goes to the low end of its axis, so that the polygon never carries the
/// no-pixel marker into the drawing.
CPoint DevicePoint(KTAxes& axes, double x, double y)
{
    CPoint p = axes.GraphToDevice(x, y, 0, 0);
    if (p.x == KTNoPixel)
        p.x = axes.m_xAxis.PixelLow();
    if (p.y == KTNoPixel)
        p.y = axes.m_yAxis.PixelLow();
    return p;
}

/// Where the polygon runs at one sample: a boundary that is undefined there takes the other's
/// value (0 when both are), so the shading closes instead of shooting off the plot.
void PolygonValues(double f, double g, double& fy, double& gy)
{
    const bool fUndefined = KTIsUndefined(f);
    const bool gUndefined = KTIsUndefined(g);
    fy = fUndefined ? (gUndefined ? 0.0 : g) : f;
    gy = gUndefined ? fy : g;
}

/// One trapezoid's contribution to the area: |d0| + |d1|, halved across a sign change.
double AreaTerm(double d0, double d1)
{
    const double term = std::fabs(d0) + std::fabs(d1);
    return (d1 > 0.0) != (d0 > 0.0) ? term * 0.5 : term;
}

void Invalidate(KTIntegralFunction& integral)
{
    integral.m_integral = 0.0;
    integral.m_area = 0.0;
    integral.m_areaDiffers = false;
    integral.m_integralText.Empty();
    integral.m_areaText.Empty();
}

struct Sums
{
    double integral = 0.0;
    double area = 0.0;
    double maximum = -100000000.0;
    double minimum = 100000000.0;
};

void TakeExtreme(Sums& sums, double value)
{
    if (KTIsUndefined(value))
        return;
    if (sums.maximum <= value)
        sums.maximum = value;
    if (sums.minimum >= value)
        sums.minimum = value;
}

/// The adaptive rule's result is taken when its error is at most this part of the integral of
/// |integrand| (or of 1); where it cannot get there, a pole lies within the bounds and the
/// sampled sums stand.
constexpr double kAcceptedError = 1e-9;
/// A value this large hints at a pole: the area is taken again without the values above it,
/// and where that changes it by more than this part, the integral does not exist.
constexpr double kPoleLevel = 1e9;
constexpr double kPoleChange = 1e-6;

bool Accepted(const KTQuadrature::Result& result)
{
    return std::isfinite(result.value) &&
           result.error <= kAcceptedError * std::max(1.0, std::fabs(result.magnitude));
}

/// The integral and the area to the precision of a double, where the integrand allows: the
/// integral of f - g along x (of x f' for the integral along the y axis), the area that of
/// |f - g|. Points where a function has no value take no part, as in the sampled sums.
void ExactValues(KTFunction3* f, KTFunction3* g, bool yAxis, double lower, double upper, double& integral,
                 double& area)
{
    double peak = 0.0;
    const auto difference = [&](double x) {
        const double fx = ValueAt(f, x);
        const double gx = ValueAt(g, x);
        const double d = KTIsUndefined(fx) || KTIsUndefined(gx) ? 0.0 : fx - gx;
        peak = std::max(peak, std::fabs(d));
        return d;
    };
    const KTQuadrature::Result size =
        KTQuadrature::Integrate([&](double x) { return std::fabs(difference(x)); }, lower, upper);
    // Values of 1e12 and more count as none, so even 1/x^2 has a finite integral here: a pole
    // shows as an area that depends on where the values are cut off. 1/sqrt(x) gives up 2e-9
    // of its area below a cut at 1e9, 1/x^2 nearly all of it.
    if (peak > kPoleLevel) {
        const KTQuadrature::Result cut = KTQuadrature::Integrate(
            [&](double x) {
                const double d = std::fabs(difference(x));
                return d > kPoleLevel ? 0.0 : d;
            },
            lower, upper);
        if (!(std::fabs(cut.value - size.value) <= kPoleChange * std::max(1.0, std::fabs(size.value))))
            return;
    }
    if (Accepted(size))
        area = size.value;
    if (!yAxis) {
        const KTQuadrature::Result value = KTQuadrature::Integrate(difference, lower, upper);
        if (Accepted(value))
            integral = value.value;
    } else {
        // x dy integrated by parts, [x f] - the integral of f dx, where f has a value
        // throughout; else x f' dx over the points where it has one.
        bool gap = false;
        const auto plain = [&](double x) {
            const double fx = ValueAt(f, x);
            gap = gap || KTIsUndefined(fx);
            return KTIsUndefined(fx) ? 0.0 : fx;
        };
        const double fl = ValueAt(f, lower);
        const double fu = ValueAt(f, upper);
        const KTQuadrature::Result byParts = KTQuadrature::Integrate(plain, lower, upper);
        if (!gap && !KTIsUndefined(fl) && !KTIsUndefined(fu) && Accepted(byParts)) {
            integral = upper * fu - lower * fl - byParts.value;
        } else {
            const KTQuadrature::Result value = KTQuadrature::Integrate(
                [&](double x) {
                    const double slope = f->Derivative(x);
                    return KTIsUndefined(slope) ? 0.0 : x * slope;
                },
                lower, upper);
            if (Accepted(value))
                integral = value.value;
        }
    }
}

void MakeLabels(KTIntegralFunction& integral, KTGraphData3& graphData, double lower, double upper,
                bool withSecond)
{
    KTOptionGraph3& options = graphData.m_options;
    const CString quotedD = "\"d\"";
    const CString value = FormatNumber(integral.m_integral, 6);
    const CString area = FormatNumber(integral.m_area, options.m_dpArea.GetValue());
    // The labels name the functions as the user typed them; a sum in brackets, so that the
    // integral sign and "dx" take it whole.
    const CString first =
        KTEEquation::AsOperand(KTFunction3::TypedRightHandSide(integral.m_firstFunction->TypedEquation()));
    const CString second =
        withSecond ? KTFunction3::TypedRightHandSide(integral.m_secondFunction->TypedEquation()) : CString();

    if (!integral.m_yAxis) {
        CString lo = integral.m_lowerText;
        CString up = integral.m_upperText;
        if (integral.UsesName(CString())) {
            lo = FormatNumber(lower, 6);
            up = FormatNumber(upper, 6);
        }
        const KTLocaleChars separators;
        CString text = "int(" + lo + CString(separators.m_chList) + up + ") " + first;
        text += withSecond ? " - [" + second + "] " : CString(" ");
        integral.m_integralText = text + quotedD + "x  =  " + value;
        integral.m_areaText = "\"" + options.m_msgArea.GetValue() + area + "\"";
        return;
    }

    CString text = "int(" + integral.m_lowerText + "," + integral.m_upperText + ") " + first;
    if (withSecond)
        text += " - [" + second + "] " + quotedD + "x  =  " + value;
    else
        text += " " + quotedD + "x \"" + options.m_msgyAxis.GetValue() + "\"=  " + value;
    integral.m_integralText = text;
    integral.m_areaText = options.m_msgArea.GetValue() + area;
}

} // namespace

void KTIntegralCalculation::Calculate(KTIntegralFunction& integral, KTGraphData3& graphData,
                                      const KTVariableSubstitutions* substitutions)
{
    integral.m_regionValid = false;
    integral.m_firstFunction = UserFunction(graphData, integral.m_first);
    integral.m_secondFunction = UserFunction(graphData, integral.m_second);
    if (!integral.m_firstFunction)
        return;

    // Bounds are constant expressions ("sqrt(2)", "pi/2"); one that is not stays undefined.
    const double lower =
        KTFunction3::EvaluateConstantText(integral.m_lowerText, integral.m_axes, substitutions);
    const double upper =
        KTFunction3::EvaluateConstantText(integral.m_upperText, integral.m_axes, substitutions);
    if (KTIsUndefined(lower) || KTIsUndefined(upper)) {
        Invalidate(integral);
        return;
    }

    KTFunction3* f = integral.m_firstFunction;
    const bool withSecond = integral.m_hasSecond && integral.m_secondFunction;
    KTFunction3* g = withSecond ? integral.m_secondFunction : nullptr;
    const bool yAxis = integral.m_yAxis;
    const double step = (upper - lower) * kStepFactor;
    if (!yAxis)
        integral.m_labelPoint.m_x = (upper + lower) * 0.5;

    KTAxes* axes = integral.m_axes;
    const bool withRegion =
        axes && static_cast<int>(integral.m_region.size()) == KTIntegralFunction::kRegionPoints;
    const int last = KTIntegralFunction::kRegionPoints - 1;

    double x = lower;
    double f0 = ValueAt(f, x);
    double g0 = ValueAt(g, x);
    if (withRegion) {
        double fy = 0.0, gy = 0.0;
        PolygonValues(f0, g0, fy, gy);
        integral.m_region[0] = DevicePoint(*axes, x, fy);
        integral.m_region[static_cast<std::size_t>(last)] = DevicePoint(*axes, x, gy);
    }

    Sums sums;
    for (int k = 1; k < kSamples; ++k) {
        x += step;
        const double f1 = ValueAt(f, x);
        const double g1 = ValueAt(g, x);
        if (withRegion) {
            double fy = 0.0, gy = 0.0;
            PolygonValues(f1, g1, fy, gy);
            integral.m_region[static_cast<std::size_t>(k)] = DevicePoint(*axes, x, fy);
            integral.m_region[static_cast<std::size_t>(last - k)] = DevicePoint(*axes, x, gy);
        }

        const bool defined0 = !KTIsUndefined(f0) && !KTIsUndefined(g0);
        const bool defined1 = !KTIsUndefined(f1) && !KTIsUndefined(g1);
        const double d0 = f0 - g0;
        const double d1 = f1 - g1;
        if (!yAxis) {
            if (defined0 && defined1)
                sums.integral += d0 + d1;
            TakeExtreme(sums, f1);
            TakeExtreme(sums, g1);
        } else if (!KTIsUndefined(f0) && !KTIsUndefined(f1)) {
            sums.integral += x * (f1 - f0);
        }
        if (defined0 && defined1)
            sums.area += AreaTerm(d0, d1);
        f0 = f1;
        g0 = g1;
    }

    // The sampled sums (a trapezoid rule) are off in the sixth digit the label shows (2/3 comes
    // out as 0.666668); they stand only where the adaptive rule fails at a pole.
    integral.m_integral = yAxis ? sums.integral : step * sums.integral * 0.5;
    integral.m_area = step * sums.area * 0.5;
    ExactValues(f, g, yAxis, lower, upper, integral.m_integral, integral.m_area);
    integral.m_areaDiffers = std::fabs(integral.m_integral - integral.m_area) > kAreaTolerance;
    if (!yAxis)
        integral.m_labelPoint.m_y = (sums.minimum + sums.maximum) * 0.5;

    MakeLabels(integral, graphData, lower, upper, withSecond);
    integral.m_regionValid = withRegion;
}

void KTIntegralCalculation::Draw(const KTIntegralFunction& integral, KTDC& dc, bool highlight)
{
    if (!integral.m_regionValid ||
        static_cast<int>(integral.m_region.size()) != KTIntegralFunction::kRegionPoints)
        return;

    const int previousFillMode = dc.SetPolyFillMode(WINDING);
    KTBrushSelector brush(highlight ? KTLogBrush(KTBrushKindNumber, 2, kHighlightGrey, 0)
                                    : KTLogBrush(KTBrushKindNumber, 1, integral.m_colour, 0));
    KTPenSelector pen(highlight ? KTLogPen(KTPenKindGeometric, 0x10001, kHighlightGrey, kOnePoint)
                                : KTLogPen(KTPenKindNumber, 5, 0, 0.0),
                      1.0);
    brush.Select(dc);
    pen.Select(dc);
    if (!highlight)
        dc.SelectStockObject(KTStockObject::NullPen);
    dc.Polygon(integral.m_region.data(), KTIntegralFunction::kRegionPoints);
    pen.Restore(dc);
    brush.Restore(dc);
    if (previousFillMode != 0)
        dc.SetPolyFillMode(previousFillMode);
}

bool KTIntegralCalculation::Contains(const KTIntegralFunction& integral, int x, int y)
{
    const int count = KTIntegralFunction::kRegionPoints;
    if (!integral.m_firstFunction || !integral.m_regionValid ||
        static_cast<int>(integral.m_region.size()) != count)
        return false;

    bool inside = false;
    const double px = x;
    const double py = y;
    for (int k = 0; k < count; ++k) {
        const CPoint& a = integral.m_region[static_cast<std::size_t>(k)];
        const CPoint& b = integral.m_region[static_cast<std::size_t>((k + 1) % count)];
        const double ax = a.x, ay = a.y, bx = b.x, by = b.y;
        if ((ay < py && by >= py) || (by < py && ay >= py)) {
            if (ax + (py - ay) * (bx - ax) / (by - ay) < px)
                inside = !inside;
        }
    }
    return inside;
}

void KTIntegralCalculation::CalculateAll(KTIntegralList& list, KTGraphData3& graphData,
                                         const KTVariableSubstitutions* substitutions)
{
    for (KTIntegralFunction& integral : list.m_records)
        Calculate(integral, graphData, substitutions);
}

void KTIntegralCalculation::DrawAll(const KTIntegralList& list, KTDC& dc)
{
    for (const KTIntegralFunction& integral : list.m_records)
        Draw(integral, dc, false);
}

int KTIntegralCalculation::HitTest(const KTIntegralList& list, int x, int y)
{
    for (int index = list.GetCount() - 1; index >= 0; --index) {
        if (Contains(list.GetAt(index), x, y))
            return index;
    }
    return -1;
}
