#pragma once
// Edits that hold a typed number: what a dialog refuses on OK, with the framework's message for
// a bad number, instead of storing a text that would later be read as some other value.

#include "platform/CString.h"

class QLineEdit;

/// Does the text read wholly as a number, as ranges and constants are read ("1e3", "-pi/2",
/// "2,5")?
bool KTIsTypedNumber(const CString& text);
/// Is the text a number text that steps can be counted in ("pi/6", "0.5", "2a"; not "")?
bool KTIsStepText(const CString& text);

/// A plain decimal as the user types it: with the user's decimal separator or in the C form
/// ("12,5" and "12.5" under a decimal comma, only "12.5" under a decimal point), an exponent
/// allowed, blanks around it allowed. False, and `value` untouched, for anything else, for a
/// value that is not finite ("nan", "inf", "1e400") and for an empty text.
bool KTReadDecimal(const CString& typed, double& value);
/// A value for a decimal edit or a message: up to 15 significant digits, the user's decimal
/// separator ("12,5" under a decimal comma).
CString KTDecimalText(double value);

/// The edit's text, trimmed, into `text`. When `accepts` refuses it: the message "Please enter a
/// number." in a box, the edit focused with its text selected, and false (`text` is set all the
/// same).
bool KTCheckNumberEdit(QLineEdit* edit, CString& text, bool (*accepts)(const CString&) = KTIsTypedNumber);
