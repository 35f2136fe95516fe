#include "foundation/KTImproperIntegral.h"

#include "foundation/KTQuadrature.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

/// A result is taken when its estimated error is at most this part of the integral of |f|.
constexpr double kAcceptedError = 1e-9;
/// Growth below this is no pole worth the name (ln |x| grows, but by less than any power).
constexpr double kSingularGrowth = 0.2;

bool Accepted(const KTQuadrature::Result& r, double magnitude)
{
    return std::isfinite(r.value) && r.error <= kAcceptedError * std::fabs(magnitude);
}

/// The integral from c to end (either side of c) of f and of |f|. From c out to 1e8 of the
/// doubles' steps at c, f is taken to follow the power its growth shows there: near c, x - c
/// carries few digits (within a step of c none), and the part a rule would miss there is 1e-4
/// of the integral for a growth of 0.75 at 0.25; 1e8 steps out the growth is read to eight
/// digits. Beyond, the rule runs through x = c + d + (w - d) s^k: near s = 0 the factor
/// s^(k - 1) of dx outweighs a growth of |x - c|^-p for k (1 - p) >= 2.
bool TowardsSpot(const std::function<double(double)>& f, double c, double end, int k, double& value,
                 double& magnitude)
{
    const double side = end > c ? 1.0 : -1.0;
    const double width = std::fabs(end - c);
    const double near = std::min(1e8 * std::max(std::fabs(c) * 2.3e-16, 1e-300), width / 100.0);
    const auto stretched = [&](double s) {
        const double x = c + side * (near + (width - near) * std::pow(s, k));
        return f(x) * side * (width - near) * k * std::pow(s, k - 1);
    };
    const KTQuadrature::Result size =
        KTQuadrature::Integrate([&](double s) { return std::fabs(stretched(s)); }, 0.0, 1.0);
    const KTQuadrature::Result signed_ = KTQuadrature::Integrate(stretched, 0.0, 1.0);

    // The part within `near`: |f| ~ v (near / u)^p integrates to v near / (1 - p); p from the
    // next decade out, and again from the one after, whose difference bounds its error.
    const double v1 = f(c + side * near);
    const double v2 = f(c + side * 10.0 * near);
    const double v3 = f(c + side * 100.0 * near);
    double tail = 0.0;
    double spread = 0.0;
    if (v1 != 0.0 && v2 != 0.0 && v3 != 0.0) {
        const double p = std::log10(std::fabs(v1 / v2));
        const double p2 = std::log10(std::fabs(v2 / v3));
        if (!(p < 1.0 && p2 < 1.0))
            return false;
        tail = std::fabs(v1) * near / (1.0 - p);
        spread = std::fabs(tail - std::fabs(v1) * near / (1.0 - p2));
    }
    value = signed_.value + (v1 < 0.0 ? -tail : tail) * side;
    magnitude = size.value + tail;
    return Accepted(size, magnitude) && Accepted(signed_, magnitude) && spread <= kAcceptedError * magnitude;
}

} // namespace

double KTImproperIntegral::Growth(const std::function<double(double)>& f, double c, int side, double width,
                                  double floor)
{
    std::vector<double> values;
    double h = width;
    for (int decade = 1; decade <= 17; ++decade) {
        h /= 10.0;
        const double x = c + side * h;
        if (h < floor || x == c)
            break;
        const double v = std::fabs(f(x));
        if (!(v > 0.0) || !std::isfinite(v))
            break;
        values.push_back(v);
    }
    if (values.size() < 2)
        return std::numeric_limits<double>::quiet_NaN();
    // The closest decades tell: farther out a constant or a smooth part may still outweigh it.
    std::vector<double> slopes;
    for (std::size_t i = values.size() - 1; i > 0 && slopes.size() < 3; --i)
        slopes.push_back(std::log10(values[i] / values[i - 1]));
    std::sort(slopes.begin(), slopes.end());
    return slopes[slopes.size() / 2];
}

KTImproperIntegral::Result KTImproperIntegral::Integrate(const std::function<double(double)>& f, double a,
                                                         double b)
{
    Result result;
    if (a == b) {
        result.kind = Kind::Finite;
        return result;
    }
    const auto valued = [&f](double x) {
        const double v = f(x);
        return std::isfinite(v) ? v : 0.0;
    };
    const auto size = [&valued](double x) { return std::fabs(valued(x)); };
    const KTQuadrature::Result whole = KTQuadrature::Integrate(size, a, b);
    const double lo = std::min(a, b);
    const double hi = std::max(a, b);

    // Poles: at either bound, measured from inside; and, where the rule could not settle,
    // inside, where it spent its last effort (measured from both sides).
    struct Spot
    {
        double at;
        double growth;
        bool sure; ///< measured where the pole is: a divergence found there is one
    };
    std::vector<Spot> spots;
    const auto floorAt = [](double x, double known) {
        return 1000.0 * std::max({known, std::fabs(x) * 2.3e-16, 1e-300});
    };
    const auto keep = [&spots](double at, double growth, bool sure) {
        if (growth > kSingularGrowth)
            spots.push_back({at, growth, sure});
    };
    keep(lo, Growth(size, lo, 1, hi - lo, floorAt(lo, 0.0)), true);
    keep(hi, Growth(size, hi, -1, hi - lo, floorAt(hi, 0.0)), true);
    // The worst piece's middle, or an end of it where f has no value or a larger one (a pole
    // on a halving point, 0.25 say, lies at the end of the pieces either side).
    const double width = std::fabs(whole.worstTo - whole.worstFrom);
    double c = 0.5 * (whole.worstFrom + whole.worstTo);
    for (const double end : {whole.worstFrom, whole.worstTo}) {
        const double v = f(end);
        if (!std::isfinite(v) || std::fabs(v) > std::fabs(f(c)))
            c = end;
    }
    if (!whole.converged && c - lo > width && hi - c > width) {
        const double floor = floorAt(c, width);
        const double below = Growth(size, c, -1, c - lo, floor);
        const double above = Growth(size, c, 1, hi - c, floor);
        keep(c, std::isnan(below) ? above : std::isnan(above) ? below : std::max(below, above), true);
    }
    for (const Spot& spot : spots) {
        if (!result.singular || spot.growth > result.growth) {
            result.singular = true;
            result.singularAt = spot.at;
            result.growth = spot.growth;
        }
        if (spot.sure && spot.growth >= kDivergentGrowth) {
            result.kind = Kind::Diverges;
            return result;
        }
    }

    if (Accepted(whole, whole.value)) {
        const KTQuadrature::Result value = KTQuadrature::Integrate(valued, a, b);
        if (Accepted(value, whole.value)) {
            result.kind = Kind::Finite;
            result.value = value.value;
            result.magnitude = std::fabs(whole.value);
            return result;
        }
    }

    // Integrable poles: each stretch between them is integrated towards its poles, halved where
    // it has one at both ends, with a substitution strong enough for the strongest growth.
    const double growth = result.singular ? result.growth : 0.0;
    const int k = static_cast<int>(std::clamp(std::ceil(2.0 / (1.0 - growth)), 2.0, 60.0));
    std::vector<double> cuts = {lo, hi};
    for (const Spot& spot : spots)
        cuts.push_back(spot.at);
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
    const auto isSpot = [&spots](double x) {
        return std::any_of(spots.begin(), spots.end(), [x](const Spot& spot) { return spot.at == x; });
    };
    double value = 0.0;
    double magnitude = 0.0;
    for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
        const double p = cuts[i];
        const double q = cuts[i + 1];
        // Towards p from the middle (or from q) and towards q from the middle.
        const bool atP = isSpot(p);
        const bool atQ = isSpot(q) || !atP; // a stretch without poles still goes through the rule
        const double middle = atP && atQ ? 0.5 * (p + q) : atP ? q : p;
        double partValue = 0.0;
        double partMagnitude = 0.0;
        if (atP) {
            if (!TowardsSpot(valued, p, middle, k, partValue, partMagnitude))
                return result;
            value += partValue;
            magnitude += partMagnitude;
        }
        if (atQ && middle != q) {
            if (!TowardsSpot(valued, q, middle, k, partValue, partMagnitude))
                return result;
            value -= partValue; // from q down to the middle runs backwards
            magnitude += partMagnitude;
        }
    }
    result.kind = Kind::Finite;
    result.value = b < a ? -value : value;
    result.magnitude = magnitude;
    return result;
}
