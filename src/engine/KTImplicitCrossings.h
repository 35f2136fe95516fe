#pragma once
// The crossings of an implicit trace: the points where the relation's curve crosses intervals of
// the lattice, each found once, by a bracketing search to a fiftieth of a lattice cell, and
// known by its interval (the lattice point it starts from, its direction and its far end), so
// that the cells on both sides of an interval share it. A sign change across a pole or a jump
// is no crossing: beside a pole the difference grows as the bracket narrows, beside a root it
// falls, and across a jump it stays. Where it falls too slowly to tell (a cusp, a vertical
// tangent) or the relation may jump, the range of the difference over the bracket decides: a
// bound that is finite and continuous there makes the sign change a zero, however steep.
//
// A lattice interval of one cell whose ends have one sign may still be crossed twice, where two
// curves pass closer together than a lattice cell (beside a crossing of two curves at a small
// angle): where the difference can reach zero on it for the slope it may have, the interval is
// searched for a point of the other sign, and both crossings are kept, in order along it.

#include "engine/KTImplicitChunks.h"
#include "engine/KTImplicitLattice.h"
#include "foundation/KTPoint.h"

#include <cstdint>
#include <limits>
#include <vector>

class KTImplicitCrossings
{
public:
    struct Crossing
    {
        double t;                 ///< cells along its interval from (i, j) to the root
        std::int32_t i, j;        ///< the lattice point its interval starts from
        std::int32_t end;         ///< lattice index of the interval's far end
        std::int32_t next;        ///< the crossing after it on the same interval, or -1
        std::int32_t segments[2]; ///< the segments that end at it, or -1
        bool alongX;              ///< its interval runs along x (else along y)
        bool valid;               ///< a root, not a pole or a jump
        bool domainEnd;           ///< where the curve runs on to the end of the relation's domain
        bool onLatticePoint;      ///< found at an end of its interval
        /// Lattice coordinates of the root.
        double U() const { return alongX ? i + t : i; }
        double V() const { return alongX ? j : j + t; }
        /// The interval's length in lattice cells.
        int Length() const { return end - (alongX ? i : j); }
    };

    /// The graph coordinates of the crossing. They are not kept with it: a dense plot holds a
    /// crossing at nearly every pixel, and the lattice gives them as cheaply.
    KTPoint PointOf(const Crossing& c) const
    {
        // The ends of an interval are exact lattice points: a root found there lies on the edge
        // of the view when the interval does.
        const int i = static_cast<int>(c.U());
        const int j = static_cast<int>(c.V());
        if (c.onLatticePoint)
            return KTPoint(m_lattice.X(i), m_lattice.Y(j));
        return c.alongX ? KTPoint(m_lattice.XAt(c.U()), m_lattice.Y(j)) : KTPoint(m_lattice.X(i), m_lattice.YAt(c.V()));
    }

    static_assert(sizeof(Crossing) <= 40, "a dense plot holds a crossing for nearly every pixel");

    /// The most lists a trace appends to (one per band of the lattice, and one for what comes
    /// after the bands): ids carry the list above the bits of its entries.
    static constexpr int MaxLists = 1 << (31 - KTImplicitChunks<Crossing>::IdBits);

    explicit KTImplicitCrossings(KTImplicitLattice& lattice) : m_lattice(lattice) {}
    const KTImplicitLattice& Lattice() const { return m_lattice; }
    /// Empties the lists for a trace with `lists` lists (at most MaxLists); their room stays.
    void Reset(int lists);
    /// Empties the lists, and gives back their room where it takes more than `most` bytes.
    void Release(std::size_t most);

    Crossing& operator[](std::int32_t id)
    {
        return m_lists[id >> KTImplicitChunks<Crossing>::IdBits]
                      [id & ((1 << KTImplicitChunks<Crossing>::IdBits) - 1)];
    }
    /// f(id, crossing) for every crossing, list after list in order.
    /// f(crossing) for every crossing of one list, in order.
    template <class F> void ForEachOf(int list, F f)
    {
        for (std::int32_t k = 0; k < m_lists[list].Size(); ++k)
            f(m_lists[list][k]);
    }
    template <class F> void ForEach(F f)
    {
        for (int list = 0; list < m_count; ++list)
            for (std::int32_t k = 0; k < m_lists[list].Size(); ++k)
                f(Id(list, k), m_lists[list][k]);
    }

    /// The crossing on the interval of `length` cells from (i, j) along x or y, whose ends have
    /// values of both signs. The search starts at `hint` (cells along the interval) when it
    /// lies inside. `continuous`: the ranges of a cell around the interval show the difference
    /// continuous there, so that the sign change is a root, and no pole or jump, to be told.
    std::int32_t At(int i, int j, bool alongX, int length,
                    double hint = std::numeric_limits<double>::quiet_NaN(), bool continuous = false);
    /// The lists, and the ids of the crossings of one in the order of ForEach.
    int Lists() const { return m_count; }
    std::int32_t ListSize(int list) const { return m_lists[list].Size(); }
    static std::int32_t IdOf(int list, std::int32_t k) { return Id(list, k); }
    /// The list of a crossing's id, and its place in the list.
    static int ListOfId(std::int32_t id) { return id >> KTImplicitChunks<Crossing>::IdBits; }
    static std::int32_t PlaceOfId(std::int32_t id)
    {
        return id & ((1 << KTImplicitChunks<Crossing>::IdBits) - 1);
    }
    /// How many crossings the lists hold.
    std::int64_t Count() const
    {
        std::int64_t count = 0;
        for (int list = 0; list < m_count; ++list)
            count += m_lists[list].Size();
        return count;
    }
    /// The crossing between neighbouring lattice points of which only one has a value, where
    /// the curve runs on to the end of the relation's domain between them (invalid where not).
    std::int32_t ToDomainEnd(const KTImplicitLattice::Sample& a, const KTImplicitLattice::Sample& b);
    /// Two crossings on the interval of one cell from (i, j) whose ends have values of one sign,
    /// the first of them (its next is the second), or -1 where the difference keeps its sign.
    /// [lo, hi] bounds the difference's change per lattice cell along the interval.
    std::int32_t HiddenPair(int i, int j, bool alongX, double lo, double hi);
    /// Whether a difference with the values a and b (of one sign) at the ends of an interval of
    /// `width` lattice cells, changing by between lo and hi per cell along it, can reach zero
    /// between them and come back: it must fall (rise) to zero from one end and rise (fall)
    /// again to the other, and both take their time.
    static bool MayCrossTwice(double a, double b, double lo, double hi, double width = 1.0)
    {
        if ((a >= 0.0) != (b >= 0.0) || !(lo < 0.0 && hi > 0.0))
            return false;
        const double toZero = a >= 0.0 ? -lo : hi; // how fast the value may go to zero
        const double back = a >= 0.0 ? hi : -lo;   // and come back
        return (a >= 0.0 ? a : -a) / toZero + (b >= 0.0 ? b : -b) / back <= width;
    }
    /// Where an interval of `length` cells from (i, j) is split `offset` cells along it: its
    /// middle point is deferred for evaluation and a crossing found on the whole interval goes
    /// to the half that holds its root.
    void SplitInterval(int i, int j, bool alongX, int length, int offset);

private:
    /// A search's answer: where along its interval (cells from its first point), and whether a
    /// root.
    struct Root
    {
        double t = 0.0;
        bool valid = true;
    };
    static std::int32_t Id(int list, std::int32_t k)
    {
        return (list << KTImplicitChunks<Crossing>::IdBits) | k;
    }
    /// The bracketing search on [lo, hi] along the interval from (i, j), with the values there.
    Root Search(int i, int j, bool alongX, double lo, double hi, double fa, double fb, double hint,
                bool continuous = false);
    /// Whether the sign change between lo and hi (flo the value at lo) along the interval from
    /// (i, j) is a zero: the bound shows the difference continuous there, or a pole or a jump it
    /// keeps; `shown`: what the values alone show, taken where the bound cannot tell. [from, to]:
    /// the bracket the search began with, which holds [lo, hi].
    bool Continuous(int i, int j, bool alongX, double lo, double hi, double flo, bool shown, double from,
                    double to);
    /// The pair of crossings either side of the point tm of the other sign between t0 and t1
    /// (values f0, fm, f1) on the interval of one cell from (i, j): the first of them.
    std::int32_t AddPair(int i, int j, bool alongX, double t0, double tm, double t1, double f0, double fm,
                         double f1);
    /// HiddenPair where nothing bounds the difference's rates of change: by its ranges over parts.
    std::int32_t SteepPair(int i, int j, bool alongX);
    /// Adds the crossing at the root; with `record`, the interval's lattice point names it.
    std::int32_t Add(int i, int j, bool alongX, int length, const Root& root, bool record = true);

    KTImplicitLattice& m_lattice;
    std::vector<KTImplicitChunks<Crossing>> m_lists;
    int m_count = 0;
};
