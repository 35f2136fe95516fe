#pragma once
// The measured box of a token, a list or a whole equation, in logical units of the device
// context (y grows upwards: the box's bottom is its lowest point).

struct KTEExtent
{
    int width = 0;            ///< horizontal advance
    int height = 0;           ///< from the bottom of the box to its top
    int descent = 0;          ///< from the bottom of the box up to the baseline ("align")
    int placement = 0;        ///< vertical offset within the list, set before drawing ("adjust")
    int raise = 0;            ///< a power's raise ("PowerRaise" x ascent); 0 for other kinds
    unsigned char raised = 0; ///< 1 for a power (a superscript of what precedes it)
    int margin = 0;           ///< side margin: a third of the average character width

    friend bool operator==(const KTEExtent&, const KTEExtent&) = default;
};
