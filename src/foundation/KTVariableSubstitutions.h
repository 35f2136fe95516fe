#pragma once
// The document's table of the family constants' current values ("m", "a", "b", "c", "d"),
// refilled by the graph view before drawing. The typesetter shows these values in place of the
// variables and number texts look their letters up here. Not part of the stored document.

#include "platform/CString.h"
#include "platform/KTObject.h"

#include <cstdint>

class KTVariableSubstitutions : public KTObject
{
public:
    static constexpr int kMaxEntries = 5;

    KTVariableSubstitutions() = default;

    /// Appends an entry while fewer than five are held; a sixth is ignored. Names are not checked
    /// for repeats: the first entry of a name wins.
    void Add(const CString& name, double value);
    /// The value of the first entry with exactly this name (case matters); KTUndefinedValue when
    /// there is none.
    double GetValue(const CString& name) const;
    bool HasName(const CString& name) const;

    /// Empties the table as the graph view does before refilling it: the count, the mode number
    /// and both flags become 0. Names and values stay as they were but are no longer entries.
    void Clear();

    int GetCount() const { return m_nCount; }
    const CString& GetName(int index) const;
    double GetValueAt(int index) const;

    /// Untagged form: WORD schema 1, int32 count, two flag bytes, then all five entries (name,
    /// double value, in-use byte). A stored schema of 0 loads nothing; a stored count outside
    /// 0..5 is held to that range.
    void Serialize(KTArchive& ar) override;

    /// Texts kept with the table for its users; nothing here reads them.
    CString m_texts[4];
    /// Cleared with the count when the table is refilled; not archived.
    std::int32_t m_nMode = 0;
    bool m_bFlag1 = false;
    bool m_bFlag2 = false;

private:
    std::int32_t m_nCount = 0;
    CString m_names[kMaxEntries];
    double m_values[kMaxEntries] = {};
    bool m_inUse[kMaxEntries] = {};
};
