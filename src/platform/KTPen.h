#pragma once
// A pen description, the value a device context draws lines and outlines with.
// Pens are plain values: selecting one copies it into the device context, so a pen may be
// destroyed while "selected" without leaving anything dangling.

#include "platform/KTGdiTypes.h"

class KTPen
{
public:
    /// A pen that was never created (the platform's null handle): selecting it changes nothing.
    KTPen() = default;
    /// The simple creation (CreatePen): see CreatePen(int, int, COLORREF).
    KTPen(int style, int width, COLORREF colour) { CreatePen(style, width, colour); }

    /// The simple creation: the dash style from the low nibble (type, cap and join bits are
    /// ignored); width in logical units, 0 drawing one device unit wide; round caps and joins.
    bool CreatePen(int style, int width, COLORREF colour);
    /// The extended creation (ExtCreatePen, no custom dash pattern): PS_GEOMETRIC pens are
    /// `width` logical units wide with the cap and join of the style bits; cosmetic pens are
    /// always one device unit wide. The colour is the brush's; a null brush gives a null pen.
    bool CreatePen(int style, int width, const LOGBRUSH& brush);
    /// Forgets the pen; it reads as never created again.
    void DeleteObject() { *this = KTPen(); }

    bool IsCreated() const { return m_created; }
    /// The style as created, with its type, cap and join bits.
    int GetStyle() const { return m_style; }
    /// PS_SOLID .. PS_INSIDEFRAME.
    int GetDashStyle() const { return m_style & PS_STYLE_MASK; }
    int GetWidth() const { return m_width; }
    COLORREF GetColor() const { return m_colour; }
    /// True for a pen made by the extended creation.
    bool IsExtended() const { return m_extended; }
    bool IsGeometric() const { return m_extended && (m_style & PS_TYPE_MASK) == PS_GEOMETRIC; }
    /// True when the pen draws nothing (PS_NULL).
    bool IsNullPen() const { return GetDashStyle() == PS_NULL; }

    /// The stock pens (black, white, null; one device unit wide); other kinds give no pen.
    static KTPen Stock(KTStockObject kind);

    friend bool operator==(const KTPen&, const KTPen&) = default;

private:
    bool m_created = false;
    bool m_extended = false;
    int m_style = PS_SOLID;
    int m_width = 0;
    COLORREF m_colour = 0;
};
