#include "ui/CColorButton.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <qdrawutil.h>

namespace {

constexpr int kEdge = 2;

COLORREF FromQColor(const QColor& colour)
{
    return RGB(colour.red(), colour.green(), colour.blue());
}

QColor ToQColor(COLORREF colour)
{
    return QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

} // namespace

CColorButton::CColorButton(QWidget* parent) : QPushButton(parent)
{
    // The workspace colour: what shows behind document windows.
    m_defaultColor = FromQColor(QApplication::palette().color(QPalette::Dark));
    connect(this, &QPushButton::clicked, this, &CColorButton::OpenPopup);
}

CColorButton::~CColorButton() = default;

void CColorButton::SetColor(COLORREF colour)
{
    m_color = colour;
    update();
}

void CColorButton::SetDefaultColor(COLORREF colour)
{
    m_defaultColor = colour;
    update();
}

COLORREF CColorButton::GetShownColor() const
{
    return m_color == COLORPICK_AUTOMATIC ? m_defaultColor : m_color;
}

void CColorButton::OpenPopup()
{
    if (m_popup)
        return;
    m_popupOpen = true;
    update();
    m_popup = new CColorPopup(mapToGlobal(QPoint(0, height())), m_color, this, m_defaultText, m_customText);
    emit colorPickDropDown(m_color);
}

void CColorButton::OnPopupSelChange(COLORREF colour)
{
    if (m_trackSelection)
        SetColor(colour);
    emit colorPickSelChange(colour);
}

void CColorButton::OnPopupOk(COLORREF colour)
{
    const COLORREF old = m_color;
    m_popupOpen = false;
    SetColor(colour);
    emit colorPickCloseUp(colour);
    emit colorPickOk(colour);
    if (colour != old)
        emit colorPickSelChange(colour);
}

void CColorButton::OnPopupCancel(COLORREF initial)
{
    m_popupOpen = false;
    SetColor(initial);
    emit colorPickCloseUp(initial);
    emit colorPickCancel(initial);
}

void CColorButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const bool pressed = m_popupOpen || isDown();
    const bool focused = m_popupOpen || hasFocus();

    QStyleOptionButton frame;
    initStyleOption(&frame);
    frame.text.clear();
    frame.icon = QIcon();
    frame.state &= ~(QStyle::State_Raised | QStyle::State_HasFocus);
    frame.state |= pressed ? QStyle::State_Sunken : QStyle::State_Raised;
    style()->drawPrimitive(QStyle::PE_PanelButtonCommand, &frame, &painter, this);

    QRect content = rect();
    if (pressed)
        content.translate(1, 1);
    if (focused) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = content.adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
    content.adjust(kEdge, kEdge, -kEdge, -kEdge);

    // The drop arrow: a filled downward triangle half an edge in from the right.
    const int arrowWidth = 4;
    const int arrowHeight = 2;
    const int arrowLeft = content.right() - kEdge / 2 - arrowWidth;
    const int arrowTop = content.center().y() - arrowHeight / 2;
    const QPoint arrow[3] = {QPoint(arrowLeft, arrowTop), QPoint(arrowLeft + arrowWidth, arrowTop),
                             QPoint(arrowLeft + arrowWidth / 2, arrowTop + arrowHeight)};
    const QColor arrowColour =
        isEnabled() ? QColor(Qt::black) : palette().color(QPalette::Disabled, QPalette::Text);
    painter.setPen(arrowColour);
    painter.setBrush(arrowColour);
    painter.drawPolygon(arrow, 3);

    // An etched line between the swatch and the arrow.
    const int separator = arrowLeft - kEdge - 2;
    qDrawShadeLine(&painter, separator, content.top() + 1, separator, content.bottom() - 1, palette(), true,
                   1, 0);
    content.setRight(separator - 2 * kEdge - 1);
    if (!isEnabled() || content.width() <= 0)
        return;

    const QRect swatch = content.adjusted(kEdge, kEdge, -kEdge, -kEdge);
    painter.fillRect(swatch, ToQColor(GetShownColor()));
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(swatch.adjusted(0, 0, -1, -1));
}

void DDX_ColorButton(bool saveAndValidate, CColorButton& button, COLORREF& value)
{
    if (saveAndValidate)
        value = button.GetColor();
    else
        button.SetColor(value);
}
