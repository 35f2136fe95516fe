// Interpretations and evaluations per second for ten reference expressions, and our
// evaluations per second divided by muparser's on the same expressions and samples: one call
// per sample on both sides, and one call per row of samples (our sampler's way) against the
// better of muparser's two ways (a call per sample, or its bulk mode over the row).

#include "KTCurveTestSupport.h"

#include "engine/KTEvaluationProgram.h"
#include "engine/KTFunction3.h"
#include "foundation/KTSentinelValues.h"
#include "axes/KTAxes.h"

#include <QGuiApplication>

#include <chrono>
#include <algorithm>
#include <cstdio>
#include <cmath>
#include <cstring>
#include <vector>

#ifdef KT_BENCH_MUPARSER
#include <muParser.h>
#include <omp.h>
#endif

namespace {

struct Reference
{
    const char* name;
    const char* typed;    ///< as the user types it
    const char* muparser; ///< the same expression for muparser
    double from;          ///< sampled interval
    double to;
};

constexpr Reference kReferences[] = {
    {"linear", "y = 2x + 1", "2*x + 1", -10, 10},
    {"polynomial", "y = 3x^3 - 2x^2 + x - 5", "3*x^3 - 2*x^2 + x - 5", -10, 10},
    {"rational", "y = (x^2 + 1)/(x - 3)", "(x^2 + 1)/(x - 3)", -10, 10},
    {"trigonometric", "y = sin(x) + cos(2x)", "sin(x) + cos(2*x)", -10, 10},
    {"exponential", "y = 2^x + exp(x/3)", "2^x + exp(x/3)", -10, 10},
    {"gaussian", "y = exp(-x^2/2)", "exp(-x^2/2)", -10, 10},
    {"nested", "y = sqrt(1 + sin(x)^2)", "sqrt(1 + sin(x)^2)", -10, 10},
    {"nested functions", "y = ln(abs(x) + 1)*atan(x)", "ln(abs(x) + 1)*atan(x)", -10, 10},
    {"fractional powers", "y = x^(1/3) + x^1.5", "x^(1/3) + x^1.5", 0.1, 10},
    {"power quotient", "y = (x^2 + 1)^0.5/(x^3 + 2)", "(x^2 + 1)^0.5/(x^3 + 2)", 0.1, 10},
};

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

constexpr int kSamples = 2000; // a row about as long as the sampler's, one per pixel
constexpr int kRounds = 1000;  // 2,000,000 evaluations per expression and way

/// The samples of a reference: the same x values for every way of evaluating.
std::vector<double> Positions(const Reference& ref)
{
    const double step = (ref.to - ref.from) / kSamples;
    std::vector<double> xs(kSamples);
    for (int i = 0; i < kSamples; ++i)
        xs[static_cast<std::size_t>(i)] = ref.from + i * step;
    return xs;
}

/// The sum of the values that exist, and how many do not (ours: the undefined sentinel;
/// muparser: infinities and NaN), so that the two sums compare the same points.
struct Checksum
{
    double sum = 0.0;
    int missing = 0;
};

Checksum OurChecksum(const double* ys)
{
    Checksum c;
    for (int i = 0; i < kSamples; ++i) {
        if (KTEvaluationRules::IsSentinel(ys[i]))
            ++c.missing;
        else
            c.sum += ys[i];
    }
    return c;
}

/// Our evaluations per second, one call per sample as the searches make them.
double OurCalls(KTFunction3& function, const std::vector<double>& xs, Checksum& checksum)
{
    std::vector<double> ys(xs.size());
    KTPoint point;
    const auto start = Clock::now();
    for (int round = 0; round < kRounds; ++round) {
        for (int i = 0; i < kSamples; ++i)
            ys[static_cast<std::size_t>(i)] =
                function.Evaluate(point, xs[static_cast<std::size_t>(i)], KTNoSecondValue).m_y;
    }
    const double seconds = Seconds(start);
    checksum = OurChecksum(ys.data());
    return static_cast<double>(kRounds) * kSamples / seconds;
}

/// Our evaluations per second, one call per row as the sampler makes it.
double OurRows(KTFunction3& function, const std::vector<double>& xs, Checksum& checksum)
{
    std::vector<double> ys(xs.size());
    const auto start = Clock::now();
    for (int round = 0; round < kRounds; ++round)
        function.EvaluateValues(xs.data(), ys.data(), kSamples, KTNoSecondValue);
    const double seconds = Seconds(start);
    checksum = OurChecksum(ys.data());
    return static_cast<double>(kRounds) * kSamples / seconds;
}

double OurInterpretations(KTFunction3& function)
{
    constexpr int count = 2000;
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i)
        function.Interpret();
    return count / Seconds(start);
}

#ifdef KT_BENCH_MUPARSER
Checksum TheirChecksum(const double* ys)
{
    Checksum c;
    for (int i = 0; i < kSamples; ++i) {
        if (std::isfinite(ys[i]))
            c.sum += ys[i];
        else
            ++c.missing;
    }
    return c;
}

/// muparser's evaluations per second, one Eval() per sample.
double MuparserCalls(const Reference& ref, const std::vector<double>& xs, Checksum& checksum)
{
    mu::Parser parser;
    double x = 0.0;
    parser.DefineVar("x", &x);
    parser.SetExpr(ref.muparser);
    parser.Eval(); // the first call compiles the bytecode
    std::vector<double> ys(xs.size());
    const auto start = Clock::now();
    for (int round = 0; round < kRounds; ++round) {
        for (int i = 0; i < kSamples; ++i) {
            x = xs[static_cast<std::size_t>(i)];
            ys[static_cast<std::size_t>(i)] = parser.Eval();
        }
    }
    const double seconds = Seconds(start);
    checksum = TheirChecksum(ys.data());
    return static_cast<double>(kRounds) * kSamples / seconds;
}

/// muparser's evaluations per second in its bulk mode: x bound to the row, one call per row.
double MuparserBulk(const Reference& ref, std::vector<double> xs, Checksum& checksum)
{
    mu::Parser parser;
    parser.DefineVar("x", xs.data());
    parser.SetExpr(ref.muparser);
    parser.Eval();
    std::vector<double> ys(xs.size());
    const auto start = Clock::now();
    for (int round = 0; round < kRounds; ++round)
        parser.Eval(ys.data(), kSamples);
    const double seconds = Seconds(start);
    checksum = TheirChecksum(ys.data());
    return static_cast<double>(kRounds) * kSamples / seconds;
}
#endif

/// Microseconds of one curve calculation (the sampler's rows, the discontinuity search, the
/// refinement) at 1600 pixels over the reference's interval, best of 50.
double CalculationMicroseconds(const Reference& ref, bool referencePath)
{
    KTAxes axes;
    kttest::SetAxes(axes, ref.from, ref.to, -10, 10);
    KTFunction3 function(&axes);
    function.m_data.m_equationText = ref.typed;
    function.Interpret();
    KTEvaluationProgram::SetReferencePath(referencePath);
    double best = 1e300;
    for (int run = 0; run < 50; ++run) {
        const auto start = Clock::now();
        function.Calculate();
        best = std::min(best, Seconds(start) * 1e6);
    }
    KTEvaluationProgram::SetReferencePath(false);
    return best;
}

/// Qt's start leaves the upper halves of the vector registers in use on this machine, and until
/// something clears them every scalar floating-point instruction after a vector one waits (the
/// library's sine takes some 20 times as long). The comparison measures both evaluators with the
/// registers clean.
void ClearVectorState()
{
#if defined(__x86_64__) && defined(__GNUC__)
    if (__builtin_cpu_supports("avx"))
        asm volatile("vzeroupper" ::: "memory");
#endif
}

/// Arguments, when given, choose expressions by a part of their names.
bool Chosen(const Reference& ref, int argc, char** argv)
{
    bool chosen = argc <= 1;
    for (int i = 1; i < argc; ++i)
        chosen = chosen || std::strstr(ref.name, argv[i]) != nullptr;
    return chosen;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // the typesetter measures with the application's fonts
    ClearVectorState();

    KTAxes axes;
    axes.m_options.m_angleSystem.m_value = 1; // radians, as muparser computes
#ifdef KT_BENCH_MUPARSER
    // Debian builds muparser with OpenMP: its bulk mode would spread a row over every core.
    // Both sides are measured on one core.
    std::printf("muparser bulk mode: OpenMP, %d threads by default; measured on 1\n", omp_get_max_threads());
    omp_set_num_threads(1);
#endif
    std::printf("vector path: %s\n", KTEvaluationProgram::HasVectorPath() ? "AVX2" : "none (scalar rows)");
    std::printf("%-18s %11s %11s %11s %11s %11s %6s %6s  %s\n", "expression", "interpret/s", "call/s",
                "row/s", "mu call/s", "mu bulk/s", "calls", "rows", "checksums (missing)");
    double worst = 1e300;
    for (const Reference& ref : kReferences) {
        if (!Chosen(ref, argc, argv))
            continue;
        KTFunction3 function(&axes);
        function.m_data.m_equationText = ref.typed;
        const double interpretations = OurInterpretations(function);
        if (function.Status() != KTStatusExplicit) {
            std::printf("%-18s not interpreted (status %d)\n", ref.name, function.Status());
            continue;
        }
        const std::vector<double> xs = Positions(ref);
        // Best of five runs each, interleaved, so that a slow moment of the machine hurts
        // neither side alone.
        double calls = 0.0;
        double rows = 0.0;
        Checksum ours;
        Checksum oursByCall;
#ifdef KT_BENCH_MUPARSER
        double theirCalls = 0.0;
        double theirBulk = 0.0;
        Checksum theirs;
        Checksum theirsBulk;
        for (int run = 0; run < 5; ++run) {
            theirCalls = std::max(theirCalls, MuparserCalls(ref, xs, theirs));
            calls = std::max(calls, OurCalls(function, xs, oursByCall));
            theirBulk = std::max(theirBulk, MuparserBulk(ref, xs, theirsBulk));
            rows = std::max(rows, OurRows(function, xs, ours));
        }
        // Like for like: a call per sample on both sides, a row per call against muparser's
        // better way.
        const double callRatio = calls / theirCalls;
        const double rowRatio = rows / std::max(theirCalls, theirBulk);
        worst = std::min(worst, rowRatio);
        std::printf("%-18s %11.0f %11.0f %11.0f %11.0f %11.0f %6.2f %6.2f  %.10g (%d) / %.10g (%d)\n",
                    ref.name, interpretations, calls, rows, theirCalls, theirBulk, callRatio, rowRatio,
                    ours.sum, ours.missing, theirsBulk.sum, theirsBulk.missing);
#else
        for (int run = 0; run < 5; ++run) {
            calls = std::max(calls, OurCalls(function, xs, oursByCall));
            rows = std::max(rows, OurRows(function, xs, ours));
        }
        std::printf("%-18s %11.0f %11.0f %11.0f %11s %11s %6s %6s  %.10g (%d)\n", ref.name, interpretations,
                    calls, rows, "-", "-", "-", "-", ours.sum, ours.missing);
#endif
    }
    // What the user sees: a curve's calculation by the reference path (a call per sample) and
    // by rows.
    std::printf("\n%-18s %14s %14s %8s\n", "curve calculation", "per sample us", "by rows us", "speed-up");
    for (const Reference& ref : kReferences) {
        if (!Chosen(ref, argc, argv))
            continue;
        double perSample = 1e300;
        double byRows = 1e300;
        for (int run = 0; run < 3; ++run) {
            perSample = std::min(perSample, CalculationMicroseconds(ref, true));
            byRows = std::min(byRows, CalculationMicroseconds(ref, false));
        }
        std::printf("%-18s %14.1f %14.1f %8.2f\n", ref.name, perSample, byRows, perSample / byRows);
    }

#ifdef KT_BENCH_MUPARSER
    std::printf("lowest ratio of rows to muparser's better way: %.2f (goal 1.20: %s)\n", worst,
                worst >= 1.2 ? "met" : "not met");
#else
    (void)worst;
#endif
    return 0;
}
