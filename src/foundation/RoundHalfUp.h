#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

/// Nearest integer with halves going up, also for negative values (-2.5 gives -2, 2.5 gives 3).
/// Values beyond the 32-bit range are held at its ends and a NaN gives the lowest value, so a
/// pixel conversion of a wild value lands far off the page instead of being undefined.
inline std::int32_t RoundHalfUp(double x)
{
    constexpr std::int32_t lowest = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t highest = std::numeric_limits<std::int32_t>::max();
    if (std::isnan(x))
        return lowest;
    // floor() is a library call on the baseline instruction set; a truncation below 2^52 (where
    // every double is whole beyond) gives the same value without one.
    double below = x;
    if (std::fabs(x) < 4503599627370496.0) {
        below = static_cast<double>(static_cast<std::int64_t>(x));
        below -= below > x ? 1.0 : 0.0;
    }
    // The step up as a number rather than a branch: which way a curve's points round is as good
    // as random, and a mispredicted branch costs more than the whole conversion.
    const double rounded = below + static_cast<double>(x - below >= 0.5);
    if (rounded >= static_cast<double>(highest))
        return highest;
    if (rounded <= static_cast<double>(lowest))
        return lowest;
    return static_cast<std::int32_t>(rounded);
}
