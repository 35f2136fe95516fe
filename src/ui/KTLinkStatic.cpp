#include "ui/KTLinkStatic.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QTimer>
#include <QUrl>

#include <algorithm>

namespace {

QColor ToQColor(COLORREF colour)
{
    return QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

COLORREF FromQColor(const QColor& colour)
{
    return RGB(colour.red(), colour.green(), colour.blue());
}

} // namespace

KTLinkStatic::KTLinkStatic(const QString& text, QWidget* parent, int controlId)
    : QLabel(text, parent), m_controlId(controlId)
{
    m_textColor = FromQColor(palette().color(QPalette::WindowText));
    m_font = font();
    setWordWrap(true);
}

KTLinkStatic::~KTLinkStatic() = default;

void KTLinkStatic::Redraw()
{
    setFont(m_font);
    update();
    if (m_transparent && parentWidget())
        parentWidget()->update(geometry());
}

KTLinkStatic& KTLinkStatic::SetText(const CString& text)
{
    setText(text.ToQString());
    Redraw();
    return *this;
}

KTLinkStatic& KTLinkStatic::SetTextColor(COLORREF colour)
{
    m_textColor = colour;
    Redraw();
    return *this;
}

KTLinkStatic& KTLinkStatic::Set3DTextColor(COLORREF colour)
{
    m_3dColor = colour;
    Redraw();
    return *this;
}

KTLinkStatic& KTLinkStatic::SetBkColor(COLORREF colour, COLORREF gradientStart, bool gradient)
{
    m_bkColor = colour;
    m_gradientStart = gradientStart;
    m_gradient = gradient;
    m_hasBkBrush = !gradient;
    m_bkBrushColor = colour;
    Redraw();
    return *this;
}

KTLinkStatic& KTLinkStatic::SetFontBold(bool on)
{
    m_font.setWeight(on ? QFont::Bold : QFont::Normal);
    Redraw();
    return *this;
}

KTLinkStatic& KTLinkStatic::SetFontItalic(bool on)
{
    m_font.setItalic(on);
    Redraw();
    return *this;
}

KTLinkStatic& KTLinkStatic::SetFontUnderline(bool on)
{
    m_font.setUnderline(on);
    Redraw();
    return *this;
}

KTLinkStatic& KTLinkStatic::SetFontSize(int points)
{
    if (points > 0)
        m_font.setPointSize(points);
    Redraw();
    return *this;
}

KTLinkStatic& KTLinkStatic::SetFontName(const CString& face)
{
    m_font.setFamily(face.Left(31).ToQString());
    Redraw();
    return *this;
}

KTLinkStatic& KTLinkStatic::SetRotation(int degrees, bool on)
{
    m_rotation = degrees;
    m_rotated = on;
    Redraw();
    return *this;
}

KTLinkStatic& KTLinkStatic::Set3DText(bool on, bool raised)
{
    m_3dText = on;
    m_raised = raised;
    Redraw();
    return *this;
}

KTLinkStatic& KTLinkStatic::SetSunken(bool on)
{
    setFrameStyle(on ? (QFrame::Panel | QFrame::Sunken) : QFrame::NoFrame);
    Redraw();
    return *this;
}

KTLinkStatic& KTLinkStatic::SetBorder(bool on)
{
    setFrameStyle(on ? (QFrame::Box | QFrame::Plain) : QFrame::NoFrame);
    Redraw();
    return *this;
}

KTLinkStatic& KTLinkStatic::SetTransparent(bool on)
{
    m_transparent = on;
    setAttribute(Qt::WA_TranslucentBackground, on);
    Redraw();
    return *this;
}

KTLinkStatic& KTLinkStatic::SetLink(bool on, bool notifyOnly)
{
    m_linkKind = on ? LinkAddress : LinkNone;
    m_notifyOnly = notifyOnly;
    Redraw();
    return *this;
}

KTLinkStatic& KTLinkStatic::SetMailLink(bool on, bool notifyOnly)
{
    m_linkKind = on ? LinkMail : LinkNone;
    m_notifyOnly = notifyOnly;
    Redraw();
    return *this;
}

KTLinkStatic& KTLinkStatic::SetLinkCursor(const QCursor& cursor)
{
    setCursor(cursor);
    return *this;
}

KTLinkStatic& KTLinkStatic::SetLinkTarget(const CString& target)
{
    m_target = target;
    Redraw();
    return *this;
}

KTLinkStatic& KTLinkStatic::SetStaticStyle(DWORD style)
{
    m_style = style;
    // The label asks for the room its text is painted in: one line where the style wraps none.
    setWordWrap((TextFlags(style, CString()) & Qt::TextWordWrap) != 0);
    Redraw();
    return *this;
}

void KTLinkStatic::StopFlash()
{
    if (m_flashTimer) {
        m_flashTimer->stop();
        delete m_flashTimer;
        m_flashTimer = nullptr;
    }
}

KTLinkStatic& KTLinkStatic::FlashText(bool on)
{
    StopFlash();
    if (on) {
        m_flashPhase = 0;
        m_flashTimer = new QTimer(this);
        connect(m_flashTimer, &QTimer::timeout, this, &KTLinkStatic::OnTimer);
        m_flashTimer->start(FlashIntervalMs);
        m_flashMode = FlashTextMode;
    } else {
        m_flashMode = FlashNone;
    }
    Redraw();
    return *this;
}

KTLinkStatic& KTLinkStatic::FlashBackground(bool on)
{
    StopFlash();
    if (on) {
        m_flashPhase = 0;
        m_flashTimer = new QTimer(this);
        connect(m_flashTimer, &QTimer::timeout, this, &KTLinkStatic::OnTimer);
        m_flashTimer->start(FlashIntervalMs);
        m_flashMode = FlashBackgroundMode;
    }
    Redraw();
    return *this;
}

void KTLinkStatic::OnTimer()
{
    m_flashPhase = m_flashPhase ? 0 : 1;
    Redraw();
}

CString KTLinkStatic::ClickTarget() const
{
    if (m_notifyOnly)
        return CString();
    const CString text = CString::FromQString(this->text());
    if (m_linkKind == LinkAddress)
        return m_target.IsEmpty() ? text : m_target;
    if (m_linkKind == LinkMail)
        return CString("mailto:") + text;
    return CString();
}

COLORREF KTLinkStatic::CurrentTextColor() const
{
    // The hidden phase of flashing text takes the background's colour (black without a chosen one).
    if (m_flashMode == FlashTextMode && m_flashPhase == 0)
        return m_hasBkBrush ? m_bkBrushColor : 0;
    return m_textColor;
}

int KTLinkStatic::TextFlags(DWORD style, const CString& text)
{
    int flags = 0;
    if (style & SS_CENTERIMAGE)
        return text.Find("\r\n") >= 0 ? int(Qt::AlignHCenter) : int(Qt::AlignHCenter | Qt::AlignVCenter);
    const DWORD type = style & 0x1F;
    if (type == SS_CENTER)
        flags = Qt::AlignHCenter | Qt::TextWordWrap;
    else if (type == SS_RIGHT)
        flags = Qt::AlignRight | Qt::TextWordWrap;
    else if (type == SS_LEFTNOWORDWRAP)
        flags = Qt::AlignLeft;
    else
        flags = Qt::AlignLeft | Qt::TextWordWrap;
    if (text.Find('\t') >= 0)
        flags |= Qt::TextExpandTabs;
    return flags | Qt::AlignTop;
}

std::vector<KTLinkStatic::Band> KTLinkStatic::GradientBands(const QRect& rect, COLORREF start, COLORREF end)
{
    std::vector<Band> bands;
    const int width = rect.width();
    if (width <= 0)
        return bands;
    const int count = std::min(100, width);
    // Channels in 1/256 units, as the steps are.
    int red = GetRValue(start) * 256, green = GetGValue(start) * 256, blue = GetBValue(start) * 256;
    const int redStep = (GetRValue(end) - GetRValue(start)) * 256 / count;
    const int greenStep = (GetGValue(end) - GetGValue(start)) * 256 / count;
    const int blueStep = (GetBValue(end) - GetBValue(start)) * 256 / count;
    for (int i = 0; i < count; ++i) {
        const int left = rect.left() + i * width / count;
        const int right = i == count - 1 ? rect.left() + width : rect.left() + (i + 1) * width / count;
        bands.push_back(
            {QRect(left, rect.top(), right - left, rect.height()), RGB(red / 256, green / 256, blue / 256)});
        red += redStep;
        green += greenStep;
        blue += blueStep;
    }
    return bands;
}

void KTLinkStatic::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect area = contentsRect();
    if (!m_transparent) {
        if (m_gradient) {
            for (const Band& band : GradientBands(area, m_gradientStart, m_bkColor))
                painter.fillRect(band.rect, ToQColor(band.colour));
        } else {
            painter.fillRect(area,
                             m_hasBkBrush ? ToQColor(m_bkBrushColor) : palette().color(QPalette::Button));
        }
    }
    painter.setFont(m_font);
    const CString text = CString::FromQString(this->text());
    const QString shown = this->text();
    if (m_rotated) {
        painter.save();
        painter.translate(area.center());
        painter.rotate(-m_rotation);
        painter.setPen(ToQColor(CurrentTextColor()));
        painter.drawText(0, 0, shown);
        painter.restore();
        return;
    }
    const int flags = TextFlags(m_style, text);
    painter.setPen(ToQColor(CurrentTextColor()));
    painter.drawText(area, flags, shown);
    if (m_3dText) {
        painter.setPen(ToQColor(m_3dColor));
        painter.drawText(area.translated(m_raised ? 1 : -1, m_raised ? 1 : -1), flags, shown);
    }
}

void KTLinkStatic::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        if (m_notifyOnly)
            emit linkClicked(m_controlId, NM_LINKSTATIC_CLICK);
        else if (const CString target = ClickTarget(); !target.IsEmpty())
            QDesktopServices::openUrl(m_linkKind == LinkMail ? QUrl(target.ToQString())
                                                             : QUrl::fromUserInput(target.ToQString()));
    }
    QLabel::mousePressEvent(event);
}
