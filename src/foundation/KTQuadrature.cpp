#include "foundation/KTQuadrature.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Nodes of the 15-point Kronrod rule on [-1, 1] (the odd-numbered ones are the 7-point Gauss
// nodes), largest first; the last is 0.
constexpr double kNodes[8] = {0.991455371120812639206854697526329, 0.949107912342758524526189684047851,
                              0.864864423359769072789712788640926, 0.741531185599394439863864773280788,
                              0.586087235467691130294144845693013, 0.405845151377397166906606412076961,
                              0.207784955007898467600689403773245, 0.0};
constexpr double kKronrod[8] = {0.022935322010529224963732008058970, 0.063092092629978553290700663189204,
                                0.104790010322250183839876322541518, 0.140653259715525918745189590510238,
                                0.169004726639267902826583426598550, 0.190350578064785409913256402421014,
                                0.204432940075298892414161999234649, 0.209482141084727828012999174891714};
/// Gauss weights of the nodes 1, 3, 5 and 7 (0).
constexpr double kGauss[4] = {0.129484966168869693270611432679082, 0.279705391489276667901467771423780,
                              0.381830050505118944950369775488975, 0.417959183673469387755102040816327};

struct Piece
{
    double a = 0.0;
    double b = 0.0;
    double value = 0.0;
    double magnitude = 0.0; ///< the rule's integral of |f|
    double error = 0.0;
};

Piece Rule(const std::function<double(double)>& f, double a, double b, int& evaluations)
{
    const double centre = 0.5 * (a + b);
    const double half = 0.5 * (b - a);
    const double fc = f(centre);
    double kronrod = kKronrod[7] * fc;
    double gauss = kGauss[3] * fc;
    double magnitude = kKronrod[7] * std::fabs(fc);
    for (int i = 0; i < 7; ++i) {
        const double d = half * kNodes[i];
        const double left = f(centre - d);
        const double right = f(centre + d);
        kronrod += kKronrod[i] * (left + right);
        magnitude += kKronrod[i] * (std::fabs(left) + std::fabs(right));
        if (i % 2 == 1)
            gauss += kGauss[i / 2] * (left + right);
    }
    evaluations += 15;
    Piece piece;
    piece.a = a;
    piece.b = b;
    piece.value = kronrod * half;
    piece.magnitude = magnitude * std::fabs(half);
    piece.error = std::fabs((kronrod - gauss) * half);
    return piece;
}

} // namespace

KTQuadrature::Result KTQuadrature::Integrate(const std::function<double(double)>& f, double a, double b,
                                             double relTolerance, double absTolerance, int maxPieces)
{
    Result result;
    if (a == b) {
        result.converged = true;
        return result;
    }
    const auto larger = [](const Piece& x, const Piece& y) { return x.error < y.error; };
    std::vector<Piece> pieces;
    pieces.reserve(static_cast<std::size_t>(std::max(1, maxPieces)));
    pieces.push_back(Rule(f, a, b, result.evaluations));
    double value = pieces[0].value;
    double magnitude = pieces[0].magnitude;
    double error = pieces[0].error;
    const auto goal = [&]() { return std::max(absTolerance, relTolerance * magnitude); };
    while (!(error <= goal()) && static_cast<int>(pieces.size()) < maxPieces) {
        // Halve the piece with the largest error (a max-heap on the error).
        std::pop_heap(pieces.begin(), pieces.end(), larger);
        const Piece worst = pieces.back();
        pieces.pop_back();
        const double mid = 0.5 * (worst.a + worst.b);
        if (!(mid > std::min(worst.a, worst.b) && mid < std::max(worst.a, worst.b))) {
            // No double between the ends: it cannot be halved further, and stays as it is.
            pieces.push_back(worst);
            std::push_heap(pieces.begin(), pieces.end(), larger);
            break;
        }
        const Piece left = Rule(f, worst.a, mid, result.evaluations);
        const Piece right = Rule(f, mid, worst.b, result.evaluations);
        value += left.value + right.value - worst.value;
        magnitude += left.magnitude + right.magnitude - worst.magnitude;
        // Summed afresh: subtracting large errors from a running total would leave rounding.
        pieces.push_back(left);
        std::push_heap(pieces.begin(), pieces.end(), larger);
        pieces.push_back(right);
        std::push_heap(pieces.begin(), pieces.end(), larger);
        error = 0.0;
        for (const Piece& p : pieces)
            error += p.error;
    }
    // The running sums drift with every update; the pieces' own values are summed once more.
    value = 0.0;
    for (const Piece& p : pieces)
        value += p.value;
    result.value = value;
    result.error = error;
    result.worstFrom = pieces.front().a;
    result.worstTo = pieces.front().b;
    result.magnitude = magnitude;
    result.converged = std::isfinite(value) && error <= goal();
    return result;
}
