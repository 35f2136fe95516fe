#pragma once
// The small panel inside the graph view through which the user sets one family constant: its
// name and value, a value edit and a step edit each with a spinner, and the "Family" and
// "Animate" picture buttons. The view owns five (one per constant "m", "a", "b", "c", "d"),
// places them, and acts on their signals: the panel itself knows nothing of the graph.
//
// The three signals are posted: they reach their receivers from the event loop after the
// current event, carrying the panel index the panel had when the change happened.

// moc cannot parse the standard library's concepts that CString brings in; it needs none of
// these headers to read the signals.
#ifndef Q_MOC_RUN
#include "platform/CString.h"
#include "platform/KTFont.h"
#include "platform/KTGdiTypes.h"
#endif

#include <QFrame>

class KTImageButton;
class KTSpinButtonCtrl;
class QLineEdit;

class KTParameterBar : public QFrame
{
    Q_OBJECT

public:
    /// Width and height of a panel, device pixels.
    static constexpr int kWidth = 93;
    static constexpr int kHeight = 70;
    /// The background colour of a panel at rest, and while its constant is animated.
    static constexpr COLORREF kBackground = 0xC8FFFF;
    static constexpr COLORREF kAnimatingBackground = 0xC8FFC8;

    /// From "-5" to "5" by "1", no reverse, speed 5, name "a"; no child controls before Create.
    KTParameterBar();
    ~KTParameterBar() override;

    /// Makes the panel a hidden child of the parent with its two edits, two spinners and two
    /// buttons: the step spinner shows "0.25" of its step list, the value spinner runs from
    /// "-1000" to "1000" by "0.1" and shows "1". The children show with the panel. A second
    /// call only gives the panel the new parent.
    void Create(QWidget* parent);

    void SetName(const CString& name);
    const CString& GetName() const { return m_name; }
    /// The index (0-4) every signal carries.
    void SetIndex(int index) { m_index = index; }
    int GetIndex() const { return m_index; }
    /// Places the panel in its parent.
    void SetPosition(int x, int y);
    CPoint GetPosition() const { return CPoint(m_x, m_y); }

    /// While set, changes of the value edit signal nothing.
    void SetNotificationsSuppressed(bool suppressed) { m_suppressed = suppressed; }
    bool GetNotificationsSuppressed() const { return m_suppressed; }

    /// Starts an animation over the range: the step is kept positive, negated when `to` lies
    /// below `from`; the direction turns forward, the animation continues from the value edit's
    /// text, and the panel shows the animating background.
    void SetAnimation(const CString& from, const CString& to, const CString& step, bool reverse, int speed);
    /// Keeps a family range typed for the constant (the same three texts the animation uses).
    void SetFamilyRange(const CString& from, const CString& to, const CString& step);
    /// Marks the panel animating or at rest, with the matching background.
    void SetAnimating(bool animating);
    bool IsAnimating() const { return m_animating; }

    const CString& GetFrom() const { return m_from; }
    const CString& GetTo() const { return m_to; }
    const CString& GetStep() const { return m_step; }
    bool GetReverse() const { return m_reverse; }
    int GetSpeed() const { return m_speed; }
    /// The value the animation advances; StepValue writes it into the value edit.
    const CString& GetCurrentValue() const { return m_value; }
    void SetCurrentValue(const CString& value) { m_value = value; }
    /// True while stepping backwards.
    bool IsBackward() const { return m_backward; }
    void SetBackward(bool backward) { m_backward = backward; }
    COLORREF GetBackground() const { return m_background; }
    void SetBackground(COLORREF colour);

    /// One animation tick: the value moves by the step (exactly, on texts), turning or starting
    /// again at the ends of the range by the reverse mode; both edits show the texts again.
    /// Returns the new value. A value that is not a number starts again at `from`.
    double StepValue();

    /// The value edit's text read as a number (KTUndefinedValue when it is not one).
    double GetValue() const;

    KTSpinButtonCtrl& ValueSpinner() { return *m_valueSpin; }
    KTSpinButtonCtrl& StepSpinner() { return *m_stepSpin; }
    QLineEdit& ValueEdit() { return *m_valueEdit; }
    QLineEdit& StepEdit() { return *m_stepEdit; }
    KTImageButton& AnimateButton() { return *m_animateButton; }
    KTImageButton& FamilyButton() { return *m_familyButton; }

    /// Empties the spinner's list and fills it with the 30 steps from "0.00001" to "50000",
    /// then shows entry `shown` (the last entry when `shown` lies beyond the end).
    static void FillStepList(KTSpinButtonCtrl& spinner, int shown);

signals:
    /// The value edit changed (unless notifications are suppressed).
    void valueChanged(int index);
    /// "Animate" was clicked.
    void animateRequested(int index);
    /// "Family" was clicked.
    void familyRequested(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void OnValueEditChange();
    void OnStepEditChange();
    void Post(void (KTParameterBar::*signal)(int));

    CString m_from = "-5";
    CString m_to = "5";
    CString m_step = "1";
    bool m_reverse = false;
    int m_speed = 5;
    int m_index = 0;
    int m_x = 0;
    int m_y = 0;
    CString m_name = "a";
    KTImageButton* m_familyButton = nullptr;
    KTImageButton* m_animateButton = nullptr;
    KTSpinButtonCtrl* m_valueSpin = nullptr;
    KTSpinButtonCtrl* m_stepSpin = nullptr;
    QLineEdit* m_valueEdit = nullptr;
    QLineEdit* m_stepEdit = nullptr;
    KTFont m_font;
    COLORREF m_background = kBackground;
    CString m_value;
    bool m_backward = false;
    bool m_suppressed = false;
    bool m_animating = false;
    bool m_childrenShown = false;
};
