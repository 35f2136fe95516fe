#include "ui/KTMemDC.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainter>

#include <cmath>

namespace {

// Larger pictures than this are refused (the memory DC then only measures): no screen needs
// them, and a wild rectangle must not ask for gigabytes.
constexpr int kMostPixels = 16384;

bool IsScalable(int mode)
{
    return mode == MM_ISOTROPIC || mode == MM_ANISOTROPIC;
}

} // namespace

KTMemDCBuffer::KTMemDCBuffer(KTDC& target, const CRect* rect) : m_target(target)
{
    if (rect)
        m_rect = *rect;
    else
        target.GetClipBox(&m_rect);
    m_offScreen = !target.IsPrinting();
    if (!m_offScreen)
        return;

    m_deviceRect = m_rect;
    target.LPtoDP(&m_deviceRect);
    m_deviceRect.NormalizeRect();
    const int width = m_deviceRect.Width();
    const int height = m_deviceRect.Height();
    if (width <= 0 || height <= 0 || width > kMostPixels || height > kMostPixels)
        return;

    // On a high-resolution screen the picture carries the screen's pixel ratio, so that it is
    // as sharp as painting straight onto the window would be.
    double ratio = 1.0;
    if (QPainter* painter = target.GetPainter(); painter && painter->device())
        ratio = std::max(1.0, painter->device()->devicePixelRatioF());
    m_image = std::make_unique<QImage>(static_cast<int>(std::ceil(width * ratio)),
                                       static_cast<int>(std::ceil(height * ratio)),
                                       QImage::Format_ARGB32_Premultiplied);
    m_image->setDevicePixelRatio(ratio);
    m_image->setDotsPerMeterX(static_cast<int>(std::lround(target.GetDeviceCaps(LOGPIXELSX) / 0.0254)));
    m_image->setDotsPerMeterY(static_cast<int>(std::lround(target.GetDeviceCaps(LOGPIXELSY) / 0.0254)));
    m_imagePainter = std::make_unique<QPainter>();
    if (!m_imagePainter->begin(m_image.get())) {
        m_imagePainter.reset();
        m_image.reset();
    }
}

KTMemDCBuffer::~KTMemDCBuffer()
{
    if (m_imagePainter)
        m_imagePainter->end();
}

QPainter* KTMemDCBuffer::DrawingPainter() const
{
    return m_offScreen ? m_imagePainter.get() : m_target.GetPainter();
}

KTMemDC::KTMemDC(KTDC& target, const CRect* rect) : KTMemDCBuffer(target, rect), KTDC(DrawingPainter())
{
    SetResolution(target.GetDeviceCaps(LOGPIXELSX), target.GetDeviceCaps(LOGPIXELSY));
    SetPrinting(target.IsPrinting());
    SetMapMode(target.GetMapMode());
    if (IsScalable(target.GetMapMode())) {
        SetWindowExt(target.GetWindowExt());
        SetViewportExt(target.GetViewportExt());
    }
    if (m_offScreen) {
        // The picture's top-left pixel shows the logical point at the area's top-left device
        // corner, so callers draw in the target's own logical coordinates.
        CPoint corner = m_deviceRect.TopLeft();
        target.DPtoLP(&corner);
        SetWindowOrg(corner);
        SetViewportOrg(0, 0);
        IntersectClipRect(m_rect);
    } else {
        SetWindowOrg(target.GetWindowOrg());
        SetViewportOrg(target.GetViewportOrg());
    }
    FillSolidRect(m_rect, target.GetBkColor());
}

KTMemDC::~KTMemDC()
{
    QPainter* painter = m_target.GetPainter();
    if (!m_offScreen || !m_image || !painter)
        return;
    painter->save();
    painter->setCompositionMode(QPainter::CompositionMode_Source);
    painter->drawImage(QPoint(m_deviceRect.left, m_deviceRect.top), *m_image);
    painter->restore();
}
