#pragma once
// A colour setting (0x00BBGGRR) without range: stored as "%d" of the 32 bits (so values of 2^31 and
// above appear negative, and all bits set is "-1", which reads as the default); archived as 4 bytes.

#include "foundation/KTOptionKey.h"
#include "platform/CString.h"
#include "platform/KTGdiTypes.h"

class KTArchive;
class KTIniFile;

class KTOptionColor : public KTOptionKey
{
public:
    KTOptionColor() = default;
    virtual ~KTOptionColor() = default;

    /// Defines the option; the default becomes the value and the stored copy.
    void Set(const CString& section, const CString& key, BYTE flag, COLORREF defaultValue);
    /// -1 or a missing key reads the default; any other number is taken as it is. Returns true.
    bool ReadProfile(KTIniFile& store);
    /// Writes the value (or the default) as a signed decimal. Returns true.
    bool WriteProfile(KTIniFile& store, bool useDefault);
    /// The value alone, 4 bytes little-endian.
    virtual void Serialize(KTArchive& ar);

    COLORREF GetDefault() const { return m_default; }
    COLORREF GetStored() const { return m_stored; }

    COLORREF m_value = 0;

private:
    COLORREF m_default = 0;
    COLORREF m_stored = 0;
};
