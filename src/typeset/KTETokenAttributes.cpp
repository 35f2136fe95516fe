#include "typeset/KTETokenAttributes.h"

#include "foundation/KTLogBrush.h"
#include "foundation/KTLogFont.h"
#include "foundation/KTLogPen.h"
#include "platform/KTDC.h"
#include "typeset/KTEMetricsSource.h"
#include "typeset/KTEOptions.h"
#include "typeset/KTEToken.h"

#include <algorithm>

KTLogFont KTEToken::ChooseFont(const KTEOptions& options) const
{
    KTLogFont base = options.m_font.m_value;
    const int fractionSteps = std::min(m_fractionLevel, options.Get(options.m_fracLevelMax));
    base.m_size =
        static_cast<int>(base.m_size * (1.0 - fractionSteps * options.Get(options.m_fracLevelRatio)));
    const double powerSteps =
        std::min(m_powerLevel, static_cast<double>(options.Get(options.m_powerLevelMax)));
    base.m_size = static_cast<int>(base.m_size * (1.0 - powerSteps * options.Get(options.m_powerLevelRatio)));
    base.m_size = std::max(base.m_size, 1);

    KTLogFont symbol = base;
    symbol.SetFaceName("Symbol");

    const bool ownStyle = !options.Get(options.m_useOneFont);
    const auto style = [&](KTLogFont& font, bool bold, bool italic, const KTOptionString* face,
                           const KTOptionColor* colour) {
        if (bold)
            font.m_logFont.lfWeight = FW_BOLD;
        if (italic)
            font.m_logFont.lfItalic = 1;
        if (ownStyle) {
            if (face && !face->m_value.IsEmpty())
                font.SetFaceName(face->m_value);
            if (colour)
                font.m_color = colour->m_value;
        }
    };

    switch (m_kind) {
    case TK_FUNCTION:
        style(base, options.Get(options.m_functionsBold), options.Get(options.m_functionsItalic),
              &options.m_functionFont, &options.m_functionColor);
        return base;
    case TK_CODEDRAW2:
        if (m_text == "lim")
            return base;
        if (m_text == "sigma" || m_text == "sum" || m_text == "product")
            symbol.m_size *= 3;
        return symbol;
    case TK_UNIT:
        style(base, options.Get(options.m_unitsBold), options.Get(options.m_unitsItalic),
              &options.m_unitsFont, &options.m_unitColor);
        return base;
    case TK_SYMBOL:
    case TK_SPACEDSYMBOL: symbol.m_logFont.lfWeight = FW_BOLD; return symbol;
    case TK_GREEK:
        style(symbol, options.Get(options.m_greekBold), options.Get(options.m_greekItalic), nullptr,
              &options.m_greekColor);
        return symbol;
    case TK_MODIFIER:
    case TK_SUBSCRIPT: base.m_logFont.lfWeight = FW_BOLD; return base;
    case TK_MULTIPLY: {
        const int multiply = options.Get(options.m_multiplyStyle);
        KTLogFont& font = multiply == 2 ? base : symbol;
        if (multiply == 1)
            font.m_logFont.lfWeight = FW_BOLD;
        return font;
    }
    case TK_QUOTED:
        style(base, options.Get(options.m_quoteBold), options.Get(options.m_quoteItalic),
              &options.m_quoteFont, &options.m_quoteColor);
        return base;
    case TK_VARIABLE:
        style(base, options.Get(options.m_variablesBold), options.Get(options.m_variablesItalic), nullptr,
              &options.m_variableColor);
        return base;
    case TK_LCVECTOR:
        if (options.Get(options.m_displayVect) == 0)
            base.m_logFont.lfWeight = 900;
        return base;
    default: return base;
    }
}

KTETokenAttributes::KTETokenAttributes(KTEToken& token, KTDC& dc, const KTEOptions& options) : m_dc(dc)
{
    const KTLogFont font = token.ChooseFont(options);
    m_font.m_font = font;
    m_font.m_heightFactor = options.m_scale;
    m_font.Select(dc, true);
    token.m_fontSize = static_cast<int>(font.m_size * options.m_scale);
    token.m_tm = KTEMetricsSource::Current().TextMetrics(dc);

    KTLogPen pen = options.m_generalPen.m_value;
    pen.m_color = options.m_font.m_value.m_color;
    m_pen.SetPen(pen, options.m_scale);
    m_pen.Select(dc);

    m_brush.m_brush = KTLogBrush(0, 1, pen.m_color);
    m_brush.Select(dc);
}

KTETokenAttributes::~KTETokenAttributes()
{
    m_brush.Restore(m_dc);
    m_pen.Restore(m_dc);
    m_font.Restore(m_dc);
}
