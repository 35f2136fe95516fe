#include "graph/KTIntegralList.h"

#include "graph/KTRecordTags.h"
#include "platform/KTArchive.h"

namespace {

const KTRegisterRuntimeClass<KTIntegralList> registration("KTIntegralList", 0);

constexpr const char* kTag = "KTIntegralList";
constexpr WORD kVersion = 1;

} // namespace

KTIntegralFunction& KTIntegralList::GetAt(int index)
{
    return m_records.at(static_cast<std::size_t>(index));
}

const KTIntegralFunction& KTIntegralList::GetAt(int index) const
{
    return m_records.at(static_cast<std::size_t>(index));
}

int KTIntegralList::Add(const KTIntegralFunction& record, bool keepOthers)
{
    if (!keepOthers)
        m_records.clear();
    m_records.emplace_back() = record;
    return GetCount() - 1;
}

void KTIntegralList::RemoveAll()
{
    m_records.clear();
    m_selectedIndex = -1;
}

void KTIntegralList::SetGraph(KTAxes* axes)
{
    for (KTIntegralFunction& record : m_records)
        record.m_axes = axes;
}

void KTIntegralList::SetSelected(int index, bool selected)
{
    GetAt(index).m_selected = selected;
}

int KTIntegralList::DeselectAll()
{
    for (KTIntegralFunction& record : m_records)
        record.m_selected = false;
    return GetCount();
}

bool KTIntegralList::UsesName(const CString& name) const
{
    for (const KTIntegralFunction& record : m_records)
        if (record.UsesName(name))
            return true;
    return false;
}

const KTIntegralFunction* KTIntegralList::Selected() const
{
    // A selection left behind by a removal must not throw from a paint or a hover tip.
    if (m_selectedIndex < 0 || m_selectedIndex >= GetCount())
        return nullptr;
    return &m_records[static_cast<std::size_t>(m_selectedIndex)];
}

CString KTIntegralList::SelectedLabel() const
{
    const KTIntegralFunction* record = Selected();
    return record ? record->m_integralText : CString();
}

CString KTIntegralList::SelectedAreaLabel() const
{
    const KTIntegralFunction* record = Selected();
    return record ? record->m_areaText : CString();
}

bool KTIntegralList::SelectedShowsArea() const
{
    const KTIntegralFunction* record = Selected();
    return record && record->m_areaDiffers && record->m_showArea;
}

KTPoint KTIntegralList::SelectedLabelPoint() const
{
    const KTIntegralFunction* record = Selected();
    return record ? record->m_labelPoint : KTPoint();
}

void KTIntegralList::Serialize(KTArchive& ar)
{
    if (ar.IsStoring()) {
        ar.WriteBeginTag(kTag, kVersion);
        ar << static_cast<std::uint32_t>(m_records.size());
        for (KTIntegralFunction& record : m_records)
            record.Serialize(ar);
        ar.WriteEndTag(kTag);
        return;
    }

    KTReadRecordBegin(ar, kTag, kVersion);
    std::uint32_t count = 0;
    ar >> count;
    KTCheckRecordCount(ar, count, KTIntegralFunction::MinimumArchiveSize());
    KTIntegralArray loaded;
    loaded.reserve(count);
    KTIntegralFunction record;
    for (std::uint32_t i = 0; i < count; ++i) {
        record.Serialize(ar);
        loaded.emplace_back() = record;
    }
    KTReadRecordEnd(ar, kTag);
    m_records = std::move(loaded);
    m_selectedIndex = -1;
}
