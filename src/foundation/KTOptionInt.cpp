#include "foundation/KTOptionInt.h"

#include "foundation/KTIniFile.h"
#include "platform/KTArchive.h"

void KTOptionInt::Set(const CString& section, const CString& key, BYTE flag, std::int32_t defaultValue,
                      std::int32_t minimum, std::int32_t maximum)
{
    SetKey(section, key, flag);
    m_value = m_default = m_stored = defaultValue;
    m_minimum = minimum;
    m_maximum = maximum;
}

void KTOptionInt::ForceIntoRange()
{
    if (m_value < m_minimum || m_value > m_maximum) {
        // In 64 bits so that a range near the int limits cannot overflow; C++ division truncates
        // toward zero as the stored files expect (-5..0 gives -2).
        m_value = static_cast<std::int32_t>((static_cast<std::int64_t>(m_minimum) + m_maximum) / 2);
    }
}

std::int32_t KTOptionInt::GetValue()
{
    ForceIntoRange();
    return m_value;
}

bool KTOptionInt::ReadProfile(KTIniFile& store)
{
    const int n = store.GetInt(m_section, m_key);
    m_value = n == -1 ? m_default : n;
    ForceIntoRange();
    m_stored = m_value;
    return true;
}

bool KTOptionInt::WriteProfile(KTIniFile& store, bool useDefault)
{
    ForceIntoRange();
    store.SetInt(m_section, m_key, useDefault ? m_default : m_value, true);
    m_stored = m_value;
    return true;
}

void KTOptionInt::Serialize(KTArchive& ar)
{
    if (ar.IsStoring())
        ar << m_value;
    else
        ar >> m_value;
}
