#pragma once
// The font, pen and brush that a token's kind takes, selected into a device context for the
// lifetime of this object and restored when it ends (the token's attribute selection).

#include "foundation/KTBrushSelector.h"
#include "foundation/KTFontSelector.h"
#include "foundation/KTPenSelector.h"

class KTDC;
class KTEOptions;
class KTEToken;

class KTETokenAttributes
{
public:
    /// Selects the token's font, pen and brush and reads the font's metrics into the token.
    KTETokenAttributes(KTEToken& token, KTDC& dc, const KTEOptions& options);
    ~KTETokenAttributes();
    KTETokenAttributes(const KTETokenAttributes&) = delete;
    KTETokenAttributes& operator=(const KTETokenAttributes&) = delete;

private:
    KTDC& m_dc;
    KTFontSelector m_font;
    KTPenSelector m_pen;
    KTBrushSelector m_brush;
};
