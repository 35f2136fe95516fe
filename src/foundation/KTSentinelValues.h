#pragma once
// Doubles that stand for "no value" wherever a number travels through the program. Callers
// compare with these constants exactly; they are far outside any range a graph shows.

/// An evaluation failed, or a typed text is not a number.
inline constexpr double KTUndefinedValue = 1000000000001.2;
/// The value of an absent second variable and of an empty cell; also the evaluator's result for
/// powers and functions that have no real value.
inline constexpr double KTNoSecondValue = 1000000000001.5;
/// A function's y-at-x query found no answer.
inline constexpr double KTNoYValue = 1000000000001.1;
