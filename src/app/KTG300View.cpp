#include "app/KTG300View.h"

#include "app/CChildFrame.h"
#include "app/CMainFrame.h"
#include "app/KTG300App.h"
#include "app/KTG300Doc.h"
#include "app/KTTipWnd.h"
#include "engine/KTFunction3.h"
#include "foundation/KTNumberFormat.h"
#include "foundation/KTNumberTexts.h"
#include "foundation/KTSentinelValues.h"
#include "graph/KTGraph3.h"
#include "platform/KTDC.h"
#include "platform/KTMessageBox.h"
#include "ui/KTImageButton.h"
#include "ui/KTMemDC.h"
#include "ui/KTParameterBar.h"
#include "ui/KTSpinButtonCtrl.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QPointer>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

/// A stored window rectangle smaller than this (pixels) is taken as no rectangle at all.
constexpr int kSmallestWindow = 100;

} // namespace

KTG300View::KTG300View(KTG300Doc& document, QWidget* parent) : QWidget(parent), m_document(document)
{
    setAttribute(Qt::WA_OpaquePaintEvent); // the paint covers everything: no erase
    setMouseTracking(true);
    setMinimumSize(120, 120);

    m_tip = new KTTipWnd(this);
    m_tip->SetDelay(200);
    m_tip->Create(this);

    connect(&m_document, &KTG300Doc::updated, this, &KTG300View::OnUpdate);
    connect(&m_document, &KTG300Doc::aboutToSave, this, &KTG300View::KeepPanelValues);
    connect(m_tip, &KTTipWnd::relayed, this, &KTG300View::OnTipMessage);
    connect(m_tip, &KTTipWnd::hovered, this, [this](QPoint p) {
        try {
            UpdateHover(CPoint(p.x(), p.y()));
        } catch (...) {
        }
    });
    setFocusPolicy(Qt::ClickFocus);
}

KTG300View::~KTG300View() = default;

KTParameterBar& KTG300View::Panel(int index) const
{
    KTParameterBar* panel = m_panels.at(static_cast<std::size_t>(index));
    return panel ? *panel : MakePanel(index);
}

KTParameterBar& KTG300View::MakePanel(int index) const
{
    // Five panels of spin boxes and buttons are most of a new window's widgets, and a document
    // that uses no constant never shows one: each is made with the first use of its constant.
    static constexpr int rangeIndex[PanelCount] = {KTConstantM, KTConstantA, KTConstantB, KTConstantC,
                                                   KTConstantD};
    const KTFunctionConstantRanges& constants = m_document.Graph().Data().Function(0).Data().m_constants;
    auto* self = const_cast<KTG300View*>(this);
    auto* panel = new KTParameterBar;
    // Setting the panel up is no change of the user's.
    panel->SetNotificationsSuppressed(true);
    panel->Create(self);
    panel->SetName(PanelNames[index]);
    panel->SetIndex(index);
    // A stored constant or family bound reads back as the number that was saved, typed as the
    // user types it ("pi/4", not 0.7853981635): the panel's value draws the curves and is stored
    // again on save, and its bounds are offered again by the Family and Animation dialogs.
    panel->ValueSpinner().SetText(NumberTextFor(constants.Current(rangeIndex[index])));
    // A number longer than the edit shows its first digits, not its last ("0.3333", not
    // "333333").
    panel->ValueEdit().setCursorPosition(0);
    // A family the document was saved with is the one the Family button offers again.
    const KTFunctionConstantRange& range = *constants.At(rangeIndex[index]);
    if (range.IsFamily())
        panel->SetFamilyRange(NumberTextFor(range.m_from), NumberTextFor(range.m_to),
                              NumberTextFor(range.m_step));
    panel->SetNotificationsSuppressed(false);
    connect(panel, &KTParameterBar::valueChanged, self, &KTG300View::OnParamValueChanged);
    connect(panel, &KTParameterBar::animateRequested, self, &KTG300View::OnParamAnimate);
    connect(panel, &KTParameterBar::familyRequested, self, &KTG300View::OnParamFamily);
    panel->installEventFilter(self);
    m_panels[static_cast<std::size_t>(index)] = panel;
    return *panel;
}

void KTG300View::OnClose()
{
    if (m_animationTimer) {
        killTimer(m_animationTimer);
        m_animationTimer = 0;
    }
    m_animating = 0;
}

void KTG300View::paintEvent(QPaintEvent* event)
{
    // Nothing may escape a paint; a failed paint leaves the background.
    try {
        QPainter painter(this);
        NoteWindowRect();
        if (!HasCurrentFrame())
            RenderFrame();
        const QImage* picture = &m_frame;
        if (HasOverlays()) {
            m_composed = m_frame;
            QPainter overlayPainter(&m_composed);
            KTDC dc(&overlayPainter);
            StartPicture(dc, false);
            DrawOverlays(dc);
            picture = &m_composed;
        }
        // Only what the paint asks for is copied: a tip or a cursor exposes a small part.
        const QRect area = event ? event->rect() : rect();
        const qreal ratio = picture->devicePixelRatio();
        const QRectF source(area.x() * ratio, area.y() * ratio, area.width() * ratio, area.height() * ratio);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(QRectF(area), *picture, source);
    } catch (...) {
    }
    m_painted = true;
    // Moving the panels and showing messages would re-enter painting: both run after it.
    QPointer<KTG300View> self(this);
    QTimer::singleShot(0, this, [self] {
        if (self) {
            self->LayoutPanels();
            self->RefreshCommandUI();
        }
    });
    if (!m_messagesQueued) {
        m_messagesQueued = true;
        QTimer::singleShot(0, this, [self] {
            if (self)
                self->ShowPendingMessages();
        });
    }
}

void KTG300View::Redraw()
{
    m_frameValid = false;
    update();
}

KTG300View::FrameKey KTG300View::CurrentFrameKey() const
{
    FrameKey key;
    key.width = width();
    key.height = height();
    key.ratio = devicePixelRatioF();
    key.dpiX = logicalDpiX();
    key.dpiY = logicalDpiY();
    const KTVariableSubstitutions& substitutions = m_document.m_substitutions;
    for (int i = 0; i < substitutions.GetCount(); ++i)
        key.substitutions.emplace_back(substitutions.GetName(i), substitutions.GetValueAt(i));
    const KTGraphData3& data = m_document.Graph().Data();
    key.selection.push_back(data.m_derivatives.m_selectedIndex);
    for (int i = 0; i < data.m_derivatives.GetCount(); ++i)
        key.selection.push_back(data.m_derivatives.GetAt(i).m_selected ? 1 : 0);
    key.selection.push_back(data.m_integrals.m_selectedIndex);
    for (int i = 0; i < data.m_integrals.GetCount(); ++i)
        key.selection.push_back(data.m_integrals.GetAt(i).m_selected ? 1 : 0);
    key.selection.push_back(m_document.m_annotationIndex);
    for (int i = 0; i < m_document.m_annotations.GetCount(); ++i)
        key.selection.push_back(m_document.m_annotations.GetAt(i).m_selected);
    return key;
}

bool KTG300View::HasCurrentFrame() const
{
    return m_frameValid && !m_document.Graph().IsDirty() && !m_frame.isNull() &&
           CurrentFrameKey() == m_frameKey;
}

bool KTG300View::HasOverlays() const
{
    return m_zoomRectangle || m_panning || m_integralPreview || m_dragLine || m_tip->Content().m_markerFlag;
}

void KTG300View::StartPicture(KTDC& dc, bool fill) const
{
    dc.SetResolution(logicalDpiX(), logicalDpiY());
    dc.SetMapMode(MM_HIMETRIC);
    CRect area;
    dc.GetClipBox(&area);
    dc.IntersectClipRect(area);
    if (fill)
        dc.FillSolidRect(area, dc.GetBkColor());
}

void KTG300View::RenderFrame()
{
    const qreal ratio = std::max<qreal>(1.0, devicePixelRatioF());
    const QSize pixels(static_cast<int>(std::ceil(width() * ratio)),
                       static_cast<int>(std::ceil(height() * ratio)));
    if (m_frame.size() != pixels)
        m_frame = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    m_frame.setDevicePixelRatio(ratio);
    m_frame.setDotsPerMeterX(static_cast<int>(std::lround(logicalDpiX() / 0.0254)));
    m_frame.setDotsPerMeterY(static_cast<int>(std::lround(logicalDpiY() / 0.0254)));
    m_frameValid = false;
    if (m_frame.isNull())
        return;
    {
        QPainter painter(&m_frame);
        KTDC dc(&painter);
        dc.SetResolution(logicalDpiX(), logicalDpiY());
        PrepareFrame(dc);
        StartPicture(dc, true);
        DrawFrame(dc);
    }
    m_frameKey = CurrentFrameKey();
    m_frameValid = true;
}

void KTG300View::NoteWindowRect()
{
    if (KTG300App* app = KTGetApp(); app && app->GetMainWnd()) {
        const QRect frame = app->GetMainWnd()->frameGeometry();
        m_document.m_windowRect =
            CRect(frame.left(), frame.top(), frame.left() + frame.width(), frame.top() + frame.height());
    }
}

void KTG300View::OnDraw(KTDC& dc)
{
    NoteWindowRect();
    PrepareFrame(dc);
    KTMemDC memory(dc);
    DrawFrame(memory);
    DrawOverlays(memory);
}

void KTG300View::PrepareFrame(KTDC& dc)
{
    KTGraph3& graph = m_document.Graph();
    const std::int32_t dirty = graph.Data().m_dirty;
    // A graph laid out anew (loaded, resized, zoomed) moves every annotation to its graph point.
    m_document.m_refreshDevicePositions = dirty > 0 ? 1 : 0;
    m_document.m_refreshBoundAnnotations = dirty == 2 ? 1 : 0;
    graph.ComputeDataExtents();

    dc.SetMapMode(MM_HIMETRIC);
    const int clientWidth = dc.GetPainter() ? width() : dc.GetDeviceCaps(HORZRES);
    const int clientHeight = dc.GetPainter() ? height() : dc.GetDeviceCaps(VERTRES);
    CPoint corner(clientWidth, clientHeight);
    dc.DPtoLP(&corner);
    CSize panel(PanelWidth, PanelStripHeight);
    dc.DPtoLP(&panel);

    const CRect previousRect = m_graphRect;
    m_graphRect = CRect(0, 0, corner.x, corner.y);
    bool anyUsed = false;
    for (int code : PanelCodes)
        anyUsed = anyUsed || m_document.IsConstantUsed(code);
    if (anyUsed)
        m_graphRect.bottom += std::abs(panel.cy);
    if (m_graphRect != previousRect)
        m_document.m_refreshDevicePositions = 1;
    // A tip describes what lay under the mouse in the last layout: after a zoom, a move, a
    // resize or any change of the graph it would stand over points it no longer names.
    if (dirty > 0 || m_graphRect != previousRect)
        DismissHover();

    if (KTG300App* app = KTGetApp())
        app->m_lastGraphSize = CSize(std::abs(m_graphRect.Width()), std::abs(m_graphRect.Height()));
    m_tip->SetGraphRect(m_graphRect);
}

void KTG300View::DrawFrame(KTDC& dc)
{
    KTGraph3& graph = m_document.Graph();
    graph.SetArea(m_graphRect.left, m_graphRect.top, m_graphRect.right, m_graphRect.bottom);
    graph.Layout(dc);
    graph.Recalculate(&m_document.m_substitutions);
    m_document.DrawDocument(dc);
}

void KTG300View::LayoutPanels()
{
    const int stripTop = height() - PanelStripHeight;
    int placed = 0;
    for (int i = 0; i < PanelCount; ++i) {
        if (!m_panels[static_cast<std::size_t>(i)] && !m_document.IsConstantUsed(PanelCodes[i]))
            continue; // not made yet, and not needed
        KTParameterBar& panel = Panel(i);
        if (m_document.IsConstantUsed(PanelCodes[i])) {
            const CPoint position(10 + 100 * placed++, stripTop + 1);
            if (panel.GetPosition() != position || !panel.isVisible()) {
                panel.SetPosition(position.x, position.y);
                panel.show();
                panel.update();
            }
        } else if (panel.isVisible()) {
            panel.hide();
        }
    }
}

void KTG300View::ShowPendingMessages()
{
    m_messagesQueued = false;
    for (const auto& [caption, text] : m_document.TakePendingMessages())
        KTMessageBox(caption, text, MB_OK | MB_ICONWARNING);
}

void KTG300View::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_document.Graph().SetDirty();
    if (ResizedByUser())
        m_document.SetModifiedFlag(true);
}

bool KTG300View::ResizedByUser() const
{
    // The sizes a window takes while it is made are no change of the user's.
    if (!m_painted)
        return false;
    const CChildFrame* child = nullptr;
    for (QWidget* up = parentWidget(); up && !child; up = up->parentWidget())
        child = qobject_cast<CChildFrame*>(up);
    if (!child)
        return true;
    // In the main window the document windows are also sized when others open, activate, tile
    // or cascade; only the user's own sizing counts: by the window's frame, or by the main
    // window's, which the document windows follow.
    if (child->IsUserSizing())
        return true;
    const auto* frame = qobject_cast<const CMainFrame*>(window());
    return frame && frame->IsResizingByUser();
}

void KTG300View::OnUpdate()
{
    KTG300App* app = KTGetApp();
    CMainFrame* frame = app ? app->GetMainWnd() : nullptr;
    const CRect& stored = m_document.m_windowRect;
    if (frame && !frame->isMaximized() && !frame->isFullScreen() && stored.Width() >= kSmallestWindow &&
        stored.Height() >= kSmallestWindow) {
        QRect rect(stored.left, stored.top, stored.Width(), stored.Height());
        QScreen* screen = QGuiApplication::screenAt(rect.center());
        if (!screen)
            screen = frame->screen() ? frame->screen() : QGuiApplication::primaryScreen();
        if (screen) {
            const QRect available = screen->availableGeometry();
            rect.setWidth(std::min(rect.width(), available.width()));
            rect.setHeight(std::min(rect.height(), available.height()));
            rect.moveLeft(std::clamp(rect.left(), available.left(), available.right() - rect.width() + 1));
            rect.moveTop(std::clamp(rect.top(), available.top(), available.bottom() - rect.height() + 1));
        }
        // The stored rectangle is the frame's; the window's own size leaves out the decorations.
        const QSize decoration = frame->frameGeometry().size() - frame->geometry().size();
        frame->PlaceWindow(rect.topLeft(), QSize(std::max(1, rect.width() - decoration.width()),
                                                 std::max(1, rect.height() - decoration.height())));
    }
    Redraw();
}

void KTG300View::UpdateSubstitutions()
{
    KTVariableSubstitutions& substitutions = m_document.m_substitutions;
    substitutions.Clear();
    for (int i = 0; i < PanelCount; ++i)
        if (m_document.IsConstantUsed(PanelCodes[i]))
            substitutions.Add(PanelNames[i], Panel(i).GetValue());
}

void KTG300View::KeepPanelValues()
{
    KTGraph3& graph = m_document.Graph();
    // A panel not made yet holds the value the document has.
    for (int i = 0; i < PanelCount; ++i) {
        if (!m_panels[static_cast<std::size_t>(i)])
            continue;
        const double value = Panel(i).GetValue();
        if (std::isfinite(value) && value != KTUndefinedValue)
            graph.SetConstant(PanelNames[i], value);
    }
}

void KTG300View::OnParamValueChanged(int index)
{
    if (index < 0 || index >= PanelCount)
        return;
    KTGraph3& graph = m_document.Graph();
    if (graph.Data().m_family == 1) {
        graph.Data().m_family = 0;
        for (int i = 0; i < PanelCount; ++i)
            graph.SetConstant(PanelNames[i], Panel(i).GetValue());
    }
    graph.SetConstant(PanelNames[index], Panel(index).GetValue());
    UpdateSubstitutions();
    graph.SetDirty();
    m_document.SetModifiedFlag(true);
    Panel(index).update();
    Redraw();
}

void KTG300View::OnPrint(KTG300Doc& document, KTDC& dc)
{
    dc.SetMapMode(MM_HIMETRIC);
    dc.SetWindowOrg(0, 0);
    KTGraph3& graph = document.Graph();
    FitToPage(graph.GetArea(), dc);
    // A document printed before any paint (from the command line) has not been interpreted yet.
    graph.ComputeDataExtents();
    graph.Layout(dc);
    graph.Recalculate(&document.m_substitutions);
    document.DrawDocument(dc);
}

void KTG300View::FitToPage(const CRect& area, KTDC& dc)
{
    // The graph keeps the area of its last paint on the screen and prints at that physical size;
    // an area larger than the page's printable part would be cut off. It is drawn at a lower
    // resolution instead, so that everything (text, pens, markers) shrinks alike and the
    // drawing keeps its metric mapping.
    const int dpiX = dc.GetDeviceCaps(LOGPIXELSX);
    const int dpiY = dc.GetDeviceCaps(LOGPIXELSY);
    const CSize page(dc.GetDeviceCaps(HORZRES), dc.GetDeviceCaps(VERTRES));
    const double width = std::abs(static_cast<double>(area.Width())) / HIMETRIC_INCH;   // inches
    const double height = std::abs(static_cast<double>(area.Height())) / HIMETRIC_INCH; // inches
    if (page.cx <= 0 || page.cy <= 0 || width <= 0 || height <= 0 ||
        (width * dpiX <= page.cx && height * dpiY <= page.cy))
        return;
    const double scale = std::min(page.cx / (width * dpiX), page.cy / (height * dpiY));
    const int fittedX = std::max(1, static_cast<int>(std::floor(dpiX * scale)));
    const int fittedY = std::max(1, static_cast<int>(std::floor(dpiY * scale)));
    dc.SetResolution(fittedX, fittedY);
    dc.SetMapMode(MM_HIMETRIC);
    // Centred on the page; the area's top left corner is the logical origin.
    const int left = static_cast<int>((page.cx - width * fittedX) / 2);
    const int top = static_cast<int>((page.cy - height * fittedY) / 2);
    dc.SetViewportOrg(std::max(0, left), std::max(0, top));
    dc.SetWindowOrg(area.left, area.top);
}

bool KTG300View::PrintDocument(KTG300Doc& document, QPrinter& printer)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    try {
        KTDC dc(&painter);
        dc.SetPrinting(true);
        OnPrint(document, dc);
    } catch (...) {
        painter.end();
        return false;
    }
    painter.end();
    return true;
}

void KTG300View::OnFilePrint()
{
    KTG300App* app = KTGetApp();
    if (!app)
        return;
    QPrintDialog dialog(&app->Printer(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (!PrintDocument(m_document, app->Printer()))
        KTMessageBox("KT Graph 3", "The printer could not be started.", MB_OK | MB_ICONERROR);
}

void KTG300View::OnFilePrintPreview()
{
    KTG300App* app = KTGetApp();
    if (!app)
        return;
    QPrintPreviewDialog dialog(&app->Printer(), this);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* printer) { PrintDocument(m_document, *printer); });
    dialog.exec();
}
