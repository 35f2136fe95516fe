// Cost of plotting implicit relations: for each typed case of the implicit-plot tests, drawn
// over its view on pages of 1600 x 1200 and 2560 x 1600 pixels, the time to calculate it
// (interpretation excluded: sampling, the lattice trace, analysis and screen form) and to draw
// it, and the most memory the process held. Each case runs in a process of its own, so that its
// memory is its own; each time is the best of several runs, so that it shows the work rather
// than the machine's other load, and the processor time of the process (all its threads) is
// printed beside the elapsed time, for a machine shared with other work. The load average is
// printed before and after.
//
// Goals: every implicit relation within 250 ms and 300 MB at 2560 x 1600; the relations that
// were drawn whole before within 50 ms at 1600 x 1200 (met when the elapsed or the processor
// time is within it: a trace on threads takes more of the one than the other); a family of
// twenty members within eight times the mean of its members drawn one by one.
//
// Arguments: a folder for the pictures (an empty one writes none), a prefix that keeps only the
// cases whose names begin with it ("families": the families' table alone), and the number of
// runs (one under a profiler).

#include "KTCurveReferenceSet.h"
#include "KTCurveTestSupport.h"
#include "KTImplicitCases.h"

#include "engine/KTFunction3.h"
#include "platform/KTDC.h"
#include "platform/KTMemory.h"

#include <QGuiApplication>
#include <QImage>
#include <QString>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRuns = 7; ///< by default
constexpr double kEstablishedGoal = 50.0;
constexpr double kLargeGoal = 250.0;
constexpr double kMemoryGoal = 300.0; ///< megabytes
constexpr double kFamilyGoal = 8.0;   ///< times the mean member

struct Size
{
    int width, height;
};
constexpr Size kSizes[] = {{1600, 1200}, {2560, 1600}};

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

std::string LoadAverage()
{
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

const kttest::ImplicitCase* FindCase(const char* name)
{
    for (const kttest::ImplicitCase& c : kttest::kImplicitCases)
        if (std::strcmp(c.name, name) == 0)
            return &c;
    return nullptr;
}

/// What one case measured in its own process.
struct Figures
{
    int points = 0;
    double calculate = 1e300, draw = 1e300, processor = 1e300;
    double member = 0.0; ///< a family's mean member drawn alone
    int identity = 0;    ///< the function says its sides are equal everywhere in view
};

/// Calculates and draws the case `runs` times (a family as the graph draws one), keeping the
/// best times.
Figures Measure(const kttest::ImplicitCase& c, Size size, int runs, QImage& image)
{
    KTAxes axes;
    kttest::SetPageAxes(axes, c.XLow(), c.XHigh(), c.YLow(), c.YHigh(), 1, size.width, size.height);
    KTFunction3 f(&axes);
    f.Data().m_options.SetDefaults(0);
    f.Data().m_equationText = c.text;
    if (c.members > 0)
        f.Data().m_constants.m_range[0] = KTFunctionConstantRange(1, c.members, 1, 1);
    f.Interpret();
    Figures out;
    for (int run = 0; run < runs; ++run) {
        const double cpuBefore = ProcessMilliseconds();
        Clock::time_point start = Clock::now();
        if (c.members == 0)
            kttest::Recalculate(f);
        out.calculate = std::min(out.calculate, Milliseconds(start));
        const double cpuCalculate = ProcessMilliseconds() - cpuBefore;
        KTDC dc(&image);
        kttest::PreparePage(image, dc, axes);
        const double cpuDraw = ProcessMilliseconds();
        start = Clock::now();
        if (c.members > 0)
            f.DrawFamily(dc);
        else
            f.Draw(dc);
        out.draw = std::min(out.draw, Milliseconds(start));
        out.processor = std::min(out.processor, cpuCalculate + ProcessMilliseconds() - cpuDraw);
    }
    out.points =
        f.m_buffer1->m_count + ((f.m_implicitOverflow || f.m_twoBranches) ? f.m_buffer2->m_count : 0);
    out.identity = f.HoldsEverywhereInView() ? 1 : 0;
    if (c.members > 0) {
        // Each member alone, as a function whose constant is fixed at the member's value.
        double sum = 0.0;
        QImage scratch(size.width, size.height, QImage::Format_RGB32);
        for (int k = 1; k <= c.members; ++k) {
            f.Data().m_constants.m_range[0] = KTFunctionConstantRange(k, k, 0, k);
            f.Interpret();
            double best = 1e300;
            for (int run = 0; run < std::max(1, runs / 2); ++run) {
                KTDC dc(&scratch);
                kttest::PreparePage(scratch, dc, axes);
                const Clock::time_point start = Clock::now();
                kttest::Recalculate(f);
                f.Draw(dc);
                best = std::min(best, Milliseconds(start));
            }
            sum += best;
        }
        out.member = sum / c.members;
    }
    return out;
}

/// The child's part: one case at one size, its figures on one line of standard output.
int RunChild(const char* name, Size size, int runs, const QString& folder)
{
    const kttest::ImplicitCase* c = FindCase(name);
    if (!c)
        return 2;
    QImage image(size.width, size.height, QImage::Format_RGB32);
    const Figures f = Measure(*c, size, runs, image);
    std::printf("%d %.3f %.3f %.3f %.3f %d\n", f.points, f.calculate, f.draw, f.processor, f.member,
                f.identity);
    if (!folder.isEmpty())
        image.save(folder + "/" + c->name + "-" + QString::number(size.width) + "x" +
                   QString::number(size.height) + ".png");
    return 0;
}

/// Runs this program on one case at one size; its figures, and the most memory it held in
/// megabytes. False when it failed.
bool RunCase(const char* self, const kttest::ImplicitCase& c, Size size, int runs, const std::string& folder,
             Figures& figures, double& megabytes)
{
    int out[2];
    if (pipe(out) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const std::string width = std::to_string(size.width);
    const std::string height = std::to_string(size.height);
    const std::string count = std::to_string(runs);
    std::vector<char*> args = {const_cast<char*>(self),           const_cast<char*>("--case"),
                               const_cast<char*>(c.name),         const_cast<char*>(width.c_str()),
                               const_cast<char*>(height.c_str()), const_cast<char*>(count.c_str()),
                               const_cast<char*>(folder.c_str()), nullptr};
    pid_t child = 0;
    const int spawned = posix_spawn(&child, "/proc/self/exe", &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        return false;
    }
    std::string text;
    char buffer[256];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    close(out[0]);
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return false;
    megabytes = static_cast<double>(usage.ru_maxrss) / 1024.0;
    return std::sscanf(text.c_str(), "%d %lf %lf %lf %lf %d", &figures.points, &figures.calculate,
                       &figures.draw, &figures.processor, &figures.member, &figures.identity) == 6;
}

/// Whether the case at that size meets its goals; the words for its last column.
bool Judge(const kttest::ImplicitCase& c, Size size, const Figures& f, double megabytes, std::string& words)
{
    const double total = f.calculate + f.draw;
    bool met = true;
    const auto goal = [&](bool held, const std::string& what) {
        met = met && held;
        words += (words.empty() ? "" : ", ") + what + (held ? " met" : " MISSED");
    };
    if (c.established && size.width == 1600)
        goal(std::min(total, f.processor) <= kEstablishedGoal, "50 ms");
    if (size.width == 2560) {
        goal(total <= kLargeGoal, "250 ms");
        goal(megabytes <= kMemoryGoal, "300 MB");
    }
    if (c.members > 0) {
        char ratio[64];
        std::snprintf(ratio, sizeof ratio, "family %.1fx member", total / f.member);
        goal(total <= kFamilyGoal * f.member, ratio);
    }
    if (c.identity)
        goal(f.identity == 1 && f.points == 0, "identity said");
    return met;
}

/// Families of implicit relations, a member of each traced on each thread: the best time of the
/// whole family's paint with its members traced side by side and one after the other on one
/// thread, against the mean of its members drawn alone. Goal: the family within eight times the
/// mean member, where a member alone traces on one thread (a member with many curves traces on
/// all of them alone, and its family can gain nothing by tracing members side by side). Runs in
/// the calling process (its memory is that of the table above).
bool RunFamilies(int argc, char** argv, int runs)
{
    struct Family
    {
        const char* name;
        const char* text;
        double range, from, to, step;
        bool goal; ///< its members trace on one thread alone
    };
    static constexpr Family kFamilies[] = {
        {"power-family", "x^y=ay^x", 10, 1, 20, 1, true},
        {"lemniscate-family", "(x^2+y^2)^2=a(x^2-y^2)", 5, 1, 20, 1, true},
        {"sine-sum-family", "sin(x)+sin(y)=a/10", 50, 1, 20, 1, false},
        {"identity-family", "(x+a)^2=x^2+2ax+a^2", 10, 1, 20, 1, true},
        {"dense-family", "tan(xy)=a", 50, 1, 8, 1, false},
    };
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    std::printf("\nfamilies (load average %s)\n", LoadAverage().c_str());
    std::printf("%-20s %-28s %9s %7s %9s %9s %9s  %s\n", "family", "relation", "size", "members", "threads",
                "one by one", "member", "goals");
    bool met = true;
    for (const Family& family : kFamilies) {
        for (const Size size : kSizes) {
            KTAxes axes;
            kttest::SetPageAxes(axes, -family.range, family.range, -family.range, family.range, 1, size.width,
                                size.height);
            KTFunction3 f(&axes);
            f.Data().m_options.SetDefaults(0);
            f.Data().m_equationText = family.text;
            QImage image(size.width, size.height, QImage::Format_RGB32);
            const auto best = [&](const auto& paint) {
                double fastest = 1e300;
                for (int run = 0; run < runs; ++run) {
                    KTDC dc(&image);
                    kttest::PreparePage(image, dc, axes);
                    const Clock::time_point start = Clock::now();
                    paint(dc);
                    fastest = std::min(fastest, Milliseconds(start));
                }
                return fastest;
            };
            f.Data().m_constants.m_range[0] =
                KTFunctionConstantRange(family.from, family.to, family.step, family.from);
            f.Interpret();
            const double threads = best([&](KTDC& dc) { f.DrawFamily(dc); });
            const int members = f.Data().m_constants.m_range[0].MemberCount();
            KTFunction3::SetFamilyTracedAhead(false);
            const double oneByOne = best([&](KTDC& dc) { f.DrawFamily(dc); });
            KTFunction3::SetFamilyTracedAhead(true);
            double sum = 0.0;
            for (int k = 0; k < members; ++k) {
                const double value = family.from + k * family.step;
                f.Data().m_constants.m_range[0] = KTFunctionConstantRange(value, value, 0, value);
                f.Interpret();
                sum += best([&](KTDC& dc) {
                    kttest::Recalculate(f);
                    f.Draw(dc);
                });
            }
            const double member = sum / members;
            const bool held = threads <= kFamilyGoal * member;
            met = met && (held || !family.goal);
            char words[112];
            std::snprintf(words, sizeof words, "family %.1fx member%s, %.1fx faster than one by one",
                          threads / member, !family.goal ? "" : (held ? " met" : " MISSED"),
                          oneByOne / threads);
            const std::string shape = std::to_string(size.width) + "x" + std::to_string(size.height);
            std::printf("%-20s %-28s %9s %7d %9.2f %9.2f %9.2f  %s\n", family.name, family.text, shape.c_str(),
                        members, threads, oneByOne, member, words);
            std::fflush(stdout);
        }
    }
    return met;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 6 && std::strcmp(argv[1], "--case") == 0) {
        // The memory a case takes is the program's: its allocator is tuned as the program's is.
        KTTuneAllocator();
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        const QString folder = argc > 6 ? QString::fromLocal8Bit(argv[6]) : QString();
        return RunChild(argv[2], {std::atoi(argv[3]), std::atoi(argv[4])}, std::max(1, std::atoi(argv[5])),
                        folder);
    }
    const std::string folder = argc > 1 ? argv[1] : "";
    const std::string only = argc > 2 ? argv[2] : "";
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : kRuns;

    std::printf("load average before: %s\n", LoadAverage().c_str());
    std::printf("%-20s %-36s %9s %7s %8s %8s %8s %9s %7s  %s\n", "case", "relation", "size", "points",
                "calc ms", "draw ms", "total", "cpu total", "MB", "goals");
    bool allMet = true;
    for (const kttest::ImplicitCase& c : kttest::kImplicitCases) {
        if (!c.implicit || std::string(c.name).rfind(only, 0) != 0)
            continue;
        for (const Size size : kSizes) {
            Figures f;
            double megabytes = 0.0;
            const std::string shape = std::to_string(size.width) + "x" + std::to_string(size.height);
            if (!RunCase(argv[0], c, size, runs, folder, f, megabytes)) {
                std::printf("%-20s %-36s %9s  failed\n", c.name, c.text, shape.c_str());
                allMet = false;
                continue;
            }
            std::string words;
            allMet = Judge(c, size, f, megabytes, words) && allMet;
            std::printf("%-20s %-36s %9s %7d %8.2f %8.2f %8.2f %9.2f %7.1f  %s\n", c.name, c.text,
                        shape.c_str(), f.points, f.calculate, f.draw, f.calculate + f.draw, f.processor,
                        megabytes, words.c_str());
            std::fflush(stdout);
        }
    }
    if (only.empty() || only == "families")
        allMet = RunFamilies(argc, argv, std::max(1, runs / 2)) && allMet;
    std::printf("load average after: %s\n", LoadAverage().c_str());
    std::printf("%s\n", allMet ? "every goal met" : "some goals missed");
    return 0;
}
