// Typed forms painted as the view paints them: the curves lie where their closed forms put
// them. Chained divisions, and products equal to zero with both their lines. The pictures are
// written under the build folder for a person to look at.

#include "KTReferenceGraphs.h"

#include <QDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

/// The image a graph is painted into and the view it shows.
struct Window
{
    int width = 1200;
    int height = 1200;
    int dpi = 300;
    double xmin = -10.0;
    double xmax = 10.0;
    double ymin = -10.0;
    double ymax = 10.0;
    bool firstDerivative = false;
};

/// A graph painted into an image, with its mapping and what the painter drew kept.
class Picture
{
public:
    /// On -range..range on both axes into a 1200 x 1200 image.
    explicit Picture(std::initializer_list<std::pair<const char*, COLORREF>> functions, double range = 10.0)
        : Picture(functions, Window{1200, 1200, 300, -range, range, -range, range})
    {
    }

    Picture(std::initializer_list<std::pair<const char*, COLORREF>> functions, const Window& window)
        : m_image(window.width, window.height, QImage::Format_RGB32), m_dc(&m_image)
    {
        int slot = 0;
        for (const auto& [text, colour] : functions) {
            KTFunctionData3& data = m_graph.Data().Function(slot++).Data();
            data.m_equationText = text;
            data.m_options.m_pen.m_value.m_color = colour;
            data.m_showFirstDerivative = window.firstDerivative ? 1 : 0;
        }
        m_graph.Data().m_options.m_axes.m_angleSystem.m_value = 1;
        m_image.fill(Qt::white);
        m_dc.SetResolution(window.dpi, window.dpi);
        m_dc.SetMapMode(MM_HIMETRIC);
        m_dc.SetRecording(true);
        m_graph.SetDirty();
        m_graph.ComputeDataExtents();
        m_graph.SetArea(0, 0, m_image.width() * HIMETRIC_INCH / window.dpi,
                        -m_image.height() * HIMETRIC_INCH / window.dpi);
        // The ranges typed as Axes Properties stores them, so that the layout places the ticks
        // and their labels for them; then held exactly, where the layout widened one of them.
        KTOptionAxes2& axes = m_graph.Data().m_options.m_axes;
        const auto text = [](double v) { return CString(QByteArray::number(v, 'g', 17).constData()); };
        for (KTOptionBool* automatic : {&axes.m_autoMinx, &axes.m_autoMaxx, &axes.m_autoMiny, &axes.m_autoMaxy})
            automatic->m_value = 0;
        axes.m_xMinShowS.SetValue(text(window.xmin));
        axes.m_xMaxShowS.SetValue(text(window.xmax));
        axes.m_yMinShowS.SetValue(text(window.ymin));
        axes.m_yMaxShowS.SetValue(text(window.ymax));
        m_graph.Layout(m_dc);
        m_graph.Axes().m_xAxis.m_min = window.xmin;
        m_graph.Axes().m_xAxis.m_max = window.xmax;
        m_graph.Axes().m_yAxis.m_min = window.ymin;
        m_graph.Axes().m_yAxis.m_max = window.ymax;
        m_graph.Recalculate(nullptr);
        m_graph.Draw(m_dc, nullptr);
    }

    const std::vector<KTDCRecord>& Records() const { return m_dc.GetRecords(); }
    CPoint Device(double x, double y) { return m_graph.Axes().GraphToDevice(KTPoint(x, y), 0, 0); }
    KTPoint Graph(const CPoint& p) { return m_graph.Axes().DeviceToGraph(p, 0, 0); }
    /// Logical units of one pixel.
    double Pixel() const { return static_cast<double>(HIMETRIC_INCH) / m_dc.GetDeviceCaps(LOGPIXELSX); }

    /// Is there a pixel of (nearly) the colour within two pixels of the graph point?
    bool InkNear(double x, double y, COLORREF colour)
    {
        CPoint p = m_graph.Axes().GraphToDevice(KTPoint(x, y), 0, 0);
        m_dc.LPtoDP(&p);
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx) {
                const QPoint at(p.x + dx, p.y + dy);
                if (!m_image.rect().contains(at))
                    continue;
                const QRgb pixel = m_image.pixel(at);
                if (std::abs(qRed(pixel) - GetRValue(colour)) < 60 &&
                    std::abs(qGreen(pixel) - GetGValue(colour)) < 60 &&
                    std::abs(qBlue(pixel) - GetBValue(colour)) < 60)
                    return true;
            }
        return false;
    }

    void Save(const char* name)
    {
        QDir().mkpath(QStringLiteral(KT_GRAPH_PICTURE_DIR));
        m_image.save(QStringLiteral(KT_GRAPH_PICTURE_DIR "/") + QString::fromLatin1(name));
    }

    KTFunction3& Function(int slot) { return m_graph.Data().Function(slot); }

private:
    QImage m_image;
    KTDC m_dc;
    KTGraph3 m_graph;
};

TEST(KTTypedFormsPicture, ProductsEqualToZeroShowBothLines)
{
    Picture picture({{"x*y=0", kRed}, {"(x-2)(y-3)=0", kBlue}});
    picture.Save("forms-products.png");
    for (double t = -9.25; t < 9.5; t += 0.5) {
        if (std::abs(t) > 0.75) { // the crossing itself may be drawn either way
            EXPECT_TRUE(picture.InkNear(0, t, kRed)) << "x*y=0 at (0, " << t << ")";
            EXPECT_TRUE(picture.InkNear(t, 0, kRed)) << "x*y=0 at (" << t << ", 0)";
        }
        if (std::abs(t - 3) > 0.75) {
            EXPECT_TRUE(picture.InkNear(2, t, kBlue)) << "(x-2)(y-3)=0 at (2, " << t << ")";
        }
        if (std::abs(t - 2) > 0.75) {
            EXPECT_TRUE(picture.InkNear(t, 3, kBlue)) << "(x-2)(y-3)=0 at (" << t << ", 3)";
        }
    }
    EXPECT_FALSE(picture.InkNear(5, 5, kRed));
    EXPECT_FALSE(picture.InkNear(5, 5, kBlue));
}

TEST(KTTypedFormsPicture, ChainedDivisionsPlotTheirQuotient)
{
    Picture picture({{"y=x/2/2", kRed}, {"y=6/x/3", kBlue}});
    picture.Save("forms-divisions.png");
    for (double x : {-9.0, -6.0, -2.0, 3.0, 7.0, 9.0}) {
        EXPECT_TRUE(picture.InkNear(x, x / 4, kRed)) << "y=x/2/2 at " << x;
        EXPECT_TRUE(picture.InkNear(x, 2 / x, kBlue)) << "y=6/x/3 at " << x;
    }
    // Grouped from the right they would be y = x and y = 18/x.
    for (double x : {-8.0, 5.0, 8.0}) {
        EXPECT_FALSE(picture.InkNear(x, x, kRed)) << x;
        EXPECT_FALSE(picture.InkNear(x, 18 / x, kBlue)) << x;
    }
}

TEST(KTTypedFormsPicture, ADomainOnYKeepsTheCurveWhereYHoldsIt)
{
    Picture picture({{"x^2+y^2=16; y>0", kRed}, {"y=x^2-8; y<1", kBlue}, {"x=y^2/2; x<2", RGB(0, 160, 0)}});
    picture.Save("forms-domains-on-y.png");
    // The upper half of the circle, not the right half.
    for (double x : {-3.5, -2.0, 0.0, 2.0, 3.5})
        EXPECT_TRUE(picture.InkNear(x, std::sqrt(16 - x * x), kRed)) << x;
    for (double x : {-3.0, -1.0, 1.0, 3.0})
        EXPECT_FALSE(picture.InkNear(x, -std::sqrt(16 - x * x), kRed)) << x;
    // The parabola below y = 1 only: x within -3..3, not cut at x = 1.
    for (double x : {-2.5, 0.0, 1.5, 2.5})
        EXPECT_TRUE(picture.InkNear(x, x * x - 8, kBlue)) << x;
    EXPECT_FALSE(picture.InkNear(3.5, 4.25, kBlue));
    // The sideways parabola left of x = 2 only: y within -2..2.
    EXPECT_TRUE(picture.InkNear(0.5, 1, RGB(0, 160, 0)));
    EXPECT_TRUE(picture.InkNear(1.5, -std::sqrt(3.0), RGB(0, 160, 0)));
    EXPECT_FALSE(picture.InkNear(4.5, 3, RGB(0, 160, 0)));
}

// Texts whose preview looked right while they were read as other functions.
TEST(KTTypedFormsPicture, TextsPlotWhatTheirPreviewShows)
{
    constexpr COLORREF kGreen = RGB(0, 160, 0);
    Picture picture({{"y=(6/x^2)/3", kRed}, {"y=sqrt|x| - 5", kBlue}, {"y=pi x/2 + 2^-|x|", kGreen}});
    picture.Save("forms-as-shown.png");
    for (double x : {-9.0, -4.0, -1.0, 0.75, 2.0, 6.0}) {
        EXPECT_TRUE(picture.InkNear(x, 2 / (x * x), kRed)) << "(6/x^2)/3 at " << x;
        EXPECT_TRUE(picture.InkNear(x, std::sqrt(std::fabs(x)) - 5, kBlue)) << "sqrt|x| - 5 at " << x;
        const double line = 3.141592654 * x / 2 + std::pow(2.0, -std::fabs(x));
        if (std::fabs(line) < 9.5) {
            EXPECT_TRUE(picture.InkNear(x, line, kGreen)) << "pi x/2 + 2^-|x| at " << x;
        }
    }
    // Read the old way they were 18/x^2, sqrt(x) - 5 (nothing left of 0) and pi x/2 + 2^-x.
    EXPECT_FALSE(picture.InkNear(3, 2, kRed));
    EXPECT_FALSE(picture.InkNear(-3, 3.141592654 * -1.5 + 8, kGreen));
}

// An odd root of a negative base is drawn across a wide view, not only near the origin.
TEST(KTTypedFormsPicture, OddRootsReachTheEdgesOfAWideView)
{
    Picture picture({{"y=x^(7/3)/10^6", kRed}, {"y=x^(11/3)/10^12", kBlue}}, 10000.0);
    picture.Save("forms-odd-roots.png");
    for (double x : {-9500.0, -8000.0, -6000.0, -2500.0, 4000.0, 9000.0}) {
        const double root = std::cbrt(x);
        EXPECT_TRUE(picture.InkNear(x, x * x * root / 1e6, kRed)) << "x^(7/3) at " << x;
        EXPECT_TRUE(picture.InkNear(x, x * x * x * root * root / 1e12, kBlue)) << "x^(11/3) at " << x;
    }
}

/// Where a curve y = f(x) ends in the view, found from its closed form by a fine scan: the
/// view's left and right edges where it is in view there, and each crossing of the top or
/// bottom edge, with the side it runs out of the view through.
struct CurveEnd
{
    double x;
    double y;
    char side; ///< 'l', 'r', 'b', 't'
};

std::vector<CurveEnd> EndsInView(double (*f)(double), const Window& w)
{
    const auto in = [&](double x) {
        const double y = f(x);
        return std::isfinite(y) && w.ymin <= y && y <= w.ymax;
    };
    std::vector<CurveEnd> ends;
    if (in(w.xmin))
        ends.push_back({w.xmin, f(w.xmin), 'l'});
    const int steps = 1 << 20;
    const double h = (w.xmax - w.xmin) / steps;
    for (int k = 0; k < steps; ++k) {
        double a = w.xmin + k * h;
        double b = a + h;
        const bool inA = in(a);
        if (inA == in(b))
            continue;
        const double outside = f(inA ? b : a);
        for (int n = 0; n < 80; ++n) {
            const double m = 0.5 * (a + b);
            (in(m) == inA ? a : b) = m;
        }
        const bool top = outside > w.ymax;
        ends.push_back({0.5 * (a + b), top ? w.ymax : w.ymin, top ? 't' : 'b'});
    }
    if (in(w.xmax))
        ends.push_back({w.xmax, f(w.xmax), 'r'});
    return ends;
}

/// An arrowhead the painter drew: its tip and the direction it points in, from its base.
struct Head
{
    CPoint tip;
    double dx;
    double dy;
};

std::vector<Head> Heads(const Picture& picture, COLORREF colour)
{
    std::vector<Head> heads;
    for (const KTDCRecord& r : picture.Records()) {
        if (r.kind != KTDCRecordKind::Polygon || r.brush.GetColor() != colour || r.points.size() != 4)
            continue;
        const CPoint tip = r.points[0];
        heads.push_back({tip, tip.x - 0.5 * (r.points[1].x + r.points[2].x),
                         tip.y - 0.5 * (r.points[1].y + r.points[2].y)});
    }
    return heads;
}

/// Each end of the curve takes an arrowhead within two pixels of it, pointing out of the view
/// along the curve's slope there, off the list: a doubled head is left over.
void ExpectOneHeadPerEnd(Picture& picture, const Window& w, double (*f)(double), double (*slope)(double),
                         std::vector<Head>& heads, const char* what)
{
    // Logical units per unit of x and of y, from the mapping of the view's corners.
    const double sx = (picture.Device(w.xmax, w.ymin).x - picture.Device(w.xmin, w.ymin).x) / (w.xmax - w.xmin);
    const double sy = (picture.Device(w.xmin, w.ymax).y - picture.Device(w.xmin, w.ymin).y) / (w.ymax - w.ymin);
    for (const CurveEnd& end : EndsInView(f, w)) {
        const CPoint at = picture.Device(end.x, end.y);
        // The nearest head not yet taken by another end (the ends of f and f' at an edge may
        // lie within a pixel or two of each other).
        const auto found = std::min_element(heads.begin(), heads.end(), [&](const Head& a, const Head& b) {
            return std::hypot(a.tip.x - at.x, a.tip.y - at.y) < std::hypot(b.tip.x - at.x, b.tip.y - at.y);
        });
        ASSERT_TRUE(found != heads.end() && std::hypot(found->tip.x - at.x, found->tip.y - at.y) <= 2.0 * picture.Pixel())
            << what << ": no head at the end (" << end.x << ", " << end.y << ") " << end.side;
        // Out of the view: to the left at the left edge, up (y growing) at the top, ...
        const double m = slope(end.x);
        double t = end.side == 'l' ? -1.0 : 1.0;
        if (end.side == 't' || end.side == 'b')
            t = (m > 0.0) == (end.side == 't') ? 1.0 : -1.0;
        const double ex = t * sx;
        const double ey = t * m * sy;
        const double cosine = (ex * found->dx + ey * found->dy) / (std::hypot(ex, ey) * std::hypot(found->dx, found->dy));
        EXPECT_GT(cosine, std::cos(0.05)) << what << ": head at (" << end.x << ", " << end.y << ") " << end.side;
        heads.erase(found);
    }
}

double Tan(double x) { return std::tan(x); }
double TanSlope(double x) { return 1.0 / (std::cos(x) * std::cos(x)); }
double TanCurvature(double x) { return 2.0 * std::tan(x) / (std::cos(x) * std::cos(x)); }
double Steep(double x) { return 1000.0 * x; }
double SteepSlope(double) { return 1000.0; }
double Reciprocal(double x) { return 1.0 / (x - 2.0); }
double ReciprocalSlope(double x) { return -1.0 / ((x - 2.0) * (x - 2.0)); }
double ReciprocalCurvature(double x) { return 2.0 / ((x - 2.0) * (x - 2.0) * (x - 2.0)); }

const Window kWindows[] = {
    {500, 400, 96, -10, 10, -10, 10},    {640, 480, 96, -10, 10, -10, 10},  {1024, 768, 96, -10, 10, -10, 10},
    {1920, 1080, 96, -10, 10, -10, 10},  {2560, 1600, 96, -10, 10, -10, 10}, {640, 480, 96, -10, 10, 5, 8},
    {1280, 1024, 96, -3, 7, -20, 20},    {500, 400, 96, 1.5, 2.5, -50, 50},
    // Zoomed in ten times, and off the centre.
    {1024, 768, 96, -0.9, 1.1, -1.3, 0.7}, {1366, 768, 96, 0.5, 4.5, -3, 2},
};

// Arrowheads point along the curve where it leaves the view: out of the edge it crosses, at
// the slope of the curve there, once per end, however steep the curve (y = 1000x crosses the
// view between two samples on a narrow window) and however short the piece in view.
TEST(KTTypedFormsPicture, ArrowheadsPointAlongTheCurveOncePerEnd)
{
    const struct
    {
        const char* text;
        double (*f)(double);
        double (*slope)(double);
    } curves[] = {
        {"y=tan(x)", Tan, TanSlope},
        {"y=1000x", Steep, SteepSlope},
        {"y=1/(x-2)", Reciprocal, ReciprocalSlope},
    };
    for (const auto& curve : curves)
        for (const Window& w : kWindows) {
            Picture picture({{curve.text, kRed}}, w);
            if (w.ymin == 5.0)
                picture.Save((std::string("arrows-short-piece-") + std::to_string(&curve - curves) + ".png").c_str());
            std::vector<Head> heads = Heads(picture, kRed);
            ExpectOneHeadPerEnd(picture, w, curve.f, curve.slope, heads,
                                (std::string(curve.text) + " " + std::to_string(w.width)).c_str());
            EXPECT_TRUE(heads.empty()) << curve.text << " " << w.width << "x" << w.height << ": " << heads.size()
                                       << " heads at no end";
        }
}

// The first derivative is drawn as the curve is: solid polylines in the curve's pen that
// reach the view's edges, broken at the function's poles, each end with its arrowhead.
TEST(KTTypedFormsPicture, DerivativeCurvesReachTheEdgesInTheCurvesStyle)
{
    const struct
    {
        const char* text;
        const char* picture;
        double (*f)(double);
        double (*slope)(double);
        double (*curvature)(double);
    } curves[] = {
        {"y=1/(x-2)", "derivative-reciprocal.png", Reciprocal, ReciprocalSlope, ReciprocalCurvature},
        {"y=tan(x)", "derivative-tan.png", Tan, TanSlope, TanCurvature},
    };
    for (const auto& curve : curves)
        for (Window w : kWindows) {
            w.firstDerivative = true;
            Picture picture({{curve.text, kRed}}, w);
            if (w.width == 1024 && w.xmin == -10.0)
                picture.Save(curve.picture);
            std::vector<Head> heads = Heads(picture, kRed);
            const std::string what = std::string(curve.text) + " " + std::to_string(w.width) + "x" +
                                     std::to_string(w.height);
            ExpectOneHeadPerEnd(picture, w, curve.f, curve.slope, heads, ("f " + what).c_str());
            ExpectOneHeadPerEnd(picture, w, curve.slope, curve.curvature, heads, ("f' " + what).c_str());
            EXPECT_TRUE(heads.empty()) << what;

            // One pen for every piece of either curve; each end of f' is the end of a polyline.
            std::vector<CPoint> pieceEnds;
            const KTPen* pen = nullptr;
            const double pixelX = (w.xmax - w.xmin) / w.width;
            const double pixelY = (w.ymax - w.ymin) / w.height;
            for (const KTDCRecord& r : picture.Records()) {
                if (r.kind != KTDCRecordKind::Polyline || r.pen.GetColor() != kRed)
                    continue;
                if (!pen)
                    pen = &r.pen;
                EXPECT_EQ(r.pen.GetStyle(), pen->GetStyle()) << what;
                EXPECT_EQ(r.pen.GetWidth(), pen->GetWidth()) << what;
                pieceEnds.push_back(r.points.front());
                pieceEnds.push_back(r.points.back());
                for (const CPoint& p : r.points) {
                    // On one of the two, within two pixels across or along where it is steep.
                    const KTPoint g = picture.Graph(p);
                    const double off =
                        std::min(std::fabs(g.m_y - curve.f(g.m_x)), std::fabs(g.m_y - curve.slope(g.m_x)));
                    const double steep = std::max(std::fabs(curve.slope(g.m_x)), std::fabs(curve.curvature(g.m_x)));
                    EXPECT_LE(off, 2 * pixelY + 2 * steep * pixelX) << what << " at (" << g.m_x << ", " << g.m_y << ")";
                }
            }
            for (const CurveEnd& end : EndsInView(curve.slope, w)) {
                const CPoint at = picture.Device(end.x, end.y);
                const bool reached = std::any_of(pieceEnds.begin(), pieceEnds.end(), [&](const CPoint& p) {
                    return std::hypot(p.x - at.x, p.y - at.y) <= 2.0 * picture.Pixel();
                });
                EXPECT_TRUE(reached) << what << ": f' does not reach (" << end.x << ", " << end.y << ")";
            }
        }
}

} // namespace
