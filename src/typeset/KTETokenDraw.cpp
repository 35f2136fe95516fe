// Drawing: every token is drawn with its box's bottom-left corner at (x, y + its placement),
// in logical units of a mapping whose y axis points up; all text is bottom-aligned.

#include "platform/KTDC.h"
#include "typeset/KTEDepthGuard.h"
#include "typeset/KTEMetricsSource.h"
#include "typeset/KTEOptions.h"
#include "typeset/KTESymbolGlyphs.h"
#include "typeset/KTEToken.h"
#include "typeset/KTETokenAttributes.h"
#include "typeset/KTETokenList.h"
#include "typeset/KTETokenPool.h"

#include <algorithm>
#include <cmath>

namespace {

int Round(double value)
{
    return static_cast<int>(std::lround(value));
}

void Text(KTDC* dc, int x, int y, const CString& text)
{
    if (!text.IsEmpty())
        dc->ExtTextOut(x, y, 0, nullptr, text);
}

} // namespace

int KTEToken::DrawRadical(KTDC* dc, int x, int y, int barWidth, int h)
{
    const auto at = [&](double fx, double fy) {
        return CPoint(x + static_cast<int>(fx * h), y + static_cast<int>(fy * h));
    };
    const CPoint hook[] = {at(0.0, 0.25), at(0.04166667, 0.29166667), at(0.29166667, 0.04166667),
                           at(0.304158019, 0.112508647), at(0.08333333, 0.33333333)};
    dc->Polygon(hook, 5);
    const CPoint foot = at(0.304158019, 0.112508647);
    const CPoint top = at(0.46799365, 1.0);
    dc->MoveTo(foot.x, foot.y);
    dc->LineTo(top.x, top.y);
    dc->LineTo(top.x + barWidth, top.y);
    return static_cast<int>(0.46799365 * h);
}

void KTETokenList::Draw(KTDC* dc, int x, int y, const KTEOptions& options, KTETokenPool& pool)
{
    KTEDepthGuard guard;
    if (guard.Exceeded() || !dc)
        return;
    int offset = 0;
    for (KTEToken* token : m_tokens) {
        token->Draw(dc, x + offset, y, options, pool);
        offset += token->m_extent.width;
    }
}

void KTEToken::Draw(KTDC* dc, int x, int y, const KTEOptions& options, KTETokenPool& pool)
{
    KTEDepthGuard guard;
    if (guard.Exceeded() || !dc)
        return;
    KTETokenAttributes attributes(*this, *dc, options);
    DrawByKind(dc, x, y + m_extent.placement, options, pool);
}

void KTEToken::DrawByKind(KTDC* dc, int x, int y, const KTEOptions& options, KTETokenPool& pool)
{
    const double raise = options.Get(options.m_powerRaise);
    const int gap = static_cast<int>(options.Get(options.m_fractionGap) * options.m_scale);
    const int width = m_extent.width;
    switch (m_kind) {
    case TK_FUNCTION:
    case TK_SEPARATOR:
    case TK_UNIT:
    case TK_SYMBOL:
    case TK_GREEK:
    case TK_RAW:
    case TK_SPACE:
    case TK_CLOSE:
    case TK_VARIABLE:
    case TK_DEGREE: Text(dc, x, y, m_text); break;
    case TK_SPACEDSYMBOL:
    case TK_ADD:
    case TK_MULTIPLY:
    case TK_EQUAL:
    case TK_GREATER:
    case TK_LESS:
        if (m_kind == TK_MULTIPLY || options.m_bWideOperatorSpacing)
            dc->TextOut(x + width / 4, y, m_text);
        else
            dc->TextOut(x, y, m_text);
        break;
    case TK_SUBTRACT:
        dc->TextOut(x + width / 4, y, options.Get(options.m_expandSubtract) ? CString('\x96') : m_text);
        break;
    case TK_NUMBER: {
        if (options.Get(options.m_raiseDecimal)) {
            const int point = m_text.Find('.');
            if (point >= 0)
                m_text.SetAt(point, '\xB7');
        }
        const int style = options.Get(options.m_negativeNumberStyle);
        if (m_text.GetAt(0) == '-' && style == 1) {
            Text(dc, x, y, '\x96' + m_text.Mid(1));
        } else if (m_text.GetAt(0) == '-' && style == 2) {
            Text(dc, x, y + m_tm.tmDescent, "-");
            const int minus = KTEMetricsSource::Current().TextExtent(*dc, "-").cx;
            Text(dc, x + minus, y, m_text.Mid(1));
        } else {
            Text(dc, x, y, m_text);
        }
        break;
    }
    case TK_QUOTED: Text(dc, x, y, Unquoted(m_text)); break;
    case TK_POWER: m_list.Draw(dc, x, y + Round(raise * m_tm.tmAscent * 0.7), options, pool); break;
    case TK_SUBSCRIPT:
        // The box's descent already holds the lowering, so the script sits on its bottom.
        m_list.Draw(dc, x, y, options, pool);
        break;
    case TK_ARCSINCOSTAN: {
        const CString name = m_text.Left(3);
        Text(dc, x, y, name);
        const int nameWidth = KTEMetricsSource::Current().TextExtent(*dc, name).cx;
        m_list.Draw(dc, x + nameWidth, y + Round(raise * m_tm.tmAscent * 1.1), options, pool);
        break;
    }
    case TK_FRACTION:
    case TK_COLUMN: {
        const int top = m_list.m_extent.width;
        const int bottom = m_list2.IsEmpty() ? top : m_list2.m_extent.width;
        const int bar = y + gap + m_size;
        m_list.Draw(dc, x + (width - top) / 2, bar, options, pool);
        m_list2.Draw(dc, x + (width - bottom) / 2, y, options, pool);
        if (m_kind == TK_FRACTION) {
            dc->MoveTo(x, bar);
            dc->LineTo(x + width, bar);
        }
        break;
    }
    case TK_SQRT: {
        const int sign =
            DrawRadical(dc, x, y, m_list.m_extent.width + m_tm.tmAveCharWidth / 2, m_extent.height);
        m_list.Draw(dc, x + sign, y, options, pool);
        break;
    }
    case TK_ROOT: {
        const CSize radical = MeasureRadical(m_list.m_extent.width, m_list.m_extent.height, options);
        const int indexWidth = m_list2.m_extent.width;
        m_list2.Draw(dc, x, y + radical.cy / 3, options, pool);
        const int signX = x + std::max(0, indexWidth - static_cast<int>(0.25 * 0.46799365 * radical.cy));
        const int sign =
            DrawRadical(dc, signX, y, m_list.m_extent.width + m_tm.tmAveCharWidth / 2, radical.cy);
        m_list.Draw(dc, signX + sign, y, options, pool);
        break;
    }
    case TK_BRACKETS: DrawBrackets(dc, x, y, options, pool); break;
    case TK_CODEDRAW2: DrawLargeOperator(dc, x, y, options, pool); break;
    case TK_ABVECTOR:
    case TK_LCVECTOR: {
        Text(dc, x, y, m_text);
        const CSize text = KTEMetricsSource::Current().TextExtent(*dc, m_text);
        DrawDecoration(dc, m_kind == TK_ABVECTOR ? "AB" : "LC", x, y, width, text.cy, options);
        break;
    }
    case TK_MODIFIER:
        m_list.Draw(dc, x, y, options, pool);
        DrawDecoration(dc, m_text, x, y, width, m_list.m_extent.height, options);
        break;
    case TK_IVRIGHT:
    case TK_IVLEFT:
    case TK_IVBOTH:
        m_list.Draw(dc, x, y, options, pool);
        DrawDecoration(dc,
                       m_kind == TK_IVRIGHT  ? "IVRIGHT"
                       : m_kind == TK_IVLEFT ? "IVLEFT"
                                             : "IVBOTH",
                       x, y, width, m_list.m_extent.height, options);
        break;
    case TK_MATRIX: DrawMatrix(dc, x, y, options, pool); break;
    default: break;
    }
}

void KTEToken::DrawBrackets(KTDC* dc, int x, int y, const KTEOptions& options, KTETokenPool& pool)
{
    const KTEExtent& first = m_list.m_extent;
    if (m_text.IsEmpty()) {
        m_list.Draw(dc, x, y, options, pool);
        return;
    }
    // Named members rather than bindings: the glyph lambda below captures them.
    const BracketParts parts = SplitBrackets(first.height, options);
    const int contentBottom = y + m_extent.descent - first.descent;
    // A tall glyph is centred on the content, so that it reaches from the content's top to its
    // bottom; the box is a little taller than the glyph.
    const int glyphTop = contentBottom + (first.height + parts.height) / 2;

    // A glyph short enough to be one character is written in the Symbol face, on the
    // content's baseline.
    const auto glyph = [&](CString text, int gx) {
        const CSize box = MeasureBracketGlyph(dc, text, parts.height, parts.size);
        if (text.IsEmpty())
            return 0;
        const int glyphHeight = static_cast<int>(parts.height * 1.05);
        if (!DrawBracketGlyph(dc, gx, glyphTop, text, glyphHeight, parts.size)) {
            KTLogFont symbol = options.m_font.m_value;
            symbol.SetFaceName("Symbol");
            symbol.m_size = parts.size;
            KTFontSelector font(symbol, 1.0);
            font.Select(*dc, true);
            const TEXTMETRIC tm = KTEMetricsSource::Current().TextMetrics(*dc);
            dc->ExtTextOut(gx, y + m_extent.descent - tm.tmDescent, 0, nullptr, text);
            font.Restore(*dc);
        }
        return static_cast<int>(box.cx);
    };
    const int openWidth = glyph(parts.open, x);
    m_list.Draw(dc, x + openWidth, contentBottom, options, pool);
    int closeX = x + openWidth + first.width;
    if (parts.limits) {
        // Limits of an evaluation between brackets stand at the closing bracket, one above the other.
        KTEToken* lower = m_list2.At(0);
        KTEToken* upper = m_list2.At(1);
        const int closeWidth = MeasureBracketGlyph(dc, parts.close, parts.height, parts.size).cx;
        closeX = x + m_extent.width - closeWidth - std::max(lower->m_extent.width, upper->m_extent.width);
        glyph(parts.close, closeX);
        const int limitX = closeX + closeWidth;
        lower->m_extent.placement = 0;
        upper->m_extent.placement = 0;
        lower->Draw(dc, limitX, y, options, pool);
        upper->Draw(dc, limitX, y + static_cast<int>(0.7 * m_extent.height), options, pool);
        return;
    }
    glyph(parts.close, closeX);
}

void KTEToken::DrawLargeOperator(KTDC* dc, int x, int y, const KTEOptions& options, KTETokenPool& pool)
{
    const KTEExtent& lower = m_list.m_extent;
    const KTEExtent& upper = m_list2.m_extent;
    const int descent = m_tm.tmDescent;
    if (m_text == "int") {
        const int style = options.Get(options.m_integralStyle);
        const int fontSize = static_cast<int>(m_tm.tmHeight * options.m_scale);
        const CSize glyph = MeasureBracketGlyph(dc, CString('\xF2'), m_size, fontSize);
        CString sign('\xF2');
        if (style == 0) {
            const int bottom = y + lower.height / 2 - descent / 2;
            DrawBracketGlyph(dc, x, bottom + glyph.cy, sign, glyph.cy, fontSize);
            m_list.Draw(dc, x + static_cast<int>(0.7 * glyph.cx), y, options, pool);
            m_list2.Draw(dc, x + static_cast<int>(0.95 * glyph.cx),
                         y + lower.height / 2 + glyph.cy - 2 * upper.height / 3, options, pool);
        } else if (style == 1) {
            const int widest = std::max({static_cast<int>(glyph.cx), lower.width, upper.width});
            const int bottom = y + lower.height - descent / 2;
            DrawBracketGlyph(dc, x + (widest - glyph.cx) / 2, bottom + glyph.cy, sign, glyph.cy, fontSize);
            m_list.Draw(dc, x + (widest - lower.width) / 2, y, options, pool);
            m_list2.Draw(dc, x + (widest - upper.width) / 2, bottom + glyph.cy, options, pool);
        }
        return;
    }
    if (m_text == "sigma" || m_text == "sum" || m_text == "product") {
        const CString glyph = m_text == "product" ? "P" : "S";
        const int glyphWidth = KTEMetricsSource::Current().TextExtent(*dc, glyph).cx;
        const int widest = std::max({glyphWidth, lower.width, upper.width});
        dc->TextOut(x + (widest - glyphWidth) / 2, y + lower.height - descent, glyph);
        m_list.Draw(dc, x + (widest - lower.width) / 2, y, options, pool);
        const int upperBottom = std::max(static_cast<int>(m_size + lower.height - 2.5 * descent),
                                         lower.height + static_cast<int>(0.75 * m_fontSize));
        m_list2.Draw(dc, x + Round((widest - upper.width) * 0.5), y + upperBottom, options, pool);
        return;
    }
    if (m_text == "lim") {
        const int textWidth = KTEMetricsSource::Current().TextExtent(*dc, "lim").cx;
        const int widest = std::max(textWidth, lower.width);
        dc->TextOut(x + (widest - textWidth) / 2, y + lower.height - descent, "lim");
        m_list.Draw(dc, x + (widest - lower.width) / 2, y, options, pool);
    }
}

void KTEToken::DrawMatrix(KTDC* dc, int x, int y, const KTEOptions& options, KTETokenPool& pool)
{
    int rowDescent[MatrixLimit] = {};
    ForEachMatrixCell([&](const KTEToken* cell, int column, int row) {
        if (column < MatrixLimit && row < MatrixLimit)
            rowDescent[row] = std::max(rowDescent[row], cell->m_extent.descent);
    });
    ForEachMatrixCell([&](KTEToken* cell, int column, int row) {
        if (column >= MatrixLimit || row >= MatrixLimit)
            return;
        // m_matrixRows holds each row's top measured from the bottom; the next row's value is
        // this row's bottom.
        const int rowBottom = row + 1 < MatrixLimit ? m_matrixRows[row + 1] : 0;
        const int cellX = x + m_matrixPos[column] + (m_matrixCols[column] - cell->m_extent.width) / 2;
        const int cellY = y + rowBottom + rowDescent[row] - cell->m_extent.descent;
        cell->m_extent.placement = 0;
        cell->Draw(dc, cellX, cellY, options, pool);
    });
}
