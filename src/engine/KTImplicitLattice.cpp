#include "engine/KTImplicitLattice.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

/// Points of one row evaluated together at most.
constexpr int kRowBlock = 256;

} // namespace

KTImplicitLattice::Point KTImplicitLattice::NotEvaluated()
{
    Point point;
    std::memcpy(&point.value, &NotEvaluatedBits, sizeof point.value);
    point.crossing[0] = point.crossing[1] = -1;
    return point;
}

void KTImplicitLattice::Reset(double xLow, double xHigh, double yLow, double yHigh, int columns, int rows)
{
    m_xLow = xLow;
    m_xHigh = xHigh;
    m_yLow = yLow;
    m_yHigh = yHigh;
    m_columns = std::max(1, columns);
    m_rows = std::max(1, rows);
    m_xs.resize(static_cast<std::size_t>(m_columns));
    for (int i = 0; i < m_columns; ++i)
        m_xs[static_cast<std::size_t>(i)] = LineX(i);
    m_ys.resize(static_cast<std::size_t>(m_rows));
    for (int j = 0; j < m_rows; ++j)
        m_ys[static_cast<std::size_t>(j)] = LineY(j);
    m_tilesX = (m_columns >> TileShift) + 1;
    m_tilesY = (m_rows >> TileShift) + 1;
    m_coarseX = (m_columns >> CoarseShift) + 1;
    const std::size_t coarse =
        static_cast<std::size_t>(m_coarseX) * static_cast<std::size_t>((m_rows >> CoarseShift) + 1);
    m_coarse.assign(coarse, NotEvaluated());
    m_tileOf.assign(static_cast<std::size_t>(m_tilesX) * static_cast<std::size_t>(m_tilesY), -1);
    m_tileCount.store(0);
    m_traced = false;
    std::fill(std::begin(m_blankTile.points), std::end(m_blankTile.points), NotEvaluated());
}

void KTImplicitLattice::ReserveTiles(int workers)
{
    // Each worker takes tiles a block at a time, and may leave the last of its block unused.
    const std::size_t room = m_tileOf.size() + static_cast<std::size_t>(workers) * TileBlock;
    if (m_tileRoom < room) {
        m_tiles.reset(new Tile[room]);
        m_tileRoom = room;
    }
}

void KTImplicitLattice::ReleaseTiles(std::size_t most)
{
    if (static_cast<std::size_t>(m_tileCount.load()) * sizeof(Tile) <= most)
        return;
    m_tiles.reset();
    m_tileRoom = 0;
    m_tileCount.store(0);
    std::fill(m_tileOf.begin(), m_tileOf.end(), -1);
}

void KTImplicitLattice::Start(const Difference& difference, const RowDifference& rows, const Bound& bound)
{
    // A lattice traced before starts again from no point evaluated, within the room reserved
    // for its tiles.
    if (m_traced) {
        std::fill(m_coarse.begin(), m_coarse.end(), NotEvaluated());
        std::fill(m_tileOf.begin(), m_tileOf.end(), -1);
        m_tileCount.store(0);
    }
    m_traced = true;
    m_difference = difference;
    m_rowDifference = rows;
    m_bound = bound;
    // Most relations cannot jump anywhere: their crossings need no look at their continuity
    // unless the search doubts them. A pole counts as a jump: across x / abs(x) at 0 the values
    // on one side may be as small as beside a root.
    if (bound) {
        const KTInterval whole = bound(m_xLow, m_xHigh, m_yLow, m_yHigh, false, true).value;
        m_mayJump = whole.m_jumps || !whole.IsBounded();
    } else {
        m_mayJump = true;
    }
}

void KTImplicitLattice::Finish()
{
    m_difference = nullptr;
    m_rowDifference = nullptr;
    m_bound = nullptr;
}

KTImplicitLattice::Point& KTImplicitLattice::MakeTile(std::size_t t, int i, int j)
{
    // Only the band that owns the tile makes it; the workers share the count of tiles taken, a
    // few at a time.
    KTImplicitWorker& w = KTImplicitWorker::Current();
    if (w.tilesLeft == 0) {
        w.nextTile = m_tileCount.fetch_add(TileBlock, std::memory_order_relaxed);
        w.tilesLeft = TileBlock;
    }
    const std::int32_t made = w.nextTile++;
    --w.tilesLeft;
    m_tiles[static_cast<std::size_t>(made)] = m_blankTile;
    m_tileOf[t] = made;
    return m_tiles[static_cast<std::size_t>(made)].points[InTile(i, j)];
}

void KTImplicitLattice::Defer(int i, int j)
{
    Point& point = Make(i, j);
    if (IsEvaluated(point))
        return;
    if (!m_rowDifference) {
        // Without a row form there is nothing to wait for.
        point.value = Evaluate(X(i), Y(j));
        return;
    }
    std::memcpy(&point.value, &PendingBits, sizeof point.value);
    KTImplicitWorker::Current().pending->push_back({i, j});
}

void KTImplicitLattice::EvaluateRows(std::vector<KTImplicitWorker::PendingPoint>& pending)
{
    // Row by row, so that a row's points go through the row form at once (in any order along
    // it): the points are counted into their rows first, over the rows they span only.
    if (pending.empty())
        return;
    KTImplicitWorker& w = KTImplicitWorker::Current();
    std::vector<KTImplicitWorker::PendingPoint>& byRow = w.byRow;
    std::vector<std::int32_t>& rowStart = w.rowStart;
    std::int32_t low = pending.front().j;
    std::int32_t high = low;
    for (const KTImplicitWorker::PendingPoint& p : pending) {
        low = std::min(low, p.j);
        high = std::max(high, p.j);
    }
    const std::size_t rows = static_cast<std::size_t>(high - low) + 1;
    rowStart.assign(rows + 1, 0);
    for (const KTImplicitWorker::PendingPoint& p : pending)
        ++rowStart[static_cast<std::size_t>(p.j - low) + 1];
    for (std::size_t r = 0; r < rows; ++r)
        rowStart[r + 1] += rowStart[r];
    byRow.resize(pending.size());
    for (const KTImplicitWorker::PendingPoint& p : pending)
        byRow[static_cast<std::size_t>(rowStart[static_cast<std::size_t>(p.j - low)]++)] = p;
    pending.clear();
    double xs[kRowBlock];
    double values[kRowBlock];
    Point* points[kRowBlock];
    std::size_t k = 0;
    while (k < byRow.size()) {
        const int j = byRow[k].j;
        int n = 0;
        for (; k < byRow.size() && n < kRowBlock && byRow[k].j == j; ++k) {
            Point* point = const_cast<Point*>(Find(byRow[k].i, j));
            if (!IsPending(*point))
                continue; // read before its row came
            points[n] = point;
            xs[n] = X(byRow[k].i);
            ++n;
        }
        if (n == 0)
            continue;
        w.evaluations += n;
        m_rowDifference(xs, Y(j), values, n);
        for (int m = 0; m < n; ++m)
            points[m]->value =
                values[m] - values[m] == 0.0 ? values[m] : std::numeric_limits<double>::quiet_NaN();
    }
    byRow.clear();
}

void KTImplicitLattice::Prefetch(int i0, int j0, int i1, int j1) const
{
    // The lattice points a judgement reads first: the corners and the middles of the sides.
    const int im = i0 + (i1 - i0) / 2;
    const int jm = j0 + (j1 - j0) / 2;
    const int pi[8] = {i0, i1, i0, i1, im, i1, im, i0};
    const int pj[8] = {j0, j0, j1, j1, j0, jm, j1, jm};
    for (int k = 0; k < 8; ++k)
        if (const Point* point = Find(pi[k], pj[k]))
            __builtin_prefetch(point);
}
