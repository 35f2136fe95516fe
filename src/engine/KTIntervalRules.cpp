#include "engine/KTIntervalRules.h"

#include "engine/ASTokenKind.h"
#include "engine/KTEvaluationProgram.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kEpsilon = std::numeric_limits<double>::epsilon();
constexpr double kLeast = std::numeric_limits<double>::denorm_min();
constexpr double kTwoPi = 6.283185308; // the normal density's constant, as the scalar rule has it

/// Units in the last place by which ends move outward: the operations of IEEE arithmetic are
/// within half a unit of the exact result; the C library's functions within one, their vector
/// forms within four; the power of a whole exponent by repeated squaring gathers a rounding
/// per multiplication.
constexpr double kArithmeticUlps = 1.0;
constexpr double kFunctionUlps = 6.0;
constexpr double kPowerUlps = 16.0;

// An end of exactly 0 stays: the operations give 0 only where it is exact (a product with 0, a
// difference of equals, sin 0, ln 1) or below the least double, where the scalar rule gives 0
// as well. A derivative that is 0 over a whole box (of a line along the other axis) stays 0.
double Down(double v, double ulps)
{
    if (!(std::fabs(v) < kInf) || v == 0.0)
        return v;
    return v - (std::fabs(v) * ((ulps + 1.0) * kEpsilon) + kLeast);
}

double Up(double v, double ulps)
{
    if (!(std::fabs(v) < kInf) || v == 0.0)
        return v;
    return v + (std::fabs(v) * ((ulps + 1.0) * kEpsilon) + kLeast);
}

/// [lo, hi] moved outward. Ends beyond the doubles mean values that overflow, where the scalar
/// evaluator has no value: the range is partial, and empty when every value overflows.
KTInterval Outward(double lo, double hi, double ulps, bool partial)
{
    if (std::isnan(lo) || std::isnan(hi))
        return KTInterval::Entire();
    if (lo == kInf || hi == -kInf)
        return KTInterval::Empty();
    if (lo == -kInf || hi == kInf)
        partial = true;
    return {Down(lo, ulps), Up(hi, ulps), partial};
}

/// a * b with 0 times an unbounded end taken as 0: the ends stand for finite values.
double Times(double a, double b)
{
    return a == 0.0 || b == 0.0 ? 0.0 : a * b;
}

KTInterval Multiply(const KTInterval& a, const KTInterval& b)
{
    const double p[4] = {Times(a.m_lo, b.m_lo), Times(a.m_lo, b.m_hi), Times(a.m_hi, b.m_lo),
                         Times(a.m_hi, b.m_hi)};
    return Outward(std::min({p[0], p[1], p[2], p[3]}), std::max({p[0], p[1], p[2], p[3]}), kArithmeticUlps,
                   a.m_partial || b.m_partial);
}

KTInterval Divide(const KTInterval& a, const KTInterval& b)
{
    const bool partial = a.m_partial || b.m_partial;
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
        return Outward(lo, hi, kArithmeticUlps, partial);
    }
    // The divisor's range holds 0, where the scalar rule is undefined.
    if (b.m_lo == 0.0 && b.m_hi == 0.0)
        return KTInterval::Empty();
    if (a.m_lo == 0.0 && a.m_hi == 0.0)
        return {0.0, 0.0, true};
    if (a.m_lo <= 0.0 && a.m_hi >= 0.0)
        return KTInterval::Entire();
    if (b.m_lo < 0.0 && b.m_hi > 0.0)
        return KTInterval::Entire(); // both branches of the pole
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

KTInterval Negated(const KTInterval& v)
{
    if (v.IsEmpty())
        return v;
    return {-v.m_hi, -v.m_lo, v.m_partial};
}

/// The scalar rule's answer for a negative base and the exponent p: whether it has a real power
/// (a whole exponent, or an odd root), whether that is negative, and the largest magnitude of
/// the base for which it does (an odd root beyond e^20 has none).
struct NegativeBase
{
    bool real = false;
    bool odd = false;
    double largest = kInf;
};

NegativeBase ForNegativeBase(double p)
{
    NegativeBase rule;
    const double P = std::fabs(p);
    if (P == std::floor(P)) {
        rule.real = true;
        rule.odd = P < 9007199254740992.0 && std::fmod(P, 2.0) == 1.0;
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
        // P * ln B > 20 has no value; the bound is moved out so that no base with a value is cut.
        rule.largest = Up(std::exp(20.0 / P), kFunctionUlps);
        return rule;
    }
    return rule;
}

} // namespace

namespace KTIntervalRules {

KTInterval Square(const KTInterval& v)
{
    if (v.IsEmpty())
        return v;
    const double a = v.m_lo * v.m_lo;
    const double b = v.m_hi * v.m_hi;
    if (v.m_lo >= 0.0)
        return Outward(a, b, kArithmeticUlps, v.m_partial);
    if (v.m_hi <= 0.0)
        return Outward(b, a, kArithmeticUlps, v.m_partial);
    KTInterval r = Outward(0.0, std::max(a, b), kArithmeticUlps, v.m_partial);
    r.m_lo = 0.0;
    return r;
}

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
        const double high = std::min(-base.m_lo, rule.largest);
        if (!rule.real || low > high) {
            partial = true;
        } else {
            partial = partial || high < -base.m_lo;
            const KTInterval piece = Magnitudes(low, high, p);
            add(rule.odd ? Negated(piece) : piece);
        }
    }
    if (!any)
        return KTInterval::Empty();
    result.m_partial = partial;
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
    return r;
}

KTInterval Binary(int kind, const KTInterval& left, const KTInterval& right)
{
    if (left.IsEmpty() || right.IsEmpty())
        return KTInterval::Empty();
    const bool partial = left.m_partial || right.m_partial;
    switch (kind) {
    case ASKind::Plus:
        return Outward(left.m_lo + right.m_lo, left.m_hi + right.m_hi, kArithmeticUlps, partial);
    case ASKind::Minus:
        return Outward(left.m_lo - right.m_hi, left.m_hi - right.m_lo, kArithmeticUlps, partial);
    case ASKind::Multiply: return Multiply(left, right);
    case ASKind::Divide: return Divide(left, right);
    case ASKind::Power: return Power(left, right);
    default: return KTInterval::Empty();
    }
}

} // namespace KTIntervalRules

// ---- Functions -----------------------------------------------------------------------------------

namespace {

/// Whether offset + k * pi lies in [za, zb] for a whole k of the given parity (0 even, 1 odd,
/// -1 either). The test allows a little more than the rounding of its own arithmetic, so a
/// critical point at an end counts as inside.
bool HasCriticalPoint(double za, double zb, double offset, int parity)
{
    const double na = (za - offset) / std::numbers::pi;
    const double nb = (zb - offset) / std::numbers::pi;
    const double first = std::ceil(na - (1e-9 + 1e-14 * std::fabs(na)));
    const double last = std::floor(nb + (1e-9 + 1e-14 * std::fabs(nb)));
    for (double k = first; k <= last; ++k) {
        if (parity < 0 || (std::fmod(std::fabs(k), 2.0) == 1.0) == (parity == 1))
            return true;
        if (k - first > 3)
            break;
    }
    return false;
}

/// The range of the sine (cosine when `cosine`) of the arguments [za, zb].
KTInterval SineRange(double za, double zb, bool cosine)
{
    if (!(zb - za < 2.0 * std::numbers::pi) || !(std::fabs(za) < 1e15) || !(std::fabs(zb) < 1e15))
        return {-1.0, 1.0};
    const double offset = cosine ? 0.0 : 0.5 * std::numbers::pi;
    const double a = cosine ? std::cos(za) : std::sin(za);
    const double b = cosine ? std::cos(zb) : std::sin(zb);
    KTInterval r = Outward(std::min(a, b), std::max(a, b), kFunctionUlps, false);
    if (HasCriticalPoint(za, zb, offset, 0))
        r.m_hi = 1.0;
    if (HasCriticalPoint(za, zb, offset, 1))
        r.m_lo = -1.0;
    r.m_lo = std::max(r.m_lo, -1.0);
    r.m_hi = std::min(r.m_hi, 1.0);
    return r;
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

KTInterval Unbounded(const KTInterval&)
{
    return KTInterval::Entire();
}

/// sin, cos, tan, sec, cosec and cot of v * s.
KTInterval Trigonometric(int kind, const KTInterval& v, double s)
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
        if (!finite || HasCriticalPoint(za, zb, halfPi, -1))
            return Unbounded(v);
        r = Outward(std::sin(za) / std::cos(za), std::sin(zb) / std::cos(zb), kFunctionUlps, false);
        break;
    case ASKind::Cot:
        if (!finite || HasCriticalPoint(za, zb, 0.0, -1))
            return Unbounded(v);
        r = Outward(std::cos(zb) / std::sin(zb), std::cos(za) / std::sin(za), kFunctionUlps, false);
        break;
    case ASKind::Sec:
    case ASKind::Cosec: {
        const bool sec = kind == ASKind::Sec;
        if (!finite || HasCriticalPoint(za, zb, sec ? halfPi : 0.0, -1))
            return Unbounded(v);
        // Between two poles the cosine (sine) keeps its sign, and 1 / c is monotonic in c.
        const KTInterval c = SineRange(za, zb, sec);
        const double a = 1.0 / c.m_hi;
        const double b = 1.0 / c.m_lo;
        r = Outward(std::min(a, b), std::max(a, b), kFunctionUlps, false);
        break;
    }
    default: return KTInterval::Empty();
    }
    r.m_partial = r.m_partial || v.m_partial;
    return r;
}

} // namespace

namespace KTIntervalRules {

KTInterval Function(int kind, const KTInterval& v, double s)
{
    if (v.IsEmpty())
        return v;
    switch (kind) {
    case ASKind::Sin:
    case ASKind::Cos:
    case ASKind::Tan:
    case ASKind::Sec:
    case ASKind::Cosec:
    case ASKind::Cot: return Trigonometric(kind, v, s);
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
            return {-v.m_hi, -v.m_lo, v.m_partial};
        return {0.0, std::max(-v.m_lo, v.m_hi), v.m_partial};
    case ASKind::Gint: return {std::floor(v.m_lo), std::floor(v.m_hi), v.m_partial};
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
        const auto cosh = [](double u) { return (std::exp(u) + std::exp(-u)) / 2.0; };
        const double a = cosh(c.m_lo);
        const double b = cosh(c.m_hi);
        KTInterval r = Outward(c.m_lo <= 0.0 && c.m_hi >= 0.0 ? 1.0 : std::min(a, b), std::max(a, b),
                               kFunctionUlps, c.m_partial);
        r.m_lo = std::max(r.m_lo, 1.0);
        return r;
    }
    case ASKind::Sinh: {
        const KTInterval c = Clipped(v, -200.0, 200.0);
        return c.IsEmpty() ? c : Increasing(c, [](double u) { return (std::exp(u) - std::exp(-u)) / 2.0; });
    }
    case ASKind::Tanh: {
        const KTInterval c = Clipped(v, -200.0, 200.0);
        if (c.IsEmpty())
            return c;
        KTInterval r = Increasing(
            c, [](double u) { return (std::exp(u) - std::exp(-u)) / (std::exp(u) + std::exp(-u)); });
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

} // namespace KTIntervalRules
