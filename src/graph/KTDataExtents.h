#pragma once
// The box that the user functions' values fill, in graph units, for fitting the axes to the
// data (AutoScale). Computed before each layout; never stored.

#include "platform/KTObject.h"

class KTDataExtents : public KTObject
{
public:
    double m_top = 0.0;    ///< y maximum
    double m_left = 0.0;   ///< x minimum
    double m_bottom = 0.0; ///< y minimum
    double m_right = 0.0;  ///< x maximum
};
