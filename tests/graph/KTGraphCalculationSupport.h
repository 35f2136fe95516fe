#pragma once
// A graph of user functions over laid-out axes, for the integral and tangent tests.

#include "engine/KTFunction3.h"
#include "foundation/KTSentinelValues.h"
#include "axes/KTAxes.h"
#include "graph/KTGraphData3.h"
#include "platform/KTDC.h"
#include "platform/KTLocale.h"
#include "support/KTTestSupport.h"

#include <memory>
#include <vector>

namespace kttest {

/// Point decimals, "," between list items, an English-speaking country.
using EnglishNumbers = LocaleScope;

/// Axes over x and y from -5 to 5 laid out on the graph's drawing area (hundredths of a
/// millimetre, y upwards) and graph data whose functions are owned by them.
class CalculationGraph
{
public:
    CalculationGraph()
    {
        m_data = std::make_unique<KTGraphData3>();
        LayOut(FiveByFive());
        // The layout widens a range to keep the scales' proportions; the tests want exactly
        // these, mapped onto the same pixels.
        for (KTAxis* axis : {&m_axes.m_xAxis, &m_axes.m_yAxis}) {
            axis->m_min = -5.0;
            axis->m_max = 5.0;
        }
        m_data->Reset(&m_axes, nullptr);
    }

    void LayOut(const KTOptionAxes2& options)
    {
        KTDC dc(96, 96, CSize(800, 600));
        dc.SetMapMode(MM_HIMETRIC);
        m_axes.Layout(0, 0, 13450, -11000, 0, 0, 0, 0, options, dc);
    }

    /// Lays the axes out on the context as the pictures show them: -5 to 5 with the grid on.
    void LayOutPicture(KTDC& dc)
    {
        KTOptionAxes2 options = FiveByFive();
        options.m_showGrid.m_value = 1;
        m_axes.Layout(0, 0, 13450, -11000, 0, 0, 0, 0, options, dc);
    }

    /// The first function sampled at 401 x from -5 to 5, in device units; the points whose y
    /// lies outside -5..5 are left out.
    std::vector<CPoint> CurvePoints()
    {
        std::vector<CPoint> curve;
        for (int i = 0; i <= 400; ++i) {
            const double x = -5.0 + i * 0.025;
            const double y = m_data->Function(0).Evaluate(x, KTNoSecondValue).m_y;
            if (y >= -5.0 && y <= 5.0)
                curve.push_back(Device(x, y));
        }
        return curve;
    }

    /// Interprets the text in the slot; true when it left something to evaluate.
    bool SetFunction(int slot, const char* text)
    {
        KTFunction3& function = m_data->Function(slot);
        function.Data().m_equationText = text;
        function.Interpret();
        return function.IsDrawable();
    }

    CPoint Device(double x, double y) { return m_axes.GraphToDevice(x, y, 0, 0); }

    KTGraphData3& Data() { return *m_data; }
    KTAxes& Axes() { return m_axes; }

private:
    static KTOptionAxes2 FiveByFive()
    {
        KTOptionAxes2 options;
        options.m_xMinShowS.SetValue("-5");
        options.m_xMaxShowS.SetValue("5");
        options.m_yMinShowS.SetValue("-5");
        options.m_yMaxShowS.SetValue("5");
        return options;
    }

    KTAxes m_axes;
    std::unique_ptr<KTGraphData3> m_data;
};

/// Draws the points as one dark blue line 0.35 mm wide.
inline void DrawCurve(KTDC& dc, const std::vector<CPoint>& curve)
{
    const KTPen previous = dc.SelectObject(KTPen(PS_SOLID, 35, RGB(0, 0, 160)));
    dc.Polyline(curve.data(), static_cast<int>(curve.size()));
    dc.SelectObject(previous);
}

} // namespace kttest
