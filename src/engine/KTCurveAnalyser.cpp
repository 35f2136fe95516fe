#include "engine/KTCurveAnalyser.h"

#include "engine/ASRational.h"
#include "engine/KTCurveRefiner.h"
#include "engine/KTCurveValues.h"
#include "engine/KTFunction3.h"
#include "engine/KTPointPolisher.h"
#include "foundation/KTSentinelValues.h"
#include "axes/KTAxes.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>

using KTCurveValues::IsNoValue;

namespace {

constexpr int kFirstSlopeMarker = 3; // slope markers only from the fourth point on
/// How far |f'| must come back from an extreme for the slope walk to take it as a turn, in
/// slopes of the view's diagonal (0.0001 on a square view): on a view a hundred times narrower
/// the curve's slopes are a hundred times smaller, and a fixed step would miss every turn there.
constexpr double kFlatStep = 0.0001;
/// KTFunction3::Derivative's step relative to max(1, |x|), and the multiple of the rounding of
/// f over that step that its slopes may be off by.
constexpr double kDerivativeStep = 1e-5;
constexpr double kSlopeRounding = 8.0;
/// Halvings that bring the end of a domain between two samples close enough to it for its
/// growth to be judged (a millionth of a millionth of the spacing and less).
constexpr int kDomainEndHalvings = 60;
/// Part of a pixel within which two markers of one kind are one point.
constexpr double kSamePixels = 1e-3;
/// The same for r = f(angle): in view widths per radian, over this many view widths.
constexpr double kPolarViewWidths = 10.0;
/// The limit of f as x runs off is read at x = 10, 100, ... up to the last decade a double
/// holds (or the last with a value): the values of the last this many decades must agree with
/// the last one within this part of its size (or of the view's height, up to 1), and every
/// value before them come nearer to it over each two decades.
constexpr int kLimitDecades = 308;
/// Every decade up to this one, then every this many.
constexpr int kLimitDense = 20;
constexpr int kLimitStride = 8;
/// Values beyond this are as good as past the largest double.
constexpr double kHugestValue = 1e300;
constexpr int kLimitTail = 3;
constexpr double kLimitAgree = 1e-11;
/// Samples whose slopes must run smoothly into a change of sign found below the step.
constexpr int kSmoothSamples = 10;
constexpr int kStateStart = 1;
constexpr int kStateAdd = 15;
constexpr int kStateSubtract = 16;

/// True where the slopes of the samples before `last` run smoothly: each order of their
/// differences up to `order` well above the next one, as a smooth curve's are however little
/// it changes, and the rounding of a function's terms (((x+1)^2 - x^2 - 2x) never is.
bool SmoothSlopes(const KTCurvePointBuffer& buffer, int last, int order)
{
    if (last + 1 < kSmoothSamples)
        return false;
    std::array<double, kSmoothSamples> d{};
    for (int k = 0; k < kSmoothSamples; ++k) {
        d[static_cast<std::size_t>(k)] =
            buffer.m_points[static_cast<std::size_t>(last + 1 - kSmoothSamples + k)].m_firstDerivative;
        if (IsNoValue(d[static_cast<std::size_t>(k)]))
            return false;
    }
    double least = 0.0;
    for (int n = 1, size = kSmoothSamples; n <= order + 1; ++n) {
        --size;
        double most = 0.0;
        double smallest = HUGE_VAL;
        for (int k = 0; k < size; ++k) {
            d[static_cast<std::size_t>(k)] =
                d[static_cast<std::size_t>(k + 1)] - d[static_cast<std::size_t>(k)];
            most = std::max(most, std::fabs(d[static_cast<std::size_t>(k)]));
            smallest = std::min(smallest, std::fabs(d[static_cast<std::size_t>(k)]));
        }
        if (n == order)
            least = smallest;
        else if (n == order + 1)
            return 4.0 * most < least;
    }
    return false;
}

} // namespace

double KTCurveAnalyser::F(double x)
{
    return m_f.EvaluateValue(x, KTNoSecondValue);
}

int KTCurveAnalyser::AddComputed(double x, double y, int kind)
{
    KTMarker marker;
    marker.Init();
    marker.m_point = KTPoint(x, y);
    marker.m_refined = 1;
    marker.m_kind = static_cast<KTMarkerKind>(kind);
    const int index = KTCurveValues::AddMarker(m_f.m_markers, marker);
    SetOrigin(index, Origin{-1, true});
    return index;
}

int KTCurveAnalyser::AddSampled(double x, double y, int kind, const Origin& origin)
{
    KTMarker marker;
    marker.Init();
    marker.m_point = KTPoint(x, y);
    marker.m_refined = 0;
    marker.m_kind = static_cast<KTMarkerKind>(kind);
    const int index = KTCurveValues::AddMarker(m_f.m_markers, marker);
    SetOrigin(index, origin);
    return index;
}

void KTCurveAnalyser::SetOrigin(int index, const Origin& origin)
{
    const auto at = static_cast<std::size_t>(index);
    if (at >= m_origins.size())
        m_origins.resize(at + 1);
    m_origins[at] = origin;
}

double KTCurveAnalyser::SlopeUnit() const
{
    const KTEquationPartList& parts = m_f.Parts();
    KTAxes* axes = m_f.Data().m_owner;
    if (parts.m_polar && axes) {
        const double factor = axes->AngleFactor();
        const double radians = factor != 0.0 ? 1.0 / factor : 1.0;
        const double width =
            std::max(axes->m_xAxis.m_max - axes->m_xAxis.m_min, axes->m_yAxis.m_max - axes->m_yAxis.m_min);
        const double unit = width / kPolarViewWidths * radians;
        return unit > 0.0 && std::isfinite(unit) ? unit : 1.0;
    }
    return m_f.ViewSlopeUnit();
}

bool KTCurveAnalyser::InView(const KTMarker& marker) const
{
    const KTAxes* axes = m_f.Data().m_owner;
    if (!axes)
        return true;
    const KTEquationPartList& parts = m_f.Parts();
    KTPoint p = marker.m_point;
    if (parts.m_polar) {
        // Stored as (angle, radius), or (radius, angle) for angle = f(r).
        const double factor = m_f.Data().m_owner->AngleFactor();
        const double s = factor != 0.0 ? 1.0 / factor : 1.0;
        const double r = parts.m_inverse ? p.m_x : p.m_y;
        const double a = parts.m_inverse ? p.m_y : p.m_x;
        p = KTPoint(r * std::cos(s * a), r * std::sin(s * a));
    } else if (parts.m_inverse) {
        p = KTPoint(p.m_y, p.m_x);
    }
    const bool xIn = axes->m_xAxis.m_min <= p.m_x && p.m_x <= axes->m_xAxis.m_max;
    const bool yIn = axes->m_yAxis.m_min <= p.m_y && p.m_y <= axes->m_yAxis.m_max;
    if (marker.m_kind == KTMarkerVerticalAsymptote)
        return xIn;
    if (marker.m_kind == KTMarkerHorizontalAsymptote)
        return yIn;
    return xIn && yIn;
}

KTPoint KTCurveAnalyser::SamePoint() const
{
    KTPoint same(1e-8, 1e-8);
    if (const KTAxes* axes = m_f.Data().m_owner) {
        const auto pixel = [](const KTAxis& axis) {
            const double extent = axis.m_isX
                                      ? std::fabs(double(axis.m_devicePixel.right) - axis.m_devicePixel.left)
                                      : std::fabs(double(axis.m_devicePixel.bottom) - axis.m_devicePixel.top);
            const double size = (axis.m_max - axis.m_min) / std::max(extent, 1.0);
            return std::isfinite(size) ? size : 0.0;
        };
        same.m_x = std::max(same.m_x, kSamePixels * pixel(axes->m_xAxis));
        same.m_y = std::max(same.m_y, kSamePixels * pixel(axes->m_yAxis));
    }
    return same;
}

double KTCurveAnalyser::Spacing() const
{
    const KTCurvePointBuffer* buffer = m_f.m_currentBuffer;
    const int count = buffer ? std::clamp<int>(buffer->m_count, 0, buffer->Size()) : 0;
    if (count < 2)
        return m_f.m_tolerance;
    const double first = buffer->m_points[0].m_point.m_x;
    const double last = buffer->m_points[static_cast<std::size_t>(count - 1)].m_point.m_x;
    return std::fabs(last - first) / (count - 1);
}

void KTCurveAnalyser::AnalyseCurve(bool resetExtents)
{
    if (!m_f.Data().m_interpreted)
        return;
    KTMarkerList& markers = m_f.m_markers;
    const int first = markers.m_count;
    const int status = m_f.Status();
    m_origins.assign(static_cast<std::size_t>(std::max(0, first)), Origin());
    if (status == KTStatusExplicit)
        AnalyseExplicit();
    else if (status == KTStatusNoEquation)
        AnalysePoints();

    // Refinement and extents of the markers of this run. Markers that show nothing (kind 5)
    // stay out of the box that automatic scaling reads.
    if (resetExtents)
        markers.m_minX = markers.m_maxX = markers.m_maxY = markers.m_minY = 0.0;
    KTPointPolisher polisher(m_f, Spacing());
    // Points closer than this are one: 1e-8, or on a wide view a thousandth of a pixel (the
    // flat bend of x^5 is placed no closer than that by two searches from either side).
    const KTPoint same = SamePoint();
    const bool polar = m_f.Parts().m_polar != 0;
    // The roots that turning points add are taken in turn like the others.
    for (int i = first; i < markers.m_count; ++i) {
        KTMarker& marker = markers.m_markers[static_cast<std::size_t>(i)];
        Refine(i, polisher);
        // What lies outside the view is not marked: the samples cover the view only, so a
        // point beyond it is not one they show.
        if (marker.m_kind != PointMarker && !InView(marker))
            marker.m_kind = KTMarkerNoneFound;
        if (marker.m_kind == KTMarkerNoneFound || IsNoValue(marker.m_point.m_x) ||
            IsNoValue(marker.m_point.m_y))
            continue;
        // Two candidates can reach the same point (a sample on a root of -x^2 is a sign change
        // either side of it): it is shown once. A steepest-slope candidate and a flat one can
        // both end on a horizontal inflection (x^3 on a narrow window): it is that, not both.
        bool repeated = false;
        for (int j = first; j < i && !repeated; ++j) {
            KTMarker& earlier = markers.m_markers[static_cast<std::size_t>(j)];
            if (!(std::fabs(earlier.m_point.m_x - marker.m_point.m_x) <= same.m_x &&
                  std::fabs(earlier.m_point.m_y - marker.m_point.m_y) <= same.m_y))
                continue;
            if (earlier.m_kind == KTMarkerHorizontalInflection && marker.m_kind == KTMarkerInflection)
                repeated = true;
            else if (earlier.m_kind == KTMarkerInflection && marker.m_kind == KTMarkerHorizontalInflection)
                earlier.m_kind = KTMarkerNoneFound;
            else
                repeated = earlier.m_kind == marker.m_kind;
        }
        // Where f has a hole on the axis (pi x^2 / x at 0) the root is the hole, which it has no
        // value at: the hole is marked, not the root beside it.
        for (int j = 0; j < first && !repeated && marker.m_kind == KTMarkerXIntercept; ++j) {
            const KTMarker& hole = markers.m_markers[static_cast<std::size_t>(j)];
            repeated = hole.m_kind == KTMarkerPointDiscontinuity &&
                       std::fabs(hole.m_point.m_x - marker.m_point.m_x) <= same.m_x &&
                       std::fabs(hole.m_point.m_y - marker.m_point.m_y) <= same.m_y;
        }
        if (repeated) {
            marker.m_kind = KTMarkerNoneFound;
            continue;
        }
        // A curve that touches the axis at a turning point (x^4, cos(x)^2) has a root there too,
        // without a sign change for the walk to see. Adding a marker may move the list.
        const bool turning = marker.m_kind == KTMarkerLocalMaximum || marker.m_kind == KTMarkerLocalMinimum;
        if (turning && !polar && status == KTStatusExplicit && polisher.ZeroAt(marker.m_point.m_x)) {
            const double x = marker.m_point.m_x;
            AddComputed(x, 0.0, KTMarkerXIntercept);
        }
        const KTMarker& kept = markers.m_markers[static_cast<std::size_t>(i)];
        markers.m_minX = std::min(markers.m_minX, kept.m_point.m_x);
        markers.m_maxX = std::max(markers.m_maxX, kept.m_point.m_x);
        markers.m_maxY = std::max(markers.m_maxY, kept.m_point.m_y);
        markers.m_minY = std::min(markers.m_minY, kept.m_point.m_y);
    }
}

void KTCurveAnalyser::Refine(int index, KTPointPolisher& polisher)
{
    KTMarker& marker = m_f.m_markers.m_markers[static_cast<std::size_t>(index)];
    const auto at = static_cast<std::size_t>(index);
    const Origin origin = at < m_origins.size() ? m_origins[at] : Origin();
    const KTCurvePointBuffer* buffer = m_f.m_currentBuffer;
    const bool sampled = origin.sample >= 0 && buffer;
    KTCurveRefiner refiner(m_f);
    switch (marker.m_kind) {
    case KTMarkerXIntercept:
        if (origin.exact)
            break;
        if (sampled)
            polisher.PolishRoot(marker, origin.from, origin.to);
        else
            refiner.RefineRoot(index, 0.0);
        break;
    case KTMarkerHorizontalCandidate:
        // Where the samples show no sign change of f' or f'' nearby (a long flat stretch), the
        // wider search from the candidate runs and its point is then brought onto the zero.
        if (!sampled || !polisher.PolishTurningPoint(marker, *buffer, origin.sample)) {
            refiner.RefineTurningPoint(index, 0.0);
            polisher.PolishNear(marker);
        }
        break;
    case KTMarkerInflection:
        if (origin.exact)
            break;
        if (!sampled || !polisher.PolishInflection(marker, *buffer, origin.sample)) {
            if (refiner.RefineInflection(index, 0.0))
                polisher.PolishNear(marker);
        }
        break;
    default: break;
    }
}

void KTCurveAnalyser::AnalyseExplicit()
{
    KTFunctionData3& data = m_f.Data();
    const KTFunctionDomain& domain = data.m_domain;
    const bool everything = m_scope == Scope::Everything;

    if (everything) {
        AddComputed(0.0, F(0.0), KTMarkerYIntercept);
        const auto closedOrOpen = [](int end) {
            return end == KTFunctionDomain::EndClosed || end == KTFunctionDomain::EndOpen;
        };
        if (closedOrOpen(domain.m_lowEnd))
            AddComputed(domain.m_low, F(domain.m_low), LowEndMarker);
        if (closedOrOpen(domain.m_highEnd))
            AddComputed(domain.m_high, F(domain.m_high), HighEndMarker);
    }

    KTCurvePointBuffer* buffer = m_f.m_currentBuffer;
    if (!buffer)
        return;
    const int count = std::clamp<int>(buffer->m_count, 0, buffer->Size());
    const bool wantSecond = data.m_showSecondDerivative != 0;

    const KTEquationPartList& parts = m_f.Parts();
    // The slope of r(angle) says nothing about where a polar curve bends the other way: its
    // inflections come from a search of their own.
    const bool polar = parts.m_polar && !parts.m_parametricX;
    // Only a curve of y = f(x) has derivative curves and asymptotes drawn beside it.
    const bool plain = !parts.m_polar && !parts.m_inverse && !parts.m_parametricX;
    const KTOptionFunction3& options = data.m_options;
    const bool verticalDrawn = plain && options.m_vAsym.m_value != 0;
    const bool horizontalDrawn = plain && options.m_hAsym.m_value != 0;
    if (!everything) {
        // The slopes that the derivative curves' hit test and the vertical asymptotes' search
        // read (the curves themselves are sampled on their own, KTFunction3::DerivativeCurve).
        const bool slopes = plain && data.m_showFirstDerivative;
        const bool seconds = plain && wantSecond;
        for (int i = 0; i < count && (slopes || seconds); ++i) {
            KTCurvePoint& point = buffer->m_points[static_cast<std::size_t>(i)];
            if (slopes)
                point.m_firstDerivative = m_f.Derivative(point.m_point.m_x);
            if (seconds)
                point.m_secondDerivative = m_f.SecondDerivative(point.m_point.m_x);
        }
        KTPointPolisher polisher(m_f, Spacing());
        if (verticalDrawn && count >= 2)
            AddVerticalAsymptotes(polisher);
        if (horizontalDrawn)
            AddHorizontalAsymptote();
        return;
    }

    const double flatStep = kFlatStep * SlopeUnit();
    const int walkFirst = m_f.m_markers.m_count;
    // Points without a value take no part in the sign and slope walks.
    bool haveSign = false;
    bool sign = false;
    double signX = 0.0;
    // The slope walk follows |f'| and marks where it turns: a trough is a candidate for a
    // horizontal tangent (kind 3), a peak one for the steepest slope (kind 12). A turn counts
    // once |f'| has come back from its extreme by more than a step, so that a slow turn (tan x
    // in degrees at 0, or any turn on a fine window) is seen however little |f'| changes from
    // one sample to the next; the candidate is the sample at the extreme itself.
    int direction = 0; // 1 rising, -1 falling, 0 not yet known
    int extremeAt = -1;
    double extreme = 0.0;
    // On a view zoomed in on both axes alike the slopes across it shrink with it, and |f'| may
    // never come back by a step; a change of the slope's sign beyond its rounding is a turn all
    // the same. The least |f'| since the last slope of the old sign is the candidate.
    int side = 0; // the sign of the last slope beyond rounding
    int leastAt = -1;
    double least = 0.0;
    // Likewise where f' itself turns (sin x at 0 on a view a hundredth wide): a change of sign
    // of the step from one slope to the next is a bend, at the extreme slope between.
    int bend = 0; // the sign of the last change of slope beyond rounding
    int bendAt = -1;
    double previousSlope = KTUndefinedValue;
    for (int i = 0; i < count; ++i) {
        KTCurvePoint& point = buffer->m_points[static_cast<std::size_t>(i)];
        const double x = point.m_point.m_x;
        const double y = point.m_point.m_y;
        if (!IsNoValue(y)) {
            const bool positive = y >= 0.0;
            if (haveSign && positive != sign)
                AddSampled(x, y, KTMarkerXIntercept, Origin{i, false, signX, x});
            sign = positive;
            haveSign = true;
            signX = x;
        } else {
            // Across a pole or a gap in the domain a change of sign is no root.
            haveSign = false;
        }

        const double slope = m_f.Derivative(x);
        point.m_firstDerivative = slope;
        if (wantSecond)
            point.m_secondDerivative = m_f.SecondDerivative(x);
        if (IsNoValue(slope) || IsNoValue(y)) {
            // Past a pole or a gap in the domain the walk starts afresh.
            direction = 0;
            extremeAt = -1;
            side = 0;
            leastAt = -1;
            bend = 0;
            previousSlope = KTUndefinedValue;
            continue;
        }

        const double d = std::fabs(slope);
        // The step is never below the rounding of the difference that gives the slope.
        const double rounding =
            kSlopeRounding * DBL_EPSILON * std::fabs(y) / (kDerivativeStep * std::max(1.0, std::fabs(x)));
        const double step = std::max(flatStep, rounding);
        bool turned = false;
        if (extremeAt < 0) {
            extremeAt = i;
            extreme = d;
        } else if (direction == 0) {
            if (std::fabs(d - extreme) >= step) {
                direction = d > extreme ? 1 : -1;
                extremeAt = i;
                extreme = d;
            }
        } else if (direction > 0 ? d >= extreme : d <= extreme) {
            extremeAt = i;
            extreme = d;
        } else if (std::fabs(d - extreme) >= step) {
            const KTCurvePoint& at = buffer->m_points[static_cast<std::size_t>(extremeAt)];
            if (extremeAt >= kFirstSlopeMarker && !(direction > 0 && polar))
                AddSampled(at.m_point.m_x, at.m_point.m_y,
                           direction > 0 ? KTMarkerInflection : KTMarkerHorizontalCandidate,
                           Origin{extremeAt});
            turned = true;
            direction = -direction;
            extremeAt = i;
            extreme = d;
        }

        if (leastAt < 0 || d < least) {
            leastAt = i;
            least = d;
        }
        if (d >= step) {
            // Slopes as steep as the step: the walk above sees their turns, and a difference
            // across a pole (tan x) changes its sign there without any turn.
            side = 0;
        } else if (d > rounding) {
            const int now = slope > 0.0 ? 1 : -1;
            if (side != 0 && now != side && !turned && leastAt >= kFirstSlopeMarker &&
                SmoothSlopes(*buffer, i, 1)) {
                const KTCurvePoint& at = buffer->m_points[static_cast<std::size_t>(leastAt)];
                AddSampled(at.m_point.m_x, at.m_point.m_y, KTMarkerHorizontalCandidate, Origin{leastAt});
                direction = 1;
                extremeAt = i;
                extreme = d;
            }
            side = now;
            leastAt = i;
            least = d;
        }

        // The slopes carry the rounding of the terms of f, of the size of |f| and |x f'|.
        const double change = IsNoValue(previousSlope) ? 0.0 : slope - previousSlope;
        const double noise = 2.0 * kSlopeRounding * DBL_EPSILON * (std::fabs(y) + std::fabs(x * slope)) /
                             (kDerivativeStep * std::max(1.0, std::fabs(x)));
        previousSlope = slope;
        const auto beyond = [&](int k) {
            const double s = buffer->m_points[static_cast<std::size_t>(k)].m_firstDerivative;
            return bend > 0 ? slope > s : slope < s;
        };
        if (bend != 0 && beyond(bendAt))
            bendAt = i;
        if (std::fabs(change) >= step) {
            bend = 0;
        } else if (std::fabs(change) > noise) {
            const int now = change > 0.0 ? 1 : -1;
            if (bend != 0 && now != bend && !turned && bendAt >= kFirstSlopeMarker &&
                SmoothSlopes(*buffer, i, 2)) {
                const KTCurvePoint& at = buffer->m_points[static_cast<std::size_t>(bendAt)];
                // A peak of |f'| is a steepest slope; a trough may be a flat bend.
                const bool peak = (at.m_firstDerivative > 0.0) == (bend > 0);
                if (!(peak && polar))
                    AddSampled(at.m_point.m_x, at.m_point.m_y,
                               peak ? KTMarkerInflection : KTMarkerHorizontalCandidate, Origin{bendAt});
                direction = peak ? -1 : 1;
                extremeAt = i;
                extreme = d;
            }
            if (now != bend)
                bendAt = i;
            bend = now;
        }
    }

    if (!polar)
        AddTurnsBetweenSamples(walkFirst);

    KTPointPolisher polisher(m_f, Spacing());
    if (polar)
        AddPolarInflections(polisher);
    if (parts.m_inverse)
        return;
    if (!parts.m_parametricX && !parts.m_polar && count >= 2)
        AddVerticalAsymptotes(polisher);
    if (!parts.m_parametricX && !parts.m_polar)
        AddHorizontalAsymptote();
}

void KTCurveAnalyser::AddTurnsBetweenSamples(int walkFirst)
{
    // With a few samples a turn (sin 12x a hundred wide) |f'| need show no trough at an
    // extremum, nor a peak at the bend between two: f' changing its sign beyond its rounding
    // between neighbouring samples holds an extremum all the same, and between two extrema
    // where f'' has opposite signs f bends the other way. Where the walk found the same point,
    // the refined candidates are one marker.
    const KTCurvePointBuffer& buffer = *m_f.m_currentBuffer;
    const KTMarkerList& markers = m_f.m_markers;
    const int count = std::clamp<int>(buffer.m_count, 0, buffer.Size());
    const int added = std::min(markers.m_count, markers.Held());
    std::vector<char> turnAt(static_cast<std::size_t>(count), 0);
    for (int k = std::max(0, walkFirst); k < added; ++k) {
        const auto at = static_cast<std::size_t>(k);
        const int sample = at < m_origins.size() ? m_origins[at].sample : -1;
        if (sample < 0 || sample >= count)
            continue;
        if (markers.m_markers[static_cast<std::size_t>(k)].m_kind == KTMarkerHorizontalCandidate)
            turnAt[static_cast<std::size_t>(sample)] = 1;
    }
    const auto point = [&](int i) -> const KTCurvePoint& {
        return buffer.m_points[static_cast<std::size_t>(i)];
    };
    // Slopes as shallow as the walk's least step are its to judge (rounding on a flat stretch).
    const double flatStep = kFlatStep * SlopeUnit();
    const auto slopeSign = [&](int i) {
        const KTCurvePoint& p = point(i);
        const double slope = p.m_firstDerivative;
        if (IsNoValue(p.m_point.m_y) || IsNoValue(slope))
            return 2; // no value: the walk starts afresh
        const double rounding = kSlopeRounding * DBL_EPSILON * std::fabs(p.m_point.m_y) /
                                (kDerivativeStep * std::max(1.0, std::fabs(p.m_point.m_x)));
        return std::fabs(slope) <= std::max(flatStep, rounding) ? 0 : (slope > 0.0 ? 1 : -1);
    };
    int lastTurn = -1; // the sample of the last extremum, -1 past a pole or a gap
    double lastBend = 0.0;
    int previous = count > 0 ? slopeSign(0) : 2;
    for (int i = 1; i < count && markers.m_count < KTCurveValues::MarkerCountLimit; ++i) {
        const int now = slopeSign(i);
        if (now == 2 || previous == 2) {
            lastTurn = -1;
            previous = now;
            continue;
        }
        if (now == 0 || previous == 0 || now == previous) {
            previous = now;
            continue;
        }
        previous = now;
        const int at =
            std::fabs(point(i - 1).m_firstDerivative) <= std::fabs(point(i).m_firstDerivative) ? i - 1 : i;
        if (at < kFirstSlopeMarker)
            continue;
        if (!turnAt[static_cast<std::size_t>(at)])
            AddSampled(point(at).m_point.m_x, point(at).m_point.m_y, KTMarkerHorizontalCandidate, Origin{at});
        const double bend = m_f.SecondDerivative(point(at).m_point.m_x);
        if (lastTurn >= 0 && !IsNoValue(bend) && !IsNoValue(lastBend) && bend * lastBend < 0.0) {
            int steepest = lastTurn;
            for (int k = lastTurn; k <= at; ++k)
                if (std::fabs(point(k).m_firstDerivative) > std::fabs(point(steepest).m_firstDerivative))
                    steepest = k;
            if (steepest >= kFirstSlopeMarker)
                AddSampled(point(steepest).m_point.m_x, point(steepest).m_point.m_y, KTMarkerInflection,
                           Origin{steepest});
        }
        lastTurn = at;
        lastBend = bend;
    }
}

void KTCurveAnalyser::AddVerticalAsymptotes(KTPointPolisher& polisher)
{
    const KTCurvePointBuffer& buffer = *m_f.m_currentBuffer;
    KTMarkerList& markers = m_f.m_markers;
    const int count = std::clamp<int>(buffer.m_count, 0, buffer.Size());
    const double spacing = Spacing();
    const auto point = [&](int i) -> const KTCurvePoint& {
        return buffer.m_points[static_cast<std::size_t>(i)];
    };
    const auto has = [&](int i) { return i >= 0 && i < count && !IsNoValue(point(i).m_point.m_y); };
    // One marker a pole: the points either side of it, and the zero of a divisor found before,
    // lie within a sample of each other. Its x is its place; its y is 0, as a divisor's zero
    // leaves it (a sample's value beside a pole is no place on the curve).
    const auto add = [&](double x) {
        if (IsNoValue(x))
            return;
        for (int i = 0; i < markers.m_count && i < markers.Held(); ++i) {
            const KTMarker& m = markers.m_markers[static_cast<std::size_t>(i)];
            if (m.m_kind == KTMarkerVerticalAsymptote && std::fabs(m.m_point.m_x - x) <= spacing)
                return;
        }
        AddComputed(x, 0.0, KTMarkerVerticalAsymptote);
    };

    // Where the curve has no value beside a point that has one (a pole that the sampler broke
    // the curve at, the end of a domain such as ln x at 0, in the view or not), it is an
    // asymptote when |f| grows without bound towards the end of the values.
    for (int i = 0; i + 1 < count && markers.m_count < KTCurveValues::MarkerCountLimit; ++i) {
        if (has(i) == has(i + 1))
            continue;
        double inside = point(has(i) ? i : i + 1).m_point.m_x;
        double outside = point(has(i) ? i + 1 : i).m_point.m_x;
        for (int k = 0; k < kDomainEndHalvings; ++k) {
            const double middle = inside + 0.5 * (outside - inside);
            if (middle == inside || middle == outside)
                break;
            (IsNoValue(F(middle)) ? outside : inside) = middle;
        }
        // Where the values end at the largest doubles, or where the bound is finite across the
        // end, f has only grown past what the evaluator takes (e^(x^-2) near 0, sinh(1/x) where
        // 1/x passes 200): its pole lies further in.
        if (std::fabs(F(inside)) > kHugestValue ||
            (IsNoValue(F(outside)) &&
             m_f.BoundValue(std::min(inside, outside), std::max(inside, outside)).IsBounded()))
            continue;
        if (polisher.Grows(inside, spacing))
            add(inside);
    }

    // A pole beside which f has a value on both sides, where the curve leaves the view, and no
    // sign change (e^(cosec x) is 0 on one side of each) shows in the bounds of its step.
    for (int i = 0; i + 1 < count && markers.m_count < KTCurveValues::MarkerCountLimit; ++i)
        if (has(i) && has(i + 1) && point(i).m_draw != point(i + 1).m_draw)
            add(polisher.PoleWithinBound(point(i).m_point.m_x, point(i + 1).m_point.m_x));

    // The sampler broke the curve at every pole its bounds showed. A list without bounds (one
    // that does not compile) may hide one in a run of points off the view between two drawn
    // ones, unless the curve only climbs out of the view and back, which the pole search tells,
    // however steep or shallow the curve there (tan x in degrees).
    KTFunction3::PreparedList prepared;
    if (m_f.PrepareList(m_f.Data().CurrentListIndex(), prepared))
        return;
    for (int s = 0; s + 1 < count; ++s) {
        if (!point(s).m_draw || point(s + 1).m_draw)
            continue;
        int end = s + 1;
        while (end < count && !point(end).m_draw)
            ++end;
        if (end >= count)
            break;
        bool values = true;
        for (int k = s + 1; k < end && values; ++k)
            values = has(k);
        if (values)
            add(polisher.PoleBetween(point(s).m_point.m_x, point(end).m_point.m_x));
        s = end - 1;
    }
}

double KTCurveAnalyser::LimitTowards(double side, double height)
{
    std::vector<double> values;
    for (int k = 1; k <= kLimitDecades; k += k < kLimitDense ? 1 : kLimitStride) {
        const double v = F(side * std::pow(10.0, k));
        if (IsNoValue(v))
            break;
        values.push_back(v);
    }
    const int count = static_cast<int>(values.size());
    if (count < kLimitTail + 1)
        return KTNoSecondValue;
    const double limit = values.back();
    const double agree = kLimitAgree * std::max(std::fabs(limit), std::min(1.0, height));
    const auto distance = [&](int k) { return std::fabs(values[static_cast<std::size_t>(k)] - limit); };
    // The first decade from which f stays at its limit; before it f must keep coming nearer
    // (sin(x)/x does, however it turns). Where it only lands on a value when x grows past the
    // doubles' reach ((1 + 1/x)^x becomes 1^x) it was not coming nearer.
    int settled = count;
    while (settled > 0 && distance(settled - 1) <= agree)
        --settled;
    if (settled > count - kLimitTail)
        return KTNoSecondValue;
    for (int k = 0; k < settled && k + 2 < count; ++k)
        if (distance(k) > agree && !(distance(k + 2) < distance(k)))
            return KTNoSecondValue;
    // A limit of 0 reads as 0, not as the tiny value f has at the last decade.
    return std::fabs(limit) <= agree ? 0.0 : limit;
}

void KTCurveAnalyser::AddHorizontalAsymptote()
{
    const KTAxes* axes = m_f.Data().m_owner;
    if (!axes)
        return;
    const KTFunctionDomain& domain = m_f.Data().m_domain;
    const double ymin = axes->m_yAxis.m_min;
    const double ymax = axes->m_yAxis.m_max;
    const double height = ymax - ymin;
    const auto inView = [&](double v) { return !IsNoValue(v) && ymin < v && v < ymax; };
    // Each end that runs off has the asymptote of its limit, where f converges to one; both ends
    // with one limit have one asymptote, atan x has two.
    const double low =
        domain.m_lowEnd == KTFunctionDomain::EndUnbounded ? LimitTowards(-1.0, height) : KTNoSecondValue;
    const double high =
        domain.m_highEnd == KTFunctionDomain::EndUnbounded ? LimitTowards(1.0, height) : KTNoSecondValue;
    if (inView(low))
        AddComputed(0.0, low, KTMarkerHorizontalAsymptote);
    const bool same = !IsNoValue(low) && !IsNoValue(high) &&
                      std::fabs(low - high) <= kLimitAgree * std::max({std::fabs(low), std::fabs(high), 1.0});
    if (inView(high) && !same)
        AddComputed(0.0, high, KTMarkerHorizontalAsymptote);
}

void KTCurveAnalyser::AddPolarInflections(KTPointPolisher& polisher)
{
    const KTCurvePointBuffer* buffer = m_f.m_currentBuffer;
    KTAxes* axes = m_f.Data().m_owner;
    if (!buffer)
        return;
    const double factor = axes ? axes->AngleFactor() : 1.0;
    const double s = factor != 0.0 ? 1.0 / factor : 1.0; // radians per unit of angle
    const bool swapped = m_f.Parts().m_inverse != 0;
    // The curve (r(t), phi(t)) bends the other way where the cross product of its first two
    // derivatives, r^2 phi'^3 + 2 r'^2 phi' - r r'' phi' + r r' phi'', changes sign. For
    // r = f(angle) the parameter is the angle (phi = s t); for angle = f(r) it is the radius.
    // At a sample, v is the sample's own value: the samples hold f at their positions.
    const auto bendWith = [&](double t, double v) {
        const double d1 = polisher.Slope(t);
        const double d2 = polisher.Curvature(t, 1.0, v);
        if (IsNoValue(v) || IsNoValue(d1) || IsNoValue(d2))
            return KTNoSecondValue;
        const double r = swapped ? t : v;
        const double r1 = swapped ? 1.0 : d1;
        const double r2 = swapped ? 0.0 : d2;
        const double p1 = swapped ? s * d1 : s;
        const double p2 = swapped ? s * d2 : 0.0;
        return r * r * p1 * p1 * p1 + 2.0 * r1 * r1 * p1 - r * r2 * p1 + r * r1 * p2;
    };
    const auto bend = [&](double t) { return bendWith(t, polisher.F(t)); };
    const auto place = [&](const KTBracketSearch::Bracket& b) {
        const double t = polisher.ZeroBetween(bend, b.a, b.b);
        if (IsNoValue(t))
            return;
        AddComputed(t, polisher.F(t), KTMarkerInflection);
    };
    polisher.ForEachSignChangeOfSamples(bendWith, *buffer, 0, buffer->m_count - 1, place);
}

void KTCurveAnalyser::AnalysePoints()
{
    KTFunctionData3& data = m_f.Data();
    const KTEquationPartList& parts = m_f.Parts();
    // Reading a part as a domain stores it in the function; the function's own domain is kept.
    const KTFunctionDomain kept = data.m_domain;
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
            if (state == kStateAdd)
                current = KTPoint(current.m_x + d.m_low, current.m_y + d.m_high);
            else if (state == kStateSubtract)
                current = KTPoint(current.m_x - d.m_low, current.m_y - d.m_high);
            else
                current = KTPoint(d.m_low, d.m_high);
            AddComputed(current.m_x, current.m_y, PointMarker);
            state = kStateStart;
        } else if (part.Kind() == KTPartDomainOrPoint) {
            const KTFunctionDomain d = m_f.InterpretDomain(part);
            current = KTPoint(d.m_low, d.m_high);
            AddComputed(current.m_x, current.m_y, PointMarker);
            if (state == kStateAdd)
                state = kStateStart;
        }
    }
    data.m_domain = kept;
}
