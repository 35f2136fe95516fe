#pragma once
// Small shared helpers: membership in terminated constant lists, a colour lightener for the
// hover tips, and the shell call that opens a file or web page.

#include "platform/CString.h"
#include "platform/KTGdiTypes.h"

#include <cstdint>

/// True when c is one of the characters of the zero-terminated set; the terminator never matches.
bool CharInSet(char c, const char* set);
/// True when value is an entry of a list ended by 0 (so 0 is never found).
bool IntInList(std::int32_t value, const std::int32_t* list);
/// True when value equals (exactly) an entry of a list ended by 0.0 (so 0.0 is never found).
bool DoubleInList(double value, const double* list);

/// The colour's hue with whiteness `factor` (0: the fully saturated hue, 1: white); a factor
/// outside [0, 1] (or not a number) is taken as 0.9. A grey becomes the grey of level factor.
COLORREF LightenColor(COLORREF colour, double factor);

/// Opens a file, folder or web address with the desktop's default handler. Failures are not
/// reported, as nothing waits on them.
void ShellOpenMaximized(const CString& target);
