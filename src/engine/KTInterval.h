#pragma once
// A closed range of values [lo, hi] that an expression takes over a range (or a box) of its
// inputs, as the interval form of the evaluator (KTEvaluationProgram::Bound) gives it.
//
// The range is a guarantee, not an estimate: every value the scalar evaluator gives at a point of
// the box, and the value the expression has there, lies inside it. It may be wider than the true
// range (an expression that reads a variable twice is bounded as if it read two), never narrower.
// Points where the expression has no value (outside the domain of ln, sqrt or asin, a division by
// zero, a power with no real value) are left out of the range and noted by the partial flag.
//
// Across a pole the range may leave out a gap between its two branches: 1 / x over [-1, 2] takes
// the values up to -1 and from 0.5 on, [-inf, +inf] without (-1, 0.5). The gap is what shows
// that a range across a pole holds no zero.
//
// A range whose jump flag is clear comes from an expression that is continuous over the box
// wherever it is bounded and complete: a sign change between two of its points is a zero. The
// flag is set where a step of it may jump (gint across a whole number, 0 ^ 0 beside other
// powers of 0).
//
// A scattered range has values at too few points of the box to show a curve: a power of
// negative bases to a range of exponents is real only where the exponent is a whole number or
// an odd root, on lines of no width.

#include <limits>

class KTInterval
{
public:
    /// The empty range: no point of the box has a value.
    KTInterval() : m_partial(true) {}
    KTInterval(double lo, double hi, bool partial = false) : m_lo(lo), m_hi(hi), m_partial(partial) {}

    static KTInterval Point(double v) { return {v, v}; }
    static KTInterval Empty() { return {}; }
    /// Any value, and perhaps none: what is known of an expression the evaluator cannot bound.
    static KTInterval Entire() { return {-Infinity(), Infinity(), true}; }

    /// No point of the box has a value.
    bool IsEmpty() const { return !(m_lo <= m_hi); }
    /// Some value and both ends finite. An unbounded range comes from a pole (a division by a
    /// range holding 0, tan, sec, cosec, cot across their poles, ln and log at 0, a negative power
    /// of a range holding 0) or from values too large for a double, where there is no value.
    bool IsBounded() const { return !IsEmpty() && m_lo > -Infinity() && m_hi < Infinity(); }
    /// Some point of the box may have no value (see the flag).
    bool IsPartial() const { return m_partial || IsEmpty(); }
    bool Contains(double v) const { return m_lo <= v && v <= m_hi && !(m_gapLo < v && v < m_gapHi); }
    /// No point of the box has the value 0: an implicit relation's difference has no zero there.
    bool ExcludesZero() const { return !Contains(0.0); }
    /// The range leaves out the values between m_gapLo and m_gapHi (both excluded).
    bool HasGap() const { return m_gapLo < m_gapHi; }
    /// The same range with the values in (gapLo, gapHi) left out, where that is a gap inside it.
    KTInterval WithGap(double gapLo, double gapHi) const
    {
        KTInterval r = *this;
        if (gapLo < gapHi && m_lo <= gapLo && gapHi <= m_hi) {
            r.m_gapLo = gapLo;
            r.m_gapHi = gapHi;
        }
        return r;
    }
    double Width() const { return IsEmpty() ? 0.0 : m_hi - m_lo; }

    /// The smallest range holding both, without a gap; partial when either is.
    static KTInterval Hull(const KTInterval& a, const KTInterval& b)
    {
        if (a.IsEmpty() || b.IsEmpty()) {
            KTInterval h = a.IsEmpty() ? b : a;
            h.m_partial = true;
            h.m_gapLo = h.m_gapHi = 0.0;
            return h;
        }
        return {a.m_lo < b.m_lo ? a.m_lo : b.m_lo, a.m_hi > b.m_hi ? a.m_hi : b.m_hi,
                a.m_partial || b.m_partial};
    }

    friend bool operator==(const KTInterval& a, const KTInterval& b)
    {
        if (a.IsEmpty() || b.IsEmpty())
            return a.IsEmpty() == b.IsEmpty();
        return a.m_lo == b.m_lo && a.m_hi == b.m_hi && a.m_partial == b.m_partial && a.m_jumps == b.m_jumps &&
               a.m_scattered == b.m_scattered && a.HasGap() == b.HasGap() &&
               (!a.HasGap() || (a.m_gapLo == b.m_gapLo && a.m_gapHi == b.m_gapHi));
    }

    static constexpr double Infinity() { return std::numeric_limits<double>::infinity(); }

    double m_lo = Infinity();  ///< least value, -infinity when unbounded below
    double m_hi = -Infinity(); ///< greatest value, +infinity when unbounded above
    bool m_partial = false;    ///< some point of the box may have no value
    bool m_jumps = false;      ///< the expression may jump somewhere in the box
    bool m_scattered = false;  ///< values only on points or lines of no width
    double m_gapLo = 0.0;      ///< values strictly between these two are left out (none when equal)
    double m_gapHi = 0.0;
};
