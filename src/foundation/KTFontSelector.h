#pragma once
// Makes a device font from a KTLogFont scaled by a height factor, selects it and sets the text
// colour; Restore puts the previous font and text colour back. Destroying a selector restores
// nothing: its users call Restore.

#include "foundation/KTLogFont.h"
#include "platform/KTFont.h"

class KTDC;

class KTFontSelector : public KTObject
{
public:
    KTFontSelector() = default;
    KTFontSelector(const KTLogFont& font, double heightFactor) : m_font(font), m_heightFactor(heightFactor) {}
    KTFontSelector(const KTFontSelector&) = delete;
    KTFontSelector& operator=(const KTFontSelector&) = delete;

    /// Makes the font (height from the record, or minus its size when useSize is set, times the
    /// factor), selects it and sets the record's text colour. Returns the absolute height used,
    /// in the context's logical units.
    int Select(KTDC& dc, bool useSize);
    /// Selects the previous font back, then always sets the remembered text colour again.
    void Restore(KTDC& dc);

    const KTFont& GetCreated() const { return m_created; }
    bool IsSelected() const { return m_dc != nullptr; }

    KTLogFont m_font;
    double m_heightFactor = 1.0;

private:
    COLORREF m_previousTextColor = 0;
    KTFont m_previous;
    KTFont m_created;
    KTDC* m_dc = nullptr;
};
