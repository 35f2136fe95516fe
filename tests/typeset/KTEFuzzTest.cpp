// Random texts through every operation a paint or an interpretation runs: nothing may crash,
// throw or upset the sanitizers, and the calculation text keeps its contract.

#include "platform/KTDC.h"
#include "platform/KTLocale.h"
#include "typeset/KTEEquation.h"
#include "typeset/KTEOptions.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

std::string RandomText(std::mt19937& random)
{
    // Structure characters come often, so that deep and odd nestings are common.
    static const std::string structure = "()[]{}|^/\\,;:-+*=<>`o\"' .E";
    std::uniform_int_distribution<int> length(0, 200);
    std::uniform_int_distribution<int> choice(0, 2);
    std::uniform_int_distribution<int> printable(32, 126);
    std::uniform_int_distribution<int> pick(0, static_cast<int>(structure.size()) - 1);
    static const char* const words[] = {"sin",   "sqrt", "root", "int", "pi", "th",  "log",
                                        "sin-1", "xx",   "-->",  "|[",  "]|", "lim", "sigma",
                                        "qf",    "AB",   "<=",   "+-",  "::", "cm"};
    std::uniform_int_distribution<int> word(0, static_cast<int>(std::size(words)) - 1);
    std::string text;
    const int n = length(random);
    while (static_cast<int>(text.size()) < n) {
        switch (choice(random)) {
        case 0: text += static_cast<char>(printable(random)); break;
        case 1: text += structure[static_cast<size_t>(pick(random))]; break;
        default: text += words[word(random)]; break;
        }
    }
    return text.substr(0, 200);
}

TEST(FuzzTest, RandomTextsThroughEveryOperation)
{
    KTLocale::Override('.', ',', 1);
    std::mt19937 random(20261208);
    QImage image(300, 120, QImage::Format_ARGB32);
    for (int round = 0; round < 600; ++round) {
        const std::string text = RandomText(random);
        const KTEOptions options(round % 5);
        KTEEquation equation;
        ASSERT_NO_THROW({
            equation.SetText(text.c_str(), options);
            const CString plain = equation.GetCalculationText(false);
            const CString negated = equation.GetCalculationText(true);
            EXPECT_EQ(negated.GetLength() - plain.GetLength(),
                      2 * static_cast<int>(std::count(plain.str().begin(), plain.str().end(), '-')))
                << text;
            KTDC measuring(96, 96);
            measuring.SetMapMode(MM_HIMETRIC);
            const KTEExtent extent = equation.GetExtent(&measuring, options);
            EXPECT_GE(extent.width, 0) << text;
            EXPECT_GE(extent.height, 0) << text;
            if (round % 4 == 0) {
                image.fill(Qt::white);
                QPainter painter(&image);
                KTDC dc(&painter);
                dc.SetMapMode(MM_HIMETRIC);
                dc.SetBkMode(round % 8 == 0 ? OPAQUE : TRANSPARENT);
                equation.Draw(&dc, 100, -100, options);
            } else {
                equation.Draw(&measuring, 0, 0, options);
            }
        }) << text;
    }
    KTLocale::ClearOverride();
}

TEST(FuzzTest, DeepNestingIsBounded)
{
    const KTEOptions options(KTEPresetGraphing);
    for (const char* unit : {"(", "x^(", "sqrt(", "1/(", "|", "sin("}) {
        std::string text;
        for (int i = 0; i < 2000; ++i)
            text += unit;
        KTEEquation equation;
        equation.SetText(text.c_str(), options);
        equation.GetCalculationText(true);
        KTDC measuring(96, 96);
        measuring.SetMapMode(MM_HIMETRIC);
        equation.GetExtent(&measuring, options);
        equation.Draw(&measuring, 0, 0, options);
    }
}

} // namespace
