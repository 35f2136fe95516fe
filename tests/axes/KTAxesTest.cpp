#include "axes/KTAxes.h"

#include "axes/KTCurvePointBuffer.h"
#include "foundation/RoundHalfUp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

namespace {

constexpr double kPi = 3.141592654;

/// Both axes over [-10, 10] mapped onto pixels 0..1000, the drawing area -50..1050.
KTAxes SquareAxes()
{
    KTAxes axes;
    for (KTAxis* axis : {&axes.m_xAxis, &axes.m_yAxis}) {
        axis->m_min = -10.0;
        axis->m_max = 10.0;
        axis->m_pixel = CRect(0, 0, 1000, 1000);
        axis->m_edge = CRect(-50, -50, 1050, 1050);
        axis->m_devicePixel = CRect(0, 0, 399, 199);
        axis->m_minorStep = 1.0;
        axis->m_minorText = "1";
    }
    return axes;
}

/// The angle brought into (-180, 180] degrees (or the equivalent of the factor).
double Normalised(double angle, double halfTurn)
{
    while (angle > halfTurn)
        angle -= 2 * halfTurn;
    while (angle <= -halfTurn)
        angle += 2 * halfTurn;
    return angle;
}

} // namespace

TEST(KTAxes, ConstructionGivesEmptyAxes)
{
    const KTAxes axes;
    EXPECT_EQ(axes.m_xAxis.m_isX, 1);
    EXPECT_EQ(axes.m_yAxis.m_isX, 0);
    for (const KTAxis* axis : {&axes.m_xAxis, &axes.m_yAxis}) {
        EXPECT_EQ(axis->m_min, 0.0);
        EXPECT_EQ(axis->m_max, 0.0);
        EXPECT_EQ(axis->m_logScale, 0);
        EXPECT_EQ(axis->m_logBound, 1.0);
        EXPECT_EQ(axis->m_logMax, 1.0);
        EXPECT_EQ(axis->m_pixel, CRect());
        EXPECT_TRUE(axis->m_minorText.IsEmpty());
    }
    EXPECT_EQ(axes.m_options.m_angleSystem.m_value, 0);
}

TEST(KTAxes, AngleFactorOfEachSystem)
{
    struct Row
    {
        int stored;
        double factor;
        int afterwards;
    };
    const Row rows[] = {
        {0, 57.29577951, 0}, {1, 1.0, 1}, {2, 63.66197724, 2}, {7, 1.0, 1}, {-3, 1.0, 1}, {5, 1.0, 1},
    };
    for (const Row& row : rows) {
        KTAxes axes;
        axes.m_options.m_angleSystem.m_value = row.stored;
        EXPECT_EQ(axes.AngleFactor(), row.factor) << row.stored;
        EXPECT_EQ(axes.m_options.m_angleSystem.m_value, row.afterwards) << row.stored;
    }
}

TEST(KTAxes, GraphToDeviceCartesianAndPolar)
{
    struct Row
    {
        int angleSystem;
        double x;
        double y;
        BYTE polar;
        BYTE swap;
        CPoint device;
    };
    const Row rows[] = {
        {0, 2.5, -5, 0, 0, CPoint(625, 250)},
        {0, 2.5, -5, 0, 1, CPoint(250, 625)},
        {0, 5, 90, 1, 0, CPoint(500, 750)}, // radius 5 at 90 degrees
        {0, 90, 5, 1, 1, CPoint(500, 750)}, // swapped: angle first
        {0, 5, 180, 1, 0, CPoint(250, 500)},
        {0, 4, -90, 1, 0, CPoint(500, 300)},
        {0, -5, 0, 1, 0, CPoint(250, 500)}, // a negative radius points backwards
        {1, 5, kPi / 2, 1, 0, CPoint(500, 750)},
        {1, 5, kPi, 1, 1, CPoint(750, 500)}, // swap: angle 5 rad, radius pi
        {2, 5, 100, 1, 0, CPoint(500, 750)}, // 100 grads is a right angle
        {2, 5, 200, 1, 0, CPoint(250, 500)},
        {0, 20, 0, 1, 0, CPoint(1050, 500)}, // beyond the range: the drawing area's edge
        {0, -20, 30, 0, 0, CPoint(-50, 1050)},
    };
    for (const Row& row : rows) {
        KTAxes axes = SquareAxes();
        axes.m_options.m_angleSystem.m_value = row.angleSystem;
        const CPoint device = axes.GraphToDevice(KTPoint(row.x, row.y), row.polar, row.swap);
        if (row.swap && row.polar && row.angleSystem == 1) {
            // Radius pi at 5 radians.
            const CPoint expected(RoundHalfUp(kPi * std::cos(5.0) * 50 + 500),
                                  RoundHalfUp(kPi * std::sin(5.0) * 50 + 500));
            EXPECT_EQ(device, expected);
            continue;
        }
        EXPECT_EQ(device, row.device)
            << row.angleSystem << " " << row.x << " " << row.y << " " << int(row.polar) << int(row.swap);
        EXPECT_EQ(axes.GraphToDevice(row.x, row.y, row.polar, row.swap), device);
    }
}

TEST(KTAxes, DeviceToGraphPolarAngles)
{
    struct Row
    {
        int angleSystem;
        CPoint device;
        double radius;
        double angle;
    };
    const Row rows[] = {
        {0, CPoint(500, 750), 5, 90},
        {0, CPoint(250, 500), 5, -kPi * 57.29577951}, // the negative x axis: -180
        {0, CPoint(500, 500), 0, 0},                  // the origin
        {0, CPoint(750, 500), 5, 0},
        {0, CPoint(500, 250), 5, -90},
        {0, CPoint(750, 750), std::sqrt(50.0), 45},
        {1, CPoint(250, 500), 5, -kPi},
        {1, CPoint(500, 750), 5, kPi / 2},
        {2, CPoint(250, 500), 5, -kPi * 63.66197724},
        {2, CPoint(250, 250), std::sqrt(50.0), -150},
    };
    for (const Row& row : rows) {
        KTAxes axes = SquareAxes();
        axes.m_options.m_angleSystem.m_value = row.angleSystem;
        const KTPoint polar = axes.DeviceToGraph(row.device, 1);
        EXPECT_NEAR(polar.m_x, row.radius, 1e-12) << row.device.x << "," << row.device.y;
        EXPECT_NEAR(polar.m_y, row.angle, 1e-6) << row.device.x << "," << row.device.y;
        const KTPoint swapped = axes.DeviceToGraph(row.device, 1, 1);
        EXPECT_EQ(swapped, polar); // the swap flag has no effect
    }
    KTAxes axes = SquareAxes();
    EXPECT_EQ(axes.DeviceToGraph(CPoint(250, 500), 1).m_y, -kPi * 57.29577951);
    EXPECT_EQ(axes.DeviceToGraph(CPoint(750, 500), 1).m_y, 0.0);
    EXPECT_EQ(axes.DeviceToGraph(CPoint(625, 250), 0), KTPoint(2.5, -5));
}

TEST(KTAxes, CartesianRoundTripWithinHalfAPixel)
{
    KTAxes axes = SquareAxes();
    for (double x = -10; x <= 10; x += 0.37) {
        for (double y = -10; y <= 10; y += 0.41) {
            const KTPoint back = axes.DeviceToGraph(axes.GraphToDevice(KTPoint(x, y), 0, 0), 0);
            ASSERT_NEAR(back.m_x, x, 0.01 + 1e-12);
            ASSERT_NEAR(back.m_y, y, 0.01 + 1e-12);
        }
    }
}

TEST(KTAxes, PolarRoundTripInEveryAngleSystem)
{
    const double halfTurns[] = {180.0, kPi, 200.0};
    for (int system = 0; system <= 2; ++system) {
        KTAxes axes = SquareAxes();
        axes.m_options.m_angleSystem.m_value = system;
        const double halfTurn = halfTurns[system];
        for (double r = 2; r <= 9; r += 1.5) {
            for (int step = -11; step <= 12; ++step) {
                const double angle = halfTurn * step / 12.0;
                const KTPoint back = axes.DeviceToGraph(axes.GraphToDevice(KTPoint(r, angle), 1, 0), 1);
                ASSERT_NEAR(back.m_x, r, 0.015) << system << " " << r << " " << angle;
                // A pixel of 0.02 units at radius r subtends at most 0.02 / r radians.
                const double tolerance = 0.015 / r * (halfTurn / kPi) + 1e-9;
                ASSERT_NEAR(Normalised(back.m_y - angle, halfTurn), 0.0, tolerance)
                    << system << " " << r << " " << angle;
            }
        }
    }
}

TEST(KTAxes, LogAxisPointsWithoutPixels)
{
    KTAxes axes = SquareAxes();
    axes.m_xAxis.m_min = 0.0;
    axes.m_xAxis.m_max = 100.0;
    axes.m_xAxis.m_logScale = 1;
    axes.m_xAxis.m_lowerDataBound = 1.0;
    EXPECT_EQ(axes.GraphToDevice(KTPoint(0.5, 0), 0, 0), CPoint(KTNoPixel, 500));
    EXPECT_EQ(axes.GraphToDevice(KTPoint(100, 0), 0, 0), CPoint(1000, 500));
    EXPECT_EQ(axes.GraphToDevice(KTPoint(std::nan(""), std::nan("")), 0, 0), CPoint(KTNoPixel, KTNoPixel));
    const KTPoint back = axes.DeviceToGraph(CPoint(1000, 500), 0);
    EXPECT_NEAR(back.m_x, 100.0, 1e-5);
}

TEST(KTAxes, SnapPointUsesTheMinorSteps)
{
    KTAxes axes = SquareAxes();
    axes.m_yAxis.m_minorStep = 0.5;
    EXPECT_EQ(axes.SnapPoint(KTPoint(0.74, 0.74), 2), KTPoint(0.5, 0.75));
    EXPECT_EQ(axes.SnapPoint(KTPoint(0.74, 0.74), 0), KTPoint(0.74, 0.74));
}

TEST(KTAxes, SnapToASquareGrid)
{
    struct Row
    {
        const char* xMinor;
        const char* yMinor;
        KTPoint p;
        KTPoint snapped;
    };
    const Row rows[] = {
        {"1", "1", KTPoint(0.74, -2.5), KTPoint(1, -2)},
        {"0,5", "1/4", KTPoint(0.74, 0.13), KTPoint(0.5, 0.25)},
        {"pi/2", "2", KTPoint(1.0, 3.0), KTPoint(kPi / 2, 4)},
        {"0", "1", KTPoint(0.74, 0.74), KTPoint(0.74, 1)},      // zero step keeps the value
        {"?", "1/0", KTPoint(0.74, 0.74), KTPoint(0.74, 0.74)}, // unreadable or infinite steps
        {"1", "1", KTPoint(1e300, -1e300), KTPoint(1e300, -1e300)},
    };
    for (const Row& row : rows) {
        KTAxes axes = SquareAxes();
        axes.m_xAxis.m_minorText = row.xMinor;
        axes.m_yAxis.m_minorText = row.yMinor;
        const KTPoint snapped = axes.SnapToGrid(row.p, false);
        EXPECT_NEAR(snapped.m_x, row.snapped.m_x, 1e-9) << row.xMinor;
        EXPECT_NEAR(snapped.m_y, row.snapped.m_y, 1e-9) << row.yMinor;
    }
}

TEST(KTAxes, SnapToAPolarGrid)
{
    struct Row
    {
        int angleSystem;
        int rays;
        bool forceSquare;
        KTPoint p;
        KTPoint snapped;
    };
    const Row rows[] = {
        {0, 24, false, KTPoint(2.4, 37), KTPoint(2, 30)},
        {0, 24, false, KTPoint(2.6, 38), KTPoint(3, 45)},
        {0, 24, false, KTPoint(2.6, -38), KTPoint(3, -45)},
        {0, 24, true, KTPoint(2.6, 38.4), KTPoint(3, 38)},   // forced square: both by the steps
        {0, 0, false, KTPoint(2.6, 38.4), KTPoint(3, 38.4)}, // no rays: the angle stays
        {0, 100, false, KTPoint(2.6, 38.4), KTPoint(3, 40)}, // 100 rays reads as 36
        {1, 24, false, KTPoint(1.2, 0.5), KTPoint(1, kPi / 6)},
        {2, 8, false, KTPoint(1.2, 60), KTPoint(1, 50)},
    };
    for (const Row& row : rows) {
        KTAxes axes = SquareAxes();
        axes.m_options.m_usePolarGrid.m_value = 1;
        axes.m_options.m_polarRays.m_value = row.rays;
        axes.m_options.m_angleSystem.m_value = row.angleSystem;
        const KTPoint snapped = axes.SnapToGrid(row.p, row.forceSquare);
        EXPECT_NEAR(snapped.m_x, row.snapped.m_x, 1e-9) << row.rays << " " << row.p.m_y;
        EXPECT_NEAR(snapped.m_y, row.snapped.m_y, 1e-6) << row.rays << " " << row.p.m_y;
    }
}

TEST(KTAxes, SampleXAndSampleYUseTheirAxes)
{
    KTAxes axes = SquareAxes(); // 400 and 200 device pixels
    auto buffer = std::make_unique<KTCurvePointBuffer>();
    axes.SampleX(*buffer, -100, 100);
    EXPECT_EQ(buffer->m_count, 401);
    EXPECT_EQ(buffer->m_points[400].m_point.m_x, 10.0);
    axes.SampleY(*buffer, 0, 100);
    EXPECT_EQ(buffer->m_count, 101);
    EXPECT_EQ(buffer->m_points[0].m_point.m_y, 0.0);
    EXPECT_EQ(buffer->m_points[100].m_point.m_y, 10.0);
}
