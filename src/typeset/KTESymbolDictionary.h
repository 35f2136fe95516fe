#pragma once
// Known words and what they become, kept longest name first so that the first entry matching
// at a position is the longest match. 150 slots; at most 149 entries are ever searched.

#include "platform/CString.h"
#include "typeset/KTESymbolEntry.h"
#include "typeset/KTETokenKind.h"

class KTESymbolDictionary
{
public:
    static constexpr int Capacity = 150;

    /// Appends the entries of a word list (names, or name/code pairs when pairs is set, split at
    /// separator); returns the count minus 1. Entries beyond the 149th overwrite the last slot.
    int Add(const CString& list, KTETokenKind kind, bool pairs, char separator);
    /// Empties the dictionary, then Add.
    int Set(const CString& list, KTETokenKind kind, bool pairs, char separator);
    /// Orders the entries longest name first; among equal lengths the later added comes first.
    void SortByLength();
    /// Length minus 1 of the first non-empty entry name that starts text; -1 when none does.
    int MatchLength(const CString& text) const;
    /// The first entry whose name starts text, with text cut to that name; an empty entry of
    /// kind 0 (and text unchanged) when none matches.
    KTESymbolEntry TakeMatch(CString& text) const;

    int GetCount() const { return m_count; }
    const KTESymbolEntry& GetEntry(int i) const
    {
        return m_entries[i < 0 ? 0 : i >= Capacity ? Capacity - 1 : i];
    }

private:
    void Append(const CString& name, const CString& code, KTETokenKind kind);

    KTESymbolEntry m_entries[Capacity];
    int m_count = 0;
    int m_capacity = Capacity;
};
