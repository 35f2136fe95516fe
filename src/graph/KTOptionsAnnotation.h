#pragma once
// The default look of a new annotation: font, border and anchor pens, box fill, anchor kind,
// text justification and five sizes in logical units (hundredths of a millimetre). Settings
// section "Annotation"; archived as part of a graph's options.

#include "foundation/KTOptionInt.h"
#include "foundation/KTOptionKTLogBrush.h"
#include "foundation/KTOptionKTLogFont.h"
#include "foundation/KTOptionKTLogPen.h"
#include "platform/KTGdiTypes.h"
#include "platform/KTObject.h"

class KTIniFile;
class KTOptionStore;

/// How an annotation points at its anchor.
enum KTAnchorType : int {
    KTAnchorNone = 0,
    KTAnchorArrow = 1,
    KTAnchorPoint = 2,
    KTAnchorLine = 3,
};

/// How an annotation's lines are aligned in its box.
enum KTAnnotationJustify : int {
    KTJustifyLeft = 0,
    KTJustifyCentre = 1,
    KTJustifyRight = 2,
};

class KTOptionsAnnotation : public KTObject
{
public:
    /// Builds the options and defines them (SetDefaults).
    KTOptionsAnnotation();
    /// Copies the eleven options; the copy's m_bDefaultsChanged starts clear.
    KTOptionsAnnotation(const KTOptionsAnnotation& other);
    /// Copies the eleven options whole (value, default, stored copy, range, flag, key, section);
    /// the target's m_bDefaultsChanged stays as it was.
    KTOptionsAnnotation& operator=(const KTOptionsAnnotation& other);

    /// Defines every option with its key, default and range (flag 0) and clears
    /// m_bDefaultsChanged.
    void SetDefaults();
    /// Reloads the store's file, then reads the eleven options in member order.
    void LoadSettings(KTOptionStore& store);
    /// Writes the eleven options in member order (each default when writeDefaults is set); the
    /// caller saves the file.
    void SaveSettings(KTIniFile& store, bool writeDefaults);
    /// Tag "KTOptionsAnnotation", version 1: font, rectangle pen, anchor pen, brush records,
    /// then AnchorType, Justify, AnchorGap, RectCornerOffset, ArrowSize, PointSize and BorderGap
    /// as int32. A wrong tag, version or end tag throws KTExceptionBase; nothing is kept from a
    /// failed read.
    void Serialize(KTArchive& ar) override;

    KTOptionKTLogFont m_annotateFont;
    KTOptionKTLogPen m_rectPen;
    KTOptionKTLogPen m_anchorPen;
    KTOptionKTLogBrush m_rectBrush;
    KTOptionInt m_anchorType;       ///< KTAnchorType, 0..3
    KTOptionInt m_justify;          ///< KTAnnotationJustify, 0..2
    KTOptionInt m_anchorGap;        ///< box to the start of the anchor line, 0..500
    KTOptionInt m_rectCornerOffset; ///< how far from a box corner the anchor line attaches, 0..500
    KTOptionInt m_arrowSize;        ///< 0..500
    KTOptionInt m_pointSize;        ///< 0..100
    KTOptionInt m_borderGap;        ///< box border to text, 0..500
    /// "Set As Default" was pressed in the edit dialog; never stored, archived or assigned.
    BYTE m_bDefaultsChanged = 0;

private:
    void CopyOptions(const KTOptionsAnnotation& other);
    void SerializeValues(KTArchive& ar);
};
