#include "ui/KTDialogExpander.h"

#include "ui/KTDialog.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLayout>
#include <QWidget>

namespace {

CString CaptionOf(const QWidget* widget)
{
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        return CString::FromQString(label->text());
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        return CString::FromQString(button->text());
    return CString::FromQString(widget->windowTitle());
}

// Lays the children out for the dialog's present size now: a dialog not yet shown would only
// do so when it is.
void SettleLayout(QWidget* dialog)
{
    if (QLayout* layout = dialog->layout()) {
        layout->invalidate();
        layout->activate();
        layout->setGeometry(dialog->rect());
    }
}

} // namespace

bool KTDialogExpander::Init(QWidget* dialog, bool startExpanded, QAbstractButton* toggle, QWidget* marker,
                            QWidget* secondCaption)
{
    if (!dialog || !toggle || !marker || !secondCaption || !dialog->isAncestorOf(marker))
        return false;
    m_dialog = dialog;
    m_toggle = toggle;
    m_marker = marker;
    m_expanded = true;
    m_collapsedCaption = CString::FromQString(toggle->text());
    m_expandedCaption = CaptionOf(secondCaption);

    // The marker keeps its place in a layout while hidden: its bottom is where the collapsed
    // dialog ends.
    QSizePolicy policy = marker->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    marker->setSizePolicy(policy);
    marker->hide();
    secondCaption->hide();

    // A dialog not yet shown gets the size that showing it would give.
    if (!dialog->isVisible() && !dialog->testAttribute(Qt::WA_Resized))
        dialog->adjustSize();
    SettleLayout(dialog);
    m_fullSize = dialog->size();
    m_markerRect = QRect(marker->mapTo(dialog, QPoint(0, 0)), marker->size());

    // What lies wholly below the marker, among the siblings of the marker and of each widget
    // that holds it.
    m_below.clear();
    const int markerBottom = GetCollapsedHeight();
    for (QWidget* holder = marker->parentWidget(); holder; holder = holder->parentWidget()) {
        for (QObject* object : holder->children()) {
            auto* child = qobject_cast<QWidget*>(object);
            if (!child || child->isWindow() || child == marker || child == secondCaption ||
                child->isAncestorOf(marker) || child->isHidden())
                continue;
            if (child->mapTo(dialog, QPoint(0, 0)).y() >= markerBottom)
                m_below.emplace_back(child);
        }
        if (holder == dialog)
            break;
    }

    if (startExpanded)
        toggle->setText(m_expandedCaption.ToQString());
    else
        Toggle();
    return true;
}

int KTDialogExpander::GetCollapsedHeight() const
{
    return m_markerRect.y() + m_markerRect.height();
}

void KTDialogExpander::Toggle()
{
    if (!m_dialog)
        return;
    m_expanded = !m_expanded;
    if (m_expanded) {
        for (const QPointer<QWidget>& widget : m_below) {
            if (widget)
                widget->show();
        }
        SettleLayout(m_dialog);
        m_dialog->resize(m_fullSize);
    } else {
        for (const QPointer<QWidget>& widget : m_below) {
            if (widget)
                widget->hide();
        }
        SettleLayout(m_dialog);
        m_dialog->resize(m_dialog->width(), GetCollapsedHeight());
    }
    if (m_toggle)
        m_toggle->setText((m_expanded ? m_expandedCaption : m_collapsedCaption).ToQString());
    // Grown downwards, the dialog may run off the bottom of the screen.
    if (m_dialog->isVisible())
        KTKeepOnScreen(*m_dialog);
}
