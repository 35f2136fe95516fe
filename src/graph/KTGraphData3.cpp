#include "graph/KTGraphData3.h"

#include "engine/KTFunction3.h"
#include "foundation/KTTextSeparators.h"
#include "graph/KTNestedRecord.h"
#include "graph/KTRecordTags.h"
#include "platform/KTArchive.h"

#include <array>
#include <cmath>
#include <stdexcept>

namespace {

const KTRegisterRuntimeClass<KTGraphData3> registration("KTGraphData3", 0);

constexpr const char* kTag = "KTGraphData3";
constexpr WORD kVersion = 4;
constexpr const char* kRangesTag = "KTFunctionConstantRanges";
constexpr WORD kRangesVersion = 1;

// A damaged number must not reach the evaluator or a family's member count.
double FiniteOr(double value, double fallback)
{
    return std::isfinite(value) ? value : fallback;
}

} // namespace

KTGraphData3::KTGraphData3()
{
    for (auto& function : m_functions)
        function = std::make_unique<KTFunction3>(nullptr);
}

KTGraphData3::~KTGraphData3() = default;

KTFunction3& KTGraphData3::Function(int slot)
{
    if (slot < 0 || slot >= SlotCount)
        throw std::out_of_range("function slot");
    return *m_functions[static_cast<std::size_t>(slot)];
}

const KTFunction3& KTGraphData3::Function(int slot) const
{
    if (slot < 0 || slot >= SlotCount)
        throw std::out_of_range("function slot");
    return *m_functions[static_cast<std::size_t>(slot)];
}

KTFunction3* KTGraphData3::FindFunction(int slot)
{
    if (slot < 0 || slot >= SlotCount)
        return nullptr;
    return m_functions[static_cast<std::size_t>(slot)].get();
}

void KTGraphData3::Reset(KTAxes* axes, const KTOptionGraph3* options)
{
    if (options)
        m_options = *options;
    else
        m_options.SetDefaults();
    for (int slot = 0; slot < UserFunctionCount; ++slot)
        Function(slot).Data().Reset(axes, &m_options.m_functions[static_cast<std::size_t>(slot)]);
    for (int slot = FirstFrameSlot; slot < SlotCount; ++slot)
        Function(slot).Data().Reset(axes, nullptr);
    m_showFlagOverride = 0;
    m_dirty = 0;
    m_family = 0;
}

void KTGraphData3::Assign(const KTGraphData3& other)
{
    if (&other == this)
        return;
    m_options = other.m_options;
    for (int slot = 0; slot < UserFunctionCount; ++slot)
        Function(slot).CopyFrom(other.Function(slot));
    m_showFlagOverride = other.m_showFlagOverride;
    m_dirty = other.m_dirty;
    m_family = other.m_family;
}

void KTGraphData3::Serialize(KTArchive& ar)
{
    if (ar.IsStoring()) {
        ar.WriteBeginTag(kTag, kVersion);
        ar << static_cast<BYTE>(m_showFlagOverride ? 1 : 0);
        m_options.Serialize(ar);
        for (int slot = 0; slot < UserFunctionCount; ++slot)
            Function(slot).Serialize(ar);
        m_derivatives.Serialize(ar);
        m_integrals.Serialize(ar);
        ar.WriteEndTag(kTag);
        return;
    }

    // A wrong tag or an older version is the document's cue to try its older-file reader.
    KTReadRecordBegin(ar, kTag, kVersion);
    BYTE showFlagOverride = 0;
    ar >> showFlagOverride;
    m_showFlagOverride = showFlagOverride != 0 ? 1 : 0;
    m_options.Serialize(ar);
    for (int slot = 0; slot < UserFunctionCount; ++slot)
        KTSerializeNested(ar, Function(slot), "KTFunctionData3", 3);
    m_derivatives.Serialize(ar);
    m_integrals.Serialize(ar);
    KTReadRecordEnd(ar, kTag);
    m_dirty = Dirty;
}

void KTGraphData3::TranslateSeparators(const KTTextSeparators& from, const KTTextSeparators& to)
{
    const auto translate = [&](CString& text) { text = KTTextSeparators::Translate(text, from, to); };
    for (int slot = 0; slot < UserFunctionCount; ++slot)
        translate(Function(slot).Data().m_equationText);
    for (KTIntegralFunction& integral : m_integrals.m_records) {
        translate(integral.m_lowerText);
        translate(integral.m_upperText);
    }
    for (KTDerivativeFunction& tangent : m_derivatives.m_records)
        translate(tangent.m_xText);
    KTOptionAxes2& axes = m_options.m_axes;
    for (KTOptionString* text : {&axes.m_xMaxShowS, &axes.m_yMaxShowS, &axes.m_xMinShowS, &axes.m_yMinShowS,
                                 &axes.m_xMajorS, &axes.m_yMajorS, &axes.m_xMinorS, &axes.m_yMinorS})
        translate(text->m_value);
    m_dirty = Dirty;
}

void KTGraphData3::SerializeConstantRanges(KTArchive& ar)
{
    if (ar.IsStoring()) {
        ar.WriteBeginTag(kRangesTag, kRangesVersion);
        ar << static_cast<BYTE>(m_family ? 1 : 0);
        for (int slot = 0; slot < UserFunctionCount; ++slot)
            Function(slot).Data().m_constants.Serialize(ar);
        ar.WriteEndTag(kRangesTag);
        return;
    }

    KTReadRecordBegin(ar, kRangesTag, kRangesVersion);
    BYTE family = 0;
    ar >> family;
    std::array<KTFunctionConstantRanges, UserFunctionCount> loaded;
    for (KTFunctionConstantRanges& ranges : loaded)
        ranges.Serialize(ar);
    KTReadRecordEnd(ar, kRangesTag);

    const KTFunctionConstantRange defaults;
    for (int slot = 0; slot < UserFunctionCount; ++slot) {
        KTFunctionConstantRanges& ranges = Function(slot).Data().m_constants;
        for (int i = 0; i < KTFunctionConstantRanges::Count; ++i) {
            const KTFunctionConstantRange& read = *loaded[static_cast<std::size_t>(slot)].At(i);
            *ranges.At(i) = KTFunctionConstantRange(
                FiniteOr(read.m_from, defaults.m_from), FiniteOr(read.m_to, defaults.m_to),
                FiniteOr(read.m_step, defaults.m_step), FiniteOr(read.m_current, defaults.m_current));
        }
    }
    m_family = family != 0 ? 1 : 0;
    m_dirty = Dirty;
}
