#pragma once
// Three reference documents built in code, for the picture test and the paint-cycle benchmark:
// (a) ten functions of every form, (b) four inequalities with their feasible region, two
// integrals and two tangents, (c) a polar family of twenty members on a polar grid.

#include "engine/KTFunction3.h"
#include "graph/KTDerivativeFunction.h"
#include "graph/KTGraph3.h"
#include "graph/KTIntegralFunction.h"
#include "platform/KTDC.h"

#include <QImage>

namespace kttest {

struct ReferenceGraph
{
    const char* name;
    void (*build)(KTGraph3& graph);
};

inline void SetFunctions(KTGraph3& graph, std::initializer_list<const char*> texts)
{
    int slot = 0;
    for (const char* text : texts)
        graph.Data().Function(slot++).Data().m_equationText = text;
}

inline void UseRadians(KTGraph3& graph)
{
    graph.Data().m_options.m_axes.m_angleSystem.m_value = 1;
}

/// (a) Ten functions: explicit, swapped, polar, parametric, a "±" pair, implicit, an asymptote,
/// a point discontinuity and a restricted domain, with their asymptotes shown.
inline void BuildFunctionForms(KTGraph3& graph)
{
    UseRadians(graph);
    SetFunctions(graph,
                 {"y=x^2/2-4", "y=3sin(x)", "x=y^2/3-6", "r=2+cos(3th)", "x=3cos(t); y=5sin(t)", "x^2+y^2=64",
                  "y=1/(x-2)", "y=(x^2-1)/(x-1)+3", "x^3+y^3=9xy", "y=e^(x/3); [-8, 4]"});
    for (int slot = 0; slot < 10; ++slot) {
        KTOptionFunction3& options = graph.Data().Function(slot).Data().m_options;
        options.m_vAsym.m_value = 1;
        options.m_hAsym.m_value = 1;
    }
    graph.SetDirty();
}

/// (b) Four inequalities whose common region is filled, two integrals and two tangents.
inline void BuildFeasibleRegion(KTGraph3& graph)
{
    UseRadians(graph);
    SetFunctions(graph, {"y>x^2/2-6", "y<x+4", "y<6-x", "x>-3", "y=sin(x)-7", "y=8-x^2/8"});
    KTIntegralFunction below;
    below.m_first = 4;
    below.m_second = KTIntegralFunction::kXAxis;
    below.m_lowerText = "2";
    below.m_upperText = "8";
    below.m_colour = RGB(150, 200, 255);
    graph.AddIntegral(below, true);
    KTIntegralFunction above;
    above.m_first = 5;
    above.m_second = KTIntegralFunction::kXAxis;
    above.m_lowerText = "-9";
    above.m_upperText = "-6";
    above.m_colour = RGB(255, 200, 150);
    graph.AddIntegral(above, true);
    KTDerivativeFunction tangent;
    tangent.m_function = 0;
    tangent.m_xText = "3";
    graph.AddDerivative(tangent, true);
    tangent.m_function = 4;
    tangent.m_xText = "-5";
    graph.AddDerivative(tangent, true);
    graph.SetDirty();
}

/// (c) r = a + cos(3 theta) for a from 0.5 to 10 in steps of 0.5, on a polar grid.
inline void BuildPolarFamily(KTGraph3& graph)
{
    UseRadians(graph);
    SetFunctions(graph, {"r=a/2+cos(3th)"});
    graph.Data().m_options.m_axes.m_usePolarGrid.m_value = 1;
    graph.Data().m_options.m_axes.m_showGrid.m_value = 1;
    graph.SetConstantRange("a", 1.0, 20.0, 1.0);
    graph.Data().m_family = 1;
    graph.SetDirty();
}

inline const ReferenceGraph kReferenceGraphs[] = {
    {"functions", BuildFunctionForms},
    {"regions", BuildFeasibleRegion},
    {"polar-family", BuildPolarFamily},
};

/// One paint as the view does it, into the whole image (white first) at the resolution in dots
/// per inch: 300 a printed page, 96 the screen.
inline void PaintGraph(KTGraph3& graph, QImage& image, int dpi = 300)
{
    image.fill(Qt::white);
    KTDC dc(&image);
    dc.SetResolution(dpi, dpi);
    dc.SetMapMode(MM_HIMETRIC);
    graph.ComputeDataExtents();
    graph.SetArea(0, 0, image.width() * HIMETRIC_INCH / dpi, -image.height() * HIMETRIC_INCH / dpi);
    graph.Layout(dc);
    graph.Recalculate(nullptr);
    graph.Draw(dc, nullptr);
}

} // namespace kttest
