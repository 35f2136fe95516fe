#pragma once
// A fixed limit of the algebra system was reached: a token list is full, an exact fraction left
// the 32-bit range, a recursion went too deep, or an exact division by zero was asked for. The
// algebra's entry points (relation set-up and rearrangement, term texts) catch it and report a
// plain failure, so it never reaches the equation interpretation; it is deliberately not an
// entry error, whose handlers would show the user a message about the text. The normalisation
// passes and the quotient and term operations let it through to their caller.

#include <exception>

class ASLimitException : public std::exception
{
public:
    enum class Reason { TokenCapacity, IntegerRange, Depth, DivisionByZero };

    explicit ASLimitException(Reason reason) : m_reason(reason) {}
    Reason GetReason() const { return m_reason; }
    const char* what() const noexcept override;

private:
    Reason m_reason;
};

/// Bounds the nesting of the algebra's recursive routines; one per recursive call frame.
/// Throws ASLimitException(Depth) when more than Limit frames are open.
class ASDepthGuard
{
public:
    static constexpr int Limit = 64;

    ASDepthGuard();
    ~ASDepthGuard() { --s_depth; }
    ASDepthGuard(const ASDepthGuard&) = delete;
    ASDepthGuard& operator=(const ASDepthGuard&) = delete;

    /// Depth of the innermost open guard (0 when none).
    static int Depth() { return s_depth; }

private:
    static int s_depth;
};

/// Turns a refused append or insertion into ASLimitException: the algebra's operations call it
/// on every token they add, so a full list ends the operation instead of losing a token.
inline void ASRequireRoom(bool appended)
{
    if (!appended)
        throw ASLimitException(ASLimitException::Reason::TokenCapacity);
}
