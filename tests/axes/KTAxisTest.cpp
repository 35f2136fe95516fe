#include "axes/KTAxis.h"

#include "axes/KTCurvePointBuffer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

/// An x axis over [min, max] mapped onto pixels 0..1000, inside an edge rectangle -50..1050.
KTAxis XAxis(double min, double max)
{
    KTAxis axis;
    axis.m_isX = 1;
    axis.m_min = min;
    axis.m_max = max;
    axis.m_pixel = CRect(0, 2000, 1000, 3000);
    axis.m_edge = CRect(-50, 1900, 1050, 3100);
    return axis;
}

/// A y axis over [min, max] mapped onto pixels top 2000 .. bottom 3000.
KTAxis YAxis(double min, double max)
{
    KTAxis axis = XAxis(min, max);
    axis.m_isX = 0;
    return axis;
}

KTAxis LogAxis(double max, double lowerDataBound)
{
    KTAxis axis = XAxis(0.0, max);
    axis.m_logScale = 1;
    axis.m_lowerDataBound = lowerDataBound;
    return axis;
}

} // namespace

TEST(KTAxis, LinearValueToPixel)
{
    struct Row
    {
        double v;
        std::int32_t x;
        std::int32_t y;
    };
    const Row rows[] = {
        {0.0, 500, 2500},   {10.0, 1000, 3000},           {-10.0, 0, 2000},
        {2.5, 625, 2625},   {-0.009, 500, 2500},          {-0.011, 499, 2499},
        {10.5, 1050, 3100}, {-11.0, -50, 1900},           {kInf, 1050, 3100},
        {-kInf, -50, 1900}, {kNaN, KTNoPixel, KTNoPixel},
    };
    KTAxis x = XAxis(-10, 10);
    KTAxis y = YAxis(-10, 10);
    for (const Row& row : rows) {
        EXPECT_EQ(x.ValueToPixel(row.v), row.x) << row.v;
        EXPECT_EQ(y.ValueToPixel(row.v), row.y) << row.v;
    }
}

TEST(KTAxis, HalvesRoundUpward)
{
    KTAxis axis = XAxis(0, 1000);
    EXPECT_EQ(axis.ValueToPixel(2.5), 3);
    EXPECT_EQ(axis.ValueToPixel(2.4999), 2);
    axis.m_pixel = CRect(-1000, 0, 0, 0);
    EXPECT_EQ(axis.ValueToPixel(0.5), -999); // -999.5 goes up, not away from zero
    EXPECT_EQ(axis.ValueToPixel(1.5), -998);
}

TEST(KTAxis, EmptyRangeHasPixelsOnlyThroughTheEdges)
{
    KTAxis axis = XAxis(3, 3);
    EXPECT_EQ(axis.ValueToPixel(3.0), KTNoPixel);
    EXPECT_EQ(axis.ValueToPixel(2.0), -50);
    EXPECT_EQ(axis.ValueToPixel(4.0), 1050);
    EXPECT_EQ(axis.PixelToValue(500), 3.0);
}

TEST(KTAxis, LogarithmicValueToPixel)
{
    struct Row
    {
        double max;
        double lowerBound;
        double v;
        std::int32_t pixel;
    };
    const Row rows[] = {
        {100, 1, 1.0, 126}, // 5 % + 0.95 x 0.4 / 5.005 of the extent
        {100, 1, 2.0, 257},         {100, 1, 10.0, 563},
        {100, 1, 100.0, 1000},      {100, 1, 0.5, KTNoPixel}, // ln 0.5 < -0.4
        {100, 1, 0.0, 0},                                     // 0 goes by the linear rule to the near end
        {100, 1, 150.0, KTNoPixel},                           // above max
        {100, 1, -1.0, KTNoPixel},                            // no logarithm
        {100, 1, kNaN, KTNoPixel},  {100, 0, 1.0, 492},       // lower bound 0: log bound -4
        {100, 5, 1.0, 50},                                    // ln 5 - 0.4 > 0: log bound 0
        {1, 2, 1.0, KTNoPixel},                               // log bound and ln(max) both 0: no scale at all
    };
    for (const Row& row : rows) {
        KTAxis axis = LogAxis(row.max, row.lowerBound);
        EXPECT_EQ(axis.ValueToPixel(row.v), row.pixel) << row.max << " " << row.lowerBound << " " << row.v;
    }
}

TEST(KTAxis, LogarithmicMappingCachesItsBounds)
{
    KTAxis axis = LogAxis(100, 1);
    EXPECT_EQ(axis.m_logBound, 1.0);
    EXPECT_EQ(axis.m_logMax, 1.0);
    axis.ValueToPixel(10.0);
    EXPECT_DOUBLE_EQ(axis.m_logBound, -0.4);
    EXPECT_DOUBLE_EQ(axis.m_logMax, std::log(100.0));
}

TEST(KTAxis, LogAxisWithNonZeroMinimumIsLinear)
{
    KTAxis axis = XAxis(0.5, 10.5);
    axis.m_logScale = 1;
    axis.m_lowerDataBound = 0.5;
    EXPECT_EQ(axis.ValueToPixel(5.5), 500);
    EXPECT_EQ(axis.ValueToPixel(0.5), 0);
}

TEST(KTAxis, DeviceCoordinatesAreHeldWithinTwoToThe30)
{
    KTAxis axis = XAxis(0, 1);
    axis.m_pixel = CRect(-2000000000, 0, 2000000000, 0);
    EXPECT_EQ(axis.ValueToPixel(1.0), 1073741824);
    EXPECT_EQ(axis.ValueToPixel(0.0), -1073741824);
    EXPECT_EQ(axis.ValueToPixel(0.5), 0);

    KTAxis wide = XAxis(-1e308, 1e308); // max - min overflows to infinity
    EXPECT_NE(wide.ValueToPixel(0.0), KTNoPixel);
}

TEST(KTAxis, LinearPixelToValue)
{
    const KTAxis x = XAxis(-10, 10);
    EXPECT_EQ(x.PixelToValue(500), 0.0);
    EXPECT_EQ(x.PixelToValue(0), -10.0);
    EXPECT_EQ(x.PixelToValue(1000), 10.0);
    EXPECT_EQ(x.PixelToValue(250), -5.0);
    EXPECT_EQ(x.PixelToValue(-1), -10.0); // outside the extent: min
    EXPECT_EQ(x.PixelToValue(1001), -10.0);
    const KTAxis y = YAxis(-10, 10);
    EXPECT_EQ(y.PixelToValue(2750), 5.0);
    EXPECT_EQ(y.PixelToValue(1999), -10.0);
}

TEST(KTAxis, ExtentRunningBackwardsMapsBothWays)
{
    KTAxis y = YAxis(-10, 10);
    y.m_pixel = CRect(0, 1000, 0, 0); // top below bottom in device units
    EXPECT_EQ(y.ValueToPixel(10.0), 0);
    EXPECT_EQ(y.ValueToPixel(-10.0), 1000);
    EXPECT_EQ(y.PixelToValue(250), 5.0);
    EXPECT_EQ(y.PixelToValue(1001), -10.0);

    KTAxis single = XAxis(1, 2);
    single.m_pixel = CRect(7, 0, 7, 0);
    EXPECT_EQ(single.PixelToValue(7), 1.0);
}

TEST(KTAxis, PixelRoundTripsLinear)
{
    const double ranges[][2] = {{-10, 10}, {0, 1}, {-1e-6, 3e-6}, {1e6, 1e6 + 7}, {-3.5, 12.25}};
    for (const auto& range : ranges) {
        KTAxis axis = XAxis(range[0], range[1]);
        for (std::int32_t p = 0; p <= 1000; p += 7)
            ASSERT_EQ(axis.ValueToPixel(axis.PixelToValue(p)), p) << range[0] << " " << p;
        const double pixelWidth = (range[1] - range[0]) / 1000.0;
        for (int i = 0; i <= 100; ++i) {
            const double v = range[0] + (range[1] - range[0]) * i / 100.0;
            ASSERT_NEAR(axis.PixelToValue(axis.ValueToPixel(v)), v, pixelWidth * 0.5 + 1e-12) << v;
        }
    }
}

TEST(KTAxis, PixelRoundTripsLogarithmic)
{
    KTAxis axis = LogAxis(1000, 0.01);
    axis.ValueToPixel(1.0); // the layout's mapping calls set the cached bounds
    for (std::int32_t p = 50; p <= 1000; p += 13) {
        const double v = axis.PixelToValue(p);
        ASSERT_EQ(axis.ValueToPixel(v), p) << p;
    }
    EXPECT_NEAR(axis.PixelToValue(1000), 1000.0, 1e-5);
    EXPECT_NEAR(axis.PixelToValue(50), 0.01 * std::exp(-0.4), 1e-12); // the log bound
    EXPECT_EQ(axis.PixelToValue(-1), -1.0);
    EXPECT_EQ(axis.PixelToValue(1001), -1.0);
}

TEST(KTAxis, SnapValue)
{
    struct Row
    {
        double minorStep;
        double v;
        int n;
        double snapped;
    };
    const Row rows[] = {
        {1.0, 0.74, 2, 0.5},  {1.0, 0.75, 2, 1.0},   {1.0, -0.75, 2, -0.5}, {1.0, -0.76, 2, -1.0},
        {1.0, 3.3, 1, 3.0},   {0.25, 0.3, 1, 0.25},  {1.0, 0.74, 0, 0.74},  {1.0, 0.74, -2, 0.74},
        {0.0, 0.74, 2, 0.74}, {kNaN, 0.74, 2, 0.74}, {kInf, 0.74, 2, 0.74}, {2.0, 1e300, 1, 1e300},
    };
    for (const Row& row : rows) {
        KTAxis axis = XAxis(-10, 10);
        axis.m_minorStep = row.minorStep;
        EXPECT_EQ(axis.SnapValue(row.v, row.n), row.snapped) << row.minorStep << " " << row.v << " " << row.n;
    }
}

TEST(KTAxis, SamplePositionsOnePerDevicePixel)
{
    struct Row
    {
        int deviceWidth; // right - left of the device extent
        int stored;
        double step;
    };
    const Row rows[] = {
        {1199, 1201, 20.0 / 1200}, // 1200 pixels: 1201 positions
        {4999, 1601, 20.0 / 1600}, // capped at 1600 intervals
        {0, 2, 20.0},
        {-1199, 1201, 20.0 / 1200}, // a backwards extent counts the same
    };
    for (const Row& row : rows) {
        KTAxis axis = XAxis(-10, 10);
        axis.m_devicePixel = CRect(100, 0, 100 + row.deviceWidth, 0);
        auto buffer = std::make_unique<KTCurvePointBuffer>();
        axis.SamplePositions(*buffer, -100, 100);
        ASSERT_EQ(buffer->m_count, row.stored) << row.deviceWidth;
        EXPECT_EQ(buffer->m_points[0].m_point.m_x, -10.0);
        EXPECT_EQ(buffer->m_points[static_cast<std::size_t>(row.stored - 1)].m_point.m_x, 10.0);
        for (int i = 1; i < row.stored; ++i)
            ASSERT_NEAR(buffer->m_points[static_cast<std::size_t>(i)].m_point.m_x -
                            buffer->m_points[static_cast<std::size_t>(i - 1)].m_point.m_x,
                        row.step, 1e-12)
                << i;
    }
}

TEST(KTAxis, SamplePositionsWithinBounds)
{
    KTAxis axis = XAxis(-10, 10);
    axis.m_devicePixel = CRect(0, 0, 199, 0); // 200 intervals of 0.1
    auto buffer = std::make_unique<KTCurvePointBuffer>();

    axis.SamplePositions(*buffer, -0.05, 0.3);
    ASSERT_EQ(buffer->m_count, 4); // -0.05, 0.05, 0.15, 0.25
    EXPECT_EQ(buffer->m_points[0].m_point.m_x, -0.05);
    EXPECT_NEAR(buffer->m_points[3].m_point.m_x, 0.25, 1e-12);

    axis.SamplePositions(*buffer, 2, 2);
    EXPECT_EQ(buffer->m_count, 1);
    axis.SamplePositions(*buffer, 3, 2);
    EXPECT_EQ(buffer->m_count, 0);
    axis.SamplePositions(*buffer, 11, 20);
    EXPECT_EQ(buffer->m_count, 0);
    axis.SamplePositions(*buffer, kNaN, 2);
    EXPECT_EQ(buffer->m_count, 0);
    axis.SamplePositions(*buffer, -kInf, kInf);
    EXPECT_EQ(buffer->m_count, 201);
}

TEST(KTAxis, SamplePositionsOfTheYAxisFillTheYSlots)
{
    KTAxis axis = YAxis(0, 4);
    axis.m_devicePixel = CRect(0, 10, 0, 13); // 4 intervals
    auto buffer = std::make_unique<KTCurvePointBuffer>();
    for (KTCurvePoint& point : buffer->m_points)
        point.m_point.m_x = 7.0;
    axis.SamplePositions(*buffer, 0, 4);
    ASSERT_EQ(buffer->m_count, 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(buffer->m_points[static_cast<std::size_t>(i)].m_point.m_y, i);
        EXPECT_EQ(buffer->m_points[static_cast<std::size_t>(i)].m_point.m_x, 7.0);
    }
}

TEST(KTAxis, SamplePositionsOfAnEmptyRangeStayInTheBuffer)
{
    KTAxis axis = XAxis(2, 2);
    axis.m_devicePixel = CRect(0, 0, 5000, 0);
    auto buffer = std::make_unique<KTCurvePointBuffer>();
    axis.SamplePositions(*buffer, -1, 5);
    EXPECT_EQ(buffer->m_count, 1601);
    EXPECT_LE(buffer->m_count, KTCurvePointBuffer::Capacity);
}
