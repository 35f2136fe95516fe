#include "foundation/KTOptionDouble.h"

#include "foundation/KTIniFile.h"
#include "platform/KTArchive.h"

void KTOptionDouble::Set(const CString& section, const CString& key, BYTE flag, double defaultValue,
                         double minimum, double maximum)
{
    SetKey(section, key, flag);
    m_value = m_default = m_stored = defaultValue;
    m_minimum = minimum;
    m_maximum = maximum;
}

void KTOptionDouble::ForceIntoRange()
{
    if (m_value < m_minimum || m_value > m_maximum)
        m_value = (m_minimum + m_maximum) * 0.5;
}

double KTOptionDouble::GetValue()
{
    ForceIntoRange();
    return m_value;
}

bool KTOptionDouble::ReadProfile(KTIniFile& store)
{
    const CString text = store.GetValue(m_section, m_key);
    m_value = text.IsEmpty() ? m_default : KTStrToDoubleC(text);
    ForceIntoRange();
    m_stored = m_value;
    return true;
}

bool KTOptionDouble::WriteProfile(KTIniFile& store, bool useDefault)
{
    ForceIntoRange();
    CString text;
    text.Format("%f", useDefault ? m_default : m_value);
    store.SetValue(m_section, m_key, text, true);
    m_stored = m_value;
    return true;
}

void KTOptionDouble::Serialize(KTArchive& ar)
{
    if (ar.IsStoring())
        ar << m_value;
    else
        ar >> m_value;
}
