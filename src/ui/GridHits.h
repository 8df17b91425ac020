#pragma once
// What lies under a point of the main window's grid and the status bar hint it earns, from a
// snapshot of where the grid's parts lie on the screen. No widgets: QtCore and the texts only.
#include "texts/TextPair.h"

#include <QPoint>
#include <QRect>

#include <vector>

/// What lies under a screen position, as the grid sees it.
enum class GridPart { Outside, Header, FixedColumn, Cells };

struct GridHit {
    GridPart part = GridPart::Outside;
    int column = -1; ///< table column for Header (0 for the corner); -1 elsewhere
    bool operator==(const GridHit&) const = default;
};

/// Where the grid's parts lie, in screen coordinates. A part the grid does not show has an
/// empty rectangle.
struct GridGeometry {
    /// One heading of the heading row: its table column and its screen columns
    /// [left, left + width).
    struct Heading {
        int column = -1;
        int left = 0;
        int width = 0;
    };
    QRect grid;                   ///< the whole grid, scroll bars included
    QRect corner;                 ///< the heading above the fixed column (table column 0)
    QRect headings;               ///< the heading row
    std::vector<Heading> columns; ///< the headings shown, in any order
    QRect fixedColumn;            ///< the record numbers at the left
    int rowsBottom = 0;           ///< the screen row below the fixed column's last record
};

/// What lies under `global`. The corner is the heading of column 0. The heading row right of
/// the last heading and the fixed column below the last record hold no heading or record:
/// they count as the grid's cells, like every place of the grid beyond the table.
GridHit HitAt(const GridGeometry& geometry, QPoint global);

/// The status bar hint of a part, in language `lang`; empty where the grid has none.
QString GridHint(GridPart part, int lang);
