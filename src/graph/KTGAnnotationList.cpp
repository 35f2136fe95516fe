#include "graph/KTGAnnotationList.h"

#include "foundation/KTTextSeparators.h"
#include "graph/KTRecordTags.h"
#include "platform/KTArchive.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

const KTRegisterRuntimeClass<KTGAnnotationList> registration("KTGAnnotationList", 0);

constexpr const char* kTag = "KTGAnnotationList";
constexpr WORD kVersion = 1;
/// How an annotation's record begins: its tag's length, then the tag.
constexpr char kRecordStart[] = "\x0DKTGAnnotation";

/// The position of the next annotation record's start at or after `from`, or the end.
std::size_t FindRecordStart(const std::vector<std::uint8_t>& bytes, std::size_t from)
{
    constexpr std::size_t length = sizeof kRecordStart - 1;
    const auto at = std::search(bytes.begin() + static_cast<std::ptrdiff_t>(std::min(from, bytes.size())),
                                bytes.end(), kRecordStart, kRecordStart + length);
    return static_cast<std::size_t>(at - bytes.begin());
}

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

void KTGAnnotationList::ForgetBoundObject(std::int32_t boundCode, int index)
{
    for (KTGAnnotation& annotation : m_annotations) {
        if (!annotation.m_bound || annotation.m_boundCode != boundCode)
            continue;
        if (annotation.m_boundId1 == index) {
            annotation.m_bound = 0;
            annotation.m_boundCode = 0;
            annotation.m_anchorLocked = 0;
        } else if (annotation.m_boundId1 > index) {
            --annotation.m_boundId1;
        }
    }
}

void KTGAnnotationList::TranslateSeparators(const KTTextSeparators& from, const KTTextSeparators& to)
{
    for (KTGAnnotation& annotation : m_annotations) {
        KTTipInfo& text = annotation.m_text;
        for (int i = 0; i < KTTipInfo::MaxLines; ++i)
            if (text.m_marks[static_cast<std::size_t>(i)] == KTTipInfo::MarkEquation)
                text.m_lines[static_cast<std::size_t>(i)] =
                    KTTextSeparators::Translate(text.m_lines[static_cast<std::size_t>(i)], from, to);
    }
}

void KTGAnnotationList::Draw(KTDC& dc, const KTVariableSubstitutions& substitutions, const CRect* keepWithin)
{
    for (KTGAnnotation& annotation : m_annotations)
        annotation.Draw(dc, substitutions, keepWithin);
}

int KTGAnnotationList::LoadReadable(KTArchive& ar)
{
    const std::vector<std::uint8_t>& bytes = ar.Data();
    const std::size_t start = ar.Position();
    std::size_t next = start;
    // The head: a changed letter of the tag leaves its length, version and count readable.
    int stored = -1;
    try {
        CString tag;
        WORD version = 0;
        std::uint32_t count = 0;
        ar >> tag >> version >> count;
        // A cut file keeps its true count though the annotations' bytes are gone; a count far
        // beyond anything the bytes after it could have held is the damage itself.
        const std::size_t room = ar.Remaining() / KTGAnnotation::MinimumArchiveSize();
        if (tag.GetLength() == static_cast<int>(std::strlen(kTag)) && count <= 2 * room + 1) {
            stored = static_cast<int>(count);
            next = ar.Position();
        }
    } catch (...) {
        // A damaged head: the records are looked for from the list's start.
    }

    KTGAnnotationArray kept;
    std::size_t end = start;
    // A failed try may read on to the end of the data (a text whose length was damaged), and a
    // made-up list can start a try every few bytes: once the failed tries have read the rest of
    // the data twice over, the search ends, so that a file is never read over and over.
    std::size_t unread = 2 * (bytes.size() - start);
    for (std::size_t at = FindRecordStart(bytes, next); at < bytes.size();
         at = FindRecordStart(bytes, at + 1)) {
        ar.Seek(at);
        KTGAnnotation annotation;
        try {
            annotation.Serialize(ar);
        } catch (...) {
            const std::size_t read = ar.Position() - at;
            if (read > unread)
                break;
            unread -= read;
            continue; // left out: the next tag is tried
        }
        kept.push_back(annotation);
        // A text inside the record that happens to read like a tag is no record of its own.
        end = ar.Position();
        at = end - 1;
    }
    ar.Seek(end);
    m_annotations = std::move(kept);
    return stored;
}

void KTGAnnotationList::Serialize(KTArchive& ar)
{
    // One default annotation is read into again and again, so a loaded annotation is never
    // selected and draws with the y direction it is given at drawing.
    KTSerializeRecordArray(ar, kTag, kVersion, m_annotations);
}
