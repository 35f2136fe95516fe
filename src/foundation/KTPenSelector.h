#pragma once
// Makes a device pen from a KTLogPen scaled by a width factor and selects it into a device
// context; Restore puts the previous pen back. Select and Restore are called in pairs around
// the drawing; the device context must outlive a selector that is still selected.

#include "foundation/KTLogPen.h"
#include "platform/KTPen.h"

class KTDC;

class KTPenSelector : public KTObject
{
public:
    KTPenSelector() = default;
    KTPenSelector(const KTLogPen& pen, double widthFactor) : m_pen(pen), m_widthFactor(widthFactor) {}
    /// Still selected: selects the stock black pen so that the context holds nothing of ours.
    ~KTPenSelector() override;
    KTPenSelector(const KTPenSelector&) = delete;
    KTPenSelector& operator=(const KTPenSelector&) = delete;

    /// Stores a copy of the pen and the factor; returns true.
    bool SetPen(const KTLogPen& pen, double widthFactor);
    /// Makes the pen (width x factor; outside MM_HIMETRIC and MM_ANISOTROPIC converted from
    /// hundredths of a millimetre to device units, at least 1) and selects it.
    void Select(KTDC& dc);
    /// Selects the previous pen back and forgets the made one; a second call does nothing.
    void Restore(KTDC& dc);

    /// The pen made by the latest Select (never created when idle).
    const KTPen& GetCreated() const { return m_created; }
    bool IsSelected() const { return m_dc != nullptr; }

    KTLogPen m_pen;
    double m_widthFactor = 1.0;

private:
    KTPen m_previous;
    KTPen m_created;
    KTDC* m_dc = nullptr;
};
