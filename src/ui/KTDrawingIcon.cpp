#include "ui/KTDrawingIcon.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>

#include <utility>

KTDrawingIcon::KTDrawingIcon(QString path) : m_path(std::move(path)) {}

KTDrawingIcon::~KTDrawingIcon() = default;

QSize KTDrawingIcon::DefaultSize()
{
    if (!m_read) {
        m_read = true;
        auto renderer = std::make_unique<QSvgRenderer>(m_path);
        if (renderer->isValid())
            m_renderer = std::move(renderer);
    }
    return m_renderer ? m_renderer->defaultSize() : QSize();
}

QSize KTDrawingIcon::actualSize(const QSize& size, QIcon::Mode, QIcon::State)
{
    QSize actual = DefaultSize();
    if (actual.isEmpty() || size.isEmpty())
        return {};
    actual.scale(size, Qt::KeepAspectRatio);
    return actual;
}

QPixmap KTDrawingIcon::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state)
{
    const QSize actual = actualSize(size, mode, state);
    if (actual.isEmpty())
        return {};
    const quint64 key = (static_cast<quint64>(actual.width()) << 32) |
                        (static_cast<quint64>(actual.height()) << 8) | static_cast<quint64>(mode);
    if (const auto found = m_drawn.constFind(key); found != m_drawn.constEnd())
        return *found;
    QImage image(actual, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        m_renderer->render(&painter);
    }
    QPixmap drawn = QPixmap::fromImage(std::move(image));
    // Disabled and selected commands look as the style makes any icon look in that state.
    if (mode != QIcon::Normal) {
        if (auto* application = qobject_cast<QApplication*>(QCoreApplication::instance())) {
            QStyleOption option;
            option.palette = QApplication::palette();
            drawn = application->style()->generatedIconPixmap(mode, drawn, &option);
        }
    }
    m_drawn.insert(key, drawn);
    return drawn;
}

void KTDrawingIcon::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state)
{
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    QPixmap drawn = pixmap(rect.size() * ratio, mode, state);
    if (drawn.isNull())
        return;
    drawn.setDevicePixelRatio(ratio);
    const QSize shown = drawn.size() / ratio;
    painter->drawPixmap(QRect(rect.topLeft() + QPoint((rect.width() - shown.width()) / 2,
                                                      (rect.height() - shown.height()) / 2),
                              shown),
                        drawn);
}

QIconEngine* KTDrawingIcon::clone() const
{
    return new KTDrawingIcon(m_path);
}

QString KTDrawingIcon::key() const
{
    return QStringLiteral("KTDrawingIcon");
}

bool KTDrawingIcon::isNull()
{
    return DefaultSize().isEmpty();
}
