#include "foundation/KTOptionColor.h"

#include "foundation/KTIniFile.h"
#include "platform/KTArchive.h"

#include <cstdint>

void KTOptionColor::Set(const CString& section, const CString& key, BYTE flag, COLORREF defaultValue)
{
    SetKey(section, key, flag);
    m_value = m_default = m_stored = defaultValue;
}

bool KTOptionColor::ReadProfile(KTIniFile& store)
{
    const int n = store.GetInt(m_section, m_key);
    m_value = n == -1 ? m_default : static_cast<COLORREF>(n);
    m_stored = m_value;
    return true;
}

bool KTOptionColor::WriteProfile(KTIniFile& store, bool useDefault)
{
    store.SetInt(m_section, m_key, static_cast<std::int32_t>(useDefault ? m_default : m_value), true);
    m_stored = m_value;
    return true;
}

void KTOptionColor::Serialize(KTArchive& ar)
{
    if (ar.IsStoring())
        ar << static_cast<std::uint32_t>(m_value);
    else {
        std::uint32_t v = 0;
        ar >> v;
        m_value = v;
    }
}
