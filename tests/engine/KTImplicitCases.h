#pragma once
// Typed relations whose pictures must be complete and smooth, shared by the implicit-plot tests
// and the implicit-plot benchmark: each is drawn over its view (-range..range on both axes about
// the origin unless it says otherwise) on a page of 1600 x 1200 pixels, angles in radians; and
// the window sizes and views the tests also draw them in.

namespace kttest {

struct ImplicitCase
{
    const char* name; ///< also the name of its picture
    const char* text; ///< as the user types it
    double range;     ///< half the width of the view
    bool implicit;    ///< interpreted as an implicit relation (else as two explicit branches)
    double cx = 0.0;  ///< the view's centre
    double cy = 0.0;
    double yRange = 0.0; ///< half the height of the view; 0: the range
    /// Members of the family a = 1, 2, ..., members (0: no family).
    int members = 0;
    /// The two sides are equal everywhere: nothing is drawn, and the function says so.
    bool identity = false;
    /// One of the relations that were drawn whole and fast before views far out, cusps,
    /// identities and families were looked at: held to the older, closer goal of time.
    bool established = false;

    double XLow() const { return cx - range; }
    double XHigh() const { return cx + range; }
    double YLow() const { return cy - (yRange > 0.0 ? yRange : range); }
    double YHigh() const { return cy + (yRange > 0.0 ? yRange : range); }
};

inline constexpr ImplicitCase kImplicitCases[] = {
    {.name = "tan-lines", .text = "tan(35.6x)=0", .range = 5, .implicit = true, .established = true},
    {.name = "sine-pattern-10",
     .text = "sin(x^2+y^2)=cos(xy)",
     .range = 10,
     .implicit = true,
     .established = true},
    {.name = "sine-pattern-5",
     .text = "sin(x^2+y^2)=cos(xy)",
     .range = 5,
     .implicit = true,
     .established = true},
    {.name = "two-small-circles",
     .text = "(x^2+y^2-0.01)(x^2+y^2-0.04)=0",
     .range = 5,
     .implicit = true,
     .established = true},
    {.name = "two-small-circles-10",
     .text = "(x^2+y^2-0.01)(x^2+y^2-0.04)=0",
     .range = 10,
     .implicit = true,
     .established = true},
    {.name = "lemniscate",
     .text = "(x^2+y^2)^2=4(x^2-y^2)",
     .range = 5,
     .implicit = true,
     .established = true},
    {.name = "folium", .text = "x^3+y^3=3xy", .range = 5, .implicit = true, .established = true},
    {.name = "square-root-sum",
     .text = "sqrt(x)+sqrt(y)=1",
     .range = 2,
     .implicit = true,
     .established = true},
    {.name = "far-circle", .text = "x^2+y^2=1000000000000", .range = 2e6, .implicit = true},
    {.name = "far-unit-circle",
     .text = "(x-1000000)^2+(y-1000000)^2=1",
     .range = 2,
     .implicit = true,
     .cx = 1e6,
     .cy = 1e6},
    {.name = "far-unit-circle-1e8",
     .text = "(x-100000000)^2+(y-100000000)^2=1",
     .range = 2,
     .implicit = true,
     .cx = 1e8,
     .cy = 1e8},
    {.name = "far-sines",
     .text = "sin(x)+sin(y)=1",
     .range = 5,
     .implicit = true,
     .cx = 100005,
     .cy = 100005},
    {.name = "far-sines-1e8",
     .text = "sin(x)+sin(y)=1",
     .range = 5,
     .implicit = true,
     .cx = 1e8 + 5,
     .cy = 1e8 + 5},
    {.name = "wide-sines", .text = "sin(x/500000)+sin(y/500000)=1", .range = 2e6, .implicit = true},
    {.name = "cube-root-cusp", .text = "(x-0.05)^(1/3)+y^(1/3)=1", .range = 0.1, .implicit = true, .cy = 1},
    {.name = "root-diamond", .text = "sqrt(abs(x))+sqrt(abs(y))=2", .range = 5, .implicit = true},
    {.name = "sine-identity",
     .text = "sin(x+y)=sin(x)cos(y)+cos(x)sin(y)",
     .range = 10,
     .implicit = true,
     .identity = true},
    {.name = "square-identity",
     .text = "(x+y)^2=x^2+2xy+y^2",
     .range = 10,
     .implicit = true,
     .identity = true},
    {.name = "sine-identity-1e5",
     .text = "sin(x+y)=sin(x)cos(y)+cos(x)sin(y)",
     .range = 10,
     .implicit = true,
     .cx = 1e5,
     .cy = -1e5,
     .identity = true},
    {.name = "square-identity-1e6",
     .text = "(x+y)^2=x^2+2xy+y^2",
     .range = 5,
     .implicit = true,
     .cx = 1e6,
     .cy = 1e6,
     .identity = true},
    {.name = "square-identity-1e8",
     .text = "(x+y)^2=x^2+2xy+y^2",
     .range = 2,
     .implicit = true,
     .cx = 1e8,
     .cy = -1e8,
     .identity = true},
    {.name = "power-swap", .text = "x^y=y^x", .range = 10, .implicit = true},
    {.name = "sine-swap", .text = "sin(x)=sin(y)", .range = 10, .implicit = true},
    {.name = "sine-swap-1e6", .text = "sin(x)=sin(y)", .range = 10, .implicit = true, .cx = 1e6, .cy = 1e6},
    {.name = "power-family", .text = "x^y=ay^x", .range = 10, .implicit = true, .members = 20},
    {.name = "tan-product", .text = "tan(xy)=1", .range = 50, .implicit = true},
    {.name = "wide-sine-cosine", .text = "sin(x)+cos(y)=0.5", .range = 1000, .implicit = true},
    {.name = "fraction-sine", .text = "sin(y)=x-gint(x)", .range = 5, .implicit = true},
    {.name = "sign-steps", .text = "y+sin(y)=x/abs(x)", .range = 5, .implicit = true},
    {.name = "pole-sine", .text = "y+sin(y)=1/x", .range = 5, .implicit = true},
    {.name = "reciprocal-tan", .text = "1/tan(3x+1.2)=0", .range = 5, .implicit = true},
    {.name = "whole-steps", .text = "y^3+y=gint(x)", .range = 5, .implicit = true},
    {.name = "remainder-cosine", .text = "x-2gint(x/2)=cos(y)+1", .range = 5, .implicit = true},
    {.name = "constant-power", .text = "x^(a+2)=y", .range = 2, .implicit = true},
    {.name = "fifth-root", .text = "(x-0.3)^(1/5)=sin(y)", .range = 2, .implicit = true, .cx = 0.3},
    {.name = "tiny-circle-5", .text = "x^2+y^2=0.0001", .range = 5, .implicit = false},
    {.name = "tiny-circle-10", .text = "x^2+y^2=0.0001", .range = 10, .implicit = false},
    {.name = "offset-circle-5", .text = "(x-0.03)^2+(y-0.03)^2=0.0001", .range = 5, .implicit = false},
    {.name = "offset-circle-10", .text = "(x-0.03)^2+(y-0.03)^2=0.0001", .range = 10, .implicit = false},
    {.name = "circle-25", .text = "x^2+y^2=25", .range = 10, .implicit = false},
    {.name = "cusp", .text = "y^2=x^3", .range = 5, .implicit = false},
    {.name = "crossing-lines", .text = "x^2=y^2", .range = 5, .implicit = false},
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
