#include "ui/KTSpinButtonCtrl.h"

#include "foundation/KTNumberTexts.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMostPositions = 32767;
// Values at or below this read as "no value" in list mode and go to the first entry.
constexpr double kListFloor = -1e12;
constexpr int kRepeatDelayMs = 400;
constexpr int kRepeatIntervalMs = 60;

// Relative tolerance of the range ends: a value that misses an end only by rounding noise
// still counts as inside.
double EndTolerance(double value, double end)
{
    return std::max(std::fabs(std::max(value, end)) * 1e-9, 1e-9);
}

} // namespace

KTSpinButtonCtrl::KTSpinButtonCtrl(QWidget* parent) : QWidget(parent)
{
    m_reader.m_bErrorValue = true;
    m_repeat = new QTimer(this);
    connect(m_repeat, &QTimer::timeout, this, &KTSpinButtonCtrl::RepeatPress);
    setFocusPolicy(Qt::NoFocus);
    SetRange(m_minimum, m_maximum, m_step);
}

KTSpinButtonCtrl::~KTSpinButtonCtrl() = default;

void KTSpinButtonCtrl::SetBuddy(QLineEdit* buddy)
{
    if (m_buddy)
        m_buddy->removeEventFilter(this);
    m_buddy = buddy;
    if (m_buddy)
        m_buddy->installEventFilter(this);
}

QLineEdit* KTSpinButtonCtrl::GetBuddy() const
{
    return m_buddy.data();
}

void KTSpinButtonCtrl::SetRange(const CString& minimum, const CString& maximum, const CString& step)
{
    m_minimum = minimum;
    m_maximum = maximum;
    m_step = step;
    const double stepValue = m_reader.ToDouble(m_step);
    if (stepValue == 0.0)
        return;
    const double span = std::fabs((m_reader.ToDouble(m_maximum) - m_reader.ToDouble(m_minimum)) / stepValue);
    // Also catches a span that is not a number (undefined ends), which no cast may see.
    m_positions = span < kMostPositions ? static_cast<int>(span) : kMostPositions;
    m_position = std::clamp(m_position, 0, m_positions);
    UpdatePosition(GetValue());
}

void KTSpinButtonCtrl::UpdatePosition(double value)
{
    const double minimum = m_reader.ToDouble(m_minimum);
    const double maximum = m_reader.ToDouble(m_maximum);
    if (minimum == maximum)
        return;
    if (value < minimum) {
        m_position = 0;
    } else if (value > maximum) {
        m_position = m_positions;
    } else {
        const double place = (value - minimum) / (maximum - minimum) * m_positions + 0.5;
        // A reversed range or a value that is not a number gives a place outside 0..N; keep the
        // conversion defined.
        m_position = std::isfinite(place) ? static_cast<int>(std::clamp(place, 0.0, double(m_positions))) : 0;
    }
    update();
}

void KTSpinButtonCtrl::SetText(const CString& text)
{
    if (m_buddy)
        m_buddy->setText(text.ToQString());
    UpdatePosition(m_reader.ToDouble(text));
}

void KTSpinButtonCtrl::SetValue(double value)
{
    KTNumberFormat format;
    format.m_bShowSign = false;
    format.m_bStripZeros = true;
    format.m_bReplaceMinus = false;
    format.m_nDigits = 6;
    SetText(format.Format(value));
}

CString KTSpinButtonCtrl::GetText() const
{
    return m_buddy ? CString::FromQString(m_buddy->text()) : CString();
}

double KTSpinButtonCtrl::GetValue() const
{
    return m_reader.ToDouble(GetText());
}

void KTSpinButtonCtrl::AddString(const CString& text)
{
    m_list.push_back(text);
    m_listMode = true;
}

void KTSpinButtonCtrl::OnDeltaPos(int delta)
{
    const CString text = m_listMode ? ListDelta(delta) : NumericDelta(delta);
    // The buddy takes the text without the position following it: the position moves by the
    // delta alone, as the arrows of a plain up-down control move it.
    if (m_buddy)
        m_buddy->setText(text.ToQString());
    MovePosition(delta);
    emit deltaPos(delta);
}

CString KTSpinButtonCtrl::NumericDelta(int delta) const
{
    CString text = GetText();
    CString stepText = m_step;
    MultiplyNumberText(stepText, delta);
    // The exact sum fails only for a buddy text that is not a number; that text reads as the
    // undefined value above every range.
    const bool summed = AddNumberText(text, stepText);
    const double value = GetValue() + delta * m_reader.ToDouble(m_step);
    const double minimum = m_reader.ToDouble(m_minimum);
    const double maximum = m_reader.ToDouble(m_maximum);

    if (delta < 0) {
        if (minimum - value > EndTolerance(value, minimum))
            return m_wrap ? m_maximum : m_minimum;
        // From above every range the first step down lands on the top of the range instead
        // of emptying the edit.
        if (!summed)
            return m_maximum;
    } else if (value - maximum > EndTolerance(value, maximum)) {
        return m_wrap ? m_minimum : m_maximum;
    }
    return text;
}

CString KTSpinButtonCtrl::ListDelta(int delta) const
{
    if (m_list.empty())
        return GetText();
    const double value = GetValue();
    if (value <= kListFloor)
        return m_list.front();
    // The first entry not below the value; the last when every entry is below it.
    std::size_t found = m_list.size() - 1;
    for (std::size_t i = 0; i < m_list.size(); ++i) {
        if (!(m_reader.ToDouble(m_list[i]) < value)) {
            found = i;
            break;
        }
    }
    if (delta < 1)
        return found == 0 ? m_list.front() : m_list[found - 1];
    return found + 1 < m_list.size() ? m_list[found + 1] : m_list[found];
}

void KTSpinButtonCtrl::MovePosition(int delta)
{
    long long position = static_cast<long long>(m_position) + delta;
    if (position > m_positions)
        position = m_wrap ? 0 : m_positions;
    else if (position < 0)
        position = m_wrap ? m_positions : 0;
    m_position = static_cast<int>(position);
    update();
}

// ---- the arrows ---------------------------------------------------------------------------------

QSize KTSpinButtonCtrl::sizeHint() const
{
    return QSize(16, 20);
}

void KTSpinButtonCtrl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int half = height() / 2;
    const QRect halves[2] = {QRect(0, 0, width(), half), QRect(0, half, width(), height() - half)};
    for (int i = 0; i < 2; ++i) {
        const bool down = (i == 0 && m_pressedDelta > 0) || (i == 1 && m_pressedDelta < 0);
        QStyleOptionButton button;
        button.initFrom(this);
        button.rect = halves[i];
        button.state |= down ? QStyle::State_Sunken : QStyle::State_Raised;
        style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &button, &painter, this);
        // A solid triangle in the button text's colour, as wide as the half allows: the style's
        // own arrow is drawn faint and a few pixels small in halves this size.
        const QRect inner = halves[i].adjusted(4, 2, -4, -2);
        int span = std::min(inner.width(), 2 * inner.height() - 1);
        span -= (span % 2 == 0) ? 1 : 0;
        if (span < 3)
            continue;
        const int rise = (span + 1) / 2;
        const QPoint centre = inner.center() + QPoint(down ? 1 : 0, down ? 1 : 0);
        const int left = centre.x() - span / 2;
        const int top = centre.y() - (rise - 1) / 2;
        const QColor colour =
            palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText);
        for (int row = 0; row < rise; ++row) {
            // The up arrow widens downwards from its one-pixel tip, the down arrow narrows to it.
            const int run = i == 0 ? 2 * row + 1 : span - 2 * row;
            painter.fillRect(QRect(left + (span - run) / 2, top + row, run, 1), colour);
        }
    }
}

void KTSpinButtonCtrl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressedDelta = event->position().y() < height() / 2.0 ? 1 : -1;
    OnDeltaPos(m_pressedDelta);
    m_repeat->start(kRepeatDelayMs);
    update();
}

void KTSpinButtonCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_repeat->stop();
        m_pressedDelta = 0;
        update();
    }
    QWidget::mouseReleaseEvent(event);
}

void KTSpinButtonCtrl::RepeatPress()
{
    if (m_pressedDelta == 0) {
        m_repeat->stop();
        return;
    }
    m_repeat->start(kRepeatIntervalMs);
    OnDeltaPos(m_pressedDelta);
}

bool KTSpinButtonCtrl::eventFilter(QObject* watched, QEvent* event)
{
    // The type is tested first: a buddy being destroyed still passes events through here, and
    // must not be compared as an edit any more.
    if (event->type() == QEvent::KeyPress && isEnabled() && watched == m_buddy) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            OnDeltaPos(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
