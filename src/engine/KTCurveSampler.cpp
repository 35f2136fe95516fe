#include "engine/KTCurveSampler.h"

#include "engine/KTBracketSearch.h"
#include "engine/KTCurveValues.h"
#include "engine/KTEdgeSearch.h"
#include "engine/KTFunction3.h"
#include "engine/KTPointPolisher.h"
#include "foundation/KTSentinelValues.h"
#include "axes/KTAxes.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <utility>
#include <vector>

namespace {

constexpr double kPolarStep = 0.0006253908692933083; // 1 / 1599: both ends of the range sampled
constexpr int kSideBottom = 1;
constexpr int kSideTop = 2;
constexpr int kSideLeft = 3;
constexpr int kSideRight = 4;
constexpr int kDomainEndHalvings = KTCurveSampler::NarrowingHalvings;
/// Times by which a jump's step between neighbouring doubles exceeds the change of f just
/// beside it (a steep curve changes there by about as much).
constexpr double kJumpRatio = 4.0;
/// Where a bound this large covers points without a value, f may have grown past the doubles.
constexpr double kPartialHuge = 1e15;
constexpr int kDensePoles = KTCurveSampler::DensePoles;
constexpr double kEdgePrecision = KTCurveSampler::EdgePrecision;
/// Halvings of the step between a polar curve's sample and the next (or a pole) that find where
/// it leaves the view, at most: to the last bits of the parameter.
constexpr int kEdgeHalvings = 64;

/// Where a domain on the dependent variable leaves a sample without a value next to one with a
/// value, the curve ends between them: the sample without a value becomes the last point with
/// one, found by halving the parameter, so that the curve meets the bound instead of stopping up
/// to a sample short of it. A sample without a value between two with values stays a gap.
/// `pointAt(t, point)` gives the sample at t and whether it has a value; `drawn(point)` its
/// draw flag.
template <typename PointAt, typename Drawn>
void EndWhereValuesStop(KTCurvePointBuffer& buffer, const double* parameters, int count, PointAt pointAt,
                        Drawn drawn)
{
    std::vector<bool> valued(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k) {
        const KTPoint& p = buffer.m_points[static_cast<std::size_t>(k)].m_point;
        valued[static_cast<std::size_t>(k)] =
            !KTCurveValues::IsNoValue(p.m_x) && !KTCurveValues::IsNoValue(p.m_y);
    }
    for (int k = 0; k < count; ++k) {
        if (valued[static_cast<std::size_t>(k)])
            continue;
        const bool before = k > 0 && valued[static_cast<std::size_t>(k - 1)];
        const bool after = k + 1 < count && valued[static_cast<std::size_t>(k + 1)];
        if (before == after)
            continue;
        double inside = parameters[before ? k - 1 : k + 1];
        double outside = parameters[k];
        KTPoint end;
        if (!pointAt(inside, end))
            continue;
        for (int h = 0; h < kDomainEndHalvings; ++h) {
            const double middle = inside + 0.5 * (outside - inside);
            if (middle == inside || middle == outside)
                break;
            KTPoint p;
            if (pointAt(middle, p)) {
                inside = middle;
                end = p;
            } else {
                outside = middle;
            }
        }
        KTCurvePoint& point = buffer.m_points[static_cast<std::size_t>(k)];
        point.m_point = end;
        point.m_draw = drawn(end) ? 1 : 0;
    }
}

void MarkOff(KTCurvePoint& point)
{
    point.m_draw = 0;
    point.m_break = 1;
}

} // namespace

double KTCurveSampler::PixelSize(const KTAxis& axis)
{
    const double extent = axis.m_isX ? std::fabs(double(axis.m_devicePixel.right) - axis.m_devicePixel.left)
                                     : std::fabs(double(axis.m_devicePixel.bottom) - axis.m_devicePixel.top);
    return (axis.m_max - axis.m_min) / std::max(extent, 1.0);
}

double KTCurveSampler::Value(double x)
{
    return m_f.ValueOfOrder(x, m_order);
}

int KTCurveSampler::OppositeSide(int side)
{
    switch (side) {
    case kSideBottom: return kSideTop;
    case kSideTop: return kSideBottom;
    case kSideLeft: return kSideRight;
    case kSideRight: return kSideLeft;
    default: return -1;
    }
}

KTFunctionDomain KTCurveSampler::SampledDomain() const
{
    KTFunctionDomain domain = m_f.Data().m_domain;
    const KTEquationPartList& parts = m_f.Parts();
    const bool explicitForm = !parts.m_polar && !parts.m_parametricX;
    // The default stays stored as it is (files and the domain's readers rely on it); only the
    // samples go beyond it, so that a curve fills a view wider than 100000 as it fills a narrow one.
    if (explicitForm && parts.CountParts(KTPartDomain) == 0 &&
        domain.m_low == KTFunctionDomain::ExplicitDefaultLow &&
        domain.m_high == KTFunctionDomain::ExplicitDefaultHigh) {
        domain.m_low = -HUGE_VAL;
        domain.m_high = HUGE_VAL;
    }
    return domain;
}

void KTCurveSampler::SetDomainEnds()
{
    KTAxes* axes = m_f.Data().m_owner;
    if (!m_f.Data().m_interpreted || !axes)
        return;
    KTFunctionData3& data = m_f.Data();
    KTFunctionDomain& domain = data.m_domain;
    const KTFunctionDomain sampled = SampledDomain();
    const bool spansView = sampled.m_low != domain.m_low;
    const KTEquationPartList& parts = m_f.Parts();
    const bool polar = parts.m_polar != 0;
    const bool swapped = parts.m_inverse != 0 && !polar;

    // The domain of a swapped form lies along y, so its ends are compared with the y range, and
    // its values with the x range.
    const KTAxis& along = swapped ? axes->m_yAxis : axes->m_xAxis;
    const KTAxis& across = swapped ? axes->m_xAxis : axes->m_yAxis;
    const auto valueOffView = [&](double at) {
        const double v = Value(at);
        return v > across.m_max || v < across.m_min;
    };

    if (sampled.m_low < along.m_min && !polar) {
        data.m_plottedLow = along.m_min;
        if (domain.m_lowEnd != KTFunctionDomain::EndNone)
            domain.m_lowEnd = KTFunctionDomain::EndUnbounded;
    } else {
        data.m_plottedLow = domain.m_low;
        if (domain.m_lowEnd != KTFunctionDomain::EndNone && valueOffView(domain.m_low))
            domain.m_lowEnd = KTFunctionDomain::EndUnbounded;
    }

    if (!(domain.m_high > domain.m_low))
        domain.m_high = domain.m_low + 0.01;
    const double high = spansView ? sampled.m_high : domain.m_high;

    if (high > along.m_max && !polar) {
        data.m_plottedHigh = along.m_max;
        if (domain.m_highEnd != KTFunctionDomain::EndNone)
            domain.m_highEnd = KTFunctionDomain::EndUnbounded;
    } else {
        data.m_plottedHigh = domain.m_high;
        if (domain.m_highEnd != KTFunctionDomain::EndNone && valueOffView(domain.m_high))
            domain.m_highEnd = KTFunctionDomain::EndUnbounded;
    }
}

void KTCurveSampler::SampleBranch()
{
    KTFunctionData3& data = m_f.Data();
    KTAxes* axes = data.m_owner;
    KTCurvePointBuffer* buffer = m_f.m_currentBuffer;
    if (!data.m_interpreted || data.CurrentList().IsEmpty() || !axes || !buffer)
        return;

    const int status = m_f.Status();
    const KTEquationPartList& forms = m_f.Parts();
    if (m_order != 0 && (status != KTStatusExplicit || forms.m_polar || forms.m_inverse || forms.m_parametricX)) {
        buffer->m_count = 0;
        return;
    }
    if (status == KTStatusNoEquation || status == KTStatusNoEquationP) {
        buffer->m_count = 0;
        return;
    }
    if (status == KTStatusImplicit) {
        SampleImplicit(*axes);
        return;
    }

    const KTEquationPartList& parts = m_f.Parts();
    const bool polar = parts.m_polar != 0;
    const bool swapped = parts.m_inverse != 0;
    const bool parametric = parts.m_parametricX != 0;
    if (!polar && !swapped && !parametric)
        SampleExplicit(*axes, false);
    else if (swapped && !polar && !parametric)
        SampleExplicit(*axes, true);
    else if (polar && !parametric) {
        SamplePolar();
        BreakPolarAtPoles();
    } else if (parametric && !polar)
        SampleParametric();
    else
        return;

    // The spacing of the samples themselves, before points are added or moved between them.
    const double spacing =
        buffer->m_count >= 2 ? buffer->m_points[1].m_point.m_x - buffer->m_points[0].m_point.m_x : 0.0;

    // The discontinuity list is searched for sign changes only: where it meets the view's edge
    // or the end of its domain does not matter.
    if (status == KTStatusExplicit && !polar && !parametric &&
        data.CurrentListIndex() != KTFunctionData3::DiscontinuityList) {
        AddDomainEnds(swapped);
        BreakAtPoles(swapped);
        RefineEdges(swapped);
    }
    if (parametric && !polar)
        FollowParametric();

    // A spacing that is not positive (a degenerate range) keeps the previous tolerance.
    if (spacing > 0.0 && std::isfinite(spacing))
        m_f.m_tolerance = spacing;
}

void KTCurveSampler::SampleExplicit(KTAxes& axes, bool swapped)
{
    KTCurvePointBuffer& buffer = *m_f.m_currentBuffer;
    const KTFunctionDomain domain = SampledDomain();
    const KTAxis& along = swapped ? axes.m_yAxis : axes.m_xAxis;
    const KTAxis& across = swapped ? axes.m_xAxis : axes.m_yAxis;

    buffer.m_count = 0;
    // An axis without extent has no pixel to sample at.
    if (!(along.m_max > along.m_min))
        return;
    if (swapped)
        axes.SampleY(buffer, domain.m_low, domain.m_high);
    else
        axes.SampleX(buffer, domain.m_low, domain.m_high);
    if (buffer.m_count < 0 || buffer.m_count > buffer.Size())
        buffer.m_count = 0;

    const int count = buffer.m_count;
    std::vector<double> positions(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const KTPoint& p = buffer.m_points[static_cast<std::size_t>(i)].m_point;
        positions[static_cast<std::size_t>(i)] = swapped ? p.m_y : p.m_x;
    }
    std::vector<double> values(positions.size());
    if (m_order == 0)
        m_f.EvaluateValues(positions.data(), values.data(), count, KTNoSecondValue);
    else
        for (int i = 0; i < count; ++i)
            values[static_cast<std::size_t>(i)] = Value(positions[static_cast<std::size_t>(i)]);

    for (int i = 0; i < count; ++i) {
        KTCurvePoint& point = buffer.m_points[static_cast<std::size_t>(i)];
        const double position = positions[static_cast<std::size_t>(i)];
        const double value = values[static_cast<std::size_t>(i)];
        point.m_point.m_x = position;
        point.m_point.m_y = value;
        point.m_firstDerivative = 0.0;
        point.m_draw = 1;
        point.m_break = 0;
        if (value > across.m_max || value < across.m_min || position < domain.m_low ||
            position > domain.m_high)
            MarkOff(point);
    }
}

void KTCurveSampler::SamplePolar()
{
    KTCurvePointBuffer& buffer = *m_f.m_currentBuffer;
    const KTFunctionDomain& domain = m_f.Data().m_domain;
    const bool swapped = m_f.Parts().m_inverse != 0;
    const double factor = m_f.Data().m_owner->AngleFactor();
    const double scale = factor != 0.0 ? 1.0 / factor : 1.0;
    const double step = (domain.m_high - domain.m_low) * kPolarStep;
    KTPolarDirections& directions = m_f.m_polarDirections;
    if (!swapped)
        directions.Prepare(domain.m_low, step, scale, BranchSamples);

    double parameters[BranchSamples];
    double values[BranchSamples];
    for (int k = 0; k < BranchSamples; ++k)
        parameters[k] = swapped ? domain.m_low + k * step : directions.Parameter(k);
    m_f.EvaluateValues(parameters, values, BranchSamples, KTNoSecondValue);

    for (int k = 0; k < BranchSamples; ++k) {
        KTCurvePoint& point = buffer.m_points[static_cast<std::size_t>(k)];
        const double parameter = parameters[k];
        const double value = values[k];
        point.m_point = KTPoint(parameter, value);
        point.m_firstDerivative = 0.0;
        point.m_draw = 1;
        point.m_break = 0;
        // r = f(angle) holds (angle, radius); angle = f(r) holds (radius, angle).
        bool inside = !KTCurveValues::IsNoValue(value);
        if (inside && swapped) {
            const double angle = value * scale;
            inside = m_f.InGraphRangeStrict(parameter * std::cos(angle), parameter * std::sin(angle));
        } else if (inside) {
            inside = m_f.InGraphRangeStrict(value * directions.Cosine(k), value * directions.Sine(k));
        }
        if (!inside)
            MarkOff(point);
    }
    buffer.m_count = BranchSamples;
    if (m_f.Data().m_valueLists == 0)
        return;
    const auto pointAt = [&](double parameter, KTPoint& p) {
        p = KTPoint(parameter, m_f.EvaluateValue(parameter, KTNoSecondValue));
        return !KTCurveValues::IsNoValue(p.m_y);
    };
    const auto drawn = [&](const KTPoint& p) {
        const double angle = (swapped ? p.m_y : p.m_x) * scale;
        const double radius = swapped ? p.m_x : p.m_y;
        return m_f.InGraphRangeStrict(radius * std::cos(angle), radius * std::sin(angle));
    };
    EndWhereValuesStop(buffer, parameters, BranchSamples, pointAt, drawn);
}

void KTCurveSampler::SampleParametric()
{
    KTCurvePointBuffer& buffer = *m_f.m_currentBuffer;
    KTFunctionData3& data = m_f.Data();
    const KTFunctionDomain& domain = data.m_domain;
    const double step = (domain.m_high - domain.m_low) * ParametricStep;
    const int list = data.CurrentListIndex();
    double parameters[BranchSamples];
    double values[BranchSamples];
    for (int k = 0; k < BranchSamples; ++k)
        parameters[k] = domain.m_low + k * step;

    m_f.EvaluateValues(parameters, values, BranchSamples, KTNoSecondValue);
    for (int k = 0; k < BranchSamples; ++k) {
        KTCurvePoint& point = buffer.m_points[static_cast<std::size_t>(k)];
        point.m_point.m_x = values[k];
        point.m_firstDerivative = 0.0;
        point.m_break = 0;
    }
    data.SelectList(KTFunctionData3::SecondBranchList);
    m_f.EvaluateValues(parameters, values, BranchSamples, KTNoSecondValue);
    for (int k = 0; k < BranchSamples; ++k) {
        KTCurvePoint& point = buffer.m_points[static_cast<std::size_t>(k)];
        point.m_point.m_y = values[k];
        point.m_draw = m_f.InGraphRange(point.m_point.m_x, point.m_point.m_y) ? 1 : 0;
    }
    buffer.m_count = BranchSamples;
    if (data.m_valueLists != 0) {
        const auto pointAt = [&](double parameter, KTPoint& p) {
            data.SelectList(KTFunctionData3::FirstBranchList);
            p.m_x = m_f.EvaluateValue(parameter, KTNoSecondValue);
            data.SelectList(KTFunctionData3::SecondBranchList);
            p.m_y = m_f.EvaluateValue(parameter, KTNoSecondValue);
            return !KTCurveValues::IsNoValue(p.m_x) && !KTCurveValues::IsNoValue(p.m_y);
        };
        const auto drawn = [&](const KTPoint& p) { return m_f.InGraphRange(p.m_x, p.m_y); };
        EndWhereValuesStop(buffer, parameters, BranchSamples, pointAt, drawn);
    }
    data.SelectList(list);
}

void KTCurveSampler::AddDomainEnds(bool swapped)
{
    KTCurvePointBuffer& buffer = *m_f.m_currentBuffer;
    const KTAxes& axes = *m_f.Data().m_owner;
    const KTAxis& across = swapped ? axes.m_xAxis : axes.m_yAxis;
    const KTFunctionDomain domain = SampledDomain();
    const auto defined = [](const KTCurvePoint& p) { return !KTCurveValues::IsNoValue(p.m_point.m_y); };
    // A drawn sample beside one without a value: the branch ends between them. (Beside a sample
    // off the view, its end would not show.)
    const auto endsBetween = [&](const KTCurvePoint& a, const KTCurvePoint& b) {
        return defined(a) != defined(b) && (defined(a) ? a.m_draw : b.m_draw);
    };
    const int count = std::clamp<int>(buffer.m_count, 0, buffer.Size());
    int ends = 0;
    for (int i = 0; i + 1 < count; ++i)
        ends += endsBetween(buffer.m_points[static_cast<std::size_t>(i)],
                            buffer.m_points[static_cast<std::size_t>(i + 1)])
                    ? 1
                    : 0;
    if (ends == 0)
        return;

    // A branch that starts or stops having a value between two samples (the ends of a
    // circle's halves, of a square root) is followed to the last position with a value, so that
    // it reaches the end of its domain however small the piece between the samples is.
    std::vector<KTCurvePoint> points;
    points.reserve(static_cast<std::size_t>(count + ends));
    for (int i = 0; i < count; ++i) {
        const KTCurvePoint& a = buffer.m_points[static_cast<std::size_t>(i)];
        points.push_back(a);
        if (i + 1 >= count)
            break;
        const KTCurvePoint& b = buffer.m_points[static_cast<std::size_t>(i + 1)];
        if (!endsBetween(a, b))
            continue;
        double inside = defined(a) ? a.m_point.m_x : b.m_point.m_x;
        double outside = defined(a) ? b.m_point.m_x : a.m_point.m_x;
        for (int k = 0; k < kDomainEndHalvings; ++k) {
            const double middle = 0.5 * (inside + outside);
            if (middle == inside || middle == outside)
                break;
            if (KTCurveValues::IsNoValue(Value(middle)))
                outside = middle;
            else
                inside = middle;
        }
        KTCurvePoint end = defined(a) ? a : b;
        end.m_point = KTPoint(inside, Value(inside));
        end.m_firstDerivative = 0.0;
        end.m_draw = 1;
        end.m_break = 0;
        if (end.m_point.m_y > across.m_max || end.m_point.m_y < across.m_min || inside < domain.m_low ||
            inside > domain.m_high)
            MarkOff(end);
        points.push_back(end);
    }
    buffer.Reserve(static_cast<int>(points.size()));
    std::copy(points.begin(), points.end(), buffer.m_points.begin());
    buffer.m_count = static_cast<std::int32_t>(points.size());
}

bool KTCurveSampler::SamplesSuggestPole(int i)
{
    // Without a bound of f over the step, its samples must tell: towards a pole |f| rises ever
    // more steeply from both sides (towards a smooth peak ever less steeply), and past the pole
    // f either keeps its sign (1/x^2) or changes it (tan x). At the ends of the samples there is
    // no other side to tell by.
    const KTCurvePointBuffer& buffer = *m_f.m_currentBuffer;
    const int count = std::clamp<int>(buffer.m_count, 0, buffer.Size());
    const auto magnitude = [&](int k) {
        if (k < 0 || k >= count)
            return -1.0;
        const double v = buffer.m_points[static_cast<std::size_t>(k)].m_point.m_y;
        return KTCurveValues::IsNoValue(v) ? -1.0 : std::fabs(v);
    };
    const auto steepening = [&](int near, int step) {
        const double m0 = magnitude(near);
        const double m1 = magnitude(near - step);
        const double m2 = magnitude(near - 2 * step);
        return m1 >= 0.0 && m0 > m1 && (m2 < 0.0 || m0 - m1 > m1 - m2);
    };
    return steepening(i, 1) && steepening(i + 1, -1);
}

std::vector<int> KTCurveSampler::PoleSteps(const KTFunction3::PreparedList* bounds)
{
    const KTCurvePointBuffer& buffer = *m_f.m_currentBuffer;
    const int count = std::clamp<int>(buffer.m_count, 0, buffer.Size());
    const auto x = [&](int i) { return buffer.m_points[static_cast<std::size_t>(i)].m_point.m_x; };
    std::vector<int> steps;
    if (!bounds) {
        for (int i = 0; i + 1 < count; ++i)
            if (SamplesSuggestPole(i))
                steps.push_back(i);
        return steps;
    }
    // A stretch of samples whose bound is finite holds no pole, nor does one without any value.
    return StepsNotCleared(
        count, [&](int first, int last) { return MayHoldPole(BoundOver(*bounds, x(first), x(last))); });
}

std::vector<int> KTCurveSampler::StepsNotCleared(int count, const std::function<bool(int, int)>& mayHold)
{
    std::vector<int> steps;
    const std::function<void(int, int)> split = [&](int first, int last) {
        if (last <= first || !mayHold(first, last))
            return;
        if (last - first == 1) {
            steps.push_back(first);
            return;
        }
        const int middle = first + (last - first) / 2;
        split(first, middle);
        split(middle, last);
    };
    split(0, count - 1);
    return steps;
}

bool KTCurveSampler::MayHoldPole(const KTInterval& bound)
{
    // A huge bound of a stretch where some points have no value may hide a pole past them:
    // there f grew beyond what the evaluator takes (sinh(1/x) has none where 1/x passes 200).
    return !bound.IsEmpty() &&
           (!bound.IsBounded() || (bound.IsPartial() && std::max(-bound.m_lo, bound.m_hi) >= kPartialHuge));
}

KTInterval KTCurveSampler::BoundOver(const KTFunction3::PreparedList& bounds, double low, double high)
{
    // No second variable: its range is empty, as KTNoSecondValue is to a single evaluation.
    return bounds.Bound(std::min(low, high), std::max(low, high), HUGE_VAL, -HUGE_VAL);
}

bool KTCurveSampler::NarrowPole(const KTFunction3::PreparedList* bounds, const KTCurvePoint& a,
                                const KTCurvePoint& b, double& u, double& v)
{
    u = a.m_point.m_x;
    v = b.m_point.m_x;
    double fu = a.m_point.m_y;
    double fv = b.m_point.m_y;
    if (bounds) {
        // The half whose bound is not finite holds the pole; where neither half's is, the bound
        // of the whole step was only wide (x/x reads x twice) and there is none. Where both are,
        // the pole lies near the middle, within what the bounds allow around it for rounding,
        // and the values themselves place it.
        for (int k = 0; k < kDomainEndHalvings; ++k) {
            const double middle = u + 0.5 * (v - u);
            if (middle == u || middle == v)
                return true;
            const bool left = MayHoldPole(BoundOver(*bounds, u, middle));
            const bool right = MayHoldPole(BoundOver(*bounds, middle, v));
            if (left && right)
                break;
            if (left)
                v = middle;
            else if (right)
                u = middle;
            else
                return false;
        }
        fu = Value(u);
        fv = Value(v);
    }
    const auto f = [this](double at) { return Value(at); };
    if (KTBracketSearch::ChangesSign(fu, fv) && fu != 0.0 && fv != 0.0) {
        const KTBracketSearch::Result r = KTBracketSearch::Bisect(f, u, v, fu, fv);
        u = std::min(r.last.a, r.last.b);
        v = std::max(r.last.a, r.last.b);
        return true;
    }
    const double peak = KTBracketSearch::GoldenMaxAbs(f, u, v);
    const double reach = 4.0 * KTBracketSearch::Resolution(peak);
    u = std::max(u, peak - reach);
    v = std::min(v, peak + reach);
    return true;
}

bool KTCurveSampler::StepBreaks(int i, const KTFunction3::PreparedList* bounds, KTPointPolisher& polisher,
                                double pixel, double& u, double& v)
{
    const KTCurvePointBuffer& buffer = *m_f.m_currentBuffer;
    const KTCurvePoint& a = buffer.m_points[static_cast<std::size_t>(i)];
    const KTCurvePoint& b = buffer.m_points[static_cast<std::size_t>(i + 1)];
    const auto has = [](double value) { return !KTCurveValues::IsNoValue(value); };
    if (!has(a.m_point.m_y) || !has(b.m_point.m_y) || !(b.m_point.m_x > a.m_point.m_x) ||
        !NarrowPole(bounds, a, b, u, v))
        return false;
    // Where the narrowing ends on the pole itself (1/(x^2 - 4) at 2 has no value), each side is
    // the nearest point out from it that has one. Where the values end well before the pole
    // (e^(cosec x) runs past the doubles some way short of it, and is 0 just past it), the
    // narrowing ends where they do: the side across the stretch without values is taken back
    // to where they come again, at the pole, not left where the doubling step overshot it.
    const auto beside = [&](double at, double limit) {
        const double direction = limit > at ? 1.0 : -1.0;
        double step = KTBracketSearch::Resolution(at);
        double x = at;
        double without = at;
        while (!has(Value(x)) && step < std::fabs(limit - at)) {
            without = x;
            x = at + direction * step;
            step *= 2.0;
        }
        if (x == at || !has(Value(x)))
            return x;
        return KTBracketSearch::Boundary([&](double v) { return has(Value(v)); }, x, without,
                                         kDomainEndHalvings);
    };
    u = beside(u, a.m_point.m_x);
    v = beside(v, b.m_point.m_x);
    const double fu = Value(u);
    const double fv = Value(v);
    // A pole, where |f| grows without bound, or a jump, where f changes by more than a pixel
    // between neighbouring doubles and by far less just beside them. Anything else the step
    // holds is a hole (sin(x)/x at 0), or a point a bound's allowance for rounding took for a
    // pole just beyond the step: the curve goes on through it.
    const double w = v - u;
    const double spacing = b.m_point.m_x - a.m_point.m_x;
    const bool jump =
        has(fu) && has(fv) && std::fabs(fu - fv) > pixel &&
        std::fabs(fu - fv) > kJumpRatio * (std::fabs(fu - Value(u - w)) + std::fabs(Value(v + w) - fv));
    return !has(fu) || !has(fv) || jump || polisher.Grows(u, spacing) || polisher.Grows(v, spacing);
}

KTFunction3::PreparedList* KTCurveSampler::Bounds(KTFunction3::PreparedList& prepared)
{
    // A list that does not compile has no bounds, and its samples must tell.
    return m_f.PrepareList(m_f.Data().CurrentListIndex(), prepared) ? &prepared : nullptr;
}

void KTCurveSampler::BreakAtPoles(bool swapped)
{
    KTCurvePointBuffer& buffer = *m_f.m_currentBuffer;
    const KTAxes& axes = *m_f.Data().m_owner;
    const KTAxis& across = swapped ? axes.m_xAxis : axes.m_yAxis;
    const KTFunctionDomain domain = SampledDomain();
    const auto inside = [&](double v) {
        return !KTCurveValues::IsNoValue(v) && v <= across.m_max && v >= across.m_min;
    };
    const int count = std::clamp<int>(buffer.m_count, 0, buffer.Size());
    KTFunction3::PreparedList prepared;
    const KTFunction3::PreparedList* bounds = Bounds(prepared);
    KTPointPolisher polisher(m_f, count >= 2 ? buffer.m_points[1].m_point.m_x - buffer.m_points[0].m_point.m_x
                                             : 0.0);

    // The points to add, each after the sample of its index.
    std::vector<std::pair<int, KTCurvePoint>> added;
    const std::vector<int> steps = PoleSteps(bounds);
    // Poles closer together than the samples can show (tan(1000x) on a view of 20) leave only
    // noise between them: where there are many, each step in a run of three or more that hold
    // one breaks the curve as it is, unsearched. A pole that stands apart is searched however
    // many crowd elsewhere (tan(tan x) crowds its poles towards each pole of tan x only).
    const bool many = bounds && static_cast<int>(steps.size()) > kDensePoles;
    const auto crowded = [&](std::size_t k) {
        const auto run = [&](std::size_t from, std::size_t to) {
            return to < steps.size() && from < to && steps[to] - steps[from] == static_cast<int>(to - from);
        };
        return many && ((k >= 2 && run(k - 2, k)) || (k >= 1 && run(k - 1, k + 1)) || run(k, k + 2));
    };
    for (std::size_t k = 0; k < steps.size(); ++k) {
        const int i = steps[k];
        const KTCurvePoint& a = buffer.m_points[static_cast<std::size_t>(i)];
        const KTCurvePoint& b = buffer.m_points[static_cast<std::size_t>(i + 1)];
        double u = a.m_point.m_x;
        double v = b.m_point.m_x;
        if (!crowded(k) && !StepBreaks(i, bounds, polisher, PixelSize(across), u, v))
            continue;
        const auto add = [&](double x, double y) {
            KTCurvePoint point = a;
            point.m_point = KTPoint(x, y);
            point.m_firstDerivative = 0.0;
            point.m_draw = 1;
            point.m_break = 0;
            if (!inside(y) || x < domain.m_low || x > domain.m_high)
                MarkOff(point);
            added.emplace_back(i, point);
        };
        // Either side of the pole a point of its own, and between them one without a value:
        // the polyline ends there, and the edge refinement takes each side to the view's edge.
        if (u > a.m_point.m_x)
            add(u, Value(u));
        add(u + 0.5 * (v - u), KTUndefinedValue);
        if (v < b.m_point.m_x)
            add(v, Value(v));
    }
    buffer.InsertAfter(added);
}

void KTCurveSampler::BreakPolarAtPoles()
{
    // The samples of r = f(angle) (angle = f(r)) keep their places, which the directions kept
    // with them index: at a pole of f the polyline ends at the sample before it, and goes on
    // from the sample after it.
    KTCurvePointBuffer& buffer = *m_f.m_currentBuffer;
    const KTAxes& axes = *m_f.Data().m_owner;
    KTFunction3::PreparedList prepared;
    const KTFunction3::PreparedList* bounds = Bounds(prepared);
    const int count = std::clamp<int>(buffer.m_count, 0, buffer.Size());
    const double spacing = count >= 2 ? buffer.m_points[1].m_point.m_x - buffer.m_points[0].m_point.m_x : 0.0;
    KTPointPolisher polisher(m_f, spacing);
    const double pixel = std::min(PixelSize(axes.m_xAxis), PixelSize(axes.m_yAxis));
    const std::vector<int> steps = PoleSteps(bounds);
    const bool dense = bounds && static_cast<int>(steps.size()) > kDensePoles;
    // Where a piece leaves the view between a sample and a pole (or comes into it between the
    // pole and a sample), the two sides of the pole, searched for where it crosses the edge.
    std::vector<std::pair<int, std::pair<double, double>>> poles;
    for (const int i : steps) {
        double u;
        double v;
        if (!dense && !StepBreaks(i, bounds, polisher, pixel, u, v))
            continue;
        buffer.m_points[static_cast<std::size_t>(i)].m_break = 1;
        if (!dense)
            poles.push_back({i, {u, v}});
    }
    ReachPolarEdges(poles);
}

void KTCurveSampler::ReachPolarEdges(const std::vector<std::pair<int, std::pair<double, double>>>& poles)
{
    // The samples leave the view a step after the curve does: the point where it crosses the
    // edge is added once the samples are turned into x and y, so that the polyline ends on it
    // (or starts from it where the curve comes back).
    KTCurvePointBuffer& buffer = *m_f.m_currentBuffer;
    buffer.m_afterConversion.clear();
    const KTAxes& axes = *m_f.Data().m_owner;
    const bool swapped = m_f.Parts().m_inverse != 0;
    const double factor = m_f.Data().m_owner->AngleFactor();
    const double scale = factor != 0.0 ? 1.0 / factor : 1.0;
    const double xPixel = PixelSize(axes.m_xAxis);
    const double yPixel = PixelSize(axes.m_yAxis);
    // How many pixels inside the view the curve lies at the parameter, or -1 outside it.
    const auto fromEdge = [&](double parameter, double& value) {
        value = Value(parameter);
        if (KTCurveValues::IsNoValue(value))
            return -1.0;
        const double angle = (swapped ? value : parameter) * scale;
        const double radius = swapped ? parameter : value;
        const double x = radius * std::cos(angle);
        const double y = radius * std::sin(angle);
        if (!m_f.InGraphRangeStrict(x, y))
            return -1.0;
        return std::min(std::min(x - axes.m_xAxis.m_min, axes.m_xAxis.m_max - x) / xPixel,
                        std::min(y - axes.m_yAxis.m_min, axes.m_yAxis.m_max - y) / yPixel);
    };
    // The last parameter from `inside` toward `outside` at which the curve is in view.
    const auto edge = [&](double inside, double outside, BYTE end) {
        KTCurvePoint point;
        point.m_draw = 1;
        point.m_break = end;
        double value = 0.0;
        const double start = fromEdge(inside, value);
        inside = KTEdgeSearch(inside, outside, start, value, kEdgePrecision, kEdgeHalvings, fromEdge);
        point.m_point = KTPoint(inside, value);
        return point;
    };
    const auto has = [](const KTCurvePoint& p) { return !KTCurveValues::IsNoValue(p.m_point.m_y); };
    const int count = std::clamp<int>(buffer.m_count, 0, buffer.Size());
    auto pole = poles.begin();
    for (int i = 0; i + 1 < count; ++i) {
        const KTCurvePoint& a = buffer.m_points[static_cast<std::size_t>(i)];
        const KTCurvePoint& b = buffer.m_points[static_cast<std::size_t>(i + 1)];
        while (pole != poles.end() && pole->first < i)
            ++pole;
        double value;
        if (pole != poles.end() && pole->first == i) {
            // A radius that runs off to infinity at an angle: each side of the pole reaches the
            // edge. An angle that runs off does not leave the view.
            const auto [u, v] = pole->second;
            if (swapped)
                continue;
            if (a.m_draw && has(a) && fromEdge(u, value) < 0.0)
                buffer.m_afterConversion.emplace_back(i, edge(a.m_point.m_x, u, 1));
            if (b.m_draw && has(b) && fromEdge(v, value) < 0.0)
                buffer.m_afterConversion.emplace_back(i, edge(b.m_point.m_x, v, 0));
        } else if (a.m_draw != b.m_draw && has(a) && has(b)) {
            buffer.m_afterConversion.emplace_back(
                i, a.m_draw ? edge(a.m_point.m_x, b.m_point.m_x, 1) : edge(b.m_point.m_x, a.m_point.m_x, 0));
        }
    }
}

double KTCurveSampler::EdgeBetween(double inside, double outside, const KTAxis& across)
{
    const auto depth = [&](double x, double& v) {
        v = Value(x);
        return !KTCurveValues::IsNoValue(v) && v <= across.m_max && v >= across.m_min
                   ? std::min(across.m_max - v, v - across.m_min)
                   : -1.0;
    };
    double value = 0.0;
    const double start = depth(inside, value);
    return KTEdgeSearch(inside, outside, start, value, kEdgePrecision * PixelSize(across), kDomainEndHalvings,
                        depth);
}

void KTCurveSampler::RefineEdges(bool swapped)
{
    KTCurvePointBuffer& buffer = *m_f.m_currentBuffer;
    const KTAxes& axes = *m_f.Data().m_owner;
    const KTAxis& across = swapped ? axes.m_xAxis : axes.m_yAxis;
    const KTFunctionDomain domain = SampledDomain();
    const auto inside = [&](double v) { return v <= across.m_max && v >= across.m_min; };
    const auto crossing = [&](double x) {
        KTCurvePoint point;
        point.m_point = KTPoint(x, Value(x));
        point.m_draw = 1;
        point.m_break = 0;
        return point;
    };
    // The points to add, each after the sample of its index.
    std::vector<std::pair<std::int32_t, KTCurvePoint>> added;
    // The sample the last step moved onto the crossing where its piece enters the view.
    bool movedOntoEntry = false;
    const int count = std::clamp<int>(buffer.m_count, 0, buffer.Size());
    for (int i = 0; i + 1 < count; ++i) {
        KTCurvePoint& first = buffer.m_points[static_cast<std::size_t>(i)];
        KTCurvePoint& second = buffer.m_points[static_cast<std::size_t>(i + 1)];
        const bool firstHoldsEntry = movedOntoEntry;
        movedOntoEntry = false;
        // Where a value is missing the curve ends at its domain, found by AddDomainEnds.
        if (KTCurveValues::IsNoValue(first.m_point.m_y) || KTCurveValues::IsNoValue(second.m_point.m_y))
            continue;
        const double start = first.m_point.m_x;
        const double tolerance = (second.m_point.m_x - start) * 0.01;
        if (!(tolerance > 0.0))
            continue;
        if (!first.m_draw && !second.m_draw) {
            // Below the view at one sample and above it at the next, with no pole between (the
            // pole search put a point without a value there): the curve crosses the view
            // between them. A point in view is found by halving, and each crossing from it.
            const double a = first.m_point.m_y;
            const double b = second.m_point.m_y;
            const bool spansView = (a > across.m_max && b < across.m_min) || (a < across.m_min && b > across.m_max);
            if (!spansView || start < domain.m_low || second.m_point.m_x > domain.m_high)
                continue;
            double low = start;
            double high = second.m_point.m_x;
            double within = std::numeric_limits<double>::quiet_NaN();
            for (int k = 0; k < kDomainEndHalvings; ++k) {
                const double middle = low + 0.5 * (high - low);
                if (middle == low || middle == high)
                    break;
                const double v = Value(middle);
                if (KTCurveValues::IsNoValue(v))
                    break;
                if (inside(v)) {
                    within = middle;
                    break;
                }
                if ((v > across.m_max) == (a > across.m_max))
                    low = middle;
                else
                    high = middle;
            }
            if (std::isnan(within))
                continue;
            added.emplace_back(i, crossing(EdgeBetween(within, start, across)));
            added.emplace_back(i, crossing(EdgeBetween(within, second.m_point.m_x, across)));
            continue;
        }
        if (first.m_draw == second.m_draw)
            continue;
        // The walk finds the first step that crosses the edge; the crossing itself is then
        // narrowed to a small part of a pixel, so that a steep curve (ln x near 0) reaches the
        // edge rather than stopping a hundredth of a sample short of it.
        for (int k = 1; k <= 100; ++k) {
            const double position = start + k * tolerance;
            const double value = Value(position);
            if (second.m_draw) {
                // The curve enters the view: the first position inside replaces the later point.
                if (inside(value)) {
                    const double x = EdgeBetween(position, position - tolerance, across);
                    second.m_point = KTPoint(x, Value(x));
                    movedOntoEntry = true;
                    break;
                }
            } else if (!inside(value)) {
                // The curve leaves: the earlier point moves to the last position inside, unless
                // it already holds where the piece came in.
                const double x = EdgeBetween(position - tolerance, position, across);
                if (firstHoldsEntry)
                    added.emplace_back(i, crossing(x));
                else
                    first.m_point = KTPoint(x, Value(x));
                break;
            }
        }
    }
    buffer.InsertAfter(added);
}
