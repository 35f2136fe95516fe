#pragma once
// One integral of a graph: the region between a function and an axis or a second function,
// its integral and area and their labels. The bounds stay the texts the user typed.

#include "foundation/KTPoint.h"
#include "platform/CString.h"
#include "platform/KTGdiTypes.h"
#include "platform/KTObject.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class KTAxes;
class KTFunction3;
class KTOptionIntegral;

class KTIntegralFunction : public KTObject
{
public:
    /// Points in the shaded polygon.
    static constexpr int kRegionPoints = 2000;
    /// The other boundary when it is not a function.
    static constexpr std::int32_t kXAxis = -1;
    static constexpr std::int32_t kYAxis = -2;

    /// Bounds "-1" and "1", no function (-1), bounded by the y axis (-2), colour 0xC8C8C8, the
    /// area shown when it differs; a region of 2000 zero points, not valid.
    KTIntegralFunction();
    /// The same with ShowArea and the brush colour of the options.
    explicit KTIntegralFunction(const KTOptionIntegral& options);
    /// A full copy, as the list's own storage moves records.
    KTIntegralFunction(const KTIntegralFunction&) = default;
    /// Copies everything but m_axes, m_labelPoint and m_regionValid, which keep the target's.
    KTIntegralFunction& operator=(const KTIntegralFunction& other);

    /// Tag "KTIntegralFunction", version 1. A wrong tag, version or end tag throws
    /// KTExceptionBase; nothing is kept from a failed read. m_regionValid is left as it is.
    void Serialize(KTArchive& ar) override;
    /// Bytes of the smallest well-formed archive of a record (both bound texts empty).
    static std::size_t MinimumArchiveSize();

    /// A non-empty name: true when it occurs in either bound text. An empty name: true when any
    /// of the family constants "a", "b", "c", "d", "m" occurs there.
    bool UsesName(const CString& name) const;

    std::int32_t m_reserved = 0;
    bool m_hasSecond = false;
    CString m_lowerText = "-1";
    CString m_upperText = "1";
    std::int32_t m_first = -1;
    std::int32_t m_second = kYAxis;
    CString m_integralText;
    CString m_areaText;
    double m_integral = 0.0;
    double m_area = 0.0;
    /// The graph's mapping; set by KTIntegralList::SetGraph; neither stored nor copied.
    KTAxes* m_axes = nullptr;
    bool m_areaDiffers = false;
    bool m_showArea = true;
    COLORREF m_colour = 0xC8C8C8;
    bool m_yAxis = false;
    /// Anchor of the labels in graph coordinates; neither stored nor copied.
    KTPoint m_labelPoint;
    /// The shaded polygon in device points: always kRegionPoints long; not stored.
    std::vector<CPoint> m_region;
    /// m_region holds a calculated polygon; neither stored nor copied.
    bool m_regionValid = false;
    bool m_selected = false;
    /// Bound at calculation from m_first and m_second; not stored.
    KTFunction3* m_firstFunction = nullptr;
    KTFunction3* m_secondFunction = nullptr;
};
