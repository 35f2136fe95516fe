#include "engine/KTEvaluationProgram.h"

#include "foundation/KTRealStack.h"
#include "foundation/KTSentinelValues.h"

#include <cmath>

namespace {

constexpr double kPi = 3.141592654; // the program's own ten-digit constants, never M_PI
constexpr double kE = 2.718281828;
constexpr double kTwoPi = 6.283185308;

bool IsOperandKind(int kind)
{
    switch (kind) {
    case ASKind::X:
    case ASKind::Y:
    case ASKind::T:
    case ASKind::Theta:
    case ASKind::A:
    case ASKind::B:
    case ASKind::C:
    case ASKind::D:
    case ASKind::M:
    case ASKind::Number:
    case ASKind::Pi:
    case ASKind::E: return true;
    default: return false;
    }
}

bool IsBinaryKind(int kind)
{
    return kind >= ASKind::Multiply && kind <= ASKind::Power;
}

bool IsEvaluatedFunction(int kind)
{
    return (kind >= ASKind::Sin && kind <= ASKind::Gint) || (kind >= ASKind::Exp && kind <= ASKind::Cot) ||
           kind == ASKind::Normal;
}

/// Functions whose value depends on the angle unit: never computed in advance.
bool DependsOnAngle(int kind)
{
    switch (kind) {
    case ASKind::Sin:
    case ASKind::Cos:
    case ASKind::Tan:
    case ASKind::ArcSin:
    case ASKind::ArcCos:
    case ASKind::ArcTan:
    case ASKind::Sec:
    case ASKind::Cosec:
    case ASKind::Cot: return true;
    default: return false;
    }
}

double Checked(double r, bool& undefined)
{
    if (!std::isfinite(r)) {
        undefined = true;
        return KTUndefinedValue;
    }
    return r;
}

double OperandValue(int kind, double value, const KTEvaluationInputs& in)
{
    switch (kind) {
    case ASKind::X:
    case ASKind::T:
    case ASKind::Theta: return in.x;
    case ASKind::Y: return in.y;
    case ASKind::A:
    case ASKind::B:
    case ASKind::C:
    case ASKind::D:
    case ASKind::M: return in.constants ? in.constants[kind - ASKind::A] : 0.0;
    case ASKind::Pi: return kPi;
    case ASKind::E: return kE;
    default: return value;
    }
}

} // namespace

namespace KTEvaluationRules {

double Power(double b, double p)
{
    const double P = std::fabs(p);
    const double B = std::fabs(b);
    double r;
    if (P == 2.0)
        r = B * B;
    else if (B == 0.0)
        r = 0.0;
    else if (P == KTNoSecondValue)
        return KTNoSecondValue;
    else
        r = std::pow(B, P);

    const auto invert = [p](double v) {
        if (p < 0.0)
            return std::fabs(v) > 1e-9 ? 1.0 / v : KTNoSecondValue;
        return v;
    };
    r = invert(r);
    if (b >= 0.0 || r == KTNoSecondValue)
        return r;

    if (std::fmod(P, 1.0) == 0.0)
        return std::fmod(P, 2.0) == 1.0 ? -r : r;

    // A negative base has a real power only for an odd root: try the odd denominators.
    for (int j = 3; j <= 31; j += 2) {
        const double scaled = P * j;
        const double k = std::floor(scaled + 0.5);
        if (std::fabs(scaled - k) > 1e-8)
            continue;
        if (P * std::log(B) > 20.0)
            return KTNoSecondValue;
        double root = std::pow(B, P);
        if (std::fmod(k, 2.0) == 1.0)
            root = -root;
        return invert(root);
    }
    return KTNoSecondValue;
}

double Binary(int kind, double left, double right, bool& undefined)
{
    if (kind == ASKind::Power && right == KTNoSecondValue && !IsSentinel(left))
        return KTNoSecondValue;
    if (IsSentinel(left) || IsSentinel(right)) {
        undefined = true;
        return KTUndefinedValue;
    }
    switch (kind) {
    case ASKind::Multiply: return Checked(left * right, undefined);
    case ASKind::Plus: return Checked(left + right, undefined);
    case ASKind::Minus: return Checked(left - right, undefined);
    case ASKind::Divide:
        if (std::fabs(right) > 0.0)
            return Checked(left / right, undefined);
        undefined = true;
        return KTUndefinedValue;
    case ASKind::Power: {
        const double r = Power(left, right);
        return r == KTNoSecondValue ? r : Checked(r, undefined);
    }
    default: undefined = true; return KTUndefinedValue;
    }
}

double Function(int kind, double v, double s, bool& undefined)
{
    if (IsSentinel(v)) {
        if (v == KTNoSecondValue && (kind == ASKind::Sin || kind == ASKind::Cos || kind == ASKind::Tan))
            return KTNoSecondValue;
        undefined = true;
        return KTUndefinedValue;
    }
    const auto fail = [&undefined] {
        undefined = true;
        return KTUndefinedValue;
    };
    double r;
    switch (kind) {
    case ASKind::Sin: r = std::sin(v * s); break;
    case ASKind::Cos: r = std::cos(v * s); break;
    case ASKind::Tan: r = std::sin(v * s) / std::cos(v * s); break;
    // The ends +-1 are proper angles; beyond them there is no real value.
    case ASKind::ArcSin:
        if (std::fabs(v) > 1.0)
            return KTNoSecondValue;
        r = std::asin(v) / s;
        break;
    case ASKind::ArcCos:
        if (std::fabs(v) > 1.0)
            return KTNoSecondValue;
        r = std::acos(v) / s;
        break;
    case ASKind::ArcTan: r = std::atan(v) / s; break;
    case ASKind::Abs: r = std::fabs(v); break;
    case ASKind::Gint: r = std::floor(v); break; // the greatest integer not above v
    case ASKind::Exp: r = std::exp(v); break;
    case ASKind::Ln:
        if (!(v > 0.0))
            return fail();
        r = std::log(v);
        break;
    case ASKind::Log:
        if (!(v > 0.0))
            return fail();
        r = std::log(v) / std::log(10.0);
        break;
    case ASKind::Sqrt:
        if (v < 0.0)
            return fail();
        r = std::sqrt(v);
        break;
    case ASKind::Cosh:
        if (std::fabs(v) > 200.0)
            return fail();
        r = (std::exp(v) + std::exp(-v)) / 2.0;
        break;
    case ASKind::Sinh:
        if (std::fabs(v) > 200.0)
            return fail();
        r = (std::exp(v) - std::exp(-v)) / 2.0;
        break;
    case ASKind::Tanh:
        if (std::fabs(v) > 200.0)
            return KTNoSecondValue;
        r = (std::exp(v) - std::exp(-v)) / (std::exp(v) + std::exp(-v));
        break;
    case ASKind::Sec: {
        const double c = std::cos(v * s);
        if (c == 0.0)
            return fail();
        r = 1.0 / c;
        break;
    }
    case ASKind::Cosec: {
        const double sn = std::sin(v * s);
        if (sn == 0.0)
            return fail();
        r = 1.0 / sn;
        break;
    }
    case ASKind::Cot: {
        const double sn = std::sin(v * s);
        if (sn == 0.0)
            return fail();
        r = std::cos(v * s) / sn;
        break;
    }
    case ASKind::Normal: r = std::exp(-v * v / 2.0) / std::sqrt(kTwoPi); break;
    default: return fail();
    }
    return Checked(r, undefined);
}

} // namespace KTEvaluationRules

double KTEvaluateTokens(const ASTokenList& list, const KTEvaluationInputs& in)
{
    // The one value stack of the process: evaluation runs on the user-interface thread only.
    static KTRealStack stack;
    stack.m_count = 0;
    bool undefined = false;
    const auto push = [&undefined](double v) {
        if (!stack.Push(v))
            undefined = true;
    };
    for (int i = 0; i < list.GetCount(); ++i) {
        const ASToken& token = list.At(i);
        const int kind = token.m_kind;
        if (kind == 0)
            break;
        if (IsOperandKind(kind)) {
            push(OperandValue(kind, token.m_value, in));
        } else if (IsBinaryKind(kind)) {
            const double right = stack.Pop();
            const double left = stack.Pop();
            push(KTEvaluationRules::Binary(kind, left, right, undefined));
        } else if (IsEvaluatedFunction(kind)) {
            push(KTEvaluationRules::Function(kind, stack.Pop(), in.angleScale, undefined));
        }
        // every other kind (brackets, relation signs, f, separators, nodes) is skipped
    }
    const double result = stack.Pop();
    if (undefined || !std::isfinite(result))
        return KTUndefinedValue;
    return result;
}

bool KTEvaluationProgram::IsWellFormed(const ASTokenList& list, int* maxDepth)
{
    int depth = 0;
    int deepest = 0;
    for (int i = 0; i < list.GetCount(); ++i) {
        const int kind = list.KindAt(i);
        if (kind == 0)
            break;
        if (IsOperandKind(kind)) {
            ++depth;
        } else if (IsBinaryKind(kind)) {
            if (depth < 2)
                return false;
            --depth;
        } else if (IsEvaluatedFunction(kind)) {
            if (depth < 1)
                return false;
        }
        deepest = std::max(deepest, depth);
    }
    if (maxDepth)
        *maxDepth = deepest;
    return depth == 1 && deepest < KTRealStack::kSlots - 1;
}

void KTEvaluationProgram::Clear()
{
    m_ops.clear();
    m_compiled = false;
}

void KTEvaluationProgram::Emit(Op op, std::int32_t arg, double value)
{
    m_ops.push_back({op, arg, value});
}

void KTEvaluationProgram::EmitBinary(int kind)
{
    const std::size_t n = m_ops.size();
    Instruction* last = n >= 1 ? &m_ops[n - 1] : nullptr;
    Instruction* before = n >= 2 ? &m_ops[n - 2] : nullptr;

    if (last && before && last->op == PushConst && before->op == PushConst) {
        bool undefined = false;
        const double r = KTEvaluationRules::Binary(kind, before->value, last->value, undefined);
        if (!undefined && !KTEvaluationRules::IsSentinel(r)) {
            m_ops.pop_back();
            m_ops.back() = {PushConst, 0, r};
            return;
        }
    }
    if (last && last->op == PushConst && !KTEvaluationRules::IsSentinel(last->value)) {
        const double c = last->value;
        switch (kind) {
        case ASKind::Plus: *last = {AddC, 0, c}; return;
        case ASKind::Minus: *last = {SubC, 0, c}; return;
        case ASKind::Divide:
            if (std::fabs(c) > 0.0) {
                *last = {DivC, 0, c};
                return;
            }
            break;
        case ASKind::Multiply:
            if (before && before->op == PushX) {
                m_ops.pop_back();
                m_ops.back() = {PushXMulC, 0, c};
            } else {
                *last = {MulC, 0, c};
            }
            return;
        case ASKind::Power:
            if (c == 2.0) {
                if (before && before->op == PushX) {
                    m_ops.pop_back();
                    m_ops.back() = {PushXSqr, 0, 0.0};
                } else {
                    *last = {Sqr, 0, 0.0};
                }
            } else {
                *last = {PowC, 0, c};
            }
            return;
        default: break;
        }
    }
    if (last && last->op == PushX) {
        switch (kind) {
        case ASKind::Plus: *last = {AddX, 0, 0.0}; return;
        case ASKind::Minus: *last = {SubX, 0, 0.0}; return;
        case ASKind::Divide: *last = {DivX, 0, 0.0}; return;
        case ASKind::Multiply:
            if (before && before->op == PushConst && !KTEvaluationRules::IsSentinel(before->value)) {
                const double c = before->value;
                m_ops.pop_back();
                m_ops.back() = {PushXMulC, 0, c};
            } else {
                *last = {MulX, 0, 0.0};
            }
            return;
        default: break;
        }
    }
    switch (kind) {
    case ASKind::Plus: Emit(Add, 0, 0.0); break;
    case ASKind::Minus: Emit(Sub, 0, 0.0); break;
    case ASKind::Multiply: Emit(Mul, 0, 0.0); break;
    case ASKind::Divide: Emit(Div, 0, 0.0); break;
    default: Emit(Pow, 0, 0.0); break;
    }
}

void KTEvaluationProgram::EmitFunction(int kind)
{
    if (!m_ops.empty() && m_ops.back().op == PushConst && !DependsOnAngle(kind)) {
        bool undefined = false;
        const double r = KTEvaluationRules::Function(kind, m_ops.back().value, 1.0, undefined);
        if (!undefined && !KTEvaluationRules::IsSentinel(r)) {
            m_ops.back().value = r;
            return;
        }
    }
    Emit(Func, kind, 0.0);
}

void KTEvaluationProgram::Compile(const ASTokenList& list)
{
    Clear();
    if (!IsWellFormed(list))
        return;
    m_ops.reserve(static_cast<std::size_t>(list.GetCount()));
    for (int i = 0; i < list.GetCount(); ++i) {
        const ASToken& token = list.At(i);
        const int kind = token.m_kind;
        if (kind == 0)
            break;
        switch (kind) {
        case ASKind::X:
        case ASKind::T:
        case ASKind::Theta: Emit(PushX, 0, 0.0); break;
        case ASKind::Y: Emit(PushY, 0, 0.0); break;
        case ASKind::A:
        case ASKind::B:
        case ASKind::C:
        case ASKind::D:
        case ASKind::M: Emit(PushParam, kind - ASKind::A, 0.0); break;
        case ASKind::Number: Emit(PushConst, 0, token.m_value); break;
        case ASKind::Pi: Emit(PushConst, 0, kPi); break;
        case ASKind::E: Emit(PushConst, 0, kE); break;
        default:
            if (IsBinaryKind(kind))
                EmitBinary(kind);
            else if (IsEvaluatedFunction(kind))
                EmitFunction(kind);
            break;
        }
    }
    m_compiled = true;
}

namespace {

// The common case of +, - and *: finite operands well inside the sentinels' range.
inline bool Ordinary(double a, double b)
{
    return a <= 1.0e12 && b <= 1.0e12;
}

} // namespace

double KTEvaluationProgram::Run(const KTEvaluationInputs& in) const
{
    double stack[KTRealStack::kSlots];
    int sp = -1; // index of the top value
    bool undefined = false;
    const double x = in.x;

#define KT_BINARY(KIND, EXPR, A, B)                                                                                \
    do {                                                                                                           \
        const double a_ = (A);                                                                                     \
        const double b_ = (B);                                                                                     \
        double r_;                                                                                                 \
        if (Ordinary(a_, b_)) [[likely]] {                                                                         \
            r_ = (EXPR);                                                                                           \
            if (!std::isfinite(r_)) [[unlikely]]                                                                   \
                return KTUndefinedValue;                                                                           \
        } else {                                                                                                   \
            r_ = KTEvaluationRules::Binary(KIND, a_, b_, undefined);                                              \
            if (undefined)                                                                                         \
                return KTUndefinedValue;                                                                           \
        }                                                                                                          \
        stack[sp] = r_;                                                                                            \
    } while (0)

    for (const Instruction& ins : m_ops) {
        switch (ins.op) {
        case PushConst: stack[++sp] = ins.value; break;
        case PushX: stack[++sp] = x; break;
        case PushY: stack[++sp] = in.y; break;
        case PushParam: stack[++sp] = in.constants ? in.constants[ins.arg] : 0.0; break;
        case PushXMulC:
            ++sp;
            KT_BINARY(ASKind::Multiply, a_ * b_, x, ins.value);
            break;
        case PushXSqr:
            ++sp;
            KT_BINARY(ASKind::Multiply, a_ * b_, x, x);
            break;
        case Add:
            --sp;
            KT_BINARY(ASKind::Plus, a_ + b_, stack[sp], stack[sp + 1]);
            break;
        case Sub:
            --sp;
            KT_BINARY(ASKind::Minus, a_ - b_, stack[sp], stack[sp + 1]);
            break;
        case Mul:
            --sp;
            KT_BINARY(ASKind::Multiply, a_ * b_, stack[sp], stack[sp + 1]);
            break;
        case AddC: KT_BINARY(ASKind::Plus, a_ + b_, stack[sp], ins.value); break;
        case SubC: KT_BINARY(ASKind::Minus, a_ - b_, stack[sp], ins.value); break;
        case MulC: KT_BINARY(ASKind::Multiply, a_ * b_, stack[sp], ins.value); break;
        case Sqr: KT_BINARY(ASKind::Multiply, a_ * b_, stack[sp], stack[sp]); break;
        case AddX: KT_BINARY(ASKind::Plus, a_ + b_, stack[sp], x); break;
        case SubX: KT_BINARY(ASKind::Minus, a_ - b_, stack[sp], x); break;
        case MulX: KT_BINARY(ASKind::Multiply, a_ * b_, stack[sp], x); break;
        case DivC: KT_BINARY(ASKind::Divide, a_ / b_, stack[sp], ins.value); break;
        case Div:
            --sp;
            stack[sp] = KTEvaluationRules::Binary(ASKind::Divide, stack[sp], stack[sp + 1], undefined);
            if (undefined)
                return KTUndefinedValue;
            break;
        case DivX:
            stack[sp] = KTEvaluationRules::Binary(ASKind::Divide, stack[sp], x, undefined);
            if (undefined)
                return KTUndefinedValue;
            break;
        case Pow:
            --sp;
            stack[sp] = KTEvaluationRules::Binary(ASKind::Power, stack[sp], stack[sp + 1], undefined);
            if (undefined)
                return KTUndefinedValue;
            break;
        case PowC:
            stack[sp] = KTEvaluationRules::Binary(ASKind::Power, stack[sp], ins.value, undefined);
            if (undefined)
                return KTUndefinedValue;
            break;
        case Func:
            stack[sp] = KTEvaluationRules::Function(ins.arg, stack[sp], in.angleScale, undefined);
            if (undefined)
                return KTUndefinedValue;
            break;
        }
    }
#undef KT_BINARY
    const double result = stack[sp];
    return std::isfinite(result) ? result : KTUndefinedValue;
}
