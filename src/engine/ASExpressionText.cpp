#include "engine/ASExpressionText.h"

#include "engine/ASTokenList.h"
#include "engine/KTEntryErrorException.h"
#include "foundation/KTLocaleChars.h"
#include "foundation/KTNumberFormat.h"

#include <cstring>

namespace {

enum State : int {
    Number = 1,
    Operator = 2,
    Variable = 3,
    Name = 4,
    End = 5,
    Open = 6,
    Close = 7,
    Minus = 8,
    OpenGuillemet = 9,
    CloseGuillemet = 10,
    Blank = 11,
};

State Classify(unsigned char ch, char decimal)
{
    if (ch == 0)
        return End;
    if ((ch >= '0' && ch <= '9') || ch == static_cast<unsigned char>(decimal))
        return Number;
    if (ch == ' ')
        return Blank;
    switch (ch) {
    case '+':
    case '*':
    case '/':
    case '^':
    case '>':
    case '=':
    case '<':
    case ';':
    case 180:
    case 179:
    case 163: return Operator;
    case 'X':
    case 'T':
    case 'Y':
    case 'R':
    case 'A':
    case 'B':
    case 'C':
    case 'D': return Variable;
    case '(': return Open;
    case ')': return Close;
    case '-': return Minus;
    case 171: return OpenGuillemet;
    case 187: return CloseGuillemet;
    default: return Name;
    }
}

struct KindRow
{
    const char* text;
    ASTokenKind kind;
};

constexpr KindRow kKinds[] = {
    {"X", ASKind::X},
    {"Y", ASKind::Y},
    {"R", ASKind::R},
    {"T", ASKind::T},
    {"Q", ASKind::Theta},
    {"A", ASKind::A},
    {"B", ASKind::B},
    {"C", ASKind::C},
    {"D", ASKind::D},
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
    {"\xB3", ASKind::GreaterEqual},
    {"<", ASKind::Less},
    {"\xA3", ASKind::LessEqual},
    {";", ASKind::Separator},
    {"\xAB", ASKind::OpenGuillemet},
    {"\xBB", ASKind::CloseGuillemet},
};

// One pass over the text; the pending token is completed when a character of another state
// arrives, as the rules of the tokenizer say.
class Tokenizer
{
public:
    Tokenizer(const CString& text, ASTokenList& list) : m_text(text), m_list(list)
    {
        m_text.MakeUpper();
        m_decimal = KTLocaleChars().m_chDecimal;
    }

    void Run()
    {
        const int length = m_text.GetLength();
        for (m_index = 0; m_index <= length; ++m_index) {
            const unsigned char ch = m_index < length ? static_cast<unsigned char>(m_text.GetAt(m_index)) : 0;
            State state = Classify(ch, m_decimal);
            if (state == Blank) {
                m_pending += ' ';
                continue;
            }
            if (state == Minus)
                m_beforeMinus = m_pendingState;
            Step(ch, state);
            if (state == End)
                break;
        }
    }

private:
    void Add(ASTokenKind kind, double value = 0.0) { m_list.Append(kind, value); }

    void AddKindOf(const CString& text) { Add(ASExpressionText::TokenKind(text)); }

    void AddEachCharacter()
    {
        for (int i = 0; i < m_pending.GetLength(); ++i)
            AddKindOf(CString(m_pending.GetAt(i)));
    }

    void Start(unsigned char ch, State state)
    {
        m_pending = ch ? CString(static_cast<char>(ch)) : CString();
        m_pendingState = state;
    }

    void Step(unsigned char ch, State state)
    {
        const char chText = static_cast<char>(ch);
        if (state == Variable && m_pendingState == Variable) {
            AddKindOf(m_pending);
            Add(ASKind::Multiply);
            Start(ch, state);
            return;
        }
        if (state == Variable && m_pendingState == Name) {
            m_pending += chText;
            return;
        }
        if (state == End && m_pendingState == End)
            return;
        if (state == m_pendingState) {
            m_pending += chText;
            return;
        }
        switch (m_pendingState) {
        case Number: {
            Add(ASKind::Number, KTNumberText().ToDouble(m_pending));
            // A number directly before a letter or a bracket is a product.
            if (state != Operator && state != Minus && state != Close && state != CloseGuillemet &&
                state != End)
                Add(ASKind::Multiply);
            break;
        }
        case Variable:
            if (state == Name) {
                m_pending += chText;
                m_pendingState = Name;
                return;
            }
            AddKindOf(m_pending);
            break;
        case Operator:
        case Name: AddKindOf(m_pending); break;
        case End: break;
        case Open:
        case OpenGuillemet: AddEachCharacter(); break;
        case Close:
        case CloseGuillemet:
            AddEachCharacter();
            if (state == Open || state == OpenGuillemet)
                Add(ASKind::Multiply);
            break;
        case Minus:
            if (m_beforeMinus == Number || m_beforeMinus == Variable || m_beforeMinus == Close ||
                m_beforeMinus == CloseGuillemet) {
                Add(ASKind::Minus);
                break;
            }
            if (m_beforeMinus == Operator || m_beforeMinus == End || m_beforeMinus == Open ||
                m_beforeMinus == OpenGuillemet) {
                if (state == Number) {
                    m_pending += chText; // a negative number
                    m_pendingState = Number;
                    return;
                }
                if (state == Variable || state == Name || state == Open || state == OpenGuillemet) {
                    Add(ASKind::Number, -1.0);
                    Add(ASKind::Multiply);
                    break;
                }
            }
            // A minus after a name, or before an operator, a closing bracket or the end: the
            // character is dropped and the minus stays pending.
            return;
        default: break;
        }
        Start(ch, state);
    }

public:
    int m_index = 0;

private:
    CString m_text;
    ASTokenList& m_list;
    char m_decimal = '.';
    CString m_pending;
    State m_pendingState = End;
    State m_beforeMinus = End;
};

} // namespace

ASTokenKind ASExpressionText::TokenKind(const CString& text)
{
    CString upper = text;
    upper.MakeUpper();
    for (const KindRow& row : kKinds) {
        if (upper == row.text)
            return row.kind;
    }
    throw KTUnrecognisedException(-1, " " + upper);
}

bool ASExpressionText::Tokenize(ASTokenList& list) const
{
    list.Clear();
    Tokenizer tokenizer(m_text, list);
    try {
        tokenizer.Run();
    } catch (KTUnrecognisedException& error) {
        error.m_position = tokenizer.m_index - 1;
        throw;
    }
    return !list.Overflowed();
}
