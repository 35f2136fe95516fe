#pragma once
// Turns tangent records into a point of tangency, a slope and an intercept, the ends of the
// line clipped to the graph's visible ranges and two labels; draws them and finds the one near
// a device point. The x of a tangent stays the text the user typed and is evaluated at each
// calculation, with the document's family-constant values.

class KTAxes;
class KTDC;
class KTDerivativeFunction;
class KTDerivativeList;
class KTGraphData3;
class KTVariableSubstitutions;

class KTDerivativeCalculation
{
public:
    /// Point, slope (KTFunction3::Derivative), intercept and the two labels of the bound
    /// function at the typed x; the label shows the evaluated x instead of the text when a
    /// substitution table holding entries is given. Numbers have 6 decimals, trailing zeros
    /// removed. `substitutions` may be null.
    static void CalculateValue(KTDerivativeFunction& tangent, const KTVariableSubstitutions* substitutions);
    /// Binds the function of slot m_function (0-9) and calculates the value; the tangent is
    /// valid when the function exists and x, y and the slope are all defined (otherwise its two
    /// labels are emptied rather than show a sentinel as a number). A valid tangent's
    /// ends become the two points where the line meets the edges of the visible ranges (x edges
    /// first); when the line does not cross the visible area at two points they stay as they
    /// were and the tangent is out of view (m_inView false) until it does. The ranges are those
    /// of m_axes, or of the function's owner without it.
    static void Calculate(KTDerivativeFunction& tangent, KTGraphData3& graphData,
                          const KTVariableSubstitutions* substitutions);
    /// The line between the ends and a circle at the point of tangency in the record's pen; a
    /// selected tangent on the screen at least 1.5 pt and twice its width. Both are clipped to
    /// the plot area, and the circle is left out while the point lies outside the view. Nothing
    /// while the tangent is not valid, is out of view or has no mapping. The context's pen and
    /// clip are as before when it returns.
    static void Draw(const KTDerivativeFunction& tangent, KTDC& dc);
    /// True when the device point lies within 200 units of the whole line through the device
    /// points of the ends (not only the segment); never for coinciding ends or without a mapping.
    /// Valid or not, the tangent is tested with the ends it holds; a valid one out of view is
    /// never near.
    static bool IsNear(const KTDerivativeFunction& tangent, int x, int y);

    /// Calculate for every tangent, in index order.
    static void CalculateAll(KTDerivativeList& list, KTGraphData3& graphData,
                             const KTVariableSubstitutions* substitutions);
    /// Draw for every tangent, in index order.
    static void DrawAll(const KTDerivativeList& list, KTDC& dc);
    /// The highest index near the device point, or -1.
    static int HitTest(const KTDerivativeList& list, int x, int y);
};
