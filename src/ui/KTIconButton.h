#pragma once
// A push button (or check box) that shows an image with optional text, can look flat and light up
// under the pointer, shows a tooltip, and on a click can open a drop-down menu or a web address
// instead of acting as a plain button. Disabled or idle looks may use grey-scale or darker copies
// of the image. There is no sound: the platform offers no sound playback here.

#ifndef Q_MOC_RUN
#include "platform/CString.h"
#include "platform/KTGdiTypes.h"

#include <array>
#endif

#include <QImage>
#include <QPushButton>

class QMenu;

class KTIconButton : public QPushButton
{
    Q_OBJECT

public:
    /// Colour slots: background and text while hovered or pressed, normal, and while focused.
    enum ColorSlot {
        BkColorIn = 0,
        FgColorIn = 1,
        BkColorOut = 2,
        FgColorOut = 3,
        BkColorFocus = 4,
        FgColorFocus = 5,
        MaxColors = 6,
    };
    /// Second images made from the first.
    static constexpr int SecondGreyScale = -2;
    static constexpr int SecondDarker = -3;
    /// OffsetColor results.
    static constexpr int Ok = 0;
    static constexpr int InvalidIndex = 3;
    static constexpr int BadParam = 5;

    enum ImageAlign { AlignImageLeft = 0, AlignImageAbove = 1, AlignImageRight = 2 };

    explicit KTIconButton(const QString& text = QString(), QWidget* parent = nullptr);
    ~KTIconButton() override;

    /// The image shown while hovered or pressed and, with `second` 0, always; -2 and -3 make
    /// the other look from it (grey-scale, darker).
    void SetImages(const QImage& image, int second = 0);
    void SetImages(const QImage& image, const QImage& second);
    /// Adds the shade to all three channels of the slot's colour, limited so that no channel
    /// leaves 0..255. 0, or 3 for a bad slot, 5 for a shade outside -255..255.
    int OffsetColor(int slot, int shade, bool repaint = true);
    COLORREF GetColor(int slot) const;
    void SetColor(int slot, COLORREF colour);

    void SetFlat(bool flat);
    void SetAlign(int align)
    {
        m_align = align;
        update();
    }
    /// Check-box mode: a click flips the checked state.
    void SetCheckBoxMode(bool on) { m_checkBox = on; }
    bool IsCheckBoxMode() const { return m_checkBox; }
    void SetCheck(int check);
    int GetCheck() const { return m_checked ? 1 : 0; }
    /// A menu opened below the button on a click (not owned); null for none.
    void SetMenu(QMenu* menu) { m_menu = menu; }
    /// An address opened on a click when there is no menu.
    void SetURL(const CString& address);
    const CString& GetURL() const { return m_url; }
    void SetTooltipText(const CString& text);

    bool IsHovered() const { return m_hover; }
    /// The image drawn in the present state.
    QImage CurrentImage() const;
    /// Room for the image beside (or above) the caption, every line of it whole, inside the
    /// button's edge: a caption is never wrapped or cut at the size the button asks for.
    QSize sizeHint() const override;

    /// 0.299 R + 0.587 G + 0.114 B (truncated) in each channel of every non-transparent pixel.
    static QImage GreyScale(const QImage& image);
    /// Each channel x 0.75, truncated.
    static QImage Darker(const QImage& image);

signals:
    /// A menu command was chosen.
    void menuCommand(QAction* action);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void OnClicked();

    bool m_flat = true;
    bool m_hover = false;
    bool m_checkBox = false;
    bool m_checked = false;
    bool m_menuOpen = false;
    int m_align = AlignImageLeft;
    std::array<COLORREF, MaxColors> m_colors{};
    QMenu* m_menu = nullptr;
    CString m_url;
    QImage m_image;
    QImage m_second;
};
