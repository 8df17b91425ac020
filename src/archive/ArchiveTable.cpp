#include "ArchiveTable.h"

#include "texts/Texts.h"

#include <algorithm>
#include <utility>

ArchiveTable::ArchiveTable() : ArchiveTable(kArchiveColumns, 9)
{
    for (int c = 0; c < kArchiveColumns; ++c) setCell(c, 0, HeaderText(c, 0));
}

ArchiveTable::ArchiveTable(int columns, int rows)
    : columns_(std::max(columns, 0)), rows_(std::max(rows, 0)), cells_(std::size_t(columns_) * rows_)
{
}

void ArchiveTable::setColumnCount(int columns)
{
    columns = std::max(columns, 0);
    if (columns == columns_) return;
    std::vector<QString> cells(std::size_t(columns) * rows_);
    const int keep = std::min(columns, columns_);
    for (int r = 0; r < rows_; ++r)
        for (int c = 0; c < keep; ++c) cells[std::size_t(r) * columns + c] = std::move(cells_[std::size_t(r) * columns_ + c]);
    cells_ = std::move(cells);
    columns_ = columns;
}

void ArchiveTable::setRowCount(int rows)
{
    rows_ = std::max(rows, 0);
    cells_.resize(std::size_t(columns_) * rows_);
}

const QString& ArchiveTable::cell(int column, int row) const
{
    static const QString empty;
    if (column < 0 || column >= columns_ || row < 0 || row >= rows_) return empty;
    return cells_[std::size_t(row) * columns_ + column];
}

void ArchiveTable::setCell(int column, int row, const QString& text)
{
    if (column < 0 || column >= columns_ || row < 0 || row >= rows_) return;
    cells_[std::size_t(row) * columns_ + column] = text;
}

void ArchiveTable::swapRows(int a, int b)
{
    if (a == b) return;
    auto ra = cells_.begin() + std::ptrdiff_t(a) * columns_;
    auto rb = cells_.begin() + std::ptrdiff_t(b) * columns_;
    std::swap_ranges(ra, ra + columns_, rb);
}
