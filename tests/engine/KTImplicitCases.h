#pragma once
// Typed relations whose pictures must be complete and smooth, shared by the implicit-plot tests
// and the implicit-plot benchmark: each is drawn over -range..range on both axes of a page of
// 1600 x 1200 pixels, angles in radians; and the window sizes and views the tests also draw them
// in.

namespace kttest {

struct ImplicitCase
{
    const char* name; ///< also the name of its picture
    const char* text; ///< as the user types it
    double range;
    bool implicit; ///< interpreted as an implicit relation (else as two explicit branches)
};

inline constexpr ImplicitCase kImplicitCases[] = {
    {"tan-lines", "tan(35.6x)=0", 5, true},
    {"sine-pattern-10", "sin(x^2+y^2)=cos(xy)", 10, true},
    {"sine-pattern-5", "sin(x^2+y^2)=cos(xy)", 5, true},
    {"two-small-circles", "(x^2+y^2-0.01)(x^2+y^2-0.04)=0", 5, true},
    {"two-small-circles-10", "(x^2+y^2-0.01)(x^2+y^2-0.04)=0", 10, true},
    {"lemniscate", "(x^2+y^2)^2=4(x^2-y^2)", 5, true},
    {"folium", "x^3+y^3=3xy", 5, true},
    {"square-root-sum", "sqrt(x)+sqrt(y)=1", 2, true},
    {"tiny-circle-5", "x^2+y^2=0.0001", 5, false},
    {"tiny-circle-10", "x^2+y^2=0.0001", 10, false},
    {"offset-circle-5", "(x-0.03)^2+(y-0.03)^2=0.0001", 5, false},
    {"offset-circle-10", "(x-0.03)^2+(y-0.03)^2=0.0001", 10, false},
    {"circle-25", "x^2+y^2=25", 10, false},
    {"cusp", "y^2=x^3", 5, false},
    {"crossing-lines", "x^2=y^2", 5, false},
};

/// Window sizes in device pixels that a user may give a graph, from the smallest to a maximised
/// window on a large screen.
struct WindowSize
{
    int width, height;
};

inline constexpr WindowSize kWindowSizes[] = {{400, 300},  {500, 400},  {640, 480},   {800, 600},  {836, 565},
                                              {1024, 768}, {1366, 768}, {1600, 1200}, {2560, 1600}};

/// Views of a case: its range scaled by `zoom` (0.1 zoomed in, 10 zoomed out) about a centre
/// moved by the given parts of its range.
struct View
{
    const char* name;
    double zoom;
    double shiftX, shiftY;
};

inline constexpr View kViews[] = {
    {"centred", 1.0, 0.0, 0.0},
    {"off-centre", 1.0, 0.37, -0.21},
    {"zoomed-in", 0.1, 0.013, 0.007},
    {"zoomed-out", 10.0, 0.0, 0.0},
};

} // namespace kttest
