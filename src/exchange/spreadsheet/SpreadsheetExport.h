#pragma once
// Export of the archive table to a spreadsheet workbook. A name ending in ".xls" (any case)
// gets an Excel 97-2003 workbook, any other name an Office Open XML one; a name without an
// extension gets ".xlsx", as the spreadsheet application's own save gives it. The file appears
// whole or not at all: an existing file of that name is only ever replaced by a complete
// workbook.
#include <QString>

class ArchiveTable;

enum class SpreadsheetStatus {
    Ok,
    TooManyColumns, ///< the table is wider than the format's sheets
    TextTooLong,    ///< a cell holds more text than a spreadsheet cell takes
    WriteFailed,    ///< the workbook could not be written or put in place
    WriterMissing,  ///< the module with the writers could not be loaded
};

struct SpreadsheetResult {
    SpreadsheetStatus status = SpreadsheetStatus::Ok;
    QString detail; ///< what went wrong, for diagnostics; empty on success
    bool ok() const { return status == SpreadsheetStatus::Ok; }
};

/// Writes the whole table, header row included, one sheet per 65535 table rows; sheet k is
/// named `sheetTitle` followed by k. The file is WorkbookFileName(fileName).
SpreadsheetResult exportToSpreadsheet(const ArchiveTable& table, const QString& sheetTitle,
                                      const QString& fileName);

/// Whether `fileName` gets the Excel 97-2003 format.
bool IsXlsName(const QString& fileName);

/// The name the workbook is saved under: `fileName`, with ".xlsx" appended when its last
/// path element has no extension.
QString WorkbookFileName(const QString& fileName);
