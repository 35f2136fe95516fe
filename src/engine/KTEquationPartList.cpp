#include "engine/KTEquationPartList.h"

#include <cstddef>

KTEquationPartList::KTEquationPartList(const KTEquationPartList& other)
{
    *this = other;
}

KTEquationPartList& KTEquationPartList::operator=(const KTEquationPartList& other)
{
    if (this == &other)
        return *this;
    m_parts.clear();
    for (const KTEquationPart& part : other.m_parts)
        AddPart(part.Text(), part.SecondText(), part.Kind());
    m_status = other.m_status;
    m_description = other.m_description;
    m_message = other.m_message;
    m_errorLatched = other.m_errorLatched;
    m_polar = other.m_polar;
    m_inverse = other.m_inverse;
    m_parametricY = other.m_parametricY;
    m_parametricX = other.m_parametricX;
    return *this;
}

void KTEquationPartList::AddPart(const CString& text, const CString& secondText, int kind)
{
    if (!text.IsEmpty())
        m_parts.emplace_back(text, secondText, kind);
    Describe();
}

void KTEquationPartList::AddPart(const KTEquationPart& part)
{
    m_parts.push_back(part);
    Describe();
}

KTEquationPart KTEquationPartList::At(int index) const
{
    if (index < 0 || index >= GetCount())
        return {};
    return m_parts[static_cast<std::size_t>(index)];
}

int KTEquationPartList::CountParts(int kind) const
{
    int count = 0;
    for (const KTEquationPart& part : m_parts)
        if (part.Kind() == kind)
            ++count;
    return count;
}

KTEquationPart KTEquationPartList::FindPart(int kind, int n) const
{
    if (n < 1)
        return {};
    int seen = 0;
    for (const KTEquationPart& part : m_parts)
        if (part.Kind() == kind && ++seen == n)
            return part;
    return {};
}

bool KTEquationPartList::SetKindAt(int index, int kind)
{
    if (index < 0 || index >= GetCount())
        return false;
    m_parts[static_cast<std::size_t>(index)].SetKind(kind);
    Describe();
    return true;
}

void KTEquationPartList::RemoveAll()
{
    m_parts.clear();
    m_description.Empty();
}

void KTEquationPartList::Reset()
{
    RemoveAll();
    m_status = KTStatusError;
    m_message.Empty();
    m_errorLatched = false;
    m_polar = m_inverse = m_parametricY = m_parametricX = 0;
}

void KTEquationPartList::Describe()
{
    m_description.Empty();
    for (const KTEquationPart& part : m_parts) {
        m_description += KTEquationPartKindLabel(part.Kind());
        m_description += part.Text();
        m_description += " & ";
    }
}

void KTEquationPartList::SetStatus(int status)
{
    // A latched input error must survive the later steps of the same interpretation, which set
    // statuses of their own as they go.
    if (m_errorLatched)
        return;
    m_status = status;
}

void KTEquationPartList::LatchError(const CString& message)
{
    if (!m_errorLatched)
        m_message = message;
    m_errorLatched = true;
    m_status = KTStatusError;
}
