// The calculation of a function's curve: sampling with the discontinuity search, and the curve
// analysis of each branch. The steps themselves live in KTCurveSampler, KTCurveRefiner and
// KTCurveAnalyser.

#include "engine/KTCurveAnalyser.h"
#include "engine/KTCurveRefiner.h"
#include "engine/KTCurveSampler.h"
#include "engine/KTFunction3.h"
#include "platform/KTVectorState.h"

void KTFunction3::Calculate()
{
    // A paint just before may have left the vector registers dirty, which slows every
    // evaluation below many times over.
    KTClearUpperVectorState();
    m_currentBuffer = m_buffer1.get();
    m_markers.Clear();
    m_buffer1->m_count = 0;

    // Only explicit functions have a discontinuity list to search.
    if (Status() == KTStatusExplicit) {
        m_data.SelectList(KTFunctionData3::DiscontinuityList);
        KTCurveSampler(*this).SampleBranch();
        KTCurveRefiner(*this).FindDiscontinuityCandidates();
    }

    m_currentBuffer = m_buffer1.get();
    m_data.SelectList(KTFunctionData3::FirstBranchList);
    m_buffer1->m_count = 0;
    KTCurveSampler sampler(*this);
    sampler.SetDomainEnds();
    sampler.SampleBranch();

    if (m_twoBranches) {
        m_data.SelectList(KTFunctionData3::SecondBranchList);
        m_currentBuffer = m_buffer2.get();
        m_buffer2->m_count = 0;
        sampler.SampleBranch();
        m_currentBuffer = m_buffer1.get();
        m_data.SelectList(KTFunctionData3::FirstBranchList);
    }

    KTCurveRefiner(*this).ClassifyDiscontinuities();
}

bool KTFunction3::CalculatePoints(bool drawingOnly)
{
    KTClearUpperVectorState();
    const KTCurveAnalyser::Scope scope =
        drawingOnly ? KTCurveAnalyser::Scope::Drawing : KTCurveAnalyser::Scope::Everything;
    m_currentBuffer = m_buffer1.get();
    m_data.SelectList(KTFunctionData3::FirstBranchList);
    KTCurveAnalyser(*this, scope).AnalyseCurve(true);
    if (m_twoBranches) {
        m_currentBuffer = m_buffer2.get();
        m_data.SelectList(KTFunctionData3::SecondBranchList);
        KTCurveAnalyser(*this, scope).AnalyseCurve(false);
        m_currentBuffer = m_buffer1.get();
        m_data.SelectList(KTFunctionData3::FirstBranchList);
    }
    return m_twoBranches != 0;
}
