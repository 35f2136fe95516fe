#pragma once
// Where a curve leaves the view between a parameter at which it is in view and one at which it is
// not: the step between them is halved, keeping the last parameter in view, until its point lies
// within a small part of a pixel of the edge, or the parameters run out of bits. Explicit,
// parametric and polar curves search alike; each says how far inside the view its points lie.

/// `depth(t, point)` sets the curve's point at t and returns how far inside the view it lies
/// (negative outside), in the units of `enough`; `insideDepth` is that of `inside`, whose point
/// is in `point`. Returns the last parameter found in view, with its point in `point`.
template <class Point, class Depth>
double KTEdgeSearch(double inside, double outside, double insideDepth, Point& point, double enough,
                    int halvings, const Depth& depth)
{
    for (int k = 0; k < halvings && insideDepth > enough; ++k) {
        const double middle = inside + 0.5 * (outside - inside);
        if (middle == inside || middle == outside)
            break;
        Point p{};
        const double d = depth(middle, p);
        if (d >= 0.0) {
            inside = middle;
            point = p;
            insideDepth = d;
        } else {
            outside = middle;
        }
    }
    return inside;
}
