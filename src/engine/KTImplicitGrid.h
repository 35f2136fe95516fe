#pragma once
// The zero line of an implicit relation's difference, traced over the view on a lattice of
// device pixels that is sampled only where a curve may pass. Cells of 16 pixels are halved where
// the signs at their corners change, or where their values lie within reach of zero for the
// gradient they show, down to single pixels; every cell of the view is looked at on each level
// before any is halved again, so no part of the view is starved. A crossing is searched on a
// cell edge by a bracketing search to a thousandth of a pixel and kept only where the difference
// is continuous across it: a sign change across a pole grows instead of shrinking, and is no
// crossing. The cells' segments join into polylines through their shared crossings.
//
// With a row form, the levels of cells are judged at once on threads of their own, each a band of
// first cells behind the level above it: a cell reads and changes only the lattice of its band and
// the lines it shares with the bands beside it, so a level may judge a band once the level above
// has finished that band and the next, and the trace is the one of judging level after level.
//
// Lives for one plot. Its storage (a value per lattice point, filled on demand, and the cells and
// crossings found) is kept by the thread for its next plot: a plot redrawn as the view moves or
// a family animates would otherwise fault the same pages in again and grow the same lists anew.

#include "foundation/KTPoint.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

class KTImplicitGrid
{
public:
    /// The difference at a graph point; NaN (or any non-finite value) where it is undefined.
    using Difference = std::function<double(double x, double y)>;
    /// out[k] := the difference at (xs[k], y) for k < count, a row at once, agreeing with
    /// Difference within rounding and on where it is undefined.
    using RowDifference = std::function<void(const double* xs, double y, double* out, int count)>;

    static constexpr int TopCell = 16; ///< lattice cells per side of the first cells looked at

    /// A lattice of `columns` x `rows` cells (each at least 1, one per device pixel) over the
    /// graph rectangle [xLow, xHigh] x [yLow, yHigh].
    KTImplicitGrid(double xLow, double xHigh, double yLow, double yHigh, int columns, int rows);
    ~KTImplicitGrid();
    KTImplicitGrid(const KTImplicitGrid&) = delete;
    KTImplicitGrid& operator=(const KTImplicitGrid&) = delete;

    /// Traces the zero line of the difference; the polylines are then in Points() and Ends().
    /// A closed loop repeats its first point at its end.
    /// With a row form, the lattice points each level of cells needs are evaluated a row at a
    /// time; the points of searches along a cell's edges always one by one. Both forms may then
    /// be called from several threads at once.
    void Trace(const Difference& difference, const RowDifference& rows = nullptr);
    /// Drops the points of every polyline that lie within `tolerance` lattice cells of the line
    /// through the points kept on either side of them (the ends of each polyline stay).
    void Simplify(double tolerance);

    /// Points of all polylines in turn, in graph coordinates.
    const std::vector<KTPoint>& Points() const { return m_points; }
    /// Index one past the last point of each polyline in Points().
    const std::vector<int>& Ends() const { return m_ends; }
    /// Differences evaluated by the last trace.
    long long Evaluations() const { return m_evaluations; }
    int Columns() const { return m_columns; }
    int Rows() const { return m_rows; }
    /// First cells crossed by curves (seen at their corners) from which a trace uses threads: a
    /// few curves are traced sooner than the threads would wait on each other.
    static constexpr int ThreadedCells = 1000;
    /// Whether a trace with a row form may use threads (the default), and from how many crossed
    /// first cells; the polylines are the same either way.
    void SetConcurrent(bool concurrent, int fromCrossedCells = ThreadedCells)
    {
        m_concurrent = concurrent;
        m_threadedCells = fromCrossedCells;
    }

private:
    struct Cell
    {
        int i0, j0, i1, j1; ///< lattice corners, i0 < i1 or j0 < j1
    };
    enum class LeafKind : std::uint8_t { Empty, Simple, Pole, Finest };
    struct Leaf
    {
        Cell cell;
        LeafKind kind;
        bool live;
        std::int32_t top;     ///< the first cell it lies in
        std::int32_t next;    ///< the leaf made before it in the same first cell, or -1
        std::int32_t ends[2]; ///< a simple cell's crossings as judged, else -1
        bool rejudged;        ///< ends are those of its boundary, as the last reconciling saw it
    };
    struct Crossing
    {
        double u, v;      ///< lattice coordinates of the root
        KTPoint at;       ///< graph coordinates
        std::int32_t end; ///< lattice index of the interval's far end
        bool valid;       ///< a root, not a pole or a jump
        bool tentative;   ///< judged a pole after one evaluation, not searched
        std::int32_t segments[2];
    };
    /// A search's answer: where along its interval (cells from its first point), and whether a
    /// root, judged without a final answer, or neither.
    struct Root
    {
        double t = 0.0;
        bool valid = true;
        bool tentative = false;
    };
    struct Sample
    {
        int i, j;
        double f;
        bool defined;
    };

    /// Every eighth lattice point (the corners and middles of the first cells) lives in one
    /// array, the others in tiles of 4 x 4 points, made when a point of theirs is first
    /// evaluated, so that a plot touches memory only near its curves (a dense curve such as a
    /// fine pattern leaves few larger tiles untouched, and each new page costs a fault).
    struct Point
    {
        double value;             ///< NaN where undefined; see NotEvaluated
        std::int32_t crossing[2]; ///< on the interval along x, along y from here; -1 for none
    };
    struct Tile
    {
        Point points[16]; ///< 4 x 4 lattice points
    };
    /// Crossings and leaves are kept in one list per level of the first pass and one for what
    /// comes after, so that the levels' threads append at once; an id is its list and its place
    /// in it, and the lists in turn hold them in the order of judging level after level.
    static constexpr int ListShift = 26;
    static constexpr int Levels = 6; ///< cells of 16, 8, 4, 2 and 1 lattice cells, and one for the rows left
    static constexpr int AfterLevels = Levels;
    static constexpr int FirstRound = Levels + 1; ///< crossings the first round of reconciling finds, by level
    static constexpr int Lists = 2 * Levels + 1;
    /// The lists in the order of judging level after level, then the first round of reconciling
    /// the first pass's leaves in their order, then the rest.
    static constexpr int ListOrder[Lists] = {0, 1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12, 6};
    static std::int32_t Id(int list, std::int32_t k) { return (list << ListShift) | k; }
    /// Entries appended by one thread while others read those it made before: they never move.
    /// Each list has cache lines of its own, as its count changes with every entry.
    template <class T>
    class alignas(64) Chunks
    {
    public:
        static constexpr int Shift = 12;
        static constexpr std::int32_t Mask = (1 << Shift) - 1;
        T& operator[](std::int32_t k) { return m_chunks[static_cast<std::size_t>(k >> Shift)][k & Mask]; }
        std::int32_t Size() const { return m_size; }
        std::int32_t Add(const T& value)
        {
            const std::size_t chunk = static_cast<std::size_t>(m_size >> Shift);
            if (!m_chunks)
                m_chunks = std::make_unique<std::unique_ptr<T[]>[]>(MaxChunks);
            if (!m_chunks[chunk])
                m_chunks[chunk] = std::make_unique<T[]>(std::size_t{1} << Shift);
            m_chunks[chunk][m_size & Mask] = value;
            return m_size++;
        }
        /// Empties it; the room stays for the next plot.
        void Clear() { m_size = 0; }

    private:
        static constexpr std::size_t MaxChunks = std::size_t{1} << (ListShift - Shift);
        std::unique_ptr<std::unique_ptr<T[]>[]> m_chunks;
        std::int32_t m_size = 0;
    };
    Crossing& CrossingOf(std::int32_t id)
    {
        return m_crossings[id >> ListShift][id & ((1 << ListShift) - 1)];
    }
    Leaf& LeafOf(std::int32_t id) { return m_leaves[id >> ListShift][id & ((1 << ListShift) - 1)]; }
    struct PendingPoint
    {
        std::int32_t i, j;
    };
    /// What each thread of a trace keeps apart from the others, on cache lines of its own.
    struct alignas(64) Worker
    {
        std::int32_t nextTile = 0;  ///< the next of the tiles it has taken
        std::int32_t tilesLeft = 0; ///< how many of them are left
        int list = AfterLevels;                       ///< the lists it appends to
        std::vector<PendingPoint>* pending = nullptr; ///< where it defers lattice points to
        std::vector<PendingPoint> level;              ///< the points its band evaluates in rows
        std::vector<PendingPoint> rest;               ///< deferred outside the first pass
        long long evaluations = 0;
        std::int32_t decidedEnds[2] = {-1, -1}; ///< the crossings of the cell Decide last found simple
        std::vector<Sample> boundary;           ///< scratch of Boundary
        std::vector<PendingPoint> byRow;        ///< scratch of EvaluateRows
        std::vector<std::int32_t> rowStart;
        std::vector<int> crossings, corners; ///< scratch of Reconsider
    };
    /// The worker of the trace running on this thread.
    static thread_local Worker* t_worker;
    static Worker& W() { return *t_worker; }
    /// A level of the first pass, band by band: the cells it splits off for the next level and
    /// the lattice points it defers for it; how many bands it has finished.
    struct Level;
    void FirstPass();
    /// work(level, band) for every band of every level in turn, with the workers from
    /// `workers` on; where the first pass used threads, each level on a thread of its own, a
    /// band behind the level above.
    template <class Work>
    void InLevels(int workers, const Work& work);
    /// Splits a leaf whose boundary shows more than its judgement, or takes the crossings it
    /// shows for its segment.
    void Reconsider(Leaf& leaf, std::vector<Cell>& children, std::vector<Cell>& split);
    void JudgeBand(Level* levels, int level, int band);

    /// A crossing is known by the first lattice point of its interval and its direction.
    std::int32_t CrossingId(int i, int j, bool alongX) const;
    void SetCrossingId(int i, int j, bool alongX, std::int32_t id);
    std::size_t TileIndex(int i, int j) const;
    std::size_t CoarseIndex(int i, int j) const;
    static Point NotEvaluated();
    /// Evaluated or pending (see Defer): what the judgements of the cells count as known.
    static bool IsEvaluated(const Point& point);
    /// Not evaluated, or pending: no value stored yet.
    static bool NeedsValue(const Point& point);
    static bool IsPending(const Point& point);
    /// The record of a lattice point, or null when its tile was never made.
    const Point* Find(int i, int j) const;
    /// The record of a lattice point, making its tile when needed.
    Point& Make(int i, int j);
    double Stored(int i, int j);
    double X(int i) const;
    double Y(int j) const;
    double XAt(double u) const;
    double YAt(double v) const;
    double Evaluate(double x, double y);
    /// The difference at a lattice point, evaluated on first use; NaN when undefined.
    double Value(int i, int j);
    bool Known(int i, int j) const;
    void Prefetch(const Cell& cell) const;
    /// Counts the lattice point as evaluated from now on, its value to come with the next rows
    /// evaluated, or when it is first read.
    void Defer(int i, int j);
    /// Evaluates the points a row at a time (those still pending), and empties the list.
    void EvaluateRows(std::vector<PendingPoint>& points);
    /// Before a level of cells is judged: the points deferred so far and the cells' middles.
    void EvaluateLevel(const std::vector<Cell>& cells);
    int TopOf(const Cell& cell) const;

    void Refine(std::vector<Cell>& cells);
    LeafKind Decide(const Cell& cell, bool& split);
    /// The crossings on the two edges of a cell whose corners change sign across exactly two.
    void FindCornerCrossings(const Cell& cell, const double f[4], const bool s[4], int found[2]);
    /// Whether a cell whose corners and middle share their sign may still hold a curve.
    bool MayHoldCurve(const Cell& cell, const double f[4], double fm);
    bool SamplesAgreeWithChord(const Cell& cell, const double f[4], const Crossing& p, const Crossing& q);
    bool ChordFollowsCurve(const Cell& cell, const double f[4], const Crossing& p, const Crossing& q);
    void SplitCell(const Cell& cell, std::vector<Cell>& children);
    /// Evaluates the point `offset` cells along the interval from (i, j) and hands a crossing
    /// found on the whole interval to the half that holds it.
    void SplitInterval(int i, int j, bool alongX, int length, int offset);
    void AddLeaf(const Cell& cell, LeafKind kind);
    /// Whether the four corners of a cell of one pixel are defined and of one sign.
    bool OneSign(const Cell& cell);
    /// Whether smaller neighbours put lattice points on the cell's sides.
    bool HasSidePoints(const Cell& cell) const;
    void Reconcile();

    /// Corners and every evaluated lattice point on the cell's sides, counter-clockwise from the
    /// bottom left corner.
    void Boundary(const Cell& cell, std::vector<Sample>& out);
    /// The evaluated lattice points strictly inside the side of `length` from (i, j), in order
    /// from there or (`backward`) toward it.
    void SideSamples(int i, int j, int length, bool alongX, bool backward, std::vector<Sample>& out);
    void AddSample(int i, int j, std::vector<Sample>& out);
    /// The crossing on the interval between two neighbouring boundary samples (signs differ).
    int CrossingBetween(const Sample& a, const Sample& b);
    /// The crossing on the interval from (i, j); without `final` a likely pole may be left
    /// tentative after one evaluation (the caller splits such a cell either way). The search
    /// starts at `hint` (cells along the interval) when it lies inside.
    int CrossingAt(int i, int j, bool alongX, int length, bool final,
                   double hint = std::numeric_limits<double>::quiet_NaN());
    /// The bracketing search on [lo, hi] along the interval from (i, j), with the values there.
    Root Search(int i, int j, bool alongX, double lo, double hi, double fa, double fb, bool final,
                double hint);
    int AddCrossing(int i, int j, bool alongX, int length, const Root& root);
    /// The crossing between neighbouring lattice points of which only one has a value, where the
    /// curve runs on to the end of the relation's domain.
    int CrossingToDomainEnd(const Sample& a, const Sample& b);
    /// Valid crossings of a leaf's boundary in order; whether its corners alternate in sign.
    void LeafCrossings(const Cell& cell, std::vector<int>& crossings, std::vector<int>& corners);

    void BuildSegments();
    void AddSegment(int a, int b);
    void Link();

    double m_xLow, m_xHigh, m_yLow, m_yHigh;
    int m_columns, m_rows;
    Difference m_difference;
    RowDifference m_rowDifference;
    bool m_concurrent = true;
    std::vector<Worker> m_workers; ///< one per list
    std::unique_ptr<Level[]> m_levels; ///< the first pass's, kept for the first round of reconciling
    bool m_threads = false;            ///< the first pass ran on threads
    int m_crossedFirstCells = 0;       ///< first cells whose corners differ in sign or in having a value
    int m_threadedCells = ThreadedCells;
    long long m_evaluations = 0;
    double m_scale = 1.0; ///< typical size of the difference over the view

    int m_tilesX, m_tilesY, m_coarseX;
    std::vector<Point> m_coarse;
    std::vector<std::int32_t> m_tileOf;
    /// Room for every tile at once, made in any order by the threads: tiles never move, and
    /// only the pages of tiles made are touched.
    std::unique_ptr<Tile[]> m_tiles;
    std::size_t m_tileRoom = 0;
    static constexpr std::int32_t TileBlock = 64;
    std::atomic<std::int32_t> m_tileCount{0};
    Tile m_blankTile; ///< every point not evaluated: a new tile's contents
    Chunks<Crossing> m_crossings[Lists];
    Chunks<Leaf> m_leaves[Lists];
    std::vector<std::int32_t> m_firstLeaf;    ///< per first cell: its latest leaf, or -1
    bool m_reconciled = false; ///< the cells agreed before the rounds ran out
    std::vector<std::int32_t> m_segmentEnds;  ///< two crossings per segment

    std::vector<KTPoint> m_points;
    std::vector<double> m_lattice; ///< lattice (u, v) pairs of m_points, for simplification
    std::vector<int> m_ends;
    /// Scratch lists kept with the storage: ones of a few hundred kilobytes would otherwise be
    /// mapped afresh, and faulted in, for every plot.
    std::vector<KTPoint> m_sparePoints;
    std::vector<double> m_spareLattice, m_magnitudes;
    std::vector<Cell> m_cells;
    std::vector<std::int32_t> m_candidates;

    /// The lists above that a plot leaves behind, emptied but with their room, for the next one.
    struct Storage;
    /// What the last plot of this thread left; empty while a plot holds it (a second grid alive
    /// at once makes its own).
    static thread_local std::unique_ptr<Storage> t_storage;
    /// move(member, kept) for each list the storage keeps.
    template <class Move>
    void ExchangeStorage(Storage& storage, const Move& move);
    void TakeStorage();
    void KeepStorage();
};
