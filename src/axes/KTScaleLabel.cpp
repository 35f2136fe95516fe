#include "axes/KTAxisScale.h"

#include "platform/KTDC.h"
#include "platform/KTLocale.h"
#include "typeset/KTEEquation.h"
#include "typeset/KTEOptions.h"

namespace {

/// Tick labels are typeset like every equation shown on the graph, in the scale font, with one
/// minus for all of them: the typeset minus, as a sign ("-10", "-2pi" and "-pi" alike). The
/// multiplication of a power of ten shows as the cross ("5 x 10^-7"), the typesetter's default.
/// The options depend on the font and the user's decimal separator alone; every label of a paint
/// asks for the same, and building them costs more than typesetting the label, so the last ones
/// are kept until either differs. The reference holds until the next call.
const KTEOptions& LabelOptions(const KTLogFont& font)
{
    struct Kept
    {
        bool built = false;
        char decimal = 0;
        KTLogFont font;
        KTEOptions options;
    };
    thread_local Kept kept;
    const char decimal = KTLocale::DecimalSeparator();
    if (!kept.built || kept.decimal != decimal || !(kept.font == font)) {
        kept.built = false;
        kept.options = KTEOptions(KTEPresetGraphing);
        kept.options.m_font.SetValue(font);
        kept.options.m_negativeNumberStyle.m_value = 1;
        kept.decimal = decimal;
        kept.font = font;
        kept.built = true;
    }
    return kept.options;
}

void Typeset(KTEEquation& equation, const CString& text, const KTEOptions& options)
{
    equation.SetText(text, options);
    equation.SignLeadingMinus();
}

} // namespace

CSize KTMeasureScaleLabel(KTDC& dc, const CString& text, const KTLogFont& font)
{
    const KTEOptions& options = LabelOptions(font);
    KTEEquation equation;
    Typeset(equation, text, options);
    const KTEExtent extent = equation.GetExtent(&dc, options);
    return CSize(extent.width, extent.height);
}

std::shared_ptr<KTEEquation> KTTypesetScaleLabel(KTDC& dc, const CString& text, const KTLogFont& font,
                                                 CSize& size)
{
    const KTEOptions& options = LabelOptions(font);
    auto equation = std::make_shared<KTEEquation>();
    Typeset(*equation, text, options);
    const KTEExtent extent = equation->GetExtent(&dc, options);
    size = CSize(extent.width, extent.height);
    return equation;
}

void KTDrawScaleLabel(KTDC& dc, int x, int y, KTEEquation& typeset, const KTLogFont& font)
{
    // The layout the measuring made is kept while the context and the options are the same.
    typeset.Draw(&dc, x, y, LabelOptions(font));
}

void KTDrawScaleLabel(KTDC& dc, int x, int y, const CString& text, const KTLogFont& font)
{
    const KTEOptions& options = LabelOptions(font);
    KTEEquation equation;
    Typeset(equation, text, options);
    equation.Draw(&dc, x, y, options);
}
