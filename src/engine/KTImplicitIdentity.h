#pragma once
// Whether the two sides of a relation are equal, to their rounding, everywhere over a view: then
// every point of it satisfies the relation, and a trace of the zero line of their difference
// would draw only the noise of their rounding, at every lattice point.
//
// The sides are compared at the corners of the first cells of the trace's lattice (every 16th
// lattice point) and at a point inside each of those cells off that lattice, so that a view whose
// lattice happens to fall on a curve's points is not taken for the whole; and the range of the
// difference over each first cell must hold zero. The rounding allowed at a point grows with the
// magnitudes of the sides there and at the points around it, and where those do not account for
// the difference, with what the rounding of the sides' terms and of their arguments can change
// them: a side that falls to zero as the sum of terms that do not (x^2 + 2xy + y^2 beside
// x = -y, far from the origin) rounds as its terms do. That is read from the widths of the
// ranges of the sides over a box about the point a small part of its coordinates wide, which
// the terms widen each by its own rate of change.

#include "engine/KTImplicitLattice.h"

#include <functional>

class KTImplicitIdentity
{
public:
    /// left, right := the two sides at a graph point; NaN where one has no value.
    using Sides = std::function<void(double x, double y, double& left, double& right)>;
    /// The sum of the widths of the ranges of the two sides over the box [xLow, xHigh] x
    /// [yLow, yHigh]; not finite where either is unbounded or not known.
    using Widths = std::function<double(double xLow, double xHigh, double yLow, double yHigh)>;
    /// The box about a point whose widths measure the rounding there: this part of the point's
    /// coordinates (of a lattice cell, nearer zero) on either side.
    static constexpr double BoxPart = 1.0 / (1 << 20);
    /// Lattice cells per side of the cells compared at their corners.
    static constexpr int Step = 16;
    /// The rounding allowed, in units of the last place of the magnitudes of the sides.
    static constexpr double Units = 256.0;

    /// Over [xLow, xHigh] x [yLow, yHigh] on a lattice of `columns` x `rows` cells: whether the
    /// sides are equal to their rounding at every point compared where both have values (and
    /// both have some), and the bound of the difference nowhere excludes zero. `widths` and
    /// `bound` may be null. A relation that is not such stops the comparison at its first rows
    /// of points.
    static bool HoldsEverywhere(const Sides& sides, const Widths& widths,
                                const KTImplicitLattice::Bound& bound, double xLow, double xHigh, double yLow,
                                double yHigh, int columns, int rows);
};
