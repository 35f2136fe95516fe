#pragma once
// What one ";"-separated piece of a function's typed text turned out to be. The codes are kept
// in the part lists and asked for by the function dialog, so they must never be renumbered.

/// A part's kind is a plain int, as in the part records.
enum KTEquationPartKind : int {
    KTPartUnclassified = 0,
    KTPartOperation = 1,     ///< "+", "-" or "*" on its own
    KTPartDomain = 2,        ///< a domain or range
    KTPartVector = 3,        ///< "<a, b>"
    KTPartDomainOrPoint = 4, ///< "(a, b)": a domain or a point
    KTPartConfused = 5,      ///< fits no kind
    KTPartOther = 6,         ///< anything else (an equation before interpretation)
    KTPartPoint = 7,
    KTPartExecute1 = 8, ///< the equation to plot
    KTPartExecute2 = 9, ///< the second equation of a parametric pair
};

inline constexpr int KTEquationPartKindCount = 10;

/// The prefix that a part list's description writes for the kind ("Domain: "); a kind outside
/// 0..9 reads as unclassified.
const char* KTEquationPartKindLabel(int kind);
