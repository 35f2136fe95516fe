// Paints the three reference documents into pictures under the build folder, for a person to
// look at, and checks what can be checked of them by machine.

#include "KTReferenceGraphs.h"
#include "platform/KTLineRaster.h"
#include "support/KTTestSupport.h"

#include <QColor>
#include <QDir>

#include <gtest/gtest.h>

namespace {

int CountNonWhite(const QImage& image)
{
    return image.width() * image.height() - kttest::CountPixelsOfColour(image, qRgb(255, 255, 255));
}

int CountDiffering(const QImage& a, const QImage& b)
{
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            count += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
    return count;
}

/// The reference drawing paths, on while it lives.
struct ReferencePaths
{
    ReferencePaths()
    {
        KTLineRaster::SetReferencePath(true);
        KTFunction3::SetReferenceFamilyPath(true);
    }
    ~ReferencePaths()
    {
        KTLineRaster::SetReferencePath(false);
        KTFunction3::SetReferenceFamilyPath(false);
    }
    ReferencePaths(const ReferencePaths&) = delete;
    ReferencePaths& operator=(const ReferencePaths&) = delete;
};

QImage Paint(const kttest::ReferenceGraph& reference, int dpi)
{
    KTGraph3 graph;
    reference.build(graph);
    QImage image(1600, 1200, QImage::Format_RGB32);
    kttest::PaintGraph(graph, image, dpi);
    return image;
}

} // namespace

TEST(KTReferenceGraphs, PaintsRecognisablePictures)
{
    const QString folder = QStringLiteral(KT_GRAPH_PICTURE_DIR);
    QDir().mkpath(folder);
    for (const kttest::ReferenceGraph& reference : kttest::kReferenceGraphs) {
        KTGraph3 graph;
        reference.build(graph);
        QImage image(1600, 1200, QImage::Format_RGB32);
        kttest::PaintGraph(graph, image);
        EXPECT_EQ(graph.Data().m_dirty, 0) << reference.name;
        const QString path =
            folder + QStringLiteral("/graph-") + QString::fromLatin1(reference.name) + QStringLiteral(".png");
        EXPECT_TRUE(image.save(path)) << path.toStdString();

        // Something is drawn, but far from all of it.
        const int inked = CountNonWhite(image);
        EXPECT_GT(inked, 20000) << reference.name;
        EXPECT_LT(inked, 1600 * 1200 / 2) << reference.name;

        // A redraw without recalculation paints the same picture.
        QImage again(1600, 1200, QImage::Format_RGB32);
        kttest::PaintGraph(graph, again);
        EXPECT_TRUE(again == image) << reference.name;
    }
}

TEST(KTReferenceGraphs, RegionDocumentShowsItsFill)
{
    KTGraph3 graph;
    kttest::BuildFeasibleRegion(graph);
    QImage image(1600, 1200, QImage::Format_RGB32);
    kttest::PaintGraph(graph, image);
    ASSERT_TRUE(graph.RegionIsPolygon());
    EXPECT_EQ(graph.RegionCount(), 1);
    // The feasible region's grey and both integrals' colours are on the picture.
    EXPECT_GT(kttest::CountPixelsOfColour(image, qRgb(200, 200, 200)), 10000);
    EXPECT_GT(kttest::CountPixelsOfColour(image, qRgb(150, 200, 255)), 1000);
    EXPECT_GT(kttest::CountPixelsOfColour(image, qRgb(255, 200, 150)), 1000);
    EXPECT_EQ(graph.Data().m_derivatives.GetCount(), 2);
}

TEST(KTReferenceGraphs, FastDrawingPaintsWhatTheReferencePathsPaint)
{
    // Every shortcut of the drawing (vector arithmetic in the line rasteriser, family members
    // analysed only as far as their drawing reads) must leave the pictures of the three
    // documents as they are, to the last bit, on screen and on paper.
    for (const kttest::ReferenceGraph& reference : kttest::kReferenceGraphs) {
        for (const int dpi : {96, 300}) {
            const QImage fast = Paint(reference, dpi);
            QImage slow;
            {
                const ReferencePaths paths;
                slow = Paint(reference, dpi);
            }
            EXPECT_EQ(CountDiffering(fast, slow), 0) << reference.name << " at " << dpi << " dpi";
            EXPECT_GT(CountNonWhite(fast), 20000) << reference.name << " at " << dpi << " dpi";
        }
    }
}

TEST(KTReferenceGraphs, FamilyMembersDrawTheirAsymptotesAndDerivativesAsInFull)
{
    // Members of y = f(x) whose drawing reads what the analysis finds: the slopes of both
    // derivative curves, a vertical asymptote at x = a and a horizontal one at y = a.
    const auto build = [](KTGraph3& graph) {
        kttest::UseRadians(graph);
        kttest::SetFunctions(graph, {"y=1/(x-a)+a", "y=a*sin(x)"});
        for (int slot = 0; slot < 2; ++slot) {
            KTFunctionData3& data = graph.Data().Function(slot).Data();
            data.m_options.m_vAsym.m_value = 1;
            data.m_options.m_hAsym.m_value = 1;
            data.m_showFirstDerivative = 1;
            data.m_showSecondDerivative = 1;
        }
        graph.SetConstantRange("a", -4.0, 4.0, 2.0);
        graph.Data().m_family = 1;
        graph.SetDirty();
    };
    const kttest::ReferenceGraph reference{"asymptote-family", build};
    for (const int dpi : {96, 300}) {
        const QImage fast = Paint(reference, dpi);
        QImage slow;
        {
            const ReferencePaths paths;
            slow = Paint(reference, dpi);
        }
        EXPECT_EQ(CountDiffering(fast, slow), 0) << dpi << " dpi";
        EXPECT_GT(CountNonWhite(fast), 20000) << dpi << " dpi";
    }
}
