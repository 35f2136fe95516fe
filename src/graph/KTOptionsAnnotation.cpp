#include "graph/KTOptionsAnnotation.h"

#include "foundation/KTOptionStore.h"
#include "graph/KTRecordTags.h"
#include "platform/KTArchive.h"

namespace {

const KTRegisterRuntimeClass<KTOptionsAnnotation> registration("KTOptionsAnnotation", 0);

constexpr const char* kTag = "KTOptionsAnnotation";
constexpr const char* kSection = "Annotation";
constexpr WORD kVersion = 1;

/// A quarter point, in hundredths of a millimetre.
constexpr double kQuarterPoint = 8.819443875;

} // namespace

KTOptionsAnnotation::KTOptionsAnnotation()
{
    SetDefaults();
}

KTOptionsAnnotation::KTOptionsAnnotation(const KTOptionsAnnotation& other) : KTObject(other)
{
    CopyOptions(other);
}

KTOptionsAnnotation& KTOptionsAnnotation::operator=(const KTOptionsAnnotation& other)
{
    if (this != &other)
        CopyOptions(other);
    return *this;
}

void KTOptionsAnnotation::CopyOptions(const KTOptionsAnnotation& other)
{
    m_annotateFont = other.m_annotateFont;
    m_rectPen = other.m_rectPen;
    m_anchorPen = other.m_anchorPen;
    m_rectBrush = other.m_rectBrush;
    m_anchorType = other.m_anchorType;
    m_justify = other.m_justify;
    m_anchorGap = other.m_anchorGap;
    m_rectCornerOffset = other.m_rectCornerOffset;
    m_arrowSize = other.m_arrowSize;
    m_pointSize = other.m_pointSize;
    m_borderGap = other.m_borderGap;
}

void KTOptionsAnnotation::SetDefaults()
{
    const KTLogPen pen(KTPenKindGeometric, 0x10006, 0, kQuarterPoint);
    m_annotateFont.Set(kSection, "AnnotateFont", 0, KTLogFont());
    m_rectPen.Set(kSection, "RectPen", 0, pen);
    m_anchorPen.Set(kSection, "AnchorPen", 0, pen);
    m_rectBrush.Set(kSection, "RectBrush", 0, KTLogBrush(KTBrushKindNumber, 1, 0xFFFFFF, 0));
    m_anchorType.Set(kSection, "AnchorType", 0, KTAnchorNone, 0, 3);
    m_justify.Set(kSection, "Justify", 0, KTJustifyLeft, 0, 2);
    m_anchorGap.Set(kSection, "AnchorGap", 0, 150, 0, 500);
    m_rectCornerOffset.Set(kSection, "RectCornerOffset", 0, 150, 0, 500);
    m_arrowSize.Set(kSection, "ArrowSize", 0, 150, 0, 500);
    m_pointSize.Set(kSection, "PointSize", 0, 30, 0, 100);
    m_borderGap.Set(kSection, "BorderGap", 0, 150, 0, 500);
    m_bDefaultsChanged = 0;
}

void KTOptionsAnnotation::LoadSettings(KTOptionStore& store)
{
    store.Load();
    m_annotateFont.ReadProfile(store);
    m_rectPen.ReadProfile(store);
    m_anchorPen.ReadProfile(store);
    m_rectBrush.ReadProfile(store);
    m_anchorType.ReadProfile(store);
    m_justify.ReadProfile(store);
    m_anchorGap.ReadProfile(store);
    m_rectCornerOffset.ReadProfile(store);
    m_arrowSize.ReadProfile(store);
    m_pointSize.ReadProfile(store);
    m_borderGap.ReadProfile(store);
}

void KTOptionsAnnotation::SaveSettings(KTIniFile& store, bool writeDefaults)
{
    m_annotateFont.WriteProfile(store, writeDefaults);
    m_rectPen.WriteProfile(store, writeDefaults);
    m_anchorPen.WriteProfile(store, writeDefaults);
    m_rectBrush.WriteProfile(store, writeDefaults);
    m_anchorType.WriteProfile(store, writeDefaults);
    m_justify.WriteProfile(store, writeDefaults);
    m_anchorGap.WriteProfile(store, writeDefaults);
    m_rectCornerOffset.WriteProfile(store, writeDefaults);
    m_arrowSize.WriteProfile(store, writeDefaults);
    m_pointSize.WriteProfile(store, writeDefaults);
    m_borderGap.WriteProfile(store, writeDefaults);
}

void KTOptionsAnnotation::SerializeValues(KTArchive& ar)
{
    m_annotateFont.Serialize(ar);
    m_rectPen.Serialize(ar);
    m_anchorPen.Serialize(ar);
    m_rectBrush.Serialize(ar);
    m_anchorType.Serialize(ar);
    m_justify.Serialize(ar);
    m_anchorGap.Serialize(ar);
    m_rectCornerOffset.Serialize(ar);
    m_arrowSize.Serialize(ar);
    m_pointSize.Serialize(ar);
    m_borderGap.Serialize(ar);
}

void KTOptionsAnnotation::Serialize(KTArchive& ar)
{
    if (ar.IsStoring()) {
        ar.WriteBeginTag(kTag, kVersion);
        SerializeValues(ar);
        ar.WriteEndTag(kTag);
        return;
    }
    KTReadRecordBegin(ar, kTag, kVersion);
    KTOptionsAnnotation loaded(*this);
    loaded.SerializeValues(ar);
    KTReadRecordEnd(ar, kTag);
    CopyOptions(loaded);
}
