#pragma once
// Draws the symbol at the end of a line (arrow heads, bars, slashes, circles, a pie) in the
// direction of the line. Sizes are hundredths of a millimetre. Stateless: make one per pass.

#include "foundation/KTLineEndStyle.h"
#include "platform/KTGdiTypes.h"

class KTDC;
class KTPoint;

class KTLineEndPainter
{
public:
    KTLineEndPainter() = default;
    virtual ~KTLineEndPainter() = default;

    /// Draws the end of the line from `other` to `end` at `end` (moved on by half the size along
    /// the line when `offset` is set), logical units. Heads are `size` long and wide, circles of
    /// radius `size`. Outlines use a thin pen of the colour; fills use the context's brush (a
    /// hollow one made solid), style 25 the colour itself. The context's pen and brush are put
    /// back. Style 10, unknown styles and points that are not finite or lie beyond +-1e9 draw
    /// nothing.
    void Draw(KTDC& dc, const KTPoint& end, const KTPoint& other, KTLineEndStyle style, int size, bool offset,
              COLORREF colour) const;
    /// The same with integer points: the end at (x, y), the line coming from (fromX, fromY).
    void DrawAt(KTDC& dc, int x, int y, int fromX, int fromY, int style, int size, bool offset,
                COLORREF colour) const;
};
