// The variable check and form conversion of an equation, the plotted domain read from a domain
// part, and the text of one branch of a plus-or-minus equation.

#include "engine/KTFunction3.h"

#include "foundation/KTNumberTexts.h"
#include "foundation/KTSentinelValues.h"
#include "foundation/KTVariableSubstitutions.h"
#include "axes/KTAxes.h"

#include <cmath>

namespace {

int CountKind(const ASTokenList& list, int kind)
{
    int count = 0;
    for (int i = 0; i < list.GetCount(); ++i)
        count += list.KindAt(i) == kind ? 1 : 0;
    return count;
}

bool IsStrict(int sign)
{
    return sign == ASKind::Greater || sign == ASKind::Less;
}

int EndFor(int sign)
{
    return IsStrict(sign) ? KTFunctionDomain::EndOpen : KTFunctionDomain::EndClosed;
}

bool IsInequality(int kind)
{
    return kind >= ASKind::Greater && kind <= ASKind::LessEqual;
}

} // namespace

void KTFunction3::ClassifyVariables(ASTokenList& list)
{
    const bool x = list.FindKind(ASKind::X) >= 0;
    const bool y = list.FindKind(ASKind::Y) >= 0;
    const bool theta = list.FindKind(ASKind::Theta) >= 0;
    const bool r = list.FindKind(ASKind::R) >= 0;
    const bool t = list.FindKind(ASKind::T) >= 0;

    if ((r || theta) && !x && !y && !t) {
        m_parts.m_polar = 1;
        list.ReplaceKind(ASKind::R, ASKind::Y);
        list.ReplaceKind(ASKind::Theta, ASKind::X);
    } else if (x && t && !theta && !r && !y) {
        m_parts.m_parametricX = 1;
        list.ReplaceKind(ASKind::X, ASKind::Y);
        list.ReplaceKind(ASKind::T, ASKind::X);
    } else if (y && t && !theta && !r && !x) {
        m_parts.m_parametricY = 1;
        list.ReplaceKind(ASKind::T, ASKind::X);
    } else if (!(x && y && !t && !r && !theta)) {
        if (t || r || theta) {
            // A real mix of forms: nothing later may take it back.
            InputError("Invalid combination of variables");
        } else {
            // One variable or none: the explicit form ("y = 3", "x = 2") takes this back.
            m_parts.SetStatus(KTStatusError);
            if (!m_parts.IsErrorLatched())
                m_parts.SetMessage("Invalid combination of variables");
        }
    }
    list.RefreshText();
}

void KTFunction3::DefaultDomain(KTFunctionDomain& domain) const
{
    domain = KTFunctionDomain();
    double fullTurn = 6.2832;
    if (KTAxes* axes = m_data.m_owner) {
        switch (axes->m_options.m_angleSystem.GetValue()) {
        case 0: fullTurn = 360.0; break;
        case 1: fullTurn = 6.2832; break;
        case 2: fullTurn = 400.0; break;
        default: fullTurn = domain.m_high; break;
        }
    }
    const bool polar = m_parts.m_polar != 0;
    const bool parametricX = m_parts.m_parametricX != 0;
    const auto set = [&domain](double low, double high, int end) {
        domain.m_low = low;
        domain.m_high = high;
        domain.m_lowEnd = end;
        domain.m_highEnd = end;
    };
    if (!polar && !parametricX)
        set(KTFunctionDomain::ExplicitDefaultLow, KTFunctionDomain::ExplicitDefaultHigh,
            KTFunctionDomain::EndUnbounded);
    if (polar && !parametricX)
        set(0.0, m_parts.m_inverse ? 10.0 : fullTurn, KTFunctionDomain::EndNone);
    if (!polar && parametricX)
        set(0.0, m_data.m_usesTrig ? fullTurn : 20.0, KTFunctionDomain::EndNone);
}

double KTFunction3::EvaluateConstantTokens(const ASTokenList& tokens)
{
    ASTokenList postfix;
    if (!ConvertToPostfix(tokens, 0, false, postfix) || !KTEvaluationProgram::IsWellFormed(postfix))
        return KTUndefinedValue;
    double constants[KTFunctionConstantRanges::Count];
    for (int i = 0; i < KTFunctionConstantRanges::Count; ++i)
        constants[i] = m_data.m_constants.Current(i);
    const double value = KTEvaluateTokens(postfix, {0.0, KTNoSecondValue, constants, AngleScale()});
    return KTEvaluationRules::IsSentinel(value) ? KTUndefinedValue : value;
}

double KTFunction3::EvaluateConstantText(const CString& typed, KTAxes* owner,
                                         const KTVariableSubstitutions* table)
{
    KTFunction3 reader(owner);
    ASTokenList tokens;
    // A bound is a number text: "1e3" is a thousand there, though in an equation it is 1e^3.
    if (!reader.TokeniseText(CalculationText(WritePowersOfTen(typed)), tokens) || tokens.IsEmpty())
        return KTUndefinedValue;
    for (int i = 0; i < tokens.GetCount(); ++i) {
        const int kind = tokens.KindAt(i);
        // "q" is theta and "x" a variable: a bound that reads one is no number, never 0.
        if (kind == ASKind::X || kind == ASKind::Y || kind == ASKind::NoName || kind == ASKind::R ||
            kind == ASKind::T || kind == ASKind::Theta || kind == ASKind::Comma ||
            kind == ASKind::PlusMinus || ASIsRelationKind(kind))
            return KTUndefinedValue;
    }
    static const char* const names[KTFunctionConstantRanges::Count] = {"a", "b", "c", "d", "m"};
    for (int i = 0; i < KTFunctionConstantRanges::Count; ++i) {
        double value = 1.0;
        if (table) {
            value = table->GetValue(names[i]);
            if (value == KTUndefinedValue && tokens.FindKind(ASKind::A + i) >= 0)
                return KTUndefinedValue;
        }
        reader.m_data.m_constants.At(i)->m_current = value;
    }
    const double value = reader.EvaluateConstantTokens(tokens);
    return std::isfinite(value) ? value : KTUndefinedValue;
}

void KTFunction3::ReadIntervalDomain(const KTEquationPart& part, const ASTokenList& tokens,
                                     KTFunctionDomain& domain)
{
    const int count = tokens.GetCount();
    if (count == 0)
        return;
    const int first = tokens.KindAt(0);
    const int last = tokens.KindAt(count - 1);
    const int comma = tokens.FindKind(ASKind::Comma);
    if ((first != ASKind::Open && first != ASKind::Less) ||
        (last != ASKind::Close && last != ASKind::Greater) || comma < 0)
        return;

    domain.m_low = EvaluateConstantTokens(tokens.SubList(1, comma - 1));
    domain.m_high = EvaluateConstantTokens(tokens.SubList(comma + 1, count - 2));
    if (domain.m_low == KTUndefinedValue || domain.m_high == KTUndefinedValue || domain.m_low > domain.m_high)
        domain.m_valid = 0;

    const CString typed = part.Text();
    domain.m_lowEnd = KTFunctionDomain::EndNone;
    domain.m_highEnd = KTFunctionDomain::EndNone;
    const int opening = typed.FindOneOf("[(<");
    if (opening >= 0) {
        const char ch = typed[opening];
        domain.m_lowEnd = ch == '['   ? KTFunctionDomain::EndClosed
                          : ch == '(' ? KTFunctionDomain::EndOpen
                                      : KTFunctionDomain::EndNone;
    }
    const int round = typed.ReverseFind(')');
    const int square = typed.ReverseFind(']');
    if (square >= 0 && square > round)
        domain.m_highEnd = KTFunctionDomain::EndClosed;
    else if (round >= 0)
        domain.m_highEnd = KTFunctionDomain::EndOpen;
}

void KTFunction3::ReadInequalityDomain(const ASTokenList& tokens, KTFunctionDomain& domain)
{
    const int variable = domain.m_variable;
    if (CountKind(tokens, variable) > 1) {
        domain.m_valid = 0;
        return;
    }
    std::vector<int> signs;
    for (int i = 0; i < tokens.GetCount(); ++i) {
        if (IsInequality(tokens.KindAt(i)))
            signs.push_back(i);
    }
    const int count = tokens.GetCount();
    const auto isVariableAlone = [&](int first, int last) {
        return first == last && tokens.KindAt(first) == variable;
    };

    if (signs.size() == 1) {
        const int k = signs[0];
        const int sign = tokens.KindAt(k);
        const bool below = sign == ASKind::Greater || sign == ASKind::GreaterEqual; // x > value: value is low
        if (isVariableAlone(0, k - 1)) {
            const double value = EvaluateConstantTokens(tokens.SubList(k + 1, count - 1));
            (below ? domain.m_low : domain.m_high) = value;
            (below ? domain.m_lowEnd : domain.m_highEnd) = EndFor(sign);
            if (value == KTUndefinedValue)
                domain.m_valid = 0;
        } else if (isVariableAlone(k + 1, count - 1)) {
            const double value = EvaluateConstantTokens(tokens.SubList(0, k - 1));
            (below ? domain.m_high : domain.m_low) = value;
            (below ? domain.m_highEnd : domain.m_lowEnd) = EndFor(sign);
            if (value == KTUndefinedValue)
                domain.m_valid = 0;
        } else {
            domain.m_valid = 0;
        }
        return;
    }
    if (signs.size() == 2) {
        const int k1 = signs[0];
        const int k2 = signs[1];
        const int sign1 = tokens.KindAt(k1);
        const int sign2 = tokens.KindAt(k2);
        if (!isVariableAlone(k1 + 1, k2 - 1)) {
            domain.m_valid = 0;
            return;
        }
        const double a = EvaluateConstantTokens(tokens.SubList(0, k1 - 1));
        const double c = EvaluateConstantTokens(tokens.SubList(k2 + 1, count - 1));
        const bool ascending1 = sign1 == ASKind::Less || sign1 == ASKind::LessEqual;
        const bool ascending2 = sign2 == ASKind::Less || sign2 == ASKind::LessEqual;
        if (ascending1 != ascending2 || a == KTUndefinedValue || c == KTUndefinedValue) {
            domain.m_valid = 0;
            return;
        }
        if (ascending1) {
            domain.m_low = a;
            domain.m_lowEnd = EndFor(sign1);
            domain.m_high = c;
            domain.m_highEnd = EndFor(sign2);
        } else {
            domain.m_low = c;
            domain.m_lowEnd = EndFor(sign2);
            domain.m_high = a;
            domain.m_highEnd = EndFor(sign1);
        }
        if (!(domain.m_low <= domain.m_high))
            domain.m_valid = 0;
        return;
    }
    domain.m_valid = 0;
}

KTFunctionDomain KTFunction3::InterpretDomain(const KTEquationPart& part)
{
    KTFunctionDomain domain;
    DefaultDomain(domain);
    const CString text = part.Text();
    if (!text.IsEmpty()) {
        ASTokenList tokens;
        if (!TokeniseText(CalculationText(text), tokens)) {
            domain.m_valid = 0;
        } else {
            domain.m_variable = tokens.VariableForm();
            // The radius is no variable of the interval form: "r < 2" bounds r.
            if (domain.m_variable == KTFunctionDomain::VariableNone && tokens.FindKind(ASKind::R) >= 0)
                domain.m_variable = ASKind::R;
            if (domain.m_variable == KTFunctionDomain::VariableSeveral)
                domain.m_valid = 0;
            else if (domain.m_variable == KTFunctionDomain::VariableNone)
                ReadIntervalDomain(part, tokens, domain);
            else
                ReadInequalityDomain(tokens, domain);
        }
    }
    m_data.m_domain = domain;
    if (m_parts.m_polar || m_parts.m_parametricX) {
        m_data.m_domain.m_lowEnd = KTFunctionDomain::EndNone;
        m_data.m_domain.m_highEnd = KTFunctionDomain::EndNone;
    }
    return domain;
}

CString KTFunction3::EquationForBranch(const CString& positiveArm, const CString& negativeArm, bool forBranch,
                                       bool replaceSign) const
{
    CString text = m_data.m_equationText;
    if (!forBranch || !m_twoBranches)
        return text;
    const bool second = m_nearSecondBranch != 0;
    if (replaceSign) {
        text.Replace("+-", second ? "-" : "+");
        text.Replace("\xB1", second ? "-" : "+");
    } else if (text.Find("+-") >= 0 || text.Find('\xB1') >= 0) {
        text += second ? negativeArm : positiveArm;
    }
    return text;
}

CString KTFunction3::TypedEquation() const
{
    return m_parts.FindPart(KTPartExecute1, 1).SecondText();
}

CString KTFunction3::TypedRightHandSide(const CString& typed)
{
    CString shape = typed;
    shape.MakeLower();
    shape.Remove(' ');
    if (shape.Left(2) != "y=" && shape.Left(5) != "f(x)=")
        return typed;
    CString right = typed.Mid(typed.Find('=') + 1);
    right.TrimLeft();
    return right;
}
