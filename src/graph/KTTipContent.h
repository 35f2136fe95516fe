#pragma once
// What the graph's hover-tip search leaves for the tip window: the tips of the mouse position
// and the fields that say what was hit. The graph writes it; the tip window only reads it.

#include "axes/KTMarker.h"
#include "graph/KTTipInfoArray.h"
#include "graph/KTTipSpot.h"
#include "platform/KTGdiTypes.h"

#include <cstdint>

struct KTTipContent
{
    /// Item codes besides the user slots 0..9.
    static constexpr int ItemNone = -1;
    static constexpr int ItemIntegral = -2;
    static constexpr int ItemTangent = -3;
    static constexpr COLORREF DefaultBackground = 0x00AAFFFF;

    /// Empties the tips and clears the marker flag; the other fields stay.
    void Clear()
    {
        m_tips.RemoveAll();
        m_markerFlag = 0;
    }

    KTTipInfoArray m_tips;
    BYTE m_markerFlag = 0; ///< the view draws its marker overlay at m_markerPoint
    CPoint m_markerPoint;  ///< logical point of the marker
    KTMarker m_marker;     ///< copy of the intersection hit
    int m_item = ItemNone; ///< 0..9 a function, -2 an integral, -3 a tangent, -1 none
    int m_listIndex = -1;  ///< the integral's or tangent's index
    KTTipSpot m_spot;      ///< graph point of the hit
    COLORREF m_background = DefaultBackground;
};
