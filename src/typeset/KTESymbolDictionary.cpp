#include "typeset/KTESymbolDictionary.h"

#include "foundation/KTNumberFormat.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

/// A numeric code below 256 stands for that character; any other code stays as written.
CString ConvertCode(const CString& code)
{
    const KTNumberText reader;
    const double value = reader.ToDouble(code);
    if (value != 0.0 && std::isfinite(value) && value == std::floor(value) && value < 256.0 && value > 0.0)
        return CString(static_cast<char>(static_cast<int>(value)));
    return code;
}

} // namespace

void KTESymbolDictionary::Append(const CString& name, const CString& code, KTETokenKind kind)
{
    KTESymbolEntry& entry = m_entries[m_count];
    entry.name = name;
    entry.code = code.IsEmpty() ? code : ConvertCode(code);
    entry.kind = kind;
    // The last slot is a sink: once full, later entries land there and are never searched.
    if (m_count + 1 < m_capacity)
        ++m_count;
}

int KTESymbolDictionary::Add(const CString& list, KTETokenKind kind, bool pairs, char separator)
{
    CString rest = list;
    if (pairs) {
        while (!rest.IsEmpty()) {
            const int first = rest.Find(separator);
            if (first < 0)
                break;
            const int second = rest.Find(separator, first + 1);
            if (second < 0) {
                Append(rest.Left(first), rest.Mid(first + 1), kind);
                break;
            }
            Append(rest.Left(first), rest.Mid(first + 1, second - first - 1), kind);
            rest = rest.Mid(second + 1);
        }
    } else {
        int at;
        while (!rest.IsEmpty() && (at = rest.Find(separator)) >= 0) {
            Append(rest.Left(at), CString(), kind);
            rest = rest.Mid(at + 1);
        }
        Append(rest, CString(), kind);
    }
    return m_count - 1;
}

int KTESymbolDictionary::Set(const CString& list, KTETokenKind kind, bool pairs, char separator)
{
    m_count = 0;
    return Add(list, kind, pairs, separator);
}

void KTESymbolDictionary::SortByLength()
{
    // Newest first, then longest first keeping that order among equal lengths.
    KTESymbolEntry* const end = m_entries + m_count;
    std::reverse(m_entries, end);
    std::stable_sort(m_entries, end, [](const KTESymbolEntry& a, const KTESymbolEntry& b) {
        return a.name.GetLength() > b.name.GetLength();
    });
}

int KTESymbolDictionary::MatchLength(const CString& text) const
{
    for (int i = 0; i < m_count; ++i) {
        const CString& name = m_entries[i].name;
        if (!name.IsEmpty() && text.GetLength() >= name.GetLength() &&
            text.str().compare(0, name.str().size(), name.str()) == 0)
            return name.GetLength() - 1;
    }
    return -1;
}

KTESymbolEntry KTESymbolDictionary::TakeMatch(CString& text) const
{
    for (int i = 0; i < m_count; ++i) {
        const CString& name = m_entries[i].name;
        if (text.GetLength() >= name.GetLength() &&
            text.str().compare(0, name.str().size(), name.str()) == 0) {
            text = text.Left(name.GetLength());
            return m_entries[i];
        }
    }
    KTESymbolEntry none;
    none.kind = TK_ERROR;
    return none;
}
