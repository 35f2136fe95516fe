#pragma once
// The one view of a graph document: it paints the graph flicker-free through an off-screen
// device context in HIMETRIC units, keeps the graph's drawing area and the application's last
// graph size up to date, places the panels of the family constants in use below the graph, shows
// after each paint the messages that interpreting the functions recorded, and prints one page.

#include "platform/KTGdiTypes.h"

#include <QWidget>

#include <array>

class KTDC;
class KTG300Doc;
class KTParameterBar;
class KTTipWnd;
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
    /// The view's part of closing: nothing runs on after the window has gone.
    void OnClose();

    /// The graph rectangle of the last paint, logical units (HIMETRIC, y up).
    const CRect& GraphRect() const { return m_graphRect; }
    KTParameterBar& Panel(int index) const { return *m_panels.at(static_cast<std::size_t>(index)); }
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
    /// the document.
    static void OnPrint(KTG300Doc& document, KTDC& dc);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ShowPendingMessages();
    void OnParamValueChanged(int index);
    void UpdateSubstitutions();

    KTG300Doc& m_document;
    KTTipWnd* m_tip = nullptr;
    std::array<KTParameterBar*, PanelCount> m_panels{};
    int m_currentPanel = 0;
    BYTE m_animating = 0;
    CRect m_graphRect;
    bool m_painted = false;
    bool m_messagesQueued = false;
};
