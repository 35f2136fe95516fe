// The equation tokeniser: a calculation text becomes the infix token list that the relation,
// the algebra and the postfix conversion work on.

#include "engine/KTFunction3.h"

#include "foundation/KTLocaleChars.h"
#include "foundation/KTNumberTexts.h"
#include "typeset/KTETokenList.h"

#include <algorithm>
#include <cctype>

namespace {

enum CharClass : int {
    ClassNumber = 1,
    ClassOperator = 2,
    ClassVariable = 3,
    ClassName = 4,
    ClassEnd = 5,
    ClassOpen = 6,
    ClassClose = 7,
    ClassMinus = 8,
    ClassRelation = 9,
};

constexpr char kEndChar = '\x01';

int ClassOf(unsigned char ch)
{
    if ((ch >= '0' && ch <= '9') || ch == '.')
        return ClassNumber;
    switch (ch) {
    case '+':
    case '*':
    case '/':
    case '^':
    case ',':
    case ';':
    case 180:
    case 185:
    case 177: return ClassOperator;
    case 'X':
    case 'T':
    case 'Y':
    case 'R': return ClassVariable;
    case static_cast<unsigned char>(kEndChar): return ClassEnd;
    case '(': return ClassOpen;
    case ')': return ClassClose;
    case '-': return ClassMinus;
    case '>':
    case '=':
    case '<':
    case 179:
    case 163: return ClassRelation;
    default: return ClassName;
    }
}

/// The last position of the bracket group or the number (a single digit loses its brackets in
/// the calculation text) that starts at first; first - 1 when neither does.
int OperandEnd(const CString& text, int first)
{
    if (first >= text.GetLength())
        return first - 1;
    if (text[first] == '(')
        return std::max(FindMatchingParenthesis(text, first), first - 1);
    int last = first - 1;
    while (last + 1 < text.GetLength() &&
           (std::isdigit(static_cast<unsigned char>(text[last + 1])) || text[last + 1] == '.'))
        ++last;
    return last;
}

/// The typesetter writes a logarithm with a subscript base, "log10(x)" or "log2 x", as
/// "log\(10)*(x)" or "log\2*(x)". The logarithm to base b is log(x)/log(b), which is what
/// the evaluator is given. A base without an argument in brackets is left as it is, and its
/// name is then refused.
CString ReadLogBases(CString text)
{
    for (int guard = 0; guard < ASTokenList::DefaultCapacity; ++guard) {
        CString upper = text;
        upper.MakeUpper();
        const int at = upper.Find("LOG\\");
        if (at < 0)
            break;
        const int baseFirst = at + 4;
        const int baseLast = OperandEnd(text, baseFirst);
        if (baseLast < baseFirst)
            break;
        const int argumentFirst = baseLast + 1 + (text.GetAt(baseLast + 1) == '*' ? 1 : 0);
        const int argumentLast = OperandEnd(text, argumentFirst);
        if (argumentLast < argumentFirst)
            break;
        const CString base = text.Mid(baseFirst, baseLast - baseFirst + 1);
        const CString argument = text.Mid(argumentFirst, argumentLast - argumentFirst + 1);
        text = text.Left(at) + "(log(" + argument + ")/log(" + base + "))" + text.Mid(argumentLast + 1);
    }
    return text;
}

/// The working state of one tokenising pass.
class Tokeniser
{
public:
    Tokeniser(KTFunction3& function, ASTokenList& list) : m_function(function), m_list(list) {}

    bool Run(const CString& text);

private:
    void Append(int kind, double value = 0.0)
    {
        if (!m_list.Append(kind, value))
            m_ok = false;
    }
    void AppendCode(const CString& run)
    {
        const int kind = m_function.TokenCode(run);
        if (kind == 0) {
            m_ok = false; // a name the evaluator does not know
            return;
        }
        if (kind == ASKind::Plus && ExpectsOperand())
            return; // a sign, as in the "+" branch of "y = +-sqrt(x)": nothing to add
        Append(kind);
    }
    bool ExpectsOperand() const
    {
        const int count = m_list.GetCount();
        if (count == 0)
            return true;
        const int last = m_list.KindAt(count - 1);
        return last == ASKind::Open || last == ASKind::Comma || last == ASKind::PlusMinus ||
               (last >= ASKind::Multiply && last <= ASKind::Power) || ASIsRelationKind(last);
    }
    void AppendNegativeOne()
    {
        Append(ASKind::Number, -1.0);
        Append(ASKind::Multiply);
    }
    /// Emits the current run because a character of another class arrived. Returns false when
    /// the new character joins the run instead (a minus that becomes part of a number).
    bool EmitRun(int newClass, char newChar);
    bool EmitMinusRun(int newClass);

    KTFunction3& m_function;
    ASTokenList& m_list;
    CString m_run;
    int m_runClass = ClassEnd;
    int m_classBeforeMinus = ClassEnd;
    bool m_ok = true;
};

bool Tokeniser::EmitMinusRun(int newClass)
{
    const int minuses = m_run.GetLength();
    const int before = m_classBeforeMinus;
    const bool subtraction = before == ClassNumber || before == ClassVariable || before == ClassClose ||
                             before == ClassName; // a minus after a name ("pi - x") subtracts
    const bool operand = newClass == ClassNumber || newClass == ClassVariable || newClass == ClassName ||
                         newClass == ClassOpen;
    if (!operand) {
        m_ok = false; // a minus with nothing to act on
        return true;
    }
    int factors = minuses - 1; // every further minus of the run is a factor -1
    if (subtraction)
        Append(ASKind::Minus);
    else
        ++factors;
    if (!subtraction && newClass == ClassNumber) {
        for (int i = 0; i < factors - 1; ++i)
            AppendNegativeOne();
        m_run = "-";
        m_runClass = ClassNumber;
        return false; // the digit joins the negative number
    }
    for (int i = 0; i < factors; ++i)
        AppendNegativeOne();
    return true;
}

bool Tokeniser::EmitRun(int newClass, char newChar)
{
    switch (m_runClass) {
    case ClassNumber:
        Append(ASKind::Number, EvaluateNumberText(m_run, nullptr));
        if (newClass != ClassOperator && newClass != ClassRelation && newClass != ClassMinus &&
            newChar != ')' && newChar != kEndChar)
            Append(ASKind::Multiply);
        return true;
    case ClassOperator:
    case ClassName:
    case ClassRelation:
    case ClassVariable: AppendCode(m_run); return true;
    case ClassOpen:
        for (int i = 0; i < m_run.GetLength(); ++i)
            Append(ASKind::Open);
        return true;
    case ClassClose:
        for (int i = 0; i < m_run.GetLength(); ++i)
            Append(ASKind::Close);
        if (newChar == '(')
            Append(ASKind::Multiply);
        return true;
    case ClassMinus: return EmitMinusRun(newClass);
    default: return true;
    }
}

bool Tokeniser::Run(const CString& source)
{
    CString text = ReadLogBases(source);
    KTLocaleChars locale;
    if (locale.m_chDecimal && locale.m_chDecimal != '.')
        text.Replace(locale.m_chDecimal, '.');
    if (locale.m_chList && locale.m_chList != ',')
        text.Replace(locale.m_chList, ',');
    text.Replace('\xCD', 'P');

    m_list.Clear();
    const int length = text.GetLength();
    for (int pos = 0; pos <= length; ++pos) {
        const char ch =
            pos < length ? static_cast<char>(std::toupper(static_cast<unsigned char>(text[pos]))) : kEndChar;
        if (ch == ' ')
            continue;
        int cls = ClassOf(static_cast<unsigned char>(ch));
        if (cls == ClassVariable) {
            if (m_runClass == ClassName) {
                cls = ClassName; // a letter inside a name (COS, SQRT, EXP)
            } else if (m_runClass == ClassVariable) {
                AppendCode(m_run); // XY reads as X * Y
                Append(ASKind::Multiply);
                m_run = CString(ch);
                continue;
            }
        }
        if (cls == ClassName && m_runClass == ClassVariable) {
            m_run += ch; // T then AN reads as TAN
            m_runClass = ClassName;
            continue;
        }
        if (ch == '-' && m_runClass != ClassMinus)
            m_classBeforeMinus = m_runClass;
        if (cls == m_runClass || m_runClass == ClassEnd) {
            if (m_runClass == ClassEnd)
                m_runClass = cls;
            m_run += ch;
            continue;
        }
        if (!EmitRun(cls, ch)) {
            m_run += ch; // the minus joined a number run
            continue;
        }
        m_run = CString(ch);
        m_runClass = cls;
    }

    // A division by a bracketed zero is worth a warning, not a refusal.
    for (int i = 0; i + 3 < m_list.GetCount(); ++i) {
        if (m_list.KindAt(i) == ASKind::Divide && m_list.KindAt(i + 1) == ASKind::Open &&
            m_list.KindAt(i + 2) == ASKind::Number && m_list.ValueAt(i + 2) == 0.0 &&
            m_list.KindAt(i + 3) == ASKind::Close) {
            m_function.NoteDivisionByZero();
            break;
        }
    }
    return m_ok && !m_list.Overflowed();
}

} // namespace

bool KTFunction3::TokeniseText(const CString& text, ASTokenList& list)
{
    Tokeniser tokeniser(*this, list);
    return tokeniser.Run(text);
}

void KTFunction3::Tokenise(const CString& text, ASTokenList& list)
{
    if (!TokeniseText(text, list))
        InputError("Can not interpret equation");
}

void KTFunction3::NoteDivisionByZero()
{
    RecordMessage("Function Error", "Function undefined - Division by 0");
}
