#pragma once
// Points of interest to full double precision. Every search keeps its answer inside a bracket
// whose ends the samples give (a sign change of f for a root, of f' for a turning point, of f''
// for an inflection), so a point is never taken from a far-off stretch of the curve or left
// where a tolerance on the value happens to be met. A sign change at a pole or a jump is told
// apart from a root, and a pole is placed where |f| grows without bound. Evaluations use the
// function's current evaluation list with no second variable.

#include "axes/KTCurvePointBuffer.h"
#include "axes/KTMarker.h"
#include "engine/KTBracketSearch.h"

#include <functional>

class KTFunction3;

class KTPointPolisher
{
public:
    /// `spacing` is the distance between neighbouring samples: no difference step is wider.
    KTPointPolisher(KTFunction3& function, double spacing);

    /// f at x (KTNoSecondValue-style sentinels where it has no value).
    double F(double x);
    /// f' by a five-point difference, or the function's own derivative where that would reach
    /// a point without a value; a sentinel when f has none near x. `scale` widens or narrows
    /// the step.
    double Slope(double x, double scale = 1.0);
    /// f'' by a five-point difference, with the same fallback.
    double Curvature(double x, double scale = 1.0);
    /// Curvature with f(x) known (`fx`, the value F(x) gives).
    double Curvature(double x, double scale, double fx);

    /// A zero of g between a and b, where g(a) and g(b) change sign, or KTNoSecondValue when g
    /// changes sign there by a jump or through a pole instead of passing through 0. `scale` is
    /// the width of the search that found the bracket, when that was wider.
    double ZeroBetween(const std::function<double(double)>& g, double a, double b, double scale = 0.0);
    /// ZeroBetween for f itself.
    double RootBetween(double a, double b);
    /// The pole of f between a and b (by halving a sign change, else where |f| is largest), or
    /// KTNoSecondValue when |f| stays bounded there.
    double PoleBetween(double a, double b);
    /// The pole of f between a and b that the bounds of f show, halving to the half whose bound
    /// is not finite (e^(cosec x) has no value on one side of its poles, and no sign change), or
    /// KTNoSecondValue when they show none or |f| stays bounded there.
    double PoleWithinBound(double a, double b);
    /// |f| grows without bound towards x from at least one side, judged within a small part of
    /// `width` (the bracket or sample spacing the candidate came from).
    bool Grows(double x, double width);
    /// A zero of g near x0: a sign change searched out to `reach` either side, then refined;
    /// KTNoSecondValue when there is none.
    double ZeroNear(const std::function<double(double)>& g, double x0, double reach);

    /// f is 0 at x to its rounding, whether or not it changes sign there: the bound of f over a
    /// small part of a sample's spacing around x holds 0 (for a list without bounds, |f(x)| is
    /// within the rounding of f a sample away). A curve that touches the axis there has a root.
    bool ZeroAt(double x);

    /// An x-intercept candidate found between a and b: the root, with y 0 and refined, or kind 5.
    void PolishRoot(KTMarker& marker, double a, double b);
    /// A horizontal-tangent candidate at sample `index`: a local maximum or minimum where f'
    /// changes sign near it, else a horizontal inflection where f'' does and f' is 0 there, an
    /// inflection where f'' does and f' is not 0, else kind 5. False (the marker untouched) when
    /// the samples near it show neither sign change.
    bool PolishTurningPoint(KTMarker& marker, const KTCurvePointBuffer& buffer, int index);
    /// A steepest-slope candidate at sample `index`: the inflection where f'' changes sign near
    /// it. False (the marker untouched) when the samples near it show no sign change.
    bool PolishInflection(KTMarker& marker, const KTCurvePointBuffer& buffer, int index);
    /// Moves a marker that a search of its own placed (kinds 4, 6, 7, 12) onto the nearby zero of
    /// f' or f'' and names it by the sign change there; kind 5 when there is none within a
    /// sample's spacing.
    void PolishNear(KTMarker& marker);

    /// Where the curves of `first` and `second` meet near `start`: the sign change of the gap
    /// between them nearest `start` within `reach`, refined. Both plain (y = f(x)), both swapped
    /// (x = f(y)) or one of each; (KTNoSecondValue, KTNoSecondValue) for any other pair and where
    /// the gap changes sign only through a pole or a jump, or not at all (curves that touch).
    static KTPoint MeetNear(KTFunction3& first, KTFunction3& second, const KTPoint& start, double reach);
    /// The curves of `first` and `second`, both plain or both swapped, are one curve over a
    /// stretch around `point` (some samples' spacing, `reach` being one): their gap is rounding
    /// at every point looked at. Curves that coincide there meet at no point of it.
    static bool CoincideNear(KTFunction3& first, KTFunction3& second, const KTPoint& point, double reach);

    /// Calls `found` with each bracket over which g changes sign between samples first..last of
    /// the buffer, in order. A sample where g is exactly 0 is stepped over, so that g touching 0
    /// is no sign change; a sample without a value (of f or of g) starts afresh.
    void ForEachSignChange(const std::function<double(double)>& g, const KTCurvePointBuffer& buffer,
                           int first, int last,
                           const std::function<void(const KTBracketSearch::Bracket&)>& found);
    /// ForEachSignChange of a g that is given the sample's own value of f beside its position,
    /// so that it need not evaluate f there again: g(x, f(x)).
    void ForEachSignChangeOfSamples(const std::function<double(double, double)>& g,
                                    const KTCurvePointBuffer& buffer, int first, int last,
                                    const std::function<void(const KTBracketSearch::Bracket&)>& found);

private:
    /// The length the difference steps are parts of: max(1, |x|), and on a wide view no less
    /// than a sample's spacing, so that near 0 a step still moves f by more than its rounding
    /// (x^2/1e6 - 1e6 on a view four million wide).
    double Scale(double x) const;
    /// The function's own narrow differences for f' and f'' (KTFunction3::Derivative and
    /// SecondDerivative); on a view wider than max(1, |x|) per sample, central differences over
    /// the same parts of Scale(x).
    double NarrowSlope(double x);
    double NarrowCurvature(double x);
    /// The pole within [u, v], a few steps of rounding wide: where the values end, or where f
    /// changes sign, else the middle.
    double PoleInside(double u, double v);
    /// f has no value at `from`, beside x, because its values grew past what the evaluator
    /// takes between there and where they end further out, huge and above `above` (not at the
    /// end of its domain).
    bool OverflowsTowards(double x, double from, double above);
    /// The sign change of g near sample `index` (within `reach` samples, or `ahead` after it
    /// when that is more), the one nearest the candidate; false when there is none.
    bool SignChangeNear(const std::function<double(double)>& g, const KTCurvePointBuffer& buffer, int index,
                        int reach, KTBracketSearch::Bracket& found, int ahead = 0);
    /// The zero of f' (or f'') between a and b, its difference step made narrower or wider
    /// while the zero settles; `scale` as for ZeroBetween.
    double StableZero(bool curvature, double a, double b, double scale);
    /// f' (or f'') by the function's own narrow differences changes sign across x.
    bool Confirmed(double x, bool curvature);
    /// f' has no jump at x: its two sides, a little way off, differ by no more than f'' lets
    /// them (a corner such as |sin(x)| at pi has no inflection, whatever f'' does beside it).
    bool SlopeContinuous(double x);
    /// The turning point where f' changes sign between a and b, named by that change.
    bool PlaceTurningPoint(KTMarker& marker, double a, double b, double scale = 0.0);
    /// The inflection where f'' changes sign between a and b; `horizontal` also needs f' = 0.
    bool PlaceInflection(KTMarker& marker, double a, double b, bool horizontal, double scale = 0.0);

    KTFunction3& m_f;
    double m_spacing;
};
