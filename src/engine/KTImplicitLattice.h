#pragma once
// The lattice of an implicit trace: one lattice cell per device pixel over the graph rectangle,
// the difference of the relation's sides at its points (evaluated on first use, or a row at a
// time when deferred), the id of the crossing found on the interval from each point along x and
// along y, and the ranges of the difference over boxes of it.
//
// Every eighth lattice point (the corners and middles of the first cells) lives in one array,
// the others in tiles of 4 x 4 points, made when a point of theirs is first written, so that a
// plot touches memory only near its curves. The threads of a trace make tiles in any order: tiles
// never move, and a band of the lattice makes only the tiles of its own rows.

#include "engine/KTEvaluationProgram.h"
#include "engine/KTImplicitWorker.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

class KTImplicitLattice
{
public:
    /// The difference at a graph point; NaN (or any non-finite value) where it is undefined.
    using Difference = std::function<double(double x, double y)>;
    /// out[k] := the difference at (xs[k], y) for k < count, a row at once, agreeing with
    /// Difference within rounding and on where it is undefined.
    using RowDifference = std::function<void(const double* xs, double y, double* out, int count)>;
    /// Ranges of the difference over the box [xLow, xHigh] x [yLow, yHigh]: its values and, with
    /// `gradient`, its derivatives by x and y (KTEvaluationProgram::BoundWithGradient); without
    /// `gaps`, a range across a pole leaves out no gap (KTIntervalInputs::gaps).
    using Bound = std::function<KTIntervalGradient(double xLow, double xHigh, double yLow, double yHigh,
                                                   bool gradient, bool gaps)>;

    /// A lattice point with its value (NaN where the difference has none).
    struct Sample
    {
        int i, j;
        double f;
        bool defined;
    };

    /// A lattice of `columns` x `rows` cells (each at least 1) over the graph rectangle; the
    /// storage of the one before stays, emptied.
    void Reset(double xLow, double xHigh, double yLow, double yHigh, int columns, int rows);
    /// The difference for the next trace, on a lattice with no point evaluated; without a row
    /// form points are evaluated one by one, without a bound every box's range is unknown.
    /// Cleared by Finish.
    void Start(const Difference& difference, const RowDifference& rows, const Bound& bound);
    void Finish();
    bool HasRows() const { return static_cast<bool>(m_rowDifference); }
    bool HasBound() const { return static_cast<bool>(m_bound); }
    /// The bound over the whole lattice says the difference may jump somewhere in it (without a
    /// bound: true).
    bool MayJump() const { return m_mayJump; }

    int Columns() const { return m_columns; }
    int Rows() const { return m_rows; }
    /// Graph coordinates of lattice lines (the last lies exactly on the edge of the range) and of
    /// lattice positions between them.
    double X(int i) const
    {
        return static_cast<unsigned>(i) < static_cast<unsigned>(m_columns) ? m_xs[static_cast<std::size_t>(i)]
                                                                           : LineX(i);
    }
    double Y(int j) const
    {
        return static_cast<unsigned>(j) < static_cast<unsigned>(m_rows) ? m_ys[static_cast<std::size_t>(j)]
                                                                        : LineY(j);
    }
    double XAt(double u) const { return m_xLow + (m_xHigh - m_xLow) * u / m_columns; }
    double YAt(double v) const { return m_yLow + (m_yHigh - m_yLow) * v / m_rows; }
    /// Width and height of a lattice cell in graph units.
    double CellWidth() const { return (m_xHigh - m_xLow) / m_columns; }
    double CellHeight() const { return (m_yHigh - m_yLow) / m_rows; }

    /// The difference at a graph point, counted; NaN where undefined.
    double Evaluate(double x, double y)
    {
        ++KTImplicitWorker::Current().evaluations;
        const double f = m_difference(x, y);
        return f - f == 0.0 ? f : std::numeric_limits<double>::quiet_NaN();
    }
    /// The difference at a lattice point, evaluated on first use; NaN when undefined.
    double Value(int i, int j)
    {
        Point& point = Make(i, j);
        if (NeedsValue(point))
            point.value = Evaluate(X(i), Y(j));
        return point.value;
    }
    /// The value of a point known to be evaluated or pending.
    double Stored(int i, int j)
    {
        Point& point = const_cast<Point&>(*Find(i, j));
        if (IsPending(point))
            point.value = Evaluate(X(i), Y(j));
        return point.value;
    }
    /// Evaluated and not pending: its value is there to read, and reading it evaluates nothing.
    bool HasValue(int i, int j) const
    {
        const Point* point = Find(i, j);
        return point && !NeedsValue(*point);
    }
    /// Evaluated, or pending: what the judgements of the cells count as known.
    bool Known(int i, int j) const
    {
        const Point* point = Find(i, j);
        return point && IsEvaluated(*point);
    }
    /// Counted as evaluated, its value still to come.
    bool IsPendingPoint(int i, int j) const
    {
        const Point* point = Find(i, j);
        return point && IsPending(*point);
    }
    Sample SampleAt(int i, int j)
    {
        const double f = Stored(i, j);
        return {i, j, f, f == f};
    }
    /// Counts the lattice point as evaluated from now on, its value to come with the next rows
    /// evaluated (EvaluateRows of the worker's pending list), or when it is first read.
    void Defer(int i, int j);
    /// Evaluates the points a row at a time (those still pending), and empties the list.
    void EvaluateRows(std::vector<KTImplicitWorker::PendingPoint>& points);
    /// Asks the processor for the records of the lattice points around a box, before it is read.
    void Prefetch(int i0, int j0, int i1, int j1) const;

    /// The id of the crossing on the interval from (i, j) along x or y, or -1.
    std::int32_t CrossingId(int i, int j, bool alongX) const
    {
        const Point* point = Find(i, j);
        return point ? point->crossing[alongX ? 0 : 1] : -1;
    }
    void SetCrossingId(int i, int j, bool alongX, std::int32_t id)
    {
        Make(i, j).crossing[alongX ? 0 : 1] = id;
    }

    /// The ranges of the difference over the box of lattice points [i0, i1] x [j0, j1], with its
    /// derivatives when `gradient`; everything unknown without a bound. Without `gaps` where
    /// only whether the value is bounded is asked (and, if it is, its range).
    KTIntervalGradient BoundOver(int i0, int j0, int i1, int j1, bool gradient, bool gaps = true)
    {
        if (!m_bound)
            return {KTInterval::Entire(), KTInterval::Entire(), KTInterval::Entire()};
        ++KTImplicitWorker::Current().bounds;
        return m_bound(X(i0), X(i1), Y(j0), Y(j1), gradient, gaps);
    }

    /// The range of the difference along the lattice interval from (i, j) in x or y, between
    /// `t0` and `t1` cells along it (t0 <= t1); everything unknown without a bound.
    KTInterval BoundAlong(int i, int j, bool alongX, double t0, double t1)
    {
        if (!m_bound)
            return KTInterval::Entire();
        ++KTImplicitWorker::Current().bounds;
        const double x0 = alongX ? XAt(i + t0) : X(i);
        const double x1 = alongX ? XAt(i + t1) : X(i);
        const double y0 = alongX ? Y(j) : YAt(j + t0);
        const double y1 = alongX ? Y(j) : YAt(j + t1);
        return m_bound(x0, x1, y0, y1, false, true).value;
    }

    /// Tiles each worker may take beyond those of the lattice (it takes them a block at a time).
    static constexpr std::int32_t TileBlock = 64;
    /// Room for tiles for `workers` workers at once.
    void ReserveTiles(int workers);
    /// Lets the tiles go once the cells are judged, where they take more than `most` bytes: a
    /// plot whose curves pass near most pixels would otherwise hold them beside its lines. Until
    /// the next Reset no lattice point is read.
    void ReleaseTiles(std::size_t most);

private:
    struct Point
    {
        double value;             ///< NaN where undefined; a signalling NaN while not evaluated
        std::int32_t crossing[2]; ///< on the interval along x, along y from here; -1 for none
    };
    struct Tile
    {
        Point points[16]; ///< 4 x 4 lattice points
    };
    static constexpr int TileShift = 2;   // tiles of 4 x 4 lattice points
    static constexpr int CoarseShift = 3; // every eighth lattice point
    /// A signalling NaN, which no arithmetic yields: the value of a lattice point not yet
    /// evaluated (an undefined one holds a quiet NaN). The next one: pending.
    static constexpr std::uint64_t NotEvaluatedBits = 0x7FF4000000000001ull;
    static constexpr std::uint64_t PendingBits = NotEvaluatedBits + 1;

    static std::uint64_t Bits(const Point& point)
    {
        std::uint64_t bits;
        std::memcpy(&bits, &point.value, sizeof bits);
        return bits;
    }
    static bool IsEvaluated(const Point& point) { return Bits(point) != NotEvaluatedBits; }
    static bool NeedsValue(const Point& point) { return Bits(point) - NotEvaluatedBits < 2; }
    static bool IsPending(const Point& point) { return Bits(point) == PendingBits; }
    static Point NotEvaluated();
    static bool OnCoarse(int i, int j) { return ((i | j) & ((1 << CoarseShift) - 1)) == 0; }
    static std::size_t InTile(int i, int j)
    {
        constexpr int mask = (1 << TileShift) - 1;
        return static_cast<std::size_t>(((j & mask) << TileShift) | (i & mask));
    }
    std::size_t TileIndex(int i, int j) const
    {
        return static_cast<std::size_t>(j >> TileShift) * static_cast<std::size_t>(m_tilesX) +
               static_cast<std::size_t>(i >> TileShift);
    }
    std::size_t CoarseIndex(int i, int j) const
    {
        return static_cast<std::size_t>(j >> CoarseShift) * static_cast<std::size_t>(m_coarseX) +
               static_cast<std::size_t>(i >> CoarseShift);
    }
    /// The record of a lattice point, or null when its tile was never made.
    const Point* Find(int i, int j) const
    {
        if (OnCoarse(i, j))
            return &m_coarse[CoarseIndex(i, j)];
        const std::int32_t tile = m_tileOf[TileIndex(i, j)];
        return tile < 0 ? nullptr : &m_tiles[static_cast<std::size_t>(tile)].points[InTile(i, j)];
    }
    /// The record of a lattice point, making its tile when needed (the rare case, out of line).
    Point& Make(int i, int j)
    {
        if (OnCoarse(i, j))
            return m_coarse[CoarseIndex(i, j)];
        const std::size_t t = TileIndex(i, j);
        const std::int32_t tile = m_tileOf[t];
        if (tile < 0) [[unlikely]]
            return MakeTile(t, i, j);
        return m_tiles[static_cast<std::size_t>(tile)].points[InTile(i, j)];
    }
    Point& MakeTile(std::size_t t, int i, int j);

    double m_xLow = 0.0, m_xHigh = 1.0, m_yLow = 0.0, m_yHigh = 1.0;
    int m_columns = 1, m_rows = 1;
    double LineX(int i) const
    {
        return i >= m_columns ? m_xHigh : m_xLow + (m_xHigh - m_xLow) * i / m_columns;
    }
    double LineY(int j) const { return j >= m_rows ? m_yHigh : m_yLow + (m_yHigh - m_yLow) * j / m_rows; }
    /// The lattice lines' coordinates, read for every point and box instead of a division each.
    std::vector<double> m_xs{0.0}, m_ys{0.0}; // as m_xLow and m_yLow before the first Reset
    int m_tilesX = 1, m_tilesY = 1, m_coarseX = 1;
    Difference m_difference;
    RowDifference m_rowDifference;
    Bound m_bound;
    std::vector<Point> m_coarse;
    std::vector<std::int32_t> m_tileOf;
    std::unique_ptr<Tile[]> m_tiles; ///< left unset: a tile is written when it is made
    std::size_t m_tileRoom = 0;
    std::atomic<std::int32_t> m_tileCount{0};
    bool m_traced = false; ///< started since the last Reset
    bool m_mayJump = true;
    Tile m_blankTile; ///< every point not evaluated: a new tile's contents
};
