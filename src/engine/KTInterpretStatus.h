#pragma once
// The outcome of a function's last interpretation, kept in its part list. Callers and the
// drawing passes compare with these codes.

enum KTInterpretStatus : int {
    KTStatusExplicit = 1,    ///< dependent variable = expression; evaluation lists ready
    KTStatusNoEquation = 2,  ///< only points, vectors or operations
    KTStatusNoEquationP = 3, ///< as 2, with the one Other part being "P"
    KTStatusParametric = 4,  ///< explicit with its own sampling variable (pairs, second variable)
    KTStatusError = 5,       ///< nothing is plotted; the part list's message says why
    KTStatusRearrange = 6,   ///< the dependent variable also occurs on the right: rearrange
    KTStatusImplicit = 7,    ///< an implicit relation, plotted on the grid
};
