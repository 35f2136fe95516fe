#pragma once
// Plain list boxes in place of the drawn style and face pickers of the axes and grid dialogs:
// each item carries its number as item data, so the dialogs read and select by number.

#include "platform/CString.h"

class QComboBox;

namespace KTAxesGridPickers {

/// One entry of a picker table; a table ends with the empty text and number -1.
struct Entry
{
    const char* text;
    int data;
};

extern const Entry kLineStyles[];         ///< "Solid0" 13 .. "Dash Dot Dot" 4
extern const Entry kLineStylesWithNone[]; ///< "None" 12 first, then the line styles
extern const Entry kPointTypes[];         ///< "PT_NONE" 0 .. "PT_TINYDOT" 10
extern const Entry kBreakTypes[];         ///< "KTBREAKTYPE_ZED" 0 .. "KTBREAKTYPE_GAP" 4

/// Appends every entry up to the end marker (the list is not emptied; nothing is selected).
void Fill(QComboBox& box, const Entry* table);
/// Selects the first item whose data is `data`; clears the selection (-1) when none has it.
int SelectItemData(QComboBox& box, int data);
/// The data of the selected item, 0 when nothing is selected.
int GetSelectedData(const QComboBox& box);

/// Lists the installed font faces in alphabetical order and selects the first.
void FillFaces(QComboBox& box);
/// Face-name exchange: saving gives the selected face ("" with no selection); loading selects
/// the first face that begins with the text, ignoring case, or the first face when none does.
void ExchangeFace(bool save, QComboBox& box, CString& face);

} // namespace KTAxesGridPickers
