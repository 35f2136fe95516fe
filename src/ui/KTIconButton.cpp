#include "ui/KTIconButton.h"

#include "platform/KTSoundPlayer.h"
#include "ui/KTResources.h"

#include <QDesktopServices>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QStyleOptionButton>
#include <QUrl>

#include <algorithm>
#include <vector>

namespace {

QColor ToQColor(COLORREF colour)
{
    return QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

COLORREF FromQColor(const QColor& colour)
{
    return RGB(colour.red(), colour.green(), colour.blue());
}

// Applies `change` to every pixel that is not transparent.
template <typename Change> QImage MapPixels(const QImage& source, Change change)
{
    QImage image = source.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(line[x]) != 0)
                line[x] = change(line[x]);
    }
    return image;
}

int GreyLevel(QRgb pixel)
{
    return static_cast<int>(0.299 * qRed(pixel) + 0.587 * qGreen(pixel) + 0.114 * qBlue(pixel));
}

} // namespace

KTIconButton::KTIconButton(const QString& text, QWidget* parent) : QPushButton(text, parent)
{
    const COLORREF face = FromQColor(palette().color(QPalette::Button));
    const COLORREF ink = FromQColor(palette().color(QPalette::ButtonText));
    m_colors = {face, ink, face, ink, face, ink};
    setFlat(true);
    setMouseTracking(true);
    connect(this, &QPushButton::clicked, this, &KTIconButton::OnClicked);
}

KTIconButton::~KTIconButton() = default;

void KTIconButton::SetImages(const QImage& image, int second)
{
    m_image = image;
    if (second == SecondGreyScale)
        m_second = GreyScale(image);
    else if (second == SecondDarker)
        m_second = Darker(image);
    else
        m_second = QImage();
    update();
}

void KTIconButton::SetImages(const QImage& image, const QImage& second)
{
    m_image = image;
    m_second = second;
    update();
}

int KTIconButton::OffsetColor(int slot, int shade, bool repaint)
{
    if (slot < 0 || slot >= MaxColors)
        return InvalidIndex;
    if (shade < -255 || shade > 255)
        return BadParam;
    const COLORREF colour = m_colors[static_cast<std::size_t>(slot)];
    const int red = GetRValue(colour), green = GetGValue(colour), blue = GetBValue(colour);
    // One amount for all three channels, cut so that none leaves 0..255.
    int amount = shade;
    if (shade > 0)
        amount = std::min({shade, 255 - red, 255 - green, 255 - blue});
    else if (shade < 0)
        amount = std::max({shade, -red, -green, -blue});
    m_colors[static_cast<std::size_t>(slot)] = RGB(red + amount, green + amount, blue + amount);
    if (repaint)
        update();
    return Ok;
}

COLORREF KTIconButton::GetColor(int slot) const
{
    return slot >= 0 && slot < MaxColors ? m_colors[static_cast<std::size_t>(slot)] : 0;
}

void KTIconButton::SetColor(int slot, COLORREF colour)
{
    if (slot >= 0 && slot < MaxColors)
        m_colors[static_cast<std::size_t>(slot)] = colour;
    update();
}

void KTIconButton::SetFlat(bool flat)
{
    m_flat = flat;
    setFlat(flat);
    update();
}

void KTIconButton::SetCheck(int check)
{
    if (m_checkBox)
        m_checked = check == 1 || check == 2;
    update();
}

void KTIconButton::SetURL(const CString& address)
{
    m_url = address.Left(259);
}

void KTIconButton::SetTooltipText(const CString& text)
{
    setToolTip(text.ToQString());
}

QImage KTIconButton::GreyScale(const QImage& image)
{
    return MapPixels(image, [](QRgb pixel) {
        const int grey = GreyLevel(pixel);
        return qRgba(grey, grey, grey, qAlpha(pixel));
    });
}

QImage KTIconButton::Embossed(const QImage& image, const QColor& highlight, const QColor& shadow)
{
    const QImage source = image.convertToFormat(QImage::Format_ARGB32);
    const int width = source.width(), height = source.height();
    // The platform's disabled look turns the picture into black and white first: light parts
    // vanish and only the dark ones are embossed.
    std::vector<char> shape(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    bool anyDark = false;
    for (bool darkOnly : {true, false}) {
        for (int y = 0; y < height; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(source.constScanLine(y));
            for (int x = 0; x < width; ++x) {
                const bool ink = qAlpha(line[x]) >= 128 && (!darkOnly || GreyLevel(line[x]) < 128);
                shape[static_cast<std::size_t>(y * width + x)] = ink;
                anyDark = anyDark || ink;
            }
        }
        if (anyDark)
            break;
    }
    QImage embossed(width + 1, height + 1, QImage::Format_ARGB32);
    embossed.fill(Qt::transparent);
    for (const auto& [offset, colour] : {std::pair{1, highlight.rgba()}, std::pair{0, shadow.rgba()}})
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (shape[static_cast<std::size_t>(y * width + x)])
                    embossed.setPixel(x + offset, y + offset, colour);
    return embossed;
}

void KTIconButton::SetSound(SoundSlot slot, const QUrl& sound)
{
    if (slot < 0 || slot >= SoundCount)
        return;
    m_sounds[static_cast<std::size_t>(slot)] = sound;
}

QUrl KTIconButton::GetSound(SoundSlot slot) const
{
    return slot >= 0 && slot < SoundCount ? m_sounds[static_cast<std::size_t>(slot)] : QUrl();
}

QUrl KTIconButton::StandardSound(SoundSlot slot)
{
    return KTResources::SoundUrl(slot == HoverSound ? QStringLiteral("hover") : QStringLiteral("click"));
}

bool KTIconButton::CanPlaySounds()
{
    return KTSoundPlayer::CanPlay();
}

void KTIconButton::PlaySound(SoundSlot slot)
{
    const auto index = static_cast<std::size_t>(slot);
    if (m_sounds[index].isEmpty())
        return;
    emit soundStarted(slot);
    KTSoundPlayer::Play(m_sounds[index]);
}

QImage KTIconButton::Darker(const QImage& image)
{
    return MapPixels(image, [](QRgb pixel) {
        return qRgba(static_cast<int>(qRed(pixel) * 0.75), static_cast<int>(qGreen(pixel) * 0.75),
                     static_cast<int>(qBlue(pixel) * 0.75), qAlpha(pixel));
    });
}

QImage KTIconButton::CurrentImage() const
{
    const bool pressed = m_checkBox ? (isDown() || m_checked) : (isDown() || m_menuOpen);
    if (m_hover || pressed || m_second.isNull())
        return m_image;
    return m_second;
}

void KTIconButton::OnClicked()
{
    setFocus();
    PlaySound(ClickSound);
    if (m_checkBox) {
        m_checked = !m_checked;
        update();
        return;
    }
    if (m_menu) {
        m_menuOpen = true;
        update();
        QAction* chosen = m_menu->exec(mapToGlobal(rect().bottomLeft()));
        m_menuOpen = false;
        update();
        if (chosen)
            emit menuCommand(chosen);
        return;
    }
    if (!m_url.IsEmpty())
        QDesktopServices::openUrl(QUrl::fromUserInput(m_url.ToQString()));
}

void KTIconButton::enterEvent(QEnterEvent* event)
{
    // A drag that started elsewhere does not light the button up.
    const bool dragging = QGuiApplication::mouseButtons() & Qt::LeftButton;
    if (m_flat && !m_hover && isEnabled() && !dragging) {
        m_hover = true;
        update();
        PlaySound(HoverSound);
    }
    QPushButton::enterEvent(event);
}

void KTIconButton::StopHovering()
{
    if (m_hover) {
        m_hover = false;
        update();
    }
}

void KTIconButton::leaveEvent(QEvent* event)
{
    StopHovering();
    QPushButton::leaveEvent(event);
}

void KTIconButton::focusOutEvent(QFocusEvent* event)
{
    if (m_flat)
        StopHovering();
    QPushButton::focusOutEvent(event);
}

bool KTIconButton::event(QEvent* event)
{
    if (event->type() == QEvent::WindowDeactivate && m_flat)
        StopHovering();
    return QPushButton::event(event);
}

void KTIconButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        if (hasFocus() && parentWidget())
            focusNextChild();
        m_hover = false;
    }
    QPushButton::changeEvent(event);
}

QSize KTIconButton::sizeHint() const
{
    QSize image = m_image.deviceIndependentSize().toSize();
    image = image.expandedTo(m_second.deviceIndependentSize().toSize());
    const QSize caption = text().isEmpty() ? QSize() : fontMetrics().size(Qt::TextShowMnemonic, text());
    QSize content;
    if (m_align == AlignImageAbove)
        content = QSize(std::max(image.width(), caption.width()), image.height() + caption.height());
    else
        content = QSize(image.width() + caption.width(), std::max(image.height(), caption.height()));
    // The paint's edge of 3 pixels a side and its pressed shift of one, and a little air.
    constexpr int kEdge = 3 + 1 + 4;
    return QPushButton::sizeHint().expandedTo(content + QSize(2 * kEdge, 2 * kEdge));
}

void KTIconButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const bool pressed = m_checkBox ? (isDown() || m_checked) : (isDown() || m_menuOpen);
    const bool focused = hasFocus();
    int background = BkColorOut, ink = FgColorOut;
    if (m_hover || pressed) {
        background = BkColorIn;
        ink = FgColorIn;
    } else if (focused) {
        background = BkColorFocus;
        ink = FgColorFocus;
    }
    QRect area = rect();
    // The default button of a dialog (also the one that takes Enter while focused) is framed.
    if (!m_flat && (focused || isDefault())) {
        painter.setPen(Qt::black);
        painter.drawRect(area.adjusted(0, 0, -1, -1));
        area.adjust(1, 1, -1, -1);
    }
    painter.fillRect(area, ToQColor(m_colors[static_cast<std::size_t>(background)]));
    if (pressed && m_flat) {
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawLine(area.topLeft(), area.topRight());
        painter.drawLine(area.topLeft(), area.bottomLeft());
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(area.bottomLeft(), area.bottomRight());
        painter.drawLine(area.topRight(), area.bottomRight());
    } else if (!m_flat || m_hover) {
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(area.topLeft(), area.topRight());
        painter.drawLine(area.topLeft(), area.bottomLeft());
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawLine(area.bottomLeft(), area.bottomRight());
        painter.drawLine(area.topRight(), area.bottomRight());
    }
    const int shift = pressed && !m_checkBox ? 1 : 0;
    area.adjust(3 + shift, 3 + shift, -3 + shift, -3 + shift);

    QRect textArea = area;
    const QImage image = CurrentImage();
    if (!image.isNull()) {
        const QColor highlight = palette().color(QPalette::Active, QPalette::Light);
        const QColor shadow = palette().color(QPalette::Active, QPalette::Dark);
        const QImage shown = isEnabled()  ? image
                             : m_embossed ? Embossed(image, highlight, shadow)
                                          : GreyScale(image);
        QRect imageRect(QPoint(0, 0), image.size());
        const bool hasText = !text().isEmpty();
        if (m_align == AlignImageAbove) {
            imageRect.moveCenter(area.center());
            if (hasText) {
                imageRect.moveTop(area.top());
                textArea.setTop(imageRect.bottom() + 1);
            }
        } else {
            imageRect.moveCenter(area.center());
            if (hasText && m_align == AlignImageRight) {
                imageRect.moveRight(area.right());
                textArea.setRight(imageRect.left() - 1);
            } else if (hasText) {
                imageRect.moveLeft(area.left());
                textArea.setLeft(imageRect.right() + 1);
            }
        }
        painter.drawImage(imageRect.topLeft(), shown);
    }
    if (!text().isEmpty()) {
        const int flags = Qt::AlignCenter | Qt::TextWordWrap;
        if (isEnabled()) {
            painter.setPen(ToQColor(m_colors[static_cast<std::size_t>(ink)]));
            painter.drawText(textArea, flags, text());
        } else {
            painter.setPen(palette().color(QPalette::Active, QPalette::Light));
            painter.drawText(textArea.translated(1, 1), flags, text());
            painter.setPen(palette().color(QPalette::Active, QPalette::Dark));
            painter.drawText(textArea, flags, text());
        }
    }
    if (focused && !m_flat) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}
