#include "engine/KTImplicitThreads.h"

#include "platform/KTPartTaker.h"

#include <algorithm>
#include <atomic>
#include <exception>

KTImplicitThreads& KTImplicitThreads::Kept()
{
    static KTImplicitThreads threads;
    return threads;
}

int KTImplicitThreads::Count()
{
    static const int count = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
    return count;
}

bool KTImplicitThreads::Run(int count, const std::function<void(int)>& task)
{
    return Kept().RunTask(count, task);
}

void KTImplicitThreads::RunParts(int parts, const std::function<void(int)>& part)
{
    if (parts <= 0)
        return;
    KTPartTaker taker(parts, part);
    const bool ran = Run(std::min(Count(), parts), [&taker](int) { taker.Work(); });
    taker.RethrowFailure();
    if (!ran)
        for (int p = 0; p < parts; ++p)
            part(p);
}

void KTImplicitThreads::FaultIn(void* block, std::size_t bytes)
{
    constexpr std::size_t page = 4096;
    constexpr std::size_t part = std::size_t{1} << 20;
    volatile unsigned char* const first = static_cast<unsigned char*>(block);
    if (!block || bytes == 0)
        return;
    RunParts(static_cast<int>((bytes + part - 1) / part), [first, bytes](int p) {
        const std::size_t from = static_cast<std::size_t>(p) * part;
        const std::size_t to = std::min(bytes, from + part);
        for (std::size_t at = from; at < to; at += page)
            first[at] = 0;
        first[to - 1] = 0;
    });
}

int KTImplicitThreads::Started()
{
    KTImplicitThreads& kept = Kept();
    const std::lock_guard<std::mutex> lock(kept.m_mutex);
    return static_cast<int>(kept.m_threads.size());
}

KTImplicitThreads::~KTImplicitThreads()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
}

bool KTImplicitThreads::RunTask(int count, const std::function<void(int)>& task)
{
    const std::unique_lock<std::mutex> holder(m_holder, std::try_to_lock);
    if (!holder.owns_lock())
        return false;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        while (static_cast<int>(m_threads.size()) < count - 1) {
            const int k = static_cast<int>(m_threads.size()) + 1;
            m_threads.emplace_back([this, k] { Serve(k); });
        }
        m_task = &task;
        m_count = count;
        m_left = count - 1;
        ++m_job;
    }
    m_changed.notify_all();
    task(0);
    std::unique_lock<std::mutex> lock(m_mutex);
    m_finished.wait(lock, [this] { return m_left == 0; });
    m_task = nullptr;
    return true;
}

void KTImplicitThreads::Serve(int k)
{
    long long seen = 0;
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [&] { return m_stop || m_job != seen; });
        if (m_stop)
            return;
        seen = m_job;
        if (k >= m_count)
            continue;
        const std::function<void(int)>* task = m_task;
        lock.unlock();
        (*task)(k);
        lock.lock();
        if (--m_left == 0)
            m_finished.notify_all();
    }
}
