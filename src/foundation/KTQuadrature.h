#pragma once
// Definite integrals of a function of one variable to close to the precision of a double, by
// an adaptive Gauss-Kronrod rule: the 15-point Kronrod rule on each piece, with the 7-point
// Gauss rule inside it as the error estimate; the piece with the largest error is halved until
// the sum of the errors is small enough or the pieces run out.

#include <functional>

class KTQuadrature
{
public:
    struct Result
    {
        double value = 0.0;
        double error = 0.0;     ///< estimated absolute error of the value
        double magnitude = 0.0; ///< the integral of |f|, as the rule estimates it
        bool converged = false; ///< the error met the tolerance within the pieces allowed
        int evaluations = 0;
        /// The ends of the piece with the largest error at the end: where a pole hides, it is
        /// as narrow as doubles allow, or the pole is one of its ends.
        double worstFrom = 0.0;
        double worstTo = 0.0;
    };

    /// The integral of f from a to b (negative when b < a). The error aimed at is relTolerance of
    /// the integral of |f|, and no less than absTolerance. f must return a finite value for every
    /// x strictly between a and b (the rule never evaluates the ends). Not converging means the
    /// integrand is not integrable there, or too rough for `maxPieces` pieces.
    static Result Integrate(const std::function<double(double)>& f, double a, double b,
                            double relTolerance = 1e-12, double absTolerance = 1e-300, int maxPieces = 400);
};
