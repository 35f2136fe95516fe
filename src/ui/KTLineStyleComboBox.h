#pragma once
// The line-style picker: each pen style drawn as a one-point black line across the item, and
// "None" (data 12) written out. Filled from KTLineStyleTable or KTLineStyleNoneTable.

#include "ui/KTStyleComboBox.h"

class KTLineStyleComboBox : public KTStyleComboBox
{
    Q_OBJECT

public:
    static constexpr int ItemHeight = 22;

    explicit KTLineStyleComboBox(QWidget* parent = nullptr) : KTStyleComboBox(parent) {}

    void DrawItem(QPainter& painter, const QRect& rect, int data, bool selected, bool focused) const override;
    int MeasureItem() const override { return ItemHeight; }
};
