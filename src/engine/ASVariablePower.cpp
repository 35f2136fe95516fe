#include "engine/ASVariablePower.h"

#include "engine/ASTokenList.h"

CString ASVariablePower::ToString() const
{
    CString text;
    switch (m_variable) {
    case ASKind::X: text = "x"; break;
    case ASKind::Y: text = "y"; break;
    case ASKind::A: text = "a"; break;
    case ASKind::B: text = "b"; break;
    case ASKind::C: text = "c"; break;
    case ASKind::D: text = "d"; break;
    case ASKind::M: text = "m"; break;
    default: text = "othervar"; break;
    }
    if (m_exponent.Value() != 1.0)
        text += "^" + m_exponent.PlainText();
    return text;
}

void ASVariablePower::AppendTokens(ASTokenList& out) const
{
    out.Append(m_variable);
    out.Append(ASKind::Power);
    m_exponent.AppendTokens(out);
}
