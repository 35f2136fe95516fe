#include "engine/KTFunction3.h"
#include "engine/ASNodePool.h"
#include "foundation/KTSentinelValues.h"
#include "graph/KTAxes.h"
#include <gtest/gtest.h>
#include <cstdio>

static CString Dump(const ASTokenList& l) {
    CString s;
    for (int i = 0; i < l.GetCount(); ++i) {
        const ASToken& t = l.At(i);
        if (t.m_kind == ASKind::Number) s.AppendFormat("%g ", t.m_value); else s.AppendFormat("#%d ", t.m_kind);
    }
    return s;
}

TEST(Probe, Dump)
{
    KTAxes axes;
    const char* texts[] = {"y = 2x + 1", "x^2 + y^2 = 4", "r = 2sin(3th)", "x = cos(t); y = sin(t)", "y > x^2 - 3; [-2, 2)",
        "y = a x^2", "y = pi - x", "y=+-sqrt(x)", "th = r", "x = y^2", "sin(y) = x", "(1, 2)", "<1,2>", "y = 3", "x = 2", "y = 5x",
        "y = x; [0, 1]; [2, 3]", "y=x; x>0", "y = foo(x)", "y = x +", "y=x^2; [0, 2]", "y = 1/(0)", "x*y = 1", "y = x/(x-1)", "2y + 3x = 6",
        "y = x + t + r", "y = x^(1/3)", "P", "y=x;(1,2)", "x^2/4 + y^2/9 = 1", "y^2 = x", "y=+-x+-1"};
    for (const char* t : texts) {
        KTFunction3 f(&axes);
        f.m_data.m_equationText = t;
        f.Interpret();
        printf("%-26s st=%d msg=[%s] interp=%d pol=%d inv=%d px=%d py=%d 2br=%d rel=%d dom=%d %g..%g %d,%d parts=[%s]\n", t, f.Status(),
               f.Parts().GetMessage().c_str(), f.m_data.m_interpreted, f.Parts().m_polar, f.Parts().m_inverse, f.Parts().m_parametricX,
               f.Parts().m_parametricY, f.m_twoBranches, f.m_data.m_relation, f.m_data.m_domain.m_valid, f.m_data.m_domain.m_low,
               f.m_data.m_domain.m_high, f.m_data.m_domain.m_lowEnd, f.m_data.m_domain.m_highEnd, f.Parts().GetDescription().c_str());
        printf("     L1: %s | L2: %s | y(2)=%.10g", Dump(*f.m_data.List(0)).c_str(), Dump(*f.m_data.List(1)).c_str(), f.Evaluate(2, KTNoSecondValue).m_y);
        for (auto& m : f.PendingMessages()) printf(" MSG{%s|%s}", m.caption.c_str(), m.text.c_str());
        printf("\n");
    }
}
