#pragma once
// Fills a function's marker list with the points of interest its current branch shows: the
// y-intercept, the domain end points, x-intercepts, horizontal tangents, points of steepest
// slope, vertical and horizontal asymptotes, and for a text of points and vectors the points
// themselves; then refines the sampled candidates on the sign changes the samples show around
// them (KTPointPolisher) and records the markers' bounding box for automatic scaling. The
// caller selects the branch (buffer and list).

#include "axes/KTMarkerList.h"

#include <vector>

class KTFunction3;
class KTPointPolisher;

/// Where a candidate of the curve analysis came from: the sample it was marked on, and for an
/// x-intercept the ends of the sign change that brackets it.
struct KTCandidateOrigin
{
    int sample = -1;    ///< -1: not marked on a sample
    bool exact = false; ///< placed by a search already
    double from = 0.0;
    double to = 0.0;
};

class KTCurveAnalyser
{
public:
    /// Kinds of the domain end markers.
    static constexpr int LowEndMarker = 21;
    static constexpr int HighEndMarker = 22;
    /// Kind of a point of a text of points and vectors.
    static constexpr int PointMarker = 13;

    /// How much of the analysis runs: all of it, or only what the drawing of the curve reads
    /// (the slopes of the derivative curves and the asymptotes it draws), as for the members of
    /// a family, whose points of interest are never shown.
    enum class Scope
    {
        Everything,
        Drawing,
    };

    explicit KTCurveAnalyser(KTFunction3& function, Scope scope = Scope::Everything)
        : m_f(function), m_scope(scope)
    {
    }

    /// Runs only for an interpreted function. `resetExtents` starts the bounding box afresh (the
    /// first branch); the second branch adds to the first one's box.
    void AnalyseCurve(bool resetExtents = true);

private:
    using Origin = KTCandidateOrigin;

    void AnalyseExplicit();
    void AddVerticalAsymptotes(KTPointPolisher& polisher);
    void AddHorizontalAsymptote();
    /// The limit of f as x runs off towards -infinity (side -1) or +infinity (side 1), by the
    /// values at growing powers of ten; KTNoSecondValue where f does not converge. `height` is
    /// the view's, which sets how near a limit of 0 must come.
    double LimitTowards(double side, double height);
    void AddPolarInflections(KTPointPolisher& polisher);
    /// Extrema and bends between samples that the walk over |f'| did not see, from the markers
    /// at `walkFirst` on.
    void AddTurnsBetweenSamples(int walkFirst);
    void AnalysePoints();
    void Refine(int index, KTPointPolisher& polisher);
    int AddComputed(double x, double y, int kind);
    int AddSampled(double x, double y, int kind, const Origin& origin = Origin());
    double F(double x);
    /// Mean distance between the current buffer's neighbouring samples.
    double Spacing() const;
    /// Distances in x and y within which two markers are one point.
    KTPoint SamePoint() const;
    /// The slope in which the curve's slopes show on the view (KTFunction3::ViewSlopeUnit; for
    /// r = f(angle), a tenth of the view's width per radian).
    double SlopeUnit() const;
    /// The marker's point lies in the view (only its x for a vertical asymptote, its y for a
    /// horizontal one), the stored point of a swapped or polar form taken to the screen.
    bool InView(const KTMarker& marker) const;

    KTFunction3& m_f;
    Scope m_scope;
    /// Where each marker of this run came from, by its index in the list.
    std::vector<Origin> m_origins;
    /// Records where the marker at index came from.
    void SetOrigin(int index, const Origin& origin);
};
