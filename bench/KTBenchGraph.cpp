// Paint cost of the whole graph: for the three reference documents, at the screen's resolution
// (96 dots per inch) and a printer's (300), the time of one full paint cycle (clearing the image,
// data extents with the functions' interpretation, layout, recalculation, drawing) into a
// 1600 x 1200 image against the goal of 8 ms, with the share of each step, and of a redraw that
// finds nothing changed (layout and drawing only).
// The feasible region document also runs hatched, its common region and each inequality's.
// Each time is the best of several runs, so that it shows the work rather than the machine's
// other load; the load average is printed beside the figures.

#include "KTReferenceGraphs.h"

#include <QGuiApplication>
#include <QImage>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

int g_runs = 25;
constexpr double kFullCycleGoal = 8.0;

double Milliseconds(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

/// The steps of one paint, in milliseconds.
struct Steps
{
    double clear = 0;
    double extents = 0;
    double layout = 0;
    double recalculate = 0;
    double draw = 0;
    double Total() const { return clear + extents + layout + recalculate + draw; }
};

/// One paint as kttest::PaintGraph does it, each step timed.
Steps TimedPaint(KTGraph3& graph, QImage& image, int dpi)
{
    Steps steps;
    Clock::time_point start = Clock::now();
    image.fill(Qt::white);
    KTDC dc(&image);
    dc.SetResolution(dpi, dpi);
    dc.SetMapMode(MM_HIMETRIC);
    steps.clear = Milliseconds(start);
    start = Clock::now();
    graph.ComputeDataExtents();
    graph.SetArea(0, 0, image.width() * HIMETRIC_INCH / dpi, -image.height() * HIMETRIC_INCH / dpi);
    steps.extents = Milliseconds(start);
    start = Clock::now();
    graph.Layout(dc);
    steps.layout = Milliseconds(start);
    start = Clock::now();
    graph.Recalculate(nullptr);
    steps.recalculate = Milliseconds(start);
    start = Clock::now();
    graph.Draw(dc, nullptr);
    steps.draw = Milliseconds(start);
    return steps;
}

/// The run of least total time; `dirty` marks the graph changed before each run.
Steps BestPaint(KTGraph3& graph, QImage& image, int dpi, bool dirty)
{
    Steps best;
    double bestTotal = 1e300;
    for (int run = 0; run < g_runs; ++run) {
        if (dirty)
            graph.SetDirty();
        const Steps steps = TimedPaint(graph, image, dpi);
        if (steps.Total() < bestTotal) {
            bestTotal = steps.Total();
            best = steps;
        }
    }
    return best;
}

/// The hatching of the feasible region document without the solid fill (the common region),
/// and of each of its inequalities on its own: every hatch line sampled and cut at the boundaries.
void BuildCommonHatching(KTGraph3& graph)
{
    kttest::BuildFeasibleRegion(graph);
    graph.Data().m_options.m_frSolid.m_value = 0;
}

void BuildEachHatching(KTGraph3& graph)
{
    kttest::BuildFeasibleRegion(graph);
    graph.Data().m_options.m_frOnly.m_value = 0;
}

const kttest::ReferenceGraph kHatchingGraphs[] = {
    {"hatch-common", BuildCommonHatching},
    {"hatch-each", BuildEachHatching},
};

double LoadAverage()
{
    double load[1] = {0.0};
    return getloadavg(load, 1) == 1 ? load[0] : -1.0;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QImage image(1600, 1200, QImage::Format_RGB32);
    // Arguments, when given, choose documents by a part of their names (for profiling one);
    // "--save FOLDER" also writes each picture there, to compare two builds; "--runs N" sets how
    // many runs each figure is the best of (1 under an instruction counter); "--dpi N" paints at that
    // resolution only.
    const char* saveFolder = nullptr;
    std::vector<const char*> names;
    std::vector<int> resolutions{96, 300};
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--save") == 0 && i + 1 < argc)
            saveFolder = argv[++i];
        else if (std::strcmp(argv[i], "--dpi") == 0 && i + 1 < argc)
            resolutions = {std::max(1, std::atoi(argv[++i]))};
        else if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            g_runs = std::max(1, std::atoi(argv[++i]));
        else
            names.push_back(argv[i]);
    }
    const auto chosen = [&](const char* name) {
        return names.empty() || std::any_of(names.begin(), names.end(),
                                            [&](const char* part) { return std::strstr(name, part); });
    };

    std::printf("load average %.2f; best of %d runs; 1600 x 1200 pixels\n", LoadAverage(), g_runs);
    std::printf("%-13s %4s %9s %9s %9s %9s %9s %9s %9s   %s\n", "document", "dpi", "clear", "extents",
                "layout", "recalc", "draw", "full ms", "redraw ms", "goal: full cycle <= 8 ms");
    bool allMet = true;
    std::vector<kttest::ReferenceGraph> documents(std::begin(kttest::kReferenceGraphs),
                                                  std::end(kttest::kReferenceGraphs));
    documents.insert(documents.end(), std::begin(kHatchingGraphs), std::end(kHatchingGraphs));
    for (const kttest::ReferenceGraph& reference : documents) {
        if (!chosen(reference.name))
            continue;
        for (const int dpi : resolutions) {
            KTGraph3 graph;
            reference.build(graph);
            kttest::PaintGraph(graph, image, dpi); // fonts and caches warm
            if (saveFolder)
                image.save(QString::asprintf("%s/%s-%d.png", saveFolder, reference.name, dpi));
            const Steps full = BestPaint(graph, image, dpi, true);
            const Steps redraw = BestPaint(graph, image, dpi, false);
            const bool met = full.Total() <= kFullCycleGoal;
            allMet = allMet && met;
            std::printf("%-13s %4d %9.3f %9.3f %9.3f %9.3f %9.3f %9.3f %9.3f   %s\n", reference.name, dpi,
                        full.clear, full.extents, full.layout, full.recalculate, full.draw, full.Total(),
                        redraw.Total(), met ? "met" : "MISSED");
        }
    }
    std::printf("%s; load average %.2f\n", allMet ? "every goal met" : "some goals missed", LoadAverage());
    return 0;
}
