#pragma once
// A list of markers with their bounds, as long as the points a view holds. Header-only, like
// KTMarker.

#include "axes/KTMarker.h"

#include <cstdint>
#include <vector>

struct KTMarkerList
{
    /// The most markers a list keeps. A view shows at most a few points for each of its samples
    /// (a few thousand in the widest window); the limit is far above that and only keeps a
    /// runaway search from taking the memory. `m_full` says when it was reached.
    static constexpr int Capacity = 32000;

    KTMarkerList() = default;

    /// No markers; count and bounds 0.
    void Clear()
    {
        m_markers.clear();
        m_count = 0;
        m_full = false;
        m_minX = m_maxX = m_maxY = m_minY = 0.0;
    }

    /// Appends a copy; false (and nothing written, `m_full` set) when the list is full.
    bool Add(const KTMarker& marker)
    {
        if (m_count < 0 || m_count >= Capacity) {
            m_full = m_count >= Capacity;
            return false;
        }
        Slot(m_count) = marker;
        ++m_count;
        return true;
    }

    bool IsFull() const { return m_count >= Capacity; }

    /// The entry at index (0 <= index < Capacity), made a fresh marker (KTMarker::Init) when the
    /// list did not reach it yet.
    KTMarker& Slot(int index)
    {
        const auto at = static_cast<std::size_t>(index);
        if (at >= m_markers.size()) {
            KTMarker fresh;
            fresh.Init();
            m_markers.resize(at + 1, fresh);
        }
        return m_markers[at];
    }

    /// The marker at index, or nullptr where the list holds none.
    KTMarker* At(int index)
    {
        return index >= 0 && index < Held() ? &m_markers[static_cast<std::size_t>(index)] : nullptr;
    }
    const KTMarker* At(int index) const
    {
        return index >= 0 && index < Held() ? &m_markers[static_cast<std::size_t>(index)] : nullptr;
    }

    /// Entries the list holds (the counted ones and any written past the count).
    int Held() const { return static_cast<int>(m_markers.size()); }

    std::vector<KTMarker> m_markers;
    std::int32_t m_count = 0;
    bool m_full = false; ///< a marker was refused, or overwrote the last entry, at Capacity
    double m_minX = 0.0; ///< least x of the markers
    double m_maxX = 0.0; ///< greatest x
    double m_maxY = 0.0; ///< greatest y
    double m_minY = 0.0; ///< least y
};
