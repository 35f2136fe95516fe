#include "graph/KTAnnotationEditFields.h"

#include "foundation/KTLogBrush.h"
#include "foundation/KTLogFont.h"
#include "foundation/KTLogPen.h"
#include "foundation/KTNumberFormat.h"
#include "foundation/RoundHalfUp.h"
#include "graph/KTGAnnotation.h"
#include "graph/KTOptionGraph3.h"
#include "graph/KTOptionsAnnotation.h"
#include "graph/KTTipInfo.h"

#include <cmath>

namespace {

constexpr const char* kLetters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";

void SetPen(KTLogPen& pen, const CString& weightText, int style, COLORREF colour)
{
    pen.Set(KTAnnotationEditFields::ReadWeight(weightText), style, colour);
}

} // namespace

bool KTAnnotationEditFields::IsPlaceholder(const CString& line, const CString& placeholder)
{
    // The user may have changed the placeholder in the Messages dialog, or the note may have
    // been made under another language: each is a placeholder nobody typed.
    return (!placeholder.IsEmpty() && line == placeholder) || line == PlaceholderLine ||
           KTOptionGraph3::IsDefaultRightClickText(line);
}

KTAnnotationEditFields KTAnnotationEditFields::FromAnnotation(const KTGAnnotation& annotation, bool expanded,
                                                              const CString& placeholder)
{
    KTAnnotationEditFields fields;
    for (int n = 0; n < LineCount; ++n) {
        CString line = annotation.m_text.LineText(n);
        if (line == " " || (n == 0 && IsPlaceholder(line, placeholder)))
            line.Empty();
        fields.m_lines[static_cast<std::size_t>(n)] = line;
        fields.m_equation[static_cast<std::size_t>(n)] =
            annotation.m_text.LineValue(n) == KTTipInfo::MarkEquation ? 1 : 0;
    }
    fields.m_faceName = annotation.m_font.GetFaceName();
    fields.m_sizeText = SizeText(annotation.m_font.m_size);
    fields.m_fontColour = annotation.m_font.m_color;
    fields.m_anchorWeightText = WeightText(annotation.m_anchorPen.m_width);
    fields.m_borderWeightText = WeightText(annotation.m_borderPen.m_width);
    fields.m_anchorStyle = annotation.m_anchorPen.StyleNumber();
    fields.m_borderStyle = annotation.m_borderPen.StyleNumber();
    fields.m_anchorColour = annotation.m_anchorPen.m_color;
    fields.m_borderColour = annotation.m_borderPen.m_color;
    fields.m_shadingColour = annotation.m_boxBrush.m_color;
    fields.m_anchorType = annotation.m_anchorType;
    fields.m_justify = annotation.m_justify;
    fields.m_expanded = expanded ? 1 : 0;
    return fields;
}

std::array<CString, KTAnnotationEditFields::LineCount> KTAnnotationEditFields::KeptLines() const
{
    std::array<CString, LineCount> lines = m_lines;
    // The text record drops empty lines, so a blank row between two filled ones would close up.
    bool filledBelow = false;
    for (int n = LineCount - 1; n >= 0; --n) {
        CString& line = lines[static_cast<std::size_t>(n)];
        if (line.IsEmpty()) {
            if (filledBelow)
                line = " ";
        } else {
            filledBelow = true;
        }
    }
    return lines;
}

void KTAnnotationEditFields::ApplyTo(KTGAnnotation& annotation) const
{
    const std::array<CString, LineCount> lines = KeptLines();
    KTTipInfo& text = annotation.m_text;
    const CRect hotRect = text.m_hotRect;
    text = KTTipInfo();
    text.m_hotRect = hotRect;
    for (int n = 0; n < LineCount; ++n)
        text.AddLine(lines[static_cast<std::size_t>(n)],
                     m_equation[static_cast<std::size_t>(n)] ? KTTipInfo::MarkEquation : KTTipInfo::MarkText);

    annotation.m_anchorType = m_anchorType;
    annotation.m_justify = m_justify;
    // What still reads as it was shown is kept as stored: a size between whole points, a face
    // spelled in another case.
    if (m_faceName.CompareNoCase(annotation.m_font.GetFaceName()) != 0)
        annotation.m_font.SetFaceName(m_faceName);
    const int size = ReadSize(m_sizeText);
    if (size > 0 && m_sizeText != SizeText(annotation.m_font.m_size))
        annotation.m_font.m_size = size;
    annotation.m_font.m_color = m_fontColour;
    SetPen(annotation.m_anchorPen, m_anchorWeightText, m_anchorStyle, m_anchorColour);
    SetPen(annotation.m_borderPen, m_borderWeightText, m_borderStyle, m_borderColour);
    annotation.m_boxBrush.m_color = m_shadingColour;
}

void KTAnnotationEditFields::ApplyToDefaults(KTOptionsAnnotation& defaults) const
{
    KTLogFont font;
    font.SetFaceName(m_faceName);
    const int size = ReadSize(m_sizeText);
    if (size > 0)
        font.m_size = size;
    font.m_color = m_fontColour;
    defaults.m_annotateFont.m_value = font;
    SetPen(defaults.m_anchorPen.m_value, m_anchorWeightText, m_anchorStyle, m_anchorColour);
    SetPen(defaults.m_rectPen.m_value, m_borderWeightText, m_borderStyle, m_borderColour);
    defaults.m_rectBrush.m_value = KTLogBrush(KTBrushKindNumber, 1, m_shadingColour, 0);
    defaults.m_bDefaultsChanged = 1;
}

CString KTAnnotationEditFields::WeightText(double width)
{
    KTNumberFormat format;
    format.m_nDigits = 6;
    format.m_bStripZeros = true;
    const double points = std::floor(width * 0.11338583409262867 + 0.5) * 0.25;
    return format.Format(points) + "pt";
}

double KTAnnotationEditFields::ReadWeight(const CString& text)
{
    CString number = text;
    number.TrimRight(kLetters);
    const double points = KTNumberText().ToDouble(number);
    // A weight that is no number would make a pen no device can draw.
    if (!std::isfinite(points) || points < 0.0 || points >= 1.0e6)
        return 0.0;
    return points;
}

CString KTAnnotationEditFields::SizeText(int size)
{
    return KTNumberFormat().FormatValue(RoundHalfUp(size * PointsPerUnit), 6);
}

int KTAnnotationEditFields::ReadSize(const CString& text)
{
    const double points = KTNumberFormat().ToDoubleFromString(text);
    // Outside this range the size would not fit the record (or show nothing at all).
    if (!std::isfinite(points) || points <= 0.0 || points > MaxFontPoints)
        return -1;
    return static_cast<int>(std::trunc(points * UnitsPerPoint));
}
