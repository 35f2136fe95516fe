#include "foundation/KTBrushSelector.h"

#include "platform/KTDC.h"

KTBrushSelector::~KTBrushSelector()
{
    if (m_dc != nullptr && m_previous.IsCreated())
        m_dc->SelectStockObject(KTStockObject::NullBrush);
}

KTBrush KTBrushSelector::Select(KTDC& dc)
{
    // Unknown platform styles and hatches come out as a solid brush of the colour.
    m_created.CreateBrushIndirect(m_brush.ToLogBrush());
    const KTBrush replaced = dc.SelectObject(m_created);
    if (m_dc == nullptr)
        m_previous = replaced;
    m_dc = &dc;
    return replaced;
}

void KTBrushSelector::Restore(KTDC& dc)
{
    if (m_previous.IsCreated())
        dc.SelectObject(m_previous);
    m_created.DeleteObject();
    m_previous.DeleteObject();
    m_dc = nullptr;
}
