#pragma once
// The crossings found on one function slot's curve, as the feasible-region tracing walks them:
// where on the curve, with which other slot, and whether the outline still has to pass there.

#include "foundation/KTPoint.h"
#include "platform/KTGdiTypes.h"

#include <array>
#include <cstdint>

struct KTSlotIntersection
{
    /// Point index of a crossing with an equation: sorts after every real curve position.
    static constexpr std::int32_t EquationIndex = 9999;

    KTPoint m_point;
    std::int32_t m_pointIndex = 0; ///< index in the slot's point buffer where it was found
    std::int32_t m_otherSlot = -1;
    std::int32_t m_identifier = -1; ///< index of the entry in the graph's intersection list
    BYTE m_equation = 0;            ///< either slot's relation is "="
    BYTE m_open = 0;                ///< the outline has yet to pass here
    BYTE m_feasible = 0;
};

struct KTSlotIntersections
{
    static constexpr int Capacity = 100;

    void Clear() { m_count = 0; }
    /// Appends; false (nothing written) when full.
    bool Add(const KTSlotIntersection& marker)
    {
        if (m_count < 0 || m_count >= Capacity)
            return false;
        m_markers[static_cast<std::size_t>(m_count++)] = marker;
        return true;
    }
    /// The marker at index, or nullptr outside 0..count-1.
    KTSlotIntersection* At(int index)
    {
        return index >= 0 && index < m_count ? &m_markers[static_cast<std::size_t>(index)] : nullptr;
    }
    /// Equation crossings get point index 9999; then ascending point index (a stable order).
    /// With the slot's curve points, crossings on one segment go in their order along it (two
    /// meet on one segment near a corner of the view).
    void Sort(const KTPoint* curve = nullptr, int curveCount = 0);

    std::array<KTSlotIntersection, Capacity> m_markers{};
    std::int32_t m_count = 0;
};
