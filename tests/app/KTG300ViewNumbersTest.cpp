// What a user reads off a new document's view: the labels of the points of interest, of the
// intersections and of the integrals, at the sample positions that an 800 x 600 and a 1600 x 1200
// window lay out, with the default axes or with ranges typed into the axes options. Every value
// is a closed form (python3 gave the label texts); a tangent whose line leaves the view draws
// nothing.

#include "app/KTG300View.h"

#include "app/KTG300Doc.h"
#include "engine/KTFunction3.h"
#include "graph/KTGraph3.h"
#include "platform/KTDC.h"
#include "support/KTTestSupport.h"
#include "ui/KTDerivativeDlg.h"
#include "ui/KTIntegralDlg.h"

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
const double kRoot2 = std::sqrt(2.0);
const double kRoot3 = std::sqrt(3.0);
const double kE = std::exp(-0.5); // e^(-x^2) where it bends the other way

const QSize kSizes[] = {{800, 600}, {1600, 1200}};

/// A new document, its angles in radians, its ranges typed ("xmin xmax ymin ymax") or the
/// default ones (nullptr), and the functions typed into its first slots.
void Prepare(KTG300Doc& document, const char* ranges, std::initializer_list<const char*> functions)
{
    document.OnNewDocument();
    KTGraph3& graph = document.Graph();
    KTOptionAxes2& axes = graph.Data().m_options.m_axes;
    axes.m_angleSystem.m_value = 1;
    if (ranges) {
        char typed[4][32] = {};
        ASSERT_EQ(std::sscanf(ranges, "%31s %31s %31s %31s", typed[0], typed[1], typed[2], typed[3]), 4);
        axes.m_autoMinx.m_value = axes.m_autoMaxx.m_value = axes.m_autoMiny.m_value = axes.m_autoMaxy.m_value = 0;
        axes.m_xMinShowS.SetValue(typed[0]);
        axes.m_xMaxShowS.SetValue(typed[1]);
        axes.m_yMinShowS.SetValue(typed[2]);
        axes.m_yMaxShowS.SetValue(typed[3]);
    }
    int slot = 0;
    for (const char* text : functions)
        graph.Data().Function(slot++).Data().m_equationText = text;
    graph.SetDirty();
}

/// One paint of the view at the size, into an image (the view lays the graph out and
/// recalculates it as on the screen).
QImage Paint(KTG300View& view, QSize size)
{
    view.resize(size);
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::white);
    KTDC dc(&image);
    view.OnDraw(dc);
    return image;
}

struct Shown
{
    int kind;
    double x, y;
    const char* label;
};

/// Kinds that are labelled; 3, 5 and 15 are search states that are neither shown nor hit.
const int kLabelledKinds[] = {1, 2, 4, 6, 7, 9, 10, 11, 12, 14, 16, 17, 18};

bool Before(const Shown& a, const Shown& b)
{
    if (a.kind != b.kind)
        return a.kind < b.kind;
    return a.x < b.x - 1e-9 || (a.x <= b.x + 1e-9 && a.y < b.y);
}

/// The labelled markers of the slot, sorted, each point once (a polar curve passes its points
/// twice), with the texts their labels show.
std::vector<Shown> ShownMarkers(KTGraph3& graph, int slot, std::vector<std::string>& labels)
{
    const KTMarkerList& markers = graph.Data().Function(slot).m_markers;
    std::vector<std::pair<Shown, std::string>> found;
    for (int i = 0; i < markers.m_count && i < markers.Held(); ++i) {
        const KTMarker& m = markers.m_markers[static_cast<std::size_t>(i)];
        if (std::find(std::begin(kLabelledKinds), std::end(kLabelledKinds), m.m_kind) == std::end(kLabelledKinds))
            continue;
        found.push_back({{m.m_kind, m.m_point.m_x, m.m_point.m_y, nullptr},
                         m.LabelText(graph.Data().m_options.m_poi).str()});
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return Before(a.first, b.first); });
    found.erase(std::unique(found.begin(), found.end(),
                            [](const auto& a, const auto& b) {
                                return a.first.kind == b.first.kind && std::fabs(a.first.x - b.first.x) <= 1e-9 &&
                                       std::fabs(a.first.y - b.first.y) <= 1e-9;
                            }),
                found.end());
    std::vector<Shown> points;
    labels.clear();
    for (const auto& [point, label] : found) {
        points.push_back(point);
        labels.push_back(label);
    }
    return points;
}

/// Distance from t to the nearest sample of the slot's first branch, in samples.
double SamplesAway(KTGraph3& graph, int slot, double t)
{
    const KTCurvePointBuffer& buffer = *graph.Data().Function(slot).m_buffer1;
    double nearest = HUGE_VAL;
    for (int i = 0; i < buffer.m_count; ++i)
        nearest = std::min(nearest, std::fabs(buffer.m_points[static_cast<std::size_t>(i)].m_point.m_x - t));
    const KTAxis& x = graph.Axes().m_xAxis;
    return nearest / ((x.m_max - x.m_min) / (buffer.m_count - 1));
}

} // namespace

TEST(KTG300ViewNumbers, PointsOfInterestAreLabelledWithTheirClosedForms)
{
    const kttest::LocaleScope locale;
    struct Row
    {
        const char* text;
        const char* ranges; ///< typed, or nullptr for a new document's
        std::vector<Shown> shown;
        bool offSample = false; ///< the ranges put no sample on an answer (checked)
    };
    const std::vector<Shown> atOrigin3 = {{1, 0, 0, "( 0 , 0 )"}, {2, 0, 0, "( 0 , 0 )"}, {4, 0, 0, "( 0 , 0 )"}};
    // x^4 touches the axis at its minimum: a root there too.
    const std::vector<Shown> minimum4 = {{1, 0, 0, "( 0 , 0 )"}, {2, 0, 0, "( 0 , 0 )"}, {7, 0, 0, "( 0 , 0 )"}};
    const std::vector<Shown> bendsAtOrigin = {{1, 0, 0, "( 0 , 0 )"}, {2, 0, 0, "( 0 , 0 )"}, {12, 0, 0, "( 0 , 0 )"}};
    // sin and tan share their zeros on -10..10: the roots and the points where they bend.
    const std::vector<Shown> multiplesOfPi = {{1, 0, 0, "( 0 , 0 )"},
                                              {2, -3 * kPi, 0, "( -9.424778 , 0 )"},
                                              {2, -2 * kPi, 0, "( -6.283185 , 0 )"},
                                              {2, -kPi, 0, "( -3.141593 , 0 )"},
                                              {2, 0, 0, "( 0 , 0 )"},
                                              {2, kPi, 0, "( 3.141593 , 0 )"},
                                              {2, 2 * kPi, 0, "( 6.283185 , 0 )"},
                                              {2, 3 * kPi, 0, "( 9.424778 , 0 )"},
                                              {12, -3 * kPi, 0, "( -9.425 , 0 )"},
                                              {12, -2 * kPi, 0, "( -6.283 , 0 )"},
                                              {12, -kPi, 0, "( -3.142 , 0 )"},
                                              {12, 0, 0, "( 0 , 0 )"},
                                              {12, kPi, 0, "( 3.142 , 0 )"},
                                              {12, 2 * kPi, 0, "( 6.283 , 0 )"},
                                              {12, 3 * kPi, 0, "( 9.425 , 0 )"}};
    const auto andAlso = [&multiplesOfPi](std::vector<Shown> more) {
        more.insert(more.end(), multiplesOfPi.begin(), multiplesOfPi.end());
        return more;
    };
    const std::vector<Shown> sine = andAlso({{6, -7 * kPi / 2, 1, "( -10.9956 , 1 )"},
                                             {6, -3 * kPi / 2, 1, "( -4.7124 , 1 )"},
                                             {6, kPi / 2, 1, "( 1.5708 , 1 )"},
                                             {6, 5 * kPi / 2, 1, "( 7.854 , 1 )"},
                                             {7, -5 * kPi / 2, -1, "( -7.854 , -1 )"},
                                             {7, -kPi / 2, -1, "( -1.5708 , -1 )"},
                                             {7, 3 * kPi / 2, -1, "( 4.7124 , -1 )"},
                                             {7, 7 * kPi / 2, -1, "( 10.9956 , -1 )"}});
    const std::vector<Row> rows = {
        // A new document's view puts a sample on 0; the typed ranges put none near it.
        {"y=x^3", nullptr, atOrigin3},
        {"y=x^3", "-2.7 7.3 -5 5", atOrigin3, true},
        // The five-point slope of x^5 dips below 0 at a sample on 0: the bend is still found.
        {"y=x^5", nullptr, atOrigin3},
        // On a narrow window the slope walk meets the flat bend twice, as a steepest slope and as
        // a flat turn: both searches end on the one horizontal inflection.
        {"y=x^3", "-0.1 0.1 -0.001 0.001", atOrigin3},
        {"y=x^5", "-2.7 7.3 -5 5", atOrigin3, true},
        {"y=x^4", nullptr, minimum4},
        {"y=x^4", "-2.7 7.3 -5 5", minimum4, true},
        {"y=x^(1/3)", nullptr, bendsAtOrigin},
        {"y=x^(1/3)", "-2.7 7.3 -5 5", bendsAtOrigin, true},
        // Its slope is least at 0, where it bends the other way.
        {"y=x^3+x", nullptr, bendsAtOrigin},
        {"y=x^3+x", "-2.7 7.3 -5 5", bendsAtOrigin, true},
        {"y=x^3-3x",
         nullptr,
         {{1, 0, 0, "( 0 , 0 )"},
          {2, -kRoot3, 0, "( -1.732051 , 0 )"},
          {2, 0, 0, "( 0 , 0 )"},
          {2, kRoot3, 0, "( 1.732051 , 0 )"},
          {6, -1, 2, "( -1 , 2 )"},
          {7, 1, -2, "( 1 , -2 )"},
          {12, 0, 0, "( 0 , 0 )"}}},
        {"y=e^(-x^2)",
         nullptr,
         {{1, 0, 1, "( 0 , 1 )"},
          {6, 0, 1, "( 0 , 1 )"},
          {12, -1 / kRoot2, kE, "( -0.707 , 0.607 )"},
          {12, 1 / kRoot2, kE, "( 0.707 , 0.607 )"},
          {17, 0, 0, "y = 0"}}},
        {"y=sin(x)", nullptr, sine},
        {"y=tan(x)",
         nullptr,
         andAlso({{16, -7 * kPi / 2, 0, "x = -10.9956"},
                  {16, -5 * kPi / 2, 0, "x = -7.854"},
                  {16, -3 * kPi / 2, 0, "x = -4.7124"},
                  {16, -kPi / 2, 0, "x = -1.5708"},
                  {16, kPi / 2, 0, "x = 1.5708"},
                  {16, 3 * kPi / 2, 0, "x = 4.7124"},
                  {16, 5 * kPi / 2, 0, "x = 7.854"},
                  {16, 7 * kPi / 2, 0, "x = 10.9956"}})},
        // A short view: each pole takes some 25 samples of an 800-pixel window to leave it and
        // come back, and 50 of a 1600-pixel one; nothing is marked outside it.
        {"y=tan(x)",
         "-5 5 -5 5",
         {{1, 0, 0, "( 0 , 0 )"},
          {2, -kPi, 0, "( -3.141593 , 0 )"},
          {2, 0, 0, "( 0 , 0 )"},
          {2, kPi, 0, "( 3.141593 , 0 )"},
          {12, -kPi, 0, "( -3.142 , 0 )"},
          {12, 0, 0, "( 0 , 0 )"},
          {12, kPi, 0, "( 3.142 , 0 )"},
          {16, -3 * kPi / 2, 0, "x = -4.7124"},
          {16, -kPi / 2, 0, "x = -1.5708"},
          {16, kPi / 2, 0, "x = 1.5708"},
          {16, 3 * kPi / 2, 0, "x = 4.7124"}}},
        // x = f(y) meets the y axis at the roots of f: y-intercepts.
        {"x=y^2-1", nullptr, {{1, 0, -1, "( 0 , -1 )"}, {1, 0, 1, "( 0 , 1 )"}, {9, -1, 0, ""}, {11, -1, 0, "( -1 , 0 )"}}},
        // The rose turns at its petals' tips and never bends the other way.
        {"r=2sin(3th)",
         nullptr,
         {{14, -kRoot3, 1, "( -1.732 , 1 )"}, {14, 0, -2, "( 0 , -2 )"}, {14, kRoot3, 1, "( 1.732 , 1 )"}}},
    };
    for (const Row& row : rows) {
        for (const QSize size : kSizes) {
            KTG300Doc document;
            Prepare(document, row.ranges, {row.text});
            KTG300View view(document);
            Paint(view, size);
            KTGraph3& graph = document.Graph();
            const KTAxes& axes = graph.Axes();
            const std::string where = std::string(row.text) + " at " + std::to_string(size.width()) + " x " +
                                      std::to_string(size.height()) + " in x " + std::to_string(axes.m_xAxis.m_min) +
                                      ".." + std::to_string(axes.m_xAxis.m_max);
            std::vector<std::string> labels;
            const std::vector<Shown> found = ShownMarkers(graph, 0, labels);
            std::vector<Shown> expected = row.shown;
            std::sort(expected.begin(), expected.end(), Before);
            ASSERT_EQ(found.size(), expected.size()) << where;
            for (std::size_t i = 0; i < found.size(); ++i) {
                const Shown& f = found[i];
                const Shown& e = expected[i];
                ASSERT_EQ(f.kind, e.kind) << where << " marker " << i;
                // An upright asymptote is its x, a level one its y.
                if (e.kind != 17) {
                    EXPECT_NEAR(f.x, e.x, 1e-8) << where << " kind " << e.kind;
                }
                if (e.kind != 16) {
                    EXPECT_NEAR(f.y, e.y, 1e-8) << where << " kind " << e.kind;
                }
                EXPECT_EQ(labels[i], e.label) << where << " kind " << e.kind;
                EXPECT_TRUE(axes.m_xAxis.m_min <= f.x && f.x <= axes.m_xAxis.m_max) << where << " kind " << e.kind;
            }
            if (row.offSample) {
                EXPECT_GT(SamplesAway(graph, 0, 0.0), 0.01) << where;
            }
        }
    }
}

TEST(KTG300ViewNumbers, CornersAreNoInflections)
{
    // Beside a corner the curvature of differences swings through 0 though the curve bends one
    // way on both sides. Every marker shown must be one of the closed forms' points (the
    // corners' minima themselves are not required: no sample walk turns there).
    const kttest::LocaleScope locale;
    struct Row
    {
        const char* text;
        std::function<bool(const Shown&)> real;
    };
    const auto near = [](double a, double b) { return std::fabs(a - b) <= 1e-8; };
    const auto multipleOf = [&](double x, double period, double offset) {
        return near(x, offset + period * std::round((x - offset) / period));
    };
    const Row rows[] = {
        {"y=abs(sin(x))",
         [&](const Shown& m) {
             if (m.kind == 1)
                 return near(m.x, 0) && near(m.y, 0);
             if (m.kind == 2 || m.kind == 7)
                 return multipleOf(m.x, kPi, 0) && near(m.y, 0);
             return m.kind == 6 && multipleOf(m.x, kPi, kPi / 2) && near(m.y, 1);
         }},
        {"y=abs(x^2-1)",
         [&](const Shown& m) {
             if (m.kind == 1 || m.kind == 6)
                 return near(m.x, 0) && near(m.y, 1);
             return (m.kind == 2 || m.kind == 7) && near(std::fabs(m.x), 1) && near(m.y, 0);
         }},
        {"y=abs(x-1)+x/2",
         [&](const Shown& m) {
             if (m.kind == 1)
                 return near(m.x, 0) && near(m.y, 1);
             return m.kind == 7 && near(m.x, 1) && near(m.y, 0.5);
         }},
    };
    for (const Row& row : rows) {
        for (const QSize size : kSizes) {
            KTG300Doc document;
            Prepare(document, nullptr, {row.text});
            KTG300View view(document);
            Paint(view, size);
            std::vector<std::string> labels;
            const std::vector<Shown> found = ShownMarkers(document.Graph(), 0, labels);
            EXPECT_FALSE(found.empty()) << row.text;
            for (std::size_t i = 0; i < found.size(); ++i)
                EXPECT_TRUE(row.real(found[i])) << row.text << " at " << size.width() << ": kind " << found[i].kind
                                                << " " << labels[i];
        }
    }
}

TEST(KTG300ViewNumbers, IntersectionsAreLabelledWithTheirClosedForms)
{
    const kttest::LocaleScope locale;
    const double h = kRoot2 / 2;
    const struct
    {
        const char* first;
        const char* second;
        std::vector<Shown> meet; ///< kind 8, sorted by x
    } rows[] = {
        {"y=x^2", "y=x+2", {{8, -1, 1, "( -1 , 1 )"}, {8, 2, 4, "( 2 , 4 )"}}},
        {"y=x^3", "y=x", {{8, -1, -1, "( -1 , -1 )"}, {8, 0, 0, "( 0 , 0 )"}, {8, 1, 1, "( 1 , 1 )"}}},
        {"y=sin(x)",
         "y=cos(x)",
         {{8, -11 * kPi / 4, -h, "( -8.63938 , -0.707107 )"},
          {8, -7 * kPi / 4, h, "( -5.497787 , 0.707107 )"},
          {8, -3 * kPi / 4, -h, "( -2.356194 , -0.707107 )"},
          {8, kPi / 4, h, "( 0.785398 , 0.707107 )"},
          {8, 5 * kPi / 4, -h, "( 3.926991 , -0.707107 )"},
          {8, 9 * kPi / 4, h, "( 7.068583 , 0.707107 )"},
          {8, 13 * kPi / 4, -h, "( 10.210176 , -0.707107 )"}}},
    };
    for (const auto& row : rows) {
        for (const QSize size : kSizes) {
            KTG300Doc document;
            Prepare(document, nullptr, {row.first, row.second});
            KTG300View view(document);
            Paint(view, size);
            KTGraph3& graph = document.Graph();
            const std::string where =
                std::string(row.first) + " with " + row.second + " at " + std::to_string(size.width());
            const KTMarkerList& list = graph.Intersections();
            std::vector<KTMarker> found(list.m_markers.begin(), list.m_markers.begin() + list.m_count);
            std::sort(found.begin(), found.end(),
                      [](const KTMarker& a, const KTMarker& b) { return a.m_point.m_x < b.m_point.m_x; });
            ASSERT_EQ(found.size(), row.meet.size()) << where;
            for (std::size_t i = 0; i < found.size(); ++i) {
                EXPECT_EQ(found[i].m_kind, KTMarkerIntersection) << where;
                EXPECT_NEAR(found[i].m_point.m_x, row.meet[i].x, 1e-8) << where << " point " << i;
                EXPECT_NEAR(found[i].m_point.m_y, row.meet[i].y, 1e-8) << where << " point " << i;
                EXPECT_EQ(found[i].LabelText(graph.Data().m_options.m_poi).str(), row.meet[i].label) << where;
            }
        }
    }
}

TEST(KTG300ViewNumbers, IntegralsTypedInTheDialogShowTheirClosedForms)
{
    const kttest::LocaleScope locale;
    const struct
    {
        const char* function;
        const char* lower;
        const char* upper;
        const char* integral; ///< the label as the graph shows it
        const char* area;
    } rows[] = {
        {"y=x^2", "-1", "1", "int(-1,1) x^2 \"d\"x  =  0.666667", "\"Area  =  0.6667\""},
        {"y=sin(x)", "0", "pi", "int(0,pi) sin(x) \"d\"x  =  2", "\"Area  =  2\""},
        // Across a sign change: the integral cancels, the area adds.
        {"y=sin(x)", "0", "2pi", "int(0,2pi) sin(x) \"d\"x  =  0", "\"Area  =  4\""},
        {"y=x", "-1", "2", "int(-1,2) x \"d\"x  =  1.5", "\"Area  =  2.5\""},
        {"y=x^3-x", "-2", "1.5", "int(-2,1.5) (x^3-x) \"d\"x  =  -1.859375", "\"Area  =  3.1406\""},
        // Bounds typed as constant expressions: 2 sqrt(2) / 3, 1, 1 - cos(1)...
        {"y=x^2", "0", "sqrt(2)", "int(0,sqrt(2)) x^2 \"d\"x  =  0.942809", "\"Area  =  0.9428\""},
        {"y=cos(x)", "0", "pi/2", "int(0,pi/2) cos(x) \"d\"x  =  1", "\"Area  =  1\""},
        {"y=x", "0", "2^3", "int(0,2^3) x \"d\"x  =  32", "\"Area  =  32\""},
    };
    for (const auto& row : rows) {
        for (const QSize size : kSizes) {
            KTG300Doc document;
            Prepare(document, nullptr, {row.function});
            KTG300View view(document);
            Paint(view, size);
            const auto previous = KTIntegralDlg::SetModalHook([&row](KTIntegralDlg& d) {
                for (const auto& [edit, text] : {std::pair{d.LowerEdit(), row.lower}, {d.UpperEdit(), row.upper}}) {
                    edit->setFocus();
                    edit->selectAll();
                    QTest::keyClick(edit, Qt::Key_Delete);
                    QTest::keyClicks(edit, QString::fromLatin1(text));
                }
                d.SecondList()->setCurrentIndex(0); // the x axis
                d.OkButton()->click();
                EXPECT_TRUE(d.MessageLabel()->text().isEmpty()) << row.upper;
                return d.result();
            });
            view.OnIntegral();
            KTIntegralDlg::SetModalHook(previous);
            Paint(view, size);
            const KTIntegralList& list = document.Graph().Data().m_integrals;
            ASSERT_EQ(list.GetCount(), 1) << row.function;
            const KTIntegralFunction& integral = list.GetAt(0);
            EXPECT_TRUE(integral.m_regionValid) << row.function << " " << row.upper;
            EXPECT_EQ(integral.m_integralText.str(), row.integral);
            EXPECT_EQ(integral.m_areaText.str(), row.area) << row.function << " " << row.upper;
        }
    }
}

TEST(KTG300ViewNumbers, ATangentWhoseLineLeavesTheViewDrawsNothing)
{
    // y = x^2 touched at 1: y = 2x - 1, from -21.5 to 21.5 over a new document's x range.
    const struct
    {
        const char* ranges;
        bool drawn;
    } rows[] = {
        {nullptr, true}, {"-10 10 30 40", false}, {"-10 10 -60 -30", false}, {"-10 10 15 25", true},
    };
    for (const auto& row : rows) {
        for (const QSize size : kSizes) {
            KTG300Doc plain;
            Prepare(plain, row.ranges, {"y=x^2"});
            KTG300View plainView(plain);
            const QImage without = Paint(plainView, size);

            KTG300Doc document;
            Prepare(document, row.ranges, {"y=x^2"});
            KTG300View view(document);
            Paint(view, size);
            const auto previous = KTDerivativeDlg::SetModalHook([](KTDerivativeDlg& d) {
                d.XEdit()->setText(QStringLiteral("1"));
                d.OkButton()->click();
                return d.result();
            });
            view.OnTangentLine();
            KTDerivativeDlg::SetModalHook(previous);
            ASSERT_EQ(document.Graph().Data().m_derivatives.GetCount(), 1);
            const QImage with = Paint(view, size);
            int changed = 0;
            for (int y = 0; y < with.height(); ++y)
                for (int x = 0; x < with.width(); ++x)
                    changed += with.pixel(x, y) != without.pixel(x, y) ? 1 : 0;
            const std::string where = std::string(row.ranges ? row.ranges : "new") + " at " +
                                      std::to_string(size.width());
            if (row.drawn) {
                EXPECT_GT(changed, size.height() / 4) << where;
            } else {
                EXPECT_EQ(changed, 0) << where; // not along an edge either
            }
        }
    }
}

TEST(KTG300ViewNumbers, AnAnnotationWhosePointIsGoneKeepsItsTextAndPlace)
{
    // An annotation follows the root (1, 0) of y=x^2-1; typed anew as y=x^2+1 the curve has no
    // root, and the annotation keeps what it said and where it pointed instead of going blank at
    // the origin. Typed back, it follows the root again.
    KTG300Doc document;
    Prepare(document, nullptr, {"y=x^2-1"});
    KTGraph3& graph = document.Graph();
    KTG300View view(document);
    Paint(view, kSizes[0]);
    const KTMarkerList& markers = graph.Data().Function(0).m_markers;
    const KTMarker* root = nullptr;
    for (int k = 0; k < markers.m_count; ++k) {
        const KTMarker& m = markers.m_markers[static_cast<std::size_t>(k)];
        if (std::fabs(m.m_point.m_x - 1.0) < 1e-8 && std::fabs(m.m_point.m_y) < 1e-8)
            root = &m;
    }
    ASSERT_NE(root, nullptr);
    KTGAnnotation annotation;
    annotation.m_bound = 1;
    annotation.m_boundCode = root->m_kind;
    annotation.m_boundFunction = 0;
    annotation.m_boundId1 = root->m_position;
    annotation.m_boundId2 = -1;
    annotation.m_anchorPosition = root->m_point;
    annotation.m_text.AddText("The root");
    document.m_annotations.Add(annotation);

    const auto shown = [&document] { return document.m_annotations.m_annotations.at(0); };
    graph.Data().Function(0).Data().m_equationText = "y=x^2+1";
    graph.SetDirty();
    Paint(view, kSizes[0]);
    ASSERT_EQ(shown().m_text.GetLineCount(), 1);
    EXPECT_EQ(shown().m_text.LineText(0), CString("The root"));
    EXPECT_NEAR(shown().m_anchorPosition.m_x, 1.0, 1e-8);
    EXPECT_NEAR(shown().m_anchorPosition.m_y, 0.0, 1e-8);

    graph.Data().Function(0).Data().m_equationText = "y=x^2-1";
    graph.SetDirty();
    Paint(view, kSizes[0]);
    // Named as the tip names the point.
    ASSERT_EQ(shown().m_text.GetLineCount(), 2);
    EXPECT_EQ(shown().m_text.LineText(0), CString("x Intercept"));
    EXPECT_EQ(shown().m_text.LineText(1), CString("( 1 , 0 )"));
    EXPECT_NEAR(shown().m_anchorPosition.m_x, 1.0, 1e-8);
}
