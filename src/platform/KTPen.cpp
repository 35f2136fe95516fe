#include "platform/KTPen.h"

bool KTPen::CreatePen(int style, int width, COLORREF colour)
{
    int dash = style & PS_STYLE_MASK;
    // Styles past inside-frame have no meaning for the simple creation; draw them solid.
    if (dash > PS_INSIDEFRAME)
        dash = PS_SOLID;
    m_created = true;
    m_extended = false;
    m_style = dash;
    m_width = width < 0 ? 0 : width;
    m_colour = colour & 0xFFFFFF;
    return true;
}

bool KTPen::CreatePen(int style, int width, const LOGBRUSH& brush)
{
    int dash = style & PS_STYLE_MASK;
    if (dash > PS_INSIDEFRAME)
        dash = PS_SOLID;
    m_created = true;
    m_extended = true;
    m_style = (style & ~PS_STYLE_MASK) | dash;
    if (brush.lbStyle == BS_NULL)
        m_style = (m_style & ~PS_STYLE_MASK) | PS_NULL;
    const bool geometric = (style & PS_TYPE_MASK) == PS_GEOMETRIC;
    m_width = geometric ? (width < 0 ? 0 : width) : 1;
    m_colour = brush.lbColor & 0xFFFFFF;
    return true;
}

KTPen KTPen::Stock(KTStockObject kind)
{
    switch (kind) {
    case KTStockObject::BlackPen: return KTPen(PS_SOLID, 0, RGB(0, 0, 0));
    case KTStockObject::WhitePen: return KTPen(PS_SOLID, 0, RGB(255, 255, 255));
    case KTStockObject::NullPen: return KTPen(PS_NULL, 0, RGB(0, 0, 0));
    default: return KTPen();
    }
}
