#pragma once
// The point-marker kinds of the point-style picker, of grid points and of annotation anchors.
// The numbers are stored in settings and documents.

enum KTMarkerShape : int {
    KTMarkerShapeCross = 1,    ///< a horizontal and a vertical line
    KTMarkerShapeDot = 2,      ///< a filled ellipse, half-size factor 2
    KTMarkerShapeCircle = 3,   ///< a filled ellipse, half-size factor 3
    KTMarkerShapeDiamond = 4,  ///< a filled four-point polygon
    KTMarkerShapeSquare = 5,   ///< a filled rectangle
    KTMarkerShapeEx = 6,       ///< two diagonal lines
    KTMarkerShapeNone = 7,     ///< nothing
    KTMarkerShapeAsterisk = 8, ///< the cross, then the ex
    KTMarkerShapePixel = 9,    ///< one black pixel, whatever the colour
    KTMarkerShapeSmallDot = 10 ///< a filled ellipse, half-size factor 1
};
