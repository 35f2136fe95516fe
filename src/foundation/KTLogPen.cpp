#include "foundation/KTLogPen.h"

#include "foundation/KTProfileText.h"
#include "foundation/RoundHalfUp.h"
#include "platform/KTArchive.h"

#include <cmath>

namespace {

const KTRegisterRuntimeClass<KTLogPen> registerLogPen("KTLogPen", 1);

constexpr std::int32_t kGeometricDot = PS_GEOMETRIC | PS_DOT;
constexpr std::int32_t kGeometricDash = PS_GEOMETRIC | PS_DASH;
constexpr std::int32_t kGeometricDashDot = PS_GEOMETRIC | PS_DASHDOT;
constexpr std::int32_t kGeometricDashDotDot = PS_GEOMETRIC | PS_DASHDOTDOT;
constexpr std::int32_t kGeometricNull = PS_GEOMETRIC | PS_NULL;
constexpr std::int32_t kGeometricSolid = PS_GEOMETRIC | PS_INSIDEFRAME;
constexpr std::int32_t kFlatGeometric = PS_GEOMETRIC | PS_ENDCAP_FLAT;

// 4 / 35.2777755: quarter points per hundredth of a millimetre.
constexpr double kQuarterPointsPerUnit = 0.11338583409262867;

// A NaN width from a damaged file draws as the thinnest line rather than the lowest int.
std::int32_t RoundWidth(double width)
{
    return std::isnan(width) ? 0 : RoundHalfUp(width);
}

struct StyleNumberPen
{
    std::int32_t style;
    std::int32_t width;
};

// Kind-0 style numbers 1 to 11; 5 (none) is handled before the table is consulted.
constexpr StyleNumberPen kStyleNumbers[] = {
    {kFlatGeometric | PS_DOT, 1},
    {kFlatGeometric | PS_DASH, 1},
    {kFlatGeometric | PS_DASHDOT, 1},
    {kFlatGeometric | PS_DASHDOTDOT, 1},
    {PS_NULL, 1},
    {kFlatGeometric | PS_INSIDEFRAME, 25},
    {kFlatGeometric | PS_INSIDEFRAME, 50},
    {kFlatGeometric | PS_INSIDEFRAME, 75},
    {kFlatGeometric | PS_INSIDEFRAME, 100},
    {kFlatGeometric | PS_INSIDEFRAME, 150},
    {kFlatGeometric | PS_INSIDEFRAME, 250},
};

} // namespace

void KTLogPen::Serialize(KTArchive& ar)
{
    // The stored form is 24 bytes: the double is aligned to 8, leaving four zero bytes after
    // the colour. Files of every version carry them.
    std::int32_t padding = 0;
    if (ar.IsStoring())
        ar << m_kind << m_style << m_color << padding << m_width;
    else
        ar >> m_kind >> m_style >> m_color >> padding >> m_width;
}

void KTLogPen::Set(double widthInPoints, int styleItem, COLORREF color)
{
    m_kind = KTPenKindGeometric;
    m_width = widthInPoints * kUnitsPerPoint;
    m_color = color;
    switch (styleItem) {
    case KTLineStyleDot: m_style = kGeometricDot; break;
    case KTLineStyleDash: m_style = kGeometricDash; break;
    case KTLineStyleDashDot: m_style = kGeometricDashDot; break;
    case KTLineStyleDashDotDot: m_style = kGeometricDashDotDot; break;
    case KTLineStyleNone:
        m_style = kGeometricNull;
        m_kind = KTPenKindNone;
        break;
    default: m_style = kGeometricSolid; break;
    }
}

int KTLogPen::StyleNumber() const
{
    switch (m_style) {
    case kGeometricDot: return KTLineStyleDot;
    case kGeometricDash: return KTLineStyleDash;
    case kGeometricDashDot: return KTLineStyleDashDot;
    case kGeometricDashDotDot: return KTLineStyleDashDotDot;
    case kGeometricNull: return KTLineStyleNone;
    default: return KTLineStyleSolid;
    }
}

double KTLogPen::WidthInPoints() const
{
    return std::floor(m_width * kQuarterPointsPerUnit + 0.5) * 0.25;
}

LOGPEN KTLogPen::ToGdiPen() const
{
    LOGPEN pen;
    pen.lopnColor = m_color;
    if (m_style == 5 || m_style == 12) {
        pen.lopnStyle = PS_NULL;
        pen.lopnWidth.x = 1;
        return pen;
    }
    if (m_kind == KTPenKindNumber) {
        if (m_style >= 1 && m_style <= 11) {
            pen.lopnStyle = static_cast<std::uint32_t>(kStyleNumbers[m_style - 1].style);
            pen.lopnWidth.x = kStyleNumbers[m_style - 1].width;
        } else {
            pen.lopnStyle = static_cast<std::uint32_t>(m_style);
            pen.lopnWidth.x = RoundWidth(m_width);
        }
        return pen;
    }
    if (m_kind == 1 || m_kind == 2)
        pen.lopnStyle = static_cast<std::uint32_t>(m_style) | PS_GEOMETRIC;
    else
        pen.lopnStyle = static_cast<std::uint32_t>(m_style);
    pen.lopnWidth.x = RoundWidth(m_width);
    return pen;
}

CString KTLogPen::ToProfileText() const
{
    CString text;
    text.Format("%i,%i,%i,%i,%i,%f", GetRValue(m_color), GetGValue(m_color), GetBValue(m_color), m_style,
                m_kind, m_width);
    return text;
}

void KTLogPen::FromProfileText(const CString& text)
{
    KTProfileTextReader reader(text);
    m_color = reader.NextColor();
    m_style = reader.NextInt();
    m_kind = reader.NextInt();
    m_width = reader.RestAsDouble();
}
