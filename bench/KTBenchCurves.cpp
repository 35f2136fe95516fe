// Paint cost of the engine: for ten reference curves, the time to calculate each (sampling,
// discontinuities, points of interest, screen form) and to draw it into a 1600 x 1200 image
// through the device context, and the total against one 60 Hz frame (16 ms); then the
// polynomial and the rational function again with both derivative curves shown, which the
// drawing samples as curves of their own. Each time is the
// best of several runs, so that it shows the work rather than the machine's other load.

#include "KTCurveReferenceSet.h"

#include "platform/KTDC.h"

#include <QGuiApplication>
#include <QImage>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

constexpr int kRuns = 15;

/// The best calculation and drawing times, in milliseconds, of kRuns.
std::pair<double, double> BestTimes(kttest::CurveReference& reference, QImage& image)
{
    double calculate = 1e300;
    double draw = 1e300;
    for (int run = 0; run < kRuns; ++run) {
        image.fill(Qt::white);
        KTDC dc(&image);
        dc.SetMapMode(MM_HIMETRIC);
        Clock::time_point start = Clock::now();
        kttest::CalculateReference(reference);
        calculate = std::min(calculate, Milliseconds(start));
        start = Clock::now();
        kttest::DrawReference(reference, dc);
        draw = std::min(draw, Milliseconds(start));
    }
    return {calculate, draw};
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    KTAxes axes;
    kttest::SetReferenceAxes(axes);
    std::vector<kttest::CurveReference> set = kttest::MakeCurveReferences(axes);
    QImage image(1600, 1200, QImage::Format_RGB32);

    std::printf("%-16s %12s %12s %12s\n", "curve", "calculate ms", "draw ms", "total ms");
    double calculateTotal = 0.0;
    double drawTotal = 0.0;
    for (kttest::CurveReference& reference : set) {
        const auto [calculate, draw] = BestTimes(reference, image);
        std::printf("%-16s %12.3f %12.3f %12.3f\n", reference.name, calculate, draw, calculate + draw);
        calculateTotal += calculate;
        drawTotal += draw;
    }
    const double total = calculateTotal + drawTotal;
    std::printf("%-16s %12.3f %12.3f %12.3f\n", "total", calculateTotal, drawTotal, total);
    std::printf("goal: total under 16 ms (one 60 Hz frame): %s\n", total < 16.0 ? "met" : "not met");

    for (kttest::CurveReference& reference : set) {
        const std::string name = reference.name;
        if (name != "polynomial" && name != "rational")
            continue;
        reference.function->Data().m_showFirstDerivative = 1;
        reference.function->Data().m_showSecondDerivative = 1;
        const auto [calculate, draw] = BestTimes(reference, image);
        std::printf("%-16s %12.3f %12.3f %12.3f\n", (name + " f' f''").c_str(), calculate, draw, calculate + draw);
    }
    return 0;
}
