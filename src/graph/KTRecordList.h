#pragma once
// The operations that the graph's record lists (tangents, integrals) share: records addressed
// by index in the order they were added, with the list's own notion of the current one. An
// index outside 0..count-1 is a caller error and throws std::out_of_range.
//
// Record needs the members m_axes and m_selected, UsesName(const CString&), Serialize(KTArchive&)
// and a static MinimumArchiveSize(); its assignment decides what a copy carries.

#include "graph/KTRecordTags.h"
#include "platform/CString.h"
#include "platform/KTArchive.h"
#include "platform/KTObject.h"

#include <cstddef>
#include <cstdint>
#include <utility>
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

    /// The tag, the version, a uint32 count, then each record tagged. Loading replaces the
    /// records only once all were read (each appended by assignment, as Append does) and clears
    /// the selection; a failed read leaves the list unchanged.
    void SerializeRecords(KTArchive& ar, const char* tag, WORD version)
    {
        if (ar.IsStoring()) {
            ar.WriteBeginTag(tag, version);
            ar << static_cast<std::uint32_t>(m_records.size());
            for (Record& record : m_records)
                record.Serialize(ar);
            ar.WriteEndTag(tag);
            return;
        }

        KTReadRecordBegin(ar, tag, version);
        std::uint32_t count = 0;
        ar >> count;
        KTCheckRecordCount(ar, count, Record::MinimumArchiveSize());
        Array loaded;
        loaded.reserve(count);
        Record record;
        for (std::uint32_t i = 0; i < count; ++i) {
            record.Serialize(ar);
            loaded.emplace_back() = record;
        }
        KTReadRecordEnd(ar, tag);
        m_records = std::move(loaded);
        m_selectedIndex = -1;
    }
};
