#pragma once
// The user's number conventions. Linux has no locale entry for the list separator: it is ";"
// where the decimal separator is "," and "," otherwise. Tests override all three.

#include "platform/CString.h"

namespace KTLocale {

/// The user's decimal separator character.
char DecimalSeparator();
/// The user's list separator character.
char ListSeparator();
/// The user's country code (the international telephone code: 1 USA, 44 UK, 49 Germany, 358
/// Finland, ...) of the default locale's territory; 1 for a territory the program has no code
/// for.
int CountryCode();

/// Replaces the values read from the system; used by tests and by nothing else.
void Override(char decimal, char list, int country);
/// Returns to the system's values.
void ClearOverride();

/// Makes every C-library number conversion of the process use the C locale.
void UseCNumericLocale();

} // namespace KTLocale
