#pragma once
// The axis-break picker: each of the five breaks drawn as a small sketch of an axis (zigzag,
// parallel slashes, joined, big gap, gap). Filled from KTBreakTypeTable.

#include "ui/KTStyleComboBox.h"

#include <vector>

class KTBreakTypeComboBox : public KTStyleComboBox
{
    Q_OBJECT

public:
    static constexpr int ItemHeight = 18;

    explicit KTBreakTypeComboBox(QWidget* parent = nullptr) : KTStyleComboBox(parent) {}

    void DrawItem(QPainter& painter, const QRect& rect, int data, bool selected, bool focused) const override;
    int MeasureItem() const override { return ItemHeight; }

    /// The strokes of a break's sketch in the item rectangle (device pixels): the axis stroke
    /// first, then the break's own; each stroke a polyline of two or more points.
    static std::vector<std::vector<QPoint>> Strokes(const QRect& rect, int data);
};
