// The interval form of the evaluation program: the operations of Run over ranges of operands
// (KTIntervalRules), and with them, where asked, the ranges of the partial derivatives by x and
// y (forward differentiation, each rule's derivative over the same ranges).
//
// One value read twice is the usual reason a range is wider than the values it bounds (x - x
// over [0, 1] is [-1, 1]); the most common cases, x * x, x - x and x / x with the same variable
// on both sides, are taken as the one value they are.

#include "engine/KTEvaluationProgram.h"
#include "engine/KTIntervalRules.h"

#include "engine/ASTokenKind.h"
#include "foundation/KTRealStack.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <numbers>
#include <optional>
#include <type_traits>

namespace {

using namespace KTIntervalRules;

/// What a stacked range is, where it is one of the inputs itself.
enum class Source : std::uint8_t { Other, X, Y };

const KTInterval kZero = KTInterval::Point(0.0);
const KTInterval kOne = KTInterval::Point(1.0);

// The derivatives of most steps are sums and products with 0 or 1 (the derivatives of x and y,
// of constants): those are taken as they stand.
[[gnu::always_inline]] inline bool IsExactly(const KTInterval& v, double c)
{
    return v.m_lo == c && v.m_hi == c;
}

[[gnu::always_inline]] inline KTInterval Add(const KTInterval& a, const KTInterval& b)
{
    if (IsExactly(a, 0.0))
        return b;
    if (IsExactly(b, 0.0))
        return a;
    return KTIntervalRules::Add(a, b);
}

[[gnu::always_inline]] inline KTInterval Sub(const KTInterval& a, const KTInterval& b)
{
    if (IsExactly(b, 0.0))
        return a;
    return KTIntervalRules::Subtract(a, b);
}

[[gnu::always_inline]] inline KTInterval Mul(const KTInterval& a, const KTInterval& b)
{
    if (IsExactly(a, 0.0) || IsExactly(b, 0.0))
        return kZero;
    if (IsExactly(a, 1.0))
        return b;
    if (IsExactly(b, 1.0))
        return a;
    return KTIntervalRules::Multiply(a, b);
}

KTInterval Div(const KTInterval& a, const KTInterval& b)
{
    return Binary(ASKind::Divide, a, b);
}

KTInterval Constant(double c)
{
    // A sentinel as an operand makes the step undefined.
    return KTEvaluationRules::IsSentinel(c) ? KTInterval::Empty() : KTInterval::Point(c);
}

// ---- Values alone --------------------------------------------------------------------------------

/// The operations of the program on ranges of values.
struct Values
{
    using Range = KTInterval;

    static Range Point(double c) { return Constant(c); }
    static Range X(const KTIntervalInputs& in) { return in.x; }
    static Range Y(const KTIntervalInputs& in) { return in.y; }
    static KTInterval& Of(Range& r) { return r; }
    static Range Binary(int kind, const Range& a, const Range& b)
    {
        return KTIntervalRules::Binary(kind, a, b);
    }
    static Range Square(const Range& a) { return KTIntervalRules::Square(a); }
    static Range PowerOf(const Range& a, double p) { return KTIntervalRules::PowerOf(a, p); }
    static Range Power(const Range& a, const Range& p) { return KTIntervalRules::Power(a, p); }
    static Range Function(int kind, const Range& a, double s, bool gaps)
    {
        return KTIntervalRules::Function(kind, a, s, gaps);
    }
    static Range SameInput(int kind, const Range& a)
    {
        switch (kind) {
        case ASKind::Multiply: return KTIntervalRules::Square(a);
        case ASKind::Minus: return {0.0, 0.0, a.m_partial};
        default:
            if (a.m_lo == 0.0 && a.m_hi == 0.0)
                return KTInterval::Empty();
            return {1.0, 1.0, a.m_partial || a.Contains(0.0)};
        }
    }
};

// ---- Values and derivatives ----------------------------------------------------------------------

/// The derivative of a one-argument function (times the argument's derivative) over the range
/// of its argument v, with r its range of values. A function that jumps inside the range (gint)
/// has no bound on its slope there.
KTInterval FunctionSlope(int kind, const KTInterval& v, const KTInterval& r, double s)
{
    const KTInterval scale = KTInterval::Point(s);
    switch (kind) {
    case ASKind::Sin: return Mul(Function(ASKind::Cos, v, s), scale);
    case ASKind::Cos: return Mul(Sub(kZero, Function(ASKind::Sin, v, s)), scale);
    case ASKind::Tan: return Mul(Add(kOne, Square(r)), scale);
    case ASKind::Cot: return Mul(Sub(kZero, Add(kOne, Square(r))), scale);
    case ASKind::Sec: return Mul(Mul(r, Function(ASKind::Tan, v, s)), scale);
    case ASKind::Cosec: return Mul(Sub(kZero, Mul(r, Function(ASKind::Cot, v, s))), scale);
    case ASKind::ArcSin:
    case ASKind::ArcCos: {
        const KTInterval root = Function(ASKind::Sqrt, Sub(kOne, Square(v)), 1.0);
        const KTInterval d = Div(KTInterval::Point(1.0 / s), root);
        return kind == ASKind::ArcSin ? d : Sub(kZero, d);
    }
    case ASKind::ArcTan: return Div(KTInterval::Point(1.0 / s), Add(kOne, Square(v)));
    case ASKind::Abs:
        if (v.m_lo >= 0.0)
            return kOne;
        if (v.m_hi <= 0.0)
            return KTInterval::Point(-1.0);
        return {-1.0, 1.0};
    case ASKind::Gint: return std::floor(v.m_lo) == std::floor(v.m_hi) ? kZero : KTInterval::Entire();
    case ASKind::Exp: return r;
    case ASKind::Ln: return Div(kOne, v);
    case ASKind::Log: return Div(KTInterval::Point(1.0 / std::log(10.0)), v);
    case ASKind::Sqrt: return Div(KTInterval::Point(0.5), r);
    case ASKind::Cosh: return Function(ASKind::Sinh, v, s);
    case ASKind::Sinh: return Function(ASKind::Cosh, v, s);
    case ASKind::Tanh: return Sub(kOne, Square(r));
    case ASKind::Normal: return Sub(kZero, Mul(v, r));
    default: return KTInterval::Entire();
    }
}

/// A derivative's range, or any value where its rule has none (the slope of sqrt at 0 times a
/// derivative of 0, a range divided by [0, 0]): nothing is known of it there.
[[gnu::always_inline]] inline KTInterval Known(const KTInterval& d)
{
    return d.IsEmpty() ? KTInterval::Entire() : d;
}

/// The operations of the program on ranges of values with their derivatives by x and y.
struct Slopes
{
    using Range = KTIntervalGradient;

    static Range Make(const KTInterval& value, const KTInterval& dx, const KTInterval& dy)
    {
        return {value, Known(dx), Known(dy)};
    }

    static Range Point(double c) { return {Constant(c), kZero, kZero}; }
    static Range X(const KTIntervalInputs& in) { return {in.x, kOne, kZero}; }
    static Range Y(const KTIntervalInputs& in) { return {in.y, kZero, kOne}; }
    static KTInterval& Of(Range& r) { return r.value; }
    /// d(f(u)) = f'(u) du for both derivatives.
    static Range Chain(const KTInterval& value, const KTInterval& slope, const Range& u)
    {
        const KTInterval known = Known(slope);
        return Make(value, Mul(known, u.dx), Mul(known, u.dy));
    }
    static Range Binary(int kind, const Range& a, const Range& b)
    {
        const KTInterval value = KTIntervalRules::Binary(kind, a.value, b.value);
        switch (kind) {
        case ASKind::Plus: return Make(value, Add(a.dx, b.dx), Add(a.dy, b.dy));
        case ASKind::Minus: return Make(value, Sub(a.dx, b.dx), Sub(a.dy, b.dy));
        case ASKind::Multiply:
            return Make(value, Add(Mul(a.dx, b.value), Mul(a.value, b.dx)),
                        Add(Mul(a.dy, b.value), Mul(a.value, b.dy)));
        case ASKind::Divide:
            // (a / b)' = (a' - (a / b) b') / b
            return Make(value, Div(Sub(a.dx, Mul(value, b.dx)), b.value),
                        Div(Sub(a.dy, Mul(value, b.dy)), b.value));
        default: return Power(a, b);
        }
    }
    static Range Square(const Range& a)
    {
        const KTInterval twice = Mul(KTInterval::Point(2.0), a.value);
        return Chain(KTIntervalRules::Square(a.value), twice, a);
    }
    static Range PowerOf(const Range& a, double p)
    {
        const KTInterval value = KTIntervalRules::PowerOf(a.value, p);
        // p a ^ (p - 1); 0 ^ 0 is 0 by the power rule, not 1: a jump at 0.
        KTInterval slope = p == 0.0 ? (a.value.Contains(0.0) ? KTInterval::Entire() : kZero)
                                    : Mul(KTInterval::Point(p), KTIntervalRules::PowerOf(a.value, p - 1.0));
        return Chain(value, slope, a);
    }
    static Range Power(const Range& a, const Range& p)
    {
        if (p.value.m_lo == p.value.m_hi && p.dx.m_lo == 0.0 && p.dx.m_hi == 0.0 && p.dy.m_lo == 0.0 &&
            p.dy.m_hi == 0.0)
            return PowerOf(a, p.value.m_lo);
        const KTInterval value = KTIntervalRules::Power(a.value, p.value);
        if (!(a.value.m_lo > 0.0))
            return {value, KTInterval::Entire(), KTInterval::Entire()};
        // (a ^ p)' = a ^ p (p' ln a + p a' / a)
        const KTInterval ln = KTIntervalRules::Function(ASKind::Ln, a.value, 1.0);
        const KTInterval ratio = Div(p.value, a.value);
        return Make(value, Mul(value, Add(Mul(p.dx, ln), Mul(ratio, a.dx))),
                    Mul(value, Add(Mul(p.dy, ln), Mul(ratio, a.dy))));
    }
    static Range Function(int kind, const Range& a, double s, bool gaps)
    {
        if (kind == ASKind::Sin || kind == ASKind::Cos) {
            KTInterval sine;
            KTInterval cosine;
            KTIntervalRules::SineCosine(a.value, s, sine, cosine);
            const KTInterval slope = kind == ASKind::Sin ? Mul(cosine, KTInterval::Point(s))
                                                         : Mul(Negated(sine), KTInterval::Point(s));
            return Chain(kind == ASKind::Sin ? sine : cosine, slope, a);
        }
        const KTInterval value = KTIntervalRules::Function(kind, a.value, s, gaps);
        return Chain(value, FunctionSlope(kind, a.value, value, s), a);
    }
    static Range SameInput(int kind, const Range& a)
    {
        switch (kind) {
        case ASKind::Multiply: return Square(a);
        case ASKind::Minus: return {Values::SameInput(kind, a.value), kZero, kZero};
        default: return {Values::SameInput(kind, a.value), kZero, kZero};
        }
    }
};

// ---- The walk ------------------------------------------------------------------------------------

template <class Algebra>
typename Algebra::Range Walk(const std::vector<KTEvaluationProgram::Instruction>& ops,
                             const KTIntervalInputs& in)
{
    using Range = typename Algebra::Range;
    using P = KTEvaluationProgram;
    // Slots are written before they are read: left unset, as a program has few of its 200.
    union Slot {
        Slot() {}
        Range range;
    };
    Slot slots[KTRealStack::kSlots];
    static_assert(std::is_trivially_copyable_v<Range>);
    Source source[KTRealStack::kSlots];
    int sp = -1;
    bool partial = false;
    bool jumps = false;
    bool scattered = false;
    const Range x = Algebra::X(in);
    const double s = in.angleScale;

    const auto push = [&](const Range& v, Source from) {
        slots[++sp].range = v;
        source[sp] = from;
    };
    // The top becomes `left kind right`.
    const auto binary = [&](int kind, const Range& left, Source leftFrom, const Range& right,
                            Source rightFrom) {
        const bool same = leftFrom != Source::Other && leftFrom == rightFrom &&
                          (kind == ASKind::Multiply || kind == ASKind::Minus || kind == ASKind::Divide);
        slots[sp].range = same ? Algebra::SameInput(kind, left) : Algebra::Binary(kind, left, right);
        source[sp] = Source::Other;
    };
    const auto unary = [&](const Range& r) {
        slots[sp].range = r;
        source[sp] = Source::Other;
    };

    for (const P::Instruction& ins : ops) {
        switch (ins.op) {
        case P::PushConst: push(Algebra::Point(ins.value), Source::Other); break;
        case P::PushX: push(x, Source::X); break;
        case P::PushY: push(Algebra::Y(in), Source::Y); break;
        case P::PushParam:
            push(Algebra::Point(in.constants ? in.constants[ins.arg] : 0.0), Source::Other);
            break;
        case P::PushXMulC:
            push(x, Source::X);
            binary(ASKind::Multiply, x, Source::X, Algebra::Point(ins.value), Source::Other);
            break;
        case P::PushXLinear:
            push(x, Source::X);
            binary(ASKind::Multiply, x, Source::X, Algebra::Point(ins.value), Source::Other);
            binary(ASKind::Plus, slots[sp].range, Source::Other, Algebra::Point(ins.value2), Source::Other);
            break;
        case P::PushXSqr:
            push(x, Source::X);
            unary(Algebra::Square(x));
            break;
        case P::DivXLinear: {
            const Range line =
                Algebra::Binary(ASKind::Plus, Algebra::Binary(ASKind::Multiply, x, Algebra::Point(ins.value)),
                                Algebra::Point(ins.value2));
            binary(ASKind::Divide, slots[sp].range, source[sp], line, Source::Other);
            break;
        }
        case P::Add:
        case P::Sub:
        case P::Mul:
        case P::Div:
        case P::Pow: {
            const int kind = ins.op == P::Add   ? ASKind::Plus
                             : ins.op == P::Sub ? ASKind::Minus
                             : ins.op == P::Mul ? ASKind::Multiply
                             : ins.op == P::Div ? ASKind::Divide
                                                : ASKind::Power;
            const Range right = slots[sp].range;
            const Source rightFrom = source[sp];
            --sp;
            binary(kind, slots[sp].range, source[sp], right, rightFrom);
            break;
        }
        case P::AddC:
            binary(ASKind::Plus, slots[sp].range, source[sp], Algebra::Point(ins.value), Source::Other);
            break;
        case P::SubC:
            binary(ASKind::Minus, slots[sp].range, source[sp], Algebra::Point(ins.value), Source::Other);
            break;
        case P::MulC:
            binary(ASKind::Multiply, slots[sp].range, source[sp], Algebra::Point(ins.value), Source::Other);
            break;
        case P::DivC:
            binary(ASKind::Divide, slots[sp].range, source[sp], Algebra::Point(ins.value), Source::Other);
            break;
        case P::RSubC:
            binary(ASKind::Minus, Algebra::Point(ins.value), Source::Other, slots[sp].range, source[sp]);
            break;
        case P::RDivC:
            binary(ASKind::Divide, Algebra::Point(ins.value), Source::Other, slots[sp].range, source[sp]);
            break;
        case P::Sqr: unary(Algebra::Square(slots[sp].range)); break;
        case P::AddX: binary(ASKind::Plus, slots[sp].range, source[sp], x, Source::X); break;
        case P::SubX: binary(ASKind::Minus, slots[sp].range, source[sp], x, Source::X); break;
        case P::MulX: binary(ASKind::Multiply, slots[sp].range, source[sp], x, Source::X); break;
        case P::DivX: binary(ASKind::Divide, slots[sp].range, source[sp], x, Source::X); break;
        case P::PushXPowI:
        case P::PushXPowC:
            push(x, Source::X);
            unary(Algebra::PowerOf(x, ins.value));
            break;
        case P::PowI:
        case P::PowC: unary(Algebra::PowerOf(slots[sp].range, ins.value)); break;
        case P::PushCPowX:
            push(x, Source::X);
            unary(Algebra::Power(Algebra::Point(ins.value), x));
            break;
        case P::Sin:
        case P::Cos:
        case P::Exp:
        case P::Sqrt:
        case P::Ln:
        case P::Abs:
        case P::Atan:
        case P::Func: unary(Algebra::Function(ins.arg, slots[sp].range, s, in.gaps)); break;
        }
        const KTInterval& top = Algebra::Of(slots[sp].range);
        if (top.IsEmpty())
            return Range{}; // one undefined step makes the whole result undefined
        partial = partial || top.m_partial;
        jumps = jumps || top.m_jumps;
        scattered = scattered || top.m_scattered;
    }
    if (sp < 0)
        return Range{};
    Range result = slots[sp].range;
    Algebra::Of(result).m_partial = partial;
    Algebra::Of(result).m_jumps = jumps;
    Algebra::Of(result).m_scattered = scattered;
    return result;
}

// ---- The lean walks -----------------------------------------------------------------------------
//
// An implicit plot takes hundreds of thousands of bounds, each of a few operations: there the
// generic walk's copies of whole ranges (and of ranges with their derivatives) for every operand
// and result cost more than the rules themselves. These walks apply the same rules to the same
// operands in the same order, so their ranges are the generic walk's to the last bit, but each
// operation works on its stack slot in place and the common operations take their operands as
// they stand.

/// What a walk met on the way to its last range: the flags the result takes.
struct WalkFlags
{
    bool partial = false;
    bool jumps = false;
    bool scattered = false;
};

inline const KTInterval& Value(const KTInterval& r)
{
    return r;
}

inline const KTInterval& Value(const KTIntervalGradient& g)
{
    return g.value;
}

/// A piece's range, taken by the walk in place of the piece's operations.
template <class Range> struct PieceRange
{
    std::int32_t first, last;
    Range range;
    WalkFlags flags;
    bool emptied; ///< a range of the piece was empty: so is the program's
};

/// The kept range of the piece at which a walk has come, on the stack in place of its
/// operations, with its flags. False where a range of it was empty (so is the walk's).
template <class Range>
[[gnu::always_inline]] inline bool PushPiece(const PieceRange<Range>& piece, Range* st, Source* source, int& sp,
                                             bool& partial, bool& jumps, bool& scattered)
{
    if (piece.emptied)
        return false;
    st[++sp] = piece.range;
    source[sp] = Source::Other;
    partial = partial || piece.flags.partial;
    jumps = jumps || piece.flags.jumps;
    scattered = scattered || piece.flags.scattered;
    return true;
}

/// The value-only walk of `count` operations; with `pieces`, those of each piece are replaced
/// by its range. Empty where a range on the way came out empty; else the last range with the
/// flags of every range on the way, or (Raw) as it stands, those flags in `flags`.
template <bool WithPieces, bool Raw>
KTInterval LeanValuesWalk(const KTEvaluationProgram::Instruction* ops, int count, const KTIntervalInputs& in,
                          const PieceRange<KTInterval>* const* pieces, int pieceCount, WalkFlags* flags)
{
    using P = KTEvaluationProgram;
    namespace R = KTIntervalRules;
    union Slots {
        Slots() {}
        KTInterval at[KTRealStack::kSlots];
    } slots;
    static_assert(std::is_trivially_copyable_v<KTInterval>);
    KTInterval* const st = slots.at;
    Source source[KTRealStack::kSlots];
    int sp = -1;
    bool partial = false;
    bool jumps = false;
    bool scattered = false;
    const KTInterval& x = in.x;
    const double s = in.angleScale;
    // x * x, x - x and x / x of one variable as the one value they are.
    const auto sameOrBinary = [&](int kind, KTInterval& left, Source leftFrom, const KTInterval& right,
                                  Source rightFrom) {
        if (leftFrom != Source::Other && leftFrom == rightFrom)
            left = Values::SameInput(kind, left);
        else
            left = KTIntervalRules::Binary(kind, left, right);
    };

    int next = 0; // the next piece
    for (int k = 0; k < count; ++k) {
        if constexpr (WithPieces) {
            if (next < pieceCount && k == pieces[next]->first) {
                const PieceRange<KTInterval>& piece = *pieces[next++];
                if (!PushPiece(piece, st, source, sp, partial, jumps, scattered))
                    return {};
                k = piece.last;
                continue;
            }
        }
        const P::Instruction& ins = ops[k];
        Source from = Source::Other;
        switch (ins.op) {
        case P::PushConst: st[++sp] = Constant(ins.value); break;
        case P::PushX:
            st[++sp] = x;
            from = Source::X;
            break;
        case P::PushY:
            st[++sp] = in.y;
            from = Source::Y;
            break;
        case P::PushParam: st[++sp] = Constant(in.constants ? in.constants[ins.arg] : 0.0); break;
        case P::PushXMulC: st[++sp] = R::Multiply(x, Constant(ins.value)); break;
        case P::PushXLinear: st[++sp] = R::Add(R::Multiply(x, Constant(ins.value)), Constant(ins.value2)); break;
        case P::PushXSqr: st[++sp] = R::Square(x); break;
        case P::DivXLinear:
            st[sp] = R::Divide(st[sp], R::Add(R::Multiply(x, Constant(ins.value)), Constant(ins.value2)));
            break;
        case P::Add:
            --sp;
            st[sp] = R::Add(st[sp], st[sp + 1]);
            break;
        case P::Sub:
            --sp;
            sameOrBinary(ASKind::Minus, st[sp], source[sp], st[sp + 1], source[sp + 1]);
            break;
        case P::Mul:
            --sp;
            sameOrBinary(ASKind::Multiply, st[sp], source[sp], st[sp + 1], source[sp + 1]);
            break;
        case P::Div:
            --sp;
            sameOrBinary(ASKind::Divide, st[sp], source[sp], st[sp + 1], source[sp + 1]);
            break;
        case P::Pow:
            --sp;
            st[sp] = R::Power(st[sp], st[sp + 1]);
            break;
        case P::AddC: st[sp] = R::Add(st[sp], Constant(ins.value)); break;
        case P::SubC: st[sp] = R::Subtract(st[sp], Constant(ins.value)); break;
        case P::MulC: st[sp] = R::Multiply(st[sp], Constant(ins.value)); break;
        case P::DivC: st[sp] = R::Divide(st[sp], Constant(ins.value)); break;
        case P::RSubC: st[sp] = R::Subtract(Constant(ins.value), st[sp]); break;
        case P::RDivC: st[sp] = R::Divide(Constant(ins.value), st[sp]); break;
        case P::Sqr: st[sp] = R::Square(st[sp]); break;
        case P::AddX: st[sp] = R::Add(st[sp], x); break;
        case P::SubX: sameOrBinary(ASKind::Minus, st[sp], source[sp], x, Source::X); break;
        case P::MulX: sameOrBinary(ASKind::Multiply, st[sp], source[sp], x, Source::X); break;
        case P::DivX: sameOrBinary(ASKind::Divide, st[sp], source[sp], x, Source::X); break;
        case P::PushXPowI:
        case P::PushXPowC: st[++sp] = R::PowerOf(x, ins.value); break;
        case P::PowI:
        case P::PowC: st[sp] = R::PowerOf(st[sp], ins.value); break;
        case P::PushCPowX: st[++sp] = R::Power(Constant(ins.value), x); break;
        case P::Sin:
        case P::Cos:
        case P::Exp:
        case P::Sqrt:
        case P::Ln:
        case P::Abs:
        case P::Atan:
        case P::Func: st[sp] = R::Function(ins.arg, st[sp], s, in.gaps); break;
        }
        source[sp] = from;
        if (st[sp].IsEmpty())
            return {};
        // Branch-free: every step passes here.
        partial |= st[sp].m_partial;
        jumps |= st[sp].m_jumps;
        scattered |= st[sp].m_scattered;
    }
    if (sp < 0)
        return {};
    KTInterval result = st[sp];
    if constexpr (Raw) {
        *flags = {partial, jumps, scattered};
    } else {
        result.m_partial = partial;
        result.m_jumps = jumps;
        result.m_scattered = scattered;
    }
    return result;
}


/// d(f(u)) = f'(u) du for both derivatives, u becoming f(u).
[[gnu::always_inline]] inline void ChainInPlace(KTIntervalGradient& u, const KTInterval& value,
                                                const KTInterval& slope)
{
    const KTInterval known = Known(slope);
    u.dx = Known(Mul(known, u.dx));
    u.dy = Known(Mul(known, u.dy));
    u.value = value;
}

/// left := left kind right, with Slopes::Binary's rules, in place.
[[gnu::always_inline]] inline void BinaryInPlace(int kind, KTIntervalGradient& a, const KTIntervalGradient& b)
{
    switch (kind) {
    case ASKind::Plus:
        a.dx = Known(Add(a.dx, b.dx));
        a.dy = Known(Add(a.dy, b.dy));
        a.value = KTIntervalRules::Add(a.value, b.value);
        return;
    case ASKind::Minus:
        a.dx = Known(Sub(a.dx, b.dx));
        a.dy = Known(Sub(a.dy, b.dy));
        a.value = KTIntervalRules::Subtract(a.value, b.value);
        return;
    case ASKind::Multiply:
        a.dx = Known(Add(Mul(a.dx, b.value), Mul(a.value, b.dx)));
        a.dy = Known(Add(Mul(a.dy, b.value), Mul(a.value, b.dy)));
        a.value = KTIntervalRules::Multiply(a.value, b.value);
        return;
    case ASKind::Divide: {
        const KTInterval value = KTIntervalRules::Divide(a.value, b.value);
        a.dx = Known(Div(Sub(a.dx, Mul(value, b.dx)), b.value));
        a.dy = Known(Div(Sub(a.dy, Mul(value, b.dy)), b.value));
        a.value = value;
        return;
    }
    default: a = Slopes::Power(a, b); return;
    }
}

[[gnu::always_inline]] inline void SquareInPlace(KTIntervalGradient& a)
{
    const KTInterval twice = Mul(KTInterval::Point(2.0), a.value);
    ChainInPlace(a, KTIntervalRules::Square(a.value), twice);
}

/// The walk of values with their derivatives by x and y, as LeanValuesWalk.
template <bool WithPieces, bool Raw>
KTIntervalGradient LeanSlopesWalk(const KTEvaluationProgram::Instruction* ops, int count, const KTIntervalInputs& in,
                                  const PieceRange<KTIntervalGradient>* const* pieces, int pieceCount,
                                  WalkFlags* flags)
{
    using P = KTEvaluationProgram;
    using G = KTIntervalGradient;
    union Slots {
        Slots() {}
        G at[KTRealStack::kSlots];
    } slots;
    static_assert(std::is_trivially_copyable_v<G>);
    G* const st = slots.at;
    Source source[KTRealStack::kSlots];
    int sp = -1;
    bool partial = false;
    bool jumps = false;
    bool scattered = false;
    const G x{in.x, kOne, kZero};
    const double s = in.angleScale;
    const auto point = [](double c) { return G{Constant(c), kZero, kZero}; };
    const auto sameOrBinary = [&](int kind, G& left, Source leftFrom, const G& right, Source rightFrom) {
        if (leftFrom == Source::Other || leftFrom != rightFrom)
            BinaryInPlace(kind, left, right);
        else if (kind == ASKind::Multiply)
            SquareInPlace(left);
        else
            left = {Values::SameInput(kind, left.value), kZero, kZero};
    };

    int next = 0; // the next piece
    for (int k = 0; k < count; ++k) {
        if constexpr (WithPieces) {
            if (next < pieceCount && k == pieces[next]->first) {
                const PieceRange<KTIntervalGradient>& piece = *pieces[next++];
                if (!PushPiece(piece, st, source, sp, partial, jumps, scattered))
                    return {};
                k = piece.last;
                continue;
            }
        }
        const P::Instruction& ins = ops[k];
        Source from = Source::Other;
        switch (ins.op) {
        case P::PushConst: st[++sp] = point(ins.value); break;
        case P::PushX:
            st[++sp] = x;
            from = Source::X;
            break;
        case P::PushY:
            st[++sp] = {in.y, kZero, kOne};
            from = Source::Y;
            break;
        case P::PushParam: st[++sp] = point(in.constants ? in.constants[ins.arg] : 0.0); break;
        case P::PushXMulC:
            st[++sp] = x;
            BinaryInPlace(ASKind::Multiply, st[sp], point(ins.value));
            break;
        case P::PushXLinear:
            st[++sp] = x;
            BinaryInPlace(ASKind::Multiply, st[sp], point(ins.value));
            BinaryInPlace(ASKind::Plus, st[sp], point(ins.value2));
            break;
        case P::PushXSqr:
            st[++sp] = x;
            SquareInPlace(st[sp]);
            break;
        case P::DivXLinear: {
            G line = x;
            BinaryInPlace(ASKind::Multiply, line, point(ins.value));
            BinaryInPlace(ASKind::Plus, line, point(ins.value2));
            BinaryInPlace(ASKind::Divide, st[sp], line);
            break;
        }
        case P::Add:
            --sp;
            BinaryInPlace(ASKind::Plus, st[sp], st[sp + 1]);
            break;
        case P::Sub:
            --sp;
            sameOrBinary(ASKind::Minus, st[sp], source[sp], st[sp + 1], source[sp + 1]);
            break;
        case P::Mul:
            --sp;
            sameOrBinary(ASKind::Multiply, st[sp], source[sp], st[sp + 1], source[sp + 1]);
            break;
        case P::Div:
            --sp;
            sameOrBinary(ASKind::Divide, st[sp], source[sp], st[sp + 1], source[sp + 1]);
            break;
        case P::Pow:
            --sp;
            st[sp] = Slopes::Power(st[sp], st[sp + 1]);
            break;
        case P::AddC: BinaryInPlace(ASKind::Plus, st[sp], point(ins.value)); break;
        case P::SubC: BinaryInPlace(ASKind::Minus, st[sp], point(ins.value)); break;
        case P::MulC: BinaryInPlace(ASKind::Multiply, st[sp], point(ins.value)); break;
        case P::DivC: BinaryInPlace(ASKind::Divide, st[sp], point(ins.value)); break;
        case P::RSubC: {
            G c = point(ins.value);
            BinaryInPlace(ASKind::Minus, c, st[sp]);
            st[sp] = c;
            break;
        }
        case P::RDivC: {
            G c = point(ins.value);
            BinaryInPlace(ASKind::Divide, c, st[sp]);
            st[sp] = c;
            break;
        }
        case P::Sqr: SquareInPlace(st[sp]); break;
        case P::AddX: BinaryInPlace(ASKind::Plus, st[sp], x); break;
        case P::SubX: sameOrBinary(ASKind::Minus, st[sp], source[sp], x, Source::X); break;
        case P::MulX: sameOrBinary(ASKind::Multiply, st[sp], source[sp], x, Source::X); break;
        case P::DivX: sameOrBinary(ASKind::Divide, st[sp], source[sp], x, Source::X); break;
        case P::PushXPowI:
        case P::PushXPowC:
            ++sp;
            st[sp] = Slopes::PowerOf(x, ins.value);
            break;
        case P::PowI:
        case P::PowC: st[sp] = Slopes::PowerOf(st[sp], ins.value); break;
        case P::PushCPowX:
            ++sp;
            st[sp] = Slopes::Power(point(ins.value), x);
            break;
        case P::Sin:
        case P::Cos:
        case P::Exp:
        case P::Sqrt:
        case P::Ln:
        case P::Abs:
        case P::Atan:
        case P::Func: {
            if (ins.arg == ASKind::Sin || ins.arg == ASKind::Cos) {
                // The derivative of either needs the other: both from one pass over the ends.
                KTInterval sine;
                KTInterval cosine;
                KTIntervalRules::SineCosine(st[sp].value, s, sine, cosine);
                if (ins.arg == ASKind::Sin)
                    ChainInPlace(st[sp], sine, Mul(cosine, KTInterval::Point(s)));
                else
                    ChainInPlace(st[sp], cosine, Mul(Negated(sine), KTInterval::Point(s)));
                break;
            }
            const KTInterval value = KTIntervalRules::Function(ins.arg, st[sp].value, s, in.gaps);
            ChainInPlace(st[sp], value, FunctionSlope(ins.arg, st[sp].value, value, s));
            break;
        }
        }
        source[sp] = from;
        if (st[sp].value.IsEmpty())
            return {};
        partial |= st[sp].value.m_partial;
        jumps |= st[sp].value.m_jumps;
        scattered |= st[sp].value.m_scattered;
    }
    if (sp < 0)
        return {};
    G result = st[sp];
    if constexpr (Raw) {
        *flags = {partial, jumps, scattered};
    } else {
        result.value.m_partial = partial;
        result.value.m_jumps = jumps;
        result.value.m_scattered = scattered;
    }
    return result;
}

// ---- Pieces of one variable --------------------------------------------------------------------
//
// Kept per thread, each range under the program's serial, the piece and the interval of its
// variable (with the angle scale, and whether ranges leave out gaps): a plot's thread bounds the
// cells of one first cell, column by column and row by row, before it goes on, so a small table
// keeps what it reads again.

template <class Range> struct KeptPiece
{
    std::uint64_t serial = 0; ///< 0: nothing kept
    double lo = 0.0, hi = 0.0, scale = 0.0;
    std::int32_t piece = 0;
    bool gaps = true;
    PieceRange<Range> range{};
};

template <class Range> struct KeptPieces
{
    static constexpr int Bits = 10;
    KeptPiece<Range> entries[1 << Bits];
};

std::uint64_t BitsOf(double v)
{
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

/// An interval with nothing but its ends: the ranges of a piece over it depend on those alone.
bool Plain(const KTInterval& v)
{
    return !v.IsEmpty() && !v.HasGap() && !v.m_partial && !v.m_jumps && !v.m_scattered;
}

template <class Range> KeptPieces<Range>& Kept()
{
    thread_local std::unique_ptr<KeptPieces<Range>> kept;
    if (!kept)
        kept = std::make_unique<KeptPieces<Range>>();
    return *kept;
}

template <class Range, class Walk>
void RangesOfPieces(const std::vector<KTEvaluationProgram::Instruction>& ops,
                    const std::vector<KTEvaluationProgram::Piece>& pieces, std::uint64_t serial,
                    const KTIntervalInputs& in, std::optional<PieceRange<Range>>* scratch, const PieceRange<Range>** out,
                    Walk walk)
{
    KeptPieces<Range>* kept = nullptr;
    const int count = static_cast<int>(pieces.size());
    for (int p = 0; p < count; ++p) {
        const KTEvaluationProgram::Piece& piece = pieces[static_cast<std::size_t>(p)];
        const KTInterval& v = piece.onY ? in.y : in.x;
        const auto compute = [&](PieceRange<Range>& r) {
            r.first = piece.first;
            r.last = piece.last;
            r.range = walk(ops.data() + piece.first, piece.last - piece.first + 1, r.flags);
            r.emptied = Value(r.range).IsEmpty();
        };
        if (!Plain(v)) {
            compute(scratch[p].emplace());
            out[p] = &*scratch[p];
            continue;
        }
        if (!kept)
            kept = &Kept<Range>();
        const std::uint64_t lo = BitsOf(v.m_lo);
        const std::uint64_t hi = BitsOf(v.m_hi);
        const std::uint64_t key = (lo * 0x9E3779B97F4A7C15ull + hi + (serial << 2) + static_cast<std::uint64_t>(p)) *
                                  0xD6E8FEB86659FD93ull;
        KeptPiece<Range>& entry = kept->entries[key >> (64 - KeptPieces<Range>::Bits)];
        if (entry.serial != serial || entry.piece != p || BitsOf(entry.lo) != lo || BitsOf(entry.hi) != hi ||
            entry.scale != in.angleScale || entry.gaps != in.gaps) {
            compute(entry.range);
            entry.serial = serial;
            entry.piece = p;
            entry.lo = v.m_lo;
            entry.hi = v.m_hi;
            entry.scale = in.angleScale;
            entry.gaps = in.gaps;
        }
        out[p] = &entry.range;
    }
}

/// The walks of a whole program, without pieces and with them.
KTInterval LeanValues(const std::vector<KTEvaluationProgram::Instruction>& ops, const KTIntervalInputs& in)
{
    return LeanValuesWalk<false, false>(ops.data(), static_cast<int>(ops.size()), in, nullptr, 0, nullptr);
}

[[gnu::noinline]] KTInterval LeanValuesWithPieces(const std::vector<KTEvaluationProgram::Instruction>& ops,
                                                  const std::vector<KTEvaluationProgram::Piece>& pieces,
                                                  std::uint64_t serial, const KTIntervalInputs& in)
{
    std::optional<PieceRange<KTInterval>> scratch[KTEvaluationProgram::MaxPieces];
    const PieceRange<KTInterval>* ranges[KTEvaluationProgram::MaxPieces];
    RangesOfPieces<KTInterval>(ops, pieces, serial, in, scratch, ranges,
                               [&in](const KTEvaluationProgram::Instruction* part, int n, WalkFlags& f) {
                                   return LeanValuesWalk<false, true>(part, n, in, nullptr, 0, &f);
                               });
    return LeanValuesWalk<true, false>(ops.data(), static_cast<int>(ops.size()), in, ranges,
                                       static_cast<int>(pieces.size()), nullptr);
}

KTIntervalGradient LeanSlopes(const std::vector<KTEvaluationProgram::Instruction>& ops, const KTIntervalInputs& in)
{
    return LeanSlopesWalk<false, false>(ops.data(), static_cast<int>(ops.size()), in, nullptr, 0, nullptr);
}

[[gnu::noinline]] KTIntervalGradient LeanSlopesWithPieces(const std::vector<KTEvaluationProgram::Instruction>& ops,
                                                          const std::vector<KTEvaluationProgram::Piece>& pieces,
                                                          std::uint64_t serial, const KTIntervalInputs& in)
{
    std::optional<PieceRange<KTIntervalGradient>> scratch[KTEvaluationProgram::MaxPieces];
    const PieceRange<KTIntervalGradient>* ranges[KTEvaluationProgram::MaxPieces];
    RangesOfPieces<KTIntervalGradient>(ops, pieces, serial, in, scratch, ranges,
                                       [&in](const KTEvaluationProgram::Instruction* part, int n, WalkFlags& f) {
                                           return LeanSlopesWalk<false, true>(part, n, in, nullptr, 0, &f);
                                       });
    return LeanSlopesWalk<true, false>(ops.data(), static_cast<int>(ops.size()), in, ranges,
                                       static_cast<int>(pieces.size()), nullptr);
}

} // namespace

KTInterval KTEvaluationProgram::Bound(const KTIntervalInputs& in) const
{
    if (!m_compiled)
        return KTInterval::Entire();
    if (!m_constantSpans.empty())
        return ForConstants(in).Bound(in);
    if (!in.gaps && m_gapsMatter) {
        KTIntervalInputs with = in;
        with.gaps = true;
        return Bound(with);
    }
    if (m_constant && !s_referencePath)
        return m_constantRange;
    if (s_referencePath)
        return Walk<Values>(m_ops, in);
    return m_pieces.empty() ? LeanValues(m_ops, in) : LeanValuesWithPieces(m_ops, m_pieces, m_serial, in);
}

KTIntervalGradient KTEvaluationProgram::BoundWithGradient(const KTIntervalInputs& in) const
{
    if (!m_compiled)
        return {KTInterval::Entire(), KTInterval::Entire(), KTInterval::Entire()};
    if (!m_constantSpans.empty())
        return ForConstants(in).BoundWithGradient(in);
    if (!in.gaps && m_gapsMatter) {
        KTIntervalInputs with = in;
        with.gaps = true;
        return BoundWithGradient(with);
    }
    if (m_constant && !s_referencePath)
        return m_constantGradient;
    if (s_referencePath) {
        const KTIntervalGradient g = Walk<Slopes>(m_ops, in);
        if (g.value.IsEmpty())
            return {};
        return g;
    }
    const KTIntervalGradient g =
        m_pieces.empty() ? LeanSlopes(m_ops, in) : LeanSlopesWithPieces(m_ops, m_pieces, m_serial, in);
    if (g.value.IsEmpty())
        return {};
    return g;
}
