#pragma once
// The point-type picker: each marker kind drawn by the marker painter in black, "None" (data 0)
// written out. Filled from KTPointTypeTable.

#include "ui/KTStyleComboBox.h"

class KTOptionMarks;

class KTPointStyleComboBox : public KTStyleComboBox
{
    Q_OBJECT

public:
    static constexpr int ItemHeight = 20;

    explicit KTPointStyleComboBox(QWidget* parent = nullptr) : KTStyleComboBox(parent) {}

    void DrawItem(QPainter& painter, const QRect& rect, int data, bool selected, bool focused) const override;
    int MeasureItem() const override { return ItemHeight; }

    /// The marker settings handed to the painter (its pixel-size cache); set by the owner, not
    /// owned; null draws uncached markers.
    KTOptionMarks* m_marks = nullptr;
};
