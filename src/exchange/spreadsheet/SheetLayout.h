#pragma once
// How the archive table is laid out over the sheets of a workbook: which table rows each
// sheet holds, the sheet names and the fitted column widths. Shared by both file formats.
#include <QString>

#include <vector>

class ArchiveTable;

/// Table rows per sheet; with the header line a sheet never goes past row 65536, the last
/// row an .xls sheet has.
inline constexpr int kRowsPerSheet = 65535;
/// The longest text a spreadsheet cell takes.
inline constexpr int kMaxCellText = 32767;

struct SheetBlock {
    QString name;
    int firstRow = 0; ///< table row shown on the sheet's first line
    int rowCount = 0; ///< table rows on the sheet (0 for a trailing empty sheet)
};

/// The sheets for a table of `rows` rows. Sheets are made while the block's first row is
/// not past the row count, so a table of exactly 65535 rows gets a second, empty sheet.
std::vector<SheetBlock> LayoutSheets(int rows, const QString& sheetTitle);

/// Width of every table column on the sheet of `block`, in character widths, fitted to the
/// longest text of the column there; 0 for a column with no text (keeps the default).
std::vector<double> FittedWidths(const ArchiveTable& table, const SheetBlock& block);

/// The width a column with no text keeps.
inline constexpr double kDefaultColumnWidth = 8.43;

/// Widths of the written block's columns on the sheet of `block`: one per table column and
/// one for the blank column after them, each fitted or, without text, kDefaultColumnWidth.
/// Both file formats set these, so their sheets come out alike.
std::vector<double> WrittenBlockWidths(const ArchiveTable& table, const SheetBlock& block);
