#pragma once
// Owns every token of one equation; tokens are freed all together, never one by one.

#include "typeset/KTETokenKind.h"

#include <memory>
#include <vector>

class KTEToken;

class KTETokenPool
{
public:
    KTETokenPool();
    virtual ~KTETokenPool();
    KTETokenPool(const KTETokenPool&) = delete;
    KTETokenPool& operator=(const KTETokenPool&) = delete;

    /// A new token of the kind with empty texts and modifier 0, owned by the pool.
    KTEToken* Create(KTETokenKind kind);
    /// Destroys every token; the pool is then empty.
    void DeleteAll();
    int GetSize() const { return static_cast<int>(m_tokens.size()); }

private:
    std::vector<std::unique_ptr<KTEToken>> m_tokens;
};
