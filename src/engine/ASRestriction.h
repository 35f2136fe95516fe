#pragma once
// One restriction a rearrangement leaves for the plotted function: a denominator that was
// multiplied out of a side, so the solution holds only where it is not zero.

#include <cstdint>
#include <list>

class ASQuotient;

struct ASRestriction
{
    /// The only code written: node is a denominator cleared by ASRelation::ClearDenominators.
    static constexpr std::int32_t ClearedDenominator = 3;

    ASQuotient* node = nullptr; ///< in the ASNodePool; invalid once the pool is emptied
    std::int32_t code = ClearedDenominator;
};

/// Owned by the plotted function; new elements at the tail.
using ASRestrictionList = std::list<ASRestriction>;
