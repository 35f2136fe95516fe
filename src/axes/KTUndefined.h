#pragma once
// The one test of the graph model for a value that must not be computed or drawn with.

#include "foundation/KTSentinelValues.h"

#include <cmath>

/// Values of this magnitude or more are taken for sentinels that arithmetic has smeared.
inline constexpr double KTUndefinedMagnitude = 1e12;

/// True for any of the three sentinel doubles, for a value that is not finite and for a value of
/// magnitude 1e12 or more.
inline bool KTIsUndefined(double v)
{
    return v == KTUndefinedValue || v == KTNoSecondValue || v == KTNoYValue || !std::isfinite(v) ||
           std::fabs(v) >= KTUndefinedMagnitude;
}
