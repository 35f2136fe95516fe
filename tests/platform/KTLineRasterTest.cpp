#include "platform/KTDC.h"
#include "platform/KTLineRaster.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace {

const QRect kBounds(0, 0, 200, 100);

KTLineRaster HorizontalStroke(double width, bool flatEnds)
{
    KTLineRaster raster;
    raster.Begin(kBounds, width);
    raster.AddSegment(QPointF(20.0, 50.0), QPointF(60.0, 50.0), flatEnds, flatEnds);
    return raster;
}

QImage White(int width = 400, int height = 300)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

/// Darkness of a pixel, 0 (white) to 765 (black).
int Darkness(QRgb pixel)
{
    return 765 - qRed(pixel) - qGreen(pixel) - qBlue(pixel);
}

long TotalDarkness(const QImage& image)
{
    long total = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            total += Darkness(image.pixel(x, y));
    return total;
}

/// Pixels where the two images differ by more than `tolerance` in darkness.
int Differing(const QImage& a, const QImage& b, int tolerance)
{
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            count += std::abs(Darkness(a.pixel(x, y)) - Darkness(b.pixel(x, y))) > tolerance ? 1 : 0;
    return count;
}

int InkOutside(const QImage& image, const QRect& box)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += !box.contains(x, y) && Darkness(image.pixel(x, y)) > 0 ? 1 : 0;
    return count;
}

/// A context on the image in device units (MM_TEXT) with a solid round pen `width` units wide.
struct PenContext
{
    explicit PenContext(QImage* image, int width = 4, int style = PS_SOLID, COLORREF colour = RGB(0, 0, 200))
        : dc(image), pen(PS_GEOMETRIC | style, width, colour)
    {
        dc.SelectObject(pen);
    }
    KTDC dc;
    KTPen pen;
};

std::vector<CPoint> Sine(int count)
{
    std::vector<CPoint> points;
    for (int i = 0; i < count; ++i) {
        const double x = 20.0 + 360.0 * i / (count - 1);
        points.emplace_back(static_cast<int>(std::lround(x)),
                            static_cast<int>(std::lround(150.0 + 100.0 * std::sin(x / 40.0))));
    }
    return points;
}

/// Qt's own stroke of the same polyline (pixel centres), the picture to match.
QImage QtStroke(const std::vector<CPoint>& points, double width, Qt::PenCapStyle cap = Qt::RoundCap)
{
    QImage image = White();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path(QPointF(points[0].x + 0.5, points[0].y + 0.5));
    for (std::size_t i = 1; i < points.size(); ++i)
        path.lineTo(QPointF(points[i].x + 0.5, points[i].y + 0.5));
    QPen pen(QColor(0, 0, 200), width);
    pen.setCapStyle(cap);
    pen.setJoinStyle(Qt::RoundJoin);
    painter.strokePath(path, pen);
    return image;
}

} // namespace

// ---- coverage --------------------------------------------------------------------------------

TEST(KTLineRaster, CoverageFollowsTheDistanceFromTheLine)
{
    // A 3-unit line along y = 50 (a pixel edge): the two rows beside it are covered, the next
    // rows half, and nothing beyond.
    const KTLineRaster raster = HorizontalStroke(3.0, false);
    struct Row
    {
        int y;
        int coverage;
    };
    for (const Row row : {Row{47, 0}, Row{48, 128}, Row{49, 255}, Row{50, 255}, Row{51, 128}, Row{52, 0}})
        EXPECT_EQ(raster.CoverageAt(40, row.y), row.coverage) << "row " << row.y;
}

TEST(KTLineRaster, RoundAndFlatEnds)
{
    // Pixel centres past the end at x = 60: 60.5 lies 0.5 beyond it, 61.5 lies 1.5 beyond it.
    struct Case
    {
        bool flat;
        int x;
        int y;
        int coverage;
    };
    const Case cases[] = {
        {false, 60, 49, 255},                     // within the round cap
        {false, 61, 49, 107},                     // the cap's ramp: 2 - sqrt(1.5^2 + 0.5^2) covered
        {false, 62, 49, 0},   {false, 61, 47, 0}, // off the cap's corner: the cap is round
        {true, 59, 49, 255},                      // inside the flat end
        {true, 60, 49, 0},                        // half a unit past a flat end: its ramp ends there
        {true, 61, 49, 0},    {true, 19, 49, 0},  // and the same at the start
        {true, 20, 49, 255},
    };
    for (const Case& c : cases) {
        const KTLineRaster raster = HorizontalStroke(3.0, c.flat);
        EXPECT_EQ(raster.CoverageAt(c.x, c.y), c.coverage)
            << (c.flat ? "flat " : "round ") << c.x << ", " << c.y;
    }
}

TEST(KTLineRaster, ASegmentOfNoLengthIsARoundDot)
{
    // A 3-unit round-capped dot at (40, 50): coverage 2 - distance of the pixel centre, clamped.
    // Drawn as a square it would cover the corner pixel (41, 51) wholly.
    struct Case
    {
        int x;
        int y;
        int coverage;
    };
    const Case cases[] = {{40, 50, 255}, {39, 49, 255}, {41, 50, 107},
                          {38, 49, 107}, {41, 51, 0},   {42, 50, 0}};
    KTLineRaster raster;
    raster.Begin(kBounds, 3.0);
    raster.AddSegment(QPointF(40.0, 50.0), QPointF(40.0, 50.0));
    for (const Case& c : cases)
        EXPECT_EQ(raster.CoverageAt(c.x, c.y), c.coverage) << c.x << ", " << c.y;
    // A closed outline that repeats a corner point keeps its round join there.
    KTLineRaster outline;
    outline.Begin(kBounds, 3.0);
    outline.AddPolyline(QPolygonF({QPointF(40.0, 50.0), QPointF(40.0, 50.0), QPointF(40.0, 80.0)}), true,
                        false);
    EXPECT_EQ(outline.CoverageAt(41, 48), 0);
    EXPECT_EQ(outline.CoverageAt(40, 48), 107);
}

TEST(KTLineRaster, OverlappingSegmentsAreAUnionNotASum)
{
    // Drawn twice, or as two halves meeting in the middle, the stroke is the same stroke.
    KTLineRaster once = HorizontalStroke(3.0, false);
    KTLineRaster twice = HorizontalStroke(3.0, false);
    twice.AddSegment(QPointF(20.0, 50.0), QPointF(60.0, 50.0));
    KTLineRaster halves;
    halves.Begin(kBounds, 3.0);
    halves.AddSegment(QPointF(20.0, 50.0), QPointF(40.0, 50.0));
    halves.AddSegment(QPointF(40.0, 50.0), QPointF(60.0, 50.0));
    for (int y = 44; y < 56; ++y)
        for (int x = 14; x < 66; ++x) {
            EXPECT_EQ(twice.CoverageAt(x, y), once.CoverageAt(x, y)) << x << ", " << y;
            EXPECT_EQ(halves.CoverageAt(x, y), once.CoverageAt(x, y)) << x << ", " << y;
        }
}

TEST(KTLineRaster, APolylineIsTheUnionOfItsSegments)
{
    // A polyline leaves each join to one of its two segments; the picture is still the union
    // of every segment drawn whole, at every angle of the segments and of the joins.
    QPolygonF points;
    for (int i = 0; i <= 40; ++i) {
        const double t = i * 0.37;
        points.append(QPointF(100.0 + 60.0 * std::cos(t) + 3.0 * i / 7.0, 50.0 + 35.0 * std::sin(1.7 * t)));
    }
    points.append(points.last()); // a repeated point
    points.append(QPointF(20.5, 20.25));
    for (bool closed : {false, true}) {
        KTLineRaster polyline;
        polyline.Begin(kBounds, 4.5);
        polyline.AddPolyline(points, closed, false);
        KTLineRaster segments;
        segments.Begin(kBounds, 4.5);
        const int count = static_cast<int>(points.size());
        for (int i = 0; i < (closed ? count : count - 1); ++i)
            segments.AddSegment(points[i], points[(i + 1) % count]);
        for (int y = kBounds.top(); y <= kBounds.bottom(); ++y)
            for (int x = kBounds.left(); x <= kBounds.right(); ++x)
                ASSERT_EQ(polyline.CoverageAt(x, y), segments.CoverageAt(x, y))
                    << (closed ? "closed " : "open ") << x << ", " << y;
    }
}

TEST(KTLineRaster, NothingOutsideTheBoundsAndNoHarmFromWildPoints)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case
    {
        QPointF a;
        QPointF b;
    };
    const Case cases[] = {
        {QPointF(-500, -500), QPointF(-300, -20)}, // wholly outside
        {QPointF(1e12, 50), QPointF(2e12, 60)},    // far outside
        {QPointF(nan, 50), QPointF(40, 50)},
        {QPointF(20, inf), QPointF(40, 50)},
    };
    for (const Case& c : cases) {
        KTLineRaster raster;
        raster.Begin(kBounds, 4.0);
        raster.AddSegment(c.a, c.b);
        EXPECT_EQ(raster.TouchedTileCount(), 0) << c.a.x() << ", " << c.a.y();
    }
    // A line through the bounds from far beyond them is drawn where it crosses them only.
    KTLineRaster raster;
    raster.Begin(kBounds, 4.0);
    raster.AddSegment(QPointF(-1e9, 50.0), QPointF(1e9, 50.0));
    EXPECT_EQ(raster.CoverageAt(0, 49), 255);
    EXPECT_EQ(raster.CoverageAt(199, 49), 255);
    EXPECT_EQ(raster.CoverageAt(200, 49), 0);
    EXPECT_EQ(raster.TouchedTileCount(), 7); // one row of tiles across 200 units
}

TEST(KTLineRaster, DashesFollowThePatternAcrossCorners)
{
    // An L of two 20-unit legs, dashes of 10 on and 10 off, flat ends: the second dash starts
    // at the corner and runs down the second leg.
    KTLineRaster raster;
    raster.Begin(kBounds, 2.0);
    QPolygonF corner{QPointF(10.0, 20.5), QPointF(30.0, 20.5), QPointF(30.0, 40.5)};
    raster.AddDashed(corner, false, {10.0, 10.0}, true);
    for (int x : {10, 15, 19})
        EXPECT_GT(raster.CoverageAt(x, 20), 0) << x; // first dash: x 10..20
    for (int x : {21, 25, 28})
        EXPECT_EQ(raster.CoverageAt(x, 20), 0) << x; // first gap
    for (int y : {21, 25, 29})
        EXPECT_GT(raster.CoverageAt(30, y), 0) << y; // second dash: down from the corner
    EXPECT_EQ(raster.CoverageAt(30, 35), 0);         // second gap
}

TEST(KTLineRaster, DashesKeepTheirPlaceWhereTheyStartOffTheBounds)
{
    // The part of a dashed line outside the bounds is passed over, not drawn, and the dashes
    // inside stand where they would with bounds large enough for all of it.
    const QPolygonF line{QPointF(-400.0, -300.0), QPointF(-350.0, 10.0), QPointF(90.0, 10.0)};
    const std::vector<double> pattern{7.0, 4.0, 2.0, 4.0};
    for (bool flat : {true, false}) {
        KTLineRaster small;
        small.Begin(QRect(0, 0, 100, 20), 3.0);
        small.AddDashed(line, false, pattern, flat);
        KTLineRaster large;
        large.Begin(QRect(-500, -500, 1100, 1100), 3.0);
        large.AddDashed(line, false, pattern, flat);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 100; ++x)
                ASSERT_EQ(small.CoverageAt(x, y), large.CoverageAt(x, y)) << x << ", " << y;
        EXPECT_GT(small.CoverageAt(50, 9) + small.CoverageAt(55, 9) + small.CoverageAt(60, 9), 0);
    }
}

TEST(KTLineRaster, ClosedPolylineJoinsItsEnds)
{
    KTLineRaster open;
    KTLineRaster closed;
    const QPolygonF square{QPointF(20, 20), QPointF(60, 20), QPointF(60, 60), QPointF(20, 60)};
    open.Begin(kBounds, 3.0);
    open.AddPolyline(square, false, true);
    closed.Begin(kBounds, 3.0);
    closed.AddPolyline(square, true, true);
    EXPECT_EQ(open.CoverageAt(19, 40), 0);
    EXPECT_EQ(closed.CoverageAt(19, 40), 255);
}

TEST(KTLineRaster, SharedJoinsAndVectorBlendsPaintWhatWholeSegmentsPaint)
{
    // The fast path leaves the pixels near each join to the nearer of its two segments and
    // blends four pixels at a time; the reference path draws every segment whole and blends
    // one pixel at a time. On chords of a circle, a curve of long segments, hairpins, runs along
    // the rows and columns, repeated and tiny steps, open, closed, dashed and flat-ended, the
    // two give the same image to the last bit, over a background that is not one colour.
    QPolygonF circle;
    for (int i = 0; i < 400; ++i) {
        const double t = 2 * std::numbers::pi * i / 400;
        circle.append(QPointF(200.0 + 130.0 * std::cos(t), 150.0 - 120.0 * std::sin(t)));
    }
    QPolygonF petals;
    for (int i = 0; i <= 60; ++i) {
        const double t = 2 * std::numbers::pi * i / 60;
        const double r = 60.0 + 50.0 * std::cos(3 * t);
        petals.append(QPointF(200.0 + r * std::cos(t), 150.0 + r * std::sin(t)));
    }
    const QPolygonF hairpins{QPointF(20, 20),    QPointF(300, 22),     QPointF(20, 24),   QPointF(300.5, 40),
                             QPointF(300.5, 200), QPointF(300.5, 60),  QPointF(100, 60),  QPointF(100, 60),
                             QPointF(100.004, 60), QPointF(50, 250.25), QPointF(380, 250)};
    QPolygonF wiggle;
    for (int i = 0; i <= 300; ++i)
        wiggle.append(QPointF(40.0 + i, 150.0 + 0.3 * (i % 3) + 40.0 * std::sin(i / 9.0)));
    struct Case
    {
        const char* name;
        QPolygonF points;
    };
    const Case cases[] = {{"circle", circle}, {"petals", petals}, {"hairpins", hairpins}, {"wiggle", wiggle}};
    const std::vector<double> dashes{9.0, 4.0, 1.5, 4.0};
    const auto paint = [&](const QPolygonF& points, double width, bool closed, bool flat, bool dashed,
                           bool reference) {
        KTLineRaster::SetReferencePath(reference);
        QImage image(400, 300, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, qRgb((x * 7) % 256, (y * 5) % 256, ((x + y) * 3) % 256));
        QPainter painter(&image);
        KTLineRaster raster;
        raster.Begin(QRect(0, 0, 400, 300), width);
        if (dashed)
            raster.AddDashed(points, closed, dashes, flat);
        else
            raster.AddPolyline(points, closed, flat);
        raster.Paint(painter, QColor(20, 90, 200), &image);
        painter.end();
        KTLineRaster::SetReferencePath(false);
        return image;
    };
    for (const Case& c : cases)
        for (const double width : {1.2, 3.07, 8.5})
            for (const bool closed : {false, true})
                for (const bool flat : {false, true})
                    for (const bool dashed : {false, true}) {
                        const QImage fast = paint(c.points, width, closed, flat, dashed, false);
                        const QImage whole = paint(c.points, width, closed, flat, dashed, true);
                        EXPECT_TRUE(fast == whole) << c.name << " width " << width << (closed ? " closed" : " open")
                                                   << (flat ? " flat" : " round") << (dashed ? " dashed" : " solid");
                    }
}

TEST(KTLineRaster, ShortSegmentsAtTheEdgesOfTilesAndBoundsPaintWhatWholeSegmentsPaint)
{
    // Short segments are laid over the whole of their small boxes, several cells at a time, and
    // blended four pixels at a time past the ends of spans: small circles of chords about two
    // pixels long, centred on tile corners, on the bounds' edges and on the image's last column,
    // open and closed, dashed and flat-ended, paint what the reference path paints, and nothing
    // outside the bounds.
    const QRect bounds(3, 2, 390, 295); // not the whole image, nor on tile edges
    std::vector<QPolygonF> circles;
    for (const QPointF centre : {QPointF(32.0, 32.0), QPointF(64.5, 31.5), QPointF(96.25, 95.75),
                                 QPointF(3.0, 150.0), QPointF(392.5, 40.0), QPointF(399.0, 200.0),
                                 QPointF(200.0, 2.0), QPointF(160.0, 296.5), QPointF(128.0, 160.0)})
        for (const double radius : {1.0, 2.5, 6.0, 11.0}) {
            QPolygonF circle;
            const int corners = std::max(12, static_cast<int>(std::ceil(std::numbers::pi * radius)));
            for (int i = 0; i < corners; ++i) {
                const double t = 2 * std::numbers::pi * i / corners;
                circle.append(centre + QPointF(radius * std::cos(t), -radius * std::sin(t)));
            }
            circles.push_back(circle);
        }
    const std::vector<double> dots{2.0, 2.0};
    const auto background = [](int x, int y) {
        return qRgb((x * 11) % 256, (y * 13) % 256, ((x + 2 * y) * 5) % 256);
    };
    const auto paint = [&](double width, bool closed, bool flat, bool dashed, bool reference) {
        KTLineRaster::SetReferencePath(reference);
        QImage image(400, 300, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, background(x, y));
        QPainter painter(&image);
        KTLineRaster raster;
        raster.Begin(bounds, width);
        for (const QPolygonF& circle : circles) {
            if (dashed)
                raster.AddDashed(circle, closed, dots, flat);
            else
                raster.AddPolyline(circle, closed, flat);
        }
        raster.Paint(painter, QColor(200, 40, 90), &image);
        painter.end();
        KTLineRaster::SetReferencePath(false);
        return image;
    };
    for (const double width : {1.2, 2.126, 3.07})
        for (const bool closed : {false, true})
            for (const bool flat : {false, true})
                for (const bool dashed : {false, true}) {
                    const QImage fast = paint(width, closed, flat, dashed, false);
                    const QImage whole = paint(width, closed, flat, dashed, true);
                    EXPECT_TRUE(fast == whole)
                        << "width " << width << (closed ? " closed" : " open") << (flat ? " flat" : " round")
                        << (dashed ? " dashed" : " solid");
                    // Outside the bounds every pixel keeps its background.
                    int outside = 0;
                    for (int y = 0; y < fast.height(); ++y)
                        for (int x = 0; x < fast.width(); ++x)
                            if (!bounds.contains(x, y) && fast.pixel(x, y) != background(x, y))
                                ++outside;
                    EXPECT_EQ(outside, 0) << "width " << width;
                }
}

TEST(KTLineRaster, ARasterUsedAgainPaintsAsANewOne)
{
    // The device context keeps one rasteriser for every stroke: strokes in other bounds (grids of
    // other sizes, and of the same size in another shape), after a stroke begun and never
    // painted, paint as a new rasteriser paints them.
    struct Stroke
    {
        QRect bounds;
        double width;
        QPolygonF points;
        bool painted;
    };
    const QPolygonF zigzag{QPointF(10, 10), QPointF(150, 90), QPointF(290, 15), QPointF(380, 280)};
    const QPolygonF across{QPointF(0, 150), QPointF(400, 152)};
    const Stroke strokes[] = {
        {QRect(0, 0, 400, 300), 3.0, zigzag, true},  {QRect(0, 0, 400, 300), 5.0, across, false},
        {QRect(10, 5, 390, 290), 2.5, zigzag, true}, {QRect(0, 0, 200, 300), 4.0, across, true},
        {QRect(0, 0, 320, 224), 4.0, zigzag, true},  {QRect(0, 0, 400, 300), 1.5, across, true},
    };
    QImage reused = White();
    QImage fresh = White();
    KTLineRaster raster;
    for (const Stroke& stroke : strokes) {
        raster.Begin(stroke.bounds, stroke.width);
        raster.AddPolyline(stroke.points, false, false);
        if (!stroke.painted)
            continue;
        QPainter painter(&reused);
        raster.Paint(painter, QColor(0, 0, 200), &reused);
        KTLineRaster once;
        once.Begin(stroke.bounds, stroke.width);
        once.AddPolyline(stroke.points, false, false);
        QPainter freshPainter(&fresh);
        once.Paint(freshPainter, QColor(0, 0, 200), &fresh);
        EXPECT_EQ(raster.TouchedTileCount(), 0);
    }
    EXPECT_TRUE(reused == fresh);
    EXPECT_GT(Differing(reused, White(), 0), 1000);
}

TEST(KTLineRaster, SegmentsOverPixelsOfTheirColourAreLeftOutWithoutChangingThePicture)
{
    // The gaps of opaque dashed lines are laid in the background colour, mostly over pixels of
    // it: segments (and rows of long ones) whose pixels all hold the colour are left out, and the
    // picture is the one every segment blended gives, where the background is the colour, where
    // it is patterned, where it is the colour but for one pixel, and for a colour whose pixels
    // differ in one bit; for a circle of short chords and for long lines, upright and slanted,
    // that run through the one pixel off the colour.
    const QRgb colour = qRgb(255, 255, 255);
    QPolygonF circle;
    for (int i = 0; i < 900; ++i) {
        const double t = 2 * std::numbers::pi * i / 900;
        circle.append(QPointF(200.0 + 150.0 * std::cos(t), 150.0 - 110.0 * std::sin(t)));
    }
    const auto background = [&](QImage& image, int variant) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pattern = qRgb((x * 7) % 256, (y * 5) % 256, ((x + y) * 3) % 256);
                switch (variant) {
                case 0: image.setPixel(x, y, colour); break;
                case 1: image.setPixel(x, y, x < 200 ? colour : pattern); break;
                case 2: image.setPixel(x, y, x == 350 && y == 150 ? qRgb(255, 255, 254) : colour); break;
                default: image.setPixel(x, y, (x / 20 + y / 20) % 2 ? colour : qRgb(255, 254, 255)); break;
                }
            }
    };
    const QPolygonF lines{QPointF(350.5, 4.0), QPointF(350.5, 296.0), QPointF(10.0, 296.0),
                          QPointF(390.0, 9.0)};
    for (const bool straight : {false, true})
        for (const int variant : {0, 1, 2, 3})
            for (const double width : {2.126, 3.07, 8.5}) {
                const QPolygonF& shape = straight ? lines : circle;
                QImage images[2] = {QImage(400, 300, QImage::Format_RGB32),
                                    QImage(400, 300, QImage::Format_RGB32)};
                int touched[2] = {};
                for (int reference = 0; reference < 2; ++reference) {
                    QImage& image = images[reference];
                    background(image, variant);
                    KTLineRaster::SetReferencePath(reference == 1);
                    QPainter painter(&image);
                    KTLineRaster raster;
                    raster.Begin(QRect(0, 0, 400, 300), width);
                    raster.SkipWhereAlready(image, colour);
                    raster.AddPolyline(shape, !straight, true);
                    touched[reference] = raster.TouchedTileCount();
                    raster.Paint(painter, QColor(colour), &image);
                    painter.end();
                    KTLineRaster::SetReferencePath(false);
                }
                EXPECT_TRUE(images[0] == images[1])
                    << "variant " << variant << " width " << width << " long " << straight;
                // All of the circle over the colour lays nothing; a patterned half, or a pixel off
                // the colour, is laid where it lies.
                EXPECT_GT(touched[1], 0);
                if (variant == 0) {
                    EXPECT_EQ(touched[0], 0) << width;
                } else if (variant == 1) {
                    EXPECT_GT(touched[0], 0) << width;
                } else if (variant == 2) {
                    // Of the long lines only the rows through the pixel off the colour are laid (in the
                    // one or two tiles it lies beside), of the many they cross.
                    EXPECT_GT(touched[0], 0) << width;
                    EXPECT_LT(touched[0], 3) << width;
                    EXPECT_GT(touched[1], straight ? 20 : 0) << width;
                }
            }
}

// ---- the device context's wide lines --------------------------------------------------------

TEST(KTDCWideLines, MatchQtsOwnStroke)
{
    // The same polylines through the context and through Qt's stroker: the same pixels to the
    // eye (a handful of edge pixels may differ by a shade) and the same amount of ink.
    struct Case
    {
        const char* name;
        std::vector<CPoint> points;
        int width;
    };
    const Case cases[] = {
        {"sine, a point a unit", Sine(361), 4},
        {"sine 60 points", Sine(60), 3},
        {"zigzag", {{20, 20}, {120, 250}, {220, 20}, {320, 250}, {330, 30}}, 6},
    };
    for (const Case& c : cases) {
        QImage image = White();
        {
            PenContext context(&image, c.width);
            context.dc.Polyline(c.points.data(), static_cast<int>(c.points.size()));
        }
        const QImage reference = QtStroke(c.points, c.width);
        const long ink = TotalDarkness(reference);
        EXPECT_NEAR(static_cast<double>(TotalDarkness(image)), static_cast<double>(ink), 0.03 * ink)
            << c.name;
        EXPECT_LT(Differing(image, reference, 200), 40) << c.name;
    }
}

TEST(KTDCWideLines, ThroughTilesAsDirectly)
{
    // A pixmap is not an image the context may write into: the tiles go through the painter,
    // and the picture is the same.
    const std::vector<CPoint> points = Sine(400);
    QImage direct = White();
    {
        PenContext context(&direct, 5);
        context.dc.Polyline(points.data(), static_cast<int>(points.size()));
    }
    QPixmap pixmap(400, 300);
    pixmap.fill(Qt::white);
    {
        QPainter painter(&pixmap);
        KTDC dc(&painter);
        const KTPen pen(PS_GEOMETRIC | PS_SOLID, 5, RGB(0, 0, 200));
        dc.SelectObject(pen);
        dc.Polyline(points.data(), static_cast<int>(points.size()));
    }
    EXPECT_EQ(Differing(pixmap.toImage().convertToFormat(QImage::Format_RGB32), direct, 3), 0);
}

TEST(KTDCWideLines, ManyPointsOnALineDrawAsTheLine)
{
    // Points that add nothing to the shape add nothing to the picture (but a shade of rounding
    // where the pieces meet).
    std::vector<CPoint> many;
    for (int i = 0; i <= 240; ++i)
        many.emplace_back(20 + i, 40 + i);
    const std::vector<CPoint> two{many.front(), many.back()};
    QImage fromMany = White();
    QImage fromTwo = White();
    {
        PenContext context(&fromMany, 4);
        context.dc.Polyline(many.data(), static_cast<int>(many.size()));
    }
    {
        PenContext context(&fromTwo, 4);
        context.dc.Polyline(two.data(), 2);
    }
    EXPECT_EQ(Differing(fromMany, fromTwo, 3), 0);
}

TEST(KTDCWideLines, KeepWithinTheClip)
{
    QImage image = White();
    {
        PenContext context(&image, 6);
        context.dc.IntersectClipRect(100, 50, 300, 250);
        const std::vector<CPoint> points = Sine(800);
        context.dc.Polyline(points.data(), static_cast<int>(points.size()));
        context.dc.MoveTo(0, 0);
        context.dc.LineTo(400, 300);
        context.dc.SelectStockObject(KTStockObject::NullBrush);
        context.dc.SelectObject(context.pen);
        context.dc.Ellipse(50, 20, 350, 280);
    }
    EXPECT_EQ(InkOutside(image, QRect(100, 50, 200, 200)), 0);
    EXPECT_GT(TotalDarkness(image), 0);
}

TEST(KTDCWideLines, ScaledPaintersStillDraw)
{
    // A painter that scales cannot take unscaled tiles: Qt strokes the line, at twice the size.
    QImage image = White();
    {
        QPainter painter(&image);
        painter.scale(2.0, 2.0);
        KTDC dc(&painter);
        const KTPen pen(PS_GEOMETRIC | PS_SOLID, 4, RGB(0, 0, 200));
        dc.SelectObject(pen);
        const std::vector<CPoint> points = Sine(100);
        dc.Polyline(points.data(), static_cast<int>(points.size()));
    }
    EXPECT_GT(TotalDarkness(image), 0);
    EXPECT_GT(InkOutside(image, QRect(0, 0, 200, 150)), 0); // beyond the unscaled half
}

TEST(KTDCWideLines, DottedEllipseLikeQts)
{
    // A dotted circle: about as much ink as Qt's dotted ellipse, all of it on the circle.
    QImage image = White();
    {
        PenContext context(&image, 3, PS_DOT, RGB(80, 80, 80));
        context.dc.SetBkMode(TRANSPARENT);
        context.dc.SelectStockObject(KTStockObject::NullBrush);
        context.dc.SelectObject(context.pen);
        context.dc.Ellipse(50, 20, 350, 280);
    }
    QImage reference = White();
    {
        QPainter painter(&reference);
        painter.setRenderHint(QPainter::Antialiasing);
        QPen pen(QColor(80, 80, 80), 3);
        pen.setDashPattern({1, 1});
        pen.setCapStyle(Qt::FlatCap); // a pen made by CreatePen dashes with flat ends
        painter.setPen(pen);
        painter.drawEllipse(QRectF(50.5, 20.5, 299, 259));
    }
    const long ink = TotalDarkness(reference);
    EXPECT_NEAR(static_cast<double>(TotalDarkness(image)), static_cast<double>(ink), 0.15 * ink);
    int offCircle = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const double u = (x + 0.5 - 200.0) / 149.5;
            const double v = (y + 0.5 - 150.0) / 129.5;
            const double radial = std::abs(std::sqrt(u * u + v * v) - 1.0) * 130.0;
            offCircle += Darkness(image.pixel(x, y)) > 0 && radial > 4.0 ? 1 : 0;
        }
    EXPECT_EQ(offCircle, 0);
}
