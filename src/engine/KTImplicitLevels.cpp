#include "engine/KTImplicitLevels.h"

#include "engine/KTImplicitThreads.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace {

using Cell = KTImplicitCells::Cell;
using Clock = std::chrono::steady_clock;

/// How long a thread looks for the bands its turn waits for before it sleeps.
constexpr std::chrono::microseconds kSpin{200};
/// Cells ahead of the one judged whose lattice points are asked for.
constexpr std::size_t kAhead = 8;

/// Bytes of room a worker's list of a level keeps from trace to trace; beyond it the room is
/// given back once the trace is done, so that a dense plot's lists do not stand beside its
/// lines, nor beside the next trace of another thread.
constexpr std::size_t kKeptRoom = 64 * 1024;

template <class T> void Release(std::vector<T>& list)
{
    if (list.capacity() * sizeof(T) > kKeptRoom)
        std::vector<T>().swap(list);
    else
        list.clear();
}

inline void Pause()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#else
    std::this_thread::yield();
#endif
}

} // namespace

int KTImplicitLevels::FirstCorners(KTImplicitWorker& worker)
{
    KTImplicitWorker* const caller = KTImplicitWorker::SetCurrent(&worker);
    const int columns = m_lattice.Columns();
    const int rows = m_lattice.Rows();
    m_first.clear();
    for (int j = 0; j < rows; j += TopCell)
        for (int i = 0; i < columns; i += TopCell)
            m_first.push_back({i, j, std::min(i + TopCell, columns), std::min(j + TopCell, rows)});
    if (m_lattice.HasRows()) {
        for (const Cell& c : m_first) {
            m_lattice.Defer(c.i0, c.j0);
            m_lattice.Defer(c.i1, c.j0);
            m_lattice.Defer(c.i0, c.j1);
            m_lattice.Defer(c.i1, c.j1);
        }
        m_lattice.EvaluateRows(*worker.pending);
    }
    int crossed = 0;
    for (const Cell& c : m_first) {
        const double f[4] = {m_lattice.Value(c.i0, c.j0), m_lattice.Value(c.i1, c.j0),
                             m_lattice.Value(c.i0, c.j1), m_lattice.Value(c.i1, c.j1)};
        int undefined = 0;
        bool both = false;
        for (const double v : f) {
            undefined += std::isnan(v) ? 1 : 0;
            both = both || (!std::isnan(v) && !std::isnan(f[0]) && (v >= 0.0) != (f[0] >= 0.0));
        }
        crossed += both || (undefined > 0 && undefined < 4) ? 1 : 0;
    }
    KTImplicitWorker::SetCurrent(caller);
    return crossed;
}

void KTImplicitLevels::Run(std::vector<KTImplicitWorker>& workers, bool threads)
{
    const int bands = Bands();
    while (m_bands.size() < static_cast<std::size_t>(bands))
        m_bands.push_back(std::make_unique<Band>());
    for (int b = 0; b < bands; ++b)
        m_bands[static_cast<std::size_t>(b)]->done.store(false);
    while (m_judged.size() < workers.size())
        m_judged.push_back(std::make_unique<Judged>());
    m_workers = workers.data();
    // Once the trace is over, only small lists stay for the next: a dense plot's would stand
    // beside what it holds until it is drawn.
    struct Releasing
    {
        std::vector<std::unique_ptr<Judged>>& judged;
        ~Releasing()
        {
            for (const std::unique_ptr<Judged>& j : judged)
                for (Level& level : j->levels) {
                    Release(level.children);
                    Release(level.deferred);
                    Release(level.ranges);
                }
        }
    } releasing{m_judged};
    KTImplicitWorker* const caller = KTImplicitWorker::CurrentOrNull();
    const int count = static_cast<int>(workers.size()) - 1;
    const int turns = Turns();
    if (!threads || count < 2 || !Threadable()) {
        KTImplicitWorker::SetCurrent(&workers.front());
        for (int turn = 0; turn < turns; ++turn)
            Take(turn);
    } else {
        // Each thread takes the next turn. A turn mostly waits a little for the bands beside
        // its own, less than a sleep and a wake-up take: it looks again for a while before it
        // sleeps, and a finished band wakes only sleepers.
        std::atomic<int> next{0};
        std::mutex mutex;
        std::condition_variable finished;
        std::atomic<int> sleepers{0};
        // A turn that fails (out of memory) stops the others, which may wait for its band; the
        // caller then gets its exception, once no thread uses the trace any more.
        std::atomic<bool> failed{false};
        std::exception_ptr failure;
        const auto run = [this, turns, &workers, &next, &mutex, &finished, &sleepers, &failed, &failure](int k) {
            KTImplicitWorker::SetCurrent(&workers[static_cast<std::size_t>(k)]);
            for (int turn = next.fetch_add(1); turn < turns && !failed.load(); turn = next.fetch_add(1)) {
                const auto ready = [this, turn, &failed] { return failed.load() || Ready(turn); };
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
                if (failed.load())
                    break;
                int band = 0;
                try {
                    band = Take(turn);
                } catch (...) {
                    const std::lock_guard<std::mutex> lock(mutex);
                    if (!failure)
                        failure = std::current_exception();
                    failed.store(true);
                    finished.notify_all();
                    break;
                }
                {
                    // Under the lock, so that a sleeper cannot miss it between its look and its wait.
                    const std::lock_guard<std::mutex> lock(mutex);
                    m_bands[static_cast<std::size_t>(band)]->done.store(true);
                }
                if (sleepers.load() > 0)
                    finished.notify_all();
            }
        };
        if (!KTImplicitThreads::Run(count, run)) {
            // Another trace holds the threads kept for this: threads of its own.
            std::vector<std::thread> others;
            for (int k = 1; k < count; ++k)
                others.emplace_back(run, k);
            run(0);
            for (std::thread& thread : others)
                thread.join();
        }
        if (failure) {
            KTImplicitWorker::SetCurrent(caller);
            std::rethrow_exception(failure);
        }
    }
    KTImplicitWorker::SetCurrent(caller);
}

bool KTImplicitLevels::Ready(int turn) const
{
    const int bands = Bands();
    const int even = (bands + 1) / 2;
    if (turn < even)
        return true;
    // An odd band waits for the even bands beside it to be judged, the leaves of an even band
    // for the odd bands beside it.
    const int band = BandOf(turn);
    const auto done = [this, bands](int b) {
        return b < 0 || b >= bands || m_bands[static_cast<std::size_t>(b)]->done.load();
    };
    return done(band - 1) && done(band + 1);
}

int KTImplicitLevels::BandOf(int turn) const
{
    const int bands = Bands();
    const int even = (bands + 1) / 2;
    return turn < even ? 2 * turn : (turn < bands ? 2 * (turn - even) + 1 : 2 * (turn - bands));
}

int KTImplicitLevels::Take(int turn)
{
    const int band = BandOf(turn);
    KTImplicitWorker& w = KTImplicitWorker::Current();
    Band& b = *m_bands[static_cast<std::size_t>(band)];
    w.list = ListOf(band);
    if (turn < Bands()) {
        b.firstLeaf = m_cells.LeafCount(w.list);
        for (int level = 0; level < Levels; ++level)
            JudgeBand(level, band);
        // The last level only evaluates the rows left: cells of one lattice cell split no
        // further, but a cell of one by two may still be halved.
        Level& rest = LevelsOf(w)[Levels - 1];
        if (!rest.children.empty())
            Refine(rest.children);
        b.endLeaf = m_cells.LeafCount(w.list);
    }
    // The segments of the band's leaves whose boundary nothing changes any more: of one lattice
    // cell as soon as the band is judged, all once the bands beside it are.
    const bool settled = turn >= (Bands() + 1) / 2;
    for (std::int32_t k = b.firstLeaf; k < b.endLeaf; ++k) {
        KTImplicitCells::Leaf& leaf = m_cells.LeafAt(w.list, k);
        if (settled || leaf.kind == KTImplicitCells::LeafKind::Finest)
            m_segments.Build(leaf);
    }
    // A leaf whose segments are made is not read again: a dense plot, which makes one for nearly
    // every pixel, holds those of the bands being judged, and of the others those still to be
    // made, not those of every band. A band has a list of its own where bands are threadable.
    if (Threadable()) {
        std::int32_t kept = b.firstLeaf;
        if (!settled)
            for (std::int32_t k = b.firstLeaf; k < b.endLeaf; ++k) {
                const KTImplicitCells::Leaf& leaf = m_cells.LeafAt(w.list, k);
                if (!leaf.built)
                    m_cells.LeafAt(w.list, kept++) = leaf;
            }
        b.endLeaf = kept;
        m_cells.TruncateLeaves(w.list, kept);
    }
    return band;
}

void KTImplicitLevels::JudgeBand(int level, int band)
{
    // A band's cells read only lattice points of its rows, from its lowest to the lowest of the
    // next band, which it shares with the bands beside it.
    KTImplicitWorker& w = KTImplicitWorker::Current();
    const int j0 = band * TopCell;
    const int j1 = std::min(j0 + TopCell, m_lattice.Rows());
    Level* const lists = LevelsOf(w);
    std::vector<Cell> first;
    if (level == 0)
        for (int i = 0; i < m_lattice.Columns(); i += TopCell)
            first.push_back({i, j0, std::min(i + TopCell, m_lattice.Columns()), j1});
    const Level* above = level == 0 ? nullptr : &lists[level - 1];
    const std::vector<Cell>& cells = level == 0 ? first : above->children;
    const std::vector<KTImplicitCells::Ranges>* ranges =
        above && above->ranges.size() == cells.size() ? &above->ranges : nullptr;
    if (m_lattice.HasRows()) {
        // The points the cells read first: those the level above deferred (the cells' corners;
        // those a band beside this one deferred on the rows they share it evaluated itself).
        w.pending = &w.level;
        if (level > 0)
            for (const KTImplicitWorker::PendingPoint& p : above->deferred)
                if (m_lattice.IsPendingPoint(p.i, p.j))
                    w.level.push_back(p);
        m_lattice.EvaluateRows(w.level);
        // Then the points the cells read once they see their corners.
        for (const Cell& c : cells)
            m_cells.Prepare(c);
        m_lattice.EvaluateRows(w.level);
    }
    Level& made = lists[level];
    made.children.clear();
    made.deferred.clear();
    made.ranges.clear();
    w.pending = &made.deferred;
    for (std::size_t k = 0; k < cells.size(); ++k) {
        if (k + kAhead < cells.size()) {
            const Cell& ahead = cells[k + kAhead];
            m_lattice.Prefetch(ahead.i0, ahead.j0, ahead.i1, ahead.j1);
        }
        m_cells.Judge(cells[k], made.children, ranges ? &(*ranges)[k] : nullptr);
    }
    // The upper levels evaluate the corners of the cells they split off, and take ahead the
    // ranges those will ask for (of more than two by two lattice cells), while the lines of the
    // lattice they read are still in the processor's caches.
    if (level + 1 < SingleCells && m_lattice.HasRows())
        PrepareChildren(made, (TopCell >> (level + 1)) > 2);
}

void KTImplicitLevels::PrepareChildren(Level& level, bool ranges)
{
    // The children's corners are the points the level deferred: evaluated here, a row at a time,
    // as the next level would.
    KTImplicitWorker& w = KTImplicitWorker::Current();
    w.level.clear();
    for (const KTImplicitWorker::PendingPoint& p : level.deferred)
        if (m_lattice.IsPendingPoint(p.i, p.j))
            w.level.push_back(p);
    m_lattice.EvaluateRows(w.level);
    if (!ranges)
        return;
    level.ranges.resize(level.children.size());
    for (std::size_t k = 0; k < level.children.size(); ++k) {
        const Cell& c = level.children[k];
        KTImplicitCells::Ranges& r = level.ranges[k];
        r.known = m_cells.NeedsRanges(c);
        if (r.known)
            r.g = m_lattice.BoundOver(c.i0, c.j0, c.i1, c.j1, true);
    }
}

void KTImplicitLevels::Refine(std::vector<Cell>& cells)
{
    KTImplicitWorker& w = KTImplicitWorker::Current();
    std::vector<Cell> next;
    const auto evaluateLevel = [&] {
        if (!m_lattice.HasRows())
            return;
        m_lattice.EvaluateRows(*w.pending);
        for (const Cell& c : cells)
            m_cells.Prepare(c);
        m_lattice.EvaluateRows(*w.pending);
    };
    while (!cells.empty()) {
        evaluateLevel();
        next.clear();
        for (const Cell& cell : cells)
            m_cells.Judge(cell, next);
        std::swap(cells, next);
    }
    evaluateLevel();
}
