#pragma once
// Helpers of the algebra tests: relation texts into token lists, and a small infix evaluator
// that reads the token lists the algebra writes, so that every rearranged branch can be checked
// against the relation it came from.

#include "engine/ASRelation.h"
#include "engine/ASTokenList.h"
#include "platform/CString.h"

#include <optional>
#include <vector>

namespace astest {

/// Tokens of an expression or relation text through ASExpressionText ("X^2+Y^2=4").
ASTokenList Tokens(const char* text);

/// Values of the variables an evaluation may meet.
struct Point
{
    double x = 0.0;
    double y = 0.0;
    double a = 1.5; ///< family constants, fixed
    double b = -0.75;
};

/// Value of an infix token list (numbers, x, y, a, b, + - * \ ^, brackets, sqrt); nullopt when
/// it is undefined there (a root of a negative number, a division by zero, a malformed list).
/// peak, when given, receives the largest magnitude met on the way: where it is huge, rounding
/// swamps the result and a comparison means little.
std::optional<double> Evaluate(const ASTokenList& tokens, int first, int last, const Point& at,
                               double* peak = nullptr);
std::optional<double> Evaluate(const ASTokenList& tokens, const Point& at, double* peak = nullptr);

/// The branches of a rearranged list: one without plus-or-minus, else the "+" and the "-" one,
/// made as the interpretation makes them (the sign deleted, or replaced by -1 *).
std::vector<ASTokenList> Branches(const ASTokenList& tokens);

/// Is "left kind right" true? kind is one of 38, 43..46.
bool Holds(double left, int kind, double right);

} // namespace astest
