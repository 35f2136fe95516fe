#pragma once
// Turns integral records into numbers, labels and a shaded polygon, draws them and finds the
// one under a device point. The bounds stay the texts the user typed and are evaluated at each
// calculation, with the document's family-constant values.

class KTDC;
class KTGraphData3;
class KTIntegralFunction;
class KTIntegralList;
class KTVariableSubstitutions;

class KTIntegralCalculation
{
public:
    /// The integral of f - g (or, along the y axis, of x dy) and the area (of |f - g|) from the
    /// lower to the upper bound by an adaptive Gauss-Kronrod rule, to about nine digits, poles
    /// with an integral included (1/sqrt(x) at 0). A pole without one (1/x, 1/x^2, tan at a right
    /// angle) makes the value KTUndefinedValue and the label say "diverges" (the area label
    /// "infinite"). Where neither can be settled, the sums of 1000 samples stand (trapezoids, a
    /// step across a sign change counting half towards the area).
    /// The samples also give the label anchor and, when the record has the graph's mapping, the
    /// 2000-point polygon in device points, held inside the plot area. Then the two labels.
    /// Without a function in slot m_first (0-9) nothing but the region's validity changes. A
    /// bound that evaluates to an undefined value leaves the record invalid, with values 0 and
    /// empty labels; samples at which a function is undefined take no part in the sums or
    /// extremes, and the polygon closes to the other boundary there. `substitutions` may be null.
    static void Calculate(KTIntegralFunction& integral, KTGraphData3& graphData,
                          const KTVariableSubstitutions* substitutions);
    /// The polygon filled in the record's colour without an outline, or, highlighted, hatched in
    /// grey with a 1 pt dashed grey outline, clipped to the plot area. Nothing while the region
    /// is not valid. The
    /// context's pen, brush and fill mode are as before when it returns.
    static void Draw(const KTIntegralFunction& integral, KTDC& dc, bool highlight);
    /// The even-odd rule with a ray to the left, in the device coordinates of the graph's last
    /// layout. False without a bound function or a valid region.
    static bool Contains(const KTIntegralFunction& integral, int x, int y);

    /// Calculate for every record, in index order.
    static void CalculateAll(KTIntegralList& list, KTGraphData3& graphData,
                             const KTVariableSubstitutions* substitutions);
    /// Draw for every record, in index order, without highlight.
    static void DrawAll(const KTIntegralList& list, KTDC& dc);
    /// The highest index whose region contains the device point, or -1.
    static int HitTest(const KTIntegralList& list, int x, int y);
};
