#include "ASTestHelpers.h"
#include "engine/ASNodePool.h"
#include <gtest/gtest.h>
#include <cstdio>
TEST(Scratch, P)
{
    for (const char* text : {"X*Y^3=Y^3*X+X/(Y^3/X-Y^2-Y*2)^3", "-X=2*A-0.5*X/(-Y^2*X*(A-3*0.5))-A*X", "A=2/Y^3^2*3+Y*X*2"}) {
        ASNodePool::Global().DeleteAll();
        ASRelation relation;
        ASRestrictionList r;
        bool set = relation.SetFromTokens(astest::Tokens(text));
        CString t0 = relation.Text(); t0.Remove(' ');
        bool ok = set && relation.RearrangeForY(r);
        CString t = relation.Text(); t.Remove(' ');
        std::printf("%s set=%d ok=%d\n  %s\n  %s\n", text, set, ok, t0.c_str(), t.c_str());
        for (auto& x : r) { CString s = x.node->ToString(); s.Remove(' '); std::printf("  restr %s\n", s.c_str()); }
    }
}
