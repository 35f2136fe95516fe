#pragma once
// Searches of one variable that keep the answer inside a bracket, so that they cannot run off
// to a far root or stop short on a flat stretch: Brent's method for a sign change, bisection
// for a pole, a golden-section search for the largest magnitude. They work to the last bits a
// double holds. A value for which `KTCurveValues::IsNoValue` holds has no sign; the searches
// step around it by halving and give up where they cannot.

#include "engine/KTCurveValues.h"

#include <cfloat>
#include <cmath>
#include <utility>

namespace KTBracketSearch {

/// Two ends and the values there.
struct Bracket
{
    double a = 0.0;
    double b = 0.0;
    double ga = 0.0;
    double gb = 0.0;
};

/// The end of a search: the best point, its value, and the last bracket around it.
struct Result
{
    bool found = false;
    double x = 0.0;
    double gx = 0.0;
    Bracket last;
};

/// g(a) and g(b) have values of opposite signs, or one of them is 0.
inline bool ChangesSign(double ga, double gb)
{
    if (KTCurveValues::IsNoValue(ga) || KTCurveValues::IsNoValue(gb))
        return false;
    return ga == 0.0 || gb == 0.0 || (ga > 0.0) != (gb > 0.0);
}

/// Smallest bracket half-width worth another step near x: the spacing of doubles there, and
/// 1e-30 near 0, where a root's place is settled long before the doubles run out.
inline double Resolution(double x)
{
    return 2.0 * DBL_EPSILON * std::fabs(x) + 1e-30;
}

/// Brent's method on a bracket whose ends change sign: inverse quadratic and secant steps where
/// they stay safely inside, halving where they do not. Ends when the bracket is as narrow as
/// doubles allow, or at an exact zero; `found` is false when the ends do not change sign or a
/// value is missing where halving cannot step around it.
template <class G> Result Brent(G&& g, double a, double b, double ga, double gb)
{
    Result result;
    if (!ChangesSign(ga, gb))
        return result;
    if (ga == 0.0 || gb == 0.0) {
        result.found = true;
        result.x = ga == 0.0 ? a : b;
        result.gx = 0.0;
        result.last = Bracket{a, b, ga, gb};
        return result;
    }
    double c = a, gc = ga;
    double d = b - a, e = d;
    for (int iteration = 0; iteration < 400; ++iteration) {
        if ((gb > 0.0) == (gc > 0.0) && gb != 0.0) {
            c = a;
            gc = ga;
            d = e = b - a;
        }
        if (std::fabs(gc) < std::fabs(gb)) {
            a = b;
            b = c;
            c = a;
            ga = gb;
            gb = gc;
            gc = ga;
        }
        const double tol = Resolution(b);
        const double m = 0.5 * (c - b);
        if (std::fabs(m) <= tol || gb == 0.0) {
            result.found = true;
            result.x = b;
            result.gx = gb;
            result.last = Bracket{b, c, gb, gc};
            return result;
        }
        if (std::fabs(e) >= tol && std::fabs(ga) > std::fabs(gb)) {
            const double s = gb / ga;
            double p, q;
            if (a == c) {
                p = 2.0 * m * s;
                q = 1.0 - s;
            } else {
                const double qa = ga / gc;
                const double r = gb / gc;
                p = s * (2.0 * m * qa * (qa - r) - (b - a) * (r - 1.0));
                q = (qa - 1.0) * (r - 1.0) * (s - 1.0);
            }
            if (p > 0.0)
                q = -q;
            else
                p = -p;
            if (2.0 * p < 3.0 * m * q - std::fabs(tol * q) && p < std::fabs(0.5 * e * q)) {
                e = d;
                d = p / q;
            } else {
                d = e = m;
            }
        } else {
            d = e = m;
        }
        const double from = b;
        a = b;
        ga = gb;
        b += std::fabs(d) > tol ? d : (m > 0.0 ? tol : -tol);
        gb = g(b);
        if (KTCurveValues::IsNoValue(gb)) {
            // No sign here: halve the bracket instead, once.
            b = from + m;
            d = e = m;
            gb = g(b);
            if (KTCurveValues::IsNoValue(gb))
                return result;
        }
    }
    return result;
}

/// Halving of a bracket whose ends change sign, for a sign change at a pole, where the
/// interpolating steps of Brent's method would crawl. A point without a value ends the search
/// there (a pole that evaluates to "undefined").
template <class G> Result Bisect(G&& g, double a, double b, double ga, double gb)
{
    Result result;
    if (!ChangesSign(ga, gb))
        return result;
    for (int iteration = 0; iteration < 2200; ++iteration) {
        const double mid = a + 0.5 * (b - a);
        if (!(mid > std::fmin(a, b) && mid < std::fmax(a, b)))
            break;
        const double gm = g(mid);
        if (KTCurveValues::IsNoValue(gm) || gm == 0.0) {
            a = b = mid;
            ga = gb = gm;
            break;
        }
        if ((gm > 0.0) == (ga > 0.0)) {
            a = mid;
            ga = gm;
        } else {
            b = mid;
            gb = gm;
        }
    }
    result.found = true;
    result.x = a + 0.5 * (b - a);
    result.gx = std::fabs(ga) > std::fabs(gb) ? ga : gb;
    result.last = Bracket{a, b, ga, gb};
    return result;
}

/// Halving between a point where `holds` is true and one where it is false, at most `halvings`
/// times or until the two are neighbouring doubles: the last point found where it holds.
template <class P> double Boundary(P&& holds, double in, double out, int halvings)
{
    for (int k = 0; k < halvings; ++k) {
        const double middle = in + 0.5 * (out - in);
        if (middle == in || middle == out)
            break;
        (holds(middle) ? in : out) = middle;
    }
    return in;
}

/// Golden-section search for where `score` is largest on [a, b]. The answer is exact only where
/// the score has one peak on the bracket; on a stretch where it does not change it is some
/// point of that stretch.
template <class S> double GoldenMax(S&& score, double a, double b)
{
    constexpr double kInvPhi = 0.6180339887498949;
    double c = b - kInvPhi * (b - a);
    double d = a + kInvPhi * (b - a);
    double sc = score(c);
    double sd = score(d);
    for (int iteration = 0; iteration < 200 && std::fabs(b - a) > Resolution(c); ++iteration) {
        if (sc >= sd) {
            b = d;
            d = c;
            sd = sc;
            c = b - kInvPhi * (b - a);
            sc = score(c);
        } else {
            a = c;
            c = d;
            sc = sd;
            d = a + kInvPhi * (b - a);
            sd = score(d);
        }
    }
    return sc >= sd ? c : d;
}

/// Where |g| is largest on [a, b]; a point without a value counts as larger than any (a pole
/// that evaluates to "undefined").
template <class G> double GoldenMaxAbs(G&& g, double a, double b)
{
    return GoldenMax(
        [&](double x) {
            const double v = g(x);
            return KTCurveValues::IsNoValue(v) ? HUGE_VAL : std::fabs(v);
        },
        a, b);
}

/// Looks outwards from x0 in steps that grow fourfold from `first` up to `reach` for a point
/// where g has the other sign, and returns that bracket; `found` false when there is none.
template <class G> Result BracketNear(G&& g, double x0, double first, double reach)
{
    Result result;
    const double g0 = g(x0);
    if (KTCurveValues::IsNoValue(g0))
        return result;
    if (g0 == 0.0) {
        result.found = true;
        result.x = x0;
        result.last = Bracket{x0, x0, 0.0, 0.0};
        return result;
    }
    for (double w = first; w <= reach; w *= 4.0) {
        for (const double x : {x0 - w, x0 + w}) {
            const double gx = g(x);
            if (ChangesSign(g0, gx)) {
                result.found = true;
                result.x = x0;
                result.last = x < x0 ? Bracket{x, x0, gx, g0} : Bracket{x0, x, g0, gx};
                return result;
            }
        }
    }
    return result;
}

} // namespace KTBracketSearch
