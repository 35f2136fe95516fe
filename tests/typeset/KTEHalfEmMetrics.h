#pragma once
// Font metrics that follow from the selected font's height alone, so that extents are exact
// everywhere: every font is em units high (its logical height), with ascent 4/5 em, descent
// 1/5 em and every character em/2 wide, its ink filling its cell.

#include "platform/KTDC.h"
#include "typeset/KTEMetricsSource.h"

#include <cstdlib>

namespace kttest {

class HalfEmMetrics : public KTEMetricsSource
{
public:
    static int Em(KTDC& dc) { return std::abs(dc.GetCurrentFont().GetLogFont().lfHeight); }
    CSize TextExtent(KTDC& dc, const CString& text) const override
    {
        return CSize(text.GetLength() * (Em(dc) / 2), Em(dc));
    }
    TEXTMETRIC TextMetrics(KTDC& dc) const override
    {
        TEXTMETRIC tm{};
        const int em = Em(dc);
        tm.tmHeight = em;
        tm.tmAscent = em * 4 / 5;
        tm.tmDescent = em - tm.tmAscent;
        tm.tmAveCharWidth = em / 2;
        tm.tmMaxCharWidth = em / 2;
        return tm;
    }
    /// Every character's ink fills its cell.
    GLYPHMETRICS GlyphMetrics(KTDC& dc, char) const override
    {
        GLYPHMETRICS metrics{};
        const int em = Em(dc);
        metrics.gmBlackBoxX = em / 2;
        metrics.gmBlackBoxY = em;
        metrics.gmptGlyphOrigin = CPoint(0, em * 4 / 5);
        metrics.gmCellIncX = em / 2;
        return metrics;
    }
};

} // namespace kttest
