#include "foundation/KTOptionString.h"

#include "foundation/KTIniFile.h"
#include "platform/KTArchive.h"

void KTOptionString::Set(const CString& section, const CString& key, BYTE flag, const CString& defaultValue,
                         std::int32_t maxLength)
{
    SetKey(section, key, flag);
    m_value = m_default = m_stored = defaultValue;
    m_maxLength = maxLength;
}

void KTOptionString::Truncate()
{
    if (m_maxLength == -1 || m_maxLength >= m_value.GetLength())
        return;
    m_value = m_maxLength < 0 ? CString() : m_value.Left(m_maxLength);
}

CString KTOptionString::GetValue()
{
    Truncate();
    return m_value;
}

void KTOptionString::SetValue(CString value)
{
    m_value = std::move(value);
    Truncate();
}

bool KTOptionString::ReadProfile(KTIniFile& store)
{
    const CString text = store.GetValue(m_section, m_key);
    m_value = text.IsEmpty() ? m_default : text;
    Truncate();
    m_stored = m_value;
    return true;
}

bool KTOptionString::WriteProfile(KTIniFile& store, bool useDefault)
{
    Truncate();
    store.SetValue(m_section, m_key, useDefault ? m_default : m_value, true);
    m_stored = m_value;
    return true;
}

void KTOptionString::Serialize(KTArchive& ar)
{
    if (ar.IsStoring())
        ar << m_value;
    else
        ar >> m_value;
}
