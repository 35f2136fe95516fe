#pragma once
// A yes/no setting held as one byte (0 false, 1 true): stored as "1" or "0", archived as the byte.

#include "foundation/KTOptionKey.h"
#include "platform/CString.h"
#include "platform/KTGdiTypes.h"

class KTArchive;
class KTIniFile;

class KTOptionBool : public KTOptionKey
{
public:
    KTOptionBool() = default;
    virtual ~KTOptionBool() = default;

    /// Defines the option; the default becomes the value and the stored copy.
    void Set(const CString& section, const CString& key, BYTE flag, BYTE defaultValue);
    /// 1 reads true, -1 or a missing key the default, any other number false. Returns true.
    bool ReadProfile(KTIniFile& store);
    /// Writes 1 when the value (or the default) byte is 1, else 0. Returns true.
    bool WriteProfile(KTIniFile& store, bool useDefault);
    /// The value byte alone, as it is in memory.
    virtual void Serialize(KTArchive& ar);

    BYTE GetDefault() const { return m_default; }
    BYTE GetStored() const { return m_stored; }

    BYTE m_value = 0;

private:
    BYTE m_default = 0;
    BYTE m_stored = 0;
};
