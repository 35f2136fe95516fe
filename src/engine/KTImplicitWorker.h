#pragma once
// What each thread of an implicit trace keeps apart from the others, on cache lines of its own:
// the lists it appends to, the lattice tiles it has taken, the lattice points it defers for
// evaluation a row at a time, and its counts. The thread running a part of the trace reads its
// worker through Current().

#include <atomic>
#include <cstdint>
#include <vector>

class alignas(64) KTImplicitWorker
{
public:
    /// A lattice point counted as evaluated whose value is still to come.
    struct PendingPoint
    {
        std::int32_t i, j;
    };

    int list = 0;               ///< the list of crossings, leaves and segments it appends to
    std::int32_t nextTile = 0;  ///< the next of the tiles it has taken
    std::int32_t tilesLeft = 0; ///< how many of them are left
    std::vector<PendingPoint>* pending = nullptr; ///< where it defers lattice points to
    std::vector<PendingPoint> level;              ///< the points its band evaluates in rows
    std::vector<PendingPoint> rest;               ///< deferred outside the levels' bands
    std::vector<PendingPoint> byRow;              ///< scratch of the row evaluation
    std::vector<std::int32_t> rowStart;
    long long evaluations = 0; ///< differences evaluated
    long long bounds = 0;      ///< ranges of the difference taken over boxes
    int leavesUncounted = 0;   ///< leaves made since the last were added to the trace's count
    std::atomic<long long>* leaves = nullptr; ///< the trace's count of leaves, all workers'
    long long leafBudget = 0;                 ///< most leaves the trace may make; 0: no bound

    /// Thrown out of a trace whose leaves pass its budget.
    struct OverBudget
    {
    };
    /// Counts a leaf made; every so many, adds them to the trace's count and stops the trace
    /// (throws OverBudget) once that passes the budget.
    void CountLeaf()
    {
        if (++leavesUncounted < 256 || !leaves)
            return;
        const long long made = leaves->fetch_add(leavesUncounted) + leavesUncounted;
        leavesUncounted = 0;
        if (leafBudget > 0 && made > leafBudget)
            throw OverBudget{};
    }

    /// Ready for a new trace, appending to `list`; the scratch lists keep their room.
    void Start(int listIndex)
    {
        list = listIndex;
        nextTile = tilesLeft = 0;
        level.clear();
        rest.clear();
        pending = &rest;
        evaluations = bounds = 0;
        leavesUncounted = 0;
    }

    /// The worker of the trace part running on this thread (null outside a trace).
    static KTImplicitWorker& Current() { return *t_current; }
    static KTImplicitWorker* CurrentOrNull() { return t_current; }
    /// Makes `worker` this thread's; returns the one it replaces.
    static KTImplicitWorker* SetCurrent(KTImplicitWorker* worker)
    {
        KTImplicitWorker* before = t_current;
        t_current = worker;
        return before;
    }

private:
    static inline thread_local KTImplicitWorker* t_current = nullptr;
};
