#pragma once
// The one view of a graph document: it paints the graph flicker-free through an off-screen
// device context in HIMETRIC units, keeps the graph's drawing area and the application's last
// graph size up to date, places the panels of the family constants in use below the graph, shows
// after each paint the messages that interpreting the functions recorded, and prints one page.

// moc cannot parse the standard library's concepts that CString brings in.
#ifndef Q_MOC_RUN
#include "foundation/KTPoint.h"
#include "graph/KTDerivativeFunction.h"
#include "graph/KTIntegralFunction.h"
#include "platform/CString.h"
#endif
#include "platform/KTGdiTypes.h"

#include <QImage>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <vector>

/// The view's mouse mode.
enum KTViewMode : int {
    KTViewSelect = 0,
    KTViewIntegral = 1,
    KTViewAnnotation = 2,
    KTViewZoom = 3,
    KTViewDerivative = 4,
};

class CMainFrame;
class KTDC;
class KTG300Doc;
class KTParameterBar;
class KTTipWnd;
class QMenu;
class QPrinter;

class KTG300View : public QWidget
{
    Q_OBJECT

public:
    static constexpr int PanelCount = 5;
    /// Height of the panel strip below the graph, and the size a panel takes, device pixels.
    static constexpr int PanelStripHeight = 73;
    static constexpr int PanelWidth = 93;
    /// The constants of the panels, in order, and their codes (KTG300Doc::IsConstantUsed).
    static constexpr const char* PanelNames[PanelCount] = {"m", "a", "b", "c", "d"};
    static constexpr int PanelCodes[PanelCount] = {11, 7, 8, 9, 10};

    KTG300View(KTG300Doc& document, QWidget* parent = nullptr);
    ~KTG300View() override;

    KTG300Doc& GetDocument() const { return m_document; }

    /// One paint of the document on the context (the widget's, or an image's in tests): the graph
    /// is interpreted when dirty, laid out in the client area less the panel strip when a
    /// constant is used, recalculated and drawn off-screen with its annotations.
    void OnDraw(KTDC& dc);
    /// Moves the main window to the document's rectangle (held to the screen; a degenerate one
    /// is ignored) and repaints.
    void OnUpdate();
    /// Paints again for a change of what the view shows: the kept frame is not reused.
    void Redraw();
    /// Whether the next paint may draw the kept frame again instead of the graph (for tests).
    bool HasCurrentFrame() const;
    /// The view's part of closing: nothing runs on after the window has gone.
    void OnClose();

    /// The graph rectangle of the last paint, logical units (HIMETRIC, y up).
    const CRect& GraphRect() const { return m_graphRect; }
    /// The panel of constant `index` (0..PanelCount-1), made when first asked for: a document
    /// that uses no constant never makes one.
    KTParameterBar& Panel(int index) const;
    KTTipWnd& TipWindow() const { return *m_tip; }
    /// Places, shows and hides the panels by the constants in use (done after every paint).
    void LayoutPanels();

    void OnFilePrint();
    void OnFilePrintPreview();
    /// The Functions command (menu and toolbar): the document's EditFunctions, then a repaint.
    void OnEditFunctions();
    /// Prints the document on one page of the printer; false when the printer cannot start.
    static bool PrintDocument(KTG300Doc& document, QPrinter& printer);
    /// The printing steps on a context that prints: metric mapping, layout, recalculation and
    /// the document. A graph area larger than the page is scaled down to fit it and centred.
    static void OnPrint(KTG300Doc& document, KTDC& dc);
    /// On a context in MM_HIMETRIC: a graph area (logical units) larger than the device is drawn
    /// scaled down the same in both directions to fit it, and centred; one that fits is left at
    /// its physical size.
    static void FitToPage(const CRect& area, KTDC& dc);

    // ---- Mouse modes, keys and zoom (KTG300ViewModes.cpp) -------------------------------------
    /// Timer of the animation steps.
    static constexpr int AnimationTimerId = 10102;
    /// Period of the animation timer for a speed of 0..10: 1500 / (speed + 1) ms.
    static int AnimationPeriod(int speed);
    KTViewMode GetMode() const { return m_mode; }
    /// The function under the cursor: 0-9 a function, -2 an integral, -3 a tangent, -1 none.
    int GetFunctionUnderCursor() const { return m_functionUnderCursor; }
    void SetFunctionUnderCursor(int item) { m_functionUnderCursor = item; }
    /// Device point (pixels of the view) to the view's logical units (HIMETRIC, y up).
    CPoint DeviceToLogical(const CPoint& device) const;
    /// The view's logical units (HIMETRIC, y up) to its pixels.
    CPoint LogicalToDevice(const CPoint& logical) const;
    /// The mouse handlers on a device point of the view.
    void OnLButtonDown(const CPoint& device, bool ctrlOrShift);
    void OnMouseMoveAt(const CPoint& device);
    /// Rebuilds the hover tips for the pointer at the device point and lets the tip window
    /// follow; the pointer's moves over the tip window come here too.
    void UpdateHover(const CPoint& device);
    void OnLButtonUp(const CPoint& device, bool ctrlOrShift);
    void OnRButtonUp(const CPoint& device);
    /// A mouse message relayed by the tip window with the tip's item (WM_TIP_*).
    void OnTipMessage(unsigned message, int item);
    /// Qt key code of Page Up/Down, Home, the arrows or Delete; other keys do nothing.
    void OnKeyDown(int key);
    /// Zooms in to the rubber band, or with keys about the centre by KeyZoomRatio.
    void ZoomToRect(bool keys);
    /// Back to the previous range, or (with keys, or without history) out by a factor about the
    /// middle of the view.
    void ZoomOut(bool keys);
    /// Sets the rubber band (logical units); used by the modes and by tests.
    void SetRubberBand(const CRect& band) { m_rubberBand = band; }
    const std::vector<CString>& ZoomHistory() const { return m_zoomHistory; }
    /// Short beeps counted for tests (type as MessageBeep takes it).
    static int BeepCount();

    // ---- Commands, parameter panels and animation (KTG300ViewCommands2.cpp) -----------------
    /// The Edit Properties command: Function Properties on the function under the cursor.
    void OnEditProperties();
    void OnSelectMode();
    void OnIntegralMode();
    void OnAnnotationMode();
    void OnZoomMode();
    void OnDerivativeMode();
    /// Preferences and Messages on the document's options and the application's defaults; the
    /// document is marked modified however the dialog ends.
    void OnPreferences();
    void OnMessages();
    /// The default option AllowPreferenceChanges.
    bool PreferencesAllowed() const;
    /// The user functions that can carry an integral or a tangent.
    int CountActiveItems() const;
    /// Whether the user slot can carry an integral or a tangent.
    bool CanCarryTools(int slot) const;
    void OnFirstDerivative();
    void OnSecondDerivative();
    void OnArrows();
    void OnDomainMarks();
    void OnSecondDomainMark();
    void OnVerticalAsymptotes();
    void OnParamAnimate(int index);
    void OnParamFamily(int index);
    /// One animation step of the current panel.
    void OnAnimationTimer();
    /// Stops a running animation (timer, flags, the panel's background).
    void StopAnimation();
    bool IsAnimationRunning() const { return m_animating != 0; }
    int AnimationInterval() const;
    int CurrentPanel() const { return m_currentPanel; }
    /// Enables and checks the view's commands in the frame by this view's state; a null view
    /// disables them.
    static void UpdateCommandUI(CMainFrame& frame, KTG300View* view);
    /// Connects the view's commands of the frame to the active view.
    static void ConnectCommands(CMainFrame& frame);
    /// UpdateCommandUI for this view when it is the active one.
    void RefreshCommandUI();
    /// Answers the curve context menu in place of running it (tests): called with the menu
    /// filled and checked and the screen point it would open at; it may trigger an action. An
    /// empty hook runs the menu.
    using ContextMenuHook = std::function<void(QMenu&, const QPoint&)>;
    static ContextMenuHook SetContextMenuHook(ContextMenuHook hook);

    // ---- The integral, tangent and annotation dialogs (KTG300ViewToolDialogs.cpp) -----------
    /// The Integral command: the Calculate Integral dialog on the graph; after OK the integral
    /// is added, replaces the selected one, or (after "Delete") the selected one is removed.
    void OnIntegral();
    /// The Tangent Line command: the Tangent Line dialog on the selected tangent or a new one;
    /// after OK the tangent is added, replaces the selected one, or is removed ("Delete").
    void OnTangentLine();
    /// The annotation edit dialog on the document's annotation (KTGAnnotationList::EditAt);
    /// the document is marked modified and changed defaults are saved. False when the index
    /// names no annotation.
    bool EditAnnotationAt(int index);
    /// Enables the Integral and Tangent Line commands of the frame while the view has a
    /// function that can carry them; a null view disables them.
    static void UpdateToolCommandUI(CMainFrame& frame, KTG300View* view);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    /// The mouse left the graph: no tip or hover marker stays behind.
    void leaveEvent(QEvent* event) override;
    /// The mouse entering a parameter panel leaves the graph too.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// What the kept frame was drawn for besides the graph's data (a dirty graph is always drawn
    /// again) and the changes that call Redraw.
    struct FrameKey
    {
        int width = 0;
        int height = 0;
        qreal ratio = 0;
        int dpiX = 0;
        int dpiY = 0;
        std::vector<std::pair<CString, double>> substitutions;
        std::vector<int> selection; ///< selected indices and flags of tangents, integrals, annotations
        bool operator==(const FrameKey& other) const = default;
    };
    FrameKey CurrentFrameKey() const;
    /// Draws the graph and its annotations into the kept frame, as OnDraw draws them off-screen.
    void RenderFrame();
    /// The mode overlays and the hover marker are drawn over the frame on every paint.
    bool HasOverlays() const;
    /// The steps of OnDraw: the main window's rectangle noted, the graph interpreted and its
    /// area found on the context; then laid out, recalculated and drawn on the (off-screen) one.
    void NoteWindowRect();
    void PrepareFrame(KTDC& dc);
    void DrawFrame(KTDC& dc);
    /// The context of a picture of the view: the view's resolution, HIMETRIC, clipped to the
    /// picture and (`fill`) filled with the background, as the off-screen context of OnDraw starts.
    void StartPicture(KTDC& dc, bool fill) const;
    void ShowPendingMessages();
    bool ResizedByUser() const;
    void OnParamValueChanged(int index);
    void UpdateSubstitutions();
    void SetMode(KTViewMode mode);
    void SetCursorOfMode();
    /// Hides and disarms the hover tip and takes away its marker.
    void DismissHover();
    void AfterEdit();
    void ToggleFunctionFlag(int which);
    void SetAllConstantsFromPanels();
    /// Before the document is stored: every constant takes the value its panel shows (a family
    /// draw leaves its constant past the family's end), where the panel shows a number.
    void KeepPanelValues();
    void MoveAnnotationTo(const CPoint& logical, const KTPoint& graphPoint);
    void SelectUnderPress();
    void AddIntegralBuilt(bool ctrlOrShift);
    /// Starts the integral being built at what the tip content names (a curve, or two at their
    /// intersection); `tipShown`: the content has a tip to name. False when nothing there
    /// carries an integral.
    bool StartIntegralOnTip(int item, double snappedX, bool tipShown);
    /// What lies under a press on the view itself (the tip has not appeared yet): the tip
    /// content is built for the point, as hovering builds it; true when it names something.
    bool HitTestPress(const CPoint& logical);
    void TakeMouseFromHiddenTip();
    void AddTangentBuilt(bool ctrlOrShift);
    void PlaceNewAnnotation(const CPoint& logical, const KTPoint& graphPoint, bool bound);
    void RunCurveContextMenu();
    /// Where the curve menu opens: the hot spot of the tip under the mouse, on the screen.
    QPoint CurveMenuPosition() const;
    void EditAxesOnRightClick();
    template <typename Dialog> void RunPreferencesDialog();
    bool IsOnAxis(const KTPoint& graphPoint);
    void DrawOverlays(KTDC& dc);
    bool ReadRanges(double& xMin, double& xMax, double& yMin, double& yMax);
    /// Writes the four range texts, each read back as exactly its double.
    void WriteRanges(double xMin, double xMax, double yMin, double yMax);
    KTPoint GraphPointOf(const CPoint& logical);

    KTG300Doc& m_document;
    KTTipWnd* m_tip = nullptr;
    KTParameterBar& MakePanel(int index) const;

    mutable std::array<KTParameterBar*, PanelCount> m_panels{}; ///< null until first asked for
    int m_currentPanel = 0;
    BYTE m_animating = 0;
    CRect m_graphRect;
    bool m_painted = false;
    bool m_messagesQueued = false;

    KTViewMode m_mode = KTViewSelect;
    int m_functionUnderCursor = -1;
    BYTE m_dragging = 0;
    BYTE m_panning = 0;
    BYTE m_zoomRectangle = 0;
    BYTE m_dragLine = 0;
    BYTE m_integralPreview = 0;
    BYTE m_grabbedByText = 0;
    CRect m_rubberBand;
    KTIntegralFunction m_integralBuilt;
    KTDerivativeFunction m_tangentBuilt;
    KTPoint m_panStart;
    KTPoint m_panCurrent;
    std::vector<CString> m_zoomHistory;
    int m_hoverHit = -1;
    int m_animationTimer = 0;
    CPoint m_pressLogical;
    /// The left button went down on the tip window and is still held.
    BYTE m_pressedOnTip = 0;

    QImage m_frame;    ///< the last picture of the graph and annotations
    QImage m_composed; ///< the frame with the overlays, while there are any
    FrameKey m_frameKey;
    bool m_frameValid = false;
};
