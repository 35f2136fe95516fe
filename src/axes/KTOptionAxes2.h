#pragma once
// Every setting of the axes, scales and grid of one graph. Part of each saved document and of
// the application's defaults; the axes keep private copies and the dialogs edit copies.

#include "foundation/KTOptionBool.h"
#include "foundation/KTOptionColor.h"
#include "foundation/KTOptionDouble.h"
#include "foundation/KTOptionInt.h"
#include "foundation/KTOptionKTLogFont.h"
#include "foundation/KTOptionKTLogPen.h"
#include "foundation/KTOptionString.h"
#include "foundation/KTOptionMarks.h"
#include "platform/KTGdiTypes.h"
#include "platform/KTObject.h"

class KTIniFile;
class KTOptionStore;

/// Break marks of an axis whose range does not contain 0 ("BreakType").
enum KTBreakType : int {
    KTBREAKTYPE_ZED = 0,
    KTBREAKTYPE_PARALLELS = 1,
    KTBREAKTYPE_JOINED = 2,
    KTBREAKTYPE_BIGGAP = 3,
    KTBREAKTYPE_GAP = 4,
};

class KTOptionAxes2 : public KTObject
{
public:
    /// Every member defined with its default (SetDefaults); the full-turn flag clear.
    KTOptionAxes2();
    KTOptionAxes2(const KTOptionAxes2&) = default;
    /// Copies every member whole (value, default, stored copy, flag, key, section, range), the
    /// marks record and the full-turn flag.
    KTOptionAxes2& operator=(const KTOptionAxes2&) = default;

    /// Defines every typed option (sections "Axes" and "Axes Options"). The marks record and the
    /// full-turn flag are not touched.
    void SetDefaults();
    /// Reloads the store's file, then reads every member in member order.
    void LoadSettings(KTOptionStore& store);
    /// Writes every member in member order (defaults instead of values with useDefaults); the
    /// caller saves the file.
    void SaveSettings(KTIniFile& store, bool useDefaults);
    /// Tag "KTOptionAxes2", schema 2: each member's value in member order, the marks record as
    /// its own tagged block; not the full-turn flag. Loading reads the body only when the tag
    /// matches and the schema is 2 or higher.
    void Serialize(KTArchive& ar) override;

    // Members in the order of the archive, the settings and assignment.
    KTOptionString m_xNotate;
    KTOptionString m_yNotate;
    KTOptionString m_xNotateMid;
    KTOptionString m_yNotateMid;
    KTOptionKTLogFont m_midAxisFont;
    KTOptionKTLogFont m_scaleFont;
    KTOptionKTLogFont m_axisFont;
    KTOptionBool m_showGrid;
    KTOptionBool m_showGridDots;
    KTOptionBool m_usePolarGrid;
    KTOptionInt m_polarRays;
    KTOptionKTLogPen m_xGridMajorPen;
    KTOptionKTLogPen m_xGridMinorPen;
    KTOptionKTLogPen m_yGridMajorPen;
    KTOptionKTLogPen m_yGridMinorPen;
    KTOptionMarks m_marks;
    KTOptionInt m_minorDot;
    KTOptionInt m_majorDot;
    KTOptionColor m_minorDotColor;
    KTOptionColor m_majorDotColor;
    KTOptionBool m_autoMaxx;
    KTOptionBool m_autoMaxy;
    KTOptionBool m_autoMinx;
    KTOptionBool m_autoMiny;
    KTOptionString m_xMaxShowS;
    KTOptionString m_yMaxShowS;
    KTOptionString m_xMinShowS;
    KTOptionString m_yMinShowS;
    KTOptionBool m_autoxMajor;
    KTOptionBool m_autoxMinor;
    KTOptionBool m_autoyMajor;
    KTOptionBool m_autoyMinor;
    KTOptionString m_xMajorS;
    KTOptionString m_yMajorS;
    KTOptionString m_xMinorS;
    KTOptionString m_yMinorS;
    KTOptionBool m_showOrigin;
    KTOptionInt m_showOriginRadius;
    KTOptionKTLogPen m_showOriginPen;
    KTOptionBool m_showNegativeArrows;
    KTOptionBool m_showPositiveArrows;
    KTOptionBool m_allowBreakScales;
    KTOptionInt m_breakType;
    KTOptionInt m_breakWidth;
    KTOptionInt m_breakHeight;
    KTOptionInt m_tickStyle;
    KTOptionInt m_axisPipSize;
    KTOptionInt m_arrowSize;
    KTOptionDouble m_arrowRatio;
    KTOptionInt m_standardGap;
    KTOptionBool m_adjustScaleToIncludeData;
    KTOptionBool m_xLogScale;
    KTOptionBool m_yLogScale;
    KTOptionBool m_showxAxis;
    KTOptionBool m_showyAxis;
    KTOptionBool m_showxTicks;
    KTOptionBool m_showyTicks;
    KTOptionBool m_showxScale;
    KTOptionBool m_showyScale;
    KTOptionInt m_angleSystem; ///< 0 degrees, 1 radians, 2 grads
    KTOptionKTLogPen m_xAxisPen;
    KTOptionKTLogPen m_yAxisPen;
    KTOptionInt m_scaleRestriction;
    KTOptionBool m_rectBias;
    KTOptionDouble m_xScaleMeasurement;
    KTOptionDouble m_yScaleMeasurement;
    KTOptionBool m_blankUnderScale;
    KTOptionDouble m_keyZoomRatio;
    /// Set by the graph before layout when a function asks for a full turn of default extents;
    /// neither stored nor archived.
    BYTE m_fullTurn = 0;

private:
    /// Calls visit on every member from "xNotate" to "KeyZoomRatio" in member order.
    template <typename Visit> void ForEachMember(Visit&& visit);
};
