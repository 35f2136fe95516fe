#include "engine/ASLimitException.h"

int ASDepthGuard::s_depth = 0;

const char* ASLimitException::what() const noexcept
{
    switch (m_reason) {
    case Reason::TokenCapacity: return "algebra token list full";
    case Reason::IntegerRange: return "exact fraction outside the 32-bit range";
    case Reason::Depth: return "algebra nesting too deep";
    case Reason::DivisionByZero: return "exact division by zero";
    }
    return "algebra limit";
}

ASDepthGuard::ASDepthGuard()
{
    if (s_depth >= Limit)
        throw ASLimitException(ASLimitException::Reason::Depth);
    ++s_depth;
}
