#pragma once
// The push button with which a property dialog lets the user pick a colour: a swatch of the
// current colour and a drop arrow; a click drops a CColorPopup of named colours below it.

// moc cannot parse the standard library's concepts that CString brings in; it needs none of
// these headers to read the signals.
#ifndef Q_MOC_RUN
#include "platform/CString.h"
#include "platform/KTGdiTypes.h"
#include "ui/CColorPopup.h"
#endif

#include <QPointer>
#include <QPushButton>

class CColorButton : public QPushButton
{
    Q_OBJECT

public:
    /// Holds COLORPICK_AUTOMATIC; texts "Automatic" and "More Colors..."; no tracking.
    explicit CColorButton(QWidget* parent = nullptr);
    ~CColorButton() override;

    COLORREF GetColor() const { return m_color; }
    /// Sets the colour and repaints.
    void SetColor(COLORREF colour);
    /// The colour painted while the button holds COLORPICK_AUTOMATIC (the workspace colour of
    /// the palette, as behind document windows, after construction).
    COLORREF GetDefaultColor() const { return m_defaultColor; }
    void SetDefaultColor(COLORREF colour);
    /// The popup's box texts; an empty text leaves that box out.
    void SetDefaultText(const CString& text) { m_defaultText = text; }
    const CString& GetDefaultText() const { return m_defaultText; }
    void SetCustomText(const CString& text) { m_customText = text; }
    const CString& GetCustomText() const { return m_customText; }
    /// When on, the swatch follows the colour under the pointer while the popup is open.
    void SetTrackSelection(bool track) { m_trackSelection = track; }
    bool GetTrackSelection() const { return m_trackSelection; }

    bool IsPopupOpen() const { return m_popupOpen; }
    /// The open popup, or null.
    CColorPopup* GetPopup() const { return m_popup.data(); }
    /// What a click does: drops the popup down at the button's bottom-left corner.
    void OpenPopup();
    /// The colour shown on the swatch: the colour, or the default colour for "Automatic".
    COLORREF GetShownColor() const;

    // Reports of the popup, in the order it sends them.
    void OnPopupSelChange(COLORREF colour);
    void OnPopupOk(COLORREF colour);
    void OnPopupCancel(COLORREF initial);

signals:
    /// The colour under the pointer or the keyboard changed while the popup is open, and after
    /// an OK that changed the colour.
    void colorPickSelChange(COLORREF colour);
    /// The popup opened on the colour.
    void colorPickDropDown(COLORREF colour);
    /// The popup closed (sent before colorPickOk or colorPickCancel).
    void colorPickCloseUp(COLORREF colour);
    /// The selection ended with the colour, now the button's.
    void colorPickOk(COLORREF colour);
    /// The selection was cancelled; the button keeps the initial colour.
    void colorPickCancel(COLORREF colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    COLORREF m_color = COLORPICK_AUTOMATIC;
    COLORREF m_defaultColor = 0;
    CString m_defaultText = "Automatic";
    CString m_customText = "More Colors...";
    bool m_popupOpen = false;
    bool m_trackSelection = false;
    QPointer<CColorPopup> m_popup;
};

/// Dialog data exchange of a colour: saving stores the button's colour into the value, loading
/// gives the button the value.
void DDX_ColorButton(bool saveAndValidate, CColorButton& button, COLORREF& value);
