#pragma once
// Export of the archive table to a spreadsheet workbook. A name ending in ".xls" (any case)
// gets an Excel 97-2003 workbook, any other name an Office Open XML one. The file appears
// whole or not at all: an existing file of that name is only ever replaced by a complete
// workbook.
#include <QString>

class ArchiveTable;

enum class SpreadsheetStatus {
    Ok,
    TooManyColumns, ///< the table is wider than the format's sheets
    TextTooLong,    ///< a cell holds more text than a spreadsheet cell takes
    WriteFailed,    ///< the workbook could not be written or put in place
};

struct SpreadsheetResult {
    SpreadsheetStatus status = SpreadsheetStatus::Ok;
    QString detail; ///< what went wrong, for diagnostics; empty on success
    bool ok() const { return status == SpreadsheetStatus::Ok; }
};

/// Writes the whole table, header row included, one sheet per 65535 table rows; sheet k is
/// named `sheetTitle` followed by k.
SpreadsheetResult exportToSpreadsheet(const ArchiveTable& table, const QString& sheetTitle,
                                      const QString& fileName);

/// Whether `fileName` gets the Excel 97-2003 format.
bool IsXlsName(const QString& fileName);
