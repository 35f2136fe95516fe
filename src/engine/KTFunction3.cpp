#include "engine/KTFunction3.h"

#include "foundation/KTSentinelValues.h"
#include "axes/KTAxes.h"
#include "platform/KTArchive.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <utility>

KTFunction3::KTFunction3(KTAxes* owner)
    : m_buffer1(std::make_unique<KTCurvePointBuffer>()), m_buffer2(std::make_unique<KTCurvePointBuffer>())
{
    m_currentBuffer = m_buffer1.get();
    Reset(owner);
    m_buffer1->m_count = 0;
    m_buffer2->m_count = 0;
}

KTFunction3::~KTFunction3() = default;

void KTFunction3::Reset(KTAxes* owner)
{
    m_data.Reset(owner, nullptr);
    m_data.m_owner = owner;
    m_devicePointCount = 0;
    m_markers.Clear();
    if (ASTokenList* list = m_data.List(KTFunctionData3::FirstBranchList))
        list->Clear();
    if (ASTokenList* list = m_data.List(KTFunctionData3::SecondBranchList))
        list->Clear();
    m_data.SelectList(KTFunctionData3::FirstBranchList);
    m_data.m_index = -1;
    m_data.m_relation = -1;
    m_tolerance = 0.0001;
    EvaluationListsChanged();
}

void KTFunction3::Serialize(KTArchive& ar)
{
    m_data.Serialize(ar);
}

void KTFunction3::CopyFrom(const KTFunction3& other)
{
    if (&other == this)
        return;
    m_data.CopyFrom(other.m_data);
    m_parts = other.m_parts;
    EvaluationListsChanged();
}

void KTFunction3::SetIndex(int index)
{
    m_data.m_index = index;
}

double KTFunction3::XToPixel(double x)
{
    const KTAxes* axes = m_data.m_owner;
    if (!axes)
        return x;
    const double xmin = axes->m_xAxis.m_min;
    const double xmax = axes->m_xAxis.m_max;
    const double width = static_cast<double>(axes->m_rect.right) - axes->m_rect.left;
    double d = xmax != xmin ? width * (x - xmin) / (xmax - xmin) : x;
    if (!(d <= width + 15.0) || d < 0.0)
        d = 0.0;
    return axes->m_rect.left + d;
}

double KTFunction3::YToPixel(double y)
{
    const KTAxes* axes = m_data.m_owner;
    if (!axes)
        return y;
    const double ymin = axes->m_yAxis.m_min;
    const double ymax = axes->m_yAxis.m_max;
    const double height = static_cast<double>(axes->m_rect.bottom) - axes->m_rect.top;
    double b = ymax != ymin ? (y - ymin) * height / (ymax - ymin) : 0.0;
    if (!(b >= 0.0)) // also NaN
        b = 0.0;
    b = std::min(b, height + 15.0);
    return axes->m_rect.bottom - b;
}

void KTFunction3::FindMarkersNear(int deviceX, int deviceY, KTMarkerList& result, int tag)
{
    KTAxes* axes = m_data.m_owner;
    if (!axes)
        return;
    for (int i = 0; i < m_markers.m_count && i < m_markers.Held(); ++i) {
        const KTMarker& marker = *m_markers.At(i);
        if (marker.m_kind == KTMarkerNoneFound)
            continue;
        // A point outside the view is not on the screen to be pointed at, however near its
        // device point lies to the mouse.
        const bool xInView =
            axes->m_xAxis.m_min <= marker.m_point.m_x && marker.m_point.m_x <= axes->m_xAxis.m_max;
        const bool yInView =
            axes->m_yAxis.m_min <= marker.m_point.m_y && marker.m_point.m_y <= axes->m_yAxis.m_max;
        bool inView = xInView && yInView;
        if (marker.m_kind == KTMarkerVerticalAsymptote)
            inView = xInView;
        else if (marker.m_kind == KTMarkerHorizontalAsymptote)
            inView = yInView;
        if (!inView)
            continue;
        const CPoint p = axes->GraphToDevice(marker.m_point, 0, 0);
        const double dx = static_cast<double>(p.x) - deviceX;
        const double dy = static_cast<double>(p.y) - deviceY;
        double distance2 = dx * dx + dy * dy;
        if (marker.m_kind == KTMarkerVerticalAsymptote)
            distance2 = dx * dx;
        else if (marker.m_kind == KTMarkerHorizontalAsymptote)
            distance2 = dy * dy;
        if (distance2 < NearMarkerDistance2 && result.m_count < NearMarkerLimit) {
            KTMarker copy = marker;
            copy.m_tag = static_cast<std::int16_t>(tag);
            result.Add(copy);
        }
    }
}

// ---- Evaluation ---------------------------------------------------------------------------------

const KTEvaluationProgram* KTFunction3::ProgramForCurrentList()
{
    const int index = m_data.CurrentListIndex();
    if (index < 0 || index >= KTFunctionData3::ListCount)
        return nullptr;
    CompiledList& compiled = m_compiled[static_cast<std::size_t>(index)];
    const ASTokenList& list = m_data.CurrentList();
    if (compiled.generation != m_listGeneration || compiled.count != list.GetCount()) [[unlikely]] {
        compiled.program.Compile(list);
        compiled.generation = m_listGeneration;
        compiled.count = list.GetCount();
    }
    return compiled.program.IsCompiled() ? &compiled.program : nullptr;
}

bool KTFunction3::PrepareList(int listIndex, PreparedList& out)
{
    out.program = nullptr;
    const int current = m_data.CurrentListIndex();
    if (!m_data.SelectList(listIndex))
        return false;
    const KTEvaluationProgram* program = ProgramForCurrentList();
    m_data.SelectList(current);
    if (!program)
        return false;
    CopyConstants(out.constants);
    out.angleScale = program->UsesAngle() ? AngleScale() : 1.0;
    out.program = program;
    return true;
}

void KTFunction3::CopyConstants(double* out) const
{
    for (int i = 0; i < KTFunctionConstantRanges::Count; ++i)
        out[i] = m_data.m_constants.m_range[static_cast<std::size_t>(i)].m_current;
}

double KTFunction3::EvaluateValueSlow(double x, double y)
{
    KTEvaluationInputs inputs{x, y, nullptr, 1.0};
    double constants[KTFunctionConstantRanges::Count];
    const KTEvaluationProgram* program = ProgramForCurrentList();
    if (!program || program->UsesConstants()) {
        CopyConstants(constants);
        inputs.constants = constants;
    }
    if (!program || program->UsesAngle())
        inputs.angleScale = AngleScale();
    return program ? program->Run(inputs) : KTEvaluateTokens(m_data.CurrentList(), inputs);
}

KTInterval KTFunction3::BoundValue(double xLow, double xHigh)
{
    if (xLow > xHigh)
        std::swap(xLow, xHigh);
    const KTEvaluationProgram* program = ProgramForCurrentList();
    if (!program)
        return KTInterval::Entire();
    double constants[KTFunctionConstantRanges::Count];
    CopyConstants(constants);
    return program->Bound({{xLow, xHigh}, KTInterval::Empty(), constants, AngleScale()});
}

KTInterval KTFunction3::BoundValue(double xLow, double xHigh, double yLow, double yHigh)
{
    if (xLow > xHigh)
        std::swap(xLow, xHigh);
    if (yLow > yHigh)
        std::swap(yLow, yHigh);
    const KTEvaluationProgram* program = ProgramForCurrentList();
    if (!program)
        return KTInterval::Entire();
    double constants[KTFunctionConstantRanges::Count];
    CopyConstants(constants);
    return program->Bound({{xLow, xHigh}, {yLow, yHigh}, constants, AngleScale()});
}

void KTFunction3::EvaluateValues(const double* xs, double* ys, int count, double y)
{
    EvaluateListValues(xs, ys, count, y);
    if (m_data.m_valueLists != 0)
        for (int i = 0; i < count; ++i)
            ys[i] = HoldToValueDomain(ys[i]);
}

void KTFunction3::EvaluateListValues(const double* xs, double* ys, int count, double y)
{
    const KTEvaluationProgram* program = ProgramForCurrentList();
    if (!program) {
        for (int i = 0; i < count; ++i)
            ys[i] = EvaluateValueSlow(xs[i], y);
        return;
    }
    // The inputs EvaluateValue gives the program: constants and the angle unit only when read.
    KTEvaluationInputs inputs{0.0, y, nullptr, 1.0};
    double constants[KTFunctionConstantRanges::Count];
    if (program->UsesConstants()) {
        CopyConstants(constants);
        inputs.constants = constants;
    }
    if (program->UsesAngle())
        inputs.angleScale = AngleScale();
    program->RunBatch(xs, ys, count, inputs);
}

KTPoint KTFunction3::Evaluate(double x, double y)
{
    KTPoint p;
    Evaluate(p, x, y);
    return p;
}

namespace {

/// Difference steps relative to max(1, |x|), and at most these parts of the samples' spacing.
constexpr double kSlopeStep = 1e-5;
constexpr double kCurvatureStep = 1e-4;
constexpr double kSlopeSpacingPart = 0.01;
constexpr double kCurvatureSpacingPart = 0.1;
/// Two differences agree within this many roundings of f over the narrower step.
constexpr double kDifferenceRounding = 16.0;

/// A difference quotient and how far the rounding of f may move it.
struct Difference
{
    double value = KTUndefinedValue;
    double rounding = 0.0;
};

/// The difference over the wide step, or over the narrow one where that is narrower and the
/// two differ by more than the narrow one's rounding. No value where the wide one has none.
template <class Quotient> double Settled(const Quotient& difference, double x, double wide, double narrow)
{
    const Difference coarse = difference(wide);
    // A step of a few hundred of x's last bits still tells x + h from x - h.
    narrow = std::max(narrow, 256.0 * DBL_EPSILON * std::fabs(x));
    if (coarse.value == KTUndefinedValue || !(narrow > 0.0 && narrow < wide))
        return coarse.value;
    const Difference fine = difference(narrow);
    if (fine.value == KTUndefinedValue || std::fabs(fine.value - coarse.value) <= fine.rounding)
        return coarse.value;
    return fine.value;
}

/// f a step h either side of x, at the points as they are (far from 0 a narrow step is a few of
/// x's last bits); `valued` is false where f has no value at either.
struct Sides
{
    double behind, ahead, fb, fa;
    bool valued;
};

template <class Value> Sides Around(const Value& f, double x, double h)
{
    Sides s{x - h, x + h, 0.0, 0.0, false};
    s.fb = f(s.behind);
    s.fa = f(s.ahead);
    s.valued = !KTEvaluationRules::IsSentinel(s.fa) && !KTEvaluationRules::IsSentinel(s.fb);
    return s;
}

} // namespace

double KTFunction3::Derivative(double x)
{
    // A step scaled to |x| keeps the rounding of f small for large x, and the central difference
    // is exact for quadratics up to rounding. A curve that turns within that step (sin x far
    // from 0, any curve on a view narrower than the step) needs one within a sample's spacing:
    // where the two differ by more than the narrow one's rounding, the narrow one holds.
    const auto f = [this](double t) { return EvaluateValue(t, KTNoSecondValue); };
    const auto difference = [&f, x](double h) {
        const Sides s = Around(f, x, h);
        Difference d;
        if (!s.valued)
            return d;
        // The distance between the points as they are, not 2h as it was meant.
        const double width = s.ahead - s.behind;
        d.value = (s.fa - s.fb) / width;
        d.rounding = kDifferenceRounding * DBL_EPSILON * std::max(std::fabs(s.fa), std::fabs(s.fb)) / width;
        return d;
    };
    return Settled(difference, x, kSlopeStep * std::max(1.0, std::fabs(x)), kSlopeSpacingPart * m_tolerance);
}

double KTFunction3::SecondDerivative(double x)
{
    const auto f = [this](double t) { return EvaluateValue(t, KTNoSecondValue); };
    const double here = f(x);
    if (KTEvaluationRules::IsSentinel(here))
        return KTUndefinedValue;
    const auto difference = [&f, x, here](double h) {
        const Sides s = Around(f, x, h);
        Difference d;
        if (!s.valued)
            return d;
        const double up = s.ahead - x;
        const double down = x - s.behind;
        d.value = 2.0 * ((s.fa - here) / up - (here - s.fb) / down) / (up + down);
        d.rounding = 4.0 * kDifferenceRounding * DBL_EPSILON *
                     std::max({std::fabs(s.fa), std::fabs(here), std::fabs(s.fb)}) / (up * down);
        return d;
    };
    return Settled(difference, x, kCurvatureStep * std::max(1.0, std::fabs(x)),
                   kCurvatureSpacingPart * m_tolerance);
}

double KTFunction3::ViewSlopeUnit() const
{
    const KTAxes* axes = m_data.m_owner;
    if (!axes)
        return 1.0;
    const double xs = axes->m_xAxis.m_max - axes->m_xAxis.m_min;
    const double ys = axes->m_yAxis.m_max - axes->m_yAxis.m_min;
    const double unit = m_parts.m_inverse && !m_parts.m_polar ? xs / ys : ys / xs;
    return unit > 0.0 && std::isfinite(unit) ? unit : 1.0;
}

double KTFunction3::YAtX(double x)
{
    if (!m_data.m_interpreted || m_parts.GetStatus() != KTStatusExplicit || m_parts.m_polar)
        return KTNoYValue;
    if (!m_parts.m_inverse) {
        const double y = EvaluateValue(x, KTNoSecondValue);
        return KTEvaluationRules::IsSentinel(y) ? KTNoYValue : y;
    }
    // x = f(y): ten Newton steps from y = 0 towards f(y) = x.
    double y = 0.0;
    for (int step = 0; step < 10; ++step) {
        const double fy = EvaluateValue(y, KTNoSecondValue);
        if (KTEvaluationRules::IsSentinel(fy))
            return KTNoYValue;
        double slope = Derivative(y);
        if (KTEvaluationRules::IsSentinel(slope))
            return KTNoYValue;
        if (slope == 0.0)
            slope = 0.0001;
        const double next = y - (fy - x) / slope;
        if (!std::isfinite(next))
            return KTNoYValue;
        y = next;
    }
    const double fy = EvaluateValue(y, KTNoSecondValue);
    if (KTEvaluationRules::IsSentinel(fy) || !(std::fabs(fy - x) <= 0.1))
        return KTNoYValue;
    return y;
}

bool KTFunction3::InGraphRange(double x, double y) const
{
    const KTAxes* axes = m_data.m_owner;
    if (!axes)
        return false;
    return axes->m_xAxis.m_min <= x && x <= axes->m_xAxis.m_max && axes->m_yAxis.m_min <= y &&
           y <= axes->m_yAxis.m_max;
}

bool KTFunction3::InGraphRangeStrict(double x, double y) const
{
    const KTAxes* axes = m_data.m_owner;
    if (!axes)
        return false;
    return axes->m_xAxis.m_min < x && x < axes->m_xAxis.m_max && axes->m_yAxis.m_min < y &&
           y < axes->m_yAxis.m_max;
}

// ---- Messages -----------------------------------------------------------------------------------

void KTFunction3::InputError(const char* message)
{
    m_parts.LatchError(message);
}

void KTFunction3::RecordMessage(const char* caption, const char* text)
{
    if (!m_recordMessages)
        return;
    const KTInputMessage message{caption, text};
    if (std::find(m_pendingMessages.begin(), m_pendingMessages.end(), message) == m_pendingMessages.end())
        m_pendingMessages.push_back(message);
}

std::vector<KTInputMessage> KTFunction3::TakePendingMessages()
{
    std::vector<KTInputMessage> messages;
    messages.swap(m_pendingMessages);
    return messages;
}
