#include "typeset/KTEToken.h"

#include "platform/KTLocale.h"
#include "typeset/KTEDepthGuard.h"

void KTEToken::Set(KTETokenKind kind, const CString& text, const CString& text2, int modifier)
{
    m_kind = kind;
    m_text = text;
    m_text2 = text2;
    m_modifier = modifier;
    m_changed = true;
}

void KTEToken::SetText(const CString& text)
{
    m_text = text;
    m_changed = true;
}

bool KTEToken::IsBarGroup() const
{
    return m_kind == TK_BRACKETS && (m_text == "|,|" || m_text == "|[,]|");
}

int KTEToken::ColumnDepth() const
{
    int depth = 0;
    const KTEToken* column = this;
    // Walked as a loop: a column chain is as long as the typed list of entries.
    while (column && column->m_kind == TK_COLUMN) {
        const KTEToken* next = column->m_list2.At(0);
        if (next && next->m_kind == TK_COLUMN) {
            ++depth;
            column = next;
        } else {
            return depth + 2;
        }
    }
    return depth;
}

KTEToken* KTEToken::ColumnRow(int n) const
{
    const KTEToken* column = this;
    if (m_kind != TK_COLUMN)
        return nullptr;
    for (;;) {
        if (n <= 0)
            return column->m_list.At(0);
        KTEToken* next = column->m_list2.At(0);
        if (!next || next->m_kind != TK_COLUMN)
            return next;
        column = next;
        --n;
    }
}

CString KTEToken::GetCalculationText(bool top) const
{
    KTEDepthGuard guard;
    if (guard.Exceeded())
        return CString();
    const auto first = [this] { return m_list.GetCalculationText(false); };
    const auto second = [this] { return m_list2.GetCalculationText(false); };
    switch (m_kind) {
    case TK_ERROR: return "TK_ERROR";
    case TK_POWER: return "^" + first();
    case TK_ARCSINCOSTAN: return "a" + m_text.Left(3);
    case TK_SQRT: return "sqrt" + first();
    case TK_ROOT: {
        CString index = second();
        if (index.IsEmpty() || index == "()")
            index = "(2)";
        return first() + "^((1)/" + index + ")";
    }
    case TK_ROOTBASE: return "TK_ROOTBASE";
    case TK_CODEDRAW2: {
        CString text = m_text;
        if (!m_list.IsEmpty()) {
            text += "(" + first();
            if (!m_list2.IsEmpty() && m_text != "lim")
                text += "," + second();
            text += ")";
        }
        return text;
    }
    case TK_SEPARATOR: return CString(KTLocale::ListSeparator());
    case TK_SYMBOL:
    case TK_DEGREE: return m_text2;
    case TK_SPACEDSYMBOL: return top ? m_text : m_text2;
    case TK_GREEK: return m_text == "p" ? CString('\xCD') : m_text;
    case TK_MODIFIER: return "TK_MODIFIER";
    case TK_ADD: return "+";
    case TK_SUBTRACT: return "-";
    case TK_DIVIDE: return "/";
    case TK_MULTIPLY: return "*";
    case TK_QUOTED: return "\"" + m_text + "\"";
    case TK_SPACE:
    case TK_TAB:
    case TK_MATRIX: return CString();
    case TK_OPEN:
    case TK_OPENLOGICAL: return "(";
    case TK_CLOSE:
    case TK_CLOSELOGICAL: return ")";
    case TK_SUBSCRIPT: return "\\" + first();
    case TK_EQUAL: return "=";
    case TK_BRACKETS:
        if (IsBarGroup())
            return "(abs(" + first() + "))";
        return "(" + first() + ")";
    case TK_FRACTION:
        if (m_list.IsEmpty())
            return CString();
        return "(" + first() + "/" + second() + ")";
    case TK_COLUMN: return "(" + first() + ")";
    case TK_PARAMETER: return first();
    case TK_GREATER: return ">";
    case TK_LESS: return "<";
    case TK_ABS: return "|";
    case TK_NUMBER:
    case TK_FUNCTION:
    case TK_UNIT:
    case TK_RAW:
    case TK_VARIABLE:
    case TK_ABVECTOR:
    case TK_LCVECTOR:
    case TK_IVRIGHT:
    case TK_IVLEFT:
    case TK_IVBOTH: return m_text;
    }
    return "TK_CONFUSED";
}
