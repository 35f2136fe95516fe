// Cost of wide antialiased lines through the device context: twenty closed curves of the
// polar reference family (r = a/2 + cos 3 theta) and twenty dashed circles, on a 1600 x 1200
// image, at the pen widths a printed page (300 dots per inch) and the screen use. Each time is
// the best of many runs ("--runs N"); "--reference" draws by the plain reference path of the
// rasteriser.

#include "platform/KTDC.h"
#include "platform/KTLineRaster.h"

#include <QGuiApplication>
#include <QImage>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

int g_runs = 40;
constexpr double kUnitsPerDot = HIMETRIC_INCH / 300.0;

/// A context on the image as the graph's paint makes it: 300 dots per inch, HIMETRIC units.
void PrintMapping(KTDC& dc)
{
    dc.SetResolution(300, 300);
    dc.SetMapMode(MM_HIMETRIC);
}

std::vector<std::vector<CPoint>> FamilyCurves()
{
    std::vector<std::vector<CPoint>> curves;
    for (int member = 1; member <= 20; ++member) {
        const double a = member / 2.0;
        std::vector<CPoint> points;
        for (int k = 0; k < 1600; ++k) {
            const double theta = 2 * std::numbers::pi * k / 1599;
            const double r = a / 2 + std::cos(3 * theta);
            // HIMETRIC units (y up) of a 300 dots per inch device, as the graph draws.
            points.emplace_back(
                static_cast<int>(std::lround((800 + 110 * r * std::cos(theta)) * kUnitsPerDot)),
                static_cast<int>(std::lround(-(600 - 110 * r * std::sin(theta)) * kUnitsPerDot)));
        }
        curves.push_back(std::move(points));
    }
    return curves;
}

double BestOf(const auto& paint)
{
    double best = 1e300;
    for (int run = 0; run < g_runs; ++run) {
        const Clock::time_point start = Clock::now();
        paint();
        best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    bool reference = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--reference") == 0)
            reference = true;
        else if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            g_runs = std::max(1, std::atoi(argv[++i]));
    }
    KTLineRaster::SetReferencePath(reference);
    QImage image(1600, 1200, QImage::Format_RGB32);
    const std::vector<std::vector<CPoint>> curves = FamilyCurves();
    double load = 0;
    getloadavg(&load, 1);
    std::printf("load average %.2f; best of %d runs; %s path\n", load, g_runs,
                reference ? "reference" : "fast");
    std::printf("%-24s %6s %10s\n", "lines", "width", "ms");
    for (const int width : {2, 3, 6}) {
        const double curvesMs = BestOf([&] {
            image.fill(Qt::white);
            KTDC dc(&image);
            PrintMapping(dc);
            const KTPen pen(PS_GEOMETRIC | PS_SOLID, static_cast<int>(width * kUnitsPerDot), RGB(0, 0, 200));
            dc.SelectObject(pen);
            for (const std::vector<CPoint>& curve : curves)
                dc.Polyline(curve.data(), static_cast<int>(curve.size()));
        });
        const double circlesMs = BestOf([&] {
            image.fill(Qt::white);
            KTDC dc(&image);
            PrintMapping(dc);
            dc.SetBkMode(TRANSPARENT);
            dc.SelectStockObject(KTStockObject::NullBrush);
            const KTPen pen(PS_GEOMETRIC | PS_DOT, static_cast<int>(width * kUnitsPerDot),
                            RGB(100, 100, 100));
            dc.SelectObject(pen);
            for (int i = 1; i <= 20; ++i)
                dc.Ellipse(static_cast<int>((800 - 28 * i) * kUnitsPerDot),
                           static_cast<int>(-(600 - 28 * i) * kUnitsPerDot),
                           static_cast<int>((800 + 28 * i) * kUnitsPerDot),
                           static_cast<int>(-(600 + 28 * i) * kUnitsPerDot));
        });
        if (std::getenv("KT_BENCH_LINES_SAVE"))
            image.save(QString::asprintf("%s/lines-%d.png", std::getenv("KT_BENCH_LINES_SAVE"), width));
        std::printf("%-24s %6d %10.3f\n", "20 family curves", width, curvesMs);
        std::printf("%-24s %6d %10.3f\n", "20 dotted circles", width, circlesMs);
    }
    return 0;
}
