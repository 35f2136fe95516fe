#pragma once
// The symbols drawn at the end of a line: curve ends, domain ends, tangents, annotation arrows.
// The numbers are stored in settings and documents; a domain end uses 10, 11, 17 or 25.

enum KTLineEndStyle : int {
    KTLineEndNone = 10,               ///< nothing (a domain end without a mark)
    KTLineEndOpenArrow = 11,          ///< two lines meeting at the end (also "unbounded")
    KTLineEndFilledArrow = 12,        ///< a filled triangle as long as it is wide
    KTLineEndNotchedArrow = 13,       ///< a filled head notched at its base
    KTLineEndPie = 14,                ///< a filled sector of a circle about the end
    KTLineEndBar = 15,                ///< one line across the end
    KTLineEndBrushCircle = 16,        ///< a circle in the context's current brush colour
    KTLineEndWhiteCircle = 17,        ///< a circle filled white (an open domain end)
    KTLineEndHollowCircle = 18,       ///< an unfilled circle
    KTLineEndSlash = 19,              ///< one slanted line across the end
    KTLineEndDoubleSlash = 20,        ///< two slanted lines
    KTLineEndTripleSlash = 21,        ///< three slanted lines
    KTLineEndDoubleOpenArrow = 22,    ///< two open heads, one behind the other
    KTLineEndDoubleFilledArrow = 23,  ///< two filled heads
    KTLineEndDoubleNotchedArrow = 24, ///< two notched heads
    KTLineEndColourCircle = 25,       ///< a circle filled in the given colour (a closed domain end)
};
