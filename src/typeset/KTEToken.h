#pragma once
// One node of a typeset equation: a kind, a text, and two child lists whose meaning depends on
// the kind (numerator and denominator, script, radicand and index, limits, rows of a column).

#include "platform/CString.h"
#include "platform/KTGdiTypes.h"
#include "typeset/KTEExtent.h"
#include "typeset/KTETokenKind.h"
#include "typeset/KTETokenList.h"

class KTDC;
class KTEOptions;
class KTETokenPool;
class KTLogFont;

class KTEToken
{
public:
    static constexpr int MatrixLimit = 20;

    KTETokenList m_list;  ///< first child list
    KTETokenList m_list2; ///< second child list
    int m_modifier = 0;   ///< 0 none, 1 ".", 2 ":", 3 "^", 4 "_"
    KTEExtent m_extent;
    int m_size = 0; ///< glyph size of a large operator, bar position of a fraction
    KTETokenKind m_kind = TK_ERROR;
    CString m_text;
    CString m_text2;
    int m_fractionLevel = 0;
    double m_powerLevel = 0.0;
    TEXTMETRIC m_tm{};
    int m_fontSize = 0; ///< the size of the font selected for this token (logical units)
    bool m_changed = true;
    int m_matrixRows[MatrixLimit] = {};
    int m_matrixCols[MatrixLimit] = {};
    int m_matrixPos[MatrixLimit] = {};

    void Set(KTETokenKind kind, const CString& text, const CString& text2 = CString(), int modifier = 0);
    void SetText(const CString& text);
    CString GetText() const { return m_text; }

    /// A TK_BRACKETS token of absolute-value bars.
    bool IsBarGroup() const;
    /// Rows of a TK_COLUMN chain: 0 for any other kind.
    int ColumnDepth() const;
    /// Row n (from 0) of a TK_COLUMN chain; null for another kind or a missing row.
    KTEToken* ColumnRow(int n) const;

    CString GetCalculationText(bool top) const;

    /// The font this token's kind takes (size already scaled by its nesting levels).
    KTLogFont ChooseFont(const KTEOptions& options) const;

    KTEExtent Measure(KTDC* dc, int x, const KTEOptions& options, KTETokenPool& pool);
    void Draw(KTDC* dc, int x, int y, const KTEOptions& options, KTETokenPool& pool);

    /// Width and height of a radical sign about a radicand of width w and height h.
    static CSize MeasureRadical(int w, int h, const KTEOptions& options);
    /// Draws a radical sign with its bottom-left at (x, y); returns the width of the sign part.
    static int DrawRadical(KTDC* dc, int x, int y, int barWidth, int h);
    /// Width and height with room for a decoration ("^", "AB", "IVRIGHT", "IVLEFT", "IVBOTH", "LC").
    CSize MeasureDecoration(KTDC* dc, const char* name, int width, int height,
                            const KTEOptions& options) const;
    /// Lays out a TK_MATRIX; an all-zero extent for any other kind.
    KTEExtent MeasureMatrix(KTDC* dc, const KTEOptions& options, KTETokenPool& pool);

private:
    /// What measuring and drawing a TK_BRACKETS token must agree on.
    struct BracketParts
    {
        CString open;  ///< the opening glyph's text, "" for none
        CString close; ///< the closing glyph's text, "" for none
        bool limits;   ///< two limits stand at the closing bracket
        int height;    ///< the glyphs' height
        int size;      ///< the glyphs' font size
    };
    /// Splits m_text at its comma and sizes the glyphs about content of the given height.
    BracketParts SplitBrackets(int contentHeight, const KTEOptions& options) const;

    /// Calls visit(cell, column, row) for each cell of a TK_MATRIX in order; a space token ends
    /// a column that holds a cell. Column and row may pass MatrixLimit: the visitor checks.
    template <typename Visit> void ForEachMatrixCell(Visit visit) const
    {
        int column = 0;
        int row = 0;
        for (KTEToken* cell : m_list.m_tokens) {
            if (cell->m_kind == TK_SPACE) {
                if (row > 0) {
                    ++column;
                    row = 0;
                }
                continue;
            }
            visit(cell, column, row);
            ++row;
        }
    }

    /// A quoted text without its enclosing quotes (either may be missing).
    static CString Unquoted(const CString& text);

    KTEExtent MeasureByKind(KTDC* dc, int x, const KTEOptions& options, KTETokenPool& pool);
    KTEExtent MeasureBrackets(KTDC* dc, const KTEOptions& options, KTETokenPool& pool);
    KTEExtent MeasureLargeOperator(KTDC* dc, const KTEOptions& options, KTETokenPool& pool);
    void DrawByKind(KTDC* dc, int x, int y, const KTEOptions& options, KTETokenPool& pool);
    void DrawBrackets(KTDC* dc, int x, int y, const KTEOptions& options, KTETokenPool& pool);
    void DrawLargeOperator(KTDC* dc, int x, int y, const KTEOptions& options, KTETokenPool& pool);
    void DrawMatrix(KTDC* dc, int x, int y, const KTEOptions& options, KTETokenPool& pool);
};
