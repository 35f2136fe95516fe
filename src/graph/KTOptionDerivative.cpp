#include "graph/KTOptionDerivative.h"

#include "foundation/KTOptionStore.h"
#include "graph/KTRecordTags.h"
#include "platform/KTArchive.h"

namespace {

const KTRegisterRuntimeClass<KTOptionDerivative> registration("KTOptionDerivative", 0);

constexpr const char* kTag = "KTOptionDerivative";
constexpr WORD kVersion = 1;

} // namespace

KTOptionDerivative::KTOptionDerivative()
{
    SetDefaults();
}

void KTOptionDerivative::SetDefaults()
{
    m_pen.Set("Derivative", "Pen", 0, KTLogPen(KTPenKindGeometric, 0x10006, RGB(255, 0, 0), 8.819443875));
}

void KTOptionDerivative::LoadSettings(KTOptionStore& store)
{
    store.Load();
    m_pen.ReadProfile(store);
}

void KTOptionDerivative::SaveSettings(KTIniFile& store, bool writeDefaults)
{
    m_pen.WriteProfile(store, writeDefaults);
}

void KTOptionDerivative::Serialize(KTArchive& ar)
{
    if (ar.IsStoring()) {
        ar.WriteBeginTag(kTag, kVersion);
        m_pen.Serialize(ar);
        ar.WriteEndTag(kTag);
        return;
    }
    KTReadRecordBegin(ar, kTag, kVersion);
    KTOptionKTLogPen pen(m_pen);
    pen.Serialize(ar);
    KTReadRecordEnd(ar, kTag);
    m_pen = pen;
}
