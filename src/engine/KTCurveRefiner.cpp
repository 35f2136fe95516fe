#include "engine/KTCurveRefiner.h"

#include "engine/KTCurveValues.h"
#include "engine/KTFunction3.h"
#include "engine/KTPointPolisher.h"
#include "foundation/KTSentinelValues.h"
#include "axes/KTAxes.h"

#include <algorithm>
#include <cmath>

using KTCurveValues::IsNoValue;

namespace {

constexpr double kRootTolerance = 1e-8;
/// Tolerances on f' and f'' of the searches, in the view's slopes (as given on a square view).
constexpr double kSlopeTolerance = 0.0001;
constexpr double kCurvatureTolerance = 0.01;
constexpr double kLargeValue = 10000.0;
constexpr double kBracketFactor = 0.9090909090909091;
constexpr double kHitDistance2 = 40000.0;
/// Where the two sides of a divisor's zero are read, in samples, and the part of the view's
/// height (about a pixel) within which they make one hole.
constexpr double kHoleSide = 1e-6;
constexpr double kHolePixels = 1e-3;

/// A usable divisor: finite, not a sentinel and not zero.
bool Usable(double d)
{
    return !IsNoValue(d) && d != 0.0;
}

} // namespace

double KTCurveRefiner::F(double x)
{
    return m_f.EvaluateValue(x, KTNoSecondValue);
}

double KTCurveRefiner::D1(double x)
{
    return m_f.Derivative(x);
}

double KTCurveRefiner::D2(double x)
{
    return m_f.SecondDerivative(x);
}

void KTCurveRefiner::RefineRoot(int index, double target)
{
    KTMarker* marker = m_f.m_markers.At(index);
    if (!marker)
        return;
    const double x0 = marker->m_point.m_x;
    const double y0 = marker->m_point.m_y;
    double d = D1(x0);
    if (d == 0.0)
        d = 0.001;
    const double v = F(x0);
    if (IsNoValue(x0) || IsNoValue(d)) {
        marker->m_kind = KTMarkerNoneFound;
        return;
    }

    double x1 = x0 - 0.1;
    double u = x1;
    if (v < kLargeValue) {
        if ((v > target && d < 0.0) || (v < target && d > 0.0))
            d = -d;
        x1 = x0 + 3.0 * (target - (IsNoValue(y0) ? v : y0)) / d;
        u = IsNoValue(x1) ? KTUndefinedValue : F(x1);
    }

    double x = x0;
    if (v < kLargeValue && u < kLargeValue) {
        for (int i = 0; i < 30; ++i) {
            const double fx = F(x);
            if (!(std::fabs(target - fx) > kRootTolerance))
                break;
            const double slope = D1(x);
            if (!Usable(slope) || IsNoValue(fx)) {
                marker->m_kind = KTMarkerNoneFound;
                return;
            }
            const double next = x - (fx - target) / slope;
            if (IsNoValue(next)) {
                marker->m_kind = KTMarkerNoneFound;
                return;
            }
            x = next;
        }
        // Where f is flat the 1e-8 on f leaves x further off than that; one more step, kept
        // only when it comes closer, settles x as far as the arithmetic allows.
        const double fx = F(x);
        const double slope = D1(x);
        if (!IsNoValue(fx) && fx != target && Usable(slope)) {
            const double next = x - (fx - target) / slope;
            const double fn = IsNoValue(next) ? KTUndefinedValue : F(next);
            if (!IsNoValue(fn) && std::fabs(fn - target) < std::fabs(fx - target))
                x = next;
        }
    } else if (!(v < kLargeValue)) {
        // Undefined or huge at the candidate: walk from the second point towards it while the
        // values stay small, halving the step whenever they do not.
        double h = (x0 - x1) / 2.0;
        double at = x1;
        for (int i = 0; i < 100; ++i) {
            if (F(at + h) < kLargeValue)
                at += h;
            else
                h /= 2.0;
        }
        x = at;
    } else {
        double h = (x0 - x1) / 2.0;
        double at = x0;
        for (int i = 0; i < 100; ++i) {
            if (F(at - h) < kLargeValue)
                at -= h;
            else
                h /= 2.0;
        }
        x = at;
    }

    const double fx = F(x);
    KTCurveValues::PlaceMarker(*marker, x, fx);
    if (marker->m_kind != KTMarkerNoneFound && std::fabs(target - fx) < kRootTolerance &&
        MeetsTarget(x, target))
        marker->m_refined = 1;
    else
        marker->m_kind = KTMarkerNoneFound;
}

// Newton steps started beside a pole, where the sign of f also changes, can run out along a
// tail that only tends to the target (1/(x^2 - 4) falls below 1e-8 near x = 11000): small as
// f is there, it does not reach the target. A point counts when f crosses the target within a
// sample's spacing, or touches it there (a double root).
bool KTCurveRefiner::MeetsTarget(double x, double target)
{
    const double fx = F(x) - target;
    if (fx == 0.0)
        return true;
    const double h = std::max(m_f.m_tolerance, 1e-6 * std::max(1.0, std::fabs(x)));
    const double before = F(x - h) - target;
    const double after = F(x + h) - target;
    // At the end of its domain f cannot be judged from one side: the point stands.
    if (IsNoValue(before + target) || IsNoValue(after + target))
        return true;
    if ((before >= 0.0) != (after >= 0.0))
        return true;
    return std::fabs(fx) <= std::fabs(before) && std::fabs(fx) <= std::fabs(after);
}

void KTCurveRefiner::RefineTurningPoint(int index, double slope)
{
    KTMarker* marker = m_f.m_markers.At(index);
    if (!marker)
        return;
    const double x0 = marker->m_point.m_x;
    double c = D2(x0);
    if (c == 0.0)
        c = 0.001;
    const double d0 = D1(x0);
    if (IsNoValue(x0) || IsNoValue(c) || IsNoValue(d0)) {
        marker->m_kind = KTMarkerNoneFound;
        return;
    }
    // Four Newton steps on f' overshoot the turning point, so that f' changes sign between the
    // two points. (Turning the curvature's sign first would send the step away from it.)
    const double x1 = x0 + 4.0 * (slope - d0) / c;
    const double d1 = IsNoValue(x1) ? KTUndefinedValue : D1(x1);
    if (IsNoValue(d1)) {
        marker->m_kind = KTMarkerNoneFound;
        return;
    }
    marker->m_point.m_x = x1;

    // The tolerance on f' is in the view's own slopes: on a narrow view every slope is small.
    const double tolerance = kSlopeTolerance * m_f.ViewSlopeUnit();
    if ((d0 - slope >= 0.0) != (d1 - slope >= 0.0)) {
        double x = d0 >= d1 ? x0 : x1;
        double last = std::fabs(D1(x) - slope);
        for (int i = 0; i < 50 && last > tolerance; ++i) {
            const double fd = D1(x);
            const double curvature = D2(x);
            if (IsNoValue(fd) || !Usable(curvature)) {
                marker->m_kind = KTMarkerNoneFound;
                return;
            }
            last = std::fabs(fd - slope);
            const double next = x - (fd - slope) / curvature;
            if (IsNoValue(next)) {
                marker->m_kind = KTMarkerNoneFound;
                return;
            }
            x = next;
        }
        const double curvature = D2(x);
        marker->m_kind = curvature > 0.0 ? KTMarkerLocalMinimum : KTMarkerLocalMaximum;
        KTCurveValues::PlaceMarker(*marker, x, F(x));
        if (marker->m_kind != KTMarkerNoneFound && last < tolerance && !IsNoValue(curvature))
            marker->m_refined = 1;
        else
            marker->m_kind = KTMarkerNoneFound;
        return;
    }

    // No turning point between the two: an inflection counts only where the tangent is
    // horizontal too (a flat stretch of f'' alone, as far out on sqrt(x), is none).
    marker->m_point.m_x = x0;
    if (RefineInflection(index, 0.0)) {
        const double flat = D1(marker->m_point.m_x);
        marker->m_kind = !IsNoValue(flat) && std::fabs(flat - slope) < tolerance
                             ? KTMarkerHorizontalInflection
                             : KTMarkerNoneFound;
    } else {
        marker->m_kind = KTMarkerNoneFound;
    }
}

bool KTCurveRefiner::RefineInflection(int index, double curvature)
{
    KTMarker* marker = m_f.m_markers.At(index);
    if (!marker)
        return false;
    const double x0 = marker->m_point.m_x;
    const double c0 = D2(x0);
    double k = (D2(x0 + 0.001) - c0) * 1000.0;
    if (k == 0.0)
        k = (D2(x0 + 0.01) - c0) * 100.0;
    if (!Usable(k) || IsNoValue(c0) || IsNoValue(x0)) {
        marker->m_kind = KTMarkerNoneFound;
        return false;
    }
    const double step = 4.0 * (curvature - c0) / k;
    const double back = D2(x0 - step);
    double a = x0;
    double b = (std::min(c0, back) <= curvature && curvature <= std::max(c0, back)) ? x0 - step : x0 + step;
    if (D2(b) > D2(a))
        std::swap(a, b);
    // f'' is larger at a than at b.
    double mid = x0;
    for (int i = 0; i < 30; ++i) {
        mid = (a + b) / 2.0;
        if (curvature < D2(mid))
            a = mid;
        else
            b = mid;
    }
    const double at = D2(mid);
    KTCurveValues::PlaceMarker(*marker, mid, F(mid));
    if (marker->m_kind != KTMarkerNoneFound && !IsNoValue(at) &&
        std::fabs(curvature - at) < kCurvatureTolerance * m_f.ViewSlopeUnit()) {
        marker->m_refined = 1;
        return true;
    }
    marker->m_kind = KTMarkerNoneFound;
    return false;
}

double KTCurveRefiner::SolveForValue(double x0, double value)
{
    double d = D1(x0);
    if (d == 0.0)
        d = 0.001;
    const double f0 = F(x0);
    if (IsNoValue(d) || IsNoValue(f0))
        return KTNoSecondValue;
    double a = x0;
    double b = x0 + 3.0 * (value - f0) / d;
    if (IsNoValue(b))
        return KTNoSecondValue;
    if (F(b) < F(a))
        std::swap(a, b);
    // f is smaller at a; keep the value between the ends.
    double mid = a;
    for (int i = 0; i < 30; ++i) {
        mid = (a + b) / 2.0;
        if (F(mid) < value)
            a = mid;
        else
            b = mid;
    }
    const double fm = F(mid);
    return !IsNoValue(fm) && std::fabs(value - fm) < kRootTolerance ? mid : KTNoSecondValue;
}

KTPoint KTCurveRefiner::Intersect(KTFunction3& other, double x, double y)
{
    const KTPoint none(KTNoSecondValue, KTNoSecondValue);
    const KTEquationPartList& mine = m_f.Parts();
    const KTEquationPartList& theirs = other.Parts();
    const auto plain = [](const KTEquationPartList& p) {
        return !p.m_polar && !p.m_inverse && !p.m_parametricX;
    };
    const auto swapped = [](const KTEquationPartList& p) {
        return !p.m_polar && p.m_inverse && !p.m_parametricX;
    };
    KTCurveRefiner g(other);

    if ((plain(mine) && plain(theirs)) || (swapped(mine) && swapped(theirs))) {
        const bool bothSwapped = swapped(mine);
        const auto gap = [&](double at) { return F(at) - g.F(at); };
        const auto gapSlope = [&](double at) { return D1(at) - g.D1(at); };
        double at = bothSwapped ? y : x;
        const double h0 = gap(at);
        const double s0 = gapSlope(at);
        if (IsNoValue(h0) || !Usable(s0))
            return none;
        // A first step of a little more than a Newton step; the better point starts the search.
        const double first = at - (s0 > 0 ? 1.0 : -1.0) * h0 / (std::fabs(s0) * kBracketFactor);
        if (!IsNoValue(first) && std::fabs(gap(first)) < std::fabs(h0))
            at = first;
        double h = gap(at);
        for (int i = 0; i < 30 && !(std::fabs(h) < kRootTolerance); ++i) {
            const double s = gapSlope(at);
            if (IsNoValue(h) || !Usable(s))
                return none;
            const double next = at - h / s;
            if (IsNoValue(next))
                return none;
            at = next;
            h = gap(at);
        }
        if (IsNoValue(h) || !(std::fabs(h) < kRootTolerance))
            return none;
        const double v = F(at);
        return bothSwapped ? KTPoint(v, at) : KTPoint(at, v);
    }

    if (plain(mine) && swapped(theirs))
        return IntersectPlainWithSwapped(*this, g, x, y);
    if (swapped(mine) && plain(theirs))
        return IntersectPlainWithSwapped(g, *this, x, y);
    return none;
}

KTPoint KTCurveRefiner::IntersectPlainWithSwapped(KTCurveRefiner& f, KTCurveRefiner& g, double x, double y)
{
    const KTPoint none(KTNoSecondValue, KTNoSecondValue);
    const double gSlope = g.D1(y);
    if (IsNoValue(gSlope))
        return none;
    if (gSlope == 0.0) {
        // The swapped curve runs straight up here: meet it on the vertical line through g(y).
        const double lineX = g.F(y);
        const double v = IsNoValue(lineX) ? KTUndefinedValue : f.F(lineX);
        return IsNoValue(v) ? none : KTPoint(lineX, v);
    }
    // y at which the swapped curve reaches x, searched from the given y.
    const auto swappedY = [&](double at) { return g.SolveForValue(y, at); };
    const auto gap = [&](double at) {
        const double ys = swappedY(at);
        const double v = f.F(at);
        return IsNoValue(ys) || IsNoValue(v) ? KTUndefinedValue : v - ys;
    };
    double a = x;
    const double ha = gap(a);
    const double slopes = f.D1(a) - 1.0 / gSlope;
    if (IsNoValue(ha) || !Usable(slopes))
        return none;
    if (std::fabs(ha) < kRootTolerance)
        return KTPoint(a, f.F(a));
    double b = a - (slopes > 0 ? 1.0 : -1.0) * ha / (std::fabs(slopes) * kBracketFactor);
    const double hb = gap(b);
    if (IsNoValue(b) || IsNoValue(hb) || (ha >= 0.0) == (hb >= 0.0))
        return none;
    const bool signA = ha >= 0.0;
    double mid = a;
    for (int i = 0; i < 30; ++i) {
        mid = (a + b) / 2.0;
        const double hm = gap(mid);
        if (IsNoValue(hm))
            return none;
        if ((hm >= 0.0) == signA)
            a = mid;
        else
            b = mid;
    }
    const double hm = gap(mid);
    if (IsNoValue(hm) || !(std::fabs(hm) < kRootTolerance))
        return none;
    return KTPoint(mid, f.F(mid));
}

void KTCurveRefiner::FindDiscontinuityCandidates()
{
    const KTCurvePointBuffer* buffer = m_f.m_currentBuffer;
    const ASTokenList* list = m_f.Data().List(KTFunctionData3::DiscontinuityList);
    if (!m_f.Data().m_interpreted || m_f.Status() != KTStatusExplicit || !list || list->IsEmpty() || !buffer)
        return;
    KTMarkerList& markers = m_f.m_markers;
    const int count = std::min<int>(buffer->m_count, buffer->Size());
    for (int i = 1; i < count; ++i) {
        const KTCurvePoint& before = buffer->m_points[static_cast<std::size_t>(i - 1)];
        const KTCurvePoint& point = buffer->m_points[static_cast<std::size_t>(i)];
        if ((before.m_point.m_y >= 0.0) == (point.m_point.m_y >= 0.0))
            continue;
        KTMarker marker;
        marker.Init();
        marker.m_point = point.m_point;
        if (IsNoValue(marker.m_point.m_y))
            marker.m_point.m_y = 0.0; // the refinement starts from x alone
        marker.m_refined = 0;
        marker.m_kind = KTMarkerDiscontinuityCandidate;
        const int index = KTCurveValues::AddMarker(markers, marker);
        // The divisor's zero lies between the two samples; where the sign changes there without
        // one, the wider search decides.
        // A sample on the zero itself is the zero (a divisor 1.1x sampled at 0).
        const double root =
            point.m_point.m_y == 0.0
                ? point.m_point.m_x
                : KTPointPolisher(m_f, m_f.m_tolerance).RootBetween(before.m_point.m_x, point.m_point.m_x);
        if (IsNoValue(root)) {
            RefineRoot(index, 0.0);
        } else {
            markers.m_markers[static_cast<std::size_t>(index)].m_point = KTPoint(root, 0.0);
            markers.m_markers[static_cast<std::size_t>(index)].m_refined = 1;
        }
        if (index >= KTCurveValues::MarkerCountLimit)
            break; // every further candidate would only overwrite the uncounted last entry
    }
}

void KTCurveRefiner::ClassifyDiscontinuities()
{
    KTMarkerList& markers = m_f.m_markers;
    const double spacing = m_f.m_tolerance > 0.0 ? m_f.m_tolerance : 0.01;
    KTPointPolisher polisher(m_f, spacing);
    // The two sides are read a small part of a sample away, and agree when they differ by less
    // than a pixel of the view (a millionth of their size without one).
    const KTAxes* axes = m_f.Data().m_owner;
    const double pixel = axes ? (axes->m_yAxis.m_max - axes->m_yAxis.m_min) * kHolePixels : 0.0;
    const double side = kHoleSide * spacing;
    for (int i = 0; i < markers.m_count && i < markers.Held(); ++i) {
        KTMarker& marker = markers.m_markers[static_cast<std::size_t>(i)];
        if (marker.m_kind != KTMarkerDiscontinuityCandidate)
            continue;
        const double x = marker.m_point.m_x;
        // An asymptote only where |f| grows without bound; a jump (x/|x|) or an oscillation
        // (sin(1/x)) is neither an asymptote nor a hole in the curve.
        if (polisher.Grows(x, spacing)) {
            marker.m_kind = KTMarkerVerticalAsymptote;
            continue;
        }
        const double a = F(x - side);
        const double b = F(x + side);
        const double agree = std::max(pixel, 1e-6 * std::max(std::fabs(a), std::fabs(b)));
        if (!IsNoValue(a) && !IsNoValue(b) && std::fabs(a - b) <= agree) {
            marker.m_kind = KTMarkerPointDiscontinuity;
            marker.m_point.m_y = (a + b) / 2.0;
        } else {
            marker.m_kind = KTMarkerNoneFound;
        }
    }
}

void KTCurveRefiner::ToPolar()
{
    if (m_f.Status() != KTStatusExplicit)
        return;
    const KTEquationPartList& parts = m_f.Parts();
    KTMarkerList& markers = m_f.m_markers;
    const int markerCount = std::clamp<int>(markers.m_count, 0, markers.Held());
    KTCurvePointBuffer* buffers[2] = {m_f.m_buffer1.get(), m_f.m_twoBranches ? m_f.m_buffer2.get() : nullptr};

    if (parts.m_inverse && !parts.m_polar) {
        for (KTCurvePointBuffer* buffer : buffers) {
            if (!buffer)
                continue;
            const int count = std::clamp<int>(buffer->m_count, 0, buffer->Size());
            for (int i = 0; i < count; ++i) {
                KTPoint& p = buffer->m_points[static_cast<std::size_t>(i)].m_point;
                std::swap(p.m_x, p.m_y);
            }
        }
        for (int i = 0; i < markerCount; ++i) {
            KTMarker& marker = markers.m_markers[static_cast<std::size_t>(i)];
            std::swap(marker.m_point.m_x, marker.m_point.m_y);
            // x = f(y) meets the y axis where f has a root.
            switch (marker.m_kind) {
            case KTMarkerYIntercept: marker.m_kind = KTMarkerSwappedXIntercept; break;
            case KTMarkerXIntercept: marker.m_kind = KTMarkerYIntercept; break;
            case KTMarkerHorizontalInflection: marker.m_kind = KTMarkerVerticalInflection; break;
            case KTMarkerLocalMaximum:
            case KTMarkerLocalMinimum: marker.m_kind = KTMarkerSwappedTurningPoint; break;
            default: break;
            }
        }
        return;
    }
    if (!parts.m_polar)
        return;

    KTAxes* axes = m_f.Data().m_owner;
    const double factor = axes ? axes->AngleFactor() : 1.0;
    const double s = factor != 0.0 ? 1.0 / factor : 1.0;
    const bool swapped = parts.m_inverse != 0;
    const auto convert = [&](KTPoint& p) {
        const double r = swapped ? p.m_x : p.m_y;
        const double a = swapped ? p.m_y : p.m_x;
        if (IsNoValue(r) || IsNoValue(a))
            return false;
        p = KTPoint(r * std::cos(s * a), r * std::sin(s * a));
        return true;
    };
    // The samples of r = f(angle) are at the angles whose directions their sampling kept.
    const KTPolarDirections& directions = m_f.m_polarDirections;
    const auto convertSample = [&](KTPoint& p, int k) {
        if (swapped || IsNoValue(p.m_y) || IsNoValue(p.m_x) || !directions.Holds(k, p.m_x, s))
            return convert(p);
        p = KTPoint(p.m_y * directions.Cosine(k), p.m_y * directions.Sine(k));
        return true;
    };
    for (KTCurvePointBuffer* buffer : buffers) {
        if (!buffer)
            continue;
        const int count = std::clamp<int>(buffer->m_count, 0, buffer->Size());
        for (int i = 0; i < count; ++i) {
            KTCurvePoint& point = buffer->m_points[static_cast<std::size_t>(i)];
            if (!convertSample(point.m_point, i)) {
                point.m_draw = 0;
                point.m_break = 1;
            }
        }
        AddAfterConversion(*buffer, count, convert);
    }
    for (int i = 0; i < markerCount; ++i) {
        KTMarker& marker = markers.m_markers[static_cast<std::size_t>(i)];
        if (!convert(marker.m_point))
            marker.m_kind = KTMarkerNoneFound;
        switch (marker.m_kind) {
        case KTMarkerYIntercept:
        case KTMarkerXIntercept:
        case KTMarkerHorizontalInflection: marker.m_kind = KTMarkerNoneFound; break;
        case KTMarkerLocalMaximum:
        case KTMarkerLocalMinimum: marker.m_kind = KTMarkerPolarTurningPoint; break;
        default: break;
        }
    }
}

template <class Convert>
void KTCurveRefiner::AddAfterConversion(KTCurvePointBuffer& buffer, int count, const Convert& convert)
{
    // A piece that ends at the edge of the view ends at the point added after its last sample,
    // not at that sample.
    std::vector<std::pair<std::int32_t, KTCurvePoint>> added;
    for (std::pair<std::int32_t, KTCurvePoint> point : buffer.m_afterConversion) {
        if (point.first < 0 || point.first >= count || !convert(point.second.m_point))
            continue;
        if (point.second.m_break)
            buffer.m_points[static_cast<std::size_t>(point.first)].m_break = 0;
        added.push_back(point);
    }
    buffer.m_afterConversion.clear();
    buffer.InsertAfter(added);
}

bool KTCurveRefiner::NoAsymptoteUpTo(double x, double d) const
{
    const KTMarkerList& markers = m_f.m_markers;
    for (int i = 0; i < markers.m_count && i < markers.Held(); ++i) {
        const KTMarker& marker = markers.m_markers[static_cast<std::size_t>(i)];
        if (marker.m_kind == KTMarkerVerticalAsymptote && !(marker.m_point.m_x > x + d))
            return false;
    }
    return true;
}

double KTCurveRefiner::PixelDistance(int deviceX, int deviceY, double sampleX, double sampleY)
{
    KTAxes* axes = m_f.Data().m_owner;
    if (!axes)
        return 1000000.0;
    const KTEquationPartList& parts = m_f.Parts();
    CPoint p;
    if (parts.m_polar) {
        // The sample is (radius, angle): r = f(angle) takes the angle, angle = f(r) the radius.
        if (parts.m_inverse) {
            const double a = F(sampleX);
            if (IsNoValue(a))
                return 1000000.0;
            p = axes->GraphToDevice(sampleX, a, 1, 0);
        } else {
            const double r = F(sampleY);
            if (IsNoValue(r))
                return 1000000.0;
            p = axes->GraphToDevice(r, sampleY, 1, 0);
        }
    } else if (parts.m_inverse) {
        const double v = F(sampleY);
        if (IsNoValue(v))
            return 1000000.0;
        p = axes->GraphToDevice(v, sampleY, 0, 0);
    } else if (!parts.m_parametricX) {
        const double v = F(sampleX);
        if (IsNoValue(v))
            return 1000000.0;
        p = axes->GraphToDevice(sampleX, v, 0, 0);
    } else {
        return 1000000.0;
    }
    if (p.x == KTNoPixel || p.y == KTNoPixel)
        return 1000000.0;
    const double dx = static_cast<double>(p.x) - deviceX;
    const double dy = static_cast<double>(p.y) - deviceY;
    return dx * dx + dy * dy;
}

namespace {

double LeastDistance(KTAxes& axes, const KTCurvePointBuffer& buffer, int every, int deviceX, int deviceY,
                     bool skipFar)
{
    double least = 1e300;
    const int count = std::clamp<int>(buffer.m_count, 0, buffer.Size());
    for (int i = 0; i < count; i += std::max(1, every)) {
        const KTPoint& point = buffer.m_points[static_cast<std::size_t>(i)].m_point;
        if (IsNoValue(point.m_x) || IsNoValue(point.m_y))
            continue;
        const CPoint p = axes.GraphToDevice(point, 0, 0);
        if (p.x == KTNoPixel || p.y == KTNoPixel)
            continue;
        const double dx = static_cast<double>(p.x) - deviceX;
        const double dy = static_cast<double>(p.y) - deviceY;
        if (skipFar && (std::fabs(dx) > 30000.0 || std::fabs(dy) > 30000.0))
            continue;
        least = std::min(least, dx * dx + dy * dy);
    }
    return least;
}

double SquaredDistanceToSegment(double px, double py, const CPoint& a, const CPoint& b)
{
    const double dx = static_cast<double>(b.x) - a.x;
    const double dy = static_cast<double>(b.y) - a.y;
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0.0 ? ((px - a.x) * dx + (py - a.y) * dy) / length2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    const double ex = px - (a.x + t * dx);
    const double ey = py - (a.y + t * dy);
    return ex * ex + ey * ey;
}

/// Least squared device distance to the polylines of a traced curve, joined as the curve
/// drawing joins them: its straight pieces may be long, so the distance is to the segments.
double LeastSegmentDistance(KTAxes& axes, const KTCurvePointBuffer& buffer, int deviceX, int deviceY)
{
    double least = 1e300;
    bool open = false;
    CPoint previous;
    const int count = std::clamp<int>(buffer.m_count, 0, buffer.Size());
    for (int i = 0; i < count; ++i) {
        const KTCurvePoint& point = buffer.m_points[static_cast<std::size_t>(i)];
        if (!point.m_draw || IsNoValue(point.m_point.m_x) || IsNoValue(point.m_point.m_y)) {
            open = false;
            continue;
        }
        const CPoint p = axes.GraphToDevice(point.m_point, 0, 0);
        if (p.x == KTNoPixel || p.y == KTNoPixel) {
            open = false;
            continue;
        }
        least = std::min(least, SquaredDistanceToSegment(deviceX, deviceY, open ? previous : p, p));
        // A drawn point with the break flag closes the piece it ends, or starts one.
        open = !(point.m_break && open);
        previous = p;
    }
    return least;
}

} // namespace

bool KTCurveRefiner::PointAtPixel(int deviceX, int deviceY)
{
    m_f.m_nearSecondBranch = 0;
    m_f.m_nearFirstDerivative = 0;
    m_f.m_nearSecondDerivative = 0;
    KTAxes* axes = m_f.Data().m_owner;
    if (!axes)
        return false;
    KTFunctionData3& data = m_f.Data();
    const KTEquationPartList& parts = m_f.Parts();
    const CPoint device(deviceX, deviceY);
    const KTPoint sample = axes->DeviceToGraph(device, parts.m_polar, parts.m_inverse);
    const KTPoint clicked = axes->DeviceToGraph(device, 0, 0);
    const int status = m_f.Status();
    const int list = data.CurrentListIndex();

    double d = 1e300;
    double d2 = 1e300;
    if (status == KTStatusExplicit) {
        data.SelectList(KTFunctionData3::FirstBranchList);
        d = PixelDistance(deviceX, deviceY, sample.m_x, sample.m_y);
        if (m_f.m_twoBranches) {
            data.SelectList(KTFunctionData3::SecondBranchList);
            d2 = PixelDistance(deviceX, deviceY, sample.m_x, sample.m_y);
        }
        data.SelectList(list);
    } else if (status == KTStatusImplicit) {
        d = LeastSegmentDistance(*axes, *m_f.m_buffer1, deviceX, deviceY);
        if (m_f.m_implicitOverflow)
            d = std::min(d, LeastSegmentDistance(*axes, *m_f.m_buffer2, deviceX, deviceY));
    } else if (status == KTStatusParametric) {
        d = LeastDistance(*axes, *m_f.m_buffer1, m_f.m_buffer1->m_count / 200, deviceX, deviceY, true);
    }

    const bool inside = m_f.InGraphRange(clicked.m_x, clicked.m_y);
    if (d < kHitDistance2 && data.m_interpreted && inside)
        return true;
    if (m_f.m_twoBranches && d2 < kHitDistance2 && data.m_interpreted && inside) {
        m_f.m_nearSecondBranch = 1;
        return true;
    }
    // The derivative curves as they are drawn: their own samples of the first branch, and the
    // segments between them.
    const auto nearDerivative = [&](int order) {
        KTCurvePointBuffer* const branch = m_f.m_currentBuffer;
        m_f.m_currentBuffer = m_f.m_buffer1.get();
        data.SelectList(KTFunctionData3::FirstBranchList);
        const KTCurvePointBuffer* curve = m_f.DerivativeCurve(order);
        data.SelectList(list);
        m_f.m_currentBuffer = branch;
        return curve && LeastSegmentDistance(*axes, *curve, deviceX, deviceY) < kHitDistance2;
    };
    if (data.m_showFirstDerivative && nearDerivative(1)) {
        m_f.m_nearFirstDerivative = 1;
        return true;
    }
    if (data.m_showSecondDerivative && nearDerivative(2)) {
        m_f.m_nearSecondDerivative = 1;
        return true;
    }
    return false;
}
