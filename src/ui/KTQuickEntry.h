#pragma once
// The Quick Entry dialog, "KT Graph - Quick Entry": the user types the ten equations of a graph
// one per line and sees the caret's line typeset live, sets the visible ranges with an axes
// thumbnail and two scroll bars, the angle unit, grid, automatic scaling and the feasible-region
// shading. It works on a copy of a graph's data that its opener assigns before DoModal and takes
// back after OK. Nothing typed is parsed here: the texts are only stored.
//
// Of the application it needs the default graph options and the settings store, for "Set As
// Default"; without them that button is disabled.

// moc cannot parse the standard library's concepts that CString brings in; it needs none of
// these headers to read the signals.
#ifndef Q_MOC_RUN
#include "graph/KTGraphData3.h"
#include "platform/CString.h"
#include "platform/KTGdiTypes.h"
#include "ui/KTDialogExpander.h"

#include <array>
#include <vector>
#endif

#include "ui/KTDialog.h"

class CColorButton;
class KTOptionGraph3;
class KTOptionStore;
class QAbstractButton;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPainter;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTimer;

class KTQuickEntry : public KTDialog<KTQuickEntry>
{
    Q_OBJECT

public:
    static constexpr int FunctionCount = KTGraphData3::UserFunctionCount;
    /// The preview's check of the caret's line.
    static constexpr int PreviewTimerId = 111;
    static constexpr int PreviewTimerMs = 100;
    /// Longest axis name the two name edits take.
    static constexpr int AxisNameLimit = 35;
    /// Largest font size (hundredths of a millimetre) of the preview.
    static constexpr int PreviewFontSize = 700;

    /// Scroll codes of the two bars, numbered as the platform numbers them.
    enum ScrollCode {
        SB_LINEUP = 0,
        SB_LINEDOWN = 1,
        SB_PAGEUP = 2,
        SB_PAGEDOWN = 3,
        SB_THUMBPOSITION = 4,
        SB_THUMBTRACK = 5,
        SB_ENDSCROLL = 8,
    };

    /// Where the typed lines go: lines 1-10 to functions 1-10 as they stand, then each further
    /// line with text to the first function whose own line is blank, so that a function's pen
    /// and flags stay with its line. Lower-cased; "\r\n", and a lone "\r" or "\n", end a line.
    struct LinePlacement
    {
        std::array<CString, FunctionCount> texts;
        /// Every typed line, lower-cased, and the function (0-9) it goes to: -1 for a blank line
        /// given up to a further line, and for a line left out.
        std::vector<CString> lines;
        std::vector<int> functionOf;
        /// The lines (0-based) with text that find no function: kept only if the user agrees.
        std::vector<int> leftOut;
    };

    /// `defaults` and `store` may be null (no "Set As Default"); neither is owned.
    KTQuickEntry(KTOptionGraph3* defaults, KTOptionStore* store, QWidget* parent = nullptr);
    ~KTQuickEntry() override;

    // ---- handlers (public so that the program's tests can drive them as the user would) ----
    /// Copies the working options into the dialog and the controls, sets up the expander, the
    /// scroll bars, the equation edit (the ten texts) and the preview timer. Runs once.
    bool OnInitDialog();
    /// Splits the equations and writes the dialog's settings into the working options, then
    /// closes with Accepted.
    void OnOK();
    /// Writes the angle unit, grid, automatic scaling and shading settings into the
    /// application's defaults and saves the settings file.
    void OnSetAsDefault();
    /// "Functions": Function Properties on the working copy, from function 1.
    void OnFunctions();
    /// "Axes": Axes Properties on the working axes options; after OK only the range and step
    /// texts are taken into this dialog.
    void OnAxes();
    /// "Grid": Grid Properties on the working axes options.
    void OnGrid();
    void OnMoreLess();
    void OnAutoScale();
    void OnHalfPlanes();
    void OnFeasibleOnly();
    void OnEquationChange();
    void OnXMaxChange();
    void OnYMaxChange();
    /// "^" and "<": centre the x (y) range on 0.
    void OnCentreX();
    void OnCentreY();
    /// Panning with the horizontal (vertical) bar; `position` counts for the thumb codes.
    void OnHScroll(int code, int position);
    void OnVScroll(int code, int position);
    /// The preview's check of the caret's line (timer 111).
    void OnTimer();
    /// Shows beside the preview what interpretation says of the caret's line ("" when it reads).
    void UpdateMessage();

    /// Moves the settings between the members and the controls (true: controls to members).
    void UpdateData(bool saveAndValidate);
    /// Splits the edit's text into the ten working functions (PlaceLines); the data is marked
    /// changed. Returns where the lines went.
    LinePlacement SplitFunctions();
    /// Writes the ten working texts into the edit, one per line, then the further lines (none
    /// is lost), and puts the caret at 0.
    void RebuildEdit(const std::vector<CString>& furtherLines = {});
    /// The two origin fractions from the scroll bars (0.5 for a bar with no span).
    void ComputeOriginFractions();
    /// The bars' ranges and positions from the range and step texts.
    void SetUpScrollBars();

    // ---- the rules, free of any window ------------------------------------------------------
    static LinePlacement PlaceLines(const CString& text);
    /// The ten texts of PlaceLines.
    static std::array<CString, FunctionCount> SplitText(const CString& text);
    /// What the dialog says beside the preview while some line finds no function.
    static constexpr const char* TenFunctionsMessage = "KT Graph holds ten functions: not every line fits";
    /// The ten texts joined by "\r\n" (always ten lines).
    static CString JoinTexts(const std::array<CString, FunctionCount>& texts);

    /// What the automatic range rule gives for one axis.
    struct RangeRule
    {
        bool changed = false; ///< false for a max of 0: the texts stay as they were
        CString minText;
        CString majorText;
        CString minorText;
    };
    /// The automatic rule for a typed max text: the min from the origin fraction (unless the
    /// bar set the max, or the fraction is 0), then steps from the pi, degree or 1-2-5 table
    /// for an eighth of the span, then the min snapped to the minor step, never above 0.
    static RangeRule ApplyRangeRule(const CString& maxText, const CString& minText, double fraction,
                                    bool fromScrollBar);
    /// The largest multiple of the step that is not below min, as a text (exact where the step
    /// is exact); "0" when min lies above -step or the step is not positive.
    static CString SnapMinimum(double min, const CString& stepText);

    /// One bar's range maximum and position.
    struct BarSetup
    {
        int maximum = 0;
        int position = 0;
        double span = 0.0;
    };
    /// Horizontal: positions count minor steps from the left end to x = 0; vertical: from the
    /// top of the range down to y = 0.
    static BarSetup ComputeBar(const CString& maxText, const CString& minText, const CString& minorText,
                               const CString& majorText, bool horizontal);
    /// 1 - position / span (horizontal) or position / span (vertical); 0.5 for a zero span.
    static double OriginFraction(int position, int minimum, int maximum, bool horizontal);

    // ---- state, for the opener and for tests -------------------------------------------------
    /// The working copy: assigned by the opener before DoModal, taken back after OK.
    KTGraphData3 m_data;
    /// The steps the graph was drawn with (x minor, x major, y minor, y major), set by the
    /// opener: Axes Properties shows them for automatic steps until the axes or functions are
    /// changed here.
    std::array<CString, 4> m_stepsInUse;

    const CString& XMinText() const { return m_xMin; }
    const CString& YMinText() const { return m_yMin; }
    const CString& XMajorText() const { return m_xMajor; }
    const CString& YMajorText() const { return m_yMajor; }
    const CString& XMinorText() const { return m_xMinor; }
    const CString& YMinorText() const { return m_yMinor; }
    double HorizontalFraction() const { return m_hFraction; }
    double VerticalFraction() const { return m_vFraction; }
    int PreviewedLine() const { return m_previewLine; }
    bool PreviewPending() const { return m_previewFlag != 0; }
    /// The text and font size (hundredths of a millimetre) the preview last typeset; size 0
    /// when the line is empty and nothing is shown.
    const CString& PreviewText() const { return m_previewText; }
    int PreviewSize() const { return m_previewSize; }
    const KTDialogExpander& Expander() const { return m_expander; }

    QPlainTextEdit* EquationEdit() const { return m_equationEdit; }
    QComboBox* AngleList() const { return m_angleList; }
    QLineEdit* YAxisEdit() const { return m_yAxisEdit; }
    QLineEdit* YMaxEdit() const { return m_yMaxEdit; }
    QLineEdit* XAxisEdit() const { return m_xAxisEdit; }
    QLineEdit* XMaxEdit() const { return m_xMaxEdit; }
    QCheckBox* ShowGridCheck() const { return m_showGridCheck; }
    QCheckBox* AutoScaleCheck() const { return m_autoScaleCheck; }
    QScrollBar* XScrollBar() const { return m_xBar; }
    QScrollBar* YScrollBar() const { return m_yBar; }
    QPushButton* CentreXButton() const { return m_centreXButton; }
    QPushButton* CentreYButton() const { return m_centreYButton; }
    QFrame* ThumbnailFrame() const { return m_thumbnail; }
    QFrame* PreviewFrame() const { return m_preview; }
    QLabel* MessageLabel() const { return m_messageLabel; }
    QRadioButton* HalfPlanesRadio() const { return m_halfPlanesRadio; }
    QRadioButton* FeasibleOnlyRadio() const { return m_feasibleOnlyRadio; }
    QCheckBox* SolidShadingCheck() const { return m_solidCheck; }
    CColorButton* RegionColorButton() const { return m_colorButton; }
    QPushButton* FunctionsButton() const { return m_functionsButton; }
    QPushButton* AxesButton() const { return m_axesButton; }
    QPushButton* GridButton() const { return m_gridButton; }
    QPushButton* SetAsDefaultButton() const { return m_setAsDefaultButton; }
    QPushButton* MoreLessButton() const { return m_moreLessButton; }
    QPushButton* OkButton() const { return m_okButton; }
    QPushButton* CancelButton() const { return m_cancelButton; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void ConnectControls();
    void PaintPreview(QPainter& painter);
    void PaintThumbnail(QPainter& painter);
    void RegionColourFromButton();
    void ApplyAutoScaleRule();
    void SetMaxAfterScroll(QLineEdit* maxEdit, CString& minText, int delta, bool horizontal);
    void OnBarAction(QScrollBar* bar, int action, bool horizontal);
    int CaretLine() const;
    /// The edit's text with the line ends of the texts ("\r\n").
    CString TypedText() const;
    /// OK's question when lines find no function: true when the user lets them go.
    bool AgreeToLeaveOut(const LinePlacement& placement);
    void MarkChanged() { m_data.m_dirty = KTGraphData3::Dirty; }

    KTOptionGraph3* m_defaults;
    KTOptionStore* m_store;

    // Controls (owned by the dialog as their Qt parent).
    QPushButton* m_functionsButton = nullptr;    // 1003
    QPushButton* m_axesButton = nullptr;         // 1004
    QPushButton* m_gridButton = nullptr;         // 1010
    QComboBox* m_angleList = nullptr;            // 1009
    QPlainTextEdit* m_equationEdit = nullptr;    // 1000
    QCheckBox* m_showGridCheck = nullptr;        // 1021
    QCheckBox* m_autoScaleCheck = nullptr;       // 1022
    QLineEdit* m_yAxisEdit = nullptr;            // 1012
    QLineEdit* m_yMaxEdit = nullptr;             // 1035
    QLineEdit* m_xAxisEdit = nullptr;            // 1013
    QLineEdit* m_xMaxEdit = nullptr;             // 1036
    QScrollBar* m_xBar = nullptr;                // 1038
    QScrollBar* m_yBar = nullptr;                // 1037
    QPushButton* m_centreXButton = nullptr;      // 1039
    QPushButton* m_centreYButton = nullptr;      // 1040
    QFrame* m_thumbnail = nullptr;               // 1090
    QFrame* m_preview = nullptr;                 // 1092
    QLabel* m_messageLabel = nullptr;            ///< beside the preview: why the line cannot be drawn
    QRadioButton* m_halfPlanesRadio = nullptr;   // 1028
    QRadioButton* m_feasibleOnlyRadio = nullptr; // 1029
    QCheckBox* m_solidCheck = nullptr;           // 1007
    CColorButton* m_colorButton = nullptr;       // 1041
    QPushButton* m_setAsDefaultButton = nullptr; // 1079
    QPushButton* m_moreLessButton = nullptr;     // 1045
    QLabel* m_collapseMarker = nullptr;          // 1046
    QLabel* m_lessCaption = nullptr;             // 1047
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QTimer* m_previewTimer = nullptr;

    // Members exchanged with the controls.
    int m_angleIndex = 0;
    int m_showGrid = 0;
    int m_autoScale = 0;
    CString m_yNotate;
    CString m_yMax;
    CString m_xNotate;
    CString m_xMax;
    CString m_xMin;
    CString m_yMin;
    CString m_xMajor;
    CString m_yMajor;
    CString m_xMinor;
    CString m_yMinor;
    COLORREF m_regionColor = 0;
    int m_feasibleMode = 0; ///< 0 "Half Planes", 1 "ONLY Feasible Region"
    int m_solidShading = 0;

    BYTE m_initialised = 0;
    int m_previewLine = 0;
    int m_messageLine = -1; ///< the line the message speaks of
    double m_hFraction = 0.5;
    double m_vFraction = 0.5;
    double m_xRange = 0.0;
    double m_yRange = 0.0;
    BYTE m_previewFlag = 1;
    BYTE m_scrollFlag = 0;
    KTDialogExpander m_expander;
    CString m_previewText;
    int m_previewSize = 0;
};
