// The block form of the evaluator against the scalar one: the same undefined and no-value
// samples, the same values bit for bit where no vector function is involved and within 1e-14
// of them where one is; the same curve buffers and the same pictures from the sampler.

#include "KTCurveReferenceSet.h"
#include "KTCurveTestSupport.h"
#include "KTFunction3TestHelpers.h"

#include "engine/KTEvaluationProgram.h"
#include "foundation/KTSentinelValues.h"
#include "platform/KTDC.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr double N = KTNoSecondValue;

/// Restores the block form when a test leaves.
struct ReferencePath
{
    explicit ReferencePath(bool on) { KTEvaluationProgram::SetReferencePath(on); }
    ~ReferencePath() { KTEvaluationProgram::SetReferencePath(false); }
};

bool SameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

/// The program reads a result of the library's vector functions.
bool UsesVectorFunctions(const KTEvaluationProgram& program)
{
    for (const KTEvaluationProgram::Instruction& ins : program.Operations()) {
        switch (ins.op) {
        case KTEvaluationProgram::Sin:
        case KTEvaluationProgram::Cos:
        case KTEvaluationProgram::Exp:
        case KTEvaluationProgram::Ln:
        case KTEvaluationProgram::Atan:
        case KTEvaluationProgram::Pow:
        case KTEvaluationProgram::PushXPowC:
        case KTEvaluationProgram::PushCPowX: return true;
        case KTEvaluationProgram::PowC:
            if (ins.arg == 1)
                return true;
            break;
        case KTEvaluationProgram::Func:
            if (ins.arg == ASKind::Tan) // the vector sine over the vector cosine
                return true;
            break;
        default: break;
        }
    }
    return false;
}

/// Positions across [from, to] and the places where rules change: whole numbers, zero, tiny
/// and huge values, the ordinary limit 1e12 and the sentinels themselves.
std::vector<double> Positions(double from, double to, int count)
{
    std::vector<double> xs;
    for (int i = 0; i <= count; ++i)
        xs.push_back(from + (to - from) * i / count);
    for (double v : {0.0,
                     -0.0,
                     1.0,
                     2.0,
                     3.0,
                     -1.0,
                     -2.0,
                     -3.0,
                     0.5,
                     -0.5,
                     1e-300,
                     -1e-300,
                     1e-8,
                     709.0,
                     710.0,
                     1e12,
                     -1e12,
                     1000000000001.0,
                     KTUndefinedValue,
                     KTNoSecondValue,
                     1e200,
                     -1e200})
        xs.push_back(v);
    return xs;
}

/// Compares a batch result with the scalar value at each x; returns the samples compared.
int ExpectAgreement(const std::vector<double>& xs, const std::vector<double>& scalar,
                    const std::vector<double>& batch, bool exact, const std::string& what)
{
    int compared = 0;
    for (std::size_t i = 0; i < xs.size(); ++i) {
        const double s = scalar[i];
        const double b = batch[i];
        if (exact || KTEvaluationRules::IsSentinel(s) || !std::isfinite(s)) {
            EXPECT_TRUE(SameBits(s, b)) << what << " at x = " << xs[i] << ": " << s << " against " << b;
        } else {
            EXPECT_FALSE(KTEvaluationRules::IsSentinel(b)) << what << " at x = " << xs[i];
            EXPECT_LE(std::fabs(b - s), 1e-14 * std::fabs(s)) << what << " at x = " << xs[i] << ": " << s;
        }
        ++compared;
    }
    return compared;
}

struct TypedRow
{
    const char* text;
    double from;
    double to;
};

// Typed equations in the three angle units: each evaluated at every position one by one and as
// one row.
TEST(KTEvaluationBatch, TypedEquationsAgreeWithTheScalarPath)
{
    const TypedRow rows[] = {
        {"y = 2x + 1", -10, 10},
        {"y = 3x^3 - 2x^2 + x - 5", -10, 10},
        {"y = (x^2 + 1)/(x - 3)", -10, 10},
        {"y = sin(x) + cos(2x)", -10, 10},
        {"y = 2^x + exp(x/3)", -10, 10},
        {"y = exp(-x^2/2)", -10, 10},
        {"y = sqrt(1 + sin(x)^2)", -10, 10},
        {"y = ln(abs(x) + 1)*atan(x)", -10, 10},
        {"y = x^(1/3) + x^1.5", -10, 10},
        {"y = (x^2 + 1)^0.5/(x^3 + 2)", -10, 10},
        {"y = tan(x)", -400, 400},
        // Beside the poles at 90 degrees, pi / 2 and 100 grads, where the cosine is as small as its bound.
        {"y = tan(x)", 89.999, 90.001},
        {"y = tan(x)", 1.5707963, 1.5707964},
        {"y = tan(x)", 99.99999, 100.00001},
        {"y = 3tan(35.6x) - 1", -1, 1},
        {"y = 1/x", -1, 1},
        {"y = sqrt(x)", -2, 2},
        {"y = ln(x)", -2, 2},
        {"y = x^-0.5", -2, 2},
        {"y = x^x", -3, 3},
        {"y = sin(x)/x", -20, 20},
        {"y = 1/(1 - cos(x))", -1e-6, 1e-6},
        {"y = ln(1 - cos(x))", -1e-4, 1e-4},
        {"y = sqrt(sin(x))", -720, 720},
        {"y = exp(x^2)", -30, 30},
        {"y = x^3/(x^2 - 4)", -5, 5},
        {"y = abs(x - 2)^2.5", -5, 5},
        {"y = x^(2/3)", -8, 8},
        {"y = 0.5^x", -1100, 1100},
        {"y = exp(sin(x))^3", -50, 50},
        {"y = atan(x)^0.5 + ln(x)^2", -3, 3},
        {"y = 1/(sin(x) - 0.5)", -400, 400},
        {"y = ln(exp(x) - 1)", -40, 40},
        {"y = sin(1e6 x)", -1e6, 1e6},
        // Negative powers near their pole, far beyond 1e9, by a constant and by a varying exponent.
        {"y = x^(-0.9)", -1e-9, 1e-9},
        {"y = x^(-2.5) + x^(-1/3)", -1e-5, 1e-5},
        {"y = (x - 1)^(-3)", 1 - 1e-4, 1 + 1e-4},
        {"y = abs(x)^(x - 1.5)", -1e-9, 1e-9},
    };
    KTAxes axes;
    int compared = 0;
    for (int system = 0; system < 3; ++system) {
        kttest::SetAngleSystem(axes, system);
        for (const TypedRow& row : rows) {
            KTFunction3 f(&axes);
            kttest::InterpretText(f, row.text);
            ASSERT_EQ(f.Status(), KTStatusExplicit) << row.text;
            const std::vector<double> xs = Positions(row.from, row.to, 4000);
            std::vector<double> scalar;
            for (double x : xs)
                scalar.push_back(f.EvaluateValue(x, N));
            std::vector<double> batch(xs.size());
            f.EvaluateValues(xs.data(), batch.data(), static_cast<int>(xs.size()), N);
            KTEvaluationProgram program;
            program.Compile(f.m_data.CurrentList());
            const std::string what = std::string(row.text) + " in angle system " + std::to_string(system);
            compared += ExpectAgreement(xs, scalar, batch, !UsesVectorFunctions(program), what);
        }
    }
    EXPECT_GT(compared, 300000);
}

// A result does not depend on the block a sample falls in, nor on the length of the row.
TEST(KTEvaluationBatch, ResultsDoNotDependOnTheBlock)
{
    KTAxes axes;
    kttest::SetAngleSystem(axes, 1);
    KTFunction3 f(&axes);
    kttest::InterpretText(f, "y = 1/(sin(x) - 0.5) + x^1.5");
    const std::vector<double> xs = Positions(-30, 30, 300);
    std::vector<double> whole(xs.size());
    f.EvaluateValues(xs.data(), whole.data(), static_cast<int>(xs.size()), N);
    for (int offset : {0, 1, 3, 63}) {
        for (int length : {1, 2, 5, 63, 64, 65, 129}) {
            if (offset + length > static_cast<int>(xs.size()))
                continue;
            std::vector<double> part(static_cast<std::size_t>(length));
            f.EvaluateValues(xs.data() + offset, part.data(), length, N);
            for (int i = 0; i < length; ++i)
                EXPECT_TRUE(
                    SameBits(whole[static_cast<std::size_t>(offset + i)], part[static_cast<std::size_t>(i)]))
                    << "offset " << offset << " length " << length << " sample " << i;
        }
    }
}

// Random well-formed postfix lists, as in the scalar agreement test, with constants, y and
// every function: the block form and Run agree sample by sample.
TEST(KTEvaluationBatch, RandomListsAgreeWithRun)
{
    std::mt19937 rng(20261209);
    const std::vector<int> operands = {ASKind::X,      ASKind::Y,  ASKind::A, ASKind::Number,
                                       ASKind::Number, ASKind::Pi, ASKind::E, ASKind::X};
    const std::vector<double> numbers = {0, 1, -1, 2, 0.5, -0.5, 3, 1.0 / 3, -8, 1e6, 0.25, 2.5, 90, 1.5};
    std::vector<double> xs = Positions(-12, 12, 700);
    int compared = 0;
    int batched = 0;
    for (int trial = 0; trial < 1500; ++trial) {
        const int length = 1 + static_cast<int>(rng() % 16);
        const ASTokenList list = kttest::RandomPostfixList(rng, length, 60, operands, numbers);
        if (!KTEvaluationProgram::IsWellFormed(list))
            continue;
        KTEvaluationProgram program;
        program.Compile(list);
        ASSERT_TRUE(program.IsCompiled());
        const double constants[5] = {1.5, -2, 0, 0, 3};
        for (int system = 0; system < 3; ++system) {
            const double scale = system == 0 ? 1 / 57.29577951 : system == 1 ? 1.0 : 1 / 63.66197724;
            for (double y : {N, 0.75}) {
                KTEvaluationInputs in{0.0, y, constants, scale};
                std::vector<double> scalar;
                for (double x : xs) {
                    in.x = x;
                    scalar.push_back(program.Run(in));
                }
                std::vector<double> batch(xs.size());
                program.RunBatch(xs.data(), batch.data(), static_cast<int>(xs.size()), in);
                compared +=
                    ExpectAgreement(xs, scalar, batch, !UsesVectorFunctions(program), kttest::Describe(list));
                if (::testing::Test::HasFailure())
                    return;
            }
        }
        ++batched;
    }
    EXPECT_GT(batched, 1000);
    EXPECT_GT(compared, 2000000);
}

// The reference switch: every x by Run, so the two paths can be compared anywhere.
// Whether a program gains by rows: only when every operation runs over whole blocks.
TEST(KTEvaluationBatch, OnlyProgramsOfWholeBlocksRunInBlocks)
{
    struct Row
    {
        const char* text;
        bool blocks; ///< on a processor with the vector path
    };
    const Row rows[] = {
        {"y = sin(x) + cos(2x)", true},  {"y = exp(x) - ln(x^2 + 1)", true},
        {"y = 3x^2 - 2x + 1", true},     {"y = tan(35.6x)", true}, // the vector sine over the cosine
        {"y = sec(35.6x)", false},                                 // the secant's rules lane by lane
        {"y = sin(x) + asin(x)", false},                           // so any function without a vector form
    };
    KTAxes axes;
    for (const Row& row : rows) {
        KTFunction3 f(&axes);
        kttest::InterpretText(f, row.text);
        KTEvaluationProgram program;
        program.Compile(f.m_data.CurrentList());
        ASSERT_TRUE(program.IsCompiled()) << row.text;
        EXPECT_EQ(program.RunsInBlocks(), row.blocks && KTEvaluationProgram::HasVectorPath()) << row.text;
        ReferencePath reference(true);
        EXPECT_FALSE(program.RunsInBlocks()) << row.text;
    }
}

TEST(KTEvaluationBatch, TheReferencePathIsRun)
{
    KTAxes axes;
    KTFunction3 f(&axes);
    kttest::InterpretText(f, "y = sin(x) + cos(2x)");
    const std::vector<double> xs = Positions(-10, 10, 1000);
    std::vector<double> batch(xs.size());
    ReferencePath reference(true);
    f.EvaluateValues(xs.data(), batch.data(), static_cast<int>(xs.size()), N);
    for (std::size_t i = 0; i < xs.size(); ++i)
        EXPECT_TRUE(SameBits(f.EvaluateValue(xs[i], N), batch[i])) << xs[i];
}

struct SampledRow
{
    kttest::Form form;
    const char* first;
    const char* second;
};

/// Every buffer point of a sampled curve: position, value, flags.
void ExpectSameSamples(const KTCurvePointBuffer& a, const KTCurvePointBuffer& b, const char* what)
{
    ASSERT_EQ(a.m_count, b.m_count) << what;
    for (int i = 0; i < a.m_count; ++i) {
        const KTCurvePoint& p = a.m_points[static_cast<std::size_t>(i)];
        const KTCurvePoint& q = b.m_points[static_cast<std::size_t>(i)];
        for (const auto& [u, v] :
             {std::pair{p.m_point.m_x, q.m_point.m_x}, std::pair{p.m_point.m_y, q.m_point.m_y}}) {
            if (KTEvaluationRules::IsSentinel(u))
                EXPECT_EQ(u, v) << what << " point " << i;
            else
                EXPECT_LE(std::fabs(u - v), 1e-14 * std::fabs(u)) << what << " point " << i;
        }
        EXPECT_EQ(p.m_draw, q.m_draw) << what << " point " << i;
        EXPECT_EQ(p.m_break, q.m_break) << what << " point " << i;
    }
}

// The sampler over every form, by the block form and by the reference path: the same buffers,
// point for point, flag for flag.
TEST(KTEvaluationBatch, SampledCurvesMatchTheReferencePath)
{
    using kttest::Form;
    const SampledRow rows[] = {
        {Form::Explicit, "x 2 ^ 4 -", nullptr}, {Form::Explicit, "x SIN x 2 * COS +", nullptr},
        {Form::Explicit, "1 x 2 - /", nullptr}, {Form::Explicit, "4 x 2 ^ - SQRT", nullptr},
        {Form::Explicit, "x LN 2 ^", nullptr},  {Form::Explicit, "x 1.5 ^ x 0.333333333333 ^ +", nullptr},
        {Form::Explicit, "x TAN", nullptr},     {Form::Explicit, "a x * b +", nullptr},
        {Form::Swapped, "y 3 ^ y -", nullptr},  {Form::Polar, "3 q 4 * SIN *", nullptr},
        {Form::Polar, "q 0.01 * EXP", nullptr}, {Form::Parametric, "t 3 * SIN 5 *", "t 2 * COS 5 *"},
    };
    for (int system : {0, 1}) {
        for (const SampledRow& row : rows) {
            KTAxes axes;
            kttest::SetAxes(axes, -10, 10, -7.5, 7.5, 1599, 1199, system);
            KTFunction3 fast(&axes);
            KTFunction3 reference(&axes);
            fast.m_data.m_constants.m_range[0].m_current = reference.m_data.m_constants.m_range[0].m_current =
                0.7;
            fast.m_data.m_constants.m_range[1].m_current = reference.m_data.m_constants.m_range[1].m_current =
                -2;
            kttest::Prepare(fast, row.form, row.first, row.second);
            kttest::Prepare(reference, row.form, row.first, row.second);
            fast.Calculate();
            {
                ReferencePath on(true);
                reference.Calculate();
            }
            const std::string what = std::string(row.first) + " in angle system " + std::to_string(system);
            ExpectSameSamples(*reference.m_buffer1, *fast.m_buffer1, what.c_str());
            ExpectSameSamples(*reference.m_buffer2, *fast.m_buffer2, what.c_str());
        }
    }
}

// The ten reference curves drawn after a calculation by each path: the same pixels.
TEST(KTEvaluationBatch, ReferencePicturesArePixelIdentical)
{
    QImage pictures[2];
    for (int pass = 0; pass < 2; ++pass) {
        ReferencePath on(pass == 1);
        KTAxes axes;
        kttest::SetReferenceAxes(axes);
        std::vector<kttest::CurveReference> set = kttest::MakeCurveReferences(axes);
        QImage& image = pictures[pass];
        image = QImage(1600, 1200, QImage::Format_RGB32);
        KTDC dc(&image);
        kttest::PreparePage(image, dc, axes);
        for (kttest::CurveReference& reference : set) {
            kttest::CalculateReference(reference);
            kttest::DrawReference(reference, dc);
        }
    }
    QImage blank(1600, 1200, QImage::Format_RGB32);
    {
        KTAxes axes;
        kttest::SetReferenceAxes(axes);
        KTDC dc(&blank);
        kttest::PreparePage(blank, dc, axes);
    }
    EXPECT_GT(kttest::InkBetween(pictures[0], blank), 20000);
    EXPECT_EQ(kttest::InkBetween(pictures[0], pictures[1]), 0);
}

} // namespace
