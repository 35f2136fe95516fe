#include "engine/KTCurveAnalyser.h"

#include "engine/ASRational.h"
#include "engine/KTCurveRefiner.h"
#include "engine/KTCurveValues.h"
#include "engine/KTFunction3.h"
#include "foundation/KTSentinelValues.h"
#include "axes/KTAxes.h"

#include <algorithm>
#include <cmath>

using KTCurveValues::IsNoValue;

namespace {

constexpr int kFirstSlopeMarker = 3; // slope markers only from the fourth point on
constexpr int kAsymptoteRunLimit = 25;
constexpr double kAsymptoteSlope = 5.0;
constexpr double kFar = 100000.0;
constexpr double kNearFar = 95000.0;
constexpr int kStateStart = 1;
constexpr int kStateAdd = 15;
constexpr int kStateSubtract = 16;

} // namespace

double KTCurveAnalyser::F(double x)
{
    return m_f.Evaluate(x, KTNoSecondValue).m_y;
}

int KTCurveAnalyser::AddComputed(double x, double y, int kind)
{
    KTMarker marker;
    marker.Init();
    marker.m_point = KTPoint(x, y);
    marker.m_refined = 1;
    marker.m_kind = static_cast<KTMarkerKind>(kind);
    return KTCurveValues::AddMarker(m_f.m_markers, marker);
}

int KTCurveAnalyser::AddSampled(double x, double y, int kind)
{
    KTMarker marker;
    marker.Init();
    marker.m_point = KTPoint(x, y);
    marker.m_refined = 0;
    marker.m_kind = static_cast<KTMarkerKind>(kind);
    return KTCurveValues::AddMarker(m_f.m_markers, marker);
}

void KTCurveAnalyser::AnalyseCurve(bool resetExtents)
{
    if (!m_f.Data().m_interpreted)
        return;
    KTMarkerList& markers = m_f.m_markers;
    const int first = markers.m_count;
    const int status = m_f.Status();
    if (status == KTStatusExplicit)
        AnalyseExplicit();
    else if (status == KTStatusNoEquation)
        AnalysePoints();

    // Refinement and extents of the markers of this run. Markers that show nothing (kind 5)
    // stay out of the box that automatic scaling reads.
    if (resetExtents)
        markers.m_minX = markers.m_maxX = markers.m_maxY = markers.m_minY = 0.0;
    KTCurveRefiner refiner(m_f);
    const int last = std::min<int>(markers.m_count, KTMarkerList::Capacity);
    for (int i = first; i < last; ++i) {
        KTMarker& marker = markers.m_markers[static_cast<std::size_t>(i)];
        if (marker.m_kind == KTMarkerXIntercept)
            refiner.RefineRoot(i, 0.0);
        else if (marker.m_kind == KTMarkerHorizontalCandidate)
            refiner.RefineTurningPoint(i, 0.0);
        else if (marker.m_kind == KTMarkerInflection)
            refiner.RefineInflection(i, 0.0);
        if (marker.m_kind == KTMarkerNoneFound || IsNoValue(marker.m_point.m_x) ||
            IsNoValue(marker.m_point.m_y))
            continue;
        // Candidates either side of a pole (tan x) refine to the same root: it is shown once.
        bool repeated = false;
        for (int j = first; j < i && !repeated; ++j) {
            const KTMarker& earlier = markers.m_markers[static_cast<std::size_t>(j)];
            repeated = earlier.m_kind == marker.m_kind &&
                       std::fabs(earlier.m_point.m_x - marker.m_point.m_x) <= 1e-8 &&
                       std::fabs(earlier.m_point.m_y - marker.m_point.m_y) <= 1e-8;
        }
        if (repeated) {
            marker.m_kind = KTMarkerNoneFound;
            continue;
        }
        markers.m_minX = std::min(markers.m_minX, marker.m_point.m_x);
        markers.m_maxX = std::max(markers.m_maxX, marker.m_point.m_x);
        markers.m_maxY = std::max(markers.m_maxY, marker.m_point.m_y);
        markers.m_minY = std::min(markers.m_minY, marker.m_point.m_y);
    }
}

void KTCurveAnalyser::AnalyseExplicit()
{
    KTFunctionData3& data = m_f.Data();
    const KTFunctionDomain& domain = data.m_domain;

    AddComputed(0.0, F(0.0), KTMarkerYIntercept);
    const auto closedOrOpen = [](int end) {
        return end == KTFunctionDomain::EndClosed || end == KTFunctionDomain::EndOpen;
    };
    if (closedOrOpen(domain.m_lowEnd))
        AddComputed(domain.m_low, F(domain.m_low), LowEndMarker);
    if (closedOrOpen(domain.m_highEnd))
        AddComputed(domain.m_high, F(domain.m_high), HighEndMarker);

    KTCurvePointBuffer* buffer = m_f.m_currentBuffer;
    if (!buffer)
        return;
    const int count = std::clamp<int>(buffer->m_count, 0, buffer->Size());
    const bool wantSecond = data.m_showSecondDerivative != 0;

    // Points without a value take no part in the sign and slope walks.
    bool haveSign = false;
    bool sign = false;
    double reference = 1.0;
    bool rising = true;
    for (int i = 0; i < count; ++i) {
        KTCurvePoint& point = buffer->m_points[static_cast<std::size_t>(i)];
        const double x = point.m_point.m_x;
        const double y = point.m_point.m_y;
        if (!IsNoValue(y)) {
            const bool positive = y >= 0.0;
            if (haveSign && positive != sign)
                AddSampled(x, y, KTMarkerXIntercept);
            sign = positive;
            haveSign = true;
        }

        const double slope = m_f.Derivative(x);
        point.m_firstDerivative = slope;
        if (wantSecond)
            point.m_secondDerivative = m_f.SecondDerivative(x);
        if (IsNoValue(slope) || IsNoValue(y))
            continue;

        const double d = std::fabs(slope);
        const bool mayMark = i >= kFirstSlopeMarker;
        if (std::fabs(d - reference) < 0.0001) {
            reference = d;
            if (!rising) {
                if (mayMark)
                    AddSampled(x, y, KTMarkerHorizontalCandidate);
                rising = true;
            }
        } else if ((rising && d > reference) || (!rising && d < reference)) {
            reference = d;
        } else {
            if (mayMark)
                AddSampled(x, y, rising ? KTMarkerInflection : KTMarkerHorizontalCandidate);
            rising = !rising;
            reference = d;
        }
    }

    const KTEquationPartList& parts = m_f.Parts();
    if (parts.m_inverse)
        return;
    if (!parts.m_parametricX && !parts.m_polar && count >= 2)
        AddVerticalAsymptotes();
    if (!parts.m_parametricX && !parts.m_polar)
        AddHorizontalAsymptote();
}

void KTCurveAnalyser::AddVerticalAsymptotes()
{
    const KTCurvePointBuffer& buffer = *m_f.m_currentBuffer;
    KTMarkerList& markers = m_f.m_markers;
    const int count = std::clamp<int>(buffer.m_count, 0, buffer.Size());
    const auto point = [&](int i) -> const KTCurvePoint& {
        return buffer.m_points[static_cast<std::size_t>(i)];
    };

    for (int s = 1; s + 1 < count; ++s) {
        // A drawn point s followed by a run of points off the view that ends at a drawn point.
        if (!point(s).m_draw || point(s + 1).m_draw)
            continue;
        int end = s + 1;
        while (end < count && !point(end).m_draw)
            ++end;
        if (end >= count)
            break;
        const int length = end - s;
        if (length < kAsymptoteRunLimit && std::fabs(point(s).m_firstDerivative) > kAsymptoteSlope &&
            !IsNoValue(point(s).m_firstDerivative)) {
            const double x = point(s + length / 2).m_point.m_x;
            bool near = false;
            for (int i = 0; i < markers.m_count && i < KTMarkerList::Capacity; ++i) {
                const KTMarker& m = markers.m_markers[static_cast<std::size_t>(i)];
                if (m.m_kind == KTMarkerVerticalAsymptote && std::fabs(m.m_point.m_x - x) <= 0.1)
                    near = true;
            }
            if (std::fabs(x) >= 0.1 && !near)
                AddSampled(x, point(s).m_point.m_y, KTMarkerVerticalAsymptote);
        }
        s = end - 1;
    }
}

void KTCurveAnalyser::AddHorizontalAsymptote()
{
    const KTAxes* axes = m_f.Data().m_owner;
    if (!axes)
        return;
    const KTFunctionDomain& domain = m_f.Data().m_domain;
    const double ymin = axes->m_yAxis.m_min;
    const double ymax = axes->m_yAxis.m_max;
    const auto flat = [&](double at) {
        const double d = m_f.Derivative(at);
        return !IsNoValue(d) && AlmostEqual(d, 0.0, 1e-8);
    };
    const auto inView = [&](double v) { return !IsNoValue(v) && ymin < v && v < ymax; };
    const bool lowOpen = domain.m_lowEnd == KTFunctionDomain::EndUnbounded;
    const bool highOpen = domain.m_highEnd == KTFunctionDomain::EndUnbounded;

    const double low = F(-kFar);
    const double high = F(kFar);
    if (lowOpen && highOpen && !IsNoValue(low) && !IsNoValue(high) && std::fabs(low - high) < 0.005 &&
        flat(-kFar) && flat(kFar) && inView(low)) {
        AddComputed(0.0, (high + low) / 2.0, KTMarkerHorizontalAsymptote);
        return;
    }
    if (lowOpen) {
        const double near = F(-kNearFar);
        if (!IsNoValue(low) && !IsNoValue(near) && std::fabs(low - near) < 0.005 && flat(-kFar) &&
            inView(low)) {
            AddComputed(0.0, low, KTMarkerHorizontalAsymptote);
            return;
        }
    }
    if (highOpen) {
        const double near = F(kNearFar);
        if (!IsNoValue(high) && !IsNoValue(near) && std::fabs(high - near) < 0.005 && flat(kFar) &&
            inView(high))
            AddComputed(0.0, high, KTMarkerHorizontalAsymptote);
    }
}

void KTCurveAnalyser::AnalysePoints()
{
    KTFunctionData3& data = m_f.Data();
    const KTEquationPartList& parts = m_f.Parts();
    // Reading a part as a domain stores it in the function; the function's own domain is kept.
    const KTFunctionDomain kept = data.m_domain;
    int state = kStateStart;
    KTPoint current(0.0, 0.0);
    for (int i = 0; i < parts.GetCount(); ++i) {
        const KTEquationPart part = parts.At(i);
        if (part.Kind() == KTPartOperation) {
            CString text = part.Text();
            text.Trim();
            if (text == "+")
                state = kStateAdd;
            else if (text == "-")
                state = kStateSubtract;
        } else if (part.Kind() == KTPartVector) {
            const KTFunctionDomain d = m_f.InterpretDomain(part);
            if (state == kStateAdd)
                current = KTPoint(current.m_x + d.m_low, current.m_y + d.m_high);
            else if (state == kStateSubtract)
                current = KTPoint(current.m_x - d.m_low, current.m_y - d.m_high);
            else
                current = KTPoint(d.m_low, d.m_high);
            AddComputed(current.m_x, current.m_y, PointMarker);
            state = kStateStart;
        } else if (part.Kind() == KTPartDomainOrPoint) {
            const KTFunctionDomain d = m_f.InterpretDomain(part);
            current = KTPoint(d.m_low, d.m_high);
            AddComputed(current.m_x, current.m_y, PointMarker);
            if (state == kStateAdd)
                state = kStateStart;
        }
    }
    data.m_domain = kept;
}
