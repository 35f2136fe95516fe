#include "engine/KTEvaluationProgram.h"

#include "foundation/KTRealStack.h"
#include "foundation/KTSentinelValues.h"

#include <algorithm>
#include <atomic>
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

namespace {

/// b ^ p for b > 0. Growth and decay by 2 ^ x are common enough for their own routine.
inline double PositivePower(double b, double p)
{
    if (b == 2.0)
        return std::exp2(p);
    return std::pow(b, p);
}

} // namespace

namespace KTEvaluationRules {

double IntegerPower(double base, int n)
{
    // Squaring keeps the number of roundings at about log2(n).
    double result = 1.0;
    double factor = base;
    while (n > 0) {
        if (n & 1)
            result *= factor;
        n >>= 1;
        if (n)
            factor *= factor;
    }
    return result;
}

double Power(double b, double p)
{
    const double P = std::fabs(p);
    const double B = std::fabs(b);
    const bool whole = P == std::floor(P);
    if (b > 0.0 && !whole && P != 0.5 && P != KTNoSecondValue) {
        // A positive base with a fractional exponent, the common case: B^p is 1 / B^P, which
        // has a value wherever that is a double, as the inversion below has it.
        const double r = PositivePower(B, p);
        return p > 0.0 || std::isfinite(r) ? r : KTNoSecondValue;
    }
    double r;
    if (P == 2.0)
        r = B * B;
    else if (B == 0.0)
        r = 0.0;
    else if (P == KTNoSecondValue)
        return KTNoSecondValue;
    else if (P == 0.5)
        r = std::sqrt(B);
    else if (whole && P <= 64.0)
        r = IntegerPower(B, static_cast<int>(P));
    else
        r = PositivePower(B, P);

    // Only 0 has no negative power (the pole of x^-p). A magnitude however small has one, as
    // it has a quotient 1 / v: x^-0.9 is as large near 0 as 1/x^0.9, and its integral as finite.
    // A magnitude beyond the doubles has a negative power all the same, below the normal range:
    // 10^-310 is no 0.
    const auto invert = [p, B](double v) {
        if (p < 0.0) {
            const double r = v != 0.0 ? (std::isfinite(v) ? 1.0 / v : PositivePower(B, p)) : HUGE_VAL;
            return std::isfinite(r) ? r : KTNoSecondValue;
        }
        return v;
    };
    if (b >= 0.0)
        return invert(r);

    if (whole) {
        r = invert(r);
        const bool odd = P < 9007199254740992.0 && std::fmod(P, 2.0) == 1.0;
        return odd && r != KTNoSecondValue ? -r : r;
    }

    // A negative base has a real power only for an odd root: try the odd denominators. The
    // root has a value wherever its magnitude is a double: (-6000)^(7/3) as much as 6000^(7/3).
    for (int j = 3; j <= 31; j += 2) {
        const double scaled = P * j;
        const double k = std::floor(scaled + 0.5);
        if (std::fabs(scaled - k) > 1e-8)
            continue;
        return invert(std::fmod(k, 2.0) == 1.0 ? -r : r);
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
    case ASKind::Tan: {
        // sincos gives the sine and the cosine their own functions give, in one call.
        double sn;
        double cs;
        ::sincos(v * s, &sn, &cs);
        r = sn / cs;
        break;
    }
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
        r = std::cosh(v);
        break;
    case ASKind::Sinh:
        if (std::fabs(v) > 200.0)
            return fail();
        r = std::sinh(v); // not (e^v - e^-v) / 2, which is 0 for a small v
        break;
    case ASKind::Tanh:
        if (std::fabs(v) > 200.0)
            return KTNoSecondValue;
        r = std::tanh(v);
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
        double sn;
        double cs;
        ::sincos(v * s, &sn, &cs);
        if (sn == 0.0)
            return fail();
        r = cs / sn;
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

int KTEvaluationProgram::OperandStart(const ASTokenList& list, int last)
{
    // Walking back, every operand supplies one value and every binary operator asks for one
    // more; the operand is complete when nothing is asked for any longer.
    int needed = 1;
    for (int i = std::min(last, list.GetCount() - 1); i >= 0; --i) {
        const int kind = list.KindAt(i);
        if (IsOperandKind(kind))
            --needed;
        else if (IsBinaryKind(kind))
            ++needed;
        if (needed == 0)
            return i;
    }
    return -1;
}

bool KTEvaluationProgram::ReadsX(const ASTokenList& list, int first, int last)
{
    for (int i = std::max(first, 0); i <= last && i < list.GetCount(); ++i) {
        const int kind = list.KindAt(i);
        if (kind == ASKind::X || kind == ASKind::T || kind == ASKind::Theta)
            return true;
    }
    return false;
}

void KTEvaluationProgram::Clear()
{
    m_ops.clear();
    m_starts.clear();
    m_compiled = false;
    m_usesConstants = false;
    m_usesAngle = false;
    m_linear = false;
    m_constant = false;
    m_plain = false;
    m_batch.clear();
    m_batchSlots = 0;
    m_batchResultBound = false;
    m_pieces.clear();
    m_serial = 0;
    m_constantSpans.clear();
    m_spansSerial = 0;
}

void KTEvaluationProgram::FindPieces(bool spans)
{
    // The operands on the stack as the program runs: what each reads and where it begins. An
    // operand of one variable is a piece where the operation that takes it reads the other
    // variable too (or it is the whole program) and something in it costs more than its
    // ranges take to look up.
    enum : std::uint8_t { ReadsX = 1, ReadsY = 2, ReadsParam = 4 };
    struct Operand
    {
        std::int32_t first;
        std::uint8_t reads;
        bool costly;
    };
    std::vector<Operand> stack;
    std::vector<Piece> found;
    std::vector<Span> constants;
    const auto close = [&found, &constants](const Operand& a, std::uint8_t reads, std::int32_t last) {
        if (a.costly && a.reads != reads && (a.reads == ReadsX || a.reads == ReadsY))
            found.push_back({a.first, last, a.reads == ReadsY});
        // A constant alone is its value already.
        if (a.reads == ReadsParam && reads != ReadsParam && last > a.first)
            constants.push_back({a.first, last});
    };
    for (std::size_t k = 0; k < m_ops.size(); ++k) {
        const Instruction& ins = m_ops[k];
        const auto at = static_cast<std::int32_t>(k);
        switch (ins.op) {
        case PushConst: stack.push_back({at, 0, false}); break;
        case PushX:
        case PushXMulC:
        case PushXLinear:
        case PushXSqr: stack.push_back({at, ReadsX, false}); break;
        case PushXPowI:
        case PushXPowC:
        case PushCPowX: stack.push_back({at, ReadsX, true}); break;
        case PushY: stack.push_back({at, ReadsY, false}); break;
        case PushParam: stack.push_back({at, ReadsParam, false}); break;
        case Add:
        case Sub:
        case Mul:
        case Div:
        case Pow: {
            if (stack.size() < 2)
                return;
            const Operand b = stack.back();
            stack.pop_back();
            Operand& a = stack.back();
            const auto reads = static_cast<std::uint8_t>(a.reads | b.reads);
            close(a, reads, b.first - 1);
            close(b, reads, at - 1);
            a = {a.first, reads, a.costly || b.costly || ins.op == Pow};
            break;
        }
        case AddX:
        case SubX:
        case MulX:
        case DivX:
        case DivXLinear: {
            if (stack.empty())
                return;
            Operand& a = stack.back();
            const auto reads = static_cast<std::uint8_t>(a.reads | ReadsX);
            close(a, reads, at - 1);
            a.reads = reads;
            break;
        }
        case AddC:
        case SubC:
        case MulC:
        case DivC:
        case RSubC:
        case RDivC:
        case Sqr:
        case Abs:
            if (stack.empty())
                return;
            break;
        case PowC:
        case PowI:
        case Sin:
        case Cos:
        case Exp:
        case Sqrt:
        case Ln:
        case Atan:
        case Func:
            if (stack.empty())
                return;
            stack.back().costly = true;
            break;
        }
    }
    if (stack.size() != 1)
        return;
    close(stack.back(), 0, static_cast<std::int32_t>(m_ops.size()) - 1);
    if (spans && !constants.empty()) {
        static std::atomic<std::uint64_t> spanSerials{0};
        std::sort(constants.begin(), constants.end(),
                  [](const Span& a, const Span& b) { return a.first < b.first; });
        m_constantSpans = std::move(constants);
        m_spansSerial = ++spanSerials;
    }
    // Found as their operands are taken: in the order of the operations, pieces never overlap.
    std::sort(found.begin(), found.end(), [](const Piece& a, const Piece& b) { return a.first < b.first; });
    if (found.size() > static_cast<std::size_t>(MaxPieces))
        found.resize(static_cast<std::size_t>(MaxPieces));
    if (found.empty())
        return;
    static std::atomic<std::uint64_t> serials{0};
    m_pieces = std::move(found);
    m_serial = ++serials;
}

namespace {

using Instruction = KTEvaluationProgram::Instruction;

bool IsSinglePush(const Instruction& ins, KTEvaluationProgram::Op op)
{
    return ins.op == op;
}

} // namespace

// Each stacked value is produced by the operations from its start to the next value's start;
// a value made by one constant push can be folded into the operation that consumes it.
void KTEvaluationProgram::EmitBinary(int kind)
{
    const int rightStart = m_starts.back();
    m_starts.pop_back();
    const int leftStart = m_starts.back();
    const int size = static_cast<int>(m_ops.size());
    const bool rightSingle = rightStart == size - 1;
    const bool leftSingle = leftStart == rightStart - 1;
    const Instruction right = m_ops[static_cast<std::size_t>(size - 1)];
    const Instruction left = m_ops[static_cast<std::size_t>(rightStart - 1)];
    const auto isConst = [](const Instruction& ins) {
        return ins.op == PushConst && !KTEvaluationRules::IsSentinel(ins.value);
    };

    if (rightSingle && leftSingle && isConst(left) && isConst(right)) {
        bool undefined = false;
        const double r = KTEvaluationRules::Binary(kind, left.value, right.value, undefined);
        if (!undefined && !KTEvaluationRules::IsSentinel(r)) {
            m_ops.pop_back();
            m_ops.back() = {PushConst, 0, r, 0.0};
            return;
        }
    }
    if (rightSingle && isConst(right)) {
        const double c = right.value;
        Op op = Pow;
        switch (kind) {
        case ASKind::Plus: op = AddC; break;
        case ASKind::Minus: op = SubC; break;
        case ASKind::Multiply: op = MulC; break;
        case ASKind::Divide: op = std::fabs(c) > 0.0 ? DivC : Div; break;
        default:
            op = c == 2.0 ? Sqr : PowC;
            if (op == PowC && c > 0.0 && c != std::floor(c) && c != 0.5) {
                m_ops.back() = {PowC, 1, c, 0.0}; // arg 1: a positive fractional exponent
                return;
            }
            if (c >= 3.0 && c <= 64.0 && c == std::floor(c)) {
                m_ops.back() = {PowI, static_cast<std::int32_t>(c), c, 0.0};
                return;
            }
            break;
        }
        if (op != Div) {
            m_ops.back() = {op, 0, c, 0.0};
            return;
        }
    }
    if (leftSingle && rightSingle && isConst(left) && right.op == PushX && kind == ASKind::Power) {
        m_ops.pop_back();
        m_ops.back() = {PushCPowX, 0, left.value, 0.0}; // c ^ x, as in 2^x
        return;
    }
    if (leftSingle && isConst(left) && kind != ASKind::Power) {
        // c op value: the constant moves behind the value's operations.
        const double c = left.value;
        Op op = AddC;
        switch (kind) {
        case ASKind::Plus: op = AddC; break;
        case ASKind::Minus: op = RSubC; break;
        case ASKind::Multiply: op = MulC; break;
        default: op = RDivC; break;
        }
        m_ops.erase(m_ops.begin() + (rightStart - 1));
        m_ops.push_back({op, 0, c, 0.0});
        return;
    }
    if (rightSingle && IsSinglePush(right, PushX) && kind != ASKind::Power) {
        Op op = AddX;
        switch (kind) {
        case ASKind::Plus: op = AddX; break;
        case ASKind::Minus: op = SubX; break;
        case ASKind::Multiply: op = MulX; break;
        default: op = DivX; break;
        }
        m_ops.back() = {op, 0, 0.0, 0.0};
        return;
    }
    switch (kind) {
    case ASKind::Plus: m_ops.push_back({Add, 0, 0.0, 0.0}); break;
    case ASKind::Minus: m_ops.push_back({Sub, 0, 0.0, 0.0}); break;
    case ASKind::Multiply: m_ops.push_back({Mul, 0, 0.0, 0.0}); break;
    case ASKind::Divide: m_ops.push_back({Div, 0, 0.0, 0.0}); break;
    default: m_ops.push_back({Pow, 0, 0.0, 0.0}); break;
    }
}

void KTEvaluationProgram::EmitFunction(int kind)
{
    const bool single = m_starts.back() == static_cast<int>(m_ops.size()) - 1;
    if (single && m_ops.back().op == PushConst && !DependsOnAngle(kind)) {
        bool undefined = false;
        const double r = KTEvaluationRules::Function(kind, m_ops.back().value, 1.0, undefined);
        if (!undefined && !KTEvaluationRules::IsSentinel(r)) {
            m_ops.back().value = r;
            return;
        }
    }
    if (DependsOnAngle(kind))
        m_usesAngle = true;
    switch (kind) {
    case ASKind::Sin: m_ops.push_back({Sin, kind, 0.0, 0.0}); break;
    case ASKind::Cos: m_ops.push_back({Cos, kind, 0.0, 0.0}); break;
    case ASKind::Exp: m_ops.push_back({Exp, kind, 0.0, 0.0}); break;
    case ASKind::Sqrt: m_ops.push_back({Sqrt, kind, 0.0, 0.0}); break;
    case ASKind::Ln: m_ops.push_back({Ln, kind, 0.0, 0.0}); break;
    case ASKind::Abs: m_ops.push_back({Abs, kind, 0.0, 0.0}); break;
    case ASKind::ArcTan: m_ops.push_back({Atan, kind, 0.0, 0.0}); break;
    default: m_ops.push_back({Func, kind, 0.0, 0.0}); break;
    }
}

namespace {

/// A subtraction of c that may become an addition of -c: -c must not read as a sentinel.
bool LinearSubtrahend(const Instruction& ins)
{
    return ins.op == KTEvaluationProgram::SubC && !KTEvaluationRules::IsSentinel(-ins.value);
}

} // namespace

// Pairs of operations on x that occur in almost every curve become one.
void KTEvaluationProgram::Peephole()
{
    std::vector<Instruction> out;
    out.reserve(m_ops.size());
    for (const Instruction& ins : m_ops) {
        Instruction* last = out.empty() ? nullptr : &out.back();
        if (last && last->op == PushX && ins.op == MulC) {
            *last = {PushXMulC, 0, ins.value, 0.0};
        } else if (last && last->op == PushX && ins.op == Sqr) {
            *last = {PushXSqr, 0, 0.0, 0.0};
        } else if (last && last->op == PushX && ins.op == PowC && ins.arg == 1) {
            *last = {PushXPowC, 1, ins.value, 0.0};
        } else if (last && last->op == PushX && ins.op == PowI) {
            *last = {PushXPowI, ins.arg, ins.value, 0.0};
        } else if (last && last->op == PushXMulC && (ins.op == AddC || LinearSubtrahend(ins))) {
            // a - c is a + (-c) exactly.
            *last = {PushXLinear, 0, last->value, ins.op == AddC ? ins.value : -ins.value};
        } else if (last && last->op == PushX && (ins.op == AddC || LinearSubtrahend(ins))) {
            // x * 1 is exact, and x + (-c) is x - c exactly.
            *last = {PushXLinear, 0, 1.0, ins.op == AddC ? ins.value : -ins.value};
        } else if (last && last->op == PushXLinear && ins.op == Div) {
            // The divisor of a rational function is most often a line.
            *last = {DivXLinear, 0, last->value, last->value2};
        } else {
            out.push_back(ins);
        }
    }
    m_ops.swap(out);
}

void KTEvaluationProgram::Compile(const ASTokenList& list)
{
    Clear();
    if (!IsWellFormed(list))
        return;
    m_ops.reserve(static_cast<std::size_t>(list.GetCount()));
    const auto push = [this](Op op, int arg, double value) {
        m_starts.push_back(static_cast<int>(m_ops.size()));
        m_ops.push_back({op, arg, value, 0.0});
    };
    for (int i = 0; i < list.GetCount(); ++i) {
        const ASToken& token = list.At(i);
        const int kind = token.m_kind;
        if (kind == 0)
            break;
        switch (kind) {
        case ASKind::X:
        case ASKind::T:
        case ASKind::Theta: push(PushX, 0, 0.0); break;
        case ASKind::Y: push(PushY, 0, 0.0); break;
        case ASKind::A:
        case ASKind::B:
        case ASKind::C:
        case ASKind::D:
        case ASKind::M:
            push(PushParam, kind - ASKind::A, 0.0);
            m_usesConstants = true;
            break;
        case ASKind::Number: push(PushConst, 0, token.m_value); break;
        case ASKind::Pi: push(PushConst, 0, kPi); break;
        case ASKind::E: push(PushConst, 0, kE); break;
        default:
            if (IsBinaryKind(kind))
                EmitBinary(kind);
            else if (IsEvaluatedFunction(kind))
                EmitFunction(kind);
            break;
        }
    }
    m_starts.clear();
    Peephole();
    Finish(true);
}

void KTEvaluationProgram::Finish(bool spans)
{
    if (m_ops.size() == 1 && m_ops[0].op == PushXLinear) {
        m_linear = true;
        m_slope = m_ops[0].value;
        m_intercept = m_ops[0].value2;
    }
    m_compiled = true;
    m_plain = !m_usesConstants && !m_usesAngle;
    PlanBatch();
    FindPieces(spans);
    // A range across a pole of tan, sec, cosec or cot may be left without its gap only where no
    // reciprocal or power after the function could make it bounded again (1 / tan(x) across
    // x = pi / 2 is bounded with the gap, and not without).
    bool pole = false;
    m_gapsMatter = false;
    for (const Instruction& ins : m_ops) {
        if (ins.op == Func && (ins.arg == ASKind::Tan || ins.arg == ASKind::Cot || ins.arg == ASKind::Sec ||
                               ins.arg == ASKind::Cosec))
            pole = true;
        else if (pole && (ins.op == Div || ins.op == RDivC || ins.op == Pow ||
                          (ins.op == PowC && !(ins.value > 0.0))))
            m_gapsMatter = true;
    }
    if (m_ops.size() == 1 && m_ops[0].op == PushConst) {
        const KTEvaluationInputs at{0.0, 0.0, nullptr, 1.0};
        const KTIntervalInputs box{{0.0, 0.0}, {0.0, 0.0}, nullptr, 1.0};
        m_constantValue = RunProgram(at);
        m_constantRange = Bound(box);
        m_constantGradient = BoundWithGradient(box);
        m_constant = true;
    }
}

namespace {

// The common case of +, - and *: operands well inside the sentinels' range.
inline bool Ordinary(double a, double b)
{
    return a <= 1.0e12 && b <= 1.0e12;
}

} // namespace

namespace {

/// b ^ c for the constant exponent of a PowC operation; false when it is undefined.
inline bool PowerByConstant(double b, const KTEvaluationProgram::Instruction& ins, double& out)
{
    if (ins.arg == 1 && b > 0.0 && b <= 1.0e12) [[likely]] {
        out = PositivePower(b, ins.value); // as the power rule has it for b > 0
        return std::isfinite(out);
    }
    bool undefined = false;
    out = KTEvaluationRules::Binary(ASKind::Power, b, ins.value, undefined);
    return !undefined;
}

} // namespace

[[gnu::always_inline]] inline double
KTEvaluationProgram::RunOperations(const Instruction* first, std::size_t count, const KTEvaluationInputs& in)
{
    // The top value lives in t; the values below it in stack[0..sp].
    double stack[KTRealStack::kSlots];
    int sp = -1;
    double t = 0.0;
    bool undefined = false;
    const double x = in.x;

// t := EXPR of A and B; an operand that may be a sentinel takes the full rule.
#define KT_BINARY(KIND, EXPR, A, B)                                                                          \
    do {                                                                                                     \
        const double a_ = (A);                                                                               \
        const double b_ = (B);                                                                               \
        if (Ordinary(a_, b_)) [[likely]] {                                                                   \
            t = (EXPR);                                                                                      \
            if (!std::isfinite(t)) [[unlikely]]                                                              \
                return KTUndefinedValue;                                                                     \
        } else {                                                                                             \
            t = KTEvaluationRules::Binary(KIND, a_, b_, undefined);                                          \
            if (undefined)                                                                                   \
                return KTUndefinedValue;                                                                     \
        }                                                                                                    \
    } while (0)
#define KT_FULL_BINARY(KIND, A, B)                                                                           \
    do {                                                                                                     \
        t = KTEvaluationRules::Binary(KIND, (A), (B), undefined);                                            \
        if (undefined)                                                                                       \
            return KTUndefinedValue;                                                                         \
    } while (0)
#define KT_DIVIDE(A, B)                                                                                      \
    do {                                                                                                     \
        const double a_ = (A);                                                                               \
        const double b_ = (B);                                                                               \
        if (Ordinary(a_, b_) && b_ != 0.0) [[likely]] {                                                      \
            t = a_ / b_;                                                                                     \
            if (!std::isfinite(t)) [[unlikely]]                                                              \
                return KTUndefinedValue;                                                                     \
        } else {                                                                                             \
            KT_FULL_BINARY(ASKind::Divide, a_, b_);                                                          \
        }                                                                                                    \
    } while (0)
#define KT_PUSH(V)                                                                                           \
    do {                                                                                                     \
        stack[++sp] = t;                                                                                     \
        t = (V);                                                                                             \
    } while (0)

    for (const Instruction* end = first + count; first != end; ++first) {
        const Instruction& ins = *first;
        switch (ins.op) {
        case PushConst: KT_PUSH(ins.value); break;
        case PushX: KT_PUSH(x); break;
        case PushY: KT_PUSH(in.y); break;
        case PushParam: KT_PUSH(in.constants ? in.constants[ins.arg] : 0.0); break;
        case PushXMulC:
            stack[++sp] = t;
            KT_BINARY(ASKind::Multiply, a_ * b_, x, ins.value);
            break;
        case PushXLinear:
            stack[++sp] = t;
            KT_BINARY(ASKind::Multiply, a_ * b_, x, ins.value);
            KT_BINARY(ASKind::Plus, a_ + b_, t, ins.value2);
            break;
        case PushXSqr:
            stack[++sp] = t;
            KT_BINARY(ASKind::Multiply, a_ * b_, x, x);
            break;
        case DivXLinear: {
            const double left = t;
            KT_BINARY(ASKind::Multiply, a_ * b_, x, ins.value);
            KT_BINARY(ASKind::Plus, a_ + b_, t, ins.value2);
            KT_DIVIDE(left, t);
            break;
        }
        case Add: KT_BINARY(ASKind::Plus, a_ + b_, stack[sp--], t); break;
        case Sub: KT_BINARY(ASKind::Minus, a_ - b_, stack[sp--], t); break;
        case Mul: KT_BINARY(ASKind::Multiply, a_ * b_, stack[sp--], t); break;
        case AddC: KT_BINARY(ASKind::Plus, a_ + b_, t, ins.value); break;
        case SubC: KT_BINARY(ASKind::Minus, a_ - b_, t, ins.value); break;
        case MulC: KT_BINARY(ASKind::Multiply, a_ * b_, t, ins.value); break;
        case RSubC: KT_BINARY(ASKind::Minus, a_ - b_, ins.value, t); break;
        case Sqr: KT_BINARY(ASKind::Multiply, a_ * b_, t, t); break;
        case AddX: KT_BINARY(ASKind::Plus, a_ + b_, t, x); break;
        case SubX: KT_BINARY(ASKind::Minus, a_ - b_, t, x); break;
        case MulX: KT_BINARY(ASKind::Multiply, a_ * b_, t, x); break;
        case DivC: KT_BINARY(ASKind::Divide, a_ / b_, t, ins.value); break;
        case RDivC: KT_DIVIDE(ins.value, t); break;
        case Div: KT_DIVIDE(stack[sp--], t); break;
        case DivX: KT_DIVIDE(t, x); break;
        case PushXPowI:
            stack[++sp] = t;
            t = x;
            [[fallthrough]];
        case PowI: {
            const double b = t;
            if (Ordinary(b, 0.0)) [[likely]] {
                double r = KTEvaluationRules::IntegerPower(std::fabs(b), ins.arg);
                if (b < 0.0 && (ins.arg & 1))
                    r = -r;
                if (!std::isfinite(r)) [[unlikely]]
                    return KTUndefinedValue;
                t = r;
            } else {
                KT_FULL_BINARY(ASKind::Power, b, ins.value);
            }
            break;
        }
        case PushCPowX:
            stack[++sp] = t;
            t = ins.value;
            [[fallthrough]];
        case Pow: {
            const double b = ins.op == Pow ? stack[sp--] : t;
            const double p = ins.op == Pow ? t : x;
            // A positive base and a fractional exponent: the power rule is the library's power.
            if (b > 0.0 && b <= 1.0e12 && std::fabs(p) <= 1.0e12 && p != std::floor(p) && std::fabs(p) != 0.5)
                [[likely]] {
                t = PositivePower(b, p);
                if (std::isfinite(t)) [[likely]]
                    break;
            }
            KT_FULL_BINARY(ASKind::Power, b, p);
            break;
        }
        case PushXPowC:
            stack[++sp] = t;
            t = x;
            [[fallthrough]];
        case PowC:
            if (!PowerByConstant(t, ins, t))
                return KTUndefinedValue;
            break;
        case Abs:
        case Sin:
        case Cos:
        case Exp:
        case Ln:
        case Atan:
        case Sqrt: {
            const double v = t;
            if (v > 1.0e12 || v < -1.0e12) [[unlikely]] {
                t = KTEvaluationRules::Function(ins.arg, v, in.angleScale, undefined);
                if (undefined)
                    return KTUndefinedValue;
            } else if (ins.op == Abs) {
                t = std::fabs(v);
            } else if (ins.op == Sin) {
                t = std::sin(v * in.angleScale);
            } else if (ins.op == Cos) {
                t = std::cos(v * in.angleScale);
            } else if (ins.op == Exp) {
                t = std::exp(v);
                if (!std::isfinite(t)) [[unlikely]]
                    return KTUndefinedValue;
            } else if (ins.op == Ln) {
                if (!(v > 0.0))
                    return KTUndefinedValue;
                t = std::log(v);
            } else if (ins.op == Atan) {
                t = std::atan(v) / in.angleScale;
            } else {
                if (v < 0.0)
                    return KTUndefinedValue;
                t = std::sqrt(v);
            }
            break;
        }
        case Func:
            t = KTEvaluationRules::Function(ins.arg, t, in.angleScale, undefined);
            if (undefined)
                return KTUndefinedValue;
            break;
        }
    }
#undef KT_BINARY
#undef KT_FULL_BINARY
#undef KT_DIVIDE
#undef KT_PUSH
    return std::isfinite(t) ? t : KTUndefinedValue;
}

double KTEvaluationProgram::RunProgram(const KTEvaluationInputs& in) const
{
    return RunOperations(m_ops.data(), m_ops.size(), in);
}

const KTEvaluationProgram& KTEvaluationProgram::ForConstants(const KTIntervalInputs& in) const
{
    constexpr int kConstants = 5;
    struct Kept
    {
        std::uint64_t serial = 0;
        double constants[kConstants] = {};
        double angleScale = 0.0;
        KTEvaluationProgram program;
    };
    // A thread bounds both sides of one relation, member by member: a few programs are enough.
    constexpr std::size_t kKept = 4;
    thread_local Kept kept[kKept];
    thread_local std::size_t oldest = 0;
    double constants[kConstants] = {};
    if (in.constants)
        std::copy(in.constants, in.constants + kConstants, constants);
    const auto same = [&](const Kept& k) {
        return k.serial == m_spansSerial && k.angleScale == in.angleScale &&
               std::equal(constants, constants + kConstants, k.constants);
    };
    for (const Kept& k : kept)
        if (same(k))
            return k.program;

    Kept& k = kept[oldest];
    oldest = (oldest + 1) % kKept;
    KTEvaluationProgram& p = k.program;
    p.Clear();
    p.m_ops = m_ops;
    p.m_usesAngle = m_usesAngle;
    const KTEvaluationInputs at{0.0, 0.0, in.constants, in.angleScale};
    // From the last span back, so that the earlier ones keep their places. A span without a
    // value (a root of a negative number, say) keeps its operations: its range says so.
    for (auto span = m_constantSpans.rbegin(); span != m_constantSpans.rend(); ++span) {
        const auto count = static_cast<std::size_t>(span->last - span->first + 1);
        const double v = RunOperations(m_ops.data() + span->first, count, at);
        if (!std::isfinite(v) || KTEvaluationRules::IsSentinel(v))
            continue;
        const auto first = p.m_ops.begin() + span->first;
        p.m_ops.erase(first + 1, first + static_cast<std::ptrdiff_t>(count));
        *first = {PushConst, 0, v, 0.0};
    }
    p.m_usesConstants = std::any_of(p.m_ops.begin(), p.m_ops.end(),
                                    [](const Instruction& ins) { return ins.op == PushParam; });
    p.Finish(false);
    k.serial = m_spansSerial;
    k.angleScale = in.angleScale;
    std::copy(constants, constants + kConstants, k.constants);
    return p;
}
