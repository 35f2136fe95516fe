#pragma once
// A marked point of a curve: an intercept, a turning point, an inflection, an asymptote, a
// discontinuity or an intersection. A plain value record kept header-only, so that the axes
// library can label markers without linking the engine.

#include "foundation/KTPoint.h"
#include "platform/CString.h"
#include "platform/KTGdiTypes.h"

#include <cstdint>

class KTOptionPOI;

/// Kinds of marked points (16 bits in a marker). 13 and 19 to 22 are not named here but may
/// appear; they label as described with the point-of-interest options.
enum KTMarkerKind : std::int16_t {
    KTMarkerNone = 0,
    KTMarkerYIntercept = 1,           ///< label "yInt"
    KTMarkerXIntercept = 2,           ///< root candidate and result, label "xInt"
    KTMarkerHorizontalCandidate = 3,  ///< horizontal-tangent candidate
    KTMarkerHorizontalInflection = 4, ///< label "HInflect"
    KTMarkerNoneFound = 5,            ///< nothing found: neither shown nor hit
    KTMarkerLocalMaximum = 6,         ///< label "LocalMax"
    KTMarkerLocalMinimum = 7,         ///< label "LocalMin"
    KTMarkerIntersection = 8,         ///< label "Intersect"
    KTMarkerSwappedTurningPoint = 9,  ///< turning point of a swapped form
    KTMarkerVerticalInflection = 10,  ///< label "VInflect"
    KTMarkerSwappedXIntercept = 11,   ///< x intercept of a swapped form, label "xInt"
    KTMarkerInflection = 12,          ///< inflection candidate and result, label "PInflect"
    KTMarkerPolarTurningPoint = 14,   ///< label "PolarTurn"
    KTMarkerDiscontinuityCandidate = 15,
    KTMarkerVerticalAsymptote = 16,   ///< label "VAsym"
    KTMarkerHorizontalAsymptote = 17, ///< label "HAsym"
    KTMarkerPointDiscontinuity = 18,  ///< label "PointDiscont"
};

struct KTMarker
{
    /// The point (0, 0) and the tag, second identifier and position -1; the kind, the refined
    /// byte and the other fields stay as they are.
    void Init()
    {
        m_point = KTPoint();
        m_tag = -1;
        m_secondId = -1;
        m_position = -1;
    }

    /// The coordinates line of a label: "( x , y )" with the user's separators and the
    /// decimals of the marker's kind, "x = ..." or "y = ..." for asymptotes; empty for kinds
    /// without coordinates. Defined with the point-of-interest options (library kt_axes).
    CString LabelText(const KTOptionPOI& poi) const;

    KTPoint m_point;
    BYTE m_refined = 0; ///< 1 when computed exactly or refined to convergence, 0 when sampled
    KTMarkerKind m_kind = KTMarkerNone;
    std::int16_t m_tag = -1;      ///< set by a near-marker search to the caller's value
    std::int16_t m_secondId = -1; ///< second slot (intersections), or -1
    std::int16_t m_position = -1; ///< index of the marker when it was made
    BYTE m_equation = 0;          ///< intersections: which equation of the pair
    BYTE m_flag = 0;
    std::int32_t m_data = 0;
};
