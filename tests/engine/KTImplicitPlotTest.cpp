// Typed relations plotted on a page of 1600 x 1200 pixels, checked against closed forms: every
// drawn point within half a pixel of the curve, every root of an independent finer search near
// a drawn line, the 113 lines of tan(35.6x) = 0 and none on its poles, small circles closed,
// the two halves of a circle meeting at their ends. The pictures are written under the build
// folder ("implicit-curves" beside the test program) for a person to look at.

#include "KTCurveReferenceSet.h"
#include "KTCurveTestSupport.h"
#include "KTImplicitCases.h"

#include "engine/KTCurvePainter.h"
#include "engine/KTFunction3.h"
#include "engine/KTImplicitThreads.h"
#include "platform/KTDC.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

namespace {

using Polyline = std::vector<KTPoint>;

constexpr int kWidth = 1599;  // pixels across the x range
constexpr int kHeight = 1199; // pixels across the y range

const kttest::ImplicitCase& Case(const char* name)
{
    for (const kttest::ImplicitCase& c : kttest::kImplicitCases)
        if (std::strcmp(c.name, name) == 0)
            return c;
    std::abort(); // a typing error in a test
}

/// A case interpreted from its text and calculated as the graph does: on the page of 1600 x 1200
/// pixels over the case's range, or in a window of the given size over the given view.
struct Plot
{
    explicit Plot(const kttest::ImplicitCase& c)
        : xmin(c.XLow()), xmax(c.XHigh()), ymin(c.YLow()), ymax(c.YHigh()), width(kWidth + 1),
          height(kHeight + 1)
    {
        kttest::SetPageAxes(axes, xmin, xmax, ymin, ymax, 1);
        Calculate(c.text);
    }
    Plot(const char* text, double x0, double x1, double y0, double y1, int w, int h)
        : xmin(x0), xmax(x1), ymin(y0), ymax(y1), width(w), height(h)
    {
        kttest::SetAxes(axes, x0, x1, y0, y1, w - 1, h - 1, 1);
        Calculate(text);
    }
    void Calculate(const char* text)
    {
        f = std::make_unique<KTFunction3>(&axes);
        f->Data().m_options.SetDefaults(0);
        f->Data().m_equationText = text;
        f->Interpret();
        kttest::Recalculate(*f);
    }
    double UnitsPerPixelX() const { return (xmax - xmin) / (width - 1); }
    double UnitsPerPixelY() const { return (ymax - ymin) / (height - 1); }

    double xmin, xmax, ymin, ymax;
    int width, height;
    KTAxes axes;
    std::unique_ptr<KTFunction3> f;
};

/// The polylines of one buffer, joined as the curve painter joins them.
std::vector<Polyline> Lines(const KTCurvePointBuffer& buffer)
{
    std::vector<Polyline> lines;
    Polyline line;
    const auto flush = [&] {
        if (!line.empty())
            lines.push_back(line);
        line.clear();
    };
    for (int i = 0; i < buffer.m_count; ++i) {
        const KTCurvePoint& p = buffer.m_points[static_cast<std::size_t>(i)];
        if (!p.m_draw) {
            flush();
            continue;
        }
        line.push_back(p.m_point);
        if (p.m_break && line.size() > 1)
            flush();
    }
    flush();
    return lines;
}

std::vector<Polyline> AllLines(const KTFunction3& f)
{
    std::vector<Polyline> lines = Lines(*f.m_buffer1);
    if (f.m_implicitOverflow || f.m_twoBranches) {
        std::vector<Polyline> more = Lines(*f.m_buffer2);
        lines.insert(lines.end(), more.begin(), more.end());
    }
    return lines;
}

/// A relation F(x, y) = 0 with its gradient, written out by hand.
struct ClosedForm
{
    const char* name;
    void (*at)(double x, double y, double& f, double& fx, double& fy);
    /// Where the curve is steep beyond what a lattice search sees (a cusp, a vertical
    /// tangent): the point of the curve at y, one per branch (null: no such form).
    int (*xAtY)(double y, double xs[2]) = nullptr;
    /// The difference jumps (or has a pole) across lines where it has no zero: no drawn
    /// segment may run across them, so the middle of every one lies on the curve too.
    bool jumps = false;
};

void TanLines(double x, double, double& f, double& fx, double& fy)
{
    const double c = std::cos(35.6 * x);
    f = std::tan(35.6 * x);
    fx = 35.6 / (c * c);
    fy = 0.0;
}

void SinePattern(double x, double y, double& f, double& fx, double& fy)
{
    const double r = x * x + y * y;
    f = std::sin(r) - std::cos(x * y);
    fx = 2 * x * std::cos(r) + y * std::sin(x * y);
    fy = 2 * y * std::cos(r) + x * std::sin(x * y);
}

void TwoCircles(double x, double y, double& f, double& fx, double& fy)
{
    const double r = x * x + y * y;
    f = (r - 0.01) * (r - 0.04);
    fx = 2 * x * (2 * r - 0.05);
    fy = 2 * y * (2 * r - 0.05);
}

void Lemniscate(double x, double y, double& f, double& fx, double& fy)
{
    const double r = x * x + y * y;
    f = r * r - 4 * (x * x - y * y);
    fx = 4 * x * r - 8 * x;
    fy = 4 * y * r + 8 * y;
}

void Folium(double x, double y, double& f, double& fx, double& fy)
{
    f = x * x * x + y * y * y - 3 * x * y;
    fx = 3 * x * x - 3 * y;
    fy = 3 * y * y - 3 * x;
}

void SquareRootSum(double x, double y, double& f, double& fx, double& fy)
{
    f = std::sqrt(x) + std::sqrt(y) - 1; // NaN where x or y < 0
    fx = 0.5 / std::sqrt(x);
    fy = 0.5 / std::sqrt(y);
}

void FarCircle(double x, double y, double& f, double& fx, double& fy)
{
    f = x * x + y * y - 1e12;
    fx = 2 * x;
    fy = 2 * y;
}

/// The unit circle about (c, c), far out: x - c is exact there.
template <int Exponent> void FarUnitCircle(double x, double y, double& f, double& fx, double& fy)
{
    const double c = Exponent == 6 ? 1e6 : 1e8;
    f = (x - c) * (x - c) + (y - c) * (y - c) - 1;
    fx = 2 * (x - c);
    fy = 2 * (y - c);
}

void Sines(double x, double y, double& f, double& fx, double& fy)
{
    f = std::sin(x) + std::sin(y) - 1;
    fx = std::cos(x);
    fy = std::cos(y);
}

void WideSines(double x, double y, double& f, double& fx, double& fy)
{
    constexpr double s = 500000;
    f = std::sin(x / s) + std::sin(y / s) - 1;
    fx = std::cos(x / s) / s;
    fy = std::cos(y / s) / s;
}

/// x^(1/3) of the relation's text is the real cube root for negative x as well.
void CubeRoots(double x, double y, double& f, double& fx, double& fy)
{
    f = std::cbrt(x - 0.05) + std::cbrt(y) - 1;
    fx = 1 / (3 * std::cbrt((x - 0.05) * (x - 0.05)));
    fy = 1 / (3 * std::cbrt(y * y));
}

/// The curve x = 0.05 + (1 - cbrt y)^3: vertical where it turns at (0.05, 1).
int CubeRootsAtY(double y, double xs[2])
{
    const double d = 1 - std::cbrt(y);
    xs[0] = 0.05 + d * d * d;
    return 1;
}

void RootDiamond(double x, double y, double& f, double& fx, double& fy)
{
    f = std::sqrt(std::fabs(x)) + std::sqrt(std::fabs(y)) - 2;
    fx = std::copysign(0.5 / std::sqrt(std::fabs(x)), x);
    fy = std::copysign(0.5 / std::sqrt(std::fabs(y)), y);
}

/// |x| = (2 - sqrt|y|)^2: its two branches meet at the tips (0, +-4), where both are vertical.
int RootDiamondAtY(double y, double xs[2])
{
    if (std::fabs(y) > 4)
        return 0;
    const double d = 2 - std::sqrt(std::fabs(y));
    xs[0] = d * d;
    xs[1] = -d * d;
    return 2;
}

/// sin y = x - gint(x): the difference jumps by 1 at every whole x, where it has no zero.
void FractionSine(double x, double y, double& f, double& fx, double& fy)
{
    f = std::sin(y) - (x - std::floor(x));
    fx = -1;
    fy = std::cos(y);
}

/// y + sin y = sign x: a line at y + sin y = 1 right of the axis, at -1 left of it; the jump
/// across x = 0 is no zero.
void SignSteps(double x, double y, double& f, double& fx, double& fy)
{
    f = (x > 0 ? 1.0 : -1.0) - y - std::sin(y);
    fx = 0;
    fy = -1 - std::cos(y);
}

/// y + sin y = 1/x: the pole at x = 0, where the sign changes, is no zero.
void PoleSine(double x, double y, double& f, double& fx, double& fy)
{
    f = 1 / x - y - std::sin(y);
    fx = -1 / (x * x);
    fy = -1 - std::cos(y);
}

/// 1 / tan(3x + 1.2) = 0: the lines 3x + 1.2 = pi / 2 + k pi, each through a pole of tan, and
/// a pole of the difference halfway between two of them.
void ReciprocalTan(double x, double, double& f, double& fx, double& fy)
{
    const double s = std::sin(3 * x + 1.2);
    f = std::cos(3 * x + 1.2) / s;
    fx = -3 / (s * s);
    fy = 0.0;
}

/// x^(a+2) = y with a at 1: the cubic, on the side of negative x too, where the power of a
/// negative base is real because its exponent is one whole number wherever it is taken.
void ConstantPower(double x, double y, double& f, double& fx, double& fy)
{
    f = x * x * x - y;
    fx = 3 * x * x;
    fy = -1.0;
}

/// y^3 + y = gint(x): a step of the curve at each whole x, with nothing drawn up the jump.
void WholeSteps(double x, double y, double& f, double& fx, double& fy)
{
    f = std::floor(x) - y * y * y - y;
    fx = 0;
    fy = -3 * y * y - 1;
}

/// x mod 2 = cos y + 1: jumps by 2 at every even x.
void RemainderCosine(double x, double y, double& f, double& fx, double& fy)
{
    f = std::cos(y) + 1 - (x - 2 * std::floor(x / 2));
    fx = -1;
    fy = -std::sin(y);
}

/// (x - 0.3)^(1/5) = sin y, that is x = 0.3 + sin^5 y: a continuous crossing as steep as
/// |t|^(1/5) along x at every y = k pi.
void FifthRoot(double x, double y, double& f, double& fx, double& fy)
{
    const double t = x - 0.3;
    f = std::sin(y) - std::copysign(std::pow(std::fabs(t), 0.2), t);
    fx = -0.2 * std::pow(std::fabs(t), -0.8);
    fy = std::cos(y);
}

int FifthRootAtY(double y, double xs[2])
{
    xs[0] = 0.3 + std::pow(std::sin(y), 5);
    return 1;
}

/// x^y = y^x: a real power of a negative base only at whole exponents, on lines of no width.
void PowerSwap(double x, double y, double& f, double& fx, double& fy)
{
    f = std::pow(x, y) - std::pow(y, x);
    fx = y * std::pow(x, y - 1) - std::log(y) * std::pow(y, x);
    fy = std::log(x) * std::pow(x, y) - x * std::pow(y, x - 1);
}

/// sin(x) = sin(y): the lines y = x + 2k pi and y = (2k + 1) pi - x, crossing where both meet.
void SineSwap(double x, double y, double& f, double& fx, double& fy)
{
    f = std::sin(y) - std::sin(x);
    fx = -std::cos(x);
    fy = std::cos(y);
}

const ClosedForm kClosedForms[] = {
    {"tan-lines", TanLines},
    {"sine-pattern-10", SinePattern},
    {"sine-pattern-5", SinePattern},
    {"two-small-circles", TwoCircles},
    {"two-small-circles-10", TwoCircles},
    {"lemniscate", Lemniscate},
    {"folium", Folium},
    {"square-root-sum", SquareRootSum},
    {"far-circle", FarCircle},
    {"far-unit-circle", FarUnitCircle<6>},
    {"far-unit-circle-1e8", FarUnitCircle<8>},
    {"far-sines", Sines},
    {"far-sines-1e8", Sines},
    {"wide-sines", WideSines},
    {"cube-root-cusp", CubeRoots, CubeRootsAtY},
    {"root-diamond", RootDiamond, RootDiamondAtY},
    {"fraction-sine", FractionSine, nullptr, true},
    {"sign-steps", SignSteps, nullptr, true},
    {"pole-sine", PoleSine, nullptr, true},
    {"reciprocal-tan", ReciprocalTan, nullptr, true},
    {"whole-steps", WholeSteps, nullptr, true},
    {"remainder-cosine", RemainderCosine, nullptr, true},
    {"constant-power", ConstantPower},
    {"fifth-root", FifthRoot, FifthRootAtY},
    {"power-swap", PowerSwap},
    {"sine-swap", SineSwap},
    {"sine-swap-1e6", SineSwap},
};

/// Distance in pixels from (x, y) to the curve, to first order: |F| over the gradient measured
/// per pixel.
double PixelsFromCurve(const ClosedForm& form, const Plot& plot, double x, double y)
{
    double f = 0.0;
    double fx = 0.0;
    double fy = 0.0;
    form.at(x, y, f, fx, fy);
    if (f == 0.0)
        return 0.0;
    return std::fabs(f) / std::hypot(fx * plot.UnitsPerPixelX(), fy * plot.UnitsPerPixelY());
}

/// Segments of the drawn lines in pixel coordinates, sorted into square buckets for the
/// distance from a point to the nearest of them.
class SegmentIndex
{
public:
    SegmentIndex(const std::vector<Polyline>& lines, const Plot& plot) : m_plot(plot)
    {
        for (const Polyline& line : lines)
            for (std::size_t k = 0; k + 1 < line.size(); ++k)
                Add(Pixel(line[k]), Pixel(line[k + 1]));
        // A line of one point is a dot.
        for (const Polyline& line : lines)
            if (line.size() == 1)
                Add(Pixel(line[0]), Pixel(line[0]));
    }

    KTPoint Pixel(const KTPoint& p) const
    {
        return KTPoint((p.m_x - m_plot.xmin) / m_plot.UnitsPerPixelX(),
                       (p.m_y - m_plot.ymin) / m_plot.UnitsPerPixelY());
    }

    double Distance(const KTPoint& pixel) const
    {
        double best = 1e300;
        const int bx = Bucket(pixel.m_x);
        const int by = Bucket(pixel.m_y);
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const auto found = m_buckets.find(Key(bx + dx, by + dy));
                if (found == m_buckets.end())
                    continue;
                for (std::size_t s : found->second)
                    best = std::min(best, ToSegment(pixel, m_segments[s].first, m_segments[s].second));
            }
        return best;
    }

private:
    static constexpr double kBucket = 8.0;
    static int Bucket(double v) { return static_cast<int>(std::floor(v / kBucket)); }
    static long long Key(int x, int y) { return static_cast<long long>(x) * 100000 + y; }

    static double ToSegment(const KTPoint& p, const KTPoint& a, const KTPoint& b)
    {
        const double dx = b.m_x - a.m_x;
        const double dy = b.m_y - a.m_y;
        const double length2 = dx * dx + dy * dy;
        double t = length2 > 0 ? ((p.m_x - a.m_x) * dx + (p.m_y - a.m_y) * dy) / length2 : 0.0;
        t = std::clamp(t, 0.0, 1.0);
        return std::hypot(p.m_x - (a.m_x + t * dx), p.m_y - (a.m_y + t * dy));
    }

    void Add(const KTPoint& a, const KTPoint& b)
    {
        const std::size_t id = m_segments.size();
        m_segments.emplace_back(a, b);
        // Segments are short (a few pixels): every bucket their box touches holds them.
        for (int x = Bucket(std::min(a.m_x, b.m_x)); x <= Bucket(std::max(a.m_x, b.m_x)); ++x)
            for (int y = Bucket(std::min(a.m_y, b.m_y)); y <= Bucket(std::max(a.m_y, b.m_y)); ++y)
                m_buckets[Key(x, y)].push_back(id);
    }

    const Plot& m_plot;
    std::vector<std::pair<KTPoint, KTPoint>> m_segments;
    std::map<long long, std::vector<std::size_t>> m_buckets;
};

/// An independent search for the curve: the edges of a lattice of `step` pixels, shifted off
/// the plot's own, bisected wherever F changes sign continuously (a pole, where |F| grows as
/// the bracket narrows, is no root). Each root should lie within a pixel and a half of a drawn
/// line: a band of the other sign thinner than a pixel beside a saddle may close short of it by
/// that much.
struct RootCheck
{
    int roots = 0;
    int missed = 0;
    KTPoint firstMissed;
};

RootCheck CheckRoots(const ClosedForm& form, const Plot& plot, double step)
{
    const SegmentIndex index(AllLines(*plot.f), plot);
    const double ux = plot.UnitsPerPixelX();
    const double uy = plot.UnitsPerPixelY();
    const auto value = [&](double x, double y) {
        double f = 0.0;
        double fx = 0.0;
        double fy = 0.0;
        form.at(x, y, f, fx, fy);
        return f;
    };
    RootCheck result;
    const auto check = [&](double x0, double y0, double x1, double y1) {
        double fa = value(x0, y0);
        const double fb = value(x1, y1);
        if (!std::isfinite(fa) || !std::isfinite(fb) || (fa >= 0) == (fb >= 0))
            return;
        double ax = x0, ay = y0, bx = x1, by = y1;
        for (int k = 0; k < 60; ++k) {
            const double mx = (ax + bx) / 2;
            const double my = (ay + by) / 2;
            if ((mx == ax || mx == bx) && (my == ay || my == by))
                break; // as narrow as the doubles allow
            const double fm = value(mx, my);
            if ((fm >= 0) == (fa >= 0)) {
                ax = mx;
                ay = my;
                fa = fm;
            } else {
                bx = mx;
                by = my;
            }
        }
        // Beside a root the values on both sides fall as the bracket narrows (slowly, at a
        // cusp); beside a pole they grow, across a jump one of them stays (however small the
        // other, where the curve runs into the jump).
        if (!(std::max(std::fabs(fa), std::fabs(value(bx, by))) <=
              1e-3 * std::max(std::fabs(value(x0, y0)), std::fabs(fb))))
            return;
        ++result.roots;
        if (index.Distance(index.Pixel(KTPoint(ax, ay))) > 1.5 && result.missed++ == 0)
            result.firstMissed = KTPoint(ax, ay);
    };
    const double w = plot.width - 1;
    const double h = plot.height - 1;
    for (double py = 0.37; py <= h; py += step)
        for (double px = 0.61; px + step <= w; px += step)
            check(plot.xmin + px * ux, plot.ymin + py * uy, plot.xmin + (px + step) * ux,
                  plot.ymin + py * uy);
    for (double px = 0.61; px <= w; px += step)
        for (double py = 0.37; py + step <= h; py += step)
            check(plot.xmin + px * ux, plot.ymin + py * uy, plot.xmin + px * ux,
                  plot.ymin + (py + step) * uy);
    return result;
}

/// Every point of the curve at a quarter of a pixel's steps along y (by its closed form x(y))
/// within a pixel of a drawn line; the number of those that are not, and the first.
int CurveMissed(const ClosedForm& form, const Plot& plot, const std::vector<Polyline>& lines, KTPoint& first)
{
    int missed = 0;
    if (!form.xAtY)
        return 0;
    const SegmentIndex index(lines, plot);
    const double uy = plot.UnitsPerPixelY();
    for (double y = plot.ymin; y <= plot.ymax; y += 0.25 * uy) {
        double xs[2];
        const int n = form.xAtY(y, xs);
        for (int k = 0; k < n; ++k) {
            if (xs[k] < plot.xmin || xs[k] > plot.xmax)
                continue;
            if (index.Distance(index.Pixel(KTPoint(xs[k], y))) > 1.0 && missed++ == 0)
                first = KTPoint(xs[k], y);
        }
    }
    return missed;
}

/// The farthest a drawn point lies from the curve, in pixels. Where the curve is known as x(y),
/// the distance along x to it bounds the distance too: beside a crossing as steep as |t|^(1/5)
/// the first order overstates it many times.
double WorstDistance(const ClosedForm& form, const Plot& plot, const std::vector<Polyline>& lines)
{
    double worst = 0.0;
    for (const Polyline& line : lines)
        for (const KTPoint& p : line) {
            double distance = PixelsFromCurve(form, plot, p.m_x, p.m_y);
            double xs[2];
            const int n = form.xAtY ? form.xAtY(p.m_y, xs) : 0;
            for (int k = 0; k < n; ++k)
                distance = std::min(distance, std::fabs(p.m_x - xs[k]) / plot.UnitsPerPixelX());
            worst = std::max(worst, distance);
        }
    return worst;
}

/// The zero lines of tan(35.6x), x = k pi / 35.6, each drawn as one line from the bottom of the
/// view to its top, and no drawn point within a pixel of a pole ((k + 1/2) pi / 35.6).
void ExpectZeroLinesOfTan(const Plot& plot, const std::vector<Polyline>& lines, const std::string& what)
{
    const double period = std::numbers::pi / 35.6;
    const double ux = plot.UnitsPerPixelX();
    const double uy = plot.UnitsPerPixelY();
    const int first = static_cast<int>(std::ceil(plot.xmin / period));
    const int last = static_cast<int>(std::floor(plot.xmax / period));
    EXPECT_EQ(static_cast<int>(lines.size()), last - first + 1) << what;
    std::map<int, int> drawn;
    for (const Polyline& line : lines) {
        const int k = static_cast<int>(std::lround(line.front().m_x / period));
        ++drawn[k];
        double low = 1e300;
        double high = -1e300;
        for (const KTPoint& p : line) {
            EXPECT_LE(std::fabs(p.m_x - k * period), 0.5 * ux) << what << " line " << k;
            const double q = p.m_x / period - 0.5;
            EXPECT_GT(std::fabs(q - std::round(q)) * period, ux)
                << what << ": a point beside a pole at x = " << p.m_x;
            low = std::min(low, p.m_y);
            high = std::max(high, p.m_y);
        }
        EXPECT_NEAR(low, plot.ymin, 1e-9 * (plot.ymax - plot.ymin) + 1e-3 * uy) << what << " line " << k;
        EXPECT_NEAR(high, plot.ymax, 1e-9 * (plot.ymax - plot.ymin) + 1e-3 * uy) << what << " line " << k;
    }
    for (int k = first; k <= last; ++k)
        EXPECT_EQ(drawn[k], 1) << what << " line " << k;
}

/// The circles of radius 0.1 and 0.2 about the origin, each a closed line within half a pixel of
/// its radius wherever it lies in the view and is two pixels across.
void ExpectSmallCirclesClosed(const Plot& plot, const std::vector<Polyline>& lines, const std::string& what)
{
    const double pixel = std::max(plot.UnitsPerPixelX(), plot.UnitsPerPixelY());
    for (const double r : {0.1, 0.2}) {
        if (2 * r < 2 * pixel || -r < plot.xmin || r > plot.xmax || -r < plot.ymin || r > plot.ymax)
            continue;
        int closed = 0;
        for (const Polyline& line : lines) {
            if (line.size() < 4 || !(line.front() == line.back()))
                continue;
            bool on = true;
            for (const KTPoint& p : line)
                on = on && std::fabs(std::hypot(p.m_x, p.m_y) - r) <= 0.5 * pixel;
            closed += on ? 1 : 0;
        }
        EXPECT_EQ(closed, 1) << what << ": the circle of radius " << r;
    }
}

/// The plot drawn in a window of its size, as the view draws it.
QImage WindowPicture(Plot& plot)
{
    QImage image(plot.width, plot.height, QImage::Format_RGB32);
    image.fill(Qt::white);
    KTDC dc(&image);
    dc.SelectObject(KTPen(PS_SOLID, 0, RGB(160, 160, 160)));
    dc.MoveTo(plot.axes.GraphToDevice(plot.xmin, 0, 0, 0));
    dc.LineTo(plot.axes.GraphToDevice(plot.xmax, 0, 0, 0));
    dc.MoveTo(plot.axes.GraphToDevice(0, plot.ymin, 0, 0));
    dc.LineTo(plot.axes.GraphToDevice(0, plot.ymax, 0, 0));
    plot.f->Draw(dc);
    return image;
}

} // namespace

TEST(ImplicitPlots, RelationsAreInterpretedAsTheCasesSay)
{
    for (const kttest::ImplicitCase& c : kttest::kImplicitCases) {
        Plot plot(c);
        EXPECT_TRUE(plot.f->IsDrawable()) << c.name;
        if (c.implicit) {
            EXPECT_EQ(plot.f->Status(), KTStatusImplicit) << c.name;
        } else {
            EXPECT_EQ(plot.f->Status(), KTStatusExplicit) << c.name;
            EXPECT_EQ(plot.f->m_twoBranches, 1) << c.name;
        }
    }
}

TEST(ImplicitPlots, EveryDrawnPointLiesWithinHalfAPixelOfTheCurve)
{
    for (const ClosedForm& form : kClosedForms) {
        Plot plot(Case(form.name));
        const std::vector<Polyline> lines = AllLines(*plot.f);
        ASSERT_FALSE(lines.empty()) << form.name;
        double worst = 0.0;
        std::size_t points = 0;
        for (const Polyline& line : lines)
            for (const KTPoint& p : line) {
                worst = std::max(worst, PixelsFromCurve(form, plot, p.m_x, p.m_y));
                ++points;
            }
        EXPECT_LE(worst, 0.5) << form.name << " over " << points << " points";
    }
}

TEST(ImplicitPlots, EveryRootOfAFinerSearchLiesOnADrawnLine)
{
    for (const ClosedForm& form : kClosedForms) {
        Plot plot(Case(form.name));
        const RootCheck check = CheckRoots(form, plot, 3.0);
        EXPECT_GT(check.roots, 0) << form.name;
        EXPECT_EQ(check.missed, 0) << form.name << ": " << check.missed << " of " << check.roots
                                   << " roots, first at (" << check.firstMissed.m_x << ", "
                                   << check.firstMissed.m_y << ")";
    }
}

TEST(ImplicitPlots, AllLinesOfTan356xAndNoneOnItsPoles)
{
    // tan(35.6x) = 0 on -5..5: x = k pi / 35.6 for |k| <= 56, each a line from the bottom edge
    // to the top; the poles x = (k + 1/2) pi / 35.6 lie between them.
    Plot plot(Case("tan-lines"));
    const std::vector<Polyline> lines = AllLines(*plot.f);
    const double ux = plot.UnitsPerPixelX();
    const double period = std::numbers::pi / 35.6;
    EXPECT_EQ(lines.size(), 113u);
    std::map<int, std::pair<double, double>> spans; // k -> lowest and highest y on line k
    for (const Polyline& line : lines) {
        for (const KTPoint& p : line) {
            const double k = p.m_x / period;
            const int nearest = static_cast<int>(std::lround(k));
            // Every point on a zero line, none within two pixels of a pole.
            EXPECT_LE(std::fabs(p.m_x - nearest * period), 0.5 * ux) << p.m_x;
            EXPECT_GT(std::fabs(p.m_x - (std::floor(k) + 0.5) * period), 2 * ux) << p.m_x;
            auto [at, fresh] = spans.try_emplace(nearest, p.m_y, p.m_y);
            at->second.first = std::min(at->second.first, p.m_y);
            at->second.second = std::max(at->second.second, p.m_y);
        }
    }
    ASSERT_EQ(spans.size(), 113u);
    for (int k = -56; k <= 56; ++k) {
        const auto at = spans.find(k);
        ASSERT_NE(at, spans.end()) << k;
        EXPECT_DOUBLE_EQ(at->second.first, -5.0) << k;
        EXPECT_DOUBLE_EQ(at->second.second, 5.0) << k;
    }
}

// Relations whose lines take more points than a window's budget (an eighth of its pixels) are
// simplified alike over the whole view: each is symmetric about the origin or the x axis, so
// the halves above and below the x axis keep as many points, and both reach the view's edge.
TEST(ImplicitPlots, LinesOverThePointBudgetAreSimplifiedAlikeOverTheWholeView)
{
    struct Row
    {
        const char* text;
        double range;
    };
    for (const Row& row : {Row{"tan(xy)=1", 50}, Row{"sin(x)+cos(y)=0.5", 1000}}) {
        Plot plot(row.text, -row.range, row.range, -row.range, row.range, 2560, 1600);
        const long long budget = 2559LL * 1599 / 8;
        std::size_t above = 0, below = 0;
        double top = -row.range, bottom = row.range;
        for (const Polyline& line : AllLines(*plot.f))
            for (const KTPoint& p : line) {
                (p.m_y > 0 ? above : below) += 1;
                top = std::max(top, p.m_y);
                bottom = std::min(bottom, p.m_y);
            }
        EXPECT_LE(static_cast<long long>(above + below), budget) << row.text;
        EXPECT_GT(static_cast<long long>(above + below), budget / 2) << row.text;
        EXPECT_NEAR(static_cast<double>(above) / static_cast<double>(below), 1.0, 0.05) << row.text;
        EXPECT_GT(top, 0.95 * row.range) << row.text;
        EXPECT_LT(bottom, -0.95 * row.range) << row.text;
        // Drawn, their points go to device units on the threads: the lines are those of the
        // points mapped one by one.
        const auto drawn = [&plot](int threadedPoints) {
            KTCurvePainter::SetThreadedPoints(threadedPoints);
            QImage image(plot.width, plot.height, QImage::Format_RGB32);
            KTDC dc(&image);
            kttest::PreparePage(image, dc, plot.axes);
            dc.SetRecording(true);
            plot.f->Draw(dc);
            KTCurvePainter::SetThreadedPoints(1 << 16);
            std::vector<std::vector<CPoint>> lines;
            for (const KTDCRecord& record : dc.GetRecords())
                lines.push_back(record.points);
            return lines;
        };
        const std::vector<std::vector<CPoint>> threaded = drawn(1);
        EXPECT_GT(threaded.size(), 1000u) << row.text;
        EXPECT_TRUE(threaded == drawn(INT_MAX)) << row.text;
    }
}

TEST(ImplicitPlots, SmallConcentricCirclesAreBothClosed)
{
    // (x^2 + y^2 - 0.01)(x^2 + y^2 - 0.04) = 0: circles of radius 0.1 and 0.2, 16 and 32
    // pixels across on -5..5, 8 and 16 on -10..10.
    for (const char* name : {"two-small-circles", "two-small-circles-10"}) {
        Plot plot(Case(name));
        const std::vector<Polyline> lines = AllLines(*plot.f);
        ASSERT_EQ(lines.size(), 2u) << name;
        const double pixel = std::max(plot.UnitsPerPixelX(), plot.UnitsPerPixelY());
        std::vector<double> radii;
        for (const Polyline& line : lines) {
            ASSERT_GE(line.size(), 5u) << name;
            EXPECT_EQ(line.front(), line.back()) << name;
            const double radius = std::hypot(line.front().m_x, line.front().m_y);
            double xLow = 1e9, xHigh = -1e9, yLow = 1e9, yHigh = -1e9;
            for (const KTPoint& p : line) {
                EXPECT_NEAR(std::hypot(p.m_x, p.m_y), radius, 0.5 * pixel) << name;
                xLow = std::min(xLow, p.m_x);
                xHigh = std::max(xHigh, p.m_x);
                yLow = std::min(yLow, p.m_y);
                yHigh = std::max(yHigh, p.m_y);
            }
            // The extents of a circle: its radius each way, within a pixel.
            EXPECT_NEAR(xLow, -radius, pixel) << name;
            EXPECT_NEAR(xHigh, radius, pixel) << name;
            EXPECT_NEAR(yLow, -radius, pixel) << name;
            EXPECT_NEAR(yHigh, radius, pixel) << name;
            radii.push_back(radius);
        }
        std::sort(radii.begin(), radii.end());
        EXPECT_NEAR(radii[0], 0.1, 0.5 * pixel) << name;
        EXPECT_NEAR(radii[1], 0.2, 0.5 * pixel) << name;
    }
}

TEST(ImplicitPlots, TheHalvesOfACircleMeetAtTheirEnds)
{
    // A circle rearranged into y = cy +- sqrt(r^2 - (x - cx)^2): each half is drawn from
    // cx - r to cx + r, and the halves meet there on the horizontal diameter.
    struct Row
    {
        const char* name;
        double cx, cy, r;
    };
    const Row rows[] = {
        {"tiny-circle-5", 0, 0, 0.01},
        {"tiny-circle-10", 0, 0, 0.01},
        {"offset-circle-5", 0.03, 0.03, 0.01},
        {"offset-circle-10", 0.03, 0.03, 0.01},
        {"circle-25", 0, 0, 5},
    };
    for (const Row& row : rows) {
        Plot plot(Case(row.name));
        const double uy = plot.UnitsPerPixelY();
        const std::vector<Polyline> upper = Lines(*plot.f->m_buffer1);
        const std::vector<Polyline> lower = Lines(*plot.f->m_buffer2);
        ASSERT_EQ(upper.size(), 1u) << row.name;
        ASSERT_EQ(lower.size(), 1u) << row.name;
        for (const Polyline* half : {&upper[0], &lower[0]}) {
            ASSERT_GE(half->size(), 3u) << row.name;
            EXPECT_NEAR(half->front().m_x, row.cx - row.r, 1e-12) << row.name;
            EXPECT_NEAR(half->back().m_x, row.cx + row.r, 1e-12) << row.name;
            EXPECT_NEAR(half->front().m_y, row.cy, 0.01 * uy) << row.name;
            EXPECT_NEAR(half->back().m_y, row.cy, 0.01 * uy) << row.name;
        }
        EXPECT_EQ(upper[0].front().m_x, lower[0].front().m_x) << row.name;
        EXPECT_EQ(upper[0].back().m_x, lower[0].back().m_x) << row.name;
        // The top of the circle is sampled within a pixel of its height.
        double top = -1e9;
        for (const KTPoint& p : upper[0])
            top = std::max(top, p.m_y);
        EXPECT_NEAR(top, row.cy + row.r, 1.0 * uy) << row.name;
    }
}

TEST(ImplicitPlots, FormerlyGoodCurvesKeepTheirShape)
{
    const double tolerance = 0.5 * 10.0 / kHeight; // half a pixel on -5..5
    {
        // The lemniscate (x^2 + y^2)^2 = 4(x^2 - y^2) reaches x = +-2 and y = +-1/sqrt(2).
        Plot plot(Case("lemniscate"));
        double xHigh = -1e9, xLow = 1e9, yHigh = -1e9, yLow = 1e9;
        for (const Polyline& line : AllLines(*plot.f))
            for (const KTPoint& p : line) {
                xHigh = std::max(xHigh, p.m_x);
                xLow = std::min(xLow, p.m_x);
                yHigh = std::max(yHigh, p.m_y);
                yLow = std::min(yLow, p.m_y);
            }
        EXPECT_NEAR(xHigh, 2.0, tolerance);
        EXPECT_NEAR(xLow, -2.0, tolerance);
        EXPECT_NEAR(yHigh, std::sqrt(0.5), tolerance);
        EXPECT_NEAR(yLow, -std::sqrt(0.5), tolerance);
    }
    {
        // The folium x^3 + y^3 = 3xy: its loop reaches (3/2, 3/2); its two arms run to the
        // left and bottom edges of the view along x + y + 1 = 0.
        Plot plot(Case("folium"));
        double farthest = -1e9;
        bool left = false;
        bool bottom = false;
        for (const Polyline& line : AllLines(*plot.f))
            for (const KTPoint& p : line) {
                farthest = std::max(farthest, p.m_x + p.m_y);
                left = left || p.m_x == -5.0;
                bottom = bottom || p.m_y == -5.0;
            }
        EXPECT_NEAR(farthest, 3.0, 2 * tolerance);
        EXPECT_TRUE(left);
        EXPECT_TRUE(bottom);
    }
    {
        // y^2 = x^3: the halves y = +-x^(3/2) meet at the cusp (0, 0).
        Plot plot(Case("cusp"));
        const std::vector<Polyline> upper = Lines(*plot.f->m_buffer1);
        const std::vector<Polyline> lower = Lines(*plot.f->m_buffer2);
        ASSERT_EQ(upper.size(), 1u);
        ASSERT_EQ(lower.size(), 1u);
        EXPECT_NEAR(upper[0].front().m_x, 0.0, 1e-12);
        EXPECT_NEAR(lower[0].front().m_x, 0.0, 1e-12);
        EXPECT_NEAR(upper[0].front().m_y, 0.0, 1e-12);
        EXPECT_NEAR(lower[0].front().m_y, 0.0, 1e-12);
        for (const Polyline* half : {&upper[0], &lower[0]})
            for (const KTPoint& p : *half)
                EXPECT_NEAR(std::fabs(p.m_y), std::pow(p.m_x, 1.5), 1e-9);
    }
    {
        // x^2 = y^2: the lines y = |x| and y = -|x| across the whole view.
        Plot plot(Case("crossing-lines"));
        const std::vector<Polyline> upper = Lines(*plot.f->m_buffer1);
        const std::vector<Polyline> lower = Lines(*plot.f->m_buffer2);
        ASSERT_EQ(upper.size(), 1u);
        ASSERT_EQ(lower.size(), 1u);
        for (const Polyline* half : {&upper[0], &lower[0]}) {
            EXPECT_DOUBLE_EQ(half->front().m_x, -5.0);
            EXPECT_DOUBLE_EQ(half->back().m_x, 5.0);
            for (const KTPoint& p : *half)
                EXPECT_DOUBLE_EQ(std::fabs(p.m_y), std::fabs(p.m_x));
        }
    }
}

TEST(ImplicitPlots, ACurveRunsOnToTheEndOfItsDomain)
{
    // sqrt(x) + sqrt(y) = 1 has no value left of the y axis or below the x axis; it touches
    // them at (0, 1) and (1, 0), where it runs along them closer than a pixel.
    Plot plot(Case("square-root-sum"));
    const std::vector<Polyline> lines = AllLines(*plot.f);
    ASSERT_EQ(lines.size(), 1u);
    double xHigh = -1e9;
    double yHigh = -1e9;
    for (const KTPoint& p : lines[0]) {
        EXPECT_GE(p.m_x, 0.0);
        EXPECT_GE(p.m_y, 0.0);
        xHigh = std::max(xHigh, p.m_x);
        yHigh = std::max(yHigh, p.m_y);
    }
    EXPECT_NEAR(xHigh, 1.0, plot.UnitsPerPixelX());
    EXPECT_NEAR(yHigh, 1.0, plot.UnitsPerPixelY());
}

namespace {

/// A row of the sweep below.
struct SweepRow
{
    const char* name;  ///< the case and its closed form
    const char* views; ///< the views drawn: c(entred), o(ff-centre), i(n), x (zoomed out)
    bool picture;      ///< pictures written of it
};

/// One plot of the sweep: its checks, and its picture where asked.
void CheckSweptPlot(const SweepRow& row, const kttest::ImplicitCase& c, Plot& plot, const std::string& what)
{
    const std::vector<Polyline> lines = AllLines(*plot.f);
    if (c.identity) {
        // The sides are equal everywhere: nothing to draw, and the function says so.
        EXPECT_TRUE(lines.empty()) << what;
        EXPECT_TRUE(plot.f->HoldsEverywhereInView()) << what;
        EXPECT_EQ(KTFunction3::InterpretationMessage(c.text, &plot.axes), "The two sides are equal everywhere in view")
            << what;
        return;
    }
    EXPECT_FALSE(plot.f->HoldsEverywhereInView()) << what;
    const ClosedForm* form = nullptr;
    for (const ClosedForm& f : kClosedForms)
        if (std::strcmp(f.name, row.name) == 0)
            form = &f;
    ASSERT_NE(form, nullptr) << row.name;
    ASSERT_FALSE(lines.empty()) << what;
    EXPECT_LE(WorstDistance(*form, plot, lines), 0.5) << what;
    if (form->jumps) {
        std::vector<Polyline> middles;
        for (const Polyline& line : lines)
            for (std::size_t k = 0; k + 1 < line.size(); ++k)
                middles.push_back({KTPoint((line[k].m_x + line[k + 1].m_x) / 2, (line[k].m_y + line[k + 1].m_y) / 2)});
        EXPECT_LE(WorstDistance(*form, plot, middles), 0.5) << what << ": a segment across a jump";
    }
    const RootCheck roots = CheckRoots(*form, plot, std::max(3.0, plot.width / 500.0));
    EXPECT_EQ(roots.missed, 0) << what << ": " << roots.missed << " of " << roots.roots
                               << " roots, first at (" << roots.firstMissed.m_x << ", "
                               << roots.firstMissed.m_y << ")";
    KTPoint first;
    const int missed = CurveMissed(*form, plot, lines, first);
    EXPECT_EQ(missed, 0) << what << ": " << missed << " points of the curve not drawn, first at ("
                         << first.m_x << ", " << first.m_y << ")";
    if (std::strcmp(row.name, "tan-lines") == 0)
        ExpectZeroLinesOfTan(plot, lines, what);
    if (std::strcmp(row.name, "two-small-circles") == 0)
        ExpectSmallCirclesClosed(plot, lines, what);
}

/// Every row in each of its views in every window size; the number of plots made.
int Sweep(const std::vector<SweepRow>& rows)
{
    const QString folder = QCoreApplication::applicationDirPath() + "/implicit-sweep";
    EXPECT_TRUE(QDir().mkpath(folder));
    int plots = 0;
    for (const SweepRow& row : rows) {
        const kttest::ImplicitCase& c = Case(row.name);
        for (const kttest::View& view : kttest::kViews) {
            if (!std::strchr(row.views, view.name[0] == 'z' ? (view.zoom < 1 ? 'i' : 'x') : view.name[0]))
                continue;
            const double half = c.range * view.zoom;
            const double halfY = (c.YHigh() - c.YLow()) / 2 * view.zoom;
            const double cx = c.cx + view.shiftX * c.range;
            const double cy = c.cy + view.shiftY * (c.YHigh() - c.YLow()) / 2;
            for (const kttest::WindowSize& size : kttest::kWindowSizes) {
                Plot plot(c.text, cx - half, cx + half, cy - halfY, cy + halfY, size.width, size.height);
                const std::string what = std::string(row.name) + " " + view.name + " at " +
                                         std::to_string(size.width) + "x" + std::to_string(size.height);
                CheckSweptPlot(row, c, plot, what);
                if (row.picture && (size.width == 400 || size.width == 836 || size.width == 2560)) {
                    const QString file = folder + "/" + row.name + "-" + view.name + "-" +
                                         QString::number(size.width) + "x" + QString::number(size.height) +
                                         ".png";
                    EXPECT_TRUE(WindowPicture(plot).save(file));
                }
                ++plots;
            }
        }
    }
    return plots;
}

} // namespace

// Every relation with a closed form, in every window size from 400 x 300 to 2560 x 1600 and in
// views centred, off-centre, zoomed in and out by ten: every drawn point within half a pixel of
// the curve, every root of an independent finer search on a drawn line, where the curve is
// steep beyond a lattice search every point of it within a pixel of a drawn line, and where the
// curves are known one by one, every one of them drawn as one line: the zero lines of
// tan(35.6x) from the bottom of the view to its top and none near a pole, the small circles
// closed wherever they are two pixels across. Pictures of the hard cases go under the build
// folder ("implicit-sweep"), for a person to look at. The sweep runs in parts, which the test
// runner takes side by side.
TEST(ImplicitPlots, EveryCurveInEveryWindowSizeAndView)
{
    // Zoomed out, the zero lines of tan(35.6x) lie a third of a pixel apart and the sine
    // pattern's rings closer still: no picture can show them.
    const std::vector<SweepRow> rows = {
        {"tan-lines", "coi", true},   {"sine-pattern-10", "coi", true}, {"two-small-circles", "coix", true},
        {"lemniscate", "coix", true}, {"folium", "cox", false},         {"square-root-sum", "co", false},
    };
    EXPECT_EQ(Sweep(rows), 9 * (3 + 3 + 4 + 4 + 3 + 2));
}

// Far from the origin the relations are traced over the whole view as near it.
TEST(ImplicitPlots, EveryCurveInEveryWindowSizeAndViewFarOut)
{
    const std::vector<SweepRow> rows = {
        {"far-circle", "co", true},  {"far-unit-circle", "cox", false}, {"far-unit-circle-1e8", "cox", true},
        {"far-sines", "cox", false}, {"far-sines-1e8", "cox", true},    {"wide-sines", "co", false},
    };
    EXPECT_EQ(Sweep(rows), 9 * (2 + 3 + 3 + 3 + 3 + 2));
}

// Cusps and vertical tangents are reached, jumps are not crossed, and powers of negative bases
// (real on lines of no width) draw nothing, unless the exponent is one number however it is
// computed.
TEST(ImplicitPlots, EveryCurveInEveryWindowSizeAndViewSteep)
{
    const std::vector<SweepRow> rows = {
        {"cube-root-cusp", "cox", true},
        {"root-diamond", "cox", true},
        {"fraction-sine", "coix", true},
        {"power-swap", "coi", true},
        {"sign-steps", "coi", false},
        {"pole-sine", "co", false},
        {"reciprocal-tan", "coi", false},
        {"whole-steps", "coix", true},
        {"remainder-cosine", "coi", false},
        {"fifth-root", "coi", true},
        {"constant-power", "coi", false},
    };
    EXPECT_EQ(Sweep(rows), 9 * (3 + 3 + 4 + 3 + 3 + 2 + 3 + 4 + 3 + 3 + 3));
}

// Sides equal everywhere, near the origin and far from it, draw nothing and say so; relations
// whose sides only look alike draw their lines.
TEST(ImplicitPlots, EveryCurveInEveryWindowSizeAndViewIdentities)
{
    const std::vector<SweepRow> rows = {
        {"sine-identity", "coix", true},      {"square-identity", "coix", false},
        {"sine-identity-1e5", "cox", false},  {"square-identity-1e6", "cox", false},
        {"square-identity-1e8", "cox", true}, {"sine-swap", "coi", true},
        {"sine-swap-1e6", "co", false},
    };
    EXPECT_EQ(Sweep(rows), 9 * (4 + 4 + 3 + 3 + 3 + 3 + 2));
}

TEST(ImplicitPlots, PicturesUnderTheBuildFolder)
{
    const QString folder = QCoreApplication::applicationDirPath() + "/implicit-curves";
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const kttest::ImplicitCase& c : kttest::kImplicitCases) {
        if (!c.established && c.implicit && std::strncmp(c.name, "far-", 4) != 0 &&
            std::strncmp(c.name, "wide-s", 6) != 0)
            continue;
        Plot plot(c);
        QImage image(1600, 1200, QImage::Format_RGB32);
        QImage blank(1600, 1200, QImage::Format_RGB32);
        {
            KTDC dc(&blank);
            kttest::PreparePage(blank, dc, plot.axes);
        }
        {
            KTDC dc(&image);
            kttest::PreparePage(image, dc, plot.axes);
            plot.f->Draw(dc);
        }
        EXPECT_GT(kttest::InkBetween(image, blank), 0) << c.name;
        EXPECT_TRUE(image.save(folder + "/" + c.name + ".png")) << c.name;
    }
}

namespace {

/// A family drawn as the graph draws one, on a page of the given size: its picture and what it
/// asked the device context to draw.
struct FamilyDrawing
{
    QImage image;
    std::vector<KTDCRecord> records;
    int tracedAhead = 0;
};

FamilyDrawing DrawFamily(const char* text, double range, double from, double to, double step, int width,
                         int height, bool ahead)
{
    KTAxes axes;
    kttest::SetPageAxes(axes, -range, range, -range, range, 1, width, height);
    KTFunction3 f(&axes);
    f.Data().m_options.SetDefaults(0);
    f.Data().m_equationText = text;
    f.Data().m_constants.m_range[0] = KTFunctionConstantRange(from, to, step, from);
    f.Interpret();
    FamilyDrawing out;
    out.image = QImage(width, height, QImage::Format_RGB32);
    KTFunction3::SetFamilyTracedAhead(ahead);
    {
        KTDC dc(&out.image);
        kttest::PreparePage(out.image, dc, axes);
        dc.SetRecording(true);
        f.DrawFamily(dc);
        out.records = dc.GetRecords();
    }
    KTFunction3::SetFamilyTracedAhead(true);
    out.tracedAhead = f.MembersTracedAhead();
    return out;
}

} // namespace

// The members of an implicit family are traced side by side on the processor's threads and
// still drawn one after the other: the picture and every point drawn are those of the members
// traced one by one on one thread, whether a member's own trace would have used threads (many
// curves), crosses poles or jumps, or has members with nothing to draw.
TEST(ImplicitPlots, AFamilyTracedSideBySideDrawsWhatItsMembersDrawOneByOne)
{
    const struct
    {
        const char* text;
        double range, from, to, step;
        int width, height;
        bool identity = false; ///< every member's sides are equal: nothing is drawn
        bool dense = false;    ///< its first member crosses much of the lattice: none traced ahead
    } rows[] = {
        {"x^y=ay^x", 10, 1, 20, 1, 1600, 1200},
        {"x^y=ay^x", 10, 1, 20, 1, 2560, 1600},
        {"(x^2+y^2)^2=a(x^2-y^2)", 5, 1, 20, 1, 800, 600},
        {"sin(x)+sin(y)=a/10", 50, -12, 12, 1, 1600, 1200},
        {"tan(xy)=a", 5, -3, 3, 0.5, 1024, 768},
        {"sin(y)=x-gint(x)+a/4", 5, 0, 3, 1, 836, 565},
        {"(x+a)^2=x^2+2ax+a^2", 10, 1, 20, 1, 1600, 1200, true},
        {"tan(xy)=a", 50, 1, 4, 1, 1024, 768, false, true},
    };
    for (const auto& row : rows) {
        const std::string what = std::string(row.text) + " at " + std::to_string(row.width);
        const FamilyDrawing one = DrawFamily(row.text, row.range, row.from, row.to, row.step, row.width,
                                             row.height, false);
        const FamilyDrawing side = DrawFamily(row.text, row.range, row.from, row.to, row.step, row.width,
                                              row.height, true);
        const int members = static_cast<int>(std::lround((row.to - row.from) / row.step)) + 1;
        EXPECT_EQ(one.tracedAhead, 0) << what;
        if (KTImplicitThreads::Count() > 1) {
            // The first member is traced as any relation, the others side by side.
            EXPECT_EQ(side.tracedAhead, row.dense ? 0 : members - 1) << what;
        }
        int polylines = 0;
        for (const KTDCRecord& r : one.records)
            polylines += r.kind == KTDCRecordKind::Polyline ? 1 : 0;
        if (row.identity) {
            EXPECT_EQ(polylines, 0) << what;
        } else {
            EXPECT_GE(polylines, members / 2) << what;
        }
        ASSERT_EQ(side.records.size(), one.records.size()) << what;
        for (std::size_t k = 0; k < one.records.size(); ++k) {
            EXPECT_EQ(side.records[k].kind, one.records[k].kind) << what << " record " << k;
            EXPECT_EQ(side.records[k].points, one.records[k].points) << what << " record " << k;
        }
        EXPECT_EQ(kttest::InkBetween(side.image, one.image), 0) << what;
    }
}
