// What is typed is what is computed. Functions typed in school notation are read three ways:
// as the generator means them, through the typeset tree that the preview draws (a reader of
// its own), and through the calculation text that the evaluator runs; all three give one value.

#include "KTFunction3TestHelpers.h"

#include "foundation/KTSentinelValues.h"
#include "platform/KTLocale.h"
#include "support/KTSchoolNotation.h"
#include "support/KTTreeReader.h"
#include "typeset/KTEEquation.h"
#include "typeset/KTEOptions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace {

constexpr std::uint32_t kSeed = 20260301;
constexpr int kTexts = 3000;

bool Agree(double a, double b, double relative)
{
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b);
    return std::fabs(a - b) <= relative * std::max({1.0, std::fabs(a), std::fabs(b)});
}

/// The evaluator's value at x, NaN where it has none.
double Computed(KTFunction3& f, double x)
{
    const double y = f.Evaluate(x, KTNoSecondValue).m_y;
    return y == KTUndefinedValue || y == KTNoSecondValue ? std::nan("") : y;
}

struct Readings
{
    int status = 0;
    double computed = std::nan("");
    kttest::TreeReading shown;
};

Readings Read(const char* typed, int angleSystem, double x)
{
    KTAxes axes;
    kttest::SetAngleSystem(axes, angleSystem);
    KTFunction3 f(&axes);
    kttest::InterpretText(f, typed);
    Readings r;
    r.status = f.Status();
    r.computed = Computed(f, x);
    const KTEOptions options(KTEPresetGraphing);
    KTEEquation equation;
    equation.SetText(typed, options);
    r.shown = kttest::ReadTree(equation.GetTokens(), x, axes.AngleFactor());
    return r;
}

TEST(TypedReading, GeneratedTextsReadAsMeantAsShownAndAsComputed)
{
    KTLocale::Override('.', ',', 1);
    kttest::SchoolNotation texts(kSeed);
    int failures = 0;
    for (int n = 0; n < kTexts && failures < 20; ++n) {
        const kttest::SchoolText text = texts.Next();
        const double x = std::strtod(text.x.c_str(), nullptr);
        const Readings r = Read(text.typed.c_str(), text.angleSystem, x);
        const bool ok = r.status == KTStatusExplicit && r.shown.known &&
                        Agree(r.computed, r.shown.value, 1e-9) && Agree(r.computed, text.value, 1e-9);
        EXPECT_TRUE(ok) << "text " << n << " of seed " << kSeed << ": \"" << text.typed
                        << "\" at x = " << text.x << " (angle system " << text.angleSystem << ")\n  meant    "
                        << text.meaning << " = " << text.value << "\n  shown    "
                        << (r.shown.known ? "" : "(unread) ") << r.shown.value << "\n  computed "
                        << r.computed << " (status " << r.status << ")";
        failures += ok ? 0 : 1;
    }
    KTLocale::ClearOverride();
}

} // namespace
