// Drawing passes of a function: both branches in turn, and families over the first family
// constant's range. The drawing itself lives in KTCurvePainter.

#include "engine/KTCurvePainter.h"
#include "engine/KTCurveRefiner.h"
#include "engine/KTCurveSampler.h"
#include "engine/KTFunction3.h"
#include "engine/KTImplicitAhead.h"
#include "engine/KTImplicitThreads.h"

#include <algorithm>
#include <atomic>
#include <vector>

namespace {

/// A family's first member that stores a point for at least one lattice cell in this many is
/// dense: its members are traced one by one, each on all threads.
constexpr long long kDenseFamilyShare = 64;

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
    // However a member's calculation ends (a failed evaluation throws), no member's lattice is
    // left named once the lattices are let go.
    struct Forget
    {
        KTImplicitAhead*& member;
        ~Forget() { member = nullptr; }
    } forget{m_implicitAhead};
    std::vector<KTImplicitAhead> ahead;
    const auto drawMember = [&](int k) {
        family->m_current = family->MemberValue(k);
        m_implicitAhead = ahead.empty() ? nullptr : &ahead[static_cast<std::size_t>(k)];
        // Each member is a curve of its own: its samples, derivatives and the markers it draws
        // (asymptotes), in the screen form its drawing reads. Its points of interest are never
        // shown: searching them would cost more than all the rest of the member.
        Calculate();
        CalculatePoints(!s_referenceFamilyPath);
        KTCurveRefiner(*this).ToPolar();
        m_implicitAhead = nullptr;
        Draw(dc);
    };
    // The lattices of an implicit family's later members, each traced on a thread of its own,
    // members taken in turn as threads come free. The members are still calculated and drawn
    // one after the other, in order, each with the lines traced for it: the picture is the one
    // they would draw traced one by one. The first member is traced as any relation, on all
    // threads; where it crosses a good share of the lattice's cells (tan(xy)=a on a wide view),
    // each member already keeps every thread busy, and traced side by side they would only hold
    // a lattice's memory per thread at once: the others follow it one by one as well.
    int first = 0;
    m_membersTracedAhead = 0;
    if (Status() == KTStatusImplicit && s_familyTracedAhead && members > 2 && KTImplicitThreads::Count() > 1) {
        drawMember(0);
        first = 1;
        const long long points = static_cast<long long>(m_buffer1->m_count) +
                                 (m_implicitOverflow ? static_cast<long long>(m_buffer2->m_count) : 0);
        ahead.resize(static_cast<std::size_t>(members));
        KTCurveSampler sampler(*this);
        int planned = 0;
        for (int k = 1; k < members; ++k) {
            family->m_current = family->MemberValue(k);
            planned += sampler.PlanAhead(ahead[static_cast<std::size_t>(k)]) ? 1 : 0;
        }
        const KTImplicitAhead& second = ahead[1];
        const long long cells = static_cast<long long>(second.columns) * second.rows;
        std::atomic<int> next{1};
        const auto trace = [&ahead, &next, members](int) {
            for (int k = next.fetch_add(1); k < members; k = next.fetch_add(1))
                KTCurveSampler::TraceAhead(ahead[static_cast<std::size_t>(k)]);
        };
        // While another trace holds the threads, the members trace themselves as they come.
        if (planned > 1 && points * kDenseFamilyShare < cells &&
            KTImplicitThreads::Run(std::min(KTImplicitThreads::Count(), planned), trace))
            for (const KTImplicitAhead& member : ahead)
                m_membersTracedAhead += member.traced ? 1 : 0;
        else
            ahead.clear();
    }
    for (int k = first; k < members; ++k)
        drawMember(k);
    family->m_current = family->ValueAfterFamily();
}
