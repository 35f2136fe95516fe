#pragma once
// Base of the nodes that hold a token list: token expressions, quotients, terms and relations.

#include "engine/ASRoot.h"
#include "engine/ASTokenList.h"
#include "platform/KTGdiTypes.h"

class ASTokenNode : public ASRoot
{
public:
    explicit ASTokenNode(ASNodeKind kind, int capacity = ASTokenList::AlgebraCapacity)
        : ASRoot(kind), m_tokens(capacity)
    {
    }
    ASTokenNode(const ASTokenNode&) = default;
    ASTokenNode& operator=(const ASTokenNode&) = delete;

    /// " " + the token texts + " ".
    CString ToString() const override;
    /// Every token handed on: node tokens through their node, others as copies.
    void AppendTokens(ASTokenList& out) const override;

    BYTE m_flag = 0; ///< copied by clones; read by no operation
    ASTokenList m_tokens;
};
