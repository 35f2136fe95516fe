#pragma once
// How one function's curve is drawn: asymptote and arrow switches, the shading of its
// inequalities, its pen, the sizes of end circles and discontinuity points, and the marker-size
// cache. The graph's option set holds one per user function slot; every function holds a copy.
// Switches and sizes share the section "KTFunction3"; colours, hatch and pen are per slot in
// "KTFunction3-<index>".

#include "foundation/KTLogPen.h"
#include "foundation/KTOptionBool.h"
#include "foundation/KTOptionColor.h"
#include "foundation/KTOptionInt.h"
#include "foundation/KTOptionKTLogPen.h"
#include "foundation/KTOptionMarks.h"
#include "platform/KTGdiTypes.h"
#include "platform/KTObject.h"

class KTArchive;
class KTOptionStore;

class KTOptionFunction3 : public KTObject
{
public:
    /// Number of user function slots that have their own defaults.
    static constexpr int SlotCount = 10;
    /// The width of the default pen: one screen pixel in hundredths of a millimetre.
    static constexpr double DefaultPenWidth = 26.458331625;
    /// Geometric, inside-frame pen style of the default pen.
    static constexpr std::int32_t DefaultPenStyle = 0x10006;

    /// Every option defined with the defaults of index 0.
    KTOptionFunction3();
    KTOptionFunction3(const KTOptionFunction3&) = default;
    /// Copies every option whole: value, default, stored copy, flag, key, section, range.
    KTOptionFunction3& operator=(const KTOptionFunction3&) = default;

    /// Defines every option for the function slot 0..9 (flag 0), and the marks' own defaults.
    /// An index outside 0..9 takes the colours and hatch of slot 0, its section still naming
    /// the index.
    void SetDefaults(int index);
    /// Reloads the store's file (a missing file keeps what is in memory), then reads every
    /// option in member order. Missing keys keep defaults; integers are forced into range.
    void ReadProfile(KTOptionStore& store);
    /// Writes every option into the store's document in member order (the defaults instead of
    /// the values when useDefaults is set); the caller writes the file.
    void WriteProfile(KTOptionStore& store, bool useDefaults);
    /// Tag "KTOptionFunction3", version 3, the values in member order, the end tag. Loading
    /// reads nothing more on a different tag and no body below version 3; a short archive
    /// throws and leaves the options unchanged.
    void Serialize(KTArchive& ar) override;

    /// Defaults of a slot, from the fixed tables (slot 0 for an index outside 0..9).
    static COLORREF DefaultPenColor(int index);
    static COLORREF DefaultShadeColor(int index);
    static std::int32_t DefaultHatchType(int index);
    static KTLogPen DefaultPen(int index);

    // Member order is the archive and settings order.
    KTOptionBool m_vAsym;                 ///< "VAsym": draw vertical asymptotes
    KTOptionBool m_hAsym;                 ///< "HAsym": draw horizontal asymptotes
    KTOptionBool m_showFunctionArrows;    ///< "ShowFunctionArrows"
    KTOptionBool m_showLow;               ///< "ShowLow": mark the low end of the domain
    KTOptionBool m_showHigh;              ///< "ShowHigh": mark the high end
    KTOptionColor m_shadeColor;           ///< "ShadeColor" (per slot)
    KTOptionInt m_shadeStyle;             ///< "ShadeStyle" (per slot)
    KTOptionInt m_hatchType;              ///< "HatchType" 0..4 (per slot)
    KTOptionKTLogPen m_pen;               ///< "Pen" (per slot)
    KTOptionInt m_endCircleSize;          ///< "EndCircleSize" 0..300, hundredths of a millimetre
    KTOptionMarks m_marks;                ///< marker sizes cached in device pixels
    KTOptionInt m_pointDiscontinuitySize; ///< "PointDiscontinuitySize" 0..300
};
