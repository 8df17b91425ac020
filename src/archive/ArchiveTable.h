#pragma once
// The archive as a rectangular table of texts: row 0 is the header, rows 1.. the data.
// It is the only model of the archive; every consumer reads its cells. No window code.
#include "app/SharedState.h"
#include "device/Formats.h"

#include <QString>

#include <optional>
#include <span>
#include <vector>

/// The format of the archive's time texts.
inline constexpr char kArchiveTimeFormat[] = "hh:mm:ss";

/// Why a column sort refused to run: the text names the cell that held no number.
struct SortError {
    QString text;
};

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
    /// Inline so that code reading the table (the spreadsheet module loaded at run time)
    /// needs nothing else of this library.
    const QString& cell(int column, int row) const
    {
        static const QString empty;
        if (column < 0 || column >= columns_ || row < 0 || row >= rows_) return empty;
        return cells_[std::size_t(row) * columns_ + column];
    }
    void setCell(int column, int row, const QString& text);

    /// Exchanges two whole rows.
    void swapRows(int a, int b);

    /// Writes the heading texts of language `lang` (0 Russian, 1 English) into row 0.
    void setHeader(int lang);

    /// Replaces the data rows by one row per record, texts in language `lang`, object
    /// `names` as they are now (the start-up names unless given). With no records one empty
    /// data row remains. Times are written in kArchiveTimeFormat. RecordCount is the
    /// worker's: it keeps the header's count.
    void fillFromRecords(std::span<const ArchiveRecord> records, int lang,
                         const ObjectNameList& names = DefaultObjectNames());

    /// Sorts the data rows by `column`, ascending for `direction` >= 0, descending below.
    /// Rows with equal keys come out in the order the quicksort leaves them (not stable).
    /// A cell of a numeric column that holds no number stops the sort before any row moved.
    std::optional<SortError> sortByColumn(int column, int direction);

private:
    QString& at(int column, int row) { return cells_[std::size_t(row) * columns_ + column]; }

    int columns_ = 0;
    int rows_ = 0;
    std::vector<QString> cells_; // row-major: rows move as blocks when sorting
};
