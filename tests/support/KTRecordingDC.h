#pragma once
// A context that records what is drawn on it, in the views' metric mapping (hundredths of a
// millimetre, y upwards), on an 800 x 600 device of 96 dots per inch.

#include "platform/KTDC.h"

namespace kttest {

struct RecordingDC
{
    RecordingDC()
    {
        dc.SetMapMode(MM_HIMETRIC);
        dc.SetRecording(true);
    }
    KTDC dc{96, 96, CSize(800, 600)};
};

} // namespace kttest
