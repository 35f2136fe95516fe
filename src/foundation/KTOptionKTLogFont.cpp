#include "foundation/KTOptionKTLogFont.h"

#include "foundation/KTIniFile.h"
#include "platform/KTArchive.h"

namespace {

const KTRegisterRuntimeClass<KTOptionKTLogFont> registerOption("KTOptionKTLogFont", 1);

} // namespace

void KTOptionKTLogFont::Set(const CString& section, const CString& key, BYTE flag, const KTLogFont& record)
{
    m_section = section;
    m_key = key;
    m_flag = flag;
    m_value = record;
    m_default = record;
}

bool KTOptionKTLogFont::ReadProfile(KTIniFile& store)
{
    const CString text = store.GetValue(m_section, m_key);
    if (text.IsEmpty())
        m_value = m_default;
    else
        m_value.FromProfileText(text);
    return true;
}

bool KTOptionKTLogFont::WriteProfile(KTIniFile& store, bool useDefault)
{
    store.SetValue(m_section, m_key, (useDefault ? m_default : m_value).ToProfileText(), true);
    return true;
}

void KTOptionKTLogFont::Serialize(KTArchive& ar)
{
    m_value.Serialize(ar);
}
