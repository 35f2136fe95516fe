#include "ASTestHelpers.h"

#include "engine/ASLimitException.h"
#include "engine/ASNodePool.h"
#include "engine/ASPolynomial.h"
#include "engine/ASQuotient.h"
#include "engine/ASTokenExpression.h"
#include "engine/KTEntryErrorException.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

class ASQuotientTest : public testing::Test
{
protected:
    void SetUp() override { ASNodePool::Global().DeleteAll(); }
    void TearDown() override { ASNodePool::Global().DeleteAll(); }
};

// One side of an equation, normalised and structured as the relation does it.
ASQuotient Side(const char* text, bool* structured = nullptr)
{
    ASTokenList tokens = astest::Tokens(text);
    tokens.Normalise();
    ASTokenExpression expression;
    const bool ok = expression.Structure(tokens);
    if (structured)
        *structured = ok;
    else
        EXPECT_TRUE(ok) << text;
    ASQuotient result;
    result.Assign(expression.ToQuotient());
    return result;
}

CString Compact(const ASQuotient& quotient)
{
    CString text = quotient.ToString();
    text.Remove(' ');
    return text;
}

CString TokenText(const ASQuotient& quotient)
{
    ASTokenList out;
    quotient.AppendTokens(out);
    return out.ToString("");
}

ASTerm Term(const char* text)
{
    ASTerm term;
    term.SetFromText(text);
    return term;
}

} // namespace

TEST_F(ASQuotientTest, AClearedQuotientIsZeroOverOne)
{
    ASQuotient q;
    EXPECT_TRUE(q.NumeratorTokens().IsEmpty());
    EXPECT_TRUE(q.HasUnitDenominator());
    EXPECT_TRUE(q.IsTermForm());
    EXPECT_TRUE(q.IsZero());
    EXPECT_EQ(q.ToString(), "(  )");
    EXPECT_EQ(TokenText(q), " 0 "); // an empty numerator still reads as a number
    const ASQuotient zero = ASQuotient::Zero();
    EXPECT_EQ(zero.ToString(), "(  )");
}

TEST_F(ASQuotientTest, StructuredSidesTable)
{
    struct Row
    {
        const char* text;
        const char* quotient; // blanks removed
        const char* tokens;
    };
    const Row rows[] = {
        {"X+1", "(+1x+1)", " (x++1) "},
        {"-(X+1)", "(-1x-1)", " (-1*x+-1) "},
        {"(X+1)^2", "(+1x^2+1x+1x+1)", " (x^+2+x+x++1) "}, // products are not collected
        {"(X+1)^1.000001", "(+1x+1)", " (x++1) "},
        {"((X))", "(+1x)", " x "},
        {"X/2+1", "(+1x+2)/(+2)", " (x++2)\\(+2) "},
        {"2X^(3)", "(+2x^3)", " +2*x^+3 "},
        {"1/X/Y", "(+1)/(+1xy)", " +1\\(x*y) "},
        {"X-Y^(2)", "(+1x-1y^2)", " (x+-1*y^+2) "},
        {"X-(X+1)/Y", "(+1xy-1x-1)/(+1y)", " (x*y+-1*x+-1)\\(y) "},
        {"2*(X-1)*3", "(+6x-6)", " (+6*x+-6) "},
        {"A*(X+B)", "(+1xa+1ab)", " (x*a+a*b) "},
        {"(X+1)/(X+1)", "(+1x+1)/(+1x+1)", " (x++1)\\((x++1)) "},
        {"1/2^3", "(+1)/(+8)", " +1\\(+8) "}, // the power is taken before dividing
        {"X/2*A", "(+1xa)/(+2)", " x*a\\(+2) "},
        {"X^2^3", "(+1x^8)", " x^+8 "},
        {"2/(X+1)^2", "(+2)/(+1x^2+2x+1)", " +2\\((x^+2++2*x++1)) "},
        // a negative whole power is the power of the reciprocal
        {"(X+1)^(-1)", "(+1)/(+1x+1)", " +1\\((x++1)) "},
        {"(X+1)^(-2)", "(+1)/(+1x^2+1x+1x+1)", " +1\\((x^+2+x+x++1)) "},
        {"X^(-2)", "(+1x^-2)", " x^-2 "},
        {"(2X)^(-1)", "(+1/2x^-1)", " (+1\\+2)*x^-1 "},
        {"Y*X^(-1)", "(+1x^-1y)", " x^-1*y "},
    };
    for (const Row& row : rows) {
        const ASQuotient q = Side(row.text);
        EXPECT_EQ(Compact(q), row.quotient) << row.text;
        EXPECT_EQ(TokenText(q), row.tokens) << row.text;
        EXPECT_TRUE(q.IsTermForm()) << row.text;
    }
}

TEST_F(ASQuotientTest, SidesWithoutQuotientFormFail)
{
    for (const char* text :
         {"(X+1)^2.5", "X^Y", "(X+1)^0", "0^(-1)", "(X-X)^(-2)", "SIN(X)", "X+(", "X)", "X*", "P*X"}) {
        bool structured = true;
        const ASQuotient q = Side(text, &structured);
        EXPECT_TRUE(!structured || !q.IsTermForm()) << text;
    }
}

TEST_F(ASQuotientTest, ArithmeticFindsNoCommonDenominator)
{
    const ASQuotient a = Side("X/Y");
    const ASQuotient c = Side("2/Y");
    EXPECT_EQ(Compact(a.Plus(c)), "(+1xy+2y)/(+1y^2)");
    EXPECT_EQ(Compact(a.Minus(c)), "(+1xy-2y)/(+1y^2)");
    EXPECT_EQ(Compact(a.Times(c)), "(+2x)/(+1y^2)");
    EXPECT_EQ(Compact(a.Over(c)), "(+1xy)/(+2y)");
    // Only a monomial common factor is cancelled: no polynomial division.
    ASQuotient one;
    one.AddTerm(Term("1"));
    const ASQuotient same = Side("(X+1)/(X+1)");
    EXPECT_EQ(Compact(same.Times(one)), "(+1x+1)/(+1x+1)");
    EXPECT_EQ(Compact(Side("2X^2").Times(Side("1/(4X)"))), "(+1x)/(+2)");
    // The operands are untouched.
    EXPECT_EQ(Compact(a), "(+1x)/(+1y)");
    EXPECT_THROW(a.Over(ASQuotient::Zero()), ASLimitException);
}

TEST_F(ASQuotientTest, CollectingLikeTerms)
{
    ASQuotient q;
    for (const char* text : {"2X", "Y", "3X", "-Y", "1", "-1"})
        q.AddTerm(Term(text));
    q.CollectLikeTerms();
    EXPECT_EQ(Compact(q), "(+5x)");
    ASQuotient cancelling;
    cancelling.AddTerm(Term("X"));
    cancelling.AddTerm(Term("-X"));
    cancelling.CollectLikeTerms();
    EXPECT_EQ(Compact(cancelling), "(+0)"); // a lone zero term stays
}

TEST_F(ASQuotientTest, ShapeQueries)
{
    struct Row
    {
        const char* text;
        const char* commonFactor;
        double degreeX, degreeY;
        int classification;
        bool conic;
    };
    const Row rows[] = {
        {"2X^2Y+4XY^3", " +2xy ", 2, 3, 1, false},
        {"X^2+Y^2-4", " +1 ", 2, 2, 7, true},
        {"2Y-X", " +1 ", 1, 1, 6, false},
        {"Y^2-X", " +1 ", 1, 2, 5, false},
        {"X^2+Y^2+XY", " +1 ", 2, 2, 7, false},
        {"X^2+2Y^2+4Y", " +1 ", 2, 2, 7, true},
        {"X^2+Y", " +1 ", 2, 1, 6, false},
        {"X/Y", " +0 ", 1, 0, 5, false}, // a denominator: no common factor
    };
    for (const Row& row : rows) {
        const ASQuotient q = Side(row.text);
        EXPECT_EQ(q.CommonFactor().ToString(), row.commonFactor) << row.text;
        EXPECT_EQ(q.DegreeInX(), row.degreeX) << row.text;
        EXPECT_EQ(q.DegreeInY(), row.degreeY) << row.text;
        EXPECT_EQ(q.Classify(), row.classification) << row.text;
        EXPECT_EQ(q.IsConic(), row.conic) << row.text;
    }
    EXPECT_TRUE(Side("X+Y").OnlyXAndY());
    EXPECT_FALSE(Side("T+X").OnlyXAndY());
}

TEST_F(ASQuotientTest, CompletingTheSquare)
{
    struct Row
    {
        const char* text;
        const char* a;
        const char* h;
        const char* c;
    };
    const Row rows[] = {
        {"Y^2+2Y", " +1 ", " -1 ", " +1 "},  {"2Y^2+4Y", " +2 ", " -1 ", " +2 "},
        {"4Y+2Y^2", " +2 ", " -1 ", " +2 "}, // the y^2 term may come second
        {"-Y^2", " -1 ", " +0 ", " +0 "},    {"A*Y^2+Y", " +1a ", " -1/2a^-1 ", " +1/4a^-1 "},
    };
    for (const Row& row : rows) {
        ASTerm a, h, c;
        ASSERT_TRUE(Side(row.text).CompleteSquare(a, h, c)) << row.text;
        EXPECT_EQ(a.ToString(), row.a) << row.text;
        EXPECT_EQ(h.ToString(), row.h) << row.text;
        EXPECT_EQ(c.ToString(), row.c) << row.text;
    }
    ASTerm a, h, c;
    EXPECT_FALSE(Side("Y^2+Y+1").CompleteSquare(a, h, c)); // three terms
    EXPECT_FALSE(Side("Y^3+Y").CompleteSquare(a, h, c));

    ASQuotient rootForm;
    rootForm.NumeratorTokens().Append(ASKind::PlusMinus);
    EXPECT_THROW(rootForm.CompleteSquare(a, h, c), ASRequireFailureException);
    EXPECT_THROW(rootForm.DivideByTerm(Term("X")), ASRequireFailureException);
    EXPECT_FALSE(rootForm.IsTermForm());
}

TEST_F(ASQuotientTest, IsolatingAVariable)
{
    struct Row
    {
        const char* difference; // the side that equals zero
        int forX;
        const char* right; // blanks removed, "" when it fails
    };
    const Row rows[] = {
        {"2Y-X", 0, "(+1x)/(+2)"},          {"XY-1", 0, "(+1)/(+1x)"},
        {"A*Y-X", 0, "(+1x)/(+1a)"}, // the family constant stays in the divisor
        {"Y^3-X", 0, "(((+1x))^(+1\\+3))"}, {"Y^4-X", 0, "(\xB1((+1x))^(+1\\+4))"},
        {"Y^2-X", 0, "(\xB1sqrt((+1x)))"},  {"Y^2+Y-X", 0, ""}, // y is left after dividing
        {"Y^2+Y-X", 1, "(-1y^2-1y)/(-1)"},  {"X-1", 0, ""},     // no y at all
    };
    for (const Row& row : rows) {
        ASQuotient left, right;
        ASQuotient::Isolation isolation;
        const bool solved = Side(row.difference).IsolateVariable(left, right, BYTE(row.forX), &isolation);
        EXPECT_EQ(solved, *row.right != 0) << row.difference;
        if (solved) {
            EXPECT_EQ(Compact(right), row.right) << row.difference;
            EXPECT_EQ(Compact(left), row.forX ? "(+1x)" : "(+1y)");
        }
    }

    // What the inequality rules look at.
    ASQuotient left, right;
    ASQuotient::Isolation isolation;
    ASSERT_TRUE(Side("-2Y-X").IsolateVariable(left, right, 0, &isolation));
    EXPECT_EQ(isolation.divisorSign, -1);
    EXPECT_FALSE(isolation.evenRoot);
    ASSERT_TRUE(Side("X*Y-1").IsolateVariable(left, right, 0, &isolation));
    EXPECT_EQ(isolation.divisorSign, 0);
    ASSERT_TRUE(Side("3Y^2-X").IsolateVariable(left, right, 0, &isolation));
    EXPECT_EQ(isolation.divisorSign, 1);
    EXPECT_TRUE(isolation.evenRoot);
}

TEST_F(ASQuotientTest, ApplyingOperators)
{
    struct Row
    {
        int op;
        const char* result;
    };
    const Row rows[] = {{ASKind::Plus, "(+1x+2)"},
                        {ASKind::Minus, "(+1x-2)"},
                        {ASKind::Multiply, "(+2x)"},
                        {ASKind::Divide, "(+1x)/(+2)"},
                        {0, "(+1x+2)"}};
    for (const Row& row : rows) {
        ASQuotient acc = Side("X");
        ASQuotient operand = Side("2");
        EXPECT_TRUE(ASQuotient::ApplyOperator(acc, operand, row.op));
        EXPECT_EQ(Compact(acc), row.result) << row.op;
        EXPECT_TRUE(operand.IsZero()); // cleared
    }
    // The first operand is loaded into an empty accumulator; an empty operand changes nothing.
    ASQuotient acc;
    ASQuotient operand = Side("3Y");
    ASQuotient::ApplyOperator(acc, operand, 0);
    EXPECT_EQ(Compact(acc), "(+3y)");
    ASQuotient empty;
    ASQuotient::ApplyOperator(acc, empty, ASKind::Multiply);
    EXPECT_EQ(Compact(acc), "(+3y)");
}

TEST_F(ASQuotientTest, FlattenMarksWhatItCannotCombine)
{
    ASQuotient q;
    q.AddTerm(Term("X"));
    q.NumeratorTokens().Append(ASKind::Power);
    q.AddTerm(Term("2"));
    const ASQuotient flat = q.Flatten();
    EXPECT_EQ(q.m_unresolved, 1);
    EXPECT_EQ(Compact(flat), Compact(q));

    ASQuotient sum;
    sum.AddTerm(Term("X"));
    sum.NumeratorTokens().Append(ASKind::Multiply);
    sum.AddTerm(Term("2"));
    sum.AddTerm(Term("Y"));
    sum.NumeratorTokens().Append(ASKind::Minus);
    sum.AddTerm(Term("Y"));
    EXPECT_EQ(Compact(sum.Flatten()), "(+2x)"); // x * 2 + y - y: products bind first
    EXPECT_EQ(sum.m_unresolved, 0);
}

// The common factor of two polynomials in x, found exactly: its degree tells the rearrangement
// whether a divisor vanishes together with the other side.
TEST_F(ASQuotientTest, PolynomialsShareTheirCommonFactor)
{
    const struct
    {
        const char* a;
        const char* b;
        int degree; ///< of the greatest common divisor
    } rows[] = {
        {"X^2-1", "X+1", 1},      {"X^2-1", "X-1", 1},         {"X^2+1", "X", 0}, {"X-2", "0", 1},
        {"X^2-2X+1", "X^2-1", 1}, {"X^3-3X+2", "X^2-2X+1", 2}, // (x-1)^2 (x+2) and (x-1)^2
        {"X^4-1", "X^2+1", 2},                                 // no real zero, a common factor all the same
        {"2X-1", "6X-3", 1},      {"X/2+1/3", "3X+2", 1},      {"3", "6", 0},     {"X", "1", 0},
        {"0", "0", -1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.a) + " and " + row.b);
        const ASQuotient a = Side(row.a);
        const ASQuotient b = Side(row.b);
        const std::optional<ASPolynomial> p = ASPolynomial::FromTerms(a.NumeratorTokens(), ASKind::X);
        const std::optional<ASPolynomial> q = ASPolynomial::FromTerms(b.NumeratorTokens(), ASKind::X);
        ASSERT_TRUE(p && q);
        EXPECT_EQ(ASPolynomial::CommonDegree(*p, *q), row.degree);
        EXPECT_EQ(ASPolynomial::CommonDegree(*q, *p), row.degree);
    }
    // Only whole powers of x from 0 to 64 make a polynomial in x.
    for (const char* text : {"X*Y+1", "A*X", "X^(-1)", "X^0.5", "X^65"}) {
        const ASQuotient side = Side(text);
        EXPECT_FALSE(ASPolynomial::FromTerms(side.NumeratorTokens(), ASKind::X)) << text;
    }
    // Coefficients whose remainders leave the 32-bit fractions give no answer, not a wrong one.
    const ASQuotient big = Side("X^2+1000003X+999999");
    const ASQuotient other = Side("999983X^2+7X+1");
    EXPECT_FALSE(ASPolynomial::CommonDegree(*ASPolynomial::FromTerms(big.NumeratorTokens(), ASKind::X),
                                            *ASPolynomial::FromTerms(other.NumeratorTokens(), ASKind::X)));
}
