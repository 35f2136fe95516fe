#pragma once
// One section of a settings file held in memory: keys in order of creation, each with its value.

#include "platform/CString.h"

#include <vector>

class KTIniSection
{
public:
    /// Index of the key, compared byte for byte, or -1.
    int FindKey(const CString& key) const;
    /// Appends a key that is not there yet; returns its index.
    int AddKey(const CString& key, const CString& value);

    int GetCount() const { return static_cast<int>(m_keys.size()); }

    /// Entry i of m_values is the value of key i of m_keys; both always have the same length.
    std::vector<CString> m_values;
    std::vector<CString> m_keys;
};
