#pragma once
// A fixed-capacity list of algebra tokens. A list that holds a typed equation, its postfix form or
// an evaluation list takes the tokens of the longest equation a user may type; the algebra's
// nodes keep lists of 100 tokens, 250 for the working lists of the expression structuring. Every
// append and insertion is checked: a full list refuses the token, reports false and remembers the
// overflow, so no token is written past the end or lost.

#include "engine/ASToken.h"
#include "platform/CString.h"

#include <vector>

class ASTokenList
{
public:
    /// The longest equation a user may type, in characters.
    static constexpr int LongestEquation = 255;
    /// The tokens of any 255 typed characters: the calculation text brackets every numerator,
    /// denominator and exponent and writes "-" as "-1*", which never comes to five tokens a
    /// character.
    static constexpr int DefaultCapacity = 5 * LongestEquation + 5;
    /// The lists of the algebra's nodes. The algebra multiplies out products and powers until a
    /// list is full: larger lists let hopeless rearrangements run many times longer before they
    /// give up (and the relation is plotted as it stands), at every recalculation.
    static constexpr int AlgebraCapacity = 100;
    static constexpr int WorkingCapacity = 250;

    explicit ASTokenList(int capacity = DefaultCapacity);
    /// Shares node pointers; use Assign for a copy with cloned nodes.
    ASTokenList(const ASTokenList& other) = default;
    ASTokenList& operator=(const ASTokenList&) = delete;
    virtual ~ASTokenList() = default;

    /// The tokens in use are assigned by ASToken::Assign (every node cloned through the pool),
    /// then count, text and overflow mark. Throws ASLimitException when they do not fit.
    virtual void Assign(const ASTokenList& other);
    /// ASToken::AppendTo on every token in use, expanding node references; returns the count.
    virtual int AppendTo(ASTokenList& target) const;
    /// Takes over the other's tokens with their node pointers shared (no cloning), for lists
    /// whose nodes were made for this one. Throws ASLimitException when they do not fit.
    void ShareFrom(const ASTokenList& other);

    int GetCount() const { return m_count; }
    int Capacity() const { return m_capacity; }
    bool IsEmpty() const { return m_count == 0; }
    /// True once an append or insertion was refused since the last Clear.
    bool Overflowed() const { return m_overflow; }

    /// Token at index (0 <= index < count); an index outside gives a shared unset token.
    const ASToken& At(int index) const;
    /// Writable token at index (0 <= index < count); throws ASLimitException outside.
    ASToken& operator[](int index);
    const ASToken& operator[](int index) const { return At(index); }
    ASTokenKind KindAt(int index) const { return At(index).m_kind; }
    /// The node of the node token at index, else null.
    ASRoot* NodeAt(int index) const { return At(index).Node(); }

    /// count := 0 and the overflow mark cleared; the tokens themselves stay (stale).
    void Clear();
    /// false (nothing written) when the list is full.
    bool Append(ASTokenKind kind, double value = 0.0, ASRoot* node = nullptr);
    /// Shifts index..count-1 up and puts a copy of the token (node shared) at index;
    /// false when the list is full or the index is not within 0..count.
    bool InsertAt(const ASToken& token, int index);
    bool InsertKindAt(ASTokenKind kind, int index);
    /// Appends a token made by ASToken::Assign (node cloned); false when full.
    bool AppendCopy(const ASToken& token);
    /// Removes the token at index (0 <= index < count).
    void RemoveAt(int index);
    /// Marks the token at index deleted (kind 49, value 0, no node).
    void MarkDeleted(int index);

    /// " " + frame + the printed tokens + frame + " ".
    CString ToString(const CString& frame) const;

    // Normalisation passes. They may throw ASLimitException (a number outside the 32-bit range);
    // the algebra's entry points catch it.
    /// true, and nothing done, when the list holds a function; else the six passes, false.
    bool Normalise();
    /// Runs the six passes without the function test.
    void RunNormalisationPasses();
    bool ContainsFunction() const;
    void RemoveAmpersands();
    void MakeRationals();
    void NumbersToRationals();
    void VariablesToPowers();
    void GroupTerms();
    void AbsorbSigns();
    bool RemoveRedundantBrackets();
    void RemoveZeroTerms();
    /// The list becomes the product of its bracketed divisors; true when that is not empty.
    bool ExtractDivisors();

    // Helpers of the evaluator and the interpretation.
    /// Value of the token at index; 0.0 when the index is not below the count.
    double ValueAt(int index) const;
    /// Index of the first token of the kind, -1 when none.
    int FindKind(ASTokenKind kind) const;
    /// Every token of the kind gets the new kind, value 0 and no node; returns how many.
    int ReplaceKind(ASTokenKind kind, ASTokenKind newKind);
    /// Smallest index of an inequality sign (43-46); 1000000 when none.
    int FirstInequality() const;
    int CountInequalities() const;
    /// Tokens of kinds 38 and 43-46.
    int CountRelations() const;
    /// 1 only x among x, y, 3, t, theta occurs; 2 only y; 3 only kind 3; 5 only t; 6 only theta;
    /// 0 none; -1 two or more.
    int VariableForm() const;
    /// text := ToString of the tokens with an empty frame.
    void RefreshText();
    /// Copies of the tokens first..last inclusive (node pointers shared) and the list's text;
    /// empty when first < 0, last < first or last > count.
    ASTokenList SubList(int first, int last) const;

    CString m_text; ///< a cached text of the list; copied with it

private:
    std::vector<ASToken> m_tokens; ///< grows on demand, never beyond the capacity
    int m_count = 0;
    int m_capacity = DefaultCapacity;
    bool m_overflow = false;

    void StoreAt(int index, const ASToken& token);
};
