#pragma once
// Where a hover tip belongs: its hot rectangle and the graph point under the mouse when it was
// armed. The tip window keeps the current one and hands it to the view with each relayed click.

#include "foundation/KTPoint.h"
#include "platform/KTGdiTypes.h"

struct KTTipSpot
{
    CRect m_rect;
    KTPoint m_point;
};
