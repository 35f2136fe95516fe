#include "foundation/KTPenSelector.h"

#include "platform/KTDC.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// Pen widths are held within [0, int max]: a negative or wild width from a damaged file must
// neither reach the painter nor overflow the arithmetic below.
int ClampWidth(double width)
{
    if (!(width > 0.0))
        return 0;
    if (width >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return static_cast<int>(width); // truncated toward zero
}

} // namespace

KTPenSelector::~KTPenSelector()
{
    if (m_dc != nullptr && m_previous.IsCreated())
        m_dc->SelectStockObject(KTStockObject::BlackPen);
}

bool KTPenSelector::SetPen(const KTLogPen& pen, double widthFactor)
{
    m_pen = pen;
    m_widthFactor = widthFactor;
    return true;
}

void KTPenSelector::Select(KTDC& dc)
{
    const LOGPEN gdi = m_pen.ToGdiPen();
    const int style = static_cast<int>(gdi.lopnStyle);
    int width = ClampWidth(gdi.lopnWidth.x * m_widthFactor);

    const int mode = dc.GetMapMode();
    if (mode != MM_HIMETRIC && mode != MM_ANISOTROPIC) {
        // Widths are hundredths of a millimetre; 250 of them stand for 150 width units on the
        // device, the scale at which the line-style pickers were drawn.
        CSize unit(250, 250);
        dc.HIMETRICtoDP(&unit);
        width = ClampWidth(static_cast<double>(std::int64_t{width} * unit.cx / 150));
        if (width == 0)
            width = 1;
    }

    if (mode == MM_ANISOTROPIC) {
        // Metafile and embedded drawing: a simple pen, dashes one unit wide.
        const int simple = (style & PS_TYPE_MASK) == PS_GEOMETRIC ? style - PS_GEOMETRIC : style;
        if (simple >= PS_DASH && simple <= PS_DASHDOTDOT)
            width = 1;
        m_created.CreatePen(simple, width, gdi.lopnColor);
    } else {
        m_created.CreatePen(style, width, LOGBRUSH{static_cast<std::uint32_t>(BS_SOLID), gdi.lopnColor, 0});
    }

    const KTPen replaced = dc.SelectObject(m_created);
    // Selected again without a Restore: keep the pen that was there before the first Select,
    // so that the pair still leaves the context as it found it.
    if (m_dc == nullptr)
        m_previous = replaced;
    m_dc = &dc;
}

void KTPenSelector::Restore(KTDC& dc)
{
    if (m_previous.IsCreated())
        dc.SelectObject(m_previous);
    m_created.DeleteObject();
    m_previous.DeleteObject();
    m_dc = nullptr;
}
