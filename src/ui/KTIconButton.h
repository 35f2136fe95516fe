#pragma once
// A push button (or check box) that shows an image with optional text, can look flat and light up
// under the pointer, plays a short sound on hover and on a click, shows a tooltip, and on a click
// can open a drop-down menu or a web address instead of acting as a plain button. A disabled
// button shows its image and text embossed (or its image grey); idle looks may use grey-scale or
// darker copies of the image. As a dialog's default button it wears a black frame.

#ifndef Q_MOC_RUN
#include "platform/CString.h"
#include "platform/KTGdiTypes.h"

#include <array>
#endif

#include <QImage>
#include <QPushButton>
#include <QUrl>

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
    /// The two sounds: on starting to hover, on a click.
    enum SoundSlot { HoverSound = 0, ClickSound = 1, SoundCount = 2 };

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
    /// The sound of the slot (a file or "qrc:" address of a WAV file); an empty address for none,
    /// as after construction.
    void SetSound(SoundSlot slot, const QUrl& sound);
    QUrl GetSound(SoundSlot slot) const;
    /// The program's own hover and click sounds.
    static QUrl StandardSound(SoundSlot slot);
    /// Both slots get the program's own sounds.
    void SetStandardSounds()
    {
        SetSound(HoverSound, StandardSound(HoverSound));
        SetSound(ClickSound, StandardSound(ClickSound));
    }
    /// Whether the system has a sound output to play on. Asked once, at the first sound (which
    /// loads the media library then); where there is none, every sound is skipped silently.
    static bool CanPlaySounds();
    /// Disabled images embossed (after construction) or in grey-scale.
    void SetDrawDisabledEmbossed(bool embossed)
    {
        m_embossed = embossed;
        update();
    }

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
    /// The image's shape, one pixel wider and taller: `highlight` one pixel right of and below
    /// `shadow`. The shape is the image's dark pixels (grey level below 128) that are at least
    /// half opaque, or all its half-opaque pixels when none is dark; the rest is transparent.
    static QImage Embossed(const QImage& image, const QColor& highlight, const QColor& shadow);

signals:
    /// A menu command was chosen.
    void menuCommand(QAction* action);
    /// The button started the sound of the slot; also where the system cannot play it.
    void soundStarted(int slot);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

    bool event(QEvent* event) override;

private:
    void OnClicked();
    void StopHovering();
    void PlaySound(SoundSlot slot);

    bool m_flat = true;
    bool m_embossed = true;
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
    std::array<QUrl, SoundCount> m_sounds;
};
