#include "foundation/KTIniSection.h"

#include <algorithm>

int KTIniSection::FindKey(const CString& key) const
{
    for (size_t i = 0; i < m_keys.size(); ++i) {
        if (!m_plain[i] && m_keys[i] == key)
            return static_cast<int>(i);
    }
    return -1;
}

int KTIniSection::AddKey(const CString& key, const CString& value)
{
    m_keys.push_back(key);
    m_values.push_back(value);
    m_plain.push_back(0);
    return GetCount() - 1;
}

int KTIniSection::AddPlainLine(const CString& line)
{
    m_keys.push_back(line);
    m_values.emplace_back();
    m_plain.push_back(1);
    return GetCount() - 1;
}

int KTIniSection::CountPlainLines(const CString& line) const
{
    int count = 0;
    for (size_t i = 0; i < m_keys.size(); ++i)
        count += m_plain[i] && m_keys[i] == line ? 1 : 0;
    return count;
}
