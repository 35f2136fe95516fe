#pragma once
// "Axes Properties": the ranges and tick steps of both axes, logarithmic scales, which parts of
// each axis are shown, the scale restriction, broken scales, the axis pens and the axis and
// scale fonts. It works on a copy of a graph's axes options that its opener assigns before
// DoModal and takes back after OK. Range and step texts are stored as typed, never evaluated.
//
// Of the application it needs the default graph options and the settings store, for "Set As
// Default"; without them that button is disabled.

// moc cannot parse the standard library's concepts that CString brings in.
#ifndef Q_MOC_RUN
#include "axes/KTOptionAxes2.h"
#include "platform/CString.h"
#include "platform/KTGdiTypes.h"
#include "ui/KTDialogExpander.h"

#include <array>
#endif

#include "ui/KTDialog.h"

class CColorButton;
class KTBreakTypeComboBox;
class KTFontCombo;
class KTLineStyleComboBox;
class KTOptionGraph3;
class KTOptionStore;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class KTAxesDlg : public KTDialog<KTAxesDlg, KTDialogInit::OnModal>
{
    Q_OBJECT

public:
    /// Whether the dialog opens expanded: false when the program starts, flipped by "More >>".
    static bool RememberedExpanded();
    static void SetRememberedExpanded(bool expanded);

    /// Accepted range of the millimetre edits.
    static constexpr double MillimetreMaximum = 1e9;

    /// `defaults` and `store` may be null (no "Set As Default"); neither is owned.
    KTAxesDlg(KTOptionGraph3* defaults, KTOptionStore* store, QWidget* parent = nullptr);
    ~KTAxesDlg() override;

    // ---- handlers (public so that tests can drive them as the user would) -------------------
    /// Fills the pickers, sets up the expander and fills the controls from the working options.
    bool OnInitDialog();
    /// Reads the controls into the working options and closes with Accepted when every value
    /// passes; a refused value leaves the dialog open.
    void OnOK();
    /// Reads the controls into the application's default axes options and saves the settings
    /// file; the working copy is not touched. Nothing is written after a refused value.
    void OnSetAsDefault();
    void OnMoreLess();
    void OnXStyleChange();
    void OnYStyleChange();
    void OnAllowBreaks();
    /// 0 "Free", 1 "Equal Aspect", 2 "Fixed".
    void OnRestriction(int restriction);
    /// The automatic-step checks, in the order x minor, x major, y minor, y major.
    void OnAutoStep(int which);

    /// Moves the members to the controls (false) or back (true). Saving stops at a refused
    /// millimetre value after the framework's range message and returns false; the members
    /// read before it keep their new values.
    bool UpdateData(bool saveAndValidate);

    /// The shown weight of a pen: its width to the nearest quarter point, with "pt".
    static CString WeightText(double widthHimetric);
    /// The pen width in points of a typed weight: trailing letters dropped, then read.
    static double WeightPoints(const CString& text);
    /// The shown size of a font (hundredths of a millimetre), in whole points.
    static CString SizeText(int sizeHimetric);
    /// The font size (hundredths of a millimetre, truncated) of a typed size in points.
    static int SizeHimetric(const CString& text);

    /// The working copy: assigned by the opener before DoModal, taken back after OK.
    KTOptionAxes2 m_options;
    /// The steps the graph draws with (x minor, x major, y minor, y major), set by an opener
    /// that has drawn the graph: an automatic step shows the one in use, not the stored text.
    /// Empty texts show the stored ones.
    std::array<CString, 4> m_stepsInUse;

    // ---- controls, for tests --------------------------------------------------------------
    QLineEdit* XMinEdit() const { return m_rangeEdits[0]; }
    QLineEdit* XMaxEdit() const { return m_rangeEdits[1]; }
    QLineEdit* YMinEdit() const { return m_rangeEdits[2]; }
    QLineEdit* YMaxEdit() const { return m_rangeEdits[3]; }
    /// x minor, x major, y minor, y major.
    QLineEdit* StepEdit(int which) const { return m_stepEdits[static_cast<std::size_t>(which)]; }
    QCheckBox* AutoStepCheck(int which) const { return m_autoChecks[static_cast<std::size_t>(which)]; }
    /// x scale, x ticks, x axis, y scale, y ticks, y axis, allow broken scales.
    QCheckBox* ShowCheck(int which) const { return m_showChecks[static_cast<std::size_t>(which)]; }
    QCheckBox* XLogCheck() const { return m_xLogCheck; }
    QCheckBox* YLogCheck() const { return m_yLogCheck; }
    QRadioButton* RestrictionRadio(int which) const
    {
        return m_restrictionRadios[static_cast<std::size_t>(which)];
    }
    QLineEdit* XMillimetreEdit() const { return m_xMmEdit; }
    QLineEdit* YMillimetreEdit() const { return m_yMmEdit; }
    KTBreakTypeComboBox* BreakTypePicker() const { return m_breakPicker; }
    CColorButton* XAxisColorButton() const { return m_xColorButton; }
    QComboBox* XWeightCombo() const { return m_xWeightCombo; }
    KTLineStyleComboBox* XStylePicker() const { return m_xStylePicker; }
    CColorButton* YAxisColorButton() const { return m_yColorButton; }
    QComboBox* YWeightCombo() const { return m_yWeightCombo; }
    KTLineStyleComboBox* YStylePicker() const { return m_yStylePicker; }
    KTFontCombo* AxisFacePicker() const { return m_axisFacePicker; }
    QComboBox* AxisSizeCombo() const { return m_axisSizeCombo; }
    CColorButton* AxisFontColorButton() const { return m_axisColorButton; }
    KTFontCombo* ScaleFacePicker() const { return m_scaleFacePicker; }
    QComboBox* ScaleSizeCombo() const { return m_scaleSizeCombo; }
    CColorButton* ScaleFontColorButton() const { return m_scaleColorButton; }
    QPushButton* MoreLessButton() const { return m_moreLessButton; }
    QPushButton* SetAsDefaultButton() const { return m_setAsDefaultButton; }
    QPushButton* OkButton() const { return m_okButton; }
    QPushButton* CancelButton() const { return m_cancelButton; }
    const KTDialogExpander& Expander() const { return m_expander; }

private:
    void CreateControls();
    void ConnectControls();
    void OptionsToControls();
    /// OnOK's reading, into `axes`.
    void ControlsToOptions(KTOptionAxes2& axes);
    void EnableWeight(const KTLineStyleComboBox& picker, QComboBox& weight);
    void EnableRangeEdits(bool enable);

    KTOptionGraph3* m_defaults;
    KTOptionStore* m_store;
    BYTE m_initialised = 0;

    // Controls (owned by the dialog as their Qt parent).
    KTBreakTypeComboBox* m_breakPicker = nullptr;       // 1048
    KTFontCombo* m_axisFacePicker = nullptr;            // 1056
    QComboBox* m_axisSizeCombo = nullptr;               // 1057
    CColorButton* m_axisColorButton = nullptr;          // 1058
    KTFontCombo* m_scaleFacePicker = nullptr;           // 1059
    QComboBox* m_scaleSizeCombo = nullptr;              // 1038
    CColorButton* m_scaleColorButton = nullptr;         // 1039
    CColorButton* m_xColorButton = nullptr;             // 1055
    QComboBox* m_xWeightCombo = nullptr;                // 1041
    KTLineStyleComboBox* m_xStylePicker = nullptr;      // 1054
    CColorButton* m_yColorButton = nullptr;             // 1050
    QComboBox* m_yWeightCombo = nullptr;                // 1042
    KTLineStyleComboBox* m_yStylePicker = nullptr;      // 1049
    QCheckBox* m_xLogCheck = nullptr;                   // 1030
    QCheckBox* m_yLogCheck = nullptr;                   // 1031
    std::array<QRadioButton*, 3> m_restrictionRadios{}; // 1051, 1033, 1040
    QLineEdit* m_xMmEdit = nullptr;                     // 1052
    QLineEdit* m_yMmEdit = nullptr;                     // 1001
    std::array<QLineEdit*, 4> m_rangeEdits{};           // 1017, 1016, 1024, 1023
    std::array<QLineEdit*, 4> m_stepEdits{};            // 1019, 1018, 1026, 1025
    std::array<QCheckBox*, 4> m_autoChecks{};           // 1060, 1008, 1061, 1009
    std::array<QCheckBox*, 7> m_showChecks{};           // 1020-1022, 1027-1029, 1053
    QPushButton* m_moreLessButton = nullptr;            // 1045
    QLabel* m_collapseMarker = nullptr;                 // 1046
    QLabel* m_lessCaption = nullptr;                    // 1047
    QPushButton* m_setAsDefaultButton = nullptr;        // 1012
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;

    // Members exchanged with the controls.
    int m_breakType = 0;
    CString m_axisFace;
    CString m_axisSize;
    COLORREF m_axisColor = 0;
    CString m_scaleFace;
    CString m_scaleSize;
    COLORREF m_scaleColor = 0;
    COLORREF m_xColor = 0;
    CString m_xWeight;
    int m_xStyle = 13;
    COLORREF m_yColor = 0;
    CString m_yWeight;
    int m_yStyle = 13;
    KTDialogExpander m_expander;
    int m_xLog = 0;
    int m_yLog = 0;
    int m_restriction = 0;
    double m_xMillimetres = 0.0;
    double m_yMillimetres = 0.0;
    /// x min, x max, y min, y max, x minor, x major, y minor, y major.
    std::array<CString, 8> m_texts;
    std::array<int, 7> m_show{};
    /// x minor, x major, y minor, y major.
    std::array<int, 4> m_autoStep{};
};
