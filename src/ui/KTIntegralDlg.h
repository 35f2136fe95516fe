#pragma once
// The "Calculate Integral" dialog: the function to integrate, the other boundary (the x axis,
// the y axis or a second function), the two bounds as typed texts, the shading colour and
// whether an area that differs from the integral is shown, with a typeset preview of the
// integral. It changes no record of the graph: its opener reads the members after OK. Only
// "Set As Default" writes, into the application's default integral options (in memory).

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
class KTOptionIntegral;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPainter;
class QPushButton;

class KTIntegralDlg : public KTDialog<KTIntegralDlg>
{
    Q_OBJECT

public:
    static constexpr int MapSize = 12;
    /// The other boundary when it is not a function.
    static constexpr int XAxis = -1;
    static constexpr int YAxis = -2;

    explicit KTIntegralDlg(QWidget* parent = nullptr);
    ~KTIntegralDlg() override;

    // ---- handlers (public so that tests drive them as the user would) ----------------------
    /// Lists the explicit functions of the graph and selects the selected integral's (or the
    /// defaults') choices. Runs once.
    bool OnInitDialog();
    /// Clears the message of a refused bound and repaints the preview.
    void OnBoundChanged();
    /// Ends with OK when both bounds are constant expressions; else says which is not.
    void OnOK();
    void OnFirstChanged();
    void OnSecondChanged();
    /// Both indices -1, then OK: the opener removes the selected integral.
    void OnDelete();
    void OnSwapFunctions();
    void OnSwapBounds();
    /// The colour and show-area choice become the default integral options (in memory).
    void OnSetAsDefault();
    /// Moves the members to the controls (false) or the controls to the members (true).
    void UpdateData(bool saveAndValidate);

    /// What the preview typesets for the two combo texts and the bound texts.
    static CString BuildPreviewText(const CString& firstText, const CString& secondText, const CString& lower,
                                    const CString& upper);
    /// A function text without spaces and without a leading "y=" or "f(x)=".
    static CString FunctionOfText(const CString& text);

    // ---- members: set by the opener before DoModal, read after OK --------------------------
    CString m_firstText;
    CString m_upperText;
    CString m_lowerText;
    CString m_secondText;
    KTGraph3* m_graph = nullptr;         ///< not owned
    int m_first = -1;                    ///< function slot, -1 none
    int m_second = XAxis;                ///< XAxis, YAxis or a function slot
    CString m_previewText;               ///< the text the last preview typeset
    std::array<int, MapSize> m_firstMap; ///< slot of each item of the first list
    std::array<int, MapSize> m_secondMap;
    KTOptionIntegral* m_defaults = nullptr; ///< the application's; not owned
    COLORREF m_colour = 0;
    int m_showArea = 0;

    QComboBox* FirstList() const { return m_firstList; }
    QComboBox* SecondList() const { return m_secondList; }
    QLineEdit* LowerEdit() const { return m_lowerEdit; }
    QLineEdit* UpperEdit() const { return m_upperEdit; }
    QCheckBox* ShowAreaCheck() const { return m_showAreaCheck; }
    QPushButton* DeleteButton() const { return m_deleteButton; }
    CColorButton* ShadeButton() const { return m_shadeButton; }
    QPushButton* SetAsDefaultButton() const { return m_setAsDefaultButton; }
    QPushButton* SwapFunctionsButton() const { return m_swapFunctionsButton; }
    QPushButton* SwapBoundsButton() const { return m_swapBoundsButton; }
    QPushButton* OkButton() const { return m_okButton; }
    QPushButton* CancelButton() const { return m_cancelButton; }
    QFrame* PreviewFrame() const { return m_preview; }
    QLabel* MessageLabel() const { return m_messageLabel; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void PaintPreview(QPainter& painter);
    int MapAt(const std::array<int, MapSize>& map, int index) const;

    QComboBox* m_firstList = nullptr;            // 1056
    QComboBox* m_secondList = nullptr;           // 1057
    QLineEdit* m_lowerEdit = nullptr;            // 1059
    QLineEdit* m_upperEdit = nullptr;            // 1061
    QCheckBox* m_showAreaCheck = nullptr;        // 1007
    QPushButton* m_deleteButton = nullptr;       // 1009
    CColorButton* m_shadeButton = nullptr;       // 1010
    QPushButton* m_setAsDefaultButton = nullptr; // 1012
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QPushButton* m_swapFunctionsButton = nullptr; // 1011
    QPushButton* m_swapBoundsButton = nullptr;    // 1013
    QFrame* m_preview = nullptr;                  // 1092
    QLabel* m_messageLabel = nullptr;
    bool m_initialised = false;
};
