#include "engine/KTImplicitGrid.h"

#include "engine/KTImplicitCells.h"
#include "engine/KTImplicitCrossings.h"
#include "engine/KTImplicitThreads.h"
#include "engine/KTImplicitLevels.h"
#include "engine/KTImplicitPolylines.h"
#include "engine/KTImplicitSegments.h"
#include "engine/KTImplicitWorker.h"

#include <atomic>
#include <utility>


struct KTImplicitGrid::Parts
{
    KTImplicitLattice lattice;
    KTImplicitCrossings crossings{lattice};
    KTImplicitCells cells{lattice, crossings};
    KTImplicitSegments segments{lattice, crossings, cells};
    KTImplicitLevels levels{lattice, cells, segments};
    KTImplicitPolylines polylines;
    std::vector<KTImplicitWorker> workers;
};

thread_local std::unique_ptr<KTImplicitGrid::Parts> KTImplicitGrid::t_kept;

KTImplicitGrid::KTImplicitGrid(double xLow, double xHigh, double yLow, double yHigh, int columns, int rows)
    : m_parts(t_kept ? std::move(t_kept) : std::make_unique<Parts>())
{
    m_parts->lattice.Reset(xLow, xHigh, yLow, yHigh, columns, rows);
    m_parts->polylines.Reset();
}

void KTImplicitGrid::Reset(double xLow, double xHigh, double yLow, double yHigh, int columns, int rows)
{
    m_parts->lattice.Reset(xLow, xHigh, yLow, yHigh, columns, rows);
    m_parts->polylines.Reset();
}

KTImplicitGrid::~KTImplicitGrid()
{
    if (!t_kept)
        t_kept = std::move(m_parts);
}

bool KTImplicitGrid::Trace(const Difference& difference, const RowDifference& rows, const Bound& bound)
{
    Parts& p = *m_parts;
    // However the trace ends (a failed evaluation throws), the difference is let go and the
    // caller's worker is its own again.
    struct Ending
    {
        KTImplicitLattice& lattice;
        KTImplicitWorker* caller;
        ~Ending()
        {
            KTImplicitWorker::SetCurrent(caller);
            lattice.Finish();
        }
    } ending{p.lattice, KTImplicitWorker::CurrentOrNull()};
    // A worker for each thread, and one for what comes after the bands.
    const int workers = KTImplicitThreads::Count() + 1;
    const int lists = p.levels.Lists();
    p.lattice.Start(difference, rows, bound);
    p.lattice.ReserveTiles(workers);
    p.crossings.Reset(lists);
    p.cells.Reset(lists);
    p.segments.Reset(lists);
    p.polylines.Reset();
    p.workers.resize(static_cast<std::size_t>(workers));
    std::atomic<long long> leaves{0};
    for (KTImplicitWorker& w : p.workers) {
        w.Start(lists - 1);
        w.leaves = &leaves;
        w.leafBudget = m_leafBudget;
    }
    KTImplicitWorker& after = p.workers.back();

    // The corners of the first cells, and how many of them the curves cross: threads are worth
    // their waiting only for many curves. One point at a time the difference may not be
    // callable from other threads, and the evaluation of rows is what keeps the threads apart
    // from the caller's lists of points.
    const int crossed = p.levels.FirstCorners(after);
    const int bands = (p.lattice.Rows() + KTImplicitLevels::TopCell - 1) / KTImplicitLevels::TopCell;
    const bool threads = p.lattice.HasRows() && m_concurrent && bands > 2 && crossed >= m_threadedCells &&
                         KTImplicitThreads::Count() > 1;
    // The cells, band by band; then the arcs through the leaves, joined into lines.
    try {
        p.levels.Run(p.workers, threads);
    } catch (const KTImplicitWorker::OverBudget&) {
        p.polylines.Reset();
        return false;
    }
    // The lattice is not read again: a dense plot's tiles go before its lines are made, on a
    // thread of their own while the others gather the segments.
    KTImplicitWorker::SetCurrent(&after);
    if (threads) {
        p.segments.StartGather();
        KTImplicitThreads::RunParts(lists + 1, [&p](int part) {
            if (part == 0)
                p.lattice.ReleaseTiles(KeptBytes);
            else
                p.segments.GatherList(part - 1);
        });
    } else {
        p.lattice.ReleaseTiles(KeptBytes);
        p.segments.Gather();
    }
    p.polylines.Join(p.crossings, p.segments.Ends(), threads);

    m_evaluations = 0;
    m_bounds = 0;
    for (const KTImplicitWorker& w : p.workers) {
        m_evaluations += w.evaluations;
        m_bounds += w.bounds;
    }
    return true;
}

double KTImplicitGrid::Simplify(double tolerance, std::size_t most)
{
    return m_parts->polylines.Simplify(tolerance, most);
}

void KTImplicitGrid::SwapLines(KTImplicitPolylines& lines)
{
    std::swap(m_parts->polylines, lines);
}

const KTImplicitPolylines::PointList& KTImplicitGrid::Points() const
{
    return m_parts->polylines.Points();
}

const std::vector<int>& KTImplicitGrid::Ends() const
{
    return m_parts->polylines.Ends();
}

int KTImplicitGrid::Columns() const
{
    return m_parts->lattice.Columns();
}

int KTImplicitGrid::Rows() const
{
    return m_parts->lattice.Rows();
}
