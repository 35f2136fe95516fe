#pragma once
// A setting whose value is a font record: stored in the settings file as the record's one-line
// profile text, archived as the record's untagged form (value only).

#include "foundation/KTLogFont.h"
#include "platform/CString.h"
#include "platform/KTGdiTypes.h"
#include "platform/KTObject.h"

class KTArchive;
class KTIniFile;

class KTOptionKTLogFont : public KTObject
{
public:
    /// Value and default are default fonts (Arial, 11 points); key and section are empty.
    KTOptionKTLogFont() = default;
    KTOptionKTLogFont(const KTOptionKTLogFont&) = default;
    KTOptionKTLogFont& operator=(const KTOptionKTLogFont&) = default;

    /// Defines the option: value and default both become copies of the record.
    void Set(const CString& section, const CString& key, BYTE flag, const KTLogFont& record);
    KTLogFont GetValue() const { return m_value; }
    void SetValue(const KTLogFont& font) { m_value = font; }
    /// A missing or empty key gives the default; otherwise the text is parsed, missing fields
    /// reading as 0. Returns true.
    bool ReadProfile(KTIniFile& store);
    /// Writes the profile text of the default (useDefault) or of the value, creating the key.
    /// Returns true.
    bool WriteProfile(KTIniFile& store, bool useDefault);
    /// The value record alone; loading replaces only the value.
    void Serialize(KTArchive& ar) override;

    const KTLogFont& GetDefault() const { return m_default; }
    BYTE GetFlag() const { return m_flag; }
    const CString& GetKey() const { return m_key; }
    const CString& GetSection() const { return m_section; }

    KTLogFont m_value;

private:
    KTLogFont m_default;
    BYTE m_flag = 0;
    CString m_key;
    CString m_section;
};
