// Token codes, the leading relation, the infix-to-postfix conversion and the small token-list
// rewrites that interpretation applies before it.

#include "engine/KTFunction3.h"

#include "foundation/KTIntStack.h"

#include <cstring>

namespace {

struct NamedKind
{
    const char* text;
    int kind;
};

constexpr NamedKind kTokenTexts[] = {
    {"X", ASKind::X},
    {"Y", ASKind::Y},
    {"R", ASKind::R},
    {"T", ASKind::T},
    {"Q", ASKind::Theta},
    {"A", ASKind::A},
    {"B", ASKind::B},
    {"C", ASKind::C},
    {"D", ASKind::D},
    {"M", ASKind::M},
    {"*", ASKind::Multiply},
    {"/", ASKind::Divide},
    {"+", ASKind::Plus},
    {"-", ASKind::Minus},
    {"^", ASKind::Power},
    {"SIN", ASKind::Sin},
    {"COS", ASKind::Cos},
    {"TAN", ASKind::Tan},
    {"ASIN", ASKind::ArcSin},
    {"ACOS", ASKind::ArcCos},
    {"ATAN", ASKind::ArcTan},
    {"ABS", ASKind::Abs},
    {"GINT", ASKind::Gint},
    {"(", ASKind::Open},
    {")", ASKind::Close},
    {"EXP", ASKind::Exp},
    {"LN", ASKind::Ln},
    {"LOG", ASKind::Log},
    {"SQRT", ASKind::Sqrt},
    {"SR", ASKind::Sqrt},
    {",", ASKind::Comma},
    {"COSH", ASKind::Cosh},
    {"SINH", ASKind::Sinh},
    {"TANH", ASKind::Tanh},
    {"SEC", ASKind::Sec},
    {"COSEC", ASKind::Cosec},
    {"COT", ASKind::Cot},
    {"=", ASKind::Equals},
    {"P", ASKind::Pi},
    {"E", ASKind::E},
    {"F", ASKind::F},
    {"NORMAL", ASKind::Normal},
    {">", ASKind::Greater},
    {"<", ASKind::Less},
    {";", ASKind::Separator},
    {":", ASKind::Separator},
    {">=", ASKind::GreaterEqual},
    {"<=", ASKind::LessEqual},
    {"\xB3", ASKind::GreaterEqual},
    {"\xA3", ASKind::LessEqual},
    {"\xB9", ASKind::NotEqual},
    {"\xB1", ASKind::PlusMinus},
};

bool IsTrigonometric(int kind)
{
    switch (kind) {
    case ASKind::Sin:
    case ASKind::Cos:
    case ASKind::Tan:
    case ASKind::Cosh:
    case ASKind::Sinh:
    case ASKind::Tanh:
    case ASKind::Sec:
    case ASKind::Cosec:
    case ASKind::Cot: return true;
    default: return false;
    }
}

} // namespace

int KTFunction3::TokenCode(const CString& text)
{
    int kind = 0;
    for (const NamedKind& entry : kTokenTexts) {
        if (std::strcmp(entry.text, text.c_str()) == 0) {
            kind = entry.kind;
            break;
        }
    }
    if (kind >= ASKind::A && kind <= ASKind::M) {
        m_data.m_usesConstant = 1;
        BYTE* flags[] = {&m_data.m_usesA, &m_data.m_usesB, &m_data.m_usesC, &m_data.m_usesD, &m_data.m_usesM};
        *flags[kind - ASKind::A] = 1;
    } else if (IsTrigonometric(kind)) {
        m_data.m_usesTrig = 1;
    }
    return kind;
}

int KTFunction3::ReadLeadingRelation(const ASTokenList& list)
{
    m_data.m_relation = ASKind::Equals;
    const int held = m_parts.GetStatus();
    const bool keepHeld =
        held == KTStatusNoEquation || held == KTStatusNoEquationP || held == KTStatusParametric;
    const auto setStatus = [&](int status) {
        if (!keepHeld)
            m_parts.SetStatus(status);
    };
    setStatus(KTStatusRearrange);

    const int first = list.KindAt(0);
    const int sign = list.KindAt(1);
    if ((first != ASKind::Y && first != ASKind::X) || !ASIsRelationKind(sign))
        return 0;

    m_data.m_relation = sign;
    setStatus(KTStatusExplicit);
    // The variable check marks one-variable equations ("y = 3", "x = 2") as errors; an explicit
    // form takes that back.
    if (!m_parts.IsErrorLatched())
        m_parts.SetMessage("");
    if (first == ASKind::X)
        m_parts.m_inverse = 1;
    // The dependent variable anywhere on the right makes it an equation to rearrange.
    for (int i = 2; i < list.GetCount(); ++i) {
        if (list.KindAt(i) == first) {
            setStatus(KTStatusRearrange);
            break;
        }
    }
    return 2;
}

bool KTFunction3::ConvertToPostfix(const ASTokenList& in, int start, bool yAsX, ASTokenList& out)
{
    KTIntStack operators;
    operators.m_count = 0;
    bool ok = true;
    const auto emit = [&](int kind, double value) {
        if (!out.Append(kind, value))
            ok = false;
    };
    const auto push = [&](int kind) {
        if (!operators.Push(kind))
            ok = false;
    };
    // Pops to the output down to the nearest opening bracket, which stays on the stack.
    const auto popToBracket = [&] {
        while (operators.m_count > 0) {
            const int top = operators.m_entries[operators.m_count];
            if (top == ASKind::Open)
                break;
            emit(operators.Pop(), 0.0);
        }
    };

    out.Clear();
    for (int i = start; i < in.GetCount() && ok; ++i) {
        const ASToken& token = in.At(i);
        const int kind = token.m_kind;
        if (kind == 0)
            break;
        switch (kind) {
        case ASKind::X:
        case ASKind::T:
        case ASKind::A:
        case ASKind::B:
        case ASKind::C:
        case ASKind::D:
        case ASKind::M:
        case ASKind::Number:
        case ASKind::Pi:
        case ASKind::E: emit(kind, token.m_value); break;
        case ASKind::Y: emit(yAsX ? ASKind::X : ASKind::Y, 0.0); break;
        case ASKind::Theta: emit(ASKind::X, 0.0); break;
        case ASKind::Plus:
        case ASKind::Minus:
        case ASKind::PlusMinus:
            popToBracket();
            push(kind);
            break;
        case ASKind::Multiply:
        case ASKind::Divide:
            while (operators.m_count > 0) {
                const int top = operators.m_entries[operators.m_count];
                if (top != ASKind::Multiply && top != ASKind::Divide && top != ASKind::Power)
                    break;
                emit(operators.Pop(), 0.0);
            }
            push(kind);
            break;
        case ASKind::Close: {
            popToBracket();
            operators.Pop(); // the opening bracket
            if (operators.m_count > 0) {
                const int top = operators.m_entries[operators.m_count];
                const bool stays = top == 0 || top == ASKind::X || top == ASKind::Open ||
                                   (top >= ASKind::Number && top <= ASKind::Power);
                if (!stays)
                    emit(operators.Pop(), 0.0);
            }
            break;
        }
        default: push(kind); break; // power, brackets, functions, everything else
        }
    }
    popToBracket();
    return ok && !out.Overflowed();
}

void KTFunction3::ToPostfix(ASTokenList& list, bool yAsX)
{
    const int start = ReadLeadingRelation(list);
    const bool swapped = start == 2 && list.KindAt(0) == ASKind::X;
    ASTokenList out(list.Capacity());
    const bool converted = ConvertToPostfix(list, start, yAsX || swapped, out);
    if (!converted)
        InputError("Can not interpret equation");
    list.ShareFrom(out);

    const int status = m_parts.GetStatus();
    if ((m_parts.m_parametricX || m_parts.m_parametricY) && status == KTStatusExplicit)
        m_parts.SetStatus(KTStatusParametric);
    // An explicit form is evaluated as it stands: it must reduce to exactly one value.
    if ((status == KTStatusExplicit || status == KTStatusParametric) &&
        !KTEvaluationProgram::IsWellFormed(list))
        InputError("Can not interpret equation");
    EvaluationListsChanged();
}

void KTFunction3::RewriteFunctionNotation(ASTokenList& list)
{
    for (int i = 0; i + 4 < list.GetCount(); ++i) {
        if (list.KindAt(i) != ASKind::F || list.KindAt(i + 1) != ASKind::Multiply ||
            list.KindAt(i + 2) != ASKind::Open || list.KindAt(i + 4) != ASKind::Close)
            continue;
        int replacement = 0;
        switch (list.KindAt(i + 3)) {
        case ASKind::X: replacement = ASKind::Y; break;
        case ASKind::Y: replacement = ASKind::X; break;
        case ASKind::Theta: replacement = ASKind::R; break;
        default: continue;
        }
        list[i] = ASToken(replacement);
        for (int k = 0; k < 4; ++k)
            list.RemoveAt(i + 1);
    }
}

void KTFunction3::AddImpliedRelation(ASTokenList& list)
{
    if (list.CountRelations() > 0)
        return;
    int dependent = 0;
    switch (list.VariableForm()) {
    case 0:
    case ASKind::X: dependent = ASKind::Y; break;
    case ASKind::Y: dependent = ASKind::X; break;
    case ASKind::Theta: dependent = ASKind::R; break;
    default: return;
    }
    if (!list.InsertKindAt(ASKind::Equals, 0) || !list.InsertKindAt(dependent, 0))
        InputError("Can not interpret equation");
}
