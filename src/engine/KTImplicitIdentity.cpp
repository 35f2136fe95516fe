#include "engine/KTImplicitIdentity.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

struct SidesAt
{
    double left, right;
};

bool Defined(const SidesAt& s)
{
    return !std::isnan(s.left) && !std::isnan(s.right);
}

/// What the point adds to the magnitudes around it: its finite sides.
double PointMagnitude(const SidesAt& s)
{
    if (!Defined(s) || !std::isfinite(s.left) || !std::isfinite(s.right))
        return 0.0;
    return std::fabs(s.left) + std::fabs(s.right);
}

/// The sides agree to their rounding at a point where the sides around it have the magnitude
/// `around`; a point where one has no value says nothing.
bool Agree(const SidesAt& s, double around)
{
    if (!Defined(s))
        return true;
    if (!std::isfinite(s.left) || !std::isfinite(s.right))
        return s.left == s.right;
    const double scale = std::max(around, std::fabs(s.left) + std::fabs(s.right));
    return std::fabs(s.left - s.right) <=
           KTImplicitIdentity::Units * std::numeric_limits<double>::epsilon() * scale;
}

/// Where a lattice of `cells` cells over [low, high] puts its line at `position`, as the trace's
/// lattice does (its last line exactly on the edge).
double LatticeLine(double low, double high, int cells, double position)
{
    return position >= cells ? high : low + (high - low) * position / cells;
}

} // namespace

bool KTImplicitIdentity::HoldsEverywhere(const Sides& sides, const Widths& widths,
                                         const KTImplicitLattice::Bound& bound, double xLow, double xHigh,
                                         double yLow, double yHigh, int columns, int rows)
{
    const int nx = (columns + Step - 1) / Step + 1;
    const int ny = (rows + Step - 1) / Step + 1;
    const auto lineX = [&](int k) { return LatticeLine(xLow, xHigh, columns, double(std::min(k * Step, columns))); };
    const auto lineY = [&](int k) { return LatticeLine(yLow, yHigh, rows, double(std::min(k * Step, rows))); };
    std::vector<SidesAt> at(static_cast<std::size_t>(nx) * static_cast<std::size_t>(ny));
    std::vector<double> magnitude(at.size());
    const auto index = [nx](int i, int j) { return static_cast<std::size_t>(j) * static_cast<std::size_t>(nx) + i; };
    long long defined = 0;
    // What rounding can change the sides by at a point, taken only where the points around it
    // do not account for the difference there: beside the zeros of an identity.
    const double cellWidth = (xHigh - xLow) / columns;
    const double cellHeight = (yHigh - yLow) / rows;
    const auto roundingAt = [&](double x, double y) {
        if (!widths)
            return 0.0;
        const double hx = BoxPart * std::max(std::fabs(x), cellWidth);
        const double hy = BoxPart * std::max(std::fabs(y), cellHeight);
        const double w = widths(x - hx, x + hx, y - hy, y + hy);
        return std::isfinite(w) ? w / (2.0 * BoxPart) : 0.0;
    };
    // Row j is judged once the row above it is known: most relations fail in their first rows.
    const auto judgeRow = [&](int j) {
        for (int i = 0; i < nx; ++i) {
            double around = 0.0;
            for (int b = std::max(0, j - 1); b <= std::min(ny - 1, j + 1); ++b)
                for (int a = std::max(0, i - 1); a <= std::min(nx - 1, i + 1); ++a)
                    around = std::max(around, magnitude[index(a, b)]);
            const SidesAt& s = at[index(i, j)];
            if (!Agree(s, around) && !Agree(s, roundingAt(lineX(i), lineY(j))))
                return false;
            defined += Defined(s) ? 1 : 0;
        }
        return true;
    };
    for (int j = 0; j < ny; ++j) {
        const double y = lineY(j);
        for (int i = 0; i < nx; ++i) {
            SidesAt& s = at[index(i, j)];
            sides(lineX(i), y, s.left, s.right);
            magnitude[index(i, j)] = PointMagnitude(s);
        }
        if (j > 0 && !judgeRow(j - 1))
            return false;
    }
    if (!judgeRow(ny - 1) || defined == 0)
        return false;

    // A point inside each first cell, at no simple part of it, against the magnitudes at its
    // corners; and the range of the difference over the cell.
    for (int j = 0; j + 1 < ny; ++j)
        for (int i = 0; i + 1 < nx; ++i) {
            const double x0 = lineX(i), x1 = lineX(i + 1);
            const double y0 = lineY(j), y1 = lineY(j + 1);
            SidesAt s{};
            const double x = x0 + 0.3819660112501051 * (x1 - x0);
            const double y = y0 + 0.6180339887498949 * (y1 - y0);
            sides(x, y, s.left, s.right);
            const double around = std::max({magnitude[index(i, j)], magnitude[index(i + 1, j)],
                                            magnitude[index(i, j + 1)], magnitude[index(i + 1, j + 1)]});
            if (!Agree(s, around) && !Agree(s, roundingAt(x, y)))
                return false;
        }
    if (bound)
        for (int j = 0; j + 1 < ny; ++j)
            for (int i = 0; i + 1 < nx; ++i)
                if (bound(lineX(i), lineX(i + 1), lineY(j), lineY(j + 1), false, true).value.ExcludesZero())
                    return false;
    return true;
}
