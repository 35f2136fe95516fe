// The block form of the evaluation program: every operation over 64 samples at once.
//
// The fast path of each operation is Run's, lane by lane: the same IEEE operations in the same
// order (this file is compiled without contraction into fused multiply-adds), the same tests.
// A lane that fails a test Run would answer by the full rules (a sentinel operand, a division
// by zero, a domain, a non-finite result) is marked and evaluated again by Run, so every such
// sample is Run's own.
//
// Sines, cosines, exponentials, logarithms, arc tangents and powers come from the C library's
// vector functions (at most 4 units in the last place from the true value; the scalar ones
// used by Run are within 1). A value that depends on one carries a bound on its distance from
// Run's value, propagated through every later operation; a test on such a value that could go
// the other way within the bound, or a final bound above 1e-14 of the value, sends the lane to
// Run as well.

#include "engine/KTEvaluationProgram.h"

#include "foundation/KTSentinelValues.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#if defined(__x86_64__) && defined(__GNUC__)
#define KT_VECTOR_PATH 1
#include <immintrin.h>
#endif

bool KTEvaluationProgram::HasVectorPath()
{
#ifdef KT_VECTOR_PATH
    static const bool has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return has;
#else
    return false;
#endif
}

void KTEvaluationProgram::PlanBatch()
{
    m_batch.clear();
    m_batchSlots = 0;
    m_batchResultBound = false;
    if (!m_compiled || m_ops.empty())
        return;
    // Which stack slots hold a value with an error bound, as the program runs.
    std::vector<char> bound(static_cast<std::size_t>(m_ops.size()) + 1, 0);
    std::vector<BatchStep> plan;
    plan.reserve(m_ops.size());
    int depth = 0;
    for (const Instruction& ins : m_ops) {
        BatchStep step{ins, 0, false, false};
        switch (ins.op) {
        case PushConst:
        case PushX:
        case PushY:
        case PushParam:
        case PushXMulC:
        case PushXLinear:
        case PushXSqr:
        case PushXPowI:
        case PushXPowC:
        case PushCPowX:
            step.slot = static_cast<std::int16_t>(depth);
            bound[static_cast<std::size_t>(depth)] = ins.op == PushXPowC || ins.op == PushCPowX;
            ++depth;
            break;
        case Add:
        case Sub:
        case Mul:
        case Div:
        case Pow:
            if (depth < 2)
                return;
            step.slot = static_cast<std::int16_t>(depth - 2);
            step.boundA = bound[static_cast<std::size_t>(depth - 2)] != 0;
            step.boundB = bound[static_cast<std::size_t>(depth - 1)] != 0;
            bound[static_cast<std::size_t>(depth - 2)] = ins.op == Pow || step.boundA || step.boundB;
            --depth;
            break;
        default: {
            if (depth < 1)
                return;
            step.slot = static_cast<std::int16_t>(depth - 1);
            char& b = bound[static_cast<std::size_t>(depth - 1)];
            step.boundA = b != 0;
            const bool tangent = ins.op == Func && ins.arg == ASKind::Tan;
            const bool ruleByLane =
                (ins.op == Func && !tangent) || (ins.op == PowC && ins.arg != 1 && ins.value != 0.5);
            // The full rules per lane have no error model: their operand must be exact.
            if (ruleByLane && step.boundA)
                return;
            if (ruleByLane)
                b = 0;
            else if (ins.op == Sin || ins.op == Cos || ins.op == Exp || ins.op == Ln || ins.op == Atan || tangent ||
                     (ins.op == PowC && ins.arg == 1))
                b = 1;
            break;
        }
        }
        // DivXLinear builds its divisor in the slot above its operand.
        m_batchSlots = std::max(m_batchSlots, ins.op == DivXLinear ? depth + 1 : depth);
        plan.push_back(step);
    }
    if (depth != 1)
        return;
    m_batchResultBound = bound[0] != 0;
    m_batch.swap(plan);
}

bool KTEvaluationProgram::RunsInBlocks() const
{
    if (s_referencePath || m_batch.empty() || !HasVectorPath())
        return false;
    for (const BatchStep& step : m_batch)
        if ((step.ins.op == Func && step.ins.arg != ASKind::Tan) ||
            (step.ins.op == PowC && step.ins.arg != 1 && step.ins.value != 0.5))
            return false;
    return true;
}

void KTEvaluationProgram::RunBatch(const double* xs, double* out, int count,
                                   const KTEvaluationInputs& in) const
{
    if (count <= 0)
        return;
#ifdef KT_VECTOR_PATH
    if (!s_referencePath && !m_batch.empty() && HasVectorPath()) {
        RunBlocks(xs, out, count, in);
        return;
    }
#endif
    KTEvaluationInputs each = in;
    for (int i = 0; i < count; ++i) {
        each.x = xs[i];
        out[i] = Run(each);
    }
}

#ifndef KT_VECTOR_PATH

void KTEvaluationProgram::RunBlocks(const double*, double*, int, const KTEvaluationInputs&) const {}

#else

#define KT_VECTOR __attribute__((target("avx2,fma")))

// The library's AVX2 entry points take their vectors in ymm registers: declared with the
// target, so that every compiler passes them so.
extern "C" {
KT_VECTOR __m256d _ZGVdN4v_sin(__m256d);
KT_VECTOR __m256d _ZGVdN4v_cos(__m256d);
KT_VECTOR __m256d _ZGVdN4v_exp(__m256d);
KT_VECTOR __m256d _ZGVdN4v_exp2(__m256d);
KT_VECTOR __m256d _ZGVdN4v_log(__m256d);
KT_VECTOR __m256d _ZGVdN4v_atan(__m256d);
KT_VECTOR __m256d _ZGVdN4vv_pow(__m256d, __m256d);
}

namespace {

using V = __m256d;
using Instruction = KTEvaluationProgram::Instruction;
using Op = KTEvaluationProgram::Op;

constexpr int kLanes = 64; ///< samples per block: one bit each in the block's mask
constexpr double kOrdinary = 1.0e12;
/// Bounds: two correctly rounded results of nearby exact values differ by the difference of
/// those values plus at most 2^-52 of the result; a vector and a scalar library function by
/// at most 12 * 2^-53 of it (4 and 1 units in the last place, each at most 2^-52 of it); the
/// slack covers the rounding of the bound's own arithmetic; the floor covers results below the
/// normal range.
constexpr double kRounded = 0x1p-52;
constexpr double kLibrary = 12 * 0x1p-53;
constexpr double kSlack = 1.0 + 0x1p-40;
constexpr double kFloor = 0x1p-1000;
/// A bounded value above this may round to infinity on the other path.
constexpr double kBoundedLimit = 1.0e300;
constexpr double kRelativeAgreement = 1.0e-14;

KT_VECTOR inline V Set(double c)
{
    return _mm256_set1_pd(c);
}
KT_VECTOR inline V Load(const double* p)
{
    return _mm256_loadu_pd(p);
}
KT_VECTOR inline void Store(double* p, V v)
{
    _mm256_storeu_pd(p, v);
}
KT_VECTOR inline V Magnitude(V v)
{
    return _mm256_andnot_pd(Set(-0.0), v);
}
KT_VECTOR inline V Le(V a, V b)
{
    return _mm256_cmp_pd(a, b, _CMP_LE_OQ);
}
KT_VECTOR inline V Lt(V a, V b)
{
    return _mm256_cmp_pd(a, b, _CMP_LT_OQ);
}
KT_VECTOR inline V Gt(V a, V b)
{
    return _mm256_cmp_pd(a, b, _CMP_GT_OQ);
}
KT_VECTOR inline V Ge(V a, V b)
{
    return _mm256_cmp_pd(a, b, _CMP_GE_OQ);
}
KT_VECTOR inline V Ne(V a, V b)
{
    return _mm256_cmp_pd(a, b, _CMP_NEQ_OQ);
}
KT_VECTOR inline V And(V a, V b)
{
    return _mm256_and_pd(a, b);
}
/// Neither infinite nor NaN: Run's std::isfinite.
KT_VECTOR inline V Finite(V v)
{
    return Le(Magnitude(v), Set(1.7976931348623157e308));
}
/// Lanes i..i+3 of the block whose test failed.
KT_VECTOR inline void Fail(std::uint64_t& bad, V ok, int i)
{
    bad |= static_cast<std::uint64_t>(~_mm256_movemask_pd(ok) & 0xF) << i;
}
KT_VECTOR inline V Rounded(V prop, V r)
{
    return _mm256_add_pd(
        _mm256_add_pd(_mm256_mul_pd(prop, Set(kSlack)), _mm256_mul_pd(Magnitude(r), Set(kRounded))),
        Set(kFloor));
}
KT_VECTOR inline V Library(V prop, V r)
{
    return _mm256_add_pd(
        _mm256_add_pd(_mm256_mul_pd(prop, Set(kSlack)), _mm256_mul_pd(Magnitude(r), Set(kLibrary))),
        Set(kFloor));
}
/// a <= 1e12 for Run's value too: the test that keeps sentinels out of the fast path.
KT_VECTOR inline V Ordinary(V a, V ea)
{
    return Le(_mm256_add_pd(a, ea), Set(kOrdinary));
}
/// Run's finiteness test on a result that carries a bound: far enough from overflow.
KT_VECTOR inline V FiniteBounded(V r)
{
    return Le(Magnitude(r), Set(kBoundedLimit));
}

/// An operand: a row of the block, with or without a bound.
struct RowOperand
{
    const double* row;
    const double* bound; ///< null: exactly Run's value

    KT_VECTOR V At(int i) const { return Load(row + i); }
    KT_VECTOR V BoundAt(int i) const { return bound ? Load(bound + i) : Set(0.0); }
    bool Bounded() const { return bound != nullptr; }
    bool IsConstant(double) const { return false; }
};

/// An operand: one constant for every lane, exact.
struct ConstantOperand
{
    double constant;

    KT_VECTOR V At(int) const { return Set(constant); }
    KT_VECTOR V BoundAt(int) const { return Set(0.0); }
    bool Bounded() const { return false; }
    bool IsConstant(double c) const { return constant == c; }
};

RowOperand Row(const double* row, const double* bound = nullptr)
{
    return {row, bound};
}
ConstantOperand Constant(double c)
{
    return {c};
}

enum class Arith { Add, Sub, Mul, Div };

template <Arith K> KT_VECTOR inline V Apply(V a, V b)
{
    if constexpr (K == Arith::Add)
        return _mm256_add_pd(a, b);
    else if constexpr (K == Arith::Sub)
        return _mm256_sub_pd(a, b);
    else if constexpr (K == Arith::Mul)
        return _mm256_mul_pd(a, b);
    else
        return _mm256_div_pd(a, b);
}

/// t := a op b with Run's tests: both operands ordinary, a divisor not 0, the result finite.
template <Arith K, class A, class B>
KT_VECTOR void Arithmetic(A a, B b, double* t, double* et, std::uint64_t& bad)
{
    std::uint64_t failed = 0;
    if (!a.Bounded() && !b.Bounded()) {
        for (int i = 0; i < kLanes; i += 4) {
            const V va = a.At(i);
            const V vb = b.At(i);
            const V r = Apply<K>(va, vb);
            V ok = And(And(Le(va, Set(kOrdinary)), Le(vb, Set(kOrdinary))), Finite(r));
            if constexpr (K == Arith::Div)
                ok = And(ok, Ne(vb, Set(0.0)));
            Fail(failed, ok, i);
            Store(t + i, r);
        }
        bad |= failed;
        return;
    }
    for (int i = 0; i < kLanes; i += 4) {
        const V va = a.At(i);
        const V vb = b.At(i);
        const V r = Apply<K>(va, vb);
        const V ea = a.BoundAt(i);
        const V eb = b.BoundAt(i);
        V ok = And(And(Ordinary(va, ea), Ordinary(vb, eb)), FiniteBounded(r));
        V prop;
        if constexpr (K == Arith::Add || K == Arith::Sub) {
            prop = _mm256_add_pd(ea, eb);
        } else if constexpr (K == Arith::Mul) {
            prop = _mm256_add_pd(
                _mm256_add_pd(_mm256_mul_pd(Magnitude(va), eb), _mm256_mul_pd(Magnitude(vb), ea)),
                _mm256_mul_pd(ea, eb));
        } else {
            // Run's divisor is within eb of this one: never 0 while |b| > 2 eb.
            const V margin = _mm256_sub_pd(Magnitude(vb), eb);
            ok = And(ok, Gt(Magnitude(vb), _mm256_add_pd(eb, eb)));
            prop = _mm256_div_pd(_mm256_add_pd(ea, _mm256_mul_pd(Magnitude(r), eb)), margin);
        }
        Fail(failed, ok, i);
        Store(t + i, r);
        Store(et + i, Rounded(prop, r));
    }
    bad |= failed;
}

/// Run's IntegerPower, lane by lane: the same multiplications in the same order.
KT_VECTOR inline V IntegerPower(V base, int n)
{
    V result = Set(1.0);
    V factor = base;
    while (n > 0) {
        if (n & 1)
            result = _mm256_mul_pd(result, factor);
        n >>= 1;
        if (n)
            factor = _mm256_mul_pd(factor, factor);
    }
    return result;
}

/// t := b ^ n for a whole n of 3..64, as Run's PowI.
template <class A> KT_VECTOR void WholePower(A b, int n, double* t, double* et, std::uint64_t& bad)
{
    const V odd = (n & 1) ? Set(-0.0) : Set(0.0);
    for (int i = 0; i < kLanes; i += 4) {
        const V vb = b.At(i);
        V r = IntegerPower(Magnitude(vb), n);
        // The sign of an odd power of a negative base.
        r = _mm256_xor_pd(r, And(And(Lt(vb, Set(0.0)), Set(-0.0)), odd));
        if (!b.Bounded()) {
            Fail(bad, And(Le(vb, Set(kOrdinary)), Finite(r)), i);
            Store(t + i, r);
            continue;
        }
        const V eb = b.BoundAt(i);
        Fail(bad, And(Ordinary(vb, eb), FiniteBounded(r)), i);
        // |b'^n - b^n| <= n |b' - b| (|b| + |b' - b|)^(n-1); each side rounds up to 11 times.
        const V reach = IntegerPower(_mm256_add_pd(Magnitude(vb), eb), n - 1);
        const V prop = _mm256_mul_pd(_mm256_mul_pd(Set(n), eb), reach);
        Store(t + i, r);
        Store(et + i, _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(prop, Set(kSlack)),
                                                  _mm256_mul_pd(Magnitude(r), Set(32 * 0x1p-53))),
                                    Set(kFloor)));
    }
}

/// log(b') - log(b) for |b' - b| <= eb < b / 2 is at most eb / (b - eb).
KT_VECTOR inline V LogReach(V b, V eb)
{
    return _mm256_div_pd(eb, _mm256_sub_pd(b, eb));
}

/// t := b ^ p for a positive base and a fractional exponent, as Run's Pow, PushCPowX and
/// PowC of a positive fractional constant: the library's power (2 ^ p by exp2 for a constant
/// base 2). `constantExponent`: PowC's test, which asks nothing of the exponent.
template <class A, class B>
KT_VECTOR void PositivePowerStep(A b, B p, bool constantExponent, double* t, double* et, std::uint64_t& bad)
{
    const bool baseTwo = b.IsConstant(2.0);
    for (int i = 0; i < kLanes; i += 4) {
        const V vb = b.At(i);
        const V vp = p.At(i);
        const V eb = b.BoundAt(i);
        const V ep = p.BoundAt(i);
        const V r = baseTwo ? _ZGVdN4v_exp2(vp) : _ZGVdN4vv_pow(vb, vp);
        // Run's tests, widened by the bounds.
        V ok = And(And(Gt(vb, _mm256_add_pd(eb, eb)), Ordinary(vb, eb)), FiniteBounded(r));
        if (!constantExponent) {
            const V low = _mm256_sub_pd(vp, ep);
            const V high = _mm256_add_pd(vp, ep);
            ok = And(ok, Le(_mm256_add_pd(Magnitude(vp), ep), Set(kOrdinary)));
            ok = And(ok, Lt(_mm256_floor_pd(high), low)); // no whole number within reach
            ok = And(ok, Gt(Magnitude(_mm256_sub_pd(Magnitude(vp), Set(0.5))), ep));
        }
        // log(r') - log(r) <= |p| log-reach(b) + |p' - p| (|log b| + log-reach(b)).
        V spread = p.Bounded() || b.Bounded() ? _mm256_mul_pd(Magnitude(vp), LogReach(vb, eb)) : Set(0.0);
        if (p.Bounded()) {
            const V logBase = Magnitude(_ZGVdN4v_log(vb));
            spread = _mm256_add_pd(spread, _mm256_mul_pd(ep, _mm256_add_pd(logBase, LogReach(vb, eb))));
        }
        ok = And(ok, Le(spread, Set(0.5)));
        // e^s - 1 <= s (1 + s) for s <= 1.
        const V prop = _mm256_mul_pd(_mm256_mul_pd(Magnitude(r), spread), _mm256_add_pd(Set(1.0), spread));
        const V er = Library(prop, r);
        Fail(bad, ok, i);
        Store(t + i, r);
        Store(et + i, er);
    }
}

/// t := b ^ 0.5, as the power rule has it for an ordinary positive base: the square root.
template <class A> KT_VECTOR void HalfPower(A b, double* t, double* et, std::uint64_t& bad)
{
    for (int i = 0; i < kLanes; i += 4) {
        const V vb = b.At(i);
        const V eb = b.BoundAt(i);
        const V r = _mm256_sqrt_pd(vb);
        Fail(bad, And(Gt(vb, eb), Ordinary(vb, eb)), i);
        Store(t + i, r);
        if (b.Bounded()) {
            const V below = _mm256_sqrt_pd(_mm256_max_pd(_mm256_sub_pd(vb, eb), Set(0.0)));
            Store(et + i, Rounded(_mm256_div_pd(eb, _mm256_add_pd(_mm256_add_pd(r, below), Set(kFloor))), r));
        }
    }
}

/// The one-argument functions of Run's fast path (sin, cos, exp, ln, atan, sqrt, abs).
template <class A>
KT_VECTOR void FunctionStep(Op op, A v, double scale, double* t, double* et, std::uint64_t& bad)
{
    for (int i = 0; i < kLanes; i += 4) {
        const V vv = v.At(i);
        const V ev = v.BoundAt(i);
        // Run leaves |v| > 1e12 to the full rules.
        V ok = Le(_mm256_add_pd(Magnitude(vv), ev), Set(kOrdinary));
        V r;
        V er = Set(0.0);
        switch (op) {
        case Op::Sin:
        case Op::Cos: {
            const V w = _mm256_mul_pd(vv, Set(scale));
            // The angle's bound: exact when the scale is 1.
            const V ew = scale == 1.0 ? ev : Rounded(_mm256_mul_pd(ev, Set(std::fabs(scale))), w);
            r = op == Op::Sin ? _ZGVdN4v_sin(w) : _ZGVdN4v_cos(w);
            er = Library(v.Bounded() ? ew : Set(0.0), r);
            break;
        }
        case Op::Exp: {
            r = _ZGVdN4v_exp(vv);
            ok = And(And(ok, FiniteBounded(r)), Le(ev, Set(0.5)));
            er = Library(_mm256_mul_pd(_mm256_mul_pd(Magnitude(r), ev), _mm256_add_pd(Set(1.0), ev)), r);
            break;
        }
        case Op::Ln:
            ok = And(ok, Gt(vv, _mm256_add_pd(ev, ev)));
            r = _ZGVdN4v_log(vv);
            er = Library(v.Bounded() ? LogReach(vv, ev) : Set(0.0), r);
            break;
        case Op::Atan: {
            const V a = _ZGVdN4v_atan(vv);
            const V ea = Library(ev, a);
            if (scale == 1.0) {
                r = a;
                er = ea;
            } else {
                r = _mm256_div_pd(a, Set(scale));
                er = Rounded(_mm256_div_pd(ea, Set(std::fabs(scale))), r);
            }
            break;
        }
        case Op::Sqrt:
            r = _mm256_sqrt_pd(vv);
            if (v.Bounded()) {
                ok = And(ok, Ge(vv, ev));
                const V below = _mm256_sqrt_pd(_mm256_max_pd(_mm256_sub_pd(vv, ev), Set(0.0)));
                er = Rounded(_mm256_div_pd(ev, _mm256_add_pd(_mm256_add_pd(r, below), Set(kFloor))), r);
            } else {
                ok = And(ok, Ge(vv, Set(0.0)));
            }
            break;
        default: // Abs
            r = Magnitude(vv);
            er = ev;
            break;
        }
        Fail(bad, ok, i);
        Store(t + i, r);
        Store(et + i, er);
    }
}

/// tan as Run takes it, the sine over the cosine, from the vector sine and cosine: the bound
/// takes both functions' own and the division's, and a lane whose cosine may be as small as its
/// bound (beside a pole) goes to Run.
template <class A> KT_VECTOR void TangentStep(A v, double scale, double* t, double* et, std::uint64_t& bad)
{
    for (int i = 0; i < kLanes; i += 4) {
        const V vv = v.At(i);
        const V ev = v.BoundAt(i);
        V ok = Le(_mm256_add_pd(Magnitude(vv), ev), Set(kOrdinary));
        const V w = _mm256_mul_pd(vv, Set(scale));
        const V ew = scale == 1.0 ? ev : Rounded(_mm256_mul_pd(ev, Set(std::fabs(scale))), w);
        const V sine = _ZGVdN4v_sin(w);
        const V cosine = _ZGVdN4v_cos(w);
        const V es = Library(v.Bounded() ? ew : Set(0.0), sine);
        const V ec = Library(v.Bounded() ? ew : Set(0.0), cosine);
        const V r = _mm256_div_pd(sine, cosine);
        const V room = _mm256_sub_pd(Magnitude(cosine), ec);
        ok = And(And(ok, Gt(room, Set(0.0))), Finite(r));
        const V spread = _mm256_add_pd(es, _mm256_mul_pd(Magnitude(r), ec));
        Fail(bad, ok, i);
        Store(t + i, r);
        Store(et + i, Rounded(_mm256_div_pd(spread, _mm256_max_pd(room, Set(kFloor))), r));
    }
}

/// The full rules of a function or a power, lane by lane, on an exact operand: only results
/// that are neither undefined nor a sentinel stay in the block.
void RuleByLane(const Instruction& ins, double* t, double scale, std::uint64_t& bad)
{
    for (int i = 0; i < kLanes; ++i) {
        bool undefined = false;
        const double r = ins.op == KTEvaluationProgram::Func
                             ? KTEvaluationRules::Function(ins.arg, t[i], scale, undefined)
                             : KTEvaluationRules::Binary(ASKind::Power, t[i], ins.value, undefined);
        if (undefined || KTEvaluationRules::IsSentinel(r))
            bad |= std::uint64_t{1} << i;
        t[i] = r;
    }
}

} // namespace

KT_VECTOR void KTEvaluationProgram::RunBlocks(const double* xs, double* out, int count,
                                              const KTEvaluationInputs& in) const
{
    // The caller's code may have left the upper halves of the vector registers in use, which
    // makes every later scalar instruction wait on them; this block form leaves them clean.
    _mm256_zeroupper();
    KTEvaluationInputs each = in;
    if (m_linear) {
        // A line needs no block: RunLinear's multiply, add and test over the row.
        const V slope = Set(m_slope);
        const V intercept = Set(m_intercept);
        int i = 0;
        for (; i + 4 <= count; i += 4) {
            const V vx = Load(xs + i);
            const V scaled = _mm256_mul_pd(vx, slope);
            const V r = _mm256_add_pd(scaled, intercept);
            Store(out + i, r);
            const V ok = And(And(Le(vx, Set(kOrdinary)), Le(scaled, Set(kOrdinary))), Finite(r));
            if (_mm256_movemask_pd(ok) != 0xF) [[unlikely]] {
                for (int k = i; k < i + 4; ++k) {
                    each.x = xs[k];
                    out[k] = Run(each);
                }
            }
        }
        for (; i < count; ++i) {
            each.x = xs[i];
            out[i] = Run(each);
        }
        return;
    }
    thread_local std::vector<double> scratch;
    const std::size_t rows = static_cast<std::size_t>(m_batchSlots) * 2 + 1;
    if (scratch.size() < rows * kLanes)
        scratch.resize(rows * kLanes);
    double* const x = scratch.data();
    double* const values = x + kLanes;
    double* const bounds = values + static_cast<std::size_t>(m_batchSlots) * kLanes;
    const auto value = [values](int slot) { return values + static_cast<std::ptrdiff_t>(slot) * kLanes; };
    const auto bound = [bounds](int slot) { return bounds + static_cast<std::ptrdiff_t>(slot) * kLanes; };
    const double scale = in.angleScale;

    for (int start = 0; start < count; start += kLanes) {
        const int n = std::min(kLanes, count - start);
        // A short block repeats its last x, so that every lane computes something Run could.
        std::copy(xs + start, xs + start + n, x);
        std::fill(x + n, x + kLanes, xs[start + n - 1]);
        std::uint64_t bad = 0;

        for (const BatchStep& step : m_batch) {
            const Instruction& ins = step.ins;
            double* t = value(step.slot);
            double* et = bound(step.slot);
            const RowOperand top = Row(t, step.boundA ? et : nullptr);
            switch (ins.op) {
            case PushConst:
            case PushY:
            case PushParam: {
                const double c = ins.op == PushConst ? ins.value
                                 : ins.op == PushY ? in.y
                                                   : (in.constants ? in.constants[ins.arg] : 0.0);
                std::fill(t, t + kLanes, c);
                break;
            }
            case PushX: std::copy(x, x + kLanes, t); break;
            case PushXMulC: Arithmetic<Arith::Mul>(Row(x), Constant(ins.value), t, et, bad); break;
            case PushXLinear:
                Arithmetic<Arith::Mul>(Row(x), Constant(ins.value), t, et, bad);
                Arithmetic<Arith::Add>(Row(t), Constant(ins.value2), t, et, bad);
                break;
            case PushXSqr: Arithmetic<Arith::Mul>(Row(x), Row(x), t, et, bad); break;
            case DivXLinear: {
                // The divisor x * c + c2 is built in the slot above, free at this point.
                double* d = value(step.slot + 1);
                Arithmetic<Arith::Mul>(Row(x), Constant(ins.value), d, nullptr, bad);
                Arithmetic<Arith::Add>(Row(d), Constant(ins.value2), d, nullptr, bad);
                Arithmetic<Arith::Div>(top, Row(d), t, et, bad);
                break;
            }
            case Add:
            case Sub:
            case Mul:
            case Div: {
                const RowOperand right =
                    Row(value(step.slot + 1), step.boundB ? bound(step.slot + 1) : nullptr);
                if (ins.op == Add)
                    Arithmetic<Arith::Add>(top, right, t, et, bad);
                else if (ins.op == Sub)
                    Arithmetic<Arith::Sub>(top, right, t, et, bad);
                else if (ins.op == Mul)
                    Arithmetic<Arith::Mul>(top, right, t, et, bad);
                else
                    Arithmetic<Arith::Div>(top, right, t, et, bad);
                break;
            }
            case AddC: Arithmetic<Arith::Add>(top, Constant(ins.value), t, et, bad); break;
            case SubC: Arithmetic<Arith::Sub>(top, Constant(ins.value), t, et, bad); break;
            case MulC: Arithmetic<Arith::Mul>(top, Constant(ins.value), t, et, bad); break;
            case DivC: Arithmetic<Arith::Div>(top, Constant(ins.value), t, et, bad); break;
            case RSubC: Arithmetic<Arith::Sub>(Constant(ins.value), top, t, et, bad); break;
            case RDivC: Arithmetic<Arith::Div>(Constant(ins.value), top, t, et, bad); break;
            case Sqr: Arithmetic<Arith::Mul>(top, top, t, et, bad); break;
            case AddX: Arithmetic<Arith::Add>(top, Row(x), t, et, bad); break;
            case SubX: Arithmetic<Arith::Sub>(top, Row(x), t, et, bad); break;
            case MulX: Arithmetic<Arith::Mul>(top, Row(x), t, et, bad); break;
            case DivX: Arithmetic<Arith::Div>(top, Row(x), t, et, bad); break;
            case PushXPowI: WholePower(Row(x), ins.arg, t, et, bad); break;
            case PowI: WholePower(top, ins.arg, t, et, bad); break;
            case PushXPowC: PositivePowerStep(Row(x), Constant(ins.value), true, t, et, bad); break;
            case PushCPowX: PositivePowerStep(Constant(ins.value), Row(x), false, t, et, bad); break;
            case Pow: {
                const RowOperand exponent =
                    Row(value(step.slot + 1), step.boundB ? bound(step.slot + 1) : nullptr);
                PositivePowerStep(top, exponent, false, t, et, bad);
                break;
            }
            case PowC:
                if (ins.arg == 1)
                    PositivePowerStep(top, Constant(ins.value), true, t, et, bad);
                else if (ins.value == 0.5)
                    HalfPower(top, t, et, bad);
                else
                    RuleByLane(ins, t, scale, bad);
                break;
            case Abs:
            case Sin:
            case Cos:
            case Exp:
            case Ln:
            case Atan:
            case Sqrt: FunctionStep(ins.op, top, scale, t, et, bad); break;
            case Func:
                if (ins.arg == ASKind::Tan)
                    TangentStep(top, scale, t, et, bad);
                else
                    RuleByLane(ins, t, scale, bad);
                break;
            }
        }

        // Run returns a finite value as it is; one that carries a bound must also be near
        // enough to Run's and out of the sentinels' reach.
        const double* t = value(0);
        const double* et = bound(0);
        for (int i = 0; i < kLanes; i += 4) {
            const V r = Load(t + i);
            V ok = Finite(r);
            if (m_batchResultBound) {
                const V er = Load(et + i);
                ok = And(ok, Le(er, _mm256_mul_pd(Magnitude(r), Set(kRelativeAgreement))));
                ok = And(ok, _mm256_or_pd(Lt(r, Set(kOrdinary)), Gt(r, Set(1000000000002.0))));
            }
            Fail(bad, ok, i);
        }
        std::copy(t, t + n, out + start);
        if (n < kLanes)
            bad &= (std::uint64_t{1} << n) - 1;
        while (bad) {
            const int i = __builtin_ctzll(bad);
            bad &= bad - 1;
            each.x = x[i];
            out[start + i] = Run(each);
        }
    }
}

#endif
