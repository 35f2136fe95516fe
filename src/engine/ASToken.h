#pragma once
// One token of the algebra system: an operator, bracket, variable, function, number, relation sign
// or a reference to an algebra node. A small value, copied freely.

#include "engine/ASTokenKind.h"
#include "platform/CString.h"

class ASRoot;
class ASTokenList;

class ASToken
{
public:
    ASToken() = default;
    ASToken(ASTokenKind kind, double value = 0.0, ASRoot* node = nullptr)
        : m_kind(kind), m_value(value), m_node(node)
    {
    }
    /// Shares the node pointer; use Assign for a copy with its own node.
    ASToken(const ASToken&) = default;
    ASToken& operator=(const ASToken&) = default;
    virtual ~ASToken() = default;

    /// Kind and value copied; a node token gets a fresh pool clone of the other's node.
    virtual void Assign(const ASToken& other);
    /// A node token appends its node's token form, any other token a copy of itself.
    virtual void AppendTo(ASTokenList& target) const;

    /// The printed form of the kind (numbers as "%.8g" with "+" above 0).
    CString ToString() const;

    /// The node of a node token (kind 48), else null.
    ASRoot* Node() const { return m_kind == ASKind::Node ? m_node : nullptr; }

    ASTokenKind m_kind = ASKind::Unset;
    double m_value = 0.0;
    ASRoot* m_node = nullptr; ///< not owned: every node belongs to the ASNodePool
};
