#include "engine/KTIntervalRules.h"

#include "engine/ASTokenKind.h"
#include "engine/KTEvaluationProgram.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#if defined(__x86_64__)
#include <emmintrin.h>

extern "C" __m128d _ZGVbN2v_sin(__m128d);
extern "C" __m128d _ZGVbN2v_cos(__m128d);
#endif

namespace {

using namespace KTIntervalRules::Detail;

/// The sines (cosines when `cosine`) of two arguments at once. The vector forms of the library
/// take about a third of the time of its scalar ones, within four units in the last place;
/// with the scalar rule's one, within kFunctionUlps of what the scalar rule gives.
[[gnu::always_inline]] inline void TwoSines(double a, double b, bool cosine, double& fa, double& fb)
{
#if defined(__x86_64__)
    const __m128d v = _mm_set_pd(b, a);
    const __m128d r = cosine ? _ZGVbN2v_cos(v) : _ZGVbN2v_sin(v);
    fa = _mm_cvtsd_f64(r);
    fb = _mm_cvtsd_f64(_mm_unpackhi_pd(r, r));
#else
    fa = cosine ? std::cos(a) : std::sin(a);
    fb = cosine ? std::cos(b) : std::sin(b);
#endif
}

/// The tangents (cotangents when `cot`) of two arguments, the sine over the cosine as the
/// scalar rule takes them. From the vector sine and cosine, four units each and half of the
/// division's, beside the scalar rule's two and a half: twelve cover both.
constexpr double kTangentUlps = 12.0;
[[gnu::always_inline]] inline void TwoTangents(double a, double b, bool cot, double& fa, double& fb)
{
    double sa, sb, ca, cb;
    TwoSines(a, b, false, sa, sb);
    TwoSines(a, b, true, ca, cb);
    fa = cot ? ca / sa : sa / ca;
    fb = cot ? cb / sb : sb / cb;
}

constexpr double kTwoPi = 6.283185308; // the normal density's constant, as the scalar rule has it

} // namespace

KTInterval KTIntervalRules::Detail::Scaled(const KTInterval& a, const KTInterval& b)
{
    const double p[4] = {Times(a.m_lo, b.m_lo), Times(a.m_lo, b.m_hi), Times(a.m_hi, b.m_lo),
                         Times(a.m_hi, b.m_hi)};
    KTInterval r = Outward(std::min({p[0], p[1], p[2], p[3]}), std::max({p[0], p[1], p[2], p[3]}),
                           kArithmeticUlps, a.m_partial || b.m_partial);
    if (!a.HasGap() || !(b.m_lo > 0.0 || b.m_hi < 0.0) || !b.IsBounded())
        return r;
    // For a factor in [c, d] with 0 < c: values up to g1 give products up to g1 c (g1 < 0) or
    // g1 d; values from g2 on give products from g2 c (g2 > 0) or g2 d.
    const bool negative = b.m_hi < 0.0;
    const double c = negative ? -b.m_hi : b.m_lo;
    const double d = negative ? -b.m_lo : b.m_hi;
    const double below = a.m_gapLo < 0.0 ? a.m_gapLo * c : a.m_gapLo * d;
    const double above = a.m_gapHi > 0.0 ? a.m_gapHi * c : a.m_gapHi * d;
    return negative ? WithGap(r, -above, -below, kArithmeticUlps) : WithGap(r, below, above, kArithmeticUlps);
}

KTInterval KTIntervalRules::Detail::SumWithGap(const KTInterval& a, const KTInterval& b)
{
    KTInterval r = Outward(a.m_lo + b.m_lo, a.m_hi + b.m_hi, kArithmeticUlps, a.m_partial || b.m_partial);
    // A gap less the width of the other range added to it.
    if (a.HasGap() && !b.HasGap() && b.IsBounded())
        return WithGap(r, a.m_gapLo + b.m_hi, a.m_gapHi + b.m_lo, kArithmeticUlps);
    if (b.HasGap() && !a.HasGap() && a.IsBounded())
        return WithGap(r, b.m_gapLo + a.m_hi, b.m_gapHi + a.m_lo, kArithmeticUlps);
    return r;
}

KTInterval KTIntervalRules::Divide(const KTInterval& a, const KTInterval& b)
{
    if (a.IsEmpty() || b.IsEmpty())
        return KTInterval::Empty();
    const bool partial = a.m_partial || b.m_partial;
    if (b.HasGap() && b.m_gapLo < 0.0 && b.m_gapHi > 0.0) {
        // A divisor that leaves out a gap around 0: its reciprocal is bounded by the gap's ends
        // (and is never 0 itself where the divisor is bounded).
        KTInterval reciprocal = Outward(1.0 / b.m_gapLo, 1.0 / b.m_gapHi, kArithmeticUlps, b.m_partial);
        return Scaled(a, reciprocal);
    }
    if (b.m_lo > 0.0 || b.m_hi < 0.0) {
        // An unbounded numerator over an unbounded divisor: the other corners give the
        // quotient's extremes, and 0 (where the divisor grows past the numerator) lies within.
        const auto q = [](double n, double d) {
            if (std::isinf(n) && std::isinf(d))
                return 0.0;
            return n / d;
        };
        const double c[4] = {q(a.m_lo, b.m_lo), q(a.m_lo, b.m_hi), q(a.m_hi, b.m_lo), q(a.m_hi, b.m_hi)};
        const double lo = std::min({c[0], c[1], c[2], c[3]});
        const double hi = std::max({c[0], c[1], c[2], c[3]});
        KTInterval r = Outward(lo, hi, kArithmeticUlps, partial);
        if (a.HasGap() && b.IsBounded())
            return Scaled(a, Outward(1.0 / b.m_hi, 1.0 / b.m_lo, kArithmeticUlps, partial));
        return r;
    }
    // The divisor's range holds 0, where the scalar rule is undefined.
    if (b.m_lo == 0.0 && b.m_hi == 0.0)
        return KTInterval::Empty();
    if (a.m_lo == 0.0 && a.m_hi == 0.0)
        return {0.0, 0.0, true};
    if (a.m_lo <= 0.0 && a.m_hi >= 0.0)
        return KTInterval::Entire();
    if (b.m_lo < 0.0 && b.m_hi > 0.0) {
        // Both branches of the pole, and the gap between them: a numerator in [n1, n2] of one
        // sign over the divisors below 0 and above 0.
        const double n = a.m_lo > 0.0 ? a.m_lo : a.m_hi;
        const double below = a.m_lo > 0.0 ? n / b.m_lo : n / b.m_hi;
        const double above = a.m_lo > 0.0 ? n / b.m_hi : n / b.m_lo;
        return WithGap(KTInterval::Entire(), below, above, kArithmeticUlps);
    }
    // One side of the pole: divisors in (0, hi] or [lo, 0).
    if (b.m_lo == 0.0) {
        if (a.m_lo > 0.0)
            return {Down(a.m_lo / b.m_hi, kArithmeticUlps), kInf, true};
        return {-kInf, Up(a.m_hi / b.m_hi, kArithmeticUlps), true};
    }
    if (a.m_lo > 0.0)
        return {-kInf, Up(a.m_lo / b.m_lo, kArithmeticUlps), true};
    return {Down(a.m_hi / b.m_lo, kArithmeticUlps), kInf, true};
}

namespace {

// ---- Powers --------------------------------------------------------------------------------------

/// |b| ^ P for P >= 0 as the scalar power rule computes it.
double Magnitude(double B, double P)
{
    if (P == 2.0)
        return B * B;
    if (B == 0.0)
        return 0.0;
    if (P == 0.5)
        return std::sqrt(B);
    if (P == std::floor(P) && P <= 64.0)
        return KTEvaluationRules::IntegerPower(B, static_cast<int>(P));
    return B == 2.0 ? std::exp2(P) : std::pow(B, P);
}

/// The values of B ^ p for B in [low, high] (0 <= low <= high), positive, with the scalar rule's
/// inversion for p < 0: no value where B ^ |p| is 0, which is a pole at B = 0.
KTInterval Magnitudes(double low, double high, double p)
{
    const double P = std::fabs(p);
    const double rLow = Magnitude(low, P);
    const double rHigh = Magnitude(high, P);
    if (!(p < 0.0))
        return Outward(rLow, rHigh, kPowerUlps, false);
    if (!(rHigh > 0.0))
        return KTInterval::Empty();
    if (!(rLow > 0.0))
        return {Down(1.0 / rHigh, kPowerUlps), kInf, true};
    return Outward(1.0 / rHigh, 1.0 / rLow, kPowerUlps, false);
}

/// The scalar rule's answer for a negative base and the exponent p: whether it has a real power
/// (a whole exponent, or an odd root, for every magnitude of the base) and whether that is
/// negative.
struct NegativeBase
{
    bool real = false;
    bool odd = false;
};

NegativeBase ForNegativeBase(double p)
{
    NegativeBase rule;
    const double P = std::fabs(p);
    if (P == std::floor(P)) {
        rule.real = true;
        // A whole P below 2^53 less twice the whole half of it is fmod(P, 2), exactly, without
        // the library's general remainder (every bound of x^3 comes this way).
        rule.odd = P < 9007199254740992.0 && P - 2.0 * std::floor(P * 0.5) == 1.0;
        return rule;
    }
    if (P == 0.5)
        return rule;
    for (int j = 3; j <= 31; j += 2) {
        const double scaled = P * j;
        const double k = std::floor(scaled + 0.5);
        if (std::fabs(scaled - k) > 1e-8)
            continue;
        rule.real = true;
        rule.odd = std::fmod(k, 2.0) == 1.0;
        return rule;
    }
    return rule;
}

} // namespace

namespace KTIntervalRules {

KTInterval PowerOf(const KTInterval& base, double p)
{
    if (base.IsEmpty() || KTEvaluationRules::IsSentinel(p) || !std::isfinite(p))
        return KTInterval::Empty();
    // The bases of each sign in turn; the values of both pieces together.
    KTInterval result;
    bool any = false;
    bool partial = base.m_partial;
    const auto add = [&](const KTInterval& piece) {
        if (piece.IsEmpty()) {
            partial = true;
            return;
        }
        partial = partial || piece.m_partial;
        result = any ? KTInterval::Hull(result, piece) : piece;
        any = true;
    };
    if (base.m_hi >= 0.0) {
        add(Magnitudes(std::max(base.m_lo, 0.0), base.m_hi, p));
        if (base.m_lo <= 0.0 && p < 0.0)
            partial = true; // 0 ^ p for p < 0
    }
    if (base.m_lo < 0.0) {
        const NegativeBase rule = ForNegativeBase(p);
        const double low = base.m_hi < 0.0 ? -base.m_hi : 0.0;
        const double high = -base.m_lo;
        if (!rule.real) {
            partial = true;
        } else {
            const KTInterval piece = Magnitudes(low, high, p);
            add(rule.odd ? Negated(piece) : piece);
        }
    }
    if (!any)
        return KTInterval::Empty();
    result.m_partial = partial;
    result.m_jumps = p == 0.0 && base.Contains(0.0) && base.m_lo < base.m_hi; // 0 ^ 0 is 0, B ^ 0 is 1
    return result;
}

KTInterval Power(const KTInterval& base, const KTInterval& p)
{
    if (base.IsEmpty() || p.IsEmpty())
        return KTInterval::Empty();
    if (p.m_lo == p.m_hi) {
        KTInterval r = PowerOf(base, p.m_lo);
        r.m_partial = r.m_partial || p.m_partial;
        return r;
    }
    // B ^ p is monotonic in B (B > 0) and in p: its extremes over the box lie at the corners,
    // where 0 ^ p is 0 for p > 0 and the pole for p < 0.
    const double bLow = base.m_lo >= 0.0 ? base.m_lo : (base.m_hi < 0.0 ? -base.m_hi : 0.0);
    const double bHigh = std::max(std::fabs(base.m_lo), std::fabs(base.m_hi));
    double lo = kInf;
    double hi = -kInf;
    // A range of exponents holds values that are no real power of a negative base; 0 has no
    // negative power.
    const bool partial =
        base.m_partial || p.m_partial || base.m_lo < 0.0 || (base.m_lo <= 0.0 && p.m_lo < 0.0);
    for (const double b : {bLow, bHigh}) {
        for (const double e : {p.m_lo, p.m_hi}) {
            double v;
            if (b == 0.0)
                v = e > 0.0 ? 0.0 : (e == 0.0 ? 0.0 : kInf);
            else if (std::isinf(b) || std::isinf(e))
                v = std::exp(e * std::log(b)); // 0 or infinity; 0 times infinity does not occur here
            else
                v = std::pow(b, e);
            if (std::isnan(v))
                return KTInterval::Entire();
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
    }
    if (base.m_lo <= 0.0 && base.m_hi >= 0.0 && (p.m_lo <= 0.0 && p.m_hi >= 0.0)) {
        lo = std::min(lo, 0.0); // 0 ^ 0 is 0 by the scalar rule, B ^ 0 is 1
        hi = std::max(hi, 1.0);
    }
    KTInterval r = Outward(lo, hi, kPowerUlps, partial);
    if (base.m_lo < 0.0 && !r.IsEmpty())
        r = {-r.m_hi, r.m_hi, true};
    r.m_jumps = base.Contains(0.0) && p.Contains(0.0);
    // Bases of one sign at most 0 have real powers only at some exponents of the range.
    r.m_scattered = base.m_hi <= 0.0;
    return r;
}

} // namespace KTIntervalRules

// ---- Functions -----------------------------------------------------------------------------------

namespace {

/// The whole numbers k for which offset + k pi lies in [za, zb]: first to last (none when last
/// < first). The test allows a little more than the rounding of its own arithmetic, so a
/// critical point at an end counts as inside.
[[gnu::always_inline]] inline void CriticalPoints(double za, double zb, double offset, double& first,
                                                  double& last)
{
    const double na = (za - offset) / std::numbers::pi;
    const double nb = (zb - offset) / std::numbers::pi;
    first = std::ceil(na - (1e-9 + 1e-14 * std::fabs(na)));
    last = std::floor(nb + (1e-9 + 1e-14 * std::fabs(nb)));
}

bool HasCriticalPoint(double za, double zb, double offset)
{
    double first;
    double last;
    CriticalPoints(za, zb, offset, first, last);
    return first <= last;
}

/// The range of a sine or cosine from its values a and b at the ends of [za, zb] and the first
/// and last whole k of its extremes between (offset + k pi): 1 for even k, -1 for odd k.
[[gnu::always_inline]] inline KTInterval Swing(double a, double b, double first, double last)
{
    KTInterval r = Outward(std::min(a, b), std::max(a, b), kFunctionUlps, false);
    if (first <= last) {
        const bool even = (static_cast<long long>(first) & 1) == 0;
        if (last > first || even)
            r.m_hi = 1.0;
        if (last > first || !even)
            r.m_lo = -1.0;
    }
    r.m_lo = std::max(r.m_lo, -1.0);
    r.m_hi = std::min(r.m_hi, 1.0);
    return r;
}

bool Wide(double za, double zb)
{
    return !(zb - za < 2.0 * std::numbers::pi) || !(std::fabs(za) < 1e15) || !(std::fabs(zb) < 1e15);
}

/// The range of the sine (cosine when `cosine`) of the arguments [za, zb]: the values at the
/// ends, and 1 and -1 where a maximum (even k) or minimum (odd k) lies between.
KTInterval SineRange(double za, double zb, bool cosine)
{
    if (Wide(za, zb))
        return {-1.0, 1.0};
    double first;
    double last;
    CriticalPoints(za, zb, cosine ? 0.0 : 0.5 * std::numbers::pi, first, last);
    double a;
    double b;
    TwoSines(za, zb, cosine, a, b);
    return Swing(a, b, first, last);
}

/// The values of v clipped to [low, high] (the domain of a function); empty when none lie there,
/// partial when some lie outside.
KTInterval Clipped(const KTInterval& v, double low, double high)
{
    if (v.m_hi < low || v.m_lo > high)
        return KTInterval::Empty();
    return {std::max(v.m_lo, low), std::min(v.m_hi, high), v.m_partial || v.m_lo < low || v.m_hi > high};
}

/// An increasing function's range over v, its ends by the scalar rule.
template <class F> KTInterval Increasing(const KTInterval& v, F f)
{
    return Outward(f(v.m_lo), f(v.m_hi), kFunctionUlps, v.m_partial);
}

template <class F> KTInterval Decreasing(const KTInterval& v, F f)
{
    return Outward(f(v.m_hi), f(v.m_lo), kFunctionUlps, v.m_partial);
}

/// The one pole of tan (offset pi / 2) or cot (offset 0) well inside [za, zb], with the rounding
/// of the test allowed for: the range then leaves out the gap between its two branches.
bool OnePoleInside(double za, double zb, double offset)
{
    const double na = (za - offset) / std::numbers::pi;
    const double nb = (zb - offset) / std::numbers::pi;
    const double da = 1e-9 + 1e-14 * std::fabs(na);
    const double db = 1e-9 + 1e-14 * std::fabs(nb);
    return std::floor(nb + db) == std::ceil(na - da) && std::ceil(na + da) == std::floor(nb - db);
}

/// sin, cos, tan, sec, cosec and cot of v * s.
KTInterval Trigonometric(int kind, const KTInterval& v, double s, bool gaps)
{
    // The scalar rule multiplies each argument by s: rounding keeps the order of the products,
    // so the products of the ends bound every argument it takes.
    double za = v.m_lo * s;
    double zb = v.m_hi * s;
    if (za > zb)
        std::swap(za, zb);
    const bool finite = std::fabs(za) < 1e15 && std::fabs(zb) < 1e15 && zb - za < std::numbers::pi;
    const double halfPi = 0.5 * std::numbers::pi;
    KTInterval r;
    switch (kind) {
    case ASKind::Sin: r = SineRange(za, zb, false); break;
    case ASKind::Cos: r = SineRange(za, zb, true); break;
    case ASKind::Tan:
    case ASKind::Cot: {
        // Increasing (tan) or decreasing (cot) between poles; across one, the values from the
        // first end on and those up to the second, and none between.
        const bool tan = kind == ASKind::Tan;
        const double offset = tan ? halfPi : 0.0;
        if (finite && !HasCriticalPoint(za, zb, offset)) {
            double first;
            double second;
            TwoTangents(za, zb, !tan, first, second);
            r = tan ? Outward(first, second, kTangentUlps, false)
                    : Outward(second, first, kTangentUlps, false);
            break;
        }
        r = KTInterval::Entire();
        if (finite && gaps && OnePoleInside(za, zb, offset)) {
            double first;
            double second;
            TwoTangents(za, zb, !tan, first, second);
            r = tan ? WithGap(r, second, first, kTangentUlps) : WithGap(r, first, second, kTangentUlps);
        }
        break;
    }
    case ASKind::Sec:
    case ASKind::Cosec: {
        // 1 / c over the cosine's (sine's) range: across a pole, no value between 1 / c over its
        // least and greatest.
        const bool sec = kind == ASKind::Sec;
        const KTInterval c = SineRange(za, zb, sec);
        if (finite && !HasCriticalPoint(za, zb, sec ? halfPi : 0.0)) {
            // Between two poles the cosine (sine) keeps its sign, and 1 / c is monotonic in c.
            const double a = 1.0 / c.m_hi;
            const double b = 1.0 / c.m_lo;
            r = Outward(std::min(a, b), std::max(a, b), kFunctionUlps, false);
            break;
        }
        if (gaps && c.m_lo < 0.0 && c.m_hi > 0.0)
            r = WithGap(KTInterval::Entire(), 1.0 / c.m_lo, 1.0 / c.m_hi, kFunctionUlps);
        else
            r = KTInterval::Entire();
        break;
    }
    default: return KTInterval::Empty();
    }
    r.m_partial = r.m_partial || v.m_partial;
    return r;
}

} // namespace

namespace KTIntervalRules {

KTInterval Function(int kind, const KTInterval& v, double s, bool gaps)
{
    if (v.IsEmpty())
        return v;
    switch (kind) {
    case ASKind::Sin:
    case ASKind::Cos:
    case ASKind::Tan:
    case ASKind::Sec:
    case ASKind::Cosec:
    case ASKind::Cot: return Trigonometric(kind, v, s, gaps);
    case ASKind::ArcSin: {
        const KTInterval c = Clipped(v, -1.0, 1.0);
        return c.IsEmpty() ? c : Increasing(c, [s](double u) { return std::asin(u) / s; });
    }
    case ASKind::ArcCos: {
        const KTInterval c = Clipped(v, -1.0, 1.0);
        return c.IsEmpty() ? c : Decreasing(c, [s](double u) { return std::acos(u) / s; });
    }
    case ASKind::ArcTan: return Increasing(v, [s](double u) { return std::atan(u) / s; });
    case ASKind::Abs:
        if (v.m_lo >= 0.0)
            return v;
        if (v.m_hi <= 0.0)
            return Negated(v);
        if (v.HasGap() && v.m_gapLo < 0.0 && v.m_gapHi > 0.0)
            return {std::min(-v.m_gapLo, v.m_gapHi), std::max(-v.m_lo, v.m_hi), v.m_partial};
        return {0.0, std::max(-v.m_lo, v.m_hi), v.m_partial};
    case ASKind::Gint: {
        KTInterval r{std::floor(v.m_lo), std::floor(v.m_hi), v.m_partial};
        r.m_jumps = r.m_lo != r.m_hi;
        return r;
    }
    case ASKind::Exp: return Increasing(v, [](double u) { return std::exp(u); });
    case ASKind::Ln:
    case ASKind::Log: {
        if (!(v.m_hi > 0.0))
            return KTInterval::Empty();
        const double divisor = kind == ASKind::Log ? std::log(10.0) : 1.0;
        const double hi = Up(std::log(v.m_hi) / divisor, kFunctionUlps);
        if (!(v.m_lo > 0.0))
            return {-kInf, hi, true}; // the pole at 0
        return {Down(std::log(v.m_lo) / divisor, kFunctionUlps), hi, v.m_partial};
    }
    case ASKind::Sqrt: {
        const KTInterval c = Clipped(v, 0.0, kInf);
        if (c.IsEmpty())
            return c;
        KTInterval r = Outward(std::sqrt(c.m_lo), std::sqrt(c.m_hi), kArithmeticUlps, c.m_partial);
        r.m_lo = std::max(r.m_lo, 0.0);
        return r;
    }
    case ASKind::Cosh: {
        const KTInterval c = Clipped(v, -200.0, 200.0);
        if (c.IsEmpty())
            return c;
        const double a = std::cosh(c.m_lo);
        const double b = std::cosh(c.m_hi);
        KTInterval r = Outward(c.m_lo <= 0.0 && c.m_hi >= 0.0 ? 1.0 : std::min(a, b), std::max(a, b),
                               kFunctionUlps, c.m_partial);
        r.m_lo = std::max(r.m_lo, 1.0);
        return r;
    }
    case ASKind::Sinh: {
        const KTInterval c = Clipped(v, -200.0, 200.0);
        return c.IsEmpty() ? c : Increasing(c, [](double u) { return std::sinh(u); });
    }
    case ASKind::Tanh: {
        const KTInterval c = Clipped(v, -200.0, 200.0);
        if (c.IsEmpty())
            return c;
        KTInterval r = Increasing(c, [](double u) { return std::tanh(u); });
        r.m_lo = std::max(r.m_lo, -1.0);
        r.m_hi = std::min(r.m_hi, 1.0);
        return r;
    }
    case ASKind::Normal: {
        // The square may pass the largest double: the density there is 0, a value.
        const double a = v.m_lo * v.m_lo;
        const double b = v.m_hi * v.m_hi;
        const double wLow = v.m_lo <= 0.0 && v.m_hi >= 0.0 ? 0.0 : std::min(a, b);
        const double wHigh = std::max(a, b);
        const auto density = [](double u) { return std::exp(-u / 2.0) / std::sqrt(kTwoPi); };
        KTInterval r = Outward(density(wHigh), density(wLow), kFunctionUlps, v.m_partial);
        r.m_lo = std::max(r.m_lo, 0.0);
        return r;
    }
    default: return KTInterval::Empty();
    }
}

void SineCosine(const KTInterval& v, double s, KTInterval& sine, KTInterval& cosine)
{
    if (v.IsEmpty()) {
        sine = cosine = v;
        return;
    }
    double za = v.m_lo * s;
    double zb = v.m_hi * s;
    if (za > zb)
        std::swap(za, zb);
    if (Wide(za, zb)) {
        sine = cosine = {-1.0, 1.0, v.m_partial};
        return;
    }
    // The ends' sines and cosines at once; the extremes of the cosine lie at k pi, those of
    // the sine half a turn of pi later.
    double sa;
    double ca;
    double sb;
    double cb;
    TwoSines(za, zb, false, sa, sb);
    TwoSines(za, zb, true, ca, cb);
    double first;
    double last;
    CriticalPoints(za, zb, 0.0, first, last);
    cosine = Swing(ca, cb, first, last);
    CriticalPoints(za, zb, 0.5 * std::numbers::pi, first, last);
    sine = Swing(sa, sb, first, last);
    sine.m_partial = cosine.m_partial = v.m_partial;
}

} // namespace KTIntervalRules
