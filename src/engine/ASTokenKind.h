#pragma once
// The token codes shared by the algebra system, the tokenisers and the evaluator.

/// A token kind is a plain int: lists store it, the evaluator switches on it, and the codes are
/// part of the calculation-text conventions, so they must never be renumbered.
using ASTokenKind = int;

namespace ASKind {
enum : int {
    Unset = -1,
    X = 1,
    Y = 2,
    NoName = 3, ///< a variable without a letter; counted by the evaluator, produced by no tokenizer
    R = 4,
    T = 5,
    Theta = 6,
    A = 7,
    B = 8,
    C = 9,
    D = 10,
    M = 11,
    Number = 12,
    Multiply = 13,
    Divide = 14,
    Plus = 15,
    Minus = 16,
    Power = 17,
    Sin = 18,
    Cos = 19,
    Tan = 20,
    ArcSin = 21,
    ArcCos = 22,
    ArcTan = 23,
    Abs = 24,
    Gint = 25,
    Open = 26,
    Close = 27,
    Exp = 28,
    Ln = 29,
    Log = 30,
    Sqrt = 31,
    Cosh = 32,
    Sinh = 33,
    Tanh = 34,
    Sec = 35,
    Cosec = 36,
    Cot = 37,
    Equals = 38,
    Pi = 39,
    E = 40,
    F = 41,
    Normal = 42,
    Greater = 43,
    GreaterEqual = 44,
    Less = 45,
    LessEqual = 46,
    Separator = 47,
    Node = 48,
    Deleted = 49,
    OpenGuillemet = 50,
    CloseGuillemet = 51,
    NotEqual = 52,
    Comma = 53,
    PlusMinus = 54,
};
} // namespace ASKind

/// Variables and family constants (x, y, the nameless kind, r, t, theta, a-d, m): codes 1..11.
constexpr bool ASIsVariableKind(ASTokenKind kind)
{
    return kind >= ASKind::X && kind <= ASKind::M;
}

/// The function kinds: 18-25, 28-37 and plus-or-minus.
constexpr bool ASIsFunctionKind(ASTokenKind kind)
{
    return (kind >= ASKind::Sin && kind <= ASKind::Gint) || (kind >= ASKind::Exp && kind <= ASKind::Cot) ||
           kind == ASKind::PlusMinus;
}

/// "=", ">", ">=", "<", "<=".
constexpr bool ASIsRelationKind(ASTokenKind kind)
{
    return kind == ASKind::Equals || (kind >= ASKind::Greater && kind <= ASKind::LessEqual);
}
