#pragma once
// The operations that the graph's record lists (tangents, integrals) share: records addressed
// by index in the order they were added, with the list's own notion of the current one. An
// index outside 0..count-1 is a caller error and throws std::out_of_range.
//
// Record needs the members m_axes and m_selected, UsesName(const CString&), Serialize(KTArchive&)
// and a static MinimumArchiveSize(); its assignment decides what a copy carries.

#include "graph/KTRecordTags.h"
#include "platform/CString.h"
#include "platform/KTObject.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class KTAxes;

template <typename Record> class KTRecordList : public KTObject
{
public:
    using Array = std::vector<Record>;

    int GetCount() const { return static_cast<int>(m_records.size()); }
    Record& GetAt(int index) { return m_records.at(static_cast<std::size_t>(index)); }
    const Record& GetAt(int index) const { return m_records.at(static_cast<std::size_t>(index)); }

    /// Empties the list; no selection.
    void RemoveAll()
    {
        m_records.clear();
        m_selectedIndex = -1;
    }
    /// Gives every record the graph's mapping.
    void SetGraph(KTAxes* axes)
    {
        for (Record& record : m_records)
            record.m_axes = axes;
    }
    void SetSelected(int index, bool selected) { GetAt(index).m_selected = selected; }
    /// Clears every record's selection; returns the count.
    int DeselectAll()
    {
        for (Record& record : m_records)
            record.m_selected = false;
        return GetCount();
    }
    /// True when any record uses the name (Record::UsesName).
    bool UsesName(const CString& name) const
    {
        for (const Record& record : m_records)
            if (record.UsesName(name))
                return true;
        return false;
    }

    Array m_records;
    /// The current record, -1 for none; set by whoever selects. An index that no longer names a
    /// record reads as none.
    std::int32_t m_selectedIndex = -1;

protected:
    KTRecordList() = default;

    /// The selected record, nullptr without one.
    const Record* Selected() const
    {
        // A selection left behind by a removal must not throw from a paint or a hover tip.
        if (m_selectedIndex < 0 || m_selectedIndex >= GetCount())
            return nullptr;
        return &m_records[static_cast<std::size_t>(m_selectedIndex)];
    }

    /// Appends a copy by the record's assignment rules; returns its index.
    int Append(const Record& record)
    {
        m_records.emplace_back() = record;
        return GetCount() - 1;
    }

    /// KTSerializeRecordArray; a load also clears the selection, a failed one changes nothing.
    void SerializeRecords(KTArchive& ar, const char* tag, WORD version)
    {
        KTSerializeRecordArray(ar, tag, version, m_records);
        if (!ar.IsStoring())
            m_selectedIndex = -1;
    }
};
