#include "foundation/KTProfileText.h"

#include <cctype>
#include <cstdint>
#include <limits>

std::int32_t KTProfileTextReader::ToInt(const char* text)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    // Accumulate in 64 bits and stop growing at the first value past the 32-bit range, so
    // a long run of digits from a damaged file cannot overflow.
    constexpr std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (; std::isdigit(*p); ++p)
        if (magnitude <= limit)
            magnitude = magnitude * 10 + (*p - '0');
    std::int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<std::int32_t>::max())
        value = std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min())
        value = std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

std::int32_t KTProfileTextReader::NextInt()
{
    const int comma = m_rest.Find(',');
    if (comma < 0)
        return 0;
    const CString field = m_rest.Left(comma);
    m_rest = m_rest.Mid(comma + 1);
    return ToInt(field);
}

std::int32_t KTProfileTextReader::RestAsInt() const
{
    return ToInt(m_rest);
}

double KTProfileTextReader::RestAsDouble() const
{
    return KTStrToDoubleC(m_rest);
}
