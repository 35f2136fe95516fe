#include "graph/KTIntegralList.h"

namespace {

const KTRegisterRuntimeClass<KTIntegralList> registration("KTIntegralList", 0);

constexpr const char* kTag = "KTIntegralList";
constexpr WORD kVersion = 1;

} // namespace

int KTIntegralList::Add(const KTIntegralFunction& record, bool keepOthers)
{
    if (!keepOthers)
        m_records.clear();
    return Append(record);
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
    SerializeRecords(ar, kTag, kVersion);
}
