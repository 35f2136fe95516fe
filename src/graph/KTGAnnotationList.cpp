#include "graph/KTGAnnotationList.h"

#include "graph/KTRecordTags.h"
#include "platform/KTArchive.h"

#include <algorithm>
#include <cstdint>

namespace {

const KTRegisterRuntimeClass<KTGAnnotationList> registration("KTGAnnotationList", 0);

constexpr const char* kTag = "KTGAnnotationList";
constexpr WORD kVersion = 1;

} // namespace

KTGAnnotation& KTGAnnotationList::GetAt(int index)
{
    return m_annotations.at(static_cast<std::size_t>(index));
}

const KTGAnnotation& KTGAnnotationList::GetAt(int index) const
{
    return m_annotations.at(static_cast<std::size_t>(index));
}

int KTGAnnotationList::Add(const KTGAnnotation& annotation)
{
    m_annotations.push_back(annotation);
    return GetCount() - 1;
}

void KTGAnnotationList::RemoveAt(int index)
{
    if (index == -1)
        return;
    GetAt(index); // range check
    m_annotations.erase(m_annotations.begin() + index);
}

int KTGAnnotationList::HitTestText(int x, int y, const KTPoint& graphPoint)
{
    for (int i = GetCount() - 1; i >= 0; --i)
        if (m_annotations[static_cast<std::size_t>(i)].HitTestText(x, y, graphPoint))
            return i;
    return -1;
}

int KTGAnnotationList::HitTestAnchor(int x, int y)
{
    for (int i = GetCount() - 1; i >= 0; --i)
        if (m_annotations[static_cast<std::size_t>(i)].HitTestAnchor(x, y, kAnchorHitLimit))
            return i;
    return -1;
}

void KTGAnnotationList::MoveText(int index, int x, int y, const KTPoint& graphPoint)
{
    GetAt(index).MoveText(x, y, graphPoint);
}

void KTGAnnotationList::MoveAnchor(int index, int x, int y)
{
    KTGAnnotation& annotation = GetAt(index);
    if (annotation.m_anchorLocked)
        return;
    const std::int64_t ax = std::int64_t{x} - annotation.m_grabOffset.cx;
    const std::int64_t ay = std::int64_t{y} - annotation.m_grabOffset.cy;
    const auto clamp = [](std::int64_t v) {
        return static_cast<int>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
    };
    annotation.m_anchor = CPoint(clamp(ax), clamp(ay));
}

void KTGAnnotationList::SetSelected(int index, bool selected)
{
    GetAt(index).m_selected = selected ? 1 : 0;
}

void KTGAnnotationList::DeselectAll()
{
    for (KTGAnnotation& annotation : m_annotations)
        annotation.m_selected = 0;
}

void KTGAnnotationList::Draw(KTDC& dc, const KTVariableSubstitutions& substitutions, const CRect* keepWithin)
{
    for (KTGAnnotation& annotation : m_annotations)
        annotation.Draw(dc, substitutions, keepWithin);
}

void KTGAnnotationList::Serialize(KTArchive& ar)
{
    // One default annotation is read into again and again, so a loaded annotation is never
    // selected and draws with the y direction it is given at drawing.
    KTSerializeRecordArray(ar, kTag, kVersion, m_annotations);
}
