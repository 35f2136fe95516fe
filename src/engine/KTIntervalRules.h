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

#include "engine/KTInterval.h"

namespace KTIntervalRules {

/// A binary operator of the given token kind (times, divide, plus, minus, power). A division by
/// a range holding 0 is unbounded on the side or sides the quotient grows without bound.
KTInterval Binary(int kind, const KTInterval& left, const KTInterval& right);
/// v * v, never below 0.
KTInterval Square(const KTInterval& v);
/// The power rule of the scalar evaluator for a base range and one exponent: the sign of odd
/// roots of negative bases, no value where there is no real power, a pole at 0 for p < 0.
KTInterval PowerOf(const KTInterval& base, double p);
/// The power rule for ranges of both; a range of exponents over negative bases is bounded by
/// the magnitudes alone.
KTInterval Power(const KTInterval& base, const KTInterval& p);
/// A one-argument function of the given token kind; trigonometric arguments are multiplied by
/// angleScale (> 0) as the scalar evaluator multiplies them. tan, sec, cosec and cot across a
/// pole, and ln and log over a range reaching 0, are unbounded.
KTInterval Function(int kind, const KTInterval& v, double angleScale);

} // namespace KTIntervalRules
