#pragma once
// The integrals of a graph, addressed by index in the order they were added, with the list's
// own notion of the current one. An index outside 0..count-1 is a caller error and throws
// std::out_of_range.

#include "graph/KTIntegralFunction.h"
#include "platform/KTObject.h"

#include <cstdint>
#include <vector>

using KTIntegralArray = std::vector<KTIntegralFunction>;

class KTIntegralList : public KTObject
{
public:
    KTIntegralList() = default;

    int GetCount() const { return static_cast<int>(m_records.size()); }
    KTIntegralFunction& GetAt(int index);
    const KTIntegralFunction& GetAt(int index) const;

    /// Appends a copy (by the record's assignment rules); without keepOthers the list is
    /// emptied first. Returns the new index.
    int Add(const KTIntegralFunction& record, bool keepOthers);
    /// Empties the list; no selection.
    void RemoveAll();
    /// Gives every record the graph's mapping.
    void SetGraph(KTAxes* axes);
    void SetSelected(int index, bool selected);
    /// Clears every record's selection; returns the count.
    int DeselectAll();
    /// True when any record's bounds use the name (KTIntegralFunction::UsesName).
    bool UsesName(const CString& name) const;

    /// The selected record's labels, "" without a selection.
    CString SelectedLabel() const;
    CString SelectedAreaLabel() const;
    /// True when a record is selected and its area both differs and is to be shown.
    bool SelectedShowsArea() const;
    /// The selected record's label anchor; (0, 0) without a selection.
    KTPoint SelectedLabelPoint() const;

    /// Tag "KTIntegralList", version 1, a uint32 count, then each record tagged. Loading empties
    /// the list, appends each record read (no valid region) and clears the selection. A wrong
    /// tag, version or end tag throws KTExceptionBase, a count the data cannot hold
    /// KTArchiveException; the list is unchanged by a failed read.
    void Serialize(KTArchive& ar) override;

    KTIntegralArray m_records;
    /// The current record, -1 for none; set by whoever selects. An index that no longer names a
    /// record reads as none.
    std::int32_t m_selectedIndex = -1;

private:
    const KTIntegralFunction* Selected() const;
};
