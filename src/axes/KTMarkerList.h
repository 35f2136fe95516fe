#pragma once
// A fixed list of at most 100 markers with their bounds. Header-only, like KTMarker.

#include "axes/KTMarker.h"

#include <array>
#include <cstdint>

struct KTMarkerList
{
    static constexpr int Capacity = 100;

    KTMarkerList() { Clear(); }

    /// Every marker through Init with kind, flags and refined byte cleared; count and bounds 0.
    void Clear()
    {
        for (KTMarker& marker : m_markers) {
            marker = KTMarker();
            marker.Init();
        }
        m_count = 0;
        m_minX = m_maxX = m_maxY = m_minY = 0.0;
    }

    /// Appends a copy; false (and nothing written) when the list is full.
    bool Add(const KTMarker& marker)
    {
        if (m_count < 0 || m_count >= Capacity)
            return false;
        m_markers[static_cast<std::size_t>(m_count)] = marker;
        ++m_count;
        return true;
    }

    bool IsFull() const { return m_count >= Capacity; }

    /// The marker at index, or nullptr outside [0, Capacity).
    KTMarker* At(int index)
    {
        return index >= 0 && index < Capacity ? &m_markers[static_cast<std::size_t>(index)] : nullptr;
    }
    const KTMarker* At(int index) const
    {
        return index >= 0 && index < Capacity ? &m_markers[static_cast<std::size_t>(index)] : nullptr;
    }

    std::array<KTMarker, Capacity> m_markers{};
    std::int16_t m_count = 0;
    double m_minX = 0.0; ///< least x of the markers
    double m_maxX = 0.0; ///< greatest x
    double m_maxY = 0.0; ///< greatest y
    double m_minY = 0.0; ///< least y
};
