#include "foundation/KTImproperIntegral.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

namespace {

constexpr double kPi = 3.14159265358979323846;
const double kDiverges = std::numeric_limits<double>::quiet_NaN();

} // namespace

// Poles inside the bounds and at them: 1/|x - c|^p has an integral for p < 1 (the closed form
// |x - c|^(1 - p) / (1 - p)) and none from p = 1 on; a log or a bounded jump is no pole.
TEST(KTImproperIntegral, DivergesOrMatchesTheClosedForm)
{
    struct Row
    {
        const char* name;
        std::function<double(double)> f;
        double a, b;
        double value; // NaN: diverges
        double magnitude;
        double tolerance;
    };
    const auto power = [](double p, double c) {
        return [p, c](double x) { return 1.0 / std::pow(std::fabs(x - c), p); };
    };
    const Row rows[] = {
        {"1/x over 0", [](double x) { return 1 / x; }, -1, 1, kDiverges, kDiverges, 0},
        {"1/x to 0", [](double x) { return 1 / x; }, 0, 1, kDiverges, kDiverges, 0},
        {"1/x from 0 backwards", [](double x) { return 1 / x; }, 1, 0, kDiverges, kDiverges, 0},
        {"1/x^2", [](double x) { return 1 / (x * x); }, -1, 1.5, kDiverges, kDiverges, 0},
        {"|x - 0.3|^-1", power(1.0, 0.3), 0, 1, kDiverges, kDiverges, 0},
        {"|x - 0.3|^-1.5", power(1.5, 0.3), 0, 1, kDiverges, kDiverges, 0},
        {"tan over pi/2", [](double x) { return std::tan(x); }, 0, 2, kDiverges, kDiverges, 0},
        {"1/(x - 2) to 2", [](double x) { return 1 / (x - 2); }, 0, 2, kDiverges, kDiverges, 0},
        {"1/x + 1000", [](double x) { return 1 / x + 1000; }, -1, 1, kDiverges, kDiverges, 0},
        {"x^-0.5 at 0", power(0.5, 0.0), 0, 1, 2.0, 2.0, 1e-9},
        {"x^-0.9 at 0", power(0.9, 0.0), 0, 1, 10.0, 10.0, 1e-8},
        {"x^-0.9 at 0 backwards", power(0.9, 0.0), 1, 0, -10.0, 10.0, 1e-8},
        {"|x|^-0.5 inside", power(0.5, 0.0), -1, 4, 6.0, 6.0, 1e-9},
        {"|x - 0.25|^-0.75 inside", power(0.75, 0.25), 0, 1,
         4 * (std::pow(0.25, 0.25) + std::pow(0.75, 0.25)), 4 * (std::pow(0.25, 0.25) + std::pow(0.75, 0.25)),
         1e-6},
        {"ln|x|", [](double x) { return std::log(std::fabs(x)); }, -1, 1, -2.0, 2.0, 1e-9},
        {"1/sqrt(1 - x^2), both ends", [](double x) { return 1 / std::sqrt(1 - x * x); }, -1, 1, kPi, kPi,
         1e-7},
        {"a jump", [](double x) { return x < 0.3 ? 1.0 : -2.0; }, 0, 1, 0.3 - 1.4, 0.3 + 1.4, 1e-9},
        {"x^2", [](double x) { return x * x; }, -1, 2, 3.0, 3.0 - 2.0 / 3.0 + 2.0 / 3.0, 1e-12},
        {"no value below 0", [](double x) { return x < 0 ? std::nan("") : x; }, -1, 1, 0.5, 0.5, 1e-12},
        {"empty", [](double x) { return 1 / x; }, 0, 0, 0.0, 0.0, 0},
    };
    for (const Row& row : rows) {
        const KTImproperIntegral::Result r = KTImproperIntegral::Integrate(row.f, row.a, row.b);
        if (std::isnan(row.value)) {
            EXPECT_EQ(r.kind, KTImproperIntegral::Kind::Diverges) << row.name;
            EXPECT_TRUE(r.singular) << row.name;
            EXPECT_GE(r.growth, KTImproperIntegral::kDivergentGrowth) << row.name;
            continue;
        }
        ASSERT_EQ(r.kind, KTImproperIntegral::Kind::Finite) << row.name << " growth " << r.growth;
        EXPECT_NEAR(r.value, row.value, row.tolerance) << row.name;
        EXPECT_NEAR(r.magnitude, row.magnitude, row.tolerance) << row.name;
    }
}

// The growth of |f| towards a spot, decade by decade: the power of a pole, 0 for a bounded
// function, a little for a logarithm.
TEST(KTImproperIntegral, GrowthIsThePowerOfThePole)
{
    const struct
    {
        const char* name;
        std::function<double(double)> f;
        double c;
        int side;
        double growth;
        double tolerance;
    } rows[] = {
        {"1/x", [](double x) { return 1 / x; }, 0, 1, 1.0, 1e-9},
        {"1/x from below", [](double x) { return 1 / x; }, 0, -1, 1.0, 1e-9},
        {"x^-0.3", [](double x) { return std::pow(x, -0.3); }, 0, 1, 0.3, 1e-9},
        {"1/(x-1)^2", [](double x) { return 1 / ((x - 1) * (x - 1)); }, 1, 1, 2.0, 1e-3},
        {"cos", [](double x) { return std::cos(x); }, 0, 1, 0.0, 1e-9},
        {"ln", [](double x) { return std::log(x); }, 0, 1, 0.0, 0.05},
    };
    for (const auto& row : rows)
        EXPECT_NEAR(KTImproperIntegral::Growth(row.f, row.c, row.side, 1.0, 1e-15), row.growth, row.tolerance)
            << row.name;
    // Nothing to measure: no values, or no room.
    EXPECT_TRUE(
        std::isnan(KTImproperIntegral::Growth([](double) { return std::nan(""); }, 0, 1, 1.0, 1e-15)));
    EXPECT_TRUE(std::isnan(KTImproperIntegral::Growth([](double x) { return 1 / x; }, 0, 1, 1e-14, 1e-15)));
}
