#include "axes/KTAxisScale.h"

#include "platform/KTDC.h"
#include "typeset/KTEEquation.h"
#include "typeset/KTEOptions.h"

namespace {

/// Tick labels are typeset like every equation shown on the graph, in the scale font.
KTEOptions LabelOptions(const KTLogFont& font)
{
    KTEOptions options(KTEPresetGraphing);
    options.m_font.SetValue(font);
    return options;
}

} // namespace

CSize KTMeasureScaleLabel(KTDC& dc, const CString& text, const KTLogFont& font)
{
    const KTEOptions options = LabelOptions(font);
    KTEEquation equation;
    equation.SetText(text, options);
    const KTEExtent extent = equation.GetExtent(&dc, options);
    return CSize(extent.width, extent.height);
}

void KTDrawScaleLabel(KTDC& dc, int x, int y, const CString& text, const KTLogFont& font)
{
    const KTEOptions options = LabelOptions(font);
    KTEEquation equation;
    equation.SetText(text, options);
    equation.Draw(&dc, x, y, options);
}
