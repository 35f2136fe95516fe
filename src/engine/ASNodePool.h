#pragma once
// The one pool that owns every algebra node. Nodes are created and cloned through it and all
// freed together by DeleteAll, which the equation interpretation calls before each run: no node
// pointer survives from one interpretation to the next. User-interface thread only.

#include "engine/ASRoot.h"

#include <vector>

class ASNodePool
{
public:
    ASNodePool() = default;
    ~ASNodePool() { DeleteAll(); }
    ASNodePool(const ASNodePool&) = delete;
    ASNodePool& operator=(const ASNodePool&) = delete;

    /// The global pool, alive for the whole run.
    static ASNodePool& Global();

    /// A default-constructed node of the kind, recorded; null for a kind that is never pooled.
    ASRoot* Create(ASNodeKind kind);
    /// A recorded deep copy: node references inside the copied token lists are cloned too.
    /// Null for null. Throws ASLimitException when the nesting is too deep.
    ASRoot* Clone(const ASRoot* node);
    /// Destroys every recorded node, newest first, and forgets them.
    void DeleteAll();

    /// Number of nodes recorded since the last DeleteAll.
    int GetCount() const { return static_cast<int>(m_nodes.size()); }

private:
    std::vector<ASRoot*> m_nodes; ///< oldest first; DeleteAll walks it from the newest
};

/// A new node of class T recorded in the global pool.
template <class T> T* ASNew()
{
    return static_cast<T*>(ASNodePool::Global().Create(T::NodeKind));
}

/// A recorded deep copy of a node of class T.
template <class T> T* ASCloneNode(const T* node)
{
    return static_cast<T*>(ASNodePool::Global().Clone(node));
}
