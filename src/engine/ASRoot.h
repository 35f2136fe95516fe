#pragma once
// Base of every node of the algebra system. Nodes are made by the global ASNodePool, which owns
// them all and frees them together; nothing else deletes a node.

#include "platform/CString.h"

class ASTokenList;

/// Codes of the node classes; 3 is unused. Relations are never pooled and carry 6.
enum class ASNodeKind : int {
    Term = 0,
    Quotient = 1,
    Rational = 2,
    VariablePower = 4,
    TokenExpression = 5,
    Relation = 6,
};

class ASRoot
{
public:
    explicit ASRoot(ASNodeKind kind) : m_kind(kind) {}
    ASRoot(const ASRoot&) = default;
    ASRoot& operator=(const ASRoot&) = default;
    virtual ~ASRoot() = default;

    /// The node's text form; the base gives "ASRoot".
    virtual CString ToString() const;
    /// Caches ToString() in the node's text.
    void RefreshText() { m_text = ToString(); }
    /// Appends the node's token form; the base appends nothing. A full target list is marked
    /// overflowed (ASTokenList::Overflowed) and receives nothing more.
    virtual void AppendTokens(ASTokenList& out) const;

    ASNodeKind Kind() const { return m_kind; }
    const CString& CachedText() const { return m_text; }

protected:
    ASNodeKind m_kind;
    CString m_text;
};

/// The node as T when its kind is T's, else null.
template <class T> T* ASNodeAs(ASRoot* node)
{
    return node && node->Kind() == T::NodeKind ? static_cast<T*>(node) : nullptr;
}

template <class T> const T* ASNodeAs(const ASRoot* node)
{
    return node && node->Kind() == T::NodeKind ? static_cast<const T*>(node) : nullptr;
}
