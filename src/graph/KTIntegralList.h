#pragma once
// The integrals of a graph, addressed by index in the order they were added, with the list's
// own notion of the current one. An index outside 0..count-1 is a caller error and throws
// std::out_of_range. UsesName asks each record's bounds.

#include "graph/KTIntegralFunction.h"
#include "graph/KTRecordList.h"

using KTIntegralArray = KTRecordList<KTIntegralFunction>::Array;

class KTIntegralList : public KTRecordList<KTIntegralFunction>
{
public:
    KTIntegralList() = default;

    /// Appends a copy (by the record's assignment rules); without keepOthers the list is
    /// emptied first. Returns the new index.
    int Add(const KTIntegralFunction& record, bool keepOthers);

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
};
