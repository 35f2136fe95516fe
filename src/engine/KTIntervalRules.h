#pragma once
// The rules of one step of the evaluator (KTEvaluationRules) taken over ranges of operands: each
// gives a range holding every value the scalar step gives for operands inside the given ranges,
// and the value the exact operation has there. Ends are computed as the scalar step computes
// them and then moved outward by a few units in the last place: one for the arithmetic
// operations, enough for the C library's functions and their vector forms otherwise.
//
// An empty operand gives an empty result; a result is partial when its operands are, or when
// some operands inside the ranges have no value (the scalar step is undefined, or gives
// KTNoSecondValue, or overflows).
//
// Sums, differences and products run for every operation of every bound an implicit plot takes
// (hundreds of thousands of them): their common case, ranges without gaps, is inline here.

#include "engine/ASTokenKind.h"
#include "engine/KTInterval.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace KTIntervalRules {

/// A binary operator of the given token kind (times, divide, plus, minus, power). A division by
/// a range holding 0 is unbounded on the side or sides the quotient grows without bound, with the
/// gap between them where the numerator keeps one sign.
inline KTInterval Binary(int kind, const KTInterval& left, const KTInterval& right);
inline KTInterval Add(const KTInterval& a, const KTInterval& b);
inline KTInterval Subtract(const KTInterval& a, const KTInterval& b);
inline KTInterval Multiply(const KTInterval& a, const KTInterval& b);
KTInterval Divide(const KTInterval& a, const KTInterval& b);
/// -v, its gap turned round.
inline KTInterval Negated(const KTInterval& v);
/// v * v, never below 0.
inline KTInterval Square(const KTInterval& v);
/// The power rule of the scalar evaluator for a base range and one exponent: the sign of odd
/// roots of negative bases, no value where there is no real power, a pole at 0 for p < 0.
KTInterval PowerOf(const KTInterval& base, double p);
/// The power rule for ranges of both; a range of exponents over negative bases is bounded by
/// the magnitudes alone.
KTInterval Power(const KTInterval& base, const KTInterval& p);
/// A one-argument function of the given token kind; trigonometric arguments are multiplied by
/// angleScale (> 0) as the scalar evaluator multiplies them. tan, sec, cosec and cot across a
/// pole, and ln and log over a range reaching 0, are unbounded (tan, sec, cosec and cot with
/// the gap between their branches, unless not `gaps`).
KTInterval Function(int kind, const KTInterval& v, double angleScale, bool gaps = true);
/// sin and cos of v * angleScale at once (the derivative of either needs the other).
void SineCosine(const KTInterval& v, double angleScale, KTInterval& sine, KTInterval& cosine);

namespace Detail {

inline constexpr double kInf = std::numeric_limits<double>::infinity();
inline constexpr double kEpsilon = std::numeric_limits<double>::epsilon();
inline constexpr double kLeast = std::numeric_limits<double>::denorm_min();
/// Units in the last place by which ends move outward: the operations of IEEE arithmetic are
/// within half a unit of the exact result; the C library's functions within one, their vector
/// forms within four; the power of a whole exponent by repeated squaring gathers a rounding
/// per multiplication.
inline constexpr double kArithmeticUlps = 1.0;
inline constexpr double kFunctionUlps = 6.0;
inline constexpr double kPowerUlps = 16.0;

// An end of exactly 0 stays: the operations give 0 only where it is exact (a product with 0, a
// difference of equals, sin 0, ln 1) or below the least double, where the scalar rule gives 0
// as well. A derivative that is 0 over a whole box (of a line along the other axis) stays 0.
[[gnu::always_inline]] inline double Down(double v, double ulps)
{
    if (!(std::fabs(v) < kInf) || v == 0.0)
        return v;
    return v - (std::fabs(v) * ((ulps + 1.0) * kEpsilon) + kLeast);
}

[[gnu::always_inline]] inline double Up(double v, double ulps)
{
    if (!(std::fabs(v) < kInf) || v == 0.0)
        return v;
    return v + (std::fabs(v) * ((ulps + 1.0) * kEpsilon) + kLeast);
}

/// [lo, hi] moved outward. Ends beyond the doubles mean values that overflow, where the scalar
/// evaluator has no value: the range is partial, and empty when every value overflows.
[[gnu::always_inline]] inline KTInterval Outward(double lo, double hi, double ulps, bool partial)
{
    if (lo > -kInf && hi < kInf) [[likely]] // both finite (and neither NaN)
        return {Down(lo, ulps), Up(hi, ulps), partial};
    if (std::isnan(lo) || std::isnan(hi))
        return KTInterval::Entire();
    if (lo == kInf || hi == -kInf)
        return KTInterval::Empty();
    return {Down(lo, ulps), Up(hi, ulps), true};
}

/// a * b with 0 times an unbounded end taken as 0: the ends stand for finite values.
inline double Times(double a, double b)
{
    return a == 0.0 || b == 0.0 ? 0.0 : a * b;
}

/// r with the gap (gapLo, gapHi) narrowed by rounding, where that leaves one.
inline KTInterval WithGap(const KTInterval& r, double gapLo, double gapHi, double ulps)
{
    if (r.IsEmpty() || std::isnan(gapLo) || std::isnan(gapHi))
        return r;
    return r.WithGap(Up(gapLo, ulps), Down(gapHi, ulps));
}

/// a + b where either has a gap.
KTInterval SumWithGap(const KTInterval& a, const KTInterval& b);
/// a * b where a has a gap (kept where b is bounded and of one sign), or either is unbounded.
KTInterval Scaled(const KTInterval& a, const KTInterval& b);

} // namespace Detail

[[gnu::always_inline]] inline KTInterval Negated(const KTInterval& v)
{
    if (v.IsEmpty())
        return v;
    KTInterval r{-v.m_hi, -v.m_lo, v.m_partial};
    return v.HasGap() ? r.WithGap(-v.m_gapHi, -v.m_gapLo) : r;
}

[[gnu::always_inline]] inline KTInterval Add(const KTInterval& a, const KTInterval& b)
{
    if (a.IsEmpty() || b.IsEmpty())
        return KTInterval::Empty();
    if (a.HasGap() || b.HasGap())
        return Detail::SumWithGap(a, b);
    return Detail::Outward(a.m_lo + b.m_lo, a.m_hi + b.m_hi, Detail::kArithmeticUlps,
                           a.m_partial || b.m_partial);
}

[[gnu::always_inline]] inline KTInterval Subtract(const KTInterval& a, const KTInterval& b)
{
    if (a.IsEmpty() || b.IsEmpty())
        return KTInterval::Empty();
    if (a.HasGap() || b.HasGap())
        return Detail::SumWithGap(a, Negated(b));
    return Detail::Outward(a.m_lo - b.m_hi, a.m_hi - b.m_lo, Detail::kArithmeticUlps,
                           a.m_partial || b.m_partial);
}

[[gnu::always_inline]] inline KTInterval Multiply(const KTInterval& a, const KTInterval& b)
{
    if (a.IsEmpty() || b.IsEmpty())
        return KTInterval::Empty();
    if (a.HasGap() || b.HasGap() || !a.IsBounded() || !b.IsBounded())
        return b.HasGap() && !a.HasGap() ? Detail::Scaled(b, a) : Detail::Scaled(a, b);
    // Bounded ranges: a product of finite ends is never 0 times infinity.
    const double p0 = a.m_lo * b.m_lo;
    const double p1 = a.m_lo * b.m_hi;
    const double p2 = a.m_hi * b.m_lo;
    const double p3 = a.m_hi * b.m_hi;
    return Detail::Outward(std::min(std::min(p0, p1), std::min(p2, p3)),
                           std::max(std::max(p0, p1), std::max(p2, p3)), Detail::kArithmeticUlps,
                           a.m_partial || b.m_partial);
}

[[gnu::always_inline]] inline KTInterval Square(const KTInterval& v)
{
    if (v.IsEmpty())
        return v;
    const double a = v.m_lo * v.m_lo;
    const double b = v.m_hi * v.m_hi;
    if (v.m_lo >= 0.0)
        return Detail::Outward(a, b, Detail::kArithmeticUlps, v.m_partial);
    if (v.m_hi <= 0.0)
        return Detail::Outward(b, a, Detail::kArithmeticUlps, v.m_partial);
    KTInterval r = Detail::Outward(0.0, std::max(a, b), Detail::kArithmeticUlps, v.m_partial);
    r.m_lo = 0.0;
    if (v.HasGap() && v.m_gapLo < 0.0 && v.m_gapHi > 0.0) // no value near 0: none near 0 squared
        r.m_lo = Detail::Down(std::min(v.m_gapLo * v.m_gapLo, v.m_gapHi * v.m_gapHi), Detail::kArithmeticUlps);
    return r;
}

[[gnu::always_inline]] inline KTInterval Binary(int kind, const KTInterval& left, const KTInterval& right)
{
    switch (kind) {
    case ASKind::Plus: return Add(left, right);
    case ASKind::Minus: return Subtract(left, right);
    case ASKind::Multiply: return Multiply(left, right);
    case ASKind::Divide: return Divide(left, right);
    case ASKind::Power: return Power(left, right);
    default: return KTInterval::Empty();
    }
}

} // namespace KTIntervalRules
