#include "engine/KTImplicitSegments.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kNoHint = std::numeric_limits<double>::quiet_NaN();

bool Positive(double f)
{
    return f >= 0.0;
}

} // namespace

void KTImplicitSegments::Reset(int lists)
{
    if (m_lists.size() < static_cast<std::size_t>(lists))
        m_lists.resize(static_cast<std::size_t>(lists));
    for (List& list : m_lists)
        list.ends.clear();
    m_ends.clear();
}

void KTImplicitSegments::Release(std::size_t most)
{
    std::size_t room = m_ends.capacity() * sizeof(std::int32_t);
    for (const List& list : m_lists)
        room += list.ends.capacity() * sizeof(std::int32_t);
    if (room <= most) {
        Reset(static_cast<int>(m_lists.size()));
        return;
    }
    for (List& list : m_lists)
        std::vector<std::int32_t>().swap(list.ends);
    EndList().swap(m_ends);
}

void KTImplicitSegments::BuildLeaf(KTImplicitCells::Leaf& leaf,
                                   std::vector<KTImplicitLattice::Sample>& boundary)
{
    // A simple leaf whose sides no smaller neighbour split keeps the crossings it was judged
    // by; else its boundary shows them on the shorter intervals its neighbours made.
    const KTImplicitCells::Cell cell = leaf.Whole();
    if (!m_cells.HasSidePoints(cell)) {
        Add(leaf.ends[0], leaf.ends[1]);
        return;
    }
    m_cells.Boundary(cell, boundary);
    std::int32_t found[2] = {-1, -1};
    int n = 0;
    const std::size_t count = boundary.size();
    for (std::size_t k = 0; k < count; ++k) {
        const KTImplicitLattice::Sample& a = boundary[k];
        const KTImplicitLattice::Sample& b = boundary[(k + 1) % count];
        if (Positive(a.f) == Positive(b.f))
            continue;
        const std::int32_t id =
            a.j == b.j ? m_crossings.At(std::min(a.i, b.i), a.j, true, std::abs(a.i - b.i), kNoHint, cell.continuous)
                       : m_crossings.At(a.i, std::min(a.j, b.j), false, std::abs(a.j - b.j), kNoHint, cell.continuous);
        if (n < 2)
            found[n] = id;
        ++n;
    }
    if (n == 2)
        Add(found[0], found[1]);
    else
        Add(leaf.ends[0], leaf.ends[1]);
}

void KTImplicitSegments::Gather()
{
    StartGather();
    for (std::size_t list = 0; list < m_lists.size(); ++list)
        GatherList(static_cast<int>(list));
}

void KTImplicitSegments::StartGather()
{
    std::vector<std::int32_t>& start = m_start;
    start.resize(m_lists.size());
    std::size_t total = 0;
    for (std::size_t list = 0; list < m_lists.size(); ++list) {
        start[list] = static_cast<std::int32_t>(total / 2);
        total += m_lists[list].ends.size();
    }
    // Left as it comes: each list's part writes its own stretch.
    m_ends.resize(total);
}

void KTImplicitSegments::GatherList(int list)
{
    const std::vector<std::int32_t>& ends = m_lists[static_cast<std::size_t>(list)].ends;
    std::copy(ends.begin(), ends.end(), m_ends.begin() + 2 * static_cast<std::ptrdiff_t>(m_start[static_cast<std::size_t>(list)]));
    // A list's crossings name segments of any list: those of the bands beside it too.
    if (list >= m_crossings.Lists())
        return;
    constexpr std::int32_t mask = (1 << IdBits) - 1;
    const std::vector<std::int32_t>& start = m_start;
    m_crossings.ForEachOf(list, [&start](KTImplicitCrossings::Crossing& c) {
        for (std::int32_t& s : c.segments)
            if (s >= 0)
                s = start[static_cast<std::size_t>(s >> IdBits)] + (s & mask);
    });
}

void KTImplicitSegments::Build(KTImplicitCells::Leaf& leaf)
{
    if (leaf.built)
        return;
    leaf.built = true;
    if (leaf.kind == KTImplicitCells::LeafKind::Finest)
        LeafOfOneCell(leaf.Whole(), leaf.narrowed);
    else
        BuildLeaf(leaf, m_lists[static_cast<std::size_t>(KTImplicitWorker::Current().list)].boundary);
}

void KTImplicitSegments::LeafOfOneCell(const KTImplicitCells::Cell& c, bool narrowed)
{
    // Counter-clockwise from the bottom left corner.
    const KTImplicitLattice::Sample corner[4] = {
        m_lattice.SampleAt(c.i0, c.j0), m_lattice.SampleAt(c.i1, c.j0), m_lattice.SampleAt(c.i1, c.j1),
        m_lattice.SampleAt(c.i0, c.j1)};
    KTImplicitCells::Cell cell = c;
    if (!narrowed && !m_cells.MayHoldArc(cell, corner))
        return;
    const auto mayCrossTwice = [&](int k) {
        const KTImplicitLattice::Sample& a = corner[k];
        const KTImplicitLattice::Sample& b = corner[(k + 1) % 4];
        return a.defined && b.defined && KTImplicitCells::MayCrossTwice(cell, a.f, b.f, a.j == b.j);
    };

    RingPoint ring[RingRoom];
    int size = 0;
    const auto pushCrossing = [this, &ring, &size](std::int32_t id) {
        const KTImplicitCrossings::Crossing& x = m_crossings[id];
        ring[size++] = {x.U(), x.V(), id, false};
    };
    for (int k = 0; k < 4; ++k) {
        const KTImplicitLattice::Sample& a = corner[k];
        const KTImplicitLattice::Sample& b = corner[(k + 1) % 4];
        if (a.defined)
            ring[size++] = {double(a.i), double(a.j), -1, Positive(a.f)};
        const bool alongX = a.j == b.j;
        const int i = std::min(a.i, b.i);
        const int j = std::min(a.j, b.j);
        const bool forward = a.i < b.i || a.j < b.j;
        if (a.defined && b.defined && Positive(a.f) != Positive(b.f)) {
            pushCrossing(m_crossings.At(i, j, alongX, 1, kNoHint, cell.continuous));
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
            ring[size++] = {0.5 * (p.U() + q.U()), 0.5 * (p.V() + q.V()), -1, !Positive(a.f)};
            pushCrossing(pair[1]);
        } else if (a.defined != b.defined) {
            pushCrossing(m_crossings.ToDomainEnd(a, b));
        }
    }
    Join(ring, size);
}

void KTImplicitSegments::Join(const RingPoint* ring, int size)
{
    // The valid crossings in order, and after each the first point with a sign that follows it.
    constexpr int most = 8;
    std::int32_t crossing[most];
    const RingPoint* after[most] = {};
    bool between = false; // two crossings share an edge between corners of one sign
    int n = 0;
    for (int k = 0; k < size; ++k) {
        if (ring[k].crossing < 0 || !m_crossings[ring[k].crossing].valid)
            continue;
        if (n == most)
            return; // more arcs than a lattice cell can show: none drawn
        crossing[n] = ring[k].crossing;
        between = between || m_crossings[crossing[n]].next >= 0;
        for (int m = 1; m < size; ++m) {
            const RingPoint& p = ring[(k + m) % size];
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
    if (n % 2 != 0)
        return;
    if (n == 4 && !between) {
        // Four crossings where the corners change sign: regions of one sign lie after the first
        // and after the third crossing; where they connect through the cell (the sign at a point
        // between them, the middle for opposite corners, says so), the arcs cut off the other
        // two, else these two.
        bool connected = true;
        if (const RingPoint* p = after[3], *q = after[1]; p && q) {
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
        return;
    }
    // Thin bands cross the cell, or turn back in it, between two crossings of one edge: of the
    // ways to join the crossings without arcs crossing, the one whose chords lie nearest the
    // curve at their middles stands for it.
    double off[most][most];
    for (int a = 0; a < n; ++a)
        for (int b = a + 1; b < n; b += 2) {
            const KTImplicitCrossings::Crossing& p = m_crossings[crossing[a]];
            const KTImplicitCrossings::Crossing& q = m_crossings[crossing[b]];
            const double f =
                m_lattice.Evaluate(m_lattice.XAt(0.5 * (p.U() + q.U())), m_lattice.YAt(0.5 * (p.V() + q.V())));
            off[a][b] = f == f ? std::fabs(f) : std::numeric_limits<double>::infinity();
        }
    // best[a][b]: the least sum over the crossings a..b - 1 (an even count), and its first pair.
    double best[most + 1][most + 1];
    int partner[most + 1][most + 1];
    for (int length = 0; length <= n; length += 2)
        for (int a = 0; a + length <= n; ++a) {
            const int b = a + length;
            if (length == 0) {
                best[a][b] = 0.0;
                continue;
            }
            best[a][b] = std::numeric_limits<double>::infinity();
            partner[a][b] = a + 1;
            for (int m = a + 1; m < b; m += 2) {
                const double sum = off[a][m] + best[a + 1][m] + best[m + 1][b];
                if (sum < best[a][b]) {
                    best[a][b] = sum;
                    partner[a][b] = m;
                }
            }
        }
    // Walks the choices back: pairs (a, partner), then inside and after it.
    std::int32_t stack[2 * most];
    int top = 0;
    stack[top++] = 0;
    stack[top++] = n;
    while (top > 0) {
        const int b = stack[--top];
        const int a = stack[--top];
        if (a >= b)
            continue;
        const int m = partner[a][b];
        Add(crossing[a], crossing[m]);
        stack[top++] = a + 1;
        stack[top++] = m;
        stack[top++] = m + 1;
        stack[top++] = b;
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
    std::vector<std::int32_t>& ends = m_lists[KTImplicitWorker::Current().list].ends;
    const std::int32_t id =
        (KTImplicitWorker::Current().list << IdBits) | static_cast<std::int32_t>(ends.size() / 2);
    ends.push_back(a);
    ends.push_back(b);
    ca.segments[sa] = id;
    cb.segments[sb] = id;
}
