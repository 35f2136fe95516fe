#pragma once
// The evaluator of postfix token lists. Every sample of every curve, every animation frame and
// every point-of-interest search goes through it, so a list is compiled once into a short
// program of fused operations (constant operands folded into the operation that uses them,
// constant sub-expressions computed in advance) and the program is run per sample.
//
// The rules of one step (domains, sentinels, the power rule) live in KTEvaluationRules so that
// the compiled program and the plain token walk (KTEvaluateTokens, kept for lists that are not
// well formed) give the same results bit for bit.
//
// A curve is sampled at a row of x values, so the program also runs over a block of them at a
// time (RunBatch): each operation over the whole block, in vector registers, the dispatch paid
// once per block. Where the processor has them, sines, exponentials, logarithms and powers come
// from the C library's vector functions, which may differ from the scalar ones by a few units
// in the last place; every value that depends on one carries a bound on that difference, and a
// sample whose bound could change a domain test, a sentinel or more than 1e-14 of its value is
// evaluated again by Run. Every other sample is computed by the same operations as Run.
//
// The program also runs over ranges of x and y (Bound): each operation over an interval of its
// operands, giving a range that holds every value Run gives in the box and marking where values
// grow without bound (a pole) or may be missing (a domain's edge).

#include "engine/ASTokenList.h"
#include "engine/KTInterval.h"

#include <cstddef>
#include <cstdint>
#include <vector>

/// The values an evaluation reads besides the token list.
struct KTEvaluationInputs
{
    double x = 0.0;
    double y = 0.0;
    const double* constants = nullptr; ///< current values of a, b, c, d, m (five), or null for 0
    double angleScale = 1.0;           ///< 1 / units per radian: multiplies trigonometric arguments
};

/// The ranges an interval evaluation reads: x and y over [lo, hi] each (an empty y is an absent
/// second variable, as KTNoSecondValue is to Run), the constants and angle scale as for Run.
struct KTIntervalInputs
{
    KTInterval x;
    KTInterval y;
    const double* constants = nullptr; ///< current values of a, b, c, d, m (five), or null for 0
    double angleScale = 1.0;
    /// False where only whether the range is bounded is asked: a range across a pole then
    /// leaves out no gap between its branches, which takes the functions' values at its ends.
    bool gaps = true;
};

/// Ranges of a value and of its partial derivatives by x and y over one box. A derivative range
/// is unbounded where the value jumps or has a pole; it says nothing at points without a value.
struct KTIntervalGradient
{
    KTInterval value;
    KTInterval dx;
    KTInterval dy;
};

namespace KTEvaluationRules {
/// True for the two sentinels a step may meet as an operand.
inline bool IsSentinel(double v)
{
    return v > 1.0e12 && (v == 1000000000001.5 || v == 1000000000001.2);
}
/// base ^ n for n >= 0 by repeated squaring.
double IntegerPower(double base, int n);
/// The power rule: b ^ p with the sign of odd roots of negative bases; KTNoSecondValue where
/// there is no real value. Never undefined.
double Power(double b, double p);
/// A one-argument function of the given token kind applied to v; sets undefined when v is out
/// of the function's domain. SIN, COS and TAN of KTNoSecondValue give KTNoSecondValue.
double Function(int kind, double v, double angleScale, bool& undefined);
/// A binary operator (times, divide, plus, minus, power); sets undefined for a division by 0,
/// a sentinel operand (except the power's exponent KTNoSecondValue) and a non-finite result.
double Binary(int kind, double left, double right, bool& undefined);
} // namespace KTEvaluationRules

/// The reference walk of a postfix list on the process's one value stack, exactly as the list
/// reads: skipped kinds, an empty stack popping 0.0, a full stack making the result undefined.
/// Returns the value or KTUndefinedValue.
double KTEvaluateTokens(const ASTokenList& list, const KTEvaluationInputs& in);

class KTEvaluationProgram
{
public:
    /// Compiles the list. A list that does not reduce to exactly one value, or needs more stack
    /// than the value stack holds, compiles to nothing and IsCompiled() is false.
    void Compile(const ASTokenList& list);
    void Clear();
    bool IsCompiled() const { return m_compiled; }
    /// The program reads the constants a to m / applies the angle scale.
    bool UsesConstants() const { return m_usesConstants; }
    bool UsesAngle() const { return m_usesAngle; }
    /// Compiled, and reading neither constants nor the angle unit.
    bool IsPlain() const { return m_plain; }
    /// The program is one number: no input changes its value or its ranges.
    bool IsNumber() const { return m_constant; }
    /// The value of the compiled list, or KTUndefinedValue. Only when IsCompiled().
    double Run(const KTEvaluationInputs& in) const
    {
        double value;
        if (RunLinear(in.x, value))
            return value;
        return m_constant ? m_constantValue : RunProgram(in);
    }
    /// A straight line is the most common curve of all: one multiply-add, no dispatch. False
    /// when the program is no line or the value needs the full rules (then call RunProgram).
    bool RunLinear(double x, double& value) const
    {
        if (!m_linear)
            return false;
        const double scaled = x * m_slope;
        value = scaled + m_intercept;
        return x <= 1.0e12 && scaled <= 1.0e12 && value - value == 0.0;
    }
    double RunProgram(const KTEvaluationInputs& in) const;
    /// A range holding Run's value at every (x, y) of the box in.x by in.y where Run has one
    /// (see KTInterval: unbounded across a pole, partial where some points have no value, empty
    /// where none has). Only when IsCompiled(); without a program there is no bound, and callers
    /// take KTInterval::Entire(). Safe to call from several threads at once.
    KTInterval Bound(const KTIntervalInputs& in) const;
    /// Bound with the ranges of the derivatives by x and y over the same box (each operation's
    /// derivative rule over its ranges). A box on which a derivative keeps one sign is one on
    /// which the value is monotonic in that variable.
    KTIntervalGradient BoundWithGradient(const KTIntervalInputs& in) const;
    /// out[i] := the value at xs[i] with the rest of `in` (in.x unused), for i < count: exactly
    /// Run's value wherever that is undefined or a sentinel, otherwise within a relative 1e-14
    /// of it (exactly it where no vector function is involved). Only when IsCompiled().
    void RunBatch(const double* xs, double* out, int count, const KTEvaluationInputs& in) const;
    /// RunBatch runs every operation over whole blocks: none applies the full rules lane by
    /// lane, and the processor has the vector path. Else a block costs about what Run does.
    bool RunsInBlocks() const;
    /// Process-wide switch for tests and benchmarks: RunBatch calls Run for every x.
    static void SetReferencePath(bool on) { s_referencePath = on; }
    static bool IsReferencePath() { return s_referencePath; }
    /// The processor runs the block form (AVX2 with FMA on x86-64); otherwise RunBatch calls Run.
    static bool HasVectorPath();
    /// Number of operations after fusion (for tests and the benchmark).
    int OperationCount() const { return static_cast<int>(m_ops.size()); }

    /// True when the postfix list reduces to exactly one value with every operator finding its
    /// operands (the kinds the walk skips ignored) and never needs more than the stack's room.
    static bool IsWellFormed(const ASTokenList& list, int* maxDepth = nullptr);
    /// First index of the operand that ends at `last` in a postfix list (the right operand of
    /// the operator after it), or -1 when the tokens before do not complete one.
    static int OperandStart(const ASTokenList& list, int last);
    /// The list reads x (or t or theta, which evaluate as x) among its operands.
    static bool ReadsX(const ASTokenList& list, int first, int last);

    enum Op : std::int32_t {
        PushConst,
        PushX,
        PushY,
        PushParam,
        PushXMulC,   ///< x * c
        PushXLinear, ///< x * c + c2
        PushXSqr,    ///< x * x
        Add,
        Sub,
        Mul,
        Div,
        Pow,
        AddC,
        SubC,
        MulC,
        DivC,
        RSubC, ///< c - top
        RDivC, ///< c / top
        PowC,
        Sqr,
        AddX,
        SubX,
        MulX,
        DivX,
        Sin,
        Cos,
        Exp,
        Sqrt,
        Ln,
        Abs,
        Atan,
        PowI,       ///< top ^ arg for a whole exponent 3..64
        PushXPowI,  ///< x ^ arg
        PushXPowC,  ///< x ^ c for a positive fractional c
        PushCPowX,  ///< c ^ x
        DivXLinear, ///< top / (x * c + c2), as in (x^2 + 1)/(x - 3)
        Func,       ///< any other one-argument function, of kind arg
    };

    struct Instruction
    {
        Op op;
        std::int32_t arg; ///< function kind or constant index
        double value;
        double value2;
    };
    /// The operations after fusion, in order (for tests and the benchmark).
    const std::vector<Instruction>& Operations() const { return m_ops; }
    /// A part of the program that computes one operand from x alone or from y alone (no
    /// constant a to m) with a costly operation in it, as sin(x) and cos(y) in sin(x) + cos(y):
    /// an implicit plot bounds it over the same column's (row's) interval for every cell of the
    /// column (row), so its ranges are kept per thread, by interval, and read again.
    struct Piece
    {
        std::int32_t first, last; ///< its operations
        bool onY;                 ///< reads y, not x
    };
    static constexpr int MaxPieces = 4;
    /// The pieces, in the order of their operations (for tests).
    const std::vector<Piece>& Pieces() const { return m_pieces; }
    /// The operands computed from the constants a to m alone and taken by an operation that
    /// reads x or y, as m ^ 2 in x ^ (m ^ 2): one number over any box, first to last operation.
    struct Span
    {
        std::int32_t first, last;
    };
    const std::vector<Span>& ConstantSpans() const { return m_constantSpans; }

private:
    /// One operation of the block form: the stack slot it writes (its first operand's) and
    /// whether its operands carry an error bound from a vector function.
    struct BatchStep
    {
        Instruction ins;
        std::int16_t slot;
        bool boundA; ///< the top (unary) or left operand
        bool boundB; ///< the right operand of an operation on two stacked values
    };

    /// The operations first to first + count - 1 by the scalar rules: the value of the one
    /// operand they compute, or KTUndefinedValue.
    static double RunOperations(const Instruction* first, std::size_t count, const KTEvaluationInputs& in);
    /// What compiling leaves to be found once the operations are fixed: the line, the block
    /// form, the pieces, the spans of constants (unless `spans` is false), whether gaps matter
    /// and the value of a program that is one number.
    void Finish(bool spans);
    /// This program with each span of constants replaced by its value at in's constants, where
    /// that is a number: the ranges then take a family member's m ^ 2 as the one number every
    /// point of a box computes, not as a range around it. Kept per thread; the program itself
    /// without spans.
    const KTEvaluationProgram& ForConstants(const KTIntervalInputs& in) const;

    void EmitBinary(int kind);
    void EmitFunction(int kind);
    void Peephole();
    void PlanBatch();
    void RunBlocks(const double* xs, double* out, int count, const KTEvaluationInputs& in) const;

    static inline bool s_referencePath = false;

    std::vector<Instruction> m_ops;
    std::vector<BatchStep> m_batch; ///< empty: RunBatch calls Run for every x
    int m_batchSlots = 0;
    bool m_batchResultBound = false;
    std::vector<int> m_starts; ///< while compiling: the first operation of each stacked value
    bool m_compiled = false;
    bool m_usesConstants = false;
    bool m_usesAngle = false;
    bool m_plain = false;
    bool m_linear = false; ///< the program is x * m_slope + m_intercept
    double m_slope = 0.0;
    double m_intercept = 0.0;
    /// Finds the pieces of the compiled program (at most MaxPieces, those that come first),
    /// and with `spans` its spans of constants.
    void FindPieces(bool spans);
    std::vector<Piece> m_pieces;
    /// Tells this program's pieces from another's in the kept ranges; 0 without pieces.
    std::uint64_t m_serial = 0;
    std::vector<Span> m_constantSpans;
    /// Tells this program's spans from another's in the programs kept for constants.
    std::uint64_t m_spansSerial = 0;
    /// Its ranges keep the gaps across poles whatever KTIntervalInputs::gaps asks.
    bool m_gapsMatter = false;

    /// The program is one number (the side of most relations): its value and ranges, which no
    /// input changes, are taken once when it is compiled.
    bool m_constant = false;
    double m_constantValue = 0.0;
    KTInterval m_constantRange;
    KTIntervalGradient m_constantGradient;
};
