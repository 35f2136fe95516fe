#include "foundation/KTIniSection.h"

int KTIniSection::FindKey(const CString& key) const
{
    for (size_t i = 0; i < m_keys.size(); ++i) {
        if (m_keys[i] == key)
            return static_cast<int>(i);
    }
    return -1;
}

int KTIniSection::AddKey(const CString& key, const CString& value)
{
    m_keys.push_back(key);
    m_values.push_back(value);
    return GetCount() - 1;
}
