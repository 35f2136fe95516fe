#pragma once
// Fills a function's marker list with the points of interest its current branch shows: the
// y-intercept, the domain end points, x-intercepts, horizontal tangents, points of steepest
// slope, vertical and horizontal asymptotes, and for a text of points and vectors the points
// themselves; then refines the sampled candidates and records the markers' bounding box for
// automatic scaling. The caller selects the branch (buffer and list).

class KTFunction3;

class KTCurveAnalyser
{
public:
    /// Kinds of the domain end markers.
    static constexpr int LowEndMarker = 21;
    static constexpr int HighEndMarker = 22;
    /// Kind of a point of a text of points and vectors.
    static constexpr int PointMarker = 13;

    explicit KTCurveAnalyser(KTFunction3& function) : m_f(function) {}

    /// Runs only for an interpreted function. `resetExtents` starts the bounding box afresh (the
    /// first branch); the second branch adds to the first one's box.
    void AnalyseCurve(bool resetExtents = true);

private:
    void AnalyseExplicit();
    void AddVerticalAsymptotes();
    void AddHorizontalAsymptote();
    void AnalysePoints();
    int AddComputed(double x, double y, int kind);
    int AddSampled(double x, double y, int kind);
    double F(double x);

    KTFunction3& m_f;
};
