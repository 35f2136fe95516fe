#include "engine/ASNodePool.h"

#include "engine/ASLimitException.h"
#include "engine/ASQuotient.h"
#include "engine/ASRational.h"
#include "engine/ASTerm.h"
#include "engine/ASTokenExpression.h"
#include "engine/ASVariablePower.h"

ASNodePool& ASNodePool::Global()
{
    static ASNodePool pool;
    return pool;
}

ASRoot* ASNodePool::Create(ASNodeKind kind)
{
    ASRoot* node = nullptr;
    switch (kind) {
    case ASNodeKind::Term: node = new ASTerm; break;
    case ASNodeKind::Quotient: node = new ASQuotient; break;
    case ASNodeKind::Rational: node = new ASRational; break;
    case ASNodeKind::VariablePower: node = new ASVariablePower; break;
    case ASNodeKind::TokenExpression: node = new ASTokenExpression; break;
    default: return nullptr;
    }
    m_nodes.push_back(node);
    return node;
}

ASRoot* ASNodePool::Clone(const ASRoot* node)
{
    if (!node)
        return nullptr;
    ASDepthGuard guard;
    ASRoot* clone = Create(node->Kind());
    switch (node->Kind()) {
    case ASNodeKind::Term: {
        auto* term = static_cast<ASTerm*>(clone);
        term->Assign(*static_cast<const ASTerm*>(node));
        term->m_flag = static_cast<const ASTerm*>(node)->m_flag;
        break;
    }
    case ASNodeKind::Quotient:
        static_cast<ASQuotient*>(clone)->Assign(*static_cast<const ASQuotient*>(node));
        break;
    case ASNodeKind::Rational:
        static_cast<ASRational*>(clone)->Assign(*static_cast<const ASRational*>(node));
        break;
    case ASNodeKind::VariablePower:
        *static_cast<ASVariablePower*>(clone) = *static_cast<const ASVariablePower*>(node);
        break;
    case ASNodeKind::TokenExpression: {
        auto* expression = static_cast<ASTokenExpression*>(clone);
        const auto* source = static_cast<const ASTokenExpression*>(node);
        expression->m_flag = source->m_flag;
        expression->m_tokens.Assign(source->m_tokens);
        break;
    }
    default: break;
    }
    return clone;
}

void ASNodePool::DeleteAll()
{
    // Newest first, as the nodes were recorded at the head of the list.
    std::vector<ASRoot*> nodes;
    nodes.swap(m_nodes);
    for (auto it = nodes.rbegin(); it != nodes.rend(); ++it)
        delete *it;
}
