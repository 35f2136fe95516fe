#pragma once
// A setting whose value is a drawing record (pen, brush or font): stored in the settings file as
// the record's one-line profile text, archived as the record's untagged form (value only).

#include "foundation/KTIniFile.h"
#include "foundation/KTOptionKey.h"
#include "platform/CString.h"
#include "platform/KTArchive.h"
#include "platform/KTGdiTypes.h"
#include "platform/KTObject.h"

template <typename Record> class KTAttributeOption : public KTObject, public KTOptionKey
{
public:
    /// Defines the option: value and default both become copies of the record.
    void Set(const CString& section, const CString& key, BYTE flag, const Record& record)
    {
        SetKey(section, key, flag);
        m_value = record;
        m_default = record;
    }

    Record GetValue() const { return m_value; }

    /// A missing or empty key gives the default; otherwise the text is parsed, missing fields
    /// reading as 0. Returns true.
    bool ReadProfile(KTIniFile& store)
    {
        const CString text = store.GetValue(m_section, m_key);
        if (text.IsEmpty())
            m_value = m_default;
        else
            m_value.FromProfileText(text);
        return true;
    }

    /// Writes the profile text of the default (useDefault) or of the value, creating the key.
    /// Returns true.
    bool WriteProfile(KTIniFile& store, bool useDefault)
    {
        store.SetValue(m_section, m_key, (useDefault ? m_default : m_value).ToProfileText(), true);
        return true;
    }

    /// The value record alone; loading replaces only the value.
    void Serialize(KTArchive& ar) override { m_value.Serialize(ar); }

    const Record& GetDefault() const { return m_default; }

    Record m_value;

private:
    Record m_default;
};
