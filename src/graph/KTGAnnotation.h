#pragma once
// One annotation: a box of up to ten lines (plain text or typeset equations) on the graph, with
// an optional anchor (an arrow, a point or a plain line) pointing from the box to a spot of the
// graph. It stands free or is bound to a marked point (a point of interest, an intersection, a
// tangent, an integral) whose anchor and text the document keeps in step.
//
// Geometry is in the logical units of the drawing (hundredths of a millimetre, y growing
// upwards in the view's metric mapping): the box's first corner (left, top) is fixed and the
// box is recomputed from the text at every drawing, so hit tests use what the last drawing left.

#include "foundation/KTLogBrush.h"
#include "foundation/KTLogFont.h"
#include "foundation/KTLogPen.h"
#include "foundation/KTPoint.h"
#include "foundation/KTVector.h"
#include "graph/KTTipInfo.h"
#include "platform/CString.h"
#include "platform/KTGdiTypes.h"
#include "platform/KTObject.h"

#include <cstddef>
#include <cstdint>

class KTDC;
class KTOptionsAnnotation;
class KTVariableSubstitutions;
struct KTTipContent;

class KTGAnnotation : public KTObject
{
public:
    /// Empty text, the default font, 0.25 pt solid black pens, a solid white box, no anchor, left
    /// justified; gaps 200, corner offset 200, arrow 200, border gap 150, point 20. Flags, binding,
    /// anchor, rectangle, line start and grab values zero.
    KTGAnnotation();
    /// The look of the options: font, pens, brush and the seven numbers, each number forced into
    /// its option's range (the midpoint replaces a value outside). Everything else as the default
    /// constructor leaves it.
    explicit KTGAnnotation(const KTOptionsAnnotation& options);
    /// Copies every member, the selected byte and the y direction included.
    KTGAnnotation(const KTGAnnotation&) = default;
    KTGAnnotation& operator=(const KTGAnnotation&) = default;

    /// Tag "KTGAnnotation", version 1 (the member table's order, with the text position last).
    /// Neither the y direction nor the selected byte is archived; a load keeps this object's.
    /// A wrong tag, version or end tag throws KTExceptionBase, damaged data KTArchiveException;
    /// nothing is kept from a failed read.
    void Serialize(KTArchive& ar) override;
    /// Bytes of the smallest well-formed archive of an annotation.
    static std::size_t MinimumArchiveSize();

    // ---- binding ------------------------------------------------------------------------------
    /// Bound codes of the graph objects that are no point marker (a point's code is its kind).
    static constexpr std::int32_t BoundTangent = 19;
    static constexpr std::int32_t BoundIntegral = 20;
    /// Binds the annotation to what the hover tip shows, so that the document finds it again
    /// after every change: a marked point by its kind (the code), its curve's slot, its index in
    /// its curve's list or in the graph's intersections (id 1) and, for an intersection, the
    /// other curve's slot (id 2, else -1); an integral or a tangent by code 20 or 19 and its
    /// index in its list (id 1). A curve with no marked point under the tip binds nothing to
    /// follow (code 0, ids -1). The anchor is locked when the code is not 0.
    void BindTo(const KTTipContent& content);

    // ---- hit testing and moving (device = logical units of the drawing) ---------------------
    /// Records the grab offset (point minus the box's first corner) and the grab vector (graph
    /// point minus text position) whether or not it hits; true when the point lies in the box
    /// with its corners put in order, right and bottom edges excluded, and the annotation is
    /// not hidden.
    bool HitTestText(int x, int y, const KTPoint& graphPoint);
    /// Text position := graph point minus grab vector; the box keeps its size and its first
    /// corner becomes the point minus the grab offset.
    void MoveText(int x, int y, const KTPoint& graphPoint);
    /// Records the grab offset (point minus anchor); true when its squared length is below limit
    /// and the annotation is not hidden.
    bool HitTestAnchor(int x, int y, double squaredLimit);
    /// The anchor in graph coordinates (used for bound annotations).
    KTPoint GetGraphPoint() const { return m_anchorPosition; }
    /// The graph point the annotation belongs to: its anchor's when it has one (or is bound to a
    /// point), else its box's first corner. When the view no longer holds it, the annotation
    /// is hidden with it.
    KTPoint PlacePoint() const;

    // ---- layout and drawing -------------------------------------------------------------------
    /// Draws anchor, box and lines; equation lines show the substitutions' values. The box is
    /// recomputed first, moved inside keepWithin when one is given (logical units, corners in
    /// order; a box larger than it keeps its first corner in it), and the text's hot rectangle
    /// set to it. A hidden annotation draws nothing.
    void Draw(KTDC& dc, const KTVariableSubstitutions& substitutions, const CRect* keepWithin = nullptr);
    /// The size of all lines: the widest width and the sum of the absolute heights. Plain lines
    /// are measured in the font the caller selected.
    CSize MeasureText(KTDC& dc, const KTVariableSubstitutions& substitutions);
    /// The size of line n: a plain line by the selected font's text extent, an equation line as
    /// typeset; (0, 0) for any other mark.
    CSize MeasureLine(KTDC& dc, int n, const KTVariableSubstitutions& substitutions);
    /// Chooses where the anchor line leaves the box (m_lineStart) from the anchor and the box.
    void LayoutAnchorLine();
    /// LayoutAnchorLine, then the line from its start to the anchor in the selected pen.
    void DrawAnchorLine(KTDC& dc);

    KTTipInfo m_text;
    BYTE m_anchorLocked = 0; ///< the anchor cannot be dragged
    BYTE m_bound = 0;        ///< follows a marked point of the graph
    std::int32_t m_boundCode = 0;
    std::int32_t m_boundFunction = 0;
    std::int32_t m_boundId1 = 0;
    std::int32_t m_boundId2 = 0;
    CString m_bindingText;
    std::int32_t m_sourceValue = 0; ///< copied from the hover tip the annotation was made from
    KTLogFont m_font;
    KTLogPen m_borderPen;
    KTLogPen m_anchorPen;
    KTLogBrush m_boxBrush;
    std::int32_t m_anchorType = 0; ///< KTAnchorType
    std::int32_t m_justify = 0;    ///< KTAnnotationJustify
    KTPoint m_textPosition;        ///< graph coordinates of the box's first corner
    CPoint m_anchor;               ///< logical units
    CRect m_textRect;              ///< logical units; drawing recomputes right and bottom
    KTPoint m_anchorPosition;      ///< graph coordinates of the anchor
    CPoint m_lineStart;            ///< where the anchor line leaves the box, set at drawing
    CSize m_grabOffset;            ///< last hit minus the box's first corner or the anchor
    KTVector m_grabVector;         ///< last text hit minus the text position, graph units
    std::int32_t m_anchorGap = 200;
    std::int32_t m_cornerOffset = 200;
    std::int32_t m_borderGap = 150;
    std::int32_t m_arrowSize = 200;
    std::int32_t m_pointSize = 20;
    double m_yDirection = -1.0; ///< set to -1.0 at every drawing (y grows upwards)
    BYTE m_selected = 0;        ///< drawn with a heavier border on screen; not archived
    /// Its place point is outside the view the document last laid it out in: neither drawn nor
    /// hit. Not archived.
    BYTE m_hidden = 0;
};
