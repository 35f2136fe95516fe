#include "typeset/KTETokenKind.h"

const char* KTETokenKindName(int kind)
{
    static const char* const names[KTETokenKindCount] = {
        "TK_ERROR",        "TK_NUMBER",       "TK_POWER",     "TK_FUNCTION",  "TK_ARCSINCOSTAN", "TK_SQRT",
        "TK_ROOT",         "TK_ROOTBASE",     "TK_CODEDRAW2", "TK_SEPARATOR", "TK_UNIT",         "TK_SYMBOL",
        "TK_SPACEDSYMBOL", "TK_GREEK",        "TK_MODIFIER",  "TK_ADD",       "TK_SUBTRACT",     "TK_DIVIDE",
        "TK_MULTIPLY",     "TK_RAW",          "TK_QUOTED",    "TK_SPACE",     "TK_OPEN",         "TK_CLOSE",
        "TK_OPENLOGICAL",  "TK_CLOSELOGICAL", "TK_VARIABLE",  "TK_SUBSCRIPT", "TK_ABVECTOR",     "TK_EQUAL",
        "TK_LCVECTOR",     "TK_BRACKETS",     "TK_FRACTION",  "TK_COLUMN",    "TK_PARAMETER",    "TK_IVRIGHT",
        "TK_IVLEFT",       "TK_IVBOTH",       "TK_GREATER",   "TK_LESS",      "TK_DEGREE",       "TK_TAB",
        "TK_MATRIX",       "TK_ABS",
    };
    if (kind < 0 || kind >= KTETokenKindCount)
        return "TK_CONFUSED";
    return names[kind];
}
