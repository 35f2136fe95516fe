// Measuring: a token measures its child lists first; a list sets its tokens side by side on a
// common baseline. Results stay cached in the tokens until the tree is marked changed.

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

namespace {

KTEExtent TextBox(KTDC& dc, const CString& text, const TEXTMETRIC& tm)
{
    const CSize size = KTEMetricsSource::Current().TextExtent(dc, text);
    KTEExtent extent;
    extent.width = size.cx;
    extent.height = size.cy;
    extent.descent = size.cy - tm.tmAscent;
    return extent;
}

/// The list is one fraction and nothing else, perhaps inside brackets that are not drawn: its
/// bar reaches both ends of the list.
bool IsBareFraction(const KTETokenList& list)
{
    const KTETokenList* inner = &list;
    for (int depth = 0; depth < 64 && inner->GetCount() == 1; ++depth) {
        const KTEToken* token = inner->m_tokens.front();
        if (token->m_kind == TK_FRACTION)
            return true;
        if (token->m_kind != TK_BRACKETS || token->m_text != ",")
            return false;
        inner = &token->m_list;
    }
    return false;
}

/// The text of a quoted token without its quotes.
} // namespace

CString KTEToken::Unquoted(const CString& text)
{
    CString inner = text;
    if (inner.GetAt(0) == '"')
        inner = inner.Mid(1);
    if (!inner.IsEmpty() && inner.GetAt(inner.GetLength() - 1) == '"')
        inner = inner.Left(inner.GetLength() - 1);
    return inner;
}

CSize KTEToken::MeasureRadical(int w, int h, const KTEOptions& options)
{
    const int gap = static_cast<int>(options.Get(options.m_sqrtGap) * options.m_scale);
    return CSize(static_cast<int>(w + gap + 0.46799365 * h), h + gap);
}

CSize KTEToken::MeasureDecoration(KTDC* /*dc*/, const char* name, int width, int height,
                                  const KTEOptions& options) const
{
    const CString decoration(name);
    const int arrow = static_cast<int>(options.Get(options.m_vectorArrowSize) * options.m_scale);
    int extra = m_tm.tmDescent;
    if (decoration == "^") {
        extra += m_tm.tmAscent / 2;
    } else if (decoration == "AB") {
        extra = options.Get(options.m_doubleCaps) != 0 ? std::max(extra, arrow) : 0;
    } else if (decoration == "IVRIGHT" || decoration == "IVLEFT" || decoration == "IVBOTH") {
        extra = std::max(extra, arrow);
    } else if (decoration == "LC") {
        const int display = options.Get(options.m_displayVect);
        if (display >= 0 && display <= 2)
            extra = 0;
        else if (display == 3)
            extra = std::max(extra, arrow);
    }
    return CSize(std::max(width, static_cast<int>(m_tm.tmAveCharWidth)), height + extra);
}

KTEExtent KTEToken::MeasureMatrix(KTDC* dc, const KTEOptions& options, KTETokenPool& pool)
{
    KTEExtent extent;
    if (m_kind != TK_MATRIX)
        return extent;
    std::fill(std::begin(m_matrixRows), std::end(m_matrixRows), 0);
    std::fill(std::begin(m_matrixCols), std::end(m_matrixCols), 0);
    std::fill(std::begin(m_matrixPos), std::end(m_matrixPos), 0);
    int rowDescent[MatrixLimit] = {};
    int columns = 0;
    int rows = 0;
    ForEachMatrixCell([&](KTEToken* cell, int column, int row) {
        const KTEExtent box = cell->Measure(dc, 0, options, pool);
        if (column >= MatrixLimit || row >= MatrixLimit)
            return; // more than 20 x 20 cells are not laid out
        m_matrixRows[row] = std::max(m_matrixRows[row], box.height);
        m_matrixCols[column] = std::max(m_matrixCols[column], box.width);
        rowDescent[row] = std::max(rowDescent[row], box.descent);
        columns = std::max(columns, column + 1);
        rows = std::max(rows, row + 1);
    });
    const int vertical = options.Get(options.m_matrixVerticalSpacing);
    const int horizontal = options.Get(options.m_matrixHorizontalSpacing);
    extent.height = m_matrixRows[0];
    for (int r = 1; r < rows; ++r)
        if (m_matrixRows[r] != 0) {
            m_matrixRows[r] += vertical;
            extent.height += m_matrixRows[r];
        }
    // Each boundary between two columns lends half its spacing to either side.
    for (int c = 0; c < columns; ++c) {
        const int boundaries = (c > 0 ? 1 : 0) + (c + 1 < columns ? 1 : 0);
        m_matrixCols[c] = static_cast<int>(m_matrixCols[c] + horizontal * boundaries * 0.5);
        m_matrixPos[c] = extent.width;
        extent.width += m_matrixCols[c];
    }
    // Row positions measured from the bottom: each row's bottom edge.
    int fromBottom = 0;
    for (int r = rows - 1; r >= 0; --r) {
        fromBottom += m_matrixRows[r];
        m_matrixRows[r] = fromBottom;
    }
    extent.descent = extent.height / 2;
    return extent;
}

KTEExtent KTEToken::Measure(KTDC* dc, int x, const KTEOptions& options, KTETokenPool& pool)
{
    KTEDepthGuard guard;
    if (guard.Exceeded() || !dc)
        return m_extent;
    if (m_changed) {
        KTETokenAttributes attributes(*this, *dc, options);
        m_extent = MeasureByKind(dc, x, options, pool);
        m_changed = false;
    }
    m_extent.margin = m_tm.tmAveCharWidth / 3;
    return m_extent;
}

KTEExtent KTEToken::MeasureByKind(KTDC* dc, int x, const KTEOptions& options, KTETokenPool& pool)
{
    const double raise = options.Get(options.m_powerRaise);
    const int gap = static_cast<int>(options.Get(options.m_fractionGap) * options.m_scale);
    const int fontHeight = m_tm.tmHeight;
    const bool wide = options.m_bWideOperatorSpacing;
    KTEExtent extent;
    const auto emptyBox = [&](KTEExtent box) {
        if (box.width == 0 && box.height == 0) {
            box.width = m_tm.tmAveCharWidth;
            box.height = fontHeight;
            box.descent = m_tm.tmDescent;
        }
        return box;
    };
    switch (m_kind) {
    case TK_FUNCTION:
    case TK_SEPARATOR:
    case TK_UNIT:
    case TK_SYMBOL:
    case TK_GREEK:
    case TK_RAW:
    case TK_SPACE:
    case TK_CLOSE:
    case TK_VARIABLE: return TextBox(*dc, m_text, m_tm);
    case TK_SPACEDSYMBOL:
    case TK_ADD:
    case TK_EQUAL:
    case TK_GREATER:
    case TK_LESS:
        extent = TextBox(*dc, m_text, m_tm);
        if (wide)
            extent.width *= 2;
        return extent;
    case TK_NUMBER: {
        CString shown = m_text;
        if (shown.GetAt(0) == '-' && options.Get(options.m_negativeNumberStyle) == 1)
            shown.SetAt(0, '\x96');
        return TextBox(*dc, shown, m_tm);
    }
    case TK_SUBTRACT:
        extent = TextBox(*dc, options.Get(options.m_expandSubtract) ? CString('\x96') : m_text, m_tm);
        extent.width *= 2;
        return extent;
    case TK_MULTIPLY: {
        const int style = options.Get(options.m_multiplyStyle);
        m_text = style == 0 ? CString('\xB4') : style == 1 ? CString('\xD7') : CString("*");
        extent = TextBox(*dc, m_text, m_tm);
        extent.width *= 2;
        return extent;
    }
    case TK_QUOTED: {
        const CString shown = Unquoted(m_text);
        extent = TextBox(*dc, shown, m_tm);
        extent.width = std::max(extent.width, shown.GetLength() * static_cast<int>(m_tm.tmAveCharWidth));
        return extent;
    }
    case TK_DEGREE:
        m_text = CString('\xB0');
        extent = TextBox(*dc, m_text, m_tm);
        extent.descent = extent.height - m_tm.tmDescent - m_tm.tmAscent;
        return extent;
    case TK_POWER: {
        const KTEExtent first = m_list.Measure(dc, options, pool);
        extent.width = first.width;
        extent.raise = static_cast<int>(raise * m_tm.tmAscent);
        extent.height = extent.raise + first.height;
        extent.raised = 1;
        return extent;
    }
    case TK_SUBSCRIPT: {
        const KTEExtent first = m_list.Measure(dc, options, pool);
        const int lower = static_cast<int>(raise * m_tm.tmDescent);
        extent.width = first.width;
        extent.height = lower + first.height;
        extent.descent = first.descent + lower;
        return extent;
    }
    case TK_ARCSINCOSTAN: {
        extent = TextBox(*dc, m_text.Left(3), m_tm);
        // The "-1" exponent is part of the drawn form only; it is added once per parse.
        const KTEToken* last = m_list.At(m_list.GetCount() - 1);
        if (!last || last->m_kind != TK_NUMBER || last->m_text != "-1") {
            KTEToken* inverse = pool.Create(TK_NUMBER);
            inverse->SetText("-1");
            inverse->m_powerLevel = m_powerLevel + 1.0;
            inverse->m_fractionLevel = m_fractionLevel;
            m_list.Add(inverse);
            m_list.m_changed = true;
        }
        const KTEExtent exponent = m_list.Measure(dc, options, pool);
        const int nameHeight = extent.height;
        extent.width += exponent.width;
        extent.height = nameHeight + static_cast<int>(0.3 * nameHeight);
        return extent;
    }
    case TK_SQRT: {
        const KTEExtent first = emptyBox(m_list.Measure(dc, options, pool));
        const CSize sign = MeasureRadical(first.width, first.height, options);
        extent.width = sign.cx;
        extent.height = sign.cy;
        extent.descent = first.descent;
        return extent;
    }
    case TK_ROOT: {
        const KTEExtent first = emptyBox(m_list.Measure(dc, options, pool));
        const KTEExtent index = m_list2.Measure(dc, options, pool);
        const CSize sign = MeasureRadical(first.width, first.height, options);
        extent.width = sign.cx + index.width;
        extent.height = std::max(static_cast<int>(sign.cy), sign.cy / 3 + index.height);
        extent.descent = first.descent;
        return extent;
    }
    case TK_FRACTION:
    case TK_COLUMN: {
        const KTEExtent top = m_list.Measure(dc, options, pool);
        KTEExtent bottom = m_list2.Measure(dc, options, pool);
        if (m_list2.IsEmpty())
            bottom = emptyBox(KTEExtent());
        extent.width = std::max(top.width, bottom.width);
        // A part that is itself a fraction as wide as this one would put two bars of one length
        // over each other, and "x/2/2" would read either way: the main bar reaches past the
        // inner one by half a character on each side.
        if (m_kind == TK_FRACTION && ((IsBareFraction(m_list) && top.width >= bottom.width) ||
                                      (IsBareFraction(m_list2) && bottom.width >= top.width)))
            extent.width += 2 * (m_tm.tmAveCharWidth / 2);
        extent.height = top.height + 2 * gap + bottom.height;
        extent.descent = m_kind == TK_FRACTION ? static_cast<int>(0.8 * bottom.height)
                                               : static_cast<int>(0.5 * bottom.height) + m_tm.tmDescent;
        m_size = gap + bottom.height;
        return extent;
    }
    case TK_BRACKETS: return MeasureBrackets(dc, options, pool);
    case TK_CODEDRAW2: return MeasureLargeOperator(dc, options, pool);
    case TK_ABVECTOR:
    case TK_LCVECTOR: {
        extent = TextBox(*dc, m_text, m_tm);
        if (extent.width == 0)
            extent = emptyBox(KTEExtent());
        const CSize box =
            MeasureDecoration(dc, m_kind == TK_ABVECTOR ? "AB" : "LC", extent.width, extent.height, options);
        extent.width = box.cx;
        extent.height = box.cy;
        return extent;
    }
    case TK_MODIFIER:
    case TK_IVRIGHT:
    case TK_IVLEFT:
    case TK_IVBOTH: {
        extent = emptyBox(m_list.Measure(dc, options, pool));
        const CString name = m_kind == TK_MODIFIER ? m_text : CString("IVLEFT");
        const CSize box = MeasureDecoration(dc, name, extent.width, extent.height, options);
        extent.width = box.cx;
        extent.height = box.cy;
        return extent;
    }
    case TK_TAB: {
        const int tab = options.Get(options.m_tabWidth);
        if (tab > 0) // a zero or negative tab width cannot divide the line
            extent.width = tab - ((x % tab) + tab) % tab;
        return extent;
    }
    case TK_MATRIX:
        extent = MeasureMatrix(dc, options, pool);
        extent.descent = extent.height / 2;
        return extent;
    default: return extent;
    }
}

KTEToken::BracketParts KTEToken::SplitBrackets(int contentHeight, const KTEOptions& options) const
{
    const int comma = m_text.Find(',');
    const int fontHeight = m_tm.tmHeight;
    BracketParts parts;
    parts.open = comma < 0 ? m_text : m_text.Left(comma);
    parts.close = comma < 0 ? CString() : m_text.Mid(comma + 1);
    parts.limits = m_list2.GetCount() == 2;
    parts.height = contentHeight;
    if (parts.limits && contentHeight <= 1.3 * fontHeight)
        parts.height = static_cast<int>(1.3 * fontHeight) + 1;
    parts.size = static_cast<int>(fontHeight * options.m_scale);
    return parts;
}

KTEExtent KTEToken::MeasureBrackets(KTDC* dc, const KTEOptions& options, KTETokenPool& pool)
{
    const KTEExtent first = m_list.Measure(dc, options, pool);
    if (m_text.IsEmpty())
        return first;
    const auto [open, close, limits, height, size] = SplitBrackets(first.height, options);
    const CSize openGlyph = open.IsEmpty() ? CSize(0, 0) : MeasureBracketGlyph(dc, open, height, size);
    const CSize closeGlyph = close.IsEmpty() ? CSize(0, 0) : MeasureBracketGlyph(dc, close, height, size);
    KTEExtent extent;
    extent.width = openGlyph.cx + first.width + closeGlyph.cx;
    extent.height =
        std::max({first.height, height, static_cast<int>(openGlyph.cy), static_cast<int>(closeGlyph.cy)});
    extent.descent = first.descent + (extent.height - first.height) / 2;
    if (limits) {
        const KTEExtent lower = m_list2.At(0)->Measure(dc, 0, options, pool);
        const KTEExtent upper = m_list2.At(1)->Measure(dc, 0, options, pool);
        extent.width = static_cast<int>(1.5 * std::max(lower.width, upper.width)) + first.width;
    }
    return extent;
}

KTEExtent KTEToken::MeasureLargeOperator(KTDC* dc, const KTEOptions& options, KTETokenPool& pool)
{
    const KTEExtent lower = m_list.Measure(dc, options, pool);
    const KTEExtent upper = m_list2.Measure(dc, options, pool);
    const int fontHeight = m_tm.tmHeight;
    const int descent = m_tm.tmDescent;
    KTEExtent extent;
    if (m_text == "int") {
        const int style = options.Get(options.m_integralStyle);
        if (style != 0 && style != 1)
            return extent;
        const int glyphSize =
            style == 0 ? std::max(2 * fontHeight, static_cast<int>(1.2 * (lower.height + upper.height)))
                       : 2 * fontHeight;
        const CSize glyph = MeasureBracketGlyph(dc, CString('\xF2'), glyphSize,
                                                static_cast<int>(fontHeight * options.m_scale));
        m_size = glyphSize;
        if (style == 0) {
            extent.width = static_cast<int>(1.22 * glyph.cx) + std::max(lower.width, upper.width);
            extent.descent = static_cast<int>(0.5 * lower.height + 0.3333 * glyph.cy);
            extent.height = static_cast<int>(glyph.cy + 0.5 * lower.height + 0.33333 * upper.height);
        } else {
            extent.width = std::max({static_cast<int>(glyph.cx), lower.width, upper.width});
            extent.descent = static_cast<int>(0.3333 * glyph.cy) + lower.height;
            extent.height = glyph.cy + lower.height + upper.height;
        }
        return extent;
    }
    if (m_text == "sigma" || m_text == "sum" || m_text == "product") {
        const KTEExtent glyph = TextBox(*dc, m_text == "product" ? "P" : "S", m_tm);
        m_size = glyph.height;
        extent.width = std::max({glyph.width, upper.width, lower.width});
        extent.descent = descent + lower.height;
        // The upper limit never sinks into the sign: at least three quarters of an em above the
        // sign's baseline, which stands at the lower limit's top.
        const int upperBottom = std::max(static_cast<int>(glyph.height + lower.height - 2.5 * descent),
                                         lower.height + static_cast<int>(0.75 * m_fontSize));
        extent.height = std::max(static_cast<int>(lower.height + upper.height + glyph.height - 2.5 * descent),
                                 upperBottom + upper.height);
        return extent;
    }
    if (m_text == "lim") {
        const KTEExtent text = TextBox(*dc, "lim", m_tm);
        extent.width = std::max(text.width, lower.width);
        extent.descent = lower.height;
        extent.height = text.height + lower.height - descent;
        return extent;
    }
    return extent;
}

KTEExtent KTETokenList::Measure(KTDC* dc, const KTEOptions& options, KTETokenPool& pool)
{
    KTEDepthGuard guard;
    if (guard.Exceeded() || !dc || !m_changed)
        return m_extent;
    int running = 0;
    for (KTEToken* token : m_tokens)
        running += token->Measure(dc, running, options, pool).width;

    // Integral signs of one list share the largest one's size.
    KTEToken* largest = nullptr;
    for (KTEToken* token : m_tokens)
        if (token->m_kind == TK_CODEDRAW2 && token->m_text == "int" &&
            (!largest || token->m_size > largest->m_size))
            largest = token;
    if (largest)
        for (KTEToken* token : m_tokens)
            if (token->m_kind == TK_CODEDRAW2 && token->m_text == "int" && token != largest) {
                token->m_size = largest->m_size;
                token->m_extent = largest->m_extent;
            }

    KTEExtent extent;
    for (const KTEToken* token : m_tokens) {
        const KTEExtent& box = token->m_extent;
        extent.width += box.width;
        if (box.raised) {
            extent.height = extent.descent + std::max(extent.height - extent.descent,
                                                      static_cast<int>(box.height - 0.3 * box.raise));
        } else {
            const int ascent = std::max(box.height - box.descent, extent.height - extent.descent);
            extent.descent = std::max(box.descent, extent.descent);
            extent.height = ascent + extent.descent;
        }
    }
    extent.margin = m_tokens.empty() ? 0 : m_tokens.back()->m_extent.margin;
    m_extent = extent;
    m_changed = false;
    return m_extent;
}
