#pragma once
// The item through which another program's document would hold a graph: the size of its
// picture and the picture itself. No container can embed the graph on this system; the item
// serves the same picture to whatever asks for one.

#include "platform/KTGdiTypes.h"

class KTArchive;
class KTDC;
class KTG300Doc;

/// The aspects a container may ask the extent of.
constexpr int DVASPECT_CONTENT = 1;
constexpr int DVASPECT_THUMBNAIL = 2;
constexpr int DVASPECT_ICON = 4;
constexpr int DVASPECT_DOCPRINT = 8;

class KTG300SrvrItem
{
public:
    explicit KTG300SrvrItem(KTG300Doc& document) : m_document(document) {}

    KTG300Doc& GetDocument() const { return m_document; }
    /// The whole document's archive (the native data of an embedded graph).
    void Serialize(KTArchive& ar);
    /// The content aspect: the last graph size a view drew (10000 x 10000 before any) and true;
    /// any other aspect: (0, 0) and false.
    bool OnGetExtent(int aspect, CSize& size) const;
    /// Draws the document at the last graph size in an anisotropic mapping of that extent.
    bool OnDraw(KTDC& dc, CSize& size);

private:
    KTG300Doc& m_document;
};
