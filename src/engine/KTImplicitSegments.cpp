#include "engine/KTImplicitSegments.h"

#include <algorithm>
#include <cmath>

namespace {

bool Positive(double f)
{
    return f >= 0.0;
}

} // namespace

void KTImplicitSegments::Build()
{
    m_cells.ForEachLeaf([this](const KTImplicitCells::Leaf& leaf) {
        if (leaf.kind == KTImplicitCells::LeafKind::Finest) {
            LeafOfOneCell(leaf.cell);
            return;
        }
        // A simple leaf whose sides no smaller neighbour split keeps the crossings it was judged
        // by; else its boundary shows them on the shorter intervals its neighbours made.
        if (!m_cells.HasSidePoints(leaf.cell)) {
            Add(leaf.ends[0], leaf.ends[1]);
            return;
        }
        m_cells.Boundary(leaf.cell, m_boundary);
        std::int32_t found[2] = {-1, -1};
        int n = 0;
        const std::size_t count = m_boundary.size();
        for (std::size_t k = 0; k < count; ++k) {
            const KTImplicitLattice::Sample& a = m_boundary[k];
            const KTImplicitLattice::Sample& b = m_boundary[(k + 1) % count];
            if (Positive(a.f) == Positive(b.f))
                continue;
            const std::int32_t id = a.j == b.j
                                        ? m_crossings.At(std::min(a.i, b.i), a.j, true, std::abs(a.i - b.i))
                                        : m_crossings.At(a.i, std::min(a.j, b.j), false, std::abs(a.j - b.j));
            if (n < 2)
                found[n] = id;
            ++n;
        }
        if (n == 2)
            Add(found[0], found[1]);
        else
            Add(leaf.ends[0], leaf.ends[1]);
    });
}

void KTImplicitSegments::LeafOfOneCell(const KTImplicitCells::Cell& c)
{
    // Counter-clockwise from the bottom left corner.
    const KTImplicitLattice::Sample corner[4] = {
        m_lattice.SampleAt(c.i0, c.j0), m_lattice.SampleAt(c.i1, c.j0), m_lattice.SampleAt(c.i1, c.j1),
        m_lattice.SampleAt(c.i0, c.j1)};
    KTImplicitCells::Cell cell = c;
    const auto mayCrossTwice = [&](int k) {
        const KTImplicitLattice::Sample& a = corner[k];
        const KTImplicitLattice::Sample& b = corner[(k + 1) % 4];
        return a.defined && b.defined && KTImplicitCells::MayCrossTwice(cell, a.f, b.f, a.j == b.j);
    };
    const auto anyTwice = [&] {
        return mayCrossTwice(0) || mayCrossTwice(1) || mayCrossTwice(2) || mayCrossTwice(3);
    };
    bool oneSign = true;
    for (int k = 0; k < 4; ++k)
        oneSign = oneSign && corner[k].defined && Positive(corner[k].f) == Positive(corner[0].f);
    bool twice = anyTwice();
    // Most cells of one lattice cell are split off beside a curve without one through them.
    if (oneSign && !twice)
        return;
    if (!m_lattice.HasBound()) {
        // Nothing bounds the rates of change: no search between corners of one sign.
        cell.dx[0] = cell.dy[0] = 0.0;
    } else if (!cell.bounded || twice) {
        // The cell's own ranges: a pole, or closer bounds on its rates of change.
        const KTIntervalGradient g = m_lattice.BoundOver(c.i0, c.j0, c.i1, c.j1, twice);
        if (!g.value.IsBounded())
            return;
        if (twice)
            KTImplicitCells::NoteSlopes(cell, g, m_lattice.CellWidth(), m_lattice.CellHeight());
    }
    twice = anyTwice();
    if (oneSign && !twice)
        return;

    m_ring.clear();
    const auto pushCrossing = [this](std::int32_t id) {
        const KTImplicitCrossings::Crossing& x = m_crossings[id];
        m_ring.push_back({x.u, x.v, id, false});
    };
    for (int k = 0; k < 4; ++k) {
        const KTImplicitLattice::Sample& a = corner[k];
        const KTImplicitLattice::Sample& b = corner[(k + 1) % 4];
        if (a.defined)
            m_ring.push_back({double(a.i), double(a.j), -1, Positive(a.f)});
        const bool alongX = a.j == b.j;
        const int i = std::min(a.i, b.i);
        const int j = std::min(a.j, b.j);
        const bool forward = a.i < b.i || a.j < b.j;
        if (a.defined && b.defined && Positive(a.f) != Positive(b.f)) {
            pushCrossing(m_crossings.At(i, j, alongX, 1));
        } else if (a.defined && b.defined) {
            if (!mayCrossTwice(k))
                continue;
            const double* d = alongX ? cell.dx : cell.dy;
            const std::int32_t first = m_crossings.HiddenPair(i, j, alongX, d[0], d[1]);
            if (first < 0)
                continue;
            std::int32_t pair[2] = {first, m_crossings[first].next};
            if (!forward)
                std::swap(pair[0], pair[1]);
            const KTImplicitCrossings::Crossing& p = m_crossings[pair[0]];
            const KTImplicitCrossings::Crossing& q = m_crossings[pair[1]];
            pushCrossing(pair[0]);
            m_ring.push_back({0.5 * (p.u + q.u), 0.5 * (p.v + q.v), -1, !Positive(a.f)});
            pushCrossing(pair[1]);
        } else if (a.defined != b.defined) {
            pushCrossing(m_crossings.ToDomainEnd(a, b));
        }
    }
    Join(m_ring);
}

void KTImplicitSegments::Join(const std::vector<RingPoint>& ring)
{
    // The valid crossings in order, and after each the first point with a sign that follows it.
    std::int32_t crossing[4];
    const RingPoint* after[4] = {nullptr, nullptr, nullptr, nullptr};
    int n = 0;
    for (std::size_t k = 0; k < ring.size(); ++k) {
        if (ring[k].crossing < 0 || !m_crossings[ring[k].crossing].valid)
            continue;
        if (n == 4)
            return; // more than two arcs through one lattice cell: none drawn
        crossing[n] = ring[k].crossing;
        for (std::size_t m = 1; m < ring.size(); ++m) {
            const RingPoint& p = ring[(k + m) % ring.size()];
            if (p.crossing < 0) {
                after[n] = &p;
                break;
            }
        }
        ++n;
    }
    if (n == 2) {
        Add(crossing[0], crossing[1]);
        return;
    }
    if (n != 4)
        return;
    // Regions of one sign lie after the first and after the third crossing: where they connect
    // through the cell, the arcs cut off the other two, else these two.
    const RingPoint* p = after[3];
    const RingPoint* q = after[1];
    bool connected = true;
    if (p && q) {
        const double middle =
            m_lattice.Evaluate(m_lattice.XAt(0.5 * (p->u + q->u)), m_lattice.YAt(0.5 * (p->v + q->v)));
        connected = middle != middle ? true : Positive(middle) == p->positive;
    }
    if (connected) {
        Add(crossing[0], crossing[1]);
        Add(crossing[2], crossing[3]);
    } else {
        Add(crossing[3], crossing[0]);
        Add(crossing[1], crossing[2]);
    }
}

void KTImplicitSegments::Add(std::int32_t a, std::int32_t b)
{
    if (a < 0 || b < 0 || a == b)
        return;
    KTImplicitCrossings::Crossing& ca = m_crossings[a];
    KTImplicitCrossings::Crossing& cb = m_crossings[b];
    // A crossing joins at most two cells; a third segment would be a fault of the cells.
    const auto freeSlot = [](KTImplicitCrossings::Crossing& c) {
        return c.segments[0] < 0 ? 0 : (c.segments[1] < 0 ? 1 : -1);
    };
    const int sa = freeSlot(ca);
    const int sb = freeSlot(cb);
    if (sa < 0 || sb < 0)
        return;
    const std::int32_t id = static_cast<std::int32_t>(m_ends.size() / 2);
    m_ends.push_back(a);
    m_ends.push_back(b);
    ca.segments[sa] = id;
    cb.segments[sb] = id;
}
