#include "engine/KTImplicitGrid.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>
#include <cstdio>

namespace {

/// A signalling NaN, which no arithmetic yields: the value of a lattice point not yet evaluated
/// (an undefined one holds a quiet NaN).
constexpr std::uint64_t kNotEvaluatedBits = 0x7FF4000000000001ull;
/// The value of a lattice point that counts as evaluated but whose value is still to come from
/// the next evaluation of a row (or from the first read of it).
constexpr std::uint64_t kPendingBits = kNotEvaluatedBits + 1;
/// Points of one row evaluated together at most.
constexpr int kRowBlock = 256;
constexpr int kTileShift = 2;   // tiles of 4 x 4 lattice points
constexpr int kCoarseShift = 3; // every eighth lattice point: corners and middles of the first cells

/// A cell is looked at more closely when its values, allowed to leave the plane of their gradient
/// by this many times as far as its corners do, could reach zero over it.
constexpr double kReach = 1.5;
/// Largest size of the values (over their typical size on the view) at which that test also
/// looks at the middles of the cell's sides.
constexpr double kNearZero = 0.02;
/// Part of a cell by which it is enlarged on each side for that test.
constexpr double kReachMargin = 0.25;
/// Smallest cell that is halved for values within reach of zero rather than for a sign change.
constexpr int kReachCell = 1;
/// Most distance (in cells of the lattice) between a cell's chord and the curve it stands for.
constexpr double kChordTolerance = 0.2;
/// Cells by which a sample may seem nearer the curve than half its distance from the chord.
constexpr double kChordSlack = 0.5;
/// Largest cell whose sign changes are all poles that is taken as holding no curve: a larger one
/// may hide a root beside its pole.
constexpr int kPoleCell = 8;
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
/// Halvings that narrow the end of the relation's domain between two lattice points.
constexpr int kDomainEndHalvings = 30;
constexpr double kNoHint = std::numeric_limits<double>::quiet_NaN();
using Clock = std::chrono::steady_clock;
/// How long a level thread looks for the band it waits for before it sleeps.
constexpr std::chrono::microseconds kSpin{200};

inline void Pause()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#else
    std::this_thread::yield();
#endif
}

/// Threads kept for the levels of traces, so that a trace does not start and end its own: a
/// thread's start costs about as much as a band's judgement.
class LevelThreads
{
public:
    /// task(k) for 0 < k < count on the kept threads and task(0) on the caller, returning when
    /// all are done; false (and nothing run) while another caller has them.
    static bool Run(int count, const std::function<void(int)>& task) { return Kept().RunTask(count, task); }

private:
    static LevelThreads& Kept()
    {
        static LevelThreads threads;
        return threads;
    }
    ~LevelThreads()
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        for (std::thread& thread : m_threads)
            thread.join();
    }
    bool RunTask(int count, const std::function<void(int)>& task)
    {
        const std::unique_lock<std::mutex> holder(m_holder, std::try_to_lock);
        if (!holder.owns_lock())
            return false;
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            while (static_cast<int>(m_threads.size()) < count - 1) {
                const int k = static_cast<int>(m_threads.size()) + 1;
                m_threads.emplace_back([this, k] { Serve(k); });
            }
            m_task = &task;
            m_count = count;
            m_left = count - 1;
            ++m_job;
        }
        m_changed.notify_all();
        task(0);
        std::unique_lock<std::mutex> lock(m_mutex);
        m_finished.wait(lock, [this] { return m_left == 0; });
        m_task = nullptr;
        return true;
    }
    void Serve(int k)
    {
        long long seen = 0;
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            m_changed.wait(lock, [&] { return m_stop || m_job != seen; });
            if (m_stop)
                return;
            seen = m_job;
            if (k >= m_count)
                continue;
            const std::function<void(int)>* task = m_task;
            lock.unlock();
            (*task)(k);
            lock.lock();
            if (--m_left == 0)
                m_finished.notify_all();
        }
    }

    std::mutex m_holder; ///< held by the caller running a task
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::condition_variable m_finished;
    std::vector<std::thread> m_threads;
    const std::function<void(int)>* m_task = nullptr;
    int m_count = 0;
    int m_left = 0;
    long long m_job = 0;
    bool m_stop = false;
};

/// Cells or leaves ahead of the one judged whose lattice points are asked for.
constexpr std::size_t kAhead = 8;
/// Rounds of consistency between neighbouring cells of different sizes.
constexpr int kReconcileRounds = 16;

bool Positive(double f)
{
    return f >= 0.0;
}

/// The length of (x, y); no guard against overflow is needed for these small values.
double Length(double x, double y)
{
    return std::sqrt(x * x + y * y);
}

} // namespace

struct KTImplicitGrid::Storage
{
    std::vector<Worker> workers;
    std::vector<std::int32_t> tileOf, firstLeaf, segmentEnds;
    std::vector<Point> coarse;
    std::unique_ptr<Tile[]> tiles;
    std::size_t tileRoom = 0;
    Chunks<Crossing> crossings[Lists];
    Chunks<Leaf> leaves[Lists];
    std::vector<KTPoint> points, sparePoints;
    std::vector<double> lattice, spareLattice, magnitudes;
    std::vector<int> ends;
    std::vector<Cell> cells;
    std::vector<std::int32_t> candidates;
};

thread_local std::unique_ptr<KTImplicitGrid::Storage> KTImplicitGrid::t_storage;
thread_local KTImplicitGrid::Worker* KTImplicitGrid::t_worker = nullptr;

template <class Move>
void KTImplicitGrid::ExchangeStorage(Storage& s, const Move& move)
{
    move(m_workers, s.workers);
    move(m_tileOf, s.tileOf);
    move(m_firstLeaf, s.firstLeaf);
    move(m_segmentEnds, s.segmentEnds);
    move(m_coarse, s.coarse);
    move(m_tiles, s.tiles);
    move(m_tileRoom, s.tileRoom);
    for (int k = 0; k < Lists; ++k) {
        move(m_crossings[k], s.crossings[k]);
        move(m_leaves[k], s.leaves[k]);
    }
    move(m_points, s.points);
    move(m_lattice, s.lattice);
    move(m_ends, s.ends);
    move(m_sparePoints, s.sparePoints);
    move(m_spareLattice, s.spareLattice);
    move(m_magnitudes, s.magnitudes);
    move(m_cells, s.cells);
    move(m_candidates, s.candidates);
}

void KTImplicitGrid::TakeStorage()
{
    const std::unique_ptr<Storage> s = std::move(t_storage);
    if (s)
        ExchangeStorage(*s, [](auto& mine, auto& kept) { mine = std::move(kept); });
}

void KTImplicitGrid::KeepStorage()
{
    if (t_storage)
        return;
    auto s = std::make_unique<Storage>();
    // Lists go emptied but with their room; the tiles and their count as they are.
    ExchangeStorage(*s, [](auto& mine, auto& kept) {
        if constexpr (requires { mine.clear(); })
            mine.clear();
        else if constexpr (requires { mine.Clear(); })
            mine.Clear();
        kept = std::move(mine);
    });
    t_storage = std::move(s);
}

KTImplicitGrid::KTImplicitGrid(double xLow, double xHigh, double yLow, double yHigh, int columns, int rows)
    : m_xLow(xLow), m_xHigh(xHigh), m_yLow(yLow), m_yHigh(yHigh), m_columns(std::max(1, columns)),
      m_rows(std::max(1, rows)), m_tilesX((m_columns >> kTileShift) + 1),
      m_tilesY((m_rows >> kTileShift) + 1), m_coarseX((m_columns >> kCoarseShift) + 1)
{
    TakeStorage();
    const std::size_t tiles = static_cast<std::size_t>(m_tilesX) * static_cast<std::size_t>(m_tilesY);
    const std::size_t coarse =
        static_cast<std::size_t>(m_coarseX) * static_cast<std::size_t>((m_rows >> kCoarseShift) + 1);
    m_coarse.assign(coarse, NotEvaluated());
    m_tileOf.assign(tiles, -1);
    // Each thread takes tiles a block at a time, and may leave the last of its block unused.
    const std::size_t room = tiles + static_cast<std::size_t>(Lists) * TileBlock;
    if (m_tileRoom < room) {
        // Left unset: a tile is written when it is made.
        m_tiles.reset(new Tile[room]);
        m_tileRoom = room;
    }
    std::fill(std::begin(m_blankTile.points), std::end(m_blankTile.points), NotEvaluated());
}

KTImplicitGrid::~KTImplicitGrid()
{
    KeepStorage();
}

// The lattice accessors are inline: the build makes position-independent code, in which a
// function that could be interposed is never inlined, and these run for every sample.
inline std::size_t KTImplicitGrid::TileIndex(int i, int j) const
{
    return static_cast<std::size_t>(j >> kTileShift) * static_cast<std::size_t>(m_tilesX) +
           static_cast<std::size_t>(i >> kTileShift);
}

namespace {

bool OnCoarse(int i, int j)
{
    return ((i | j) & ((1 << kCoarseShift) - 1)) == 0;
}

std::size_t InTile(int i, int j)
{
    constexpr int mask = (1 << kTileShift) - 1;
    return static_cast<std::size_t>(((j & mask) << kTileShift) | (i & mask));
}

} // namespace

inline std::size_t KTImplicitGrid::CoarseIndex(int i, int j) const
{
    return static_cast<std::size_t>(j >> kCoarseShift) * static_cast<std::size_t>(m_coarseX) +
           static_cast<std::size_t>(i >> kCoarseShift);
}

inline KTImplicitGrid::Point KTImplicitGrid::NotEvaluated()
{
    Point point;
    std::memcpy(&point.value, &kNotEvaluatedBits, sizeof point.value);
    point.crossing[0] = point.crossing[1] = -1;
    return point;
}

inline bool KTImplicitGrid::IsEvaluated(const Point& point)
{
    std::uint64_t bits;
    std::memcpy(&bits, &point.value, sizeof bits);
    return bits != kNotEvaluatedBits;
}

inline bool KTImplicitGrid::NeedsValue(const Point& point)
{
    std::uint64_t bits;
    std::memcpy(&bits, &point.value, sizeof bits);
    return bits - kNotEvaluatedBits < 2;
}

inline bool KTImplicitGrid::IsPending(const Point& point)
{
    std::uint64_t bits;
    std::memcpy(&bits, &point.value, sizeof bits);
    return bits == kPendingBits;
}

inline const KTImplicitGrid::Point* KTImplicitGrid::Find(int i, int j) const
{
    if (OnCoarse(i, j))
        return &m_coarse[CoarseIndex(i, j)];
    const std::int32_t tile = m_tileOf[TileIndex(i, j)];
    return tile < 0 ? nullptr : &m_tiles[static_cast<std::size_t>(tile)].points[InTile(i, j)];
}

inline KTImplicitGrid::Point& KTImplicitGrid::Make(int i, int j)
{
    if (OnCoarse(i, j))
        return m_coarse[CoarseIndex(i, j)];
    const std::size_t t = TileIndex(i, j);
    if (m_tileOf[t] < 0) {
        // Only the band that owns the tile makes it; the threads share the count of tiles taken,
        // a few at a time.
        Worker& w = W();
        if (w.tilesLeft == 0) {
            w.nextTile = m_tileCount.fetch_add(TileBlock, std::memory_order_relaxed);
            w.tilesLeft = TileBlock;
        }
        const std::int32_t made = w.nextTile++;
        --w.tilesLeft;
        m_tiles[static_cast<std::size_t>(made)] = m_blankTile;
        m_tileOf[t] = made;
    }
    return m_tiles[static_cast<std::size_t>(m_tileOf[t])].points[InTile(i, j)];
}

inline double KTImplicitGrid::Stored(int i, int j)
{
    Point& point = const_cast<Point&>(*Find(i, j));
    if (IsPending(point))
        point.value = Evaluate(X(i), Y(j));
    return point.value;
}

inline std::int32_t KTImplicitGrid::CrossingId(int i, int j, bool alongX) const
{
    const Point* point = Find(i, j);
    return point ? point->crossing[alongX ? 0 : 1] : -1;
}

inline void KTImplicitGrid::SetCrossingId(int i, int j, bool alongX, std::int32_t id)
{
    Make(i, j).crossing[alongX ? 0 : 1] = id;
}

inline double KTImplicitGrid::X(int i) const
{
    // The last lattice line lies exactly on the edge of the range.
    return i >= m_columns ? m_xHigh : m_xLow + (m_xHigh - m_xLow) * i / m_columns;
}

inline double KTImplicitGrid::Y(int j) const
{
    return j >= m_rows ? m_yHigh : m_yLow + (m_yHigh - m_yLow) * j / m_rows;
}

inline double KTImplicitGrid::XAt(double u) const
{
    return m_xLow + (m_xHigh - m_xLow) * u / m_columns;
}

inline double KTImplicitGrid::YAt(double v) const
{
    return m_yLow + (m_yHigh - m_yLow) * v / m_rows;
}

inline double KTImplicitGrid::Evaluate(double x, double y)
{
    ++W().evaluations;
    const double f = m_difference(x, y);
    return std::isfinite(f) ? f : std::numeric_limits<double>::quiet_NaN();
}

inline double KTImplicitGrid::Value(int i, int j)
{
    Point& point = Make(i, j);
    if (NeedsValue(point))
        point.value = Evaluate(X(i), Y(j));
    return point.value;
}

inline void KTImplicitGrid::Defer(int i, int j)
{
    Point& point = Make(i, j);
    if (IsEvaluated(point))
        return;
    if (!m_rowDifference) {
        // Without a row form there is nothing to wait for.
        point.value = Evaluate(X(i), Y(j));
        return;
    }
    std::memcpy(&point.value, &kPendingBits, sizeof point.value);
    W().pending->push_back({i, j});
}

void KTImplicitGrid::EvaluateRows(std::vector<PendingPoint>& pending)
{
    // Row by row, so that a row's points go through the row form at once (in any order along
    // it): the points are counted into their rows first.
    Worker& w = W();
    std::vector<PendingPoint>& byRow = w.byRow;
    std::vector<std::int32_t>& rowStart = w.rowStart;
    if (pending.empty())
        return;
    // Only the rows the points span are counted: a band's points lie in a few of them.
    std::int32_t low = pending.front().j;
    std::int32_t high = low;
    for (const PendingPoint& p : pending) {
        low = std::min(low, p.j);
        high = std::max(high, p.j);
    }
    const std::size_t rows = static_cast<std::size_t>(high - low) + 1;
    rowStart.assign(rows + 1, 0);
    for (const PendingPoint& p : pending)
        ++rowStart[static_cast<std::size_t>(p.j - low) + 1];
    for (std::size_t r = 0; r < rows; ++r)
        rowStart[r + 1] += rowStart[r];
    byRow.resize(pending.size());
    for (const PendingPoint& p : pending)
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
                std::isfinite(values[m]) ? values[m] : std::numeric_limits<double>::quiet_NaN();
    }
    byRow.clear();
}

void KTImplicitGrid::EvaluateLevel(const std::vector<Cell>& cells)
{
    // The middles of the cells are read by nearly every judgement (all but those of small cells
    // crossed by poles only), and, being inside the cells, by no other cell's.
    if (!m_rowDifference)
        return;
    for (const Cell& c : cells)
        if (c.i1 - c.i0 >= 2 && c.j1 - c.j0 >= 2)
            Defer(c.i0 + (c.i1 - c.i0) / 2, c.j0 + (c.j1 - c.j0) / 2);
    EvaluateRows(*W().pending);
}

inline void KTImplicitGrid::Prefetch(const Cell& c) const
{
    // The lattice points a judgement of the cell reads first: its corners and the middles of
    // its sides, asked for while the cells before it are judged.
    const int im = c.i0 + (c.i1 - c.i0) / 2;
    const int jm = c.j0 + (c.j1 - c.j0) / 2;
    const int pi[8] = {c.i0, c.i1, c.i0, c.i1, im, c.i1, im, c.i0};
    const int pj[8] = {c.j0, c.j0, c.j1, c.j1, c.j0, jm, c.j1, jm};
    for (int k = 0; k < 8; ++k)
        if (const Point* point = Find(pi[k], pj[k]))
            __builtin_prefetch(point);
}

inline bool KTImplicitGrid::Known(int i, int j) const
{
    const Point* point = Find(i, j);
    return point && IsEvaluated(*point);
}

inline int KTImplicitGrid::TopOf(const Cell& c) const
{
    const int topsX = (m_columns + TopCell - 1) / TopCell;
    return (c.j0 / TopCell) * topsX + c.i0 / TopCell;
}

// ---- The trace -----------------------------------------------------------------------------------

void KTImplicitGrid::Trace(const Difference& difference, const RowDifference& rows)
{
    m_difference = difference;
    m_rowDifference = rows;
    m_evaluations = 0;
    m_points.clear();
    m_lattice.clear();
    m_ends.clear();
    m_workers.resize(Lists);
    for (int k = 0; k < Lists; ++k) {
        Worker& w = m_workers[static_cast<std::size_t>(k)];
        w.list = k;
        w.evaluations = 0;
        w.tilesLeft = 0;
        w.level.clear();
        w.rest.clear();
        w.pending = &w.rest;
    }
    Worker* const caller = t_worker;
    t_worker = &m_workers[AfterLevels];

    const int topsX = (m_columns + TopCell - 1) / TopCell;
    const int topsY = (m_rows + TopCell - 1) / TopCell;
    m_firstLeaf.assign(static_cast<std::size_t>(topsX) * static_cast<std::size_t>(topsY), -1);
    std::vector<Cell>& cells = m_cells;
    cells.clear();
    for (int j = 0; j < m_rows; j += TopCell)
        for (int i = 0; i < m_columns; i += TopCell)
            cells.push_back({i, j, std::min(i + TopCell, m_columns), std::min(j + TopCell, m_rows)});
    if (m_rowDifference) {
        // The corners of the first cells, a row at a time.
        for (const Cell& c : cells) {
            Defer(c.i0, c.j0);
            Defer(c.i1, c.j0);
            Defer(c.i0, c.j1);
            Defer(c.i1, c.j1);
        }
        EvaluateRows(*W().pending);
    }
    std::vector<double>& magnitudes = m_magnitudes;
    magnitudes.clear();
    int crossed = 0;
    for (const Cell& c : cells) {
        const double f[4] = {Value(c.i0, c.j0), Value(c.i1, c.j0), Value(c.i0, c.j1), Value(c.i1, c.j1)};
        for (const double v : f)
            if (!std::isnan(v))
                magnitudes.push_back(std::fabs(v));
        // Corners of both signs, or some without a value: a curve or a domain's edge passes.
        int undefined = 0;
        bool both = false;
        for (const double v : f) {
            undefined += std::isnan(v) ? 1 : 0;
            both = both || (!std::isnan(v) && !std::isnan(f[0]) && Positive(v) != Positive(f[0]));
        }
        crossed += both || (undefined > 0 && undefined < 4) ? 1 : 0;
    }
    m_crossedFirstCells = crossed;
    // The typical size of the difference over the view: what counts as near zero.
    m_scale = 1.0;
    if (!magnitudes.empty()) {
        auto middle = magnitudes.begin() + static_cast<std::ptrdiff_t>(magnitudes.size() / 2);
        std::nth_element(magnitudes.begin(), middle, magnitudes.end());
        if (*middle > 0.0)
            m_scale = *middle;
    }
    FirstPass();
    t_worker = &m_workers[AfterLevels];
    Reconcile();
    BuildSegments();
    Link();
    for (const Worker& w : m_workers)
        m_evaluations += w.evaluations;
    t_worker = caller;
    m_difference = nullptr;
    m_rowDifference = nullptr;
}

struct KTImplicitGrid::Level
{
    /// A band's lists, each on lines of its own: one thread appends to them while another
    /// reads the band's before.
    struct alignas(64) Band
    {
        std::vector<Cell> children;
        std::vector<PendingPoint> deferred;
        std::int32_t leaves = 0, leavesEnd = 0; ///< the band's leaves in the level's list
        /// The first round of reconciling: the cells it splits, and their halves.
        std::vector<Cell> split, halves;
    };
    std::vector<Band> bands;
    alignas(64) std::atomic<int> done{0};
};

void KTImplicitGrid::FirstPass()
{
    static_assert(TopCell == 16, "a level for each halving of the first cells, and one for the rows left");
    const int bands = (m_rows + TopCell - 1) / TopCell;
    m_levels.reset(new Level[Levels]);
    for (int l = 0; l < Levels; ++l)
        m_levels[l].bands.resize(static_cast<std::size_t>(bands));
    // One point at a time the difference may not be callable from other threads, and the
    // evaluation of rows is what keeps the threads apart from the caller's lists of points.
    m_threads = m_rowDifference && m_concurrent && bands > 2 && m_crossedFirstCells >= m_threadedCells &&
                std::thread::hardware_concurrency() > 1;
    InLevels(0, [this](int l, int b) { JudgeBand(m_levels.get(), l, b); });
    // The last level only evaluates the rows left: cells of one lattice cell split no further.
    t_worker = &m_workers[AfterLevels];
    for (Level::Band& rest : m_levels[Levels - 1].bands)
        if (!rest.children.empty())
            Refine(rest.children);
}

template <class Work>
void KTImplicitGrid::InLevels(int workers, const Work& work)
{
    const int bands = (m_rows + TopCell - 1) / TopCell;
    if (!m_threads) {
        for (int l = 0; l < Levels; ++l) {
            t_worker = &m_workers[static_cast<std::size_t>(workers + l)];
            for (int b = 0; b < bands; ++b)
                work(l, b);
        }
        return;
    }
    Level* const levels = m_levels.get();
    for (int l = 0; l < Levels; ++l)
        levels[l].done.store(0);
    // A level mostly waits a little for the one above, less than a sleep and a wake-up take:
    // it looks again for a while before it sleeps, and a finished band wakes only sleepers.
    std::mutex mutex;
    std::condition_variable finished;
    std::atomic<int> sleepers{0};
    const auto run = [this, levels, bands, workers, &work, &mutex, &finished, &sleepers](int l) {
        t_worker = &m_workers[static_cast<std::size_t>(workers + l)];
        for (int b = 0; b < bands; ++b) {
            if (l > 0) {
                // The level above has finished this band and the next: nothing of theirs changes.
                const int needed = std::min(b + 2, bands);
                const std::atomic<int>& above = levels[l - 1].done;
                const auto ready = [&] { return above.load() >= needed; };
                if (!ready()) {
                    const Clock::time_point until = Clock::now() + kSpin;
                    for (int looks = 1; !ready(); ++looks) {
                        Pause();
                        if (looks % 64 == 0 && Clock::now() > until)
                            break;
                    }
                }
                if (!ready()) {
                    std::unique_lock<std::mutex> lock(mutex);
                    ++sleepers;
                    finished.wait(lock, ready);
                    --sleepers;
                }
            }
            work(l, b);
            levels[l].done.store(b + 1);
            if (sleepers.load() > 0) {
                const std::lock_guard<std::mutex> lock(mutex);
                finished.notify_all();
            }
        }
    };
    if (LevelThreads::Run(Levels, run))
        return;
    // Another trace holds the threads kept for this: threads of its own.
    std::vector<std::thread> below;
    for (int l = 1; l < Levels; ++l)
        below.emplace_back(run, l);
    run(0);
    for (std::thread& thread : below)
        thread.join();
}

void KTImplicitGrid::JudgeBand(Level* levels, int level, int band)
{
    // A band's cells read only lattice points of its rows, from its lowest to the lowest of the
    // next band, which it shares with the bands beside it.
    Worker& w = W();
    const int bands = (m_rows + TopCell - 1) / TopCell;
    const int j0 = band * TopCell;
    const int j1 = std::min(j0 + TopCell, m_rows);
    std::vector<Cell> first;
    if (level == 0)
        for (int i = 0; i < m_columns; i += TopCell)
            first.push_back({i, j0, std::min(i + TopCell, m_columns), j1});
    const std::vector<Cell>& cells = level == 0 ? first : levels[level - 1].bands[static_cast<std::size_t>(band)].children;
    if (m_rowDifference) {
        // The points the cells read first: their middles, and those the level above deferred on
        // the band's rows, also from the bands beside it on the rows they share.
        w.pending = &w.level;
        for (const Cell& c : cells)
            if (c.i1 - c.i0 >= 2 && c.j1 - c.j0 >= 2)
                Defer(c.i0 + (c.i1 - c.i0) / 2, c.j0 + (c.j1 - c.j0) / 2);
        if (level > 0)
            for (int b = std::max(0, band - 1); b <= std::min(bands - 1, band + 1); ++b)
                for (const PendingPoint& p : levels[level - 1].bands[static_cast<std::size_t>(b)].deferred)
                    if (p.j >= j0 && p.j <= j1 && IsPending(*Find(p.i, p.j)))
                        w.level.push_back(p);
        EvaluateRows(w.level);
    }
    Level::Band& lists = levels[level].bands[static_cast<std::size_t>(band)];
    w.pending = &lists.deferred;
    std::vector<Cell>& next = lists.children;
    lists.leaves = m_leaves[w.list].Size();
    for (std::size_t k = 0; k < cells.size(); ++k) {
        if (k + kAhead < cells.size())
            Prefetch(cells[k + kAhead]);
        const Cell& cell = cells[k];
        bool split = false;
        const LeafKind kind = Decide(cell, split);
        if (split)
            SplitCell(cell, next);
        else
            AddLeaf(cell, kind);
    }
    lists.leavesEnd = m_leaves[w.list].Size();
}

void KTImplicitGrid::Refine(std::vector<Cell>& cells)
{
    // Level by level over the whole view: every cell of one size is judged before any smaller.
    std::vector<Cell> next;
    while (!cells.empty()) {
        EvaluateLevel(cells);
        next.clear();
        for (const Cell& cell : cells) {
            bool split = false;
            const LeafKind kind = Decide(cell, split);
            if (split)
                SplitCell(cell, next);
            else
                AddLeaf(cell, kind);
        }
        std::swap(cells, next);
    }
    EvaluateLevel(cells);
}

void KTImplicitGrid::AddLeaf(const Cell& c, LeafKind kind)
{
    const std::int32_t top = TopOf(c);
    Worker& w = W();
    const std::int32_t first = kind == LeafKind::Simple ? w.decidedEnds[0] : -1;
    const std::int32_t second = kind == LeafKind::Simple ? w.decidedEnds[1] : -1;
    const std::int32_t k = m_leaves[w.list].Add(
        {c, kind, true, top, m_firstLeaf[static_cast<std::size_t>(top)], {first, second}, false});
    m_firstLeaf[static_cast<std::size_t>(top)] = Id(w.list, k);
}

KTImplicitGrid::LeafKind KTImplicitGrid::Decide(const Cell& c, bool& split)
{
    split = false;
    const int w = c.i1 - c.i0;
    const int h = c.j1 - c.j0;
    if (w <= 1 && h <= 1)
        return LeafKind::Finest;

    // Corners bottom left, bottom right, top left, top right.
    const double f[4] = {Value(c.i0, c.j0), Value(c.i1, c.j0), Value(c.i0, c.j1), Value(c.i1, c.j1)};
    int undefined = 0;
    for (double v : f)
        undefined += std::isnan(v) ? 1 : 0;
    const int im = c.i0 + w / 2;
    const int jm = c.j0 + h / 2;
    if (undefined == 4) {
        // A region where the relation has no value, unless its middle has one.
        split = !std::isnan(Value(im, jm));
        return LeafKind::Empty;
    }
    if (undefined > 0) {
        split = true; // the edge of the relation's domain runs through the cell
        return LeafKind::Empty;
    }

    const bool s[4] = {Positive(f[0]), Positive(f[1]), Positive(f[2]), Positive(f[3])};
    if (s[0] == s[1] && s[0] == s[2] && s[0] == s[3]) {
        // No sign change at the corners: a curve can still pass when the values come within
        // reach of zero for the gradient the corners and the middle show.
        const double fm = Value(im, jm);
        if (std::isnan(fm) || Positive(fm) != s[0]) {
            split = true;
            return LeafKind::Empty;
        }
        split = std::max(w, h) > kReachCell && MayHoldCurve(c, f, fm);
        return LeafKind::Empty;
    }

    // Corners of alternate signs across both diagonals: two pieces of curve, or one saddle.
    if (s[0] == s[3] && s[1] == s[2]) {
        split = true;
        return LeafKind::Empty;
    }
    int found[2];
    if (HasSidePoints(c)) {
        // Smaller neighbours put points on the sides: the crossings lie between those, and the
        // cell is simple only with one sign change on each of two pieces of its boundary.
        std::vector<Sample>& boundary = W().boundary;
        Boundary(c, boundary);
        const std::size_t count = boundary.size();
        int n = 0;
        for (std::size_t k = 0; k < count; ++k) {
            const Sample& a = boundary[k];
            const Sample& b = boundary[(k + 1) % count];
            if (Positive(a.f) == Positive(b.f))
                continue;
            if (n == 2) {
                split = true;
                return LeafKind::Empty;
            }
            const bool final = std::max(w, h) <= kPoleCell;
            found[n++] = a.j == b.j ? CrossingAt(std::min(a.i, b.i), a.j, true, std::abs(a.i - b.i), final)
                                    : CrossingAt(a.i, std::min(a.j, b.j), false, std::abs(a.j - b.j), final);
        }
    } else {
        FindCornerCrossings(c, f, s, found);
    }
    const bool valid0 = found[0] >= 0 && CrossingOf(found[0]).valid;
    const bool valid1 = found[1] >= 0 && CrossingOf(found[1]).valid;
    if (!valid0 && !valid1) {
        // Only poles or jumps cross: no curve, once the cell is small enough not to hide one.
        split = std::max(w, h) > kPoleCell;
        return LeafKind::Pole;
    }
    if (!valid0 || !valid1) {
        split = true;
        return LeafKind::Empty;
    }
    const Crossing& p = CrossingOf(found[0]);
    const Crossing& q = CrossingOf(found[1]);
    split = !SamplesAgreeWithChord(c, f, p, q) || !ChordFollowsCurve(c, f, p, q);
    W().decidedEnds[0] = found[0];
    W().decidedEnds[1] = found[1];
    return LeafKind::Simple;
}

void KTImplicitGrid::FindCornerCrossings(const Cell& c, const double f[4], const bool s[4], int found[2])
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
    const bool final = std::max(w, h) <= kPoleCell;
    const auto known = [&](const Edge& e) {
        const std::int32_t id = CrossingId(e.i, e.j, e.alongX);
        return id >= 0 &&
               CrossingOf(id).end == (e.alongX ? e.i + e.length : e.j + e.length);
    };
    if (!known(edges[0]) && known(edges[1]))
        std::swap(edges[0], edges[1]);
    found[0] = CrossingAt(edges[0].i, edges[0].j, edges[0].alongX, edges[0].length, final);
    double hint = std::numeric_limits<double>::quiet_NaN();
    if (CrossingOf(found[0]).valid) {
        const Crossing& first = CrossingOf(found[0]);
        const double a = (first.u - c.i0) / w;
        const double b = (first.v - c.j0) / h;
        const double gx = ((f[1] - f[0]) * (1.0 - b) + (f[3] - f[2]) * b) / w;
        const double gy = ((f[2] - f[0]) * (1.0 - a) + (f[3] - f[1]) * a) / h;
        const Edge& e = edges[1];
        // Along the tangent (-gy, gx) from the first crossing to the line of the other edge.
        if (e.alongX && gx != 0.0)
            hint = first.u - gy * (e.j - first.v) / gx - e.i;
        else if (!e.alongX && gy != 0.0)
            hint = first.v + gx * (e.i - first.u) / gy - e.j;
    }
    found[1] = CrossingAt(edges[1].i, edges[1].j, edges[1].alongX, edges[1].length, final, hint);
}

bool KTImplicitGrid::SamplesAgreeWithChord(const Cell& c, const double f[4], const Crossing& p,
                                           const Crossing& q)
{
    // The middle and the points on the sides lie on the chord's side of their sign, and no
    // nearer the curve (by their value over the gradient of the corners' bilinear fit) than
    // half their distance from the chord: else a thin band of the other sign passes (beside a
    // saddle), which the halves follow.
    const double w = c.i1 - c.i0;
    const double h = c.j1 - c.j0;
    const int im = c.i0 + (c.i1 - c.i0) / 2;
    const int jm = c.j0 + (c.j1 - c.j0) / 2;
    const double dx = q.u - p.u;
    const double dy = q.v - p.v;
    const double length = Length(dx, dy);
    const auto side = [&](double i, double j) { return dx * (j - p.v) - dy * (i - p.u); };
    // The sign on the side of the chord where the bottom left corner lies.
    const double reference = side(c.i0, c.j0) != 0.0 ? side(c.i0, c.j0) : side(c.i1, c.j1);
    const bool referencePositive = side(c.i0, c.j0) != 0.0 ? Positive(f[0]) : Positive(f[3]);
    const auto agrees = [&](double i, double j, double v) {
        if (std::isnan(v))
            return false;
        const double at = side(i, j);
        if (at != 0.0 && ((at > 0) == (reference > 0)) != (Positive(v) == referencePositive))
            return false;
        if (!(length > 0.0))
            return true;
        const double a = (i - c.i0) / w;
        const double b = (j - c.j0) / h;
        const double gx = ((f[1] - f[0]) * (1.0 - b) + (f[3] - f[2]) * b) / w;
        const double gy = ((f[2] - f[0]) * (1.0 - a) + (f[3] - f[1]) * a) / h;
        const double fromChord = std::fabs(at) / length;
        return std::fabs(v) >= (0.5 * fromChord - kChordSlack) * Length(gx, gy);
    };
    if (!agrees(im, jm, Value(im, jm)))
        return false;
    // The corners lie on their sides of the chord by its making; of the points on the sides,
    // the middles are the ones a smaller neighbour puts there first.
    const int si[4] = {im, c.i1, im, c.i0};
    const int sj[4] = {c.j0, jm, c.j1, jm};
    for (int k = 0; k < 4; ++k)
        if (Known(si[k], sj[k]) && !agrees(si[k], sj[k], Stored(si[k], sj[k])))
            return false;
    return true;
}

bool KTImplicitGrid::MayHoldCurve(const Cell& c, const double f[4], double fm)
{
    // The values are taken through t = f / (|f| + scale): alike where they are small, but
    // bounded beside a pole, whose steep sides would otherwise seem to reach zero anywhere. A
    // curve may pass when the plane through the middle with the corners' gradient, widened by
    // how far the samples leave that plane, reaches zero over the cell enlarged by a quarter of
    // it.
    const int w = c.i1 - c.i0;
    const int h = c.j1 - c.j0;
    const int im = c.i0 + w / 2;
    const int jm = c.j0 + h / 2;
    const auto bounded = [this](double v) { return v / (std::fabs(v) + m_scale); };
    const double g[4] = {bounded(f[0]), bounded(f[1]), bounded(f[2]), bounded(f[3])};
    const double gm = bounded(fm);
    const double gx = ((g[1] - g[0]) + (g[3] - g[2])) / (2.0 * w);
    const double gy = ((g[2] - g[0]) + (g[3] - g[1])) / (2.0 * h);
    const auto plane = [&](double i, double j) { return gm + gx * (i - im) + gy * (j - jm); };
    double residual = 0.0;
    double largest = std::fabs(gm);
    const int ci[4] = {c.i0, c.i1, c.i0, c.i1};
    const int cj[4] = {c.j0, c.j0, c.j1, c.j1};
    for (int k = 0; k < 4; ++k) {
        residual = std::max(residual, std::fabs(g[k] - plane(ci[k], cj[k])));
        largest = std::max(largest, std::fabs(g[k]));
    }
    const double nearest = std::fabs(plane(0.5 * (c.i0 + c.i1), 0.5 * (c.j0 + c.j1))) -
                           std::fabs(gx) * (0.5 + kReachMargin) * w -
                           std::fabs(gy) * (0.5 + kReachMargin) * h;
    if (nearest <= kReach * residual)
        return true;
    if (largest > kNearZero)
        return false;
    // Values this close to zero may hide a saddle, whose corners and middle can all agree while
    // the middles of the sides do not: they decide (and are corners of the halves if it splits).
    const int si[4] = {im, c.i1, im, c.i0};
    const int sj[4] = {c.j0, jm, c.j1, jm};
    const bool positive = Positive(fm);
    for (int k = 0; k < 4; ++k) {
        if ((k % 2 == 0 && w < 2) || (k % 2 == 1 && h < 2))
            continue;
        const double v = Value(si[k], sj[k]);
        if (std::isnan(v) || Positive(v) != positive)
            return true;
        residual = std::max(residual, std::fabs(bounded(v) - plane(si[k], sj[k])));
    }
    return nearest <= kReach * residual;
}

bool KTImplicitGrid::ChordFollowsCurve(const Cell& c, const double f[4], const Crossing& p, const Crossing& q)
{
    const double w = c.i1 - c.i0;
    const double h = c.j1 - c.j0;
    // The chord stands for the curve when the curve lies within the tolerance of it at its
    // quarter points; the distance is the value over the gradient of the corners' bilinear fit.
    for (double t : {0.5, 0.25, 0.75}) {
        const double u = p.u + t * (q.u - p.u);
        const double v = p.v + t * (q.v - p.v);
        const double a = (u - c.i0) / w;
        const double b = (v - c.j0) / h;
        const double gx = ((f[1] - f[0]) * (1.0 - b) + (f[3] - f[2]) * b) / w;
        const double gy = ((f[2] - f[0]) * (1.0 - a) + (f[3] - f[1]) * a) / h;
        const double g = Length(gx, gy);
        const double fm = Evaluate(XAt(u), YAt(v));
        if (std::isnan(fm) || !(g > 0.0) || std::fabs(fm) > kChordTolerance * g)
            return false;
        // A chord whose middle lies on the curve to a tenth of the tolerance is straight enough
        // (a bend would show there first); the quarter points look further only when not.
        if (t == 0.5 && std::fabs(fm) <= 0.1 * kChordTolerance * g)
            return true;
    }
    return true;
}

void KTImplicitGrid::SplitCell(const Cell& c, std::vector<Cell>& children)
{
    const int w = c.i1 - c.i0;
    const int h = c.j1 - c.j0;
    const int im = w >= 2 ? c.i0 + w / 2 : c.i0;
    const int jm = h >= 2 ? c.j0 + h / 2 : c.j0;
    if (w >= 2) {
        SplitInterval(c.i0, c.j0, true, w, im - c.i0);
        SplitInterval(c.i0, c.j1, true, w, im - c.i0);
    }
    if (h >= 2) {
        SplitInterval(c.i0, c.j0, false, h, jm - c.j0);
        SplitInterval(c.i1, c.j0, false, h, jm - c.j0);
    }
    if (w >= 2 && h >= 2) {
        Defer(im, jm);
        children.push_back({c.i0, c.j0, im, jm});
        children.push_back({im, c.j0, c.i1, jm});
        children.push_back({c.i0, jm, im, c.j1});
        children.push_back({im, jm, c.i1, c.j1});
    } else if (w >= 2) {
        children.push_back({c.i0, c.j0, im, c.j1});
        children.push_back({im, c.j0, c.i1, c.j1});
    } else {
        children.push_back({c.i0, c.j0, c.i1, jm});
        children.push_back({c.i0, jm, c.i1, c.j1});
    }
}

void KTImplicitGrid::SplitInterval(int i, int j, bool alongX, int length, int offset)
{
    const int mi = alongX ? i + offset : i;
    const int mj = alongX ? j : j + offset;
    if (Known(mi, mj))
        return;
    Defer(mi, mj);
    // A crossing already found on the whole interval belongs to the half that holds its root.
    const std::int32_t id = CrossingId(i, j, alongX);
    if (id < 0)
        return;
    Crossing& crossing = CrossingOf(id);
    const std::int32_t end = alongX ? (i + length) : (j + length);
    if (crossing.end != end || crossing.tentative)
        return;
    const double along = alongX ? crossing.u - i : crossing.v - j;
    if (along <= offset)
        crossing.end = alongX ? mi : mj;
    else
        SetCrossingId(mi, mj, alongX, id);
}

int KTImplicitGrid::CrossingAt(int i, int j, bool alongX, int length, bool final, double hint)
{
    // A crossing is known by its interval: the first lattice point, the direction and the
    // coordinate of the far end along it.
    const std::int32_t end = alongX ? (i + length) : (j + length);
    const std::int32_t knownId = CrossingId(i, j, alongX);
    if (knownId >= 0) {
        const Crossing& known = CrossingOf(knownId);
        if (known.end == end && (!final || !known.tentative))
            return knownId;
    }
    const double fa = Value(i, j);
    const double fb = alongX ? Value(i + length, j) : Value(i, j + length);
    const Root root = Search(i, j, alongX, 0.0, length, fa, fb, final, hint);
    return AddCrossing(i, j, alongX, length, root);
}

int KTImplicitGrid::AddCrossing(int i, int j, bool alongX, int length, const Root& root)
{
    const double t = root.t;
    Crossing crossing{};
    crossing.u = alongX ? i + t : i;
    crossing.v = alongX ? j : j + t;
    crossing.at = alongX ? KTPoint(XAt(i + t), Y(j)) : KTPoint(X(i), YAt(j + t));
    // The ends of the interval are exact lattice points: a root found there lies on the edge of
    // the view when the interval does.
    if (t == 0.0)
        crossing.at = KTPoint(X(i), Y(j));
    else if (t == length)
        crossing.at = alongX ? KTPoint(X(i + length), Y(j)) : KTPoint(X(i), Y(j + length));
    crossing.end = alongX ? (i + length) : (j + length);
    crossing.valid = root.valid;
    crossing.tentative = root.tentative;
    crossing.segments[0] = crossing.segments[1] = -1;
    const int list = W().list;
    const std::int32_t id = Id(list, m_crossings[list].Add(crossing));
    SetCrossingId(i, j, alongX, id);
    return id;
}

KTImplicitGrid::Root KTImplicitGrid::Search(int i, int j, bool alongX, double lo, double hi, double fa,
                                            double fb, bool final, double hint)
{
    const double ends = std::max(std::fabs(fa), std::fabs(fb));
    const auto at = [&](double t) {
        return alongX ? Evaluate(XAt(i + t), Y(j)) : Evaluate(X(i), YAt(j + t));
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
    bool tentative = false;
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
            lo = hi = t;
            flo = fhi = 0.0;
            converged = true;
            break;
        }
        if (step == 0 && std::fabs(ft) >= smaller) {
            if (!final) {
                // A cell that asks for no final answer is split either way; its halves ask again.
                valid = false;
                tentative = true;
                break;
            }
            halvings = 0;
        }
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
        // not fall, however near the bracket comes).
        // Only a secant between points within a cell of each other tells the slope here (a
        // wider one may span other roots of the interval).
        const double slope = (ft - fPrevious) / (t - tPrevious);
        const bool local = std::fabs(t - tPrevious) <= 1.0;
        const bool falling = local && std::fabs(ft) <= 0.25 * std::fabs(fPrevious);
        tPrevious = t;
        fPrevious = ft;
        if (local && std::fabs(ft) <= kRootTolerance * std::fabs(slope)) {
            lo = hi = t;
            flo = fhi = ft;
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
                const bool nearer = std::fabs(fb2) < std::fabs(ft);
                lo = hi = nearer ? beyond : t;
                flo = fhi = nearer ? fb2 : ft;
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
            const double next = std::clamp(t - ft / slope, lo, hi);
            lo = hi = next;
            flo = fhi = 0.0;
            converged = true;
            break;
        }
    }
    const double nearest = std::min(std::fabs(flo), std::fabs(fhi));
    Root root;
    root.valid = valid && (converged || nearest <= kContinuity * ends);
    root.tentative = tentative;
    root.t = std::fabs(flo) <= std::fabs(fhi) ? lo : hi;
    return root;
}

int KTImplicitGrid::CrossingToDomainEnd(const Sample& a, const Sample& b)
{
    // Between neighbouring lattice points of which one has a value: the curve may run on to the
    // end of the relation's domain between them (as sqrt(x) + sqrt(y) = 1 runs into the axes).
    const bool alongX = a.j == b.j;
    const int i = std::min(a.i, b.i);
    const int j = std::min(a.j, b.j);
    const std::int32_t known = CrossingId(i, j, alongX);
    if (known >= 0 && CrossingOf(known).end == (alongX ? i + 1 : j + 1))
        return known;
    const Sample& inside = a.defined ? a : b;
    const Sample& outside = a.defined ? b : a;
    const double tInside = alongX ? inside.i - i : inside.j - j;
    const double tOutside = alongX ? outside.i - i : outside.j - j;
    Root none;
    none.valid = false;
    none.t = tInside;
    // Only where the value comes near zero for the slope toward the point behind: the end of
    // the domain is halved for, which takes many evaluations.
    const int bi = 2 * inside.i - outside.i;
    const int bj = 2 * inside.j - outside.j;
    if (bi >= 0 && bi <= m_columns && bj >= 0 && bj <= m_rows && Known(bi, bj)) {
        const double behind = Stored(bi, bj);
        if (!std::isnan(behind) && std::fabs(inside.f) > kReach * std::fabs(inside.f - behind))
            return AddCrossing(i, j, alongX, 1, none);
    }
    const auto at = [&](double t) {
        return alongX ? Evaluate(XAt(i + t), Y(j)) : Evaluate(X(i), YAt(j + t));
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
        return AddCrossing(i, j, alongX, 1, none);
    const Root root = tInside < in ? Search(i, j, alongX, tInside, in, inside.f, fin, true, kNoHint)
                                   : Search(i, j, alongX, in, tInside, fin, inside.f, true, kNoHint);
    return AddCrossing(i, j, alongX, 1, root);
}

// ---- Neighbours of different sizes ---------------------------------------------------------------

inline void KTImplicitGrid::AddSample(int i, int j, std::vector<Sample>& out)
{
    const double f = Stored(i, j);
    out.push_back({i, j, f, !std::isnan(f)});
}

void KTImplicitGrid::Boundary(const Cell& c, std::vector<Sample>& out)
{
    out.clear();
    AddSample(c.i0, c.j0, out);
    SideSamples(c.i0, c.j0, c.i1 - c.i0, true, false, out);
    AddSample(c.i1, c.j0, out);
    SideSamples(c.i1, c.j0, c.j1 - c.j0, false, false, out);
    AddSample(c.i1, c.j1, out);
    SideSamples(c.i0, c.j1, c.i1 - c.i0, true, true, out);
    AddSample(c.i0, c.j1, out);
    SideSamples(c.i0, c.j0, c.j1 - c.j0, false, true, out);
}

void KTImplicitGrid::SideSamples(int i, int j, int length, bool alongX, bool backward, std::vector<Sample>& out)
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
    if (!Known(mi, mj))
        return;
    const int ni = alongX ? mi : i;
    const int nj = alongX ? j : mj;
    if (!backward) {
        SideSamples(i, j, half, alongX, backward, out);
        AddSample(mi, mj, out);
        SideSamples(ni, nj, length - half, alongX, backward, out);
    } else {
        SideSamples(ni, nj, length - half, alongX, backward, out);
        AddSample(mi, mj, out);
        SideSamples(i, j, half, alongX, backward, out);
    }
}

int KTImplicitGrid::CrossingBetween(const Sample& a, const Sample& b)
{
    if (a.j == b.j)
        return CrossingAt(std::min(a.i, b.i), a.j, true, std::abs(a.i - b.i), true);
    return CrossingAt(a.i, std::min(a.j, b.j), false, std::abs(a.j - b.j), true);
}

void KTImplicitGrid::LeafCrossings(const Cell& cell, std::vector<int>& crossings, std::vector<int>& corners)
{
    crossings.clear();
    corners.clear();
    std::vector<Sample>& boundary = W().boundary;
    Boundary(cell, boundary);
    const std::size_t n = boundary.size();
    for (std::size_t k = 0; k < n; ++k) {
        const Sample& a = boundary[k];
        const Sample& b = boundary[(k + 1) % n];
        int id = -1;
        if (a.defined && b.defined) {
            if (Positive(a.f) == Positive(b.f))
                continue;
            id = CrossingBetween(a, b);
        } else if (a.defined != b.defined && std::abs(a.i - b.i) + std::abs(a.j - b.j) == 1) {
            id = CrossingToDomainEnd(a, b);
            if (!CrossingOf(id).valid)
                continue;
        } else {
            continue;
        }
        crossings.push_back(CrossingOf(id).valid ? id : -1);
        corners.push_back(static_cast<int>(k));
    }
}

bool KTImplicitGrid::OneSign(const Cell& c)
{
    const double f[4] = {Stored(c.i0, c.j0), Stored(c.i1, c.j0), Stored(c.i0, c.j1), Stored(c.i1, c.j1)};
    for (const double v : f)
        if (std::isnan(v) || Positive(v) != Positive(f[0]))
            return false;
    return true;
}

bool KTImplicitGrid::HasSidePoints(const Cell& c) const
{
    const int w = c.i1 - c.i0;
    const int h = c.j1 - c.j0;
    return (w >= 2 && (Known(c.i0 + w / 2, c.j0) || Known(c.i0 + w / 2, c.j1))) ||
           (h >= 2 && (Known(c.i0, c.j0 + h / 2) || Known(c.i1, c.j0 + h / 2)));
}

void KTImplicitGrid::Reconsider(Leaf& leaf, std::vector<Cell>& children, std::vector<Cell>& split)
{
    if (!leaf.live || leaf.kind == LeafKind::Finest || !HasSidePoints(leaf.cell))
        return;
    Worker& w = W();
    std::vector<int>& crossings = w.crossings;
    LeafCrossings(leaf.cell, crossings, w.corners);
    int valid = 0;
    for (int c : crossings)
        valid += c >= 0 ? 1 : 0;
    if (valid > 2 || (valid > 0 && leaf.kind != LeafKind::Simple)) {
        leaf.live = false;
        split.push_back(leaf.cell);
        SplitCell(leaf.cell, children);
    } else if (leaf.kind == LeafKind::Simple) {
        // Its segment as the boundary shows it: a later change of its sides (a split
        // neighbour) makes it a candidate again, so the last judgement stands.
        int n = 0;
        leaf.ends[0] = leaf.ends[1] = -1;
        for (int c : crossings)
            if (c >= 0)
                leaf.ends[n++] = valid == 2 ? c : -1;
        leaf.rejudged = true;
    }
}

void KTImplicitGrid::Reconcile()
{
    // A cell beside smaller ones sees their lattice points on its sides. Where those show more
    // than one piece of curve through the cell, or a curve through a cell judged empty, the cell
    // is split in turn, until the cells agree. Only a cell with such points can disagree, and
    // after the first round only the new cells and the neighbours of split ones can.
    std::vector<Cell> children;
    std::vector<Cell> split;
    // The first round takes the first pass's leaves band by band; later ones these.
    std::vector<std::int32_t>& candidates = m_candidates;
    candidates.clear();
    std::vector<int> seen(m_firstLeaf.size(), -1);
    m_reconciled = false;
    const int topsX = (m_columns + TopCell - 1) / TopCell;
    for (int round = 0; round < kReconcileRounds; ++round) {
        children.clear();
        split.clear();
        if (round == 0) {
            // Every leaf of the first pass, in its order: level by level, band by band, and so
            // on threads as the first pass ran, each level behind the one above. What a
            // judgement changes lies on the leaf's boundary, in its band's rows.
            InLevels(FirstRound, [this](int l, int b) {
                Level::Band& band = m_levels[l].bands[static_cast<std::size_t>(b)];
                for (std::int32_t k = band.leaves; k < band.leavesEnd; ++k) {
                    if (k + static_cast<std::int32_t>(kAhead) < band.leavesEnd)
                        Prefetch(m_leaves[l][k + static_cast<std::int32_t>(kAhead)].cell);
                    Reconsider(m_leaves[l][k], band.halves, band.split);
                }
            });
            t_worker = &m_workers[AfterLevels];
            std::vector<PendingPoint>& pending = *W().pending;
            for (int l = 0; l < Levels; ++l) {
                for (Level::Band& band : m_levels[l].bands) {
                    split.insert(split.end(), band.split.begin(), band.split.end());
                    children.insert(children.end(), band.halves.begin(), band.halves.end());
                }
                std::vector<PendingPoint>& deferred = m_workers[static_cast<std::size_t>(FirstRound + l)].rest;
                pending.insert(pending.end(), deferred.begin(), deferred.end());
                deferred.clear();
            }
        } else {
            for (std::size_t at = 0; at < candidates.size(); ++at) {
                if (at + kAhead < candidates.size())
                    Prefetch(LeafOf(candidates[at + kAhead]).cell);
                Reconsider(LeafOf(candidates[at]), children, split);
            }
        }
        if (split.empty()) {
            m_reconciled = true;
            return;
        }
        // Leaves made from here on go to the last list, so their ids exceed every older one's.
        const int list = W().list;
        const std::int32_t before = Id(list, m_leaves[list].Size());
        Refine(children);
        // The new leaves, and every older leaf of the first cells that a split cell or its sides
        // reach into.
        candidates.clear();
        for (std::int32_t k = before & ((1 << ListShift) - 1); k < m_leaves[list].Size(); ++k)
            candidates.push_back(Id(list, k));
        for (const Cell& c : split) {
            const int tx0 = std::max(0, c.i0 - 1) / TopCell;
            const int tx1 = std::min(m_columns - 1, c.i1) / TopCell;
            const int ty0 = std::max(0, c.j0 - 1) / TopCell;
            const int ty1 = std::min(m_rows - 1, c.j1) / TopCell;
            for (int ty = ty0; ty <= ty1; ++ty) {
                for (int tx = tx0; tx <= tx1; ++tx) {
                    const std::size_t t = static_cast<std::size_t>(ty) * static_cast<std::size_t>(topsX) +
                                          static_cast<std::size_t>(tx);
                    if (seen[t] == round)
                        continue;
                    seen[t] = round;
                    for (std::int32_t k = m_firstLeaf[t]; k >= 0;
                         k = LeafOf(k).next)
                        if (k < before &&
                            LeafOf(k).live)
                            candidates.push_back(k);
                }
            }
        }
    }
}

void KTImplicitGrid::AddSegment(int a, int b)
{
    if (a < 0 || b < 0 || a == b)
        return;
    Crossing& ca = CrossingOf(a);
    Crossing& cb = CrossingOf(b);
    // A crossing joins at most two cells; a third segment would be a fault of the cells.
    const auto freeSlot = [](Crossing& c) { return c.segments[0] < 0 ? 0 : (c.segments[1] < 0 ? 1 : -1); };
    const int sa = freeSlot(ca);
    const int sb = freeSlot(cb);
    if (sa < 0 || sb < 0)
        return;
    const std::int32_t id = static_cast<std::int32_t>(m_segmentEnds.size() / 2);
    m_segmentEnds.push_back(a);
    m_segmentEnds.push_back(b);
    ca.segments[sa] = id;
    cb.segments[sb] = id;
}

void KTImplicitGrid::BuildSegments()
{
    std::vector<int> crossings;
    std::vector<int> corners;
    const std::vector<Sample>& boundary = W().boundary;
    for (const int list : ListOrder)
    for (std::int32_t id = 0; id < m_leaves[list].Size(); ++id) {
        if (id + static_cast<std::int32_t>(kAhead) < m_leaves[list].Size())
            Prefetch(m_leaves[list][id + static_cast<std::int32_t>(kAhead)].cell);
        const Leaf& leaf = m_leaves[list][id];
        // Only these hold valid crossings once the cells agree.
        if (!leaf.live || (leaf.kind != LeafKind::Simple && leaf.kind != LeafKind::Finest))
            continue;
        // A simple cell whose sides no smaller neighbour split keeps the crossings it was judged by.
        // So does one whose boundary the last round of reconciling judged.
        if (leaf.kind == LeafKind::Simple && ((m_reconciled && leaf.rejudged) || !HasSidePoints(leaf.cell))) {
            AddSegment(leaf.ends[0], leaf.ends[1]);
            continue;
        }
        // Most pixels are split off beside a curve without one through them: four defined
        // corners of one sign have no crossing.
        if (leaf.kind == LeafKind::Finest && OneSign(leaf.cell))
            continue;
        LeafCrossings(leaf.cell, crossings, corners);
        if (crossings.size() == 4 && leaf.kind == LeafKind::Finest && boundary.size() == 4) {
            // A saddle pixel: the middle's sign says which corners the curves cut off. The
            // crossing after corner k lies on the edge from corner k to corner k + 1.
            const Cell& c = leaf.cell;
            const double middle = Evaluate(XAt(c.i0 + 0.5), YAt(c.j0 + 0.5));
            const bool centre = std::isnan(middle) ? Positive(boundary[0].f) : Positive(middle);
            for (int k = 0; k < 4; ++k)
                if (Positive(boundary[static_cast<std::size_t>(k)].f) != centre)
                    AddSegment(crossings[static_cast<std::size_t>((k + 3) % 4)],
                               crossings[static_cast<std::size_t>(k)]);
            continue;
        }
        int ends[2];
        int n = 0;
        for (int id : crossings)
            if (id >= 0 && n < 2)
                ends[n++] = id;
        int valid = 0;
        for (int id : crossings)
            valid += id >= 0 ? 1 : 0;
        if (valid == 2)
            AddSegment(ends[0], ends[1]);
    }
}

void KTImplicitGrid::Link()
{
    const std::size_t segments = m_segmentEnds.size() / 2;
    std::vector<std::uint8_t> used(segments, 0);
    const auto other = [&](std::int32_t segment, std::int32_t crossing) {
        const std::int32_t a = m_segmentEnds[2 * static_cast<std::size_t>(segment)];
        return a == crossing ? m_segmentEnds[2 * static_cast<std::size_t>(segment) + 1] : a;
    };
    const auto emit = [&](std::int32_t crossing) {
        const Crossing& c = CrossingOf(crossing);
        m_points.push_back(c.at);
        m_lattice.push_back(c.u);
        m_lattice.push_back(c.v);
    };
    // From a crossing along its unused segments until the line ends or closes.
    const auto walk = [&](std::int32_t start, std::int32_t segment) {
        emit(start);
        std::int32_t at = start;
        while (segment >= 0 && !used[static_cast<std::size_t>(segment)]) {
            used[static_cast<std::size_t>(segment)] = 1;
            at = other(segment, at);
            emit(at);
            const Crossing& c = CrossingOf(at);
            segment = c.segments[0] >= 0 && !used[static_cast<std::size_t>(c.segments[0])] ? c.segments[0]
                                                                                           : c.segments[1];
        }
        m_ends.push_back(static_cast<int>(m_points.size()));
    };
    // Open lines first, from an end; what is left are closed loops.
    for (const int list : ListOrder)
    for (std::int32_t k = 0; k < m_crossings[list].Size(); ++k) {
        const Crossing& c = m_crossings[list][k];
        const bool end = (c.segments[0] >= 0) != (c.segments[1] >= 0);
        const std::int32_t segment = c.segments[0] >= 0 ? c.segments[0] : c.segments[1];
        if (end && !used[static_cast<std::size_t>(segment)])
            walk(Id(list, k), segment);
    }
    for (std::size_t s = 0; s < segments; ++s)
        if (!used[s])
            walk(m_segmentEnds[2 * s], static_cast<std::int32_t>(s));
}

void KTImplicitGrid::Simplify(double tolerance)
{
    // Into the spare lists, which then change places with the polylines' own.
    std::vector<KTPoint>& points = m_sparePoints;
    std::vector<double>& lattice = m_spareLattice;
    points.clear();
    lattice.clear();
    std::vector<int> ends;
    std::vector<std::uint8_t> keep;
    std::vector<std::pair<int, int>> stack;
    points.reserve(m_points.size());
    lattice.reserve(m_lattice.size());
    int begin = 0;
    for (int end : m_ends) {
        keep.assign(static_cast<std::size_t>(end - begin), 0);
        keep.front() = keep.back() = 1;
        // Douglas-Peucker on the lattice coordinates, with a stack instead of recursion.
        stack.clear();
        stack.emplace_back(begin, end - 1);
        while (!stack.empty()) {
            const auto [a, b] = stack.back();
            stack.pop_back();
            if (b - a < 2)
                continue;
            const double ax = m_lattice[2 * static_cast<std::size_t>(a)];
            const double ay = m_lattice[2 * static_cast<std::size_t>(a) + 1];
            const double dx = m_lattice[2 * static_cast<std::size_t>(b)] - ax;
            const double dy = m_lattice[2 * static_cast<std::size_t>(b) + 1] - ay;
            const double length = Length(dx, dy);
            double farthest = -1.0;
            int at = -1;
            for (int k = a + 1; k < b; ++k) {
                const double px = m_lattice[2 * static_cast<std::size_t>(k)] - ax;
                const double py = m_lattice[2 * static_cast<std::size_t>(k) + 1] - ay;
                const double d = length > 0.0 ? std::fabs(px * dy - py * dx) / length : Length(px, py);
                if (d > farthest) {
                    farthest = d;
                    at = k;
                }
            }
            if (farthest > tolerance) {
                keep[static_cast<std::size_t>(at - begin)] = 1;
                stack.emplace_back(a, at);
                stack.emplace_back(at, b);
            }
        }
        for (int k = begin; k < end; ++k) {
            if (!keep[static_cast<std::size_t>(k - begin)])
                continue;
            points.push_back(m_points[static_cast<std::size_t>(k)]);
            lattice.push_back(m_lattice[2 * static_cast<std::size_t>(k)]);
            lattice.push_back(m_lattice[2 * static_cast<std::size_t>(k) + 1]);
        }
        ends.push_back(static_cast<int>(points.size()));
        begin = end;
    }
    m_points.swap(points);
    m_lattice.swap(lattice);
    m_ends = std::move(ends);
}
