#include "ui/KTParameterBar.h"

#include "foundation/KTLogFont.h"
#include "foundation/KTNumberFormat.h"
#include "foundation/KTNumberTexts.h"
#include "platform/KTBrush.h"
#include "platform/KTDC.h"
#include "ui/KTImageButton.h"
#include "ui/KTMemDC.h"
#include "ui/KTSpinButtonCtrl.h"

#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPixmapCache>

#include <algorithm>
#include <array>

namespace {

constexpr std::array<const char*, 30> kStepList = {
    "0.00001", "0.000025", "0.00005", "0.0001", "0.00025", "0.0005", "0.001", "0.0025", "0.005", "0.01",
    "0.025",   "0.05",     "0.1",     "0.25",   "0.5",     "1",      "2.5",   "5",      "10",    "25",
    "50",      "100",      "250",     "500",    "1000",    "2500",   "5000",  "10000",  "25000", "50000"};
constexpr int kShownStep = 13; // "0.25"
constexpr int kSlowest = 0;
constexpr int kFastest = 10;

// Client rectangle (left, top, right, bottom) to widget geometry inside the panel's edge.
QRect ClientRect(int left, int top, int right, int bottom, int edge)
{
    return QRect(left + edge, top + edge, right - left, bottom - top);
}

// The pictures of the two buttons: a raised or sunken face with a small drawing on it.
QPixmap DrawButtonPicture(bool pressed, bool animate)
{
    QPixmap picture(42, 22);
    picture.fill(QColor(212, 208, 200));
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor light(255, 255, 255);
    const QColor shadow(128, 128, 128);
    const QColor dark(64, 64, 64);
    painter.setPen(pressed ? dark : light);
    painter.drawLine(0, 0, 41, 0);
    painter.drawLine(0, 0, 0, 21);
    painter.setPen(pressed ? light : dark);
    painter.drawLine(41, 0, 41, 21);
    painter.drawLine(0, 21, 41, 21);
    painter.setPen(shadow);
    if (pressed) {
        painter.drawLine(1, 1, 40, 1);
        painter.drawLine(1, 1, 1, 20);
    } else {
        painter.drawLine(40, 1, 40, 20);
        painter.drawLine(1, 20, 40, 20);
    }
    painter.translate(pressed ? 1 : 0, pressed ? 1 : 0);

    if (animate) {
        // A wave running to the right, with an arrow head.
        QPainterPath wave;
        wave.moveTo(6, 11);
        wave.cubicTo(11, 2, 15, 2, 19, 11);
        wave.cubicTo(23, 20, 27, 20, 31, 11);
        painter.setPen(QPen(QColor(0, 0, 160), 1.6));
        painter.drawPath(wave);
        painter.setBrush(QColor(0, 128, 0));
        painter.setPen(Qt::NoPen);
        const QPointF head[3] = {QPointF(32, 6), QPointF(38, 11), QPointF(32, 16)};
        painter.drawPolygon(head, 3);
    } else {
        // Three members of a family of parabolas.
        const QColor colours[3] = {QColor(200, 0, 0), QColor(0, 128, 0), QColor(0, 0, 200)};
        for (int i = 0; i < 3; ++i) {
            QPainterPath curve;
            const double lift = 3.0 * i;
            curve.moveTo(8, 3 + lift);
            curve.quadTo(21, 20 + lift, 34, 3 + lift);
            painter.setPen(QPen(colours[i], 1.4));
            painter.drawPath(curve);
        }
    }
    return picture;
}

// Every panel shows the same four pictures (five panels in each view): each is drawn once.
QPixmap ButtonPicture(bool pressed, bool animate)
{
    const QString key = QStringLiteral("KTParameterBar-%1%2").arg(pressed ? 1 : 0).arg(animate ? 1 : 0);
    QPixmap picture;
    if (!QPixmapCache::find(key, &picture)) {
        picture = DrawButtonPicture(pressed, animate);
        QPixmapCache::insert(key, picture);
    }
    return picture;
}

} // namespace

KTParameterBar::KTParameterBar()
{
    KTLogFont logFont;
    logFont.m_logFont.lfHeight = -10;
    m_font.CreateFontIndirect(logFont.m_logFont);
}

KTParameterBar::~KTParameterBar() = default;

void KTParameterBar::Create(QWidget* parent)
{
    setParent(parent);
    if (m_valueSpin)
        return;
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setWindowTitle(QStringLiteral("CC"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(kWidth, kHeight);
    hide();
    const int edge = frameWidth();

    m_valueSpin = new KTSpinButtonCtrl(this);
    m_valueSpin->setObjectName(QStringLiteral("valueSpinner"));
    m_valueSpin->setGeometry(ClientRect(70, 2, 86, 20, edge));
    m_stepSpin = new KTSpinButtonCtrl(this);
    m_stepSpin->setObjectName(QStringLiteral("stepSpinner"));
    m_stepSpin->setGeometry(ClientRect(70, 22, 86, 40, edge));

    const QFont font = m_font.ToQFont(10, logicalDpiY());
    m_valueEdit = new QLineEdit(this);
    m_valueEdit->setObjectName(QStringLiteral("valueEdit"));
    m_valueEdit->setGeometry(ClientRect(30, 2, 69, 20, edge));
    m_stepEdit = new QLineEdit(this);
    m_stepEdit->setObjectName(QStringLiteral("stepEdit"));
    m_stepEdit->setGeometry(ClientRect(30, 22, 69, 40, edge));
    for (QLineEdit* edit : {m_valueEdit, m_stepEdit}) {
        edit->setFont(font);
        edit->setTextMargins(0, 0, 0, 0);
    }
    m_valueSpin->SetBuddy(m_valueEdit);
    m_stepSpin->SetBuddy(m_stepEdit);
    connect(m_valueEdit, &QLineEdit::textChanged, this, &KTParameterBar::OnValueEditChange);
    connect(m_stepEdit, &QLineEdit::textChanged, this, &KTParameterBar::OnStepEditChange);

    m_animateButton = new KTImageButton(this);
    m_animateButton->setObjectName(QStringLiteral("animateButton"));
    m_animateButton->setToolTip(QStringLiteral("Animate"));
    m_animateButton->setGeometry(ClientRect(44, 43, 86, 65, edge));
    m_animateButton->SetImages(ButtonPicture(false, true), ButtonPicture(true, true));
    m_familyButton = new KTImageButton(this);
    m_familyButton->setObjectName(QStringLiteral("familyButton"));
    m_familyButton->setToolTip(QStringLiteral("Family"));
    m_familyButton->setGeometry(ClientRect(2, 43, 44, 65, edge));
    m_familyButton->SetImages(ButtonPicture(false, false), ButtonPicture(true, false));
    connect(m_animateButton, &QAbstractButton::clicked, this,
            [this] { Post(&KTParameterBar::animateRequested); });
    connect(m_familyButton, &QAbstractButton::clicked, this,
            [this] { Post(&KTParameterBar::familyRequested); });

    FillStepList(*m_stepSpin, kShownStep);
    // Set after the step list has shown "0.25": until the step edit next changes, the value
    // steps by "0.1".
    m_valueSpin->SetRange("-1000", "1000", "0.1");
    m_valueSpin->SetValue(1.0);

    for (QWidget* child : {static_cast<QWidget*>(m_valueSpin), static_cast<QWidget*>(m_stepSpin),
                           static_cast<QWidget*>(m_valueEdit), static_cast<QWidget*>(m_stepEdit)})
        child->hide();
}

void KTParameterBar::FillStepList(KTSpinButtonCtrl& spinner, int shown)
{
    spinner.ResetContent();
    for (const char* step : kStepList)
        spinner.AddString(step);
    const int last = static_cast<int>(kStepList.size()) - 1;
    spinner.SetText(kStepList[static_cast<std::size_t>(std::clamp(shown, 0, last))]);
}

void KTParameterBar::SetName(const CString& name)
{
    m_name = name;
    update();
}

void KTParameterBar::SetPosition(int x, int y)
{
    m_x = x;
    m_y = y;
    move(x, y);
}

void KTParameterBar::SetBackground(COLORREF colour)
{
    m_background = colour;
    update();
}

void KTParameterBar::SetAnimating(bool animating)
{
    m_animating = animating;
    SetBackground(animating ? kAnimatingBackground : kBackground);
}

void KTParameterBar::SetAnimation(const CString& from, const CString& to, const CString& step, bool reverse,
                                  int speed)
{
    const KTNumberText reader;
    CString magnitude = step;
    if (magnitude.GetAt(0) == '-')
        magnitude.Delete(0);
    if (reader.ToDouble(to) < reader.ToDouble(from))
        magnitude.Insert(0, '-');
    m_from = from;
    m_to = to;
    m_step = magnitude;
    m_reverse = reverse;
    // The tick period is 1500 / (speed + 1) ms: a speed outside 0-10 could divide by zero.
    m_speed = std::clamp(speed, kSlowest, kFastest);
    m_backward = false;
    m_value = m_valueEdit ? CString::FromQString(m_valueEdit->text()) : m_from;
    SetAnimating(true);
}

void KTParameterBar::SetFamilyRange(const CString& from, const CString& to, const CString& step)
{
    m_from = from;
    m_to = to;
    m_step = step;
}

double KTParameterBar::StepValue()
{
    KTNumberText reader;
    reader.m_bErrorValue = true;
    const bool negative = reader.ToDouble(m_step) < 0.0;
    const auto passed = [negative](double value, double end) { return negative ? value < end : value > end; };

    if (!m_backward) {
        if (!AddNumberText(m_value, m_step)) {
            m_value = m_from;
        } else {
            const double value = reader.ToDouble(m_value);
            const double to = reader.ToDouble(m_to);
            if (value == to) {
                m_backward = m_reverse;
            } else if (passed(value, to)) {
                m_value = m_reverse ? m_to : m_from;
                m_backward = m_reverse;
            }
        }
    } else if (!SubtractNumberText(m_value, m_step)) {
        m_value = m_from;
        m_backward = false;
    } else {
        const double value = reader.ToDouble(m_value);
        const double from = reader.ToDouble(m_from);
        if (value == from) {
            m_backward = false;
        } else if (passed(from, value)) {
            m_value = m_from;
            m_backward = false;
        }
    }

    // The Step edit is the user's step for the value's spinner, not the animation's step: it
    // stays as the user set it.
    if (m_valueSpin)
        m_valueSpin->SetText(m_value);
    return reader.ToDouble(m_value);
}

double KTParameterBar::GetValue() const
{
    KTNumberText reader;
    reader.m_bErrorValue = true;
    return m_valueEdit ? reader.ToDouble(CString::FromQString(m_valueEdit->text())) : KTUndefinedValue;
}

void KTParameterBar::OnValueEditChange()
{
    if (!m_suppressed)
        Post(&KTParameterBar::valueChanged);
}

void KTParameterBar::OnStepEditChange()
{
    m_valueSpin->SetRange("-1000", "1000", CString::FromQString(m_stepEdit->text()));
}

void KTParameterBar::Post(void (KTParameterBar::*signal)(int))
{
    const int index = m_index;
    QMetaObject::invokeMethod(
        this, [this, signal, index] { emit(this->*signal)(index); }, Qt::QueuedConnection);
}

void KTParameterBar::showEvent(QShowEvent* event)
{
    QFrame::showEvent(event);
    if (m_valueSpin) {
        for (QWidget* child : {static_cast<QWidget*>(m_valueSpin), static_cast<QWidget*>(m_stepSpin),
                               static_cast<QWidget*>(m_valueEdit), static_cast<QWidget*>(m_stepEdit)})
            child->show();
    }
}

void KTParameterBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    try {
        KTDC dc(&painter);
        const QRect client = contentsRect();
        dc.SetViewportOrg(client.left(), client.top());
        const CRect area(0, 0, kWidth, kHeight);
        KTMemDC mem(dc, &area);
        mem.SetBkMode(TRANSPARENT);
        const KTBrush previousBrush = mem.SelectObject(KTBrush(m_background));
        mem.Rectangle(area);
        mem.SelectObject(previousBrush);
        mem.SelectObject(m_font);
        mem.SetTextAlign(TA_LEFT | TA_TOP);
        mem.TextOut(2, 2, m_name + " = ");
        mem.TextOut(2, 24, "Step");
        mem.SelectStockObject(KTStockObject::SystemFont);
    } catch (...) {
        // A paint that cannot finish leaves the panel as it was; the next paint tries again.
    }
    drawFrame(&painter);
}
