// The view's mouse modes, keys and zoom: select (move annotations, pan by an axis), integral,
// annotation, zoom and tangent modes, with the clicks the tip window relays from the curves.

#include "app/KTG300View.h"

#include "app/KTG300App.h"
#include "app/KTG300Doc.h"
#include "app/KTTipWnd.h"
#include "engine/KTFunction3.h"
#include "foundation/KTMarkerPainter.h"
#include "foundation/KTNumberFormat.h"
#include "foundation/KTNumberTexts.h"
#include "graph/KTDerivativeCalculation.h"
#include "graph/KTGraph3.h"
#include "graph/KTIntegralCalculation.h"
#include "platform/KTBrush.h"
#include "platform/KTDC.h"
#include "platform/KTPen.h"
#include "ui/KTParameterBar.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>
#include <cmath>

namespace {

int& Beeps()
{
    static int count = 0;
    return count;
}

/// The short beep of a refused action; counted so that tests can see it.
void MessageBeep(unsigned)
{
    ++Beeps();
    QApplication::beep();
}

/// Smallest zoomed width or height, graph units: the finest step of the axes' scales.
constexpr double kSmallestRange = 1e-10;
/// Smallest zoomed width or height relative to the largest limit of its axis: narrower, the
/// pixels of a wide window would no longer each get a double of their own (about 30 apart).
constexpr double kSmallestRelativeRange = 1e-11;
/// Largest absolute limit a zoom out may write: a tenth of the magnitude from which values are
/// read as no value, so that the axes' margins and the curve's values near the edge keep theirs.
constexpr double kLargestLimit = 1e11;
/// Most decimals a limit is written with: those of a double far below the smallest range.
constexpr int kMostRangeDecimals = 40;

CString FormatCoordinate(double value, int digits)
{
    KTNumberFormat format;
    format.m_bShowSign = false;
    format.m_bStripZeros = true;
    format.m_bReplaceMinus = false;
    return format.Format(value, digits);
}

/// A limit of the view as the formatter writes it, with the fewest decimals that read back as
/// the same double: a view zoomed or moved many times stays the one the user asked for, and
/// one a millionth wide keeps its digits.
CString RangeText(double value)
{
    KTNumberText reader;
    for (int digits = 0; digits <= kMostRangeDecimals; ++digits) {
        const CString text = FormatCoordinate(value, digits);
        if (reader.ToDouble(text) == value)
            return text;
    }
    // A separator that the reader does not take (neither "." nor ","): as close as it can be.
    return FormatCoordinate(value, kMostRangeDecimals);
}

/// True when a view of these limits is wide enough to be zoomed to.
bool WideEnough(double min, double max)
{
    const double largest = std::max(std::fabs(min), std::fabs(max));
    return max - min > std::max(kSmallestRange, kSmallestRelativeRange * largest);
}

bool Defined(double value)
{
    return std::isfinite(value) && value != KTUndefinedValue;
}

KTOptionGraph3& DefaultOptions(KTG300Doc& document)
{
    if (KTG300App* app = KTGetApp())
        return app->m_defaultOptions;
    return document.Graph().Data().m_options;
}

bool CtrlOrShift(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & (Qt::ControlModifier | Qt::ShiftModifier)) != 0;
}

} // namespace

int KTG300View::BeepCount()
{
    return Beeps();
}

int KTG300View::AnimationPeriod(int speed)
{
    return 1500 / (std::clamp(speed, 0, 10) + 1);
}

CPoint KTG300View::DeviceToLogical(const CPoint& device) const
{
    KTDC dc(logicalDpiX() > 0 ? logicalDpiX() : 96, logicalDpiY() > 0 ? logicalDpiY() : 96);
    dc.SetMapMode(MM_HIMETRIC);
    CPoint logical = device;
    dc.DPtoLP(&logical);
    return logical;
}

CPoint KTG300View::LogicalToDevice(const CPoint& logical) const
{
    KTDC dc(logicalDpiX() > 0 ? logicalDpiX() : 96, logicalDpiY() > 0 ? logicalDpiY() : 96);
    dc.SetMapMode(MM_HIMETRIC);
    CPoint device = logical;
    dc.LPtoDP(&device);
    return device;
}

KTPoint KTG300View::GraphPointOf(const CPoint& logical)
{
    return m_document.Graph().Axes().DeviceToGraph(logical, 0);
}

void KTG300View::SetCursorOfMode()
{
    static const Qt::CursorShape shapes[] = {Qt::ArrowCursor, Qt::CrossCursor, Qt::IBeamCursor,
                                             Qt::CrossCursor, Qt::PointingHandCursor};
    setCursor(shapes[std::clamp(static_cast<int>(m_mode), 0, 4)]);
}

// ---- Qt events --------------------------------------------------------------------------------

void KTG300View::mousePressEvent(QMouseEvent* event)
{
    try {
        if (event->button() == Qt::LeftButton) {
            setFocus();
            const QPoint p = event->position().toPoint();
            OnLButtonDown(CPoint(p.x(), p.y()), CtrlOrShift(event->modifiers()));
        }
    } catch (...) {
    }
}

void KTG300View::leaveEvent(QEvent* event)
{
    DismissHover();
    QWidget::leaveEvent(event);
}

bool KTG300View::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Enter && watched != m_tip)
        DismissHover();
    return QWidget::eventFilter(watched, event);
}

void KTG300View::DismissHover()
{
    m_tip->Dismiss();
    m_hoverHit = -1;
    if (m_tip->Content().m_markerFlag) {
        m_tip->Content().m_markerFlag = 0;
        update();
    }
}

void KTG300View::mouseMoveEvent(QMouseEvent* event)
{
    try {
        const QPoint p = event->position().toPoint();
        OnMouseMoveAt(CPoint(p.x(), p.y()));
    } catch (...) {
    }
}

void KTG300View::mouseReleaseEvent(QMouseEvent* event)
{
    if (QWidget::mouseGrabber() == this)
        releaseMouse();
    m_pressedOnTip = 0;
    try {
        const QPoint p = event->position().toPoint();
        if (event->button() == Qt::LeftButton)
            OnLButtonUp(CPoint(p.x(), p.y()), CtrlOrShift(event->modifiers()));
        else if (event->button() == Qt::RightButton)
            OnRButtonUp(CPoint(p.x(), p.y()));
    } catch (...) {
    }
}

void KTG300View::hideEvent(QHideEvent* event)
{
    if (QWidget::mouseGrabber() == this)
        releaseMouse();
    m_pressedOnTip = 0;
    QWidget::hideEvent(event);
}

// The window system sends a held button's moves and its release to the widget it went down on;
// once the tip that took the press hides (the first move away hides it), nothing would receive
// them. The view takes them over, as it would get them where the tip is gone.
void KTG300View::TakeMouseFromHiddenTip()
{
    if (m_dragging && m_pressedOnTip && !m_tip->isVisible() && isVisible() && QWidget::mouseGrabber() != this)
        grabMouse();
}

void KTG300View::keyPressEvent(QKeyEvent* event)
{
    try {
        OnKeyDown(event->key());
    } catch (...) {
    }
}

// ---- Left button ------------------------------------------------------------------------------

void KTG300View::OnLButtonDown(const CPoint& device, bool)
{
    SetCursorOfMode();
    const CPoint logical = DeviceToLogical(device);
    const KTPoint graphPoint = GraphPointOf(logical);
    KTGraph3& graph = m_document.Graph();
    KTGAnnotationList& annotations = m_document.m_annotations;
    m_dragging = 1;
    m_panning = 0;
    m_pressLogical = logical;

    switch (m_mode) {
    case KTViewSelect:
    case KTViewAnnotation: {
        if (m_mode == KTViewSelect)
            m_document.m_tangentIndex =
                KTDerivativeCalculation::HitTest(graph.Data().m_derivatives, logical.x, logical.y);
        int hit = annotations.HitTestText(logical.x, logical.y, graphPoint);
        m_grabbedByText = hit >= 0 ? 1 : 0;
        if (hit < 0)
            hit = annotations.HitTestAnchor(logical.x, logical.y);
        m_document.m_annotationIndex = hit;
        if (hit >= 0)
            break;
        if (m_mode == KTViewAnnotation) {
            m_rubberBand = CRect(logical.x, logical.y, logical.x, logical.y);
        } else if (IsOnAxis(graphPoint)) {
            m_panning = 1;
            m_panStart = graphPoint;
            m_panCurrent = graphPoint;
        }
        break;
    }
    case KTViewIntegral: {
        // A press on a curve starts the integral as a press on its tip does, also before the
        // tip has had time to appear.
        const bool found = HitTestPress(logical);
        const int item = m_tip->Content().m_item;
        if (StartIntegralOnTip(item, graph.Axes().SnapPoint(graphPoint, 5).m_x, found)) {
            m_functionUnderCursor = item;
            break;
        }
        MessageBeep(0xFFFFFFFF);
        m_integralBuilt = KTIntegralFunction();
        m_integralBuilt.m_first = -1;
        m_integralBuilt.m_second = -1;
        m_integralBuilt.m_lowerText = "";
        m_integralBuilt.m_upperText = "";
        m_integralBuilt.m_showArea = false;
        break;
    }
    case KTViewZoom: {
        m_document.m_tangentIndex =
            KTDerivativeCalculation::HitTest(graph.Data().m_derivatives, logical.x, logical.y);
        const int hit = annotations.HitTestText(logical.x, logical.y, graphPoint);
        m_document.m_annotationIndex = hit;
        m_grabbedByText = hit >= 0 ? 1 : 0;
        if (hit < 0)
            m_rubberBand = CRect(logical.x, logical.y, logical.x, logical.y);
        break;
    }
    case KTViewDerivative: {
        m_document.m_tangentIndex =
            KTDerivativeCalculation::HitTest(graph.Data().m_derivatives, logical.x, logical.y);
        // A press on a curve takes it for the tangent, as a press on its tip does.
        m_tangentBuilt = KTDerivativeFunction();
        const int item = HitTestPress(logical) ? m_tip->Content().m_item : KTTipContent::ItemNone;
        if (m_document.m_tangentIndex < 0 && item >= 0 && item < KTGraphData3::UserFunctionCount &&
            CanCarryTools(item)) {
            m_functionUnderCursor = item;
            m_tangentBuilt.m_function = item;
            m_tangentBuilt.m_point = graphPoint;
        }
        break;
    }
    }
}

bool KTG300View::HitTestPress(const CPoint& logical)
{
    return m_document.Graph().BuildTips(logical.x, logical.y, m_tip->Content()) != -1;
}

bool KTG300View::IsOnAxis(const KTPoint& graphPoint)
{
    const KTPoint snapped = m_document.Graph().Axes().SnapToGrid(graphPoint, true);
    return snapped.m_x == 0.0 || snapped.m_y == 0.0;
}

void KTG300View::MoveAnnotationTo(const CPoint& logical, const KTPoint& graphPoint)
{
    const int index = m_document.m_annotationIndex;
    if (index < 0 || index >= m_document.m_annotations.GetCount())
        return;
    if (m_grabbedByText) {
        m_document.m_annotations.MoveText(index, logical.x, logical.y, graphPoint);
        // The box moves from where it is shown, which may be kept inside the plot away from its
        // text position; the position follows the box, which stays inside the plot.
        KTGAnnotation& annotation = m_document.m_annotations.GetAt(index);
        const CRect plot = m_document.Graph().Axes().PlotRect();
        CRect box = annotation.m_textRect;
        box.NormalizeRect();
        const int dx = std::max(plot.left - box.left, std::min(0, plot.right - box.right));
        const int dy = std::max(plot.top - box.top, std::min(0, plot.bottom - box.bottom));
        annotation.m_textRect.OffsetRect(dx, dy);
        annotation.m_textPosition =
            GraphPointOf(CPoint(annotation.m_textRect.left, annotation.m_textRect.top));
        return;
    }
    KTGAnnotationList& annotations = m_document.m_annotations;
    annotations.MoveAnchor(index, logical.x, logical.y);
    // The anchor keeps its graph point too, so that it stays on it when the graph is laid out
    // anew (a resized window, another zoom).
    KTGAnnotation& annotation = annotations.GetAt(index);
    if (!annotation.m_anchorLocked)
        annotation.m_anchorPosition = GraphPointOf(annotation.m_anchor);
}

void KTG300View::OnMouseMoveAt(const CPoint& device)
{
    SetCursorOfMode();
    const CPoint logical = DeviceToLogical(device);
    const KTPoint graphPoint = GraphPointOf(logical);
    KTGraph3& graph = m_document.Graph();
    const bool annotationGrabbed = m_document.m_annotationIndex >= 0;

    if (m_dragging) {
        bool changed = true;
        switch (m_mode) {
        case KTViewSelect:
            if (annotationGrabbed)
                MoveAnnotationTo(logical, graphPoint);
            else if (m_panning)
                m_panCurrent = graphPoint;
            else
                changed = false;
            break;
        case KTViewIntegral:
            m_integralBuilt.m_upperText = FormatCoordinate(graphPoint.m_x, 6);
            // The preview is shaded in the graph's mapping, as the stored integrals are.
            m_integralBuilt.m_axes = &graph.Axes();
            KTIntegralCalculation::Calculate(m_integralBuilt, graph.Data(), &m_document.m_substitutions);
            m_integralPreview = 1;
            break;
        case KTViewAnnotation:
        case KTViewZoom:
            if (annotationGrabbed) {
                MoveAnnotationTo(logical, graphPoint);
            } else {
                m_rubberBand.right = logical.x;
                m_rubberBand.bottom = logical.y;
                (m_mode == KTViewAnnotation ? m_dragLine : m_zoomRectangle) = 1;
            }
            break;
        case KTViewDerivative: changed = false; break;
        }
        if (changed) {
            m_document.SetModifiedFlag(true);
            // A moved annotation is part of the picture; the rest are overlays drawn over it.
            if (annotationGrabbed)
                Redraw();
            else
                update();
        }
    }

    UpdateHover(device);
}

void KTG300View::UpdateHover(const CPoint& device)
{
    const CPoint logical = DeviceToLogical(device);
    const BYTE markerBefore = m_tip->Content().m_markerFlag;
    const int hit = m_document.Graph().BuildTips(logical.x, logical.y, m_tip->Content());
    if (hit != m_hoverHit && (m_tip->Content().m_markerFlag || markerBefore != m_tip->Content().m_markerFlag))
        update();
    m_hoverHit = hit;
    m_tip->OnHover(device, logical, GraphPointOf(logical));
    TakeMouseFromHiddenTip();
}

void KTG300View::SelectUnderPress()
{
    KTGraph3& graph = m_document.Graph();
    const int tangent = m_document.m_tangentIndex;
    if (tangent >= 0 && tangent < graph.Data().m_derivatives.GetCount()) {
        graph.Data().m_derivatives.SetSelected(tangent, true);
        graph.Data().m_derivatives.m_selectedIndex = tangent;
        return;
    }
    const int integral =
        KTIntegralCalculation::HitTest(graph.Data().m_integrals, m_pressLogical.x, m_pressLogical.y);
    m_document.m_integralIndex = integral;
    if (integral >= 0) {
        graph.Data().m_integrals.SetSelected(integral, true);
        graph.Data().m_integrals.m_selectedIndex = integral;
    }
}

void KTG300View::AddIntegralBuilt(bool ctrlOrShift)
{
    KTOptionGraph3& defaults = DefaultOptions(m_document);
    m_integralBuilt.m_colour = defaults.m_integral.m_brush.m_value.m_color;
    m_integralBuilt.m_showArea = defaults.m_integral.m_showArea.m_value != 0;
    m_document.Graph().AddIntegral(m_integralBuilt, ctrlOrShift);
    m_integralPreview = 0;
    m_document.SetModifiedFlag(true);
}

void KTG300View::AddTangentBuilt(bool ctrlOrShift)
{
    KTOptionGraph3& defaults = DefaultOptions(m_document);
    m_tangentBuilt.m_pen = defaults.m_derivative.m_pen.m_value;
    if (m_document.Graph().AddDerivative(m_tangentBuilt, ctrlOrShift) < 0)
        MessageBeep(0xFFFFFFFF);
    else
        m_document.SetModifiedFlag(true);
}

void KTG300View::PlaceNewAnnotation(const CPoint& logical, const KTPoint& graphPoint, bool bound)
{
    KTOptionGraph3& defaults = DefaultOptions(m_document);
    KTGAnnotation annotation(defaults.m_annotation);
    KTPoint anchorPoint = graphPoint;
    CPoint anchor = logical;
    if (bound) {
        // The annotation names what the tip under the mouse shows and points at it.
        const KTTipInfo tip = m_tip->CurrentTip();
        for (int i = 0; i < tip.GetLineCount(); ++i)
            annotation.m_text.AddLine(tip.LineText(i), tip.LineValue(i));
        annotation.BindTo(m_tip->Content());
        anchorPoint = m_tip->Spot().m_point;
        anchor = m_document.Graph().Axes().GraphToDevice(anchorPoint, 0, 0);
    }
    if (annotation.m_text.GetLineCount() == 0)
        annotation.m_text.AddText(defaults.m_msgRightClick.GetValue());
    // The box goes where the button went down; a drag draws the anchor line to where it rose.
    annotation.m_textPosition = bound ? graphPoint : GraphPointOf(m_pressLogical);
    const CPoint boxCorner = bound ? logical : m_pressLogical;
    annotation.m_textRect = CRect(boxCorner.x, boxCorner.y, boxCorner.x, boxCorner.y);
    const bool hasAnchor = bound || logical != m_pressLogical;
    if (hasAnchor) {
        annotation.m_anchor = anchor;
        annotation.m_anchorPosition = anchorPoint;
    } else {
        annotation.m_anchorType = 0;
        annotation.m_anchor = boxCorner;
        annotation.m_anchorPosition = annotation.m_textPosition;
    }
    const int index = m_document.m_annotations.Add(annotation);
    m_document.m_annotations.SetSelected(index, true);
    m_document.m_annotationIndex = index;
    m_document.SetModifiedFlag(true);
}

void KTG300View::OnLButtonUp(const CPoint& device, bool ctrlOrShift)
{
    SetCursorOfMode();
    const CPoint logical = DeviceToLogical(device);
    const KTPoint graphPoint = GraphPointOf(logical);
    KTGraph3& graph = m_document.Graph();
    KTGAnnotationList& annotations = m_document.m_annotations;
    const bool wasDragging = m_dragging != 0;

    graph.FindMarkersNear(logical.x, logical.y);
    m_dragging = 0;
    annotations.DeselectAll();
    graph.Data().m_derivatives.DeselectAll();
    graph.Data().m_derivatives.m_selectedIndex = -1;
    graph.Data().m_integrals.DeselectAll();
    graph.Data().m_integrals.m_selectedIndex = -1;
    m_zoomRectangle = 0;
    m_dragLine = 0;
    const int annotation = m_document.m_annotationIndex;
    const bool textGrabbed = m_grabbedByText && annotation >= 0 && annotation < annotations.GetCount();

    switch (m_mode) {
    case KTViewSelect:
        if (textGrabbed) {
            annotations.SetSelected(annotation, true);
        } else if (m_panning) {
            // The range moves with the axes the user dragged.
            double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
            const KTVector drag = m_panCurrent.Difference(m_panStart);
            if (ReadRanges(xMin, xMax, yMin, yMax))
                WriteRanges(xMin - drag.m_dx, xMax - drag.m_dx, yMin - drag.m_dy, yMax - drag.m_dy);
            m_panning = 0;
            graph.SetDirty();
            m_document.SetModifiedFlag(true);
        } else {
            SelectUnderPress();
        }
        break;
    case KTViewIntegral:
        if (wasDragging && m_integralBuilt.m_first >= 0) {
            m_integralBuilt.m_upperText = FormatCoordinate(graph.Axes().SnapPoint(graphPoint, 5).m_x, 6);
            AddIntegralBuilt(ctrlOrShift);
        }
        m_integralPreview = 0;
        break;
    case KTViewAnnotation:
        if (textGrabbed)
            annotations.SetSelected(annotation, true);
        else if (annotation < 0 && wasDragging)
            PlaceNewAnnotation(logical, graphPoint, false);
        break;
    case KTViewZoom:
        if (textGrabbed) {
            annotations.SetSelected(annotation, true);
        } else {
            const int integral =
                KTIntegralCalculation::HitTest(graph.Data().m_integrals, m_pressLogical.x, m_pressLogical.y);
            if (m_document.m_tangentIndex >= 0 || integral >= 0)
                SelectUnderPress();
            else if (wasDragging)
                ZoomToRect(false);
        }
        break;
    case KTViewDerivative:
        if (m_tangentBuilt.m_function >= 0) {
            // Pressed on a curve: the tangent at the release, on a point of that curve when the
            // release is on one.
            const KTTipContent& content = m_tip->Content();
            const bool onPoint =
                HitTestPress(logical) && content.m_markerFlag && content.m_item == m_tangentBuilt.m_function;
            const double x =
                onPoint ? content.m_marker.m_point.m_x : graph.Axes().SnapPoint(graphPoint, 5).m_x;
            m_tangentBuilt.m_xText = FormatCoordinate(x, 6);
            AddTangentBuilt(ctrlOrShift);
            m_tangentBuilt = KTDerivativeFunction();
        } else {
            SelectUnderPress();
        }
        break;
    }
    StopAnimation();
    Redraw();
}

// ---- Clicks relayed by the tip window ---------------------------------------------------------

bool KTG300View::StartIntegralOnTip(int item, double snappedX, bool tipShown)
{
    const KTTipContent& content = m_tip->Content();
    const KTMarker& marker = content.m_marker;
    int first = -1;
    int second = KTIntegralFunction::kXAxis;
    double x = snappedX;
    if (item >= 0 && item < KTGraphData3::UserFunctionCount && CanCarryTools(item)) {
        // Under a curve, from its intersection marker when the press is on one.
        first = item;
        if (content.m_markerFlag)
            x = marker.m_point.m_x;
    } else if (item == KTTipContent::ItemNone && tipShown && marker.m_kind == KTMarkerIntersection &&
               CanCarryTools(marker.m_tag) && CanCarryTools(marker.m_secondId)) {
        // On the point where two curves cross: the area between them starts there.
        first = marker.m_tag;
        second = marker.m_secondId;
        x = marker.m_point.m_x;
    } else {
        return false;
    }
    m_integralBuilt = KTIntegralFunction();
    m_integralBuilt.m_first = first;
    m_integralBuilt.m_second = second;
    m_integralBuilt.m_hasSecond = second >= 0;
    m_integralBuilt.m_lowerText = FormatCoordinate(x, 6);
    m_integralBuilt.m_upperText = m_integralBuilt.m_lowerText;
    return true;
}

void KTG300View::OnTipMessage(unsigned message, int item)
{
    const KTTipSpot spot = KTTipWnd::SharedSpot();
    KTGraph3& graph = m_document.Graph();
    CPoint logical = graph.Axes().GraphToDevice(spot.m_point, 0, 0);
    if (logical.x == KTNoPixel || logical.y == KTNoPixel)
        logical = CPoint(spot.m_rect.CenterPoint());
    const KTPoint graphPoint = spot.m_point;
    const KTPoint snapped = graph.Axes().SnapPoint(graphPoint, 5);
    KTGAnnotationList& annotations = m_document.m_annotations;
    const bool ctrlOrShift = CtrlOrShift(QApplication::keyboardModifiers());

    switch (message) {
    case WM_TIP_LBUTTONDOWN: {
        m_dragging = 1;
        m_pressedOnTip = 1;
        m_functionUnderCursor = item;
        m_pressLogical = logical;
        switch (m_mode) {
        case KTViewSelect:
        case KTViewAnnotation: {
            int hit = annotations.HitTestText(logical.x, logical.y, graphPoint);
            m_grabbedByText = hit >= 0 ? 1 : 0;
            if (hit < 0)
                hit = annotations.HitTestAnchor(logical.x, logical.y);
            m_document.m_annotationIndex = hit;
            if (hit < 0) {
                if (m_mode == KTViewAnnotation) {
                    m_rubberBand = CRect(logical.x, logical.y, logical.x, logical.y);
                } else {
                    m_document.m_tangentIndex =
                        KTDerivativeCalculation::HitTest(graph.Data().m_derivatives, logical.x, logical.y);
                    m_document.m_integralIndex =
                        KTIntegralCalculation::HitTest(graph.Data().m_integrals, logical.x, logical.y);
                }
            }
            break;
        }
        case KTViewZoom: m_rubberBand = CRect(logical.x, logical.y, logical.x, logical.y); break;
        case KTViewIntegral:
            if (!StartIntegralOnTip(item, snapped.m_x, m_tip->CurrentIndex() >= 0)) {
                MessageBeep(0xFFFFFFFF);
                m_integralBuilt = KTIntegralFunction();
                m_integralBuilt.m_first = -1;
                m_integralBuilt.m_second = -1;
                m_integralBuilt.m_lowerText = "";
                m_integralBuilt.m_upperText = "";
            }
            break;
        case KTViewDerivative:
            m_tangentBuilt = KTDerivativeFunction();
            if (item >= 0 && item < 10 && CanCarryTools(item)) {
                m_tangentBuilt.m_function = item;
                m_tangentBuilt.m_point = graphPoint;
            }
            break;
        }
        break;
    }
    case WM_TIP_LBUTTONUP: {
        m_dragging = 0;
        m_pressedOnTip = 0;
        graph.Data().m_derivatives.DeselectAll();
        graph.Data().m_derivatives.m_selectedIndex = -1;
        graph.Data().m_integrals.DeselectAll();
        graph.Data().m_integrals.m_selectedIndex = -1;
        const int annotation = m_document.m_annotationIndex;
        const bool textGrabbed = m_grabbedByText && annotation >= 0 && annotation < annotations.GetCount();
        switch (m_mode) {
        case KTViewSelect:
            if (textGrabbed)
                annotations.SetSelected(annotation, true);
            SelectUnderPress();
            break;
        case KTViewIntegral:
            if (m_integralBuilt.m_first >= 0) {
                const KTTipContent& content = m_tip->Content();
                const double x = content.m_markerFlag ? content.m_marker.m_point.m_x : snapped.m_x;
                m_integralBuilt.m_upperText = FormatCoordinate(x, 6);
                AddIntegralBuilt(ctrlOrShift);
            }
            break;
        case KTViewAnnotation:
            if (textGrabbed)
                annotations.SetSelected(annotation, true);
            else if (annotation < 0)
                PlaceNewAnnotation(logical, graphPoint, true);
            break;
        case KTViewZoom: ZoomToRect(false); break;
        case KTViewDerivative:
            if (item >= 0 && item < 10 && m_tangentBuilt.m_function == item) {
                const KTTipContent& content = m_tip->Content();
                const double x = content.m_markerFlag ? content.m_marker.m_point.m_x : snapped.m_x;
                m_tangentBuilt.m_xText = FormatCoordinate(x, 6);
                AddTangentBuilt(ctrlOrShift);
            } else {
                SelectUnderPress();
            }
            break;
        }
        Redraw();
        break;
    }
    case WM_TIP_LBUTTONDBLCLK:
        m_functionUnderCursor = item;
        if (m_mode == KTViewSelect)
            OnEditProperties();
        break;
    case WM_TIP_RBUTTONUP:
        if (m_mode == KTViewZoom) {
            ZoomOut(false);
        } else if (item >= 0 && item < 10) {
            m_functionUnderCursor = item;
            RunCurveContextMenu();
        } else if (item == -2) {
            OnIntegral();
        } else if (item == -3) {
            OnTangentLine();
        }
        break;
    case WM_TIP_MOUSEMOVE: {
        const QPoint device = mapFromGlobal(QCursor::pos());
        OnMouseMoveAt(CPoint(device.x(), device.y()));
        break;
    }
    default: break;
    }
}

// ---- Right button -----------------------------------------------------------------------------

void KTG300View::OnRButtonUp(const CPoint& device)
{
    SetCursorOfMode();
    if (m_mode == KTViewZoom) {
        ZoomOut(false);
        return;
    }
    const CPoint logical = DeviceToLogical(device);
    const KTPoint graphPoint = GraphPointOf(logical);
    KTGraph3& graph = m_document.Graph();
    KTGAnnotationList& annotations = m_document.m_annotations;
    int annotation = annotations.HitTestText(logical.x, logical.y, graphPoint);
    if (annotation < 0)
        annotation = annotations.HitTestAnchor(logical.x, logical.y);
    m_document.m_annotationIndex = annotation;
    m_document.m_tangentIndex =
        KTDerivativeCalculation::HitTest(graph.Data().m_derivatives, logical.x, logical.y);
    m_document.m_integralIndex =
        KTIntegralCalculation::HitTest(graph.Data().m_integrals, logical.x, logical.y);
    if (annotation < 0 && m_document.m_tangentIndex < 0) {
        if (IsOnAxis(graphPoint) && DefaultOptions(m_document).m_rightClickOnAxes.m_value)
            EditAxesOnRightClick();
        else
            OnEditFunctions();
    } else if (annotation >= 0) {
        EditAnnotationAt(annotation);
    }
    Redraw();
}

// ---- Keys -------------------------------------------------------------------------------------

bool KTG300View::ReadRanges(double& xMin, double& xMax, double& yMin, double& yMax)
{
    KTOptionAxes2& axes = m_document.Graph().Data().m_options.m_axes;
    const KTAxes& laidOut = m_document.Graph().Axes();
    // A limit typed as something other than a number takes the range on the screen.
    auto read = [](KTOptionString& option, double shown) {
        const double value = EvaluateNumberText(option.GetValue(), nullptr);
        return Defined(value) ? value : shown;
    };
    xMax = read(axes.m_xMaxShowS, laidOut.m_xAxis.m_max);
    yMax = read(axes.m_yMaxShowS, laidOut.m_yAxis.m_max);
    xMin = read(axes.m_xMinShowS, laidOut.m_xAxis.m_min);
    yMin = read(axes.m_yMinShowS, laidOut.m_yAxis.m_min);
    return Defined(xMin) && Defined(xMax) && Defined(yMin) && Defined(yMax);
}

void KTG300View::WriteRanges(double xMin, double xMax, double yMin, double yMax)
{
    KTOptionAxes2& axes = m_document.Graph().Data().m_options.m_axes;
    axes.m_xMaxShowS.SetValue(RangeText(xMax));
    axes.m_yMaxShowS.SetValue(RangeText(yMax));
    axes.m_xMinShowS.SetValue(RangeText(xMin));
    axes.m_yMinShowS.SetValue(RangeText(yMin));
}

void KTG300View::OnKeyDown(int key)
{
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    if (!ReadRanges(xMin, xMax, yMin, yMax))
        return;
    const double dx = (xMax - xMin) / 8.0;
    const double dy = (yMax - yMin) / 8.0;
    KTGraph3& graph = m_document.Graph();
    KTDerivativeList& tangents = graph.Data().m_derivatives;
    const int selectedTangent = tangents.m_selectedIndex;
    const bool hasSelectedTangent = selectedTangent >= 0 && selectedTangent < tangents.GetCount() &&
                                    tangents.GetAt(selectedTangent).m_selected;

    switch (key) {
    case Qt::Key_PageUp: ZoomOut(true); break;
    case Qt::Key_PageDown: ZoomToRect(true); break;
    case Qt::Key_Home: WriteRanges(-4 * dx, 4 * dx, -4 * dy, 4 * dy); break;
    case Qt::Key_Left:
    case Qt::Key_Right: {
        const double sign = key == Qt::Key_Left ? -1.0 : 1.0;
        if (hasSelectedTangent) {
            double step = EvaluateNumberText(graph.Axes().m_xAxis.m_majorText, nullptr);
            if (!Defined(step) || step <= 0)
                step = dx;
            tangents.MoveX(selectedTangent, sign * 0.2 * step);
        } else {
            WriteRanges(xMin + sign * dx, xMax + sign * dx, yMin, yMax);
        }
        break;
    }
    case Qt::Key_Up: WriteRanges(xMin, xMax, yMin + dy, yMax + dy); break;
    case Qt::Key_Down: WriteRanges(xMin, xMax, yMin - dy, yMax - dy); break;
    case Qt::Key_Delete: {
        const int annotation = m_document.m_annotationIndex;
        if (annotation >= 0 && annotation < m_document.m_annotations.GetCount() &&
            m_document.m_annotations.GetAt(annotation).m_selected)
            m_document.m_annotations.RemoveAt(annotation);
        if (hasSelectedTangent) {
            tangents.RemoveAt(selectedTangent);
            m_document.m_annotations.ForgetBoundObject(KTGAnnotation::BoundTangent, selectedTangent);
            tangents.m_selectedIndex = -1;
        }
        m_document.m_annotationIndex = -1;
        m_document.m_tangentIndex = -1;
        break;
    }
    default: return;
    }
    graph.SetDirty();
    m_document.SetModifiedFlag(true);
    Redraw();
}

// ---- Zoom -------------------------------------------------------------------------------------

void KTG300View::ZoomToRect(bool keys)
{
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    if (!ReadRanges(xMin, xMax, yMin, yMax))
        return;
    KTOptionAxes2& axes = m_document.Graph().Data().m_options.m_axes;
    for (KTOptionString* option :
         {&axes.m_xMaxShowS, &axes.m_yMaxShowS, &axes.m_xMinShowS, &axes.m_yMinShowS})
        m_zoomHistory.push_back(option->GetValue());

    if (keys) {
        const double ratio = axes.m_keyZoomRatio.GetValue();
        const double cx = (xMin + xMax) / 2, cy = (yMin + yMax) / 2;
        xMax = cx + (xMax - cx) / ratio;
        xMin = cx + (xMin - cx) / ratio;
        yMax = cy + (yMax - cy) / ratio;
        yMin = cy + (yMin - cy) / ratio;
    } else {
        const KTPoint a = GraphPointOf(CPoint(m_rubberBand.left, m_rubberBand.top));
        const KTPoint b = GraphPointOf(CPoint(m_rubberBand.right, m_rubberBand.bottom));
        if (m_rubberBand.left == m_rubberBand.right && m_rubberBand.top == m_rubberBand.bottom) {
            xMax = a.m_x + (xMax - a.m_x) * 0.5;
            xMin = a.m_x + (xMin - a.m_x) * 0.5;
            yMax = a.m_y + (yMax - a.m_y) * 0.5;
            yMin = a.m_y + (yMin - a.m_y) * 0.5;
        } else {
            xMin = std::min(a.m_x, b.m_x);
            xMax = std::max(a.m_x, b.m_x);
            yMin = std::min(a.m_y, b.m_y);
            yMax = std::max(a.m_y, b.m_y);
        }
    }
    if (WideEnough(xMin, xMax) && WideEnough(yMin, yMax)) {
        WriteRanges(xMin, xMax, yMin, yMax);
        m_document.Graph().SetDirty();
        m_document.SetModifiedFlag(true);
        Redraw();
    } else {
        // Nothing was zoomed: the pushed range would restore nothing new.
        m_zoomHistory.resize(m_zoomHistory.size() - 4);
        MessageBeep(0);
    }
}

void KTG300View::ZoomOut(bool keys)
{
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    if (!ReadRanges(xMin, xMax, yMin, yMax))
        return;
    KTOptionAxes2& axes = m_document.Graph().Data().m_options.m_axes;
    if (!keys && m_zoomHistory.size() > 3) {
        const std::size_t n = m_zoomHistory.size();
        axes.m_xMaxShowS.SetValue(m_zoomHistory[n - 4]);
        axes.m_yMaxShowS.SetValue(m_zoomHistory[n - 3]);
        axes.m_xMinShowS.SetValue(m_zoomHistory[n - 2]);
        axes.m_yMinShowS.SetValue(m_zoomHistory[n - 1]);
        m_zoomHistory.resize(n - 4);
    } else {
        // About the middle of the view, as a zoom in with the keys goes: a view away from the
        // origin stays where it is rather than moving off by the factor.
        const double factor = keys ? axes.m_keyZoomRatio.GetValue() : 2.0;
        const double cx = (xMin + xMax) / 2, cy = (yMin + yMax) / 2;
        xMax = cx + (xMax - cx) * factor;
        xMin = cx + (xMin - cx) * factor;
        yMax = cy + (yMax - cy) * factor;
        yMin = cy + (yMin - cy) * factor;
        if (xMax < kLargestLimit && yMax < kLargestLimit && xMin > -kLargestLimit && yMin > -kLargestLimit)
            WriteRanges(xMin, xMax, yMin, yMax);
        else
            MessageBeep(0);
    }
    m_document.SetModifiedFlag(true);
    m_document.Graph().SetDirty();
    Redraw();
}

// ---- Overlays ---------------------------------------------------------------------------------

void KTG300View::DrawOverlays(KTDC& dc)
{
    KTGraph3& graph = m_document.Graph();
    const KTPen grey(PS_DOT, 0, RGB(0x96, 0x96, 0x96));
    if (m_zoomRectangle) {
        m_zoomRectangle = 0;
        const KTPen previous = dc.SelectObject(KTPen(PS_SOLID, 0, 0xC8C8C8));
        const KTBrush brush = dc.SelectObject(KTBrush::Stock(KTStockObject::NullBrush));
        dc.Rectangle(m_rubberBand);
        dc.SelectObject(brush);
        dc.SelectObject(previous);
    }
    if (m_panning) {
        const KTVector d = m_panCurrent.Difference(m_panStart);
        const KTPen previous = dc.SelectObject(grey);
        const KTAxis& x = graph.Axes().m_xAxis;
        const KTAxis& y = graph.Axes().m_yAxis;
        dc.MoveTo(graph.Axes().GraphToDevice(x.m_min, d.m_dy, 0, 0));
        dc.LineTo(graph.Axes().GraphToDevice(x.m_max, d.m_dy, 0, 0));
        dc.MoveTo(graph.Axes().GraphToDevice(d.m_dx, y.m_min, 0, 0));
        dc.LineTo(graph.Axes().GraphToDevice(d.m_dx, y.m_max, 0, 0));
        dc.SelectObject(previous);
    }
    if (m_integralPreview) {
        m_integralPreview = 0;
        KTIntegralCalculation::Draw(m_integralBuilt, dc, false);
    }
    if (m_dragLine) {
        m_dragLine = 0;
        const KTPen previous = dc.SelectObject(grey);
        dc.MoveTo(m_rubberBand.left, m_rubberBand.top);
        dc.LineTo(m_rubberBand.right, m_rubberBand.bottom);
        dc.SelectObject(previous);
    }
    if (m_tip->Content().m_markerFlag) {
        const CPoint p = m_tip->Content().m_markerPoint;
        KTMarkerPainter().DrawCircle(dc, p.x, p.y, 25, 25, nullptr);
    }
}
