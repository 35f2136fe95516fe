#include "ui/KTNumberEdits.h"

#include "foundation/KTLocaleChars.h"
#include "foundation/KTNumberFormat.h"
#include "foundation/KTNumberTexts.h"
#include "foundation/KTSentinelValues.h"
#include "platform/KTMessageBox.h"

#include <QLineEdit>

#include <algorithm>
#include <cmath>
#include <string>

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

bool KTReadDecimal(const CString& typed, double& value)
{
    std::string text = CString(typed).Trim(" \t").str();
    if (text.empty())
        return false;
    // The user's separator is read as the C library reads a point; a text with both (a point
    // grouping thousands before a comma) stops at the second and is refused.
    const char decimal = KTLocaleChars().m_chDecimal;
    if (decimal != 0 && decimal != '.')
        std::replace(text.begin(), text.end(), decimal, '.');
    int read = 0;
    const double parsed = KTStrToDoubleC(text.c_str(), &read);
    if (read != static_cast<int>(text.size()) || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

CString KTDecimalText(double value)
{
    std::string text = KTFormatC("%.15g", value);
    const char decimal = KTLocaleChars().m_chDecimal;
    if (decimal != 0)
        std::replace(text.begin(), text.end(), '.', decimal);
    return CString(std::move(text));
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
