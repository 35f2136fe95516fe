#pragma once
// Draws point markers centred on a point. A marker is 25 hundredths of a millimetre per unit of
// its half-size factor. On the screen (MM_TEXT, MM_HIMETRIC) the half-size is snapped to whole
// device pixels and cached in a KTOptionMarks record, so markers look alike at every position
// and zoom; printing (MM_ANISOTROPIC) keeps the metric size. Stateless: make one per pass.

#include "foundation/KTMarkerShape.h"
#include "platform/KTGdiTypes.h"

class KTDC;
class KTOptionMarks;
class KTPoint;

class KTMarkerPainter
{
public:
    KTMarkerPainter() = default;
    virtual ~KTMarkerPainter() = default;

    /// Draws the shape centred on (x, y), logical units, with a one-unit inside-frame pen and a
    /// solid brush of the colour; the context's pen and brush are put back afterwards. `marks`
    /// (may be null: nothing is cached) receives the pixel sizes still at -1. A point that is
    /// not finite or lies beyond +-1e9 draws nothing, as do shape 7 and unknown shapes.
    void Draw(KTDC& dc, double x, double y, KTMarkerShape shape, KTOptionMarks* marks, COLORREF colour) const;
    void Draw(KTDC& dc, const KTPoint& point, int shape, KTOptionMarks* marks, COLORREF colour) const;
    void DrawAt(KTDC& dc, int x, int y, KTMarkerShape shape, KTOptionMarks* marks, COLORREF colour) const;

    /// The circle alone, in the pen and brush already selected: the box (x - 3 width, y - 3 height)
    /// to (x + 3 width, y + 3 height); on the screen a radius of whole pixels taken from (or
    /// cached into) the third option of `marks`.
    void DrawCircle(KTDC& dc, double x, double y, double width, double height, KTOptionMarks* marks) const;
};
