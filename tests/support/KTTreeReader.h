#pragma once
// A second reader of a typed equation: the value of its typeset tree, the tree the preview
// draws, walked as someone reading the picture reads ordinary notation. It shares nothing with
// the calculation text, the tokeniser or the evaluator, so where the two paths agree what is
// computed is what is shown.

#include <limits>

class KTETokenList;

namespace kttest {

/// The program's own constants, as its evaluator has them.
constexpr double kProgramPi = 3.141592654;
constexpr double kProgramE = 2.718281828;

struct TreeReading
{
    bool known = false; ///< false: the tree holds something this reader does not read
    double value = std::numeric_limits<double>::quiet_NaN(); ///< NaN where there is no real value
    double scale = 0.0; ///< the largest magnitude of a term or factor on the way: rounding is relative to it
};

/// The value at x of a top-level list "y = expression". Trigonometric arguments are divided by
/// angleFactor (units per radian) and inverse results multiplied by it. Any other form, a name
/// other than x, e and pi, a leftover bracket, operator or raw text, and an angle beyond a
/// million radians make the reading unknown.
TreeReading ReadTree(const KTETokenList& top, double x, double angleFactor);

/// a ^ p over the reals: a negative base has a power for a whole p, and for an odd root, a p
/// that is k / j for an odd j up to 31 (negative for an odd k); NaN otherwise. 0 ^ 0 is 0, as
/// the program has it, not the 1 of the C library.
double RealPower(double a, double p);

} // namespace kttest
