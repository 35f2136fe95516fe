#include "axes/KTAxes.h"
#include "axes/KTAxisScale.h"

#include "foundation/KTNumberFormat.h"

#include "platform/KTDC.h"
#include "support/KTRecordingDC.h"
#include "support/KTTestSupport.h"

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

namespace {

/// The graph's drawing area in hundredths of a millimetre, y upwards.
const CRect kArea(0, 0, 13450, -11000);

using PointDecimals = kttest::LocaleScope;

using kttest::RecordingDC;

void LayOut(KTAxes& axes, const KTOptionAxes2& options, KTDC& dc)
{
    axes.Layout(kArea.left, kArea.top, kArea.right, kArea.bottom, 0, 0, 0, 0, options, dc);
}

bool IsLine(const KTDCRecord& r)
{
    return r.kind == KTDCRecordKind::Line && r.points.size() == 2;
}

/// Straight lines spanning from..to (either order), by where they stand: vertical lines by
/// their x, horizontal ones by their y.
std::multiset<int> LinesAcross(const std::vector<KTDCRecord>& records, int from, int to, bool vertical)
{
    const auto along = [vertical](const CPoint& p) { return vertical ? p.y : p.x; };
    const auto across = [vertical](const CPoint& p) { return vertical ? p.x : p.y; };
    std::multiset<int> at;
    for (const KTDCRecord& r : records) {
        if (!IsLine(r) || across(r.points[0]) != across(r.points[1]))
            continue;
        const int lo = std::min(along(r.points[0]), along(r.points[1]));
        const int hi = std::max(along(r.points[0]), along(r.points[1]));
        if (lo == std::min(from, to) && hi == std::max(from, to))
            at.insert(across(r.points[0]));
    }
    return at;
}

std::multiset<int> VerticalLinesAcross(const std::vector<KTDCRecord>& records, int from, int to)
{
    return LinesAcross(records, from, to, true);
}

std::multiset<int> HorizontalLinesAcross(const std::vector<KTDCRecord>& records, int from, int to)
{
    return LinesAcross(records, from, to, false);
}

std::multiset<int> Pixels(KTAxis& axis, const std::vector<double>& values)
{
    std::multiset<int> pixels;
    for (double v : values)
        pixels.insert(axis.ValueToPixel(v));
    return pixels;
}

std::size_t CountKind(const std::vector<KTDCRecord>& records, KTDCRecordKind kind)
{
    return static_cast<std::size_t>(std::count_if(records.begin(), records.end(),
                                                  [kind](const KTDCRecord& r) { return r.kind == kind; }));
}

/// Folder under the build tree that the pictures of the axes are written to.
QString PictureFolder()
{
    return kttest::PictureFolder("axes_pictures");
}

/// Lays out and draws the axes onto a white image 200 dots per inch, in the graph's mapping.
QImage DrawToImage(const KTOptionAxes2& options)
{
    QImage image = kttest::WhiteImage(1060, 867, 7874);
    {
        KTDC dc(&image);
        dc.SetMapMode(MM_HIMETRIC);
        KTAxes axes;
        LayOut(axes, options, dc);
        axes.Draw(dc);
    }
    return image;
}

/// Darkness of the picture along one device column or row.
int DarkPixels(const QImage& image, int x0, int y0, int x1, int y1)
{
    int dark = 0;
    for (int x = x0; x <= x1; ++x)
        for (int y = y0; y <= y1; ++y)
            if (qGray(image.pixel(x, y)) < 160)
                ++dark;
    return dark;
}

} // namespace

TEST(KTAxesDraw, DefaultsDrawAxesTicksLabelsAndArrowsButNoGrid)
{
    const PointDecimals decimals;
    RecordingDC r;
    KTAxes axes;
    KTOptionAxes2 options;
    LayOut(axes, options, r.dc);
    axes.Draw(r.dc);
    const std::vector<KTDCRecord>& records = r.dc.GetRecords();
    KTAxis& x = axes.m_xAxis;
    KTAxis& y = axes.m_yAxis;

    // No grid line crosses the plot (the y axis line alone spans it); no origin circle.
    EXPECT_EQ(VerticalLinesAcross(records, x.m_crossExtent[0], x.m_crossExtent[1]),
              std::multiset<int>{y.m_pixel.left});
    EXPECT_EQ(CountKind(records, KTDCRecordKind::Ellipse), 0u);

    // The axis lines over their pixel extents.
    const int axisY = x.m_pixel.top;
    const int axisX = y.m_pixel.left;
    EXPECT_EQ(HorizontalLinesAcross(records, x.m_pixel.left, x.m_pixel.right).count(axisY), 1u);
    EXPECT_EQ(VerticalLinesAcross(records, y.m_pixel.top, y.m_pixel.bottom).count(axisX), 1u);

    // Ticks 150 above and below the x axis at -10, -5, 0, 5, 10; beside the y axis likewise.
    EXPECT_EQ(VerticalLinesAcross(records, axisY - 150, axisY + 150), Pixels(x, {-10, -5, 0, 5, 10}));
    EXPECT_EQ(HorizontalLinesAcross(records, axisX - 150, axisX + 150), Pixels(y, {-10, -5, 0, 5, 10}));

    // Four open arrowheads: two strokes each, 300 back along the axis and 150 to the side.
    int strokes = 0;
    for (const KTDCRecord& rec : records) {
        if (!IsLine(rec))
            continue;
        for (const CPoint end : {CPoint(x.m_pixel.right, axisY), CPoint(x.m_pixel.left, axisY),
                                 CPoint(axisX, y.m_pixel.bottom), CPoint(axisX, y.m_pixel.top)}) {
            if (rec.points[1] == end &&
                std::abs(rec.points[0].x - end.x) + std::abs(rec.points[0].y - end.y) == 450)
                ++strokes;
        }
    }
    EXPECT_EQ(strokes, 8);

    // Labels: texts drawn for -10, -5, 5 and 10 on each axis, none at 0; the names "x" and "y".
    std::multiset<std::string> texts;
    for (const KTDCRecord& rec : records)
        if (rec.kind == KTDCRecordKind::Text)
            texts.insert(rec.text.str());
    EXPECT_EQ(texts.count("x"), 1u);
    EXPECT_EQ(texts.count("y"), 1u);
    EXPECT_EQ(texts.count("0"), 0u);
    EXPECT_EQ(texts.count("5"), 2u);
    EXPECT_EQ(texts.count("10"), 2u);
}

TEST(KTAxesDraw, LabelsStandWhereTheMappingPutsThem)
{
    const PointDecimals decimals;
    RecordingDC r;
    KTAxes axes;
    KTOptionAxes2 options;
    LayOut(axes, options, r.dc);
    axes.Draw(r.dc);
    KTAxis& x = axes.m_xAxis;
    KTAxis& y = axes.m_yAxis;
    // Each label's drawn text lies within its own box: centred on its tick below the x axis,
    // right of nothing but left of the y axis and level with its tick.
    for (const KTDCRecord& rec : r.dc.GetRecords()) {
        if (rec.kind != KTDCRecordKind::Text || rec.text == "x" || rec.text == "y")
            continue;
        const CPoint at = rec.points[0];
        const bool onX = std::abs(at.y - x.m_pixel.top) < 1000 && std::abs(at.x - y.m_pixel.left) > 500;
        // A negative label's minus is the typeset one (the en dash).
        const CString digits = rec.text.GetAt(0) == '\x96' ? rec.text.Mid(1) : rec.text;
        const double magnitude = std::stod(digits.str());
        if (onX) {
            const double value = magnitude * (at.x < y.m_pixel.left ? -1 : 1);
            EXPECT_NEAR(at.x, x.ValueToPixel(value), 400) << rec.text.str();
            EXPECT_LT(at.y, x.m_pixel.top - 100) << rec.text.str();
        } else {
            const double value = magnitude * (at.y < x.m_pixel.top ? -1 : 1);
            EXPECT_NEAR(at.y, y.ValueToPixel(value), 400) << rec.text.str();
            EXPECT_LT(at.x, y.m_pixel.left - 100) << rec.text.str();
        }
    }
}

// Every negative tick label has the same minus, the typeset one (the en dash), written close to
// what follows as a sign: "-10", "-2pi", "-pi" and "-pi/3" alike, never a hyphen and never the
// spaced minus of a subtraction.
TEST(KTAxesDraw, NegativeLabelsUseTheTypesetMinusAsASign)
{
    const PointDecimals decimals;
    const struct
    {
        const char* min;
        const char* max;
        std::size_t negative; ///< negative labels of the x axis (the y axis runs -10 to 10)
    } rows[] = {
        {"-10", "10", 2},   // -10, -5
        {"-2pi", "2pi", 2}, // -2pi, -pi
        {"-pi", "pi", 3},   // -pi, -2pi/3, -pi/3
        {"-0.5", "0.5", 2}, // -0.4, -0.2
    };
    for (const auto& row : rows) {
        RecordingDC r;
        KTAxes axes;
        KTOptionAxes2 options;
        options.m_xMinShowS.SetValue(row.min);
        options.m_xMaxShowS.SetValue(row.max);
        LayOut(axes, options, r.dc);
        r.dc.ClearRecords();
        axes.Draw(r.dc);
        const std::vector<KTDCRecord>& records = r.dc.GetRecords();
        std::size_t minuses = 0;
        for (std::size_t i = 0; i < records.size(); ++i) {
            const KTDCRecord& rec = records[i];
            if (rec.kind != KTDCRecordKind::Text)
                continue;
            EXPECT_EQ(rec.text.Find('-'), -1) << row.min << ": " << rec.text.str();
            if (rec.text.GetAt(0) != '\x96')
                continue;
            ++minuses;
            // A minus alone ("-pi") is followed by its operand one minus-width along.
            if (rec.text.GetLength() == 1 && i + 1 < records.size()) {
                r.dc.SelectObject(rec.font);
                const int width = r.dc.GetTextExtent(rec.text).cx;
                EXPECT_EQ(records[i + 1].points[0].x - rec.points[0].x, width) << row.min;
            }
        }
        EXPECT_EQ(minuses, row.negative + 2) << row.min; // and -10, -5 on the y axis
    }
}

TEST(KTAxesDraw, GridLinesAtTheMinorAndMajorSteps)
{
    RecordingDC r;
    KTAxes axes;
    KTOptionAxes2 options;
    options.m_showGrid.m_value = 1;
    LayOut(axes, options, r.dc);
    axes.DrawGrid(r.dc);
    const std::vector<KTDCRecord>& records = r.dc.GetRecords();
    KTAxis& x = axes.m_xAxis;
    KTAxis& y = axes.m_yAxis;

    // Minor lines at every 1 except the multiples of 5 and 0; major lines at +-5 and +-10.
    std::vector<double> minor;
    for (int k = -10; k <= 10; ++k)
        if (k % 5 != 0)
            minor.push_back(k);
    std::multiset<int> expected = Pixels(x, minor);
    for (int p : Pixels(x, {-10, -5, 5, 10}))
        expected.insert(p);
    EXPECT_EQ(VerticalLinesAcross(records, x.m_crossExtent[0], x.m_crossExtent[1]), expected);
    std::multiset<int> expectedY = Pixels(y, minor);
    for (int p : Pixels(y, {-10, -5, 5, 10}))
        expectedY.insert(p);
    EXPECT_EQ(HorizontalLinesAcross(records, y.m_crossExtent[0], y.m_crossExtent[1]), expectedY);

    // The pens: one style for the minor lines, another for the major ones, both grey.
    std::set<int> minorStyles;
    std::set<int> majorStyles;
    const std::multiset<int> majorX = Pixels(x, {-10, -5, 5, 10});
    const std::multiset<int> majorY = Pixels(y, {-10, -5, 5, 10});
    for (const KTDCRecord& rec : records) {
        ASSERT_TRUE(IsLine(rec));
        const bool vertical = rec.points[0].x == rec.points[1].x;
        const bool major = vertical ? majorX.count(rec.points[0].x) > 0 : majorY.count(rec.points[0].y) > 0;
        (major ? majorStyles : minorStyles).insert(rec.pen.GetDashStyle());
        EXPECT_EQ(rec.pen.GetColor(), RGB(100, 100, 100));
    }
    EXPECT_EQ(minorStyles.size(), 1u);
    EXPECT_EQ(majorStyles.size(), 1u);
    EXPECT_NE(*minorStyles.begin(), *majorStyles.begin());
}

TEST(KTAxesDraw, TypedZeroStepHidesItsLines)
{
    RecordingDC r;
    KTAxes axes;
    KTOptionAxes2 options;
    options.m_showGrid.m_value = 1;
    options.m_xMinorS.SetValue("0"); // the steps stay automatic
    LayOut(axes, options, r.dc);
    EXPECT_EQ(axes.m_xAxis.m_minorText, CString("1"));
    axes.m_xAxis.DrawGridLines(r.dc);
    EXPECT_EQ(
        VerticalLinesAcross(r.dc.GetRecords(), axes.m_xAxis.m_crossExtent[0], axes.m_xAxis.m_crossExtent[1]),
        Pixels(axes.m_xAxis, {-10, -5, 5, 10}));
}

TEST(KTAxesDraw, GridKeepsClearOfTheArrowheads)
{
    RecordingDC r;
    KTAxes axes;
    KTOptionAxes2 options;
    options.m_showGrid.m_value = 1;
    options.m_arrowSize.m_value = 500; // clearance 750 reaches the lines at +-10 and +-9
    LayOut(axes, options, r.dc);
    axes.m_xAxis.DrawGridLines(r.dc);
    KTAxis& x = axes.m_xAxis;
    for (int p : VerticalLinesAcross(r.dc.GetRecords(), x.m_crossExtent[0], x.m_crossExtent[1])) {
        EXPECT_GE(p - x.m_pixel.left, 750);
        EXPECT_GE(x.m_pixel.right - p, 750);
    }
}

TEST(KTAxesDraw, LogarithmicAxis)
{
    RecordingDC r;
    KTAxes axes;
    KTOptionAxes2 options;
    options.m_yLogScale.m_value = 1;
    options.m_yMinShowS.SetValue("1");
    options.m_yMaxShowS.SetValue("1000");
    options.m_showGrid.m_value = 1;
    LayOut(axes, options, r.dc);
    axes.Draw(r.dc);
    KTAxis& y = axes.m_yAxis;
    ASSERT_EQ(y.m_decadeLow, 3);
    ASSERT_EQ(y.m_decadeHigh, 6);
    const std::vector<KTDCRecord>& records = r.dc.GetRecords();

    // Grid: major lines at 1, 10, 100, 1000; minor lines at 2..9, 20..90, 200..900, 2000...
    std::vector<double> lines = {1, 10, 100, 1000};
    for (double d : {1.0, 10.0, 100.0, 1000.0})
        for (int k = 2; k < 10 && k * d <= y.m_max; ++k)
            lines.push_back(k * d);
    std::multiset<int> expected = Pixels(y, lines);
    expected.insert(axes.m_xAxis.m_pixel.top); // the x axis line
    EXPECT_EQ(HorizontalLinesAcross(records, y.m_crossExtent[0], y.m_crossExtent[1]), expected);

    // Labels at the powers of ten, with the entry's text.
    std::multiset<std::string> texts;
    for (const KTDCRecord& rec : records)
        if (rec.kind == KTDCRecordKind::Text && rec.points[0].x < y.m_pixel.left)
            texts.insert(rec.text.str());
    for (const char* power : {"1", "10", "100", "1000"})
        EXPECT_EQ(texts.count(power), 1u) << power;

    // Equal ratios take equal distances.
    EXPECT_NEAR(y.ValueToPixel(100) - y.ValueToPixel(10), y.ValueToPixel(10) - y.ValueToPixel(1), 1);
}

TEST(KTAxesDraw, PolarGrid)
{
    RecordingDC r;
    KTAxes axes;
    KTOptionAxes2 options;
    options.m_showGrid.m_value = 1;
    options.m_usePolarGrid.m_value = 1;
    options.m_polarRays.m_value = 12;
    LayOut(axes, options, r.dc);
    axes.DrawGrid(r.dc);
    const std::vector<KTDCRecord>& records = r.dc.GetRecords();
    KTAxis& x = axes.m_xAxis;
    KTAxis& y = axes.m_yAxis;
    const CPoint origin(x.ValueToPixel(0), y.ValueToPixel(0));

    // Circles about the origin at radius 1..10: 8 minor, then 2 major.
    std::vector<int> radii;
    for (const KTDCRecord& rec : records) {
        if (rec.kind != KTDCRecordKind::Ellipse)
            continue;
        const CPoint a = rec.points[0];
        const CPoint b = rec.points[1];
        EXPECT_NEAR((a.x + b.x) / 2.0, origin.x, 1);
        EXPECT_NEAR((a.y + b.y) / 2.0, origin.y, 1);
        radii.push_back(std::abs(b.x - a.x) / 2);
    }
    ASSERT_EQ(radii.size(), 10u);
    const double ppu = (x.ValueToPixel(10) - x.ValueToPixel(0)) / 10.0;
    const int order[] = {1, 2, 3, 4, 6, 7, 8, 9, 5, 10};
    for (std::size_t i = 0; i < radii.size(); ++i)
        EXPECT_NEAR(radii[i], order[i] * ppu, 1.0) << i;

    // Twelve rays from the origin, the first along the positive x axis to radius 10.
    std::vector<KTDCRecord> rays;
    for (const KTDCRecord& rec : records)
        if (IsLine(rec))
            rays.push_back(rec);
    ASSERT_EQ(rays.size(), 12u);
    EXPECT_EQ(rays[0].points[0], origin);
    EXPECT_NEAR(rays[0].points[1].x, x.ValueToPixel(10), 1);
    EXPECT_EQ(rays[0].points[1].y, origin.y);
    EXPECT_NEAR(rays[3].points[1].y, y.ValueToPixel(10), 1); // 90 degrees
    EXPECT_EQ(rays[3].points[1].x, origin.x);

    // No rays: circles only.
    RecordingDC none;
    options.m_polarRays.m_value = 0;
    LayOut(axes, options, none.dc);
    axes.DrawGrid(none.dc);
    EXPECT_EQ(CountKind(none.dc.GetRecords(), KTDCRecordKind::Line), 0u);
    EXPECT_EQ(CountKind(none.dc.GetRecords(), KTDCRecordKind::Ellipse), 10u);
}

TEST(KTAxesDraw, GridPointsAtTheCrossings)
{
    RecordingDC r;
    KTAxes axes;
    KTOptionAxes2 options;
    options.m_showGrid.m_value = 1;
    options.m_showGridDots.m_value = 1;
    options.m_minorDot.m_value = 7; // minor points draw nothing
    options.m_majorDot.m_value = 2; // major points are dots
    LayOut(axes, options, r.dc);
    axes.DrawGrid(r.dc);
    // Major crossings of +-5 and +-10 on both axes, none on an axis.
    EXPECT_EQ(CountKind(r.dc.GetRecords(), KTDCRecordKind::Ellipse), 16u);
}

TEST(KTAxesDraw, BreakMarkAndOriginCircle)
{
    RecordingDC r;
    KTAxes axes;
    KTOptionAxes2 options;
    options.m_xMinShowS.SetValue("5");
    options.m_showOrigin.m_value = 1;
    LayOut(axes, options, r.dc);
    KTAxis& x = axes.m_xAxis;
    ASSERT_EQ(x.m_hasBreak, 1);
    axes.Draw(r.dc);
    const std::vector<KTDCRecord>& records = r.dc.GetRecords();

    // Parallels: the tick at the break point, the line to 3w, two strokes, the line from 5w.
    const CPoint at = x.m_breakAt;
    auto has = [&](CPoint a, CPoint b) {
        return std::any_of(records.begin(), records.end(), [&](const KTDCRecord& rec) {
            return IsLine(rec) && rec.points[0] == a && rec.points[1] == b;
        });
    };
    EXPECT_TRUE(has(CPoint(at.x, at.y + 150), CPoint(at.x, at.y - 150)));
    EXPECT_TRUE(has(at, CPoint(at.x + 300, at.y)));
    EXPECT_TRUE(has(CPoint(at.x + 200, at.y - 150), CPoint(at.x + 400, at.y + 150)));
    EXPECT_TRUE(has(CPoint(at.x + 500, at.y), CPoint(at.x + 900, at.y)));
    EXPECT_EQ(x.m_pixel.left, at.x + 900);

    // The origin circle of radius 150 about the pixel of (0, 0), here the break point's column.
    int circles = 0;
    for (const KTDCRecord& rec : records) {
        if (rec.kind != KTDCRecordKind::Ellipse)
            continue;
        ++circles;
        EXPECT_EQ(rec.points[1].x - rec.points[0].x, 300);
        EXPECT_EQ((rec.points[1].x + rec.points[0].x) / 2, x.ValueToPixel(0));
    }
    EXPECT_EQ(circles, 1);
}

TEST(KTAxesDraw, TwoHundredLabelsAtMost)
{
    RecordingDC r;
    KTAxes axes;
    KTOptionAxes2 options;
    options.m_xMinShowS.SetValue("0");
    options.m_xMaxShowS.SetValue("1000");
    options.m_autoxMajor.m_value = 0;
    options.m_xMajorS.SetValue("1");
    options.m_showyScale.m_value = 0;
    options.m_showxTicks.m_value = 0;
    options.m_showyTicks.m_value = 0;
    // An axis long enough (20 m) that the labels of its 1000 steps stand apart; on a shorter one
    // only some are shown.
    axes.Layout(0, 0, 2000000, -11000, 0, 0, 0, 0, options, r.dc);
    axes.m_xAxis.Draw(r.dc);
    std::set<int> labelled;
    for (const KTDCRecord& rec : r.dc.GetRecords())
        if (rec.kind == KTDCRecordKind::Text && rec.text != "x")
            labelled.insert(std::stoi(rec.text.str()));
    ASSERT_EQ(labelled.size(), 200u);
    EXPECT_EQ(*labelled.begin(), 1);
    EXPECT_EQ(*labelled.rbegin(), 200);
}

TEST(KTAxesDraw, PicturesOfLinearLogarithmicAndPolarAxes)
{
    const PointDecimals decimals;
    struct Picture
    {
        const char* name;
        KTOptionAxes2 options;
    };
    std::vector<Picture> pictures(7);
    pictures[0].name = "linear_grid.png";
    pictures[0].options.m_showGrid.m_value = 1;
    pictures[0].options.m_xNotateMid.SetValue("time");
    pictures[0].options.m_yNotateMid.SetValue("distance");
    pictures[1].name = "log_grid.png";
    pictures[1].options.m_showGrid.m_value = 1;
    pictures[1].options.m_yLogScale.m_value = 1;
    pictures[1].options.m_yMinShowS.SetValue("1");
    pictures[1].options.m_yMaxShowS.SetValue("1000");
    pictures[1].options.m_xMinShowS.SetValue("0");
    pictures[1].options.m_xMaxShowS.SetValue("2pi");
    pictures[2].name = "polar_grid.png";
    pictures[2].options.m_showGrid.m_value = 1;
    pictures[2].options.m_usePolarGrid.m_value = 1;
    pictures[2].options.m_scaleRestriction.m_value = 1;
    pictures[2].options.m_showOrigin.m_value = 1;
    pictures[3].name = "break_pi.png";
    pictures[3].options.m_showGrid.m_value = 1;
    pictures[3].options.m_showGridDots.m_value = 1;
    pictures[3].options.m_xMinShowS.SetValue("-2pi");
    pictures[3].options.m_xMaxShowS.SetValue("2pi");
    pictures[3].options.m_yMinShowS.SetValue("5");
    pictures[3].options.m_yMaxShowS.SetValue("10");

    pictures[4].name = "negative_breaks.png";
    pictures[4].options.m_xMinShowS.SetValue("-10");
    pictures[4].options.m_xMaxShowS.SetValue("-6");
    pictures[4].options.m_yMinShowS.SetValue("-10");
    pictures[4].options.m_yMaxShowS.SetValue("-7");
    pictures[4].options.m_breakType.m_value = KTBREAKTYPE_ZED;
    pictures[5].name = "negative_no_breaks.png";
    pictures[5].options = pictures[4].options;
    pictures[5].options.m_allowBreakScales.m_value = 0;
    pictures[5].options.m_showGrid.m_value = 1;
    pictures[5].options.m_blankUnderScale.m_value = 1;

    pictures[6].name = "degrees_pi.png";
    pictures[6].options.m_xMinShowS.SetValue("0");
    pictures[6].options.m_xMaxShowS.SetValue("360");
    pictures[6].options.m_yMinShowS.SetValue("-2pi");
    pictures[6].options.m_yMaxShowS.SetValue("2pi");
    pictures[6].options.m_tickStyle.m_value = 2;

    const QString folder = PictureFolder();
    for (const Picture& picture : pictures) {
        const QImage image = DrawToImage(picture.options);
        ASSERT_TRUE(image.save(folder + "/" + picture.name)) << picture.name;
        // Something was drawn, and not everything.
        const int dark = DarkPixels(image, 0, 0, image.width() - 1, image.height() - 1);
        EXPECT_GT(dark, 2000) << picture.name;
        EXPECT_LT(dark, image.width() * image.height() / 4) << picture.name;
    }
}

TEST(KTAxesDraw, LinesTicksAndLabelsLandOnThePixelsOfAnImage)
{
    KTOptionAxes2 options;
    options.m_showGrid.m_value = 1;
    const QImage image = DrawToImage(options);
    // Lay out again on a like image to learn where the mapping puts things, in device pixels.
    QImage probe(image.width(), image.height(), QImage::Format_RGB32);
    probe.setDotsPerMeterX(image.dotsPerMeterX());
    probe.setDotsPerMeterY(image.dotsPerMeterY());
    KTDC dc(&probe);
    dc.SetMapMode(MM_HIMETRIC);
    KTAxes axes;
    LayOut(axes, options, dc);
    auto device = [&](double x, double y) {
        CPoint p(axes.m_xAxis.ValueToPixel(x), axes.m_yAxis.ValueToPixel(y));
        dc.LPtoDP(&p);
        return p;
    };
    const CPoint origin = device(0, 0);
    const CPoint five = device(5, 5);
    const CPoint eight = device(8, 8);
    // The axis lines and the solid major grid lines at 5 are dark along their length.
    EXPECT_GT(DarkPixels(image, origin.x + 5, origin.y - 1, eight.x, origin.y + 1), (eight.x - origin.x) / 2);
    EXPECT_GT(DarkPixels(image, origin.x - 1, eight.y, origin.x + 1, origin.y - 5), (origin.y - eight.y) / 2);
    EXPECT_GT(DarkPixels(image, five.x - 1, eight.y, five.x + 1, origin.y - 20),
              (origin.y - 20 - eight.y) / 2);
    // Between grid lines the picture is white.
    const CPoint between = device(5.5, 5.5);
    EXPECT_EQ(DarkPixels(image, between.x - 3, between.y - 3, between.x + 3, between.y + 3), 0);
    // The label "5" stands under its tick: ink just below the axis, centred on x = 5.
    const int below = device(0, -0.9).y; // above the grid line at y = -1
    EXPECT_GT(DarkPixels(image, five.x - 8, origin.y + 8, five.x + 8, below), 10);
    EXPECT_EQ(DarkPixels(image, device(5.5, 0).x - 4, origin.y + 8, device(5.5, 0).x + 4, below), 0);
}

namespace {

std::vector<std::string> Texts(const std::vector<KTAxisLabel>& labels)
{
    std::vector<std::string> texts;
    for (const KTAxisLabel& label : labels)
        texts.push_back(label.text.str());
    return texts;
}

/// The value a label reads as: plain decimals, or a mantissa times a power of ten ("5*10^-7").
double ReadLabel(const CString& text)
{
    std::string s = text.str();
    const std::size_t power = s.find("*10^");
    if (power != std::string::npos)
        s.replace(power, 4, "e");
    std::size_t used = 0;
    const double value = std::stod(s, &used);
    return used == s.size() ? value : std::nan("");
}

/// The open arrowheads of an axis as boxes: back along the axis by ArrowSize x ArrowRatio, out
/// to either side by ArrowSize, at each end that has one.
std::vector<CRect> ArrowBoxes(const KTAxis& axis)
{
    const int arrow = axis.m_options.m_arrowSize.m_value;
    const int length = static_cast<int>(arrow * axis.m_options.m_arrowRatio.m_value);
    std::vector<CRect> boxes;
    const auto at = [&](int end, int inwards) {
        CRect box =
            axis.m_isX
                ? CRect(end, axis.m_pixel.top - arrow, end + inwards * length, axis.m_pixel.top + arrow)
                : CRect(axis.m_pixel.left - arrow, end, axis.m_pixel.left + arrow, end + inwards * length);
        box.NormalizeRect();
        boxes.push_back(box);
    };
    const int direction = axis.PixelHigh() >= axis.PixelLow() ? 1 : -1;
    if (axis.m_max > 0.0)
        at(axis.PixelHigh(), -direction);
    if (axis.m_min < 0.0)
        at(axis.PixelLow(), direction);
    return boxes;
}

bool Overlap(const CRect& a, const CRect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

} // namespace

// Every view a user can reach by zooming, from +-1e-12 to +-1e12 and off-centre, in every window
// size: each axis shows at least two labels, every label reads back as the value of its tick
// (so no two are alike), and no label touches another or an arrowhead.
TEST(KTAxesDraw, LabelsReadBackAndStandClearAtEveryScaleAndSize)
{
    const PointDecimals decimals;
    struct View
    {
        double min;
        double max;
    };
    std::vector<View> views;
    // (Typed ends of 1e12 and more are not numbers to the program.)
    for (int e = -12; e <= 11; ++e)
        views.push_back({-std::pow(10.0, e), std::pow(10.0, e)});
    views.push_back({-9.99e11, 9.99e11});
    const View offCentre[] = {
        {1e6, 1e6 + 1e-3},    {1e6, 1e6 + 1.0}, {-3e-7, 2e-6}, {1e-6, 1e-6 + 1e-9}, {123456.7, 123456.71},
        {-9e11, -9e11 + 1e6}, {2.5e11, 7.5e11}, {0.0, 3e-9},   {-40.0, 1000.0},     {999.99, 1000.01},
    };
    views.insert(views.end(), std::begin(offCentre), std::end(offCentre));
    const CSize sizes[] = {{500, 400},  {640, 480},  {800, 600},   {836, 565},
                           {1024, 768}, {1366, 768}, {1600, 1200}, {2560, 1600}};

    for (const CSize& size : sizes) {
        KTDC dc(96, 96, size);
        dc.SetMapMode(MM_HIMETRIC);
        const int width = size.cx * 2540 / 96;
        const int height = size.cy * 2540 / 96;
        for (const View& view : views) {
            KTOptionAxes2 options;
            const CString min = KTNumberFormat().Format(view.min, 20);
            const CString max = KTNumberFormat().Format(view.max, 20);
            options.m_xMinShowS.SetValue(min);
            options.m_xMaxShowS.SetValue(max);
            options.m_yMinShowS.SetValue(min);
            options.m_yMaxShowS.SetValue(max);
            KTAxes axes;
            axes.Layout(0, 0, width, -height, 0, 0, 0, 0, options, dc);
            const std::string where =
                std::to_string(size.cx) + "x" + std::to_string(size.cy) + " " + min.str() + ".." + max.str();
            // Pictures of a few, to look at: the report's views, the smallest and a wide window.
            const bool pictured =
                (size.cx == 500 || size.cx == 1366) &&
                (view.max == 1e-6 || view.max == 1e-8 || view.max == 10.0 || view.max == 1000.0 ||
                 view.max == 1e11 || view.min == 1e6 || view.min == -40.0);
            if (pictured) {
                QImage image(size.cx, size.cy, QImage::Format_RGB32);
                image.fill(Qt::white);
                image.setDotsPerMeterX(3780);
                image.setDotsPerMeterY(3780);
                {
                    KTDC picture(&image);
                    picture.SetMapMode(MM_HIMETRIC);
                    KTAxes drawn;
                    drawn.Layout(0, 0, width, -height, 0, 0, 0, 0, options, picture);
                    drawn.Draw(picture);
                }
                const QString name = QString("labels_%1x%2_%3.png")
                                         .arg(size.cx)
                                         .arg(size.cy)
                                         .arg(QString::fromLatin1(max.str().c_str()));
                image.save(PictureFolder() + "/" + name);
            }
            for (KTAxis* axis : {&axes.m_xAxis, &axes.m_yAxis}) {
                const std::vector<KTPlacedLabel> labels = axis->PlaceLabels(dc);
                const double step = KTStepValue(axis->m_majorText);
                EXPECT_GE(labels.size(), 2u) << where << (axis->m_isX ? " x" : " y");
                // The view typed is the view shown: its ends lie within the axis, the margins
                // no wider than a sixteenth of it, with a break mark, or out to 0 and a sixteenth.
                const double slack = 1e-9 * (view.max - view.min);
                EXPECT_LE(axis->m_min, view.min + slack) << where;
                EXPECT_GE(axis->m_max, view.max - slack) << where;
                const std::vector<CRect> arrows = ArrowBoxes(*axis);
                for (std::size_t i = 0; i < labels.size(); ++i) {
                    const KTPlacedLabel& label = labels[i];
                    const double read = ReadLabel(label.text);
                    EXPECT_NEAR(read, label.value, 1e-6 * step) << where << " " << label.text.str();
                    EXPECT_NEAR(std::remainder(label.value, step), 0.0, 1e-6 * step) << where;
                    if (i > 0) {
                        EXPECT_FALSE(Overlap(label.box, labels[i - 1].box))
                            << where << " " << labels[i - 1].text.str() << " " << label.text.str();
                    }
                    for (const CRect& arrow : arrows)
                        EXPECT_FALSE(Overlap(label.box, arrow)) << where << " " << label.text.str();
                    EXPECT_GE(label.box.left, 0) << where << " " << label.text.str();
                    EXPECT_LE(label.box.right, width) << where << " " << label.text.str();
                }
            }
        }
    }
}

// The views of the report, with the labels worked out by hand: a step of an eighth of the range
// taken up to 1, 2 or 5 of its decade.
TEST(KTAxesDraw, LabelTextsOfLargeAndTinyViews)
{
    const PointDecimals decimals;
    struct Row
    {
        const char* min;
        const char* max;
        std::vector<std::string> labels;
    };
    const auto check = [](const Row& row) {
        KTOptionAxes2 options;
        options.m_xMinShowS.SetValue(row.min);
        options.m_xMaxShowS.SetValue(row.max);
        KTAxes axes;
        RecordingDC r;
        LayOut(axes, options, r.dc);
        EXPECT_EQ(Texts(KTLinearAxisLabels(axes.m_xAxis, false)), row.labels) << row.min << ".." << row.max;
    };
    const Row rows[] = {
        {"-0.000001", "0.000001", {"-1*10^-6", "-5*10^-7", "5*10^-7", "1*10^-6"}},
        {"-0.00000001", "0.00000001", {"-1*10^-8", "-5*10^-9", "5*10^-9", "1*10^-8"}},
        {"-0.000000000001", "0.000000000001", {"-1*10^-12", "-5*10^-13", "5*10^-13", "1*10^-12"}},
        {"-0.0001", "0.0001", {"-0.0001", "-0.00005", "0.00005", "0.0001"}},
        {"-1000000", "1000000", {"-1000000", "-500000", "500000", "1000000"}},
        {"-100000000", "100000000", {"-1*10^8", "-5*10^7", "5*10^7", "1*10^8"}},
        {"-100000000000", "100000000000", {"-1*10^11", "-5*10^10", "5*10^10", "1*10^11"}},
        {"0", "0.000003", {"5*10^-7", "1*10^-6", "1.5*10^-6", "2*10^-6", "2.5*10^-6", "3*10^-6"}},
        // A break keeps the view; its labels need all their digits.
        {"1000000",
         "1000000.001",
         {"1000000", "1000000.0002", "1000000.0004", "1000000.0006", "1000000.0008", "1000000.001"}},
    };
    for (const Row& row : rows)
        check(row);

    // With decimal commas, in the plain digits and in the mantissas alike.
    const kttest::LocaleScope commas(',', ';');
    const Row commaRows[] = {
        {"0", "0,000003", {"5*10^-7", "1*10^-6", "1,5*10^-6", "2*10^-6", "2,5*10^-6", "3*10^-6"}},
        {"-0,5", "0,5", {"-0,4", "-0,2", "0,2", "0,4"}},
    };
    for (const Row& row : commaRows)
        check(row);
    KTOptionAxes2 options;
    options.m_xMinShowS.SetValue("0");
    options.m_xMaxShowS.SetValue("0,000003");
    ASSERT_TRUE(DrawToImage(options).save(PictureFolder() + "/labels_commas.png"));
}
