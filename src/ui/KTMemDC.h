#pragma once
// Off-screen painting: a device context over a picture the size of the area being painted,
// copied to its target in one piece when it ends, so that a paint never shows half-drawn.
// On a printed page there is nothing to gain: the context then draws straight onto the page.
//
//     KTDC dc(&painter);
//     { KTMemDC mem(dc); graph.Draw(mem); } // copied to the widget here

#include "platform/KTDC.h"
#include "platform/KTGdiTypes.h"

#include <memory>

class QImage;
class QPainter;

/// The picture and its painter, made before the device context that draws into them.
class KTMemDCBuffer
{
protected:
    KTMemDCBuffer(KTDC& target, const CRect* rect);
    ~KTMemDCBuffer();
    KTMemDCBuffer(const KTMemDCBuffer&) = delete;
    KTMemDCBuffer& operator=(const KTMemDCBuffer&) = delete;

    /// What the device context of the memory DC draws through: the picture's painter, or the
    /// target's own painter when the target prints.
    QPainter* DrawingPainter() const;

    KTDC& m_target;
    CRect m_rect;       ///< the area painted, logical units of the target
    CRect m_deviceRect; ///< the same area in the target's device units, ordered
    bool m_offScreen = true;
    std::unique_ptr<QImage> m_image;
    std::unique_ptr<QPainter> m_imagePainter;
};

class KTMemDC : private KTMemDCBuffer, public KTDC
{
public:
    /// Paints the rectangle (logical units of the target; its clip box when null). Off-screen
    /// the context has the target's mapping mode and extents, logical coordinates the same as
    /// the target's and a clip to the rectangle; on a printing target it shares the target's
    /// painter, mapping and printing flag. Either way the rectangle starts filled with the
    /// target's background colour.
    explicit KTMemDC(KTDC& target, const CRect* rect = nullptr);
    /// Off-screen, copies the picture onto the target at the rectangle.
    ~KTMemDC();

    bool IsOffScreen() const { return m_offScreen; }
    /// The area painted, in the target's logical units.
    const CRect& GetRect() const { return m_rect; }
    /// The picture being drawn (null when printing or when the area is empty).
    const QImage* GetImage() const { return m_image.get(); }
};
