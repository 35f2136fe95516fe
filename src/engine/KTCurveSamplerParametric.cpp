// The pieces of a parametric curve: where a step of the parameter holds a pole of x(t) or y(t)
// the curve breaks, and each piece that leaves the view is taken on to its edge. The samples
// keep their places; the points found are added between them.

#include "engine/KTCurveSampler.h"

#include "engine/KTCurveValues.h"
#include "engine/KTEdgeSearch.h"
#include "engine/KTFunction3.h"
#include "foundation/KTSentinelValues.h"
#include "axes/KTAxes.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace {

/// A point of the curve with the parameter it was found at.
struct Traced
{
    double t;
    KTCurvePoint point;
};

/// Most stretches of a step whose bounds stay unbounded at one halving. A pole keeps one or two
/// (rounding widens the bounds of its neighbours); a bound wide for other reasons shrinks to
/// none after a few halvings. Beyond this many the stretches are taken whole.
constexpr std::size_t kLiveStretches = 8;

bool HasValues(const KTPoint& p)
{
    return !KTCurveValues::IsNoValue(p.m_x) && !KTCurveValues::IsNoValue(p.m_y);
}

} // namespace

void KTCurveSampler::FollowParametric()
{
    KTCurvePointBuffer& buffer = *m_f.m_currentBuffer;
    KTFunctionData3& data = m_f.Data();
    const int count = std::clamp<int>(buffer.m_count, 0, buffer.Size());
    if (!data.m_owner || count < 2)
        return;
    const KTAxes& axes = *data.m_owner;
    const double low = data.m_domain.m_low;
    const double step = (data.m_domain.m_high - low) * ParametricStep;
    const double xPixel = PixelSize(axes.m_xAxis);
    const double yPixel = PixelSize(axes.m_yAxis);
    const int list = data.CurrentListIndex();

    const auto at = [&](double t) {
        data.SelectList(KTFunctionData3::FirstBranchList);
        const double x = m_f.EvaluateValue(t, KTNoSecondValue);
        data.SelectList(KTFunctionData3::SecondBranchList);
        const double y = m_f.EvaluateValue(t, KTNoSecondValue);
        return KTPoint(x, y);
    };
    const auto inView = [&](const KTPoint& p) { return HasValues(p) && m_f.InGraphRange(p.m_x, p.m_y); };
    const auto traced = [&](double t, const KTPoint& p) {
        KTCurvePoint point;
        point.m_point = p;
        point.m_firstDerivative = 0.0;
        point.m_draw = inView(p) ? 1 : 0;
        point.m_break = point.m_draw ? 0 : 1;
        return Traced{t, point};
    };
    const Traced gap{0.0, [] {
                         KTCurvePoint point;
                         point.m_point = KTPoint(KTUndefinedValue, KTUndefinedValue);
                         point.m_draw = 0;
                         point.m_break = 1;
                         return point;
                     }()};

    std::vector<Traced> points;
    points.reserve(static_cast<std::size_t>(count) + 16);
    for (int k = 0; k < count; ++k)
        points.push_back({low + k * step, buffer.m_points[static_cast<std::size_t>(k)]});

    // The steps whose bound of x or y is not finite: halved as for a curve of x, down to single
    // steps. A list that does not compile has no bounds, and its curve is joined as sampled.
    KTFunction3::PreparedList xs;
    KTFunction3::PreparedList ys;
    std::vector<int> steps;
    const bool bounded = m_f.PrepareList(KTFunctionData3::FirstBranchList, xs) &&
                         m_f.PrepareList(KTFunctionData3::SecondBranchList, ys);
    const auto mayHold = [&](double a, double b) {
        return MayHoldPole(BoundOver(xs, a, b)) || MayHoldPole(BoundOver(ys, a, b));
    };
    if (bounded) {
        steps = StepsNotCleared(count, [&](int first, int last) {
            return mayHold(points[static_cast<std::size_t>(first)].t,
                           points[static_cast<std::size_t>(last)].t);
        });
    }
    const bool dense = static_cast<int>(steps.size()) > DensePoles;

    // The pole of a step narrowed to [u, v]: the stretches whose bounds stay unbounded are
    // halved until they are neighbouring doubles. False when none is left: the bound was only
    // wide ((t - 1)^2 + 0.001 over a wide step holds 0), and the curve goes on through the step.
    const auto narrow = [&](double& u, double& v) {
        std::vector<std::pair<double, double>> live = {{u, v}};
        for (int k = 0; k < NarrowingHalvings; ++k) {
            std::vector<std::pair<double, double>> next;
            bool split = false;
            for (const auto& [a, b] : live) {
                const double middle = a + 0.5 * (b - a);
                if (middle == a || middle == b) {
                    next.emplace_back(a, b);
                    continue;
                }
                split = true;
                if (mayHold(a, middle))
                    next.emplace_back(a, middle);
                if (mayHold(middle, b))
                    next.emplace_back(middle, b);
            }
            if (next.empty())
                return false;
            live.swap(next);
            if (!split || live.size() > kLiveStretches)
                break;
        }
        u = live.front().first;
        v = live.back().second;
        return true;
    };
    // The nearest parameter out from `from` towards `limit` where the curve has a point.
    const auto beside = [&](double from, double limit) {
        const double direction = limit > from ? 1.0 : -1.0;
        double reach = std::max(std::fabs(from), 1.0) * 1e-16;
        double t = from;
        while (!HasValues(at(t)) && reach < std::fabs(limit - from)) {
            t = from + direction * reach;
            reach *= 2.0;
        }
        return t;
    };

    std::vector<Traced> pieces;
    pieces.reserve(points.size() + 3 * steps.size());
    auto nextStep = steps.begin();
    for (int i = 0; i < count; ++i) {
        const Traced& a = points[static_cast<std::size_t>(i)];
        pieces.push_back(a);
        if (nextStep == steps.end() || *nextStep != i)
            continue;
        ++nextStep;
        const Traced& b = points[static_cast<std::size_t>(i + 1)];
        if (dense) {
            pieces.push_back(gap);
            continue;
        }
        double u = a.t;
        double v = b.t;
        if (!narrow(u, v))
            continue;
        u = beside(u, a.t);
        v = beside(v, b.t);
        const KTPoint pu = at(u);
        const KTPoint pv = at(v);
        // A pole takes the curve off the view, or across it in one step between neighbouring
        // parameters; a hole (sin(t)/t at 0) leaves both sides in the view, close together.
        if (inView(pu) && inView(pv) && std::fabs(pu.m_x - pv.m_x) <= xPixel &&
            std::fabs(pu.m_y - pv.m_y) <= yPixel)
            continue;
        if (u > a.t && HasValues(pu))
            pieces.push_back(traced(u, pu));
        pieces.push_back(gap);
        if (v < b.t && HasValues(pv))
            pieces.push_back(traced(v, pv));
    }

    // Where the curve passes from a point in the view to one off it (both with values), the
    // crossing of the view's edge between them is added, to a small part of a pixel.
    const auto pixelsInside = [&](const KTPoint& p) {
        const KTAxis& x = axes.m_xAxis;
        const KTAxis& y = axes.m_yAxis;
        return std::max(0.0, std::min(std::min(p.m_x - x.m_min, x.m_max - p.m_x) / xPixel,
                                      std::min(p.m_y - y.m_min, y.m_max - p.m_y) / yPixel));
    };
    const auto depth = [&](double t, KTPoint& p) {
        p = at(t);
        return inView(p) ? pixelsInside(p) : -1.0;
    };
    std::vector<Traced> out;
    out.reserve(pieces.size() + 16);
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) {
            const Traced& a = pieces[i - 1];
            const Traced& b = pieces[i];
            if (a.point.m_draw != b.point.m_draw && HasValues(a.point.m_point) &&
                HasValues(b.point.m_point)) {
                const Traced& drawn = a.point.m_draw ? a : b;
                KTPoint edge = drawn.point.m_point;
                const double inside = KTEdgeSearch(drawn.t, a.point.m_draw ? b.t : a.t, pixelsInside(edge), edge,
                                                   EdgePrecision, NarrowingHalvings, depth);
                if (inside != drawn.t)
                    out.push_back(traced(inside, edge));
            }
        }
        out.push_back(pieces[i]);
    }
    data.SelectList(list);

    if (static_cast<int>(out.size()) == count)
        return;
    buffer.Reserve(static_cast<int>(out.size()));
    for (std::size_t i = 0; i < out.size(); ++i)
        buffer.m_points[i] = out[i].point;
    buffer.m_count = static_cast<std::int32_t>(out.size());
}
