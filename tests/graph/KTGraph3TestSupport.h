#pragma once
// A whole graph driven through the paint cycle on a measuring device context, for the graph
// object's tests.

#include "engine/KTFunction3.h"
#include "graph/KTGraph3.h"
#include "platform/KTDC.h"

#include <cmath>
#include <vector>

namespace kttest {

class GraphRig
{
public:
    /// A new graph, marked changed as a loaded document is.
    GraphRig() : m_dc(96, 96, CSize(800, 600))
    {
        m_dc.SetMapMode(MM_HIMETRIC);
        m_graph.SetDirty();
    }

    void Set(int slot, const char* text) { m_graph.Data().Function(slot).Data().m_equationText = text; }

    /// Extents, area, layout, recalculation and drawing. With a range, the layout's ranges are
    /// replaced by exactly -range..range on both axes before the recalculation (the layout widens
    /// one of them to keep the scales' proportions).
    void Cycle(double range = 10.0)
    {
        m_graph.ComputeDataExtents();
        m_graph.SetArea(0, 0, m_area.cx, m_area.cy);
        m_graph.Layout(m_dc);
        if (range > 0.0) {
            for (KTAxis* axis : {&m_graph.Axes().m_xAxis, &m_graph.Axes().m_yAxis}) {
                axis->m_min = -range;
                axis->m_max = range;
            }
        }
        m_graph.Recalculate(nullptr);
        m_graph.Draw(m_dc, nullptr);
    }

    /// Marks the graph changed and runs the cycle.
    void Redo(double range = 10.0)
    {
        m_graph.SetDirty();
        Cycle(range);
    }

    KTFunction3& Function(int slot) { return m_graph.Data().Function(slot); }
    CPoint Device(double x, double y) { return m_graph.Axes().GraphToDevice(KTPoint(x, y), 0, 0); }

    /// The plot's area in logical units (HIMETRIC, y upwards): a window of w x h pixels at 96
    /// dots per inch is {w * 2540 / 96, -h * 2540 / 96}.
    void SetWindow(int width, int height) { m_area = CSize(width * 2540 / 96, -height * 2540 / 96); }

    KTGraph3 m_graph;
    KTDC m_dc;
    CSize m_area{13450, -11000};
};

/// Even-odd rule with a ray to the right.
inline bool PolygonContains(const std::vector<KTPoint>& polygon, const KTPoint& p)
{
    bool inside = false;
    const std::size_t n = polygon.size();
    for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
        const KTPoint& a = polygon[i];
        const KTPoint& b = polygon[j];
        if ((a.m_y > p.m_y) != (b.m_y > p.m_y) &&
            p.m_x < (b.m_x - a.m_x) * (p.m_y - a.m_y) / (b.m_y - a.m_y) + a.m_x)
            inside = !inside;
    }
    return inside;
}

} // namespace kttest
