#pragma once
// The palette that drops down from a colour button: 40 named colours in 5 rows of 8, with an
// "Automatic" box above and a "More Colors..." box below (either may be absent), chosen with
// the mouse or the arrow keys. It reports to its button and deletes itself once it closes.

// moc cannot parse the standard library's concepts that CString brings in; it needs none of
// these headers to read the signals.
#ifndef Q_MOC_RUN
#include "platform/CString.h"
#include "platform/KTGdiTypes.h"
#include <functional>
#endif

#include <QPointer>
#include <QRect>
#include <QWidget>

class CColorButton;

/// The colour value that means "Automatic": a button holding it paints its default colour.
constexpr COLORREF COLORPICK_AUTOMATIC = 0xFF000000;

class CColorPopup : public QWidget
{
    Q_OBJECT

public:
    /// Cell indexes besides 0..39.
    static constexpr int kNone = -1;
    static constexpr int kCustomBox = -2;
    static constexpr int kAutomaticBox = -3;
    static constexpr int kColorCount = 40;
    static constexpr int kColumns = 8;

    /// Answers "More Colors...": given the colour to start from, sets the chosen colour and
    /// returns true, or returns false when the user cancels.
    using ColorDialogHook = std::function<bool(COLORREF& colour, QWidget* parent)>;
    /// Replaces the colour dialog (tests answer it); returns the hook it replaces. An empty hook
    /// restores the platform's colour dialog.
    static ColorDialogHook SetColorDialogHook(ColorDialogHook hook);

    /// Opens at the screen point (moved to fit the screen) on the initial colour, owned by the
    /// button; an empty text leaves its box out. The popup takes the mouse and the keyboard.
    CColorPopup(QPoint screenPoint, COLORREF initial, CColorButton* button, const CString& defaultText,
                const CString& customText);
    ~CColorPopup() override;

    /// The colour and the name of cell 0..39 (names verbatim, "Pale green " with its blank).
    static COLORREF GetColor(int index);
    static const char* GetColorName(int index);
    /// The cell holding the colour, or kNone.
    static int FindCell(COLORREF colour);

    int GetHotIndex() const { return m_hot; }
    int GetChosenIndex() const { return m_chosen; }
    COLORREF GetInitialColor() const { return m_initial; }
    COLORREF GetSelectedColor() const { return m_selected; }
    int GetBoxSize() const { return m_boxSize; }
    int GetMargin() const { return m_margin; }
    /// Client rectangles of a cell and of the two boxes (empty when the box is absent).
    QRect GetCellRect(int index) const;
    QRect GetAutomaticRect() const { return m_automaticRect; }
    QRect GetCustomRect() const { return m_customRect; }
    /// The index under a client point: a cell, a box, or kNone.
    int IndexAt(QPoint point) const;

    /// Makes the index hot and selects its colour, telling the button.
    void ChangeSelection(int index);
    /// Ends with OK (true) or cancel; OK on "More Colors..." asks the colour dialog first.
    void EndSelection(bool ok);
    /// Leaving the application cancels the popup.
    void OnActivateApp(bool active);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void Layout(QPoint screenPoint);
    void DrawCell(QPainter& painter, int index);
    void DrawBox(QPainter& painter, int index);
    void DrawEdges(QPainter& painter, const QRect& rect, int index);
    int NextIndex(int key) const;
    void Finish(bool ok);

    int m_rows = 5;
    int m_boxSize = 18;
    int m_margin = 2;
    int m_hot = kNone;
    int m_chosen = kNone;
    CString m_defaultText;
    CString m_customText;
    QRect m_customRect;
    QRect m_automaticRect;
    QRect m_windowRect; ///< screen coordinates
    QFont m_font;
    COLORREF m_initial = 0;
    COLORREF m_selected = 0;
    bool m_insideDialog = false;
    bool m_ended = false;
    QPointer<CColorButton> m_button;
};
