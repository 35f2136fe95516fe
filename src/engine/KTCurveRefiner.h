#pragma once
// The searches that turn sampled candidates into exact points of a function's curve (roots,
// turning points, inflections, a value, the meeting point of two curves), the discontinuity
// search of the calculation, the conversion of swapped and polar samples and markers to screen
// coordinates, and the hit test of a device point against the curve. All evaluations use the
// function's current evaluation list with no second variable. A search that does not converge
// leaves its marker as kind 5 (not shown); no search divides by zero or stores a non-finite
// point.

#include "foundation/KTPoint.h"

class KTFunction3;
struct KTCurvePointBuffer;

class KTCurveRefiner
{
public:
    explicit KTCurveRefiner(KTFunction3& function) : m_f(function) {}

    /// Moves marker `index` to where f equals the target; refined on success, else kind 5.
    void RefineRoot(int index, double target);
    /// Moves a horizontal-tangent candidate to where f' equals the target and makes it a local
    /// minimum (7) or maximum (6), a horizontal inflection (4), or kind 5.
    void RefineTurningPoint(int index, double slope);
    /// Moves marker `index` to where f'' equals the target by halving a bracket; refined when
    /// |f'' - target| is below 0.01 in the view's slopes there (KTFunction3::ViewSlopeUnit), else
    /// kind 5. Returns whether it converged.
    bool RefineInflection(int index, double curvature);
    /// x near x0 with f(x) = value within 1e-8, or KTNoSecondValue.
    double SolveForValue(double x0, double value);
    /// A point near (x, y) where this curve and the other meet, or (KTNoSecondValue,
    /// KTNoSecondValue). Both plain, both swapped, or one of each.
    KTPoint Intersect(KTFunction3& other, double x, double y);

    /// Sign changes of the discontinuity list's samples, each refined as a root (kind 15).
    void FindDiscontinuityCandidates();
    /// Each candidate becomes a vertical asymptote (16) or a point discontinuity (18).
    void ClassifyDiscontinuities();
    /// Swapped forms exchange x and y of samples and markers; polar forms become cartesian.
    void ToPolar();
    /// False when a vertical asymptote lies at an x not greater than x + d.
    bool NoAsymptoteUpTo(double x, double d) const;
    /// Squared device distance from the device point to the curve point of the sample; 1000000
    /// when no form applies.
    double PixelDistance(int deviceX, int deviceY, double sampleX, double sampleY);
    /// Whether the curve, its second branch or a shown derivative curve passes within 200 device
    /// units of the point; sets the function's near flags.
    bool PointAtPixel(int deviceX, int deviceY);

private:
    static KTPoint IntersectPlainWithSwapped(KTCurveRefiner& plain, KTCurveRefiner& swapped, double x,
                                             double y);
    /// f reaches the target at x: crosses it within a sample's spacing, or touches it there.
    bool MeetsTarget(double x, double target);
    double F(double x);
    double D1(double x);
    double D2(double x);
    /// Adds the buffer's points kept for after the conversion to x and y (`convert`) among its
    /// first `count` samples.
    template <class Convert>
    static void AddAfterConversion(KTCurvePointBuffer& buffer, int count, const Convert& convert);

    KTFunction3& m_f;
};
