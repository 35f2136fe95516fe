#include "engine/KTFunctionConstantRanges.h"

#include "platform/KTArchive.h"

#include <cstddef>

namespace {
KTRegisterRuntimeClass<KTFunctionConstantRanges> s_registration("KTFunctionConstantRanges", 0);
}

KTFunctionConstantRange* KTFunctionConstantRanges::At(int index)
{
    return index >= 0 && index < Count ? &m_range[static_cast<std::size_t>(index)] : nullptr;
}

const KTFunctionConstantRange* KTFunctionConstantRanges::At(int index) const
{
    return index >= 0 && index < Count ? &m_range[static_cast<std::size_t>(index)] : nullptr;
}

double KTFunctionConstantRanges::Current(int index) const
{
    const KTFunctionConstantRange* range = At(index);
    return range ? range->m_current : 0.0;
}

int KTFunctionConstantRanges::FirstFamily() const
{
    for (int i = 0; i < Count; ++i)
        if (m_range[static_cast<std::size_t>(i)].IsFamily())
            return i;
    return -1;
}

void KTFunctionConstantRanges::CopyFrom(const KTFunctionConstantRanges& other)
{
    for (std::size_t i = 0; i < Count; ++i)
        m_range[i].CopyFrom(other.m_range[i]);
}

void KTFunctionConstantRanges::Serialize(KTArchive& ar)
{
    if (ar.IsStoring()) {
        for (KTFunctionConstantRange& range : m_range)
            range.Serialize(ar);
        return;
    }
    // Read into a copy so that a short archive leaves no half-loaded set behind.
    auto loaded = m_range;
    for (KTFunctionConstantRange& range : loaded)
        range.Serialize(ar);
    m_range = loaded;
}
