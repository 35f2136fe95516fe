#include "graph/KTIntegralFunction.h"

#include "graph/KTOptionIntegral.h"
#include "graph/KTRecordTags.h"
#include "platform/KTArchive.h"

namespace {

const KTRegisterRuntimeClass<KTIntegralFunction> registration("KTIntegralFunction", 0);

constexpr const char* kTag = "KTIntegralFunction";
constexpr WORD kVersion = 1;

BYTE AsByte(bool value)
{
    return value ? 1 : 0;
}

bool ReadBool(KTArchive& ar)
{
    BYTE value = 0;
    ar >> value;
    return value != 0;
}

/// True when the text holds any of the family constants' letters.
bool UsesAnyConstant(const CString& text)
{
    return text.FindOneOf("abcdm") >= 0;
}

} // namespace

KTIntegralFunction::KTIntegralFunction() : m_region(kRegionPoints) {}

KTIntegralFunction::KTIntegralFunction(const KTOptionIntegral& options) : KTIntegralFunction()
{
    m_showArea = options.m_showArea.m_value != 0;
    m_colour = options.m_brush.m_value.m_color;
}

KTIntegralFunction& KTIntegralFunction::operator=(const KTIntegralFunction& other)
{
    if (this == &other)
        return *this;
    m_reserved = other.m_reserved;
    m_hasSecond = other.m_hasSecond;
    m_lowerText = other.m_lowerText;
    m_upperText = other.m_upperText;
    m_first = other.m_first;
    m_second = other.m_second;
    m_integralText = other.m_integralText;
    m_areaText = other.m_areaText;
    m_firstFunction = other.m_firstFunction;
    m_secondFunction = other.m_secondFunction;
    m_integral = other.m_integral;
    m_area = other.m_area;
    m_yAxis = other.m_yAxis;
    m_selected = other.m_selected;
    m_areaDiffers = other.m_areaDiffers;
    m_colour = other.m_colour;
    m_showArea = other.m_showArea;
    m_region = other.m_region;
    return *this;
}

void KTIntegralFunction::Serialize(KTArchive& ar)
{
    if (ar.IsStoring()) {
        ar.WriteBeginTag(kTag, kVersion);
        ar << m_reserved << AsByte(m_hasSecond) << m_lowerText << m_upperText << m_first << m_second
           << m_integralText << m_areaText << m_integral << m_area << AsByte(m_yAxis) << AsByte(m_selected)
           << AsByte(m_areaDiffers) << static_cast<std::int32_t>(m_colour) << AsByte(m_showArea);
        ar.WriteEndTag(kTag);
        return;
    }

    KTReadRecordBegin(ar, kTag, kVersion);
    std::int32_t reserved = 0, first = 0, second = 0, colour = 0;
    CString lower, upper, integralText, areaText;
    double integral = 0.0, area = 0.0;
    ar >> reserved;
    const bool hasSecond = ReadBool(ar);
    ar >> lower >> upper >> first >> second >> integralText >> areaText >> integral >> area;
    const bool yAxis = ReadBool(ar);
    const bool selected = ReadBool(ar);
    const bool areaDiffers = ReadBool(ar);
    ar >> colour;
    const bool showArea = ReadBool(ar);
    KTReadRecordEnd(ar, kTag);

    m_reserved = reserved;
    m_hasSecond = hasSecond;
    m_lowerText = lower;
    m_upperText = upper;
    m_first = first;
    m_second = second;
    m_integralText = integralText;
    m_areaText = areaText;
    m_integral = integral;
    m_area = area;
    m_yAxis = yAxis;
    m_selected = selected;
    m_areaDiffers = areaDiffers;
    m_colour = static_cast<COLORREF>(colour);
    m_showArea = showArea;
}

std::size_t KTIntegralFunction::MinimumArchiveSize()
{
    static const std::size_t size = [] {
        KTIntegralFunction smallest;
        smallest.m_lowerText.Empty();
        smallest.m_upperText.Empty();
        KTArchive ar;
        smallest.Serialize(ar);
        return ar.Data().size();
    }();
    return size;
}

bool KTIntegralFunction::UsesName(const CString& name) const
{
    if (name.IsEmpty())
        return UsesAnyConstant(m_lowerText) || UsesAnyConstant(m_upperText);
    return m_lowerText.Find(name) >= 0 || m_upperText.Find(name) >= 0;
}
