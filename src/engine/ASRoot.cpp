#include "engine/ASRoot.h"

CString ASRoot::ToString() const
{
    return "ASRoot";
}

void ASRoot::AppendTokens(ASTokenList&) const {}
