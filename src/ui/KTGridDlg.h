#pragma once
// "Grid Properties": how the grid of the axes is drawn, as lines (four pens for the x and y
// major and minor lines) or as points (two marker shapes and two colours), and whether a polar
// grid with a number of rays is drawn. It works on a copy of a graph's axes options that its
// opener assigns before DoModal and takes back after OK. The colours of both modes survive
// switching between them; only OK or "Set As Default" writes them.

// moc cannot parse the standard library's concepts that CString brings in.
#ifndef Q_MOC_RUN
#include "axes/KTOptionAxes2.h"
#include "platform/CString.h"
#include "platform/KTGdiTypes.h"

#include <array>
#endif

#include "ui/KTDialog.h"

class CColorButton;
class KTLineStyleComboBox;
class KTOptionGraph3;
class KTOptionStore;
class KTPointStyleComboBox;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class KTGridDlg : public KTDialog<KTGridDlg, KTDialogInit::OnModal>
{
    Q_OBJECT

public:
    /// The pens in the dialog's order.
    enum Pen { XMajor = 0, XMinor = 1, YMajor = 2, YMinor = 3 };
    static constexpr int RaysMinimum = 1;
    static constexpr int RaysMaximum = 72;

    /// `defaults` and `store` may be null (no "Set As Default"); neither is owned.
    KTGridDlg(KTOptionGraph3* defaults, KTOptionStore* store, QWidget* parent = nullptr);
    ~KTGridDlg() override;

    // ---- handlers (public so that tests can drive them as the user would) -------------------
    bool OnInitDialog();
    /// Writes the controls into the working options; closes with Accepted when the ray count
    /// passes its range check, else stays open after the message.
    void OnOK();
    /// Writes the pens and point settings (not the polar grid nor its rays) into the
    /// application's default axes options and saves the settings file.
    void OnSetAsDefault();
    void OnLines();
    void OnPoints();
    void OnPolarGrid();

    /// The working copy: assigned by the opener before DoModal, taken back after OK.
    KTOptionAxes2 m_options;

    /// 0 lines, 1 points.
    int Mode() const { return m_mode; }

    // ---- controls, for tests --------------------------------------------------------------
    QRadioButton* LinesRadio() const { return m_linesRadio; }
    QRadioButton* PointsRadio() const { return m_pointsRadio; }
    QGroupBox* Group(Pen pen) const { return m_groups[static_cast<std::size_t>(pen)]; }
    KTLineStyleComboBox* StylePicker(Pen pen) const { return m_stylePickers[static_cast<std::size_t>(pen)]; }
    QComboBox* WeightCombo(Pen pen) const { return m_weightCombos[static_cast<std::size_t>(pen)]; }
    CColorButton* ColorButton(Pen pen) const { return m_colorButtons[static_cast<std::size_t>(pen)]; }
    /// The Style (false) or Weight (true) label of a pen.
    QLabel* Label(Pen pen, bool weight) const
    {
        return m_labels[static_cast<std::size_t>(pen) * 2 + (weight ? 1 : 0)];
    }
    KTPointStyleComboBox* MajorPointPicker() const { return m_majorPointPicker; }
    KTPointStyleComboBox* MinorPointPicker() const { return m_minorPointPicker; }
    QCheckBox* PolarGridCheck() const { return m_polarCheck; }
    QLineEdit* RaysEdit() const { return m_raysEdit; }
    QPushButton* SetAsDefaultButton() const { return m_setAsDefaultButton; }
    QPushButton* OkButton() const { return m_okButton; }
    QPushButton* CancelButton() const { return m_cancelButton; }

private:
    void CreateControls();
    void ConnectControls();
    void OptionsToControls();
    /// Moves the members to the controls or back. The ray count takes part only when asked;
    /// saving it checks its range and returns false after the message.
    bool UpdateData(bool save, bool withRays);
    void UpdateLayout();
    /// The button colours become the remembered colours of the present mode.
    void RememberButtonColours();
    void ApplyPolarRule();
    /// The four pens and the point settings into `axes` (members already read).
    void WriteGridStyle(KTOptionAxes2& axes);

    KTOptionGraph3* m_defaults;
    KTOptionStore* m_store;
    BYTE m_initialised = 0;

    /// Shown by buttons 1064 and 1057: the x- and y-major line colours, or the point colours.
    std::array<COLORREF, 2> m_buttonColors{};
    COLORREF m_majorPointColor = 255;
    COLORREF m_minorPointColor = 65280;
    /// Remembered x-major and y-major line colours.
    std::array<COLORREF, 2> m_majorLineColors{};
    /// The x-minor and y-minor colours (buttons 1059 and 1061).
    std::array<COLORREF, 2> m_minorLineColors{};
    std::array<CString, 4> m_weights;
    std::array<int, 4> m_styles{};
    int m_majorDot = 0;
    int m_minorDot = 0;
    int m_mode = 0;
    int m_polarGrid = 0;
    int m_rays = 24;

    // Controls (owned by the dialog as their Qt parent), in the pens' order.
    QRadioButton* m_linesRadio = nullptr;                 // 1021
    QRadioButton* m_pointsRadio = nullptr;                // 1028
    std::array<QGroupBox*, 4> m_groups{};                 // 1065, 1067, 1066, 1068
    std::array<KTLineStyleComboBox*, 4> m_stylePickers{}; // 1062, 1058, 1056, 1060
    std::array<QComboBox*, 4> m_weightCombos{};           // 1063, 1043, 1042, 1044
    std::array<CColorButton*, 4> m_colorButtons{};        // 1064, 1059, 1057, 1061
    std::array<QLabel*, 8> m_labels{};                    // 1069/1070, 1073/1074, 1071/1072, 1075/1076
    KTPointStyleComboBox* m_majorPointPicker = nullptr;   // 1077
    KTPointStyleComboBox* m_minorPointPicker = nullptr;   // 1078
    QCheckBox* m_polarCheck = nullptr;                    // 1007
    QLineEdit* m_raysEdit = nullptr;                      // 1000
    QPushButton* m_setAsDefaultButton = nullptr;          // 1038
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
};
