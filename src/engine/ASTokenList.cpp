#include "engine/ASTokenList.h"

#include "engine/ASLimitException.h"
#include "engine/ASRoot.h"

namespace {
const ASToken kUnsetToken;
}

ASTokenList::ASTokenList(int capacity) : m_capacity(capacity > 0 ? capacity : DefaultCapacity) {}

void ASTokenList::StoreAt(int index, const ASToken& token)
{
    if (index < static_cast<int>(m_tokens.size()))
        m_tokens[static_cast<std::size_t>(index)] = token;
    else
        m_tokens.push_back(token);
}

void ASTokenList::Assign(const ASTokenList& other)
{
    if (other.m_count > m_capacity)
        throw ASLimitException(ASLimitException::Reason::TokenCapacity);
    if (this == &other) {
        // Still clone the nodes: callers rely on Assign giving the list nodes of its own.
        ASTokenList copy(other);
        Assign(copy);
        return;
    }
    for (int i = 0; i < other.m_count; ++i) {
        ASToken token;
        token.Assign(other.At(i));
        StoreAt(i, token);
    }
    m_count = other.m_count;
    m_text = other.m_text;
    m_overflow = other.m_overflow;
}

void ASTokenList::ShareFrom(const ASTokenList& other)
{
    if (this == &other)
        return;
    if (other.m_count > m_capacity)
        throw ASLimitException(ASLimitException::Reason::TokenCapacity);
    for (int i = 0; i < other.m_count; ++i)
        StoreAt(i, other.At(i));
    m_count = other.m_count;
    m_text = other.m_text;
    m_overflow = other.m_overflow;
}

int ASTokenList::AppendTo(ASTokenList& target) const
{
    for (int i = 0; i < m_count; ++i)
        At(i).AppendTo(target);
    return m_count;
}

const ASToken& ASTokenList::At(int index) const
{
    if (index < 0 || index >= m_count)
        return kUnsetToken;
    return m_tokens[static_cast<std::size_t>(index)];
}

ASToken& ASTokenList::operator[](int index)
{
    if (index < 0 || index >= m_count)
        throw ASLimitException(ASLimitException::Reason::TokenCapacity);
    return m_tokens[static_cast<std::size_t>(index)];
}

void ASTokenList::Clear()
{
    m_count = 0;
    m_overflow = false;
}

bool ASTokenList::Append(ASTokenKind kind, double value, ASRoot* node)
{
    if (m_count >= m_capacity) {
        m_overflow = true;
        return false;
    }
    StoreAt(m_count++, ASToken(kind, value, node));
    return true;
}

bool ASTokenList::InsertAt(const ASToken& token, int index)
{
    if (m_count >= m_capacity || index < 0 || index > m_count) {
        m_overflow = m_overflow || m_count >= m_capacity;
        return false;
    }
    StoreAt(m_count, ASToken());
    for (int i = m_count; i > index; --i)
        m_tokens[static_cast<std::size_t>(i)] = m_tokens[static_cast<std::size_t>(i - 1)];
    m_tokens[static_cast<std::size_t>(index)] = token;
    ++m_count;
    return true;
}

bool ASTokenList::InsertKindAt(ASTokenKind kind, int index)
{
    return InsertAt(ASToken(kind), index);
}

bool ASTokenList::AppendCopy(const ASToken& token)
{
    if (m_count >= m_capacity) {
        m_overflow = true;
        return false;
    }
    ASToken copy;
    copy.Assign(token);
    StoreAt(m_count++, copy);
    return true;
}

void ASTokenList::RemoveAt(int index)
{
    if (index < 0 || index >= m_count)
        return;
    for (int i = index; i + 1 < m_count; ++i)
        m_tokens[static_cast<std::size_t>(i)] = m_tokens[static_cast<std::size_t>(i + 1)];
    --m_count;
}

void ASTokenList::MarkDeleted(int index)
{
    ASToken& token = (*this)[index];
    token.m_kind = ASKind::Deleted;
    token.m_value = 0.0;
    token.m_node = nullptr;
}

CString ASTokenList::ToString(const CString& frame) const
{
    CString text = " ";
    text += frame;
    for (int i = 0; i < m_count; ++i)
        text += At(i).ToString();
    text += frame;
    text += " ";
    return text;
}

double ASTokenList::ValueAt(int index) const
{
    return index >= 0 && index < m_count ? At(index).m_value : 0.0;
}

int ASTokenList::FindKind(ASTokenKind kind) const
{
    for (int i = 0; i < m_count; ++i) {
        if (At(i).m_kind == kind)
            return i;
    }
    return -1;
}

int ASTokenList::ReplaceKind(ASTokenKind kind, ASTokenKind newKind)
{
    int replaced = 0;
    for (int i = 0; i < m_count; ++i) {
        ASToken& token = m_tokens[static_cast<std::size_t>(i)];
        if (token.m_kind == kind) {
            token = ASToken(newKind);
            ++replaced;
        }
    }
    return replaced;
}

int ASTokenList::FirstInequality() const
{
    for (int i = 0; i < m_count; ++i) {
        const ASTokenKind kind = At(i).m_kind;
        if (kind >= ASKind::Greater && kind <= ASKind::LessEqual)
            return i;
    }
    return 1000000;
}

int ASTokenList::CountInequalities() const
{
    int count = 0;
    for (int i = 0; i < m_count; ++i) {
        const ASTokenKind kind = At(i).m_kind;
        if (kind >= ASKind::Greater && kind <= ASKind::LessEqual)
            ++count;
    }
    return count;
}

int ASTokenList::CountRelations() const
{
    int count = 0;
    for (int i = 0; i < m_count; ++i) {
        if (ASIsRelationKind(At(i).m_kind))
            ++count;
    }
    return count;
}

int ASTokenList::VariableForm() const
{
    int form = 0;
    for (int i = 0; i < m_count; ++i) {
        const ASTokenKind kind = At(i).m_kind;
        if (kind != ASKind::X && kind != ASKind::Y && kind != ASKind::NoName && kind != ASKind::T &&
            kind != ASKind::Theta)
            continue;
        if (form == 0)
            form = kind;
        else if (form != kind)
            return -1;
    }
    return form;
}

void ASTokenList::RefreshText()
{
    m_text = ToString(CString());
}

ASTokenList ASTokenList::SubList(int first, int last) const
{
    ASTokenList sub(m_capacity);
    sub.m_text = m_text;
    if (first < 0 || last < first || last > m_count)
        return sub;
    // "last" may equal the count; the token there is not in use and is not copied.
    for (int i = first; i <= last && i < m_count; ++i)
        sub.Append(At(i).m_kind, At(i).m_value, At(i).m_node);
    return sub;
}
