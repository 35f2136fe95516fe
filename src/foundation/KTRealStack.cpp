#include "foundation/KTRealStack.h"

bool KTRealStack::Push(double value)
{
    // m_count is public, so a negative count from a careless caller is refused as well.
    if (m_count < 0 || m_count >= kSlots - 1)
        return false;
    ++m_count;
    m_entries[m_count].m_tag = -1;
    m_entries[m_count].m_value = value;
    return true;
}

double KTRealStack::Pop()
{
    if (m_count <= 0)
        return 0.0;
    const double value = m_count < kSlots ? m_entries[m_count].m_value : 0.0;
    --m_count;
    return value;
}
