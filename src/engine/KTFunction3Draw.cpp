// Drawing passes of a function: both branches in turn, and families over the first family
// constant's range. The drawing itself lives in KTCurvePainter.

#include "engine/KTCurvePainter.h"
#include "engine/KTCurveRefiner.h"
#include "engine/KTFunction3.h"

namespace {

void DrawBranch(KTFunction3& function, KTDC& dc)
{
    KTCurvePainter painter(function);
    painter.DrawPointPairs(dc);
    painter.DrawSecondDerivativePairs(dc);
    painter.DrawCurve(dc);
}

} // namespace

void KTFunction3::Draw(KTDC& dc)
{
    m_currentBuffer = m_buffer1.get();
    m_data.SelectList(KTFunctionData3::FirstBranchList);
    if (!m_data.m_interpreted)
        return;
    DrawBranch(*this, dc);
    if (m_twoBranches || (Status() == KTStatusImplicit && m_implicitOverflow)) {
        m_currentBuffer = m_buffer2.get();
        m_data.SelectList(KTFunctionData3::SecondBranchList);
        DrawBranch(*this, dc);
        m_currentBuffer = m_buffer1.get();
        m_data.SelectList(KTFunctionData3::FirstBranchList);
    }
}

void KTFunction3::DrawFamily(KTDC& dc)
{
    const int index = m_data.m_constants.FirstFamily();
    // A function without the family's constant is the same curve for every member: drawn once,
    // not once per member on top of itself.
    const BYTE uses[KTFunctionConstantRanges::Count] = {m_data.m_usesA, m_data.m_usesB, m_data.m_usesC,
                                                        m_data.m_usesD, m_data.m_usesM};
    KTFunctionConstantRange* family = m_data.m_constants.At(index);
    if (!family || !uses[index] || !m_data.m_interpreted) {
        Draw(dc);
        return;
    }

    m_data.m_familyDrawn = 1;
    const int members = family->MemberCount();
    for (int k = 0; k < members; ++k) {
        family->m_current = family->MemberValue(k);
        // Each member is a curve of its own: its samples, derivatives and the markers it draws
        // (asymptotes), in the screen form its drawing reads. Its points of interest are never
        // shown: searching them would cost more than all the rest of the member.
        Calculate();
        CalculatePoints(!s_referenceFamilyPath);
        KTCurveRefiner(*this).ToPolar();
        Draw(dc);
    }
    family->m_current = family->ValueAfterFamily();
}
