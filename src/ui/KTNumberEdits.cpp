#include "ui/KTNumberEdits.h"

#include "foundation/KTNumberFormat.h"
#include "foundation/KTNumberTexts.h"
#include "foundation/KTSentinelValues.h"
#include "platform/KTMessageBox.h"

#include <QLineEdit>

#include <cmath>

bool KTIsTypedNumber(const CString& text)
{
    KTNumberText reader;
    reader.m_bErrorValue = true;
    return reader.ToDouble(text) != KTUndefinedValue;
}

bool KTIsStepText(const CString& text)
{
    // An empty text is an exact number text that evaluates to 1: a step nobody typed. A power of
    // ten past the doubles ("1e400") or a zero denominator classifies as a number yet has no value.
    return !text.IsEmpty() && ClassifyNumberText(text) != KTNotANumberText &&
           std::isfinite(EvaluateNumberText(text, nullptr));
}

bool KTCheckNumberEdit(QLineEdit* edit, CString& text, bool (*accepts)(const CString&))
{
    text = CString::FromQString(edit->text().trimmed());
    if (accepts(text))
        return true;
    KTMessageBox("KT Graph 3", "Please enter a number.", MB_OK | MB_ICONWARNING);
    edit->setFocus();
    edit->selectAll();
    return false;
}
