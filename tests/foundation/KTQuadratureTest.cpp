#include "foundation/KTQuadrature.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

constexpr double kPi = 3.14159265358979323846;

} // namespace

TEST(KTQuadrature, IntegralsMatchClosedForms)
{
    struct Row
    {
        const char* name;
        std::function<double(double)> f;
        double a, b;
        double expected;
        double tolerance;
    };
    const Row rows[] = {
        {"x^2", [](double x) { return x * x; }, -1, 1, 2.0 / 3.0, 1e-15},
        {"x^22 (the Kronrod rule's degree)", [](double x) { return std::pow(x, 22); }, 0, 1, 1.0 / 23.0,
         1e-15},
        {"sin", [](double x) { return std::sin(x); }, 0, kPi, 2.0, 1e-14},
        {"sin backwards", [](double x) { return std::sin(x); }, kPi, 0, -2.0, 1e-14},
        {"exp", [](double x) { return std::exp(x); }, 0, 1, std::exp(1.0) - 1.0, 1e-14},
        {"1/(1+x^2)", [](double x) { return 1 / (1 + x * x); }, -1, 1, kPi / 2, 1e-14},
        {"a narrow peak", [](double x) { return std::exp(-1e4 * x * x); }, -1, 1, std::sqrt(kPi) / 100,
         1e-13},
        {"|x|, a kink", [](double x) { return std::fabs(x); }, -1, 2, 2.5, 1e-11},
        {"sqrt at an end", [](double x) { return std::sqrt(x); }, 0, 1, 2.0 / 3.0, 1e-11},
        {"1/sqrt at an end", [](double x) { return 1 / std::sqrt(x); }, 0, 1, 2.0, 1e-8},
        {"ln at an end", [](double x) { return std::log(x); }, 0, 1, -1.0, 1e-10},
        {"a step", [](double x) { return x < 0.3 ? 1.0 : 0.0; }, 0, 1, 0.3, 1e-11},
        {"empty", [](double x) { return x; }, 2, 2, 0.0, 0.0},
    };
    for (const Row& row : rows) {
        const KTQuadrature::Result r = KTQuadrature::Integrate(row.f, row.a, row.b);
        EXPECT_NEAR(r.value, row.expected, row.tolerance) << row.name;
        // The estimate is honest: never below the error actually made.
        EXPECT_GE(r.error + 1e-15, std::fabs(r.value - row.expected)) << row.name;
        EXPECT_LT(r.evaluations, 400 * 2 * 15) << row.name;
    }
}

TEST(KTQuadrature, SmoothIntegrandsTakeFewEvaluationsAndConverge)
{
    const KTQuadrature::Result poly = KTQuadrature::Integrate([](double x) { return 3 * x * x - x; }, -2, 5);
    EXPECT_TRUE(poly.converged);
    EXPECT_EQ(poly.evaluations, 15); // both rules are exact for it: one piece
    EXPECT_NEAR(poly.value, (125.0 - 12.5) - (-8.0 - 2.0), 1e-12);
    const KTQuadrature::Result wave = KTQuadrature::Integrate([](double x) { return std::cos(x); }, 0, 10);
    EXPECT_TRUE(wave.converged);
    EXPECT_LE(wave.evaluations, 15 * 21);
}

TEST(KTQuadrature, APoleDoesNotConverge)
{
    // 1/x^2 has no integral over 0; its halvings run out with the error still growing.
    const KTQuadrature::Result r = KTQuadrature::Integrate([](double x) { return 1 / (x * x); }, -1, 1.5);
    EXPECT_FALSE(r.converged);
    EXPECT_GT(r.error, 1.0);
}
