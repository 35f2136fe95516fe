#pragma once
// The tangents of a graph, addressed by index in the order they were added, with the list's
// own notion of the current one. An index outside 0..count-1 is a caller error and throws
// std::out_of_range (RemoveAt ignores -1).

#include "graph/KTDerivativeFunction.h"
#include "platform/KTObject.h"

#include <cstdint>
#include <vector>

using KTDerivativeArray = std::vector<KTDerivativeFunction>;

class KTDerivativeList : public KTObject
{
public:
    KTDerivativeList() = default;

    int GetCount() const { return static_cast<int>(m_records.size()); }
    KTDerivativeFunction& GetAt(int index);
    const KTDerivativeFunction& GetAt(int index) const;

    /// Appends a copy (by the record's assignment rules) and returns its index; without force,
    /// returns -1 and adds nothing when a tangent of the same function exists.
    int Add(const KTDerivativeFunction& record, bool force);
    /// Removes one tangent; -1 does nothing.
    void RemoveAt(int index);
    /// Removes every tangent of the function.
    void RemoveForFunction(int function);
    /// Empties the list; no selection.
    void RemoveAll();
    /// Gives every record the graph's mapping.
    void SetGraph(KTAxes* axes);
    void SetSelected(int index, bool selected);
    /// Clears every record's selection; returns the count.
    int DeselectAll();
    /// True when any tangent's x text uses the name (KTDerivativeFunction::UsesName).
    bool UsesName(const CString& name) const;

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

    KTDerivativeArray m_records;
    /// The current record, -1 for none; set by whoever selects. An index that no longer names a
    /// record reads as none.
    std::int32_t m_selectedIndex = -1;

private:
    const KTDerivativeFunction* Selected() const;
};
