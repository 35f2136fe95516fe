#include "foundation/KTOptionMarks.h"

#include "platform/KTArchive.h"

namespace {
constexpr const char* kSection = "KTOptionMarks";
constexpr const char* kTag = "KTOptionMarks";
constexpr WORD kVersion = 1;
} // namespace

KTOptionMarks::KTOptionMarks()
{
    SetDefaults();
}

void KTOptionMarks::SetDefaults()
{
    // The last three keys are the same on purpose: stored files carry only "Mark1" and "Mark2".
    static const char* const keys[Count] = {"Mark1", "Mark2", "Mark2", "Mark2"};
    for (int i = 0; i < Count; ++i)
        m_mark[static_cast<std::size_t>(i)].Set(kSection, keys[i], 0, -1, -32768, 32767);
}

void KTOptionMarks::LoadSettings(KTIniFile& store)
{
    for (KTOptionInt& mark : m_mark)
        mark.ReadProfile(store);
}

void KTOptionMarks::SaveSettings(KTIniFile& store, bool /*useDefaults*/)
{
    for (KTOptionInt& mark : m_mark)
        mark.WriteProfile(store, true);
}

void KTOptionMarks::Serialize(KTArchive& ar)
{
    if (ar.IsStoring()) {
        ar.WriteBeginTag(kTag, kVersion);
        for (KTOptionInt& mark : m_mark)
            mark.Serialize(ar);
        ar.WriteEndTag(kTag);
        return;
    }
    WORD version = 0;
    if (!ar.ReadBeginTag(kTag, version) || version < 1)
        return;
    for (KTOptionInt& mark : m_mark)
        mark.Serialize(ar);
    ar.ReadEndTag(kTag);
}
