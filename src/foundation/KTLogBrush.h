#pragma once
// How an area is filled: a brush number of the program's own (kind 0) or the platform's brush
// style and hatch (kind 1), with a colour. Archived untagged in 16 bytes.

#include "platform/CString.h"
#include "platform/KTGdiTypes.h"
#include "platform/KTObject.h"

#include <cstdint>

enum KTBrushKind : std::int32_t {
    KTBrushKindNumber = 0,   ///< style is a program brush number (0 none, 1 solid, 2-7 hatches)
    KTBrushKindPlatform = 1, ///< style and hatch are the platform's BS_* and HS_* values
};

class KTLogBrush : public KTObject
{
public:
    KTLogBrush() = default;
    KTLogBrush(std::int32_t kind, std::int32_t style, COLORREF color, std::int32_t hatch = 0)
        : m_kind(kind), m_style(style), m_color(color), m_hatch(hatch)
    {
    }
    KTLogBrush(const KTLogBrush&) = default;
    KTLogBrush& operator=(const KTLogBrush&) = default;

    friend bool operator==(const KTLogBrush& a, const KTLogBrush& b)
    {
        return a.m_kind == b.m_kind && a.m_style == b.m_style && a.m_color == b.m_color &&
               a.m_hatch == b.m_hatch;
    }

    void Serialize(KTArchive& ar) override;

    /// The platform brush. A kind other than 0 and 1, or a brush number outside 0 to 7, gives a
    /// solid brush of the colour.
    LOGBRUSH ToLogBrush() const;

    /// "red,green,blue,style,kind,hatch".
    CString ToProfileText() const;
    /// Reads the form ToProfileText writes; missing fields read as 0.
    void FromProfileText(const CString& text);

    std::int32_t m_kind = KTBrushKindNumber;
    std::int32_t m_style = 1;
    COLORREF m_color = 0;
    std::int32_t m_hatch = 0;
};
