#include "foundation/KTIntStack.h"

bool KTIntStack::Push(std::int32_t value)
{
    // m_count is public, so a negative count from a careless caller is refused as well.
    if (m_count < 0 || m_count >= kSlots - 1)
        return false;
    ++m_count;
    m_entries[m_count] = value;
    return true;
}

std::int32_t KTIntStack::Pop()
{
    if (m_count <= 0)
        return 0;
    const std::int32_t value = m_count < kSlots ? m_entries[m_count] : 0;
    --m_count;
    return value;
}
