#pragma once
// Tab-separated clipboard texts of the archive table. Rows end with CR LF; cells are written
// as they are, without quoting. No window code.
#include <QString>

class ArchiveTable;

/// A rectangle of cells, inclusive on all four sides, in table coordinates.
struct CellBlock {
    int top = 0;
    int bottom = 0;
    int left = 0;
    int right = 0;

    bool isSingleCell() const { return top == bottom && left == right; }
};

/// The whole table, header included. Header cells that match the heading words of `lang` get
/// the extra tabs that line the columns up in an 8-character tab editor; a data cell shorter
/// than a heading of 8 or more characters gets heading-length / 8 extra tabs.
QString TableClipboardText(const ArchiveTable& table, int lang);

/// The cells of `block`, row by row, one tab between cells and no alignment tabs.
QString BlockClipboardText(const ArchiveTable& table, const CellBlock& block);
