#include "app/KTG300SrvrItem.h"

#include "app/KTG300App.h"
#include "app/KTG300Doc.h"
#include "platform/KTDC.h"

namespace {

CSize LastGraphSize()
{
    const KTG300App* app = KTGetApp();
    return app ? app->m_lastGraphSize : CSize(10000, 10000);
}

} // namespace

void KTG300SrvrItem::Serialize(KTArchive& ar)
{
    m_document.Serialize(ar);
}

bool KTG300SrvrItem::OnGetExtent(int aspect, CSize& size) const
{
    if (aspect != DVASPECT_CONTENT) {
        size = CSize(0, 0);
        return false;
    }
    size = LastGraphSize();
    return true;
}

bool KTG300SrvrItem::OnDraw(KTDC& dc, CSize& size)
{
    size = LastGraphSize();
    dc.SetMapMode(MM_ANISOTROPIC);
    dc.SetTextAlign(0);
    dc.SetWindowOrg(0, 0);
    dc.SetWindowExt(size);
    dc.SetViewportExt(size);
    m_document.PrepareForPicture(dc);
    m_document.DrawDocument(dc);
    return true;
}
