#include "foundation/KTFontSelector.h"

#include "platform/KTDC.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

// Truncated toward zero and held inside the int range, with a margin so that the absolute value
// returned to the caller exists too.
int ScaleHeight(int height, double factor)
{
    const double scaled = height * factor;
    constexpr int limit = std::numeric_limits<int>::max();
    if (std::isnan(scaled))
        return 0;
    if (scaled >= limit)
        return limit;
    if (scaled <= -limit)
        return -limit;
    return static_cast<int>(scaled);
}

} // namespace

int KTFontSelector::Select(KTDC& dc, bool useSize)
{
    LOGFONT logFont = m_font.m_logFont;
    if (useSize)
        logFont.lfHeight = m_font.m_size == std::numeric_limits<int>::min() ? std::numeric_limits<int>::max()
                                                                            : -m_font.m_size;
    logFont.lfHeight = ScaleHeight(logFont.lfHeight, m_heightFactor);
    m_created.CreateFontIndirect(logFont);

    const KTFont replaced = dc.SelectObject(m_created);
    const COLORREF replacedColor = dc.SetTextColor(m_font.m_color);
    if (m_dc == nullptr) {
        m_previous = replaced;
        m_previousTextColor = replacedColor;
    }
    m_dc = &dc;
    return std::abs(logFont.lfHeight);
}

void KTFontSelector::Restore(KTDC& dc)
{
    if (m_previous.IsCreated())
        dc.SelectObject(m_previous);
    dc.SetTextColor(m_previousTextColor);
    m_created.DeleteObject();
    m_previous.DeleteObject();
    m_dc = nullptr;
}
