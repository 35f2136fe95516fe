#pragma once
// A seeded generator of functions typed in school notation. Each text comes with what it means,
// written out fully bracketed so that a script can evaluate it on its own, and with a point at
// which its value lies well inside every domain.

#include <cstdint>
#include <random>
#include <string>

namespace kttest {

struct SchoolText
{
    std::string typed;   ///< as a teacher types it: "y = 2x^2 - x/3"
    std::string meaning; ///< N('2.5'), X, PI, E, + - * / and pw(a,b), sin(a), sqrt_(a), ... bracketed
    int angleSystem = 1; ///< 0 degrees, 1 radians, 2 grads
    std::string x;       ///< the point, a short decimal
    double value = 0.0;  ///< the meaning's value at x in doubles, with the program's constants
};

/// Units per radian of an angle system, as the axes have them.
double AngleFactorOf(int angleSystem);

/// Texts from a grammar of school notation: polynomials, fractions over fractions, powers in
/// numerators and denominators, bars, roots, scientific numbers, spaces, unary minus, implicit
/// products, nested functions and degrees, in the notations the program reads on purpose ("e",
/// "x2", "x^2x", "sin2x"). The same seed gives the same texts on every platform.
class SchoolNotation
{
public:
    explicit SchoolNotation(std::uint32_t seed) : m_random(seed) {}
    SchoolText Next();

private:
    std::mt19937 m_random;
};

} // namespace kttest
