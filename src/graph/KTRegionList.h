#pragma once
// One feasible-region list, in graph coordinates: a closed outline to fill, or the hatch lines
// of a region as pairs of points (the lower end of a line, then its upper end), owned by a user
// slot (its colour) or by -1 for the common feasible region.

#include "foundation/KTPoint.h"

#include <cstdint>
#include <vector>

struct KTRegionList
{
    void Clear()
    {
        m_points.clear();
        m_owner = -1;
    }

    std::vector<KTPoint> m_points;
    std::int32_t m_owner = -1;
};
