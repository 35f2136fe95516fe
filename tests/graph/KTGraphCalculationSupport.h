#pragma once
// A graph of user functions over laid-out axes, for the integral and tangent tests.

#include "engine/KTFunction3.h"
#include "graph/KTAxes.h"
#include "graph/KTGraphData3.h"
#include "platform/KTDC.h"
#include "platform/KTLocale.h"

#include <memory>

namespace kttest {

/// Point decimals, "," between list items, an English-speaking country.
struct EnglishNumbers
{
    EnglishNumbers() { KTLocale::Override('.', ',', 1); }
    ~EnglishNumbers() { KTLocale::ClearOverride(); }
    EnglishNumbers(const EnglishNumbers&) = delete;
    EnglishNumbers& operator=(const EnglishNumbers&) = delete;
};

/// Axes over x and y from -5 to 5 laid out on the graph's drawing area (hundredths of a
/// millimetre, y upwards) and graph data whose functions are owned by them.
class CalculationGraph
{
public:
    CalculationGraph()
    {
        m_data = std::make_unique<KTGraphData3>();
        KTOptionAxes2 options;
        options.m_xMinShowS.SetValue("-5");
        options.m_xMaxShowS.SetValue("5");
        options.m_yMinShowS.SetValue("-5");
        options.m_yMaxShowS.SetValue("5");
        LayOut(options);
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
    KTAxes m_axes;
    std::unique_ptr<KTGraphData3> m_data;
};

} // namespace kttest
