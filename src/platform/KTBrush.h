#pragma once
// A brush description, the value a device context fills shapes with. Plain value, like KTPen.

#include "platform/KTGdiTypes.h"

class KTBrush
{
public:
    /// A brush that was never created: selecting it changes nothing.
    KTBrush() = default;
    explicit KTBrush(COLORREF colour) { CreateSolidBrush(colour); }

    bool CreateSolidBrush(COLORREF colour);
    /// Hatch HS_HORIZONTAL .. HS_DIAGCROSS; an unknown hatch gives a solid brush of the colour.
    bool CreateHatchBrush(int hatch, COLORREF colour);
    /// BS_SOLID, BS_NULL or BS_HATCHED; any other style gives a solid brush of its colour.
    bool CreateBrushIndirect(const LOGBRUSH& brush);
    void DeleteObject() { *this = KTBrush(); }

    bool IsCreated() const { return m_created; }
    /// The description as created (after the fallbacks above). False for a brush never created.
    bool GetLogBrush(LOGBRUSH* brush) const;
    int GetStyle() const { return m_style; }
    int GetHatch() const { return m_hatch; }
    COLORREF GetColor() const { return m_colour; }
    bool IsNullBrush() const { return m_style == BS_NULL; }

    /// The stock brushes (white, black, grays, null); other kinds give no brush.
    static KTBrush Stock(KTStockObject kind);

    friend bool operator==(const KTBrush&, const KTBrush&) = default;

private:
    bool m_created = false;
    int m_style = BS_SOLID;
    int m_hatch = 0;
    COLORREF m_colour = 0;
};
