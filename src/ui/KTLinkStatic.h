#pragma once
// A static text with its own colours, font, optional gradient background, 3D or rotated text and
// flashing, which can also act as a link: a click opens a web or mail address, or only tells the
// parent (linkClicked, the notify-only mode). Setters return the label so that calls chain.

#ifndef Q_MOC_RUN
#include "platform/CString.h"
#include "platform/KTGdiTypes.h"

#include <vector>
#endif

#include <QFont>
#include <QLabel>
#include <QRect>

class QTimer;

class KTLinkStatic : public QLabel
{
    Q_OBJECT

public:
    /// The notification code of a click in notify-only mode.
    static constexpr unsigned NM_LINKSTATIC_CLICK = 0x8200;
    static constexpr int FlashTimerId = 1;
    static constexpr int FlashIntervalMs = 500;

    /// Static styles that choose the text format.
    static constexpr DWORD SS_LEFT = 0x0;
    static constexpr DWORD SS_CENTER = 0x1;
    static constexpr DWORD SS_RIGHT = 0x2;
    static constexpr DWORD SS_LEFTNOWORDWRAP = 0xC;
    static constexpr DWORD SS_CENTERIMAGE = 0x200;

    enum LinkKind { LinkNone = 0, LinkAddress = 1, LinkMail = 2 };
    enum FlashMode { FlashNone = 0, FlashTextMode = 1, FlashBackgroundMode = 2 };

    struct Band
    {
        QRect rect;
        COLORREF colour;
    };

    explicit KTLinkStatic(const QString& text = QString(), QWidget* parent = nullptr, int controlId = 0);
    ~KTLinkStatic() override;

    KTLinkStatic& SetText(const CString& text);
    KTLinkStatic& SetTextColor(COLORREF colour);
    KTLinkStatic& Set3DTextColor(COLORREF colour);
    KTLinkStatic& SetBkColor(COLORREF colour, COLORREF gradientStart = 0, bool gradient = false);
    KTLinkStatic& SetFontBold(bool on);
    KTLinkStatic& SetFontItalic(bool on);
    KTLinkStatic& SetFontUnderline(bool on);
    /// Points.
    KTLinkStatic& SetFontSize(int points);
    /// At most 31 characters of the face are kept.
    KTLinkStatic& SetFontName(const CString& face);
    KTLinkStatic& SetRotation(int degrees, bool on);
    KTLinkStatic& Set3DText(bool on, bool raised);
    KTLinkStatic& SetSunken(bool on);
    KTLinkStatic& SetBorder(bool on);
    KTLinkStatic& SetTransparent(bool on);
    KTLinkStatic& SetLink(bool on, bool notifyOnly);
    KTLinkStatic& SetMailLink(bool on, bool notifyOnly);
    KTLinkStatic& SetLinkCursor(const QCursor& cursor);
    KTLinkStatic& SetLinkTarget(const CString& target);
    KTLinkStatic& FlashText(bool on);
    KTLinkStatic& FlashBackground(bool on);
    /// The static style bits of the text format (SS_*).
    KTLinkStatic& SetStaticStyle(DWORD style);

    /// What a click opens: the target (the text when empty) for an address, "mailto:" and the text
    /// for a mail link; empty when the label is no link or only notifies.
    CString ClickTarget() const;
    /// The Qt text flags of the static style for the text.
    static int TextFlags(DWORD style, const CString& text);
    /// The bands of a horizontal gradient over `rect`: at most 100, each of its interpolated
    /// colour, the last one ending at the right edge.
    static std::vector<Band> GradientBands(const QRect& rect, COLORREF start, COLORREF end);

    int ControlId() const { return m_controlId; }
    bool IsFlashing() const { return m_flashTimer != nullptr; }
    int FlashPhase() const { return m_flashPhase; }
    int GetFlashMode() const { return m_flashMode; }
    int GetLinkKind() const { return m_linkKind; }
    /// The colour the text is drawn in at this moment (the flash's hidden phase included).
    COLORREF CurrentTextColor() const;
    /// Advances the flash by one step (the timer's work).
    void OnTimer();

    QFont LabelFont() const { return m_font; }

signals:
    /// A click in notify-only mode: the label's control id and NM_LINKSTATIC_CLICK.
    void linkClicked(int controlId, unsigned code);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void Redraw();
    void StopFlash();

    int m_controlId;
    COLORREF m_textColor;
    COLORREF m_3dColor = 0xFFFFFF;
    bool m_hasBkBrush = false;
    COLORREF m_bkBrushColor = 0;
    QFont m_font;
    int m_flashPhase = 0;
    QTimer* m_flashTimer = nullptr;
    int m_linkKind = LinkNone;
    bool m_transparent = false;
    bool m_3dText = false;
    bool m_notifyOnly = false;
    bool m_rotated = false;
    int m_rotation = 0;
    int m_flashMode = FlashNone;
    bool m_gradient = false;
    COLORREF m_gradientStart = 0;
    COLORREF m_bkColor = 0;
    bool m_raised = false;
    CString m_target;
    DWORD m_style = SS_LEFT;
};
