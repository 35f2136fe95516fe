#pragma once
// A text font: the platform's logical font plus a text colour and a character height in
// hundredths of a millimetre. Archived untagged in 52 bytes.

#include "platform/CString.h"
#include "platform/KTGdiTypes.h"
#include "platform/KTObject.h"

#include <cstdint>

class KTLogFont : public KTObject
{
public:
    /// Longest face name the record holds; longer names are cut.
    static constexpr int kMaxFaceName = 31;

    /// Arial, height -14, weight 400, colour 0 and size 388 (11 points).
    KTLogFont();
    KTLogFont(const KTLogFont&) = default;
    KTLogFont& operator=(const KTLogFont&) = default;

    friend bool operator==(const KTLogFont& a, const KTLogFont& b);

    /// Height, weight, italic, underline, strike-out, character set, face name (32 bytes), colour
    /// and size; loading leaves the other logical-font fields as they were.
    void Serialize(KTArchive& ar) override;

    /// Fifteen numbers and the face name, comma-separated; the colour as a signed 32-bit value.
    CString ToProfileText() const;
    /// Reads the form ToProfileText writes; the face name is the whole remaining text, commas
    /// included, cut to 31 bytes; missing numbers read as 0.
    void FromProfileText(const CString& text);

    CString GetFaceName() const { return CString(m_logFont.lfFaceName); }
    /// Stores the name zero-padded, cut to 31 bytes so that it always ends in a terminator.
    void SetFaceName(const char* name);

    LOGFONT m_logFont;
    COLORREF m_color = 0;
    std::int32_t m_size = 388;
};
