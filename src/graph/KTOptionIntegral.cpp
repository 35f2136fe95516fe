#include "graph/KTOptionIntegral.h"

#include "foundation/KTOptionStore.h"
#include "graph/KTRecordTags.h"
#include "platform/KTArchive.h"

namespace {

const KTRegisterRuntimeClass<KTOptionIntegral> registration("KTOptionIntegral", 0);

constexpr const char* kTag = "KTOptionIntegral";
constexpr const char* kSection = "Integral";
constexpr WORD kVersion = 1;

} // namespace

KTOptionIntegral::KTOptionIntegral()
{
    SetDefaults();
}

void KTOptionIntegral::SetDefaults()
{
    m_brush.Set(kSection, "Brush", 0, KTLogBrush(KTBrushKindNumber, 1, 0xC8C8C8, 0));
    m_showArea.Set(kSection, "ShowArea", 0, 1);
}

void KTOptionIntegral::LoadSettings(KTOptionStore& store)
{
    store.Load();
    m_brush.ReadProfile(store);
    m_showArea.ReadProfile(store);
}

void KTOptionIntegral::SaveSettings(KTIniFile& store, bool writeDefaults)
{
    m_brush.WriteProfile(store, writeDefaults);
    m_showArea.WriteProfile(store, writeDefaults);
}

void KTOptionIntegral::Serialize(KTArchive& ar)
{
    if (ar.IsStoring()) {
        ar.WriteBeginTag(kTag, kVersion);
        m_brush.Serialize(ar);
        m_showArea.Serialize(ar);
        ar.WriteEndTag(kTag);
        return;
    }
    KTReadRecordBegin(ar, kTag, kVersion);
    KTOptionIntegral loaded(*this);
    loaded.m_brush.Serialize(ar);
    loaded.m_showArea.Serialize(ar);
    KTReadRecordEnd(ar, kTag);
    *this = loaded;
}
