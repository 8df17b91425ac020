#include "SheetLayout.h"

#include "archive/ArchiveTable.h"

#include <algorithm>

std::vector<SheetBlock> LayoutSheets(int rows, const QString& sheetTitle)
{
    std::vector<SheetBlock> sheets;
    rows = std::max(rows, 0);
    // 64-bit so that the last step past a table near INT_MAX rows cannot wrap.
    for (long long first = 0, k = 1; first <= rows; first += kRowsPerSheet, ++k) {
        const int count = int(std::min<long long>(kRowsPerSheet, rows - first));
        sheets.push_back({sheetTitle + QString::number(k), int(first), count});
    }
    return sheets;
}

std::vector<double> FittedWidths(const ArchiveTable& table, const SheetBlock& block)
{
    const int columns = std::max(table.columnCount(), 0);
    std::vector<double> widths(std::size_t(columns), 0.0);
    for (int c = 0; c < columns; ++c) {
        qsizetype longest = 0;
        for (int r = block.firstRow; r < block.firstRow + block.rowCount; ++r)
            longest = std::max(longest, table.cell(c, r).size());
        // One character of margin, as a spreadsheet's own fit leaves; 255 is the widest
        // column either format allows.
        if (longest > 0) widths[std::size_t(c)] = std::min(double(longest) + 1.0, 255.0);
    }
    return widths;
}

std::vector<double> WrittenBlockWidths(const ArchiveTable& table, const SheetBlock& block)
{
    std::vector<double> widths = FittedWidths(table, block);
    widths.push_back(0.0); // the blank column after the table
    for (double& width : widths)
        if (width <= 0) width = kDefaultColumnWidth;
    return widths;
}
