#include "engine/KTImplicitCells.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr double kNoHint = std::numeric_limits<double>::quiet_NaN();

/// Most distance (in cells of the lattice) between a cell's chord and the curve it stands for.
constexpr double kChordTolerance = 0.2;

bool Positive(double f)
{
    return f >= 0.0;
}

bool Strict(const KTInterval& d)
{
    return d.m_lo > 0.0 || d.m_hi < 0.0;
}

bool Monotonic(const KTInterval& d)
{
    return !d.IsEmpty() && (d.m_lo >= 0.0 || d.m_hi <= 0.0);
}

double Length(double x, double y)
{
    return std::sqrt(x * x + y * y);
}

} // namespace

void KTImplicitCells::Reset(int lists)
{
    m_count = std::clamp(lists, 1, KTImplicitCrossings::MaxLists);
    if (m_leaves.size() < static_cast<std::size_t>(m_count)) {
        m_leaves.resize(static_cast<std::size_t>(m_count));
        m_scratch.resize(static_cast<std::size_t>(m_count));
    }
    for (KTImplicitChunks<Leaf>& list : m_leaves)
        list.Clear();
}

void KTImplicitCells::Prepare(const Cell& c)
{
    // A cell whose corners have one sign reads its middle where the rates known of it may pass
    // it over; a cell of two by two lattice cells whose corners change sign reads the middles of
    // its sides and its middle whatever else it finds (its quarters would read them as corners).
    const int w = c.i1 - c.i0;
    const int h = c.j1 - c.j0;
    if (w < 2 || h < 2)
        return;
    const double f[4] = {m_lattice.Stored(c.i0, c.j0), m_lattice.Stored(c.i1, c.j0),
                         m_lattice.Stored(c.i0, c.j1), m_lattice.Stored(c.i1, c.j1)};
    if (f[0] != f[0] || f[1] != f[1] || f[2] != f[2] || f[3] != f[3])
        return;
    const bool s0 = Positive(f[0]);
    if (s0 == Positive(f[1]) && s0 == Positive(f[2]) && s0 == Positive(f[3])) {
        if (HasReach(c))
            m_lattice.Defer(c.i0 + w / 2, c.j0 + h / 2);
        return;
    }
    if (w != 2 || h != 2)
        return;
    m_lattice.Defer(c.i0 + 1, c.j0);
    m_lattice.Defer(c.i0 + 1, c.j1);
    m_lattice.Defer(c.i0, c.j0 + 1);
    m_lattice.Defer(c.i1, c.j0 + 1);
    m_lattice.Defer(c.i0 + 1, c.j0 + 1);
}

bool KTImplicitCells::HasReach(const Cell& c)
{
    return std::isfinite(c.dx[0]) && std::isfinite(c.dx[1]) && std::isfinite(c.dy[0]) &&
           std::isfinite(c.dy[1]);
}

double KTImplicitCells::Reach(const Cell& c)
{
    const double rx = std::max(-c.dx[0], c.dx[1]);
    const double ry = std::max(-c.dy[0], c.dy[1]);
    return 0.5 * (rx * (c.i1 - c.i0) + ry * (c.j1 - c.j0));
}

void KTImplicitCells::Judge(Cell cell, std::vector<Cell>& children, const Ranges* ranges)
{
    double nine[3][3];
    const Verdict verdict = Decide(cell, ranges, nine);
    if (verdict == Verdict::PassOver || verdict == Verdict::Leaf)
        return;
    const std::size_t before = children.size();
    Split(cell, children);
    if (verdict != Verdict::SplitKnown)
        return;
    // The quarters of a cell of two by two lattice cells whose nine lattice points are known
    // read nothing more: judged now, from the values at hand, they need not wait in the next
    // level's list (a dense plot's longest, of nearly every pixel of the band).
    for (std::size_t k = before; k < children.size(); ++k) {
        const Cell& q = children[k];
        const int a = q.i0 - cell.i0;
        const int b = q.j0 - cell.j0;
        const KTImplicitLattice::Sample corner[4] = {{q.i0, q.j0, nine[a][b], nine[a][b] == nine[a][b]},
                                                     {q.i1, q.j0, nine[a + 1][b], nine[a + 1][b] == nine[a + 1][b]},
                                                     {q.i1, q.j1, nine[a + 1][b + 1], nine[a + 1][b + 1] == nine[a + 1][b + 1]},
                                                     {q.i0, q.j1, nine[a][b + 1], nine[a][b + 1] == nine[a][b + 1]}};
        AddOneCell(q, corner);
    }
    children.resize(before);
}

bool KTImplicitCells::NeedsRanges(const Cell& c)
{
    // As Decide goes to its ranges: corners of both signs, without a value missing, across two
    // edges or three, not turning back along both axes, in a cell of more than two by two.
    const int w = c.i1 - c.i0;
    const int h = c.j1 - c.j0;
    if ((w <= 2 && h <= 2) || !m_lattice.HasBound())
        return false;
    const double f[4] = {m_lattice.Value(c.i0, c.j0), m_lattice.Value(c.i1, c.j0),
                         m_lattice.Value(c.i0, c.j1), m_lattice.Value(c.i1, c.j1)};
    if (f[0] != f[0] || f[1] != f[1] || f[2] != f[2] || f[3] != f[3])
        return false;
    const bool s[4] = {Positive(f[0]), Positive(f[1]), Positive(f[2]), Positive(f[3])};
    const int changes = (s[0] != s[1]) + (s[1] != s[3]) + (s[2] != s[3]) + (s[0] != s[2]);
    return changes != 0 && changes != 4 &&
           !((f[1] - f[0]) * (f[3] - f[2]) < 0.0 && (f[2] - f[0]) * (f[3] - f[1]) < 0.0);
}

KTImplicitCells::Verdict KTImplicitCells::Decide(Cell& c, const Ranges* ranges, double nine[3][3])
{
    const int w = c.i1 - c.i0;
    const int h = c.j1 - c.j0;
    if (w <= 1 && h <= 1) {
        AddOneCell(c);
        return Verdict::Leaf;
    }
    // Corners bottom left, bottom right, top left, top right.
    const double f[4] = {m_lattice.Value(c.i0, c.j0), m_lattice.Value(c.i1, c.j0),
                         m_lattice.Value(c.i0, c.j1), m_lattice.Value(c.i1, c.j1)};
    const bool defined = f[0] == f[0] && f[1] == f[1] && f[2] == f[2] && f[3] == f[3];
    const bool s[4] = {Positive(f[0]), Positive(f[1]), Positive(f[2]), Positive(f[3])};
    const int changes = (s[0] != s[1]) + (s[1] != s[3]) + (s[2] != s[3]) + (s[0] != s[2]);

    // Passed over where the difference has no zero. Corners of both signs show one, unless a
    // pole lies between them: a cell that may hold one is asked (the range across a pole leaves
    // out the values between its branches, often zero).
    const bool small = w <= 2 && h <= 2;
    if (defined && changes == 0 && w >= 2 && h >= 2 && HasReach(c)) {
        // From the middle the difference changes by no more than the rates known of the cell
        // allow: too far from zero there, it has none in the cell.
        const double middle = m_lattice.Value(c.i0 + w / 2, c.j0 + h / 2);
        if (middle == middle && Positive(middle) == s[0] && std::fabs(middle) > Reach(c))
            return Verdict::PassOver;
    }
    if (!defined || changes == 0 || (small && !c.bounded)) {
        // Values on lines of no width (powers of negative bases) show no curve either.
        const KTInterval value = m_lattice.BoundOver(c.i0, c.j0, c.i1, c.j1, false).value;
        if (value.ExcludesZero() || value.m_scattered)
            return Verdict::PassOver;
        c.Note(value);
    }
    // Split where it may have one and nothing more can be known: beside the edge of the
    // relation's domain, where the corners show more than one arc, or where they show the
    // difference turning back along both axes (no range of a derivative can exclude zero).
    if (!defined || changes == 4)
        return Verdict::Split;
    if (small)
        return w == 2 && h == 2 ? DecideByPixels(c, f, nine) : Verdict::Split;
    if ((f[1] - f[0]) * (f[3] - f[2]) < 0.0 && (f[2] - f[0]) * (f[3] - f[1]) < 0.0)
        return Verdict::Split;
    const KTIntervalGradient g =
        ranges && ranges->known ? ranges->g : m_lattice.BoundOver(c.i0, c.j0, c.i1, c.j1, true);
    if (g.value.ExcludesZero() || g.value.m_scattered)
        return Verdict::PassOver;
    // Across a pole or beside the domain's edge the ranges say nothing of the curve, nor across
    // a jump, where a curve may begin and end inside the cell (y^3 + y = gint(x) is a step from
    // one whole x to the next) whatever its rates of change.
    if (!g.value.IsBounded() || g.value.IsPartial() || g.value.m_jumps)
        return Verdict::Split;
    c.Note(g.value);
    NoteSlopes(c, g, m_lattice.CellWidth(), m_lattice.CellHeight());
    if (!HoldsOneArcAtMost(c, g))
        return Verdict::Split;
    return changes == 0 ? Verdict::PassOver : OneArc(c, f, s);
}

void KTImplicitCells::NoteSlopes(Cell& c, const KTIntervalGradient& g, double cellWidth, double cellHeight)
{
    // Both the inherited ranges and the cell's own hold: the narrower of each end.
    if (!g.dx.IsEmpty()) {
        c.dx[0] = std::max(c.dx[0], g.dx.m_lo * cellWidth);
        c.dx[1] = std::min(c.dx[1], g.dx.m_hi * cellWidth);
    }
    if (!g.dy.IsEmpty()) {
        c.dy[0] = std::max(c.dy[0], g.dy.m_lo * cellHeight);
        c.dy[1] = std::min(c.dy[1], g.dy.m_hi * cellHeight);
    }
}

bool KTImplicitCells::HoldsOneArcAtMost(const Cell& c, const KTIntervalGradient& g)
{
    // Strictly monotonic along x (or y), the difference has at most one zero on each line
    // across the cell, so its curve has no closed loop inside: every piece of it runs from the
    // boundary to the boundary. Monotonic along an edge, or without a zero on it, the
    // difference crosses that edge at most once, where the corners show it: two crossings
    // then make one arc.
    if (!Strict(g.dx) && !Strict(g.dy))
        return false;
    const int edges[4][4] = {{c.i0, c.j0, c.i1, c.j0},
                             {c.i0, c.j1, c.i1, c.j1},
                             {c.i0, c.j0, c.i0, c.j1},
                             {c.i1, c.j0, c.i1, c.j1}};
    for (int k = 0; k < 4; ++k) {
        const bool alongX = k < 2;
        if (Monotonic(alongX ? g.dx : g.dy))
            continue;
        const int* e = edges[k];
        if (m_lattice.BoundOver(e[0], e[1], e[2], e[3], false).value.ExcludesZero())
            continue;
        const KTIntervalGradient along = m_lattice.BoundOver(e[0], e[1], e[2], e[3], true);
        if (!Monotonic(alongX ? along.dx : along.dy))
            return false;
    }
    return true;
}

KTImplicitCells::Verdict KTImplicitCells::DecideByPixels(Cell& c, const double f[4], double nine[3][3])
{
    // The lattice points of a cell of two by two lattice cells are those its four quarters would
    // read: its corners, the middles of its sides and its middle. Where they show one arc (or
    // none) the cell is taken whole, as its quarters would show the same, unless a lattice
    // interval between two of them with values of one sign may still be crossed twice: the
    // quarters look there.
    const int im = c.i0 + 1;
    const int jm = c.j0 + 1;
    const double v[3][3] = {{f[0], m_lattice.Value(c.i0, jm), f[2]},
                            {m_lattice.Value(im, c.j0), m_lattice.Value(im, jm), m_lattice.Value(im, c.j1)},
                            {f[1], m_lattice.Value(c.i1, jm), f[3]}}; // v[x][y]
    for (int x = 0; x < 3; ++x)
        for (int y = 0; y < 3; ++y)
            nine[x][y] = v[x][y];
    const double ring[8] = {v[0][0], v[1][0], v[2][0], v[2][1], v[2][2], v[1][2], v[0][2], v[0][1]};
    const double middle = v[1][1];
    if (middle != middle)
        return Verdict::SplitKnown;
    int changes = 0;
    bool middleJoins = false; // the middle has the sign of the middle of a side
    for (int k = 0; k < 8; ++k) {
        if (ring[k] != ring[k])
            return Verdict::SplitKnown;
        changes += Positive(ring[k]) != Positive(ring[(k + 1) % 8]) ? 1 : 0;
        middleJoins = middleJoins || (k % 2 == 1 && Positive(ring[k]) == Positive(middle));
    }
    if (!middleJoins || (changes != 0 && changes != 2))
        return Verdict::SplitKnown;
    // Each lattice interval between two of the points with values of one sign: crossed twice
    // only where the difference can reach zero from both ends for the rates of change known of
    // a cell around this one. Where it may, the cells of one lattice cell look, with ranges of
    // their own where they need them: that work goes to the threads that make their segments.
    for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 2; ++b)
            if (MayCrossTwice(c, v[b][a], v[b + 1][a], true) || MayCrossTwice(c, v[a][b], v[a][b + 1], false))
                return Verdict::SplitKnown;
    if (changes == 0)
        return Verdict::PassOver;
    const bool s[4] = {Positive(f[0]), Positive(f[1]), Positive(f[2]), Positive(f[3])};
    const Verdict arc = OneArc(c, f, s);
    return arc == Verdict::Split ? Verdict::SplitKnown : arc;
}

KTImplicitCells::Verdict KTImplicitCells::OneArc(const Cell& c, const double f[4], const bool s[4])
{
    std::int32_t found[2];
    if (HasSidePoints(c)) {
        // Smaller neighbours put points on the sides: the crossings lie between those.
        std::vector<KTImplicitLattice::Sample>& boundary =
            m_scratch[KTImplicitWorker::Current().list].boundary;
        Boundary(c, boundary);
        const std::size_t count = boundary.size();
        int n = 0;
        for (std::size_t k = 0; k < count; ++k) {
            const KTImplicitLattice::Sample& a = boundary[k];
            const KTImplicitLattice::Sample& b = boundary[(k + 1) % count];
            if (Positive(a.f) == Positive(b.f))
                continue;
            if (n == 2)
                return Verdict::Split;
            found[n++] = a.j == b.j ? m_crossings.At(std::min(a.i, b.i), a.j, true, std::abs(a.i - b.i),
                                                     kNoHint, c.continuous)
                                    : m_crossings.At(a.i, std::min(a.j, b.j), false, std::abs(a.j - b.j),
                                                     kNoHint, c.continuous);
        }
        if (n != 2)
            return Verdict::Split;
    } else {
        FindCornerCrossings(c, f, s, found);
    }
    const KTImplicitCrossings::Crossing& p = m_crossings[found[0]];
    const KTImplicitCrossings::Crossing& q = m_crossings[found[1]];
    if (!p.valid || !q.valid || !ChordFollowsCurve(c, f, p, q))
        return Verdict::Split;
    AddLeaf(c, LeafKind::Simple, found[0], found[1]);
    return Verdict::Leaf;
}

void KTImplicitCells::FindCornerCrossings(const Cell& c, const double f[4], const bool s[4],
                                          std::int32_t found[2])
{
    const int w = c.i1 - c.i0;
    const int h = c.j1 - c.j0;
    // Exactly two edges change sign. Bottom, right, top, left in turn.
    struct Edge
    {
        int i, j;
        bool alongX;
        int length;
    };
    Edge edges[2] = {{c.i0, c.j0, true, w}, {c.i0, c.j1, true, w}};
    int n = 0;
    const auto edge = [&](bool changes, int i, int j, bool alongX, int length) {
        if (changes && n < 2)
            edges[n++] = {i, j, alongX, length};
    };
    edge(s[0] != s[1], c.i0, c.j0, true, w);
    edge(s[1] != s[3], c.i1, c.j0, false, h);
    edge(s[2] != s[3], c.i0, c.j1, true, w);
    edge(s[0] != s[2], c.i0, c.j0, false, h);
    // The crossing a neighbour found already comes first; the other is looked for first where
    // the tangent there (across the corners' gradient) meets its edge.
    const auto known = [&](const Edge& e) {
        const std::int32_t id = m_lattice.CrossingId(e.i, e.j, e.alongX);
        return id >= 0 && m_crossings[id].end == (e.alongX ? e.i + e.length : e.j + e.length);
    };
    if (!known(edges[0]) && known(edges[1]))
        std::swap(edges[0], edges[1]);
    found[0] = m_crossings.At(edges[0].i, edges[0].j, edges[0].alongX, edges[0].length, kNoHint, c.continuous);
    double hint = std::numeric_limits<double>::quiet_NaN();
    if (m_crossings[found[0]].valid) {
        const KTImplicitCrossings::Crossing& first = m_crossings[found[0]];
        const double a = (first.U() - c.i0) / w;
        const double b = (first.V() - c.j0) / h;
        const double gx = ((f[1] - f[0]) * (1.0 - b) + (f[3] - f[2]) * b) / w;
        const double gy = ((f[2] - f[0]) * (1.0 - a) + (f[3] - f[1]) * a) / h;
        const Edge& e = edges[1];
        // Along the tangent (-gy, gx) from the first crossing to the line of the other edge.
        if (e.alongX && gx != 0.0)
            hint = first.U() - gy * (e.j - first.V()) / gx - e.i;
        else if (!e.alongX && gy != 0.0)
            hint = first.V() + gx * (e.i - first.U()) / gy - e.j;
    }
    found[1] = m_crossings.At(edges[1].i, edges[1].j, edges[1].alongX, edges[1].length, hint, c.continuous);
}

bool KTImplicitCells::ChordFollowsCurve(const Cell& c, const double f[4],
                                        const KTImplicitCrossings::Crossing& p,
                                        const KTImplicitCrossings::Crossing& q)
{
    const double w = c.i1 - c.i0;
    const double h = c.j1 - c.j0;
    // The chord stands for the curve when the curve lies within the tolerance of it at its
    // quarter points; the distance is the value over the gradient of the corners' bilinear fit.
    for (double t : {0.5, 0.25, 0.75}) {
        const double u = p.U() + t * (q.U() - p.U());
        const double v = p.V() + t * (q.V() - p.V());
        const double a = (u - c.i0) / w;
        const double b = (v - c.j0) / h;
        const double gx = ((f[1] - f[0]) * (1.0 - b) + (f[3] - f[2]) * b) / w;
        const double gy = ((f[2] - f[0]) * (1.0 - a) + (f[3] - f[1]) * a) / h;
        const double g = Length(gx, gy);
        const double fm = m_lattice.Evaluate(m_lattice.XAt(u), m_lattice.YAt(v));
        if (fm != fm || !(g > 0.0) || std::fabs(fm) > kChordTolerance * g)
            return false;
        // A chord whose middle lies on the curve to a tenth of the tolerance is straight enough
        // (a bend would show there first); the quarter points look further only when not.
        if (t == 0.5 && std::fabs(fm) <= 0.1 * kChordTolerance * g)
            return true;
    }
    return true;
}

void KTImplicitCells::Split(const Cell& c, std::vector<Cell>& children)
{
    const int w = c.i1 - c.i0;
    const int h = c.j1 - c.j0;
    const int im = w >= 2 ? c.i0 + w / 2 : c.i0;
    const int jm = h >= 2 ? c.j0 + h / 2 : c.j0;
    if (w >= 2) {
        m_crossings.SplitInterval(c.i0, c.j0, true, w, im - c.i0);
        m_crossings.SplitInterval(c.i0, c.j1, true, w, im - c.i0);
    }
    if (h >= 2) {
        m_crossings.SplitInterval(c.i0, c.j0, false, h, jm - c.j0);
        m_crossings.SplitInterval(c.i1, c.j0, false, h, jm - c.j0);
    }
    // The quarters inherit what is known of the whole.
    const auto part = [&c](int i0, int j0, int i1, int j1) {
        Cell child = c;
        child.i0 = i0;
        child.j0 = j0;
        child.i1 = i1;
        child.j1 = j1;
        return child;
    };
    if (w >= 2 && h >= 2) {
        m_lattice.Defer(im, jm);
        children.push_back(part(c.i0, c.j0, im, jm));
        children.push_back(part(im, c.j0, c.i1, jm));
        children.push_back(part(c.i0, jm, im, c.j1));
        children.push_back(part(im, jm, c.i1, c.j1));
    } else if (w >= 2) {
        children.push_back(part(c.i0, c.j0, im, c.j1));
        children.push_back(part(im, c.j0, c.i1, c.j1));
    } else {
        children.push_back(part(c.i0, c.j0, c.i1, jm));
        children.push_back(part(c.i0, jm, c.i1, c.j1));
    }
}

void KTImplicitCells::AddLeaf(const Cell& c, LeafKind kind, std::int32_t first, std::int32_t second)
{
    KTImplicitWorker& worker = KTImplicitWorker::Current();
    worker.CountLeaf();
    m_leaves[worker.list].Add(Leaf::Of(c, kind, first, second, false));
}

void KTImplicitCells::AddOneCell(const Cell& c, const KTImplicitLattice::Sample* known)
{
    // Most cells of one lattice cell lie beside a curve, not through it, and at one per pixel
    // these leaves are what a dense plot's memory grows with: one whose corners are there to
    // read already (off the rows another band's thread may be writing) is judged now, and kept
    // only where it holds an arc. Its segments still wait for the band, as the order of the
    // crossings they find is the band's.
    if (c.j0 % BandRows == 0 || c.j1 % BandRows == 0 ||
        (!known && (!m_lattice.HasValue(c.i0, c.j0) || !m_lattice.HasValue(c.i1, c.j0) ||
                    !m_lattice.HasValue(c.i1, c.j1) || !m_lattice.HasValue(c.i0, c.j1)))) {
        AddLeaf(c, LeafKind::Finest);
        return;
    }
    KTImplicitLattice::Sample read[4];
    if (!known) {
        read[0] = m_lattice.SampleAt(c.i0, c.j0);
        read[1] = m_lattice.SampleAt(c.i1, c.j0);
        read[2] = m_lattice.SampleAt(c.i1, c.j1);
        read[3] = m_lattice.SampleAt(c.i0, c.j1);
    }
    const KTImplicitLattice::Sample* corner = known ? known : read;
    Cell cell = c;
    KTImplicitWorker& worker = KTImplicitWorker::Current();
    worker.CountLeaf();
    if (MayHoldArc(cell, corner))
        m_leaves[worker.list].Add(Leaf::Of(cell, LeafKind::Finest, -1, -1, true));
}

bool KTImplicitCells::MayHoldArc(Cell& cell, const KTImplicitLattice::Sample corner[4])
{
    const auto mayCrossTwice = [&](int k) {
        const KTImplicitLattice::Sample& a = corner[k];
        const KTImplicitLattice::Sample& b = corner[(k + 1) % 4];
        return a.defined && b.defined && MayCrossTwice(cell, a.f, b.f, a.j == b.j);
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
        return false;
    if (!m_lattice.HasBound()) {
        // Nothing bounds the rates of change: no search between corners of one sign.
        cell.dx[0] = cell.dy[0] = 0.0;
    } else if (!cell.bounded || twice) {
        // The cell's own ranges: a pole, or closer bounds on its rates of change. Where the
        // difference may have poles, those of the difference alone come first, at about two
        // thirds of the cost: beside poles (tan(xy) = 1) most cells hold one, and most others
        // keep away from zero. Without poles they settle only the cells whose difference keeps
        // away from zero, about half of those beside dense loops (sin(x) + cos(y) = 0.5): the
        // derivatives are taken at once, with the same ranges of the difference.
        // An unbounded range says no more here: the gaps that ranges across poles leave out
        // (which take the functions' values at the ends) are not asked for.
        if (twice && m_lattice.MayJump()) {
            const KTInterval value =
                m_lattice.BoundOver(cell.i0, cell.j0, cell.i1, cell.j1, false, false).value;
            if (!value.IsBounded() || (oneSign && value.ExcludesZero()))
                return false;
        }
        const KTIntervalGradient g = m_lattice.BoundOver(cell.i0, cell.j0, cell.i1, cell.j1, twice, false);
        if (!g.value.IsBounded() || (twice && oneSign && g.value.ExcludesZero()))
            return false;
        cell.Note(g.value);
        if (twice)
            NoteSlopes(cell, g, m_lattice.CellWidth(), m_lattice.CellHeight());
    }
    twice = anyTwice();
    return !(oneSign && !twice);
}

void KTImplicitCells::Boundary(const Cell& c, std::vector<KTImplicitLattice::Sample>& out)
{
    out.clear();
    out.push_back(m_lattice.SampleAt(c.i0, c.j0));
    SideSamples(c.i0, c.j0, c.i1 - c.i0, true, false, out);
    out.push_back(m_lattice.SampleAt(c.i1, c.j0));
    SideSamples(c.i1, c.j0, c.j1 - c.j0, false, false, out);
    out.push_back(m_lattice.SampleAt(c.i1, c.j1));
    SideSamples(c.i0, c.j1, c.i1 - c.i0, true, true, out);
    out.push_back(m_lattice.SampleAt(c.i0, c.j1));
    SideSamples(c.i0, c.j0, c.j1 - c.j0, false, true, out);
}

void KTImplicitCells::SideSamples(int i, int j, int length, bool alongX, bool backward,
                                  std::vector<KTImplicitLattice::Sample>& out)
{
    // A side holds lattice points of its own only where a smaller neighbour split it, and every
    // split of a side halves an interval that was split before (or the side itself): the points
    // are found by halving from the side's ends while the middles are known, never by looking
    // at every point between them.
    if (length < 2)
        return;
    const int half = length / 2;
    const int mi = alongX ? i + half : i;
    const int mj = alongX ? j : j + half;
    if (!m_lattice.Known(mi, mj))
        return;
    const int ni = alongX ? mi : i;
    const int nj = alongX ? j : mj;
    if (!backward) {
        SideSamples(i, j, half, alongX, backward, out);
        out.push_back(m_lattice.SampleAt(mi, mj));
        SideSamples(ni, nj, length - half, alongX, backward, out);
    } else {
        SideSamples(ni, nj, length - half, alongX, backward, out);
        out.push_back(m_lattice.SampleAt(mi, mj));
        SideSamples(i, j, half, alongX, backward, out);
    }
}

bool KTImplicitCells::HasSidePoints(const Cell& c) const
{
    const int w = c.i1 - c.i0;
    const int h = c.j1 - c.j0;
    return (w >= 2 && (m_lattice.Known(c.i0 + w / 2, c.j0) || m_lattice.Known(c.i0 + w / 2, c.j1))) ||
           (h >= 2 && (m_lattice.Known(c.i0, c.j0 + h / 2) || m_lattice.Known(c.i1, c.j0 + h / 2)));
}
