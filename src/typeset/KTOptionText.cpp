#include "typeset/KTOptionText.h"

#include "platform/KTArchive.h"

void KTOptionText::Set(const CString& section, const CString& key, BYTE flag, char ch)
{
    SetKey(section, key, flag);
    m_value = ch ? CString(ch) : CString();
    m_default = m_value;
    m_stored = m_value;
}

void KTOptionText::Serialize(KTArchive& ar)
{
    if (ar.IsStoring())
        ar << m_value;
    else
        ar >> m_value;
}
