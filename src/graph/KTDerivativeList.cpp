#include "graph/KTDerivativeList.h"

#include "foundation/KTNumberFormat.h"
#include "graph/KTRecordTags.h"
#include "platform/KTArchive.h"

#include <algorithm>
#include <cmath>

namespace {

const KTRegisterRuntimeClass<KTDerivativeList> registration("KTDerivativeList", 0);

constexpr const char* kTag = "KTDerivativeList";
constexpr WORD kVersion = 1;

} // namespace

KTDerivativeFunction& KTDerivativeList::GetAt(int index)
{
    return m_records.at(static_cast<std::size_t>(index));
}

const KTDerivativeFunction& KTDerivativeList::GetAt(int index) const
{
    return m_records.at(static_cast<std::size_t>(index));
}

int KTDerivativeList::Add(const KTDerivativeFunction& record, bool force)
{
    if (!force) {
        const auto same = [&](const KTDerivativeFunction& r) { return r.m_function == record.m_function; };
        if (std::any_of(m_records.begin(), m_records.end(), same))
            return -1;
    }
    m_records.emplace_back() = record;
    return GetCount() - 1;
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

void KTDerivativeList::RemoveAll()
{
    m_records.clear();
    m_selectedIndex = -1;
}

void KTDerivativeList::SetGraph(KTAxes* axes)
{
    for (KTDerivativeFunction& record : m_records)
        record.m_axes = axes;
}

void KTDerivativeList::SetSelected(int index, bool selected)
{
    GetAt(index).m_selected = selected;
}

int KTDerivativeList::DeselectAll()
{
    for (KTDerivativeFunction& record : m_records)
        record.m_selected = false;
    return GetCount();
}

bool KTDerivativeList::UsesName(const CString& name) const
{
    for (const KTDerivativeFunction& record : m_records)
        if (record.UsesName(name))
            return true;
    return false;
}

const KTDerivativeFunction* KTDerivativeList::Selected() const
{
    // A selection left behind by a removal must not throw from a paint or a hover tip.
    if (m_selectedIndex < 0 || m_selectedIndex >= GetCount())
        return nullptr;
    return &m_records[static_cast<std::size_t>(m_selectedIndex)];
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
    if (ar.IsStoring()) {
        ar.WriteBeginTag(kTag, kVersion);
        ar << static_cast<std::uint32_t>(m_records.size());
        for (KTDerivativeFunction& record : m_records)
            record.Serialize(ar);
        ar.WriteEndTag(kTag);
        return;
    }

    KTReadRecordBegin(ar, kTag, kVersion);
    std::uint32_t count = 0;
    ar >> count;
    KTCheckRecordCount(ar, count, KTDerivativeFunction::MinimumArchiveSize());
    KTDerivativeArray loaded;
    loaded.reserve(count);
    KTDerivativeFunction record;
    for (std::uint32_t i = 0; i < count; ++i) {
        record.Serialize(ar);
        loaded.emplace_back() = record;
    }
    KTReadRecordEnd(ar, kTag);
    m_records = std::move(loaded);
    m_selectedIndex = -1;
}
