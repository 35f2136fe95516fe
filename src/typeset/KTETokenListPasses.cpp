// The structure passes that move tokens of one list into the child lists of new tokens.

#include "typeset/KTEDepthGuard.h"
#include "typeset/KTEToken.h"
#include "typeset/KTETokenList.h"
#include "typeset/KTETokenPool.h"

#include <algorithm>

namespace {

bool IsOperandKind(KTETokenKind kind, bool separator)
{
    switch (kind) {
    case TK_NUMBER:
    case TK_POWER:
    case TK_VARIABLE:
    case TK_UNIT:
    case TK_GREEK: return true;
    case TK_FRACTION: return separator;
    default: return false;
    }
}

/// Kinds after which a minus sign cannot be a subtraction.
bool StartsOperand(KTETokenKind kind)
{
    switch (kind) {
    case TK_ERROR: // no token at all: the start of the list
    case TK_OPEN:
    case TK_EQUAL:
    case TK_ADD:
    case TK_SUBTRACT:
    case TK_MULTIPLY:
    case TK_DIVIDE:
    case TK_SEPARATOR:
    case TK_GREATER:
    case TK_LESS:
    case TK_SPACEDSYMBOL: return true;
    default: return false;
    }
}

} // namespace

void KTETokenList::UnwrapBars()
{
    KTEDepthGuard guard;
    if (guard.Exceeded())
        return;
    for (KTEToken*& token : m_tokens) {
        token->m_list.UnwrapBars();
        token->m_list2.UnwrapBars();
        if (token->m_kind == TK_BRACKETS && token->m_text == "," && token->m_list.GetCount() == 1 &&
            token->m_list.At(0)->IsBarGroup())
            token = token->m_list.At(0);
    }
}

void KTETokenList::AttachBracketColumns()
{
    for (int i = 0; i + 1 < GetCount(); ++i) {
        KTEToken* brackets = At(i);
        KTEToken* column = At(i + 1);
        if (brackets->m_kind != TK_BRACKETS || column->m_kind != TK_COLUMN)
            continue;
        KTEToken* rest = column->m_list2.At(0);
        KTEToken* upper = column->m_list.At(0);
        if (!rest || rest->m_kind == TK_COLUMN || !upper || upper->m_kind != TK_BRACKETS)
            continue; // only a column of exactly two bracketed rows gives limits
        KTEToken* first = upper->m_list.At(0);
        if (first && first->m_kind == TK_POWER) {
            first = first->m_list.At(0);
            if (first && first->m_kind == TK_BRACKETS)
                first = first->m_list.At(0);
        }
        if (first && !upper->m_list.IsEmpty())
            upper->m_list.m_tokens[0] = first;
        brackets->m_list2.Add(rest);
        brackets->m_list2.Add(upper);
        RemoveAt(i + 1);
    }
}

void KTETokenList::AttachModifiers(KTETokenPool& pool)
{
    for (int i = GetCount() - 1; i >= 1; --i) {
        KTEToken* modifier = At(i);
        if (modifier->m_kind != TK_MODIFIER)
            continue;
        const CString name = modifier->m_text;
        const int code = name == ":" ? 1 : name == "::" ? 2 : name == "^^" ? 3 : name == "_" ? 4 : 0;
        const KTETokenKind before = KindAt(i - 1);
        modifier->m_list.RemoveAll();
        if (name == "_" && before == TK_NUMBER && KindAt(i + 1) == TK_NUMBER) {
            At(i + 1)->m_modifier = code;
            MoveInto(i + 1, i + 1, modifier->m_list);
        } else if (before == TK_VARIABLE || before == TK_GREEK) {
            At(i - 1)->m_modifier = code;
            modifier->m_list.Add(At(i - 1));
            RemoveAt(i - 1);
            --i;
        } else if (before == TK_NUMBER) {
            KTEToken* number = At(i - 1);
            const int length = number->m_text.GetLength();
            KTEToken* digit = pool.Create(TK_NUMBER);
            digit->Set(TK_NUMBER, number->m_text.Right(1), CString(), code);
            modifier->m_list.Add(digit);
            number->SetText(number->m_text.Left(length - 1));
            if (number->m_text.IsEmpty()) {
                RemoveAt(i - 1);
                --i;
            }
        }
    }
}

void KTETokenList::ParseScientificNotation(KTETokenPool& pool)
{
    for (int i = GetCount() - 2; i >= 1; --i) {
        KTEToken* e = At(i);
        if (e->m_kind != TK_VARIABLE || e->m_text != "E" || KindAt(i - 1) != TK_NUMBER)
            continue;
        int last = -1;
        if (KindAt(i + 1) == TK_NUMBER)
            last = i + 1;
        else if (KindAt(i + 1) == TK_SUBTRACT && KindAt(i + 2) == TK_NUMBER)
            last = i + 2;
        if (last < 0)
            continue;
        e->Set(TK_MULTIPLY, "*", CString(), 0);
        KTEToken* ten = pool.Create(TK_NUMBER);
        ten->SetText("10");
        KTEToken* power = pool.Create(TK_POWER);
        power->SetText("^");
        InsertAt(last + 1, pool.Create(TK_CLOSE));
        InsertAt(i + 1, pool.Create(TK_OPEN));
        InsertAt(i + 1, power);
        InsertAt(i + 1, ten);
        // The number stays one operand: "x/1E2" is x over 100, not x over 1, times 100.
        InsertAt(last + 5, pool.Create(TK_CLOSE));
        InsertAt(i - 1, pool.Create(TK_OPEN));
        --i;
    }
}

void KTETokenList::EncloseBars(KTETokenPool& pool)
{
    // A pair of bars is a function of what it holds, not a grouping: passes that take a group's
    // brackets away (an exponent's, a radicand's, an operand's) take these invisible ones.
    for (int i = GetCount() - 1; i >= 0; --i) {
        if (KindAt(i) != TK_OPEN)
            continue;
        const int close = FindClose(i);
        if (close < 0)
            continue;
        InsertAt(close + 1, pool.Create(TK_CLOSE));
        InsertAt(i, pool.Create(TK_OPEN));
    }
}

void KTETokenList::BuildScripts(KTETokenKind kind, KTETokenPool& pool)
{
    for (int i = GetCount() - 1; i >= 0; --i) {
        if (KindAt(i) != kind)
            continue;
        int start = i + 1;
        while (KindAt(start) == TK_SPACE)
            ++start;
        int end = GetCount() - 1;
        if (KindAt(start) == TK_OPEN) {
            const int close = FindClose(start);
            if (close >= 0)
                end = close;
            if (kind == TK_SQRT || kind == TK_ROOT) {
                At(start)->SetText(CString());
                if (close >= 0)
                    At(close)->SetText(CString());
            }
        } else {
            start = i + 1;
        }
        KTEToken* script = pool.Create(kind);
        MoveInto(i + 1, end, script->m_list);
        if (kind == TK_ROOT && KindAt(i - 1) == TK_CLOSE) {
            const int open = FindOpen(i - 1);
            if (open >= 0) {
                At(open)->SetText(CString());
                At(i - 1)->SetText(CString());
                MoveInto(open, i - 1, script->m_list2);
                i = open;
            }
        }
        m_tokens[static_cast<size_t>(i)] = script;
    }
}

void KTETokenList::BuildPowers(KTETokenPool& pool)
{
    BuildScripts(TK_POWER, pool);
}

void KTETokenList::BuildSubscripts(KTETokenPool& pool)
{
    BuildScripts(TK_SUBSCRIPT, pool);
}

void KTETokenList::BuildSquareRoots(KTETokenPool& pool)
{
    BuildScripts(TK_SQRT, pool);
}

void KTETokenList::BuildRoots(KTETokenPool& pool)
{
    KTEDepthGuard guard;
    if (guard.Exceeded())
        return;
    // The roots within scripts first: a root built here takes the roots of its radicand
    // already built, which must not be taken for root signs again.
    for (KTEToken* token : m_tokens) {
        token->m_list.BuildRoots(pool);
        token->m_list2.BuildRoots(pool);
    }
    BuildScripts(TK_ROOT, pool);
}

void KTETokenList::BuildLimits(KTETokenPool& pool)
{
    KTEDepthGuard guard;
    if (guard.Exceeded())
        return;
    for (KTEToken* token : m_tokens) {
        token->m_list.BuildLimits(pool);
        token->m_list2.BuildLimits(pool);
    }
    for (int i = GetCount() - 2; i >= 0; --i) {
        KTEToken* op = At(i);
        if (op->m_kind != TK_CODEDRAW2 || KindAt(i + 1) != TK_OPEN || GetText(i + 1).IsEmpty())
            continue;
        int close = FindClose(i + 1);
        const bool closed = close >= 0;
        if (!closed)
            close = GetCount() - 1;
        const int innerLast = closed ? close - 1 : close;
        int separator = -1;
        for (int j = i + 2; j <= innerLast; ++j)
            if (KindAt(j) == TK_SEPARATOR)
                separator = j;
        op->m_list.RemoveAll();
        op->m_list2.RemoveAll();
        if (separator >= 0) {
            for (KTEToken* t : Slice(i + 2, separator - 1))
                op->m_list.Add(t);
            for (KTEToken* t : Slice(separator + 1, innerLast))
                op->m_list2.Add(t);
        } else {
            for (KTEToken* t : Slice(i + 2, innerLast))
                op->m_list.Add(t);
        }
        RemoveRange(i + 1, close);
        const KTETokenKind lastKind = op->m_list.KindAt(op->m_list.GetCount() - 1);
        if (op->m_text == "lim" && (lastKind == TK_ADD || lastKind == TK_SUBTRACT)) {
            const int last = op->m_list.GetCount() - 1;
            KTEToken* sign = pool.Create(TK_POWER);
            sign->m_list.Add(op->m_list.At(last));
            op->m_list.m_tokens[static_cast<size_t>(last)] = sign;
        }
    }
}

void KTETokenList::BracketOperands(KTETokenKind kind, KTETokenPool& pool)
{
    KTEDepthGuard guard;
    if (guard.Exceeded())
        return;
    // Scripts and radicands already hold their own lists: a fraction there must be built too,
    // or its "/" would be drawn as nothing.
    for (KTEToken* token : m_tokens) {
        token->m_list.BracketOperands(kind, pool);
        token->m_list2.BracketOperands(kind, pool);
    }
    // Every operator takes its own operands, also one that stands inside another's operand:
    // in "(6/x^2)/3" the inner bar keeps x^2 whole as well as the outer one the group. Each is
    // found again by itself, since the brackets inserted for the others move it.
    std::vector<KTEToken*> operators;
    for (KTEToken* token : m_tokens)
        if (token->m_kind == kind)
            operators.push_back(token);
    for (auto op = operators.rbegin(); op != operators.rend(); ++op) {
        const auto at = std::find(m_tokens.begin(), m_tokens.end(), *op);
        BracketOperandsAt(static_cast<int>(at - m_tokens.begin()), kind == TK_SEPARATOR, pool);
    }
}

void KTETokenList::BracketOperandsAt(int i, bool separator, KTETokenPool& pool)
{
    // Spaces typed around the operator separate nothing: "x / 2" is x over 2.
    while (KindAt(i + 1) == TK_SPACE)
        RemoveAt(i + 1);
    while (KindAt(i - 1) == TK_SPACE) {
        RemoveAt(i - 1);
        --i;
    }
    // Right operand.
    const int j = i + 1;
    if (KindAt(j) == TK_OPEN) {
        int close = FindClose(j);
        if (close < 0) {
            Add(pool.Create(TK_CLOSE));
            close = GetCount() - 1;
        }
        if (KindAt(close + 1) == TK_POWER) {
            // The group keeps its own brackets: the power belongs to it.
            InsertAt(close + 2, pool.Create(TK_CLOSE));
            InsertAt(j, pool.Create(TK_OPEN));
        } else {
            At(j)->SetText(CString());
            At(close)->SetText(CString());
        }
    } else {
        int end = j;
        if (KindAt(end) == TK_SUBTRACT)
            ++end;
        while (IsOperandKind(KindAt(end), separator))
            ++end;
        InsertAt(end, pool.Create(TK_CLOSE));
        InsertAt(j, pool.Create(TK_OPEN));
    }
    // Left operand.
    const int k = i - 1;
    if (k < 0) {
        InsertAt(0, pool.Create(TK_CLOSE));
        InsertAt(0, pool.Create(TK_OPEN));
        return;
    }
    if (KindAt(k) == TK_CLOSE && FindOpen(k) >= 0) {
        At(FindOpen(k))->SetText(CString());
        At(k)->SetText(CString());
        return;
    }
    int start = k;
    while (IsOperandKind(KindAt(start), separator))
        --start;
    // A bracket group raised to a power is one numerator: "(x+1)^2/3". (Before a separator
    // the power stays alone: "[F]b,a" gives the limits of an evaluation between brackets.)
    if (!separator && start < k && KindAt(start + 1) == TK_POWER && KindAt(start) == TK_CLOSE &&
        FindOpen(start) >= 0)
        start = FindOpen(start) - 1;
    if (KindAt(start) == TK_SUBTRACT) {
        int before = start - 1;
        while (KindAt(before) == TK_SPACE)
            --before;
        // Only a minus that cannot be a subtraction belongs to the operand.
        if (StartsOperand(KindAt(before)))
            --start;
    }
    InsertAt(k + 1, pool.Create(TK_CLOSE));
    InsertAt(start + 1, pool.Create(TK_OPEN));
}

void KTETokenList::BuildFractions(KTETokenKind kind, KTETokenPool& pool)
{
    KTEDepthGuard guard;
    if (guard.Exceeded())
        return;
    for (KTEToken* token : m_tokens) {
        token->m_list.BuildFractions(kind, pool);
        token->m_list2.BuildFractions(kind, pool);
    }
    // Division groups from the left, as arithmetic does: "a/b/c" is (a over b) over c, so the
    // fraction built first becomes the numerator of the next. Columns chain from the right:
    // "a,b,c" is a over (b over c), the form that counts a column's rows.
    if (kind == TK_DIVIDE) {
        for (int i = 0; i < GetCount(); ++i)
            if (KindAt(i) == kind)
                i = BuildFractionAt(i, kind, pool);
    } else {
        for (int i = GetCount() - 1; i >= 0; --i)
            if (KindAt(i) == kind)
                i = BuildFractionAt(i, kind, pool);
    }
}

int KTETokenList::BuildFractionAt(int i, KTETokenKind kind, KTETokenPool& pool)
{
    int first = i;
    if (i > 0)
        first = KindAt(i - 1) == TK_CLOSE ? FindOpen(i - 1) : i - 1;
    if (first < 0)
        first = i - 1;
    int last = i;
    if (i + 1 < GetCount()) {
        last = FindClose(i + 1);
        if (last < 0)
            last = GetCount() - 1;
    }
    KTEToken* token = pool.Create(kind == TK_DIVIDE ? TK_FRACTION : TK_COLUMN);
    for (KTEToken* t : Slice(first, i - 1))
        token->m_list.Add(t);
    for (KTEToken* t : Slice(i + 1, last))
        token->m_list2.Add(t);
    token->m_list.BuildFractions(kind, pool);
    token->m_list2.BuildFractions(kind, pool);
    RemoveRange(first, last);
    InsertAt(first, token);
    return first;
}

void KTETokenList::BuildBrackets(KTETokenPool& pool)
{
    KTEDepthGuard guard;
    if (guard.Exceeded())
        return;
    for (KTEToken* token : m_tokens) {
        token->m_list.BuildBrackets(pool);
        token->m_list2.BuildBrackets(pool);
    }
    for (;;) {
        const auto [open, close] = FindInnermostPair(0);
        if (open < 0)
            return;
        KTEToken* group = pool.Create(TK_BRACKETS);
        const int last = close >= 0 ? close : GetCount() - 1;
        const int innerLast = close >= 0 ? close - 1 : last;
        for (KTEToken* t : Slice(open + 1, innerLast))
            group->m_list.Add(t);
        if (group->m_list.IsEmpty()) {
            KTEToken* space = pool.Create(TK_SPACE);
            space->SetText(" ");
            group->m_list.Add(space);
        }
        CString text = GetText(open);
        if (close >= 0)
            text += "," + GetText(close);
        group->SetText(text);
        RemoveRange(open, last);
        InsertAt(open, group);
    }
}

void KTETokenList::BuildMatrices(bool strict, KTETokenPool& pool)
{
    KTEDepthGuard guard;
    if (guard.Exceeded())
        return;
    for (KTEToken* token : m_tokens) {
        token->m_list.BuildMatrices(strict, pool);
        token->m_list2.BuildMatrices(strict, pool);
    }
    for (int i = 0; i < GetCount(); ++i) {
        if (KindAt(i) != TK_COLUMN)
            continue;
        int end = i;
        int columns = 0;
        for (int j = i; KindAt(j) == TK_COLUMN || KindAt(j) == TK_SPACE; ++j)
            if (KindAt(j) == TK_COLUMN) {
                end = j;
                ++columns;
            }
        if (strict && columns < 2)
            continue;
        int rows = 0;
        for (int j = i; j <= end; ++j)
            if (KindAt(j) == TK_COLUMN)
                rows = std::max(rows, At(j)->ColumnDepth());
        rows = std::min(rows, KTEToken::MatrixLimit);
        columns = std::min(columns, KTEToken::MatrixLimit);
        KTEToken* matrix = pool.Create(TK_MATRIX);
        int column = 0;
        for (int j = i; j <= end && column < columns; ++j) {
            const KTEToken* source = At(j);
            if (source->m_kind != TK_COLUMN)
                continue;
            if (column > 0) {
                KTEToken* space = pool.Create(TK_SPACE);
                space->SetText(" ");
                matrix->m_list.Add(space);
            }
            const int depth = source->ColumnDepth();
            for (int r = 0; r < rows; ++r) {
                KTEToken* cell = r < depth ? source->ColumnRow(r) : nullptr;
                if (!cell)
                    cell = pool.Create(TK_BRACKETS);
                matrix->m_list.Add(cell);
            }
            ++column;
        }
        RemoveRange(i, end);
        InsertAt(i, matrix);
    }
}

CString KTETokenList::Dump(int depth) const
{
    KTEDepthGuard guard;
    if (guard.Exceeded())
        return CString();
    CString out;
    for (const KTEToken* token : m_tokens) {
        out += CString(' ', depth * 2);
        out += KTETokenKindName(token->m_kind);
        out += " \"" + token->m_text + "\"";
        if (!token->m_text2.IsEmpty())
            out += " \"" + token->m_text2 + "\"";
        out += "\n";
        if (!token->m_list.IsEmpty()) {
            out += CString(' ', depth * 2 + 1) + "1:\n";
            out += token->m_list.Dump(depth + 1);
        }
        if (!token->m_list2.IsEmpty()) {
            out += CString(' ', depth * 2 + 1) + "2:\n";
            out += token->m_list2.Dump(depth + 1);
        }
    }
    return out;
}

int FindMatchingParenthesis(const CString& text, int i)
{
    if (i < 0 || i >= text.GetLength())
        return -1;
    if (text[i] != '(')
        return i;
    int depth = 0;
    for (int j = i; j < text.GetLength(); ++j) {
        if (text[j] == '(')
            ++depth;
        else if (text[j] == ')' && --depth == 0)
            return j;
    }
    return -1;
}
