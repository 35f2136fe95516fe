#pragma once
// The "Edit Annotation" dialog: the ten lines of an annotation with an "Equation" tick per row,
// the anchor type, the font, and (below the "More >>" fold) the anchor line, the justification,
// the border and the shading. It edits a KTAnnotationEditFields that its opener (the annotation
// list's EditAt, through the hook InstallAsEditor sets) fills before DoModal and takes back after
// OK. "Set As Default" writes the font, pens and shading into the application's default
// annotation options (in memory) at once.

// moc cannot parse the standard library's concepts that CString brings in; it needs none of
// these headers to read the signals.
#ifndef Q_MOC_RUN
#include "graph/KTAnnotationEditFields.h"
#include "platform/CString.h"
#include "ui/KTDialogExpander.h"
#include "ui/KTStyleComboBox.h"

#include <array>
#endif

#include "ui/KTDialog.h"

class CColorButton;
class KTFontCombo;
class KTLineStyleComboBox;
class KTOptionsAnnotation;
class QCheckBox;
class QComboBox;
class QLabel;
class QTextEdit;
class QPushButton;
class QRadioButton;

/// The anchor line's styles: "Solid0" 13, "Dot" 1, "Dash" 2, "Dash Dot" 3, "Dash Dot Dot" 4.
extern const KTStyleTableEntry KTAnnotationAnchorStyles[];
/// The border's: "None" 12 first, then the anchor line's.
extern const KTStyleTableEntry KTAnnotationBorderStyles[];

class KTAnnotateEditDlg : public KTDialog<KTAnnotateEditDlg>
{
    Q_OBJECT

public:
    static constexpr int LineCount = KTAnnotationEditFields::LineCount;

    /// Makes this dialog the annotation list's editor (KTGAnnotationList::EditAt).
    static void InstallAsEditor();

    /// `defaults` may be null (no "Set As Default"); it is not owned.
    explicit KTAnnotateEditDlg(KTOptionsAnnotation* defaults, QWidget* parent = nullptr);
    ~KTAnnotateEditDlg() override;

    // ---- handlers (public so that tests drive them as the user would) ----------------------
    /// Loads the controls, joins the lines into the edit, sets up the fold and the pickers.
    bool OnInitDialog();
    void OnOK();
    void OnMoreLess();
    void OnSetAsDefault();
    /// Moves the fields to the controls (false) or back (true); the edit text only as a whole.
    void UpdateData(bool saveAndValidate);

    /// The edit text of the lines up to the last one that is not empty (at least the first),
    /// each but the last followed by "\r\n": a new annotation's text is one empty line.
    static CString JoinLines(const std::array<CString, LineCount>& lines);
    /// Ten lines of an edit text: nine cut at "\r" (skipping the character after it), the tenth
    /// holding the rest, line breaks included.
    static std::array<CString, LineCount> SplitLines(const CString& text);

    /// The fields edited: set by the opener before DoModal, read after OK.
    KTAnnotationEditFields m_fields;
    /// The edit's text with "\r\n" line breaks.
    CString m_editText;

    QTextEdit* TextEdit() const { return m_textEdit; }
    /// The distance between two rows of the edit, and between two "Equation" ticks (pixels).
    int RowPitch() const { return m_rowPitch; }
    QCheckBox* EquationCheck(int row) const { return m_equationChecks.at(static_cast<std::size_t>(row)); }
    QRadioButton* AnchorRadio(int type) const { return m_anchorRadios.at(static_cast<std::size_t>(type)); }
    QRadioButton* JustifyRadio(int justify) const
    {
        return m_justifyRadios.at(static_cast<std::size_t>(justify));
    }
    KTFontCombo* FontCombo() const { return m_fontCombo; }
    QComboBox* SizeCombo() const { return m_sizeCombo; }
    CColorButton* FontColourButton() const { return m_fontColourButton; }
    KTLineStyleComboBox* AnchorStylePicker() const { return m_anchorStylePicker; }
    QComboBox* AnchorWeightCombo() const { return m_anchorWeightCombo; }
    CColorButton* AnchorColourButton() const { return m_anchorColourButton; }
    KTLineStyleComboBox* BorderStylePicker() const { return m_borderStylePicker; }
    QComboBox* BorderWeightCombo() const { return m_borderWeightCombo; }
    CColorButton* BorderColourButton() const { return m_borderColourButton; }
    CColorButton* ShadingColourButton() const { return m_shadingColourButton; }
    QPushButton* OkButton() const { return m_okButton; }
    QPushButton* CancelButton() const { return m_cancelButton; }
    QPushButton* SetAsDefaultButton() const { return m_setAsDefaultButton; }
    QPushButton* MoreLessButton() const { return m_moreLessButton; }
    const KTDialogExpander& Expander() const { return m_expander; }
    bool FirstPaintPending() const { return m_firstPaint != 0; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void ReadPickers();
    /// Gives every row of the edit the pitch of the ticks, then places the ticks.
    void SpaceRows();
    /// Puts each "Equation" tick beside its row of the edit.
    void PlaceEquationChecks();

    KTOptionsAnnotation* m_defaults;

    QTextEdit* m_textEdit = nullptr;                      // 1000
    std::array<QCheckBox*, LineCount> m_equationChecks{}; // 1007, 1014..1020, 1025, 1026
    QWidget* m_tickColumn = nullptr;                      ///< holds the ticks beside the edit
    int m_rowPitch = 0;                                   ///< pixels from row to row
    std::array<QRadioButton*, 4> m_anchorRadios{};        // 1021, 1028, 1029, 1030
    KTFontCombo* m_fontCombo = nullptr;                   // 1034
    QComboBox* m_sizeCombo = nullptr;                     // 1035
    CColorButton* m_fontColourButton = nullptr;           // 1036
    KTLineStyleComboBox* m_anchorStylePicker = nullptr;   // 1043
    QComboBox* m_anchorWeightCombo = nullptr;             // 1039
    CColorButton* m_anchorColourButton = nullptr;         // 1044
    std::array<QRadioButton*, 3> m_justifyRadios{};       // 1031, 1032, 1033
    KTLineStyleComboBox* m_borderStylePicker = nullptr;   // 1042
    QComboBox* m_borderWeightCombo = nullptr;             // 1038
    CColorButton* m_borderColourButton = nullptr;         // 1041
    CColorButton* m_shadingColourButton = nullptr;        // 1040
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QPushButton* m_setAsDefaultButton = nullptr; // 1027
    QPushButton* m_moreLessButton = nullptr;     // 1045
    QLabel* m_collapseMarker = nullptr;          // 1046
    QLabel* m_lessCaption = nullptr;             // 1047
    KTDialogExpander m_expander;
    BYTE m_firstPaint = 1;
    bool m_initialised = false;
};
