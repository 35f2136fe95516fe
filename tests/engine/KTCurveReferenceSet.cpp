#include "KTCurveReferenceSet.h"

#include "KTCurveTestSupport.h"

#include "engine/KTCurveRefiner.h"
#include "platform/KTDC.h"

#include <QImage>

namespace kttest {

namespace {

std::unique_ptr<KTFunction3> Make(KTAxes& axes, int slot)
{
    auto f = std::make_unique<KTFunction3>(&axes);
    f->Data().m_options.SetDefaults(slot);
    f->SetIndex(slot);
    return f;
}

} // namespace

void SetReferenceAxes(KTAxes& axes)
{
    SetPageAxes(axes, -10, 10, -7.5, 7.5, 0);
}

void SetPageAxes(KTAxes& axes, double xmin, double xmax, double ymin, double ymax, int angleSystem, int width,
                 int height)
{
    const int logicalWidth = width * HIMETRIC_INCH / 96;
    const int logicalHeight = height * HIMETRIC_INCH / 96;
    SetAxes(axes, xmin, xmax, ymin, ymax, width - 1, height - 1, angleSystem);
    // Logical units of MM_HIMETRIC: y grows upwards, the page's top edge at 0.
    axes.m_xAxis.m_pixel = CRect(0, 0, logicalWidth, 0);
    axes.m_xAxis.m_edge = CRect(-300, 300, logicalWidth + 300, -logicalHeight - 300);
    axes.m_yAxis.m_pixel = CRect(0, -logicalHeight, 0, 0);
    axes.m_yAxis.m_edge = CRect(-300, -logicalHeight - 300, logicalWidth + 300, 300);
    axes.m_rect = CRect(0, 0, logicalWidth, -logicalHeight);
    axes.m_mapModeMetric = 1;
}

std::vector<CurveReference> MakeCurveReferences(KTAxes& axes)
{
    std::vector<CurveReference> set;
    const auto add = [&](const char* name, int slot) -> KTFunction3& {
        set.push_back({name, Make(axes, slot)});
        return *set.back().function;
    };

    Prepare(add("polynomial", 0), Form::Explicit, "x 3 ^ 10 / x -");

    KTFunction3& rational = add("rational", 1);
    Prepare(rational, Form::Explicit, "1 x 2 - / 1 +");
    SetPostfix(rational, KTFunctionData3::DiscontinuityList, "x 2 -");
    rational.Data().m_options.m_hAsym.m_value = 1;

    Prepare(add("sine-degrees", 2), Form::Explicit, "x 30 * SIN 4 *");

    KTFunction3& rose = add("polar-rose", 3);
    Prepare(rose, Form::Polar, "q 3 * COS 6 *");

    KTFunction3& lissajous = add("lissajous", 4);
    Prepare(lissajous, Form::Parametric, "t 3 * SIN 8 *", "t 2 * SIN 6 *");
    lissajous.Data().m_domain.m_high = 360.0;

    Prepare(add("circle", 5), Form::Implicit, "25", "x 2 ^ y 2 ^ +");

    Prepare(add("implicit-cubic", 6), Form::Implicit, "x 3 ^ 4 x * -", "y 2 ^");

    KTFunction3& inequality = add("inequality", 7);
    Prepare(inequality, Form::Implicit, "0.5 x * 3 -", "y");
    inequality.Data().m_relation = ASKind::Less;

    KTFunction3& family = add("family", 8);
    Prepare(family, Form::Explicit, "x 2 ^ 4 / a +");
    family.Data().m_constants.m_range[0] = KTFunctionConstantRange(-4, 4, 2, 1);
    set.back().family = true;

    KTFunction3& domain = add("domain", 9);
    Prepare(domain, Form::Explicit, "x 2 ^ 2 / 2 -");
    domain.Data().m_domain.m_low = -2.0;
    domain.Data().m_domain.m_high = 3.0;
    domain.Data().m_domain.m_lowEnd = KTFunctionDomain::EndClosed;
    domain.Data().m_domain.m_highEnd = KTFunctionDomain::EndOpen;
    return set;
}

void CalculateReference(CurveReference& reference)
{
    Recalculate(*reference.function);
}

void DrawReference(CurveReference& reference, KTDC& dc)
{
    if (reference.family)
        reference.function->DrawFamily(dc);
    else
        reference.function->Draw(dc);
}

int InkBetween(const QImage& drawn, const QImage& blank)
{
    int ink = 0;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
            ink += drawn.pixel(x, y) != blank.pixel(x, y);
    return ink;
}

void PreparePage(QImage& image, KTDC& dc, KTAxes& axes)
{
    image.fill(Qt::white);
    dc.SetMapMode(MM_HIMETRIC);
    dc.SelectObject(KTPen(PS_SOLID, 0, RGB(160, 160, 160)));
    dc.MoveTo(axes.GraphToDevice(axes.m_xAxis.m_min, 0, 0, 0));
    dc.LineTo(axes.GraphToDevice(axes.m_xAxis.m_max, 0, 0, 0));
    dc.MoveTo(axes.GraphToDevice(0, axes.m_yAxis.m_min, 0, 0));
    dc.LineTo(axes.GraphToDevice(0, axes.m_yAxis.m_max, 0, 0));
    dc.SelectStockObject(KTStockObject::BlackPen);
}

} // namespace kttest
