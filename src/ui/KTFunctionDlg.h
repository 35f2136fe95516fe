#pragma once
// The "Function Properties" dialog: one of the ten user functions of a graph at a time, its
// equation and domain texts with typeset previews, its display and derivative switches and its
// line (style, weight in points, colour). The function number (1..10, edit and spin) moves
// between the functions; every move first writes the fields of the function being left. It works
// on a copy of the graph data that the opener assigns before DoModal and takes back after OK.
//
// "Set As Default" changes the application's defaults in memory and sets their defaults-changed
// byte (KTOptionsAnnotation::m_bDefaultsChanged of the defaults' record); the opener saves the
// settings file after the dialog when it is set.

// moc cannot parse the standard library's concepts that CString brings in.
#ifndef Q_MOC_RUN
#include "graph/KTGraphData3.h"
#include "platform/CString.h"
#include "platform/KTGdiTypes.h"
#endif

#include "ui/KTDialog.h"

class CColorButton;
class KTFunction3;
class KTLineStyleComboBox;
class KTOptionGraph3;
class QLabel;
class QCheckBox;
class QComboBox;
class QFrame;
class QLineEdit;
class QPainter;
class QPushButton;
class QScrollBar;

class KTFunctionDlg : public KTDialog<KTFunctionDlg>
{
    Q_OBJECT

public:
    static constexpr int FunctionCount = KTGraphData3::UserFunctionCount;
    /// Quarter points per hundredth of a millimetre: the rounding of shown weights.
    static constexpr double PointsPerUnit = 0.11338583409262867;

    /// Scroll codes of the spin, numbered as the platform numbers them.
    enum ScrollCode {
        SB_LINEUP = 0,
        SB_LINEDOWN = 1,
        SB_PAGEUP = 2,
        SB_PAGEDOWN = 3,
        SB_THUMBPOSITION = 4,
        SB_THUMBTRACK = 5,
    };

    explicit KTFunctionDlg(QWidget* parent = nullptr);
    ~KTFunctionDlg() override;

    // ---- handlers (public so that tests and openers drive them as the user would) -------------
    /// Fills the style picker, sets the spin to 11 - n, loads function n and fills the controls.
    bool OnInitDialog();
    /// Writes the fields into the function and closes with Accepted; stays open when the number
    /// is not an integer within 1..10.
    void OnOK();
    /// Empties the equation and the domain and applies them: the function is stored empty.
    void OnDelete();
    /// Pen of function n and the five display switches of every function into the defaults.
    void OnSetAsDefault();
    void OnEquationChange();
    void OnDomainChange();
    /// Shows beside the equation preview what interpretation says of the two edits' texts.
    void UpdateMessage();
    /// The number edit changed: the fields go to the function left, the new one is loaded.
    void OnNumberChange();
    /// The spin: line or page up raises the number, down lowers it, within 1..10.
    void OnFunctionSpin(int code, int position);

    /// Moves the fields between the members and the controls (true: controls to members). A
    /// number that is not an integer within 1..10 brings the range message, keeps the previous
    /// number and returns false.
    bool UpdateData(bool saveAndValidate);
    /// The members from function n of the working data.
    void LoadFields();
    /// The members into function n of the working data (nothing outside 1..10); interprets it.
    void ApplyFields();

    /// The equation shown for a function: its typed text without the piece that interpretation
    /// filed as its domain, cut at the part separator as interpretation cuts it; the whole typed
    /// text when no whole piece is that domain or no equation part was found in it.
    static CString EquationTextWithoutDomain(const KTFunction3& function);
    /// The piece of the typed text that interpretation filed as the function's domain (trimmed),
    /// "" when no whole piece is.
    static CString DomainText(const KTFunction3& function);
    /// The text stored for an equation and a domain: the domain (two characters at least) joined
    /// with the part separator and a blank ("; ", or ": " where ";" separates a list).
    static CString JoinedText(const CString& equation, const CString& domain);
    /// A pen width (hundredths of a millimetre) as shown: to the quarter point, with "pt".
    static CString WeightText(double width);
    /// A typed weight in points (letters removed); false when it is not a usable width.
    static bool ReadWeight(const CString& text, double& points);

    // ---- state, for the opener and for tests -------------------------------------------------
    /// The working copy: assigned by the opener before DoModal, taken back after OK.
    KTGraphData3 m_data;
    /// The application's defaults, or null (then "Set As Default" is disabled); not owned.
    KTOptionGraph3* m_defaults = nullptr;
    /// 1..10; set by the opener.
    int m_functionNumber = 0;

    const CString& EquationText() const { return m_equation; }
    const CString& DomainTextMember() const { return m_domain; }
    const CString& Weight() const { return m_weight; }
    int SelectedStyle() const { return m_style; }
    COLORREF LineColor() const { return m_color; }
    /// The texts the previews last typeset.
    const CString& EquationPreviewText() const { return m_equationPreviewText; }
    const CString& DomainPreviewText() const { return m_domainPreviewText; }
    bool EquationPreviewPending() const { return m_equationPreview != 0; }
    bool DomainPreviewPending() const { return m_domainPreview != 0; }

    QLineEdit* EquationEdit() const { return m_equationEdit; }
    QLineEdit* DomainEdit() const { return m_domainEdit; }
    QCheckBox* VerticalAsymptotesCheck() const { return m_checks[0]; }
    QCheckBox* HorizontalAsymptotesCheck() const { return m_checks[1]; }
    QCheckBox* ShowArrowsCheck() const { return m_checks[2]; }
    QCheckBox* ShowDomainLowCheck() const { return m_checks[3]; }
    QCheckBox* ShowDomainHighCheck() const { return m_checks[4]; }
    QCheckBox* FirstDerivativeCheck() const { return m_checks[5]; }
    QCheckBox* SecondDerivativeCheck() const { return m_checks[6]; }
    QLineEdit* NumberEdit() const { return m_numberEdit; }
    QScrollBar* NumberSpin() const { return m_spin; }
    KTLineStyleComboBox* StylePicker() const { return m_stylePicker; }
    QComboBox* WeightCombo() const { return m_weightCombo; }
    CColorButton* ColorButton() const { return m_colorButton; }
    QFrame* EquationPreview() const { return m_equationFrame; }
    QLabel* MessageLabel() const { return m_messageLabel; }
    QFrame* DomainPreview() const { return m_domainFrame; }
    QPushButton* DeleteButton() const { return m_deleteButton; }
    QPushButton* SetAsDefaultButton() const { return m_setAsDefaultButton; }
    QPushButton* OkButton() const { return m_okButton; }
    QPushButton* CancelButton() const { return m_cancelButton; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void ConnectControls();
    void PaintPreview(QPainter& painter, bool equation);
    void SwitchFunction(int oldNumber, int newNumber);
    void ShowInterpretMessages(KTFunction3& function);
    void ReadColor();
    void SetSpinPosition(int number);

    // Members exchanged with the controls.
    CString m_equation;
    CString m_domain;
    /// What LoadFields showed: fields the user left as they were store the text they came from.
    CString m_loadedEquation;
    CString m_loadedDomain;
    /// VAsym, HAsym, ShowFunctionArrows, ShowLow, ShowHigh, 1st and 2nd derivative.
    int m_checkValues[7] = {};
    BYTE m_equationPreview = 0;
    BYTE m_domainPreview = 0;
    COLORREF m_color = 0;
    CString m_weight;
    int m_style = 0;
    BYTE m_initialised = 0;
    CString m_equationPreviewText;
    CString m_domainPreviewText;

    QLineEdit* m_equationEdit = nullptr;          // 1022
    QLineEdit* m_domainEdit = nullptr;            // 1023
    QCheckBox* m_checks[7] = {};                  // 1025, 1026, 1028, 1029, 1030, 1031, 1032
    QLineEdit* m_numberEdit = nullptr;            // 1024
    QScrollBar* m_spin = nullptr;                 // 1047
    KTLineStyleComboBox* m_stylePicker = nullptr; // 1043
    QComboBox* m_weightCombo = nullptr;           // 1039
    CColorButton* m_colorButton = nullptr;        // 1044
    QFrame* m_equationFrame = nullptr;            // 1092
    QFrame* m_domainFrame = nullptr;              // 1093
    QLabel* m_messageLabel = nullptr;             ///< beside the preview: why it cannot be drawn
    QPushButton* m_deleteButton = nullptr;        // 1009
    QPushButton* m_setAsDefaultButton = nullptr;  // 1012
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
};
