// The lattice trace evaluated a row at a time against the same trace one point at a time: with
// a row form that gives the point form's values, the polylines are the same bit for bit and
// every lattice point is evaluated once either way, whatever order the rows come in. The bands
// judged side by side on threads give the trace of judging them one after the other, and a grid
// that takes the lists an earlier plot left (or traces again) gives the trace of a new one. The segments made on
// the threads join crossings of one leaf each.

#include "engine/KTEvaluationProgram.h"
#include "engine/KTImplicitCells.h"
#include "engine/KTImplicitCrossings.h"
#include "engine/KTImplicitGrid.h"
#include "engine/KTImplicitLattice.h"
#include "engine/KTImplicitThreads.h"
#include "engine/KTImplicitLevels.h"
#include "engine/KTImplicitPolylines.h"
#include "engine/KTImplicitWorker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <functional>
#include <iterator>
#include <limits>
#include <new>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

/// A relation's difference written as a postfix list ("x 2 ^ y 2 ^ + 4 -"), compiled as the
/// sampler compiles the sides of a relation: its values point by point and its ranges over boxes.
struct GridRow
{
    const char* name;
    double low, high;
    const char* postfix;
};

const GridRow kRows[] = {
    {"circle", -5, 5, "x 2 ^ y 2 ^ + 4 -"},
    {"sine pattern", -10, 10, "x y * COS x 2 ^ y 2 ^ + SIN -"},
    {"two small circles", -5, 5, "x 2 ^ y 2 ^ + 0.01 - x 2 ^ y 2 ^ + 0.04 - *"},
    {"square-root sum", -2, 2, "1 x SQRT - y SQRT -"},
    {"tangent lines", -5, 5, "0 35.6 x * TAN -"},
    // Closed loops a few lattice cells across over the whole lattice, and lines cut by its edges:
    // the join on threads walks lines that cross its parts.
    {"dense sines", -1000, 1000, "x SIN y COS + 0.5 -"},
};

KTEvaluationProgram Compiled(const char* postfix)
{
    static const struct
    {
        const char* text;
        int kind;
    } names[] = {{"x", ASKind::X},        {"y", ASKind::Y},      {"+", ASKind::Plus},   {"-", ASKind::Minus},
                 {"*", ASKind::Multiply}, {"/", ASKind::Divide}, {"^", ASKind::Power},  {"SIN", ASKind::Sin},
                 {"COS", ASKind::Cos},    {"TAN", ASKind::Tan},  {"SQRT", ASKind::Sqrt}};
    ASTokenList list;
    std::istringstream in(postfix);
    std::string word;
    while (in >> word) {
        bool known = false;
        for (const auto& name : names)
            if (word == name.text) {
                list.Append(name.kind);
                known = true;
            }
        if (!known)
            list.Append(ASKind::Number, std::stod(word));
    }
    KTEvaluationProgram program;
    program.Compile(list);
    return program;
}

double Undefined()
{
    return std::numeric_limits<double>::quiet_NaN();
}

bool SameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

/// The difference of a compiled relation at a point, as the sampler reads it: NaN where the
/// program gives no value.
KTImplicitGrid::Difference DifferenceOf(const KTEvaluationProgram& program)
{
    return [&program](double x, double y) {
        const double v = program.Run({x, y, nullptr, 1.0});
        return KTEvaluationRules::IsSentinel(v) ? Undefined() : v;
    };
}

/// The ranges of a compiled relation over boxes, as the sampler takes them.
KTImplicitGrid::Bound BoundOf(const KTEvaluationProgram& program)
{
    return [&program](double xLow, double xHigh, double yLow, double yHigh, bool gradient, bool gaps) {
        const KTIntervalInputs in{{xLow, xHigh}, {yLow, yHigh}, nullptr, 1.0, gaps};
        return gradient ? program.BoundWithGradient(in)
                        : KTIntervalGradient{program.Bound(in), KTInterval::Entire(), KTInterval::Entire()};
    };
}

/// A row form of a difference, point by point.
KTImplicitGrid::RowDifference RowsOf(KTImplicitGrid::Difference difference)
{
    return [difference](const double* xs, double y, double* out, int count) {
        for (int k = 0; k < count; ++k)
            out[k] = difference(xs[k], y);
    };
}

/// The grid's lines' points as graph points.
std::vector<KTPoint> PointsOf(const KTImplicitGrid& grid)
{
    return {grid.Points().begin(), grid.Points().end()};
}

struct Traced
{
    std::vector<KTPoint> points;
    std::vector<int> ends;
    long long evaluations;
    long long bounds;
};

Traced TraceOf(const GridRow& row, bool byRows, bool backward = false, bool concurrent = true,
               int columns = 400, int lines = 300, int times = 1)
{
    const KTEvaluationProgram program = Compiled(row.postfix);
    const KTImplicitGrid::Difference difference = DifferenceOf(program);
    KTImplicitGrid grid(row.low, row.high, row.low, row.high, columns, lines);
    // Threads however few curves cross the lattice, so that every case takes them.
    grid.SetConcurrent(concurrent, 0);
    KTImplicitGrid::RowDifference rows;
    if (byRows)
        rows = [&difference, backward](const double* xs, double y, double* out, int count) {
            for (int k = 0; k < count; ++k) {
                const int at = backward ? count - 1 - k : k;
                out[at] = difference(xs[at], y);
            }
        };
    for (int k = 0; k < times; ++k)
        grid.Trace(difference, rows, BoundOf(program));
    return {PointsOf(grid), grid.Ends(), grid.Evaluations(), grid.Bounds()};
}

void ExpectSame(const Traced& a, const Traced& b, const char* name)
{
    EXPECT_EQ(a.ends, b.ends) << name;
    EXPECT_EQ(a.evaluations, b.evaluations) << name;
    // Ranges taken ahead for the next level come to as many on threads as one level at a time.
    EXPECT_EQ(a.bounds, b.bounds) << name;
    ASSERT_EQ(a.points.size(), b.points.size()) << name;
    for (std::size_t k = 0; k < a.points.size(); ++k) {
        EXPECT_TRUE(SameBits(a.points[k].m_x, b.points[k].m_x)) << name << " point " << k;
        EXPECT_TRUE(SameBits(a.points[k].m_y, b.points[k].m_y)) << name << " point " << k;
    }
}

/// Each segment joins two crossings of the boundary of one leaf, and no leaf is larger than a
/// first cell: points next to each other on a line (not simplified) lie no farther apart than
/// a first cell's diagonal, whichever thread made the segment.
void ExpectSegmentsWithinOneCell(const Traced& t, const GridRow& row, int columns, int lines)
{
    const double reach = KTImplicitLevels::TopCell * std::hypot((row.high - row.low) / columns,
                                                                (row.high - row.low) / lines);
    int start = 0;
    for (const int end : t.ends) {
        for (int k = start + 1; k < end; ++k) {
            const KTPoint& a = t.points[static_cast<std::size_t>(k - 1)];
            const KTPoint& b = t.points[static_cast<std::size_t>(k)];
            ASSERT_LE(std::hypot(b.m_x - a.m_x, b.m_y - a.m_y), reach)
                << row.name << " " << columns << "x" << lines << " point " << k;
        }
        start = end;
    }
}

TEST(KTImplicitGrid, RowsGiveThePolylinesOfSinglePoints)
{
    for (const GridRow& row : kRows) {
        const Traced single = TraceOf(row, false);
        ASSERT_FALSE(single.points.empty()) << row.name;
        for (const bool backward : {false, true}) {
            const Traced rows = TraceOf(row, true, backward);
            EXPECT_EQ(rows.ends, single.ends) << row.name;
            ASSERT_EQ(rows.points.size(), single.points.size()) << row.name;
            for (std::size_t k = 0; k < rows.points.size(); ++k) {
                EXPECT_TRUE(SameBits(rows.points[k].m_x, single.points[k].m_x)) << row.name << " point " << k;
                EXPECT_TRUE(SameBits(rows.points[k].m_y, single.points[k].m_y)) << row.name << " point " << k;
            }
            // Only the middles of small cells crossed by poles alone are evaluated beyond what
            // the points one by one need.
            if (std::strcmp(row.name, "tangent lines") != 0)
                EXPECT_EQ(rows.evaluations, single.evaluations) << row.name;
            else
                EXPECT_GE(rows.evaluations, single.evaluations) << row.name;
        }
    }
}

TEST(KTImplicitGrid, BandsOnThreadsGiveTheTraceOfOneBandAfterAnother)
{
    // Lattices of few bands, of bands cut short at the top and of many: the threads wait on
    // the bands beside theirs in every case. Beyond a list for each band, bands share lists
    // and are judged on one thread.
    const int sizes[][2] = {{400, 300}, {37, 45}, {1600, 1200}, {333, 17}, {24, 8200}};
    for (const GridRow& row : kRows) {
        for (const auto& size : sizes) {
            const Traced alone = TraceOf(row, true, false, false, size[0], size[1]);
            const Traced threads = TraceOf(row, true, false, true, size[0], size[1]);
            // Two circles of a few hundredths across fall between the points of a coarse lattice.
            if (size[0] >= 400) {
                ASSERT_FALSE(alone.points.empty()) << row.name << " " << size[0];
            }
            ExpectSame(threads, alone, row.name);
            ExpectSegmentsWithinOneCell(threads, row, size[0], size[1]);
        }
    }
}

TEST(KTImplicitGrid, AGridAfterAnotherTracesAsAFirstOne)
{
    // The second and third traces take the lists the one before left, of another size.
    for (const GridRow& row : kRows) {
        const Traced first = TraceOf(row, true);
        TraceOf(kRows[1], true, false, true, 1600, 1200);
        ExpectSame(TraceOf(row, true), first, row.name);
        TraceOf(kRows[0], false, false, true, 20, 10);
        ExpectSame(TraceOf(row, true), first, row.name);
        // A grid traced again starts from a lattice with nothing evaluated.
        ExpectSame(TraceOf(row, true, false, true, 400, 300, 3), first, row.name);
    }
}

// A relation that holds everywhere (x^1 = x), relations whose rates of change nothing bounds
// (traced without ranges, or with ranges that do not bound them) and one that is its rounding
// alone in part of the view cost a few evaluations a lattice point, not a search of every
// interval of the lattice for two crossings.
TEST(KTImplicitGrid, EveryLatticePointCostsAFewEvaluations)
{
    const struct
    {
        const char* postfix;
        bool bounded;
    } rows[] = {{"x 1 ^ x -", true},
                {"x 1 ^ x -", false},
                {"x 2 ^ y 2 ^ + 4 -", false},
                {"x y * COS x 2 ^ y 2 ^ + SIN -", false},
                {"0 35.6 x * TAN -", false},
                {"x x ^ x -", true},  // ranges of x^x whose rates are unbounded
                // x + 2x x^(4y) - x: where x^(4y) is below x's rounding, the difference is its
                // rounding alone, and every range of it holds zero
                {"x 2 x * x 4 y * ^ * + x -", true}};
    constexpr int columns = 400;
    constexpr int lines = 300;
    for (const auto& row : rows) {
        const KTEvaluationProgram program = Compiled(row.postfix);
        const KTImplicitGrid::Difference difference = [&program](double x, double y) {
            return program.Run({x, y, nullptr, 1.0});
        };
        KTImplicitGrid grid(-5, 5, -5, 5, columns, lines);
        grid.Trace(difference, RowsOf(difference), row.bounded ? BoundOf(program) : nullptr);
        EXPECT_LE(grid.Evaluations(), 4LL * (columns + 1) * (lines + 1)) << row.postfix << " " << row.bounded;
    }
}

// A difference that fails part way (out of memory) on one of the threads fails the trace, with
// every thread back from it, and the next trace is whole.
TEST(KTImplicitGrid, AFailingTraceLeavesTheThreadsForTheNext)
{
    const GridRow& row = kRows[1];
    const Traced whole = TraceOf(row, true, false, true, 1600, 1200);
    const KTEvaluationProgram program = Compiled(row.postfix);
    for (const long long failAt : {1000LL, 20000LL, 200000LL}) {
        std::atomic<long long> calls{0};
        const auto difference = [&program, &calls, failAt](double x, double y) {
            if (calls.fetch_add(1) == failAt)
                throw std::bad_alloc();
            return program.Run({x, y, nullptr, 1.0});
        };
        KTImplicitGrid grid(row.low, row.high, row.low, row.high, 1600, 1200);
        grid.SetConcurrent(true, 0);
        EXPECT_THROW(grid.Trace(difference, RowsOf(difference), BoundOf(program)), std::bad_alloc) << failAt;
    }
    ExpectSame(TraceOf(row, true, false, true, 1600, 1200), whole, row.name);
}

} // namespace

namespace {

// The threads kept for the bands are started by the first trace that uses them, not before: a
// program that plots no implicit relation (or only few curves) starts none.
TEST(KTImplicitGrid, ThreadsStartWithTheFirstTraceThatUsesThem)
{
    const int before = KTImplicitThreads::Started();
    TraceOf(kRows[0], true, false, false);
    TraceOf(kRows[0], false);
    EXPECT_EQ(KTImplicitThreads::Started(), before);
    TraceOf(kRows[1], true, false, true);
    EXPECT_EQ(KTImplicitThreads::Started(), KTImplicitThreads::Count() - 1);
}

} // namespace

namespace {

// A cell's boundary runs counter-clockwise from its bottom left corner through the points smaller
// neighbours put on its sides, a pending one evaluated as it is read; a crossing is found once
// per interval, and an interval's crossing is found again, not searched, by every cell that
// shares it.
TEST(KTImplicitGrid, ABoundaryReadsTheSidePointsAndCrossingsOfSmallerNeighbours)
{
    // x + 2y - 3.5 on a lattice of 8 x 8 over [0, 8]: lattice coordinates are graph ones.
    KTImplicitLattice lattice;
    lattice.Reset(0.0, 8.0, 0.0, 8.0, 8, 8);
    const KTImplicitLattice::Difference difference = [](double x, double y) { return x + 2.0 * y - 3.5; };
    lattice.Start(difference, RowsOf(difference), {});
    lattice.ReserveTiles(1);
    KTImplicitWorker worker;
    worker.Start(0);
    KTImplicitWorker* const caller = KTImplicitWorker::SetCurrent(&worker);
    KTImplicitCrossings crossings(lattice);
    crossings.Reset(1);
    KTImplicitCells cells(lattice, crossings);
    cells.Reset(1);

    // The cell [0, 4] x [0, 4] with its corners and a point a smaller neighbour put on its
    // bottom side (2, 0), and one on its right side (4, 2) still pending.
    const KTImplicitCells::Cell cell{0, 0, 4, 4};
    for (const auto& p : {std::pair{0, 0}, {4, 0}, {4, 4}, {0, 4}, {2, 0}})
        lattice.Value(p.first, p.second);
    lattice.Defer(4, 2);
    EXPECT_TRUE(lattice.IsPendingPoint(4, 2));
    EXPECT_EQ(worker.evaluations, 5);
    EXPECT_TRUE(cells.HasSidePoints(cell));
    std::vector<KTImplicitLattice::Sample> boundary;
    cells.Boundary(cell, boundary);
    EXPECT_FALSE(lattice.IsPendingPoint(4, 2));
    EXPECT_EQ(worker.evaluations, 6);
    // Counter-clockwise from the bottom left: (0,0) (2,0) (4,0) (4,2) (4,4) (0,4).
    const int expected[][2] = {{0, 0}, {2, 0}, {4, 0}, {4, 2}, {4, 4}, {0, 4}};
    ASSERT_EQ(boundary.size(), std::size(expected));
    for (std::size_t k = 0; k < boundary.size(); ++k) {
        EXPECT_EQ(boundary[k].i, expected[k][0]) << k;
        EXPECT_EQ(boundary[k].j, expected[k][1]) << k;
        EXPECT_TRUE(SameBits(boundary[k].f, difference(expected[k][0], expected[k][1]))) << k;
    }
    // Lattice points on no side, or beyond the cell, are not its.
    EXPECT_FALSE(cells.HasSidePoints({0, 4, 4, 8}));

    // The line crosses the bottom side between (2, 0) and (4, 0) at x = 3.5, and the left side
    // between (0, 0) and (0, 4) at y = 1.75.
    EXPECT_EQ(crossings.Count(), 0);
    const std::int32_t bottom = crossings.At(2, 0, true, 2);
    const std::int32_t left = crossings.At(0, 0, false, 4);
    EXPECT_NEAR(crossings[bottom].U(), 3.5, 1.0 / 50);
    EXPECT_NEAR(crossings[left].V(), 1.75, 4.0 / 50);
    EXPECT_EQ(crossings.Count(), 2);
    // Found again, not searched.
    EXPECT_EQ(crossings.At(2, 0, true, 2), bottom);
    EXPECT_EQ(crossings.At(0, 0, false, 4), left);
    EXPECT_EQ(crossings.Count(), 2);
    // Another interval from the same point is another crossing's.
    EXPECT_NE(crossings.At(0, 0, false, 2), left);
    EXPECT_EQ(crossings.Count(), 3);

    KTImplicitWorker::SetCurrent(caller);
    lattice.Finish();
}

} // namespace

// A trace that would make more leaves than its budget stops and says so, on threads or not,
// leaving no lines; within a budget it draws what it draws without one.
TEST(KTImplicitGrid, ATraceOverItsLeafBudgetStopsAndOneWithinItIsTheSame)
{
    const KTImplicitGrid::Difference difference = [](double x, double y) {
        return std::sin(40 * x) + std::sin(40 * y) - 0.5;
    };
    const KTImplicitGrid::RowDifference rows = RowsOf(difference);
    for (const bool concurrent : {false, true}) {
        KTImplicitGrid grid(-5, 5, -5, 5, 300, 300);
        grid.SetConcurrent(concurrent, 0);
        ASSERT_TRUE(grid.Trace(difference, rows));
        const std::vector<KTPoint> free = PointsOf(grid);
        ASSERT_FALSE(free.empty());
        grid.SetLeafBudget(1000);
        EXPECT_FALSE(grid.Trace(difference, rows)) << concurrent;
        EXPECT_TRUE(grid.Points().empty()) << concurrent;
        grid.SetLeafBudget(10 * 300 * 300);
        ASSERT_TRUE(grid.Trace(difference, rows)) << concurrent;
        EXPECT_EQ(PointsOf(grid), free) << concurrent;
    }
}

// Lines simplified to fit a number of points are those of Douglas-Peucker at the tolerance the
// simplification returns, run on the lines as traced, less the lines that lie within it of their
// first point; and that tolerance is the least of its steps at which they fit: a sixteenth of
// an octave less would leave more.
TEST(KTImplicitGrid, LinesSimplifiedToFitAreThoseOfTheLeastToleranceAtWhichTheyFit)
{
    constexpr double first = 0.1;
    struct Line
    {
        std::vector<double> u, v;
        std::vector<KTPoint> points;
    };
    // Every row on a small lattice; the dense loops also on one whose lines take more points
    // than are simplified on one thread.
    std::vector<std::pair<const GridRow*, std::pair<int, int>>> plots;
    for (const GridRow& row : kRows)
        plots.push_back({&row, {400, 300}});
    plots.push_back({&kRows[std::size(kRows) - 1], {800, 600}});
    for (const auto& [plotRow, size] : plots) {
        const GridRow& row = *plotRow;
        const int columns = size.first;
        const int lines = size.second;
        const Traced traced = TraceOf(row, true, false, true, columns, lines);
        if (columns > 400) {
            EXPECT_GT(traced.points.size(), KTImplicitPolylines::ThreadedPoints) << row.name;
        }
        // Lattice coordinates as the lines' own arithmetic gives them.
        const double xScale = 1.0 / ((row.high - row.low) / columns);
        const double yScale = 1.0 / ((row.high - row.low) / lines);
        std::vector<Line> original;
        int begin = 0;
        for (const int end : traced.ends) {
            Line line;
            for (int k = begin; k < end; ++k) {
                const KTPoint& p = traced.points[static_cast<std::size_t>(k)];
                line.points.push_back(p);
                line.u.push_back((p.m_x - row.low) * xScale);
                line.v.push_back((p.m_y - row.low) * yScale);
            }
            original.push_back(line);
            begin = end;
        }
        // Douglas-Peucker by recursion at a tolerance; with `drop`, lines whose points all lie
        // within it of their first point go.
        const auto reference = [&original](double tolerance, bool drop, std::vector<KTPoint>& points,
                                           std::vector<int>& ends) {
            points.clear();
            ends.clear();
            for (const Line& line : original) {
                const std::size_t n = line.points.size();
                double reach = 0.0;
                for (std::size_t k = 1; k < n; ++k)
                    reach = std::max(reach, std::sqrt((line.u[k] - line.u[0]) * (line.u[k] - line.u[0]) +
                                                      (line.v[k] - line.v[0]) * (line.v[k] - line.v[0])));
                if (drop && !(reach >= tolerance))
                    continue;
                std::vector<bool> keep(n, false);
                keep.front() = keep.back() = true;
                const std::function<void(std::size_t, std::size_t)> split = [&](std::size_t a, std::size_t b) {
                    if (b - a < 2)
                        return;
                    const double dx = line.u[b] - line.u[a];
                    const double dy = line.v[b] - line.v[a];
                    const double length = std::sqrt(dx * dx + dy * dy);
                    double farthest = -1.0;
                    std::size_t at = a;
                    for (std::size_t k = a + 1; k < b; ++k) {
                        const double px = line.u[k] - line.u[a];
                        const double py = line.v[k] - line.v[a];
                        const double d =
                            length > 0.0 ? std::fabs(px * dy - py * dx) / length : std::sqrt(px * px + py * py);
                        if (d > farthest) {
                            farthest = d;
                            at = k;
                        }
                    }
                    if (farthest > tolerance) {
                        keep[at] = true;
                        split(a, at);
                        split(at, b);
                    }
                };
                split(0, n - 1);
                for (std::size_t k = 0; k < n; ++k)
                    if (keep[k])
                        points.push_back(line.points[k]);
                ends.push_back(static_cast<int>(points.size()));
            }
        };
        std::vector<KTPoint> points;
        std::vector<int> ends;
        reference(first, false, points, ends);
        const std::size_t simplified = points.size();
        ASSERT_GT(simplified, 10u) << row.name;
        for (const std::size_t most : {simplified, simplified / 2, simplified / 5, simplified / 20}) {
            const KTEvaluationProgram program = Compiled(row.postfix);
            KTImplicitGrid grid(row.low, row.high, row.low, row.high, columns, lines);
            ASSERT_TRUE(grid.Trace(DifferenceOf(program), nullptr, BoundOf(program))) << row.name;
            ASSERT_EQ(PointsOf(grid), traced.points) << row.name;
            const double tolerance = grid.Simplify(first, most);
            EXPECT_LE(grid.Points().size(), most) << row.name << " " << most;
            // Points at the tolerance itself (lattice distances are often whole) may go either
            // way: what is kept lies between what a tolerance a little larger and a little
            // smaller keep, in the order of the lines.
            const std::string what = std::string(row.name) + " at most " + std::to_string(most) + ", tolerance " +
                                     std::to_string(tolerance);
            const bool drop = most < simplified;
            const auto within = [](const std::vector<KTPoint>& small, const std::vector<KTPoint>& big) {
                std::size_t at = 0;
                for (const KTPoint& p : big)
                    if (at < small.size() && small[at] == p)
                        ++at;
                return at == small.size();
            };
            std::vector<KTPoint> fewer, more;
            reference(tolerance * (1 + 1e-9), drop, fewer, ends);
            reference(tolerance * (1 - 1e-9), drop, more, ends);
            EXPECT_TRUE(within(fewer, PointsOf(grid))) << what;
            EXPECT_TRUE(within(PointsOf(grid), more)) << what;
            EXPECT_LE(more.size() - fewer.size(), 2 * std::size_t{8}) << what;
            if (tolerance > first) {
                // The steps are sixteenths of each octave of the tolerance over the first one.
                const double ratio = tolerance / first;
                const double octave = std::exp2(std::floor(std::log2(ratio) + 1e-12));
                const double sixteenths = std::round((ratio / octave - 1.0) * 16.0);
                const double before = sixteenths > 0 ? octave * (1.0 + (sixteenths - 1.0) / 16.0)
                                                     : octave / 2.0 * (1.0 + 15.0 / 16.0);
                reference(first * before * (1 - 1e-9), true, points, ends);
                EXPECT_GT(points.size(), most) << what;
            } else {
                EXPECT_EQ(most, simplified) << row.name;
            }
        }
    }
}

// Parts of a plot's work run once each, on the threads or, while another caller holds them,
// on the caller in order; a part that fails fails the call once every thread is back, and the
// threads serve the next call.
TEST(KTImplicitGrid, EveryPartRunsOnceAndAFailingPartFailsTheCall)
{
    for (const int parts : {0, 1, 3, 8, 100}) {
        for (const bool held : {false, true}) {
            std::vector<std::atomic<int>> runs(static_cast<std::size_t>(parts));
            std::vector<int> order;
            const auto run = [&] {
                KTImplicitThreads::RunParts(parts, [&](int p) {
                    runs[static_cast<std::size_t>(p)].fetch_add(1);
                    if (held)
                        order.push_back(p); // on the caller alone
                });
            };
            if (held)
                ASSERT_TRUE(KTImplicitThreads::Run(2, [&](int k) {
                    if (k == 0)
                        run();
                }));
            else
                run();
            for (int p = 0; p < parts; ++p)
                EXPECT_EQ(runs[static_cast<std::size_t>(p)].load(), 1) << parts << " part " << p;
            if (held) {
                std::vector<int> inOrder(static_cast<std::size_t>(parts));
                for (int p = 0; p < parts; ++p)
                    inOrder[static_cast<std::size_t>(p)] = p;
                EXPECT_EQ(order, inOrder) << parts;
            }
        }
    }
    for (const int failing : {0, 37, 99}) {
        EXPECT_THROW(KTImplicitThreads::RunParts(100,
                                                 [failing](int p) {
                                                     if (p == failing)
                                                         throw std::bad_alloc();
                                                 }),
                     std::bad_alloc)
            << failing;
        std::atomic<int> after{0};
        KTImplicitThreads::RunParts(100, [&after](int) { after.fetch_add(1); });
        EXPECT_EQ(after.load(), 100) << failing;
    }
}
