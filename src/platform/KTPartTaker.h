#pragma once
// The parts of one job, taken in turn by the threads that work on it: each thread takes the next
// part until none is left or one has failed. The first failure is kept, to be thrown again on
// the caller once every thread is done with the job.

#include <atomic>
#include <exception>
#include <functional>
#include <mutex>

class KTPartTaker
{
public:
    KTPartTaker(int parts, const std::function<void(int)>& part) : m_parts(parts), m_part(part) {}
    KTPartTaker(const KTPartTaker&) = delete;
    KTPartTaker& operator=(const KTPartTaker&) = delete;

    /// Takes parts until none is left; a part's exception is kept, not thrown. Any thread.
    void Work() noexcept;
    /// Throws the first failure of a part again, if one failed. On the caller, after every
    /// thread's Work has returned.
    void RethrowFailure() const;

private:
    const int m_parts;
    const std::function<void(int)>& m_part;
    std::atomic<int> m_next{0};
    std::atomic<bool> m_failed{false};
    std::mutex m_mutex;
    std::exception_ptr m_failure;
};
