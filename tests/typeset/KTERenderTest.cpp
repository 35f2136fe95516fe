// Equations drawn into images on the offscreen platform: ink where the layout puts it. The
// images are also written as PNG files under the build folder for a person to look at.

#include "platform/KTDC.h"
#include "platform/KTLocale.h"
#include "typeset/KTEEquation.h"
#include "typeset/KTEOptions.h"

#include <QDir>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#ifndef KT_TYPESET_PNG_DIR
#define KT_TYPESET_PNG_DIR "typeset-png"
#endif

namespace {

struct Ink
{
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1, count = 0;
    bool Any() const { return count > 0; }
    int Height() const { return bottom - top + 1; }
};

Ink FindInk(const QImage& image, const QRect& area)
{
    Ink ink;
    for (int y = std::max(area.top(), 0); y <= std::min(area.bottom(), image.height() - 1); ++y)
        for (int x = std::max(area.left(), 0); x <= std::min(area.right(), image.width() - 1); ++x)
            if (qGray(image.pixel(x, y)) < 128) {
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
                ink.top = std::min(ink.top, y);
                ink.bottom = std::max(ink.bottom, y);
                ++ink.count;
            }
    return ink;
}

struct Rendered
{
    QImage image;
    QRect box; ///< the measured box in device pixels
};

/// Draws the equation with its top-left at 2 mm, 2 mm in HIMETRIC (y up) on a white image
/// (900 x 200 pixels, or as given).
Rendered Render(const char* text, int preset = KTEPresetGraphing, int fontSize = 600,
                QSize size = QSize(900, 200))
{
    Rendered result;
    result.image = QImage(size, QImage::Format_ARGB32);
    result.image.fill(Qt::white);
    QPainter painter(&result.image);
    KTDC dc(&painter);
    dc.SetMapMode(MM_HIMETRIC);
    dc.SetTextAlign(TA_LEFT | TA_TOP);
    dc.SetBkMode(TRANSPARENT);
    KTEOptions options(preset);
    options.m_font.m_value.m_size = fontSize;
    KTEEquation equation;
    equation.SetText(text, options);
    const KTEExtent extent = equation.GetExtent(&dc, options);
    equation.Draw(&dc, 200, -200, options);
    CPoint corners[2] = {CPoint(200, -200),
                         CPoint(200 + extent.width - 2 * extent.margin, -200 - extent.height)};
    dc.LPtoDP(corners, 2);
    result.box = QRect(QPoint(corners[0].x, corners[0].y), QPoint(corners[1].x, corners[1].y)).normalized();
    return result;
}

class RenderTest : public ::testing::Test
{
protected:
    void SetUp() override { KTLocale::Override('.', ',', 1); }
    void TearDown() override { KTLocale::ClearOverride(); }
};

const char* const Showcase[] = {
    "y = (x^2 - 1)/(x + 1)", "r = 2sin(3th)",   "x^2 + y^2 <= 4",
    "y = sqrt(x); [0, 4]",   "int(0,1) x^2 dx", "|x - 3| < 2",
};

TEST_F(RenderTest, ShowcaseIsInkedInsideItsBoxAndSavedAsPng)
{
    QDir().mkpath(KT_TYPESET_PNG_DIR);
    int index = 0;
    for (const char* text : Showcase) {
        const Rendered rendered = Render(text);
        const Ink inside = FindInk(rendered.image, rendered.box.adjusted(-3, -3, 3, 3));
        const Ink all = FindInk(rendered.image, rendered.image.rect());
        EXPECT_TRUE(inside.Any()) << text;
        EXPECT_EQ(inside.count, all.count) << text << ": ink outside the measured box";
        EXPECT_GT(rendered.box.width(), 20) << text;
        // Saved larger and cropped to the equation, for looking at.
        const Rendered large = Render(text, KTEPresetGraphing, 900);
        large.image.copy(large.box.adjusted(-12, -12, 12, 12))
            .save(QString("%1/equation%2.png").arg(KT_TYPESET_PNG_DIR).arg(++index));
    }
}

TEST_F(RenderTest, TallStructuresAreTallerThanALetter)
{
    const int letter = FindInk(Render("x").image, QRect(0, 0, 900, 200)).Height();
    ASSERT_GT(letter, 5);
    for (const char* text : {"(x^2 - 1)/(x + 1)", "int(0,1) x^2 dx", "(1/2)"}) {
        const Ink ink = FindInk(Render(text).image, QRect(0, 0, 900, 200));
        EXPECT_GT(ink.Height(), 2 * letter) << text;
    }
}

TEST_F(RenderTest, FractionBarIsALongRowOfInk)
{
    const Rendered rendered = Render("(x^2 - 1)/(x + 1)");
    int longest = 0;
    for (int y = rendered.box.top(); y <= rendered.box.bottom(); ++y) {
        int run = 0;
        for (int x = rendered.box.left(); x <= rendered.box.right(); ++x) {
            run = qGray(rendered.image.pixel(x, y)) < 160 ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    }
    EXPECT_GT(longest, rendered.box.width() * 3 / 4);
}

TEST_F(RenderTest, AbsoluteBarsStandAtBothEnds)
{
    const Rendered rendered = Render("|x - 3|");
    const Ink ink = FindInk(rendered.image, rendered.box.adjusted(-3, -3, 3, 3));
    ASSERT_TRUE(ink.Any());
    // A bar is a vertical run of ink at the left and at the right end of the box.
    const auto column = [&](int x) {
        return FindInk(rendered.image, QRect(x, ink.top, 1, ink.Height())).count;
    };
    int leftBar = 0;
    int rightBar = 0;
    for (int x = ink.left; x < ink.left + 4; ++x)
        leftBar = std::max(leftBar, column(x));
    for (int x = ink.right - 3; x <= ink.right; ++x)
        rightBar = std::max(rightBar, column(x));
    EXPECT_GT(leftBar, ink.Height() / 2);
    EXPECT_GT(rightBar, ink.Height() / 2);
}

/// Runs of inked columns across the rows of the area, left to right, each with its ink.
std::vector<Ink> InkedColumnRuns(const QImage& image, const QRect& area)
{
    std::vector<Ink> runs;
    bool inRun = false;
    for (int x = area.left(); x <= area.right(); ++x) {
        const Ink column = FindInk(image, QRect(x, area.top(), 1, area.height()));
        if (!column.Any()) {
            inRun = false;
            continue;
        }
        if (!inRun)
            runs.push_back(Ink());
        inRun = true;
        Ink& run = runs.back();
        run.left = std::min(run.left, column.left);
        run.right = std::max(run.right, column.right);
        run.top = std::min(run.top, column.top);
        run.bottom = std::max(run.bottom, column.bottom);
        run.count += column.count;
    }
    return runs;
}

// Tall brackets and bars built from pieces lie within the measured box and reach from the top
// of the content's ink to its bottom, at every size.
TEST_F(RenderTest, TallBracketsSpanTheirContentInsideTheBox)
{
    const char* const texts[] = {
        "[(x+1)/(x-1)]", "((x+1)/(x-1))", "(1/(1+1/x))", "{(a/b)}", "|(x+1)/(x-1)|", "((1/2)/(3/4))",
    };
    for (const char* text : texts) {
        for (int size : {300, 600, 1200, 2400}) {
            const Rendered rendered = Render(text, KTEPresetGraphing, size, QSize(700, 560));
            ASSERT_LT(rendered.box.bottom(), rendered.image.height() - 2) << text << " " << size;
            const Ink all = FindInk(rendered.image, rendered.image.rect());
            const Ink inside = FindInk(rendered.image, rendered.box.adjusted(-1, -1, 1, 1));
            EXPECT_EQ(inside.count, all.count) << text << " " << size << ": ink outside the measured box";
            const std::vector<Ink> runs = InkedColumnRuns(rendered.image, rendered.image.rect());
            ASSERT_GE(runs.size(), 3u) << text << " " << size;
            Ink content;
            for (std::size_t i = 1; i + 1 < runs.size(); ++i) {
                content.top = std::min(content.top, runs[i].top);
                content.bottom = std::max(content.bottom, runs[i].bottom);
            }
            for (const Ink& bracket : {runs.front(), runs.back()}) {
                EXPECT_LE(bracket.top, content.top + 1) << text << " " << size;
                EXPECT_GE(bracket.bottom, content.bottom - 1) << text << " " << size;
            }
        }
    }
}

} // namespace
