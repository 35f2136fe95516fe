#include "engine/ASTokenNode.h"

#include "engine/ASLimitException.h"

CString ASTokenNode::ToString() const
{
    return m_tokens.ToString(CString());
}

void ASTokenNode::AppendTokens(ASTokenList& out) const
{
    m_tokens.AppendTo(out);
}
