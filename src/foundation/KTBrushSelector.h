#pragma once
// Makes a device brush from a KTLogBrush and selects it into a device context; Restore puts the
// previous brush back. The device context must outlive a selector that is still selected.

#include "foundation/KTLogBrush.h"
#include "platform/KTBrush.h"

class KTDC;

class KTBrushSelector : public KTObject
{
public:
    KTBrushSelector() = default;
    explicit KTBrushSelector(const KTLogBrush& brush) : m_brush(brush) {}
    /// Still selected: selects the stock null brush.
    ~KTBrushSelector() override;
    KTBrushSelector(const KTBrushSelector&) = delete;
    KTBrushSelector& operator=(const KTBrushSelector&) = delete;

    /// Makes the brush and selects it; returns the brush it replaced.
    KTBrush Select(KTDC& dc);
    /// Selects the previous brush back and forgets the made one; a second call does nothing.
    void Restore(KTDC& dc);

    const KTBrush& GetCreated() const { return m_created; }
    bool IsSelected() const { return m_dc != nullptr; }

    KTLogBrush m_brush;

private:
    KTBrush m_previous;
    KTBrush m_created;
    KTDC* m_dc = nullptr;
};
