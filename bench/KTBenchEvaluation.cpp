// Interpretations and evaluations per second for ten reference expressions, and our
// evaluations per second divided by muparser's on the same expressions and samples.

#include "engine/KTFunction3.h"
#include "foundation/KTSentinelValues.h"
#include "axes/KTAxes.h"

#include <QGuiApplication>

#include <chrono>
#include <algorithm>
#include <cstdio>
#include <cstring>

#ifdef KT_BENCH_MUPARSER
#include <muParser.h>
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

constexpr int kSamples = 2000;
constexpr int kRounds = 1000; // 2,000,000 evaluations per expression

double OurEvaluations(KTFunction3& function, const Reference& ref, double& checksum)
{
    const double step = (ref.to - ref.from) / kSamples;
    KTPoint point; // the sampler's form: one output point filled per sample
    const auto start = Clock::now();
    double sum = 0.0;
    for (int round = 0; round < kRounds; ++round) {
        for (int i = 0; i < kSamples; ++i)
            sum += function.Evaluate(point, ref.from + i * step, KTNoSecondValue).m_y;
    }
    const double seconds = Seconds(start);
    checksum = sum;
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
double MuparserEvaluations(const Reference& ref, double& checksum)
{
    mu::Parser parser;
    double x = 0.0;
    parser.DefineVar("x", &x);
    parser.SetExpr(ref.muparser);
    parser.Eval(); // the first call compiles the bytecode
    const double step = (ref.to - ref.from) / kSamples;
    const auto start = Clock::now();
    double sum = 0.0;
    for (int round = 0; round < kRounds; ++round) {
        for (int i = 0; i < kSamples; ++i) {
            x = ref.from + i * step;
            sum += parser.Eval();
        }
    }
    const double seconds = Seconds(start);
    checksum = sum;
    return static_cast<double>(kRounds) * kSamples / seconds;
}
#endif

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // the typesetter measures with the application's fonts

    KTAxes axes;
    axes.m_options.m_angleSystem.m_value = 1; // radians, as muparser computes
    std::printf("%-18s %14s %14s %14s %8s %s\n", "expression", "interpret/s", "evaluate/s", "muparser/s",
                "ratio", "checksums");
    double worst = 1e300;
    for (const Reference& ref : kReferences) {
        // Arguments, when given, choose expressions by a part of their names.
        bool chosen = argc <= 1;
        for (int i = 1; i < argc; ++i)
            chosen = chosen || std::strstr(ref.name, argv[i]) != nullptr;
        if (!chosen)
            continue;
        KTFunction3 function(&axes);
        function.m_data.m_equationText = ref.typed;
        const double interpretations = OurInterpretations(function);
        if (function.Status() != KTStatusExplicit) {
            std::printf("%-18s not interpreted (status %d)\n", ref.name, function.Status());
            continue;
        }
        // Best of five runs each, interleaved, so that a slow moment of the machine hurts
        // neither side alone.
        double ours = 0.0;
        double evaluations = 0.0;
#ifdef KT_BENCH_MUPARSER
        double theirs = 0.0;
        double reference = 0.0;
        for (int run = 0; run < 5; ++run) {
            reference = std::max(reference, MuparserEvaluations(ref, theirs));
            evaluations = std::max(evaluations, OurEvaluations(function, ref, ours));
        }
        const double ratio = evaluations / reference;
        worst = std::min(worst, ratio);
        std::printf("%-18s %14.0f %14.0f %14.0f %8.2f %.6g / %.6g\n", ref.name, interpretations, evaluations,
                    reference, ratio, ours, theirs);
#else
        for (int run = 0; run < 5; ++run)
            evaluations = std::max(evaluations, OurEvaluations(function, ref, ours));
        std::printf("%-18s %14.0f %14.0f %14s %8s %.6g\n", ref.name, interpretations, evaluations, "-", "-",
                    ours);
#endif
    }
#ifdef KT_BENCH_MUPARSER
    std::printf("lowest ratio: %.2f\n", worst);
#else
    (void)worst;
#endif
    return 0;
}
