#pragma once
// A setting whose value is a font record.

#include "foundation/KTAttributeOption.h"
#include "foundation/KTLogFont.h"

/// Value and default are default fonts (Arial, 11 points); key and section are empty.
class KTOptionKTLogFont : public KTAttributeOption<KTLogFont>
{
public:
    // Out of line: its translation unit also registers the class, and must be linked.
    ~KTOptionKTLogFont() override;
    void SetValue(const KTLogFont& font) { m_value = font; }
};
