#pragma once
// The base of the owner-drawn pickers: a combo box filled from a table of {text, item data}
// entries whose selection is read back as item data. The pickers draw each entry as a picture
// (DrawItem) of the height MeasureItem gives; the texts stay as the items' texts.

// moc cannot parse the standard library's concepts that CString brings in.
#ifndef Q_MOC_RUN
#include "platform/CString.h"
#endif

#include <QComboBox>

class QPainter;
class QRect;

/// One entry of a picker table; a table ends with the entry {"", -1}.
struct KTStyleTableEntry
{
    CString text;
    int data = -1;
};

/// One entry of a table of texts kept by string id; a table ends with the entry {0, 0}.
struct KTStyleIdEntry
{
    int data = 0;
    int stringId = 0;
};

/// Line styles without "None": "Solid0" 13, "Dot" 1, "Dash" 2, "Dash Dot" 3, "Dash Dot Dot" 4.
extern const KTStyleTableEntry KTLineStyleTable[];
/// The same preceded by {"None", 12}, for pens that may be switched off.
extern const KTStyleTableEntry KTLineStyleNoneTable[];
/// Point-marker kinds, "PT_NONE" 0 to "PT_TINYDOT" 10, in the pickers' order.
extern const KTStyleTableEntry KTPointTypeTable[];
/// The five axis breaks, "KTBREAKTYPE_ZED" 0 to "KTBREAKTYPE_GAP" 4.
extern const KTStyleTableEntry KTBreakTypeTable[];

/// The entry of a table with the data (or the exact text), or null.
const KTStyleTableEntry* KTFindStyleByData(const KTStyleTableEntry* table, int data);
const KTStyleTableEntry* KTFindStyleByText(const KTStyleTableEntry* table, const CString& text);

class KTStyleComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit KTStyleComboBox(QWidget* parent = nullptr);
    ~KTStyleComboBox() override;

    /// Rows of the drop-down list: 0 or less as many as items; a negative value also holds the
    /// list to the screen.
    void SetPresetRows(int rows) { m_presetRows = rows; }
    int PresetRows() const { return m_presetRows; }

    /// The box or one of its children (the open list) has the focus.
    virtual bool HasFocus() const;
    /// Appends the text with the data; the new index, or -1.
    virtual int AddItem(const CString& text, int data);
    /// Appends the text of the string id (SetString) with the data; -1 when there is no such text.
    virtual int AddItemById(int stringId, int data);
    /// Appends every entry up to the end marker (the list is not emptied, nothing is selected);
    /// the index of the entry whose text equals a non-empty `text`, else -1.
    virtual int FillFromTextTable(const KTStyleTableEntry* table, const CString& text);
    /// The same from a table of string ids, matching the entry with the non-zero data.
    virtual int FillFromIdTable(const KTStyleIdEntry* table, int data);
    /// Selects the first item with the data and returns its index; none: clears the selection
    /// and returns -1.
    virtual int SelectItemData(int data);
    /// The selected item's data; 0 when nothing is selected.
    virtual int GetSelectedData() const;

    /// The picture of one item in the rectangle (device pixels of the painter).
    virtual void DrawItem(QPainter& painter, const QRect& rect, int data, bool selected, bool focused) const;
    /// Height of every item, pixels.
    virtual int MeasureItem() const { return 18; }

    /// Height of the dropped list: the item height times (rows + 3), rows being the preset when
    /// above 0, else the item count, at least 2. With a negative preset the height is held to
    /// the whole rows that fit in the larger of the spaces above and below the box, when the
    /// full height does not fit in both.
    static int DropDownHeight(int itemHeight, int presetRows, int itemCount, int spaceAbove, int spaceBelow);

    /// The program's string table, which AddItemById reads.
    static void SetString(int stringId, const CString& text);
    static bool LoadString(int stringId, CString& text);

    void showPopup() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    /// Fills the item's background (highlight when selected, window colour otherwise) and draws
    /// the focus rectangle; the pictures come on top.
    void DrawBackground(QPainter& painter, const QRect& rect, bool selected, bool focused) const;

private:
    int m_presetRows = 0;
};
