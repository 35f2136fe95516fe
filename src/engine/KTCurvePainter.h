#pragma once
// Draws the current branch of a function into a device context through the owner axes'
// mapping: the curve as polylines with its gaps, arrows where it leaves or re-enters the view,
// the marks at the ends of its domain, its derivative curves drawn the same way (the curve's own
// sampling of f' and f'', KTFunction3::DerivativeCurve),
// the points and vectors of a text of points, and the decorations of its markers (point
// discontinuities, asymptote lines). The caller selects the branch. Never throws.

#include "platform/KTGdiTypes.h"

#include <cstddef>
#include <vector>

class KTFunction3;
class KTDC;
class KTLogPen;

class KTCurvePainter
{
public:
    /// Most points of the polylines gathered for one call of the device context.
    static constexpr std::size_t BatchPoints = 1 << 19;
    /// Most points of one polyline handed to the device context at once.
    static constexpr int PolylineCapacity = 1610;

    explicit KTCurvePainter(KTFunction3& function) : m_f(function) {}
    /// Fewest points of a curve that are mapped to device units on the threads (tests raise it).
    static void SetThreadedPoints(int points) { s_threadedPoints = points; }

    /// The first-derivative curve (show first derivative set), with the curve's pen, gaps,
    /// edge arrows and domain-end marks.
    void DrawPointPairs(KTDC& dc);
    /// The second-derivative curve (show second derivative set), alike.
    void DrawSecondDerivativePairs(KTDC& dc);
    /// An arrowhead with its tip at the end point (x, y) of the curve within a tenth of the
    /// view from an edge, pointing away from the curve: `forward`, the curve lies on from the
    /// end towards greater x (y for x = f(y)); else towards smaller. The direction is
    /// the curve's own at the end, from a hundredth of a pixel along it; implicit curves, and a
    /// curve without a value there, take the given other point on the curve instead.
    void DrawEndArrow(KTDC& dc, double x, double y, double otherX, double otherY, bool forward);
    /// The curve, its edge arrows, domain-end marks, points and vectors and marker decorations.
    void DrawCurve(KTDC& dc);

private:
    void DrawDerivative(KTDC& dc, int order);
    void DrawEdgeArrows(KTDC& dc);
    void DrawPolylines(KTDC& dc);
    void DrawDomainEnds(KTDC& dc);
    void DrawEndMark(KTDC& dc, bool low);
    void DrawPointsAndVectors(KTDC& dc);
    void DrawMarkerDecorations(KTDC& dc);
    /// The polyline gathered goes to the batch (a single point is drawn as it comes, after the
    /// batch).
    void FlushPolyline(KTDC& dc);
    /// The batch of polylines goes to the device context at once.
    void FlushBatch(KTDC& dc);
    double F(double x);

    KTFunction3& m_f;
    /// Polylines gathered for one call of the device context: a dense curve has hundreds of
    /// thousands of short ones.
    std::vector<CPoint> m_batch;
    static inline int s_threadedPoints = 1 << 16;
    std::vector<int> m_batchCounts;
    int m_order = 0; ///< 0 the curve, 1 or 2 the derivative curve being drawn
};
