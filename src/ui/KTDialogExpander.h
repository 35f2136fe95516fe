#pragma once
// Switches a dialog between its full size and a shorter one that ends at the bottom of a
// marker widget, and gives the toggle button the caption of the state it leads from
// ("More >>" while collapsed, "<< Less" while expanded). The dialog remembers the state itself.
//
// The marker and the second-caption widget only carry a place and a text: both are hidden.
// The widgets of the dialog that lie wholly below the marker are hidden while collapsed, so
// that a dialog laid out by a layout shrinks as one placed by hand does.

#include "platform/CString.h"

#include <QPointer>
#include <QRect>

#include <vector>

class QAbstractButton;
class QWidget;

class KTDialogExpander
{
public:
    KTDialogExpander() = default;

    /// Remembers the dialog's present size as its full size (laying it out first when it has
    /// not been shown or sized yet), takes the collapsed caption from the toggle button and the
    /// expanded caption from the second-caption widget, hides the marker and the second
    /// caption, then starts expanded or collapses. False, doing nothing, for a missing widget.
    bool Init(QWidget* dialog, bool startExpanded, QAbstractButton* toggle, QWidget* marker,
              QWidget* secondCaption);
    /// Collapses an expanded dialog to end at the marker's bottom (keeping its position and
    /// width), or gives a collapsed one its full size back from where it is now.
    void Toggle();

    bool IsExpanded() const { return m_expanded; }
    const CString& GetCollapsedCaption() const { return m_collapsedCaption; }
    const CString& GetExpandedCaption() const { return m_expandedCaption; }
    /// The full size remembered by Init (client area).
    QSize GetFullSize() const { return m_fullSize; }
    /// The client height of the collapsed dialog: the marker's bottom edge.
    int GetCollapsedHeight() const;

private:
    bool m_expanded = false;
    QPointer<QWidget> m_dialog;
    QPointer<QAbstractButton> m_toggle;
    QPointer<QWidget> m_marker;
    CString m_collapsedCaption;
    CString m_expandedCaption;
    QSize m_fullSize;
    QRect m_markerRect; ///< in dialog coordinates, taken at full size
    std::vector<QPointer<QWidget>> m_below;
};
