#include "engine/KTImplicitCrossings.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

/// Width (in cells) to which a crossing's bracket is narrowed.
constexpr double kRootTolerance = 0.02;
/// Secant step (in cells) below which the step's end is taken as the root unevaluated.
constexpr double kPredictedStep = 0.2;
/// A bracket holds a pole when, after this many halvings in which every new value exceeded the
/// one it replaced, both its ends exceed the smaller end of the interval this many times.
constexpr int kPoleHalvings = 3;
constexpr double kPoleGrowth = 4.0;
/// A crossing is a root when the difference at its bracket has fallen to this part of the larger
/// value at the interval's ends; across a pole it grows, across a jump it stays.
constexpr double kContinuity = 0.1;
/// Halvings of a bracket whose range holds a pole or a jump before the sign change across it is
/// taken for one: to 1 / 4096 of the bracket.
constexpr int kContinuityHalvings = 12;
/// Halvings that narrow the end of the relation's domain between two lattice points.
constexpr int kDomainEndHalvings = 30;
/// A cell is looked at more closely for the end of the domain where the value comes within this
/// many times its change toward the point behind of zero.
constexpr double kReach = 1.5;
/// Narrowest part of a cell (1 / 64) searched for a point of the other sign between two
/// crossings on one interval.
constexpr int kHiddenHalvings = 6;
/// The same where nothing bounds the rates of change (a millionth of a cell): beside a cusp the
/// two crossings close in on each other with the square of the distance to it.
constexpr int kSteepHalvings = 20;
/// The most parts of one interval whose ranges are taken there. A pair beside a cusp is found
/// down one path of parts, two ranges a halving; where the difference is its rounding alone
/// along the interval (x + x^10 - x at x = 0.02), every range holds zero and the halvings would
/// take a million ranges, to find only rounding.
constexpr int kSteepParts = 256;

bool Positive(double f)
{
    return f >= 0.0;
}

double kNoHint()
{
    return std::numeric_limits<double>::quiet_NaN();
}

} // namespace

void KTImplicitCrossings::Reset(int lists)
{
    m_count = std::clamp(lists, 1, MaxLists);
    if (m_lists.size() < static_cast<std::size_t>(m_count))
        m_lists.resize(static_cast<std::size_t>(m_count));
    for (KTImplicitChunks<Crossing>& list : m_lists)
        list.Clear();
}

void KTImplicitCrossings::Release(std::size_t most)
{
    std::size_t room = 0;
    for (const KTImplicitChunks<Crossing>& list : m_lists)
        room += list.RoomBytes();
    for (KTImplicitChunks<Crossing>& list : m_lists)
        if (room > most)
            list.Truncate(0);
        else
            list.Clear();
}

std::int32_t KTImplicitCrossings::At(int i, int j, bool alongX, int length, double hint, bool continuous)
{
    const std::int32_t end = alongX ? (i + length) : (j + length);
    const std::int32_t known = m_lattice.CrossingId(i, j, alongX);
    if (known >= 0 && (*this)[known].end == end)
        return known;
    const double fa = m_lattice.Value(i, j);
    const double fb = alongX ? m_lattice.Value(i + length, j) : m_lattice.Value(i, j + length);
    return Add(i, j, alongX, length, Search(i, j, alongX, 0.0, length, fa, fb, hint, continuous));
}

std::int32_t KTImplicitCrossings::Add(int i, int j, bool alongX, int length, const Root& root, bool record)
{
    const double t = root.t;
    Crossing crossing{};
    crossing.t = t;
    crossing.onLatticePoint = t == 0.0 || t == length;
    crossing.i = i;
    crossing.j = j;
    crossing.end = alongX ? (i + length) : (j + length);
    crossing.next = -1;
    crossing.segments[0] = crossing.segments[1] = -1;
    crossing.alongX = alongX;
    crossing.valid = root.valid;
    crossing.domainEnd = false;
    const int list = KTImplicitWorker::Current().list;
    const std::int32_t id = Id(list, m_lists[list].Add(crossing));
    if (record)
        m_lattice.SetCrossingId(i, j, alongX, id);
    return id;
}

void KTImplicitCrossings::SplitInterval(int i, int j, bool alongX, int length, int offset)
{
    const int mi = alongX ? i + offset : i;
    const int mj = alongX ? j : j + offset;
    if (m_lattice.Known(mi, mj))
        return;
    m_lattice.Defer(mi, mj);
    const std::int32_t id = m_lattice.CrossingId(i, j, alongX);
    if (id < 0)
        return;
    Crossing& crossing = (*this)[id];
    const std::int32_t end = alongX ? (i + length) : (j + length);
    if (crossing.end != end)
        return;
    const double along = alongX ? crossing.U() - i : crossing.V() - j;
    if (along <= offset)
        crossing.end = alongX ? mi : mj;
    else
        m_lattice.SetCrossingId(mi, mj, alongX, id);
}

KTImplicitCrossings::Root KTImplicitCrossings::Search(int i, int j, bool alongX, double lo, double hi,
                                                      double fa, double fb, double hint, bool continuous)
{
    const double ends = std::max(std::fabs(fa), std::fabs(fb));
    const double from = lo;
    const double to = hi;
    const auto at = [&](double t) {
        return alongX ? m_lattice.Evaluate(m_lattice.XAt(i + t), m_lattice.Y(j))
                      : m_lattice.Evaluate(m_lattice.X(i), m_lattice.YAt(j + t));
    };

    // Regula falsi with the Illinois change, every fourth step a halving when the bracket has
    // not shrunk to a quarter. When its first point is no smaller than the smaller end, the
    // sign may change across a pole: halvings tell, for beside a pole both ends of the bracket
    // grow as it narrows, while beside a root one of them falls.
    double flo = fa;
    double fhi = fb;
    double weightLo = fa;
    double weightHi = fb;
    int last = 0;
    double widthBefore = hi - lo;
    double tPrevious = std::fabs(fa) <= std::fabs(fb) ? lo : hi;
    double fPrevious = std::fabs(fa) <= std::fabs(fb) ? fa : fb;
    const double smaller = std::min(std::fabs(fa), std::fabs(fb));
    bool valid = true;
    bool exact = false;                                     // a zero of the difference itself
    double root = std::numeric_limits<double>::quiet_NaN(); // where the search stopped on it
    int halvings = -1;   // counts the halvings of a pole test while one runs
    bool growing = true; // every value of the pole test exceeded the one it replaced
    bool converged = false;
    for (int step = 0; step < 80 && hi - lo > kRootTolerance; ++step) {
        double t = hi - weightHi * (hi - lo) / (weightHi - weightLo);
        if (step == 0 && hint > lo && hint < hi)
            t = hint;
        if (halvings >= 0) {
            t = 0.5 * (lo + hi);
        } else if (step % 4 == 3) {
            if (hi - lo > 0.25 * widthBefore)
                t = 0.5 * (lo + hi);
            widthBefore = hi - lo;
        }
        if (!(t > lo && t < hi))
            t = 0.5 * (lo + hi);
        const double ft = at(t);
        if (std::isnan(ft)) {
            valid = false; // the relation has no value inside: its curve ends here
            break;
        }
        if (ft == 0.0) {
            root = t;
            exact = true;
            break;
        }
        if (step == 0 && std::fabs(ft) >= smaller)
            halvings = 0;
        if (halvings >= 0)
            growing = growing && std::fabs(ft) >= std::fabs(Positive(ft) == Positive(flo) ? flo : fhi);
        if (Positive(ft) == Positive(flo)) {
            lo = t;
            flo = weightLo = ft;
            if (last == -1)
                weightHi *= 0.5;
            last = -1;
        } else {
            hi = t;
            fhi = weightHi = ft;
            if (last == 1)
                weightLo *= 0.5;
            last = 1;
        }
        if (halvings >= 0) {
            ++halvings;
            const double least = std::min(std::fabs(flo), std::fabs(fhi));
            if (growing && halvings >= kPoleHalvings && least > kPoleGrowth * smaller) {
                valid = false; // a pole
                break;
            }
            if (least < smaller || halvings >= 2 * kPoleHalvings) {
                // A root after all (or a jump, which the search narrows down to): on as usual.
                halvings = -1;
                weightLo = flo;
                weightHi = fhi;
                last = 0;
                tPrevious = t;
                fPrevious = ft;
                widthBefore = hi - lo;
            }
            continue;
        }
        // The secant through the last two values says how far the root still is. Where it stops
        // the search, the value falling fast shows the root (beside a jump or a pole it would
        // not fall, however near the bracket comes). Only a secant between points within a cell
        // of each other tells the slope here (a wider one may span other roots of the interval).
        const double slope = (ft - fPrevious) / (t - tPrevious);
        const bool local = std::fabs(t - tPrevious) <= 1.0;
        const bool falling = local && std::fabs(ft) <= 0.25 * std::fabs(fPrevious);
        tPrevious = t;
        fPrevious = ft;
        if (local && std::fabs(ft) <= kRootTolerance * std::fabs(slope)) {
            root = t;
            converged = falling;
            break;
        }
        if (!local && std::fabs(ft) <= kRootTolerance * std::fabs(slope)) {
            // Seemingly on the root by a wide secant (as at a tangent's hint): a point the
            // tolerance beyond it, toward the root, brackets the root within the tolerance, or
            // the search goes on from both.
            const double beyond = std::clamp(t - std::copysign(kRootTolerance, ft / slope), lo, hi);
            const double fb2 = beyond == lo ? flo : (beyond == hi ? fhi : at(beyond));
            if (!std::isnan(fb2) && Positive(fb2) != Positive(ft)) {
                root = std::fabs(fb2) < std::fabs(ft) ? beyond : t;
                // The bracket is the tolerance between the two.
                lo = std::min(beyond, t);
                hi = std::max(beyond, t);
                flo = lo == t ? ft : fb2;
                fhi = hi == t ? ft : fb2;
                converged = true;
                break;
            }
            if (!std::isnan(fb2) && beyond != lo && beyond != hi) {
                if (Positive(fb2) == Positive(flo)) {
                    lo = beyond;
                    flo = weightLo = fb2;
                } else {
                    hi = beyond;
                    fhi = weightHi = fb2;
                }
                tPrevious = beyond;
                fPrevious = fb2;
            }
        }
        // Close enough that the secant's next point is off the root by the square of the step:
        // taken without evaluating it.
        if (falling && std::fabs(ft) <= kPredictedStep * std::fabs(slope)) {
            root = std::clamp(t - ft / slope, lo, hi);
            converged = true;
            break;
        }
    }
    Root answer;
    answer.t = root == root ? root : (std::fabs(flo) <= std::fabs(fhi) ? lo : hi);
    if (!valid || exact) {
        answer.valid = valid;
        return answer;
    }
    // The values falling toward the bracket show a root; a relation that may jump is asked
    // whether it does in the bracket, one that cannot whether it is continuous there when the
    // values do not show it (beside a cusp or a vertical tangent they fall slowly).
    const bool shown = converged || std::min(std::fabs(flo), std::fabs(fhi)) <= kContinuity * ends;
    if (continuous || (shown && !m_lattice.MayJump()))
        answer.valid = true;
    else
        answer.valid = Continuous(i, j, alongX, lo, hi, flo, shown, from, to);
    return answer;
}

bool KTImplicitCrossings::Continuous(int i, int j, bool alongX, double lo, double hi, double flo, bool shown,
                                     double from, double to)
{
    if (!m_lattice.HasBound())
        return shown;
    const auto at = [&](double t) {
        return alongX ? m_lattice.Evaluate(m_lattice.XAt(i + t), m_lattice.Y(j))
                      : m_lattice.Evaluate(m_lattice.X(i), m_lattice.YAt(j + t));
    };
    // A bound over the bracket that is finite, complete and without a jump makes the sign change
    // a zero. Else the half of the bracket with the sign change is asked, down to a small part of
    // a cell: a pole or a jump stays in every half, a root beside one leaves it.
    for (int k = 0; k <= kContinuityHalvings; ++k) {
        const KTInterval range = m_lattice.BoundAlong(i, j, alongX, lo, hi);
        if (range.IsBounded() && !range.IsPartial() && !range.m_jumps)
            return true;
        if (!range.IsBounded() || range.m_jumps) {
            if (k == 0 && (from < lo || hi < to)) {
                // A root where a function inside has its pole (1 / tan(x) at pi / 2) stays at an
                // end of every bracket narrowed down to it, where no range can leave out the
                // pole: over the whole bracket it lies well inside, and the range may show the
                // difference bounded across it.
                const KTInterval whole = m_lattice.BoundAlong(i, j, alongX, from, to);
                if (whole.IsBounded() && !whole.m_jumps)
                    return whole.IsPartial() ? shown : true;
            }
            if (k == kContinuityHalvings)
                return false;
        } else {
            return shown; // beside the end of the domain: as the values show
        }
        const double middle = 0.5 * (lo + hi);
        const double fm = at(middle);
        if (fm != fm)
            return shown;
        if (fm == 0.0)
            return true;
        if (Positive(fm) == Positive(flo)) {
            lo = middle;
            flo = fm;
        } else {
            hi = middle;
        }
    }
    return false;
}

std::int32_t KTImplicitCrossings::ToDomainEnd(const KTImplicitLattice::Sample& a,
                                              const KTImplicitLattice::Sample& b)
{
    // Between neighbouring lattice points of which one has a value: the curve may run on to the
    // end of the relation's domain between them (as sqrt(x) + sqrt(y) = 1 runs into the axes).
    const bool alongX = a.j == b.j;
    const int i = std::min(a.i, b.i);
    const int j = std::min(a.j, b.j);
    const std::int32_t known = m_lattice.CrossingId(i, j, alongX);
    if (known >= 0 && (*this)[known].end == (alongX ? i + 1 : j + 1))
        return known;
    const KTImplicitLattice::Sample& inside = a.defined ? a : b;
    const KTImplicitLattice::Sample& outside = a.defined ? b : a;
    const double tInside = alongX ? inside.i - i : inside.j - j;
    const double tOutside = alongX ? outside.i - i : outside.j - j;
    Root none;
    none.valid = false;
    none.t = tInside;
    // Only where the value comes near zero for the slope toward the point behind: the end of
    // the domain is halved for, which takes many evaluations.
    const int bi = 2 * inside.i - outside.i;
    const int bj = 2 * inside.j - outside.j;
    if (bi >= 0 && bi <= m_lattice.Columns() && bj >= 0 && bj <= m_lattice.Rows()) {
        const double behind = m_lattice.Value(bi, bj);
        if (!std::isnan(behind) && std::fabs(inside.f) > kReach * std::fabs(inside.f - behind))
            return Add(i, j, alongX, 1, none);
    }
    const auto at = [&](double t) {
        return alongX ? m_lattice.Evaluate(m_lattice.XAt(i + t), m_lattice.Y(j))
                      : m_lattice.Evaluate(m_lattice.X(i), m_lattice.YAt(j + t));
    };
    double in = tInside;
    double out = tOutside;
    double fin = inside.f;
    for (int k = 0; k < kDomainEndHalvings; ++k) {
        const double middle = 0.5 * (in + out);
        const double v = at(middle);
        if (std::isnan(v)) {
            out = middle;
        } else {
            in = middle;
            fin = v;
        }
    }
    if (Positive(fin) == Positive(inside.f))
        return Add(i, j, alongX, 1, none);
    const Root root = tInside < in ? Search(i, j, alongX, tInside, in, inside.f, fin, kNoHint())
                                   : Search(i, j, alongX, in, tInside, fin, inside.f, kNoHint());
    const std::int32_t id = Add(i, j, alongX, 1, root);
    (*this)[id].domainEnd = true;
    return id;
}

std::int32_t KTImplicitCrossings::HiddenPair(int i, int j, bool alongX, double lo, double hi)
{
    const std::int32_t known = m_lattice.CrossingId(i, j, alongX);
    if (known >= 0 && (*this)[known].end == (alongX ? i + 1 : j + 1))
        return (*this)[known].next >= 0 ? known : -1;
    // Without rates of change that bound it, the ranges of the difference over the interval's
    // parts tell where a pair may hide.
    if (!std::isfinite(lo) || !std::isfinite(hi))
        return SteepPair(i, j, alongX);
    const auto at = [&](double t) {
        return alongX ? m_lattice.Evaluate(m_lattice.XAt(i + t), m_lattice.Y(j))
                      : m_lattice.Evaluate(m_lattice.X(i), m_lattice.YAt(j + t));
    };
    // Halves of the interval in turn, each passed over where its ends' values are too far from
    // zero for the difference to reach it and come back within its rates of change.
    struct Part
    {
        double t0, t1, f0, f1;
    };
    Part parts[2 * kHiddenHalvings + 2];
    int count = 0;
    parts[count++] = {0.0, 1.0, m_lattice.Value(i, j),
                      alongX ? m_lattice.Value(i + 1, j) : m_lattice.Value(i, j + 1)};
    while (count > 0) {
        const Part p = parts[--count];
        if (std::isnan(p.f0) || std::isnan(p.f1) || !MayCrossTwice(p.f0, p.f1, lo, hi, p.t1 - p.t0))
            continue;
        const double tm = 0.5 * (p.t0 + p.t1);
        const double fm = at(tm);
        // Zero at both ends and the middle: the relation holds along the part (x^1 = x holds
        // everywhere), not two crossings of it.
        if (std::isnan(fm) || (fm == 0.0 && p.f0 == 0.0 && p.f1 == 0.0))
            continue;
        if (Positive(fm) != Positive(p.f0))
            return AddPair(i, j, alongX, p.t0, tm, p.t1, p.f0, fm, p.f1);
        if (p.t1 - p.t0 > 1.0 / (1 << kHiddenHalvings)) {
            parts[count++] = {tm, p.t1, fm, p.f1};
            parts[count++] = {p.t0, tm, p.f0, fm};
        }
    }
    return -1;
}

std::int32_t KTImplicitCrossings::AddPair(int i, int j, bool alongX, double t0, double tm, double t1,
                                          double f0, double fm, double f1)
{
    // Two roots: one on each side of the point of the other sign.
    const Root first = Search(i, j, alongX, t0, tm, f0, fm, kNoHint());
    const Root second = Search(i, j, alongX, tm, t1, fm, f1, kNoHint());
    const std::int32_t a = Add(i, j, alongX, 1, first, false);
    const std::int32_t b = Add(i, j, alongX, 1, second, false);
    (*this)[a].next = b;
    m_lattice.SetCrossingId(i, j, alongX, a);
    return a;
}

std::int32_t KTImplicitCrossings::SteepPair(int i, int j, bool alongX)
{
    // Where the difference is as steep as it likes (a cusp or a vertical tangent inside, as
    // sqrt|x| at 0) two curves may meet closer than any part of a cell: the parts whose range
    // holds zero are halved, down to a small part of a cell, for a point of the other sign. Only
    // a range that is finite and complete tells (one across a pole, or beside the end of the
    // domain, holds zero wherever it is taken); across a jump it tells too, and the jump is then
    // no root of the pair.
    const auto at = [&](double t) {
        return alongX ? m_lattice.Evaluate(m_lattice.XAt(i + t), m_lattice.Y(j))
                      : m_lattice.Evaluate(m_lattice.X(i), m_lattice.YAt(j + t));
    };
    struct Part
    {
        double t0, t1, f0, f1;
    };
    Part parts[2 * kSteepHalvings + 2];
    int count = 0;
    parts[count++] = {0.0, 1.0, m_lattice.Value(i, j),
                      alongX ? m_lattice.Value(i + 1, j) : m_lattice.Value(i, j + 1)};
    for (int taken = 0; count > 0 && taken < kSteepParts; ++taken) {
        const Part p = parts[--count];
        if (std::isnan(p.f0) || std::isnan(p.f1))
            continue;
        const KTInterval range = m_lattice.BoundAlong(i, j, alongX, p.t0, p.t1);
        if (range.ExcludesZero() || !range.IsBounded() || range.IsPartial())
            continue;
        const double tm = 0.5 * (p.t0 + p.t1);
        const double fm = at(tm);
        if (std::isnan(fm) || (fm == 0.0 && p.f0 == 0.0 && p.f1 == 0.0))
            continue;
        if (Positive(fm) != Positive(p.f0))
            return AddPair(i, j, alongX, p.t0, tm, p.t1, p.f0, fm, p.f1);
        if (p.t1 - p.t0 > 1.0 / (1 << kSteepHalvings)) {
            parts[count++] = {tm, p.t1, fm, p.f1};
            parts[count++] = {p.t0, tm, p.f0, fm};
        }
    }
    return -1;
}
