#include "foundation/KTOptionBool.h"

#include "foundation/KTIniFile.h"
#include "platform/KTArchive.h"

void KTOptionBool::Set(const CString& section, const CString& key, BYTE flag, BYTE defaultValue)
{
    SetKey(section, key, flag);
    m_value = m_default = m_stored = defaultValue;
}

bool KTOptionBool::ReadProfile(KTIniFile& store)
{
    const int n = store.GetInt(m_section, m_key);
    m_value = n == 1 ? 1 : n == -1 ? m_default : 0;
    m_stored = m_value;
    return true;
}

bool KTOptionBool::WriteProfile(KTIniFile& store, bool useDefault)
{
    const BYTE written = useDefault ? m_default : m_value;
    store.SetInt(m_section, m_key, written == 1 ? 1 : 0, true);
    m_stored = m_value;
    return true;
}

void KTOptionBool::Serialize(KTArchive& ar)
{
    if (ar.IsStoring())
        ar << m_value;
    else
        ar >> m_value;
}
