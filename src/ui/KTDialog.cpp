#include "ui/KTDialog.h"

#include "platform/CString.h"
#include "platform/KTDC.h"
#include "typeset/KTEEquation.h"
#include "typeset/KTEOptions.h"

#include <QLayout>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace {

/// Start and length along one axis: moved back by what runs past the end, then forward to the
/// start, and cut to the room.
void FitSpan(int& start, int& length, int roomStart, int roomLength)
{
    length = std::min(length, roomLength);
    start = std::min(start, roomStart + roomLength - length);
    start = std::max(start, roomStart);
}

constexpr char kScrolledProperty[] = "ktScrolledContents";

/// Moves the window's layout, with the widgets it holds, into a scroll area that becomes the
/// window's only content; once per window.
QScrollArea* ScrollContents(QWidget& window)
{
    if (auto* area = window.property(kScrolledProperty).value<QScrollArea*>())
        return area;
    QLayout* layout = window.layout();
    if (!layout)
        return nullptr;
    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("scrolledContents"));
    content->setLayout(layout); // takes the layout and its widgets from the window
    auto* area = new QScrollArea(&window);
    area->setObjectName(QStringLiteral("screenScrollArea"));
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setWidget(content);
    window.setMinimumSize(0, 0);
    auto* outer = new QVBoxLayout(&window);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(area);
    area->show();
    window.setProperty(kScrolledProperty, QVariant::fromValue(area));
    return area;
}

} // namespace

QRect KTFitWithin(const QRect& frame, const QRect& available)
{
    if (available.isEmpty())
        return frame;
    int left = frame.left(), width = frame.width(), top = frame.top(), height = frame.height();
    FitSpan(left, width, available.left(), available.width());
    FitSpan(top, height, available.top(), available.height());
    return QRect(left, top, width, height);
}

void KTKeepOnScreen(QWidget& window)
{
    if (!window.isWindow())
        return;
    QScreen* screen = window.screen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    QRect frame = window.frameGeometry();
    const QSize decoration = frame.size() - window.size();
    if (frame.height() > available.height() || frame.width() > available.width()) {
        if (QScrollArea* area = ScrollContents(window)) {
            // Room for the scroll bar beside the contents, where the screen has it.
            const int bar = area->verticalScrollBar()->sizeHint().width();
            if (frame.height() > available.height())
                frame.setWidth(std::min(frame.width() + bar, available.width()));
        }
    }
    const QRect fitted = KTFitWithin(frame, available);
    if (fitted.size() != window.frameGeometry().size())
        window.resize(fitted.size() - decoration);
    if (fitted.topLeft() != window.frameGeometry().topLeft())
        window.move(fitted.topLeft());
}

void KTPaintTypesetPreview(QPainter& painter, const CString& text)
{
    if (text.IsEmpty())
        return;
    const KTEOptions options(KTEPresetGraphing);
    KTDC dc(&painter);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextAlign(TA_LEFT | TA_TOP);
    dc.SetMapMode(MM_HIMETRIC);
    KTEEquation equation;
    equation.SetText(text, options);
    equation.Draw(&dc, 0, 0, options);
}
