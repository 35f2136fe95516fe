#include "foundation/KTPoint.h"
#include "foundation/KTSegmentSide.h"
#include "foundation/KTVector.h"
#include "platform/KTArchive.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

TEST(KTPointTest, PointAndVectorArithmetic)
{
    const KTPoint p(1.5, -2.0);
    const KTVector v(0.5, 3.0);
    EXPECT_EQ(p + v, KTPoint(2.0, 1.0));
    EXPECT_EQ(p - v, KTPoint(1.0, -5.0));
    EXPECT_EQ(p.Difference(KTPoint(1.0, 1.0)), KTVector(0.5, -3.0));
    // Going there and back again is exact for these binary fractions.
    EXPECT_EQ((p + v) - v, p);
    EXPECT_EQ(KTPoint(0, 0) + p.Difference(KTPoint(0, 0)), p);
    EXPECT_EQ(KTPoint(), KTPoint(0.0, 0.0));
}

TEST(KTPointTest, VectorOperationsTable)
{
    KTVector v(3, 4);
    v.SetLength(5);
    EXPECT_EQ(v, KTVector(3, 4));
    v.SetLength(10);
    EXPECT_DOUBLE_EQ(v.m_dx, 6.0);
    EXPECT_DOUBLE_EQ(v.m_dy, 8.0);
    KTVector zero;
    zero.SetLength(5);
    EXPECT_EQ(zero, KTVector(0, 0));

    EXPECT_EQ(KTVector(2, -3).Scaled(-2), KTVector(-4, 6));
    EXPECT_EQ(KTVector(2, -3).Perpendicular(), KTVector(3, 2));

    struct Row
    {
        KTVector a, b;
        bool differs;
    };
    const Row rows[] = {
        {{1, 1}, {1 + 5e-9, 1}, false},
        {{1, 1}, {1.0001, 1}, true},
        {{1, 1}, {1, 1 - 2e-8}, true},
        {{1, 1}, {1, 1}, false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.a.Differs(row.b), row.differs) << row.b.m_dx << "," << row.b.m_dy;
}

TEST(KTPointTest, RotateTable)
{
    struct Row
    {
        double c, s;
        KTVector in, out;
    };
    const Row rows[] = {
        {0, 100, {1, 0}, {0, 1}}, // sine from the cosine
        {0.5, -0.8660254, {1, 0}, {0.5, -0.8660254}},
        {-1, 0, {2, 3}, {-2, -3}},
        {0.5, 100, {0, 1}, {-std::sqrt(0.75), 0.5}},
    };
    for (const auto& row : rows) {
        KTVector v = row.in;
        v.Rotate(row.c, row.s);
        EXPECT_NEAR(v.m_dx, row.out.m_dx, 1e-12);
        EXPECT_NEAR(v.m_dy, row.out.m_dy, 1e-12);
    }
    // A cosine pushed just past 1 by rounding gives no NaN.
    KTVector v(1, 0);
    v.Rotate(1.0 + 1e-15, 100);
    EXPECT_FALSE(std::isnan(v.m_dx) || std::isnan(v.m_dy));
}

TEST(KTPointTest, RotateKeepsLengthAndTurnsBack)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> any(-100, 100), angle(-7, 7);
    for (int i = 0; i < 200; ++i) {
        const KTVector start(any(rng), any(rng));
        const double a = angle(rng);
        KTVector v = start;
        v.Rotate(std::cos(a), std::sin(a));
        EXPECT_NEAR(std::hypot(v.m_dx, v.m_dy), std::hypot(start.m_dx, start.m_dy), 1e-9);
        v.Rotate(std::cos(a), -std::sin(a));
        EXPECT_FALSE(v.Differs(start)) << i;
    }
}

TEST(KTPointTest, SegmentsCrossTable)
{
    struct Row
    {
        KTPoint p1, p2, p3, p4;
        bool cross;
    };
    const Row rows[] = {
        {{0, 0}, {2, 2}, {0, 2}, {2, 0}, true},
        {{0, 0}, {1, 1}, {2, 2}, {3, 3}, false},  // collinear
        {{0, 0}, {2, 2}, {1, 1}, {3, 3}, false},  // collinear and overlapping
        {{0, 0}, {1, 0}, {2, -1}, {2, 1}, false}, // the second segment lies beyond the first
        {{0, 0}, {2, 0}, {1, -1}, {1, 1}, true},
        {{0, 0}, {1, 0}, {0, 1}, {1, 1}, false}, // parallel
        {{0, 0}, {4, 1}, {1, 5}, {2, 4}, false}, // the line crosses, the segment does not
        {{-1e6, -1e6}, {1e6, 1e6}, {-1e6, 1e6}, {1e6, -1e6}, true},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(SegmentsCross(row.p1, row.p2, row.p3, row.p4), row.cross)
            << row.p1.m_x << "," << row.p1.m_y << " " << row.p3.m_x << "," << row.p3.m_y;
        EXPECT_EQ(SegmentsCross(row.p3, row.p4, row.p1, row.p2), row.cross);
    }
}

TEST(KTPointTest, SegmentsCrossAgreesWithParametricIntersection)
{
    // Two independent ways of asking the same question agree on random segments (no ties).
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> any(-10, 10);
    for (int i = 0; i < 2000; ++i) {
        const KTPoint a(any(rng), any(rng)), b(any(rng), any(rng)), c(any(rng), any(rng)),
            d(any(rng), any(rng));
        const double den = (b.m_x - a.m_x) * (d.m_y - c.m_y) - (b.m_y - a.m_y) * (d.m_x - c.m_x);
        const double t = ((c.m_x - a.m_x) * (d.m_y - c.m_y) - (c.m_y - a.m_y) * (d.m_x - c.m_x)) / den;
        const double u = ((c.m_x - a.m_x) * (b.m_y - a.m_y) - (c.m_y - a.m_y) * (b.m_x - a.m_x)) / den;
        const bool expected = t > 0 && t < 1 && u > 0 && u < 1;
        EXPECT_EQ(SegmentsCross(a, b, c, d), expected) << i;
        EXPECT_EQ(SegmentsCross(b, a, d, c), expected) << i;
    }
}

TEST(KTPointTest, SegmentSideTable)
{
    // Below the line through the segment in the direction from its start to its end: the right
    // of the direction of travel in y-up coordinates; a point on the line is not below.
    struct Row
    {
        KTPoint from, to, p;
        bool below;
    };
    const Row rows[] = {
        {{0, 0}, {2, 2}, {1, 0}, true},      {{0, 0}, {2, 2}, {0, 1}, false},
        {{0, 0}, {2, 2}, {5, 5}, false}, // on the line, beyond the segment
        {{2, 2}, {0, 0}, {1, 0}, false}, // the other direction turns the sides round
        {{0, 0}, {4, 0}, {-3, -1e-9}, true}, {{0, 0}, {0, 3}, {1, 100}, true},
        {{1, 1}, {1, 1}, {7, -3}, false}, // a segment of no length has no side
    };
    for (const Row& row : rows) {
        const KTSegmentSide side(row.from, row.to);
        EXPECT_EQ(side.Below(row.p), row.below) << row.p.m_x << "," << row.p.m_y;
    }
    // Separating two points is their being on different sides, whatever their order.
    const KTSegmentSide side(KTPoint(0, 0), KTPoint(4, 1));
    EXPECT_TRUE(side.Separates(KTPoint(1, -1), KTPoint(2, 3)));
    EXPECT_TRUE(side.Separates(KTPoint(2, 3), KTPoint(1, -1)));
    EXPECT_FALSE(side.Separates(KTPoint(1, 2), KTPoint(2, 3)));

    // The sides of many points at once are Below's, bit for bit: points on the line, a hair off
    // it, far off, not numbers; every count up to 64, odd and even.
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> coordinate(-50.0, 50.0);
    const double odd[] = {0.0,
                          -0.0,
                          1e-300,
                          1e300,
                          std::numeric_limits<double>::infinity(),
                          std::numeric_limits<double>::quiet_NaN(),
                          1000000000001.5};
    for (const Row& row : rows) {
        const KTSegmentSide segment(row.from, row.to);
        for (int count = 0; count <= 64; ++count) {
            std::vector<double> xs;
            std::vector<double> ys;
            for (int k = 0; k < count; ++k) {
                const double t = coordinate(rng);
                // A third on the line through the segment, a third beside it, a third odd values.
                const bool onLine = k % 3 == 0;
                xs.push_back(k % 3 == 2 ? odd[k % 7] : row.from.m_x + t * (row.to.m_x - row.from.m_x));
                ys.push_back(onLine ? row.from.m_y + t * (row.to.m_y - row.from.m_y) : coordinate(rng));
            }
            const std::uint64_t mask = segment.BelowMask(xs.data(), ys.data(), count);
            for (int k = 0; k < 64; ++k) {
                const bool expected = k < count && segment.Below(KTPoint(xs[static_cast<std::size_t>(k)],
                                                                         ys[static_cast<std::size_t>(k)]));
                ASSERT_EQ(((mask >> k) & 1) != 0, expected) << count << " points, point " << k;
            }
        }
    }
}

TEST(KTPointTest, ArchiveFormIsSixteenBytesAndExact)
{
    const double values[] = {0.0,
                             -0.0,
                             1.0 / 3.0,
                             -1e308,
                             std::numeric_limits<double>::denorm_min(),
                             1000000000001.2,
                             std::numeric_limits<double>::infinity()};
    for (double x : values) {
        KTPoint p(x, -x);
        KTArchive out;
        p.Serialize(out);
        ASSERT_EQ(out.Data().size(), 16u);
        std::uint64_t stored;
        std::memcpy(&stored, out.Data().data(), 8);
        EXPECT_EQ(stored, std::bit_cast<std::uint64_t>(x));

        KTArchive in(out.Data());
        KTPoint back(7, 7);
        back.Serialize(in);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(back.m_x), std::bit_cast<std::uint64_t>(x));
        EXPECT_EQ(std::bit_cast<std::uint64_t>(back.m_y), std::bit_cast<std::uint64_t>(-x));
        EXPECT_TRUE(in.AtEnd());
    }
}

TEST(KTPointTest, ShortArchiveThrows)
{
    KTArchive in(std::vector<std::uint8_t>(12, 0));
    KTPoint p;
    EXPECT_THROW(p.Serialize(in), KTArchiveException);
}

TEST(KTPointTest, RegisteredClassesMakeZeroValues)
{
    for (const char* name : {"KTPoint", "KTVector"}) {
        const KTRuntimeClass* rc = KTFindClass(name);
        ASSERT_NE(rc, nullptr) << name;
        EXPECT_EQ(rc->schema, 1u);
        EXPECT_NE(rc->factory(), nullptr);
    }
    auto made = KTFindClass("KTPoint")->factory();
    EXPECT_EQ(*dynamic_cast<KTPoint*>(made.get()), KTPoint(0, 0));
}
