#pragma once
// Helpers shared by the tests of the dialogs that list a graph's functions.

#include "graph/KTGraph3.h"

#include <QComboBox>
#include <QStringList>

#include <initializer_list>
#include <utility>

namespace kttest {

/// A graph whose user functions are the texts, interpreted.
inline void Interpret(KTGraph3& graph, std::initializer_list<std::pair<int, const char*>> texts)
{
    for (const auto& [slot, text] : texts)
        graph.Data().Function(slot).Data().m_equationText = text;
    graph.SetDirty();
    graph.ComputeDataExtents();
}

/// The texts a combo box lists, in order.
inline QStringList Items(const QComboBox* list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->itemText(i);
    return items;
}

} // namespace kttest
