#include "graph/KTDerivativeList.h"

#include "foundation/KTNumberFormat.h"

#include <algorithm>
#include <cmath>

namespace {

const KTRegisterRuntimeClass<KTDerivativeList> registration("KTDerivativeList", 0);

constexpr const char* kTag = "KTDerivativeList";
constexpr WORD kVersion = 1;

} // namespace

int KTDerivativeList::Add(const KTDerivativeFunction& record, bool force)
{
    if (!force) {
        const auto same = [&](const KTDerivativeFunction& r) { return r.m_function == record.m_function; };
        if (std::any_of(m_records.begin(), m_records.end(), same))
            return -1;
    }
    return Append(record);
}

void KTDerivativeList::RemoveAt(int index)
{
    if (index == -1)
        return;
    GetAt(index); // the bounds check
    m_records.erase(m_records.begin() + index);
}

void KTDerivativeList::RemoveForFunction(int function)
{
    std::erase_if(m_records, [&](const KTDerivativeFunction& r) { return r.m_function == function; });
}

CString KTDerivativeList::SelectedLabel() const
{
    const KTDerivativeFunction* record = Selected();
    return record ? record->m_label : CString();
}

CString KTDerivativeList::SelectedLineText() const
{
    const KTDerivativeFunction* record = Selected();
    return record ? record->m_lineText : CString();
}

KTPoint KTDerivativeList::TangentPointAt(const KTPoint& point) const
{
    const KTDerivativeFunction* record = Selected();
    if (!record)
        return KTPoint();
    return KTPoint(point.m_x, record->m_slope * point.m_x + record->m_intercept);
}

void KTDerivativeList::MoveX(int index, double dx)
{
    KTDerivativeFunction& record = GetAt(index);
    const double x = record.m_point.m_x + dx;
    if (!std::isfinite(x))
        return;
    record.m_point.m_x = x;
    KTNumberFormat format;
    format.m_bStripZeros = true;
    record.m_xText = format.Format(x, 6);
}

void KTDerivativeList::Serialize(KTArchive& ar)
{
    SerializeRecords(ar, kTag, kVersion);
}
