#pragma once
// A logical font: a LOGFONT whose height is in the logical units of the device context it is
// selected into (negative: character height, positive: cell height, 0: a default size).
// Plain value, like KTPen.

#include "platform/KTGdiTypes.h"

class QFont;
class QString;

class KTFont
{
public:
    /// A font that was never created: selecting it changes nothing.
    KTFont() = default;

    /// Copies the record; the face name is cut to 31 bytes and always terminated.
    bool CreateFontIndirect(const LOGFONT& font);
    /// Height in logical units, weight FW_*, face name (cut to 31 bytes); the rest defaults.
    bool CreateFont(int height, int weight, bool italic, const char* face);
    void DeleteObject() { *this = KTFont(); }

    bool IsCreated() const { return m_created; }
    /// The record as created. False for a font never created.
    bool GetLogFont(LOGFONT* font) const;
    const LOGFONT& GetLogFont() const { return m_font; }
    /// True when the face draws the single-byte codes of the Symbol encoding.
    bool IsSymbolFont() const;

    /// The installed family a face name stands for: "Arial" is Liberation Sans, "Symbol" the
    /// Symbol-encoded face of the URW base fonts, and so on; unknown names pass unchanged.
    static QString ResolveFamily(const char* face);
    /// The Qt font for this record with an em size of `pixelSize` device units (at least 0.5)
    /// on a device of `deviceDpi` dots per inch (fractional sizes survive through the point
    /// size); escapement and width are left to the device context.
    QFont ToQFont(double pixelSize, int deviceDpi) const;

    /// The stock system font (a default-sized sans-serif); other kinds give no font.
    static KTFont Stock(KTStockObject kind);

    friend bool operator==(const KTFont& a, const KTFont& b);

private:
    bool m_created = false;
    LOGFONT m_font;
};
