#include "KTCurveReferenceSet.h"

#include "platform/KTDC.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>

#include <gtest/gtest.h>

#include <memory>

// Draws the reference curves into images under the build folder ("curve-references" beside the
// test program) for a person to look at, and checks that each drew its colour.
TEST(CurveReferences, DrawIntoImages)
{
    KTAxes axes;
    kttest::SetReferenceAxes(axes);
    std::vector<kttest::CurveReference> set = kttest::MakeCurveReferences(axes);
    ASSERT_EQ(set.size(), 10u);

    const QString folder = QCoreApplication::applicationDirPath() + "/curve-references";
    ASSERT_TRUE(QDir().mkpath(folder));
    QImage all(1600, 1200, QImage::Format_RGB32);
    auto allDc = std::make_unique<KTDC>(&all);
    kttest::PreparePage(all, *allDc, axes);

    QImage blank(1600, 1200, QImage::Format_RGB32);
    {
        KTDC dc(&blank);
        kttest::PreparePage(blank, dc, axes);
    }

    for (kttest::CurveReference& reference : set) {
        QImage image(1600, 1200, QImage::Format_RGB32);
        {
            KTDC dc(&image);
            kttest::PreparePage(image, dc, axes);
            kttest::CalculateReference(reference);
            kttest::DrawReference(reference, dc);
            kttest::DrawReference(reference, *allDc);
        }
        // Every curve of the set runs through much of the page.
        EXPECT_GT(kttest::InkBetween(image, blank), 1000) << reference.name;
        EXPECT_TRUE(image.save(folder + "/" + reference.name + ".png")) << reference.name;
    }
    allDc.reset();
    EXPECT_TRUE(all.save(folder + "/all.png"));
}
