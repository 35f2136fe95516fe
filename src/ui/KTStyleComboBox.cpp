#include "ui/KTStyleComboBox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyleOptionComboBox>
#include <QStyleOptionFocusRect>
#include <QStyledItemDelegate>
#include <QStylePainter>

#include <algorithm>
#include <map>

const KTStyleTableEntry KTLineStyleTable[] = {
    {"Solid0", 13}, {"Dot", 1}, {"Dash", 2}, {"Dash Dot", 3}, {"Dash Dot Dot", 4}, {"", -1},
};

const KTStyleTableEntry KTLineStyleNoneTable[] = {
    {"None", 12}, {"Solid0", 13}, {"Dot", 1}, {"Dash", 2}, {"Dash Dot", 3}, {"Dash Dot Dot", 4}, {"", -1},
};

const KTStyleTableEntry KTPointTypeTable[] = {
    {"PT_NONE", 0},   {"PT_CROSS", 1},   {"PT_DOT", 2},      {"PT_CIRCLE", 3},   {"PT_EX", 6},
    {"PT_SQUARE", 5}, {"PT_DIAMOND", 4}, {"PT_ASTERISK", 8}, {"PT_TINYDOT", 10}, {"", -1},
};

const KTStyleTableEntry KTBreakTypeTable[] = {
    {"KTBREAKTYPE_ZED", 0},    {"KTBREAKTYPE_PARALLELS", 1}, {"KTBREAKTYPE_JOINED", 2},
    {"KTBREAKTYPE_BIGGAP", 3}, {"KTBREAKTYPE_GAP", 4},       {"", -1},
};

namespace {

bool IsEnd(const KTStyleTableEntry& entry)
{
    return entry.text.IsEmpty() && entry.data == -1;
}

// Guards tables that lost their end marker.
constexpr int MaxTableLength = 1000;

std::map<int, CString>& Strings()
{
    static std::map<int, CString> strings;
    return strings;
}

// Draws the list's entries as their owner's pictures.
class KTStyleItemDelegate : public QStyledItemDelegate
{
public:
    explicit KTStyleItemDelegate(KTStyleComboBox* owner) : QStyledItemDelegate(owner), m_owner(owner) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        // Nothing may escape a paint: a failed picture leaves the background.
        try {
            const bool selected = (option.state & QStyle::State_Selected) != 0;
            const bool focused = (option.state & QStyle::State_HasFocus) != 0;
            painter->save();
            m_owner->DrawItem(*painter, option.rect, index.data(Qt::UserRole).toInt(), selected, focused);
            painter->restore();
        } catch (...) {
        }
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QSize(QStyledItemDelegate::sizeHint(option, index).width(), m_owner->MeasureItem());
    }

private:
    KTStyleComboBox* m_owner;
};

} // namespace

const KTStyleTableEntry* KTFindStyleByData(const KTStyleTableEntry* table, int data)
{
    for (int i = 0; table && i < MaxTableLength && !IsEnd(table[i]); ++i)
        if (table[i].data == data)
            return &table[i];
    return nullptr;
}

const KTStyleTableEntry* KTFindStyleByText(const KTStyleTableEntry* table, const CString& text)
{
    for (int i = 0; table && i < MaxTableLength && !IsEnd(table[i]); ++i)
        if (table[i].text == text)
            return &table[i];
    return nullptr;
}

KTStyleComboBox::KTStyleComboBox(QWidget* parent) : QComboBox(parent)
{
    setItemDelegate(new KTStyleItemDelegate(this));
}

KTStyleComboBox::~KTStyleComboBox() = default;

void KTStyleComboBox::SetString(int stringId, const CString& text)
{
    Strings()[stringId] = text;
}

bool KTStyleComboBox::LoadString(int stringId, CString& text)
{
    const auto it = Strings().find(stringId);
    if (it == Strings().end())
        return false;
    text = it->second;
    return true;
}

bool KTStyleComboBox::HasFocus() const
{
    const QWidget* focus = QApplication::focusWidget();
    return focus && (focus == this || isAncestorOf(focus) || (view() && view()->isAncestorOf(focus)) ||
                     focus == view());
}

int KTStyleComboBox::AddItem(const CString& text, int data)
{
    // A list box selects nothing when an entry is added; Qt would select the first.
    const int selected = currentIndex();
    {
        const QSignalBlocker blocker(this);
        addItem(text.ToQString(), data);
        setCurrentIndex(selected);
    }
    return count() - 1;
}

int KTStyleComboBox::AddItemById(int stringId, int data)
{
    CString text;
    if (!LoadString(stringId, text))
        return -1;
    return AddItem(text, data);
}

int KTStyleComboBox::FillFromTextTable(const KTStyleTableEntry* table, const CString& text)
{
    int found = -1;
    for (int i = 0; table && i < MaxTableLength && !IsEnd(table[i]); ++i) {
        const int index = AddItem(table[i].text, table[i].data);
        if (index < 0)
            break;
        if (!text.IsEmpty() && table[i].text == text)
            found = findText(table[i].text.ToQString(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    }
    return found;
}

int KTStyleComboBox::FillFromIdTable(const KTStyleIdEntry* table, int data)
{
    int found = -1;
    for (int i = 0; table && i < MaxTableLength && !(table[i].data == 0 && table[i].stringId == 0); ++i) {
        const int index = AddItemById(table[i].stringId, table[i].data);
        if (index < 0)
            break;
        if (data != 0 && table[i].data == data)
            found = findText(itemText(index), Qt::MatchExactly | Qt::MatchCaseSensitive);
    }
    return found;
}

int KTStyleComboBox::SelectItemData(int data)
{
    const int index = findData(data);
    setCurrentIndex(index);
    return index;
}

int KTStyleComboBox::GetSelectedData() const
{
    const int index = currentIndex();
    return index < 0 ? 0 : itemData(index).toInt();
}

void KTStyleComboBox::DrawBackground(QPainter& painter, const QRect& rect, bool selected, bool focused) const
{
    const QPalette& colours = palette();
    painter.fillRect(rect, selected ? colours.color(QPalette::Highlight) : colours.color(QPalette::Base));
    if (focused) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect;
        option.backgroundColor =
            selected ? colours.color(QPalette::Highlight) : colours.color(QPalette::Base);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void KTStyleComboBox::DrawItem(QPainter& painter, const QRect& rect, int data, bool selected,
                               bool focused) const
{
    DrawBackground(painter, rect, selected, focused);
    if (data == -1)
        return;
    painter.setPen(palette().color(selected ? QPalette::HighlightedText : QPalette::Text));
    const int index = findData(data);
    if (index >= 0)
        painter.drawText(rect.adjusted(5, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft, itemText(index));
}

int KTStyleComboBox::DropDownHeight(int itemHeight, int presetRows, int itemCount, int spaceAbove,
                                    int spaceBelow)
{
    const int rows = std::max(2, presetRows > 0 ? presetRows : itemCount);
    const int height = itemHeight * (rows + 3);
    if (presetRows >= 0 || itemHeight <= 0)
        return height;
    if (height <= spaceAbove && height <= spaceBelow)
        return height;
    return itemHeight * (std::max(spaceAbove, spaceBelow) / itemHeight);
}

void KTStyleComboBox::showPopup()
{
    int above = 0;
    int below = 0;
    if (const QScreen* screen = this->screen()) {
        const QRect available = screen->availableGeometry();
        const QPoint top = mapToGlobal(QPoint(0, 0));
        above = top.y() - available.top();
        below = available.bottom() - (top.y() + height());
    }
    const int listHeight = DropDownHeight(MeasureItem(), m_presetRows, count(), above, below);
    // The box's own height counts in the original measure of the list: what remains are rows.
    const int rows = std::max(1, (listHeight - height()) / std::max(1, MeasureItem()));
    setMaxVisibleItems(rows);
    QComboBox::showPopup();
}

void KTStyleComboBox::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const int index = currentIndex();
    if (index < 0)
        return;
    // The edit part shows the selection's picture.
    const QRect edit =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    try {
        painter.save();
        DrawItem(painter, edit, itemData(index).toInt(), false, hasFocus());
        painter.restore();
    } catch (...) {
    }
}
