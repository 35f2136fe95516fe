#pragma once
// A setting whose value is a pen record: stored in the settings file as the record's one-line
// profile text, archived as the record's untagged form (value only).

#include "foundation/KTLogPen.h"
#include "platform/CString.h"
#include "platform/KTGdiTypes.h"
#include "platform/KTObject.h"

class KTArchive;
class KTIniFile;

class KTOptionKTLogPen : public KTObject
{
public:
    /// Value and default are kind 0, style 6, colour 0 and width 0; key and section are empty.
    KTOptionKTLogPen() = default;
    KTOptionKTLogPen(const KTOptionKTLogPen&) = default;
    KTOptionKTLogPen& operator=(const KTOptionKTLogPen&) = default;

    /// Defines the option: value and default both become copies of the record.
    void Set(const CString& section, const CString& key, BYTE flag, const KTLogPen& record);
    KTLogPen GetValue() const { return m_value; }
    /// A missing or empty key gives the default; otherwise the text is parsed, missing fields
    /// reading as 0. Returns true.
    bool ReadProfile(KTIniFile& store);
    /// Writes the profile text of the default (useDefault) or of the value, creating the key.
    /// Returns true.
    bool WriteProfile(KTIniFile& store, bool useDefault);
    /// The value record alone; loading replaces only the value.
    void Serialize(KTArchive& ar) override;

    const KTLogPen& GetDefault() const { return m_default; }
    BYTE GetFlag() const { return m_flag; }
    const CString& GetKey() const { return m_key; }
    const CString& GetSection() const { return m_section; }

    KTLogPen m_value;

private:
    KTLogPen m_default;
    BYTE m_flag = 0;
    CString m_key;
    CString m_section;
};
