#include "platform/KTFont.h"

#include <QFont>
#include <QString>

#include <algorithm>
#include <cstring>

namespace {

// Faces stored in documents and settings name fonts of the system the files came from; these
// are the installed, metric-compatible families that stand in for them.
struct FaceAlias
{
    const char* face;
    const char* family;
};
constexpr FaceAlias kFaceAliases[] = {
    {"Arial", "Liberation Sans"},
    {"Arial Narrow", "Liberation Sans Narrow"},
    {"Helvetica", "Liberation Sans"},
    {"MS Sans Serif", "Liberation Sans"},
    {"Times New Roman", "Liberation Serif"},
    {"Times", "Liberation Serif"},
    {"Courier New", "Liberation Mono"},
    {"Courier", "Liberation Mono"},
    {"Symbol", "Standard Symbols PS"},
};
constexpr const char* kSymbolFamily = "Standard Symbols PS";
constexpr const char* kDefaultFamily = "Liberation Sans";

void CopyFace(char (&dest)[32], const char* face)
{
    std::memset(dest, 0, sizeof dest);
    if (face)
        std::strncpy(dest, face, sizeof dest - 1);
}

} // namespace

bool KTFont::CreateFontIndirect(const LOGFONT& font)
{
    m_font = font;
    // A record read from a file may lack its terminator: never let the name run on.
    m_font.lfFaceName[sizeof m_font.lfFaceName - 1] = 0;
    m_created = true;
    return true;
}

bool KTFont::CreateFont(int height, int weight, bool italic, const char* face)
{
    LOGFONT font;
    font.lfHeight = height;
    font.lfWeight = weight;
    font.lfItalic = italic ? 1 : 0;
    CopyFace(font.lfFaceName, face);
    return CreateFontIndirect(font);
}

bool KTFont::GetLogFont(LOGFONT* font) const
{
    if (!m_created || !font)
        return false;
    *font = m_font;
    return true;
}

bool KTFont::IsSymbolFont() const
{
    return ResolveFamily(m_font.lfFaceName) == QLatin1String(kSymbolFamily);
}

QString KTFont::ResolveFamily(const char* face)
{
    if (!face || !*face)
        return QString::fromLatin1(kDefaultFamily);
    const QString name = QString::fromLatin1(face).trimmed();
    for (const FaceAlias& alias : kFaceAliases)
        if (name.compare(QLatin1String(alias.face), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(alias.family);
    return name;
}

QFont KTFont::ToQFont(double pixelSize, int deviceDpi) const
{
    QFont font(ResolveFamily(m_font.lfFaceName));
    switch (m_font.lfPitchAndFamily & 0xF0) {
    case 0x10: font.setStyleHint(QFont::Serif); break;
    case 0x20: font.setStyleHint(QFont::SansSerif); break;
    case 0x30: font.setStyleHint(QFont::Monospace); break;
    default: break;
    }
    const double px = std::max(0.5, pixelSize);
    // Point sizes carry fractions; Qt turns them back into device pixels at the device's DPI.
    font.setPointSizeF(px * 72.0 / std::max(1, deviceDpi));
    const int weight = m_font.lfWeight <= 0 ? FW_NORMAL : std::clamp(m_font.lfWeight, 1, 1000);
    font.setWeight(static_cast<QFont::Weight>(weight));
    font.setItalic(m_font.lfItalic != 0);
    font.setUnderline(m_font.lfUnderline != 0);
    font.setStrikeOut(m_font.lfStrikeOut != 0);
    // Horizontal advances scale linearly with the size, so layouts measured at one resolution
    // hold at another; vertical hinting keeps screen text crisp.
    font.setHintingPreference(QFont::PreferVerticalHinting);
    return font;
}

KTFont KTFont::Stock(KTStockObject kind)
{
    KTFont font;
    if (kind == KTStockObject::SystemFont) {
        LOGFONT lf;
        lf.lfWeight = FW_NORMAL;
        CopyFace(lf.lfFaceName, "Arial");
        font.CreateFontIndirect(lf);
    }
    return font;
}

bool operator==(const KTFont& a, const KTFont& b)
{
    const LOGFONT& x = a.m_font;
    const LOGFONT& y = b.m_font;
    return a.m_created == b.m_created && x.lfHeight == y.lfHeight && x.lfWidth == y.lfWidth &&
           x.lfEscapement == y.lfEscapement && x.lfOrientation == y.lfOrientation &&
           x.lfWeight == y.lfWeight && x.lfItalic == y.lfItalic && x.lfUnderline == y.lfUnderline &&
           x.lfStrikeOut == y.lfStrikeOut && x.lfCharSet == y.lfCharSet &&
           x.lfOutPrecision == y.lfOutPrecision && x.lfClipPrecision == y.lfClipPrecision &&
           x.lfQuality == y.lfQuality && x.lfPitchAndFamily == y.lfPitchAndFamily &&
           std::strncmp(x.lfFaceName, y.lfFaceName, sizeof x.lfFaceName) == 0;
}
