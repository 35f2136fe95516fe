#pragma once
// A 32-bit integer setting with a range: stored as "%d", archived as its 4-byte value.
// A value outside [minimum, maximum] is replaced by the midpoint (minimum + maximum) / 2.

#include "foundation/KTOptionKey.h"
#include "platform/CString.h"
#include "platform/KTGdiTypes.h"

#include <cstdint>

class KTArchive;
class KTIniFile;

class KTOptionInt : public KTOptionKey
{
public:
    KTOptionInt() = default;
    virtual ~KTOptionInt() = default;

    /// Defines the option; the default becomes the value and the stored copy.
    void Set(const CString& section, const CString& key, BYTE flag, std::int32_t defaultValue,
             std::int32_t minimum, std::int32_t maximum);
    /// The value forced into range; the forced value is kept.
    std::int32_t GetValue();
    /// -1 or a missing key reads the default; the result is forced into range. Returns true.
    bool ReadProfile(KTIniFile& store);
    /// Forces the value into range and writes it (or the default, as it is) into the document,
    /// creating the key. Returns true.
    bool WriteProfile(KTIniFile& store, bool useDefault);
    /// The value alone, 4 bytes little-endian.
    virtual void Serialize(KTArchive& ar);

    std::int32_t GetDefault() const { return m_default; }
    std::int32_t GetStored() const { return m_stored; }
    std::int32_t GetMinimum() const { return m_minimum; }
    std::int32_t GetMaximum() const { return m_maximum; }

    std::int32_t m_value = 0;

private:
    void ForceIntoRange();

    std::int32_t m_default = 0;
    std::int32_t m_stored = 0;
    std::int32_t m_minimum = 0;
    std::int32_t m_maximum = 0;
};
