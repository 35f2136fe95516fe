#pragma once
// The kinds of typeset tokens. The numbers are fixed: they name the kinds in dumps and tests.

enum KTETokenKind : int {
    TK_ERROR = 0,
    TK_NUMBER = 1,
    TK_POWER = 2,
    TK_FUNCTION = 3,
    TK_ARCSINCOSTAN = 4,
    TK_SQRT = 5,
    TK_ROOT = 6,
    TK_ROOTBASE = 7,
    TK_CODEDRAW2 = 8,
    TK_SEPARATOR = 9,
    TK_UNIT = 10,
    TK_SYMBOL = 11,
    TK_SPACEDSYMBOL = 12,
    TK_GREEK = 13,
    TK_MODIFIER = 14,
    TK_ADD = 15,
    TK_SUBTRACT = 16,
    TK_DIVIDE = 17,
    TK_MULTIPLY = 18,
    TK_RAW = 19,
    TK_QUOTED = 20,
    TK_SPACE = 21,
    TK_OPEN = 22,
    TK_CLOSE = 23,
    TK_OPENLOGICAL = 24,
    TK_CLOSELOGICAL = 25,
    TK_VARIABLE = 26,
    TK_SUBSCRIPT = 27,
    TK_ABVECTOR = 28,
    TK_EQUAL = 29,
    TK_LCVECTOR = 30,
    TK_BRACKETS = 31,
    TK_FRACTION = 32,
    TK_COLUMN = 33,
    TK_PARAMETER = 34,
    TK_IVRIGHT = 35,
    TK_IVLEFT = 36,
    TK_IVBOTH = 37,
    TK_GREATER = 38,
    TK_LESS = 39,
    TK_DEGREE = 40,
    TK_TAB = 41,
    TK_MATRIX = 42,
    TK_ABS = 43,
};

constexpr int KTETokenKindCount = 44;

/// The system's name of a kind ("TK_NUMBER"); "TK_CONFUSED" outside 0-43.
const char* KTETokenKindName(int kind);
