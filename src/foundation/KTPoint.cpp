#include "foundation/KTPoint.h"

#include "platform/KTArchive.h"

namespace {

const KTRegisterRuntimeClass<KTPoint> registerPoint("KTPoint", 1);

double Cross(const KTVector& u, const KTPoint& p)
{
    return u.m_dx * p.m_y - u.m_dy * p.m_x;
}

// True when exactly one of a and b lies below the line through `from` along `along`.
bool Separated(const KTPoint& from, const KTPoint& to, const KTPoint& a, const KTPoint& b)
{
    const KTVector along = to.Difference(from);
    const double reference = Cross(along, from);
    return (Cross(along, a) < reference) != (Cross(along, b) < reference);
}

} // namespace

void KTPoint::Serialize(KTArchive& ar)
{
    if (ar.IsStoring())
        ar << m_x << m_y;
    else
        ar >> m_x >> m_y;
}

bool SegmentsCross(const KTPoint& p1, const KTPoint& p2, const KTPoint& p3, const KTPoint& p4)
{
    return Separated(p1, p2, p3, p4) && Separated(p3, p4, p1, p2);
}
