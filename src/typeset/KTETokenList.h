#pragma once
// An ordered list of typeset tokens. A list never owns its tokens: they belong to the pool of
// their equation, so moving a token between lists is a pointer move.

#include "platform/CString.h"
#include "typeset/KTEExtent.h"
#include "typeset/KTETokenKind.h"

#include <utility>
#include <vector>

class KTDC;
class KTEOptions;
class KTEToken;
class KTETokenPool;

class KTETokenList
{
public:
    KTEExtent m_extent;
    std::vector<KTEToken*> m_tokens;
    bool m_changed = true;

    int GetCount() const { return static_cast<int>(m_tokens.size()); }
    bool IsEmpty() const { return m_tokens.empty(); }
    /// Token i, or null when i is out of range.
    KTEToken* At(int i) const;
    /// Text of token i, or the empty text when i is out of range.
    CString GetText(int i) const;
    /// Kind of token i, or TK_ERROR when i is out of range.
    KTETokenKind KindAt(int i) const;

    void Add(KTEToken* token) { m_tokens.push_back(token); }
    /// Inserts before index i (clamped to 0..count).
    void InsertAt(int i, KTEToken* token);
    /// Removes token i; out of range does nothing.
    void RemoveAt(int i);
    /// Removes tokens first..last inclusive (clamped).
    void RemoveRange(int first, int last);
    /// Copies of tokens first..last inclusive (clamped), in order.
    std::vector<KTEToken*> Slice(int first, int last) const;
    void RemoveAll() { m_tokens.clear(); }

    /// Index of the TK_OPEN matching the TK_CLOSE at i, or -1.
    int FindOpen(int i) const;
    /// Index of the TK_CLOSE matching the TK_OPEN at i, or -1; i itself when token i is no TK_OPEN.
    int FindClose(int i) const;
    /// (open, close) of the first TK_CLOSE at or after start and the last TK_OPEN before it.
    std::pair<int, int> FindInnermostPair(int start) const;
    /// Token i is replaced by a, b, c; nothing when i is not below the count.
    void ReplaceByThree(int i, KTEToken* a, KTEToken* b, KTEToken* c);
    bool IsAllNumeric() const;
    void MarkChanged();
    void SetPowerLevel(double level);
    void SetFractionLevel(int level, const KTEOptions& options);
    void PlaceVertically();

    /// Removes every TK_RAW token whose text is empty; returns the new count.
    int RemoveEmptyRaw();
    /// Replaces the TK_RAW token i by (before, new token of kind, after).
    void SplitToken(int i, int start, int end, KTETokenKind kind, KTETokenPool& pool,
                    const CString& text = CString(), const CString& text2 = CString());

    // Rewriting passes run by KTEEquation::SetText.
    void PairAbsBars();
    /// After PairAbsBars, while every TK_OPEN and TK_CLOSE is a bar: each pair of bars is
    /// enclosed in invisible brackets, so it stays one operand whatever takes its group apart.
    void EncloseBars(KTETokenPool& pool);
    /// After the last BuildBrackets, at any depth: the invisible group of EncloseBars, where it
    /// still holds a bar group alone, gives way to that group.
    void UnwrapBars();
    void MakeCapitalVectors();
    void MakeLowerCaseVectors(const KTEOptions& options);
    void AttachIndicatedVectors();
    void JoinUnaryMinus();
    /// A minus that starts the list (or the numerator or content that starts it) becomes a
    /// sign: a number token "-", drawn close to what follows instead of spaced as an operator.
    void SignLeadingMinus();
    void AttachBracketColumns();
    void AttachModifiers(KTETokenPool& pool);
    void ParseScientificNotation(KTETokenPool& pool);
    void BuildPowers(KTETokenPool& pool);
    void BuildSubscripts(KTETokenPool& pool);
    void BuildSquareRoots(KTETokenPool& pool);
    void BuildRoots(KTETokenPool& pool);
    void BuildLimits(KTETokenPool& pool);
    void BracketOperands(KTETokenKind kind, KTETokenPool& pool);
    void BuildFractions(KTETokenKind kind, KTETokenPool& pool);
    void BuildBrackets(KTETokenPool& pool);
    void BuildMatrices(bool strict, KTETokenPool& pool);

    /// The plain calculation text of the list; top is 1 only for an equation's own list.
    CString GetCalculationText(bool top) const;

    /// Measures every token left to right on a common baseline (cached until MarkChanged).
    KTEExtent Measure(KTDC* dc, const KTEOptions& options, KTETokenPool& pool);
    /// Draws the list with its box's bottom-left corner at (x, y).
    void Draw(KTDC* dc, int x, int y, const KTEOptions& options, KTETokenPool& pool);

    /// One token a line, indented by depth: kind, texts and child lists (for tests and debugging).
    CString Dump(int depth = 0) const;

private:
    void BuildScripts(KTETokenKind kind, KTETokenPool& pool);
    /// Encloses both operands of the "/" or "," at i in invisible brackets.
    void BracketOperandsAt(int i, bool separator, KTETokenPool& pool);
    /// Makes the operator at i and its two bracketed operands one token; returns its index.
    int BuildFractionAt(int i, KTETokenKind kind, KTETokenPool& pool);
    void MoveInto(int first, int last, KTETokenList& target);
};

/// Index of the ")" matching the "(" at i; i when text[i] is no "("; -1 past the end or unmatched.
int FindMatchingParenthesis(const CString& text, int i);
