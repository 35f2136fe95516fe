#pragma once
// The order in which an implicit trace judges its cells: level by level over the whole view (the
// first cells of 16 x 16 lattice cells, then their quarters of 8, 4, 2 and 1, and one level for the
// rows left), so that no part of the view is starved, each level band by band (a band is a row
// of first cells). A cell reads and changes only the lattice of its band and the lines it
// shares with the bands beside it, so a level may judge a band once the level above has finished
// that band and the next: on threads, each level runs on a thread of its own a band behind the
// level above, and the trace is the one of judging level after level.

#include "engine/KTImplicitCells.h"
#include "engine/KTImplicitLattice.h"
#include "engine/KTImplicitSegments.h"
#include "engine/KTImplicitWorker.h"

#include <atomic>
#include <memory>
#include <vector>

class KTImplicitLevels
{
public:
    static constexpr int TopCell = 16; ///< lattice cells per side of the first cells
    /// Cells of 16, 8, 4, 2 and 1 lattice cells, and one level for the rows left.
    static constexpr int Levels = 6;
    /// The workers of a trace: one per level, and one for what comes after the levels.
    static constexpr int Workers = Levels + 1;
    static constexpr int AfterLevels = Levels;

    /// The level of cells of one lattice cell: its thread also makes their segments, band by band.
    static constexpr int SingleCells = 4;

    KTImplicitLevels(KTImplicitLattice& lattice, KTImplicitCells& cells, KTImplicitSegments& segments)
        : m_lattice(lattice), m_cells(cells), m_segments(segments)
    {
    }

    /// Evaluates the corners of the first cells (a row at a time with a row form) and returns
    /// how many of them the curve crosses (corners of both signs, or some without a value).
    int FirstCorners(KTImplicitWorker& worker);
    /// Judges every cell, level by level, with workers[l] judging level l; on threads of their
    /// own when `threads`.
    void Run(std::vector<KTImplicitWorker>& workers, bool threads);

private:
    /// A level band by band: the cells it splits off for the next level and the lattice points
    /// it defers for it; how many bands it has finished.
    struct alignas(64) Band
    {
        std::vector<KTImplicitCells::Cell> children;
        std::vector<KTImplicitWorker::PendingPoint> deferred;
    };
    struct Level
    {
        std::vector<Band> bands;
        alignas(64) std::atomic<int> done{0};
    };
    int Bands() const { return (m_lattice.Rows() + TopCell - 1) / TopCell; }
    void JudgeBand(int level, int band);
    /// Judges cells and their quarters, level by level, until none is left (after the levels).
    void Refine(std::vector<KTImplicitCells::Cell>& cells);

    KTImplicitLattice& m_lattice;
    KTImplicitCells& m_cells;
    KTImplicitSegments& m_segments;
    std::unique_ptr<Level[]> m_levels;
    std::vector<KTImplicitCells::Cell> m_first;
};
