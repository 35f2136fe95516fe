#pragma once
// A text setting with a maximum length in bytes (-1: none): stored as the text itself, archived
// in the framework's length-prefixed string form.

#include "foundation/KTOptionKey.h"
#include "platform/CString.h"
#include "platform/KTGdiTypes.h"

#include <cstdint>

class KTArchive;
class KTIniFile;

class KTOptionString : public KTOptionKey
{
public:
    KTOptionString() = default;
    virtual ~KTOptionString() = default;

    /// Defines the option; the default becomes the value and the stored copy.
    void Set(const CString& section, const CString& key, BYTE flag, const CString& defaultValue,
             std::int32_t maxLength);
    /// The value after Truncate.
    CString GetValue();
    /// Sets the value, then Truncate.
    void SetValue(CString value);
    /// Cuts the value (never the default) to the maximum length; -1 leaves it whole and any other
    /// negative maximum empties it.
    void Truncate();
    /// An empty or missing value reads the default; then Truncate. Returns true.
    bool ReadProfile(KTIniFile& store);
    /// Truncates the value and writes it, or the default uncut. Returns true.
    bool WriteProfile(KTIniFile& store, bool useDefault);
    /// The value alone in the length-prefixed string form.
    virtual void Serialize(KTArchive& ar);

    const CString& GetDefault() const { return m_default; }
    const CString& GetStored() const { return m_stored; }
    std::int32_t GetMaxLength() const { return m_maxLength; }

    CString m_value;

private:
    CString m_default;
    CString m_stored;
    std::int32_t m_maxLength = -1;
};
