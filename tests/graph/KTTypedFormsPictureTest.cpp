// Typed forms painted as the view paints them: the curves lie where their closed forms put
// them. Chained divisions, and products equal to zero with both their lines. The pictures are
// written under the build folder for a person to look at.

#include "KTReferenceGraphs.h"

#include <QDir>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <utility>

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

/// A graph painted on -range..range on both axes into a 1200 x 1200 image, with its mapping kept.
class Picture
{
public:
    explicit Picture(std::initializer_list<std::pair<const char*, COLORREF>> functions, double range = 10.0)
        : m_image(1200, 1200, QImage::Format_RGB32), m_dc(&m_image)
    {
        int slot = 0;
        for (const auto& [text, colour] : functions) {
            KTFunctionData3& data = m_graph.Data().Function(slot++).Data();
            data.m_equationText = text;
            data.m_options.m_pen.m_value.m_color = colour;
        }
        m_graph.Data().m_options.m_axes.m_angleSystem.m_value = 1;
        m_image.fill(Qt::white);
        m_dc.SetResolution(300, 300);
        m_dc.SetMapMode(MM_HIMETRIC);
        m_graph.SetDirty();
        m_graph.ComputeDataExtents();
        m_graph.SetArea(0, 0, m_image.width() * HIMETRIC_INCH / 300, -m_image.height() * HIMETRIC_INCH / 300);
        // The ranges typed as Axes Properties stores them, so that the layout places the ticks
        // and their labels for them.
        KTOptionAxes2& axes = m_graph.Data().m_options.m_axes;
        const CString low = CString("-") + QByteArray::number(range).constData();
        const CString high = QByteArray::number(range).constData();
        for (KTOptionBool* automatic : {&axes.m_autoMinx, &axes.m_autoMaxx, &axes.m_autoMiny, &axes.m_autoMaxy})
            automatic->m_value = 0;
        for (KTOptionString* text : {&axes.m_xMinShowS, &axes.m_yMinShowS})
            text->SetValue(low);
        for (KTOptionString* text : {&axes.m_xMaxShowS, &axes.m_yMaxShowS})
            text->SetValue(high);
        m_graph.Layout(m_dc);
        m_graph.Recalculate(nullptr);
        m_graph.Draw(m_dc, nullptr);
    }

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

} // namespace
