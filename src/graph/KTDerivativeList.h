#pragma once
// The tangents of a graph, addressed by index in the order they were added, with the list's
// own notion of the current one. An index outside 0..count-1 is a caller error and throws
// std::out_of_range (RemoveAt ignores -1). UsesName asks each tangent's x text.

#include "graph/KTDerivativeFunction.h"
#include "graph/KTRecordList.h"

using KTDerivativeArray = KTRecordList<KTDerivativeFunction>::Array;

class KTDerivativeList : public KTRecordList<KTDerivativeFunction>
{
public:
    KTDerivativeList() = default;

    /// Appends a copy (by the record's assignment rules) and returns its index; without force,
    /// returns -1 and adds nothing when a tangent of the same function exists.
    int Add(const KTDerivativeFunction& record, bool force);
    /// Removes one tangent; -1 does nothing.
    void RemoveAt(int index);
    /// Removes every tangent of the function.
    void RemoveForFunction(int function);

    /// The selected tangent's label and line equation, "" without a selection.
    CString SelectedLabel() const;
    CString SelectedLineText() const;
    /// (x of the point, slope x + intercept) on the selected tangent; (0, 0) without one.
    KTPoint TangentPointAt(const KTPoint& point) const;
    /// Moves the tangent's point by dx and writes its x text anew (6 decimals, trailing zeros
    /// removed); the rest waits for the next calculation. A move to a value that is not finite
    /// is ignored.
    void MoveX(int index, double dx);

    /// Tag "KTDerivativeList", version 1, a uint32 count, then each record tagged. Loading
    /// empties the list, appends each record read (not valid, not selected, ends at (0, 0)) and
    /// clears the selection. A wrong tag, version or end tag throws KTExceptionBase, a count the
    /// data cannot hold KTArchiveException; the list is unchanged by a failed read.
    void Serialize(KTArchive& ar) override;
};
