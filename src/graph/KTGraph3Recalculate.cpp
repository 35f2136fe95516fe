// Bringing what is derived from the graph's data up to date before a drawing: the data extents
// of AutoScale, the curves, the frame inequalities and the curves' intersections.

#include "graph/KTGraph3.h"

#include "engine/KTCurveRefiner.h"
#include "engine/KTPointPolisher.h"
#include "engine/KTFunction3.h"
#include "engine/KTInterpretStatus.h"
#include "foundation/KTSegmentSide.h"
#include "foundation/KTSentinelValues.h"
#include "graph/KTDerivativeCalculation.h"
#include "graph/KTIntegralCalculation.h"
#include "axes/KTUndefined.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <exception>
#include <vector>

namespace {

/// Relation codes of the relation signs.
constexpr std::int32_t kEquals = 38;
constexpr std::int32_t kFirstInequality = 43;
constexpr std::int32_t kLastInequality = 46;

/// Distances from x = 0 at which AutoScale compares the order of the curves.
constexpr double kOrderSamples[] = {
    0.1, 0.2, 0.4, 0.6, 0.8, 1,   1.5, 2,   2.5, 3,   4,   5,   6,   7,   8,   9,   10,  11,   12,  13,
    14,  15,  16,  17,  18,  19,  20,  24,  28,  32,  36,  40,  45,  50,  55,  60,  70,  80,   90,  100,
    120, 140, 160, 180, 200, 225, 250, 275, 300, 350, 400, 450, 500, 600, 700, 800, 900, 1000, 1100};
static_assert(std::size(kOrderSamples) == 59);

constexpr double kDefaultExtent = 6.3;
constexpr double kDegreeExtent = 360.0;
constexpr double kGradExtent = 400.0;
/// A value at x = 0 beyond this (every sentinel among them) does not widen the extents.
constexpr double kLargestValueAtZero = 1e8;

bool IsInequalityCode(std::int32_t relation)
{
    return relation >= kFirstInequality && relation <= kLastInequality;
}

/// Makes the function's first branch the current one: buffer and evaluation list.
void SelectFirstBranch(KTFunction3& function)
{
    function.m_currentBuffer = function.m_buffer1.get();
    function.Data().SelectList(KTFunctionData3::FirstBranchList);
}

void SelectSecondBranch(KTFunction3& function)
{
    function.m_currentBuffer = function.m_buffer2.get();
    function.Data().SelectList(KTFunctionData3::SecondBranchList);
}

bool HasSecondBranch(const KTFunction3& function)
{
    return function.m_twoBranches != 0;
}

} // namespace

bool KTGraph3::SlotValid(int slot) const
{
    const KTFunction3* function = const_cast<KTGraphData3&>(m_data).FindFunction(slot);
    return function && function->IsDrawable();
}

bool KTGraph3::SlotIsEquation(int slot) const
{
    const KTFunction3* function = const_cast<KTGraphData3&>(m_data).FindFunction(slot);
    return function && function->Data().m_relation == kEquals;
}

int KTGraph3::CountInequalities() const
{
    int count = 0;
    for (int slot = 0; slot < KTGraphData3::UserFunctionCount; ++slot)
        if (IsInequalityCode(m_data.Function(slot).Data().m_relation))
            ++count;
    return count;
}

bool KTGraph3::CanBuildRegionPolygon() const
{
    for (int slot = 0; slot < KTGraphData3::UserFunctionCount; ++slot) {
        const KTFunction3& function = m_data.Function(slot);
        const int status = function.Status();
        if (function.Parts().m_polar || status == KTStatusParametric || status == KTStatusImplicit ||
            HasSecondBranch(function))
            return false;
    }
    return true;
}

// ---- Data extents -------------------------------------------------------------------------------

KTValueOrder KTGraph3::ValuesAtX(double x)
{
    KTValueOrder order;
    std::array<double, KTValueOrder::ItemCount> values{};
    for (int slot = 0; slot < KTGraphData3::UserFunctionCount; ++slot)
        values[static_cast<std::size_t>(slot)] = m_data.Function(slot).YAtX(x);
    values[KTValueOrder::XAxisItem] = 0.0;

    // Insertion in item order: equal values keep item order, items without a value go last.
    int placed = 0;
    int withValue = 0;
    for (int item = 0; item < KTValueOrder::ItemCount; ++item) {
        const double value = values[static_cast<std::size_t>(item)];
        int at = placed;
        if (value != KTNoYValue) {
            at = withValue;
            for (int p = 0; p < withValue; ++p) {
                if (order.m_values[static_cast<std::size_t>(p)] > value) {
                    at = p;
                    break;
                }
            }
            ++withValue;
        }
        for (int p = placed; p > at; --p) {
            order.m_items[static_cast<std::size_t>(p)] = order.m_items[static_cast<std::size_t>(p - 1)];
            order.m_values[static_cast<std::size_t>(p)] = order.m_values[static_cast<std::size_t>(p - 1)];
        }
        order.m_items[static_cast<std::size_t>(at)] = value == KTNoYValue ? KTValueOrder::NoValueItem : item;
        order.m_values[static_cast<std::size_t>(at)] = value;
        ++placed;
    }
    for (int p = 1; p < KTValueOrder::ItemCount; ++p) {
        const auto i = static_cast<std::size_t>(p);
        if (order.m_values[i] == order.m_values[i - 1] && order.m_values[i] != KTNoYValue)
            order.m_ties[i] = order.m_ties[i - 1] = 1;
    }
    return order;
}

void KTGraph3::WidenExtentsAlong(double sign, const KTValueOrder& atZero)
{
    KTDataExtents& e = m_data.m_extents;
    for (const double t : kOrderSamples) {
        const double x = sign * t;
        const KTValueOrder order = ValuesAtX(x);
        bool differs = false;
        for (int p = 0; p < KTValueOrder::ItemCount && !differs; ++p) {
            const auto i = static_cast<std::size_t>(p);
            differs = order.m_items[i] != atZero.m_items[i] && !order.m_ties[i] &&
                      order.m_items[i] != KTValueOrder::NoValueItem &&
                      atZero.m_items[i] != KTValueOrder::NoValueItem;
        }
        if (!differs)
            continue;
        if (sign > 0)
            e.m_right = std::max(e.m_right, x);
        else
            e.m_left = std::min(e.m_left, x);
        // Any undefined value (a sentinel, or one that arithmetic has smeared) would stretch
        // the axes to a trillion.
        const double lowest = order.m_values[0];
        if (order.m_items[0] != KTValueOrder::NoValueItem && !KTIsUndefined(lowest))
            e.m_bottom = std::min(e.m_bottom, lowest);
        for (int p = KTValueOrder::ItemCount - 1; p >= 0; --p) {
            const auto i = static_cast<std::size_t>(p);
            if (order.m_items[i] == KTValueOrder::NoValueItem)
                continue;
            if (!KTIsUndefined(order.m_values[i]))
                e.m_top = std::max(e.m_top, order.m_values[i]);
            break;
        }
    }
}

void KTGraph3::ComputeDataExtents()
{
    if (m_data.m_dirty <= 0)
        return;
    try {
        KTOptionAxes2& axesOptions = m_data.m_options.m_axes;
        axesOptions.m_fullTurn = 0;
        // The functions evaluate through the axes, which hold the options of the last layout:
        // before the first one (a document just loaded) that would be the default angle unit.
        m_axes.m_options.m_angleSystem = axesOptions.m_angleSystem;
        for (int slot = 0; slot < KTGraphData3::UserFunctionCount; ++slot) {
            KTFunction3& function = m_data.Function(slot);
            function.Interpret();
            if (function.Data().m_usesTrig)
                axesOptions.m_fullTurn = 1;
        }
        if (!m_data.m_options.m_autoScale.m_value)
            return;

        KTDataExtents& e = m_data.m_extents;
        e.m_left = -kDefaultExtent;
        e.m_right = kDefaultExtent;
        e.m_bottom = -kDefaultExtent;
        e.m_top = kDefaultExtent;
        if (axesOptions.m_fullTurn) {
            const int angleSystem = axesOptions.m_angleSystem.GetValue();
            if (angleSystem == 0) {
                e.m_left = -kDegreeExtent;
                e.m_right = kDegreeExtent;
            } else if (angleSystem == 2) {
                e.m_left = -kGradExtent;
                e.m_right = kGradExtent;
            }
        }
        for (int slot = 0; slot < KTGraphData3::UserFunctionCount; ++slot) {
            double y = m_data.Function(slot).YAtX(0.0);
            if (y > kLargestValueAtZero || KTIsUndefined(y))
                y = 0.0;
            e.m_bottom = std::min(e.m_bottom, y);
            e.m_top = std::max(e.m_top, y);
        }
        const KTValueOrder atZero = ValuesAtX(0.0);
        WidenExtentsAlong(1.0, atZero);
        WidenExtentsAlong(-1.0, atZero);
    } catch (const std::exception&) {
        // Runs inside a paint: the extents keep what they had.
    }
}

// ---- Recalculation --------------------------------------------------------------------------------

void KTGraph3::CalculateSlot(KTFunction3& function)
{
    function.Calculate();
    function.CalculatePoints();
    // The conversion to screen coordinates handles both branches in one call: a second call
    // would convert the converted points again.
    KTCurveRefiner(function).ToPolar();
    SelectFirstBranch(function);
}

void KTGraph3::FillFrameTexts()
{
    // The frame closes the region just inside the view's edges, so that its corners and its
    // crossings with the curves are in the view and the region's edge is the view's edge.
    // Written with enough decimals for the narrowest range.
    static const char* const kSigns[] = {"x>", "x<", "y>", "y<"};
    const bool inequalities = CountInequalities() > 0;
    const KTAxis& x = m_axes.m_xAxis;
    const KTAxis& y = m_axes.m_yAxis;
    const double xInset = (x.m_max - x.m_min) * FrameInsetX;
    const double yInset = (y.m_max - y.m_min) * FrameInsetY;
    const double values[] = {x.m_min + xInset, x.m_max - xInset, y.m_min + yInset, y.m_max - yInset};
    const double spans[] = {x.m_max - x.m_min, x.m_max - x.m_min, y.m_max - y.m_min, y.m_max - y.m_min};
    for (int k = 0; k < 4; ++k) {
        KTFunction3& frame = m_data.Function(KTGraphData3::FirstFrameSlot + k);
        const double span = spans[k];
        const int decimals =
            std::isfinite(span) && span > 0.0 ? std::clamp(10 - static_cast<int>(std::floor(std::log10(span))), 6, 60)
                                              : 6;
        frame.Data().m_equationText =
            inequalities ? CString(KTFormatC("%s%.*f", kSigns[k], decimals, values[k]).c_str()) : CString();
    }
}

void KTGraph3::Recalculate(const KTVariableSubstitutions* substitutions)
{
    if (m_data.m_dirty <= 0)
        return;
    try {
        for (int slot = 0; slot < KTGraphData3::UserFunctionCount; ++slot)
            CalculateSlot(m_data.Function(slot));
        FillFrameTexts();
        for (int slot = KTGraphData3::FirstFrameSlot; slot < KTGraphData3::SlotCount; ++slot) {
            KTFunction3& frame = m_data.Function(slot);
            frame.Interpret();
            CalculateSlot(frame);
        }
        FindIntersections();
        NoteFullLists();

        if (CountInequalities() > 0) {
            const KTOptionGraph3& options = m_data.m_options;
            if (options.m_frOnly.m_value) {
                if (!(options.m_frSolid.m_value && CanBuildRegionPolygon() && BuildRegionPolygon()))
                    BuildFeasibleDots();
            } else {
                BuildInequalityDots(options.m_frAgree.m_value != 0);
            }
        } else {
            ClearRegions();
        }

        m_data.m_integrals.SetGraph(&m_axes);
        KTIntegralCalculation::CalculateAll(m_data.m_integrals, m_data, substitutions);
        for (int slot = 0; slot < KTGraphData3::UserFunctionCount; ++slot)
            if (!SlotValid(slot))
                m_data.m_derivatives.RemoveForFunction(slot);
        m_data.m_derivatives.SetGraph(&m_axes);
        KTDerivativeCalculation::CalculateAll(m_data.m_derivatives, m_data, substitutions);
    } catch (const std::exception&) {
        // Runs inside a paint: what could not be brought up to date stays as it was.
    }
    m_data.m_dirty = 0;
}

void KTGraph3::NoteFullLists()
{
    // Recalculation runs inside a paint: the view shows these after it.
    const auto note = [this](bool full, bool& wasFull, const CString& text) {
        if (full && !wasFull)
            m_pendingMessages.push_back({"KT Graph 3", text});
        wasFull = full;
    };
    for (int slot = 0; slot < KTGraphData3::UserFunctionCount; ++slot) {
        const KTFunction3& function = m_data.Function(slot);
        const KTMarkerList& markers = function.m_markers;
        note(markers.m_full, m_markersFull[static_cast<std::size_t>(slot)],
             function.TypedEquation() +
                 CString(KTFormatC(" has more points of interest in view than can be marked; only %d of them "
                                   "are marked. Zoom in to see the others.",
                                   markers.m_count)
                             .c_str()));
    }
    note(m_intersections->m_full, m_intersectionsFull,
         CString(KTFormatC("There are more points of intersection in view than can be marked; only %d of them "
                           "are marked. Zoom in to see the others.",
                           m_intersections->m_count)
                     .c_str()));
}

std::vector<KTInputMessage> KTGraph3::TakePendingMessages()
{
    std::vector<KTInputMessage> messages;
    messages.swap(m_pendingMessages);
    return messages;
}

// ---- Intersections ----------------------------------------------------------------------------------

void KTGraph3::FindIntersections()
{
    for (KTSlotIntersections& list : m_slotIntersections)
        list.Clear();
    m_intersections->Clear();
    for (int i = 0; i < KTGraphData3::SlotCount - 1; ++i) {
        for (int j = i + 1; j < KTGraphData3::SlotCount; ++j) {
            KTFunction3& fi = m_data.Function(i);
            KTFunction3& fj = m_data.Function(j);
            if (!SlotValid(i) || !SlotValid(j) || fi.Status() != KTStatusExplicit ||
                fj.Status() != KTStatusExplicit)
                continue;
            IntersectPair(i, j);
            if (HasSecondBranch(fi)) {
                SelectSecondBranch(fi);
                IntersectPair(i, j);
                SelectFirstBranch(fi);
            }
            if (HasSecondBranch(fj)) {
                SelectSecondBranch(fj);
                IntersectPair(i, j);
                SelectFirstBranch(fj);
            }
            if (HasSecondBranch(fi) && HasSecondBranch(fj)) {
                SelectSecondBranch(fi);
                SelectSecondBranch(fj);
                IntersectPair(i, j);
                SelectFirstBranch(fi);
                SelectFirstBranch(fj);
            }
        }
    }
}

void KTGraph3::IntersectPair(int i, int j)
{
    KTFunction3* fi = m_data.FindFunction(i);
    KTFunction3* fj = m_data.FindFunction(j);
    if (!fi || !fj || !fi->m_currentBuffer || !fj->m_currentBuffer)
        return;
    const KTCurvePointBuffer& bi = *fi->m_currentBuffer;
    const KTCurvePointBuffer& bj = *fj->m_currentBuffer;
    const int ni = std::clamp<int>(bi.m_count, 0, bi.Size());
    const int nj = std::clamp<int>(bj.m_count, 0, bj.Size());
    const int si = std::max(1, ni / 40);
    const int sj = std::max(1, nj / 40);
    const auto point = [](const KTCurvePointBuffer& b, int k) {
        return b.m_points[static_cast<std::size_t>(k)].m_point;
    };
    const double xMin = m_axes.m_xAxis.m_min;
    const double xMax = m_axes.m_xAxis.m_max;
    const double yMin = m_axes.m_yAxis.m_min;
    const double yMax = m_axes.m_yAxis.m_max;
    const auto inside = [&](const KTPoint& p) {
        return xMin <= p.m_x && p.m_x <= xMax && yMin <= p.m_y && p.m_y <= yMax;
    };
    const auto defined = [](const KTPoint& p) {
        return std::isfinite(p.m_x) && std::isfinite(p.m_y) && !KTIsUndefined(p.m_x) && !KTIsUndefined(p.m_y);
    };
    const auto touches = [&](const KTPoint& a, const KTPoint& b) {
        return defined(a) && defined(b) && (inside(a) || inside(b));
    };

    // The crossings are those of SegmentsCross, asked so that each segment's side test is made
    // once for all the other polyline's points, and each point's side once for the two
    // segments that meet at it.
    std::vector<double> qx(static_cast<std::size_t>(sj) + 1);
    std::vector<double> qy(static_cast<std::size_t>(sj) + 1);
    // The last span of each curve is shorter where the count does not divide: a crossing at
    // the curve's far end (at the view's edge) lies in it.
    for (int a = 0; a < ni - 1; a += si) {
        const int aEnd = std::min(a + si, ni - 1);
        const KTSegmentSide coarse(point(bi, a), point(bi, aEnd));
        bool coarseBelow = nj > 1 && coarse.Below(point(bj, 0));
        for (int b = 0; b < nj - 1; b += sj) {
            const int bEnd = std::min(b + sj, nj - 1);
            const int span = bEnd - b;
            const bool below = coarseBelow;
            coarseBelow = coarse.Below(point(bj, bEnd));
            if (below == coarseBelow ||
                !KTSegmentSide(point(bj, b), point(bj, bEnd)).Separates(point(bi, a), point(bi, aEnd)))
                continue;
            for (int k = 0; k <= span; ++k) {
                const KTPoint& q = point(bj, b + k);
                qx[static_cast<std::size_t>(k)] = q.m_x;
                qy[static_cast<std::size_t>(k)] = q.m_y;
            }
            for (int fa = a; fa < aEnd; ++fa) {
                const KTPoint p1 = point(bi, fa);
                const KTPoint p2 = point(bi, fa + 1);
                const KTSegmentSide fine(p1, p2);
                // The other stretch's points in runs of up to 64, each run's last the next one's
                // first; a segment (fb, fb + 1) is looked at only where its ends' sides differ.
                for (int first = 0; first < span; first += 63) {
                    const int points = std::min(span - first, 63) + 1;
                    const std::uint64_t below = fine.BelowMask(qx.data() + first, qy.data() + first, points);
                    std::uint64_t changes = (below ^ (below >> 1)) & ((std::uint64_t{1} << (points - 1)) - 1);
                    for (; changes != 0; changes &= changes - 1) {
                        const int fb = b + first + std::countr_zero(changes);
                        const KTPoint q1 = point(bj, fb);
                        const KTPoint q2 = point(bj, fb + 1);
                        if (!KTSegmentSide(q1, q2).Separates(p1, p2))
                            continue;
                        // A crossing at the view's edge has a segment end beyond it; the point
                        // found is held to the view below.
                        if (!(touches(p1, p2) && touches(q1, q2)))
                            continue;
                        if (m_intersections->IsFull()) {
                            m_intersections->m_full = true;
                            continue;
                        }
                        const double sx = (p1.m_x + p2.m_x + q1.m_x + q2.m_x) / 4.0;
                        const double sy = (p1.m_y + p2.m_y + q1.m_y + q2.m_y) / 4.0;
                        // The crossing lies within the two segments: the sign change of the curves'
                        // gap there, refined to full precision. The tangent-line search of the
                        // curves stands in where the gap has none (curves that only touch), as long
                        // as it stays by the segments: from a steep start it can run off to another
                        // crossing, and it stops where the gap is below 1e-8, far from the point
                        // where curves meet at a shallow angle (x^3 and the x axis).
                        const double reach =
                            std::max({std::fabs(p2.m_x - p1.m_x), std::fabs(q2.m_x - q1.m_x),
                                      std::fabs(p2.m_y - p1.m_y), std::fabs(q2.m_y - q1.m_y)});
                        KTPoint found = KTPointPolisher::MeetNear(*fi, *fj, KTPoint(sx, sy), reach);
                        if (KTIsUndefined(found.m_x) || KTIsUndefined(found.m_y)) {
                            found = KTCurveRefiner(*fi).Intersect(*fj, sx, sy);
                            if (!(std::fabs(found.m_x - sx) <= reach && std::fabs(found.m_y - sy) <= reach))
                                continue;
                        }
                        if (AlreadyFound(i, j, found) || KTPointPolisher::CoincideNear(*fi, *fj, found, reach))
                            continue;
                        // Only a search that converged gives a point; a failed one would put a
                        // marker at the sentinel coordinates, far outside the graph.
                        if (KTIsUndefined(found.m_x) || KTIsUndefined(found.m_y) || found.m_x < xMin ||
                            found.m_x > xMax || found.m_y < yMin || found.m_y > yMax)
                            continue;
                        AddIntersection(i, j, fa, fb, found);
                    }
                }
            }
        }
    }
}

bool KTGraph3::AlreadyFound(int i, int j, const KTPoint& point) const
{
    // Neighbouring segment pairs can both cross at one point (a sample on it): one marker.
    const auto same = [](double a, double b) {
        return std::fabs(a - b) <= 1e-9 * std::max(1.0, std::fabs(a));
    };
    const int count = std::clamp<int>(m_intersections->m_count, 0, m_intersections->Held());
    for (int k = 0; k < count; ++k) {
        const KTMarker& m = m_intersections->m_markers[static_cast<std::size_t>(k)];
        if (m.m_tag == i && m.m_secondId == j && same(m.m_point.m_x, point.m_x) &&
            same(m.m_point.m_y, point.m_y))
            return true;
    }
    return false;
}

void KTGraph3::AddIntersection(int i, int j, int fineI, int fineJ, const KTPoint& point)
{
    const int identifier = m_intersections->m_count;
    const BYTE equation = (SlotIsEquation(i) || SlotIsEquation(j)) ? 1 : 0;
    KTMarker marker;
    marker.Init();
    marker.m_point = point;
    marker.m_refined = 1;
    marker.m_kind = KTMarkerIntersection;
    marker.m_tag = static_cast<std::int16_t>(i);
    marker.m_secondId = static_cast<std::int16_t>(j);
    marker.m_position = static_cast<std::int16_t>(identifier);
    marker.m_equation = equation;
    if (!m_intersections->Add(marker))
        return;

    KTSlotIntersection onI;
    onI.m_point = point;
    onI.m_pointIndex = fineI;
    onI.m_otherSlot = j;
    onI.m_identifier = identifier;
    onI.m_equation = equation;
    KTSlotIntersection onJ = onI;
    onJ.m_pointIndex = fineJ;
    onJ.m_otherSlot = i;
    m_slotIntersections[static_cast<std::size_t>(i)].Add(onI);
    m_slotIntersections[static_cast<std::size_t>(j)].Add(onJ);
}
