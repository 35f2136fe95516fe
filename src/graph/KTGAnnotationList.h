#pragma once
// The document's annotations in drawing order: the last one is drawn on top and is the first
// that hit tests find. An index outside 0..count-1 is a caller error and throws
// std::out_of_range (callers pass only indices that the hit tests returned).

#include "graph/KTGAnnotation.h"
#include "platform/KTObject.h"

#include <cstdint>
#include <functional>
#include <vector>

struct KTAnnotationEditFields;
class KTDC;
class KTOptionsAnnotation;
class KTVariableSubstitutions;
struct KTTextSeparators;

using KTGAnnotationArray = std::vector<KTGAnnotation>;

class KTGAnnotationList : public KTObject
{
public:
    /// Squared distance (logical units) within which a click takes an anchor: 200 units.
    static constexpr double kAnchorHitLimit = 40000.0;

    KTGAnnotationList() = default;

    int GetCount() const { return static_cast<int>(m_annotations.size()); }
    KTGAnnotation& GetAt(int index);
    const KTGAnnotation& GetAt(int index) const;

    /// Appends a copy; returns its index.
    int Add(const KTGAnnotation& annotation);
    /// Removes and destroys the annotation; -1 does nothing.
    void RemoveAt(int index);
    void RemoveAll() { m_annotations.clear(); }

    /// The last annotation whose box holds the point (each one tried records its grab values),
    /// or -1.
    int HitTestText(int x, int y, const KTPoint& graphPoint);
    /// The last annotation whose anchor lies within 200 units of the point, or -1.
    int HitTestAnchor(int x, int y);
    /// Moves the box of the annotation (KTGAnnotation::MoveText).
    void MoveText(int index, int x, int y, const KTPoint& graphPoint);
    /// Unless its anchor is locked, puts the anchor at the point minus the grab offset; the
    /// anchor's graph position is not changed.
    void MoveAnchor(int index, int x, int y);
    void SetSelected(int index, bool selected);
    void DeselectAll();
    /// The integral or tangent (bound code 20 or 19) at index left its list: the annotations
    /// bound to it stand free where they are, with their text and an anchor that can be moved,
    /// and those bound to later ones follow them down one place.
    void ForgetBoundObject(std::int32_t boundCode, int index);

    /// Runs the edit dialog on the fields of one annotation (with the application's defaults for
    /// its "Set As Default"); true after OK. Installed by the program; none means no dialog.
    using EditHook = std::function<bool(KTAnnotationEditFields&, KTOptionsAnnotation&)>;
    /// Replaces the hook, returning the previous one.
    static EditHook SetEditHook(EditHook hook);
    /// Edits a copy of the annotation in the dialog; after OK the copy replaces it and the
    /// dialog's expanded state is kept. The defaults' changed byte is cleared first. A first
    /// line that is a new annotation's placeholder (`placeholder`, the text the view writes
    /// now, or a language's default) shows as an empty row. False, with nothing changed, for
    /// any other end or without a hook; throws std::out_of_range for an index outside the list.
    bool EditAt(int index, KTOptionsAnnotation& defaults, const CString& placeholder = CString());

    /// Rewrites the equation lines written with `from` as `to` writes them (KTTextSeparators);
    /// plain lines are the user's words and stay as they are.
    void TranslateSeparators(const KTTextSeparators& from, const KTTextSeparators& to);

    /// Draws every annotation in list order, the last on top, each box kept inside keepWithin
    /// when one is given (KTGAnnotation::Draw).
    void Draw(KTDC& dc, const KTVariableSubstitutions& substitutions, const CRect* keepWithin = nullptr);

    /// Tag "KTGAnnotationList", version 1, a uint32 count, then each annotation tagged. A wrong
    /// tag, version or end tag throws KTExceptionBase, a count the data cannot hold or damaged
    /// data KTArchiveException; the list is unchanged by a failed read. Loaded annotations are
    /// not selected.
    void Serialize(KTArchive& ar) override;
    /// For a list that Serialize refused (a damaged tag, count or annotation, or bytes cut
    /// short): replaces the list with every annotation whose own tagged record still reads
    /// whole, in file order, from the archive's position on; a damaged annotation is stepped
    /// over to the next one's tag, until the failed tries have read twice the bytes after the
    /// list's start (the time stays linear in the data). The archive ends at the last annotation
    /// read. Returns how many annotations the list's head says it holds, or -1 when the head
    /// is unreadable. Never throws.
    int LoadReadable(KTArchive& ar);

    KTGAnnotationArray m_annotations;
    /// The edit dialog was last left expanded; kept for the document's session, not archived.
    std::int32_t m_bEditExpanded = 0;
};
