#include "platform/KTPartTaker.h"

void KTPartTaker::Work() noexcept
{
    for (int p = m_next.fetch_add(1); p < m_parts && !m_failed.load(); p = m_next.fetch_add(1)) {
        try {
            m_part(p);
        } catch (...) {
            const std::lock_guard<std::mutex> lock(m_mutex);
            if (!m_failure)
                m_failure = std::current_exception();
            m_failed.store(true);
        }
    }
}

void KTPartTaker::RethrowFailure() const
{
    if (m_failure)
        std::rethrow_exception(m_failure);
}
