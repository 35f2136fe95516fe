#include "graph/KTGAnnotation.h"

#include "graph/KTNestedRecord.h"
#include "graph/KTOptionsAnnotation.h"
#include "graph/KTRecordTags.h"
#include "graph/KTTipContent.h"
#include "platform/KTArchive.h"

#include <algorithm>
#include <limits>

namespace {

const KTRegisterRuntimeClass<KTGAnnotation> registration("KTGAnnotation", 0);

constexpr const char* kTag = "KTGAnnotation";
constexpr WORD kVersion = 1;

/// A quarter point, in hundredths of a millimetre.
constexpr double kQuarterPoint = 8.819443875;

/// Coordinates come from files and mouse positions; their differences must not overflow.
int Saturate(std::int64_t value)
{
    return static_cast<int>(
        std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

std::int32_t InRange(const KTOptionInt& option)
{
    KTOptionInt copy = option;
    return copy.GetValue();
}

} // namespace

KTGAnnotation::KTGAnnotation()
    : m_borderPen(KTPenKindGeometric, 0x10006, 0, kQuarterPoint),
      m_anchorPen(KTPenKindGeometric, 0x10006, 0, kQuarterPoint),
      m_boxBrush(KTBrushKindNumber, 1, 0xFFFFFF, 0)
{
}

KTGAnnotation::KTGAnnotation(const KTOptionsAnnotation& options) : KTGAnnotation()
{
    m_font = options.m_annotateFont.GetValue();
    m_borderPen = options.m_rectPen.GetValue();
    m_anchorPen = options.m_anchorPen.GetValue();
    m_boxBrush = options.m_rectBrush.GetValue();
    m_anchorType = InRange(options.m_anchorType);
    m_justify = InRange(options.m_justify);
    m_anchorGap = InRange(options.m_anchorGap);
    m_cornerOffset = InRange(options.m_rectCornerOffset);
    m_arrowSize = InRange(options.m_arrowSize);
    m_pointSize = InRange(options.m_pointSize);
    m_borderGap = InRange(options.m_borderGap);
}

void KTGAnnotation::BindTo(const KTTipContent& content)
{
    m_bound = 1;
    m_boundCode = 0;
    m_boundFunction = content.m_item;
    m_boundId1 = -1;
    m_boundId2 = -1;
    if (content.m_markerFlag || content.m_item == KTTipContent::ItemNone) {
        // A stored point's tag is its curve; an intersection's the first of its two curves.
        const KTMarker& marker = content.m_marker;
        m_boundCode = static_cast<std::int32_t>(marker.m_kind);
        m_boundFunction = marker.m_tag;
        m_boundId1 = marker.m_position;
        m_boundId2 = marker.m_kind == KTMarkerIntersection ? marker.m_secondId : -1;
    } else if (content.m_item == KTTipContent::ItemIntegral) {
        m_boundCode = BoundIntegral;
        m_boundId1 = content.m_listIndex;
    } else if (content.m_item == KTTipContent::ItemTangent) {
        m_boundCode = BoundTangent;
        m_boundId1 = content.m_listIndex;
    }
    if (m_boundCode < 0)
        m_boundCode = 0;
    m_anchorLocked = m_boundCode != 0 ? 1 : 0;
}

void KTGAnnotation::Serialize(KTArchive& ar)
{
    if (ar.IsStoring()) {
        ar.WriteBeginTag(kTag, kVersion);
        m_text.Serialize(ar);
        ar << m_anchorLocked << m_bound << m_boundCode << m_boundFunction << m_boundId1 << m_boundId2
           << m_bindingText << m_sourceValue;
        m_font.Serialize(ar);
        m_borderPen.Serialize(ar);
        m_anchorPen.Serialize(ar);
        m_boxBrush.Serialize(ar);
        ar << m_anchorType << m_justify;
        ar << m_anchor.x << m_anchor.y;
        ar << m_textRect.left << m_textRect.top << m_textRect.right << m_textRect.bottom;
        m_anchorPosition.Serialize(ar);
        ar << m_lineStart.x << m_lineStart.y;
        ar << m_grabOffset.cx << m_grabOffset.cy;
        // The grab vector has no archive form: it writes nothing.
        ar << m_anchorGap << m_cornerOffset << m_borderGap << m_arrowSize << m_pointSize;
        m_textPosition.Serialize(ar);
        ar.WriteEndTag(kTag);
        return;
    }

    KTReadRecordBegin(ar, kTag, kVersion);
    KTGAnnotation loaded(*this);
    // The tip record alone skips a block it does not recognise; inside an annotation that
    // would misread everything after it.
    KTSerializeNested(ar, loaded.m_text, "KTTipInfo", 1);
    ar >> loaded.m_anchorLocked >> loaded.m_bound >> loaded.m_boundCode >> loaded.m_boundFunction >>
        loaded.m_boundId1 >> loaded.m_boundId2 >> loaded.m_bindingText >> loaded.m_sourceValue;
    loaded.m_font.Serialize(ar);
    loaded.m_borderPen.Serialize(ar);
    loaded.m_anchorPen.Serialize(ar);
    loaded.m_boxBrush.Serialize(ar);
    ar >> loaded.m_anchorType >> loaded.m_justify;
    ar >> loaded.m_anchor.x >> loaded.m_anchor.y;
    CRect& r = loaded.m_textRect;
    ar >> r.left >> r.top >> r.right >> r.bottom;
    loaded.m_anchorPosition.Serialize(ar);
    ar >> loaded.m_lineStart.x >> loaded.m_lineStart.y;
    ar >> loaded.m_grabOffset.cx >> loaded.m_grabOffset.cy;
    ar >> loaded.m_anchorGap >> loaded.m_cornerOffset >> loaded.m_borderGap >> loaded.m_arrowSize >>
        loaded.m_pointSize;
    loaded.m_textPosition.Serialize(ar);
    KTReadRecordEnd(ar, kTag);
    *this = loaded;
}

std::size_t KTGAnnotation::MinimumArchiveSize()
{
    static const std::size_t size = [] {
        KTGAnnotation smallest;
        KTArchive ar;
        smallest.Serialize(ar);
        return ar.Data().size();
    }();
    return size;
}

bool KTGAnnotation::HitTestText(int x, int y, const KTPoint& graphPoint)
{
    m_grabOffset =
        CSize(Saturate(std::int64_t{x} - m_textRect.left), Saturate(std::int64_t{y} - m_textRect.top));
    m_grabVector = graphPoint.Difference(m_textPosition);
    CRect box = m_textRect;
    box.NormalizeRect();
    return !m_hidden && box.PtInRect(CPoint(x, y));
}

void KTGAnnotation::MoveText(int x, int y, const KTPoint& graphPoint)
{
    m_textPosition = graphPoint - m_grabVector;
    const std::int64_t width = std::int64_t{m_textRect.right} - m_textRect.left;
    const std::int64_t height = std::int64_t{m_textRect.bottom} - m_textRect.top;
    const std::int64_t left = std::int64_t{x} - m_grabOffset.cx;
    const std::int64_t top = std::int64_t{y} - m_grabOffset.cy;
    m_textRect.SetRect(Saturate(left), Saturate(top), Saturate(left + width), Saturate(top + height));
}

bool KTGAnnotation::HitTestAnchor(int x, int y, double squaredLimit)
{
    m_grabOffset = CSize(Saturate(std::int64_t{x} - m_anchor.x), Saturate(std::int64_t{y} - m_anchor.y));
    const double dx = static_cast<double>(x) - m_anchor.x;
    const double dy = static_cast<double>(y) - m_anchor.y;
    return !m_hidden && dx * dx + dy * dy < squaredLimit;
}

KTPoint KTGAnnotation::PlacePoint() const
{
    return m_bound || m_anchorType != KTAnchorNone ? m_anchorPosition : m_textPosition;
}
