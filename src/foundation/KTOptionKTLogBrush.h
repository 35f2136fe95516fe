#pragma once
// A setting whose value is a brush record.

#include "foundation/KTAttributeOption.h"
#include "foundation/KTLogBrush.h"

/// Value and default are kind 0, style 1 (solid), colour 0 and hatch 0; key and section are empty.
class KTOptionKTLogBrush : public KTAttributeOption<KTLogBrush>
{
public:
    // Out of line: its translation unit also registers the class, and must be linked.
    ~KTOptionKTLogBrush() override;
};
