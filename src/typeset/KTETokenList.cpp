#include "typeset/KTETokenList.h"

#include "typeset/KTEDepthGuard.h"
#include "typeset/KTEOptions.h"
#include "typeset/KTEToken.h"
#include "typeset/KTETokenPool.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int MaxDepth = 256; // nesting beyond this is left unprocessed rather than overflow the stack

bool IsCapitalLetter(const CString& text)
{
    return text.GetLength() == 1 && std::strchr("ABCDEFGHIJKLMNOPQRTSUVWXYZ", text[0]) != nullptr;
}

bool IsCapitalVariable(const KTEToken* token)
{
    return token && token->m_kind == TK_VARIABLE && IsCapitalLetter(token->m_text);
}

bool OneOf(const CString& text, const char* set)
{
    return text.GetLength() == 1 && text[0] != 0 && std::strchr(set, text[0]) != nullptr;
}

} // namespace

KTEToken* KTETokenList::At(int i) const
{
    if (i < 0 || i >= GetCount())
        return nullptr;
    return m_tokens[static_cast<size_t>(i)];
}

CString KTETokenList::GetText(int i) const
{
    const KTEToken* token = At(i);
    return token ? token->m_text : CString();
}

KTETokenKind KTETokenList::KindAt(int i) const
{
    const KTEToken* token = At(i);
    return token ? token->m_kind : TK_ERROR;
}

void KTETokenList::InsertAt(int i, KTEToken* token)
{
    i = std::clamp(i, 0, GetCount());
    m_tokens.insert(m_tokens.begin() + i, token);
}

void KTETokenList::RemoveAt(int i)
{
    if (i >= 0 && i < GetCount())
        m_tokens.erase(m_tokens.begin() + i);
}

void KTETokenList::RemoveRange(int first, int last)
{
    first = std::max(first, 0);
    last = std::min(last, GetCount() - 1);
    if (first <= last)
        m_tokens.erase(m_tokens.begin() + first, m_tokens.begin() + last + 1);
}

std::vector<KTEToken*> KTETokenList::Slice(int first, int last) const
{
    first = std::max(first, 0);
    last = std::min(last, GetCount() - 1);
    if (first > last)
        return {};
    return std::vector<KTEToken*>(m_tokens.begin() + first, m_tokens.begin() + last + 1);
}

void KTETokenList::MoveInto(int first, int last, KTETokenList& target)
{
    for (KTEToken* token : Slice(first, last))
        target.Add(token);
    RemoveRange(first, last);
}

int KTETokenList::FindOpen(int i) const
{
    if (i < 0 || i >= GetCount() || KindAt(i) != TK_CLOSE)
        return -1;
    int depth = 1;
    for (int j = i - 1; j >= 0; --j) {
        const KTETokenKind kind = KindAt(j);
        if (kind == TK_CLOSE)
            ++depth;
        else if (kind == TK_OPEN && --depth == 0)
            return j;
    }
    return -1;
}

int KTETokenList::FindClose(int i) const
{
    if (i < 0 || i >= GetCount())
        return -1;
    if (KindAt(i) != TK_OPEN)
        return i;
    int depth = 1;
    for (int j = i + 1; j < GetCount(); ++j) {
        const KTETokenKind kind = KindAt(j);
        if (kind == TK_OPEN)
            ++depth;
        else if (kind == TK_CLOSE && --depth == 0)
            return j;
    }
    return -1;
}

std::pair<int, int> KTETokenList::FindInnermostPair(int start) const
{
    int open = -1;
    for (int j = std::max(start, 0); j < GetCount(); ++j) {
        const KTETokenKind kind = KindAt(j);
        if (kind == TK_OPEN)
            open = j;
        else if (kind == TK_CLOSE)
            return open >= 0 ? std::make_pair(open, j) : std::make_pair(-1, -1);
    }
    return {open, -1};
}

void KTETokenList::ReplaceByThree(int i, KTEToken* a, KTEToken* b, KTEToken* c)
{
    if (i < 0 || i >= GetCount())
        return;
    m_tokens[static_cast<size_t>(i)] = a;
    m_tokens.insert(m_tokens.begin() + i + 1, {b, c});
}

bool KTETokenList::IsAllNumeric() const
{
    KTEDepthGuard guard;
    if (guard.Exceeded())
        return true;
    for (int i = GetCount() - 1; i >= 0; --i) {
        const KTEToken* token = At(i);
        if (token->m_kind != TK_NUMBER && token->m_kind != TK_BRACKETS)
            return false;
        if (!token->m_list.IsAllNumeric() || !token->m_list2.IsAllNumeric())
            return false;
    }
    return true;
}

void KTETokenList::MarkChanged()
{
    KTEDepthGuard guard;
    if (guard.Exceeded())
        return;
    for (int i = GetCount() - 1; i >= 0; --i) {
        KTEToken* token = At(i);
        token->m_changed = true;
        token->m_list.MarkChanged();
        token->m_list2.MarkChanged();
    }
    m_changed = true;
}

void KTETokenList::SetPowerLevel(double level)
{
    KTEDepthGuard guard;
    if (guard.Exceeded())
        return;
    for (KTEToken* token : m_tokens) {
        token->m_powerLevel = level;
        double first = level;
        double second = level;
        switch (token->m_kind) {
        case TK_POWER:
        case TK_CODEDRAW2: first = second = level + 1.0; break;
        case TK_ROOT:
        case TK_BRACKETS: second = level + 1.0; break;
        case TK_ARCSINCOSTAN: // its list holds only the "-1" exponent that measuring adds
            first = level + 1.0;
            break;
        case TK_SUBSCRIPT: first = second = level + 1.5; break;
        default: break;
        }
        token->m_list.SetPowerLevel(first);
        token->m_list2.SetPowerLevel(second);
    }
}

void KTETokenList::SetFractionLevel(int level, const KTEOptions& options)
{
    KTEDepthGuard guard;
    if (guard.Exceeded())
        return;
    for (KTEToken* token : m_tokens) {
        token->m_fractionLevel = level;
        int child = level;
        if (token->m_kind == TK_FRACTION && options.Get(options.m_shrinkNonAlgebraicFractions) &&
            token->m_list.IsAllNumeric() && token->m_list2.IsAllNumeric())
            child = level + 1;
        token->m_list.SetFractionLevel(child, options);
        token->m_list2.SetFractionLevel(child, options);
    }
}

void KTETokenList::PlaceVertically()
{
    KTEDepthGuard guard;
    if (guard.Exceeded())
        return;
    for (KTEToken* token : m_tokens) {
        if (!token->m_list.IsEmpty())
            token->m_list.PlaceVertically();
        if (!token->m_list2.IsEmpty())
            token->m_list2.PlaceVertically();
    }
    const KTEToken* previous = nullptr;
    for (KTEToken* token : m_tokens) {
        int base = m_extent.descent;
        if (previous && previous->m_kind == TK_BRACKETS && token->m_kind == TK_POWER &&
            token->m_extent.height < previous->m_extent.height)
            base = static_cast<int>(previous->m_extent.height - token->m_extent.height * 0.8 -
                                    previous->m_extent.descent + m_extent.descent);
        if (!token->m_extent.raised)
            base -= token->m_extent.descent;
        token->m_extent.placement = base;
        previous = token;
    }
}

int KTETokenList::RemoveEmptyRaw()
{
    std::erase_if(m_tokens, [](const KTEToken* t) { return t->m_kind == TK_RAW && t->m_text.IsEmpty(); });
    return GetCount();
}

void KTETokenList::SplitToken(int i, int start, int end, KTETokenKind kind, KTETokenPool& pool,
                              const CString& text, const CString& text2)
{
    KTEToken* token = At(i);
    if (!token)
        return;
    const CString whole = token->m_text;
    KTEToken* before = pool.Create(TK_RAW);
    before->SetText(whole.Left(start));
    KTEToken* middle = pool.Create(kind);
    if (!text.IsEmpty())
        middle->Set(kind, text, text2, 0);
    else
        middle->Set(kind, whole.Mid(start, end - start + 1), CString(), 0);
    KTEToken* after = pool.Create(TK_RAW);
    after->SetText(whole.Mid(end + 1));
    ReplaceByThree(i, before, middle, after);
}

void KTETokenList::PairAbsBars()
{
    int depth = 0;
    bool mayOpen = true;
    KTETokenKind previous = TK_RAW;
    for (KTEToken* token : m_tokens) {
        const KTETokenKind kind = token->m_kind;
        if (kind == TK_ABS) {
            bool open = false;
            bool close = false;
            if (previous == TK_ABS) {
                if (depth == 0) {
                    open = true;
                    mayOpen = false;
                    depth = 1;
                } else if (!mayOpen) {
                    open = true;
                    ++depth;
                } else {
                    close = true;
                    --depth;
                }
            } else if (depth == 0) {
                if (mayOpen) {
                    open = true;
                    mayOpen = false;
                    depth = 1;
                }
            } else {
                close = true;
                mayOpen = true;
                --depth;
            }
            if (open)
                token->Set(TK_OPEN, "|", CString(), 0);
            else if (close)
                token->Set(TK_CLOSE, "|", CString(), 0);
        }
        previous = kind;
    }
}

void KTETokenList::MakeCapitalVectors()
{
    if (GetCount() < 2)
        return;
    for (int i = 0; i + 1 < GetCount(); ++i) {
        if (IsCapitalVariable(At(i)) && IsCapitalVariable(At(i + 1)) && !IsCapitalVariable(At(i + 2)) &&
            !IsCapitalVariable(At(i - 1))) {
            At(i)->Set(TK_ABVECTOR, At(i)->m_text + At(i + 1)->m_text, CString(), 0);
            RemoveAt(i + 1);
        }
    }
}

void KTETokenList::MakeLowerCaseVectors(const KTEOptions& options)
{
    KTEDepthGuard guard;
    if (guard.Exceeded())
        return;
    const int mode = options.Get(options.m_lowerCase);
    if (mode == 1) {
        bool keep = true;
        bool equalsSeen = false;
        bool unitLetterSeen = false;
        for (KTEToken* token : m_tokens) {
            if (token->m_kind == TK_EQUAL)
                equalsSeen = true;
            if (token->m_kind == TK_VARIABLE) {
                if (OneOf(token->m_text, "xyzZ"))
                    keep = false;
                if (OneOf(token->m_text, "ijk"))
                    unitLetterSeen = true;
                else if (equalsSeen)
                    keep = false;
            }
            if (!token->m_list.IsEmpty())
                token->m_list.MakeLowerCaseVectors(options);
            if (!token->m_list2.IsEmpty())
                token->m_list2.MakeLowerCaseVectors(options);
        }
        if (unitLetterSeen && keep)
            for (KTEToken* token : m_tokens)
                if (token->m_kind == TK_VARIABLE && OneOf(token->m_text, "abcdefghijklmnopqrstuvwxyz"))
                    token->Set(TK_LCVECTOR, token->m_text, CString(), 0);
    } else if (mode == 2) {
        for (KTEToken* token : m_tokens) {
            if (token->m_kind == TK_VARIABLE && OneOf(token->m_text, "abcdefghijklmnopqrstuvwxyz") &&
                options.Get(options.m_letters[token->m_text[0] - 'a']))
                token->Set(TK_LCVECTOR, token->m_text, CString(), 0);
            if (!token->m_list.IsEmpty())
                token->m_list.MakeLowerCaseVectors(options);
            if (!token->m_list2.IsEmpty())
                token->m_list2.MakeLowerCaseVectors(options);
        }
    }
}

void KTETokenList::AttachIndicatedVectors()
{
    KTEDepthGuard guard;
    if (guard.Exceeded())
        return;
    for (int i = GetCount() - 1; i >= 0; --i) {
        KTEToken* token = At(i);
        if (!token)
            continue;
        const KTETokenKind kind = token->m_kind;
        if (kind == TK_IVRIGHT || kind == TK_IVLEFT || kind == TK_IVBOTH) {
            const KTETokenKind next = KindAt(i + 1);
            if (next == TK_OPEN) {
                int close = FindClose(i + 1);
                At(i + 1)->SetText(CString());
                if (close >= 0)
                    At(close)->SetText(CString());
                else
                    close = GetCount() - 1;
                token->m_list.RemoveAll();
                MoveInto(i + 1, close, token->m_list);
            } else if (next == TK_NUMBER || next == TK_VARIABLE || next == TK_GREEK) {
                token->m_list.RemoveAll();
                MoveInto(i + 1, i + 1, token->m_list);
            }
        }
        if (!token->m_list.IsEmpty())
            token->m_list.AttachIndicatedVectors();
        if (!token->m_list2.IsEmpty())
            token->m_list2.AttachIndicatedVectors();
    }
}

void KTETokenList::SignLeadingMinus()
{
    KTEDepthGuard guard;
    if (guard.Exceeded() || IsEmpty())
        return;
    KTEToken* first = At(0);
    if (first->m_kind == TK_SUBTRACT)
        first->Set(TK_NUMBER, "-");
    else if (first->m_kind == TK_FRACTION || (first->m_kind == TK_BRACKETS && first->m_text == ","))
        first->m_list.SignLeadingMinus();
}

void KTETokenList::JoinUnaryMinus()
{
    KTEDepthGuard guard;
    if (guard.Exceeded())
        return;
    auto join = [this](int i) {
        KTEToken* number = At(i + 1);
        number->Set(TK_NUMBER, "-" + number->m_text, CString(), 0);
        RemoveAt(i);
    };
    if (GetCount() >= 2 && KindAt(0) == TK_SUBTRACT && KindAt(1) == TK_NUMBER)
        join(0);
    for (int i = GetCount() - 2; i >= 1; --i) {
        int p = i - 1;
        while (p >= 0 && KindAt(p) == TK_SPACE)
            --p;
        if (p >= 0 && KindAt(i) == TK_SUBTRACT && KindAt(i + 1) == TK_NUMBER &&
            At(i + 1)->m_text.GetAt(0) != '-') {
            const KTETokenKind before = KindAt(p);
            if (before == TK_ADD || before == TK_EQUAL || before == TK_MULTIPLY || before == TK_OPEN ||
                before == TK_DIVIDE || before == TK_SUBTRACT)
                join(i);
        }
    }
    // Child lists are independent of this list's joins, so one walk after them suffices.
    for (KTEToken* token : m_tokens) {
        if (!token->m_list.IsEmpty())
            token->m_list.JoinUnaryMinus();
        if (!token->m_list2.IsEmpty())
            token->m_list2.JoinUnaryMinus();
    }
}

CString KTETokenList::GetCalculationText(bool top) const
{
    KTEDepthGuard guard;
    if (guard.Exceeded())
        return CString();
    // Two operands side by side are a product, a fraction among them: "pi x/2" is pi times
    // x over 2 as the preview shows it. (A function, root or bar group is a bracket group here.)
    // A script ends its operand: "log2(9)" is "log\2*(9)", as the tokeniser reads a base.
    const auto implicitProduct = [](KTETokenKind previous, KTETokenKind kind) {
        const auto operand = [](KTETokenKind k) {
            return k == TK_NUMBER || k == TK_VARIABLE || k == TK_BRACKETS || k == TK_GREEK ||
                   k == TK_FRACTION;
        };
        return operand(kind) && (operand(previous) || previous == TK_POWER || previous == TK_SUBSCRIPT);
    };
    const auto next = [this](int i) {
        while (KindAt(i) == TK_SPACE)
            ++i;
        return i;
    };
    CString text;
    KTETokenKind previous = TK_ERROR; // no previous token
    for (int i = next(0); i < GetCount(); i = next(i + 1)) {
        const KTEToken* token = At(i);
        if (previous != TK_ERROR && implicitProduct(previous, token->m_kind))
            text += "*";
        const int power = next(i + 1);
        const int argument = next(power + 1);
        if ((token->m_kind == TK_FUNCTION || token->m_kind == TK_ARCSINCOSTAN) && KindAt(power) == TK_POWER &&
            KindAt(argument) == TK_BRACKETS) {
            // A power typed on a function's name is a power of its value: "sin^2 x" and
            // "ln2 x" are (sin(x))^2 and (ln(x))^2.
            text += "(" + token->GetCalculationText(top) + At(argument)->GetCalculationText(top) + ")" +
                    At(power)->GetCalculationText(top);
            previous = TK_POWER;
            i = argument;
            continue;
        }
        text += token->GetCalculationText(top);
        previous = token->m_kind;
    }
    return text;
}
