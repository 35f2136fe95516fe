#include "KTCurveTestSupport.h"

#include "engine/KTPointPolisher.h"
#include "foundation/KTSentinelValues.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Row
{
    const char* postfix;
    double a, b;
    double expected; ///< KTNoSecondValue: nothing is there
};

void Check(const Row* rows, std::size_t count, bool poles)
{
    KTAxes axes;
    kttest::SetAxes(axes, -10, 10, -10, 10);
    for (std::size_t i = 0; i < count; ++i) {
        const Row& row = rows[i];
        KTFunction3 f(&axes);
        kttest::Prepare(f, kttest::Form::Explicit, row.postfix);
        KTPointPolisher polisher(f, 0.0125);
        const double x = poles ? polisher.PoleBetween(row.a, row.b) : polisher.RootBetween(row.a, row.b);
        if (row.expected == KTNoSecondValue) {
            EXPECT_EQ(x, KTNoSecondValue) << row.postfix << " on " << row.a << ".." << row.b;
        } else {
            EXPECT_NEAR(x, row.expected, 1e-12 * std::max(1.0, std::fabs(row.expected)))
                << row.postfix << " on " << row.a << ".." << row.b;
        }
    }
}

} // namespace

TEST(KTPointPolisher, RootsAreTheZerosOfASignChangeAndNothingElse)
{
    const Row rows[] = {
        {"x 3 ^", -0.0131, 0.0162, 0.0}, // a triple root: Newton's tolerance on f stops 0.002 short
        {"x 2 ^ 2 -", 1.3, 1.5, std::sqrt(2.0)},
        {"x 2 ^ 2 -", 1.5, 1.3, std::sqrt(2.0)}, // the ends either way round
        {"x SIN", 3.1, 3.2, kPi},
        {"x 5 ^ 1000 *", -0.0131, 0.0162, 0.0},
        {"x 1.5 -", 1.5, 1.6, 1.5}, // on an end
        // The sign changes through a pole or by a jump: no root.
        {"1 x /", -0.0131, 0.0162, KTNoSecondValue},
        {"x TAN", 1.5, 1.6, KTNoSecondValue},
        {"x ABS x /", -0.0131, 0.0162, KTNoSecondValue},
        {"1 x 3 ^ /", -0.0131, 0.0162, KTNoSecondValue},
        // No sign change at all.
        {"x 2 ^ 1 +", -1, 1, KTNoSecondValue},
    };
    Check(rows, std::size(rows), false);
}

TEST(KTPointPolisher, PolesAreWhereTheMagnitudeGrowsWithoutBound)
{
    const Row rows[] = {
        {"x TAN", 1.5, 1.6, kPi / 2},
        {"x TAN", -1.6, -1.55, -kPi / 2},
        {"1 x 2 ^ /", -0.0131, 0.0162, 0.0}, // one sign either side
        {"1 x 0.7 - /", 0.69, 0.72, 0.7},
        {"x 1 - ABS LN", 0.99, 1.02, 1.0}, // a logarithm grows slowly
        // A narrow peak leaves the view and comes back; a jump changes sign: no pole.
        {"-100 x 2 ^ * EXP 100 *", -0.0131, 0.0162, KTNoSecondValue},
        {"x ABS x / 50 *", -0.0131, 0.0162, KTNoSecondValue},
    };
    Check(rows, std::size(rows), true);
}

TEST(KTPointPolisher, TheSamplesOwnValuesStandForTheirEvaluation)
{
    // Asked with each sample's stored value, the sign changes are those of the evaluation at the
    // sample, and the curvatures agree to the few units in the last place by which a row's vector
    // cosine may differ from the scalar one; cos(3x) bends the other way at x = pi/6 + k pi/3.
    KTAxes axes;
    kttest::SetAxes(axes, -2, 2, -2, 2);
    KTFunction3 f(&axes);
    kttest::Prepare(f, kttest::Form::Explicit, "x 3 * COS");
    f.Calculate();
    const KTCurvePointBuffer& buffer = *f.m_buffer1;
    KTPointPolisher polisher(f, 0.0025);
    std::vector<double> fromValues;
    std::vector<double> evaluated;
    polisher.ForEachSignChangeOfSamples(
        [&](double x, double fx) { return polisher.Curvature(x, 1.0, fx); }, buffer, 0, buffer.m_count - 1,
        [&](const KTBracketSearch::Bracket& b) { fromValues.push_back(b.a); });
    polisher.ForEachSignChange([&](double x) { return polisher.Curvature(x); }, buffer, 0, buffer.m_count - 1,
                               [&](const KTBracketSearch::Bracket& b) { evaluated.push_back(b.a); });
    EXPECT_EQ(fromValues, evaluated);
    ASSERT_EQ(evaluated.size(), 4u); // -pi/2, -pi/6, pi/6, pi/2 within [-2, 2]
    for (std::size_t k = 0; k < evaluated.size(); ++k)
        EXPECT_NEAR(evaluated[k], -kPi / 2 + static_cast<double>(k) * kPi / 3, 0.003) << k;
    for (int i = 0; i < buffer.m_count; i += 97) {
        const KTPoint& p = buffer.m_points[static_cast<std::size_t>(i)].m_point;
        const double evaluatedCurvature = polisher.Curvature(p.m_x);
        EXPECT_NEAR(polisher.Curvature(p.m_x, 1.0, p.m_y), evaluatedCurvature, 1e-9 * std::fabs(evaluatedCurvature))
            << i;
    }
}
