#pragma once
// A setting whose value is a pen record.

#include "foundation/KTAttributeOption.h"
#include "foundation/KTLogPen.h"

/// Value and default are kind 0, style 6, colour 0 and width 0; key and section are empty.
class KTOptionKTLogPen : public KTAttributeOption<KTLogPen>
{
public:
    // Out of line: its translation unit also registers the class, and must be linked.
    ~KTOptionKTLogPen() override;
};
