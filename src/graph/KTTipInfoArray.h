#pragma once
// The hover tips of one mouse position, in the order they are searched.

#include "graph/KTTipInfo.h"

#include <vector>

class KTTipInfoArray
{
public:
    /// Appends a copy.
    void Add(const KTTipInfo& tip) { m_tips.push_back(tip); }
    void RemoveAll() { m_tips.clear(); }
    int GetCount() const { return static_cast<int>(m_tips.size()); }
    bool IsEmpty() const { return m_tips.empty(); }
    /// The tip at index; nullptr outside 0..count-1.
    KTTipInfo* At(int index)
    {
        return index >= 0 && index < GetCount() ? &m_tips[static_cast<std::size_t>(index)] : nullptr;
    }
    const KTTipInfo* At(int index) const
    {
        return index >= 0 && index < GetCount() ? &m_tips[static_cast<std::size_t>(index)] : nullptr;
    }
    /// Replaces `from` by `to` in every line of every tip.
    void SetAllText(const CString& from, const CString& to)
    {
        for (KTTipInfo& tip : m_tips)
            tip.ReplaceText(from, to);
    }

    std::vector<KTTipInfo>::const_iterator begin() const { return m_tips.begin(); }
    std::vector<KTTipInfo>::const_iterator end() const { return m_tips.end(); }

private:
    std::vector<KTTipInfo> m_tips;
};
