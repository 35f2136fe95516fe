#include "ui/KTNumberEdits.h"

#include "foundation/KTNumberFormat.h"
#include "foundation/KTNumberTexts.h"
#include "foundation/KTSentinelValues.h"
#include "platform/KTMessageBox.h"

#include <QLineEdit>

bool KTIsTypedNumber(const CString& text)
{
    KTNumberText reader;
    reader.m_bErrorValue = true;
    return reader.ToDouble(text) != KTUndefinedValue;
}

bool KTIsStepText(const CString& text)
{
    // An empty text is an exact number text that evaluates to 1: a step nobody typed.
    return !text.IsEmpty() && ClassifyNumberText(text) != KTNotANumberText;
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
