// What is typed is what is computed. Functions typed in school notation are read three ways:
// as the generator means them, through the typeset tree that the preview draws (a reader of
// its own), and through the calculation text that the evaluator runs; all three give one value.

#include "KTFunction3TestHelpers.h"

#include "foundation/KTSentinelValues.h"
#include "platform/KTLocale.h"
#include "support/KTSchoolNotation.h"
#include "support/KTTestSupport.h"
#include "support/KTTreeReader.h"
#include "typeset/KTEEquation.h"
#include "typeset/KTEOptions.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <vector>

namespace {

constexpr std::uint32_t kSeed = 20260301;
constexpr int kTexts = 3000;
constexpr std::uint32_t kTableSeed = 29;
constexpr int kTableTexts = 300;

std::filesystem::path TablePath()
{
    return kttest::DataDir() / "engine" / "typed-values.tsv";
}

/// The texts a teacher saw read wrongly once, with what they mean.
const kttest::SchoolText kSeenRows[] = {
    {"y=(6/x^2)/3", "((N('6')/pw(X,N('2')))/N('3'))", 1, "1"},
    {"y=(x/3^2)/2", "((X/pw(N('3'),N('2')))/N('2'))", 1, "-3"},
    {"y=sin(x/2^2)/3", "(sin((X/pw(N('2'),N('2'))))/N('3'))", 1, "2"},
    {"y=ln(x/2^2)/3", "(ln((X/pw(N('2'),N('2'))))/N('3'))", 1, "5"},
    {"y=cos(x/2^2)/3", "(cos((X/pw(N('2'),N('2'))))/N('3'))", 1, "2"},
    {"y=asin(x/2^2)/3", "(asin((X/pw(N('2'),N('2'))))/N('3'))", 1, "2"},
    {"y=abs(x/2^2)/3", "(abs((X/pw(N('2'),N('2'))))/N('3'))", 1, "-2"},
    {"y=|x/2^2|/3", "(abs_((X/pw(N('2'),N('2'))))/N('3'))", 1, "-2"},
    {"y=x/1E2", "(X/N('1E2'))", 1, "2"},
    {"y=x/2.5E-3", "(X/N('2.5E-3'))", 1, "2"},
    {"y=2/1E3", "(N('2')/N('1E3'))", 1, "1"},
    {"y=x^2/1E6-1E6", "((pw(X,N('2'))/N('1E6'))-N('1E6'))", 1, "1000"},
    {"y=2^|x|", "pw(N('2'),abs_(X))", 1, "-2"},
    {"y=x^|x|", "pw(X,abs_(X))", 1, "-2"},
    {"y=sqrt|x|", "sqrt_(abs_(X))", 1, "-4"},
    {"y=e^-|x|", "pw(E,(-abs_(X)))", 1, "-1"},
    {"y=ln|x|", "ln(abs_(X))", 1, "-2"},
    {"y=1/|x|", "(N('1')/abs_(X))", 1, "-2"},
    {"y=|x|^2", "pw(abs_(X),N('2'))", 1, "-3"},
    {"y=pi x/2", "(PI*(X/N('2')))", 1, "1.5"},
    {"y=x x/2", "(X*(X/N('2')))", 1, "3"},
    {"y=cos(2pi x/4)", "cos(((N('2')*PI)*(X/N('4'))))", 1, "0.7"},
    {"y=sinh(pi x/8)", "sinh((PI*(X/N('8'))))", 1, "1.2"},
    {"y=(pi x)/2", "((PI*X)/N('2'))", 1, "1.5"},
    {"y=2 x/2", "(N('2')*(X/N('2')))", 1, "1.5"},
    {"y=x^ 2", "pw(X,N('2'))", 1, "3"},
    {"y=2^ x", "pw(N('2'),X)", 1, "3"},
    {"y=e^ (x/2)", "pw(E,(X/N('2')))", 1, "2"},
    {"y=x ^ 2 - 1", "(pw(X,N('2'))-N('1'))", 1, "3"},
    {"y=2^2^(x)", "pw(N('2'),pw(N('2'),X))", 1, "1.5"},
    {"y=x^2^-x", "pw(X,pw(N('2'),(-X)))", 1, "2"},
    {"y=0^0^(x) + e^-|x|", "(pw(N('0'),pw(N('0'),X))+pw(E,(-abs_(X))))", 1, "0.7"},
    {"y=0^x^0", "pw(N('0'),pw(X,N('0')))", 1, "2"},
    {"y=x^(7/3)", "pw(X,(N('7')/N('3')))", 1, "-6000"},
    {"y=x^(11/3)", "pw(X,(N('11')/N('3')))", 1, "-300"},
    {"y=(-8)^(1/3)", "pw((-N('8')),(N('1')/N('3')))", 1, "0"},
    // the notations kept on purpose
    {"y=e^x", "pw(E,X)", 1, "1"},
    {"y=x2+3x", "(pw(X,N('2'))+(N('3')*X))", 1, "2"},
    {"y=x^2x", "pw(X,(N('2')*X))", 1, "1.5"},
    {"y=sin2x", "pw(sin(X),N('2'))", 1, "0.5"},
    {"y=1/2x", "(N('1')/(N('2')*X))", 1, "3"},
    {"y=1/2 x", "((N('1')/N('2'))*X)", 1, "3"},
    {"y=sin(30)", "sin(N('30'))", 0, "0"},
    {"y=cos(2x)+asin(x/100)", "(cos((N('2')*X))+asin((X/N('100'))))", 2, "37"},
};

struct TableRow
{
    kttest::SchoolText text;
    double value = 0.0;
};

std::vector<TableRow> ReadTable()
{
    std::vector<TableRow> rows;
    std::istringstream lines(kttest::ReadFileBytes(TablePath()));
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::vector<std::string> fields;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, '\t');)
            fields.push_back(cell);
        if (fields.size() != 5)
            continue;
        TableRow row;
        row.text.typed = fields[0];
        row.text.angleSystem = std::atoi(fields[1].c_str());
        row.text.x = fields[2];
        row.text.meaning = fields[3];
        row.value = std::strtod(fields[4].c_str(), nullptr);
        rows.push_back(row);
    }
    return rows;
}

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

// The table's values are computed from the meanings alone by the script beside it, at 40 digits.
TEST(TypedReading, TableTextsComputeTheirIndependentValues)
{
    KTLocale::Override('.', ',', 1);
    const std::vector<TableRow> rows = ReadTable();
    ASSERT_GE(rows.size(), std::size(kSeenRows) + kTableTexts) << TablePath();
    for (const TableRow& row : rows) {
        const double x = std::strtod(row.text.x.c_str(), nullptr);
        const Readings r = Read(row.text.typed.c_str(), row.text.angleSystem, x);
        EXPECT_EQ(r.status, KTStatusExplicit) << row.text.typed;
        EXPECT_TRUE(Agree(r.computed, row.value, 1e-9))
            << "\"" << row.text.typed << "\" at x = " << row.text.x << " (angle system "
            << row.text.angleSystem << "): computed " << r.computed << ", table " << row.value << " for "
            << row.text.meaning;
        EXPECT_TRUE(r.shown.known && Agree(r.shown.value, row.value, 1e-9))
            << "\"" << row.text.typed << "\" shown as " << r.shown.value << ", table " << row.value;
    }
    KTLocale::ClearOverride();
}

TEST(TypedReading, WritesTheValueTableWhenAsked)
{
    const QByteArray root = qgetenv("KT_WRITE_SAMPLES");
    if (root.isEmpty())
        GTEST_SKIP() << "set KT_WRITE_SAMPLES to the repository's folder to write the table";
    std::string table =
        "# Typed functions and their values, for TypedReading.TableTextsComputeTheirIndependentValues.\n"
        "# typed, angle system (0 degrees, 1 radians, 2 grads), x, meaning, value at x.\n"
        "# Written by TypedReading.WritesTheValueTableWhenAsked (the texts) and\n"
        "# typed-values.py (the values, from the meanings, at 40 digits).\n";
    const auto add = [&table](const kttest::SchoolText& text) {
        table += text.typed + "\t" + std::to_string(text.angleSystem) + "\t" + text.x + "\t" + text.meaning +
                 "\t\n";
    };
    for (const kttest::SchoolText& text : kSeenRows)
        add(text);
    kttest::SchoolNotation texts(kTableSeed);
    for (int n = 0; n < kTableTexts; ++n)
        add(texts.Next());
    kttest::WriteFileBytes(std::filesystem::path(root.constData()) / "tests/data/engine/typed-values.tsv",
                           table);
}

} // namespace
