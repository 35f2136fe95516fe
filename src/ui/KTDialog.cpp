#include "ui/KTDialog.h"

#include "platform/CString.h"
#include "platform/KTDC.h"
#include "typeset/KTEEquation.h"
#include "typeset/KTEOptions.h"

void KTPaintTypesetPreview(QPainter& painter, const CString& text)
{
    if (text.IsEmpty())
        return;
    const KTEOptions options(KTEPresetGraphing);
    KTDC dc(&painter);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextAlign(TA_LEFT | TA_TOP);
    dc.SetMapMode(MM_HIMETRIC);
    KTEEquation equation;
    equation.SetText(text, options);
    equation.Draw(&dc, 0, 0, options);
}
