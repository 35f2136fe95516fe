// The interval form of the evaluator: typed functions bounded over ranges whose images are known
// in closed form (the expected ends computed by hand and with python3, a degree being 1 /
// 57.29577951 of a radian and a grad 1 / 63.66197724 as the program has them), tight to rounding where
// the function reads its variable once; poles in every angle unit unbounded; and, for random
// programs over random boxes, every value Run gives inside the box lies within the bound, and a
// point without a value only where the bound says some may lack one.

#include "KTFunction3TestHelpers.h"

#include "engine/KTEvaluationProgram.h"
#include "engine/KTIntervalRules.h"
#include "foundation/KTSentinelValues.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <set>
#include <limits>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double N = KTNoSecondValue;

bool NoValue(double v)
{
    return !std::isfinite(v) || KTEvaluationRules::IsSentinel(v);
}

/// The same range to the last bit: ends, flag and gap.
bool Identical(const KTInterval& a, const KTInterval& b)
{
    if (a.IsEmpty() || b.IsEmpty())
        return a.IsEmpty() == b.IsEmpty() && a.IsPartial() == b.IsPartial();
    const auto bits = [](double v) { return std::bit_cast<std::uint64_t>(v); };
    return bits(a.m_lo) == bits(b.m_lo) && bits(a.m_hi) == bits(b.m_hi) && a.m_partial == b.m_partial &&
           a.m_jumps == b.m_jumps && a.HasGap() == b.HasGap() &&
           (!a.HasGap() || (bits(a.m_gapLo) == bits(b.m_gapLo) && bits(a.m_gapHi) == bits(b.m_gapHi)));
}

/// f's bound over [from, to], checked to be the generic walk's to the last bit.
KTInterval BoundOnBothWalks(KTFunction3& f, double from, double to)
{
    const KTInterval b = f.BoundValue(from, to);
    KTEvaluationProgram::SetReferencePath(true);
    const KTInterval reference = f.BoundValue(from, to);
    KTEvaluationProgram::SetReferencePath(false);
    EXPECT_TRUE(Identical(b, reference)) << "over [" << from << ", " << to << "]";
    return b;
}

/// A program's ranges over a box, alone and with the derivatives.
struct Ranges
{
    KTInterval value;
    KTIntervalGradient gradient;
};

/// The program's ranges over the box, checked to be the generic walk's to the last bit.
Ranges OnBothWalks(const KTEvaluationProgram& program, const KTIntervalInputs& in, const std::string& what)
{
    const Ranges lean{program.Bound(in), program.BoundWithGradient(in)};
    KTEvaluationProgram::SetReferencePath(true);
    const Ranges reference{program.Bound(in), program.BoundWithGradient(in)};
    KTEvaluationProgram::SetReferencePath(false);
    EXPECT_TRUE(Identical(lean.value, reference.value) && Identical(lean.gradient.value, reference.gradient.value) &&
                Identical(lean.gradient.dx, reference.gradient.dx) &&
                Identical(lean.gradient.dy, reference.gradient.dy))
        << what;
    return lean;
}

/// Jumps: bounded, but the expression may jump inside.
enum Shape { Bounded, Partial, Empty, Jumps };

struct BoundRow
{
    const char* text;
    int system; ///< 0 degrees, 1 radians, 2 grads
    double from, to;
    double lo, hi; ///< the image of [from, to]; an infinite end where it is unbounded
    Shape shape;
};

// clang-format off
const BoundRow kBoundRows[] = {
    // Polynomials and the same variable read twice.
    {"y = x^2", 1, -1, 2, 0, 4, Bounded},
    {"y = x^3", 1, -2, 1, -8, 1, Bounded},
    {"y = x*x", 1, -1, 2, 0, 4, Bounded},
    {"y = 3x + 1", 1, -1, 2, -2, 7, Bounded},
    {"y = x^4 - 1", 1, -1, 1, -1, 0, Bounded},
    // Exponents computed from the constants (each 1): one number over the box, whatever their
    // rounding, so that a negative base has its powers.
    {"y = x^(a+1)", 1, -2, -1, 1, 4, Bounded},
    {"y = x^(3m)", 1, -2, 1, -8, 1, Bounded},
    {"y = (x-3)^(b/3)", 1, 0, 2, -1.4422495703074083, -1, Bounded},
    {"y = x^(c^2+1)", 1, -1, 2, 0, 4, Bounded},
    {"y = sin((a+1)x)", 0, 0, 45, 0, 1, Bounded},
    {"y = sin((a+1)x)", 1, 0, 0.7853981633974483, 0, 1, Bounded},
    {"y = sin((a+1)x)", 2, 0, 50, 0, 1, Bounded},
    {"y = (x-2)^(1/(m+2))", 0, -6, 1, -2, -1, Bounded},
    // Trigonometric functions in radians, degrees and grads; the poles in each.
    {"y = sin(x)", 1, 0, 1.5707963267948966, 0, 1, Bounded},
    {"y = sin(x)", 1, -1, 5, -1, 1, Bounded},
    {"y = cos(x)", 1, -1, 2, -0.4161468365471424, 1, Bounded},
    {"y = tan(x)", 1, -1, 1, -1.5574077246549023, 1.5574077246549023, Bounded},
    {"y = tan(x)", 1, 1, 2, -kInf, kInf, Partial},
    {"y = sec(x)", 1, -1, 1, 1, 1.8508157176809255, Bounded},
    {"y = sec(x)", 1, 1, 2, -kInf, kInf, Partial},
    {"y = cosec(x)", 1, 0.5, 3, 1, 7.086167395737187, Bounded},
    {"y = cosec(x)", 1, -1, 1, -kInf, kInf, Partial},
    {"y = cot(x)", 1, 0.5, 3, -7.015252551434534, 1.830487721712452, Bounded},
    {"y = cot(x)", 1, 3, 4, -kInf, kInf, Partial},
    {"y = tan(35.6x)", 1, 0, 0.04, 0, 6.763157003629753, Bounded},
    {"y = tan(35.6x)", 1, 0.04, 0.05, -kInf, kInf, Partial},
    {"y = sin(x)", 0, 0, 90, 0, 1, Bounded},
    {"y = sin(x)", 0, 10, 80, 0.173648177676177, 0.9848077530252515, Bounded},
    {"y = cos(x)", 0, 60, 180, -1, 0.49999999995121186, Bounded},
    {"y = tan(x)", 0, -60, 60, -1.73205080779422, 1.73205080779422, Bounded},
    {"y = tan(x)", 0, 80, 100, -kInf, kInf, Partial},
    {"y = tan(x)", 0, -360, 360, -kInf, kInf, Partial},
    {"y = sec(x)", 0, 80, 100, -kInf, kInf, Partial},
    {"y = cot(x)", 0, 170, 190, -kInf, kInf, Partial},
    {"y = cosec(x)", 0, 30, 150, 1, 2.000000000487882, Bounded},
    {"y = asin(x)", 0, -2, 0.5, -89.99999999515829, 29.9999999983861, Partial},
    {"y = atan(x)", 0, -1, 1, -44.999999997579145, 44.999999997579145, Bounded},
    {"y = sin(x)", 2, 0, 100, 0, 1, Bounded},
    {"y = cos(x)", 2, 0, 150, -0.7071067811017057, 1, Bounded},
    {"y = tan(x)", 2, -50, 50, -0.9999999999200101, 0.9999999999200101, Bounded},
    {"y = tan(x)", 2, 90, 110, -kInf, kInf, Partial},
    {"y = cosec(x)", 2, -10, 10, -kInf, kInf, Partial},
    {"y = acos(x)", 2, 0, 1, 0, 100.0000000050923, Bounded},
    // Divisions, logarithms and roots at and beyond the ends of their domains.
    {"y = 1/x", 1, -1, 1, -kInf, kInf, Partial},
    {"y = 1/x", 1, 1, 2, 0.5, 1, Bounded},
    {"y = 1/x", 1, 0, 1, 1, kInf, Partial},
    {"y = 1/(x - 3)", 1, 2, 4, -kInf, kInf, Partial},
    {"y = ln(x)", 1, 1, 2.718281828459045, 0, 1, Bounded},
    {"y = ln(x)", 1, 0, 1, -kInf, 0, Partial},
    {"y = ln(x)", 1, -2, -1, 0, 0, Empty},
    {"y = ln(abs(x))", 1, -1, 1, -kInf, 0, Partial},
    {"y = log(x)", 1, 1, 100, 0, 2, Bounded},
    {"y = sqrt(x)", 1, -1, 4, 0, 2, Partial},
    {"y = sqrt(x)", 1, 4, 9, 2, 3, Bounded},
    {"y = sqrt(x)", 1, -3, -2, 0, 0, Empty},
    {"y = asin(x)", 1, 2, 3, 0, 0, Empty},
    // Powers: odd roots of negative bases, fractional and negative exponents, the pole at 0.
    {"y = x^(1/3)", 1, -8, 27, -2, 3, Bounded},
    {"y = x^(2/3)", 1, -8, 1, 0, 4, Bounded},
    {"y = x^(7/3)", 1, -6000, -5000, -654163413.41957028, -427493986.66917425, Bounded},
    {"y = x^0.5", 1, -1, 4, 0, 2, Partial},
    {"y = x^1.5", 1, 0, 4, 0, 8, Bounded},
    {"y = x^1.5", 1, -1, 4, 0, 8, Partial},
    {"y = x^-2", 1, -1, 1, 1, kInf, Partial},
    {"y = x^-2", 1, 1, 2, 0.25, 1, Bounded},
    {"y = x^-1", 1, -2, -1, -1, -0.5, Bounded},
    {"y = 2^x", 1, -1, 3, 0.5, 8, Bounded},
    // The other functions.
    {"y = abs(x)", 1, -3, 2, 0, 3, Bounded},
    {"y = exp(x)", 1, 0, 1, 1, 2.718281828459045, Bounded},
    {"y = cosh(x)", 1, -1, 2, 1, 3.7621956910836314, Bounded},
    {"y = sinh(x)", 1, -1, 2, -1.1752011936438014, 3.626860407847019, Bounded},
    {"y = tanh(x)", 1, -1, 2, -0.7615941559557649, 0.9640275800758169, Bounded},
    // Jumps of gint, also where the rest of the expression is continuous.
    {"y = gint(x) + x", 1, 0.5, 1.5, 0.5, 2.5, Jumps},
    {"y = x - gint(x)", 1, 0.25, 0.75, 0.25, 0.75, Bounded},
    {"y = sin(gint(x))", 1, 2.5, 3.5, 0.1411200080598672, 0.9092974268256817, Jumps},
    {"y = gint(2x)^2", 1, -0.25, 0.25, 0, 1, Jumps},
};
// clang-format on

TEST(KTEvaluationInterval, TypedFunctionsAreBoundedByTheirImages)
{
    KTAxes axes;
    for (const BoundRow& row : kBoundRows) {
        kttest::SetAngleSystem(axes, row.system);
        KTFunction3 f(&axes);
        kttest::InterpretText(f, row.text);
        const std::string what = std::string(row.text) + " over [" + std::to_string(row.from) + ", " +
                                 std::to_string(row.to) + "] in angle system " + std::to_string(row.system);
        ASSERT_EQ(f.Status(), KTStatusExplicit) << what;
        const KTInterval b = BoundOnBothWalks(f, row.from, row.to);
        if (row.shape == Empty) {
            EXPECT_TRUE(b.IsEmpty()) << what;
            continue;
        }
        ASSERT_FALSE(b.IsEmpty()) << what;
        EXPECT_EQ(b.IsPartial(), row.shape == Partial) << what;
        EXPECT_EQ(b.m_jumps, row.shape == Jumps) << what;
        EXPECT_EQ(b.IsBounded(), std::isfinite(row.lo) && std::isfinite(row.hi)) << what;
        // Tight to the widening by rounding: a few units in the last place of the larger end.
        const double slack = 1e-13 * std::max({1.0, std::fabs(row.lo), std::fabs(row.hi)});
        if (std::isfinite(row.lo)) {
            EXPECT_LE(b.m_lo, row.lo) << what;
            EXPECT_GE(b.m_lo, row.lo - slack) << what;
        } else {
            EXPECT_EQ(b.m_lo, row.lo) << what;
        }
        if (std::isfinite(row.hi)) {
            EXPECT_GE(b.m_hi, row.hi) << what;
            EXPECT_LE(b.m_hi, row.hi + slack) << what;
        } else {
            EXPECT_EQ(b.m_hi, row.hi) << what;
        }
    }
}

// Every pole of tan, sec, cosec and cot within ten turns, in each angle unit: a step of a
// hundredth of a degree up to it, from it or across it is unbounded; a step between two poles, a hundredth of
// the way from each, is bounded.
TEST(KTEvaluationInterval, PolesAreUnboundedInEveryAngleUnit)
{
    struct Pole
    {
        const char* text;
        double offset; ///< the first pole, as a part of a half turn
    };
    const Pole poles[] = {
        {"y = tan(x)", 0.5}, {"y = sec(x)", 0.5}, {"y = cosec(x)", 0.0}, {"y = cot(x)", 0.0}};
    // Angles in degrees and grads are the program's own: 57.29577951 and 63.66197724 per radian.
    const double halfTurn[3] = {57.29577951 * 3.141592653589793, 3.141592653589793,
                                63.66197724 * 3.141592653589793};
    KTAxes axes;
    int checked = 0;
    for (int system = 0; system < 3; ++system) {
        kttest::SetAngleSystem(axes, system);
        const double h = halfTurn[system];
        for (const Pole& pole : poles) {
            KTFunction3 f(&axes);
            kttest::InterpretText(f, pole.text);
            for (int k = -20; k <= 20; ++k) {
                const double at = (k + pole.offset) * h;
                const double step = h / 18000.0;
                const std::string what = std::string(pole.text) + " at " + std::to_string(at) +
                                         " in system " + std::to_string(system);
                EXPECT_FALSE(BoundOnBothWalks(f, at - step, at + step).IsBounded()) << what;
                EXPECT_FALSE(f.BoundValue(at - step, at).IsBounded()) << what;
                EXPECT_FALSE(f.BoundValue(at, at + step).IsBounded()) << what;
                const KTInterval between = f.BoundValue(at + 0.01 * h, at + 0.99 * h);
                EXPECT_TRUE(between.IsBounded()) << what;
                EXPECT_FALSE(between.IsPartial()) << what;
                ++checked;
            }
        }
    }
    EXPECT_EQ(checked, 3 * 4 * 41);
}

// Across one pole the range leaves out the values between its two branches, and with them 0:
// the gap's ends are the function's values at the ends of the range (by hand and python3).
TEST(KTEvaluationInterval, RangesAcrossAPoleLeaveOutTheGapBetweenItsBranches)
{
    const BoundRow rows[] = {
        {"y = 1/x", 1, -1, 2, -1, 0.5, Partial},
        {"y = tan(x)", 1, 1, 2, -2.185039863261519, 1.5574077246549023, Partial},
        {"y = tan(35.6x)", 1, 0.04, 0.05, -4.710091916114252, 6.763157003629753, Partial},
        {"y = tan(x)", 0, 80, 100, -5.6712818165039, 5.6712818221087575, Partial},
        {"y = sec(x)", 1, 1, 2, -2.402997961722381, 1.8508157176809255, Partial},
        {"y = cot(x)", 1, 3, 4, -7.015252551434534, 0.8636911544506167, Partial},
        {"y = 2/x + 1", 1, -2, 1, 0, 3, Partial},
    };
    KTAxes axes;
    for (const BoundRow& row : rows) {
        kttest::SetAngleSystem(axes, row.system);
        KTFunction3 f(&axes);
        kttest::InterpretText(f, row.text);
        const KTInterval b = BoundOnBothWalks(f, row.from, row.to);
        ASSERT_TRUE(b.HasGap()) << row.text;
        EXPECT_FALSE(b.IsBounded()) << row.text;
        const double slack = 1e-13 * std::max({1.0, std::fabs(row.lo), std::fabs(row.hi)});
        EXPECT_GE(b.m_gapLo, row.lo) << row.text;
        EXPECT_LE(b.m_gapLo, row.lo + slack) << row.text;
        EXPECT_LE(b.m_gapHi, row.hi) << row.text;
        EXPECT_GE(b.m_gapHi, row.hi - slack) << row.text;
        EXPECT_EQ(b.ExcludesZero(), row.lo < 0 && row.hi > 0) << row.text;
    }
    // Asked only whether they are bounded, ranges across a pole leave the gap out, unless a
    // reciprocal or a power after the pole would be bounded with it: 1 / tan(x) across pi / 2
    // is (near 0), whatever is asked.
    using kttest::Num;
    using kttest::Tok;
    const Tok x{ASKind::X}, tangent{ASKind::Tan}, divide{ASKind::Divide};
    const struct
    {
        std::vector<Tok> postfix;
        bool bounded;
    } plain[] = {
        {{x, tangent, Num(1), {ASKind::Minus}}, false},
        {{x, tangent, Num(2), {ASKind::Multiply}, x, {ASKind::Plus}}, false},
        {{Num(1), x, tangent, divide}, true},
        {{x, x, tangent, divide}, true},
        {{Num(1), x, tangent, Num(1), {ASKind::Plus}, divide}, true},
        {{Num(1), x, {ASKind::Sec}, divide}, true},
        {{x, tangent, tangent, {ASKind::ArcTan}}, true},
        {{Num(0), x, tangent, Num(2), {ASKind::Power}, {ASKind::Minus}, {ASKind::Exp}},
         true}, // exp(-tan(x)^2): wider without the gap, never narrower
    };
    for (const auto& row : plain) {
        ASTokenList list;
        for (const Tok& t : row.postfix)
            list.Append(t.kind, t.value);
        KTEvaluationProgram program;
        program.Compile(list);
        ASSERT_TRUE(program.IsCompiled());
        KTIntervalInputs in{{1.5, 1.6}, KTInterval::Empty(), nullptr, 1.0};
        const KTInterval with = program.Bound(in);
        in.gaps = false;
        const KTInterval without = program.Bound(in);
        EXPECT_EQ(with.IsBounded(), row.bounded) << kttest::Describe(list);
        EXPECT_EQ(without.IsBounded(), row.bounded) << kttest::Describe(list);
        EXPECT_FALSE(!row.bounded && without.HasGap()) << kttest::Describe(list);
        EXPECT_TRUE(!with.IsBounded() || (without.m_lo <= with.m_lo && with.m_hi <= without.m_hi))
            << kttest::Describe(list);
    }
}

// Random programs of every operator and function, with y, a constant and the angle units,
// over random boxes from a millionth to twenty units across: the invariant of the bound.
TEST(KTEvaluationInterval, BoundsHoldEveryValueOfRandomProgramsOverRandomBoxes)
{
    std::mt19937 rng(20260322);
    const std::vector<int> operands = {ASKind::X,      ASKind::Y,  ASKind::A, ASKind::Number,
                                       ASKind::Number, ASKind::Pi, ASKind::E, ASKind::X};
    const std::vector<double> numbers = {0,  1,   -1,   2,   0.5, -0.5, 3,  1.0 / 3,
                                         -8, 1e6, 0.25, 2.5, 90,  1.5,  -2, 2.0 / 3};
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const double constants[5] = {1.5, -2, 0, 0, 3};
    long long checked = 0;
    long long quotients = 0;
    int bounded = 0;
    int gapped = 0;
    int programs = 0;
    int pieced = 0; // boxes of programs with pieces of one variable
    int ungapped = 0; // gaps that a bound without gaps leaves out
    std::set<int> operations;
    // After the random programs, the whole powers of a computed base, which they seldom make,
    // and sides of one number (whose ranges are taken once, when they are compiled).
    const std::vector<std::vector<kttest::Tok>> powers = {
        {{ASKind::X}, kttest::Num(1), {ASKind::Plus}, kttest::Num(3), {ASKind::Power}},
        {{ASKind::Y}, {ASKind::Sin}, kttest::Num(4), {ASKind::Power}, {ASKind::X}, {ASKind::Minus}},
        {kttest::Num(0.1)},
        {{ASKind::Pi}, kttest::Num(2), {ASKind::Multiply}},
        {kttest::Num(1), kttest::Num(0), {ASKind::Divide}}};
    for (int trial = 0; trial < 1200 + static_cast<int>(powers.size()); ++trial) {
        const int length = 1 + static_cast<int>(rng() % 14);
        const auto fixed = [&] {
            ASTokenList made;
            for (const kttest::Tok& t : powers[trial - 1200])
                made.Append(t.kind, t.value);
            return made;
        };
        const ASTokenList list =
            trial < 1200 ? kttest::RandomPostfixList(rng, length, 60, operands, numbers) : fixed();
        if (!KTEvaluationProgram::IsWellFormed(list))
            continue;
        KTEvaluationProgram program;
        program.Compile(list);
        ASSERT_TRUE(program.IsCompiled());
        ++programs;
        for (int box = 0; box < 6; ++box) {
            const int system = static_cast<int>(rng() % 3);
            const double scale = system == 0 ? 1 / 57.29577951 : system == 1 ? 1.0 : 1 / 63.66197724;
            const double width = std::pow(10.0, -6.0 + 7.3 * unit(rng));
            const double x0 = -12.0 + 24.0 * unit(rng);
            const double y0 = -12.0 + 24.0 * unit(rng);
            const bool absentY = box == 5;
            KTIntervalInputs in{{x0, x0 + width},
                                absentY ? KTInterval::Empty() : KTInterval(y0, y0 + width),
                                constants,
                                scale};
            // The walks an implicit plot takes give the generic walk's ranges to the last bit.
            const Ranges ranges = OnBothWalks(program, in, kttest::Describe(list));
            const KTInterval& b = ranges.value;
            const KTIntervalGradient& g = ranges.gradient;
            EXPECT_EQ(g.value, b) << kttest::Describe(list);
            // Without gaps (where only whether the range is bounded is asked).
            {
                KTIntervalInputs plain = in;
                plain.gaps = false;
                const KTInterval n = OnBothWalks(program, plain, kttest::Describe(list) + " without gaps").value;
                // Never narrower, and bounded where the range with gaps is.
                if (b.IsBounded()) {
                    EXPECT_TRUE(n.IsBounded() && n.m_lo <= b.m_lo && n.m_hi >= b.m_hi)
                        << kttest::Describe(list) << " without gaps";
                } else if (!b.IsEmpty()) {
                    EXPECT_FALSE(n.IsBounded()) << kttest::Describe(list) << " without gaps";
                    ungapped += b.HasGap() && !n.HasGap() ? 1 : 0;
                }
            }
            // A box beside it in the same column (row), as the cells of a plot lie, in the same or
            // another angle unit: what the walks keep of the pieces of one variable is read
            // again only where it holds.
            for (int k = 0; k < 2; ++k) {
                KTIntervalInputs beside = in;
                const double shift = width * (1 + static_cast<int>(rng() % 3));
                if (k == 0 && !absentY)
                    beside.y = KTInterval(y0 + shift, y0 + shift + width);
                else
                    beside.x = KTInterval(x0 + shift, x0 + shift + width);
                if (rng() % 2 == 0)
                    beside.angleScale = scale == 1.0 ? 1 / 57.29577951 : 1.0;
                for (const KTIntervalInputs* box : {&beside, &in})
                    OnBothWalks(program, *box, kttest::Describe(list) + " beside, " + std::to_string(k));
            }
            pieced += program.Pieces().empty() ? 0 : 1;
            for (const KTEvaluationProgram::Instruction& ins : program.Operations())
                operations.insert(ins.op);
            bounded += b.IsBounded() ? 1 : 0;
            gapped += b.HasGap() ? 1 : 0;
            const std::string what = kttest::Describe(list) + " over x " + std::to_string(x0) + " + " +
                                     std::to_string(width) + ", y " + std::to_string(y0) + ", system " +
                                     std::to_string(system);
            int failures = 0;
            for (int i = 0; i <= 8 && failures == 0; ++i) {
                for (int j = 0; j <= 8 && failures == 0; ++j) {
                    const double x = i == 8 ? x0 + width : x0 + width * (i + (i == 0 ? 0.0 : unit(rng))) / 8;
                    const double y =
                        absentY ? N
                                : (j == 8 ? y0 + width : y0 + width * (j + (j == 0 ? 0.0 : unit(rng))) / 8);
                    const double v = program.Run({x, y, constants, scale});
                    if (NoValue(v)) {
                        if (!b.IsPartial())
                            ++failures;
                        EXPECT_TRUE(b.IsPartial()) << what << ": no value at (" << x << ", " << y << ")";
                    } else {
                        if (!b.Contains(v))
                            ++failures;
                        EXPECT_TRUE(b.Contains(v)) << what << ": " << v << " at (" << x << ", " << y
                                                   << ") outside [" << b.m_lo << ", " << b.m_hi << "]";
                    }
                    ++checked;
                }
            }
            // By the mean value theorem, every difference quotient along x or y between points of
            // the box lies in the derivative's range where the function has a value on the whole
            // box: checked between neighbours an eighth of the box apart where the values show
            // it, that is where they change by far more than their rounding. Rounding is
            // measured where it is made: as the most the values at sixteen points between the
            // two leave the line through them (a smooth function over so short a step is next
            // to straight), and a few units in the last place of the largest operand.
            double largest = 1.0;
            for (const KTEvaluationProgram::Instruction& ins : program.Operations())
                largest = std::max({largest, std::fabs(ins.value), std::fabs(ins.value2)});
            const double h = width / 8;
            const auto quotientInside = [&](const KTInterval& d, double x, double y, bool alongX) {
                const auto at = [&](double t) {
                    return program.Run({alongX ? x + t : x, alongX ? y : y + t, constants, scale});
                };
                const double fa = at(0.0);
                const double fb = at(h);
                double noise = 0.0;
                for (int k = 1; k < 16; ++k)
                    noise = std::max(noise, std::fabs(at(h * k / 16) - (fa + (fb - fa) * k / 16)));
                const double size =
                    std::max({largest, std::fabs(x0) + std::fabs(y0), std::fabs(fa), std::fabs(fb)});
                const double rounding = 64 * std::numeric_limits<double>::epsilon() * size + 4 * noise;
                if (!(std::fabs(fb - fa) > 100 * rounding))
                    return;
                const double slack = rounding / h + 1e-6 * std::max(std::fabs(d.m_lo), std::fabs(d.m_hi));
                const double q = (fb - fa) / h;
                EXPECT_TRUE(d.m_lo - slack <= q && q <= d.m_hi + slack)
                    << what << ": d/d" << (alongX ? "x" : "y") << " at (" << x << ", " << y << ") is " << q
                    << ", not in [" << d.m_lo << ", " << d.m_hi << "]";
                ++quotients;
            };
            for (int i = 0; i < 8 && !b.IsPartial() && b.IsBounded() && !absentY; ++i) {
                for (int j = 0; j < 8; ++j) {
                    quotientInside(g.dx, x0 + h * i, y0 + h * j, true);
                    quotientInside(g.dy, x0 + h * i, y0 + h * j, false);
                }
            }
            if (::testing::Test::HasFailure())
                return;
        }
    }
    EXPECT_GT(programs, 800);
    EXPECT_GT(checked, 300000);
    EXPECT_GT(bounded, 1000);
    EXPECT_GT(gapped, 30);
    EXPECT_GT(quotients, 50000);
    EXPECT_GT(pieced, 1000);
    EXPECT_GT(ungapped, 10);
    for (int op = 0; op <= KTEvaluationProgram::Func; ++op)
        EXPECT_TRUE(operations.count(op)) << "operation " << op << " never compared";
}

// Ranges a few units in the last place across, far out and beside the poles, zeros and
// extremes of the trigonometric functions, in every angle unit: each value the scalar rule
// gives inside lies within the range, which takes its ends from the library's vector forms.
TEST(KTEvaluationInterval, TrigonometricRangesHoldTheScalarRuleToTheLastBit)
{
    const int functions[] = {ASKind::Sin, ASKind::Cos, ASKind::Tan, ASKind::Cot, ASKind::Sec, ASKind::Cosec};
    const double scales[] = {1.0, 1 / 57.29577951, 1 / 63.66197724};
    // Centres: whole multiples of a quarter turn (in radians, to the nearest double), and
    // random angles up to a billion.
    std::vector<double> turns = {1, 2, 3, 7, 101, 1e4 + 1, 1e6 + 3, 4e8 + 1, 2e13 + 1, 4e14 + 3,
                                 0x1.7512069b7430dp+47 / (0.5 * std::numbers::pi)}; // cos hard to round
    std::mt19937 rng(20261210);
    std::uniform_real_distribution<double> spread(-1e9, 1e9);
    for (int k = 0; k < 40; ++k)
        turns.push_back(spread(rng) / (0.5 * std::numbers::pi));
    const double constants[5] = {0, 0, 0, 0, 0};
    long long checked = 0;
    int narrow = 0;
    for (const int kind : functions) {
        ASTokenList list;
        list.Append(ASKind::X, 0);
        list.Append(kind, 0);
        KTEvaluationProgram program;
        program.Compile(list);
        ASSERT_TRUE(program.IsCompiled());
        for (const double scale : scales) {
            for (const double turn : turns) {
                for (const int side : {-1, 1}) {
                    const double centre = turn * (0.5 * std::numbers::pi) / scale * side;
                    for (const int ulps : {1, 4, 64, 1 << 20}) {
                        const double width =
                            ulps * std::fabs(centre) * std::numeric_limits<double>::epsilon();
                        for (const double lo : {centre - width, centre, centre + width}) {
                            const double hi = lo + width;
                            const KTInterval b =
                                program.Bound({{lo, hi}, KTInterval::Empty(), constants, scale});
                            narrow += b.IsBounded() ? 1 : 0;
                            for (int i = 0; i <= 32; ++i) {
                                const double x = i == 32 ? hi : lo + (hi - lo) * i / 32;
                                const double v = program.Run({x, N, constants, scale});
                                if (NoValue(v))
                                    continue;
                                EXPECT_TRUE(b.Contains(v))
                                    << kttest::Describe(list) << " at " << x << ": " << v << " outside ["
                                    << b.m_lo << ", " << b.m_hi << "]";
                                ++checked;
                            }
                            if (::testing::Test::HasFailure())
                                return;
                        }
                    }
                }
            }
        }
    }
    EXPECT_GT(checked, 200000);
    EXPECT_GT(narrow, 5000);
}

// The parts of a side that read x alone or y alone with a costly operation in them, whose
// ranges are kept by interval: each one operand of its variable, in the order of the
// operations; and a program compiled again over the same boxes reads none of the ranges kept for
// the one before.
TEST(KTEvaluationInterval, PiecesOfOneVariableAreKeptForTheirOwnProgram)
{
    using kttest::Num;
    using kttest::Tok;
    const Tok x{ASKind::X}, y{ASKind::Y}, a{ASKind::A}, plus{ASKind::Plus}, times{ASKind::Multiply};
    const Tok sine{ASKind::Sin}, cosine{ASKind::Cos}, tangent{ASKind::Tan}, ln{ASKind::Ln}, power{ASKind::Power};
    struct Row
    {
        std::vector<Tok> postfix;
        const char* pieces; ///< the variable of each, in order
        std::size_t constantSpans = 0; ///< parts computed from the constants alone
    };
    const Row rows[] = {
        {{x, sine, y, cosine, plus}, "xy"},           // sin(x) + cos(y)
        {{x, y, times, tangent}, ""},                 // tan(xy): no part of one variable
        {{x, sine, a, plus}, "x"},                    // sin(x) + a
        {{a, x, times, sine, y, plus}, ""},           // sin(ax) + y: a constant inside
        {{x, x, times, y, y, times, plus}, ""},       // x^2 + y^2: nothing costly
        {{x, sine}, "x"},                             // the whole program
        {{y, ln, x, times}, "y"},                     // ln(y) x
        {{x, sine, x, cosine, times, y, plus}, "x"},  // sin(x) cos(x) + y: one piece
        {{x, Num(2.5), power, y, plus}, "x"},         // x^2.5 + y
        {{x, a, Num(1), plus, power, y, plus}, "", 1}, // x^(a+1) + y
        {{a, a, times, x, sine, times}, "x", 1},       // a a sin(x)
        {{a, Num(2), power}, "", 1},                  // a^2: the whole program
    };
    const double constants[5] = {1.5, -2, 0, 0, 3};
    KTEvaluationProgram program;
    for (int pass = 0; pass < 2; ++pass) {
        for (const Row& row : rows) {
            ASTokenList list;
            for (const Tok& t : row.postfix)
                list.Append(t.kind, t.value);
            program.Compile(list);
            ASSERT_TRUE(program.IsCompiled());
            std::string found;
            for (const KTEvaluationProgram::Piece& piece : program.Pieces()) {
                found += piece.onY ? 'y' : 'x';
                for (int k = piece.first; k <= piece.last; ++k) {
                    const auto op = program.Operations()[static_cast<std::size_t>(k)].op;
                    EXPECT_NE(op, piece.onY ? KTEvaluationProgram::PushX : KTEvaluationProgram::PushY)
                        << kttest::Describe(list);
                    EXPECT_NE(op, KTEvaluationProgram::PushParam) << kttest::Describe(list);
                }
            }
            EXPECT_EQ(found, row.pieces) << kttest::Describe(list);
            EXPECT_EQ(program.ConstantSpans().size(), row.constantSpans) << kttest::Describe(list);
            // The same boxes for every program, in both passes.
            for (int box = 0; box < 4; ++box) {
                const KTIntervalInputs in{{0.25 * box, 0.25 * box + 0.5}, {1.0 - 0.5 * box, 1.5 - 0.5 * box},
                                          constants, box == 3 ? 1 / 57.29577951 : 1.0};
                OnBothWalks(program, in, kttest::Describe(list) + " over box " + std::to_string(box));
            }
        }
    }
}

// Derivatives over ranges where their images are known: the derivative of each function's
// closed form, by hand, over the same range (angles in degrees carry the factor 1 / 57.29577951).
TEST(KTEvaluationInterval, GradientsOfTypedFunctions)
{
    struct Row
    {
        const char* text;
        int system;
        double from, to;
        double lo, hi;
    };
    const Row rows[] = {
        {"y = x^2", 1, 1, 2, 2, 4},
        {"y = x^3 - 3x", 1, -1, 2, -3, 9},
        {"y = sin(x)", 1, 0, 1.5707963267948966, 0, 1},
        {"y = sin(x)", 0, 0, 90, 0, 0.017453292520882225},
        {"y = exp(x)", 1, 0, 1, 1, 2.718281828459045},
        {"y = ln(x)", 1, 1, 2, 0.5, 1},
        {"y = sqrt(x)", 1, 1, 4, 0.25, 0.5},
        {"y = tan(x)", 1, 0, 0.7853981633974483, 1, 2},
        {"y = atan(x)", 1, 0, 1, 0.5, 1},
        {"y = 3x + 1", 1, -5, 5, 3, 3},
    };
    KTAxes axes;
    for (const Row& row : rows) {
        kttest::SetAngleSystem(axes, row.system);
        KTFunction3 f(&axes);
        kttest::InterpretText(f, row.text);
        KTEvaluationProgram program;
        program.Compile(f.m_data.CurrentList());
        const double scale = row.system == 0 ? 1 / 57.29577951 : 1.0;
        const KTIntervalGradient g =
            program.BoundWithGradient({{row.from, row.to}, KTInterval::Empty(), nullptr, scale});
        const double slack = 1e-9 * std::max({1.0, std::fabs(row.lo), std::fabs(row.hi)});
        EXPECT_LE(g.dx.m_lo, row.lo + slack * 1e-3) << row.text;
        EXPECT_GE(g.dx.m_hi, row.hi - slack * 1e-3) << row.text;
        EXPECT_GE(g.dx.m_lo, row.lo - slack) << row.text;
        EXPECT_LE(g.dx.m_hi, row.hi + slack) << row.text;
        EXPECT_TRUE(g.dy.IsEmpty() || (g.dy.m_lo == 0.0 && g.dy.m_hi == 0.0)) << row.text;
    }
}

// The rules themselves at the edges the typed functions do not reach: empty operands, unbounded
// ones, divisions by ranges ending at 0, powers of ranges of exponents.
/// The range, marked as one over which its expression may jump.
KTInterval Jumping(KTInterval r)
{
    r.m_jumps = true;
    return r;
}

/// The range, marked as having values on lines of no width only.
KTInterval Scattered(KTInterval r)
{
    r.m_scattered = true;
    return r;
}

TEST(KTEvaluationInterval, RulesAtTheirEdges)
{
    using namespace KTIntervalRules;
    struct Row
    {
        const char* what;
        KTInterval got;
        KTInterval expected;
    };
    const Row rows[] = {
        {"empty + 1", Binary(ASKind::Plus, KTInterval::Empty(), KTInterval::Point(1)), KTInterval::Empty()},
        {"1 / [0, 0]", Binary(ASKind::Divide, KTInterval::Point(1), KTInterval::Point(0)),
         KTInterval::Empty()},
        {"0 / [-1, 1]", Binary(ASKind::Divide, KTInterval::Point(0), {-1, 1}), {0, 0, true}},
        {"[1, 2] / [-1, 0]", Binary(ASKind::Divide, {1, 2}, {-1, 0}), {-kInf, -1, true}},
        {"[-2, -1] / [0, 2]", Binary(ASKind::Divide, {-2, -1}, {0, 2}), {-kInf, -0.5, true}},
        {"[0, 0] * entire",
         Binary(ASKind::Multiply, KTInterval::Point(0), KTInterval::Entire()),
         {0, 0, true}},
        {"sin(entire)", Function(ASKind::Sin, KTInterval::Entire(), 1.0), {-1, 1, true}},
        {"atan(entire) in degrees",
         Function(ASKind::ArcTan, KTInterval::Entire(), 1 / 57.29577951),
         {-89.99999999515829, 89.99999999515829, true}},
        // gint jumps at whole numbers; 0 ^ 0 is 0 by the power rule, other powers 0 of 0 are 1.
        {"gint([-0.5, 1])", Function(ASKind::Gint, {-0.5, 1}, 1.0), Jumping({-1, 1})},
        {"gint([0.25, 0.75])", Function(ASKind::Gint, {0.25, 0.75}, 1.0), {0, 0}},
        {"gint([-3, -2.5])", Function(ASKind::Gint, {-3, -2.5}, 1.0), {-3, -3}},
        {"[0, 1] ^ [0, 1]", Power({0, 1}, {0, 1}), Jumping({0, 1})},
        {"[1, 2] ^ [0, 1]", Power({1, 2}, {0, 1}), {1, 2}},
        {"[-1, 2] ^ 0", PowerOf({-1, 2}, 0), Jumping({0, 1})},
        {"[0, 2] ^ 0", PowerOf({0, 2}, 0), Jumping({0, 1})},
        {"[1, 2] ^ 0", PowerOf({1, 2}, 0), {1, 1}},
        {"[-2, -1] ^ 0.5", PowerOf({-2, -1}, 0.5), KTInterval::Empty()},
        // A range of exponents over negative bases: real only at whole exponents and odd roots.
        {"[-2, -1] ^ [0.5, 1.5]", Power({-2, -1}, {0.5, 1.5}),
         Scattered({-2.8284271247461903, 2.8284271247461903, true})},
        {"[-2, 0] ^ [1, 2]", Power({-2, 0}, {1, 2}), Scattered({-4, 4, true})},
        {"[-1, 2] ^ [1, 2]", Power({-1, 2}, {1, 2}), {-4, 4, true}},
        // A whole exponent keeps the sign of a negative base when it is odd, up to 2^53, beyond
        // which every double is even.
        {"[-2, -1] ^ 3", PowerOf({-2, -1}, 3), {-8, -1}},
        {"[-2, -1] ^ 4", PowerOf({-2, -1}, 4), {1, 16}},
        {"[-2, -1] ^ -3", PowerOf({-2, -1}, -3), {-1, -0.125}},
        {"[-3, 2] ^ 65", PowerOf({-3, 2}, 65), {-10301051460877537453973547267843.0, 36893488147419103232.0}},
        {"[-1, -0.5] ^ 1001", PowerOf({-1, -0.5}, 1001), {-1, -std::ldexp(1.0, -1001)}},
        {"[-1, -1] ^ (2^53 - 1)", PowerOf({-1, -1}, 9007199254740991.0), {-1, -1}},
        {"[-1, -1] ^ 2^53", PowerOf({-1, -1}, 9007199254740992.0), {1, 1}},
    };
    for (const Row& row : rows) {
        if (row.expected.IsEmpty()) {
            EXPECT_TRUE(row.got.IsEmpty()) << row.what;
            continue;
        }
        ASSERT_FALSE(row.got.IsEmpty()) << row.what;
        EXPECT_EQ(row.got.IsPartial(), row.expected.IsPartial()) << row.what;
        EXPECT_EQ(row.got.m_jumps, row.expected.m_jumps) << row.what;
        EXPECT_EQ(row.got.m_scattered, row.expected.m_scattered) << row.what;
        const double slack =
            1e-13 * std::max({1.0, std::fabs(row.expected.m_lo), std::fabs(row.expected.m_hi)});
        EXPECT_LE(row.got.m_lo, row.expected.m_lo) << row.what;
        EXPECT_GE(row.got.m_hi, row.expected.m_hi) << row.what;
        if (std::isfinite(row.expected.m_lo)) {
            EXPECT_GE(row.got.m_lo, row.expected.m_lo - slack) << row.what;
        }
        if (std::isfinite(row.expected.m_hi)) {
            EXPECT_LE(row.got.m_hi, row.expected.m_hi + slack) << row.what;
        }
    }
}

} // namespace
