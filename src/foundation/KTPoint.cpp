#include "foundation/KTPoint.h"

#include "foundation/KTSegmentSide.h"
#include "platform/KTArchive.h"

namespace {

const KTRegisterRuntimeClass<KTPoint> registerPoint("KTPoint", 1);

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
    return KTSegmentSide(p1, p2).Separates(p3, p4) && KTSegmentSide(p3, p4).Separates(p1, p2);
}
