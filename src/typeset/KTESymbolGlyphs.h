#pragma once
// Glyphs taller than one character, built from the extension pieces of the "Symbol" face, and
// the small drawn decorations of vectors and modifiers. Lengths in logical units (y up).

#include "platform/CString.h"
#include "platform/KTGdiTypes.h"

class KTDC;
class KTEOptions;

/// Width and height of a bracket (or integral) glyph of the given height for a font of size s.
/// Up to 1.3 s the glyph is one Symbol character; above that it is built from pieces.
CSize MeasureBracketGlyph(KTDC* dc, CString text, int height, int fontSize);

/// Draws the glyph from pieces, its ink reaching from y down by the height it was measured
/// for (`height` is the measured glyph height, 1.05 times that). False when it is short enough to be one
/// character, which the caller then writes itself ("]|" and "|[" become "|" in text).
bool DrawBracketGlyph(KTDC* dc, int x, int y, CString& text, int height, int fontSize);

/// Draws the named decoration ("_", "AB", "LC", "IVRIGHT", "IVLEFT", "IVBOTH", ":", "::", "^^")
/// over content of the given width whose bottom is y; offset is the content's height.
void DrawDecoration(KTDC* dc, const CString& name, int x, int y, int width, int offset,
                    const KTEOptions& options);
