#include "axes/KTOptionAxes2.h"

#include "foundation/KTOptionStore.h"
#include "platform/KTArchive.h"

#include <type_traits>

namespace {

constexpr const char* kAxes = "Axes";
constexpr const char* kAxesOptions = "Axes Options";
constexpr const char* kTag = "KTOptionAxes2";
constexpr WORD kSchema = 2;

constexpr std::int32_t kSolid = 0x10006;
constexpr std::int32_t kDotted = 0x10002;
constexpr double kHalfPoint = 0.5 * KTLogPen::kUnitsPerPoint;

KTLogPen GridPen(std::int32_t style)
{
    return KTLogPen(KTPenKindGeometric, style, RGB(100, 100, 100), kHalfPoint);
}

KTLogPen BlackPen()
{
    return KTLogPen(KTPenKindGeometric, kSolid, RGB(0, 0, 0), kHalfPoint);
}

} // namespace

KTOptionAxes2::KTOptionAxes2()
{
    SetDefaults();
}

template <typename Visit> void KTOptionAxes2::ForEachMember(Visit&& visit)
{
    visit(m_xNotate);
    visit(m_yNotate);
    visit(m_xNotateMid);
    visit(m_yNotateMid);
    visit(m_midAxisFont);
    visit(m_scaleFont);
    visit(m_axisFont);
    visit(m_showGrid);
    visit(m_showGridDots);
    visit(m_usePolarGrid);
    visit(m_polarRays);
    visit(m_xGridMajorPen);
    visit(m_xGridMinorPen);
    visit(m_yGridMajorPen);
    visit(m_yGridMinorPen);
    visit(m_marks);
    visit(m_minorDot);
    visit(m_majorDot);
    visit(m_minorDotColor);
    visit(m_majorDotColor);
    visit(m_autoMaxx);
    visit(m_autoMaxy);
    visit(m_autoMinx);
    visit(m_autoMiny);
    visit(m_xMaxShowS);
    visit(m_yMaxShowS);
    visit(m_xMinShowS);
    visit(m_yMinShowS);
    visit(m_autoxMajor);
    visit(m_autoxMinor);
    visit(m_autoyMajor);
    visit(m_autoyMinor);
    visit(m_xMajorS);
    visit(m_yMajorS);
    visit(m_xMinorS);
    visit(m_yMinorS);
    visit(m_showOrigin);
    visit(m_showOriginRadius);
    visit(m_showOriginPen);
    visit(m_showNegativeArrows);
    visit(m_showPositiveArrows);
    visit(m_allowBreakScales);
    visit(m_breakType);
    visit(m_breakWidth);
    visit(m_breakHeight);
    visit(m_tickStyle);
    visit(m_axisPipSize);
    visit(m_arrowSize);
    visit(m_arrowRatio);
    visit(m_standardGap);
    visit(m_adjustScaleToIncludeData);
    visit(m_xLogScale);
    visit(m_yLogScale);
    visit(m_showxAxis);
    visit(m_showyAxis);
    visit(m_showxTicks);
    visit(m_showyTicks);
    visit(m_showxScale);
    visit(m_showyScale);
    visit(m_angleSystem);
    visit(m_xAxisPen);
    visit(m_yAxisPen);
    visit(m_scaleRestriction);
    visit(m_rectBias);
    visit(m_xScaleMeasurement);
    visit(m_yScaleMeasurement);
    visit(m_blankUnderScale);
    visit(m_keyZoomRatio);
}

void KTOptionAxes2::SetDefaults()
{
    m_xNotate.Set(kAxes, "xNotate", 0, "x", -1);
    m_yNotate.Set(kAxes, "yNotate", 0, "y", -1);
    m_xNotateMid.Set(kAxes, "xNotateMid", 0, "", -1);
    m_yNotateMid.Set(kAxes, "yNotateMid", 0, "", -1);
    KTLogFont italic;
    italic.m_logFont.lfItalic = 1;
    m_midAxisFont.Set(kAxes, "MidAxisFont", 0, KTLogFont());
    m_scaleFont.Set(kAxes, "ScaleFont", 0, KTLogFont());
    m_axisFont.Set(kAxes, "AxisFont", 0, italic);
    m_showGrid.Set(kAxes, "ShowGrid", 0, 0);
    m_showGridDots.Set(kAxes, "ShowGridDots", 0, 0);
    m_usePolarGrid.Set(kAxes, "UsePolarGrid", 0, 0);
    m_polarRays.Set(kAxes, "PolarRays", 0, 24, 0, 72);
    m_xGridMajorPen.Set(kAxes, "xGridMajorPen", 0, GridPen(kSolid));
    m_yGridMajorPen.Set(kAxes, "yGridMajorPen", 0, GridPen(kSolid));
    m_xGridMinorPen.Set(kAxes, "xGridMinorPen", 0, GridPen(kDotted));
    m_yGridMinorPen.Set(kAxes, "yGridMinorPen", 0, GridPen(kDotted));
    m_minorDot.Set(kAxes, "MinorDot", 0, 10, 0, 10);
    m_majorDot.Set(kAxes, "MajorDot", 0, 1, 0, 10);
    m_minorDotColor.Set(kAxes, "MinorDotColor", 0, RGB(200, 200, 200));
    m_majorDotColor.Set(kAxes, "MajorDotColor", 0, RGB(100, 100, 100));
    m_autoMaxx.Set(kAxes, "AutoMaxx", 0, 0);
    m_autoMaxy.Set(kAxes, "AutoMaxy", 0, 0);
    m_autoMinx.Set(kAxes, "AutoMinx", 0, 0);
    m_autoMiny.Set(kAxes, "AutoMiny", 0, 0);
    m_xMaxShowS.Set(kAxes, "xMaxShowS", 0, "10", -1);
    m_yMaxShowS.Set(kAxes, "yMaxShowS", 0, "10", -1);
    m_xMinShowS.Set(kAxes, "xMinShowS", 0, "-10", -1);
    m_yMinShowS.Set(kAxes, "yMinShowS", 0, "-10", -1);
    m_autoxMajor.Set(kAxes, "AutoxMajor", 0, 1);
    m_autoxMinor.Set(kAxes, "AutoxMinor", 0, 1);
    m_autoyMajor.Set(kAxes, "AutoyMajor", 0, 1);
    m_autoyMinor.Set(kAxes, "AutoyMinor", 0, 1);
    m_xMajorS.Set(kAxes, "xMajorS", 0, "2", -1);
    m_yMajorS.Set(kAxes, "yMajorS", 0, "2", -1);
    m_xMinorS.Set(kAxes, "xMinorS", 0, "1", -1);
    m_yMinorS.Set(kAxes, "yMinorS", 0, "1", -1);

    m_showOrigin.Set(kAxesOptions, "ShowOrigin", 0, 0);
    m_showOriginRadius.Set(kAxesOptions, "ShowOriginRadius", 0, 150, 0, 2000);
    m_showOriginPen.Set(kAxesOptions, "ShowOriginPen", 0, BlackPen());
    m_showNegativeArrows.Set(kAxesOptions, "ShowNegativeArrows", 0, 1);
    m_showPositiveArrows.Set(kAxesOptions, "ShowPositiveArrows", 0, 1);
    m_allowBreakScales.Set(kAxesOptions, "AllowBreakScales", 0, 1);
    m_breakType.Set(kAxesOptions, "BreakType", 0, KTBREAKTYPE_PARALLELS, 0, 4);
    m_breakWidth.Set(kAxesOptions, "BreakWidth", 0, 100, 10, 1000);
    m_breakHeight.Set(kAxesOptions, "BreakHeight", 0, 150, 10, 1000);
    m_tickStyle.Set(kAxesOptions, "TickStyle", 0, 0, 0, 4);
    m_axisPipSize.Set(kAxesOptions, "AxisPipSize", 0, 150, 0, 1000);
    m_arrowSize.Set(kAxesOptions, "ArrowSize", 0, 150, 0, 500);
    m_arrowRatio.Set(kAxesOptions, "ArrowRatio", 0, 2.0, 0.0, 5.0);
    m_standardGap.Set(kAxesOptions, "StandardGap", 0, 150, 0, 1000);
    m_adjustScaleToIncludeData.Set(kAxesOptions, "AdjustScaleToIncludeData", 0, 0);
    m_xLogScale.Set(kAxesOptions, "xLogScale", 0, 0);
    m_yLogScale.Set(kAxesOptions, "yLogScale", 0, 0);
    m_showxAxis.Set(kAxesOptions, "ShowxAxis", 0, 1);
    m_showyAxis.Set(kAxesOptions, "ShowyAxis", 0, 1);
    m_showxTicks.Set(kAxesOptions, "ShowxTicks", 0, 1);
    m_showyTicks.Set(kAxesOptions, "ShowyTicks", 0, 1);
    m_showxScale.Set(kAxesOptions, "ShowxScale", 0, 1);
    m_showyScale.Set(kAxesOptions, "ShowyScale", 0, 1);
    // The one key of "Axes" written after the "Axes Options" keys.
    m_angleSystem.Set(kAxes, "AngleSystem", 0, 0, 0, 2);
    m_xAxisPen.Set(kAxesOptions, "xAxisPen", 0, BlackPen());
    m_yAxisPen.Set(kAxesOptions, "yAxisPen", 0, BlackPen());
    m_scaleRestriction.Set(kAxesOptions, "ScaleRestriction", 0, 0, 0, 2);
    m_rectBias.Set(kAxesOptions, "RectBias", 0, 0);
    m_xScaleMeasurement.Set(kAxesOptions, "xScaleMeasurement", 0, 1000.0, 1e-14, 1e14);
    m_yScaleMeasurement.Set(kAxesOptions, "yScaleMeasurement", 0, 1000.0, 1e-14, 1e14);
    m_blankUnderScale.Set(kAxesOptions, "BlankUnderScale", 0, 0);
    m_keyZoomRatio.Set(kAxesOptions, "KeyZoomRatio", 0, 1.3333333, 1.01, 10.0);
}

void KTOptionAxes2::LoadSettings(KTOptionStore& store)
{
    store.Load();
    ForEachMember([&store](auto& member) {
        if constexpr (std::is_same_v<std::decay_t<decltype(member)>, KTOptionMarks>)
            member.LoadSettings(store);
        else
            member.ReadProfile(store);
    });
}

void KTOptionAxes2::SaveSettings(KTIniFile& store, bool useDefaults)
{
    ForEachMember([&store, useDefaults](auto& member) {
        if constexpr (std::is_same_v<std::decay_t<decltype(member)>, KTOptionMarks>)
            member.SaveSettings(store, useDefaults);
        else
            member.WriteProfile(store, useDefaults);
    });
}

void KTOptionAxes2::Serialize(KTArchive& ar)
{
    if (ar.IsStoring()) {
        ar.WriteBeginTag(kTag, kSchema);
        ForEachMember([&ar](auto& member) { member.Serialize(ar); });
        ar.WriteEndTag(kTag);
        return;
    }
    WORD schema = 0;
    if (!ar.ReadBeginTag(kTag, schema) || schema < kSchema)
        return;
    // Read into a copy so that an archive that ends early leaves this record as it was.
    KTOptionAxes2 loaded(*this);
    loaded.ForEachMember([&ar](auto& member) { member.Serialize(ar); });
    ar.ReadEndTag(kTag);
    *this = loaded;
}
