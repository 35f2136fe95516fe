#pragma once
// An up-down control that writes the text of its buddy edit itself. Its minimum, maximum and
// step are number texts, so that "0.1" stepped up ten times from "0" reads exactly "1"; or it
// steps through a list of texts. The control also keeps the platform-style position 0..N that
// follows the buddy's value, so a caller can read where in the range the value lies.

// moc cannot parse the standard library's concepts that CString brings in; it needs none of
// these headers to read the signals.
#ifndef Q_MOC_RUN
#include "foundation/KTNumberFormat.h"
#include "platform/CString.h"
#include <vector>
#endif

#include <QPointer>
#include <QWidget>

class QLineEdit;
class QTimer;

class KTSpinButtonCtrl : public QWidget
{
    Q_OBJECT

public:
    /// Range "0" to "100" by "1", 100 positions, no buddy, numeric mode, no wrapping.
    explicit KTSpinButtonCtrl(QWidget* parent = nullptr);
    ~KTSpinButtonCtrl() override;

    /// The edit the control drives (not owned; null for none). Up and Down in the edit press
    /// the control's arrows.
    void SetBuddy(QLineEdit* buddy);
    QLineEdit* GetBuddy() const;
    /// Past an end of the range, start again at the other end instead of stopping there.
    void SetWrap(bool wrap) { m_wrap = wrap; }
    bool GetWrap() const { return m_wrap; }

    /// Stores the three texts. A step that reads as non-zero also sets the number of positions
    /// to |(maximum - minimum) / step| (at most 32767) and realigns the position with the buddy's
    /// text; a step that reads as 0 changes the texts only.
    void SetRange(const CString& minimum, const CString& maximum, const CString& step);
    /// Moves the position to where the value lies in the range (0 below it, the number of
    /// positions above it); nothing when minimum and maximum read as the same number.
    void UpdatePosition(double value);
    /// Writes the text into the buddy (when there is one) and moves the position to it.
    void SetText(const CString& text);
    /// SetText of the number with six decimals, trailing zeros removed.
    void SetValue(double value);
    /// The buddy's text, or "" without a buddy.
    CString GetText() const;
    /// GetText read as a number; a text that is not a number gives KTUndefinedValue.
    double GetValue() const;

    /// Appends a text to the value list; from the first call on the control steps through the
    /// list (for good, even once the list is emptied again).
    void AddString(const CString& text);
    /// Empties the value list.
    void ResetContent() { m_list.clear(); }
    int GetCount() const { return static_cast<int>(m_list.size()); }
    bool IsListMode() const { return m_listMode; }

    /// One press of the arrows: delta +1 up, -1 down. Writes the buddy's new text, moves the
    /// position by the delta (wrapping or stopping at the ends), then emits deltaPos.
    void OnDeltaPos(int delta);

    int GetPos() const { return m_position; }
    /// The number of positions: the position runs from 0 to this.
    int GetPositions() const { return m_positions; }
    const CString& GetMinimum() const { return m_minimum; }
    const CString& GetMaximum() const { return m_maximum; }
    const CString& GetStep() const { return m_step; }

    QSize sizeHint() const override;

signals:
    /// After every press, with its delta; the buddy already holds the new text.
    void deltaPos(int delta);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CString NumericDelta(int delta) const;
    CString ListDelta(int delta) const;
    void MovePosition(int delta);
    void RepeatPress();

    CString m_minimum = "0";
    CString m_maximum = "100";
    CString m_step = "1";
    int m_positions = 100;
    int m_position = 0;
    std::vector<CString> m_list;
    bool m_listMode = false;
    bool m_wrap = false;
    KTNumberText m_reader;
    QPointer<QLineEdit> m_buddy;
    QTimer* m_repeat = nullptr;
    int m_pressedDelta = 0; ///< the arrow held down: +1, -1, or 0 for none
};
