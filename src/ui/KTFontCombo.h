#pragma once
// A combo box of the installed font faces in alphabetical order, each drawn in its own face
// (or with a sample text, by display mode) and marked when it is a TrueType (outline) face.
// Faces are listed once each by the family name the user knows, whatever foundries provide
// them. Faces without Latin (ANSI) characters, such as symbol fonts, are left out. Dialogs bind
// the selected face name with DDX_FontCombo.

// moc cannot parse the standard library's concepts that CString brings in.
#ifndef Q_MOC_RUN
#include "platform/CString.h"
#include "platform/KTGdiTypes.h"
#endif

#include <QComboBox>
#include <QFont>
#include <QHash>

class QPainter;

/// Font types kept as each entry's item data.
constexpr int RASTER_FONTTYPE = 0x0001;
constexpr int DEVICE_FONTTYPE = 0x0002;
constexpr int TRUETYPE_FONTTYPE = 0x0004;

class KTFontCombo : public QComboBox
{
    Q_OBJECT

public:
    /// What a list entry shows.
    enum DisplayMode {
        ModeFaceInFace = 0, ///< the face name written in its own face
        ModeFaceOnly = 1,   ///< the name in the box's own font (no fonts are made)
        ModeFaceThenSample = 2,
        ModeSampleThenFace = 3,
        ModeSampleOnly = 4,
    };
    static constexpr int DefaultFontHeight = 18;
    /// Width of the TrueType glyph; the text starts this much further right after it.
    static constexpr int GlyphWidth = 15;

    explicit KTFontCombo(QWidget* parent = nullptr);
    ~KTFontCombo() override;

    /// Empties the list and the font cache, adds every face with Latin characters, sorted, with
    /// its font type, and selects item 0.
    void Fill();
    /// Adds one face (kept sorted, case-insensitively) unless it lacks Latin characters or is
    /// listed already (case aside); the index of its entry, or -1 when it was skipped.
    int AddFace(const QString& face, int fontType, bool hasLatin);
    /// The entry whose face is the name (case aside), or -1.
    int FindFace(const QString& face) const;
    /// The family as the user knows it: the font database's name without the foundry it
    /// appends when several provide a family ("C059 [UKWN]" is "C059").
    static QString FamilyName(const QString& databaseFamily);

    void SetFontHeight(int height, bool refill);
    int FontHeight() const { return m_fontHeight; }
    void SetDisplayMode(int mode) { m_displayMode = mode; }
    int DisplayMode() const { return m_displayMode; }
    void SetSampleText(const CString& text) { m_sampleText = text; }
    const CString& SampleText() const { return m_sampleText; }
    void SetSampleColor(COLORREF colour) { m_sampleColor = colour; }
    COLORREF SampleColor() const { return m_sampleColor; }

    /// The height of an item (the font height + 4); in modes 2 and 3 also widens the widest
    /// name and sample seen.
    int MeasureItem(int index);
    /// The width the drop-down list asks for (at least the box's own width is used).
    int DropDownWidth() const;
    int WidestName() const { return m_widestName; }
    int WidestSample() const { return m_widestSample; }
    /// The cached font of a face (a font of the face when none is cached).
    QFont FaceFont(const QString& face) const;
    /// Draws one entry in the rectangle; `editPart` for the box's own face.
    void DrawItem(QPainter& painter, const QRect& rect, int index, bool selected, bool focused,
                  bool editPart) const;

    void showPopup() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CString m_sampleText = "abcdeABCDE";
    COLORREF m_sampleColor;
    QHash<QString, QFont> m_fonts;
    int m_displayMode = ModeFaceInFace;
    int m_fontHeight = DefaultFontHeight;
    int m_widestName = 0;
    int m_widestSample = 0;
};

/// Dialog data exchange of a face name: saving gives the selected entry's text ("" with no
/// selection); loading selects the entry of the face (case aside). A face that is not installed
/// gets an entry of its own, so that a dialog only confirmed keeps every face as it was; an empty
/// name selects nothing.
void DDX_FontCombo(bool saveAndValidate, KTFontCombo& combo, CString& face);
