#include "engine/KTOptionFunction3.h"

#include "foundation/KTOptionStore.h"
#include "platform/KTArchive.h"

#include <array>
#include <cstddef>

namespace {
KTRegisterRuntimeClass<KTOptionFunction3> s_registration("KTOptionFunction3", 0);

constexpr const char* kTag = "KTOptionFunction3";
constexpr WORD kVersion = 3;
constexpr const char* kSharedSection = "KTFunction3";

struct SlotDefaults
{
    COLORREF pen;
    COLORREF shade;
    std::int32_t hatch;
};

constexpr std::array<SlotDefaults, KTOptionFunction3::SlotCount> kSlots{{
    {0xFF0000, 0xFFD2D2, 2},
    {0x0000FF, 0xD2DCFF, 3},
    {0xFF00FF, 0xE6B4E6, 1},
    {0xFFFF00, 0xE6DCB4, 0},
    {0x7F7F7F, 0xF0F0F0, 4},
    {0x00FF00, 0xF0AAF0, 2},
    {0x00007F, 0xAAAA7F, 3},
    {0x007F00, 0xAA7FAA, 1},
    {0xF7CBA5, 0xE6AA91, 0},
    {0xC3C3C3, 0x646464, 4},
}};

const SlotDefaults& Slot(int index)
{
    if (index < 0 || index >= KTOptionFunction3::SlotCount)
        index = 0;
    return kSlots[static_cast<std::size_t>(index)];
}

void StoreBool(KTArchive& ar, const KTOptionBool& option)
{
    ar << static_cast<BYTE>(option.m_value != 0 ? 1 : 0);
}
} // namespace

KTOptionFunction3::KTOptionFunction3()
{
    SetDefaults(0);
}

COLORREF KTOptionFunction3::DefaultPenColor(int index)
{
    return Slot(index).pen;
}

COLORREF KTOptionFunction3::DefaultShadeColor(int index)
{
    return Slot(index).shade;
}

std::int32_t KTOptionFunction3::DefaultHatchType(int index)
{
    return Slot(index).hatch;
}

KTLogPen KTOptionFunction3::DefaultPen(int index)
{
    return KTLogPen(KTPenKindGeometric, DefaultPenStyle, DefaultPenColor(index), DefaultPenWidth);
}

void KTOptionFunction3::SetDefaults(int index)
{
    CString slotSection;
    slotSection.Format("KTFunction3-%u", static_cast<unsigned>(index));

    m_vAsym.Set(kSharedSection, "VAsym", 0, 1);
    m_hAsym.Set(kSharedSection, "HAsym", 0, 0);
    m_showFunctionArrows.Set(kSharedSection, "ShowFunctionArrows", 0, 1);
    m_showLow.Set(kSharedSection, "ShowLow", 0, 1);
    m_showHigh.Set(kSharedSection, "ShowHigh", 0, 1);
    m_shadeColor.Set(slotSection, "ShadeColor", 0, DefaultShadeColor(index));
    m_shadeStyle.Set(slotSection, "ShadeStyle", 0, 0, -32768, 32767);
    m_hatchType.Set(slotSection, "HatchType", 0, DefaultHatchType(index), 0, 4);
    m_pen.Set(slotSection, "Pen", 0, DefaultPen(index));
    m_endCircleSize.Set(kSharedSection, "EndCircleSize", 0, 150, 0, 300);
    m_marks.SetDefaults();
    m_pointDiscontinuitySize.Set(kSharedSection, "PointDiscontinuitySize", 0, 100, 0, 300);
}

void KTOptionFunction3::ReadProfile(KTOptionStore& store)
{
    store.Load();
    m_vAsym.ReadProfile(store);
    m_hAsym.ReadProfile(store);
    m_showFunctionArrows.ReadProfile(store);
    m_showLow.ReadProfile(store);
    m_showHigh.ReadProfile(store);
    m_shadeColor.ReadProfile(store);
    m_shadeStyle.ReadProfile(store);
    m_hatchType.ReadProfile(store);
    m_pen.ReadProfile(store);
    m_endCircleSize.ReadProfile(store);
    m_marks.LoadSettings(store);
    m_pointDiscontinuitySize.ReadProfile(store);
}

void KTOptionFunction3::WriteProfile(KTOptionStore& store, bool useDefaults)
{
    m_vAsym.WriteProfile(store, useDefaults);
    m_hAsym.WriteProfile(store, useDefaults);
    m_showFunctionArrows.WriteProfile(store, useDefaults);
    m_showLow.WriteProfile(store, useDefaults);
    m_showHigh.WriteProfile(store, useDefaults);
    m_shadeColor.WriteProfile(store, useDefaults);
    m_shadeStyle.WriteProfile(store, useDefaults);
    m_hatchType.WriteProfile(store, useDefaults);
    m_pen.WriteProfile(store, useDefaults);
    m_endCircleSize.WriteProfile(store, useDefaults);
    m_marks.SaveSettings(store, useDefaults);
    m_pointDiscontinuitySize.WriteProfile(store, useDefaults);
}

void KTOptionFunction3::Serialize(KTArchive& ar)
{
    if (ar.IsStoring()) {
        ar.WriteBeginTag(kTag, kVersion);
        StoreBool(ar, m_vAsym);
        StoreBool(ar, m_hAsym);
        StoreBool(ar, m_showFunctionArrows);
        StoreBool(ar, m_showLow);
        StoreBool(ar, m_showHigh);
        m_shadeColor.Serialize(ar);
        m_shadeStyle.Serialize(ar);
        m_hatchType.Serialize(ar);
        m_pen.Serialize(ar);
        m_endCircleSize.Serialize(ar);
        m_marks.Serialize(ar);
        m_pointDiscontinuitySize.Serialize(ar);
        ar.WriteEndTag(kTag);
        return;
    }

    if (!ar.ReadBeginTagAtLeast(kTag, kVersion))
        return;
    // Load into a copy, so a document cut short leaves these options as they were.
    KTOptionFunction3 loaded(*this);
    loaded.m_vAsym.Serialize(ar);
    loaded.m_hAsym.Serialize(ar);
    loaded.m_showFunctionArrows.Serialize(ar);
    loaded.m_showLow.Serialize(ar);
    loaded.m_showHigh.Serialize(ar);
    loaded.m_shadeColor.Serialize(ar);
    loaded.m_shadeStyle.Serialize(ar);
    loaded.m_hatchType.Serialize(ar);
    loaded.m_pen.Serialize(ar);
    loaded.m_endCircleSize.Serialize(ar);
    loaded.m_marks.Serialize(ar);
    loaded.m_pointDiscontinuitySize.Serialize(ar);
    ar.ReadEndTag(kTag);
    *this = loaded;
}
