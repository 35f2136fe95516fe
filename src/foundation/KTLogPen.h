#pragma once
// How a line is drawn: a style code read according to the kind, a colour and a width in
// hundredths of a millimetre (one point is 35.2777755 of them). Archived untagged in 24 bytes.

#include "platform/CString.h"
#include "platform/KTGdiTypes.h"
#include "platform/KTObject.h"

#include <cstdint>

/// How KTLogPen::m_style is read.
enum KTPenKind : std::int32_t {
    KTPenKindNumber = 0,    ///< a program style number (1-4 dashes, 5 and 12 none, 6-11 solid widths)
    KTPenKindGeometric = 1, ///< a platform pen style to which PS_GEOMETRIC is added (also 2)
    KTPenKindPlatform = 3,  ///< a platform pen style used unchanged (also any other kind)
    KTPenKindNone = 12,     ///< made by Set for "no line"; read like kind 3
};

/// Item numbers of the line-style picker, which KTLogPen::Set also takes.
enum KTLineStyleItem : int {
    KTLineStyleDot = 1,
    KTLineStyleDash = 2,
    KTLineStyleDashDot = 3,
    KTLineStyleDashDotDot = 4,
    KTLineStyleNone = 12,
    KTLineStyleSolid = 13,
};

/// The platform's pen description: style flags, width (x; y is 0) and colour.
struct LOGPEN
{
    std::uint32_t lopnStyle = 0;
    CPoint lopnWidth;
    COLORREF lopnColor = 0;
};

class KTLogPen : public KTObject
{
public:
    static constexpr double kUnitsPerPoint = 35.2777755;

    KTLogPen() = default;
    KTLogPen(std::int32_t kind, std::int32_t style, COLORREF color, double width)
        : m_kind(kind), m_style(style), m_color(color), m_width(width)
    {
    }
    KTLogPen(const KTLogPen&) = default;
    KTLogPen& operator=(const KTLogPen&) = default;

    friend bool operator==(const KTLogPen& a, const KTLogPen& b)
    {
        return a.m_kind == b.m_kind && a.m_style == b.m_style && a.m_color == b.m_color &&
               a.m_width == b.m_width;
    }

    void Serialize(KTArchive& ar) override;

    /// A geometric pen of kind 1 (kind 12 for "none") from a picker item and a width in points.
    void Set(double widthInPoints, int styleItem, COLORREF color);
    /// The picker item of the style code (13, solid, for every code that is not a dash or none).
    int StyleNumber() const;
    /// The width in points, to the nearest quarter point.
    double WidthInPoints() const;
    /// The platform pen: style with its flags and a whole width (logical units, before scaling).
    LOGPEN ToGdiPen() const;

    /// "red,green,blue,style,kind,width" with six decimals.
    CString ToProfileText() const;
    /// Reads the form ToProfileText writes; missing fields read as 0.
    void FromProfileText(const CString& text);

    std::int32_t m_kind = KTPenKindNumber;
    std::int32_t m_style = 6;
    COLORREF m_color = 0;
    double m_width = 0.0;
};
