#pragma once
// What the annotation edit dialog shows and edits of one annotation, in the dialog's own terms:
// ten line texts with their equation ticks, the anchor type and justification, the font as a
// face name, a size text in points and a colour, and each pen as a weight text ("1.5pt"), a
// line-style picker number and a colour. The graph model fills it from an annotation and takes
// it back after OK; the dialog (above the model) only moves it to and from its controls.

#include "platform/CString.h"
#include "platform/KTGdiTypes.h"

#include <array>

class KTGAnnotation;
class KTLogPen;
class KTOptionsAnnotation;

struct KTAnnotationEditFields
{
    static constexpr int LineCount = 10;
    /// The placeholder spelt with a capital "To", which a note may carry; shown as an empty row
    /// like the placeholders the view writes.
    static constexpr const char* PlaceholderLine = "Right Click To Edit";
    /// Points per hundredth of a millimetre, and back, as the dialog converts font sizes.
    static constexpr double PointsPerUnit = 0.02834645669353835;
    static constexpr double UnitsPerPoint = 35.2777777777;
    /// Largest font size a size text may give, points; a larger or non-positive size keeps the
    /// annotation's previous size.
    static constexpr double MaxFontPoints = 1638.0;

    std::array<CString, LineCount> m_lines{};
    std::array<int, LineCount> m_equation{}; ///< 1: the row is a typeset equation
    int m_anchorType = 0;                    ///< KTAnchorType
    int m_justify = 0;                       ///< KTAnnotationJustify
    CString m_faceName;
    CString m_sizeText; ///< points
    COLORREF m_fontColour = 0;
    COLORREF m_shadingColour = 0;
    COLORREF m_borderColour = 0;
    COLORREF m_anchorColour = 0;
    CString m_anchorWeightText; ///< points with "pt" appended
    CString m_borderWeightText;
    int m_anchorStyle = 13; ///< KTLineStyleItem
    int m_borderStyle = 13;
    BYTE m_expanded = 0;

    /// The fields of an annotation: a line " " and a first line that is a new annotation's
    /// placeholder show empty, sizes and weights as texts, pen styles as picker numbers.
    /// `placeholder` is the text the view writes into a new annotation now ("MsgRightClick");
    /// the default placeholder of every language and PlaceholderLine count as well.
    static KTAnnotationEditFields FromAnnotation(const KTGAnnotation& annotation, bool expanded,
                                                 const CString& placeholder = CString());
    /// Whether a first line is a new annotation's placeholder (as FromAnnotation decides).
    static bool IsPlaceholder(const CString& line, const CString& placeholder);
    /// Writes the edited fields into the annotation: empty lines before a filled one keep their
    /// row as " ", trailing empty lines go, the font keeps its other fields.
    void ApplyTo(KTGAnnotation& annotation) const;
    /// "Set As Default": the font (the default font with this face, size and colour), both pens
    /// and a solid box brush of the shading colour; marks the defaults changed. Anchor type,
    /// justification and the sizes of the options are not touched.
    void ApplyToDefaults(KTOptionsAnnotation& defaults) const;

    /// The lines as ApplyTo stores them: every empty line before a non-empty one becomes " ".
    std::array<CString, LineCount> KeptLines() const;

    /// A pen width (hundredths of a millimetre) in points rounded to a quarter point, "pt"
    /// appended: 35.28 gives "1pt".
    static CString WeightText(double width);
    /// The points of a weight text with its trailing letters removed; a text that does not
    /// read as a finite number of points of at least 0 gives 0.
    static double ReadWeight(const CString& text);
    /// The size text of a font size in hundredths of a millimetre (points, rounded half up).
    static CString SizeText(int size);
    /// The font size (hundredths of a millimetre, truncated) of a size text in points; -1 when
    /// the text gives no size above 0 and up to MaxFontPoints.
    static int ReadSize(const CString& text);
};
