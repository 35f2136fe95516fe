#include "engine/KTFunctionData3.h"

#include "engine/ASLimitException.h"
#include "platform/KTArchive.h"

#include <cstddef>

namespace {
KTRegisterRuntimeClass<KTFunctionData3> s_registration("KTFunctionData3", 0);

constexpr const char* kTag = "KTFunctionData3";
constexpr WORD kVersion = 3;

BYTE AsStoredByte(BYTE value)
{
    return value != 0 ? 1 : 0;
}
} // namespace

KTFunctionData3::KTFunctionData3() = default;

void KTFunctionData3::Reset(KTAxes* owner, const KTOptionFunction3* options)
{
    m_hasOwner = 0;
    if (owner) {
        m_owner = owner;
        m_hasOwner = 1;
    }
    if (options)
        m_options = *options;
    else
        m_options.SetDefaults(0);
    m_currentList = FirstBranchList;
    m_equationText.Empty();
    m_secondText.Empty();
    m_expressionText.Empty();
    m_familyDrawn = 0;
    m_showFirstDerivative = 0;
    m_showSecondDerivative = 0;
    m_extraSwitch = 0;
    m_interpreted = 0;
    m_usesConstant = 0;
    m_index = -1;
    m_relation = -1;
    m_valueDomain = KTFunctionDomain();
    m_valueLists = 0;
}

void KTFunctionData3::CopyFrom(const KTFunctionData3& other)
{
    if (this == &other)
        return;
    m_equationText = other.m_equationText;
    m_secondText = other.m_secondText;
    m_expressionText = other.m_expressionText;
    m_options = other.m_options;
    m_showFirstDerivative = other.m_showFirstDerivative;
    m_showSecondDerivative = other.m_showSecondDerivative;
    m_extraSwitch = other.m_extraSwitch;
    m_index = other.m_index;
    for (int i : {FirstBranchList, SecondBranchList}) {
        ASTokenList& list = m_lists[static_cast<std::size_t>(i)];
        try {
            list.Assign(other.m_lists[static_cast<std::size_t>(i)]);
        } catch (const ASLimitException&) {
            // Lists of equal capacity always fit; an empty list is the safe outcome regardless.
            list.Clear();
        }
    }
    m_relation = other.m_relation;
    m_domain = other.m_domain;
    m_valueDomain = other.m_valueDomain;
    m_valueLists = other.m_valueLists;
    m_plottedLow = other.m_plottedLow;
    m_plottedHigh = other.m_plottedHigh;
    m_owner = other.m_owner;
    m_constants.CopyFrom(other.m_constants);
    m_familyDrawn = other.m_familyDrawn;
}

void KTFunctionData3::Serialize(KTArchive& ar)
{
    if (ar.IsStoring()) {
        ar.WriteBeginTag(kTag, kVersion);
        ar << m_equationText << m_secondText;
        m_options.Serialize(ar);
        ar << AsStoredByte(m_showFirstDerivative) << AsStoredByte(m_showSecondDerivative)
           << AsStoredByte(m_extraSwitch) << m_index << AsStoredByte(m_familyDrawn);
        ar.WriteEndTag(kTag);
        return;
    }

    if (!ar.ReadBeginTagAtLeast(kTag, kVersion))
        return;
    // Everything is read before anything is kept, so a document cut short changes nothing.
    CString equationText, secondText;
    ar >> equationText >> secondText;
    KTOptionFunction3 options(m_options);
    options.Serialize(ar);
    BYTE firstDerivative = 0, secondDerivative = 0, extraSwitch = 0, familyDrawn = 0;
    std::int32_t index = 0;
    ar >> firstDerivative >> secondDerivative >> extraSwitch >> index >> familyDrawn;
    ar.ReadEndTag(kTag);

    m_equationText = equationText;
    m_secondText = secondText;
    m_options = options;
    m_showFirstDerivative = firstDerivative;
    m_showSecondDerivative = secondDerivative;
    m_extraSwitch = extraSwitch;
    m_index = index;
    m_familyDrawn = familyDrawn;
}

ASTokenList* KTFunctionData3::List(int index)
{
    return index >= 0 && index < ListCount ? &m_lists[static_cast<std::size_t>(index)] : nullptr;
}

const ASTokenList* KTFunctionData3::List(int index) const
{
    return index >= 0 && index < ListCount ? &m_lists[static_cast<std::size_t>(index)] : nullptr;
}

bool KTFunctionData3::SelectList(int index)
{
    if (index < 0 || index >= ListCount)
        return false;
    m_currentList = index;
    return true;
}

void KTFunctionData3::ClearUseFlags()
{
    m_usesConstant = m_usesA = m_usesB = m_usesC = m_usesD = m_usesM = m_usesTrig = 0;
}
