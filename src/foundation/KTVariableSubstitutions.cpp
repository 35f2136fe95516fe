#include "foundation/KTVariableSubstitutions.h"

#include "foundation/KTSentinelValues.h"
#include "platform/KTArchive.h"

#include <algorithm>

namespace {

KTRegisterRuntimeClass<KTVariableSubstitutions> registration("KTVariableSubstitutions", 1);

constexpr WORD kSchema = 1;

} // namespace

void KTVariableSubstitutions::Add(const CString& name, double value)
{
    if (m_nCount >= kMaxEntries)
        return;
    m_names[m_nCount] = name;
    m_values[m_nCount] = value;
    ++m_nCount;
}

double KTVariableSubstitutions::GetValue(const CString& name) const
{
    for (int i = 0; i < m_nCount; ++i)
        if (m_names[i] == name)
            return m_values[i];
    return KTUndefinedValue;
}

bool KTVariableSubstitutions::HasName(const CString& name) const
{
    for (int i = 0; i < m_nCount; ++i)
        if (m_names[i] == name)
            return true;
    return false;
}

void KTVariableSubstitutions::Clear()
{
    m_nCount = 0;
    m_nMode = 0;
    m_bFlag1 = false;
    m_bFlag2 = false;
}

const CString& KTVariableSubstitutions::GetName(int index) const
{
    static const CString none;
    return index >= 0 && index < m_nCount ? m_names[index] : none;
}

double KTVariableSubstitutions::GetValueAt(int index) const
{
    return index >= 0 && index < m_nCount ? m_values[index] : KTUndefinedValue;
}

void KTVariableSubstitutions::Serialize(KTArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kSchema << m_nCount << m_bFlag1 << m_bFlag2;
        for (int i = 0; i < kMaxEntries; ++i)
            ar << m_names[i] << m_values[i] << m_inUse[i];
        return;
    }

    WORD schema = 0;
    ar >> schema;
    if (schema == 0)
        return;
    // Read into a copy so that a short archive leaves the table as it was.
    KTVariableSubstitutions loaded(*this);
    ar >> loaded.m_nCount >> loaded.m_bFlag1 >> loaded.m_bFlag2;
    for (int i = 0; i < kMaxEntries; ++i)
        ar >> loaded.m_names[i] >> loaded.m_values[i] >> loaded.m_inUse[i];
    // The count indexes fixed arrays: a damaged archive must not send lookups past them.
    loaded.m_nCount = std::clamp(loaded.m_nCount, 0, kMaxEntries);
    *this = loaded;
}
