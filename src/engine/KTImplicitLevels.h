#pragma once
// The order in which an implicit trace judges its cells: band by band (a band is a row of first
// cells of 16 x 16 lattice cells), and in each band level by level (the first cells, then their
// quarters of 8, 4, 2 and 1, and the rows left), so that a level's lattice points are evaluated a
// row at a time. A band's cells read and change only the lattice of its rows, from its lowest to
// the lowest of the next band, which it shares with the bands beside it. The trace goes in three
// turns: the bands of even number are judged, each on its own, then those of odd number, each
// once the bands beside it are done, and last the segments of the even bands' leaves are made
// (those of a leaf of one lattice cell as soon as its band is judged, any other once nothing
// changes its boundary). On threads, bands two apart take their turns side by side, and the
// trace is the one of taking the turns one after the other: each band appends its crossings,
// leaves and segments to a list of its own.

#include "engine/KTImplicitCells.h"
#include "engine/KTImplicitLattice.h"
#include "engine/KTImplicitSegments.h"
#include "engine/KTImplicitWorker.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

class KTImplicitLevels
{
public:
    static constexpr int TopCell = KTImplicitCells::BandRows; ///< lattice cells per side of the first cells
    /// Cells of 16, 8, 4, 2 and 1 lattice cells, and one level for the rows left.
    static constexpr int Levels = 6;
    /// The level of cells of one lattice cell.
    static constexpr int SingleCells = 4;

    KTImplicitLevels(KTImplicitLattice& lattice, KTImplicitCells& cells, KTImplicitSegments& segments)
        : m_lattice(lattice), m_cells(cells), m_segments(segments)
    {
    }

    /// The lists a trace over the lattice appends to: one per band (bands share lists where they
    /// are more than the lists, and are then judged on one thread), and the last one for what
    /// comes after the bands.
    int Lists() const { return std::min(Bands(), KTImplicitCrossings::MaxLists - 1) + 1; }
    /// Whether the bands may be judged on threads: each has a list of its own.
    bool Threadable() const { return Bands() < KTImplicitCrossings::MaxLists; }

    /// Evaluates the corners of the first cells (a row at a time with a row form) and returns
    /// how many of them the curve crosses (corners of both signs, or some without a value).
    int FirstCorners(KTImplicitWorker& worker);
    /// Judges every cell, band by band, and makes the segments of the leaves, with `workers` (the
    /// last for what comes after the bands); on that many threads less one when `threads`.
    void Run(std::vector<KTImplicitWorker>& workers, bool threads);

private:
    /// A level of a band: the cells it splits off for the next level and the lattice points it
    /// defers for it.
    struct Level
    {
        std::vector<KTImplicitCells::Cell> children;
        std::vector<KTImplicitWorker::PendingPoint> deferred;
        /// For each of the children, its ranges where they are taken ahead for it (`known`).
        std::vector<KTImplicitCells::Ranges> ranges;
    };
    /// The leaves a band made in its list, and whether its last turn is done.
    struct alignas(64) Band
    {
        std::int32_t firstLeaf = 0, endLeaf = 0;
        std::atomic<bool> done{false};
    };
    /// The levels of the band a worker judges. A worker's lists serve each band it takes in
    /// turn: their room is made once a trace, not once a band (a dense plot's bands each fill
    /// megabytes of them, which would be faulted in again band after band).
    struct alignas(64) Judged
    {
        Level levels[Levels];
    };
    Level* LevelsOf(const KTImplicitWorker& worker)
    {
        return m_judged[static_cast<std::size_t>(&worker - m_workers)]->levels;
    }
    int Bands() const { return (m_lattice.Rows() + TopCell - 1) / TopCell; }
    /// The turns of a trace: the even bands' judgements, the odd bands' (with the segments of
    /// their leaves), and the segments of the even bands' leaves.
    int Turns() const { return Bands() + (Bands() + 1) / 2; }
    /// The band whose turn it is.
    int BandOf(int turn) const;
    /// Whether the bands a turn waits for are done.
    bool Ready(int turn) const;
    /// Takes the turn; returns its band.
    int Take(int turn);
    int ListOf(int band) const
    {
        return Threadable() ? band : static_cast<int>(static_cast<long long>(band) * (Lists() - 1) / Bands());
    }
    void JudgeBand(int level, int band);
    /// Evaluates the corners of the cells the band split off for the next level, and with
    /// `ranges` takes the ranges of the difference and its derivatives over those that will ask
    /// for them whatever else they find (their corners show one arc).
    void PrepareChildren(Level& level, bool ranges);
    /// Judges cells and their quarters, level by level, until none is left (after the levels).
    void Refine(std::vector<KTImplicitCells::Cell>& cells);

    KTImplicitLattice& m_lattice;
    KTImplicitCells& m_cells;
    KTImplicitSegments& m_segments;
    std::vector<std::unique_ptr<Band>> m_bands;
    std::vector<std::unique_ptr<Judged>> m_judged; ///< one for each worker
    const KTImplicitWorker* m_workers = nullptr;    ///< the first of the trace's workers
    std::vector<KTImplicitCells::Cell> m_first;
};
