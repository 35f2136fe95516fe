#include "engine/KTPointPolisher.h"

#include "engine/KTBracketSearch.h"
#include "engine/KTCurveValues.h"
#include "engine/KTFunction3.h"
#include "foundation/KTSentinelValues.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

using KTCurveValues::IsNoValue;

namespace {

/// Difference steps relative to max(1, |x|): about the fifth and sixth roots of the machine
/// epsilon, where the five-point formulas' truncation and rounding errors balance.
constexpr double kSlopeStep = 7e-4;
constexpr double kCurvatureStep = 2.5e-3;
/// A sign change is a zero when |g| at the last bracket is at most this part of |g| a little
/// way off: this part of the bracket's width (or of the reach of the search that found it),
/// and no less than this many of the smallest steps. Rounding near a flat zero (f'' of x^5)
/// stays below |g| there.
constexpr double kShrunk = 0.1;
constexpr double kAwayPart = 1e-4;
constexpr double kAwaySteps = 1e8;
/// A pole is where |f| grows by more than this factor from each distance to the next, ten times
/// nearer, over the last this many decades before x (from a sample's spacing to where the
/// doubles near x run out, this many steps of them away); a logarithm grows by a tenth a decade
/// there, a smooth peak by nothing. A bound of f within this part of the spacing that is finite
/// rules a pole out. Beyond this |f| has overflowed where it has no value next.
constexpr double kGrowth = 1.001;
constexpr double kGrowthStart = 1e-6;
constexpr int kGrowthDecades = 13;
constexpr int kGrowthLeast = 3;
constexpr double kGrowthFloor = 64.0;
constexpr double kGrowthHuge = 1e15;
/// Where f has no value right beside a pole, its values end huge where they end (they run past
/// the largest double, as e^(x^-2) does at 0), found within this many steps out and back.
constexpr int kOverflowSteps = 60;
/// Halvings of a step by its bounds that place a pole within it to the double.
constexpr int kPoleHalvings = 80;
constexpr double kPoleSpan = 1e-6;
constexpr int kPoleBrackets = 4;
/// Where two curves are one: their gap at these multiples of a step either side stays within
/// this many roundings of their size.
constexpr double kCoincideSteps[] = {0.5, 1.0, 2.0, 4.0};
constexpr double kCoincideRounding = 64.0;
/// Values beyond this are as good as past the largest double.
constexpr double kHugestValue = 1e300;
/// Part of the last decade's gain that the next one keeps towards a pole (a logarithm keeps
/// nine tenths of it; a point 1e-8 beside a pole keeps a tenth).
constexpr double kGainKept = 0.5;
/// A horizontal inflection needs f' to vanish: no more than this, relative to the larger of the
/// view's slope and |f| (the rounding of the differences grows with it).
constexpr double kFlatSlope = 1e-8;
/// Samples either side of a candidate searched for its sign change.
constexpr int kNearSamples = 3;
/// Samples at most that a flat turn is followed ahead of its candidate.
constexpr int kFlatRun = 400;
/// Distance, relative to max(1, |x|), at which a zero of f' or f'' is checked from both sides.
constexpr double kConfirmStep = 1e-4;
/// A jump of f' across a zero of f'' larger than this many times the change of f' on its two
/// sides is a corner of the curve.
constexpr double kCornerRatio = 4.0;
/// The step of the function's own first difference (relative to max(1, |x|)), and the
/// multiple of the rounding of f that its differences are allowed.
constexpr double kDerivativeStep = 1e-5;
constexpr double kDerivativeRounding = 100.0;
constexpr double kNarrowCurvatureStep = 1e-4;
/// Times a difference step is made four times narrower or wider while its zero settles.
constexpr int kStepLevels = 5;
/// Part of a sample's spacing, and least number of doubles, around a point over which f must
/// reach 0 for the point to be a root: the searches place a point well within it. Without a
/// bound, the multiple of the rounding of f a sample away that |f| may keep there.
constexpr double kTouchSpacing = 1e-5;
constexpr double kTouchDoubles = 4.0;
constexpr double kTouchRounding = 16.0;
/// Reach, relative to max(1, |x|), of the search of the values around a turning point.
constexpr double kValueSearch = 1e-6;

double Magnitude(double v)
{
    return IsNoValue(v) ? HUGE_VAL : std::fabs(v);
}

} // namespace

KTPointPolisher::KTPointPolisher(KTFunction3& function, double spacing)
    : m_f(function), m_spacing(spacing > 0.0 && std::isfinite(spacing) ? spacing : 0.01)
{
}

double KTPointPolisher::F(double x)
{
    return m_f.EvaluateValue(x, KTNoSecondValue);
}

double KTPointPolisher::Scale(double x) const
{
    return std::max({1.0, std::fabs(x), m_spacing});
}

double KTPointPolisher::Slope(double x, double scale)
{
    const double h = scale * std::min(kSlopeStep * Scale(x), m_spacing);
    const double f2 = F(x + 2.0 * h), f1 = F(x + h), b1 = F(x - h), b2 = F(x - 2.0 * h);
    if (IsNoValue(f2) || IsNoValue(f1) || IsNoValue(b1) || IsNoValue(b2))
        return m_f.Derivative(x);
    return (8.0 * (f1 - b1) - (f2 - b2)) / (12.0 * h);
}

double KTPointPolisher::Curvature(double x, double scale)
{
    return Curvature(x, scale, F(x));
}

double KTPointPolisher::Curvature(double x, double scale, double fx)
{
    const double h = scale * std::min(kCurvatureStep * Scale(x), m_spacing);
    const double f2 = F(x + 2.0 * h), f1 = F(x + h), f0 = fx, b1 = F(x - h), b2 = F(x - 2.0 * h);
    if (IsNoValue(f2) || IsNoValue(f1) || IsNoValue(f0) || IsNoValue(b1) || IsNoValue(b2))
        return m_f.SecondDerivative(x);
    return (16.0 * (f1 + b1) - (f2 + b2) - 30.0 * f0) / (12.0 * h * h);
}

double KTPointPolisher::ZeroBetween(const std::function<double(double)>& g, double a, double b, double scale)
{
    const double ga = g(a);
    const double gb = g(b);
    const KTBracketSearch::Result r = KTBracketSearch::Brent(g, a, b, ga, gb);
    if (!r.found)
        return KTNoSecondValue;
    if (r.gx == 0.0)
        return r.x; // an exact zero: the other end of the last bracket may still be far
    // Through a zero |g| falls to rounding at the last bracket and rises again away from it;
    // across a jump it keeps the size of the step, and towards a pole it grows.
    const double d = std::max(kAwayPart * std::max(scale, std::fabs(b - a)),
                              kAwaySteps * KTBracketSearch::Resolution(r.x));
    const double last = std::max(Magnitude(r.last.ga), Magnitude(r.last.gb));
    const double away = std::min(Magnitude(g(r.x - d)), Magnitude(g(r.x + d)));
    if (!(last <= kShrunk * away))
        return KTNoSecondValue;
    return r.x;
}

double KTPointPolisher::RootBetween(double a, double b)
{
    return ZeroBetween([this](double x) { return F(x); }, a, b);
}

bool KTPointPolisher::Grows(double x, double width)
{
    // A bound of f near x that is finite rules a pole out at once, however f's values turn
    // (sin(1/x) at 0), unless some points there have no value and the bound is huge: past them
    // f may have grown beyond what the evaluator takes (sinh(1/x) has none where 1/x passes
    // 200). A list
    // without bounds gives no finite one.
    const double near = kGrowthStart * width;
    const KTInterval bound = m_f.BoundValue(x - near, x + near);
    if (bound.IsBounded() && (!bound.IsPartial() || std::max(-bound.m_lo, bound.m_hi) < kGrowthHuge))
        return false;
    // Towards a pole |f| rises from each distance to the next one ten times nearer, in the last
    // decades before x at least, by a gain that does not fade: tenfold for 1/x, by a nearly
    // steady part for ln|x|. Beside a pole, a little way off it, the gain fades to nothing by
    // the nearest decades. Or |f| rises beyond what a double holds (e^(1/x) at 0). A jump or a
    // hole does not keep rising. One side is enough (ln x at 0, e^(1/x)).
    const double nearest = kGrowthFloor * KTBracketSearch::Resolution(x);
    for (const double side : {-1.0, 1.0}) {
        double previous = -1.0;
        double gain = 0.0;
        int rises = 0;
        bool overflows = false;
        for (int k = 0; k < kGrowthDecades; ++k) {
            const double d = width * std::pow(10.0, -k);
            if (d < nearest)
                break;
            const double v = F(x + side * d);
            if (IsNoValue(v)) {
                // Past a huge value: too large for a double (or for the evaluator); else the end
                // of the domain. Where the values end, further out, tells (e^(x^-2) at 0 has
                // none from the first decade on, sinh(1/x) none past 1/x = 200).
                overflows = previous > kGrowthHuge || OverflowsTowards(x, x + side * d, previous);
                break;
            }
            const double m = std::fabs(v);
            const double g = previous > 0.0 && m > 0.0 ? std::log(m / previous) : 0.0;
            const bool steady = rises == 0 || g >= kGainKept * gain;
            rises = g > std::log(kGrowth) ? (steady ? rises + 1 : 1) : 0;
            gain = g;
            previous = m;
        }
        if (rises >= kGrowthLeast || overflows)
            return true;
    }
    return false;
}

bool KTPointPolisher::OverflowsTowards(double x, double from, double above)
{
    // Out from `from`, away from x, to the first value; then back to where the values end.
    const double direction = from > x ? 1.0 : -1.0;
    double step = std::fabs(from - x);
    double outside = from;
    double inside = from;
    bool found = false;
    for (int k = 0; k < kOverflowSteps && !found; ++k) {
        inside = outside + direction * step;
        found = !IsNoValue(F(inside));
        if (!found)
            outside = inside;
        step *= 2.0;
    }
    if (!found)
        return false;
    inside = KTBracketSearch::Boundary([&](double v) { return !IsNoValue(F(v)); }, inside, outside,
                                       kOverflowSteps);
    const double end = std::fabs(F(inside));
    return end >= kGrowthHuge && end > above;
}

double KTPointPolisher::PoleWithinBound(double a, double b)
{
    // A bound that is all beyond the largest doubles is where f overflows, not its pole.
    const auto holds = [this](double u, double v) {
        const KTInterval r = m_f.BoundValue(u, v);
        return !r.IsEmpty() && !r.IsBounded() && r.m_lo < kHugestValue && r.m_hi > -kHugestValue;
    };
    if (b < a)
        std::swap(a, b);
    const double width = b - a;
    if (!holds(a, b))
        return KTNoSecondValue;
    // The halves whose bounds are not finite: the one holding the pole, and beside it perhaps
    // one where f only runs past the doubles (e^(cosec x) just short of its pole); those narrow
    // down until they lie within the overflow and hold no more. Right beside the pole the
    // bounds' allowance for rounding holds it in every piece: they stop there.
    const double narrow = kPoleSpan * width;
    std::vector<std::pair<double, double>> held = {{a, b}};
    for (int k = 0; k < kPoleHalvings; ++k) {
        std::vector<std::pair<double, double>> next;
        bool halved = false;
        for (const auto& [u, v] : held) {
            const double middle = u + 0.5 * (v - u);
            if (v - u <= narrow || middle == u || middle == v) {
                next.emplace_back(u, v);
                continue;
            }
            halved = true;
            if (holds(u, middle))
                next.emplace_back(u, middle);
            if (holds(middle, v))
                next.emplace_back(middle, v);
        }
        // Narrow pieces that touch are one stretch.
        held.clear();
        for (const auto& piece : next) {
            if (!held.empty() && held.back().second == piece.first && piece.second - piece.first <= narrow &&
                held.back().second - held.back().first <= 2.0 * narrow)
                held.back().second = piece.second;
            else
                held.push_back(piece);
        }
        if (static_cast<int>(held.size()) > kPoleBrackets)
            return KTNoSecondValue; // the bounds only widen with the step (x/x)
        if (!halved)
            break;
    }
    for (const auto& [u, v] : held) {
        if (v - u > 2.0 * narrow)
            continue;
        const double x = PoleInside(u, v);
        if (Grows(x, width))
            return x;
    }
    return KTNoSecondValue;
}

double KTPointPolisher::PoleInside(double u, double v)
{
    double fu = F(u);
    double fv = F(v);
    if (IsNoValue(fu) != IsNoValue(fv)) {
        // The values end at the pole on one side (e^(cosec x) has none just before it).
        for (int k = 0; k < kOverflowSteps; ++k) {
            const double middle = u + 0.5 * (v - u);
            if (middle == u || middle == v)
                break;
            (IsNoValue(F(middle)) == IsNoValue(fu) ? u : v) = middle;
        }
        return IsNoValue(fu) ? v : u;
    }
    if (!IsNoValue(fu) && !IsNoValue(fv) && KTBracketSearch::ChangesSign(fu, fv) && fu != 0.0 && fv != 0.0)
        return KTBracketSearch::Bisect([this](double x) { return F(x); }, u, v, fu, fv).x;
    return u + 0.5 * (v - u);
}

double KTPointPolisher::PoleBetween(double a, double b)
{
    if (b < a)
        std::swap(a, b);
    const auto f = [this](double x) { return F(x); };
    // Halving a sign change between neighbouring points of a fine walk over the bracket; where
    // f keeps its sign (1/x^2) the largest |f| marks the pole.
    constexpr int kSteps = 16;
    double x = KTNoSecondValue;
    double previous = a;
    double fp = F(a);
    for (int k = 1; k <= kSteps && IsNoValue(x); ++k) {
        const double at = k == kSteps ? b : a + (b - a) * k / kSteps;
        const double fa = F(at);
        if (IsNoValue(fa)) {
            x = at; // checked below like any other
        } else if (KTBracketSearch::ChangesSign(fp, fa) && fp != 0.0 && fa != 0.0) {
            x = KTBracketSearch::Bisect(f, previous, at, fp, fa).x;
        }
        previous = at;
        fp = fa;
    }
    if (IsNoValue(x))
        x = KTBracketSearch::GoldenMaxAbs(f, a, b);
    return Grows(x, b - a) ? x : KTNoSecondValue;
}

double KTPointPolisher::ZeroNear(const std::function<double(double)>& g, double x0, double reach)
{
    const double first = 4.0 * KTBracketSearch::Resolution(x0);
    const KTBracketSearch::Result near = KTBracketSearch::BracketNear(g, x0, first, reach);
    if (!near.found)
        return KTNoSecondValue;
    if (near.last.a == near.last.b)
        return near.x;
    return ZeroBetween(g, near.last.a, near.last.b, reach);
}

bool KTPointPolisher::ZeroAt(double x)
{
    const double v = F(x);
    if (IsNoValue(v))
        return false;
    if (v == 0.0)
        return true;
    const double d = std::max(kTouchSpacing * m_spacing, kTouchDoubles * KTBracketSearch::Resolution(x));
    const KTInterval bound = m_f.BoundValue(x - d, x + d);
    if (bound.IsBounded())
        return bound.Contains(0.0);
    const double away = std::max(Magnitude(F(x - m_spacing)), Magnitude(F(x + m_spacing)));
    return std::isfinite(away) && std::fabs(v) <= kTouchRounding * DBL_EPSILON * away;
}

void KTPointPolisher::PolishRoot(KTMarker& marker, double a, double b)
{
    const double x = RootBetween(std::min(a, b), std::max(a, b));
    if (IsNoValue(x)) {
        marker.m_kind = KTMarkerNoneFound;
        return;
    }
    // At the root f is 0; what it evaluates to there is rounding, which the label would show
    // as "-0".
    marker.m_point = KTPoint(x, 0.0);
    marker.m_refined = 1;
}

void KTPointPolisher::ForEachSignChange(const std::function<double(double)>& g,
                                        const KTCurvePointBuffer& buffer, int first, int last,
                                        const std::function<void(const KTBracketSearch::Bracket&)>& found)
{
    ForEachSignChangeOfSamples([&g](double x, double) { return g(x); }, buffer, first, last, found);
}

void KTPointPolisher::ForEachSignChangeOfSamples(
    const std::function<double(double, double)>& g, const KTCurvePointBuffer& buffer, int first, int last,
    const std::function<void(const KTBracketSearch::Bracket&)>& found)
{
    const int count = std::clamp<int>(buffer.m_count, 0, buffer.Size());
    first = std::max(0, first);
    last = std::min(count - 1, last);
    bool have = false;
    double xp = 0.0;
    double gp = 0.0;
    for (int i = first; i <= last; ++i) {
        const KTPoint& p = buffer.m_points[static_cast<std::size_t>(i)].m_point;
        const double gi = IsNoValue(p.m_x) || IsNoValue(p.m_y) ? KTNoSecondValue : g(p.m_x, p.m_y);
        if (IsNoValue(gi)) {
            have = false;
            continue;
        }
        if (gi == 0.0)
            continue;
        if (have && (gp > 0.0) != (gi > 0.0))
            found(KTBracketSearch::Bracket{xp, p.m_x, gp, gi});
        have = true;
        xp = p.m_x;
        gp = gi;
    }
}

bool KTPointPolisher::SignChangeNear(const std::function<double(double)>& g, const KTCurvePointBuffer& buffer,
                                     int index, int reach, KTBracketSearch::Bracket& found, int ahead)
{
    bool have = false;
    double best = 0.0;
    // The candidate is marked on the sample where |f'| turned.
    const KTCurvePoint* at = buffer.At(std::max(0, index));
    const double target = at ? at->m_point.m_x : 0.0;
    ForEachSignChange(g, buffer, index - reach, index + std::max(reach, ahead),
                      [&](const KTBracketSearch::Bracket& bracket) {
        const double distance = std::fabs((bracket.a + bracket.b) * 0.5 - target);
        if (!have || distance < best) {
            have = true;
            best = distance;
            found = bracket;
        }
    });
    return have;
}

double KTPointPolisher::NarrowSlope(double x)
{
    if (m_spacing <= std::max(1.0, std::fabs(x)))
        return m_f.Derivative(x);
    const double h = kDerivativeStep * Scale(x);
    const double a = F(x + h), b = F(x - h);
    return IsNoValue(a) || IsNoValue(b) ? m_f.Derivative(x) : (a - b) / (2.0 * h);
}

double KTPointPolisher::NarrowCurvature(double x)
{
    if (m_spacing <= std::max(1.0, std::fabs(x)))
        return m_f.SecondDerivative(x);
    const double h = kNarrowCurvatureStep * Scale(x);
    const double a = F(x + h), c = F(x), b = F(x - h);
    return IsNoValue(a) || IsNoValue(b) || IsNoValue(c) ? m_f.SecondDerivative(x) : (a - 2.0 * c + b) / (h * h);
}

bool KTPointPolisher::Confirmed(double x, bool curvature)
{
    // The five-point formulas reach two steps out; beside a pole they can cross 0 where f' or
    // f'' does not. The function's own narrow differences, a little either side, must agree.
    const double d = std::min(kConfirmStep * Scale(x), 0.25 * m_spacing);
    const double before = curvature ? NarrowCurvature(x - d) : NarrowSlope(x - d);
    const double after = curvature ? NarrowCurvature(x + d) : NarrowSlope(x + d);
    return !IsNoValue(before) && !IsNoValue(after) && before != 0.0 && after != 0.0 &&
           (before > 0.0) != (after > 0.0);
}

bool KTPointPolisher::SlopeContinuous(double x)
{
    const double d = std::min(kConfirmStep * Scale(x), 0.25 * m_spacing);
    const double l2 = NarrowSlope(x - 2.0 * d), l1 = NarrowSlope(x - d);
    const double r1 = NarrowSlope(x + d), r2 = NarrowSlope(x + 2.0 * d);
    if (IsNoValue(l2) || IsNoValue(l1) || IsNoValue(r1) || IsNoValue(r2))
        return true; // nothing to compare: the other checks decide
    // Where f' is smooth the step across x is of the order of each side's own change over d,
    // and where f'' vanishes at x much smaller; across a corner it stays while the sides settle.
    // The differences of f' carry the rounding of f over the function's own step (x^3 + 1000).
    const double across = std::fabs(r1 - l1);
    const double sides = std::fabs(r2 - r1) + std::fabs(l1 - l2);
    const double value = F(x);
    const double rounding = IsNoValue(value) ? 0.0
                                             : kDerivativeRounding * DBL_EPSILON * std::fabs(value) /
                                                   (kDerivativeStep * Scale(x));
    return across <= kCornerRatio * sides + rounding;
}

double KTPointPolisher::StableZero(bool curvature, double a, double b, double scale)
{
    const auto estimate = [this, curvature](double scale) {
        return std::function<double(double)>(
            [this, curvature, scale](double x) { return curvature ? Curvature(x, scale) : Slope(x, scale); });
    };
    const double x1 = ZeroBetween(estimate(1.0), a, b, scale);
    if (IsNoValue(x1))
        return x1;
    // The zero of a difference formula moves with its step: too wide a step misses a narrow
    // feature (100 e^(-100 x^2)), too narrow a one drowns in rounding (x^3 + 1000). Steps four
    // times narrower, or wider, are taken while the zero settles; the steadiest pair wins.
    const auto near = [&](double step, double from) {
        return ZeroNear(estimate(step), from, std::min(m_spacing, std::max(scale, std::fabs(b - a))));
    };
    const auto gap = [](double u, double v) {
        return IsNoValue(u) || IsNoValue(v) ? HUGE_VAL : std::fabs(u - v);
    };
    const double settled = 8.0 * KTBracketSearch::Resolution(x1);
    const double narrower = near(0.25, x1);
    const double dNarrow = gap(x1, narrower);
    if (dNarrow <= settled)
        return x1;
    const double wider = near(4.0, x1);
    const double dWide = gap(x1, wider);
    const bool shrink = dWide > dNarrow;
    double best = shrink ? narrower : x1;
    double spread = shrink ? dNarrow : dWide;
    if (!shrink && IsNoValue(wider))
        return x1;
    double step = shrink ? 0.25 : 4.0;
    double previous = shrink ? narrower : wider;
    for (int level = 0; level < kStepLevels && spread > settled; ++level) {
        step = shrink ? step * 0.25 : step * 4.0;
        const double next = near(step, previous);
        const double d = gap(previous, next);
        if (!(d < spread))
            break;
        best = shrink ? next : previous;
        spread = d;
        previous = next;
    }
    return best;
}

bool KTPointPolisher::PlaceTurningPoint(KTMarker& marker, double a, double b, double scale)
{
    const double x0 = StableZero(false, a, b, scale);
    if (IsNoValue(x0) || IsNoValue(F(x0)) || !Confirmed(x0, false))
        return false;
    const double d = std::min(kConfirmStep * Scale(x0), 0.25 * m_spacing);
    const bool maximum = NarrowSlope(x0 - d) > 0.0; // rising into it, falling out of it
    // Where f is as flat as a fourth power the slope's zero is only good to about 1e-8; the
    // values themselves still tell the lower (or higher) point apart there.
    const auto score = [&](double x) {
        const double v = F(x);
        return IsNoValue(v) ? -HUGE_VAL : (maximum ? v : -v);
    };
    // Within a sample: on a narrow view a millionth of |x| may span the whole view.
    const double reach = std::min(kValueSearch * std::max(1.0, std::fabs(x0)), m_spacing);
    const double xg = KTBracketSearch::GoldenMax(score, x0 - reach, x0 + reach);
    const double s0 = score(x0);
    const double x = score(xg) - s0 > 4.0 * DBL_EPSILON * std::fabs(s0) ? xg : x0;
    marker.m_kind = maximum ? KTMarkerLocalMaximum : KTMarkerLocalMinimum;
    marker.m_point = KTPoint(x, F(x));
    marker.m_refined = 1;
    return true;
}

bool KTPointPolisher::PlaceInflection(KTMarker& marker, double a, double b, bool horizontal, double scale)
{
    const double x = StableZero(true, a, b, scale);
    const double y = IsNoValue(x) ? KTNoSecondValue : F(x);
    if (IsNoValue(y) || !Confirmed(x, true) || !SlopeContinuous(x))
        return false;
    if (horizontal) {
        // The slope only dipping there is no horizontal tangent. What counts as flat is measured
        // in the view's own slope (x^3 + 1e-9 x is no flat bend on a view a thousandth wide).
        const double flat = Slope(x);
        if (IsNoValue(flat) || std::fabs(flat) > kFlatSlope * std::max(m_f.ViewSlopeUnit(), std::fabs(y)))
            return false;
        marker.m_kind = KTMarkerHorizontalInflection;
    }
    marker.m_point = KTPoint(x, y);
    marker.m_refined = 1;
    return true;
}

bool KTPointPolisher::PolishTurningPoint(KTMarker& marker, const KTCurvePointBuffer& buffer, int index)
{
    // The slope walk marks a flat turn once |f'| changes by less than its threshold from one
    // sample to the next: on a fine layout x^4 gets there several samples before f' changes
    // sign. The search runs on while |f'| keeps falling, to the sample where it rises again.
    const int count = std::clamp<int>(buffer.m_count, 0, buffer.Size());
    int ahead = kNearSamples;
    for (int k = std::max(index, 0); k + 1 < count && k - index < kFlatRun; ++k) {
        const double d0 = buffer.m_points[static_cast<std::size_t>(k)].m_firstDerivative;
        const double d1 = buffer.m_points[static_cast<std::size_t>(k + 1)].m_firstDerivative;
        ahead = std::max(ahead, k + 1 - index);
        if (IsNoValue(d0) || IsNoValue(d1) || !(std::fabs(d1) < std::fabs(d0)))
            break;
    }
    KTBracketSearch::Bracket bracket;
    const bool slopeTurns =
        SignChangeNear([this](double x) { return Slope(x); }, buffer, index, kNearSamples, bracket, ahead);
    if (slopeTurns && PlaceTurningPoint(marker, bracket.a, bracket.b))
        return true;
    // The five-point slope of x^5 is -4h^4 at 0: a sample on the flat point itself shows a sign
    // change of the slope that the narrow differences do not confirm. The bend is still there.
    if (!SignChangeNear([this](double x) { return Curvature(x); }, buffer, index, kNearSamples, bracket,
                        ahead)) {
        if (slopeTurns)
            marker.m_kind = KTMarkerNoneFound;
        return slopeTurns;
    }
    if (PlaceInflection(marker, bracket.a, bracket.b, true))
        return true;
    // Where |f'| is least but not 0 (x^3 + x at 0, tan(x) at its roots) the curve bends the
    // other way all the same: an inflection, though not a steepest slope.
    marker.m_kind = KTMarkerInflection;
    if (!PlaceInflection(marker, bracket.a, bracket.b, false))
        marker.m_kind = KTMarkerNoneFound;
    return true;
}

bool KTPointPolisher::PolishInflection(KTMarker& marker, const KTCurvePointBuffer& buffer, int index)
{
    KTBracketSearch::Bracket bracket;
    if (!SignChangeNear([this](double x) { return Curvature(x); }, buffer, index, kNearSamples, bracket))
        return false;
    if (!PlaceInflection(marker, bracket.a, bracket.b, false))
        marker.m_kind = KTMarkerNoneFound;
    return true;
}

void KTPointPolisher::PolishNear(KTMarker& marker)
{
    const bool turning = marker.m_kind == KTMarkerLocalMaximum || marker.m_kind == KTMarkerLocalMinimum;
    const bool inflection =
        marker.m_kind == KTMarkerHorizontalInflection || marker.m_kind == KTMarkerInflection;
    if (!turning && !inflection)
        return;
    const std::function<double(double)> g = [this, turning](double x) {
        return turning ? Slope(x) : Curvature(x);
    };
    const double x0 = marker.m_point.m_x;
    const KTBracketSearch::Result near =
        KTBracketSearch::BracketNear(g, x0, 4.0 * KTBracketSearch::Resolution(x0), m_spacing);
    bool placed = false;
    if (near.found) {
        // A zero found on the spot still needs a bracket around it for the checks.
        const double a = near.last.a == near.last.b ? x0 - 0.25 * m_spacing : near.last.a;
        const double b = near.last.a == near.last.b ? x0 + 0.25 * m_spacing : near.last.b;
        placed =
            turning ? PlaceTurningPoint(marker, a, b, m_spacing)
                    : PlaceInflection(marker, a, b, marker.m_kind == KTMarkerHorizontalInflection, m_spacing);
    }
    if (!placed)
        marker.m_kind = KTMarkerNoneFound;
}

bool KTPointPolisher::CoincideNear(KTFunction3& first, KTFunction3& second, const KTPoint& point, double reach)
{
    const auto form = [](const KTFunction3& f) {
        return f.Parts().m_polar || f.Parts().m_parametricX ? -1 : (f.Parts().m_inverse ? 1 : 0);
    };
    if (form(first) < 0 || form(first) != form(second) || !(reach > 0.0))
        return false;
    const double t = form(first) == 1 ? point.m_y : point.m_x;
    for (const double k : kCoincideSteps) {
        for (const double side : {-1.0, 1.0}) {
            const double at = t + side * k * reach;
            const double u = first.EvaluateValue(at, KTNoSecondValue);
            const double v = second.EvaluateValue(at, KTNoSecondValue);
            if (IsNoValue(u) || IsNoValue(v))
                return false;
            // The rounding of each is what its bound at the point allows (the size of its terms:
            // (x+1)^2 - 2x - 1 carries that of 1 where it is x^2).
            const auto rounding = [at](KTFunction3& f, double value) {
                const KTInterval b = f.BoundValue(at, at);
                return std::max(b.IsBounded() ? b.Width() : 0.0, DBL_EPSILON * std::fabs(value));
            };
            if (std::fabs(u - v) > kCoincideRounding * (rounding(first, u) + rounding(second, v)))
                return false;
        }
    }
    return true;
}

KTPoint KTPointPolisher::MeetNear(KTFunction3& first, KTFunction3& second, const KTPoint& start, double reach)
{
    const KTPoint none(KTNoSecondValue, KTNoSecondValue);
    const auto plain = [](const KTFunction3& f) {
        return !f.Parts().m_polar && !f.Parts().m_parametricX && !f.Parts().m_inverse;
    };
    const auto swapped = [](const KTFunction3& f) {
        return !f.Parts().m_polar && !f.Parts().m_parametricX && f.Parts().m_inverse;
    };
    KTPointPolisher f(first, reach);
    KTPointPolisher g(second, reach);
    if ((plain(first) && plain(second)) || (swapped(first) && swapped(second))) {
        // Both give the same coordinate from the same variable: their difference crosses 0.
        const bool alongY = swapped(first);
        const auto gap = [&](double t) {
            const double u = f.F(t);
            const double v = g.F(t);
            return IsNoValue(u) || IsNoValue(v) ? KTNoSecondValue : u - v;
        };
        const double t = f.ZeroNear(gap, alongY ? start.m_y : start.m_x, reach);
        const double v = IsNoValue(t) ? KTNoSecondValue : f.F(t);
        if (IsNoValue(v))
            return none;
        return alongY ? KTPoint(v, t) : KTPoint(t, v);
    }
    KTPointPolisher& across = plain(first) ? f : g;  // y = p(x)
    KTPointPolisher& upright = plain(first) ? g : f; // x = q(y)
    if (!(plain(first) && swapped(second)) && !(swapped(first) && plain(second)))
        return none;
    // The point (x, p(x)) lies on x = q(y) where q(p(x)) - x crosses 0.
    const auto gap = [&](double x) {
        const double y = across.F(x);
        const double back = IsNoValue(y) ? KTNoSecondValue : upright.F(y);
        return IsNoValue(back) ? KTNoSecondValue : back - x;
    };
    const double x = across.ZeroNear(gap, start.m_x, reach);
    const double y = IsNoValue(x) ? KTNoSecondValue : across.F(x);
    return IsNoValue(y) ? none : KTPoint(x, y);
}
