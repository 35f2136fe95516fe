// Cost of plotting implicit relations: for each typed case of the implicit-plot tests, drawn
// over its view on a page of 1600 x 1200 pixels, the time to calculate it (interpretation
// excluded: sampling, the lattice trace, analysis and screen form) and to draw it, with the goal
// of 50 ms per implicit function beside it. Each time is the best of several runs, so that it
// shows the work rather than the machine's other load; the processor time of the process (all
// its threads) is printed beside the elapsed time, for a machine shared with other work, and the
// goal is met when either is within it (a trace on threads takes more of the one than the other).
// With a folder as
// argument, the pictures are written there too (an empty one writes none); a second argument
// keeps only the cases whose names begin with it; a third sets the number of runs (one under a
// profiler such as callgrind).

#include "KTCurveReferenceSet.h"
#include "KTCurveTestSupport.h"
#include "KTImplicitCases.h"

#include "engine/KTFunction3.h"
#include "platform/KTDC.h"

#include <QGuiApplication>
#include <QImage>
#include <QString>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

/// Processor time of the process (all its threads) in milliseconds.
double ProcessMilliseconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

constexpr int kRuns = 15; ///< by default
constexpr double kGoal = 50.0;

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const std::string only = argc > 2 ? argv[2] : "";
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : kRuns;

    std::printf("%-22s %-34s %7s %8s %8s %8s %9s  %s\n", "case", "relation", "points", "calc ms", "draw ms",
                "total", "cpu total", "goal 50 ms");
    bool allMet = true;
    for (const kttest::ImplicitCase& c : kttest::kImplicitCases) {
        if (std::string(c.name).rfind(only, 0) != 0)
            continue;
        KTAxes axes;
        kttest::SetPageAxes(axes, -c.range, c.range, -c.range, c.range, 1);
        KTFunction3 f(&axes);
        f.Data().m_options.SetDefaults(0);
        f.Data().m_equationText = c.text;
        f.Interpret();
        QImage image(1600, 1200, QImage::Format_RGB32);
        double calculate = 1e300;
        double draw = 1e300;
        double processor = 1e300;
        for (int run = 0; run < runs; ++run) {
            const double cpuBefore = ProcessMilliseconds();
            Clock::time_point start = Clock::now();
            kttest::Recalculate(f);
            calculate = std::min(calculate, Milliseconds(start));
            const double cpuCalculate = ProcessMilliseconds() - cpuBefore;
            KTDC dc(&image);
            kttest::PreparePage(image, dc, axes);
            const double cpuDraw = ProcessMilliseconds();
            start = Clock::now();
            f.Draw(dc);
            draw = std::min(draw, Milliseconds(start));
            processor = std::min(processor, cpuCalculate + ProcessMilliseconds() - cpuDraw);
        }
        const int points =
            f.m_buffer1->m_count + ((f.m_implicitOverflow || f.m_twoBranches) ? f.m_buffer2->m_count : 0);
        const double total = calculate + draw;
        const bool met = std::min(total, processor) <= kGoal;
        if (c.implicit)
            allMet = allMet && met;
        std::printf("%-22s %-34s %7d %8.2f %8.2f %8.2f %9.2f  %s\n", c.name, c.text, points, calculate, draw,
                    total, processor, c.implicit ? (met ? "met" : "MISSED") : "(explicit)");
        if (!folder.isEmpty())
            image.save(folder + "/" + c.name + ".png");
    }
    std::printf("%s\n",
                allMet ? "goal met for every implicit function" : "goal missed for some implicit functions");
    return 0;
}
