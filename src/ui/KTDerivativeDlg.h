#pragma once
// The "Tangent Line" dialog: the explicit function and the x position (a typed text, evaluated
// when the tangent is calculated) of a tangent line, its style, weight and colour, with a
// typeset preview "d/dx f at x = ...". It changes nothing in the graph: the opener sets the
// colour, weight text and style before DoModal and applies the members after OK. A function
// index of -1 after OK means "Delete". "Set As Default" writes the default tangent pen (in
// memory).

// moc cannot parse the standard library's concepts that CString brings in; it needs none of
// these headers to read the signals.
#ifndef Q_MOC_RUN
#include "platform/CString.h"
#include "platform/KTGdiTypes.h"

#include <array>
#endif

#include "ui/KTDialog.h"

class CColorButton;
class KTGraph3;
class KTLineStyleComboBox;
class KTOptionDerivative;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPainter;
class QPushButton;

class KTDerivativeDlg : public KTDialog<KTDerivativeDlg>
{
    Q_OBJECT

public:
    static constexpr int MapSize = 10;

    explicit KTDerivativeDlg(QWidget* parent = nullptr);
    ~KTDerivativeDlg() override;

    // ---- handlers (public so that tests drive them as the user would) ----------------------
    /// Fills the style picker and the function list, and selects the selected tangent's (or
    /// the defaults') function and x text. Runs once.
    bool OnInitDialog();
    void OnFunctionChanged();
    void OnXChanged();
    /// The weight is editable only for solid lines.
    void OnStyleChanged();
    /// Ends with OK when the x is a constant expression (or the tangent is deleted); else says
    /// so beside the preview.
    void OnOK();
    /// Function index -1, then OK: the opener removes the tangent.
    void OnDelete();
    /// The weight, style and colour become the default tangent pen (in memory).
    void OnSetAsDefault();
    void UpdateData(bool saveAndValidate);

    /// What the preview typesets for a list text and an x text.
    static CString BuildPreviewText(const CString& functionText, const CString& xText);
    /// The points of a weight text with every letter removed (as the number reader reads it).
    static double ReadWeight(const CString& weightText);

    // ---- members: set by the opener before DoModal, read after OK --------------------------
    CString m_functionText;
    CString m_xText;
    KTGraph3* m_graph = nullptr; ///< not owned
    int m_function = -1;         ///< slot 0..9; -1 none or "Delete"
    CString m_unused;
    std::array<int, MapSize> m_map;           ///< slot of each item of the function list
    KTOptionDerivative* m_defaults = nullptr; ///< the application's; not owned
    COLORREF m_colour = 0;
    CString m_weightText;
    int m_style = 13; ///< line-style picker number

    QComboBox* FunctionList() const { return m_functionList; }
    QLineEdit* XEdit() const { return m_xEdit; }
    KTLineStyleComboBox* StylePicker() const { return m_stylePicker; }
    QComboBox* WeightCombo() const { return m_weightCombo; }
    CColorButton* ColourButton() const { return m_colourButton; }
    QPushButton* DeleteButton() const { return m_deleteButton; }
    QPushButton* SetAsDefaultButton() const { return m_setAsDefaultButton; }
    QPushButton* OkButton() const { return m_okButton; }
    QPushButton* CancelButton() const { return m_cancelButton; }
    QFrame* PreviewFrame() const { return m_preview; }
    QLabel* MessageLabel() const { return m_messageLabel; }
    /// The text the last preview typeset.
    const CString& PreviewText() const { return m_previewText; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void PaintPreview(QPainter& painter);

    QComboBox* m_functionList = nullptr;          // 1056
    QLineEdit* m_xEdit = nullptr;                 // 1059
    KTLineStyleComboBox* m_stylePicker = nullptr; // 1043
    QComboBox* m_weightCombo = nullptr;           // 1039
    CColorButton* m_colourButton = nullptr;       // 1044
    QFrame* m_preview = nullptr;                  // 1092
    QLabel* m_messageLabel = nullptr;
    QPushButton* m_deleteButton = nullptr;       // 1009
    QPushButton* m_setAsDefaultButton = nullptr; // 1012
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    CString m_previewText;
    bool m_initialised = false;
};
