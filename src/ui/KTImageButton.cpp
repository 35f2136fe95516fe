#include "ui/KTImageButton.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

KTImageButton::KTImageButton(QWidget* parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::TabFocus);
}

void KTImageButton::SetImages(const QPixmap& normal, const QPixmap& pressed)
{
    m_normal = normal;
    m_pressed = pressed;
    update();
}

QSize KTImageButton::sizeHint() const
{
    return m_normal.isNull() ? QSize(42, 22) : m_normal.deviceIndependentSize().toSize();
}

void KTImageButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPixmap& image = (isDown() || isChecked()) && !m_pressed.isNull() ? m_pressed : m_normal;
    if (!image.isNull())
        painter.drawPixmap(rect(), image);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}
