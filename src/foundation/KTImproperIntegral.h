#pragma once
// Definite integrals whose integrand may grow without bound inside the bounds or at one of
// them. Where the adaptive rule cannot settle, the spot it keeps halving towards is examined:
// the integrand's growth there, decade by decade, tells a pole that has no integral (1/x, 1/x^2,
// tan at pi/2) from one that has (1/sqrt(x), x^-0.9), and the latter is integrated with a
// substitution that flattens it.

#include <functional>

class KTImproperIntegral
{
public:
    enum class Kind {
        Finite,   ///< value and magnitude hold the integral and the integral of |f|
        Diverges, ///< |f| grows at least as fast as 1/|x - c| towards a spot c: no integral
        Unknown,  ///< neither could be settled (a wild oscillation, several strong poles)
    };
    struct Result
    {
        Kind kind = Kind::Unknown;
        double value = 0.0;
        double magnitude = 0.0;
        bool singular = false; ///< |f| grows without bound towards singularAt
        double singularAt = 0.0;
        double growth = 0.0; ///< the power p of |f| ~ |x - c|^-p there (singular only)
    };

    /// The power of |x - c| at or above which a pole has no integral, less a margin for the
    /// error of the growth measured from doubles.
    static constexpr double kDivergentGrowth = 0.98;

    /// The integral of f from a to b (negative when b < a) and of |f|, to about nine digits.
    /// Where f is NaN or infinite it has no value and takes no part (counts as 0).
    static Result Integrate(const std::function<double(double)>& f, double a, double b);

    /// The power p of |f(x)| ~ |x - c|^-p as x approaches c from one side (side +1 from above,
    /// -1 from below) within the given width, from values 10, 100, 1000... times closer; NaN
    /// when f has no values there to measure (fewer than two). `floor` is the distance below
    /// which the position of c is not known.
    static double Growth(const std::function<double(double)>& f, double c, int side, double width,
                         double floor);
};
