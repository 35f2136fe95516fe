#include "graph/KTIntegralCalculation.h"

#include "engine/KTFunction3.h"
#include "foundation/KTBrushSelector.h"
#include "foundation/KTLocaleChars.h"
#include "foundation/KTNumberFormat.h"
#include "foundation/KTNumberTexts.h"
#include "foundation/KTPenSelector.h"
#include "foundation/KTImproperIntegral.h"
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
#include <limits>

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

/// The device point of a graph point, held inside the plot area. A coordinate that has no pixel
/// (a value at or below 0 on a logarithmic axis) goes to the low end of its axis, so that the
/// polygon never carries the no-pixel marker into the drawing. The mapping is monotonic along
/// each axis, so holding each sample between the plot's edges cuts the region between two
/// boundaries at those edges, as the shading of what lies outside the plot would be cut.
CPoint DevicePoint(KTAxes& axes, const CRect& plot, double x, double y)
{
    CPoint p = axes.GraphToDevice(x, y, 0, 0);
    if (p.x == KTNoPixel)
        p.x = axes.m_xAxis.PixelLow();
    if (p.y == KTNoPixel)
        p.y = axes.m_yAxis.PixelLow();
    return CPoint(std::clamp(p.x, plot.left, plot.right), std::clamp(p.y, plot.top, plot.bottom));
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

/// A function's value where the evaluator gives one, NaN where it marks none. Values near a
/// pole are kept however large: how fast they grow tells whether the integral exists.
double Raw(KTFunction3* function, double x)
{
    if (!function)
        return 0.0;
    const double v = function->Evaluate(x, KTNoSecondValue).m_y;
    const bool none = v == KTUndefinedValue || v == KTNoSecondValue || v == KTNoYValue || !std::isfinite(v);
    return none ? std::numeric_limits<double>::quiet_NaN() : v;
}

/// The integral and the area as the adaptive rule finds them: each either a number, divergent,
/// or not settled (the sampled sums then stand).
struct ExactValues
{
    bool integralKnown = false;
    bool integralDiverges = false;
    double integral = 0.0;
    bool areaKnown = false;
    bool areaDiverges = false;
    double area = 0.0;
};

/// x dy integrated by parts, [x f] - the integral of f dx, where f has a value throughout; else
/// x f' dx over the points where it has one. False when neither settles.
bool AlongYAxis(KTFunction3* f, double lower, double upper, double& integral)
{
    bool gap = false;
    const auto plain = [&](double x) {
        const double fx = ValueAt(f, x);
        gap = gap || KTIsUndefined(fx);
        return KTIsUndefined(fx) ? 0.0 : fx;
    };
    const double fl = ValueAt(f, lower);
    const double fu = ValueAt(f, upper);
    const KTImproperIntegral::Result byParts = KTImproperIntegral::Integrate(plain, lower, upper);
    if (!gap && !KTIsUndefined(fl) && !KTIsUndefined(fu) &&
        byParts.kind == KTImproperIntegral::Kind::Finite) {
        integral = upper * fu - lower * fl - byParts.value;
        return true;
    }
    const KTImproperIntegral::Result slope = KTImproperIntegral::Integrate(
        [&](double x) {
            const double s = f->Derivative(x);
            return KTIsUndefined(s) ? 0.0 : x * s;
        },
        lower, upper);
    integral = slope.value;
    return slope.kind == KTImproperIntegral::Kind::Finite;
}

/// The integral of f - g along x (of x dy along the y axis) and the area of |f - g|, to about
/// nine digits where the integrand allows. Points where a function has no value take no part,
/// as in the sampled sums. A pole inside the bounds or at one of them whose integral does not
/// exist (|f - g| growing like 1/|x - c| or faster) makes the value divergent.
ExactValues Exact(KTFunction3* f, KTFunction3* g, bool yAxis, double lower, double upper)
{
    ExactValues exact;
    const KTImproperIntegral::Result difference =
        KTImproperIntegral::Integrate([&](double x) { return Raw(f, x) - Raw(g, x); }, lower, upper);
    exact.areaDiverges = difference.kind == KTImproperIntegral::Kind::Diverges;
    exact.areaKnown = difference.kind == KTImproperIntegral::Kind::Finite || exact.areaDiverges;
    exact.area = difference.magnitude;
    if (!yAxis) {
        exact.integralDiverges = exact.areaDiverges;
        exact.integralKnown = exact.areaKnown;
        exact.integral = difference.value;
        return exact;
    }
    // Along the y axis the integrand is x f'(x): a pole of f at c grows there like
    // |x - c|^-(p + 1), which has no integral, unless c is 0, where x f' grows like f.
    const double span = std::fabs(upper - lower);
    if (exact.areaDiverges || (difference.singular && std::fabs(difference.singularAt) > 1e-9 * span)) {
        exact.integralDiverges = true;
        exact.integralKnown = true;
        return exact;
    }
    if (difference.singular) {
        // x f tends to 0 at a pole at 0 that has an integral, so the parts need only its value.
        if (difference.kind != KTImproperIntegral::Kind::Finite)
            return exact;
        const auto part = [&](double x) {
            const double fx = ValueAt(f, x);
            return std::fabs(x) <= 1e-9 * span || KTIsUndefined(fx) ? 0.0 : x * fx;
        };
        exact.integral = part(upper) - part(lower) - difference.value;
        exact.integralKnown = true;
        return exact;
    }
    exact.integralKnown = AlongYAxis(f, lower, upper, exact.integral);
    return exact;
}

/// The words that stand where a divergent integral's value and its area would.
constexpr const char* kDivergesText = "diverges";
constexpr const char* kInfiniteText = "infinite";

/// Words in a label are quoted, so that the typesetter shows them as they are.
CString Quoted(const CString& text, bool words)
{
    return words ? "\"" + text + "\"" : text;
}

void MakeLabels(KTIntegralFunction& integral, KTGraphData3& graphData, double lower, double upper,
                bool withSecond, bool integralDiverges, bool areaDiverges)
{
    KTOptionGraph3& options = graphData.m_options;
    const CString quotedD = "\"d\"";
    // A divergent integral is said so in words; its area is infinite.
    const CString value = integralDiverges ? CString(kDivergesText) : FormatNumber(integral.m_integral, 6);
    const CString equals = integralDiverges ? CString("  ") : CString("  =  ");
    const CString area =
        areaDiverges ? CString(kInfiniteText) : FormatNumber(integral.m_area, options.m_dpArea.GetValue());
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
        integral.m_integralText = text + quotedD + "x" + equals + Quoted(value, integralDiverges);
        integral.m_areaText = "\"" + options.m_msgArea.GetValue() + area + "\"";
        return;
    }

    CString text = "int(" + integral.m_lowerText + "," + integral.m_upperText + ") " + first;
    if (withSecond)
        text += " - [" + second + "] " + quotedD + "x" + equals + Quoted(value, integralDiverges);
    else
        text += " " + quotedD + "x \"" + options.m_msgyAxis.GetValue() + "\"" +
                (integralDiverges ? CString(" ") : CString("=  ")) + Quoted(value, integralDiverges);
    integral.m_integralText = text;
    integral.m_areaText = options.m_msgArea.GetValue() + Quoted(area, areaDiverges);
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
    const CRect plot = axes ? axes->PlotRect() : CRect();

    double x = lower;
    double f0 = ValueAt(f, x);
    double g0 = ValueAt(g, x);
    if (withRegion) {
        double fy = 0.0, gy = 0.0;
        PolygonValues(f0, g0, fy, gy);
        integral.m_region[0] = DevicePoint(*axes, plot, x, fy);
        integral.m_region[static_cast<std::size_t>(last)] = DevicePoint(*axes, plot, x, gy);
    }

    Sums sums;
    for (int k = 1; k < kSamples; ++k) {
        x += step;
        const double f1 = ValueAt(f, x);
        const double g1 = ValueAt(g, x);
        if (withRegion) {
            double fy = 0.0, gy = 0.0;
            PolygonValues(f1, g1, fy, gy);
            integral.m_region[static_cast<std::size_t>(k)] = DevicePoint(*axes, plot, x, fy);
            integral.m_region[static_cast<std::size_t>(last - k)] = DevicePoint(*axes, plot, x, gy);
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
    const ExactValues exact = Exact(f, g, yAxis, lower, upper);
    if (exact.integralKnown)
        integral.m_integral = exact.integralDiverges ? KTUndefinedValue : exact.integral;
    if (exact.areaKnown)
        integral.m_area = exact.areaDiverges ? KTUndefinedValue : exact.area;
    integral.m_areaDiffers =
        exact.integralDiverges != exact.areaDiverges ||
        (!exact.areaDiverges && std::fabs(integral.m_integral - integral.m_area) > kAreaTolerance);
    if (!yAxis)
        integral.m_labelPoint.m_y = (sums.minimum + sums.maximum) * 0.5;

    MakeLabels(integral, graphData, lower, upper, withSecond, exact.integralDiverges, exact.areaDiverges);
    integral.m_regionValid = withRegion;
}

void KTIntegralCalculation::Draw(const KTIntegralFunction& integral, KTDC& dc, bool highlight)
{
    if (!integral.m_regionValid ||
        static_cast<int>(integral.m_region.size()) != KTIntegralFunction::kRegionPoints)
        return;

    // The region's points lie in the plot already; the clip keeps a highlight's outline there too.
    const int saved = dc.SaveDC();
    if (integral.m_axes)
        dc.IntersectClipRect(integral.m_axes->PlotRect());
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
    dc.RestoreDC(saved);
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
