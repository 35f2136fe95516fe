#include "foundation/KTLogBrush.h"

#include "foundation/KTProfileText.h"
#include "platform/KTArchive.h"

namespace {

const KTRegisterRuntimeClass<KTLogBrush> registerLogBrush("KTLogBrush", 1);

struct BrushNumber
{
    std::uint32_t style;
    std::int32_t hatch;
};

// Indexed by the program's brush number.
constexpr BrushNumber kBrushNumbers[] = {
    {BS_NULL, 0},
    {BS_SOLID, 0},
    {BS_HATCHED, HS_FDIAGONAL},
    {BS_HATCHED, HS_BDIAGONAL},
    {BS_HATCHED, HS_HORIZONTAL},
    {BS_HATCHED, HS_VERTICAL},
    {BS_HATCHED, HS_CROSS},
    {BS_HATCHED, HS_DIAGCROSS},
};
constexpr int kBrushNumberCount = static_cast<int>(sizeof kBrushNumbers / sizeof kBrushNumbers[0]);

} // namespace

void KTLogBrush::Serialize(KTArchive& ar)
{
    if (ar.IsStoring())
        ar << m_kind << m_style << m_color << m_hatch;
    else
        ar >> m_kind >> m_style >> m_color >> m_hatch;
}

LOGBRUSH KTLogBrush::ToLogBrush() const
{
    LOGBRUSH brush;
    brush.lbColor = m_color;
    if (m_kind == KTBrushKindPlatform) {
        brush.lbStyle = static_cast<std::uint32_t>(m_style);
        brush.lbHatch = m_hatch;
    } else if (m_kind == KTBrushKindNumber && m_style >= 0 && m_style < kBrushNumberCount) {
        brush.lbStyle = kBrushNumbers[m_style].style;
        brush.lbHatch = kBrushNumbers[m_style].hatch;
    } else {
        // A record from a damaged file or a newer program: fill plainly rather than not at all.
        brush.lbStyle = BS_SOLID;
        brush.lbHatch = 0;
    }
    return brush;
}

CString KTLogBrush::ToProfileText() const
{
    CString text;
    text.Format("%i,%i,%i,%i,%i,%i", GetRValue(m_color), GetGValue(m_color), GetBValue(m_color), m_style,
                m_kind, m_hatch);
    return text;
}

void KTLogBrush::FromProfileText(const CString& text)
{
    KTProfileTextReader reader(text);
    m_color = reader.NextColor();
    m_style = reader.NextInt();
    m_kind = reader.NextInt();
    m_hatch = reader.RestAsInt();
}
