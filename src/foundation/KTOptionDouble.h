#pragma once
// A double setting with a range: stored as "%f" (six decimals, C locale), archived as its 8 bytes.
// A value outside [minimum, maximum] becomes (minimum + maximum) x 0.5; a NaN stays.

#include "foundation/KTOptionKey.h"
#include "platform/CString.h"
#include "platform/KTGdiTypes.h"

class KTArchive;
class KTIniFile;

class KTOptionDouble : public KTOptionKey
{
public:
    KTOptionDouble() = default;
    virtual ~KTOptionDouble() = default;

    /// Defines the option; the default becomes the value and the stored copy.
    void Set(const CString& section, const CString& key, BYTE flag, double defaultValue, double minimum,
             double maximum);
    /// The value forced into range; the forced value is kept.
    double GetValue();
    /// An empty or missing value reads the default, other texts by strtod in the C locale
    /// (0 for a text that is no number); then forced into range. Returns true.
    bool ReadProfile(KTIniFile& store);
    /// Forces the value into range and writes it (or the default, as it is) with "%f". Returns true.
    bool WriteProfile(KTIniFile& store, bool useDefault);
    /// The value alone, 8 bytes little-endian IEEE 754.
    virtual void Serialize(KTArchive& ar);

    double GetDefault() const { return m_default; }
    double GetStored() const { return m_stored; }
    double GetMinimum() const { return m_minimum; }
    double GetMaximum() const { return m_maximum; }

    double m_value = 0.0;

private:
    void ForceIntoRange();

    double m_default = 0.0;
    double m_stored = 0.0;
    double m_minimum = 0.0;
    double m_maximum = 0.0;
};
