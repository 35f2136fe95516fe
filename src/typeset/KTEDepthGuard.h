#pragma once
// Bounds the recursion over a token tree: every routine that descends into child lists holds
// one guard and stops descending once the tree is deeper than any sensible equation.

class KTEDepthGuard
{
public:
    static constexpr int Limit = 300;

    KTEDepthGuard() { ++s_depth; }
    ~KTEDepthGuard() { --s_depth; }
    KTEDepthGuard(const KTEDepthGuard&) = delete;
    KTEDepthGuard& operator=(const KTEDepthGuard&) = delete;

    /// True when the routine holding this guard must not descend any further.
    bool Exceeded() const { return s_depth > Limit; }

private:
    static inline thread_local int s_depth = 0;
};
