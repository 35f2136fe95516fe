#pragma once
// One section of a settings file held in memory: keys in order of creation, each with its value.

#include "platform/CString.h"

#include <vector>

class KTIniSection
{
public:
    /// Index of the key, compared byte for byte, or -1. A plain line is no key.
    int FindKey(const CString& key) const;
    /// Appends a key that is not there yet; returns its index.
    int AddKey(const CString& key, const CString& value);
    /// Appends a line without "=" (a comment, a note someone wrote into the file), kept as it
    /// stands and written back at its place; returns its index.
    int AddPlainLine(const CString& line);
    /// How many plain lines of exactly this text the section holds.
    int CountPlainLines(const CString& line) const;
    bool IsPlainLine(int index) const { return m_plain.at(static_cast<size_t>(index)) != 0; }

    /// Keys and plain lines.
    int GetCount() const { return static_cast<int>(m_keys.size()); }

    /// Entry i of m_values is the value of key i of m_keys; all three always have the same
    /// length. A plain line is an entry whose m_plain is 1, its text in m_keys, its value empty.
    std::vector<CString> m_values;
    std::vector<CString> m_keys;
    std::vector<char> m_plain;
};
