#pragma once
// The segments of an implicit trace: one per arc through each leaf, between two crossings of its
// boundary. A simple leaf's arc joins the crossings it was judged by, or those its boundary shows
// once smaller neighbours have put points on its sides (the same crossings, found on shorter
// intervals). A leaf of one lattice cell joins the crossings of its edges: where its corners'
// signs change, where the curve runs on to the end of the relation's domain, and where two
// curves cross one edge between its corners. Four crossings of the corners' signs make two
// arcs, joined as the sign at a point between the two regions of one sign says they connect
// (the cell's middle, where those regions hold opposite corners). A cell over which the
// difference grows without bound holds a pole: no segment is drawn through it.
//
// Two curves closer together than a lattice cell (beside a crossing of two curves at a small
// angle) leave the region between them without a lattice point: an edge whose corners have one
// sign is searched for two crossings where the ranges of the difference's derivatives allow the
// difference to reach zero on it and come back. The thin band between them crosses the cell or
// turns back in it: of the ways to join the crossings without arcs crossing, the one whose
// chords lie nearest the curve stands for it.

#include "engine/KTImplicitCells.h"
#include "engine/KTImplicitCrossings.h"
#include "engine/KTImplicitLattice.h"
#include "foundation/KTDefaultInitAllocator.h"

#include <cstdint>
#include <vector>

class KTImplicitSegments
{
public:
    KTImplicitSegments(KTImplicitLattice& lattice, KTImplicitCrossings& crossings, KTImplicitCells& cells)
        : m_lattice(lattice), m_crossings(crossings), m_cells(cells)
    {
    }
    /// Empties the lists of segments for a trace with `lists` lists; their room stays.
    void Reset(int lists);
    /// Empties the lists, and gives back their room where it takes more than `most` bytes.
    void Release(std::size_t most);
    /// Two crossings per segment, the segments of all lists in turn.
    using EndList = std::vector<std::int32_t, KTDefaultInitAllocator<std::int32_t>>;
    /// The segments of all lists become one list (Ends), and the crossings name them by their
    /// place in it.
    void Gather();
    /// Gather in parts that may run side by side: StartGather, then GatherList for each list.
    void StartGather();
    void GatherList(int list);
    /// The segments through a leaf not built yet, once nothing changes its boundary any more: a
    /// leaf of one lattice cell once its band is judged (its corners and edges are all it reads),
    /// any other once the bands beside its own are judged too. The segments go to the list of the
    /// band the current worker takes its turn for.
    void Build(KTImplicitCells::Leaf& leaf);
    /// Two crossings per segment (once built).
    const EndList& Ends() const { return m_ends; }

private:
    /// A point of a leaf's boundary in counter-clockwise order: a corner, a crossing, or a point
    /// of the other sign between two crossings on one edge.
    struct RingPoint
    {
        double u, v;           ///< lattice coordinates
        std::int32_t crossing; ///< its id, or -1 for a point with a sign
        bool positive;
    };
    /// Each list's segments (two crossings each), and the scratch of the thread adding to it.
    struct alignas(64) List
    {
        std::vector<std::int32_t> ends;
        std::vector<KTImplicitLattice::Sample> boundary;
    };
    /// A cell of one lattice cell: its four corners, and on each edge a crossing or a hidden
    /// pair with the point between.
    static constexpr int RingRoom = 16;
    /// A segment's id: its list above these bits.
    static constexpr int IdBits = KTImplicitChunks<KTImplicitCrossings::Crossing>::IdBits;
    /// `narrowed`: KTImplicitCells::MayHoldArc said so of the cell already.
    void LeafOfOneCell(const KTImplicitCells::Cell& cell, bool narrowed);
    /// Joins the crossings of the ring: two into one segment, four into two.
    void Join(const RingPoint* ring, int size);
    void Add(std::int32_t a, std::int32_t b);

    /// The segment of a leaf of more than one lattice cell, ends found by At.
    void BuildLeaf(KTImplicitCells::Leaf& leaf, std::vector<KTImplicitLattice::Sample>& boundary);

    KTImplicitLattice& m_lattice;
    KTImplicitCrossings& m_crossings;
    KTImplicitCells& m_cells;
    std::vector<List> m_lists;
    EndList m_ends;
    std::vector<std::int32_t> m_start; ///< where each list begins in m_ends (Gather)
};
