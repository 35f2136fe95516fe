#pragma once
// Draws the current branch of a function into a device context through the owner axes'
// mapping: the derivative curves as segments between sample pairs, the curve as polylines with
// its gaps, arrows where it leaves or re-enters the view, the marks at the ends of its domain,
// the points and vectors of a text of points, and the decorations of its markers (point
// discontinuities, asymptote lines). The caller selects the branch. Never throws.

class KTFunction3;
class KTDC;
class KTLogPen;

class KTCurvePainter
{
public:
    /// Most points of one polyline handed to the device context at once.
    static constexpr int PolylineCapacity = 1610;

    explicit KTCurvePainter(KTFunction3& function) : m_f(function) {}

    /// The first-derivative curve (show first derivative set).
    void DrawPointPairs(KTDC& dc);
    /// The second-derivative curve (show second derivative set).
    void DrawSecondDerivativePairs(KTDC& dc);
    /// An arrowhead with its tip at the end point (x, y) of the curve near an edge of the view,
    /// pointing away from the curve. `forward`: the curve lies beyond the end (x + a seventieth
    /// of the x range); else before it. Implicit curves take the given other point instead.
    void DrawEndArrow(KTDC& dc, double x, double y, double otherX, double otherY, bool forward);
    /// The curve, its edge arrows, domain-end marks, points and vectors and marker decorations.
    void DrawCurve(KTDC& dc);

private:
    void DrawPairs(KTDC& dc, bool second);
    void DrawEdgeArrows(KTDC& dc);
    void DrawPolylines(KTDC& dc);
    void DrawDomainEnds(KTDC& dc);
    void DrawEndMark(KTDC& dc, bool low);
    void DrawPointsAndVectors(KTDC& dc);
    void DrawMarkerDecorations(KTDC& dc);
    void FlushPolyline(KTDC& dc);
    double F(double x);

    KTFunction3& m_f;
};
