#include "typeset/KTEEquation.h"

#include "foundation/KTNumberFormat.h"
#include "foundation/KTBrushSelector.h"
#include "foundation/KTPenSelector.h"
#include "platform/KTDC.h"
#include "foundation/KTVariableSubstitutions.h"
#include "typeset/KTEDepthGuard.h"
#include "typeset/KTEOptions.h"
#include "typeset/KTEToken.h"

#include <cstring>
#include <cmath>

namespace {

bool IsArgumentKind(KTETokenKind kind)
{
    return kind == TK_NUMBER || kind == TK_VARIABLE || kind == TK_UNIT || kind == TK_GREEK;
}

/// Kinds that take an operand after them: a space there stands for nothing.
bool TakesOperandAfter(KTETokenKind kind)
{
    switch (kind) {
    case TK_ERROR: // the start of the list
    case TK_ADD:
    case TK_SUBTRACT:
    case TK_MULTIPLY:
    case TK_DIVIDE:
    case TK_POWER:
    case TK_SUBSCRIPT:
    case TK_EQUAL:
    case TK_GREATER:
    case TK_LESS:
    case TK_SPACEDSYMBOL:
    case TK_OPEN:
    case TK_SQRT:
    case TK_ROOT: return true;
    default: return false;
    }
}

/// Kinds that take an operand before them: a space there stands for nothing.
bool TakesOperandBefore(KTETokenKind kind)
{
    switch (kind) {
    case TK_ERROR: // the end of the list
    case TK_ADD:
    case TK_SUBTRACT:
    case TK_MULTIPLY:
    case TK_DIVIDE:
    case TK_POWER:
    case TK_SUBSCRIPT:
    case TK_EQUAL:
    case TK_GREATER:
    case TK_LESS:
    case TK_SPACEDSYMBOL:
    case TK_CLOSE: return true;
    default: return false;
    }
}

} // namespace

void KTEEquation::BuildDictionaries(const KTEOptions& options)
{
    if (m_dictionaries && !options.m_bRebuildDictionaries)
        return;
    m_dictionaries = KTESymbolDictionaries::For(options);
}

const KTESymbolDictionary& KTEEquation::GetDictionary(int i) const
{
    static const KTESymbolDictionaries none;
    return (m_dictionaries ? *m_dictionaries : none).Get(i);
}

void KTEEquation::SetText(const CString& text, const KTEOptions& options)
{
    if (text == m_text && !m_textChanged)
        return;
    m_pool.DeleteAll();
    m_tokens.RemoveAll();
    m_text = text;
    if (!ParseSafely(options)) {
        // Out of memory half-way: show nothing rather than a half-built tree.
        m_tokens.RemoveAll();
        m_pool.DeleteAll();
    }
    m_textChanged = 0;
    m_extentDirty = 1;
    m_layoutKey.set = false;
    m_tokens.MarkChanged();
}

bool KTEEquation::ParseSafely(const KTEOptions& options)
{
    try {
        Parse(options);
        return true;
    } catch (...) {
        return false;
    }
}

void KTEEquation::Parse(const KTEOptions& options)
{
    BuildDictionaries(options);
    KTEToken* raw = m_pool.Create(TK_RAW);
    raw->Set(TK_RAW, m_text, CString(), 0);
    m_tokens.Add(raw);

    const bool plain = options.m_bPlain;
    if (!plain) {
        if (options.m_bParseQuotes)
            SplitQuoted();
        if (options.m_bExpandMacros)
            SplitByDictionary(GetDictionary(0));
        if (options.Get(options.m_useVoredovovEntry))
            SplitByDictionary(GetDictionary(1));
        if (options.Get(options.m_useIndicatedVectors))
            SplitByDictionary(GetDictionary(2));
    }
    SplitByDictionary(GetDictionary(3));
    SplitNumbers();
    SplitByCharacters(" ", TK_SPACE);

    if (!plain) {
        SplitByCharacters("|", TK_ABS);
        m_tokens.PairAbsBars();
        m_tokens.EncloseBars(m_pool);
        SplitByCharacters("[{(", TK_OPEN);
        SplitByCharacters(")}]", TK_CLOSE);
        SplitByCharacters("+", TK_ADD);
        SplitByCharacters("-", TK_SUBTRACT);
        SplitByCharacters("*", TK_MULTIPLY);
        const char separator = options.SeparatorChar();
        SplitByCharacters(separator ? CString(separator) : CString(), TK_SEPARATOR);
        SplitByCharacters("=", TK_EQUAL);
        SplitByCharacters(">", TK_GREATER);
        SplitByCharacters("<", TK_LESS);
        if (options.m_bLetterODegree)
            SplitByCharacters("o", TK_DEGREE);
        if (options.m_bTabs)
            SplitByCharacters("\xBB", TK_TAB);
    }
    if (options.m_bBackquoteDegree)
        SplitByCharacters("`", TK_DEGREE);
    SplitByCharacters("/", TK_DIVIDE);

    if (!plain) {
        SplitByCharacters("^", TK_POWER);
        if (options.m_bBackslashSubscripts)
            SplitByCharacters("\\\xA7", TK_SUBSCRIPT);
        SplitByCharacters("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrtsuvwxyz", TK_VARIABLE);
        RemoveLooseSpaces();
        m_tokens.AttachModifiers(m_pool);
        if (options.m_bScientificNotation)
            m_tokens.ParseScientificNotation(m_pool);
        BracketScripts();
        MakeImplicitPowers();
        BracketFunctionArguments();
        BracketRoots();
        if (options.Get(options.m_useAutomaticVectors)) {
            m_tokens.MakeCapitalVectors();
            m_tokens.MakeLowerCaseVectors(options);
        }
        m_tokens.BuildPowers(m_pool);
        m_tokens.AttachIndicatedVectors();
        // Also without backslash subscripts: the base of "log2 x" is drawn as the subscript it is.
        m_tokens.BuildSubscripts(m_pool);
        m_tokens.BuildSquareRoots(m_pool);
        m_tokens.BuildRoots(m_pool);
        m_tokens.BuildLimits(m_pool);
    }

    const bool columns = options.Get(options.m_detectColumnVectors);
    m_tokens.BracketOperands(TK_DIVIDE, m_pool);
    if (columns)
        m_tokens.BracketOperands(TK_SEPARATOR, m_pool);
    m_tokens.JoinUnaryMinus();
    if (columns)
        m_tokens.BuildFractions(TK_SEPARATOR, m_pool);
    m_tokens.BuildFractions(TK_DIVIDE, m_pool);
    m_tokens.BuildBrackets(m_pool);
    GroupBracketedPowers();
    m_tokens.BuildBrackets(m_pool);
    m_tokens.UnwrapBars();

    if (options.m_bMatrices)
        m_tokens.BuildMatrices(true, m_pool);
    if (options.m_bBracketColumns)
        m_tokens.AttachBracketColumns();
    if (options.m_bMatrices)
        m_tokens.BuildMatrices(false, m_pool);

    m_tokens.SetFractionLevel(0, options);
    m_tokens.SetPowerLevel(0.0);
}

void KTEEquation::SplitQuoted()
{
    for (int i = 0; i < m_tokens.GetCount(); ++i) {
        const KTEToken* token = m_tokens.At(i);
        if (token->m_kind != TK_RAW)
            continue;
        const int open = token->m_text.Find('"');
        if (open < 0)
            continue;
        int close = token->m_text.Find('"', open + 1);
        if (close < 0)
            close = token->m_text.GetLength() - 1;
        m_tokens.SplitToken(i, open, close, TK_QUOTED, m_pool);
        ++i; // the remainder is the next raw token and is scanned in turn
    }
    m_tokens.RemoveEmptyRaw();
}

void KTEEquation::SplitByDictionary(const KTESymbolDictionary& dictionary)
{
    for (int i = 0; i < m_tokens.GetCount(); ++i) {
        const KTEToken* token = m_tokens.At(i);
        if (token->m_kind != TK_RAW)
            continue;
        const CString text = token->m_text;
        for (int start = 0; start < text.GetLength(); ++start) {
            CString rest = text.Mid(start);
            const int length = dictionary.MatchLength(rest);
            if (length < 0)
                continue;
            const KTESymbolEntry entry = dictionary.TakeMatch(rest);
            m_tokens.SplitToken(i, start, start + length, entry.kind, m_pool, entry.code, rest);
            ++i; // pass over the new token, even a raw one: it must not be matched again
            break;
        }
    }
    m_tokens.RemoveEmptyRaw();
}

void KTEEquation::SplitNumbers()
{
    static const char digits[] = "01234567890.";
    for (int i = 0; i < m_tokens.GetCount(); ++i) {
        const KTEToken* token = m_tokens.At(i);
        if (token->m_kind != TK_RAW)
            continue;
        const CString& text = token->m_text;
        const int start = text.FindOneOf(digits);
        if (start < 0)
            continue;
        int end = start;
        while (end + 1 < text.GetLength() && text[end + 1] != 0 && std::strchr(digits, text[end + 1]))
            ++end;
        m_tokens.SplitToken(i, start, end, TK_NUMBER, m_pool);
        ++i;
    }
    m_tokens.RemoveEmptyRaw();
}

void KTEEquation::SplitByCharacters(const CString& characters, KTETokenKind kind)
{
    if (characters.IsEmpty())
        return;
    for (int i = 0; i < m_tokens.GetCount(); ++i) {
        const KTEToken* token = m_tokens.At(i);
        if (token->m_kind != TK_RAW)
            continue;
        const int at = token->m_text.FindOneOf(characters);
        if (at < 0)
            continue;
        m_tokens.SplitToken(i, at, at, kind, m_pool);
        ++i;
    }
    m_tokens.RemoveEmptyRaw();
}

void KTEEquation::RemoveLooseSpaces()
{
    // A space beside an operator, a relation sign, a radical or on the inside of a bracket
    // stands for nothing: "x ^ 2" is x^2 and "root (x)" a root of x. The typesetter spaces
    // operators itself. A space between two operands stays: it is the product it stands for
    // ("x^2 y" is x^2 times y, "1/2 x" a half of x), and so does one after a function's name.
    const auto neighbour = [this](int i, int step) {
        while (m_tokens.KindAt(i) == TK_SPACE)
            i += step;
        return m_tokens.KindAt(i);
    };
    for (int i = m_tokens.GetCount() - 1; i >= 0; --i) {
        if (m_tokens.KindAt(i) == TK_SPACE &&
            (TakesOperandAfter(neighbour(i - 1, -1)) || TakesOperandBefore(neighbour(i + 1, 1))))
            m_tokens.RemoveAt(i);
    }
}

int KTEEquation::EncloseRun(int start, bool allowGroups, bool allowSpaces)
{
    int end = start;
    for (;;) {
        const KTETokenKind kind = m_tokens.KindAt(end);
        if (IsArgumentKind(kind) || kind == TK_POWER || (allowSpaces && kind == TK_SPACE)) {
            ++end;
        } else if (allowGroups && kind == TK_OPEN) {
            const int close = m_tokens.FindClose(end);
            end = close < 0 ? m_tokens.GetCount() : close + 1;
        } else {
            break;
        }
    }
    m_tokens.InsertAt(end, m_pool.Create(TK_CLOSE));
    m_tokens.InsertAt(start, m_pool.Create(TK_OPEN));
    return end + 1; // index of the inserted close
}

void KTEEquation::BracketScripts()
{
    // From the right, so that a later script is bracketed before an earlier one takes it into
    // its run: "2^2^(x)" is 2^(2^x) and "x^2^-x" is x^(2^(-x)).
    for (int i = m_tokens.GetCount() - 1; i >= 0; --i) {
        const KTETokenKind kind = m_tokens.KindAt(i);
        if (kind != TK_POWER && kind != TK_SUBSCRIPT)
            continue;
        if (m_tokens.KindAt(i + 1) == TK_OPEN) {
            const int close = m_tokens.FindClose(i + 1);
            m_tokens.At(i + 1)->SetText(CString());
            if (close >= 0)
                m_tokens.At(close)->SetText(CString());
            continue;
        }
        m_tokens.InsertAt(ScriptEnd(i + 1), m_pool.Create(TK_CLOSE));
        m_tokens.InsertAt(i + 1, m_pool.Create(TK_OPEN));
    }
}

int KTEEquation::ScriptEnd(int first) const
{
    const auto groupEnd = [this](int open) {
        const int close = m_tokens.FindClose(open);
        return close < 0 ? m_tokens.GetCount() : close + 1;
    };
    int end = first;
    if (m_tokens.KindAt(end) == TK_SUBTRACT) { // "e^-x": the sign belongs to the exponent
        ++end;
        if (m_tokens.KindAt(end) == TK_OPEN) // "e^-(x/2)", "e^-|x|": and so does its group
            return groupEnd(end);
    }
    for (;;) {
        const KTETokenKind kind = m_tokens.KindAt(end);
        if (IsArgumentKind(kind))
            ++end;
        else if (kind == TK_POWER && end > first && m_tokens.KindAt(end + 1) == TK_OPEN)
            end = groupEnd(end + 1); // a power within the run, its exponent bracketed already
        else
            return end;
    }
}

void KTEEquation::MakeImplicitPowers()
{
    for (int i = 0; i + 1 < m_tokens.GetCount(); ++i) {
        const KTETokenKind first = m_tokens.KindAt(i);
        if (m_tokens.KindAt(i + 1) != TK_NUMBER)
            continue;
        KTETokenKind script = TK_ERROR;
        if (first == TK_VARIABLE || first == TK_CLOSE || first == TK_GREEK || first == TK_UNIT)
            script = TK_POWER;
        else if (first == TK_FUNCTION)
            script = m_tokens.GetText(i) == "log" ? TK_SUBSCRIPT : TK_POWER;
        if (script == TK_ERROR)
            continue;
        KTEToken* sign = m_pool.Create(script);
        sign->SetText(script == TK_POWER ? "^" : "\\");
        m_tokens.InsertAt(i + 2, m_pool.Create(TK_CLOSE));
        m_tokens.InsertAt(i + 1, m_pool.Create(TK_OPEN));
        m_tokens.InsertAt(i + 1, sign);
        i += 4;
    }
}

void KTEEquation::BracketFunctionArguments()
{
    for (int i = 0; i < m_tokens.GetCount(); ++i) {
        const KTETokenKind kind = m_tokens.KindAt(i);
        if (kind != TK_FUNCTION && kind != TK_ARCSINCOSTAN && kind != TK_SQRT)
            continue;
        int next = i + 1;
        while (m_tokens.KindAt(next) == TK_SPACE)
            ++next;
        const KTETokenKind nextKind = m_tokens.KindAt(next);
        int last; // index of the last token of the application
        if (nextKind == TK_OPEN) {
            last = m_tokens.FindClose(next);
        } else {
            int argument = next;
            if (nextKind == TK_POWER || nextKind == TK_SUBSCRIPT) {
                const int scriptClose = m_tokens.FindClose(next + 1);
                argument = scriptClose < 0 ? m_tokens.GetCount() : scriptClose + 1;
                while (m_tokens.KindAt(argument) == TK_SPACE)
                    ++argument;
            }
            if (m_tokens.KindAt(argument) == TK_OPEN) {
                last = m_tokens.FindClose(argument);
            } else {
                last = EncloseRun(argument, true, false);
            }
        }
        if (last >= 0)
            m_tokens.InsertAt(last + 1, m_pool.Create(TK_CLOSE));
        m_tokens.InsertAt(i, m_pool.Create(TK_OPEN));
        ++i; // on to the function's own argument, which may hold further functions
    }
}

void KTEEquation::BracketRoots()
{
    for (int i = m_tokens.GetCount() - 1; i >= 0; --i) {
        if (m_tokens.KindAt(i) != TK_ROOT)
            continue;
        int root = i;
        int first = root; // first token of the whole root expression
        const KTETokenKind before = m_tokens.KindAt(root - 1);
        if (root == 0 || before == TK_DIVIDE) {
            m_tokens.InsertAt(root, m_pool.Create(TK_CLOSE));
            m_tokens.InsertAt(root, m_pool.Create(TK_OPEN));
            first = root;
            root += 2;
        } else if (IsArgumentKind(before)) {
            m_tokens.InsertAt(root, m_pool.Create(TK_CLOSE));
            m_tokens.InsertAt(root - 1, m_pool.Create(TK_OPEN));
            first = root - 1;
            root += 2;
        } else if (before == TK_CLOSE) {
            const int open = m_tokens.FindOpen(root - 1);
            first = open >= 0 ? open : root;
        }
        int last;
        if (m_tokens.KindAt(root + 1) == TK_OPEN) {
            last = m_tokens.FindClose(root + 1);
            if (last < 0)
                last = m_tokens.GetCount() - 1;
        } else {
            int end = root + 1;
            const auto radicand = [](KTETokenKind k) { return IsArgumentKind(k) || k == TK_SPACE; };
            while (radicand(m_tokens.KindAt(end)))
                ++end;
            m_tokens.InsertAt(end, m_pool.Create(TK_CLOSE));
            m_tokens.InsertAt(root + 1, m_pool.Create(TK_OPEN));
            last = end + 1;
        }
        m_tokens.InsertAt(last + 1, m_pool.Create(TK_CLOSE));
        m_tokens.InsertAt(first, m_pool.Create(TK_OPEN));
        i = first;
    }
}

void KTEEquation::GroupBracketedPowers()
{
    for (int i = m_tokens.GetCount() - 2; i >= 0; --i) {
        if (m_tokens.KindAt(i) == TK_BRACKETS && m_tokens.KindAt(i + 1) == TK_POWER) {
            m_tokens.InsertAt(i + 2, m_pool.Create(TK_CLOSE));
            m_tokens.InsertAt(i, m_pool.Create(TK_OPEN));
        }
    }
}

namespace {

// A negative value put in place of a name keeps its sign to itself: "3m^2" with m = -3 shows
// 3(-3)^2, where a bare 3 -3^2 reads as 3 - 9. The bare number reads right only where an operand
// starts (the start of a list, after a relation sign or a separator) with no power after it.
bool NeedsBrackets(const KTETokenList& list, int i)
{
    if (list.KindAt(i + 1) == TK_POWER)
        return true;
    int before = i - 1;
    while (before >= 0 && list.KindAt(before) == TK_SPACE)
        --before;
    if (before < 0)
        return false;
    switch (list.KindAt(before)) {
    case TK_EQUAL:
    case TK_GREATER:
    case TK_LESS:
    case TK_SPACEDSYMBOL:
    case TK_SEPARATOR: return false;
    default: return true;
    }
}

void Substitute(KTETokenList& list, const KTVariableSubstitutions& table, KTETokenPool& pool)
{
    KTEDepthGuard guard;
    if (guard.Exceeded())
        return;
    KTNumberFormat format;
    format.m_bShowSign = false;
    format.m_bStripZeros = true;
    format.m_bReplaceMinus = false;
    format.m_chMinus = static_cast<char>(0x96);
    format.m_nDigits = 6;
    for (int i = 0; i < list.GetCount(); ++i) {
        KTEToken*& token = list.m_tokens[static_cast<std::size_t>(i)];
        Substitute(token->m_list, table, pool);
        Substitute(token->m_list2, table, pool);
        if (token->m_kind != TK_VARIABLE || !table.HasName(token->m_text))
            continue;
        const double value = table.GetValue(token->m_text);
        KTEToken* number = pool.Create(TK_NUMBER);
        number->SetText(format.Format(value));
        if (value < 0.0 && NeedsBrackets(list, i)) {
            KTEToken* group = pool.Create(TK_BRACKETS);
            group->SetText("(,)");
            group->m_list.Add(number);
            number = group;
        }
        token = number;
    }
}

} // namespace

void KTEEquation::SubstituteVariables(const KTVariableSubstitutions& table)
{
    try {
        Substitute(m_tokens, table, m_pool);
    } catch (...) {
        // Out of memory: the variables that were not replaced stay as typed.
    }
    m_tokens.MarkChanged();
    m_extentDirty = 1;
}

bool KTEEquation::IsSum() const
{
    bool sum = false;
    bool afterOperand = false;
    for (const KTEToken* token : m_tokens.m_tokens) {
        switch (token->m_kind) {
        case TK_SPACE: break;
        case TK_EQUAL:
        case TK_GREATER:
        case TK_LESS:
        case TK_SPACEDSYMBOL: return false;
        case TK_ADD:
        case TK_SUBTRACT:
            sum = sum || afterOperand;
            afterOperand = false;
            break;
        case TK_MULTIPLY:
        case TK_DIVIDE:
        case TK_SEPARATOR: afterOperand = false; break;
        default: afterOperand = true; break;
        }
    }
    return sum;
}

CString KTEEquation::AsOperand(const CString& text)
{
    const KTEOptions options(KTEPresetGraphing);
    KTEEquation equation;
    equation.SetText(text, options);
    return equation.IsSum() ? "(" + text + ")" : text;
}

void KTEEquation::SignLeadingMinus()
{
    m_tokens.SignLeadingMinus();
    m_tokens.MarkChanged();
    m_extentDirty = 1;
}

CString KTEEquation::GetCalculationText(bool negate) const
{
    CString text = m_tokens.GetCalculationText(true);

    // Single digits need no brackets: "x^(2)" becomes "x^2"; "(0)" and "(1)" keep theirs.
    for (int i = 0; i + 2 < text.GetLength(); ++i) {
        if (text[i] == '(' && text[i + 2] == ')' && text[i + 1] >= '2' && text[i + 1] <= '9') {
            text = text.Left(i) + text.Mid(i + 1, 1) + text.Mid(i + 3);
        }
    }

    if (negate) {
        CString negated;
        for (int i = 0; i < text.GetLength(); ++i) {
            negated += text[i];
            if (text[i] == '-')
                negated += "1*";
        }
        text = negated;
    }
    return text;
}

bool KTEEquation::LayoutKey::SameAs(const LayoutKey& other) const
{
    return set == other.set && dc == other.dc && device == other.device && numbers == other.numbers &&
           std::memcmp(ratios.data(), other.ratios.data(), sizeof(ratios)) == 0 &&
           switches == other.switches && faces == other.faces;
}

KTEEquation::LayoutKey KTEEquation::MakeLayoutKey(KTDC* dc, const KTEOptions& o)
{
    LayoutKey key;
    key.set = true;
    key.dc = dc;
    key.device = {dc->GetMapMode(),
                  dc->GetWindowExt().cx,
                  dc->GetWindowExt().cy,
                  dc->GetViewportExt().cx,
                  dc->GetViewportExt().cy,
                  dc->GetDeviceCaps(LOGPIXELSX),
                  dc->GetDeviceCaps(LOGPIXELSY),
                  0};
    const KTLogFont& font = o.m_font.m_value;
    std::size_t n = 0;
    for (const int value :
         {static_cast<int>(font.m_size), static_cast<int>(font.m_logFont.lfHeight),
          static_cast<int>(font.m_logFont.lfWeight), static_cast<int>(font.m_logFont.lfItalic),
          static_cast<int>(font.m_logFont.lfEscapement)})
        key.numbers[n++] = value;
    for (const KTOptionInt* option :
         {&o.m_lowerCase, &o.m_displayVect, &o.m_doubleCaps, &o.m_tabWidth, &o.m_fractionGap, &o.m_sqrtGap,
          &o.m_multiplyStyle, &o.m_fracLevelMax, &o.m_powerLevelMax, &o.m_vectorArrowSize, &o.m_integralStyle,
          &o.m_negativeNumberStyle, &o.m_matrixVerticalSpacing, &o.m_matrixHorizontalSpacing})
        key.numbers[n++] = o.Get(*option);
    key.ratios = {o.m_scale, o.Get(o.m_powerRaise), o.Get(o.m_fracLevelRatio), o.Get(o.m_powerLevelRatio)};
    std::uint32_t bit = 1;
    for (const KTOptionBool* option :
         {&o.m_functionsItalic, &o.m_functionsBold, &o.m_variablesItalic, &o.m_variablesBold,
          &o.m_greekItalic, &o.m_greekBold, &o.m_useOneFont, &o.m_unitsBold, &o.m_unitsItalic, &o.m_quoteBold,
          &o.m_quoteItalic, &o.m_shrinkNonAlgebraicFractions, &o.m_expandSubtract}) {
        if (o.Get(*option))
            key.switches |= bit;
        bit <<= 1;
    }
    if (o.m_bWideOperatorSpacing)
        key.switches |= bit;
    key.faces = {std::string(font.m_logFont.lfFaceName), o.m_unitsFont.m_value.str(),
                 o.m_quoteFont.m_value.str(), o.m_functionFont.m_value.str()};
    return key;
}

void KTEEquation::EnsureLayout(KTDC* dc, const KTEOptions& options)
{
    LayoutKey key = MakeLayoutKey(dc, options);
    if (!key.SameAs(m_layoutKey)) {
        // Sizes depend on the options' levels too: assign them again under these options.
        m_tokens.SetFractionLevel(0, options);
        m_tokens.SetPowerLevel(0.0);
        m_tokens.MarkChanged();
        m_layoutKey = std::move(key);
        m_extentDirty = 1;
    }
}

KTEExtent KTEEquation::GetExtent(KTDC* dc, const KTEOptions& options)
{
    if (!dc)
        return m_extent;
    try {
        EnsureLayout(dc, options);
        if (m_extentDirty) {
            KTEExtent extent = m_tokens.Measure(dc, options, m_pool);
            extent.width += 2 * extent.margin;
            m_extent = extent;
            m_extentDirty = 0;
        }
    } catch (...) {
        // Out of memory while measuring: report the last good box.
    }
    return m_extent;
}

void KTEEquation::Draw(KTDC* dc, int x, int y, const KTEOptions& options)
{
    if (!dc)
        return;
    const int saved = dc->SaveDC();
    try {
        const unsigned align = dc->GetTextAlign();
        EnsureLayout(dc, options);
        const KTEExtent box = m_tokens.Measure(dc, options, m_pool);
        int dy = 0;
        switch (align & TA_VERT_MASK) {
        case TA_BASELINE: dy = box.descent; break;
        case TA_BOTTOM: dy = 0; break;
        default: // TA_TOP
            dy = -box.height;
            break;
        }
        int dx = 0;
        switch (align & TA_HORZ_MASK) {
        case TA_RIGHT: dx = -box.width; break;
        case TA_CENTER: dx = -static_cast<int>(box.width * 0.5); break;
        default: break;
        }
        dc->SetTextAlign(TA_LEFT | TA_BOTTOM);
        m_wasOpaque = dc->GetBkMode() == OPAQUE;
        dc->SetBkMode(TRANSPARENT);
        const COLORREF background = dc->GetBkColor();
        m_tokens.PlaceVertically();
        if (m_wasOpaque) {
            KTPenSelector pen(KTLogPen(1, 0x10000 | 6, background, 8.819443875), 1.0);
            KTBrushSelector brush(KTLogBrush(0, 1, background));
            pen.Select(*dc);
            brush.Select(*dc);
            dc->Rectangle(x + dx, y + dy, x + dx + box.width, y + dy + box.height);
            brush.Restore(*dc);
            pen.Restore(*dc);
        }
        m_tokens.Draw(dc, x + dx, y + dy, options, m_pool);
    } catch (...) {
        // Out of memory in a paint: what was drawn stays; the context is restored below.
    }
    dc->RestoreDC(saved);
}
