// Interpretation of typed function texts: parts, forms, branches, relation, domain, status and
// messages; deferred messages; the user's separators; re-interpretation; a consistency
// property against independent arithmetic; and a fuzz run.

#include "KTFunction3TestHelpers.h"

#include "engine/ASNodePool.h"
#include "foundation/KTSentinelValues.h"
#include "platform/KTLocale.h"
#include "support/KTTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>

namespace {

constexpr double N = KTNoSecondValue;
constexpr double U = KTUndefinedValue;
constexpr int Unbounded = KTFunctionDomain::EndUnbounded;
constexpr int None = KTFunctionDomain::EndNone;
constexpr int Open = KTFunctionDomain::EndOpen;
constexpr int Closed = KTFunctionDomain::EndClosed;

std::string Repeated(const char* piece, int times)
{
    std::string text;
    for (int i = 0; i < times; ++i)
        text += piece;
    return text;
}

/// Everything interpretation leaves in a function, printed, and the values of both branches at
/// two points: two interpretations agree when their descriptions do.
std::string InterpretedState(KTFunction3& f)
{
    const KTEquationPartList& parts = f.Parts();
    std::string out =
        KTFormatC("status %d message '%s' flags %d%d%d%d%d%d%d parts %d '%s'\n", parts.GetStatus(),
                  parts.GetMessage().c_str(), parts.m_polar, parts.m_inverse, parts.m_parametricX,
                  parts.m_parametricY, parts.IsErrorLatched(), f.m_twoBranches, f.m_rearranged,
                  parts.GetCount(), parts.GetDescription().c_str());
    for (int i = 0; i < parts.GetCount(); ++i)
        out += KTFormatC("part %d '%s' '%s'\n", parts.At(i).Kind(), parts.At(i).Text().c_str(),
                         parts.At(i).SecondText().c_str());
    const KTFunctionData3& d = f.m_data;
    for (int i = 0; i < KTFunctionData3::ListCount; ++i)
        out += "list " + kttest::Describe(*d.List(i)) + "\n";
    const auto domain = [](const KTFunctionDomain& m) {
        return KTFormatC("%d %.17g %.17g %d %d %d", m.m_valid, m.m_low, m.m_high, m.m_lowEnd, m.m_highEnd,
                         m.m_variable);
    };
    out += KTFormatC("current %d expression '%s' interpreted %d uses %d%d%d%d%d%d%d relation %d\n",
                     d.CurrentListIndex(), d.m_expressionText.c_str(), d.m_interpreted, d.m_usesConstant,
                     d.m_usesA, d.m_usesB, d.m_usesC, d.m_usesD, d.m_usesM, d.m_usesTrig, d.m_relation);
    out += "domain " + domain(d.m_domain) + " value domain " + domain(d.m_valueDomain) +
           KTFormatC(" lists %d\n", d.m_valueLists);
    const int current = d.CurrentListIndex();
    for (int list = 0; list < 2; ++list) {
        f.m_data.SelectList(list);
        for (const double x : {0.5, 1.5})
            out += KTFormatC("f%d(%g) = %.17g\n", list, x, f.Evaluate(x, N).m_y);
    }
    f.m_data.SelectList(current);
    return out;
}

/// What a function of the same owner, text and constants gives when it interprets afresh.
std::string FreshState(const KTFunction3& f)
{
    KTFunction3 fresh(f.m_data.m_owner);
    fresh.m_data.m_constants.CopyFrom(f.m_data.m_constants);
    kttest::InterpretText(fresh, f.m_data.m_equationText.c_str());
    return InterpretedState(fresh);
}

/// The user's separators for the life of the object.
struct LocaleOverride
{
    LocaleOverride(char decimal, char list) { KTLocale::Override(decimal, list, 1); }
    ~LocaleOverride() { KTLocale::ClearOverride(); }
    LocaleOverride(const LocaleOverride&) = delete;
    LocaleOverride& operator=(const LocaleOverride&) = delete;
};

struct InterpretRow
{
    const char* text;
    int status;
    const char* flags; ///< polar, inverse, parametric x, parametric y, two branches, drawable
    int relation;
    int domainValid;
    double low;
    double high;
    int lowEnd;
    int highEnd;
    const char* message;
};

TEST(KTFunction3Interpret, InterpretationTable)
{
    const InterpretRow rows[] = {
        {"y = 2x + 1", 1, "000001", 38, 1, -100000, 100000, Unbounded, Unbounded, ""},
        {"x^2 + y^2 = 4", 1, "000011", 38, 1, -100000, 100000, Unbounded, Unbounded, ""},
        {"r = 2sin(3th)", 1, "100001", 38, 1, 0, 360, None, None, ""},
        {"th = r", 1, "110001", 38, 1, 0, 10, None, None, ""},
        {"x = cos(t); y = sin(t)", 4, "001101", 38, 1, 0, 360, None, None, ""},
        {"x = t; y = t^2", 4, "001101", 38, 1, 0, 20, None, None, ""},
        {"y = sin(t); x = cos(t)", 4, "001101", 38, 1, 0, 360, None, None, ""},
        {"y = x; y = 2x", 5, "000000", 38, 1, -100000, 100000, Unbounded, Unbounded,
         "Can not interpret equation"},
        {"x = cos(t); y = x", 5, "001000", 38, 1, 0, 360, None, None, "Can not interpret equation"},
        {"y = t^2", 4, "000101", 38, 1, -100000, 100000, Unbounded, Unbounded, ""},
        {"y > x^2 - 3; [-2, 2)", 1, "000001", 43, 1, -2, 2, Closed, Open, ""},
        {"y <= x", 1, "000001", 46, 1, -100000, 100000, Unbounded, Unbounded, ""},
        {"y = a x^2", 1, "000001", 38, 1, -100000, 100000, Unbounded, Unbounded, ""},
        {"y = 3", 1, "000001", 38, 1, -100000, 100000, Unbounded, Unbounded, ""},
        {"x = 2", 1, "010001", 38, 1, -100000, 100000, Unbounded, Unbounded, ""},
        {"y = 5x", 1, "000001", 38, 1, -100000, 100000, Unbounded, Unbounded, ""},
        {"x = y^2", 1, "010001", 38, 1, -100000, 100000, Unbounded, Unbounded, ""},
        {"sin(y) = x", 7, "000001", 38, 1, -100000, 100000, Unbounded, Unbounded, ""},
        {"2y + 3x = 6", 1, "000001", 38, 1, -100000, 100000, Unbounded, Unbounded, ""},
        {"x*y = 1", 1, "000001", 38, 1, -100000, 100000, Unbounded, Unbounded, ""},
        {"y=+-sqrt(x)", 1, "000011", 38, 1, -100000, 100000, Unbounded, Unbounded, ""},
        {"x^2", 1, "000001", 38, 1, -100000, 100000, Unbounded, Unbounded, ""},
        {"f(x) = x^2", 1, "000001", 38, 1, -100000, 100000, Unbounded, Unbounded, ""},
        {"y=x^2; [0, 2]", 1, "000001", 38, 1, 0, 2, Closed, Closed, ""},
        {"y=x; x>0", 1, "000001", 38, 1, 0, 100000, Open, Unbounded, ""},
        {"y=x; (1, 3)", 1, "000001", 38, 1, 1, 3, Open, Open, ""},
        {"y=x; <1, 3>", 5, "000000", -1, 1, -100000, 100000, Unbounded, Unbounded,
         "Can not interpret equation"},
        {"(1, 2)", 2, "000001", -1, 1, -100000, 100000, Unbounded, Unbounded, ""},
        {"<1, 2>", 2, "000001", -1, 1, -100000, 100000, Unbounded, Unbounded, ""},
        {"", 5, "000000", -1, 1, -100000, 100000, Unbounded, Unbounded, ""},
        {"y = x; [0, 1]; [2, 3]", 5, "000000", -1, 1, 0, 1, Closed, Closed, "Can not interpret equation"},
        {"y = x; [3, 1]", 5, "000000", -1, 0, 3, 1, Closed, Closed, "Not a valid domain"},
        {"y = x; x > 1; x < 2", 5, "000000", -1, 1, 1, 100000, Open, Unbounded, "Too many domains"},
        {"y=+-x+-1", 5, "000000", -1, 1, -100000, 100000, Unbounded, Unbounded,
         "More than one +- in equation"},
        {"y = x + t", 5, "000000", -1, 1, -100000, 100000, Unbounded, Unbounded,
         "Invalid combination of variables"},
        {"y = foo(x)", 5, "000000", -1, 1, -100000, 100000, Unbounded, Unbounded,
         "Can not interpret equation"},
        {"y = x +", 5, "000000", 38, 1, -100000, 100000, Unbounded, Unbounded, "Can not interpret equation"},
        {"r = sin(r th)", 5, "100000", 38, 1, 0, 360, None, None, "Please rearrange equation to r = or th ="},
        // A domain on the dependent variable bounds the values; the range stays the form's own.
        {"x^2 + y^2 = 4; y > 0", 1, "000011", 38, 1, -100000, 100000, Unbounded, Unbounded, ""},
        {"y = x^2; y < 4", 1, "000001", 38, 1, -100000, 100000, Unbounded, Unbounded, ""},
        {"x = y^2; x < 4", 1, "010001", 38, 1, -100000, 100000, Unbounded, Unbounded, ""},
        {"x = y^2; y < 4", 1, "010001", 38, 1, -100000, 4, Unbounded, Open, ""},
        {"r = 2; r < 1", 1, "100001", 38, 1, 0, 360, None, None, ""},
        {"r = 2; th < 90", 1, "100001", 38, 1, 0, 90, None, None, ""},
        {"x = cos(t); y = sin(t); y > 0", 4, "001101", 38, 1, 0, 360, None, None, ""},
        {"sin(y) = x; y > 0", 7, "000001", 38, 1, -100000, 100000, Unbounded, Unbounded, ""},
        // A variable the equation does not have is no domain of it.
        {"y = x^2; t < 1", 5, "000000", 38, 0, -100000, 1, Unbounded, Open, "Not a valid domain"},
        {"r = 2; x > 1", 5, "100000", 38, 0, 1, 360, None, None, "Not a valid domain"},
        {"sin(y) = x; t > 0", 5, "000000", 38, 0, 0, 100000, Open, Unbounded, "Not a valid domain"},
        // Long equations: the calculation text's brackets and signs fit the lists.
        {"y=sin(x)+sin(2x)/2+sin(3x)/3+sin(4x)/4+sin(5x)/5+sin(6x)/6+sin(7x)/7+sin(8x)/8+sin(9x)/9", 1,
         "000001", 38, 1, -100000, 100000, Unbounded, Unbounded, ""},
        {"y=1+x+x^2/2+x^3/6+x^4/24+x^5/120+x^6/720+x^7/5040+x^8/40320+x^9/362880+x^10/3628800", 1, "000001",
         38, 1, -100000, 100000, Unbounded, Unbounded, ""},
    };
    KTAxes axes;
    kttest::SetAngleSystem(axes, 0);
    for (const InterpretRow& row : rows) {
        KTFunction3 f(&axes);
        kttest::InterpretText(f, row.text);
        const KTEquationPartList& parts = f.Parts();
        const std::string flags = std::string() + char('0' + parts.m_polar) + char('0' + parts.m_inverse) +
                                  char('0' + parts.m_parametricX) + char('0' + parts.m_parametricY) +
                                  char('0' + f.m_twoBranches) + char('0' + f.m_data.m_interpreted);
        EXPECT_EQ(row.status, f.Status()) << row.text;
        EXPECT_EQ(row.flags, flags) << row.text;
        EXPECT_EQ(row.relation, f.m_data.m_relation) << row.text;
        EXPECT_EQ(CString(row.message), parts.GetMessage()) << row.text;
        const KTFunctionDomain& d = f.m_data.m_domain;
        EXPECT_EQ(row.domainValid, d.m_valid) << row.text;
        EXPECT_NEAR(row.low, d.m_low, 1e-9) << row.text;
        EXPECT_NEAR(row.high, d.m_high, 1e-9) << row.text;
        EXPECT_EQ(row.lowEnd, d.m_lowEnd) << row.text;
        EXPECT_EQ(row.highEnd, d.m_highEnd) << row.text;
    }

    // 255 typed characters are read whatever their parts; one more is too long, and says so.
    const struct
    {
        std::string text;
        double at1; ///< the value at x = 1
    } lengths[] = {
        {"y=" + Repeated("x+", 126) + "x", 127},
        {"y=" + Repeated("-(", 84) + "x" + Repeated(")", 84), 1},
        {"y=" + Repeated("x/(x-", 42) + "x" + Repeated(")", 42), U}, // 1/(1-1/(1-...)) meets 1/0
        {"y=" + Repeated("sin(", 50) + "x" + Repeated(")", 50), 0.23391394784444508},
    };
    for (const auto& row : lengths) {
        ASSERT_LE(row.text.size(), 255u);
        KTFunction3 f(&axes);
        kttest::SetAngleSystem(axes, 1);
        kttest::InterpretText(f, row.text.c_str());
        EXPECT_EQ(KTStatusExplicit, f.Status()) << row.text << f.Parts().GetMessage().c_str();
        EXPECT_NEAR(row.at1, f.Evaluate(1.0, N).m_y, 1e-12) << row.text;
        kttest::InterpretText(f, (row.text + std::string(256 - row.text.size(), ' ')).c_str());
        EXPECT_EQ(KTStatusError, f.Status()) << row.text;
        EXPECT_EQ(CString("Equation too long (more than 255 characters)"), f.Parts().GetMessage())
            << row.text;
        EXPECT_EQ(0, f.m_data.m_interpreted) << row.text;
    }
}

TEST(KTFunction3Interpret, PartsAreFiled)
{
    KTFunction3 f;
    kttest::InterpretText(f, "y=x^2; [0, 2]");
    EXPECT_EQ(CString("y=x^2"), f.Parts().FindPart(KTPartExecute1, 1).Text());
    EXPECT_EQ(CString("y=x^2"), f.Parts().FindPart(KTPartExecute1, 1).SecondText());
    EXPECT_EQ(CString("[0, 2]"), f.Parts().FindPart(KTPartDomain, 1).Text());

    kttest::InterpretText(f, "x = cos(t); y = sin(t)");
    EXPECT_EQ(1, f.Parts().CountParts(KTPartExecute1));
    EXPECT_EQ(1, f.Parts().CountParts(KTPartExecute2));
    EXPECT_EQ(CString("y = sin(t)"), f.Parts().FindPart(KTPartExecute2, 1).SecondText());

    kttest::InterpretText(f, "y = x - 1");
    EXPECT_EQ(CString("y=x-1*1"), f.Parts().FindPart(KTPartExecute1, 1).Text());
    EXPECT_EQ(CString("x-1*1"), f.m_data.m_expressionText);
}

struct ValueCheck
{
    const char* text;
    double x;
    double expected;
    int list; ///< 0 first branch, 1 second
};

TEST(KTFunction3Interpret, InterpretedFunctionsEvaluate)
{
    const ValueCheck rows[] = {
        {"y = pi - x", 1, 2.141592654, 0},
        {"y = a - x", 3, -2, 0},
        {"y = 2x + 1", 2, 5, 0},
        {"y = -x^2", 3, -9, 0},
        {"y = 2^-x", 1, 0.5, 0},
        {"y = x^(1/3)", -8, -2, 0},
        {"y=+-sqrt(x)", 4, 2, 0},
        {"y=+-sqrt(x)", 4, -2, 1},
        {"x^2 + y^2 = 25", 3, 4, 0},
        {"x^2 + y^2 = 25", 3, -4, 1},
        {"2y + 3x = 6", 2, 0, 0},
        {"x*y = 1", 4, 0.25, 0},
        {"x = cos(t); y = sin(t)", 90, 0, 0},
        {"x = cos(t); y = sin(t)", 90, 1, 1},
        {"y = sin(t); x = 2cos(t)", 0, 2, 0},
        {"y = sin(t); x = 2cos(t)", 90, 1, 1},
        {"r = 2sin(3th)", 30, 2, 0},
        {"x = y^2", 3, 9, 0},
        {"f(x) = 3x", 2, 6, 0},
        {"y = sin(x)^2 + cos(x)^2", 33, 1, 0},
        {"y = |x - 5|", 2, 3, 0},
        // A domain on the dependent variable: no value where the value lies outside it.
        {"x^2 + y^2 = 4; y > 0", 1, 1.7320508075688772, 0},
        {"x^2 + y^2 = 4; y > 0", 1, U, 1},
        {"x^2 + y^2 = 4; y <= 0", 1, -1.7320508075688772, 1},
        {"y = x^2; y < 4", 1.5, 2.25, 0},
        {"y = x^2; y < 4", 3, U, 0},
        {"y = x^2; y < 4", -2, U, 0},
        {"y = x^2; y <= 4", -2, 4, 0},
        {"y = x^2; 1 < y < 4", 0.5, U, 0},
        {"x = y^2; x < 4", 1.5, 2.25, 0},
        {"x = y^2; x < 4", -3, U, 0},
        {"r = 2; r < 1", 30, U, 0},
        {"r = 2sin(th); r > 1", 90, 2, 0},
        {"r = 2sin(th); r > 1", 10, U, 0},
        {"x = cos(t); y = sin(t); y > 0", 90, 1, 1},
        {"x = cos(t); y = sin(t); y > 0", 270, U, 1},
        {"x = cos(t); y = sin(t); y > 0", 270, 0, 0},
        {"x = cos(t); y = sin(t); x > 0", 180, U, 0},
        {"y = 1 + x + x^2/2 + x^3/6 + x^4/24 + x^5/120 + x^6/720 + x^7/5040 + x^8/40320 + x^9/362880", 1,
         2.7182815255731922, 0},
    };
    KTAxes axes;
    kttest::SetAngleSystem(axes, 0);
    for (const ValueCheck& row : rows) {
        KTFunction3 f(&axes);
        kttest::InterpretText(f, row.text);
        f.m_data.SelectList(row.list);
        EXPECT_NEAR(row.expected, f.Evaluate(row.x, N).m_y, 1e-8) << row.text;
    }
}

TEST(KTFunction3Interpret, MessagesAreDeferredAndRecordedOncePerText)
{
    kttest::MessageBoxRecorder boxes;
    KTFunction3 f;
    kttest::InterpretText(f, "y = 1/(0)");
    f.Interpret(); // a repaint
    const std::vector<KTInputMessage> messages = f.TakePendingMessages();
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ(CString("Function Error"), messages[0].caption);
    EXPECT_EQ(CString("Function undefined - Division by 0"), messages[0].text);
    f.Interpret();
    EXPECT_TRUE(f.TakePendingMessages().empty()); // the same text: shown once
    kttest::InterpretText(f, "y = 2/(0)");
    EXPECT_EQ(1u, f.TakePendingMessages().size()); // a new text
    EXPECT_TRUE(boxes.Boxes().empty());            // never a box from inside interpretation

    struct Row
    {
        const char* text;
        const char* caption;
        const char* message;
    };
    const Row rows[] = {
        {"x y", "KT Graph Input Error", "Implicit equation does not contain a relationship (=,<,>,<= or >=)"},
        {"r = sin(r th)", "KT Graph Input Error", "Please rearrange equation to r = or th ="},
    };
    for (const Row& row : rows) {
        KTFunction3 g;
        kttest::InterpretText(g, row.text);
        const std::vector<KTInputMessage> pending = g.TakePendingMessages();
        ASSERT_EQ(1u, pending.size()) << row.text;
        EXPECT_EQ(CString(row.caption), pending[0].caption);
        EXPECT_EQ(CString(row.message), pending[0].text);
    }
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(KTFunction3Interpret, CommaDecimalLocale)
{
    KTLocale::Override(',', ';', 31);
    KTAxes axes;
    KTFunction3 f(&axes);
    kttest::InterpretText(f, "y = 1,5x: [0; 2,5]");
    EXPECT_EQ(KTStatusExplicit, f.Status());
    EXPECT_NEAR(3.0, f.Evaluate(2, N).m_y, 1e-12);
    EXPECT_EQ(1, f.m_data.m_domain.m_valid);
    EXPECT_EQ(0.0, f.m_data.m_domain.m_low);
    EXPECT_EQ(2.5, f.m_data.m_domain.m_high);
    kttest::InterpretText(f, "x = cos(t): y = sin(t)");
    EXPECT_EQ(KTStatusParametric, f.Status());
    KTLocale::ClearOverride();
}

TEST(KTFunction3Interpret, DomainParts)
{
    struct Row
    {
        const char* part;
        int valid;
        double low;
        double high;
        int lowEnd;
        int highEnd;
        int variable;
    };
    const Row rows[] = {
        {"[1, 3)", 1, 1, 3, Closed, Open, 0},
        {"<1, 3>", 1, 1, 3, None, None, 0},
        {"3 >= x > 1", 1, 1, 3, Open, Closed, 1},
        {"1 < x <= 3", 1, 1, 3, Open, Closed, 1},
        {"5 < x < 2", 0, 5, 2, Open, Open, 1},
        {"2 <= x <= 2", 1, 2, 2, Closed, Closed, 1},
        {"0 < t < x", 0, -100000, 100000, Unbounded, Unbounded, -1},
        {"x > 1 > x", 0, -100000, 100000, Unbounded, Unbounded, 1},
        {"x < 1 > 0", 0, -100000, 100000, Unbounded, Unbounded, 1},
        {"x >= 2", 1, 2, 100000, Closed, Unbounded, 1},
        {"5 > x", 1, -100000, 5, Unbounded, Open, 1},
        {"x > foo", 0, -100000, 100000, Unbounded, Unbounded, 0},
        {"[a, 2a]", 1, 2, 4, Closed, Closed, 0},
        {"[0, pi]", 1, 0, 3.141592654, Closed, Closed, 0},
        {"", 1, -100000, 100000, Unbounded, Unbounded, 0},
    };
    KTFunction3 f;
    f.m_data.m_constants.m_range[0].m_current = 2;
    for (const Row& row : rows) {
        const KTFunctionDomain d = f.InterpretDomain(KTEquationPart(row.part, row.part, KTPartDomain));
        EXPECT_EQ(row.valid, d.m_valid) << row.part;
        EXPECT_NEAR(row.low, d.m_low, 1e-9) << row.part;
        EXPECT_NEAR(row.high, d.m_high, 1e-9) << row.part;
        EXPECT_EQ(row.lowEnd, d.m_lowEnd) << row.part;
        EXPECT_EQ(row.highEnd, d.m_highEnd) << row.part;
        EXPECT_EQ(row.variable, d.m_variable) << row.part;
    }
}

TEST(KTFunction3Interpret, BranchText)
{
    KTFunction3 f;
    kttest::InterpretText(f, "y=+-sqrt(x)");
    f.m_data.m_equationText = "y=+-sqrt(x)";
    f.m_nearSecondBranch = 1;
    EXPECT_EQ(CString("y=-sqrt(x)"), f.EquationForBranch(" (+)", " (-)", true, true));
    EXPECT_EQ(CString("y=+-sqrt(x) (-)"), f.EquationForBranch(" (+)", " (-)", true, false));
    f.m_nearSecondBranch = 0;
    EXPECT_EQ(CString("y=+sqrt(x)"), f.EquationForBranch(" (+)", " (-)", true, true));
    EXPECT_EQ(CString("y=+-sqrt(x)"), f.EquationForBranch(" (+)", " (-)", false, true));
}

// No node pointer survives into the next interpretation: interpret the same and other texts
// over and over (run under the sanitizers in CI) and the results stay the same.
TEST(KTFunction3Interpret, ReinterpretationIsStable)
{
    const char* texts[] = {"x^2 + y^2 = 4", "y = x/(x-1)", "x*y = 1", "2y + 3x = 6", "y^2 = x", "sin(y) = x"};
    KTFunction3 a;
    KTFunction3 b;
    for (int round = 0; round < 20; ++round) {
        for (const char* text : texts) {
            kttest::InterpretText(a, text);
            const double first = a.Evaluate(0.5, N).m_y;
            kttest::InterpretText(b, texts[round % 6]);
            a.Interpret();
            EXPECT_EQ(first, a.Evaluate(0.5, N).m_y) << text;
        }
    }
}

// A paint interprets every function again: with nothing it reads changed, the outputs of the
// last run are put back, whatever sampling, a domain's reading or another function's run (which
// empties the node pool) did to them in between, and they are what a fresh run gives.
TEST(KTFunction3Interpret, RepeatedInterpretationEqualsFreshOne)
{
    const char* texts[] = {"y = 2x + 1",
                           "x^2 + y^2 = 4; y > 0",
                           "r = 2sin(3th)",
                           "th = r",
                           "x = cos(t); y = sin(t)",
                           "y=+-sqrt(x)",
                           "y = 1/(x-2)",
                           "x^3 + y^3 = 9xy",
                           "y = e^(x/3); [-8, 4]",
                           "x = y^2; y < 4",
                           "sin(y) = x",
                           "y > x^2 - 3; [-2, 2)",
                           "y = a x^2 + b",
                           "y = x; [0, 10sin(90)]",
                           "(1, 2)",
                           "y = x +",
                           "y = foo(x)",
                           "r = sin(r th)",
                           "y = 1/(0)",
                           "y = x; [3, 1]"};
    KTAxes axes;
    kttest::SetAngleSystem(axes, 0);
    KTFunction3 other(&axes);
    for (const char* text : texts) {
        KTFunction3 f(&axes);
        kttest::InterpretText(f, text);
        const std::string first = InterpretedState(f);
        // What the paint does between two runs.
        f.m_data.SelectList(KTFunctionData3::SecondBranchList);
        f.m_data.m_domain.m_lowEnd = KTFunctionDomain::EndUnbounded;
        f.m_data.m_domain.m_high = 3.0;
        f.m_data.m_usesTrig = 1;
        f.Parts().SetStatus(KTStatusImplicit);
        f.m_data.List(KTFunctionData3::FirstBranchList)->Clear();
        kttest::InterpretText(other, "x^2 + y^2 = 9");
        f.Interpret();
        EXPECT_EQ(first, InterpretedState(f)) << text;
        EXPECT_EQ(FreshState(f), InterpretedState(f)) << text;
    }
}

// Each thing interpretation reads, changed, makes the next run read the text again: what it
// then holds is what a fresh run gives, and not what it held before.
TEST(KTFunction3Interpret, ChangedInputsInterpretAgain)
{
    struct Row
    {
        const char* input;
        const char* text;
        std::function<void(KTFunction3&, KTAxes&)> before; ///< the state of the first run
        std::function<void(KTFunction3&, KTAxes&)> change;
    };
    const auto none = [](KTFunction3&, KTAxes&) {};
    const auto degrees = [](KTFunction3&, KTAxes& axes) { kttest::SetAngleSystem(axes, 0); };
    std::unique_ptr<LocaleOverride> locale;
    const auto separators = [&locale](char decimal, char list) {
        return [&locale, decimal, list](KTFunction3&, KTAxes&) {
            locale.reset();
            locale = std::make_unique<LocaleOverride>(decimal, list);
        };
    };
    const Row rows[] = {
        {"text", "y = x^2", none, [](KTFunction3& f, KTAxes&) { f.m_data.m_equationText = "y = x^3"; }},
        {"domain text", "y = x; [0, 2]", none,
         [](KTFunction3& f, KTAxes&) { f.m_data.m_equationText = "y = x; [0, 3]"; }},
        {"decimal separator", "y = 1,5x", separators('.', ';'), separators(',', ';')},
        {"list separator", "y = x: [1; 2]", separators('.', ','), separators('.', ';')},
        {"angle unit of a default domain", "r = 2", degrees,
         [](KTFunction3&, KTAxes& axes) { kttest::SetAngleSystem(axes, 2); }},
        {"angle unit of a typed bound", "y = x; [0, 10sin(90)]", degrees,
         [](KTFunction3&, KTAxes& axes) { kttest::SetAngleSystem(axes, 1); }},
        {"angle unit out of range", "r = 2", degrees,
         [](KTFunction3&, KTAxes& axes) { kttest::SetAngleSystem(axes, 9); }},
        {"owner", "x = cos(t); y = sin(t)", [](KTFunction3& f, KTAxes&) { f.m_data.m_owner = nullptr; },
         [](KTFunction3& f, KTAxes& axes) {
             f.m_data.m_owner = &axes;
             kttest::SetAngleSystem(axes, 0);
         }},
        {"constant a", "y = x; [0, a]", none,
         [](KTFunction3& f, KTAxes&) { f.m_data.m_constants.m_range[KTConstantA].m_current = 3.0; }},
        {"constant m", "y = x; x < 2m", none,
         [](KTFunction3& f, KTAxes&) { f.m_data.m_constants.m_range[KTConstantM].m_current = -0.5; }},
        {"constant without a value", "y = x; x > d", none,
         [](KTFunction3& f, KTAxes&) { f.m_data.m_constants.m_range[KTConstantD].m_current = std::nan(""); }},
    };
    for (const Row& row : rows) {
        KTAxes axes;
        kttest::SetAngleSystem(axes, 1);
        KTFunction3 f(&axes);
        row.before(f, axes);
        kttest::InterpretText(f, row.text);
        f.Interpret();
        const std::string before = InterpretedState(f);
        row.change(f, axes);
        f.Interpret();
        const std::string after = InterpretedState(f);
        EXPECT_NE(before, after) << row.input;
        EXPECT_EQ(FreshState(f), after) << row.input;
        locale.reset();
    }
}

struct Reference
{
    const char* text;
    std::function<double(double)> value;
};

// For explicit and rearranged functions, Evaluate agrees with the same expression computed
// independently in double arithmetic.
TEST(KTFunction3Interpret, EvaluateAgreesWithIndependentArithmetic)
{
    const Reference refs[] = {
        {"y = 2x + 1", [](double x) { return 2 * x + 1; }},
        {"y = x^2 - 3x + 2", [](double x) { return x * x - 3 * x + 2; }},
        {"y = 3x^3 - 2x^2 + x - 5", [](double x) { return 3 * x * x * x - 2 * x * x + x - 5; }},
        {"y = (x^2 + 1)/(x - 3)", [](double x) { return (x * x + 1) / (x - 3); }},
        {"y = 1/x", [](double x) { return 1 / x; }},
        {"y = x/(x^2 + 1)", [](double x) { return x / (x * x + 1); }},
        {"y = sin(x)", [](double x) { return std::sin(x); }},
        {"y = cos(2x) + sin(x/2)", [](double x) { return std::cos(2 * x) + std::sin(x / 2); }},
        {"y = tan(x)", [](double x) { return std::tan(x); }},
        {"y = e^x", [](double x) { return std::pow(2.718281828, x); }},
        {"y = exp(-x^2/2)", [](double x) { return std::exp(-x * x / 2); }},
        {"y = ln(x^2 + 1)", [](double x) { return std::log(x * x + 1); }},
        {"y = log(x^2 + 1)", [](double x) { return std::log10(x * x + 1); }},
        {"y = sqrt(x^2 + 4)", [](double x) { return std::sqrt(x * x + 4); }},
        {"y = |x - 1|", [](double x) { return std::fabs(x - 1); }},
        {"y = atan(x)", [](double x) { return std::atan(x); }},
        {"y = sinh(x)", [](double x) { return std::sinh(x); }},
        {"y = cosh(x)/2", [](double x) { return std::cosh(x) / 2; }},
        {"y = tanh(x)", [](double x) { return std::tanh(x); }},
        {"y = pi x", [](double x) { return 3.141592654 * x; }},
        {"y = x^4 - x^2", [](double x) { return x * x * x * x - x * x; }},
        {"y = (x + 1)(x - 2)", [](double x) { return (x + 1) * (x - 2); }},
        {"y = 2(x - 1)^2 + 3", [](double x) { return 2 * (x - 1) * (x - 1) + 3; }},
        {"y = x sin(x)", [](double x) { return x * std::sin(x); }},
        {"y = sin(x)cos(x)", [](double x) { return std::sin(x) * std::cos(x); }},
        {"y = 3 - x/4", [](double x) { return 3 - x / 4; }},
        {"y = -x", [](double x) { return -x; }},
        {"y = 5", [](double) { return 5.0; }},
        {"y = x^(1/3)", [](double x) { return std::cbrt(x); }},
        {"y = (x^2 + 1)^0.5", [](double x) { return std::sqrt(x * x + 1); }},
        {"2y + 3x = 6", [](double x) { return (6 - 3 * x) / 2; }},
        {"y - x = 4", [](double x) { return x + 4; }},
        {"x*y = 1", [](double x) { return 1 / x; }},
        {"3y = x^2", [](double x) { return x * x / 3; }},
        {"y + 2 = 2x", [](double x) { return 2 * x - 2; }},
        {"4y - 2x^2 = 8", [](double x) { return (8 + 2 * x * x) / 4; }},
        {"x^2 + y^2 = 25", [](double x) { return std::sqrt(25 - x * x); }},
        {"y^2 = x + 4", [](double x) { return std::sqrt(x + 4); }},
        {"y/2 = x - 1", [](double x) { return 2 * (x - 1); }},
        {"y(x - 1) = 2", [](double x) { return 2 / (x - 1); }},
    };
    static_assert(sizeof(refs) / sizeof(refs[0]) == 40);
    KTAxes axes;
    kttest::SetAngleSystem(axes, 1);
    for (const Reference& ref : refs) {
        KTFunction3 f(&axes);
        kttest::InterpretText(f, ref.text);
        ASSERT_EQ(KTStatusExplicit, f.Status()) << ref.text << ": " << f.Parts().GetMessage().c_str();
        for (double x = -2.95; x < 3; x += 0.1) {
            const double expected = ref.value(x);
            const double actual = f.Evaluate(x, N).m_y;
            if (!std::isfinite(expected)) {
                EXPECT_EQ(KTUndefinedValue, actual) << ref.text << " at " << x;
                continue;
            }
            if (actual == KTUndefinedValue || actual == N)
                continue; // outside the domain (square roots of negatives and the like)
            EXPECT_NEAR(expected, actual, 1e-9 * std::max(1.0, std::fabs(expected)))
                << ref.text << " at " << x;
        }
    }
}

// Random texts: no crash, no exception, no sanitizer report; an error status always has a
// message and never leaves anything to draw.
TEST(KTFunction3Interpret, FuzzInterpretAndEvaluate)
{
    const char* pieces[] = {"x", "y",  "t",  "r",   "th",    "a",    "pi",   "e",    "2",  "0",   "1.5",
                            "+", "-",  "*",  "/",   "^",     "(",    ")",    "[",    "]",  "<",   ">",
                            "=", ">=", "<=", ";",   ",",     "+-",   "sin",  "sqrt", "ln", "abs", "f",
                            "|", " ",  "q",  "foo", "1/(0)", "\xB1", "\xCD", ":",    "{",  "}"};
    std::mt19937 rng(5);
    KTAxes axes;
    KTFunction3 f(&axes);
    for (int trial = 0; trial < 3000; ++trial) {
        CString text;
        const int length = 1 + static_cast<int>(rng() % 14);
        for (int i = 0; i < length; ++i)
            text += pieces[rng() % (sizeof(pieces) / sizeof(pieces[0]))];
        kttest::InterpretText(f, text);
        if (f.Status() == KTStatusError) {
            EXPECT_EQ(0, f.m_data.m_interpreted) << text.c_str();
        }
        f.Interpret(); // a repaint puts back what the first run left
        ASSERT_EQ(FreshState(f), InterpretedState(f)) << text.c_str();
        for (int list = 0; list < 2; ++list) {
            f.m_data.SelectList(list);
            for (double x : {-1.0, 0.0, 2.0})
                (void)f.Evaluate(x, N);
        }
        f.m_data.SelectList(0);
        f.TakePendingMessages();
    }
}

} // namespace
