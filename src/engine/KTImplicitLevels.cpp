#include "engine/KTImplicitLevels.h"

#include "engine/KTImplicitLevelThreads.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

using Cell = KTImplicitCells::Cell;
using Clock = std::chrono::steady_clock;

/// How long a level's thread looks for the band it waits for before it sleeps.
constexpr std::chrono::microseconds kSpin{200};
/// Cells ahead of the one judged whose lattice points are asked for.
constexpr std::size_t kAhead = 8;

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
    if (!m_levels)
        m_levels = std::make_unique<Level[]>(Levels);
    for (int l = 0; l < Levels; ++l) {
        m_levels[l].bands.resize(static_cast<std::size_t>(bands));
        for (Band& band : m_levels[l].bands) {
            band.children.clear();
            band.deferred.clear();
        }
        m_levels[l].done.store(0);
    }
    KTImplicitWorker* const caller = KTImplicitWorker::CurrentOrNull();
    if (!threads) {
        for (int l = 0; l < Levels; ++l) {
            KTImplicitWorker::SetCurrent(&workers[static_cast<std::size_t>(l)]);
            for (int b = 0; b < bands; ++b)
                JudgeBand(l, b);
        }
    } else {
        // A level mostly waits a little for the one above, less than a sleep and a wake-up take:
        // it looks again for a while before it sleeps, and a finished band wakes only sleepers.
        Level* const levels = m_levels.get();
        std::mutex mutex;
        std::condition_variable finished;
        std::atomic<int> sleepers{0};
        const auto run = [this, levels, bands, &workers, &mutex, &finished, &sleepers](int l) {
            KTImplicitWorker::SetCurrent(&workers[static_cast<std::size_t>(l)]);
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
                JudgeBand(l, b);
                levels[l].done.store(b + 1);
                if (sleepers.load() > 0) {
                    const std::lock_guard<std::mutex> lock(mutex);
                    finished.notify_all();
                }
            }
        };
        if (!KTImplicitLevelThreads::Run(Levels, run)) {
            // Another trace holds the threads kept for this: threads of its own.
            std::vector<std::thread> below;
            for (int l = 1; l < Levels; ++l)
                below.emplace_back(run, l);
            run(0);
            for (std::thread& thread : below)
                thread.join();
        }
    }
    // The last level only evaluates the rows left: cells of one lattice cell split no further,
    // but a cell of one by two may still be halved.
    KTImplicitWorker::SetCurrent(&workers[AfterLevels]);
    for (Band& rest : m_levels[Levels - 1].bands)
        if (!rest.children.empty())
            Refine(rest.children);
    KTImplicitWorker::SetCurrent(caller);
}

void KTImplicitLevels::JudgeBand(int level, int band)
{
    // A band's cells read only lattice points of its rows, from its lowest to the lowest of the
    // next band, which it shares with the bands beside it.
    KTImplicitWorker& w = KTImplicitWorker::Current();
    const int bands = Bands();
    const int j0 = band * TopCell;
    const int j1 = std::min(j0 + TopCell, m_lattice.Rows());
    std::vector<Cell> first;
    if (level == 0)
        for (int i = 0; i < m_lattice.Columns(); i += TopCell)
            first.push_back({i, j0, std::min(i + TopCell, m_lattice.Columns()), j1});
    const std::vector<Cell>& cells =
        level == 0 ? first : m_levels[level - 1].bands[static_cast<std::size_t>(band)].children;
    if (m_lattice.HasRows()) {
        // The points the cells read first: those the level above deferred on the band's rows
        // (the cells' corners), also from the bands beside it on the rows they share.
        w.pending = &w.level;
        if (level > 0)
            for (int b = std::max(0, band - 1); b <= std::min(bands - 1, band + 1); ++b)
                for (const KTImplicitWorker::PendingPoint& p :
                     m_levels[level - 1].bands[static_cast<std::size_t>(b)].deferred)
                    if (p.j >= j0 && p.j <= j1 && m_lattice.IsPendingPoint(p.i, p.j))
                        w.level.push_back(p);
        m_lattice.EvaluateRows(w.level);
        // Then the points the cells read once they see their corners.
        for (const Cell& c : cells)
            m_cells.Prepare(c);
        m_lattice.EvaluateRows(w.level);
    }
    Band& lists = m_levels[level].bands[static_cast<std::size_t>(band)];
    w.pending = &lists.deferred;
    const std::int32_t before = m_cells.LeafCount(w.list);
    for (std::size_t k = 0; k < cells.size(); ++k) {
        if (k + kAhead < cells.size()) {
            const Cell& ahead = cells[k + kAhead];
            m_lattice.Prefetch(ahead.i0, ahead.j0, ahead.i1, ahead.j1);
        }
        m_cells.Judge(cells[k], lists.children);
    }
    // The band's cells of one lattice cell are done, and those of the bands beside it on the
    // levels above: their segments are made here, beside the levels still judging.
    if (level == SingleCells)
        for (std::int32_t k = before; k < m_cells.LeafCount(w.list); ++k) {
            KTImplicitCells::Leaf& leaf = m_cells.LeafAt(w.list, k);
            if (leaf.kind == KTImplicitCells::LeafKind::Finest)
                m_segments.BuildLeafOfOneCell(leaf);
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
