#include "engine/KTEquationPartKind.h"

const char* KTEquationPartKindLabel(int kind)
{
    static const char* const labels[KTEquationPartKindCount] = {
        "Unclassified: ", "Operation: ", "Domain: ", "Vector: ",   "Domain OR Point: ",
        "Confused: ",     "Other: ",     "Point: ",  "Execute1: ", "Execute2: ",
    };
    if (kind < 0 || kind >= KTEquationPartKindCount)
        return labels[KTPartUnclassified];
    return labels[kind];
}
