#pragma once
// Threads kept for implicit traces, so that a trace does not start and end its own: a thread's
// start costs about as much as a band's judgement. They are started by the first trace that asks
// for them and stay, asleep, until the program ends.

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class KTImplicitThreads
{
public:
    /// The threads a trace works on at most, the caller's among them: one per processor, up to
    /// eight (beyond that the bands of a lattice are too few to keep them busy).
    static int Count();
    /// task(k) for 0 < k < count on the kept threads and task(0) on the caller, returning when
    /// all are done; false (and nothing run) while another caller has them.
    static bool Run(int count, const std::function<void(int)>& task);
    /// part(p) for every 0 <= p < parts, on the kept threads side by side, each taking the next
    /// part in turn; on the caller alone, in order, while another caller has them. The first
    /// exception of a part is thrown again on the caller, once every thread is done.
    static void RunParts(int parts, const std::function<void(int)>& part);
    /// Writes a byte of every page of a block just taken from the system (tens of megabytes of
    /// a dense plot's points), on the threads side by side: the first writes of each page
    /// fault it in, which one thread filling the block would otherwise wait for page after page.
    static void FaultIn(void* block, std::size_t bytes);
    /// Threads started so far (for tests: none before the first trace that uses them).
    static int Started();

private:
    KTImplicitThreads() = default;
    ~KTImplicitThreads();
    static KTImplicitThreads& Kept();
    bool RunTask(int count, const std::function<void(int)>& task);
    void Serve(int k);

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
