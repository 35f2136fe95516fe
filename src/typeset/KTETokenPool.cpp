#include "typeset/KTETokenPool.h"

#include "typeset/KTEToken.h"

KTETokenPool::KTETokenPool()
{
    m_tokens.reserve(200);
}

KTETokenPool::~KTETokenPool()
{
    DeleteAll();
}

KTEToken* KTETokenPool::Create(KTETokenKind kind)
{
    auto token = std::make_unique<KTEToken>();
    token->Set(kind, CString(), CString(), 0);
    m_tokens.push_back(std::move(token));
    return m_tokens.back().get();
}

void KTETokenPool::DeleteAll()
{
    m_tokens.clear();
}
