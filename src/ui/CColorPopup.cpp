#include "ui/CColorPopup.h"

#include "ui/CColorButton.h"

#include <QApplication>
#include <QCloseEvent>
#include <QColorDialog>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QToolTip>
#include <qdrawutil.h>

#include <algorithm>
#include <array>

namespace {

struct NamedColor
{
    const char* name;
    COLORREF colour;
};

constexpr std::array<NamedColor, CColorPopup::kColorCount> kColors = {{
    {"Black", RGB(0, 0, 0)},
    {"Brown", RGB(165, 42, 0)},
    {"Dark Olive Green", RGB(0, 64, 64)},
    {"Dark Green", RGB(0, 85, 0)},
    {"Dark Teal", RGB(0, 0, 94)},
    {"Dark blue", RGB(0, 0, 139)},
    {"Indigo", RGB(75, 0, 130)},
    {"Dark grey", RGB(40, 40, 40)},
    {"Dark red", RGB(139, 0, 0)},
    {"Orange", RGB(255, 104, 32)},
    {"Dark yellow", RGB(139, 139, 0)},
    {"Green", RGB(0, 147, 0)},
    {"Teal", RGB(56, 142, 142)},
    {"Blue", RGB(0, 0, 255)},
    {"Blue-grey", RGB(123, 123, 192)},
    {"Grey - 40", RGB(102, 102, 102)},
    {"Red", RGB(255, 0, 0)},
    {"Light orange", RGB(255, 173, 91)},
    {"Lime", RGB(50, 205, 50)},
    {"Sea green", RGB(60, 179, 113)},
    {"Aqua", RGB(127, 255, 212)},
    {"Light blue", RGB(125, 158, 192)},
    {"Violet", RGB(128, 0, 128)},
    {"Grey - 50", RGB(127, 127, 127)},
    {"Pink", RGB(255, 192, 203)},
    {"Gold", RGB(255, 215, 0)},
    {"Yellow", RGB(255, 255, 0)},
    {"Bright green", RGB(0, 255, 0)},
    {"Turquoise", RGB(64, 224, 208)},
    {"Skyblue", RGB(192, 255, 255)},
    {"Plum", RGB(72, 0, 72)},
    {"Light grey", RGB(192, 192, 192)},
    {"Rose", RGB(255, 228, 225)},
    {"Tan", RGB(210, 180, 140)},
    {"Light yellow", RGB(255, 255, 224)},
    {"Pale green ", RGB(152, 251, 152)},
    {"Pale turquoise", RGB(175, 238, 238)},
    {"Pale blue", RGB(104, 131, 139)},
    {"Lavender", RGB(230, 230, 250)},
    {"White", RGB(255, 255, 255)},
}};

// The width of a window edge, as the platform's edge metric gives it.
constexpr int kEdge = 2;
constexpr int kSmallestBox = 18;

QColor ToQColor(COLORREF colour)
{
    return QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

// A rectangle given by its corners, right and bottom excluded.
QRect Corners(int left, int top, int right, int bottom)
{
    return QRect(left, top, right - left, bottom - top);
}

bool PlatformColorDialog(COLORREF& colour, QWidget* parent)
{
    const QColor chosen = QColorDialog::getColor(ToQColor(colour), parent);
    if (!chosen.isValid())
        return false;
    colour = RGB(chosen.red(), chosen.green(), chosen.blue());
    return true;
}

CColorPopup::ColorDialogHook& DialogHook()
{
    static CColorPopup::ColorDialogHook hook;
    return hook;
}

} // namespace

CColorPopup::ColorDialogHook CColorPopup::SetColorDialogHook(ColorDialogHook hook)
{
    ColorDialogHook previous = std::move(DialogHook());
    DialogHook() = std::move(hook);
    return previous;
}

COLORREF CColorPopup::GetColor(int index)
{
    return index >= 0 && index < kColorCount ? kColors[static_cast<std::size_t>(index)].colour : 0;
}

const char* CColorPopup::GetColorName(int index)
{
    return index >= 0 && index < kColorCount ? kColors[static_cast<std::size_t>(index)].name : "";
}

int CColorPopup::FindCell(COLORREF colour)
{
    for (int i = 0; i < kColorCount; ++i) {
        if (kColors[static_cast<std::size_t>(i)].colour == colour)
            return i;
    }
    return kNone;
}

CColorPopup::CColorPopup(QPoint screenPoint, COLORREF initial, CColorButton* button,
                         const CString& defaultText, const CString& customText)
    : QWidget(button, Qt::Popup), m_defaultText(defaultText), m_customText(customText), m_initial(initial),
      m_selected(initial), m_button(button)
{
    setAttribute(Qt::WA_DeleteOnClose);
    // A click on the button that dismisses the palette must not open it again.
    setAttribute(Qt::WA_NoMouseReplay);
    setMouseTracking(true);
    m_rows = (kColorCount + kColumns - 1) / kColumns;
    m_margin = kEdge;
    m_boxSize = std::max(kSmallestBox, 2 * m_margin + 7);
    m_font = QApplication::font("QMessageBox");
    Layout(screenPoint);

    m_chosen = FindCell(initial);
    if (m_chosen == kNone) {
        if (initial == COLORPICK_AUTOMATIC && !m_defaultText.IsEmpty())
            m_chosen = kAutomaticBox;
        else if (!m_customText.IsEmpty())
            m_chosen = kCustomBox;
    }
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) { OnActivateApp(state == Qt::ApplicationActive); });
    show();
}

CColorPopup::~CColorPopup() = default;

void CColorPopup::Layout(QPoint screenPoint)
{
    const QFontMetrics metrics(m_font);
    int textWidth = 0;
    int textHeight = 0;
    if (!m_defaultText.IsEmpty() || !m_customText.IsEmpty()) {
        for (const CString* text : {&m_defaultText, &m_customText}) {
            textWidth = std::max(textWidth, metrics.horizontalAdvance(text->ToQString()));
            textHeight = std::max(textHeight, metrics.height());
        }
        textWidth += 2 * m_margin;
        textHeight += 4 * m_margin + 2;
    }

    int width = 2 * m_margin + kColumns * m_boxSize;
    int height = 2 * m_margin + m_rows * m_boxSize;
    m_automaticRect = QRect();
    m_customRect = QRect();
    if (!m_defaultText.IsEmpty()) {
        width = std::max(width, textWidth);
        m_automaticRect = Corners(m_margin, m_margin, width - m_margin, textHeight + 2 * m_margin);
        height += m_automaticRect.height() + 2 * m_margin;
    }
    if (!m_customText.IsEmpty()) {
        width = std::max(width, textWidth);
        m_customRect = Corners(m_margin, height, width - m_margin, height + m_margin + textHeight);
        height += m_customRect.height() + 2 * m_margin;
    }

    // Keep the whole palette on the screen; one that would run off the bottom opens above its
    // button instead.
    QRect window(screenPoint, QSize(width, height));
    const QScreen* screen = QGuiApplication::screenAt(screenPoint);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->geometry();
        if (window.left() + width > area.left() + area.width())
            window.moveLeft(area.left() + area.width() - width);
        if (window.left() < area.left())
            window.moveLeft(area.left());
        if (window.top() + height > area.top() + area.height()) {
            const int buttonTop = m_button ? m_button->mapToGlobal(QPoint(0, 0)).y() : screenPoint.y();
            window.moveTop(buttonTop - height);
        }
    }
    m_windowRect = window;
    setGeometry(window);
}

QRect CColorPopup::GetCellRect(int index) const
{
    if (index < 0 || index >= kColorCount)
        return QRect();
    const int row = index / kColumns;
    const int column = index % kColumns;
    QRect cell(column * m_boxSize + m_margin, row * m_boxSize + m_margin, m_boxSize, m_boxSize);
    if (!m_automaticRect.isNull())
        cell.translate(0, m_automaticRect.height() + m_margin);
    return cell;
}

int CColorPopup::IndexAt(QPoint point) const
{
    if (m_automaticRect.contains(point))
        return kAutomaticBox;
    if (m_customRect.contains(point))
        return kCustomBox;
    for (int i = 0; i < kColorCount; ++i) {
        if (GetCellRect(i).contains(point))
            return i;
    }
    return kNone;
}

// ---- choosing ---------------------------------------------------------------------------------

void CColorPopup::ChangeSelection(int index)
{
    if (index == kNone || index < kAutomaticBox || index >= kColorCount)
        return;
    m_hot = index;
    update();
    if (index >= 0)
        m_selected = GetColor(index);
    else if (index == kAutomaticBox)
        m_selected = COLORPICK_AUTOMATIC;
    const COLORREF reported = index == kCustomBox ? m_initial : m_selected;
    if (m_button)
        m_button->OnPopupSelChange(reported);
}

void CColorPopup::EndSelection(bool ok)
{
    if (m_ended || m_insideDialog)
        return;
    if (ok && m_hot == kCustomBox) {
        // The palette steps aside while the dialog is open; the dialog's answer ends it.
        m_insideDialog = true;
        hide();
        COLORREF colour = m_initial & 0xFFFFFF;
        const ColorDialogHook& hook = DialogHook();
        const bool accepted =
            hook ? hook(colour, parentWidget()) : PlatformColorDialog(colour, parentWidget());
        m_insideDialog = false;
        if (accepted)
            m_selected = colour;
        else
            ok = false;
    }
    Finish(ok);
    close();
}

void CColorPopup::Finish(bool ok)
{
    m_ended = true;
    if (!ok)
        m_selected = m_initial;
    if (!m_button)
        return;
    if (ok)
        m_button->OnPopupOk(m_selected);
    else
        m_button->OnPopupCancel(m_selected);
}

void CColorPopup::OnActivateApp(bool active)
{
    if (!active)
        EndSelection(false);
}

void CColorPopup::closeEvent(QCloseEvent* event)
{
    // Closed from outside (a click elsewhere, the window system): that is a cancel.
    if (m_insideDialog) {
        event->ignore();
        return;
    }
    if (!m_ended)
        Finish(false);
    event->accept();
}

// ---- mouse and keyboard -------------------------------------------------------------------------

void CColorPopup::mouseMoveEvent(QMouseEvent* event)
{
    const int index = IndexAt(event->position().toPoint());
    if (index != kNone && index != m_hot)
        ChangeSelection(index);
}

void CColorPopup::mousePressEvent(QMouseEvent* event)
{
    if (!rect().contains(event->position().toPoint()))
        EndSelection(false);
}

void CColorPopup::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        EndSelection(rect().contains(event->position().toPoint()));
}

int CColorPopup::NextIndex(int key) const
{
    const bool hasAutomatic = !m_defaultText.IsEmpty();
    const bool hasCustom = !m_customText.IsEmpty();
    const int last = kColorCount - 1;
    // Leaving the grid backwards (left, up) goes to the top box first; forwards, to the bottom.
    const int before = hasAutomatic ? kAutomaticBox : hasCustom ? kCustomBox : last;
    const int after = hasCustom ? kCustomBox : hasAutomatic ? kAutomaticBox : 0;
    const bool backwards = key == Qt::Key_Left || key == Qt::Key_Up;

    if (m_hot == kNone)
        return 0;
    if (m_hot == kCustomBox)
        return backwards ? last : (hasAutomatic ? kAutomaticBox : 0);
    if (m_hot == kAutomaticBox)
        return backwards ? (hasCustom ? kCustomBox : last) : 0;

    const int row = m_hot / kColumns;
    switch (key) {
    case Qt::Key_Left: return m_hot > 0 ? m_hot - 1 : before;
    case Qt::Key_Up: return row > 0 ? m_hot - kColumns : before;
    case Qt::Key_Right: return m_hot < last ? m_hot + 1 : after;
    case Qt::Key_Down: return m_hot + kColumns <= last ? m_hot + kColumns : after;
    default: return m_hot;
    }
}

void CColorPopup::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space: EndSelection(true); break;
    case Qt::Key_Escape:
        m_selected = m_initial;
        EndSelection(false);
        break;
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down: ChangeSelection(NextIndex(event->key())); break;
    default: QWidget::keyPressEvent(event);
    }
}

bool CColorPopup::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const int index = IndexAt(help->pos());
        if (index >= 0)
            QToolTip::showText(help->globalPos(), QString::fromLatin1(GetColorName(index)), this,
                               GetCellRect(index));
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

// ---- painting ---------------------------------------------------------------------------------

void CColorPopup::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!m_automaticRect.isNull())
        DrawBox(painter, kAutomaticBox);
    for (int i = 0; i < kColorCount; ++i)
        DrawCell(painter, i);
    if (!m_customRect.isNull())
        DrawBox(painter, kCustomBox);
    qDrawWinPanel(&painter, rect(), palette(), false);
}

void CColorPopup::DrawEdges(QPainter& painter, const QRect& rect, int index)
{
    const QPalette& colours = palette();
    if (index == m_hot)
        qDrawShadeRect(&painter, rect, colours, false, 1, 0);
    else if (index == m_chosen)
        qDrawShadeRect(&painter, rect, colours, true, 1, 0);
}

void CColorPopup::DrawCell(QPainter& painter, int index)
{
    const QPalette& colours = palette();
    const QRect cell = GetCellRect(index);
    const bool chosenOnly = index == m_chosen && index != m_hot;
    painter.fillRect(cell, colours.color(chosenOnly ? QPalette::Light : QPalette::Button));
    DrawEdges(painter, cell, index);
    const int inset = m_margin + 1;
    const QRect swatch = cell.adjusted(inset, inset, -inset, -inset);
    painter.fillRect(swatch, ToQColor(GetColor(index)));
    painter.setPen(colours.color(QPalette::Dark));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(swatch.adjusted(0, 0, -1, -1));
}

void CColorPopup::DrawBox(QPainter& painter, int index)
{
    const QPalette& colours = palette();
    const QRect box = index == kAutomaticBox ? m_automaticRect : m_customRect;
    const CString& text = index == kAutomaticBox ? m_defaultText : m_customText;
    if (index == kCustomBox) {
        const int top = box.top() - m_margin;
        painter.setPen(colours.color(QPalette::Dark));
        painter.drawLine(box.left() + 2 * m_margin, top, box.right() - 2 * m_margin, top);
        painter.setPen(colours.color(QPalette::Light));
        painter.drawLine(box.left() + 2 * m_margin, top + 1, box.right() - 2 * m_margin, top + 1);
    }
    const bool chosenOnly = index == m_chosen && index != m_hot;
    painter.fillRect(box, colours.color(QPalette::Button));
    painter.fillRect(box.adjusted(1, 1, -1, -1),
                     colours.color(chosenOnly ? QPalette::Midlight : QPalette::Button));
    const int inset = 2 * m_margin;
    painter.setPen(colours.color(QPalette::Dark));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(box.adjusted(inset, inset, -inset - 1, -inset - 1));
    DrawEdges(painter, box, index);
    painter.setFont(m_font);
    painter.setPen(colours.color(QPalette::ButtonText));
    painter.drawText(box, Qt::AlignCenter | Qt::TextSingleLine, text.ToQString());
}
