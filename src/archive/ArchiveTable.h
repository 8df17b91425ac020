#pragma once
// The archive as a rectangular table of texts: row 0 is the header, rows 1.. the data.
// It is the only model of the archive; every consumer reads its cells. No window code.
#include <QString>

#include <vector>

class ArchiveTable {
public:
    /// The start-up table: 12 columns, 9 rows, Russian header, empty data cells.
    ArchiveTable();
    ArchiveTable(int columns, int rows);

    int columnCount() const { return columns_; }
    int rowCount() const { return rows_; }
    /// Resizing keeps the cells that stay inside the table; new cells are empty.
    void setColumnCount(int columns);
    void setRowCount(int rows);

    /// Cell (column, row); out-of-range cells read as empty.
    const QString& cell(int column, int row) const;
    void setCell(int column, int row, const QString& text);

    /// Exchanges two whole rows.
    void swapRows(int a, int b);

private:
    int columns_ = 0;
    int rows_ = 0;
    std::vector<QString> cells_; // row-major: rows move as blocks when sorting
};
