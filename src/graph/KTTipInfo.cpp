#include "graph/KTTipInfo.h"

#include "platform/KTArchive.h"

#include <algorithm>

namespace {

const KTRegisterRuntimeClass<KTTipInfo> registration("KTTipInfo", 1);

constexpr const char* kTag = "KTTipInfo";
constexpr WORD kSchema = 1;

bool LineIndexValid(int n)
{
    return n >= 0 && n < KTTipInfo::MaxLines;
}
} // namespace

void KTTipInfo::AddLine(const CString& text, std::int32_t mark)
{
    if (text.IsEmpty() || m_lineCount < 0 || m_lineCount >= MaxLines)
        return;
    const auto index = static_cast<std::size_t>(m_lineCount);
    m_lines[index] = text;
    m_marks[index] = mark;
    ++m_lineCount;
}

CString KTTipInfo::LineText(int n) const
{
    return LineIndexValid(n) ? m_lines[static_cast<std::size_t>(n)] : CString();
}

std::int32_t KTTipInfo::LineValue(int n) const
{
    return LineIndexValid(n) ? m_marks[static_cast<std::size_t>(n)] : MarkUnused;
}

void KTTipInfo::ReplaceText(const CString& from, const CString& to)
{
    if (from.IsEmpty())
        return;
    for (CString& line : m_lines)
        line.Replace(from, to);
}

void KTTipInfo::Serialize(KTArchive& ar)
{
    if (ar.IsStoring()) {
        ar.WriteBeginTag(kTag, kSchema);
        ar << m_hotRect.left << m_hotRect.top << m_hotRect.right << m_hotRect.bottom;
        for (std::size_t i = 0; i < MaxLines; ++i)
            ar << m_lines[i] << m_marks[i];
        ar << m_lineCount;
        ar.WriteEndTag(kTag);
        return;
    }
    WORD schema = 0;
    if (!ar.ReadBeginTag(kTag, schema) || schema < 1)
        return;
    // Read into a copy so that a short archive leaves the record as it was.
    KTTipInfo read;
    ar >> read.m_hotRect.left >> read.m_hotRect.top >> read.m_hotRect.right >> read.m_hotRect.bottom;
    for (std::size_t i = 0; i < MaxLines; ++i)
        ar >> read.m_lines[i] >> read.m_marks[i];
    ar >> read.m_lineCount;
    // The count indexes the ten lines when more are added: a damaged file must not move it
    // outside them.
    read.m_lineCount = std::clamp<std::int32_t>(read.m_lineCount, 0, MaxLines);
    ar.ReadEndTag(kTag);
    *this = read;
}
