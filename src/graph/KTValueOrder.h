#pragma once
// The vertical order of the ten user functions and the x axis at one x: what lies below what.

#include "platform/KTGdiTypes.h"

#include <array>
#include <cstdint>

struct KTValueOrder
{
    static constexpr int ItemCount = 11;
    /// Item codes: 0..9 a user function, 10 the x axis (value 0), 11 an item without a value.
    static constexpr std::int32_t XAxisItem = 10;
    static constexpr std::int32_t NoValueItem = 11;

    /// Item codes from the lowest value to the highest; items without a value last.
    std::array<std::int32_t, ItemCount> m_items{};
    /// 1 where the item has the same value as a neighbour.
    std::array<BYTE, ItemCount> m_ties{};
    /// The value of each placed item (moves with m_items).
    std::array<double, ItemCount> m_values{};
};
