// The calculation of a function's curve: sampling with the discontinuity search, and the curve
// analysis of each branch. The steps themselves live in KTCurveSampler, KTCurveRefiner and
// KTCurveAnalyser.

#include "engine/KTCurveAnalyser.h"
#include "engine/KTCurveRefiner.h"
#include "engine/KTCurveSampler.h"
#include "engine/KTFunction3.h"
#include "foundation/KTSentinelValues.h"
#include "platform/KTVectorState.h"

void KTFunction3::Calculate()
{
    // A paint just before may have left the vector registers dirty, which slows every
    // evaluation below many times over.
    KTClearUpperVectorState();
    ++m_calculationStamp;
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

double KTFunction3::ValueOfOrder(double x, int order)
{
    switch (order) {
    case 1: return Derivative(x);
    case 2: return SecondDerivative(x);
    default: return Evaluate(x, KTNoSecondValue).m_y;
    }
}

KTCurvePointBuffer* KTFunction3::DerivativeCurve(int order)
{
    const KTEquationPartList& parts = Parts();
    if ((order != 1 && order != 2) || !m_data.m_interpreted || !m_data.m_owner || Status() != KTStatusExplicit ||
        parts.m_polar || parts.m_inverse || parts.m_parametricX)
        return nullptr;
    const int branch = m_currentBuffer == m_buffer2.get() ? 1 : 0;
    const std::size_t index = static_cast<std::size_t>(2 * branch + order - 1);
    std::unique_ptr<KTCurvePointBuffer>& curve = m_derivativeCurves[index];
    if (!curve)
        curve = std::make_unique<KTCurvePointBuffer>();
    if (m_derivativeStamps[index] != m_calculationStamp) {
        m_derivativeStamps[index] = m_calculationStamp;
        KTCurvePointBuffer* const branchBuffer = m_currentBuffer;
        const double tolerance = m_tolerance;
        m_currentBuffer = curve.get();
        curve->m_count = 0;
        KTCurveSampler(*this, order).SampleBranch();
        m_currentBuffer = branchBuffer;
        m_tolerance = tolerance;
    }
    return curve.get();
}
