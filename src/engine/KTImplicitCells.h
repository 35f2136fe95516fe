#pragma once
// The judgement of the cells of an implicit trace. A cell is passed over where the range of the
// difference over it excludes zero (or where it has no value at all), or where its value at its
// middle lies farther from zero than the ranges of the derivatives known of a cell around it let
// it change. It is taken whole as a leaf of one arc where the ranges of the difference's
// derivatives show that it holds no more: strictly monotonic along one axis, the difference has
// no closed curve inside the cell, and monotonic along each edge (or without a zero on it) it
// crosses each edge at most once, where the corners show it; the arc then stands as the chord
// between its two crossings where that follows it within a fifth of a lattice cell. Every other
// cell is split in four, down to cells of two by two lattice cells, which are taken whole where
// their nine lattice points show one arc or none (as their four quarters would) and no lattice
// interval between two of them with values of one sign can be crossed twice for the rates of
// change known of the cell (by two curves closer than a lattice cell); else down to single
// lattice cells.
//
// A cell of one lattice cell is a leaf of its own; the segments through it come from its corners
// (KTImplicitSegments). The cells of each band append their leaves to the band's list.

#include "engine/KTImplicitChunks.h"
#include "engine/KTImplicitCrossings.h"
#include "engine/KTImplicitLattice.h"

#include <cstdint>
#include <limits>
#include <vector>

class KTImplicitCells
{
public:
    struct Cell
    {
        int i0, j0, i1, j1; ///< lattice corners, i0 < i1 or j0 < j1
        /// The least and greatest change of the difference over one lattice cell along x and
        /// along y inside the cell (from the ranges of its derivatives over the cell or a cell
        /// around it).
        double dx[2] = {-std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()};
        double dy[2] = {-std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()};
        bool bounded = false; ///< the difference is known to be bounded over it: it holds no pole
        /// Known bounded, with a value at every point and without a jump: every sign change on
        /// its edges is a root.
        bool continuous = false;
        /// Takes what the range of the difference over the cell (or a cell around it) shows.
        void Note(const KTInterval& value)
        {
            bounded = bounded || value.IsBounded();
            continuous = continuous || (value.IsBounded() && !value.IsPartial() && !value.m_jumps);
        }
    };
    /// Notes the ranges of the derivatives over the cell (g) in it; its quarters inherit them.
    static void NoteSlopes(Cell& cell, const KTIntervalGradient& g, double cellWidth, double cellHeight);
    /// Whether the lattice interval of one cell between lattice points with the values a and b
    /// inside the cell, along x or y, may be crossed twice by the curve.
    static bool MayCrossTwice(const Cell& cell, double a, double b, bool alongX)
    {
        const double* d = alongX ? cell.dx : cell.dy;
        return KTImplicitCrossings::MayCrossTwice(a, b, d[0], d[1]);
    }
    /// Whether a cell of one lattice cell with these corners (counter-clockwise from its bottom
    /// left) may hold an arc: its corners change sign or one of its edges may be crossed twice,
    /// for the rates of change known of it and then for its own ranges, which `cell` takes where
    /// they are asked for; no arc where they show a pole.
    bool MayHoldArc(Cell& cell, const KTImplicitLattice::Sample corner[4]);
    /// Lattice rows per band of the trace: the rows at multiples of it are shared by two bands,
    /// whose threads may be evaluating them.
    static constexpr int BandRows = 16;
    static_assert(BandRows <= 255, "a leaf's sides fit a byte");
    enum class LeafKind : std::uint8_t { Simple, Finest };
    /// A cell taken whole, in fewer bytes than a Cell: a dense plot keeps one for nearly every
    /// pixel until its band is done.
    struct Leaf
    {
        std::int32_t i0, j0;
        std::uint8_t width, height; ///< lattice cells, at most a first cell's
        bool bounded;
        bool continuous;
        LeafKind kind;
        bool built;    ///< its segments are made
        bool narrowed; ///< of one lattice cell: MayHoldArc said so of its cell already
        double dx[2], dy[2];
        std::int32_t ends[2]; ///< a simple cell's crossings

        static Leaf Of(const Cell& c, LeafKind kind, std::int32_t first, std::int32_t second, bool narrowed)
        {
            return {c.i0,      c.j0,         static_cast<std::uint8_t>(c.i1 - c.i0),
                    static_cast<std::uint8_t>(c.j1 - c.j0),
                    c.bounded, c.continuous, kind,
                    false,     narrowed,     {c.dx[0], c.dx[1]},
                    {c.dy[0], c.dy[1]},      {first, second}};
        }
        Cell Whole() const
        {
            Cell c{i0, j0, i0 + width, j0 + height};
            c.dx[0] = dx[0];
            c.dx[1] = dx[1];
            c.dy[0] = dy[0];
            c.dy[1] = dy[1];
            c.bounded = bounded;
            c.continuous = continuous;
            return c;
        }
    };

    KTImplicitCells(KTImplicitLattice& lattice, KTImplicitCrossings& crossings)
        : m_lattice(lattice), m_crossings(crossings)
    {
    }
    /// Empties the lists of leaves for a trace with `lists` lists; their room stays.
    void Reset(int lists);

    /// Defers the lattice points the cell's judgement reads beyond its corners and middle, so that
    /// they are evaluated with the rows before it (its corners must be known).
    void Prepare(const Cell& cell);
    /// The ranges of the difference and its derivatives over a cell, where taken ahead of its
    /// judgement.
    struct Ranges
    {
        bool known = false;
        KTIntervalGradient g;
    };
    /// Judges the cell: passes it over, adds it as a leaf to its band's list, or appends its
    /// quarters (halves, for a cell one lattice cell across) to `children`. `ranges`: those
    /// taken ahead for it, or null.
    void Judge(Cell cell, std::vector<Cell>& children, const Ranges* ranges = nullptr);
    /// Whether the judgement of the cell asks for the ranges of the difference and its
    /// derivatives over it whatever else it finds: its corners are known and show one arc.
    bool NeedsRanges(const Cell& cell);

    /// The leaves of one list, in the order they were made.
    std::int32_t LeafCount(int list) const { return m_leaves[list].Size(); }
    Leaf& LeafAt(int list, std::int32_t k) { return m_leaves[list][k]; }
    /// Keeps only the first `count` leaves of a list (the others' segments are all made).
    void TruncateLeaves(int list, std::int32_t count) { m_leaves[list].Truncate(count); }
    /// f(leaf) for every leaf, list after list in order.
    template <class F> void ForEachLeaf(F f)
    {
        for (int list = 0; list < m_count; ++list)
            for (std::int32_t k = 0; k < m_leaves[list].Size(); ++k)
                f(m_leaves[list][k]);
    }
    /// The lattice points of the cell's boundary counter-clockwise from its bottom left corner:
    /// its corners and every evaluated point on its sides (put there by smaller neighbours).
    void Boundary(const Cell& cell, std::vector<KTImplicitLattice::Sample>& out);
    /// Whether smaller neighbours put lattice points on the cell's sides.
    bool HasSidePoints(const Cell& cell) const;

private:
    /// SplitKnown: split, a cell of two by two lattice cells whose nine points are known.
    enum class Verdict { PassOver, Leaf, Split, SplitKnown };
    /// The rates of change of the difference along both axes are known over the cell.
    static bool HasReach(const Cell& cell);
    /// The most the difference changes from the cell's middle to any point of it.
    static double Reach(const Cell& cell);
    /// `nine`: the values at the nine lattice points of a cell it finds SplitKnown, [x][y].
    Verdict Decide(Cell& cell, const Ranges* ranges, double nine[3][3]);
    /// Decide for a cell of two by two lattice cells, by the signs at its nine lattice points.
    Verdict DecideByPixels(Cell& cell, const double f[4], double nine[3][3]);
    /// The arc through the cell between the two crossings its boundary shows, as a leaf where
    /// its chord follows it (f, s: the corners' values and signs).
    Verdict OneArc(const Cell& cell, const double f[4], const bool s[4]);
    /// Whether the ranges g over the cell show that its curve is at most one arc between
    /// crossings of its edges that the corners show.
    bool HoldsOneArcAtMost(const Cell& cell, const KTIntervalGradient& g);
    /// The crossings on the two edges of a cell whose corners change sign across exactly two.
    void FindCornerCrossings(const Cell& cell, const double f[4], const bool s[4], std::int32_t found[2]);
    bool ChordFollowsCurve(const Cell& cell, const double f[4], const KTImplicitCrossings::Crossing& p,
                           const KTImplicitCrossings::Crossing& q);
    void Split(const Cell& cell, std::vector<Cell>& children);
    void AddLeaf(const Cell& cell, LeafKind kind, std::int32_t first = -1, std::int32_t second = -1);
    /// A leaf of one lattice cell, unless it holds no arc where that shows already.
    /// `known`: its corners' samples (counter-clockwise from the bottom left), where at hand.
    void AddOneCell(const Cell& cell, const KTImplicitLattice::Sample* known = nullptr);
    /// The evaluated lattice points strictly inside the side of `length` from (i, j), in order
    /// from there or (`backward`) toward it.
    void SideSamples(int i, int j, int length, bool alongX, bool backward,
                     std::vector<KTImplicitLattice::Sample>& out);

    /// What the judgements of each list's band use as scratch.
    struct alignas(64) Scratch
    {
        std::vector<KTImplicitLattice::Sample> boundary;
    };

    KTImplicitLattice& m_lattice;
    KTImplicitCrossings& m_crossings;
    std::vector<KTImplicitChunks<Leaf>> m_leaves;
    std::vector<Scratch> m_scratch;
    int m_count = 0;
};
