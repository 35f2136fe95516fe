#include "ui/KTAxesGridPickers.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QSignalBlocker>

#include <algorithm>

namespace KTAxesGridPickers {

const Entry kLineStyles[] = {
    {"Solid0", 13}, {"Dot", 1}, {"Dash", 2}, {"Dash Dot", 3}, {"Dash Dot Dot", 4}, {"", -1},
};

const Entry kLineStylesWithNone[] = {
    {"None", 12},     {"Solid0", 13},       {"Dot", 1}, {"Dash", 2},
    {"Dash Dot", 3}, {"Dash Dot Dot", 4}, {"", -1},
};

const Entry kPointTypes[] = {
    {"PT_NONE", 0},    {"PT_CROSS", 1},   {"PT_DOT", 2},      {"PT_CIRCLE", 3},    {"PT_EX", 6},
    {"PT_SQUARE", 5}, {"PT_DIAMOND", 4}, {"PT_ASTERISK", 8}, {"PT_TINYDOT", 10}, {"", -1},
};

const Entry kBreakTypes[] = {
    {"KTBREAKTYPE_ZED", 0},    {"KTBREAKTYPE_PARALLELS", 1}, {"KTBREAKTYPE_JOINED", 2},
    {"KTBREAKTYPE_BIGGAP", 3}, {"KTBREAKTYPE_GAP", 4},       {"", -1},
};

void Fill(QComboBox& box, const Entry* table)
{
    const QSignalBlocker blocker(&box);
    for (const Entry* entry = table; entry->text[0] != '\0'; ++entry)
        box.addItem(QString::fromLatin1(entry->text), entry->data);
    box.setCurrentIndex(-1);
}

int SelectItemData(QComboBox& box, int data)
{
    const QSignalBlocker blocker(&box);
    const int index = box.findData(data);
    box.setCurrentIndex(index);
    return index;
}

int GetSelectedData(const QComboBox& box)
{
    if (box.currentIndex() < 0)
        return 0;
    return box.currentData().toInt();
}

void FillFaces(QComboBox& box)
{
    const QSignalBlocker blocker(&box);
    box.clear();
    QStringList faces = QFontDatabase::families(QFontDatabase::Latin);
    std::sort(faces.begin(), faces.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    box.addItems(faces);
    box.setCurrentIndex(box.count() > 0 ? 0 : -1);
}

void ExchangeFace(bool save, QComboBox& box, CString& face)
{
    if (save) {
        face = box.currentIndex() < 0 ? CString() : CString::FromQString(box.currentText());
        return;
    }
    const QSignalBlocker blocker(&box);
    const int found = box.findText(face.ToQString(), Qt::MatchStartsWith);
    box.setCurrentIndex(found >= 0 ? found : (box.count() > 0 ? 0 : -1));
}

} // namespace KTAxesGridPickers
