#include "KTFunction3TestHelpers.h"

#include "platform/CString.h"

namespace kttest {

std::string Describe(const ASTokenList& list)
{
    static const char* const names[] = {
        "?",    "X",    "Y",   "N3",    "R",    "T",   "Q",   "A",   "B",   "C",      "D",
        "M",    "#",    "*",   "/",     "+",    "-",   "^",   "SIN", "COS", "TAN",    "ASIN",
        "ACOS", "ATAN", "ABS", "GINT",  "(",    ")",   "EXP", "LN",  "LOG", "SQRT",   "COSH",
        "SINH", "TANH", "SEC", "COSEC", "COT",  "=",   "P",   "E",   "F",   "NORMAL", ">",
        ">=",   "<",    "<=",  ";",     "NODE", "DEL", "<<",  ">>",  "!=",  ",",      "+-"};
    std::string out;
    for (int i = 0; i < list.GetCount(); ++i) {
        const ASToken& t = list.At(i);
        if (!out.empty())
            out += ' ';
        if (t.m_kind == ASKind::Number)
            out += KTFormatC("%.10g", t.m_value);
        else if (t.m_kind >= 0 && t.m_kind <= ASKind::PlusMinus)
            out += names[t.m_kind];
        else
            out += KTFormatC("k%d", t.m_kind);
    }
    return out;
}

void InterpretText(KTFunction3& f, const char* text)
{
    f.m_data.m_equationText = text;
    f.Interpret();
}

} // namespace kttest
