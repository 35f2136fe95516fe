#include "engine/ASToken.h"

#include "engine/ASNodePool.h"
#include "engine/ASTokenList.h"

namespace {

const char* PrintedForm(ASTokenKind kind)
{
    switch (kind) {
    case ASKind::X: return "x";
    case ASKind::Y: return "y";
    case ASKind::R: return "r";
    case ASKind::T: return "t";
    case ASKind::Theta: return "th";
    case ASKind::A: return "a";
    case ASKind::B: return "b";
    case ASKind::C: return "c";
    case ASKind::D: return "d";
    case ASKind::Multiply: return "*";
    case ASKind::Divide: return "\\";
    case ASKind::Plus: return "+";
    case ASKind::Minus: return "-";
    case ASKind::Power: return "^";
    case ASKind::Sin: return "sin";
    case ASKind::Cos: return "cos";
    case ASKind::Tan: return "tan";
    case ASKind::ArcSin: return "sin-1";
    case ASKind::ArcCos: return "cos-1";
    case ASKind::ArcTan: return "tan-1";
    case ASKind::Abs: return "abs";
    case ASKind::Gint: return "gint";
    case ASKind::Open: return "(";
    case ASKind::Close: return ")";
    case ASKind::Exp: return "exp";
    case ASKind::Ln: return "ln";
    case ASKind::Log: return "log";
    case ASKind::Sqrt: return "sqrt";
    case ASKind::Cosh: return "cosh";
    case ASKind::Sinh: return "sinh";
    case ASKind::Tanh: return "tanh";
    case ASKind::Sec: return "sec";
    case ASKind::Cosec: return "cosec";
    case ASKind::Cot: return "cot";
    case ASKind::Equals: return "=";
    case ASKind::Pi: return "pi";
    case ASKind::E: return "e";
    case ASKind::F: return "f";
    case ASKind::Normal: return "normal";
    case ASKind::Greater: return ">";
    case ASKind::GreaterEqual: return ">=";
    case ASKind::Less: return "<";
    case ASKind::LessEqual: return "<=";
    case ASKind::Separator: return ";";
    case ASKind::Deleted: return "&";
    case ASKind::OpenGuillemet: return "\xAB";
    case ASKind::CloseGuillemet: return "\xBB";
    case ASKind::PlusMinus: return "\xB1";
    default: return "";
    }
}

} // namespace

void ASToken::Assign(const ASToken& other)
{
    // A non-node token drops its node pointer: a stale pointer could outlive the pool's nodes.
    ASRoot* node = other.m_kind == ASKind::Node ? ASNodePool::Global().Clone(other.m_node) : nullptr;
    m_kind = other.m_kind;
    m_value = other.m_value;
    m_node = node;
}

void ASToken::AppendTo(ASTokenList& target) const
{
    if (m_kind == ASKind::Node) {
        if (m_node)
            m_node->AppendTokens(target);
        return;
    }
    target.AppendCopy(*this);
}

CString ASToken::ToString() const
{
    if (m_kind == ASKind::Number) {
        CString text;
        text.Format(m_value > 0 ? "+%.8g" : "%.8g", m_value);
        return text;
    }
    if (m_kind == ASKind::Node)
        return m_node ? m_node->ToString() : CString();
    return PrintedForm(m_kind);
}
