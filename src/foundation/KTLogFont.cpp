#include "foundation/KTLogFont.h"

#include "foundation/KTProfileText.h"
#include "platform/KTArchive.h"

#include <cstring>

namespace {

const KTRegisterRuntimeClass<KTLogFont> registerLogFont("KTLogFont", 1);

// Platform values of the default font's precision, quality and pitch fields.
constexpr BYTE kOutTrueTypeOnlyPrecision = 7;
constexpr BYTE kClipLhAnglesTrueTypeAlways = 48;
constexpr BYTE kProofQuality = 2;
constexpr BYTE kVariablePitch = 2;

constexpr std::size_t kFaceBytes = sizeof(LOGFONT{}.lfFaceName);
static_assert(kFaceBytes == KTLogFont::kMaxFaceName + 1);

} // namespace

KTLogFont::KTLogFont()
{
    m_logFont.lfHeight = -14;
    m_logFont.lfWeight = FW_NORMAL;
    m_logFont.lfOutPrecision = kOutTrueTypeOnlyPrecision;
    m_logFont.lfClipPrecision = kClipLhAnglesTrueTypeAlways;
    m_logFont.lfQuality = kProofQuality;
    m_logFont.lfPitchAndFamily = kVariablePitch;
    SetFaceName("Arial");
}

bool operator==(const KTLogFont& a, const KTLogFont& b)
{
    const LOGFONT& x = a.m_logFont;
    const LOGFONT& y = b.m_logFont;
    return x.lfHeight == y.lfHeight && x.lfWidth == y.lfWidth && x.lfEscapement == y.lfEscapement &&
           x.lfOrientation == y.lfOrientation && x.lfWeight == y.lfWeight && x.lfItalic == y.lfItalic &&
           x.lfUnderline == y.lfUnderline && x.lfStrikeOut == y.lfStrikeOut && x.lfCharSet == y.lfCharSet &&
           x.lfOutPrecision == y.lfOutPrecision && x.lfClipPrecision == y.lfClipPrecision &&
           x.lfQuality == y.lfQuality && x.lfPitchAndFamily == y.lfPitchAndFamily &&
           std::memcmp(x.lfFaceName, y.lfFaceName, kFaceBytes) == 0 && a.m_color == b.m_color &&
           a.m_size == b.m_size;
}

void KTLogFont::SetFaceName(const char* name)
{
    std::memset(m_logFont.lfFaceName, 0, kFaceBytes);
    if (name != nullptr)
        std::memcpy(m_logFont.lfFaceName, name, strnlen(name, kMaxFaceName));
}

void KTLogFont::Serialize(KTArchive& ar)
{
    LOGFONT& f = m_logFont;
    if (ar.IsStoring()) {
        ar << f.lfHeight << f.lfWeight << f.lfItalic << f.lfUnderline << f.lfStrikeOut << f.lfCharSet;
        // The name and zero padding only: bytes a caller left behind the terminator stay out.
        char face[kFaceBytes] = {};
        std::memcpy(face, f.lfFaceName, strnlen(f.lfFaceName, kMaxFaceName));
        ar.Write(face, kFaceBytes);
        ar << m_color << m_size;
        return;
    }
    ar >> f.lfHeight >> f.lfWeight >> f.lfItalic >> f.lfUnderline >> f.lfStrikeOut >> f.lfCharSet;
    char face[kFaceBytes];
    ar.Read(face, kFaceBytes);
    // A file may hold 32 bytes without a terminator; keep at most 31 of them.
    face[kMaxFaceName] = '\0';
    SetFaceName(face);
    ar >> m_color >> m_size;
}

CString KTLogFont::ToProfileText() const
{
    const LOGFONT& f = m_logFont;
    CString text;
    text.Format("%i,%i,%i,%i,%i,%i,%i,%i,%i,%i,%i,%i,%i,%i,%i,%s", f.lfHeight, f.lfWidth, f.lfEscapement,
                f.lfOrientation, f.lfWeight, f.lfItalic, f.lfUnderline, f.lfStrikeOut, f.lfCharSet,
                f.lfOutPrecision, f.lfClipPrecision, f.lfQuality, f.lfPitchAndFamily,
                static_cast<std::int32_t>(m_color), m_size, GetFaceName().c_str());
    return text;
}

void KTLogFont::FromProfileText(const CString& text)
{
    KTProfileTextReader reader(text);
    LOGFONT& f = m_logFont;
    auto nextByte = [&reader] { return static_cast<BYTE>(reader.NextInt() & 0xFF); };
    f.lfHeight = reader.NextInt();
    f.lfWidth = reader.NextInt();
    f.lfEscapement = reader.NextInt();
    f.lfOrientation = reader.NextInt();
    f.lfWeight = reader.NextInt();
    f.lfItalic = nextByte();
    f.lfUnderline = nextByte();
    f.lfStrikeOut = nextByte();
    f.lfCharSet = nextByte();
    f.lfOutPrecision = nextByte();
    f.lfClipPrecision = nextByte();
    f.lfQuality = nextByte();
    f.lfPitchAndFamily = nextByte();
    m_color = static_cast<COLORREF>(reader.NextInt());
    m_size = reader.NextInt();
    SetFaceName(reader.Rest());
}
