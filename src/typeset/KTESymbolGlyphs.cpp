#include "typeset/KTESymbolGlyphs.h"

#include "foundation/KTFontSelector.h"
#include "foundation/KTLogFont.h"
#include "platform/KTDC.h"
#include "typeset/KTEMetricsSource.h"
#include "typeset/KTEOptions.h"

#include <algorithm>
#include <cmath>

namespace {

struct Pieces
{
    char top, extension, middle, bottom;
};

bool IsDoubleBar(const CString& text)
{
    return text == "[|" || text == "|]";
}

Pieces PiecesOf(const CString& text)
{
    const char first = text.GetAt(0);
    switch (first) {
    case '(': return {'\xE6', '\xE7', '\xE7', '\xE8'};
    case '[':
        if (text == "[")
            return {'\xE9', '\xEA', '\xEA', '\xEB'};
        break;
    case '{': return {'\xEC', '\xEF', '\xED', '\xEE'};
    case ')': return {'\xF6', '\xF7', '\xF7', '\xF8'};
    case ']':
        if (text == "]")
            return {'\xF9', '\xFA', '\xFA', '\xFB'};
        break;
    case '}': return {'\xFC', '\xEF', '\xFD', '\xFE'};
    case '\xF2': return {'\xF3', '\xF4', '\xF4', '\xF5'};
    default: break;
    }
    return {'\xEF', '\xEF', '\xEF', '\xEF'}; // bars: "|", "|[" and "]|"
}

KTLogFont SymbolFont(int size)
{
    KTLogFont font;
    font.SetFaceName("Symbol");
    font.m_size = size;
    return font;
}

/// Number of steps between the top and bottom pieces for a glyph of height h.
int PieceSteps(int h, int fontSize)
{
    const int n = std::max(fontSize > 0 ? h / fontSize : 2, 2) - 2;
    return 2 * ((n + 1) / 2 + 1);
}

int PieceSize(int h, int steps)
{
    return static_cast<int>(h / ((steps + 1) * 0.75));
}

} // namespace

CSize MeasureBracketGlyph(KTDC* dc, CString text, int height, int fontSize)
{
    if (!dc)
        return CSize(0, 0);
    const KTEMetricsSource& metrics = KTEMetricsSource::Current();
    if (height <= 1.3 * fontSize && !IsDoubleBar(text)) {
        if (text == "]|" || text == "|[")
            text = "|";
        KTFontSelector font(SymbolFont(fontSize), 1.0);
        font.Select(*dc, true);
        const CSize size = metrics.TextExtent(*dc, text);
        font.Restore(*dc);
        return size;
    }
    const int steps = PieceSteps(height, fontSize);
    KTFontSelector font(SymbolFont(std::max(PieceSize(height, steps), 1)), 1.0);
    font.Select(*dc, true);
    const CSize piece = metrics.TextExtent(*dc, CString(PiecesOf(text).bottom));
    const TEXTMETRIC tm = metrics.TextMetrics(*dc);
    font.Restore(*dc);
    const int width = IsDoubleBar(text) ? tm.tmAveCharWidth : static_cast<int>(1.5 * piece.cx);
    return CSize(width, static_cast<int>(1.05 * height));
}

bool DrawBracketGlyph(KTDC* dc, int x, int y, CString& text, int height, int fontSize)
{
    if (!dc)
        return false;
    // The height measured for the glyph is trunc(1.05 h); h is recovered exactly, because
    // multiplying by 0.952... truncated lands one short of it for some heights, and then the
    // glyph would be built from fewer, much larger pieces than were measured.
    const int h = static_cast<int>((20LL * std::max(height, 0) + 20) / 21);
    if (h <= 1.2 * fontSize && !IsDoubleBar(text)) {
        if (text == "]|" || text == "|[")
            text = "|";
        return false;
    }
    const KTEMetricsSource& metrics = KTEMetricsSource::Current();
    const Pieces pieces = PiecesOf(text);
    const int steps = PieceSteps(h, fontSize);
    const int pieceSize = std::max(PieceSize(h, steps), 1);
    KTFontSelector font(SymbolFont(pieceSize), 1.0);
    font.Select(*dc, true);
    const CSize top = metrics.TextExtent(*dc, CString(pieces.top));
    const int middle = (steps + 1) / 2;
    const int dx = static_cast<int>(0.25 * top.cx);
    if (IsDoubleBar(text)) {
        const TEXTMETRIC tm = metrics.TextMetrics(*dc);
        const int w = tm.tmAveCharWidth;
        const int yTop = y;
        const int yBottom = y - h;
        if (text == "[|") {
            const CPoint points[] = {{x + w, yTop}, {x, yTop}, {x, yBottom}, {x + w, yBottom}};
            dc->Polyline(points, 4);
        } else {
            const CPoint points[] = {{x, yTop}, {x + w, yTop}, {x + w, yBottom}, {x, yBottom}};
            dc->Polyline(points, 4);
        }
        dc->MoveTo(x + w / 2, yBottom);
        dc->LineTo(x + w / 2, yTop);
    } else {
        // The pieces are placed by their ink, not by their cells: in the Symbol face the ink
        // of a piece reaches well above its cell, so cells hung from the top would draw the
        // glyph too high. The top piece's ink starts at y and the bottom piece's ends h lower;
        // the centres of the pieces between are spread evenly between the centres of those two,
        // so that they overlap only where the end pieces run straight.
        const auto ink = [&](char piece) { return metrics.GlyphMetrics(*dc, piece); };
        const GLYPHMETRICS first = ink(pieces.top);
        const GLYPHMETRICS last = ink(pieces.bottom);
        const GLYPHMETRICS extension = ink(pieces.extension);
        const GLYPHMETRICS centre = ink(pieces.middle);
        const double firstCentre = y - first.gmBlackBoxY / 2.0;
        const double lastCentre = y - h + last.gmBlackBoxY / 2.0;
        const unsigned align = dc->SetTextAlign(TA_LEFT | TA_BASELINE);
        for (int i = 0; i <= steps; ++i) {
            char piece = pieces.extension;
            const GLYPHMETRICS* box = &extension;
            if (i == 0) {
                piece = pieces.top;
                box = &first;
            } else if (i == steps) {
                piece = pieces.bottom;
                box = &last;
            } else if (i == middle) {
                piece = pieces.middle;
                box = &centre;
            }
            const double inkCentre = firstCentre + (lastCentre - firstCentre) * i / steps;
            const double baseline = inkCentre - (box->gmptGlyphOrigin.y - box->gmBlackBoxY / 2.0);
            dc->ExtTextOut(x + dx, static_cast<int>(std::lround(baseline)), 0, nullptr, CString(piece));
        }
        dc->SetTextAlign(align);
    }
    font.Restore(*dc);
    return true;
}

namespace {

void ArrowLine(KTDC* dc, int x, int yl, int width, int a, bool leftHead, bool rightHead)
{
    dc->MoveTo(x, yl);
    dc->LineTo(x + width, yl);
    if (rightHead) {
        const CPoint head[] = {{x + width, yl}, {x + width - a, yl + a / 2}, {x + width - a, yl - a / 2}};
        dc->Polygon(head, 3);
    }
    if (leftHead) {
        const CPoint head[] = {{x, yl}, {x + a, yl + a / 2}, {x + a, yl - a / 2}};
        dc->Polygon(head, 3);
    }
}

void CentredText(KTDC* dc, const CString& text, int x, int width, int bottom)
{
    const CSize size = KTEMetricsSource::Current().TextExtent(*dc, text);
    dc->TextOut(x + (width - size.cx) / 2, bottom, text);
}

} // namespace

void DrawDecoration(KTDC* dc, const CString& name, int x, int y, int width, int offset,
                    const KTEOptions& options)
{
    if (!dc)
        return;
    const TEXTMETRIC tm = KTEMetricsSource::Current().TextMetrics(*dc);
    const int a = static_cast<int>(options.Get(options.m_vectorArrowSize) * options.m_scale);
    const int yl = y + offset + a / 2;
    if (name == "_") {
        const int y1 = y + offset + tm.tmDescent / 3;
        dc->MoveTo(x, y1);
        dc->LineTo(x + width, y1);
    } else if (name == "AB") {
        switch (options.Get(options.m_doubleCaps)) {
        case 1: ArrowLine(dc, x, yl, width, a, false, true); break;
        case 2: ArrowLine(dc, x, yl, width, a, false, false); break;
        case 3: ArrowLine(dc, x, yl, width, a, true, true); break;
        default: break;
        }
    } else if (name == "LC") {
        switch (options.Get(options.m_displayVect)) {
        case 1: ArrowLine(dc, x, yl, width, a, false, false); break;
        case 2: CentredText(dc, "~", x, width, y + offset - tm.tmAscent / 2 - tm.tmDescent); break;
        case 3: ArrowLine(dc, x, yl, width, a, false, true); break;
        default: break;
        }
    } else if (name == "IVRIGHT") {
        ArrowLine(dc, x, yl, width, a, false, true);
    } else if (name == "IVLEFT") {
        ArrowLine(dc, x, yl, width, a, true, false);
    } else if (name == "IVBOTH") {
        ArrowLine(dc, x, yl, width, a, true, true);
    } else if (name == ":") {
        CentredText(dc, ".", x, width, y + offset - tm.tmDescent);
    } else if (name == "::") {
        CentredText(dc, ". .", x, width, y + offset - tm.tmDescent);
    } else if (name == "^^") {
        CentredText(dc, "^", x, width, y + offset - tm.tmAscent / 2 - tm.tmDescent);
    }
}
