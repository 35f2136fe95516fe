// libFuzzer harness over what a user types: up to four function texts, the angle unit and the
// family flag come from the input, and the graph interprets, recalculates and paints the whole
// picture into an image, as a view does. A fifth line is typed as a tangent's x and an
// integral's upper bound of the first function.
//
// Each line that is one explicit function of x is also read a second way, from the typeset tree
// the preview draws (tests/support/KTTreeReader.h): where the tree reads as a function of x, the
// evaluator must give its value at a few points, or the harness stops.
//
// Input: byte 0 holds the angle unit in bits 0-1 (3 lies outside the option's range), the
// family flag in bit 2 and the family constant (a, b, c, d, m) in bits 3-5; the rest is the
// texts, one a line.
//
// Built only with -DKT_FUZZ=ON and clang; run from the build folder (new inputs go to corpus/,
// the seeds stay as they are):
//     cd build-fuzz && mkdir -p corpus && QT_QPA_PLATFORM=offscreen
//     tests/graph/typed_text_fuzzer -max_total_time=60 corpus/ ../tests/data/graph/typed/
// Without KT_FUZZ the harness is built as typed_text_replay, which runs the seeds once.

#include "engine/KTFunction3.h"
#include "foundation/KTSentinelValues.h"
#include "graph/KTDerivativeFunction.h"
#include "graph/KTGraph3.h"
#include "graph/KTIntegralFunction.h"
#include "platform/KTDC.h"
#include "platform/KTLocale.h"
#include "platform/KTMessageBox.h"
#include "support/KTTreeReader.h"
#include "typeset/KTEEquation.h"
#include "typeset/KTEOptions.h"

#include <QGuiApplication>
#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kFunctions = 4;
constexpr int kImageWidth = 480;
constexpr int kImageHeight = 360;
constexpr int kDotsPerInch = 96;

std::vector<std::string> Lines(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < size && lines.size() <= kFunctions + 1; ++i) {
        if (data[i] == '\n')
            lines.emplace_back();
        else if (data[i] != 0) // a text never holds a NUL
            lines.back() += static_cast<char>(data[i]);
    }
    if (lines.size() > kFunctions + 1)
        lines.resize(kFunctions + 1);
    return lines;
}

bool NoValue(double v)
{
    return std::isnan(v) || v == KTUndefinedValue || v == KTNoSecondValue;
}

/// How far apart two values of a typed function may lie for rounding alone: relative to the
/// largest term on the way, not to what is left of it.
double Apart(double computed, const kttest::TreeReading& shown)
{
    if (NoValue(computed) || std::isnan(shown.value))
        return NoValue(computed) == std::isnan(shown.value) ? 0.0 : HUGE_VAL;
    const double difference = std::fabs(computed - shown.value);
    return difference <= 1e-6 * std::max({1.0, shown.scale, std::fabs(computed)}) ? 0.0 : difference;
}

/// Stops the run when the evaluator's value of a typed function differs from the value of the
/// tree its preview shows. Lines of several parts, and trees that are no function of x alone,
/// are not read.
void CheckTwoPaths(const std::string& line, int angleSystem)
{
    if (line.find_first_of(";:,") != std::string::npos)
        return;
    KTAxes axes;
    axes.m_options.m_angleSystem.m_value = angleSystem;
    KTFunction3 f(&axes);
    f.Data().m_equationText = line.c_str();
    f.Interpret();
    if (f.Status() != KTStatusExplicit || f.m_twoBranches || f.Parts().m_inverse || f.Parts().m_polar)
        return;
    const KTEOptions options(KTEPresetGraphing);
    KTEEquation equation;
    equation.SetText(line.c_str(), options);
    for (const double x :
         {-2.718281828459, -0.577215664902, 0.693147180560, 1.414213562373, 7.389056098931}) {
        const kttest::TreeReading shown = kttest::ReadTree(equation.GetTokens(), x, axes.AngleFactor());
        if (!shown.known)
            return;
        const double computed = f.Evaluate(x, KTNoSecondValue).m_y;
        const double apart = Apart(computed, shown);
        if (apart == 0.0)
            continue;
        // Where the tree's own value moves as far between x and a point 1e-12 of it away (near
        // a pole, an edge of a domain), the paths differ by their rounding, not their reading.
        const kttest::TreeReading near =
            kttest::ReadTree(equation.GetTokens(), x * (1.0 + 1e-12), axes.AngleFactor());
        if (std::isnan(near.value) != std::isnan(shown.value) || std::fabs(near.value - shown.value) >= apart)
            continue;
        std::fprintf(stderr, "\"%s\" at x = %.12g: computed %.17g, shown %.17g (%s)\n", line.c_str(), x,
                     computed, shown.value, equation.GetCalculationText(true).c_str());
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static std::unique_ptr<QGuiApplication> app = std::make_unique<QGuiApplication>(*argc, *argv);
    KTLocale::UseCNumericLocale();
    KTSetMessageBoxHandler([](const CString&, const CString&, unsigned) { return IDOK; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t settings = data[0];
    const std::vector<std::string> lines = Lines(data + 1, size - 1);

    KTGraph3 graph;
    graph.Data().m_options.m_axes.m_angleSystem.m_value = settings & 3;
    for (int slot = 0; slot < kFunctions && slot < static_cast<int>(lines.size()); ++slot)
        graph.Data().Function(slot).Data().m_equationText = lines[static_cast<std::size_t>(slot)].c_str();
    if (settings & 4) {
        static const char* const constants[] = {"a", "b", "c", "d", "m"};
        graph.SetConstantRange(constants[((settings >> 3) & 7) % 5], -2.0, 2.0, 1.0);
        graph.Data().m_family = 1;
    }
    if (lines.size() > kFunctions) {
        const CString typed = lines[kFunctions].c_str();
        KTDerivativeFunction tangent;
        tangent.m_function = 0;
        tangent.m_xText = typed;
        graph.AddDerivative(tangent, true);
        KTIntegralFunction integral;
        integral.m_first = 0;
        integral.m_second = KTIntegralFunction::kXAxis;
        integral.m_lowerText = "0";
        integral.m_upperText = typed;
        graph.AddIntegral(integral, true);
    }
    graph.SetDirty();

    QImage image(kImageWidth, kImageHeight, QImage::Format_RGB32);
    image.fill(0xFFFFFFFF);
    KTDC dc(&image);
    dc.SetResolution(kDotsPerInch, kDotsPerInch);
    dc.SetMapMode(MM_HIMETRIC);
    graph.ComputeDataExtents();
    graph.SetArea(0, 0, kImageWidth * HIMETRIC_INCH / kDotsPerInch,
                  -kImageHeight * HIMETRIC_INCH / kDotsPerInch);
    graph.Layout(dc);
    graph.Recalculate(nullptr);
    graph.Draw(dc, nullptr);
    // What interpretation left must be consistent: an error is never drawn.
    for (int slot = 0; slot < kFunctions; ++slot) {
        KTFunction3& function = graph.Data().Function(slot);
        if (function.Status() == KTStatusError && function.Data().m_interpreted)
            std::abort();
        (void)function.TakePendingMessages();
    }
    for (int slot = 0; slot < kFunctions && slot < static_cast<int>(lines.size()); ++slot)
        CheckTwoPaths(lines[static_cast<std::size_t>(slot)], settings & 3);
    return 0;
}
