#pragma once
// One hover-tip block: up to ten lines, each plain text or a typeset equation, and the hot
// rectangle in which the mouse shows it. The graph builds them for its hover tips; an
// annotation keeps its text in one.

#include "platform/CString.h"
#include "platform/KTGdiTypes.h"
#include "platform/KTObject.h"

#include <array>
#include <cstdint>

class KTArchive;

class KTTipInfo : public KTObject
{
public:
    static constexpr int MaxLines = 10;
    /// Marks of a line: unused, plain text, a typeset equation.
    static constexpr std::int32_t MarkUnused = -1;
    static constexpr std::int32_t MarkText = 0;
    static constexpr std::int32_t MarkEquation = 1;

    /// Hot rectangle (0, 0, 1, 1), ten empty unused lines, no line counted.
    KTTipInfo() = default;

    void SetHotRect(int left, int top, int right, int bottom) { m_hotRect = CRect(left, top, right, bottom); }
    /// Appends while fewer than ten lines are held and the text is not empty; else nothing.
    void AddLine(const CString& text, std::int32_t mark);
    void AddText(const CString& text) { AddLine(text, MarkText); }
    void AddMarkedText(const CString& text) { AddLine(text, MarkEquation); }

    /// Text of line n; empty outside 0..9.
    CString LineText(int n) const;
    /// Mark of line n; -1 outside 0..9.
    std::int32_t LineValue(int n) const;
    int GetLineCount() const { return m_lineCount; }
    const CRect& GetHotRect() const { return m_hotRect; }
    /// Strictly inside the hot rectangle (a point on its edge is outside).
    bool HotRectContains(const CPoint& p) const
    {
        return m_hotRect.left < p.x && p.x < m_hotRect.right && m_hotRect.top < p.y && p.y < m_hotRect.bottom;
    }
    /// Replaces every occurrence of `from` by `to` in each line.
    void ReplaceText(const CString& from, const CString& to);

    /// Tag "KTTipInfo", schema 1: the rectangle's 16 bytes, ten times (text, mark), the line
    /// count, the end tag. Loading reads nothing when the tag differs or the schema is below 1;
    /// a line count outside 0..10 reads as the nearest end of that range.
    void Serialize(KTArchive& ar) override;

    /// Same rectangle, lines, marks and count.
    friend bool operator==(const KTTipInfo& a, const KTTipInfo& b)
    {
        return a.m_hotRect == b.m_hotRect && a.m_lines == b.m_lines && a.m_marks == b.m_marks &&
               a.m_lineCount == b.m_lineCount;
    }

    CRect m_hotRect{0, 0, 1, 1};
    std::array<CString, MaxLines> m_lines{};
    std::array<std::int32_t, MaxLines> m_marks{MarkUnused, MarkUnused, MarkUnused, MarkUnused, MarkUnused,
                                               MarkUnused, MarkUnused, MarkUnused, MarkUnused, MarkUnused};
    std::int32_t m_lineCount = 0;
};
