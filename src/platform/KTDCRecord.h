#pragma once
// One drawing call as a recording device context keeps it, in the caller's logical units,
// so tests can check what was drawn without looking at pixels.

#include "platform/CString.h"
#include "platform/KTBrush.h"
#include "platform/KTFont.h"
#include "platform/KTPen.h"

#include <vector>

enum class KTDCRecordKind { Line, Polyline, Polygon, Rectangle, Ellipse, Pie, Pixel, FillRect, Text };

struct KTDCRecord
{
    KTDCRecordKind kind = KTDCRecordKind::Line;
    /// Line: from, to. Polyline/Polygon: the points. Rectangle, Ellipse, FillRect: two corners.
    /// Pie: two corners, then the start and end radial points. Pixel, Text: the reference point.
    std::vector<CPoint> points;
    CString text;             ///< Text: the bytes as passed
    unsigned textAlign = 0;   ///< Text: the alignment in force
    unsigned textOptions = 0; ///< Text: ETO_* of ExtTextOut (0 for TextOut)
    COLORREF colour = 0;      ///< Text: the text colour; Pixel, FillRect: their colour
    int bkMode = 0;           ///< Text: background mode in force
    int polyFillMode = 0;     ///< Polygon: ALTERNATE or WINDING
    KTPen pen;                ///< the pen in force
    KTBrush brush;            ///< the brush in force
    KTFont font;              ///< Text: the font in force
};
