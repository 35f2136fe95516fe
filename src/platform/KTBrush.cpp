#include "platform/KTBrush.h"

bool KTBrush::CreateSolidBrush(COLORREF colour)
{
    m_created = true;
    m_style = BS_SOLID;
    m_hatch = 0;
    m_colour = colour & 0xFFFFFF;
    return true;
}

bool KTBrush::CreateHatchBrush(int hatch, COLORREF colour)
{
    if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS)
        return CreateSolidBrush(colour);
    m_created = true;
    m_style = BS_HATCHED;
    m_hatch = hatch;
    m_colour = colour & 0xFFFFFF;
    return true;
}

bool KTBrush::CreateBrushIndirect(const LOGBRUSH& brush)
{
    switch (brush.lbStyle) {
    case BS_NULL:
        m_created = true;
        m_style = BS_NULL;
        m_hatch = 0;
        m_colour = brush.lbColor & 0xFFFFFF;
        return true;
    case BS_HATCHED: return CreateHatchBrush(brush.lbHatch, brush.lbColor);
    default: return CreateSolidBrush(brush.lbColor);
    }
}

bool KTBrush::GetLogBrush(LOGBRUSH* brush) const
{
    if (!m_created || !brush)
        return false;
    brush->lbStyle = static_cast<std::uint32_t>(m_style);
    brush->lbColor = m_colour;
    brush->lbHatch = m_hatch;
    return true;
}

KTBrush KTBrush::Stock(KTStockObject kind)
{
    KTBrush brush;
    switch (kind) {
    case KTStockObject::WhiteBrush: brush.CreateSolidBrush(RGB(255, 255, 255)); break;
    case KTStockObject::BlackBrush: brush.CreateSolidBrush(RGB(0, 0, 0)); break;
    case KTStockObject::GrayBrush: brush.CreateSolidBrush(RGB(128, 128, 128)); break;
    case KTStockObject::LightGrayBrush: brush.CreateSolidBrush(RGB(192, 192, 192)); break;
    case KTStockObject::DarkGrayBrush: brush.CreateSolidBrush(RGB(64, 64, 64)); break;
    case KTStockObject::NullBrush: brush.CreateBrushIndirect(LOGBRUSH{BS_NULL, 0, 0}); break;
    default: break;
    }
    return brush;
}
