#pragma once
// The graph of one document: its stored data, its coordinate system, its drawing area and what
// is derived from the data (the curves' intersections and the feasible regions of the user's
// inequalities). The view drives it on every paint in this order: ComputeDataExtents, SetArea,
// Layout, Recalculate, Draw. It draws through any KTDC and never throws out of a paint.

#include "axes/KTMarkerList.h"
#include "axes/KTAxes.h"
#include "engine/KTFunction3.h"
#include "graph/KTGraphData3.h"
#include "graph/KTRegionList.h"
#include "graph/KTSlotIntersections.h"
#include "graph/KTValueOrder.h"
#include "platform/KTObject.h"

#include <array>
#include <memory>
#include <vector>

class KTDC;
class KTDerivativeFunction;
class KTFunction3;
class KTIntegralFunction;
class KTVariableSubstitutions;
struct KTTipContent;

class KTGraph3 : public KTObject
{
public:
    static constexpr int RegionListCount = 10;
    /// Shares of the ranges by which the frame inequalities lie inside the view's edges; they
    /// differ so that a line through a corner of a square view does not meet two frame
    /// inequalities where they meet each other.
    static constexpr double FrameInsetX = 1e-6;
    static constexpr double FrameInsetY = 2e-6;
    /// Hatch lines of the factory's dots density (FRDivisions 200) are this far apart on the
    /// screen and on the page: 4 pixels at 96 dpi. The pitch is inversely proportional to
    /// the density.
    static constexpr double HatchPitchMillimetres = 4 * 25.4 / 96;
    static constexpr int HatchReferenceDensity = 200;
    /// Squared distance (drawing units) within which a point hits an intersection marker.
    static constexpr int MarkerHitDistance2 = 5000;
    /// BuildTips results besides a slot (0..10) and -1.
    static constexpr int TipIntersectionBase = 10000;
    static constexpr int TipIntegral = 9999;
    static constexpr int TipTangent = 19999;

    /// Default data and axes for a 134.5 mm x 110 mm area (0, 0, 13450, -11000).
    KTGraph3();
    ~KTGraph3() override;
    KTGraph3(const KTGraph3&) = delete;
    KTGraph3& operator=(const KTGraph3&) = delete;

    /// The data's own tagged form (no tag of the graph's); after loading the tangent and
    /// integral lists get the graph's axes. Throws as KTGraphData3::Serialize does.
    void Serialize(KTArchive& ar) override;
    /// Lays the axes out in the drawing area, fitted to the data extents when AutoScale is set.
    virtual int Layout(KTDC& dc);
    /// Regions, integrals, tangents, axes, then the ten user functions, in that order.
    /// `substitutions` may be null.
    virtual void Draw(KTDC& dc, const KTVariableSubstitutions* substitutions);
    /// The default area, then the data reset with the options (their defaults when null).
    virtual void Reset(const KTOptionGraph3* options = nullptr);
    virtual void SetArea(int left, int top, int right, int bottom);
    /// The vertical order of the user functions and the x axis at x.
    virtual KTValueOrder ValuesAtX(double x);

    void SetDirty() { m_data.m_dirty = KTGraphData3::Dirty; }
    bool IsDirty() const { return m_data.m_dirty > 0; }

    // ---- Recalculation and feasible regions (KTGraph3Recalculate.cpp, KTGraph3Regions.cpp) ----
    /// While dirty: interprets the ten user functions and, with AutoScale, widens the data
    /// extents to where the curves' order changes.
    void ComputeDataExtents();
    /// While dirty: the curves, the frame inequalities, the intersections, the regions, the
    /// integrals and tangents; then the dirty counter is 0. `substitutions` may be null.
    void Recalculate(const KTVariableSubstitutions* substitutions);
    /// What the recalculations would have told the user, oldest first, for the view to show
    /// after its paint; the list is emptied. A list of markers that reaches its limit is told
    /// once, by the recalculation that fills it: the next ones that find it full again say
    /// nothing, until one finds room for all its points.
    std::vector<KTInputMessage> TakePendingMessages();
    /// User slots whose relation is an inequality (43..46).
    int CountInequalities() const;
    /// False when a user slot is polar, parametric, implicit or has a second branch.
    bool CanBuildRegionPolygon() const;
    void FindIntersections();
    /// Crossings of slot i's and slot j's current point buffers (i < j), refined; only those
    /// that converge inside the view are kept.
    void IntersectPair(int i, int j);
    /// Whether the graph point satisfies the function's inequality (boundary included, within
    /// 0.0001); never for an equation or an undefined side.
    /// `exact`: the boundary is held to a billionth of the view's range instead, for the outline
    /// (its crossings are exact, the frame lies closer to the view's corners than 0.0001) and
    /// for the ends of the hatch lines.
    bool PointSatisfies(KTFunction3& function, const KTPoint& point, bool exact = false);
    /// Every valid slot (frame slots included) with a relation other than "=" is satisfied.
    bool PointIsFeasible(const KTPoint& point, bool exact = false);
    /// Traces the outline of the feasible region along the curves between their crossings;
    /// false (and the caller falls back to dots) when an outline cannot be closed or more than
    /// ten would be needed.
    bool BuildRegionPolygon();
    void BuildFeasibleDots();
    void BuildInequalityDots(bool agreement);

    // ---- Family constants, integrals, tangents (KTGraph3.cpp) ---------------------------------
    /// "a", "b", "c", "d" or "m"; any other name does nothing. The dirty counter is not touched.
    void SetConstant(const CString& name, double value);
    void SetConstantRange(const CString& name, double from, double to, double step);
    /// Constant codes 7 (a) to 11 (m).
    bool FunctionsUseConstant(int code) const;
    void AddIntegral(const KTIntegralFunction& integral, bool keepOthers);
    /// The new index, -1 when refused, 0 when the tangent names no function.
    int AddDerivative(const KTDerivativeFunction& tangent, bool force);

    // ---- Hit testing and hover tips (KTGraph3HitTest.cpp) ------------------------------------
    /// The first valid slot 0..10 whose curve passes near the point, or -1.
    int HitTestFunction(int x, int y);
    /// The first valid slot 0..10 whose relation holds everywhere in view, where the point lies
    /// in the graph's rectangle; else -1.
    int HitTestHoldsEverywhere(int x, int y);
    /// Fills the near-marker list with the stored points of slots 0..10 near the point.
    bool FindMarkersNear(int x, int y);
    /// The first intersection whose device point lies within the hit distance, or -1.
    int HitTestMarker(int x, int y);
    /// An intersection (second slot other than -1) or a stored point of a user slot; kind -1
    /// when nothing matches.
    KTMarker FindMarker(int slot, int identifier, int secondSlot) const;
    /// Builds the hover tip of what lies under the point: the points within the hit distance,
    /// every one named and the nearest deciding the result, an intersection (10000 + index) or a
    /// stored point (slot * 100 + identifier); else a curve (its slot); else an asymptote near the
    /// point (as a stored point); else an integral (9999), a tangent (19999), or nothing (-1).
    int BuildTips(int x, int y, KTTipContent& tips);

    KTGraphData3& Data() { return m_data; }
    const KTGraphData3& Data() const { return m_data; }
    KTAxes& Axes() { return m_axes; }
    const KTAxes& Axes() const { return m_axes; }
    const KTMarkerList& Intersections() const { return *m_intersections; }
    const KTMarkerList& NearMarkers() const { return m_nearMarkers; }
    const KTSlotIntersections& SlotIntersections(int slot) const;
    const KTRegionList& Region(int index) const;
    int RegionCount() const { return m_regionCount; }
    bool RegionIsPolygon() const { return m_regionPolygon != 0; }
    /// Distance between the hatch lines of a dot field, in the last layout's logical units.
    double HatchPitch();
    CRect GetArea() const { return CRect(m_left, m_top, m_right, m_bottom); }

private:
    void ClearRegions();
    /// The slot is interpreted and has something to draw.
    bool SlotValid(int slot) const;
    bool SlotIsEquation(int slot) const;
    void CalculateSlot(KTFunction3& function);
    /// Records a message for each list of markers this recalculation filled, once a filling.
    void NoteFullLists();
    void FillFrameTexts();
    void IntersectBuffers(int i, int j);
    /// An intersection of slots i and j already in the graph list at this point.
    bool AlreadyFound(int i, int j, const KTPoint& point) const;
    void AddIntersection(int i, int j, int fineI, int fineJ, const KTPoint& point);
    bool TraceOutline(int startSlot, int startMarker, bool& validStart);
    bool CurvePointFeasible(int slot, int pointIndex);
    int TwinOf(int slot, int marker) const;
    void WidenExtentsAlong(double sign, const KTValueOrder& atZero);
    void DrawRegions(KTDC& dc);
    void DrawFunctions(KTDC& dc);
    KTFunction3* UserFunction(int slot);

    KTGraphData3 m_data;
    KTAxes m_axes;
    std::unique_ptr<KTMarkerList> m_intersections;
    KTMarkerList m_nearMarkers;
    int m_left = 0;
    int m_top = 0;
    int m_right = 13450;
    int m_bottom = -11000;
    std::array<KTRegionList, RegionListCount> m_regions;
    int m_regionCount = 0;
    BYTE m_regionPolygon = 0;
    /// Logical units per millimetre of the last layout's device context.
    double m_unitsPerMillimetre = 100.0;
    std::array<KTSlotIntersections, KTGraphData3::SlotCount> m_slotIntersections;
    std::vector<KTInputMessage> m_pendingMessages;
    std::array<bool, KTGraphData3::UserFunctionCount> m_markersFull{}; ///< as the last recalculation left them
    bool m_intersectionsFull = false;
};
