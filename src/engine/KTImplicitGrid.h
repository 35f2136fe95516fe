#pragma once
// The 150 x 150 cells over which an implicit relation's zero line is traced. It lives for one
// implicit plot only. The differences at cell corners are kept once computed: neighbouring
// cells share corners, and each corner would otherwise be evaluated up to four times per pass.

#include "foundation/KTPoint.h"
#include "foundation/KTSentinelValues.h"
#include "platform/KTGdiTypes.h"

#include <algorithm>
#include <cstdint>
#include <vector>

struct KTImplicitGrid
{
    static constexpr int Cells = 150;

    KTImplicitGrid()
        : m_visited(Cells * Cells, 0), m_corner(Corners * Corners, 0.0), m_cornerKnown(Corners * Corners, 0)
    {
    }

    /// No cell visited; entry and exit points (KTNoSecondValue, KTNoSecondValue).
    void Clear()
    {
        std::fill(m_visited.begin(), m_visited.end(), BYTE(0));
        m_entry = KTPoint(KTNoSecondValue, KTNoSecondValue);
        m_exit = KTPoint(KTNoSecondValue, KTNoSecondValue);
        m_entrySide = m_exitSide = 0;
    }

    /// The visited byte of a cell (row + 150 x column); null outside the grid.
    BYTE* Visited(int column, int row)
    {
        if (column < 0 || column >= Cells || row < 0 || row >= Cells)
            return nullptr;
        return &m_visited[static_cast<std::size_t>(row + Cells * column)];
    }

    /// x of a column's left edge and y of a row's bottom edge, always computed alike so that
    /// neighbouring cells find the same crossing on their shared edge.
    double XAt(int column) const { return m_xOrigin + column * m_cellWidth; }
    double YAt(int row) const { return m_yOrigin + row * m_cellHeight; }

    static constexpr int Corners = Cells + 1;

    // The current cell.
    double m_bottomLeft = 0.0;
    double m_topLeft = 0.0;
    double m_bottomRight = 0.0;
    double m_topRight = 0.0;
    double m_cellWidth = 0.0;
    double m_cellHeight = 0.0;
    double m_xOrigin = 0.0;
    double m_yOrigin = 0.0;
    double m_xEnd = 0.0;
    double m_yEnd = 0.0;
    BYTE m_signBottomLeft = 0; ///< 1 when the difference there is at least 0
    BYTE m_signTopLeft = 0;
    BYTE m_signBottomRight = 0;
    BYTE m_signTopRight = 0;
    KTPoint m_entry{KTNoSecondValue, KTNoSecondValue};
    KTPoint m_exit{KTNoSecondValue, KTNoSecondValue};
    int m_entrySide = 0; ///< 1 bottom, 2 top, 3 left, 4 right
    int m_exitSide = 0;
    int m_column = 0;
    int m_row = 0;
    /// Exit side of the start cell of the latest trace: the second trace from an inner cell
    /// enters there and so runs the other way.
    int m_startExitSide = 0;
    std::vector<BYTE> m_visited;
    std::vector<double> m_corner;
    std::vector<BYTE> m_cornerKnown;
};
